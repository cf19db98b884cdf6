// The game's pictures as the data build writes them: sizes, formats, the key
// colour, and that every cell the game reads lies inside its picture and
// holds a drawing. Also the text sources' loaders and the drawing surface.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "files/QDArc.h"
#include "graphics/AlphaLib32Pictures.h"
#include "platform/Pictures.h"
#include "platform/PngWriter.h"
#include "tools/art/ArtLayout.h"
#include "tools/art/Characters.h"
#include "tools/art/Contact.h"
#include "tools/art/Glyphs.h"

namespace {

using art::Cell;

const std::string kBmpDir = std::string(QORV_BINARY_DIR) + "/game/data/bmp/";
const std::string kCharDir = std::string(QORV_BINARY_DIR) + "/artout/char/";

// A built picture as the game's decoder reads it, with its file header.
struct Loaded {
  plat::PngHeader header;
  std::unique_ptr<plat::Bitmap> bitmap;
  bool indexed = false;
  int At(int x, int y) const {  // an index, or the colour as 0xRRGGBB
    return indexed ? bitmap->Index(x, y) : static_cast<int>(bitmap->ColourAt(x, y) & 0xFFFFFF);
  }
};

std::vector<uint8_t> Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Loaded Load(const std::string& path) {
  const std::vector<uint8_t> bytes = Bytes(path);
  Loaded l;
  EXPECT_TRUE(plat::ReadPngHeader(bytes, l.header)) << path << " (is the data built?)";
  plat::DecodedPicture d = plat::DecodePng(bytes, true);
  EXPECT_TRUE(d) << path << ": " << d.error;
  l.bitmap = d ? std::move(d.bitmap) : std::make_unique<plat::Bitmap>();
  l.indexed = plat::IsIndexed(l.bitmap->GetPixelFormat());
  return l;
}

bool Inside(const Cell& c, int w, int h) { return c.x >= 0 && c.y >= 0 && c.x + c.w <= w && c.y + c.h <= h; }

// Pixels of a cell that differ from the background value.
int Ink(const Loaded& l, const Cell& c, int background) {
  int n = 0;
  for (int y = c.y; y < c.y + c.h; ++y)
    for (int x = c.x; x < c.x + c.w; ++x) n += l.At(x, y) != background;
  return n;
}

bool Overlap(const Cell& a, const Cell& b) {
  return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}

TEST(ArtPictures, ScenePicturesAre24BitAtScreenSize) {
  for (const char* name : {"dbcourt0.png", "dbcourt1.png", "dbcourt2.png", "dbop.png", "dbmsl.png", "dbtsl.png",
                           "dbvs.png", "dbpsl.png", "dbload.png"}) {
    const Loaded l = Load(kBmpDir + name);
    EXPECT_EQ(l.header.width, art::kScreenW) << name;
    EXPECT_EQ(l.header.height, art::kScreenH) << name;
    EXPECT_EQ(l.header.colourType, 2) << name;
    EXPECT_EQ(l.header.bitDepth, 8) << name;
  }
}

TEST(ArtPictures, CourtsAreDifferentLooksWithLinesAcrossTheFloor) {
  const Loaded a = Load(kBmpDir + "dbcourt0.png"), b = Load(kBmpDir + "dbcourt1.png"), c = Load(kBmpDir + "dbcourt2.png");
  auto differ = [](const Loaded& x, const Loaded& y) {
    int n = 0;
    for (int j = 0; j < 240; j += 4)
      for (int i = 0; i < 512; i += 4) n += x.At(i, j) != y.At(i, j);
    return n;
  };
  EXPECT_GT(differ(a, b), 1000);
  EXPECT_GT(differ(b, c), 1000);
  for (const Loaded* court : {&a, &b, &c}) {
    // The centre line runs down the middle of the floor in one colour.
    const int line = court->At(256, 200);
    for (int y = 130; y < 240; y += 10) EXPECT_EQ(court->At(256, y), line) << "row " << y;
    // The front line crosses the whole court.
    for (int x = 0; x < 512; x += 32) EXPECT_EQ(court->At(x, 218), line) << "column " << x;
  }
}

TEST(ArtPictures, FontSheetKeysOnItsFirstPixelAndHoldsEveryGlyph) {
  const Loaded f = Load(kBmpDir + "font.png");
  ASSERT_EQ(f.header.width, art::kFontW);
  ASSERT_EQ(f.header.height, art::kFontH);
  const int key = f.At(0, 0);
  EXPECT_EQ(key, 0xFF00FF);
  EXPECT_EQ(Ink(f, art::GlyphCell(0, 0), key), 0) << "glyph 0 is the blank cell";
  std::vector<int> glyphs;
  for (int g = 1; g <= 35; ++g) glyphs.push_back(g);
  for (int g = 42; g <= 67; ++g) glyphs.push_back(g);
  for (int g = 84; g <= 166; ++g) glyphs.push_back(g);
  for (int g = 180; g <= 252; ++g) glyphs.push_back(g);  // katakana after the framed digits
  glyphs.push_back(273);
  for (int g : glyphs) {
    if (g == 231) continue;  // the unused code between the two katakana runs
    const Cell c = art::GlyphCell(0, g);
    ASSERT_TRUE(Inside(c, art::kFontW, art::kFontH)) << "glyph " << g;
    EXPECT_GT(Ink(f, c, key), 1) << "glyph " << g << " is empty";
  }
  // The damage numbers' framed digits and minus of both framed sets.
  for (int set : {1, 2, 3})
    for (int g = art::kGlyphDigit0; g <= art::kGlyphMinus; ++g) {
      const Cell c = art::GlyphCell(set, g);
      ASSERT_TRUE(Inside(c, art::kFontW, art::kFontH)) << "set " << set << " glyph " << g;
      if (set != 3) {
        EXPECT_GT(Ink(f, c, key), 4) << "set " << set << " glyph " << g;
      }
    }
}

TEST(ArtPictures, FramedDigitsWinOverTheKatakanaTheyCover) {
  const Loaded f = Load(kBmpDir + "font.png");
  // The framed "0" is filled yellow; the katakana drawn there would be white.
  const Cell zero = art::GlyphCell(2, art::kGlyphDigit0);
  EXPECT_EQ(zero.x, 8);
  EXPECT_EQ(zero.y, 128);
  int yellow = 0;
  for (int y = zero.y; y < zero.y + zero.h; ++y)
    for (int x = zero.x; x < zero.x + zero.w; ++x) yellow += f.At(x, y) == 0xFCD858;
  EXPECT_GT(yellow, 8);
}

TEST(ArtPictures, FixedTextsOfTheScenesHaveGlyphs) {
  const Loaded f = Load(kBmpDir + "font.png");
  const int key = f.At(0, 0);
  for (const char* text : {"かちぬきじあい（１ＰＶＳＣＯＭ）", "たいせんじあい（２Ｐ）", "かんせんじあい", "なし"}) {
    for (char32_t ch : art::DecodeUtf8(text)) {
      const int g = art::GlyphNumber(ch);
      ASSERT_GT(g, 0) << "no glyph number for a character of " << text;
      EXPECT_GT(Ink(f, art::GlyphCell(0, g), key), 4) << "empty glyph " << g << " in " << text;
    }
  }
}

// Every default team member's names must be drawable: each character has a
// glyph with ink (or is the blank), and none falls on a cell the framed
// damage digits took. No two members share a given name.
TEST(ArtPictures, DefaultTeamNamesHaveGlyphsInTheFont) {
  std::ifstream csv(std::string(QORV_SOURCE_DIR) + "/assets/DBCharData.csv", std::ios::binary);
  if (!csv) GTEST_SKIP() << "no team source";
  const Loaded f = Load(kBmpDir + "font.png");
  const int key = f.At(0, 0);
  int names = 0;
  std::set<std::string> given;
  for (std::string line; std::getline(csv, line);) {
    if (line.rfind("//", 0) == 0 || line.find(',') == std::string::npos) continue;
    std::vector<std::string> fields;
    std::stringstream ss(line);
    for (std::string cell; std::getline(ss, cell, ',');) fields.push_back(cell);
    for (size_t k : {size_t{0}, size_t{19}, size_t{20}}) {
      if (k >= fields.size()) continue;
      std::string name = fields[k];
      if (!name.empty() && name.back() == '\r') name.pop_back();
      ++names;
      if (k == 20) {
        EXPECT_TRUE(given.insert(name).second) << "given name " << names / 3 << " twice";
      }
      ASSERT_EQ(name.size() % 2, 0u) << "name " << names << " is not two-byte text";
      for (size_t i = 0; i + 1 < name.size(); i += 2) {
        const int g = art::SjisGlyphNumber(static_cast<uint8_t>(name[i]), static_cast<uint8_t>(name[i + 1]));
        ASSERT_GE(g, 0) << "name " << names << " character " << i / 2 << " has no glyph";
        EXPECT_FALSE(g >= 169 && g <= 179) << "name " << names << " uses a katakana the damage digits cover";
        if (g != 0) {
          EXPECT_GT(Ink(f, art::GlyphCell(0, g), key), 1) << "glyph " << g;
        }
      }
    }
  }
  EXPECT_GE(names, 168);
}

TEST(ArtPictures, ItemSheetCellsAreInsideDrawnAndApart) {
  const Loaded it = Load(kBmpDir + "dbitem.png");
  ASSERT_EQ(it.header.width, art::kItemW);
  ASSERT_EQ(it.header.height, art::kItemH);
  EXPECT_EQ(it.header.colourType, 2);
  const int key = it.At(0, 0);
  EXPECT_EQ(key, 0xFF00FF) << "the first ball frame's corner must be background";
  std::vector<std::pair<std::string, Cell>> cells;
  for (bool flash : {false, true}) {
    for (int k = 0; k < 8; ++k) {
      cells.push_back({"spin " + std::to_string(k), art::BallSpinCell(k, flash)});
      cells.push_back({"big ball " + std::to_string(k), art::BigBallCell(k, flash)});
    }
    for (int n = 1; n <= art::kBallAnimCount; ++n) cells.push_back({"animation " + std::to_string(n), art::BallAnimCell(n, flash)});
  }
  cells.push_back({"hp bar", art::kHpBar});
  for (int i = 0; i < 3; ++i) {
    cells.push_back({"menu cursor " + std::to_string(i), art::kMenuCursor[i]});
    cells.push_back({"match cursor " + std::to_string(i), art::kMatchCursor[i]});
  }
  for (int d = 0; d < 10; ++d) cells.push_back({"digit " + std::to_string(d), art::DigitCell(d)});
  cells.push_back({"player shadow", art::kPlayerShadow});
  cells.push_back({"ball shadow", art::kBallShadow});
  for (int p = 0; p < 7; ++p) cells.push_back({"position " + std::to_string(p), art::PositionLabelCell(p)});
  for (size_t i = 0; i < cells.size(); ++i) {
    ASSERT_TRUE(Inside(cells[i].second, art::kItemW, art::kItemH)) << cells[i].first;
    EXPECT_GT(Ink(it, cells[i].second, key), 3) << cells[i].first << " is empty";
    for (size_t j = i + 1; j < cells.size(); ++j)
      EXPECT_FALSE(Overlap(cells[i].second, cells[j].second)) << cells[i].first << " overlaps " << cells[j].first;
  }
  // The bar is read as wide as the hit points: a full bar must not reach the cursors.
  EXPECT_LE(art::kHpBar.x + art::kHpBar.w, art::kMenuCursor[0].x);
  const Cell quarter{0, 96, 4, 8};
  EXPECT_GT(Ink(it, quarter, key), 8) << "a 1 HP bar is 4 pixels wide and must show";
}

// The position labels stand on both sides' panels and court halves, so none
// of them may wear a side's colour (the fill of the side's menu cursor).
TEST(ArtPictures, PositionLabelsWearNoSideColour) {
  const Loaded it = Load(kBmpDir + "dbitem.png");
  const int key = it.At(0, 0);
  for (int side = 0; side < 2; ++side) {
    const Cell cur = art::kMenuCursor[side];
    const int sideColour = it.At(cur.x + 3, cur.y + 4);
    ASSERT_NE(sideColour, key) << "side " << side << " cursor has no fill";
    for (int p = 0; p < 7; ++p) {
      const Cell c = art::PositionLabelCell(p);
      int n = 0;
      for (int y = c.y; y < c.y + c.h; ++y)
        for (int x = c.x; x < c.x + c.w; ++x) n += it.At(x, y) == sideColour;
      EXPECT_EQ(n, 0) << "label " << p + 1 << " wears side " << side << "'s colour";
    }
  }
}

// A ball that reaches its cell's edge would be cut off on screen.
TEST(ArtPictures, BallFramesKeepAClearBorder) {
  const Loaded it = Load(kBmpDir + "dbitem.png");
  const int key = it.At(0, 0);
  std::vector<Cell> cells;
  for (bool flash : {false, true}) {
    for (int k = 0; k < 8; ++k) {
      cells.push_back(art::BallSpinCell(k, flash));
      cells.push_back(art::BigBallCell(k, flash));
    }
    for (int n = 1; n <= art::kBallAnimCount; ++n) cells.push_back(art::BallAnimCell(n, flash));
  }
  for (const Cell& c : cells) {
    int edge = 0;
    for (int i = 0; i < c.w; ++i) edge += (it.At(c.x + i, c.y) != key) + (it.At(c.x + i, c.y + c.h - 1) != key);
    for (int j = 0; j < c.h; ++j) edge += (it.At(c.x, c.y + j) != key) + (it.At(c.x + c.w - 1, c.y + j) != key);
    EXPECT_EQ(edge, 0) << "ball cell at " << c.x << "," << c.y;
  }
}

// Where the menus draw digits and cursors the pictures are one flat colour,
// so the small sprites read.
TEST(ArtPictures, MenusLeaveFlatRoomForDigitsAndCursors) {
  auto flat = [](const Loaded& l, Cell c) {
    for (int y = c.y; y < c.y + c.h; ++y)
      for (int x = c.x; x < c.x + c.w; ++x)
        if (l.At(x, y) != l.At(c.x, c.y)) return false;
    return true;
  };
  const Loaded msl = Load(kBmpDir + "dbmsl.png");
  for (int m = 0; m < 3; ++m) EXPECT_TRUE(flat(msl, {art::kModeCursorX, art::kModeCursorY + 16 * m, 8, 8})) << "mode " << m;
  for (int d = 0; d < 3; ++d) EXPECT_TRUE(flat(msl, {art::kDifficultyCursorX[d], 208, 8, 8})) << "level " << d;
  for (const char* name : {"dbtsl.png", "dbvs.png", "dbpsl.png"}) {
    const Loaded l = Load(kBmpDir + name);
    for (int side = 0; side < 2; ++side) {
      const int o = art::kPanelOffset * side;
      for (int r = 0; r < 8; ++r) EXPECT_TRUE(flat(l, {232 + o, 96 + 16 * r, 16, 8})) << name << " rating " << r << " side " << side;
      if (std::string(name) != "dbpsl.png") {
        EXPECT_TRUE(flat(l, {168 + o, 56, 16, 8})) << name << " team number";
      }
    }
  }
  const Loaded vs = Load(kBmpDir + "dbvs.png");
  EXPECT_TRUE(flat(vs, {176, 8, 160, 16})) << "the versus caption's line";
}

// Contrast ratio of two 0xRRGGBB colours by their relative luminance (1 to 21).
double Contrast(int a, int b) {
  auto lum = [](int c) {
    double l = 0;
    const double w[3] = {0.2126, 0.7152, 0.0722};
    for (int k = 0; k < 3; ++k) {
      const double v = ((c >> (16 - 8 * k)) & 0xFF) / 255.0;
      l += w[k] * (v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4));
    }
    return l;
  };
  const double x = lum(a), y = lum(b);
  return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

// The mode select's blinking cursors must stand out from the boxes they blink
// in: every pixel of the cursor's outline is in strong contrast to the box.
TEST(ArtPictures, ModeSelectCursorsStandOutFromTheirBoxes) {
  const Loaded it = Load(kBmpDir + "dbitem.png");
  const Loaded msl = Load(kBmpDir + "dbmsl.png");
  const int key = it.At(0, 0);
  const Cell cur = art::kMenuCursor[0];
  auto outline = [&](int x, int y) {
    if (it.At(x, y) == key) return false;
    for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
      const int nx = x + dx, ny = y + dy;
      if (nx < cur.x || ny < cur.y || nx >= cur.x + cur.w || ny >= cur.y + cur.h || it.At(nx, ny) == key) return true;
    }
    return false;
  };
  std::vector<std::pair<int, int>> spots;
  for (int m = 0; m < 3; ++m) spots.push_back({art::kModeCursorX, art::kModeCursorY + 16 * m});
  for (int d = 0; d < 3; ++d) spots.push_back({art::kDifficultyCursorX[d], 208});
  for (auto [sx, sy] : spots) {
    const int box = msl.At(sx, sy);
    int edge = 0;
    for (int y = cur.y; y < cur.y + cur.h; ++y)
      for (int x = cur.x; x < cur.x + cur.w; ++x)
        if (outline(x, y)) {
          ++edge;
          EXPECT_GE(Contrast(it.At(x, y), box), 7.0) << "cursor pixel " << x - cur.x << "," << y - cur.y << " at " << sx << "," << sy;
        }
    EXPECT_GT(edge, 8);
  }
}

