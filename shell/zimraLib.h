// What every part of the game shares: the build flags and unit constants, the
// options and name records, the global status object TGlobal (information,
// alert and halt texts, the loading caption, the random seed, the authoring
// build's debug lines, the settings and options records), the small counter
// and clamp routines of the match code, file, version and time-text helpers,
// the name code table of the team files and the base background controller.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "config/CfgIni.h"
#include "shell/BuildFlags.h"

class TForm1;
class TAnti_DelX;
class TOggDataCtrl;
class TFontDraw;
class TProcCounter;
class TAlpha32;
struct TALTexture;

// Unit constants.
constexpr int32_t DEBUGNUM = 7;
constexpr int32_t INITDINUM = 3;
constexpr int32_t DEFDHTIME = 8;
constexpr int32_t DEFTEAM_VER = 1;
constexpr int32_t DBDATA_VER = 0;
constexpr int32_t CHAR_VER = 1;
constexpr int32_t PAL_VER = 1;
constexpr int DBGTXTNUM = 21;  // debug text lines

// Display and sound options (78 bytes). Nothing fills it from a file: the form
// sets the defaults (all 0 but UseD3D 1).
#pragma pack(push, 1)
struct TDXINI {
  int16_t TexFmt;
  int16_t ScreenType;
  int16_t UseD3D;
  int16_t TexelFix;
  int16_t DbgLog;
  int16_t DSBufSize;
  int16_t UseRAM;
  int16_t JSBtn[4][8];
};
// A spare record (160 bytes), not read by the game.
struct TDBINI {
  int32_t DBVar[8];
  char DBTxt[8][16];
};
#pragma pack(pop)
static_assert(sizeof(TDXINI) == 78 && sizeof(TDBINI) == 160, "record sizes");

// A team member's name: eight one-byte codes into DTMOJICODE.
using DTNameArr = std::array<uint8_t, 8>;

// The name code table: code n stands for the two-byte Shift-JIS character
// DTMOJICODE[n]. Only characters the bitmap font draws are used:
//   0 "＿" (a blank cell), 1..10 full-width digits, 11..36 full-width capitals,
//   37..119 hiragana (0x829F..0x82F1), 120..203 katakana (0x8340..0x8394)
//   except the eleven katakana ア..ガ (0x8341..0x834B), whose cells the damage
//   numbers' framed digits take: code 121 is the full-width space and codes
//   122..131 are blank, 204..228 the font's signs, 229 the one kanji (0x8DC4),
//   230..255 blank again.
// The codes fix the bytes of names in team files, so the table never changes.
extern const std::array<const char*, 256> DTMOJICODE;

DTNameArr StrToDTNameArr(std::string_view sjis);
std::string DTNameArrToStr(const DTNameArr& dna);

// --- the global status object ----------------------------------------------

class TGlobal {
 public:
  // Keeps the form (its caption shows the loading progress) and sets its
  // canvas brush white and its font size 12. The form may be null in tests.
  // The flags are the program's (the form passes its own); by default those
  // of the shipped build.
  explicit TGlobal(TForm1* tMF, BuildFlags flags = BuildFlags{});
  virtual ~TGlobal() = default;

  const std::string& InfMsg() const { return fInfMsg; }
  // Information text shown in the caption for tInf_c loop calls.
  void SetInf(const std::string& s, int32_t tInf_c);
  // Once per loop call: counts the time-out down, clears the text at 0, and
  // reports whether it is still live (SetInf(s, 60) stays live 59 calls).
  bool IdleInf();
  void AlertClear() { AlertMsg.clear(); }
  // Records a fatal error; the next loop call shows it and ends the program.
  // A later call replaces the message.
  void HaltMsg(const std::string& msg);
  // 0 "File Not Found", 1 "Init Failed", 2 "File Ver Err", 3 "ALib Err", else "Err".
  void HaltMsgNo(int32_t n);
  // Loading progress in the form's caption: ms2 + " " + a ten-character gauge
  // ('!' for steps 1..rt, '.' for the rest), and in Japanese + " " + ms.
  // An empty ms2 takes the language's default.
  void InitMsg(const std::string& ms, int32_t rt, const std::string& ms2 = "");
  // Authoring build: the first debug line whose key is empty or St becomes
  // "St = Value".
  void SetDbgTxt(const std::string& St, int32_t Value);
  void Idle() {}

