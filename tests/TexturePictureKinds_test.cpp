// Every picture kind the game can load (indexed and true-colour PNG, JPEG,
// BMP at 24, 8 and run-length 4 bits), from a file and from an archive entry,
// reaches a texture on both renderer paths with the right colours.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>

#include "files/QDArc.h"
#include "graphics/AlphaLib32.h"
#include "graphics/dddd.h"
#include "platform/Pictures.h"
#include "platform/SoftDraw.h"
#include "tests/PictureBuild.h"
#include "tests/display_fixture.h"

using namespace picbuild;

namespace {

struct Kind {
  const char* name;  // entry and file name; its extension picks the decoder
  std::vector<uint8_t> bytes;
  int tolerance;     // JPEG is lossy
};

// 8x8 pictures whose pixel (5, 3) is orange (0xF08020) and the rest dark blue.
std::vector<Kind> Kinds() {
  const uint32_t kOrange = 0xF08020, kBlue = 0x102060;
  auto colourAt = [&](int x, int y) { return x == 5 && y == 3 ? kOrange : kBlue; };
  std::vector<uint8_t> rgbRows, idxRows;
  for (int y = 0; y < 8; ++y) {
    rgbRows.push_back(0), idxRows.push_back(0);
    for (int x = 0; x < 8; ++x) {
      const uint32_t c = colourAt(x, y);
      rgbRows.insert(rgbRows.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
      idxRows.push_back(c == kOrange ? 1 : 0);
    }
  }
  plat::Bitmap jpgSrc;
  jpgSrc.SetPixelFormat(plat::PixelFormat::pf32bit);
  jpgSrc.SetSize(8, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) jpgSrc.Pixel(x, y) = x >= 4 ? kOrange : kBlue;

  BmpSpec b24;
  b24.width = 8, b24.height = 8, b24.bits = 24;
  for (int y = 7; y >= 0; --y)  // bottom-up
    for (int x = 0; x < 8; ++x) {
      const uint32_t c = colourAt(x, y);
      b24.pixels.insert(b24.pixels.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16)});
    }
  BmpSpec b8;
  b8.width = 8, b8.height = -8, b8.bits = 8, b8.clrUsed = 2, b8.table = {kBlue, kOrange};
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) b8.pixels.push_back(colourAt(x, y) == kOrange ? 1 : 0);
  BmpSpec b4;  // run-length 4 bits: rows of blue, row 3 (from the top) has orange at x 5
  b4.width = 8, b4.height = 8, b4.bits = 4, b4.compression = 2, b4.clrUsed = 2;
  b4.table = {kBlue, kOrange};
  for (int row = 0; row < 8; ++row) {  // bottom row first
    if (row == 4) b4.pixels.insert(b4.pixels.end(), {5, 0x00, 1, 0x11, 2, 0x00, 0, 0});
    else b4.pixels.insert(b4.pixels.end(), {8, 0x00, 0, 0});
  }
  b4.pixels.insert(b4.pixels.end(), {0, 1});
  return {
      {"rgb.png", MakePng(8, 8, 8, 2, rgbRows), 0},
      {"idx.png", MakePng(8, 8, 8, 3, idxRows, {kBlue, kOrange}), 0},
      {"photo.jpg", plat::EncodeJpeg(jpgSrc, 95), 24},
      {"b24.bmp", MakeBmp(b24), 0},
      {"b8.bmp", MakeBmp(b8), 0},
      {"b4.bmp", MakeBmp(b4), 0},
  };
}