TEST(ArtPictures, CharacterPicturesAreIndexedInTheSixteenRecolouredSlots) {
  struct Expect {
    std::string name;
    int w, h;
  };
  std::vector<Expect> all = {{"dbbody.png", art::kBodySheetW, art::kBodySheetH},
                             {"dballface.png", art::kAllFaceW, art::kAllFaceH},
                             {"dballbody.png", art::kTeamPictureW, art::kTeamPictureH}};
  for (int file = 0; file * art::kFacesPerFile < art::kFaceCount; ++file) {
    char name[32];
    std::snprintf(name, sizeof name, "dbface%02d.png", file);
    all.push_back({name, art::kFaceStripW, art::kFaceStripH});
  }
  for (const Expect& e : all) {
    const Loaded l = Load(kCharDir + e.name);
    EXPECT_EQ(l.header.width, e.w) << e.name;
    EXPECT_EQ(l.header.height, e.h) << e.name;
    EXPECT_EQ(l.header.bitDepth, 8) << e.name << " must be a true 8-bit picture";
    EXPECT_EQ(l.header.colourType, 3) << e.name;
    ASSERT_TRUE(l.indexed);
    int highest = 0;
    for (int y = 0; y < l.bitmap->GetHeight(); ++y)
      for (int x = 0; x < l.bitmap->GetWidth(); ++x) highest = std::max<int>(highest, l.At(x, y));
    EXPECT_LT(highest, 16) << e.name << " uses a slot the game paints black";
    EXPECT_EQ(l.At(0, 0), 0) << e.name << ": the corner must be transparent";
  }
}

