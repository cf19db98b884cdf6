// The bitmap font: which glyph cell each character draws from, where the
// glyphs of a text and of a number go, and the life of the damage numbers.
#include "graphics/ALAddLib.h"
#include "shell/zimraLib.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <string>
#include <vector>

#include "graphics/dddd.h"
#include "platform/Files.h"
#include "platform/PngWriter.h"
#include "platform/SoftDraw.h"
#include "tests/display_fixture.h"

namespace {

struct Quad {
  bool centre;
  int32_t sx, sy;
  float dx, dy;
  int32_t pri;
  uint8_t alp;
  uint32_t col;
};

class RecordingTarget : public FontTarget {
 public:
  bool LoadFont(const std::string& FileName) override {
    loaded.push_back(FileName);
    return loadOk;
  }
  void FreeFont() override { ++frees; }
  void GlyphLT(int32_t sx, int32_t sy, float dx, float dy, int32_t Pri, uint8_t alp,
               uint32_t col) override {
    quads.push_back({false, sx, sy, dx, dy, Pri, alp, col});
  }
  void GlyphC(int32_t sx, int32_t sy, float dx, float dy, int32_t Pri, uint8_t alp,
              uint32_t col) override {
    quads.push_back({true, sx, sy, dx, dy, Pri, alp, col});
  }
  bool loadOk = true;
  std::vector<std::string> loaded;
  int frees = 0;
  std::vector<Quad> quads;
};

// The glyph number a quad's source cell stands for in variant ft.
int32_t GlyphOf(const Quad& q, FontType ft) {
  return (q.sy - FP[ft][1]) / FH * FLINE + (q.sx - FP[ft][0]) / FW;
}

}  // namespace

TEST(FontGlyphs, ShiftJisRangesAndSigns) {
  // Both ends of each range, two signs, the blanks, and just outside.
  const int want[][3] = {{0x82, 0x4F, 1},    {0x82, 0x58, 10},  {0x82, 0x60, 42},
                         {0x82, 0x79, 67},   {0x82, 0x9F, 84},  {0x82, 0xF1, 166},
                         {0x83, 0x40, 168},  {0x83, 0x94, 252}, {0x8D, 0xC4, 273},
                         {0x81, 0x5B, 11},   {0x81, 0xA8, 35},  {0x81, 0x51, 0},
                         {0x81, 0x40, 0},    {0x82, 0x4E, -1},  {0x82, 0x59, -1},
                         {0x82, 0x7A, -1},   {0x82, 0x9E, -1},  {0x82, 0xF2, -1},
                         {0x83, 0x95, -1},   {0x81, 0x52, -1},  {0x8D, 0xC5, -1},
                         {0x41, 0x42, -1}};
  for (auto& w : want)
    EXPECT_EQ(SjisGlyph(uint8_t(w[0]), uint8_t(w[1])), w[2]) << std::hex << w[0] << " " << w[1];
  // The 25 signs are glyphs 11..35, each once.
  std::vector<int> seen(36, 0);
  for (int b = 0x40; b <= 0xFC; ++b) {
    int g = SjisGlyph(0x81, uint8_t(b));
    if (g >= UNTILSIGN) ++seen[size_t(g)];
  }
  for (int g = UNTILSIGN; g <= 35; ++g) EXPECT_EQ(seen[size_t(g)], 1) << g;
}

TEST(FontText, PairsFullWidthSpaceAndCaps) {
  // ＡあＢ with an unknown character (a kanji the font lacks) in the middle:
  // the unknown one takes no place.
  FontGlyphs g = TextGlyphs("\x82\x60\x82\xA0\x88\x9F\x82\x61");
  ASSERT_EQ(g.count, 3);
  EXPECT_EQ(g.g[0], 42);
  EXPECT_EQ(g.g[1], 85);
  EXPECT_EQ(g.g[2], 43);
  // The full-width space is a blank and the character after it still draws.
  g = TextGlyphs("\x82\x60\x81\x40\x82\x61");  // Ａ　Ｂ
  ASSERT_EQ(g.count, 3);
  EXPECT_EQ(g.g[1], 0);
  EXPECT_EQ(g.g[2], 43);
  // A single-byte character shifts the pairing: "A" then Ａ reads as
  // (0x41,0x82) (0x60,0x00): nothing.
  EXPECT_EQ(TextGlyphs("A\x82\x60").count, 0);
  EXPECT_EQ(TextGlyphs("HELLO").count, 0);
  // At most 255 bytes are read: 128 full-width digits give 127 glyphs, the
  // last pair being cut in half.
  std::string longText;
  for (int i = 0; i < 200; ++i) longText += "\x82\x50";
  EXPECT_EQ(TextGlyphs(longText).count, 127);
  EXPECT_EQ(TextGlyphs("").count, 0);
}

