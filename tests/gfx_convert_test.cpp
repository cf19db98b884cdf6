// Pixel-format conversions of the bitmap store: depth round trips, the
// run-length codecs on crafted streams, colour reduction and halftoning.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "graphics/QxDIB.h"
#include "graphics/QxDIBConvert.h"
#include "tests/PictureBuild.h"

namespace {

// A store-shaped record of the given size and depth with zeroed rows.
TQxDIBInfos Blank(int32_t w, int32_t h, int bits, uint32_t colours) {
  TQxDIBInfos d;
  d.W3Head.biWidth = w;
  d.W3Head.biHeight = h;
  d.W3Head.biBitCount = uint16_t(bits);
  d.W3Head.biClrUsed = colours;
  qxconv::TakeRows(d, true);
  return d;
}

uint8_t* Row(TQxDIBInfos& d, int64_t y) {
  return d.Bits.data() + DIBRowBytes(d.W3Head.biWidth, d.W3Head.biBitCount) * y;
}

// An RLE record holding the given codes.
TQxDIBInfos Rle(int32_t w, int32_t h, bool four, std::vector<uint8_t> codes) {
  TQxDIBInfos d;
  d.W3Head.biWidth = w;
  d.W3Head.biHeight = h;
  d.W3Head.biBitCount = four ? 4 : 8;
  d.W3Head.biCompression = four ? 2 : 1;
  d.BitsSize = int32_t(codes.size());
  d.Bits = std::move(codes);
  return d;
}

// The error text of a conversion, or "" when it worked.
template <typename F>
std::string ErrorOf(F f) {
  try {
    f();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "";
}

void SetPixel24(TQxDIBInfos& d, int64_t x, int64_t y, uint8_t r, uint8_t g, uint8_t b) {
  uint8_t* p = Row(d, y) + 3 * x;
  p[0] = b, p[1] = g, p[2] = r;
}

}  // namespace

TEST(QxConvert, IndexedDepthsRoundTripThroughWiderOnes) {
  // A 1-bit picture with a two-colour table, widened and compared pixel by pixel.
  TQxDIBInfos one = Blank(11, -3, 1, 2);
  one.Colors[0] = {10, 20, 30, 0};
  one.Colors[1] = {200, 210, 220, 0};
  for (int y = 0; y < 3; ++y) Row(one, y)[0] = uint8_t(0xA5 ^ y), Row(one, y)[1] = 0xC0;
  TQxDIBInfos four, eight, tc;
  Convert1BitRGBTo4BitRGB(one, four, true);
  Convert4BitRGBTo8BitRGB(four, eight, true);
  Convert8BitRGBToTrueColor(eight, tc, true);
  EXPECT_EQ(four.W3Head.biHeight, -3);
  EXPECT_EQ(eight.W3Head.biClrUsed, 2u);
  EXPECT_EQ(tc.W3Head.biBitCount, 24);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 11; ++x) {
      const int bit = Row(one, y)[x / 8] >> (7 - x % 8) & 1;
      const uint8_t nib = (x & 1) ? Row(four, y)[x / 2] & 15 : Row(four, y)[x / 2] >> 4;
      EXPECT_EQ(nib, bit);
      EXPECT_EQ(Row(eight, y)[x], bit);
      EXPECT_EQ(Row(tc, y)[3 * x + 2], bit ? 220 : 30);
    }
  // And back down to one bit: the white-table colour 200,210,220 is the background.
  TQxDIBInfos back;
  ConvertTrueColorTo1BitRGB(tc, back, 0xC8D2DC, true);  // 0x00BBGGRR
  for (int y = 0; y < 3; ++y) EXPECT_EQ(Row(back, y)[0], Row(one, y)[0]);
  EXPECT_EQ(back.W3Head.biClrUsed, 2u);
  EXPECT_EQ(back.Colors[1], (TQxRGBQuad{255, 255, 255, 0}));

