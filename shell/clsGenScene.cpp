#include "shell/clsGenScene.h"

#include <cstdlib>

#include "graphics/ALAddLib.h"
#include "match/clsObject.h"
#include "match/clsBall.h"
#include "shell/GlbConst.h"
#include "shell/clsAllTx.h"
#include "shell/GameRandom.h"
#include "shell/GlbRecord.h"
#include "shell/zimraLib.h"
#include "sound/OggDataLib.h"

// ---------------------------------------------------------------- TGenScene

TGenScene::TGenScene(TAlpha32SAI* tAL, TAllObTx* tAOT, TGlobalSAI* tGlb, SceneType id)
    : AL(tAL), AOT(tAOT), Glb(tGlb), NowScene(id), NextScene(id) {}

void TGenScene::OnInit() {
  Light = 0;
  dL = 255;
  BLPat = 0;
  NextScene = NowScene;
}

void TGenScene::IncLight(uint8_t& level, int n) {
  if (level == 255) return;
  int v = int(level) + n;
  level = uint8_t(v > 255 ? 255 : (v < 0 ? 0 : v));
}

void TGenScene::DecLight(uint8_t& level, int n) {
  if (level == 0) return;
  int v = int(level) - n;
  level = uint8_t(v < 0 ? 0 : (v > 255 ? 255 : v));
}

void TGenScene::ChangeLight(int n) { dL = std::abs(n); }

void TGenScene::OnMove() {
  if (dL > 0) {
    IncLight(Light, dL);
    if (Light == 255) {
      dL = 255;
      BLPat = Random(1);
    }
  } else if (dL < 0) {
    DecLight(Light, -dL);
    if (Light == 0) {
      dL = 0;
      BLPat = Random(1);
    }
  }
}

// The cover is a black quad over the screen, as dark as the scene is unlit.
// Only a 3D renderer draws it: plain blits show no untextured quads.
static void DrawFadeCover(TAlpha32SAI* AL, uint8_t light) {
  if (!AL || AL->DDraw_f()) return;
  AL->DrawNoTex(512, 240, 256, 120, 255, uint8_t(255 - light), 0x000000, BM_NORMAL, mirNone, false,
                nullptr);
}

void TGenScene::OnDraw() {
  if (Light < 255) DrawFadeCover(AL, Light);
}

TOggDataCtrl* TGenScene::OC() const { return Glb ? Glb->OC : nullptr; }

DBGameData& TGenScene::GDt() const { return AOT->SDt->DBGDt; }

// ---------------------------------------------------------------- TBaseScene

void TBaseScene::OnInit() {
  TGenScene::OnInit();
  Next_f = false;
  Next_c = 1;
  Ani_c = 0;
  BGM_f = false;
}

void TBaseScene::SceneBGM(int n) {
  if (BGM_f) return;
  if (TOggDataCtrl* oc = OC(); oc && !oc->JglPlaying_f(n)) oc->JglLoopPlay(n);
  BGM_f = true;
}

// ---------------------------------------------------------------- TDBScene

TDBScene::TDBScene(TAlpha32SAI* tAL, TAllObTx* tAOT, TGlobalSAI* tGlb, SceneType id)
    : TBaseScene(tAL, tAOT, tGlb, id), HubObj(MakeHubMatchObjects(tAL, tAOT, tGlb)) {
  Obj = HubObj.get();
  GameMode = gmtDB;
}

TDBScene::~TDBScene() = default;

void TDBScene::SetObjects(MatchObjects* obj) { Obj = obj ? obj : HubObj.get(); }

void TDBScene::OnLoad() {
  TBaseScene::OnLoad();
  OnInit();
}

