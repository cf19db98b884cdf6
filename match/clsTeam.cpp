// A team: who is controlled, the centre of the enemy infield, the infield
// formation when the enemy holds the ball, and the team's players' steps,
// drawing and saving.
#include "match/clsObject.h"
#include "input/DILib.h"
#include "shell/GameRandom.h"
#include "shell/GlbRecord.h"

namespace {

constexpr int32_t DEFENCX = 11600, DEFENCZ = 5600;  // enemy centre when nobody is seen
constexpr int32_t INFXZ_SIDE = 16500;  // formation distance against an attack from a side line
constexpr int32_t INFXZ_END = 5700;    // against an attack from the end or the infield

const CstDB& DB() {
    static const CstDB none{};
    return GC ? GC->DB : none;
}

int32_t Mid(int32_t a, int32_t b) { return int32_t((int64_t(a) + b) / 2); }

InfLineType LineOf(int32_t pos) {
    switch (pos) {
        case 4: return iltO2;
        case 5: return iltO3;
        case 6: return iltO4;
        default: return iltInf;
    }
}

}  // namespace

TDBTeam::TDBTeam(TAllObTx* aot, TGlobalSAI* glb, uint8_t sideNo)
    : AOT(aot), Glb(glb), SideNo(sideNo), EnSideNo(uint8_t(1 - sideNo)) {
    if (glb && glb->ADI) DI = glb->ADI->DI[sideNo].get();
    TSt.CtrlNo = 0;
}

void TDBTeam::OnInit() {
    if (TAllObj* ao = AOT->AO) {
        for (int i = 0; i < DBPOSITIONS; ++i) {
            MyDB6[i] = ao->DB6[SideNo][i].get();
            EnDB6[i] = ao->DB6[EnSideNo][i].get();
        }
        DBall = ao->DBall.get();
    }
    if (!DI && Glb && Glb->ADI) DI = Glb->ADI->DI[SideNo].get();
    TSt = DBTeamState{};
    TSt.PosReset_f = 1;
}

bool TDBTeam::AllDead_f() const {
    for (int k = 0; k < 4; ++k)
        if (!AOT->ADBPSt[SideNo][k].Dead_f) return false;
    return true;
}

bool TDBTeam::LastOne_f() const {
    int left = 0;
    for (int k = 0; k < 4; ++k)
        if (!AOT->ADBPSt[SideNo][k].Dead_f) ++left;
    return left == 1;
}

// ---------------------------------------------------------------- frame step

void TDBTeam::OnMove() {
    if (!Linked() || !AOT->SDt || AOT->SDt->DBGDt.DBSSt == dbssReady) return;
    const DBBallState& b = AOT->DBBallSt;
    DBPosMove& pm = TSt.PosMove;

    GetCtrl();

    // The enemy centre, recomputed every OPOSITV frames (four times as often
    // against a last man).
    if (DownTo0(pm.EnC_c, 1)) {
        const int32_t itv = DB().DBGAIYA.OPOSITV;
        pm.EnC_c = EnTeam()->LastOne_f() ? itv / 4 : itv;
        if (b.Motion == dbbHold) {
            if (b.HoldTNo == SideNo)
                GetCOG();
            else
                SetDefEnCXZ();
            CheckEnC();
        }
    }

    // While the enemy holds the ball the infield regroups every IPOSITV frames.
    const bool enemyHolds = b.Motion == dbbHold && b.HoldTNo == EnSideNo;
    if (!enemyHolds) {
        pm.Inf_c = DB().DBNAIYA.IPOSITV;
    } else if (DownTo0(pm.Inf_c, 1)) {
        pm.Inf_c = DB().DBNAIYA.IPOSITV;
        TSt.PosReset_f = 1;
    }

    if (TSt.PosReset_f) {
        Positioning();
        TSt.PosReset_f = 0;
        for (TDBPlayer* p : MyDB6)
            if (p->Live_f && p->MySt->Motion.Mtype == dbmtSt) p->SetMtype(dbmtWk, false);
    }

    for (TDBPlayer* p : MyDB6)
        if (p->Live_f) p->OnMove();
}

