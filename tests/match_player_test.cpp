// Teams, player motions and queries, the player frame step, movement and
// court bounds, and the players' sprites, run on a hub with hand-made tables,
// a seeded generator and scripted device slots.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "graphics/dddd.h"
#include "input/DILib.h"
#include "match/clsBall.h"
#include "match/clsObject.h"
#include "shell/GameRandom.h"
#include "shell/GlbConst.h"
#include "shell/GlbRecord.h"
#include "shell/clsAllTx.h"
#include "shell/clsGenScene.h"
#include "sound/OggDataLib.h"

namespace {

// A device slot that holds the directions a test sets.
class HeldSlot : public TDISAI {
 public:
  explicit HeldSlot(int no) : TDISAI(nullptr, no, 8) {}
  std::set<int> held;
  bool CheckCrs2(CrsType c, int pos) override { return pos == 0 && held.count(int(c)) > 0; }
  bool CheckAnyCrs() override { return !held.empty(); }
};

// Sound effects as played ("P") or deferred ("S").
class SoundLog : public TOggDataCtrl {
 public:
  std::vector<std::string> log;
  void SEPlay(int No) override { log.push_back("P" + std::to_string(No)); }
  void SESet(int No) override { log.push_back("S" + std::to_string(No)); }
};

class MatchPlayer : public ::testing::Test {
 protected:
  void SetUp() override {
    SetRandSeed(4242);
    table.DB = CstDefaults();
    savedGC = GC;
    GC = &table;
    glb.OC = &sound;
    hub = std::make_unique<TAllObTx>();
    gdt = std::make_unique<TGrpData>();
    hub->SDt = &sdt;
    hub->GDt = gdt.get();
    objs = std::make_unique<TAllObj>(nullptr, hub.get(), &glb);
    hub->AO = objs.get();
    for (int r = 0; r < DBRANK_ROWS; ++r) {
      DBRankData& row = hub->ADBRankDt[r];
      row.Spd = {64, 56, 24, 1, 8, 28, 20, 22, 16, 200, 80, 60, 64, 48, 10, 8, 4, 6, 40};
      row.CaT.CaFrm_A = 20 + r;
      row.CaT.CaFrm_P = 9;
      row.CaT.NextCaFrm = 7;
      row.Gut.RevFrm = 5;
    }
    for (auto& team : hub->ADBPDt)
      for (auto& m : team) m.dHP = 20;
    for (int s = 0; s < 2; ++s) {
      slot[s] = std::make_unique<HeldSlot>(s);
      for (int p = 0; p < 7; ++p) sdt.DBGDt.DBCharofP[s][p] = p;
    }
    StartMatch();
  }
  void TearDown() override { GC = savedGC; }

  // Players, then teams, as the match scene starts them; the ball is left
  // free at the centre line, held by nobody.
  void StartMatch() {
    objs->DBall->OnInit();
    for (int s = 0; s < 2; ++s) {
      for (int p = 0; p < 7; ++p) {
        P(s, p).OnInit();
        P(s, p).DI = slot[s].get();
      }
      T(s).OnInit();
      T(s).DI = slot[s].get();
    }
    Ball().Motion = dbbFree;
    Ball().HoldTNo = Ball().HoldPNo = -1;
    Ball().ShTgTNo = Ball().ShTgPNo = Ball().PaTgTNo = Ball().PaTgPNo = -1;
    sound.log.clear();
  }
  TDBPlayer& P(int s, int p) { return *objs->DB6[s][p]; }
  TDBTeam& T(int s) { return *objs->DBT[s]; }
  DBBallState& Ball() { return hub->DBBallSt; }
  TZahyou& BallZ() { return *hub->BallZahyou(); }
  DBBaseMotionData& Motion(int mno) { return gdt->DBBsmData[mno]; }