class PictureKindsTest : public DisplayTest {
 protected:
  void TearDown() override {
    for (auto& t : textures) al->FreeTexture(*t);
    textures.clear();
    al.reset();
    disp.reset();
    DisplayTest::TearDown();
  }
  void Renderer(bool use3D) {
    for (auto& t : textures) al->FreeTexture(*t);
    textures.clear();
    al.reset();
    disp.reset();  // one display per window
    disp = std::make_unique<TDDDD>(host);
    disp->VsyncAtWindowed = false;
    disp->Use3D = use3D;
    disp->D3DOptions = 0;
    disp->SetDebugOption(0);
    disp->DoInit([&] { disp->WindowMode(512, 240); });
    al = std::make_unique<TAlpha32>(disp.get(), nullptr, !use3D, false, 1, 100);
  }
  // The colour of texel (x, y) of tile [0][0], as 0xRRGGBB.
  static uint32_t Texel(const TALTexture& t, int x, int y) {
    TDDDDGenSurface* s = t.Tile(0, 0);
    plat::DdSurfaceDesc d;
    if (!s || s->Lock(d) != 0 || !d.surface) return 0xDEADBEEF;
    uint32_t raw = 0;
    std::memcpy(&raw, d.surface + size_t(y) * d.pitch + size_t(x) * (d.pf.bitCount / 8), d.pf.bitCount / 8);
    s->UnLock();
    uint8_t a, r, g, b;
    plat::DecodePixel(s->Surface()->Format(), raw, a, r, g, b);
    return uint32_t(r) << 16 | uint32_t(g) << 8 | b;
  }
  static void ExpectNear(uint32_t got, uint32_t want, int tol, const std::string& what) {
    for (int shift : {16, 8, 0})
      EXPECT_LE(std::abs(int(got >> shift & 255) - int(want >> shift & 255)), tol)
          << what << std::hex << " got " << got << " want " << want;
  }
  TALTexture& New() {
    textures.push_back(std::make_unique<TALTexture>());
    return *textures.back();
  }
  std::unique_ptr<TDDDD> disp;
  std::unique_ptr<TAlpha32> al;
  std::vector<std::unique_ptr<TALTexture>> textures;
};

TEST_F(PictureKindsTest, EveryKindFromFilesAndArchivesOnBothPaths) {
  const std::vector<Kind> kinds = Kinds();
  std::vector<std::span<const uint8_t>> sources;
  std::vector<std::string> ids;
  for (const Kind& k : kinds) sources.emplace_back(k.bytes), ids.emplace_back(k.name);
  auto archive = BuildQDAArchive("TEST", 1, 0, 0, sources, ids, true);
  ASSERT_TRUE(archive);
  TQDAStream qda;
  qda.LoadFromBytes(*archive, "pics.qx2");

  for (bool use3D : {false, true}) {
    Renderer(use3D);
    // On the 3D path textures hold 5 bits per channel.
    const int quant = use3D ? 8 : 0;
    for (const Kind& k : kinds) {
      const std::string what = std::string(k.name) + (use3D ? " 3D" : " blit");
      std::ofstream(logDir / k.name, std::ios::binary)
          .write(reinterpret_cast<const char*>(k.bytes.data()), std::streamsize(k.bytes.size()));
      TALTexture& f = New();
      ASSERT_TRUE(al->LoadTextureEx(f, (logDir / k.name).string(), false, false, false, ckNone, -1)) << what;
      TALTexture& q = New();
      ASSERT_TRUE(al->LoadTextureExQDA(q, k.name, &qda, false, false, false, ckNone, -1)) << what;
      for (TALTexture* t : {&f, &q}) {
        EXPECT_EQ(t->BmpWidth, 8) << what;
        EXPECT_EQ(t->BmpHeight, 8) << what;
        if (k.tolerance) {  // the JPEG's halves
          ExpectNear(Texel(*t, 1, 1), 0x102060, k.tolerance + quant, what);
          ExpectNear(Texel(*t, 6, 6), 0xF08020, k.tolerance + quant, what);
        } else {
          ExpectNear(Texel(*t, 5, 3), 0xF08020, quant, what);
          ExpectNear(Texel(*t, 4, 3), 0x102060, quant, what);
          ExpectNear(Texel(*t, 5, 4), 0x102060, quant, what);
        }
      }
    }
    EXPECT_FALSE(al->Err_f);
  }
}

}  // namespace
