#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "graphics/AlphaLib32Pictures.h"
#include "tests/PictureBuild.h"

using namespace picbuild;

namespace {

// A palette entry as 0xRRGGBB, for comparisons.
inline uint32_t Rgb(const plat::PaletteEntry& e) {
  return uint32_t(e.red) << 16 | uint32_t(e.green) << 8 | e.blue;
}

struct TempDir {
  std::filesystem::path dir = std::filesystem::temp_directory_path() /
                              ("qorv_al32pic_" + std::to_string(std::random_device{}()));
  TempDir() { std::filesystem::create_directories(dir); }
  ~TempDir() { std::filesystem::remove_all(dir); }
  std::string Write(const std::string& name, const std::vector<uint8_t>& b) {
    std::ofstream(dir / name, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), b.size());
    return (dir / name).string();
  }
};

TPaletteData GamePalette() {
  TPaletteData p;
  std::vector<plat::PaletteEntry> e(256);
  for (int i = 0; i < 256; ++i) {
    e[i] = {uint8_t(i), 0, uint8_t(255 - i), 0};
    p.RGBQUAD256[i] = {uint8_t(255 - i), 0, uint8_t(i), 0};
  }
  p.HPal = plat::CreatePalette(e);
  return p;
}

TEST(PaletteFile, ReadsColoursAndPadsShortFiles) {
  TempDir t;
  std::vector<uint8_t> f(778, 0);
  f[10] = 255;               // colour 0 red
  f[10 + 3 * 255 + 2] = 77;  // colour 255 blue 77
  auto p = LoadEDGEPaletteFile(t.Write("a.pal", f));
  ASSERT_TRUE(p);
  EXPECT_EQ(p->RGBQUAD256[0], (TQxRGBQuad{0, 0, 255, 0}));
  EXPECT_EQ(p->RGBQUAD256[255], (TQxRGBQuad{77, 0, 0, 0}));
  EXPECT_EQ(Rgb(p->HPal->entries[0]), 0xFF0000u);

  f.resize(16);  // two colours, the rest black
  f[13] = 9;
  p = LoadEDGEPaletteFile(t.Write("short.pal", f));
  ASSERT_TRUE(p);
  EXPECT_EQ(p->RGBQUAD256[1], (TQxRGBQuad{0, 0, 9, 0}));
  EXPECT_EQ(p->RGBQUAD256[2], (TQxRGBQuad{}));
  EXPECT_FALSE(LoadEDGEPaletteFile((t.dir / "missing.pal").string()));
  EXPECT_FALSE(LoadEDGEPaletteFile(t.dir.string()));  // a folder, not a file
}

std::vector<uint8_t> IndexedPng() {
  return MakePng(3, 1, 8, 3, {0, 0, 1, 2}, {0x102030, 0x405060, 0x708090});
}

TEST(TexturePictures, PaletteSwapKeepsIndicesAndCapturesEntryZero) {
  TPaletteData pal = GamePalette();
  auto d = ALDecodePicture(".png", IndexedPng(), &pal, true, false);
  ASSERT_TRUE(d.Bmp) << d.Error;
  EXPECT_EQ(d.Bmp->GetPixelFormat(), plat::PixelFormat::pf8bit);
  EXPECT_EQ(d.Bmp->Index(2, 0), 2);
  EXPECT_EQ(d.Bmp->ColourAt(1, 0), 0x0100FEu);
  EXPECT_TRUE(d.PE_f);
  EXPECT_EQ(d.PE, (ALPalEntry{0, 0, 255, 0}));

  d = ALDecodePicture(".png", IndexedPng(), nullptr, true, true);
  ASSERT_TRUE(d.Bmp);
  EXPECT_EQ(d.PE, (ALPalEntry{0x10, 0x20, 0x30, 0}));
  d = ALDecodePicture(".png", IndexedPng(), nullptr, false, false);
  EXPECT_FALSE(d.PE_f);

  // True colour is not recoloured and has no entry 0.
  d = ALDecodePicture(".png", MakePng(1, 1, 8, 2, {0, 1, 2, 3}), &pal, true, false);
  ASSERT_TRUE(d.Bmp);
  EXPECT_EQ(d.Bmp->ColourAt(0, 0), 0x010203u);
  EXPECT_FALSE(d.PE_f);

  // Only the three exact extensions.
  EXPECT_FALSE(ALDecodePicture(".PNG", IndexedPng(), nullptr, false, false).Bmp);
  auto bad = ALDecodePicture(".png", std::vector<uint8_t>{1, 2, 3}, &pal, true, false);
  EXPECT_FALSE(bad.Bmp);
  EXPECT_FALSE(bad.Error.empty());
}

