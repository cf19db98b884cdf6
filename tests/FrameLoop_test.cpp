// The main form's start-up, frame loop, keys and shutdown on a fake clock.
#include <stdexcept>

#include "files/QDArc.h"
#include "graphics/ALAddLib.h"
#include "platform/Files.h"
#include "platform/InputDevices.h"
#include "platform/SystemFont.h"
#include "shell/DisplayLink.h"
#include "shell/GlbConst.h"
#include "shell/GameRandom.h"
#include "tests/FormTestKit.h"

namespace {

using formkit::FormFixture;

class FrameLoop : public FormFixture {
 protected:
  void SetUp() override {
    FormFixture::SetUp();
    WriteSettings();
  }
};

TEST_F(FrameLoop, NormalPeriodIsOneStepAndOneFramePer16ms) {
  Start();
  Loop();  // the first call also writes the first caption
  int moves = c.moves, draws = c.draws;
  for (int i = 0; i < 20; ++i) {
    uint32_t t0 = Now();
    Loop();
    uint32_t dt = Now() - t0;
    EXPECT_GE(dt, 16u);
    EXPECT_LE(dt, 17u);  // the spin reads the clock, then pumps
  }
  EXPECT_EQ(c.moves - moves, 20);
  EXPECT_EQ(c.draws - draws, 20);
  EXPECT_EQ(c.renders, c.draws);
  EXPECT_EQ(c.flips, c.draws);
  EXPECT_EQ(c.jumps, c.moves);
  EXPECT_EQ(form->Skip_c, 0);
  EXPECT_GE(host.Pumps, 20u * 15u);  // messages are pumped while waiting
}

TEST_F(FrameLoop, WorkOf40msRunsExactlyOneCatchUpStep) {
  Start();
  Loop(3);
  int call = 0;
  c.onDraw = [&] {
    if (++call == 1) clock.AdvanceMs(40);
  };
  int moves = c.moves, draws = c.draws, jumps = c.jumps;
  uint32_t t0 = Now();
  Loop();
  EXPECT_EQ(Now() - t0, 41u) << "no wait after a late step";
  EXPECT_EQ(c.moves - moves, 2);
  EXPECT_EQ(c.draws - draws, 1);
  EXPECT_EQ(c.jumps - jumps, 1) << "catch-up steps do not switch scenes";
  EXPECT_EQ(form->Skip_c, 1);
  Loop();
  EXPECT_EQ(c.moves - moves, 3) << "then normal pacing";
  Loop(70);
  EXPECT_EQ(form->Skip_c, 0) << "the count starts again each second";
}

TEST_F(FrameLoop, LongStallRuns64CatchUpStepsThenPacesNormally) {
  Start();
  Loop(2);
  bool stall = true;
  c.onDraw = [&] {
    if (stall) clock.AdvanceMs(5000);
    stall = false;
  };
  int moves = c.moves, draws = c.draws;
  Loop();
  EXPECT_EQ(c.moves - moves, 1 + 64);
  EXPECT_EQ(c.draws - draws, 1);
  for (int i = 0; i < 5; ++i) {
    uint32_t t0 = Now();
    Loop();
    EXPECT_LE(Now() - t0, 17u);
  }
  EXPECT_EQ(c.moves - moves, 65 + 5);
}

TEST_F(FrameLoop, EveryStepCostingMoreThanAPeriodCapsAt64PerCall) {
  Start();
  Loop();
  c.onMove = [&] { clock.AdvanceMs(40); };
  int moves = c.moves;
  Loop();
  EXPECT_EQ(c.moves - moves, 1 + 64);
}

TEST_F(FrameLoop, DrawDivisorThreeDrawsOneStepInThreeAndPacesEvery48ms) {
  Start();
  form->FPSDIV = 3;
  int moves = c.moves, draws = c.draws;
  uint32_t t0 = Now();
  std::vector<uint32_t> callTimes;
  for (int i = 0; i < 9; ++i) {
    uint32_t a = Now();
    Loop();
    callTimes.push_back(Now() - a);
  }
  EXPECT_EQ(c.moves - moves, 9);
  EXPECT_EQ(c.draws - draws, 3);
  for (int i = 0; i < 9; ++i) {
    if (i % 3 == 0) {
      EXPECT_GE(callTimes[size_t(i)], 48u);
      EXPECT_LE(callTimes[size_t(i)], 49u);
    } else {
      EXPECT_EQ(callTimes[size_t(i)], 0u) << "steps between waits return at once";
    }
  }
  EXPECT_LE(Now() - t0, 3u * 49u);
  EXPECT_LE(form->FPS_c, 30);
}

TEST_F(FrameLoop, PauseInTheMatchStopsLogicAndTheSecondPushResumes) {
  Start();
  c.scene = stDB;
  c.pushXOnScan = {1, 4};
  Loop();  // step: scan 1 sees the push
  EXPECT_EQ(c.moves, 1);
  Loop();  // pause
  EXPECT_EQ(form->Pause, ptPause);
  EXPECT_EQ(c.sePlay13, 1);
  EXPECT_EQ(c.halfVol, 1);
  EXPECT_EQ(host.Caption(), "- PAUSE -");
  uint32_t t0 = Now();
  Loop(2);  // paused: scans without recording, no step, no wait
  EXPECT_EQ(Now(), t0);
  EXPECT_EQ(c.moves, 1);
  EXPECT_EQ(c.draws, 1);
  EXPECT_EQ(c.scans, 4);
  EXPECT_EQ(c.scansRecorded, 1);
  Loop();  // the paused scan 4 saw the second push
  EXPECT_EQ(form->Pause, ptNone);
  EXPECT_EQ(c.nomalVol, 1);
  EXPECT_EQ(c.moves, 2);
}

TEST_F(FrameLoop, PauseButtonOutsideTheMatchDoesNothing) {
  Start();
  c.pushXOnScan = {1, 2, 3};
  Loop(4);
  EXPECT_EQ(form->Pause, ptNone);
  EXPECT_EQ(c.halfVol, 0);
  EXPECT_EQ(c.moves, 4);
}

TEST_F(FrameLoop, LeavingThePausedMatchWithF1RestoresTheVolume) {
  Start();
  c.scene = stDB;
  c.pushXOnScan = {1};
  Loop(2);
  ASSERT_EQ(form->Pause, ptPause);
  host.QueueKey(Now(), 112);  // F1
  host.ProcessMessages();
  EXPECT_EQ(c.lastJump, stDBOP);
  EXPECT_EQ(c.resets, 1);
  EXPECT_EQ(c.bgmStop, 1);
  EXPECT_EQ(c.jglStop, 1);
  EXPECT_EQ(c.seStop, 1);
  Loop();
  EXPECT_EQ(form->Pause, ptNone);
  EXPECT_EQ(c.nomalVol, 1);
  EXPECT_EQ(c.moves, 2);
}

TEST_F(FrameLoop, F1DuringTheWaitResetsToTheTitleInsideThatCall) {
  Start();
  Loop();
  c.scene = stDB;
  form->Glb->AlertMsg = "alert";
  bool idleDuringJump = true;
  c.onSceneJump = [&] { idleDuringJump = host.HasIdle(); };
  host.QueueKey(Now() + 5, 112);
  Loop();
  EXPECT_EQ(c.sceneJumps, 1);
  EXPECT_FALSE(idleDuringJump) << "the loop is unhooked while the scene switches";
  EXPECT_EQ(form->Glb->AlertMsg, "");
  EXPECT_EQ(c.lastJump, stDBOP);
  EXPECT_TRUE(host.HasIdle()) << "the loop is hooked again";
  EXPECT_FALSE(form->F5_f);
  EXPECT_EQ(c.dataLoads, 0) << "the shipped game reloads nothing";
}

TEST_F(FrameLoop, EscOrClosingTheWindowEndsTheProgramWithoutAnErrorBox) {
  for (bool close : {false, true}) {
    plat::ScriptedHost h(&clock);
    form = std::make_unique<TForm1>(h, formkit::CountingParts(c), BuildFlags{true, false});
    form->Create();
    if (close)
      h.QueueClose(Now() + 50);
    else
      h.QueueKey(Now() + 50, 27);
    h.MaxIdleCalls = 1000;
    h.Run();
    EXPECT_TRUE(h.Terminated()) << close;
    EXPECT_LT(h.IdleCalls, 10u);
    EXPECT_TRUE(boxes.empty());
    EXPECT_FALSE(form->ErrorShown());
    form.reset();
  }
}

TEST_F(FrameLoop, CaptionOncePerSecondAndByPriority) {
  auto parts = formkit::CountingParts(c);
  formkit::CountingRenderer* renderer = nullptr;
  parts.MakeRenderer = [&](TForm1&) {
    auto r = std::make_unique<formkit::CountingRenderer>(c);
    renderer = r.get();
    return r;
  };
  form = std::make_unique<TForm1>(host, parts, BuildFlags{true, false});
  form->Create();
  Loop();
  EXPECT_EQ(host.Caption(), "Vorlappa!! (Ver.2.0)");
  form->Glb->SetInf("info", 60);
  form->Glb->AlertMsg = "alert";
  renderer->alert = "renderer";
  Loop();
  EXPECT_EQ(host.Caption(), "renderer");
  EXPECT_EQ(form->Glb->Inf_c, 59) << "the information time-out runs even when it loses";
  renderer->alert.clear();
  Loop();
  EXPECT_EQ(host.Caption(), "alert");
  form->Glb->AlertClear();
  Loop();
  EXPECT_EQ(host.Caption(), "info");
  // While the information text is live, the once-a-second caption keeps off.
  clock.AdvanceMs(1500);
  Loop();
  EXPECT_EQ(host.Caption(), "info");
  form->Glb->SetInf("", 0);
  clock.AdvanceMs(1500);
  Loop();
  EXPECT_EQ(host.Caption(), "Vorlappa!! (Ver.2.0)");
  EXPECT_EQ(form->FPS_c, 0);
}

// The Japanese caption counts the frames and catch-up steps of the last
// second; the authoring build marks itself. A full screen or hidden debug
// text keeps the caption as it was.
TEST_F(FrameLoop, JapaneseCaptionShowsTheSecondsFramesAndSkips) {
  const std::string name = "\x83\x94\x83H\x83\x8B\x83\x89\x83\x62\x83p!!(Ver.2.0) ";  // ヴォルラッパ
  const std::string tail = "- FPS 60 - Skip 0 - ms0\x83\xCA\x95\x62/Loop";                 // μ秒
  for (bool debug : {false, true}) {
    SCOPED_TRACE(debug);
    Start(BuildFlags{false, debug});
    form->Glb->SetInf("", 0);  // the start-up time text
    Loop(70);                  // a little over a second at 16 ms
    EXPECT_EQ(host.Caption(), name + (debug ? "\x81\x9A\x44\x65\x62\x61gMode\x81\x9A " : "") + tail);
  }
  // The display's restore and mode change reload the scenes' textures.
  form->DDDD1->OnRestore();
  form->DDDD1->OnChangeDisplayMode();
  EXPECT_EQ(c.restores, 2);
  for (int hide : {0, 1}) {
    form->FScr_f = hide == 0;
    form->DebugTxt_f = hide == 0;
    host.SetCaption("kept");
    Loop(70);
    EXPECT_EQ(host.Caption(), "kept") << hide;
  }
}

// The game's display: a first window of 1024 x 480 at 32 bits on black, no 3D,
// and no wait for the vertical blank in a window.
TEST_F(FrameLoop, TheGamesDisplayStartsWithItsOwnSettings) {
  DdddDisplay d(host);
  const TDDDD& dev = d.Device();
  EXPECT_EQ(std::vector<long>({long(dev.InitialScreenWidth), long(dev.InitialScreenHeight),
                               long(dev.InitialBitDepth), long(dev.BackColor), dev.Use3D,
                               dev.VsyncAtWindowed}),
            std::vector<long>({1024, 480, 32, 0, 0, 0}));
}

TEST_F(FrameLoop, ShutdownFreesTheDisplaySideFirstAndTheGlobalObjectLast) {
  Start();
  Loop();
  form.reset();
  std::vector<std::string> want = {"SC", "FD", "ADI", "TW", "AL", "OC", "GC", "DDDD"};
  EXPECT_EQ(c.events, want);
  EXPECT_FALSE(host.HasIdle());
  // The window's events no longer reach the form.
  EXPECT_FALSE(host.OnKeyDown);
  EXPECT_FALSE(host.OnClose);
}

// --- start-up and halts ------------------------------------------------------

class StartUp : public FormFixture {};

TEST_F(StartUp, WindowSizeFollowsTheSettings) {
  plat::ScriptedInputDevices pads;
  pads.Attach("pad 1");
  pads.Attach("pad 2");
  plat::SetInputDevices(&pads);
  for (uint16_t win : {uint16_t(0), uint16_t(1), uint16_t(7)}) {
    WriteSettings(win);
    form.reset();
    plat::ScriptedHost h(&clock);
    c.setup.clear();
    const bool eng = win != 7;  // the last start runs with Japanese texts
    form = std::make_unique<TForm1>(h, formkit::CountingParts(c), BuildFlags{eng, false});
    form->Create();
    int w = win == 0 ? 1024 : 512, ht = win == 0 ? 480 : 240;
    // The options' defaults: logs off, video memory, no 3D, a window of the
    // chosen scale, no texel fix and the plain aspect.
    const std::vector<std::string> setup = {
        "display log 0", "sound log 0", "system memory 0", "3D 0",
        "window " + std::to_string(w) + "x" + std::to_string(ht), "renderer log 0",
        "texel fix 0.000000", "aspect 1.000000 0", "centre 0.000000 0.000000", "input log 0"};
    EXPECT_EQ(c.setup, setup);
    EXPECT_EQ(form->DDIDEX1.DeadZone, 50);
    EXPECT_EQ(form->DDIDEX1.DebugOption(), dioHaltOnError | dioExceptOnError);
    EXPECT_EQ(form->PC1.CounterNum(), 16u);
    EXPECT_EQ(form->DDIDEX1.JoyStickCount(), 2) << "the input component found the pads";
    // Only the Japanese build says how long the start took: "初期化完了( s.ms秒 )".
    EXPECT_EQ(form->Glb->InfMsg(),
              eng ? "" : "\x8F\x89\x8A\xFA\x89\xBB\x8A\xAE\x97\xB9( 0.0\x95\x62 )");
    EXPECT_EQ(form->Glb->Inf_c, eng ? 0 : 60);
    EXPECT_TRUE(h.WindowCreated);
    EXPECT_EQ(h.ClientW, w) << "WinSize " << win;
    EXPECT_EQ(h.ClientH, ht) << "WinSize " << win;
    EXPECT_EQ(form->MAG, win == 0 ? 2 : 1);
    EXPECT_EQ(form->FontSize, win == 0 ? 10 : 8);
    EXPECT_FALSE(form->FScr_f) << "the defaults give a window";
    EXPECT_FALSE(form->TCol_f);
    EXPECT_TRUE(h.HasIdle());
    EXPECT_FALSE(form->Glb->Halt_f);
    form.reset();
  }
  plat::SetInputDevices(nullptr);
}

TEST_F(StartUp, LoadingCaptionThenTheSeedIsKept) {
  WriteSettings();
  Start();
  ASSERT_GE(host.Captions.size(), 3u);
  EXPECT_EQ(host.Captions[0], "tumbo2.0t");
  EXPECT_EQ(host.Captions[1], "- NOW LOADING - ..........");
  EXPECT_EQ(host.Captions[2], "- NOW LOADING - !.........");
  EXPECT_EQ(host.Captions[3], "- NOW LOADING - !!........");
  EXPECT_EQ(form->Glb->RandSeed, RandSeed());
  EXPECT_EQ(c.cfgBtn, 1);
}

TEST_F(StartUp, HaltDuringLoadingGivesOneErrorBoxAndEnds) {
  WriteSettings();
  auto parts = formkit::CountingParts(c);
  parts.MakeScene = [&](TForm1& f) {
    f.Glb->HaltMsgNo(3);  // a texture failed to load
    return std::make_unique<formkit::CountingScene>(c);
  };
  form = std::make_unique<TForm1>(host, parts, BuildFlags{true, false});
  form->Create();
  host.MaxIdleCalls = 100;
  host.Run();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "Error \"ALib Err\"");
  EXPECT_TRUE(host.Terminated());
  EXPECT_EQ(host.IdleCalls, 1u);
  EXPECT_FALSE(host.HasIdle());
  EXPECT_TRUE(form->ErrorShown());
  EXPECT_EQ(c.moves, 0);
}

