#include "match/PlayerControlSeams.h"

#include <string>

namespace mcs {

const CstDB& DB() {
    static const CstDB empty{};
    return GC ? GC->DB : empty;
}

const DBGameData& GameData(const TDBPlayer& p) {
    static const DBGameData none{};
    return p.AOT && p.AOT->SDt ? p.AOT->SDt->DBGDt : none;
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

// ------------------------------------------------------------ motions

namespace {

constexpr uint16_t F(DBMotionFlag f) { return MFBit(f); }

struct MotionRow {
    uint16_t flags;
    bool keepDs;
    DBMotionType stored;
};

MotionRow Row(DBMotionType t) {
    const uint16_t Ar = F(dbmfAr), Ds = F(dbmfDs), Act = F(dbmfAct), Dam = F(dbmfDam),
                   MTK = F(dbmfMTK), JpOK = F(dbmfJpOK), Muki = F(dbmfMuki), ENG = F(dbmfENG),
                   FIX = F(dbmfFIX), ARv = F(dbmfARv), PHit = F(dbmfPHit), PW = F(dbmfPW);
    switch (t) {
        case dbmtSt: case dbmtWk: return {uint16_t(JpOK | Muki), false, t};
        case dbmtDs: return {uint16_t(Ds | JpOK), false, t};
        case dbmtJCr: return {uint16_t(Ar | Act), true, t};
        case dbmtJ2: return {uint16_t(Ar | Muki), true, t};
        case dbmtARv: return {uint16_t(Ar | Muki | ARv), false, dbmtJ2};
        case dbmtCr: case dbmtCM: case dbmtOvL: return {Act, t == dbmtOvL, t};
        case dbmtFlF: case dbmtFlB: return {uint16_t(Ar | Dam | MTK), false, t};
        case dbmtPHF: case dbmtPHB: return {PHit, false, t};
        case dbmtKG: case dbmtDn: case dbmtDRv: case dbmtRoF: case dbmtRoB: return {Dam, false, t};
        case dbmtPW: return {uint16_t(JpOK | Muki | PW), false, t};
        case dbmtPWWk: return {uint16_t(JpOK | Muki | PW), false, dbmtWk};
        case dbmtPWDs: return {uint16_t(Ds | JpOK | PW), false, dbmtDs};
        case dbmtSl: return {uint16_t(Act | JpOK), false, t};
        case dbmtSh: case dbmtPa: case dbmtCa: case dbmtDg: return {Act, true, t};
        case dbmtJSh: case dbmtJPa: case dbmtJCa: case dbmtJDg: return {uint16_t(Ar | Act), true, t};
        case dbmtENG: return {uint16_t(Ar | Dam | MTK | ENG | FIX), false, t};
        case dbmtWIN: case dbmtLOSE: return {FIX, false, t};
    }
    return {0, false, t};
}

}  // namespace

void SetMtype(TDBPlayer& p, DBMotionType t, bool reset) {
    DBPlayerState& st = *p.MySt;
    if (st.Motion.MF.Has(dbmfFIX)) return;
    if (!reset && t == st.Motion.Mtype) return;
    if (t != dbmtPWWk && t != dbmtPWDs) {
        st.Motion.M_c = 0;
        st.Anime.FrameNo = 0;
        st.Anime.LoopStNo = 0;
        st.Catch_c = -1;
        st.ECDdg_c = 0;
        st.DsAcc_c = 0;
        Z(p).Fric_c = 0;
        st.CatchW_c = 0;
        if (t != dbmtFlF && t != dbmtFlB) st.Down_c = 0;
        st.LandSet_f = 0;
    }
    const bool air = st.Motion.MF.Has(dbmfAr);
    if (air) {
        if (t == dbmtSt) t = dbmtJ2;
        else if (t == dbmtSh) t = dbmtJSh;
        else if (t == dbmtPa) t = dbmtJPa;
        else if (t == dbmtCa) t = dbmtJCa;
    } else {
        if (t == dbmtJ2) t = dbmtSt;
        else if (t == dbmtJSh) t = dbmtSh;
        else if (t == dbmtJPa) t = dbmtPa;
        else if (t == dbmtJCa) t = dbmtCa;
    }
    MotionRow r = Row(t);
    uint16_t flags = r.flags;
    if (r.keepDs && st.Motion.MF.Has(dbmfDs)) flags |= F(dbmfDs);
    st.Motion.MF = flags;
    if (t == dbmtJSh || t == dbmtJPa) st.AirAct_f = 1;
    if (t == dbmtJCa || t == dbmtJDg) st.AirAct_f = st.AirCatch_f = 1;
    if (t == dbmtENG) st.Dead_f = 1;
    if (!(flags & F(dbmfAr))) {
        st.Air_c = 0;
        st.AirCatch_f = 0;
        st.AirAct_f = 0;
    }
    st.Motion.Mtype = r.stored;
}

// ------------------------------------------------------------ queries

bool CPU_f(const TDBPlayer& p) {
    const DBGameData& g = GameData(p);
    return g.DBCPUNum == 2 || (g.DBCPUNum == 1 && p.SideNo == 1);
}

bool Ctrl_f(const TDBPlayer& p) { return TeamSt(p, p.SideNo).CtrlNo == p.PosNo; }

bool Ball_f(const TDBPlayer& p) {
    const DBBallState& b = Ball(p);
    return b.HoldTNo == p.SideNo && b.HoldPNo == p.PosNo;
}

bool PaTag_f(const TDBPlayer& p) {
    const DBBallState& b = Ball(p);
    return b.Motion == dbbHold && b.PaTgTNo == p.SideNo && b.PaTgPNo == p.PosNo;
}

bool ShTag_f(const TDBPlayer& p) {
    const DBBallState& b = Ball(p);
    return (b.Motion == dbbHold || b.Motion == dbbShoot) && b.ShTgTNo == p.SideNo &&
           b.ShTgPNo == p.PosNo;
}

bool CheckCtrlalbe(const TDBPlayer& p) { return !p.MySt->Dead_f && !HasMF(p, dbmfDam); }

bool CheckFreeMotion(const TDBPlayer& p, bool checkAutoType) {
    if (!p.Live_f || p.MySt->Dead_f || Kagami_f(p) || HasMF(p, dbmfDam) || HasMF(p, dbmfENG))
        return false;
    if (!checkAutoType) return true;
    DBAutoType a = p.MySt->Auto.AutoType;
    return a == dbaFree || a == dbaPos || a == dbaPos2 || a == dbaShCv;
}

int32_t LeftX(const TDBPlayer& p, int32_t x) {
    bool mirror = p.Infield_f ? p.SideNo == 1 : p.SideNo == 0;
    return mirror ? DBCOURT_W - x : x;
}
int32_t LeftCrtX(const TDBPlayer& p) { return LeftX(p, Z(p).X); }

bool CheckLandEnPos(const TDBPlayer& p) {
    return p.Infield_f && LeftX(p, p.MySt->LandX) > 25200;
}

bool CheckPaCoverMan(const TDBPlayer& p) {
    const DBBallState& b = Ball(p);
    return TeamSt(p, p.SideNo).CvrNo == p.PosNo && b.Motion == dbbPass && b.PaTgTNo == p.SideNo &&
           b.PaTgPNo >= 0 && b.PaTgPNo <= 3 && b.PaTgPNo != p.PosNo;
}

int32_t GetSLX(const TDBPlayer& p) { return 7400 + (Z(p).Z - 2200) * 10 / 33; }

MukiTypeA GetMoveMuki(const TDBPlayer& p, bool DI_f) {
    if (CPU_f(p) || !Ctrl_f(p) || (!DI_f && p.MySt->Auto.AutoType != dbaFree))
        return p.MySt->Auto.AMuki;
    if (Crs2(p, cL)) return maL;
    if (Crs2(p, cR)) return maR;
    return maN;
}

MukiZTypeA GetMoveMukiZ(const TDBPlayer& p, bool DI_f) {
    if (CPU_f(p) || !Ctrl_f(p) || (!DI_f && p.MySt->Auto.AutoType != dbaFree))
        return p.MySt->Auto.AMukiZ;
    if (Crs2(p, cU)) return mzaB;
    if (Crs2(p, cD)) return mzaF;
    return mzaN;
}

void ZeroXYZ(TDBPlayer& p) {
    TZahyou& z = Z(p);
    z.dX = z.dY = z.dZ = 0;
    z.Fric_c = 0;
    p.MySt->AirFric_c = 0;
}

void BallGet(TDBPlayer& p, bool noSE) {
    DBPlayerState& st = *p.MySt;
    st.AirAct_f = 0;
    st.LastLRKey = maN;
    if (HasMF(p, dbmfAr)) SetMtype(p, dbmtJ2, false);
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
            if (CPU_f(p)) {
                b.ShTgTNo = p.EnSideNo;
                b.ShTgPNo = TeamSt(p, p.EnSideNo).CtrlNo;
            }
        }
    }
}