TEST(ArtPictures, EveryPoseHasABodyStandingInItsCell) {
  std::ifstream in(std::string(QORV_SOURCE_DIR) + "/assets/art/poses.txt");
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<art::Pose> poses;
  std::string error;
  ASSERT_TRUE(art::LoadPoses(text, poses, error)) << error;
  ASSERT_GE(poses.size(), 44u);
  const Loaded body = Load(kCharDir + "dbbody.png");
  for (const art::Pose& p : poses) {
    const Cell c = art::BodyCell(p.cell);
    ASSERT_TRUE(Inside(c, art::kBodySheetW, art::kBodySheetH)) << p.name;
    EXPECT_GT(Ink(body, c, 0), 60) << p.name;
    // Poses on the ground put the shoes on the cell's bottom rows, where the
    // game sets the shadow.
    if (p.joints.at("f1").y >= 29 && p.turn == 0) {
      const Cell feet{c.x, c.y + 29, 32, 3};
      EXPECT_GT(Ink(body, feet, 0), 2) << p.name << " floats above the ground";
    }
    // The face cell must land inside the body's reach (the frame table stores
    // its offset in a signed byte).
    const art::PosePlacement at = art::PlacementOf(p);
    EXPECT_GE(at.faceX, -16) << p.name;
    EXPECT_LE(at.faceX, 32) << p.name;
    EXPECT_GE(at.faceY, -16) << p.name;
    EXPECT_LE(at.faceY, 32) << p.name;
  }
}

