// A window that takes frames and does nothing with them, so benchmark numbers
// are the game's own work.
#pragma once
#include <benchmark/benchmark.h>

#include "platform/Host.h"

class NullHost : public plat::Host {
 public:
  void SetIdle(std::function<void(bool&)>) override {}
  bool HasIdle() const override { return false; }
  void ProcessMessages() override {}
  void Run() override {}
  void Terminate() override {}
  bool Terminated() const override { return false; }
  bool CreateWindow(const std::string&, int, int) override { return true; }
  void SetCaption(const std::string&) override {}
  std::string Caption() const override { return ""; }
  void SetClientSize(int, int) override {}
  void SetFullScreen(bool) override {}
  void ShowCursor(bool) override {}
  void Present(const plat::FrameView& f) override { benchmark::DoNotOptimize(f.pixels); }
  void RestoreAndRaise() override {}
};
