#include "graphics/QxDIB.h"

#include "graphics/QxDIBConvert.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/Files.h"

namespace {

constexpr uint32_t kRLE8 = 1, kRLE4 = 2, kBitFields = 3;
// Pixel memory above this is refused before it is taken.
constexpr int64_t kMaxBitsSize = int64_t(1) << 30;

uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
void Put16(std::vector<uint8_t>& o, uint32_t v) { o.push_back(uint8_t(v)), o.push_back(uint8_t(v >> 8)); }
void Put32(std::vector<uint8_t>& o, uint32_t v) { Put16(o, v), Put16(o, v >> 16); }

// The 36 bytes after the size field of a Windows info header.
void ParseW3Rest(const uint8_t* p, TQxBitmapInfoHeader& h) {
  h.biWidth = int32_t(U32(p));
  h.biHeight = int32_t(U32(p + 4));
  h.biPlanes = U16(p + 8);
  h.biBitCount = U16(p + 10);
  h.biCompression = U32(p + 12);
  h.biSizeImage = U32(p + 16);
  h.biXPelsPerMeter = int32_t(U32(p + 20));
  h.biYPelsPerMeter = int32_t(U32(p + 24));
  h.biClrUsed = U32(p + 28);
  h.biClrImportant = U32(p + 32);
}

void WriteW3(std::vector<uint8_t>& o, const TQxBitmapInfoHeader& h) {
  Put32(o, 40);
  Put32(o, uint32_t(h.biWidth));
  Put32(o, uint32_t(h.biHeight));
  Put16(o, h.biPlanes);
  Put16(o, h.biBitCount);
  Put32(o, h.biCompression);
  Put32(o, h.biSizeImage);
  Put32(o, uint32_t(h.biXPelsPerMeter));
  Put32(o, uint32_t(h.biYPelsPerMeter));
  Put32(o, h.biClrUsed);
  Put32(o, h.biClrImportant);
}

void WriteColours(std::vector<uint8_t>& o, const TQxDIBInfos& d) {
  uint32_t n = std::min<uint32_t>(d.W3Head.biClrUsed, 256);
  for (uint32_t i = 0; i < n; ++i) {
    const TQxRGBQuad& q = d.Colors[i];
    o.insert(o.end(), {q.rgbBlue, q.rgbGreen, q.rgbRed, q.rgbReserved});
  }
}

// Bytes of the colour-table area (masks and colours) into Colors.
void SetColourArea(TQxDIBInfos& d, const uint8_t* p, size_t n) {
  n = std::min<size_t>(n, sizeof d.Colors);
  for (size_t i = 0; i < n; ++i) {
    TQxRGBQuad& q = d.Colors[i / 4];
    uint8_t* f[4] = {&q.rgbBlue, &q.rgbGreen, &q.rgbRed, &q.rgbReserved};
    *f[i % 4] = p[i];
  }
}

uint32_t Mask(const TQxDIBInfos& d, int i) {
  const TQxRGBQuad& q = d.Colors[i];
  return uint32_t(q.rgbBlue) | uint32_t(q.rgbGreen) << 8 | uint32_t(q.rgbRed) << 16 |
         uint32_t(q.rgbReserved) << 24;
}

bool IsTableDepth(int bits) { return bits == 1 || bits == 4 || bits == 8 || bits == 24; }

void FixPelsPerMeter(TQxBitmapInfoHeader& h) {
  if (h.biXPelsPerMeter == 0) h.biXPelsPerMeter = QxDefaultPelsPerMeter;
  if (h.biYPelsPerMeter == 0) h.biYPelsPerMeter = QxDefaultPelsPerMeter;
}

void CheckSize(const TQxBitmapInfoHeader& h) {
  if (h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN)
    throw EQxDIBInvalidDIB("TQxInternalDIB.LoadFromStream: Invalid Width or Height");
}

// rowBytes x rows, or -1 when that exceeds what a picture may take (the
// product of two header values can overflow 64 bits).
int64_t PixelBytes(int64_t rowBytes, int64_t rows) {
  if (rowBytes < 0 || rows < 0) return -1;
  if (rows != 0 && rowBytes > kMaxBitsSize / rows) return -1;
  return rowBytes * rows;
}

int64_t AbsHeight(const TQxBitmapInfoHeader& h) { return h.biHeight < 0 ? -int64_t(h.biHeight) : h.biHeight; }

// 16- and 32-bit pixels become 24-bit ones, channel by channel scaled so that
// each mask's largest value gives 255. Source rows come from the reader.
void ConvertTo24(TQxDIBInfos& d, QxByteReader& src, bool useFMO, bool clipboard) {
  TQxBitmapInfoHeader& h = d.W3Head;
  uint32_t masks[3];
  if (h.biCompression == 0) {
    if (h.biBitCount == 16) masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    else masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
  } else {
    for (int i = 0; i < 3; ++i) masks[i] = Mask(d, i);
  }
  for (uint32_t m : masks)
    if (m == 0) throw EQxDIBInvalidDIB("TQxInternalDIB.LoadFromStream: Invalid Masks");
  const QxMaskChannel ch[3] = {QxMaskChannel(masks[0]), QxMaskChannel(masks[1]),
                               QxMaskChannel(masks[2])};
  const int64_t w = h.biWidth, rows = AbsHeight(h);
  const int bytesPer = h.biBitCount == 16 ? 2 : 4;
  const int64_t srcRow = (w * bytesPer + 3) / 4 * 4;
  const int64_t dstRow = (w * 3 + 3) / 4 * 4;
  if (PixelBytes(dstRow, rows) < 0 || PixelBytes(srcRow, rows) < 0)
    throw EQxDIBInvalidDIB("TQxInternalDIB.LoadFromStream: Invalid Width or Height");
  if (uint64_t(srcRow * rows) > src.Remaining()) {
    if (clipboard) throw EQxDIBInvalidDIB("TQxDIB.LoadFromClipboardFormat: Invalid Clipboard Data");
    throw plat::EReadError();
  }
  d.BitsSize = int32_t(dstRow * rows);
  d.Bits = GetMemory(d.BitsSize, useFMO);
  std::vector<uint8_t> scratch(static_cast<size_t>(srcRow));
  for (int64_t y = 0; y < rows; ++y) {
    src.ReadBuffer(scratch.data(), scratch.size());
    uint8_t* out = d.Bits.data() + dstRow * y;
    std::memset(out + dstRow - 4, 0, 4);
    for (int64_t x = 0; x < w; ++x) {
      const uint8_t* s = scratch.data() + x * bytesPer;
      uint32_t v = bytesPer == 2 ? U16(s) : U32(s);
      auto* t = reinterpret_cast<TQxTriple*>(out + x * 3);
      t->B = ch[2].Of(v), t->G = ch[1].Of(v), t->R = ch[0].Of(v);
    }
  }
  if (h.biCompression == kBitFields) std::memmove(d.Colors, d.Colors + 3, 256 * sizeof(TQxRGBQuad));
  h.biCompression = 0;
  h.biBitCount = 24;
  h.biSizeImage = 0;
}

// The pixel data of a 1-, 4-, 8- or 24-bit picture, as stored. bitsSize is
// what the header says the data take; uncompressed data always take at least
// their rows, so every later reader finds them.
void ReadStoredBits(TQxDIBInfos& d, QxByteReader& src, int64_t bitsSize, bool useFMO, bool clipboard) {
  const TQxBitmapInfoHeader& h = d.W3Head;
  const bool rle = (h.biCompression == kRLE8 && h.biBitCount == 8) ||
                   (h.biCompression == kRLE4 && h.biBitCount == 4);
  const int64_t rows = PixelBytes(DIBRowBytes(h.biWidth, h.biBitCount), AbsHeight(h));
  if (rows < 0)
    throw EQxDIBInvalidDIB("TQxInternalDIB.LoadFromStream: Invalid Width or Height");
  if (rle) {
    if (bitsSize <= 0) bitsSize = h.biSizeImage;
    if (bitsSize <= 0 || bitsSize > kMaxBitsSize)
      throw EQxDIBInvalidDIBFile("TQxInternalDIB.LoadFromFile: Invalid Bitmap Data Size");
  } else if (clipboard && bitsSize < rows) {
    throw EQxDIBInvalidDIB("TQxDIB.LoadFromClipboardFormat: Invalid Clipboard Data");
  } else {
    bitsSize = std::max(bitsSize, rows);
  }
  if (uint64_t(bitsSize) > src.Remaining()) throw plat::EReadError();
  d.BitsSize = int32_t(bitsSize);
  d.Bits = GetMemory(bitsSize, useFMO);
  src.ReadBuffer(d.Bits.data(), d.Bits.size());
}

}  // namespace

