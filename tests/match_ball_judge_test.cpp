// Catch and hit judgement, damage and knock-out, holding the ball, the hurt
// box and the pass step.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <set>

#include "tests/match_ball_fixture.h"

namespace {

class BallJudge : public BallFixture {
protected:
    void SetUp() override {
        BallFixture::SetUp();
        for (auto& r : hub->ADBRankDt) {
            r.CaT.CaFrm_D = 6;
            r.CaT.MinCaFrm = 2;
            r.CaT.StStop = 10, r.CaT.DsStop = 60, r.CaT.JpStop = 25, r.CaT.DJStop = 20;
            r.BP.StDecFrm = 1;
            r.BP.SlpSp = 50;
            r.BP.SlpSpGuts = 20;
            r.Taf.DamPer = 50;
            r.Gut.Breath16 = 3;
            r.Gut.BreathRev = 9;
            r.Gut.RollNum = 3;
            r.Gut.ARevHP = 10;
            r.Gut.ARevFrm_D = 12, r.Gut.ARevFrm_C = 13, r.Gut.ARevFrm_P = 5;
            r.Gut.ARevFrm_HS = 20, r.Gut.ARevFrm_A = 1;
            r.Gut.ARevStop = 5;
            // Knocked back at 60 degrees: FCMAG(100) = 320 gives 160 along
            // and 277 up; rebounds at 60 degrees: FCMAG(50) = 160 gives 80
            // back and 138 up.
            r.BP.FlySp = 100;
            r.BP.FlyAg = 60;
            r.BP.RefSp = 50;
            r.BP.RefAg = 60;
        }
        sdt.DBGDt.DBDif = dbdfNomal;
        InitPlayers();
        for (int s = 0; s < DBSIDES; ++s)
            for (int p = 0; p < DBPOSITIONS; ++p) P(s, p).MySt->HP = 40;
    }

    // A plain level-3 shot by side 0 position 0 reaching the player, moving
    // toward growing X.
    void ShotAt(TDBPlayer& h, int32_t shPow = 10, int32_t nice = 2) {
        const TZahyou& z = *h.MyZahyou;
        Place(z.X, 1000, z.Z, 600, 0, 0);
        ball->SetMType(dbbShoot);
        st().ShSt.HSNo = dbhNML;
        st().ShSt.ShLv = 3;
        st().ShSt.ShPow = shPow;
        st().ShSt.NiceLv = nice;
        st().ShSt.NmlSh_f = 1;
        st().PichTNo = 0;
        st().PichPNo = 0;
        st().EnemTNo = 1;
        st().NoHit_c = 0;
    }
    void Judge() {
        for (int s = 0; s < DBSIDES; ++s)
            for (int p = 0; p < DBPOSITIONS; ++p) P(s, p).OnSetOS();
        ball->OnSetOS();
        ball->OnJudge();
    }
    // The player faces the incoming ball and opened his catch window `c`
    // steps ago.
    void Catching(TDBPlayer& h, int32_t c) {
        h.MySt->Motion.Mtype = dbmtCa;
        h.MySt->Catch_c = c;
        h.MySt->MukiAgl = 6;  // left, toward the ball coming from the left
    }
};

}  // namespace

// The catch window by what comes and how it is caught: a catch on the last
// step of the window holds the ball, one a step later is a hit.
TEST_F(BallJudge, CatchWindowByLevelAndCatchMotion) {
    for (auto& r : hub->ADBRankDt) {
        DBCaTData& c = r.CaT;
        c.CaFrm_G = 7, c.CaFrm_F = 8, c.CaFrm_E = 9, c.CaFrm_D = 10, c.CaFrm_C = 11;
        c.CaFrm_B = 12, c.CaFrm_A = 13, c.CaFrm_HS = 14, c.CaFrm_P = 15;
        c.EZCaFrm_D = 16, c.EZCaFrm_F = 3, c.EZMinCaFrm = 6;
        r.BP.StDecFrm = 1, r.BP.DsDecFrm = 2, r.BP.JpDecFrm = 3, r.BP.DJDecFrm = 4;
    }
    hub->ADBShootDt[dbhSCR].StDecFrm = 5;
    // Row 1 cuts more: a pass (level 0) must not take it.
    hub->ADBRankDt[1].BP.StDecFrm = 3;
    struct Case {
        const char* name;
        int32_t lv;
        DBHSType hs;
        DBMotionType m;
        uint16_t mf;
        bool pass, easy;
        int32_t window;
    };
    const uint16_t Ar = MFBit(dbmfAr), Ds = MFBit(dbmfDs);
    const Case cases[] = {
        {"level 3, standing catch", 3, dbhNML, dbmtCa, 0, false, false, 10 - 1},
        {"level 0, standing catch", 0, dbhNML, dbmtCa, 0, false, false, 7 - 1},
        {"level 6, dash catch", 6, dbhNML, dbmtCa, Ds, false, false, 13 - 2},
        {"level 5, jump catch", 5, dbhNML, dbmtJCa, Ar, false, false, 12 - 3},
        {"level 4, dash jump catch", 4, dbhNML, dbmtJCa, Ar | Ds, false, false, 11 - 4},
        {"level 2 in another motion", 2, dbhNML, dbmtSt, 0, false, false, 9},
        {"level 1, cut to the minimum", 1, dbhNML, dbmtCa, 0, false, false, 8 - 1},
        {"special shot", 3, dbhSCR, dbmtCa, 0, false, false, 14 - 5},
        {"pass", 0, dbhNML, dbmtCa, 0, true, false, 15 - 1},
        {"easy: its own window", 3, dbhNML, dbmtCa, 0, false, true, 16 - 1},
        {"easy: its own minimum", 1, dbhNML, dbmtCa, 0, false, true, 6},
    };
    TDBPlayer& h = P(1, 0);
    for (const Case& c : cases) {
        for (auto& r : hub->ADBRankDt) r.CaT.MinCaFrm = c.lv == 1 && !c.easy ? 7 : 2;
        sdt.DBGDt.DBDif = c.easy ? dbdfEasy : dbdfNomal;
        for (int late = 0; late < 2; ++late) {
            h.MySt->HP = 40;
            ShotAt(h);
            if (c.pass) st().Motion = dbbPass;
            st().ShSt.ShLv = c.lv;
            st().ShSt.HSNo = c.hs;
            Catching(h, c.window - 1 + late);
            h.MySt->Motion.Mtype = c.m;
            h.MySt->Motion.MF = c.mf;
            Judge();
            EXPECT_EQ(st().Motion, late ? dbbBound : dbbHold) << c.name << (late ? ", late" : "");
        }
    }
}

