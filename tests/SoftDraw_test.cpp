// The software display device: formats, blits, clipping, loss and presenting.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/SoftDraw.h"

using namespace plat;

namespace {

struct Device {
  Device() {
    ResetSoftDrawSetup();
    EXPECT_EQ(SoftDraw::Create(0, &dd), 0);
  }
  ~Device() { dd->Release(); }
  // scale > 1: w x h stored texels, each shown as a scale x scale block.
  SoftSurface* Make(uint32_t w, uint32_t h, const DdPixelFormat* pf = nullptr, uint32_t scale = 1) {
    DdSurfaceDesc d;
    d.flags = dd::kSdCaps | dd::kSdWidth | dd::kSdHeight | (pf ? dd::kSdPixelFormat : 0) |
              (scale > 1 ? dd::kSdTexelScale : 0);
    d.caps = dd::kCapsOffscreenPlain | dd::kCapsSystemMemory;
    d.width = w;
    d.height = h;
    d.texelScale = scale;
    if (pf) d.pf = *pf;
    SoftSurface* s = nullptr;
    EXPECT_EQ(dd->CreateSurface(d, &s), 0);
    return s;
  }
  SoftDraw* dd = nullptr;
};

void Fill(SoftSurface* s, DdRect r, uint32_t raw) {
  DdBltFx fx;
  fx.fillColor = raw;
  ASSERT_EQ(s->Blt(&r, nullptr, nullptr, dd::kBltColorFill | dd::kBltWait, &fx), 0);
}

// A 4 x 4 sprite: a key-coloured frame around a 2 x 2 picture.
SoftSurface* Sprite(Device& dev, const DdPixelFormat& pf, uint32_t key, uint32_t a, uint32_t b) {
  SoftSurface* s = dev.Make(4, 4, &pf);
  Fill(s, {0, 0, 4, 4}, key);
  Fill(s, {1, 1, 2, 3}, a);
  Fill(s, {2, 1, 3, 3}, b);
  s->SetColorKey(dd::kColorKeySrcBlt, key, key);
  return s;
}

}  // namespace

TEST(SoftDraw, ChannelsDecodeAndEncodeThroughTheMasks) {
  uint8_t a, r, g, b;
  DecodePixel(fmt::RGB565(), 0xF800, a, r, g, b);
  EXPECT_EQ(r, 255);
  EXPECT_EQ(g, 0);
  EXPECT_EQ(a, 255);  // no alpha reads opaque
  DecodePixel(fmt::ARGB1555(), 0x03E0, a, r, g, b);
  EXPECT_EQ(a, 0);
  EXPECT_EQ(g, 255);
  EXPECT_EQ(EncodePixel(fmt::RGB565(), 255, 255, 255, 255), 0xFFFFu);
  EXPECT_EQ(EncodePixel(fmt::XRGB8888(), 0x80, 1, 2, 3), 0x010203u);
  EXPECT_EQ(EncodePixel(fmt::ARGB4444(), 0xF0, 0x10, 0x20, 0x30), 0xF123u);
}

// A 24-bit format, 8-8-8 without padding.
const DdPixelFormat kRGB888{0, 24, 0xFF0000, 0xFF00, 0xFF, 0};

// The same keyed picture lands the same way in 8-, 16-, 24- and 32-bit surfaces.
TEST(SoftDraw, KeyedBlitSkipsOnlyTheKeyInEveryDepth) {
  for (DdPixelFormat pf : {fmt::XRGB8888(), fmt::RGB565(), kRGB888, fmt::Pal8()}) {
    Device dev;
    const bool indexed = pf.bitCount == 8;
    const uint32_t key = indexed ? 0 : EncodePixel(pf, 255, 0, 0, 0);
    const uint32_t red = indexed ? 1 : EncodePixel(pf, 255, 255, 0, 0);
    const uint32_t blue = indexed ? 2 : EncodePixel(pf, 255, 0, 0, 255);
    const uint32_t grey = indexed ? 3 : EncodePixel(pf, 255, 128, 128, 128);
    SoftSurface* spr = Sprite(dev, pf, key, red, blue);
    SoftSurface* dst = dev.Make(8, 8, &pf);
    Fill(dst, {0, 0, 8, 8}, grey);
    DdRect d{2, 2, 6, 6}, s{0, 0, 4, 4};
    ASSERT_EQ(dst->Blt(&d, spr, &s, dd::kBltWait | dd::kBltKeySrc | dd::kBltDDFX, nullptr), 0);
    for (uint32_t y = 0; y < 8; ++y) {
      for (uint32_t x = 0; x < 8; ++x) {
        uint32_t want = grey;
        if (y >= 3 && y <= 4 && x == 3) want = red;
        if (y >= 3 && y <= 4 && x == 4) want = blue;
        EXPECT_EQ(dst->RawPixel(x, y), want) << pf.bitCount << " bpp at " << x << "," << y;
      }
    }
    // Without the key flag the frame is copied too.
    ASSERT_EQ(dst->Blt(&d, spr, &s, dd::kBltWait, nullptr), 0);
    EXPECT_EQ(dst->RawPixel(2, 2), key);
    spr->Release();
    dst->Release();
  }
}

