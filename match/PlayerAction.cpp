// The action step: passes, shots, catches, dodges and pick-ups started from
// the buttons, the automatic behaviours and the CPU's attack.
#include "match/clsObject.h"

void TDBPlayer::MCKeyInputAT() {}
void TDBPlayer::SelfCtrl() {}
void TDBPlayer::LookTg(int, bool) {}
bool TDBPlayer::CheckPickUpPos() { return false; }
void TDBPlayer::AutoPickUp() {}
void TDBPlayer::CheckFreeBallPickUp() {}
void TDBPlayer::CPUAttack() {}
void TDBPlayer::CPUShoot() {}
void TDBPlayer::DelMFDs() {}
void TDBPlayer::Falling() {}