// What a catch does to the catcher: pushed along the ball's flight, he slides
// on the ground by the ball's slide speed less his stop (a loud slide above
// 39), goes on dashing when he holds his dash's direction, or drifts in the
// air.
TEST_F(BallJudge, CatchSlidesDashesOnOrDrifts) {
    HeldKeys keys;
    struct Case {
        const char* name;
        int32_t slide;
        DBMotionType m;
        uint16_t mf;
        bool holdsWay;
        DBMotionType after;
        int32_t fric, dx;
        bool loud, dsAfter;
    };
    const uint16_t Ar = MFBit(dbmfAr), Ds = MFBit(dbmfDs);
    const Case cases[] = {
        {"standing: slides", 50, dbmtCa, 0, false, dbmtCM, 40, 0, true, false},
        {"standing: a quiet slide", 49, dbmtCa, 0, false, dbmtCM, 39, 0, false, false},
        {"standing: the smallest slide", 11, dbmtCa, 0, false, dbmtCM, 1, 0, false, false},
        {"dashing: dashes on", 50, dbmtCa, Ds, true, dbmtDs, 0, 0, false, true},
        {"dashing, letting go: stops", 50, dbmtCa, Ds, false, dbmtCM, 0, 0, false, false},
        // The dash jump's stop is 20: 31 left, 31 x 320 / 100 more speed.
        {"dash jumping: drifts", 51, dbmtJCa, Ar | Ds, false, dbmtJ2, 0, 50 + 99, false, false},
        {"dash jumping, nothing to slide", 20, dbmtJCa, Ar | Ds, false, dbmtJ2, 0, 50, false, true},
        {"dash jumping, the smallest drift", 21, dbmtJCa, Ar | Ds, false, dbmtJ2, 0, 53, false, false},
        {"jumping: the jump's own stop", 50, dbmtJCa, Ar, false, dbmtJ2, 0, 50 + 80, false, false},
    };
    sdt.DBGDt.DBCPUNum = 0;
    TDBPlayer& h = P(1, 0);  // facing left
    h.DI = &keys;
    for (const Case& c : cases) {
        for (auto& r : hub->ADBRankDt) r.BP.SlpSp = c.slide;
        keys.held[cL] = c.holdsWay;
        oc.SERsv.reset();
        oc.stopped.clear();
        ShotAt(h);
        Catching(h, 0);
        h.MySt->Motion.MF = c.mf;
        h.MySt->Motion.Mtype = c.m;
        h.MyZahyou->dX = 50;
        Judge();
        EXPECT_EQ(st().HoldTNo, 1) << c.name;
        EXPECT_EQ(h.MySt->Motion.Mtype, c.after) << c.name;
        EXPECT_EQ(h.MyZahyou->Fric_c, c.fric) << c.name;
        EXPECT_EQ(h.MyZahyou->dX, c.dx) << c.name;
        EXPECT_EQ(h.MySt->FricX, 320) << c.name;
        EXPECT_EQ(bool(oc.SERsv[16]), c.loud) << c.name;
        EXPECT_TRUE(oc.SERsv[15]) << c.name;
        EXPECT_EQ(oc.stopped, (std::vector<int>{2, 27})) << c.name;  // the flying-shot sounds
        EXPECT_EQ(h.HasMF(dbmfDs), c.dsAfter) << c.name;
    }
}

TEST_F(BallJudge, CatchNeedsTheRightFacing) {
    TDBPlayer& h = P(1, 0);
    ShotAt(h);
    Catching(h, 0);
    h.MySt->MukiAgl = 2;  // facing away from the ball
    h.MyZahyou->SetMukiZ(mzN);
    Judge();
    EXPECT_EQ(st().Motion, dbbBound);
    EXPECT_LT(h.MySt->HP, 40);
}

// The eighths a player may catch from: his aim and the eighth left of it,
// and facing the front or back also the three around the front or back on
// his side; -1 (no direction) always.
TEST_F(BallJudge, FacingAngleTable) {
    struct Case {
        MukiType m;
        MukiZType mz;
        int32_t aim;
        std::set<int32_t> ok;
    };
    const Case cases[] = {
        {mR, mzN, 6, {6, 5}},          {mL, mzN, 0, {0, 7}},          {mL, mzF, 0, {0, 7, 3, 4, 5}},
        {mR, mzF, 0, {0, 7, 2, 3, 4}}, {mR, mzB, 4, {4, 3, 7, 0, 1}}, {mL, mzB, 4, {4, 3, 6, 7, 0}},
    };
    TDBPlayer& h = P(1, 0);
    for (const Case& c : cases) {
        h.MyZahyou->SetMuki(c.m);
        h.MyZahyou->SetMukiZ(c.mz);
        h.MySt->MukiAgl = c.aim;
        for (int32_t a = -1; a < 8; ++a)
            EXPECT_EQ(TDBBall::CheckCaAgl(&h, a), a == -1 || c.ok.count(a) > 0)
                << int(&c - cases) << " " << a;
    }
}

TEST_F(BallJudge, IncomingDirectionInEighths) {
    auto agl = [&](int32_t dx, int32_t dz) {
        bz().dX = dx, bz().dZ = dz;
        return ball->SetShootAgl8();
    };
    EXPECT_EQ(agl(0, 0), -1);
    EXPECT_EQ(agl(0, -5), 0);
    EXPECT_EQ(agl(0, 5), 4);
    EXPECT_EQ(agl(-5, 0), 2);
    EXPECT_EQ(agl(5, 0), 6);
    EXPECT_EQ(agl(-1, -1), 0);  // equal parts count as the depth direction
    EXPECT_EQ(agl(-6, -5), 1);
    EXPECT_EQ(agl(-6, 5), 2);
    EXPECT_EQ(agl(-1, 1), 3);
    EXPECT_EQ(agl(1, 1), 4);
    EXPECT_EQ(agl(6, 5), 5);
    EXPECT_EQ(agl(6, -5), 6);
    EXPECT_EQ(agl(1, -1), 7);
    // The curve of this step counts with the flight.
    st().CrvX = -10;
    EXPECT_EQ(agl(5, 0), 2);
    st().CrvX = 0, st().CrvZ = 5;
    EXPECT_EQ(agl(0, 0), 4);
    EXPECT_EQ(agl(0, -5), -1);
}

