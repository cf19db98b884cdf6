// Automatic and CPU decisions: attack choices and catch delays drawn from the
// seeded sequence, dodges by the ball's height, returns to the own area.
#include <functional>

#include "tests/match_control_fixture.h"

using namespace mctest;

namespace {

class Cpu : public Court {
protected:
    void SetUp() override {
        Court::SetUp();
        sdt.DBGDt.DBCPUNum = 1;  // side 1 is the CPU
        sdt.DBGDt.DBDif = dbdfNomal;
        DBNAIYARec& n = DB().DBNAIYA;
        n.JUMPDGY = 10, n.NONEDGY = 40;
        n.YOKEW = 40, n.YOKED = 20;
        n.JPYOKEW = 60, n.JPYOKED = 30;
        n.JPYOKELANDX = 20, n.JPYOKELANDZ = 20;
        DB().DBB.ATARIW = 10, DB().DBB.ATARID = 10;
        DB().DBCPU.ACTWAIT = 7, DB().DBCPU.ACTWAITG = 9;
        hub->ADBRankDt[0].Spd.DgRes = 3;
        hub->ADBRankDt[0].Spd.JDgRes = 5;
        for (int s = 0; s < 2; ++s)
            for (int p = 0; p < 7; ++p) P(s, p).MySt->Motion.MF = uint16_t(MFBit(dbmfJpOK) | MFBit(dbmfMuki));
    }
    // A shot at side `side` flying at (x, z) and height y.
    void ShotAt(int side, int32_t x, int32_t y, int32_t z, int32_t dx, MukiType m) {
        Ball().Motion = dbbShoot;
        Ball().ShTgTNo = side;
        Ball().PichTNo = 1 - side;
        BallZ().X = x, BallZ().Y = y, BallZ().Z = z;
        BallZ().dX = dx, BallZ().dZ = 0;
        BallZ().SetMuki(m);
    }
};

struct AttackCase {
    int pass, jump, hs, qc, sl;
    DBDifficulty dif;
    DBCPUAtType kind;
    int jpMin, jpMax;
    uint64_t draws;
};

TEST_F(Cpu, TheAttackIsDrawnFromTheRatiosInAFixedOrder) {
    const AttackCase cases[] = {
        {100, 100, 0, 0, 0, dbdfNomal, dbcaJPa, 20, 29, 7},
        {0, 0, 100, 0, 0, dbdfHard, dbcaDSh, 23, 23, 4},
        {0, 100, 0, 100, 0, dbdfNomal, dbcaJSh, 10, 19, 6},
        {100, 0, 0, 0, 100, dbdfEasy, dbcaPa, 33, 33, 6},
    };
    TDBPlayer& cpu = P(1, 0);
    for (const AttackCase& c : cases) {
        DBCPURec& r = DB().DBCPU;
        r.PASSRATIO = c.pass, r.JPRATIO = c.jump, r.JSH_HSTIMING = c.hs;
        r.JSH_QCTIMING = c.qc, r.JSH_SLTIMING = c.sl;
        sdt.DBGDt.DBDif = c.dif;
        Hold(cpu);
        cpu.MySt->Auto = DBStAuto{};
        cpu.MySt->Motion.Mtype = dbmtSt;
        SetRandSeed(777);
        ResetRandomDraws();
        cpu.InitAutoTypeMuki();
        cpu.CheckShootCPU();
        const DBCPUSt& st = cpu.MySt->CPUSt;
        EXPECT_EQ(cpu.NextAuto.AutoType, dbaCPUSht);
        EXPECT_EQ(st.AtType, c.kind);
        EXPECT_GE(st.Jp_c, c.jpMin);
        EXPECT_LE(st.Jp_c, c.jpMax);
        EXPECT_EQ(RandomDraws(), c.draws);
        EXPECT_EQ(st.Wait_c, 7);
        // The first draw is the run length.
        SetRandSeed(777);
        EXPECT_EQ(st.Ds_c, 1 + Random(10));
        // A side-1 infielder attacks to the left, dashing, level.
        EXPECT_EQ(cpu.NextAuto.AMuki, maL);
        EXPECT_EQ(cpu.NextAuto.AMukiZ, mzaN);
        EXPECT_TRUE(cpu.NextAuto.ADash_f);
    }
    // An outfielder waits the outfield time and attacks the other way.
    TDBPlayer& out = P(1, 4);
    Hold(out);
    out.MySt->Motion.Mtype = dbmtSt;
    out.InitAutoTypeMuki();
    out.CheckShootCPU();
    EXPECT_EQ(out.MySt->CPUSt.Wait_c, 9);
    EXPECT_EQ(out.NextAuto.AMuki, maR);
}

// The decision pipelines from one situation each: the behaviour and wishes
// they settle on, the motion the mover starts, and the random draws taken.
TEST_F(Cpu, DecisionPipelinesByTheSituation) {
    DB().DBPASS.PACAJPTIME = 12;
    DB().DBNAIYA.SHCOVERJPW = 40, DB().DBNAIYA.SHCOVERJPD = 20;
    DB().DBCPU.NML_CATCH = 20;
    struct Case {
        const char* name;
        int side, pos;
        std::function<void()> setUp;
        bool cpu;  // the CPU's controlled man, else an uncontrolled human player
        DBAutoType type;
        MukiTypeA wx;
        MukiZTypeA wz;
        bool dash;
        DBMotionType m;
        uint64_t draws;
    };
    DBBallState& b = Ball();
    auto loose = [&](int32_t landX, int32_t landZ) {
        b.Motion = dbbBound;
        b.LandX = landX, b.LandZ = landZ;
    };
    auto passTo = [&](int pos, int32_t eta) {
        b.Motion = dbbPass;
        b.PaTgTNo = 0, b.PaTgPNo = pos;
        b.PaETA_c = eta;
    };
    // Position 1 covers a pass to the controlled position 2 that lands on
    // the line at (15000, 7000).
    auto coverFrom = [&](int32_t x, int32_t z) {
        passTo(2, 20);
        b.LandXLine = 15000, b.LandZLine = 7000;
        Team(0).CvrNo = 1;
        Team(0).CtrlNo = 2;
        Place(P(0, 1), x, z);
    };
    const Case cases[] = {
        {"the CPU fetches a ball in its infield", 1, 0,
         [&] {
             loose(35000, 6000);
             b.CrtSide[0] = b.CrtSide[1] = 1;
             Place(P(1, 0), 40000, 5000);
             P(1, 0).MySt->BallLandDist = 5100;
         },
         true, dbaGet, maL, mzaB, true, dbmtDs, 0},
        {"a human infielder leaves it to the controlled man", 0, 1,
         [&] {
             loose(20000, 5000);
             Place(P(0, 1), 15000, 5000);
             BallZ().X = 20000, BallZ().Z = 5000;
         },
         false, dbaFree, maR, mzaN, false, dbmtSt, 0},
        {"an outfielder fetches along his line first", 0, 4,
         [&] {
             loose(36000, 9000);
             b.CrtSide[0] = 0, b.CrtSide[1] = 1;
             b.CrtPos[0] = 4;
             Place(P(0, 4), 30000, 10000);
         },
         false, dbaGet, maR, mzaN, true, dbmtDs, 0},
        {"the end-line outfielder steers across only past his depth margin", 0, 6,
         [&] {
             const TZahyou& z = *P(0, 6).MyZahyou;
             loose(z.X + 2000, z.Z + 500);
             b.CrtSide[0] = 0, b.CrtSide[1] = 1;
             b.CrtPos[0] = 6;
         },
         false, dbaGet, maR, mzaN, false, dbmtWk, 0},
        {"the cover man runs to the landing line", 0, 1, [&] { coverFrom(12000, 5000); }, false,
         dbaPassCvr, maR, mzaB, false, dbmtWk, 0},
        {"the cover man under a high pass jumps", 0, 1,
         [&] {
             coverFrom(15000, 7000);
             b.LandLine_f = 1;
             BallZ().X = 15000, BallZ().Y = 6000, BallZ().Z = 7000;
         },
         false, dbaPassJp, maN, mzaN, false, dbmtJCr, 0},
        {"a receiver jumps for a jump-catch pass", 0, 2,
         [&] {
             passTo(2, 10);
             b.PaJC_f = 1;
         },
         false, dbaPassJp, maN, mzaN, false, dbmtJCr, 0},
        {"a receiver starts his catch 8 steps ahead", 0, 2,
         [&] { passTo(2, 8); },
         false, dbaFree, maN, mzaN, false, dbmtCa, 0},
        {"a receiver waits 9 steps ahead", 0, 2,
         [&] {
             passTo(2, 9);
             BallZ().X = P(0, 2).MyZahyou->X, BallZ().Z = P(0, 2).MyZahyou->Z;
         },
         false, dbaFree, maN, mzaN, false, dbmtSt, 0},
        {"the infield receiver jumps into an outfielder's shot", 0, 0,
         [&] {
             ShotAt(1, 24000, 6000, 5200, -500, mL);
             b.PichTNo = 0, b.PichPNo = 4;
             Team(0).CtrlNo = 3;
             Place(P(0, 0), 24000, 5000);
         },
         false, dbaPassJp, maN, mzaN, false, dbmtJCr, 0},
        {"a side-line outfielder follows a shot along his line", 0, 5,
         [&] {
             ShotAt(1, 35000, 6000, 4000, 500, mR);
             BallZ().SetMukiZ(mzF);
             b.PichTNo = 0, b.PichPNo = 4;
             Place(P(0, 5), 30000, 600);
         },
         false, dbaShCv, maR, mzaN, false, dbmtWk, 0},
        {"the CPU catches a shot coming at him", 1, 0,
         [&] {
             Place(P(1, 0), 30000, 5000);
             Face(P(1, 0), mL, mzN);
             ShotAt(1, 29000, 2000, 5000, 500, mR);
         },
         true, dbaCPUCach, maN, mzaN, false, dbmtSt, 1},
        {"the CPU holder starts an attack", 1, 0,
         [&] {
             Place(P(1, 0), 40000, 5000);
             Hold(P(1, 0));
         },
         true, dbaCPUSht, maL, mzaN, true, dbmtSt, 7},
        {"a free back-line outfielder faces the ball from his line", 0, 4,
         [&] {
             Place(P(0, 4), 30000, 10000);
             BallZ().X = 40000, BallZ().Z = 5000;
         },
         false, dbaFree, maR, mzaF, false, dbmtSt, 0},
        {"a free front-line outfielder faces the ball from his line", 0, 5,
         [&] {
             Place(P(0, 5), 30000, 600);
             BallZ().X = 20000, BallZ().Z = 5000;
         },
         false, dbaFree, maL, mzaB, false, dbmtSt, 0},
        {"a side-line outfielder runs to the enemy centre while a mate holds", 0, 5,
         [&] {
             Hold(P(0, 0));
             Team(0).PosMove.EnC_f = 1;
             Team(0).PosMove.EnCX = 40000;
             Place(P(0, 5), 30000, 600);
         },
         false, dbaPos, maR, mzaN, true, dbmtDs, 0},
        {"a side-line outfielder 500 from the enemy centre stays free while a mate holds", 0, 5,
         [&] {
             Hold(P(0, 0));
             Team(0).PosMove.EnC_f = 1;
             Team(0).PosMove.EnCX = 30500;
             Place(P(0, 5), 30000, 600);
             BallZ().X = 30000, BallZ().Z = 5000;
         },
         false, dbaFree, maN, mzaB, false, dbmtSt, 0},
        {"a side-line outfielder off the enemy centre heads there without the ball", 0, 5,
         [&] {
             Team(0).PosMove.EnC_f = 1;
             Team(0).PosMove.EnCX = 40000;
             Place(P(0, 5), 30000, 600);
         },
         false, dbaPos2, maR, mzaN, true, dbmtDs, 0},
        {"a front-line outfielder in front of his line walks back", 0, 5,
         [&] { Place(P(0, 5), 30000, 300); },
         false, dbaReturn, maN, mzaB, false, dbmtWk, 0},
        {"a CPU holder past the centre line steps back over it", 1, 0,
         [&] {
             Place(P(1, 0), 20000, 5000);
             Hold(P(1, 0));
         },
         true, dbaReturn, maR, mzaN, true, dbmtOvL, 0},
    };
    for (const Case& c : cases) {
        ResetCourt();
        c.setUp();
        TDBPlayer& p = P(c.side, c.pos);
        p.MySt->Motion.MF = uint16_t(MFBit(dbmfJpOK) | MFBit(dbmfMuki));
        if (c.cpu) Team(1).CtrlNo = p.PosNo;
        ResetRandomDraws();
        if (c.cpu) p.AutoMoveCPU();
        else p.AutoMove();
        EXPECT_EQ(p.NextAuto.AutoType, c.type) << c.name;
        EXPECT_EQ(p.NextAuto.AMuki, c.wx) << c.name;
        EXPECT_EQ(p.NextAuto.AMukiZ, c.wz) << c.name;
        EXPECT_EQ(bool(p.NextAuto.ADash_f), c.dash) << c.name;
        EXPECT_EQ(p.MySt->Motion.Mtype, c.m) << c.name;
        EXPECT_EQ(RandomDraws(), c.draws) << c.name;
    }
}

// The mover from a stored wish: braking a dash that runs the wrong way,
// walking or standing on a return, the pass-wait stance, the shot-cover
// man's wait and catch, and the CPU attacker's run after his wait.
// Starting the catch spends the pass's arrival count, so it starts once.
TEST_F(Cpu, AReceiverStartsHisCatchOnce) {
    TDBPlayer& r = P(0, 2);
    Ball().Motion = dbbPass;
    Ball().PaTgTNo = 0, Ball().PaTgPNo = 2;
    Ball().PaETA_c = 8;
    r.InitAutoTypeMuki();
    r.CheckPassCatchMotion();
    EXPECT_EQ(r.MySt->Motion.Mtype, dbmtCa);
    EXPECT_EQ(Ball().PaETA_c, -1);
}

TEST_F(Cpu, TheMoverTurnsWishesIntoMotions) {
    struct Case {
        const char* name;
        DBMotionType from;
        DBStAuto wish;
        std::function<void(TDBPlayer&)> setUp;
        DBMotionType m;
    };
    const auto dashingLeft = [](TDBPlayer& p) {
        p.MukiSetDash(mL);
        p.SetMtype(dbmtDs, true);
    };
    const Case cases[] = {
        {"free while dashing brakes", dbmtSt, {dbaFree, maN, mzaN, 0}, dashingLeft, dbmtSl},
        {"a return against the dash brakes", dbmtSt, {dbaReturn, maR, mzaN, 1}, dashingLeft,
         dbmtSl},
        {"a return along the dash goes on", dbmtSt, {dbaReturn, maL, mzaN, 1}, dashingLeft, dbmtDs},
        {"a return in depth walks", dbmtSt, {dbaReturn, maN, mzaB, 0}, [](TDBPlayer&) {}, dbmtWk},
        {"a fetcher dashing with a depth wish only runs on", dbmtSt, {dbaGet, maN, mzaB, 0},
         dashingLeft, dbmtDs},
        {"a return with nowhere to go stands", dbmtWk, {dbaReturn, maN, mzaN, 0},
         [](TDBPlayer&) {}, dbmtSt},
        {"a pass receiver in formation waits for it", dbmtWk, {dbaPos, maN, mzaN, 0},
         [this](TDBPlayer& p) {
             Hold(P(0, 5));
             Ball().PaTgTNo = 0, Ball().PaTgPNo = p.PosNo;
         },
         dbmtPW},
        {"a shot-cover man near a low ball catches", dbmtSt, {dbaShCv, maR, mzaN, 0},
         [this](TDBPlayer& p) {
             Ball().Motion = dbbShoot;
             BallZ().X = p.MyZahyou->X + 1600, BallZ().Z = p.MyZahyou->Z - 1600;
             BallZ().Y = 3199;
         },
         dbmtCa},
        {"an arrived shot-cover man still waits", dbmtSt, {dbaShCv, maR, mzaN, 0},
         [](TDBPlayer& p) { p.MySt->AShCv_c = 2; }, dbmtSt},
        {"the CPU attacker runs once his wait is over", dbmtSt, {dbaCPUSht, maR, mzaN, 1},
         [](TDBPlayer& p) { p.MySt->CPUSt.Wait_c = 1; }, dbmtDs},
        {"the CPU attacker waits", dbmtSt, {dbaCPUSht, maR, mzaN, 1},
         [](TDBPlayer& p) { p.MySt->CPUSt.Wait_c = 2; }, dbmtSt},
    };
    for (const Case& c : cases) {
        ResetCourt();
        TDBPlayer& p = P(0, 1);
        Team(0).CtrlNo = 3;
        BallZ().X = 40000;
        p.SetMtype(c.from, true);
        c.setUp(p);
        p.NextAuto = c.wish;
        sound.Played.clear();
        p.SetAutoMove();
        EXPECT_EQ(p.MySt->Motion.Mtype, c.m) << c.name;
        EXPECT_EQ(p.MySt->Auto.AutoType, c.wish.AutoType) << c.name;
        EXPECT_EQ(sound.Played, c.m == dbmtCa ? std::vector<int>{30} : std::vector<int>{})
            << c.name;
    }
}

TEST_F(Cpu, ACatchReactsAfterTheDifficultysRandomDelay) {
    TDBPlayer& cpu = P(1, 0);
    Place(cpu, 30000, 5000);
    Face(cpu, mL, mzN);
    ShotAt(1, 29000, 2000, 5000, 500, mR);  // mid-height, facing him
    DB().DBCPU.EASY_CATCH = 1;  // always 0
    DB().DBCPU.NML_CATCH = 40;
    DB().DBCPU.HARD_CATCH = 20;
    for (DBDifficulty dif : {dbdfEasy, dbdfNomal, dbdfHard}) {
        sdt.DBGDt.DBDif = dif;
        SetRandSeed(99);
        cpu.InitAutoTypeMuki();
        cpu.CheckDodgeCPU();
        EXPECT_EQ(cpu.NextAuto.AutoType, dbaCPUCach);
        const int32_t lag = cpu.MySt->DdgLag_c;
        SetRandSeed(99);
        EXPECT_EQ(lag, Random(dif == dbdfEasy ? 1 : dif == dbdfNomal ? 40 : 20)) << int(dif);
    }

    DB().DBDBG.CPUALLCATCH_F = 1;
    ResetRandomDraws();
    cpu.InitAutoTypeMuki();
    cpu.CheckDodgeCPU();
    EXPECT_EQ(cpu.MySt->DdgLag_c, 4);
    EXPECT_EQ(RandomDraws(), 0u);

    // A ball flying the same way as he faces is crouched under, not caught.
    BallZ().SetMuki(mL);
    cpu.InitAutoTypeMuki();
    cpu.CheckDodgeCPU();
    EXPECT_EQ(cpu.NextAuto.AutoType, dbaDg);
    EXPECT_EQ(cpu.MySt->DdgLag_c, 3);

    DB().DBDBG.CPUNOCATCH_F = 1;
    cpu.InitAutoTypeMuki();
    cpu.CheckDodgeCPU();
    EXPECT_EQ(cpu.NextAuto.AutoType, dbaFree);
}

struct DodgeCase {
    const char* name;
    int32_t y;
    bool land;
    int32_t landX, landZ;
    DBAutoType result;
};

TEST_F(Cpu, DodgesByTheBallsHeight) {
    const DodgeCase cases[] = {
        {"low, in the jump box", 500, false, 0, 5000, dbaDgJp},
        {"low, landing short", 500, true, 22001, 5000, dbaFree},
        {"low, landing just within reach", 500, true, 22000, 5000, dbaDgJp},
        {"low, landing past him", 500, true, 19000, 5000, dbaDgJp},
        {"low, landing short in depth", 500, true, 20000, 7001, dbaFree},
        {"low, landing within reach in depth", 500, true, 20000, 7000, dbaDgJp},
        {"mid-height", 2000, false, 0, 5000, dbaDg},
        {"high", 5000, false, 0, 5000, dbaFree},
    };
    TDBPlayer& me = P(0, 1);  // an uncontrolled human infielder
    Place(me, 20000, 5000);
    for (const DodgeCase& c : cases) {
        ShotAt(0, 21000, c.y, 5000, -500, mL);
        Ball().Land_f = c.land;
        Ball().LandX = c.landX;
        Ball().LandZ = c.landZ;
        me.MySt->Auto = DBStAuto{};
        me.MySt->DdgLag_c = 0;
        me.InitAutoTypeMuki();
        me.CheckDodge();
        EXPECT_EQ(me.NextAuto.AutoType, c.result) << c.name;
        if (c.result == dbaDgJp) {
            EXPECT_EQ(me.MySt->DdgLag_c, 5) << c.name;
        }
    }
    // A low ball still outside the half of the jump box it comes from.
    ShotAt(0, 23600, 500, 5000, -500, mL);
    Ball().Land_f = 0;
    me.InitAutoTypeMuki();
    me.CheckDodge();
    EXPECT_EQ(me.NextAuto.AutoType, dbaFree);
}

TEST_F(Cpu, ADodgeWaitsOutItsReactionDelay) {
    TDBPlayer& me = P(0, 1);
    Place(me, 20000, 5000);
    ShotAt(0, 21000, 2000, 5000, -500, mL);
    me.InitAutoTypeMuki();
    me.CheckDodge();
    me.MySt->Auto = me.NextAuto;
    me.MySt->Motion.Mtype = dbmtSt;
    for (int f = 0; f < 3; ++f) {
        me.InitAutoTypeMuki();
        me.MySt->Auto = me.NextAuto;
        me.MCKeyInputAT();
        EXPECT_EQ(me.MySt->Motion.Mtype, f < 2 ? dbmtSt : dbmtDg) << f;
    }
    EXPECT_EQ(sound.Played, std::vector<int>{30});
    // Once the shot is gone the dodge behaviour ends.
    Ball().Motion = dbbBound;
    me.InitAutoTypeMuki();
    EXPECT_EQ(me.NextAuto.AutoType, dbaFree);
}

struct ReturnCase {
    const char* name;
    int side, pos;
    int32_t x, z;
    MukiTypeA wx;
    MukiZTypeA wz;
    bool dash;
};

TEST_F(Cpu, PlayersOutsideTheirAreaWalkBack) {
    const ReturnCase cases[] = {
        {"front line, in front of it", 0, 5, 30000, 300, maN, mzaB, false},
        {"front line, too deep", 0, 5, 30000, 900, maN, mzaF, false},
        {"back line, far toward the own end", 0, 4, 46200, 10000, maL, mzaN, true},
        {"back line, a little toward the own end", 0, 4, 43000, 10000, maL, mzaN, false},
        {"side-1 infielder past the centre", 1, 0, 20000, 5000, maR, mzaN, true},
        {"side-0 infielder behind the end line", 0, 0, 6000, 5000, maR, mzaN, true},
        {"inside", 0, 0, 15000, 5000, maN, mzaN, false},
    };
    for (const ReturnCase& c : cases) {
        TDBPlayer& p = P(c.side, c.pos);
        Place(p, c.x, c.z);
        p.MySt->Auto = DBStAuto{};
        p.InitAutoTypeMuki();
        p.CheckAutoReturn();
        const bool out = c.wx != maN || c.wz != mzaN;
        EXPECT_EQ(p.NextAuto.AutoType, out ? dbaReturn : dbaFree) << c.name;
        EXPECT_EQ(p.NextAuto.AMuki, c.wx) << c.name;
        EXPECT_EQ(p.NextAuto.AMukiZ, c.wz) << c.name;
        EXPECT_EQ(bool(p.NextAuto.ADash_f), c.dash) << c.name;
    }
}

TEST_F(Cpu, TheThrowerNeverCoversHisOwnShot) {
    ShotAt(1, 30000, 2000, 10000, 500, mR);
    Ball().PichTNo = 0;
    Ball().PichPNo = 4;
    BallZ().SetMukiZ(mzB);
    TDBPlayer& thrower = P(0, 4);
    thrower.InitAutoTypeMuki();
    thrower.CheckShootCover();
    EXPECT_EQ(thrower.NextAuto.AutoType, dbaFree);
    TDBPlayer& mate = P(0, 5);
    mate.InitAutoTypeMuki();
    mate.CheckShootCover();
    EXPECT_EQ(mate.NextAuto.AutoType, dbaShCv);
    // The boomerang special shot is never covered.
    Ball().ShSt.HSNo = dbhBMR;
    mate.InitAutoTypeMuki();
    mate.CheckShootCover();
    EXPECT_EQ(mate.NextAuto.AutoType, dbaFree);
}

TEST_F(Cpu, AJumpAttackRunsJumpsAndThrowsOnTime) {
    TDBPlayer& cpu = P(1, 0);
    Hold(cpu);
    Place(cpu, 40000, 5000);  // LeftCrtX 11200
    DBPlayerState& st = *cpu.MySt;
    st.Auto.AutoType = dbaCPUSht;
    st.CPUSt = DBCPUSt{};
    st.CPUSt.AtType = dbcaJSh;
    st.CPUSt.Ds_c = 3;
    st.CPUSt.Jp_c = 5;
    st.Step_c = 2;
    st.Motion.Mtype = dbmtDs;
    st.Motion.MF = uint16_t(MFBit(dbmfDs) | MFBit(dbmfJpOK));
    cpu.MCKeyInputAT();
    EXPECT_EQ(st.Motion.Mtype, dbmtDs);  // still running
    st.Step_c = 3;
    cpu.MCKeyInputAT();
    EXPECT_EQ(st.Motion.Mtype, dbmtJCr);
    // Airborne (the take-off belongs to the motion counter).
    cpu.SetMtype(dbmtJ2, true);
    st.Motion.MF = uint16_t(st.Motion.MF | MFBit(dbmfAr));
    st.Air_c = 4;
    cpu.MCKeyInputAT();
    EXPECT_EQ(st.Motion.Mtype, dbmtJ2);
    st.Air_c = 5;
    cpu.MCKeyInputAT();
    EXPECT_EQ(st.Motion.Mtype, dbmtJSh);
    EXPECT_EQ(st.Auto.AutoType, dbaFree);

    // Reaching the attack line ends the run early.
    st.Auto.AutoType = dbaCPUSht;
    st.Step_c = 0;
    st.Air_c = 0;
    st.Motion.Mtype = dbmtDs;
    st.Motion.MF = uint16_t(MFBit(dbmfDs) | MFBit(dbmfJpOK));
    Place(cpu, 51200 - 24400, 5000);
    cpu.MCKeyInputAT();
    EXPECT_EQ(st.Motion.Mtype, dbmtDs);
    Place(cpu, 51200 - 24401, 5000);
    cpu.MCKeyInputAT();
    EXPECT_EQ(st.Motion.Mtype, dbmtJCr);
}

}  // namespace

