// Loading textures: picture files and archive entries become 32-bit working
// pictures (recoloured with one of the game's palettes, cut, with an optional
// "_a" alpha companion) and then tiles; the recipe of every load is kept so
// that RestoreFromList can make the texture again. Also the palette list.
#include <algorithm>
#include <cstdio>
#include <exception>

#include "files/ProcCounter.h"
#include "files/QDArc.h"
#include "graphics/AlphaLib32.h"
#include "graphics/AlphaLib32Pictures.h"
#include "graphics/dddd.h"
#include "platform/Files.h"

namespace {

const char* const kIndent = "\x81@\x81@\x81" "E" /* 　　・ */;
const char* const kNotFound =
    "\x81\x9C\x81\x9C\x81\x9C\x83t\x83@\x83" "C\x83\x8B\x82\xAA\x8C\xA9\x82\xC2\x82\xA9\x82\xE7\x82\xC8\x82\xA2\x82\xE6" /* ●●●ファイルが見つからないよ */;
const char* const kLoadFailed =
    "\x81\x9C\x81\x9C\x81\x9C\x83t\x83@\x83" "C\x83\x8B\x82\xCC\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x82\xC9\x8E\xB8\x94s\x82\xB5\x82\xBD\x82\xE6" /* ●●●ファイルの読み込みに失敗したよ */;
const char* const kLoaded =
    "]\x82\xF0\x83" "e\x83N\x83X\x83`\x83\x83\x82\xC9\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x82\xDC\x82\xB5\x82\xBD" /* ]をテクスチャに読み込みました */;
const char* const kPictureError =
    "\x81\x9C\x81\x9C\x81\x9C\x89\xE6\x91\x9C\x83t\x83@\x83" "C\x83\x8B\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x92\x86\x82\xC9\x83G\x83\x89\x81[\x82\xAA\x94\xAD\x90\xB6\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* ●●●画像ファイル読み込み中にエラーが発生しました */;
const char* const kReadError =
    "]\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x92\x86\x82\xC9\x83G\x83\x89\x81[\x82\xAA\x94\xAD\x90\xB6\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* ]読み込み中にエラーが発生しました */;
const char* const kMarks = "\x81\x9C\x81\x9C\x81\x9C" /* ●●● */;

// The reason a texture that already holds tiles is loaded again; empty when
// it is not (same picture, nothing lost, no forced reload).
std::string ReloadReason(const TALTexture& tx, bool Reload_f, bool differs) {
  if (tx.Texture[0][0]->IsRestore())
    return "\x8D\xC4\x93\xC7\x82\xCC\x82\xBD\x82\xDF\x89\xF0\x95\xFA\x81i\x83\x8A\x83X\x83g\x83" "A\x81j" /* 再読のため解放（リストア） */;
  if (Reload_f)
    return "\x8D\xC4\x93\xC7\x82\xCC\x82\xBD\x82\xDF\x89\xF0\x95\xFA\x81i\x8B\xAD\x90\xA7\x83\x8A\x83\x8D\x81[\x83h\x81j" /* 再読のため解放（強制リロード） */;
  if (differs)
    return "\x8D\xC4\x93\xC7\x82\xCC\x82\xBD\x82\xDF\x89\xF0\x95\xFA\x81i\x95\xCA\x83t\x83@\x83" "C\x83\x8B\x81j" /* 再読のため解放（別ファイル） */;
  return "";
}

plat::Rect ToRect(const ALRect& r) { return {r.left, r.top, r.right, r.bottom}; }

}  // namespace

// ---------------------------------------------------------------- wrappers

bool TAlpha32::LoadTexture(TALTexture& tx, const std::string& FileName) {
  bool ok = LoadTextureExRect(tx, FileName, false, false, false, ckPix00, -1, ALRect{});
  if (!ok) ErrOn();
  return ok;
}

bool TAlpha32::LoadTextureLR(TALTexture& tx, const std::string& FileName) {
  bool ok = LoadTextureExRect(tx, FileName, false, true, false, ckPix00, -1, ALRect{});
  if (!ok) ErrOn();
  return ok;
}

