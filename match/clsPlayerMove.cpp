// A player's movement: velocity by motion, gravity, walls, ground, the lines
// of his position and his landing point. All in 1/100 pixel per frame.
#include <cmath>
#include <cstdlib>

#include "match/clsObject.h"
#include "match/MatchMath.h"
#include "input/DILib.h"
#include "shell/GlbRecord.h"

namespace {

constexpr int32_t MINDY = -800;  // fastest fall per frame
constexpr int32_t O2XMIN = 9000, O3XMIN = 7400;  // outfield lines' ends, own-court X
constexpr int32_t O6INSET = 1600;                // position 6 stands this far behind the end line

const CstDB& DB() {
    static const CstDB none{};
    return GC ? GC->DB : none;
}

int32_t Sign(int32_t v) { return v > 0 ? 1 : v < 0 ? -1 : 0; }

bool Flying(DBMotionType m) { return m == dbmtFlF || m == dbmtFlB; }

bool JumpMotion(DBMotionType m) {
    return m == dbmtJ2 || m == dbmtJSh || m == dbmtJPa || m == dbmtJCa || m == dbmtJDg;
}

// v moved toward 0 by d, stopping at 0.
int32_t Toward0(int32_t v, int64_t d) {
    if (v > 0) return int32_t(std::max<int64_t>(0, v - d));
    if (v < 0) return int32_t(std::min<int64_t>(0, v + d));
    return 0;
}

}  // namespace

void TDBPlayer::Moving() {
    TZahyou& z = *MyZahyou;
    DBPlayerState& st = *MySt;
    MoveByMotion();
    if (z.dY < MINDY) z.dY = MINDY;
    if (Flying(st.Motion.Mtype)) {
        const int32_t per = DB().DBDAM.FLYSPDPER;
        z.X += PercentageW(z.dX, per);
        z.Y += PercentageW(z.dY, per);
        z.Z += PercentageW(z.dZ, per);
    } else {
        z.X += z.dX;
        z.Y += z.dY;
        z.Z += z.dZ;
    }
    if (z.Z < 0) z.Z = 0;

    // A player flying round the court comes back in at the other end.
    if (z.X > DBCOURT_W || z.X < 0) {
        const bool right = z.X > DBCOURT_W;
        if (Flying(st.Motion.Mtype) && st.Round_f) {
            z.X = right ? 1 : DBCOURT_W - 1;
            if (st.AirRev_c != -1) st.Round_f = 0;
        } else {
            z.X = right ? DBCOURT_W : 0;
            WallAbs(false);
        }
    }
    if (z.Z > DBCRT_BACKWALL) {
        z.Z = DBCRT_BACKWALL;
        st.Roll_c = 0;
        WallAbs(true);
    }
    CheckGround();
    if (z.Y > DBCRT_CEILING) z.Y = DBCRT_CEILING;
    KeepOnLines();

    if (JumpMotion(st.Motion.Mtype)) {
        GetLandPos(DB().DBJP.GRV);
    } else if (Flying(st.Motion.Mtype)) {
        GetLandPos(DB().DBDAM.FLYGRV);
    } else {
        st.LandX = z.X;
        st.LandZ = z.Z;
    }
}

