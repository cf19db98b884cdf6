// The ball: flight, gravity, bounces, walls, landing predictions, whose court
// it is on, and the paths of special shots.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "graphics/ALAddLib.h"
#include "input/DILib.h"
#include "match/clsBall.h"
#include "match/clsBallUtil.h"
#include "shell/GlbConst.h"
#include "shell/GlbRecord.h"
#include "sound/OggDataLib.h"
#include "graphics/dddd.h"
#include "shell/clsAllTx.h"
#include "tests/match_ball_fixture.h"

using BallFlight = BallFixture;

// A new match clears whatever the last one left: a still ball at the centre
// line, facing left, bouncing.
TEST_F(BallFlight, StartsBouncingAtTheCentreLine) {
    Place(100, 200, 300, 4, 5, 6);
    bz().SetMuki(mR);
    bz().Pri = 7;
    st().Motion = dbbHold;
    st().HoldTNo = 1, st().PichTNo = 1, st().NoHit_c = 3;
    st().ShSt.Spin_c = 9, st().ShSt.HSNo = dbhSCR;
    ball->OnInit();
    EXPECT_EQ(st().Motion, dbbBound);
    EXPECT_EQ((std::array<int32_t, 6>{bz().X, bz().Y, bz().Z, bz().dX, bz().dY, bz().dZ}),
              (std::array<int32_t, 6>{25600, 0, 5600, 0, 0, 0}));
    EXPECT_EQ(bz().Muki(), mL);
    EXPECT_EQ(bz().Pri, 0);
    EXPECT_EQ(st().HoldTNo, -1);
    EXPECT_EQ(st().PichTNo, 0);
    EXPECT_EQ(st().NoHit_c, 0);
    EXPECT_EQ(st().ShSt.Spin_c, 0);
    EXPECT_EQ(st().ShSt.HSNo, 0);
}

// Rows of the tables and players are looked up only inside the tables and
// the court's positions.
TEST_F(BallFlight, LooksUpOnlyInsideItsTables) {
    EXPECT_EQ(ball->PlayerAt(1, 6), &P(1, 6));
    EXPECT_EQ(ball->PlayerAt(0, 0), &P(0, 0));
    for (auto [s, p] : {std::pair{-1, 0}, {2, 0}, {0, -1}, {0, 7}})
        EXPECT_EQ(ball->PlayerAt(s, p), nullptr) << s << " " << p;
    st().ShSt.HSNo = dbhWID;
    EXPECT_EQ(ball->HSRow(), &hub->ADBShootDt[dbhWID]);
    st().ShSt.HSNo = dbhBYO;
    EXPECT_EQ(ball->HSRow(), &hub->ADBShootDt[0]);
    st().ShSt.HSNo = dbhNML;
    EXPECT_EQ(ball->HSRow(), nullptr);
    EXPECT_EQ(&ball->BPRow(-1), &hub->ADBRankDt[0].BP);
    EXPECT_EQ(&ball->BPRow(3), &hub->ADBRankDt[3].BP);
    EXPECT_EQ(&ball->BPRow(DBRANK_ROWS), &hub->ADBRankDt[DBRANK_ROWS - 1].BP);
}

TEST_F(BallFlight, PassFollowsItsGravity) {
    Place(10000, 5000, 5000, 100, 50, -20);
    st().Motion = dbbPass;
    st().PaGrv = 10;
    for (int i = 0; i < 3; ++i) ball->OnMove();
    EXPECT_EQ(bz().X, 10300);
    EXPECT_EQ(bz().Y, 5000 + 40 + 30 + 20);
    EXPECT_EQ(bz().Z, 4940);
    EXPECT_EQ(bz().dY, 20);
}

TEST_F(BallFlight, NeverFallsFasterThan800) {
    table.DB.DBB.BWGRV = 100000;
    Place(20000, 400000, 5000, 0, 0, 0);
    st().Motion = dbbBound;
    ball->OnMove();
    EXPECT_EQ(bz().dY, -800);
    EXPECT_EQ(bz().Y, 400000 - 800);
}

// One step at the hall's edges: walls reflect and damp the ball (the wall
// line itself is no contact), the ceiling stops a pass or a shot but neither
// a bouncing ball nor the lock-on shot, and the floor takes at most BWMAXDY
// of the fall before the bounce. A shot leaves the floor at its bounce speed,
// along its own angle when steep, lifted to BWMINDYPERDX percent of its run
// when shallow, straight back up when it fell straight down; any other ball
// bounces damped unless it falls at BWENDDY or slower.
TEST_F(BallFlight, HallEdges) {
    hub->ADBRankDt[2].BP.BwSp = 100;  // 320 a step
    hub->ADBShootDt[dbhSCR].BwSp = 50;
    using V = std::array<int32_t, 6>;
    struct Case {
        const char* name;
        DBBallMotionType m;
        DBHSType hs;
        V start, end;
        DBBallMotionType after;
    };
    const Case cases[] = {
        {"right wall", dbbPass, dbhNML, {51150, 3000, 5000, 200, 0, 100},
         {51200, 3000, 5100, -100, 0, 40}, dbbBound},
        {"right wall line", dbbPass, dbhNML, {51100, 3000, 5000, 100, 0, 0},
         {51200, 3000, 5000, 100, 0, 0}, dbbPass},
        {"left wall", dbbPass, dbhNML, {100, 3000, 5000, -200, 0, 0}, {0, 3000, 5000, 100, 0, 0},
         dbbBound},
        {"left wall line", dbbPass, dbhNML, {200, 3000, 5000, -200, 0, 0},
         {0, 3000, 5000, -200, 0, 0}, dbbPass},
        {"back wall", dbbPass, dbhNML, {20000, 3000, 11100, 200, 0, 300},
         {20200, 3000, 11200, 100, 0, -120}, dbbBound},
        {"back wall line", dbbPass, dbhNML, {20000, 3000, 11000, 0, 0, 200},
         {20000, 3000, 11200, 0, 0, 200}, dbbPass},
        {"front wall", dbbPass, dbhNML, {20000, 3000, 100, 200, 0, -300},
         {20200, 3000, 0, 100, 0, 120}, dbbBound},
        {"ceiling", dbbPass, dbhNML, {20000, 409500, 5000, 100, 100, 0},
         {20100, 409600, 5000, 0, 0, 0}, dbbBound},
        {"just under the ceiling", dbbPass, dbhNML, {20000, 409498, 5000, 100, 101, 0},
         {20100, 409599, 5000, 100, 101, 0}, dbbPass},
        {"ceiling, shot", dbbShoot, dbhNML, {20000, 409500, 5000, 100, 200, 0},
         {20100, 409600, 5000, 0, 0, 0}, dbbBound},
        {"ceiling, bouncing", dbbBound, dbhNML, {20000, 409500, 5000, 100, 20000, 0},
         {20100, 409600, 5000, 100, 19993, 0}, dbbBound},
        {"ceiling, lock-on shot", dbbShoot, dbhMOZ, {20000, 409500, 5000, 100, 200, 0},
         {20100, 409600, 5000, 100, 200, 0}, dbbShoot},
        {"floor, falling fast", dbbPass, dbhNML, {20000, 100, 5000, 300, -800, 100},
         {20300, 0, 5100, 90, 340, 20}, dbbBound},
        // Falling at exactly BWENDDY it stops and lies free; one faster bounces.
        {"floor, at the bounce limit", dbbPass, dbhNML, {20000, 50, 5000, 300, -100, 0},
         {20300, 0, 5000, 0, 0, 0}, dbbFree},
        {"floor, one faster", dbbBound, dbhNML, {20000, 50, 5000, 300, -94, 100},
         {20300, 0, 5100, 90, 41, 20}, dbbBound},
        {"floor, shot straight down", dbbShoot, dbhNML, {20000, 50, 5000, 0, -100, 0},
         {20000, 0, 5000, 0, 100, 0}, dbbBound},
        // h = 100, c = 150 kept; l = 180.28: 177 along (60 : 80), 266 up.
        {"floor, steep shot", dbbShoot, dbhNML, {20000, 100, 5000, 60, -150, 80},
         {20060, 0, 5080, 106, 266, 141}, dbbBound},
        // c lifted to 1000: 320 along the 45-degree line.
        {"floor, shallow shot", dbbShoot, dbhNML, {20000, 50, 5000, 1000, -100, 0},
         {21000, 0, 5000, 226, 226, 0}, dbbBound},
        {"floor, shallow special shot", dbbShoot, dbhSCR, {20000, 50, 5000, 1000, -100, 0},
         {21000, 0, 5000, 113, 113, 0}, dbbBound},
    };
    for (const Case& c : cases) {
        const V& a = c.start;
        Place(a[0], a[1], a[2], a[3], a[4], a[5]);
        st().Motion = c.m;
        st().PaGrv = 0;
        st().ShSt = DBShootState{};
        st().ShSt.HSNo = c.hs;
        st().ShSt.ShLv = 2;
        st().ShTgPNo = -1;
        st().LandSet_f = 1, st().LandX = -1;
        oc.SERsv.reset();
        ball->Moving();
        const TZahyou& z = bz();
        EXPECT_EQ((V{z.X, z.Y, z.Z, z.dX, z.dY, z.dZ}), c.end) << c.name;
        EXPECT_EQ(st().Motion, c.after) << c.name;
        EXPECT_EQ(bool(oc.SERsv[14]), z.Y == 0) << c.name;  // every floor contact sounds
        // A bounce off the floor or a new bounce predicts its landing afresh.
        if (c.after == dbbBound) {
            EXPECT_EQ(st().LandX != -1, z.Y == 0 || c.m != dbbBound) << c.name;
        }
    }
}

