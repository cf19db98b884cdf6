#include "match/PlayerControlSeams.h"

#include <string>

namespace mcs {

const CstDB& DB() {
    static const CstDB empty{};
    return GC ? GC->DB : empty;
}

TDBPlayer* Player(const TDBPlayer& p, int side, int pos) {
    if (!p.AOT || !p.AOT->AO || side < 0 || side >= DBSIDES || pos < 0 || pos >= DBPOSITIONS)
        return nullptr;
    return p.AOT->AO->DB6[side][pos].get();
}

void SEPlay(const TDBPlayer& p, int no) {
    if (p.Glb && p.Glb->OC) p.Glb->OC->SEPlay(no);
}
void SESet(const TDBPlayer& p, int no) {
    if (p.Glb && p.Glb->OC) p.Glb->OC->SESet(no);
}
void DbgTxt(const TDBPlayer& p, const std::string& key, int32_t value) {
    if (p.Glb) p.Glb->SetDbgTxt(key, value);
}

// ------------------------------------------------------------ the ball

void BallGet(TDBPlayer& p, bool noSE) {
    DBPlayerState& st = *p.MySt;
    st.AirAct_f = 0;
    st.LastLRKey = maN;
    if (p.HasMF(dbmfAr)) p.SetMtype(dbmtJ2, false);
    if (!noSE) SEPlay(p, 12);
    p.SetCtrlMe();
    DBBallState& b = Ball(p);
    BallSetMType(p, dbbHold);
    b.HoldTNo = b.PichTNo = p.SideNo;
    b.HoldPNo = b.PichPNo = p.PosNo;
    b.EnemTNo = p.EnSideNo;
    b.ShTgTNo = b.ShTgPNo = b.PaTgTNo = b.PaTgPNo = -1;
    p.SetMukiAglFromMuki();
    p.PaTagSet();
    if (!AllDead_f(p, p.EnSideNo)) {
        int t = p.GetTag(false);
        if (t >= 0) {
            SetCtrl(p, p.EnSideNo, t);
            b.ShTgTNo = p.EnSideNo;
            b.ShTgPNo = t;
        } else {
            SetCtrl(p, p.EnSideNo, p.GetTag(true));
            if (p.CPU_f()) {
                b.ShTgTNo = p.EnSideNo;
                b.ShTgPNo = TeamSt(p, p.EnSideNo).CtrlNo;
            }
        }
    }
}

// ------------------------------------------------------------ teams

// The teams answer these.
static TDBTeam* Team(const TDBPlayer& p, int side) {
    if (!p.AOT || !p.AOT->AO || side < 0 || side >= DBSIDES) return nullptr;
    return p.AOT->AO->DBT[side].get();
}

DBTeamState& TeamSt(const TDBPlayer& p, int side) {
    // A player outside a match object set gets a scratch record.
    static DBTeamState scratch[DBSIDES] = {};
    if (TDBTeam* t = Team(p, side)) return t->TSt;
    return scratch[side & 1];
}

void SeekCtrl(const TDBPlayer& p, int side) {
    if (TDBTeam* t = Team(p, side)) t->SeekCtrl(true);
}

void SetCtrl(const TDBPlayer& p, int side, int pos) {
    if (TDBTeam* t = Team(p, side)) t->SetCtrl(pos);
}

int GetInfPaTg(const TDBPlayer& p, int side) {
    TDBTeam* t = Team(p, side);
    return t ? t->GetInfPaTg() : 0;
}

bool LastOne_f(const TDBPlayer& p, int side) {
    TDBTeam* t = Team(p, side);
    return t && t->LastOne_f();
}

bool AllDead_f(const TDBPlayer& p, int side) {
    TDBTeam* t = Team(p, side);
    return t && t->AllDead_f();
}

// ------------------------------------------------------------ the ball

void BallSetMType(const TDBPlayer& p, DBBallMotionType t) {
    DBBallState& b = Ball(p);
    b.HoldTNo = b.HoldPNo = -1;
    b.LandSet_f = 0;
    if (t == dbbShoot) b.ShSt = DBShootState{};
    b.Motion = t;
}

int32_t PAngleKyo(const TDBPlayer& p, int32_t& mX, int32_t& mY, int32_t& mZ, bool jump) {
    (void)jump;
    const DBShootData& row = p.AOT->ADBShootDt[dbhKYO];
    const double g = PASPDIV(row.Etc[0]);
    const double s = PASPMAG(row.Spd);
    if (s <= 0) {
        mX = mY = mZ = 0;
        return 0;
    }
    int32_t arrival;
    double vx, vz;
    if (mZ < mX) {
        arrival = int32_t(mX / s);
        vx = s;
        vz = s * mZ / mX;
    } else {
        arrival = int32_t(mZ / s);
        vz = s;
        vx = mZ ? s * mX / mZ : 0;
    }
    double vy = arrival > 0 ? arrival * g / 2 - double(BallZ(p).Y) / arrival : 0;
    mX = int32_t(vx);
    mY = int32_t(vy);
    mZ = int32_t(vz);
    return arrival;
}

// ------------------------------------------------------------ input

bool Crs2(const TDBPlayer& p, CrsType c) { return p.DI && p.DI->CheckCrs2(c, 0); }
bool Crs(const TDBPlayer& p, CrsType c) { return p.DI && p.DI->CheckCrs(c, 0); }
bool Crs2X(const TDBPlayer& p) { return p.DI && p.DI->CheckCrs2X(0); }
bool Crs2Y(const TDBPlayer& p) { return p.DI && p.DI->CheckCrs2Y(0); }
bool AnyCrs2(const TDBPlayer& p) { return p.DI && p.DI->CheckAnyCrs2(); }
bool Btn(const TDBPlayer& p, BtnType b) { return p.DI && p.DI->CheckBtn(b, 0); }
bool Btn2(const TDBPlayer& p, BtnType b) { return p.DI && p.DI->CheckBtn2(b, 0); }
bool Jump(const TDBPlayer& p) { return p.DI && p.DI->CheckJump(); }
DHType DHKey(const TDBPlayer& p) { return p.DI ? p.DI->DHKey : dN; }

}  // namespace mcs