void TDBPlayer::MoveByMotion() {
    TZahyou& z = *MyZahyou;
    DBPlayerState& st = *MySt;
    const bool ds = HasMF(dbmfDs);
    switch (st.Motion.Mtype) {
        case dbmtWk: Walk(); break;
        case dbmtDs: Dash(); break;
        case dbmtJ2:
        case dbmtJSh:
        case dbmtJPa:
        case dbmtJCa:
        case dbmtJDg:
            if (HasMF(dbmfAr)) z.dY -= DB().DBJP.GRV;
            break;
        case dbmtCr: LandSlide(); break;
        case dbmtFlF:
        case dbmtFlB: Flight(); break;
        case dbmtCM:
            z.dX = int32_t(int64_t(z.Fric_c) * st.FricX / 100);
            z.dZ = int32_t(int64_t(z.Fric_c) * st.FricZ / 100);
            DownTo0(z.Fric_c, 2);
            break;
        case dbmtSl: Brake(Spd().DSFric); break;
        case dbmtSh: Brake(ds ? DB().DBFRIC.SHFRIC : Spd().DSFric); break;
        case dbmtPa: Brake(ds ? DB().DBFRIC.PAFRIC : Spd().DSFric); break;
        case dbmtCa:
        case dbmtDg:
            if (ds)
                Brake(Spd().DSFric);
            else
                ZeroXYZ();
            break;
        case dbmtRoF:
        case dbmtRoB: break;
        // A defeated player rises and sways out of the match.
        case dbmtENG:
            z.dX = (st.Holy_c + 22) % 90 > 44 ? -50 : 50;
            z.dY = 75;
            z.dZ = 0;
            break;
        default: ZeroXYZ(); break;
    }
}

void TDBPlayer::Brake(int32_t f) {
    TZahyou& z = *MyZahyou;
    ++z.Fric_c;
    const int64_t d = int64_t(f) * z.Fric_c;
    z.dX = Toward0(z.dX, d);
    z.dZ = Toward0(z.dZ, d);
}

// Outfielders walk only along their line; anyone on an automatic errand
// walks where it takes him.
void TDBPlayer::Walk() {
    TZahyou& z = *MyZahyou;
    ZeroXYZ();
    const DBSpdData& s = Spd();
    const bool autoMv = MySt->Auto.AutoType != dbaFree;
    if (Infield_f || autoMv || PosNo == 4 || PosNo == 5) {
        MukiTypeA m = GetMoveMuki(false);
        if (m == maL) z.dX = -FCMAG(s.WkX);
        if (m == maR) z.dX = FCMAG(s.WkX);
    }
    if (Infield_f || autoMv || PosNo == 6) {
        MukiZTypeA m = GetMoveMukiZ(false);
        if (m == mzaB) z.dZ = FCMAG(s.WkZ);
        if (m == mzaF) z.dZ = -FCMAG(s.WkZ);
    }
    if (z.dX != 0 && z.dZ != 0) {
        z.dX = Sign(z.dX) * FCMAG(s.WkNX);
        z.dZ = Sign(z.dZ) * FCMAG(s.WkNZ);
    }
}

// A dash speeds up while its direction is wanted and slows down again when
// not; past its top the acceleration counter is cut back.
void TDBPlayer::Dash() {
    TZahyou& z = *MyZahyou;
    DBPlayerState& st = *MySt;
    const DBSpdData& s = Spd();
    const bool left = z.DsMuki() == mL;
    if (GetMoveMuki(false) == (left ? maL : maR))
        ++st.DsAcc_c;
    else
        DownTo0(st.DsAcc_c, 1);
    z.dX = left ? -FCMAG(s.DSX) : FCMAG(s.DSX);
    MukiZTypeA mz = GetMoveMukiZ(false);
    if (mz != mzaN) {
        z.dX = Sign(z.dX) * FCMAG(s.DSNX);
        z.dZ = mz == mzaB ? FCMAG(s.DSNZ) : -FCMAG(s.DSNZ);
    } else {
        z.dZ = 0;
    }
    const int32_t itv = DB().DBNAIYA.DSACCITV;
    int32_t a = itv > 0 ? st.DsAcc_c / itv * s.DSACC : 0;
    if (a > s.DSMAXACC) {
        st.DsAcc_c = s.DSACC != 0 ? s.DSMAXACC / s.DSACC : 0;
        a = s.DSMAXACC;
    }
    z.dX += Sign(z.dX) * FCMAG(a);
}