  // 4 and 8 bits to 1 compare table colours too.
  TQxDIBInfos b4, b8;
  Convert4BitRGBTo1BitRGB(four, b4, 0x0A141E, true);
  Convert8BitRGBTo1BitRGB(eight, b8, 0x0A141E, true);
  EXPECT_EQ(Row(b4, 0)[0], uint8_t(~Row(one, 0)[0]));
  EXPECT_EQ(Row(b8, 2)[1] & 0xE0, uint8_t(~0xC0) & 0xE0);

  // Wrong sources name the member.
  EXPECT_EQ(ErrorOf([&] { Convert4BitRGBTo8BitRGB(one, four, true); }),
            "Convert4BitRGBTo8BitRGB: Invalid Bitcount & Compression Combination");
  EXPECT_EQ(ErrorOf([&] { Convert8BitRGBTo1BitRGB(four, b8, 0, true); }),
            "Convert8BitTo1BitRGB: Invalid Bitcount or Compression");
  EXPECT_EQ(ErrorOf([&] { ConvertTrueColorTo1BitRGB(eight, b8, 0, true); }),
            "ConvertTrueColorTo1BitRGB: Invalid Bitcount");
  // A record whose pixels are shorter than its rows is refused, not read past.
  TQxDIBInfos shortRows = Blank(8, 8, 8, 256);
  shortRows.Bits.resize(10);
  EXPECT_THROW(Convert8BitRGBToTrueColor(shortRows, tc, true), EQxDIBInvalidDIB);
}

TEST(QxConvert, RLE8EncoderRuns) {
  auto enc = [](std::vector<uint8_t> row) { return QxEncodeRLE8Row(row); };
  EXPECT_EQ(enc({1, 2, 3, 3, 3, 4}), (std::vector<uint8_t>{1, 1, 1, 2, 3, 3, 1, 4}));
  EXPECT_EQ(enc({7, 8, 8}), (std::vector<uint8_t>{1, 7, 2, 8}));
  EXPECT_EQ(enc({9, 8, 7, 6, 5}), (std::vector<uint8_t>{0, 5, 9, 8, 7, 6, 5, 0}));
  EXPECT_EQ(enc(std::vector<uint8_t>(300, 4)), (std::vector<uint8_t>{255, 4, 45, 4}));
  // A literal block stops at 255 values.
  std::vector<uint8_t> ramp(256);
  for (int i = 0; i < 256; ++i) ramp[size_t(i)] = uint8_t(i);
  auto out = enc(ramp);
  ASSERT_EQ(out.size(), 2u + 255 + 1 + 2);
  EXPECT_EQ(out[1], 255);
  EXPECT_EQ(out[258], 1);
  EXPECT_EQ(out[259], 255);
}

TEST(QxConvert, RLE4EncoderCountsPixels) {
  const std::vector<uint8_t> row = {0x11, 0x11, 0x10};
  EXPECT_EQ(QxEncodeRLE4Row(row, 5), (std::vector<uint8_t>{4, 0x11, 1, 0x10}));
  const std::vector<uint8_t> lit = {0x12, 0x34, 0x56};
  EXPECT_EQ(QxEncodeRLE4Row(lit, 6), (std::vector<uint8_t>{0, 6, 0x12, 0x34, 0x56, 0}));
}

TEST(QxConvert, RLEEncodersRefuseDataThatDoNotShrink) {
  TQxDIBInfos tiny = Blank(1, 1, 8, 256), out;
  EXPECT_EQ(ErrorOf([&] { Convert8BitRGBTo8BitRLE(tiny, out, true); }),
            "Convert8BitRGBTo8BitRLE: Compression Failed");
  TQxDIBInfos distinct = Blank(4, 1, 8, 256);
  for (int i = 0; i < 4; ++i) Row(distinct, 0)[i] = uint8_t(i + 1);
  EXPECT_THROW(Convert8BitRGBTo8BitRLE(distinct, out, true), EQxDIBCompressionFailed);
  EXPECT_EQ(ErrorOf([&] { Convert8BitRGBTo8BitRLE(Blank(4, 1, 4, 16), out, true); }),
            "Convert8BitRGBTo8BitRLE: Invalid Bitcount & Compression Combination");
}

