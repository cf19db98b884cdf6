// Display modes on other desktops, driver choice and the halt path.
#include <cstdio>
#include <gtest/gtest.h>

#include "graphics/dddd.h"
#include "tests/display_fixture.h"

namespace dd = plat::dd;
namespace fmt = plat::fmt;

TEST_F(DisplayTest, EightBitDesktopKeepsItsPaletteThroughModeChanges) {
  plat::SoftDrawTestSetup().desktopBpp = 8;
  auto d = MakeDisplay(64, 32);
  d->SetDebugOption(ddoHaltOnError);  // a failed release would halt
  ASSERT_NE(d->DDPalette, nullptr);
  EXPECT_EQ(d->BackBuffer()->Desc().pf, fmt::Pal8());
  d->Palette[20] = {255, 0, 0, 4};
  d->UpdatePalette();
  FillRectRaw(*d->BackBuffer(), 20);
  d->Flip();
  EXPECT_EQ(host.screen.Pixel(5, 5), 0xFF0000u);
  // Entries the system keeps stay its own.
  d->Palette[3] = {0, 255, 0, 4};
  d->UpdatePalette();
  plat::PaletteEntry e[256] = {};
  d->DDPalette->GetEntries(0, 256, e);
  EXPECT_EQ(e[3].green, 0);
  EXPECT_EQ(e[20].red, 255);
  EXPECT_NO_THROW(d->WindowMode(128, 64));
  EXPECT_NO_THROW(d.reset());
}

TEST_F(DisplayTest, ModeChangeRebuildsSurfacesInTheNewFormat) {
  auto d = MakeDisplay(512, 240);
  auto s = std::make_unique<TDDDDSurface>(d.get(), 8, 8, 0, "");
  EXPECT_EQ(s->TColorToPhysical(0x0000FF), 0xFF0000u);
  d->FullScreenMode2(1, false, false);
  EXPECT_EQ(s->Desc().pf, fmt::RGB565());
  EXPECT_EQ(s->TColorToPhysical(0x0000FF), 0xF800u);  // red, converted for 5-6-5
  d->WindowMode(512, 240);
  EXPECT_EQ(s->TColorToPhysical(0x0000FF), 0xFF0000u);
}

TEST_F(DisplayTest, FullScreenDriverSearch) {
  // Only the primary driver: the search adopts nothing and the default is made.
  auto d = MakeDisplay();
  d->Use3D = true;
  d->D3DOptions = 0;
  d->FullScreenMode2(1, true, false);
  EXPECT_EQ(d->DDraw()->DriverId(), 0);
  d.reset();
  // A secondary driver without 3D is tried and let go; one with 3D is taken.
  auto& setup = plat::SoftDrawTestSetup();
  setup.drivers.push_back({7, "Second", "second", {0, 0}});
  setup.drivers.push_back({9, "Third", "third", {dd::kCaps3D, dd::kCapsTexture}});
  auto e = MakeDisplay();
  EXPECT_EQ(e->DDDriverList().size(), 3u);
  EXPECT_EQ(e->DDDriverList()[2], "Third (third)");
  e->Use3D = true;
  e->D3DOptions = 0;
  e->FullScreenMode2(1, true, false);
  EXPECT_EQ(e->DDraw()->DriverId(), 9);
  ASSERT_NE(e->D3DDevice(), nullptr);
}

TEST_F(DisplayTest, ReleasesRunInOrderAndLeaveNothingBehind) {
  auto& setup = plat::SoftDrawTestSetup();
  {
    auto d = MakeDisplay();
    d->SetDebugOption(ddoHaltOnError);
    auto s = std::make_unique<TDDDDSurface>(d.get(), 8, 8, 0, "");
    setup.recordCalls = true;
    d->WindowMode(512, 240);
    setup.recordCalls = false;
    ASSERT_GE(setup.calls.size(), 4u);
    EXPECT_EQ(setup.calls[0], "ReleaseDraw 0");
    EXPECT_EQ(setup.calls[1], "CreateDraw 0");
    auto hex = [](uint32_t v) {
      char b[16];
      std::snprintf(b, sizeof b, "%X", v);
      return std::string(b);
    };
    const std::string offscreen =
        "CreateSurface caps=" + hex(plat::dd::kCapsOffscreenPlain | plat::dd::kCapsVideoMemory);
    EXPECT_EQ(setup.calls[2], "SetCooperativeLevel " + hex(plat::dd::kSclNormal));
    EXPECT_EQ(setup.calls[3], "CreateSurface caps=" + hex(plat::dd::kCapsPrimarySurface));
    EXPECT_EQ(setup.calls[4], offscreen);
    EXPECT_EQ(setup.calls[5], "CreateClipper");
    EXPECT_EQ(setup.calls[6], offscreen);  // the kept surface
  }
  EXPECT_EQ(plat::LiveSurfaceCount(), 0);
}

TEST_F(DisplayTest, ADestroyedComponentLeavesItsSurfacesHarmless) {
  auto d = MakeDisplay();
  auto s = std::make_unique<TDDDDSurface>(d.get(), 8, 8, 0, "");
  int destroyed = 0;
  d->OnDestroy = [&](TDDDD*) { ++destroyed; };
  d.reset();
  EXPECT_EQ(destroyed, 1);
  EXPECT_EQ(s->Surface(), nullptr);
  EXPECT_EQ(s->getPixel(0, 0), 0u);
  s.reset();
  EXPECT_EQ(plat::LiveSurfaceCount(), 0);
}

TEST(DDDDHalt, DefaultHaltExitsWithFailure) {
  EXPECT_EXIT(
      {
        DDDD_SetHaltHandler(nullptr);
        DDDD_HaltOnError = true;
        TRYDD(5, "display failed");
      },
      ::testing::ExitedWithCode(1), "");
}
