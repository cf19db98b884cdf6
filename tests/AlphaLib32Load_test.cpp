// The renderer's texture loading: tiles from picture files and archive
// entries, scale and mirrored copies, colour keys, alpha companions, palette
// recolouring, the reload rules and rebuilding after lost display memory.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "files/ProcCounter.h"
#include "files/QDArc.h"
#include "graphics/AlphaLib32.h"
#include "graphics/dddd.h"
#include "tests/PictureBuild.h"
#include "tests/display_fixture.h"

using namespace picbuild;

namespace {

using PixFn = std::function<uint32_t(int, int)>;

std::vector<uint8_t> RgbPng(int w, int h, const PixFn& f) {
  std::vector<uint8_t> rows;
  for (int y = 0; y < h; ++y) {
    rows.push_back(0);
    for (int x = 0; x < w; ++x) {
      const uint32_t c = f(x, y);
      rows.insert(rows.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
    }
  }
  return MakePng(uint32_t(w), uint32_t(h), 8, 2, rows);
}

std::vector<uint8_t> IndexedPng(int w, int h, const PixFn& index,
                                const std::vector<uint32_t>& palette) {
  std::vector<uint8_t> rows;
  for (int y = 0; y < h; ++y) {
    rows.push_back(0);
    for (int x = 0; x < w; ++x) rows.push_back(uint8_t(index(x, y)));
  }
  return MakePng(uint32_t(w), uint32_t(h), 8, 3, rows, palette);
}

uint32_t Picture(int x, int y) { return x == 0 && y == 0 ? 0xFF00FF : uint32_t(x * 20) << 16 | uint32_t(y * 20) << 8 | 0x33; }

uint32_t RawTexel(TDDDDGenSurface* s, int x, int y) {
  plat::DdSurfaceDesc d;
  if (!s || s->Lock(d) != 0) return 0xDEADBEEF;
  uint32_t raw = 0;
  std::memcpy(&raw, d.surface + size_t(y) * d.pitch + size_t(x) * (d.pf.bitCount / 8),
              d.pf.bitCount / 8);
  s->UnLock();
  return raw;
}

class LoaderTest : public DisplayTest {
 protected:
  TAlpha32& Renderer(int mag, bool use3D, bool alphaTex = false) {
    disp = std::make_unique<TDDDD>(host);
    disp->VsyncAtWindowed = false;
    disp->Use3D = use3D;
    disp->D3DOptions = 0;
    disp->SetDebugOption(0);
    disp->DoInit([&] { disp->WindowMode(uint32_t(512 * mag), uint32_t(240 * mag)); });
    al = std::make_unique<TAlpha32>(disp.get(), nullptr, !use3D, alphaTex, mag, 100);
    return *al;
  }
  std::string File(const std::string& name, const std::vector<uint8_t>& bytes) {
    const auto p = logDir / name;
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                             std::streamsize(bytes.size()));
    return p.string();
  }
  std::string PaletteFile(const std::string& name, size_t size,
                          const std::function<uint32_t(int)>& colour) {
    std::vector<uint8_t> b(778, 0);
    for (int i = 0; i < 256; ++i) {
      const uint32_t c = colour(i);
      b[10 + 3 * i] = uint8_t(c >> 16), b[11 + 3 * i] = uint8_t(c >> 8), b[12 + 3 * i] = uint8_t(c);
    }
    b.resize(size);
    return File(name, b);
  }
  void TearDown() override {
    for (TALTexture* t : owned) al->FreeTexture(*t);
    al.reset();
    disp.reset();
    DisplayTest::TearDown();
  }
  TALTexture& Tex() {
    store.push_back(std::make_unique<TALTexture>());
    owned.push_back(store.back().get());
    return *store.back();
  }
  std::unique_ptr<TDDDD> disp;
  std::unique_ptr<TAlpha32> al;
  std::vector<std::unique_ptr<TALTexture>> store;
  std::vector<TALTexture*> owned;
};

}  // namespace

