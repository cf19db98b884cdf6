// Textures, the format choice, the 3D device chain and keeping across modes.
#include <gtest/gtest.h>

#include "graphics/dddd.h"
#include "tests/display_fixture.h"

namespace dd = plat::dd;
namespace fmt = plat::fmt;

namespace {

class Display3DTest : public DisplayTest {
 protected:
  std::unique_ptr<TDDDD> Make3D(TD3DOptions options = 0, bool full = false) {
    auto d = std::make_unique<TDDDD>(host);
    d->VsyncAtWindowed = false;
    d->Use3D = true;
    d->D3DOptions = options;
    d->SetDebugOption(0);
    d->DoInit([&] {
      if (full) {
        d->FullScreenMode2(1, true, false);
      } else {
        d->WindowMode(512, 240);
      }
    });
    return d;
  }
};

}  // namespace

TEST(DDDDTexture, EdgeLengths) {
  EXPECT_EQ(TDDDDTexture::EdgeFor(1, 1), 16);
  EXPECT_EQ(TDDDDTexture::EdgeFor(16, 16), 16);
  EXPECT_EQ(TDDDDTexture::EdgeFor(17, 3), 32);
  EXPECT_EQ(TDDDDTexture::EdgeFor(3, 64), 64);
  EXPECT_EQ(TDDDDTexture::EdgeFor(129, 1), 256);
  EXPECT_EQ(TDDDDTexture::EdgeFor(200, 100), 256);
  EXPECT_EQ(TDDDDTexture::EdgeFor(300, 300), 256);
}

TEST_F(Display3DTest, DeviceChainTakesTheFastestAllowedType) {
  auto d = Make3D();
  ASSERT_NE(d->D3DDevice(), nullptr);
  EXPECT_EQ(d->D3DDeviceType(), dtTnLHAL);
  EXPECT_TRUE(d->HALEnabled());
  EXPECT_EQ(d->D3DRMDevice(), nullptr);  // no retained-mode device for T&L
  EXPECT_EQ(d->ZBuffer(), nullptr);      // no depth buffer asked
  EXPECT_EQ(d->ValidD3DDeviceType(), 0x3Fu);
  EXPECT_TRUE(d->BackBuffer()->Desc().caps & dd::kCaps3DDevice);
  EXPECT_TRUE(d->BackBuffer()->Desc().caps & dd::kCapsVideoMemory);
  EXPECT_EQ(d->D3DDevice()->Target(), d->BackBuffer()->Surface());
}

TEST_F(Display3DTest, SkippedHardwareGivesASoftwareDeviceInSystemMemory) {
  auto d = Make3D(DontUseTnLHAL | DontUseHAL);
  EXPECT_EQ(d->D3DDeviceType(), dtMMX);
  EXPECT_FALSE(d->HALEnabled());
  EXPECT_NE(d->D3DRMDevice(), nullptr);
  EXPECT_TRUE(d->BackBuffer()->Desc().caps & dd::kCapsSystemMemory);
  d.reset();
  plat::SoftDrawTestSetup().acceptedDevices = {plat::d3d::kRef};
  auto e = Make3D(DontUseMMX);
  EXPECT_EQ(e->D3DDeviceType(), dtRef);
}

TEST_F(Display3DTest, NoDeviceAtAllIsReported) {
  plat::SoftDrawTestSetup().acceptedDevices = {};
  auto d = std::make_unique<TDDDD>(host);
  d->Use3D = true;
  d->D3DOptions = 0;
  d->Loaded();  // halt on error
  EXPECT_THROW(d->DoInit([&] { d->WindowMode(512, 240); }), DisplayHalt);
}

TEST_F(Display3DTest, DepthBuffersTakeTheExactFormat) {
  plat::SoftDrawTestSetup().zFormats = {fmt::Z24S8(), fmt::Z16()};
  auto d = Make3D(MakeZBuffer);
  ASSERT_NE(d->ZBuffer(), nullptr);
  EXPECT_EQ(d->ZBuffer()->Desc().pf, fmt::Z16());
  d.reset();
  auto e = Make3D(MakeStencilBuffer);
  ASSERT_NE(e->ZBuffer(), nullptr);
  EXPECT_EQ(e->ZBuffer()->Desc().pf, fmt::Z24S8());
  plat::SoftSurface* z = nullptr;
  EXPECT_EQ(e->BackBuffer()->Surface()->GetAttachedSurface(dd::kCapsZBuffer, &z), 0);
  EXPECT_EQ(z, e->ZBuffer()->Surface());
  z->Release();
  // The next mode detaches and releases it without complaint.
  e->WindowMode(1024, 480);
  EXPECT_NE(e->ZBuffer(), nullptr);
}

TEST_F(Display3DTest, FullScreenThreeDMakesTheColourCube) {
  auto d = Make3D(0, true);
  EXPECT_TRUE(d->FullScreen());
  EXPECT_EQ(d->ScreenWidth(), 512);
  EXPECT_EQ(d->Palette[0].red, 0);
  EXPECT_EQ(d->Palette[0xFF].red, 255);
  EXPECT_EQ(d->Palette[0xFF].blue, 255);
  EXPECT_EQ(d->Palette[0x1C].green, 255);
  EXPECT_EQ(d->Palette[0x1C].red, 0);
  EXPECT_EQ(d->Palette[0x20].red, 36);  // 1 * 255 / 7
  EXPECT_EQ(d->Palette[0x01].blue, 85);
  EXPECT_EQ(d->Palette[0x01].flags, 0x40);
  EXPECT_EQ(d->D3DRMDevice(), nullptr);
  EXPECT_EQ(d->BackBuffer()->Desc().pf, fmt::XRGB8888());
}

