// The configuration window driven headless: key and pad-button capture through
// scripted devices, the choices written to the 108-byte record, loading short
// or damaged settings files, saving and the program's single copy.
#include <algorithm>
#include <fstream>

#include "config/CfgProgram.h"
#include "config/Unit1.h"
#include "config_kit.h"

namespace {

using cfgtest::ScriptedApp;
using cfgtest::ScriptedDevices;
using tumbotcfg::TForm1;

std::vector<uint8_t> ReadAll(const std::filesystem::path& p) {
  std::ifstream f(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

void WriteAll(const std::filesystem::path& p, const std::vector<uint8_t>& bytes) {
  std::filesystem::create_directories(p.parent_path());
  std::ofstream f(p, std::ios::binary);
  f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

uint16_t U16(const std::vector<uint8_t>& b, size_t at) { return uint16_t(b[at] | (b[at + 1] << 8)); }

class ConfigForm : public cfgtest::ProgramFolderTest {
 protected:
  // A form made ready as the program makes it, with a settings file present
  // unless the test wrote its own or removed the data folder.
  TForm1& Open(bool eng = true) {
    form_ = std::make_unique<TForm1>(app, &devices, eng);
    form_->FormCreate();
    return *form_;
  }
  void SaveDefaults() {
    MakeData();
    ASSERT_TRUE(SaveCfgIni(TForm1::CfgPath(), CfgIniDefaults()));
  }
  // One capture-timer tick.
  void Tick() {
    clock.AdvanceMs(plat::TkForm::kMinTimerMs);
    form_->Form().RunDueTimers();
  }
  plat::TkControl& Edit(int i) { return form_->Form()[form_->Edit[size_t(i)]]; }
  int Focus() const {
    int f = form_->Form().Focused();
    for (int i = 0; i < TForm1::kFields; ++i)
      if (form_->Edit[size_t(i)] == f) return i;
    return -1;
  }
  void FocusField(int i) { form_->Form().Click(form_->Edit[size_t(i)]); }

  ScriptedApp app;
  ScriptedDevices devices;
  std::unique_ptr<TForm1> form_;
};

TEST_F(ConfigForm, KeyCaptureTakesTheFirstKeyDownAndWaitsForRelease) {
  MakeData();
  ASSERT_TRUE(SaveCfgIni(TForm1::CfgPath(), TCFGINI{}));  // no keys yet
  TForm1& f = Open();
  FocusField(6);
  devices.keys = {0xC8, 0x1E};  // Up arrow and A held together: the lower code wins
  Tick();
  EXPECT_EQ(f.cfg.KBBtn[0], 0x1E);
  EXPECT_EQ(Edit(6).text, "Key : A");
  EXPECT_EQ(Focus(), 7);
  EXPECT_EQ(devices.scans.back(), 0);

  // Still held: the next field must not take it.
  Tick();
  Tick();
  EXPECT_EQ(f.cfg.KBBtn[1], 0);
  EXPECT_EQ(Focus(), 7);

  devices.keys.clear();
  Tick();
  devices.keys = {0xD0};
  Tick();
  EXPECT_EQ(f.cfg.KBBtn[1], 0xD0);
  EXPECT_EQ(Edit(7).text, "Key : Down");
  EXPECT_EQ(Focus(), 8);
}

TEST_F(ConfigForm, FocusWrapsInsideTheKeyboardAndEachPad) {
  SaveDefaults();
  devices.pads = 2;
  TForm1& f = Open();
  struct Case {
    int field, next, target;
  } cases[] = {{13, 6, 0}, {5, 3, 3}, {2, 0, 2}, {3, 4, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.field);
    devices.keys.clear();
    devices.buttons[0].clear();
    devices.buttons[1].clear();
    FocusField(c.field);
    Tick();  // everything released: the latch clears
    if (c.target == 0)
      devices.keys = {0x39};
    else
      devices.buttons[c.target - 2] = {9};
    Tick();
    EXPECT_EQ(devices.scans.back(), c.target);
    EXPECT_EQ(Focus(), c.next);
  }
  EXPECT_EQ(f.cfg.KBBtn[7], 0x39);
  EXPECT_EQ(f.cfg.JSBtn[1][2], 9);
  EXPECT_EQ(f.cfg.JSBtn[0][2], 9);
  EXPECT_EQ(f.cfg.JSBtn[1][0], 9);
  EXPECT_EQ(Edit(5).text, "Btn : 9");
}

TEST_F(ConfigForm, PadCaptureReadsOnlyItsPadAndTheFirstButton) {
  SaveDefaults();
  devices.pads = 2;
  TForm1& f = Open();
  FocusField(3);
  devices.buttons[0] = {1};       // pad 1 is not polled for pad 2's fields
  devices.buttons[1] = {12, 15};
  Tick();
  EXPECT_EQ(devices.scans.back(), 3);
  EXPECT_EQ(f.cfg.JSBtn[1][0], 12);
  EXPECT_EQ(f.cfg.JSBtn[0][0], 0);
  EXPECT_EQ(Edit(3).text, "Btn : 12");
  EXPECT_EQ(Focus(), 4);
  // Still held: the next field waits for every button to be released.
  Tick();
  EXPECT_EQ(f.cfg.JSBtn[1][1], 1);
  EXPECT_EQ(Focus(), 4);
  // Buttons above 15 are never taken.
  devices.buttons[1] = {16, 20};
  Tick();
  Tick();
  EXPECT_EQ(f.cfg.JSBtn[1][1], 1);
  EXPECT_EQ(Focus(), 4);
}

TEST_F(ConfigForm, NothingIsCapturedWithoutAFocusedField) {
  SaveDefaults();
  TForm1& f = Open();
  devices.keys = {0x1C};
  Tick();
  EXPECT_EQ(f.cur, -1);
  EXPECT_TRUE(devices.scans.empty());
  // A click on the check box takes the focus away from a field that was
  // being polled.
  devices.keys.clear();
  FocusField(8);
  Tick();
  EXPECT_EQ(f.cur, 8);
  f.Form().Click(f.CheckBox1);
  devices.keys = {0x1C};
  Tick();
  EXPECT_EQ(f.cur, -1);
  EXPECT_EQ(f.cfg.KBBtn[2], CfgIniDefaults().KBBtn[2]);
}

TEST_F(ConfigForm, UnnamedKeyIsSavedRawAndDroppedWhenLoadedAgain) {
  SaveDefaults();
  TForm1& f = Open();
  FocusField(6);
  devices.keys = {59};  // F1 has no name
  Tick();
  EXPECT_EQ(f.cfg.KBBtn[0], 59);
  EXPECT_EQ(Edit(6).text, "other key please");
  devices.keys.clear();
  Tick();
  devices.keys = {255};  // the last scan code is read too
  Tick();
  EXPECT_EQ(f.cfg.KBBtn[1], 255);
  EXPECT_EQ(Edit(7).text, "other key please");
  f.Form().Click(f.Button2);
  EXPECT_EQ(U16(ReadAll(CfgFile()), 16), 59);
  EXPECT_EQ(U16(ReadAll(CfgFile()), 18), 255);

  TForm1& again = Open();
  EXPECT_EQ(again.cfg.KBBtn[0], 0);
  EXPECT_EQ(again.cfg.KBBtn[1], 0);
  EXPECT_EQ(Edit(6).text, "Needless to me!");
}

TEST_F(ConfigForm, PadStatusFollowsTheNumberOfPads) {
  SaveDefaults();
  for (int pads : {0, 1, 2}) {
    SCOPED_TRACE(pads);
    devices.pads = pads;
    TForm1& f = Open();
    EXPECT_EQ(f.Form()[f.GroupBox1].text, pads >= 1 ? "Game pad 1 : Connected" : "Game pad 1 : Disconnected");
    EXPECT_EQ(f.Form()[f.GroupBox2].text, pads >= 2 ? "Game pad 2 : Connected" : "Game pad 2 : Disconnected");
    for (int i = 0; i < 6; ++i) EXPECT_EQ(Edit(i).enabled, pads > i / 3) << i;
    FocusField(0);
    EXPECT_EQ(Focus(), pads >= 1 ? 0 : -1);
  }
  devices.pads = 1;
  TForm1& j = Open(false);
  EXPECT_EQ(j.Form()[j.GroupBox1].text, "\x83Q\x81[\x83\x80\x83p\x83" "b\x83h 1 : \x90\xDA\x91\xB1OK");  // ゲームパッド 1 : 接続OK
  EXPECT_EQ(j.Form()[j.GroupBox2].text, "\x83Q\x81[\x83\x80\x83p\x83" "b\x83h 2 : \x96\xA2\x90\xDA\x91\xB1");  // ゲームパッド 2 : 未接続
}

TEST_F(ConfigForm, ChoicesAreWrittenToTheRecord) {
  SaveDefaults();
  TForm1& f = Open();
  plat::TkForm& w = f.Form();
  EXPECT_EQ(w.caption, "tumbot configuration");
  EXPECT_TRUE(w[f.CheckBox1].checked);
  // Player 1's device is chosen by hand only while pads do not go first.
  EXPECT_FALSE(w.IsUsable(f.RadioGroup1));
  w.ClickItem(f.RadioGroup1, 0);
  EXPECT_EQ(f.cfg.Device[0], 1);
  EXPECT_FALSE(w[f.RadioGroup3].visible);

  w.Click(f.CheckBox1);
  EXPECT_EQ(f.cfg.Auto_f, 0);
  EXPECT_TRUE(w.IsUsable(f.RadioGroup1));
  w.Click(f.CheckBox1);  // and back: pads first again
  EXPECT_EQ(f.cfg.Auto_f, 1);
  EXPECT_FALSE(w.IsUsable(f.RadioGroup1));
  w.Click(f.CheckBox1);
  w.ClickItem(f.RadioGroup1, 0);
  w.ClickItem(f.RadioGroup2, 1);
  FocusField(9);
  devices.keys = {0x2C};
  Tick();
  w.Click(f.Button2);

  auto b = ReadAll(CfgFile());
  ASSERT_EQ(b.size(), 108u);
  EXPECT_EQ(b[0], 0);            // player 1: keyboard
  EXPECT_EQ(b[4], 2);            // player 2: pad 2, as it was
  EXPECT_EQ(U16(b, 16 + 2 * 3), 0x2C);
  EXPECT_EQ(U16(b, 40 + 2), 1);  // pad 1 B
  EXPECT_EQ(b[104], 0);
  EXPECT_EQ(U16(b, 106), 1);
  EXPECT_TRUE(app.Terminated());
  EXPECT_EQ(w.caption, "Save OK!");
}

// Every control shows the file it was opened on, with English captions, and
// saving what was loaded gives back the same 108 bytes.
TEST_F(ConfigForm, LoadedFileShowsInEveryControlAndSavesBackUnchanged) {
  TCFGINI c{};
  c.Device[0] = 2;
  c.Device[1] = 1;
  c.Device[2] = 3;  // unused fields are kept as read
  const uint16_t keys[8] = {0x11, 0x1F, 0x1E, 0x20, 181, 0x39, 0x9C, 0x1D};
  std::copy(keys, keys + 8, c.KBBtn);
  for (int b = 0; b < 3; ++b) {
    c.JSBtn[0][b] = uint16_t(3 + b);
    c.JSBtn[1][b] = uint16_t(13 + b);
  }
  c.JSBtn[3][7] = 31;
  c.WinSize = 1;
  const auto raw = CfgIniToBytes(c);
  WriteAll(CfgFile(), {raw.begin(), raw.end()});
  devices.pads = 2;
  TForm1& f = Open();
  EXPECT_TRUE(messages.empty());
  plat::TkForm& w = f.Form();
  EXPECT_FALSE(w[f.CheckBox1].checked);
  EXPECT_TRUE(w.IsUsable(f.RadioGroup1));
  EXPECT_EQ(w[f.RadioGroup1].itemIndex, 2);
  EXPECT_EQ(w[f.RadioGroup3].itemIndex, 1);
  EXPECT_EQ(w[f.RadioGroup2].itemIndex, 1);
  const char* const fields[TForm1::kFields] = {
      "Btn : 3", "Btn : 4", "Btn : 5", "Btn : 13", "Btn : 14", "Btn : 15", "Key : W",
      "Key : S", "Key : A", "Key : D", "Key : / (Numpad)", "Key : Space",
      "Key : Enter (Numpad)", "Key : Ctrl (Left)"};
  for (int i = 0; i < TForm1::kFields; ++i) EXPECT_EQ(Edit(i).text, fields[i]) << i;

  EXPECT_EQ(w[f.Button2].text, "Save and End");
  EXPECT_EQ(w[f.GroupBox4].text, "KeyConfiguration");
  EXPECT_EQ(w[f.CheckBox1].text,
            "Game pad is assigned by priority. Keyboard is assigned when there are no Game pads.");
  EXPECT_EQ(w[f.GroupBox1].text, "Game pad 1 : Connected");
  EXPECT_EQ(w[f.GroupBox2].text, "Game pad 2 : Connected");
  EXPECT_EQ(w[f.GroupBox3].text, "Keyboard");
  EXPECT_EQ(w[f.RadioGroup1].text, "Player 1");
  EXPECT_EQ(w[f.RadioGroup1].items, (std::vector<std::string>{"Keyboard", "Game pad 1", "Game pad 2"}));
  EXPECT_EQ(w[f.RadioGroup2].text, "Window Size");
  EXPECT_EQ(w[f.RadioGroup2].items, (std::vector<std::string>{"1024 x 480", "512 x 240"}));
  const char* const buttons[3] = {"A Btn (Pass/Dodge)", "B Btn (Shoooot/Catch)", "St Btn (Pause)"};
  const char* const keyLabels[8] = {"Up", "Down", "Left", "Right", buttons[0], buttons[1],
                                    buttons[2], "A+B Btn (Jump)"};
  for (int r = 0; r < 3; ++r) {
    EXPECT_EQ(w[f.PadLabel1[size_t(r)]].text, buttons[r]);
    EXPECT_EQ(w[f.PadLabel2[size_t(r)]].text, buttons[r]);
  }
  for (int r = 0; r < 8; ++r) EXPECT_EQ(w[f.KeyLabel[size_t(r)]].text, keyLabels[r]);

  w.Click(f.Button2);
  EXPECT_EQ(ReadAll(CfgFile()), std::vector<uint8_t>(raw.begin(), raw.end()));
}

// The window as the user sees it: 738 x 516, the key configuration group on
// top, the window size and the save button below; the pad groups stack on the
// left above player 1's device, the keyboard fills the right, and every field
// sits on its label's row. A moved or resized control is a visible change.
TEST_F(ConfigForm, ControlsSitWhereTheWindowPlacesThem) {
  SaveDefaults();
  TForm1& f = Open(false);
  const plat::TkForm& w = f.Form();
  EXPECT_EQ(w.clientW, 738);
  EXPECT_EQ(w.clientH, 516);
  struct Place {
    int id;
    plat::TkKind kind;
    int x, y, wd, ht, parent;
  };
  using K = plat::TkKind;
  std::vector<Place> want = {
      {f.Button2, K::kButton, 498, 448, 232, 48, -1},
      {f.GroupBox4, K::kGroupBox, 8, 8, 722, 414, -1},
      {f.CheckBox1, K::kCheckBox, 22, 30, 696, 22, f.GroupBox4},
      {f.GroupBox1, K::kGroupBox, 22, 62, 316, 116, f.GroupBox4},
      {f.GroupBox2, K::kGroupBox, 22, 188, 316, 116, f.GroupBox4},
      {f.GroupBox3, K::kGroupBox, 352, 62, 364, 350, f.GroupBox4},
      {f.RadioGroup1, K::kRadioGroup, 22, 314, 316, 98, f.GroupBox4},
      {f.RadioGroup3, K::kRadioGroup, 22, 314, 316, 98, f.GroupBox4},
      {f.RadioGroup2, K::kRadioGroup, 8, 436, 360, 70, -1},
  };
  for (int r = 0; r < 3; ++r) {
    want.push_back({f.PadLabel1[size_t(r)], K::kLabel, 34, 86 + 30 * r, 194, 24, f.GroupBox1});
    want.push_back({f.Edit[size_t(r)], K::kEdit, 232, 86 + 30 * r, 96, 24, f.GroupBox1});
    want.push_back({f.PadLabel2[size_t(r)], K::kLabel, 34, 212 + 30 * r, 194, 24, f.GroupBox2});
    want.push_back({f.Edit[size_t(3 + r)], K::kEdit, 232, 212 + 30 * r, 96, 24, f.GroupBox2});
  }
  for (int r = 0; r < 8; ++r) {
    want.push_back({f.KeyLabel[size_t(r)], K::kLabel, 364, 88 + 40 * r, 182, 24, f.GroupBox3});
    want.push_back({f.Edit[size_t(6 + r)], K::kEdit, 550, 88 + 40 * r, 156, 24, f.GroupBox3});
  }
  ASSERT_EQ(w.Count(), int(want.size()));
  for (const Place& p : want) {
    const plat::TkControl& c = w[p.id];
    SCOPED_TRACE(p.id);
    EXPECT_EQ(c.kind, p.kind);
    EXPECT_EQ(c.bounds.x, p.x);
    EXPECT_EQ(c.bounds.y, p.y);
    EXPECT_EQ(c.bounds.w, p.wd);
    EXPECT_EQ(c.bounds.h, p.ht);
    EXPECT_EQ(c.parent, p.parent);
  }
  EXPECT_EQ(w[f.RadioGroup2].columns, 2);
  EXPECT_EQ(w[f.RadioGroup1].columns, 1);
  // ゲームパッド１, ゲームパッド２, キーボード: the Japanese group captions and items.
  const std::string pad1 = "\x83Q\x81[\x83\x80\x83p\x83" "b\x83h\x82P";
  const std::string pad2 = "\x83Q\x81[\x83\x80\x83p\x83" "b\x83h\x82Q";
  const std::string keyboard = "\x83L\x81[\x83{\x81[\x83h";
  EXPECT_EQ(w[f.GroupBox3].text, keyboard);
  for (int g : {f.RadioGroup1, f.RadioGroup3})
    EXPECT_EQ(w[g].items, (std::vector<std::string>{keyboard, pad1, pad2}));
  // The capture timer polls from the start; the status timer waits for a status.
  EXPECT_TRUE(w.TimerEnabled(f.Timer2));
  EXPECT_EQ(w.TimerInterval(f.Timer2), 1u);
  EXPECT_FALSE(w.TimerEnabled(f.Timer1));
  EXPECT_EQ(f.DDIDEX1.DeadZone, 5);
}

TEST_F(ConfigForm, MissingFileIsReportedAndGivesTheStartingValues) {
  MakeData();
  TForm1& f = Open();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], plat::ResolvePath(TForm1::CfgPath()) + " not found...");
  EXPECT_EQ(f.cfg.Device[0], 1);
  EXPECT_EQ(f.cfg.Auto_f, 1);
  EXPECT_EQ(Edit(1).text, "Btn : 1");
  EXPECT_EQ(f.Form()[f.RadioGroup2].itemIndex, 0);
  // A fresh start offers keys a player without a pad can play with.
  EXPECT_EQ(Edit(6).text, "Key : Up");
  EXPECT_EQ(Edit(13).text, "Key : C");

  messages.clear();
  Open(false);
  ASSERT_EQ(messages.size(), 1u);
  // dbcfg.saiファイルが見つかりません
  EXPECT_EQ(messages[0],
            "dbcfg.sai\x83t\x83@\x83" "C\x83\x8B\x82\xAA\x8C\xA9\x82\xC2\x82\xA9\x82\xE8\x82\xDC\x82\xB9\x82\xF1");

  // A folder that cannot be looked into is not blamed on the file.
  std::filesystem::remove_all(Dir() / "data");
  std::filesystem::create_directory_symlink(Dir() / "data", Dir() / "data");
  messages.clear();
  Open();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].find(plat::ResolvePath(TForm1::CfgPath()) + " cannot be read: "), 0u);
  EXPECT_NE(messages[0].find("cannot save them there until its folder can be opened."),
            std::string::npos) << messages[0];
}