TEST_F(LoaderTest, BlitPathScalesByTheDisplayAndMirrorsTheCopy) {
  TAlpha32& r = Renderer(2, false);
  const std::string f = File("pic.png", RgbPng(10, 10, Picture));
  TALTexture& t = Tex();
  ASSERT_TRUE(r.LoadTextureLR(t, f));
  EXPECT_EQ(t.ALSt, alsOK);
  EXPECT_EQ(t.Width, 20);
  EXPECT_EQ(t.BmpWidth, 10);
  EXPECT_EQ(t.Mag, 2);
  EXPECT_EQ(t.ListIndex, 0);
  ASSERT_NE(t.DDLRTexture, nullptr);
  // Shown at display scale, stored one texel per picture pixel.
  EXPECT_EQ(t.Texture[0][0]->Width(), 20);
  EXPECT_EQ(t.Texture[0][0]->Surface()->TexelScale(), 2u);
  int bad = 0;
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) {
      const uint32_t want = Picture(x, y) | 0xFF000000;
      bad += Texel(t.Texture[0][0], x, y) != want;
      bad += Texel(t.DDLRTexture, 9 - x, y) != want;
    }
  EXPECT_EQ(bad, 0);
  // No companion: every alpha is 0, so the left-top colour is the key.
  EXPECT_EQ(t.Texture[0][0]->ColorKey(), RawTexel(t.Texture[0][0], 0, 0));
  EXPECT_EQ(t.DDLRTexture->ColorKey(), t.Texture[0][0]->ColorKey());
}

TEST_F(LoaderTest, ThreeDPathSplitsAt256) {
  TAlpha32& r = Renderer(1, true);
  struct Case {
    int w, h, pgx, pgy;
  } cases[] = {{256, 256, 0, 0}, {257, 1, 1, 0}, {300, 600, 1, 2}};
  for (const Case& c : cases) {
    TALTexture& t = Tex();
    const std::string f = File("big" + std::to_string(c.w) + ".png",
                               RgbPng(c.w, c.h, [](int x, int y) { return uint32_t(x << 8 | y) & 0xF8F8F8; }));
    ASSERT_TRUE(r.LoadTexture(t, f));
    EXPECT_EQ(t.pgX, c.pgx);
    EXPECT_EQ(t.pgY, c.pgy);
    EXPECT_EQ(t.Width, c.w);
  }
  TALTexture& big = *store.back();
  EXPECT_EQ(Texel(big.Texture[1][2], 43, 87) & 0xF8F8F8, uint32_t(299 << 8 | 599) & 0xF8F8F8);
  EXPECT_EQ(big.Texture[1][2]->Width(), 256);
}

TEST_F(LoaderTest, EachLoadStepLogsItsTimeAndNoStopwatchIsLeftRunning) {
  SteppingClock clock(1000);  // every counter read is a millisecond later
  TProcCounter pc;
  pc.SetCounterNum(16);
  TAlpha32& r = Renderer(1, false);
  r.PC = &pc;
  DDDD_DebugMessage = true;
  TALTexture& t = Tex();
  ASSERT_TRUE(r.LoadTexture(t, File("pic.png", RgbPng(4, 4, Picture))));
  // "▼name = N ms" lines, innermost steps first; each outer step lasts longer
  // than the steps inside it.
  std::vector<std::string> names, lines;
  std::map<std::string, int> ms;
  std::istringstream log(ReadLog());
  for (std::string line; std::getline(log, line);) {
    lines.push_back(line);
    const size_t at = line.find("\x81\xA5"), eq = line.find(" = ");
    if (at == std::string::npos || eq == std::string::npos) continue;
    names.push_back(line.substr(at + 2, eq - at - 2));
    ms[names.back()] = std::stoi(line.substr(eq + 3));
  }
  EXPECT_EQ(names, (std::vector<std::string>{"LoadBmp32BitFormat", "LoadFileToBmp32",
                                             "BitmapToTexture", "MakeTex", "LoadFileToTexture",
                                             "LoadTexture"}));
  EXPECT_GT(ms["LoadBmp32BitFormat"], 0);
  EXPECT_GT(ms["BitmapToTexture"], 0);
  EXPECT_GT(ms["LoadFileToBmp32"], ms["LoadBmp32BitFormat"]);
  EXPECT_GT(ms["MakeTex"], ms["BitmapToTexture"]);
  EXPECT_GT(ms["LoadFileToTexture"], ms["LoadFileToBmp32"] + ms["MakeTex"]);
  EXPECT_GT(ms["LoadTexture"], ms["LoadFileToTexture"]);
  ASSERT_FALSE(lines.empty());
  EXPECT_TRUE(lines.back().ends_with(" ... ")) << lines.back();  // the empty closing line
  // A picture that does not decode still stops its stopwatch.
  TALTexture& u = Tex();
  EXPECT_FALSE(r.LoadTexture(u, File("broken.png", {0x89, 'P', 'N', 'G', 1, 2, 3})));
  EXPECT_GT(pc.GetTime(14), 0);
}