TEST_F(StartUp, MissingSettingsAtLoadIsReportedInJapaneseToo) {
  form = std::make_unique<TForm1>(host, formkit::CountingParts(c), BuildFlags{false, false});
  form->Create();
  host.MaxIdleCalls = 100;
  host.Run();
  ASSERT_EQ(boxes.size(), 1u);
  // "エラーですな : File Not Found "
  EXPECT_EQ(boxes[0], "\x83G\x83\x89\x81[\x82\xC5\x82\xB7\x82\xC8 : File Not Found ");
}

TEST_F(StartUp, SecondStageFailureStillReachesTheErrorBox) {
  WriteSettings();
  auto parts = formkit::CountingParts(c);
  parts.MakeRenderer = [](TForm1&) -> std::unique_ptr<FormRenderer> {
    throw std::runtime_error("no renderer");
  };
  form = std::make_unique<TForm1>(host, parts, BuildFlags{true, false});
  testing::internal::CaptureStderr();
  form->Create();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "qorv_tests: init failed: no renderer\n");
  EXPECT_TRUE(host.HasIdle());
  host.QueueKey(Now(), 112);  // F1 before the first loop call must not touch missing objects
  host.MaxIdleCalls = 100;
  host.Run();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "Error \"dddd init failed\"");
  EXPECT_EQ(c.sceneJumps, 0);
}