// A short file shows what it held and leaves the rest 0, a long one its first
// 108 bytes; stderr says which, no box says "not found", and saving writes the
// file whole.
TEST_F(ConfigForm, ShortOrLongFileShowsWhatItHeldAndSavesWhole) {
  TCFGINI full = CfgIniDefaults();
  full.Device[0] = 0;
  full.KBBtn[4] = 0x1E;  // A
  full.WinSize = 1;
  const auto whole = CfgIniToBytes(full);
  for (size_t size : {0, 40, 107, 109}) {
    SCOPED_TRACE(size);
    std::vector<uint8_t> file(whole.begin(), whole.begin() + std::min<size_t>(size, 108));
    file.resize(size, 0xEE);
    WriteAll(CfgFile(), file);
    messages.clear();
    testing::internal::CaptureStderr();
    TForm1& f = Open();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(messages.empty());
    EXPECT_NE(err.find(size < 108 ? "dbcfg.sai: short (" + std::to_string(size) + " bytes"
                                  : std::string("dbcfg.sai: long")),
              std::string::npos)
        << err;
    EXPECT_EQ(err.find("not found"), std::string::npos) << err;
    plat::TkForm& w = f.Form();
    if (size == 0) {
      EXPECT_EQ(Edit(10).text, "Needless to me!");
      EXPECT_EQ(w[f.RadioGroup3].itemIndex, 0);
    } else {
      // Both devices and every key are inside the first 40 bytes.
      EXPECT_EQ(w[f.RadioGroup1].itemIndex, 0);
      EXPECT_EQ(w[f.RadioGroup3].itemIndex, 2);
      EXPECT_EQ(Edit(10).text, "Key : A");
      EXPECT_EQ(Edit(13).text, "Key : C");
    }
    EXPECT_EQ(Edit(1).text, size > 42 ? "Btn : 1" : "Btn : 0");
    EXPECT_EQ(w[f.CheckBox1].checked, size > 104);
    EXPECT_EQ(w[f.RadioGroup2].itemIndex, size > 106 ? 1 : 0);
    ASSERT_TRUE(f.Save());
    std::vector<uint8_t> want(whole.begin(), whole.begin() + std::min<size_t>(size, 108));
    want.resize(108, 0);
    EXPECT_EQ(ReadAll(CfgFile()), want);
  }
}

