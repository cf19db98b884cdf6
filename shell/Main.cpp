#include "shell/Main.h"

#include <cstdio>
#include <exception>
#include <stdexcept>

#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/SjisText.h"
#include "shell/GameRandom.h"

namespace {
constexpr int kLogicalW = 512;
constexpr int kLogicalH = 240;
constexpr int32_t kInfTime = 60;
// The form's font, "ＭＳ Ｐゴシック".
constexpr const char* kFormFont = "\x82\x6C\x82\x72 \x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E";

// Fills every factory the caller left empty with the game's own.
TForm1Parts Completed(TForm1Parts p) {
  TForm1Parts d = DefaultParts();
  if (!p.MakeDisplay) p.MakeDisplay = d.MakeDisplay;
  if (!p.MakeTuningTable) p.MakeTuningTable = d.MakeTuningTable;
  if (!p.MakeSound) p.MakeSound = d.MakeSound;
  if (!p.MakeRenderer) p.MakeRenderer = d.MakeRenderer;
  if (!p.MakeTextTexture) p.MakeTextTexture = d.MakeTextTexture;
  if (!p.MakeInput) p.MakeInput = d.MakeInput;
  if (!p.MakeFont) p.MakeFont = d.MakeFont;
  if (!p.MakeScene) p.MakeScene = d.MakeScene;
  return p;
}

std::string ExceptionText() {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    return "out of memory";
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "Err";
  }
}

// The error box says only "init failed" (or "dddd init failed"); the failure's
// own message (the decoder library's names the file it could not load) goes to
// stderr as one line.
void ReportStartFailure(const std::string& messageSjis) {
  std::string line = plat::SjisToUtf8(messageSjis);
  for (char& ch : line)
    if (ch == '\r' || ch == '\n') ch = ' ';
  std::fprintf(stderr, "%s\n", plat::ShowControls(plat::ProgramFileName() + ": init failed: " + line).c_str());
}
}  // namespace

TForm1::TForm1(plat::Host& host, TForm1Parts parts, BuildFlags flags)
    : host_(host), parts_(Completed(std::move(parts))), flags_(flags) {
  PC1.SetCounterNum(16);
  DDIDEX1.DeadZone = 50;
  DDIDEX1.SetDebugOption(dioHaltOnError | dioDebugMessage | dioExceptOnError);
  DDDD1 = parts_.MakeDisplay(*this);
  if (DDDD1) {
    DDDD1->OnRestore = [this] { DDDD1Restore(); };
    DDDD1->OnChangeDisplayMode = [this] { DDDD1ChangeDisplayMode(); };
    DDDD1->OnCleanUp = [] {};
  }
  host_.OnKeyDown = [this](const plat::KeyEvent& k) {
    uint16_t key = k.vk;
    FormKeyDown(key, k.shift);
  };
  host_.OnClose = [this] { host_.Terminate(); };
}

TForm1::~TForm1() {
  DDDD1Destroy();
  FormDestroy();
  host_.OnKeyDown = nullptr;
  host_.OnClose = nullptr;
  DDDD1.reset();
}

void TForm1::Create() {
  auto formCreate = [this] { FormCreate(); };
  auto onInit = [this] { DDDD1Init(); };
  if (DDDD1) {
    DDDD1->RunCreate(formCreate, onInit);
  } else {
    formCreate();
    onInit();
  }
}

// --- start-up ----------------------------------------------------------------

