// The display component TDDDD, in the minimal form the frame loop needs until
// the display is built: it sizes the host window for the mode asked for and,
// on every Flip, presents a cleared (black) 512 x 240 x scale frame through
// the host, timed by stopwatch 0 like the real present.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/Host.h"
#include "shell/FormParts.h"

constexpr int DDDD_WIDTH = 512;
constexpr int DDDD_HEIGHT = 240;

class TDDDD : public FormDisplay {
 public:
  explicit TDDDD(plat::Host& host);

  void SetTimer(TProcCounter* pc) override { PC = pc; }
  void SetUse3D(bool on) override { Use3D = on; }
  void SetSystemMemorySurfaces(bool on) override { SystemMemory = on; }
  void WindowMode(int width, int height) override;
  void FullScreenMode2(int mag, bool trueCol, bool delMCursor) override;
  void Flip() override;
  void MouseCursorSwitch() override;

  TProcCounter* PC = nullptr;
  bool Use3D = false;
  bool SystemMemory = false;
  uint32_t BackColor = 0;
  bool FullScreen = false;
  int ScreenWidth = 1024, ScreenHeight = 480;

 private:
  plat::Host& host_;
  std::vector<uint32_t> back_;
  bool cursorHidden_ = false;
};