void TDBPlayer::LandSlide() {
    TZahyou& z = *MyZahyou;
    DBPlayerState& st = *MySt;
    if (st.AirFric_c > 0) {
        z.dX = int32_t(int64_t(st.AirFric_c) * st.FricX / 100);
        z.dZ = int32_t(int64_t(st.AirFric_c) * st.FricZ / 100);
        DownTo0(st.AirFric_c, 2);
        return;
    }
    DownTo0(st.JpCr_c, 1);
    if (HasMF(dbmfDs))
        Brake(Spd().DSFric);
    else
        ZeroXYZ();
}

// A player stuck to a shot rides it; anyone else falls under the flight's
// gravity.
void TDBPlayer::Flight() {
    TZahyou& z = *MyZahyou;
    DBPlayerState& st = *MySt;
    const DBBallState& b = BallSt();
    if (st.Stick_f && b.Motion != dbbShoot) st.Stick_f = 0;
    if (!st.Stick_f) {
        z.dY -= PercentageW(DB().DBDAM.FLYGRV, DB().DBDAM.FLYSPDPER);
        return;
    }
    const TZahyou& bz = *AOT->BallZahyou();
    z.dY = std::max(bz.dY, 100);
    auto follow = [](int32_t ballV, int32_t ballP, int32_t p) {
        if (ballP < p - 100) return ballV - 100;
        if (ballP > p + 100) return ballV + 100;
        return ballV;
    };
    z.dX = follow(bz.dX, bz.X, z.X);
    z.dZ = follow(bz.dZ, bz.Z, z.Z);
}

void TDBPlayer::WallAbs(bool ZWall_f) {
    TZahyou& z = *MyZahyou;
    DBPlayerState& st = *MySt;
    const DBMotionType m = st.Motion.Mtype;
    if (m == dbmtRoF || m == dbmtRoB) return;
    if (ZWall_f) {
        z.dZ = -z.dZ;
    } else {
        z.dX = -z.dX;
        z.dZ = 0;
    }
    const auto& dam = DB().DBDAM;
    auto scale = [&] {
        z.dX = PercentageW(z.dX, ZWall_f ? dam.ZWALLABSDX : dam.XWALLABSDX);
        z.dZ = PercentageW(z.dZ, ZWall_f ? dam.ZWALLABSDZ : dam.XWALLABSDZ);
    };
    if (Flying(m)) {
        if (!ZWall_f) {
            z.SetMuki(z.RevMuki());
            SetMtype(m, true);
        }
        scale();
        z.dY = dam.WALLBOUNDDY;
    } else if (m == dbmtCM || !(HasMF(dbmfAr) && HasMF(dbmfDs))) {
        const bool held = Ball_f();
        SetMtype(dbmtFlB, false);
        z.dY = dam.WALLBOUNDDY;
        scale();
        if (held) DropBall();
    } else {
        z.dY = 0;
    }
    st.AirRev_c = -1;
    st.Roll_c = 0;
}

// Landing: a knocked-back player rolls or lies down, a jump dodge ends in a
// dodge, any other jump in the landing crouch, sliding on when the jump had
// a slide.
void TDBPlayer::CheckGround() {
    TZahyou& z = *MyZahyou;
    DBPlayerState& st = *MySt;
    if (z.Y >= 0) return;
    st.JpCr_c = 0;
    st.LandSet_f = 0;
    if (HasMF(dbmfDam)) {
        if (st.Roll_c > 0 && std::abs(z.dX) > 100) {
            const DBMotionType m = st.Motion.Mtype;
            z.dX = Sign(z.dX) * FCMAG(DB().DBDAM.ROLLSPD);
            z.dY = 0;
            z.dZ = 0;
            SetMtype(m == dbmtFlF ? dbmtRoB : dbmtRoF, false);
        } else {
            SetMtype(st.HP > 0 ? dbmtDn : dbmtENG, false);
            ZeroXYZ();
        }
    } else if (st.Motion.Mtype == dbmtJDg) {
        SetMtype(dbmtDg, false);
        ZeroXYZ();
    } else {
        SetMtype(dbmtCr, false);
        if (st.AirFric_c <= 0) {
            st.JpCr_c = Spd().JPCrFrm;
            ZeroXYZ();
        } else {
            const double h = std::sqrt(double(z.dX) * z.dX + double(z.dZ) * z.dZ);
            const int32_t k = DB().DBETC.FCTOSAIMAG;
            if (h > 1) {
                st.FricX = matchmath::Trunc(z.dX * double(k) / h);
                st.FricZ = matchmath::Trunc(z.dZ * double(k) / h);
            } else {
                st.AirFric_c = 0;
            }
        }
    }
    z.Y = 0;
}

