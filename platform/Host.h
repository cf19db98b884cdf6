// The application host seam: the application object (idle handler, message
// pumping, terminate), the main window (caption, client size, key and paint
// events, presentation of finished frames). The real host is
// SDL2 (platform/SdlHost); tests use a scripted host that records what the game
// asked of it. All text crossing this seam is Shift-JIS; the host converts it
// to UTF-8 where it leaves for the window system.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/WindowCanvas.h"

namespace plat {

// Key codes are the game's virtual-key numbers: Esc 27, '0'..'9' 48..57,
// F1..F12 112..123.
struct KeyEvent {
  uint16_t vk = 0;
  bool shift = false;
};

// A window-manager event: the window was moved (x, y: its new position on the
// desktop) or maximised.
struct WindowEvent {
  enum class Kind { Moved, Maximized };
  Kind kind = Kind::Moved;
  int x = 0, y = 0;
};

// A finished frame in 32-bit 0x00RRGGBB pixels; pitch counts pixels.
struct FrameView {
  const uint32_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  int pitch = 0;
};

class Host {
 public:
  virtual ~Host() = default;

  // Application object.
  // The idle handler runs whenever no message is pending; done=false asks to be
  // called again at once. It may be replaced or cleared from inside itself.
  virtual void SetIdle(std::function<void(bool& done)> idle) = 0;
  virtual bool HasIdle() const = 0;
  // Dispatches every pending message synchronously on this stack (key-down,
  // paint, close) and returns when none is left.
  virtual void ProcessMessages() = 0;
  // Sleeps until a message arrives or ms milliseconds have passed and
  // dispatches what arrived, as ProcessMessages does but without the OnPump
  // hook: the frame loop waits here for the end of its period. A host that
  // cannot wait only dispatches what is pending.
  virtual void WaitMessages(uint32_t ms) {
    (void)ms;
    ProcessMessages();
  }
  // The next idle call comes no sooner than ms milliseconds from now, and
  // messages are dispatched meanwhile: the paused game rests here between its
  // input scans.
  void DelayIdle(uint32_t ms) { idleDelayMs_ = ms; }
  // Runs the message loop until Terminate.
  virtual void Run() = 0;
  virtual void Terminate() = 0;
  virtual bool Terminated() const = 0;

  // Main window. Nothing is shown until CreateWindow.
  virtual bool CreateWindow(const std::string& captionSjis, int clientW, int clientH) = 0;
  virtual void SetCaption(const std::string& captionSjis) = 0;
  virtual std::string Caption() const = 0;
  virtual void SetClientSize(int w, int h) = 0;
  virtual void SetFullScreen(bool on) = 0;
  virtual void ShowCursor(bool on) = 0;
  // Shows a finished frame scaled to the window's client area.
  virtual void Present(const FrameView& frame) = 0;
  // Draws with the window's canvas over the frame shown now, in client
  // pixels; the next Present covers it again.
  virtual void DrawOverFrame(const std::vector<CanvasItem>& items) { (void)items; }
  // Restores and raises the window (another copy of the program asked for it).
  virtual void RestoreAndRaise() = 0;
  // Whether the window has the input focus.
  virtual bool Active() const { return true; }
  // The window's position on the desktop; false while there is no window.
  virtual bool WindowPos(int& x, int& y) const {
    x = y = 0;
    return false;
  }
  virtual void SetWindowPos(int /*x*/, int /*y*/) {}

  // Event handlers the game installs.
  std::function<void(const KeyEvent&)> OnKeyDown;
  std::function<void()> OnPaint;
  std::function<void()> OnClose;
  std::function<void(const WindowEvent&)> OnWindowEvent;
  // Runs at the start of every ProcessMessages, before the window messages:
  // the program block polls the single-instance channel here, once per idle
  // call.
  std::function<void()> OnPump;

 protected:
  // The delay asked for since the last idle call (0: none); asking clears it.
  uint32_t TakeIdleDelay() {
    const uint32_t ms = idleDelayMs_;
    idleDelayMs_ = 0;
    return ms;
  }

 private:
  uint32_t idleDelayMs_ = 0;
};

}  // namespace plat
