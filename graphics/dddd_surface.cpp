// Display surfaces: the wrapper with clipping, colour conversion and pixel
// access, the kept off-screen surface, and the BMP loader.
#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <optional>

#include "graphics/QxDIB.h"
#include "graphics/dddd.h"
#include "platform/Files.h"

namespace {

using plat::DdRect;

void RegulateRect(DdRect& r) {
  if (r.bottom < r.top) std::swap(r.top, r.bottom);
  if (r.right < r.left) std::swap(r.left, r.right);
}

bool CalcClippingB(DdRect& dr, DdRect& sr, const DdRect& clip) {
  RegulateRect(dr);
  RegulateRect(sr);
  DdRect cr = clip;
  RegulateRect(cr);
  bool h = ClipSpan(dr.left, dr.right, sr.left, sr.right, cr.left, cr.right);
  bool v = ClipSpan(dr.top, dr.bottom, sr.top, sr.bottom, cr.top, cr.bottom);
  return h && v;
}

inline uint32_t LoadPixel(const uint8_t* p, uint32_t bytes) {
  uint32_t v = 0;
  std::memcpy(&v, p, bytes);  // little-endian: the low bytes
  return v;
}

inline void StorePixel(uint8_t* p, uint32_t bytes, uint32_t v) { std::memcpy(p, &v, bytes); }

// Shown pixels per stored texel, each way: a surface stored one texel per
// picture pixel shows each texel as a block, and the pixel access addresses
// the texel under a shown coordinate.
inline uint32_t TexelScale(const plat::DdSurfaceDesc& d) {
  return (d.flags & plat::dd::kSdTexelScale) && d.texelScale > 1 ? d.texelScale : 1;
}

uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t Le32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Widens a 5-bit value to 8 bits so that full intensity stays full.
inline uint8_t Widen5(uint32_t v) { return uint8_t((v << 3) | (v >> 2)); }

// The channels of a bit-field file: red, green and blue through the masks
// that follow the 40-byte header (the larger headers hold them at the same
// place), alpha through the alpha mask of a header of 56 bytes or more, else
// opaque.
struct BmpBitFields {
  QxMaskChannel r, g, b, a;
  bool hasAlpha;
  uint32_t Convert(const TDDDDGenSurface& s, uint32_t v) const {
    return s.ARGBToPhysical(hasAlpha ? a.Of(v) : 255, r.Of(v), g.Of(v), b.Of(v));
  }
};

std::optional<BmpBitFields> ReadBitFields(const uint8_t* data, size_t size, uint32_t biSize) {
  if (size < 14 + 52) return std::nullopt;
  const uint8_t* m = data + 14 + 40;
  const bool hasAlpha = biSize >= 56 && size >= 14 + 56 && Le32(m + 12) != 0;
  BmpBitFields f{QxMaskChannel(Le32(m)), QxMaskChannel(Le32(m + 4)), QxMaskChannel(Le32(m + 8)),
                 QxMaskChannel(hasAlpha ? Le32(m + 12) : 0), hasAlpha};
  if (f.r.Mask == 0 || f.g.Mask == 0 || f.b.Mask == 0) return std::nullopt;
  return f;
}

// One pixel of a 8-, 16-, 24- or 32-bit file in the surface's format. 8-bit
// indices past the colour table give black.
uint32_t FilePixel(const TDDDDGenSurface& s, const uint8_t* p, uint16_t bitCount,
                   const std::optional<BmpBitFields>& fields, const plat::PaletteEntry* table,
                   uint32_t tableSize) {
  if (fields) return fields->Convert(s, LoadPixel(p, bitCount / 8u));
  switch (bitCount) {
    case 8: {
      const plat::PaletteEntry e = p[0] < tableSize ? table[p[0]] : plat::PaletteEntry{};
      return s.ARGBToPhysical(255, e.red, e.green, e.blue);
    }
    case 16: {
      const uint32_t w = Le16(p);
      return s.ARGBToPhysical(255, Widen5((w >> 10) & 31), Widen5((w >> 5) & 31), Widen5(w & 31));
    }
    case 24: return s.ARGBToPhysical(255, p[2], p[1], p[0]);
    default: return s.ARGBToPhysical(p[3], p[2], p[1], p[0]);
  }
}

constexpr int32_t kMaxBmpEdge = 16384;
constexpr size_t kMaxBmpFile = size_t(256) << 20;

}  // namespace