void TDBScene::OnInit() {
  TBaseScene::OnInit();
  Obj->CameraInit();
  Obj->BallOnInit();
  for (int side = 0; side < 2; ++side) {
    for (int pos = 0; pos < 7; ++pos) Obj->PlayerOnInit(side, pos);
    Obj->TeamOnInit(side);
  }
  Obj->KickOff();
  DBGameData& g = GDt();
  // The authoring build always plays on the first court.
  g.DBCrtNo = AuthoringBuild(Glb) ? 0 : Random(3);
  Obj->ClearDam();
  Obj->CameraReset();
  if (TOggDataCtrl* oc = OC()) oc->AllSoundStop();
  Jgl_c = JGLWAIT;
  Winner = -1;
  Win_c = 0;
  g.DBSSt = dbssReady;
}

void TDBScene::OnMove() {
  TGenScene::OnMove();
  Intro();
  StepObjects();
  Obj->FDamMove();
  CheckEnd();
  AfterEnd();
}

// The intro sound on the scene's second step, the court's music on its 220th.
void TDBScene::Intro() {
  if (Jgl_c == JGLWAIT) {
    --Jgl_c;
    return;
  }
  DBGameData& g = GDt();
  if (g.DBSSt != dbssReady) return;
  TOggDataCtrl* oc = OC();
  if (!BGM_f) {
    if (oc) oc->SEPlay(18);
    BGM_f = true;
  }
  if (DownTo0(Jgl_c, 1)) {
    if (oc) oc->JglLoopPlay(g.DBCrtNo + 2);
    g.DBSSt = dbssShiai;
  }
}

// The match objects run in this order in every state of the match.
void TDBScene::StepObjects() {
  Obj->TeamOnMove(0);
  Obj->TeamOnMove(1);
  Obj->BallOnMove();
  Obj->TeamOnReMove(0);
  Obj->TeamOnReMove(1);
  Obj->TeamOnSetOS(0);
  Obj->TeamOnSetOS(1);
  Obj->BallOnSetOS();
  Obj->BallOnJudge();
  Obj->TeamOnReMove(0);
  Obj->TeamOnReMove(1);
}

// Both sides are tested and side 1 last, so when both fall in one step side 0
// is recorded as the winner.
void TDBScene::CheckEnd() {
  if (Winner != -1) return;
  for (int side = 0; side < 2; ++side) {
    if (Obj->AllDead(side)) {
      Winner = 1 - side;
      Win_c = 0;
      if (TOggDataCtrl* oc = OC()) oc->JglStop(-1);
    }
  }
}

// Counted from the step that detected the end: the result sound on the 90th
// step, the next scene on the 450th.
void TDBScene::AfterEnd() {
  if (Winner == -1) return;
  ++Win_c;
  DBGameData& g = GDt();
  TOggDataCtrl* oc = OC();
  if (Win_c == RESULTTIME) {
    bool lostSeries = Winner == 1 && g.DBGM == dbgmKatinuki;
    if (oc) oc->SEPlay(lostSeries ? 20 : 19);
    g.DBSSt = dbssResult;
  } else if (Win_c == NEXTTIME) {
    SceneType next;
    if (g.DBGM == dbgmKatinuki && Winner == 0) {
      next = stDBTSL;
      if (UpToR(g.DBStage, STAGENUM, 1)) {
        g.DBStage = 0;
        next = stDBMSL;
      }
    } else {
      next = g.DBCPUNum == 2 ? stDBTSL : stDBMSL;
    }
    NextScene = next;
    if (oc) oc->AllSoundStop();
  }
}

void TDBScene::OnDraw() {
  TGenScene::OnDraw();
  ChangeLight(16);
  Obj->CameraFollowBall();
  DBGameData& g = GDt();
  Obj->CourtDraw(g.DBCrtNo);
  if (DownTo0(g.DBCsl_c, 1)) g.DBCsl_c = 30;
  Obj->TeamOnDraw(0);
  Obj->TeamOnDraw(1);
  if (g.DBSSt != dbssResult) Obj->BallOnDraw();
  HPDraw();
  Obj->FDamDraw();
}

