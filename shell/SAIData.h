// The match's sprite and motion tables (TGrpData) and the team member record
// (DTCharData). The records here are the byte images of the data files: every
// field sits at a fixed offset, checked below, so a table is filled by copying
// the file's bytes over it. Booleans are one byte (any non-zero value is true)
// and enumerations are one-byte enums, so no byte from a file can form an
// invalid value.
#pragma once
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

static_assert(std::endian::native == std::endian::little,
              "the data files are little-endian images");

// One sprite frame of the frame table: where the face, the body and the held
// item are drawn relative to the frame's origin.
struct BitMapData {
    uint8_t FaceNo;  // face number drawn with the frame
    int8_t FX;       // face offset X
    int8_t FY;       // face offset Y
    int8_t FZ;       // face offset Z (draw order of the face)
    int8_t BX;       // body offset X
    int8_t BY;       // body offset Y
    int8_t IX;       // item offset X (the hand point)
    int8_t IY;       // item offset Y
    uint8_t IZ;      // item Z
    uint8_t IR;      // item rotation
    int8_t LX;
    int8_t LY;
    uint8_t LP;
    uint8_t ExNum;
    uint8_t SrcSize;  // source size class of the body cell
    uint8_t Yobi[1];
};
static_assert(sizeof(BitMapData) == 16);
static_assert(offsetof(BitMapData, IZ) == 8 && offsetof(BitMapData, SrcSize) == 14);

// A box in pixels relative to a frame's origin.
struct SquareData {
    int8_t X;   // left
    int8_t Y;   // top
    uint8_t W;  // width
    uint8_t H;  // height
};
static_assert(sizeof(SquareData) == 4);

// Branch conditions of an animation frame.
enum HaseiType : uint8_t {
    htNone, htAnyBtn, htABtn, htBBtn, htXBtn, htYBtn, htStick, htLift, htLand,
    htMAX, htR1, htR2, htR3, htRM, htNtr
};

// One animation frame of a motion.
struct AnimeData {
    uint16_t BmpNo;      // sprite frame number (row of the frame table)
    int8_t X;
    int8_t Y;
    uint8_t Time;        // frames shown
    uint8_t LoopP;       // loop point
    uint8_t LoopC;       // loop count
    uint8_t RevX_f;      // mirror horizontally
    uint8_t RevY_f;      // mirror vertically
    uint8_t LoopSE_f;    // sound on every loop
    uint8_t TameLoop_f;  // hold loop
    uint8_t Last_f;      // last frame of the motion
    HaseiType Hasei[4];  // branch conditions
    uint8_t HaseiNo[4];  // branch targets
    uint8_t Tame;        // hold
    uint8_t SE;          // sound effect number
    uint8_t ActP_f;      // active point
    uint8_t YOBI[9];
};
static_assert(sizeof(AnimeData) == 32);
static_assert(offsetof(AnimeData, Last_f) == 11 && offsetof(AnimeData, Hasei) == 12 &&
              offsetof(AnimeData, HaseiNo) == 16 && offsetof(AnimeData, Tame) == 20 &&
              offsetof(AnimeData, ActP_f) == 22 && offsetof(AnimeData, YOBI) == 23);

struct DBBMFrameData {
    AnimeData Ani;     // animation of the frame
    SquareData Kurai;  // hurt box of the frame
};
static_assert(sizeof(DBBMFrameData) == 36 && offsetof(DBBMFrameData, Kurai) == 32);

// Frames a motion can have; a motion whose frames never mark Last_f still ends
// at the last of them.
constexpr int DBMOTION_FRAMES = 7;

// One motion of the motion table.
struct DBBaseMotionData {
    char Name[32];
    DBBMFrameData Frame[DBMOTION_FRAMES];
    uint8_t YOBI[4];
};
static_assert(sizeof(DBBaseMotionData) == 288);
static_assert(offsetof(DBBaseMotionData, Frame) == 32 && offsetof(DBBaseMotionData, YOBI) == 284);

constexpr int DBBMP_COUNT = 512;     // rows of the frame table
constexpr int DBMOTION_COUNT = 128;  // rows of the motion table
constexpr size_t DBBMP_BYTES = DBBMP_COUNT * sizeof(BitMapData);            // 8192
constexpr size_t DBMOTION_BYTES = DBMOTION_COUNT * sizeof(DBBaseMotionData);  // 36864

// A name as eight codes of the game's name code table.
using DTNameArr = std::array<uint8_t, 8>;

struct DCDLooks {
    uint8_t DBFaceNo;  // face number in the match
    uint8_t FaceNo;
    uint8_t ZuraNo;    // hair style
    uint8_t SkinCol;
    uint8_t HairCol;
    uint8_t EyeCol;
    uint8_t AKI[10];
};
static_assert(sizeof(DCDLooks) == 16);

struct DCDProf {
    uint8_t Sex, Grade, BirthMon, BirthDay, Blood, Height, Weight, Me, Hana, Mimi,
        Mikaku, Kenkou, Keizai;
    uint8_t AKI[11];
};
static_assert(sizeof(DCDProf) == 24);