TEST_F(ConfigForm, DamagedFileLoadsInRangeAndSavesBackAs108Bytes) {
  std::vector<uint8_t> b(108, 0xFF);  // every value out of range
  b[0] = 3;
  b[1] = b[2] = b[3] = 0;  // player 1 on pad 3: no item for it
  b[16] = 59;              // a key without a name
  b[17] = 0;
  b[18] = 0xCB;            // left arrow
  b[19] = 0;
  b[104] = 0;              // the devices decide, and pad 3 is not there
  b[106] = 7;              // any non-zero size is the small window
  b[107] = 0;
  WriteAll(CfgFile(), b);
  testing::internal::CaptureStderr();
  TForm1& f = Open();
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("dbcfg.sai: out of range and cleared to 0: Device[1..3], KBBtn[2..11], "
                     "JSBtn[0..3][0..7]\n"), std::string::npos) << err;
  EXPECT_NE(err.find("dbcfg.sai: player 1 uses game pad 3, which is not connected"),
            std::string::npos) << err;
  EXPECT_EQ(f.cfg.Device[0], 3);
  EXPECT_EQ(f.Form()[f.RadioGroup1].itemIndex, -1);
  EXPECT_EQ(f.cfg.Device[1], 0);           // -1 is no device
  EXPECT_EQ(f.cfg.KBBtn[0], 0);            // unnamed key dropped
  EXPECT_EQ(f.cfg.KBBtn[1], 0xCB);
  EXPECT_EQ(f.cfg.KBBtn[2], 0);            // 0xFFFF is no scan code
  EXPECT_EQ(Edit(6).text, "Needless to me!");
  EXPECT_EQ(Edit(7).text, "Key : Left");
  EXPECT_EQ(Edit(0).text, "Btn : 0");      // 0xFFFF is no button
  EXPECT_EQ(f.Form()[f.RadioGroup2].itemIndex, 1);
  f.Form().Click(f.Button2);
  auto saved = ReadAll(CfgFile());
  ASSERT_EQ(saved.size(), 108u);
  EXPECT_EQ(U16(saved, 106), 7);
  EXPECT_EQ(U16(saved, 16), 0);
}

