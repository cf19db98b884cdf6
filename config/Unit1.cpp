#include "config/Unit1.h"

#include "config/FolderRename.h"
#include "config/KeyNames.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/SjisText.h"

namespace tumbotcfg {

namespace {

using plat::TkControl;
using plat::TkKind;
using plat::TkRect;

const char kCaption[] = "tumbot configuration";
const char kResourceCaption[] = "\x82\xB1\x82\xF1\x82\xD3\x82\xA1\x82\xAE";  // こんふぃぐ

// Japanese captions, as the window is laid out.
const char kSaveAndEndJ[] =  // 設定を保存して終了
    "\x90\xDD\x92\xE8\x82\xF0\x95\xDB\x91\xB6\x82\xB5\x82\xC4\x8FI\x97\xB9";
const char kKeyConfigJ[] = "\x83L\x81[\x83R\x83\x93\x83t\x83" "B\x83O";  // キーコンフィグ
// 優先的にゲームパッドをⅠコンに割り当てる。無いときはキーボード。
const char kPadsFirstJ[] =
    "\x97" "D\x90\xE6\x93I\x82\xC9\x83Q\x81[\x83\x80\x83p\x83" "b\x83h\x82\xF0\x87T\x83R\x83\x93"
    "\x82\xC9\x8A\x84\x82\xE8\x93\x96\x82\xC4\x82\xE9\x81" "B\x96\xB3\x82\xA2\x82\xC6\x82\xAB\x82\xCD"
    "\x83L\x81[\x83{\x81[\x83h\x81" "B";
const char kPad1J[] = "\x83Q\x81[\x83\x80\x83p\x83" "b\x83h\x82P";  // ゲームパッド１
const char kPad2J[] = "\x83Q\x81[\x83\x80\x83p\x83" "b\x83h\x82Q";  // ゲームパッド２
const char kKeyboardJ[] = "\x83L\x81[\x83{\x81[\x83h";                // キーボード
const char* const kButtonLabelsJ[3] = {
    "A\x83{\x83^\x83\x93 (\x83p\x83X\x81" "E\x94\xF0\x82\xAF)",  // Aボタン (パス・避け)
    // Bボタン (シュート・キャッチ)
    "B\x83{\x83^\x83\x93 (\x83V\x83\x85\x81[\x83g\x81" "E\x83L\x83\x83\x83" "b\x83`)",
    "St\x83{\x83^\x83\x93 (\x83|\x81[\x83Y)",  // Stボタン (ポーズ)
};
const char* const kDirectionLabelsJ[4] = {
    "\x8F\xE3\x83L\x81[",      // 上キー
    "\x89\xBA\x83L\x81[",      // 下キー
    "\x8D\xB6\x83L\x81[",      // 左キー
    ("\x89" "E\x83L\x81["),    // 右キー
};
const char kJumpLabelJ[] =  // A+Bボタン (ジャンプ)
    "A+B\x83{\x83^\x83\x93 (\x83W\x83\x83\x83\x93\x83v)";
// Ⅰコン（手動設定）
const char kPlayer1J[] = "\x87T\x83R\x83\x93\x81i\x8E\xE8\x93\xAE\x90\xDD\x92\xE8\x81j";
// Ⅱコン（手動設定）
const char kPlayer2J[] = "\x87U\x83R\x83\x93\x81i\x8E\xE8\x93\xAE\x90\xDD\x92\xE8\x81j";
const char kWindowSizeJ[] = "\x89\xE6\x96\xCA\x89\xF0\x91\x9C\x93x";  // 画面解像度

// Pad status.
const char kPadNumberJ[] = "\x83Q\x81[\x83\x80\x83p\x83" "b\x83h ";  // "ゲームパッド "
const char kConnectedJ[] = " : \x90\xDA\x91\xB1OK";                   // " : 接続OK"
const char kDisconnectedJ[] = " : \x96\xA2\x90\xDA\x91\xB1";          // " : 未接続"

// Settings file and saving.
const char kNotFoundJ[] =  // dbcfg.saiファイルが見つかりません
    "dbcfg.sai\x83t\x83@\x83" "C\x83\x8B\x82\xAA\x8C\xA9\x82\xC2\x82\xA9\x82\xE8\x82\xDC\x82\xB9"
    "\x82\xF1";
const char kUnreadableJ[] =  // dbcfg.saiファイルを読み込めません。初期設定で始めます。保存するとファイルを置き換えます
    "dbcfg.sai\x83t\x83@\x83" "C\x83\x8B\x82\xF0\x93\xC7\x82\xDD\x8D\x9E\x82\xDF\x82\xDC\x82\xB9\x82\xF1\x81"
    "B\x8F\x89\x8A\xFA\x90\xDD\x92\xE8\x82\xC5\x8En\x82\xDF\x82\xDC\x82\xB7\x81" "B\x95\xDB\x91\xB6\x82\xB7\x82"
    "\xE9\x82\xC6\x83t\x83@\x83" "C\x83\x8B\x82\xF0\x92u\x82\xAB\x8A\xB7\x82\xA6\x82\xDC\x82\xB7";
const char kNotAFileJ[] =  // dbcfg.saiはファイルではありません。初期設定で始めます。移動するまで保存できません
    "dbcfg.sai\x82\xCD\x83t\x83@\x83" "C\x83\x8B\x82\xC5\x82\xCD\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1\x81"
    "B\x8F\x89\x8A\xFA\x90\xDD\x92\xE8\x82\xC5\x8En\x82\xDF\x82\xDC\x82\xB7\x81" "B\x88\xDA\x93\xAE\x82\xB7\x82"
    "\xE9\x82\xDC\x82\xC5\x95\xDB\x91\xB6\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1";
// dbcfg.saiファイルを読み込めません。初期設定で始めます。フォルダを開けるようになるまで保存できません
const char kFolderClosedJ[] =
    "dbcfg.sai\x83t\x83@\x83" "C\x83\x8B\x82\xF0\x93\xC7\x82\xDD\x8D\x9E\x82\xDF\x82\xDC\x82\xB9\x82\xF1\x81"
    "B\x8F\x89\x8A\xFA\x90\xDD\x92\xE8\x82\xC5\x8En\x82\xDF\x82\xDC\x82\xB7\x81" "B\x83t\x83H\x83\x8B\x83_"
    "\x82\xF0\x8AJ\x82\xAF\x82\xE9\x82\xE6\x82\xA4\x82\xC9\x82\xC8\x82\xE9\x82\xDC\x82\xC5\x95\xDB\x91\xB6"
    "\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1";
const char kMakeDirJ[] =  // フォルダがありません。新規作成しますか？
    "\x83t\x83H\x83\x8B\x83_\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1\x81" "B\x90V\x8BK"
    "\x8D\xEC\x90\xAC\x82\xB5\x82\xDC\x82\xB7\x82\xA9\x81H";
const char kMakeDirCaptionJ[] = "\x83t\x83H\x83\x8B\x83_\x8D\xEC\x90\xAC";  // フォルダ作成
const char kSavedJ[] =  // 設定を保存しました！
    "\x90\xDD\x92\xE8\x82\xF0\x95\xDB\x91\xB6\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81I";
const char kDirFailedJ[] =  // フォルダを作成できませんでした
    "\x83t\x83H\x83\x8B\x83_\x82\xF0\x8D\xEC\x90\xAC\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x82\xC5"
    "\x82\xB5\x82\xBD";
const char kSaveFailedJ[] =  // 設定を保存できませんでした
    "\x90\xDD\x92\xE8\x82\xF0\x95\xDB\x91\xB6\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82"
    "\xB5\x82\xBD";
const char kNeedlessJ[] =  // 使わなくても勝てる
    "\x8Eg\x82\xED\x82\xC8\x82\xAD\x82\xC4\x82\xE0\x8F\x9F\x82\xC4\x82\xE9";

TkControl Make(TkKind kind, TkRect r, std::string text, int parent = -1) {
  TkControl c;
  c.kind = kind;
  c.bounds = r;
  c.text = std::move(text);
  c.parent = parent;
  return c;
}

std::string PadButtonText(int button) { return "Btn : " + std::to_string(button); }

}  // namespace

TForm1::TForm1(plat::TkApplication& app, plat::InputDevices* devices, bool eng)
    : DDIDEX1(devices), app_(app), eng_(eng), form_(kResourceCaption, 738, 516) {
  BuildControls();
  DDIDEX1.DeadZone = 5;
  DDIDEX1.SetDebugOption(dioHaltOnError);
  DDIDEX1.Loaded();
}

// The window's layout: the key configuration group on top (pad priority,
// the two pads and player 1's device on the left, the keyboard on the right),
// the window size and the save button below it.
void TForm1::BuildControls() {
  Button2 = form_.Add(Make(TkKind::kButton, {498, 448, 232, 48}, kSaveAndEndJ));
  form_[Button2].onClick = [this] { Button2Click(); };

  GroupBox4 = form_.Add(Make(TkKind::kGroupBox, {8, 8, 722, 414}, kKeyConfigJ));
  CheckBox1 = form_.Add(Make(TkKind::kCheckBox, {22, 30, 696, 22}, kPadsFirstJ, GroupBox4));
  form_[CheckBox1].checked = true;
  form_[CheckBox1].onClick = [this] { CheckBox1Click(); };

  auto padGroup = [&](int y, const char* caption, int firstEdit, std::array<int, 3>& labels) {
    int g = form_.Add(Make(TkKind::kGroupBox, {22, y, 316, 116}, caption, GroupBox4));
    for (int r = 0; r < 3; ++r) {
      int rowY = y + 24 + 30 * r;
      labels[size_t(r)] = form_.Add(Make(TkKind::kLabel, {34, rowY, 194, 24}, kButtonLabelsJ[r], g));
      Edit[size_t(firstEdit + r)] = form_.Add(Make(TkKind::kEdit, {232, rowY, 96, 24}, "", g));
    }
    return g;
  };
  GroupBox1 = padGroup(62, kPad1J, 0, PadLabel1);
  GroupBox2 = padGroup(188, kPad2J, 3, PadLabel2);

  GroupBox3 = form_.Add(Make(TkKind::kGroupBox, {352, 62, 364, 350}, kKeyboardJ, GroupBox4));
  for (int r = 0; r < 8; ++r) {
    const char* label = r < 4 ? kDirectionLabelsJ[r] : r < 7 ? kButtonLabelsJ[r - 4] : kJumpLabelJ;
    int rowY = 62 + 26 + 40 * r;
    KeyLabel[size_t(r)] = form_.Add(Make(TkKind::kLabel, {364, rowY, 182, 24}, label, GroupBox3));
    Edit[size_t(6 + r)] = form_.Add(Make(TkKind::kEdit, {550, rowY, 156, 24}, "", GroupBox3));
  }

  auto deviceGroup = [&](const char* caption) {
    TkControl c = Make(TkKind::kRadioGroup, {22, 314, 316, 98}, caption, GroupBox4);
    c.items = {kKeyboardJ, kPad1J, kPad2J};
    return form_.Add(std::move(c));
  };
  RadioGroup1 = deviceGroup(kPlayer1J);
  form_[RadioGroup1].onClick = [this] { RadioGroup1Click(); };
  RadioGroup3 = deviceGroup(kPlayer2J);
  form_[RadioGroup3].visible = false;
  form_[RadioGroup3].onClick = [this] { RadioGroup3Click(); };

  TkControl size = Make(TkKind::kRadioGroup, {8, 436, 360, 70}, kWindowSizeJ);
  size.items = {"1024 x 480", "512 x 240"};
  size.columns = 2;
  RadioGroup2 = form_.Add(std::move(size));
  form_[RadioGroup2].onClick = [this] { RadioGroup2Click(); };

  Timer1 = form_.AddTimer(2000, [this] { Timer1Timer(); });
  Timer2 = form_.AddTimer(1, [this] { Timer2Timer(); });
}

void TForm1::UseEnglishCaptions() {
  form_[RadioGroup1].text = "Player 1";
  form_[RadioGroup2].text = "Window Size";
  form_[GroupBox1].text = "Game pad 1";
  form_[GroupBox2].text = "Game pad 2";
  form_[GroupBox3].text = "Keyboard";
  form_[GroupBox4].text = "KeyConfiguration";
  form_[Button2].text = "Save and End";
  form_[CheckBox1].text =
      "Game pad is assigned by priority. Keyboard is assigned when there are no Game pads.";
  form_[RadioGroup1].items = {form_[GroupBox3].text, form_[GroupBox1].text, form_[GroupBox2].text};
  const char* const buttons[3] = {"A Btn (Pass/Dodge)", "B Btn (Shoooot/Catch)", "St Btn (Pause)"};
  for (int r = 0; r < 3; ++r) {
    form_[PadLabel1[size_t(r)]].text = buttons[r];
    form_[PadLabel2[size_t(r)]].text = buttons[r];
    form_[KeyLabel[size_t(4 + r)]].text = buttons[r];
  }
  const char* const directions[4] = {"Up", "Down", "Left", "Right"};
  for (int r = 0; r < 4; ++r) form_[KeyLabel[size_t(r)]].text = directions[r];
  form_[KeyLabel[7]].text = "A+B Btn (Jump)";
}

void TForm1::FormCreate() {
  RenameOldFolders(plat::ProgramFolder());
  if (eng_) UseEnglishCaptions();
  form_.caption = kCaption;
  LoadSettings();
  form_.SetTimerEnabled(Timer2, true);
  ShowPadStatus();
}

// A pad's group caption says whether it is connected; the fields of a pad
// that is not cannot take the focus.
void TForm1::ShowPadStatus() {
  int pads = DDIDEX1.JoyStickCount();
  for (int p = 0; p < 2; ++p) {
    bool on = pads > p;
    std::string caption = (eng_ ? "Game pad " : kPadNumberJ) + std::to_string(p + 1);
    caption += on ? (eng_ ? " : Connected" : kConnectedJ) : (eng_ ? " : Disconnected" : kDisconnectedJ);
    form_[p == 0 ? GroupBox1 : GroupBox2].text = caption;
    if (!on)
      for (int r = 0; r < 3; ++r) form_[Edit[size_t(3 * p + r)]].enabled = false;
  }
}

std::string TForm1::CfgPath() { return plat::ProgramFolder() + std::string(kCfgIniPath); }

void TForm1::LoadSettings() {
  cfg = TCFGINI{};
  std::string problem;
  CfgIniCleared cleared;
  if (!LoadCfgIniForEditing(CfgPath(), cfg, &problem, &cleared)) {
    ReportUnreadSettings(problem);
    cfg = CfgIniDefaults();
  } else {
    // A short or long file shows what it held; saving writes it whole.
    if (!problem.empty()) plat::ReportFileProblem(CfgPath(), problem);
    ReportCfgIniDeadKeys(CfgPath(), cfg, cleared, DDIDEX1.JoyStickCount());
  }
  form_[CheckBox1].checked = cfg.Auto_f != 0;
  SyncPlayerGroups();
  // A device or size the radio group has no item for selects none; the record
  // keeps its value until the user picks one.
  auto deviceItem = [](int32_t d) { return d >= 0 && d <= 2 ? int(d) : -1; };
  form_[RadioGroup1].itemIndex = deviceItem(cfg.Device[0]);
  form_[RadioGroup3].itemIndex = deviceItem(cfg.Device[1]);
  form_[RadioGroup2].itemIndex = cfg.WinSize == 0 ? 0 : 1;
  for (int i = 0; i < 6; ++i)
    form_[Edit[size_t(i)]].text = PadButtonText(cfg.JSBtn[i / 3][i % 3]);
  for (int i = 0; i < 8; ++i) {
    uint16_t& code = cfg.KBBtn[size_t(i)];
    // A key without a name is dropped here, so it is never saved again.
    form_[Edit[size_t(6 + i)]].text =
        code == 0 ? (eng_ ? std::string("Needless to me!") : std::string(kNeedlessJ))
                  : KeyName(code, true, eng_);
  }
}

// Only a missing file is "not found". One that is there but cannot be read
// is said so, in the reader's words, before anything can replace it: saving
// writes over a plain file, is refused where a folder, device or pipe has the
// name, and fails where the folder cannot be looked into at all.
void TForm1::ReportUnreadSettings(const std::string& problem) {
  const std::string shown = plat::Utf8ToSjis(plat::ResolvePath(CfgPath()));
  if (problem == "missing") {
    plat::ReportFileProblem(CfgPath(), "missing; the settings start from their defaults");
    plat::MessageBox(eng_ ? shown + " not found..." : std::string(kNotFoundJ));
    return;
  }
  // A name the system cannot even look up is the folder's fault, not the file's.
  const bool plain = plat::FileExists(CfgPath());
  const bool folderClosed = !plain && !plat::FolderProblem(plat::ProgramFolder() + "data").empty();
  plat::ReportFileProblem(CfgPath(),
                          problem + "; the settings start from their defaults" +
                              (plain          ? ", and saving replaces the file"
                               : folderClosed ? ", and cannot be saved until its folder can be opened"
                                              : ", and cannot be saved until it is moved away"));
  if (!eng_) {
    plat::MessageBox(plain ? kUnreadableJ : folderClosed ? kFolderClosedJ : kNotAFileJ);
    return;
  }
  // One line for the file, in the reader's words, and one for what follows.
  const std::string said = shown + " " + plat::Utf8ToSjis(problem);
  if (plain)
    plat::MessageBox(said + ".\nThe settings start from their defaults; \"Save and End\" replaces the file.");
  else if (folderClosed)
    plat::MessageBox(said + ".\nThe settings start from their defaults; \"Save and End\" cannot save "
                            "them there until its folder can be opened.");
  else
    plat::MessageBox(said + ", not a settings file.\nThe settings start from their defaults and cannot "
                            "be saved until it is moved away.");
}

bool TForm1::Save() {
  const std::string dir = plat::ProgramFolder() + "data";
  if (!plat::DirectoryExists(dir)) {
    bool ok = eng_ ? app_.AskOkCancel("\"data\" directory not found. Do you make it?", "Make directory")
                   : app_.AskOkCancel(kMakeDirJ, kMakeDirCaptionJ);
    if (!ok) return false;
    if (!plat::CreateDir(dir)) {
      plat::MessageBox(eng_ ? "The \"data\" directory could not be made." : kDirFailedJ);
      return false;
    }
  }
  // A write that fails leaves the window open, so nothing is lost silently.
  std::string why;
  plat::WriteStep failed = plat::WriteStep::Create;
  const bool saved = SaveCfgIni(CfgPath(), cfg, &why, &failed);
  if (!saved && failed == plat::WriteStep::SyncFolder) {
    // The new file is in place; only its surviving a crash is in doubt.
    plat::ReportFileProblem(CfgPath(), "saved, but the folder could not be synced (" + why +
                                           "); the new settings may be lost in a crash");
  } else if (!saved) {
    plat::ReportFileProblem(CfgPath(), "not saved (" + why + ")");
    plat::MessageBox(eng_ ? plat::Utf8ToSjis(plat::ResolvePath(CfgPath())) + " could not be written."
                          : std::string(kSaveFailedJ));
    return false;
  }
  SetStatus(eng_ ? "Save OK!" : kSavedJ);
  return true;
}

void TForm1::SetStatus(const std::string& textSjis) {
  form_.caption = textSjis;
  form_.SetTimerInterval(Timer1, textSjis.empty() ? 1000 : 2000);
  form_.SetTimerEnabled(Timer1, true);
}

void TForm1::Button2Click() {
  if (Save()) app_.Terminate();
}

void TForm1::SyncPlayerGroups() {
  bool manual = !form_[CheckBox1].checked;
  form_[RadioGroup1].enabled = manual;
  form_[RadioGroup3].enabled = manual;
}

void TForm1::CheckBox1Click() {
  cfg.Auto_f = form_[CheckBox1].checked ? 1 : 0;
  SyncPlayerGroups();
}

void TForm1::RadioGroup1Click() { cfg.Device[0] = form_[RadioGroup1].itemIndex; }
void TForm1::RadioGroup3Click() { cfg.Device[1] = form_[RadioGroup3].itemIndex; }
void TForm1::RadioGroup2Click() { cfg.WinSize = uint16_t(form_[RadioGroup2].itemIndex); }

void TForm1::Timer1Timer() {
  form_.SetTimerEnabled(Timer1, false);
  form_.caption = kCaption;
}

// Each tick reads the device of the focused field. The latch keeps a key or
// button that is still held from being taken again by the next field: every
// key and button of the device must be up between two captures.
void TForm1::Timer2Timer() {
  const int focused = form_.Focused();
  cur = -1;
  for (int i = 0; i < kFields; ++i)
    if (Edit[size_t(i)] == focused) cur = i;
  if (cur < 0) return;
  device = cur < 3 ? 2 : cur < 6 ? 3 : 0;
  if (device == 0)
    CaptureKey(cur);
  else
    CapturePadButton(cur);
}

bool TForm1::CaptureKey(int field) {
  int code = -1;
  if (DDIDEX1.Scan(DI_KEYB))
    for (int k = 0; k < 256 && code < 0; ++k)
      if (DDIDEX1.KBBuf(k)) code = k;
  if (code < 0) {
    latch = 0;
    return false;
  }
  if (latch) return false;
  latch = 1;
  cfg.KBBtn[size_t(field - 6)] = uint16_t(code);
  uint16_t shown = uint16_t(code);  // the record keeps a key without a name as it was pressed
  form_[Edit[size_t(field)]].text = KeyName(shown, false, eng_);
  form_.SetFocus(Edit[size_t(field == 13 ? 6 : field + 1)]);
  return true;
}

bool TForm1::CapturePadButton(int field) {
  int button = -1;
  if (DDIDEX1.Scan(device))
    for (int b = 0; b < 16 && button < 0; ++b)
      if (DDIDEX1.getButtons(b)) button = b;
  if (button < 0) {
    latch = 0;
    return false;
  }
  if (latch) return false;
  latch = 1;
  const int pad = field / 3;
  cfg.JSBtn[size_t(pad)][size_t(field % 3)] = uint16_t(button);
  form_[Edit[size_t(field)]].text = PadButtonText(button);
  form_.SetFocus(Edit[size_t(pad * 3 + (field % 3 == 2 ? 0 : field % 3 + 1))]);
  return true;
}

}  // namespace tumbotcfg
