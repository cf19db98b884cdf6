// Coordinates and the match records: the vocabulary shared by the match
// objects, the scene controller and the state save file.
//
// Every record here is the byte image of its stored form: integers are
// little-endian, padding is spelled out, and the offsets are checked at
// compile time. Booleans are one byte, true when non-zero; enumerations are
// one-byte enums. Neither type keeps a byte read from a file in range, so a
// stored image is checked before it is used (QuickSaveFromBytes), and the
// stored form writes every boolean as 0 or 1 and every padding byte as 0.
// Memory references of the stored form are kept as 32-bit placeholders that
// are always written as 0; the live links to coordinate objects belong to
// the data hub (TAllObTx) and the match objects.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "shell/SAIData.h"

// ---------------------------------------------------------------- enumerations

enum MukiType : uint8_t { mL, mR };
enum MukiZType : uint8_t { mzF, mzN, mzB };
enum MukiTypeA : uint8_t { maL, maN, maR };
enum MukiZTypeA : uint8_t { mzaF, mzaN, mzaB };

enum DBMotionType : uint8_t {
    dbmtSt, dbmtWk, dbmtDs, dbmtJCr, dbmtJ2, dbmtARv, dbmtCr, dbmtFlF, dbmtFlB,
    dbmtPHF, dbmtPHB, dbmtKG, dbmtDn, dbmtDRv, dbmtCM, dbmtPW, dbmtPWWk, dbmtPWDs,
    dbmtSl, dbmtSh, dbmtPa, dbmtJSh, dbmtJPa, dbmtCa, dbmtJCa, dbmtDg, dbmtJDg,
    dbmtRoF, dbmtRoB, dbmtENG, dbmtWIN, dbmtLOSE, dbmtOvL
};
constexpr int DBMOTIONTYPE_COUNT = dbmtOvL + 1;

// Flags of a motion; a set of them is a 16-bit mask, bit n for flag n.
enum DBMotionFlag : uint8_t {
    dbmfAr, dbmfDs, dbmfAct, dbmfDam, dbmfMTK, dbmfJpOK, dbmfMuki, dbmfENG, dbmfFIX,
    dbmfARv, dbmfPHit, dbmfPW
};
constexpr uint16_t MFBit(DBMotionFlag f) { return uint16_t(1u << f); }

enum DBBallMotionType : uint8_t { dbbFree, dbbHold, dbbShoot, dbbPass, dbbBound };
enum DBAutoType : uint8_t {
    dbaFree, dbaReturn, dbaKgReturn, dbaGet, dbaPassCvr, dbaPos, dbaPos2, dbaPassJp,
    dbaDg, dbaDgJp, dbaDgSw, dbaShCv, dbaCPUCach, dbaCPUSht
};
// Special shots, stored as a signed byte, dbhNML (-1) meaning none.
enum DBHSType : int8_t {
    dbhNML = -1, dbhBYO = 0, dbhMOZ, dbhOBU, dbhUPR, dbhKAK, dbhBUN, dbhWRP, dbhKAN,
    dbhASH, dbhKSK, dbhBMR, dbhINZ, dbhNAT, dbhSCR, dbhSNE, dbhHOE, dbhENR, dbhKYO,
    dbhPOW, dbhRET, dbhWID
};
constexpr int DBSHOOT_COUNT = dbhWID + 1;  // rows of the shot table
enum DBHSAni : uint8_t {
    dbhaNML, dbhaNAT, dbhaKAN, dchaASH, dbhaBYO, dbhaOBU, dbhaBUN, dbhaWRP
};
enum DBCPUAtType : uint8_t { dbcaDSh, dbcaJSh, dbcaPa, dbcaNPa, dbcaJPa };
enum DBPaLineType : uint8_t { dbplNml, dbpl23, dbpl14, dbpl11, dbplKyo };
enum InfLineType : uint8_t { iltInf, iltO2, iltO3, iltO4 };
enum DBGameMode : uint8_t { dbgmKatinuki, dbgmTaisen, dbgmKansen };
enum DBDifficulty : uint8_t { dbdfEasy, dbdfNomal, dbdfHard };
enum DBShiaiState : uint8_t { dbssReady, dbssShiai, dbssResult };
enum GameModeType : uint8_t { gmtBtl, gmtRun, gmtDB, gmtEtc };
enum SceneType : uint8_t {
    stKK, stCC, stDB, stOP, stMENU, stPSL, stBSL, stCSL, stPRZ, stWIN, stEND, stDBOP,
    stDBMSL, stDBVS, stDBTSL, stDBPSL
};
enum LOType : uint8_t { loNone, loChar, loItem };
enum RideItemType : uint8_t { rdtNone, rdtOke, rdtSkb };
enum CtrlType : uint8_t { ctNone, ctCtrl, ctCtrled, ctRide, ctRidden, ctHold, ctHeld };
enum NowHoldType : uint8_t { nhNml, nhEx1, nhEx2 };

