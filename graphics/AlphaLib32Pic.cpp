// The renderer's texture loading from picture files and archive entries, and
// its palette list. Pictures are decoded through the picture classes and
// handed to the tile side as plain 32-bit pixel arrays.
#include <cmath>
#include <exception>

#include "files/ProcCounter.h"
#include "files/QDArc.h"
#include "graphics/AlphaLib32.h"
#include "graphics/AlphaLib32Pictures.h"
#include "graphics/dddd.h"
#include "platform/Files.h"
#include "platform/Pictures.h"

namespace {

constexpr size_t kMaxPictureFile = size_t(64) << 20;

// Only 32-bit bitmaps convert; anything else gives an empty picture.
AL32Pixels PixelsOf(const plat::Bitmap* bmp) {
  AL32Pixels p;
  if (!bmp || bmp->GetEmpty() || bmp->GetPixelFormat() != plat::PixelFormat::pf32bit) return p;
  p.Width = bmp->GetWidth();
  p.Height = bmp->GetHeight();
  p.Px.resize(size_t(p.Width) * size_t(p.Height));
  for (int32_t y = 0; y < p.Height; ++y)
    for (int32_t x = 0; x < p.Width; ++x)
      p.Px[size_t(y) * size_t(p.Width) + size_t(x)] = bmp->Pixel(x, y);
  return p;
}

plat::Rect RectOf(const ALRect& r) { return {r.left, r.top, r.right, r.bottom}; }

bool KnownExtension(std::string_view ext) { return ext == ".bmp" || ext == ".jpg" || ext == ".png"; }

}  // namespace

void TPaletteDataDeleter::operator()(TPaletteData* p) const { delete p; }

TALTexture TAlpha32::MakeTex(const plat::Bitmap* bmp, const std::string& filename,
                             TALLoadState& LSt) {
  return MakeTex(PixelsOf(bmp), filename, LSt);
}

void TAlpha32::BitmapToTexture(TALTexture& dest, const plat::Bitmap* src, const ALRect& rrr,
                               ColKeyType CK, const TPalEntry* pPE, bool TXW_f) {
  BitmapToTexture(dest, PixelsOf(src), rrr, CK, pPE, TXW_f);
}

// ---- palettes ------------------------------------------------------------------
const TPaletteData* TAlpha32::PalAt(int32_t n) const {
  if (n < 0 || size_t(n) >= PalList.size()) return nullptr;
  return PalList[size_t(n)].get();
}

int32_t TAlpha32::PalLoad(const std::string& FileName) {
  PalList.emplace_back(LoadEDGEPaletteFile(FileName).release());
  return int32_t(PalList.size() - 1);
}

int32_t TAlpha32::PalSet(TPaletteDataPtr ppal) {
  PalList.push_back(std::move(ppal));
  return int32_t(PalList.size() - 1);
}

ALIndexedMemo& TAlpha32::EntryMemo() {
  if (!entryMemo_) entryMemo_ = std::make_shared<ALIndexedMemo>();
  return *entryMemo_;
}

