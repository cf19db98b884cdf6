// The renderer's doors for the picture classes: bitmaps become plain 32-bit
// pixel arrays before they reach the tiles.
#include "graphics/AlphaLib32.h"
#include "platform/Pictures.h"

namespace {

// Only 32-bit bitmaps convert; anything else gives an empty picture.
AL32Pixels PixelsOf(const plat::Bitmap* bmp) {
  AL32Pixels p;
  if (!bmp || bmp->GetEmpty() || bmp->GetPixelFormat() != plat::PixelFormat::pf32bit) return p;
  p.Width = bmp->GetWidth();
  p.Height = bmp->GetHeight();
  p.Px.resize(size_t(p.Width) * size_t(p.Height));
  for (int32_t y = 0; y < p.Height; ++y)
    for (int32_t x = 0; x < p.Width; ++x) p.Px[size_t(y) * size_t(p.Width) + size_t(x)] = bmp->Pixel(x, y);
  return p;
}

}  // namespace

TALTexture TAlpha32::MakeTex(const plat::Bitmap* bmp, const std::string& filename,
                             TALLoadState& LSt) {
  return MakeTex(PixelsOf(bmp), filename, LSt);
}

void TAlpha32::BitmapToTexture(TALTexture& dest, const plat::Bitmap* src, const ALRect& rrr,
                               ColKeyType CK, const TPalEntry* pPE, bool TXW_f) {
  BitmapToTexture(dest, PixelsOf(src), rrr, CK, pPE, TXW_f);
}