bool TAlpha32::LoadTextureEx(TALTexture& tx, const std::string& FileName, bool Reload_f,
                             bool DDLR_f, bool DDRoll_f, ColKeyType CK, int32_t Pal) {
  bool ok = LoadTextureExRect(tx, FileName, Reload_f, DDLR_f, DDRoll_f, CK, Pal, ALRect{});
  if (!ok) ErrOn();
  return ok;
}

bool TAlpha32::LoadTextureExQDA(TALTexture& tx, const std::string& ID, TQDAStream* QDAMS,
                                bool Reload_f, bool DDLR_f, bool DDRoll_f, ColKeyType CK,
                                int32_t Pal) {
  bool ok = LoadTextureExQDARect(tx, ID, QDAMS, Reload_f, DDLR_f, DDRoll_f, CK, Pal, ALRect{});
  if (!ok) ErrOn();
  return ok;
}

// ---------------------------------------------------------------- loaders

bool TAlpha32::LoadTextureExRect(TALTexture& tx, const std::string& FileName, bool Reload_f,
                                 bool DDLR_f, bool DDRoll_f, ColKeyType CK, int32_t Pal,
                                 const ALRect& SrcR) {
  AL32_DebugMessage("\x81\xA5\x81@LoadTexture" /* ▼　LoadTexture */);
  if (tx.HasTiles()) {
    std::string why = ReloadReason(tx, Reload_f, FileName != tx.LoadSt.FileName);
    if (why.empty()) {
      AL32_DebugMessage(kIndent + FileName + "\x8D\xC4\x93\xC7\x95s\x97v" /* 再読不要 */);
      return false;
    }
    AL32_DebugMessage(kIndent + FileName + why);
    FreeTexture(tx);
  }
  if (PC) PC->Start(15);
  const std::string full = plat::ResolvePath(FileName);
  bool result = false;
  if (!plat::FileExists(FileName)) {
    AL32_DebugMessage(kNotFound);
    AL32_DebugMessage("  Filename : " + full);
  } else {
    TALLoadState st = InitLSt(CK, Pal, DDLR_f, DDRoll_f, SrcR);
    TALTexture t = LoadFileToTexture(FileName, st);
    if (!t.HasTiles()) {
      AL32_DebugMessage(kLoadFailed);
      AL32_DebugMessage("  Filename : " + full);
    } else {
      t.ALSt = alsOK;
      t.Mag = ALMag;
      t.LoadSt = TALTLoadState{asBmp, FileName, nullptr, DDLR_f, DDRoll_f, CK, Pal, "", 0, 0, 0, SrcR};
      tx = std::move(t);
      ListTexture(tx);
      AL32_DebugMessage(kIndent + std::string("LNo.") + std::to_string(tx.ListIndex) + " [" +
                        FileName + kLoaded);
      result = true;
    }
  }
  if (PC) PC->Stop(15);
  PutPC("LoadTexture", 15);
  DDDD_Msg("");
  return result;
}

bool TAlpha32::LoadTextureExQDARect(TALTexture& tx, const std::string& ID, TQDAStream* QDAMS,
                                    bool Reload_f, bool DDLR_f, bool DDRoll_f, ColKeyType CK,
                                    int32_t Pal, const ALRect& SrcR) {
  AL32_DebugMessage("\x81\xA5\x81@LoadTextureQDA" /* ▼　LoadTextureQDA */);
  const std::string archive = QDAMS ? QDAMS->FileName() : std::string();
  if (tx.HasTiles()) {
    std::string why =
        ReloadReason(tx, Reload_f, ID != tx.LoadSt.ID || archive != tx.LoadSt.FileName);
    if (why.empty()) {
      AL32_DebugMessage(kIndent + ID + "\x8D\xC4\x93\xC7\x95s\x97v" /* 再読不要 */);
      return false;
    }
    AL32_DebugMessage(kIndent + ID + why);
    FreeTexture(tx);
  }
  TALLoadState st = InitLSt(CK, Pal, DDLR_f, DDRoll_f, SrcR);
  TALTexture t = LoadFileToTextureQDA(ID, QDAMS, st);
  if (!t.HasTiles()) {
    AL32_DebugMessage(kLoadFailed);
    AL32_DebugMessage("  QDAFilename : " + archive);
    return false;
  }
  t.ALSt = alsOK;
  t.Mag = ALMag;
  t.LoadSt = TALTLoadState{asQDA, archive, QDAMS, DDLR_f, DDRoll_f, CK, Pal, ID, 0, 0, 0, SrcR};
  tx = std::move(t);
  ListTexture(tx);
  AL32_DebugMessage(kIndent + std::string("LNo.") + std::to_string(tx.ListIndex) + "[" + ID +
                    " : " + (QDAMS ? QDAMS->FullPathName() : std::string()) + kLoaded);
  return true;
}