// The frame table places faces and held balls on the body cells; its rows
// must name cells that hold the pose and agree with where the art put them.
TEST(ArtPictures, BodyCellsAgreeWithTheFrameTable) {
  std::ifstream table(std::string(QORV_SOURCE_DIR) + "/assets/DBBMPData.csv");
  if (!table) GTEST_SKIP() << "no frame table source";
  std::ifstream in(std::string(QORV_SOURCE_DIR) + "/assets/art/poses.txt");
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<art::Pose> poses;
  std::string error;
  ASSERT_TRUE(art::LoadPoses(text, poses, error)) << error;
  std::string line;
  int rows = 0;
  while (std::getline(table, line)) {
    if (line.empty() || line.rfind("//", 0) == 0 || line.find(',') == std::string::npos) continue;
    std::vector<std::string> f;
    std::stringstream ss(line);
    for (std::string cell; std::getline(ss, cell, ',');) f.push_back(cell);
    ASSERT_GE(f.size(), 12u) << line;
    const int bmpNo = std::stoi(f[0]);
    const art::Pose* pose = nullptr;
    for (const art::Pose& p : poses)
      if (p.cell == bmpNo) pose = &p;
    ASSERT_NE(pose, nullptr) << "frame row " << bmpNo << " (" << f[1] << ") has no body cell";
    ++rows;
    const art::PosePlacement at = art::PlacementOf(*pose);
    EXPECT_EQ(pose->name, f[1]) << "row " << bmpNo;
    EXPECT_EQ(pose->expression, std::stoi(f[2])) << f[1] << " face";
    EXPECT_EQ(at.faceX, std::stoi(f[3])) << f[1] << " FX";
    EXPECT_EQ(at.faceY, std::stoi(f[4])) << f[1] << " FY";
    EXPECT_EQ(pose->faceOrder, std::stoi(f[5])) << f[1] << " FZ";
    EXPECT_EQ(std::stoi(f[6]), 0) << f[1] << " BX: the cells are drawn in place";
    EXPECT_EQ(std::stoi(f[7]), 0) << f[1] << " BY";
    EXPECT_EQ(at.handX, std::stoi(f[8])) << f[1] << " IX";
    EXPECT_EQ(at.handY, std::stoi(f[9])) << f[1] << " IY";
    EXPECT_EQ(std::stoi(f[11]), 0) << f[1] << " SrcSize: every cell is 32 x 32";
  }
  EXPECT_GT(rows, 0);
}