// From behind is a ball moving the way the player faces.
TEST_F(BallJudge, BackHitIsABallMovingTheWayHeFaces) {
    TDBPlayer& h = P(1, 0);
    for (MukiType m : {mL, mR})
        for (int32_t dx : {-5, 0, 5}) {
            h.MyZahyou->SetMuki(m);
            bz().dX = dx;
            EXPECT_EQ(ball->CheckBackHit(&h), (m == mL && dx < 0) || (m == mR && dx > 0))
                << m << " " << dx;
        }
}

// A touch is an overlap of the boxes (touching edges are none) within the
// ball's depth.
TEST_F(BallJudge, TouchNeedsOverlappingBoxes) {
    TDBPlayer& h = P(1, 3);
    bz().Z = h.MyZahyou->Z;
    st().Atari = DBRect{100, 10, 108, 26};
    st().AtariD = 5;
    struct Case {
        DBRect kurai;
        bool touched;
    };
    const Case cases[] = {
        {{107, 25, 120, 40}, true},  {{108, 10, 120, 26}, false}, {{90, 10, 100, 26}, false},
        {{90, 26, 120, 40}, false},  {{90, 0, 120, 10}, false},   {{90, 0, 101, 11}, true},
        {{120, 0, 130, 40}, false},  {{90, 40, 120, 50}, false},
    };
    for (const Case& c : cases) {
        h.MySt->Kurai = c.kurai;
        st().HitTNo = st().HitPNo = -1;
        EXPECT_EQ(ball->HitCheck(&h), c.touched) << int(&c - cases);
        EXPECT_EQ(st().HitTNo, c.touched ? 1 : -1);
        EXPECT_EQ(st().HitPNo, c.touched ? 3 : -1);
    }
}

