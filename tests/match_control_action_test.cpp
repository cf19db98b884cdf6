// The human player's keys and buttons: walking, dashing and turning, and the
// action buttons with the ball, against a ball held or flying, and for a free
// ball.
#include "tests/match_control_fixture.h"

using namespace mctest;

namespace {

constexpr uint16_t U = ScriptDI::Bit(cU), D = ScriptDI::Bit(cD), L = ScriptDI::Bit(cL),
                   R = ScriptDI::Bit(cR), A = ScriptDI::Bit(bA), B = ScriptDI::Bit(bB);

class MatchKeys : public Court {
protected:
    void SetUp() override {
        Court::SetUp();
        DB().DBJP.JUMPCSLTIME = 6;
        DB().DBJP.NOTKEYH = 20;
        DB().DBNAIYA.ECYOKERMT = 3;
        DB().DBB.ATARID = 10;
        DB().DBB.FREEATARID = 4;
        me = &P(0, 0);
        Place(*me, 15000, 5000);
        Stand(*me);
    }
    void Stand(TDBPlayer& p) {
        p.MySt->Motion = DBStMotion{};
        p.SetMtype(dbmtSt, true);
    }
    // Runs the action step of the controlled player with a word pushed now.
    void Press(uint16_t pushed, uint16_t held = 0) {
        di0.Clear();
        di0.Hold(held);
        di0.Push(pushed);
        me->MCKeyInputAT();
    }
    DBMotionType M(const TDBPlayer& p) const { return p.MySt->Motion.Mtype; }
    TDBPlayer* me = nullptr;
};

TEST_F(MatchKeys, AnOutfielderOnASideLineTurnsForAcrossKeysAndWalksAlongIt) {
    TDBPlayer& p = P(0, 4);
    Team(0).CtrlNo = 4;
    Stand(p);
    Face(p, mL, mzN);
    di0.Hold(U);
    p.MCKeyInput();
    EXPECT_EQ(M(p), dbmtSt);
    EXPECT_EQ(p.MyZahyou->MukiZ(), mzF);  // turned toward the court
    di0.Hold(L);
    p.MCKeyInput();
    EXPECT_EQ(M(p), dbmtWk);
    EXPECT_EQ(p.MySt->LastLRKey, maL);
    // Letting go stops him facing the court again.
    di0.Clear();
    p.MCKeyInput();
    EXPECT_EQ(M(p), dbmtSt);
    EXPECT_EQ(p.MyZahyou->MukiZ(), mzF);
    // Behind the enemy's end line, letting go turns him to the court.
    TDBPlayer& back = P(0, 6);
    Team(0).CtrlNo = 6;
    Stand(back);
    Face(back, mR, mzN);
    di0.Hold(U);
    back.MCKeyInput();
    di0.Clear();
    back.MCKeyInput();
    EXPECT_EQ(back.MyZahyou->Muki(), mL);
    // An infielder turns the way he holds as he starts to walk.
    Team(0).CtrlNo = 0;
    Face(*me, mR, mzN);
    di0.Hold(L | U);
    me->MCKeyInput();
    EXPECT_EQ(M(*me), dbmtWk);
    EXPECT_EQ(me->MyZahyou->Muki(), mL);
    EXPECT_EQ(me->MyZahyou->MukiZ(), mzB);
}

TEST_F(MatchKeys, AFreeManStillOwingCrouchesCrouchesInsteadOfActing) {
    me->MySt->Kagami_c = 2;
    Press(A);
    EXPECT_EQ(M(*me), dbmtKG);
    EXPECT_EQ(me->MySt->Kagami_c, 1);
    // Walking, he neither crouches nor acts.
    me->SetMtype(dbmtWk, false);
    Press(A);
    EXPECT_EQ(M(*me), dbmtWk);
    EXPECT_EQ(me->MySt->Kagami_c, 1);
}

TEST_F(MatchKeys, ADoubleTapDashesAnInfielderButNotAnOutfielder) {
    // A double tap of right, right held now.
    auto tap = [&] {
        di0.Clear();
        di0.Held[0] = R;
        di0.DHKey = dR;
    };
    tap();
    Face(*me, mL, mzN);
    me->MCKeyInput();
    EXPECT_EQ(M(*me), dbmtDs);
    EXPECT_EQ(me->MyZahyou->DsMuki(), mR);
    EXPECT_EQ(me->MyZahyou->Muki(), mR);
    EXPECT_EQ(me->MySt->Step_c, 1);

    TDBPlayer& out = P(0, 5);
    Team(0).CtrlNo = 5;
    Stand(out);
    tap();
    out.MCKeyInput();
    EXPECT_NE(M(out), dbmtDs);

    // Without the double tap right only walks.
    Team(0).CtrlNo = 0;
    Stand(*me);
    tap();
    di0.DHKey = dN;
    me->MCKeyInput();
    EXPECT_EQ(M(*me), dbmtWk);
}

TEST_F(MatchKeys, HoldingAgainstADashBrakesIt) {
    Face(*me, mL, mzN);
    me->MukiSetDash(mL);
    me->SetMtype(dbmtDs, false);
    di0.Hold(L);
    me->MCKeyInput();
    EXPECT_EQ(M(*me), dbmtDs);
    di0.Hold(R);
    me->MCKeyInput();
    EXPECT_EQ(M(*me), dbmtSl);
}

TEST_F(MatchKeys, AJumpCancelIsRefusedLateAndInTheAir) {
    me->SetMtype(dbmtSh, false);
    me->MySt->Motion.M_c = 5;
    di0.Hold(A);
    di0.Push(B);
    EXPECT_TRUE(me->CancelJmp());
    EXPECT_EQ(M(*me), dbmtJCr);

    Stand(*me);
    me->SetMtype(dbmtSh, false);
    me->MySt->Motion.M_c = 6;
    EXPECT_FALSE(me->CancelJmp());
    EXPECT_EQ(M(*me), dbmtSh);

    me->MySt->Motion.Mtype = dbmtJSh;
    me->MySt->Motion.MF = uint16_t(MFBit(dbmfAr) | MFBit(dbmfAct));
    me->MySt->Motion.M_c = 0;
    EXPECT_FALSE(me->CancelJmp());
}

TEST_F(MatchKeys, WithTheBallAPassesAndBShoots) {
    Hold(*me);
    Ball().PaTgTNo = 0, Ball().PaTgPNo = 6;
    Place(P(0, 6), 21000, 9000);  // 6000 along, 4000 back: steep
    Face(*me, mL, mzN);
    Press(A);
    EXPECT_EQ(M(*me), dbmtPa);
    EXPECT_EQ(me->MyZahyou->Muki(), mR);  // he looks at the receiver first
    EXPECT_EQ(me->MyZahyou->MukiZ(), mzB);
    Stand(*me);
    Press(B);
    EXPECT_EQ(M(*me), dbmtSh);
    // The authoring drop key does nothing in the shipped build.
    Stand(*me);
    Press(ScriptDI::Bit(bY));
    EXPECT_EQ(Ball().Motion, dbbHold);
    glb.Flags.Debug_f = true;
    Press(ScriptDI::Bit(bY));
    EXPECT_EQ(Ball().Motion, dbbBound);
}

TEST_F(MatchKeys, AgainstAnEnemysBallADodgesAndBCatchesOutsideTheCatchWait) {
    Hold(P(1, 0));
    Press(A);
    EXPECT_EQ(M(*me), dbmtDg);
    EXPECT_EQ(sound.Played, std::vector<int>{30});
    // Holding A keeps the dodge frame.
    me->MySt->Anime.Ani_c = 3;
    Press(0, A);
    EXPECT_EQ(me->MySt->Anime.Ani_c, 0);

    Stand(*me);
    me->MySt->CatchW_c = 2;
    Press(B);
    EXPECT_EQ(M(*me), dbmtSt);
    me->MySt->CatchW_c = 0;
    Press(B);
    EXPECT_EQ(M(*me), dbmtCa);

    // A jump catch is not held back by the wait.
    Stand(*me);
    me->MySt->Motion.Mtype = dbmtJ2;
    me->MySt->Motion.MF = uint16_t(MFBit(dbmfAr) | MFBit(dbmfMuki));
    me->MyZahyou->dY = 100;
    me->MySt->CatchW_c = 5;
    Press(B);
    EXPECT_EQ(M(*me), dbmtJCa);
}

// A dash catch goes back to the dash while its direction is held; holding
// the ball in it, A with a direction turns first and passes the way he now
// faces, no longer dashing.
TEST_F(MatchKeys, ADashCatchRunsOnOrTurnsToPass) {
    me->MukiSetDash(mL);
    me->SetMtype(dbmtDs, false);
    me->SetMtype(dbmtCa, false);
    Press(0, R);
    EXPECT_EQ(M(*me), dbmtCa);
    Press(0, L);
    EXPECT_EQ(M(*me), dbmtDs);

    // Holding the ball, a turn in the dash catch chooses the targets again.
    me->SetMtype(dbmtCa, false);
    Hold(*me);
    Ball().PaTgTNo = Ball().PaTgPNo = -1;
    di0.Clear();
    di0.Hold(R);
    me->MCKeyInput();
    EXPECT_EQ(me->MyZahyou->Muki(), mR);
    EXPECT_EQ(Ball().PaTgTNo, 0);
    Face(*me, mL, mzN);
    Ball().PaTgTNo = Ball().PaTgPNo = -1;
    Press(A, R);
    EXPECT_EQ(M(*me), dbmtPa);
    EXPECT_EQ(me->MyZahyou->Muki(), mR);
    EXPECT_EQ(Ball().PaTgTNo, 0);  // the turn chose the receiver again
    EXPECT_FALSE(me->HasMF(dbmfDs));
    // B from the standing catch shoots.
    me->SetMtype(dbmtCa, false);
    Press(B);
    EXPECT_EQ(M(*me), dbmtSh);
}

TEST_F(MatchKeys, FallingLowInAJumpNothingCanBeThrownOrCaught) {
    Hold(*me);
    Ball().PaTgTNo = 0, Ball().PaTgPNo = 6;
    me->MySt->Motion.Mtype = dbmtJ2;
    me->MySt->Motion.MF = uint16_t(MFBit(dbmfAr) | MFBit(dbmfMuki));
    me->MyZahyou->dY = 0;
    me->MyZahyou->Y = 1999;
    Press(B);
    EXPECT_EQ(M(*me), dbmtJ2);
    me->MyZahyou->Y = 2000;
    Press(B);
    EXPECT_EQ(M(*me), dbmtJSh);
}

TEST_F(MatchKeys, AFreeBallWithinReachIsTakenWithTheDodgeButton) {
    Ball().Motion = dbbBound;
    Ball().Atari = DBRect{150, 10, 160, 20};
    me->MySt->Kurai = DBRect{145, 0, 165, 40};
    BallZ().Z = me->MyZahyou->Z + 900;  // 9 pixels away in depth: within 10
    Press(A);
    EXPECT_EQ(M(*me), dbmtDg);
    EXPECT_TRUE(me->Ball_f());
    EXPECT_EQ(Ball().Motion, dbbHold);

    // A resting ball has the shorter reach.
    Stand(*me);
    Ball() = DBBallState{};
    Ball().Motion = dbbFree;
    Ball().HoldTNo = Ball().HoldPNo = -1;
    Ball().Atari = DBRect{150, 10, 160, 20};
    EXPECT_FALSE(me->CheckPickUpPos());
    BallZ().Z = me->MyZahyou->Z + 300;
    EXPECT_TRUE(me->CheckPickUpPos());
}

TEST_F(MatchKeys, AReturningInfieldersDodgeIsCutShort) {
    me->MySt->Auto.AutoType = dbaReturn;
    Hold(P(1, 0));
    Press(A);
    EXPECT_EQ(M(*me), dbmtDg);
    int held = 0;
    for (int f = 0; f < 6; ++f) {
        me->MySt->Anime.Ani_c = 5;
        Press(0, A);
        if (me->MySt->Anime.Ani_c == 0) ++held;
    }
    EXPECT_EQ(held, 2);  // ECDdg_c 1 and 2 are below 3
    // Catching with the ball, a held direction turns him; without it, not.
    for (const bool holds : {false, true}) {
        me->SetMtype(dbmtCa, false);
        if (holds) Hold(*me);
        Face(*me, mR, mzN);
        Press(0, L);
        EXPECT_EQ(me->MyZahyou->Muki(), holds ? mL : mR) << holds;
    }
}

}  // namespace

