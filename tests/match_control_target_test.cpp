// Aim sectors, facing and aim, and the shot and pass targets.
#include <functional>

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

// Besides the two sectors of his aim, a thrower facing diagonally reaches two
// sectors by his facing: back-right 1 and 7, back-left 6 and 0, front-right 2
// and 4, front-left 3 and 5; facing level, none.
TEST_F(Court, EachDiagonalFacingReachesItsTwoLooseSectors) {
    TDBPlayer& me = P(0, 0);
    Place(me, 20000, 5000);
    KillInfield(1);
    TDBPlayer& en = P(1, 0);
    en.MySt->Dead_f = 0;
    const int32_t at[8][2] = {{3, 5}, {5, 3}, {5, -3}, {3, -5}, {-3, -5}, {-5, -3}, {-5, 3}, {-3, 5}};
    const struct {
        MukiType m;
        MukiZType mz;
        int aim;
        std::vector<int> reached;
    } cases[] = {
        {mR, mzB, 4, {1, 3, 4, 7}}, {mL, mzB, 4, {0, 3, 4, 6}}, {mR, mzF, 0, {0, 2, 4, 7}},
        {mL, mzF, 0, {0, 3, 5, 7}}, {mR, mzN, 0, {0, 7}},
    };
    for (const auto& c : cases) {
        Face(me, c.m, c.mz);
        std::vector<int> reached;
        for (int sector = 0; sector < 8; ++sector) {
            Place(en, 20000 + at[sector][0] * 1000, 5000 + at[sector][1] * 1000);
            me.MySt->MukiAgl = c.aim;
            if (me.GetTag(false) == 0) reached.push_back(sector);
        }
        EXPECT_EQ(reached, c.reached) << int(c.m) << " " << int(c.mz);
    }
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
    // Only a knocked-back flier is limited: a jumper or a man down is not.
    en.MyZahyou->Y = 3001;
    en.MySt->Motion.MF = uint16_t(MFBit(dbmfAr));
    EXPECT_EQ(me.GetTag(false), 0);
    en.MySt->Motion.MF = uint16_t(MFBit(dbmfDam));
    EXPECT_EQ(me.GetTag(false), 0);
    en.Live_f = false;
    EXPECT_EQ(me.GetTag(false), -1);
}

// Equal distances keep the lower position, strict or loose; without an aim
// the facing gives it first.
TEST_F(Court, TargetTiesKeepTheLowerPositionAndAMissingAimComesFromTheFacing) {
    TDBPlayer& me = P(0, 0);
    Place(me, 20000, 5000);
    Face(me, mR, mzF);
    KillInfield(1);
    for (int i : {1, 2}) P(1, i).MySt->Dead_f = 0;
    me.MySt->MukiAgl = 2;
    Place(P(1, 1), 23000, 4000);  // sector 2, strict
    Place(P(1, 2), 23000, 6000);  // sector 1, strict, as far
    EXPECT_EQ(me.GetTag(false), 1);
    me.MySt->MukiAgl = 6;         // both loose (sectors 2 and 4 by the facing)
    Place(P(1, 2), 20000, 1838);  // sector 4, 3162 away like the other
    EXPECT_EQ(me.GetTag(false), 1);
    Place(P(1, 2), 20000, 1839);  // a unit nearer
    EXPECT_EQ(me.GetTag(false), 2);
    // No aim yet: facing front and right aims down-right (3), making the
    // man in sector 2 strict and so ahead of the nearer loose one.
    me.MySt->MukiAgl = -1;
    EXPECT_EQ(me.GetTag(false), 1);
    EXPECT_EQ(me.MySt->MukiAgl, 3);
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
    Place(P(1, 0), 30000, 1000);  // 400 off in depth, weighed as 600
    me.PaTagSet();
    EXPECT_EQ(Ball().PaCtPNo, 0);
    P(1, 0).MySt->Dead_f = 1;     // out: cuts nothing
    Place(P(1, 2), 27200, 600);   // 2800 the other way: the tie keeps 1
    me.PaTagSet();
    EXPECT_EQ(Ball().PaCtPNo, 1);
    P(1, 1).Live_f = false;
    me.PaTagSet();
    EXPECT_EQ(Ball().PaCtPNo, 2);
    // A player not yet set up (no state) is passed over.
    DBPlayerState* st2 = P(1, 2).MySt;
    P(1, 2).MySt = nullptr;
    me.PaTagSet();
    P(1, 2).MySt = st2;
    EXPECT_EQ(Ball().PaCtPNo, 3);
    // Only infielders cut: an outfielder on the receiver does not.
    Place(P(1, 4), 30000, 600);
    me.PaTagSet();
    EXPECT_EQ(Ball().PaCtPNo, 2);
}

}  // namespace

