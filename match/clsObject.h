// The match objects and the data hub: the unit conversions from the tuning
// table's units, the hub TAllObTx that holds every table and state shared by
// the scenes, the match object set TAllObj, the base class of moving objects,
// the player object's set-up, save and load, and the camera.
#pragma once
#include <cstdint>
#include <memory>

#include "match/PlayerControl.h"
#include "match/recordUnit.h"
#include "shell/GlbConst.h"
#include "shell/SAIData.h"

class TGlobalSAI;
class TDISAI;
class TAlpha32SAI;
class TAllTx;
class TALLtxChar;
class TBGCtrlSAI;
class TAllObj;
class TCamera;

// ---------------------------------------------------------- unit conversions
//
// The tuning table gives speeds and distances in its own units; FCTOSAIMAG
// percent of them is 1/100 pixel. The products are taken in 64 bits and
// narrowed to 32; divisions truncate toward zero. A table whose factor is 0
// (none loaded) converts everything to 0 rather than dividing by it.

// v * p div 100, truncating toward zero, without 32-bit overflow.
int32_t PercentageW(int64_t v, int64_t p);

int32_t FCMAG(const CstDB& db, int32_t dt);
int32_t SPMAG(const CstDB& db, int32_t dt);    // shot speeds: also by SHOOTMAG percent
int32_t PASPMAG(const CstDB& db, int32_t dt);  // pass speeds: as FCMAG
int32_t FCDIV(const CstDB& db, int32_t dt);    // the inverse of FCMAG
int32_t PASPDIV(const CstDB& db, int32_t dt);  // the inverse of PASPMAG
// The same through the game's table GC (all 0 while there is none).
int32_t FCMAG(int32_t dt);
int32_t SPMAG(int32_t dt);
int32_t PASPMAG(int32_t dt);
int32_t FCDIV(int32_t dt);
int32_t PASPDIV(int32_t dt);

// ---------------------------------------------------------------- the hub

// The one place for the game data shared by the scenes. It owns the 23
// coordinate objects and every table and state array; the objects it refers
// to (match objects, texture sets, tables, scene data, camera) belong to the
// scene controller. Large: create it on the heap.
class TAllObTx {
public:
    TAllObTx();
    TAllObTx(const TAllObTx&) = delete;
    TAllObTx& operator=(const TAllObTx&) = delete;

    // Called after a saved state has been copied over the state records. The
    // live links to the coordinate objects never leave the hub, so this only
    // clears the stored forms' reference placeholders.
    void ResetZahyou();

    // The coordinate object of a player; null outside the court's positions.
    TZahyou* PlayerZahyou(int side, int pos) const;
    TZahyou* BallZahyou() const { return AZahyou.DBBallZahyou; }

    TAllObj* AO = nullptr;
    TAllTx* AT = nullptr;
    TGrpData* GDt = nullptr;
    TALLtxChar* AC = nullptr;
    TBGCtrlSAI* BGC = nullptr;
    TMapData* MDt = nullptr;
    TSceneData* SDt = nullptr;
    void* BM = nullptr;  // battle message object: never created
    TCamera* CM = nullptr;

    DTCharData ADTCDt[DBTEAMS][DBMEMBERS] = {};
    DCDDBallDt ADBPDt[DBTEAMS][DBMEMBERS] = {};
    DBRankData ADBRankDt[DBRANK_ROWS] = {};
    DBShootData ADBShootDt[DBSHOOT_COUNT] = {};
    DBPlayerState ADBPSt[DBSIDES][DBPOSITIONS] = {};
    DBBallState DBBallSt = {};
    AllZahyou AZahyou;
    GameModeType GameMode = gmtBtl;
    QuickSaveData SvDt = {};

private:
    // Four player and four item objects, fourteen players (side-major), the ball.
    static constexpr int kZahyouCount = 4 + 4 + DBSIDES * DBPOSITIONS + 1;
    TZahyou Zahyous[kZahyouCount];
};

// ------------------------------------------------------- moving objects

// A map-collision state; the match only zeroes it.
struct MCMapState {
    int32_t Unused = 0;
};