TEST_F(StartUp, FirstStageFailureStillRunsTheSecondStage) {
  WriteSettings();
  auto parts = formkit::CountingParts(c);
  parts.MakeSound = [](TForm1&) -> std::unique_ptr<FormSound> {
    throw std::runtime_error("no sound");
  };
  form = std::make_unique<TForm1>(host, parts, BuildFlags{true, false});
  form->Create();
  EXPECT_EQ(c.cfgBtn, 1) << "the scenes were still built";
  host.MaxIdleCalls = 100;
  host.Run();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "Error \"init failed\"");
}

TEST_F(StartUp, AFailingStepHaltsWithItsOwnText) {
  WriteSettings();
  Start();
  c.onMove = [] { throw std::runtime_error("step failed"); };
  host.MaxIdleCalls = 100;
  host.Run();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "Error \"step failed\"");
  EXPECT_EQ(host.IdleCalls, 2u);
}

// --- the authoring build's keys ---------------------------------------------------

class AuthoringKeys : public FormFixture {
 protected:
  void SetUp() override {
    FormFixture::SetUp();
    WriteSettings();
    Start(BuildFlags{true, true});
  }
  void Key(uint16_t k, bool shift = false) { form->FormKeyDown(k, shift); }
};

TEST_F(AuthoringKeys, SpeedKeysChangeThePeriodAndStepCount) {
  Key(112);  // F1: slower
  EXPECT_EQ(form->GameSpeed, -1);
  EXPECT_EQ(form->FPSWaitB, 32u);
  for (int i = 0; i < 5; ++i) Key(112);
  EXPECT_EQ(form->GameSpeed, -3);
  EXPECT_EQ(form->FPSWaitB, 64u);
  // "げーむすぴーど - ●◎..." with the current speed first of seven
  EXPECT_EQ(form->Glb->InfMsg(),
            "\x82\xB0\x81[\x82\xDE\x82\xB7\x82\xD2\x81[\x82\xC7 - "
            "\x81\x9C\x81\x9B\x81\x9B\x81\x9D\x81\x9B\x81\x9B\x81\x9B");
  for (int i = 0; i < 5; ++i) Key(114);  // F3: faster
  EXPECT_EQ(form->GameSpeed, 2);
  EXPECT_EQ(form->FPSWaitB, 16u);
  int moves = c.moves;
  Loop();
  EXPECT_EQ(c.moves - moves, 3);
}

