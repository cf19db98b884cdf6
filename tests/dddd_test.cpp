// The display component: modes, presenting, clipping wrapper, restore and the log.
#include <gtest/gtest.h>

#include <cstring>

#include "graphics/dddd.h"
#include "platform/Clock.h"
#include "tests/display_fixture.h"

using plat::DdRect;
namespace dd = plat::dd;

namespace {

uint32_t Key(TDDDDGenSurface& s) { return s.ARGBToPhysical(255, 0, 0, 0); }

void FillRect(TDDDDGenSurface& s, DdRect r, uint32_t raw) {
  DdRect none{};
  plat::DdBltFx fx;
  fx.fillColor = raw;
  s.Blt(nullptr, r, none, dd::kBltWait | dd::kBltColorFill, fx);
}

}  // namespace

TEST(DDDDColor, ConverterShiftsAndTruncates) {
  plat::ResetSoftDrawSetup();
  TDDDDGenSurface s(nullptr, nullptr, 1, 1);
  s.InitColorConverter(plat::fmt::RGB565(), false);
  EXPECT_EQ(s.ShiftInfo().rl, 11u);
  EXPECT_EQ(s.ShiftInfo().rr, 3u);
  EXPECT_EQ(s.ShiftInfo().gr, 2u);
  EXPECT_EQ(s.ShiftInfo().al, 32u);
  EXPECT_EQ(s.TColorToPhysical(0x00FF0000), 0x001Fu);  // blue
  EXPECT_EQ(s.ARGBToPhysical(255, 0x0F, 0, 0), 0x0800u);  // top five bits of 0x0F
  EXPECT_EQ(s.D3DFormat(), R5G6B5);
  s.InitColorConverter(plat::fmt::ARGB1555(), false);
  EXPECT_EQ(s.ARGBToPhysical(0x80, 255, 255, 255), 0xFFFFu);
  EXPECT_EQ(s.D3DFormat(), A1R5G5B5);
  s.InitColorConverter(plat::fmt::ARGB4444(), false);
  EXPECT_EQ(s.ARGBToPhysical(0xFF, 0x10, 0x20, 0x30), 0xF123u);
  EXPECT_EQ(s.D3DFormat(), A4R4G4B4);
  s.InitColorConverter(plat::fmt::XRGB1555(), false);
  EXPECT_EQ(s.D3DFormat(), R5G5B5);
  s.InitColorConverter(plat::fmt::XRGB8888(), false);
  EXPECT_EQ(s.ARGBToPhysical(0xFF, 1, 2, 3), 0x010203u);  // no alpha mask: no alpha
  EXPECT_EQ(s.D3DFormat(), UnKnownFmt);
  s.InitColorConverter(plat::fmt::ARGB8888(), false);
  EXPECT_EQ(s.D3DFormat(), A8R8G8B8);
  s.InitColorConverter(plat::DdPixelFormat{}, false);
  EXPECT_EQ(s.ARGBToPhysical(255, 255, 255, 255), 0u);
}

TEST_F(DisplayTest, WindowedFlipPresentsTheBackBuffer) {
  auto d = MakeDisplay(512, 240);
  EXPECT_EQ(host.clientW, 512);
  EXPECT_EQ(host.clientH, 240);
  EXPECT_EQ(d->ScreenWidth(), 512);
  EXPECT_FALSE(d->FullScreen());
  EXPECT_EQ(d->BitDepth(), 32);
  TDDDDGenSurface& bb = *d->BackBuffer();
  d->BackColor = bb.TColorToPhysical(0x00402010);
  d->Clear();
  FillRect(bb, {100, 50, 110, 60}, bb.TColorToPhysical(0x000000FF));
  d->Flip();
  ASSERT_EQ(host.screen.Frames(), 1);
  EXPECT_EQ(host.screen.Width(), 512);
  EXPECT_EQ(host.screen.Height(), 240);
  EXPECT_EQ(host.screen.Pixel(0, 0), 0x102040u);
  EXPECT_EQ(host.screen.Pixel(105, 55), 0xFF0000u);
  EXPECT_EQ(host.screen.Pixel(110, 55), 0x102040u);
  // At scale 2 the window and the frame double.
  d->WindowMode(1024, 480);
  EXPECT_EQ(host.clientW, 1024);
  d->Clear();
  d->Flip();
  EXPECT_EQ(host.screen.Width(), 1024);
  EXPECT_EQ(host.screen.Height(), 480);
}