TEST(QxConvert, RLERoundTripsAndTopDownBecomesBottomUp) {
  for (bool four : {false, true}) {
    // Top-down source: rows of flat runs with a few odd pixels.
    TQxDIBInfos src = Blank(40, -6, four ? 4 : 8, four ? 16 : 256);
    const int64_t rb = DIBRowBytes(40, four ? 4 : 8);
    for (int y = 0; y < 6; ++y)
      for (int64_t i = 0; i < rb; ++i) Row(src, y)[i] = uint8_t(i < 3 ? 0x21 * y + i : 0x33 * y);
    TQxDIBInfos rle, back;
    if (four) Convert4BitRGBTo4BitRLE(src, rle, true);
    else Convert8BitRGBTo8BitRLE(src, rle, true);
    EXPECT_EQ(rle.W3Head.biHeight, 6);
    EXPECT_EQ(rle.W3Head.biCompression, four ? 2u : 1u);
    EXPECT_EQ(rle.W3Head.biSizeImage, uint32_t(rle.BitsSize));
    EXPECT_EQ(rle.Bits.size(), size_t(rle.BitsSize));
    EXPECT_EQ(rle.Bits[rle.Bits.size() - 1], 1);
    if (four) Convert4BitRLETo4BitRGB(rle, back, true);
    else Convert8BitRLETo8BitRGB(rle, back, true);
    EXPECT_EQ(back.W3Head.biCompression, 0u);
    // Output row y (bottom-up) is source row 5 - y.
    for (int y = 0; y < 6; ++y)
      EXPECT_EQ(std::vector<uint8_t>(Row(back, y), Row(back, y) + 20),
                std::vector<uint8_t>(Row(src, 5 - y), Row(src, 5 - y) + 20))
          << "four " << four << " row " << y;
  }
}

TEST(QxConvert, RLE8DecoderOnCraftedStreams) {
  TQxDIBInfos out;
  auto decode = [&](int32_t w, int32_t h, std::vector<uint8_t> codes) {
    return ErrorOf([&] { Convert8BitRLETo8BitRGB(Rle(w, h, false, std::move(codes)), out, true); });
  };
  // Run, literal with pad, delta, end of line, end of bitmap.
  ASSERT_EQ(decode(6, 3, {2, 9, 0, 3, 1, 2, 3, 0, 0, 2, 0, 1, 1, 7, 0, 0, 0, 2, 1, 0, 2, 8, 0, 1}), "");
  EXPECT_EQ(std::vector<uint8_t>(Row(out, 0), Row(out, 0) + 6), (std::vector<uint8_t>{9, 9, 1, 2, 3, 0}));
  EXPECT_EQ(Row(out, 1)[0], 0);
  EXPECT_EQ(Row(out, 1)[5], 7);  // the delta moved one row up, same column
  EXPECT_EQ(Row(out, 2)[1], 8);  // after the end of line, one right
  // A run or a literal reaching exactly the row's end is fine, one past is not.
  EXPECT_EQ(decode(4, 1, {4, 1, 0, 1}), "");
  EXPECT_EQ(decode(4, 1, {5, 1}), "Convert8BitRLETo8BitRGB: Bad RLE Data 4");
  EXPECT_EQ(decode(4, 1, {2, 1, 0, 3, 1, 2, 3, 0}), "Convert8BitRLETo8BitRGB: Bad RLE Data 3");
  // Past the last row: a run after the last end of line, an end of line too many.
  EXPECT_EQ(decode(4, 1, {0, 0, 1, 1}), "Convert8BitRLETo8BitRGB: Bad RLE Data 4");
  EXPECT_EQ(decode(4, 1, {0, 0, 0, 0}), "Convert8BitRLETo8BitRGB: Bad RLE Data 1");
  EXPECT_EQ(decode(4, 2, {0, 2, 0, 3}), "Convert8BitRLETo8BitRGB: Bad RLE Data 2");
  EXPECT_EQ(decode(4, 2, {0, 2, 5, 0}), "Convert8BitRLETo8BitRGB: Bad RLE Data 2");
  // Data that end between codes end the picture; a cut code is refused.
  EXPECT_EQ(decode(4, 2, {2, 5}), "");
  EXPECT_EQ(Row(out, 0)[1], 5);
  EXPECT_EQ(decode(4, 2, {0, 4, 1, 2}), "Convert8BitRLETo8BitRGB: Bad RLE Data (Truncated)");
  EXPECT_EQ(decode(4, 2, {0, 2, 1}), "Convert8BitRLETo8BitRGB: Bad RLE Data (Truncated)");
  // BitsSize shorter than the buffer limits what is read.
  TQxDIBInfos cut = Rle(4, 1, false, {2, 5, 2, 6});
  cut.BitsSize = 2;
  Convert8BitRLETo8BitRGB(cut, out, true);
  EXPECT_EQ(Row(out, 0)[2], 0);
}