TEST_F(AuthoringKeys, StepByStepRunsOneStepThenStaysPaused) {
  c.scene = stDB;  // any other scene clears a pause
  Key(113);  // F2
  EXPECT_EQ(form->Pause, ptPause);
  Loop(2);
  EXPECT_EQ(c.moves, 0);
  Key(114);  // F3 while paused: one step
  EXPECT_EQ(form->Pause, ptSbS);
  Loop();
  EXPECT_EQ(c.moves, 1);
  EXPECT_EQ(form->Pause, ptPause);
  Loop();
  EXPECT_EQ(c.moves, 1);
  Key(113);
  EXPECT_EQ(form->Pause, ptNone);
}

TEST_F(AuthoringKeys, DrawDivisorCyclesAndF5ReloadsData) {
  for (int want : {2, 3, 4, 1}) {
    Key(122);
    EXPECT_EQ(form->FPSDIV, want);
  }
  c.setup.clear();
  SetRandSeed(1);
  Key(116);  // F5 without Shift: reload, restart the scene, stay where we are
  EXPECT_EQ(c.dataLoads, 1);
  EXPECT_EQ(c.cfgBtn, 2) << "the input configuration is applied again";
  EXPECT_EQ(std::pair(c.inits, c.lastInit), std::pair(1, 1));
  EXPECT_NE(form->Glb->RandSeed, 1) << "a fresh seed from the clock";
  EXPECT_EQ(form->Glb->RandSeed, RandSeed());
  EXPECT_EQ(c.setup, std::vector<std::string>{"texel fix 0.000000"});
  // "スクリプト＆アイテム更新"
  EXPECT_EQ(form->Glb->InfMsg(), "\x83X\x83N\x83\x8A\x83v\x83g\x81\x95\x83\x41\x83\x43\x83\x65\x83\x80\x8DX\x90V");
  EXPECT_EQ(c.sceneJumps, 0);
  EXPECT_EQ(c.resets, 1);
  Key(116, true);  // with Shift: to the title
  EXPECT_EQ(c.sceneJumps, 1);
  EXPECT_EQ(c.lastJump, stDBOP);
}

