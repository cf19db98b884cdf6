// BMP files and packed device-independent bitmaps into toolkit bitmaps.
// Every count, offset and size read from the data is checked against the data
// before it is used; the run-length decoders never write outside the picture.
#include <algorithm>
#include <bit>

#include "platform/Pictures.h"

namespace plat {

namespace {

uint16_t U16(std::span<const uint8_t> d, size_t at) { return uint16_t(d[at] | d[at + 1] << 8); }
uint32_t U32(std::span<const uint8_t> d, size_t at) {
  return uint32_t(d[at]) | uint32_t(d[at + 1]) << 8 | uint32_t(d[at + 2]) << 16 |
         uint32_t(d[at + 3]) << 24;
}

DecodedPicture Fail(std::string why) {
  DecodedPicture d;
  d.error = "BMP: " + std::move(why);
  return d;
}

// What the info header says, in one shape for every header kind.
struct DibHeader {
  uint32_t size = 0;          // header bytes
  int64_t width = 0, height = 0;  // height > 0: bottom-up
  unsigned bits = 0;
  uint32_t compression = 0;
  uint32_t masks[4] = {};     // red, green, blue, alpha
  bool haveMasks = false;
  size_t tableAt = 0;         // offset of the colour table from the header start
  unsigned tableEntrySize = 4;
  uint64_t tableCount = 0;    // entries the file declares
};

enum : uint32_t { kRGB = 0, kRLE8 = 1, kRLE4 = 2, kBitFields = 3 };

// Reads the info header at the start of info. Empty error text means fine.
std::string ParseHeader(std::span<const uint8_t> info, DibHeader& h) {
  if (info.size() < 4) return "info header is cut off";
  h.size = U32(info, 0);
  if (h.size == 12) {
    if (info.size() < 12) return "info header is cut off";
    h.width = U16(info, 4);
    h.height = U16(info, 6);
    h.bits = U16(info, 10);
    h.tableEntrySize = 3;
    h.tableAt = 12;
    h.tableCount = h.bits <= 8 ? (1u << h.bits) : 0;
    return "";
  }
  if (h.size != 40 && h.size != 52 && h.size != 56 && h.size != 64 && h.size != 108 &&
      h.size != 124)
    return "unknown info header size " + std::to_string(h.size);
  if (info.size() < h.size) return "info header is cut off";
  h.width = int32_t(U32(info, 4));
  h.height = int32_t(U32(info, 8));
  h.bits = U16(info, 14);
  h.compression = U32(info, 16);
  uint32_t clrUsed = U32(info, 32);
  h.tableAt = h.size;
  if (h.size >= 52) {
    for (int i = 0; i < 3; ++i) h.masks[i] = U32(info, 40 + 4 * i);
    if (h.size >= 56) h.masks[3] = U32(info, 52);
    h.haveMasks = h.compression == kBitFields;
  } else if (h.compression == kBitFields) {
    // A 40-byte header keeps its three masks right behind it.
    if (info.size() < 52) return "bit-field masks are cut off";
    for (int i = 0; i < 3; ++i) h.masks[i] = U32(info, 40 + 4 * i);
    h.haveMasks = true;
    h.tableAt = 52;
  }
  h.tableCount = clrUsed ? clrUsed : (h.bits <= 8 ? (1u << h.bits) : 0);
  return "";
}

std::string CheckHeader(const DibHeader& h) {
  switch (h.bits) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return "unsupported bit count " + std::to_string(h.bits);
  }
  switch (h.compression) {
    case kRGB: break;
    case kRLE8: if (h.bits != 8) return "RLE8 needs 8 bits"; break;
    case kRLE4: if (h.bits != 4) return "RLE4 needs 4 bits"; break;
    case kBitFields: if (h.bits != 16 && h.bits != 32) return "bit fields need 16 or 32 bits"; break;
    default: return "unsupported compression " + std::to_string(h.compression);
  }
  if (h.width <= 0 || h.height == 0 || h.height == INT32_MIN) return "bad width or height";
  int64_t absH = h.height < 0 ? -h.height : h.height;
  if (h.width > 32767 || absH > 32767 || uint64_t(h.width * absH) > PictureSizeLimit())
    return "picture is too large";
  if (h.height < 0 && (h.compression == kRLE8 || h.compression == kRLE4))
    return "run-length data cannot be top-down";
  return "";
}

// One channel of a bit-field pixel scaled to 0..255.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  uint32_t max = 0;
  explicit Channel(uint32_t m) : mask(m) {
    if (m) {
      shift = std::countr_zero(m);
      max = m >> shift;
    }
  }
  uint32_t operator()(uint32_t v) const {
    if (!mask) return 0;
    return uint32_t(uint64_t((v & mask) >> shift) * 255 / max);
  }
};

// The column never passes the row's end: a run, an absolute block or a delta
// that would carry it further stops there, so no length of data can move it
// anywhere but inside the row (or just past it, where nothing is written).
void DecodeRle(std::span<const uint8_t> src, bool four, Bitmap& bmp) {
  const int w = bmp.GetWidth(), hgt = bmp.GetHeight();
  int x = 0, row = 0;  // row counts from the bottom
  auto put = [&](uint8_t v) {
    if (x < w && row < hgt) bmp.Index(x++, hgt - 1 - row) = v;
  };
  size_t i = 0;
  while (i + 1 < src.size() && row < hgt) {
    uint8_t n = src[i], c = src[i + 1];
    i += 2;
    if (n > 0) {
      for (int k = 0; k < n && x < w; ++k) put(four ? ((k & 1) ? c & 15 : c >> 4) : c);
    } else if (c == 0) {
      x = 0;
      ++row;
    } else if (c == 1) {
      break;
    } else if (c == 2) {
      if (i + 1 >= src.size()) break;
      x = std::min(w, x + src[i]);
      row = std::min(hgt, row + src[i + 1]);
      i += 2;
    } else {
      size_t bytes = four ? (c + 1u) / 2 : c;
      size_t padded = (bytes + 1) & ~size_t(1);
      if (i + bytes > src.size()) break;
      for (int k = 0; k < c && x < w; ++k) {
        uint8_t b = src[i + (four ? k / 2 : k)];
        put(four ? ((k & 1) ? b & 15 : b >> 4) : b);
      }
      i += std::min(padded, src.size() - i);
    }
  }
}

