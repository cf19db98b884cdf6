#include "match/clsBall.h"

void TDBBall::OnJudge() {}
void TDBBall::OSShoot() {}
bool TDBBall::HitCheck(TDBPlayer*) { return false; }
void TDBBall::ShootHit() {}
bool TDBBall::CheckBackHit(const TDBPlayer*) const { return false; }
int32_t TDBBall::GetDamPer(int32_t BP, int32_t DAMPer) { return int32_t(int64_t(BP) * DAMPer / 100); }
int32_t TDBBall::SetShootAgl8() const { return -1; }
void TDBBall::SetAirRev(TDBPlayer*, int32_t) {}
void TDBBall::ShootSEStop() {}
bool TDBBall::CheckCaAgl(const TDBPlayer*, int32_t) { return true; }
