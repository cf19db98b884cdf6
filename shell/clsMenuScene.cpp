#include "shell/clsMenuScene.h"

#include <string>
#include <string_view>

#include "graphics/ALAddLib.h"
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

// ---------------------------------------------------------------- shared by the later menus

namespace {

constexpr int PANELDX = 152;  // side 1's panel stands this far right of side 0's

bool ValidTeam(int t) { return t >= 0 && t < DBTEAMS; }
bool ValidMember(int m) { return m >= 0 && m < DBMEMBERS; }

TDISAI* Slot(TGlobalSAI* glb, int i) {
  TADISAI* adi = glb ? glb->ADI : nullptr;
  return adi && i >= 0 && i < TADISAI::SLOTS ? adi->DI[i].get() : nullptr;
}

// The ratings in the order their rows stand on the panels.
using Rating = uint8_t DCDDBallDt::*;
constexpr Rating JPORDER[8] = {&DCDDBallDt::dBP,  &DCDDBallDt::dShT, &DCDDBallDt::dCrv,
                               &DCDDBallDt::dSpd, &DCDDBallDt::dCaT, &DCDDBallDt::dTaf,
                               &DCDDBallDt::dGut, &DCDDBallDt::dHP};
constexpr Rating ENORDER[8] = {&DCDDBallDt::dBP,  &DCDDBallDt::dTaf, &DCDDBallDt::dCaT,
                               &DCDDBallDt::dSpd, &DCDDBallDt::dCrv, &DCDDBallDt::dShT,
                               &DCDDBallDt::dGut, &DCDDBallDt::dHP};

// The pieces the later menus draw over their pictures, all by their top-left
// corner. Anything whose texture set is missing (tests without pictures) is
// left out.
struct MenuPen {
  TAlpha32SAI* AL;
  TAllObTx* AOT;
  TGlobalSAI* Glb;

  TAllTx* AT() const { return AOT ? AOT->AT : nullptr; }
  TALLtxChar* AC() const { return AOT ? AOT->AC : nullptr; }

  void Item(int sx, int sy, int w, int h, int x, int y, int pri = 13) const {
    if (AL && AT())
      AL->DrawTexLT(AT()->DBItemtx, sx, sy, w, h, float(x), float(y), pri, 255, WHITE, BM_NORMAL,
                    mirNone, false);
  }
  // An 8 x 8 digit of the item sheet.
  void Digit(int d, int x, int y) const { Item(8 * (d % 10), 104, 8, 8, x, y); }
  // A rating: the tens digit only when it has one, the ones digit at x + 8.
  void Value(int v, int x, int y) const {
    if (v > 9) Digit(v / 10, x, y);
    Digit(v % 10, x + 8, y);
  }
  // A position label, 8 x 16: the position's number on the item sheet.
  void PosLabel(int pos, int x, int y, int pri = 13) const { Item(8 * pos, 112, 8, 16, x, y, pri); }
  void Face(int team, int member, int x, int y, bool mirror) const {
    if (!AL || !AC() || !ValidTeam(team) || !ValidMember(member)) return;
    AL->DrawTexLT(AC()->txAllFaceDB[team][member], 0, 0, 16, 16, float(x), float(y), 13, 255,
                  WHITE, BM_NORMAL, mirror ? mirLR : mirNone, false);
  }
  void TeamPicture(int team, int x, int y, bool mirror) const {
    if (!AL || !AC() || !ValidTeam(team)) return;
    AL->DrawTexLT(AC()->txAllBodyDB[team], 0, 0, 32, 32, float(x), float(y), 13, 255, WHITE,
                  BM_NORMAL, mirror ? mirLR : mirNone, false);
  }
  // Shift-JIS text in the plain white font.
  void Text(std::string_view sjis, int x, int y) const {
    if (Glb && Glb->FD) Glb->FD->FDraw(x, y, 13, sjis, 2, 255, WHITE, ftNML);
  }
  void Name(int team, int member, int x, int y) const {
    if (AOT && ValidTeam(team) && ValidMember(member))
      Text(DTNameArrToStr(AOT->ADTCDt[team][member].Name), x, y);
  }

  // The name of the special shot a member's shot byte names: row v - 2 of
  // the shot table for v of 2 or more, "なし" (none) for 0, 1 and anything
  // past the table.
  std::string ShotName(int v) const {
    if (AOT && v >= 2 && v - 2 < DBSHOOT_COUNT) {
      const char* n = AOT->ADBShootDt[v - 2].Name;
      size_t len = 0;
      while (len < sizeof(AOT->ADBShootDt[0].Name) && n[len] != 0) ++len;
      return std::string(n, len);
    }
    return "\x82\xC8\x82\xB5";  // なし
  }