// What a hit does, by ball and by how the player stands: his motion, knock-
// back, roll, mid-air recovery and slide, hit points and where the ball goes.
TEST_F(BallJudge, HitOutcomes) {
    DBShootData& scr = hub->ADBShootDt[dbhSCR];
    scr.FlySp = 50, scr.FlyAgl = 60, scr.SlpSp = 30, scr.Round_f = 1;
    hub->ADBShootDt[dbhUPR] = scr;
    hub->ADBShootDt[dbhRET].Etc[0] = 100, hub->ADBShootDt[dbhRET].Etc[1] = 60;
    hub->ADBShootDt[dbhMOZ].Etc[4] = 50;
    using V = std::array<int32_t, 3>;
    struct Case {
        const char* name;
        std::function<void(TDBPlayer&)> setUp;
        DBMotionType m;
        V knock;
        int32_t hp, airRev, airFric, roll;
        bool stick, round;
        V ball;
        int se;
    };
    const auto shot = [this](DBHSType hs) {
        return [this, hs](TDBPlayer&) {
            st().ShSt.HSNo = hs;
            st().ShSt.NmlSh_f = 0;
        };
    };
    const auto pass = [this](TDBPlayer&) {
        st().Motion = dbbPass;
        st().ShSt = DBShootState{};
        st().PaTgTNo = 0, st().PaTgPNo = 2;
    };
    const Case cases[] = {
        {"from the front", [](TDBPlayer&) {}, dbmtFlF, {160, 277, 0}, 30, 12, 15, 0, false, false,
         {-80, 138, 0}, 7},
        {"from behind", [](TDBPlayer& h) { h.MyZahyou->SetMuki(mR); }, dbmtFlB, {160, 277, 0}, 30,
         12, 15, 0, false, false, {-80, 138, 0}, 7},
        {"from behind toward lower X", [this](TDBPlayer&) { bz().dX = -600; }, dbmtFlB,
         {-160, 277, 0}, 30, 12, 15, 0, false, false, {80, 138, 0}, 7},
        {"a rolling shot", [this](TDBPlayer&) { st().ShSt.Roll_f = 1; }, dbmtFlF, {160, 277, 0},
         30, 12, 15, 24, false, false, {-80, 138, 0}, 7},
        {"a level-4 shot", [this](TDBPlayer&) { st().ShSt.ShLv = 4; }, dbmtFlF, {160, 277, 0}, 30,
         13, 15, 0, false, false, {-80, 138, 0}, 7},
        {"too weak to recover", [](TDBPlayer& h) { h.MySt->HP = 12; }, dbmtFlF, {160, 277, 0}, 2,
         -1, 15, 0, false, false, {-80, 138, 0}, 7},
        {"just strong enough to recover", [](TDBPlayer& h) { h.MySt->HP = 20; }, dbmtFlF,
         {160, 277, 0}, 10, 12, 15, 0, false, false, {-80, 138, 0}, 7},
        // The guts row has no recovery frames for level 5, one for level 6.
        {"a level-5 shot", [this](TDBPlayer&) { st().ShSt.ShLv = 5; }, dbmtFlF, {160, 277, 0}, 30,
         -1, 15, 0, false, false, {-80, 138, 0}, 7},
        {"a level-6 shot", [this](TDBPlayer&) { st().ShSt.ShLv = 6; }, dbmtFlF, {160, 277, 0}, 30,
         1, 15, 0, false, false, {-80, 138, 0}, 7},
        // Straight down: no push along the floor, the ball goes straight up.
        {"a shot falling straight down", [this](TDBPlayer&) { bz().dX = 0, bz().dY = -300; },
         dbmtFlF, {0, 277, 0}, 30, 12, 15, 0, false, false, {0, 138, 0}, 7},
        // Out of hit points on his feet, he is out only once he lies down.
        {"knocked to zero", [](TDBPlayer& h) { h.MySt->HP = 10; }, dbmtFlF, {160, 277, 0}, 0, -1,
         15, 0, false, false, {-80, 138, 0}, 7},
        {"a shot creeping along X", [this](TDBPlayer&) { bz().dX = 1; }, dbmtFlF, {160, 277, 0},
         30, 12, 15, 0, false, false, {-80, 138, 0}, 7},
        // Mostly in depth: along the flight, halved; no roll set.
        {"a shot in depth", [this](TDBPlayer&) { bz().dX = 300, bz().dZ = -400; }, dbmtFlF,
         {48, 277, -64}, 30, 12, 15, 7, false, false, {-48, 138, 64}, 7},
        {"a shot straight in depth", [this](TDBPlayer&) { bz().dX = 0, bz().dZ = 500; }, dbmtFlF,
         {0, 277, 80}, 30, 12, 15, 7, false, false, {0, 138, -80}, 7},
        // Pushed on the ground by a pass: he stops dead, nothing else of his
        // changes.
        {"a pass on the ground", pass, dbmtPHF, {0, 0, 0}, 40, 7, 7, 7, true, true,
         {-80, 138, 0}, 7},
        {"a pass from behind",
         [&](TDBPlayer& h) {
             pass(h);
             h.MyZahyou->SetMuki(mR);
         },
         dbmtPHB, {0, 0, 0}, 40, 7, 7, 7, true, true, {-80, 138, 0}, 7},
        {"a pass from behind in the air",
         [&](TDBPlayer& h) {
             pass(h);
             h.MyZahyou->SetMuki(mR);
             h.MySt->Motion.MF = MFBit(dbmfAr);
         },
         dbmtFlB, {160, 277, 0}, 39, 5, 0, 0, false, false, {-80, 138, 0}, 7},
        {"a pass in the air",
         [&](TDBPlayer& h) {
             pass(h);
             h.MySt->Motion.MF = MFBit(dbmfAr);
         },
         dbmtFlF, {160, 277, 0}, 39, 5, 0, 0, false, false, {-80, 138, 0}, 7},
        // A lying player stays down under a pass but is pushed.
        {"a pass at a lying player",
         [&](TDBPlayer& h) {
             pass(h);
             h.MySt->Motion.Mtype = dbmtDn;
         },
         dbmtDn, {160, 277, 0}, 39, 5, 0, 0, false, false, {-80, 138, 0}, 7},
        // A round special: level 8, its own knock-back and slide.
        {"a special shot", shot(dbhSCR), dbmtFlF, {80, 138, 0}, 30, 20, 25, 0, false, true,
         {-80, 138, 0}, 23},
        // Only a plain shot leaves a lying player down.
        {"a special shot at a lying player",
         [&](TDBPlayer& h) {
             shot(dbhSCR)(h);
             h.MySt->Motion.Mtype = dbmtDn;
         },
         dbmtFlF, {80, 138, 0}, 30, 20, 25, 0, false, true, {-80, 138, 0}, 23},
        {"the uprising shot sticks",
         [&](TDBPlayer& h) {
             shot(dbhUPR)(h);
             h.MySt->Stick_f = 0;
         }, dbmtFlF, {0, 0, 0}, 30, 20, 25, 0, true, true,
         {-80, 138, 0}, 23},
        {"the return shot's rebound", shot(dbhRET), dbmtFlF, {0, 0, 0}, 30, 20, 0, 0, false,
         false, {-160, 277, 0}, 23},
        {"the lock-on shot's rebound", shot(dbhMOZ), dbmtFlF, {0, 0, 0}, 30, 20, 0, 0, false,
         false, {0, 160, 0}, 23},
        // A plain shot leaves a lying player down and still.
        {"a plain shot at a lying player", [](TDBPlayer& h) { h.MySt->Motion.Mtype = dbmtDn; },
         dbmtDn, {0, 0, 0}, 30, 12, 15, 0, false, false, {-80, 138, 0}, 7},
    };
    TDBPlayer& h = P(1, 0);
    for (const Case& c : cases) {
        h.OnInit();
        h.MySt->HP = 40;
        h.MySt->AirRev_c = h.MySt->AirFric_c = h.MySt->Roll_c = 7;
        h.MySt->Round_f = h.MySt->Stick_f = 1;
        h.MyZahyou->dX = 5, h.MyZahyou->dY = 6, h.MyZahyou->dZ = 7;  // moving when hit
        oc.SERsv.reset();
        oc.stopped.clear();
        ShotAt(h);
        c.setUp(h);
        Judge();
        const TZahyou& z = *h.MyZahyou;
        EXPECT_EQ(h.MySt->Motion.Mtype, c.m) << c.name;
        EXPECT_EQ((V{z.dX, z.dY, z.dZ}), c.knock) << c.name;
        EXPECT_EQ(h.MySt->HP, c.hp) << c.name;
        EXPECT_EQ(h.MySt->AirRev_c, c.airRev) << c.name;
        EXPECT_EQ(h.MySt->AirFric_c, c.airFric) << c.name;
        EXPECT_EQ(h.MySt->Roll_c, c.roll) << c.name;
        EXPECT_EQ(bool(h.MySt->Stick_f), c.stick) << c.name;
        EXPECT_EQ(bool(h.MySt->Round_f), c.round) << c.name;
        EXPECT_EQ((V{bz().dX, bz().dY, bz().dZ}), c.ball) << c.name;
        EXPECT_EQ(st().Motion, dbbBound) << c.name;
        EXPECT_TRUE(oc.SERsv[c.se]) << c.name;
        EXPECT_EQ(oc.stopped, (std::vector<int>{2, 27})) << c.name;
    }
}

TEST_F(BallJudge, NoDamageSwitchKeepsHitPointsButStillKnocksBack) {
    table.DB.DBDBG.NODAMAGE_F = 1;
    TDBPlayer& h = P(1, 0);
    ShotAt(h);
    Judge();
    EXPECT_EQ(h.MySt->HP, 40);
    EXPECT_EQ(st().Motion, dbbBound);
    EXPECT_GT(h.MyZahyou->dX, 0);
    // Still at full hit points, he recovers in the air however few he has,
    // and does not catch his breath.
    TDBPlayer& g = P(1, 1);
    g.MySt->HP = 5;
    g.MySt->MHP_f = 1;
    ShotAt(g);
    Judge();
    EXPECT_EQ(g.MySt->AirRev_c, 12);
    EXPECT_EQ(g.MySt->Kagami_c, 0);
}

