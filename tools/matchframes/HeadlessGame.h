// The whole game run headless from a built game folder: a copy of its data/
// with settings of its own (keyboard, the 1024 x 480 window), the main form
// with the game's own parts (silent sound) on a fake clock and a scripted
// host, and scripted keys that walk the menus into watch matches (both sides
// computer-driven) and on from one match to the next. Every run is the same,
// frame for frame. Used by the frame-hash tool and the benchmarks.
#pragma once
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "config/CfgIni.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/InputDevices.h"
#include "platform/MessageBox.h"
#include "platform/ScriptedHost.h"
#include "shell/GlbRecord.h"
#include "shell/Main.h"
#include "shell/clsSceneCtrl.h"
#include "sound/OggDataLib.h"

// A copy of a built game folder's data in a temporary folder, with settings
// of its own (the playable keyboard keys, the 1024 x 480 window), made the
// program folder and the current folder, on a fake clock, with message boxes
// kept as text; everything is put back and the copy removed afterwards.
class GameDataCopy {
 public:
  explicit GameDataCopy(const std::filesystem::path& gameFolder) {
    namespace fs = std::filesystem;
    dir_ = fs::temp_directory_path() / ("qorv_headless_" + std::to_string(std::random_device{}()));
    std::error_code ec;
    fs::create_directories(dir_, ec);
    fs::copy(fs::absolute(gameFolder) / "data", dir_ / "data", fs::copy_options::recursive, ec);
    if (ec || !fs::exists(dir_ / "data" / "DBData.qx2")) return;
    TCFGINI cfg = CfgIniDefaults();
    for (int i = 0; i < 8; ++i) cfg.KBBtn[i] = kCfgPlayableKeys[i];
    cfg.WinSize = 0;
    if (!SaveCfgIni((dir_ / "data" / "dbcfg.sai").string(), cfg)) return;
    ok_ = true;
    plat::SetProgramFolder(dir_.string() + "/");
    cwd_ = fs::current_path();
    fs::current_path(dir_, ec);
    plat::SetClock(&Clock);
    plat::SetMessageBoxSink([this](const std::string& m) { Message = m; });
  }
  ~GameDataCopy() {
    if (ok_) {
      plat::SetMessageBoxSink(nullptr);
      plat::SetClock(nullptr);
      plat::SetProgramFolder("");
    }
    std::error_code ec;
    if (!cwd_.empty()) std::filesystem::current_path(cwd_, ec);
    std::filesystem::remove_all(dir_, ec);
  }
  GameDataCopy(const GameDataCopy&) = delete;
  GameDataCopy& operator=(const GameDataCopy&) = delete;

  // False when the data could not be copied or the settings not written.
  bool Ok() const { return ok_; }
  std::string Path(const std::string& rel) const { return (dir_ / rel).string(); }

  plat::FakeClock Clock;
  std::string Message;  // the last message box

 private:
  std::filesystem::path dir_, cwd_;
  bool ok_ = false;
};

class HeadlessGame {
 public:
  explicit HeadlessGame(const std::string& gameFolder) : data_(gameFolder) {
    if (!data_.Ok()) return;
    plat::SetInputDevices(&input_);
    host_ = std::make_unique<plat::ScriptedHost>(&data_.Clock);
    TForm1Parts parts;
    parts.MakeSound = [](TForm1& f) {
      auto oc = std::make_unique<TOggDataCtrl>();  // silent: sound changes no picture
      if (f.Glb) f.Glb->OC = oc.get();
      return std::unique_ptr<FormSound>(std::move(oc));
    };
    form_ = std::make_unique<TForm1>(*host_, parts, BuildFlags{true, false});
    form_->Create();
  }
  ~HeadlessGame() {
    form_.reset();
    host_.reset();
    plat::SetInputDevices(nullptr);
  }
  HeadlessGame(const HeadlessGame&) = delete;
  HeadlessGame& operator=(const HeadlessGame&) = delete;

  // False when the data could not be copied or the game halted.
  bool Ok() const { return form_ && form_->Glb && !form_->Glb->Halt_f && !host_->Terminated(); }
  std::string Error() const {
    if (!form_) return "cannot copy the game's data";
    return form_->Glb ? form_->Glb->ErrMsg : "no global status";
  }
  // One frame-loop call, with this frame's keys held.
  void Frame() {
    Keys(Scene());
    bool done = true;
    form_->MainLoop(done);
  }
  // Frame-loop calls until the match is on; false when it never came.
  bool ToMatch(int maxFrames = 5000) {
    for (int i = 0; i < maxFrames && Ok() && Scene() != stDB; ++i) Frame();
    return Ok() && Scene() == stDB;
  }
  int Scene() const { return form_ && form_->SC ? form_->SC->NowScene() : -1; }
  TForm1& Form() { return *form_; }
  TSceneCtrl& Scenes() { return dynamic_cast<TSceneCtrl&>(*form_->SC); }
  plat::ScriptedHost& Host() { return *host_; }

 private:
  // The A button now and then outside the match, and down twice on the mode
  // select first, which chooses watch mode.
  void Keys(int scene) {
    if (scene != scene_) {
      scene_ = scene;
      inScene_ = 0;
    }
    const int t = inScene_++;
    input_.ReleaseAll();
    if (scene == stDB) return;
    const bool pulse = t % 20 == 19;
    input_.SetKey(scene == stDBMSL && t < 60 ? kDown : kA, pulse);
  }

  static constexpr uint8_t kDown = 0xD0, kA = 0x2C;  // scan codes: down, Z
  GameDataCopy data_;
  plat::ScriptedInputDevices input_;
  std::unique_ptr<plat::ScriptedHost> host_;
  std::unique_ptr<TForm1> form_;
  int scene_ = -1, inScene_ = 0;
};