bool ClipSpan(int32_t& d0, int32_t& d1, int32_t& s0, int32_t& s1, int32_t c0, int32_t c1) {
  const int64_t dw = int64_t(d1) - d0, sw = int64_t(s1) - s0;
  if (c1 <= d0 || c0 >= d1 || dw <= 0) return false;
  const int32_t D1 = d1, S1 = s1;
  if (c1 < d1) {
    s1 = int32_t((int64_t(c1) - d0) * sw / dw + s0);
    d1 = c1;
  }
  if (c0 > d0) {
    s0 = int32_t(S1 - (int64_t(D1) - c0) * sw / dw);
    d0 = c0;
  }
  return true;
}

TD3DFMT D3DFormatOf(const plat::DdPixelFormat& pf) {
  switch (pf.aMask) {
    case 0xFF000000: return A8R8G8B8;
    case 0x8000: return A1R5G5B5;
    case 0xF000: return A4R4G4B4;
    default: break;
  }
  if (pf.gMask == 0x3E0) return R5G5B5;
  if (pf.gMask == 0x7E0) return R5G6B5;
  return UnKnownFmt;
}

// ---- TDDDDGenSurface ----------------------------------------------------
TDDDDGenSurface::TDDDDGenSurface(TDDDD* AOwner, plat::SoftSurface* Surf, int32_t x, int32_t y)
    : FSurf(Surf), FWidth(x), FHeight(y), FOwner(AOwner) {
  if (FSurf) FSurf->GetSurfaceDesc(&FDesc);
  ClipRect = {0, 0, x, y};
  FtxSize = std::max(x, y);
  FbmpWidth = x;
  FbmpHeight = y;
  InitColorConverter(FDesc.pf, true);
}

void TDDDDGenSurface::InitColorConverter(const plat::DdPixelFormat& ddpf, bool DbgMsg_f) {
  auto shifts = [](uint32_t mask, uint32_t& m, uint32_t& r, uint32_t& l) {
    m = mask;
    l = mask == 0 ? 32 : uint32_t(std::countr_zero(mask));
    uint32_t ones = mask == 0 ? 0 : uint32_t(std::countr_one(mask >> l));
    r = 8 - std::min<uint32_t>(8, ones);
  };
  shifts(ddpf.aMask, Shifter.am, Shifter.ar, Shifter.al);
  shifts(ddpf.rMask, Shifter.rm, Shifter.rr, Shifter.rl);
  shifts(ddpf.gMask, Shifter.gm, Shifter.gr, Shifter.gl);
  shifts(ddpf.bMask, Shifter.bm, Shifter.br, Shifter.bl);
  FD3DFormat = D3DFormatOf(ddpf);
  if (DbgMsg_f) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "PixelFormat: AMask=%.8x RMask=%.8x GMask=%.8x BMask=%.8x",
                  ddpf.aMask, ddpf.rMask, ddpf.gMask, ddpf.bMask);
    DDDD_Msg(buf);
  }
}

uint32_t TDDDDGenSurface::ARGBToPhysical(uint8_t a, uint8_t r, uint8_t g, uint8_t b) const {
  // An empty mask has a left shift of 32 and contributes nothing.
  auto part = [](uint8_t v, uint32_t rs, uint32_t ls) -> uint32_t {
    return ls >= 32 ? 0 : (uint32_t(v) >> rs) << ls;
  };
  return part(a, Shifter.ar, Shifter.al) | part(r, Shifter.rr, Shifter.rl) |
         part(g, Shifter.gr, Shifter.gl) | part(b, Shifter.br, Shifter.bl);
}

