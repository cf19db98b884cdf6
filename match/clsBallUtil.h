// Small helpers shared by the ball's units and the player's ball-holding and
// pass steps: the tuning table, saturating narrowing, sound requests and the
// team questions the ball asks.
#pragma once
#include <cmath>
#include <cstdint>
#include <limits>

#include "match/MatchMath.h"
#include "match/clsObject.h"

namespace ballutil {

using matchmath::Dist;
using matchmath::Sat;
using matchmath::Trunc;

// The game's tuning table; a zero table while none is loaded.
const CstDB& DB();

// The remainder in 0..m-1 (m > 0), also for negative counters.
inline int64_t ModL(int64_t c, int64_t m) {
    int64_t r = c % m;
    return r < 0 ? r + m : r;
}
inline int32_t Mod(int32_t c, int32_t m) { return int32_t(ModL(c, m)); }

// The match is in its result phase.
bool InResult(const TAllObTx* aot);
// A side driven by the computer (both sides, or side 1 of a one-player match).
bool IsCPUSide(const TAllObTx* aot, int side);

// Sound effects through the global status object's sound controller: at once,
// at the end of the step, or stopped. Nothing without a controller.
void SEPlay(TGlobalSAI* glb, int no);
void SESet(TGlobalSAI* glb, int no);
void SEStop(TGlobalSAI* glb, int no);

// Team questions and requests; each does nothing (or answers neutrally) for a
// side outside 0..1 or before the match objects exist.
TDBTeam* Team(const TAllObTx* aot, int side);
DBTeamState* TeamState(const TAllObTx* aot, int side);
void TeamPosReset(const TAllObTx* aot, int side, bool on);
void TeamSeekCtrl(const TAllObTx* aot, int side);
int32_t TeamCtrlNo(const TAllObTx* aot, int side);

// A player's manners row (a zero row for none).
const DBMnrData& MnrOf(const TDBPlayer* p);

// Player questions and requests the ball's units share with the player's own
// units (each takes a player whose state is set up).
void PlayerSetMtype(TDBPlayer* p, DBMotionType t, bool reset);
bool PlayerCtrlable(const TDBPlayer* p);
bool PlayerPaCoverMan(const TDBPlayer* p);
bool PlayerBall_f(const TDBPlayer* p);
bool PlayerCPU_f(const TDBPlayer* p);
// The animation frame the player shows now (an empty frame without tables).
const AnimeData& PlayerFrameAni(const TDBPlayer* p);
// Team requests of a player: control to position pos, the pass-cover man, and
// whether the side's four infielders are all out.
void TeamSetCtrl(const TAllObTx* aot, int side, int32_t pos);
void TeamSeekCover(const TAllObTx* aot, int side, int32_t exclude);
bool TeamAllDead(const TAllObTx* aot, int side);

}  // namespace ballutil