void TForm1::FormCreate() {
  try {
    // The input component's loading step opens the devices.
    DDIDEX1.Loaded();
    if (DDDD1) DDDD1->SetTimer(&PC1);
    // The clock already has 1 ms resolution; nothing to raise.
    Glb = std::make_unique<TGlobalSAI>(this, flags_);
    Glb->PC = &PC1;
    GameLog("\x81\x9A\x83t\x83H\x81[\x83\x80\x90\xB6\x90\xAC\x8AJ\x8En");  // "★フォーム生成開始"
    GC = parts_.MakeTuningTable(*this);
    DXINILoad();
    if (Glb->CFGINI.WinSize != 0) {
      MAG = 1;
      FontSize = 8;
    } else {
      MAG = 2;
      FontSize = 10;
    }
    ClientWidth = kLogicalW * MAG;
    ClientHeight = kLogicalH * MAG;
    host_.SetClientSize(ClientWidth, ClientHeight);
    FPS_c = 0;
    FileVer = GetExeVer();
    // Logs stay off unless the options ask for them; the shipped game writes none.
    bool dbg = Glb->DXINI.DbgLog != 0;
    if (DDDD1) DDDD1->SetDebugMessages(dbg);
    DDIDEX1.SetDebugOption(dbg ? dioHaltOnError | dioDebugMessage | dioExceptOnError
                               : dioHaltOnError | dioExceptOnError);
    GameLog("\x81\x9A\x44XINILoad");             // "★DXINILoad"
    GameLog("\x81\x9ATOggDataCtrl.Create");      // "★TOggDataCtrl.Create"
    OC = parts_.MakeSound(*this);
    if (OC) OC->SetDebugMessages(dbg);
    if (!host_.CreateWindow(kAppTitle, ClientWidth, ClientHeight))
      throw std::runtime_error("the window could not be made");
    Glb->InitMsg("DDDD\x8F\x89\x8A\xFA\x89\xBB", 0);  // "DDDD初期化"
  } catch (...) {
    ReportStartFailure(ExceptionText());
    if (!Glb) Glb = std::make_unique<TGlobalSAI>(this, flags_);
    Glb->HaltMsg("init failed");
  }
}

void TForm1::DDDD1Init() {
  try {
    PC1.Start(1);
    const TDXINI& dx = Glb->DXINI;
    if (DDDD1) {
      DDDD1->SetSystemMemorySurfaces(dx.UseRAM == 1);
      DDDD1->SetUse3D(dx.UseD3D == 0);
    }
    TCol_f = dx.TexFmt == 1;
    FScr_f = dx.ScreenType == 1;
    if (DDDD1) {
      if (FScr_f) DDDD1->FullScreenMode2(MAG, TCol_f, false);
      else DDDD1->WindowMode(kLogicalW * MAG, kLogicalH * MAG);
    }
    Glb->InitMsg("Window\x8F\x89\x8A\xFA\x89\xBB", 1);  // "Window初期化"

    AL = parts_.MakeRenderer(*this);
    if (AL) {
      AL->SetDebugMessages(dx.DbgLog != 0);
      AL->SetTexelFix(float(dx.TexelFix) / 100.0f);
      AL->SetAspect(1.0f, false);
      AL->SetAspectCentre(0.0f, 0.0f);
    }
    TW = parts_.MakeTextTexture(*this);  // usage "汎用", all sizes 0
    ADI = parts_.MakeInput(*this);
    if (ADI) ADI->SetDebugMessages(dx.DbgLog != 0);
    Glb->InitMsg("DDID\x8F\x89\x8A\xFA\x89\xBB", 2);  // "DDID初期化"
    FD = parts_.MakeFont(*this);  // base path "data\"

    Randomize();
    Glb->RandSeed = RandSeed();

    SC = parts_.MakeScene(*this);
    if (SC) SC->CfgBtn();

    PC1.Stop(1);
    if (!flags_.Eng_f)  // "初期化完了" + time
      Glb->SetInf("\x8F\x89\x8A\xFA\x89\xBB\x8A\xAE\x97\xB9" + SpTime(PC1.GetTime(1)), kInfTime);
  } catch (...) {
    ReportStartFailure(ExceptionText());
    Glb->HaltMsg("dddd init failed");
  }
  // Installed whatever happened, so a recorded failure reaches the error box.
  InstallLoop();
}

