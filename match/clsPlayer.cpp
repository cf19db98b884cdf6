// A player's frame step and motion counter.
//
// One frame of a player always runs in this order: the motion counter, the
// result pose, the ball distances, exactly one control branch (the CPU's
// decision, the human's keys or the automatic decision), the action step,
// and the mover last.
#include "match/clsObject.h"
#include "input/DILib.h"
#include "shell/GlbRecord.h"

namespace {
constexpr int32_t SHTGMAX = 384;   // the shot-target counter wraps here
constexpr int32_t HOLYMAX = 600;   // frames a defeated player stays in the match
}  // namespace

void TDBPlayer::OnMove() {
    MCCount();
    ResultPose();
    GetBallDist();
    if (Ctrl_f() || (CPU_f() && MyDBT->LastOne_f() && Infield_f))
        ControlledStep();
    else
        UncontrolledStep();
    Moving();
}

// In the result every player still standing strikes his team's pose.
void TDBPlayer::ResultPose() {
    if (GameData().DBSSt != dbssResult || MySt->Dead_f) return;
    if (MyDBT->AllDead_f() && MySt->Motion.Mtype != dbmtLOSE) {
        SetMtype(dbmtLOSE, false);
        MyZahyou->Y = 0;
    } else if (MySt->Motion.Mtype != dbmtWIN) {
        SetMtype(dbmtWIN, false);
        MyZahyou->Y = 0;
    }
}

void TDBPlayer::ControlledStep() {
    DBPlayerState& st = *MySt;
    const bool cangeToFree = st.Auto.AutoType != dbaFree;
    if (CPU_f()) {
        if (HasMF(dbmfDam)) return;
        AutoMoveCPU();
        st.Auto = NextAuto;
        if (NextAuto.AutoType == dbaFree && Kagami_f()) {
            KagamiSet();
            return;
        }
        if (Ball_f() && !HasMF(dbmfAct)) {
            ShTagSet(false);
            PaTagSet();
        }
        MCKeyInputAT();
        return;
    }

    InitAutoTypeMuki();
    CheckAutoReturn();
    CheckAutoGetter(false);
    if (!CheckCangeCtrlBall()) st.NoInput_c = 0;
    if (st.Auto.AutoType == dbaFree && NextAuto.AutoType == dbaFree) {
        st.Auto = NextAuto;
        if (Kagami_f()) {
            KagamiSet();
        } else {
            if (CheckCangeCtrlBall()) {
                if (st.Motion.Mtype == dbmtSt && !AnyHeld())
                    ++st.NoInput_c;
                else
                    st.NoInput_c = 0;
                if (GC && st.NoInput_c > GC->DB.DBNAIYA.MOVCTRLTIME) MyDBT->SeekCtrl(true);
            }
            MCKeyInput();
            if (Ball_f() && !HasMF(dbmfAct)) {
                ShTagSet(false);
                PaTagSet();
            }
            MCKeyInputAT();
        }
    } else {
        SetAutoMove();
        if (Ball_f() && !HasMF(dbmfAct)) {
            ShTagSet(false);
            PaTagSet();
            if (cangeToFree) {
                if (BallSt().ShTgPNo == -1) ShTagSet(true);
                EnDBT->SetCtrl(BallSt().ShTgPNo);
            }
        }
        st.Auto = NextAuto;
        MCKeyInputAT();
    }
    if (Glb) Glb->SetDbgTxt("MySt.Step_c", st.Step_c);
}

void TDBPlayer::UncontrolledStep() {
    if (HasMF(dbmfDam) || HasMF(dbmfENG) || MySt->Dead_f) return;
    AutoMove();
    MySt->Auto = NextAuto;
    if (NextAuto.AutoType == dbaFree && Kagami_f())
        KagamiSet();
    else
        MCKeyInputAT();
}

bool TDBPlayer::CheckCangeCtrlBall() const {
    const DBBallState& b = BallSt();
    return b.Motion == dbbFree || b.Motion == dbbBound ||
           (b.Motion == dbbHold && b.HoldTNo != SideNo);
}

bool TDBPlayer::CheckPW() const { return PaTag_f() && !Ctrl_f(); }

void TDBPlayer::KagamiSet() {
    DBMotionType m = MySt->Motion.Mtype;
    if (m != dbmtSt && m != dbmtWk && m != dbmtDs) return;
    SetMtype(dbmtKG, false);
    --MySt->Kagami_c;
}