// Base of the player and the ball: the per-frame operations every moving
// object answers.
class TGenSAIObj {
public:
    TGenSAIObj(TAllObTx* aot, TGlobalSAI* glb) : AOT(aot), Glb(glb) {}
    virtual ~TGenSAIObj() = default;
    TGenSAIObj(const TGenSAIObj&) = delete;
    TGenSAIObj& operator=(const TGenSAIObj&) = delete;

    virtual void ReMoving() {}
    virtual void Fallen() {}
    virtual void LiftUp() {}
    virtual void LiftedUp() {}
    virtual void LiftDown() {}
    virtual void LiftedDown() {}
    // Clears the lift and map states and takes part in the frame again.
    virtual void OnInit();
    virtual void OnMove() {}
    virtual void OnReMove(bool, bool) {}
    virtual void OnMap() {}
    virtual void OnSetOS() {}
    virtual void OnJudge() {}
    virtual void OnReserve() {}
    // Copies the position into the last position.
    virtual void OnLastZahyou();
    virtual void OnSave() {}
    virtual void OnLoad() {}

    TAllObTx* AOT;
    TGlobalSAI* Glb;
    uint8_t MyNo = 0;
    MCMapState MCMapSt;
    bool Live_f = false;
    StLift Lift = {};
    TZahyou* MyZahyou = nullptr;
};

class TDBTeam;
class TDBBall;      // match/clsBall.h
class TGenDBDraw;  // match/clsBall.h
class TGenCharDraw;

// Start positions of side 0 in pixels, per position.
struct DefPos {
    int32_t X;
    int32_t Z;
};
inline constexpr DefPos DEFPOS[DBPOSITIONS] = {
    {120, 70}, {110, 30}, {200, 70}, {190, 30}, {300, 100}, {320, 8}, {440, 56}};

// Court geometry in 1/100 pixel.
inline constexpr int32_t DBCRT_CENTER = 25600;   // the centre line
inline constexpr int32_t DBCRT_INFMAX = 25200;   // infield's forward limit, own-court X
inline constexpr int32_t DBCRT_BACKWALL = 11200; // depth of the back wall
inline constexpr int32_t DBCRT_CEILING = 409600;
inline constexpr int32_t DBCRT_FRONTLINE = 2200; // infield's front line (depth)
inline constexpr int32_t DBCRT_BACKLINE = 9200;  // infield's back line (depth)
inline constexpr int32_t DBCRT_O2LINE = 10000;   // outfield position 4's line (depth)
inline constexpr int32_t DBCRT_O3LINE = 600;     // outfield position 5's line (depth)

// One player of the match.
class TDBPlayer : public TGenSAIObj {
public:
    TDBPlayer(TAllObTx* aot, TGlobalSAI* glb, uint8_t posNo, uint8_t sideNo);

    // Sets the player up for a new match: his member, ability and rank rows,
    // a cleared state, his start position and facing.
    void OnInit() override;
    // Copy the coordinates to and from the hub's save image.
    void OnSave() override;
    void OnLoad() override;

    // Level 0..6 of an ability value, and the 0..6 level of the two abilities
    // that index the rank table directly.
    static int GetStLv(int tst);
    static int GetStLv7(int tst);

    // ------------------------------------------------ frame step and motion counter
    // One frame: motion counter, result pose, ball distances, one control
    // branch, the action step, and the mover last.
    void OnMove() override;
    // Advances the current motion: counters, timed changes, frames, its end.
    void MCCount();
    // True when the ball is free, bouncing or in the enemy's hands.
    bool CheckCangeCtrlBall() const;
    // The pass target who is not the controlled player.
    bool CheckPW() const;
    // Starts an owed crouch from standing, walking or dashing.
    void KagamiSet();

    // ------------------------------------------------ movement and court bounds
    // Velocity from the motion, gravity, integration, walls, ground, lines and
    // the landing point: the last step of every frame.
    void Moving();
    // The wanted direction: the automatic wish, or for the controlled human
    // the directions held now (DI_f, or no automatic behaviour in force).
    MukiTypeA GetMoveMuki(bool DI_f) const;
    MukiZTypeA GetMoveMukiZ(bool DI_f) const;
    // X of the slanted end line at the player's depth.
    int32_t GetSLX() const;
    // Bounce off the back wall (ZWall_f) or an end wall.
    void WallAbs(bool ZWall_f);