// Every authoring key does its one thing and says so in the caption.
TEST_F(AuthoringKeys, EachKeyActsAndSaysWhatItDid) {
  struct Row {
    uint16_t key;
    const char* text;
    std::function<void()> check;
  };
  const std::string speed = "\x82\xB0\x81[\x82\xDE\x82\xB7\x82\xD2\x81[\x82\xC7 - ";  // げーむすぴーど
  const std::string faster = speed + "\x81\x9B\x81\x9B\x81\x9B\x81\x9D\x81\x9C\x81\x9B\x81\x9B";  // ○○○◎●○○
  const Row rows[] = {
      {'7', "\x83Z\x81[\x83u\x83X\x83\x8D\x83\x62\x83g #7",  // セーブスロット #7
       [&] { EXPECT_EQ(std::pair(c.slotNo, c.svSlt), std::pair(7, 7)); }},
      {'0', "\x83Z\x81[\x83u\x83X\x83\x8D\x83\x62\x83g #0",
       [&] { EXPECT_EQ(std::pair(c.slotNo, c.svSlt), std::pair(0, 0)); }},
      {113, "\x8E~\x82\xDC\x82\xEA\x81[", [&] { EXPECT_EQ(form->Pause, ptPause); }},  // 止まれー
      {113, "\x93\xAE\x82\xAF\x81[", [&] { EXPECT_EQ(form->Pause, ptNone); }},        // 動けー
      {114, faster.c_str(), [&] {
         EXPECT_EQ(form->GameSpeed, 1);
         EXPECT_EQ(form->FPSWaitB, 16u);
       }},
      {115, "\x82\x62\x82o\x82t\x90\xD8\x82\xE8\x91\xD6\x82\xA6\x82\xC1\x81\x63\x81I",  // ＣＰＵ切り替えっ…！
       [&] { EXPECT_EQ(form->ADI->CPUNUM(), 0); }},
      {115, "\x82\x62\x82o\x82t\x90\xD8\x82\xE8\x91\xD6\x82\xA6\x82\xC1\x81\x63\x81I",
       [&] { EXPECT_EQ(form->ADI->CPUNUM(), 3); }},
      {117, "\x94\xBB\x92\xE8\x95\x5C\x8E\xA6\x90\xD8\x82\xE8\x91\xD6\x82\xA6\x82\xC1\x81\x63\x81I",  // 判定表示切り替えっ…！
       [&] { EXPECT_TRUE(form->Glb->HanteiDraw_f); }},
      {118, "\x83\x66\x83o\x83\x62\x83O\x95\x5C\x8E\xA6\x90\xD8\x82\xE8\x91\xD6\x82\xA6\x82\xC1\x81\x63\x81I",  // デバッグ表示切り替えっ…！
       [&] { EXPECT_FALSE(form->DebugTxt_f); }},
      {120, "\x82\xCE\x82\xC1\x82\xBF\x82\xE8\x82\xA8\x82\xE0\x82\xA2\x82\xBE\x82\xB9\x82\xDC\x82\xB9\x82\xF1 : #0",  // ばっちりおもいだせません
       [&] { c.loadOk = true; }},
      {120, "\x82\xCE\x82\xC1\x82\xBF\x82\xE8\x82\xA8\x82\xE0\x82\xA2\x82\xBE\x82\xB5\x82\xBD\x82\xBA\x81I\x81I : #0",  // ばっちりおもいだしたぜ！！
       [] {}},
      {121, "\x83}\x83\x45\x83X\x95\x5C\x8E\xA6\x94\xF1\x95\x5C\x8E\xA6\x81i\x83t\x83\x8B\x83X\x83N\x83\x8A\x81[\x83\x93\x82\xCC\x82\xDD\x81j",  // マウス表示非表示（フルスクリーンのみ）
       [&] { EXPECT_EQ(c.cursorSwitches, 1); }},
      {122, "\x95`\x89\xE6\x89\xF1\x90\x94\x31/2", [&] { EXPECT_EQ(form->FPSDIV, 2); }},  // 描画回数1/2
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.key);
    Key(r.key);
    EXPECT_EQ(form->Glb->InfMsg(), r.text);
    EXPECT_EQ(form->Glb->Inf_c, 60);
    form->Glb->SetInf("", 0);
    r.check();
  }
  Key('A');  // no action
  EXPECT_EQ(form->Glb->InfMsg(), "");
}