// ---------------------------------------------------------------- pictures

TALTexture TAlpha32::LoadFileToTexture(const std::string& FileName, TALLoadState& LSt) {
  if (PC) PC->Start(14);
  TALTexture t;
  std::unique_ptr<plat::Bitmap> bmp = LoadFileToBmp32(FileName, LSt);
  if (!bmp) {
    AL32_DebugMessage(kPictureError);
    AL32_DebugMessage("  Filename : " + FileName);
  } else {
    t = MakeTex(bmp.get(), FileName, LSt);
  }
  if (PC) PC->Stop(14);
  PutPC("LoadFileToTexture", 14);
  return t;
}

TALTexture TAlpha32::LoadFileToTextureQDA(const std::string& ID, TQDAStream* QDAMS,
                                          TALLoadState& LSt) {
  TALTexture t;
  std::unique_ptr<plat::Bitmap> bmp = LoadFileToBmp32QDA(ID, QDAMS, LSt);
  if (!bmp) {
    AL32_DebugMessage(kPictureError);
    AL32_DebugMessage("  ID : " + ID);
  } else {
    t = MakeTex(bmp.get(), ID, LSt);
  }
  return t;
}

std::unique_ptr<plat::Bitmap> TAlpha32::LoadFileToBmp32(const std::string& FileName,
                                                        TALLoadState& LSt) {
  if (PC) PC->Start(12);
  std::unique_ptr<plat::Bitmap> bmp;
  if (plat::FileExists(FileName)) {
    bmp = LoadBmp32BitFormat(FileName, LSt);
    if (!bmp) AL32_DebugMessage(kMarks + std::string("[") + FileName + kReadError);
  }
  if (PC) PC->Stop(12);
  return bmp;
}

std::unique_ptr<plat::Bitmap> TAlpha32::LoadFileToBmp32QDA(const std::string& ID,
                                                           TQDAStream* QDAMS, TALLoadState& LSt) {
  std::unique_ptr<plat::Bitmap> bmp = LoadBmp32BitFormatQDA(ID, QDAMS, LSt);
  if (!bmp) AL32_DebugMessage(kMarks + std::string("[") + ID + kReadError);
  return bmp;
}

int32_t TAlpha32::CutAspect() const { return FDDraw_f ? std::max(1, RoundHalfEven(Aspect)) : 1; }