// ------------------------------------------------------------------ helpers

std::vector<uint8_t> GetMemory(int64_t Size, bool UseFMO) {
  if (Size < 0 || Size > kMaxBitsSize) {
    if (UseFMO) throw plat::EOutOfResources("GetMemory: Cannot Make File Mapping Object");
    throw plat::EOutOfMemory("GetMemory: Out Of Memory");
  }
  return std::vector<uint8_t>(size_t(Size), 0);
}

void ReleaseMemory(std::vector<uint8_t>& Bits) { std::vector<uint8_t>().swap(Bits); }

int GetNumColors(int BitCount) {
  switch (BitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
  }
}

int GetMaskShift(uint32_t Mask) {
  if (Mask == 0) throw plat::EAssertionFailed("GetMaskShift: Mask Must not be 0");
  int r = 0;
  while (Mask >= 256) Mask >>= 1, ++r;
  while (Mask < 128) Mask <<= 1, --r;
  return r;
}

QxMaskChannel::QxMaskChannel(uint32_t mask) : Mask(mask) {
  if (mask == 0) return;
  Shift = GetMaskShift(mask);
  Max = Shift >= 0 ? mask >> Shift : mask << -Shift;
}

uint8_t QxMaskChannel::Of(uint32_t pixel) const {
  if (Max == 0) return 0;
  const uint32_t part = pixel & Mask;
  return uint8_t((Shift >= 0 ? part >> Shift : part << -Shift) * 255 / Max);
}

int64_t DIBRowBytes(int64_t width, int bitCount) { return (width * bitCount + 31) / 32 * 4; }

