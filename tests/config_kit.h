// Shared pieces of the configuration program's tests: a temporary program
// folder, captured message boxes, a fake clock, scripted input devices and a
// scripted application object.
#pragma once
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "config/Unit1.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/InputDevices.h"
#include "platform/MessageBox.h"
#include "platform/Toolkit.h"

namespace cfgtest {

namespace fs = std::filesystem;

// Keys and pad buttons held down, as the input component reads them through
// the device seam; records which device each read was for (0 keyboard, 2 and
// 3 the first and second pad).
class ScriptedDevices final : public plat::InputDevices {
 public:
  int pads = 0;  // pads attached, "pad 1" and "pad 2"
  std::set<int> keys;
  std::set<int> buttons[2];
  std::vector<int> scans;

  std::vector<plat::PadInfo> Pads() override {
    std::vector<plat::PadInfo> list;
    for (int i = 0; i < pads && i < 2; ++i)
      list.push_back({uint64_t(i + 1), "pad " + std::to_string(i + 1), false});
    return list;
  }
  uint32_t PadListVersion() override { return uint32_t(pads); }
  bool ReadKeyboard(plat::KeyboardReading& k) override {
    scans.push_back(0);
    k.fill(0);
    for (int c : keys) k[size_t(c)] = 0x80;
    return true;
  }
  bool ReadMouse(plat::MouseReading& m) override {
    m = plat::MouseReading{};
    return true;
  }
  bool ReadPad(uint64_t id, plat::PadReading& p) override {
    p = plat::PadReading{};
    if (id < 1 || id > uint64_t(pads) || id > 2) return false;
    scans.push_back(int(id) + 1);
    for (int b : buttons[id - 1]) p.buttons[size_t(b)] = 0x80;
    return true;
  }
};

// Answers OK/Cancel questions from a script (OK when it runs out) and
// records what was asked; Run shows nothing.
class ScriptedApp final : public plat::TkApplication {
 public:
  std::deque<bool> answers;
  std::vector<std::pair<std::string, std::string>> asked;  // text, caption
  std::string title, shownCaption;
  int runs = 0;

  void SetTitle(const std::string& t) override { title = t; }
  bool AskOkCancel(const std::string& text, const std::string& caption) override {
    asked.emplace_back(text, caption);
    if (answers.empty()) return true;
    bool a = answers.front();
    answers.pop_front();
    return a;
  }
  bool runOk = true;  // false: no window could be opened
  bool Run(plat::TkForm& form) override {
    ++runs;
    shownCaption = form.caption;
    return runOk;
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
    // Other checkouts on the machine may run the same test at the same moment.
    name += "_" + std::to_string(std::random_device{}());
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
