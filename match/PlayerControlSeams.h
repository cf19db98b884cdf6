// What the control, decision, action, shot and target steps ask of the rest of
// the match: the player's state queries and motion starts, the teams, the ball
// and the input device. Every such question goes through here, so the steps
// read the same answers and tests can set the state they need.
#pragma once
#include <cmath>
#include <cstdint>

#include "input/DILib.h"
#include "match/clsObject.h"
#include "shell/GlbConst.h"
#include "shell/GlbRecord.h"
#include "shell/zimraLib.h"
#include "sound/OggDataLib.h"

namespace mcs {

// The tuning table (a zeroed one while none is loaded).
const CstDB& DB();
// The match settings (zeroed while there are none).
const DBGameData& GameData(const TDBPlayer& p);

inline TZahyou& Z(const TDBPlayer& p) { return *p.MyZahyou; }
inline DBBallState& Ball(const TDBPlayer& p) { return *p.DBall->MySt; }
inline TZahyou& BallZ(const TDBPlayer& p) { return *p.DBall->MyZahyou; }
// The player at a side and position; null outside the court's positions.
TDBPlayer* Player(const TDBPlayer& p, int side, int pos);
inline TDBPlayer* Mate(const TDBPlayer& p, int pos) { return Player(p, p.SideNo, pos); }
inline TDBPlayer* Enemy(const TDBPlayer& p, int pos) { return Player(p, p.EnSideNo, pos); }

inline bool HasMF(const TDBPlayer& p, DBMotionFlag f) { return p.MySt->Motion.MF.Has(f); }
inline DBMotionType Mtype(const TDBPlayer& p) { return p.MySt->Motion.Mtype; }

// Sound effects: at once, or at the end of the step.
void SEPlay(const TDBPlayer& p, int no);
void SESet(const TDBPlayer& p, int no);
void DbgTxt(const TDBPlayer& p, const std::string& key, int32_t value);

// -- the player's motions and state queries
void SetMtype(TDBPlayer& p, DBMotionType t, bool reset);
bool Ctrl_f(const TDBPlayer& p);
bool CPU_f(const TDBPlayer& p);
bool Ball_f(const TDBPlayer& p);
bool PaTag_f(const TDBPlayer& p);
bool ShTag_f(const TDBPlayer& p);
inline bool Kagami_f(const TDBPlayer& p) { return p.MySt->Kagami_c > 0; }
bool CheckCtrlalbe(const TDBPlayer& p);
bool CheckFreeMotion(const TDBPlayer& p, bool checkAutoType);
bool CheckLandEnPos(const TDBPlayer& p);
bool CheckPaCoverMan(const TDBPlayer& p);
int32_t LeftCrtX(const TDBPlayer& p);
int32_t LeftX(const TDBPlayer& p, int32_t x);  // any X in this player's own-court view
int32_t GetSLX(const TDBPlayer& p);
MukiTypeA GetMoveMuki(const TDBPlayer& p, bool DI_f);
MukiZTypeA GetMoveMukiZ(const TDBPlayer& p, bool DI_f);
void ZeroXYZ(TDBPlayer& p);
void BallGet(TDBPlayer& p, bool noSE);

// -- teams
DBTeamState& TeamSt(const TDBPlayer& p, int side);
void SetCtrl(const TDBPlayer& p, int side, int pos);
void SeekCtrl(const TDBPlayer& p, int side);
int GetInfPaTg(const TDBPlayer& p, int side);
bool LastOne_f(const TDBPlayer& p, int side);
bool AllDead_f(const TDBPlayer& p, int side);

// -- the ball
void BallSetMType(const TDBPlayer& p, DBBallMotionType t);
// The arc of the pass-like special shot: replaces the distances by a velocity
// that comes down on the target, and returns the frames to arrival.
int32_t PAngleKyo(const TDBPlayer& p, int32_t& mX, int32_t& mY, int32_t& mZ, bool jump);

// -- the player's input device (all false for a player without one)
bool Crs2(const TDBPlayer& p, CrsType c);  // held now
bool Crs(const TDBPlayer& p, CrsType c);   // pushed now
bool Crs2X(const TDBPlayer& p);
bool Crs2Y(const TDBPlayer& p);
bool AnyCrs2(const TDBPlayer& p);
bool Btn(const TDBPlayer& p, BtnType b);   // pushed now
bool Btn2(const TDBPlayer& p, BtnType b);  // held now
bool Jump(const TDBPlayer& p);
// The double-tap result: 0 none, 1 up, 2 down, 3 left, 4 right.
enum DHKind { dhN, dhU, dhD, dhL, dhR };
DHKind DHKey(const TDBPlayer& p);

// Truncated distance of an offset.
inline int32_t Dist(int64_t dx, int64_t dz) {
    return int32_t(std::sqrt(double(dx * dx + dz * dz)));
}

}  // namespace mcs
