// The data hub, the player set-up, save and load, and the camera.
#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "match/clsObject.h"

namespace {

class Hub : public ::testing::Test {
protected:
    void SetUp() override {
        hub = std::make_unique<TAllObTx>();
        hub->SDt = &sdt;
        objs = std::make_unique<TAllObj>(nullptr, hub.get(), nullptr);
        hub->AO = objs.get();
        for (int r = 0; r < DBRANK_ROWS; ++r) hub->ADBRankDt[r].Spd.DSX = 100 + r;
    }
    TSceneData sdt;
    std::unique_ptr<TAllObTx> hub;
    std::unique_ptr<TAllObj> objs;
};

TEST_F(Hub, OwnsTwentyThreeDistinctCoordinates) {
    std::set<TZahyou*> seen;
    for (auto* z : hub->AZahyou.APlayerZahyou) seen.insert(z);
    for (auto* z : hub->AZahyou.AItemZahyou) seen.insert(z);
    for (auto& side : hub->AZahyou.ADBPlayerZahyou)
        for (auto* z : side) seen.insert(z);
    seen.insert(hub->AZahyou.DBBallZahyou);
    seen.erase(nullptr);
    EXPECT_EQ(seen.size(), 23u);
    EXPECT_EQ(hub->PlayerZahyou(1, 6), hub->AZahyou.ADBPlayerZahyou[1][6]);
    EXPECT_EQ(hub->PlayerZahyou(0, 0), hub->AZahyou.ADBPlayerZahyou[0][0]);
    for (auto [s, p] : {std::pair{2, 0}, {-1, 0}, {0, -1}, {0, 7}})
        EXPECT_EQ(hub->PlayerZahyou(s, p), nullptr) << s << " " << p;
    EXPECT_EQ(objs->DBall->MyZahyou, hub->BallZahyou());
    EXPECT_EQ(objs->DB6[1][6]->MyZahyou, hub->PlayerZahyou(1, 6));  // before any OnInit
    EXPECT_EQ(objs->DBD->BallSt, &hub->DBBallSt);
}

TEST_F(Hub, PlayersStartAtTheirPositions) {
    TDBPlayer& far = *objs->DB6[1][6];
    far.OnInit();
    EXPECT_EQ(far.MyZahyou->X, 7200);
    EXPECT_EQ(far.MyZahyou->Z, 5600);
    EXPECT_EQ(far.MyZahyou->Muki(), mR);
    EXPECT_EQ(far.MyZahyou->Pri, 60);
    EXPECT_FALSE(far.Infield_f);
    EXPECT_EQ(far.EnSideNo, 0);

    TDBPlayer& front = *objs->DB6[0][5];
    front.OnInit();
    EXPECT_EQ(front.MyZahyou->X, 32000);
    EXPECT_EQ(front.MyZahyou->Z, 800);
    EXPECT_EQ(front.MyZahyou->Muki(), mL);
    EXPECT_EQ(front.MyZahyou->MukiZ(), mzB);

    TDBPlayer& back = *objs->DB6[1][4];
    back.OnInit();
    EXPECT_EQ(back.MyZahyou->MukiZ(), mzF);
    EXPECT_EQ(back.MyZahyou->Muki(), mR);

    TDBPlayer& in = *objs->DB6[1][0];
    in.OnInit();
    EXPECT_TRUE(in.Infield_f);
    EXPECT_EQ(in.MyZahyou->X, 51200 - 12000);
    EXPECT_EQ(in.MyZahyou->Muki(), mL);
    EXPECT_EQ(in.MyDBT, objs->DBT[1].get());
    EXPECT_EQ(in.EnDBT, objs->DBT[0].get());
    EXPECT_EQ(in.DBall, objs->DBall.get());
}

TEST_F(Hub, InitBindsMemberAbilitiesAndRankRows) {
    sdt.DBGDt.DBTeamNo[0] = 5;
    sdt.DBGDt.DBCharofP[0][2] = 4;
    DCDDBallDt& dt = hub->ADBPDt[5][4];
    dt.dHP = 48;
    dt.dSpd = 12;  // level 5
    dt.dCrv = 2;   // level 0
    dt.dCaT = 7;   // level 3
    dt.dPos = 3;   // used as the row itself
    dt.dMnr = 9;   // 7 and above fall back to row 0
    hub->ADTCDt[5][4].Looks.DBFaceNo = 25;
    DBPlayerState& st = hub->ADBPSt[0][2];
    st.Dead_f = 1;
    st.HP = 3;

    TDBPlayer& p = *objs->DB6[0][2];
    p.Live_f = false;
    p.MCMapSt.Unused = 3;
    p.OnInit();
    EXPECT_EQ(p.MCMapSt.Unused, 0);
    EXPECT_EQ(p.CharNo, 4);
    EXPECT_EQ(p.FNo, 25);
    EXPECT_EQ(p.MyDt, &dt);
    EXPECT_EQ(p.MySt, &st);
    EXPECT_EQ(p.MyLv.Spd, &hub->ADBRankDt[5].Spd);
    EXPECT_EQ(p.MyLv.Crv, &hub->ADBRankDt[0].Crv);
    EXPECT_EQ(p.MyLv.CaT, &hub->ADBRankDt[3].CaT);
    EXPECT_EQ(p.MyLv.Taf, &hub->ADBRankDt[0].Taf);  // 0 and 0 give level 0
    EXPECT_EQ(p.MyLv.Gut, &hub->ADBRankDt[0].Gut);
    EXPECT_EQ(p.MyLv.Pos, &hub->ADBRankDt[3].Pos);
    EXPECT_EQ(p.MyLv.Mnr, &hub->ADBRankDt[0].Mnr);
    EXPECT_EQ(p.MyLv.Spd->DSX, 105);
    EXPECT_EQ(st.HP, 48);
    EXPECT_EQ(st.Dead_f, 0);
    EXPECT_EQ(st.MHP_f, 1);
    EXPECT_EQ(st.Catch_c, -1);
    EXPECT_EQ(st.Motion.Mtype, dbmtSt);
    EXPECT_TRUE(p.Live_f);
    // Without a global status object the match plays silently.
    objs->DBall->OnInit();
    p.BallGet(false);
    EXPECT_EQ(hub->DBBallSt.HoldPNo, 2);
}

TEST_F(Hub, InitOutsideAMatchStaysInRange) {
    // The title leaves every position map at -1 and the team bytes may hold
    // anything: member 0 of team 0 stands in.
    for (auto& side : sdt.DBGDt.DBCharofP)
        for (auto& c : side) c = -1;
    sdt.DBGDt.DBTeamNo[1] = 200;
    hub->ADBPDt[0][0].dHP = 9;
    TDBPlayer& p = *objs->DB6[1][3];
    p.OnInit();
    EXPECT_EQ(p.CharNo, 0);
    EXPECT_EQ(p.MyDt, &hub->ADBPDt[0][0]);
    EXPECT_EQ(p.MySt->HP, 9);
    // The last team and member stand for themselves, one past them for 0.
    sdt.DBGDt.DBTeamNo[1] = DBTEAMS - 1;
    sdt.DBGDt.DBCharofP[1][3] = DBMEMBERS - 1;
    p.OnInit();
    EXPECT_EQ(p.MyDt, &hub->ADBPDt[DBTEAMS - 1][DBMEMBERS - 1]);
    sdt.DBGDt.DBTeamNo[1] = DBTEAMS;
    sdt.DBGDt.DBCharofP[1][3] = DBMEMBERS;
    p.OnInit();
    EXPECT_EQ(p.MyDt, &hub->ADBPDt[0][0]);
    // Position 3 is the last infield one.
    EXPECT_TRUE(p.Infield_f);
    EXPECT_EQ(p.MyZahyou->Muki(), mL);
    TDBPlayer& q = *objs->DB6[0][4];
    q.OnInit();
    EXPECT_FALSE(q.Infield_f);
    EXPECT_EQ(q.MyZahyou->Muki(), mL);
    EXPECT_EQ(q.MyZahyou->Pri, 40);
}

TEST(StLv, LevelsOfAbilityValues) {
    const int expect[] = {0, 0, 0, 1, 1, 2, 2, 3, 3, 3, 4, 4, 5, 5, 5, 6, 6};
    for (int v = 0; v < 17; ++v) EXPECT_EQ(TDBPlayer::GetStLv(v), expect[v]) << v;
    EXPECT_EQ(TDBPlayer::GetStLv(255), 6);
    EXPECT_EQ(TDBPlayer::GetStLv(-1), 0);
    EXPECT_EQ(TDBPlayer::GetStLv(-2), 6);
    EXPECT_EQ(TDBPlayer::GetStLv7(6), 6);
    EXPECT_EQ(TDBPlayer::GetStLv7(7), 0);
}

// Each player saves into and loads from his own slot of the stored image,
// and a load drops the image's meaningless references.
TEST_F(Hub, SaveAndLoadCarryEachPlayersOwnCoordinates) {
    TDBPlayer& a = *objs->DB6[0][1];
    TDBPlayer& b = *objs->DB6[1][6];
    a.OnInit();
    b.OnInit();
    a.MyZahyou->X = 1234;
    a.MyZahyou->SetMukiZ(mzB);
    b.MyZahyou->X = 4321;
    b.MyZahyou->dY = -7;
    a.OnSave();
    b.OnSave();
    EXPECT_EQ(hub->SvDt.ADBZahyou[0][1].X, 1234);
    EXPECT_EQ(hub->SvDt.ADBZahyou[1][6].X, 4321);

    a.MyZahyou->X = 1;
    a.MyZahyou->SetMukiZ(mzF);
    b.MyZahyou->X = 2;
    b.MyZahyou->dY = 0;
    hub->ADBPSt[0][1].Zahyou = 0xFFFFFFFF;
    hub->DBBallSt.Zahyou = 0xFFFFFFFF;
    a.OnLoad();
    b.OnLoad();
    hub->ResetZahyou();
    EXPECT_EQ(a.MyZahyou->X, 1234);
    EXPECT_EQ(a.MyZahyou->MukiZ(), mzB);
    EXPECT_EQ(b.MyZahyou->X, 4321);
    EXPECT_EQ(b.MyZahyou->dY, -7);
    EXPECT_EQ(hub->ADBPSt[0][1].Zahyou, 0u);
    EXPECT_EQ(hub->DBBallSt.Zahyou, 0u);
}

TEST(Camera, StaysInsideTheMap) {
    TCamera cm;
    EXPECT_EQ(cm.MapWidth, 512);
    EXPECT_EQ(cm.CMSpeed, 2);
    for (int32_t x : {0, 25600, 51200, 100000, -5000}) {
        cm.OnMoveDB(x);
        EXPECT_EQ(cm.CamX(), 0) << x;
        EXPECT_EQ(cm.CamY(), 0);
    }
}

TEST(Camera, FollowsTheBallAtLimitedSpeed) {
    TCamera cm;
    cm.OnInit(1024, 100, cmSlow, cpTop, cpyMove, 2);
    EXPECT_EQ(cm.MapYPos, 100);
    EXPECT_EQ(cm.CM, cmSlow);
    EXPECT_EQ(cm.CP, cpTop);
    EXPECT_EQ(cm.CPY, cpyMove);
    cm.fCamY = 5;
    cm.OnMoveDB(100000);
    EXPECT_EQ(cm.CamY(), 0);
    EXPECT_EQ(cm.CamX(), 2);
    for (int i = 0; i < 300; ++i) cm.OnMoveDB(100000);
    EXPECT_EQ(cm.CamX(), 512);  // target: 1000 px held to 768, less 256
    cm.OnMoveDB(0);
    EXPECT_EQ(cm.CamX(), 510);
    cm.OnResetCamPos();
    EXPECT_EQ(cm.CamX(), 0);
    // A map narrower than the view: the bounds swap, giving -80..0.
    cm.OnInit(432, 240, cmQuick, cpCenter, cpyBottom, 100);
    cm.OnMoveDB(0);
    EXPECT_EQ(cm.CamX(), -80);
}

}  // namespace
