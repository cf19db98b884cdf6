#include "shell/clsMenuScene.h"

#include "match/clsObject.h"
#include "shell/GameRandom.h"
#include "shell/GlbRecord.h"
#include "shell/zimraLib.h"
#include "input/DILib.h"
#include "shell/clsAllTx.h"
#include "sound/OggDataLib.h"

namespace {

constexpr uint32_t WHITE = 0xFFFFFF;

// A menu picture: black screen, the 512 x 240 picture centred.
TAllTx* DrawMenuPicture(TAlpha32SAI* AL, TAllObTx* AOT, TALTexture TAllTx::*picture) {
  TAllTx* at = AOT ? AOT->AT : nullptr;
  if (!AL) return nullptr;
  AL->Clear(0, false);
  if (at) AL->DrawTex(at->*picture, 0, 0, 512, 240, 256, 120, 12, 255, WHITE, BM_NORMAL, mirNone,
                      false);
  return at;
}

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

void TDBOPScene::OnMove() {
  TGenScene::OnMove();
  SceneBGM(0);
  if (Next_c == 0) {
    NextScene = stDBMSL;
    return;
  }
  if (TADISAI* adi = Glb ? Glb->ADI : nullptr; adi && adi->CheckBtn(bA)) Next_f = true;
  if (Next_f) --Next_c;
}

void TDBOPScene::OnDraw() {
  TGenScene::OnDraw();
  DrawMenuPicture(AL, AOT, &TAllTx::DBOPtx);
}

TDBMSLScene::TDBMSLScene(TAlpha32SAI* tAL, TAllObTx* tAOT, TGlobalSAI* tGlb, SceneType id)
    : TBaseScene(tAL, tAOT, tGlb, id) {
  OnInit();
}

void TDBMSLScene::OnMove() {
  TGenScene::OnMove();
  SceneBGM(0);
  DBGameData& g = GDt();
  if (Next_c == 0) {
    NextScene = stDBTSL;
    // Knock-out: the computer plays side 1; versus: nobody; watch: both sides.
    static constexpr uint8_t CPUNUM[3] = {1, 0, 2};
    g.DBCPUNum = CPUNUM[g.DBGM <= dbgmKansen ? g.DBGM : 0];
    return;
  }
  if (UpToR(Ani_c, 30, 1)) Ani_c = 0;
  if (!Next_f) MoveCursors();
  if (Next_f) --Next_c;
}

void TDBMSLScene::MoveCursors() {
  TADISAI* adi = Glb ? Glb->ADI : nullptr;
  if (!adi || !adi->DI[0]) return;
  TDISAI& di = *adi->DI[0];
  TOggDataCtrl* oc = OC();
  auto se = [oc] {
    if (oc) oc->SESet(0);
  };
  DBGameData& g = GDt();
  if (di.CheckCrs(cL, 0)) {
    if (g.DBDif > dbdfEasy) {
      g.DBDif = DBDifficulty(g.DBDif - 1);
      se();
    }
  } else if (di.CheckCrs(cR, 0)) {
    if (g.DBDif < dbdfHard) {
      g.DBDif = DBDifficulty(g.DBDif + 1);
      se();
    }
  }
  if (di.CheckCrs(cU, 0)) {
    if (g.DBGM > dbgmKatinuki) {
      g.DBGM = DBGameMode(g.DBGM - 1);
      se();
    }
  } else if (di.CheckCrs(cD, 0)) {
    if (g.DBGM < dbgmKansen) {
      g.DBGM = DBGameMode(g.DBGM + 1);
      se();
    }
  }
  if (di.CheckBtn(bA, 0)) {
    Next_f = true;
    se();
  }
}

void TDBMSLScene::OnDraw() {
  TGenScene::OnDraw();
  TAllTx* at = DrawMenuPicture(AL, AOT, &TAllTx::DBMSLtx);
  // The cursors blink: shown for 15 steps of every 30.
  if (!at || Ani_c > 14) return;
  const DBGameData& g = GDt();
  const int dif = g.DBDif <= dbdfHard ? g.DBDif : 0;
  const int mode = g.DBGM <= dbgmKansen ? g.DBGM : 0;
  AL->DrawTexLT(at->DBItemtx, 64, 96, 8, 8, float(176 + DFCX[dif]), 208.0f, 13, 255, WHITE,
                BM_NORMAL, mirNone, false);
  AL->DrawTexLT(at->DBItemtx, 64, 96, 8, 8, 176.0f, float(48 + 16 * mode), 13, 255, WHITE,
                BM_NORMAL, mirNone, false);
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
