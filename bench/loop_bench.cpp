// The game's start-up and frame loop on its built data (a copy of the build's
// game folder), headless: the scripted host keeps the presented frames, the
// clock is the fake one (so the paced wait costs no time here), sound goes to
// the null audio device.
//
// BM_StartUp: from the form's creation to the first title frame presented.
// BM_SoundLoad: the sound controller's start (every effect and jingle decoded
// over the cores, the decoder library bound, the stream players made), with
// the same files decoded one after another in this program as the reference.
// BM_MainLoopCall: one call of the frame loop at the title.
//
// A run that halts, presents nothing or loads no sound fails.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/Files.h"
#include "platform/ScriptedHost.h"
#include "platform/SoundMixer.h"
#include "shell/Main.h"
#include "sound/OggDataLib.h"
#include "sound/OggDdsdLib2.h"
#include "sound/ddsd.h"
#include "tools/matchframes/HeadlessGame.h"

namespace {

namespace fs = std::filesystem;

// A copy of the built game's data (tools/matchframes/HeadlessGame.h) with
// sound going to the null audio device.
class BuiltGame : public GameDataCopy {
 public:
  BuiltGame() : GameDataCopy(fs::path(QORV_BINARY_DIR) / "game") {
    plat::SetAudioDeviceFactory(plat::MakeNullAudioDevice);
  }
  ~BuiltGame() { plat::SetAudioDeviceFactory(nullptr); }
};

// The form started on the built data; empty text when it is ready to run.
std::string Start(TForm1& form) {
  form.Create();
  if (!form.Glb) return "no global object";
  if (form.Glb->Halt_f) return "the game halted at start: " + form.Glb->ErrMsg;
  return "";
}

void BM_StartUp(benchmark::State& state) {
  BuiltGame game;
  if (!game.Ok()) return state.SkipWithError("no built game data");
  for (auto _ : state) {
    plat::ScriptedHost host(&game.Clock);
    TForm1 form(host, TForm1Parts{}, BuildFlags{true, false});
    std::string why = Start(form);
    bool done = true;
    if (why.empty()) form.MainLoop(done);
    if (why.empty() && host.Presents == 0) why = "no title frame was presented";
    if (!why.empty()) {
      state.SkipWithError(why.c_str());
      break;
    }
  }
}
BENCHMARK(BM_StartUp)->Unit(benchmark::kMillisecond)->UseRealTime();

// Every effect and jingle decoded one after another, as the reference.
double OneByOneMs(const BuiltGame& game, TDDSD& ds, int files) {
  const auto t0 = std::chrono::steady_clock::now();
  for (const char* kind : {"se", "bgm"})
    for (int i = 0; i < files; ++i) {
      char name[64];
      std::snprintf(name, sizeof name, "data/wav/%s/%s%03d.ogg", kind, kind, i);
      if (plat::FileExists(game.Path(name))) benchmark::DoNotOptimize(OggToWaveData(&ds, game.Path(name)));
    }
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

// Each iteration times the controller's start, then, while its decoder
// binding is loaded, the same files decoded one after another, so both see
// the same load on the machine.
void BM_SoundLoad(benchmark::State& state) {
  BuiltGame game;
  if (!game.Ok()) return state.SkipWithError("no built game data");
  TDDSD ds;
  ds.ChannelCount = 1000;
  ds.Loaded();
  double ms = 0, ref = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    TOggDataCtrl oc(&ds, 0, false);
    const double t = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    state.SetIterationTime(t / 1000);
    ms += t;
    if (oc.SENum < 0 || oc.JglNum < 0) {
      state.SkipWithError("no sound was loaded");
      return;
    }
    ref += OneByOneMs(game, ds, TOggDataCtrl::SLOTS);
  }
  state.counters["one_by_one_ms"] = ref / double(state.iterations());
  state.counters["ratio_to_one_by_one"] = ms / ref;
}
BENCHMARK(BM_SoundLoad)->Unit(benchmark::kMillisecond)->UseManualTime();

void BM_MainLoopCall(benchmark::State& state) {
  BuiltGame game;
  if (!game.Ok()) return state.SkipWithError("no built game data");
  plat::ScriptedHost host(&game.Clock);
  TForm1 form(host, TForm1Parts{}, BuildFlags{true, false});
  if (std::string why = Start(form); !why.empty()) return state.SkipWithError(why.c_str());
  const uint64_t presents = host.Presents;
  for (auto _ : state) {
    bool done = true;
    form.MainLoop(done);
  }
  if (form.Glb->Halt_f) return state.SkipWithError(("the loop halted: " + form.Glb->ErrMsg).c_str());
  if (host.Presents - presents < uint64_t(state.iterations()))
    return state.SkipWithError("a loop call presented no frame");
  state.counters["frames"] = double(host.Presents - presents);
}
BENCHMARK(BM_MainLoopCall)->Unit(benchmark::kMicrosecond);

}  // namespace
