// The human-controlled player's key step, and the facing and eight-way aim of
// every player. Up on the device is toward the back of the court (growing
// depth), down toward the front.
#include <string>

#include "match/PlayerControlSeams.h"

using namespace mcs;

void TDBPlayer::MCKeyInput() {
    const DHType dh = DHKey(*this);
    const bool dashTap = dh == dL || dh == dR;
    switch (Mtype(*this)) {
        case dbmtSt:
            if (Jump(*this)) {
                JumpSet(true);
            } else if (dashTap) {
                if (Infield_f) DashSet(true);
            } else if (AnyCrs2(*this)) {
                // An outfielder pushing across his line only turns toward the court.
                const bool turnOnly =
                    (PosNo == 6 && !Crs2Y(*this)) || ((PosNo == 4 || PosNo == 5) && !Crs2X(*this));
                if (turnOnly) {
                    if (MukiSet(true, true, false)) SetMtype(dbmtSt, true);
                } else {
                    MukiSet(true, false, false);
                    SetMtype(dbmtWk, false);
                }
                SetLastKeyLR();
            }
            break;
        case dbmtWk: {
            if (Jump(*this)) {
                JumpSet(true);
            } else if (dashTap && Infield_f) {
                DashSet(true);
            } else {
                const bool goOn = Infield_f ? AnyCrs2(*this)
                                  : PosNo == 6 ? Crs2Y(*this)
                                               : Crs2X(*this);
                if (goOn) {
                    MukiSet(true, false, false);
                } else {
                    if (PosNo == 4 || PosNo == 5) MukiSet(true, true, false);
                    else if (PosNo == 6) MyZahyou->SetMuki(SideNo == 1 ? mR : mL);
                    SetMtype(dbmtSt, false);
                }
            }
            SetLastKeyLR();
            break;
        }
        case dbmtDs: {
            const MukiType ds = MyZahyou->FDsMuki;
            if ((ds == mL && Crs2(*this, cR)) || (ds == mR && Crs2(*this, cL)))
                SetMtype(dbmtSl, false);
            else if (Jump(*this))
                JumpSet(true);
            break;
        }
        case dbmtJCr:
        case dbmtCr:
            if (!Infield_f) MukiSet(true, true, false);
            break;
        case dbmtJ2:
            if (HasMF(dbmfAr) && !HasMF(dbmfARv) && AnyCrs2(*this)) {
                const bool changed = Infield_f ? MukiSet(false, false, false) : MukiSet(true, true, false);
                if (changed) SetMtype(dbmtJ2, true);
            }
            SetLastKeyLR();
            break;
        case dbmtCM:
        case dbmtSl:
            break;
        case dbmtCa:
            if (Ball_f()) {
                if (AnyCrs2(*this) && HasMF(dbmfDs) && MukiSet(true, false, false)) {
                    PaTagSet();
                    ShTagSet(false);
                }
            } else {
                CancelJmp();
            }
            break;
        default:
            CancelJmp();
            break;
    }
}

void TDBPlayer::JumpSet(bool mfCheck) {
    if (mfCheck && !HasMF(dbmfJpOK)) return;
    if (HasMF(dbmfPHit)) return;
    SetMtype(dbmtJCr, false);
    ZeroXYZ();
}

bool TDBPlayer::CancelJmp() {
    if (HasMF(dbmfAr)) return false;
    if (MySt->Motion.M_c >= DB().DBJP.JUMPCSLTIME) return false;
    if (!Jump(*this)) return false;
    JumpSet(false);
    return true;
}

void TDBPlayer::DashSet(bool ResetStep_f) {
    const DHType dh = DHKey(*this);
    if (dh == dL) MukiSetDash(mL);
    else if (dh == dR) MukiSetDash(mR);
    else return;
    SetMtype(dbmtDs, false);
    if (ResetStep_f) MySt->Step_c = 1;
}

void TDBPlayer::AutoDashSet() {
    const MukiTypeA w = NextAuto.AMuki;
    const DBMotionType m = Mtype(*this);
    // A dash starts only on the ground from standing, walking or dashing; a
    // player in the air or in an action goes on with it.
    if (m != dbmtSt && m != dbmtWk && m != dbmtDs) return;
    if (m == dbmtDs) {
        const MukiType ds = MyZahyou->FDsMuki;
        if ((ds == mL && w == maR) || (ds == mR && w == maL)) {
            SetMtype(dbmtSl, false);
            return;
        }
    }
    if (w == maL || w == maR) {
        MukiSetDash(w == maL ? mL : mR);
        SetMtype(dbmtDs, false);
    }
}

void TDBPlayer::SetLastKeyLR() {
    if (Crs2(*this, cL)) MySt->LastLRKey = maL;
    else if (Crs2(*this, cR)) MySt->LastLRKey = maR;
    else if (Crs2Y(*this)) MySt->LastLRKey = maN;
}

