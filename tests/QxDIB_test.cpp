#include <gtest/gtest.h>

#include "graphics/QxDIB.h"
#include "tests/PictureBuild.h"

using namespace picbuild;

namespace {

// A palette entry as 0xRRGGBB, for comparisons.
inline uint32_t Rgb(const plat::PaletteEntry& e) {
  return uint32_t(e.red) << 16 | uint32_t(e.green) << 8 | e.blue;
}

// Loads bytes into a fresh store; the error text of a refusal, or "".
std::string LoadStore(TQxInternalDIB& s, const std::vector<uint8_t>& bytes) {
  QxByteReader r(bytes);
  try {
    s.LoadFromStream(r);
  } catch (const std::exception& e) {
    return e.what();
  }
  return "";
}

std::vector<uint8_t> Save(const TQxInternalDIB& s) {
  std::vector<uint8_t> out;
  s.SaveToStream(out);
  return out;
}

BmpSpec Eight(int w, int h) {
  BmpSpec s;
  s.width = w, s.height = h, s.bits = 8;
  for (int i = 0; i < 256; ++i) s.table.push_back(uint32_t(i) * 0x010101);
  s.pixels.assign(size_t(DIBRowBytes(w, 8) * std::abs(h)), 0);
  for (size_t i = 0; i < s.pixels.size(); ++i) s.pixels[i] = uint8_t(i * 7);
  return s;
}

TEST(QxDIBStore, NewStoreIsOnePixelEightBit) {
  TQxInternalDIB s(true);
  EXPECT_EQ(s.Width, 1);
  EXPECT_EQ(s.Height, 1);
  EXPECT_EQ(s.DIBInfos.W3Head.biBitCount, 8);
  EXPECT_EQ(s.DIBInfos.W3Head.biClrUsed, 256u);
  EXPECT_EQ(s.DIBInfos.BitsSize, 4);
  EXPECT_EQ(s.GetPixelFormat(), qxPf8Bit);
  EXPECT_EQ(GetMaskShift(0x7C00), 7);
  EXPECT_EQ(GetMaskShift(0x001F), -3);
  EXPECT_EQ(GetMaskShift(0xFF0000), 16);
  EXPECT_THROW(s.CreateDIB(0, 1, 8, 0), EQxDIBInvalidDIBPara);
  EXPECT_THROW(s.CreateDIB(1, 1, 16, 0), EQxDIBInvalidDIBPara);
  EXPECT_THROW(s.CreateDIB(1, 1, 8, 257), EQxDIBInvalidDIBPara);
}

TEST(QxDIBStore, RoundTripsAtEveryStoredDepth) {
  for (int bits : {1, 4, 8, 24}) {
    BmpSpec s;
    s.width = 5, s.height = 3, s.bits = uint16_t(bits);
    s.clrUsed = uint32_t(GetNumColors(bits));
    s.table.assign(s.clrUsed, 0x102030);
    s.pixels.resize(size_t(DIBRowBytes(5, bits) * 3));
    for (size_t i = 0; i < s.pixels.size(); ++i) s.pixels[i] = uint8_t(i * 37 + bits);
    s.xppm = s.yppm = 3780;
    auto file = MakeBmp(s);
    TQxInternalDIB st(true);
    ASSERT_EQ(LoadStore(st, file), "") << bits;
    EXPECT_EQ(Save(st), file) << bits << " bits";
  }
  // 32 bits come back as 24 bits with the same colours.
  BmpSpec s;
  s.width = 2, s.height = 1, s.bits = 32;
  s.pixels = {1, 2, 3, 0, 4, 5, 6, 0};
  TQxInternalDIB st(true);
  ASSERT_EQ(LoadStore(st, MakeBmp(s)), "");
  EXPECT_EQ(st.DIBInfos.W3Head.biBitCount, 24);
  EXPECT_EQ(st.DIBInfos.Bits, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 0, 0}));
  TQxInternalDIB again(true);
  ASSERT_EQ(LoadStore(again, Save(st)), "");
  EXPECT_EQ(Save(again), Save(st));
}