TEST_F(DisplayTest, FlipTimesThePresentOnTimerZero) {
  SteppingClock clock(250);
  TProcCounter pc;
  auto d = MakeDisplay();
  d->PC = &pc;
  for (int i = 0; i < 64; ++i) d->Flip();
  EXPECT_EQ(host.screen.Frames(), 64);
  // Timer 0 brackets the blit alone: one counter read on each side of it.
  EXPECT_EQ(pc.GetTime64(0), 250);
}

TEST_F(DisplayTest, FullScreenSwitchesAndReturns) {
  int changes = 0;
  auto d = MakeDisplay(512, 240);
  d->OnChangeDisplayMode = [&](TDDDD*) { ++changes; };
  d->MouseCursorSwitch();  // a window: nothing
  EXPECT_EQ(host.cursorCalls, 0);
  d->FullScreenMode2(2, false, true);
  EXPECT_TRUE(host.fullScreen);
  EXPECT_TRUE(d->FullScreen());
  EXPECT_FALSE(host.cursorShown);
  EXPECT_EQ(d->BackBuffer()->Desc().pf, plat::fmt::RGB565());
  FillRect(*d->BackBuffer(), {0, 0, 1024, 480}, d->BackBuffer()->TColorToPhysical(0x0000FF00));
  d->Flip();
  EXPECT_EQ(host.screen.Width(), 1024);
  EXPECT_EQ(host.screen.Pixel(500, 300), 0x00FF00u);
  // A flip that fails falls back to the blit in the same call.
  plat::SoftDrawTestSetup().failFlip = true;
  const int before = host.screen.Frames();
  d->Flip();
  EXPECT_EQ(host.screen.Frames(), before + 1);
  d->MouseCursorSwitch();
  EXPECT_TRUE(host.cursorShown);
  d->WindowMode(512, 240);
  EXPECT_FALSE(host.fullScreen);
  EXPECT_EQ(host.clientW, 512);
  EXPECT_EQ(d->BackBuffer()->Desc().pf, plat::fmt::XRGB8888());
  EXPECT_EQ(changes, 2);
}

TEST_F(DisplayTest, ModeChangeFiresOnceAndNeverDuringStartUp) {
  int changes = 0, inits = 0;
  auto d = std::make_unique<TDDDD>(host);
  d->VsyncAtWindowed = false;
  d->OnChangeDisplayMode = [&](TDDDD*) { ++changes; };
  d->OnInit = [&](bool need) {
    ++inits;
    EXPECT_FALSE(need);
  };
  d->DoInit([&] { d->WindowMode(512, 240); });
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(inits, 1);
  d->WindowMode(1024, 480);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(inits, 1);
}

TEST_F(DisplayTest, KeptSurfacesKeepTheirIdsAcrossModes) {
  std::vector<std::string> order;
  auto d = MakeDisplay();
  d->OnCleanUp = [&](TDDDD*) { order.push_back("cleanup"); };
  auto a = std::make_unique<TDDDDSurface>(d.get(), 32, 16, 0, "");
  auto b = std::make_unique<TDDDDSurface>(d.get(), 8, 8, 0, "");
  EXPECT_EQ(d->SurfaceKeepCount(), 2);
  EXPECT_EQ(d->SurfaceKeepers()[0]->FID, 0);
  EXPECT_EQ(d->SurfaceKeepers()[1]->FID, 1);
  FillRect(*a, {0, 0, 32, 16}, 0x123456);
  d->WindowMode(1024, 480);
  EXPECT_EQ(order.size(), 1u);
  ASSERT_NE(a->Surface(), nullptr);
  EXPECT_TRUE(a->IsRestore());
  EXPECT_EQ(a->Width(), 32);
  EXPECT_EQ(d->SurfaceKeepers()[0]->FID, 0);
  b.reset();
  EXPECT_EQ(d->SurfaceKeepCount(), 1);
  auto c = std::make_unique<TDDDDSurface>(d.get(), 8, 8, 0, "");
  EXPECT_EQ(d->SurfaceKeepers()[1]->FID, 2);
  // Released surfaces refuse work instead of touching freed memory.
  d->CleanUpSurfaces();
  DdRect r{0, 0, 4, 4};
  plat::DdBltFx fx;
  EXPECT_NE(a->Put(r, r, dd::kBltWait, fx), 0);
  EXPECT_EQ(a->getPixel(0, 0), 0u);
  d->RecoverSurfaces();
  EXPECT_NE(a->Surface(), nullptr);
}

