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
void DbgTxt(const TDBPlayer& p, const std::string& key, int32_t value) {
    if (p.Glb) p.Glb->SetDbgTxt(key, value);
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