// Teams and positions.
constexpr int DBSIDES = 2;       // sides of a match
constexpr int DBPOSITIONS = 7;   // positions 0..3 infield, 4..6 outfield
constexpr int DBTEAMS = 24;      // teams of the game
constexpr int DBMEMBERS = 7;     // members of a team
constexpr int DBRANK_ROWS = 9;   // rows of the rank table
constexpr int32_t DBCOURT_W = 51200;  // court width in 1/100 pixel

// A memory reference of the stored form. It carries no meaning in a file and
// is always written as 0.
using StoredRef = uint32_t;

// -------------------------------------------------------------- coordinates

struct ZahyouRec {
    MukiType FMuki;     // left/right facing
    MukiZType FMukiZ;   // depth facing
    MukiType FDsMuki;   // dash direction
    uint8_t _pad3;
    int32_t X;          // along the court, 1/100 pixel
    int32_t Y;          // height above the ground
    int32_t Z;          // depth
    int32_t dX;
    int32_t dY;
    int32_t dZ;
    int32_t lX;         // position at the end of the previous frame
    int32_t lY;
    int32_t lZ;
    int32_t ShadowY;    // height of the ground under the object
    int32_t RideX;
    int32_t Fric_c;     // friction counter
    int32_t Fric;       // friction value
    int32_t Pri;        // base draw priority
};
static_assert(sizeof(ZahyouRec) == 60);
static_assert(offsetof(ZahyouRec, X) == 4 && offsetof(ZahyouRec, dX) == 16 &&
              offsetof(ZahyouRec, lX) == 28 && offsetof(ZahyouRec, ShadowY) == 40 &&
              offsetof(ZahyouRec, Fric_c) == 48 && offsetof(ZahyouRec, Pri) == 56);

// The coordinate object of one player, ball or item. Its fields are those of
// the record; the facings are written only through the setters, which keep
// them valid.
class TZahyou : public ZahyouRec {
public:
    TZahyou() { Init(); }

    ZahyouRec& ZRec() { return *this; }
    const ZahyouRec& ZRec() const { return *this; }

    MukiType Muki() const { return FMuki; }
    MukiZType MukiZ() const { return FMukiZ; }
    MukiType DsMuki() const { return FDsMuki; }
    MukiType RevMuki() const { return FMuki == mR ? mL : mR; }
    // +1 facing right, else -1.
    int32_t MukiSign() const { return FMuki == mR ? 1 : -1; }
    // Reads the facing, not the dash direction, as the game always has.
    int32_t DsMukiSign() const { return MukiSign(); }
    // Depth in pixels, truncated toward zero.
    int32_t Zpc() const { return Z / 100; }
    // Draw-order key: further back (greater Z) draws first.
    int32_t NowPri() const { return Pri - Zpc() * 576 + 576000; }

    // Only mL and mR are taken; anything else leaves the facing as it was.
    void SetMuki(int m);
    // mzF and mzB are taken; anything else means no depth facing.
    void SetMukiZ(int m);
    // Sets the dash direction (when mL or mR) and the facing, and clears the
    // depth facing.
    void SetDashMuki(int m);
    // Zeroes the record and faces left with no depth facing.
    void Init();
    // Copies the position into the last position.
    void OnLastZahyou() { lX = X; lY = Y; lZ = Z; }
};

// The owning list of the game's 23 coordinate objects.
struct AllZahyou {
    TZahyou* APlayerZahyou[4] = {};  // created, not used by the match
    TZahyou* AItemZahyou[4] = {};    // created, not used by the match
    TZahyou* ADBPlayerZahyou[DBSIDES][DBPOSITIONS] = {};
    TZahyou* DBBallZahyou = nullptr;
};

