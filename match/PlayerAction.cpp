// The action step: passes, shots, catches, dodges and pick-ups started from
// the human player's buttons, the automatic behaviours and the CPU's attack.
// With the ball, button A passes and B shoots; without it A dodges and B
// catches.
#include "match/PlayerControlSeams.h"

using namespace mcs;

namespace {

bool StWkDs(DBMotionType m) { return m == dbmtSt || m == dbmtWk || m == dbmtDs; }

int Sign(int64_t v) { return (v > 0) - (v < 0); }

// Boxes given as left, top, right, bottom overlap.
bool Meets(const DBRect& a, const DBRect& b) {
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

// The authoring build's key that drops the ball.
bool DropKey(const TDBPlayer& p) { return AuthoringBuild(p.Glb) && Btn(p, bY); }

}  // namespace

void TDBPlayer::MCKeyInputAT() {
    DBPlayerState& st = *MySt;
    const DBMotionType m = Mtype(*this);
    switch (st.Auto.AutoType) {
        case dbaFree:
            if (st.Kagami_c >= 1) {
                if (m == dbmtSt) {
                    SetMtype(dbmtKG, false);
                    --st.Kagami_c;
                }
            } else if (Ctrl_f() && !CPU_f()) {
                SelfCtrl();
            } else {
                CheckFreeBallPickUp();
            }
            break;
        case dbaReturn: {
            if (CPU_f()) break;
            const bool shotOrPass = m == dbmtSh || m == dbmtPa;
            if (!Infield_f) {
                if (shotOrPass) CancelJmp();
                break;
            }
            const DBBallState& b = Ball(*this);
            const bool threat = (b.Motion == dbbHold && b.HoldTNo == EnSideNo) ||
                                (b.Motion == dbbShoot && b.ShTgTNo == SideNo);
            if (StWkDs(m)) {
                if (Btn(*this, bA) && threat) {
                    SetMtype(dbmtDg, false);
                    SEPlay(*this, 30);
                }
            } else if (shotOrPass) {
                CancelJmp();
            } else if (m == dbmtCa || m == dbmtJCa) {
                if (CheckPickUpPos()) BallGet(false);
                if (Ball_f() && AnyCrs2(*this)) MukiSet(false, false, true);
            } else if (m == dbmtDg) {
                ++st.ECDdg_c;
                if (st.ECDdg_c < DB().DBNAIYA.ECYOKERMT && Btn2(*this, bA)) st.Anime.Ani_c = 0;
            }
            break;
        }
        case dbaGet:
            if (StWkDs(m)) AutoPickUp();
            break;
        case dbaPos:
        case dbaPos2:
            CheckFreeBallPickUp();
            break;
        case dbaDg:
            if (st.DdgLag_c == 0) {
                if (StWkDs(m)) {
                    SetMtype(dbmtDg, true);
                    SEPlay(*this, 30);
                } else if (m == dbmtDg) {
                    st.Anime.Ani_c = 0;
                }
            }
            break;
        case dbaCPUCach:
            if (st.DdgLag_c == 0 && StWkDs(m)) {
                SetMtype(dbmtCa, true);
                SEPlay(*this, 30);
            }
            break;
        case dbaCPUSht:
            CPUAttack();
            break;
        default:
            break;
    }
}

void TDBPlayer::SelfCtrl() {
    DBPlayerState& st = *MySt;
    const DBBallState& b = Ball(*this);
    const ATType at = Ball_f() ? ATA
                      : (b.Motion == dbbHold || b.Motion == dbbShoot || b.Motion == dbbPass) ? ATD
                                                                                             : ATF;
    const DBMotionType m = Mtype(*this);
    if (StWkDs(m) || m == dbmtSl) {
        if (at == ATA) {
            if (Btn(*this, bA)) {
                LookTg(b.PaTgPNo, true);
                SetMtype(dbmtPa, false);
            } else if (Btn(*this, bB)) {
                LookTg(b.ShTgPNo, false);
                SetMtype(dbmtSh, false);
            } else if (DropKey(*this)) {
                SetMtype(dbmtSt, false);
                Falling();
            }
        } else if (Btn(*this, bA)) {
            SetMtype(dbmtDg, false);
            SEPlay(*this, 30);
            if (at == ATF && CheckPickUpPos()) BallGet(false);
        } else if (Btn(*this, bB) && st.CatchW_c == 0) {
            SetMtype(dbmtCa, false);
            SEPlay(*this, 30);
        }
        return;
    }
    if (m == dbmtJ2) {
        const TZahyou& z = *MyZahyou;
        if (z.dY < 1 && z.Y < DB().DBJP.NOTKEYH * 100) return;
        if (st.AirAct_f || !HasMF(dbmfAr)) return;
        if (at == ATA) {
            if (Btn(*this, bA)) {
                LookTg(b.PaTgPNo, true);
                SetMtype(dbmtJPa, false);
            } else if (Btn(*this, bB)) {
                LookTg(b.ShTgPNo, false);
                SetMtype(dbmtJSh, false);
            } else if (DropKey(*this)) {
                SetMtype(dbmtJ2, true);
                Falling();
            }
        } else if (Btn(*this, bA)) {
            SetMtype(dbmtJDg, false);
            SEPlay(*this, 30);
        } else if (Btn(*this, bB)) {
            SetMtype(dbmtJCa, false);
            SEPlay(*this, 30);
            if (CheckPickUpPos()) BallGet(false);
        }
        return;
    }
    if (m == dbmtCa || m == dbmtJCa) {
        if (CheckPickUpPos()) BallGet(false);
        // A dash catch goes back to the dash while its direction is held,
        // also when the catch has just taken the ball: a catch on the run
        // keeps running, as a caught shot does for a dashing catcher who
        // holds his way. He throws from the dash on a later step.
        if (Infield_f && Mtype(*this) == dbmtCa && HasMF(dbmfDs) &&
            Crs2(*this, MyZahyou->FDsMuki == mL ? cL : cR)) {
            SetMtype(dbmtDs, false);
        }
        if (!Ball_f() || Mtype(*this) != dbmtCa) return;
        if (Jump(*this)) {
            DelMFDs();
            JumpSet(false);
        } else if (Btn(*this, bA)) {
            if (AnyCrs2(*this)) {
                MukiSet(true, false, false);
                PaTagSet();
            }
            LookTg(b.PaTgPNo, true);
            DelMFDs();
            SetMtype(dbmtPa, false);
        } else if (Btn(*this, bB)) {
            if (AnyCrs2(*this)) {
                MukiSet(true, false, false);
                ShTagSet(false);
            }
            LookTg(b.ShTgPNo, false);
            DelMFDs();
            SetMtype(dbmtSh, false);
        }
        return;
    }
    if (m == dbmtDg || m == dbmtJDg) {
        if (Btn2(*this, bA) && !Ball_f()) st.Anime.Ani_c = 0;
    }
}

void TDBPlayer::LookTg(int TgPNo, bool Pa_f) {
    const TZahyou& z = *MyZahyou;
    TDBPlayer* tag = TgPNo < 0 ? nullptr : Pa_f ? Mate(*this, TgPNo) : Enemy(*this, TgPNo);
    const int64_t fX = int64_t(z.X) + 10 * int64_t(z.dX);
    const int64_t fZ = int64_t(z.Z) + 10 * int64_t(z.dZ);
    if (!tag) {
        if (PosNo == 4 || PosNo == 5) {
            AutoMukiInit();
            MySt->Auto.AMukiZ = PosNo == 4 ? mzaF : mzaB;
            MukiSetAuto();
        }
        return;
    }
    const int64_t tX = tag->MyZahyou->X, tZ = tag->MyZahyou->Z;
    const int64_t dx = tX - fX, dz = tZ - fZ;
    // An infielder's shot at a man right in front of him keeps the facing.
    if (Infield_f && !Pa_f && std::abs(dx) <= 2400 && std::abs(dz) <= 1200) return;
    AutoMukiInit();
    DBStAuto& a = MySt->Auto;
    if (Sign(tX - z.X) == Sign(tX - fX)) a.AMuki = tX < fX ? maL : maR;
    const bool steep = std::abs(dx) < 2 * std::abs(dz);
    if (tZ < fZ) a.AMukiZ = steep ? mzaF : mzaN;
    else a.AMukiZ = steep ? mzaB : mzaN;
    MukiSetAuto();
}

bool TDBPlayer::CheckPickUpPos() {
    const DBBallState& b = Ball(*this);
    if (b.Motion == dbbHold) return false;
    if (b.Motion == dbbShoot && b.PichTNo != SideNo) return false;
    const DBBRec& db = DB().DBB;
    const int32_t reach = b.Motion == dbbFree ? db.FREEATARID : db.ATARID;
    if (!Meets(b.Atari, MySt->Kurai)) return false;
    return std::abs(BallZ(*this).Z / 100 - MyZahyou->Z / 100) < reach;
}

void TDBPlayer::AutoPickUp() {
    if (!CheckPickUpPos()) return;
    SetMtype(dbmtCa, false);
    BallGet(false);
    MukiSet(true, true, false);
    SEPlay(*this, 30);
}

void TDBPlayer::CheckFreeBallPickUp() {
    if (Mtype(*this) == dbmtSt && !HasMF(dbmfAr) && Ball(*this).Motion == dbbBound)
        AutoPickUp();
}

void TDBPlayer::CPUAttack() {
    const DBPlayerState& st = *MySt;
    if (st.CPUSt.Wait_c > 0 || HasMF(dbmfAct)) return;
    if (Infield_f && st.Step_c < st.CPUSt.Ds_c && LeftCrtX() <= 24400) return;
    const DBCPUAtType at = st.CPUSt.AtType;
    if (at == dbcaJSh || at == dbcaJPa) {
        if (HasMF(dbmfJpOK)) JumpSet(false);
        else if (HasMF(dbmfAr) && st.Air_c >= st.CPUSt.Jp_c) CPUShoot();
        return;
    }
    CPUShoot();
}

void TDBPlayer::CPUShoot() {
    DBPlayerState& st = *MySt;
    st.Auto.AutoType = dbaFree;
    const DBMotionType m = Mtype(*this);
    const bool air = m == dbmtJ2;
    const bool start = StWkDs(m) || air;
    const DBBallState& b = Ball(*this);
    if (st.CPUSt.AtType > dbcaJSh) {
        AutoMukiInit();
        if (Infield_f) {
            st.Auto.AMukiZ = Per100(33) ? mzaF : Per100(50) ? mzaB : mzaN;
        } else {
            st.Auto.AMuki = maR;
            st.Auto.AMukiZ = mzaN;
        }
        MukiSetAuto();
        if (Ball_f() && !HasMF(dbmfAct)) {
            ShTagSet(false);
            PaTagSet();
        }
        LookTg(b.PaTgPNo, true);
        if (start) SetMtype(air ? dbmtJPa : dbmtPa, false);
    } else {
        LookTg(b.ShTgPNo, false);
        if (start) SetMtype(air ? dbmtJSh : dbmtSh, false);
    }
}

void TDBPlayer::DelMFDs() {
    MySt->Motion.MF = uint16_t(MySt->Motion.MF & ~MFBit(dbmfDs));
}

void TDBPlayer::Falling() {
    DBall->SetMType(dbbBound);
    TZahyou& bz = BallZ(*this);
    bz.dX = MyZahyou->dX;
    bz.dY = MyZahyou->dY;
    bz.dZ = MyZahyou->dZ;
}