void TForm1::DXINILoad() {
  Glb->DXINI = TDXINI{};
  Glb->DXINI.UseD3D = 1;
  const std::string path = plat::ProgramFolder() + std::string(kCfgIniPath);
  std::string problem;
  CfgIniCleared cleared;
  if (!LoadCfgIni(path, Glb->CFGINI, &problem, &cleared)) {
    plat::ReportFileProblem(path, problem);
    Glb->HaltMsgNo(0);
    return;
  }
  // The game plays with what the file gives; stderr says what leaves keys dead.
  ReportCfgIniDeadKeys(path, Glb->CFGINI, cleared, DDIDEX1.JoyStickCount());
}

void TForm1::InstallLoop() {
  host_.SetIdle([this](bool& done) { MainLoop(done); });
}

// --- the frame loop ------------------------------------------------------------

void TForm1::MainLoop(bool& Done) {
  Done = false;
  if (!Glb || Glb->Halt_f) {
    ReportHalt();
    return;
  }
  try {
    RunLoopCall();
  } catch (...) {
    // The box shows what was recorded; a failure with no message shows its own text.
    if (Glb->ErrMsg.empty()) Glb->ErrMsg = ExceptionText();
    Glb->Halt_f = true;
  }
}

void TForm1::ReportHalt() {
  host_.SetIdle(nullptr);
  std::string msg = Glb ? Glb->ErrMsg : std::string("init failed");
  if (flags_.Eng_f) plat::MessageBox("Error \"" + msg + "\"");
  else plat::MessageBox("\x83G\x83\x89\x81[\x82\xC5\x82\xB7\x82\xC8 : " + msg + " ");  // "エラーですな : "
  errorShown_ = true;
  host_.Terminate();
}

void TForm1::LeavePause() {
  Pause = ptNone;
  CaptionMsg();
  OC->NomalVol();
}

void TForm1::RunLoopCall() {
  if (!SC || !AL || !ADI || !OC || !DDDD1) {
    Glb->HaltMsgNo(1);
    return;
  }
  plat::Clock& clock = plat::CurrentClock();
  const uint32_t period = FPSWaitB * uint32_t(FPSDIV);
  st = clock.NowMs();

  // Pause exists only in the match; leaving the match clears it.
  if (SC->NowScene() == stDB) {
    if (ADI->CheckBtn(bX)) {
      if (Pause == ptNone) {
        Pause = ptPause;
        Glb->SetInf("- PAUSE -", kInfTime);
        OC->SEPlay(13);
        OC->HalfVol();
      } else {
        LeavePause();
      }
    }
  } else if (Pause != ptNone) {
    LeavePause();
  }

  if (flags_.Debug_f) {
    if (ADI->CheckBtn(bL)) SaveState();
    else if (ADI->CheckBtn(bR)) LoadState();
  }

  if (Pause == ptPause) {
    ADI->Scan(false);  // read the pause button, record nothing
    host_.DelayIdle(period);  // and rest a period before the next look
  } else {
    int steps = GameSpeed <= 0 ? 1 : GameSpeed + 1;
    for (int i = 0; i < steps; ++i) SC->OnMove();
    if (FPS30_c == 0) {
      SC->OnDraw();
      AL->Rendering();
      DDDD1->Flip();
      DrawDbgTxt();
    }
    if (Pause == ptSbS) Pause = ptPause;
    SC->OnJump();

    if (FPSDIV == 1) {
      FPS30_c = 0;
    } else {
      --FPS30_c;
      if (FPS30_c >= 0) return;  // an undrawn step: no wait, no caption
      FPS30_c = FPSDIV - 1;
    }

    Glb->LoopTime = int32_t(uint32_t(uint64_t(PC1.GetTime64(0))));
    clock.SleepMs(1);
    et = clock.NowMs();
    // Sleep to the end of the period; key events run here, nested in this call.
    while (uint32_t(et - st) < period) {
      host_.WaitMessages(period - uint32_t(et - st));
      et = clock.NowMs();
    }
    ov = et - st - period;
    for (int i = 0; i < kMaxCatchUp && ov > period; ++i) {
      SC->OnMove();
      st += period;
      et = clock.NowMs();
      ov = et - st - period;
      ++Skip_c;
    }
    UpToR(FPS_c, FPS30_c == 0 ? 60 : 30, 1);
    et1000 = clock.NowMs();
  }

  // Caption: the first live source wins.
  bool Msg_f = false;
  std::string alert = AL ? AL->AlertMsg() : std::string();
  if (!alert.empty()) {
    SetCaption(alert);
    Msg_f = true;
  } else if (!Glb->AlertMsg.empty()) {
    SetCaption(Glb->AlertMsg);
    Msg_f = true;
  }
  if (Glb->IdleInf() && !Msg_f) {
    SetCaption(Glb->InfMsg());
    Msg_f = true;
  }

  if (uint32_t(et1000 - st1000) > 1000) {
    if (DebugTxt_f && !FScr_f && !Msg_f) CaptionMsg();
    FPS_c = 0;
    Skip_c = 0;
    st1000 = et1000;
  }
}

