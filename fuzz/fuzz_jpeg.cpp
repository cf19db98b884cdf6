// The JPEG decoder, on raw inputs and on edits of a small encoded sample.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzOverlay.h"
#include "platform/Pictures.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::vector<uint8_t> sample = [] {
    plat::SetPictureSizeLimit(1 << 20);
    return SampleJpeg();
  }();
  (void)plat::DecodeJpeg(FuzzInput(data, size, sample));
  return 0;
}
