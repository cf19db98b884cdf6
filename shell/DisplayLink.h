// The form's display: the display component TDDDD with the settings the game
// places it with (halt on error, first window 1024 x 480 at 32 bits, black,
// screen saver off, no 3D, no vertical sync in a window), seen through the
// form's display interface.
#pragma once
#include "graphics/dddd.h"
#include "shell/FormParts.h"

class DdddDisplay final : public FormDisplay {
 public:
  explicit DdddDisplay(plat::Host& host);
  ~DdddDisplay() override;

  // The component itself, for the renderer and the texture loaders.
  TDDDD& Device() { return dev_; }

  void SetTimer(TProcCounter* pc) override { dev_.PC = pc; }
  void SetUse3D(bool on) override { dev_.Use3D = on; }
  void SetSystemMemorySurfaces(bool on) override {
    dev_.SurfaceLocation = on ? smtSystemMemory : smtDefault;
  }
  void SetDebugMessages(bool on) override;
  void WindowMode(int width, int height) override {
    dev_.WindowMode(uint32_t(width), uint32_t(height));
  }
  void FullScreenMode2(int mag, bool trueCol, bool delMCursor) override {
    dev_.FullScreenMode2(mag, trueCol, delMCursor);
  }
  void Flip() override { dev_.Flip(); }
  void MouseCursorSwitch() override { dev_.MouseCursorSwitch(); }
  void RunCreate(const std::function<void()>& formCreate,
                 const std::function<void()>& onInit) override;

 private:
  TDDDD dev_;
};

// The display component of a form whose display is the game's own; null for
// a form built with another display (tests).
TDDDD* DisplayDevice(TForm1& form);