// ------------------------------------------------------------ teams

DBTeamState& TeamSt(const TDBPlayer& p, int side) {
    static DBTeamState standIn[DBSIDES] = {};
    (void)p;
    return standIn[side & 1];
}

void SeekCtrl(const TDBPlayer& p, int side) {
    int best = -1;
    int32_t bestDist = 0;
    for (int i = 0; i < 4; ++i) {
        TDBPlayer* q = Player(p, side, i);
        if (!q || !q->MySt || !CheckCtrlalbe(*q)) continue;
        int32_t d = Dist(int64_t(Z(*q).X) - BallZ(p).X, int64_t(Z(*q).Z) - BallZ(p).Z);
        if (best < 0 || d < bestDist) {
            best = i;
            bestDist = d;
        }
    }
    TeamSt(p, side).CtrlNo = best;
}

void SetCtrl(const TDBPlayer& p, int side, int pos) {
    if (pos < 0) return;
    TDBPlayer* q = Player(p, side, pos);
    if (q && q->MySt && CheckCtrlalbe(*q)) TeamSt(p, side).CtrlNo = pos;
    else SeekCtrl(p, side);
}

int GetInfPaTg(const TDBPlayer& p, int side) {
    int best = -1;
    int32_t bestX = 0;
    for (int i = 0; i < 4; ++i) {
        TDBPlayer* q = Player(p, side, i);
        if (!q || !q->MySt || !CheckFreeMotion(*q, true) || CheckLandEnPos(*q)) continue;
        int32_t x = LeftCrtX(*q);
        if (best < 0 || x > bestX) {
            best = i;
            bestX = x;
        }
    }
    return best < 0 ? 0 : best;
}