TEST_F(ConfigForm, SaveAsksBeforeMakingTheDataFolder) {
  TForm1& f = Open();  // no data folder: the starting values are used
  messages.clear();
  app.answers = {false};
  f.Form().Click(f.Button2);
  ASSERT_EQ(app.asked.size(), 1u);
  EXPECT_EQ(app.asked[0].first, "\"data\" directory not found. Do you make it?");
  EXPECT_EQ(app.asked[0].second, "Make directory");
  EXPECT_FALSE(std::filesystem::exists(Dir() / "data"));
  EXPECT_FALSE(app.Terminated());
  EXPECT_EQ(f.Form().caption, "tumbot configuration");

  app.answers = {true};
  f.Form().Click(f.Button2);
  EXPECT_EQ(ReadAll(CfgFile()).size(), 108u);
  EXPECT_TRUE(app.Terminated());
}

// Where the data folder cannot be made (a file holds its name) the user is
// told and the window stays, in the window's language.
TEST_F(ConfigForm, SaveProblemsAreToldInTheWindowsLanguage) {
  std::ofstream(Dir() / "data") << "not a folder";
  for (bool eng : {true, false}) {
    SCOPED_TRACE(eng);
    TForm1& f = Open(eng);
    messages.clear();
    app.asked.clear();
    f.Form().Click(f.Button2);
    ASSERT_EQ(app.asked.size(), 1u);
    // フォルダがありません。新規作成しますか？ / フォルダ作成
    EXPECT_EQ(app.asked[0].first,
              eng ? "\"data\" directory not found. Do you make it?"
                  : "\x83t\x83H\x83\x8B\x83_\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1\x81"
                    "B\x90V\x8BK\x8D\xEC\x90\xAC\x82\xB5\x82\xDC\x82\xB7\x82\xA9\x81H");
    EXPECT_EQ(app.asked[0].second, eng ? "Make directory" : "\x83t\x83H\x83\x8B\x83_\x8D\xEC\x90\xAC");
    // フォルダを作成できませんでした
    EXPECT_EQ(messages, std::vector<std::string>{
                            eng ? "The \"data\" directory could not be made."
                                : "\x83t\x83H\x83\x8B\x83_\x82\xF0\x8D\xEC\x90\xAC\x82\xC5\x82\xAB"
                                  "\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82\xB5\x82\xBD"});
    EXPECT_FALSE(app.Terminated());
  }
}