TEST(SoftDraw, KeyIgnoresTheUnusedTopByte) {
  Device dev;
  DdPixelFormat pf = fmt::XRGB8888();
  SoftSurface* src = dev.Make(1, 1, &pf);
  SoftSurface* dst = dev.Make(1, 1, &pf);
  Fill(src, {0, 0, 1, 1}, 0xAB000000);  // black with garbage in the X byte
  Fill(dst, {0, 0, 1, 1}, 0x00123456);
  src->SetColorKey(dd::kColorKeySrcBlt, 0, 0);
  ASSERT_EQ(dst->Blt(nullptr, src, nullptr, dd::kBltKeySrc, nullptr), 0);
  EXPECT_EQ(dst->RawPixel(0, 0), 0x00123456u);
  src->Release();
  dst->Release();
}

TEST(SoftDraw, StretchIsNearestNeighbourAndExactAtTwoToOne) {
  for (DdPixelFormat pf : {fmt::XRGB8888(), kRGB888}) {
    Device dev;
    SoftSurface* src = dev.Make(2, 2, &pf);
    Fill(src, {0, 0, 1, 1}, 1);
    Fill(src, {1, 0, 2, 1}, 2);
    Fill(src, {0, 1, 1, 2}, 3);
    Fill(src, {1, 1, 2, 2}, 4);
    SoftSurface* dst = dev.Make(4, 4, &pf);
    ASSERT_EQ(dst->Blt(nullptr, src, nullptr, dd::kBltWait, nullptr), 0);
    const uint32_t want[4][4] = {{1, 1, 2, 2}, {1, 1, 2, 2}, {3, 3, 4, 4}, {3, 3, 4, 4}};
    for (uint32_t y = 0; y < 4; ++y)
      for (uint32_t x = 0; x < 4; ++x) EXPECT_EQ(dst->RawPixel(x, y), want[y][x]);
    // Shrinking 4 -> 2 takes every second pixel, starting at the second.
    SoftSurface* small = dev.Make(2, 2, &pf);
    ASSERT_EQ(small->Blt(nullptr, dst, nullptr, dd::kBltWait, nullptr), 0);
    EXPECT_EQ(small->RawPixel(0, 0), 1u);
    EXPECT_EQ(small->RawPixel(1, 1), 4u);
    src->Release();
    dst->Release();
    small->Release();
  }
}

TEST(SoftDraw, RectanglesOutsideOrEmptyDrawNothing) {
  Device dev;
  DdPixelFormat pf = fmt::RGB565();
  SoftSurface* src = dev.Make(4, 4, &pf);
  SoftSurface* dst = dev.Make(4, 4, &pf);
  Fill(src, {0, 0, 4, 4}, 0x1234);
  DdRect in{0, 0, 4, 4}, out{2, 2, 6, 6}, empty{1, 1, 1, 3}, bad{-1, 0, 3, 4};
  EXPECT_EQ(dst->Blt(&out, src, &in, 0, nullptr), dd::kErrInvalidRect);
  EXPECT_EQ(dst->Blt(&in, src, &bad, 0, nullptr), dd::kErrInvalidRect);
  EXPECT_EQ(dst->Blt(&empty, src, &in, 0, nullptr), 0);
  for (uint32_t y = 0; y < 4; ++y)
    for (uint32_t x = 0; x < 4; ++x) EXPECT_EQ(dst->RawPixel(x, y), 0u);
  DdBltFx fx;
  EXPECT_EQ(dst->Blt(&out, nullptr, nullptr, dd::kBltColorFill, &fx), dd::kErrInvalidRect);
  EXPECT_EQ(dst->Blt(&in, nullptr, nullptr, dd::kBltColorFill, nullptr), dd::kErrInvalidParams);
  src->Release();
  dst->Release();
}

