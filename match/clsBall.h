// The ball of a match and its drawing object: its state machine, the flight
// of passes, normal, curved and special shots, gravity, bounces and walls, the
// landing predictions, whose court the ball is on, the after-images, the hit
// box, the catch and hit judgement, and the drawing of the ball and its shadow.
//
// Every piece of state lives in the hub's DBBallState (and the ball's
// coordinate object), so a saved state captures the ball whole.
#pragma once
#include <cstdint>

#include "match/clsObject.h"

struct DBBPData;
struct DBShootData;
class TDBPlayer;

// Steps per animation phase of a special shot, and the phase cycle.
inline constexpr int32_t ANIFRM = 6;
inline constexpr int32_t HSANICYCLE = 48;
// Spin counter bound: eight spin frames of 100 each.
inline constexpr int32_t SPINMAX = 800;
// Insets of the landing-line points from the court lines.
inline constexpr int32_t LLDIST = 1600;
inline constexpr int32_t LLDISTZ = 400;
inline constexpr int32_t OVERBOUNDDY = 400;
// The hall: ceiling height and depth of the back wall.
inline constexpr int32_t BALLCEILING = 409600;
inline constexpr int32_t DBCOURT_D = 11200;
// A ball never falls faster than this per step.
inline constexpr int32_t BALLMINDY = -800;

// Animation of a special shot: nine types of eight phases each; a value is an
// AniNo, 255 hides the ball.
inline constexpr uint8_t HSANIARR[9][8] = {
    {0, 0, 0, 0, 0, 0, 0, 0},         {4, 4, 4, 4, 4, 4, 4, 4},
    {3, 0, 3, 3, 3, 3, 3, 3},         {3, 0, 3, 0, 3, 0, 3, 0},
    {1, 2, 1, 2, 1, 2, 1, 2},         {0, 5, 6, 7, 8, 7, 6, 5},
    {0, 255, 0, 255, 0, 255, 0, 255}, {0, 9, 10, 11, 12, 12, 12, 12},
    {13, 13, 13, 13, 13, 13, 13, 13}};
// Types that keep their last phase once a whole cycle has run.
inline constexpr bool HSANIARREND_F[9] = {false, false, true,  false, false,
                                          false, true,  true,  false};

// The one ball of a match.
class TDBBall : public TGenSAIObj {
public:
    TDBBall(TAllObTx* aot, TGlobalSAI* glb);

    // A new match: a cleared state, bouncing at the centre line.
    void OnInit() override;
    // Counters and animation, the flight, then whose court it is on.
    void OnMove() override;
    // The hit box for this step.
    void OnSetOS() override;
    // Catch or hit of a shot or pass in flight.
    void OnJudge() override;
    // Copy the coordinates to and from the hub's save image.
    void OnSave() override;
    void OnLoad() override;
    // The shadow, then the ball, through the match's ball drawing object.
    void OnDraw();

    void ZeroXYZ();
    // State changes; SetMTypeHold is a player taking the ball.
    void SetMType(DBBallMotionType tMtype);
    void SetMTypeHold(int32_t tTNo, int32_t tPNo);
    // Landing predictions of a shot and of a ball falling under gravity tGrv.
    void GetShootLandPos();
    void GetBoundLandPos(int32_t tGrv);

    // The ball's coordinates (never null once constructed with a hub).
    TZahyou& Zh() const { return *MyZahyou; }

    DBBallState* MySt;

    // --- steps of OnMove (public so each can be checked on its own) ---
    void MCCount();
    void Moving();
    void CrtPosition();
    void SetNmlBall(bool KeepHS_f);
    void Spining();
    void SetZanzouPos();
    void WallAbs(bool ZWall_f);
    void SetShootBound();
    void Curving();
    // One step of the path of special shot HSNo; true when the path held the
    // ball in place this step.
    bool HSMoving();
    // Scales the distances (mX, mY, mZ) to a velocity of length speed.
    void SAngle(int32_t& mX, int32_t& mY, int32_t& mZ, int32_t speed) const;

    // --- steps of OnJudge ---
    void OSShoot();
    bool HitCheck(TDBPlayer* p);
    void ShootHit();
    bool CheckBackHit(const TDBPlayer* p) const;
    static int32_t GetDamPer(int32_t BP, int32_t DAMPer);
    int32_t SetShootAgl8() const;
    void SetAirRev(TDBPlayer* p, int32_t tShLv);
    void ShootSEStop();
    static bool CheckCaAgl(const TDBPlayer* p, int32_t ShAgl);

    // Table rows of the shot in flight: its row of the shot table (null for none
    // or a number outside the table) and the rank table's ball-power row of a
    // level (held within the table).
    const DBShootData* HSRow() const;
    const DBBPData& BPRow(int32_t lv) const;
    // The player at a side and position; null outside the court's positions.
    TDBPlayer* PlayerAt(int32_t side, int32_t pos) const;

    TDBPlayer* Shootman = nullptr;  // thrower of the ball being judged
    TDBPlayer* Hitman = nullptr;    // the player it touched

private:
    // Floor, ceiling and walls of the hall after a step of flight.
    void Bounds();
    // Aims the horizontal velocity at the shot target; false without one.
    // With Height_f the height between ball and target takes its share of
    // the speed, so a ball far above or below its target comes at it more
    // slowly along the floor.
    bool AimAt(int32_t speed, bool Height_f = false);
    // The two outcomes of a touch.
    void Catch(TDBPlayer* h, const DBShootData* row, bool special, bool pass, int32_t tShLv,
               double rr);
    void Hit(TDBPlayer* h, const DBShootData* row, bool special, bool pass, int32_t tShLv,
             bool ZShoot_f, double rr);
};

// Steps until a body at height h (1/100 pixel) rising at v per step lands
// under gravity g per step; 0 without gravity.
int32_t BallFallTime(int32_t v, int32_t h, int32_t g);

// The ball's drawing object: the ball and its shadow from the item sheet.
class TGenDBDraw {
public:
    TGenDBDraw(TAlpha32SAI* al, TAllObTx* aot, TGlobalSAI* glb, DBBallState* st)
        : AL(al), AOT(aot), Glb(glb), BallSt(st) {}
    virtual ~TGenDBDraw() = default;

    // The ball at (xx, yy, zz) with spin counter sp_c.
    void OnDraw(int32_t xx, int32_t yy, int32_t zz, int32_t sp_c);
    void OnSadowDraw();

    TAlpha32SAI* AL;
    TAllObTx* AOT;
    TGlobalSAI* Glb;
    DBBallState* BallSt;
};
