// Counting doubles for the main form's parts, a fake clock and a scripted
// host, so the form's start-up and frame loop run headless and deterministic.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "config/CfgIni.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/PngWriter.h"
#include "platform/ScriptedHost.h"
#include "shell/Main.h"

namespace formkit {

// Everything the doubles saw, in one place.
struct Counts {
  int moves = 0, draws = 0, renders = 0, flips = 0, jumps = 0;
  int scans = 0, scansRecorded = 0;
  int sePlay13 = 0, halfVol = 0, nomalVol = 0, bgmStop = 0, jglStop = 0, seStop = 0;
  int sceneJumps = 0, resets = 0, cfgBtn = 0, dataLoads = 0, restores = 0;
  int lastJump = 0;
  int slotNo = -1, svSlt = -1, inits = 0, lastInit = -1, cursorSwitches = 0;
  bool loadOk = false;  // what the state load reports
  int scene = stDBOP;
  // The pause button reads as newly pushed on these scan numbers.
  std::vector<int> pushXOnScan;
  bool pushX = false;
  // Extra time a step costs, by hook.
  std::function<void()> onMove, onDraw, onSceneJump;
  // The state save: what it reports (it may throw instead).
  std::function<bool()> onSave;
  int saves = 0;
  std::vector<std::string> events;  // shutdown order
  std::vector<std::string> setup;   // settings the start-up gave the parts, in order

  // One input scan: the pause button reads as pushed on the listed scans.
  void Scan(bool rec) {
    ++scans;
    if (rec) ++scansRecorded;
    pushX = false;
    for (int s : pushXOnScan)
      if (s == scans) pushX = true;
  }
};

class CountingScene : public FormScene {
 public:
  explicit CountingScene(Counts& c) : c_(c) {}
  ~CountingScene() override { c_.events.push_back("SC"); }
  void OnMove() override {
    ++c_.moves;
    c_.Scan(true);  // the real controller scans the input first thing in each step
    if (c_.onMove) c_.onMove();
  }
  void OnDraw() override {
    ++c_.draws;
    if (c_.onDraw) c_.onDraw();
  }
  void OnJump() override { ++c_.jumps; }
  void SceneJump(int t) override {
    if (c_.onSceneJump) c_.onSceneJump();
    ++c_.sceneJumps;
    c_.lastJump = t;
    c_.scene = t;
  }
  void SceneOnReset() override { ++c_.resets; }
  void CfgBtn() override { ++c_.cfgBtn; }
  void DataLoad() override { ++c_.dataLoads; }
  void OnRestore() override { ++c_.restores; }
  bool OnSave() override {
    ++c_.saves;
    return c_.onSave ? c_.onSave() : true;
  }
  bool OnLoad() override { return c_.loadOk; }
  int NowScene() const override { return c_.scene; }
  void SetSvSlt(int s) override { c_.svSlt = s; }

 private:
  Counts& c_;
};

class CountingInput : public FormInput {
 public:
  explicit CountingInput(Counts& c) : c_(c) {}
  ~CountingInput() override { c_.events.push_back("ADI"); }
  void Scan(bool rec) override { c_.Scan(rec); }
  bool CheckBtn(BtnType b) const override { return b == bX && c_.pushX; }
  void Init(bool msc) override {
    ++c_.inits;
    c_.lastInit = msc;
  }
  void SetCPUNUM(int n) override { cpu_ = n; }
  void SetDebugMessages(bool on) override { c_.setup.push_back("input log " + std::to_string(on)); }
  int CPUNUM() const override { return cpu_; }
  void SetSlotNo(int s) override { c_.slotNo = s; }

 private:
  Counts& c_;
  int cpu_ = 2;
};

class CountingRenderer : public FormRenderer {
 public:
  explicit CountingRenderer(Counts& c) : c_(c) {}
  ~CountingRenderer() override { c_.events.push_back("AL"); }
  void Rendering() override { ++c_.renders; }
  std::string AlertMsg() const override { return alert; }
  void SetTexelFix(float f) override { c_.setup.push_back("texel fix " + std::to_string(f)); }
  void SetAspect(float a, bool on) override {
    c_.setup.push_back("aspect " + std::to_string(a) + " " + std::to_string(on));
  }
  void SetAspectCentre(float x, float y) override {
    c_.setup.push_back("centre " + std::to_string(x) + " " + std::to_string(y));
  }
  void SetDebugMessages(bool on) override { c_.setup.push_back("renderer log " + std::to_string(on)); }
  std::string alert;

