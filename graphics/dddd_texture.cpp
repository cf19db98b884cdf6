// Textures, the texture format choice and the keep lists that bring surfaces
// and textures back after lost display memory or a new display mode.
#include <algorithm>
#include <bit>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "graphics/dddd.h"

namespace {

template <typename... A>
std::string Fmt(const char* f, A... a) {
  char buf[512];
  std::snprintf(buf, sizeof buf, f, a...);
  return buf;
}

std::string FormatLine(const plat::DdPixelFormat& pf) {
  char buf[160];
  std::snprintf(buf, sizeof buf, "%sBitCount=%d Mask=(%.8x,%.8x,%.8x,%.8x)",
                "\x97\xF1\x8B\x93\x82\xB3\x82\xEA\x82\xBD\x83\x65\x83\x4E\x83\x58\x83\x60\x83\x83\x83\x74\x83\x48\x81\x5B\x83\x7D\x83\x62\x83\x67..." /* 列挙されたテクスチャフォーマット... */, int(pf.bitCount), pf.aMask, pf.rMask,
                pf.gMask, pf.bMask);
  return buf;
}

int Bits(uint32_t m) { return std::popcount(m); }

// "PAL8", "ARGBabcd" or "RGBrgb" against a format; other entries never match.
bool isMatch(const std::string& s, const plat::DdPixelFormat& pf) {
  if (s == "PAL8") return (pf.flags & plat::dd::kPfPaletteIndexed8) != 0;
  auto digits = [](const std::string& t, size_t at, size_t n, int* out) {
    if (t.size() != at + n) return false;
    for (size_t i = 0; i < n; ++i) {
      if (!std::isdigit(static_cast<unsigned char>(t[at + i]))) return false;
      out[i] = t[at + i] - '0';
    }
    return true;
  };
  int v[4];
  size_t p = s.find("ARGB");
  if (p != std::string::npos) {
    return digits(s, p + 4, 4, v) && Bits(pf.aMask) == v[0] && Bits(pf.rMask) == v[1] &&
           Bits(pf.gMask) == v[2] && Bits(pf.bMask) == v[3];
  }
  p = s.find("RGB");
  if (p != std::string::npos) {
    return digits(s, p + 3, 3, v) && Bits(pf.rMask) == v[0] && Bits(pf.gMask) == v[1] &&
           Bits(pf.bMask) == v[2] && pf.aMask == 0;
  }
  return false;
}

std::string Trim(const std::string& s) {
  size_t a = s.find_first_not_of(" \t\r\n");
  if (a == std::string::npos) return "";
  size_t b = s.find_last_not_of(" \t\r\n");
  return s.substr(a, b - a + 1);
}

}  // namespace