TEST(QxConvert, RLE4DecoderOnCraftedStreams) {
  TQxDIBInfos out;
  auto decode = [&](int32_t w, int32_t h, std::vector<uint8_t> codes) {
    return ErrorOf([&] { Convert4BitRLETo4BitRGB(Rle(w, h, true, std::move(codes)), out, true); });
  };
  // A run of 3 alternates nibbles; a literal of 3 takes 2 bytes, padded to 2.
  ASSERT_EQ(decode(7, 2, {3, 0x12, 0, 3, 0x34, 0x50, 0, 0, 0, 2, 1, 0, 1, 0xF0, 0, 1}), "");
  EXPECT_EQ(Row(out, 0)[0], 0x12);
  EXPECT_EQ(Row(out, 0)[1], 0x13);
  EXPECT_EQ(Row(out, 0)[2], 0x45);
  EXPECT_EQ(Row(out, 1)[0], 0x0F);
  // The width is rounded up to even for the checks: 7 pixels allow a run of 8.
  EXPECT_EQ(decode(7, 1, {8, 0x11}), "");
  EXPECT_EQ(decode(7, 1, {9, 0x11}), "Convert4BitRLETo4BitRGB: Bad RLE Data 8");
  EXPECT_EQ(decode(7, 1, {0, 9, 1, 2, 3, 4, 5, 0}), "Convert4BitRLETo4BitRGB: Bad RLE Data 7");
  EXPECT_EQ(decode(7, 1, {0, 0, 0, 0}), "Convert4BitRLETo4BitRGB: Bad RLE Data 5");
  EXPECT_EQ(decode(7, 1, {0, 2, 9, 0}), "Convert4BitRLETo4BitRGB: Bad RLE Data 6");
  EXPECT_EQ(decode(7, 1, {0, 5, 0x12}), "Convert4BitRLETo4BitRGB: Bad RLE Data (Truncated)");
}