std::unique_ptr<plat::Bitmap> TAlpha32::LoadBmp32BitFormat(const std::string& FileName,
                                                           TALLoadState& LSt) {
  if (PC) PC->Start(11);
  std::unique_ptr<plat::Bitmap> out;
  std::unique_ptr<plat::Bitmap> colour = LoadAnyExt(FileName, false, LSt);
  if (colour) out = std::make_unique<plat::Bitmap>(SetColBmp(*colour, ToRect(LSt.ScrR), CutAspect()));
  AL32_DebugMessage("\x81" "E[" /* ・[ */ + FileName +
                    "]\x82\xF0RGB\x8F\xEE\x95\xF1\x82\xC6\x82\xB5\x82\xC4\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x82\xDC\x82\xB7" /* ]をRGB情報として読み込みます */);
  if (out) {
    if (std::unique_ptr<plat::Bitmap> alpha = LoadAnyExt(FileName, true, LSt)) {
      plat::Bitmap cut = SetColBmp(*alpha, ToRect(LSt.ScrR), CutAspect());
      AL32_DebugMessage("\x81" "E[" /* ・[ */ + FileName + "(\x83\xBF)" /* (α) */ +
                        "]\x82\xF0\x83\xBF\x8F\xEE\x95\xF1\x82\xC6\x82\xB5\x82\xC4\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x82\xDC\x82\xB7" /* ]をα情報として読み込みます */);
      MergeAlphaCompanion(*out, cut);
    }
  }
  if (PC) PC->Stop(11);
  return out;
}

std::unique_ptr<plat::Bitmap> TAlpha32::LoadBmp32BitFormatQDA(const std::string& ID,
                                                              TQDAStream* QDAMS,
                                                              TALLoadState& LSt) {
  std::unique_ptr<plat::Bitmap> colour = LoadAnyExtQDA(ID, QDAMS, LSt);
  if (!colour) return nullptr;
  AL32_DebugMessage("\x81" "E[" /* ・[ */ + ID +
                    "]\x82\xF0RGB\x8F\xEE\x95\xF1\x82\xC6\x82\xB5\x82\xC4\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x82\xDC\x82\xB7" /* ]をRGB情報として読み込みます */);
  return std::make_unique<plat::Bitmap>(SetColBmp(*colour, ToRect(LSt.ScrR), CutAspect()));
}

const TPaletteData* TAlpha32::PaletteFor(int32_t Pal) const {
  if (Pal < 0 || size_t(Pal) >= PalList.size()) return nullptr;  // also past the list's end
  return PalList[size_t(Pal)].get();
}

std::unique_ptr<plat::Bitmap> TAlpha32::LoadAnyExt(const std::string& FileName, bool Alpha_f,
                                                   TALLoadState& LSt) {
  const std::string name = Alpha_f ? ALCompanionName(FileName) : FileName;
  if (!plat::FileExists(name)) return nullptr;
  auto bytes = plat::ReadFile(name);
  if (!bytes) return nullptr;
  // Palette entry 0 is taken from the colour picture only; a companion's own
  // colours never decide the key.
  ALDecodedPicture d = ALDecodePicture(ALExtension(FileName), *bytes, PaletteFor(LSt.Pal),
                                       LSt.CK == ckPalNo0 && !Alpha_f, false);
  if (!d.Bmp) {
    AL32_DebugMessage(kMarks + std::string("[") + name + "] " + d.Error);
    return nullptr;
  }
  if (d.PE_f) {
    LSt.PE_f = true;
    LSt.PE = TPalEntry{d.PE.r, d.PE.g, d.PE.b, 0};
  }
  return std::move(d.Bmp);
}

std::unique_ptr<plat::Bitmap> TAlpha32::LoadAnyExtQDA(const std::string& ID, TQDAStream* QDAMS,
                                                      TALLoadState& LSt) {
  std::unique_ptr<TMemoryStream> entry;
  if (QDAMS) {
    try {
      entry = ExtractFromQDAStream2(*QDAMS, ID);
    } catch (const std::exception&) {
      entry.reset();
    }
    QDAMS->qdStream.Seek(0, TSeekOrigin::soBeginning);
  }
  if (!entry) {
    AL32_DebugMessage(kMarks + std::string("[") + ID +
                      "]\x92\x8A\x8Fo\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1" /* ]抽出できません */);
    return nullptr;
  }
  const std::string_view ext = ALExtension(ID);
  const TPaletteData* pal = PaletteFor(LSt.Pal);
  if (ext == ".bmp" && pal)
    AL32_DebugMessage(kMarks + std::string("[") + ID +
                      "]tmpBMP\x82\xC9\x93\xFC\x82\xE8\x82\xDC\x82\xB5\x82\xBD" /* ]tmpBMPに入りました */);
  ALDecodedPicture d = ALDecodePicture(ext, entry->Bytes(), pal, LSt.CK == ckPalNo0, true);
  if (!d.Bmp) {
    AL32_DebugMessage(kMarks + std::string("[") + ID + "] " + d.Error);
    return nullptr;
  }
  if (d.PE_f) {
    LSt.PE_f = true;
    LSt.PE = TPalEntry{d.PE.r, d.PE.g, d.PE.b, 0};
  }
  return std::move(d.Bmp);
}

