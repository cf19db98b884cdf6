// A whole match between two computer sides on the authored data: the ball and
// the judgement hold their guarantees step after step.
#include <gtest/gtest.h>

#include "tests/MatchSoakKit.h"

namespace {

class BallSoak : public WholeMatchFixture {};

TEST_F(BallSoak, ComputerMatchKeepsTheBallInTheHallAndHitPointsOnlyFall) {
    TDBScene* scene = MatchSetUp(2, dbdfNomal, 0, 1);
    ASSERT_NE(scene, nullptr);
    scene->OnInit();
    TAllObTx& aot = *SC->AOT;
    const TZahyou& b = *aot.BallZahyou();
    int32_t hp[DBSIDES][DBPOSITIONS];
    for (int s = 0; s < DBSIDES; ++s)
        for (int p = 0; p < DBPOSITIONS; ++p) hp[s][p] = aot.ADBPSt[s][p].HP;
    bool thrown = false;
    for (int step = 0; step < 6000; ++step) {
        scene->OnMove();
        ASSERT_GE(b.X, 0) << step;
        ASSERT_LE(b.X, DBCOURT_W) << step;
        ASSERT_GE(b.Z, 0) << step;
        ASSERT_LE(b.Z, DBCOURT_D) << step;
        // A held ball sits where the holder's frame puts his hands.
        if (aot.DBBallSt.Motion != dbbHold) {
            ASSERT_GE(b.Y, 0) << step;
        }
        ASSERT_LE(b.Y, BALLCEILING) << step;
        thrown |= aot.DBBallSt.Motion == dbbShoot;
        for (int s = 0; s < DBSIDES; ++s)
            for (int p = 0; p < DBPOSITIONS; ++p) {
                ASSERT_LE(aot.ADBPSt[s][p].HP, hp[s][p]) << step;
                hp[s][p] = aot.ADBPSt[s][p].HP;
            }
        const DBBallState& bs = aot.DBBallSt;
        if (bs.Motion == dbbHold) {
            ASSERT_GE(bs.HoldTNo, 0);
            ASSERT_LE(bs.HoldTNo, 1);
            ASSERT_GE(bs.HoldPNo, 0);
            ASSERT_LE(bs.HoldPNo, 6);
        }
    }
    EXPECT_TRUE(thrown);
}

// The computer sides keep the ball moving: many throws in a long match (a
// holder once got caught in an endless jump crouch and never threw).
TEST_F(BallSoak, CPUMatchKeepsThrowing) {
    TDBScene* scene = MatchSetUp(2, dbdfNomal, 0, 1);
    ASSERT_NE(scene, nullptr);
    scene->OnInit();
    int throws = 0;
    DBBallMotionType last = SC->AOT->DBBallSt.Motion;
    for (int step = 0; step < 6000; ++step) {
        scene->OnMove();
        DBBallMotionType m = SC->AOT->DBBallSt.Motion;
        if (m != last && (m == dbbShoot || m == dbbPass)) ++throws;
        last = m;
    }
    EXPECT_GE(throws, 10);
}

}  // namespace
