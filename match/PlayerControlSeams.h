// What the control, decision, action, shot and target steps ask of the rest of
// the match beyond the player's own operations: the tuning table, the other
// players, the teams, the ball, sounds and the input device.
#pragma once
#include <cmath>
#include <cstdint>

#include "input/DILib.h"
#include "match/MatchMath.h"
#include "match/clsObject.h"
#include "shell/GlbConst.h"
#include "shell/GlbRecord.h"
#include "shell/zimraLib.h"
#include "sound/OggDataLib.h"

namespace mcs {

using matchmath::Dist;
using matchmath::Sat;
using matchmath::Trunc;

// The tuning table (a zeroed one while none is loaded).
const CstDB& DB();

inline DBBallState& Ball(const TDBPlayer& p) { return *p.DBall->MySt; }
inline TZahyou& BallZ(const TDBPlayer& p) { return *p.DBall->MyZahyou; }
// The player at a side and position; null outside the court's positions.
TDBPlayer* Player(const TDBPlayer& p, int side, int pos);
inline TDBPlayer* Mate(const TDBPlayer& p, int pos) { return Player(p, p.SideNo, pos); }
inline TDBPlayer* Enemy(const TDBPlayer& p, int pos) { return Player(p, p.EnSideNo, pos); }
inline DBMotionType Mtype(const TDBPlayer& p) { return p.MySt->Motion.Mtype; }

// A sound effect at once, and the authoring build's debug text.
void SEPlay(const TDBPlayer& p, int no);
void DbgTxt(const TDBPlayer& p, const std::string& key, int32_t value);

// -- teams
DBTeamState& TeamSt(const TDBPlayer& p, int side);
void SetCtrl(const TDBPlayer& p, int side, int pos);
int GetInfPaTg(const TDBPlayer& p, int side);
bool LastOne_f(const TDBPlayer& p, int side);

// -- the player's input device (all false for a player without one)
bool Crs2(const TDBPlayer& p, CrsType c);  // held now
bool Crs(const TDBPlayer& p, CrsType c);   // pushed now
bool Crs2X(const TDBPlayer& p);
bool Crs2Y(const TDBPlayer& p);
bool AnyCrs2(const TDBPlayer& p);
bool Btn(const TDBPlayer& p, BtnType b);   // pushed now
bool Btn2(const TDBPlayer& p, BtnType b);  // held now
bool Jump(const TDBPlayer& p);
// The double-tap result of the last scan.
DHType DHKey(const TDBPlayer& p);

}  // namespace mcs