TEST(FontDraw, DigitsStepByTheVariant) {
  RecordingTarget t;
  TFontDraw fd(&t, "data\\");
  ASSERT_EQ(t.loaded.size(), 1u);
  EXPECT_EQ(t.loaded[0], "data\\bmp\\font.png");
  // "１２３" at (100, 50): glyphs 2, 3, 4 at x, x + 8, x + 16 in the normal
  // set; in the third framed set 9 apart and 7 higher.
  for (FontType ft : {ftNML, ftFrameDB}) {
    t.quads.clear();
    fd.FDraw(100, 50, 7, "\x82\x50\x82\x51\x82\x52", 2, 200, 0x123456, ft);
    ASSERT_EQ(t.quads.size(), 3u);
    for (int i = 0; i < 3; ++i) {
      const Quad& q = t.quads[size_t(i)];
      EXPECT_FALSE(q.centre);
      EXPECT_EQ(GlyphOf(q, ft), 2 + i);
      EXPECT_EQ(q.dx, 100.0f + (ft == ftNML ? 8 : 9) * i);
      EXPECT_EQ(q.dy, ft == ftNML ? 42.0f : 35.0f);
      EXPECT_EQ(q.pri, 7);
      EXPECT_EQ(q.alp, 200);
      EXPECT_EQ(q.col, 0x123456u);
    }
  }
}

TEST(FontDraw, LifetimeLoadsAndFreesOnce) {
  RecordingTarget t;
  { TFontDraw fd(&t, "x\\"); }
  EXPECT_EQ(t.frees, 1);
  RecordingTarget bad;
  bad.loadOk = false;
  { TFontDraw fd(&bad, "x\\"); }
  EXPECT_EQ(bad.frees, 0) << "nothing was loaded";
  // Without a target nothing happens and nothing crashes.
  TFontDraw none;
  none.FDraw(0, 0, 0, "\x82\x50", 1, 255, 0, ftNML);
  none.FDamSet(100, 0, 0, 5, true);
  none.FDamDraw(0, 0);
}

TEST(FontNumbers, DigitsMinusAndZero) {
  RecordingTarget t;
  TFontDraw fd(&t, "");
  fd.FNumDraw(50, 40, 3, -7, 255, 0xFFFFFF, ftFrame1);
  ASSERT_EQ(t.quads.size(), 2u);
  EXPECT_TRUE(t.quads[0].centre);
  EXPECT_EQ(GlyphOf(t.quads[0], ftFrame1), 8);
  EXPECT_EQ(t.quads[0].dx, 50.0f);
  EXPECT_EQ(t.quads[0].dy, 40.0f - 8);
  EXPECT_EQ(GlyphOf(t.quads[1], ftFrame1), 11);
  EXPECT_EQ(t.quads[1].dx, 42.0f);
  t.quads.clear();
  fd.FNumDraw(50, 40, 3, 0, 255, 0, ftFrameDB);
  ASSERT_EQ(t.quads.size(), 1u);
  EXPECT_EQ(t.quads[0].dx, 51.0f) << "zero stands one extra step right";
  EXPECT_EQ(GlyphOf(t.quads[0], ftFrameDB), 1);
  t.quads.clear();
  fd.FNumDraw(0, 40, 3, INT_MIN, 255, 0, ftFrame2);
  ASSERT_EQ(t.quads.size(), 11u);  // ten digits and the minus
  EXPECT_EQ(GlyphOf(t.quads[0], ftFrame2), 3);  // 2147483648 starts with 2
  EXPECT_EQ(GlyphOf(t.quads[9], ftFrame2), 9);  // and ends with 8
  t.quads.clear();
  fd.FNumDraw(0, 40, 3, 305, 255, 0, ftFrame2);
  ASSERT_EQ(t.quads.size(), 3u);
  EXPECT_EQ(GlyphOf(t.quads[1], ftFrame2), 1);
  EXPECT_EQ(t.quads[2].dx, 16.0f);
}

