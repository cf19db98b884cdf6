// The game's texture sets: the general set (scene, court and item pictures),
// the character set (palettes, faces and bodies of every team member) and the
// court background drawer.
//
// Character pictures are 8-bit pictures painted with palette indices 0..15;
// each member gets a palette built from four of the 32 colour sets of
// data\pal.qx2 (eye, skin, hair, and the team's pants), so one picture serves
// every member.
#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "files/QDArc.h"
#include "graphics/AlphaLib32.h"
#include "shell/SAIData.h"
#include "shell/zimraLib.h"

class TAlpha32SAI;
class TGlobalSAI;
class TGrpData;

// A 256-entry palette as the texture sets build it: 0x00RRGGBB per entry.
using CharPalette = std::array<uint32_t, 256>;

class TAllTx {
 public:
  TAllTx(TAlpha32SAI* tAL, TGlobalSAI* tGlb);
  ~TAllTx();
  TAllTx(const TAllTx&) = delete;
  TAllTx& operator=(const TAllTx&) = delete;
  // Loads the pictures; a picture that fails halts the game ("ALib Err").
  void LoadTx();

  TAlpha32SAI* AL;
  TGlobalSAI* Glb;
  // Only the DB slots are ever loaded; the others stay empty.
  TALTexture OPtx, Logotx, Titletx, Blindtx, Facetx, Facetx2, Itemtx, Sticktx, Chaintx, Tonetx,
      Menutx, Maptx, ETCtx, Efcttx, DBItemtx, DBOPtx, DBMSLtx, DBVStx, DBTSLtx, DBPSLtx,
      DBLoadtx;
  TALTexture DBCourttx[3];
};

// One colour set of the character palette archive.
struct DBCHARPal {
  uint32_t Trans = 0;
  uint32_t Black = 0;
  uint32_t Eye = 0;
  uint32_t Skin[6] = {};
  uint32_t Hair[3] = {};
  uint32_t Pants[2] = {};
  uint32_t Shirt[3] = {};
};

// The team and the three colour sets a member's palette was built from.
struct DBBodyCol {
  int32_t TNo = 0, Eye = 0, Skin = 0, Hair = 0;
};

// The small palettes the character set registers at creation: grey, white,
// the outline colour LCol[SC], the skin colour SCol[SC] and the team colour
// TCol[TC]; everything else black. SC and TC outside their tables read as 0.
CharPalette MakePal(int SC, int TC);

class TALLtxChar {
 public:
  static constexpr int PALSETS = 32;
  static constexpr int TEAMS = 24;
  static constexpr int MEMBERS = 7;
  static constexpr uint32_t FIXEDBLACK = 0x313042;  // (49, 48, 66), every set's outline

  TALLtxChar(TAlpha32SAI* tAL, TGlobalSAI* tGlb, TGrpData* tGDt);
  ~TALLtxChar();
  TALLtxChar(const TALLtxChar&) = delete;
  TALLtxChar& operator=(const TALLtxChar&) = delete;

  // Reads the 32 colour sets from data\pal.qx2. A missing archive halts with
  // "File Not Found", one that fails its checks with "File Ver Err"; the sets
  // then stay zero.
  void LoadDBPalDt();
  // The same from an archive image already in memory (tests, the fuzzer).
  // Returns the halt code the image earns, or -1 when it was read.
  int ReadDBPalDt(std::span<const uint8_t> archive);
  // A member's palette from six colour set numbers; numbers outside 0..31
  // read as set 0.
  void MakePalDB(CharPalette& pal, int Black, int Eye, int Skin, int Hair, int Pants,
                 int Shirt) const;
  void LoadAllFace(int TNo, int CNo, int FaceNo, int Black, int Eye, int Skin, int Hair,
                   int Pants, int Shirt);
  void LoadAllBody(int TNo);
  // The body and face strip of the player at (SideNo, PosNo), member CharNo of
  // team TeamNo. Members of one side with the same eye, skin and hair share
  // one body texture.
  void LoadDBBMP(int SideNo, int PosNo, int FaceNo, int TeamNo, int CharNo, const DCDLooks& Looks);
  void ClearCharDBp();
  void LoadBMP(int i, int n);

  TAlpha32SAI* AL;
  TGrpData* GDt;
  TGlobalSAI* Glb;
  int32_t ColNo[5] = {-1, -1, -1, -1, 0};
  int32_t PalIndex[4][11] = {};
  DBCHARPal DBPal[PALSETS];
  int32_t AllCharPalNo[TEAMS][MEMBERS] = {};
  DBBodyCol AllCharPalDt[TEAMS][MEMBERS];
  bool txCharDB_f[2][MEMBERS] = {};
  TQDAStream qmsCharDB;
  TALTexture txChar[5][2];  // kept for its place; never loaded
  TALTexture txCharDB[2][MEMBERS];
  TALTexture txFaceDB[2][MEMBERS];
  TALTexture* txCharDBp[2][MEMBERS] = {};
  TALTexture txAllFace2DB[TEAMS][MEMBERS];
  TALTexture txAllFaceDB[TEAMS][MEMBERS];
  TALTexture txAllBodyDB[TEAMS];
  TALTexture txAllBodyDB2[4][MEMBERS];

  // Every palette this set built, in the order it built them (tests read
  // them; the renderer keeps its own copies).
  std::vector<CharPalette> Palettes;

 private:
  int RegisterPal(const CharPalette& pal);
  void LoadCharTx(TALTexture& tx, const std::string& id, bool reload, int pal,
                  const ALRect& r);
};

class TBGCtrlSAI : public TBGCtrl {
 public:
  TBGCtrlSAI(TAlpha32SAI* tAL, TAllTx* tAT, TGlobalSAI* tGlb);
  // Draws court 1 or 2 as asked, any other number as court 0.
  void OnDrawDB(int court);

  TAlpha32SAI* AL;
  TGlobalSAI* Glb;
  TAllTx* AT;
  int32_t MapYPos = 0;
  int32_t LastCourt = -1;  // the court of the last draw
};