TEST_F(DisplayTest, LossIsNoticedByThePaintAndRestoredOnce) {
  int restores = 0;
  auto d = MakeDisplay();
  d->OnRestore = [&](TDDDD*) { ++restores; };
  auto s = std::make_unique<TDDDDSurface>(d.get(), 16, 16, 0, "");
  host.Paint();
  EXPECT_EQ(restores, 0);  // an ordinary paint restores nothing
  plat::SimulateSurfaceLoss();
  EXPECT_TRUE(s->IsLost());
  d->Flip();  // presenting a lost back buffer does nothing harmful
  host.Paint();
  EXPECT_EQ(restores, 1);
  EXPECT_FALSE(s->IsLost());
  EXPECT_TRUE(s->IsRestore());
  EXPECT_FALSE(d->BackBuffer()->IsLost());
  host.Paint();
  EXPECT_EQ(restores, 1);
  // A window without the focus does not restore.
  plat::SimulateSurfaceLoss();
  host.active = false;
  host.Paint();
  EXPECT_EQ(restores, 1);
  host.active = true;
  host.Paint();
  EXPECT_EQ(restores, 2);
  // Restore itself brings back the kept surfaces too, and says whether
  // anything had been lost.
  plat::SimulateSurfaceLoss();
  EXPECT_TRUE(d->Restore());
  EXPECT_FALSE(s->IsLost());
  EXPECT_FALSE(d->Restore());
}

TEST_F(DisplayTest, AroundFullScreenTheWindowIsHeldAtTheOriginAndPutBack) {
  using Kind = plat::WindowEvent::Kind;
  int formEvents = 0;
  host.OnWindowEvent = [&](const plat::WindowEvent&) { ++formEvents; };
  auto d = MakeDisplay(512, 240);
  host.SetWindowPos(100, 60);
  host.SendWindowEvent(Kind::Moved, 100, 60);  // a window moves freely
  EXPECT_EQ(host.winX, 100);
  d->FullScreenMode2(1, true, false);
  host.SetWindowPos(5, 7);
  host.SendWindowEvent(Kind::Moved, 5, 7);
  EXPECT_EQ(host.winX, 0);
  EXPECT_EQ(host.winY, 0);
  host.SetClientSize(800, 600);
  const int raised = host.raised;
  host.SendWindowEvent(Kind::Maximized);
  EXPECT_EQ(host.raised, raised + 1);
  EXPECT_EQ(host.clientW, 512);
  EXPECT_EQ(host.clientH, 240);
  EXPECT_EQ(formEvents, 3);  // every event goes on to the form's own handler
  d->WindowMode(512, 240);
  EXPECT_EQ(host.winX, 100);
  EXPECT_EQ(host.winY, 60);
  d.reset();
  host.SendWindowEvent(Kind::Moved, 1, 1);
  EXPECT_EQ(formEvents, 4);
}