plat::HPalette GetPaletteFromDIBInfos(const TQxDIBInfos& DIBInfos) {
  uint32_t n = DIBInfos.W3Head.biClrUsed;
  if (n == 0) return nullptr;
  std::vector<plat::PaletteEntry> e;
  for (uint32_t i = 0; i < std::min<uint32_t>(n, 256); ++i) {
    const TQxRGBQuad& q = DIBInfos.Colors[i];
    e.push_back({q.rgbRed, q.rgbGreen, q.rgbBlue, 0});
  }
  plat::HPalette p = plat::CreatePalette(e);
  if (!p) throw plat::EOutOfResources("GetPaletteFromDIBInfos: Cannot Make Palette");
  return p;
}

void ConvertBitmapHeaderPMToW3(TQxDIBInfos& Infos, std::span<const uint8_t> pm) {
  TQxBitmapInfoHeader& h = Infos.W3Head;
  h = TQxBitmapInfoHeader();
  h.biWidth = U16(pm.data() + 4);
  h.biHeight = U16(pm.data() + 6);
  h.biPlanes = U16(pm.data() + 8);
  h.biBitCount = U16(pm.data() + 10);
  h.biClrUsed = uint32_t(GetNumColors(h.biBitCount));
  for (auto& q : Infos.Colors) q = {};
  for (uint32_t i = 0; i < h.biClrUsed && 12 + 3 * i + 2 < pm.size(); ++i) {
    const uint8_t* c = pm.data() + 12 + 3 * i;
    Infos.Colors[i] = {c[0], c[1], c[2], 0};
  }
}

// ------------------------------------------------------------------ store

TQxInternalDIB::TQxInternalDIB(bool AnUseFMO) : UseFMO(AnUseFMO) { CreateDIB(1, 1, 8, 256); }

TQxInternalDIB::~TQxInternalDIB() { FreeDIB(); }

void TQxInternalDIB::CreateDIB(int32_t AWidth, int32_t AHeight, int BitCount, int NumColors) {
  if (AWidth <= 0 || AHeight == 0 || AHeight == INT32_MIN || NumColors < 0 || NumColors > 256 ||
      !IsTableDepth(BitCount))
    throw EQxDIBInvalidDIBPara("TQxInternalDIB.CreateDIB: Invalid Parameters");
  int64_t absH = AHeight < 0 ? -int64_t(AHeight) : AHeight;
  int64_t size = PixelBytes(DIBRowBytes(AWidth, BitCount), absH);
  TQxDIBInfos d;
  d.Bits = GetMemory(size, UseFMO);
  d.BitsSize = int32_t(size);
  TQxBitmapInfoHeader& h = d.W3Head;
  h.biWidth = AWidth;
  h.biHeight = AHeight;
  h.biBitCount = uint16_t(BitCount);
  h.biClrUsed = uint32_t(NumColors);
  DIBInfos = std::move(d);
  Palette.reset();
  Width = AWidth;
  Height = int32_t(absH);
  PaletteModified = true;
}

void TQxInternalDIB::FreeDIB() {
  ReleaseMemory(DIBInfos.Bits);
  DIBInfos.BitsSize = 0;
  Palette.reset();
}

void TQxInternalDIB::UpdatePalette() {
  if (RefCount != 1) throw plat::EAssertionFailed("TQxInternalDIB.UpdatePalette: RefCount Must be 1");
  Palette.reset();
  PaletteModified = true;
}

void TQxInternalDIB::Commit(TQxDIBInfos&& infos) {
  FreeDIB();
  DIBInfos = std::move(infos);
  Width = DIBInfos.W3Head.biWidth;
  Height = int32_t(AbsHeight(DIBInfos.W3Head));
  UpdatePalette();
}

void TQxInternalDIB::LoadFromStream(QxByteReader& s) {
  TQxDIBInfos d;
  const uint64_t start = s.Position();
  uint8_t fh[14];
  s.ReadBuffer(fh, sizeof fh);
  if (U16(fh) != 0x4D42) throw EQxDIBInvalidDIBFile("TQxInternalDIB.LoadFromFile: File type is invalid");
  const uint32_t bfSize = U32(fh + 2), bfOffBits = U32(fh + 10);
  const int64_t bitsSize = int64_t(bfSize) - int64_t(bfOffBits);
  uint8_t hs[4];
  s.ReadBuffer(hs, 4);
  const uint32_t headSize = U32(hs);
  TQxBitmapInfoHeader& h = d.W3Head;
  if (headSize == 40) {
    uint8_t rest[36];
    s.ReadBuffer(rest, sizeof rest);
    ParseW3Rest(rest, h);
    FixPelsPerMeter(h);
    switch (h.biBitCount) {
      case 1: case 4: case 8: case 16: case 24: case 32: break;
      default: throw EQxDIBInvalidDIB("TQxInternalDIB.LoadFromStream: Invalid BitCout");
    }
    if (h.biClrUsed == 0) h.biClrUsed = uint32_t(GetNumColors(h.biBitCount));
    const uint64_t n = h.biClrUsed;
    const uint64_t masks = h.biCompression == kBitFields ? 3 : 0;
    uint8_t area[QxBitmapInfoSize - 40];
    const uint64_t take = (std::min<uint64_t>(n, 256) + masks) * 4;
    s.ReadBuffer(area, size_t(take));
    SetColourArea(d, area, size_t(take));
    if (n > 256) s.Seek(s.Position() + (n - 256) * 4);
    if (uint64_t(bfOffBits) < 14 + 40 + 4 * n + 4 * masks)
      throw EQxDIBInvalidDIB("TQxInternalDIB.LoadFromFile: bfOffBits is too small");
    s.Seek(start + bfOffBits);
    if (n > 256) h.biClrUsed = 256;
  } else if (headSize == 12) {
    uint8_t pm[12 + 3 * 256];
    std::memcpy(pm, hs, 4);
    s.ReadBuffer(pm + 4, 8);
    const int bits = U16(pm + 10);
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24)
      throw EQxDIBInvalidDIB("TQxInternalDIB.LoadFromStream: Invalid BitCount");
    const int n = GetNumColors(bits);
    s.ReadBuffer(pm + 12, size_t(3 * n));
    if (uint64_t(bfOffBits) < uint64_t(14 + 12 + 3 * n))
      throw EQxDIBInvalidDIB("TQxInternalDIB.LoadFromFile: bfOffBits is too small");
    s.Seek(start + bfOffBits);
    ConvertBitmapHeaderPMToW3(d, std::span<const uint8_t>(pm, size_t(12 + 3 * n)));
  } else {
    throw EQxDIBInvalidDIB("TQxInternalDIB.LoadFromStream: Invalid Bitmap Header Size");
  }
  CheckSize(h);
  if (IsTableDepth(h.biBitCount)) ReadStoredBits(d, s, bitsSize, UseFMO, false);
  else ConvertTo24(d, s, UseFMO, false);
  Commit(std::move(d));
}

