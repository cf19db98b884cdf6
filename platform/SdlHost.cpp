#include "platform/SdlHost.h"

#include <SDL.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "platform/Clock.h"
#include "platform/DisplayLoss.h"
#include "platform/SjisText.h"

namespace plat {

namespace {
constexpr const char* kApplicationName = "tumbo2.0t";
}

namespace detail {
void SetMessageBoxParent(SDL_Window* window);
}

SdlHost::SdlHost() = default;

SdlHost::~SdlHost() {
  detail::SetMessageBoxParent(nullptr);
  if (overlay_) SDL_DestroyTexture(overlay_);
  if (texture_) SDL_DestroyTexture(texture_);
  if (renderer_) SDL_DestroyRenderer(renderer_);
  if (window_) SDL_DestroyWindow(window_);
  if (videoUp_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool SdlHost::CreateWindow(const std::string& captionSjis, int clientW, int clientH) {
  if (window_) {
    SetCaption(captionSjis);
    SetClientSize(clientW, clientH);
    return true;
  }
  if (!videoUp_) {
    // The window manager's class name is the application's title.
    // The window system knows the application by its title, as a second
    // copy and the task list do.
    SDL_SetHint(SDL_HINT_APP_NAME, kApplicationName);
    ::setenv("SDL_VIDEO_X11_WMCLASS", kApplicationName, 0);
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "0");
    if (!StartVideoWithDisplay("qorv")) return false;
    videoUp_ = true;
  }
  clientW_ = clientW;
  clientH_ = clientH;
  caption_ = captionSjis;
  std::string title = SjisToUtf8(captionSjis);
  window_ = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                             clientW, clientH, SDL_WINDOW_SHOWN);
  if (!window_) return false;
  renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED);
  if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
  if (!renderer_) return false;
  SDL_RenderSetLogicalSize(renderer_, clientW, clientH);
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);  // the form is black
  SDL_RenderClear(renderer_);
  SDL_RenderPresent(renderer_);
  if (fullScreen_) SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
  detail::SetMessageBoxParent(window_);
  return true;
}

void SdlHost::SetCaption(const std::string& captionSjis) {
  if (captionSjis == caption_) return;  // converting and setting costs; the loop sets it often
  caption_ = captionSjis;
  if (window_) SDL_SetWindowTitle(window_, SjisToUtf8(captionSjis).c_str());
}

void SdlHost::SetClientSize(int w, int h) {
  clientW_ = w;
  clientH_ = h;
  if (!window_) return;
  if (!fullScreen_) SDL_SetWindowSize(window_, w, h);
  SDL_RenderSetLogicalSize(renderer_, w, h);
}

void SdlHost::SetFullScreen(bool on) {
  fullScreen_ = on;
  if (!window_) return;
  SDL_SetWindowFullscreen(window_, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
  if (!on) SDL_SetWindowSize(window_, clientW_, clientH_);
}

void SdlHost::ShowCursor(bool on) { SDL_ShowCursor(on ? SDL_ENABLE : SDL_DISABLE); }

void SdlHost::Present(const FrameView& frame) {
  if (!renderer_ || !frame.pixels || frame.width <= 0 || frame.height <= 0 ||
      frame.pitch < frame.width)
    return;
  if (!texture_ || texW_ != frame.width || texH_ != frame.height) {
    if (texture_) SDL_DestroyTexture(texture_);
    texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                 frame.width, frame.height);
    if (!texture_) return;
    texW_ = frame.width;
    texH_ = frame.height;
  }
  SDL_UpdateTexture(texture_, nullptr, frame.pixels, frame.pitch * int(sizeof(uint32_t)));
  overlayShown_ = false;
  Redraw();
}

void SdlHost::DrawOverFrame(const std::vector<CanvasItem>& items) {
  if (!renderer_ || clientW_ <= 0 || clientH_ <= 0) return;
  if (!overlay_ || overlayW_ != clientW_ || overlayH_ != clientH_) {
    if (overlay_) SDL_DestroyTexture(overlay_);
    overlay_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                 clientW_, clientH_);
    if (!overlay_) return;
    SDL_SetTextureBlendMode(overlay_, SDL_BLENDMODE_BLEND);
    overlayW_ = clientW_;
    overlayH_ = clientH_;
  }
  overlayPixels_.assign(size_t(overlayW_) * size_t(overlayH_), 0);
  PaintCanvas(overlayPixels_.data(), overlayW_, overlayH_, overlayW_, items, 0xFF000000u);
  SDL_UpdateTexture(overlay_, nullptr, overlayPixels_.data(), overlayW_ * int(sizeof(uint32_t)));
  overlayShown_ = true;
  Redraw();
}

