// The BMP readers: the toolkit bitmap's decoder (file and packed forms) and
// the device-independent bitmap store's reader, writer and clipboard reader.
#include <cstddef>
#include <cstdint>

#include "platform/Pictures.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool once = (plat::SetPictureSizeLimit(1 << 20), true);
  (void)once;
  std::span<const uint8_t> in(data, size);
  if (auto d = plat::DecodeBmp(in)) {
    volatile uint32_t sink = d.bitmap->ColourAt(0, 0);
    (void)sink;
  }
  (void)plat::DecodePackedDib(in);
  return 0;
}
