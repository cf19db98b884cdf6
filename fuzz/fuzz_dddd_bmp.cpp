// The display surfaces' BMP loader, into 16- and 32-bit surfaces of a few sizes.
#include <cstddef>
#include <cstdint>

#include "graphics/dddd.h"
#include "platform/SoftDraw.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static plat::SoftDraw* dd = [] {
    plat::ResetSoftDrawSetup();
    DDDD_HaltOnError = false;
    DDDD_DebugMessage = false;
    plat::SoftDraw* o = nullptr;
    plat::SoftDraw::Create(0, &o);
    return o;
  }();
  if (size == 0) return 0;
  // The first byte picks the surface: width, height and depth.
  const uint8_t pick = data[0];
  plat::DdSurfaceDesc desc;
  desc.flags = plat::dd::kSdCaps | plat::dd::kSdWidth | plat::dd::kSdHeight | plat::dd::kSdPixelFormat;
  desc.caps = plat::dd::kCapsOffscreenPlain | plat::dd::kCapsSystemMemory;
  desc.width = 1 + (pick & 7);
  desc.height = 1 + ((pick >> 3) & 7);
  desc.pf = (pick & 0x40) ? plat::fmt::RGB565() : (pick & 0x80) ? plat::fmt::Pal8() : plat::fmt::XRGB8888();
  plat::SoftSurface* s = nullptr;
  if (dd->CreateSurface(desc, &s) != 0) return 0;
  {
    TDDDDGenSurface g(nullptr, s, int32_t(desc.width), int32_t(desc.height));
    g.LoadFromBMPStream(data + 1, size - 1);
    volatile uint32_t sink = g.getPixel(0, 0);
    (void)sink;
  }
  s->Release();
  return 0;
}