TEST(QxConvert, StoreChainsConversionsAndKeepsItselfOnFailure) {
  TQxInternalDIB s(true);
  s.FreeDIB();
  s.CreateDIB(5, 2, 4, 16);
  s.DIBInfos.Colors[3] = {1, 2, 3, 0};
  s.DIBInfos.Bits[0] = 0x30;
  s.SetPixelFormat(qxPf24Bit, qxCmNormal, 0, nullptr);
  EXPECT_EQ(s.GetPixelFormat(), qxPf24Bit);
  EXPECT_EQ(s.DIBInfos.Bits[2], 3);  // red of colour 3
  EXPECT_TRUE(s.PaletteModified);
  EXPECT_THROW(s.SetPixelFormat(qxPf24Bit, qxCmNormal, 0, nullptr), plat::EAssertionFailed);
  // A 1 x 1 picture does not shrink as RLE8: the reduction worked, the last
  // step failed, and the store stays as it was.
  TQxInternalDIB one(true);
  one.FreeDIB();
  one.CreateDIB(1, 1, 24, 0);
  one.DIBInfos.Bits[1] = 77;
  const auto before = one.DIBInfos.Bits;
  EXPECT_THROW(one.SetPixelFormat(qxPf8BitRLE, qxCmNormal, 0, nullptr), EQxDIBCompressionFailed);
  EXPECT_EQ(one.GetPixelFormat(), qxPf24Bit);
  EXPECT_EQ(one.DIBInfos.Bits, before);

  // RLE8 to 4 bits: decoded, then its palette cut.
  TQxInternalDIB r(true);
  r.FreeDIB();
  r.CreateDIB(64, 4, 8, 256);
  for (int i = 0; i < 256; ++i) r.DIBInfos.Colors[i] = {uint8_t(i), uint8_t(i), uint8_t(i), 0};
  for (int y = 0; y < 4; ++y) std::fill_n(r.DIBInfos.Bits.data() + 64 * y, 64, uint8_t(y * 60));
  r.SetPixelFormat(qxPf8BitRLE, qxCmNormal, 0, nullptr);
  EXPECT_EQ(r.GetPixelFormat(), qxPf8BitRLE);
  int calls = 0;
  r.SetPixelFormat(qxPf4BitRLE, qxCmNormal, 0, [&] { ++calls; });
  EXPECT_EQ(calls, 16);
  EXPECT_EQ(r.GetPixelFormat(), qxPf4BitRLE);
  r.SetPixelFormat(qxPf8Bit, qxCmNormal, 0, nullptr);
  EXPECT_EQ(r.DIBInfos.W3Head.biClrUsed, 4u);
  const TQxRGBQuad& top = r.DIBInfos.Colors[r.DIBInfos.Bits[64 * 3]];
  EXPECT_EQ(top.rgbRed, 180);
}

TEST(QxDIBGraphicConvert, SharedStoresAndProgressRuns) {
  TQxDIB a;
  a.SetBitCount(24);
  a.SetWidth(8);
  a.SetHeight(8);
  TQxDIB b;
  b.Assign(&a);
  std::vector<std::pair<plat::ProgressStage, int>> events;
  b.OnProgress = [&](plat::Graphic&, plat::ProgressStage st, int pct, bool, const plat::Rect&,
                     const std::string&) { events.push_back({st, pct}); };
  b.SetPixelFormat(qxPf8Bit);
  EXPECT_EQ(b.GetPixelFormat(), qxPf8Bit);
  EXPECT_EQ(a.GetPixelFormat(), qxPf24Bit);  // the other sharer keeps its picture
  ASSERT_EQ(events.size(), 257u);            // starting, 255 running, ending
  EXPECT_EQ(events[1].second, 0);
  EXPECT_EQ(events[255].second, 99);
  EXPECT_EQ(events.back().first, plat::ProgressStage::Ending);

  events.clear();
  a.OnProgress = b.OnProgress;
  a.SetPixelFormat(qxPf4Bit);
  ASSERT_EQ(events.size(), 17u);
  EXPECT_EQ(events[1].second, 6);
  EXPECT_EQ(events[15].second, 93);
}

TEST(QxDIBGraphicConvert, HalftoneModesDrawThroughTheirConversions) {
  // The mode is only ever copied from another picture; a test picture sets it.
  struct Halftoned : TQxDIB {
    explicit Halftoned(TQxHalftoneMode m) { FHalftoneMode = m; }
  };
  picbuild::BmpSpec grey;
  grey.bits = 24;
  grey.pixels = {130, 130, 130, 0};  // a grey the 215-colour cube does not hold
  const std::vector<uint8_t> file = picbuild::MakeBmp(grey);
  const std::pair<TQxHalftoneMode, uint32_t> cases[] = {
      {qxHtNoHalftone, 0x828282}, {qxHtHalftone, 0x998080}, {qxHtHalftoneBW, 0xFFFFFF}};
  for (const auto& [mode, want] : cases) {
    Halftoned h(mode);
    h.LoadFromBytes(file);
    plat::Bitmap target;
    target.SetPixelFormat(plat::PixelFormat::pf32bit);
    target.SetSize(1, 1);
    h.Draw(target.GetCanvas(), {0, 0, 1, 1});
    EXPECT_EQ(target.Pixel(0, 0) & 0xFFFFFF, want) << "mode " << mode;
    EXPECT_EQ(h.GetHalftoneMode(), mode);
  }
}

