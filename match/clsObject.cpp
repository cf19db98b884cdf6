#include "match/clsObject.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "match/MatchMath.h"
#include "input/DILib.h"
#include "shell/GlbRecord.h"

// ---------------------------------------------------------- unit conversions

namespace {

int32_t Narrow(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); }

// dt * 100 / factor in floating point, truncated toward zero and held inside
// int32; 0 when the factor is 0.
int32_t DivBy(int32_t dt, int32_t factor) {
    if (factor == 0) return 0;
    return matchmath::Trunc(double(dt) * 100.0 / double(factor));
}


const CstDB& GameTable() {
    static const CstDB empty{};
    return GC ? GC->DB : empty;
}

}  // namespace

int32_t PercentageW(int64_t v, int64_t p) { return Narrow(v * p / 100); }

int32_t FCMAG(const CstDB& db, int32_t dt) { return PercentageW(dt, db.DBETC.FCTOSAIMAG); }
int32_t SPMAG(const CstDB& db, int32_t dt) {
    int64_t factor = Narrow(int64_t(db.DBETC.FCTOSAIMAG) * db.DBSHOOT.SHOOTMAG / 100);
    return PercentageW(dt, factor);
}
int32_t PASPMAG(const CstDB& db, int32_t dt) { return FCMAG(db, dt); }
int32_t FCDIV(const CstDB& db, int32_t dt) { return DivBy(dt, db.DBETC.FCTOSAIMAG); }
int32_t PASPDIV(const CstDB& db, int32_t dt) { return DivBy(dt, db.DBETC.FCTOSAIMAG); }

int32_t FCMAG(int32_t dt) { return FCMAG(GameTable(), dt); }
int32_t SPMAG(int32_t dt) { return SPMAG(GameTable(), dt); }
int32_t PASPMAG(int32_t dt) { return PASPMAG(GameTable(), dt); }
int32_t FCDIV(int32_t dt) { return FCDIV(GameTable(), dt); }
int32_t PASPDIV(int32_t dt) { return PASPDIV(GameTable(), dt); }

// ---------------------------------------------------------------- the hub

TAllObTx::TAllObTx() {
    int n = 0;
    for (auto& z : AZahyou.APlayerZahyou) z = &Zahyous[n++];
    for (auto& z : AZahyou.AItemZahyou) z = &Zahyous[n++];
    for (auto& side : AZahyou.ADBPlayerZahyou)
        for (auto& z : side) z = &Zahyous[n++];
    AZahyou.DBBallZahyou = &Zahyous[n++];
}

void TAllObTx::ResetZahyou() {
    for (auto& side : ADBPSt)
        for (auto& st : side) st.Zahyou = 0;
    DBBallSt.Zahyou = 0;
}

TZahyou* TAllObTx::PlayerZahyou(int side, int pos) const {
    if (side < 0 || side >= DBSIDES || pos < 0 || pos >= DBPOSITIONS) return nullptr;
    return AZahyou.ADBPlayerZahyou[side][pos];
}

// ------------------------------------------------------- moving objects

void TGenSAIObj::OnInit() {
    Lift = StLift{};
    MCMapSt = MCMapState{};
    Live_f = true;
}

void TGenSAIObj::OnLastZahyou() {
    if (MyZahyou) MyZahyou->OnLastZahyou();
}

TDBPlayer::TDBPlayer(TAllObTx* aot, TGlobalSAI* glb, uint8_t posNo, uint8_t sideNo)
    : TGenSAIObj(aot, glb), EnSideNo(uint8_t(1 - sideNo)), PosNo(posNo), SideNo(sideNo) {
    MyZahyou = aot ? aot->PlayerZahyou(sideNo, posNo) : nullptr;
    if (glb && glb->ADI) DI = glb->ADI->DI[sideNo].get();
}

int TDBPlayer::GetStLv(int tst) {
    if (tst >= -1 && tst <= 2) return 0;
    if (tst >= 3 && tst <= 4) return 1;
    if (tst >= 5 && tst <= 6) return 2;
    if (tst >= 7 && tst <= 9) return 3;
    if (tst >= 10 && tst <= 11) return 4;
    if (tst >= 12 && tst <= 14) return 5;
    return 6;
}

int TDBPlayer::GetStLv7(int tst) { return (tst >= 0 && tst < 7) ? tst : 0; }