TEST(ArtPictures, EveryFaceHasAllTenExpressionsAndAPortrait) {
  const Loaded all = Load(kCharDir + "dballface.png");
  for (int f = 0; f < art::kFaceCount; ++f) {
    const Cell c = art::AllFaceCell(f);
    ASSERT_TRUE(Inside(c, art::kAllFaceW, art::kAllFaceH));
    EXPECT_GT(Ink(all, c, 0), 80) << "portrait " << f;
  }
  // Face 0x23 of the all-face sheet is the cell at x 32, y 48.
  EXPECT_EQ(art::AllFaceCell(0x23).x, 32);
  EXPECT_EQ(art::AllFaceCell(0x23).y, 48);
  for (int file = 0; file * art::kFacesPerFile < art::kFaceCount; ++file) {
    char name[32];
    std::snprintf(name, sizeof name, "dbface%02d.png", file);
    const Loaded strip = Load(kCharDir + name);
    for (int k = 0; k < art::kFacesPerFile && file * 12 + k < art::kFaceCount; ++k)
      for (int e = 1; e <= art::kExpressions; ++e) {
        const Cell c = art::ExpressionCell(file * 12 + k, e);
        ASSERT_TRUE(Inside(c, art::kFaceStripW, art::kFaceStripH));
        EXPECT_GT(Ink(strip, c, 0), e == 8 ? 15 : 40) << name << " face " << k << " expression " << e;
      }
    // Between the small cell and expression 9 nothing is drawn.
    EXPECT_EQ(Ink(strip, Cell{120, 0, 8, art::kFaceStripH}, 0), 0) << name;
  }
}