TEST_F(LoaderTest, ReloadRules) {
  TAlpha32& r = Renderer(1, false);
  const std::string a = File("a.png", RgbPng(4, 4, Picture));
  const std::string b = File("b.png", RgbPng(6, 2, Picture));
  TALTexture& t = Tex();
  ASSERT_TRUE(r.LoadTexture(t, a));
  // The same file again: refused, and the short form raises the error flag.
  EXPECT_FALSE(r.LoadTexture(t, a));
  EXPECT_TRUE(r.Err_f);
  EXPECT_EQ(t.ListIndex, 0);
  EXPECT_TRUE(r.LoadTextureEx(t, a, true, false, false, ckPix00, -1));  // forced
  EXPECT_EQ(t.ListIndex, 1);
  EXPECT_EQ(r.TextureList()[0], nullptr);
  EXPECT_TRUE(r.LoadTexture(t, b));  // another file
  EXPECT_EQ(t.BmpWidth, 6);
  t.Texture[0][0]->SetIsRestore(true);  // its memory was lost
  EXPECT_TRUE(r.LoadTextureExRect(t, b, false, false, false, ckPix00, -1, ALRect{}));
  EXPECT_EQ(t.ListIndex, 3);
  // A part of the picture.
  EXPECT_TRUE(r.LoadTextureExRect(t, a, false, false, false, ckNone, -1, ALRect{1, 2, 3, 4}));
  EXPECT_EQ(t.BmpWidth, 2);
  EXPECT_EQ(Texel(t.Texture[0][0], 1, 0), Picture(2, 2) | 0xFF000000);
}

TEST_F(LoaderTest, MissingFilesAndUnknownExtensionsFail) {
  TAlpha32& r = Renderer(1, false);
  File("c.PNG", RgbPng(4, 4, Picture));
  TALTexture& t = Tex();
  testing::internal::CaptureStderr();
  EXPECT_FALSE(r.LoadTexture(t, (logDir / "missing.png").string()));
  EXPECT_TRUE(r.Err_f);
  EXPECT_FALSE(r.LoadTextureExRect(t, (logDir / "c.PNG").string(), false, false, false, ckPix00,
                                   -1, ALRect{}));  // extensions are compared as written
  File("broken.png", {0x89, 'P', 'N', 'G', 1, 2, 3});
  EXPECT_FALSE(r.LoadTextureExRect(t, (logDir / "broken.png").string(), false, false, false,
                                   ckPix00, -1, ALRect{}));
  // Each failure names its file and what was wrong on stderr.
  const std::string err = testing::internal::GetCapturedStderr();
  for (const char* line : {"missing.png: missing", "c.PNG: not a .bmp, .jpg or .png picture",
                           "broken.png: cannot be decoded: PNG: "})
    EXPECT_NE(err.find(line), std::string::npos) << line << " in:\n" << err;
  EXPECT_EQ(t.ALSt, alsNil);
  EXPECT_FALSE(t.HasTiles());
  EXPECT_FALSE(r.FreeTexture(t));
}

TEST_F(LoaderTest, AlphaCompanionGivesAlphaAndTheKey) {
  TAlpha32& r = Renderer(1, true, true);
  const std::string f = File("spr.png", RgbPng(4, 3, Picture));
  File("spr_a.png", RgbPng(4, 3, [](int x, int y) { return x > 1 ? 0u : uint32_t(0x40 + x * 0x40 + y); }));
  TALTexture& t = Tex();
  ASSERT_TRUE(r.LoadTexture(t, f));
  TDDDDGenSurface* tile = t.Texture[0][0];
  EXPECT_EQ(Texel(tile, 0, 0) >> 24, 0x40u);
  EXPECT_EQ(Texel(tile, 1, 2) >> 24, 0x82u);
  EXPECT_EQ(Texel(tile, 1, 2) & 0xFFFFFF, Picture(1, 2));
  EXPECT_EQ(Texel(tile, 2, 0) >> 24, 0u);
  // The key is the first texel whose alpha is 0.
  EXPECT_EQ(tile->ColorKey(), RawTexel(tile, 2, 0));
  // A companion smaller than its picture: what it does not cover is clear.
  const std::string g = File("small.png", RgbPng(4, 3, Picture));
  File("small_a.png", RgbPng(3, 2, [](int, int) { return 0x80u; }));
  TALTexture& u = Tex();
  ASSERT_TRUE(r.LoadTexture(u, g));
  EXPECT_EQ(Texel(u.Texture[0][0], 2, 1), 0x80000000u | Picture(2, 1));
  EXPECT_EQ(Texel(u.Texture[0][0], 3, 1) >> 24, 0u);
  EXPECT_EQ(Texel(u.Texture[0][0], 0, 2), Picture(0, 2));
  EXPECT_FALSE(r.Err_f);
}