TEST(QxDIBStore, ReaderEdgeCases) {
  // 300 colours: 256 kept, the rest skipped, pixels found at bfOffBits.
  BmpSpec s = Eight(2, 1);
  s.clrUsed = 300;
  s.table.resize(300, 0xFFFFFF);
  s.table[255] = 0xABCDEF;
  s.pixels = {9, 8, 0, 0};
  TQxInternalDIB st(true);
  ASSERT_EQ(LoadStore(st, MakeBmp(s)), "");
  EXPECT_EQ(st.DIBInfos.W3Head.biClrUsed, 256u);
  EXPECT_EQ(st.DIBInfos.Colors[255], (TQxRGBQuad{0xEF, 0xCD, 0xAB, 0}));
  EXPECT_EQ(st.DIBInfos.Bits[0], 9);

  // 16 bits, 5-5-5: 31 -> 255, 16 -> 131.
  s = {};
  s.width = 1, s.height = 1, s.bits = 16;
  s.pixels = {0x10 | ((31 << 5) & 0xFF), (31 << 5) >> 8, 0, 0};  // blue 16, green 31
  ASSERT_EQ(LoadStore(st, MakeBmp(s)), "");
  EXPECT_EQ(st.DIBInfos.Bits[0], 131);
  EXPECT_EQ(st.DIBInfos.Bits[1], 255);
  EXPECT_EQ(st.DIBInfos.Bits[2], 0);

  // 32-bit bit fields with the standard masks reproduce the bytes; a
  // negative height keeps its sign and its row order.
  s = {};
  s.width = 1, s.height = -2, s.bits = 32, s.compression = 3;
  s.masks = {0xFF0000, 0xFF00, 0xFF};
  s.pixels = {10, 20, 30, 0, 40, 50, 60, 0};
  ASSERT_EQ(LoadStore(st, MakeBmp(s)), "");
  EXPECT_EQ(st.DIBInfos.W3Head.biHeight, -2);
  EXPECT_EQ(st.Height, 2);
  EXPECT_EQ(st.DIBInfos.Bits, (std::vector<uint8_t>{10, 20, 30, 0, 40, 50, 60, 0}));
  s.masks = {0xFF0000, 0, 0xFF};
  EXPECT_EQ(LoadStore(st, MakeBmp(s)), "TQxInternalDIB.LoadFromStream: Invalid Masks");

  // OS/2, 24 bits: no table, bottom-up, 3780 pixels per metre.
  Bytes f;
  f.str("BM").u32(14 + 12 + 4).u32(0).u32(26).u32(12).u16(1).u16(1).u16(1).u16(24);
  f.u8(7).u8(8).u8(9).u8(0);
  ASSERT_EQ(LoadStore(st, f.v), "");
  EXPECT_EQ(st.DIBInfos.W3Head.biHeight, 1);
  EXPECT_EQ(st.DIBInfos.W3Head.biXPelsPerMeter, 3780);
  EXPECT_EQ(st.DIBInfos.W3Head.biClrUsed, 0u);
  EXPECT_EQ(st.DIBInfos.Bits[2], 9);
}

TEST(QxDIBStore, RefusalsKeepThePreviousImage) {
  TQxInternalDIB st(true);
  ASSERT_EQ(LoadStore(st, MakeBmp(Eight(3, 2))), "");
  auto before = Save(st);

  for (uint32_t size : {108u, 124u}) {
    BmpSpec s = Eight(3, 2);
    s.headerSize = size;
    EXPECT_EQ(LoadStore(st, MakeBmp(s)), "TQxInternalDIB.LoadFromStream: Invalid Bitmap Header Size");
  }
  BmpSpec s = Eight(3, 2);
  s.offBits = 14 + 40 + 1024 - 1;
  EXPECT_EQ(LoadStore(st, MakeBmp(s)), "TQxInternalDIB.LoadFromFile: bfOffBits is too small");
  s = Eight(3, 2), s.bits = 7;
  EXPECT_EQ(LoadStore(st, MakeBmp(s)), "TQxInternalDIB.LoadFromStream: Invalid BitCout");
  s = Eight(3, 2), s.width = -3;
  EXPECT_EQ(LoadStore(st, MakeBmp(s)), "TQxInternalDIB.LoadFromStream: Invalid Width or Height");
  auto bad = MakeBmp(Eight(3, 2));
  bad[0] = 'X';
  EXPECT_EQ(LoadStore(st, bad), "TQxInternalDIB.LoadFromFile: File type is invalid");
  // Cut short anywhere: the stream's read error.
  auto good = MakeBmp(Eight(3, 2));
  for (size_t cut : {size_t(5), size_t(30), size_t(100), good.size() - 1}) {
    std::vector<uint8_t> b(good.begin(), good.begin() + cut);
    EXPECT_EQ(LoadStore(st, b), "Stream read error") << cut;
  }
  // A file size claiming gigabytes, and a picture far larger than its data.
  auto huge = good;
  huge[2] = huge[3] = huge[4] = huge[5] = 0xFF;
  EXPECT_EQ(LoadStore(st, huge), "Stream read error");
  s = Eight(3, 2), s.width = 1 << 20, s.height = 1 << 20;
  EXPECT_NE(LoadStore(st, MakeBmp(s)), "");
  EXPECT_EQ(Save(st), before);

  // A larger bfOffBits skips the gap; a file size short of the rows still
  // gives whole rows.
  s = Eight(3, 2);
  s.offBits = 14 + 40 + 1024 + 5;
  s.fileSize = 14 + 40 + 1024;
  ASSERT_EQ(LoadStore(st, MakeBmp(s)), "");
  EXPECT_EQ(st.DIBInfos.BitsSize, 8);
  EXPECT_EQ(st.DIBInfos.Bits[1], 7);
}