    // ------------------------------------------------ motions, frame data and queries
    // Starts a motion from the motion table; Reset_f restarts the current one.
    void SetMtype(DBMotionType tMtype, bool Reset_f);
    // Loads the frame just reached and fires its action.
    void SetFrameData(bool InLoop_f);
    // The animation data of the current frame (held inside the tables).
    const AnimeData& NowFrameAni() const;
    // The frame-table row of the current frame.
    const BitMapData& NowBmpData() const;

    bool Ctrl_f() const;
    bool Ball_f() const;
    bool PaTag_f() const;
    bool ShTag_f() const;
    bool NowActP_f() const;
    bool Kagami_f() const;
    bool CheckCtrlalbe() const;
    bool CheckPaCoverMan() const;
    bool CheckFreeMotion(bool CheckAutoType_f) const;
    bool CheckLandEnPos() const;
    bool CPU_f() const;
    bool HasMF(DBMotionFlag f) const { return MySt->Motion.MF.Has(f); }

    // X as if the player's own court were the left half.
    int32_t GetLCrtX() const;
    void SetLCrtX(int32_t x);
    int32_t LeftCrtX() const { return GetLCrtX(); }
    int32_t GetLCrtLandX() const;
    // Mirrors an X (or a landing X) the way LeftCrtX sees this player.
    int32_t LCrtOf(int32_t x) const;

    void ZeroXYZ();
    void GetBallDist();
    void GetLandPos(int32_t tGrv);

    // The player's team state, and the ball's state.
    DBTeamState& MyTSt() const;
    DBBallState& BallSt() const;
    const DBGameData& GameData() const;
    TZahyou& Z() const { return *MyZahyou; }

    TDISAI* DI = nullptr;  // the input device slot of the side
    const DCDDBallDt* MyDt = nullptr;
    DBPlayerState* MySt = nullptr;
    DBSelfRankData MyLv;
    uint8_t EnSideNo;
    uint8_t PosNo;
    bool Infield_f = false;
    TDBTeam* MyDBT = nullptr;
    TDBTeam* EnDBT = nullptr;
    TDBBall* DBall = nullptr;
    int32_t ShTg_c = 0;
    uint8_t SideNo;
    uint8_t CharNo = 0;  // the member who plays this position
    uint8_t FNo = 0;     // the member's face number

    // ==== control, decisions, actions, shots and targets ====================
    // Human key step, facing and aim (PlayerControl.cpp), automatic and CPU
    // movement decisions (PlayerCPU.cpp), the action step (PlayerAction.cpp),
    // the shot step (PlayerShot.cpp) and the shot and pass targets
    // (PlayerTarget.cpp). Kept as one block; other units keep their own.

    // -- human key step, facing and aim
    // The human-controlled player's movement keys: walk, dash, brake, jump,
    // turn, by the current motion.
    void MCKeyInput();
    // Starts a jump crouch (the take-off follows when it ends). With mfCheck
    // only from a motion that allows a jump; never from a pass-hit motion.
    void JumpSet(bool mfCheck);
    // Jump cancel of an action: true when the jump was started.
    bool CancelJmp();
    // Dash after a double-tap left or right; ResetStep_f restarts the steps.
    void DashSet(bool ResetStep_f);
    // The automatic dash: brakes against a wish opposite to the dash, else
    // dashes toward a left or right wish.
    void AutoDashSet();
    // Remembers the last horizontal direction held (maN after a vertical one).
    void SetLastKeyLR();
    // The eight-way aim from four direction wishes: left, right, fU toward the
    // front (down on the device), fD toward the back (up on the device).
    void SetMukiAgl(bool fL, bool fR, bool fU, bool fD);
    // Aim and facing from the wishes; true when the facing changed.
    bool MukiSet(bool PosMuki_f, bool PosMuki2_f, bool DI_f);
    // The automatic facing wish set to the present facing.
    void AutoMukiInit();
    // Applies the automatic facing wish; true when the facing changed.
    bool MukiSetAuto();
    // Faces and sets the dash direction; true when the facing changed.
    bool MukiSetDash(MukiType DsMuki);
    // Makes this player his team's controlled player.
    void SetCtrlMe();
    // The aim computed from the present facing.
    void SetMukiAglFromMuki();

