// Catch and hit judgement, damage and knock-out, holding the ball, the hurt
// box and the pass step.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/match_ball_fixture.h"

namespace {

class BallJudge : public BallFixture {
protected:
    void SetUp() override {
        BallFixture::SetUp();
        for (auto& r : hub->ADBRankDt) {
            r.CaT.CaFrm_D = 6;
            r.CaT.MinCaFrm = 2;
            r.BP.StDecFrm = 1;
            r.Taf.DamPer = 50;
            r.Gut.Breath16 = 3;
            r.Gut.BreathRev = 9;
            r.BP.FlySp = 100;
            r.BP.FlyAg = 30;
            r.BP.RefSp = 50;
            r.BP.RefAg = 45;
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

TEST_F(BallJudge, CatchWindowEndsExactlyAtItsLength) {
    // Window CaFrm_D 6 less the standing deceleration 1: steps 0..4 catch.
    TDBPlayer& h = P(1, 0);
    ShotAt(h);
    Catching(h, 4);
    Judge();
    EXPECT_EQ(st().Motion, dbbHold);
    EXPECT_EQ(st().HoldTNo, 1);
    EXPECT_EQ(st().HoldPNo, 0);
    EXPECT_EQ(st().EnemTNo, 0);
    EXPECT_EQ(h.MySt->HP, 40);
    EXPECT_TRUE(oc.SERsv[15]);
    EXPECT_EQ(h.MySt->FricX, table.DB.DBETC.FCTOSAIMAG);  // pushed along the flight

    ShotAt(h);
    Catching(h, 5);
    Judge();
    EXPECT_EQ(st().Motion, dbbBound);
    EXPECT_EQ(h.MySt->HP, 40 - 10);  // 10 x 50% x nice 2
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

TEST_F(BallJudge, FacingAngleTable) {
    TDBPlayer& h = P(1, 0);
    h.MySt->MukiAgl = 6;
    EXPECT_TRUE(TDBBall::CheckCaAgl(&h, -1));
    EXPECT_TRUE(TDBBall::CheckCaAgl(&h, 6));
    EXPECT_TRUE(TDBBall::CheckCaAgl(&h, 5));
    EXPECT_FALSE(TDBBall::CheckCaAgl(&h, 7));
    // Facing the front and left also takes 3, 4 and 5.
    h.MyZahyou->SetMuki(mL);
    h.MyZahyou->SetMukiZ(mzF);
    h.MySt->MukiAgl = 0;
    EXPECT_TRUE(TDBBall::CheckCaAgl(&h, 3));
    EXPECT_TRUE(TDBBall::CheckCaAgl(&h, 4));
    EXPECT_TRUE(TDBBall::CheckCaAgl(&h, 5));
    EXPECT_FALSE(TDBBall::CheckCaAgl(&h, 2));
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
    EXPECT_EQ(agl(-5, -5), 0);
    EXPECT_EQ(agl(-6, -5), 1);
    EXPECT_EQ(agl(-6, 5), 2);
    EXPECT_EQ(agl(-5, 5), 3);
    EXPECT_EQ(agl(5, 5), 4);
    EXPECT_EQ(agl(6, 5), 5);
    EXPECT_EQ(agl(6, -5), 6);
    EXPECT_EQ(agl(5, -5), 7);
}

TEST_F(BallJudge, HitCostsHitPointsShowsTheNumberAndKnocksBack) {
    TDBPlayer& h = P(1, 0);
    ShotAt(h);
    Judge();
    EXPECT_EQ(h.MySt->HP, 30);
    EXPECT_FALSE(h.MySt->MHP_f);
    EXPECT_GT(h.MyZahyou->dX, 0);  // pushed along the ball's flight
    EXPECT_EQ(h.MyZahyou->dZ, 0);
    bool shown = false;
    for (const auto& d : fd.DDDt) shown |= d.Count > 0 || d.Dam == 10;
    EXPECT_TRUE(shown);
    // The ball rebounds against its flight.
    EXPECT_EQ(st().Motion, dbbBound);
    EXPECT_LE(bz().dX, 0);
    EXPECT_TRUE(oc.SERsv[7]);
}

TEST_F(BallJudge, NoDamageSwitchKeepsHitPointsButStillKnocksBack) {
    table.DB.DBDBG.NODAMAGE_F = 1;
    TDBPlayer& h = P(1, 0);
    ShotAt(h);
    Judge();
    EXPECT_EQ(h.MySt->HP, 40);
    EXPECT_EQ(st().Motion, dbbBound);
    EXPECT_GT(h.MyZahyou->dX, 0);
}

TEST_F(BallJudge, SmallestDamageIsOneAndALyingPlayerAtZeroIsOut) {
    TDBPlayer& h = P(1, 0);
    h.MySt->HP = 1;
    h.MySt->Motion.Mtype = dbmtDn;
    ShotAt(h, 0, 1);
    Judge();
    EXPECT_EQ(h.MySt->HP, 0);
    EXPECT_EQ(h.MySt->Motion.Mtype, dbmtENG);
    EXPECT_EQ(h.MyZahyou->dX, 0);  // a down hit does not push
}

TEST_F(BallJudge, BreathingStartsAtSixteenHitPoints) {
    TDBPlayer& h = P(1, 0);
    h.MySt->HP = 26;
    ShotAt(h);
    Judge();
    EXPECT_EQ(h.MySt->HP, 16);
    EXPECT_EQ(h.MySt->Kagami_c, 3);
    EXPECT_EQ(h.MySt->KagamiRev_c, 9);

    TDBPlayer& g = P(1, 1);
    g.MySt->HP = 27;
    ShotAt(g);
    Judge();
    EXPECT_EQ(g.MySt->HP, 17);
    EXPECT_EQ(g.MySt->Kagami_c, 0);
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
}

TEST_F(BallJudge, PassMeetingADodgingTeamMateFliesOn) {
    TDBPlayer& r = P(0, 2);
    ShotAt(r);
    st().Motion = dbbPass;
    st().PaTgPNo = 2;
    r.MySt->Motion.Mtype = dbmtDg;
    Judge();
    EXPECT_EQ(st().Motion, dbbPass);
    r.MySt->Motion.Mtype = dbmtSt;
    Judge();
    EXPECT_EQ(st().Motion, dbbHold);
    EXPECT_EQ(st().HoldPNo, 2);
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
}

TEST_F(BallJudge, DeadOrInvulnerablePlayersAreNotTouched) {
    TDBPlayer& h = P(1, 0);
    ShotAt(h);
    h.MySt->Dead_f = 1;
    Judge();
    EXPECT_EQ(st().Motion, dbbShoot);
    h.MySt->Dead_f = 0;
    h.MySt->Motion.MF = MFBit(dbmfMTK);
    Judge();
    EXPECT_EQ(st().Motion, dbbShoot);
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
    TDBPlayer& q = P(0, 1);
    st().PaTgPNo = 3;
    q.GetTagDist(false, false, false, false);
    EXPECT_EQ(q.tPaLine, dbpl11);
    st().PaTgPNo = 6;
    q.GetTagDist(false, false, false, false);
    EXPECT_EQ(q.tPaLine, dbpl14);
    EXPECT_EQ(q.tdx, std::abs(P(0, 6).MyZahyou->X - q.MyZahyou->X));
    EXPECT_EQ(q.tdxs, P(0, 6).MyZahyou->X < q.MyZahyou->X ? -1 : 1);
}

TEST_F(BallPass, ReleaseSetsTheFlightAndArrivesOnTime) {
    TDBPlayer& p = P(0, 0);
    TDBPlayer& r = P(0, 2);
    p.BallGet(true);
    st().PaTgTNo = 0;
    st().PaTgPNo = 2;
    p.SetPass(false);
    EXPECT_EQ(st().Motion, dbbPass);
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
    table.DB.DBPASS.PACANOJPY = 100;  // 10000 above the floor
    p.SetPass(true);
    EXPECT_TRUE(st().PaJPa_f);
    EXPECT_FALSE(st().PaJC_f);

    p.BallGet(true);
    st().PaTgPNo = 2;
    table.DB.DBPASS.PACANOJPY = 10;
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
}
