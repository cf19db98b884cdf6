// Shot kind, power, level and speed, and the ball's shot state.
#include <algorithm>

#include "tests/match_control_fixture.h"

using namespace mctest;

namespace {

class MatchShot : public Court {
protected:
    void SetUp() override {
        Court::SetUp();
        DBSHOOTRec& s = DB().DBSHOOT;
        s.JNSFRM = 10, s.JNSFRM2 = 5;    // 10..14
        s.JNNSFRM = 12, s.JNNSFRM2 = 2;  // 12..13
        s.DJNSFRM = 8, s.DJNSFRM2 = 4;   // 8..11
        s.DJHSFRM = 20, s.DJHSFRM2 = 3;  // 20..22
        s.EZDJHSFRM = 18, s.EZDJHSFRM2 = 6;
        s.DHSSTP = 5, s.DHSSTP2 = 2;     // steps 5..6
        s.EZDHSSTP = 4, s.EZDHSSTP2 = 4; // steps 4..7
        s.SRATE = 50, s.JSRATE = 60, s.DSRATE = 70, s.DJSRATE = 80;
        s.NSRATE = 2, s.NNSRATE = 3;
        s.THROUGHTIME = 6;
        s.SHOOTMAG = 100;
        DB().DBETC.FCTOSAIMAG = 100;
        me = &P(0, 0);
        dt = &hub->ADBPDt[0][0];
        Place(*me, 20000, 5000);
        Face(*me, mR, mzN);
        KillInfield(1);
    }
    TDBPlayer* me = nullptr;
    DCDDBallDt* dt = nullptr;
};

struct KindCase {
    const char* name;
    bool jump, dash, airCatch, moving;
    int air, step, shT, jhs, hs, shs1, shs2;
    STYPE kind;
    bool special, plain;
};

TEST_F(MatchShot, KindByTimingAndTechnique) {
    const KindCase cases[] = {
        {"standing", false, false, false, false, 0, 0, 20, 0, 0, 0, 0, stS, false, true},
        {"dash special", false, true, false, false, 0, 5, 0, 0, 2, 0, 0, stHS, true, false},
        {"dash special before its window", false, true, false, false, 0, 4, 0, 0, 2, 0, 0, stDS, false, true},
        {"dash special after its window", false, true, false, false, 0, 7, 0, 0, 2, 0, 0, stDS, false, true},
        {"dash special without one", false, true, false, false, 0, 6, 0, 0, 1, 0, 0, stDS, false, true},
        {"early dash special", false, true, false, false, 0, 2, 0, 0, 0, 0, 2, stSHS2, true, false},
        {"first step special", false, true, false, false, 0, 1, 0, 0, 0, 0, 2, stSHS2, true, false},
        {"third step special", false, true, false, false, 0, 3, 0, 0, 0, 0, 2, stSHS2, true, false},
        {"no step yet", false, true, false, false, 0, 0, 0, 0, 0, 0, 2, stDS, false, true},
        {"fourth step", false, true, false, false, 0, 4, 0, 0, 0, 0, 2, stDS, false, true},
        {"early dash without one", false, true, false, false, 0, 2, 0, 0, 0, 0, 1, stDS, false, true},
        {"dash nice a step late", false, true, false, false, 0, 12, 10, 0, 0, 0, 0, stDS, false, true},
        {"dash nice", false, true, false, false, 0, 11, 10, 0, 0, 0, 0, stDNS, false, false},
        {"dash nice short of technique", false, true, false, false, 0, 11, 9, 0, 0, 0, 0, stDS, false, true},
        {"dash jump special", true, true, false, false, 21, 0, 0, 2, 0, 0, 0, stJHS, true, false},
        {"dash jump special first frame", true, true, false, false, 20, 0, 0, 2, 0, 0, 0, stJHS, true, false},
        {"dash jump special too late", true, true, false, false, 23, 0, 0, 2, 0, 0, 0, stDJS, false, true},
        {"dash jump double nice needs the catch", true, true, false, false, 12, 0, 15, 0, 0, 0, 0, stDJS, false, true},
        {"dash jump special without one", true, true, false, false, 21, 0, 0, 0, 0, 0, 0, stDJS, false, true},
        {"dash jump special byte 1", true, true, false, false, 21, 0, 0, 1, 0, 0, 0, stDJS, false, true},
        {"dash jump double nice", true, true, true, false, 12, 0, 15, 0, 0, 0, 0, stJNNS, false, false},
        {"dash jump double nice short of technique", true, true, true, false, 12, 0, 14, 0, 0, 0, 0, stDJS, false, true},
        {"dash jump low technique", true, true, false, false, 9, 0, 11, 0, 0, 0, 0, stDJS, false, true},
        {"dash jump nice", true, true, false, false, 9, 0, 12, 0, 0, 0, 0, stDJNS, false, false},
        {"dash jump late", true, true, false, false, 15, 0, 12, 0, 0, 0, 0, stDJS, false, true},
        {"caught jump double nice", true, false, true, false, 12, 0, 15, 0, 0, 0, 0, stJNNS, false, false},
        {"caught jump double nice short", true, false, true, false, 12, 0, 14, 0, 0, 0, 0, stJNS, false, false},
        {"caught jump double nice late", true, false, true, false, 14, 0, 15, 0, 0, 0, 0, stJNS, false, false},
        {"caught jump late", true, false, true, false, 15, 0, 20, 0, 0, 2, 0, stJS, false, true},
        {"caught jump nice", true, false, true, false, 10, 0, 7, 0, 0, 0, 0, stJNS, false, false},
        {"caught jump special", true, false, true, false, 10, 0, 6, 0, 0, 2, 0, stSHS1J, true, false},
        {"caught jump plain", true, false, true, false, 10, 0, 6, 0, 0, 0, 0, stJS, false, true},
        {"caught jump special byte 1", true, false, true, false, 10, 0, 6, 0, 0, 1, 0, stJS, false, true},
        {"jump nice standing", true, false, false, false, 10, 0, 3, 0, 0, 0, 0, stJNS, false, false},
        {"jump standing short", true, false, false, false, 10, 0, 2, 0, 0, 0, 0, stJS, false, true},
        {"jump special byte 1", true, false, false, false, 10, 0, 3, 0, 0, 1, 0, stJNS, false, false},
        {"jump double nice", true, false, false, false, 13, 0, 15, 0, 0, 0, 0, stJNNS, false, false},
        {"jump double nice short", true, false, false, false, 13, 0, 14, 0, 0, 0, 0, stJNS, false, false},
        {"jump late", true, false, false, false, 15, 0, 14, 0, 0, 2, 0, stJS, false, true},
        {"jump too early", true, false, false, false, 9, 0, 14, 0, 0, 2, 0, stJS, false, true},
        {"jump moving short", true, false, false, true, 10, 0, 4, 0, 0, 0, 0, stJS, false, true},
        {"jump moving nice", true, false, false, true, 10, 0, 5, 0, 0, 0, 0, stJNS, false, false},
        {"jump special", true, false, false, false, 14, 0, 0, 0, 0, 2, 0, stSHS1J, true, false},
        {"jump early", true, false, false, false, 3, 0, 20, 0, 0, 2, 0, stJS, false, true},
    };
    sdt.DBGDt.DBDif = dbdfNomal;
    for (const KindCase& c : cases) {
        DBPlayerState& st = *me->MySt;
        st.Motion.MF = c.dash ? MFBit(dbmfDs) : 0;
        st.AirCatch_f = c.airCatch;
        st.Air_c = c.air;
        st.Step_c = c.step;
        me->MyZahyou->dX = c.moving ? 100 : 0;
        dt->dShT = uint8_t(c.shT);
        dt->dJHS = uint8_t(c.jhs);
        dt->dHS = uint8_t(c.hs);
        dt->dSHS1 = uint8_t(c.shs1);
        dt->dSHS2 = uint8_t(c.shs2);
        me->tJSh_f = c.jump;
        EXPECT_EQ(me->GetShootType(), c.special) << c.name;
        EXPECT_EQ(me->tShType, c.kind) << c.name;
        EXPECT_EQ(me->tNmlSh_f, c.plain) << c.name;
    }
    // Moving in depth only is moving too: 4 is short of a nice shot.
    me->MySt->Motion.MF = 0;
    me->MySt->AirCatch_f = 0;
    me->MySt->Air_c = 10;
    me->MyZahyou->dX = 0;
    me->MyZahyou->dZ = -100;
    dt->dShT = 4;
    dt->dSHS1 = 0;
    me->tJSh_f = true;
    me->MySt->Step_c = 6;
    glb.Flags.Debug_f = true;
    me->GetShootType();
    EXPECT_EQ(me->tShType, stJS);
    // The authoring build shows the counters the kind was chosen by.
    EXPECT_EQ(glb.DbgTxt[0], "MySt.Air_c = 10");
    EXPECT_EQ(glb.DbgTxt[1], "MySt.Step_c = 6");
}

// The controlled man's step shows his step count among the debug lines.
TEST_F(MatchShot, TheControlledStepShowsItsStepCountInTheAuthoringBuild) {
    glb.Flags.Debug_f = true;
    Team(0).CtrlNo = 1;
    P(0, 1).OnMove();
    const std::string want = "MySt.Step_c = " + std::to_string(P(0, 1).MySt->Step_c);
    EXPECT_NE(std::find(glb.DbgTxt.begin(), glb.DbgTxt.end(), want), glb.DbgTxt.end());
}

TEST_F(MatchShot, TheEasyDifficultyWidensAHumanSidesDashSpecialWindow) {
    me->MySt->Motion.MF = MFBit(dbmfDs);
    me->MySt->Step_c = 4;
    dt->dHS = 2;
    sdt.DBGDt.DBDif = dbdfNomal;
    EXPECT_FALSE(me->GetShootType());
    sdt.DBGDt.DBDif = dbdfEasy;
    EXPECT_TRUE(me->GetShootType());
    sdt.DBGDt.DBCPUNum = 2;  // a CPU side keeps the normal window
    EXPECT_FALSE(me->GetShootType());
    sdt.DBGDt.DBCPUNum = 0;
    // The dash jump's window: 18 .. 23 on easy, 20 .. 22 otherwise.
    me->tJSh_f = true;
    dt->dJHS = 2;
    for (const int air : {17, 18, 20, 22, 23, 24}) {
        me->MySt->Air_c = air;
        sdt.DBGDt.DBDif = dbdfEasy;
        EXPECT_EQ(me->GetShootType(), air >= 18 && air <= 23) << air;
        sdt.DBGDt.DBDif = dbdfNomal;
        EXPECT_EQ(me->GetShootType(), air >= 20 && air <= 22) << air;
    }
}

TEST(MatchControlShot, PowerRoundsAndLevelsClimbTheRankTable) {
    EXPECT_EQ(TDBPlayer::GetShPow(7, 100), 7);
    EXPECT_EQ(TDBPlayer::GetShPow(1, 45), 1);
    EXPECT_EQ(TDBPlayer::GetShPow(1, 44), 0);
    EXPECT_EQ(TDBPlayer::GetShPow(20, 50), 10);
}

TEST_F(MatchShot, LevelIsTheHighestRankReached) {
    const int cases[][2] = {{0, 1}, {9, 1}, {10, 1}, {19, 1}, {20, 2}, {59, 5}, {60, 6}, {999, 6}};
    for (auto& c : cases) EXPECT_EQ(me->GetShLv(c[0]), c[1]) << c[0];
}

TEST_F(MatchShot, APlainStandingShotFliesAlongTheFacing) {
    dt->dBP = 20;  // 20 x 50 % = power 10, level 1
    Hold(*me);
    me->SetShoot(false);
    EXPECT_EQ(Ball().Motion, dbbShoot);
    EXPECT_EQ(Ball().ShSt.ShPow, 10);
    EXPECT_EQ(Ball().ShSt.ShLv, 1);
    EXPECT_EQ(BallZ().dX, 101);  // level 1 speed at a factor of 100 %
    EXPECT_EQ(BallZ().dY, 0);
    EXPECT_EQ(BallZ().dZ, 0);
    EXPECT_EQ(BallZ().Muki(), mR);
    EXPECT_EQ(Ball().ShSt.fdX, 101);
    EXPECT_EQ(Ball().ShSt.Spin, 15);
    EXPECT_EQ(Ball().ShSt.HSNo, dbhNML);
    EXPECT_TRUE(Ball().ShSt.NmlSh_f);
    EXPECT_EQ(Ball().ShSt.NiceLv, 1);
    EXPECT_TRUE(Ball().ShSt.Roll_f);  // power 10 rolls
    EXPECT_EQ(Ball().NoHit_c, 6);
    EXPECT_EQ(sound.Played, std::vector<int>{1});
}

TEST_F(MatchShot, PowerSevenRollsOnlyWithANiceFactor) {
    dt->dBP = 14;  // 14 x 50 % = 7
    me->SetShoot(false);
    EXPECT_EQ(Ball().ShSt.ShPow, 7);
    EXPECT_FALSE(Ball().ShSt.Roll_f);

    // A nice jump shot: 14 x 60 % = 8 ... use a rate that gives 7 again.
    DB().DBSHOOT.JSRATE = 50;
    me->MySt->Motion.MF = MFBit(dbmfAr);
    me->MySt->Air_c = 10;
    dt->dShT = 3;
    sound.Played.clear();
    me->SetShoot(true);
    EXPECT_EQ(Ball().ShSt.ShPow, 7);
    EXPECT_EQ(Ball().ShSt.NiceLv, 2);
    EXPECT_TRUE(Ball().ShSt.Roll_f);
    EXPECT_FALSE(Ball().ShSt.NmlSh_f);
    EXPECT_EQ(Ball().ShSt.ShLv, 1);  // 7 x 2 = 14 reaches level 1 only
    EXPECT_EQ(Ball().NoHit_c, 0);    // a jump shot can hit at once
    EXPECT_EQ(sound.Played, std::vector<int>{2});
}

TEST_F(MatchShot, ASpecialShotWithoutATargetIsThrownPlain) {
    DB().DBDBG.ALLHS_F = 1;
    dt->dHS = 3;
    me->SetShoot(false);
    EXPECT_EQ(me->tShType, stDS);
    EXPECT_EQ(Ball().ShSt.HSNo, dbhNML);
    EXPECT_EQ(sound.Played, (std::vector<int>{27, 1}));

    // Without a special-shot byte of 2 or more there is no special sound.
    dt->dHS = 1;
    sound.Played.clear();
    me->SetShoot(false);
    EXPECT_EQ(me->tShType, stDS);
    EXPECT_EQ(sound.Played, std::vector<int>{1});

    // In a jump the fallback is a dash jump shot.
    dt->dJHS = 0;
    me->SetShoot(true);
    EXPECT_EQ(me->tShType, stDJS);
}

TEST_F(MatchShot, ASpecialShotTakesItsRowOfTheShotTable) {
    DB().DBDBG.ALLHS_F = 1;
    dt->dHS = 3;  // special shot 1
    dt->dCrv = 5; // curve level 2
    DBShootData& row = hub->ADBShootDt[1];
    row.Pow = 30;
    row.Spd = 500;
    row.RCrv = 6;
    P(1, 0).MySt->Dead_f = 0;
    Place(P(1, 0), 30000, 5000);
    Ball().ShTgTNo = 1;
    Ball().ShTgPNo = 0;
    Team(1).CtrlNo = 3;
    me->SetShoot(false);
    EXPECT_EQ(Ball().ShSt.HSNo, 1);
    EXPECT_EQ(Ball().ShSt.ShPow, 30);
    EXPECT_EQ(Ball().ShSt.ShLv, 3);
    EXPECT_EQ(Ball().ShSt.CrvLv, 6);  // 2 + 6 held at 6
    EXPECT_EQ(BallZ().dX, 500);
    EXPECT_EQ(BallZ().dZ, 0);
    EXPECT_EQ(sound.Played, std::vector<int>{27});
    EXPECT_EQ(Team(1).CtrlNo, 0);  // the target becomes the enemy's controlled man

    // A byte that names no row of the table is no special shot.
    dt->dHS = 200;
    sound.Played.clear();
    me->SetShoot(false);
    EXPECT_EQ(Ball().ShSt.HSNo, dbhNML);
    EXPECT_EQ(sound.Played, std::vector<int>{1});
}

TEST_F(MatchShot, AngleKeepsTheSpeedAndTheLimits) {
    int32_t x = 1000, y = 0, z = 0;
    me->SAngle(x, y, z, 500);
    EXPECT_EQ(x, 500);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(z, 0);
    // Facing neither way, a short X is lengthened and depth dropped.
    x = 50, y = 0, z = 300;
    me->SAngle(x, y, z, 500);
    EXPECT_EQ(x, 500);
    EXPECT_EQ(z, 0);
    // Facing front, a short depth is lengthened and X dropped.
    Face(*me, mR, mzF);
    x = 500, y = 0, z = 50;
    me->SAngle(x, y, z, 1000);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(z, 1000);
    // A dive steeper than the limit angle is cut back.
    Face(*me, mR, mzN);
    DB().DBSHOOT.LIMITAGLX = 100;
    x = 1000, y = -3000, z = 0;
    me->SAngle(x, y, z, 1000);
    EXPECT_EQ(x, 707);
    EXPECT_EQ(y, -707);
    EXPECT_EQ(z, 0);
    // Climbing too steeply at a target: (1000, 3000, 500) with the limits
    // 60 and 100 gives l = 3000 / 1500 x 110000 = 220000 > 100 x 1118, so
    // mX := 1000 x 220000 / 1500 / 100 = 1466, then mZ with the new sum
    // 1966: 500 x 220000 / 1966 / 100 = 559; (1466, 3000, 559) has length
    // 3385.5.
    DB().DBSHOOT.LIMITAGLX = 60;
    DB().DBSHOOT.LIMITAGLZ = 100;
    x = 1000, y = 3000, z = 500;
    me->SAngle(x, y, z, 100000);
    EXPECT_EQ(x, 43302);
    EXPECT_EQ(y, 88613);
    EXPECT_EQ(z, 16511);
    // Facing front with a negative sum (-800 + 500): l = -20000 / -300 x
    // 2000 = 133333 > 100 x 943; both distances take 133333 / 300 / 100 and
    // keep their signs: (-3555, -20000, 2222), length 20434.
    Face(*me, mR, mzF);
    x = -800, y = -20000, z = 500;
    me->SAngle(x, y, z, 100000);
    EXPECT_EQ(x, -17396);
    EXPECT_EQ(y, -97872);
    EXPECT_EQ(z, 10873);
    // Exactly 100 along (facing neither way) or in depth (facing front)
    // still counts as short; a short X becomes 100, so (100, 100, 0) climbs
    // at 45 degrees: 1000 x 100 / 141.42 = 707.
    Face(*me, mR, mzN);
    DB().DBSHOOT.LIMITAGLX = DB().DBSHOOT.LIMITAGLZ = 0;
    x = 100, y = 100, z = 50;
    me->SAngle(x, y, z, 1000);
    EXPECT_EQ((std::vector<int32_t>{x, y, z}), (std::vector<int32_t>{707, 707, 0}));
    Face(*me, mR, mzF);
    x = 50, y = 0, z = 100;
    me->SAngle(x, y, z, 1000);
    EXPECT_EQ(std::make_pair(x, z), std::make_pair(0, 1000));
    // Nothing to aim at: facing neither way, full speed along X.
    Face(*me, mR, mzN);
    x = 0, y = 0, z = 0;
    DB().DBSHOOT.LIMITAGLX = 0;
    me->SAngle(x, y, z, 300);
    EXPECT_EQ(x, 300);

    // The edges, at speed 100000.
    struct Case { MukiZType mz; int limX, limZ; int32_t x, y, z, ox, oy, oz; };
    const Case cases[] = {
        // 101 is not short: (101, 0, 300) and (300, 0, 101) are kept.
        {mzN, 0, 0, 101, 0, 300, 31906, 0, 94773},
        {mzF, 0, 0, 300, 0, 101, 94773, 0, 31906},
        // A short depth becomes exactly 100: (0, 100, 100) climbs at 45.
        {mzF, 0, 0, 50, 100, 100, 0, 70710, 70710},
        // (1024, y, 0) at limit 100 %: l = 100 y against 100 x 1024. Just
        // over (y 1030) the forward distance becomes 1030: 45 degrees; just
        // under (y 1020) it is kept.
        {mzN, 100, 0, 1024, 1030, 0, 70710, 70710, 0},
        {mzN, 100, 0, 1024, 1020, 0, 70848, 70572, 0},
        // (1000, 1100, 500): l = 1100 / 1500 x 150000 = 110000 is within
        // 100 x 1118 (the length of the forward pair): kept.
        {mzN, 100, 100, 1000, 1100, 500, 63757, 70133, 31878},
        // (-10, 98010, 1000) at limits 0 and 100: l = 99 x 100000; the
        // stretched X (-1000) would leave the second sum at 0, so both take
        // 9900000 / 990 / 100 = 100: (-1000, 98010, 100000).
        {mzF, 0, 100, -10, 98010, 1000, -714, 69994, 71415},
    };
    for (const Case& c : cases) {
        Face(*me, mR, c.mz);
        DB().DBSHOOT.LIMITAGLX = c.limX;
        DB().DBSHOOT.LIMITAGLZ = c.limZ;
        x = c.x, y = c.y, z = c.z;
        me->SAngle(x, y, z, 100000);
        EXPECT_EQ((std::vector<int32_t>{x, y, z}), (std::vector<int32_t>{c.ox, c.oy, c.oz}))
            << c.x << " " << c.y << " " << c.z;
    }
}

}  // namespace