// ---------------------------------------------------------------- motion counter

void TDBPlayer::MCCount() {
    DBPlayerState& st = *MySt;
    ++st.Motion.M_c;
    if (HasMF(dbmfAr)) ++st.Air_c;
    if (ShTag_f() && st.Motion.Mtype != dbmtENG) {
        if (UpToR(ShTg_c, SHTGMAX, 1)) ShTg_c = 0;
    } else {
        ShTg_c = -1;
    }
    DownTo0(st.CatchW_c, 1);

    bool forced = false;
    const bool pw = HasMF(dbmfPW);
    switch (st.Motion.Mtype) {
        case dbmtSt:
            if (CheckPW()) SetMtype(dbmtPW, false);
            return;
        // The pass-wait walk and dash are stored as the plain ones, so going
        // back restarts the plain motion.
        case dbmtWk:
            if (pw && !CheckPW())
                SetMtype(dbmtWk, true);
            else if (!pw && CheckPW())
                SetMtype(dbmtPWWk, false);
            break;
        case dbmtDs:
            if (pw && !CheckPW())
                SetMtype(dbmtDs, true);
            else if (!pw && CheckPW())
                SetMtype(dbmtPWDs, false);
            break;
        case dbmtPW:
            if (pw && !CheckPW()) SetMtype(dbmtSt, false);
            break;
        case dbmtCr:
            if (st.AirFric_c != 0 || st.JpCr_c != 0) return;
            break;
        case dbmtFlF:
        case dbmtFlB:
            IncMotion(false);
            AirRecovery();
            return;
        case dbmtDn:
            IncMotion(false);
            if (MyLv.Gut && UpToR(st.Down_c, MyLv.Gut->RevFrm, 1)) SetMtype(dbmtDRv, false);
            return;
        case dbmtCM:
            if (MyZahyou->Fric_c != 0) return;
            break;
        case dbmtCa:
        case dbmtJCa:
            if (st.Catch_c != -1) {
                ++st.Catch_c;
                forced = CheckCatchFrm();
            }
            break;
        case dbmtRoF:
        case dbmtRoB:
            if (DownTo0(st.Roll_c, 1)) {
                ZeroXYZ();
                SetMtype(st.HP > 0 ? dbmtDn : dbmtENG, false);
            }
            break;
        case dbmtENG:
            if (UpToR(st.Holy_c, HOLYMAX, 1)) Live_f = false;
            return;
        default: break;
    }
    IncMotion(forced);
}

// A knocked-back player who may recover in the air does so when his
// countdown runs out, unless he flies across the court's end or sticks to
// the ball.
void TDBPlayer::AirRecovery() {
    DBPlayerState& st = *MySt;
    if (st.AirRev_c == -1 || st.Round_f || st.Stick_f) return;
    if (!DownTo0(st.AirRev_c, 1)) return;
    TZahyou& z = *MyZahyou;
    z.dX = z.dX * 75 / 100;
    z.dZ = z.dZ * 75 / 100;
    AutoMukiInit();
    st.Auto.AMuki = z.dX > 0 ? maL : maR;
    st.Auto.AMukiZ = z.dZ > 100 ? mzaB : z.dZ < -100 ? mzaF : mzaN;
    MukiSetAuto();
    SetMtype(dbmtARv, false);
}

void TDBPlayer::IncMotion(bool forced) {
    StAnime& an = MySt->Anime;
    ++an.Ani_c;
    const AnimeData& a = NowFrameAni();
    if (!forced && an.Ani_c < a.Time) return;
    switch (a.LoopP) {
        case 2:
            --an.Loop_c;
            if (an.Loop_c != 0) {
                an.FrameNo = an.LoopStNo;
                SetFrameData(true);
                // A loop count of 0 loops for ever.
                if (an.Loop_c < 0) {
                    an.Loop_c = 0;
                    MySt->Motion.M_c = 0;
                }
            } else {
                NextFrame();
            }
            break;
        case 3:
            --an.Loop_c;
            if (an.Loop_c < 0) an.Loop_c = 0;
            else if (an.Loop_c == 0) NextFrame();
            break;
        default: NextFrame(); break;
    }
}

