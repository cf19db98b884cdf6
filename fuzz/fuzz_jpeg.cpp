// The JPEG decoder and picture class, on raw inputs and on edits of a small
// encoded sample.
#include <cstddef>
#include <cstdint>
#include <exception>

#include "fuzz/FuzzOverlay.h"
#include "platform/Pictures.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::vector<uint8_t> sample = [] {
    plat::SetPictureSizeLimit(1 << 20);
    return SampleJpeg();
  }();
  // Through the picture class the game's pictures go through, which hands
  // its bitmap on.
  plat::JpegImage img;
  try {
    img.LoadFromBytes(FuzzInput(data, size, sample));
    plat::Bitmap b;
    img.AssignTo(b);
  } catch (const std::exception&) {
  }
  return 0;
}
