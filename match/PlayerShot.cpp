// The shot step: the kind of shot, its power, level and speed, and its aim.
#include "match/clsObject.h"

void TDBPlayer::SetShoot(bool) {}
bool TDBPlayer::CheckTiming(int, int) { return false; }
bool TDBPlayer::GetShootType() { return false; }
int TDBPlayer::GetShPow(int BP, int SHPer) { return (BP * SHPer + 55) / 100; }
int TDBPlayer::GetShLv(int) { return 1; }
void TDBPlayer::GetShSpeed() {}
void TDBPlayer::GetHShSpeed() {}
void TDBPlayer::ResetSh() {}
void TDBPlayer::SAngle(int32_t&, int32_t&, int32_t&, int32_t) {}