void TQxInternalDIB::SaveToStream(std::vector<uint8_t>& o) const {
  const TQxBitmapInfoHeader& h = DIBInfos.W3Head;
  const uint32_t off = 54 + 4 * std::min<uint32_t>(h.biClrUsed, 256);
  o.push_back('B'), o.push_back('M');
  Put32(o, off + uint32_t(DIBInfos.BitsSize));
  Put32(o, 0);
  Put32(o, off);
  WriteW3(o, h);
  WriteColours(o, DIBInfos);
  o.insert(o.end(), DIBInfos.Bits.begin(), DIBInfos.Bits.end());
}

void TQxInternalDIB::LoadFromClipboardFormat(const plat::GlobalBlock& AData) {
  static const char* kBad = "TQxDIB.LoadFromClipboardFormat: Invalid Clipboard Data";
  if (!AData || AData->size() < 4) throw EQxDIBInvalidDIB(kBad);
  const std::vector<uint8_t>& b = *AData;
  TQxDIBInfos d;
  TQxBitmapInfoHeader& h = d.W3Head;
  uint64_t headSize;
  const uint32_t first = U32(b.data());
  if (first == 40) {
    if (b.size() < 40) throw EQxDIBInvalidDIB(kBad);
    ParseW3Rest(b.data() + 4, h);
    uint64_t n = h.biClrUsed ? h.biClrUsed : uint64_t(GetNumColors(h.biBitCount));
    headSize = 40 + 4 * n + (h.biCompression == kBitFields ? 12 : 0);
    if (headSize > b.size()) throw EQxDIBInvalidDIB(kBad);
    SetColourArea(d, b.data() + 40, size_t(std::min<uint64_t>(headSize, QxBitmapInfoSize) - 40));
    FixPelsPerMeter(h);
    h.biClrUsed = uint32_t(std::min<uint64_t>(n, 256));
  } else if (first == 12) {
    if (b.size() < 12) throw EQxDIBInvalidDIB(kBad);
    headSize = 12 + 3 * uint64_t(GetNumColors(U16(b.data() + 10)));
    if (headSize > b.size()) throw EQxDIBInvalidDIB(kBad);
    ConvertBitmapHeaderPMToW3(d, std::span<const uint8_t>(b.data(), size_t(headSize)));
  } else {
    throw EQxDIBInvalidDIB(kBad);
  }
  CheckSize(h);
  QxByteReader rows(std::span<const uint8_t>(b).subspan(size_t(headSize)));
  const int64_t bitsSize = int64_t(b.size() - headSize);
  switch (h.biBitCount) {
    case 1: case 4: case 8: case 24: ReadStoredBits(d, rows, bitsSize, UseFMO, true); break;
    case 16: case 32: ConvertTo24(d, rows, UseFMO, true); break;
    default: throw EQxDIBInvalidDIB("TQxInternalDIB.LoadFromClipboardFormat: Invalid biBitCount");
  }
  Commit(std::move(d));
}

plat::GlobalBlock TQxInternalDIB::SaveToClipboardFormat() const {
  auto block = std::make_shared<std::vector<uint8_t>>();
  block->reserve(40 + 1024 + DIBInfos.Bits.size());
  WriteW3(*block, DIBInfos.W3Head);
  WriteColours(*block, DIBInfos);
  block->insert(block->end(), DIBInfos.Bits.begin(), DIBInfos.Bits.end());
  return block;
}