TEST(DamageNumbers, PlacedWhereTheHitWas) {
  RecordingTarget t;
  TFontDraw fd(&t, "");
  fd.FDamSet(12000, 0, 0, 0, true);
  fd.FDamSet(12000, 0, 0, -3, true);
  EXPECT_EQ(fd.NowDDDt_c, 0) << "no damage, no number";
  fd.FDamSet(12000, 3000, 1000, 5, false);
  fd.FDamSet(12000, 0, 0, 45, false);
  fd.FDamSet(12000, 0, 0, 123, false);
  EXPECT_EQ(fd.DDDt[0].X, 120);
  EXPECT_EQ(fd.DDDt[1].X, 116);
  EXPECT_EQ(fd.DDDt[2].X, 112);
  EXPECT_EQ(fd.DDDt[0].Y, 224 - 30 - 10);
  // Divisions truncate toward zero.
  fd.FDamSet(-150, -250, 0, 1, false);
  EXPECT_EQ(fd.DDDt[3].X, -1);
  EXPECT_EQ(fd.DDDt[3].Y, 226);
  // Drawn at the camera-shifted position, the newest on top.
  fd.FDamMove();
  fd.FDamDraw(10, 4);
  ASSERT_EQ(t.quads.size(), 1u + 2u + 3u + 1u);
  EXPECT_EQ(t.quads[0].dx, 110.0f);
  EXPECT_EQ(t.quads[0].dy, 184.0f - 8 + 4);
  EXPECT_EQ(t.quads[0].pri, 1000000 - 2);
  EXPECT_EQ(t.quads[0].col, 0xFFFFFFu);
  // A later text ignores the camera.
  t.quads.clear();
  fd.FDraw(0, 16, 0, "\x82\x50", 1, 255, 0, ftNML);
  EXPECT_EQ(t.quads[0].dx, 0.0f);
}

TEST(DamageNumbers, FadeLifeAndOverflow) {
  RecordingTarget t;
  TFontDraw fd(&t, "");
  fd.FDamSet(10000, 0, 0, 7, false);  // fading, first framed set
  fd.FDamSet(20000, 0, 0, 7, true);   // solid, second framed set
  std::vector<int> alpha, solid;
  for (int step = 1; step <= 52; ++step) {
    t.quads.clear();
    fd.FDamDraw(0, 0);
    ASSERT_EQ(t.quads.size(), 2u) << step;
    EXPECT_EQ(t.quads[0].pri, 1000000 - step);
    EXPECT_EQ(t.quads[0].sx, 168 + 8 * 8);
    EXPECT_EQ(t.quads[1].sy, 128);
    alpha.push_back(t.quads[0].alp);
    solid.push_back(t.quads[1].alp);
    fd.FDamMove();
  }
  EXPECT_EQ(alpha[0], 255);
  EXPECT_EQ(alpha[19], 255);
  EXPECT_EQ(alpha[20], 248);
  EXPECT_EQ(alpha[51], 0);
  for (int a : solid) EXPECT_EQ(a, 255);
  t.quads.clear();
  fd.FDamDraw(0, 0);
  EXPECT_TRUE(t.quads.empty()) << "gone after 52 steps";
  EXPECT_EQ(fd.DDDt[0].Count, 0);

  // The 33rd number takes the first slot.
  fd.ClearDam();
  for (int i = 1; i <= 33; ++i) fd.FDamSet(100 * i, 0, 0, i, true);
  EXPECT_EQ(fd.DDDt[0].Dam, 33);
  EXPECT_EQ(fd.DDDt[1].Dam, 2);
  EXPECT_EQ(fd.NowDDDt_c, 1);
  // The combo numbers drift, the others stay put.
  fd.FDamMove();
  EXPECT_EQ(fd.CDDDt[0].dY, 1);
  EXPECT_EQ(fd.DDDt[5].dY, 0);
  fd.ClearDam();
  EXPECT_EQ(fd.NowDDDt_c, 0);
  EXPECT_EQ(fd.CDDDt[0].dY, 0);
  t.quads.clear();
  fd.FDamDraw(0, 0);
  EXPECT_TRUE(t.quads.empty());
}