// ---------------------------------------------------------------- rectangles

// A box of four int32: left, top, right, bottom.
struct DBRect {
    int32_t Left;
    int32_t Top;
    int32_t Right;
    int32_t Bottom;
};
static_assert(sizeof(DBRect) == 16);

// -------------------------------------------------------------- player state

struct StLift {
    LOType LiftOvj;
    uint8_t LiftNo;
    uint8_t LiftNoIT;  // set of 0..3
    LOType LiftedOvj;
    uint8_t LiftedNo;
    RideItemType Riding;
    uint8_t RidingNo;
    CtrlType CType;
    NowHoldType HoldType;
};
static_assert(sizeof(StLift) == 9);

// A 16-bit set of motion flags stored at an odd offset: kept as two bytes and
// read and written as a whole mask.
struct DBMotionFlags {
    uint8_t b[2];
    operator uint16_t() const { return uint16_t(b[0] | (b[1] << 8)); }
    DBMotionFlags& operator=(uint16_t v) {
        b[0] = uint8_t(v);
        b[1] = uint8_t(v >> 8);
        return *this;
    }
    bool Has(DBMotionFlag f) const { return (uint16_t(*this) & MFBit(f)) != 0; }
};
static_assert(sizeof(DBMotionFlags) == 2 && alignof(DBMotionFlags) == 1);

struct DBStMotion {
    DBMotionType Mtype;  // current motion type
    DBMotionFlags MF;    // flags of the current motion
    uint8_t _pad3;
    int32_t M_c;         // frames spent in the motion
    int32_t MNo;         // row of the motion table
};
static_assert(sizeof(DBStMotion) == 12 && offsetof(DBStMotion, MF) == 1 &&
              offsetof(DBStMotion, M_c) == 4 && offsetof(DBStMotion, MNo) == 8);

struct StAnime {
    int32_t FrameNo;   // frame within the current motion
    int32_t Ani_c;     // frames left on the current frame
    int32_t Loop_c;
    int32_t LoopStNo;  // frame where the loop starts
    uint8_t Tame_f;
    uint8_t _pad17[3];
    int32_t Tame_c;
    int32_t ExpBmpNo;  // override sprite number
    MukiType RO_Muki;
    uint8_t RevX_f;
    uint8_t RevY_f;
    uint8_t ActP_f;
    StoredRef pEfcDt;  // effect data (a memory reference of the stored form)
    int32_t EfcItv_c;
    uint8_t EfcSync[32];  // set of 0..255
};
static_assert(sizeof(StAnime) == 72);
static_assert(offsetof(StAnime, Tame_f) == 16 && offsetof(StAnime, Tame_c) == 20 &&
              offsetof(StAnime, RO_Muki) == 28 && offsetof(StAnime, ActP_f) == 31 &&
              offsetof(StAnime, pEfcDt) == 32 && offsetof(StAnime, EfcItv_c) == 36 &&
              offsetof(StAnime, EfcSync) == 40);

struct DBStAuto {
    DBAutoType AutoType;
    MukiTypeA AMuki;
    MukiZTypeA AMukiZ;
    uint8_t ADash_f;
};
static_assert(sizeof(DBStAuto) == 4);

struct DBCPUSt {
    DBCPUAtType AtType;
    uint8_t _pad1[3];
    int32_t Ds_c;
    int32_t Jp_c;
    uint8_t Pa_f;
    uint8_t _pad13[3];
    int32_t PaNo;
    int32_t Wait_c;
};
static_assert(sizeof(DBCPUSt) == 24 && offsetof(DBCPUSt, Pa_f) == 12 &&
              offsetof(DBCPUSt, PaNo) == 16 && offsetof(DBCPUSt, Wait_c) == 20);