void TForm1::CaptionMsg() {
  if (flags_.Eng_f) {
    SetCaption("Vorlappa!! (Ver.2.0)");
    return;
  }
  // "ヴォルラッパ!!(Ver.2.0) [★DebagMode★ ]- FPS n - Skip n - ms<t>μ秒/Loop"
  std::string s = flags_.Debug_f
      ? "\x83\x94\x83H\x83\x8B\x83\x89\x83\x62\x83p!!(Ver.2.0) \x81\x9A\x44\x65\x62\x61gMode\x81\x9A - FPS "
      : "\x83\x94\x83H\x83\x8B\x83\x89\x83\x62\x83p!!(Ver.2.0) - FPS ";
  s += std::to_string(FPS_c) + " - Skip " + std::to_string(Skip_c) + " - ms" +
       std::to_string(PC1.GetTime64M(0)) + "\x83\xCA\x95\x62/Loop";
  SetCaption(s);
}

// Each live debug line as a box of the canvas brush with its text on it, drawn
// by the window over the frame just presented. The boxes stand 20 pixels
// apart, the texts two font sizes apart, as the canvas places them.
void TForm1::DrawDbgTxt() {
  if (!DebugTxt_f || !Glb) return;
  const int fontPx = (FontSize * 96 + 36) / 72;  // points at 96 dots per inch
  std::vector<plat::CanvasItem> items;
  for (int i = 0; i < DBGTXTNUM; ++i) {
    if (Glb->DbgTxtSt[i].empty()) continue;
    items.push_back({2, 2 + 20 * i, 200, 20, CanvasBrushColor, "", "", 0, 0});
    items.push_back({2, 2 + 2 * i * FontSize, 0, 0, CanvasBrushColor, Glb->DbgTxt[i], kFormFont,
                     fontPx, 0});
  }
  if (!items.empty()) host_.DrawOverFrame(items);
}

// --- keys ------------------------------------------------------------------------

void TForm1::FormKeyDown(uint16_t& Key, bool Shift) {
  // Nothing acts while a failure waits for its box or before the scenes exist.
  if (!Glb || Glb->Halt_f || !SC) return;
  try {
    if (Key == 27) {
      host_.Terminate();
      return;
    }
    if (!flags_.Debug_f) {
      if (Key == 112) F5Reset(true, false, false, stDBOP);
      return;
    }
    DebugKey(Key, Shift);
  } catch (...) {
    if (Glb->ErrMsg.empty()) Glb->ErrMsg = ExceptionText();
    Glb->Halt_f = true;
  }
}

std::string TForm1::SlotText() const { return std::to_string(slot_); }