TEST(QxReduce, OneColourGivesOneEntryInBothQualities) {
  for (bool fine : {false, true}) {
    TQxDIBInfos tc = Blank(7, 5, 24, 0), out;
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 7; ++x) SetPixel24(tc, x, y, 90, 160, 33);
    int calls = 0;
    if (fine) ConvertTrueColorTo8BitRGBHigh(tc, out, [&] { ++calls; }, true);
    else ConvertTrueColorTo8BitRGBLow(tc, out, [&] { ++calls; }, true);
    EXPECT_EQ(calls, 256);
    EXPECT_EQ(out.W3Head.biClrUsed, 1u);
    EXPECT_EQ(out.Colors[0], (TQxRGBQuad{33, 160, 90, 0}));
    EXPECT_EQ(Row(out, 4)[6], 0);
  }
}

TEST(QxReduce, TwoRedsGiveTheUpperOneIndexZero) {
  for (bool fine : {false, true}) {
    TQxDIBInfos tc = Blank(4, 1, 24, 0), out;
    for (int x = 0; x < 4; ++x) SetPixel24(tc, x, 0, x < 2 ? 100 : 200, 40, 40);
    if (fine) ConvertTrueColorTo4BitRGBHigh(tc, out, nullptr, true);
    else ConvertTrueColorTo4BitRGBLow(tc, out, nullptr, true);
    ASSERT_EQ(out.W3Head.biClrUsed, 2u);
    EXPECT_EQ(out.Colors[0].rgbRed, 200);
    EXPECT_EQ(out.Colors[1].rgbRed, 100);
    EXPECT_EQ(Row(out, 0)[0], 0x11);  // pixels 0, 1: red 100 = index 1
    EXPECT_EQ(Row(out, 0)[1], 0x00);
  }
}

// The axis of the first split of a fine cut over the given pixels.
TDivideID FirstAxis(std::vector<TQxTriple> px) {
  TCutHistory hist;
  hist.nNodes = 1;
  TQxRGBQuad colors[256];
  int32_t n = 0;
  CutPixels(0, int32_t(px.size()), 0, 1, px, colors, n, hist, 0, [] {});
  return hist.Nodes[0].DivideID;
}

TEST(QxReduce, VarianceTiesChooseRedThenGreen) {
  // Pixels are B, G, R. Weighted variances 3 x RD, 4 x GD, 2 x BD.
  // Red {0,0,0,4}: 3 x 3 = 9; green {0,0,3,3}: 4 x 9/4 = 9: a tie goes to red.
  EXPECT_EQ(FirstAxis({{0, 0, 0}, {0, 0, 0}, {0, 3, 0}, {0, 3, 4}}), cidRed);
  // Green {1,1,3,3}: 4 x 1 = 4; blue {0,2,2,4}: 2 x 2 = 4: a tie goes to green.
  EXPECT_EQ(FirstAxis({{0, 1, 0}, {2, 1, 0}, {2, 3, 0}, {4, 3, 0}}), cidGreen);
  // Blue alone spread.
  EXPECT_EQ(FirstAxis({{0, 5, 5}, {9, 5, 5}}), cidBlue);
  // Equal colours: every variance 0, red; one side only gets colours.
  TQxRGBQuad colors[256];
  int32_t n = 0;
  std::vector<TColorCube> flat = {{5, 5, 5, 1, 0}, {5, 5, 5, 3, 1}};
  CutCubes(0, 2, 0, 1, flat, colors, n, [] {});
  EXPECT_EQ(n, 1);
  EXPECT_EQ(flat[0].n, 0);
  EXPECT_EQ(flat[1].n, 0);
}

