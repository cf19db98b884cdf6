// Whole matches between two computer sides on the authored data: the CPU keeps
// throwing, hit points only fall, and the holder, the aim, the targets and the
// behaviours stay in range.
#include <gtest/gtest.h>

#include "tests/MatchSoakKit.h"

namespace {

class ControlSoak : public WholeMatchFixture {};

TEST_F(ControlSoak, ComputerSidesKeepThrowingWithTargetsAndAimsInRange) {
    auto* scene = dynamic_cast<TDBScene*>(SC->SceneAt(stDB));
    ASSERT_NE(scene, nullptr);
    for (int seed = 1; seed <= 3; ++seed) {
        SetRandSeed(seed);
        MatchSetUp(2, DBDifficulty(seed % 3), seed, seed + 5);
        scene->OnInit();
        TAllObTx& aot = *SC->AOT;
        int throws = 0;
        int crouch[DBSIDES][DBPOSITIONS] = {};
        int32_t hp[DBSIDES][DBPOSITIONS];
        for (int s = 0; s < DBSIDES; ++s)
            for (int p = 0; p < DBPOSITIONS; ++p) hp[s][p] = aot.ADBPSt[s][p].HP;
        DBBallMotionType last = aot.DBBallSt.Motion;
        for (int step = 0; step < 4000; ++step) {
            scene->OnMove();
            const DBBallState& b = aot.DBBallSt;
            if (b.Motion != last && (b.Motion == dbbShoot || b.Motion == dbbPass)) ++throws;
            last = b.Motion;
            if (b.Motion == dbbHold || b.Motion == dbbShoot) {
                ASSERT_GE(b.ShTgPNo, -1) << step;
                ASSERT_LE(b.ShTgPNo, 3) << step;
            }
            if (b.Motion == dbbHold) {
                ASSERT_TRUE(b.HoldTNo == 0 || b.HoldTNo == 1) << step;
                ASSERT_GE(b.HoldPNo, 0) << step;
                ASSERT_LE(b.HoldPNo, 6) << step;
            }
            if (b.Motion == dbbHold && b.PaTgTNo != -1) {
                ASSERT_EQ(b.PaTgTNo, b.HoldTNo) << step;
                ASSERT_GE(b.PaTgPNo, 0) << step;
                ASSERT_LE(b.PaTgPNo, 6) << step;
            }
            for (int s = 0; s < DBSIDES; ++s)
                for (int p = 0; p < DBPOSITIONS; ++p) {
                    const DBPlayerState& st = aot.ADBPSt[s][p];
                    ASSERT_LE(st.HP, hp[s][p]) << step;
                    hp[s][p] = st.HP;
                    ASSERT_GE(st.MukiAgl, -1) << step;
                    ASSERT_LE(st.MukiAgl, 7) << step;
                    ASSERT_LE(int(st.Auto.AutoType), int(dbaCPUSht)) << step;
                    // Nobody stays crouched for a jump: it takes off.
                    crouch[s][p] = st.Motion.Mtype == dbmtJCr ? crouch[s][p] + 1 : 0;
                    ASSERT_LT(crouch[s][p], 120) << "seed " << seed << " step " << step;
                }
        }
        EXPECT_GE(throws, 10) << "seed " << seed;
    }
}

}  // namespace

namespace {

// A human side driven by random recorded words against the computer: every
// key and button path of the control steps runs, and the aim and targets
// stay in range.
TEST_F(ControlSoak, RandomKeysOnAHumanSideKeepTheControlStateInRange) {
    SetRandSeed(11);
    TDBScene* scene = MatchSetUp(1, dbdfNomal, 2, 3);
    ASSERT_NE(scene, nullptr);
    // Words held for a few steps each: directions, A, B, A+B, nothing.
    const uint16_t kinds[] = {0,      0x1000, 0x2000, 0x4000, 0x8000, 0x5000, 0x9000,
                              0x0001, 0x0002, 0x0003, 0x4001, 0x8002, 0x0008, 0x6000};
    uint32_t r = 12345;
    std::vector<uint8_t> words;
    const int steps = 4000;
    while (int(words.size()) < steps * 2) {
        r = r * 1103515245u + 12345u;
        const uint16_t w = kinds[(r >> 16) % (sizeof kinds / sizeof kinds[0])];
        const int hold = 1 + int((r >> 8) % 6);
        for (int k = 0; k < hold; ++k) {
            words.push_back(uint8_t(w));
            words.push_back(uint8_t(w >> 8));
        }
    }
    ADI.DI[0]->StartPlayback(words);
    scene->OnInit();
    TAllObTx& aot = *SC->AOT;
    int humanThrows = 0;
    DBBallMotionType last = aot.DBBallSt.Motion;
    for (int step = 0; step < steps; ++step) {
        ADI.Scan(true);
        scene->OnMove();
        const DBBallState& b = aot.DBBallSt;
        if (b.Motion != last && (b.Motion == dbbShoot || b.Motion == dbbPass) && b.PichTNo == 0)
            ++humanThrows;
        last = b.Motion;
        if (b.Motion == dbbHold || b.Motion == dbbShoot) {
            ASSERT_GE(b.ShTgPNo, -1) << step;
            ASSERT_LE(b.ShTgPNo, 3) << step;
        }
        for (int s = 0; s < DBSIDES; ++s)
            for (int p = 0; p < DBPOSITIONS; ++p) {
                const DBPlayerState& st = aot.ADBPSt[s][p];
                ASSERT_GE(st.MukiAgl, -1) << step;
                ASSERT_LE(st.MukiAgl, 7) << step;
                ASSERT_LE(int(st.LastLRKey), int(maR)) << step;
            }
    }
    EXPECT_GE(humanThrows, 1);  // the buttons do throw
}

}  // namespace
