#include "match/clsObject.h"

void TDBPlayer::BallGet(bool) {}
void TDBPlayer::OnReMove(bool, bool) {}
void TDBPlayer::OnSetOS() {}