TEST(QxReduce, EightBitToFourKeepsUsedEntriesOnly) {
  TQxDIBInfos src = Blank(10, 2, 8, 256), out;
  const uint8_t used[5] = {3, 77, 128, 200, 254};
  for (int i = 0; i < 256; ++i) src.Colors[i] = {uint8_t(i), uint8_t(255 - i), uint8_t(i / 2), 0};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 10; ++x) Row(src, y)[x] = used[(x + y) % 5];
  Convert8BitRGBTo4BitRGB(src, out, nullptr, true);
  EXPECT_LE(out.W3Head.biClrUsed, 5u);
  EXPECT_EQ(out.W3Head.biBitCount, 4);
  // Each pixel's new colour is the old one (five colours fit in 16 exactly).
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 10; ++x) {
      const uint8_t b = Row(out, y)[x / 2];
      const uint8_t idx = (x & 1) ? b & 15 : b >> 4;
      EXPECT_EQ(out.Colors[idx], src.Colors[used[(x + y) % 5]]) << x << "," << y;
    }
  uint8_t table[256];
  int32_t n = 0;
  TQxRGBQuad colors[256];
  GetReducedColorsFrom256(src, n, colors, table, [] {});
  EXPECT_EQ(table[0], 0);
  EXPECT_EQ(table[255], 0);
  EXPECT_EQ(ErrorOf([&] { Convert8BitRGBTo4BitRGB(Blank(2, 2, 24, 0), out, nullptr, true); }),
            "Convert8BitRGBTo4BitRGB: Invalid Bitcount or Compression");
}

TEST(QxReduce, ManyColoursStayWithinTheTable) {
  TQxDIBInfos tc = Blank(64, 48, 24, 0);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) SetPixel24(tc, x, y, uint8_t(x * 4), uint8_t(y * 5), uint8_t((x ^ y) * 3));
  for (bool fine : {false, true})
    for (bool eight : {false, true}) {
      TQxDIBInfos out;
      if (fine) (eight ? ConvertTrueColorTo8BitRGBHigh : ConvertTrueColorTo4BitRGBHigh)(tc, out, nullptr, true);
      else (eight ? ConvertTrueColorTo8BitRGBLow : ConvertTrueColorTo4BitRGBLow)(tc, out, nullptr, true);
      const uint32_t max = eight ? 256 : 16;
      EXPECT_GT(out.W3Head.biClrUsed, max / 2);
      EXPECT_LE(out.W3Head.biClrUsed, max);
      // Every pixel maps to a colour near its own.
      for (int y = 0; y < 48; y += 7)
        for (int x = 0; x < 64; x += 5) {
          const uint8_t* r = Row(out, y);
          const uint8_t idx = eight ? r[x] : ((x & 1) ? r[x / 2] & 15 : r[x / 2] >> 4);
          ASSERT_LT(idx, out.W3Head.biClrUsed);
          EXPECT_NEAR(out.Colors[idx].rgbRed, x * 4, eight ? 40 : 100);
        }
    }
}

TEST(QxHalftone, FirstPixelLevelsAndErrors) {
  TQxDIBInfos tc = Blank(3, 1, 24, 0), out;
  SetPixel24(tc, 0, 0, 130, 130, 130);
  ConvertToHalfTone(tc, out, true);
  EXPECT_EQ(Row(out, 0)[0], 122);
  EXPECT_EQ(out.W3Head.biClrUsed, 215u);
  EXPECT_EQ(out.Colors[214], (TQxRGBQuad{128, 128, 128, 0}));
  EXPECT_EQ(out.Colors[210], (TQxRGBQuad{0, 0, 128, 0}));
  // The second pixel (black) carries 12/32 of the first's errors: 23, -2, -2.
  // red: 0 - 276/32 = -8 -> level 0; green 0 + 0 -> 0.
  EXPECT_EQ(Row(out, 0)[1], 0);
}

