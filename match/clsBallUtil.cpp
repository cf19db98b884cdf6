#include "match/clsBallUtil.h"

#include "shell/GlbRecord.h"
#include "sound/OggDataLib.h"

namespace ballutil {

const CstDB& DB() {
    static const CstDB empty{};
    return GC ? GC->DB : empty;
}

bool InResult(const TAllObTx* aot) {
    return aot && aot->SDt && aot->SDt->DBGDt.DBSSt == dbssResult;
}

bool IsCPUSide(const TAllObTx* aot, int side) {
    if (!aot || !aot->SDt) return false;
    int n = aot->SDt->DBGDt.DBCPUNum;
    return n == 2 || (n == 1 && side == 1);
}

void SEPlay(TGlobalSAI* glb, int no) {
    if (glb && glb->OC) glb->OC->SEPlay(no);
}
void SESet(TGlobalSAI* glb, int no) {
    if (glb && glb->OC) glb->OC->SESet(no);
}
void SEStop(TGlobalSAI* glb, int no) {
    if (glb && glb->OC) glb->OC->SEStop(no);
}

TDBTeam* Team(const TAllObTx* aot, int side) {
    if (!aot || !aot->AO || side < 0 || side >= DBSIDES) return nullptr;
    return aot->AO->DBT[side].get();
}

// Until the team keeps its state record, the requests have nowhere to go.
DBTeamState* TeamState(const TAllObTx*, int) { return nullptr; }

void TeamPosReset(const TAllObTx* aot, int side, bool on) {
    if (DBTeamState* t = TeamState(aot, side)) t->PosReset_f = on;
}

void TeamSeekCtrl(const TAllObTx*, int) {}

int32_t TeamCtrlNo(const TAllObTx* aot, int side) {
    if (DBTeamState* t = TeamState(aot, side)) return t->CtrlNo;
    return -1;
}

void TeamSetCtrl(const TAllObTx*, int, int32_t) {}
void TeamSeekCover(const TAllObTx*, int, int32_t) {}

bool TeamAllDead(const TAllObTx* aot, int side) {
    if (!aot || side < 0 || side >= DBSIDES) return false;
    for (int k = 0; k < 4; ++k)
        if (!aot->ADBPSt[side][k].Dead_f) return false;
    return true;
}

const DBMnrData& MnrOf(const TDBPlayer* p) {
    static const DBMnrData none{};
    return p && p->MyLv.Mnr ? *p->MyLv.Mnr : none;
}

void PlayerSetMtype(TDBPlayer* p, DBMotionType t, bool) {
    if (p && p->MySt) p->MySt->Motion.Mtype = t;
}

bool PlayerCtrlable(const TDBPlayer* p) {
    return p && p->MySt && !p->MySt->Dead_f && !p->MySt->Motion.MF.Has(dbmfDam);
}

bool PlayerPaCoverMan(const TDBPlayer*) { return false; }

bool PlayerBall_f(const TDBPlayer* p) {
    if (!p || !p->AOT) return false;
    const DBBallState& b = p->AOT->DBBallSt;
    return b.HoldTNo == p->SideNo && b.HoldPNo == p->PosNo;
}

bool PlayerCPU_f(const TDBPlayer* p) { return p && IsCPUSide(p->AOT, p->SideNo); }

const AnimeData& PlayerFrameAni(const TDBPlayer* p) {
    static const AnimeData none{};
    if (!p || !p->MySt || !p->AOT->GDt) return none;
    return p->AOT->GDt->MotionFrame(p->MySt->Motion.MNo, p->MySt->Anime.FrameNo).Ani;
}

}  // namespace ballutil
