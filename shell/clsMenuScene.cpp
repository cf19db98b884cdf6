#include "shell/clsMenuScene.h"

#include "match/clsObject.h"
#include "shell/GameRandom.h"
#include "shell/GlbRecord.h"
#include "shell/zimraLib.h"

namespace {
void ClearPlacing(DBGameData& g) {
  for (int s = 0; s < 2; ++s)
    for (int i = 0; i < 7; ++i) {
      g.DBPosofC[s][i] = -1;
      g.DBCharofP[s][i] = -1;
    }
}
}  // namespace

TDBOPScene::TDBOPScene(TAlpha32SAI* tAL, TAllObTx* tAOT, TGlobalSAI* tGlb, SceneType id)
    : TBaseScene(tAL, tAOT, tGlb, id) {
  OnInit();
}

void TDBOPScene::OnInit() {
  TBaseScene::OnInit();
  DBGameData& g = GDt();
  auto dif = g.DBDif;
  auto slow = g.DBSlow_f;
  g = DBGameData{};
  g.DBDif = dif;
  g.DBSlow_f = slow;
  ClearPlacing(g);
}

TDBMSLScene::TDBMSLScene(TAlpha32SAI* tAL, TAllObTx* tAOT, TGlobalSAI* tGlb, SceneType id)
    : TBaseScene(tAL, tAOT, tGlb, id) {
  OnInit();
}

TDBTSLScene::TDBTSLScene(TAlpha32SAI* tAL, TAllObTx* tAOT, TGlobalSAI* tGlb, SceneType id)
    : TBaseScene(tAL, tAOT, tGlb, id) {
  OnInit();
}

void TDBTSLScene::OnInit() {
  TBaseScene::OnInit();
  OK_f[0] = OK_f[1] = false;
  CPUTEAM[0] = Random(23);
  CPUTEAM[1] = Random(23);
  DBGameData& g = GDt();
  g.DBTeamNo[0] = 0;
  g.DBTeamNo[1] = 0;
}

TDBVSScene::TDBVSScene(TAlpha32SAI* tAL, TAllObTx* tAOT, TGlobalSAI* tGlb, SceneType id)
    : TBaseScene(tAL, tAOT, tGlb, id) {
  OnInit();
}

void TDBVSScene::OnInit() {
  TBaseScene::OnInit();
  ClearPlacing(GDt());
}

TDBPSLScene::TDBPSLScene(TAlpha32SAI* tAL, TAllObTx* tAOT, TGlobalSAI* tGlb, SceneType id)
    : TBaseScene(tAL, tAOT, tGlb, id) {
  OnInit();
}

void TDBPSLScene::OnInit() {
  TBaseScene::OnInit();
  Dt[0] = TDBPSLSceneDt{};
  Dt[1] = TDBPSLSceneDt{};
  CPUAuto[0] = Random(100);
  CPUAuto[1] = Random(100);
}