void TDBPlayer::SetMukiAgl(bool fL, bool fR, bool fU, bool fD) {
    int32_t& agl = MySt->MukiAgl;
    if (Infield_f) {
        if (fL) agl = 6;
        else if (fR) agl = 2;
        if (fD) agl = agl == 2 ? 1 : agl == 6 ? 7 : 0;
        else if (fU) agl = agl == 2 ? 3 : agl == 6 ? 5 : 4;
        return;
    }
    switch (PosNo) {
        case 4:
            if (fL) agl = 5;
            else if (fR) agl = 3;
            break;
        case 5:
            if (fL) agl = 7;
            else if (fR) agl = 1;
            break;
        default:
            if (SideNo == 1) agl = fD ? 1 : fU ? 3 : 2;
            else agl = fD ? 7 : fU ? 5 : 6;
            break;
    }
}

void TDBPlayer::SetMukiAglFromMuki() {
    MySt->MukiAgl = -1;
    const TZahyou& z = *MyZahyou;
    SetMukiAgl(z.FMuki == mL, z.FMuki == mR, z.FMukiZ == mzF, z.FMukiZ == mzB);
}

namespace {

// Whether an aim is one the position may throw along.
bool AglAllowed(int pos, int side, int agl) {
    switch (pos) {
        case 4: return agl >= 3 && agl <= 5;
        case 5: return agl == 0 || agl == 1 || agl == 7;
        case 6:
            if (side == 1) return agl >= 1 && agl <= 4;
            return agl == 0 || (agl >= 5 && agl <= 7);
        default: return true;
    }
}

// Applies a facing wish; true when the facing changed.
bool ApplyWish(TZahyou& z, MukiTypeA m, MukiZTypeA mz) {
    const MukiType oldM = z.FMuki;
    const MukiZType oldMZ = z.FMukiZ;
    if (m == maL) {
        z.SetMuki(mL);
        z.SetMukiZ(mzN);
    } else if (m == maR) {
        z.SetMuki(mR);
        z.SetMukiZ(mzN);
    }
    if (mz == mzaB) z.SetMukiZ(mzB);
    else if (mz == mzaF) z.SetMukiZ(mzF);
    return z.FMuki != oldM || z.FMukiZ != oldMZ;
}

}  // namespace

bool TDBPlayer::MukiSet(bool PosMuki_f, bool PosMuki2_f, bool DI_f) {
    MySt->MukiAgl = -1;
    if (CPU_f() || !Ctrl_f()) {
        const DBStAuto& a = MySt->Auto;
        SetMukiAgl(a.AMuki == maL, a.AMuki == maR, a.AMukiZ == mzaF, a.AMukiZ == mzaB);
    } else {
        SetMukiAgl(Crs2(*this, cL), Crs2(*this, cR), Crs2(*this, cD), Crs2(*this, cU));
    }

    MukiTypeA m = GetMoveMuki(DI_f);
    MukiZTypeA mz = GetMoveMukiZ(DI_f);
    if (PosMuki_f) {
        if (PosNo == 4) {
            if (PosMuki2_f) mz = mzaF;
            else if (mz == mzaB) mz = mzaN;
        } else if (PosNo == 5) {
            if (PosMuki2_f) mz = mzaB;
            else if (mz == mzaF) mz = mzaN;
        } else if (PosNo == 6) {
            m = SideNo == 1 ? maR : maL;
        }
    }
    if (!AglAllowed(PosNo, SideNo, MySt->MukiAgl)) MySt->MukiAgl = -1;

    const bool changed = ApplyWish(*MyZahyou, m, mz);
    if (MySt->MukiAgl == -1) SetMukiAglFromMuki();
    if (PosNo == 5) DbgTxt(*this, "TGGG3 " + std::to_string(SideNo), MySt->MukiAgl);
    return changed;
}

void TDBPlayer::AutoMukiInit() {
    const TZahyou& z = *MyZahyou;
    MySt->Auto.AMuki = z.FMuki == mR ? maR : maL;
    MySt->Auto.AMukiZ = z.FMukiZ == mzF ? mzaF : z.FMukiZ == mzB ? mzaB : mzaN;
}

bool TDBPlayer::MukiSetAuto() {
    if (!ApplyWish(*MyZahyou, MySt->Auto.AMuki, MySt->Auto.AMukiZ)) return false;
    SetMukiAglFromMuki();
    return true;
}

bool TDBPlayer::MukiSetDash(MukiType DsMuki) {
    TZahyou& z = *MyZahyou;
    const MukiType oldM = z.FMuki;
    const MukiZType oldMZ = z.FMukiZ;
    z.SetDashMuki(DsMuki);
    if (z.FMuki == oldM && z.FMukiZ == oldMZ) return false;
    SetMukiAglFromMuki();
    return true;
}

void TDBPlayer::SetCtrlMe() { SetCtrl(*this, SideNo, PosNo); }