// Faces, names and hit-point bars of the four infield players of each side.
void TDBScene::HPDraw() {
  const HPPanelLayout lo = Obj->PanelLayout();
  const DBGameData& g = GDt();
  for (int i = 0; i < 2; ++i) {
    int TNo = g.DBTeamNo[i];
    for (int k = 0; k < 4; ++k) {
      int CNo = g.DBCharofP[i][k];
      // A panel whose team or member is not set draws nothing.
      if (TNo < 0 || TNo > 23 || CNo < 0 || CNo > 6) continue;
      int bdx = (k % 2) * lo.DISTX + lo.BASEX + i * lo.DISTX2;
      int bdy = (k / 2) * lo.DISTY + lo.BASEY;
      Obj->PanelFace(TNo, CNo, bdx + lo.FACE_BX, bdy + lo.FACE_BY, i == 1);
      Obj->PanelName(DTNameArrToStr(AOT->ADTCDt[TNo][CNo].Name), bdx + lo.NAME_BX,
                     bdy + lo.NAME_BY);
      int64_t hp = AOT->ADBPSt[i][k].HP;
      if (hp > 0) {
        int64_t w = (hp + 3) / 4 * 4;
        Obj->PanelBar(bdx + lo.HPBAR_BX, bdy + lo.HPBAR_BY, int(w > 4096 ? 4096 : w));
      }
    }
  }
}

// ---------------------------------------------------------------- the hub's match objects

namespace {

// Forwards the match scene's calls to the objects the data hub links.
class HubMatchObjects final : public MatchObjects {
 public:
  HubMatchObjects(TAlpha32SAI* al, TAllObTx* aot, TGlobalSAI* glb) : AL(al), AOT(aot), Glb(glb) {}

  void CameraInit() override {
    if (AOT->CM) AOT->CM->OnInit(432, 0, cmSlow, cpCenter, cpyBottom, 2);
  }
  void BallOnInit() override {
    if (TDBBall* b = Ball()) b->OnInit();
  }
  void PlayerOnInit(int side, int pos) override {
    if (TDBPlayer* p = Player(side, pos)) p->OnInit();
  }
  void TeamOnInit(int side) override {
    if (TDBTeam* t = Team(side)) t->OnInit();
  }
  // The first player of side 0 takes the ball; both teams regroup.
  void KickOff() override {
    if (TDBPlayer* p = Player(0, 0)) p->BallGet(false);
    for (int side = 0; side < 2; ++side)
      if (TDBTeam* t = Team(side)) t->TSt.PosReset_f = 1;
  }
  void ClearDam() override {
    if (Glb && Glb->FD) Glb->FD->ClearDam();
  }
  void CameraReset() override {
    if (AOT->CM) AOT->CM->OnResetCamPos();
  }

  void TeamOnMove(int side) override {
    if (TDBTeam* t = Team(side)) t->OnMove();
  }
  void BallOnMove() override {
    if (TDBBall* b = Ball()) b->OnMove();
  }
  void TeamOnReMove(int side) override {
    if (TDBTeam* t = Team(side)) t->OnReMove();
  }
  void TeamOnSetOS(int side) override {
    if (TDBTeam* t = Team(side)) t->OnSetOS();
  }
  void BallOnSetOS() override {
    if (TDBBall* b = Ball()) b->OnSetOS();
  }
  void BallOnJudge() override {
    if (TDBBall* b = Ball()) b->OnJudge();
  }
  void FDamMove() override {
    if (Glb && Glb->FD) Glb->FD->FDamMove();
  }
  bool AllDead(int side) override {
    TDBTeam* t = Team(side);
    return t && t->AllDead_f();
  }

