// Aim sectors, facing and aim, and the shot and pass targets.
#include "tests/match_control_fixture.h"

using namespace mctest;

namespace {

struct AglCase {
    int32_t x, z;
    int sector;
};

TEST(MatchControlAim, SectorsTurnClockwiseFromTheBack) {
    const AglCase cases[] = {
        {0, 0, 4},   {0, -5, 4},  {0, 5, 0},   {5, 0, 2},   {-5, 0, 6},
        {5, 5, 0},   {5, 3, 1},   {5, -5, 3},  {5, -3, 2},  {-5, -5, 4},
        {-5, -3, 5}, {-5, 5, 7},  {-5, 3, 6},  {3, 5, 0},   {-3, -5, 4},
    };
    for (const AglCase& c : cases)
        EXPECT_EQ(TDBPlayer::GetTagAgl(c.x, c.z), c.sector) << c.x << "," << c.z;
}

struct FacingCase {
    int side, pos;
    MukiType m;
    MukiZType mz;
    int aim;
};

TEST_F(Court, AimFromTheFacingFollowsThePosition) {
    const FacingCase cases[] = {
        {0, 0, mL, mzF, 5}, {0, 0, mR, mzN, 2}, {0, 1, mR, mzB, 1}, {0, 2, mL, mzB, 7},
        {0, 4, mL, mzF, 5}, {0, 4, mR, mzF, 3}, {0, 5, mL, mzB, 7}, {0, 5, mR, mzN, 1},
        {0, 6, mL, mzN, 6}, {0, 6, mL, mzB, 7}, {1, 6, mR, mzF, 3}, {1, 6, mR, mzN, 2},
    };
    for (const FacingCase& c : cases) {
        TDBPlayer& p = P(c.side, c.pos);
        Face(p, c.m, c.mz);
        p.SetMukiAglFromMuki();
        EXPECT_EQ(p.MySt->MukiAgl, c.aim) << c.side << "/" << c.pos;
    }
}

TEST_F(Court, AnAimTheLineForbidsFallsBackToTheFacing) {
    // Position 4 (the back line) holding up: aim 0 is not allowed there, so
    // the facing gives it; an infielder facing left and front aims down-left.
    TDBPlayer& back = P(0, 4);
    Team(0).CtrlNo = 4;
    Face(back, mL, mzF);
    di0.Hold(ScriptDI::Bit(cU));
    EXPECT_FALSE(back.MukiSet(true, false, true));  // the back wish is dropped on the line
    EXPECT_EQ(back.MySt->MukiAgl, 5);
    EXPECT_EQ(back.MyZahyou->MukiZ(), mzF);

    di0.Hold(ScriptDI::Bit(cR));
    EXPECT_TRUE(back.MukiSet(true, false, true));
    EXPECT_EQ(back.MySt->MukiAgl, 3);
    EXPECT_EQ(back.MyZahyou->Muki(), mR);
}

TEST_F(Court, ShotTargetsByAimSector) {
    TDBPlayer& me = P(0, 0);
    Place(me, 20000, 5000);
    Face(me, mR, mzN);
    me.MySt->MukiAgl = 2;  // right: sectors 2 and 1 are strict
    for (int i = 0; i < 4; ++i) Place(P(1, i), 45000, 10000 + i);  // far away, sector 1 area
    // Enemy 0 exactly on the sector that starts at the aim minus one (1).
    Place(P(1, 0), 30000, 5001);
    // Enemy 1 nearer, but in sector 3 (aim plus one): not strict.
    Place(P(1, 1), 21000, 1000);
    P(1, 2).MySt->Dead_f = 1;
    P(1, 3).MySt->Dead_f = 1;
    EXPECT_EQ(me.GetTag(false), 0);
    // Without the aim every tested enemy is strict: the nearest wins.
    EXPECT_EQ(me.GetTag(true), 1);

    // Facing neither front nor back, an aim that misses everybody finds nobody.
    me.MySt->MukiAgl = 6;
    EXPECT_EQ(me.GetTag(false), -1);
    me.ShTagSet(false);
    EXPECT_EQ(Ball().ShTgPNo, -1);
    EXPECT_EQ(Ball().ShTgTNo, 1);

    // Facing front and right, sectors 2 and 4 are loose candidates.
    Face(me, mR, mzF);
    me.MySt->MukiAgl = 6;
    EXPECT_EQ(me.GetTag(false), -1);  // enemy 1 is in sector 3
    Place(P(1, 1), 24000, 5000);      // straight right: sector 2
    EXPECT_EQ(me.GetTag(false), 1);
    Place(P(1, 0), 30000, 5000);  // also loose, but further
    EXPECT_EQ(me.GetTag(false), 1);

    // Behind the enemy's end line the facing's sectors count as the aim's:
    // a nearer enemy in sector 4 beats one in the aimed sector 1.
    TDBPlayer& end = P(0, 6);
    Place(end, 20000, 5000);
    Face(end, mR, mzF);
    end.MySt->MukiAgl = 2;
    Place(P(1, 0), 30000, 5001);
    Place(P(1, 1), 20000, 1000);
    me.MySt->MukiAgl = 2;
    EXPECT_EQ(me.GetTag(false), 0);
    EXPECT_EQ(end.GetTag(false), 1);
}

TEST_F(Court, AKnockedBackEnemyFlyingHighCannotBeTargeted) {
    DB().DBSHOOT.FLYTAGY = 30;
    TDBPlayer& me = P(0, 0);
    Place(me, 20000, 5000);
    me.MySt->MukiAgl = 2;
    KillInfield(1);
    TDBPlayer& en = P(1, 0);
    en.MySt->Dead_f = 0;
    Place(en, 30000, 5000);
    en.MySt->Motion.MF = uint16_t(MFBit(dbmfAr) | MFBit(dbmfDam));
    en.MyZahyou->Y = 3001;
    EXPECT_EQ(me.GetTag(false), -1);
    en.MyZahyou->Y = 3000;
    EXPECT_EQ(me.GetTag(false), 0);
    en.MySt->Motion.MF = uint16_t(MFBit(dbmfENG));
    EXPECT_EQ(me.GetTag(false), -1);
}

TEST_F(Court, AnInfieldPassWithNobodyEligibleGoesToTheFarOutfielder) {
    TDBPlayer& me = P(0, 0);
    Face(me, mL, mzN);  // toward the own court
    for (int i = 1; i < 4; ++i) P(0, i).MySt->Motion.MF = MFBit(dbmfDam);
    Hold(me);
    me.PaTagSet();
    EXPECT_EQ(Ball().PaTgTNo, 0);
    EXPECT_EQ(Ball().PaTgPNo, 6);
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(Team(0).PosMove.Inf_f[i]);
}

// An infielder facing his own court passes inside the infield: facing front
// to the mates no deeper than he, the nearest in depth first; facing back to
// those no less deep, likewise; facing neither way to those within 2400 in
// depth, the furthest forward first. With nobody in angle, facing neither
// way the furthest forward, else the furthest back.
TEST_F(Court, InfieldPassesByDepthFacingAndAngle) {
    struct Case {
        const char* name;
        MukiZType mz;
        int32_t z1, z2, z3;  // mates 1, 2 and 3 at X 10000, 14000 and 16000
        int target;
    };
    const Case cases[] = {
        {"front", mzF, 5000, 3000, 8500, 1},
        {"back", mzB, 5000, 8000, 8500, 2},
        {"neither, one too deep", mzN, 5000, 8000, 8401, 2},
        {"neither, 2400 deep", mzN, 5000, 8000, 8400, 3},
        {"front, nobody in angle", mzF, 6500, 8000, 8500, 1},
        {"back, nobody in angle", mzB, 5000, 4000, 3000, 1},
        {"neither, nobody in angle", mzN, 9000, 9000, 9000, 3},
    };
    TDBPlayer& me = P(0, 0);
    Place(me, 20000, 6000);
    Hold(me);
    for (const Case& c : cases) {
        Place(P(0, 1), 10000, c.z1);
        Place(P(0, 2), 14000, c.z2);
        Place(P(0, 3), 16000, c.z3);
        Face(me, mL, c.mz);
        Ball().PaTgTNo = Ball().PaTgPNo = -1;
        me.PaTagSet();
        EXPECT_EQ(Ball().PaTgPNo, c.target) << c.name;
    }
}

// Taking the ball with nobody in his aim, a human holder gets no shot
// target, a computer one the nearest enemy; either way the enemy's
// controlled man becomes that nearest enemy.
TEST_F(Court, TakingTheBallWithNobodyInAimTargetsOnlyForTheComputer) {
    TDBPlayer& me = P(0, 0);
    Place(me, 20000, 5000);
    Face(me, mR, mzN);  // aims right: sectors 2 and 1
    KillInfield(1);
    P(1, 0).MySt->Dead_f = P(1, 1).MySt->Dead_f = 0;
    Place(P(1, 0), 20000, 9000);  // sector 0, 4000 away
    Place(P(1, 1), 21000, 500);   // sector 3, further
    for (int cpu : {0, 2}) {
        sdt.DBGDt.DBCPUNum = cpu;
        Team(1).CtrlNo = 1;
        me.BallGet(true);
        EXPECT_EQ(Team(1).CtrlNo, 0) << cpu;
        EXPECT_EQ(Ball().ShTgTNo, cpu ? 1 : -1) << cpu;
        EXPECT_EQ(Ball().ShTgPNo, cpu ? 0 : -1) << cpu;
    }
}

TEST_F(Court, OutfieldPassesByFacingAndLastKey) {
    struct Case {
        int pos;
        MukiType m;
        MukiZType mz;
        MukiTypeA last;
        int target;
    };
    // Side 0: the own court is to the left; the infield receiver is the
    // infielder furthest forward (position 0 is moved forward below).
    const Case cases[] = {
        {4, mL, mzF, maN, 5}, {4, mL, mzN, maN, 0}, {4, mR, mzN, maN, 6}, {4, mR, mzF, maL, 6},
        {5, mR, mzB, maN, 4}, {5, mL, mzF, maN, 0}, {5, mL, mzB, maR, 0}, {6, mL, mzF, maN, 5},
        {6, mL, mzB, maN, 4}, {6, mL, mzN, maN, 0},
    };
    Place(P(0, 0), 24000, 5000);
    for (const Case& c : cases) {
        TDBPlayer& me = P(0, c.pos);
        Face(me, c.m, c.mz);
        me.MySt->LastLRKey = c.last;
        me.PaTagSet();
        EXPECT_EQ(Ball().PaTgPNo, c.target) << c.pos << " " << int(c.m) << int(c.mz);
        EXPECT_EQ(Team(0).PosMove.Inf_f[0], c.target != 0);
    }
}

TEST_F(Court, PushingTheFacingCyclesTheFirstThreeInfieldReceivers) {
    TDBPlayer& me = P(0, 0);
    Place(me, 20000, 6000);
    Face(me, mL, mzN);  // toward the own court, no depth facing
    Place(P(0, 1), 10000, 5000);
    Place(P(0, 2), 14000, 6500);
    Place(P(0, 3), 12000, 7000);
    Hold(me);
    // Facing neither way the key is -LeftCrtX: the furthest forward first.
    me.PaTagSet();
    EXPECT_EQ(Ball().PaTgPNo, 2);
    std::vector<int> seen;
    for (int k = 0; k < 4; ++k) {
        di0.Push(ScriptDI::Bit(cL));
        me.PaTagSet();
        di0.Clear();
        seen.push_back(Ball().PaTgPNo);
    }
    EXPECT_EQ(seen, (std::vector<int>{3, 1, 2, 3}));
    // Without a push the receiver is kept.
    me.PaTagSet();
    EXPECT_EQ(Ball().PaTgPNo, 3);
}

TEST_F(Court, TheExpectedCutterIsTheEnemyNearestTheReceiverByWeightedDepth) {
    TDBPlayer& me = P(0, 4);
    Face(me, mL, mzF);
    me.MySt->LastLRKey = maN;
    Place(P(0, 5), 30000, 600);
    Place(P(1, 0), 30000, 2600);  // depth 2000 away, weighed as 3000
    Place(P(1, 1), 32800, 600);   // 2800 away in X
    Place(P(1, 2), 40000, 600);
    Place(P(1, 3), 40000, 600);
    me.PaTagSet();
    EXPECT_EQ(Ball().PaTgPNo, 5);
    EXPECT_EQ(Ball().PaCtTNo, 1);
    EXPECT_EQ(Ball().PaCtPNo, 1);
}

}  // namespace