namespace {

constexpr uint16_t kU = ScriptDI::Bit(cU), kD = ScriptDI::Bit(cD), kL = ScriptDI::Bit(cL),
                   kR = ScriptDI::Bit(cR);

// The aim from four wishes (left, right, front, back) by position; an
// infielder or a side-line man without a fitting wish keeps his aim.
TEST_F(Court, TheAimFromFourWishesByPosition) {
    struct Case {
        int side, pos, start;
        bool l, r, f, b;
        int aim;
    };
    const Case cases[] = {
        {0, 0, -1, 1, 0, 0, 0, 6}, {0, 0, -1, 0, 1, 0, 0, 2}, {0, 0, -1, 1, 1, 0, 0, 6},
        {0, 0, 3, 0, 0, 0, 0, 3},  {0, 0, -1, 1, 0, 0, 1, 7}, {0, 0, -1, 0, 1, 0, 1, 1},
        {0, 0, 3, 0, 0, 0, 1, 0},  {0, 0, 2, 0, 0, 0, 1, 1},  {0, 0, 6, 0, 0, 0, 1, 7},
        {0, 0, -1, 1, 0, 1, 0, 5}, {0, 0, -1, 0, 1, 1, 0, 3}, {0, 0, 0, 0, 0, 1, 0, 4},
        {0, 0, 2, 0, 0, 1, 0, 3},  {0, 0, 6, 0, 0, 1, 0, 5},  {0, 0, -1, 0, 0, 1, 1, 0},
        {0, 4, -1, 1, 0, 0, 0, 5}, {0, 4, -1, 0, 1, 0, 0, 3}, {0, 4, -1, 1, 1, 0, 0, 5},
        {0, 4, 4, 0, 0, 1, 1, 4},  {0, 5, -1, 1, 0, 0, 0, 7}, {0, 5, -1, 0, 1, 0, 0, 1},
        {0, 5, -1, 1, 1, 0, 0, 7}, {0, 5, 0, 0, 0, 1, 1, 0},  {1, 6, -1, 0, 0, 0, 1, 1},
        {1, 6, -1, 0, 0, 1, 0, 3}, {1, 6, -1, 1, 0, 0, 0, 2}, {1, 6, -1, 0, 0, 1, 1, 1},
        {0, 6, -1, 0, 0, 0, 1, 7}, {0, 6, -1, 0, 0, 1, 0, 5}, {0, 6, 7, 0, 1, 0, 0, 6},
    };
    for (const Case& c : cases) {
        TDBPlayer& p = P(c.side, c.pos);
        p.MySt->MukiAgl = c.start;
        p.SetMukiAgl(c.l, c.r, c.f, c.b);
        EXPECT_EQ(p.MySt->MukiAgl, c.aim)
            << c.side << "/" << c.pos << " from " << c.start << " " << c.l << c.r << c.f << c.b;
    }
}

// MukiSet: the aim from the keys (the controlled human) or from the automatic
// wish (anyone else, and a computer side), the facing from the movement wish
// bent by the outfield lines, an aim the line forbids replaced by the facing's.
TEST_F(Court, FacingAndAimFromTheWishesAndTheLines) {
    struct Case {
        const char* name;
        int side, pos;
        bool ctrl;
        DBStAuto wish;
        uint16_t held;
        bool posMuki, posMuki2, di;
        MukiType m0;
        MukiZType mz0;
        bool changed;
        MukiType m;
        MukiZType mz;
        int aim;
    };
    const DBStAuto none{dbaFree, maN, mzaN, 0};
    const Case cases[] = {
        {"back line pushed to face the court", 0, 4, true, none, 0, true, true, false, mL, mzN, true,
         mL, mzF, 5},
        {"back line keeps a front wish", 0, 4, true, none, kD, true, false, false, mR, mzN, true, mR,
         mzF, 3},
        {"back line drops a back wish", 0, 4, true, none, kU, true, false, true, mL, mzF, false, mL,
         mzF, 5},
        {"front line keeps a back wish", 0, 5, true, none, kU, true, false, false, mR, mzN, true, mR,
         mzB, 1},
        {"front line drops a front wish", 0, 5, true, none, kD, true, false, false, mR, mzB, false,
         mR, mzB, 1},
        {"front line pushed to face the court", 0, 5, true, none, 0, true, true, false, mL, mzN, true,
         mL, mzB, 7},
        {"side-0 end line faces left", 0, 6, true, none, kR, true, false, false, mR, mzN, true, mL,
         mzN, 6},
        {"side-1 end line faces right, aiming up", 1, 6, true, none, kU, true, false, false, mL, mzN,
         true, mR, mzB, 1},
        {"without the line rules the end line turns as held", 0, 6, true, none, kR, false, false,
         false, mL, mzN, true, mR, mzN, 6},
        // A controlled man in an automatic move: aim from the keys, facing
        // from the move, unless the keys are asked for.
        {"back line aims right while moving left", 0, 4, true, {dbaReturn, maL, mzaN, 0}, kR, true,
         false, false, mR, mzF, true, mL, mzN, 3},
        {"back line aims left while moving right", 0, 4, true, {dbaReturn, maR, mzaN, 0}, kL, true,
         false, false, mL, mzF, true, mR, mzN, 5},
        {"front line aims right while moving left", 0, 5, true, {dbaReturn, maL, mzaN, 0}, kR, true,
         false, false, mR, mzB, true, mL, mzN, 1},
        {"side-1 end line aims up while moving front", 1, 6, true, {dbaReturn, maN, mzaF, 0}, kU,
         true, false, false, mR, mzN, true, mR, mzF, 1},
        {"side-0 end line aims front while moving back", 0, 6, true, {dbaReturn, maN, mzaB, 0}, kD,
         true, false, false, mL, mzN, true, mL, mzB, 5},
        {"the keys asked for override the move", 0, 0, true, {dbaReturn, maL, mzaN, 0}, kR, false,
         false, true, mL, mzN, true, mR, mzN, 2},
        {"an uncontrolled man aims and turns by his wish", 0, 0, false, {dbaFree, maL, mzaB, 0}, kR,
         false, false, false, mR, mzN, true, mL, mzB, 7},
        {"nothing wished keeps the facing and takes its aim", 0, 0, true, none, 0, false, false,
         false, mL, mzF, false, mL, mzF, 5},
    };
    for (const Case& c : cases) {
        ResetCourt();
        TDBPlayer& p = P(c.side, c.pos);
        Team(c.side).CtrlNo = c.ctrl ? c.pos : 3;
        p.MySt->Auto = c.wish;
        Face(p, c.m0, c.mz0);
        ScriptDI& di = c.side == 0 ? di0 : di1;
        di.Clear();
        di.Hold(c.held);
        EXPECT_EQ(p.MukiSet(c.posMuki, c.posMuki2, c.di), c.changed) << c.name;
        EXPECT_EQ(p.MyZahyou->Muki(), c.m) << c.name;
        EXPECT_EQ(p.MyZahyou->MukiZ(), c.mz) << c.name;
        EXPECT_EQ(p.MySt->MukiAgl, c.aim) << c.name;
    }
    // A computer side's controlled man follows his wish, not the device.
    sdt.DBGDt.DBCPUNum = 1;
    ResetCourt();
    TDBPlayer& cpu = P(1, 0);
    Team(1).CtrlNo = 0;
    cpu.MySt->Auto = DBStAuto{dbaFree, maR, mzaF, 0};
    di1.Hold(kL);
    EXPECT_TRUE(cpu.MukiSet(false, false, true));
    EXPECT_EQ(cpu.MyZahyou->Muki(), mR);
    EXPECT_EQ(cpu.MySt->MukiAgl, 3);
    // The authoring build shows the front-line man's aim, by side, and
    // nobody else's.
    glb.Flags.Debug_f = true;
    ResetCourt();
    P(0, 4).MukiSet(true, false, false);
    P(1, 5).MukiSet(true, false, false);  // facing left and back: aim 7
    EXPECT_EQ(glb.DbgTxt[0], "TGGG3 1 = 7");
    EXPECT_TRUE(glb.DbgTxtSt[1].empty());
}

// The automatic facing: the wish read back from the facing applies as no
// change; a changed facing recomputes the aim, an unchanged one leaves it.
TEST_F(Court, AutomaticAndDashFacingsReportAChange) {
    TDBPlayer& p = P(0, 1);
    const struct {
        MukiType m;
        MukiZType mz;
        MukiTypeA wm;
        MukiZTypeA wz;
    } inits[] = {{mR, mzF, maR, mzaF}, {mL, mzB, maL, mzaB}, {mL, mzN, maL, mzaN}};
    for (const auto& c : inits) {
        Face(p, c.m, c.mz);
        p.AutoMukiInit();
        EXPECT_EQ(p.MySt->Auto.AMuki, c.wm);
        EXPECT_EQ(p.MySt->Auto.AMukiZ, c.wz);
        p.MySt->MukiAgl = 9;
        EXPECT_FALSE(p.MukiSetAuto());
        EXPECT_EQ(p.MySt->MukiAgl, 9);
    }
    p.MySt->Auto.AMuki = maR;  // from left, no depth: right and level
    EXPECT_TRUE(p.MukiSetAuto());
    EXPECT_EQ(p.MyZahyou->MukiZ(), mzN);
    EXPECT_EQ(p.MySt->MukiAgl, 2);
    p.MySt->Auto.AMuki = maN, p.MySt->Auto.AMukiZ = mzaF;
    EXPECT_TRUE(p.MukiSetAuto());
    EXPECT_EQ(p.MySt->MukiAgl, 3);

    EXPECT_TRUE(p.MukiSetDash(mL));  // from right and front
    EXPECT_EQ(p.MyZahyou->Muki(), mL);
    EXPECT_EQ(p.MyZahyou->MukiZ(), mzN);
    EXPECT_EQ(p.MyZahyou->DsMuki(), mL);
    EXPECT_EQ(p.MySt->MukiAgl, 6);
    p.MySt->MukiAgl = 9;
    EXPECT_FALSE(p.MukiSetDash(mL));
    EXPECT_EQ(p.MySt->MukiAgl, 9);
    Face(p, mL, mzF);  // only the depth facing changes
    EXPECT_TRUE(p.MukiSetDash(mL));
    EXPECT_EQ(p.MySt->MukiAgl, 6);
}

// The key step of the controlled human, motion by motion: what starts, how he
// faces, the last horizontal key remembered and whether the motion restarted
// (its counter, 4 before the step, back at 0).
TEST_F(Court, TheKeyStepByMotion) {
    DB().DBJP.JUMPCSLTIME = 6;
    constexpr uint16_t JP = 0x0800;  // the jump: A held, B pushed
    const uint16_t kGround = uint16_t(MFBit(dbmfJpOK) | MFBit(dbmfMuki));
    const uint16_t kAir = uint16_t(MFBit(dbmfAr) | MFBit(dbmfMuki));
    const uint16_t kAct = MFBit(dbmfAct);
    const uint16_t kDash = uint16_t(MFBit(dbmfDs) | MFBit(dbmfJpOK));
    struct Case {
        const char* name;
        int side, pos;
        DBMotionType m0;
        uint16_t mf, held;
        DHType dh;
        bool ball;
        MukiType fm0;
        MukiZType fmz0;
        MukiTypeA last0;
        DBMotionType m;
        MukiType fm;
        MukiZType fmz;
        MukiTypeA last;
        int32_t mc;
    };
    const Case cases[] = {
        {"standing jump", 0, 0, dbmtSt, kGround, JP, dN, false, mR, mzN, maR, dbmtJCr, mR, mzN, maR, 0},
        {"standing double-tap dashes", 0, 0, dbmtSt, kGround, kL, dL, false, mR, mzN, maR, dbmtDs, mL,
         mzN, maR, 0},
        {"an outfielder's double-tap does nothing", 0, 5, dbmtSt, kGround, kR, dR, false, mL, mzB,
         maL, dbmtSt, mL, mzB, maL, 4},
        {"walking off left", 0, 0, dbmtSt, kGround, kL, dN, false, mR, mzN, maR, dbmtWk, mL, mzN, maL,
         0},
        {"walking off up", 0, 0, dbmtSt, kGround, kU, dN, false, mR, mzN, maL, dbmtWk, mR, mzB, maN,
         0},
        {"end line turns only", 0, 6, dbmtSt, kGround, kR, dN, false, mR, mzN, maL, dbmtSt, mL, mzN,
         maR, 0},
        {"end line walks along", 0, 6, dbmtSt, kGround, kU, dN, false, mL, mzN, maL, dbmtWk, mL, mzB,
         maN, 0},
        {"back line already facing the court", 0, 4, dbmtSt, kGround, kU, dN, false, mL, mzF, maR,
         dbmtSt, mL, mzF, maN, 4},
        {"back line walks along", 0, 4, dbmtSt, kGround, kR, dN, false, mL, mzF, maL, dbmtWk, mR, mzN,
         maR, 0},
        {"standing without keys", 0, 0, dbmtSt, kGround, 0, dN, false, mR, mzN, maL, dbmtSt, mR, mzN,
         maL, 4},
        {"walking jump", 0, 0, dbmtWk, kGround, JP | kL, dN, false, mR, mzN, maR, dbmtJCr, mR, mzN,
         maL, 0},
        {"walking double-tap dashes", 0, 0, dbmtWk, kGround, kR, dR, false, mL, mzN, maL, dbmtDs, mR,
         mzN, maR, 0},
        {"an outfielder's walking double-tap walks on", 0, 4, dbmtWk, kGround, kR, dR, false, mL, mzF,
         maL, dbmtWk, mR, mzN, maR, 4},
        {"walking on holding down", 0, 0, dbmtWk, kGround, kD, dN, false, mR, mzN, maR, dbmtWk, mR,
         mzF, maN, 4},
        {"letting go stops", 0, 0, dbmtWk, kGround, 0, dN, false, mR, mzN, maL, dbmtSt, mR, mzN, maL,
         0},
        {"end-line walker stops on left", 0, 6, dbmtWk, kGround, kL, dN, false, mR, mzN, maR, dbmtSt,
         mL, mzN, maL, 0},
        {"side-1 end-line walker stops facing right", 1, 6, dbmtWk, kGround, 0, dN, false, mL, mzN,
         maL, dbmtSt, mR, mzN, maL, 0},
        {"front-line walker stops to face the court", 0, 5, dbmtWk, kGround, kU, dN, false, mR, mzN,
         maR, dbmtSt, mR, mzB, maN, 0},
        {"back-line walker goes on left", 0, 4, dbmtWk, kGround, kL, dN, false, mR, mzF, maR, dbmtWk,
         mL, mzN, maL, 4},
        {"left dash braked by right", 0, 0, dbmtDs, kDash, kR, dN, false, mL, mzN, maL, dbmtSl, mL,
         mzN, maL, 0},
        {"right dash braked by left", 0, 0, dbmtDs, kDash, kL, dN, false, mR, mzN, maR, dbmtSl, mR,
         mzN, maR, 0},
        {"dash jump", 0, 0, dbmtDs, kDash, JP | kL, dN, false, mL, mzN, maR, dbmtJCr, mL, mzN, maR, 0},
        {"dash runs on", 0, 0, dbmtDs, kDash, 0, dN, false, mL, mzN, maR, dbmtDs, mL, mzN, maR, 4},
        {"crouching front-line man faces the court", 0, 5, dbmtCr, kAct, 0, dN, false, mR, mzN, maR,
         dbmtCr, mR, mzB, maR, 4},
        {"crouching back-line man faces the court", 0, 4, dbmtJCr, kAct, 0, dN, false, mL, mzN, maR,
         dbmtJCr, mL, mzF, maR, 4},
        {"crouching infielder keeps his facing", 0, 0, dbmtCr, kAct, kL, dN, false, mR, mzN, maR,
         dbmtCr, mR, mzN, maR, 4},
        {"turning in the air", 0, 0, dbmtJ2, kAir, kL, dN, false, mR, mzN, maR, dbmtJ2, mL, mzN, maL,
         0},
        {"no turn in a mid-air recovery", 0, 0, dbmtJ2, uint16_t(kAir | MFBit(dbmfARv)), kL, dN, false,
         mR, mzN, maR, dbmtJ2, mR, mzN, maL, 4},
        {"no turn before the take-off", 0, 0, dbmtJ2, kGround, kL, dN, false, mR, mzN, maR, dbmtJ2, mR,
         mzN, maL, 4},
        {"no turn in the air without keys", 0, 0, dbmtJ2, kAir, 0, dN, false, mR, mzN, maR, dbmtJ2, mR,
         mzN, maR, 4},
        {"back-line man turns to the court in the air", 0, 4, dbmtJ2, kAir, kU, dN, false, mL, mzN,
         maR, dbmtJ2, mL, mzF, maN, 0},
        {"a slide ignores the jump", 0, 0, dbmtSl, kAct, JP, dN, false, mR, mzN, maR, dbmtSl, mR, mzN,
         maR, 4},
        {"a throw is jump-cancelled", 0, 0, dbmtSh, kAct, JP, dN, false, mR, mzN, maR, dbmtJCr, mR,
         mzN, maR, 0},
        {"a catch without the ball is jump-cancelled", 0, 0, dbmtCa, kAct, JP, dN, false, mR, mzN, maR,
         dbmtJCr, mR, mzN, maR, 0},
        {"a catch with the ball is not", 0, 0, dbmtCa, kAct, JP, dN, true, mR, mzN, maR, dbmtCa, mR,
         mzN, maR, 4},
        {"a standing catch with the ball does not turn", 0, 0, dbmtCa, kAct, kL, dN, true, mR, mzN,
         maR, dbmtCa, mR, mzN, maR, 4},
        {"a dash catch with the ball turns", 0, 0, dbmtCa, uint16_t(kAct | MFBit(dbmfDs)), kL, dN,
         true, mR, mzN, maR, dbmtCa, mL, mzN, maR, 4},
    };
    for (const Case& c : cases) {
        ResetCourt();
        TDBPlayer& p = P(c.side, c.pos);
        ScriptDI& di = c.side == 0 ? di0 : di1;
        Team(c.side).CtrlNo = c.pos;
        Face(p, c.fm0, c.fmz0);
        if (c.m0 == dbmtDs) p.MyZahyou->SetDashMuki(c.fm0);
        DBStMotion& mo = p.MySt->Motion;
        mo = DBStMotion{};
        mo.Mtype = c.m0;
        mo.MF = c.mf;
        mo.M_c = 4;
        p.MySt->LastLRKey = c.last0;
        if (c.ball) Hold(p);
        di.Clear();
        if (c.held & JP) {
            di.Hold(uint16_t(ScriptDI::Bit(bA) | (c.held & 0xF000)));
            di.Push(ScriptDI::Bit(bB));
        } else {
            di.Hold(c.held);
        }
        di.DHKey = c.dh;
        p.MCKeyInput();
        EXPECT_EQ(mo.Mtype, c.m) << c.name;
        EXPECT_EQ(p.MyZahyou->Muki(), c.fm) << c.name;
        EXPECT_EQ(p.MyZahyou->MukiZ(), c.fmz) << c.name;
        EXPECT_EQ(p.MySt->LastLRKey, c.last) << c.name;
        EXPECT_EQ(mo.M_c, c.mc) << c.name;
        // Only the turning dash catch aims anew.
        const bool aimed = c.ball && c.fm != c.fm0;
        EXPECT_EQ(Ball().ShTgTNo, aimed ? 1 : -1) << c.name;
        EXPECT_EQ(Ball().PaTgTNo, aimed ? 0 : -1) << c.name;
    }
}

// Starting jumps and dashes: the jump needs a motion that allows it (unless
// unchecked) and never starts from a pass hit; the automatic dash starts only
// on the ground and brakes against its own direction.
TEST_F(Court, JumpAndDashStarts) {
    TDBPlayer& p = P(0, 0);
    DBStMotion& mo = p.MySt->Motion;
    auto set = [&](DBMotionType m, uint16_t mf) {
        mo = DBStMotion{};
        mo.Mtype = m;
        mo.MF = mf;
        p.MyZahyou->dX = 300;
    };
    set(dbmtCa, MFBit(dbmfAct));
    p.JumpSet(true);
    EXPECT_EQ(mo.Mtype, dbmtCa);
    p.JumpSet(false);
    EXPECT_EQ(mo.Mtype, dbmtJCr);
    EXPECT_EQ(p.MyZahyou->dX, 0);
    set(dbmtPHF, MFBit(dbmfPHit));
    p.JumpSet(false);
    EXPECT_EQ(mo.Mtype, dbmtPHF);
    EXPECT_EQ(p.MyZahyou->dX, 300);

    struct Case {
        DBMotionType m0;
        MukiType ds;
        MukiTypeA wish;
        DBMotionType m;
        MukiType face;
    };
    const Case cases[] = {
        {dbmtDs, mL, maR, dbmtSl, mL}, {dbmtDs, mR, maL, dbmtSl, mR}, {dbmtDs, mL, maL, dbmtDs, mL},
        {dbmtSt, mR, maL, dbmtDs, mL}, {dbmtWk, mL, maR, dbmtDs, mR}, {dbmtWk, mL, maN, dbmtWk, mL},
        {dbmtSl, mL, maR, dbmtSl, mL}, {dbmtCa, mL, maR, dbmtCa, mL},
    };
    for (const Case& c : cases) {
        set(c.m0, 0);
        p.MyZahyou->SetDashMuki(c.ds);
        p.NextAuto.AMuki = c.wish;
        p.AutoDashSet();
        EXPECT_EQ(mo.Mtype, c.m) << int(c.m0) << " " << int(c.wish);
        EXPECT_EQ(p.MyZahyou->Muki(), c.face) << int(c.m0) << " " << int(c.wish);
    }

    // A dash by the device keeps the step count unless asked to restart it.
    set(dbmtWk, 0);
    p.MySt->Step_c = 5;
    di0.DHKey = dR;
    p.DashSet(false);
    EXPECT_EQ(mo.Mtype, dbmtDs);
    EXPECT_EQ(p.MySt->Step_c, 5);
    set(dbmtWk, 0);
    di0.DHKey = dN;
    p.DashSet(true);
    EXPECT_EQ(mo.Mtype, dbmtWk);
    EXPECT_EQ(p.MySt->Step_c, 5);
}

}  // namespace