TEST(SoftDraw, MirroredSourceAddressesTheMirroredSurface) {
  Device dev;
  DdPixelFormat pf = fmt::XRGB8888();
  SoftSurface* src = dev.Make(4, 1, &pf);
  for (int x = 0; x < 4; ++x) Fill(src, {x, 0, x + 1, 1}, uint32_t(10 + x));
  SoftSurface* dst = dev.Make(2, 1, &pf);
  DdBltFx fx;
  fx.ddfx = dd::kFxMirrorLeftRight;
  // Mirrored columns 0..1 are source columns 3 and 2.
  DdRect d{0, 0, 2, 1}, s{0, 0, 2, 1};
  ASSERT_EQ(dst->Blt(&d, src, &s, dd::kBltDDFX, &fx), 0);
  EXPECT_EQ(dst->RawPixel(0, 0), 13u);
  EXPECT_EQ(dst->RawPixel(1, 0), 12u);
  src->Release();
  dst->Release();
}

// Writes one raw pixel through a lock.
void Poke(SoftSurface* s, uint32_t x, uint32_t y, uint32_t raw) {
  DdSurfaceDesc d;
  ASSERT_EQ(s->Lock(&d, dd::kLockWait), 0);
  std::memcpy(d.surface + size_t(y) * d.pitch + size_t(x) * (d.pf.bitCount / 8), &raw,
              d.pf.bitCount / 8);
  s->Unlock();
}

// Every pixel of two surfaces of one size, as "x,y=raw" lines where they differ.
std::string Differences(const SoftSurface* a, const SoftSurface* b) {
  std::string out;
  for (uint32_t y = 0; y < a->Height(); ++y)
    for (uint32_t x = 0; x < a->Width(); ++x)
      if (a->RawPixel(x, y) != b->RawPixel(x, y))
        out += std::to_string(x) + "," + std::to_string(y) + " ";
  return out;
}

// A surface stored at texel scale 2 draws exactly as the same picture stored
// in 2 x 2 blocks, whatever the blit asks: a start inside a block, mirroring
// either way, stretching, the key, a clipper cutting it.
TEST(SoftDraw, ScaledSourceDrawsAsItsBlocks) {
  for (DdPixelFormat pf : {fmt::XRGB8888(), fmt::RGB565()}) {
    Device dev;
    SoftSurface* scaled = dev.Make(5, 3, &pf, 2);  // shows 10 x 6
    SoftSurface* blocks = dev.Make(10, 6, &pf);
    const uint32_t key = 7;
    for (uint32_t y = 0; y < 3; ++y)
      for (uint32_t x = 0; x < 5; ++x) {
        const uint32_t v = x == 2 && y == 1 ? key : 100 + 10 * y + x;
        Poke(scaled, x, y, v);
        Fill(blocks, {int32_t(2 * x), int32_t(2 * y), int32_t(2 * x + 2), int32_t(2 * y + 2)}, v);
      }
    for (SoftSurface* s : {scaled, blocks}) s->SetColorKey(dd::kColorKeySrcBlt, key, key);
    DdSurfaceDesc desc;
    ASSERT_EQ(scaled->GetSurfaceDesc(&desc), 0);
    EXPECT_EQ(desc.width, 5u);  // the stored texels
    EXPECT_EQ(desc.texelScale, 2u);
    struct Case {
      DdRect d, s;
      uint32_t fx;
    } cases[] = {{{0, 0, 10, 6}, {0, 0, 10, 6}, 0},
                 {{3, 2, 10, 7}, {1, 1, 8, 6}, 0},
                 {{0, 0, 7, 5}, {3, 1, 10, 6}, dd::kFxMirrorLeftRight},
                 {{2, 2, 8, 8}, {0, 0, 6, 6}, dd::kFxMirrorLeftRight | dd::kFxMirrorUpDown},
                 {{0, 0, 15, 9}, {1, 0, 10, 6}, 0},
                 {{-3, -1, 6, 5}, {1, 0, 10, 6}, dd::kFxMirrorLeftRight}};
    SoftClipper* clip = nullptr;
    ASSERT_EQ(dev.dd->CreateClipper(0, &clip), 0);
    for (const Case& c : cases) {
      for (uint32_t flags : {dd::kBltKeySrc, 0u}) {
        SoftSurface* a = dev.Make(16, 10, &pf);
        SoftSurface* b = dev.Make(16, 10, &pf);
        a->SetClipper(clip);
        b->SetClipper(clip);
        DdBltFx fx;
        fx.ddfx = c.fx;
        DdRect d = c.d, s = c.s;
        ASSERT_EQ(a->Blt(&d, scaled, &s, flags | dd::kBltDDFX, &fx), 0);
        ASSERT_EQ(b->Blt(&d, blocks, &s, flags | dd::kBltDDFX, &fx), 0);
        EXPECT_EQ(Differences(a, b), "") << pf.bitCount << " bpp, to " << c.d.left << ","
                                         << c.d.top << ", flags " << flags;
        a->Release();
        b->Release();
      }
    }
    // The shown size bounds its rectangles; it is never drawn onto.
    DdRect past{0, 0, 11, 6}, all{0, 0, 10, 6};
    SoftSurface* dst = dev.Make(16, 10, &pf);
    EXPECT_EQ(dst->Blt(&all, scaled, &past, 0, nullptr), dd::kErrInvalidRect);
    EXPECT_EQ(scaled->Blt(&all, blocks, &all, 0, nullptr), dd::kErrUnsupported);
    clip->Release();
    for (SoftSurface* s : {scaled, blocks, dst}) s->Release();
  }
}

