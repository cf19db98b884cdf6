#include "match/clsBall.h"

TDBBall::TDBBall(TAllObTx* aot, TGlobalSAI* glb) : TGenSAIObj(aot, glb), MySt(&aot->DBBallSt) {
    MyZahyou = aot->BallZahyou();
}

void TDBBall::OnInit() { TGenSAIObj::OnInit(); }
void TDBBall::OnMove() {}
void TDBBall::OnSetOS() {}
void TDBBall::OnSave() {}
void TDBBall::OnLoad() {}
void TDBBall::OnDraw() {}
void TDBBall::ZeroXYZ() {}
void TDBBall::SetMType(DBBallMotionType) {}
void TDBBall::SetMTypeHold(int32_t, int32_t) {}
void TDBBall::GetShootLandPos() {}
void TDBBall::GetBoundLandPos(int32_t) {}
void TDBBall::MCCount() {}
void TDBBall::Moving() {}
void TDBBall::CrtPosition() {}
void TDBBall::SetNmlBall(bool) {}
void TDBBall::Spining() {}
void TDBBall::SetZanzouPos() {}
void TDBBall::WallAbs(bool) {}
void TDBBall::SetShootBound() {}
void TDBBall::Curving() {}
bool TDBBall::HSMoving() { return false; }
void TDBBall::SAngle(int32_t&, int32_t&, int32_t&, int32_t) const {}
const DBShootData* TDBBall::HSRow() const { return nullptr; }
const DBBPData& TDBBall::BPRow(int32_t lv) const {
    if (lv < 0) lv = 0;
    if (lv >= DBRANK_ROWS) lv = DBRANK_ROWS - 1;
    return AOT->ADBRankDt[lv].BP;
}
TDBPlayer* TDBBall::PlayerAt(int32_t side, int32_t pos) const {
    if (!AOT->AO || side < 0 || side >= DBSIDES || pos < 0 || pos >= DBPOSITIONS) return nullptr;
    return AOT->AO->DB6[side][pos].get();
}

void TGenDBDraw::OnDraw(int32_t, int32_t, int32_t, int32_t) {}
void TGenDBDraw::OnSadowDraw() {}
