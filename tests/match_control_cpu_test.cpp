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
    // The side's infielders land where they stand (their landing point
    // decides who may receive from the outfield).
    void StandStill(int side) {
        for (int i = 0; i < 4; ++i) P(side, i).MySt->LandX = P(side, i).MyZahyou->X;
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
        {0, 100, 0, 100, 0, dbdfHard, dbcaJSh, 10, 19, 6},
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
        cpu.MySt->Step_c = cpu.MySt->Air_c = 5;
        SetRandSeed(155);  // its 6th and 7th draws lie above 0.95: the delay is 9
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
        EXPECT_EQ(cpu.MySt->Step_c + cpu.MySt->Air_c, 0);
        // The first draw is the run length; off easy, the last is the throw
        // delay of 0..9.
        SetRandSeed(155);
        EXPECT_EQ(st.Ds_c, 1 + Random(10));
        for (uint64_t i = 2; i < c.draws; ++i) Random(100);
        if (c.jpMax > c.jpMin) {
            EXPECT_EQ(st.Jp_c, c.jpMin + Random(10));
        }
        // A side-1 infielder attacks to the left, dashing, level.
        EXPECT_EQ(cpu.NextAuto.AMuki, maL);
        EXPECT_EQ(cpu.NextAuto.AMukiZ, mzaN);
        EXPECT_EQ(cpu.NextAuto.ADash_f, 1);
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
        {"an uncontrolled human infielder dodges a shot coming at him", 0, 1,
         [&] {
             Team(0).CtrlNo = 0;
             Place(P(0, 1), 15000, 5000);
             Face(P(0, 1), mR, mzN);
             ShotAt(0, 16000, 2000, 5000, -500, mL);
         },
         false, dbaDg, maN, mzaN, false, dbmtSt, 0},
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
        {"the CPU's infield receiver follows an outfielder's shot home", 1, 0,
         [&] {
             Place(P(1, 0), 28000, 5000);
             StandStill(1);
             ShotAt(0, 30000, 0, 8000, 500, mR);
             b.PichPNo = 4;
         },
         true, dbaShCv, maN, mzaB, false, dbmtWk, 0},
        {"the CPU receiver starts his catch 8 steps ahead", 1, 2,
         [&] {
             b.Motion = dbbPass;
             b.PaTgTNo = 1, b.PaTgPNo = 2;
             b.PaETA_c = 8;
             Place(P(1, 2), 40000, 5000);
             BallZ().X = 40000, BallZ().Z = 5000;
         },
         true, dbaFree, maN, mzaN, false, dbmtCa, 0},
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
        {"a return along a right dash goes on", dbmtSt, {dbaReturn, maR, mzaN, 1},
         [](TDBPlayer& p) {
             p.MukiSetDash(mR);
             p.SetMtype(dbmtDs, true);
         },
         dbmtDs},
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
        {"a shot-cover man near a ball at 3200 runs on", dbmtSt, {dbaShCv, maR, mzaN, 0},
         [this](TDBPlayer& p) {
             Ball().Motion = dbbShoot;
             BallZ().X = p.MyZahyou->X, BallZ().Z = p.MyZahyou->Z;
             BallZ().Y = 3200;
         },
         dbmtWk},
        {"an arrived shot-cover man still waits", dbmtSt, {dbaShCv, maR, mzaN, 0},
         [](TDBPlayer& p) { p.MySt->AShCv_c = 2; }, dbmtSt},
        {"the CPU attacker runs once his wait is over", dbmtSt, {dbaCPUSht, maR, mzaN, 1},
         [](TDBPlayer& p) { p.MySt->CPUSt.Wait_c = 1; }, dbmtDs},
        {"the CPU attacker waits", dbmtSt, {dbaCPUSht, maR, mzaN, 1},
         [](TDBPlayer& p) { p.MySt->CPUSt.Wait_c = 2; }, dbmtSt},
        {"an arrived fetcher stands", dbmtWk, {dbaGet, maN, mzaN, 0}, [](TDBPlayer&) {}, dbmtSt},
        {"an arrived fetcher brakes his dash", dbmtSt, {dbaGet, maN, mzaN, 0}, dashingLeft, dbmtSl},
        {"a fetcher wishing depth only walks", dbmtSt, {dbaGet, maN, mzaB, 0}, [](TDBPlayer&) {},
         dbmtWk},
        {"a fetcher wishing X without a dash walks", dbmtSt, {dbaGet, maR, mzaN, 0},
         [](TDBPlayer&) {}, dbmtWk},
        {"a fetcher's unwanted dash brakes", dbmtSt, {dbaGet, maL, mzaN, 0}, dashingLeft, dbmtSl},
        {"a fetcher dashes", dbmtSt, {dbaGet, maR, mzaN, 1}, [](TDBPlayer&) {}, dbmtDs},
        {"a return across walks", dbmtSt, {dbaReturn, maR, mzaN, 0}, [](TDBPlayer&) {}, dbmtWk},
        {"a return across dashes", dbmtSt, {dbaReturn, maR, mzaN, 1}, [](TDBPlayer&) {}, dbmtDs},
        {"a holder returning steps back over the line", dbmtWk, {dbaReturn, maR, mzaN, 1},
         [this](TDBPlayer& p) { Hold(p); }, dbmtOvL},
        {"a dashing holder returning brakes", dbmtSt, {dbaReturn, maR, mzaN, 1},
         [this, dashingLeft](TDBPlayer& p) {
             dashingLeft(p);
             Hold(p);
         },
         dbmtSl},
        {"a formation walker walks", dbmtSt, {dbaPos2, maR, mzaN, 0}, [](TDBPlayer&) {}, dbmtWk},
        {"a formation runner dashes", dbmtSt, {dbaPos2, maR, mzaN, 1}, [](TDBPlayer&) {}, dbmtDs},
        {"an arrived formation man stands", dbmtWk, {dbaPos2, maN, mzaN, 0}, [](TDBPlayer&) {},
         dbmtSt},
        {"a dodge jump", dbmtSt, {dbaDgJp, maN, mzaN, 0}, [](TDBPlayer&) {}, dbmtJCr},
        {"a pass jump", dbmtSt, {dbaPassJp, maN, mzaN, 0}, [](TDBPlayer&) {}, dbmtJCr},
        {"a free man catching goes on", dbmtCa, {dbaFree, maN, mzaN, 0}, [](TDBPlayer&) {}, dbmtCa},
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
        EXPECT_EQ(sound.Played, c.m == dbmtCa && c.wish.AutoType == dbaShCv ? std::vector<int>{30}
                                                                          : std::vector<int>{})
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
    int32_t bx = 21000, bz = 5000, dx = -500, dz = 0;  // the ball's place and travel
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
        {"at the jump height", 1000, false, 0, 5000, dbaDgJp},
        {"just above it", 1001, false, 0, 5000, dbaDg},
        {"at the crouch height", 4000, false, 0, 5000, dbaDg},
        {"just above it", 4001, false, 0, 5000, dbaFree},
        // The crouch box reaches 2000 across and 1000 in depth, the ball's 500.
        {"mid-height at the box's right edge", 2000, false, 0, 5000, dbaDg, 22499},
        {"mid-height past it", 2000, false, 0, 5000, dbaFree, 22500},
        {"mid-height at the box's back edge", 2000, false, 0, 5000, dbaDg, 20000, 6499},
        {"mid-height past it", 2000, false, 0, 5000, dbaFree, 20000, 6500},
        {"mid-height at the box's left edge", 2000, false, 0, 5000, dbaDg, 17501},
        {"mid-height past it", 2000, false, 0, 5000, dbaFree, 17500},
        {"mid-height at the box's front edge", 2000, false, 0, 5000, dbaDg, 20000, 3501},
        {"mid-height past it", 2000, false, 0, 5000, dbaFree, 20000, 3500},
        // Flying right from the left: short when landing over 2000 left of him.
        {"low from the left, landing short", 500, true, 17999, 5000, dbaFree, 19000, 5000, 500, 0},
        {"low from the left, just within reach", 500, true, 18000, 5000, dbaDgJp, 19000, 5000, 500, 0},
        // Flying back from the front: short when landing over 2000 in front.
        {"low from the front, landing short", 500, true, 20000, 2999, dbaFree, 20000, 4000, 0, 500},
        {"low from the front, just within reach", 500, true, 20000, 3000, dbaDgJp, 20000, 4000, 0, 500},
        {"low from the front, short of the jump box", 500, false, 0, 0, dbaFree, 20000, 2999, 0, 500},
        {"low from the front, in the jump box", 500, false, 0, 0, dbaDgJp, 20000, 3001, 0, 500},
        // The jump box reaches 3000 to the side the ball comes from.
        {"low at the jump box's edge", 500, false, 0, 0, dbaDgJp, 23499},
        {"low past it", 500, false, 0, 0, dbaFree, 23500},
    };
    TDBPlayer& me = P(0, 1);  // an uncontrolled human infielder
    Place(me, 20000, 5000);
    for (const DodgeCase& c : cases) {
        ShotAt(0, c.bx, c.y, c.bz, c.dx, c.dx < 0 ? mL : mR);
        BallZ().dZ = c.dz;
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
    // A point-sized ball shows which half of the jump box counts: the half
    // across the ball's main travel, starting on the player's own line.
    DB().DBB.ATARIW = DB().DBB.ATARID = 0;
    const struct {
        int32_t bx, bz, dx, dz;
        DBAutoType r;
    } point[] = {
        {20000, 5100, -500, 0, dbaFree},  {20000, 5100, 0, -500, dbaDgJp},
        {20100, 5000, -500, 0, dbaDgJp},  {20100, 5000, 0, -500, dbaFree},
        {20000, 5100, -500, -500, dbaDgJp},  // as much across as in depth: by depth
    };
    for (const auto& c : point) {
        ShotAt(0, c.bx, 500, c.bz, c.dx, mL);
        BallZ().dZ = c.dz;
        Ball().Land_f = 0;
        me.MySt->Auto = DBStAuto{};
        me.InitAutoTypeMuki();
        me.CheckDodge();
        EXPECT_EQ(me.NextAuto.AutoType, c.r) << c.bx << " " << c.bz << " " << c.dx << " " << c.dz;
    }
    DB().DBB.ATARIW = DB().DBB.ATARID = 10;
    // Only a shot at his side threatens an infielder: not one at the enemy,
    // not a pass, and no shot an outfielder.
    TDBPlayer& out = P(0, 5);
    Place(out, 30000, 600);
    const struct {
        TDBPlayer* p;
        int side;
        DBBallMotionType motion;
    } safe[] = {{&me, 1, dbbShoot}, {&me, 0, dbbPass}, {&out, 0, dbbShoot}};
    for (const auto& c : safe) {
        const TZahyou& z = *c.p->MyZahyou;
        ShotAt(c.side, z.X + 1000, 2000, z.Z, -500, mL);
        Ball().Motion = c.motion;
        c.p->MySt->Auto = DBStAuto{};
        c.p->InitAutoTypeMuki();
        c.p->CheckDodge();
        EXPECT_EQ(c.p->NextAuto.AutoType, dbaFree) << c.p->PosNo << " " << c.side;
    }
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
        {0, iltInf, 5700, 22199, 5600, dbaPos2, maR, mzaN, false},  // 301 off in X only
        {0, iltInf, 5700, 21500, 5300, dbaPos2, maR, mzaN, false},  // 300 off in depth: no wish
        {0, iltInf, 5700, 22200, 6600, dbaPos2, maN, mzaF, false},  // 300 off in X: no wish
        {0, iltInf, 5700, 19300, 5600, dbaPos2, maR, mzaN, false},  // 3200 short: no dash
        {0, iltInf, 5700, 19299, 5600, dbaPos2, maR, mzaN, true},
        {1, iltInf, 5700, 40000, 5600, dbaPos2, maL, mzaN, true},   // side 1 mirrors: 28700
        {1, iltInf, 5700, 28700, 6000, dbaPos2, maN, mzaF, false},
        {0, iltO2, 16000, 15301, 7201, dbaPos2, maL, mzaF, false},
        {0, iltO2, 16000, 14699, 6599, dbaPos2, maR, mzaB, false},
        {0, iltO3, 16000, 15301, 4801, dbaPos2, maL, mzaF, false},
        {0, iltO3, 16000, 14699, 4199, dbaPos2, maR, mzaB, false},
        {0, iltO4, 5700, 10801, 5901, dbaPos2, maL, mzaF, false},
        {0, iltO4, 5700, 10199, 5299, dbaPos2, maR, mzaB, false},
        // X is held within GetSLX + 300 (9124 at depth 6900) .. 24900.
        {0, iltO2, 26500, 25201, 6900, dbaPos2, maL, mzaN, false},
        {0, iltO2, 26500, 25200, 6900, dbaFree, maN, mzaN, false},
        {0, iltO2, 8000, 8823, 6900, dbaPos2, maR, mzaN, false},
        {0, iltO2, 8000, 8824, 6900, dbaFree, maN, mzaN, false},
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

namespace {

// A pass's receiver: a jump pass within PACAJPTIME steps calls for a jump
// when a jump is allowed; any pass to him 0 to 8 steps ahead starts his catch
// (a jump pass only in the air) and spends the arrival count.
TEST_F(Cpu, AReceiverJumpsAndCatchesInItsWindow) {
    DB().DBPASS.PACAJPTIME = 12;
    const uint16_t kGround = uint16_t(MFBit(dbmfJpOK) | MFBit(dbmfMuki));
    const uint16_t kAir = uint16_t(MFBit(dbmfAr) | MFBit(dbmfMuki));
    struct Case {
        const char* name;
        DBBallMotionType motion;
        int tside, tpos;
        int32_t eta;
        bool jc;
        DBMotionType m0;
        uint16_t mf;
        DBAutoType next0, next;
        DBMotionType m;
        int32_t etaAfter;
    };
    const Case cases[] = {
        {"8 steps ahead", dbbPass, 0, 2, 8, false, dbmtSt, kGround, dbaFree, dbaFree, dbmtCa, -1},
        {"arriving now", dbbPass, 0, 2, 0, false, dbmtSt, kGround, dbaFree, dbaFree, dbmtCa, -1},
        {"9 steps ahead", dbbPass, 0, 2, 9, false, dbmtSt, kGround, dbaFree, dbaFree, dbmtSt, 9},
        {"arrival spent", dbbPass, 0, 2, -1, false, dbmtSt, kGround, dbaFree, dbaFree, dbmtSt, -1},
        {"to a mate", dbbPass, 0, 3, 5, true, dbmtSt, kGround, dbaFree, dbaFree, dbmtSt, 5},
        {"to the enemy's man", dbbPass, 1, 2, 5, true, dbmtSt, kGround, dbaFree, dbaFree, dbmtSt, 5},
        {"a shot", dbbShoot, 0, 2, 5, true, dbmtSt, kGround, dbaFree, dbaFree, dbmtSt, 5},
        {"jump pass 12 ahead", dbbPass, 0, 2, 12, true, dbmtSt, kGround, dbaFree, dbaPassJp, dbmtSt,
         12},
        {"jump pass 13 ahead", dbbPass, 0, 2, 13, true, dbmtSt, kGround, dbaFree, dbaFree, dbmtSt, 13},
        {"jump pass on the ground", dbbPass, 0, 2, 8, true, dbmtSt, kGround, dbaFree, dbaPassJp,
         dbmtSt, -1},
        {"jump pass in the air", dbbPass, 0, 2, 8, true, dbmtJ2, kAir, dbaFree, dbaFree, dbmtJCa, -1},
        {"jump pass, no jump allowed", dbbPass, 0, 2, 10, true, dbmtSt, MFBit(dbmfMuki), dbaFree,
         dbaFree, dbmtSt, 10},
        {"walking", dbbPass, 0, 2, 5, false, dbmtWk, kGround, dbaFree, dbaFree, dbmtWk, 5},
        {"fetching", dbbPass, 0, 2, 5, true, dbmtSt, kGround, dbaGet, dbaGet, dbmtSt, 5},
        {"in a pass jump", dbbPass, 0, 2, 5, false, dbmtSt, kGround, dbaPassJp, dbaPassJp, dbmtCa,
         -1},
    };
    for (const Case& c : cases) {
        ResetCourt();
        TDBPlayer& r = P(0, 2);
        Ball().Motion = c.motion;
        Ball().PaTgTNo = c.tside, Ball().PaTgPNo = c.tpos;
        Ball().PaETA_c = c.eta;
        Ball().PaJC_f = c.jc;
        r.MySt->Motion.Mtype = c.m0;
        r.MySt->Motion.MF = c.mf;
        r.NextAuto = DBStAuto{c.next0, maN, mzaN, 0};
        r.CheckPassCatchJp();
        r.CheckPassCatchMotion();
        EXPECT_EQ(r.NextAuto.AutoType, c.next) << c.name;
        EXPECT_EQ(r.MySt->Motion.Mtype, c.m) << c.name;
        EXPECT_EQ(Ball().PaETA_c, c.etaAfter) << c.name;
    }
}

// The shot-cover man follows a team-mate's shot: the side-line men along
// their lines in the enemy half (X >= 25600 for side 0, <= 25600 for side 1),
// the end-line man in depth while it flies away, the infield receiver in
// depth while it comes home; dead zone 400.
TEST_F(Cpu, ShotCoverFollowsTheShotByPosition) {
    struct Case {
        const char* name;
        int side, pos;
        int32_t px, pz;
        int pich;
        int32_t bx, bz, bdx;
        MukiZType heading;
        DBAutoType type;
        MukiTypeA wx;
        MukiZTypeA wz;
    };
    const Case cases[] = {
        {"back line, back-heading shot", 0, 4, 30000, 10000, 5, 40000, 5000, 500, mzB, dbaShCv, maR,
         mzaN},
        {"back line, shot on the centre line", 0, 4, 30000, 10000, 5, 25600, 5000, 500, mzB, dbaShCv,
         maL, mzaN},
        {"back line, shot short of it", 0, 4, 30000, 10000, 5, 25599, 5000, 500, mzB, dbaShCv, maN,
         mzaN},
        {"back line, front-heading shot far off", 0, 4, 30000, 10000, 5, 40000, 5000, 500, mzF,
         dbaShCv, maN, mzaN},
        {"back line, front-heading shot 800 off", 0, 4, 30000, 10000, 5, 40000, 9200, 500, mzF,
         dbaShCv, maR, mzaN},
        {"back line, front-heading shot 801 off", 0, 4, 30000, 10000, 5, 40000, 9199, 500, mzF,
         dbaShCv, maN, mzaN},
        {"back line, back-heading 8000 off", 0, 4, 30000, 10000, 5, 40000, 2000, 500, mzB, dbaShCv,
         maR, mzaN},
        {"back line, back-heading 8001 off", 0, 4, 30000, 10000, 5, 40000, 1999, 500, mzB, dbaShCv,
         maN, mzaN},
        {"back line, within the dead zone", 0, 4, 30000, 10000, 5, 30400, 5000, 500, mzB, dbaShCv,
         maN, mzaN},
        {"back line, past the dead zone", 0, 4, 30000, 10000, 5, 30401, 5000, 500, mzB, dbaShCv, maR,
         mzaN},
        {"front line, front-heading shot", 0, 5, 30000, 600, 4, 40000, 5000, 500, mzF, dbaShCv, maR,
         mzaN},
        {"front line, back-heading shot", 0, 5, 30000, 600, 4, 40000, 5000, 500, mzB, dbaShCv, maN,
         mzaN},
        {"side-1 back line, shot on the centre line", 1, 4, 21200, 10000, 5, 25600, 5000, -500, mzB,
         dbaShCv, maR, mzaN},
        {"side-1 back line, shot past it", 1, 4, 21200, 10000, 5, 25601, 5000, -500, mzB, dbaShCv,
         maN, mzaN},
        {"end line, shot flying away 8000 off", 0, 6, 45000, 5000, 4, 37000, 8000, 500, mzN, dbaShCv,
         maN, mzaB},
        {"end line, shot flying back", 0, 6, 45000, 5000, 4, 37000, 8000, -500, mzN, dbaShCv, maN,
         mzaN},
        {"end line, within the dead zone", 0, 6, 45000, 5000, 4, 37000, 5400, 500, mzN, dbaShCv, maN,
         mzaN},
        {"end line, past the dead zone", 0, 6, 45000, 5000, 4, 37000, 5401, 500, mzN, dbaShCv, maN,
         mzaB},
        {"end line, shot flying across only", 0, 6, 45000, 5000, 4, 37000, 8000, 0, mzN, dbaShCv, maN,
         mzaN},
        {"side-1 end line, shot flying across only", 1, 6, 20000, 5000, 4, 14000, 8000, 0, mzN,
         dbaShCv, maN, mzaN},
        {"end line, shot 8001 off", 0, 6, 45000, 5000, 4, 36999, 8000, 500, mzN, dbaShCv, maN, mzaN},
        {"end line, shot on the centre line", 0, 6, 30000, 5000, 4, 25600, 8000, 500, mzN, dbaShCv,
         maN, mzaB},
        {"end line, shot short of it", 0, 6, 30000, 5000, 4, 25599, 8000, 500, mzN, dbaShCv, maN,
         mzaN},
        {"side-1 end line, shot on the centre line", 1, 6, 20000, 5000, 4, 25600, 8000, -500, mzN,
         dbaShCv, maN, mzaB},
        {"side-1 end line, shot past it", 1, 6, 20000, 5000, 4, 25601, 8000, -500, mzN, dbaShCv, maN,
         mzaN},
        {"infield receiver, shot coming home", 0, 2, 20000, 5000, 4, 28000, 8000, -500, mzN, dbaShCv,
         maN, mzaB},
        {"infield receiver, shot flying away", 0, 2, 20000, 5000, 4, 28000, 8000, 500, mzN, dbaShCv,
         maN, mzaN},
        {"infield receiver, shot flying across only", 0, 2, 20000, 5000, 4, 28000, 8000, 0, mzN,
         dbaShCv, maN, mzaN},
        {"side-1 infield receiver, shot flying across only", 1, 2, 31200, 7000, 4, 26200, 8000, 0, mzN,
         dbaShCv, maN, mzaN},
        {"infield receiver, shot 8001 off", 0, 2, 20000, 5000, 4, 28001, 8000, -500, mzN, dbaShCv,
         maN, mzaN},
        {"side-1 infield receiver, shot coming home", 1, 2, 31200, 7000, 4, 26200, 8000, 500, mzN,
         dbaShCv, maN, mzaB},
        {"another infielder", 0, 0, 12000, 5000, 4, 15000, 8000, -500, mzN, dbaFree, maN, mzaN},
        {"the receiver after an infielder's shot", 0, 2, 20000, 5000, 3, 25000, 8000, -500, mzN,
         dbaFree, maN, mzaN},
    };
    for (const Case& c : cases) {
        ResetCourt();
        ShotAt(1 - c.side, c.bx, 0, c.bz, c.bdx, c.bdx < 0 ? mL : mR);
        BallZ().SetMukiZ(c.heading);
        Ball().PichTNo = c.side, Ball().PichPNo = c.pich;
        TDBPlayer& p = P(c.side, c.pos);
        Place(p, c.px, c.pz);
        StandStill(c.side);
        p.NextAuto = DBStAuto{dbaFree, maN, mzaN, 0};
        p.CheckShootCover();
        EXPECT_EQ(p.NextAuto.AutoType, c.type) << c.name;
        EXPECT_EQ(p.NextAuto.AMuki, c.wx) << c.name;
        EXPECT_EQ(p.NextAuto.AMukiZ, c.wz) << c.name;
    }
}

// A formation move (dbaPos) goes on only while a team-mate holds the ball,
// the player is not its pass target, and he is within 500 of the enemy
// centre on his axis (an infielder also at LeftCrtX 24700 or more); other
// behaviours end or go on by the ball.
TEST_F(Cpu, BehavioursGoOnOrEndByTheBall) {
    struct Case {
        const char* name;
        int pos;
        int32_t px, pz, encx, encz;
        bool encf;
        DBBallMotionType motion;
        int holdSide, holdPos, tgPos;
        DBAutoType type0, type;
        bool infCleared;
    };
    const Case cases[] = {
        {"side line 500 off the centre", 5, 30000, 600, 30500, 0, true, dbbHold, 0, 0, -1, dbaPos,
         dbaPos, false},
        {"side line 500 the other way", 5, 30000, 600, 29500, 0, true, dbbHold, 0, 0, -1, dbaPos,
         dbaPos, false},
        {"side line 501 off", 5, 30000, 600, 30501, 0, true, dbbHold, 0, 0, -1, dbaPos, dbaFree,
         false},
        {"end line 500 off in depth", 6, 44000, 5000, 0, 5500, true, dbbHold, 0, 0, -1, dbaPos, dbaPos,
         false},
        {"end line 501 off in depth", 6, 44000, 5000, 0, 5501, true, dbbHold, 0, 0, -1, dbaPos,
         dbaFree, false},
        {"infielder at 24700", 2, 24700, 5000, 0, 5000, true, dbbHold, 0, 0, -1, dbaPos, dbaPos,
         false},
        {"infielder short of 24700", 2, 24699, 5000, 0, 5000, true, dbbHold, 0, 0, -1, dbaPos, dbaFree,
         false},
        {"infielder 501 off in depth", 2, 24700, 5000, 0, 4499, true, dbbHold, 0, 0, -1, dbaPos,
         dbaFree, false},
        {"the pass target", 5, 30000, 600, 30000, 0, true, dbbHold, 0, 0, 5, dbaPos, dbaFree, false},
        {"the infield pass target", 2, 24700, 5000, 0, 5000, true, dbbHold, 0, 0, 2, dbaPos, dbaFree,
         true},
        {"an infielder while a pass flies", 2, 24700, 5000, 0, 5000, true, dbbPass, 0, 0, 3, dbaPos,
         dbaFree, true},
        {"no enemy centre", 5, 30000, 600, 30000, 0, false, dbbHold, 0, 0, -1, dbaPos, dbaFree, false},
        {"he holds it", 5, 30000, 600, 30000, 0, true, dbbHold, 0, 5, -1, dbaPos, dbaFree, false},
        {"the enemy holds it", 5, 30000, 600, 30000, 0, true, dbbHold, 1, 0, -1, dbaPos, dbaFree,
         false},
        {"fetching a bouncing ball ends", 5, 30000, 600, 0, 0, true, dbbBound, -1, -1, -1, dbaGet,
         dbaFree, false},
        {"fetching a held ball ends", 5, 30000, 600, 0, 0, true, dbbHold, 1, 0, -1, dbaGet, dbaFree,
         false},
        {"fetching a flying ball goes on", 5, 30000, 600, 0, 0, true, dbbShoot, -1, -1, -1, dbaGet,
         dbaGet, false},
        {"fetching ends once he has it", 5, 30000, 600, 0, 0, true, dbbShoot, 0, 5, -1, dbaGet,
         dbaFree, false},
        {"covering a pass goes on", 1, 11000, 3000, 0, 0, true, dbbPass, -1, -1, 2, dbaPassCvr,
         dbaPassCvr, false},
        {"covering ends when the pass is his", 1, 11000, 3000, 0, 0, true, dbbPass, 0, 1, 2,
         dbaPassCvr, dbaFree, false},
        {"covering ends without a pass", 1, 11000, 3000, 0, 0, true, dbbBound, -1, -1, -1, dbaPassCvr,
         dbaFree, false},
        {"a pass jump ends without a pass", 1, 11000, 3000, 0, 0, true, dbbShoot, -1, -1, -1,
         dbaPassJp, dbaFree, false},
        {"a pass jump goes on", 1, 11000, 3000, 0, 0, true, dbbPass, -1, -1, 2, dbaPassJp, dbaPassJp,
         false},
        {"a shot cover ends without a shot", 1, 11000, 3000, 0, 0, true, dbbPass, -1, -1, 2, dbaShCv,
         dbaFree, false},
        {"a shot cover goes on", 1, 11000, 3000, 0, 0, true, dbbShoot, -1, -1, -1, dbaShCv, dbaShCv,
         false},
        {"an attack goes on while he holds", 1, 11000, 3000, 0, 0, true, dbbHold, 0, 1, -1, dbaCPUSht,
         dbaCPUSht, false},
        {"an attack ends when he has let go", 1, 11000, 3000, 0, 0, true, dbbShoot, -1, -1, -1,
         dbaCPUSht, dbaFree, false},
        {"a return is chosen afresh", 1, 11000, 3000, 0, 0, true, dbbFree, -1, -1, -1, dbaReturn,
         dbaFree, false},
        {"a formation run is chosen afresh", 1, 11000, 3000, 0, 0, true, dbbFree, -1, -1, -1, dbaPos2,
         dbaFree, false},
        {"a swing dodge goes on", 1, 11000, 3000, 0, 0, true, dbbFree, -1, -1, -1, dbaDgSw, dbaDgSw,
         false},
    };
    for (const Case& c : cases) {
        ResetCourt();
        TDBPlayer& p = P(0, c.pos);
        Place(p, c.px, c.pz);
        DBPosMove& pm = Team(0).PosMove;
        pm.EnC_f = c.encf, pm.EnCX = c.encx, pm.EnCZ = c.encz;
        for (auto& f : pm.Inf_f) f = 1;
        Ball().Motion = c.motion;
        Ball().HoldTNo = c.holdSide, Ball().HoldPNo = c.holdPos;
        Ball().PaTgTNo = c.tgPos >= 0 ? 0 : -1, Ball().PaTgPNo = c.tgPos;
        p.MySt->Auto.AutoType = c.type0;
        p.InitAutoTypeMuki();
        EXPECT_EQ(p.NextAuto.AutoType, c.type) << c.name;
        if (p.Infield_f) {
            EXPECT_EQ(pm.Inf_f[c.pos], c.infCleared ? 0 : 1) << c.name;
        }
    }
    // A free man forgets his cover wait, and once in the air his return.
    TDBPlayer& p = P(0, 1);
    p.MySt->Auto.AutoType = dbaFree;
    p.MySt->AShCv_c = 5;
    p.MySt->GaiyaOvL_f = 0;
    p.InitAutoTypeMuki();
    EXPECT_EQ(p.MySt->AShCv_c, 0);
    EXPECT_EQ(p.MySt->GaiyaOvL_f, 0);
    p.MySt->Motion.MF = MFBit(dbmfAr);
    p.InitAutoTypeMuki();
    EXPECT_EQ(p.MySt->GaiyaOvL_f, 1);
}

// Players outside their area return to it (dashing across when over 3200
// out, an infielder always). An infielder still owing crouches is held in
// the middle box (LeftCrtX
// 14900 .. 18100, depth 4100 .. 7300); his owed count falls only while he
// stands inside his normal area. The outside flag of a returning outfielder
// stays only while he returns from past his line's inner end.
TEST_F(Cpu, PlayersReturnToTheirAreaAndABreathingInfielderToTheMiddle) {
    struct Case {
        const char* name;
        int side, pos;
        int32_t lx, z;
        int kagami;
        int32_t rev;
        DBAutoType type;
        MukiTypeA wx;
        MukiZTypeA wz;
        bool dash;
        int32_t revAfter;
        uint8_t ovl;
    };
    const Case cases[] = {
        {"front line, 1 in front of it", 0, 5, 21200, 499, 0, 0, dbaReturn, maN, mzaB, false, 0, 0},
        {"front line, 1 too deep", 0, 5, 21200, 701, 0, 0, dbaReturn, maN, mzaF, false, 0, 0},
        {"front line, on its back edge", 0, 5, 21200, 700, 0, 0, dbaFree, maN, mzaN, false, 0, 0},
        {"back line, 1 in front of it", 0, 4, 20000, 9899, 0, 0, dbaReturn, maN, mzaB, false, 0, 0},
        {"back line, 1 too deep", 0, 4, 20000, 10101, 0, 0, dbaReturn, maN, mzaF, false, 0, 0},
        {"side-1 infielder past the centre", 1, 0, 31200, 5000, 0, 0, dbaReturn, maR, mzaN, true, 0, 1},
        {"infielder behind the end line", 0, 0, 8247, 5000, 0, 0, dbaReturn, maR, mzaN, true, 0, 0},
        {"infielder on it", 0, 0, 8248, 5000, 0, 0, dbaFree, maN, mzaN, false, 0, 0},
        {"forward of the box", 0, 1, 20000, 5000, 1, 3, dbaKgReturn, maL, mzaN, false, 2, 0},
        {"1 forward of the box", 0, 1, 18101, 5000, 1, 3, dbaKgReturn, maL, mzaN, false, 2, 0},
        {"on its forward edge", 0, 1, 18100, 5000, 1, 3, dbaFree, maN, mzaN, false, 2, 0},
        {"1 behind the box", 0, 1, 14899, 5000, 1, 3, dbaKgReturn, maR, mzaN, false, 2, 0},
        {"on its rear edge", 0, 1, 14900, 5000, 1, 3, dbaFree, maN, mzaN, false, 2, 0},
        {"1 in front of it", 0, 1, 16000, 4099, 1, 3, dbaKgReturn, maN, mzaB, false, 2, 0},
        {"on its front edge", 0, 1, 16000, 4100, 1, 3, dbaFree, maN, mzaN, false, 2, 0},
        {"1 behind its back edge", 0, 1, 16000, 7301, 1, 3, dbaKgReturn, maN, mzaF, false, 2, 0},
        {"on its back edge", 0, 1, 16000, 7300, 1, 3, dbaFree, maN, mzaN, false, 2, 0},
        {"outside his area", 0, 1, 26000, 5000, 1, 3, dbaReturn, maL, mzaN, true, 3, 1},
        {"outside in depth only", 0, 1, 20000, 9300, 1, 3, dbaReturn, maL, mzaF, false, 3, 0},
        {"crouches paid", 0, 1, 20000, 5000, 1, 0, dbaFree, maN, mzaN, false, 0, 0},
        {"owing the last crouch", 0, 1, 20000, 5000, 1, 1, dbaKgReturn, maL, mzaN, false, 0, 0},
        {"not owing crouches", 0, 1, 20000, 5000, 0, 3, dbaFree, maN, mzaN, false, 3, 0},
        {"side 1 mirrors", 1, 1, 20000, 5000, 1, 3, dbaKgReturn, maR, mzaN, false, 2, 0},
        {"an outfielder is not held", 0, 4, 20000, 9900, 1, 3, dbaFree, maN, mzaN, false, 3, 0},
        {"back line 3201 past its inner end", 0, 4, 28401, 10000, 0, 0, dbaReturn, maR, mzaN, true, 0,
         1},
        {"back line 3200 past it", 0, 4, 28400, 10000, 0, 0, dbaReturn, maR, mzaN, false, 0, 1},
        {"back line 3201 short of its outer end", 0, 4, 5799, 10000, 0, 0, dbaReturn, maL, mzaN, true,
         0, 0},
        {"back line 3200 short of it", 0, 4, 5800, 10000, 0, 0, dbaReturn, maL, mzaN, false, 0, 0},
        {"back line on its inner end", 0, 4, 25200, 10100, 0, 0, dbaFree, maN, mzaN, false, 0, 0},
    };
    for (const Case& c : cases) {
        ResetCourt();
        TDBPlayer& p = P(c.side, c.pos);
        p.MyZahyou->Z = c.z;
        p.SetLCrtX(c.lx);
        p.MySt->Kagami_c = c.kagami;
        p.MySt->KagamiRev_c = c.rev;
        p.MySt->GaiyaOvL_f = 1;
        p.NextAuto = DBStAuto{dbaFree, maN, mzaN, 0};
        p.CheckAutoReturn();
        EXPECT_EQ(p.NextAuto.AutoType, c.type) << c.name;
        EXPECT_EQ(p.NextAuto.AMuki, c.wx) << c.name;
        EXPECT_EQ(p.NextAuto.AMukiZ, c.wz) << c.name;
        EXPECT_EQ(bool(p.NextAuto.ADash_f), c.dash) << c.name;
        EXPECT_EQ(p.MySt->KagamiRev_c, c.revAfter) << c.name;
        EXPECT_EQ(p.MySt->GaiyaOvL_f, c.ovl) << c.name;
    }
    // Every area's four edges, on them and one unit past them (wishes in
    // real directions: side-0 outfielders mirrored). The end line's X range
    // follows the slanted end line: 7400 at depth 2200, 9521 at 9200.
    struct Edge {
        int pos;
        int32_t lx, z;
        MukiTypeA wx;
        MukiZTypeA wz;
    };
    const Edge edges[] = {
        {4, 9000, 9900, maN, mzaN},  {4, 8999, 10000, maL, mzaN},  {4, 25200, 10100, maN, mzaN},
        {4, 25201, 10000, maR, mzaN}, {5, 7400, 500, maN, mzaN},  {5, 7399, 600, maL, mzaN},
        {5, 25200, 700, maN, mzaN},  {5, 25201, 600, maR, mzaN},  {6, 5600, 2200, maN, mzaN},
        {6, 5599, 2200, maL, mzaN},  {6, 5600, 2199, maN, mzaB},  {6, 8121, 9200, maN, mzaN},
        {6, 8122, 9200, maR, mzaN},  {6, 8121, 9201, maN, mzaF},  {0, 7400, 2200, maN, mzaN},
        {0, 7399, 2200, maR, mzaN},  {0, 7400, 2199, maN, mzaB},  {0, 25200, 9200, maN, mzaN},
        {0, 25201, 9200, maL, mzaN}, {0, 25200, 9201, maN, mzaF},
    };
    for (const Edge& e : edges) {
        ResetCourt();
        TDBPlayer& p = P(0, e.pos);
        p.MyZahyou->Z = e.z;
        p.SetLCrtX(e.lx);
        p.NextAuto = DBStAuto{dbaFree, maN, mzaN, 1};
        p.CheckAutoReturn();
        const bool out = e.wx != maN || e.wz != mzaN;
        EXPECT_EQ(p.NextAuto.AutoType, out ? dbaReturn : dbaFree) << e.pos << " " << e.lx << " " << e.z;
        EXPECT_EQ(p.NextAuto.AMuki, e.wx) << e.pos << " " << e.lx << " " << e.z;
        EXPECT_EQ(p.NextAuto.AMukiZ, e.wz) << e.pos << " " << e.lx << " " << e.z;
        // One unit out is a dash only for an infielder.
        EXPECT_EQ(bool(p.NextAuto.ADash_f), e.pos < 4 && e.wx != maN) << e.pos << " " << e.lx;
    }
    // In the air nobody returns, and the outside flag stays.
    ResetCourt();
    TDBPlayer& air = P(0, 0);
    air.SetLCrtX(26000);
    air.MySt->Motion.MF = MFBit(dbmfAr);
    air.MySt->GaiyaOvL_f = 1;
    air.NextAuto = DBStAuto{dbaFree, maN, mzaN, 0};
    air.CheckAutoReturn();
    EXPECT_EQ(air.NextAuto.AutoType, dbaFree);
    EXPECT_EQ(air.MySt->GaiyaOvL_f, 1);
}

// Outfielders line up on the enemy centre (dashing beyond 3200 unless the
// pass is theirs), the infield receiver of an outfielder on the pass-wait
// line; infielders without the ball's side holding wait for their order.
TEST_F(Cpu, FormationRunsToTheEnemyCentreAndThePassWaitLine) {
    hub->ADBRankDt[0].Spd.PaWaitPos = 10;  // the pass-wait line at LeftCrtX 24200
    struct Case {
        const char* name;
        int side, pos;
        int32_t px, pz, encx, encz;
        int holdPos, tgPos;
        DBAutoType type;
        MukiTypeA wx;
        MukiZTypeA wz;
        bool dash;
    };
    const Case cases[] = {
        {"side line 3200 off", 0, 5, 30000, 600, 33200, 0, 0, -1, dbaPos, maR, mzaN, false},
        {"side line 3201 off", 0, 5, 30000, 600, 33201, 0, 0, -1, dbaPos, maR, mzaN, true},
        {"side line 3201 off as the pass target", 0, 5, 30000, 600, 33201, 0, 0, 5, dbaPos, maR, mzaN,
         false},
        {"side line 500 off", 0, 5, 30000, 600, 30500, 0, 0, -1, dbaFree, maN, mzaN, false},
        {"side line 501 off", 0, 5, 30000, 600, 30501, 0, 0, -1, dbaPos, maR, mzaN, false},
        {"side line, nobody holding", 0, 5, 30000, 600, 26799, 0, -1, -1, dbaPos2, maL, mzaN, true},
        {"back line 501 off", 0, 4, 30000, 10000, 30501, 0, 0, -1, dbaPos, maR, mzaN, false},
        {"back line 500 off", 0, 4, 30000, 10000, 29500, 0, 0, -1, dbaFree, maN, mzaN, false},
        {"back line, nobody holding", 0, 4, 30000, 10000, 26799, 0, -1, -1, dbaPos2, maL, mzaN, true},
        {"side line 500 off, nobody holding", 0, 5, 30000, 600, 30500, 0, -1, -1, dbaFree, maN, mzaN,
         false},
        {"end line 500 off, nobody holding", 0, 6, 44000, 5000, 0, 5500, -1, -1, dbaFree, maN, mzaN,
         false},
        {"end line 501 off", 0, 6, 44000, 5000, 0, 5501, 0, -1, dbaPos, maN, mzaB, false},
        {"end line 500 off", 0, 6, 44000, 5000, 0, 5500, 0, -1, dbaFree, maN, mzaN, false},
        {"end line, nobody holding", 0, 6, 44000, 5000, 0, 4499, -1, -1, dbaPos2, maN, mzaF, false},
        {"receiver 3200 short of the wait line", 0, 2, 21000, 5000, 0, 5000, 4, -1, dbaPos, maR, mzaN,
         false},
        {"receiver 3201 short of it", 0, 2, 20999, 5000, 0, 5000, 4, -1, dbaPos, maR, mzaN, true},
        {"receiver on it, 301 off in depth", 0, 2, 24500, 5000, 0, 5301, 4, -1, dbaPos, maN, mzaB,
         false},
        {"receiver 300 past it", 0, 2, 24500, 5000, 0, 4700, 4, -1, dbaPos, maN, mzaN, false},
        {"receiver 301 past it", 0, 2, 24501, 5000, 0, 4699, 4, -1, dbaPos, maL, mzaF, false},
        {"side-1 receiver 3201 short", 1, 2, 30201, 5000, 0, 5000, 4, -1, dbaPos, maL, mzaN, true},
        {"another infielder", 0, 0, 12000, 5000, 0, 5000, 4, -1, dbaFree, maN, mzaN, false},
        {"receiver of an infielder", 0, 2, 21000, 5000, 0, 5000, 3, -1, dbaFree, maN, mzaN, false},
    };
    for (const Case& c : cases) {
        ResetCourt();
        TDBPlayer& p = P(c.side, c.pos);
        Place(p, c.px, c.pz);
        DBPosMove& pm = Team(c.side).PosMove;
        pm.EnC_f = 1, pm.EnCX = c.encx, pm.EnCZ = c.encz;
        if (c.holdPos >= 0) {
            Hold(P(c.side, c.holdPos));
            Ball().PaTgTNo = c.tgPos >= 0 ? c.side : -1, Ball().PaTgPNo = c.tgPos;
        }
        StandStill(c.side);
        p.MySt->Motion.MF = MFBit(dbmfJpOK);
        p.NextAuto = DBStAuto{dbaFree, maN, mzaN, 0};
        p.CheckMovePos();
        EXPECT_EQ(p.NextAuto.AutoType, c.type) << c.name;
        EXPECT_EQ(p.NextAuto.AMuki, c.wx) << c.name;
        EXPECT_EQ(p.NextAuto.AMukiZ, c.wz) << c.name;
        EXPECT_EQ(bool(p.NextAuto.ADash_f), c.dash) << c.name;
    }
    // Nothing without a jump-ready motion, during a pass to the side, or
    // with another behaviour already chosen.
    TDBPlayer& p = P(0, 5);
    Team(0).PosMove.EnC_f = 1, Team(0).PosMove.EnCX = 40000;
    Hold(P(0, 0));
    p.MySt->Motion.MF = 0;
    p.NextAuto = DBStAuto{dbaFree, maN, mzaN, 0};
    p.CheckMovePos();
    EXPECT_EQ(p.NextAuto.AutoType, dbaFree);
    p.MySt->Motion.MF = MFBit(dbmfJpOK);
    p.NextAuto = DBStAuto{dbaGet, maN, mzaN, 0};
    p.CheckMovePos();
    EXPECT_EQ(p.NextAuto.AutoType, dbaGet);
    Ball().Motion = dbbPass;
    Ball().PaTgTNo = 0, Ball().PaTgPNo = 3;
    p.NextAuto = DBStAuto{dbaFree, maN, mzaN, 0};
    p.CheckMovePos();
    EXPECT_EQ(p.NextAuto.AutoType, dbaFree);
}

// The pass-cover man heads for the landing point on the line with dead zones
// 300 when the landing is known, 500 for a pass to the controlled man, else
// 3200 across and 1600 in depth; arrived under a high pass to the controlled
// man he jumps.
TEST_F(Cpu, ThePassCoverMansDeadZonesAndJump) {
    DB().DBNAIYA.SHCOVERJPW = 40, DB().DBNAIYA.SHCOVERJPD = 20;
    struct Case {
        const char* name;
        bool line;
        int ctrl;
        int32_t ox, oz, lineDist, y;
        int state;  // 1 owing crouches, 2 in the air
        DBAutoType type;
        MukiTypeA wx;
        MukiZTypeA wz;
        bool dash;
    };
    const Case cases[] = {
        {"known landing, 301 past", true, 3, 301, 0, 0, 0, 0, dbaPassCvr, maL, mzaN, false},
        {"known landing, 300 past", true, 3, 300, 0, 0, 0, 0, dbaPassCvr, maN, mzaN, false},
        {"known landing, 301 in front", true, 3, 0, -301, 0, 0, 0, dbaPassCvr, maN, mzaB, false},
        {"known landing, 300 in front", true, 3, 0, -300, 0, 0, 0, dbaPassCvr, maN, mzaN, false},
        {"to the controlled man, 501 short", false, 2, -501, 0, 0, 0, 0, dbaPassCvr, maR, mzaN, false},
        {"to the controlled man, 500 short", false, 2, -500, 0, 0, 0, 0, dbaPassCvr, maN, mzaN, false},
        {"to the controlled man, 501 behind", false, 2, 0, 501, 0, 0, 0, dbaPassCvr, maN, mzaF, false},
        {"to the controlled man, 500 behind", false, 2, 0, 500, 0, 0, 0, dbaPassCvr, maN, mzaN, false},
        {"to another, 3201 past", false, 3, 3201, 0, 0, 0, 0, dbaPassCvr, maL, mzaN, false},
        {"to another, 3200 past", false, 3, 3200, 0, 0, 0, 0, dbaPassCvr, maN, mzaN, false},
        {"to another, 1601 behind", false, 3, 0, 1601, 0, 0, 0, dbaPassCvr, maN, mzaF, false},
        {"to another, 1600 behind", false, 3, 0, 1600, 0, 0, 0, dbaPassCvr, maN, mzaN, false},
        {"far, level: dash", false, 3, 5000, 1599, 3201, 0, 0, dbaPassCvr, maL, mzaN, true},
        {"3200 from the line: no dash", false, 3, 5000, 1599, 3200, 0, 0, dbaPassCvr, maL, mzaN, false},
        {"1600 off in depth: no dash", false, 3, 5000, 1600, 3201, 0, 0, dbaPassCvr, maL, mzaN, false},
        {"arrived under a high pass", true, 2, 0, 0, 0, 4801, 0, dbaPassJp, maN, mzaN, false},
        {"arrived under a pass at 4800", true, 2, 0, 0, 0, 4800, 0, dbaPassCvr, maN, mzaN, false},
        {"arrived, pass to another", true, 3, 0, 0, 0, 6000, 0, dbaPassCvr, maN, mzaN, false},
        {"arrived, landing unknown", false, 2, 0, 0, 0, 6000, 0, dbaPassCvr, maN, mzaN, false},
        {"owing crouches", false, 3, 5000, 0, 0, 0, 1, dbaFree, maL, mzaF, false},
        {"in the air", false, 3, 5000, 0, 0, 0, 2, dbaFree, maL, mzaF, false},
    };
    for (const Case& c : cases) {
        ResetCourt();
        DBBallState& b = Ball();
        b.Motion = dbbPass;
        b.PaTgTNo = 0, b.PaTgPNo = 2;
        b.LandXLine = 15000, b.LandZLine = 7000;
        b.LandLine_f = c.line;
        BallZ().X = 15000, BallZ().Y = c.y, BallZ().Z = 7000;
        Team(0).CtrlNo = c.ctrl;
        TDBPlayer& p = P(0, 1);
        Place(p, 15000 + c.ox, 7000 + c.oz);
        p.MySt->BallLandLineDist = c.lineDist;
        if (c.state == 1) p.MySt->Kagami_c = 1;
        if (c.state == 2) p.MySt->Motion.MF = MFBit(dbmfAr);
        p.NextAuto = DBStAuto{dbaFree, maL, mzaF, 0};  // wishes of an earlier step are dropped
        p.CheckPassCover();
        EXPECT_EQ(p.NextAuto.AutoType, c.type) << c.name;
        EXPECT_EQ(p.NextAuto.AMuki, c.wx) << c.name;
        EXPECT_EQ(p.NextAuto.AMukiZ, c.wz) << c.name;
        EXPECT_EQ(bool(p.NextAuto.ADash_f), c.dash) << c.name;
    }
}

// A free man standing or walking faces the ball (dead zone 800 in the
// infield, 1600 outside, each outfield line toward the court) and stands
// anew; an outfielder whose pass is in flight keeps his facing; a dash
// brakes.
TEST_F(Cpu, AFreeManFacesTheBall) {
    struct Case {
        const char* name;
        int side, pos;
        int32_t px, pz, bx, bz;
        int passer;  // -1 none, else the outfield position that threw or receives
        bool receives;
        DBMotionType m0, m;
        MukiType f0;
        MukiZType fz0;
        MukiTypeA wx;
        MukiZTypeA wz;
        MukiType f;
        MukiZType fz;
    };
    const Case cases[] = {
        {"infield, 801 right", 0, 1, 20000, 5000, 20801, 5000, -1, false, dbmtSt, dbmtSt, mL, mzN,
         maR, mzaN, mR, mzN},
        {"infield, 800 right", 0, 1, 20000, 5000, 20800, 5000, -1, false, dbmtSt, dbmtSt, mL, mzN,
         maN, mzaN, mL, mzN},
        {"infield, 801 back", 0, 1, 20000, 5000, 20000, 5801, -1, false, dbmtWk, dbmtSt, mL, mzN, maN,
         mzaB, mL, mzB},
        {"infield, 801 left and front", 0, 1, 20000, 5000, 19199, 4199, -1, false, dbmtSt, dbmtSt, mR,
         mzN, maL, mzaF, mL, mzF},
        {"front line, 1601 right", 0, 5, 30000, 600, 31601, 5000, -1, false, dbmtSt, dbmtSt, mL, mzN,
         maR, mzaB, mR, mzB},
        {"front line, 1600 right", 0, 5, 30000, 600, 31600, 5000, -1, false, dbmtSt, dbmtSt, mL, mzN,
         maN, mzaB, mL, mzB},
        {"back line, 1601 left", 0, 4, 30000, 10000, 28399, 5000, -1, false, dbmtSt, dbmtSt, mR, mzN,
         maL, mzaF, mL, mzF},
        {"end line", 0, 6, 44000, 5600, 40000, 3999, -1, false, dbmtSt, dbmtSt, mR, mzN, maL, mzaF, mL,
         mzF},
        {"end line, 1600 in depth", 0, 6, 44000, 5600, 40000, 4000, -1, false, dbmtSt, dbmtSt, mR, mzN,
         maL, mzaN, mL, mzN},
        {"side-1 end line", 1, 6, 7200, 5600, 10000, 5600, -1, false, dbmtSt, dbmtSt, mL, mzN, maR,
         mzaN, mR, mzN},
        {"end line, ball behind him", 0, 6, 44000, 5600, 46000, 5600, -1, false, dbmtSt, dbmtSt, mR,
         mzN, maL, mzaN, mL, mzN},
        {"front line who threw the pass", 0, 5, 30000, 600, 40000, 5000, 5, false, dbmtSt, dbmtSt, mL,
         mzN, maN, mzaN, mL, mzN},
        {"front line receiving the pass", 0, 5, 30000, 600, 40000, 5000, 5, true, dbmtSt, dbmtSt, mL,
         mzN, maN, mzaN, mL, mzN},
        {"infielder receiving a pass", 0, 1, 20000, 5000, 20801, 5000, 1, true, dbmtSt, dbmtSt, mL,
         mzN, maR, mzaN, mR, mzN},
        {"dashing", 0, 1, 20000, 5000, 20000, 5000, -1, false, dbmtDs, dbmtSl, mR, mzN, maN, mzaN, mR,
         mzN},
    };
    for (const Case& c : cases) {
        ResetCourt();
        TDBPlayer& p = P(c.side, c.pos);
        Team(c.side).CtrlNo = 3;
        Place(p, c.px, c.pz);
        BallZ().X = c.bx, BallZ().Z = c.bz;
        if (c.passer >= 0) {
            Ball().Motion = dbbPass;
            if (c.receives) Ball().PaTgTNo = c.side, Ball().PaTgPNo = c.passer;
            else Ball().PichTNo = c.side, Ball().PichPNo = c.passer;
        }
        if (c.m0 == dbmtDs) p.MukiSetDash(c.f0);
        p.SetMtype(c.m0, true);
        Face(p, c.f0, c.fz0);
        p.MySt->Motion.M_c = 4;
        p.NextAuto = DBStAuto{dbaFree, maN, mzaN, 0};
        p.SetAutoMove();
        EXPECT_EQ(p.MySt->Motion.Mtype, c.m) << c.name;
        EXPECT_EQ(p.MySt->Auto.AMuki, c.wx) << c.name;
        EXPECT_EQ(p.MySt->Auto.AMukiZ, c.wz) << c.name;
        EXPECT_EQ(p.MyZahyou->Muki(), c.f) << c.name;
        EXPECT_EQ(p.MyZahyou->MukiZ(), c.fz) << c.name;
        if (c.m == dbmtSt) {
            EXPECT_EQ(p.MySt->Motion.M_c, 0) << c.name;  // stood anew
        }
    }
}

}  // namespace

namespace {

// The mover keeps players on their lines: returning outfielders cannot
// overshoot their line, free or positioning ones are held on it, a free
// infielder within his court's depth (and X while walking). Velocities are
// set by hand on a slide with no friction, so they carry through unchanged.
TEST_F(Cpu, TheMoverKeepsPlayersOnTheirLines) {
    struct Case {
        const char* name;
        int side, pos;
        DBMotionType m;
        DBAutoType a;
        int32_t lx, z, dx, dz;
        int32_t lxAfter, zAfter;
    };
    const Case cases[] = {
        {"back line returning forward stops on its line", 0, 4, dbmtSl, dbaReturn, 20000, 10050, 0,
         -100, 20000, 10000},
        {"back line returning forward above it", 0, 4, dbmtSl, dbaReturn, 20000, 10200, 0, -100, 20000,
         10100},
        {"back line returning backward", 0, 4, dbmtSl, dbaReturn, 20000, 9800, 0, 100, 20000, 9900},
        {"front line returning backward reaches its line", 0, 5, dbmtSl, dbaReturn, 20000, 400, 0, 100,
         20000, 600},
        {"front line returning forward", 0, 5, dbmtSl, dbaReturn, 20000, 400, 0, -100, 20000, 300},
        {"end line returning toward the own court", 0, 6, dbmtSl, dbaReturn, 6750, 5500, -100, 0, 6800,
         5500},
        {"end line returning away from it", 0, 6, dbmtSl, dbaReturn, 6950, 5500, 100, 0, 6850, 5500},
        {"end line returning in depth only", 0, 6, dbmtSl, dbaReturn, 6950, 5500, 0, 0, 6950, 5500},
        {"side-1 end line returning in depth only", 1, 6, dbmtSl, dbaReturn, 6950, 5500, 0, 0, 6950,
         5500},
        {"side-1 end line returning toward the own court", 1, 6, dbmtSl, dbaReturn, 6750, 5500, 100, 0,
         6800, 5500},
        {"a returning infielder is free", 0, 1, dbmtSl, dbaReturn, 26000, 9500, 0, 0, 26000, 9500},
        {"free back line short of its outer end", 0, 4, dbmtSl, dbaFree, 8000, 9000, 0, 0, 9000, 10000},
        {"free back line past its inner end", 0, 4, dbmtDs, dbaFree, 25300, 10000, 0, 0, 25200, 10000},
        {"positioning front line", 0, 5, dbmtWk, dbaPos2, 7300, 800, 0, 0, 7400, 600},
        {"positioning end line, too deep", 0, 6, dbmtSl, dbaPos, 7000, 9500, 0, 0, 7921, 9200},
        {"free end line, too far forward", 0, 6, dbmtSl, dbaFree, 7000, 2000, 0, 0, 5800, 2200},
        {"free sliding infielder", 0, 1, dbmtSl, dbaFree, 26000, 9300, 0, 0, 26000, 9200},
        {"free walking infielder past the inner line", 0, 1, dbmtWk, dbaFree, 25300, 2100, 0, 0, 25200,
         2200},
        {"free walking infielder behind the end line", 0, 1, dbmtWk, dbaFree, 7000, 2200, 0, 0, 7400,
         2200},
        {"positioning infielder", 0, 1, dbmtSl, dbaPos2, 26000, 9300, 0, 0, 26000, 9300},
        {"fetching outfielder", 0, 4, dbmtSl, dbaGet, 20000, 9000, 0, 0, 20000, 9000},
        {"standing outfielder", 0, 4, dbmtSt, dbaFree, 20000, 9000, 0, 0, 20000, 9000},
        {"free end line in a standing jump", 0, 6, dbmtJ2, dbaFree, 7500, 5500, 0, 0, 6800, 5500},
        {"free end line jumping across", 0, 6, dbmtJ2, dbaFree, 7500, 5500, -50, 0, 7550, 5500},
        {"positioning end line in a jump", 0, 6, dbmtJ2, dbaPos, 7500, 5500, 0, 0, 7500, 5500},
    };
    for (const Case& c : cases) {
        ResetCourt();
        TDBPlayer& p = P(c.side, c.pos);
        Team(c.side).CtrlNo = 3;
        p.SetMtype(c.m, true);
        if (c.m == dbmtJ2) {  // a jump kept in the air
            p.MySt->Motion.Mtype = dbmtJ2;
            p.MySt->Motion.MF = uint16_t(MFBit(dbmfAr) | MFBit(dbmfMuki));
        }
        p.MySt->Auto = DBStAuto{c.a, maN, mzaN, 0};
        p.MyZahyou->Z = c.z;
        p.SetLCrtX(c.lx);
        p.MyZahyou->dX = c.dx, p.MyZahyou->dZ = c.dz;
        p.Moving();
        EXPECT_EQ(p.LeftCrtX(), c.lxAfter) << c.name;
        EXPECT_EQ(p.MyZahyou->Z, c.zAfter) << c.name;
    }
}

// A walk moves outfielders only along their line unless an automatic
// behaviour sends them; a knocked-back player lands rolling straight along X
// or lying; a jumper lands sliding the way he flew.
TEST_F(Cpu, WalksRollsAndLandingSlides) {
    DB().DBETC.FCTOSAIMAG = 100;  // table speeds are 1/100 pixel
    DB().DBDAM.ROLLSPD = 50;
    DB().DBDAM.FLYSPDPER = 100;
    DBSpdData& spd = hub->ADBRankDt[0].Spd;
    spd.WkX = 10, spd.WkZ = 20, spd.WkNX = 30, spd.WkNZ = 40;
    struct Walk {
        int pos;
        DBStAuto wish;
        int32_t dx, dz;
    };
    const Walk walks[] = {
        {4, {dbaFree, maL, mzaB, 0}, -10, 0},   {5, {dbaFree, maR, mzaF, 0}, 10, 0},
        {6, {dbaFree, maL, mzaB, 0}, 0, 20},    {6, {dbaFree, maR, mzaF, 0}, 0, -20},
        {4, {dbaReturn, maL, mzaB, 0}, -30, 40}, {1, {dbaFree, maR, mzaF, 0}, 30, -40},
        {1, {dbaFree, maN, mzaF, 0}, 0, -20},   {1, {dbaFree, maL, mzaN, 0}, -10, 0},
    };
    for (const Walk& w : walks) {
        ResetCourt();
        TDBPlayer& p = P(0, w.pos);
        Team(0).CtrlNo = 3;
        p.SetMtype(dbmtWk, true);
        p.MySt->Auto = w.wish;
        p.Moving();
        EXPECT_EQ(p.MyZahyou->dX, w.dx) << w.pos << " " << int(w.wish.AMuki);
        EXPECT_EQ(p.MyZahyou->dZ, w.dz) << w.pos << " " << int(w.wish.AMukiZ);
    }

    struct Landing {
        DBMotionType m0;
        uint16_t extraMF;
        int32_t roll, airFric, dx, dz;
        DBMotionType m;
        int32_t dxAfter, dyAfter, dzAfter, fricX, fricZ, airFricAfter;
    };
    const Landing landings[] = {
        {dbmtFlB, 0, 1, 0, 300, 200, dbmtRoF, 50, 0, 0, 0, 0, 0},
        {dbmtFlF, 0, 1, 0, -300, 200, dbmtRoB, -50, 0, 0, 0, 0, 0},
        {dbmtFlB, 0, 1, 0, 100, 200, dbmtDn, 0, 0, 0, 0, 0, 0},
        {dbmtFlB, 0, 0, 0, 300, 200, dbmtDn, 0, 0, 0, 0, 0, 0},
        {dbmtJ2, MFBit(dbmfAr), 0, 5, 300, -400, dbmtCr, 300, -100, -400, 60, -80, 5},
        {dbmtJ2, MFBit(dbmfAr), 0, 5, 1, 0, dbmtCr, 1, -100, 0, 0, 0, 0},
        {dbmtJ2, MFBit(dbmfAr), 0, 1, 300, -400, dbmtCr, 300, -100, -400, 60, -80, 1},
        {dbmtJDg, MFBit(dbmfAr), 0, 5, 300, -400, dbmtDg, 0, 0, 0, 0, 0, 0},
    };
    for (const Landing& l : landings) {
        ResetCourt();
        TDBPlayer& p = P(0, 1);
        TZahyou& z = *p.MyZahyou;
        p.SetMtype(l.m0, true);
        p.MySt->Motion.Mtype = l.m0;  // a jump kept in the air
        p.MySt->Motion.MF = uint16_t(p.MySt->Motion.MF | l.extraMF);
        p.MySt->Roll_c = l.roll;
        p.MySt->AirFric_c = l.airFric;
        p.MySt->HP = 5;
        z.Y = 50, z.dY = -100, z.dX = l.dx, z.dZ = l.dz;
        p.Moving();
        EXPECT_EQ(p.MySt->Motion.Mtype, l.m) << int(l.m0) << " " << l.dx;
        EXPECT_EQ(z.Y, 0);
        EXPECT_EQ(z.dY, l.dyAfter) << int(l.m0) << " " << l.dx;
        EXPECT_EQ(z.dX, l.dxAfter) << int(l.m0) << " " << l.dx;
        EXPECT_EQ(z.dZ, l.dzAfter) << int(l.m0) << " " << l.dx;
        EXPECT_EQ(p.MySt->FricX, l.fricX) << int(l.m0) << " " << l.dx;
        EXPECT_EQ(p.MySt->FricZ, l.fricZ) << int(l.m0) << " " << l.dx;
        EXPECT_EQ(p.MySt->AirFric_c, l.airFricAfter) << int(l.m0) << " " << l.dx;
    }

    // The landing crouch counts down a step at a time; a landing slide
    // pushes the crouching player along its direction, 2 weaker a step.
    ResetCourt();
    TDBPlayer& cr = P(0, 1);
    cr.SetMtype(dbmtCr, true);
    cr.MySt->JpCr_c = 5;
    cr.Moving();
    EXPECT_EQ(cr.MySt->JpCr_c, 4);
    cr.MySt->AirFric_c = 6;
    cr.MySt->FricX = 50, cr.MySt->FricZ = -33;
    cr.Moving();
    EXPECT_EQ(cr.MyZahyou->dX, 3);
    EXPECT_EQ(cr.MyZahyou->dZ, -1);
    EXPECT_EQ(cr.MySt->AirFric_c, 4);
    EXPECT_EQ(cr.MySt->JpCr_c, 4);
    // Still sinking in the slide he lands again: the crouch count and the
    // landing-point flag are cleared.
    cr.MySt->LandSet_f = 1;
    cr.MyZahyou->dY = -100;
    cr.MySt->FricX = 99, cr.MySt->FricZ = -25;
    cr.Moving();
    EXPECT_EQ(cr.MyZahyou->dX, 3);   // 4 x 99 / 100
    EXPECT_EQ(cr.MyZahyou->dZ, -1);  // 4 x -25 / 100
    EXPECT_EQ(cr.MyZahyou->Y, 0);
    EXPECT_EQ(cr.MySt->JpCr_c, 0);
    EXPECT_EQ(cr.MySt->LandSet_f, 0);

    // Walls: a walker is knocked back off them, dropping the ball; a dash
    // jumper only loses his rise; a roller rolls on.
    DB().DBDAM.XWALLABSDX = 50, DB().DBDAM.ZWALLABSDZ = 20, DB().DBDAM.WALLBOUNDDY = 300;
    const struct {
        const char* name;
        DBMotionType m;
        uint16_t mf;
        DBStAuto wish;
        int32_t x, z, dx;
        DBMotionType mAfter;
        int32_t xAfter, zAfter, dxAfter, dyAfter, dzAfter;
    } walls[] = {
        {"walker at the end wall", dbmtWk, 0, {dbaReturn, maR, mzaN, 0}, 51195, 5000, 0, dbmtFlB, 51200,
         5000, -5, 300, 0},
        {"walker at the back wall", dbmtWk, 0, {dbaReturn, maN, mzaB, 0}, 20000, 11195, 0, dbmtFlB,
         20000, 11200, 0, 300, -4},
        {"dash jumper at the end wall", dbmtJ2,
         uint16_t(MFBit(dbmfAr) | MFBit(dbmfDs) | MFBit(dbmfMuki)), {dbaFree, maN, mzaN, 0}, 51195,
         5000, 10, dbmtJ2, 51200, 5000, -10, 0, 0},
        {"roller at the end wall", dbmtRoF, 0, {dbaFree, maN, mzaN, 0}, 51195, 5000, 10, dbmtRoF, 51200,
         5000, 10, 0, 0},
    };
    for (const auto& w : walls) {
        ResetCourt();
        TDBPlayer& p = P(0, 1);
        TZahyou& z = *p.MyZahyou;
        Team(0).CtrlNo = 3;
        p.SetMtype(w.m, true);
        p.MySt->Motion.Mtype = w.m;
        p.MySt->Motion.MF = uint16_t(p.MySt->Motion.MF | w.mf);
        p.MySt->Auto = w.wish;
        Hold(p);
        z.X = w.x, z.Z = w.z, z.dX = w.dx;
        p.MySt->AirRev_c = 5, p.MySt->Roll_c = 2;
        p.Moving();
        EXPECT_EQ(p.MySt->Motion.Mtype, w.mAfter) << w.name;
        EXPECT_EQ(z.X, w.xAfter) << w.name;
        EXPECT_EQ(z.Z, w.zAfter) << w.name;
        EXPECT_EQ(z.dX, w.dxAfter) << w.name;
        EXPECT_EQ(z.dY, w.dyAfter) << w.name;
        EXPECT_EQ(z.dZ, w.dzAfter) << w.name;
        EXPECT_EQ(Ball().Motion, w.mAfter == dbmtFlB ? dbbBound : dbbHold) << w.name;
        // The bounce ends a mid-air recovery and any roll; a roller is untouched.
        const bool rolls = w.m == dbmtRoF;
        EXPECT_EQ(p.MySt->AirRev_c, rolls ? 5 : -1) << w.name;
        EXPECT_EQ(p.MySt->Roll_c, rolls ? 2 : 0) << w.name;
    }

    // The landing point: a jumper's under the jump's gravity, a flier's
    // under the flight's, anyone else's where he stands. From height 2000
    // at 100 a step across: the flier (gravity 10) lands after 18 more
    // steps, the jumper (gravity 20) after 13.
    DB().DBJP.GRV = 20;
    DB().DBDAM.FLYGRV = 10;
    const struct {
        DBMotionType m;
        uint16_t mf;
        int32_t landX;
    } lands[] = {{dbmtFlB, 0, 20100 + 18 * 100},
                 {dbmtJ2, uint16_t(MFBit(dbmfAr) | MFBit(dbmfMuki)), 20100 + 13 * 100},
                 {dbmtJPa, uint16_t(MFBit(dbmfAr) | MFBit(dbmfMuki)), 20100 + 13 * 100},
                 {dbmtJCa, uint16_t(MFBit(dbmfAr) | MFBit(dbmfMuki)), 20100 + 13 * 100},
                 {dbmtSl, 0, 20100}};
    for (const auto& l : lands) {
        ResetCourt();
        TDBPlayer& p = P(0, 1);
        TZahyou& z = *p.MyZahyou;
        p.SetMtype(l.m, true);
        p.MySt->Motion.Mtype = l.m;
        p.MySt->Motion.MF = uint16_t(p.MySt->Motion.MF | l.mf);
        z.X = 20000, z.Y = 2000, z.Z = 5000, z.dX = 100, z.dY = 0, z.dZ = 0;
        p.Moving();
        EXPECT_EQ(p.MySt->LandX, l.landX) << int(l.m);
        EXPECT_EQ(p.MySt->LandZ, 5000) << int(l.m);
    }
}

// A knocked-back player stuck to a shot rides it: the ball's rise (at least
// 100), its speed across and in depth, 100 more toward it when he is over 100
// behind; once the ball is no shot he comes unstuck and falls.
TEST_F(Cpu, AStuckFlierRidesTheShotUntilItEnds) {
    DB().DBDAM.FLYSPDPER = 50, DB().DBDAM.FLYGRV = 20;
    const struct {
        bool stuck;
        DBBallMotionType motion;
        int32_t ox, oz, bdy;  // the ball's offset from him and its rise
        int32_t dx, dy, dz;
        bool stuckAfter;
    } cases[] = {
        {true, dbbShoot, 101, -101, 50, 400, 100, -60, true},
        {true, dbbShoot, -101, 101, 150, 200, 150, 140, true},
        {true, dbbShoot, 100, -100, 150, 300, 150, 40, true},
        {true, dbbBound, 101, -101, 150, 70, -10, 30, false},
        {false, dbbShoot, 101, -101, 150, 70, -10, 30, false},
    };
    for (const auto& c : cases) {
        ResetCourt();
        TDBPlayer& p = P(0, 1);
        TZahyou& z = *p.MyZahyou;
        p.SetMtype(dbmtFlB, true);
        p.MySt->Stick_f = c.stuck;
        z.X = 20000, z.Y = 5000, z.Z = 5000, z.dX = 70, z.dY = 0, z.dZ = 30;
        Ball().Motion = c.motion;
        BallZ().X = 20000 + c.ox, BallZ().Z = 5000 + c.oz;
        BallZ().dX = 300, BallZ().dY = c.bdy, BallZ().dZ = 40;
        p.Moving();
        EXPECT_EQ(z.dX, c.dx) << c.stuck << " " << c.ox;
        EXPECT_EQ(z.dY, c.dy) << c.stuck << " " << c.ox;
        EXPECT_EQ(z.dZ, c.dz) << c.stuck << " " << c.ox;
        EXPECT_EQ(bool(p.MySt->Stick_f), c.stuckAfter) << c.stuck << " " << c.ox;
    }
    // A defeated player rises and sways: right for 45 steps, left for 45.
    for (const int32_t holy : {22, 23, 67, 68}) {
        TDBPlayer& d = P(0, 2);
        d.SetMtype(dbmtENG, true);
        d.MySt->Holy_c = holy;
        d.Moving();
        EXPECT_EQ(d.MyZahyou->dX, holy == 22 || holy == 68 ? 50 : -50) << holy;
        EXPECT_EQ(d.MyZahyou->dY, 75) << holy;
        EXPECT_EQ(d.MyZahyou->dZ, 0) << holy;
    }
    // A round flier past the left end comes back in at the right one.
    TDBPlayer& r = P(0, 3);
    r.SetMtype(dbmtFlB, true);
    r.MySt->Round_f = 1;
    r.MyZahyou->X = 100, r.MyZahyou->Y = 5000, r.MyZahyou->dX = -300;
    r.Moving();
    EXPECT_EQ(r.MyZahyou->X, 51199);
    // A catch slide moves by its count times its direction in percent.
    TDBPlayer& cm = P(0, 0);
    cm.SetMtype(dbmtCM, true);
    cm.MyZahyou->Fric_c = 4;
    cm.MySt->FricX = 99, cm.MySt->FricZ = -25;
    cm.Moving();
    EXPECT_EQ(cm.MyZahyou->dX, 3);   // 4 x 99 / 100
    EXPECT_EQ(cm.MyZahyou->dZ, -1);  // 4 x -25 / 100
    EXPECT_EQ(cm.MyZahyou->Fric_c, 2);
    // However fast the fall, it is held at 800 a step.
    TZahyou& z = *P(0, 1).MyZahyou;
    z.Y = 50000, z.dY = -795;
    P(0, 1).Moving();
    EXPECT_EQ(z.dY, -800);
    EXPECT_EQ(z.Y, 50000 - 400);  // half of it in flight
}

// Braking takes friction times the steps braked so far off both speeds,
// stopping at 0: the dash friction of the speed row, a dashing thrower's
// shot or pass friction; a catch, dodge or landing crouch without a dash
// stops dead.
TEST_F(Cpu, BrakingSlowsBothAxesByItsFriction) {
    hub->ADBRankDt[0].Spd.DSFric = 10;
    DB().DBFRIC.SHFRIC = 20, DB().DBFRIC.PAFRIC = 30;
    struct Case {
        DBMotionType m;
        bool ds;
        int32_t dx1, dz1, dx2, dz2;  // after one and after two steps, from (100, -50)
    };
    const Case cases[] = {
        {dbmtSl, false, 90, -40, 70, -20}, {dbmtSh, true, 80, -30, 40, 0},
        {dbmtSh, false, 90, -40, 70, -20}, {dbmtPa, true, 70, -20, 10, 0},
        {dbmtPa, false, 90, -40, 70, -20}, {dbmtCa, true, 90, -40, 70, -20},
        {dbmtCa, false, 0, 0, 0, 0},       {dbmtDg, true, 90, -40, 70, -20},
        {dbmtDg, false, 0, 0, 0, 0},       {dbmtCr, true, 90, -40, 70, -20},
        {dbmtCr, false, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        ResetCourt();
        TDBPlayer& p = P(0, 1);
        TZahyou& z = *p.MyZahyou;
        p.SetMtype(c.m, true);
        p.MySt->Motion.Mtype = c.m;
        p.MySt->Motion.MF = uint16_t(c.ds ? MFBit(dbmfDs) : 0);
        Place(p, 15000, 5000);
        z.dX = 100, z.dZ = -50;
        p.Moving();
        EXPECT_EQ(z.dX, c.dx1) << int(c.m) << " " << c.ds;
        EXPECT_EQ(z.dZ, c.dz1) << int(c.m) << " " << c.ds;
        EXPECT_EQ(z.X, 15000 + c.dx1) << int(c.m) << " " << c.ds;
        EXPECT_EQ(z.Z, 5000 + c.dz1) << int(c.m) << " " << c.ds;
        p.Moving();
        EXPECT_EQ(z.dX, c.dx2) << int(c.m) << " " << c.ds;
        EXPECT_EQ(z.dZ, c.dz2) << int(c.m) << " " << c.ds;
    }
}

}  // namespace

namespace {

// The formation order takes the line of the attack.
TEST_F(Cpu, TheTeamsFormationOrderTakesTheAttacksLine) {
    TDBTeam& team = *objs->DBT[0];
    struct Order {
        const char* name;
        DBBallMotionType motion;
        int holdSide, holdPos, tgSide, tgPos, crtSide, crtPos, pichSide, pichPos;
        InfLineType line;
        int32_t infXZ;
    };
    const Order orders[] = {
        {"held by the enemy's back line", dbbHold, 1, 4, -1, -1, 0, 0, -1, -1, iltO2, 16500},
        {"held by an enemy infielder", dbbHold, 1, 2, -1, -1, 0, 0, -1, -1, iltInf, 5700},
        {"held by a team-mate", dbbHold, 0, 4, -1, -1, 1, 5, -1, -1, iltO3, 16500},
        {"passed to the enemy's front line", dbbPass, -1, -1, 1, 5, 0, 0, -1, -1, iltO3, 16500},
        {"passed to a team-mate", dbbPass, -1, -1, 0, 5, 1, 6, -1, -1, iltO4, 5700},
        {"in the own court, thrown from the enemy's end line", dbbBound, -1, -1, -1, -1, 0, 4, 1, 6,
         iltO4, 5700},
        {"in the own court, thrown by a team-mate", dbbBound, -1, -1, -1, -1, 0, 4, 0, 5, iltInf,
         5700},
        {"in the enemy's area of the back line", dbbFree, -1, -1, -1, -1, 1, 4, 1, 6, iltO2, 16500},
    };
    for (const Order& o : orders) {
        ResetCourt();
        DBBallState& b = Ball();
        b.Motion = o.motion;
        b.HoldTNo = o.holdSide, b.HoldPNo = o.holdPos;
        b.PaTgTNo = o.tgSide, b.PaTgPNo = o.tgPos;
        b.CrtSide[0] = o.crtSide, b.CrtPos[0] = o.crtPos;
        b.PichTNo = o.pichSide, b.PichPNo = o.pichPos;
        ResetRandomDraws();
        team.Positioning();
        EXPECT_EQ(Team(0).PosMove.InfLine, o.line) << o.name;
        EXPECT_EQ(Team(0).PosMove.InfXZ, o.infXZ) << o.name;
        EXPECT_EQ(RandomDraws(), 8u) << o.name;
    }
}

// Control: the own holder takes it back as soon as he can act; an unusable
// controlled position goes to the controllable infielder nearest the ball
// (the first of equals); the infield receiver is the free infielder furthest
// forward (the first of equals) who will not land in the enemy court.
TEST_F(Cpu, TheTeamsControlledManAndInfieldReceiver) {
    TDBTeam& team = *objs->DBT[0];
    struct Case {
        const char* name;
        int ctrl0;
        int holder;  // own holder, -1 none
        std::vector<int> hurt;
        int ctrl;
    };
    // Infielders 0 and 1 are 3000 from the ball, 3 4000, 2 further.
    const Case cases[] = {
        {"the holder takes control", 3, 2, {}, 2},
        {"an outfield holder too", 3, 5, {}, 5},
        {"a hurt holder does not", 3, 2, {2}, 3},
        {"a hurt controlled man hands on to the nearest", 3, -1, {3}, 0},
        {"the nearest may be the second of two", 3, -1, {0, 3}, 1},
        {"nobody nearer than the hurt", 3, -1, {0, 1, 2, 3}, -1},
        {"a position past the court", 7, -1, {}, 0},
        {"a position before it", -2, -1, {}, 0},
        {"none yet", -1, -1, {}, 0},
    };
    for (const Case& c : cases) {
        ResetCourt();
        BallZ().X = 15000, BallZ().Z = 5000;
        Place(P(0, 0), 12000, 5000);
        Place(P(0, 1), 18000, 5000);
        Place(P(0, 2), 24000, 9000);
        Place(P(0, 3), 15000, 9000);
        for (int h : c.hurt) P(0, h).MySt->Motion.MF = MFBit(dbmfDam);
        if (c.holder >= 0) Hold(P(0, c.holder));
        for (auto& f : Team(0).PosMove.Inf_f) f = 1;
        Team(0).CtrlNo = c.ctrl0;
        team.GetCtrl();
        EXPECT_EQ(Team(0).CtrlNo, c.ctrl) << c.name;
        // Control that leaves an infielder drops his formation order.
        for (int i = 0; i < 4; ++i) {
            const bool left = i == c.ctrl0 && c.ctrl != c.ctrl0 && c.holder < 0;
            EXPECT_EQ(Team(0).PosMove.Inf_f[i], left ? 0 : 1) << c.name << " " << i;
        }
    }
    // Asking without taking leaves control alone.
    Team(0).CtrlNo = 3;
    EXPECT_EQ(team.SeekCtrl(false), 0);
    EXPECT_EQ(Team(0).CtrlNo, 3);
    // With every infielder hurt and a shot flying at the enemy, nobody is
    // left in control.
    for (int i = 0; i < 4; ++i) P(0, i).MySt->Motion.MF = MFBit(dbmfDam);
    Ball().Motion = dbbShoot, Ball().ShTgTNo = 1;
    team.GetCtrl();
    EXPECT_EQ(Team(0).CtrlNo, -1);

    struct Receiver {
        const char* name;
        int32_t x1, x2;
        std::function<void()> setUp;
        int pos;
    };
    const Receiver receivers[] = {
        {"the first of two furthest forward", 18000, 18000, [] {}, 1},
        {"the one furthest forward", 18000, 18001, [] {}, 2},
        {"not a hurt one", 18000, 17000, [this] { P(0, 1).MySt->Motion.MF = MFBit(dbmfDam); }, 2},
        {"not one on an errand", 18000, 17000, [this] { P(0, 1).MySt->Auto.AutoType = dbaGet; }, 2},
        {"not one landing past the inner line", 18000, 17000,
         [this] { P(0, 1).MySt->LandX = 25201; }, 2},
        {"one landing on it", 18000, 17000, [this] { P(0, 1).MySt->LandX = 25200; }, 1},
        {"nobody free: position 0", 18000, 17000,
         [this] {
             for (int i = 0; i < 4; ++i) P(0, i).MySt->Motion.MF = MFBit(dbmfDam);
         },
         0},
    };
    for (const Receiver& r : receivers) {
        ResetCourt();
        Place(P(0, 0), 16000, 5000);
        Place(P(0, 1), r.x1, 5000);
        Place(P(0, 2), r.x2, 5000);
        Place(P(0, 3), 16500, 5000);
        for (int i = 0; i < 4; ++i) P(0, i).MySt->LandX = P(0, i).MyZahyou->X;
        r.setUp();
        EXPECT_EQ(team.GetInfPaTg(), r.pos) << r.name;
    }
}

}  // namespace

namespace {

// A loose ball in a player's own area is fetched: straight for it when both
// sides see it in the same court (dashing when over 3200 from it and within
// 1600 in depth), else along the player's own line first (dashing when over
// 3200 away in X). A human side's infielders leave it to the controlled man.
TEST_F(Cpu, AFetcherRunsForALooseBallInHisArea) {
    struct Case {
        const char* name;
        int pos;
        int32_t px, pz, landX, landZ, landDist;
        int crtPos;
        bool sameCourt, cpu;
        std::function<void(TDBPlayer&)> setUp;
        DBAutoType type;
        MukiTypeA wx;
        MukiZTypeA wz;
        bool dash;
    };
    const auto none = [](TDBPlayer&) {};
    const Case cases[] = {
        {"back line, 3200 along", 4, 30000, 10000, 33200, 9000, 0, 4, false, false, none, dbaGet, maR,
         mzaN, false},
        {"back line, 3201 along", 4, 30000, 10000, 33201, 9000, 0, 4, false, false, none, dbaGet, maR,
         mzaN, true},
        {"back line, level with it", 4, 30000, 10000, 30500, 9000, 0, 4, false, false, none, dbaGet,
         maN, mzaF, false},
        {"end line, level in depth", 6, 44000, 5000, 40000, 5500, 0, 6, false, false, none, dbaGet, maL,
         mzaN, true},
        {"end line, off in depth", 6, 44000, 5000, 40000, 5501, 0, 6, false, false, none, dbaGet, maN,
         mzaB, true},
        {"end line, level, 500 along", 6, 44000, 5000, 43500, 5500, 0, 6, false, false, none, dbaGet,
         maN, mzaN, false},
        {"back line, level, 500 across", 4, 30000, 10000, 30000, 9500, 0, 4, false, false, none, dbaGet,
         maN, mzaN, false},
        {"CPU infielder, far and level", 0, 15000, 5000, 20000, 6599, 3201, 0, true, true, none, dbaGet,
         maR, mzaB, true},
        {"CPU infielder, 3200 away", 0, 15000, 5000, 20000, 6599, 3200, 0, true, true, none, dbaGet,
         maR, mzaB, false},
        {"CPU infielder, 1600 off in depth", 0, 15000, 5000, 20000, 6600, 3201, 0, true, true, none,
         dbaGet, maR, mzaB, false},
        {"CPU infielder within 500", 0, 15000, 5000, 15500, 4500, 707, 0, true, true, none, dbaGet,
         maN, mzaN, false},
        {"human infielder", 0, 15000, 5000, 20000, 6000, 5000, 0, true, false, none, dbaFree, maN, mzaN,
         false},
        {"owing crouches", 4, 30000, 10000, 33201, 9000, 0, 4, false, false,
         [](TDBPlayer& p) { p.MySt->Kagami_c = 1; }, dbaFree, maN, mzaN, false},
        {"in the air", 4, 30000, 10000, 33201, 9000, 0, 4, false, false,
         [](TDBPlayer& p) { p.MySt->Motion.MF = MFBit(dbmfAr); }, dbaFree, maN, mzaN, false},
        {"returning from past his line", 4, 30000, 10000, 33201, 9000, 0, 4, false, false,
         [](TDBPlayer& p) { p.MySt->GaiyaOvL_f = 1; }, dbaFree, maN, mzaN, false},
        {"another's area", 4, 30000, 10000, 33201, 9000, 0, 5, false, false, none, dbaFree, maN, mzaN,
         false},
        {"already returning", 4, 30000, 10000, 33201, 9000, 0, 4, false, false,
         [](TDBPlayer& p) { p.NextAuto.AutoType = dbaReturn; }, dbaReturn, maN, mzaN, false},
        {"a held ball", 4, 30000, 10000, 33201, 9000, 0, 4, false, false,
         [this](TDBPlayer&) { Hold(P(1, 0)); }, dbaFree, maN, mzaN, false},
        {"a free ball", 4, 30000, 10000, 33201, 9000, 0, 4, false, false,
         [this](TDBPlayer&) { Ball().Motion = dbbFree; }, dbaGet, maR, mzaN, true},
    };
    for (const Case& c : cases) {
        ResetCourt();
        TDBPlayer& p = P(0, c.pos);
        Place(p, c.px, c.pz);
        p.MySt->BallLandDist = c.landDist;
        DBBallState& b = Ball();
        b.Motion = dbbBound;
        b.LandX = c.landX, b.LandZ = c.landZ;
        b.CrtSide[0] = 0, b.CrtSide[1] = c.sameCourt ? 0 : 1;
        b.CrtPos[0] = c.crtPos;
        p.NextAuto = DBStAuto{dbaFree, maN, mzaN, 0};
        c.setUp(p);
        p.CheckAutoGetter(c.cpu);
        EXPECT_EQ(p.NextAuto.AutoType, c.type) << c.name;
        EXPECT_EQ(p.NextAuto.AMuki, c.wx) << c.name;
        EXPECT_EQ(p.NextAuto.AMukiZ, c.wz) << c.name;
        EXPECT_EQ(bool(p.NextAuto.ADash_f), c.dash) << c.name;
    }
}

}  // namespace

namespace {

// A human pushing a direction while a pass to an infield team-mate is still
// more than PACAJPTIME steps out hands him the control.
TEST_F(Cpu, APushHandsControlToAnInfieldPassReceiver) {
    DB().DBPASS.PACAJPTIME = 12;
    TDBTeam& team = *objs->DBT[0];
    team.DI = &di0;
    struct Case {
        const char* name;
        int tside, tpos;
        int32_t eta;
        bool pushed;
        int cpus;
        bool hurt;
        int ctrl;
    };
    const Case cases[] = {
        {"to position 0", 0, 0, 13, true, 0, false, 0},
        {"to position 3", 0, 3, 13, true, 0, false, 3},
        {"to an outfielder", 0, 4, 13, true, 0, false, 2},
        {"12 steps out", 0, 3, 12, true, 0, false, 2},
        {"held, not pushed", 0, 3, 13, false, 0, false, 2},
        {"to a hurt receiver", 0, 3, 13, true, 0, true, 2},
        {"on a computer side", 0, 3, 13, true, 2, false, 2},
        {"to the enemy", 1, 3, 13, true, 0, false, 2},
    };
    for (const Case& c : cases) {
        ResetCourt();
        sdt.DBGDt.DBCPUNum = c.cpus;
        DBBallState& b = Ball();
        b.Motion = dbbPass;
        b.PaTgTNo = c.tside, b.PaTgPNo = c.tpos;
        b.PaETA_c = c.eta;
        if (c.hurt) P(0, c.tpos).MySt->Motion.MF = MFBit(dbmfDam);
        di0.Clear();
        if (c.pushed) di0.Push(ScriptDI::Bit(cL));
        else di0.Hold(ScriptDI::Bit(cL));
        Team(0).CtrlNo = 2;
        team.GetCtrl();
        EXPECT_EQ(Team(0).CtrlNo, c.ctrl) << c.name;
    }
}

}  // namespace

namespace {

// A cover man jumps for a ball above DEFKURAIH flying at the enemy or passed
// when its hit box meets his jump box (both centred): here within 2500 across
// and 1500 in depth.
TEST_F(Cpu, ACoverJumpNeedsAHighBallInTheJumpBox) {
    DB().DBNAIYA.SHCOVERJPW = 40, DB().DBNAIYA.SHCOVERJPD = 20;
    DB().DBDAM.DEFKURAIH = 10;
    struct Case {
        DBBallMotionType motion;
        int target;
        int32_t y, dx, dz;
        bool jump;
    };
    const Case cases[] = {
        {dbbShoot, 1, 1001, 2499, 0, true}, {dbbShoot, 1, 1001, -2500, 0, false},
        {dbbShoot, 1, 1001, 0, 1499, true}, {dbbShoot, 1, 1001, 0, -1500, false},
        {dbbShoot, 1, 1000, 0, 0, false},   {dbbShoot, 0, 5000, 0, 0, false},
        {dbbPass, 0, 1001, -2499, -1499, true}, {dbbBound, 1, 5000, 0, 0, false},
    };
    TDBPlayer& p = P(0, 1);
    Place(p, 20000, 5000);
    for (const Case& c : cases) {
        Ball().Motion = c.motion;
        Ball().ShTgTNo = c.target;
        BallZ().X = 20000 + c.dx, BallZ().Y = c.y, BallZ().Z = 5000 + c.dz;
        EXPECT_EQ(p.CheckShCvJp(), c.jump) << int(c.motion) << " " << c.y << " " << c.dx << " " << c.dz;
    }
}

}  // namespace

namespace {

// After the motion, the mover turns the player toward his wish (by the
// outfield line rules on a return or while free) and restarts a motion that
// carries the facing; a waiting cover man does not turn; a dash left facing
// away from its run brakes.
TEST_F(Cpu, TheMoverTurnsTowardTheWish) {
    struct Case {
        const char* name;
        int pos;
        DBMotionType m0;
        MukiType f0;
        DBStAuto wish;
        int32_t wait;
        DBMotionType m;
        MukiType f;
        int32_t mc, waitAfter;
    };
    const Case cases[] = {
        {"a walking fetcher turns", 1, dbmtWk, mL, {dbaGet, maR, mzaN, 0}, 0, dbmtWk, mR, 0, 0},
        {"a standing fetcher turns and walks", 1, dbmtSt, mL, {dbaGet, maR, mzaN, 0}, 0, dbmtWk, mR,
         0, 0},
        {"a waiting cover man does not turn", 1, dbmtSt, mL, {dbaShCv, maR, mzaN, 0}, 2, dbmtSt, mL,
         4, 1},
        {"an arrived cover man starts his wait", 1, dbmtSt, mL, {dbaShCv, maN, mzaN, 0}, 0, dbmtSt, mL,
         4, 8},
        {"the end line returns facing the court", 6, dbmtSt, mR, {dbaReturn, maR, mzaN, 0}, 0, dbmtWk,
         mL, 0, 0},
        {"the end line fetches facing his run", 6, dbmtSt, mL, {dbaGet, maR, mzaN, 0}, 0, dbmtWk, mR,
         0, 0},
        {"a formation walker watches a far ball", 1, dbmtSt, mR, {dbaPos2, maR, mzaN, 0}, 0, dbmtWk,
         mL, 0, 0},
        {"a dash facing away from its run brakes", 1, dbmtDs, mR, {dbaPos2, maR, mzaN, 0}, 0, dbmtSl,
         mL, 0, 0},
    };
    for (const Case& c : cases) {
        ResetCourt();
        TDBPlayer& p = P(0, c.pos);
        Team(0).CtrlNo = 3;
        Place(p, 20000, c.pos == 6 ? 5600 : 5000);
        BallZ().X = 10000, BallZ().Z = 5000;
        if (c.m0 == dbmtDs) p.MukiSetDash(c.f0);
        p.SetMtype(c.m0, true);
        Face(p, c.f0, mzN);
        p.MySt->Motion.M_c = 4;
        p.MySt->AShCv_c = c.wait;
        p.NextAuto = c.wish;
        p.SetAutoMove();
        EXPECT_EQ(p.MySt->Motion.Mtype, c.m) << c.name;
        EXPECT_EQ(p.MyZahyou->Muki(), c.f) << c.name;
        EXPECT_EQ(p.MySt->Motion.M_c, c.mc) << c.name;
        EXPECT_EQ(p.MySt->AShCv_c, c.waitAfter) << c.name;
    }
}

// A man arrived at his point or at the ball faces the ball with no dead zone.
TEST_F(Cpu, AnArrivedManFacesTheBallExactly) {
    for (DBAutoType a : {dbaPos2, dbaGet}) {
        ResetCourt();
        TDBPlayer& p = P(0, 1);
        Team(0).CtrlNo = 3;
        Place(p, 20000, 5000);
        BallZ().X = 20001, BallZ().Z = 4999;
        p.SetMtype(dbmtSt, true);
        Face(p, mL, mzN);
        p.NextAuto = DBStAuto{a, maN, mzaN, 0};
        p.SetAutoMove();
        EXPECT_EQ(p.MyZahyou->Muki(), mR) << int(a);
        EXPECT_EQ(p.MyZahyou->MukiZ(), mzF) << int(a);
        EXPECT_EQ(p.MySt->Motion.Mtype, dbmtSt) << int(a);
    }
}

// The team's enemy centre is worked out when its countdown runs out
// (OPOSITV steps, a quarter of that against a last man) and the ball is
// held: the free enemies' centre while the own side holds, the default one
// while the enemy does; either way limited to the infield and seen from
// the own side.
TEST_F(Cpu, TheEnemyCentreIsRecountedOnItsCountdown) {
    sdt.DBGDt.DBSSt = dbssShiai;
    DB().DBGAIYA.OPOSITV = 20;
    TDBTeam& team = *objs->DBT[0];
    struct Case {
        const char* name;
        int32_t count;
        int holder;  // -1 loose, else the side holding
        bool lastMan, errand;
        int hurt;  // enemy infielders knocked down, one bit each
        int32_t countAfter, x, z;
        bool found;
    };
    // The centre is the mean of the edge midpoints of the free enemies'
    // shape (any living one counts against a last man), seen from side 0.
    const Case cases[] = {
        {"four free", 1, 0, false, false, 0, 20, 51200 - 15000, 5750, true},
        {"three free", 1, 0, false, false, 8, 20, 51200 - 44000 / 3, 6000, true},
        {"two free", 1, 0, false, false, 12, 20, 51200 - 12000, 5500, true},
        {"one free", 1, 0, false, false, 11, 20, 51200 - 20000, 7000, true},
        {"none free: the default, not found", 1, 0, false, false, 15, 20, 51200 - 11600, 5600, false},
        {"one on an errand", 1, 0, false, true, 0, 20, 51200 - 46000 / 3, 5000, true},
        {"a last man on an errand", 1, 0, true, true, 0, 5, 51200 - 14000, 8000, true},
        {"the enemy holds", 1, 1, false, false, 0, 20, 51200 - 11600, 5600, true},
        {"a loose ball", 1, -1, false, false, 0, 20, 1, 2, false},
        {"before the countdown runs out", 3, 0, false, false, 0, 2, 1, 2, false},
    };
    const int32_t xs[4] = {10000, 14000, 20000, 16000}, zs[4] = {3000, 8000, 7000, 5000};
    for (const Case& c : cases) {
        ResetCourt();
        for (int i = 0; i < DBPOSITIONS; ++i) P(0, i).Live_f = false;  // no player frames
        for (int i = 0; i < 4; ++i) {
            P(1, i).MyZahyou->Z = zs[i];
            P(1, i).SetLCrtX(xs[i]);
            P(1, i).MySt->Dead_f = c.lastMan && i != 1;
            if (c.hurt >> i & 1) P(1, i).MySt->Motion.MF = MFBit(dbmfDam);
        }
        if (c.errand) P(1, 1).MySt->Auto.AutoType = dbaGet;
        if (c.holder >= 0) Hold(P(c.holder, 5));
        DBPosMove& pm = Team(0).PosMove;
        pm.EnC_c = c.count;
        pm.EnC_f = 0, pm.EnCX = 1, pm.EnCZ = 2;
        team.OnMove();
        EXPECT_EQ(pm.EnC_c, c.countAfter) << c.name;
        EXPECT_EQ(pm.EnCX, c.x) << c.name;
        EXPECT_EQ(pm.EnCZ, c.z) << c.name;
        EXPECT_EQ(pm.EnC_f, c.found ? 1 : 0) << c.name;
    }
    // A centre past the enemy's inner line is held on it.
    for (int i = 0; i < 4; ++i) P(1, i).SetLCrtX(30000);
    Hold(P(0, 5));
    Team(0).PosMove.EnC_c = 1;
    team.OnMove();
    EXPECT_EQ(Team(0).PosMove.EnCX, 51200 - 25200);
    // A team not yet linked to its players, or outside a scene, does nothing.
    TDBTeam loose(hub.get(), &glb, 0);
    EXPECT_EQ(loose.TSt.CtrlNo, 0);  // a new team controls position 0
    loose.TSt.PosMove.EnC_c = 1;
    loose.OnMove();
    EXPECT_EQ(loose.TSt.PosMove.EnC_c, 1);
    hub->SDt = nullptr;
    Team(0).PosMove.EnC_c = 1;
    team.OnMove();
    EXPECT_EQ(Team(0).PosMove.EnC_c, 1);
}

// While the enemy holds the ball the infield regroups each time its countdown
// runs out (reloaded with IPOSITV); otherwise the countdown is kept full. A
// pending regroup runs in the next step and is cleared.
TEST_F(Cpu, TheInfieldRegroupsOnItsCountdownWhileTheEnemyHolds) {
    sdt.DBGDt.DBSSt = dbssShiai;
    DB().DBNAIYA.IPOSITV = 3;
    TDBTeam& team = *objs->DBT[0];
    const struct {
        int holder;  // the side holding the ball with its back-line man, -1 none
        int32_t count;
        bool pending;
        int32_t countAfter;
        bool regroup;
    } steps[] = {
        {1, 2, false, 1, false},
        {1, 1, false, 3, true},
        {0, 1, false, 3, false},
        {-1, 2, true, 3, true},
    };
    for (const auto& s : steps) {
        ResetCourt();
        for (int i = 0; i < DBPOSITIONS; ++i) P(0, i).Live_f = false;  // no player frames
        if (s.holder >= 0) Hold(P(s.holder, 4));
        DBTeamState& t = Team(0);
        t.PosMove.EnC_c = 100;
        t.PosMove.Inf_c = s.count;
        t.PosReset_f = s.pending;
        t.PosMove.InfLine = iltO4;
        ResetRandomDraws();
        team.OnMove();
        EXPECT_EQ(t.PosMove.Inf_c, s.countAfter) << s.holder << " " << s.count;
        EXPECT_EQ(t.PosReset_f, 0) << s.holder << " " << s.count;
        EXPECT_EQ(RandomDraws(), s.regroup ? 8u : 0u) << s.holder << " " << s.count;
        EXPECT_EQ(t.PosMove.InfLine, !s.regroup ? iltO4 : s.holder == 1 ? iltO2 : iltInf)
            << s.holder << " " << s.count;
    }
}

}  // namespace