namespace {

// An infielder facing the enemy passes out by his depth facing, or while
// dashing by the CPU's depth wish or the human's held direction; the pass
// names every infielder but a chosen one to his formation place.
TEST_F(Court, AnInfielderFacingTheEnemyPassesOutByDepth) {
    struct Case {
        const char* name;
        int side;
        MukiZType mz;
        bool dash;
        uint16_t held;
        MukiZTypeA wish;
        int target;
    };
    const Case cases[] = {
        {"facing front", 0, mzF, false, kU, mzaB, 5},
        {"facing back", 0, mzB, false, kD, mzaF, 4},
        {"level", 0, mzN, false, kU, mzaB, 6},
        {"dashing, up held", 0, mzF, true, kU, mzaN, 4},
        {"dashing, down held", 0, mzB, true, kD, mzaN, 5},
        {"dashing, nothing held", 0, mzF, true, 0, mzaF, 6},
        {"CPU dashing, front wish", 1, mzB, true, kU, mzaF, 5},
        {"CPU dashing, back wish", 1, mzF, true, kD, mzaB, 4},
        {"CPU dashing, no wish", 1, mzF, true, kU, mzaN, 6},
    };
    sdt.DBGDt.DBCPUNum = 1;
    for (const Case& c : cases) {
        ResetCourt();
        TDBPlayer& me = P(c.side, 0);
        Face(me, c.side == 0 ? mR : mL, c.mz);
        me.MySt->Motion.MF = c.dash ? MFBit(dbmfDs) : 0;
        me.MySt->Auto.AMukiZ = c.wish;
        ScriptDI& di = c.side == 0 ? di0 : di1;
        di.Clear();
        di.Hold(c.held);
        Hold(me);
        for (auto& f : Team(c.side).PosMove.Inf_f) f = 0;
        me.PaTagSet();
        EXPECT_EQ(Ball().PaTgTNo, c.side) << c.name;
        EXPECT_EQ(Ball().PaTgPNo, c.target) << c.name;
        for (int i = 0; i < 4; ++i) EXPECT_EQ(Team(c.side).PosMove.Inf_f[i], 1) << c.name;
    }
}

// Who is eligible for an infield pass: free mates with no automatic
// behaviour who will not land in the enemy court; a mate level with the
// thrower is in angle facing front or back; the last man passes out.
TEST_F(Court, InfieldPassEligibility) {
    TDBPlayer& me = P(0, 0);
    Place(me, 20000, 6000);
    Hold(me);
    Place(P(0, 1), 10000, 6000);
    Place(P(0, 2), 14000, 3000);
    Place(P(0, 3), 16000, 8500);
    struct Case {
        const char* name;
        MukiZType mz;
        std::function<void()> setUp;
        int target;
    };
    const Case cases[] = {
        {"facing front, a mate level with him is in angle", mzF, [] {}, 1},
        {"facing back, likewise", mzB, [] {}, 1},
        {"facing front, that mate on an errand", mzF,
         [this] { P(0, 1).MySt->Auto.AutoType = dbaGet; }, 2},
        {"facing front, that mate landing past the centre", mzF,
         [this] { P(0, 1).MySt->LandX = 25201; }, 2},
        {"facing front, that mate landing on the inner line", mzF,
         [this] { P(0, 1).MySt->LandX = 25200; }, 1},
        {"facing front, that mate hit", mzF,
         [this] { P(0, 1).MySt->Motion.MF = MFBit(dbmfDam); }, 2},
        {"the last man", mzF, [this] {
             KillInfield(0);
             P(0, 0).MySt->Dead_f = 0;
         }, 6},
    };
    for (const Case& c : cases) {
        for (int i = 0; i < 4; ++i) {
            P(0, i).MySt->Dead_f = 0;
            P(0, i).MySt->Auto.AutoType = dbaFree;
            P(0, i).MySt->LandX = 0;
            P(0, i).MySt->Motion.MF = 0;
        }
        c.setUp();
        Face(me, mL, c.mz);
        Ball().PaTgTNo = Ball().PaTgPNo = -1;
        me.PaTagSet();
        EXPECT_EQ(Ball().PaTgPNo, c.target) << c.name;
    }
}

}  // namespace

