// The pass step: the pass line and target point, the arc, and the release of
// the ball toward the receiver. Also the distances to a shot target that the
// shot step aims with, and the sound of an animation frame.
#include <algorithm>
#include <cmath>

#include "match/clsBall.h"
#include "match/clsBallUtil.h"
#include "shell/GlbRecord.h"

using namespace ballutil;

namespace {
bool OuterSide(int pos) { return pos == 4 || pos == 5; }
}  // namespace

void TDBPlayer::GetTagDist(bool Shoot_f, bool Level_f, bool KAK_f, bool KYO_f) {
    tdx = tdy = tdz = 0;
    tdxs = tdys = tdzs = 1;
    if (!DBall || !MyZahyou) return;
    const DBBallState& b = *DBall->MySt;
    const TZahyou& bz = DBall->Zh();
    const TZahyou& z = *MyZahyou;
    TDBPlayer* tg;
    if (Shoot_f) {
        tg = DBall->PlayerAt(b.ShTgTNo, b.ShTgPNo);
        tPaLine = KYO_f ? dbplKyo : tPaLine;
    } else {
        tg = DBall->PlayerAt(SideNo, b.PaTgPNo);
        int r = b.PaTgPNo;
        if (OuterSide(PosNo) && OuterSide(r))
            tPaLine = dbpl23;
        else if (PosNo <= 3 && r >= 0 && r <= 3)
            tPaLine = dbpl11;
        else if (OuterSide(PosNo) || OuterSide(r))
            tPaLine = dbplNml;
        else
            tPaLine = dbpl14;
    }
    if (!tg || !tg->MyZahyou || !tg->MySt) return;
    const TZahyou& tz = *tg->MyZahyou;
    int64_t px = tz.X, pz = tz.Z;
    if (!Shoot_f && tg->MySt->Motion.MF.Has(dbmfAr)) {
        px = tg->MySt->LandX;
        pz = tg->MySt->LandZ;
    }
    if (Shoot_f && KAK_f) {
        int64_t off = int64_t(AOT->ADBShootDt[dbhKAK].Etc[0]) * 100;
        pz += tz.Z <= 5700 ? off : -off;
    }
    tdx = Sat(std::abs(px - z.X));
    tdz = Sat(std::abs(pz - z.Z));
    tdy = Level_f ? 0 : Sat(std::abs(int64_t(tz.Y) - bz.Y));
    tdxs = px < z.X ? -1 : 1;
    tdzs = pz < z.Z ? -1 : 1;
    tdys = tz.Y < bz.Y ? -1 : 1;
}

int32_t TDBPlayer::PAngle(int32_t& mX, int32_t& mY, int32_t& mZ, bool Level_f, bool JPa_f) {
    const CstDB& db = DB();
    const DBPASSRec& p = db.DBPASS;
    int32_t grv, spd;
    switch (tPaLine) {
        case dbpl23: grv = JPa_f ? p.JPAGRV23 : p.PAGRV23; spd = JPa_f ? p.JPASPD23 : p.PASPD23; break;
        case dbpl14: grv = JPa_f ? p.JPAGRV14 : p.PAGRV14; spd = JPa_f ? p.JPASPD14 : p.PASPD14; break;
        case dbpl11: grv = JPa_f ? p.JPAGRV11 : p.PAGRV11; spd = JPa_f ? p.JPASPD11 : p.PASPD11; break;
        case dbplKyo: {
            // The falling special shot flies like a pass under its own gravity.
            const DBShootData& row = AOT->ADBShootDt[dbhKYO];
            bool slow = AOT->SDt && AOT->SDt->DBGDt.DBSlow_f;
            grv = slow ? row.Etc[1] : row.Etc[0];
            spd = row.Spd;
            break;
        }
        default: grv = JPa_f ? p.JPAGRV : p.PAGRV; spd = JPa_f ? p.JPASPD : p.PASPD; break;
    }
    double g = PASPDIV(grv);
    double s = PASPMAG(spd);
    if (s <= 0) s = 1;  // a table without pass speeds still gives a finite arc
    double vx, vz;
    int64_t arrival;
    if (mZ < mX) {
        arrival = Trunc(mX / s);
        vx = s;
        vz = s * mZ / mX;
    } else {
        arrival = Trunc(mZ / s);
        vz = mZ != 0 ? s : 0;
        vx = mZ != 0 ? s * mX / mZ : 0;
    }
    double t = std::max(mX, mZ) / s;
    double vy;
    if (Level_f)
        vy = g * t / 2;
    else
        vy = arrival * g / 2 - (arrival != 0 ? double(DBall->Zh().Y) / arrival : 0);
    mX = Trunc(vx);
    mY = Trunc(vy);
    mZ = Trunc(vz);
    tPaGrv = Trunc(g);
    return Sat(arrival);
}

void TDBPlayer::SetPass(bool JPa_f) {
    if (!DBall || !MySt) return;
    const CstDB& db = DB();
    DBBallState& b = *DBall->MySt;
    TZahyou& bz = DBall->Zh();
    const TZahyou& z = *MyZahyou;
    int32_t passer = b.HoldPNo;
    DBall->SetMType(dbbPass);
    bz.X = z.X;
    bz.Y = Sat(int64_t(z.Y) + 1600);
    bz.Z = z.Z;

    GetTagDist(false, false, false, false);
    int32_t eta = PAngle(tdx, tdy, tdz, true, JPa_f);
    bz.dX = Sat(int64_t(tdxs) * tdx);
    bz.dZ = Sat(int64_t(tdzs) * tdz);
    TDBPlayer* rc = DBall->PlayerAt(SideNo, b.PaTgPNo);
    bool jump = JPa_f;
    if (rc && rc->MySt && rc->MySt->Motion.MF.Has(dbmfAr)) {
        bz.dY = Sat(int64_t(tdy) + db.DBPASS.PATAGY - bz.Y / 100);
        jump = false;
    } else {
        bz.dY = Sat(int64_t(tdy) + (jump ? db.DBPASS.JPATAGY : db.DBPASS.PATAGY));
    }

    b.PaETA_c = eta;
    b.NoHit_c = db.DBPASS.THROUGHTIME;
    b.PaJPa_f = jump;
    b.PaJC_f = jump && bz.Y >= int64_t(db.DBPASS.PACANOJPY) * 100;
    b.PaLine = tPaLine;
    b.PaGrv = tPaGrv;
    b.ShSt = DBShootState{};
    b.ShSt.HSNo = dbhNML;
    b.ShSt.Spin = 10;

    TeamSetCtrl(AOT, EnSideNo, b.PaCtPNo);
    DBall->GetBoundLandPos(b.PaGrv);
    TeamSeekCover(AOT, SideNo, passer);
    SEPlay(Glb, 30);
}

void TDBPlayer::SettingSE() {
    if (!MySt || !AOT->GDt) return;
    int se = PlayerFrameAni(this).SE;
    if (se == 0) return;
    SESet(Glb, se == 1 ? 15 : se);
}