TQxPixelFormat TQxInternalDIB::GetPixelFormat() const {
  const TQxBitmapInfoHeader& h = DIBInfos.W3Head;
  switch (h.biBitCount) {
    case 1:
      if (h.biCompression == 0) return qxPf1Bit;
      throw EQxDIBInvalidDIB("TQxInternalDIB.GetPixelFormat: Invalid DIB(1Bit)");
    case 4:
      if (h.biCompression == 0) return qxPf4Bit;
      if (h.biCompression == kRLE4) return qxPf4BitRLE;
      throw EQxDIBInvalidDIB("TQxInternalDIB.GetPixelFormat: Invalid DIB(4Bit)");
    case 8:
      if (h.biCompression == 0) return qxPf8Bit;
      if (h.biCompression == kRLE8) return qxPf8BitRLE;
      throw EQxDIBInvalidDIB("TQxInternalDIB.GetPixelFormat: Invalid DIB(8Bit)");
    case 24:
      if (h.biCompression == 0) return qxPf24Bit;
      throw EQxDIBInvalidDIB("TQxInternalDIB.GetPixelFormat: Invalid DIB(24Bit)");
    default:
      throw EQxDIBInvalidDIB("TQxInternalDIB.GetPixelFormat: Invalid DIB(Illegal BitCount)");
  }
}

// ------------------------------------------------------------------ shared palettes

namespace {

plat::PixelFormat BitmapFormat(TQxPixelFormat pf) {
  switch (pf) {
    case qxPf1Bit: return plat::PixelFormat::pf1bit;
    case qxPf4Bit: case qxPf4BitRLE: return plat::PixelFormat::pf4bit;
    case qxPf8Bit: case qxPf8BitRLE: return plat::PixelFormat::pf8bit;
    default: return plat::PixelFormat::pf24bit;
  }
}

// Writes the bitmap's pixels into the store's rows (same size and depth),
// honouring the row order the header gives.
void PackBitmapRows(const plat::Bitmap& b, TQxDIBInfos& d) {
  const TQxBitmapInfoHeader& h = d.W3Head;
  const int w = h.biWidth, rows = int(AbsHeight(h)), bits = h.biBitCount;
  const int64_t rowBytes = DIBRowBytes(w, bits);
  if (b.GetWidth() != w || b.GetHeight() != rows || int64_t(d.Bits.size()) < rowBytes * rows) return;
  const bool indexed = plat::IsIndexed(b.GetPixelFormat());
  const uint8_t top = uint8_t((1u << std::min(bits, 8)) - 1);
  for (int r = 0; r < rows; ++r) {
    const int y = h.biHeight > 0 ? rows - 1 - r : r;
    uint8_t* out = d.Bits.data() + rowBytes * r;
    std::memset(out, 0, size_t(rowBytes));
    for (int x = 0; x < w; ++x) {
      if (bits == 24) {
        uint32_t c = b.ColourAt(x, y);
        auto* t = reinterpret_cast<TQxTriple*>(out + 3 * x);
        t->B = uint8_t(c), t->G = uint8_t(c >> 8), t->R = uint8_t(c >> 16);
        continue;
      }
      uint8_t v = indexed ? uint8_t(b.Index(x, y) & top) : 0;
      if (bits == 8) out[x] = v;
      else if (bits == 4) out[x >> 1] |= (x & 1) ? v : uint8_t(v << 4);
      else out[x >> 3] |= uint8_t(v << (7 - (x & 7)));
    }
  }
}

}  // namespace

plat::HPalette QxHalftonePalette() {
  static const plat::HPalette p = [] {
    std::vector<plat::PaletteEntry> e;
    for (uint8_t r : QxRedColors)
      for (uint8_t g : QxGreenColors)
        for (uint8_t b : QxBlueColors) e.push_back({r, g, b, 0});
    for (const auto& c : QxReservedColors) e.push_back({c[0], c[1], c[2], 0});
    return plat::CreatePalette(e);
  }();
  return p;
}

