#include "graphics/dddd.h"

#include "files/ProcCounter.h"

TDDDD::TDDDD(plat::Host& host) : host_(host) {}

void TDDDD::WindowMode(int width, int height) {
  FullScreen = false;
  ScreenWidth = width;
  ScreenHeight = height;
  host_.SetFullScreen(false);
  host_.SetClientSize(width, height);
}

void TDDDD::FullScreenMode2(int mag, bool, bool delMCursor) {
  FullScreen = true;
  ScreenWidth = DDDD_WIDTH * mag;
  ScreenHeight = DDDD_HEIGHT * mag;
  host_.SetClientSize(ScreenWidth, ScreenHeight);
  host_.SetFullScreen(true);
  if (delMCursor) MouseCursorSwitch();
}

void TDDDD::Flip() {
  size_t n = size_t(ScreenWidth) * size_t(ScreenHeight);
  if (back_.size() != n) back_.assign(n, BackColor);
  if (PC) PC->Start64(0);
  host_.Present(plat::FrameView{back_.data(), ScreenWidth, ScreenHeight, ScreenWidth});
  if (PC) PC->Stop64(0);
}

void TDDDD::MouseCursorSwitch() {
  if (!FullScreen) return;
  cursorHidden_ = !cursorHidden_;
  host_.ShowCursor(!cursorHidden_);
}