    // -- automatic and CPU movement decisions
    // The behaviour chosen during this frame; the frame step stores it.
    DBStAuto NextAuto = {};
    void InitAutoTypeMuki();
    void CheckAutoReturn();
    void CheckAutoGetter(bool tCPU_f);
    void CheckPassCover();
    bool CheckShCvJp();
    void CheckShootCover();
    void CheckPassCatchJp();
    void CheckPassCatchMotion();
    // What a shot flying at this player calls for: none, jump, crouch, catch.
    DSType CheckDS(bool Ca_f);
    void CheckDodge();
    void CheckDodgeCPU();
    void CheckShootCPU();
    void CheckMovePos();
    // Turns NextAuto into motions.
    void SetAutoMove();
    // The decision pipelines: an uncontrolled player, and the controlled man
    // of a CPU side.
    void AutoMove();
    void AutoMoveCPU();
    // Runs toward the ball (or the wished point) by the automatic wishes.
    void GoToBall();

    // -- action step
    // Passes, shots, catches, dodges and pick-ups, by the stored behaviour.
    void MCKeyInputAT();
    // The human-controlled player's buttons.
    void SelfCtrl();
    // Turns toward the pass target (Pa_f) or the shot target.
    void LookTg(int TgPNo, bool Pa_f);
    // The ball can be taken now.
    bool CheckPickUpPos();
    void AutoPickUp();
    void CheckFreeBallPickUp();
    // The CPU attacker's run, jump and throw.
    void CPUAttack();
    void CPUShoot();
    // Clears the dash flag of the current motion.
    void DelMFDs();
    // The held ball drops as a bouncing ball with the player's velocity.
    void Falling();

    // -- shot step
    // Run at the release frame of a shot; JSh_f for a jump shot.
    void SetShoot(bool JSh_f);
    // St <= Air_c <= St + Itv - 1.
    bool CheckTiming(int St, int Itv);
    // Chooses tShType; true when a special shot is to be thrown.
    bool GetShootType();
    static int GetShPow(int BP, int SHPer);
    // The highest rank level 1..6 whose ball-power level sp reaches.
    int GetShLv(int sp);
    void GetShSpeed();
    void GetHShSpeed();
    void ResetSh();
    // Turns the distances into a velocity of length spd.
    void SAngle(int32_t& mX, int32_t& mY, int32_t& mZ, int32_t spd);
    // Working values of the shot step.
    STYPE tShType = stS;
    bool tJSh_f = false;  // the shot being thrown is a jump shot
    int32_t tShSp = 0;
    int32_t tShLv = 0;
    int32_t tHSNo = -1;
    int32_t tShPow = 0;
    bool tNmlSh_f = false;
    int32_t tNiceLv = 1;
    int32_t tRCrv = 0;

    // -- shot and pass targets
    // The 45-degree sector 0..7 of the offset (tX, tZ).
    static int GetTagAgl(int32_t tX, int32_t tZ);
    // This player can be aimed at.
    bool CheckTgOKMotion();
    void ShTagSet(bool NoRefMuki_f);
    // The enemy infielder a shot would target, -1 for none.
    int GetTag(bool NoRefMuki_f);
    void PaTagSet();
    // The own infielder an infield pass would reach, -1 for none.
    int GetNaiyaTag();
    void PaCutSet();
    // ==== end of control, decisions, actions, shots and targets ============