namespace {

// The real device slot, played from recorded words: a tap of left, a step of
// nothing and left again dash the controlled infielder to the left, and A
// held with B pushed jumps from the dash.
TEST_F(MatchKeys, RecordedWordsDashAndJumpThroughTheDeviceSlot) {
    TDISAI slot(nullptr, 0, 8);
    std::vector<uint8_t> words;
    for (uint16_t w : {L, uint16_t(0), L, L, uint16_t(L | A), uint16_t(L | A | B)}) {
        words.push_back(uint8_t(w));
        words.push_back(uint8_t(w >> 8));
    }
    slot.StartPlayback(words);
    me->DI = &slot;
    Face(*me, mR, mzN);
    for (int step = 0; step < 4; ++step) {
        slot.Scan(true);
        me->MCKeyInput();
    }
    EXPECT_EQ(M(*me), dbmtDs);
    EXPECT_EQ(me->MyZahyou->DsMuki(), mL);
    slot.Scan(true);
    me->MCKeyInput();
    EXPECT_EQ(M(*me), dbmtDs);
    slot.Scan(true);
    me->MCKeyInput();
    EXPECT_EQ(M(*me), dbmtJCr);
    EXPECT_TRUE(me->MySt->Motion.MF.Has(dbmfDs));  // a dash jump
}

}  // namespace