// A 32-bit surface of one raw value with a colour key.
// A full-screen primary surface with one attached back buffer.
void FlippingPrimary(Device& dev, SoftSurface*& primary, SoftSurface*& back) {
  DdSurfaceDesc pd;
  pd.flags = dd::kSdCaps | dd::kSdBackBufferCount;
  pd.backBufferCount = 1;
  pd.caps = dd::kCapsPrimarySurface | dd::kCapsFlip | dd::kCapsComplex;
  ASSERT_EQ(dev.dd->CreateSurface(pd, &primary), 0);
  ASSERT_EQ(primary->GetAttachedSurface(dd::kCapsBackBuffer, &back), 0);
}

SoftSurface* Keyed(Device& dev, int32_t w, int32_t h, uint32_t raw, uint32_t key) {
  DdPixelFormat pf = fmt::XRGB8888();
  SoftSurface* s = dev.Make(uint32_t(w), uint32_t(h), &pf);
  Fill(s, {0, 0, w, h}, raw);
  s->SetColorKey(dd::kColorKeySrcBlt, key, key);
  return s;
}

// Fills dst with 8, blits src's rectangle r keyed onto the same place and
// reads two pixels of the first row.
std::string FillThenBlit(SoftSurface* dst, SoftSurface* src, DdRect r, uint32_t x0, uint32_t x1) {
  Fill(dst, {0, 0, int32_t(dst->Width()), int32_t(dst->Height())}, 8);
  EXPECT_EQ(dst->Blt(&r, src, &r, dd::kBltKeySrc, nullptr), 0);
  return std::to_string(dst->RawPixel(x0, 0)) + " " + std::to_string(dst->RawPixel(x1, 0));
}

// A fill may be applied late, but whatever reads or draws next sees it as if
// it had been drawn at once.
TEST(SoftDraw, LateFillReadsAsIfDrawnAtOnce) {
  Device dev;
  SoftSurface* dst = Keyed(dev, 6, 4, 0, 0);
  SoftSurface* opaque = Keyed(dev, 6, 4, 9, 5);
  SoftSurface* holed = Keyed(dev, 6, 4, 9, 5);
  Fill(holed, {2, 0, 3, 1}, 5);  // one key texel
  const DdRect all{0, 0, 6, 4};
  EXPECT_EQ(FillThenBlit(dst, opaque, all, 2, 3), "9 9");  // covers it all
  EXPECT_EQ(FillThenBlit(dst, opaque, {0, 0, 3, 4}, 2, 3), "9 8");
  EXPECT_EQ(FillThenBlit(dst, holed, all, 2, 3), "8 9");  // the hole shows it
  Fill(dst, all, 6);
  ASSERT_EQ(opaque->Blt(&all, dst, &all, 0, nullptr), 0);  // read as a source
  EXPECT_EQ(opaque->RawPixel(0, 0), 6u);
  Fill(dst, all, 4);
  DdSurfaceDesc d;
  ASSERT_EQ(dst->Lock(&d, dd::kLockWait), 0);
  EXPECT_EQ(d.surface[0], 4u);
  dst->Unlock();
  for (SoftSurface* s : {dst, opaque, holed}) s->Release();
}

