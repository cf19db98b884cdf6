// Cost of one match step of the match scene with its real objects (two
// computer-driven teams of seven and the ball), and of queuing one match
// frame's player sprites.
#include <benchmark/benchmark.h>

#include <memory>

#include "match/clsObject.h"
#include "shell/GameRandom.h"
#include "shell/GlbConst.h"
#include "shell/GlbRecord.h"
#include "shell/clsGenScene.h"

namespace {

struct Match {
  Match() {
    table.DB = CstDefaults();
    saved = GC;
    GC = &table;
    hub = std::make_unique<TAllObTx>();
    hub->SDt = &sdt;
    hub->GDt = &gdt;
    objs = std::make_unique<TAllObj>(&al, hub.get(), &glb);
    hub->AO = objs.get();
    for (int r = 0; r < DBRANK_ROWS; ++r)
      hub->ADBRankDt[r].Spd = {64, 56, 24, 1, 8, 28, 20, 22, 16, 200, 80, 60, 64, 48, 10, 8, 4, 6, 40};
    for (auto& team : hub->ADBPDt)
      for (auto& m : team) m.dHP = 20;
    sdt.DBGDt.DBCPUNum = 2;
    sdt.DBGDt.DBDif = dbdfNomal;
    for (int s = 0; s < 2; ++s)
      for (int p = 0; p < 7; ++p) sdt.DBGDt.DBCharofP[s][p] = p;
    SetRandSeed(1);
    scene = std::make_unique<TDBScene>(&al, hub.get(), &glb, stDB);
    scene->OnInit();
    for (int i = 0; i < 240; ++i) scene->OnMove();  // past the intro
  }
  ~Match() { GC = saved; }

  TGlbConst table{false};
  TGlbConst* saved = nullptr;
  TGlobalSAI glb{nullptr};
  TAlpha32SAI al{&glb};
  TSceneData sdt;
  TGrpData gdt;
  std::unique_ptr<TAllObTx> hub;
  std::unique_ptr<TAllObj> objs;
  std::unique_ptr<TDBScene> scene;
};

void BM_MatchStep(benchmark::State& state) {
  Match m;
  for (auto _ : state) m.scene->OnMove();
}
BENCHMARK(BM_MatchStep);

void BM_TeamsDraw(benchmark::State& state) {
  Match m;
  for (auto _ : state) {
    m.objs->DBT[0]->OnDraw();
    m.objs->DBT[1]->OnDraw();
    m.al.Rendering();
  }
}
BENCHMARK(BM_TeamsDraw);

}  // namespace