TEST_F(DisplayTest, WrapperClipsInProportion) {
  auto d = MakeDisplay(64, 32);
  TDDDDGenSurface& bb = *d->BackBuffer();
  auto spr = std::make_unique<TDDDDSurface>(d.get(), 8, 4, 0, "");
  // Columns of distinct values so the copied part is visible.
  for (int x = 0; x < 8; ++x) FillRect(*spr, {x, 0, x + 1, 4}, uint32_t(0x010101 * (x + 1)));
  plat::DdBltFx fx;
  const uint32_t flags = dd::kBltWait | dd::kBltKeySrc | dd::kBltDDFX;
  // Half outside on the left: the right half of the source is drawn.
  DdRect dst{-4, 0, 4, 4}, src{0, 0, 8, 4};
  EXPECT_EQ(spr->Put(dst, src, flags, fx), 0);
  EXPECT_EQ(bb.getPixel(0, 0), 0x050505u);
  EXPECT_EQ(bb.getPixel(3, 0), 0x080808u);
  // Stretched 2:1 and half outside on the right keeps the scale.
  DdRect dst2{56, 10, 72, 18}, src2{0, 0, 8, 4};
  EXPECT_EQ(spr->Put(dst2, src2, flags, fx), 0);
  EXPECT_EQ(bb.getPixel(56, 10), 0x010101u);
  EXPECT_EQ(bb.getPixel(57, 10), 0x010101u);
  EXPECT_EQ(bb.getPixel(63, 17), 0x040404u);
  // Top and bottom edges.
  DdRect dst3{20, -2, 28, 2}, src3{0, 0, 8, 4};
  EXPECT_EQ(spr->Put(dst3, src3, flags, fx), 0);
  EXPECT_EQ(bb.getPixel(20, 0), 0x010101u);
  DdRect dst4{30, 30, 38, 34};
  EXPECT_EQ(spr->Put(dst4, src3, flags, fx), 0);
  EXPECT_EQ(bb.getPixel(37, 31), 0x080808u);
  // Inverted rectangles are put right.
  DdRect dst5{48, 4, 40, 0}, src5{8, 4, 0, 0};
  EXPECT_EQ(spr->Put(dst5, src5, flags, fx), 0);
  EXPECT_EQ(bb.getPixel(40, 0), 0x010101u);
  // Wholly outside, or only touching the edge: nothing, and 0.
  FillRect(bb, {0, 0, 64, 32}, 0);
  DdRect out{64, 0, 72, 4}, touch{-8, 0, 0, 4};
  EXPECT_EQ(spr->Put(out, src, flags, fx), 0);
  EXPECT_EQ(spr->Put(touch, src, flags, fx), 0);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 64; ++x) ASSERT_EQ(bb.getPixel(x, y), 0u);
  // The key (0 by default) makes black transparent.
  FillRect(*spr, {0, 0, 8, 4}, Key(*spr));
  FillRect(bb, {0, 0, 8, 4}, 0x777777);
  DdRect d6{0, 0, 8, 4};
  EXPECT_EQ(spr->Put(d6, src, flags, fx), 0);
  EXPECT_EQ(bb.getPixel(3, 3), 0x777777u);
}

TEST_F(DisplayTest, MirrorReflectsTheClippedSourceAcrossTheSurface) {
  auto d = MakeDisplay(16, 4);
  TDDDDGenSurface& bb = *d->BackBuffer();
  auto spr = std::make_unique<TDDDDSurface>(d.get(), 8, 1, 0, "");
  for (int x = 0; x < 8; ++x) FillRect(*spr, {x, 0, x + 1, 1}, uint32_t(x + 1));
  plat::DdBltFx fx;
  fx.ddfx = dd::kFxMirrorLeftRight;
  DdRect dst{0, 0, 8, 1}, src{0, 0, 8, 1};
  EXPECT_EQ(spr->Put(dst, src, dd::kBltWait | dd::kBltDDFX, fx), 0);
  for (int x = 0; x < 8; ++x) EXPECT_EQ(bb.getPixel(x, 0), uint32_t(8 - x));
  // A colour fill with a mirror bit has no source to reflect.
  DdRect none{};
  fx.fillColor = 9;
  EXPECT_EQ(bb.Blt(nullptr, dst, none, dd::kBltColorFill, fx), 0);
  EXPECT_EQ(bb.getPixel(0, 0), 9u);
}