TEST_F(LoaderTest, PalettesRecolourEightBitPictures) {
  TAlpha32& r = Renderer(1, false);
  const std::string pal = PaletteFile("game.pal", 778, [](int i) { return uint32_t(i << 16 | (255 - i) << 8 | 7); });
  const std::string shortPal = PaletteFile("short.pal", 13, [](int) { return 0xFF0000u; });
  const std::string png = File("face.png", IndexedPng(4, 1, [](int x, int) { return uint32_t(x); },
                                                      {0x111111, 0x222222, 0x333333, 0x444444}));
  EXPECT_EQ(r.PalLoad(pal), 0);
  EXPECT_EQ(r.PalLoad((logDir / "none.pal").string()), 1);  // missing: an empty slot
  EXPECT_EQ(r.PalLoad(shortPal), 2);
  EXPECT_EQ(r.PalAt(1), nullptr);
  EXPECT_EQ(r.PalAt(7), nullptr);

  TALTexture& t = Tex();
  ASSERT_TRUE(r.LoadTextureEx(t, png, false, false, false, ckPalNo0, 0));
  EXPECT_EQ(Texel(t.Texture[0][0], 3, 0), 0xFF03FC07u);
  EXPECT_EQ(t.Texture[0][0]->ColorKey(), t.Texture[0][0]->TColorToPhysical(0x07FF00));  // entry 0
  // A short file leaves the missing colours black.
  ASSERT_TRUE(r.LoadTextureEx(t, png, true, false, false, ckPalNo0, 2));
  EXPECT_EQ(Texel(t.Texture[0][0], 0, 0), 0xFFFF0000u);
  EXPECT_EQ(Texel(t.Texture[0][0], 1, 0), 0xFF000000u);
  // An empty slot or a number past the list: the picture's own colours.
  for (int32_t n : {1, 99, -1}) {
    ASSERT_TRUE(r.LoadTextureEx(t, png, true, false, false, ckPalNo0, n));
    EXPECT_EQ(Texel(t.Texture[0][0], 2, 0), 0xFF333333u);
    EXPECT_EQ(t.Texture[0][0]->ColorKey(), t.Texture[0][0]->TColorToPhysical(0x111111));
  }
}

