// The human-controlled player's key step, and the facing and eight-way aim of
// every player.
#include "match/clsObject.h"

void TDBPlayer::MCKeyInput() {}
void TDBPlayer::JumpSet(bool) {}
bool TDBPlayer::CancelJmp() { return false; }
void TDBPlayer::DashSet(bool) {}
void TDBPlayer::AutoDashSet() {}
void TDBPlayer::SetLastKeyLR() {}
void TDBPlayer::SetMukiAgl(bool, bool, bool, bool) {}
bool TDBPlayer::MukiSet(bool, bool, bool) { return false; }
void TDBPlayer::AutoMukiInit() {}
bool TDBPlayer::MukiSetAuto() { return false; }
bool TDBPlayer::MukiSetDash(MukiType) { return false; }
void TDBPlayer::SetCtrlMe() {}
void TDBPlayer::SetMukiAglFromMuki() {}
