// A window host for display tests: records what the display asked of the
// window and keeps every presented frame in an OffscreenPresenter.
#pragma once
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "graphics/dddd.h"
#include "platform/Clock.h"
#include "platform/Host.h"
#include "platform/SoftDraw.h"

class DisplayTestHost : public plat::Host {
 public:
  void SetIdle(std::function<void(bool&)> idle) override { idle_ = std::move(idle); }
  bool HasIdle() const override { return bool(idle_); }
  void ProcessMessages() override {}
  void Run() override {}
  void Terminate() override { terminated_ = true; }
  bool Terminated() const override { return terminated_; }
  bool CreateWindow(const std::string&, int w, int h) override {
    clientW = w;
    clientH = h;
    return true;
  }
  void SetCaption(const std::string& c) override { caption_ = c; }
  std::string Caption() const override { return caption_; }
  void SetClientSize(int w, int h) override {
    clientW = w;
    clientH = h;
  }
  void SetFullScreen(bool on) override { fullScreen = on; }
  void ShowCursor(bool on) override {
    cursorShown = on;
    ++cursorCalls;
  }
  void Present(const plat::FrameView& frame) override { screen.Present(frame); }
  void RestoreAndRaise() override { ++raised; }
  bool Active() const override { return active; }
  bool WindowPos(int& x, int& y) const override {
    x = winX;
    y = winY;
    return true;
  }
  void SetWindowPos(int x, int y) override {
    winX = x;
    winY = y;
  }
  void Paint() {
    if (OnPaint) OnPaint();
  }
  void SendWindowEvent(plat::WindowEvent::Kind kind, int x = 0, int y = 0) {
    if (OnWindowEvent) OnWindowEvent({kind, x, y});
  }

  plat::OffscreenPresenter screen;
  int clientW = 0, clientH = 0;
  bool fullScreen = false;
  bool cursorShown = true;
  int cursorCalls = 0;
  int raised = 0;
  bool active = true;
  int winX = 0, winY = 0;

 private:
  std::function<void(bool&)> idle_;
  bool terminated_ = false;
  std::string caption_;
};

// A clock whose counter moves on by StepUs at every read, so a stopwatch
// around some code reads how many reads of the clock it spans.
class SteppingClock final : public plat::Clock {
 public:
  explicit SteppingClock(uint64_t stepUs) : step_(stepUs) { plat::SetClock(this); }
  ~SteppingClock() override { plat::SetClock(nullptr); }
  uint32_t NowMs() override { return uint32_t(us_ / 1000); }
  void SleepMs(uint32_t ms) override { us_ += uint64_t(ms) * 1000; }
  uint64_t PerfCounter() override { return us_ += step_; }
  uint64_t PerfFrequency() override { return 1000000; }

 private:
  uint64_t step_, us_ = 0;
};

// A texel as 0xAARRGGBB (a format without alpha reads 255).
inline uint32_t Texel(TDDDDGenSurface* s, int x, int y) {
  plat::DdSurfaceDesc d;
  if (!s || s->Lock(d) != 0) return 0xDEADBEEF;
  const uint32_t bytes = d.pf.bitCount / 8;
  uint32_t raw = 0;
  std::memcpy(&raw, d.surface + size_t(y) * d.pitch + size_t(x) * bytes, bytes);
  s->UnLock();
  uint8_t a, r, g, b;
  plat::DecodePixel(d.pf, raw, a, r, g, b);
  return uint32_t(a) << 24 | uint32_t(r) << 16 | uint32_t(g) << 8 | b;
}

// Fills a whole surface with one raw pixel value.
inline void FillRectRaw(TDDDDGenSurface& s, uint32_t raw) {
  plat::DdRect r{0, 0, s.Width(), s.Height()}, none{};
  plat::DdBltFx fx;
  fx.fillColor = raw;
  s.Blt(nullptr, r, none, plat::dd::kBltWait | plat::dd::kBltColorFill, fx);
}

// Thrown by the halt handler, so a halt in a test is an exception to catch.
struct DisplayHalt : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Fresh device settings, a throwing halt and a private log folder per test.
class DisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::ResetSoftDrawSetup();
    DDDD_SetHaltHandler([](const std::string& m) { throw DisplayHalt(m); });
    DDDD_HaltOnError = false;
    DDDD_DebugMessage = false;
    debugCount = 0;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    // Several checkouts may run the tests at once: the process id keeps the
    // folders apart.
    logDir = std::filesystem::temp_directory_path() /
             (std::string("qorv_dddd_") + info->test_suite_name() + "_" + info->name() + "_" +
              std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
              std::to_string(reinterpret_cast<uintptr_t>(&logDir)) + "_" +
              std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::filesystem::remove_all(logDir);
    std::filesystem::create_directories(logDir);
    DDDD_SetLogFolder(logDir.string());
  }
  void TearDown() override {
    DDDD_SetHaltHandler(nullptr);
    DDDD_SetLogFolder("");
    DDDD_HaltOnError = DDDD_DebugMessage = false;
    std::filesystem::remove_all(logDir);
  }
  std::string ReadLog() const {
    std::string p = (logDir / "dddebug.txt").string();
    FILE* f = std::fopen(p.c_str(), "rb");
    if (!f) return "";
    std::string s;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
    std::fclose(f);
    return s;
  }
  bool LogExists() const { return std::filesystem::exists(logDir / "dddebug.txt"); }

  // A component on a test host in the game's windowed mode (w x h).
  std::unique_ptr<TDDDD> MakeDisplay(int w = 512, int h = 240) {
    auto d = std::make_unique<TDDDD>(host);
    d->InitialScreenWidth = 1024;
    d->InitialScreenHeight = 480;
    d->InitialBitDepth = 32;
    d->VsyncAtWindowed = false;
    d->Loaded();
    d->SetDebugOption(0);
    d->DoInit([&] { d->WindowMode(uint32_t(w), uint32_t(h)); });
    return d;
  }

  DisplayTestHost host;
  std::filesystem::path logDir;
};