// The game's own picture decoder takes every picture as the texture loader
// needs it: scenery in colour with the key colour at the first pixel,
// character pictures as 8-bit indices that a member's palette can recolour.
TEST(ArtPictures, TheGamesDecoderReadsEveryPicture) {
  for (const char* name : {"font.png", "dbitem.png", "dbcourt0.png", "dbcourt1.png", "dbcourt2.png", "dbop.png",
                           "dbmsl.png", "dbtsl.png", "dbvs.png", "dbpsl.png", "dbload.png"}) {
    const plat::DecodedPicture d = plat::DecodePng(Bytes(kBmpDir + name));
    ASSERT_TRUE(d) << name << ": " << d.error;
    EXPECT_FALSE(plat::IsIndexed(d.bitmap->GetPixelFormat())) << name;
    // Courts and menus are drawn unkeyed, but the colour-keyed display path
    // treats pure black as see-through, so they use none.
    const bool unkeyed = std::string(name).rfind("db", 0) == 0 && std::string(name) != "dbitem.png";
    int black = 0;
    for (int y = 0; unkeyed && y < d.bitmap->GetHeight(); ++y)
      for (int x = 0; x < d.bitmap->GetWidth(); ++x) black += (d.bitmap->ColourAt(x, y) & 0xFFFFFF) == 0;
    EXPECT_EQ(black, 0) << name;
  }
  for (const char* name : {"font.png", "dbitem.png"}) {
    const plat::DecodedPicture d = plat::DecodePng(Bytes(kBmpDir + name));
    ASSERT_TRUE(d);
    EXPECT_EQ(d.bitmap->ColourAt(0, 0) & 0xFFFFFF, 0xFF00FFu) << name;
  }
  for (const char* name : {"dbbody.png", "dballface.png", "dballbody.png", "dbface00.png"}) {
    const plat::DecodedPicture d = plat::DecodePng(Bytes(kCharDir + name), true);
    ASSERT_TRUE(d) << name << ": " << d.error;
    EXPECT_EQ(d.bitmap->GetPixelFormat(), plat::PixelFormat::pf8bit) << name;
    ASSERT_NE(d.bitmap->GetPalette(), nullptr);
    EXPECT_EQ(d.bitmap->GetPalette()->entries.size(), 256u) << name;
    EXPECT_EQ(d.bitmap->Index(0, 0), 0) << name;
  }
}

TEST(ArtPictures, CharacterArchiveHoldsEveryCharacterPicture) {
  const std::vector<uint8_t> archive = Bytes(std::string(QORV_BINARY_DIR) + "/game/data/char.qx2");
  ASSERT_FALSE(archive.empty()) << "data/char.qx2 is not built";
  std::vector<std::string> names = {"dbbody.png", "dballface.png", "dballbody.png"};
  for (int file = 0; file * art::kFacesPerFile < art::kFaceCount; ++file) {
    char name[32];
    std::snprintf(name, sizeof name, "dbface%02d.png", file);
    names.push_back(name);
  }
  for (const std::string& name : names) {
    const auto entry = ExtractFromQDABytes(archive, name);
    ASSERT_TRUE(entry.has_value()) << name;
    EXPECT_EQ(*entry, Bytes(kCharDir + name)) << name;
  }
  // Lookups ignore case, as the game's loaders do.
  EXPECT_TRUE(ExtractFromQDABytes(archive, "DBBODY.PNG").has_value());
  EXPECT_FALSE(ExtractFromQDABytes(archive, "dbface99.png").has_value());
}

// The character loader takes a body sheet out of the archive and recolours
// it with a member's palette: the pixels keep their slots, take that
// palette's colours, and palette entry 0 becomes the transparent key.
TEST(ArtPictures, CharacterSheetsRecolourThroughTheTextureLoader) {
  const std::vector<uint8_t> archive = Bytes(std::string(QORV_BINARY_DIR) + "/game/data/char.qx2");
  const auto entry = ExtractFromQDABytes(archive, "dbbody.png");
  ASSERT_TRUE(entry.has_value());
  TPaletteData pal;
  for (int i = 0; i < 256; ++i) pal.RGBQUAD256[i] = {static_cast<uint8_t>(i), 77, static_cast<uint8_t>(255 - i), 0};
  std::vector<plat::PaletteEntry> entries;
  for (int i = 0; i < 256; ++i) entries.push_back({static_cast<uint8_t>(255 - i), 77, static_cast<uint8_t>(i), 0});
  pal.HPal = plat::CreatePalette(entries);
  const ALDecodedPicture d = ALDecodePicture(".png", *entry, &pal, true, true);
  ASSERT_NE(d.Bmp, nullptr) << d.Error;
  ASSERT_TRUE(d.PE_f) << "palette entry 0 is the key of character pictures";
  EXPECT_EQ(d.PE.r, 255);
  EXPECT_EQ(d.PE.b, 0);
  const Loaded mine = Load(kCharDir + "dbbody.png");
  const Cell stand = art::BodyCell(1);
  int checked = 0;
  for (int y = stand.y; y < stand.y + stand.h; ++y)
    for (int x = stand.x; x < stand.x + stand.w; ++x) {
      const int index = mine.At(x, y);
      const uint32_t want = (uint32_t(255 - index) << 16) | (77u << 8) | uint32_t(index);
      ASSERT_EQ(d.Bmp->ColourAt(x, y) & 0xFFFFFF, want) << "pixel " << x << "," << y;
      checked += index != 0;
    }
  EXPECT_GT(checked, 60);
}