bool LastOne_f(const TDBPlayer& p, int side) {
    int alive = 0;
    for (int i = 0; i < 4; ++i) {
        TDBPlayer* q = Player(p, side, i);
        if (q && q->MySt && !q->MySt->Dead_f) ++alive;
    }
    return alive == 1;
}

bool AllDead_f(const TDBPlayer& p, int side) {
    for (int i = 0; i < 4; ++i) {
        TDBPlayer* q = Player(p, side, i);
        if (q && q->MySt && !q->MySt->Dead_f) return false;
    }
    return true;
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
bool Crs2X(const TDBPlayer& p) { return Crs2(p, cL) || Crs2(p, cR); }
bool Crs2Y(const TDBPlayer& p) { return Crs2(p, cU) || Crs2(p, cD); }
bool AnyCrs2(const TDBPlayer& p) { return Crs2X(p) || Crs2Y(p); }
bool Btn(const TDBPlayer& p, BtnType b) { return p.DI && p.DI->CheckBtn(b, 0); }
bool Btn2(const TDBPlayer& p, BtnType b) { return p.DI && p.DI->CheckBtn2(b, 0); }

bool Jump(const TDBPlayer& p) {
    if (!p.DI) return false;
    return (Btn2(p, bA) && Btn(p, bB)) || (Btn2(p, bB) && Btn(p, bA)) ||
           (Btn(p, bY) && p.DI->PadNo == 0);
}

DHKind DHKey(const TDBPlayer& p) {
    if (!p.DI) return dhN;
    // Direction d alone one step ago, then no direction, then d alone again,
    // within the double-tap window, with no other direction between.
    const CrsType dirs[4] = {cU, cD, cL, cR};
    auto word = [&](int pos) {
        int w = 0;
        for (int i = 0; i < 4; ++i)
            if (p.DI->CheckCrs2(dirs[i], pos)) w |= 1 << i;
        return w;
    };
    for (int d = 0; d < 4; ++d) {
        const int bit = 1 << d;
        const int pattern[3] = {bit, 0, bit};
        int matched = 0;
        for (int i = 0; i <= p.DI->DHTIME; ++i) {
            int w = word(i + 1);
            if (i == 0) {
                if (w != bit) break;
                matched = 1;
                continue;
            }
            if (w != bit && w != 0) break;
            if (w == pattern[matched]) ++matched;
            if (matched > 2) return DHKind(dhU + d);
        }
    }
    return dhN;
}

}  // namespace mcs
