#include "shell/clsAllTx.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "graphics/AlphaLib32Pictures.h"
#include "platform/Files.h"
#include "shell/GameArchive.h"
#include "shell/GlbRecord.h"

namespace {

constexpr int HALT_BADFILE = 2;
constexpr int HALT_ALIB = 3;

constexpr const char* kPalArc = "data\\pal.qx2";
constexpr const char* kCharArc = "data\\char.qx2";
constexpr size_t kPalFileSize = 778;  // 10-byte header, then 256 RGB triples
constexpr size_t kPalHeader = 10;

constexpr uint32_t RGB(uint32_t r, uint32_t g, uint32_t b) { return (r << 16) | (g << 8) | b; }

constexpr uint32_t SCol[4] = {RGB(255, 150, 95), RGB(255, 155, 59), RGB(203, 79, 15),
                              RGB(255, 191, 179)};
constexpr uint32_t LCol[4] = {RGB(0, 0, 0), RGB(167, 0, 0), RGB(0, 0, 0), RGB(67, 47, 0)};
constexpr uint32_t TCol[11] = {RGB(255, 255, 255), RGB(0, 131, 139), RGB(219, 43, 0),
                               RGB(79, 223, 75),   RGB(191, 0, 191), RGB(167, 139, 253),
                               RGB(71, 0, 159),    RGB(59, 191, 255), RGB(131, 0, 243),
                               RGB(0, 81, 0),      RGB(27, 63, 95)};

// A colour set number from team data or a caller; unknown sets read as 0.
int SetNo(int n) { return n >= 0 && n < TALLtxChar::PALSETS ? n : 0; }

// Colour k of a palette file image (zeros beyond its end).
uint32_t FileColour(std::span<const uint8_t> file, int k) {
  uint8_t c[3] = {};
  for (int i = 0; i < 3; ++i) {
    size_t at = kPalHeader + size_t(k) * 3 + size_t(i);
    if (at < file.size() && at < kPalFileSize) c[i] = file[at];
  }
  return RGB(c[0], c[1], c[2]);
}

}  // namespace

// ---------------------------------------------------------------- TAllTx

TAllTx::TAllTx(TAlpha32SAI* tAL, TGlobalSAI* tGlb) : AL(tAL), Glb(tGlb) { LoadTx(); }

TAllTx::~TAllTx() {
  if (!AL) return;
  for (TALTexture* tx : {&DBLoadtx, &DBPSLtx, &DBTSLtx, &DBVStx, &DBMSLtx, &DBOPtx, &DBItemtx,
                         &DBCourttx[0], &DBCourttx[1], &DBCourttx[2]})
    if (tx->ALSt != alsNil) AL->FreeTexture(*tx);
}

void TAllTx::LoadTx() {
  if (!AL) return;
  AL->PalLoad("bmp\\hpface.pal");
  AL->LoadTextureLR(DBItemtx, "data\\bmp\\dbitem.png");
  auto plain = [this](TALTexture& tx, const char* file) {
    AL->LoadTextureEx(tx, file, false, false, false, ckNone, -1);
  };
  plain(DBCourttx[0], "data\\bmp\\dbcourt0.png");
  // The authoring build plays on the first court only.
  if (!AuthoringBuild(Glb)) {
    plain(DBCourttx[1], "data\\bmp\\dbcourt1.png");
    plain(DBCourttx[2], "data\\bmp\\dbcourt2.png");
  }
  plain(DBOPtx, "data\\bmp\\dbop.png");
  plain(DBVStx, "data\\bmp\\dbvs.png");
  plain(DBLoadtx, "data\\bmp\\dbload.png");
  plain(DBMSLtx, "data\\bmp\\dbmsl.png");
  plain(DBTSLtx, "data\\bmp\\dbtsl.png");
  plain(DBPSLtx, "data\\bmp\\dbpsl.png");
  if (AL->Err_f && Glb) Glb->HaltMsgNo(HALT_ALIB);
}

// ---------------------------------------------------------------- palettes

CharPalette MakePal(int SC, int TC) {
  if (SC < 0 || SC >= 4) SC = 0;
  if (TC < 0 || TC >= 11) TC = 0;
  CharPalette pal{};
  pal[0] = RGB(160, 160, 160);
  pal[1] = RGB(255, 255, 255);
  pal[2] = LCol[SC];
  pal[3] = SCol[SC];
  pal[4] = TCol[TC];
  return pal;
}

// ---------------------------------------------------------------- TALLtxChar