TEST(ArtSources, GlyphSourceErrorsNameTheLine) {
  art::GlyphSet set;
  std::string error;
  EXPECT_FALSE(set.Load("= A\n#####\n", error));
  EXPECT_NE(error.find("line 2"), std::string::npos) << error;
  art::GlyphSet twice;
  EXPECT_FALSE(twice.Load("= A\n.......\n\n= A\n.......\n", error));
  EXPECT_NE(error.find("twice"), std::string::npos);
  art::GlyphSet noHeader;
  EXPECT_FALSE(noHeader.Load(".......\n", error));
  art::GlyphSet tooMany;
  EXPECT_FALSE(tooMany.Load("= A B\n....... .......\n.......\n", error));
  art::GlyphSet good;
  ASSERT_TRUE(good.Load("// a comment\n= か\n.#.....\n", error)) << error;
  good.DeriveVoicedKana();
  ASSERT_NE(good.Find(U'が'), nullptr) << "voiced kana are made from their base";
  EXPECT_EQ(good.Find(U'ぱ'), nullptr);
  EXPECT_EQ(good.Find(U'が')->rows[0].substr(4), "#.#");
}

TEST(ArtSources, ShiftJisCharactersMapLikeTheGamesTextDrawing) {
  EXPECT_EQ(art::SjisGlyphNumber(0x82, 0x50), 2);    // full-width 1
  EXPECT_EQ(art::SjisGlyphNumber(0x82, 0x60), 42);   // A
  EXPECT_EQ(art::SjisGlyphNumber(0x82, 0x9F), 84);   // small a
  EXPECT_EQ(art::SjisGlyphNumber(0x83, 0x94), 252);
  EXPECT_EQ(art::SjisGlyphNumber(0x81, 0x5B), 11);
  EXPECT_EQ(art::SjisGlyphNumber(0x81, 0xA8), 35);
  EXPECT_EQ(art::SjisGlyphNumber(0x81, 0x51), 0);    // the low line draws a blank
  EXPECT_EQ(art::SjisGlyphNumber(0x8D, 0xC4), 273);
  EXPECT_EQ(art::SjisGlyphNumber(0x82, 0xF2), -1);
  EXPECT_EQ(art::SjisGlyphNumber(0x41, 0x42), -1);   // single-byte text draws nothing
  // The UTF-8 and Shift-JIS ways agree on every kana.
  for (char32_t ch = 0x3041; ch <= 0x3093; ++ch) EXPECT_EQ(art::GlyphNumber(ch), art::SjisGlyphNumber(0x82, 0x9F + (ch - 0x3041)));
}

TEST(ArtSources, GlyphNumbersFollowTheFontSheetOrder) {
  EXPECT_EQ(art::GlyphNumber(U'0'), 1);
  EXPECT_EQ(art::GlyphNumber(U'９'), 10);
  EXPECT_EQ(art::GlyphNumber(U'ー'), 11);
  EXPECT_EQ(art::GlyphNumber(U'→'), 35);
  EXPECT_EQ(art::GlyphNumber(U'Ａ'), 42);
  EXPECT_EQ(art::GlyphNumber(U'ぁ'), 84);
  EXPECT_EQ(art::GlyphNumber(U'ん'), 166);
  EXPECT_EQ(art::GlyphNumber(U'ァ'), 168);
  EXPECT_EQ(art::GlyphNumber(U'ミ'), 230);
  EXPECT_EQ(art::GlyphNumber(U'ム'), 232);  // one code is skipped between the runs
  EXPECT_EQ(art::GlyphNumber(U'ヴ'), 252);
  EXPECT_EQ(art::GlyphNumber(U'再'), 273);
  EXPECT_EQ(art::GlyphNumber(U'a'), -1);
  EXPECT_EQ(art::GlyphCell(0, 273).x, 0);
  EXPECT_EQ(art::GlyphCell(0, 273).y, 208);
}

