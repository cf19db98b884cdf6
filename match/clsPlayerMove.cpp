// A player's movement: velocity by motion, gravity, walls, ground and lines.
#include "match/clsObject.h"
#include "shell/GlbRecord.h"

void TDBPlayer::Moving() {}
MukiTypeA TDBPlayer::GetMoveMuki(bool) const { return maN; }
MukiZTypeA TDBPlayer::GetMoveMukiZ(bool) const { return mzaN; }
int32_t TDBPlayer::GetSLX() const { return 7400 + (MyZahyou->Z - 2200) * 10 / 33; }
void TDBPlayer::WallAbs(bool) {}
void TDBPlayer::MoveByMotion() {}
void TDBPlayer::Walk() {}
void TDBPlayer::Dash() {}
void TDBPlayer::LandSlide() {}
void TDBPlayer::Flight() {}
void TDBPlayer::Brake(int32_t) {}
void TDBPlayer::CheckGround() {}
void TDBPlayer::KeepOnLines() {}
const DBSpdData& TDBPlayer::Spd() const {
    static const DBSpdData none{};
    return MyLv.Spd ? *MyLv.Spd : none;
}
bool TDBPlayer::Held(int) const { return false; }
bool TDBPlayer::AnyHeld() const { return false; }