TEST(QxDIBStore, RunLengthStoresRoundTripCompressed) {
  BmpSpec s = Eight(4, 2);
  s.compression = 1, s.clrUsed = 256;
  s.pixels = {4, 3, 0, 0, 2, 5, 2, 6, 0, 1};
  s.sizeImage = uint32_t(s.pixels.size());
  auto file = MakeBmp(s);
  TQxInternalDIB st(true);
  ASSERT_EQ(LoadStore(st, file), "");
  EXPECT_EQ(st.GetPixelFormat(), qxPf8BitRLE);
  EXPECT_EQ(st.DIBInfos.BitsSize, 10);
  s.xppm = s.yppm = 3780;
  EXPECT_EQ(Save(st), MakeBmp(s));
  // The picture class decodes it for a toolkit bitmap.
  TQxDIB dib;
  dib.LoadFromBytes(file);
  plat::Bitmap b;
  dib.AssignTo(b);
  EXPECT_EQ(b.GetPixelFormat(), plat::PixelFormat::pf8bit);
  EXPECT_EQ(b.Index(0, 1), 3);  // bottom row
  EXPECT_EQ(b.Index(3, 0), 6);
  EXPECT_EQ(b.ColourAt(3, 0), 0x060606u);
}

TEST(QxDIBStore, PackedDibsThroughTheClipboard) {
  TQxDIB a;
  a.LoadFromBytes(MakeBmp(Eight(3, 2)));
  plat::Clipboard clip;
  unsigned fmt = 0;
  plat::GlobalBlock block;
  plat::HPalette pal;
  a.SaveToClipboardFormat(fmt, block, pal);
  EXPECT_EQ(fmt, 8u);
  EXPECT_EQ(block->size(), 40u + 1024 + 8);
  clip.SetData(fmt, block);

  TQxDIB b;
  b.Assign(&clip);
  EXPECT_FALSE(clip.IsOpen());
  std::vector<uint8_t> sa, sb;
  a.SaveToStream(sa);
  b.SaveToStream(sb);
  EXPECT_EQ(sa, sb);

  // Nothing of the format: refused, and the clipboard is closed again.
  plat::Clipboard empty;
  EXPECT_THROW(b.Assign(&empty), plat::EInvalidGraphic);
  EXPECT_FALSE(empty.IsOpen());
  // Damaged blocks.
  TQxInternalDIB st(true);
  for (auto bytes : {std::vector<uint8_t>{1, 2, 3}, std::vector<uint8_t>(block->begin(), block->begin() + 100),
                     std::vector<uint8_t>(block->begin(), block->end() - 1)}) {
    EXPECT_THROW(st.LoadFromClipboardFormat(std::make_shared<std::vector<uint8_t>>(bytes)), EQxDIBInvalidDIB);
  }
  auto odd = *block;
  odd[14] = 12;  // 12 bits per pixel
  EXPECT_THROW(st.LoadFromClipboardFormat(std::make_shared<std::vector<uint8_t>>(odd)), EQxDIBInvalidDIB);
}