namespace {

TEST_F(Cpu, InfieldersTakeTheirFormationPointWhenOrdered) {
    for (int s = 0; s < 2; ++s) {
        DBPosMove& pm = Team(s).PosMove;
        pm.EnC_f = 1;
        pm.InfLine = iltInf;
        pm.InfXZ = 5700;
        pm.InfPos[0][1] = 10;
        pm.InfPos[1][1] = -20;
        pm.Inf_f[1] = 1;
    }
    DBPosData& row = hub->ADBRankDt[0].Pos;
    row.XLX = 30, row.XLX2 = 10, row.XLZ2 = 5;
    row.ZLX2 = 50, row.ZLZ = 20, row.ZLZ2 = 30;
    // With i0 = 10 and i1 = -20, the point by the attacker's line:
    //   end line:   X 25600 - (10 x 10 + 30 x 100) = 22500, depth InfXZ - 20 x 5;
    //   back line:  X -20 x 50 + InfXZ, depth 9200 - (10 x 30 + 20 x 100) = 6900;
    //   front line: X the same, depth 10 x 30 + 20 x 100 + 2200 = 4500;
    //   own end:    X 10 x 10 + 30 x 100 + 7400 = 10500, depth InfXZ - 100.
    // A man 301 off on both axes heads back on both; one unit nearer the
    // point and he would not on one of them.
    struct Case {
        int side;
        InfLineType line;
        int32_t infXZ, x, z;
        DBAutoType type;
        MukiTypeA wx;
        MukiZTypeA wz;
        bool dash;
    };
    const Case cases[] = {
        {0, iltInf, 5700, 15000, 5600, dbaPos2, maR, mzaN, true},
        {0, iltInf, 5700, 22300, 5000, dbaPos2, maN, mzaB, false},
        {0, iltInf, 5700, 22400, 5500, dbaFree, maN, mzaN, false},  // within 300 on both axes
        {1, iltInf, 5700, 40000, 5600, dbaPos2, maL, mzaN, true},   // side 1 mirrors: 28700
        {1, iltInf, 5700, 28700, 6000, dbaPos2, maN, mzaF, false},
        {0, iltO2, 16000, 15301, 7201, dbaPos2, maL, mzaF, false},
        {0, iltO2, 16000, 14699, 6599, dbaPos2, maR, mzaB, false},
        {0, iltO3, 16000, 15301, 4801, dbaPos2, maL, mzaF, false},
        {0, iltO3, 16000, 14699, 4199, dbaPos2, maR, mzaB, false},
        {0, iltO4, 5700, 10801, 5901, dbaPos2, maL, mzaF, false},
        {0, iltO4, 5700, 10199, 5299, dbaPos2, maR, mzaB, false},
        // The depth is held within 2500 .. 8900.
        {0, iltInf, 9500, 22500, 9201, dbaPos2, maN, mzaF, false},
        {0, iltInf, 9500, 22500, 8599, dbaPos2, maN, mzaB, false},
        {0, iltInf, 2000, 22500, 2801, dbaPos2, maN, mzaF, false},
        {0, iltInf, 2000, 22500, 2199, dbaPos2, maN, mzaB, false},
    };
    for (const Case& c : cases) {
        Team(c.side).PosMove.InfLine = c.line;
        Team(c.side).PosMove.InfXZ = c.infXZ;
        TDBPlayer& p = P(c.side, 1);
        Place(p, c.x, c.z);
        p.MySt->Auto = DBStAuto{};
        p.InitAutoTypeMuki();
        p.CheckMovePos();
        EXPECT_EQ(p.NextAuto.AutoType, c.type) << c.side << " " << c.x << " " << c.z;
        EXPECT_EQ(p.NextAuto.AMuki, c.wx) << c.side << " " << c.x;
        EXPECT_EQ(p.NextAuto.AMukiZ, c.wz) << c.side << " " << c.x;
        EXPECT_EQ(bool(p.NextAuto.ADash_f), c.dash) << c.side << " " << c.x;
    }
    // Without the order the infielder stays free.
    Team(0).PosMove.Inf_f[1] = 0;
    Place(P(0, 1), 15000, 5600);
    P(0, 1).InitAutoTypeMuki();
    P(0, 1).CheckMovePos();
    EXPECT_EQ(P(0, 1).NextAuto.AutoType, dbaFree);
}

}  // namespace

