// The text texture: its set-up and settings, text drawn through the font seam
// into the grey-mask texture, and the system-font renderer itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "graphics/ALAddLib.h"
#include "graphics/dddd.h"
#include "platform/Pictures.h"
#include "platform/SystemFont.h"
#include "platform/WindowCanvas.h"
#include "tests/display_fixture.h"

namespace {

const char* const kAB = "\x82`\x82" "a";  // ＡＢ

class TextTextureTest : public DisplayTest {
 protected:
  void SetUp() override {
    DisplayTest::SetUp();
    disp = std::make_unique<TDDDD>(host);
    disp->VsyncAtWindowed = false;
    disp->Use3D = true;
    disp->D3DOptions = 0;
    disp->SetDebugOption(0);
    disp->DoInit([&] { disp->WindowMode(512, 240); });
    al = std::make_unique<TAlpha32>(disp.get(), nullptr, false, true, 1, 100);
    plat::SetFontRenderer(&boxes);
  }
  void TearDown() override {
    plat::SetFontRenderer(nullptr);
    al.reset();
    disp.reset();
    DisplayTest::TearDown();
  }
  // The alpha of texel (x, y) of the whole texture.
  uint8_t Alpha(const TAnti_DelX& tw, int x, int y) {
    return uint8_t(Texel(tw.txt.Tile(x / 256, y / 256), x % 256, y % 256) >> 24);
  }
  std::unique_ptr<TDDDD> disp;
  std::unique_ptr<TAlpha32> al;
  plat::BoxFontRenderer boxes;
};

}  // namespace

TEST_F(TextTextureTest, CreationMakesABlankListedTextureAndTheDefaults) {
  auto tw = std::make_unique<TAnti_DelX>(al.get(), "x", 3, 4, 1, 0);
  EXPECT_EQ(tw->TX_W, 512);
  EXPECT_EQ(tw->TX_H, 256);
  EXPECT_EQ(tw->FBmp->GetWidth(), 512);
  EXPECT_EQ(tw->FBmp->GetHeight(), 256);
  EXPECT_EQ(tw->FBmp->GetPixelFormat(), plat::PixelFormat::pf32bit);
  ASSERT_EQ(tw->txt.Texture.size(), 2u);
  ASSERT_EQ(tw->txt.Texture[0].size(), 1u);
  EXPECT_EQ(tw->txt.ALSt, alsEmp);
  EXPECT_EQ(tw->txt.Mag, 1);
  EXPECT_EQ(tw->txt.LoadSt.FileName, "\xC3\xB7\xBD\xC4\x95`\x89\xE6\x97p(x)");
  EXPECT_EQ(tw->NUM1LINE, 3);
  EXPECT_EQ(tw->ENDLINE, 4);
  EXPECT_EQ(tw->tddsd[1][0].dwSize, 124u);
  EXPECT_EQ(tw->fSize, 22);
  EXPECT_EQ(tw->fRSize, 10);
  EXPECT_EQ(tw->fWidth, 23);
  EXPECT_EQ(tw->fHeight, 32);
  EXPECT_EQ(tw->fSizeDf, 22);
  EXPECT_EQ(tw->Quality(), QNormal);
  EXPECT_EQ(tw->Face(), "\x82l\x82r \x83S\x83V\x83" "b\x83N");
  EXPECT_EQ(tw->FBmpFont.Color, 0xFFFFFF);
  EXPECT_EQ(tw->DefWSt.SCol, 0xFFFFFF);
  EXPECT_EQ(tw->DefWSt.Alp, 255);
  EXPECT_FALSE(tw->DefDSt.WordMod_f);
  EXPECT_EQ(tw->DefDSt.sAlp, 255);
  EXPECT_EQ(Texel(tw->txt.Tile(1, 0), 100, 100), 0u);  // all-black mask
  const int32_t listed = tw->txt.ListIndex;
  ASSERT_GE(listed, 0);
  EXPECT_EQ(al->TextureList()[size_t(listed)], &tw->txt);
  tw.reset();
  EXPECT_EQ(al->TextureList()[size_t(listed)], nullptr);
}

