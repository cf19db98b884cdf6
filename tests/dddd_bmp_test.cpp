// BMP images loaded into display surfaces.
#include <gtest/gtest.h>

#include "graphics/dddd.h"
#include "tests/PictureBuild.h"
#include "tests/display_fixture.h"

namespace dd = plat::dd;

namespace {

void Put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  b[at] = uint8_t(v);
  b[at + 1] = uint8_t(v >> 8);
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

// A BMP of w x h at bpp whose stored row j, pixel x is pixel(x, j) (BGR(A)
// bytes or an index). A negative h stores rows top-down.
std::vector<uint8_t> Bmp(int32_t w, int32_t h, int bpp,
                         const std::function<uint32_t(int, int)>& pixel,
                         std::vector<uint32_t> table = {}) {
  const uint32_t row = ((uint32_t(w) * bpp / 8) + 3) & ~3u;
  const uint32_t rows = uint32_t(h < 0 ? -h : h);
  const uint32_t off = 54 + uint32_t(table.size()) * 4;
  std::vector<uint8_t> b(off + row * rows, 0);
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 2, uint32_t(b.size()));
  Put32(b, 10, off);
  Put32(b, 14, 40);
  Put32(b, 18, uint32_t(w));
  Put32(b, 22, uint32_t(h));
  Put16(b, 26, 1);
  Put16(b, 28, uint32_t(bpp));
  Put32(b, 46, uint32_t(table.size()));
  for (size_t i = 0; i < table.size(); ++i) Put32(b, 54 + i * 4, table[i]);
  for (uint32_t j = 0; j < rows; ++j) {
    for (int x = 0; x < w; ++x) {
      uint32_t v = pixel(x, int(j));
      for (int k = 0; k < bpp / 8; ++k) b[off + j * row + x * (bpp / 8) + k] = uint8_t(v >> (8 * k));
    }
  }
  return b;
}

}  // namespace

class DisplayBmpTest : public DisplayTest {
 protected:
  void SetUp() override {
    DisplayTest::SetUp();
    d = MakeDisplay(64, 32);
    DDDD_DebugMessage = true;
  }
  void TearDown() override {
    d.reset();
    DisplayTest::TearDown();
  }
  std::unique_ptr<TDDDD> d;
};

TEST_F(DisplayBmpTest, TrueColourFilesIncludingSmallOnes) {
  auto s = std::make_unique<TDDDDSurface>(d.get(), 4, 3, 0, "");
  // 24-bit, 4 x 3 = 102 bytes: smaller than a 256-entry colour table.
  auto b24 = Bmp(4, 3, 24, [](int x, int j) { return uint32_t(0x10 * x) << 16 | uint32_t(j); });
  ASSERT_LT(b24.size(), 1078u);
  ASSERT_TRUE(s->LoadFromBMPStream(b24.data(), b24.size()));
  // Stored row 0 is the bottom row.
  EXPECT_EQ(s->getPixel(3, 2), 0x300000u);
  EXPECT_EQ(s->getPixel(1, 0), 0x100002u);
  auto b32 = Bmp(4, 3, 32, [](int x, int) { return 0x80000000u | uint32_t(x + 1); });
  ASSERT_TRUE(s->LoadFromBMPStream(b32.data(), b32.size()));
  EXPECT_EQ(s->getPixel(2, 1), 0x000003u);  // no alpha in the display format
  // Top-down rows land the same way up.
  auto td = Bmp(4, -3, 24, [](int, int j) { return uint32_t(j + 1); });
  ASSERT_TRUE(s->LoadFromBMPStream(td.data(), td.size()));
  EXPECT_EQ(s->getPixel(0, 0), 1u);
  EXPECT_EQ(s->getPixel(0, 2), 3u);
}

TEST_F(DisplayBmpTest, PalettedAndSixteenBitFiles) {
  auto s = std::make_unique<TDDDDSurface>(d.get(), 2, 1, 0, "");
  auto b8 = Bmp(2, 1, 8, [](int x, int) { return uint32_t(x == 0 ? 1 : 5); },
                {0x000000, 0x00FF8000});
  ASSERT_TRUE(s->LoadFromBMPStream(b8.data(), b8.size()));
  EXPECT_EQ(s->getPixel(0, 0), 0xFF8000u);
  EXPECT_EQ(s->getPixel(1, 0), 0u);  // beyond the table: black
  auto b16 = Bmp(2, 1, 16, [](int x, int) { return x == 0 ? 0x7C00u : 0x0010u; });
  ASSERT_TRUE(s->LoadFromBMPStream(b16.data(), b16.size()));
  EXPECT_EQ(s->getPixel(0, 0), 0xFF0000u);
  EXPECT_EQ(s->getPixel(1, 0), 0x000084u);
}