namespace {

// With an infield receiver chosen, only a push of the facing's own direction
// (down facing front, up facing back) picks another: the next of the first
// two in order when the facing is unchanged, else the first unless he is the
// receiver already. A computer side reads no pushes.
TEST_F(Court, OnlyThePushedFacingDirectionChangesTheInfieldReceiver) {
    struct Case {
        const char* name;
        MukiZType mz, before;
        int current;
        uint16_t pushed;
        int cpus;
        int target;
    };
    // In order of depth toward the facing: 1, 3, 2.
    const Case cases[] = {
        {"front, down pushed", mzF, mzF, 1, kD, 0, 3},
        {"front, up pushed", mzF, mzF, 1, kU, 0, 1},
        {"front, left pushed", mzF, mzF, 1, kL, 0, 1},
        {"front, second, down pushed", mzF, mzF, 3, kD, 0, 2},
        {"front, third, down pushed", mzF, mzF, 2, kD, 0, 1},
        {"front, just turned, down pushed", mzF, mzN, 3, kD, 0, 1},
        {"front, just turned, first, down pushed", mzF, mzN, 1, kD, 0, 3},
        {"back, up pushed", mzB, mzB, 1, kU, 0, 3},
        {"back, down pushed", mzB, mzB, 1, kD, 0, 1},
        {"a computer side, down pushed", mzF, mzF, 1, kD, 2, 1},
    };
    TDBPlayer& me = P(0, 0);
    Place(me, 20000, 6000);
    for (const Case& c : cases) {
        sdt.DBGDt.DBCPUNum = c.cpus;
        const int32_t flip = c.mz == mzB ? 12000 : 0;  // mirror the depths
        Place(P(0, 1), 10000, std::abs(flip - 5000));
        Place(P(0, 2), 14000, std::abs(flip - 3000));
        Place(P(0, 3), 16000, std::abs(flip - 4000));
        Face(me, mL, c.mz);
        Hold(me);
        Ball().PaTgTNo = 0, Ball().PaTgPNo = c.current;
        Ball().PaNMuki = c.before;
        di0.Clear();
        di0.Push(c.pushed);
        me.PaTagSet();
        EXPECT_EQ(Ball().PaTgPNo, c.target) << c.name;
        if (c.target != c.current) {
            EXPECT_EQ(Ball().PaNMuki, c.mz) << c.name;
        }
    }
}

}  // namespace