TEST_F(TextTextureTest, StylesAndSizes) {
  TAnti_DelX tw(al.get(), "x", 0, 0, 0, 0);
  TTxWriteSt own;
  own.Grd_f = true;
  tw.SetWSt(0x123456, 9, &own);
  EXPECT_EQ(own.SCol, 0x123456);
  EXPECT_EQ(own.ECol, 0x123456);
  EXPECT_FALSE(own.Grd_f);
  EXPECT_EQ(tw.DefWSt.SCol, 0xFFFFFF);  // the default is untouched
  tw.SetWSt(0x654321, 7, nullptr);
  EXPECT_EQ(tw.DefWSt.ECol, 0x654321);
  EXPECT_EQ(tw.DefWSt.Alp, 7);

  tw.SetPram(16, 8, 2, 4, false);
  EXPECT_EQ(tw.fSizeDf, 22);
  EXPECT_EQ(tw.fWidth, 18);
  EXPECT_EQ(tw.fHeight, 20);
  tw.SetDSt(true, 1, 2, 3, 4);
  EXPECT_TRUE(tw.DefDSt.WordMod_f);
  EXPECT_EQ(tw.DefDSt.sCol, 3);
}

TEST_F(TextTextureTest, TextBecomesAGreyMaskWithTheWriteAlpha) {
  TAnti_DelX tw(al.get(), "x", 0, 0, 1, 0);
  tw.SetSentence(0, kAB);
  tw.SetSentence(1, "ab");
  tw.SetSentence(9, "ignored");
  EXPECT_EQ(tw.MaxLine, 2);
  ASSERT_TRUE(tw.UpdateTexture());
  EXPECT_EQ(boxes.Faces.size(), 2u);
  EXPECT_EQ(boxes.Faces[0], tw.Face());
  // Two 22-pixel boxes with one pixel between them; smoothing greys the rims.
  EXPECT_EQ(Alpha(tw, 5, 5), 255);
  EXPECT_EQ(Alpha(tw, 0, 0), 128);
  EXPECT_EQ(Alpha(tw, 22, 5), 0);
  EXPECT_EQ(Alpha(tw, 30, 5), 255);
  EXPECT_EQ(Alpha(tw, 50, 5), 0);
  EXPECT_EQ(Texel(tw.txt.Tile(0, 0), 5, 5), 0xFFFFFFFFu);
  // The second line stands one cell (32) lower: one-byte characters are 11 wide.
  EXPECT_EQ(Alpha(tw, 5, 32 + 5), 255);
  EXPECT_EQ(Alpha(tw, 5, 22 + 5), 0);
  EXPECT_EQ(Alpha(tw, 11 + 1 + 5, 32 + 5), 255);

  // Without smoothing every covered pixel is full; the write alpha scales it.
  tw.SetQuality(QNoAA);
  tw.SetWSt(0xFFFFFF, 128, nullptr);
  ASSERT_TRUE(tw.UpdateTexture());
  EXPECT_EQ(Alpha(tw, 0, 0), 128);
  EXPECT_EQ(Alpha(tw, 5, 5), 128);
  // A blue-less colour leaves no mask.
  tw.SetWSt(0x00FFFF, 255, nullptr);
  ASSERT_TRUE(tw.UpdateTexture());
  EXPECT_EQ(Alpha(tw, 5, 5), 0);
}

TEST_F(TextTextureTest, NoSystemFontLeavesTheTextureBlank) {
  TAnti_DelX tw(al.get(), "x", 0, 0, 0, 0);
  tw.SetSentence(0, kAB);
  ASSERT_TRUE(tw.UpdateTexture());
  boxes.Available = false;
  EXPECT_FALSE(tw.UpdateTexture());
  EXPECT_EQ(Alpha(tw, 5, 5), 0);
  EXPECT_FALSE(al->Err_f);  // the renderer goes on
}

