// The PNG decoder and picture class, on raw inputs and on edits of a small indexed sample whose
// chunk checksums are mended so that the edits reach the chunk contents.
#include <cstddef>
#include <cstdint>
#include <exception>

#include "fuzz/FuzzOverlay.h"
#include "platform/Pictures.h"
#include "tests/PictureBuild.h"

namespace {
void MendChecksums(std::vector<uint8_t>& png) {
  size_t at = 8;
  while (at + 12 <= png.size()) {
    uint32_t len = uint32_t(png[at]) << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3];
    if (len > png.size() - at - 12) break;
    uint32_t crc = picbuild::Crc32(png.data() + at + 4, len + 4);
    for (int k = 0; k < 4; ++k) png[at + 8 + len + k] = uint8_t(crc >> (24 - 8 * k));
    at += 12 + len;
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::vector<uint8_t> sample = [] {
    plat::SetPictureSizeLimit(1 << 20);
    std::vector<uint8_t> rows;
    for (int y = 0; y < 4; ++y) rows.insert(rows.end(), {0, uint8_t(0x1B * y), 0xE4});
    return picbuild::MakePng(8, 4, 4, 3, rows, {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF});
  }();
  std::vector<uint8_t> in = FuzzInput(data, size, sample);
  if (size > 0 && (data[0] & 1)) MendChecksums(in);
  // Through the picture class the game's pictures go through, which hands
  // its bitmap on.
  plat::PngImage img;
  img.KeepIndices = size > 0 && (data[0] & 4);
  try {
    img.LoadFromBytes(in);
    plat::Bitmap b;
    img.AssignTo(b);
  } catch (const std::exception&) {
  }
  return 0;
}