void TForm1::SpeedChanged() {
  FPSWaitB = GameSpeed < 0 ? DEFFPS * uint32_t(1 - GameSpeed) : DEFFPS;
  ov = 0;
  FPS_c = 0;
  // "げーむすぴーど - " and ●/◎/○ for the speeds -3..3
  std::string gauge = "\x82\xB0\x81[\x82\xDE\x82\xB7\x82\xD2\x81[\x82\xC7 - ";
  for (int s = -MAXGSP; s <= MAXGSP; ++s) {
    if (s == GameSpeed) gauge += "\x81\x9C";
    else if (s == 0) gauge += "\x81\x9D";
    else gauge += "\x81\x9B";
  }
  Glb->SetInf(gauge, kInfTime);
}

// The saved text only when the state was written: a failed save leaves its
// own report or the text that stood before.
void TForm1::SaveState() {
  if (!SC->OnSave()) return;
  // "ばっちりおぼえとくぜ！！ : #" + slot
  Glb->SetInf("\x82\xCE\x82\xC1\x82\xBF\x82\xE8\x82\xA8\x82\xDA\x82\xA6\x82\xC6\x82\xAD\x82\xBA"
              "\x81I\x81I : #" + SlotText(), kInfTime);
}

void TForm1::LoadState() {
  if (SC->OnLoad())  // "ばっちりおもいだしたぜ！！ : #"
    Glb->SetInf("\x82\xCE\x82\xC1\x82\xBF\x82\xE8\x82\xA8\x82\xE0\x82\xA2\x82\xBE\x82\xB5\x82\xBD"
                "\x82\xBA\x81I\x81I : #" + SlotText(), kInfTime);
  else  // "ばっちりおもいだせません : #"
    Glb->SetInf("\x82\xCE\x82\xC1\x82\xBF\x82\xE8\x82\xA8\x82\xE0\x82\xA2\x82\xBE\x82\xB9\x82\xDC"
                "\x82\xB9\x82\xF1 : #" + SlotText(), kInfTime);
}

void TForm1::DebugKey(uint16_t key, bool shift) {
  if (key >= '0' && key <= '9') {
    slot_ = key - '0';
    ADI->SetSlotNo(slot_);
    SC->SetSvSlt(slot_);
    Glb->SetInf("\x83Z\x81[\x83u\x83X\x83\x8D\x83\x62\x83g #" + SlotText(), kInfTime);  // "セーブスロット #"
    return;
  }
  switch (key) {
    case 112:  // F1: slower
      if (GameSpeed > -MAXGSP) --GameSpeed;
      SpeedChanged();
      break;
    case 113:  // F2: pause on/off
      if (Pause == ptNone) {
        Pause = ptPause;
        Glb->SetInf("\x8E~\x82\xDC\x82\xEA\x81[", kInfTime);  // "止まれー"
      } else {
        Pause = ptNone;
        Glb->SetInf("\x93\xAE\x82\xAF\x81[", kInfTime);  // "動けー"
      }
      break;
    case 114:  // F3: one step while paused, else faster
      if (Pause != ptNone) {
        Pause = ptSbS;
      } else {
        if (GameSpeed < MAXGSP) ++GameSpeed;
        SpeedChanged();
      }
      break;
    case 115:  // F4: computer players on/off
      ADI->SetCPUNUM(ADI->CPUNUM() == 0 ? 3 : 0);
      Glb->SetInf("\x82\x62\x82o\x82t\x90\xD8\x82\xE8\x91\xD6\x82\xA6\x82\xC1\x81\x63\x81I",
                  kInfTime);  // "ＣＰＵ切り替えっ…！"
      break;
    case 116:  // F5: reload data, restart the scene (the title with Shift)
      Glb->SetInf("\x83X\x83N\x83\x8A\x83v\x83g\x81\x95\x83\x41\x83\x43\x83\x65\x83\x80\x8DX\x90V",
                  kInfTime);  // "スクリプト＆アイテム更新"
      F5Reset(true, false, shift, stDBOP);
      break;
    case 117:  // F6: hit boxes
      Glb->HanteiDraw_f = !Glb->HanteiDraw_f;
      Glb->SetInf("\x94\xBB\x92\xE8\x95\x5C\x8E\xA6\x90\xD8\x82\xE8\x91\xD6\x82\xA6\x82\xC1\x81\x63"
                  "\x81I", kInfTime);  // "判定表示切り替えっ…！"
      break;
    case 118:  // F7: debug caption and lines
      DebugTxt_f = !DebugTxt_f;
      Glb->SetInf("\x83\x66\x83o\x83\x62\x83O\x95\x5C\x8E\xA6\x90\xD8\x82\xE8\x91\xD6\x82\xA6\x82\xC1"
                  "\x81\x63\x81I", kInfTime);  // "デバッグ表示切り替えっ…！"
      break;
    case 119:  // F8: save the match state
      SaveState();
      break;
    case 120:  // F9: load it
      LoadState();
      break;
    case 121:  // F10: mouse cursor (full screen only)
      DDDD1->MouseCursorSwitch();
      Glb->SetInf("\x83}\x83\x45\x83X\x95\x5C\x8E\xA6\x94\xF1\x95\x5C\x8E\xA6\x81i\x83t\x83\x8B\x83X"
                  "\x83N\x83\x8A\x81[\x83\x93\x82\xCC\x82\xDD\x81j",
                  kInfTime);  // "マウス表示非表示（フルスクリーンのみ）"
      break;
    case 122:  // F11: draw one step in FPSDIV
      FPSDIV = FPSDIV >= 4 ? 1 : FPSDIV + 1;
      Glb->SetInf("\x95`\x89\xE6\x89\xF1\x90\x94\x31/" + std::to_string(FPSDIV),
                  kInfTime);  // "描画回数1/"
      break;
    default:
      break;
  }
}