// F8 saves to the slot chosen and says so only when the save went through.
TEST_F(AuthoringKeys, SaveKeySavesAndSaysSoOnlyWhenItDid) {
  const std::string saved =  // "ばっちりおぼえとくぜ！！ : #4"
      "\x82\xCE\x82\xC1\x82\xBF\x82\xE8\x82\xA8\x82\xDA\x82\xA6\x82\xC6\x82\xAD\x82\xBA"
      "\x81I\x81I : #4";
  Key('4');
  const std::string slotText = form->Glb->InfMsg();
  Key(119);
  EXPECT_EQ(c.saves, 1);
  EXPECT_EQ(form->Glb->InfMsg(), saved);
  Key('4');
  c.onSave = [] { return false; };
  Key(119);
  EXPECT_EQ(c.saves, 2);
  EXPECT_EQ(form->Glb->InfMsg(), slotText);
}

// A failure inside a key's action stops the game through the error box.
TEST_F(AuthoringKeys, AnExceptionInAKeyHandlerHaltsWithTheErrorBox) {
  c.onSave = []() -> bool { throw std::runtime_error("disk gone"); };
  Key(119);
  EXPECT_TRUE(form->Glb->Halt_f);
  EXPECT_TRUE(boxes.empty());
  Loop();
  EXPECT_EQ(boxes, std::vector<std::string>{"Error \"disk gone\""});
  EXPECT_TRUE(host.Terminated());
}