struct DBPlayerState {
    DBStMotion Motion;
    StAnime Anime;
    int32_t BallDist;          // -1 = not a candidate
    int32_t BallLandDist;
    int32_t BallLandLineDist;
    DBStAuto Auto;
    DBCPUSt CPUSt;
    uint8_t Dead_f;
    uint8_t _pad125[3];
    int32_t AirRev_c;
    int32_t AirFric_c;
    int32_t JpCr_c;
    int32_t Down_c;
    int32_t Catch_c;           // -1 after initialisation
    int32_t CatchW_c;
    int32_t StTg_c;
    DBRect Kurai;              // hurt box
    int32_t Step_c;
    int32_t Air_c;
    uint8_t AirCatch_f;
    uint8_t AirAct_f;
    uint8_t _pad182[2];
    int32_t DdgLag_c;
    uint8_t Round_f;
    uint8_t _pad189[3];
    int32_t Roll_c;
    int32_t HP;
    uint8_t MHP_f;
    uint8_t _pad201[3];
    int32_t Holy_c;
    uint8_t PosReset_f;
    uint8_t _pad209[3];
    int32_t MukiAgl;           // eight-way aim, -1 none
    int32_t AShCv_c;
    int32_t FricX;
    int32_t FricZ;
    int32_t Kagami_c;
    int32_t KagamiRev_c;
    uint8_t Stick_f;
    uint8_t _pad237[3];
    int32_t ECDdg_c;
    int32_t NoInput_c;
    int32_t DsAcc_c;
    MukiTypeA LastLRKey;
    uint8_t GaiyaOvL_f;
    uint8_t LandSet_f;
    uint8_t _pad255;
    int32_t LandX;
    int32_t LandZ;
    StoredRef Zahyou;          // the player's coordinates live in the hub
};
static_assert(sizeof(DBPlayerState) == 268);
static_assert(offsetof(DBPlayerState, Anime) == 12 && offsetof(DBPlayerState, BallDist) == 84 &&
              offsetof(DBPlayerState, Auto) == 96 && offsetof(DBPlayerState, CPUSt) == 100 &&
              offsetof(DBPlayerState, Dead_f) == 124 && offsetof(DBPlayerState, AirRev_c) == 128 &&
              offsetof(DBPlayerState, Catch_c) == 144 && offsetof(DBPlayerState, Kurai) == 156 &&
              offsetof(DBPlayerState, Step_c) == 172 && offsetof(DBPlayerState, AirCatch_f) == 180 &&
              offsetof(DBPlayerState, DdgLag_c) == 184 && offsetof(DBPlayerState, Round_f) == 188 &&
              offsetof(DBPlayerState, Roll_c) == 192 && offsetof(DBPlayerState, HP) == 196 &&
              offsetof(DBPlayerState, MHP_f) == 200 && offsetof(DBPlayerState, Holy_c) == 204 &&
              offsetof(DBPlayerState, PosReset_f) == 208 && offsetof(DBPlayerState, MukiAgl) == 212 &&
              offsetof(DBPlayerState, Stick_f) == 236 && offsetof(DBPlayerState, ECDdg_c) == 240 &&
              offsetof(DBPlayerState, LastLRKey) == 252 && offsetof(DBPlayerState, LandSet_f) == 254 &&
              offsetof(DBPlayerState, LandX) == 256 && offsetof(DBPlayerState, Zahyou) == 264);

// ---------------------------------------------------------------- ball state

struct DBShootState {
    int32_t Spin_c;
    int32_t Spin;
    int32_t ShLv;    // shot level
    int32_t ShPow;   // shot power
    int32_t CrvLv;   // curve level
    int32_t Crv_c;
    int32_t CrvY_c;
    DBHSType HSNo;   // special shot in flight, dbhNML = none
    uint8_t _pad29[3];
    int32_t HS_c;
    int32_t Hit_c;
    int32_t HitTime;
    int32_t LockLv;
    int32_t fdX;
    int32_t fdY;
    int32_t fdZ;
    uint8_t NmlSh_f;
    uint8_t _pad61[3];
    int32_t NiceLv;
    uint8_t Roll_f;
    uint8_t _pad69[3];
};
static_assert(sizeof(DBShootState) == 72);
static_assert(offsetof(DBShootState, HSNo) == 28 && offsetof(DBShootState, HS_c) == 32 &&
              offsetof(DBShootState, fdX) == 48 && offsetof(DBShootState, NmlSh_f) == 60 &&
              offsetof(DBShootState, NiceLv) == 64 && offsetof(DBShootState, Roll_f) == 68);