TEST_F(ConfigForm, FailedWriteIsReportedAndKeepsTheWindow) {
  MakeData();
  std::filesystem::create_directories(CfgFile());  // a folder where the file should go
  TForm1& f = Open();
  messages.clear();
  f.Form().Click(f.Button2);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("could not be written"), std::string::npos);
  EXPECT_FALSE(app.Terminated());
  EXPECT_EQ(f.Form().caption, "tumbot configuration");

  // When only the folder's sync fails the new file is in place: saved, and
  // stderr says what is in doubt.
  std::filesystem::remove_all(CfgFile());
  messages.clear();
  plat::SetWriteStepHook([](plat::WriteStep s) { return s != plat::WriteStep::SyncFolder; });
  testing::internal::CaptureStderr();
  f.Form().Click(f.Button2);
  const std::string err = testing::internal::GetCapturedStderr();
  plat::SetWriteStepHook(nullptr);
  EXPECT_TRUE(messages.empty());
  EXPECT_NE(err.find("dbcfg.sai: saved, but the folder could not be synced"), std::string::npos)
      << err;
  EXPECT_EQ(ReadAll(CfgFile()).size(), 108u);
  EXPECT_TRUE(app.Terminated());
}

TEST_F(ConfigForm, StatusCaptionReturnsAfterItsTime) {
  SaveDefaults();
  TForm1& f = Open();
  ASSERT_TRUE(f.Save());
  EXPECT_EQ(f.Form().caption, "Save OK!");
  clock.AdvanceMs(1990);
  f.Form().RunDueTimers();
  EXPECT_EQ(f.Form().caption, "Save OK!");
  clock.AdvanceMs(10);
  f.Form().RunDueTimers();
  EXPECT_EQ(f.Form().caption, "tumbot configuration");
  EXPECT_FALSE(f.Form().TimerEnabled(f.Timer1));
  f.SetStatus("");
  EXPECT_EQ(f.Form().TimerInterval(f.Timer1), 1000u);
}