struct DCDMainDt {
    uint8_t AKI[32];
};
static_assert(sizeof(DCDMainDt) == 32);

// The ability bytes of a team member.
struct DCDDBallDt {
    uint8_t dHP;    // hit points
    uint8_t dBP;    // ball power
    uint8_t dShT;   // shot technique
    uint8_t dCrv;   // curve
    uint8_t dSpd;   // speed
    uint8_t dCaT;   // catch technique
    uint8_t dTaf;   // toughness
    uint8_t dGut;   // guts
    uint8_t dPos;
    uint8_t dMnr;
    uint8_t dJHS;   // jump special shot
    uint8_t dHS;    // special shot
    uint8_t dSHS1;  // special shot 1
    uint8_t dSHS2;  // special shot 2
    uint8_t AKI[42];
};
static_assert(sizeof(DCDDBallDt) == 56 && offsetof(DCDDBallDt, dSHS2) == 13);

// One team member, as stored in the team files.
struct DTCharData {
    DTNameArr Name;
    DTNameArr Myouji;  // family name
    DTNameArr Namae;   // given name
    uint8_t AKI[104];
    DCDLooks Looks;
    DCDProf Prof;
    DCDMainDt MainDt;
    DCDDBallDt DBDt;
};
static_assert(sizeof(DTCharData) == 256);
static_assert(offsetof(DTCharData, Myouji) == 8 && offsetof(DTCharData, Namae) == 16 &&
              offsetof(DTCharData, AKI) == 24 && offsetof(DTCharData, Looks) == 128 &&
              offsetof(DTCharData, Prof) == 144 && offsetof(DTCharData, MainDt) == 168 &&
              offsetof(DTCharData, DBDt) == 200);

// Colour sets a member's looks can name, and the highest special-shot byte
// that names a row of the shot table (a byte v of 2 or more names row v - 2).
constexpr uint8_t DBLOOKS_COLOURS = 32;
constexpr uint8_t DBSHOT_BYTE_MAX = 22;

// Team files are untrusted: a colour number past the colour sets becomes 0
// and a special-shot byte past the shot table becomes 0 (no special shot),
// so no later table read goes out of range. Every valid record is unchanged.
// Returns true when something was changed.
bool SanitizeBallDt(DCDDBallDt& dt);
bool SanitizeCharData(DTCharData& cd);

// Technique data: two memory buffers the match creates and frees but never fills.
class TTecData {
public:
    std::vector<uint8_t> TecDt[2];
};

// A map holder that the match never loads.
class TMapData {
public:
    std::string MapName;
    int32_t MapDtFileAge = 0;
};

class TStream;
class TGlobal;

// How a table load ended.
enum class TableLoad {
    Ok,
    NoFile,      // the archive or loose file does not exist: tables kept
    BadArchive,  // the archive failed its hash or tag check: tables kept
    NoEntry,     // the archive lacks a required entry: that table is zero
    Short,       // a loose file was shorter than its table: the rest is zero
};

// The match's graphics data: the frame table and the motion table.
class TGrpData {
public:
    TGrpData();
    ~TGrpData();
    TGrpData(const TGrpData&) = delete;
    TGrpData& operator=(const TGrpData&) = delete;

    // Loads both tables: from the data archive in the shipped build, from the
    // loose files beside the program in the authoring build (the build flags
    // of `glb` decide). An archive lacking a table halts the game through
    // `glb` with code 2; a missing or damaged archive keeps the tables.
    TableLoad LoadDt(TGlobal* glb = nullptr);
    // The two ways of loading, both reachable so each can be tested.
    TableLoad LoadDtShipped();
    TableLoad LoadDtAuthoring();

    // Reads both tables from an archive image: checks it, then takes the two
    // entries. The shipped way once the archive file is in memory.
    TableLoad LoadFromArchive(TStream& archive);

    // Zeroes a table and copies up to its size from the bytes; a short source
    // leaves the rest zero.
    void SetFrameTable(std::span<const uint8_t> bytes);
    void SetMotionTable(std::span<const uint8_t> bytes);

    // The frame of a motion, with both numbers held in range: a motion number
    // outside the table gives motion 0, a frame number past the last gives the
    // last frame.
    const DBBMFrameData& MotionFrame(int32_t mno, int32_t frameNo) const;
    // A row of the frame table; a number past the table gives an empty row.
    const BitMapData& FrameRow(int32_t bmpNo) const;

    BitMapData BMPData[DBBMP_COUNT] = {};           // not used by the match
    DBBaseMotionData BsmData[DBMOTION_COUNT] = {};  // not used by the match
    BitMapData DBBMPData[DBBMP_COUNT] = {};         // the frame table
    DBBaseMotionData DBBsmData[DBMOTION_COUNT] = {};  // the motion table
    TTecData* TecData2 = nullptr;
};