TEST(QxDIBGraphic, SharedStoresCopyOnWrite) {
  TQxDIB a, b;
  a.LoadFromBytes(MakeBmp(Eight(3, 2)));
  b.Assign(&a);
  EXPECT_EQ(a.InternalDIB, b.InternalDIB);
  EXPECT_EQ(a.InternalDIB->RefCount, 2);
  plat::PaletteEntry red[1] = {{255, 0, 0, 0}};
  b.SetPalette(plat::CreatePalette(red));
  EXPECT_NE(a.InternalDIB, b.InternalDIB);
  EXPECT_EQ(a.InternalDIB->RefCount, 1);
  EXPECT_EQ(a.InternalDIB->DIBInfos.W3Head.biClrUsed, 256u);
  EXPECT_EQ(a.InternalDIB->DIBInfos.Colors[0], (TQxRGBQuad{0, 0, 0, 0}));
  EXPECT_EQ(b.InternalDIB->DIBInfos.Colors[0], (TQxRGBQuad{0, 0, 255, 0}));
  EXPECT_EQ(a.InternalDIB->DIBInfos.Bits, b.InternalDIB->DIBInfos.Bits);
  // A failed load leaves the object as it was.
  EXPECT_THROW(a.LoadFromBytes(std::vector<uint8_t>{'B', 'M', 0}), plat::EReadError);
  EXPECT_EQ(a.GetWidth(), 3);
}

TEST(QxDIBGraphic, PaletteReplacesEntriesAndKeepsIndices) {
  TQxDIB d;
  d.LoadFromBytes(MakeBmp(Eight(3, 2)));
  auto bits = d.InternalDIB->DIBInfos.Bits;
  std::vector<plat::PaletteEntry> p16(16, {1, 2, 3, 0});
  d.SetPalette(plat::CreatePalette(p16));
  const auto& di = d.InternalDIB->DIBInfos;
  EXPECT_EQ(di.W3Head.biClrUsed, 16u);
  EXPECT_EQ(di.Colors[15], (TQxRGBQuad{3, 2, 1, 0}));
  EXPECT_EQ(di.Colors[16], (TQxRGBQuad{16, 16, 16, 0}));  // former value kept
  EXPECT_EQ(di.Bits, bits);
  EXPECT_EQ(d.GetPalette()->entries.size(), 16u);
  d.SetPalette(nullptr);
  EXPECT_EQ(d.GetPalette(), nullptr);

  // Setting a size or depth makes a blank picture of the same kind.
  d.SetPalette(plat::CreatePalette(p16));
  d.SetWidth(7);
  EXPECT_EQ(d.GetWidth(), 7);
  EXPECT_EQ(d.GetBitCount(), 8);
  EXPECT_EQ(d.InternalDIB->DIBInfos.W3Head.biClrUsed, 16u);
  EXPECT_EQ(d.InternalDIB->DIBInfos.Colors[0], (TQxRGBQuad{}));
  d.SetHeight(-4);
  EXPECT_EQ(d.GetHeight(), 4);
  EXPECT_EQ(d.InternalDIB->DIBInfos.W3Head.biHeight, -4);
  d.SetBitCount(4);
  EXPECT_EQ(d.GetPixelFormat(), qxPf4Bit);
  EXPECT_EQ(d.InternalDIB->DIBInfos.W3Head.biClrUsed, 16u);
  EXPECT_THROW(d.SetWidth(0), EQxDIBInvalidDIBPara);
  EXPECT_THROW(d.SetHeight(0), EQxDIBInvalidDIBPara);
  EXPECT_THROW(d.SetBitCount(16), EQxDIBInvalidDIBPara);
  EXPECT_THROW(d.SetPalette(std::make_shared<plat::LogicalPalette>()), EQxDIBInvalidPalette);
}

// The game's recolouring path: an indexed PNG through the DIB class, given a
// new palette, back to a bitmap with the same indices and the new colours.
TEST(QxDIBGraphic, RecolouringAnIndexedPicture) {
  std::vector<uint8_t> rows = {0, 0, 1, 2, 0, 2, 1, 0};
  plat::PngImage png;
  png.LoadFromBytes(MakePng(3, 2, 8, 3, rows, {0x000000, 0x111111, 0x222222}));
  TQxDIB dib;
  dib.Assign(&png);
  ASSERT_EQ(dib.GetPixelFormat(), qxPf8Bit);
  std::vector<plat::PaletteEntry> game(256);
  for (int i = 0; i < 256; ++i) game[i] = {uint8_t(i), 0, uint8_t(255 - i), 0};
  dib.SetPalette(plat::CreatePalette(game));
  plat::Bitmap out;
  dib.AssignTo(out);
  ASSERT_EQ(out.GetPixelFormat(), plat::PixelFormat::pf8bit);
  ASSERT_EQ(out.GetWidth(), 3);
  ASSERT_EQ(out.GetHeight(), 2);
  EXPECT_EQ(out.Index(2, 0), 2);
  EXPECT_EQ(out.Index(0, 1), 2);
  EXPECT_EQ(out.ColourAt(1, 0), 0x0100FEu);
  EXPECT_EQ(out.ColourAt(0, 0), 0x0000FFu);

  // A true-colour bitmap goes through as 24 bits.
  plat::Bitmap tc;
  tc.SetPixelFormat(plat::PixelFormat::pf32bit);
  tc.SetSize(2, 2);
  tc.Pixel(1, 0) = 0xFF123456;
  dib.Assign(&tc);
  EXPECT_EQ(dib.GetPixelFormat(), qxPf24Bit);
  EXPECT_EQ(dib.GetPalette(), nullptr);
  plat::Bitmap back;
  dib.AssignTo(back);
  EXPECT_EQ(back.Pixel(1, 0), 0x123456u);
}

