#include "match/clsObject.h"

void TDBPlayer::SetPass(bool) {}
void TDBPlayer::GetTagDist(bool, bool, bool, bool) {}
int32_t TDBPlayer::PAngle(int32_t&, int32_t&, int32_t&, bool, bool) { return 0; }
void TDBPlayer::SettingSE() {}