TEST_F(BallJudge, SmallestDamageIsOneAndALyingPlayerAtZeroIsOut) {
    // A plain shot of power 0 hits a lying player: with 1 hit point he is
    // out, with 2 he stays down; nor is he pushed.
    for (int32_t hp : {1, 2}) {
        TDBPlayer& h = P(1, hp);
        h.MySt->HP = hp;
        h.MySt->Motion.Mtype = dbmtDn;
        ShotAt(h, 0, 1);
        Judge();
        EXPECT_EQ(h.MySt->HP, hp - 1);
        EXPECT_EQ(h.MySt->Motion.Mtype, hp == 1 ? dbmtENG : dbmtDn);
        EXPECT_EQ(h.MyZahyou->dX, 0);
    }
}

// The breath bands by the hit points left after a hit of 10.
TEST_F(BallJudge, BreathingFollowsTheHitPointsLeft) {
    for (auto& r : hub->ADBRankDt) r.Gut.Breath4 = 1, r.Gut.Breath8 = 2, r.Gut.Breath12 = 4;
    const std::array<std::array<int32_t, 2>, 8> cases{
        {{4, 1}, {5, 2}, {8, 2}, {9, 4}, {12, 4}, {13, 3}, {16, 3}, {17, 0}}};
    TDBPlayer& h = P(1, 0);
    for (const auto& [left, breath] : cases) {
        h.OnInit();
        h.MySt->HP = left + 10;
        h.MySt->KagamiRev_c = 0;
        ShotAt(h);
        Judge();
        EXPECT_EQ(h.MySt->HP, left);
        EXPECT_EQ(h.MySt->Kagami_c, breath) << left;
        EXPECT_EQ(h.MySt->KagamiRev_c, breath ? 9 : 0) << left;
    }
}

TEST_F(BallJudge, TwoEnemiesTouchedAtOnceOnlyTheLowerPositionIsHit) {
    TDBPlayer& a = P(1, 0);
    TDBPlayer& b = P(1, 1);
    *b.MyZahyou = *a.MyZahyou;
    ShotAt(b);
    Judge();
    EXPECT_EQ(a.MySt->HP, 30);
    EXPECT_EQ(b.MySt->HP, 40);
}

TEST_F(BallJudge, ThroughTimePassesTheEnemyButTeamMatesMayStillCatch) {
    TDBPlayer& e = P(1, 0);
    ShotAt(e);
    st().NoHit_c = 5;
    Judge();
    EXPECT_EQ(st().Motion, dbbShoot);
    EXPECT_EQ(e.MySt->HP, 40);

    // A team-mate outfielder in the path takes his own side's shot.
    TDBPlayer& m = P(0, 6);
    ShotAt(m);
    st().NoHit_c = 5;
    Judge();
    EXPECT_EQ(st().Motion, dbbHold);
    EXPECT_EQ(st().HoldTNo, 0);
    EXPECT_EQ(st().HoldPNo, 6);

    // A shot with no thrower's side (a loaded state may hold one) touches
    // nobody in its through time.
    ShotAt(m);
    st().PichTNo = -1;
    st().NoHit_c = 5;
    Judge();
    EXPECT_EQ(st().Motion, dbbShoot);
}

// Who of the thrower's own side a pass may touch: only its receiver, or the
// cover man while the receiver is the controlled man.
TEST_F(BallJudge, OwnSidePassTouchesFollowTheCoverRule) {
    for (auto& t : objs->DBT) t->OnInit();
    TDBPlayer& m = P(0, 1);
    DBTeamState& team = objs->DBT[0]->TSt;
    team.CvrNo = 1;
    team.CtrlNo = 3;
    ShotAt(m);
    st().Motion = dbbPass;
    st().PaTgTNo = 0, st().PaTgPNo = 2;
    Judge();
    EXPECT_EQ(st().Motion, dbbPass);  // the receiver is not the controlled man
    team.CtrlNo = 2;
    team.CvrNo = 3;
    Judge();
    EXPECT_EQ(st().Motion, dbbPass);  // nor is he the cover man
    team.CvrNo = 1;
    Judge();
    EXPECT_EQ(st().HoldPNo, 1);
}

TEST_F(BallJudge, PassMeetingADodgingTeamMateFliesOn) {
    TDBPlayer& r = P(0, 2);
    ShotAt(r);
    st().Motion = dbbPass;
    st().PaTgPNo = 2;
    r.MySt->Motion.Mtype = dbmtDg;
    Judge();
    EXPECT_EQ(st().Motion, dbbPass);
    // Caught in a jump, a team-mate's pass is no air catch of his own.
    r.MySt->Motion.Mtype = dbmtJCa;
    r.MySt->Motion.MF = MFBit(dbmfAr);
    r.MySt->AirCatch_f = 1;
    Judge();
    EXPECT_EQ(st().Motion, dbbHold);
    EXPECT_EQ(st().HoldPNo, 2);
    EXPECT_FALSE(r.MySt->AirCatch_f);
    EXPECT_EQ(r.MyZahyou->dX, 0);  // a pass has no slide to carry him
}

TEST_F(BallJudge, PiercingShotLosesPowerPerHitAndKeepsItsFirstHitTime) {
    DBShootData& row = hub->ADBShootDt[dbhBYO];
    row.Pierce_f = 1;
    TDBPlayer& a = P(1, 0);
    TDBPlayer& b = P(1, 2);
    ShotAt(a);
    st().ShSt.HSNo = dbhBYO;
    st().ShSt.ShPow = 9;
    st().ShSt.HS_c = 12;
    Judge();
    EXPECT_EQ(st().Motion, dbbShoot);
    EXPECT_TRUE(oc.stopped.empty());  // its flying sound goes on
    EXPECT_EQ(st().ShSt.ShPow, 7);
    EXPECT_EQ(st().ShSt.HitTime, 12);
    EXPECT_EQ(st().ShSt.Hit_c, 1);
    bz().X = b.MyZahyou->X, bz().Z = b.MyZahyou->Z;
    st().ShSt.HS_c = 14;
    Judge();
    EXPECT_EQ(st().ShSt.ShPow, 5);
    EXPECT_EQ(st().ShSt.HitTime, 12);
    EXPECT_EQ(st().ShSt.Hit_c, 2);
    EXPECT_LT(b.MySt->HP, 40);
    // Its power never goes below 0.
    TDBPlayer& c = P(1, 1);
    st().ShSt.ShPow = 1;
    bz().X = c.MyZahyou->X, bz().Z = c.MyZahyou->Z;
    Judge();
    EXPECT_EQ(st().ShSt.ShPow, 0);
    EXPECT_EQ(st().ShSt.Hit_c, 3);
}