void TDBPlayer::OnInit() {
    TGenSAIObj::OnInit();
    static const DBGameData noSettings{};
    const DBGameData& g = AOT->SDt ? AOT->SDt->DBGDt : noSettings;
    // Outside a match (the title clears the position map to -1) a member or
    // team number may be out of range; member 0 of team 0 stands in.
    int32_t charNo = g.DBCharofP[SideNo][PosNo];
    if (charNo < 0 || charNo >= DBMEMBERS) charNo = 0;
    int team = g.DBTeamNo[SideNo];
    if (team >= DBTEAMS) team = 0;
    CharNo = uint8_t(charNo);

    MyDt = &AOT->ADBPDt[team][CharNo];
    MySt = &AOT->ADBPSt[SideNo][PosNo];
    FNo = AOT->ADTCDt[team][CharNo].Looks.DBFaceNo;

    const DBRankData* rank = AOT->ADBRankDt;
    MyLv.Crv = &rank[GetStLv(MyDt->dCrv)].Crv;
    MyLv.Spd = &rank[GetStLv(MyDt->dSpd)].Spd;
    MyLv.CaT = &rank[GetStLv(MyDt->dCaT)].CaT;
    MyLv.Taf = &rank[GetStLv(MyDt->dTaf)].Taf;
    MyLv.Gut = &rank[GetStLv(MyDt->dGut)].Gut;
    MyLv.Pos = &rank[GetStLv7(MyDt->dPos)].Pos;
    MyLv.Mnr = &rank[GetStLv7(MyDt->dMnr)].Mnr;

    MyZahyou = AOT->PlayerZahyou(SideNo, PosNo);
    MyZahyou->Init();
    *MySt = DBPlayerState{};
    MySt->HP = MyDt->dHP;
    MySt->MHP_f = 1;

    MyZahyou->X = DEFPOS[PosNo].X * 100;
    MyZahyou->Z = DEFPOS[PosNo].Z * 100;
    MyZahyou->Y = 0;
    MyZahyou->Pri = PosNo * 10;

    Infield_f = PosNo <= 3;
    MyZahyou->SetMuki(Infield_f ? mR : mL);
    MyZahyou->SetMukiZ(PosNo == 4 ? mzF : PosNo == 5 ? mzB : mzN);
    if (SideNo == 1) {
        MyZahyou->X = DBCOURT_W - MyZahyou->X;
        MyZahyou->SetMuki(MyZahyou->RevMuki());
    }

    if (AOT->AO) {
        MyDBT = AOT->AO->DBT[SideNo].get();
        EnDBT = AOT->AO->DBT[EnSideNo].get();
        DBall = AOT->AO->DBall.get();
    }
    if (!DI && Glb && Glb->ADI) DI = Glb->ADI->DI[SideNo].get();
    SetMtype(dbmtSt, true);
    MySt->Catch_c = -1;
    ShTg_c = -1;  // nobody is a shot's target before the first step
}

void TDBPlayer::OnSave() {
    if (MyZahyou) AOT->SvDt.ADBZahyou[SideNo][PosNo] = MyZahyou->ZRec();
}

void TDBPlayer::OnLoad() {
    if (MyZahyou) MyZahyou->ZRec() = AOT->SvDt.ADBZahyou[SideNo][PosNo];
}

// ------------------------------------------------------- match object set

TAllObj::TAllObj(TAlpha32SAI* al, TAllObTx* aot, TGlobalSAI* glb) : AL(al), AOT(aot), Glb(glb) {
    for (int s = 0; s < DBSIDES; ++s) {
        for (int p = 0; p < DBPOSITIONS; ++p) {
            DB6[s][p] = std::make_unique<TDBPlayer>(aot, glb, uint8_t(p), uint8_t(s));
            DBPCD4[s][p] = std::make_unique<TGenCharDraw>(al, aot, glb);
        }
        DBT[s] = std::make_unique<TDBTeam>(aot, glb, uint8_t(s));
    }
    DBall = std::make_unique<TDBBall>(aot, glb);
    DBD = std::make_unique<TGenDBDraw>(al, aot, glb, DBall->MySt);
}

TAllObj::~TAllObj() {
    DBD.reset();
    DBall.reset();
    for (int s = 0; s < DBSIDES; ++s) {
        for (int p = 0; p < DBPOSITIONS; ++p) {
            DB6[s][p].reset();
            DBPCD4[s][p].reset();
        }
        DBT[s].reset();
    }
}

// ---------------------------------------------------------------- camera

void TCamera::OnInit(int32_t mapWidth, int32_t mapYPos, CMType cm, CPType cp, CPTypeY cpy,
                     int32_t cmSpeed) {
    MapWidth = mapWidth;
    MapYPos = mapYPos;
    CM = cm;
    CP = cp;
    CPY = cpy;
    CMSpeed = cmSpeed;
}

void TCamera::OnMoveDB(int32_t dbx) {
    int32_t target = Between(dbx / 100, 256, MapWidth - 256) - 256;
    fCamX = Between(target, fCamX - CMSpeed, fCamX + CMSpeed);
    fCamY = 0;
}