    // ----- ball holding, hurt box and pass step (match/PlayerHold.cpp,
    // ----- match/PlayerPass.cpp) -----
    // Takes the ball (after a catch or pick-up); NoSE_f keeps it silent.
    void BallGet(bool NoSE_f);
    // Keeps a held ball in the holder's hands; the flags are not used.
    void OnReMove(bool First_f, bool MapRemove) override;
    // The hurt box Kurai of this step.
    void OnSetOS() override;
    void OnReserve() override {}
    // Releases a pass at the pass motion's release frame.
    void SetPass(bool JPa_f);
    // Distances tdx, tdy, tdz (absolute) and signs tdxs, tdys, tdzs from the
    // passer to the pass target (Shoot_f false) or to the shot target.
    void GetTagDist(bool Shoot_f, bool Level_f, bool KAK_f, bool KYO_f);
    // Turns the distances into the velocity of a pass arc of line tPaLine and
    // returns the arrival time in steps. Level_f: an arc that comes back to
    // the height it left from; else one that reaches the floor on arrival.
    // JPa_f: the jump table.
    int32_t PAngle(int32_t& mX, int32_t& mY, int32_t& mZ, bool Level_f, bool JPa_f);
    // The sound of the current frame, requested for the end of the step.
    void SettingSE();
    // Working values of the throw steps.
    int32_t tdx = 0, tdy = 0, tdz = 0;
    int32_t tdxs = 1, tdys = 1, tdzs = 1;
    DBPaLineType tPaLine = dbplNml;
    int32_t tPaGrv = 0;
    // ----- end of ball holding and pass step -----

private:
    // Pieces of the frame step and the mover.
    void ResultPose();
    void ControlledStep();
    void UncontrolledStep();
    void IncMotion(bool forced);
    void NextFrame();
    bool CheckCatchFrm();
    void MotionEnd();
    void JumpTakeOff();
    void MoveByMotion();
    void Walk();
    void Dash();
    void LandSlide();
    void Flight();
    void Brake(int32_t f);
    void CheckGround();
    void KeepOnLines();
    // The speed row, never null once the player is set up.
    const DBSpdData& Spd() const;
    // Input held now on the side's device (false with no device).
    bool Held(int c) const;
    bool AnyHeld() const;
    // Plays a sound effect at once.
    void PlaySE(int no) const;
    // The action the frame's release fires.
    void FrameAction();
    // The mid-air recovery of a knocked-back player.
    void AirRecovery();
    // The held ball drops as a bouncing ball and stops.
    void DropBall();
};

// One side of the court: picks its controlled player, tracks the enemy's
// centre, repositions its infield, and runs, draws, saves and loads its
// players.
class TDBTeam {
public:
    TDBTeam(TAllObTx* aot, TGlobalSAI* glb, uint8_t sideNo);
    virtual ~TDBTeam() = default;

    void OnInit();
    // All four infield players are out.
    bool AllDead_f() const;
    // Exactly one infield player is left.
    bool LastOne_f() const;
    void OnMove();
    void OnReMove();
    void OnSetOS();
    void OnDraw();
    void OnSave();
    void OnLoad();
    // The infielder an outfielder should pass to; 0 when none qualifies.
    int32_t GetInfPaTg() const;
    // The controllable infielder nearest the ball, or -1; take hands control
    // to him.
    int32_t SeekCtrl(bool take);
    // Picks the pass-cover man (CvrNo).
    void SeekCover(int32_t exclude);
    // Hands control to p when he can take it, else to the nearest.
    void SetCtrl(int32_t p);
    void SetDefEnCXZ();

    // Pieces of the frame step.
    void GetCtrl();
    void GetCOG();
    void CheckEnC();
    void Positioning();

    TAllObTx* AOT;
    TGlobalSAI* Glb;
    TDISAI* DI = nullptr;
    uint8_t SideNo;
    uint8_t EnSideNo;
    TDBPlayer* MyDB6[DBPOSITIONS] = {};
    TDBPlayer* EnDB6[DBPOSITIONS] = {};
    TDBBall* DBall = nullptr;
    DBTeamState TSt = {};

private:
    bool Linked() const { return MyDB6[0] != nullptr; }
    TDBTeam* EnTeam() const;
};

// --------------------------------------------------------------- drawing

// Base of the drawing objects: the renderer, the hub and the global object.
class TGenDraw {
public:
    TGenDraw(TAlpha32SAI* al, TAllObTx* aot, TGlobalSAI* glb) : AL(al), AOT(aot), Glb(glb) {}
    virtual ~TGenDraw() = default;
    TAlpha32SAI* AL;
    TAllObTx* AOT;
    TGlobalSAI* Glb;
};