struct DBBallState {
    DBBallMotionType Motion;
    uint8_t _pad1[3];
    StAnime Anime;
    int32_t AniNo;
    uint8_t Invs_f;     // invisible
    uint8_t _pad81[3];
    int32_t HoldTNo;    // side of the holder
    int32_t HoldPNo;    // position of the holder
    int32_t PichTNo;    // side of the last thrower
    int32_t PichPNo;
    int32_t EnemTNo;
    int32_t ShTgTNo;    // side of the shot target
    int32_t ShTgPNo;
    DBShootState ShSt;
    int32_t PaTgTNo;    // side of the pass target
    int32_t PaTgPNo;
    MukiZType PaNMuki;
    uint8_t _pad193[3];
    int32_t PaETA_c;
    uint8_t PaJC_f;
    uint8_t _pad201[3];
    int32_t NoHit_c;
    int32_t PaCtTNo;    // side of the pass cutter
    int32_t PaCtPNo;
    DBPaLineType PaLine;
    uint8_t PaJPa_f;
    uint8_t _pad218[2];
    int32_t PaGrv;
    DBRect Atari;       // hit box
    int32_t AtariD;
    int32_t HitTNo;
    int32_t HitPNo;
    int32_t CrtSide[2];
    int32_t CrtPos[2];
    int32_t LandX;
    int32_t LandZ;
    int32_t LandXLine;
    int32_t LandZLine;
    uint8_t LandLine_f;
    uint8_t Land_f;
    uint8_t LandSet_f;
    uint8_t _pad287;
    int32_t CrvX;
    int32_t CrvZ;
    int32_t CrvY;
    int32_t Zn_c;       // after-image counter
    int32_t ZnX[4];
    int32_t ZnY[4];
    int32_t ZnZ[4];
    int32_t ZnSp[4];
    StoredRef Zahyou;   // the ball's coordinates live in the hub
};
static_assert(sizeof(DBBallState) == 372);
static_assert(offsetof(DBBallState, Anime) == 4 && offsetof(DBBallState, AniNo) == 76 &&
              offsetof(DBBallState, HoldTNo) == 84 && offsetof(DBBallState, ShTgPNo) == 108 &&
              offsetof(DBBallState, ShSt) == 112 && offsetof(DBBallState, PaTgTNo) == 184 &&
              offsetof(DBBallState, PaNMuki) == 192 && offsetof(DBBallState, PaETA_c) == 196 &&
              offsetof(DBBallState, PaJC_f) == 200 && offsetof(DBBallState, NoHit_c) == 204 &&
              offsetof(DBBallState, PaLine) == 216 && offsetof(DBBallState, PaGrv) == 220 &&
              offsetof(DBBallState, Atari) == 224 && offsetof(DBBallState, AtariD) == 240 &&
              offsetof(DBBallState, CrtSide) == 252 && offsetof(DBBallState, CrtPos) == 260 &&
              offsetof(DBBallState, LandX) == 268 && offsetof(DBBallState, LandLine_f) == 284 &&
              offsetof(DBBallState, CrvX) == 288 && offsetof(DBBallState, Zn_c) == 300 &&
              offsetof(DBBallState, ZnX) == 304 && offsetof(DBBallState, ZnSp) == 352 &&
              offsetof(DBBallState, Zahyou) == 368);

// ---------------------------------------------------------------- team state

struct DBPosMove {
    uint8_t EnC_f;       // enemy centre valid
    uint8_t _pad1[3];
    int32_t EnCX;
    int32_t EnCZ;
    int32_t EnC_c;       // frames until the enemy centre is recomputed
    int32_t InfXZ;       // infield formation distance
    InfLineType InfLine;
    uint8_t _pad21[3];
    int32_t Inf_c;       // frames until the infield is repositioned
    int32_t InfPos[2][4];  // random offsets: [0] X, [1] Z, per infield position
    uint8_t Inf_f[4];
};
static_assert(sizeof(DBPosMove) == 64);
static_assert(offsetof(DBPosMove, EnCX) == 4 && offsetof(DBPosMove, InfXZ) == 16 &&
              offsetof(DBPosMove, InfLine) == 20 && offsetof(DBPosMove, Inf_c) == 24 &&
              offsetof(DBPosMove, InfPos) == 28 && offsetof(DBPosMove, Inf_f) == 60);

struct DBTeamState {
    int32_t CtrlNo;  // position under control, -1 none
    int32_t CvrNo;   // cover man, -1 none
    DBPosMove PosMove;
    uint8_t PosReset_f;
    uint8_t _pad73[3];
};
static_assert(sizeof(DBTeamState) == 76 && offsetof(DBTeamState, PosMove) == 8 &&
              offsetof(DBTeamState, PosReset_f) == 72);