 private:
  Counts& c_;
};

class CountingDisplay : public FormDisplay {
 public:
  explicit CountingDisplay(Counts& c) : c_(c) {}
  ~CountingDisplay() override { c_.events.push_back("DDDD"); }
  void SetTimer(TProcCounter*) override {}
  void SetUse3D(bool on) override { c_.setup.push_back("3D " + std::to_string(on)); }
  void SetSystemMemorySurfaces(bool on) override {
    c_.setup.push_back("system memory " + std::to_string(on));
  }
  void SetDebugMessages(bool on) override { c_.setup.push_back("display log " + std::to_string(on)); }
  void WindowMode(int w, int h) override {
    c_.setup.push_back("window " + std::to_string(w) + "x" + std::to_string(h));
  }
  void FullScreenMode2(int, bool, bool) override { c_.setup.push_back("full screen"); }
  void Flip() override { ++c_.flips; }
  void MouseCursorSwitch() override { ++c_.cursorSwitches; }

 private:
  Counts& c_;
};

class CountingSound : public FormSound {
 public:
  explicit CountingSound(Counts& c) : c_(c) {}
  ~CountingSound() override { c_.events.push_back("OC"); }
  void SEPlay(int n) override { c_.sePlay13 += n == 13; }
  void HalfVol() override { ++c_.halfVol; }
  void NomalVol() override { ++c_.nomalVol; }
  void BGMStop() override { ++c_.bgmStop; }
  // Only stops of every jingle or sound effect (-1) are counted.
  void JglStop(int n) override { c_.jglStop += n == -1; }
  void SEStop(int n) override { c_.seStop += n == -1; }
  void SetDebugMessages(bool on) override { c_.setup.push_back("sound log " + std::to_string(on)); }

 private:
  Counts& c_;
};

class Tracked : public FormPart {
 public:
  Tracked(Counts& c, std::string name) : c_(c), name_(std::move(name)) {}
  ~Tracked() override { c_.events.push_back(name_); }

 private:
  Counts& c_;
  std::string name_;
};

inline TForm1Parts CountingParts(Counts& c) {
  TForm1Parts p;
  p.MakeDisplay = [&c](TForm1&) { return std::make_unique<CountingDisplay>(c); };
  p.MakeTuningTable = [&c](TForm1&) { return std::make_unique<Tracked>(c, "GC"); };
  p.MakeSound = [&c](TForm1&) { return std::make_unique<CountingSound>(c); };
  p.MakeRenderer = [&c](TForm1&) { return std::make_unique<CountingRenderer>(c); };
  p.MakeTextTexture = [&c](TForm1&) { return std::make_unique<Tracked>(c, "TW"); };
  p.MakeInput = [&c](TForm1&) { return std::make_unique<CountingInput>(c); };
  p.MakeFont = [&c](TForm1&) { return std::make_unique<Tracked>(c, "FD"); };
  p.MakeScene = [&c](TForm1&) { return std::make_unique<CountingScene>(c); };
  return p;
}

// A temporary program folder with data/, the fake clock installed and message
// boxes recorded.
class FormFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    // Unique per run: several checkouts may run the same test at once.
    dir_ = std::filesystem::temp_directory_path() /
           (std::string("qorv_form_") + info->test_suite_name() + "_" + info->name() + "_" +
            std::to_string(std::random_device{}()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_ / "data");
    plat::SetProgramFolder(dir_.string());
    clock.SetMs(100000);
    plat::SetClock(&clock);
    plat::SetMessageBoxSink([this](const std::string& s) { boxes.push_back(s); });
  }
  void TearDown() override {
    form.reset();
    plat::SetMessageBoxSink(nullptr);
    plat::SetClock(nullptr);
    plat::SetProgramFolder("");
    std::filesystem::remove_all(dir_);
  }
  // The settings file, and the font picture every start-up loads (one blank
  // sheet of the font's size).
  void WriteSettings(uint16_t winSize = 0) {
    TCFGINI cfg = CfgIniDefaults();
    cfg.WinSize = winSize;
    ASSERT_TRUE(SaveCfgIni(dir_.string() + "/data/dbcfg.sai", cfg));
    std::filesystem::create_directories(dir_ / "data/bmp");
    plat::PngTrueColour font{336, 224, 3, std::vector<uint8_t>(336 * 224 * 3, 0x40)};
    ASSERT_TRUE(plat::WritePngTrueColour((dir_ / "data/bmp/font.png").string(), font));
  }
  // Builds the form and runs its start-up.
  TForm1& Start(BuildFlags flags = BuildFlags{true, false}) {
    form = std::make_unique<TForm1>(host, CountingParts(c), flags);
    form->Create();
    return *form;
  }
  // One idle call, as the toolkit makes it.
  void Loop(int calls = 1) {
    for (int i = 0; i < calls; ++i) {
      bool done = true;
      form->MainLoop(done);
      EXPECT_FALSE(done);
    }
  }
  uint32_t Now() { return uint32_t(clock.PerfCounter() / 1000); }

  std::filesystem::path dir_;
  plat::FakeClock clock;
  plat::ScriptedHost host{&clock};
  Counts c;
  std::unique_ptr<TForm1> form;
  std::vector<std::string> boxes;
};

}  // namespace formkit