TEST(QxHalftone, GreyImageUsesOnlyTheCubeAndRoundTrips) {
  TQxDIBInfos tc = Blank(33, 17, 24, 0), out;
  for (int y = 0; y < 17; ++y)
    for (int x = 0; x < 33; ++x) SetPixel24(tc, x, y, uint8_t(x * 7), uint8_t(y * 15), 128);
  ConvertToHalfTone(tc, out, true);
  std::set<int> seen;
  for (int y = 0; y < 17; ++y)
    for (int x = 0; x < 33; ++x) seen.insert(Row(out, y)[x]);
  EXPECT_LT(*seen.rbegin(), 210);
  // Indexed sources go through their tables.
  TQxDIBInfos idx = Blank(5, 3, 4, 16), out2;
  idx.Colors[0] = {255, 255, 255, 0};
  ConvertToHalfTone(idx, out2, true);
  EXPECT_EQ(Row(out2, 2)[4], 214 - 5);  // white: 5 x 35 + 6 x 5 + 4 = 209
  TQxDIBInfos rle = Rle(4, 1, false, {4, 0, 0, 1});
  EXPECT_THROW(ConvertToHalfTone(rle, out2, true), plat::EAssertionFailed);
}

TEST(QxHalftone, BlackAndWhiteOnMidGrey) {
  TQxDIBInfos grey = Blank(16, 4, 24, 0), out;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 16; ++x) SetPixel24(grey, x, y, 128, 128, 128);
  ConvertToHalfToneBW(grey, out, true);
  EXPECT_EQ(out.W3Head.biBitCount, 1);
  EXPECT_EQ(out.W3Head.biClrUsed, 2u);
  EXPECT_EQ(Row(out, 0)[0] & 0xE0, 0xA0);  // white, black, white
  // Half the pixels are white, give or take the faded error.
  int white = 0;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 16; ++x) white += Row(out, y)[x / 8] >> (7 - x % 8) & 1;
  EXPECT_NEAR(white, 32, 6);
  // Pure white and pure black stay as they are.
  TQxDIBInfos w = Blank(9, 2, 8, 2), wo;
  w.Colors[1] = {255, 255, 255, 0};
  std::fill(w.Bits.begin(), w.Bits.end(), 1);
  ConvertToHalfToneBW(w, wo, true);
  EXPECT_EQ(Row(wo, 1)[0], 0xFF);
  EXPECT_EQ(Row(wo, 1)[1] & 0x80, 0x80);
}

TEST(QxDIBGraphicConvert, LoadedRunLengthFilesDecodeAsTheBitmapReaderDoes) {
  // An RLE8 and an RLE4 file with runs, literals, a delta and a last row
  // holding one pixel;
  // the store's decoder and the toolkit's BMP reader must agree pixel for pixel.
  struct Case {
    int bits;
    std::vector<uint8_t> codes;
  };
  const Case cases[] = {
      {8, {3, 4, 0, 4, 1, 2, 3, 5, 0, 0, 6, 7, 0, 2, 0, 1, 1, 9, 0, 1}},
      {4, {4, 0x12, 0, 3, 0x34, 0x50, 0, 0, 6, 0x77, 0, 2, 0, 1, 1, 0xAB, 0, 1}},
  };
  for (const Case& c : cases) {
    picbuild::BmpSpec s;
    s.width = 7, s.height = 3, s.bits = uint16_t(c.bits);
    s.compression = c.bits == 8 ? 1 : 2;
    for (int i = 0; i < (c.bits == 8 ? 256 : 16); ++i) s.table.push_back(uint32_t(i) * 0x030507);
    s.pixels = c.codes;
    s.sizeImage = uint32_t(c.codes.size());
    const auto file = picbuild::MakeBmp(s);
    TQxDIB dib;
    dib.LoadFromBytes(file);
    dib.SetPixelFormat(qxPf24Bit);
    auto ref = plat::DecodeBmp(file);
    ASSERT_TRUE(ref) << ref.error;
    const auto& bits = dib.InternalDIB->DIBInfos.Bits;
    const int64_t row = DIBRowBytes(7, 24);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 7; ++x) {
        const uint8_t* p = bits.data() + row * (2 - y) + 3 * x;  // bottom-up store
        const uint32_t mine = uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
        EXPECT_EQ(mine, ref.bitmap->ColourAt(x, y) & 0xFFFFFF) << c.bits << " bits at " << x << "," << y;
      }
  }
}