namespace {

// Without a target: facing neither way along (200, 0) or, jumping,
// (200, -150); facing front or back at NOTAGAGL degrees off the X axis,
// (trunc(cos x 1000), trunc(sin x 1000)), and a jump shot dives by
// NOTAGJSAGLY degrees of that reach. Then the aim at speed 100000 (level 1),
// X along the facing, depth toward the front (-) or the back (+).
TEST_F(MatchShot, WithoutATargetADiagonalFacingThrowsAtTheSetAngle) {
    dt->dBP = 20;
    hub->ADBRankDt[1].BP.Sp = 100000;
    struct Case { MukiType m; MukiZType mz; bool jump; int agl, agly, limX, limZ; int32_t dx, dy, dz; };
    const Case cases[] = {
        // (866, 0, 499): sin 30 x 1000 truncates to 499.
        {mR, mzF, false, 30, 0, 0, 0, 86645, 0, -49926},
        {mL, mzB, false, 30, 0, 0, 0, -86645, 0, 49926},
        // (939, 0, 342) from 939.69 and 342.02.
        {mR, mzF, false, 20, 0, 0, 0, 93961, 0, -34222},
        {mR, mzN, false, 20, 0, 0, 0, 100000, 0, 0},
        {mR, mzN, true, 20, 30, 60, 100, 80000, -60000, 0},
        // (984, -576, 173): reach 999.09, tan 30 x 999.09 = 576.8; l =
        // -576 / 1157 x 76340 = -38005 is within 100 x 999.09: no limit.
        {mL, mzB, true, 10, 30, 60, 100, -85324, -49946, 15001},
        {mR, mzB, true, 10, 30, 60, 100, 85324, -49946, 15001},
        // (500, -2747, 866) dives too steeply (l = -2747 / 1366 x 116600 =
        // -234480 against 100 x 1000), so both forward distances take
        // 234480 / 1366 / 100: (858, -2747, 1486), length 3238.9.
        {mR, mzF, true, 60, 70, 60, 100, 26490, -84813, -45880},
        // At 135 degrees the forward distances (-707, 707) sum to zero: no
        // limit, (-707, -999, 707) at its speed, thrown along the facing.
        {mR, mzF, true, 135, 45, 60, 100, 50021, -70680, -50021},
    };
    for (const Case& c : cases) {
        DB().DBSHOOT.NOTAGAGL = c.agl;
        DB().DBSHOOT.NOTAGJSAGLY = c.agly;
        DB().DBSHOOT.LIMITAGLX = c.limX;
        DB().DBSHOOT.LIMITAGLZ = c.limZ;
        Face(*me, c.m, c.mz);
        me->SetShoot(c.jump);
        EXPECT_EQ((std::vector<int32_t>{BallZ().dX, BallZ().dY, BallZ().dZ}),
                  (std::vector<int32_t>{c.dx, c.dy, c.dz}))
            << c.agl << " " << c.mz << " " << c.jump;
        EXPECT_EQ(BallZ().MukiZ(), c.mz);
        EXPECT_EQ((std::vector<int32_t>{Ball().ShSt.fdX, Ball().ShSt.fdY, Ball().ShSt.fdZ}),
                  (std::vector<int32_t>{c.dx, c.dy, c.dz}));
    }
}

}  // namespace

