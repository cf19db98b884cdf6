#include "platform/Toolkit.h"

#include <algorithm>

#include "platform/Clock.h"

namespace plat {

int TkForm::Add(TkControl c) {
  // A group is always added before what it holds, so walks up the parents end.
  if (c.parent >= Count()) c.parent = -1;
  controls_.push_back(std::move(c));
  return int(controls_.size()) - 1;
}

bool TkForm::IsShowing(int id) const {
  if (id < 0 || id >= Count()) return false;
  for (int i = id; i >= 0; i = controls_[size_t(i)].parent)
    if (!controls_[size_t(i)].visible) return false;
  return true;
}

bool TkForm::IsUsable(int id) const {
  if (!IsShowing(id)) return false;
  for (int i = id; i >= 0; i = controls_[size_t(i)].parent)
    if (!controls_[size_t(i)].enabled) return false;
  return true;
}

int TkForm::Focused() const { return focus_ >= 0 && IsUsable(focus_) ? focus_ : -1; }

bool TkForm::SetFocus(int id) {
  if (id < 0 || id >= Count() || !IsUsable(id)) return false;
  TkKind k = controls_[size_t(id)].kind;
  if (k == TkKind::kLabel || k == TkKind::kGroupBox) return false;
  focus_ = id;
  return true;
}

void TkForm::Click(int id) {
  if (id < 0 || id >= Count() || !IsUsable(id)) return;
  TkControl& c = controls_[size_t(id)];
  switch (c.kind) {
    case TkKind::kEdit:
      SetFocus(id);
      break;
    case TkKind::kButton:
      SetFocus(id);
      if (c.onClick) c.onClick();
      break;
    case TkKind::kCheckBox:
      SetFocus(id);
      c.checked = !c.checked;
      if (c.onClick) c.onClick();
      break;
    default:
      break;
  }
}

void TkForm::ClickItem(int id, int item) {
  if (id < 0 || id >= Count() || !IsUsable(id)) return;
  TkControl& c = controls_[size_t(id)];
  if (c.kind != TkKind::kRadioGroup || item < 0 || item >= int(c.items.size())) return;
  SetFocus(id);
  if (c.itemIndex == item) return;
  c.itemIndex = item;
  if (c.onClick) c.onClick();
}

TkRect TkForm::ItemRect(int id, int item) const {
  const TkControl& c = controls_.at(size_t(id));
  int cols = std::max(1, c.columns);
  int rows = std::max(1, (int(c.items.size()) + cols - 1) / cols);
  // Items share the space under the caption line evenly.
  const int top = 18, side = 10, bottom = 6;
  int cellW = (c.bounds.w - 2 * side) / cols;
  int cellH = std::max(1, (c.bounds.h - top - bottom) / rows);
  int col = item / rows, row = item % rows;
  return {c.bounds.x + side + col * cellW, c.bounds.y + top + row * cellH, cellW, cellH};
}

int TkForm::HitTest(int x, int y, int* item) const {
  if (item) *item = -1;
  for (int id = Count() - 1; id >= 0; --id) {
    const TkControl& c = controls_[size_t(id)];
    if (!IsShowing(id) || !c.bounds.Contains(x, y)) continue;
    if (c.kind == TkKind::kGroupBox) continue;  // frames let clicks through to what they hold
    if (c.kind == TkKind::kRadioGroup && item) {
      for (int i = 0; i < int(c.items.size()); ++i)
        if (ItemRect(id, i).Contains(x, y)) *item = i;
    }
    return id;
  }
  return -1;
}

int TkForm::AddTimer(uint32_t intervalMs, std::function<void()> onTimer) {
  Timer t;
  t.interval = intervalMs;
  t.onTimer = std::move(onTimer);
  timers_.push_back(std::move(t));
  return int(timers_.size()) - 1;
}

void TkForm::SetTimerEnabled(int timer, bool on) {
  Timer& t = timers_.at(size_t(timer));
  if (on) t.start = CurrentClock().NowMs();
  t.enabled = on;
}

void TkForm::SetTimerInterval(int timer, uint32_t intervalMs) {
  Timer& t = timers_.at(size_t(timer));
  t.interval = intervalMs;
  t.start = CurrentClock().NowMs();
}

uint32_t TkForm::Effective(const Timer& t) const { return std::max(t.interval, kMinTimerMs); }

int TkForm::RunDueTimers() {
  int fired = 0;
  for (size_t i = 0; i < timers_.size(); ++i) {
    uint32_t now = CurrentClock().NowMs();
    Timer& t = timers_[i];
    if (!t.enabled || now - t.start < Effective(t)) continue;
    t.start = now;
    ++fired;
    // The handler may add timers, so take a copy and index again afterwards.
    auto handler = t.onTimer;
    if (handler) handler();
  }
  return fired;
}

uint32_t TkForm::MsToNextTimer() const {
  uint32_t best = 1000;
  uint32_t now = CurrentClock().NowMs();
  for (const Timer& t : timers_) {
    if (!t.enabled) continue;
    uint32_t gone = now - t.start;
    uint32_t left = gone >= Effective(t) ? 0 : Effective(t) - gone;
    best = std::min(best, left);
  }
  return best;
}

}  // namespace plat
