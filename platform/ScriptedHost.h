// A host for tests and benchmarks: no window, no display. Key, paint and close
// events are scripted at times of the fake clock and dispatched by
// ProcessMessages once that time has come; captions, window calls and
// presented frames are recorded.
#pragma once
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/Host.h"

namespace plat {

class ScriptedHost final : public Host {
 public:
  // With a clock, every ProcessMessages advances it by PumpStepMs (so a loop
  // that waits while pumping sees time pass) and events are dispatched by its
  // time; without one, queued events go out on the next pump.
  explicit ScriptedHost(FakeClock* clock = nullptr) : clock_(clock) {}

  void SetIdle(std::function<void(bool& done)> idle) override { idle_ = std::move(idle); }
  bool HasIdle() const override { return bool(idle_); }
  void ProcessMessages() override;
  // Lets ms milliseconds of the fake clock pass in steps of PumpStepMs,
  // dispatching each event when its time comes, as a timed wait delivers a
  // message when it arrives. Without a clock, or with PumpStepMs 0, it looks
  // at the queue once.
  void WaitMessages(uint32_t ms) override;
  // Calls the idle handler until Terminate, until MaxIdleCalls calls were made,
  // or, with no idle handler installed, until no scripted event is left. A
  // delay the idle handler asked for passes before its next call.
  void Run() override;
  void Terminate() override { terminated_ = true; }
  bool Terminated() const override { return terminated_; }

  bool CreateWindow(const std::string& captionSjis, int clientW, int clientH) override;
  void SetCaption(const std::string& captionSjis) override;
  std::string Caption() const override { return caption_; }
  void SetClientSize(int w, int h) override { ClientW = w; ClientH = h; }
  void SetFullScreen(bool on) override { FullScreen = on; }
  void ShowCursor(bool on) override { CursorShown = on; }
  void Present(const FrameView& frame) override;
  // Paints over LastFrame (a black client area when nothing was presented).
  void DrawOverFrame(const std::vector<CanvasItem>& items) override;
  void RestoreAndRaise() override { ++Restores; }

  // Script.
  void QueueKey(uint32_t atMs, uint16_t vk, bool shift = false);
  void QueuePaint(uint32_t atMs);
  void QueueClose(uint32_t atMs);
  size_t PendingEvents() const { return events_.size(); }

  uint32_t PumpStepMs = 1;
  uint64_t MaxIdleCalls = 0;  // 0: no limit

  // Record.
  bool WindowCreated = false;
  int ClientW = 0, ClientH = 0;
  bool FullScreen = false;
  bool CursorShown = true;
  int Restores = 0;
  uint64_t Pumps = 0;  // dispatch passes: ProcessMessages calls and steps of a wait
  uint64_t IdleCalls = 0;
  std::vector<std::string> Captions;  // every change, in order
  uint64_t Presents = 0;
  int LastFrameW = 0, LastFrameH = 0;
  std::vector<uint32_t> LastFrame;    // the last presented pixels, tightly packed

 private:
  enum class Kind { kKey, kPaint, kClose };
  struct Event {
    uint32_t atMs;
    Kind kind;
    KeyEvent key;
  };
  uint32_t Now() const;
  void Queue(Event e);
  // Dispatches every event whose time has come.
  void DispatchDue();

  FakeClock* clock_;
  std::deque<Event> events_;
  std::function<void(bool& done)> idle_;
  bool terminated_ = false;
  std::string caption_;
};

}  // namespace plat
