// The ball: flight, gravity, bounces, walls, landing predictions, whose court
// it is on, and the paths of special shots.
#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "graphics/ALAddLib.h"
#include "input/DILib.h"
#include "match/clsBall.h"
#include "shell/GlbConst.h"
#include "shell/GlbRecord.h"
#include "sound/OggDataLib.h"
#include "graphics/dddd.h"
#include "shell/clsAllTx.h"
#include "tests/match_ball_fixture.h"

using BallFlight = BallFixture;

TEST_F(BallFlight, StartsBouncingAtTheCentreLine) {
    ball->OnInit();
    EXPECT_EQ(st().Motion, dbbBound);
    EXPECT_EQ(bz().X, 25600);
    EXPECT_EQ(bz().Z, 5600);
    EXPECT_EQ(bz().Y, 0);
    EXPECT_EQ(st().HoldTNo, -1);
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

TEST_F(BallFlight, StopsAtTheBounceLimitAndBouncesOneFaster) {
    // Falling at exactly BWENDDY: the ball stops and lies free.
    Place(20000, 50, 5000, 300, -100, 0);
    st().Motion = dbbPass;
    st().PaGrv = 0;
    ball->OnMove();
    EXPECT_EQ(st().Motion, dbbFree);
    EXPECT_EQ(bz().Y, 0);
    EXPECT_EQ(bz().dX, 0);
    EXPECT_TRUE(oc.SERsv[14]);

    // One unit faster: it bounces, damped.
    Place(20000, 50, 5000, 300, -101, 100);
    st().Motion = dbbPass;
    ball->OnMove();
    EXPECT_EQ(st().Motion, dbbBound);
    EXPECT_EQ(bz().dY, 101 - table.DB.DBB.BWABSDY);
    EXPECT_EQ(bz().dX, 300 * table.DB.DBB.BWABSDX / 100);
    EXPECT_EQ(bz().dZ, 100 * table.DB.DBB.BWABSDZ / 100);
}

TEST_F(BallFlight, ShallowShotLeavesTheFloorAtLeastAt45Degrees) {
    hub->ADBRankDt[2].BP.BwSp = 100;
    Place(20000, 50, 5000, 1000, -100, 0);
    ball->SetMType(dbbShoot);
    st().ShSt.HSNo = dbhNML;
    st().ShSt.ShLv = 2;
    ball->OnMove();
    EXPECT_EQ(st().Motion, dbbBound);
    // h = 1000, lifted to c = 1000; the bounce speed FCMAG(100) = 320 is
    // shared out along the 45-degree line.
    EXPECT_EQ(bz().dY, 226);
    EXPECT_EQ(bz().dX, 226);
    EXPECT_GE(bz().dY, bz().dX * table.DB.DBB.BWMINDYPERDX / 100);
}

TEST_F(BallFlight, WallsReflectAndDampen) {
    Place(51150, 3000, 5000, 200, 0, 100);
    st().Motion = dbbPass;
    st().PaGrv = 0;
    ball->OnMove();
    EXPECT_EQ(bz().X, 51200);
    EXPECT_EQ(bz().dX, -200 * table.DB.DBB.XWALLABSDX / 100);
    EXPECT_EQ(bz().dZ, 100 * table.DB.DBB.XWALLABSDZ / 100);
    EXPECT_EQ(st().Motion, dbbBound);

    Place(20000, 3000, 100, 200, 0, -300);
    ball->OnMove();
    EXPECT_EQ(bz().Z, 0);
    EXPECT_EQ(bz().dX, 200 * table.DB.DBB.ZWALLABSDX / 100);
    EXPECT_EQ(bz().dZ, 300 * table.DB.DBB.ZWALLABSDZ / 100);
}

TEST_F(BallFlight, CeilingStopsAPassButNotABouncingBall) {
    Place(20000, 409500, 5000, 100, 200, 0);
    st().Motion = dbbPass;
    st().PaGrv = 0;
    ball->OnMove();
    EXPECT_EQ(bz().Y, 409600);
    EXPECT_EQ(st().Motion, dbbBound);
    EXPECT_EQ(bz().dX, 0);

    Place(20000, 409500, 5000, 100, 20000, 0);
    ball->OnMove();
    EXPECT_EQ(bz().Y, 409600);
    EXPECT_EQ(bz().dX, 100);
}

TEST_F(BallFlight, SpinWrapsAtEightFrames) {
    st().Motion = dbbBound;
    st().ShSt.Spin = 300;
    st().ShSt.Spin_c = 600;
    ball->MCCount();
    EXPECT_EQ(st().ShSt.Spin_c, 0);
    ball->MCCount();
    EXPECT_EQ(st().ShSt.Spin_c, 300);
}

TEST_F(BallFlight, AfterImagesFollowAShotEveryFourthStep) {
    Place(10000, 3000, 5000, 100, 0, 0);
    ball->SetMType(dbbShoot);
    st().ShSt.HSNo = dbhNML;
    for (int i = 0; i < 5; ++i) ball->OnMove();
    // Written on steps 1 and 5 of the shot.
    EXPECT_EQ(st().ZnX[3], 10500);
    EXPECT_EQ(st().ZnX[2], 10100);
    st().Motion = dbbBound;
    ball->SetZanzouPos();
    EXPECT_EQ(st().ZnX[3], -1);
}

using BallLanding = BallFixture;

TEST_F(BallLanding, FallingBallPredictsItsLandingAndTheInsetLine) {
    // g = FCDIV(24) = 7; from 10000 at rest: trunc(sqrt(20000 / 7)) = 53 steps.
    Place(20000, 10000, 5600, -300, 0, 20);
    st().Motion = dbbBound;
    ball->GetBoundLandPos(7);
    EXPECT_EQ(BallFallTime(0, 10000, 7), 53);
    EXPECT_EQ(st().LandX, 20000 - 300 * 53);
    EXPECT_EQ(st().LandZ, 5600 + 20 * 53);
    EXPECT_TRUE(st().LandLine_f);
    EXPECT_EQ(st().LandXLine, 9000);
    // 11000 of the 15900 X travelled: 69 percent of the depth travel.
    EXPECT_EQ(st().LandZLine, 5600 + 1060 * 69 / 100);
    // Computed once until the flag is cleared.
    bz().dX = 0;
    ball->GetBoundLandPos(7);
    EXPECT_EQ(st().LandX, 20000 - 300 * 53);
}

TEST_F(BallLanding, RisingBallLandsAfterItsApex) {
    // Up at 70 under gravity 7: 10 steps up, then from 350 above the start.
    EXPECT_EQ(BallFallTime(70, 0, 7), int(std::sqrt(2.0 * 350 / 7)) + 10);
    EXPECT_EQ(BallFallTime(-70, 0, 7), 0 - 10 + 10);
    EXPECT_EQ(BallFallTime(10, 100, 0), 0);
}

TEST_F(BallLanding, ShotPredictsAStraightDescent) {
    Place(20000, 1000, 5000, 300, -100, 0);
    ball->SetMType(dbbShoot);
    st().ShSt.HSNo = dbhNML;
    ball->GetShootLandPos();
    EXPECT_TRUE(st().Land_f);
    EXPECT_EQ(st().LandX, 23000);
    bz().dY = 10;
    ball->GetShootLandPos();
    EXPECT_FALSE(st().Land_f);
    EXPECT_EQ(st().LandX, 20000);
}

TEST_F(BallLanding, FreeBallBeyondTheFrontLineBelongsToTheOtherCourt) {
    Place(10000, 0, 2000, 0, 0, 0);
    st().Motion = dbbFree;
    st().LandX = 10000;
    st().LandZ = 2000;
    ball->CrtPosition();
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(st().CrtPos[i], 5);
        EXPECT_EQ(st().CrtSide[i], 1);
    }
    // Behind the slanted end line of the left court, and plain infield.
    st().LandX = 8000;
    st().LandZ = 5600;
    ball->CrtPosition();
    EXPECT_EQ(st().CrtPos[0], 6);
    st().LandX = 40000;
    ball->CrtPosition();
    EXPECT_EQ(st().CrtPos[0], 0);
    EXPECT_EQ(st().CrtSide[0], 1);
}