TEST(TexturePictures, ArchiveBmpWithShortColourTableKeepsItsPixels) {
  // 16 colours only: the palette replaces the table through the DIB class,
  // the pixels (right behind the short table) stay as they are.
  BmpSpec s;
  s.width = 4, s.height = 1, s.bits = 8, s.clrUsed = 16;
  s.table.assign(16, 0x00FF00);
  s.pixels = {0, 1, 15, 3};
  TPaletteData pal = GamePalette();
  auto d = ALDecodePicture(".bmp", MakeBmp(s), &pal, true, true);
  ASSERT_TRUE(d.Bmp) << d.Error;
  EXPECT_EQ(d.Bmp->Index(2, 0), 15);
  EXPECT_EQ(d.Bmp->ColourAt(2, 0), 0x0F00F0u);
  EXPECT_EQ(d.Bmp->GetPalette()->entries.size(), 256u);
  EXPECT_TRUE(d.PE_f);  // captured on the archive branch too
  EXPECT_EQ(d.PE, (ALPalEntry{0, 0, 255, 0}));

  // Run-length 8-bit entries are recoloured from an archive as well.
  s.compression = 1, s.pixels = {4, 7, 0, 1};
  d = ALDecodePicture(".bmp", MakeBmp(s), &pal, false, true);
  ASSERT_TRUE(d.Bmp) << d.Error;
  EXPECT_EQ(d.Bmp->ColourAt(3, 0), 0x0700F8u);
  // A 24-bit BMP passes through untouched.
  BmpSpec t;
  t.width = 1, t.height = 1, t.bits = 24, t.pixels = {1, 2, 3, 0};
  d = ALDecodePicture(".bmp", MakeBmp(t), &pal, true, false);
  ASSERT_TRUE(d.Bmp) << d.Error;
  EXPECT_EQ(d.Bmp->ColourAt(0, 0), 0x030201u);
  EXPECT_FALSE(d.PE_f);
}

TEST(TexturePictures, CuttingAndAlphaCompanions) {
  EXPECT_EQ(ALCompanionName("data\\bmp\\court.png"), "data\\bmp\\court_a.png");
  EXPECT_EQ(ALExtension("data\\a.b\\file"), "");
  EXPECT_EQ(ALCompanionName("noext"), "noext_a");

  plat::Bitmap src;
  src.SetPixelFormat(plat::PixelFormat::pf8bit);
  plat::PaletteEntry e[2] = {{1, 2, 3, 0}, {4, 5, 6, 0}};
  src.SetPalette(plat::CreatePalette(e));
  src.SetSize(4, 3);
  src.Index(3, 2) = 1;
  plat::Bitmap whole = SetColBmp(src, {});
  EXPECT_EQ(whole.GetPixelFormat(), plat::PixelFormat::pf32bit);
  EXPECT_EQ(whole.GetWidth(), 4);
  EXPECT_EQ(whole.Pixel(3, 2), 0x040506u);  // alpha 0
  EXPECT_EQ(whole.Pixel(0, 0), 0x010203u);
  // A rectangle reaching past the picture: the missing pixels are 0.
  plat::Bitmap part = SetColBmp(src, {3, 2, 6, 4});
  EXPECT_EQ(part.GetWidth(), 3);
  EXPECT_EQ(part.Pixel(0, 0), 0x040506u);
  EXPECT_EQ(part.Pixel(1, 0), 0u);
  EXPECT_EQ(part.Pixel(0, 1), 0u);
  EXPECT_EQ(SetColBmp(src, {}, 2).GetWidth(), 8);

  // A companion smaller than its picture: alpha 0 where it has no pixel.
  plat::Bitmap comp;
  comp.SetPixelFormat(plat::PixelFormat::pf32bit);
  comp.SetSize(2, 1);
  comp.Pixel(0, 0) = 0x0000FF, comp.Pixel(1, 0) = 0xFFFF80;
  MergeAlphaCompanion(whole, comp);
  EXPECT_EQ(whole.Pixel(0, 0), 0xFF010203u);
  EXPECT_EQ(whole.Pixel(1, 0) >> 24, 0x80u);
  EXPECT_EQ(whole.Pixel(3, 2), 0x040506u);
}

}  // namespace