  BuildFlags Flags;
  std::string fInfMsg;
  int32_t Inf_c = 0;
  TForm1* tMainForm = nullptr;
  TAnti_DelX* TW = nullptr;
  TOggDataCtrl* OC = nullptr;
  TFontDraw* FD = nullptr;
  std::array<std::string, DBGTXTNUM> DbgTxtSt;
  std::array<std::string, DBGTXTNUM> DbgTxt;
  int32_t RandSeed = 0;
  int32_t LoopTime = 0;
  bool Halt_f = false;
  bool HanteiDraw_f = false;
  TProcCounter* PC = nullptr;
  TALTexture* CirTx = nullptr;
  std::string AlertMsg;
  std::string ErrMsg;
  int32_t ErrNo = 0;
  TCFGINI CFGINI{};
  TDXINI DXINI{};
  TDBINI DBINI{};
};

// The authoring build, as the global status object's flags tell it; without
// one, the shipped build. The only way code tells the two builds apart, so one
// program (and one test binary) runs either.
inline bool AuthoringBuild(const TGlobal* glb) { return glb && glb->Flags.Debug_f; }

// --- the display log ---------------------------------------------------------

// Trace lines of the start-up and the loaders go to the display's log. The
// shipped game keeps no log, so by default they go nowhere; the display
// connects its log here when logging is switched on.
void GameLog(const std::string& sjis);
void SetGameLog(std::function<void(const std::string&)> sink);

// --- counters and clamps -----------------------------------------------------

// Moves X toward 0 by |N|, never past it; true when X is 0.
bool DownTo0(int32_t& X, int32_t N);
// Moves X by -N toward R (down with N >= 1 from above, up with N < 0 from
// below), never past R; true when X ends at R. Other cases leave X alone.
bool DownToR(int32_t& X, int32_t R, int32_t N);
// The same with X + N: up with N >= 1 from below, down with N < 0 from above.
// Used as a cyclic counter: if (UpToR(c, R, 1)) c = 0 gives 0..R-1.
bool UpToR(int32_t& X, int32_t R, int32_t N);
// Num clamped into the range between the two sides, whichever is smaller.
int32_t Between(int32_t Num, int32_t Side1, int32_t Side2);
// True with a chance of Border percent; takes one random draw.
bool Per100(int32_t Border);
// X * p div 100, truncating; computed wide so no product overflows.
int32_t Percentage(int32_t X, int32_t p);
// Keta <= 10: the lowest Keta decimal digits of |Num| with leading zeros;
// Keta > 10: plain decimal.
std::string NumToStr(int32_t Num, int32_t Keta);

// --- files, version, time text -------------------------------------------------

// Reads up to BufSize bytes of a file beside the executable into pBuf (a
// shorter file leaves the rest as it was). A missing file is logged as
// DtName + "が見つかりません" and gives false.
bool DtLoading(std::string_view DtName, void* pBuf, size_t BufSize);
// The program's file version text.
std::string GetExeVer();
// Microseconds as "( s.ms秒 )", both numbers without leading zeros.
std::string SpTime(int64_t pc);

// --- the base background controller -------------------------------------------

enum CoverEffectType : uint8_t { ceNone, ceFade };
enum BGEffectType : uint8_t { beInstant, beBlindLR, beFade };

#pragma pack(push, 4)
struct CvrData {
  uint32_t Col;
  int32_t Alp;
  uint8_t MAlp;
  int32_t Sp;
  CoverEffectType Ef;
  uint8_t Bm;  // the renderer's blend mode
};
struct BGData {
  CvrData ACvr, BCvr;
  int32_t NowBGNo, NextBGNo;
  BGEffectType BGEf;
  int32_t BGEf_c;
  uint32_t BaseCol;
};
#pragma pack(pop)
static_assert(sizeof(BGData) == 60, "background record size");

class TBGCtrl {
 public:
  TBGCtrl(TAlpha32* tAL, TGlobal* tGlb);
  virtual ~TBGCtrl() = default;
  virtual void OnInit();
  void SetBaseCol(uint32_t col) { BGDt.BaseCol = col; }

  TAlpha32* GenAL;
  TGlobal* GenGlb;
  BGData BGDt{};
  TFontDraw* FD;
  bool fMoving_f = false;
};