TEST_F(BallLanding, StealMarginsWidenTheOutfieldOfAFreeBall) {
    InitPlayers();
    for (auto& r : hub->ADBRankDt) r.Mnr.STEAL_D = 5;
    st().Motion = dbbFree;
    st().LandX = 10000;
    st().LandZ = 2600;  // inside the front line by 400, within the 500 margin
    ball->CrtPosition();
    EXPECT_EQ(st().CrtPos[1], 5);  // team 1's outfield stands around the left half
    EXPECT_EQ(st().CrtPos[0], 0);
}

using BallPaths = BallFixture;

TEST_F(BallPaths, EverySpecialShotStaysFiniteAndInsideTheHall) {
    InitPlayers();
    std::mt19937 rng(12345);
    const int32_t extremes[] = {0, 1, -1, 7, 100, -100000, 2147483647, -2147483647 - 1};
    for (int hs = 0; hs < DBSHOOT_COUNT; ++hs) {
        for (int trial = 0; trial < 6; ++trial) {
            DBShootData& row = hub->ADBShootDt[hs];
            row = DBShootData{};
            row.Spd = 200;
            row.Crv_f = trial % 2;
            row.Ani = int32_t(rng() % 12) - 1;
            for (int k = 0; k < 8; ++k)
                row.Etc[k] = trial < 2 ? int32_t(rng() % 40)
                                       : extremes[rng() % (sizeof extremes / sizeof *extremes)];
            ball->OnInit();
            Place(12000, 3000, 5000, 500, -20, 30);
            ball->SetMType(dbbShoot);
            st().ShSt.HSNo = DBHSType(hs);
            st().ShSt.fdX = 500;
            st().ShSt.fdY = -20;
            st().ShSt.fdZ = 30;
            st().PichTNo = 0;
            st().EnemTNo = 1;
            st().ShTgTNo = 1;
            st().ShTgPNo = 0;
            for (int step = 0; step < 300; ++step) {
                ball->OnMove();
                ASSERT_GE(bz().X, 0) << hs;
                ASSERT_LE(bz().X, DBCOURT_W) << hs;
                ASSERT_GE(bz().Z, 0) << hs;
                ASSERT_LE(bz().Z, DBCOURT_D) << hs;
                ASSERT_GE(bz().Y, 0) << hs;
                ASSERT_LE(bz().Y, BALLCEILING) << hs;
                ASSERT_GE(bz().dY, BALLMINDY) << hs;
            }
        }
    }
}

