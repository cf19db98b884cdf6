// Shared pieces of the configuration program's tests: a temporary program
// folder, captured message boxes, a fake clock, scripted input devices and a
// scripted application object.
#pragma once
#include <gtest/gtest.h>

#include <bitset>
#include <deque>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "config/Unit1.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/Toolkit.h"

namespace cfgtest {

namespace fs = std::filesystem;

// Keys and pad buttons held down, as a scan of each device would find them.
class ScriptedDevices final : public tumbotcfg::CaptureDevices {
 public:
  int pads = 0;
  std::set<int> keys;
  std::set<int> buttons[2];
  std::vector<int> scans;  // targets scanned, in order

  int JoyStickCount() override { return pads; }
  bool Scan(int target) override {
    scans.push_back(target);
    kb_.reset();
    btn_.reset();
    if (target == 0) {
      for (int k : keys) kb_.set(size_t(k));
      return true;
    }
    int pad = target - 2;
    if (pad < 0 || pad >= pads || pad >= 2) return false;
    for (int b : buttons[pad]) btn_.set(size_t(b));
    return true;
  }
  bool KBBuf(int code) override { return code >= 0 && code < 256 && kb_[size_t(code)]; }
  bool getButtons(int idx) override { return idx >= 0 && idx < 32 && btn_[size_t(idx)]; }

 private:
  std::bitset<256> kb_;
  std::bitset<32> btn_;
};

// Answers OK/Cancel questions from a script (OK when it runs out) and
// records what was asked; Run shows nothing.
class ScriptedApp final : public plat::TkApplication {
 public:
  std::deque<bool> answers;
  std::vector<std::pair<std::string, std::string>> asked;  // text, caption
  std::string title;
  int runs = 0;

  void SetTitle(const std::string& t) override { title = t; }
  bool AskOkCancel(const std::string& text, const std::string& caption) override {
    asked.emplace_back(text, caption);
    if (answers.empty()) return true;
    bool a = answers.front();
    answers.pop_front();
    return a;
  }
  bool Run(plat::TkForm&) override {
    ++runs;
    return true;
  }
  void Terminate() override { terminated_ = true; }
  bool Terminated() const override { return terminated_; }

 private:
  bool terminated_ = false;
};

// A fresh program folder for each test, message boxes collected, fake time.
class ProgramFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("qorv_cfg_") + info->test_suite_name() + "_" + info->name();
    for (char& c : name)
      if (c == '/') c = '_';  // parameterised tests have slashes in their names
    dir_ = fs::temp_directory_path() / name;
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    plat::SetProgramFolder(dir_.string() + "/");
    plat::SetMessageBoxSink([this](const std::string& t) { messages.push_back(t); });
    plat::SetClock(&clock);
  }
  void TearDown() override {
    plat::SetClock(nullptr);
    plat::SetMessageBoxSink(nullptr);
    plat::SetProgramFolder("");
    fs::remove_all(dir_);
  }

  fs::path Dir() const { return dir_; }
  fs::path CfgFile() const { return dir_ / "data" / "dbcfg.sai"; }
  void MakeData() { fs::create_directories(dir_ / "data"); }

  std::vector<std::string> messages;
  plat::FakeClock clock;

 private:
  fs::path dir_;
};

}  // namespace cfgtest