  // The camera follows the ball, but the court is drawn unshifted.
  void CameraFollowBall() override {
    TDBBall* b = Ball();
    if (AOT->CM && b && b->MyZahyou) AOT->CM->OnMoveDB(b->MyZahyou->X);
    if (AL) AL->SetCam(0, 0);
  }
  void CourtDraw(int crtNo) override {
    if (AOT->BGC) AOT->BGC->OnDrawDB(crtNo);
  }
  void TeamOnDraw(int side) override {
    if (TDBTeam* t = Team(side)) t->OnDraw();
  }
  void BallOnDraw() override {
    if (TDBBall* b = Ball()) b->OnDraw();
  }
  HPPanelLayout PanelLayout() override {
    HPPanelLayout lo;
    if (!GC) return lo;
    const auto& l = GC->DB.DBLAYOUT_1;
    lo.BASEX = l.BASEX;
    lo.BASEY = l.BASEY;
    lo.DISTX = l.DISTX;
    lo.DISTY = l.DISTY;
    lo.DISTX2 = l.DISTX2;
    lo.NAME_BX = l.NAME_BX;
    lo.NAME_BY = l.NAME_BY;
    lo.FACE_BX = l.FACE_BX;
    lo.FACE_BY = l.FACE_BY;
    lo.HPBAR_BX = l.HPBAR_BX;
    lo.HPBAR_BY = l.HPBAR_BY;
    return lo;
  }
  // The member's 16 x 16 face, mirrored for side 1, at the panels' priority.
  void PanelFace(int tno, int cno, int x, int y, bool mirror) override {
    if (!AL || !AOT->AC || tno < 0 || tno >= TALLtxChar::TEAMS || cno < 0 ||
        cno >= TALLtxChar::MEMBERS)
      return;
    AL->DrawTexLT(AOT->AC->txAllFaceDB[tno][cno], 0, 0, 16, 16, float(x), float(y), 1000, 255,
                  0xFFFFFF, BM_NORMAL, mirror ? mirLR : mirNone, false);
  }
  // Names stand at the panel's top priority in the plain white font.
  void PanelName(const std::string& name, int x, int y) override {
    if (Glb && Glb->FD) Glb->FD->FDraw(x, y, 1000, name, 2, 255, 0xFFFFFF, ftNML);
  }
  // The hit-point bar: the item sheet's bar row cut to the given width.
  void PanelBar(int x, int y, int w) override {
    if (!AL || !AOT->AT || w <= 0) return;
    AL->DrawTexLT(AOT->AT->DBItemtx, 0, 96, w, 8, float(x), float(y), 1000, 255, 0xFFFFFF,
                  BM_NORMAL, mirNone, false);
  }
  void FDamDraw() override {
    if (Glb && Glb->FD) Glb->FD->FDamDraw(0, 0);
  }
  void TeamOnSave(int side) override {
    if (TDBTeam* t = Team(side)) t->OnSave();
  }
  void TeamOnLoad(int side) override {
    if (TDBTeam* t = Team(side)) t->OnLoad();
  }
  void PlayerOnSave(int side, int pos) override {
    if (TDBPlayer* p = Player(side, pos)) p->OnSave();
  }
  void PlayerOnLoad(int side, int pos) override {
    if (TDBPlayer* p = Player(side, pos)) p->OnLoad();
  }
  void BallOnSave() override {
    if (TDBBall* b = Ball()) b->OnSave();
  }
  void BallOnLoad() override {
    if (TDBBall* b = Ball()) b->OnLoad();
  }

 private:
  TDBBall* Ball() const { return AOT->AO ? AOT->AO->DBall.get() : nullptr; }
  TDBTeam* Team(int side) const { return AOT->AO ? AOT->AO->DBT[side].get() : nullptr; }
  TDBPlayer* Player(int side, int pos) const {
    return AOT->AO ? AOT->AO->DB6[side][pos].get() : nullptr;
  }

  TAlpha32SAI* AL;
  TAllObTx* AOT;
  TGlobalSAI* Glb;
};

}  // namespace

std::unique_ptr<MatchObjects> MakeHubMatchObjects(TAlpha32SAI* AL, TAllObTx* AOT, TGlobalSAI* Glb) {
  return std::make_unique<HubMatchObjects>(AL, AOT, Glb);
}