TALLtxChar::TALLtxChar(TAlpha32SAI* tAL, TGlobalSAI* tGlb, TGrpData* tGDt)
    : AL(tAL), GDt(tGDt), Glb(tGlb) {
  for (int i = 0; i < 4; ++i) ColNo[i] = -1;
  for (int sc = 0; sc < 4; ++sc)
    for (int tc = 0; tc < 11; ++tc) PalIndex[sc][tc] = RegisterPal(MakePal(sc, tc));
  LoadDBPalDt();
  // The character pictures: an archive that is missing or fails its checks
  // stops the game like the other data archives, rather than leaving the
  // players invisible.
  const std::string charPath = plat::ProgramFolder() + kCharArc;
  CheckedArchive chars = OpenGameArchive(charPath, "CHAR", 0, 0, 1);
  if (chars.halt >= 0 && Glb) Glb->HaltMsgNo(chars.halt);
  if (chars.halt < 0) qmsCharDB.LoadFromBytes(chars.ms.TakeBytes(), charPath);
  ClearCharDBp();
}

TALLtxChar::~TALLtxChar() {
  if (!AL) return;
  auto freeTx = [this](TALTexture& tx) {
    if (tx.ALSt != alsNil) AL->FreeTexture(tx);
  };
  for (int s = 0; s < 2; ++s)
    for (int m = 0; m < MEMBERS; ++m) {
      freeTx(txFaceDB[s][m]);
      freeTx(txCharDB[s][m]);
    }
  for (auto& team : txAllFaceDB)
    for (auto& tx : team) freeTx(tx);
  for (auto& tx : txAllBodyDB) freeTx(tx);
  for (auto& row : txAllBodyDB2)
    for (auto& tx : row) freeTx(tx);
  for (auto& row : txChar)
    for (auto& tx : row) freeTx(tx);
}

int TALLtxChar::RegisterPal(const CharPalette& pal) {
  Palettes.push_back(pal);
  if (!AL) return int(Palettes.size()) - 1;
  TPaletteDataPtr p(new TPaletteData);
  plat::PaletteEntry entries[256];
  for (int i = 0; i < 256; ++i) {
    const uint8_t r = uint8_t(pal[i] >> 16), g = uint8_t(pal[i] >> 8), b = uint8_t(pal[i]);
    p->RGBQUAD256[i] = TQxRGBQuad{b, g, r, 0};
    entries[i] = plat::PaletteEntry{r, g, b, 0};
  }
  p->HPal = plat::CreatePalette(entries);
  return AL->PalSet(std::move(p));
}

// Character pictures come from the archive through the loader that sets no
// error flag: a missing or damaged entry leaves the texture empty, and an
// empty texture draws nothing.
void TALLtxChar::LoadCharTx(TALTexture& tx, const std::string& id, bool reload, int pal,
                            const ALRect& r) {
  if (AL) AL->LoadTextureExQDARect(tx, id, &qmsCharDB, reload, true, false, ckPalNo0, pal, r);
}

void TALLtxChar::LoadDBPalDt() {
  for (auto& p : DBPal) p = DBCHARPal{};
  const std::string path = plat::ProgramFolder() + kPalArc;
  CheckedArchive a = OpenGameArchive(path, "PAL", 0, 1, 0);
  int halt = a.halt >= 0 ? a.halt : ReadDBPalDt(a.ms.Bytes());
  if (halt >= 0 && a.halt < 0) ReportDataFileProblem(path, "damaged (a palette entry is missing)");
  if (halt >= 0 && Glb) Glb->HaltMsgNo(halt);
}

int TALLtxChar::ReadDBPalDt(std::span<const uint8_t> archive) {
  for (auto& p : DBPal) p = DBCHARPal{};
  TMemoryStream ms(std::vector<uint8_t>(archive.begin(), archive.end()));
  if (!CheckFileHash(ms, 8) || !CheckFileSignVer(ms, "PAL", 0, 1, 0)) return HALT_BADFILE;
  ms.SetPosition(0);
  for (int n = 0; n < 2; ++n) {
    auto e = ExtractFromQDAStream(ms, "dbpal" + std::to_string(n) + ".pal");
    // An archive that passed its checks but lacks a palette is damaged.
    if (!e) {
      for (auto& p : DBPal) p = DBCHARPal{};
      return HALT_BADFILE;
    }
    std::span<const uint8_t> file(static_cast<const uint8_t*>(e->Memory()), size_t(e->Size()));
    const uint32_t trans = FileColour(file, 0);
    for (int k = 0; k < 256; ++k) {
      DBCHARPal& p = DBPal[16 * n + k / 16];
      const int e16 = k % 16;
      const uint32_t c = FileColour(file, k);
      if (e16 == 0)
        p.Trans = trans;
      else if (e16 == 1)
        p.Black = FIXEDBLACK;
      else if (e16 == 2)
        p.Eye = c;
      else if (e16 <= 7)
        p.Skin[e16 - 3] = c;
      else if (e16 <= 10)
        p.Hair[e16 - 8] = c;
      else if (e16 <= 12)
        p.Pants[e16 - 11] = c;
      else
        p.Shirt[e16 - 13] = c;
    }
  }
  return -1;
}