// Each character comes from the first installed font that has it: a letter,
// a digit and a kana each draw a glyph of their own, none of them the box a
// font draws for a character it lacks.
TEST(SystemFont, FreeTypeDrawsLatinDigitsAndKanaOrFailsCleanly) {
  plat::FreeTypeFontRenderer ft;
  plat::TextCoverage cov;
  const bool installed = std::any_of(ft.Candidates.begin(), ft.Candidates.end(),
                                     [](const std::string& f) { return std::filesystem::exists(f); });
  if (!installed) GTEST_SKIP() << "no font file installed";
  ASSERT_FALSE(ft.FontFile().empty());
  EXPECT_EQ(ft.FontFile(), ft.FontFile()) << "opened once";
  auto draw = [&](std::string_view sjis) {
    plat::TextCoverage c;
    EXPECT_TRUE(ft.Render("any", 24, false, 0, sjis, c));
    return std::make_pair(c.Width, c.Cov);
  };
  // Two user-defined characters no font has: both the missing-glyph box.
  const auto missing = draw("\xF0\x40");
  ASSERT_EQ(draw("\xF0\x41"), missing);
  const auto a = draw("A"), seven = draw("7"), kana = draw("\x82\xA0");  // あ
  EXPECT_NE(a, missing);
  EXPECT_NE(seven, missing);
  EXPECT_NE(kana, missing);
  EXPECT_NE(a, seven);
  EXPECT_NE(a, kana);
  EXPECT_NE(seven, kana);

  // "あA" without smoothing: only full and empty pixels, some of each.
  ASSERT_TRUE(ft.Render("any", 24, false, 2, "\x82\xA0" "A", cov));
  EXPECT_GT(cov.Width, 24);
  EXPECT_GE(cov.Height, 24);
  int full = 0, other = 0;
  for (uint8_t c : cov.Cov) c == 255 ? ++full : c == 0 ? 0 : ++other;
  EXPECT_GT(full, 20);
  EXPECT_EQ(other, 0);
  ASSERT_TRUE(ft.Render("any", 24, true, 0, "\x82\xA0", cov));
  EXPECT_TRUE(std::any_of(cov.Cov.begin(), cov.Cov.end(), [](uint8_t c) { return c > 0 && c < 255; }));

  // "L" and "LL" with two pixels after each letter: the stem stands on the
  // left of the foot, and the second letter is the first moved on by its
  // advance and the spacing.
  plat::TextCoverage one, two;
  ASSERT_TRUE(ft.Render("any", 24, false, 2, "L", one));
  ASSERT_TRUE(ft.Render("any", 24, false, 2, "LL", two));
  ASSERT_EQ(two.Width, 2 * one.Width);
  ASSERT_EQ(two.Height, one.Height);
  int top = -1, bottom = -1;
  auto firstInk = [&](int y) {
    for (int x = 0; x < one.Width; ++x)
      if (one.At(x, y)) return x;
    return -1;
  };
  auto inkCount = [&](int y) {
    int n = 0;
    for (int x = 0; x < one.Width; ++x) n += one.At(x, y) ? 1 : 0;
    return n;
  };
  for (int y = 0; y < one.Height; ++y)
    if (firstInk(y) >= 0) {
      if (top < 0) top = y;
      bottom = y;
    }
  ASSERT_GT(bottom, top);
  EXPECT_GT(firstInk(top), 0) << "the letter keeps its left bearing";
  EXPECT_EQ(firstInk(bottom), firstInk(top));
  EXPECT_GT(inkCount(bottom), 2 * inkCount(top)) << "the foot reaches right of the stem";
  for (int y = 0; y < one.Height; ++y)
    for (int x = 0; x < one.Width; ++x) {
      ASSERT_EQ(two.At(x, y), one.At(x, y)) << x << "," << y;
      ASSERT_EQ(two.At(x + one.Width, y), one.At(x, y)) << x << "," << y;
    }

  plat::FreeTypeFontRenderer none;
  none.Candidates = {"/nonexistent/font.ttf"};
  EXPECT_FALSE(none.Render("any", 24, true, 0, "A", cov));
  EXPECT_EQ(cov.Width, 0);
  EXPECT_TRUE(none.FontFile().empty());
}