// Every name code draws as a glyph of the font, and never from a cell the
// damage numbers' framed digits take over (normal glyphs 169..179 lie under
// the second framed set's digits and minus).
TEST(FontGlyphs, NameCodesDrawOutsideTheFramedDigits) {
  for (int i = 0; i < 256; ++i) {
    const std::string ch = DTMOJICODE[size_t(i)];
    const int32_t g = SjisGlyph(uint8_t(ch[0]), uint8_t(ch[1]));
    EXPECT_GE(g, 0) << "code " << i;
    const FontCell c = FontGlyphCell(ftNML, g);
    for (int32_t d = UNTILNUM; d <= UNTILSIGN; ++d) {
      const FontCell f = FontGlyphCell(ftFrame2, d);
      EXPECT_FALSE(c.left == f.left && c.top == f.top) << "code " << i << " glyph " << g;
    }
  }
  EXPECT_EQ(std::string(DTMOJICODE[0]), "\x81\x51") << "code 0 stays the blank";
  // The hiragana codes the team files use keep their numbers.
  EXPECT_EQ(std::string(DTMOJICODE[37]), "\x82\x9F");
  EXPECT_EQ(std::string(DTMOJICODE[119]), "\x82\xF1");
}

// ---- through the game's renderer ------------------------------------------

namespace {

// A display of the game's kind (blits) at scale mag with a renderer on it, and
// a font sheet written as data\bmp\font.png in a folder of its own: every cell
// is filled with a colour made from its glyph position, the sheet's left-top
// pixel (the key) magenta.
class FontRendererTest : public DisplayTest {
 protected:
  static constexpr uint32_t kKey = 0xFF00FF;
  static uint32_t CellColour(int x, int y) {
    return (uint32_t(x / FW * 6 + 20) << 16) | (uint32_t(y / FH * 16 + 8) << 8) |
           uint32_t((x % FW) * 16 + (y % FH));
  }
  void SetUp() override {
    DisplayTest::SetUp();
    folder = logDir / "game";
    std::filesystem::create_directories(folder / "data/bmp");
    plat::SetProgramFolder(folder.string());
    plat::PngTrueColour png{336, 224, 3, std::vector<uint8_t>(336 * 224 * 3)};
    for (int y = 0; y < 224; ++y)
      for (int x = 0; x < 336; ++x) {
        const uint32_t c = (x == 0 && y == 0) ? kKey : CellColour(x, y);
        uint8_t* p = &png.pixels[(size_t(y) * 336 + size_t(x)) * 3];
        p[0] = uint8_t(c >> 16);
        p[1] = uint8_t(c >> 8);
        p[2] = uint8_t(c);
      }
    ASSERT_TRUE(plat::WritePngTrueColour((folder / "data/bmp/font.png").string(), png));
  }
  void TearDown() override {
    fd.reset();
    al.reset();
    disp.reset();
    plat::SetProgramFolder("");
    DisplayTest::TearDown();
  }
  void Start(int mag) {
    disp = std::make_unique<TDDDD>(host);
    disp->VsyncAtWindowed = false;
    disp->Use3D = false;
    disp->SetDebugOption(0);
    disp->DoInit([&] { disp->WindowMode(uint32_t(512 * mag), uint32_t(240 * mag)); });
    al = std::make_unique<TAlpha32>(disp.get(), nullptr, true, false, mag, 1000);
    al->POINTTEXELFIX = 0.0f;
    al->aspcX = al->aspcY = 0.0f;
    fd = std::make_unique<TFontDraw>(al.get(), plat::ProgramFolder() + "data\\");
  }
  uint32_t Back(int x, int y) {
    plat::SoftSurface* s = disp->BackBuffer()->Surface();
    uint8_t a, r, g, b;
    plat::DecodePixel(s->Format(), s->RawPixel(uint32_t(x), uint32_t(y)), a, r, g, b);
    return uint32_t(r) << 16 | uint32_t(g) << 8 | b;
  }
  std::filesystem::path folder;
  std::unique_ptr<TDDDD> disp;
  std::unique_ptr<TAlpha32> al;
  std::unique_ptr<TFontDraw> fd;
};

}  // namespace

