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

DBTeamState* TeamState(const TAllObTx* aot, int side) {
    TDBTeam* t = Team(aot, side);
    return t ? &t->TSt : nullptr;
}

namespace {
// A team whose players are all set up for the match: the ball is set up
// before the players at a match's start, and asks nothing of them until then.
TDBTeam* ReadyTeam(const TAllObTx* aot, int side) {
    TDBTeam* t = Team(aot, side);
    if (!t || !t->MyDB6[0]) return nullptr;
    for (int p = 0; p < DBPOSITIONS; ++p) {
        const TDBPlayer* m = aot->AO->DB6[side][p].get();
        if (!m || !m->MySt || !m->MyZahyou) return nullptr;
    }
    return t;
}
}  // namespace

void TeamPosReset(const TAllObTx* aot, int side, bool on) {
    if (DBTeamState* t = TeamState(aot, side)) t->PosReset_f = on;
}

void TeamSeekCtrl(const TAllObTx* aot, int side) {
    if (TDBTeam* t = ReadyTeam(aot, side)) t->SeekCtrl(true);
}

int32_t TeamCtrlNo(const TAllObTx* aot, int side) {
    if (DBTeamState* t = TeamState(aot, side)) return t->CtrlNo;
    return -1;
}

void TeamSetCtrl(const TAllObTx* aot, int side, int32_t pos) {
    if (TDBTeam* t = ReadyTeam(aot, side)) t->SetCtrl(pos);
}
void TeamSeekCover(const TAllObTx* aot, int side, int32_t exclude) {
    if (TDBTeam* t = ReadyTeam(aot, side)) t->SeekCover(exclude);
}

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

void PlayerSetMtype(TDBPlayer* p, DBMotionType t, bool reset) {
    if (p && p->MySt) p->SetMtype(t, reset);
}

bool PlayerCtrlable(const TDBPlayer* p) {
    return p && p->MySt && p->CheckCtrlalbe();
}

bool PlayerPaCoverMan(const TDBPlayer* p) { return p && p->MySt && p->CheckPaCoverMan(); }

bool PlayerBall_f(const TDBPlayer* p) {
    return p && p->MySt && p->Ball_f();
}

bool PlayerCPU_f(const TDBPlayer* p) { return p && p->CPU_f(); }

const AnimeData& PlayerFrameAni(const TDBPlayer* p) {
    static const AnimeData none{};
    if (!p || !p->MySt) return none;
    return p->NowFrameAni();
}

}  // namespace ballutil