TEST_F(DisplayBmpTest, BitFieldFilesDecodeEachChannelThroughItsMask) {
  struct Case {
    const char* layout;
    int bpp;
    uint32_t hdr;
    uint32_t masks[4];  // red, green, blue, alpha
    std::vector<uint32_t> px;
    std::vector<uint32_t> want;  // 0xAARRGGBB
  };
  const Case cases[] = {
      {"R5G6B5", 16, 40, {0xF800, 0x07E0, 0x001F}, {0xF800, 0x07FF, 0x8410},
       {0xFFFF0000, 0xFF00FFFF, 0xFF838183}},
      {"X1R5G5B5", 16, 40, {0x7C00, 0x03E0, 0x001F}, {0x7C00, 0x03FF, 0x4210},
       {0xFFFF0000, 0xFF00FFFF, 0xFF838383}},
      {"X4R4G4B4", 16, 40, {0x0F00, 0x00F0, 0x000F}, {0x0F00, 0x00FF, 0x0888},
       {0xFFFF0000, 0xFF00FFFF, 0xFF888888}},
      {"X8B8G8R8", 32, 40, {0x0000FF, 0x00FF00, 0xFF0000}, {0x0000FF, 0xFFFF00, 0x804020},
       {0xFFFF0000, 0xFF00FFFF, 0xFF204080}},
      {"X2R10G10B10", 32, 40, {0x3FF00000, 0x000FFC00, 0x000003FF},
       {0x3FF00000, 0x000FFFFF, 0x20080200}, {0xFFFF0000, 0xFF00FFFF, 0xFF808080}},
      {"A8R8G8B8", 32, 56, {0xFF0000, 0x00FF00, 0x0000FF, 0xFF000000},
       {0x80FF0000, 0x0000FFFF, 0xFF102030}, {0x80FF0000, 0x0000FFFF, 0xFF102030}},
  };
  // A surface with an alpha channel, so that every channel can be seen.
  plat::DdSurfaceDesc desc;
  desc.flags = dd::kSdCaps | dd::kSdWidth | dd::kSdHeight | dd::kSdPixelFormat;
  desc.caps = dd::kCapsOffscreenPlain | dd::kCapsSystemMemory;
  desc.width = 3;
  desc.height = 1;
  desc.pf = plat::fmt::ARGB8888();
  plat::SoftSurface* raw = nullptr;
  ASSERT_EQ(d->DDraw()->CreateSurface(desc, &raw), 0);
  const std::unique_ptr<plat::SoftSurface, void (*)(plat::SoftSurface*)> release(
      raw, [](plat::SoftSurface* p) { p->Release(); });
  TDDDDGenSurface s(d.get(), raw, 3, 1);
  auto file = [](int bpp, uint32_t hdr, const uint32_t (&masks)[4], const std::vector<uint32_t>& px) {
    picbuild::BmpSpec spec;
    spec.width = int32_t(px.size());
    spec.bits = uint16_t(bpp);
    spec.compression = 3;
    spec.masks.assign(masks, masks + (hdr >= 56 ? 4 : 3));
    for (uint32_t p : px)
      for (int k = 0; k < bpp / 8; ++k) spec.pixels.push_back(uint8_t(p >> (8 * k)));
    spec.pixels.resize((spec.pixels.size() + 3) & ~size_t(3));
    std::vector<uint8_t> b = picbuild::MakeBmp(spec);
    b[14] = uint8_t(hdr);  // a 56-byte header holds the four masks itself
    return b;
  };
  for (const Case& c : cases) {
    const auto b = file(c.bpp, c.hdr, c.masks, c.px);
    ASSERT_TRUE(s.LoadFromBMPStream(b.data(), b.size())) << c.layout;
    for (int x = 0; x < 3; ++x)
      EXPECT_EQ(Texel(&s, x, 0), c.want[size_t(x)]) << c.layout << " pixel " << x;
  }
  // A colour without a mask cannot be decoded: refused.
  const auto none = file(16, 40, {0xF800, 0, 0x001F}, {1, 2, 3});
  EXPECT_FALSE(s.LoadFromBMPStream(none.data(), none.size()));
}

TEST_F(DisplayBmpTest, SizesThatDifferFromTheSurface) {
  auto s = std::make_unique<TDDDDSurface>(d.get(), 4, 4, 0, "");
  // Taller: the bottom rows of the picture fill the surface.
  auto tall = Bmp(4, 6, 24, [](int, int j) { return uint32_t(j + 1); });
  ASSERT_TRUE(s->LoadFromBMPStream(tall.data(), tall.size()));
  EXPECT_EQ(s->getPixel(0, 3), 1u);
  EXPECT_EQ(s->getPixel(0, 0), 4u);
  // Shorter and wider: lands at the bottom, cut at the surface's width.
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) s->setPixel(x, y, 0x777777);
  auto flat = Bmp(9, 2, 24, [](int x, int) { return uint32_t(0x100 + x); });
  ASSERT_TRUE(s->LoadFromBMPStream(flat.data(), flat.size()));
  EXPECT_EQ(s->getPixel(0, 1), 0x777777u);
  EXPECT_EQ(s->getPixel(3, 2), 0x103u);
  EXPECT_EQ(s->getPixel(3, 3), 0x103u);
}