namespace {

// Each kind's power rate, nice factor, level and speed (power 20; the level
// of a power p is p div 10 here, its speed 100 + level).
TEST_F(MatchShot, PlainKindsTakeTheirRateAndNiceFactor) {
    dt->dBP = 20;
    struct Case { STYPE kind; int pow, nice, lv, se; };
    const Case cases[] = {
        {stS, 10, 1, 1, 1},    {stDS, 14, 1, 1, 1},   {stDNS, 14, 2, 2, 2},
        {stDJS, 16, 1, 1, 1},  {stDJNS, 16, 2, 3, 2}, {stJS, 12, 1, 1, 1},
        {stJNS, 12, 2, 2, 2},  {stJNNS, 12, 3, 3, 2},
    };
    for (const Case& c : cases) {
        me->tShType = c.kind;
        me->tNiceLv = 1;
        me->tHSNo = 5;
        sound.Played.clear();
        me->GetShSpeed();
        EXPECT_EQ((std::vector<int>{me->tShPow, me->tNiceLv, me->tShLv, me->tShSp, me->tHSNo}),
                  (std::vector<int>{c.pow, c.nice, c.lv, 100 + c.lv, -1}))
            << c.kind;
        EXPECT_EQ(sound.Played, std::vector<int>{c.se}) << c.kind;
    }
}

// A special kind reads its own ability byte; with no target it falls back
// to the plain kind of its throw; a byte past the shot table is no special.
TEST_F(MatchShot, SpecialKindsReadTheirOwnByte) {
    dt->dHS = 2 + 1, dt->dJHS = 2 + 3, dt->dSHS1 = 2 + 4, dt->dSHS2 = 2 + 5;
    dt->dBP = 20;
    for (int r = 0; r < DBSHOOT_COUNT; ++r) {
        hub->ADBShootDt[r].Pow = 10 * r + 10;
        hub->ADBShootDt[r].Spd = 300 + r;
        hub->ADBShootDt[r].RCrv = r;
    }
    Ball().ShTgTNo = 1, Ball().ShTgPNo = 0;
    struct Case { STYPE kind; int hs; STYPE plain; };
    const Case cases[] = {{stHS, 1, stDS}, {stJHS, 3, stDJS}, {stSHS1J, 4, stJS}, {stSHS2, 5, stDS}};
    for (const Case& c : cases) {
        Ball().ShTgPNo = 0;
        me->tShType = c.kind;
        me->tNmlSh_f = false;
        sound.Played.clear();
        me->GetHShSpeed();
        const int pow = 10 * c.hs + 10;
        EXPECT_EQ((std::vector<int>{me->tHSNo, me->tShPow, me->tShLv, me->tShSp, me->tRCrv}),
                  (std::vector<int>{c.hs, pow, std::min(6, pow / 10), 300 + c.hs, c.hs}))
            << c.kind;
        EXPECT_EQ(sound.Played, std::vector<int>{27}) << c.kind;
        EXPECT_FALSE(me->tNmlSh_f);
        // Without a target: the plain kind, after the special's sound.
        Ball().ShTgPNo = -1;
        me->tShType = c.kind;
        sound.Played.clear();
        me->GetHShSpeed();
        EXPECT_EQ(me->tShType, c.plain) << c.kind;
        EXPECT_TRUE(me->tNmlSh_f);
        EXPECT_EQ(me->tHSNo, -1);
        EXPECT_EQ(sound.Played, (std::vector<int>{27, 1})) << c.kind;
    }
    // The last row of the table is a special; one past it is not.
    Ball().ShTgPNo = 0;
    for (const int past : {0, 1}) {
        dt->dHS = uint8_t(2 + DBSHOOT_COUNT - 1 + past);
        me->tShType = stHS;
        me->GetHShSpeed();
        EXPECT_EQ(me->tHSNo, past ? -1 : DBSHOOT_COUNT - 1) << past;
    }
    dt->dHS = 2;  // the first row
    me->tShType = stHS;
    me->GetHShSpeed();
    EXPECT_EQ(me->tHSNo, 0);
}

// The curve level is the thrower's plus the special's, held within 0 .. 6;
// power 8 rolls; the shot state keeps the ball's speeds.
TEST_F(MatchShot, CurveRollAndTheStoredSpeeds) {
    DB().DBSHOOT.NOTAGAGL = 30;
    dt->dBP = 16;   // 16 x 50 % + 0.55 = 8
    dt->dCrv = 7;   // curve level 3
    Face(*me, mL, mzB);
    me->SetShoot(false);
    EXPECT_EQ(Ball().ShSt.ShPow, 8);
    EXPECT_TRUE(Ball().ShSt.Roll_f);
    EXPECT_EQ(Ball().ShSt.CrvLv, 3);
    EXPECT_EQ(BallZ().Muki(), mL);
    EXPECT_EQ(BallZ().MukiZ(), mzB);
    EXPECT_EQ((std::vector<int32_t>{Ball().ShSt.fdX, Ball().ShSt.fdY, Ball().ShSt.fdZ}),
              (std::vector<int32_t>{BallZ().dX, BallZ().dY, BallZ().dZ}));
    EXPECT_NE(BallZ().dZ, 0);
    // A special whose curve bonus is negative is held at 0.
    DB().DBDBG.ALLHS_F = 1;
    dt->dHS = 3;
    dt->dCrv = 5;  // level 2
    hub->ADBShootDt[1].RCrv = -5;
    hub->ADBShootDt[1].Spd = 500;
    P(1, 0).MySt->Dead_f = 0;
    Place(P(1, 0), 30000, 5000);
    Ball().ShTgTNo = 1;
    Ball().ShTgPNo = 0;
    me->SetShoot(false);
    EXPECT_EQ(Ball().ShSt.HSNo, 1);
    EXPECT_EQ(Ball().ShSt.CrvLv, 0);
}

// A target above the ball is shot at downward by the forward speed; facing
// neither way, a target behind the ball is thrown at level.
TEST_F(MatchShot, AimAtATargetAboveOrBehind) {
    DB().DBSHOOT.LIMITAGLX = 0;
    DB().DBSHOOT.LIMITAGLZ = 0;
    dt->dBP = 100;  // power 50, level 5, speed 105
    P(1, 0).MySt->Dead_f = 0;
    Ball().ShTgTNo = 1;
    Ball().ShTgPNo = 0;
    BallZ().X = 20000, BallZ().Y = 0, BallZ().Z = 5000;
    // (3000, 4000, 0) at 105: (63, 84, 0); climbing, dY becomes -63.
    Place(P(1, 0), 23000, 5000);
    P(1, 0).MyZahyou->Y = 4000;
    P(1, 0).MySt->Motion.Mtype = dbmtDn;
    me->SetShoot(false);
    EXPECT_EQ((std::vector<int32_t>{BallZ().dX, BallZ().dY, BallZ().dZ}),
              (std::vector<int32_t>{63, -63, 0}));
    // Standing, he is aimed at level: (3000, 0, 4000) at 105 is (63, 0, 84).
    P(1, 0).MySt->Motion.Mtype = dbmtSt;
    Place(P(1, 0), 23000, 9000);
    me->SetShoot(false);
    EXPECT_EQ((std::vector<int32_t>{BallZ().dX, BallZ().dY, BallZ().dZ}),
              (std::vector<int32_t>{63, 0, 84}));
    // The same target behind the ball (facing right, target to its left):
    // no depth.
    Place(P(1, 0), 17000, 9000);
    BallZ().X = 20000;
    me->SetShoot(false);
    EXPECT_EQ(BallZ().dZ, 0);
    EXPECT_EQ(BallZ().dX, 105);
    // Facing left, the target to the left is in front: depth kept, and the
    // ball flies left along the facing.
    Face(*me, mL, mzN);
    me->SetShoot(false);
    EXPECT_EQ(BallZ().dX, -63);
    EXPECT_EQ(BallZ().dZ, 84);
    Place(P(1, 0), 23000, 9000);
    me->SetShoot(false);
    EXPECT_EQ(BallZ().dZ, 0);
    // A target in the air is shot at where he is, not where he lands.
    Face(*me, mR, mzN);
    P(1, 0).MySt->Motion.MF = MFBit(dbmfAr);
    P(1, 0).MySt->LandX = 30000, P(1, 0).MySt->LandZ = 2000;
    me->SetShoot(false);
    EXPECT_EQ(BallZ().dX, 63);
    EXPECT_EQ(BallZ().dZ, 84);
    P(1, 0).MySt->Motion.MF = 0;

    // The thrower stands at (20000, 5000); the ball's X decides what is
    // behind. A target at the ball's X is not behind; facing front, one
    // behind keeps its depth; a jump shot aims at the target's height, so
    // one below the ball dives; a target lying down above climbs, so the
    // shot dives by the forward speed.
    struct Case { MukiType m; MukiZType mz; bool jump, down; int32_t ballX, ballY, tx, tz, ty, dx, dy, dz; };
    const Case cases[] = {
        {mR, mzN, false, false, 23000, 0, 23000, 9000, 0, 63, 0, 84},
        {mL, mzN, false, false, 17000, 0, 17000, 9000, 0, -63, 0, 84},
        {mR, mzF, false, false, 20000, 0, 17000, 1000, 0, 63, 0, -84},
        // (3000, 3000, 4000) at 105 is (54, 54, 72), below: dY -54.
        {mR, mzN, true, false, 20000, 3000, 23000, 9000, 0, 54, -54, 72},
        // (3000, 4000, 4000) at 105 is (49, 65, 65); -trunc(81.4).
        {mR, mzN, false, true, 20000, 0, 23000, 9000, 4000, 49, -81, 65},
    };
    for (const Case& c : cases) {
        Face(*me, c.m, c.mz);
        BallZ().X = c.ballX, BallZ().Y = c.ballY;
        Place(P(1, 0), c.tx, c.tz);
        P(1, 0).MyZahyou->Y = c.ty;
        P(1, 0).MySt->Motion.Mtype = c.down ? dbmtDn : dbmtSt;
        me->SetShoot(c.jump);
        EXPECT_EQ((std::vector<int32_t>{BallZ().dX, BallZ().dY, BallZ().dZ}),
                  (std::vector<int32_t>{c.dx, c.dy, c.dz}))
            << c.tx << " " << c.tz << " " << c.jump;
    }
}

// The falling special flies like a pass from 1600 above the thrower, with
// the gravity of its row (the slow one in slow motion), and never starts
// downward: the longer forward distance flies at the row's speed, the other
// in proportion, and it rises arrival x g / 2 - height / arrival.
TEST_F(MatchShot, TheFallingSpecialFliesAnArcOntoItsTarget) {
    DB().DBDBG.ALLHS_F = 1;
    dt->dHS = dt->dJHS = 2 + dbhKYO;
    DBShootData& row = hub->ADBShootDt[dbhKYO];
    row.Spd = 500;
    P(1, 0).MySt->Dead_f = 0;
    Ball().ShTgTNo = 1;
    Ball().ShTgPNo = 0;
    struct Case { int32_t grv, slowGrv; bool slow; MukiType m; int32_t tx, tz, y; bool jump; int32_t dx, dy, dz; };
    const Case cases[] = {
        // 10000 along at 500: 20 frames; up 20 x g / 2 - 1600 / 20.
        {30, 10, false, mR, 30000, 5000, 0, false, 500, 220, 0},
        {30, 10, true, mR, 30000, 5000, 0, false, 500, 20, 0},
        {4, 30, false, mR, 30000, 5000, 0, false, 500, 0, 0},
        // (8000, 3000) toward the front, facing left: 16 frames, 500 x 3 / 8
        // in depth, up 16 x 15 - 1600 / 16.
        {30, 10, false, mL, 12000, 2000, 0, false, -500, 140, -187},
        // (3000, 8000) toward the back, jumping at 2000: from 3600 up,
        // 16 x 15 - 3600 / 16.
        {30, 10, false, mR, 23000, 13000, 2000, true, 187, 15, 500},
        // From 3824 up: 240 - 239, the least that still starts upward.
        {30, 10, false, mR, 23000, 13000, 2224, true, 187, 1, 500},
    };
    for (const Case& c : cases) {
        row.Etc[0] = c.grv;
        row.Etc[1] = c.slowGrv;
        sdt.DBGDt.DBSlow_f = c.slow;
        Place(P(1, 0), c.tx, c.tz);
        Face(*me, c.m, mzN);
        me->MyZahyou->Y = c.y;
        BallZ().Y = 0;
        me->SetShoot(c.jump);
        EXPECT_EQ(Ball().ShSt.HSNo, dbhKYO);
        EXPECT_EQ(BallZ().Y, c.y + 1600);
        EXPECT_EQ((std::vector<int32_t>{BallZ().dX, BallZ().dY, BallZ().dZ}),
                  (std::vector<int32_t>{c.dx, c.dy, c.dz}))
            << c.grv << " " << c.slow << " " << c.tx;
    }
    sdt.DBGDt.DBSlow_f = 0;
}

// The court-centre special from side 1 and off the middle depth; the
// stop-and-aim special at the middle depth aims deeper.
TEST_F(MatchShot, CentreAndStopAndAimSpecialsFromOtherPlaces) {
    DB().DBDBG.ALLHS_F = 1;
    hub->ADBShootDt[dbhENR].Spd = 1000;
    hub->ADBShootDt[dbhKAK].Spd = 1000;
    hub->ADBShootDt[dbhKAK].Etc[0] = 10;
    // From (20000, 6700) on side 0: (14700, 1000) toward the front; from the
    // middle depth straight along.
    dt->dHS = 2 + dbhENR;
    P(1, 0).MySt->Dead_f = 0;
    Place(P(1, 0), 40000, 9000);
    Ball().ShTgTNo = 1;
    Ball().ShTgPNo = 0;
    Place(*me, 20000, 5700);
    me->SetShoot(false);
    EXPECT_EQ(Ball().ShSt.HSNo, dbhENR);
    EXPECT_EQ(std::make_pair(BallZ().dX, BallZ().dZ), std::make_pair(1000, 0));
    Place(*me, 20000, 6700);
    me->SetShoot(false);
    EXPECT_EQ(BallZ().dX, 997);
    EXPECT_EQ(BallZ().dZ, -67);
    // Side 1 at (30000, 4700), facing left: (13500, 1000) toward the back.
    TDBPlayer& en = P(1, 1);
    for (auto& m : hub->ADBPDt[1]) m.dHS = 2 + dbhENR;
    Place(en, 30000, 4700);
    Face(en, mL, mzN);
    P(0, 1).MySt->Dead_f = 0;
    Ball().ShTgTNo = 0;
    Ball().ShTgPNo = 1;
    en.SetShoot(false);
    EXPECT_EQ(BallZ().dX, -997);
    EXPECT_EQ(BallZ().dZ, 73);
    // At 1000000 a step, (4700, 4700) from (21200, 10400) on side 1 and
    // from (30000, 1000) on side 0: 45 degrees, 707106 each way.
    hub->ADBShootDt[dbhENR].Spd = 1000000;
    Place(en, 21200, 10400);
    en.SetShoot(false);
    EXPECT_EQ(std::make_pair(BallZ().dX, BallZ().dZ), std::make_pair(-707106, -707106));
    Ball().ShTgTNo = 1;
    Ball().ShTgPNo = 0;
    Place(*me, 30000, 1000);
    me->SetShoot(false);
    EXPECT_EQ(std::make_pair(BallZ().dX, BallZ().dZ), std::make_pair(707106, 707106));
    // The stop-and-aim special aims 10 pixels deeper than a target in the
    // front half of the court (depth 5700 or less), shallower in the back
    // half: each (10000, 1000) from the thrower.
    dt->dHS = 2 + dbhKAK;
    Ball().ShTgTNo = 1;
    Ball().ShTgPNo = 0;
    for (const int32_t z : {5000, 5700, 7000}) {
        Place(*me, 20000, z == 7000 ? 5000 : z);
        Place(P(1, 0), 30000, z);
        me->SetShoot(false);
        EXPECT_EQ(Ball().ShSt.HSNo, dbhKAK);
        EXPECT_EQ(std::make_pair(BallZ().dX, BallZ().dZ), std::make_pair(995, 99)) << z;
    }
}

}  // namespace