  // The team panel of team select and versus for side s: team number,
  // average ratings, the members with faces and names, the captain over the
  // team picture.
  void TeamPanel(int s, int team, const Rating* order) const {
    if (!AOT || !ValidTeam(team)) return;
    const int o = PANELDX * s;
    const bool mirror = s == 1;
    Digit(team / 10, 168 + o, 56);
    Digit(team % 10, 176 + o, 56);
    for (int r = 0; r < 8; ++r) {
      int sum = 0;
      for (int m = 0; m < DBMEMBERS; ++m) sum += AOT->ADBPDt[team][m].*order[r];
      Value(sum / DBMEMBERS, 232 + o, 96 + 16 * r);
    }
    for (int m = 0; m < DBMEMBERS; ++m) {
      Face(team, m, 112 + o, 92 + 16 * m, mirror);
      Name(team, m, 128 + o, 96 + 16 * m);
    }
    Face(team, 0, 192 + o, 42, mirror);
    TeamPicture(team, 184 + o, 44, mirror);
  }
};

void SE(TOggDataCtrl* oc, int no) {
  if (oc) oc->SESet(no);
}

void StopAll(TOggDataCtrl* oc) {
  if (oc) oc->AllSoundStop();
}

}  // namespace

// ---------------------------------------------------------------- team select

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

void TDBTSLScene::OnMove() {
  TGenScene::OnMove();
  SceneBGM(0);
  if (Next_c == 0) {
    NextScene = stDBVS;
    StopAll(OC());
    return;
  }
  if (!Next_f) {
    for (int i = 0; i < 2; ++i) {
      if (!SideStep(i)) break;
      if (WatchCancel()) return;
    }
  }
  if (OK_f[0] && OK_f[1]) Next_f = true;
  if (UpToR(Ani_c, 15, 1)) Ani_c = 0;
  if (Next_f) --Next_c;
}

bool TDBTSLScene::SideStep(int i) {
  DBGameData& g = GDt();
  TOggDataCtrl* oc = OC();
  // Watch mode: the computer counts the team number up, one every 15 steps,
  // until it reaches its pick.
  if (g.DBGM == dbgmKansen && !OK_f[i] && Ani_c == 0) {
    SE(oc, 0);
    if (g.DBTeamNo[i] == CPUTEAM[i]) {
      OK_f[i] = true;
      return false;
    }
    ++g.DBTeamNo[i];
  }
  // Knock-out: the opponents come in team order, one per stage won.
  if (g.DBGM == dbgmKatinuki && !OK_f[1]) {
    g.DBTeamNo[1] = uint8_t(ValidTeam(g.DBStage) ? g.DBStage : 0);
    OK_f[1] = true;
    return false;
  }
  if (g.DBGM == dbgmKansen) return true;
  TDISAI* di = Slot(Glb, i);
  if (!di) return true;
  if (!OK_f[i]) {
    if (di->CheckCrs(cL, 0)) {
      g.DBTeamNo[i] = uint8_t(g.DBTeamNo[i] == 0 ? TEAMS - 1 : g.DBTeamNo[i] - 1);
      SE(oc, 0);
    } else if (di->CheckCrs(cR, 0)) {
      g.DBTeamNo[i] = uint8_t(g.DBTeamNo[i] >= TEAMS - 1 ? 0 : g.DBTeamNo[i] + 1);
      SE(oc, 0);
    }
    if (di->CheckBtn(bA, 0)) {
      OK_f[i] = true;
      SE(oc, 0);
      if (i == 0) return false;
    }
  } else if (di->CheckBtn(bB, 0)) {
    // Player 2 may take back player 1's choice first (in knock-out mode his
    // own side is the computer's).
    if (i == 1 && OK_f[0])
      OK_f[0] = false;
    else
      OK_f[i] = false;
  }
  return true;
}

bool TDBTSLScene::WatchCancel() {
  if (GDt().DBGM != dbgmKansen) return false;
  TDISAI* di = Slot(Glb, 0);
  if (!di || !di->CheckBtn(bB, 0)) return false;
  NextScene = stDBMSL;
  StopAll(OC());
  return true;
}

