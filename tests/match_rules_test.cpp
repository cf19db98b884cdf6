// Match rules that once went wrong, and the choices the match makes where its
// rules leave room.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "match/MatchMath.h"
#include "tests/MatchSoakKit.h"
#include "tests/match_ball_fixture.h"
#include "tests/match_control_fixture.h"

using namespace mctest;

namespace {

class MatchEnd : public WholeMatchFixture {};

// Three matches that once froze with the ball held for ever (the last one
// even with every other rule of the match as it is now), then a run of seeds
// over the game's teams and levels.
TEST_F(MatchEnd, EverySeededComputerMatchEnds) {
    struct Case {
        int32_t seed, team0, team1;
        DBDifficulty level;
    };
    std::vector<Case> cases = {{128, 7, 6, dbdfNomal}, {2386, 9, 20, dbdfEasy}, {2433, 12, 8, dbdfNomal}};
    for (int32_t s = 1; s <= 12; ++s) cases.push_back({s, s * 5 % 24, s * 7 % 24, DBDifficulty(s % 3)});
    for (const Case& c : cases) {
        game.SetUpMatch(2, c.level, c.team0, c.team1);
        SetRandSeed(c.seed);
        const MatchOutcome m = game.Play(60000);
        EXPECT_NE(m.Winner, -1) << "seed " << c.seed << " after " << m.Steps << " steps";
    }
}

// A set-up match names its sides, level and mode and puts every member on
// the position of his own number; a play stops at its step cap. The game
// object owns the tuning table until it goes.
TEST_F(MatchEnd, SetUpNamesTheSidesAndPlayStopsAtItsCap) {
    DBGameData& g = SC->SDt->DBGDt;
    for (auto& side : g.DBCharofP) std::fill(std::begin(side), std::end(side), -1);
    for (auto& side : g.DBPosofC) std::fill(std::begin(side), std::end(side), -1);
    MatchSetUp(1, dbdfHard, 3, 17);
    EXPECT_EQ(g.DBGM, dbgmTaisen);
    EXPECT_EQ(g.DBCPUNum, 1);
    EXPECT_EQ(g.DBDif, dbdfHard);
    EXPECT_EQ(g.DBTeamNo[0], 3);
    EXPECT_EQ(g.DBTeamNo[1], 17);
    for (int s = 0; s < DBSIDES; ++s)
        for (int p = 0; p < DBPOSITIONS; ++p) {
            EXPECT_EQ(g.DBCharofP[s][p], p);
            EXPECT_EQ(g.DBPosofC[s][p], p);
        }
    MatchSetUp(2, dbdfEasy, 0, 0);
    EXPECT_EQ(g.DBGM, dbgmKansen);
    SetRandSeed(3);
    const MatchOutcome m = game.Play(10);
    EXPECT_EQ(m.Steps, 10);
    EXPECT_EQ(m.Winner, -1);
    EXPECT_EQ(game.Glb.ADI, game.ADI.get());
    EXPECT_EQ(game.Glb.OC, &game.OC);
    EXPECT_EQ(game.Glb.FD, &game.FD);

    TGlbConst* const before = GC;
    {
        HeadlessGame bare;
        EXPECT_EQ(GC, &bare.Table);
        EXPECT_EQ(bare.Glb.ADI, nullptr);
        EXPECT_EQ(bare.Table.DB.DBETC.FCTOSAIMAG, CstDefaults().DBETC.FCTOSAIMAG);
        std::string why;
        EXPECT_FALSE(bare.Load(dir.string() + "/none/", why));
        EXPECT_FALSE(why.empty());
    }
    EXPECT_EQ(GC, before);
    plat::SetProgramFolder(dir.string() + "/");
}

class Rules : public Court {
protected:
    void SetUp() override {
        Court::SetUp();
        DB().DBETC.FCTOSAIMAG = 100;
        DB().DBSHOOT.SHOOTMAG = 100;
    }
    TDBTeam& T(int side) { return *objs->DBT[side]; }
};

TEST_F(Rules, ControlGoesBackToTheBallHolderOnceHeCanAct) {
    for (int cpuNum : {0, 2}) {
        sdt.DBGDt.DBCPUNum = uint8_t(cpuNum);
        Hold(P(0, 0));
        for (DBMotionFlag f : {dbmfDam, dbmfJpOK}) {  // crouching after a hit, then standing
            P(0, 0).MySt->Motion.MF = MFBit(f);
            Team(0).CtrlNo = 1;
            T(0).GetCtrl();
            EXPECT_EQ(Team(0).CtrlNo == 0, f == dbmfJpOK) << cpuNum;
        }
    }
}

// Only a human side's pad hands control to a pass receiver, and only a human
// catcher's pad carries a dash catch on into a dash.
TEST_F(Rules, ComputerSidesReadNoDevice) {
    T(1).DI = &di1;
    di1.Push(ScriptDI::Bit(cL));
    DB().DBPASS.PACAJPTIME = 4;
    for (int cpuNum : {0, 2}) {
        sdt.DBGDt.DBCPUNum = uint8_t(cpuNum);
        Team(1).CtrlNo = 0;
        Ball().Motion = dbbPass;
        Ball().PaTgTNo = 1, Ball().PaTgPNo = 2, Ball().PaETA_c = 5;
        T(1).GetCtrl();
        EXPECT_EQ(Team(1).CtrlNo, cpuNum == 0 ? 2 : 0) << cpuNum;
    }
}

class CatchRules : public BallFixture {};

TEST_F(CatchRules, AComputerCatcherDoesNotDashOnByAPad) {
    ScriptDI pad;
    pad.Hold(ScriptDI::Bit(cL));
    for (auto& r : hub->ADBRankDt) r.CaT.CaFrm_G = 6;
    sdt.DBGDt.DBDif = dbdfNomal;
    InitPlayers();
    TDBPlayer& h = P(1, 0);
    h.DI = &pad;
    for (int cpuNum : {0, 2}) {
        sdt.DBGDt.DBCPUNum = uint8_t(cpuNum);
        Place(h.MyZahyou->X, 1000, h.MyZahyou->Z, 600, 0, 0);
        ball->SetMType(dbbShoot);
        st().ShSt.HSNo = dbhNML;
        st().PichTNo = 0, st().PichPNo = 0;
        h.SetMtype(dbmtDs, true);
        h.SetMtype(dbmtCa, true);  // a catch on the run, facing left toward the ball
        h.MySt->Catch_c = 0;
        h.MySt->MukiAgl = 6;
        ball->Shootman = &P(0, 0);
        ball->Hitman = &h;
        ball->ShootHit();
        ASSERT_EQ(st().HoldTNo, 1) << cpuNum;
        EXPECT_EQ(h.MySt->Motion.Mtype, cpuNum == 0 ? dbmtDs : dbmtCM) << cpuNum;
    }
}

TEST_F(Rules, OnlyTheHolderLetsTheBallGo) {
    // Every frame of the throwing and line-crossing motions releases.
    auto frames = std::make_unique<TGrpData>();
    for (int mno : {12, 13, 14, 15, 34})
        for (auto& f : frames->DBBsmData[mno].Frame) f.Ani.ActP_f = 1;
    hub->GDt = frames.get();
    for (DBMotionType m : {dbmtSh, dbmtPa, dbmtOvL}) {
        Hold(P(0, 1));
        P(0, 0).SetMtype(dbmtSt, true);
        P(0, 0).SetMtype(m, false);
        EXPECT_EQ(Ball().Motion, dbbHold) << int(m);
        EXPECT_EQ(Ball().HoldPNo, 1) << int(m);
    }
    P(0, 1).SetMtype(dbmtSh, false);
    EXPECT_EQ(Ball().Motion, dbbShoot);  // the holder does throw
    hub->GDt = nullptr;
}

// A steep jump shot with no target: the climb limit stretches its path but
// never turns its depth round, up to a vertical throw.
TEST_F(Rules, AShotWithoutATargetKeepsItsFacingsDepth) {
    DBSHOOTRec& s = DB().DBSHOOT;
    s.NOTAGAGL = 60, s.LIMITAGLX = 60, s.LIMITAGLZ = 100;
    TDBPlayer& me = P(0, 0);
    for (MukiZType mz : {mzF, mzB})
        for (int angle : {30, 55, 70, 89, 90}) {
            s.NOTAGJSAGLY = angle;
            Face(me, mR, mz);
            me.MySt->Motion.MF = MFBit(dbmfAr);
            me.SetShoot(true);
            EXPECT_GT(BallZ().dX, 0) << angle;
            EXPECT_LT(BallZ().dZ * (mz == mzF ? 1 : -1), 0) << "facing " << int(mz) << " at " << angle;
        }
}

TEST_F(Rules, TheSeekingShotAimsWithTheHeightToItsTarget) {
    DBShootData& row = hub->ADBShootDt[dbhMOZ];
    row.Etc[0] = 0;     // no climb
    row.Etc[1] = 1000;  // speed while seeking
    Place(P(1, 0), 30000, 5600);
    BallZ().X = 10000, BallZ().Y = 20000, BallZ().Z = 5600;
    Ball().Motion = dbbShoot;
    Ball().ShSt.HSNo = dbhMOZ;
    Ball().ShTgTNo = 1, Ball().ShTgPNo = 0, Ball().PichTNo = 0, Ball().PichPNo = 0;
    objs->DBall->OnMove();
    // 20000 along and 20000 down: the floor gets 1/sqrt(2) of the speed.
    EXPECT_EQ(BallZ().dX, matchmath::Trunc(1000 / std::sqrt(2.0)));
    EXPECT_EQ(BallZ().dZ, 0);
}

TEST_F(Rules, APlayerWhoIsOutCutsNoPass) {
    Place(P(0, 2), 20000, 5000);
    Place(P(1, 0), 21000, 5000);  // nearest, but out
    Place(P(1, 1), 26000, 5000);
    Place(P(1, 2), 40000, 5000);
    P(1, 0).MySt->Dead_f = 1;
    Ball().PaTgPNo = 2;
    P(0, 0).PaCutSet();
    EXPECT_EQ(Ball().PaCtPNo, 1);
}

// "Not read for a CPU side" is about the pad: a computer's dash jump still
// goes the way of the dash.
TEST_F(Rules, AComputerDashJumpGoesTheWayOfItsDash) {
    sdt.DBGDt.DBCPUNum = 2;
    for (auto& r : hub->ADBRankDt) r.Spd.DSJPX = 500;
    TDBPlayer& me = P(0, 0);
    me.MyZahyou->SetDashMuki(mL);
    me.SetMtype(dbmtDs, true);
    me.SetMtype(dbmtJCr, false);
    for (int i = 0; i < 10 && me.MySt->Motion.Mtype == dbmtJCr; ++i) me.MCCount();
    EXPECT_EQ(me.MySt->Motion.Mtype, dbmtJ2);
    EXPECT_EQ(me.MyZahyou->dX, -500);
}

// The easy computer's attack has no random delay and draws no number for it.
TEST_F(Rules, AnEasyComputerAttackTakesOneDrawFewer) {
    sdt.DBGDt.DBCPUNum = 2;
    TDBPlayer& me = P(0, 0);
    Hold(me);
    uint64_t draws[2];
    for (DBDifficulty d : {dbdfEasy, dbdfNomal}) {
        sdt.DBGDt.DBDif = d;
        SetRandSeed(7);
        ResetRandomDraws();
        me.NextAuto = DBStAuto{};
        me.CheckShootCPU();
        ASSERT_EQ(me.NextAuto.AutoType, dbaCPUSht);
        draws[d == dbdfEasy ? 0 : 1] = RandomDraws();
    }
    EXPECT_EQ(draws[1], draws[0] + 1);
}

// The moves back to the formation points wait while a mate holds the ball.
TEST_F(Rules, AFormationMoveWaitsWhileAMateHoldsTheBall) {
    TDBPlayer& me = P(0, 1);
    Place(me, 9000, 3000);
    Team(0).PosMove.EnC_f = 1;
    Team(0).PosMove.Inf_f[1] = 1;
    Hold(P(0, 0));
    me.NextAuto = DBStAuto{};
    me.CheckMovePos();
    EXPECT_EQ(me.NextAuto.AutoType, dbaFree);
    Hold(P(1, 0));
    me.CheckMovePos();
    EXPECT_EQ(me.NextAuto.AutoType, dbaPos2);
}

// A dash catch that has just taken the ball runs on with it.
TEST_F(Rules, ADashCatchRunsOnWithTheBall) {
    TDBPlayer& me = P(0, 0);
    Team(0).CtrlNo = 0;
    me.MyZahyou->SetDashMuki(mR);
    me.SetMtype(dbmtDs, true);
    me.SetMtype(dbmtCa, false);
    Hold(me);
    di0.Hold(ScriptDI::Bit(cR));
    me.SelfCtrl();
    EXPECT_EQ(me.MySt->Motion.Mtype, dbmtDs);
}

// Offsets across the whole int32 range, whose squares once overflowed, and
// reals no int32 holds.
TEST(MatchMath, ConversionsStayInsideInt32) {
    using namespace matchmath;
    const int64_t span = int64_t(INT32_MAX) - INT32_MIN;
    EXPECT_EQ(Dist(3, -4), 5);
    EXPECT_EQ(Dist(span, span), INT32_MAX);
    EXPECT_EQ(Trunc(-2.9), -2);
    EXPECT_EQ(Trunc(std::nan("")), 0);
    EXPECT_EQ(Trunc(1e300), INT32_MAX);
    EXPECT_EQ(Trunc(-HUGE_VAL), INT32_MIN);
}

TEST(SaveImage, StoresZeroPaddingAndBooleansAsZeroOrOne) {
    auto sv = std::make_unique<QuickSaveData>();
    std::memset(sv.get(), 0xA5, sizeof *sv);
    const std::vector<uint8_t> bytes = QuickSaveToBytes(*sv);
    const size_t player = offsetof(QuickSaveData, ADBPSt), ball = offsetof(QuickSaveData, DBBallSt);
    const size_t team = offsetof(QuickSaveData, DBTSt), game = offsetof(QuickSaveData, DBGDt);
    // Booleans: a player's Dead_f and Tame_f, the ball's PaJC_f and NmlSh_f,
    // a team's EnC_f and PosReset_f, the slow rule.
    // The last of a team's four formation flags and of the two default-team
    // flags too.
    const size_t infFlags = team + offsetof(DBTeamState, PosMove) + offsetof(DBPosMove, Inf_f);
    for (size_t at : {player + 124, player + 12 + 16, ball + 200, ball + 112 + 60, team + 8,
                      team + 72, game + 2, infFlags + 3, game + 10 + 1})
        EXPECT_EQ(bytes[at], 1) << at;
    // Padding of the same records and of a coordinate record.
    for (size_t at : {player + 3, player + 125, player + 255, ball + 1, ball + 287, team + 73,
                      game + 125, size_t(offsetof(QuickSaveData, ADBZahyou) + 3),
                      size_t(offsetof(QuickSaveData, DBBallZahyou) + 3)})
        EXPECT_EQ(bytes[at], 0) << at;
    EXPECT_EQ(bytes[player + 128], 0xA5);  // numbers are kept as they are
}

}  // namespace