// What a player's drawing object is filled with each frame.
struct DrawData {
    bool Set_f = false;     // filled for this frame
    bool DB_f = false;      // a match player
    bool DBCtrl_f = false;  // the controlled player
    bool ScrPos_f = false, NoneFace_f = false, DC_f = false, OkeIn_f = false, D8RO_f = false,
         Invs_f = false, Sousa_f = false, RevX_f = false, RevY_f = false, RideSkb_f = false;
    int32_t M_c = 0;
    int32_t ExpBmpNo = -1;
    int32_t MukiSign = 1;
    int32_t TNo = 0;  // side
    int32_t CNo = 0;  // position
    int32_t FNo = 0;  // face number
    int32_t SkinNo = 0;
    int32_t Pri = 0;
    int32_t X = 0, Y = 0, Z = 0;
    int32_t DBShTg_fc = -1;  // shot-target counter, -1 when not targeted
    const AnimeData* pAni = nullptr;
    MukiType Muki = mR, RO_Muki = mR;
};

// The drawing object of one player: body and face cells placed by the frame
// table, mirrored by the facing, with the controlled player's cursor and the
// shot target's blink, and the player's shadow.
class TGenCharDraw : public TGenDraw {
public:
    using TGenDraw::TGenDraw;

    void OnDrawSetDB(bool ctrl, bool revX, bool revY, int32_t M_c, int32_t mukiSign, int32_t TNo,
                     int32_t CNo, int32_t FNo, int32_t Pri, int32_t X, int32_t Y, int32_t Z,
                     int32_t shTg, MukiType muki, const AnimeData* pAni);
    void OnSadowDraw(int32_t X, int32_t Y, int32_t Z, int32_t SdwY, int32_t Pri);
    void OnDraw();

    DrawData DDt;
};

// The match object set: two teams, fourteen players with their drawing
// objects, the ball and its drawing object, built once and reused for every
// match.
class TAllObj {
public:
    TAllObj(TAlpha32SAI* al, TAllObTx* aot, TGlobalSAI* glb);
    ~TAllObj();
    TAllObj(const TAllObj&) = delete;
    TAllObj& operator=(const TAllObj&) = delete;

    TAlpha32SAI* AL;
    TAllObTx* AOT;
    TGlobalSAI* Glb;
    std::unique_ptr<TGenDBDraw> DBD;
    std::unique_ptr<TDBTeam> DBT[DBSIDES];
    std::unique_ptr<TDBPlayer> DB6[DBSIDES][DBPOSITIONS];
    std::unique_ptr<TDBBall> DBall;
    std::unique_ptr<TGenCharDraw> DBPCD4[DBSIDES][DBPOSITIONS];
};

// ---------------------------------------------------------------- camera

enum CPType : uint8_t { cp1P, cpCenter, cpTop };
enum CPTypeY : uint8_t { cpyBottom, cpyTop, cpyMove };
enum CMType : uint8_t { cmQuick, cmSlow };

// Follows the ball along the court so that a 512-pixel view stays inside the
// map, moving at most CMSpeed pixels a frame.
class TCamera {
public:
    TCamera() { OnInit(512, 240, cmQuick, cpCenter, cpyBottom, 2); }
    void OnInit(int32_t mapWidth, int32_t mapYPos, CMType cm, CPType cp, CPTypeY cpy,
                int32_t cmSpeed);
    // dbx is the ball's X in 1/100 pixel.
    void OnMoveDB(int32_t dbx);
    void OnResetCamPos() { fCamX = 0; }
    int32_t CamX() const { return fCamX; }
    int32_t CamY() const { return fCamY; }

    CPType CP = cpCenter;
    CPTypeY CPY = cpyBottom;
    CMType CM = cmQuick;
    int32_t MapWidth = 0;
    int32_t MapYPos = 0;
    int32_t fCamX = 0;
    int32_t fCamY = 0;
    int32_t CMSpeed = 0;
};

// The ball and its drawing object build on the base class above.
#include "match/clsBall.h"
