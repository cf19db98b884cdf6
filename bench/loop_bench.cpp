// The cost of one frame-loop call, headless on the fake clock: the loop's own
// work (pause check, one step, the draw calls, the paced wait with its message
// pumps, the caption) with parts that do nothing.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

#include "config/CfgIni.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/ScriptedHost.h"
#include "shell/Main.h"
#include "sound/OggDataLib.h"

namespace {


class QuietDisplay : public FormDisplay {
 public:
  void SetTimer(TProcCounter*) override {}
  void SetUse3D(bool) override {}
  void SetSystemMemorySurfaces(bool) override {}
  void WindowMode(int, int) override {}
  void FullScreenMode2(int, bool, bool) override {}
  void Flip() override {}
  void MouseCursorSwitch() override {}
};

void BM_MainLoopCall(benchmark::State& state) {
  auto dir = std::filesystem::temp_directory_path() / "qorv_loop_bench";
  std::filesystem::create_directories(dir / "data");
  SaveCfgIni((dir / "data" / "dbcfg.sai").string(), CfgIniDefaults());
  plat::SetProgramFolder(dir.string());
  plat::FakeClock clock;
  plat::SetClock(&clock);
  plat::SetMessageBoxSink([](const std::string&) {});
  {
    plat::ScriptedHost host(&clock);
    TForm1Parts parts;
    parts.MakeScene = [](TForm1&) { return std::make_unique<IdleScene>(); };
    parts.MakeDisplay = [](TForm1&) { return std::make_unique<QuietDisplay>(); };
    parts.MakeSound = [](TForm1&) { return std::make_unique<TOggDataCtrl>(); };  // silent
    TForm1 form(host, parts, BuildFlags{true, false});
    form.Create();
    for (auto _ : state) {
      bool done = true;
      form.MainLoop(done);
      benchmark::DoNotOptimize(done);
    }
    state.counters["pumps_per_call"] =
        benchmark::Counter(double(host.Pumps) / double(state.iterations()));
  }
  plat::SetMessageBoxSink(nullptr);
  plat::SetClock(nullptr);
  plat::SetProgramFolder("");
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_MainLoopCall);

}  // namespace