void TDBTSLScene::OnDraw() {
  TGenScene::OnDraw();
  if (!DrawMenuPicture(AL, AOT, &TAllTx::DBTSLtx)) return;
  const MenuPen pen{AL, AOT, Glb};
  const DBGameData& g = GDt();
  for (int s = 0; s < 2; ++s) pen.TeamPanel(s, g.DBTeamNo[s], JPORDER);
}

// ---------------------------------------------------------------- versus

TDBVSScene::TDBVSScene(TAlpha32SAI* tAL, TAllObTx* tAOT, TGlobalSAI* tGlb, SceneType id)
    : TBaseScene(tAL, tAOT, tGlb, id) {
  OnInit();
}

void TDBVSScene::OnInit() {
  TBaseScene::OnInit();
  ClearPlacing(GDt());
}

void TDBVSScene::OnMove() {
  TGenScene::OnMove();
  if (!BGM_f) {
    if (TOggDataCtrl* oc = OC()) oc->SEPlay(17);
    BGM_f = true;
  }
  if (Next_c == 0) {
    NextScene = stDBPSL;
    StopAll(OC());
    if (AL && AL->Err_f && Glb) Glb->HaltMsgNo(3);
    return;
  }
  if (TDISAI* di = Slot(Glb, 0); di && di->CheckBtn(bA, 0)) Next_f = true;
  if (Next_f) --Next_c;
}

void TDBVSScene::OnDraw() {
  TGenScene::OnDraw();
  // The last step shows the loading picture while the match is prepared.
  if (Next_c == 0 || NextScene == stDB) {
    DrawMenuPicture(AL, AOT, &TAllTx::DBLoadtx);
    return;
  }
  if (!DrawMenuPicture(AL, AOT, &TAllTx::DBVStx)) return;
  const MenuPen pen{AL, AOT, Glb};
  const DBGameData& g = GDt();
  // "かちぬきじあい＿（＿１Ｐ＿ＶＳ＿ＣＯＭ）", "たいせんじあい＿（＿１Ｐ＿ＶＳ＿２Ｐ＿）",
  // "かんせんじあい＿（ＣＯＭ＿ＶＳ＿ＣＯＭ）"
  static constexpr const char* CAPTION[3] = {
      "\x82\xA9\x82\xBF\x82\xCA\x82\xAB\x82\xB6\x82\xA0\x82\xA2\x81\x51\x81\x69\x81\x51\x82\x50"
      "\x82\x6F\x81\x51\x82\x75\x82\x72\x81\x51\x82\x62\x82\x6E\x82\x6C\x81\x6A",
      "\x82\xBD\x82\xA2\x82\xB9\x82\xF1\x82\xB6\x82\xA0\x82\xA2\x81\x51\x81\x69\x81\x51\x82\x50"
      "\x82\x6F\x81\x51\x82\x75\x82\x72\x81\x51\x82\x51\x82\x6F\x81\x51\x81\x6A",
      "\x82\xA9\x82\xF1\x82\xB9\x82\xF1\x82\xB6\x82\xA0\x82\xA2\x81\x51\x81\x69\x82\x62\x82\x6E"
      "\x82\x6C\x81\x51\x82\x75\x82\x72\x81\x51\x82\x62\x82\x6E\x82\x6C\x81\x6A"};
  if (g.DBGM <= dbgmKansen) pen.Text(CAPTION[g.DBGM], 176, 16);
  const bool eng = Glb ? Glb->Flags.Eng_f : Eng_f;
  for (int s = 0; s < 2; ++s) pen.TeamPanel(s, g.DBTeamNo[s], eng ? ENORDER : JPORDER);
}

// ---------------------------------------------------------------- player and position select

TDBPSLScene::TDBPSLScene(TAlpha32SAI* tAL, TAllObTx* tAOT, TGlobalSAI* tGlb, SceneType id)
    : TBaseScene(tAL, tAOT, tGlb, id), HubObj(MakeHubMatchObjects(tAL, tAOT, tGlb)) {
  Obj = HubObj.get();
  OnInit();
}

TDBPSLScene::~TDBPSLScene() = default;

void TDBPSLScene::SetObjects(MatchObjects* obj) { Obj = obj ? obj : HubObj.get(); }

int TDBPSLScene::GetPOSX(int side, int pos) {
  const int x = POSXY[pos][0];
  return side == 1 ? 496 - x : x;
}