uint32_t TDDDDGenSurface::TColorToPhysical(int32_t col) const {
  const uint32_t c = uint32_t(col);
  return ARGBToPhysical(uint8_t(c >> 24), uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16));
}

void TDDDDGenSurface::setColorKey(uint32_t ck) {
  FCk = ck;
  if (FSurf) FSurf->SetColorKey(plat::dd::kColorKeySrcBlt, ck, ck);
}

int32_t TDDDDGenSurface::Lock(plat::DdSurfaceDesc& ddsd) {
  if (FLocked) {
    ddsd = FLockedDesc;
    return 0;
  }
  int32_t r = FSurf ? FSurf->Lock(&FDesc, plat::dd::kLockWait) : plat::dd::kErrInvalidParams;
  if (TRYDD(r, "\x83\x54\x81\x5B\x83\x74\x83\x46\x83\x58\x82\xAALock\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1" /* サーフェスがLockできません */) != 0) return r;
  FLocked = true;
  FLockedDesc = FDesc;
  ddsd = FDesc;
  return 0;
}

int32_t TDDDDGenSurface::UnLock() {
  if (!FLocked) return 0;
  int32_t r = FSurf ? FSurf->Unlock() : plat::dd::kErrInvalidParams;
  FLocked = false;
  return TRYDD(r, "\x83\x54\x81\x5B\x83\x74\x83\x46\x83\x58\x82\xCC\x83\x41\x83\x93\x83\x8D\x83\x62\x83\x4E\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* サーフェスのアンロックに失敗しました */);
}

void TDDDDGenSurface::Restore() {
  if (FSurf && FSurf->IsLost() != 0) {
    FSurf->Restore();
    FRestore_f = true;
    DDDD_Msg("\x81\x9F\x81\x9F\x81\x9F\x81\x9F\x81\x9F\x83\x8A\x83\x58\x83\x67\x83\x41\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81\x9F\x81\x9F\x81\x9F\x81\x9F" /* ◆◆◆◆◆リストアしました◆◆◆◆ */);
  }
}

plat::DdSurfaceDesc TDDDDGenSurface::getDesc() {
  int32_t r = FSurf ? FSurf->GetSurfaceDesc(&FDesc) : plat::dd::kErrInvalidParams;
  TRYDD(r, "\x83\x54\x81\x5B\x83\x74\x83\x46\x83\x58\x8F\xEE\x95\xF1\x82\xCC\x8E\xE6\x93\xBE\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* サーフェス情報の取得に失敗しました */);
  return FDesc;
}

bool TDDDDGenSurface::getIsLost() { return FSurf && FSurf->IsLost() != 0; }

void TDDDDGenSurface::ReleaseSurface(const char* failMes) {
  if (!FSurf) return;
  if (FLocked) FSurf->Unlock();
  FLocked = false;
  uint32_t left = FSurf->Release();
  FSurf = nullptr;
  if (failMes) TRYDD(int32_t(left), failMes);
}

uint32_t TDDDDGenSurface::getPixel(int32_t x, int32_t y) {
  if (x < 0 || x > FWidth - 1 || y < 0 || y > FHeight - 1) {
    PutDebugMessage("\x83\x54\x81\x5B\x83\x74\x83\x46\x83\x58\x8A\x4F\x82\xCC\x83\x73\x83\x4E\x83\x5A\x83\x8B\x82\xF0\x8E\x51\x8F\xC6\x82\xB5\x82\xE6\x82\xA4\x82\xC6\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* サーフェス外のピクセルを参照しようとしました */, "dddebug.txt");
    return 0;
  }
  if (!FSurf) return 0;
  plat::DdSurfaceDesc d;
  bool own = false;
  if (FLocked) {
    d = FLockedDesc;
  } else {
    if (FSurf->Lock(&d, plat::dd::kLockWait | plat::dd::kLockReadOnly) != 0) return 0;
    own = true;
  }
  uint32_t v = 0;
  const uint32_t bytes = d.pf.bitCount / 8;
  const uint32_t tx = uint32_t(x) / TexelScale(d), ty = uint32_t(y) / TexelScale(d);
  if (bytes >= 1 && bytes <= 4 && tx < d.width && ty < d.height) {
    v = LoadPixel(d.surface + size_t(d.pitch) * ty + size_t(tx) * bytes, bytes);
  }
  if (own) FSurf->Unlock();
  return v;
}

void TDDDDGenSurface::setPixel(int32_t x, int32_t y, uint32_t p) {
  if (x < 0 || x > FWidth - 1 || y < 0 || y > FHeight - 1) {
    char nums[96];
    std::snprintf(nums, sizeof nums, " x:%d y:%d FWidth:%d FHeight:%d", int(x), int(y),
                  int(FWidth), int(FHeight));
    PutDebugMessage(std::string("\x83\x54\x81\x5B\x83\x74\x83\x46\x83\x58\x8A\x4F\x82\xCC\x83\x73\x83\x4E\x83\x5A\x83\x8B\x82\xF0\x95\xCF\x8D\x58\x82\xB5\x82\xE6\x82\xA4\x82\xC6\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* サーフェス外のピクセルを変更しようとしました */) + nums,
                    "dddebug.txt");
    return;
  }
  if (!FSurf) return;
  plat::DdSurfaceDesc d;
  bool own = false;
  if (FLocked) {
    d = FLockedDesc;
  } else {
    if (FSurf->Lock(&d, plat::dd::kLockWait) != 0) return;
    own = true;
  }
  const uint32_t bytes = d.pf.bitCount / 8;
  const uint32_t tx = uint32_t(x) / TexelScale(d), ty = uint32_t(y) / TexelScale(d);
  if (bytes >= 1 && bytes <= 4 && tx < d.width && ty < d.height) {
    StorePixel(d.surface + size_t(d.pitch) * ty + size_t(tx) * bytes, bytes, p);
  }
  if (own) FSurf->Unlock();
}

int32_t TDDDDGenSurface::Blt(TDDDDGenSurface* SrcSurf, plat::DdRect& destRect,
                             plat::DdRect& srcRect, uint32_t dwFlags, plat::DdBltFx& fx) {
  DdRect dr = destRect, sr = srcRect;
  const DdRect cr = Clipping ? ClipRect : DdRect{0, 0, FWidth, FHeight};
  plat::SoftSurface* src = SrcSurf ? SrcSurf->FSurf : nullptr;
  // A surface already given back to the device draws nothing.
  if (!FSurf || (SrcSurf && !src)) return plat::dd::kErrInvalidParams;
  if (FOwner && this == FOwner->FrontBuffer()) {
    return FSurf->Blt(&dr, src, src ? &sr : nullptr, dwFlags, &fx);
  }
  if (!CalcClippingB(dr, sr, cr)) return 0;
  if (SrcSurf) {
    if (fx.ddfx == plat::dd::kFxMirrorLeftRight) {
      const int32_t W = SrcSurf->Width();
      sr = {W - sr.right, sr.top, W - sr.left, sr.bottom};
    } else if (fx.ddfx == plat::dd::kFxMirrorUpDown) {
      const int32_t H = SrcSurf->Height();
      sr = {sr.left, H - sr.bottom, sr.right, H - sr.top};
    }
  }
  return FSurf->Blt(&dr, src, src ? &sr : nullptr, dwFlags, &fx);
}

int32_t TDDDDGenSurface::Put(plat::DdRect& destRect, plat::DdRect& srcRect, uint32_t dwFlags,
                             plat::DdBltFx& fx) {
  if (!FOwner || !FOwner->BackBuffer()) return plat::dd::kErrInvalidParams;
  return FOwner->BackBuffer()->Blt(this, destRect, srcRect, dwFlags, fx);
}

void TDDDDGenSurface::LoadBMP(const std::string& fname) {
  DDDD_Msg(fname + " \x82\xF0\x83\x54\x81\x5B\x83\x74\x83\x46\x83\x58\x82\xC9\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x82\xDC\x82\xB7" /*  をサーフェスに読み込みます */);
  auto data = plat::ReadFile(fname, kMaxBmpFile);
  if (!data) {
    PutDebugMessage(fname + "\x82\xAA\x81\x41\x8C\xA9\x82\xC2\x82\xA9\x82\xE8\x82\xDC\x82\xB9\x82\xF1" /* が、見つかりません */, "dddebug.txt");
    return;
  }
  LoadFromBMPStream(data->data(), data->size());
}

void TDDDDGenSurface::LoadFromQDA(const std::string& FName, const std::string& ID) {
  DDDD_Msg(std::string("\x83\x41\x81\x5B\x83\x4A\x83\x43\x83\x75 " /* アーカイブ  */) + FName + " \x82\xA9\x82\xE7\x81\x41\x83\x54\x81\x5B\x83\x74\x83\x46\x83\x58\x82\xC9 " /*  から、サーフェスに  */ + ID +
           " \x82\xF0\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x82\xDC\x82\xB7" /*  を読み込みます */);
  auto data = DDDD_ReadArchiveEntry(FName, ID);
  if (!data) {
    PutDebugMessage("\x83\x41\x81\x5B\x83\x4A\x83\x43\x83\x75\x82\xA9\x82\xE7\x82\xCC\x83\x72\x83\x62\x83\x67\x83\x7D\x83\x62\x83\x76\x82\xCC\x93\xC7\x82\xDD\x8E\xE6\x82\xE8\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* アーカイブからのビットマップの読み取りに失敗しました */, "dddebug.txt");
    return;
  }
  LoadFromBMPStream(data->data(), data->size());
}

bool TDDDDGenSurface::LoadFromBMPStream(const uint8_t* data, size_t size) {
  const std::string log = "dddebug.txt";
  const char* readErr = "LoadBMP\x92\x86\x82\xC9\x81\x41\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x83\x47\x83\x89\x81\x5B\x82\xAA\x94\xAD\x90\xB6\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* LoadBMP中に、読み込みエラーが発生しました */;
  if (!FSurf || getIsLost()) return false;
  if (size < 14) {
    PutDebugMessage("\x83\x72\x83\x62\x83\x67\x83\x7D\x83\x62\x83\x76\x82\xCC\x93\xC7\x82\xDD\x82\xB1\x82\xDD\x92\x86\x82\xC9\x81\x41\x83\x47\x83\x89\x81\x5B\x82\xAA\x94\xAD\x90\xB6\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* ビットマップの読みこみ中に、エラーが発生しました */, log);
    return false;
  }
  if (Le16(data) != 0x4D42) {
    PutDebugMessage("\x95\x73\x90\xB3\x82\xC8" "BMP\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xC5\x82\xB7" /* 不正なBMPファイルです */, log);
    return false;
  }
  const uint32_t offBits = Le32(data + 10);
  if (size < 14 + 40) {
    PutDebugMessage(readErr, log);
    return false;
  }
  const uint8_t* info = data + 14;
  const uint32_t biSize = Le32(info);
  const int32_t width = int32_t(Le32(info + 4));
  const int32_t rawHeight = int32_t(Le32(info + 8));
  const uint16_t bitCount = Le16(info + 14);
  const uint32_t compression = Le32(info + 16);
  const uint32_t clrUsed = Le32(info + 32);
  if (bitCount < 8 || bitCount > 32) {
    TRYDD(1, "\x90\x46\x90\x94\x82\xAA" "8\x83\x72\x83\x62\x83\x67\x81\x60" "32\x83\x72\x83\x62\x83\x67\x82\xCC\x94\xCD\x88\xCD\x82\xCC\x83\x72\x83\x62\x83\x67\x83\x7D\x83\x62\x83\x76\x82\xF0\x81\x41LoadBMP\x82\xC9\x82\xCD\x8E\x77\x92\xE8\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2" /* 色数が8ビット～32ビットの範囲のビットマップを、LoadBMPには指定してください */);
    return false;
  }
  // Only 8-, 16-, 24- and 32-bit images of a sane size whose headers and rows
  // lie inside the data are read, uncompressed or (16 and 32 bits) with
  // non-empty colour masks.
  const bool bitfields = compression == 3 && (bitCount == 16 || bitCount == 32);
  const std::optional<BmpBitFields> fields =
      bitfields ? ReadBitFields(data, size, biSize) : std::nullopt;
  if ((bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32) ||
      (compression != 0 && !fields) || biSize < 40 || biSize > size - 14 || width <= 0 ||
      width > kMaxBmpEdge || rawHeight == 0 || rawHeight < -kMaxBmpEdge ||
      rawHeight > kMaxBmpEdge || offBits > size) {
    PutDebugMessage("\x95\x73\x90\xB3\x82\xC8" "BMP\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xC5\x82\xB7" /* 不正なBMPファイルです */, log);
    return false;
  }
  const bool topDown = rawHeight < 0;
  const int32_t height = topDown ? -rawHeight : rawHeight;

  plat::DdSurfaceDesc cur = getDesc();
  const bool palSurface = (cur.pf.flags & plat::dd::kPfPaletteIndexed8) != 0;
  const uint32_t sbpp = palSurface ? 1 : cur.pf.bitCount / 8;
  const uint32_t fbpp = bitCount / 8;
  if (sbpp == 0) return false;
  if (sbpp == 1 && fbpp != 1) {
    // Reducing a true-colour picture onto a palette surface is not supported.
    PutDebugMessage("\x95\x73\x90\xB3\x82\xC8\x83\x72\x83\x62\x83\x67\x83\x7D\x83\x62\x83\x76\x82\xC5\x82\xB7" /* 不正なビットマップです */, log);
    return false;
  }

  // The colour table, for 8-bit pictures only: biClrUsed entries (0: 256).
  plat::PaletteEntry table[256] = {};
  uint32_t tableSize = 0;
  if (bitCount == 8) {
    tableSize = clrUsed == 0 || clrUsed > 256 ? 256 : clrUsed;
    const uint64_t at = 14 + uint64_t(biSize);
    if (at + uint64_t(tableSize) * 4 > size) {
      PutDebugMessage(readErr, log);
      return false;
    }
    for (uint32_t i = 0; i < tableSize; ++i) {
      const uint8_t* q = data + at + i * 4;
      table[i] = {q[2], q[1], q[0], 0};
    }
  }

  const uint64_t fileRow = (uint64_t(width) * fbpp + 3) & ~uint64_t(3);
  const uint64_t convRow = (uint64_t(width) * sbpp + 3) & ~uint64_t(3);
  plat::DdSurfaceDesc d;
  const bool ownLock = !FLocked;
  if (ownLock) {
    if (TRYDD(FSurf->Lock(&d, plat::dd::kLockWait),
              "LoadBMP\x92\x86\x82\xC9\x83\x54\x81\x5B\x83\x74\x83\x46\x83\x58\x82\xAA\x83\x8D\x83\x62\x83\x4E\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82\xB5\x82\xBD" /* LoadBMP中にサーフェスがロックできませんでした */) != 0) {
      return false;
    }
  } else {
    d = FLockedDesc;
  }
  const int32_t rows = std::min<int32_t>(int32_t(d.height), height);
  const size_t copyBytes = size_t(std::min<uint64_t>(convRow, uint64_t(d.pitch)));
  std::vector<uint8_t> conv(size_t(convRow), 0);
  bool ok = true;
  for (int32_t j = 0; j < rows; ++j) {
    // Stored row j is picture row height-1-j counted from the top.
    const int64_t fileIndex = topDown ? int64_t(height) - 1 - j : j;
    const uint64_t at = offBits + uint64_t(fileIndex) * fileRow;
    if (at + fileRow > size) {
      PutDebugMessage(readErr, log);
      ok = false;
      break;
    }
    const uint8_t* src = data + at;
    if (sbpp == 1) {
      std::memcpy(conv.data(), src, size_t(std::min(fileRow, convRow)));
    } else {
      for (int32_t x = 0; x < width; ++x) {
        const uint8_t* p = src + size_t(x) * fbpp;
        const uint32_t v = FilePixel(*this, p, bitCount, fields, table, tableSize);
        StorePixel(conv.data() + size_t(x) * sbpp, sbpp, v);
      }
    }
    uint8_t* dst = d.surface + size_t(d.pitch) * (d.height - 1 - uint32_t(j));
    std::memcpy(dst, conv.data(), copyBytes);
  }
  if (ownLock) FSurf->Unlock();
  return ok;
}

// ---- TDDDDSurface -------------------------------------------------------
TDDDDSurface::TDDDDSurface(TDDDD* AOwner, int32_t width, int32_t height, uint32_t colorKey,
                           const std::string& pixFmt, const std::string& tPath,
                           uint32_t texelScale)
    : TDDDDGenSurface(AOwner, nullptr, width, height) {
  FPixelFormatStr = pixFmt;
  CreateSurface(width, height, colorKey, AOwner ? AOwner->SurfaceLocation : smtDefault, tPath,
                texelScale);
}

TDDDDSurface::~TDDDDSurface() {
  Clipping = false;
  ReleaseSurface("\x83\x54\x81\x5B\x83\x74\x83\x46\x83\x58\x82\xCC\x89\xF0\x95\xFA\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD" /* サーフェスの解放に失敗しました */);
  if (FOwner) FOwner->SurfaceDestroyed(this);
}

namespace {

// Names the picture a surface was for when none could be made: the halt
// message that follows says only that a surface failed.
void ReportSurfaceFailure(const std::string& picture, int32_t width, int32_t height, uint32_t scale) {
  const int64_t edge = plat::dd::kMaxSurfaceEdge;
  if (width <= edge && height <= edge) {
    plat::ReportFileProblem(picture, "no display surface of " + std::to_string(width) + " x " +
                                         std::to_string(height) + " could be made for it");
    return;
  }
  const auto px = [scale](int32_t v) { return std::to_string((int64_t(v) + scale - 1) / scale); };
  std::string what = "is " + px(width) + " x " + px(height) + " pixels";
  if (scale > 1)
    what += "; shown at scale " + std::to_string(scale) + " it needs " + std::to_string(width) +
            " x " + std::to_string(height);
  plat::ReportFileProblem(picture, what + ", larger than the " + std::to_string(edge) +
                                       " a side a display surface can be");
}

}  // namespace

void TDDDDSurface::CreateSurface(int32_t width, int32_t height, uint32_t colorKey,
                                 TDDDDSurfaceMemoryType where, const std::string& tPath,
                                 uint32_t texelScale) {
  using namespace plat::dd;
  FSurf = nullptr;
  FBMPName.clear();
  plat::DdSurfaceDesc desc;
  desc.flags = kSdCaps | kSdHeight | kSdWidth;
  const uint32_t m = std::max<uint32_t>(texelScale, 1);
  desc.width = (uint32_t(std::max(width, 0)) + m - 1) / m;
  desc.height = (uint32_t(std::max(height, 0)) + m - 1) / m;
  if (m > 1) {
    desc.flags |= kSdTexelScale;
    desc.texelScale = m;
  }
  const uint32_t sys = kCapsOffscreenPlain | kCapsSystemMemory;
  const uint32_t vid = kCapsOffscreenPlain | kCapsVideoMemory;
  switch (where) {
    case smtDefault: {
      const TDDDDGenSurface* bb = FOwner ? FOwner->BackBuffer() : nullptr;
      desc.caps = bb && (bb->LastDesc().caps & kCapsVideoMemory) ? vid : sys;
      break;
    }
    case smtCompatible: desc.caps = FOwner && FOwner->FullScreen() ? kCapsOffscreenPlain : sys; break;
    case smtSystemMemory: desc.caps = sys; break;
    case smtVideoMemory: desc.caps = vid; break;
    case smtNonLocalVideoMemory: desc.caps = vid | kCapsNonLocalVidMem; break;
  }
  if (!tPath.empty()) DDDD_Msg("[" + tPath + "]\x82\xF0\x83\x54\x81\x5B\x83\x74\x83\x46\x83\x43\x83\x58\x82\xC9\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x82\xDC\x82\xB7" /* ]をサーフェイスに読み込みます */);
  if ((desc.caps & kCapsVideoMemory) && (desc.caps & kCapsNonLocalVidMem)) {
    DDDD_Msg("\x83\x54\x81\x5B\x83\x74\x83\x46\x83\x58\x82\xF0\x83\x6D\x83\x93\x83\x8D\x81\x5B\x83\x4A\x83\x8B\x83\x72\x83\x66\x83\x49\x83\x81\x83\x82\x83\x8A\x82\xC9\x94\x7A\x92\x75\x82\xB5\x82\xDC\x82\xB7" /* サーフェスをノンローカルビデオメモリに配置します */);
  } else if (desc.caps & kCapsVideoMemory) {
    DDDD_Msg("\x83\x54\x81\x5B\x83\x74\x83\x46\x83\x58\x82\xF0\x83\x72\x83\x66\x83\x49\x83\x81\x83\x82\x83\x8A\x82\xC9\x94\x7A\x92\x75\x82\xB5\x82\xDC\x82\xB7" /* サーフェスをビデオメモリに配置します */);
  } else if (desc.caps & kCapsSystemMemory) {
    DDDD_Msg("\x83\x54\x81\x5B\x83\x74\x83\x46\x83\x58\x82\xF0\x83\x56\x83\x58\x83\x65\x83\x80\x83\x81\x83\x82\x83\x8A\x82\xC9\x94\x7A\x92\x75\x82\xB5\x82\xDC\x82\xB7" /* サーフェスをシステムメモリに配置します */);
  } else {
    DDDD_Msg("\x83\x54\x81\x5B\x83\x74\x83\x46\x83\x58\x82\xF0\x83\x68\x83\x89\x83\x43\x83\x6F\x82\xCC\x83\x66\x83\x74\x83\x48\x83\x8B\x83\x67\x82\xCC\x88\xCA\x92\x75(\x82\xA8\x82\xBB\x82\xE7\x82\xAD\x83\x72\x83\x66\x83\x49\x83\x81\x83\x82\x83\x8A)\x82\xC9\x94\x7A\x92\x75\x82\xB5\x82\xDC\x82\xB7" /* サーフェスをドライバのデフォルトの位置(おそらくビデオメモリ)に配置します */);
  }
  plat::SoftDraw* dd = FOwner ? FOwner->DDraw() : nullptr;
  int32_t r = dd ? dd->CreateSurface(desc, &FSurf) : kErrInvalidParams;
  if (r != 0) {
    desc.caps = sys;
    r = dd ? dd->CreateSurface(desc, &FSurf) : kErrInvalidParams;
    if (r != 0 && !tPath.empty()) ReportSurfaceFailure(tPath, width, height, m);
    TRYDD(r, "\x83\x54\x81\x5B\x83\x74\x83\x46\x83\x58\x82\xF0\x8D\xEC\x82\xEA\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82\xB5\x82\xBD" /* サーフェスを作れませんでした */);
  }
  if (FSurf) {
    FSurf->SetColorKey(kColorKeySrcBlt, colorKey, colorKey);
    getDesc();
  }
  FWidth = FbmpWidth = width;
  FHeight = FbmpHeight = height;
  FtxSize = std::max(width, height);
  FCk = colorKey;
  Clipping = false;
  ClipRect = {0, 0, width, height};
  if (FOwner) FOwner->KeepSurface(this);
  InitColorConverter(FDesc.pf, true);
}

void TDDDDSurface::LoadBMP(const std::string& fname) {
  FBMPName = fname;
  FSourceType = ddsBMP;
  TDDDDGenSurface::LoadBMP(fname);
}

void TDDDDSurface::LoadFromQDA(const std::string& FName, const std::string& ID) {
  FQDAName = FName;
  FQDAID = ID;
  FSourceType = ddsQDA;
  TDDDDGenSurface::LoadFromQDA(FName, ID);
}