TEST_F(BallPaths, AnimationPhasesAndTheHiddenWarp) {
    DBShootData& row = hub->ADBShootDt[dbhWRP];
    row.Ani = 7;
    row.Etc[0] = 5;
    row.Etc[1] = 50;
    glb.Flags.Debug_f = false;
    Place(10000, 20000, 5000, 400, -10, 0);
    ball->SetMType(dbbShoot);
    st().ShSt.HSNo = dbhWRP;
    for (int i = 0; i < 4; ++i) ball->OnMove();
    EXPECT_FALSE(st().Invs_f);
    ball->OnMove();  // step 5: slowed and hidden from here on
    EXPECT_TRUE(st().Invs_f);
    EXPECT_EQ(bz().dX, 200);
    for (int i = 0; i < 60; ++i) ball->MCCount();
    // Type 7 holds its last phase once a whole cycle has run.
    EXPECT_EQ(st().AniNo, 12);

    row.Ani = 5;
    st().ShSt.HS_c = 11;  // counted to 12: phase 2
    ball->MCCount();
    EXPECT_EQ(st().AniNo, 6);
}

TEST_F(BallPaths, UprisingShotSinksToItsLowLineThenClimbs) {
    DBShootData& row = hub->ADBShootDt[dbhUPR];
    row.Etc[0] = 10;
    row.Etc[1] = 20;
    row.Etc[3] = 300;
    Place(10000, 1000, 5000, 400, 0, 0);
    ball->SetMType(dbbShoot);
    st().ShSt.HSNo = dbhUPR;
    for (int i = 0; i < 9; ++i) ball->OnMove();
    EXPECT_EQ(bz().Y, 200);
    for (int i = 0; i < 3; ++i) ball->OnMove();
    EXPECT_EQ(bz().dY, 20 * 2);
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
}

TEST_F(BallDraw, SpecialShotCellsFlashAndTheBigBallUsesItsOwnRow) {
    Place(30000, 4000, 5600, 0, 0, 0);
    st().Motion = dbbShoot;
    st().ShSt.HSNo = dbhBYO;
    st().ShSt.HS_c = 5;  // flashing: 5 mod 8 is above 4
    st().AniNo = 3;
    objs->DBD->OnDraw(30000, 4000, 5600, 0);
    EXPECT_NEAR(SrcLeft(0), 32, 0.5);
    EXPECT_NEAR(SrcTop(0), 16 + 48, 0.5);
    st().AniNo = 13;
    st().ShSt.HS_c = 4;
    objs->DBD->OnDraw(30000, 4000, 5600, 250);
    EXPECT_NEAR(SrcLeft(1), 64, 0.5);
    EXPECT_NEAR(SrcTop(1), 128, 0.5);
}

TEST_F(BallDraw, HiddenBallDrawsNothing) {
    st().Invs_f = 1;
    ball->OnDraw();
    EXPECT_EQ(al.DrawObjectCount(), 0u);
}

// ---------------------------------------------------------------- key curve

namespace {

// A device slot whose held directions the test sets.
class HeldKeys : public TDISAI {
public:
    HeldKeys() : TDISAI(nullptr, 0, 0) {}
    bool CheckCrs2(CrsType c, int Pos) override { return Pos == 0 && held[c]; }
    bool held[4] = {};
};

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

TEST_F(BallCurve, ComputerThrowsDoNotCurve) {
    sdt.DBGDt.DBCPUNum = 2;
    keys.held[cU] = true;
    for (int i = 0; i < 5; ++i) ball->Moving();
    EXPECT_EQ(st().CrvZ, 0);
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