// The ball's questions about sides, teams and players: one computer player
// plays side 1; a team is all out once its four infielders are; and a side,
// settings, sound or player that is not there (or not yet set up) is
// answered with "nothing" and never read.
TEST_F(BallFlight, QuestionsAboutSidesTeamsAndPlayers) {
    using namespace ballutil;
    for (auto [n, side, cpu] : {std::array{0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {1, 1, 1}, {2, 0, 1},
                                {2, 1, 1}}) {
        sdt.DBGDt.DBCPUNum = uint8_t(n);
        EXPECT_EQ(IsCPUSide(hub.get(), side), bool(cpu)) << n << " " << side;
    }
    for (int side = 0; side < DBSIDES; ++side)
        for (int standing = -1; standing < DBPOSITIONS; ++standing) {
            for (int k = 0; k < DBPOSITIONS; ++k) hub->ADBPSt[side][k].Dead_f = k != standing;
            EXPECT_EQ(TeamAllDead(hub.get(), side), standing < 0 || standing > 3) << standing;
        }
    EXPECT_FALSE(TeamAllDead(hub.get(), 2));
    EXPECT_FALSE(TeamAllDead(hub.get(), -1));
    EXPECT_FALSE(TeamAllDead(nullptr, 1));
    EXPECT_EQ(TeamCtrlNo(hub.get(), 2), -1);
    EXPECT_EQ(TeamCtrlNo(nullptr, 0), -1);
    EXPECT_FALSE(IsCPUSide(nullptr, 1));
    TGlobalSAI quiet{nullptr};  // no sound controller
    SEPlay(&quiet, 1), SESet(&quiet, 1), SEStop(&quiet, 1);
    EXPECT_EQ(TeamCtrlNo(hub.get(), -1), -1);
    hub->SDt = nullptr;
    hub->AO = nullptr;
    EXPECT_FALSE(IsCPUSide(hub.get(), 1));
    EXPECT_EQ(TeamCtrlNo(hub.get(), 0), -1);
    hub->SDt = &sdt;
    hub->AO = objs.get();

    // Players not yet set up: no abilities, frame or motion, and a team with
    // any such player is not asked to seek its controlled man.
    TDBPlayer& bare = P(0, 0);
    for (int s = 0; s < DBSIDES; ++s)
        for (int p = 1; p < DBPOSITIONS; ++p) P(s, p).OnInit();
    EXPECT_EQ(&MnrOf(&bare), &MnrOf(nullptr));
    EXPECT_EQ(&PlayerFrameAni(&bare), &PlayerFrameAni(nullptr));
    PlayerSetMtype(&bare, dbmtDn, false);
    for (auto& t : objs->DBT) t->OnInit(), t->TSt.CtrlNo = 3;
    ball->SetMType(dbbFree);
    EXPECT_EQ(objs->DBT[0]->TSt.CtrlNo, 3);
    EXPECT_EQ(objs->DBT[1]->TSt.CtrlNo, 3);
    // Players set up: only a team that is set up seeks (the man nearest).
    InitPlayers();
    std::fill(std::begin(objs->DBT[0]->MyDB6), std::end(objs->DBT[0]->MyDB6), nullptr);
    const TZahyou& near = *P(1, 2).MyZahyou;
    Place(near.X, 0, near.Z, 0, 0, 0);
    ball->SetMType(dbbFree);
    EXPECT_EQ(objs->DBT[0]->TSt.CtrlNo, 3);
    EXPECT_EQ(objs->DBT[1]->TSt.CtrlNo, 2);
}

// A state change clears the holder and the landing prediction, zeroes a new
// shot's state, and tells the teams what the change asks of them: a ball
// that comes loose makes both re-seek their controlled man and regroup, a
// ball taken or thrown makes the side(s) concerned regroup.
TEST_F(BallFlight, StateChangesClearTheHolderAndResetTheTeams) {
    InitPlayers();
    for (auto& t : objs->DBT) t->OnInit();
    struct Case {
        DBBallMotionType from, to;
        bool reset0, reset1, seek;
    };
    const Case cases[] = {
        {dbbHold, dbbFree, true, true, true},     {dbbShoot, dbbHold, true, true, false},
        {dbbHold, dbbHold, false, false, false},  {dbbHold, dbbShoot, false, false, false},
        {dbbHold, dbbPass, false, true, false},   {dbbPass, dbbBound, true, true, true},
        {dbbBound, dbbBound, false, false, false},
    };
    const TZahyou& near = *P(0, 1).MyZahyou;
    Place(near.X, 0, near.Z, 0, 0, 0);
    for (const Case& c : cases) {
        st().Motion = c.from;
        st().HoldTNo = 0, st().HoldPNo = 2, st().EnemTNo = 1;
        st().LandSet_f = 1;
        st().ShSt.ShPow = 9;
        for (auto& t : objs->DBT) t->TSt.PosReset_f = 0, t->TSt.CtrlNo = 3;
        ball->SetMType(c.to);
        const int n = int(&c - cases);
        EXPECT_EQ(st().Motion, c.to) << n;
        EXPECT_EQ(st().HoldTNo, -1) << n;
        EXPECT_EQ(st().HoldPNo, -1) << n;
        EXPECT_FALSE(st().LandSet_f) << n;
        EXPECT_EQ(st().ShSt.ShPow, c.to == dbbShoot ? 0 : 9) << n;
        EXPECT_EQ(bool(objs->DBT[0]->TSt.PosReset_f), c.reset0) << n;
        EXPECT_EQ(bool(objs->DBT[1]->TSt.PosReset_f), c.reset1) << n;
        EXPECT_EQ(objs->DBT[0]->TSt.CtrlNo, c.seek ? 1 : 3) << n;
    }
}

// Taking the ball stops it and makes the taker the thrower; both teams count
// their enemy centre afresh, and a pass taken by the passer's own side makes
// the enemy wait a whole regroup interval.
TEST_F(BallFlight, TakingTheBallStopsItAndMakesTheTakerTheThrower) {
    struct Case {
        DBBallMotionType from;
        int taker;
        bool enemyWaits;
    };
    const Case cases[] = {{dbbPass, 0, true}, {dbbPass, 1, false}, {dbbBound, 0, false}};
    for (const Case& c : cases) {
        Place(1000, 2000, 3000, 7, 8, 9);
        st().Motion = c.from;
        st().PichTNo = 0, st().EnemTNo = 1;
        for (auto& t : objs->DBT) t->TSt.PosMove.EnC_c = 5, t->TSt.PosMove.Inf_c = 3;
        ball->SetMTypeHold(c.taker, 2);
        const int n = int(&c - cases);
        EXPECT_EQ(st().Motion, dbbHold) << n;
        EXPECT_EQ((std::array<int32_t, 5>{st().HoldTNo, st().HoldPNo, st().PichTNo, st().PichPNo,
                                          st().EnemTNo}),
                  (std::array<int32_t, 5>{c.taker, 2, c.taker, 2, 1 - c.taker}))
            << n;
        EXPECT_EQ((std::array<int32_t, 3>{bz().dX, bz().dY, bz().dZ}),
                  (std::array<int32_t, 3>{0, 0, 0}))
            << n;
        EXPECT_EQ(objs->DBT[0]->TSt.PosMove.EnC_c, 0) << n;
        EXPECT_EQ(objs->DBT[1]->TSt.PosMove.EnC_c, 0) << n;
        EXPECT_EQ(objs->DBT[0]->TSt.PosMove.Inf_c, 3) << n;
        EXPECT_EQ(objs->DBT[1]->TSt.PosMove.Inf_c, c.enemyWaits ? table.DB.DBNAIYA.IPOSITV : 3)
            << n;
    }
}

// The counters of one step by state: a lying, held or bouncing ball is a
// plain visible ball; a bouncing, passed or shot ball spins; passes and shots
// count their through time down, a pass its arrival time, a shot its steps.
TEST_F(BallFlight, CountersRunByState) {
    struct Case {
        DBBallMotionType m;
        DBHSType hs;
        DBHSType hsAfter;
        int32_t spin, noHit, eta, hsc;
    };
    const Case cases[] = {
        {dbbFree, dbhSCR, dbhNML, 100, 2, 5, 7},  {dbbHold, dbhSCR, dbhNML, 100, 2, 5, 7},
        {dbbBound, dbhSCR, dbhNML, 110, 2, 5, 7}, {dbbPass, dbhSCR, dbhNML, 110, 1, 4, 7},
        {dbbShoot, dbhNML, dbhNML, 110, 1, 5, 8},
    };
    for (const Case& c : cases) {
        st().Motion = c.m;
        DBShootState& sh = st().ShSt;
        sh.HSNo = c.hs, sh.Spin = 10, sh.Spin_c = 100, sh.HS_c = 7;
        st().AniNo = 3, st().Invs_f = 1, st().NoHit_c = 2, st().PaETA_c = 5;
        ball->MCCount();
        const int n = int(&c - cases);
        EXPECT_EQ(sh.HSNo, c.hsAfter) << n;
        EXPECT_EQ((std::array<int32_t, 4>{sh.Spin_c, st().NoHit_c, st().PaETA_c, sh.HS_c}),
                  (std::array<int32_t, 4>{c.spin, c.noHit, c.eta, c.hsc}))
            << n;
        EXPECT_EQ(st().AniNo, 0) << n;
        EXPECT_FALSE(st().Invs_f) << n;
    }
    // An arrival time of -1 means none and stays; through time stops at 0.
    st().Motion = dbbPass;
    st().PaETA_c = -1, st().NoHit_c = 0;
    ball->MCCount();
    EXPECT_EQ(st().PaETA_c, -1);
    EXPECT_EQ(st().NoHit_c, 0);
    st().PaETA_c = 0;
    ball->MCCount();
    EXPECT_EQ(st().PaETA_c, -1);
    // The spin wraps at eight frames of 100.
    st().ShSt.Spin = 300, st().ShSt.Spin_c = 600;
    ball->MCCount();
    EXPECT_EQ(st().ShSt.Spin_c, 0);
}

TEST_F(BallFlight, AfterImagesFollowAShotEveryFourthStep) {
    Place(10000, 3000, 5000, 100, 10, 20);
    ball->SetMType(dbbShoot);
    st().ShSt.HSNo = dbhNML;
    st().ShSt.Spin = 30;
    for (int i = 0; i < 5; ++i) ball->OnMove();
    // Written on steps 1 and 5 of the shot, the older one moved down.
    using V = std::array<int32_t, 3>;
    EXPECT_EQ((V{st().ZnX[3], st().ZnY[3], st().ZnZ[3]}), (V{10500, 3050, 5100}));
    EXPECT_EQ((V{st().ZnX[2], st().ZnY[2], st().ZnZ[2]}), (V{10100, 3010, 5020}));
    EXPECT_EQ(st().ZnSp[3], 150);
    EXPECT_EQ(st().Zn_c, 4);
    st().Motion = dbbBound;
    ball->SetZanzouPos();
    for (int i = 0; i < 4; ++i) EXPECT_EQ((V{st().ZnX[i], st().ZnY[i], st().ZnZ[i]}), (V{-1, -1, -1}));
}

using BallLanding = BallFixture;

TEST_F(BallLanding, FallTimeCountsTheRiseAndTheFallFromTheApex) {
    // Up at 70 under 7: 10 steps to an apex 4900 / 14 = 350 higher, then
    // sqrt(700 / 7) = 10 steps down.
    EXPECT_EQ(BallFallTime(70, 0, 7), 20);
    // Up at 20 from 1000: 400 / 14 = 28 higher, sqrt(2056 / 7) = 17.1 down,
    // plus 20 div 7 = 2.
    EXPECT_EQ(BallFallTime(20, 1000, 7), 19);
    // Already falling at 70 at the floor: the apex term is 7 x 100 / 2 = 350,
    // 10 steps, less the 10 already fallen.
    EXPECT_EQ(BallFallTime(-70, 0, 7), 0);
    // Falling at 20 from 1000: q = -2, H = 7 x 4 / 2 + 1000 = 1014,
    // sqrt(2028 / 7) = 17.02, less 2.
    EXPECT_EQ(BallFallTime(-20, 1000, 7), 15);
    // The weakest gravity, 1: up at 10 from the floor, H = 100 / 2 = 50,
    // sqrt(100) = 10 steps down after 10 up. No gravity never lands.
    EXPECT_EQ(BallFallTime(10, 0, 1), 20);
    EXPECT_EQ(BallFallTime(10, 100, 0), 0);
}

TEST_F(BallLanding, ShotPredictsAStraightDescentAlongItsFlight) {
    Place(20000, 1000, 5000, 300, -100, -20);
    ball->SetMType(dbbShoot);
    st().ShSt.HSNo = dbhNML;
    st().ShSt.fdX = 500, st().ShSt.fdY = -200, st().ShSt.fdZ = 40;
    st().CrvX = 100, st().CrvZ = 20;
    // A plain shot lands along its velocity and curve: 10 steps.
    ball->GetShootLandPos();
    EXPECT_TRUE(st().Land_f);
    EXPECT_EQ(st().LandX, 20000 + 400 * 10);
    EXPECT_EQ(st().LandZ, 5000);
    // So does a special shot that keys may curve.
    st().ShSt.HSNo = dbhSCR;
    hub->ADBShootDt[dbhSCR].Crv_f = 1;
    ball->GetShootLandPos();
    EXPECT_EQ(st().LandX, 24000);
    // One that no key curves lands along its base velocity: 5 steps.
    hub->ADBShootDt[dbhSCR].Crv_f = 0;
    ball->GetShootLandPos();
    EXPECT_EQ(st().LandX, 20000 + 500 * 5);
    EXPECT_EQ(st().LandZ, 5000 + 40 * 5);
    // A rising shot has no landing point and predicts where it is.
    st().ShSt.HSNo = dbhNML;
    bz().dY = 10;
    st().LandX = 0;
    ball->GetShootLandPos();
    EXPECT_FALSE(st().Land_f);
    EXPECT_EQ(st().LandX, 20000);
}

// Each state predicts its landing with its own gravity: a pass with its
// pass gravity, a bouncing ball with FCDIV(BWGRV); a lying or held ball
// lands where it is.
TEST_F(BallLanding, EachStateLandsUnderItsOwnGravity) {
    table.DB.DBETC.FCTOSAIMAG = 200;
    table.DB.DBB.BWGRV = 14;  // 7 a step
    Place(20000, 10000, 5600, 100, 0, 0);
    st().Motion = dbbPass;
    st().PaGrv = 50;
    ball->Moving();
    // After the step: falling at 50 from 9950, H = 25 + 9950,
    // trunc(sqrt(19950 / 50)) - 1 = 18 steps.
    EXPECT_EQ(st().LandX, 20100 + 100 * 18);
    Place(20000, 10000, 5600, 100, 0, 0);
    st().Motion = dbbBound;
    ball->Moving();
    // Falling at 7 from 9993: H = 3 + 9993, trunc(sqrt(19992 / 7)) - 1 = 52.
    EXPECT_EQ(st().LandX, 20100 + 100 * 52);
    // A plain shot along its straight descent: 9900 / 100 = 99 steps.
    Place(20000, 10000, 5600, 100, -100, 0);
    ball->SetMType(dbbShoot);
    st().ShSt.HSNo = dbhNML;
    ball->Moving();
    EXPECT_EQ(st().LandX, 20100 + 100 * 99);
    for (DBBallMotionType m : {dbbFree, dbbHold}) {
        Place(20000, 0, 5600, 0, 0, 0);
        st().Motion = m;
        st().LandX = st().LandZ = st().Land_f = 0;
        ball->Moving();
        EXPECT_EQ((std::array<int32_t, 3>{st().LandX, st().LandZ, st().Land_f}),
                  (std::array<int32_t, 3>{20000, 5600, 1}));
    }
}

// Line points of a falling ball's landing: past the inset lines (9000 and
// 42200 across, 2600 and 8800 in depth) the point on the line along the
// path; a landing clamped to the hall; a ball falling straight down outside
// a line keeps its landing depth. From 700 under 7 a ball falls 14 steps.
TEST_F(BallLanding, LinePointsOfTheLanding) {
    using V = std::array<int32_t, 5>;
    struct Case {
        int32_t x, z, dx, dz;
        V land;  // LandX, LandZ, LandXLine, LandZLine, LandLine_f
    };
    const Case cases[] = {
        {20000, 5000, 0, 0, {20000, 5000, 20000, 5000, 0}},
        {9000, 5000, 0, 0, {9000, 5000, 9000, 5000, 0}},
        {42200, 8800, 0, 0, {42200, 8800, 42200, 8800, 0}},
        {42201, 5000, 0, 0, {42201, 5000, 42200, 5000, 1}},
        {1000, 5000, -300, 0, {0, 5000, 9000, 5000, 1}},
        {20000, 2600, 0, 0, {20000, 2600, 20000, 2600, 0}},
        {20000, 2599, 0, 0, {20000, 2599, 20000, 2600, 1}},
        // 3000 of the 4200 across: 71 percent of the 280 in depth.
        {12000, 5600, -300, 20, {7800, 5880, 9000, 5798, 1}},
        {5000, 5000, 0, 100, {5000, 6400, 9000, 6400, 1}},
        // 2200 of the 4200 across: 52 percent of the 700 in depth.
        {40000, 5600, 300, 50, {44200, 6300, 42200, 5964, 1}},
        // 800 of the 1400 in depth: 57 percent of the 1400 across.
        {20000, 8000, 100, 100, {21400, 9400, 20798, 8800, 1}},
        // Clamped to the hall at both ends; the depth line, worked out last,
        // sets the line point: 1600 of the 1000 in depth is 160 percent.
        {51000, 1000, 300, -100, {51200, 0, 51320, 2600, 1}},
    };
    for (const Case& c : cases) {
        Place(c.x, 700, c.z, c.dx, 0, c.dz);
        ball->GetBoundLandPos(7);
        const DBBallState& b = st();
        EXPECT_EQ((V{b.LandX, b.LandZ, b.LandXLine, b.LandZLine, b.LandLine_f}), c.land)
            << c.x << ", " << c.z;
        EXPECT_TRUE(b.Land_f);
        EXPECT_TRUE(b.LandSet_f);
    }
    // Computed once until the flag is cleared.
    bz().dX = -5000;
    ball->GetBoundLandPos(7);
    EXPECT_EQ(st().LandX, 51200);
}

// Whose court the landing point lies in, for each team: the half sets the
// side, the outfield around it flips it (front, back, then behind the slanted
// end line); a free ball widens the outfield of the team standing around its
// half by its outfielders' steal reach: front by position 5's depth, back by
// position 4's, the end line by position 6's width.
TEST_F(BallLanding, WhoseCourtTheBallIsIn) {
    InitPlayers();
    DBMnrData m4{}, m5{}, m6{};
    m4.STEAL_D = 4, m4.STEAL_W = 9;
    m5.STEAL_D = 5, m5.STEAL_W = 9;
    m6.STEAL_D = 9, m6.STEAL_W = 3;
    for (int s = 0; s < DBSIDES; ++s) {
        P(s, 4).MyLv.Mnr = &m4;
        P(s, 5).MyLv.Mnr = &m5;
        P(s, 6).MyLv.Mnr = &m6;
    }
    using V = std::array<int32_t, 4>;
    struct Case {
        DBBallMotionType m;
        int32_t x, z;
        V crt;  // CrtSide[0], CrtSide[1], CrtPos[0], CrtPos[1]
    };
    // The slanted line at depth 5600 lies at 7400 + 34000 / 33 = 8430.
    const Case cases[] = {
        {dbbBound, 10000, 2200, {1, 1, 5, 5}},    {dbbBound, 10000, 2201, {0, 0, 0, 0}},
        {dbbBound, 10000, 9200, {1, 1, 4, 4}},    {dbbBound, 10000, 9199, {0, 0, 0, 0}},
        {dbbBound, 8429, 5600, {1, 1, 6, 6}},     {dbbBound, 8430, 5600, {0, 0, 0, 0}},
        {dbbBound, 25600, 5600, {0, 0, 0, 0}},    {dbbBound, 25601, 5600, {1, 1, 0, 0}},
        {dbbBound, 42771, 5600, {0, 0, 6, 6}},    {dbbBound, 10000, 2700, {0, 0, 0, 0}},
        {dbbFree, 10000, 2700, {0, 1, 0, 5}},     {dbbFree, 10000, 2701, {0, 0, 0, 0}},
        {dbbFree, 10000, 8800, {0, 1, 0, 4}},     {dbbFree, 10000, 8799, {0, 0, 0, 0}},
        {dbbFree, 8729, 5600, {0, 1, 0, 6}},      {dbbFree, 8730, 5600, {0, 0, 0, 0}},
        {dbbFree, 41200, 2700, {0, 1, 5, 0}},     {dbbFree, 51200 - 8729, 5600, {0, 1, 6, 0}},
    };
    for (const Case& c : cases) {
        st().Motion = c.m;
        st().LandX = c.x;
        st().LandZ = c.z;
        ball->CrtPosition();
        const DBBallState& b = st();
        EXPECT_EQ((V{b.CrtSide[0], b.CrtSide[1], b.CrtPos[0], b.CrtPos[1]}), c.crt)
            << (c.m == dbbFree ? "free " : "") << c.x << ", " << c.z;
    }
}

using BallPaths = BallFixture;

namespace {

// The ball's position and speed after a given step of a shot.
struct PathFrame {
    int step;
    int32_t x, y, z, dx, dy, dz;
};

// A special shot thrown from (10000, y, 5000) at the start velocity, which is
// also its base velocity; the target is side 1's position 0, at the ball's
// starting height. With the unit
// factor at 200 percent, FCMAG and SPMAG double a value and FCDIV halves it.
struct PathCase {
    const char* name;
    DBHSType hs;
    std::array<int32_t, 8> etc;
    int32_t spd;
    int32_t y, dx, dy, dz;
    int32_t tgX, tgZ;
    std::vector<PathFrame> frames;
    MukiType muki = mR;
    bool hit = false;  // already hit at step 0
    bool slow = false;
    bool target = true;
};

const PathCase kPaths[] = {
    {"no path of its own", dbhBYO, {}, 0, 3000, 400, 0, 0, 30000, 5000,
     {{3, 11200, 3000, 5000, 400, 0, 0}}},
    {"the last kind has none either", dbhWID, {}, 0, 3000, 400, 0, 100, 30000, 5000,
     {{2, 10800, 3000, 5200, 400, 0, 100}}},
    // Level with its target: flies at 600, locks below 2400, slows to 200
    // within 400, then dives by 100 more each step and stops over him.
    {"lock-on", dbhMOZ, {0, 300, 100, 50}, 0, 3000, 400, 0, 0, 14000, 5000,
     {{1, 10600, 3000, 5000, 600, 0, 0},
      {4, 12400, 3000, 5000, 600, 0, 0},
      {7, 13800, 3000, 5000, 200, 0, 0},
      {8, 14000, 2900, 5000, 200, -100, 0},
      {9, 14000, 2700, 5000, 0, -200, 0}}},
    // Climbs by 10 % of the distance, 1600 at most.
    {"lock-on, far", dbhMOZ, {10, 300, 100, 50}, 0, 3000, 400, 0, 0, 30000, 5000,
     {{1, 10600, 4600, 5000, 600, 1600, 0}}},
    // Steers at 300 in the plane on even steps only.
    {"homing", dbhOBU, {}, 150, 3000, 400, -20, 0, 14000, 6000,
     {{1, 10400, 2980, 5000, 400, -20, 0}, {3, 10978, 2980, 5160, 289, 0, 80}}},
    {"homing, target behind", dbhOBU, {}, 150, 3000, 400, -20, 0, 8000, 6000,
     {{2, 10800, 2960, 5000, 400, -20, 0}}},
    {"homing, target level in depth", dbhOBU, {}, 150, 3000, 400, -20, 0, 14000, 5050,
     {{2, 10800, 2960, 5000, 400, -20, 0}}},
    // Sinks at up to 600 to height 200, then climbs by 30 more each step from
    // step 6.
    {"uprising", dbhUPR, {6, 30, 10, 600}, 0, 3000, 400, 0, 0, 30000, 5000,
     {{5, 12000, 200, 5000, 400, -400, 0},
      {6, 12400, 200, 5000, 400, 0, 0},
      {8, 13200, 290, 5000, 400, 60, 0}}},
    {"uprising after a hit", dbhUPR, {6, 30, 10, 600}, 0, 3000, 400, 0, 0, 30000, 5000,
     {{3, 11200, 3060, 5000, 400, 30, 0}}, mR, true},
    // Stands in the air on steps 2 to 4, then aims level at SPMAG(100).
    {"stop and aim", dbhKAK, {0, 2, 2, 100}, 0, 3000, 400, -10, 0, 14000, 8000,
     {{4, 10400, 2990, 5000, 400, -10, 0}, {5, 10553, 2990, 5128, 153, 0, 128}}},
    {"warp", dbhWRP, {2, 50}, 0, 3000, 400, -100, 0, 30000, 5000,
     {{1, 10400, 2900, 5000, 400, -100, 0}, {3, 10800, 2800, 5000, 200, -50, 0}}},
    // Falls at 40, 20, then 10 at least, held at 29 pixels; 10 % faster per
    // step for 2 steps.
    {"sinking speed-up", dbhKSK, {10, 2, 20, 10, 5, 1, 29}, 0, 3000, 400, 0, 100, 30000, 5000,
     {{1, 10440, 2960, 5110, 440, -40, 110},
      {4, 11880, 2910, 5470, 480, -10, 120},
      {6, 12840, 2900, 5710, 480, 0, 120}}},
    // Period 8: out along cos, up along sin, no lift once turned; back from
    // step 6.
    {"boomerang", dbhBMR, {2}, 100, 3000, 400, 0, 100, 30000, 5000,
     {{1, 10282, 3141, 5070, 282, 141, 70},
      {3, 10000, 3341, 5000, -282, 0, -70},
      {6, 8918, 3341, 4730, -400, 0, -100}}},
    {"boomerang at the return height", dbhBMR, {2}, 100, 1800, 400, 0, 0, 30000, 5000,
     {{1, 10282, 1941, 5000, 282, 141, 0}}},
    // Across, at a quarter period, it neither moves nor has turned: it rises.
    {"boomerang thrown left", dbhBMR, {2}, 100, 3000, -400, 0, 0, 30000, 5000,
     {{2, 9718, 3341, 5000, 0, 200, 0}}},
    {"stop and aim without a target", dbhKAK, {0, 2, 2, 100}, 0, 3000, 400, 0, 0, 30000, 5000,
     {{3, 11200, 3000, 5000, 400, 0, 0}}, mR, false, false, false},
    {"boomerang, low and falling", dbhBMR, {2}, 100, 1700, 400, -50, 0, 30000, 5000,
     {{1, 9600, 1800, 5000, -400, 0, 0}}},
    {"boomerang, low", dbhBMR, {2}, 100, 1700, 400, 0, 0, 30000, 5000,
     {{1, 9600, 1800, 5000, -400, 0, 0}}},
    {"boomerang along depth", dbhBMR, {2}, 100, 3000, 0, 0, 400, 30000, 5000,
     {{3, 10000, 3482, 5000, 0, 141, -282}, {5, 10000, 3412, 4318, 0, -70, -282}}},
    // Up 100 for 4 steps, down 100 for 4; stands still on steps 2, 3, 6, 7.
    {"zigzag", dbhINZ, {2, 50}, 0, 3000, 400, -10, 0, 30000, 5000,
     {{3, 10400, 3090, 5000, 400, 90, 0},
      {5, 11200, 2870, 5000, 400, -110, 0},
      {9, 12000, 3050, 5000, 400, 90, 0}}},
    // Into its second period: the reversal follows the 4a period.
    {"screw", dbhSCR, {3, 5, 1}, 0, 3000, 400, 0, 0, 30000, 5000,
     {{2, 10800, 3050, 5000, 400, 30, 0},
      {7, 12800, 3050, 5000, 400, -20, 0},
      {12, 14800, 3000, 5000, 400, 10, 0}}},
    {"snake", dbhSNE, {3, 5}, 0, 3000, 400, 0, 7, 30000, 5000,
     {{2, 10800, 3000, 5044, 400, 0, 17},
      {5, 12000, 3000, 5035, 400, 0, -13},
      {10, 14000, 3000, 5020, 400, 0, 17}}},
    // The shortest period, 1, still runs a path.
    {"screw, period 1", dbhSCR, {1, 5}, 0, 3000, 400, 0, 0, 30000, 5000,
     {{1, 10400, 3010, 5000, 400, 10, 0}}},
    {"snake, period 1", dbhSNE, {1, 5}, 0, 3000, 400, 0, 0, 30000, 5000,
     {{2, 10800, 3000, 4990, 400, 0, -10}}},
    {"zigzag, period 1", dbhINZ, {1, 50}, 0, 3000, 400, 0, 0, 30000, 5000,
     {{1, 10000, 3000, 5000, 400, 100, 0}}},
    {"boomerang, period 1", dbhBMR, {1}, 100, 3000, 400, 0, 0, 30000, 5000,
     {{1, 10000, 3200, 5000, 0, 200, 0}}},
    {"circle, period 1", dbhENR, {1, 50}, 0, 3000, 400, 0, 0, 30000, 5000,
     {{1, 10500, 3000, 5000, 500, 0, 0}}},
    {"return, period 1", dbhRET, {0, 0, 1, 25}, 0, 3000, 400, 0, 0, 30000, 5000,
     {{1, 10400, 3000, 4950, 400, 0, -50}}},
    {"circle", dbhENR, {2, 50}, 0, 3000, 400, 0, 0, 30000, 5000,
     {{2, 10970, 3000, 5070, 500, 0, 0}, {4, 11840, 3000, 4900, 400, 0, -100}}},
    {"circle facing left", dbhENR, {2, 50}, 0, 3000, -400, 0, 0, 30000, 5000,
     {{1, 9530, 3000, 5070, -470, 0, 70}}, mL},
    {"heavy", dbhKYO, {40, 100}, 0, 3000, 400, 100, 0, 30000, 5000,
     {{3, 11200, 3180, 5000, 400, 40, 0}}},
    {"heavy, slow rule", dbhKYO, {40, 100}, 0, 3000, 400, 100, 0, 30000, 5000,
     {{1, 10400, 3050, 5000, 400, 50, 0}}, mR, false, true},
    // Sways in depth by 50 per step of its triangle, toward the front first.
    {"return", dbhRET, {0, 0, 2, 25}, 0, 3000, 400, 0, 0, 30000, 5000,
     {{2, 10800, 3000, 4850, 400, 0, -100},
      {5, 12000, 3000, 4850, 400, 0, 50},
      {9, 13600, 3000, 4950, 400, 0, -50}}},
};

}  // namespace

TEST_F(BallPaths, EverySpecialPathFromAFixedStart) {
    InitPlayers();
    table.DB.DBETC.FCTOSAIMAG = 200;
    for (const PathCase& c : kPaths) {
        DBShootData& row = hub->ADBShootDt[c.hs];
        row = DBShootData{};
        row.Spd = c.spd;
        for (int k = 0; k < 8; ++k) row.Etc[k] = c.etc[k];
        sdt.DBGDt.DBSlow_f = c.slow;
        TZahyou& tg = *P(1, 0).MyZahyou;
        tg.X = c.tgX, tg.Y = c.y, tg.Z = c.tgZ;
        ball->OnInit();
        Place(10000, c.y, 5000, c.dx, c.dy, c.dz);
        bz().SetMuki(c.muki);
        ball->SetMType(dbbShoot);
        DBShootState& sh = st().ShSt;
        sh.HSNo = c.hs;
        sh.fdX = c.dx, sh.fdY = c.dy, sh.fdZ = c.dz;
        if (c.hit) sh.Hit_c = 1;
        st().PichTNo = 0, st().PichPNo = 0, st().EnemTNo = 1;
        st().ShTgTNo = 1, st().ShTgPNo = c.target ? 0 : -1;
        int step = 0;
        for (const PathFrame& f : c.frames) {
            while (step < f.step) {
                ball->OnMove();
                ++step;
            }
            const TZahyou& b = bz();
            EXPECT_EQ((std::array<int32_t, 6>{b.X, b.Y, b.Z, b.dX, b.dY, b.dZ}),
                      (std::array<int32_t, 6>{f.x, f.y, f.z, f.dx, f.dy, f.dz}))
                << c.name << ", step " << f.step;
        }
        EXPECT_EQ(st().Motion, dbbShoot) << c.name;
    }
}

// The lock-on shot's stages by the distance to its target (level with the
// ball): climbing by 10 percent of it (1600 at most) at 600 it locks below
// 2400; locked it slows to 200 within 400; then it dives by 100 more a step,
// slowing to the distance left within 400.
TEST_F(BallPaths, LockOnStagesByDistance) {
    InitPlayers();
    table.DB.DBETC.FCTOSAIMAG = 200;
    DBShootData& row = hub->ADBShootDt[dbhMOZ];
    row.Etc[0] = 10, row.Etc[1] = 300, row.Etc[2] = 100, row.Etc[3] = 50;
    using V = std::array<int32_t, 4>;
    struct Case {
        int32_t lockLv, d, dy;
        V after;  // LockLv, dX, dY, dZ
        MukiZType mz = mzN;
    };
    const Case cases[] = {
        {0, 2400, 0, {0, 600, 240, 0}},    {0, 2399, 0, {1, 600, 0, 0}},
        {0, 16010, 0, {0, 600, 1600, 0}},  {0, -3000, 0, {0, -600, 300, 0}},
        {1, 401, 0, {1, 600, 40, 0}},      {1, 400, 0, {2, 200, 40, 0}},
        {2, 1000, 0, {2, 200, -100, 0}},   {2, 400, -100, {2, 200, -200, 0}},
        {2, 150, 0, {2, 150, -100, 0}},
        // Right above the target it still aims forward at the full speed.
        {0, 0, 0, {1, 600, 0, 0}},
        // Facing in depth, the aim keeps at least 100 of depth, toward the
        // back for a target level in depth.
        {0, 3000, 0, {0, 599, 300, 19}, mzB},
    };
    TZahyou& tg = *P(1, 0).MyZahyou;
    for (const Case& c : cases) {
        Place(20000, 3000, 5000, 0, c.dy, 0);
        bz().SetMukiZ(c.mz);
        tg.X = 20000 + c.d, tg.Y = 3000, tg.Z = 5000;
        st().Motion = dbbShoot;
        st().ShSt.HSNo = dbhMOZ;
        st().ShSt.LockLv = c.lockLv;
        st().ShTgTNo = 1, st().ShTgPNo = 0;
        EXPECT_FALSE(ball->HSMoving());
        EXPECT_EQ((V{st().ShSt.LockLv, bz().dX, bz().dY, bz().dZ}), c.after)
            << c.lockLv << " " << c.d;
    }
}

// The homing shot steers on even steps only, and only while the ball flies
// toward its target along X and is neither close in both axes (400) nor
// level with it in either (100).
TEST_F(BallPaths, HomingSteersOnlyTowardAFarTarget) {
    InitPlayers();
    hub->ADBShootDt[dbhOBU].Spd = 100;  // 320 a step
    struct Case {
        int32_t step, dx, tx, tz;
        bool steers;
    };
    const Case cases[] = {
        {2, 400, 2000, 2000, true},  {1, 400, 2000, 2000, false}, {2, 0, 2000, 2000, false},
        {2, -1, 2000, 2000, false},  {2, 400, -2000, 2000, false}, {2, 0, -2000, 2000, true},
        {2, 400, 400, 400, false},   {2, 400, 401, 400, true},    {2, 400, 400, -401, true},
        {2, 400, 100, 2000, false},  {2, 400, 101, 2000, true},   {2, 400, 2000, 100, false},
        {2, 400, 2000, -101, true},  {4, 400, 2000, 2000, true},   {2, 1, 2000, 2000, true},
    };
    TZahyou& tg = *P(1, 0).MyZahyou;
    for (const Case& c : cases) {
        Place(20000, 3000, 5000, c.dx, -20, 0);
        tg.X = 20000 + c.tx, tg.Y = 3000, tg.Z = 5000 + c.tz;
        st().Motion = dbbShoot;
        st().ShSt.HSNo = dbhOBU;
        st().ShSt.HS_c = c.step;
        st().ShTgTNo = 1, st().ShTgPNo = 0;
        ball->HSMoving();
        const int32_t n = int32_t(&c - cases);
        EXPECT_EQ(bz().dY, c.steers ? 0 : -20) << n;
        if (c.steers) {
            EXPECT_EQ(bz().dX < 0, c.tx < 0) << n;
            EXPECT_EQ(bz().dZ < 0, c.tz < 0) << n;
            EXPECT_NEAR(std::hypot(bz().dX, bz().dZ), 320, 2) << n;
        } else {
            EXPECT_EQ(bz().dX, c.dx) << n;
        }
    }
}

// The rising shot: before step E(0) it sinks toward height 200 at E(3) at
// most, held at 200; from step E(0) it climbs by E(1) more each step.
TEST_F(BallPaths, UprisingSinksToItsHeightThenClimbs) {
    DBShootData& row = hub->ADBShootDt[dbhUPR];
    row.Etc[0] = 6, row.Etc[1] = 30, row.Etc[3] = 600;
    struct Case {
        int32_t step, y, y2, dy;
    };
    const Case cases[] = {
        {2, 3000, 3000, -600}, {2, 500, 500, -300}, {2, 201, 201, -1}, {2, 200, 200, 0},
        {2, 150, 200, 50},     {5, 150, 200, 50},  {6, 3000, 3000, 0}, {7, 3000, 3000, 30},
    };
    for (const Case& c : cases) {
        Place(20000, c.y, 5000, 400, 77, 0);
        st().Motion = dbbShoot;
        st().ShSt.HSNo = dbhUPR;
        st().ShSt.HS_c = c.step;
        ball->HSMoving();
        EXPECT_EQ(bz().Y, c.y2) << c.step << " " << c.y;
        EXPECT_EQ(bz().dY, c.dy) << c.step << " " << c.y;
    }
}

// Shot tables come from the game's archives: extreme values must not
// overflow anywhere on a path (the sanitizer build checks every step).
TEST_F(BallPaths, ExtremeTableValuesFlyWithoutOverflow) {
    InitPlayers();
    const int32_t extremes[] = {0, 1, -1, 7, -100000, 2147483647, -2147483647 - 1};
    std::mt19937 rng(12345);
    for (int hs = 0; hs < DBSHOOT_COUNT; ++hs) {
        DBShootData& row = hub->ADBShootDt[hs];
        row.Spd = extremes[rng() % 7];
        row.Ani = int32_t(rng() % 12) - 1;
        for (int32_t& e : row.Etc) e = extremes[rng() % 7];
        ball->OnInit();
        Place(12000, 3000, 5000, 500, -20, 30);
        ball->SetMType(dbbShoot);
        st().ShSt.HSNo = DBHSType(hs);
        st().ShSt.fdX = 2147483647;
        st().ShTgTNo = 1;
        st().ShTgPNo = 0;
        for (int step = 0; step < 100; ++step) ball->OnMove();
    }
}

TEST_F(BallPaths, WarpIsHiddenFromItsStepOn) {
    DBShootData& row = hub->ADBShootDt[dbhWRP];
    row.Ani = 7;
    row.Etc[0] = 5;
    row.Etc[1] = 50;
    Place(10000, 20000, 5000, 400, -10, 0);
    ball->SetMType(dbbShoot);
    st().ShSt.HSNo = dbhWRP;
    for (int i = 0; i < 4; ++i) ball->OnMove();
    EXPECT_FALSE(st().Invs_f);
    ball->OnMove();  // step 5: slowed and hidden from here on
    EXPECT_TRUE(st().Invs_f);
    EXPECT_EQ(bz().dX, 200);
    ball->OnMove();
    EXPECT_TRUE(st().Invs_f);
    EXPECT_EQ(bz().dX, 200);
    // The authoring build shows it.
    glb.Flags.Debug_f = true;
    ball->OnMove();
    EXPECT_FALSE(st().Invs_f);
}

// The picture of a special shot by its animation type and the shot's step
// (counted on by this step): six steps a phase, the holding types keep their
// last phase from step 48, a falling picture 4 turns into 1, 255 hides the
// ball, and a type outside the table shows the plain ball.
TEST_F(BallPaths, AnimationByTypeAndStep) {
    struct Case {
        int32_t ani, step, dy, aniNo;
    };
    const Case cases[] = {
        {6, 48, 0, 255}, {6, 47, 0, 255}, {6, 6, 0, 255},  {6, 12, 0, 0},   {6, 5, 0, 0},
        {3, 48, 0, 3},   {3, 47, 0, 0},   {7, 100, 0, 12}, {5, 18, 0, 7},   {1, 0, -1, 1},
        {1, 0, 0, 4},    {8, 30, 0, 13},  {9, 6, 0, 0},    {-1, 6, 0, 0},
    };
    DBShootData& row = hub->ADBShootDt[dbhSCR];
    for (const Case& c : cases) {
        row.Ani = c.ani;
        st().Motion = dbbShoot;
        st().ShSt.HSNo = dbhSCR;
        st().ShSt.HS_c = c.step - 1;
        st().AniNo = 99;
        st().Invs_f = 0;
        bz().dY = c.dy;
        ball->MCCount();
        EXPECT_EQ(st().AniNo, c.aniNo) << c.ani << " at " << c.step;
        EXPECT_EQ(bool(st().Invs_f), c.aniNo == 255) << c.ani << " at " << c.step;
        EXPECT_EQ(st().ShSt.HSNo, dbhSCR);
    }
}

// ---------------------------------------------------------------- drawing

namespace {

class BallDraw : public BallFixture {
protected:
    void SetUp() override {
        BallFixture::SetUp();
        at = std::make_unique<TAllTx>(&al, &glb);
        at->DBItemtx.ALSt = alsOK;
        at->DBItemtx.Texture = {{&tile}};
        at->DBItemtx.Mag = 1;
        al.SetAspectCentre(0, 0);
        hub->AT = at.get();
        objs->DBD->AL = &al;
    }
    // The sheet's tile belongs to the test, not to the texture set.
    void TearDown() override {
        at->DBItemtx.Texture = {};
        at->DBItemtx.ALSt = alsNil;
        BallFixture::TearDown();
    }
    // Left and top of the source cell of queued entry i, in sheet pixels.
    float SrcLeft(uint32_t i) const { return std::min(al.Entry(i).sx[0], al.Entry(i).sx[3]); }
    float SrcTop(uint32_t i) const { return std::min(al.Entry(i).sy[0], al.Entry(i).sy[3]); }
    TDDDDGenSurface tile{nullptr, nullptr, 256, 256};
    TAlpha32SAI al{nullptr, nullptr, true, false, nullptr, 1, 64};
    std::unique_ptr<TAllTx> at;
};

}  // namespace

TEST_F(BallDraw, ShadowThenTheSpinCell) {
    Place(30000, 4000, 5600, 0, 0, 0);
    st().Motion = dbbBound;
    st().ShSt.Spin_c = 350;
    ball->OnDraw();
    ASSERT_EQ(al.DrawObjectCount(), 2u);
    // Shadow cell (96, 104) on the floor under the ball.
    EXPECT_FLOAT_EQ((al.Entry(0).dy[0] + al.Entry(0).dy[3]) / 2, 240 - 56 - 0);
    // Spin column 3, at 232 - 40 - 56 on the screen.
    EXPECT_FLOAT_EQ((al.Entry(1).dx[0] + al.Entry(1).dx[3]) / 2, 300);
    EXPECT_FLOAT_EQ((al.Entry(1).dy[0] + al.Entry(1).dy[3]) / 2, 232 - 40 - 56);
    EXPECT_NEAR(SrcLeft(0), 96, 0.5);
    EXPECT_NEAR(SrcTop(0), 104, 0.5);
    EXPECT_NEAR(SrcLeft(1), 48, 0.5);
    EXPECT_NEAR(SrcTop(1), 0, 0.5);
    // Both at the ball's draw key; the ball in its own colours, the shadow
    // black, both opaque; the ball mirrored while it faces left.
    EXPECT_EQ(al.Entry(0).Color, 0xFF000000u);
    EXPECT_EQ(al.Entry(1).Color, 0xFFFFFFFFu);
    EXPECT_EQ(al.Entry(0).Pri, al.Entry(1).Pri);
    bz().SetMuki(mR);
    ball->OnDraw();
    EXPECT_EQ(al.Entry(3).dwDDFX, al.Entry(0).dwDDFX);  // unmirrored, as the shadow
    EXPECT_NE(al.Entry(1).dwDDFX, al.Entry(0).dwDDFX);
    // The shadow lies (ShadowY + 1) div 100 above the floor line.
    for (int32_t sy : {98, 99}) {
        bz().ShadowY = sy;
        objs->DBD->OnSadowDraw();
    }
    EXPECT_FLOAT_EQ((al.Entry(4).dy[0] + al.Entry(4).dy[3]) / 2, 240 - 56 - 0);
    EXPECT_FLOAT_EQ((al.Entry(5).dy[0] + al.Entry(5).dy[3]) / 2, 240 - 56 - 1);
}

// The sheet cell by picture: 0 and anything past 13 the spin column of the
// plain row, 1..12 the tall cells of row 16, 13 the big ball's spin column;
// a special shot flashes to the cells 48 lower (32 for the big ball) while
// its step mod 8 is above 4.
TEST_F(BallDraw, CellByPictureSpinAndFlash) {
    using V = std::array<int32_t, 4>;
    struct Case {
        int32_t aniNo;
        DBHSType hs;
        int32_t hsc, spin;
        V cell;  // left, top, width, height
    };
    const Case cases[] = {
        {0, dbhNML, 5, 350, {48, 0, 16, 16}},     {0, dbhNML, 0, 850, {0, 0, 16, 16}},
        {0, dbhSCR, 13, 350, {48, 48, 16, 16}},   {1, dbhSCR, 0, 0, {0, 16, 16, 32}},
        {12, dbhSCR, 4, 0, {176, 16, 16, 32}},    {3, dbhSCR, 5, 0, {32, 64, 16, 32}},
        {13, dbhSCR, 4, 250, {64, 128, 32, 32}},  {13, dbhSCR, 5, 250, {64, 160, 32, 32}},
        {14, dbhNML, 0, 150, {16, 0, 16, 16}},
    };
    for (const Case& c : cases) {
        st().AniNo = c.aniNo;
        st().ShSt.HSNo = c.hs;
        st().ShSt.HS_c = c.hsc;
        const uint32_t i = al.DrawObjectCount();
        objs->DBD->OnDraw(30000, 4000, 5600, c.spin);
        ASSERT_EQ(al.DrawObjectCount(), i + 1);
        const auto& e = al.Entry(i);
        const auto [l, r] = std::minmax({e.sx[0], e.sx[1], e.sx[2], e.sx[3]});
        const auto [t, b] = std::minmax({e.sy[0], e.sy[1], e.sy[2], e.sy[3]});
        EXPECT_EQ((V{int32_t(std::lround(l)), int32_t(std::lround(t)), int32_t(std::lround(r - l)),
                     int32_t(std::lround(b - t))}),
                  c.cell)
            << c.aniNo << " " << c.hsc << " " << c.spin;
    }
}

TEST_F(BallDraw, HiddenBallDrawsNothing) {
    st().Invs_f = 1;
    ball->OnDraw();
    EXPECT_EQ(al.DrawObjectCount(), 0u);
    // The authoring build still shows where its shadow is.
    glb.Flags.Debug_f = true;
    ball->OnDraw();
    ASSERT_EQ(al.DrawObjectCount(), 1u);
    EXPECT_NEAR(SrcLeft(0), 96, 0.5);
}

// ---------------------------------------------------------------- key curve

namespace {

class BallCurve : public BallFixture {
protected:
    void SetUp() override {
        BallFixture::SetUp();
        InitPlayers();
        P(0, 0).DI = &keys;
        table.DB.DBSHOOT.CRVLAG = 3;
        for (auto& r : hub->ADBRankDt) r.Crv = DBCrvData{20, 50, 10, 30};
        Place(10000, 3000, 5000, 1000, 0, 0);
        ball->SetMType(dbbShoot);
        st().ShSt.HSNo = dbhNML;
        st().PichTNo = 0;
        st().PichPNo = 0;
    }
    HeldKeys keys;
};

}  // namespace

TEST_F(BallCurve, SideKeyBendsTowardItsDirectionAfterTheLag) {
    keys.held[cU] = true;  // toward the back (growing depth)
    ball->Moving();
    ball->Moving();
    EXPECT_EQ(st().CrvZ, 0);
    ball->Moving();
    EXPECT_EQ(st().CrvZ, 20 * 1000 / 100);
    EXPECT_EQ(st().CrvX, 0);
    // Flying the other way the same key still bends toward the back.
    bz().dX = -1000;
    ball->Moving();
    EXPECT_EQ(st().CrvZ, 200);
    keys.held[cU] = false;
    keys.held[cD] = true;
    for (int i = 0; i < 3; ++i) ball->Moving();
    EXPECT_EQ(st().CrvZ, -200);
    keys.held[cD] = false;
    ball->Moving();
    EXPECT_EQ(st().ShSt.Crv_c, 0);
    EXPECT_EQ(st().CrvZ, 0);
}

TEST_F(BallCurve, KeyAgainstTheFlightLiftsAndNarrowsTheSideCurve) {
    keys.held[cL] = true;  // against a flight toward growing X
    for (int i = 0; i < 3; ++i) ball->Moving();
    EXPECT_EQ(st().CrvY, 50);
    keys.held[cU] = true;
    for (int i = 0; i < 3; ++i) ball->Moving();
    EXPECT_EQ(st().CrvY, 30);             // NCrvY while both curves run
    EXPECT_EQ(st().CrvZ, 10 * 1000 / 100);  // NCrv
    keys.held[cL] = false;
    keys.held[cR] = true;  // along the flight: drops it
    keys.held[cU] = false;
    for (int i = 0; i < 3; ++i) ball->Moving();
    EXPECT_EQ(st().CrvY, -50);
}

// Flying along depth (also when both speeds are equal) the keys turn: left
// and right bend it across toward their side, the key against the flight
// lifts it and the one along it drops it. A ball with no speed along the
// floor has no side to bend toward.
TEST_F(BallCurve, FlightAlongDepthTakesTheKeysTurned) {
    using V = std::array<int32_t, 3>;
    struct Case {
        int32_t dx, dz;
        CrsType key;
        V crv;  // CrvX, CrvY, CrvZ
    };
    const Case cases[] = {
        {0, 1000, cR, {200, 0, 0}},  {0, 1000, cL, {-200, 0, 0}}, {0, 1000, cD, {0, 50, 0}},
        {0, 1000, cU, {0, -50, 0}},  {0, -1000, cU, {0, 50, 0}},  {0, -1000, cR, {200, 0, 0}},
        {600, 600, cD, {0, 50, 0}},  {-600, 600, cD, {0, 50, 0}},
        // Standing still along the floor counts as flying toward the back.
        {0, 0, cD, {0, 50, 0}},      {0, 0, cU, {0, -50, 0}},     {0, 0, cR, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        bz().dX = c.dx, bz().dZ = c.dz;
        st().ShSt.Crv_c = st().ShSt.CrvY_c = 0;
        keys.held[c.key] = true;
        for (int i = 0; i < 3; ++i) {
            st().CrvX = st().CrvY = st().CrvZ = 0;
            ball->Curving();
        }
        keys.held[c.key] = false;
        EXPECT_EQ((V{st().CrvX, st().CrvY, st().CrvZ}), c.crv) << c.dx << " " << c.dz << " " << c.key;
    }
}

TEST_F(BallCurve, CurveLevelPastTheTableTakesItsLastRow) {
    hub->ADBRankDt[DBRANK_ROWS - 1].Crv.Crv = 40;
    st().ShSt.CrvLv = 20;
    keys.held[cU] = true;
    for (int i = 0; i < 3; ++i) ball->Moving();
    EXPECT_EQ(st().CrvZ, 40 * 1000 / 100);
}

// Computer throws do not curve, nor do special shots unless their row allows.
TEST_F(BallCurve, ComputerThrowsAndFixedSpecialShotsDoNotCurve) {
    sdt.DBGDt.DBCPUNum = 2;
    keys.held[cU] = true;
    for (int i = 0; i < 5; ++i) ball->Moving();
    EXPECT_EQ(st().CrvZ, 0);
    sdt.DBGDt.DBCPUNum = 1;
    st().ShSt.HSNo = dbhSCR;  // no path of its own without a period
    for (int32_t crv : {0, 1}) {
        hub->ADBShootDt[dbhSCR].Crv_f = crv;
        st().ShSt.Crv_c = 0;
        Place(10000, 3000, 5000, 1000, 0, 0);
        for (int i = 0; i < 3; ++i) ball->Moving();
        EXPECT_EQ(st().CrvZ, crv ? 200 : 0);
    }
}

// ---------------------------------------------------------------- save, result

TEST_F(BallFlight, SaveAndLoadCarryTheCoordinates) {
    Place(12345, 678, 9012, 3, -4, 5);
    bz().SetMuki(mR);
    ball->OnSave();
    EXPECT_EQ(hub->SvDt.DBBallZahyou.X, 12345);
    Place(0, 0, 0, 0, 0, 0);
    ball->OnLoad();
    EXPECT_EQ(bz().X, 12345);
    EXPECT_EQ(bz().dZ, 5);
    EXPECT_EQ(bz().Muki(), mR);
}

TEST_F(BallFlight, NothingMovesOrIsJudgedInTheResult) {
    Place(10000, 3000, 5000, 100, 0, 0);
    ball->SetMType(dbbShoot);
    st().ShSt.HSNo = dbhNML;
    st().HitTNo = 1;
    sdt.DBGDt.DBSSt = dbssResult;
    ball->OnMove();
    ball->OnSetOS();
    ball->OnJudge();
    EXPECT_EQ(bz().X, 10000);
    EXPECT_EQ(st().HitTNo, 1);
    EXPECT_EQ(st().Motion, dbbShoot);
}