void TDBPSLScene::OnInit() {
  TBaseScene::OnInit();
  Dt[0] = TDBPSLSceneDt{};
  Dt[1] = TDBPSLSceneDt{};
  CPUAuto[0] = Random(100);
  CPUAuto[1] = Random(100);
}

void TDBPSLScene::MoveCL(int side) {
  TDBPSLSceneDt& d = Dt[side];
  for (int n = 0; n < DBMEMBERS; ++n) {
    d.CslNo = d.CslNo <= 0 ? DBMEMBERS - 1 : d.CslNo - 1;
    if (d.OK_f || !d.OKChar_f[d.CslNo]) return;
  }
}

void TDBPSLScene::MoveCR(int side) {
  TDBPSLSceneDt& d = Dt[side];
  for (int n = 0; n < DBMEMBERS; ++n) {
    d.CslNo = d.CslNo >= DBMEMBERS - 1 ? 0 : d.CslNo + 1;
    if (d.OK_f || !d.OKChar_f[d.CslNo]) return;
  }
}

void TDBPSLScene::PosSet(int side) {
  TDBPSLSceneDt& d = Dt[side];
  // The cursor never rests on a placed member of an incomplete side; a
  // second placing of one member would leave a position empty.
  if (d.PosNo > 6 || !ValidMember(d.CslNo) || d.OKChar_f[d.CslNo]) return;
  DBGameData& g = GDt();
  g.DBPosofC[side][d.CslNo] = d.PosNo;
  g.DBCharofP[side][d.PosNo] = d.CslNo;
  d.OKChar_f[d.CslNo] = true;
  ++d.PosNo;
  SE(OC(), 0);
  if (d.PosNo > 6)
    d.OK_f = true;
  else
    MoveCR(side);
}

void TDBPSLScene::PosUndo(int side) {
  TDBPSLSceneDt& d = Dt[side];
  if (d.PosNo <= 0) return;
  DBGameData& g = GDt();
  d.OK_f = false;
  --d.PosNo;
  int m = g.DBCharofP[side][d.PosNo];
  if (!ValidMember(m) || g.DBPosofC[side][m] != d.PosNo) {
    m = -1;
    for (int k = 0; k < DBMEMBERS; ++k)
      if (g.DBPosofC[side][k] == d.PosNo) m = k;
  }
  g.DBCharofP[side][d.PosNo] = -1;
  if (m >= 0) {
    d.CslNo = m;
    d.OKChar_f[m] = false;
    g.DBPosofC[side][m] = -1;
  }
  SE(OC(), 0);
}

bool TDBPSLScene::Human(int side) const { return GDt().DBCPUNum + side < 2; }

void TDBPSLScene::OnMove() {
  TGenScene::OnMove();
  SceneBGM(1);
  if (Next_c == 0) {
    NextScene = stDB;
    PrepareMatch();
    return;
  }
  if (UpToR(Ani_c, 30, 1)) Ani_c = 0;
  if (UpToR(CPUAuto_c, 31, 1)) CPUAuto_c = 0;
  if (Dt[0].OK_f && Dt[1].OK_f) {
    TDISAI* p1 = Slot(Glb, 0);
    TDISAI* p2 = Slot(Glb, 1);
    if ((p1 && p1->CheckBtn(bA, 0)) || (p2 && p2->CheckBtn(bA, 0)) || CPUAuto_c == 30)
      Next_f = true;
  }
  if (!Next_f)
    for (int s = 0; s < 2; ++s) {
      if (Human(s))
        HumanStep(s);
      else
        CPUStep(s);
    }
  if (Next_f) --Next_c;
}

void TDBPSLScene::HumanStep(int s) {
  TDISAI* di = Slot(Glb, s);
  if (!di) return;
  TDBPSLSceneDt& d = Dt[s];
  if (!d.OK_f) {
    if (di->CheckCrs(cU, 0)) {
      MoveCL(s);
      SE(OC(), 0);
    } else if (di->CheckCrs(cD, 0)) {
      MoveCR(s);
      SE(OC(), 0);
    }
  }
  if (di->CheckBtn(bA, 0) && d.PosNo <= 6)
    PosSet(s);
  else if (di->CheckBtn(bB, 0) && d.PosNo > 0)
    PosUndo(s);
}