TEST_F(DisplayBmpTest, DamagedFilesAreRefusedWithoutReadingPastTheEnd) {
  auto s = std::make_unique<TDDDDSurface>(d.get(), 4, 4, 0, "");
  auto good = Bmp(4, 4, 24, [](int, int) { return 0x123456u; });
  std::vector<uint8_t> b = good;
  b[0] = 'X';
  EXPECT_FALSE(s->LoadFromBMPStream(b.data(), b.size()));
  EXPECT_FALSE(s->LoadFromBMPStream(good.data(), 10));
  EXPECT_FALSE(s->LoadFromBMPStream(good.data(), 30));
  b = good;
  Put32(b, 18, 0x40000000);  // a width whose rows overflow 32 bits
  EXPECT_FALSE(s->LoadFromBMPStream(b.data(), b.size()));
  b = good;
  Put32(b, 22, 0);
  EXPECT_FALSE(s->LoadFromBMPStream(b.data(), b.size()));
  b = good;
  Put32(b, 10, 0xFFFFFFF0);  // pixels past the end
  EXPECT_FALSE(s->LoadFromBMPStream(b.data(), b.size()));
  b = good;
  Put32(b, 30, 1);  // compressed
  EXPECT_FALSE(s->LoadFromBMPStream(b.data(), b.size()));
  // Rows cut short: the rows present are kept, the load reports failure.
  for (int x = 0; x < 4; ++x) s->setPixel(x, 0, 0);
  EXPECT_FALSE(s->LoadFromBMPStream(good.data(), good.size() - 4));
  EXPECT_EQ(s->getPixel(0, 3), 0x123456u);
  EXPECT_EQ(s->getPixel(0, 0), 0u);
  const std::string log = ReadLog();
  EXPECT_NE(log.find("\x95\x73\x90\xB3\x82\xC8" "BMP"), std::string::npos);  // 不正なBMP
  // An 8-bit table running past the data is refused as well.
  auto b8 = Bmp(2, 1, 8, [](int, int) { return 0u; }, std::vector<uint32_t>(4, 0));
  Put32(b8, 46, 200);
  EXPECT_FALSE(s->LoadFromBMPStream(b8.data(), 60));
}

TEST_F(DisplayBmpTest, WrongDepthGoesThroughTheCheckingRoutine) {
  auto s = std::make_unique<TDDDDSurface>(d.get(), 4, 4, 0, "");
  auto b = Bmp(4, 4, 24, [](int, int) { return 0u; });
  Put16(b, 28, 4);
  DDDD_HaltOnError = true;
  EXPECT_THROW(s->LoadFromBMPStream(b.data(), b.size()), DisplayHalt);
  EXPECT_NE(ReadLog().find("(Error Code(1))"), std::string::npos);
}

TEST_F(DisplayBmpTest, FilesAndArchivesAreRecordedForReloading) {
  auto s = std::make_unique<TDDDDSurface>(d.get(), 4, 4, 0, "");
  auto b = Bmp(4, 4, 24, [](int, int) { return 0x00AA00u; });
  const std::string path = (logDir / "pic.bmp").string();
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(b.data(), 1, b.size(), f);
  std::fclose(f);
  s->LoadBMP(path);
  EXPECT_EQ(s->getPixel(2, 2), 0x00AA00u);
  EXPECT_EQ(s->FBMPName, path);
  s->LoadBMP(path + ".missing");
  EXPECT_NE(ReadLog().find(".missing"), std::string::npos);

  int reads = 0;
  DDDD_SetArchiveReader([&](const std::string& a, const std::string& id)
                            -> std::optional<std::vector<uint8_t>> {
    ++reads;
    if (a != "data\\char.qx2" || id != "face") return std::nullopt;
    return Bmp(4, 4, 24, [](int, int) { return 0x0000BBu; });
  });
  s->LoadFromQDA("data\\char.qx2", "face");
  EXPECT_EQ(s->getPixel(1, 1), 0x0000BBu);
  EXPECT_EQ(s->FSourceType, ddsQDA);
  // After lost memory the keeper reloads from the archive.
  plat::SimulateSurfaceLoss();
  host.Paint();
  EXPECT_EQ(reads, 2);
  EXPECT_EQ(s->getPixel(1, 1), 0x0000BBu);
  DDDD_SetArchiveReader(nullptr);
}
