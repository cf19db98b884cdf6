// Loading pictures into the renderer's textures: files and archive entries,
// colour keys, palettes, alpha companions, reload decisions and rebuilding
// after display memory was lost.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "files/QDArc.h"
#include "graphics/AlphaLib32.h"
#include "graphics/dddd.h"
#include "tests/PictureBuild.h"
#include "tests/display_fixture.h"

using namespace picbuild;

namespace {

// Raw pixel of a surface (locks it for the read).
uint32_t Raw(TDDDDGenSurface* s, int x, int y) {
  plat::DdSurfaceDesc d;
  if (!s || s->Lock(d) != 0 || !d.surface) return 0xDEADBEEF;
  uint32_t v = 0;
  std::memcpy(&v, d.surface + size_t(y) * d.pitch + size_t(x) * (d.pf.bitCount / 8), d.pf.bitCount / 8);
  s->UnLock();
  return v;
}

class TextureLoadTest : public DisplayTest {
 protected:
  TAlpha32& Renderer(int mag, bool use3D) {
    disp = std::make_unique<TDDDD>(host);
    disp->VsyncAtWindowed = false;
    disp->Use3D = use3D;
    disp->D3DOptions = 0;
    disp->SetDebugOption(0);
    disp->DoInit([&] { disp->WindowMode(uint32_t(512 * mag), uint32_t(240 * mag)); });
    al = std::make_unique<TAlpha32>(disp.get(), nullptr, !use3D, false, mag, 100);
    return *al;
  }
  std::string File(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::ofstream(logDir / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return (logDir / name).string();
  }
  void TearDown() override {
    for (TALTexture* t : {&a, &b, &c, &d}) al->FreeTexture(*t);
    al.reset();
    disp.reset();
    DisplayTest::TearDown();
  }
  std::unique_ptr<TDDDD> disp;
  std::unique_ptr<TAlpha32> al;
  TALTexture a, b, c, d;  // records stay in place while listed
};

// 4x2 RGB picture: left-top magenta, the rest distinct colours.
std::vector<uint8_t> RgbPng() {
  std::vector<uint8_t> rows;
  for (int y = 0; y < 2; ++y) {
    rows.push_back(0);
    for (int x = 0; x < 4; ++x) {
      uint32_t c = x == 0 && y == 0 ? 0xFF00FF : uint32_t(0x204060 + x * 0x100000 + y * 0x10);
      rows.insert(rows.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
    }
  }
  return MakePng(4, 2, 8, 2, rows);
}

// 3x1 indexed picture: indices 0, 1, 2 with a grey palette.
std::vector<uint8_t> IndexedPng() { return MakePng(3, 1, 8, 3, {0, 0, 1, 2}, {0x101010, 0x202020, 0x303030}); }

std::unique_ptr<TPaletteData> RedBluePalette() {
  auto p = std::make_unique<TPaletteData>();
  std::vector<plat::PaletteEntry> e(256);
  for (int i = 0; i < 256; ++i) {
    e[i] = {uint8_t(255 - i), 0, uint8_t(i), 0};
    p->RGBQUAD256[i] = {uint8_t(i), 0, uint8_t(255 - i), 0};
  }
  p->HPal = plat::CreatePalette(e);
  return p;
}

TEST_F(TextureLoadTest, FileLoadsKeepTheirRecipeAndDecideReloads) {
  TAlpha32& r = Renderer(2, false);
  const std::string png = File("court.png", RgbPng());
  ASSERT_TRUE(r.LoadTextureLR(a, png));
  EXPECT_EQ(a.ALSt, alsOK);
  EXPECT_EQ(a.Width, 8);
  EXPECT_EQ(a.BmpWidth, 4);
  EXPECT_EQ(a.Mag, 2);
  EXPECT_NE(a.DDLRTexture, nullptr);
  EXPECT_EQ(a.LoadSt.Source, asBmp);
  EXPECT_EQ(a.LoadSt.FileName, png);
  EXPECT_EQ(a.LoadSt.CK, ckPix00);
  ASSERT_EQ(r.TextureList().size(), 1u);
  EXPECT_EQ(r.TextureList()[0], &a);
  // Magenta (left-top, alpha 0) is the key; a 2x2 block per pixel, mirrored
  // copy flipped.
  TDDDDGenSurface* tile = a.Tile(0, 0);
  EXPECT_EQ(tile->ColorKey(), tile->ARGBToPhysical(0, 255, 0, 255));
  EXPECT_EQ(Raw(tile, 1, 1), tile->ColorKey());
  EXPECT_EQ(Raw(tile, 7, 0), tile->ARGBToPhysical(0, 0x50, 0x40, 0x60));
  EXPECT_EQ(Raw(a.DDLRTexture, 0, 0), tile->ARGBToPhysical(0, 0x50, 0x40, 0x60));

  // The same picture again: answers false, and the wrapper raises Err_f.
  EXPECT_FALSE(r.Err_f);
  EXPECT_FALSE(r.LoadTexture(a, png));
  EXPECT_TRUE(r.Err_f);
  EXPECT_EQ(a.Tile(0, 0), tile);
  r.Err_f = false;
  // Forced, restored or another picture: freed and loaded into a new slot.
  EXPECT_TRUE(r.LoadTextureEx(a, png, true, false, false, ckNone, -1));
  EXPECT_EQ(a.ListIndex, 1);
  EXPECT_EQ(r.TextureList()[0], nullptr);
  a.Tile(0, 0)->SetIsRestore(true);
  EXPECT_TRUE(r.LoadTextureEx(a, png, false, false, false, ckNone, -1));
  EXPECT_EQ(a.ListIndex, 2);
  const std::string other = File("other.png", RgbPng());
  EXPECT_TRUE(r.LoadTextureEx(a, other, false, false, false, ckNone, -1));
  EXPECT_EQ(a.ListIndex, 3);
  EXPECT_FALSE(r.Err_f);
  EXPECT_TRUE(r.FreeTexture(a));
  EXPECT_FALSE(r.FreeTexture(a));
}

TEST_F(TextureLoadTest, BadPicturesFailTheLoad) {
  TAlpha32& r = Renderer(1, false);
  const std::string upper = File("pic.PNG", RgbPng());
  EXPECT_FALSE(r.LoadTexture(a, upper));  // the extension is compared exactly
  EXPECT_TRUE(r.Err_f);
  r.Err_f = false;
  EXPECT_FALSE(r.LoadTexture(a, (logDir / "missing.png").string()));
  EXPECT_TRUE(r.Err_f);
  auto cut = RgbPng();
  cut.resize(cut.size() / 2);
  EXPECT_FALSE(r.LoadTexture(a, File("cut.png", cut)));
  EXPECT_FALSE(r.LoadTexture(a, File("junk.bmp", {'B', 'M', 1, 2, 3})));
  EXPECT_EQ(a.ALSt, alsNil);
  EXPECT_TRUE(r.TextureList().empty());
}

TEST_F(TextureLoadTest, AlphaCompanionChoosesTheKeyAndMayBeSmall) {
  TAlpha32& r = Renderer(1, false);
  const std::string png = File("ball.png", RgbPng());
  // Companion 2x1 (smaller than the picture): blue 255 at (0,0), 0 at (1,0).
  File("ball_a.png", MakePng(2, 1, 8, 2, {0, 0, 0, 255, 0, 0, 0}));
  ASSERT_TRUE(r.LoadTexture(a, png));
  // The first pixel whose alpha is 0 is (1,0).
  TDDDDGenSurface* tile = a.Tile(0, 0);
  EXPECT_EQ(tile->ColorKey(), tile->ARGBToPhysical(0, 0x30, 0x40, 0x60));
  // A cut of the picture.
  ASSERT_TRUE(r.LoadTextureExRect(b, png, false, false, false, ckNone, -1, ALRect{1, 1, 4, 2}));
  EXPECT_EQ(b.BmpWidth, 3);
  EXPECT_EQ(b.BmpHeight, 1);
  EXPECT_EQ(Raw(b.Tile(0, 0), 0, 0), tile->ARGBToPhysical(0, 0x30, 0x40, 0x70));
}

TEST_F(TextureLoadTest, PalettesRecolourIndexedPicturesAndKeyOnEntryZero) {
  TAlpha32& r = Renderer(1, false);
  EXPECT_EQ(r.PalLoad((logDir / "hpface.pal").string()), 0);  // missing: an empty slot
  EXPECT_EQ(r.PaletteFor(0), nullptr);
  const int pal = r.PalSet(RedBluePalette());
  EXPECT_EQ(pal, 1);
  const std::string png = File("face.png", IndexedPng());
  ASSERT_TRUE(r.LoadTextureEx(a, png, false, false, false, ckPalNo0, pal));
  TDDDDGenSurface* tile = a.Tile(0, 0);
  EXPECT_EQ(tile->ColorKey(), tile->TColorToPhysical(0x0000FF));  // entry 0: red
  EXPECT_EQ(Raw(tile, 2, 0), tile->ARGBToPhysical(0, 253, 0, 2));
  // Palette numbers naming nothing load the picture as it is.
  for (int none : {-1, 0, 7}) {
    ASSERT_TRUE(r.LoadTextureEx(b, png, true, false, false, ckPalNo0, none)) << none;
    EXPECT_EQ(b.Tile(0, 0)->ColorKey(), b.Tile(0, 0)->TColorToPhysical(0x101010)) << none;
  }
  // A palette file: 10-byte header, then colours.
  std::vector<uint8_t> f(778, 0);
  f[10 + 3] = 9;  // colour 1 red 9
  const int filePal = r.PalLoad(File("team.pal", f));
  ASSERT_NE(r.PaletteFor(filePal), nullptr);
  EXPECT_EQ(r.PaletteFor(filePal)->RGBQUAD256[1], (TQxRGBQuad{0, 0, 9, 0}));
  r.PalListClear();
  EXPECT_EQ(r.PaletteCount(), 0u);
}

TEST_F(TextureLoadTest, ArchiveEntriesLoadWithTheirPalette) {
  TAlpha32& r = Renderer(1, false);
  BmpSpec s;  // 8-bit with a 16-colour table: the pixels follow the short table
  s.width = 4, s.height = 1, s.bits = 8, s.clrUsed = 16;
  s.table.assign(16, 0x00FF00);
  s.pixels = {0, 1, 15, 3};
  const auto bmp = MakeBmp(s);
  const auto png = IndexedPng();
  auto archive = BuildQDAArchive("TEST", 1, 0, 0, {bmp, png}, {"body.bmp", "face.png"}, true);
  ASSERT_TRUE(archive);
  TQDAStream qda;
  qda.LoadFromBytes(*archive, "data\\char.qx2");
  const int pal = r.PalSet(RedBluePalette());

  ASSERT_TRUE(r.LoadTextureExQDA(a, "body.bmp", &qda, false, false, false, ckPalNo0, pal));
  TDDDDGenSurface* tile = a.Tile(0, 0);
  EXPECT_EQ(Raw(tile, 2, 0), tile->ARGBToPhysical(0, 240, 0, 15));
  EXPECT_EQ(tile->ColorKey(), tile->TColorToPhysical(0x0000FF));  // entry 0 captured here too
  EXPECT_EQ(a.LoadSt.Source, asQDA);
  EXPECT_EQ(a.LoadSt.ID, "body.bmp");
  EXPECT_EQ(a.LoadSt.FileName, "data\\char.qx2");
  EXPECT_EQ(qda.qdStream.Position(), 0);
  // Same entry again: not reloaded; another entry is.
  EXPECT_FALSE(r.LoadTextureExQDARect(a, "body.bmp", &qda, false, false, false, ckPalNo0, pal, {}));
  EXPECT_TRUE(r.LoadTextureExQDA(a, "face.png", &qda, false, false, false, ckPalNo0, pal));
  EXPECT_FALSE(r.Err_f);
  EXPECT_FALSE(r.LoadTextureExQDA(b, "none.png", &qda, false, false, false, ckNone, -1));
  EXPECT_TRUE(r.Err_f);
  EXPECT_FALSE(r.LoadTextureExQDA(b, "face.png", nullptr, false, false, false, ckNone, -1));
}

TEST_F(TextureLoadTest, RestoreRebuildsEveryTextureAndGoesOnPastFailures) {
  TAlpha32& r = Renderer(1, false);
  const std::string gone = File("gone.png", RgbPng());
  const std::string stay = File("stay.png", RgbPng());
  ASSERT_TRUE(r.LoadTexture(a, gone));
  ASSERT_TRUE(r.LoadTexture(b, stay));
  ASSERT_TRUE(r.MakeEmptyTexture(c, "text", 16, 0, 0));
  ASSERT_TRUE(r.LoadTexture(d, stay));
  std::filesystem::remove(gone);
  a.Tile(0, 0)->SetIsRestore(true);
  b.Tile(0, 0)->SetIsRestore(true);
  TDDDDGenSurface* untouched = d.Tile(0, 0);

  r.RestoreFromList();
  EXPECT_TRUE(r.Err_f);                 // the lost picture is reported
  EXPECT_FALSE(a.HasTiles());
  ASSERT_TRUE(b.HasTiles());            // and the pass went on past it
  EXPECT_EQ(b.ListIndex, 4);
  EXPECT_EQ(c.ListIndex, 5);            // empty textures are always made anew
  EXPECT_EQ(c.ALSt, alsEmp);
  EXPECT_EQ(d.ListIndex, 3);            // not lost: kept as it was
  EXPECT_EQ(d.Tile(0, 0), untouched);
  const auto& list = r.TextureList();
  ASSERT_EQ(list.size(), 6u);           // records listed again are not revisited
  EXPECT_EQ(list[0], nullptr);
  EXPECT_EQ(list[1], nullptr);
  EXPECT_EQ(list[2], nullptr);
  EXPECT_EQ(list[4], &b);
  EXPECT_EQ(Raw(b.Tile(0, 0), 1, 0), b.Tile(0, 0)->ARGBToPhysical(0, 0x30, 0x40, 0x60));
}

}  // namespace