TEST_F(LoaderTest, ArchiveEntriesLoadAndRebuild) {
  TAlpha32& r = Renderer(1, false);
  const std::vector<uint8_t> png = RgbPng(4, 4, Picture);
  BmpSpec bmp;
  bmp.width = 2;
  bmp.height = 1;
  bmp.table.assign(256, 0x101010);
  bmp.table[1] = 0x202020;
  bmp.pixels = {0, 1, 0, 0};
  const std::vector<uint8_t> bmpBytes = MakeBmp(bmp);
  bmp.table.resize(2);  // a short colour table
  bmp.clrUsed = 2;
  const std::vector<uint8_t> shortBytes = MakeBmp(bmp);
  // The same two colours behind the 12-byte header of the older format.
  Bytes core;
  core.str("BM").u32(14 + 12 + 768 + 4).u32(0).u32(14 + 12 + 768).u32(12).u16(2).u16(1).u16(1)
      .u16(8).u8(0x10).u8(0x10).u8(0x10).u8(0x20).u8(0x20).u8(0x20).zeros(762).raw({0, 1, 0, 0});
  auto image = BuildQDAArchive("DBDT", 0, 0, 0, {png, bmpBytes, shortBytes, core.v},
                               {"face.png", "body.bmp", "short.bmp", "core.bmp"}, true);
  ASSERT_TRUE(image);
  TQDAStream qs;
  qs.LoadFromBytes(*image, "char.qx2");
  const std::string pal = PaletteFile("game.pal", 778, [](int i) { return uint32_t(i << 16 | 9); });
  ASSERT_EQ(r.PalLoad(pal), 0);

  TALTexture& face = Tex();
  TALTexture& body = Tex();
  ASSERT_TRUE(r.LoadTextureExQDA(face, "face.png", &qs, false, false, false, ckPix00, -1));
  EXPECT_EQ(face.LoadSt.Source, asQDA);
  EXPECT_EQ(face.LoadSt.FileName, "char.qx2");
  EXPECT_EQ(Texel(face.Texture[0][0], 3, 1), Picture(3, 1) | 0xFF000000);
  // An 8-bit BMP entry takes the palette, and its entry 0 becomes the key.
  ASSERT_TRUE(r.LoadTextureExQDA(body, "body.bmp", &qs, false, false, false, ckPalNo0, 0));
  EXPECT_EQ(Texel(body.Texture[0][0], 1, 0), 0xFF010009u);
  EXPECT_EQ(body.Texture[0][0]->ColorKey(), body.Texture[0][0]->TColorToPhysical(0x090000));
  EXPECT_FALSE(r.Err_f);
  TALTexture& none = Tex();
  testing::internal::CaptureStderr();
  EXPECT_FALSE(r.LoadTextureExQDA(none, "none.png", &qs, false, false, false, ckPix00, -1));
  EXPECT_NE(testing::internal::GetCapturedStderr().find("char.qx2: entry none.png is missing"),
            std::string::npos);
  EXPECT_TRUE(r.Err_f);
  // An archive that failed to load was named then: its entries add no lines.
  TQDAStream failed;
  failed.LoadFromBytes({1, 2, 3}, "bad.qx2");
  testing::internal::CaptureStderr();
  EXPECT_FALSE(r.LoadTextureExQDA(none, "face.png", &failed, false, false, false, ckPix00, -1));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  // Without a palette a short table gives its own colours; with one, the
  // palette's, whatever header or table the entry has.
  EXPECT_TRUE(r.LoadTextureExQDA(none, "short.bmp", &qs, false, false, false, ckPalNo0, -1));
  EXPECT_EQ(Texel(none.Texture[0][0], 1, 0), 0xFF202020u);
  for (const char* id : {"short.bmp", "core.bmp"}) {
    TALTexture& recoloured = Tex();
    ASSERT_TRUE(r.LoadTextureExQDA(recoloured, id, &qs, false, false, false, ckPalNo0, 0)) << id;
    EXPECT_EQ(Texel(recoloured.Texture[0][0], 1, 0), 0xFF010009u) << id;
  }

  face.Texture[0][0]->SetIsRestore(true);
  const int32_t before = face.ListIndex;
  r.RestoreFromList();
  EXPECT_GT(face.ListIndex, before);
  EXPECT_EQ(r.TextureList()[size_t(before)], nullptr);
  EXPECT_EQ(body.ListIndex, 1);  // not lost: kept where it was
}

TEST_F(LoaderTest, EmptyTexturesFreeingAndTheRebuildPass) {
  TAlpha32& r = Renderer(1, true);
  const std::string a = File("a.png", RgbPng(4, 4, Picture));
  TALTexture& pic = Tex();
  TALTexture& text = Tex();
  ASSERT_TRUE(r.LoadTexture(pic, a));
  ASSERT_TRUE(r.MakeEmptyTexture(text, "text", 256, 1, 0));
  EXPECT_EQ(text.ALSt, alsEmp);
  EXPECT_EQ(text.Width, 512);
  EXPECT_EQ(text.Texture.size(), 2u);
  EXPECT_EQ(text.ListIndex, 1);

  pic.Texture[0][0]->SetIsRestore(true);
  r.RestoreFromList();
  EXPECT_FALSE(r.Err_f);
  // The picture was reloaded and the empty texture made anew, each once, at
  // the end of the list.
  EXPECT_EQ(r.TextureList().size(), 4u);
  EXPECT_EQ(pic.ListIndex, 2);
  EXPECT_EQ(text.ListIndex, 3);
  EXPECT_EQ(r.TextureList()[0], nullptr);
  EXPECT_EQ(r.TextureList()[1], nullptr);

  TALTexture& once = Tex();
  ASSERT_TRUE(r.MakeEmptyTexture(once, "once", 16, 0, 0));
  EXPECT_TRUE(r.FreeTexture(once));
  EXPECT_FALSE(r.FreeTexture(once));
  EXPECT_EQ(once.ALSt, alsNil);
  // A file gone by the time of the rebuild: flagged, and the pass goes on.
  std::filesystem::remove(a);
  pic.Texture[0][0]->SetIsRestore(true);
  r.RestoreFromList();
  EXPECT_TRUE(r.Err_f);
  EXPECT_FALSE(pic.HasTiles());
  EXPECT_TRUE(text.HasTiles());
}
