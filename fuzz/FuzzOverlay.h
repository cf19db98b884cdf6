// Shared by the picture fuzz targets. The compressed-picture libraries are not
// instrumented, so random bytes rarely get past their signatures; an input
// whose first byte is odd is therefore read as edits on a valid sample
// picture: triples (offset low, offset high, value), then an optional cut.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/Pictures.h"

inline std::vector<uint8_t> FuzzInput(const uint8_t* data, size_t size,
                                      const std::vector<uint8_t>& sample) {
  if (size == 0) return {};
  if ((data[0] & 1) == 0 || sample.empty()) return std::vector<uint8_t>(data + 1, data + size);
  std::vector<uint8_t> out = sample;
  size_t i = 1;
  for (; i + 2 < size; i += 3) out[(data[i] | data[i + 1] << 8) % out.size()] = data[i + 2];
  if ((data[0] & 2) && i < size) out.resize(out.size() * data[i] / 256);
  return out;
}

// The small JPEG the JPEG fuzzer edits, and its seed.
inline std::vector<uint8_t> SampleJpeg() {
  plat::Bitmap b;
  b.SetPixelFormat(plat::PixelFormat::pf32bit);
  b.SetSize(16, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 16; ++x) b.Pixel(x, y) = uint32_t(x * 16) << 16 | uint32_t(y * 32);
  return plat::EncodeJpeg(b, 75);
}
