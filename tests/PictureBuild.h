// Builds small picture files in memory for the picture tests and fuzz seeds:
// little-endian byte writing, BMP files from their fields, and PNG files with
// uncompressed deflate blocks (so no compressor is needed).
#pragma once
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace picbuild {

struct Bytes {
  std::vector<uint8_t> v;
  Bytes& u8(uint32_t x) { v.push_back(uint8_t(x)); return *this; }
  Bytes& u16(uint32_t x) { u8(x); return u8(x >> 8); }
  Bytes& u32(uint32_t x) { u16(x); return u16(x >> 16); }
  Bytes& u32be(uint32_t x) { u8(x >> 24); u8(x >> 16); u8(x >> 8); return u8(x); }
  Bytes& raw(const std::vector<uint8_t>& b) { v.insert(v.end(), b.begin(), b.end()); return *this; }
  Bytes& str(const std::string& s) { v.insert(v.end(), s.begin(), s.end()); return *this; }
  Bytes& zeros(size_t n) { v.insert(v.end(), n, 0); return *this; }
  size_t size() const { return v.size(); }
};

// The fields of a BMP file with a 40-byte header. Offsets and sizes left at
// -1 are computed from the parts.
struct BmpSpec {
  int32_t width = 1, height = 1;
  uint16_t bits = 8;
  uint32_t compression = 0;
  uint32_t clrUsed = 0;
  uint32_t headerSize = 40;            // written as given; extra bytes are zero
  std::vector<uint32_t> masks;         // written after the header when present
  std::vector<uint32_t> table;         // 0x00RRGGBB entries, written as B,G,R,0
  std::vector<uint8_t> pixels;
  int64_t offBits = -1, fileSize = -1;
  int32_t xppm = 0, yppm = 0;
  uint32_t sizeImage = 0;
};

inline std::vector<uint8_t> MakeBmp(const BmpSpec& s) {
  Bytes info;
  info.u32(s.headerSize).u32(uint32_t(s.width)).u32(uint32_t(s.height)).u16(1).u16(s.bits)
      .u32(s.compression).u32(s.sizeImage).u32(uint32_t(s.xppm)).u32(uint32_t(s.yppm))
      .u32(s.clrUsed).u32(0);
  if (s.headerSize > 40) info.zeros(s.headerSize - 40);
  for (uint32_t m : s.masks) info.u32(m);
  for (uint32_t c : s.table) info.u8(c).u8(c >> 8).u8(c >> 16).u8(0);
  uint32_t off = s.offBits >= 0 ? uint32_t(s.offBits) : uint32_t(14 + info.size());
  Bytes f;
  uint32_t size = s.fileSize >= 0 ? uint32_t(s.fileSize) : uint32_t(off + s.pixels.size());
  f.str("BM").u32(size).u32(0).u32(off).raw(info.v);
  while (f.size() < off) f.u8(0);
  f.raw(s.pixels);
  return f.v;
}

inline uint32_t Crc32(const uint8_t* p, size_t n, uint32_t crc = 0) {
  crc = ~crc;
  for (size_t i = 0; i < n; ++i) {
    crc ^= p[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

inline void PngChunk(Bytes& out, const char* type, const std::vector<uint8_t>& data) {
  out.u32be(uint32_t(data.size()));
  size_t start = out.size();
  out.str(type).raw(data);
  out.u32be(Crc32(out.v.data() + start, out.size() - start));
}

// A PNG from raw filtered rows (each row: filter byte 0 then the samples).
// colourType 3 writes a PLTE from palette (0x00RRGGBB entries).
inline std::vector<uint8_t> MakePng(uint32_t w, uint32_t h, int bitDepth, int colourType,
                                    const std::vector<uint8_t>& rawRows,
                                    const std::vector<uint32_t>& palette = {},
                                    const std::vector<uint8_t>& trns = {}) {
  Bytes out;
  out.v = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes ihdr;
  ihdr.u32be(w).u32be(h).u8(bitDepth).u8(colourType).u8(0).u8(0).u8(0);
  PngChunk(out, "IHDR", ihdr.v);
  if (!palette.empty()) {
    Bytes plte;
    for (uint32_t c : palette) plte.u8(c >> 16).u8(c >> 8).u8(c);
    PngChunk(out, "PLTE", plte.v);
  }
  if (!trns.empty()) PngChunk(out, "tRNS", trns);
  // zlib stream of stored blocks.
  Bytes z;
  z.u8(0x78).u8(0x01);
  size_t pos = 0;
  do {
    size_t n = std::min<size_t>(65535, rawRows.size() - pos);
    bool last = pos + n == rawRows.size();
    z.u8(last ? 1 : 0).u16(uint32_t(n)).u16(uint32_t(~n & 0xFFFF));
    z.v.insert(z.v.end(), rawRows.begin() + pos, rawRows.begin() + pos + n);
    pos += n;
  } while (pos < rawRows.size());
  uint32_t a = 1, b = 0;
  for (uint8_t c : rawRows) a = (a + c) % 65521, b = (b + a) % 65521;
  z.u32be(b << 16 | a);
  PngChunk(out, "IDAT", z.v);
  PngChunk(out, "IEND", {});
  return out.v;
}

}  // namespace picbuild
