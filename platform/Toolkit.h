// The window toolkit seam for the configuration program: a form made of a few
// standard controls (labels, group boxes, buttons, check boxes, radio groups,
// read-only edits) and timers, and the application object that shows it.
//
// The form is plain data plus the toolkit's own rules (what a click does to a
// check box, where the focus goes, when a timer fires), so the program's form
// logic runs headless: tests click and focus through TkForm directly and fire
// the timers on a fake clock. The real application (SdlToolkit) only draws the
// form and turns mouse events into the same calls. Texts are Shift-JIS.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace plat {

struct TkRect {
  int x = 0, y = 0, w = 0, h = 0;
  bool Contains(int px, int py) const { return px >= x && py >= y && px < x + w && py < y + h; }
};

enum class TkKind { kLabel, kGroupBox, kButton, kCheckBox, kRadioGroup, kEdit };

struct TkControl {
  TkKind kind = TkKind::kLabel;
  TkRect bounds;                   // in the form's client coordinates
  int parent = -1;                 // enclosing group box or radio group, -1 none
  std::string text;                // caption, or an edit's contents (Shift-JIS)
  std::vector<std::string> items;  // radio group items (Shift-JIS)
  int itemIndex = -1;              // radio group: selected item, -1 none
  int columns = 1;                 // radio group: items are laid out in this many columns
  bool checked = false;            // check box
  bool enabled = true;
  bool visible = true;
  std::function<void()> onClick;   // button pressed, check box toggled, radio item chosen
};

class TkForm {
 public:
  TkForm(std::string captionSjis, int clientW, int clientH)
      : caption(std::move(captionSjis)), clientW(clientW), clientH(clientH) {}

  std::string caption;  // the window's caption (Shift-JIS)
  int clientW, clientH;

  // Adds a control and returns its id (ids count up from 0 in order of adding;
  // later controls lie on top of earlier ones).
  int Add(TkControl c);
  TkControl& operator[](int id) { return controls_.at(size_t(id)); }
  const TkControl& operator[](int id) const { return controls_.at(size_t(id)); }
  int Count() const { return int(controls_.size()); }

  // A control is shown only while it and every enclosing group are visible,
  // and usable only while they are also enabled.
  bool IsShowing(int id) const;
  bool IsUsable(int id) const;

  // The control with the keyboard focus, -1 none. Focus held by a control that
  // became hidden or disabled is gone, as the window system takes it away.
  int Focused() const;
  // Gives the focus to a usable button, check box, radio group or edit; false
  // (focus unchanged) for anything else.
  bool SetFocus(int id);

  // What a mouse click does, by kind: an edit takes the focus; a button takes
  // the focus and fires onClick; a check box takes the focus, toggles and
  // fires. Clicks on hidden or disabled controls, labels and group frames do
  // nothing.
  void Click(int id);
  // Chooses an item of a radio group: the group takes the focus; a different
  // item is selected and onClick fires.
  void ClickItem(int id, int item);

  // The topmost showing control under a point (-1 none) and, for a radio
  // group, the item under it (-1 none).
  int HitTest(int x, int y, int* item = nullptr) const;
  // Where item i of a radio group lies.
  TkRect ItemRect(int id, int item) const;

  // Timers run on the current clock (platform/Clock.h). Enabling a timer, or
  // changing its interval while enabled, starts its interval anew.
  int AddTimer(uint32_t intervalMs, std::function<void()> onTimer);
  void SetTimerEnabled(int timer, bool on);
  void SetTimerInterval(int timer, uint32_t intervalMs);
  bool TimerEnabled(int timer) const { return timers_.at(size_t(timer)).enabled; }
  uint32_t TimerInterval(int timer) const { return timers_.at(size_t(timer)).interval; }
  // Fires every enabled timer whose interval has passed (each at most once per
  // call, then starting its next interval); returns how many fired.
  int RunDueTimers();
  // Milliseconds until the next timer is due (0 if one is due now); a large
  // value when none is enabled.
  uint32_t MsToNextTimer() const;

  // The shortest interval a timer really runs at: the window system's timers
  // do not fire faster than this, whatever interval they were given.
  static constexpr uint32_t kMinTimerMs = 10;

 private:
  struct Timer {
    uint32_t interval = 1000;
    bool enabled = false;
    uint32_t start = 0;  // clock time the current interval began
    std::function<void()> onTimer;
  };
  uint32_t Effective(const Timer& t) const;

  std::vector<TkControl> controls_;
  std::vector<Timer> timers_;
  int focus_ = -1;
};

// The application object: shows one form and runs its message loop.
class TkApplication {
 public:
  virtual ~TkApplication() = default;
  // The application title: the caption of message boxes and the name the
  // window system knows the program by (Shift-JIS).
  virtual void SetTitle(const std::string& titleSjis) = 0;
  // A modal question with OK and Cancel; true for OK.
  virtual bool AskOkCancel(const std::string& textSjis, const std::string& captionSjis) = 0;
  // Shows the form and runs until Terminate or until the window is closed.
  // False when no window could be opened.
  virtual bool Run(TkForm& form) = 0;
  virtual void Terminate() = 0;
  virtual bool Terminated() const = 0;
};

}  // namespace plat
