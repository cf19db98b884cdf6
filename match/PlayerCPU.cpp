// Automatic and CPU movement decisions: each frame they choose the behaviour
// NextAuto with its movement and dash wish, and SetAutoMove turns it into
// motions.
#include "match/clsObject.h"

void TDBPlayer::InitAutoTypeMuki() {}
void TDBPlayer::CheckAutoReturn() {}
void TDBPlayer::CheckAutoGetter(bool) {}
void TDBPlayer::CheckPassCover() {}
bool TDBPlayer::CheckShCvJp() { return false; }
void TDBPlayer::CheckShootCover() {}
void TDBPlayer::CheckPassCatchJp() {}
void TDBPlayer::CheckPassCatchMotion() {}
DSType TDBPlayer::CheckDS(bool) { return dsNone; }
void TDBPlayer::CheckDodge() {}
void TDBPlayer::CheckDodgeCPU() {}
void TDBPlayer::CheckShootCPU() {}
void TDBPlayer::CheckMovePos() {}
void TDBPlayer::SetAutoMove() {}
void TDBPlayer::AutoMove() {}
void TDBPlayer::AutoMoveCPU() {}
void TDBPlayer::GoToBall() {}