TEST(QxDIBGraphic, ProgressRunsAndFailedConversions) {
  TQxDIB d;
  std::vector<std::pair<plat::ProgressStage, int>> events;
  d.OnProgress = [&](plat::Graphic&, plat::ProgressStage st, int pct, bool, const plat::Rect&,
                     const std::string&) { events.push_back({st, pct}); };
  d.SetPixelFormat(qxPf8Bit);  // already 8 bits: nothing
  EXPECT_TRUE(events.empty());

  d.InitializeProgressHandler(16, "PixelFormat 24Bit -> 4Bit");
  d.StartProgress();
  for (int i = 0; i < 16; ++i) d.ProgressHandler();
  d.EndProgress();
  ASSERT_EQ(events.size(), 17u);
  EXPECT_EQ(events[1].second, 6);
  EXPECT_EQ(events[15].second, 93);
  EXPECT_EQ(events[16], std::make_pair(plat::ProgressStage::Ending, 100));

  // A failing conversion still ends its run and keeps the picture.
  events.clear();
  d.SetBitCount(24);
  d.InternalDIB->DIBInfos.Bits.resize(1);  // rows cut short
  EXPECT_THROW(d.SetPixelFormat(qxPf8Bit), EQxDIBInvalidDIB);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[1].first, plat::ProgressStage::Ending);
  EXPECT_EQ(d.GetPixelFormat(), qxPf24Bit);
  EXPECT_EQ(QxHalftonePalette()->entries.size(), 215u);
  EXPECT_EQ(Rgb(QxHalftonePalette()->entries[214]), 0x808080u);
  EXPECT_EQ(Rgb(QxHalftonePalette()->entries[34]), 0x00FFFFu);
}

TEST(QxDIBGraphic, CanvasDrawsIntoThePixels) {
  TQxDIB d;
  d.SetBitCount(24);
  d.SetWidth(4);
  d.SetHeight(2);
  int changes = 0;
  d.OnChange = [&](plat::Graphic&) { ++changes; };
  {
    TQxDIBCanvas c(&d);
    c.BrushColor = 0x0000FF;  // red
    c.FillRect({1, 0, 3, 1});
  }
  EXPECT_GT(changes, 0);
  // Top row is the last row in a bottom-up store.
  const auto& bits = d.InternalDIB->DIBInfos.Bits;
  const int64_t row = DIBRowBytes(4, 24);
  EXPECT_EQ(bits[row + 3 + 2], 255);  // (1, 0) red
  EXPECT_EQ(bits[row + 0 + 2], 0);
  EXPECT_EQ(bits[2], 0);

  plat::Bitmap target;
  target.SetPixelFormat(plat::PixelFormat::pf32bit);
  target.SetSize(8, 4);
  d.Draw(target.GetCanvas(), {0, 0, 8, 4});
  EXPECT_EQ(target.Pixel(2, 0), 0xFF0000u);
  EXPECT_EQ(target.Pixel(2, 2), 0u);

  // A store on the heap cannot carry a canvas.
  TQxDIB heap;
  heap.ReleaseInternalDIB();
  heap.InternalDIB = new TQxInternalDIB(false);
  try {
    TQxDIBCanvas c(&heap);
    FAIL();
  } catch (const EQxDIBCanvasFailed& e) {
    EXPECT_STREQ(e.what(), "TQxDIBCanvas.Create: Cannot Create Canvas");
  }
  EXPECT_THROW(TQxDIBCanvas(nullptr), EQxDIBCanvasFailed);
}

}  // namespace