// ---- format choice ------------------------------------------------------
bool TDDDD::ChooseTextureFormat(const std::string& pixFmt, plat::DdPixelFormat& out) {
  using namespace plat::dd;
  plat::DdPixelFormat best{};
  plat::Soft3DDevice* dev = FD3DDevice;
  auto recommend = [&](int wantBPP) {
    if (!dev) return;
    dev->EnumTextureFormats([&](const plat::DdPixelFormat& pf) {
      const uint32_t f = pf.flags;
      if (f & (kPfLuminance | kPfBumpLuminance | kPfBumpDuDv)) return true;
      if (f & (kPfAlphaPixels | kPfAlpha)) return true;
      if (pf.bitCount <= 8 && !(f & (kPfPaletteIndexed8 | kPfPaletteIndexed4))) return true;
      if (pf.bitCount > 8 && !(f & kPfRGB)) return true;
      if (pf.bitCount < 8) return true;
      DDDD_Msg(FormatLine(pf));
      const int bc = int(pf.bitCount), bb = int(best.bitCount);
      if (best.bitCount == 0 || (bc >= bb && std::abs(bc - wantBPP) < std::abs(bb - wantBPP))) {
        best = pf;
        DDDD_Msg("\x82\xB1\x82\xCC\x83\x74\x83\x48\x81\x5B\x83\x7D\x83\x62\x83\x67\x82\xCD\x97\xC7\x82\xB3\x82\xBB\x82\xA4\x82\xC5\x82\xB7\x82\xCB" /* このフォーマットは良さそうですね */);
      } else {
        DDDD_Msg("\x82\xB1\x82\xCC\x83\x74\x83\x48\x81\x5B\x83\x7D\x83\x62\x83\x67\x82\xCD\x95\x73\x97\x76\x82\xC5\x82\xB7\x82\xCB" /* このフォーマットは不要ですね */);
      }
      return true;
    });
  };
  if (!pixFmt.empty()) {
    DDDD_Msg("\x8E\x77\x92\xE8\x82\xCC\x83\x65\x83\x4E\x83\x58\x83\x60\x83\x83\x83\x74\x83\x48\x81\x5B\x83\x7D\x83\x62\x83\x67\x82\xF0\x92\x54\x8D\xF5\x82\xB5\x82\xDC\x82\xB7\x81\x63" /* 指定のテクスチャフォーマットを探索します… */);
    std::vector<std::string> strs;
    size_t start = 0;
    while (start <= pixFmt.size()) {
      size_t semi = pixFmt.find(';', start);
      if (semi == std::string::npos) semi = pixFmt.size();
      std::string e = Trim(pixFmt.substr(start, semi - start));
      if (!e.empty()) strs.push_back(e);
      start = semi + 1;
    }
    int index = -1;
    if (dev) {
      dev->EnumTextureFormats([&](const plat::DdPixelFormat& pf) {
        if (pf.flags & (kPfLuminance | kPfBumpLuminance | kPfBumpDuDv | kPfFourCC)) return true;
        DDDD_Msg(FormatLine(pf));
        for (int i = 0; i < int(strs.size()); ++i) {
          if (!isMatch(strs[i], pf)) continue;
          DDDD_Msg("\x91\xE6" /* 第 */ + std::to_string(i + 1) + "\x8A\xF3\x96\x5D : " /* 希望 :  */ + strs[i] + " \x82\xC9\x8D\x87\x92\x76" /*  に合致 */);
          if (i < index || index == -1) {
            index = i;
            best = pf;
          }
        }
        return true;
      });
    }
    if (index == -1) {
      DDDD_Msg("\x8E\x77\x92\xE8\x82\xCC\x83\x65\x83\x4E\x83\x58\x83\x60\x83\x83\x83\x74\x83\x48\x81\x5B\x83\x7D\x83\x62\x83\x67\x82\xAA\x8C\xA9\x82\xC2\x82\xA9\x82\xE7\x82\xC8\x82\xA2\x82\xCC\x82\xC5\x81\x41\x90\x84\x8F\xA7\x83\x74\x83\x48\x81\x5B\x83\x7D\x83\x62\x83\x67\x82\xF0\x97\xF1\x8B\x93\x82\xB5\x82\xDC\x82\xB7" /* 指定のテクスチャフォーマットが見つからないので、推奨フォーマットを列挙します */);
      best = {};
      recommend(0);
    }
  } else {
    DDDD_Msg("\x90\x84\x8F\xA7\x83\x65\x83\x4E\x83\x58\x83\x60\x83\x83\x83\x74\x83\x48\x81\x5B\x83\x7D\x83\x62\x83\x67\x82\xF0\x92\x54\x8D\xF5\x82\xB5\x82\xDC\x82\xB7\x81\x63" /* 推奨テクスチャフォーマットを探索します… */);
    recommend(getBitDepth());
  }
  out = best;
  return best.bitCount != 0;
}

// ---- TDDDDTexture -------------------------------------------------------
int32_t TDDDDTexture::EdgeFor(int32_t w, int32_t h) {
  const int32_t m = std::max(w, h);
  for (int32_t e : {16, 32, 64, 128}) {
    if (m <= e) return e;
  }
  return 256;
}

TDDDDTexture::TDDDDTexture(TDDDD* AOwner, int32_t width, int32_t height, uint32_t colorKey,
                           const std::string& pixFmt, const std::string& tPath)
    : TDDDDGenSurface(AOwner, nullptr, width, height) {
  FPixelFormatStr = pixFmt;
  CreateSurface(width, height, colorKey, pixFmt, tPath);
  if (FOwner) FOwner->KeepTexture(this);
}

