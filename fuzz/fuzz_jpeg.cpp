// The JPEG decoder, on raw inputs and on edits of a small encoded sample.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzOverlay.h"
#include "platform/Pictures.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::vector<uint8_t> sample = [] {
    plat::SetPictureSizeLimit(1 << 20);
    plat::Bitmap b;
    b.SetPixelFormat(plat::PixelFormat::pf32bit);
    b.SetSize(16, 8);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 16; ++x) b.Pixel(x, y) = uint32_t(x * 16) << 16 | uint32_t(y * 32);
    return plat::EncodeJpeg(b, 75);
  }();
  (void)plat::DecodeJpeg(FuzzInput(data, size, sample));
  return 0;
}
