// Rules of the match that once went wrong, and choices the match makes where
// its rules leave room: whole computer matches end, control goes back to the
// ball holder, only the holder lets the ball go, computer sides read no
// device, the aim of shots, the pass cutter and the stored save image.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "tests/MatchSoakKit.h"
#include "tests/match_control_fixture.h"

using namespace mctest;

namespace {

// ------------------------------------------------------------ whole matches

class MatchEnd : public WholeMatchFixture {};

// Two matches that once froze with the ball held for ever (its holder had
// lost control while knocked back and nobody threw again), then a run of
// seeds with teams and levels spread over the game's.
TEST_F(MatchEnd, EverySeededComputerMatchEnds) {
    struct Case {
        int32_t seed, team0, team1;
        DBDifficulty level;
    };
    std::vector<Case> cases = {{128, 7, 6, dbdfNomal}, {2386, 9, 20, dbdfEasy}};
    for (int32_t s = 1; s <= 12; ++s) cases.push_back({s, s * 5 % 24, s * 7 % 24, DBDifficulty(s % 3)});
    for (const Case& c : cases) {
        game.SetUpMatch(2, c.level, c.team0, c.team1);
        SetRandSeed(c.seed);
        const MatchOutcome m = game.Play(60000);
        EXPECT_NE(m.Winner, -1) << "seed " << c.seed << " after " << m.Steps << " steps";
    }
}

// ------------------------------------------------------------ control

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
        Team(0).CtrlNo = 1;
        // Crouching after a hit he cannot take it...
        P(0, 0).MySt->Motion.MF = MFBit(dbmfDam);
        T(0).GetCtrl();
        EXPECT_NE(Team(0).CtrlNo, 0) << cpuNum;
        // ... and once he stands again he has it, whoever had it meanwhile.
        P(0, 0).MySt->Motion.MF = MFBit(dbmfJpOK);
        Team(0).CtrlNo = 1;
        T(0).GetCtrl();
        EXPECT_EQ(Team(0).CtrlNo, 0) << cpuNum;
    }
}

// ------------------------------------------------------------ save image

TEST(SaveImage, StoresZeroPaddingAndBooleansAsZeroOrOne) {
    auto sv = std::make_unique<QuickSaveData>();
    std::memset(sv.get(), 0xA5, sizeof *sv);
    const std::vector<uint8_t> bytes = QuickSaveToBytes(*sv);
    const size_t player = offsetof(QuickSaveData, ADBPSt), ball = offsetof(QuickSaveData, DBBallSt);
    const size_t team = offsetof(QuickSaveData, DBTSt), game = offsetof(QuickSaveData, DBGDt);
    // Booleans: a player's Dead_f and Tame_f, the ball's PaJC_f and NmlSh_f,
    // a team's EnC_f and PosReset_f, the slow rule.
    for (size_t at : {player + 124, player + 12 + 16, ball + 200, ball + 112 + 60, team + 8,
                      team + 72, game + 2})
        EXPECT_EQ(bytes[at], 1) << at;
    // Padding of the same records and of a coordinate record.
    for (size_t at : {player + 3, player + 125, player + 255, ball + 1, ball + 287, team + 73,
                      game + 125, size_t(offsetof(QuickSaveData, ADBZahyou) + 3)})
        EXPECT_EQ(bytes[at], 0) << at;
    EXPECT_EQ(bytes[player + 128], 0xA5);  // numbers are kept as they are
}

}  // namespace
