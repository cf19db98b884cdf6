#include "platform/ScriptedHost.h"

#include <algorithm>
#include <cstddef>

namespace plat {

// Reads the fake time without counting as a clock read.
uint32_t ScriptedHost::Now() const {
  return clock_ ? uint32_t(clock_->PerfCounter() / 1000) : UINT32_MAX;
}

void ScriptedHost::Queue(Event e) {
  // Keep the queue in time order; equal times keep their queueing order.
  auto pos = std::upper_bound(events_.begin(), events_.end(), e.atMs,
                              [](uint32_t t, const Event& x) { return t < x.atMs; });
  events_.insert(pos, e);
}

void ScriptedHost::QueueKey(uint32_t atMs, uint16_t vk, bool shift) {
  Queue(Event{atMs, Kind::kKey, KeyEvent{vk, shift}});
}
void ScriptedHost::QueuePaint(uint32_t atMs) { Queue(Event{atMs, Kind::kPaint, {}}); }
void ScriptedHost::QueueClose(uint32_t atMs) { Queue(Event{atMs, Kind::kClose, {}}); }

void ScriptedHost::ProcessMessages() {
  ++Pumps;
  if (OnPump) OnPump();
  if (clock_) clock_->AdvanceMs(PumpStepMs);
  DispatchDue();
}

void ScriptedHost::WaitMessages(uint32_t ms) {
  if (!clock_ || PumpStepMs == 0) {
    ++Pumps;
    DispatchDue();
    return;
  }
  const uint32_t end = Now() + ms;
  for (;;) {
    ++Pumps;
    const uint32_t left = end - Now();
    if (int32_t(left) > 0) clock_->AdvanceMs(std::min(PumpStepMs, left));
    DispatchDue();
    if (terminated_ || int32_t(end - Now()) <= 0) return;
  }
}

void ScriptedHost::DispatchDue() {
  uint32_t now = Now();
  // Handlers may pump again or queue more events: take one at a time.
  while (!events_.empty() && events_.front().atMs <= now) {
    Event e = events_.front();
    events_.pop_front();
    switch (e.kind) {
      case Kind::kKey:
        if (OnKeyDown) OnKeyDown(e.key);
        break;
      case Kind::kPaint:
        if (OnPaint) OnPaint();
        break;
      case Kind::kClose:
        if (OnClose) OnClose(); else Terminate();
        break;
    }
  }
}

void ScriptedHost::Run() {
  while (!terminated_) {
    if (const uint32_t delay = TakeIdleDelay()) WaitMessages(delay);
    if (terminated_) break;
    ProcessMessages();
    if (terminated_) break;
    if (idle_) {
      auto idle = idle_;
      bool done = true;
      idle(done);
      ++IdleCalls;
      if (MaxIdleCalls && IdleCalls >= MaxIdleCalls) break;
      continue;
    }
    if (events_.empty()) break;  // nothing will ever happen again
    if (clock_ && events_.front().atMs > Now())
      clock_->SetMs(events_.front().atMs);
  }
}

bool ScriptedHost::CreateWindow(const std::string& captionSjis, int clientW, int clientH) {
  WindowCreated = true;
  ClientW = clientW;
  ClientH = clientH;
  SetCaption(captionSjis);
  return true;
}

void ScriptedHost::SetCaption(const std::string& captionSjis) {
  if (captionSjis == caption_ && !Captions.empty()) return;
  caption_ = captionSjis;
  Captions.push_back(captionSjis);
}

void ScriptedHost::Present(const FrameView& frame) {
  ++Presents;
  if (!frame.pixels || frame.width <= 0 || frame.height <= 0 || frame.pitch < frame.width) return;
  LastFrameW = frame.width;
  LastFrameH = frame.height;
  LastFrame.resize(size_t(frame.width) * size_t(frame.height));
  for (int y = 0; y < frame.height; ++y)
    std::copy_n(frame.pixels + size_t(y) * size_t(frame.pitch), frame.width,
                LastFrame.begin() + std::ptrdiff_t(size_t(y) * size_t(frame.width)));
}

void ScriptedHost::DrawOverFrame(const std::vector<CanvasItem>& items) {
  if (LastFrame.empty()) {
    LastFrameW = ClientW;
    LastFrameH = ClientH;
    LastFrame.assign(size_t(std::max(ClientW, 0)) * size_t(std::max(ClientH, 0)), 0);
  }
  PaintCanvas(LastFrame.data(), LastFrameW, LastFrameH, LastFrameW, items);
}

}  // namespace plat