namespace {

// The automatic dodge and the CPU catch start only once the reaction lag is
// over and only from standing, walking or dashing; the automatic dodge holds
// its own frame, the catch does not.
TEST_F(MatchKeys, TheAutomaticDodgeAndCatchWaitForTheirLag) {
    TDBPlayer& p = P(0, 1);
    struct Case {
        DBAutoType at;
        DBMotionType from;
        int lag;
        DBMotionType to;
        bool se;
        int aniAfter;  // Ani_c starts at 4
    };
    const Case cases[] = {
        {dbaCPUCach, dbmtSt, 0, dbmtCa, true, 0},  {dbaCPUCach, dbmtDs, 0, dbmtCa, true, 0},
        {dbaCPUCach, dbmtWk, 1, dbmtWk, false, 4}, {dbaCPUCach, dbmtCr, 0, dbmtCr, false, 4},
        {dbaCPUCach, dbmtDg, 0, dbmtDg, false, 4}, {dbaDg, dbmtWk, 0, dbmtDg, true, 0},
        {dbaDg, dbmtSt, 3, dbmtSt, false, 4},      {dbaDg, dbmtCr, 0, dbmtCr, false, 4},
        {dbaDg, dbmtDg, 0, dbmtDg, false, 0},      {dbaDg, dbmtDg, 1, dbmtDg, false, 4},
    };
    for (const Case& c : cases) {
        p.MySt->Motion = DBStMotion{};
        p.SetMtype(c.from, true);
        p.MySt->Auto.AutoType = c.at;
        p.MySt->DdgLag_c = c.lag;
        p.MySt->Anime.Ani_c = 4;
        sound.Played.clear();
        p.MCKeyInputAT();
        const std::string name = std::to_string(c.at) + "/" + std::to_string(c.from) + "/" +
                                 std::to_string(c.lag);
        EXPECT_EQ(M(p), c.to) << name;
        EXPECT_EQ(sound.Played, c.se ? std::vector<int>{30} : std::vector<int>{}) << name;
        EXPECT_EQ(p.MySt->Anime.Ani_c, c.aniAfter) << name;
    }
}

// A fetcher takes any ball in reach from standing, walking or dashing; a
// player holding a place, or a free man, takes only a bouncing ball, and only
// standing on the ground. A pick-up is a catch that turns toward the court.
TEST_F(MatchKeys, AutomaticPickUpsByBehaviourAndMotion) {
    struct Case { int pos; DBAutoType at; DBMotionType m; bool air; DBBallMotionType ball; bool taken; };
    const Case cases[] = {
        {1, dbaGet, dbmtSt, false, dbbBound, true},   {1, dbaGet, dbmtWk, false, dbbFree, true},
        {1, dbaGet, dbmtCr, false, dbbBound, false},  {1, dbaPos, dbmtSt, false, dbbBound, true},
        {1, dbaPos2, dbmtSt, false, dbbBound, true},  {1, dbaPos, dbmtWk, false, dbbBound, false},
        {1, dbaPos2, dbmtSt, false, dbbFree, false},  {1, dbaFree, dbmtSt, false, dbbBound, true},
        {1, dbaFree, dbmtSt, true, dbbBound, false},  {1, dbaFree, dbmtDs, false, dbbBound, false},
        {1, dbaShCv, dbmtSt, false, dbbBound, false}, {4, dbaGet, dbmtDs, false, dbbBound, true},
    };
    for (const Case& c : cases) {
        ResetCourt();
        di0.Clear();
        TDBPlayer& p = P(0, c.pos);
        Team(0).CtrlNo = 0;
        Place(p, 15000, 5000);
        Face(p, mR, mzB);
        p.MySt->Motion = DBStMotion{};
        p.SetMtype(c.m, true);
        if (c.air) p.MySt->Motion.MF = uint16_t(p.MySt->Motion.MF | MFBit(dbmfAr));
        p.MySt->Auto.AutoType = c.at;
        p.MySt->Kurai = DBRect{145, 0, 165, 40};
        Ball().Motion = c.ball;
        Ball().Atari = DBRect{150, 10, 160, 20};
        BallZ().Z = 5000;
        sound.Played.clear();
        p.MCKeyInputAT();
        const std::string name = std::to_string(c.pos) + "/" + std::to_string(c.at) + "/" +
                                 std::to_string(c.m) + (c.air ? " air" : "");
        EXPECT_EQ(p.Ball_f(), c.taken) << name;
        if (!c.taken) continue;
        EXPECT_EQ(M(p), dbmtCa) << name;
        EXPECT_EQ(sound.Played, (std::vector<int>{12, 30})) << name;
        if (c.pos == 4) {
            EXPECT_EQ(p.MyZahyou->MukiZ(), mzF) << name;  // to the court
        }
    }
}

// The hit box and the hurt box meet only when they overlap: boxes that just
// touch on any side do not; the depths must differ by less than the reach.
TEST_F(MatchKeys, APickUpNeedsOverlappingBoxesAndADepthWithinReach) {
    const DBRect hurt{100, 100, 120, 140};
    me->MySt->Kurai = hurt;
    Ball().Motion = dbbBound;
    struct Case {
        DBRect atari;
        int32_t dz;  // ball depth minus player depth
        bool ok;
    };
    const Case cases[] = {
        {{90, 110, 100, 120}, 0, false},   // touches on the left
        {{91, 110, 101, 120}, 0, true},    // one pixel in
        {{120, 110, 130, 120}, 0, false},  // touches on the right
        {{119, 110, 129, 120}, 0, true},
        {{105, 90, 115, 100}, 0, false},   // touches above
        {{105, 91, 115, 101}, 0, true},
        {{105, 140, 115, 150}, 0, false},  // touches below
        {{105, 139, 115, 149}, 0, true},
        {{105, 110, 115, 120}, 999, true},    // 9 pixels: within 10
        {{105, 110, 115, 120}, 1000, false},  // 10 pixels: not
        {{105, 110, 115, 120}, -900, true},   // compared in whole pixels:
        {{105, 110, 115, 120}, -901, false},  // 40 against 50
    };
    for (const Case& c : cases) {
        Ball().Atari = c.atari;
        BallZ().Z = me->MyZahyou->Z + c.dz;
        EXPECT_EQ(me->CheckPickUpPos(), c.ok) << c.atari.Left << "," << c.atari.Top << " " << c.dz;
    }
    // Within reach: a held ball cannot be taken, nor an enemy's shot; a shot
    // of his own side can.
    BallZ().Z = me->MyZahyou->Z;
    Ball().Atari = DBRect{105, 110, 115, 120};
    Ball().Motion = dbbShoot;
    Ball().PichTNo = 0;
    EXPECT_TRUE(me->CheckPickUpPos());
    Ball().PichTNo = 1;
    EXPECT_FALSE(me->CheckPickUpPos());
    Ball().Motion = dbbHold;
    EXPECT_FALSE(me->CheckPickUpPos());
    Ball().Motion = dbbPass;
    EXPECT_TRUE(me->CheckPickUpPos());
    // In the middle of a catch, his step takes the ball within reach.
    me->SetMtype(dbmtCa, false);
    me->MySt->Kurai = hurt;
    Press(0);
    EXPECT_TRUE(me->Ball_f());
}

}  // namespace