namespace {

// Right after the take-off of his jump attack the CPU attacker still has his
// running wishes: they must not pull him out of the jump into a dash (which
// would let him jump again, and again, without ever throwing).
TEST_F(Cpu, TheAttackRunDoesNotStartADashInTheAir) {
    TDBPlayer& cpu = P(1, 0);
    Hold(cpu);
    Place(cpu, 40000, 5000);
    DBPlayerState& st = *cpu.MySt;
    st.Auto.AutoType = dbaCPUSht;
    st.CPUSt = DBCPUSt{};
    st.CPUSt.AtType = dbcaJSh;
    st.CPUSt.Jp_c = 20;
    st.Motion.Mtype = dbmtJ2;
    st.Motion.MF = uint16_t(MFBit(dbmfAr) | MFBit(dbmfMuki) | MFBit(dbmfDs));
    st.Air_c = 1;
    cpu.AutoMoveCPU();
    EXPECT_EQ(st.Motion.Mtype, dbmtJ2);
    cpu.MCKeyInputAT();
    EXPECT_EQ(st.Motion.Mtype, dbmtJ2);
    // On the ground the same wishes run.
    st.Motion.Mtype = dbmtSt;
    st.Motion.MF = uint16_t(MFBit(dbmfJpOK) | MFBit(dbmfMuki));
    cpu.AutoMoveCPU();
    EXPECT_EQ(st.Motion.Mtype, dbmtDs);
}

}  // namespace