void TAlpha32::PalListClear() {
  for (size_t i = 0; i < PalList.size(); ++i)
    if (PalList[i])
      AL32_DebugMessage("\x81@\x81@PalNo." /* 　　PalNo. */ + std::to_string(i) +
                        "  \x89\xF0\x95\xFA\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /*   解放しました */);
  PalList.clear();
}

// ---- decoding ----------------------------------------------------------------------
namespace {

// Names an archive entry that failed on stderr. An archive that failed to load
// was named when it failed, so its entries are not; an entry that fails again
// right after (every member loads the same picture) is named once.
void ReportEntry(TQDAStream* qs, const std::string& ID, const std::string& what) {
  static std::string last;
  if (!qs || !qs->Valid()) return;
  const std::string line = "entry " + ID + " " + what;
  if (qs->FileName() + line == last) return;
  last = qs->FileName() + line;
  plat::ReportFileProblem(qs->FileName(), line);
}

struct Decoder {
  TAlpha32& al;
  TALLoadState& st;

  void Take(const ALDecodedPicture& d) {
    if (d.PE_f) {
      st.PE_f = true;
      st.PE = {d.PE.r, d.PE.g, d.PE.b, 0};
    }
  }
  // The colour picture (or its companion) of a file; null when missing or
  // undecodable.
  std::unique_ptr<plat::Bitmap> File(const std::string& FileName, bool companion) {
    const std::string_view ext = ALExtension(FileName);
    if (!KnownExtension(ext)) {
      if (!companion) plat::ReportFileProblem(FileName, "not a .bmp, .jpg or .png picture");
      return nullptr;
    }
    // The alpha companion is optional: only one that is there but unusable is named.
    const std::string name = companion ? ALCompanionName(FileName) : FileName;
    if (!plat::FileExists(name)) return nullptr;
    std::string unread;
    auto data = plat::ReadFile(name, kMaxPictureFile, &unread);
    if (!data) {
      plat::ReportFileProblem(name, unread);
      return nullptr;
    }
    ALDecodedPicture d = ALDecodePicture(ext, *data, al.PalAt(st.Pal),
                                         !companion && st.CK == ckPalNo0, false);
    if (!d.Bmp) plat::ReportFileProblem(name, "cannot be decoded: " + d.Error);
    if (!companion) Take(d);
    return std::move(d.Bmp);
  }
  std::unique_ptr<plat::Bitmap> Entry(const std::string& ID, TQDAStream* qs) {
    const std::string_view ext = ALExtension(ID);
    std::unique_ptr<TMemoryStream> entry;
    try {
      if (qs) entry = ExtractFromQDAStream2(*qs, ID);
    } catch (const std::exception&) {
      entry.reset();
    }
    if (!entry) {
      al.AL32_DebugMessage("\x81\x9C\x81\x9C\x81\x9C[" + ID + "]\x92\x8A\x8Fo\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1" /* ●●●[ID]抽出できません */);
      ReportEntry(qs, ID, "is missing or cannot be extracted");
      return nullptr;
    }
    if (!KnownExtension(ext)) {
      ReportEntry(qs, ID, "is not a .bmp, .jpg or .png picture");
      return nullptr;
    }
    const TPaletteData* pal = al.PalAt(st.Pal);
    ALDecodedPicture d = ALDecodeEntryPicture(al.EntryMemo(), ext, entry->Bytes(), pal, st.CK == ckPalNo0);
    if (!d.Bmp) ReportEntry(qs, ID, "cannot be decoded: " + d.Error);
    if (ext == ".bmp" && pal)
      al.AL32_DebugMessage("\x81\x9C\x81\x9C\x81\x9C[" + ID + "]tmpBMP\x82\xC9\x93\xFC\x82\xE8\x82\xDC\x82\xB5\x82\xBD" /* ●●●[ID]tmpBMPに入りました */);
    Take(d);
    return std::move(d.Bmp);
  }
  int Scale() const {
    return al.DDraw_f() ? std::max(1, int(std::lround(al.Aspect))) : 1;
  }
  // The picture of a file as a 32-bit bitmap (LoadFileToBmp32, timer 12).
  std::unique_ptr<plat::Bitmap> Bmp32(const std::string& FileName) {
    al.StartPC(12);
    auto out = Bmp32BitFormat(FileName);
    al.StopPC("LoadFileToBmp32", 12);
    return out;
  }
  // The cut colour picture with the companion's alpha merged in; pixels the
  // companion does not cover get alpha 0 (LoadBmp32BitFormat, timer 11).
  std::unique_ptr<plat::Bitmap> Bmp32BitFormat(const std::string& FileName) {
    al.StartPC(11);
    auto colour = File(FileName, false);
    std::unique_ptr<plat::Bitmap> out;
    if (colour) out = std::make_unique<plat::Bitmap>(SetColBmp(*colour, RectOf(st.ScrR), Scale()));
    al.AL32_DebugMessage("\x81" "E[" + FileName + "]\x82\xF0RGB\x8F\xEE\x95\xF1\x82\xC6\x82\xB5\x82\xC4\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x82\xDC\x82\xB7" /* ・[name]をRGB情報として読み込みます */);
    if (auto alpha = colour ? File(FileName, true) : nullptr) {
      plat::Bitmap cut = SetColBmp(*alpha, RectOf(st.ScrR), Scale());
      al.AL32_DebugMessage("\x81" "E[" + FileName + "(\x83\xBF)]\x82\xF0\x83\xBF\x8F\xEE\x95\xF1\x82\xC6\x82\xB5\x82\xC4\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x82\xDC\x82\xB7" /* ・[name(α)]をα情報として読み込みます */);
      MergeAlphaCompanion(*out, cut);
    }
    al.StopPC("LoadBmp32BitFormat", 11);
    return out;
  }
};

const char* const kReadError = "\x81\x9C\x81\x9C\x81\x9C\x89\xE6\x91\x9C\x83t\x83@\x83" "C\x83\x8B\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x92\x86\x82\xC9\x83G\x83\x89\x81[\x82\xAA\x94\xAD\x90\xB6\x82\xB5\x82\xDC\x82\xB5\x82\xBD"; /* ●●●画像ファイル読み込み中にエラーが発生しました */

std::string ReadErrorOf(const std::string& name) {
  return "\x81\x9C\x81\x9C\x81\x9C[" + name + "]\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x92\x86\x82\xC9\x83G\x83\x89\x81[\x82\xAA\x94\xAD\x90\xB6\x82\xB5\x82\xDC\x82\xB5\x82\xBD"; /* ●●●[name]読み込み中にエラーが発生しました */
}

}  // namespace

TALTexture TAlpha32::LoadFileToTexture(const std::string& FileName, TALLoadState& LSt) {
  StartPC(14);
  Decoder dec{*this, LSt};
  std::unique_ptr<plat::Bitmap> bmp = dec.Bmp32(FileName);
  if (!bmp) {
    AL32_DebugMessage(ReadErrorOf(FileName));
    AL32_DebugMessage(kReadError);
    AL32_DebugMessage("  Filename : " + FileName);
    if (PC) PC->Stop(14);  // no time to report, but the stopwatch is not left running
    return TALTexture{};
  }
  TALTexture t = MakeTex(bmp.get(), FileName, LSt);
  StopPC("LoadFileToTexture", 14);
  return t;
}

TALTexture TAlpha32::LoadFileToTextureQDA(const std::string& ID, TQDAStream* QDAMS,
                                          TALLoadState& LSt) {
  Decoder dec{*this, LSt};
  std::unique_ptr<plat::Bitmap> colour = dec.Entry(ID, QDAMS);
  if (!colour) {
    AL32_DebugMessage(ReadErrorOf(ID));
    AL32_DebugMessage(kReadError);
    AL32_DebugMessage("  ID : " + ID);
    return TALTexture{};
  }
  plat::Bitmap cut = SetColBmp(*colour, RectOf(LSt.ScrR), dec.Scale());
  return MakeTex(&cut, ID, LSt);
}

// ---- the loaders ---------------------------------------------------------------------
void TAlpha32::ReloadLog(const std::string& name, int reason) {
  static const char* const kWhy[] = {
      "\x8D\xC4\x93\xC7\x82\xCC\x82\xBD\x82\xDF\x89\xF0\x95\xFA\x81i\x83\x8A\x83X\x83g\x83" "A\x81j", /* 再読のため解放（リストア） */
      "\x8D\xC4\x93\xC7\x82\xCC\x82\xBD\x82\xDF\x89\xF0\x95\xFA\x81i\x8B\xAD\x90\xA7\x83\x8A\x83\x8D\x81[\x83h\x81j", /* 再読のため解放（強制リロード） */
      "\x8D\xC4\x93\xC7\x82\xCC\x82\xBD\x82\xDF\x89\xF0\x95\xFA\x81i\x95\xCA\x83t\x83@\x83" "C\x83\x8B\x81j", /* 再読のため解放（別ファイル） */
      "\x8D\xC4\x93\xC7\x95s\x97v", /* 再読不要 */
  };
  AL32_DebugMessage("\x81@\x81@\x81" "E" /* 　　・ */ + name + kWhy[reason]);
}

bool TAlpha32::LoadTexture(TALTexture& tx, const std::string& FileName) {
  return LoadTextureEx(tx, FileName, false, false, false, ckPix00, -1);
}

bool TAlpha32::LoadTextureLR(TALTexture& tx, const std::string& FileName) {
  return LoadTextureEx(tx, FileName, false, true, false, ckPix00, -1);
}

bool TAlpha32::LoadTextureEx(TALTexture& tx, const std::string& FileName, bool Reload_f,
                             bool DDLR_f, bool DDRoll_f, ColKeyType CK, int32_t Pal) {
  const bool ok = LoadTextureExRect(tx, FileName, Reload_f, DDLR_f, DDRoll_f, CK, Pal, ALRect{});
  if (!ok) ErrOn();
  return ok;
}

bool TAlpha32::LoadTextureExQDA(TALTexture& tx, const std::string& ID, TQDAStream* QDAMS,
                                bool Reload_f, bool DDLR_f, bool DDRoll_f, ColKeyType CK,
                                int32_t Pal) {
  const bool ok =
      LoadTextureExQDARect(tx, ID, QDAMS, Reload_f, DDLR_f, DDRoll_f, CK, Pal, ALRect{});
  if (!ok) ErrOn();
  return ok;
}

bool TAlpha32::LoadTextureExRect(TALTexture& tx, const std::string& FileName, bool Reload_f,
                                 bool DDLR_f, bool DDRoll_f, ColKeyType CK, int32_t Pal,
                                 const ALRect& SrcR) {
  AL32_DebugMessage("\x81\xA5\x81@LoadTexture" /* ▼　LoadTexture */);
  if (tx.HasTiles()) {
    // Loading the same file again is refused unless asked for or the
    // display memory behind it was lost.
    const int reason = TileRestored(tx)                  ? 0
                       : Reload_f                        ? 1
                       : FileName != tx.LoadSt.FileName ? 2
                                                         : 3;
    ReloadLog(FileName, reason);
    if (reason == 3) return false;
    FreeTexture(tx);
  }
  StartPC(15);
  const std::string full = plat::ResolvePath(FileName);
  bool ok = false;
  if (!plat::FileExists(FileName)) {
    plat::ReportFileProblem(FileName, plat::ReadProblem(FileName));
    AL32_DebugMessage("\x81\x9C\x81\x9C\x81\x9C\x83t\x83@\x83" "C\x83\x8B\x82\xAA\x8C\xA9\x82\xC2\x82\xA9\x82\xE7\x82\xC8\x82\xA2\x82\xE6" /* ●●●ファイルが見つからないよ */);
    AL32_DebugMessage("  Filename : " + full);
  } else {
    TALLoadState st = InitLSt(CK, Pal, DDLR_f, DDRoll_f, SrcR);
    TALTexture t = LoadFileToTexture(FileName, st);
    if (!t.HasTiles()) {
      AL32_DebugMessage("\x81\x9C\x81\x9C\x81\x9C\x83t\x83@\x83" "C\x83\x8B\x82\xCC\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x82\xC9\x8E\xB8\x94s\x82\xB5\x82\xBD\x82\xE6" /* ●●●ファイルの読み込みに失敗したよ */);
      AL32_DebugMessage("  Filename : " + full);
    } else {
      t.ALSt = alsOK;
      t.Mag = ALMag;
      t.LoadSt = TALTLoadState{asBmp, FileName, nullptr, DDLR_f, DDRoll_f, CK, Pal, "", 0, 0, 0, SrcR};
      tx = t;
      ListTexture(tx);
      AL32_DebugMessage("\x81@\x81@\x81" "ELNo." /* 　　・LNo. */ + std::to_string(tx.ListIndex) + " [" + FileName +
                        "]\x82\xF0\x83" "e\x83N\x83X\x83`\x83\x83\x82\xC9\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x82\xDC\x82\xB5\x82\xBD" /* をテクスチャに読み込みました */);
      ok = true;
    }
  }
  StopPC("LoadTexture", 15);
  DDDD_Msg("");
  return ok;
}

bool TAlpha32::LoadTextureExQDARect(TALTexture& tx, const std::string& ID, TQDAStream* QDAMS,
                                    bool Reload_f, bool DDLR_f, bool DDRoll_f, ColKeyType CK,
                                    int32_t Pal, const ALRect& SrcR) {
  AL32_DebugMessage("\x81\xA5\x81@LoadTextureQDA" /* ▼　LoadTextureQDA */);
  const std::string archive = QDAMS ? QDAMS->FileName() : std::string();
  if (tx.HasTiles()) {
    const int reason = TileRestored(tx) ? 0
                       : Reload_f       ? 1
                       : (ID != tx.LoadSt.ID || archive != tx.LoadSt.FileName) ? 2
                                                                                 : 3;
    ReloadLog(ID, reason);
    if (reason == 3) return false;
    FreeTexture(tx);
  }
  TALLoadState st = InitLSt(CK, Pal, DDLR_f, DDRoll_f, SrcR);
  TALTexture t = LoadFileToTextureQDA(ID, QDAMS, st);
  if (!t.HasTiles()) {
    AL32_DebugMessage("\x81\x9C\x81\x9C\x81\x9C\x83t\x83@\x83" "C\x83\x8B\x82\xCC\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x82\xC9\x8E\xB8\x94s\x82\xB5\x82\xBD\x82\xE6" /* ●●●ファイルの読み込みに失敗したよ */);
    AL32_DebugMessage("  QDAFilename : " + archive);
    return false;
  }
  t.ALSt = alsOK;
  t.Mag = ALMag;
  t.LoadSt = TALTLoadState{asQDA, archive, QDAMS, DDLR_f, DDRoll_f, CK, Pal, ID, 0, 0, 0, SrcR};
  tx = t;
  ListTexture(tx);
  AL32_DebugMessage("\x81@\x81@\x81" "ELNo." /* 　　・LNo. */ + std::to_string(tx.ListIndex) + "[" + ID + " : " +
                    (QDAMS ? QDAMS->FullPathName() : std::string()) +
                    "]\x82\xF0\x83" "e\x83N\x83X\x83`\x83\x83\x82\xC9\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x82\xDC\x82\xB5\x82\xBD" /* をテクスチャに読み込みました */);
  return true;
}

void TAlpha32::RestoreFromList() {
  AL32_DebugMessage("\x81\xA5\x83" "e\x83N\x83X\x83`\x83\x83\x83\x8A\x83X\x83g\x82\xF0\x8C\xB3\x82\xC9\x8D\xC4\x8D\\\x92z\x82\xB5\x82\xDC\x82\xB7" /* ▼テクスチャリストを元に再構築します */);
  // Records appended during the pass (reloads move to the end) are not
  // visited again.
  const size_t n = TexList2.size();
  for (size_t i = 0; i < n; ++i) {
    TALTexture* rec = TexList2[i];
    if (!rec) continue;
    const TALTLoadState ls = rec->LoadSt;  // the reload may rewrite it
    switch (ls.Source) {
      case asBmp:
        LoadTextureExRect(*rec, ls.FileName, false, ls.DDLR_f, ls.DDRoll_f, ls.CK, ls.Pal, ls.SrcR);
        break;
      case asQDA:
        LoadTextureExQDARect(*rec, ls.ID, ls.pQDAS, false, ls.DDLR_f, ls.DDRoll_f, ls.CK, ls.Pal,
                             ls.SrcR);
        break;
      case asEmp:
        MakeEmptyTexture(*rec, ls.FileName, ls.Size, ls.tpgx, ls.tpgy);
        break;
    }
    // A texture left without tiles is an error; the others still get rebuilt.
    if (!rec->HasTiles()) ErrOn();
  }
}