TEST_F(BallJudge, DeadOrInvulnerablePlayersAreNotTouched) {
    TDBPlayer& h = P(1, 0);
    // Nor is anyone by a ball that is neither a shot nor a pass.
    for (DBBallMotionType m : {dbbBound, dbbFree}) {
        ShotAt(h);
        st().Motion = m;
        Judge();
        EXPECT_EQ(st().HitTNo, -1);
        EXPECT_EQ(h.MySt->HP, 40);
    }
    ShotAt(h);
    h.MySt->Dead_f = 1;
    Judge();
    EXPECT_EQ(st().Motion, dbbShoot);
    h.MySt->Dead_f = 0;
    h.MySt->Motion.MF = MFBit(dbmfMTK);
    Judge();
    EXPECT_EQ(st().Motion, dbbShoot);
    // Nor is one a whole hit depth (in pixels) away from the ball.
    h.MySt->Motion.MF = 0;
    h.MyZahyou->Z = 9900;
    bz().Z = 9900 + table.DB.DBB.ATARID * 100;
    Judge();
    EXPECT_EQ(st().Motion, dbbShoot);
    bz().Z -= 1;
    Judge();
    EXPECT_EQ(st().Motion, dbbBound);
    // Nor one not yet set up, standing where the ball is.
    TDBPlayer fresh(hub.get(), &glb, 0, 1);
    ShotAt(h);
    ball->OnSetOS();
    EXPECT_FALSE(ball->HitCheck(&fresh));
    EXPECT_FALSE(ball->HitCheck(nullptr));
    EXPECT_EQ(st().HitTNo, -1);
}

// The authoring build shows the catch counter (from 1), the window with its
// lower bound, and the slide of the catch.
TEST_F(BallJudge, AuthoringBuildShowsTheCatchWindowAndSlide) {
    glb.Flags.Debug_f = true;
    TDBPlayer& h = P(1, 0);
    ShotAt(h);
    Catching(h, 2);
    Judge();
    ASSERT_EQ(st().HoldTNo, 1);
    auto endsWith = [](const std::string& s, const std::string& e) {
        return s.size() >= e.size() && s.compare(s.size() - e.size(), e.size(), e) == 0;
    };
    EXPECT_TRUE(endsWith(glb.DbgTxt[0], " = 3")) << glb.DbgTxt[0];
    EXPECT_TRUE(endsWith(glb.DbgTxt[1], "2) = 5")) << glb.DbgTxt[1];
    EXPECT_TRUE(endsWith(glb.DbgTxt[2], " = 40")) << glb.DbgTxt[2];
}

// Own-side touches by thrower: an infielder's shot (positions 0 to 3) passes
// his infield mates, no ball touches its own thrower, and a mate who cannot
// act (in damage) lets it by where an enemy in damage is still hit; the
// boomerang passes its own side by.
TEST_F(BallJudge, OwnSideTouchesByThrowerAndState) {
    TDBPlayer& m = P(0, 1);
    struct Case {
        const char* name;
        int32_t thrower;
        DBHSType hs;
        uint16_t mf;
        DBBallMotionType after;
    };
    const Case cases[] = {
        {"infielder 0", 0, dbhNML, 0, dbbShoot},
        {"infielder 3", 3, dbhNML, 0, dbbShoot},
        {"outfielder 4", 4, dbhNML, 0, dbbHold},
        {"outfielder 4, mate in damage", 4, dbhNML, MFBit(dbmfDam), dbbShoot},
        {"boomerang of outfielder 4", 4, dbhBMR, 0, dbbShoot},
        {"the thrower himself", 1, dbhNML, 0, dbbShoot},
    };
    for (const Case& c : cases) {
        m.MySt->Motion.MF = c.mf;
        ShotAt(m);
        st().PichPNo = c.thrower;
        st().ShSt.HSNo = c.hs;
        Judge();
        EXPECT_EQ(st().Motion, c.after) << c.name;
        EXPECT_EQ(m.MySt->HP, 40) << c.name;
    }
    TDBPlayer& e = P(1, 0);
    e.MySt->Motion.MF = MFBit(dbmfDam);
    ShotAt(e);
    Judge();
    EXPECT_EQ(e.MySt->HP, 30);
}

// A catch pushes the catcher along the ball's flight, FCTOSAIMAG long; a
// lock-on shot caught with no speed along the floor pushes him to the front.
TEST_F(BallJudge, CatchPushesAlongTheFlight) {
    for (auto& r : hub->ADBRankDt) r.CaT.CaFrm_HS = 6;
    struct Case {
        int32_t dx, dz;
        DBHSType hs;
        int32_t fricX, fricZ, agl;
        bool air = false;
        int32_t moveX = 0, moveZ = 0;  // the catcher's speed after
    };
    // In a jump the slide (64 less the jump's stop 25) carries him along the
    // push: 39 percent of it.
    const Case cases[] = {
        {600, 0, dbhNML, 320, 0, 6},         {300, 400, dbhNML, 192, 256, 4},
        {-300, -400, dbhNML, -192, -256, 0}, {1, 0, dbhMOZ, 0, -100, 6},
        {1, 0, dbhNML, 0, 0, 6},             {300, 400, dbhNML, 192, 256, 4, true, 74, 99},
    };
    for (auto& r : hub->ADBRankDt) r.BP.SlpSp = 64;
    TDBPlayer& h = P(1, 0);
    for (const Case& c : cases) {
        h.OnInit();
        h.MySt->FricX = h.MySt->FricZ = 9;
        ShotAt(h);
        bz().dX = c.dx, bz().dZ = c.dz;
        st().ShSt.HSNo = c.hs;
        Catching(h, 0);
        h.MySt->MukiAgl = c.agl;
        if (c.air) {
            h.MySt->Motion.Mtype = dbmtJCa;
            h.MySt->Motion.MF = MFBit(dbmfAr);
        }
        Judge();
        EXPECT_EQ(st().HoldTNo, 1) << c.dx << " " << c.dz;
        EXPECT_EQ(h.MySt->FricX, c.fricX) << c.dx << " " << c.dz;
        EXPECT_EQ(h.MySt->FricZ, c.fricZ) << c.dx << " " << c.dz;
        EXPECT_EQ(h.MyZahyou->dX, c.moveX) << c.dx << " " << c.dz;
        EXPECT_EQ(h.MyZahyou->dZ, c.moveZ) << c.dx << " " << c.dz;
    }
}

