// The picture front end that picks the decoder by extension (ALDecodePicture),
// with and without a game palette, as a file or as an archive entry, and the
// cut and alpha merge the texture loader applies to what it decodes. The
// first byte picks the extension (bits 0-1), a palette (bit 2), the archive
// form (bit 3), palette entry 0 capture (bit 4) and the cut (bits 5-7).
#include <cstddef>
#include <cstdint>
#include <span>

#include "graphics/AlphaLib32Pictures.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const TPaletteData* pal = [] {
    plat::SetPictureSizeLimit(1 << 20);
    auto* p = new TPaletteData;
    for (int i = 0; i < 256; ++i) p->RGBQUAD256[i] = {uint8_t(i), uint8_t(255 - i), uint8_t(i / 2), 0};
    return p;
  }();
  if (size == 0) return 0;
  static const char* const kExt[4] = {".bmp", ".jpg", ".png", ".gif"};
  const uint8_t o = data[0];
  ALDecodedPicture d = ALDecodePicture(kExt[o & 3], std::span<const uint8_t>(data + 1, size - 1),
                                       (o & 4) ? pal : nullptr, (o & 16) != 0, (o & 8) != 0);
  if (!d.Bmp) return 0;
  const int w = d.Bmp->GetWidth(), h = d.Bmp->GetHeight();
  if (int64_t(w) * h > (1 << 16)) return 0;
  const int c = o >> 5;
  plat::Bitmap cut = SetColBmp(*d.Bmp, plat::Rect{c, c / 2, w - c, (c & 1) ? 0 : h}, 1 + (c & 1));
  MergeAlphaCompanion(cut, *d.Bmp);
  return 0;
}
