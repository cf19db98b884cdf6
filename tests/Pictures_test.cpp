#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "platform/Files.h"
#include "platform/Pictures.h"
#include "tests/PictureBuild.h"

using namespace picbuild;
using plat::PixelFormat;

namespace {

// A palette entry as 0xRRGGBB, for comparisons.
inline uint32_t Rgb(const plat::PaletteEntry& e) {
  return uint32_t(e.red) << 16 | uint32_t(e.green) << 8 | e.blue;
}

plat::DecodedPicture Bmp(const BmpSpec& s) { return plat::DecodeBmp(MakeBmp(s)); }

// ------------------------------------------------------------------ BMP

TEST(BmpDecode, IndexedDepthsKeepIndicesAndPalette) {
  // 1 bit, 3x2 bottom-up: bottom row 1,0,1 / top row 0,1,0.
  BmpSpec s;
  s.width = 3, s.height = 2, s.bits = 1;
  s.table = {0x000000, 0xFF8000};
  s.pixels = {0xA0, 0, 0, 0, 0x40, 0, 0, 0};
  auto d = Bmp(s);
  ASSERT_TRUE(d) << d.error;
  EXPECT_EQ(d.bitmap->GetPixelFormat(), PixelFormat::pf1bit);
  EXPECT_EQ(d.bitmap->Index(1, 0), 1);
  EXPECT_EQ(d.bitmap->Index(0, 1), 1);
  EXPECT_EQ(d.bitmap->Index(1, 1), 0);
  EXPECT_EQ(d.bitmap->ColourAt(1, 0), 0xFF8000u);

  // 4 bit, top-down.
  s = {};
  s.width = 3, s.height = -1, s.bits = 4;
  s.table = std::vector<uint32_t>(16, 0x123456);
  s.pixels = {0x1F, 0x20, 0, 0};
  d = Bmp(s);
  ASSERT_TRUE(d) << d.error;
  EXPECT_EQ(d.bitmap->GetPixelFormat(), PixelFormat::pf4bit);
  EXPECT_EQ(d.bitmap->Index(0, 0), 1);
  EXPECT_EQ(d.bitmap->Index(1, 0), 15);
  EXPECT_EQ(d.bitmap->Index(2, 0), 2);

  // 8 bit with a short table: indices past it read as black.
  s = {};
  s.width = 2, s.height = 1, s.bits = 8, s.clrUsed = 2;
  s.table = {0x0000FF, 0x00FF00};
  s.pixels = {1, 200, 0, 0};
  d = Bmp(s);
  ASSERT_TRUE(d) << d.error;
  EXPECT_EQ(d.bitmap->GetPalette()->entries.size(), 2u);
  EXPECT_EQ(d.bitmap->ColourAt(0, 0), 0x00FF00u);
  EXPECT_EQ(d.bitmap->ColourAt(1, 0), 0u);
}

TEST(BmpDecode, TrueColourDepths) {
  BmpSpec s;
  s.width = 2, s.height = 2, s.bits = 24;
  s.pixels = {1, 2, 3, 4, 5, 6, 0, 0,   // bottom row
              7, 8, 9, 10, 11, 12, 0, 0};
  auto d = Bmp(s);
  ASSERT_TRUE(d) << d.error;
  EXPECT_EQ(d.bitmap->Pixel(0, 1), 0x030201u);
  EXPECT_EQ(d.bitmap->Pixel(1, 0), 0x0C0B0Au);

  // 16 bits without masks are 5-5-5: 31 -> 255, 16 -> 131.
  s = {};
  s.width = 2, s.height = 1, s.bits = 16;
  s.pixels = {0x1F, 0x7C, 0x10, 0x00};  // 0x7C1F, 0x0010
  d = Bmp(s);
  ASSERT_TRUE(d) << d.error;
  EXPECT_EQ(d.bitmap->GetPixelFormat(), PixelFormat::pf24bit);
  EXPECT_EQ(d.bitmap->Pixel(0, 0), 0xFF00FFu);
  EXPECT_EQ(d.bitmap->Pixel(1, 0), 0x000083u);  // 16 of 31 -> 131

  // 32 bits without masks are B, G, R and alpha bytes.
  s = {};
  s.width = 1, s.height = 1, s.bits = 32;
  s.pixels = {1, 2, 3, 4};
  d = Bmp(s);
  ASSERT_TRUE(d) << d.error;
  EXPECT_EQ(d.bitmap->Pixel(0, 0), 0x04030201u);
}

TEST(BmpDecode, BitFieldsAndLargeHeaders) {
  // 5-6-5 masks after a 40-byte header.
  BmpSpec s;
  s.width = 1, s.height = 1, s.bits = 16, s.compression = 3;
  s.masks = {0xF800, 0x07E0, 0x001F};
  s.pixels = {0xE0, 0x07, 0, 0};  // green full
  auto d = Bmp(s);
  ASSERT_TRUE(d) << d.error;
  EXPECT_EQ(d.bitmap->Pixel(0, 0), 0x00FF00u);

  // A 124-byte header carries its own masks; the toolkit reads it.
  s = {};
  s.headerSize = 124, s.width = 1, s.height = 1, s.bits = 32, s.compression = 3;
  auto b = MakeBmp(s);
  // masks at header offsets 40..55: red, green, blue, alpha
  uint32_t masks[4] = {0x0000FF00, 0x00FF0000, 0xFF000000, 0x000000FF};
  for (int i = 0; i < 4; ++i)
    for (int k = 0; k < 4; ++k) b[14 + 40 + 4 * i + k] = uint8_t(masks[i] >> (8 * k));
  b.insert(b.end(), {0x11, 0x22, 0x33, 0x44});
  d = plat::DecodeBmp(b);
  ASSERT_TRUE(d) << d.error;
  EXPECT_EQ(d.bitmap->GetPixelFormat(), PixelFormat::pf32bit);
  EXPECT_EQ(d.bitmap->Pixel(0, 0), 0x11223344u);
}

TEST(BmpDecode, Os2Header) {
  Bytes f;
  f.str("BM").u32(0).u32(0).u32(14 + 12 + 768);
  f.u32(12).u16(2).u16(1).u16(1).u16(8);
  for (int i = 0; i < 256; ++i) f.u8(i).u8(0).u8(255 - i);  // B, G, R
  f.u8(5).u8(250).u8(0).u8(0);
  auto d = plat::DecodeBmp(f.v);
  ASSERT_TRUE(d) << d.error;
  EXPECT_EQ(d.bitmap->Index(1, 0), 250);
  EXPECT_EQ(d.bitmap->ColourAt(0, 0), uint32_t(250) << 16 | 5u);
}

TEST(BmpDecode, RunLengthDataStaysInsideThePicture) {
  // RLE8 4x3: a run, end of line, a delta, an absolute run that overflows the
  // row (clipped), a run past the top (ignored), end of picture.
  BmpSpec s;
  s.width = 4, s.height = 3, s.bits = 8, s.compression = 1, s.clrUsed = 1;
  s.table = {0};
  s.pixels = {3, 7,  0, 0,  0, 2, 1, 0,  0, 5, 1, 2, 3, 4, 5, 0,  0, 0,  0, 0,  9, 9,  0, 1};
  auto d = Bmp(s);
  ASSERT_TRUE(d) << d.error;
  const auto& b = *d.bitmap;
  // bottom row (y 2): 7 7 7 0
  EXPECT_EQ(b.Index(0, 2), 7);
  EXPECT_EQ(b.Index(2, 2), 7);
  EXPECT_EQ(b.Index(3, 2), 0);
  // after delta (1,0) on row 1: absolute 1 2 3 4 5 from x 1 (5 clipped)
  EXPECT_EQ(b.Index(0, 1), 0);
  EXPECT_EQ(b.Index(1, 1), 1);
  EXPECT_EQ(b.Index(3, 1), 3);
  EXPECT_EQ(b.Index(0, 0), 0);  // rows past the top are dropped

  // RLE4 runs alternate two nibbles.
  s = {};
  s.width = 5, s.height = 1, s.bits = 4, s.compression = 2;
  s.table = std::vector<uint32_t>(16, 0);
  s.pixels = {5, 0x12, 0, 1};
  d = Bmp(s);
  ASSERT_TRUE(d) << d.error;
  EXPECT_EQ(d.bitmap->Index(0, 0), 1);
  EXPECT_EQ(d.bitmap->Index(1, 0), 2);
  EXPECT_EQ(d.bitmap->Index(4, 0), 1);

  // Data ending in the middle of a command stop quietly.
  s.pixels = {0, 3, 0x12};
  EXPECT_TRUE(Bmp(s));
}

TEST(BmpDecode, EndlessRunsAndDeltasStopAtTheRowsEnd) {
  // A 1x1 picture whose first pixel is 5, followed by enough 255-pixel runs
  // (or 255-column deltas) to carry a 32-bit column past 2^31, then a run of 9.
  const size_t count = (size_t(1) << 31) / 255 + 1000;
  for (bool four : {false, true}) {
    for (bool delta : {false, true}) {
      SCOPED_TRACE(std::string(four ? "RLE4" : "RLE8") + (delta ? " deltas" : " runs"));
      BmpSpec s;
      s.bits = four ? 4 : 8, s.compression = four ? 2 : 1;
      s.table = std::vector<uint32_t>(four ? 16 : 256, 0);
      const std::vector<uint8_t> step = delta ? std::vector<uint8_t>{0, 2, 255, 0}
                                              : std::vector<uint8_t>{255, uint8_t(four ? 0x99 : 9)};
      s.pixels = {1, uint8_t(four ? 0x50 : 5)};
      s.pixels.reserve(2 + step.size() * count + 4);
      for (size_t k = 0; k < count; ++k) s.pixels.insert(s.pixels.end(), step.begin(), step.end());
      s.pixels.insert(s.pixels.end(), {1, uint8_t(four ? 0x90 : 9), 0, 1});
      auto d = Bmp(s);
      ASSERT_TRUE(d) << d.error;
      EXPECT_EQ(d.bitmap->Index(0, 0), 5);
    }
  }
}

TEST(BmpDecode, DamagedFilesAreRefused) {
  BmpSpec good;
  good.width = 4, good.height = 4, good.bits = 24;
  good.pixels.assign(48, 0x55);
  ASSERT_TRUE(Bmp(good));

  auto bytes = MakeBmp(good);
  for (size_t cut : {size_t(0), size_t(10), size_t(20), size_t(54), bytes.size() - 1}) {
    std::vector<uint8_t> b(bytes.begin(), bytes.begin() + cut);
    EXPECT_FALSE(plat::DecodeBmp(b)) << "cut at " << cut;
  }
  auto far = bytes;
  far[12] = 0x10;  // pixel data offset past the end of the file
  EXPECT_FALSE(plat::DecodeBmp(far));
  BmpSpec s = good;
  s.offBits = 20;  // inside the info header
  EXPECT_FALSE(Bmp(s));
  s = good, s.width = 0;
  EXPECT_FALSE(Bmp(s));
  s = good, s.height = INT32_MIN;
  EXPECT_FALSE(Bmp(s));
  s = good, s.width = 30000, s.height = 30000;
  EXPECT_FALSE(Bmp(s));
  s = good, s.bits = 7;
  EXPECT_FALSE(Bmp(s));
  s = good, s.headerSize = 41;
  EXPECT_FALSE(Bmp(s));
  s = good, s.compression = 1;  // RLE8 with 24 bits
  EXPECT_FALSE(Bmp(s));
  s = good, s.compression = 4;  // embedded JPEG
  EXPECT_FALSE(Bmp(s));
  s = good, s.bits = 8, s.compression = 1, s.height = -4;  // RLE8 from the top down
  EXPECT_NE(Bmp(s).error.find("run-length data cannot be top-down"), std::string::npos) << Bmp(s).error;
  // An 8-bit picture whose table would run past the end of the file.
  s = {};
  s.bits = 8, s.clrUsed = 0x40000000;
  s.pixels = {0, 0, 0, 0};
  EXPECT_FALSE(Bmp(s));
}

TEST(BmpDecode, PackedDibHasNoFileHeader) {
  BmpSpec s;
  s.width = 2, s.height = 1, s.bits = 8, s.clrUsed = 1;
  s.table = {0xABCDEF};
  s.pixels = {0, 0, 0, 0};
  auto file = MakeBmp(s);
  std::vector<uint8_t> packed(file.begin() + 14, file.end());
  auto d = plat::DecodePackedDib(packed);
  ASSERT_TRUE(d) << d.error;
  EXPECT_EQ(d.bitmap->ColourAt(1, 0), 0xABCDEFu);
  packed.resize(packed.size() - 2);
  EXPECT_FALSE(plat::DecodePackedDib(packed));
}

// ------------------------------------------------------------------ PNG

std::vector<uint8_t> IndexedPng2Bit() {
  // 3x2, 2-bit indices: row 0 = 0,1,2; row 1 = 3,3,0.
  std::vector<uint8_t> rows = {0, 0b00011000, 0, 0b11110000};
  return MakePng(3, 2, 2, 3, rows, {0x000000, 0xFF0000, 0x00FF00, 0x0000FF});
}

TEST(PngDecode, IndexedPicturesKeepTheirIndicesAndPalette) {
  auto d = plat::DecodePng(IndexedPng2Bit());
  ASSERT_TRUE(d) << d.error;
  const auto& b = *d.bitmap;
  EXPECT_EQ(b.GetPixelFormat(), PixelFormat::pf8bit);
  EXPECT_EQ(b.GetWidth(), 3);
  EXPECT_EQ(b.Index(1, 0), 1);
  EXPECT_EQ(b.Index(2, 0), 2);
  EXPECT_EQ(b.Index(0, 1), 3);
  ASSERT_EQ(b.GetPalette()->entries.size(), 4u);
  EXPECT_EQ(Rgb(b.GetPalette()->entries[1]), 0xFF0000u);

  auto c = plat::DecodePng(IndexedPng2Bit(), false);
  ASSERT_TRUE(c) << c.error;
  EXPECT_EQ(c.bitmap->GetPixelFormat(), PixelFormat::pf32bit);
  EXPECT_EQ(c.bitmap->Pixel(2, 0), 0x00FF00u);
  EXPECT_EQ(c.bitmap->Pixel(0, 1), 0x0000FFu);
}

TEST(PngDecode, AlphaAndTransparencyAreIgnored) {
  // RGBA: colours kept as stored, alpha 0.
  std::vector<uint8_t> rows = {0, 10, 20, 30, 128, 40, 50, 60, 0};
  auto d = plat::DecodePng(MakePng(2, 1, 8, 6, rows));
  ASSERT_TRUE(d) << d.error;
  EXPECT_EQ(d.bitmap->Pixel(0, 0), 0x0A141Eu);
  EXPECT_EQ(d.bitmap->Pixel(1, 0), 0x28323Cu);

  // 16-bit grey: expanded to RGB, high byte kept.
  rows = {0, 0x80, 0xFF, 0x12, 0x34};
  d = plat::DecodePng(MakePng(2, 1, 16, 0, rows));
  ASSERT_TRUE(d) << d.error;
  EXPECT_EQ(d.bitmap->Pixel(0, 0), 0x808080u);
  EXPECT_EQ(d.bitmap->Pixel(1, 0), 0x121212u);

  // Indexed with tRNS: indices and palette as they are.
  d = plat::DecodePng(MakePng(1, 1, 8, 3, {0, 1}, {0x111111, 0x222222}, {0, 0}));
  ASSERT_TRUE(d) << d.error;
  EXPECT_EQ(d.bitmap->Index(0, 0), 1);
}

TEST(PngDecode, DamagedFilesAreRefused) {
  auto good = IndexedPng2Bit();
  for (size_t cut : {size_t(0), size_t(7), size_t(20), size_t(40), good.size() - 13}) {
    std::vector<uint8_t> b(good.begin(), good.begin() + cut);
    auto d = plat::DecodePng(b);
    EXPECT_FALSE(d) << "cut at " << cut;
    EXPECT_FALSE(d.error.empty());
  }
  auto bad = good;
  bad[29] ^= 1;  // IHDR CRC
  EXPECT_FALSE(plat::DecodePng(bad));
  // Too few rows in the data.
  EXPECT_FALSE(plat::DecodePng(MakePng(2, 3, 8, 2, {0, 1, 2, 3, 4, 5, 6})));
  // Larger than the size limit.
  uint64_t old = plat::PictureSizeLimit();
  plat::SetPictureSizeLimit(4);
  EXPECT_FALSE(plat::DecodePng(MakePng(3, 2, 8, 0, {0, 1, 2, 3, 0, 4, 5, 6})));
  plat::SetPictureSizeLimit(old);
}

// ------------------------------------------------------------------ JPEG

TEST(JpegDecode, RoundTripAndDamage) {
  plat::Bitmap src;
  src.SetPixelFormat(PixelFormat::pf32bit);
  src.SetSize(16, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) src.Pixel(x, y) = x < 8 ? 0xC02020u : 0x2020C0u;
  auto jpg = plat::EncodeJpeg(src, 95);
  ASSERT_GT(jpg.size(), 100u);
  auto d = plat::DecodeJpeg(jpg);
  ASSERT_TRUE(d) << d.error;
  EXPECT_EQ(d.bitmap->GetWidth(), 16);
  uint32_t p = d.bitmap->Pixel(2, 2);
  EXPECT_NEAR(int(p >> 16 & 255), 0xC0, 12);
  EXPECT_NEAR(int(p & 255), 0x20, 12);
  EXPECT_EQ(p >> 24, 0u);

  for (size_t cut : {size_t(2), size_t(100), jpg.size() / 2, jpg.size() - 2}) {
    std::vector<uint8_t> b(jpg.begin(), jpg.begin() + cut);
    EXPECT_FALSE(plat::DecodeJpeg(b)) << "cut at " << cut;
  }
  std::vector<uint8_t> garbage(64, 0xFF);
  garbage[1] = 0xD8;
  EXPECT_FALSE(plat::DecodeJpeg(garbage));
}

// ------------------------------------------------------------------ classes

TEST(PictureClasses, FilesDecodeByExactExtension) {
  auto dir = std::filesystem::temp_directory_path() / ("qorv_pic_" + std::to_string(std::random_device{}()));
  std::filesystem::create_directories(dir);
  auto png = IndexedPng2Bit();
  for (const char* name : {"a.png", "b.PNG"}) {
    std::ofstream(dir / name, std::ios::binary).write(reinterpret_cast<const char*>(png.data()), png.size());
  }
  std::string base = dir.string() + "/";
  EXPECT_TRUE(plat::DecodePictureFile(base + "a.png"));
  auto upper = plat::DecodePictureFile(base + "b.PNG");
  EXPECT_FALSE(upper);
  EXPECT_NE(upper.error.find("extension"), std::string::npos);
  EXPECT_FALSE(plat::DecodePictureFile(base + "missing.png"));

  plat::PngImage img;
  img.LoadFromFile(base + "a.png");
  plat::Bitmap bmp;
  bmp.Assign(&img);
  EXPECT_EQ(bmp.GetPixelFormat(), PixelFormat::pf8bit);
  EXPECT_EQ(bmp.Index(2, 0), 2);
  EXPECT_THROW(img.LoadFromFile(base + "missing.png"), plat::PictureError);
  EXPECT_EQ(img.GetWidth(), 3);  // unchanged by the failed load
  std::filesystem::remove_all(dir);
}

TEST(PictureClasses, CanvasStretchesMirrorsAndClips) {
  plat::Bitmap src;
  src.SetPixelFormat(PixelFormat::pf32bit);
  src.SetSize(2, 1);
  src.Pixel(0, 0) = 0x0000FF, src.Pixel(1, 0) = 0xFF0000;
  plat::Bitmap dst;
  dst.SetPixelFormat(PixelFormat::pf32bit);
  dst.SetSize(4, 2);
  dst.GetCanvas().StretchDraw({4, 0, 0, 2}, src);  // mirrored, doubled
  EXPECT_EQ(dst.Pixel(0, 0), 0xFF0000u);
  EXPECT_EQ(dst.Pixel(1, 1), 0xFF0000u);
  EXPECT_EQ(dst.Pixel(3, 0), 0x0000FFu);
  dst.GetCanvas().StretchDraw({-10, -10, 100, 100}, src);  // far outside: clipped
  dst.GetCanvas().BrushColor = 0x0000FF;                    // red as 0x00BBGGRR
  dst.GetCanvas().FillRect({3, 1, 9, 9});
  EXPECT_EQ(dst.Pixel(3, 1), 0xFF0000u);
  EXPECT_EQ(dst.Pixel(2, 1), 0x0000FFu);
  // On an indexed picture a colour takes the nearest palette entry, to the
  // last bit of each channel.
  plat::Bitmap ix;
  ix.SetPixelFormat(PixelFormat::pf8bit);
  ix.SetSize(3, 1);
  const plat::PaletteEntry e[4] = {{0, 0, 0, 0}, {1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}};
  ix.SetPalette(plat::CreatePalette(e));
  EXPECT_TRUE(ix.PaletteModified);
  for (int x = 0; x < 3; ++x) {
    ix.GetCanvas().BrushColor = 1u << (8 * x);
    ix.GetCanvas().FillRect({x, 0, x + 1, 1});
    EXPECT_EQ(ix.Index(x, 0), x + 1) << x;
  }
}

// Palettes hold 1 to 256 entries and are read back in ranges; a bitmap
// changing between indexed and true colour keeps its colours, and every
// change of format, size or palette is announced once.
TEST(PictureClasses, BitmapFormatsSizesAndChangeNotices) {
  const plat::PaletteEntry e[4] = {{0, 0, 0, 0}, {255, 0, 0, 0}, {0, 255, 0, 0}, {0, 0, 255, 0}};
  EXPECT_EQ(plat::CreatePalette({}), nullptr);
  EXPECT_EQ(plat::CreatePalette(std::vector<plat::PaletteEntry>(257)), nullptr);
  EXPECT_NE(plat::CreatePalette(std::vector<plat::PaletteEntry>(256)), nullptr);
  const plat::HPalette pal = plat::CreatePalette(e);
  plat::PaletteEntry out[4] = {};
  EXPECT_EQ(plat::GetPaletteEntries(pal, 1, 9, out), 3);
  EXPECT_EQ(Rgb(out[0]), 0xFF0000u);
  EXPECT_EQ(Rgb(out[2]), 0x0000FFu);
  EXPECT_EQ(plat::GetPaletteEntries(pal, 3, 1, out), 1);
  EXPECT_EQ(Rgb(out[0]), 0x0000FFu);
  for (auto [start, count] : {std::pair{4, 1}, {-1, 2}, {0, 0}})
    EXPECT_EQ(plat::GetPaletteEntries(pal, start, count, out), 0) << start << "," << count;
  EXPECT_EQ(plat::GetPaletteEntries(nullptr, 0, 1, out), 0);

  plat::Bitmap b;
  int notices = 0;
  b.OnChange = [&](plat::Graphic& g) {
    EXPECT_EQ(&g, &b);
    ++notices;
  };
  b.SetPixelFormat(PixelFormat::pf8bit);
  b.SetPalette(pal);
  b.SetSize(3, 1);
  EXPECT_EQ(notices, 3);
  EXPECT_TRUE(b.Modified);
  b.SetSize(3, 1);
  b.SetPixelFormat(PixelFormat::pf8bit);
  EXPECT_EQ(notices, 3) << "nothing changed";
  b.Index(0, 0) = 1, b.Index(1, 0) = 3, b.Index(2, 0) = 7;  // 7: past the palette
  EXPECT_EQ((std::vector<uint32_t>{b.ColourAt(0, 0), b.ColourAt(2, 0), b.ColourAt(-1, 0), b.ColourAt(3, 0),
                                   b.ColourAt(0, 1)}),
            (std::vector<uint32_t>{0xFF0000, 0, 0, 0, 0}));
  // Grown, the old pixels stay where they were and the new ones are 0.
  b.SetSize(4, 2);
  EXPECT_EQ((std::vector<int>{b.Index(1, 0), b.Index(3, 0), b.Index(1, 1)}), (std::vector<int>{3, 0, 0}));
  b.SetPixelFormat(PixelFormat::pf32bit);
  EXPECT_EQ((std::vector<uint32_t>{b.Pixel(0, 0), b.Pixel(1, 0), b.Pixel(3, 1)}),
            (std::vector<uint32_t>{0xFF0000, 0x0000FF, 0}));
  b.Pixel(2, 0) = 0x10F010;  // nearest: green
  b.SetSize(3, 1);
  EXPECT_EQ(b.Pixel(1, 0), 0x0000FFu);
  b.SetPixelFormat(PixelFormat::pf8bit);
  EXPECT_EQ((std::vector<int>{b.Index(0, 0), b.Index(1, 0), b.Index(2, 0)}), (std::vector<int>{1, 3, 2}));
  // A smaller index range drops only the indices that no longer fit.
  b.Index(0, 0) = 15, b.Index(1, 0) = 16, b.Index(2, 0) = 1;
  b.SetPixelFormat(PixelFormat::pf4bit);
  EXPECT_EQ(b.Index(0, 0), 15);
  EXPECT_EQ(b.Index(1, 0), 0);
  b.SetPixelFormat(PixelFormat::pf1bit);
  EXPECT_EQ(b.Index(0, 0), 0);
  EXPECT_EQ(b.Index(2, 0), 1);
  b.SetPixelFormat(PixelFormat::pf4bit);
  EXPECT_EQ(notices, 10);
  b.SetSize(-4, 2);
  EXPECT_TRUE(b.GetEmpty());
  EXPECT_EQ(b.GetWidth(), 0);
  EXPECT_THROW(b.SetSize(32768, 1), plat::PictureError);
  EXPECT_THROW(b.SetSize(1, 32768), plat::PictureError);
  const uint64_t limit = plat::PictureSizeLimit();
  plat::SetPictureSizeLimit(6);
  b.SetSize(3, 2);
  EXPECT_THROW(b.SetSize(7, 1), plat::PictureError);
  plat::SetPictureSizeLimit(limit);
  EXPECT_EQ(b.GetWidth(), 3);

  // Assigning copies the picture (a copy stands alone) and is announced;
  // nothing assigned empties it.
  plat::Bitmap copy(b);
  copy.Index(0, 0) = 9;
  EXPECT_EQ(b.Index(0, 0), 0);
  notices = 0;
  b.Assign(&copy);
  EXPECT_EQ(b.Index(0, 0), 9);
  EXPECT_EQ(b.GetPixelFormat(), PixelFormat::pf4bit);
  b.Assign(&b);
  EXPECT_EQ(b.Index(0, 0), 9);
  b.Assign(nullptr);
  EXPECT_TRUE(b.GetEmpty());
  EXPECT_EQ(b.GetPalette(), nullptr);
  EXPECT_EQ(notices, 3);
  plat::JpegImage jpeg;
  EXPECT_THROW(jpeg.Assign(nullptr), plat::PictureError);
  EXPECT_THROW(jpeg.Assign(&b), plat::PictureError) << "a bitmap cannot become a JPEG";
  EXPECT_THROW(jpeg.AssignTo(plat::TheClipboard()), plat::PictureError);
  EXPECT_THROW(plat::PngImage().AssignTo(plat::TheClipboard()), plat::PictureError);
  EXPECT_EQ(&plat::TheClipboard(), &plat::TheClipboard());
}

// A JPEG picture: loading it is announced once, it hands its pixels to a
// bitmap, and a damaged file leaves it as it was.
TEST(PictureClasses, JpegLoadsAnnouncesAndAssigns) {
  plat::Bitmap src;
  src.SetPixelFormat(PixelFormat::pf32bit);
  src.SetSize(8, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) src.Pixel(x, y) = 0x30C030;
  const auto jpg = plat::EncodeJpeg(src, 100);
  ASSERT_FALSE(jpg.empty());
  EXPECT_TRUE(plat::EncodeJpeg(plat::Bitmap(), 90).empty());
  plat::JpegImage img;
  int notices = 0;
  img.OnChange = [&](plat::Graphic&) { ++notices; };
  img.LoadFromBytes(jpg);
  EXPECT_EQ(notices, 1);
  EXPECT_TRUE(img.Modified);
  EXPECT_EQ(img.GetWidth() * 100 + img.GetHeight(), 808);
  EXPECT_FALSE(img.GetEmpty());
  plat::Bitmap bmp;
  bmp.Assign(&img);
  ASSERT_EQ(bmp.GetWidth(), 8);
  EXPECT_EQ(bmp.GetPixelFormat(), PixelFormat::pf32bit);
  EXPECT_NEAR(int(bmp.Pixel(7, 7) >> 8 & 255), 0xC0, 4);
  EXPECT_NEAR(int(bmp.Pixel(7, 7) >> 16 & 255), 0x30, 4);
  std::vector<uint8_t> cut(jpg.begin(), jpg.begin() + long(jpg.size() / 2));
  EXPECT_THROW(img.LoadFromBytes(cut), plat::PictureError);
  EXPECT_EQ(notices, 1);
  EXPECT_EQ(img.GetWidth(), 8);

  // Files are told apart by their extension: a JPEG and a BMP file.
  auto dir = std::filesystem::temp_directory_path() / ("qorv_jpg_" + std::to_string(std::random_device{}()));
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "a.jpg", std::ios::binary)
      .write(reinterpret_cast<const char*>(jpg.data()), long(jpg.size()));
  BmpSpec s;
  s.width = 1, s.height = 1, s.bits = 24;
  s.pixels = {1, 2, 3, 0};
  const auto bmpFile = MakeBmp(s);
  std::ofstream(dir / "b.bmp", std::ios::binary)
      .write(reinterpret_cast<const char*>(bmpFile.data()), long(bmpFile.size()));
  const auto d = plat::DecodePictureFile(dir.string() + "/a.jpg");
  ASSERT_TRUE(d) << d.error;
  EXPECT_EQ(d.bitmap->GetWidth(), 8);
  const auto e = plat::DecodePictureFile(dir.string() + "/b.bmp");
  ASSERT_TRUE(e) << e.error;
  EXPECT_EQ(e.bitmap->Pixel(0, 0), 0x030201u);
  plat::Bitmap loaded;
  loaded.LoadFromFile(dir.string() + "/b.bmp");
  EXPECT_EQ(loaded.Pixel(0, 0), 0x030201u);
  EXPECT_TRUE(loaded.PaletteModified);
  EXPECT_THROW(loaded.LoadFromBytes(std::vector<uint8_t>(10, 0)), plat::PictureError);
  const auto none = plat::DecodePictureFile(dir.string() + "/c.gif");
  EXPECT_EQ(none.error, "Unknown picture extension \".gif\"");
  std::filesystem::remove_all(dir);
}

}  // namespace
