// The BMP readers: the toolkit bitmap's decoder (file and packed forms) and
// the device-independent bitmap store's file and clipboard readers, with what
// the game does next to a loaded store (writing it, handing it to a bitmap,
// converting it).
#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <vector>

#include "graphics/QxDIB.h"
#include "platform/Pictures.h"

namespace {
void UseStore(TQxDIB& dib) {
  std::vector<uint8_t> out;
  dib.SaveToStream(out);
  plat::Bitmap b;
  try {
    dib.AssignTo(b);
  } catch (const std::exception&) {
  }
  (void)dib.GetPalette();
  // Small pictures also go through the pixel-format conversions: run-length
  // stores are decoded on the way.
  if (int64_t(dib.GetWidth()) * dib.GetHeight() > (1 << 14)) return;
  TQxDIB copy;
  copy.Assign(&dib);
  for (TQxPixelFormat pf : {qxPfHalftone, qxPf24Bit, qxPf4BitRLE}) {
    if (copy.GetPixelFormat() == pf) continue;
    try {
      copy.SetPixelFormat(pf);
    } catch (const std::exception&) {
    }
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool once = (plat::SetPictureSizeLimit(1 << 20), true);
  (void)once;
  std::span<const uint8_t> in(data, size);
  if (auto d = plat::DecodeBmp(in)) {
    volatile uint32_t sink = d.bitmap->ColourAt(0, 0);
    (void)sink;
  }
  (void)plat::DecodePackedDib(in);

  TQxDIB dib;
  try {
    dib.LoadFromBytes(in);
    UseStore(dib);
  } catch (const std::exception&) {
  }
  try {
    auto block = std::make_shared<std::vector<uint8_t>>(data, data + size);
    dib.LoadFromClipboardFormat(plat::Clipboard::CF_DIB, block, nullptr);
    UseStore(dib);
  } catch (const std::exception&) {
  }
  return 0;
}