namespace {

// The decision steps reach only the court's positions, and a player without
// a device reads no keys.
TEST_F(Court, SeamsReachOnlyTheCourtsPositionsAndTheDevice) {
    TDBPlayer& me = P(0, 0);
    EXPECT_EQ(mcs::Player(me, 1, 6), &P(1, 6));
    EXPECT_EQ(mcs::Player(me, 0, 0), &me);
    for (auto [side, pos] : {std::pair{0, 7}, {0, -1}, {2, 0}, {-1, 0}})
        EXPECT_EQ(mcs::Player(me, side, pos), nullptr) << side << "/" << pos;
    EXPECT_EQ(mcs::Enemy(me, 3), &P(1, 3));
    EXPECT_EQ(mcs::Mate(me, 4), &P(0, 4));

    di0.Hold(ScriptDI::Bit(cL) | ScriptDI::Bit(bA));
    di0.Push(ScriptDI::Bit(bB));
    di0.DHKey = dL;
    EXPECT_TRUE(mcs::Crs2(me, cL) && mcs::Jump(me) && mcs::AnyCrs2(me) && mcs::Crs2X(me));
    EXPECT_FALSE(mcs::Crs2Y(me));
    EXPECT_EQ(mcs::DHKey(me), dL);
    me.DI = nullptr;
    EXPECT_FALSE(mcs::Crs2(me, cL) || mcs::Jump(me) || mcs::AnyCrs2(me) || mcs::Crs2X(me) ||
                 mcs::Btn2(me, bA) || mcs::Btn(me, bB));
    EXPECT_EQ(mcs::DHKey(me), dN);

    KillInfield(1);
    EXPECT_FALSE(mcs::LastOne_f(me, 1));
    P(1, 2).MySt->Dead_f = 0;
    EXPECT_TRUE(mcs::LastOne_f(me, 1));
    EXPECT_EQ(mcs::GetInfPaTg(me, 1), objs->DBT[1]->GetInfPaTg());
    // A side past the two, like a player outside a match, gets a scratch
    // record (one per side parity).
    auto bare = std::make_unique<TAllObTx>();
    TDBPlayer lone(bare.get(), &glb, 0, 0);
    EXPECT_EQ(&mcs::TeamSt(me, 2), &mcs::TeamSt(lone, 0));
    EXPECT_EQ(&mcs::TeamSt(me, -1), &mcs::TeamSt(lone, 1));
}

}  // namespace