// ------------------------------------------------------------ match settings

struct DBGameData {
    DBGameMode DBGM;
    DBDifficulty DBDif;
    uint8_t DBSlow_f;   // slow rule
    uint8_t DBCPUNum;
    int32_t DBStage;
    uint8_t DBTeamNo[DBSIDES];      // team 0..23 per side
    uint8_t DBDefTeam_f[DBSIDES];
    int32_t DBPosofC[DBSIDES][DBMEMBERS];    // position of each member
    int32_t DBCharofP[DBSIDES][DBPOSITIONS];  // member at each position
    DBShiaiState DBSSt;
    uint8_t _pad125[3];
    int32_t DBCsl_c;
    int32_t DBCrtNo;    // court 0..2
};
static_assert(sizeof(DBGameData) == 136);
static_assert(offsetof(DBGameData, DBStage) == 4 && offsetof(DBGameData, DBTeamNo) == 8 &&
              offsetof(DBGameData, DBDefTeam_f) == 10 && offsetof(DBGameData, DBPosofC) == 12 &&
              offsetof(DBGameData, DBCharofP) == 68 && offsetof(DBGameData, DBSSt) == 124 &&
              offsetof(DBGameData, DBCsl_c) == 128 && offsetof(DBGameData, DBCrtNo) == 132);

// The chosen match settings and the menus' own data; the match reads DBGDt.
struct TSceneData {
    struct MenuData {
        int32_t PNum;
        int32_t IDNo[4];
        int32_t TeamNo[4];
        int32_t IDMAX;
        int32_t TMAX;
    } MDt = {};
    struct PrgData {
        int32_t PRGNo[8];
        int32_t MaxPNo;
    } PDt = {};
    struct BGMData {
        int32_t BGMNo[8];
    } BDt = {};
    DBGameData DBGDt = {};
};

// ---------------------------------------------------------------- rank table

struct DBBPData {
    int32_t Lv, Sp, FlySp, FlyAg, RefSp, RefAg, BwSp, SlpSp, SlpSpGuts, StDecFrm,
        DsDecFrm, JpDecFrm, DJDecFrm;
};
struct DBCrvData {
    int32_t Crv, CrvY, NCrv, NCrvY;
};
struct DBSpdData {
    int32_t DSX, DSNX, DSNZ, DSACC, DSMAXACC, WkX, WkZ, WkNX, WkNZ, DSJPX, WkJPX, WkJPZ,
        WkJPNX, WkJPNZ, JPCrFrm, DSFric, DgRes, JDgRes, PaWaitPos;
};
struct DBCaTData {
    int32_t CaFrm_HS, CaFrm_A, CaFrm_B, CaFrm_C, CaFrm_D, CaFrm_E, CaFrm_F, CaFrm_G,
        CaFrm_P, MinCaFrm, NextCaFrm, EZCaFrm_HS, EZCaFrm_A, EZCaFrm_B, EZCaFrm_C,
        EZCaFrm_D, EZCaFrm_E, EZCaFrm_F, EZCaFrm_G, EZCaFrm_P, EZMinCaFrm, EZNextCaFrm,
        StStop, DsStop, JpStop, DJStop;
};
struct DBTafData {
    int32_t DamPer;
};
struct DBGutData {
    int32_t RevFrm, RollNum, Breath16, Breath12, Breath8, Breath4, BreathRev, ARevHP,
        ARevFrm_HS, ARevFrm_A, ARevFrm_B, ARevFrm_C, ARevFrm_D, ARevFrm_E, ARevFrm_F,
        ARevFrm_G, ARevFrm_P, ARevStop;
};
struct DBPosData {
    int32_t XLX, XLX2, XLZ2, ZLZ, ZLZ2, ZLX2;
};
struct DBMnrData {
    int32_t STEAL_W, STEAL_D;
};
static_assert(sizeof(DBBPData) == 52 && sizeof(DBCrvData) == 16 && sizeof(DBSpdData) == 76 &&
              sizeof(DBCaTData) == 104 && sizeof(DBTafData) == 4 && sizeof(DBGutData) == 72 &&
              sizeof(DBPosData) == 24 && sizeof(DBMnrData) == 8);

