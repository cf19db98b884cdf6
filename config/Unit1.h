// The configuration program's one window: which device drives player 1 (or
// pads first), the game-pad buttons A, B and St of two pads, the keyboard keys
// for the four directions and A, B, St and A+B, and the window size. Keys and
// buttons are not typed: while a key field has the focus the capture timer
// polls the input component and takes the first key or button pressed, then
// moves the focus on. Nothing is written until "Save and End".
//
// The form is toolkit data (platform/Toolkit.h) driven by the handlers below,
// so tests run it headless with scripted input devices and a fake clock.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "config/CfgIni.h"
#include "input/Ddidex.h"
#include "platform/InputDevices.h"
#include "platform/Toolkit.h"

namespace tumbotcfg {

class TForm1 {
 public:
  // Builds the window's controls with their Japanese captions and loads the
  // input component over the given devices (the current ones when null);
  // FormCreate then makes the form ready to show.
  TForm1(plat::TkApplication& app, plat::InputDevices* devices, bool eng);

  plat::TkForm& Form() { return form_; }

  // Renames the old folders once, switches to English captions when asked,
  // loads the settings, starts the capture timer and shows the pads' status.
  void FormCreate();

  // Reads the settings file beside the program into the record and the
  // controls; a file that is missing or cannot be read is reported and gives
  // the starting values, a short one leaves the rest of the record 0.
  void LoadSettings();
  // Writes the record, creating the data folder after asking. False (and the
  // window stays) when the user cancels or the file cannot be written.
  bool Save();
  // Shows a status text in the caption for a while.
  void SetStatus(const std::string& textSjis);

  // Control events.
  void Button2Click();
  void CheckBox1Click();
  void RadioGroup1Click();
  void RadioGroup2Click();
  void RadioGroup3Click();
  void Timer1Timer();
  void Timer2Timer();  // key and button capture

  // The settings file's host path.
  static std::string CfgPath();

  // The capture table: pad 1 A, B, St; pad 2 A, B, St; keyboard up, down,
  // left, right, A, B, St, A+B.
  static constexpr int kFields = 14;

  TCFGINI cfg{};
  int32_t cur = -1;     // capture field with the focus, -1 none
  int32_t device = 0;   // device polled: 2 first pad, 3 second pad, 0 keyboard
  uint8_t latch = 0;    // set by a capture until every key and button is released

  // Control ids.
  int Button2, GroupBox4, CheckBox1, GroupBox1, GroupBox2, GroupBox3;
  int RadioGroup1, RadioGroup2, RadioGroup3;
  std::array<int, kFields> Edit{};
  std::array<int, 3> PadLabel1{}, PadLabel2{};  // A, B, St labels of each pad
  std::array<int, 8> KeyLabel{};                // keyboard labels
  int Timer1, Timer2;
  // The input component, placed with dead zone 5 and halt-on-error.
  TDDIDEX DDIDEX1;

 private:
  void BuildControls();
  void UseEnglishCaptions();
  void ShowPadStatus();
  void SyncPlayerGroups();
  void ReportUnreadSettings(const std::string& problem);
  bool CaptureKey(int field);
  bool CapturePadButton(int field);

  plat::TkApplication& app_;
  bool eng_;
  plat::TkForm form_;
};

}  // namespace tumbotcfg
