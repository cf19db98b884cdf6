// Cost of the match on the built game data, in the whole game run headless
// (tools/matchframes/HeadlessGame.h, keys walking the menus into watch
// matches): one logic step of matches played to their end, one after the
// other; the two teams' sprites queued and drawn; and one whole match frame
// drawn and presented at 1024 x 480.
#include <benchmark/benchmark.h>

#include <string>

#include "graphics/AlphaLib32.h"
#include "match/clsObject.h"
#include "shell/GlbRecord.h"
#include "tools/matchframes/HeadlessGame.h"

namespace {

// Steps a match never needs; more means it does not end.
constexpr int64_t kMatchStepsMax = 100000;

// Brings the game into a match; tells the benchmark when it cannot.
bool IntoMatch(benchmark::State& state, HeadlessGame& g) {
  if (g.ToMatch()) return true;
  state.SkipWithError(("the game reached no match: " + g.Error()).c_str());
  return false;
}

// One logic step of the match, and the scene change a finished match asks for.
void Step(TSceneCtrl& sc) {
  sc.OnMove();
  sc.OnJump();
}

void BM_MatchStep(benchmark::State& state) {
  HeadlessGame g(std::string(QORV_BINARY_DIR) + "/game");
  if (!IntoMatch(state, g)) return;
  TSceneCtrl& sc = g.Scenes();
  int64_t matches = 0, steps = 0, inMatch = 0;
  for (auto _ : state) {
    Step(sc);
    ++steps;
    if (sc.NowScene() == stDB) {
      if (++inMatch < kMatchStepsMax) continue;
      state.SkipWithError("the match does not end");
      break;
    }
    ++matches;  // over: on to the next one
    inMatch = 0;
    state.PauseTiming();
    const bool next = IntoMatch(state, g);
    state.ResumeTiming();
    if (!next) break;
  }
  state.counters["matches"] = double(matches);
  if (matches > 0) state.counters["steps_per_match"] = double(steps) / double(matches);
}
BENCHMARK(BM_MatchStep)->MinTime(2.0)->Unit(benchmark::kMicrosecond);

// Times draw() once per match step; the steps between are not timed.
template <typename Draw>
void TimeDraws(benchmark::State& state, Draw draw) {
  HeadlessGame g(std::string(QORV_BINARY_DIR) + "/game");
  if (!IntoMatch(state, g)) return;
  TSceneCtrl& sc = g.Scenes();
  int64_t sprites = 0;
  for (auto _ : state) {
    sprites += draw(g, sc);
    state.PauseTiming();
    Step(sc);
    const bool on = sc.NowScene() == stDB || IntoMatch(state, g);
    state.ResumeTiming();
    if (!on) break;
  }
  if (sprites == 0) state.SkipWithError("nothing was drawn");
  state.counters["sprites"] = benchmark::Counter(double(sprites), benchmark::Counter::kAvgIterations);
}

void BM_TeamsDraw(benchmark::State& state) {
  TimeDraws(state, [](HeadlessGame&, TSceneCtrl& sc) {
    sc.AO->DBT[0]->OnDraw();
    sc.AO->DBT[1]->OnDraw();
    const int64_t queued = sc.AL->DrawObjectCount();
    sc.AL->Rendering();
    return queued;
  });
}
BENCHMARK(BM_TeamsDraw)->Unit(benchmark::kMicrosecond);

// The frame as the frame loop draws it: the scene's draw, the renderer and
// the present.
void BM_MatchFrame(benchmark::State& state) {
  TimeDraws(state, [](HeadlessGame& g, TSceneCtrl& sc) {
    sc.OnDraw();
    const int64_t queued = sc.AL->DrawObjectCount();
    sc.AL->Rendering();
    g.Form().DDDD1->Flip();
    return queued;
  });
}
BENCHMARK(BM_MatchFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