// One row of the rank table.
struct DBRankData {
    DBBPData BP;
    DBCrvData Crv;
    DBSpdData Spd;
    DBCaTData CaT;
    DBTafData Taf;
    DBGutData Gut;
    DBPosData Pos;
    DBMnrData Mnr;
};
static_assert(sizeof(DBRankData) == 356);
static_assert(offsetof(DBRankData, Crv) == 52 && offsetof(DBRankData, Spd) == 68 &&
              offsetof(DBRankData, CaT) == 144 && offsetof(DBRankData, Taf) == 248 &&
              offsetof(DBRankData, Gut) == 252 && offsetof(DBRankData, Pos) == 324 &&
              offsetof(DBRankData, Mnr) == 348);
constexpr size_t DBRANK_BYTES = DBRANK_ROWS * sizeof(DBRankData);  // 3204

// A player's rank rows: each sub-row may come from a different row of the
// rank table.
struct DBSelfRankData {
    const DBCrvData* Crv = nullptr;
    const DBSpdData* Spd = nullptr;
    const DBCaTData* CaT = nullptr;
    const DBTafData* Taf = nullptr;
    const DBGutData* Gut = nullptr;
    const DBPosData* Pos = nullptr;
    const DBMnrData* Mnr = nullptr;
};

// ------------------------------------------------------- special-shot table

struct DBShootData {
    char Name[10];
    uint8_t _pad10[2];
    int32_t Pow;
    int32_t Spd;
    int32_t SlpSp;
    int32_t FlySp;     // knock-back speed
    int32_t FlyAgl;    // knock-back angle
    int32_t BwSp;      // bounce speed
    int32_t RCrv;      // curve
    int32_t StDecFrm;
    int32_t DsDecFrm;
    int32_t JpDecFrm;
    int32_t DJDecFrm;
    int32_t Crv_f;
    int32_t Ani;
    int32_t Hmng_f;    // homing
    int32_t Pierce_f;
    int32_t Round_f;
    int32_t Etc[8];
};
static_assert(sizeof(DBShootData) == 108);
static_assert(offsetof(DBShootData, Pow) == 12 && offsetof(DBShootData, DJDecFrm) == 52 &&
              offsetof(DBShootData, Round_f) == 72 && offsetof(DBShootData, Etc) == 76);
constexpr size_t DBSHOOT_BYTES = DBSHOOT_COUNT * sizeof(DBShootData);  // 2268

// --------------------------------------------------------------- save state

// The whole state of a match: the image of a state save file.
struct QuickSaveData {
    int32_t RSeed;  // random generator state at the time of saving
    DBGameData DBGDt;
    DTCharData ADTCDt[DBTEAMS][DBMEMBERS];
    DCDDBallDt ADBPDt[DBTEAMS][DBMEMBERS];
    DBPlayerState ADBPSt[DBSIDES][DBPOSITIONS];
    DBBallState DBBallSt;
    ZahyouRec ADBZahyou[DBSIDES][DBPOSITIONS];
    ZahyouRec DBBallZahyou;
    DBTeamState DBTSt[DBSIDES];
};
static_assert(sizeof(QuickSaveData) == 57732);
static_assert(offsetof(QuickSaveData, DBGDt) == 4 && offsetof(QuickSaveData, ADTCDt) == 140 &&
              offsetof(QuickSaveData, ADBPDt) == 43148 && offsetof(QuickSaveData, ADBPSt) == 52556 &&
              offsetof(QuickSaveData, DBBallSt) == 56308 &&
              offsetof(QuickSaveData, ADBZahyou) == 56680 &&
              offsetof(QuickSaveData, DBBallZahyou) == 57520 &&
              offsetof(QuickSaveData, DBTSt) == 57580);
constexpr size_t QUICKSAVE_BYTES = sizeof(QuickSaveData);

// The stored form of a save state: the image with every memory-reference
// placeholder and padding byte written as 0 and every boolean as 0 or 1.
std::vector<uint8_t> QuickSaveToBytes(const QuickSaveData& sv);

// Reads a stored save state. Only a file of exactly the image's size whose
// table numbers (teams, members, motions, frames, sides, positions, shots) are
// all in range is taken; anything else gives an explanation and leaves `out`
// unchanged.
bool QuickSaveFromBytes(std::span<const uint8_t> bytes, QuickSaveData& out,
                        std::string* why = nullptr);