// Shows the last presented frame again, scaled to the client area.
void SdlHost::Redraw() {
  if (!renderer_) return;
  SDL_RenderClear(renderer_);
  if (texture_) SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
  if (overlayShown_ && overlay_) SDL_RenderCopy(renderer_, overlay_, nullptr, nullptr);
  SDL_RenderPresent(renderer_);
}

void SdlHost::RestoreAndRaise() {
  if (!window_) return;
  SDL_RestoreWindow(window_);
  SDL_RaiseWindow(window_);
}

bool SdlHost::Active() const {
  return window_ && (SDL_GetWindowFlags(window_) & SDL_WINDOW_INPUT_FOCUS) != 0;
}

bool SdlHost::WindowPos(int& x, int& y) const {
  x = y = 0;
  if (!window_) return false;
  SDL_GetWindowPosition(window_, &x, &y);
  return true;
}

void SdlHost::SetWindowPos(int x, int y) {
  if (window_) SDL_SetWindowPosition(window_, x, y);
}

uint16_t SdlHost::VirtualKeyOf(int32_t k) {
  if (k >= SDLK_0 && k <= SDLK_9) return uint16_t('0' + (k - SDLK_0));
  if (k >= SDLK_a && k <= SDLK_z) return uint16_t('A' + (k - SDLK_a));
  if (k >= SDLK_F1 && k <= SDLK_F12) return uint16_t(112 + (k - SDLK_F1));
  switch (k) {
    case SDLK_ESCAPE: return 27;
    case SDLK_RETURN: return 13;
    case SDLK_SPACE: return 32;
    case SDLK_TAB: return 9;
    case SDLK_BACKSPACE: return 8;
    case SDLK_LEFT: return 37;
    case SDLK_UP: return 38;
    case SDLK_RIGHT: return 39;
    case SDLK_DOWN: return 40;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return 16;
    case SDLK_LCTRL: case SDLK_RCTRL: return 17;
    case SDLK_LALT: case SDLK_RALT: return 18;
    default: return 0;
  }
}

void SdlHost::Dispatch(const SDL_Event& e) {
  switch (e.type) {
    case SDL_QUIT:
      if (OnClose) OnClose(); else Terminate();
      break;
    case SDL_KEYDOWN: {  // repeats of a held key arrive here too
      uint16_t vk = VirtualKeyOf(e.key.keysym.sym);
      if (vk && OnKeyDown) OnKeyDown(KeyEvent{vk, (e.key.keysym.mod & KMOD_SHIFT) != 0});
      break;
    }
    case SDL_WINDOWEVENT:
      if (e.window.event == SDL_WINDOWEVENT_EXPOSED) {
        Redraw();
        if (OnPaint) OnPaint();
      } else if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
        if (OnClose) OnClose(); else Terminate();
      } else if (e.window.event == SDL_WINDOWEVENT_MOVED && OnWindowEvent) {
        OnWindowEvent({WindowEvent::Kind::Moved, e.window.data1, e.window.data2});
      } else if (e.window.event == SDL_WINDOWEVENT_MAXIMIZED && OnWindowEvent) {
        OnWindowEvent({WindowEvent::Kind::Maximized, 0, 0});
      }
      break;
    case SDL_RENDER_TARGETS_RESET:
    case SDL_RENDER_DEVICE_RESET:
      if (OnPaint) OnPaint();
      break;
    default:
      break;
  }
}

void SdlHost::ProcessMessages() {
  if (OnPump) OnPump();
  if (!videoUp_) return;
  SDL_Event e;
  while (SDL_PollEvent(&e)) Dispatch(e);
}

void SdlHost::WaitMessages(uint32_t ms) {
  if (!videoUp_) {
    CurrentClock().SleepMs(ms);
    return;
  }
  SDL_Event e;
  if (!SDL_WaitEventTimeout(&e, int(std::min<uint32_t>(ms, INT32_MAX)))) return;
  Dispatch(e);
  while (SDL_PollEvent(&e)) Dispatch(e);
}

void SdlHost::WaitFor(uint32_t ms) {
  Clock& clock = CurrentClock();
  const uint32_t start = clock.NowMs();
  for (uint32_t waited = 0; waited < ms && !terminated_; waited = clock.NowMs() - start)
    WaitMessages(ms - waited);
}

void SdlHost::Run() {
  while (!terminated_) {
    if (const uint32_t delay = TakeIdleDelay()) WaitFor(delay);
    if (terminated_) break;
    ProcessMessages();
    if (terminated_) break;
    if (idle_) {
      auto idle = idle_;  // the handler may replace or clear itself
      bool done = true;
      idle(done);
      if (!done || terminated_) continue;
    }
    // Nothing to do: wait for the next event, but wake now and then so the
    // instance channel is polled.
    if (videoUp_) SDL_WaitEventTimeout(nullptr, 50);
    else CurrentClock().SleepMs(10);
  }
  ConfirmDisplayBeforeExit(window_);
}

}  // namespace plat