// The window shows each live line as a white 200 x 20 box with its text in
// black; the test font draws every character as a full 13 x 13 (10 points)
// box, half as wide for a one-byte character.
TEST_F(AuthoringKeys, DebugLinesAreDrawnOverTheFrame) {
  plat::BoxFontRenderer font;
  plat::SetFontRenderer(&font);
  form->Glb->SetDbgTxt("x", 5);
  form->Glb->SetDbgTxt("y", 6);
  Loop();
  ASSERT_EQ(host.LastFrameW, 1024);
  auto px = [&](int x, int y) { return host.LastFrame[size_t(y) * 1024 + size_t(x)]; };
  EXPECT_EQ(px(201, 41), 0xFFFFFFu) << "the second line's box ends at (201, 41)";
  EXPECT_EQ(px(202, 41), 0u);
  EXPECT_EQ(px(201, 42), 0u);
  EXPECT_EQ(px(2, 22), 0u) << "its text \"y = 6\" starts at (2, 2 + 2 * 1 * 10)";
  EXPECT_EQ(px(31, 34), 0u);
  EXPECT_EQ(px(32, 22), 0xFFFFFFu);
  EXPECT_EQ(px(2, 35), 0xFFFFFFu);
  EXPECT_EQ(px(2, 2), 0u) << "the first line's text";
  Key(118);  // F7 hides them
  host.LastFrame.assign(host.LastFrame.size(), 0x123456);
  Loop();
  EXPECT_EQ(px(100, 30), 0x123456u);
  plat::SetFontRenderer(nullptr);
}

}  // namespace

