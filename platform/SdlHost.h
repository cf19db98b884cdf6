// The real application host on SDL2: one window with a fixed client size,
// the game's frames scaled into it, key-downs as virtual-key codes (held keys
// repeat), expose, close, move and maximise events. Message pumping may be
// entered again from inside the idle handler: the frame loop dispatches
// messages while it waits.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Host.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;
union SDL_Event;

namespace plat {

class SdlHost final : public Host {
 public:
  SdlHost();
  ~SdlHost() override;
  SdlHost(const SdlHost&) = delete;
  SdlHost& operator=(const SdlHost&) = delete;

  void SetIdle(std::function<void(bool& done)> idle) override { idle_ = std::move(idle); }
  bool HasIdle() const override { return bool(idle_); }
  void ProcessMessages() override;
  // Blocks in the window system's event wait until an event or the time-out.
  void WaitMessages(uint32_t ms) override;
  void Run() override;
  void Terminate() override { terminated_ = true; }
  bool Terminated() const override { return terminated_; }

  bool CreateWindow(const std::string& captionSjis, int clientW, int clientH) override;
  void SetCaption(const std::string& captionSjis) override;
  std::string Caption() const override { return caption_; }
  void SetClientSize(int w, int h) override;
  void SetFullScreen(bool on) override;
  void ShowCursor(bool on) override;
  void Present(const FrameView& frame) override;
  void DrawOverFrame(const std::vector<CanvasItem>& items) override;
  void RestoreAndRaise() override;
  bool Active() const override;
  bool WindowPos(int& x, int& y) const override;
  void SetWindowPos(int x, int y) override;

  // Maps an SDL key code to the game's virtual-key number; 0 for keys the
  // game has no number for.
  static uint16_t VirtualKeyOf(int32_t sdlKey);

 private:
  void Dispatch(const SDL_Event& e);
  void Redraw();
  // Waits ms milliseconds in all, dispatching messages as they arrive.
  void WaitFor(uint32_t ms);

  std::function<void(bool& done)> idle_;
  bool terminated_ = false;
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  int texW_ = 0, texH_ = 0;
  // The canvas drawing over the frame: client-sized, transparent where
  // nothing was drawn, shown until the next Present.
  SDL_Texture* overlay_ = nullptr;
  int overlayW_ = 0, overlayH_ = 0;
  bool overlayShown_ = false;
  std::vector<uint32_t> overlayPixels_;
  std::string caption_;
  int clientW_ = 0, clientH_ = 0;
  bool fullScreen_ = false;
  bool videoUp_ = false;
};

}  // namespace plat
