// Shot and pass targets of the ball holder, kept in the ball's state.
#include "match/clsObject.h"

int TDBPlayer::GetTagAgl(int32_t, int32_t) { return 0; }
bool TDBPlayer::CheckTgOKMotion() { return false; }
void TDBPlayer::ShTagSet(bool) {}
int TDBPlayer::GetTag(bool) { return -1; }
void TDBPlayer::PaTagSet() {}
int TDBPlayer::GetNaiyaTag() { return -1; }
void TDBPlayer::PaCutSet() {}