void TALLtxChar::MakePalDB(CharPalette& pal, int Black, int Eye, int Skin, int Hair, int Pants,
                           int Shirt) const {
  pal.fill(0);
  const DBCHARPal& bk = DBPal[SetNo(Black)];
  pal[0] = bk.Trans;
  pal[1] = bk.Black;
  pal[2] = DBPal[SetNo(Eye)].Eye;
  for (int i = 0; i < 5; ++i) pal[3 + i] = DBPal[SetNo(Skin)].Skin[i];
  for (int i = 0; i < 3; ++i) pal[8 + i] = DBPal[SetNo(Hair)].Hair[i];
  for (int i = 0; i < 2; ++i) pal[11 + i] = DBPal[SetNo(Pants)].Pants[i];
  for (int i = 0; i < 3; ++i) pal[13 + i] = DBPal[SetNo(Shirt)].Shirt[i];
}

void TALLtxChar::LoadAllFace(int TNo, int CNo, int FaceNo, int Black, int Eye, int Skin,
                             int Hair, int Pants, int Shirt) {
  if (TNo < 0 || TNo >= TEAMS || CNo < 0 || CNo >= MEMBERS) return;
  CharPalette pal;
  MakePalDB(pal, Black, Eye, Skin, Hair, Pants, Shirt);
  AllCharPalNo[TNo][CNo] = RegisterPal(pal);
  AllCharPalDt[TNo][CNo] = DBBodyCol{TNo, Eye, Skin, Hair};
  // Face sheet: 16 x 16 cells, sixteen to a column.
  const int f = std::clamp(FaceNo, 0, 255);
  const int x = 16 * (f / 16), y = 16 * (f % 16);
  LoadCharTx(txAllFaceDB[TNo][CNo], "dballface.png", false, AllCharPalNo[TNo][CNo],
             ALRect{x, y, x + 16, y + 16});
}

void TALLtxChar::LoadAllBody(int TNo) {
  if (TNo < 0 || TNo >= TEAMS) return;
  LoadCharTx(txAllBodyDB[TNo], "dballbody.png", false, AllCharPalNo[TNo][0], ALRect{});
}

void TALLtxChar::LoadDBBMP(int SideNo, int PosNo, int FaceNo, int TeamNo, int CharNo,
                           const DCDLooks& Looks) {
  if (SideNo < 0 || SideNo >= 2 || PosNo < 0 || PosNo >= MEMBERS || TeamNo < 0 ||
      TeamNo >= TEAMS || CharNo < 0 || CharNo >= MEMBERS)
    return;
  const int pal = AllCharPalNo[TeamNo][CharNo];
  int shared = -1;
  for (int i = 0; i < MEMBERS && shared < 0; ++i) {
    const DBBodyCol& c = AllCharPalDt[TeamNo][i];
    if (txCharDB_f[SideNo][i] && c.Eye == Looks.EyeCol && c.Skin == Looks.SkinCol &&
        c.Hair == Looks.HairCol)
      shared = i;
  }
  if (shared < 0) {
    LoadCharTx(txCharDB[SideNo][CharNo], "dbbody.png", true, pal, ALRect{});
    txCharDBp[SideNo][PosNo] = &txCharDB[SideNo][CharNo];
    txCharDB_f[SideNo][CharNo] = true;
  } else {
    txCharDBp[SideNo][PosNo] = &txCharDB[SideNo][shared];
  }
  // Face strips: twelve 160 x 10 rows to a file.
  const int f = std::clamp(FaceNo, 0, 255);
  const int y = 10 * (f % 12);
  LoadCharTx(txFaceDB[SideNo][PosNo], "dbface" + NumToStr(f / 12, 2) + ".png", true, pal,
             ALRect{0, y, 160, y + 10});
}

void TALLtxChar::ClearCharDBp() {
  for (int s = 0; s < 2; ++s)
    for (int m = 0; m < MEMBERS; ++m) {
      txCharDB_f[s][m] = false;
      txCharDBp[s][m] = nullptr;
    }
}

void TALLtxChar::LoadBMP(int i, int n) {
  if (i >= 0 && i < 5) ColNo[i] = n;
}

// ---------------------------------------------------------------- TBGCtrlSAI

TBGCtrlSAI::TBGCtrlSAI(TAlpha32SAI* tAL, TAllTx* tAT, TGlobalSAI* tGlb)
    : TBGCtrl(tAL, tGlb), AL(tAL), Glb(tGlb), AT(tAT) {}

void TBGCtrlSAI::OnDrawDB(int court) {
  LastCourt = (court == 1 || court == 2) ? court : 0;
  if (!AL || !AT) return;
  AL->Clear(BGDt.BaseCol, false);
  const TALTexture& tx = AT->DBCourttx[LastCourt];
  AL->DrawTexSaiBGLT(tx, 0, 0, tx.BmpWidth, tx.BmpHeight, 0, 0, 90, 255, 0xFFFFFF, BM_NORMAL, mirNone,
                     r0);
}
