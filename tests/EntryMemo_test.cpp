// An 8-bit archive picture loaded again with another palette is recoloured from
// the kept pixel indices instead of being decoded again, with the same result.
#include <gtest/gtest.h>

#include "graphics/AlphaLib32Pictures.h"
#include "tests/PictureBuild.h"

namespace {

TPaletteData Palette(uint8_t seed) {
  TPaletteData p;
  std::vector<plat::PaletteEntry> e(256);
  for (int i = 0; i < 256; ++i) {
    e[size_t(i)] = {uint8_t(i * seed), uint8_t(seed), uint8_t(255 - i), 0};
    p.RGBQUAD256[i] = {e[size_t(i)].blue, e[size_t(i)].green, e[size_t(i)].red, 0};
  }
  p.HPal = plat::CreatePalette(e);
  return p;
}

// Two rows of four indices.
std::vector<uint8_t> Sheet(uint8_t first) {
  return picbuild::MakePng(4, 2, 8, 3, {0, first, 1, 2, 3, 0, 3, 2, 1, 0},
                           {0x102030, 0x405060, 0x708090, 0xA0B0C0});
}

void ExpectSame(const ALDecodedPicture& a, const ALDecodedPicture& b) {
  ASSERT_TRUE(a.Bmp && b.Bmp);
  EXPECT_EQ(a.Bmp->GetPixelFormat(), b.Bmp->GetPixelFormat());
  EXPECT_EQ(a.PE_f, b.PE_f);
  EXPECT_EQ(a.PE, b.PE);
  ASSERT_EQ(a.Bmp->GetWidth(), b.Bmp->GetWidth());
  ASSERT_EQ(a.Bmp->GetHeight(), b.Bmp->GetHeight());
  for (int y = 0; y < a.Bmp->GetHeight(); ++y)
    for (int x = 0; x < a.Bmp->GetWidth(); ++x)
      EXPECT_EQ(a.Bmp->ColourAt(x, y), b.Bmp->ColourAt(x, y)) << x << "," << y;
}

TEST(EntryMemo, EachPaletteGivesWhatAFreshDecodeGives) {
  ALIndexedMemo memo;
  const auto sheet = Sheet(0);
  for (uint8_t seed : {1, 2, 3}) {
    const TPaletteData pal = Palette(seed);
    ExpectSame(ALDecodeEntryPicture(memo, ".png", sheet, &pal, true),
               ALDecodePicture(".png", sheet, &pal, true, true));
    ASSERT_TRUE(memo.Bmp) << "the indexed picture is kept";
  }
  // Other bytes are decoded, never answered from the memo.
  const TPaletteData pal = Palette(1);
  const auto other = Sheet(3);
  ExpectSame(ALDecodeEntryPicture(memo, ".png", other, &pal, false),
             ALDecodePicture(".png", other, &pal, false, true));
  // A true-colour picture is not kept; the memo still answers its own bytes.
  const auto rgb = picbuild::MakePng(1, 1, 8, 2, {0, 1, 2, 3});
  EXPECT_EQ(ALDecodeEntryPicture(memo, ".png", rgb, &pal, true).Bmp->ColourAt(0, 0), 0x010203u);
  EXPECT_EQ(memo.Bytes, other);
}

}  // namespace