void TDBTeam::GetCtrl() {
    // A stored state may name no position at all.
    if (TSt.CtrlNo < -1 || TSt.CtrlNo >= DBPOSITIONS) TSt.CtrlNo = -1;
    const DBBallState& b = AOT->DBBallSt;
    // Only the controlled player throws, so while this side holds the ball
    // its holder is controlled whenever he can act: control that passed to a
    // team-mate while the holder was knocked back or crouching comes back to
    // him as soon as he recovers, or nobody would ever throw again.
    if (b.Motion == dbbHold && b.HoldTNo == SideNo && b.HoldPNo >= 0 &&
        b.HoldPNo < DBPOSITIONS && MyDB6[b.HoldPNo]->CheckCtrlalbe())
        SetCtrl(b.HoldPNo);
    if (TSt.CtrlNo == -1 || !MyDB6[TSt.CtrlNo]->CheckCtrlalbe()) SeekCtrl(true);
    if (TSt.CtrlNo == -1) return;
    if (b.Motion == dbbShoot && b.ShTgTNo != SideNo && !MyDB6[TSt.CtrlNo]->CheckCtrlalbe())
        SeekCtrl(true);
    if (TSt.CtrlNo == -1) return;
    // A human hands control to the receiver of a pass by pushing a direction;
    // a computer-driven side reads no device.
    if (b.Motion == dbbPass && b.PaTgTNo == SideNo && b.PaTgPNo >= 0 && b.PaTgPNo <= 3 &&
        GC && b.PaETA_c > GC->DB.DBPASS.PACAJPTIME && MyDB6[b.PaTgPNo]->CheckFreeMotion(true) &&
        !MyDB6[b.PaTgPNo]->CPU_f() && DI && DI->CheckAnyCrs())
        SetCtrl(b.PaTgPNo);
}

// The centre of the free enemy infielders: the mean of the midpoints of the
// edges of the shape they stand in, in own-court X.
void TDBTeam::GetCOG() {
    DBPosMove& pm = TSt.PosMove;
    pm.EnC_f = 1;
    const bool strict = !EnTeam()->LastOne_f();
    int32_t xs[4], zs[4];
    int n = 0;
    for (int i = 0; i < 4; ++i) {
        TDBPlayer* e = EnDB6[i];
        if (!e->CheckFreeMotion(strict)) continue;
        xs[n] = e->LeftCrtX();
        zs[n] = e->MyZahyou->Z;
        ++n;
    }
    auto centre = [n](const int32_t* v) -> int32_t {
        switch (n) {
            case 1: return v[0];
            case 2: return Mid(v[0], v[1]);
            case 3: return (Mid(v[0], v[1]) + Mid(v[1], v[2]) + Mid(v[0], v[2])) / 3;
            default:
                return (Mid(v[0], v[1]) + Mid(v[1], v[2]) + Mid(v[2], v[3]) + Mid(v[0], v[3])) / 4;
        }
    };
    if (n == 0) {
        SetDefEnCXZ();
        pm.EnC_f = 0;
        return;
    }
    pm.EnCX = centre(xs);
    pm.EnCZ = centre(zs);
}

void TDBTeam::CheckEnC() {
    DBPosMove& pm = TSt.PosMove;
    pm.EnCX = std::min(pm.EnCX, DBCRT_INFMAX);
    if (SideNo == 0) pm.EnCX = DBCOURT_W - pm.EnCX;
}

void TDBTeam::SetDefEnCXZ() {
    TSt.PosMove.EnC_f = 1;
    TSt.PosMove.EnCX = DEFENCX;
    TSt.PosMove.EnCZ = DEFENCZ;
}

// The infield's formation order: the line the attack comes from, and a small
// random offset for each infielder (X drawn before Z).
void TDBTeam::Positioning() {
    const DBBallState& b = AOT->DBBallSt;
    InfLineType line;
    if (b.Motion == dbbHold && b.HoldTNo == EnSideNo) {
        line = LineOf(b.HoldPNo);
    } else if (b.Motion == dbbPass && b.PaTgTNo == EnSideNo) {
        line = LineOf(b.PaTgPNo);
    } else if (b.CrtSide[SideNo] == SideNo) {
        line = b.PichTNo == EnSideNo ? LineOf(b.PichPNo) : iltInf;
    } else {
        line = LineOf(b.CrtPos[SideNo]);
    }
    DBPosMove& pm = TSt.PosMove;
    pm.InfLine = line;
    pm.InfXZ = (line == iltO2 || line == iltO3) ? INFXZ_SIDE : INFXZ_END;
    for (int i = 0; i < 4; ++i) {
        pm.Inf_f[i] = 1;
        pm.InfPos[0][i] = Random(10) * 10 - 50;
        pm.InfPos[1][i] = Random(10) * 10 - 50;
    }
}