plat::HPalette QxBlackWhitePalette() {
  static const plat::HPalette p = [] {
    plat::PaletteEntry e[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    return plat::CreatePalette(e);
  }();
  return p;
}

uint32_t QxColorToRGB(int32_t c) {
  if (c >= 0) return uint32_t(c);
  // The classic scheme's system colours, by index, as 0x00BBGGRR.
  static const uint32_t kSystem[] = {
      0xC8D0D4, 0xA56E3A, 0x6A240A, 0x808080, 0xC8D0D4, 0xFFFFFF, 0x000000, 0x000000,
      0x000000, 0xFFFFFF, 0xC8D0D4, 0xC8D0D4, 0x808080, 0x6A240A, 0xFFFFFF, 0xC8D0D4,
      0x808080, 0x808080, 0x000000, 0xC8D0D4, 0xFFFFFF};
  uint32_t i = uint32_t(c) & 0xFF;
  return i < std::size(kSystem) ? kSystem[i] : 0;
}

// ------------------------------------------------------------------ TQxDIB

TQxDIB::TQxDIB() {
  InternalDIB = new TQxInternalDIB(DefaultUseFMO);
  UpdatePaletteModified();
}

TQxDIB::~TQxDIB() { ReleaseInternalDIB(); }

void TQxDIB::ReleaseInternalDIB() {
  if (!InternalDIB) return;
  if (--InternalDIB->RefCount == 0) delete InternalDIB;
  InternalDIB = nullptr;
}

void TQxDIB::TakeStore(TQxInternalDIB* store) {
  ReleaseInternalDIB();
  InternalDIB = store;
}

void TQxDIB::UniqueDIB() {
  if (InternalDIB->RefCount == 1) return;
  auto* copy = new TQxInternalDIB(InternalDIB->UseFMO);
  copy->FreeDIB();
  copy->Width = InternalDIB->Width;
  copy->Height = InternalDIB->Height;
  copy->DIBInfos = InternalDIB->DIBInfos;  // the pixel bytes are copied with it
  TakeStore(copy);
  UpdatePaletteModified();
}

void TQxDIB::UpdatePaletteModified() {
  if (InternalDIB->RefCount != 1)
    throw plat::EAssertionFailed("TQxDIB.UpdatePaletteModified RefCount Must be 1");
  if (InternalDIB->PaletteModified) {
    InternalDIB->PaletteModified = false;
    PaletteModified = true;
  }
}

// Reads into a fresh store and takes it only when the read succeeded, so a
// failed load leaves the picture as it was.
void TQxDIB::LoadNewStore(const std::function<void(TQxInternalDIB&)>& read) {
  auto store = std::make_unique<TQxInternalDIB>(InternalDIB->UseFMO);
  read(*store);
  TakeStore(store.release());
  UpdatePaletteModified();
  Changed();
}

void TQxDIB::LoadFromStream(QxByteReader& Stream) {
  LoadNewStore([&](TQxInternalDIB& store) { store.LoadFromStream(Stream); });
}

void TQxDIB::SaveToStream(std::vector<uint8_t>& out) const { InternalDIB->SaveToStream(out); }

void TQxDIB::LoadFromBytes(std::span<const uint8_t> data) {
  QxByteReader r(data);
  LoadFromStream(r);
}

bool TQxDIB::SaveToFile(std::string_view gamePath) const {
  std::vector<uint8_t> out;
  SaveToStream(out);
  return plat::WriteFile(gamePath, out.data(), out.size());
}

void TQxDIB::LoadFromClipboardFormat(unsigned AFormat, const plat::GlobalBlock& AData,
                                     const plat::HPalette&) {
  if (AFormat != plat::Clipboard::CF_DIB || !AData)
    throw plat::EInvalidGraphic("TQxDIB.LoadFromClipboardFormat: Invalid Clipboard Format or No Data");
  LoadNewStore([&](TQxInternalDIB& store) { store.LoadFromClipboardFormat(AData); });
}

void TQxDIB::SaveToClipboardFormat(unsigned& Format, plat::GlobalBlock& Data,
                                   plat::HPalette& APalette) const {
  Format = plat::Clipboard::CF_DIB;
  APalette.reset();
  Data = InternalDIB->SaveToClipboardFormat();
}

// A new blank store of the given shape replaces the current one.
static void ReplaceWithBlank(TQxDIB& dib, int32_t w, int32_t h, int bits, int colours,
                             void (*take)(TQxDIB&, TQxInternalDIB*)) {
  auto* store = new TQxInternalDIB(dib.InternalDIB->UseFMO);
  try {
    store->FreeDIB();
    store->CreateDIB(w, h, bits, colours);
  } catch (...) {
    delete store;
    throw;
  }
  take(dib, store);
}

void TQxDIB::SetWidth(int32_t Value) {
  if (Value <= 0) throw EQxDIBInvalidDIBPara("TQxDIB.SetWidth: Invalid Width");
  if (Value == InternalDIB->Width) return;
  const auto& h = InternalDIB->DIBInfos.W3Head;
  ReplaceWithBlank(*this, Value, InternalDIB->Height, h.biBitCount,
                   int(std::min<uint32_t>(h.biClrUsed, 256)),
                   [](TQxDIB& d, TQxInternalDIB* s) { d.TakeStore(s); });
  UpdatePaletteModified();
  Changed();
}

void TQxDIB::SetHeight(int32_t Value) {
  if (Value == 0) throw EQxDIBInvalidDIBPara("TQxDIB.SetWidth: Invalid Height");
  if (Value == InternalDIB->Height) return;
  const auto& h = InternalDIB->DIBInfos.W3Head;
  ReplaceWithBlank(*this, InternalDIB->Width, Value, h.biBitCount,
                   int(std::min<uint32_t>(h.biClrUsed, 256)),
                   [](TQxDIB& d, TQxInternalDIB* s) { d.TakeStore(s); });
  UpdatePaletteModified();
  Changed();
}

void TQxDIB::SetBitCount(int Value) {
  if (!IsTableDepth(Value)) throw EQxDIBInvalidDIBPara("TQxDIB.SetBitCount: Invalid BitCount");
  if (Value == GetBitCount()) return;
  ReplaceWithBlank(*this, InternalDIB->Width, InternalDIB->Height, Value, GetNumColors(Value),
                   [](TQxDIB& d, TQxInternalDIB* s) { d.TakeStore(s); });
  UpdatePaletteModified();
  Changed();
}

plat::HPalette TQxDIB::GetPalette() const {
  switch (FHalftoneMode) {
    case qxHtHalftone:
      if (auto p = QxHalftonePalette()) return p;
      throw plat::EOutOfResources("TQxDIB.GetPalette: Cannot Make Palette(1)");
    case qxHtHalftoneBW:
      if (auto p = QxBlackWhitePalette()) return p;
      throw plat::EOutOfResources("TQxDIB.GetPalette: Cannot Make Palette(1)");
    default:
      if (!InternalDIB->Palette && InternalDIB->DIBInfos.W3Head.biClrUsed != 0)
        InternalDIB->Palette = InternalDIB->MakePalette();
      return InternalDIB->Palette;
  }
}

plat::HPalette TQxDIB::OwnPaletteCopy() const {
  TQxHalftoneMode saved = FHalftoneMode;
  const_cast<TQxDIB*>(this)->FHalftoneMode = qxHtNoHalftone;
  plat::HPalette p;
  try {
    p = GetPalette();
  } catch (...) {
    const_cast<TQxDIB*>(this)->FHalftoneMode = saved;
    throw;
  }
  const_cast<TQxDIB*>(this)->FHalftoneMode = saved;
  return p ? plat::CreatePalette(p->entries) : nullptr;
}

void TQxDIB::SetPalette(plat::HPalette Value) {
  UniqueDIB();
  TQxInternalDIB& s = *InternalDIB;
  if (Value) {
    plat::PaletteEntry e[256];
    int n = plat::GetPaletteEntries(Value, 0, 256, e);
    if (n == 0) throw EQxDIBInvalidPalette("TQxDIB.SetPalette: Invalid Palette");
    s.DIBInfos.W3Head.biClrUsed = uint32_t(n);
    for (int i = 0; i < n; ++i) s.DIBInfos.Colors[i] = {e[i].blue, e[i].green, e[i].red, 0};
    s.Palette = std::move(Value);
  } else {
    s.DIBInfos.W3Head.biClrUsed = 0;
    s.Palette.reset();
  }
  s.PaletteModified = true;
  UpdatePaletteModified();
  Changed();
}

void TQxDIB::SetPixelFormat(TQxPixelFormat Value) {
  const TQxPixelFormat from = GetPixelFormat();
  if (Value == from) return;
  UniqueDIB();
  struct Run {
    TQxPixelFormat from, to;
    int max;
    const char* text;
  };
  static const Run kRuns[] = {
      {qxPf24Bit, qxPf4Bit, 16, "PixelFormat 24Bit -> 4Bit"},
      {qxPf24Bit, qxPf4BitRLE, 16, "PixelFormat 24Bit -> 4BitRLE"},
      {qxPf24Bit, qxPf8Bit, 256, "PixelFormat 24Bit -> 8Bit"},
      {qxPf24Bit, qxPf8BitRLE, 256, "PixelFormat 24Bit -> 8BitRLE"},
      {qxPf8Bit, qxPf4Bit, 16, "PixelFormat 8Bit -> 4Bit"},
      {qxPf8Bit, qxPf4BitRLE, 16, "PixelFormat 8Bit -> 4BitRLE"},
      {qxPf8BitRLE, qxPf4Bit, 16, "PixelFormat 8BitRLE -> 4Bit"},
      {qxPf8BitRLE, qxPf4BitRLE, 16, "PixelFormat 8BitRLE -> 4BitRLE"},
  };
  bool opened = false;
  for (const Run& r : kRuns)
    if (r.from == from && r.to == Value) {
      InitializeProgressHandler(r.max, r.text);
      StartProgress();
      opened = true;
    }
  try {
    InternalDIB->SetPixelFormat(Value, ConvertMode, QxColorToRGB(BGColor),
                                [this] { ProgressHandler(); });
  } catch (...) {
    UpdatePaletteModified();
    if (opened) EndProgress();
    throw;
  }
  UpdatePaletteModified();
  if (opened) EndProgress();
  UpdatePaletteModified();
  Changed();
}

void TQxDIB::InitializeProgressHandler(int32_t AMax, const std::string& AText) {
  ProgressString = AText;
  MaxNumberOfProgresses = AMax;
  NumberOfProgresses = 0;
}

void TQxDIB::StartProgress() {
  Progress(plat::ProgressStage::Starting, 0, false, {0, 0, GetWidth(), GetHeight()}, ProgressString);
}

void TQxDIB::ProgressHandler() {
  ++NumberOfProgresses;
  if (NumberOfProgresses >= MaxNumberOfProgresses) return;
  Progress(plat::ProgressStage::Running, NumberOfProgresses * 100 / MaxNumberOfProgresses, false,
           {0, 0, GetWidth(), GetHeight()}, ProgressString);
}

void TQxDIB::EndProgress() {
  Progress(plat::ProgressStage::Ending, 100, true, {0, 0, GetWidth(), GetHeight()}, ProgressString);
}

void TQxDIB::Draw(plat::Canvas& ACanvas, const plat::Rect& r) {
  if (FHalftoneMode == qxHtNoHalftone) {
    plat::Bitmap picture;
    AssignTo(picture);
    ACanvas.StretchDraw(r, picture);
    return;
  }
  const int w = std::abs(r.Width()), h = std::abs(r.Height());
  if (w == 0 || h == 0) return;
  const TQxHalftoneMode saved = FHalftoneMode;
  FHalftoneMode = qxHtNoHalftone;
  try {
    TQxDIB temp;
    temp.SetBitCount(GetBitCount());
    temp.SetWidth(w);
    temp.SetHeight(h);
    if (auto own = OwnPaletteCopy()) temp.SetPalette(own);
    {
      TQxDIBCanvas canvas(&temp);
      Draw(canvas, {0, 0, w, h});
    }
    temp.SetPixelFormat(saved == qxHtHalftone ? qxPfHalftone : qxPfHalftoneBW);
    temp.Draw(ACanvas, r);
  } catch (...) {
    FHalftoneMode = saved;
    throw;
  }
  FHalftoneMode = saved;
}

void TQxDIB::Assign(const plat::Persistent* Source) {
  if (!Source) {
    TakeStore(new TQxInternalDIB(DefaultUseFMO));
    UpdatePaletteModified();
    Changed();
    return;
  }
  if (auto* other = dynamic_cast<const TQxDIB*>(Source)) {
    if (other == this) return;
    ++other->InternalDIB->RefCount;
    TakeStore(other->InternalDIB);
    BGColor = other->BGColor;
    ConvertMode = other->ConvertMode;
    FHalftoneMode = other->FHalftoneMode;
    PaletteModified = true;
    Changed();
    return;
  }
  if (auto* bmp = dynamic_cast<const plat::Bitmap*>(Source)) {
    int bits = plat::BitsOf(bmp->GetPixelFormat());
    if (bits == 32) bits = 24;
    auto* store = new TQxInternalDIB(InternalDIB->UseFMO);
    try {
      store->FreeDIB();
      store->CreateDIB(bmp->GetWidth(), bmp->GetHeight(), bits, 0);
      TQxDIBInfos& d = store->DIBInfos;
      if (plat::HPalette p = bmp->GetPalette(); p && bits <= 8) {
        const size_t n = std::min<size_t>(p->entries.size(), size_t(GetNumColors(bits)));
        for (size_t i = 0; i < n; ++i)
          d.Colors[i] = {p->entries[i].blue, p->entries[i].green, p->entries[i].red, 0};
      }
      PackBitmapRows(*bmp, d);
      if (d.W3Head.biClrUsed == 0) d.W3Head.biClrUsed = uint32_t(GetNumColors(bits));
      FixPelsPerMeter(d.W3Head);
    } catch (...) {
      delete store;
      throw;
    }
    TakeStore(store);
    InternalDIB->UpdatePalette();
    UpdatePaletteModified();
    Changed();
    return;
  }
  TQxGraphic::Assign(Source);
  Changed();
}

void TQxDIB::AssignTo(plat::Persistent& Dest) const {
  if (auto* dib = dynamic_cast<TQxDIB*>(&Dest)) {
    dib->Assign(this);
    return;
  }
  auto* bmp = dynamic_cast<plat::Bitmap*>(&Dest);
  if (!bmp) {
    TQxGraphic::AssignTo(Dest);
    return;
  }
  const TQxPixelFormat pf = GetPixelFormat();
  plat::DecodedPicture pic = plat::DecodePackedDib(*InternalDIB->SaveToClipboardFormat());
  if (!pic) throw EQxDIBInvalidDIB("TQxDIB.AssignTo: " + pic.error);
  const plat::Bitmap& src = *pic.bitmap;
  bmp->SetPixelFormat(BitmapFormat(pf));
  bmp->SetSize(GetWidth(), GetHeight());
  bmp->SetPalette(OwnPaletteCopy());
  for (int y = 0; y < GetHeight(); ++y)
    for (int x = 0; x < GetWidth(); ++x) {
      if (plat::IsIndexed(bmp->GetPixelFormat())) bmp->Index(x, y) = src.Index(x, y);
      else bmp->Pixel(x, y) = src.ColourAt(x, y) & 0xFFFFFF;
    }
}

// ------------------------------------------------------------------ canvas

TQxDIBCanvas::TQxDIBCanvas(TQxDIB* ADIB) : DIB(ADIB) {
  if (!ADIB || !ADIB->GetUseFMO()) throw EQxDIBCanvasFailed("TQxDIBCanvas.Create: Cannot Create Canvas");
  ADIB->UniqueDIB();
  const uint32_t c = ADIB->InternalDIB->DIBInfos.W3Head.biCompression;
  if (c != 0) throw plat::EOutOfResources("TQxDIBCanvas.Create: Cannot Create Memory DC");
  ADIB->AssignTo(section_);
  SetTarget(&section_);
}

void TQxDIBCanvas::Flush() {
  DIB->UniqueDIB();
  PackBitmapRows(section_, DIB->InternalDIB->DIBInfos);
}

TQxDIBCanvas::~TQxDIBCanvas() {
  try {
    Flush();
    DIB->UpdatePaletteModified();
  } catch (...) {
    // A destructor cannot pass errors on; the pixels drawn so far are kept.
  }
  DIB->Changed();
}

// ------------------------------------------------------------------ registration

namespace {
struct RegisterDIB {
  RegisterDIB() {
    RegisterFileFormat("dib", "Device Independent Bitmap", [] { return std::make_unique<TQxDIB>(); });
    RegisterClipboardFormat(plat::Clipboard::CF_DIB, [] { return std::make_unique<TQxDIB>(); });
  }
  ~RegisterDIB() { UnregisterGraphicClass("dib", plat::Clipboard::CF_DIB); }
} registerDIB;
}  // namespace