TEST_F(Display3DTest, FormatPreferenceBeatsEnumerationOrderAndIsChosenOnce) {
  plat::SoftDrawTestSetup().textureFormats = {fmt::RGB565(), fmt::ARGB4444(), fmt::ARGB1555()};
  auto d = Make3D();
  auto t = std::make_unique<TDDDDTexture>(d.get(), 20, 10, 0, "ARGB1555;RGB565");
  EXPECT_EQ(t->D3DFormat(), A1R5G5B5);
  EXPECT_EQ(t->Width(), 32);
  EXPECT_EQ(t->bmpWidth(), 20);
  EXPECT_EQ(t->bmpHeight(), 10);
  EXPECT_TRUE(t->Desc().caps & dd::kCapsVideoMemory);  // a hardware device
  auto u = std::make_unique<TDDDDTexture>(d.get(), 8, 8, 0, "ARGB4444");
  EXPECT_EQ(u->D3DFormat(), A1R5G5B5);
  EXPECT_EQ(u->Desc().pf, fmt::ARGB1555());
}

TEST_F(Display3DTest, RecommendationWhenNothingMatches) {
  auto d = Make3D();
  // A malformed entry never matches; the first plain RGB format is taken.
  auto t = std::make_unique<TDDDDTexture>(d.get(), 8, 8, 0, " ARGB15x5 ; RGB56 ;;");
  EXPECT_EQ(t->Desc().pf, fmt::RGB565());
}

TEST_F(Display3DTest, RecommendationFollowsTheDesktopDepth) {
  auto d = Make3D();
  auto t = std::make_unique<TDDDDTexture>(d.get(), 8, 8, 0, "");
  EXPECT_EQ(t->Desc().pf, fmt::XRGB8888());
  EXPECT_EQ(t->D3DFormat(), UnKnownFmt);
}

TEST_F(Display3DTest, AFailedSearchIsTriedAgain) {
  plat::SoftDrawTestSetup().textureFormats = {};
  auto d = Make3D();
  auto t = std::make_unique<TDDDDTexture>(d.get(), 8, 8, 0, "ARGB1555");
  EXPECT_EQ(t->Surface(), nullptr);
  EXPECT_FALSE(d->Findddpf_f);
  plat::SoftDrawTestSetup().textureFormats = {fmt::ARGB1555()};
  auto u = std::make_unique<TDDDDTexture>(d.get(), 8, 8, 0, "ARGB1555");
  ASSERT_NE(u->Surface(), nullptr);
  EXPECT_TRUE(d->Findddpf_f);
}

TEST_F(Display3DTest, TexturesAreRebuiltAfterAModeChange) {
  int changes = 0;
  std::vector<int> order;
  auto d = Make3D();
  d->OnChangeDisplayMode = [&](TDDDD*) { ++changes; };
  auto a = std::make_unique<TDDDDTexture>(d.get(), 20, 20, 0, "ARGB1555");
  auto b = std::make_unique<TDDDDTexture>(d.get(), 100, 60, 0, "ARGB1555");
  auto c = std::make_unique<TDDDDTexture>(d.get(), 16, 16, 0, "ARGB1555");
  b.reset();
  EXPECT_EQ(d->TextureKeepCount(), 2);
  d->WindowMode(1024, 480);
  EXPECT_EQ(changes, 1);
  ASSERT_NE(a->Surface(), nullptr);
  EXPECT_TRUE(a->IsRestore());
  EXPECT_EQ(a->Width(), 32);
  EXPECT_EQ(a->bmpWidth(), 32);  // rebuilt at its edge length
  EXPECT_EQ(a->Desc().pf, fmt::ARGB1555());
  EXPECT_EQ(d->TextureKeepers()[0]->FID, 0);
  EXPECT_EQ(d->TextureKeepers()[1]->FID, 2);
  auto e = std::make_unique<TDDDDTexture>(d.get(), 8, 8, 0, "");
  EXPECT_EQ(d->TextureKeepers()[2]->FID, 3);
  // The renderer can draw with a rebuilt texture on the new device.
  EXPECT_EQ(d->D3DDevice()->SetTexture(0, a->Surface()), 0);
}

TEST_F(Display3DTest, LostTexturesAreRestoredAndReloadedOnce) {
  int restores = 0;
  auto d = Make3D();
  d->OnRestore = [&](TDDDD*) { ++restores; };
  // A 2 x 1 24-bit picture: blue, red.
  const uint8_t bmp[] = {'B', 'M', 62, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  //
                         40, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0,
                         8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                         255, 0, 0, 0, 0, 255, 0, 0};
  const std::string path = (logDir / "two.bmp").string();
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(bmp, 1, sizeof bmp, f);
  std::fclose(f);
  auto t = std::make_unique<TDDDDTexture>(d.get(), 2, 1, 0, "ARGB1555");
  t->LoadBMP(path);
  const uint32_t red = t->ARGBToPhysical(255, 255, 0, 0);
  EXPECT_EQ(t->getPixel(1, 15), red);  // bottom-up into the 16 x 16 texture
  plat::SimulateSurfaceLoss();
  EXPECT_NE(t->getPixel(1, 15), red);
  host.Paint();
  EXPECT_EQ(restores, 1);
  EXPECT_EQ(t->getPixel(1, 15), red);
  host.Paint();
  EXPECT_EQ(restores, 1);
}