// Whether a surface holds key texels is learnt again after every change of
// its pixels or its key: each change below makes a key texel appear.
TEST(SoftDraw, KeyTexelsAreFoundAgainAfterEveryChange) {
  Device dev;
  SoftSurface* src = Keyed(dev, 2, 1, 1, 5);
  SoftSurface* dst = Keyed(dev, 2, 1, 0, 0);
  const DdRect all{0, 0, 2, 1};
  auto draw = [&] { return FillThenBlit(dst, src, all, 0, 1); };
  auto plain = [&] {
    Fill(src, all, 1);
    src->SetColorKey(dd::kColorKeySrcBlt, 5, 5);
    return draw();
  };
  EXPECT_EQ(draw(), "1 1");
  src->SetColorKey(dd::kColorKeySrcBlt, 1, 1);
  EXPECT_EQ(draw(), "8 8");
  EXPECT_EQ(plain(), "1 1");
  Poke(src, 0, 0, 5);  // written through a lock
  EXPECT_EQ(draw(), "8 1");
  EXPECT_EQ(plain(), "1 1");
  Fill(src, {1, 0, 2, 1}, 5);  // drawn onto
  EXPECT_EQ(draw(), "1 8");
  EXPECT_EQ(plain(), "1 1");
  src->Bits()[0] = 5;  // written directly
  EXPECT_EQ(draw(), "8 1");
  src->Release();
  dst->Release();
}

TEST(SoftDraw, LockIsExclusiveAndLostSurfacesRefuse) {
  Device dev;
  SoftSurface* s = dev.Make(8, 2);
  DdSurfaceDesc d;
  ASSERT_EQ(s->Lock(&d, dd::kLockWait), 0);
  EXPECT_EQ(d.pitch, 32);
  EXPECT_EQ(d.pf, fmt::XRGB8888());  // the desktop's format
  DdSurfaceDesc again;
  EXPECT_EQ(s->Lock(&again, dd::kLockWait), dd::kErrLocked);
  DdBltFx fx;
  EXPECT_EQ(s->Blt(nullptr, nullptr, nullptr, dd::kBltColorFill, &fx), dd::kErrLocked);
  EXPECT_EQ(s->Unlock(), 0);
  EXPECT_EQ(s->Unlock(), dd::kErrNotLocked);

  SimulateSurfaceLoss();
  EXPECT_NE(s->IsLost(), 0);
  EXPECT_EQ(s->Lock(&d, dd::kLockWait), dd::kErrSurfaceLost);
  EXPECT_EQ(s->Blt(nullptr, nullptr, nullptr, dd::kBltColorFill, &fx), dd::kErrSurfaceLost);
  EXPECT_EQ(s->Restore(), 0);
  EXPECT_EQ(s->IsLost(), 0);
  EXPECT_EQ(s->Blt(nullptr, nullptr, nullptr, dd::kBltColorFill, &fx), 0);
  EXPECT_EQ(s->Release(), 0u);
  EXPECT_EQ(LiveSurfaceCount(), 0);
}

TEST(SoftDraw, InjectedFailuresAndVideoMemory) {
  Device dev;
  SoftDrawTestSetup().failVideoMemory = true;
  DdSurfaceDesc d;
  d.flags = dd::kSdCaps | dd::kSdWidth | dd::kSdHeight;
  d.width = d.height = 4;
  d.caps = dd::kCapsOffscreenPlain | dd::kCapsVideoMemory;
  SoftSurface* s = nullptr;
  EXPECT_NE(dev.dd->CreateSurface(d, &s), 0);
  EXPECT_EQ(s, nullptr);
  d.caps = dd::kCapsOffscreenPlain | dd::kCapsSystemMemory;
  SoftDrawTestSetup().failCreateSurfaceAfter = 1;
  ASSERT_EQ(dev.dd->CreateSurface(d, &s), 0);
  s->Release();
  EXPECT_EQ(dev.dd->CreateSurface(d, &s), dd::kErrInjected);
  ASSERT_EQ(dev.dd->CreateSurface(d, &s), 0);
  s->Release();
  d.width = 0;
  EXPECT_EQ(dev.dd->CreateSurface(d, &s), dd::kErrInvalidParams);
}