// Hit points and the damage number belong to infielders only: power x
// DamPer / 100 x the shot's nice level.
TEST_F(BallJudge, OnlyInfieldersTakeDamage) {
    TDBPlayer& o = P(1, 6);
    ShotAt(o, 20, 3);
    Judge();
    EXPECT_EQ(o.MySt->HP, 40);
    EXPECT_EQ(st().Motion, dbbBound);
    EXPECT_EQ(o.MySt->Motion.Mtype, dbmtFlB);  // he faces the way the ball flies
    EXPECT_EQ(fd.DDDt[0].Count, 0);
    TDBPlayer& i = P(1, 2);
    ShotAt(i, 20, 3);
    Judge();
    EXPECT_EQ(i.MySt->HP, 40 - 30);
    EXPECT_EQ(fd.DDDt[0].Dam, 30);
}

// ---------------------------------------------------------------- holding

using BallHold = BallJudge;

TEST_F(BallHold, TakingTheBallMakesTheHolderTheThrower) {
    TDBPlayer& p = P(0, 1);
    ball->SetMType(dbbBound);
    p.BallGet(false);
    EXPECT_EQ(st().Motion, dbbHold);
    EXPECT_EQ(st().HoldTNo, 0);
    EXPECT_EQ(st().PichPNo, 1);
    EXPECT_EQ(st().EnemTNo, 1);
    EXPECT_EQ(p.MySt->LastLRKey, maN);
}

TEST_F(BallHold, HeldBallSitsInTheHands) {
    TDBPlayer& p = P(0, 1);
    p.BallGet(true);
    p.OnReMove(false, false);
    // Empty frame data: hand point 16 pixels behind the origin, 24 up.
    const TZahyou& z = *p.MyZahyou;
    EXPECT_EQ(bz().X, z.X - 1600);
    EXPECT_EQ(bz().Y, z.Y + 2400);
    EXPECT_EQ(bz().Z, z.Z);
    EXPECT_EQ(bz().Pri, z.Pri + 1);
    EXPECT_EQ(bz().Muki(), z.Muki());
    // Nobody else moves it.
    P(0, 2).OnReMove(false, false);
    EXPECT_EQ(bz().X, z.X - 1600);
    // Facing left the hand point is mirrored: 16 pixels ahead of him.
    TDBPlayer& q = P(1, 1);
    q.BallGet(true);
    q.OnReMove(false, false);
    EXPECT_EQ(bz().X, q.MyZahyou->X + 1600);
    EXPECT_EQ(bz().Muki(), mL);
}

TEST_F(BallHold, ZeroSizeHurtBoxTakesAndKeepsTheDefault) {
    TDBPlayer& p = P(0, 0);
    p.OnSetOS();
    const SquareData& k = grp->DBBsmData[p.MySt->Motion.MNo].Frame[p.MySt->Anime.FrameNo].Kurai;
    EXPECT_EQ(k.W, table.DB.DBDAM.DEFKURAIW);
    EXPECT_EQ(k.H, table.DB.DBDAM.DEFKURAIH);
    const TZahyou& z = *p.MyZahyou;  // facing right
    EXPECT_EQ(p.MySt->Kurai.Left, z.X / 100 + table.DB.DBDAM.DEFKURAIX);
    EXPECT_EQ(p.MySt->Kurai.Right - p.MySt->Kurai.Left, table.DB.DBDAM.DEFKURAIW);
    // Facing left the box is mirrored about the player's X.
    TDBPlayer& q = P(1, 0);
    q.OnSetOS();
    EXPECT_EQ(q.MySt->Kurai.Left, q.MyZahyou->X / 100 - table.DB.DBDAM.DEFKURAIX -
                                      table.DB.DBDAM.DEFKURAIW);
    // A default wider than a box can hold is cut to the widest box.
    grp->DBBsmData[p.MySt->Motion.MNo].Frame[p.MySt->Anime.FrameNo].Kurai = SquareData{};
    table.DB.DBDAM.DEFKURAIW = 300;
    p.OnSetOS();
    EXPECT_EQ(k.W, 255);
}

// The ball's own box: the resting ball's is its own size, a shot from the
// side lines its own, anything else the normal one; all start half the normal
// width left of the ball.
TEST_F(BallHold, BallHitBoxBySituation) {
    DBBRec& t = table.DB.DBB;
    t.ATARIW = 10, t.ATARIH = 11, t.ATARID = 12;
    t.FREEATARIW = 20, t.FREEATARIH = 21, t.FREEATARID = 22;
    t.ZATARIW = 30, t.ZATARIH = 31, t.ZATARID = 32;
    auto box = [&](DBBallMotionType m, int pichP) {
        Place(10000, 2000, 5000, 0, 0, 0);
        ball->SetMType(m);
        st().PichPNo = pichP;
        ball->OnSetOS();
        const DBRect& a = st().Atari;
        return std::array<int32_t, 5>{a.Left, a.Top, a.Right - a.Left, a.Bottom - a.Top, st().AtariD};
    };
    EXPECT_EQ(box(dbbFree, -1), (std::array<int32_t, 5>{95, 20, 20, 21, 22}));
    EXPECT_EQ(box(dbbShoot, 5), (std::array<int32_t, 5>{95, 20, 30, 31, 32}));
    EXPECT_EQ(box(dbbShoot, 3), (std::array<int32_t, 5>{95, 20, 10, 11, 12}));
}

// ---------------------------------------------------------------- passes

using BallPass = BallJudge;