TEST_F(FontRendererTest, MixedLineDrawsTheGlyphCellsAtScaleTwo) {
  Start(2);
  ASSERT_FALSE(al->Err_f);
  ASSERT_NE(fd->FontTexture(), nullptr);
  EXPECT_EQ(fd->FontTexture()->BmpWidth, 336);
  // "Ａ　あ１ア": capital, full-width space, hiragana, digit, katakana at
  // left-top (40, 80 - 16 + 8) in screen pixels of the logical screen.
  const std::string text = "\x82\x60\x81\x40\x82\xA0\x82\x50\x83\x41";
  const int glyphs[] = {42, 0, 85, 2, 169};
  al->Clear();
  fd->FDraw(40, 80, 5, text, 2, 255, 0xFFFFFF, ftNML);
  EXPECT_EQ(al->DrawObjectCount(), 5u);
  al->Rendering();
  int wrong = 0;
  for (int i = 0; i < 5; ++i) {
    const FontCell c = FontGlyphCell(ftNML, glyphs[i]);
    for (int y = 0; y < FH * 2; ++y)
      for (int x = 0; x < FW * 2; ++x) {
        if (c.left + x / 2 == 0 && c.top + y / 2 == 0) continue;  // the key
        const uint32_t want = CellColour(c.left + x / 2, c.top + y / 2);
        const uint32_t got = Back(2 * (40 + FW * i) + x, 2 * 72 + y);
        if (((got ^ want) & 0xF8F8F8) != 0 && wrong++ == 0)
          ADD_FAILURE() << "glyph " << i << " at " << x << "," << y << std::hex << " got " << got
                        << " want " << want;
      }
  }
  EXPECT_EQ(wrong, 0);
  // The blank glyph 0 is the sheet's keyed corner: its left-top pixel keeps
  // what was under it.
  EXPECT_NE(Back(2 * 48, 2 * 72), CellColour(0, 0));
}

TEST_F(FontRendererTest, DamageNumberAppearsWhereSetAndGoes) {
  Start(1);
  fd->FDamSet(12000, 0, 0, 45, true);  // drawn from x 116, centres at 116 and 124
  al->Clear();
  fd->FDamDraw(0, 0);
  ASSERT_EQ(al->DrawObjectCount(), 2u);
  EXPECT_EQ(al->Entry(0).dx[0], 116 - FW / 2);
  EXPECT_EQ(al->Entry(0).dy[0], 224 - 8 - FH / 2);
  EXPECT_EQ(al->Entry(0).sx[0], 5 * FW);  // digit 4 of the second framed set
  EXPECT_EQ(al->Entry(0).sy[0], 128);
  EXPECT_EQ(al->Entry(0).Pri, 1000000u - 1);
  al->Rendering();
  EXPECT_EQ(Back(116 - 4 + 1, 216 - 8 + 1), CellColour(5 * FW + 1, 129));
  // Any cell through the camera of the last FDamDraw.
  fd->FDamDraw(30, 5);
  al->Rendering();
  fd->FDrawTex(*fd->FontTexture(), 0, 16, 8, 16, 100, 50, 3, 255, 0, BM_NORMAL, mirNone, false,
               1.0f, 1.0f, r0, 0.0f, nullptr);
  ASSERT_EQ(al->DrawObjectCount(), 1u);
  EXPECT_EQ(al->Entry(0).dx[0], 100 - 30 - 4);
  EXPECT_EQ(al->Entry(0).dy[0], 50 + 5 - 8);
  al->Rendering();
  for (int i = 0; i < 52; ++i) fd->FDamMove();
  al->Clear();
  fd->FDamDraw(0, 0);
  EXPECT_EQ(al->DrawObjectCount(), 0u);
}

TEST_F(FontRendererTest, AMissingFontRaisesTheRendererErrorFlag) {
  std::filesystem::remove(folder / "data/bmp/font.png");
  Start(1);
  EXPECT_TRUE(al->Err_f);
  fd->FDraw(0, 16, 0, "\x82\x50", 1, 255, 0, ftNML);
  EXPECT_EQ(al->DrawObjectCount(), 0u) << "an empty texture queues nothing";
}