TEST_F(DisplayTest, PixelsAndLocks) {
  auto d = MakeDisplay();
  DDDD_DebugMessage = true;
  auto s = std::make_unique<TDDDDSurface>(d.get(), 4, 4, 0, "");
  s->setPixel(1, 2, 0xABCDEF);
  EXPECT_EQ(s->getPixel(1, 2), 0xABCDEFu);
  s->setPixel(4, 0, 1);
  EXPECT_EQ(s->getPixel(-1, 0), 0u);
  const std::string log = ReadLog();
  EXPECT_NE(log.find(" x:4 y:0 FWidth:4 FHeight:4"), std::string::npos);
  plat::DdSurfaceDesc a, b;
  ASSERT_EQ(s->Lock(a), 0);
  ASSERT_NE(a.surface, nullptr);
  ASSERT_EQ(s->Lock(b), 0);  // a second lock hands back the same memory
  EXPECT_EQ(b.surface, a.surface);
  EXPECT_EQ(b.pitch, a.pitch);
  s->setPixel(0, 0, 0x55);  // uses the lock in place
  EXPECT_EQ(s->getPixel(0, 0), 0x55u);
  EXPECT_EQ(s->UnLock(), 0);
  EXPECT_EQ(s->getPixel(0, 0), 0x55u);

  // Stored one texel per 2 x 2 block: a shown coordinate reaches the texel
  // under it, up to the last shown pixel.
  auto big = std::make_unique<TDDDDSurface>(d.get(), 8, 6, 0, "", "", 2);
  big->setPixel(5, 3, 0x1234);
  big->setPixel(7, 5, 0x77);
  EXPECT_EQ(big->getPixel(4, 2), 0x1234u);
  EXPECT_EQ(big->getPixel(6, 4), 0x77u);
  EXPECT_EQ(big->getPixel(3, 2), 0u);
  ASSERT_EQ(big->Lock(a), 0);
  const uint32_t bytes = a.pf.bitCount / 8;
  auto texel = [&](int x, int y) {
    uint32_t v = 0;
    std::memcpy(&v, a.surface + size_t(a.pitch) * size_t(y) + size_t(x) * bytes, bytes);
    return v;
  };
  EXPECT_EQ(texel(2, 1), 0x1234u);
  EXPECT_EQ(texel(3, 2), 0x77u);
  EXPECT_EQ(big->UnLock(), 0);
}

TEST_F(DisplayTest, TrydLogsAndHalts) {
  DDDD_DebugMessage = true;
  DDDD_HaltOnError = false;
  EXPECT_EQ(TRYDD(0, "nothing"), 0);
  EXPECT_FALSE(LogExists());
  EXPECT_EQ(TRYDD(-2005532132, "fail"), -2005532132);
  EXPECT_EQ(TRYDD(1, "left one"), 1);
  std::string log = ReadLog();
  EXPECT_NE(log.find("debug#00001 ... fail(Error Code(8876021C))\n"), std::string::npos);
  EXPECT_NE(log.find("debug#00002 ... left one(Error Code(1))\n"), std::string::npos);
  DDDD_HaltOnError = true;
  std::string halted;
  DDDD_SetHaltHandler([&](const std::string& m) { halted = m; });
  TRYDD(5, "boom");
  EXPECT_EQ(halted, "boom(Error Code(5))");
  EXPECT_NE(ReadLog().find("debug#00003 ... boom(Error Code(5))"), std::string::npos);
  // A new run starts the file again.
  debugCount = 0;
  DDDD_Msg("again");
  EXPECT_EQ(ReadLog(), "debug#00001 ... again\n");
  // Messages off: no file at all; an unwritable folder is ignored.
  std::filesystem::remove_all(logDir);
  DDDD_DebugMessage = false;
  DDDD_Msg("quiet");
  EXPECT_FALSE(std::filesystem::exists(logDir));
  DDDD_DebugMessage = true;
  DDDD_SetLogFolder("/nonexistent/folder/");
  DDDD_Msg("lost");
}

TEST_F(DisplayTest, FailedDisplayCallHaltsWithItsMessage) {
  auto d = std::make_unique<TDDDD>(host);
  d->Loaded();  // halt on error, the game's setting
  plat::SoftDrawTestSetup().failCreateSurfaceAfter = 0;
  try {
    d->DoInit(nullptr);
    FAIL() << "no halt";
  } catch (const DisplayHalt& h) {
    EXPECT_NE(std::string(h.what()).find("(Error Code(C5D000FF))"), std::string::npos);
  }
}

TEST_F(DisplayTest, BackBufferFallsBackToSystemMemory) {
  plat::SoftDrawTestSetup().failVideoMemory = true;
  auto d = MakeDisplay();
  ASSERT_NE(d->BackBuffer(), nullptr);
  EXPECT_TRUE(d->BackBuffer()->Desc().caps & dd::kCapsSystemMemory);
  auto s = std::make_unique<TDDDDSurface>(d.get(), 4, 4, 0, "");
  EXPECT_TRUE(s->Desc().caps & dd::kCapsSystemMemory);
}

TEST_F(DisplayTest, OnlyOneComponentPerWindow) {
  auto d = std::make_unique<TDDDD>(host);
  EXPECT_THROW(TDDDD second(host), std::logic_error);
  d.reset();
  EXPECT_NO_THROW(TDDDD again(host));
}