// A motion ends at its marked last frame, and at its seventh frame at most.
void TDBPlayer::NextFrame() {
    StAnime& an = MySt->Anime;
    if (NowFrameAni().Last_f || an.FrameNo + 1 >= DBMOTION_FRAMES) {
        MotionEnd();
        return;
    }
    ++an.FrameNo;
    SetFrameData(false);
}

// The catch window lasts as long as the catcher's catch row allows for the
// ball coming at him; a holder gets half of it.
bool TDBPlayer::CheckCatchFrm() {
    if (!MyLv.CaT) return false;
    const DBCaTData& c = *MyLv.CaT;
    const bool ez = GameData().DBDif == dbdfEasy;
    const DBBallState& b = BallSt();
    int32_t v;
    if (b.Motion != dbbShoot) {
        v = ez ? c.EZCaFrm_P : c.CaFrm_P;
    } else if (b.ShSt.HSNo != dbhNML) {
        v = ez ? c.EZCaFrm_HS : c.CaFrm_HS;
    } else {
        switch (b.ShSt.ShLv) {
            case 1: v = ez ? c.EZCaFrm_F : c.CaFrm_F; break;
            case 2: v = ez ? c.EZCaFrm_E : c.CaFrm_E; break;
            case 3: v = ez ? c.EZCaFrm_D : c.CaFrm_D; break;
            case 4: v = ez ? c.EZCaFrm_C : c.CaFrm_C; break;
            case 5: v = ez ? c.EZCaFrm_B : c.CaFrm_B; break;
            case 6: v = ez ? c.EZCaFrm_A : c.CaFrm_A; break;
            default: v = ez ? c.EZCaFrm_G : c.CaFrm_G; break;
        }
    }
    if (Ball_f()) v /= 2;
    if (MySt->Catch_c > v) {
        MySt->Catch_c = -1;
        return true;
    }
    return false;
}

void TDBPlayer::MotionEnd() {
    DBPlayerState& st = *MySt;
    switch (st.Motion.Mtype) {
        case dbmtJCr: JumpTakeOff(); break;
        case dbmtKG:
            if (Kagami_f()) {
                --st.Kagami_c;
                SetMtype(dbmtKG, true);
            } else {
                SetMtype(dbmtSt, false);
            }
            break;
        case dbmtCa:
            SetMtype(dbmtSt, false);
            if (MyLv.CaT)
                st.CatchW_c = GameData().DBDif == dbdfEasy ? MyLv.CaT->EZNextCaFrm
                                                           : MyLv.CaT->NextCaFrm;
            break;
        case dbmtRoF:
        case dbmtRoB: break;
        default: SetMtype(HasMF(dbmfAr) ? dbmtJ2 : dbmtSt, false); break;
    }
}

// The crouch before a jump has ended: the player leaves the ground. The
// controlled player jumps the way he holds the pad (a dash jump the way he
// dashes); anyone else jumps straight up.
void TDBPlayer::JumpTakeOff() {
    const bool dash = HasMF(dbmfDs);
    SetMtype(dbmtJ2, false);
    PlaySE(3);
    TZahyou& z = *MyZahyou;
    if (GC) z.dY = dash ? GC->DB.DBJP.DBY : GC->DB.DBJP.BY;
    if (!Ctrl_f()) {
        z.dX = 0;
        z.dZ = 0;
        return;
    }
    const bool cpu = CPU_f();
    int32_t zs = 0, xs = 0;
    if (PosNo != 4 && PosNo != 5 && !cpu) zs = Held(cU) ? 1 : Held(cD) ? -1 : 0;
    // A dash jump goes on the way of the dash for a computer-driven player
    // too: what a computer side does not do is read the pad, and the dash
    // direction is no input. Otherwise its running jump attack would stop
    // dead and go straight up.
    if (dash)
        xs = z.DsMuki() == mR ? 1 : -1;
    else if (PosNo != 6 && !cpu)
        xs = Held(cL) ? -1 : Held(cR) ? 1 : 0;
    const DBSpdData& s = Spd();
    if (dash) {
        z.dX = xs * s.DSJPX;
        z.dZ = 0;
    } else if (xs != 0 && zs != 0) {
        z.dX = xs * s.WkJPNX;
        z.dZ = zs * s.WkJPNZ;
    } else {
        z.dX = xs * s.WkJPX;
        z.dZ = zs * s.WkJPZ;
    }
}