namespace {

// A font whose every text is the same 3 x 2 coverage pattern; "fail" cannot
// be drawn.
struct PatternFont final : plat::FontRenderer {
  bool Render(std::string_view face, int pixelSize, bool smooth, int letterSpacing,
              std::string_view sjis, plat::TextCoverage& out) override {
    asked.push_back(std::string(face) + "/" + std::to_string(pixelSize) + (smooth ? "s" : "") +
                    std::to_string(letterSpacing));
    out = plat::TextCoverage();
    if (sjis == "fail") return false;
    out.Width = 3;
    out.Height = 2;
    out.Cov = {0, 128, 255, 127, 0, 200};
    return true;
  }
  std::vector<std::string> asked;
};

}  // namespace

// The canvas paints boxes and texts clipped to its w x h, never into the
// spare pixels past a row's width or below its last row; a text's cell takes
// the fill and its strokes (coverage from 128 up) the ink.
TEST(WindowCanvas, BoxesAndTextsAreClippedToTheCanvas) {
  PatternFont font;
  plat::SetFontRenderer(&font);
  constexpr uint32_t kSpare = 0xABABABAB, kOpaque = 0xFF000000;
  constexpr int kW = 6, kH = 4, kPitch = 8;
  std::vector<uint32_t> px(kPitch * (kH + 1), kSpare);
  const std::vector<plat::CanvasItem> items = {
      {-2, -1, 4, 3, 0x11, "", "", 0, 0},        // over the top left corner
      {4, 2, 5, 5, 0x22, "", "", 0, 0},          // past the right and bottom edges
      {7, 0, 2, 1, 0x99, "", "", 0, 0},          // wholly right of the canvas
      {0, 2, 3, 0, 0x99, "", "", 0, 0},          // no height
      {-1, 3, 0, 0, 0x33, "A", "Face", 9, 0x44},  // text over the left and bottom edges
      {4, 0, 0, 0, 0x55, "B", "Face", 9, 0x66},   // text over the right edge
      {0, 0, 0, 0, 0x77, "fail", "Face", 9, 0x88},
  };
  plat::PaintCanvas(px.data(), kW, kH, kPitch, items, kOpaque);
  auto at = [&](int x, int y) { return px[size_t(y * kPitch + x)]; };
  const uint32_t want[kH + 1][kPitch] = {
      {0x11, 0x11, 0, 0, 0x55, 0x66, kSpare, kSpare},
      {0x11, 0x11, 0, 0, 0x55, 0x55, kSpare, kSpare},
      {0, 0, 0, 0, 0x22, 0x22, kSpare, kSpare},
      {0x44, 0x44, 0, 0, 0x22, 0x22, kSpare, kSpare},
      {kSpare, kSpare, kSpare, kSpare, kSpare, kSpare, kSpare, kSpare},
  };
  for (int y = 0; y <= kH; ++y)
    for (int x = 0; x < kPitch; ++x) {
      uint32_t w = want[y][x];
      if (w == 0) w = kSpare;  // never painted
      else if (w != kSpare) w |= kOpaque;
      EXPECT_EQ(at(x, y), w) << x << "," << y;
    }
  EXPECT_EQ(font.asked, (std::vector<std::string>{"Face/90", "Face/90", "Face/90"}))
      << "texts are drawn unsmoothed at their size, without spacing";

  // A canvas with no pixels, no area or a pitch shorter than a row is not painted.
  std::vector<uint32_t> untouched(px.size(), kSpare);
  const std::vector<plat::CanvasItem> box = {{0, 0, 8, 8, 0x11, "", "", 0, 0}};
  plat::PaintCanvas(untouched.data(), kW, kH, kW - 1, box);
  plat::PaintCanvas(untouched.data(), 0, kH, kPitch, box);
  plat::PaintCanvas(untouched.data(), kW, 0, kPitch, box);
  plat::PaintCanvas(nullptr, kW, kH, kPitch, box);
  EXPECT_EQ(untouched, std::vector<uint32_t>(px.size(), kSpare));
  plat::PaintCanvas(untouched.data(), kW, kH, kW, box);
  EXPECT_EQ(untouched[0], 0x11u);
  EXPECT_EQ(untouched[size_t(kW * kH - 1)], 0x11u);
  EXPECT_EQ(untouched[size_t(kW * kH)], kSpare);
  plat::SetFontRenderer(nullptr);
}