DecodedPicture DecodeDib(std::span<const uint8_t> info, std::span<const uint8_t> pixels,
                         bool pixelsFollowTable) {
  DibHeader h;
  if (std::string e = ParseHeader(info, h); !e.empty()) return Fail(e);
  if (std::string e = CheckHeader(h); !e.empty()) return Fail(e);

  // Colour table: only indexed pictures use it; at most 256 entries are read.
  std::vector<PaletteEntry> table;
  uint64_t tableBytes = h.tableCount * h.tableEntrySize;
  if (h.bits <= 8) {
    uint64_t n = std::min<uint64_t>(h.tableCount, 256);
    if (h.tableAt + n * h.tableEntrySize > info.size()) return Fail("colour table is cut off");
    for (uint64_t k = 0; k < n; ++k) {
      size_t at = h.tableAt + k * h.tableEntrySize;
      table.push_back({info[at + 2], info[at + 1], info[at], 0});
    }
  }
  if (pixelsFollowTable) {
    uint64_t start = h.tableAt + tableBytes;
    if (start > info.size()) return Fail("colour table is cut off");
    pixels = info.subspan(size_t(start));
  }

  const int w = int(h.width);
  const int hgt = int(h.height < 0 ? -h.height : h.height);
  const bool bottomUp = h.height > 0;
  auto bmp = std::make_unique<Bitmap>();
  PixelFormat pf = h.bits == 1 ? PixelFormat::pf1bit
                 : h.bits == 4 ? PixelFormat::pf4bit
                 : h.bits == 8 ? PixelFormat::pf8bit
                 : h.bits == 32 ? PixelFormat::pf32bit
                               : PixelFormat::pf24bit;
  bmp->SetPixelFormat(pf);
  if (h.bits <= 8) bmp->SetPalette(table.empty() ? nullptr : CreatePalette(table));
  bmp->SetSize(w, hgt);

  if (h.compression == kRLE8 || h.compression == kRLE4) {
    DecodeRle(pixels, h.compression == kRLE4, *bmp);
  } else {
    uint64_t rowBytes = (uint64_t(w) * h.bits + 31) / 32 * 4;
    if (rowBytes * hgt > pixels.size()) return Fail("pixel data are cut off");
    Channel r(0), g(0), b(0), a(0);
    if (h.bits == 16 || h.bits == 32) {
      if (h.compression == kBitFields) {
        r = Channel(h.masks[0]), g = Channel(h.masks[1]), b = Channel(h.masks[2]);
        a = Channel(h.masks[3]);
      } else if (h.bits == 16) {
        r = Channel(0x7C00), g = Channel(0x03E0), b = Channel(0x001F);
      } else {
        r = Channel(0xFF0000), g = Channel(0xFF00), b = Channel(0xFF), a = Channel(0xFF000000);
      }
    }
    for (int y = 0; y < hgt; ++y) {
      const uint8_t* s = pixels.data() + rowBytes * y;
      int dy = bottomUp ? hgt - 1 - y : y;
      for (int x = 0; x < w; ++x) {
        switch (h.bits) {
          case 1: bmp->Index(x, dy) = (s[x >> 3] >> (7 - (x & 7))) & 1; break;
          case 4: bmp->Index(x, dy) = (x & 1) ? s[x >> 1] & 15 : s[x >> 1] >> 4; break;
          case 8: bmp->Index(x, dy) = s[x]; break;
          case 24:
            bmp->Pixel(x, dy) = uint32_t(s[3 * x + 2]) << 16 | uint32_t(s[3 * x + 1]) << 8 | s[3 * x];
            break;
          default: {
            uint32_t v = h.bits == 16 ? uint32_t(s[2 * x] | s[2 * x + 1] << 8)
                                      : uint32_t(s[4 * x]) | uint32_t(s[4 * x + 1]) << 8 |
                                            uint32_t(s[4 * x + 2]) << 16 | uint32_t(s[4 * x + 3]) << 24;
            uint32_t alpha = h.bits == 32 ? a(v) : 0;
            bmp->Pixel(x, dy) = alpha << 24 | r(v) << 16 | g(v) << 8 | b(v);
          }
        }
      }
    }
  }
  bmp->Modified = false;
  bmp->PaletteModified = false;
  DecodedPicture out;
  out.bitmap = std::move(bmp);
  return out;
}

}  // namespace

DecodedPicture DecodePackedDib(std::span<const uint8_t> data) {
  return DecodeDib(data, {}, true);
}

DecodedPicture DecodeBmp(std::span<const uint8_t> data) {
  if (data.size() < 18) return Fail("file is too short");
  if (data[0] != 'B' || data[1] != 'M') return Fail("not a BMP file");
  uint32_t offBits = U32(data, 10);
  std::span<const uint8_t> info = data.subspan(14);
  uint32_t hdr = U32(data, 14);
  if (offBits < 14 + uint64_t(hdr) || offBits > data.size())
    return Fail("pixel data offset is out of range");
  return DecodeDib(info, data.subspan(offBits), false);
}

}  // namespace plat