// The computer decides at 15 of its 31-step cycle and places at 30. Its
// pattern CPUAuto picks, position by position, whether to take the member
// under the cursor at once or to look one further.
void TDBPSLScene::CPUStep(int s) {
  TDBPSLSceneDt& d = Dt[s];
  if (d.PosNo > 6) return;
  if (CPUAuto_c == 30) {
    PosSet(s);
    return;
  }
  if (CPUAuto_c != 15) return;
  const int p = CPUAuto[s];
  bool place;
  switch (d.PosNo) {
    case 0: place = p % 7 != 0; break;
    case 1: place = p % 3 == 0; break;
    case 2: place = p % 5 == 0; break;
    case 3: place = p % 2 == 0; break;
    default: place = true; break;
  }
  if (place || AuthoringBuild(Glb)) {
    PosSet(s);
  } else {
    MoveCR(s);
    SE(OC(), 0);
  }
}

// The match's players and teams are set up, and each position gets the
// pictures of the member who plays it.
void TDBPSLScene::PrepareMatch() {
  for (int s = 0; s < 2; ++s) {
    for (int i = 0; i < DBPOSITIONS; ++i) Obj->PlayerOnInit(s, i);
    Obj->TeamOnInit(s);
  }
  if (TALLtxChar* ac = AOT ? AOT->AC : nullptr) ac->ClearCharDBp();
  const DBGameData& g = GDt();
  for (int s = 0; s < 2; ++s)
    for (int i = 0; i < DBPOSITIONS; ++i) {
      const int c = g.DBCharofP[s][i];
      const int t = g.DBTeamNo[s];
      if (ValidTeam(t) && ValidMember(c)) LoadPlayerImage(s, i, t, c);
    }
}

void TDBPSLScene::LoadPlayerImage(int side, int pos, int team, int member) {
  TALLtxChar* ac = AOT ? AOT->AC : nullptr;
  if (!ac) return;
  const DCDLooks& looks = AOT->ADTCDt[team][member].Looks;
  ac->LoadDBBMP(side, pos, looks.DBFaceNo, team, member, looks);
}

void TDBPSLScene::OnDraw() {
  TGenScene::OnDraw();
  if (Next_c == 0 || NextScene == stDB) {
    DrawMenuPicture(AL, AOT, &TAllTx::DBLoadtx);
    return;
  }
  if (!DrawMenuPicture(AL, AOT, &TAllTx::DBPSLtx)) return;
  for (int s = 0; s < 2; ++s) DrawSide(s);
}

void TDBPSLScene::DrawSide(int s) {
  const MenuPen pen{AL, AOT, Glb};
  const DBGameData& g = GDt();
  const TDBPSLSceneDt& d = Dt[s];
  const int o = PANELDX * s;
  const bool mirror = s == 1;
  const int team = g.DBTeamNo[s];
  if (!ValidTeam(team)) return;
  // The cursor blinks: a coloured arrow for a player, a plain one for the computer.
  if (Ani_c < 15 && !d.OK_f)
    pen.Item(Human(s) ? 64 + 8 * s : 80, 96, 8, 8, 104 + o, 96 + 16 * d.CslNo);
  // The court diagram: placed members' faces, and the labels of the positions
  // still to fill, the current one blinking.
  for (int p = 0; p < DBPOSITIONS; ++p) {
    const int c = g.DBCharofP[s][p];
    if (ValidMember(c)) pen.Face(team, c, GetPOSX(s, p), POSXY[p][1], mirror);
    if (p > d.PosNo || (p == d.PosNo && Ani_c < 15))
      pen.PosLabel(p, GetPOSX(s, p) + 4, POSXY[p][1]);
  }
  // The member list: a placed member shows his position instead of his face.
  for (int m = 0; m < DBMEMBERS; ++m) {
    const int pos = g.DBPosofC[s][m];
    if (pos >= 0 && pos < DBPOSITIONS)
      pen.PosLabel(pos, 116 + o, 92 + 16 * m, 12);
    else
      pen.Face(team, m, 112 + o, 92 + 16 * m, mirror);
    pen.Name(team, m, 128 + o, 96 + 16 * m);
  }
  // The member under the cursor: ratings and his two special shots.
  if (!ValidMember(d.CslNo)) return;
  const DCDDBallDt& dt = AOT->ADBPDt[team][d.CslNo];
  for (int r = 0; r < 8; ++r) pen.Value(dt.*JPORDER[r], 232 + o, 96 + 16 * r);
  pen.Text(pen.ShotName(dt.dHS), 128 + o, 224);
  pen.Text(pen.ShotName(dt.dJHS), 200 + o, 224);
}