TEST_F(BallPass, ArcAlongOneAxisFliesAtTheLineSpeed) {
    TDBPlayer& p = P(0, 0);
    table.DB.DBPASS.PASPD11 = 64;  // 204 per step
    table.DB.DBPASS.PAGRV11 = 40;  // 12 per step
    p.tPaLine = dbpl11;
    int32_t x = 2040, y = 0, z = 0;
    EXPECT_EQ(p.PAngle(x, y, z, true, false), 10);
    EXPECT_EQ(x, 204);
    EXPECT_EQ(z, 0);
    EXPECT_EQ(y, 12 * 10 / 2);
    EXPECT_EQ(p.tPaGrv, 12);

    x = 0, y = 0, z = 1000;
    EXPECT_EQ(p.PAngle(x, y, z, true, false), 4);
    EXPECT_EQ(z, 204);
    EXPECT_EQ(x, 0);

    // The falling special shot flies on its own row's speed and gravity.
    DBShootData& kyo = hub->ADBShootDt[dbhKYO];
    kyo.Spd = 64, kyo.Etc[0] = 40;
    table.DB.DBPASS.PASPD11 = table.DB.DBPASS.PAGRV11 = 0;
    p.tPaLine = dbplKyo;
    x = 2040, y = 0, z = 0;
    EXPECT_EQ(p.PAngle(x, y, z, true, false), 10);
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(204, 12 * 10 / 2));
    // Under the slow rule its gravity is the row's second value.
    kyo.Etc[1] = 80, kyo.Etc[2] = 0;
    sdt.DBGDt.DBSlow_f = 1;
    x = 2040, y = 0, z = 0;
    p.PAngle(x, y, z, true, false);
    EXPECT_EQ(p.tPaGrv, PASPDIV(80));
    sdt.DBGDt.DBSlow_f = 0;
}

TEST_F(BallPass, LinesByPositions) {
    TDBPlayer& p = P(0, 4);
    p.BallGet(true);
    st().PaTgPNo = 5;
    p.GetTagDist(false, false, false, false);
    EXPECT_EQ(p.tPaLine, dbpl23);
    st().PaTgPNo = 6;
    p.GetTagDist(false, false, false, false);
    EXPECT_EQ(p.tPaLine, dbplNml);
    TDBPlayer& q = P(0, 3);
    st().PaTgPNo = 1;
    q.GetTagDist(false, false, false, false);
    EXPECT_EQ(q.tPaLine, dbpl11);
    st().PaTgPNo = 3;
    P(0, 0).GetTagDist(false, false, false, false);
    EXPECT_EQ(P(0, 0).tPaLine, dbpl11);
    st().PaTgPNo = 6;
    q.GetTagDist(false, false, false, false);
    EXPECT_EQ(q.tPaLine, dbpl14);
    EXPECT_EQ(q.tdx, std::abs(P(0, 6).MyZahyou->X - q.MyZahyou->X));
    EXPECT_EQ(q.tdxs, P(0, 6).MyZahyou->X < q.MyZahyou->X ? -1 : 1);
    // A target at the same X, depth and height counts as ahead on every axis.
    *P(0, 6).MyZahyou = *q.MyZahyou;
    q.GetTagDist(false, false, false, false);
    EXPECT_EQ(std::vector<int>({q.tdx, q.tdz, q.tdxs, q.tdzs}), std::vector<int>({0, 0, 1, 1}));
}

TEST_F(BallPass, ReleaseSetsTheFlightAndArrivesOnTime) {
    TDBPlayer& p = P(0, 0);
    TDBPlayer& r = P(0, 2);
    p.BallGet(true);
    st().PaTgTNo = 0;
    st().PaTgPNo = 2;
    st().PaCtPNo = 3;
    for (auto& t : objs->DBT) t->OnInit();
    p.SetPass(false);
    EXPECT_EQ(st().Motion, dbbPass);
    EXPECT_EQ(objs->DBT[1]->TSt.CtrlNo, 3);  // the enemy expected to cut it
    EXPECT_EQ(bz().Y, p.MyZahyou->Y + 1600);
    EXPECT_EQ(st().NoHit_c, table.DB.DBPASS.THROUGHTIME);
    EXPECT_EQ(st().ShSt.Spin, 10);
    EXPECT_GT(st().PaETA_c, 0);
    // Flown for its arrival time, the ball is at the receiver's X.
    int32_t eta = st().PaETA_c;
    int64_t dist = std::abs(int64_t(r.MyZahyou->X) - p.MyZahyou->X);
    EXPECT_NEAR(double(bz().dX) * eta, double(dist), double(std::abs(bz().dX)));
    EXPECT_GT(bz().dX, 0);
}

TEST_F(BallPass, LowJumpPassIsNoJumpCatchPass) {
    TDBPlayer& p = P(0, 0);
    p.BallGet(true);
    st().PaTgPNo = 2;
    table.DB.DBPASS.PACANOJPY = 17;  // released at 1600, the line at 1700
    p.SetPass(true);
    EXPECT_TRUE(st().PaJPa_f);
    EXPECT_FALSE(st().PaJC_f);

    p.BallGet(true);
    st().PaTgPNo = 2;
    table.DB.DBPASS.PACANOJPY = 16;
    p.SetPass(true);
    EXPECT_TRUE(st().PaJC_f);
}

TEST_F(BallPass, ReceiverInTheAirIsAimedAtHisLandingPoint) {
    TDBPlayer& p = P(0, 0);
    TDBPlayer& r = P(0, 2);
    r.MySt->Motion.MF = MFBit(dbmfAr);
    r.MySt->LandX = p.MyZahyou->X + 5000;
    r.MySt->LandZ = p.MyZahyou->Z;
    p.BallGet(true);
    st().PaTgPNo = 2;
    p.GetTagDist(false, false, false, false);
    EXPECT_EQ(p.tdx, 5000);
    EXPECT_EQ(p.tdz, 0);
    p.SetPass(true);
    EXPECT_FALSE(st().PaJPa_f);  // counts as a ground pass
    // Against the same pass to him on the ground, the release height in
    // pixels (1600 / 100) comes off the climb.
    table.DB.DBPASS.PATAGY = 30;
    p.BallGet(true);
    st().PaTgPNo = 2;
    p.SetPass(false);
    const int32_t inAir = bz().dY;
    r.MySt->Motion.MF = 0;
    *r.MyZahyou = *p.MyZahyou;
    r.MyZahyou->X += 5000;
    p.BallGet(true);
    st().PaTgPNo = 2;
    p.SetPass(false);
    EXPECT_EQ(bz().dY - inAir, 16);
}