TEST(ArtSources, PoseListErrorsNameTheLine) {
  std::vector<art::Pose> poses;
  std::string error;
  const std::string full = "n=1,1 h=1,1 e1=1,1 w1=1,1 e2=1,1 w2=1,1 k1=1,1 f1=1,1 k2=1,1 f2=1,1";
  EXPECT_FALSE(art::LoadPoses("# c\n0 a S 2 n=1,1\n", poses, error));
  EXPECT_NE(error.find("line 2"), std::string::npos) << error;
  EXPECT_NE(error.find("missing"), std::string::npos) << error;
  poses.clear();
  EXPECT_FALSE(art::LoadPoses("0 a X 2 " + full + "\n", poses, error));
  poses.clear();
  EXPECT_FALSE(art::LoadPoses("300 a S 2 " + full + "\n", poses, error));
  poses.clear();
  EXPECT_FALSE(art::LoadPoses("0 a S 2 " + full + "\n0 b S 2 " + full + "\n", poses, error));
  EXPECT_NE(error.find("twice"), std::string::npos);
  poses.clear();
  EXPECT_FALSE(art::LoadPoses("0 a S 2 " + full + " q=1,1\n", poses, error));
  poses.clear();
  EXPECT_FALSE(art::LoadPoses("0 a S 2 " + full + " b=1x\n", poses, error));
  poses.clear();
  ASSERT_TRUE(art::LoadPoses("5 a S 2 " + full + " b=3,4\n", poses, error)) << error;
  EXPECT_TRUE(poses[0].holdsBall);
  EXPECT_EQ(art::PlacementOf(poses[0]).handX, 3);
  EXPECT_EQ(art::PlacementOf(poses[0]).faceY, 1 - 9);
}

TEST(ArtContact, MemberPalettesAreBuiltAsTheGameBuildsThem) {
  // Set n has every colour (n, k, 0) for entry k.
  std::string palettes = "// sets\n";
  for (int n = 0; n < 32; ++n) {
    palettes += std::to_string(n) + ":";
    for (int k = 0; k < 16; ++k) {
      char hex[8];
      std::snprintf(hex, sizeof hex, " %02X%02X00", n, k);
      palettes += hex;
    }
    palettes += "\n";
  }
  std::string csv = "// comment, with a comma\n";
  for (int row = 0; row < 14; ++row)  // face 40+row, skin 3, hair 4, eye 5
    csv += "name," + std::to_string(40 + row) + ",3,4,1,1,1,1,1,1,1,1,1,1,0,0,0,0,5,a,b\n";
  const auto teams = art::LoadTeamLooks(csv, palettes);
  ASSERT_EQ(teams.size(), 2u);
  const art::MemberLook& m = teams[1][2];  // team 1, member 2
  EXPECT_EQ(m.face, 49);
  ASSERT_EQ(m.palette.size(), 256u);
  EXPECT_EQ(m.palette[0], (art::Rgb{0, 0, 0})) << "the key colour comes from set 0";
  EXPECT_EQ(m.palette[1], (art::Rgb{49, 48, 66})) << "the outline is fixed";
  EXPECT_EQ(m.palette[2], (art::Rgb{5, 2, 0})) << "eye set";
  EXPECT_EQ(m.palette[6], (art::Rgb{3, 6, 0})) << "skin set";
  EXPECT_EQ(m.palette[9], (art::Rgb{4, 9, 0})) << "hair set";
  EXPECT_EQ(m.palette[11], (art::Rgb{1, 11, 0})) << "the shorts take the team's set";
  EXPECT_EQ(m.palette[14], (art::Rgb{0, 14, 0})) << "shirts come from set 0";
  EXPECT_EQ(m.palette[16], (art::Rgb{0, 0, 0}));
  // Without sources every member still gets a face and the sample palette.
  const auto fallback = art::LoadTeamLooks("", "");
  EXPECT_EQ(fallback[1][6].face, 13);
  EXPECT_EQ(fallback[1][6].palette.size(), 256u);
  // A broken row keeps that member's fallback.
  const auto broken = art::LoadTeamLooks("name,x,3,4\n", palettes);
  EXPECT_EQ(broken[0][0].face, 0);
}

TEST(ArtCanvas, DrawingPastTheEdgesIsClipped) {
  art::Canvas c(8, 4, 0);
  c.Fill(-5, -5, 100, 100, 1);
  c.ThickLine(-10, -10, 20, 20, 3, 2);
  c.Disc(7, 3, 6, 3);
  c.Polygon({-4, -4, 30, 0, 0, 30}, 4);
  art::Canvas small(3, 3, 5);
  c.Blit(small, 6, 2);
  c.Blit(small, -2, -2, -1, true);
  EXPECT_EQ(c.At(7, 3), 5);
  EXPECT_EQ(c.At(-1, 0), 0) << "reads outside give 0";
  EXPECT_EQ(c.Pixels().size(), 32u);
}

TEST(ArtCanvas, OutlineRimsOnlyTheBackgroundNextToADrawing) {
  art::Canvas c(5, 5, 0);
  c.Set(2, 2, 7);
  c.Outline(0, 0, 5, 5, 0, 1);
  EXPECT_EQ(c.At(2, 1), 1);
  EXPECT_EQ(c.At(1, 2), 1);
  EXPECT_EQ(c.At(1, 1), 0) << "diagonal neighbours stay clear";
  EXPECT_EQ(c.At(2, 2), 7);
  art::Canvas mirrored(3, 1, 0);
  art::Canvas src(3, 1, 0);
  src.Set(0, 0, 9);
  mirrored.Blit(src, 0, 0, -1, true);
  EXPECT_EQ(mirrored.At(2, 0), 9);
}

}  // namespace