TEST(SoftDraw, WindowedPrimaryPresentsThroughItsClipper) {
  Device dev;
  OffscreenPresenter window;
  ASSERT_EQ(dev.dd->SetCooperativeLevel(&window, dd::kSclNormal), 0);
  DdSurfaceDesc pd;
  pd.flags = dd::kSdCaps;
  pd.caps = dd::kCapsPrimarySurface;
  SoftSurface* primary = nullptr;
  ASSERT_EQ(dev.dd->CreateSurface(pd, &primary), 0);
  SoftClipper* clip = nullptr;
  ASSERT_EQ(dev.dd->CreateClipper(0, &clip), 0);
  clip->SetWindow(&window);
  primary->SetClipper(clip);

  SoftSurface* back = dev.Make(4, 2);
  Fill(back, {0, 0, 4, 2}, 0x00FF00);
  Fill(back, {3, 1, 4, 2}, 0x0000FF);
  DdRect client{0, 0, 4, 2};
  ASSERT_EQ(primary->Blt(&client, back, nullptr, dd::kBltWait, nullptr), 0);
  EXPECT_EQ(window.Frames(), 1);
  EXPECT_EQ(window.Width(), 4);
  EXPECT_EQ(window.Pixel(0, 0), 0x00FF00u);
  EXPECT_EQ(window.Pixel(3, 1), 0x0000FFu);
  EXPECT_EQ(window.Pixel(4, 1), 0u);  // outside the frame reads black
  // The shown frame saved as a picture: a PPM header, then red, green, blue.
  const std::string ppm = testing::TempDir() + "qorv_frame.ppm";
  ASSERT_TRUE(window.SavePPM(ppm));
  std::ifstream in(ppm, std::ios::binary);
  const std::string saved((std::istreambuf_iterator<char>(in)), {});
  std::string want = "P6\n4 2\n255\n";
  for (int i = 0; i < 7; ++i) want += std::string("\0\xFF\0", 3);  // green
  want += std::string("\0\0\xFF", 3);                               // then blue
  EXPECT_EQ(saved, want);
  std::remove(ppm.c_str());
  EXPECT_FALSE(window.SavePPM("/qorv_nowhere/frame.ppm"));
  // A present larger than the client area is clipped, not refused.
  DdRect big{-2, 0, 6, 2};
  EXPECT_EQ(primary->Blt(&big, back, nullptr, dd::kBltWait, nullptr), 0);
  EXPECT_EQ(window.Frames(), 2);

  back->Release();
  primary->Release();
  EXPECT_EQ(clip->Release(), 0u);
}

TEST(SoftDraw, SixteenBitScreenPresentsExpandedColours) {
  Device dev;
  OffscreenPresenter window;
  ASSERT_EQ(dev.dd->SetCooperativeLevel(&window, dd::kSclFullScreenExclusive), 0);
  ASSERT_EQ(dev.dd->SetDisplayMode(4, 2, 16, 0, 0), 0);
  SoftSurface *primary = nullptr, *back = nullptr;
  ASSERT_NO_FATAL_FAILURE(FlippingPrimary(dev, primary, back));
  EXPECT_EQ(back->Format(), fmt::RGB565());
  SoftClipper* clip = nullptr;
  dev.dd->CreateClipper(0, &clip);
  clip->SetWindow(&window);
  primary->SetClipper(clip);
  Fill(back, {0, 0, 4, 2}, 0xF800);
  ASSERT_EQ(primary->Flip(dd::kFlipWait), 0);
  EXPECT_EQ(window.Pixel(1, 1), 0xFF0000u);
  SoftDrawTestSetup().failFlip = true;
  EXPECT_NE(primary->Flip(dd::kFlipWait), 0);
  EXPECT_EQ(back->Release(), 1u);  // the chain still holds it
  EXPECT_EQ(primary->Release(), 0u);
  EXPECT_EQ(clip->Release(), 0u);
  EXPECT_EQ(LiveSurfaceCount(), 0);
  dev.dd->RestoreDisplayMode();
}