// Walking, dashing and sliding players keep to their lines while they are
// free or taking up the formation; returning outfielders cannot overshoot.
void TDBPlayer::KeepOnLines() {
    TZahyou& z = *MyZahyou;
    const DBMotionType m = MySt->Motion.Mtype;
    const DBAutoType a = MySt->Auto.AutoType;
    const bool moving = m == dbmtWk || m == dbmtDs || m == dbmtSl;
    if (!moving) {
        if (PosNo == 6 && a == dbaFree && m == dbmtJ2 && z.dX == 0) SetLCrtX(GetSLX() - O6INSET);
        return;
    }
    if (a == dbaReturn) {
        if (PosNo == 4 && z.dZ < 0 && z.Z < DBCRT_O2LINE) z.Z = DBCRT_O2LINE;
        if (PosNo == 5 && z.dZ > 0 && z.Z < DBCRT_O3LINE) z.Z = DBCRT_O3LINE;
        if (PosNo == 6) {
            const bool towardOwn = SideNo == 0 ? z.dX < 0 : z.dX > 0;
            if (towardOwn && GetLCrtX() > GetSLX() - O6INSET) SetLCrtX(GetSLX() - O6INSET);
        }
        return;
    }
    if (a != dbaFree && a != dbaPos && a != dbaPos2) return;
    switch (PosNo) {
        case 4:
            z.Z = DBCRT_O2LINE;
            SetLCrtX(std::clamp(GetLCrtX(), O2XMIN, DBCRT_INFMAX));
            break;
        case 5:
            z.Z = DBCRT_O3LINE;
            SetLCrtX(std::clamp(GetLCrtX(), O3XMIN, DBCRT_INFMAX));
            break;
        case 6:
            z.Z = std::clamp(z.Z, DBCRT_FRONTLINE, DBCRT_BACKLINE);
            SetLCrtX(GetSLX() - O6INSET);
            break;
        default:
            if (a != dbaFree) break;
            z.Z = std::clamp(z.Z, DBCRT_FRONTLINE, DBCRT_BACKLINE);
            if (m == dbmtWk) SetLCrtX(std::clamp(GetLCrtX(), GetSLX(), DBCRT_INFMAX));
            break;
    }
}

MukiTypeA TDBPlayer::GetMoveMuki(bool DI_f) const {
    const DBStAuto& au = MySt->Auto;
    if (CPU_f() || !Ctrl_f()) return au.AMuki;
    if (!DI_f && au.AutoType != dbaFree) return au.AMuki;
    return Held(cL) ? maL : Held(cR) ? maR : maN;
}

MukiZTypeA TDBPlayer::GetMoveMukiZ(bool DI_f) const {
    const DBStAuto& au = MySt->Auto;
    if (CPU_f() || !Ctrl_f()) return au.AMukiZ;
    if (!DI_f && au.AutoType != dbaFree) return au.AMukiZ;
    return Held(cU) ? mzaB : Held(cD) ? mzaF : mzaN;
}

int32_t TDBPlayer::GetSLX() const { return 7400 + (MyZahyou->Z - 2200) * 10 / 33; }

const DBSpdData& TDBPlayer::Spd() const {
    static const DBSpdData none{};
    return MyLv.Spd ? *MyLv.Spd : none;
}

bool TDBPlayer::Held(int c) const { return DI && DI->CheckCrs2(CrsType(c), 0); }

bool TDBPlayer::AnyHeld() const { return Held(cU) || Held(cD) || Held(cL) || Held(cR); }