void TDBTeam::OnReMove() {
    for (TDBPlayer* p : MyDB6)
        if (p && p->Live_f) p->OnReMove(false, false);
}

void TDBTeam::OnSetOS() {
    for (TDBPlayer* p : MyDB6)
        if (p && p->Live_f) p->OnSetOS();
}

// ---------------------------------------------------------------- control

int32_t TDBTeam::GetInfPaTg() const {
    int32_t best = 0, bestX = 0;
    bool found = false;
    for (int i = 0; i < 4; ++i) {
        TDBPlayer* p = MyDB6[i];
        if (!p || !p->CheckFreeMotion(true) || p->CheckLandEnPos()) continue;
        if (!found || p->LeftCrtX() > bestX) {
            best = i;
            bestX = p->LeftCrtX();
            found = true;
        }
    }
    return best;
}

int32_t TDBTeam::SeekCtrl(bool take) {
    int32_t res = -1, best = 0;
    for (TDBPlayer* p : MyDB6)
        if (p) p->GetBallDist();
    for (int i = 0; i < 4; ++i) {
        if (!MyDB6[i]) continue;
        const int32_t d = MyDB6[i]->MySt->BallDist;
        if (d == -1) continue;
        if (res == -1 || d < best) {
            res = i;
            best = d;
        }
    }
    if (take) {
        if (TSt.CtrlNo >= 0 && TSt.CtrlNo < 4) TSt.PosMove.Inf_f[TSt.CtrlNo] = 0;
        TSt.CtrlNo = res;
    }
    return res;
}

void TDBTeam::SeekCover(int32_t exclude) {
    for (TDBPlayer* p : MyDB6)
        if (p) p->GetBallDist();
    const DBBallState& b = AOT->DBBallSt;
    int32_t res = -1, best = 0;
    for (int i = 0; i < 4; ++i) {
        TDBPlayer* p = MyDB6[i];
        if (!p || p->MySt->BallDist == -1 || i == exclude) continue;
        if (b.PaTgTNo == SideNo && b.PaTgPNo == i) continue;
        if (!p->CheckFreeMotion(true)) continue;
        if (res == -1 || p->MySt->BallLandDist < best) {
            res = i;
            best = p->MySt->BallLandDist;
        }
    }
    TSt.CvrNo = res;
}

void TDBTeam::SetCtrl(int32_t p) {
    if (p < 0 || p >= DBPOSITIONS || !MyDB6[p]) return;
    if (MyDB6[p]->CheckCtrlalbe())
        TSt.CtrlNo = p;
    else
        SeekCtrl(true);
}

// ---------------------------------------------------------------- drawing, save

void TDBTeam::OnDraw() {
    TAllObj* ao = AOT->AO;
    if (!ao || !Linked() || !AOT->GDt) return;
    for (int i = 0; i < DBPOSITIONS; ++i) {
        TDBPlayer* p = MyDB6[i];
        if (!p->Live_f) continue;
        const TZahyou& z = *p->MyZahyou;
        const AnimeData& a = p->NowFrameAni();
        ao->DBPCD4[SideNo][i]->OnDrawSetDB(p->Ctrl_f(), a.RevX_f != 0, a.RevY_f != 0,
                                           p->MySt->Motion.M_c, z.MukiSign(), SideNo, i, p->FNo,
                                           z.NowPri(), z.X, z.Y, z.Z, p->ShTg_c, z.Muki(), &a);
    }
    for (int i = 0; i < DBPOSITIONS; ++i) {
        TDBPlayer* p = MyDB6[i];
        if (!p->Live_f) continue;
        const TZahyou& z = *p->MyZahyou;
        TGenCharDraw& d = *ao->DBPCD4[SideNo][i];
        if (!p->MySt->Dead_f) d.OnSadowDraw(z.X - z.MukiSign() * 100, z.Y, z.Z, z.ShadowY, z.NowPri());
        d.OnDraw();
    }
}

void TDBTeam::OnSave() { AOT->SvDt.DBTSt[SideNo] = TSt; }

void TDBTeam::OnLoad() { TSt = AOT->SvDt.DBTSt[SideNo]; }

TDBTeam* TDBTeam::EnTeam() const { return AOT->AO ? AOT->AO->DBT[EnSideNo].get() : nullptr; }