// A flip swaps what the two surfaces hold, so each finds its key texels
// afresh; the driver's capabilities and a few device rules.
TEST(SoftDraw, FlipMakesBothSurfacesLookForKeyTexelsAgain) {
  Device dev;
  DdCaps drv, emu{0xFFu, 0xFFu};
  ASSERT_EQ(dev.dd->GetCaps(&drv, &emu), 0);
  EXPECT_EQ(drv.caps, dd::kCaps3D);
  EXPECT_EQ(emu.caps, 0u) << "nothing emulated";
  EXPECT_EQ(emu.surfaceCaps, 0u);
  EXPECT_EQ(dev.dd->GetCaps(nullptr, nullptr), 0);
  SoftDraw* none = dev.dd;
  EXPECT_EQ(SoftDraw::Create(7, &none), dd::kErrNotFound);
  EXPECT_EQ(none, nullptr);
  SoftPalette* pal = reinterpret_cast<SoftPalette*>(&drv);
  EXPECT_EQ(dev.dd->CreatePalette(0, nullptr, &pal), dd::kErrUnsupported) << "only 8-bit palettes";
  EXPECT_EQ(pal, nullptr);

  OffscreenPresenter window;
  ASSERT_EQ(dev.dd->SetCooperativeLevel(&window, dd::kSclFullScreenExclusive), 0);
  EXPECT_NE(dev.dd->SetDisplayMode(4, 2, 24, 0, 0), 0);
  EXPECT_NE(dev.dd->SetDisplayMode(0, 2, 32, 0, 0), 0);
  EXPECT_NE(dev.dd->SetDisplayMode(16385, 2, 32, 0, 0), 0);
  ASSERT_EQ(dev.dd->SetDisplayMode(4, 2, 32, 0, 0), 0);
  SoftSurface *primary = nullptr, *back = nullptr;
  ASSERT_NO_FATAL_FAILURE(FlippingPrimary(dev, primary, back));
  constexpr uint32_t kKey = 0x00FF00FF;
  for (SoftSurface* s : {primary, back}) s->SetColorKey(dd::kColorKeySrcBlt, kKey, kKey);
  const uint8_t* shown = primary->Bits();
  Fill(primary, {0, 0, 4, 2}, 0x000001);
  EXPECT_EQ(int(shown[4 * 3]), 1) << "the primary's memory holds a fill at once";
  Fill(back, {0, 0, 4, 2}, kKey);
  EXPECT_FALSE(primary->HasKeyTexels());
  EXPECT_TRUE(back->HasKeyTexels());
  ASSERT_EQ(primary->Flip(dd::kFlipWait), 0);
  EXPECT_TRUE(primary->HasKeyTexels());
  EXPECT_FALSE(back->HasKeyTexels());
  back->Release();
  primary->Release();
  dev.dd->RestoreDisplayMode();
}

// Only a surface of the same size, once, and not the surface itself, is
// attached; what is not attached is not found.
TEST(SoftDraw, AttachingKeepsToItsRules) {
  Device dev;
  SoftSurface* a = dev.Make(4, 4);
  SoftSurface* b = dev.Make(4, 4);
  SoftSurface* small = dev.Make(2, 2);
  SoftSurface* found = a;
  EXPECT_EQ(a->GetAttachedSurface(dd::kCapsZBuffer, &found), dd::kErrNotFound);
  EXPECT_EQ(found, nullptr);
  EXPECT_EQ(a->GetAttachedSurface(dd::kCapsBackBuffer, &found), dd::kErrNotFound);
  EXPECT_NE(a->GetAttachedSurface(dd::kCapsZBuffer, nullptr), 0);
  EXPECT_EQ(a->AddAttachedSurface(nullptr), dd::kErrInvalidParams);
  EXPECT_EQ(a->AddAttachedSurface(a), dd::kErrInvalidParams);
  EXPECT_EQ(a->AddAttachedSurface(small), dd::kErrInvalidParams);
  EXPECT_EQ(a->AddAttachedSurface(b), 0);
  EXPECT_EQ(a->AddAttachedSurface(b), dd::kErrInvalidParams);
  EXPECT_EQ(a->GetAttachedSurface(dd::kCapsZBuffer, &found), dd::kErrNotFound) << "b is no depth buffer";
  EXPECT_EQ(a->DeleteAttachedSurface(small), dd::kErrNotFound);
  EXPECT_EQ(a->DeleteAttachedSurface(b), 0);
  EXPECT_EQ(a->DeleteAttachedSurface(b), dd::kErrNotFound);
  for (SoftSurface* s : {a, b, small}) EXPECT_EQ(s->Release(), 0u);
}
