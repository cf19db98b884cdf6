// A player's frame step and motion counter.
#include "match/clsObject.h"
#include "shell/GlbRecord.h"

void TDBPlayer::OnMove() {}
void TDBPlayer::MCCount() {}
bool TDBPlayer::CheckCangeCtrlBall() const { return false; }
bool TDBPlayer::CheckPW() const { return PaTag_f() && !Ctrl_f(); }
void TDBPlayer::KagamiSet() {}
void TDBPlayer::ResultPose() {}
void TDBPlayer::ControlledStep() {}
void TDBPlayer::UncontrolledStep() {}
void TDBPlayer::IncMotion(bool) {}
void TDBPlayer::NextFrame() {}
bool TDBPlayer::CheckCatchFrm() { return false; }
void TDBPlayer::MotionEnd() {}
void TDBPlayer::JumpTakeOff() {}