void TForm1::F5Reset(bool Item_f, bool Replay_f, bool GoToOP_f, int tScene) {
  if (!Glb || Glb->Halt_f || !SC) return;
  F5_f = true;
  host_.SetIdle(nullptr);
  Glb->AlertClear();
  plat::CurrentClock().SleepMs(10);
  if (!flags_.Debug_f || GoToOP_f) SC->SceneJump(tScene);
  if (flags_.Debug_f) {
    if (!Replay_f) {
      Randomize();
      Glb->RandSeed = RandSeed();
      if (ADI) ADI->Init(true);
    } else if (ADI) {
      ADI->Init(false);
    }
    try {
      DXINILoad();
      SC->CfgBtn();
      SC->DataLoad();
    } catch (...) {
      if (Glb->ErrMsg.empty()) Glb->ErrMsg = ExceptionText();
      Glb->Halt_f = true;
    }
  }
  if (Item_f) SC->SceneOnReset();
  if (AL) AL->SetTexelFix(float(Glb->DXINI.TexelFix) / 100.0f);
  InstallLoop();
  F5_f = false;
  if (OC) {
    OC->BGMStop();
    OC->JglStop(-1);
    OC->SEStop(-1);
  }
}

// --- display events and shutdown -------------------------------------------------

void TForm1::DDDD1Restore() {
  if (SC) SC->OnRestore();
}
void TForm1::DDDD1ChangeDisplayMode() {
  if (SC) SC->OnRestore();
}

void TForm1::DDDD1Destroy() {
  if (displayDestroyed_) return;
  displayDestroyed_ = true;
  SC.reset();
  FD.reset();
  if (Glb) Glb->FD = nullptr;
  ADI.reset();
  if (Glb) Glb->ADI = nullptr;
  TW.reset();
  if (Glb) Glb->TW = nullptr;
  AL.reset();
}

void TForm1::FormDestroy() {
  if (formDestroyed_) return;
  formDestroyed_ = true;
  OC.reset();
  if (Glb) Glb->OC = nullptr;
  GC.reset();
  Glb.reset();
  host_.SetIdle(nullptr);
  // The clock's resolution was never raised; nothing to release.
}
