// The character palettes: the small palettes, the colour sets of the palette
// archive, member palettes, and the halts on a missing or damaged archive;
// and which picture cells the face loaders take.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "files/QDArc.h"
#include "graphics/AlphaLib32Pictures.h"
#include "platform/Files.h"
#include "shell/GlbRecord.h"
#include "match/clsObject.h"
#include "shell/clsAllTx.h"
#include "shell/clsMenuScene.h"
#include "tests/PictureBuild.h"
#include "tests/display_fixture.h"

namespace fs = std::filesystem;

namespace {

// A palette file whose colour k is (k, 255 - k, n) for file n.
std::vector<uint8_t> PalFile(int n, size_t size = 778) {
  std::vector<uint8_t> f(size, 0);
  for (int k = 0; k < 256; ++k)
    for (int c = 0; c < 3; ++c) {
      size_t at = 10 + size_t(k) * 3 + size_t(c);
      if (at < size) f[at] = uint8_t(c == 0 ? k : c == 1 ? 255 - k : n);
    }
  return f;
}

uint32_t Col(int k, int n) { return uint32_t(k) << 16 | uint32_t(255 - k) << 8 | uint32_t(n); }

std::vector<uint8_t> PalArchive(const std::vector<uint8_t>& f0, const std::vector<uint8_t>& f1,
                                uint8_t v1 = 1) {
  return *BuildQDAArchive("PAL", 0, v1, 0, {f0, f1}, {"dbpal0.pal", "dbpal1.pal"}, true);
}

class PaletteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("qorv_pal_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
           "_" + std::to_string(std::random_device{}()));
    fs::create_directories(dir / "data");
    plat::SetProgramFolder(dir.string() + "/");
    WriteData("char.qx2", *BuildQDAArchive("CHAR", 0, 0, 1, {}, {}, true));
  }
  void TearDown() override {
    plat::SetProgramFolder("");
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  void WriteData(const char* name, const std::vector<uint8_t>& bytes) {
    std::ofstream(dir / "data" / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }
  void WritePal(const std::vector<uint8_t>& bytes) { WriteData("pal.qx2", bytes); }
  fs::path dir;
  TGlobalSAI Glb{nullptr};
};

TEST(MakePal, FiveColoursOnBlackAndUnknownNumbersReadAsZero) {
  CharPalette p = MakePal(1, 3);
  EXPECT_EQ(p[0], 0xA0A0A0u);
  EXPECT_EQ(p[1], 0xFFFFFFu);
  EXPECT_EQ(p[2], 0xA70000u);  // outline of set 1
  EXPECT_EQ(p[3], 0xFF9B3Bu);  // skin of set 1
  EXPECT_EQ(p[4], 0x4FDF4Bu);  // team colour 3
  for (int i = 5; i < 256; ++i) EXPECT_EQ(p[i], 0u) << i;
  // Every outline, skin and team colour.
  const uint32_t skin[4] = {0xFF965F, 0xFF9B3B, 0xCB4F0F, 0xFFBFB3};
  const uint32_t outline[4] = {0x000000, 0xA70000, 0x000000, 0x432F00};
  const uint32_t team[11] = {0xFFFFFF, 0x00838B, 0xDB2B00, 0x4FDF4B, 0xBF00BF, 0xA78BFD,
                             0x47009F, 0x3BBFFF, 0x8300F3, 0x005100, 0x1B3F5F};
  for (int sc = 0; sc < 4; ++sc)
    for (int tc = 0; tc < 11; ++tc) {
      CharPalette q = MakePal(sc, tc);
      EXPECT_EQ(q[2], outline[sc]) << sc;
      EXPECT_EQ(q[3], skin[sc]) << sc;
      EXPECT_EQ(q[4], team[tc]) << tc;
    }
  for (auto [sc, tc] : {std::pair(-1, 11), std::pair(4, -1)}) EXPECT_EQ(MakePal(sc, tc), MakePal(0, 0));
}

TEST_F(PaletteTest, CreationRegistersTheFortyFourSmallPalettesFirst) {
  WritePal(PalArchive(PalFile(0), PalFile(1)));
  TALLtxChar ac(nullptr, &Glb, nullptr);
  EXPECT_FALSE(Glb.Halt_f);
  for (int sc = 0; sc < 4; ++sc)
    for (int tc = 0; tc < 11; ++tc) {
      int no = ac.PalIndex[sc][tc];
      ASSERT_GE(no, 0);
      ASSERT_LT(size_t(no), ac.Palettes.size());
      EXPECT_EQ(ac.Palettes[size_t(no)], MakePal(sc, tc));
    }
  for (int i = 0; i < 4; ++i) EXPECT_EQ(ac.ColNo[i], -1);
}

TEST_F(PaletteTest, ColourSetsMapSixteenColoursEachWithFixedOutlineAndFileTransparent) {
  WritePal(PalArchive(PalFile(0), PalFile(1)));
  TALLtxChar ac(nullptr, &Glb, nullptr);
  ASSERT_FALSE(Glb.Halt_f);
  for (int n = 0; n < 2; ++n)
    for (int set = 0; set < 16; ++set) {
      const DBCHARPal& p = ac.DBPal[16 * n + set];
      const int k = set * 16;
      SCOPED_TRACE(16 * n + set);
      EXPECT_EQ(p.Trans, Col(0, n));  // colour 0 of the file, not colour k
      EXPECT_EQ(p.Black, 0x313042u);
      EXPECT_EQ(p.Eye, Col(k + 2, n));
      for (int i = 0; i < 5; ++i) EXPECT_EQ(p.Skin[i], Col(k + 3 + i, n));
      EXPECT_EQ(p.Skin[5], 0u);
      for (int i = 0; i < 3; ++i) EXPECT_EQ(p.Hair[i], Col(k + 8 + i, n));
      for (int i = 0; i < 2; ++i) EXPECT_EQ(p.Pants[i], Col(k + 11 + i, n));
      for (int i = 0; i < 3; ++i) EXPECT_EQ(p.Shirt[i], Col(k + 13 + i, n));
    }
}

TEST_F(PaletteTest, ShortPaletteFilesReadAsZerosBeyondTheirEnd) {
  // File 1 ends inside colour 20: set 17 keeps colours 16..19 and red of 20.
  TALLtxChar ac(nullptr, nullptr, nullptr);
  EXPECT_EQ(ac.ReadDBPalDt(PalArchive(PalFile(0), PalFile(1, 10 + 20 * 3 + 1))), -1);
  EXPECT_EQ(ac.DBPal[17].Eye, Col(18, 1));
  EXPECT_EQ(ac.DBPal[17].Skin[0], Col(19, 1));
  EXPECT_EQ(ac.DBPal[17].Skin[1], 20u << 16);
  EXPECT_EQ(ac.DBPal[17].Skin[2], 0u);
  EXPECT_EQ(ac.DBPal[17].Black, 0x313042u);
  EXPECT_EQ(ac.DBPal[31].Shirt[2], 0u);
  // A longer file is read to its palette size only.
  auto longer = PalFile(0);
  longer.resize(2000, 0x77);
  EXPECT_EQ(ac.ReadDBPalDt(PalArchive(longer, PalFile(1))), -1);
  EXPECT_EQ(ac.DBPal[15].Shirt[2], Col(255, 0));
}

TEST_F(PaletteTest, MissingArchiveHaltsFileNotFound) {
  TALLtxChar ac(nullptr, &Glb, nullptr);
  EXPECT_TRUE(Glb.Halt_f);
  EXPECT_EQ(Glb.ErrMsg, "File Not Found");
  EXPECT_EQ(ac.DBPal[3].Black, 0u);
}

TEST_F(PaletteTest, DamagedOrWrongVersionArchiveHaltsFileVerErr) {
  auto good = PalArchive(PalFile(0), PalFile(1));
  auto flipped = good;
  flipped[flipped.size() - 1] ^= 0x40;
  auto missingEntry = *BuildQDAArchive("PAL", 0, 1, 0, {PalFile(0)}, {"dbpal0.pal"}, true);
  for (const auto& bytes : {flipped, PalArchive(PalFile(0), PalFile(1), 0), missingEntry,
                            std::vector<uint8_t>(5, 1)}) {
    TGlobalSAI g{nullptr};
    WritePal(bytes);
    TALLtxChar ac(nullptr, &g, nullptr);
    EXPECT_TRUE(g.Halt_f);
    EXPECT_EQ(g.ErrMsg, "File Ver Err");
    EXPECT_EQ(ac.DBPal[0].Black, 0u);  // nothing half-read
  }
}

// The character pictures' archive is checked like the other data archives:
// without it the players would be invisible. Each failure names the file
// and what was wrong on stderr.
TEST_F(PaletteTest, CharacterArchiveMissingOrDamagedHalts) {
  WritePal(PalArchive(PalFile(0), PalFile(1)));
  const std::vector<uint8_t> png(40, 7);
  auto good = *BuildQDAArchive("CHAR", 0, 0, 1, {png}, {"dbbody.png"}, true);
  auto flipped = good;
  flipped.back() ^= 1;
  struct Case {
    std::vector<uint8_t> bytes;
    const char* halt;
    const char* reason;
  } cases[] = {
      {{}, "File Not Found", "char.qx2: missing"},
      {std::vector<uint8_t>(1, 0), "File Ver Err", "1 bytes, too short"},
      {std::vector<uint8_t>(good.begin(), good.begin() + 300), "File Ver Err", "digest"},
      {*BuildQDAArchive("PAL", 0, 0, 1, {png}, {"dbbody.png"}, true), "File Ver Err", "tag CHAR"},
      {flipped, "File Ver Err", "digest"},
      {*BuildQDAArchive("CHAR", 0, 0, 2, {png}, {"dbbody.png"}, true), "File Ver Err",
       "wrong version (0.0.1 expected)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason);
    fs::remove(dir / "data" / "char.qx2");
    if (!c.bytes.empty()) WriteData("char.qx2", c.bytes);
    TGlobalSAI g{nullptr};
    testing::internal::CaptureStderr();
    TALLtxChar ac(nullptr, &g, nullptr);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(g.ErrMsg, c.halt);
    EXPECT_NE(err.find("char.qx2: "), std::string::npos) << err;
    EXPECT_NE(err.find(c.reason), std::string::npos) << err;
  }
  // The same problem of the same file is told once, not at every load.
  fs::remove(dir / "data" / "char.qx2");
  testing::internal::CaptureStderr();
  for (int i = 0; i < 2; ++i) {
    TGlobalSAI g{nullptr};
    TALLtxChar again(nullptr, &g, nullptr);
  }
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err.find("char.qx2: missing"), err.rfind("char.qx2: missing")) << err;
  EXPECT_NE(err.find("char.qx2: missing"), std::string::npos) << err;
  WriteData("char.qx2", good);
  TGlobalSAI g{nullptr};
  TALLtxChar ac(nullptr, &g, nullptr);
  EXPECT_FALSE(g.Halt_f);
  EXPECT_TRUE(ExtractFromQDAStream2(ac.qmsCharDB, "dbbody.png"));
}

TEST_F(PaletteTest, MemberPaletteTakesEachPartFromItsOwnSet) {
  WritePal(PalArchive(PalFile(0), PalFile(1)));
  TALLtxChar ac(nullptr, &Glb, nullptr);
  CharPalette p;
  ac.MakePalDB(p, 0, 5, 17, 30, 23, 2);
  EXPECT_EQ(p[0], ac.DBPal[0].Trans);
  EXPECT_EQ(p[1], 0x313042u);
  EXPECT_EQ(p[2], ac.DBPal[5].Eye);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(p[3 + i], ac.DBPal[17].Skin[i]);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(p[8 + i], ac.DBPal[30].Hair[i]);
  for (int i = 0; i < 2; ++i) EXPECT_EQ(p[11 + i], ac.DBPal[23].Pants[i]);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(p[13 + i], ac.DBPal[2].Shirt[i]);
  for (int i = 16; i < 256; ++i) EXPECT_EQ(p[i], 0u);
  // Set numbers from team data outside 0..31 read as set 0.
  CharPalette q, z;
  ac.MakePalDB(q, 0, 32, -1, 200, 0, 0);
  ac.MakePalDB(z, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(q, z);
}

TEST_F(PaletteTest, EveryMemberGetsItsOwnPaletteAndRecordsItsColours) {
  WritePal(PalArchive(PalFile(0), PalFile(1)));
  TALLtxChar ac(nullptr, &Glb, nullptr);
  ac.LoadAllFace(4, 6, 0x23, 0, 7, 8, 9, 4, 0);
  const int no = ac.AllCharPalNo[4][6];
  ASSERT_LT(size_t(no), ac.Palettes.size());
  CharPalette want;
  ac.MakePalDB(want, 0, 7, 8, 9, 4, 0);
  EXPECT_EQ(ac.Palettes[size_t(no)], want);
  EXPECT_EQ(ac.AllCharPalDt[4][6].TNo, 4);
  EXPECT_EQ(ac.AllCharPalDt[4][6].Eye, 7);
  EXPECT_EQ(ac.AllCharPalDt[4][6].Skin, 8);
  EXPECT_EQ(ac.AllCharPalDt[4][6].Hair, 9);
  // Out-of-range members change nothing.
  size_t before = ac.Palettes.size();
  ac.LoadAllFace(24, 0, 0, 0, 0, 0, 0, 0, 0);
  ac.LoadAllFace(0, -1, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(ac.Palettes.size(), before);
}

}  // namespace

namespace {

DCDLooks Looks(int eye, int skin, int hair) {
  DCDLooks l{};
  l.EyeCol = uint8_t(eye);
  l.SkinCol = uint8_t(skin);
  l.HairCol = uint8_t(hair);
  return l;
}

TEST_F(PaletteTest, MembersWithTheSameLooksOnOneSideShareOneBody) {
  WritePal(PalArchive(PalFile(0), PalFile(1)));
  TALLtxChar ac(nullptr, &Glb, nullptr);
  for (int m = 0; m < 7; ++m) ac.LoadAllFace(3, m, m, 0, m == 4 ? 2 : 1, 5, 9, 3, 0);
  // Team 3 on both sides: members 0, 2 and 5 look alike, member 4 differs.
  ac.LoadDBBMP(0, 0, 0, 3, 2, Looks(1, 5, 9));
  ac.LoadDBBMP(0, 1, 0, 3, 5, Looks(1, 5, 9));
  ac.LoadDBBMP(0, 2, 0, 3, 4, Looks(2, 5, 9));
  ac.LoadDBBMP(1, 0, 0, 3, 5, Looks(1, 5, 9));
  EXPECT_EQ(ac.txCharDBp[0][0], &ac.txCharDB[0][2]);
  EXPECT_EQ(ac.txCharDBp[0][1], &ac.txCharDB[0][2]);  // shared, not loaded again
  EXPECT_FALSE(ac.txCharDB_f[0][5]);
  EXPECT_EQ(ac.txCharDBp[0][2], &ac.txCharDB[0][4]);
  EXPECT_TRUE(ac.txCharDB_f[0][4]);
  EXPECT_EQ(ac.txCharDBp[1][0], &ac.txCharDB[1][5]);  // the other side loads its own
  ac.ClearCharDBp();
  for (int s = 0; s < 2; ++s)
    for (int m = 0; m < 7; ++m) {
      EXPECT_EQ(ac.txCharDBp[s][m], nullptr);
      EXPECT_FALSE(ac.txCharDB_f[s][m]);
    }
  // Out-of-range places change nothing.
  ac.LoadDBBMP(2, 0, 0, 3, 0, Looks(1, 5, 9));
  ac.LoadDBBMP(0, 7, 0, 3, 0, Looks(1, 5, 9));
  ac.LoadDBBMP(0, 0, 0, 24, 0, Looks(1, 5, 9));
  ac.LoadDBBMP(0, 0, 0, 3, -1, Looks(1, 5, 9));
  for (int m = 0; m < 7; ++m) EXPECT_EQ(ac.txCharDBp[0][m], nullptr);
}

}  // namespace

namespace {

// The character pictures the game's own loaders ask the renderer for: the
// all-face sheet's 16 x 16 cell and the face strip file and its ten rows.
class FaceLoadTest : public DisplayTest {
 protected:
  static std::vector<uint8_t> Sheet(uint32_t w, uint32_t h) {
    std::vector<uint8_t> rows;
    for (uint32_t y = 0; y < h; ++y) {
      rows.push_back(0);
      rows.insert(rows.end(), w, 4);
    }
    return picbuild::MakePng(w, h, 8, 3, rows, std::vector<uint32_t>(16, 0x808080));
  }
};

TEST_F(FaceLoadTest, FacesComeFromTheirSheetCellAndStripRows) {
  const std::vector<uint8_t> sheet = Sheet(256, 256), strips = Sheet(160, 120);
  auto arc =
      BuildQDAArchive("CHAR", 0, 0, 1, {sheet, strips}, {"dballface.png", "dbface02.png"}, true);
  ASSERT_TRUE(arc);
  fs::create_directories(logDir / "data");
  std::ofstream(logDir / "data" / "char.qx2", std::ios::binary)
      .write(reinterpret_cast<const char*>(arc->data()), std::streamsize(arc->size()));
  plat::SetProgramFolder(logDir.string() + "/");
  auto disp = MakeDisplay();
  TAlpha32SAI al(disp.get(), nullptr, true, false, nullptr, 1, 64);
  {
    TALLtxChar ac(&al, nullptr, nullptr);
    ac.LoadAllFace(4, 6, 0x23, 0, 0, 0, 0, 4, 0);
    const TALTexture& cell = ac.txAllFaceDB[4][6];
    EXPECT_EQ(cell.LoadSt.ID, "dballface.png");
    EXPECT_EQ(std::vector<int>({cell.LoadSt.SrcR.left, cell.LoadSt.SrcR.top, cell.BmpWidth,
                                cell.BmpHeight}),
              std::vector<int>({32, 48, 16, 16}));
    // Face numbers outside the sheet take its first or last cell.
    for (auto [m, face, x, y] : {std::tuple(0, -5, 0, 0), std::tuple(1, 300, 240, 240)}) {
      ac.LoadAllFace(4, m, face, 0, 0, 0, 0, 4, 0);
      const ALRect& r = ac.txAllFaceDB[4][m].LoadSt.SrcR;
      EXPECT_EQ(std::pair(r.left, r.top), std::pair(x, y)) << face;
    }
    ac.LoadDBBMP(0, 2, 25, 4, 6, DCDLooks{});
    const TALTexture& strip = ac.txFaceDB[0][2];
    EXPECT_EQ(strip.LoadSt.ID, "dbface02.png");
    EXPECT_EQ(std::vector<int>({strip.LoadSt.SrcR.left, strip.LoadSt.SrcR.top, strip.BmpWidth,
                                strip.BmpHeight}),
              std::vector<int>({0, 10, 160, 10}));
  }
  plat::SetProgramFolder("");
}

// With a renderer every member's palette is registered and its number kept:
// a lost number would draw every player in the first palette's colours.
TEST_F(FaceLoadTest, WithARendererEachMemberDrawsInItsOwnRegisteredPalette) {
  const std::vector<uint8_t> sheet = Sheet(256, 256);  // every pixel is colour 4: skin tone 1
  fs::create_directories(logDir / "data");
  for (auto [name, arc] : {std::pair("char.qx2", BuildQDAArchive("CHAR", 0, 0, 1, {sheet},
                                                                {"dballface.png"}, true)),
                           std::pair("pal.qx2", std::optional(PalArchive(PalFile(0), PalFile(1))))})
    std::ofstream(logDir / "data" / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(arc->data()), std::streamsize(arc->size()));
  plat::SetProgramFolder(logDir.string() + "/");
  auto disp = MakeDisplay();
  TAlpha32SAI al(disp.get(), nullptr, true, false, nullptr, 1, 64);
  {
    TGlobalSAI g{nullptr};
    TALLtxChar ac(&al, &g, nullptr);
    ASSERT_FALSE(g.Halt_f) << g.ErrMsg;
    const TPaletteData* small = al.PalAt(ac.PalIndex[3][10]);
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(small->RGBQUAD256[4], (TQxRGBQuad{95, 63, 27, 0}));  // team colour 10
    std::set<int> numbers;
    for (int m = 0; m < 7; ++m) {
      SCOPED_TRACE(m);
      ac.LoadAllFace(5, m, m, 0, m, 16 + m, 8 + m, m, 20 + m);
      const int no = ac.AllCharPalNo[5][m];
      numbers.insert(no);
      CharPalette want;
      ac.MakePalDB(want, 0, m, 16 + m, 8 + m, m, 20 + m);
      const TPaletteData* pal = al.PalAt(no);
      ASSERT_NE(pal, nullptr);
      for (int i = 0; i < 256; ++i)
        ASSERT_EQ(pal->RGBQUAD256[i], (TQxRGBQuad{uint8_t(want[i]), uint8_t(want[i] >> 8),
                                                  uint8_t(want[i] >> 16), 0}))
            << i;
      const TALTexture& face = ac.txAllFaceDB[5][m];
      EXPECT_EQ(face.LoadSt.Pal, no);
      ASSERT_TRUE(face.HasTiles());
      EXPECT_EQ(Texel(face.Tile(0, 0), 3, 3) & 0xF0F0F0, Col(16 * m + 4, 1) & 0xF0F0F0);
    }
    EXPECT_EQ(numbers.size(), 7u);
  }
  plat::SetProgramFolder("");
}

}  // namespace

namespace {

// The built menu and court pictures load into the set and are all freed with
// it; the court step clears the screen before its picture, so a court that is
// not there leaves no stale frame behind.
TEST_F(FaceLoadTest, TheSetFreesEveryPictureItLoadedAndCourtsClearFirst) {
  const fs::path game = fs::path(QORV_BINARY_DIR) / "game";
  if (!fs::exists(game / "data" / "bmp" / "dbcourt2.png")) GTEST_SKIP() << "no built pictures";
  auto disp = MakeDisplay();
  TAlpha32SAI al(disp.get(), nullptr, true, false, nullptr, 1, 64);
  const fs::path cwd = fs::current_path();
  fs::current_path(game);  // the game runs in its own folder
  {
    TAllTx at(&al, nullptr);
    for (const TALTexture* tx : {&at.DBLoadtx, &at.DBPSLtx, &at.DBTSLtx, &at.DBVStx, &at.DBMSLtx,
                                 &at.DBOPtx, &at.DBItemtx, &at.DBCourttx[0], &at.DBCourttx[1],
                                 &at.DBCourttx[2]})
      EXPECT_EQ(tx->ALSt, alsOK);
  }
  for (const TALTexture* tx : al.TextureList()) EXPECT_EQ(tx, nullptr);
  fs::current_path(logDir);  // nothing to load here: the renderer's error halts the game
  TGlobalSAI g{nullptr};
  TAllTx bare(&al, &g);
  EXPECT_EQ(g.ErrMsg, "ALib Err");
  // The court and the menu pictures start from a cleared screen.
  TBGCtrlSAI bgc(&al, &bare, nullptr);
  TSceneData sd;
  TAllObTx aot;
  aot.SDt = &sd;
  aot.AT = &bare;
  TDBOPScene title(&al, &aot, &g, stDBOP);
  for (int draw = 0; draw < 2; ++draw) {
    FillRectRaw(*disp->BackBuffer(), 0xFFFFFFFF);
    if (draw == 0) bgc.OnDrawDB(1);
    else title.OnDraw();
    al.Rendering();
    EXPECT_EQ(Texel(disp->BackBuffer(), 100, 100) & 0xFFFFFF, 0u) << draw;
  }
  fs::current_path(cwd);
}

}  // namespace