// ---------------------------------------------------------------- restore

void TAlpha32::RestoreFromList() {
  AL32_DebugMessage("\x81\xA5\x83" "e\x83N\x83X\x83`\x83\x83\x83\x8A\x83X\x83g\x82\xF0\x8C\xB3\x82\xC9\x8D\xC4\x8D\x5C\x92z\x82\xB5\x82\xDC\x82\xB7" /* ▼テクスチャリストを元に再構築します */);
  const size_t n = TexList2.size();  // records listed again during the pass are not revisited
  for (size_t i = 0; i < n; ++i) {
    TALTexture* rec = TexList2[i];
    if (!rec) continue;
    const TALTLoadState ls = rec->LoadSt;  // the loaders change the record
    bool lost = false;
    switch (ls.Source) {
      case asBmp:
        LoadTextureExRect(*rec, ls.FileName, false, ls.DDLR_f, ls.DDRoll_f, ls.CK, ls.Pal, ls.SrcR);
        lost = !rec->HasTiles();
        break;
      case asQDA:
        LoadTextureExQDARect(*rec, ls.ID, ls.pQDAS, false, ls.DDLR_f, ls.DDRoll_f, ls.CK, ls.Pal,
                             ls.SrcR);
        lost = !rec->HasTiles();
        break;
      case asEmp:
        lost = !MakeEmptyTexture(*rec, ls.FileName, ls.Size, ls.tpgx, ls.tpgy);
        break;
    }
    // A texture that could not be made again is reported and the pass goes on
    // with the next one, so every other texture still gets its pictures back.
    if (lost) {
      AL32_DebugMessage(kMarks + (ls.Source == asQDA ? ls.ID : ls.FileName) +
                        "\x82\xCC\x8D\xC4\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x82\xC9\x8E\xB8\x94s\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* の再読み込みに失敗しました */);
      ErrOn();
    }
  }
}

// ---------------------------------------------------------------- palettes

void TAlpha32::_LoadEDGEPalette(std::unique_ptr<TPaletteData>& ppal, const std::string& FileName) {
  ppal = LoadEDGEPaletteFile(FileName);
  if (!ppal && plat::FileExists(FileName))
    AL32_DebugMessage("\x81\x9C\x81\x9C\x81\x9C\x83p\x83\x8C\x83" "b\x83g\x83t\x83@\x83" "C\x83\x8B\x82\xAA\x93\xC7\x82\xDF\x82\xDC\x82\xB9\x82\xF1" /* ●●●パレットファイルが読めません */ +
                      std::string(" ") + FileName);
}

int32_t TAlpha32::PalLoad(const std::string& FileName) {
  std::unique_ptr<TPaletteData> p;
  _LoadEDGEPalette(p, FileName);
  PalList.push_back(std::move(p));
  return int32_t(PalList.size() - 1);
}

int32_t TAlpha32::PalSet(std::unique_ptr<TPaletteData> ppal) {
  PalList.push_back(std::move(ppal));
  return int32_t(PalList.size() - 1);
}

void TAlpha32::PalListClear() {
  for (size_t i = 0; i < PalList.size(); ++i)
    if (PalList[i]) {
      PalList[i].reset();
      AL32_DebugMessage("\x81@\x81@PalNo." /* 　　PalNo. */ + std::to_string(i) +
                        "  \x89\xF0\x95\xFA\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /*   解放しました */);
    }
  PalList.clear();
}

void TAlpha32::PalListFree() { PalListClear(); }