namespace {

// The game's own parts, as the program wires them, on the scripted host.
class OwnParts : public formkit::FormFixture {
 protected:
  // The data archives the start-up loads: the tuning table at its defaults,
  // zeroed rank, shot, frame and motion tables, and no default team members.
  void WriteGameData() {
    CstDB db = CstDefaults();
    std::vector<uint8_t> tuning(reinterpret_cast<const uint8_t*>(&db),
                                reinterpret_cast<const uint8_t*>(&db) + sizeof db);
    auto write = [](const char* name, const char* tag, uint8_t ver,
                    const std::vector<std::pair<std::string, std::vector<uint8_t>>>& entries) {
      std::vector<std::span<const uint8_t>> src;
      std::vector<std::string> ids;
      for (auto& [id, data] : entries) {
        src.emplace_back(data);
        ids.push_back(id);
      }
      auto bytes = BuildQDAArchive(tag, 0, 0, ver, src, ids, true);
      ASSERT_TRUE(bytes);
      ASSERT_TRUE(plat::WriteFile(plat::ProgramFolder() + name, bytes->data(), bytes->size()));
    };
    write("data/defteam.qx2", "DEFT", 1, {{"none", std::vector<uint8_t>(1)}});
    write("data/DBData.qx2", "DBDT", 0,
          {{"dbini.sai", tuning},
           {"DBRankdata.sai", std::vector<uint8_t>(3204)},
           {"DBRankdata2.sai", std::vector<uint8_t>(3204)},
           {"DBShootdata.sai", std::vector<uint8_t>(2268)},
           {"DBBMPData.sai", std::vector<uint8_t>(8192)},
           {"DBMotionData.sai", std::vector<uint8_t>(36864)}});
    const std::vector<uint8_t> pal(778, 0);
    auto palArc = BuildQDAArchive("PAL", 0, 1, 0, {pal, pal}, {"dbpal0.pal", "dbpal1.pal"}, true);
    ASSERT_TRUE(palArc);
    ASSERT_TRUE(plat::WriteFile(plat::ProgramFolder() + "data/pal.qx2", palArc->data(),
                                palArc->size()));
    write("data/char.qx2", "CHAR", 1, {});
  }
  // The pictures the art build made; false when there are none.
  bool CopyBuiltPictures() {
    namespace fs = std::filesystem;
    const fs::path built = fs::path(QORV_BINARY_DIR) / "game" / "data" / "bmp";
    if (!fs::exists(built / "dbop.png")) return false;
    std::error_code ec;
    fs::create_directories(fs::path(plat::ProgramFolder()) / "data" / "bmp", ec);
    for (const auto& e : fs::directory_iterator(built))
      fs::copy_file(e.path(), fs::path(plat::ProgramFolder()) / "data" / "bmp" / e.path().filename(),
                    fs::copy_options::overwrite_existing, ec);
    return !ec;
  }
  // The decoder library the sound controller loads at start.
  bool CopyDecoderLibrary() {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::copy_file(fs::path(QORV_BINARY_DIR) / "game" / "data" / "wuvorbis.so",
                  fs::path(plat::ProgramFolder()) / "data" / "wuvorbis.so",
                  fs::copy_options::overwrite_existing, ec);
    return !ec;
  }
};

TEST_F(OwnParts, StartUpPresentsFramesAtTheWindowSize) {
  WriteSettings(1);
  WriteGameData();
  if (!CopyBuiltPictures()) GTEST_SKIP() << "no built pictures";
  ASSERT_TRUE(CopyDecoderLibrary());
  // Pictures are found from the current folder, as the game starts in its own.
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(plat::ProgramFolder());
  struct Back {
    std::filesystem::path p;
    ~Back() { std::filesystem::current_path(p); }
  } back{cwd};
  form = std::make_unique<TForm1>(host, TForm1Parts{}, BuildFlags{true, false});
  form->Create();
  EXPECT_FALSE(form->Glb->Halt_f) << form->Glb->ErrMsg;
  ASSERT_NE(DisplayDevice(*form), nullptr);
  EXPECT_EQ(DisplayDevice(*form)->SurfaceLocation, smtDefault);  // the options never ask for system memory
  Loop(3);
  EXPECT_GE(host.Presents, 3u);
  EXPECT_EQ(host.ClientW, 512);
  EXPECT_EQ(host.ClientH, 240);
  EXPECT_EQ(host.LastFrameW, 512);
  EXPECT_EQ(host.LastFrameH, 240);
  EXPECT_EQ(host.Caption(), "Vorlappa!! (Ver.2.0)");
  ASSERT_NE(form->Glb->TW, nullptr);  // one 256 x 256 text texture
  EXPECT_EQ(std::pair(form->Glb->TW->TX_W, form->Glb->TW->TX_H), std::pair(256, 256));
  // The title picture is on screen: the frame is not all black.
  size_t lit = 0;
  for (uint32_t px : host.LastFrame) lit += (px & 0xFFFFFF) != 0;
  EXPECT_GT(lit, host.LastFrame.size() / 4);
  form.reset();
  EXPECT_TRUE(boxes.empty());
}

}  // namespace