TEST_F(ConfigForm, JapaneseCaptionsStayWithoutEnglishTexts) {
  SaveDefaults();
  TForm1& f = Open(false);
  // 設定を保存して終了
  EXPECT_EQ(f.Form()[f.Button2].text, "\x90\xDD\x92\xE8\x82\xF0\x95\xDB\x91\xB6\x82\xB5\x82\xC4\x8FI\x97\xB9");
  EXPECT_EQ(f.Form().caption, "tumbot configuration");
  devices.keys = {0xCD};
  FocusField(9);
  Tick();
  EXPECT_EQ(Edit(9).text, "Key : \x81\xA8");  // Key : →
  TForm1& e = Open(true);
  EXPECT_EQ(e.Form()[e.RadioGroup1].items[1], "Game pad 1");
  EXPECT_EQ(e.Form()[e.KeyLabel[7]].text, "A+B Btn (Jump)");
}

// A stand-in for the session-wide atom table.
class FakeAtoms final : public plat::InstanceRegistry {
 public:
  bool held = false, addFails = false;
  int deletes = 0;
  bool FindAtom(const std::string&) override { return held; }
  bool AddAtom(const std::string&) override { return !addFails; }
  void DeleteAtom() override { ++deletes; }
  bool RestoreRunningWindow() override { return false; }
  void OpenWindowChannel() override {}
  bool TakeRestoreRequest() override { return false; }
};

TEST_F(ConfigForm, SecondCopyLeavesWithoutAWindow) {
  SaveDefaults();
  FakeAtoms atoms;
  atoms.held = true;
  EXPECT_EQ(tumbotcfg::RunConfigProgram(atoms, app, &devices, true), 0);
  EXPECT_EQ(app.runs, 0);
  atoms.held = false;
  atoms.addFails = true;
  EXPECT_EQ(tumbotcfg::RunConfigProgram(atoms, app, &devices, true), 0);
  EXPECT_EQ(app.runs, 0);
  atoms.addFails = false;
  EXPECT_EQ(tumbotcfg::RunConfigProgram(atoms, app, &devices, true), 0);
  EXPECT_EQ(app.runs, 1);
  EXPECT_EQ(app.title, "tumbotcfg");
  EXPECT_EQ(app.shownCaption, "tumbot configuration");  // the form was set up before it ran
  EXPECT_EQ(atoms.deletes, 1);
  // A window that cannot be opened is a failure, and the name is still given back.
  app.runOk = false;
  EXPECT_EQ(tumbotcfg::RunConfigProgram(atoms, app, &devices, true), 1);
  EXPECT_EQ(atoms.deletes, 2);
}

}  // namespace
