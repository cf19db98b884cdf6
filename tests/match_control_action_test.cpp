// The human player's keys and buttons: walking, dashing and turning, and the
// action buttons with the ball, against a ball held or flying, and for a free
// ball.
#include "tests/match_control_fixture.h"

using namespace mctest;

namespace {

constexpr uint16_t U = ScriptDI::Bit(cU), D = ScriptDI::Bit(cD), L = ScriptDI::Bit(cL),
                   R = ScriptDI::Bit(cR), A = ScriptDI::Bit(bA), B = ScriptDI::Bit(bB);

class Keys : public Court {
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

TEST_F(Keys, AnOutfielderOnASideLineTurnsForAcrossKeysAndWalksAlongIt) {
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

TEST_F(Keys, AFreeManStillOwingCrouchesCrouchesInsteadOfActing) {
    me->MySt->Kagami_c = 2;
    Press(A);
    EXPECT_EQ(M(*me), dbmtKG);
    EXPECT_EQ(me->MySt->Kagami_c, 1);
}

TEST_F(Keys, ADoubleTapDashesAnInfielderButNotAnOutfielder) {
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

TEST_F(Keys, HoldingAgainstADashBrakesIt) {
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

TEST_F(Keys, AJumpCancelIsRefusedLateAndInTheAir) {
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

TEST_F(Keys, WithTheBallAPassesAndBShoots) {
    Hold(*me);
    Ball().PaTgTNo = 0, Ball().PaTgPNo = 6;
    Press(A);
    EXPECT_EQ(M(*me), dbmtPa);
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

TEST_F(Keys, AgainstAnEnemysBallADodgesAndBCatchesOutsideTheCatchWait) {
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
TEST_F(Keys, ADashCatchRunsOnOrTurnsToPass) {
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
    Press(A, R);
    EXPECT_EQ(M(*me), dbmtPa);
    EXPECT_EQ(me->MyZahyou->Muki(), mR);
    EXPECT_FALSE(me->HasMF(dbmfDs));
    // B from the standing catch shoots.
    me->SetMtype(dbmtCa, false);
    Press(B);
    EXPECT_EQ(M(*me), dbmtSh);
}

TEST_F(Keys, FallingLowInAJumpNothingCanBeThrownOrCaught) {
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

TEST_F(Keys, AFreeBallWithinReachIsTakenWithTheDodgeButton) {
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
    // An enemy's shot cannot be picked up.
    Ball().Motion = dbbShoot;
    Ball().PichTNo = 1;
    EXPECT_FALSE(me->CheckPickUpPos());

    // A free mate standing by a bouncing ball takes it without a button.
    TDBPlayer& mate = P(0, 1);
    Place(mate, 15000, 5000);
    Stand(mate);
    mate.MySt->Kurai = me->MySt->Kurai;
    Ball().Motion = dbbBound;
    Ball().PichTNo = -1;
    mate.MCKeyInputAT();
    EXPECT_TRUE(mate.Ball_f());
}

TEST_F(Keys, AReturningInfieldersDodgeIsCutShort) {
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

TEST_F(Keys, LookingAtThePassTargetTurnsTowardHim) {
    Place(P(0, 2), 10000, 8000);
    Face(*me, mR, mzN);
    me->LookTg(2, true);
    EXPECT_EQ(me->MyZahyou->Muki(), mL);
    EXPECT_EQ(me->MyZahyou->MukiZ(), mzB);
    // An infielder's shot at a man just in front keeps his facing.
    Place(P(1, 0), 16000, 5500);
    Face(*me, mL, mzN);
    me->LookTg(0, false);
    EXPECT_EQ(me->MyZahyou->Muki(), mL);
    // Running right past his receiver within the ten steps, he keeps facing
    // right.
    Place(P(0, 2), 16000, 5000);
    Face(*me, mR, mzN);
    me->MyZahyou->dX = 300;
    me->LookTg(2, true);
    EXPECT_EQ(me->MyZahyou->Muki(), mR);
    me->MyZahyou->dX = 0;
    // Without a target the side lines face the court.
    TDBPlayer& back = P(0, 4);
    Face(back, mL, mzN);
    back.LookTg(-1, true);
    EXPECT_EQ(back.MyZahyou->MukiZ(), mzF);
}

}  // namespace

namespace {

// The real device slot, played from recorded words: a tap of left, a step of
// nothing and left again dash the controlled infielder to the left, and A
// held with B pushed jumps from the dash.
TEST_F(Keys, RecordedWordsDashAndJumpThroughTheDeviceSlot) {
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