namespace {

// A returning human player dodges a threat with a push of A, jump-cancels a
// throw, and takes a ball in reach while catching; a computer side does none
// of it, and an outfielder only jump-cancels.
TEST_F(MatchKeys, AReturningPlayerDodgesCancelsAndCatchesByHisPlace) {
    enum Threat { enemyHolds, shotAtUs, shotAtThem, mateHolds, inReach };
    struct Case {
        const char* name;
        int pos;
        bool cpu;
        DBMotionType m;
        Threat ball;
        uint16_t pushed, held;
        DBMotionType to;
        bool taken;
    };
    const Case cases[] = {
        {"dodges a held ball", 0, false, dbmtWk, enemyHolds, A, 0, dbmtDg, false},
        {"dodges a shot at his side", 0, false, dbmtDs, shotAtUs, A, 0, dbmtDg, false},
        {"a shot at the others", 0, false, dbmtSt, shotAtThem, A, 0, dbmtSt, false},
        {"a mate holds", 0, false, dbmtSt, mateHolds, A, 0, dbmtSt, false},
        {"A held, not pushed", 0, false, dbmtSt, enemyHolds, 0, A, dbmtSt, false},
        {"a computer side", 0, true, dbmtSt, enemyHolds, A, 0, dbmtSt, false},
        {"an outfielder", 4, false, dbmtSt, enemyHolds, A, 0, dbmtSt, false},
        {"cancels a shot", 0, false, dbmtSh, shotAtThem, B, A, dbmtJCr, false},
        {"cancels a pass", 0, false, dbmtPa, shotAtThem, B, A, dbmtJCr, false},
        {"an outfielder cancels", 4, false, dbmtPa, shotAtThem, B, A, dbmtJCr, false},
        {"a computer side cancels nothing", 0, true, dbmtSh, shotAtThem, B, A, dbmtSh, false},
        {"catching takes it", 0, false, dbmtCa, inReach, 0, 0, dbmtCa, true},
        {"an outfielder does not", 4, false, dbmtCa, inReach, 0, 0, dbmtCa, false},
        {"a computer side does not", 0, true, dbmtCa, inReach, 0, 0, dbmtCa, false},
        {"walking does not", 0, false, dbmtWk, inReach, 0, 0, dbmtWk, false},
    };
    for (const Case& c : cases) {
        ResetCourt();
        sdt.DBGDt.DBCPUNum = c.cpu ? 2 : 0;
        TDBPlayer& p = P(0, c.pos);
        Team(0).CtrlNo = c.pos;
        Place(p, 15000, 5000);
        Stand(p);
        p.SetMtype(c.m, true);
        p.MySt->Auto.AutoType = dbaReturn;
        p.MySt->Kurai = DBRect{145, 0, 165, 40};
        switch (c.ball) {
            case enemyHolds: Hold(P(1, 0)); break;
            case mateHolds: Hold(P(0, 2)); break;
            case shotAtUs:
            case shotAtThem:
                Ball().Motion = dbbShoot;
                Ball().ShTgTNo = c.ball == shotAtUs ? 0 : 1;
                Ball().ShTgPNo = 1;
                break;
            case inReach:
                Ball().Motion = dbbBound;
                Ball().Atari = DBRect{150, 10, 160, 20};
                BallZ().Z = 5000;
                break;
        }
        sound.Played.clear();
        di0.Clear();
        di0.Hold(c.held);
        di0.Push(c.pushed);
        p.MCKeyInputAT();
        EXPECT_EQ(M(p), c.to) << c.name;
        EXPECT_EQ(p.Ball_f(), c.taken) << c.name;
        if (c.to == dbmtDg) {
            EXPECT_EQ(sound.Played, std::vector<int>{30}) << c.name;
        }
    }
    sdt.DBGDt.DBCPUNum = 0;
}

// The buttons in a slide, in a jump, in a dash catch with the ball, and in a
// dodge.
TEST_F(MatchKeys, ButtonsInASlideAJumpACatchAndADodge) {
    auto jump = [&](int32_t y, int32_t dy) {
        Stand(*me);
        me->MySt->Motion.Mtype = dbmtJ2;
        me->MySt->Motion.MF = uint16_t(MFBit(dbmfAr) | MFBit(dbmfMuki));
        me->MyZahyou->Y = y, me->MyZahyou->dY = dy;
        sound.Played.clear();
    };
    // Sliding against an enemy's ball, A dodges; so it does in a jump, still
    // rising low in the air, and holding A keeps the jump dodge's frame.
    Hold(P(1, 0));
    me->SetMtype(dbmtSl, false);
    Press(A);
    EXPECT_EQ(M(*me), dbmtDg);
    jump(100, 1);
    Press(A);
    EXPECT_EQ(M(*me), dbmtJDg);
    EXPECT_EQ(sound.Played, std::vector<int>{30});
    me->MySt->Anime.Ani_c = 2;
    Press(0, A);
    EXPECT_EQ(me->MySt->Anime.Ani_c, 0);
    // After an air action, or on the ground, nothing.
    for (const bool ground : {false, true}) {
        jump(5000, 100);
        me->MySt->AirAct_f = !ground;
        if (ground) me->MySt->Motion.MF = MFBit(dbmfMuki);
        Press(B);
        EXPECT_EQ(M(*me), dbmtJ2) << ground;
    }
    // A jump catch of a bouncing ball 10 pixels away misses; in reach it
    // takes the ball, which in the air ends the catch.
    ResetCourt();
    Ball().Motion = dbbBound;
    Ball().Atari = DBRect{150, 10, 160, 20};
    me->MySt->Kurai = DBRect{145, 0, 165, 40};
    for (const int32_t dz : {1000, 0}) {
        jump(5000, 100);
        BallZ().Z = me->MyZahyou->Z + dz;
        Press(B);
        EXPECT_EQ(M(*me), dz ? dbmtJCa : dbmtJ2);
        EXPECT_EQ(sound.Played, (dz ? std::vector<int>{30} : std::vector<int>{30, 12}));
    }
    // With the ball: A passes in the jump, B shoots at the target after
    // turning to him; the authoring key drops the ball with the jumper's speed.
    jump(5000, 100);
    Ball().PaTgTNo = 0, Ball().PaTgPNo = 6;
    Press(A);
    EXPECT_EQ(M(*me), dbmtJPa);
    jump(5000, 100);
    Ball().ShTgTNo = 1, Ball().ShTgPNo = 0;
    Place(P(1, 0), 5000, 5000);
    Face(*me, mR, mzN);
    Press(B);
    EXPECT_EQ(M(*me), dbmtJSh);
    EXPECT_EQ(me->MyZahyou->Muki(), mL);
    jump(5000, 100);
    Hold(*me);
    glb.Flags.Debug_f = true;
    me->MyZahyou->dX = 120, me->MyZahyou->dY = -30, me->MyZahyou->dZ = 40;
    Press(ScriptDI::Bit(bY));
    glb.Flags.Debug_f = false;
    EXPECT_EQ(M(*me), dbmtJ2);
    EXPECT_EQ(Ball().Motion, dbbBound);
    EXPECT_EQ((std::vector<int32_t>{BallZ().dX, BallZ().dY, BallZ().dZ}), (std::vector<int32_t>{120, -30, 40}));

    // A dash catch with the ball, the dash's direction not held: B shoots
    // and the jump jumps, neither as a dash throw.
    Team(0).CtrlNo = 0;  // the drop handed control on
    for (const bool jumps : {false, true}) {
        Stand(*me);
        me->MyZahyou->dX = me->MyZahyou->dY = me->MyZahyou->dZ = 0;
        me->MukiSetDash(mL);
        me->SetMtype(dbmtDs, false);
        me->SetMtype(dbmtCa, false);
        Hold(*me);
        Press(B, jumps ? A : 0);
        EXPECT_EQ(int(M(*me)), int(jumps ? dbmtJCr : dbmtSh)) << jumps;
        EXPECT_FALSE(me->HasMF(dbmfDs)) << jumps;
    }
    // B with a direction held turns him first and aims again that way.
    Stand(*me);
    me->SetMtype(dbmtCa, false);
    Hold(*me);
    Ball().ShTgTNo = Ball().ShTgPNo = -1;
    Face(*me, mL, mzN);
    Press(B, R);
    EXPECT_EQ(M(*me), dbmtSh);
    EXPECT_EQ(me->MyZahyou->Muki(), mR);
    EXPECT_EQ(Ball().ShTgTNo, 1);
    // Holding the ball, a held A keeps no dodge frame.
    me->SetMtype(dbmtDg, false);
    me->MySt->Anime.Ani_c = 3;
    Press(0, A);
    EXPECT_EQ(me->MySt->Anime.Ani_c, 3);
}

// The CPU attacker waits out his wait and any action under way, and an
// infielder his run; then he stops attacking: a pass kind faces (an
// infielder keeps his way and draws a depth, an outfielder faces right),
// chooses the targets again and passes, a shot kind shoots, each from the
// ground or in a jump, and only from a motion that can start a throw.
TEST_F(MatchKeys, TheCPUAttackWaitsThenThrowsByKindAndMotion) {
    sdt.DBGDt.DBCPUNum = 1;
    struct Case { int pos; DBCPUAtType at; DBMotionType m; int wait, step; bool hold; DBMotionType to; bool stops; };
    const Case cases[] = {
        {1, dbcaDSh, dbmtSt, 0, 3, true, dbmtSh, true},   {1, dbcaDSh, dbmtSt, 1, 3, true, dbmtSt, false},
        {1, dbcaDSh, dbmtCr, 0, 3, true, dbmtCr, false},  {1, dbcaDSh, dbmtSt, 0, 2, true, dbmtSt, false},
        {4, dbcaDSh, dbmtSt, 0, 0, true, dbmtSh, true},   {1, dbcaJSh, dbmtJ2, 0, 3, true, dbmtJSh, true},
        {1, dbcaPa, dbmtWk, 0, 3, true, dbmtPa, true},    {1, dbcaNPa, dbmtDs, 0, 3, true, dbmtPa, true},
        {1, dbcaJPa, dbmtJ2, 0, 3, true, dbmtJPa, true},  {1, dbcaPa, dbmtPW, 0, 3, true, dbmtPW, true},
        {1, dbcaPa, dbmtSt, 0, 3, false, dbmtPa, true},   {6, dbcaPa, dbmtSt, 0, 0, false, dbmtPa, true},
    };
    for (const Case& c : cases) {
        ResetCourt();
        TDBPlayer& cpu = P(1, c.pos);
        if (c.pos == 1) Place(cpu, 40000, 5000);  // far from the attack line
        if (c.hold) Hold(cpu);
        cpu.MySt->Motion = DBStMotion{};
        if (c.m == dbmtJ2) cpu.MySt->Motion.MF = MFBit(dbmfAr);
        cpu.SetMtype(c.m, true);
        Face(cpu, mL, mzN);
        DBPlayerState& st = *cpu.MySt;
        st.Auto.AutoType = dbaCPUSht;
        st.CPUSt = DBCPUSt{};
        st.CPUSt.AtType = c.at;
        st.CPUSt.Ds_c = 3;
        st.CPUSt.Wait_c = c.wait;
        st.Step_c = c.step;
        const uint64_t draws = RandomDraws();
        cpu.MCKeyInputAT();
        const std::string name = std::to_string(c.pos) + "/" + std::to_string(c.at) + "/" +
                                 std::to_string(c.m) + "/" + std::to_string(c.wait) + "/" +
                                 std::to_string(c.step);
        EXPECT_EQ(M(cpu), c.to) << name;
        EXPECT_EQ(st.Auto.AutoType, c.stops ? dbaFree : dbaCPUSht) << name;
        EXPECT_EQ(Ball().PaTgPNo != -1, c.stops && c.hold && c.at > dbcaJSh) << name;
        if (c.hold) continue;
        // With no receiver he keeps the facing his place gives him.
        EXPECT_EQ(cpu.MyZahyou->Muki(), c.pos == 6 ? mR : mL) << name;
        EXPECT_EQ(RandomDraws() > draws, c.pos != 6) << name;
    }
    sdt.DBGDt.DBCPUNum = 0;
}

}  // namespace