  TGlbConst table{false};
  TGlbConst* savedGC = nullptr;
  SoundLog sound;
  TGlobalSAI glb{nullptr};
  TSceneData sdt;
  std::unique_ptr<TAllObTx> hub;
  std::unique_ptr<TGrpData> gdt;
  std::unique_ptr<TAllObj> objs;
  std::unique_ptr<HeldSlot> slot[2];
};

// ---------------------------------------------------------------- motions

TEST_F(MatchPlayer, RestartsNeedResetAndFixedMotionsCannotBeLeft) {
  TDBPlayer& p = P(0, 1);
  DBPlayerState& st = *p.MySt;
  p.SetMtype(dbmtWk, false);
  st.Motion.M_c = 9;
  p.SetMtype(dbmtWk, false);
  EXPECT_EQ(st.Motion.M_c, 9);
  p.SetMtype(dbmtWk, true);
  EXPECT_EQ(st.Motion.M_c, 0);

  // The pass-wait walk keeps the walk's counter and frame.
  st.Motion.M_c = 4;
  st.Anime.FrameNo = 2;
  p.SetMtype(dbmtPWWk, false);
  EXPECT_EQ(st.Motion.Mtype, dbmtWk);
  EXPECT_EQ(st.Motion.MNo, 38);
  EXPECT_EQ(st.Motion.M_c, 4);
  EXPECT_EQ(st.Anime.FrameNo, 2);
  EXPECT_TRUE(p.HasMF(dbmfPW));

  for (DBMotionType fixed : {dbmtWIN, dbmtLOSE, dbmtENG}) {
    p.OnInit();
    p.SetMtype(fixed, false);
    p.SetMtype(dbmtSt, true);
    EXPECT_EQ(st.Motion.Mtype, fixed);
  }
  EXPECT_TRUE(st.Dead_f);
}

// Starting a motion clears the counters of the old one; a knock-back keeps
// the lying-down count, the pass-wait forms keep everything, and only a
// motion on the ground ends the air counters.
TEST_F(MatchPlayer, StartingAMotionResetsItsCounters) {
  TDBPlayer& p = P(0, 0);
  DBPlayerState& st = *p.MySt;
  auto dirty = [&](uint16_t mf) {
    st.Motion.MF = mf;
    st.Motion.M_c = 9, st.Anime.FrameNo = 2, st.Anime.LoopStNo = 1;
    st.Catch_c = st.ECDdg_c = st.DsAcc_c = st.CatchW_c = st.Down_c = 5;
    p.MyZahyou->Fric_c = 5;
    st.LandSet_f = 1;
    st.Air_c = 5, st.AirCatch_f = 1, st.AirAct_f = 1;
  };
  // M_c, FrameNo, LoopStNo, Catch_c, ECDdg_c, DsAcc_c, Fric_c, CatchW_c,
  // Down_c, LandSet_f, Air_c, AirCatch_f, AirAct_f.
  auto state = [&] {
    return std::vector<int32_t>{st.Motion.M_c, st.Anime.FrameNo, st.Anime.LoopStNo, st.Catch_c,
                                st.ECDdg_c,    st.DsAcc_c,       p.MyZahyou->Fric_c, st.CatchW_c,
                                st.Down_c,     st.LandSet_f,     st.Air_c,          st.AirCatch_f,
                                st.AirAct_f};
  };
  struct Case {
    const char* name;
    uint16_t mf;
    DBMotionType t;
    std::vector<int32_t> after;
  };
  const uint16_t Ar = MFBit(dbmfAr);
  const Case cases[] = {
      {"a walk", 0, dbmtWk, {0, 0, 0, -1, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"a knock-back", 0, dbmtFlF, {0, 0, 0, -1, 0, 0, 0, 0, 5, 0, 5, 1, 1}},
      {"a pass in the air", Ar, dbmtPa, {0, 0, 0, -1, 0, 0, 0, 0, 0, 0, 5, 1, 1}},
      {"the pass-wait walk", 0, dbmtPWWk, {9, 2, 1, 5, 5, 5, 5, 5, 5, 1, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    p.OnInit();
    dirty(c.mf);
    p.SetMtype(c.t, false);
    EXPECT_EQ(state(), c.after) << c.name;
  }
}

// A knocked-back player whose recovery count runs out turns in the air
// against his flight, slowed to 75 percent; flying round the court's end or
// stuck to the ball, he does not count.
TEST_F(MatchPlayer, MidAirRecoveryTurnsAgainstTheFlight) {
  for (auto& f : Motion(5).Frame) f.Ani.Time = 100;
  TDBPlayer& p = P(0, 1);
  TZahyou& z = *p.MyZahyou;
  struct Case {
    int32_t dx, dz;
    MukiType m;
    MukiZType mz;
  };
  // Turned by the slowed speeds: 0 is not to the right; beyond 100 in depth.
  for (const Case& c : {Case{400, -200, mL, mzF}, Case{-400, 200, mR, mzB}, Case{-400, 50, mR, mzN},
                        Case{0, 136, mR, mzB}, Case{4, -134, mL, mzN}, Case{4, -135, mL, mzF},
                        Case{-4, 134, mR, mzN}}) {
    p.SetMtype(dbmtFlF, true);
    p.MySt->AirRev_c = 3;
    z.dX = c.dx, z.dZ = c.dz;
    p.MCCount();
    p.MCCount();
    EXPECT_EQ(p.MySt->Motion.Mtype, dbmtFlF);
    p.MCCount();
    EXPECT_EQ(p.MySt->Motion.Mtype, dbmtJ2);
    EXPECT_TRUE(p.HasMF(dbmfARv));
    EXPECT_EQ(z.dX, c.dx * 3 / 4);
    EXPECT_EQ(z.dZ, c.dz * 3 / 4);
    EXPECT_EQ(z.Muki(), c.m) << c.dx << "," << c.dz;
    EXPECT_EQ(z.MukiZ(), c.mz) << c.dx << "," << c.dz;
  }
  for (int blocker = 0; blocker < 2; ++blocker) {
    p.SetMtype(dbmtFlF, true);
    p.MySt->AirRev_c = 3;
    p.MySt->Round_f = blocker == 0;
    p.MySt->Stick_f = blocker == 1;
    for (int i = 0; i < 4; ++i) p.MCCount();
    EXPECT_EQ(p.MySt->Motion.Mtype, dbmtFlF) << blocker;
    EXPECT_EQ(p.MySt->Anime.Ani_c, 4) << blocker;  // the flight still animates
    EXPECT_EQ(p.MySt->AirRev_c, 3) << blocker;
  }
}

TEST_F(MatchPlayer, CrouchDependsOnHitPointsAndMotionsSoundAsTheyStart) {
  TDBPlayer& p = P(1, 2);
  p.MySt->HP = 9;
  p.SetMtype(dbmtKG, false);
  EXPECT_EQ(p.MySt->Motion.MNo, 6);
  p.MySt->HP = 8;
  p.SetMtype(dbmtKG, true);
  EXPECT_EQ(p.MySt->Motion.MNo, 7);
  // The motions that sound as they start, and their effects.
  std::vector<std::string> sounds;
  for (int t = 0; t < DBMOTIONTYPE_COUNT; ++t) {
    p.MySt->Motion = DBStMotion{};
    sound.log.clear();
    p.SetMtype(DBMotionType(t), true);
    for (const std::string& e : sound.log) sounds.push_back(std::to_string(t) + e);
  }
  auto as = [](DBMotionType t, int se) { return std::to_string(t) + "P" + std::to_string(se); };
  EXPECT_EQ(sounds, (std::vector<std::string>{as(dbmtDn, 8), as(dbmtRoF, 9), as(dbmtRoB, 9),
                                              as(dbmtENG, 11)}));
}

TEST_F(MatchPlayer, LeftCourtViewAndBallDistances) {
  TDBPlayer& out = P(0, 4);
  out.MyZahyou->X = 48000;
  EXPECT_EQ(out.LeftCrtX(), 3200);
  TDBPlayer& in1 = P(1, 0);
  in1.SetLCrtX(10000);
  EXPECT_EQ(in1.MyZahyou->X, 41200);
  EXPECT_EQ(P(0, 0).LeftCrtX(), P(0, 0).MyZahyou->X);

  TDBPlayer& p = P(0, 0);
  BallZ().X = p.MyZahyou->X + 300;
  BallZ().Z = p.MyZahyou->Z + 400;
  Ball().Motion = dbbBound;
  Ball().LandX = p.MyZahyou->X;
  Ball().LandZ = p.MyZahyou->Z + 100;
  p.GetBallDist();
  EXPECT_EQ(p.MySt->BallDist, 500);
  EXPECT_EQ(p.MySt->BallLandDist, 100);
  EXPECT_EQ(p.MySt->BallLandLineDist, 100);
  // A landing point on a line counts from the line's point.
  Ball().LandLine_f = 1;
  Ball().LandXLine = p.MyZahyou->X + 600;
  Ball().LandZLine = p.MyZahyou->Z;
  p.GetBallDist();
  EXPECT_EQ(p.MySt->BallLandLineDist, 600);
  // A pass lands too; a held ball has only its plain distance.
  for (const DBBallMotionType m : {dbbPass, dbbHold}) {
    Ball().Motion = m;
    p.GetBallDist();
    EXPECT_EQ(std::make_pair(p.MySt->BallLandDist, p.MySt->BallLandLineDist),
              m == dbbPass ? std::make_pair(100, 600) : std::make_pair(500, 500));
  }

  p.SetMtype(dbmtFlF, false);  // in damage
  p.GetBallDist();
  EXPECT_EQ(p.MySt->BallDist, -1);
  EXPECT_EQ(p.MySt->BallLandDist, -1);
  EXPECT_EQ(p.MySt->BallLandLineDist, -1);
}

TEST_F(MatchPlayer, LandingPointOfAJumpIsClampedToTheHall) {
  TDBPlayer& p = P(0, 0);
  TZahyou& z = *p.MyZahyou;
  z.X = 10000, z.Y = 0, z.Z = 5000, z.dX = 100, z.dY = 420, z.dZ = -300;
  p.GetLandPos(18);
  // Up for 23 steps, then down from 4900 for trunc(sqrt(2 * 4900 / 18)) = 23.
  EXPECT_EQ(p.MySt->LandX, 10000 + 100 * 46);
  EXPECT_EQ(p.MySt->LandZ, 0);
  z.dX = 9999;
  p.GetLandPos(18);  // kept until the next landing clears it
  EXPECT_EQ(p.MySt->LandX, 14600);
  p.MySt->LandSet_f = 0;
  p.GetLandPos(18);
  EXPECT_EQ(p.MySt->LandX, DBCOURT_W);
}

// ---------------------------------------------------------------- frame step

TEST_F(MatchPlayer, MotionCounterWalksThroughFramesAndLoops) {
  DBBaseMotionData& wk = Motion(1);
  for (int f = 0; f < 4; ++f) wk.Frame[f].Ani.Time = 2;
  wk.Frame[1].Ani.LoopP = 1;
  wk.Frame[1].Ani.LoopC = 2;
  wk.Frame[2].Ani.LoopP = 2;
  wk.Frame[3].Ani.Last_f = 1;
  TDBPlayer& p = P(0, 0);
  p.SetMtype(dbmtWk, false);
  std::vector<int> frames;
  for (int i = 0; i < 12; ++i) {
    p.MCCount();
    frames.push_back(p.MySt->Anime.FrameNo);
  }
  // Frame 0, frames 1 and 2 twice (the loop starts at 1, count 2), frame 3,
  // then the walk ends and the player stands (facing neither way: standing
  // frame 1).
  EXPECT_EQ(frames, (std::vector<int>{0, 1, 1, 2, 2, 1, 1, 2, 2, 3, 3, 1}));
  EXPECT_EQ(p.MySt->Motion.Mtype, dbmtSt);
  // A loop count of 0 loops for ever, and each time round the motion's
  // counter starts again.
  wk.Frame[1].Ani.LoopC = 0;
  p.SetMtype(dbmtWk, false);
  std::vector<int> counts;
  for (int i = 0; i < 12; ++i) {
    p.MCCount();
    counts.push_back(p.MySt->Motion.M_c);
  }
  EXPECT_EQ(p.MySt->Motion.Mtype, dbmtWk);
  EXPECT_EQ(counts, (std::vector<int>{1, 2, 3, 4, 5, 0, 1, 2, 3, 0, 1, 2}));
  // A held frame stays while its count lasts (a count of 0 holds for ever); a
  // motion without a marked last frame ends after its seventh.
  wk = DBBaseMotionData{};
  for (auto& f : wk.Frame) f.Ani.Time = 1;
  wk.Frame[0].Ani.LoopP = 3;
  wk.Frame[0].Ani.LoopC = 2;
  p.SetMtype(dbmtWk, true);
  frames.clear();
  for (int i = 0; i < 8; ++i) {
    p.MCCount();
    frames.push_back(p.MySt->Motion.Mtype == dbmtWk ? p.MySt->Anime.FrameNo : -1);
  }
  EXPECT_EQ(frames, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, -1}));
  wk.Frame[0].Ani.LoopC = 0;
  p.SetMtype(dbmtWk, true);
  for (int i = 0; i < 5; ++i) p.MCCount();
  EXPECT_EQ(p.MySt->Anime.FrameNo, 0);
  EXPECT_EQ(p.MySt->Anime.Loop_c, 0);
}

TEST_F(MatchPlayer, JumpTakeOffFollowsTheHeldDirectionsByPosition) {
  auto jump = [&](int pos, std::set<int> held, uint16_t mf = 0) {
    TDBPlayer& p = P(0, pos);
    T(0).TSt.CtrlNo = pos;
    slot[0]->held = held;
    p.MySt->Motion.MF = mf;
    p.SetMtype(dbmtJCr, false);
    p.MySt->Anime.Ani_c = 0;
    for (int i = 0; i < 10 && p.MySt->Motion.Mtype == dbmtJCr; ++i) p.MCCount();
    EXPECT_EQ(p.MySt->Motion.Mtype, dbmtJ2);
    return std::pair<int, int>(p.MyZahyou->dX, p.MyZahyou->dZ);
  };
  table.DB.DBJP.BY = 500;
  table.DB.DBJP.DBY = 700;
  const DBSpdData& s = *P(0, 0).MyLv.Spd;
  EXPECT_EQ(jump(0, {cU, cR}), std::make_pair(s.WkJPNX, s.WkJPNZ));
  EXPECT_EQ(jump(0, {cD, cL}), std::make_pair(-s.WkJPNX, -s.WkJPNZ));
  EXPECT_EQ(jump(0, {cD}), std::make_pair(0, -s.WkJPZ));
  EXPECT_EQ(jump(0, {cR}), std::make_pair(s.WkJPX, 0));
  EXPECT_EQ(jump(6, {cU, cR}), std::make_pair(0, s.WkJPZ));   // no left or right at 6
  EXPECT_EQ(jump(4, {cU, cL}), std::make_pair(-s.WkJPX, 0));  // no up or down at 4
  EXPECT_EQ(P(0, 4).MyZahyou->dY, table.DB.DBJP.BY);
  EXPECT_EQ(sound.log.back(), "P3");
  // A dash jump keeps the dash's way, whatever is held, and drops its drift in depth.
  P(0, 0).MyZahyou->FDsMuki = mL;
  P(0, 0).MyZahyou->dZ = 300;
  EXPECT_EQ(jump(0, {cU, cR}, MFBit(dbmfDs)), std::make_pair(-s.DSJPX, 0));
  EXPECT_EQ(P(0, 0).MyZahyou->dY, 700);
  P(0, 0).MyZahyou->FDsMuki = mR;
  EXPECT_EQ(jump(0, {cL}, MFBit(dbmfDs)), std::make_pair(s.DSJPX, 0));
  // A computer side reads no pad, but its dash jump keeps the dash's way.
  sdt.DBGDt.DBCPUNum = 2;
  EXPECT_EQ(jump(0, {cU, cR}), std::make_pair(0, 0));
  EXPECT_EQ(jump(0, {cU}, MFBit(dbmfDs)), std::make_pair(s.DSJPX, 0));
  sdt.DBGDt.DBCPUNum = 0;
  // Anyone but the controlled man jumps straight up.
  TDBPlayer& other = P(0, 1);
  other.SetMtype(dbmtJCr, false);
  other.MyZahyou->dX = other.MyZahyou->dZ = 300;
  for (int i = 0; i < 10 && other.MySt->Motion.Mtype == dbmtJCr; ++i) other.MCCount();
  EXPECT_EQ(std::make_pair(other.MyZahyou->dX, other.MyZahyou->dZ), std::make_pair(0, 0));
}

TEST_F(MatchPlayer, AStandingHumanWithoutInputHandsControlOn) {
  table.DB.DBNAIYA.MOVCTRLTIME = 5;
  Ball().Motion = dbbHold;
  Ball().HoldTNo = 1;
  Ball().HoldPNo = 0;
  BallZ().X = P(0, 3).MyZahyou->X;
  BallZ().Z = P(0, 3).MyZahyou->Z;
  T(0).TSt.CtrlNo = 0;
  TDBPlayer& p = P(0, 0);
  for (int i = 0; i < 5; ++i) p.OnMove();
  EXPECT_EQ(T(0).TSt.CtrlNo, 0);
  p.OnMove();
  EXPECT_EQ(T(0).TSt.CtrlNo, 3);  // the nearest to the ball
  // So does one left standing by a loose ball.
  Ball().Motion = dbbFree;
  T(0).TSt.CtrlNo = 0;
  p.MySt->NoInput_c = 0;
  for (int i = 0; i < 6; ++i) p.OnMove();
  EXPECT_EQ(T(0).TSt.CtrlNo, 3);

  // Holding a direction keeps resetting the count.
  T(0).TSt.CtrlNo = 0;
  p.MySt->NoInput_c = 0;
  slot[0]->held = {cU};
  for (int i = 0; i < 20; ++i) {
    p.SetMtype(dbmtSt, true);
    p.OnMove();
  }
  EXPECT_EQ(T(0).TSt.CtrlNo, 0);
}

TEST_F(MatchPlayer, ADamagedCPUPlayerStillMovesAndTheDefeatedLeave) {
  sdt.DBGDt.DBCPUNum = 2;
  T(1).TSt.CtrlNo = 2;
  TDBPlayer& p = P(1, 2);
  p.SetMtype(dbmtFlF, false);
  p.MySt->AirRev_c = 5;
  p.MyZahyou->Y = 5000;
  p.MyZahyou->dX = 300;
  const int32_t x0 = p.MyZahyou->X;
  p.OnMove();
  EXPECT_EQ(p.MyZahyou->X, x0 + 300);
  EXPECT_EQ(p.MySt->AirRev_c, 4);  // his recovery counts on

  TDBPlayer& out = P(1, 3);
  out.SetMtype(dbmtENG, false);
  for (int i = 0; i < 599; ++i) out.OnMove();
  EXPECT_TRUE(out.Live_f);
  EXPECT_GT(out.MyZahyou->Y, 0);  // he rises as he goes
  out.OnMove();
  EXPECT_FALSE(out.Live_f);
}

TEST_F(MatchPlayer, TheLastInfielderOfACPUSideDecidesAsTheControlledMan) {
  sdt.DBGDt.DBCPUNum = 1;  // side 1 is computer-driven
  for (int k = 0; k < 3; ++k) hub->ADBPSt[1][k].Dead_f = 1;
  T(1).TSt.CtrlNo = 0;  // not him
  Ball().Motion = dbbHold;
  Ball().HoldTNo = 1;
  Ball().HoldPNo = 3;
  P(1, 3).OnMove();
  // Only the controlled man's CPU step starts an attack with the ball.
  EXPECT_EQ(P(1, 3).MySt->Auto.AutoType, dbaCPUSht);

  StartMatch();
  sdt.DBGDt.DBCPUNum = 1;
  T(1).TSt.CtrlNo = 0;
  Ball().Motion = dbbHold;
  Ball().HoldTNo = 1;
  Ball().HoldPNo = 3;
  P(1, 3).OnMove();  // three team mates left: the automatic step
  EXPECT_NE(P(1, 3).MySt->Auto.AutoType, dbaCPUSht);
}

TEST_F(MatchPlayer, ResultPoseOnTheGround) {
  sdt.DBGDt.DBSSt = dbssResult;
  for (int k = 0; k < 4; ++k) hub->ADBPSt[1][k].Dead_f = 1;
  P(0, 1).MyZahyou->Y = 3000;
  P(0, 1).OnMove();
  EXPECT_EQ(P(0, 1).MySt->Motion.Mtype, dbmtWIN);
  EXPECT_EQ(P(0, 1).MyZahyou->Y, 0);
  P(1, 5).MyZahyou->Y = 3000;
  P(1, 5).OnMove();
  EXPECT_EQ(P(1, 5).MySt->Motion.Mtype, dbmtLOSE);
  EXPECT_EQ(P(1, 5).MyZahyou->Y, 0);
  // A player who is out strikes no pose.
  P(1, 0).MyZahyou->Y = 3000;
  P(1, 0).OnMove();
  EXPECT_NE(P(1, 0).MySt->Motion.Mtype, dbmtLOSE);
  EXPECT_EQ(P(1, 0).MyZahyou->Y, 3000);
}

// ---------------------------------------------------------------- movement

TEST_F(MatchPlayer, WalkingAndDashingSpeeds) {
  TDBPlayer& p = P(0, 0);
  T(0).TSt.CtrlNo = 0;
  slot[0]->held = {cR};
  p.SetMtype(dbmtWk, false);
  p.Moving();
  EXPECT_EQ(p.MyZahyou->dX, 89);  // FCMAG(28): 28 x 320 %
  slot[0]->held = {cR, cD};
  p.Moving();
  EXPECT_EQ(p.MyZahyou->dX, 70);   // FCMAG(22)
  EXPECT_EQ(p.MyZahyou->dZ, -51);  // FCMAG(16), toward the front

  // A dash gains 3 (FCMAG 9.6) a step up to 10: past it the counter is cut
  // back to 10 div 3 = 3, so letting go drops to 2 x 3 at once.
  for (auto& r : hub->ADBRankDt) r.Spd.DSACC = 3, r.Spd.DSMAXACC = 10;
  p.MyZahyou->SetDashMuki(mR);
  p.SetMtype(dbmtDs, false);
  slot[0]->held = {cR};
  std::vector<int32_t> dx, acc;
  for (int i = 0; i < 5; ++i) {
    p.Moving();
    dx.push_back(p.MyZahyou->dX);
    acc.push_back(p.MySt->DsAcc_c);
  }
  slot[0]->held = {};
  p.Moving();
  dx.push_back(p.MyZahyou->dX);
  acc.push_back(p.MySt->DsAcc_c);
  // FCMAG(64) = 204 plus FCMAG(3, 6, 9, 10, 10, 6).
  EXPECT_EQ(dx, (std::vector<int32_t>{213, 223, 232, 236, 236, 223}));
  EXPECT_EQ(acc, (std::vector<int32_t>{1, 2, 3, 3, 3, 2}));
  // Diagonally toward the back: FCMAG(56) + FCMAG(9) along, FCMAG(24) across.
  slot[0]->held = {cR, cU};
  p.Moving();
  EXPECT_EQ(p.MyZahyou->dX, 179 + 28);
  EXPECT_EQ(p.MyZahyou->dZ, 76);
}

TEST_F(MatchPlayer, WallsGroundAndCeiling) {
  TDBPlayer& p = P(0, 1);
  TZahyou& z = *p.MyZahyou;
  p.SetMtype(dbmtFlF, false);
  // Flying round the court's end: a player who may recover in the air
  // comes in once; one who may not keeps flying round.
  p.MySt->Round_f = 1;
  p.MySt->AirRev_c = 5;
  z.X = 51000, z.Y = 20000, z.dX = 500, z.dY = 0;
  p.Moving();
  EXPECT_EQ(z.X, 1);
  EXPECT_FALSE(p.MySt->Round_f);
  p.MySt->Round_f = 1;
  p.MySt->AirRev_c = -1;
  z.X = 51000, z.dX = 500;
  p.Moving();
  EXPECT_EQ(z.X, 1);
  EXPECT_TRUE(p.MySt->Round_f);

  // A wall turns a flying player round and ends his mid-air recovery.
  p.MySt->Round_f = 0;
  p.MySt->AirRev_c = 5;
  p.MySt->Motion.M_c = 7;
  z.X = 100, z.dX = -500, z.dZ = 300;
  p.Moving();
  EXPECT_EQ(p.MySt->Motion.M_c, 0);  // the flight starts over
  EXPECT_EQ(z.X, 0);
  EXPECT_EQ(p.MySt->Motion.Mtype, dbmtFlF);
  EXPECT_EQ(z.MukiSign(), -1);  // turned round by the wall
  // Reflected and damped; an end wall takes all the depth speed.
  EXPECT_EQ(z.dX, 500 * table.DB.DBDAM.XWALLABSDX / 100);
  EXPECT_EQ(z.dZ, 0);
  EXPECT_EQ(z.dY, table.DB.DBDAM.WALLBOUNDDY);
  EXPECT_EQ(p.MySt->AirRev_c, -1);

  z.Z = 100, z.dZ = -900;
  p.Moving();
  EXPECT_EQ(z.Z, 0);  // no wall at the front

  z.Y = DBCRT_CEILING - 10, z.dY = 2000;
  p.SetMtype(dbmtJ2, true);
  p.Moving();
  EXPECT_EQ(z.Y, DBCRT_CEILING);

  // A roll ends at the back wall.
  p.SetMtype(dbmtRoF, false);
  p.MySt->Roll_c = 5;
  z.Y = 0, z.Z = 11100, z.dZ = 200;
  p.Moving();
  EXPECT_EQ(z.Z, DBCRT_BACKWALL);
  EXPECT_EQ(p.MySt->Roll_c, 0);
}

TEST_F(MatchPlayer, LandingStopsAJumperAndRollsOrLaysDownTheKnockedBack) {
  TDBPlayer& p = P(0, 2);
  TZahyou& z = *p.MyZahyou;
  auto land = [&](int32_t dx, int32_t roll, int32_t hp = 20) {
    p.OnInit();
    p.MySt->HP = hp;
    p.SetMtype(dbmtFlB, false);
    p.MySt->Roll_c = roll;
    p.MySt->AirRev_c = -1;
    z.Y = 50, z.dY = -100, z.dX = dx;
    p.MySt->AirFric_c = 9;
    p.Moving();
    return p.MySt->Motion.Mtype;
  };
  EXPECT_EQ(land(100, 8), dbmtDn);
  EXPECT_EQ(p.MySt->AirFric_c, 0);  // lying down, he keeps no landing slide
  EXPECT_EQ(land(300, 0), dbmtDn);
  EXPECT_EQ(land(-101, 1), dbmtRoF);
  EXPECT_EQ(z.dX, -FCMAG(table.DB.DBDAM.ROLLSPD));
  EXPECT_EQ(z.Y, 0);
  EXPECT_EQ(land(0, 0, 0), dbmtENG);
  EXPECT_EQ(land(0, 0, 1), dbmtDn);
  // A plain jump without an air slide lands in the crouch, stopped dead.
  p.OnInit();
  p.MySt->Motion.MF = MFBit(dbmfAr);
  p.SetMtype(dbmtJ2, false);
  z.Y = 50, z.dY = -100, z.dX = 300, z.dZ = -200;
  p.Moving();
  EXPECT_EQ(p.MySt->Motion.Mtype, dbmtCr);
  EXPECT_EQ(std::make_pair(z.dX, z.dZ), std::make_pair(0, 0));
  EXPECT_EQ(p.MySt->JpCr_c, p.MyLv.Spd->JPCrFrm);
}

// A catch slide pushes the catcher along its direction, 2 slower a step.
TEST_F(MatchPlayer, ACatchSlideSlowsByTwoAStep) {
  TDBPlayer& p = P(0, 1);
  p.SetMtype(dbmtCM, false);
  p.MyZahyou->Fric_c = 10;
  p.MySt->FricX = 320, p.MySt->FricZ = -100;
  const int32_t x0 = p.MyZahyou->X;
  p.Moving();
  p.Moving();
  EXPECT_EQ(p.MyZahyou->dX, 8 * 320 / 100);
  EXPECT_EQ(p.MyZahyou->dZ, -8);
  EXPECT_EQ(p.MyZahyou->X, x0 + 32 + 25);
  EXPECT_EQ(p.MyZahyou->Fric_c, 6);
}

TEST_F(MatchPlayer, OutfieldersKeepToTheirLines) {
  TDBPlayer& front = P(0, 5);
  front.MySt->Auto.AutoType = dbaReturn;
  front.MySt->Auto.AMuki = maN;
  front.MySt->Auto.AMukiZ = mzaB;
  front.SetMtype(dbmtWk, false);
  front.MyZahyou->Z = 100;
  front.Moving();
  EXPECT_EQ(front.MyZahyou->Z, DBCRT_O3LINE);

  TDBPlayer& back = P(0, 4);
  back.MySt->Auto.AutoType = dbaReturn;
  back.MySt->Auto.AMuki = maN;
  back.MySt->Auto.AMukiZ = mzaF;
  back.SetMtype(dbmtWk, false);
  back.MyZahyou->Z = 10010;
  back.Moving();
  EXPECT_EQ(back.MyZahyou->Z, DBCRT_O2LINE);

  // A free outfielder stays on his line and inside its ends.
  back.MySt->Auto = DBStAuto{};
  T(0).TSt.CtrlNo = 4;
  slot[0]->held = {cL};  // toward the centre line, for side 0's outfield
  back.SetMtype(dbmtWk, true);
  back.SetLCrtX(25150);
  back.MyZahyou->Z = 9800;
  back.Moving();
  EXPECT_EQ(back.MyZahyou->Z, DBCRT_O2LINE);
  EXPECT_EQ(back.LeftCrtX(), DBCRT_INFMAX);
}

// ---------------------------------------------------------------- teams

TEST_F(MatchPlayer, EnemyCentreIsTheMeanOfTheEdgeMidpoints) {
  const int32_t xs[4] = {30000, 34000, 40000, 36000}, zs[4] = {3000, 8000, 7000, 2000};
  for (int i = 0; i < 4; ++i) {
    P(1, i).MyZahyou->X = xs[i];
    P(1, i).MyZahyou->Z = zs[i];
  }
  T(0).GetCOG();
  auto lx = [&](int i) { return 51200 - xs[i]; };
  auto mid = [](int a, int b) { return (a + b) / 2; };
  EXPECT_EQ(T(0).TSt.PosMove.EnCX,
            (mid(lx(0), lx(1)) + mid(lx(1), lx(2)) + mid(lx(2), lx(3)) + mid(lx(0), lx(3))) / 4);
  EXPECT_EQ(T(0).TSt.PosMove.EnCZ, (5500 + 7500 + 4500 + 2500) / 4);

  T(0).TSt.PosMove.EnCX = 30000;
  T(0).CheckEnC();
  EXPECT_EQ(T(0).TSt.PosMove.EnCX, 26000);

  for (int i = 0; i < 4; ++i) P(1, i).SetMtype(dbmtDn, false);
  T(0).GetCOG();
  EXPECT_FALSE(T(0).TSt.PosMove.EnC_f);
  EXPECT_EQ(T(0).TSt.PosMove.EnCX, 11600);
}

TEST_F(MatchPlayer, AllDeadCountsOnlyTheInfield) {
  for (int k = 0; k < 3; ++k) hub->ADBPSt[0][k].Dead_f = 1;
  EXPECT_TRUE(T(0).LastOne_f());
  EXPECT_FALSE(T(0).AllDead_f());
  hub->ADBPSt[0][3].Dead_f = 1;
  EXPECT_TRUE(T(0).AllDead_f());
  EXPECT_FALSE(T(0).LastOne_f());
}

TEST_F(MatchPlayer, ControlAndFormationWhileTheEnemyHolds) {
  sdt.DBGDt.DBSSt = dbssShiai;
  Ball().Motion = dbbHold;
  Ball().HoldTNo = 1;
  Ball().HoldPNo = 5;
  for (int k = 0; k < 4; ++k) P(0, k).SetMtype(dbmtFlF, false);  // nobody controllable
  T(0).TSt.PosReset_f = 1;
  SetRandSeed(77);
  std::vector<int32_t> draws;
  for (int i = 0; i < 8; ++i) draws.push_back(Random(10) * 10 - 50);
  SetRandSeed(77);
  T(0).OnMove();
  EXPECT_EQ(T(0).TSt.CtrlNo, -1);
  const DBPosMove& pm = T(0).TSt.PosMove;
  EXPECT_EQ(pm.InfLine, iltO3);
  EXPECT_EQ(pm.InfXZ, 16500);
  for (int i = 0; i < 4; ++i) {
    EXPECT_TRUE(pm.Inf_f[i]);
    EXPECT_EQ(pm.InfPos[0][i], draws[2 * i]);
    EXPECT_EQ(pm.InfPos[1][i], draws[2 * i + 1]);
  }
  EXPECT_FALSE(T(0).TSt.PosReset_f);
  EXPECT_EQ(P(0, 5).MySt->Motion.Mtype, dbmtWk);  // standers start walking
  EXPECT_EQ(P(0, 5).MySt->Motion.M_c, 1);           // and their frame ran
  // An attack from behind the end line keeps the short formation distance.
  Ball().HoldPNo = 6;
  T(0).Positioning();
  EXPECT_EQ(pm.InfLine, iltO4);
  EXPECT_EQ(pm.InfXZ, 5700);
  // The regroup counter runs only while the enemy holds the ball.
  T(0).TSt.PosMove.Inf_c = 5;
  T(0).OnMove();
  EXPECT_EQ(pm.Inf_c, 4);
  Ball().Motion = dbbFree;
  T(0).OnMove();
  EXPECT_EQ(pm.Inf_c, table.DB.DBNAIYA.IPOSITV);
}

// Played through the real device slot: a direction pushed while a pass to
// an infield team mate is still far from arriving hands him the control.
TEST_F(MatchPlayer, APushedDirectionHandsControlToAPassReceiver) {
  sdt.DBGDt.DBSSt = dbssShiai;
  TDISAI dev(nullptr, 0, 8);
  const uint16_t L = 0x4000;
  std::vector<uint8_t> words;
  for (uint16_t w : {L, uint16_t(0), L, uint16_t(0), L}) {
    words.push_back(uint8_t(w));
    words.push_back(uint8_t(w >> 8));
  }
  dev.StartPlayback(words);
  T(0).DI = &dev;
  Ball().Motion = dbbPass;
  Ball().PaTgTNo = 0;
  Ball().PaTgPNo = 2;
  const int32_t late = table.DB.DBPASS.PACAJPTIME;
  struct Step {
    int32_t eta;
    int target, ctrl;
  };
  // Pushed too close to arriving; nothing pushed; pushed for a pass to an
  // outfielder; nothing pushed; pushed in time.
  for (const Step& s : {Step{late, 2, 0}, Step{late + 1, 2, 0}, Step{late + 1, 5, 0},
                        Step{late + 1, 2, 0}, Step{late + 1, 2, 2}}) {
    dev.Scan(true);
    Ball().PaETA_c = s.eta;
    Ball().PaTgPNo = s.target;
    T(0).TSt.CtrlNo = 0;
    T(0).GetCtrl();
    EXPECT_EQ(T(0).TSt.CtrlNo, s.ctrl) << s.eta << " " << s.target;
  }
}

// An outfielder in control holds no formation order: when control moves on,
// the team's pending regroup stays, and only an infielder's own order is
// dropped.
TEST_F(MatchPlayer, APendingRegroupSurvivesAnOutfielderInControl) {
  P(0, 4).BallGet(true);
  ASSERT_EQ(T(0).TSt.CtrlNo, 4);
  DBTeamState& t = T(0).TSt;
  t.PosReset_f = 1;
  for (auto& f : t.PosMove.Inf_f) f = 1;
  T(0).SeekCtrl(true);
  EXPECT_TRUE(t.PosReset_f);
  EXPECT_EQ((std::vector<int>{t.PosMove.Inf_f[0], t.PosMove.Inf_f[1], t.PosMove.Inf_f[2],
                              t.PosMove.Inf_f[3]}),
            (std::vector<int>{1, 1, 1, 1}));
  t.CtrlNo = 2;
  T(0).SeekCtrl(true);
  EXPECT_EQ((std::vector<int>{t.PosMove.Inf_f[0], t.PosMove.Inf_f[1], t.PosMove.Inf_f[2],
                              t.PosMove.Inf_f[3]}),
            (std::vector<int>{1, 1, 0, 1}));
}

TEST_F(MatchPlayer, ShotTargetCounterRunsWhileTargetedAndWraps) {
  TDBPlayer& p = P(1, 0);
  Ball().Motion = dbbShoot;
  Ball().ShTgTNo = 1;
  Ball().ShTgPNo = 0;
  p.MCCount();
  EXPECT_EQ(p.ShTg_c, 0);
  p.ShTg_c = 383;
  p.MCCount();
  EXPECT_EQ(p.ShTg_c, 0);
  p.MCCount();
  EXPECT_EQ(p.ShTg_c, 1);
  Ball().ShTgPNo = 1;
  p.MCCount();
  EXPECT_EQ(p.ShTg_c, -1);
  // A defeated target counts nothing.
  Ball().ShTgPNo = 0;
  p.MCCount();
  EXPECT_EQ(p.ShTg_c, 0);
  p.SetMtype(dbmtENG, false);
  p.MCCount();
  EXPECT_EQ(p.ShTg_c, -1);
}

TEST_F(MatchPlayer, ATeamDoesNothingBeforeTheMatchStarts) {
  sdt.DBGDt.DBSSt = dbssReady;
  T(0).TSt.PosReset_f = 1;
  const uint64_t before = RandomDraws();
  T(0).OnMove();
  EXPECT_EQ(RandomDraws(), before);
  EXPECT_TRUE(T(0).TSt.PosReset_f);
  EXPECT_EQ(P(0, 0).MySt->Motion.M_c, 0);
}

TEST_F(MatchPlayer, SetCtrlFallsBackToTheNearestControllable) {
  BallZ().X = P(0, 2).MyZahyou->X;
  BallZ().Z = P(0, 2).MyZahyou->Z;
  T(0).SetCtrl(1);
  EXPECT_EQ(T(0).TSt.CtrlNo, 1);
  P(0, 3).SetMtype(dbmtDn, false);
  T(0).SetCtrl(3);
  EXPECT_EQ(T(0).TSt.CtrlNo, 2);
  T(0).SetCtrl(-1);
  EXPECT_EQ(T(0).TSt.CtrlNo, 2);
  EXPECT_EQ(T(0).GetInfPaTg(), 2);  // the furthest forward of the free infielders
}

// The cover man of a pass is the free infielder nearest its landing point,
// never its receiver nor the man excluded.
TEST_F(MatchPlayer, TheCoverManIsTheFreeInfielderNearestTheLanding) {
  Ball().Motion = dbbPass;
  Ball().PaTgTNo = 0;
  Ball().PaTgPNo = 2;
  Ball().LandX = 19000;  // where position 3 stands; the receiver is 4123 away,
  Ball().LandZ = 3000;   // position 1 8000 and position 0 8062
  T(0).SeekCover(-1);
  EXPECT_EQ(T(0).TSt.CvrNo, 3);
  T(0).SeekCover(3);
  EXPECT_EQ(T(0).TSt.CvrNo, 1);
  for (int p : {0, 1}) {  // at the same distance the lower position covers
    P(0, p).MyZahyou->X = 18000 + 2000 * p;
    P(0, p).MyZahyou->Z = 3000;
  }
  T(0).SeekCover(3);
  EXPECT_EQ(T(0).TSt.CvrNo, 0);
  P(0, 1).MySt->Kagami_c = 1;  // still breathing: not free
  T(0).SeekCover(3);
  EXPECT_EQ(T(0).TSt.CvrNo, 0);
  P(0, 0).SetMtype(dbmtDn, false);
  T(0).SeekCover(3);
  EXPECT_EQ(T(0).TSt.CvrNo, -1);
}

TEST_F(MatchPlayer, SaveAndLoadCarryTheTeamState) {
  T(1).TSt.CtrlNo = 3;
  T(1).TSt.PosMove.EnCX = 1234;
  T(1).OnSave();
  T(1).TSt = DBTeamState{};
  T(1).OnLoad();
  EXPECT_EQ(T(1).TSt.CtrlNo, 3);
  EXPECT_EQ(hub->SvDt.DBTSt[1].PosMove.EnCX, 1234);
}

// ---------------------------------------------------------------- drawing

class PlayerSprite : public MatchPlayer {
 protected:
  void SetUp() override {
    MatchPlayer::SetUp();
    al = std::make_unique<TAlpha32SAI>(nullptr, nullptr, true, false, nullptr, 1, 256);
    al->SetAspectCentre(0, 0);
    at = std::make_unique<TAllTx>(al.get(), nullptr);
    ac = std::make_unique<TALLtxChar>(al.get(), &scratch, nullptr);
    for (TALTexture* tx : {&at->DBItemtx, &ac->txCharDB[0][0], &ac->txFaceDB[0][0]}) {
      tx->ALSt = alsOK;
      tx->Texture = {{&tile}};
      tx->BmpWidth = 512;
      tx->BmpHeight = 512;
    }
    ac->txCharDBp[0][0] = &ac->txCharDB[0][0];
    hub->AT = at.get();
    hub->AC = ac.get();
    draw = std::make_unique<TGenCharDraw>(al.get(), hub.get(), &glb);
    sdt.DBGDt.DBSSt = dbssShiai;
    sdt.DBGDt.DBCsl_c = 30;
  }
  void TearDown() override {
    al->Rendering();
    for (TALTexture* tx : {&at->DBItemtx, &ac->txCharDB[0][0], &ac->txFaceDB[0][0]})
      *tx = TALTexture{};
    MatchPlayer::TearDown();
  }
  void Fill(int32_t x, int32_t z, MukiType muki, int32_t shTg, bool ctrl, const AnimeData* a) {
    draw->OnDrawSetDB(ctrl, false, false, 0, muki == mR ? 1 : -1, 0, 0, 3, 500, x, 0, z, shTg,
                      muki, a);
  }
  // Each queued entry as "sx,sy wxh @ left,top".
  std::vector<std::string> Queue() const {
    std::vector<std::string> out;
    for (uint32_t i = 0; i < al->DrawObjectCount(); ++i) {
      const TDRAWDATA& e = al->Entry(i);
      out.push_back(std::to_string(int(e.sx[0])) + "," + std::to_string(int(e.sy[0])) + " " +
                    std::to_string(int(e.sx[3] - e.sx[0])) + "x" +
                    std::to_string(int(e.sy[3] - e.sy[0])) + " @" + std::to_string(int(e.dx[0])) +
                    "," + std::to_string(int(e.dy[0])));
    }
    return out;
  }

  TDDDDGenSurface tile{nullptr, nullptr, 512, 512};
  TGlobalSAI scratch{nullptr};
  std::unique_ptr<TAlpha32SAI> al;
  std::unique_ptr<TAllTx> at;
  std::unique_ptr<TALLtxChar> ac;
  std::unique_ptr<TGenCharDraw> draw;
};

TEST_F(PlayerSprite, BodyAnchorFaceAndShadow) {
  AnimeData a{};
  a.BmpNo = 0x25;  // body cell column 2, row 5
  gdt->DBBMPData[0x25].FaceNo = 2;
  gdt->DBBMPData[0x25].FX = 8;
  gdt->DBBMPData[0x25].FY = 3;
  Fill(12000, 5600, mR, -1, false, &a);
  draw->OnSadowDraw(12000, 0, 5600, 0, 500);
  draw->OnDraw();
  // The shadow rises by whole pixels of (shadow height + 1).
  draw->OnSadowDraw(12000, 0, 5600, 98, 500);
  draw->OnSadowDraw(12000, 0, 5600, 99, 500);
  EXPECT_EQ(Queue()[3], "80,104 16x8 @112,180");
  EXPECT_EQ(Queue()[4], "80,104 16x8 @112,179");
  hub->AT = nullptr;  // no texture set yet: no shadow
  draw->OnSadowDraw(12000, 0, 5600, 0, 500);
  EXPECT_EQ(Queue().size(), 5u);
  hub->AT = at.get();
  al->Rendering();
  Fill(12000, 5600, mR, -1, false, &a);
  draw->OnSadowDraw(12000, 0, 5600, 0, 500);
  draw->OnDraw();
  EXPECT_EQ(Queue(), (std::vector<std::string>{
                         "80,104 16x8 @112,180",    // shadow centred at (120, 184)
                         "64,160 32x32 @104,152",   // body
                         "16,0 16x10 @112,155",     // face 2 in front (FZ 0)
                     }));
  for (uint32_t i = 0; i < al->DrawObjectCount(); ++i) EXPECT_EQ(al->Entry(i).Pri, 500u);
  // Drawn once per fill.
  draw->OnDraw();
  EXPECT_EQ(al->DrawObjectCount(), 3u);
  // The last cell of the sheet.
  a.BmpNo = 0xFF;
  Fill(12000, 5600, mR, -1, false, &a);
  draw->OnDraw();
  EXPECT_EQ(Queue().back(), "480,480 32x32 @104,152");
  // Mirrored upside down, the frame's Y offset goes up and the face is
  // placed from the cell's bottom: 148 + 32 - 10 - 3.
  a.BmpNo = 0x25;
  a.RevY_f = 1;
  a.Y = 4;
  Fill(12000, 5600, mR, -1, false, &a);
  const uint32_t from = al->DrawObjectCount();
  draw->OnDraw();
  const std::vector<std::string> q = Queue();
  EXPECT_EQ(std::vector<std::string>(q.begin() + from, q.end()),
            (std::vector<std::string>{"64,160 32x32 @104,148", "16,0 16x10 @112,167"}));
  // Frame and body offsets go the way he faces: 120 - (2 + 3) - 16, and
  // 152 + 4 down. A frame number past 255 wraps onto the sheet.
  al->Rendering();
  a = AnimeData{};
  a.BmpNo = 0x125;
  a.X = 2;
  gdt->DBBMPData[0x125].BX = 3;
  gdt->DBBMPData[0x125].BY = 4;
  Fill(12000, 5600, mL, -1, false, &a);
  draw->OnDraw();
  EXPECT_EQ(Queue(), std::vector<std::string>{"64,160 32x32 @99,156"});
  // Height lifts him: 12 pixels up.
  al->Rendering();
  draw->OnDrawSetDB(false, false, false, 0, -1, 0, 0, 3, 500, 12000, 1200, 5600, -1, mL, &a);
  draw->OnDraw();
  EXPECT_EQ(Queue(), std::vector<std::string>{"64,160 32x32 @99,144"});
  // An invisible player draws nothing.
  al->Rendering();
  Fill(12000, 5600, mL, -1, false, &a);
  draw->DDt.Invs_f = true;
  draw->OnDraw();
  EXPECT_EQ(al->DrawObjectCount(), 0u);
}

TEST_F(PlayerSprite, FaceHalvesAroundTheBodyWhenFacingLeft) {
  AnimeData a{};
  gdt->DBBMPData[0].FaceNo = 1;
  gdt->DBBMPData[0].FZ = 2;
  gdt->DBBMPData[0].SrcSize = 1;
  Fill(12000, 5600, mL, -1, false, &a);
  draw->OnDraw();
  // Tall body 32 pixels higher; mirrored, the face's left half lies right.
  EXPECT_EQ(Queue(), (std::vector<std::string>{
                         "0,0 8x10 @128,120",
                         "0,0 32x64 @104,120",
                         "8,0 8x10 @120,120",
                     }));
  EXPECT_EQ(al->Entry(1).dwDDFX != 0, true);  // mirrored left-right
  EXPECT_EQ(draw->DDt.Muki, mL);
  EXPECT_EQ(draw->DDt.RO_Muki, mL);
  // The fill keeps what it is given for the drawing variants.
  draw->OnDrawSetDB(false, true, true, 9, -1, 0, 0, 3, 500, 12000, 0, 5600, -1, mL, &a);
  const DrawData& d = draw->DDt;
  EXPECT_EQ((std::vector<int32_t>{d.DB_f, d.RevX_f, d.RevY_f, d.M_c, d.FNo, d.ExpBmpNo, d.SkinNo}),
            (std::vector<int32_t>{1, 1, 1, 9, 3, -1, 0}));
}

TEST_F(PlayerSprite, TargetBlinksAndTheCursorFollowsTheBlinkCounter) {
  AnimeData a{};
  Fill(12000, 5600, mR, 30, false, &a);  // 30 mod 24 = 6: hidden
  draw->OnDraw();
  EXPECT_EQ(al->DrawObjectCount(), 0u);
  Fill(12000, 5600, mR, 40, false, &a);  // 16: shown
  draw->OnDraw();
  EXPECT_EQ(al->DrawObjectCount(), 1u);
  // The first 12 of every 24 frames are hidden.
  for (const int32_t fc : {0, 11, 12, 23, 24}) {
    const uint32_t before = al->DrawObjectCount();
    Fill(12000, 5600, mR, fc, false, &a);
    draw->OnDraw();
    EXPECT_EQ(al->DrawObjectCount() - before, fc % 24 < 12 ? 0u : 1u) << fc;
  }
  // Outside play nobody blinks and there is no cursor.
  sdt.DBGDt.DBSSt = dbssResult;
  al->Rendering();
  Fill(12000, 5600, mR, 30, true, &a);
  draw->OnDraw();
  EXPECT_EQ(al->DrawObjectCount(), 1u);
  sdt.DBGDt.DBSSt = dbssShiai;
  al->Rendering();

  sdt.DBGDt.DBCsl_c = 15;
  Fill(12000, 5600, mR, -1, true, &a);
  draw->OnDraw();
  EXPECT_EQ(al->DrawObjectCount(), 1u);  // body only
  sdt.DBGDt.DBCsl_c = 14;
  sdt.DBGDt.DBCPUNum = 1;
  Fill(12000, 5600, mR, -1, true, &a);
  draw->OnDraw();
  EXPECT_EQ(Queue().back(), "88,112 8x8 @116,142");
  sdt.DBGDt.DBCPUNum = 2;
  Fill(12000, 5600, mR, -1, true, &a);
  draw->OnDraw();
  EXPECT_EQ(Queue().back(), "104,112 8x8 @116,142");
  // Side 1's own cursor with no computer side; with one, side 1 is it.
  for (const int cpu : {0, 1}) {
    sdt.DBGDt.DBCPUNum = cpu;
    draw->OnDrawSetDB(true, false, false, 0, 1, 1, 0, 3, 500, 12000, 0, 5600, -1, mR, &a);
    draw->OnDraw();
    EXPECT_EQ(Queue().back(), cpu == 0 ? "96,112 8x8 @116,142" : "104,112 8x8 @116,142");
  }
}

TEST_F(PlayerSprite, TeamDrawsLivePlayersWithShadowsAtTheirPriority) {
  for (int s = 0; s < 2; ++s)
    for (int p = 0; p < 7; ++p) objs->DBPCD4[s][p] = std::make_unique<TGenCharDraw>(al.get(), hub.get(), &glb);
  P(0, 6).Live_f = false;
  hub->ADBPSt[0][1].Dead_f = 1;
  T(0).OnDraw();
  // Position 0 has a body (and face 0: none); the others have no textures,
  // so only their shadows show: five live players with shadows, one dead.
  EXPECT_EQ(al->DrawObjectCount(), 5u + 1u);
  EXPECT_EQ(al->Entry(0).Pri, uint32_t(P(0, 0).MyZahyou->NowPri()));
}

// ---------------------------------------------------------------- a whole match

// The match scene driving the real objects: the same seed and input give the
// same match, step for step.
TEST_F(MatchPlayer, AWholeMatchStepsTheSameWayTwice) {
  sdt.DBGDt.DBCPUNum = 2;  // both sides computer-driven
  sdt.DBGDt.DBDif = dbdfNomal;
  auto run = [&] {
    SetRandSeed(99);
    ResetRandomDraws();
    TDBScene scene(nullptr, hub.get(), &glb, stDB);
    scene.OnInit();
    std::vector<int32_t> trace;
    for (int step = 0; step < 600; ++step) {
      scene.OnMove();
      if (step % 50 == 49)
        for (int s = 0; s < 2; ++s)
          for (int p = 0; p < 7; ++p) {
            trace.push_back(P(s, p).MyZahyou->X);
            trace.push_back(P(s, p).MyZahyou->Z);
            trace.push_back(P(s, p).MySt->Motion.Mtype);
          }
    }
    trace.push_back(int32_t(RandomDraws()));
    return trace;
  };
  const auto first = run();
  EXPECT_EQ(run(), first);
  // Nobody moves during the intro; once play starts the players move.
  const size_t row = 3 * 14;
  EXPECT_TRUE(std::equal(first.begin(), first.begin() + row, first.begin() + row));
  EXPECT_FALSE(std::equal(first.begin(), first.begin() + row, first.end() - 1 - row));
}

}  // namespace

namespace {

// A 3D renderer tints instead of blinking, and draws no cursor.
TEST_F(PlayerSprite, ADirect3DRendererTintsTargetsAndTheControlledPlayer) {
  TAlpha32SAI d3d{nullptr, nullptr, false, false, nullptr, 1, 64};
  draw = std::make_unique<TGenCharDraw>(&d3d, hub.get(), &glb);
  sdt.DBGDt.DBCsl_c = 0;
  AnimeData a{};
  struct Case { int32_t shTg; bool ctrl; uint32_t bm, colour; };
  for (const Case& c : {Case{30, false, BM_FLASH, 0x606020}, Case{40, true, BM_FLASH, 0x202040},
                        Case{11, false, BM_FLASH, 0x606020}, Case{12, false, BM_FLASH, 0x202040},
                        Case{-1, true, BM_FLASH, 0x404040}, Case{-1, false, BM_NORMAL, 0xFFFFFF}}) {
    draw->OnDrawSetDB(c.ctrl, false, false, 0, 1, 0, 0, 3, 500, 12000, 0, 5600, c.shTg, mR, &a);
    draw->OnDraw();
    ASSERT_EQ(d3d.DrawObjectCount(), 1u);  // the body, never a cursor
    EXPECT_EQ(d3d.Entry(0).BM, c.bm);
    EXPECT_EQ(d3d.Entry(0).Color, 0xFF000000u | c.colour);
    d3d.Rendering();
  }
  // The frame's flags mirror the cell: upside down alone, and with the
  // facing left as well.
  for (const MukiType m : {mR, mL}) {
    for (const uint8_t revY : {0, 1, 2}) {
      // 2: the frame mirrors left and right instead.
      a.RevY_f = revY == 1;
      a.RevX_f = revY == 2;
      draw->OnDrawSetDB(false, false, false, 0, m == mR ? 1 : -1, 0, 0, 3, 500, 12000, 0, 5600,
                        -1, m, &a);
      draw->OnDraw();
      ASSERT_EQ(d3d.DrawObjectCount(), 1u);
      const TDRAWDATA& e = d3d.Entry(0);
      EXPECT_EQ(e.dy[0] > e.dy[2], revY == 1) << m << " " << int(revY);
      EXPECT_EQ(e.dx[0] > e.dx[1], (m == mL) != (revY == 2)) << m << " " << int(revY);
      d3d.Rendering();
    }
  }
}

}  // namespace

namespace {

// A stored state whose coordinates or counters lie near the ends of int32 is
// refused, so a match step never computes with them.
TEST(MatchPlayerSave, ExtremeCoordinatesAndCountersAreRefused) {
  auto sv = std::make_unique<QuickSaveData>();
  *sv = QuickSaveData{};
  sv->DBBallSt.ShSt.HSNo = dbhNML;
  auto good = QuickSaveToBytes(*sv);
  auto back = std::make_unique<QuickSaveData>();
  ASSERT_TRUE(QuickSaveFromBytes(good, *back));
  auto refused = [&](auto edit) {
    auto bad = std::make_unique<QuickSaveData>(*sv);
    edit(*bad);
    std::string why;
    return !QuickSaveFromBytes(QuickSaveToBytes(*bad), *back, &why) && !why.empty();
  };
  EXPECT_TRUE(refused([](QuickSaveData& d) { d.ADBZahyou[1][6].X = INT32_MAX; }));
  EXPECT_TRUE(refused([](QuickSaveData& d) { d.ADBZahyou[0][0].dY = -(1 << 23); }));
  EXPECT_TRUE(refused([](QuickSaveData& d) { d.DBBallZahyou.Z = INT32_MIN; }));
  EXPECT_TRUE(refused([](QuickSaveData& d) { d.ADBPSt[0][3].Motion.M_c = INT32_MAX; }));
  EXPECT_TRUE(refused([](QuickSaveData& d) { d.ADBPSt[1][0].Holy_c = INT32_MAX; }));
  // Every formation value of either team.
  for (int i = 0; i < 14; ++i)
    EXPECT_TRUE(refused([i](QuickSaveData& d) {
      DBPosMove& m = d.DBTSt[i % 2].PosMove;
      int32_t* const v[] = {&m.EnCX,         &m.EnCZ,         &m.EnC_c,        &m.InfXZ,
                            &m.Inf_c,        &m.InfPos[0][0], &m.InfPos[0][1], &m.InfPos[0][2],
                            &m.InfPos[0][3], &m.InfPos[1][0], &m.InfPos[1][1], &m.InfPos[1][2],
                            &m.InfPos[1][3]};
      if (i == 13)
        m.InfLine = InfLineType(iltO4 + 1);
      else
        *v[i] = INT32_MIN;
    })) << i;
  EXPECT_FALSE(refused([](QuickSaveData& d) {
    d.ADBZahyou[0][0].X = DBCOURT_W;
    d.ADBZahyou[0][0].Y = DBCRT_CEILING;
    d.ADBPSt[0][0].Motion.M_c = 100000;
  }));
}

}  // namespace

namespace {

// Which motions advance their frame in the motion counter, and what the
// timed ones do when their counters run out.
TEST_F(MatchPlayer, TheMotionCounterAdvancesByMotion) {
  for (auto& m : gdt->DBBsmData)
    for (auto& f : m.Frame) f.Ani.Time = 100;
  TDBPlayer& p = P(0, 1);
  struct Case { const char* name; DBMotionType m; int32_t airFric, jpCr, fric; bool advances; };
  const Case cases[] = {
      {"standing", dbmtSt, 0, 0, 0, false},      {"walking", dbmtWk, 0, 0, 0, true},
      {"crouch", dbmtCr, 0, 0, 0, true},         {"crouch sliding", dbmtCr, 1, 0, 0, false},
      {"crouch waiting", dbmtCr, 0, 1, 0, false}, {"catch slide", dbmtCM, 0, 0, 0, true},
      {"catch sliding", dbmtCM, 0, 0, 1, false},  {"defeated", dbmtENG, 0, 0, 0, false},
  };
  for (const Case& c : cases) {
    p.OnInit();
    p.SetMtype(c.m, true);
    p.MySt->AirFric_c = c.airFric;
    p.MySt->JpCr_c = c.jpCr;
    p.MyZahyou->Fric_c = c.fric;
    p.MySt->CatchW_c = 2;
    p.MCCount();
    EXPECT_EQ(p.MySt->Anime.Ani_c, c.advances ? 1 : 0) << c.name;
    EXPECT_EQ(p.MySt->Motion.M_c, 1) << c.name;
    EXPECT_EQ(p.MySt->CatchW_c, 1) << c.name;
    EXPECT_EQ(p.MySt->Motion.Mtype, c.m) << c.name;
  }
  EXPECT_EQ(p.MySt->Holy_c, 1);

  // Lying down for the guts row's 5 frames, he gets up on the fifth.
  p.OnInit();
  p.SetMtype(dbmtDn, false);
  for (int i = 0; i < 4; ++i) p.MCCount();
  EXPECT_EQ(p.MySt->Motion.Mtype, dbmtDn);
  EXPECT_EQ(p.MySt->Down_c, 4);
  EXPECT_EQ(p.MySt->Anime.Ani_c, 4);  // his frame runs meanwhile
  p.MCCount();
  EXPECT_EQ(p.MySt->Motion.Mtype, dbmtDRv);

  // A roll's countdown ends in a stop, lying down or defeated by hit points.
  for (const int32_t hp : {1, 0}) {
    p.OnInit();
    p.SetMtype(dbmtRoB, false);
    p.MySt->HP = hp;
    p.MySt->Roll_c = 2;
    p.MyZahyou->dX = 300, p.MyZahyou->dZ = 50, p.MySt->AirFric_c = 4;
    p.MCCount();
    EXPECT_EQ(p.MySt->Motion.Mtype, dbmtRoB);
    EXPECT_EQ(p.MyZahyou->dX, 300);
    p.MCCount();
    EXPECT_EQ(p.MySt->Motion.Mtype, hp > 0 ? dbmtDn : dbmtENG) << hp;
    EXPECT_EQ((std::vector<int32_t>{p.MyZahyou->dX, p.MyZahyou->dZ, p.MySt->AirFric_c}),
              (std::vector<int32_t>{0, 0, 0}));
  }
  // In the air the air counter runs.
  p.OnInit();
  p.MySt->Motion.MF = MFBit(dbmfAr);
  p.SetMtype(dbmtJ2, false);
  p.MCCount();
  p.MCCount();
  EXPECT_EQ(p.MySt->Air_c, 2);
}

// The catch window by the ball coming at the catcher and the difficulty:
// the window closes after window + 1 counts.
TEST_F(MatchPlayer, CatchWindowByShotKindLevelAndDifficulty) {
  for (auto& r : hub->ADBRankDt) {
    DBCaTData& c = r.CaT;
    c.CaFrm_HS = 10, c.CaFrm_A = 7, c.CaFrm_B = 6, c.CaFrm_C = 5, c.CaFrm_D = 4;
    c.CaFrm_E = 3, c.CaFrm_F = 2, c.CaFrm_G = 8, c.CaFrm_P = 9;
    c.EZCaFrm_HS = 30, c.EZCaFrm_A = 27, c.EZCaFrm_B = 26, c.EZCaFrm_C = 25, c.EZCaFrm_D = 24;
    c.EZCaFrm_E = 23, c.EZCaFrm_F = 22, c.EZCaFrm_G = 28, c.EZCaFrm_P = 29;
  }
  for (auto& f : Motion(20).Frame) f.Ani.Time = 200;
  TDBPlayer& p = P(1, 1);
  struct Case { DBBallMotionType ball; DBHSType hs; uint8_t lv; bool easy; int window; };
  const Case cases[] = {
      {dbbShoot, dbhNML, 1, false, 2},  {dbbShoot, dbhNML, 2, false, 3},
      {dbbShoot, dbhNML, 3, false, 4},  {dbbShoot, dbhNML, 4, false, 5},
      {dbbShoot, dbhNML, 5, false, 6},  {dbbShoot, dbhNML, 6, false, 7},
      {dbbShoot, dbhNML, 0, false, 8},  {dbbShoot, dbhNML, 7, false, 8},
      {dbbShoot, dbhKAK, 6, false, 10}, {dbbPass, dbhNML, 6, false, 9},
      {dbbShoot, dbhNML, 1, true, 22},  {dbbShoot, dbhNML, 2, true, 23},
      {dbbShoot, dbhNML, 3, true, 24},  {dbbShoot, dbhNML, 4, true, 25},
      {dbbShoot, dbhNML, 5, true, 26},  {dbbShoot, dbhNML, 6, true, 27},
      {dbbShoot, dbhNML, 0, true, 28},  {dbbShoot, dbhKAK, 1, true, 30},
      {dbbBound, dbhNML, 1, true, 29},
  };
  auto steps = [&] {
    p.SetMtype(dbmtCa, true);
    p.MySt->Catch_c = 0;
    int n = 0;
    while (p.MySt->Catch_c != -1 && n < 100) {
      p.MCCount();
      ++n;
    }
    return n;
  };
  for (const Case& c : cases) {
    sdt.DBGDt.DBDif = c.easy ? dbdfEasy : dbdfNomal;
    Ball().Motion = c.ball;
    Ball().ShSt.HSNo = c.hs;
    Ball().ShSt.ShLv = c.lv;
    EXPECT_EQ(steps(), c.window + 1) << c.ball << " " << c.hs << " " << int(c.lv) << " " << c.easy;
  }
  // A catcher who already holds the ball gets half, rounded down: 27 / 2.
  Ball().HoldTNo = 1, Ball().HoldPNo = 1;
  Ball().Motion = dbbShoot;
  Ball().ShSt.HSNo = dbhNML;
  Ball().ShSt.ShLv = 6;
  EXPECT_EQ(steps(), 13 + 1);
}

// How motions end: a catch stands with the wait before the next catch, an
// air motion goes on in the jump, a roll waits for its countdown.
TEST_F(MatchPlayer, WhatFollowsTheEndOfAMotion) {
  for (auto& m : gdt->DBBsmData)
    for (auto& f : m.Frame) f.Ani.Time = 1, f.Ani.Last_f = 1;
  for (auto& r : hub->ADBRankDt) r.CaT.NextCaFrm = 4, r.CaT.EZNextCaFrm = 14;
  TDBPlayer& p = P(0, 2);
  for (const bool easy : {false, true}) {
    sdt.DBGDt.DBDif = easy ? dbdfEasy : dbdfNomal;
    p.OnInit();
    p.SetMtype(dbmtCa, false);
    p.MCCount();
    EXPECT_EQ(p.MySt->Motion.Mtype, dbmtSt);
    EXPECT_EQ(p.MySt->CatchW_c, easy ? 14 : 4);
  }
  p.OnInit();
  p.MySt->Motion.MF = MFBit(dbmfAr);
  p.SetMtype(dbmtJDg, false);
  p.MCCount();
  EXPECT_EQ(p.MySt->Motion.Mtype, dbmtJ2);
  p.SetMtype(dbmtDg, false);  // on the ground again
  p.MySt->Motion.MF = MFBit(dbmfAct);
  p.MCCount();
  EXPECT_EQ(p.MySt->Motion.Mtype, dbmtSt);
  p.OnInit();
  p.SetMtype(dbmtRoF, false);
  p.MySt->Roll_c = 9;
  p.MCCount();
  EXPECT_EQ(p.MySt->Motion.Mtype, dbmtRoF);
  EXPECT_EQ(p.MySt->Motion.M_c, 1);
}

// The pass target who is not the controlled man waits for the pass: standing
// he takes the waiting pose, walking and dashing their waiting forms, and
// each goes back once he is no longer the target.
TEST_F(MatchPlayer, APassTargetWaitsInEveryStandingOrMovingMotion) {
  for (auto& m : gdt->DBBsmData)
    for (auto& f : m.Frame) f.Ani.Time = 100;
  TDBPlayer& p = P(0, 1);
  T(0).TSt.CtrlNo = 0;
  Ball().Motion = dbbHold;
  Ball().HoldTNo = 0, Ball().HoldPNo = 0;
  Ball().PaTgTNo = 0;
  auto target = [&](bool on) { Ball().PaTgPNo = on ? 1 : 2; };
  target(true);
  p.MCCount();
  p.MCCount();
  EXPECT_EQ(p.MySt->Motion.Mtype, dbmtPW);
  // The pose ends only while it carries its waiting flag.
  target(false);
  p.MySt->Motion.MF = 0;
  p.MCCount();
  EXPECT_EQ(p.MySt->Motion.Mtype, dbmtPW);
  p.MySt->Motion.MF = MFBit(dbmfPW);
  p.MCCount();
  EXPECT_EQ(p.MySt->Motion.Mtype, dbmtSt);
  struct Case { DBMotionType m; int plainNo, waitNo; };
  for (const Case& c : {Case{dbmtWk, 1, 38}, Case{dbmtDs, 2, 39}}) {
    p.SetMtype(c.m, true);
    target(true);
    p.MySt->Motion.M_c = 6;
    p.MCCount();
    EXPECT_EQ(p.MySt->Motion.Mtype, c.m);
    EXPECT_EQ(p.MySt->Motion.MNo, c.waitNo);
    EXPECT_EQ(p.MySt->Motion.M_c, 7);  // the waiting form keeps the counter
    p.MCCount();
    EXPECT_EQ(p.MySt->Motion.MNo, c.waitNo);
    target(false);
    p.MCCount();
    EXPECT_EQ(p.MySt->Motion.MNo, c.plainNo);
    EXPECT_EQ(p.MySt->Motion.M_c, 0);  // the plain one starts again
    EXPECT_FALSE(p.HasMF(dbmfPW));
  }
  // The controlled man does not wait.
  T(0).TSt.CtrlNo = 1;
  p.SetMtype(dbmtSt, true);
  target(true);
  p.MCCount();
  EXPECT_EQ(p.MySt->Motion.Mtype, dbmtSt);
}

// Owed crouches start only from standing, walking or dashing; a damaged,
// defeated or dead player who is not in control takes no decision at all.
TEST_F(MatchPlayer, CrouchesStartOnlyWhereAPlayerMayDecide) {
  T(0).TSt.CtrlNo = 0;
  TDBPlayer& p = P(0, 1);
  for (const DBMotionType m : {dbmtSt, dbmtWk, dbmtDs, dbmtCr, dbmtDg}) {
    p.OnInit();
    p.SetMtype(m, true);
    p.MySt->Kagami_c = 2;
    p.KagamiSet();
    const bool starts = m == dbmtSt || m == dbmtWk || m == dbmtDs;
    EXPECT_EQ(p.MySt->Motion.Mtype, starts ? dbmtKG : m) << m;
    EXPECT_EQ(p.MySt->Kagami_c, starts ? 1 : 2) << m;
  }
  for (int blocker = 0; blocker < 4; ++blocker) {
    p.OnInit();
    p.MySt->Kagami_c = 1;
    if (blocker == 1) p.MySt->Motion.MF = uint16_t(p.MySt->Motion.MF | MFBit(dbmfDam));
    if (blocker == 2) p.MySt->Motion.MF = uint16_t(p.MySt->Motion.MF | MFBit(dbmfENG));
    if (blocker == 3) p.MySt->Dead_f = 1;
    p.OnMove();
    EXPECT_EQ(p.MySt->Motion.Mtype, blocker == 0 ? dbmtKG : dbmtSt) << blocker;
  }
  // The controlled man crouches too, instead of acting.
  T(0).TSt.CtrlNo = 1;
  p.OnInit();
  p.MySt->Kagami_c = 1;
  p.OnMove();
  EXPECT_EQ(p.MySt->Motion.Mtype, dbmtKG);
  EXPECT_EQ(p.MySt->Kagami_c, 0);
  // Owed crouches are paid one by one, then he stands.
  Motion(6).Frame[0].Ani.Last_f = 1;
  T(0).TSt.CtrlNo = 0;
  p.OnInit();
    p.MySt->Kagami_c = 2;
  p.OnMove();
  EXPECT_EQ(p.MySt->Motion.Mtype, dbmtKG);
  EXPECT_EQ(p.MySt->Kagami_c, 1);
  p.MCCount();
  EXPECT_EQ(p.MySt->Motion.Mtype, dbmtKG);
  EXPECT_EQ(p.MySt->Kagami_c, 0);
  p.MCCount();
  EXPECT_EQ(p.MySt->Motion.Mtype, dbmtSt);
}

}  // namespace

namespace {

// ---------------------------------------------------------------- holding and passing

// The held ball sits at the frame's hand point, in front of or behind the
// body, mirrored with the facing, and takes the frame's mirror flags.
TEST_F(MatchPlayer, TheHeldBallFollowsTheFramesHandPoint) {
  for (auto& f : Motion(0).Frame) f.Ani.BmpNo = 7, f.Ani.X = 1, f.Ani.Y = 2, f.Ani.RevX_f = 1;
  BitMapData& row = gdt->DBBMPData[7];
  row.BX = 2, row.BY = 3, row.IX = 5, row.IY = 7, row.IZ = 1;
  TDBPlayer& p = P(0, 1);
  p.SetMtype(dbmtSt, true);
  p.BallGet(true);
  TZahyou& z = *p.MyZahyou;
  z.Y = 500;
  for (const MukiType m : {mR, mL}) {
    z.SetMuki(m);
    p.OnReMove(false, false);
    // tx = sign x (2 + 1) - 16, ty = 3 + 2 + 8 = 13, hand Y 7 + 13 = 20;
    // right: X + (5 + tx) px, left: X + (32 - 5 + tx) px.
    EXPECT_EQ(BallZ().X, z.X + (m == mR ? -8 : 8) * 100) << m;
    EXPECT_EQ(BallZ().Y, 500 + 1200);
    EXPECT_EQ(BallZ().Z, z.Z);
    EXPECT_EQ(BallZ().Pri, z.Pri - 1);  // drawn behind him
    EXPECT_EQ(BallZ().Muki(), m);
    EXPECT_EQ(hub->DBBallSt.Anime.RevX_f, 1);
    EXPECT_EQ(hub->DBBallSt.Anime.RevY_f, 0);
  }
  // Nobody else moves it.
  const int32_t bx = BallZ().X;
  P(0, 2).MyZahyou->X = z.X + 5000;
  P(0, 2).OnReMove(false, false);
  EXPECT_EQ(BallZ().X, bx);
  // A holder who is out is skipped by his team.
  p.Live_f = false;
  z.X += 1000;
  T(0).OnReMove();
  z.X -= 1000, p.Live_f = true;
  EXPECT_EQ(BallZ().X, bx);
  // The hurt box from the frame's box, mirrored about the player's X when he
  // faces left; a box without height takes the defaults.
  z.X = 10050, z.Y = 1230;
  SquareData& k = Motion(p.MySt->Motion.MNo).Frame[p.MySt->Anime.FrameNo].Kurai;
  k = SquareData{3, -20, 10, 30};
  auto box = [&] {
    const DBRect& r = p.MySt->Kurai;
    return std::vector<int32_t>{r.Left, r.Top, r.Right, r.Bottom};
  };
  z.SetMuki(mR);
  p.OnSetOS();
  EXPECT_EQ(box(), (std::vector<int32_t>{103, -8, 113, 22}));
  z.SetMuki(mL);
  p.OnSetOS();
  EXPECT_EQ(box(), (std::vector<int32_t>{87, -8, 97, 22}));
  k.H = 0;
  p.OnSetOS();
  EXPECT_EQ(k.W, table.DB.DBDAM.DEFKURAIW);
  EXPECT_EQ(k.H, table.DB.DBDAM.DEFKURAIH);
  // Defaults beyond what a box holds are cut to its ends.
  DBDAMRec& d = table.DB.DBDAM;
  d.DEFKURAIX = -200, d.DEFKURAIY = 200, d.DEFKURAIW = 20, d.DEFKURAIH = 300;
  k.W = 0;
  p.OnSetOS();
  EXPECT_EQ((std::vector<int>{k.X, k.Y, k.W, k.H}), (std::vector<int>{-128, 127, 20, 255}));
  d.DEFKURAIX = 200, d.DEFKURAIY = -200, d.DEFKURAIW = -5;
  k.W = 0;
  p.OnSetOS();
  EXPECT_EQ((std::vector<int>{k.X, k.Y, k.W}), (std::vector<int>{127, -128, 0}));
  // Without frame data, or with a motion or frame number outside the table,
  // the defaults stand in and no frame is read or written.
  d.DEFKURAIX = 1, d.DEFKURAIY = 2, d.DEFKURAIW = 3, d.DEFKURAIH = 4;
  k = SquareData{3, -20, 10, 30};
  const int32_t mno = p.MySt->Motion.MNo, fno = p.MySt->Anime.FrameNo;
  const std::vector<int32_t> defaults{100 + 1, 12 + 2, 100 + 1 + 3, 12 + 2 + 4};
  hub->GDt = nullptr;
  z.SetMuki(mR);
  p.OnSetOS();
  EXPECT_EQ(box(), defaults);
  hub->GDt = gdt.get();
  const int32_t outside[][2] = {{-1, fno}, {DBMOTION_COUNT, fno}, {mno, -1}, {mno, DBMOTION_FRAMES}};
  for (const auto& o : outside) {
    p.MySt->Motion.MNo = o[0], p.MySt->Anime.FrameNo = o[1];
    p.OnSetOS();
    EXPECT_EQ(box(), defaults) << o[0] << " " << o[1];
  }
  p.MySt->Motion.MNo = mno, p.MySt->Anime.FrameNo = fno;
  EXPECT_EQ(k.H, 30);
}

// Taking the ball: in a jump the jump goes on; the aim decides the shot
// target and the enemy's controlled man, and a computer holder aims at that
// man even with nobody in his aim.
TEST_F(MatchPlayer, TakingTheBallChoosesTheShotTarget) {
  TDBPlayer& p = P(0, 1);
  p.MySt->Motion.MF = MFBit(dbmfAr);
  p.SetMtype(dbmtJCa, false);
  EXPECT_TRUE(p.MySt->AirAct_f);
  p.BallGet(false);
  EXPECT_EQ(p.MySt->Motion.Mtype, dbmtJ2);
  EXPECT_FALSE(p.MySt->AirAct_f);
  EXPECT_EQ(sound.log, std::vector<std::string>{"P12"});
  EXPECT_EQ(T(0).TSt.CtrlNo, 1);
  // Facing the enemy, one of them is aimed at and controlled.
  EXPECT_EQ(Ball().ShTgTNo, 1);
  EXPECT_GE(Ball().ShTgPNo, 0);
  EXPECT_EQ(T(1).TSt.CtrlNo, Ball().ShTgPNo);
  // Facing away: no target for a human, but the enemy's man still changes.
  for (const int cpu : {0, 2}) {
    sdt.DBGDt.DBCPUNum = cpu;
    p.OnInit();
    p.MyZahyou->SetMuki(mL);
    p.MyZahyou->SetMukiZ(mzN);
    T(1).TSt.CtrlNo = 6;
    p.BallGet(true);
    EXPECT_NE(T(1).TSt.CtrlNo, 6) << cpu;
    EXPECT_EQ(Ball().ShTgPNo, cpu ? T(1).TSt.CtrlNo : -1) << cpu;
    EXPECT_EQ(Ball().ShTgTNo, cpu ? 1 : -1) << cpu;
  }
  // With the enemy infield all out nobody is aimed at or chosen.
  for (int k = 0; k < 4; ++k) hub->ADBPSt[1][k].Dead_f = 1;
  T(1).TSt.CtrlNo = 6;
  p.OnInit();
  p.BallGet(true);
  EXPECT_EQ(Ball().ShTgPNo, -1);
  EXPECT_EQ(T(1).TSt.CtrlNo, 6);
  sdt.DBGDt.DBCPUNum = 0;
}

// The pass arc by line and jump: each takes its own gravity and speed.
TEST_F(MatchPlayer, EachPassLineTakesItsOwnSpeedAndGravity) {
  table.DB.DBETC.FCTOSAIMAG = 100;
  DBPASSRec& pa = table.DB.DBPASS;
  pa.PAGRV = 11, pa.PAGRV23 = 12, pa.PAGRV14 = 13, pa.PAGRV11 = 14;
  pa.JPAGRV = 21, pa.JPAGRV23 = 22, pa.JPAGRV14 = 23, pa.JPAGRV11 = 24;
  pa.PASPD = 101, pa.PASPD23 = 102, pa.PASPD14 = 103, pa.PASPD11 = 104;
  pa.JPASPD = 201, pa.JPASPD23 = 202, pa.JPASPD14 = 203, pa.JPASPD11 = 204;
  TDBPlayer& p = P(0, 0);
  struct Case { DBPaLineType line; bool jump; int32_t g, s; };
  const Case cases[] = {{dbplNml, false, 11, 101}, {dbpl23, false, 12, 102}, {dbpl14, false, 13, 103},
                        {dbpl11, false, 14, 104},  {dbplNml, true, 21, 201},  {dbpl23, true, 22, 202},
                        {dbpl14, true, 23, 203},   {dbpl11, true, 24, 204}};
  for (const Case& c : cases) {
    p.tPaLine = c.line;
    int32_t x = 10000, y = 0, z = 0;
    EXPECT_EQ(p.PAngle(x, y, z, true, c.jump), 10000 / c.s) << c.line << c.jump;
    EXPECT_EQ(std::make_pair(x, p.tPaGrv), std::make_pair(c.s, c.g)) << c.line << c.jump;
  }
  // Diagonals at 100 with gravity 10: the longer axis flies at full speed.
  pa.PASPD = 100, pa.PAGRV = 10;
  p.tPaLine = dbplNml;
  BallZ().Y = 1600;
  auto arc = [&](int32_t x, int32_t z, bool level) {
    int32_t y = 0;
    const int32_t eta = p.PAngle(x, y, z, level, false);
    return std::vector<int32_t>{eta, x, y, z};
  };
  // Level: up g x t / 2 with the unrounded time 40.5.
  EXPECT_EQ(arc(4050, 3000, true), (std::vector<int32_t>{40, 100, 202, 74}));
  EXPECT_EQ(arc(3000, 4000, true), (std::vector<int32_t>{40, 75, 200, 100}));
  // Onto the ground: up 40 x 10 / 2 - 1600 / 40.
  EXPECT_EQ(arc(3000, 4000, false), (std::vector<int32_t>{40, 75, 160, 100}));
  EXPECT_EQ(arc(0, 0, false), (std::vector<int32_t>{0, 0, 0, 0}));
  // A table without pass speeds still gives an arc: one a step.
  pa.PASPD = 0;
  p.tPaLine = dbplNml;
  int32_t x = 300, y = 0, z = 0;
  EXPECT_EQ(p.PAngle(x, y, z, true, false), 300);
  EXPECT_EQ(x, 1);
}

// The pass flies from above the passer toward the receiver, climbing more
// for a jump pass, and tells the teams and the sound.
TEST_F(MatchPlayer, APassIsReleasedTowardTheReceiver) {
  table.DB.DBETC.FCTOSAIMAG = 100;
  DBPASSRec& pa = table.DB.DBPASS;
  pa.PASPD11 = pa.JPASPD11 = 100;
  pa.PAGRV11 = pa.JPAGRV11 = 10;
  pa.PATAGY = 30, pa.JPATAGY = 50;
  TDBPlayer& p = P(0, 0);
  for (const bool jump : {false, true}) {
    p.MyZahyou->X = 10000, p.MyZahyou->Y = 0, p.MyZahyou->Z = 5000;
    P(0, 2).MyZahyou->X = 13000, P(0, 2).MyZahyou->Z = 1000;
    p.BallGet(true);
    Ball().PaTgTNo = 0, Ball().PaTgPNo = 2;
    T(0).TSt.CvrNo = -1;
    sound.log.clear();
    p.SetPass(jump);
    // (3000, 4000) at 100: 40 frames, up 10 x 40 / 2 plus the bonus.
    EXPECT_EQ((std::vector<int32_t>{BallZ().dX, BallZ().dY, BallZ().dZ}),
              (std::vector<int32_t>{75, 200 + (jump ? 50 : 30), -100}))
        << jump;
    EXPECT_EQ(Ball().PaETA_c, 40);
    EXPECT_EQ(Ball().PaLine, dbpl11);
    EXPECT_EQ(Ball().PaGrv, 10);
    EXPECT_EQ(bool(Ball().PaJPa_f), jump);
    EXPECT_EQ(Ball().ShSt.HSNo, dbhNML);
    EXPECT_NE(T(0).TSt.CvrNo, -1);  // a cover man is chosen
    EXPECT_NE(Ball().LandX, 0);     // and the landing predicted
    EXPECT_EQ(sound.log, std::vector<std::string>{"P30"});
  }
  // A receiver in the air is passed to where he lands, (-3000, 4000) from
  // the passer: 40 frames again, and the release height in pixels comes off
  // the climb.
  P(0, 2).MySt->Motion.MF = MFBit(dbmfAr);
  P(0, 2).MySt->LandX = 7000, P(0, 2).MySt->LandZ = 9000;
  p.BallGet(true);
  Ball().PaTgTNo = 0, Ball().PaTgPNo = 2;
  p.SetPass(false);
  EXPECT_EQ((std::vector<int32_t>{BallZ().dX, BallZ().dY, BallZ().dZ}),
            (std::vector<int32_t>{-75, 200 + 30 - 16, 100}));
}

// A frame's sound: none for 0, effect 15 for 1, else its own number, all
// deferred; a looping frame sounds again only when it says so.
TEST_F(MatchPlayer, FramesSoundAsTheyAreLoaded) {
  DBBaseMotionData& wk = Motion(1);
  for (auto& f : wk.Frame) f.Ani.Time = 1;
  wk.Frame[0].Ani.SE = 1;
  wk.Frame[1].Ani.SE = 5;
  wk.Frame[1].Ani.LoopP = 2;
  wk.Frame[1].Ani.LoopC = 3;
  wk.Frame[0].Ani.LoopP = 1;
  wk.Frame[0].Ani.LoopC = 3;
  TDBPlayer& p = P(0, 0);
  p.SetMtype(dbmtWk, false);
  p.MCCount();
  p.MCCount();  // loops back to frame 0 without its sound
  EXPECT_EQ(sound.log, (std::vector<std::string>{"S15", "S5"}));
  wk.Frame[0].Ani.LoopSE_f = 1;
  p.MCCount();
  p.MCCount();
  EXPECT_EQ(sound.log, (std::vector<std::string>{"S15", "S5", "S5", "S15"}));
}

}  // namespace

namespace {

}  // namespace

namespace {

// The motion table: base motion by depth facing, flags (a dash flag kept
// where the table says so), starting frame, the form it is stored as, its
// sound and the air flags it sets.
TEST_F(MatchPlayer, EveryMotionStartsFromItsRowOfTheTable) {
  const uint16_t Ar = MFBit(dbmfAr), Ds = MFBit(dbmfDs), Act = MFBit(dbmfAct),
                 Dam = MFBit(dbmfDam), MTK = MFBit(dbmfMTK), JpOK = MFBit(dbmfJpOK),
                 Mk = MFBit(dbmfMuki), ENG = MFBit(dbmfENG), FIX = MFBit(dbmfFIX),
                 ARv = MFBit(dbmfARv), PHit = MFBit(dbmfPHit), PW = MFBit(dbmfPW);
  constexpr int kept = -2;  // the frame stays where it was
  struct Row {
    DBMotionType t;
    int mno[3];  // facing front, neither way, back
    uint16_t flags;
    bool keepDs;
    int span, fixed;  // start frame: fixed when >= 0, else span x depth
    DBMotionType stored;
    int se;
    bool airAct, airCatch;
  };
  const Row rows[] = {
      {dbmtSt, {0, 0, 0}, JpOK | Mk, false, 1, -1, dbmtSt, 0, false, false},
      {dbmtWk, {1, 1, 1}, JpOK | Mk, false, 0, -1, dbmtWk, 0, false, false},
      {dbmtDs, {2, 2, 2}, Ds | JpOK, false, 0, -1, dbmtDs, 0, false, false},
      {dbmtJCr, {3, 3, 3}, Ar | Act, true, 2, -1, dbmtJCr, 0, false, false},
      {dbmtJ2, {23, 23, 23}, Ar | Mk, true, 1, -1, dbmtJ2, 0, false, false},
      {dbmtARv, {23, 23, 23}, Ar | Mk | ARv, false, 1, -1, dbmtJ2, 0, false, false},
      {dbmtCr, {4, 4, 4}, Act, false, 1, -1, dbmtCr, 0, false, false},
      {dbmtFlF, {5, 5, 5}, Ar | Dam | MTK, false, 0, 0, dbmtFlF, 0, false, false},
      {dbmtFlB, {5, 5, 5}, Ar | Dam | MTK, false, 0, 1, dbmtFlB, 0, false, false},
      {dbmtPHF, {28, 28, 28}, PHit, false, 0, 0, dbmtPHF, 0, false, false},
      {dbmtPHB, {28, 28, 28}, PHit, false, 0, 3, dbmtPHB, 0, false, false},
      {dbmtKG, {6, 6, 6}, Dam, false, 0, -1, dbmtKG, 0, false, false},
      {dbmtDn, {8, 8, 8}, Dam, false, 0, -1, dbmtDn, 8, false, false},
      {dbmtDRv, {37, 37, 37}, Dam, false, 1, -1, dbmtDRv, 0, false, false},
      {dbmtCM, {9, 9, 9}, Act, false, 2, -1, dbmtCM, 0, false, false},
      {dbmtPW, {10, 10, 10}, JpOK | Mk | PW, false, 2, -1, dbmtPW, 0, false, false},
      {dbmtPWWk, {38, 38, 38}, JpOK | Mk | PW, false, 0, kept, dbmtWk, 0, false, false},
      {dbmtPWDs, {39, 39, 39}, Ds | JpOK | PW, false, 0, kept, dbmtDs, 0, false, false},
      {dbmtSl, {11, 11, 11}, Act | JpOK, false, 0, -1, dbmtSl, 0, false, false},
      {dbmtSh, {12, 13, 14}, Act, true, 0, -1, dbmtSh, 0, false, false},
      {dbmtPa, {15, 15, 15}, Act, true, 2, -1, dbmtPa, 0, false, false},
      {dbmtJSh, {16, 17, 18}, Ar | Act, true, 0, -1, dbmtJSh, 0, true, false},
      {dbmtJPa, {24, 25, 26}, Ar | Act, true, 0, -1, dbmtJPa, 0, true, false},
      {dbmtCa, {20, 20, 20}, Act, true, 2, -1, dbmtCa, 0, false, false},
      {dbmtJCa, {21, 21, 21}, Ar | Act, true, 2, -1, dbmtJCa, 0, true, true},
      {dbmtDg, {22, 22, 22}, Act, true, 1, -1, dbmtDg, 0, false, false},
      {dbmtJDg, {35, 35, 35}, Ar | Act, true, 1, -1, dbmtJDg, 0, true, true},
      {dbmtRoF, {29, 29, 29}, Dam, false, 0, -1, dbmtRoF, 9, false, false},
      {dbmtRoB, {30, 30, 30}, Dam, false, 0, -1, dbmtRoB, 9, false, false},
      {dbmtENG, {31, 31, 31}, Ar | Dam | MTK | ENG | FIX, false, 0, -1, dbmtENG, 11, false, false},
      {dbmtWIN, {32, 32, 32}, FIX, false, 0, -1, dbmtWIN, 0, false, false},
      {dbmtLOSE, {33, 33, 33}, FIX, false, 0, -1, dbmtLOSE, 0, false, false},
      {dbmtOvL, {34, 34, 34}, Act, true, 2, -1, dbmtOvL, 0, false, false},
  };
  static_assert(std::size(rows) == DBMOTIONTYPE_COUNT);
  TDBPlayer& p = P(0, 1);
  DBPlayerState& st = *p.MySt;
  const MukiZType depths[3] = {mzF, mzN, mzB};
  for (const Row& r : rows) {
    for (int d = 0; d < 3; ++d) {
      p.OnInit();
      st.HP = 20;
      st.Dead_f = 0;
      p.MyZahyou->SetMukiZ(depths[d]);
      // Started from a dash, in the air for the motions that fly (the
      // ground forms of the air motions would be taken otherwise).
      st.Motion.MF = uint16_t(Ds | (r.flags & Ar));
      st.Anime.FrameNo = 5;
      st.Air_c = 7, st.AirAct_f = 0, st.AirCatch_f = 0;
      sound.log.clear();
      p.SetMtype(r.t, true);
      const std::string name = std::to_string(r.t) + "/" + std::to_string(d);
      const int frame = r.fixed == kept ? 5 : r.fixed >= 0 ? r.fixed : r.span * d;
      EXPECT_EQ(st.Motion.Mtype, r.stored) << name;
      EXPECT_EQ(st.Motion.MNo, r.mno[d]) << name;
      EXPECT_EQ(st.Anime.FrameNo, frame) << name;
      EXPECT_EQ(uint16_t(st.Motion.MF), uint16_t(r.flags | (r.keepDs ? Ds : 0))) << name;
      EXPECT_EQ(sound.log, r.se ? std::vector<std::string>{"P" + std::to_string(r.se)}
                                : std::vector<std::string>{})
          << name;
      // Only the flying motions keep the air counter and flags.
      EXPECT_EQ(st.Air_c, (r.flags & Ar) ? 7 : 0) << name;
      EXPECT_EQ(bool(st.AirAct_f), r.airAct) << name;
      EXPECT_EQ(bool(st.AirCatch_f), r.airCatch) << name;
      EXPECT_EQ(bool(st.Dead_f), r.t == dbmtENG) << name;
    }
  }
  // Breathing hard (8 hit points or fewer) crouches on the other base motion.
  p.OnInit();
  st.HP = 8;
  p.SetMtype(dbmtKG, true);
  EXPECT_EQ(st.Motion.MNo, 7);
  // The air forms started on the ground are their ground forms, and back.
  const DBMotionType ground[] = {dbmtSt, dbmtSh, dbmtPa, dbmtCa}, air[] = {dbmtJ2, dbmtJSh, dbmtJPa, dbmtJCa};
  for (int i = 0; i < 4; ++i) {
    st.Motion.MF = 0;
    p.SetMtype(air[i], true);
    EXPECT_EQ(st.Motion.Mtype, ground[i]);
    st.Motion.MF = Ar;
    p.SetMtype(ground[i], true);
    EXPECT_EQ(st.Motion.Mtype, air[i]);
  }
  // An unknown motion is refused with an alert; loading a frame clears its
  // hold counter.
  p.SetMtype(dbmtWk, false);
  glb.AlertMsg.clear();
  p.SetMtype(DBMotionType(DBMOTIONTYPE_COUNT + 3), false);
  EXPECT_FALSE(glb.AlertMsg.empty());
  EXPECT_EQ(p.MySt->Motion.Mtype, dbmtWk);
  p.MySt->Anime.Tame_c = 5;
  p.SetMtype(dbmtSt, false);
  EXPECT_EQ(p.MySt->Anime.Tame_c, 0);

}

}  // namespace

namespace {

// The action a frame carries fires as the frame is loaded: a dash step
// counts for an infielder, a holder's throws leave his hands as a shot or
// pass (in a jump as a jump throw), a catch opens its window, and a holder
// over his line drops the ball dead.
TEST_F(MatchPlayer, TheFramesActionFiresByMotion) {
  for (const int mno : {2, 15, 16, 17, 18, 20, 21, 24, 25, 26, 34})
    for (auto& f : Motion(mno).Frame) f.Ani.ActP_f = 1, f.Ani.TameLoop_f = 1;
  table.DB.DBSHOOT.THROUGHTIME = 6;
  TDBPlayer& p = P(0, 0);
  p.SetMtype(dbmtDs, false);
  EXPECT_EQ(p.MySt->Step_c, 1);
  EXPECT_EQ(p.MySt->Anime.Tame_f, 1);
  P(0, 4).SetMtype(dbmtDs, false);
  EXPECT_EQ(P(0, 4).MySt->Step_c, 0);
  p.SetMtype(dbmtCa, false);
  EXPECT_EQ(p.MySt->Catch_c, 0);
  p.MySt->Motion.MF = MFBit(dbmfAr);
  p.SetMtype(dbmtJCa, false);
  EXPECT_EQ(p.MySt->Catch_c, 0);

  auto hold = [&] {
    p.OnInit();
    p.BallGet(true);
    Ball().PaTgTNo = 0, Ball().PaTgPNo = 2;
  };
  hold();
  p.MySt->Motion.MF = MFBit(dbmfAr);
  p.SetMtype(dbmtJSh, false);
  EXPECT_EQ(Ball().Motion, dbbShoot);
  EXPECT_EQ(Ball().NoHit_c, 0);  // a jump shot
  hold();
  p.SetMtype(dbmtPa, false);
  EXPECT_EQ(Ball().Motion, dbbPass);
  EXPECT_FALSE(Ball().PaJPa_f);
  hold();
  p.MySt->Motion.MF = MFBit(dbmfAr);
  p.SetMtype(dbmtJPa, false);
  EXPECT_EQ(Ball().Motion, dbbPass);
  EXPECT_TRUE(Ball().PaJPa_f);
  hold();
  BallZ().dX = 300, BallZ().dY = 50, BallZ().dZ = -40;
  p.SetMtype(dbmtOvL, false);
  EXPECT_EQ(Ball().Motion, dbbBound);
  EXPECT_EQ((std::vector<int32_t>{BallZ().dX, BallZ().dY, BallZ().dZ}),
            (std::vector<int32_t>{0, 0, 0}));
}

}  // namespace

namespace {

// The state queries the teams and the decisions share.
TEST_F(MatchPlayer, StateQueries) {
  TDBPlayer& p = P(0, 1);
  // Free to move: alive, in the match, not breathing, damaged or out; with
  // the behaviour checked, only in the free kinds.
  EXPECT_TRUE(p.CheckFreeMotion(false));
  for (int bar = 0; bar < 5; ++bar) {
    p.OnInit();
    p.Live_f = bar != 0;
    p.MySt->Dead_f = bar == 1;
    p.MySt->Kagami_c = bar == 2;
    p.MySt->Motion.MF = bar == 3 ? MFBit(dbmfDam) : bar == 4 ? MFBit(dbmfENG) : 0;
    EXPECT_FALSE(p.CheckFreeMotion(false)) << bar;
  }
  p.OnInit();
  p.Live_f = true;
  for (int a = 0; a <= dbaCPUSht; ++a) {
    p.MySt->Auto.AutoType = DBAutoType(a);
    EXPECT_EQ(p.CheckFreeMotion(true), a == dbaFree || a == dbaPos || a == dbaPos2 || a == dbaShCv) << a;
  }
  // The pass cover man: the team's cover position, a pass to his side aimed
  // at another infielder.
  struct Cover { int target, side, cvr; DBBallMotionType ball; bool is; };
  for (const Cover& c : {Cover{3, 0, 1, dbbPass, true}, Cover{0, 0, 1, dbbPass, true}, Cover{4, 0, 1, dbbPass, false},
                         Cover{1, 0, 1, dbbPass, false}, Cover{-1, 0, 1, dbbPass, false}, Cover{3, 1, 1, dbbPass, false},
                         Cover{3, 0, 2, dbbPass, false}, Cover{3, 0, 1, dbbBound, false}}) {
    T(0).TSt.CvrNo = c.cvr;
    Ball().Motion = c.ball;
    Ball().PaTgTNo = c.side;
    Ball().PaTgPNo = c.target;
    EXPECT_EQ(p.CheckPaCoverMan(), c.is) << c.target << " " << c.side << " " << c.cvr;
  }
  // Landing beyond the centre line: past 25200 in his own court's view.
  for (const int32_t x : {25200, 25201}) {
    p.MySt->LandX = x;
    P(1, 0).MySt->LandX = DBCOURT_W - x;
    EXPECT_EQ(std::make_pair(p.CheckLandEnPos(), P(1, 0).CheckLandEnPos()), std::make_pair(x > 25200, x > 25200));
  }
  P(0, 4).MySt->LandX = 40000;
  EXPECT_FALSE(P(0, 4).CheckLandEnPos());
  for (const int cpu : {0, 1, 2}) {
    sdt.DBGDt.DBCPUNum = cpu;
    EXPECT_EQ(std::make_pair(P(0, 0).CPU_f(), P(1, 0).CPU_f()), std::make_pair(cpu == 2, cpu >= 1)) << cpu;
  }
  sdt.DBGDt.DBCPUNum = 0;
  // Side 1's outfield sees its court unmirrored.
  P(1, 4).MyZahyou->X = 48000;
  EXPECT_EQ(P(1, 4).LeftCrtX(), 48000);
  // Control may change hands while the ball is loose or in the enemy's
  // hands, not while this side holds it or it flies as a throw.
  struct Case { DBBallMotionType m; int holder; bool may; };
  for (const Case& c : {Case{dbbFree, -1, true}, Case{dbbBound, -1, true}, Case{dbbHold, 1, true},
                        Case{dbbHold, 0, false}, Case{dbbShoot, -1, false}, Case{dbbPass, -1, false}}) {
    Ball().Motion = c.m;
    Ball().HoldTNo = c.holder;
    EXPECT_EQ(P(0, 2).CheckCangeCtrlBall(), c.may) << c.m << " " << c.holder;
  }
}

}  // namespace

namespace {

// Face cells by face number, the draw orders, and the wide and large bodies
// (placed 16 further left, the large one 32 higher).
TEST_F(PlayerSprite, FaceCellsDrawOrdersAndBodySizes) {
  AnimeData a{};
  BitMapData& f = gdt->DBBMPData[0];
  struct Case { uint8_t face, fz, size; std::vector<std::string> queue; };
  const std::string body = "0,0 32x32 @104,152";
  const Case cases[] = {
      {1, 0, 0, {body, "0,0 16x10 @104,152"}},
      {7, 0, 0, {body, "96,0 16x10 @104,152"}},
      {8, 0, 0, {body, "112,0 8x8 @104,152"}},
      {9, 0, 0, {body, "128,0 16x10 @104,152"}},
      {10, 0, 0, {body, "144,0 16x10 @104,152"}},
      {11, 0, 0, {body}},
      {1, 1, 0, {"0,0 16x10 @104,152", body}},
      {1, 3, 0, {"8,0 8x10 @112,152", body, "0,0 8x10 @104,152"}},
      {0, 0, 2, {"0,0 64x32 @88,152"}},
      {1, 0, 3, {"0,0 64x64 @88,120", "0,0 16x10 @88,120"}},
  };
  for (const Case& c : cases) {
    f.FaceNo = c.face, f.FZ = int8_t(c.fz), f.SrcSize = c.size;
    Fill(12000, 5600, mR, -1, false, &a);
    draw->OnDraw();
    EXPECT_EQ(Queue(), c.queue) << int(c.face) << " " << int(c.fz) << " " << int(c.size);
    al->Rendering();
  }
}

}  // namespace

namespace {

}  // namespace

namespace {

// Each control branch hands its decision on: the controlled human who
// strays over the centre line returns, a free man's behaviour is the one
// decided this frame, and the CPU's controlled holder chooses his targets.
TEST_F(MatchPlayer, EachBranchStoresTheBehaviourItDecided) {
  TDBPlayer& p = P(0, 0);
  T(0).TSt.CtrlNo = 0;
  // A human holder whose automatic move ends this frame aims again: with
  // nobody in his aim, at the nearest enemy, who becomes the enemy's
  // controlled man.
  p.BallGet(true);
  p.MyZahyou->SetMuki(mL);
  p.MyZahyou->SetMukiZ(mzN);
  p.SetMukiAglFromMuki();
  p.MySt->Auto.AutoType = dbaReturn;
  T(1).TSt.CtrlNo = 6;
  p.OnMove();
  EXPECT_EQ(Ball().ShTgTNo, 1);
  EXPECT_GE(Ball().ShTgPNo, 0);
  EXPECT_EQ(T(1).TSt.CtrlNo, Ball().ShTgPNo);
  Ball().Motion = dbbFree;
  Ball().HoldTNo = Ball().HoldPNo = -1;
  p.SetLCrtX(26000);
  p.MyZahyou->Z = 5000;
  p.OnMove();
  EXPECT_EQ(p.MySt->Auto.AutoType, dbaReturn);
  EXPECT_EQ(p.MySt->Auto.AMuki, maL);

  // In a catch slide (an action under way) the automatic mover stores
  // nothing itself.
  TDBPlayer& q = P(0, 2);
  q.SetMtype(dbmtCM, false);
  q.MySt->Auto.AutoType = dbaCPUCach;  // no human side's man decides this
  q.OnMove();
  EXPECT_EQ(q.MySt->Auto.AutoType, q.NextAuto.AutoType);
  EXPECT_NE(q.MySt->Auto.AutoType, dbaCPUCach);

  sdt.DBGDt.DBCPUNum = 2;
  T(1).TSt.CtrlNo = 0;
  Ball().Motion = dbbHold;
  Ball().HoldTNo = 1, Ball().HoldPNo = 0;
  Ball().PaTgTNo = Ball().PaTgPNo = -1;
  P(1, 0).OnMove();
  EXPECT_EQ(Ball().PaTgTNo, 1);
  EXPECT_GE(Ball().PaTgPNo, 0);
  sdt.DBGDt.DBCPUNum = 0;
}

}  // namespace
