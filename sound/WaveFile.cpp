#include "sound/WaveFile.h"

#include <algorithm>
#include <cstring>

namespace {

uint32_t U32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

// Finds a chunk id in [pos, end) walking chunk headers (sizes padded to even);
// on success pos is at the chunk's body and size is its body size (clamped to end).
bool FindChunk(std::span<const uint8_t> b, size_t& pos, size_t end, const char* id,
               size_t& size) {
  while (pos + 8 <= end) {
    const uint8_t* h = b.data() + pos;
    const uint64_t len = U32(h + 4);
    if (std::memcmp(h, id, 4) == 0) {
      pos += 8;
      size = size_t(std::min<uint64_t>(len, end - pos));
      return true;
    }
    pos += 8 + size_t(std::min<uint64_t>(len + (len & 1), end - pos - 8));
  }
  return false;
}

}  // namespace

WaveFileError ParseWaveFile(std::span<const uint8_t> b, WaveFileData& out) {
  out = WaveFileData{};
  // The RIFF chunk of form type WAVE, searched among the file's top chunks.
  size_t pos = 0, end = b.size();
  size_t riffSize = 0;
  for (;;) {
    size_t start = pos;
    if (!FindChunk(b, pos, end, "RIFF", riffSize)) return WaveFileError::NotWave;
    if (riffSize >= 4 && std::memcmp(b.data() + pos, "WAVE", 4) == 0) break;
    pos = start + 8 + riffSize + (riffSize & 1);
  }
  const size_t riffEnd = pos + riffSize;
  pos += 4;

  size_t fmtSize = 0;
  if (!FindChunk(b, pos, riffEnd, "fmt ", fmtSize)) return WaveFileError::NoFmt;
  // The record's fixed part is 14 bytes, with the sample size 16.
  if (fmtSize < 16) return WaveFileError::BadFmt;
  const uint8_t* f = b.data() + pos;
  out.format.formatTag = U16(f);
  out.format.channels = U16(f + 2);
  out.format.samplesPerSec = U32(f + 4);
  out.format.avgBytesPerSec = U32(f + 8);
  out.format.blockAlign = U16(f + 12);
  out.format.bitsPerSample = U16(f + 14);
  pos += fmtSize + (fmtSize & 1);

  size_t dataSize = 0;
  if (!FindChunk(b, pos, riffEnd, "data", dataSize)) return WaveFileError::NoData;
  out.data.assign(b.begin() + ptrdiff_t(pos), b.begin() + ptrdiff_t(pos + dataSize));
  out.dataSize = uint32_t(dataSize);
  return WaveFileError::None;
}

std::vector<uint8_t> MakeWaveFile(const plat::PcmFormat& fmt, std::span<const uint8_t> data) {
  std::vector<uint8_t> w;
  w.reserve(44 + data.size() + 1);  // the header, the data and its pad byte
  auto put32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) w.push_back(uint8_t(v >> (8 * i)));
  };
  auto put16 = [&](uint16_t v) {
    w.push_back(uint8_t(v));
    w.push_back(uint8_t(v >> 8));
  };
  auto tag = [&](const char* t) {
    for (int i = 0; i < 4; ++i) w.push_back(uint8_t(t[i]));
  };
  tag("RIFF");
  put32(uint32_t(4 + 8 + 16 + 8 + data.size() + (data.size() & 1)));
  tag("WAVE");
  tag("fmt ");
  put32(16);
  put16(fmt.formatTag);
  put16(fmt.channels);
  put32(fmt.samplesPerSec);
  put32(fmt.avgBytesPerSec);
  put16(fmt.blockAlign);
  put16(fmt.bitsPerSample);
  tag("data");
  put32(uint32_t(data.size()));
  w.insert(w.end(), data.begin(), data.end());
  if (data.size() & 1) w.push_back(0);
  return w;
}