namespace {

// Turning toward a target as seen 10 steps ahead: left or right by its X,
// front or back only when it lies steeper than 1 in 2; an infielder's shot
// at a man within 2400 along and 1200 across keeps the facing.
TEST_F(MatchKeys, LookingAtATargetByItsPlaceTenStepsAhead) {
    struct Case { bool pass; int32_t tx, tz; MukiType m; MukiZType mz; };
    const Case cases[] = {
        {true, 15000, 5000, mR, mzN},   // on the spot: right, no depth
        {true, 21000, 8000, mR, mzN},   // 6000 along, 3000 back: not steep
        {true, 20999, 8000, mR, mzB},
        {true, 9000, 2000, mL, mzN},
        {true, 9001, 2000, mL, mzF},
        {false, 17400, 6200, mL, mzF},  // a shot at a man close by: kept
        {false, 12600, 3800, mL, mzF},
        {false, 17401, 6200, mR, mzN},
        {false, 17400, 6201, mR, mzB},
        {false, 12599, 3800, mL, mzN},
        {true, 17400, 6200, mR, mzN},   // a pass turns however close
    };
    for (const Case& c : cases) {
        TDBPlayer& tg = c.pass ? P(0, 2) : P(1, 0);
        Place(tg, c.tx, c.tz);
        Face(*me, mL, mzF);
        me->LookTg(c.pass ? 2 : 0, c.pass);
        EXPECT_EQ(me->MyZahyou->Muki(), c.m) << c.pass << " " << c.tx << "," << c.tz;
        EXPECT_EQ(me->MyZahyou->MukiZ(), c.mz) << c.pass << " " << c.tx << "," << c.tz;
    }
    // Running left past a receiver, he keeps facing left.
    Place(P(0, 2), 14000, 5000);
    Face(*me, mL, mzN);
    me->MyZahyou->dX = -300;
    me->LookTg(2, true);
    EXPECT_EQ(me->MyZahyou->Muki(), mL);
    // Moving (100, 100) a step, he looks from (16000, 6000): the receiver at
    // (18000, 4000) is (2000, -2000) off, steep enough to face the front.
    me->MyZahyou->dX = me->MyZahyou->dZ = 100;
    Place(P(0, 2), 18000, 4000);
    me->LookTg(2, true);
    EXPECT_EQ(me->MyZahyou->Muki(), mR);
    EXPECT_EQ(me->MyZahyou->MukiZ(), mzF);
    // Without a target the back side line faces the back, from a fresh
    // automatic facing; others keep theirs.
    me->MyZahyou->dX = me->MyZahyou->dZ = 0;
    Face(P(0, 5), mR, mzN);
    P(0, 5).MySt->Auto.AMuki = maL;
    P(0, 5).LookTg(-1, true);
    EXPECT_EQ(P(0, 5).MyZahyou->MukiZ(), mzB);
    EXPECT_EQ(P(0, 5).MyZahyou->Muki(), mR);
    Face(P(0, 4), mL, mzN);
    P(0, 4).LookTg(-1, true);
    EXPECT_EQ(P(0, 4).MyZahyou->MukiZ(), mzF);
    Face(*me, mL, mzF);
    me->LookTg(-1, false);
    EXPECT_EQ(me->MyZahyou->MukiZ(), mzF);
    EXPECT_EQ(me->MyZahyou->Muki(), mL);
}

}  // namespace