TDDDDTexture::~TDDDDTexture() {
  Clipping = false;
  ReleaseSurface("\x83\x65\x83\x4E\x83\x58\x83\x60\x83\x83\x82\xCC\x89\xF0\x95\xFA\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* テクスチャの解放に失敗しました */);
  if (FOwner) FOwner->TextureDestroyed(this);
}

bool TDDDDTexture::CreateSurface(int32_t width, int32_t height, uint32_t colorKey,
                                 const std::string& pixFmt, const std::string& tPath) {
  using namespace plat::dd;
  const int32_t edge = EdgeFor(width, height);
  plat::DdSurfaceDesc desc;
  desc.flags = kSdCaps | kSdHeight | kSdWidth | kSdPixelFormat | kSdTextureStage;
  desc.textureStage = 0;
  desc.width = desc.height = uint32_t(edge);
  desc.caps = FOwner && FOwner->HALEnabled() ? (kCapsTexture | kCapsVideoMemory)
                                             : (kCapsTexture | kCapsSystemMemory);
  if (FOwner && FOwner->Findddpf_f) {
    desc.pf = FOwner->Useddpf;
  } else if (FOwner) {
    plat::DdPixelFormat pf;
    // The format is settled only once one was found; a failed search is tried
    // again by the next texture.
    if (FOwner->ChooseTextureFormat(pixFmt, pf)) {
      FOwner->Useddpf = pf;
      FOwner->Findddpf_f = true;
    }
    desc.pf = pf;
    DDDD_Msg("");
  }
  FD3DFormat = D3DFormatOf(desc.pf);
  if (!tPath.empty()) DDDD_Msg("[" + tPath + "]\x82\xF0\x83\x65\x83\x4E\x83\x58\x83\x60\x83\x83\x82\xC9\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x82\xDC\x82\xB7" /* ]をテクスチャに読み込みます */);
  std::string size = std::to_string(edge) + "\x81\x7E" /* × */ + std::to_string(edge);
  if ((desc.caps & kCapsVideoMemory) && (desc.caps & kCapsNonLocalVidMem)) {
    DDDD_Msg(size + "\x83\x65\x83\x4E\x83\x58\x83\x60\x83\x83\x82\xF0\x83\x6D\x83\x93\x83\x8D\x81\x5B\x83\x4A\x83\x8B\x83\x72\x83\x66\x83\x49\x83\x81\x83\x82\x83\x8A\x82\xC9\x94\x7A\x92\x75\x82\xB5\x82\xDC\x82\xB7" /* テクスチャをノンローカルビデオメモリに配置します */);
  } else if (desc.caps & kCapsVideoMemory) {
    DDDD_Msg(size + "\x83\x65\x83\x4E\x83\x58\x83\x60\x83\x83\x82\xF0\x83\x72\x83\x66\x83\x49\x83\x81\x83\x82\x83\x8A\x82\xC9\x94\x7A\x92\x75\x82\xB5\x82\xDC\x82\xB7" /* テクスチャをビデオメモリに配置します */);
  } else if (desc.caps & kCapsSystemMemory) {
    DDDD_Msg(size + "\x83\x65\x83\x4E\x83\x58\x83\x60\x83\x83\x82\xF0\x83\x56\x83\x58\x83\x65\x83\x80\x83\x81\x83\x82\x83\x8A\x82\xC9\x94\x7A\x92\x75\x82\xB5\x82\xDC\x82\xB7" /* テクスチャをシステムメモリに配置します */);
  } else {
    DDDD_Msg(size + "\x83\x65\x83\x4E\x83\x58\x83\x60\x83\x83\x82\xF0\x83\x68\x83\x89\x83\x43\x83\x6F\x82\xCC\x83\x66\x83\x74\x83\x48\x83\x8B\x83\x67\x82\xCC\x88\xCA\x92\x75(\x82\xA8\x82\xBB\x82\xE7\x82\xAD\x83\x72\x83\x66\x83\x49\x83\x81\x83\x82\x83\x8A)\x82\xC9\x94\x7A\x92\x75\x82\xB5\x82\xDC\x82\xB7" /* テクスチャをドライバのデフォルトの位置(おそらくビデオメモリ)に配置します */);
  }
  FSurf = nullptr;
  plat::SoftDraw* dd = FOwner ? FOwner->DDraw() : nullptr;
  int32_t r = dd ? dd->CreateSurface(desc, &FSurf) : kErrInvalidParams;
  if (TRYDD(r, "\x83\x65\x83\x4E\x83\x58\x83\x60\x83\x83\x97\x70\x83\x54\x81\x5B\x83\x74\x83\x46\x83\x58\x82\xF0\x8D\xEC\x82\xEA\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82\xB5\x82\xBD" /* テクスチャ用サーフェスを作れませんでした */) == 0) getDesc();
  FWidth = FHeight = FtxSize = edge;
  FbmpWidth = width;
  FbmpHeight = height;
  FCk = colorKey;
  Clipping = false;
  ClipRect = {0, 0, edge, edge};
  InitColorConverter(desc.pf, false);
  return FSurf != nullptr;
}

void TDDDDTexture::LoadBMP(const std::string& fname) {
  DDDD_Msg(fname + " \x82\xF0\x83\x65\x83\x4E\x83\x58\x83\x60\x83\x83\x82\xC9\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x82\xDC\x82\xB7" /*  をテクスチャに読み込みます */);
  FBMPName = fname;
  FSourceType = ddsBMP;
  TDDDDGenSurface::LoadBMP(fname);
}

void TDDDDTexture::LoadFromQDA(const std::string& FName, const std::string& ID) {
  DDDD_Msg(std::string("\x83\x41\x81\x5B\x83\x4A\x83\x43\x83\x75 " /* アーカイブ  */) + FName + " \x82\xA9\x82\xE7\x81\x41\x83\x65\x83\x4E\x83\x58\x83\x60\x83\x83\x82\xC9 " /*  から、テクスチャに  */ + ID +
           " \x82\xF0\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x82\xDC\x82\xB7" /*  を読み込みます */);
  FQDAName = FName;
  FQDAID = ID;
  FSourceType = ddsQDA;
  TDDDDGenSurface::LoadFromQDA(FName, ID);
}

// ---- keepers ------------------------------------------------------------
TDDDDSurfaceKeeper::TDDDDSurfaceKeeper(TDDDD* owner, TDDDDSurface* target, int32_t id)
    : FTarget(target),
      FWidth(target->Width()),
      FHeight(target->Height()),
      FDepth(owner->getBitDepth()),
      FID(id),
      FOwner(owner) {}

void TDDDDSurfaceKeeper::Reload() {
  if (FTarget->FSourceType == ddsQDA && !FTarget->FQDAName.empty()) {
    FTarget->LoadFromQDA(FTarget->FQDAName, FTarget->FQDAID);
  } else if (FTarget->FSourceType == ddsBMP && !FTarget->FBMPName.empty()) {
    FTarget->LoadBMP(FTarget->FBMPName);
  }
}

bool TDDDDSurfaceKeeper::Restore() {
  if (!FTarget->getIsLost()) return false;
  FTarget->Restore();
  DDDD_Msg("\x83\x54\x81\x5B\x83\x74\x83\x46\x83\x58\x82\xF0\x95\x9C\x8C\xB3\x82\xB5\x82\xDC\x82\xB7" /* サーフェスを復元します */);
  Reload();
  return true;
}

void TDDDDSurfaceKeeper::Recover() {
  using namespace plat::dd;
  DDDD_Msg(Fmt("ID:%d\x82\xCC\x83\x54\x81\x5B\x83\x74\x83\x46\x83\x58\x82\xF0\x8D\xC4\x8D\x5C\x92\x7A\x82\xB5\x82\xDC\x82\xB7" /* ID:%dのサーフェスを再構築します */, FID));
  plat::SoftDraw* dd = FOwner->DDraw();
  if (!dd) return;
  plat::DdSurfaceDesc desc = FTarget->FDesc;
  desc.flags = kSdCaps | kSdHeight | kSdWidth;
  desc.width = uint32_t(std::max(FTarget->FWidth, 1));
  desc.height = uint32_t(std::max(FTarget->FHeight, 1));
  desc.caps &= ~(kCapsBackBuffer | kCapsPrimarySurface | kCapsFlip | kCapsComplex);
  if (!(desc.caps & (kCapsOffscreenPlain | kCapsTexture))) desc.caps |= kCapsOffscreenPlain;
  FTarget->FSurf = nullptr;
  if (dd->CreateSurface(desc, &FTarget->FSurf) != 0) {
    DDDD_Msg("\x83\x56\x83\x58\x83\x65\x83\x80\x83\x81\x83\x82\x83\x8A\x82\xC9\x83\x54\x81\x5B\x83\x74\x83\x46\x83\x58\x82\xF0\x8D\xC4\x8D\x5C\x92\x7A\x82\xB5\x82\xDC\x82\xB7" /* システムメモリにサーフェスを再構築します */);
    desc.caps = kCapsOffscreenPlain | kCapsSystemMemory;
    TRYDD(dd->CreateSurface(desc, &FTarget->FSurf), "\x83\x54\x81\x5B\x83\x74\x83\x46\x83\x58\x82\xF0\x8D\xEC\x82\xEA\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82\xB5\x82\xBD" /* サーフェスを作れませんでした */);
  }
  if (!FTarget->FSurf) return;
  FTarget->FSurf->SetColorKey(kColorKeySrcBlt, FTarget->FCk, FTarget->FCk);
  FTarget->getDesc();
  FTarget->FRestore_f = true;
  // The display's format may have changed with the mode.
  FTarget->InitColorConverter(FTarget->FDesc.pf, false);
  Reload();
}

void TDDDDSurfaceKeeper::Release() {
  DDDD_Msg(Fmt("DirectDraw\x83\x49\x83\x75\x83\x57\x83\x46\x83\x4E\x83\x67\x82\xCC\x89\xF0\x95\xFA\x82\xC9\x94\xBA\x82\xA2\x81\x41ID:%d\x82\xCC\x83\x54\x81\x5B\x83\x74\x83\x46\x83\x58\x82\xF0\x89\xF0\x95\xFA\x82\xB5\x82\xDC\x82\xB7" /* DirectDrawオブジェクトの解放に伴い、ID:%dのサーフェスを解放します */, FID));
  FTarget->ReleaseSurface(nullptr);
}

TDDDDTextureKeeper::TDDDDTextureKeeper(TDDDD* owner, TDDDDTexture* target, int32_t id)
    : FTarget(target), FID(id), FOwner(owner) {}

void TDDDDTextureKeeper::Reload() {
  if (FTarget->FSourceType == ddsQDA && !FTarget->FQDAName.empty()) {
    FTarget->LoadFromQDA(FTarget->FQDAName, FTarget->FQDAID);
  } else if (FTarget->FSourceType == ddsBMP && !FTarget->FBMPName.empty()) {
    FTarget->LoadBMP(FTarget->FBMPName);
  }
}

bool TDDDDTextureKeeper::Restore() {
  // Only a texture whose memory was really lost is restored and reloaded.
  if (!FTarget->getIsLost()) return false;
  FTarget->Restore();
  Reload();
  return true;
}

void TDDDDTextureKeeper::Recover() {
  DDDD_Msg(Fmt("ID:%d\x82\xCC\x83\x65\x83\x4E\x83\x58\x83\x60\x83\x83\x82\xF0\x8D\xC4\x8D\x5C\x92\x7A\x82\xB5\x82\xDC\x82\xB7" /* ID:%dのテクスチャを再構築します */, FID));
  FTarget->CreateSurface(FTarget->FWidth, FTarget->FHeight, FTarget->FCk,
                         FTarget->FPixelFormatStr, "");
  FTarget->FRestore_f = true;
  Reload();
}

void TDDDDTextureKeeper::Release() {
  DDDD_Msg(Fmt("DirectDraw\x83\x49\x83\x75\x83\x57\x83\x46\x83\x4E\x83\x67\x82\xCC\x89\xF0\x95\xFA\x82\xC9\x94\xBA\x82\xA2\x81\x41ID:%d\x82\xCC\x83\x65\x83\x4E\x83\x58\x83\x60\x83\x83\x82\xF0\x89\xF0\x95\xFA\x82\xB5\x82\xDC\x82\xB7" /* DirectDrawオブジェクトの解放に伴い、ID:%dのテクスチャを解放します */, FID));
  FTarget->ReleaseSurface(nullptr);
}

// ---- keep lists ---------------------------------------------------------
void TDDDD::KeepSurface(TDDDDSurface* S) {
  auto& L = SurfaceKeepList;
  L.erase(std::remove_if(L.begin(), L.end(), [S](const auto& k) { return k->FTarget == S; }),
          L.end());
  L.push_back(std::make_unique<TDDDDSurfaceKeeper>(this, S, NSurfaceCreated));
  DDDD_Msg(Fmt("\x83\x54\x81\x5B\x83\x74\x83\x46\x83\x58 ID:%d\x82\xF0\x92\xC7\x89\xC1\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* サーフェス ID:%dを追加しました */, NSurfaceCreated));
  ++NSurfaceCreated;
}

void TDDDD::SurfaceDestroyed(TDDDDSurface* S) {
  auto& L = SurfaceKeepList;
  auto it = std::find_if(L.begin(), L.end(), [S](const auto& k) { return k->FTarget == S; });
  if (it == L.end()) return;
  DDDD_Msg(Fmt("\x83\x54\x81\x5B\x83\x74\x83\x46\x83\x58\x81\x41ID:%d\x82\xF0\x89\xF0\x95\xFA\x82\xB5\x82\xDC\x82\xB7" /* サーフェス、ID:%dを解放します */, (*it)->FID));
  S->FSurf = nullptr;
  L.erase(it);
}

void TDDDD::KeepTexture(TDDDDTexture* T_) {
  auto& L = TextureKeepList;
  for (size_t i = 0; i < L.size(); ++i) {
    if (L[i]->FTarget == T_) {
      DDDD_Msg(Fmt("TextureKeepList Items:%d" "\x82\xF0\x8D\xED\x8F\x9C" /* を削除 */, int(i)));
      L.erase(L.begin() + long(i));
      break;
    }
  }
  L.push_back(std::make_unique<TDDDDTextureKeeper>(this, T_, NTextureCreated));
  DDDD_Msg(Fmt("\x83\x65\x83\x4E\x83\x58\x83\x60\x83\x83\x83\x8A\x83\x58\x83\x67 ID:%d\x82\xF0\x92\xC7\x89\xC1\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* テクスチャリスト ID:%dを追加しました */, NTextureCreated));
  ++NTextureCreated;
}

void TDDDD::TextureDestroyed(TDDDDTexture* T_) {
  auto& L = TextureKeepList;
  auto it = std::find_if(L.begin(), L.end(), [T_](const auto& k) { return k->FTarget == T_; });
  if (it == L.end()) return;
  DDDD_Msg(Fmt("\x83\x65\x83\x4E\x83\x58\x83\x60\x83\x83\x81\x41ID:%d\x82\xF0\x89\xF0\x95\xFA\x82\xB5\x82\xDC\x82\xB7" /* テクスチャ、ID:%dを解放します */, (*it)->FID));
  L.erase(it);
}

bool TDDDD::RestoreSurfaces() {
  bool any = false;
  for (auto& k : SurfaceKeepList) any = k->Restore() || any;
  for (auto& k : TextureKeepList) any = k->Restore() || any;
  return any;
}

void TDDDD::CleanUpSurfaces() {
  for (auto& k : TextureKeepList) k->Release();
  for (auto& k : SurfaceKeepList) k->Release();
}

void TDDDD::RecoverSurfaces() {
  for (auto& k : TextureKeepList) k->Recover();
  for (auto& k : SurfaceKeepList) k->Recover();
}
