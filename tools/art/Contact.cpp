#include "tools/art/Contact.h"

#include <algorithm>
#include <sstream>

#include "tools/art/ArtLayout.h"
#include "tools/art/Glyphs.h"
#include "tools/art/Palette.h"

namespace art {
namespace {

constexpr int kScale = 2;
constexpr int kGap = 16;

class Page {
 public:
  Page(int w, int h) : w_(w), h_(h), rgb_(static_cast<size_t>(w) * h * 3, 0) {
    for (size_t i = 0; i < rgb_.size(); i += 3) {
      rgb_[i] = 56;
      rgb_[i + 1] = 60;
      rgb_[i + 2] = 64;
    }
  }
  // Pastes a picture scaled up; transparent marks the palette index drawn as
  // a checker so keyed areas show as such.
  void Paste(const Picture& p, int x, int y, int transparent = -1) {
    for (int j = 0; j < p.canvas.Height() * kScale; ++j)
      for (int i = 0; i < p.canvas.Width() * kScale; ++i) {
        const uint8_t c = p.canvas.At(i / kScale, j / kScale);
        Rgb rgb = c < p.palette.size() ? p.palette[c] : Rgb{0, 0, 0};
        if (c == transparent) rgb = ((i / 8 + j / 8) % 2) ? Rgb{96, 100, 104} : Rgb{80, 84, 88};
        Put(x + i, y + j, rgb);
      }
  }
  // Pastes one cell of a picture with its top-left at picture pixel (x, y) of
  // the area starting at (ox, oy), leaving the key out, as a scene draws it.
  void PasteCell(const Picture& p, Cell src, int ox, int oy, int x, int y, int key, bool mirror = false) {
    for (int j = 0; j < src.h; ++j)
      for (int i = 0; i < src.w; ++i) {
        const uint8_t c = p.canvas.At(src.x + (mirror ? src.w - 1 - i : i), src.y + j);
        if (c == key || c >= p.palette.size()) continue;
        for (int b = 0; b < kScale; ++b)
          for (int a = 0; a < kScale; ++a) Put(ox + (x + i) * kScale + a, oy + (y + j) * kScale + b, p.palette[c]);
      }
  }
  void Put(int x, int y, Rgb c) {
    if (x < 0 || y < 0 || x >= w_ || y >= h_) return;
    const size_t at = (static_cast<size_t>(y) * w_ + x) * 3;
    rgb_[at] = c[0];
    rgb_[at + 1] = c[1];
    rgb_[at + 2] = c[2];
  }
  plat::PngTrueColour Finish() { return {w_, h_, 3, std::move(rgb_)}; }

 private:
  int w_, h_;
  std::vector<uint8_t> rgb_;
};

const Picture* Find(const std::vector<NamedPicture>& pictures, const std::string& name) {
  for (const NamedPicture& p : pictures)
    if (p.name == name) return &p.picture;
  return nullptr;
}

// A body frame put together with a member's face, as the game draws it.
Canvas Composite(const Pose& pose, int faceNo) {
  Canvas cell(32, 32, cTrans);
  const Canvas body = DrawBody(pose);
  if (pose.expression == 0) {
    cell.Blit(body, 0, 0, cTrans);
    return cell;
  }
  const PosePlacement at = PlacementOf(pose);
  const Canvas head = DrawExpression(faceNo, pose.expression);
  if (pose.faceOrder == 1) cell.Blit(head, at.faceX, at.faceY, cTrans);
  cell.Blit(body, 0, 0, cTrans);
  if (pose.faceOrder != 1) cell.Blit(head, at.faceX, at.faceY, cTrans);
  return cell;
}

// A team: every body frame, each shown with the next member's face and palette.
void TeamFrames(Page& page, const std::vector<Pose>& poses, const TeamLooks& team, int ox, int oy) {
  const int perRow = 16;
  for (size_t k = 0; k < poses.size(); ++k) {
    const MemberLook& m = team[k % team.size()];
    const int x = static_cast<int>(k % perRow) * 34 + 1, y = static_cast<int>(k / perRow) * 34 + 1;
    page.PasteCell(Picture{Composite(poses[k], m.face), m.palette}, {0, 0, 32, 32}, ox, oy, x, y, cTrans);
  }
}

// Draws what a scene puts over its picture (cursors, digits, faces, names),
// so the contact sheet shows whether the pictures leave room for it.
class MockScene {
 public:
  MockScene(Page& page, const std::vector<NamedPicture>& pictures, int ox, int oy)
      : page_(page), font_(Find(pictures, "font.png")), item_(Find(pictures, "dbitem.png")), ox_(ox), oy_(oy) {}
  bool Ready() const { return font_ != nullptr && item_ != nullptr; }
  void Item(Cell c, int x, int y, bool mirror = false) { page_.PasteCell(*item_, c, ox_, oy_, x, y, kKey, mirror); }
  void Digit(int d, int x, int y) { Item(DigitCell(d), x, y); }
  // The game's text call: glyph i's top-left at (x + 8 i, y - 8).
  void Text(const std::string& utf8, int x, int y) {
    int pen = x;
    for (char32_t ch : DecodeUtf8(utf8)) {
      const int g = GlyphNumber(ch);
      if (g >= 0) page_.PasteCell(*font_, GlyphCell(0, g), ox_, oy_, pen, y - 8, kKey);
      pen += 8;
    }
  }
  // A member's name, or the sample name when the team source gave none.
  void Name(const MemberLook& look, const char* sample, int x, int y) {
    if (look.name.empty()) return Text(sample, x, y);
    for (size_t i = 0; i < look.name.size(); ++i)
      page_.PasteCell(*font_, GlyphCell(0, look.name[i]), ox_, oy_, x + 8 * static_cast<int>(i), y - 8, kKey);
  }
  void Framed(int n, int x, int y) {
    page_.PasteCell(*font_, GlyphCell(2, kGlyphDigit0 + n), ox_, oy_, x, y - 8, kKey);
  }
  void Face(const MemberLook& look, int x, int y, bool mirror = false) {
    page_.PasteCell(Picture{DrawPortrait(look.face), look.palette}, {0, 0, 16, 16}, ox_, oy_, x, y, cTrans, mirror);
  }
  // A player standing at x with depth z (pixels): the shadow centred on his
  // ground point, the body cell above it, mirrored when he faces left.
  void Player(const Pose& pose, const MemberLook& look, int x, int z, bool left) {
    Item(kPlayerShadow, x - 8, 240 - z - 4);
    page_.PasteCell(Picture{Composite(pose, look.face), look.palette}, {0, 0, 32, 32}, ox_, oy_, x - 16, 208 - z,
                    cTrans, left);
  }

 private:
  Page& page_;
  const Picture* font_;
  const Picture* item_;
  int ox_, oy_;
};

const char* const kMockNames[7] = {"ゆうき", "たけし", "ハルト", "ミナト", "そら", "ケン", "あおい"};

void MockTeamPanel(MockScene& m, const TeamLooks& team, int side) {
  const int o = kPanelOffset * side;
  m.Digit(1, 168 + o, 56);
  m.Digit(side == 0 ? 2 : 7, 176 + o, 56);
  for (int r = 0; r < 8; ++r) {
    if (r % 3) m.Digit(1, 232 + o, 96 + 16 * r);
    m.Digit((r * 3 + side) % 10, 240 + o, 96 + 16 * r);
  }
  for (int mem = 0; mem < 7; ++mem) {
    m.Face(team[mem], 112 + o, 92 + 16 * mem, side == 1);
    m.Name(team[mem], kMockNames[mem], 128 + o, 96 + 16 * mem);
  }
  m.Face(team[0], 192 + o, 42, side == 1);
}

void MockScenes(Page& page, const std::vector<NamedPicture>& pictures, const std::vector<Pose>& poses,
                const std::vector<TeamLooks>& teams, int top, int col, int rowH) {
  auto at = [&](int k) { return std::pair<int, int>{kGap + (k % 3) * col, top + (k / 3) * rowH}; };
  auto pose = [&](const char* name) -> const Pose* {
    for (const Pose& p : poses)
      if (p.name == name) return &p;
    return nullptr;
  };
  {  // a match moment on the first court
    auto [x, y] = at(0);
    if (const Picture* court = Find(pictures, "dbcourt0.png")) page.Paste(*court, x, y);
    MockScene m(page, pictures, x, y);
    if (!m.Ready()) return;
    for (int side = 0; side < 2; ++side)
      for (int k = 0; k < 4; ++k) {
        const int bdx = (k % 2) * 80 + 96 + side * 160, bdy = (k / 2) * 20 + 4;
        m.Face(teams[side][k], bdx, bdy, side == 1);
        m.Name(teams[side][k], kMockNames[k], bdx + 16, bdy);
        m.Item({0, 96, 4 * (4 + 3 * k), 8}, bdx + 16, bdy + 8);
      }
    const char* cast[7] = {"stand-side", "run-2", "throw-release", "catch-side", "hurt-side", "lie-up", "air-side"};
    const int px[7] = {120, 170, 210, 320, 360, 400, 450};
    const int pz[7] = {40, 70, 50, 60, 30, 75, 20};
    for (int k = 0; k < 7; ++k)
      if (const Pose* p = pose(cast[k])) m.Player(*p, teams[k >= 3 ? 1 : 0][k], px[k], pz[k], k >= 3);
    m.Item(kBallShadow, 260 - 8, 240 - 50 - 4);
    m.Item(BallSpinCell(3, false), 260 - 8, 232 - 20 - 50 - 8);
    m.Item(kMatchCursor[0], 210 - 4, 208 - 50 - 10);
    m.Framed(2, 350, 150);
    m.Framed(4, 358, 150);
  }
  {  // mode select with both cursors
    auto [x, y] = at(1);
    if (const Picture* p = Find(pictures, "dbmsl.png")) page.Paste(*p, x, y);
    MockScene m(page, pictures, x, y);
    m.Item(kMenuCursor[0], kModeCursorX, kModeCursorY + 16);
    m.Item(kMenuCursor[0], kDifficultyCursorX[1], 208);
  }
  {  // team select
    auto [x, y] = at(2);
    if (const Picture* p = Find(pictures, "dbtsl.png")) page.Paste(*p, x, y);
    MockScene m(page, pictures, x, y);
    for (int side = 0; side < 2; ++side) MockTeamPanel(m, teams[side], side);
  }
  {  // versus with its caption
    auto [x, y] = at(3);
    if (const Picture* p = Find(pictures, "dbvs.png")) page.Paste(*p, x, y);
    MockScene m(page, pictures, x, y);
    for (int side = 0; side < 2; ++side) MockTeamPanel(m, teams[side], side);
    m.Text("かちぬきじあい＿（＿１Ｐ＿ＶＳ＿ＣＯＭ）", 176, 16);
  }
  {  // player select half way through side 0
    auto [x, y] = at(4);
    if (const Picture* p = Find(pictures, "dbpsl.png")) page.Paste(*p, x, y);
    MockScene m(page, pictures, x, y);
    for (int side = 0; side < 2; ++side) {
      const int o = kPanelOffset * side;
      const int placed = side == 0 ? 3 : 0;
      m.Item(kMenuCursor[side == 0 ? 0 : 2], 104 + o, 96 + 16 * placed);
      for (int mem = 0; mem < 7; ++mem) {
        if (mem < placed) m.Item(PositionLabelCell(mem), 116 + o, 92 + 16 * mem);
        else m.Face(teams[side][mem], 112 + o, 92 + 16 * mem, side == 1);
        m.Name(teams[side][mem], kMockNames[mem], 128 + o, 96 + 16 * mem);
      }
      for (int p = 0; p < 7; ++p) {
        const int px = side == 0 ? kPositionXY[p][0] : 496 - kPositionXY[p][0];
        if (p < placed) m.Face(teams[side][p], px, kPositionXY[p][1], side == 1);
        else m.Item(PositionLabelCell(p), px + 4, kPositionXY[p][1]);
      }
      for (int r = 0; r < 8; ++r) m.Digit((r + 5) % 10, 240 + o, 96 + 16 * r);
      m.Text("スーパー", 128 + o, 224);
      m.Text("なし", 200 + o, 224);
    }
  }
}

}  // namespace

std::vector<TeamLooks> LoadTeamLooks(const std::string& teamCsv, const std::string& paletteText) {
  std::vector<TeamLooks> teams(2, TeamLooks(7));
  for (int t = 0; t < 2; ++t)
    for (int m = 0; m < 7; ++m) teams[t][m] = {t * 7 + m, DefaultCharPalette(), {}};
  // Palette sets: "n: RRGGBB x 16".
  std::vector<std::vector<Rgb>> sets(32);
  std::istringstream pin(paletteText);
  for (std::string line; std::getline(pin, line);) {
    const size_t colon = line.find(':');
    if (line.rfind("//", 0) == 0 || colon == std::string::npos) continue;
    try {
      const int n = std::stoi(line.substr(0, colon));
      std::istringstream words(line.substr(colon + 1));
      std::vector<Rgb> set;
      for (std::string hex; words >> hex && set.size() < 16;) {
        const unsigned long v = std::stoul(hex, nullptr, 16);
        set.push_back({static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)});
      }
      if (n >= 0 && n < 32 && set.size() == 16) sets[n] = set;
    } catch (...) {
    }
  }
  auto usable = [&](int n) { return n >= 0 && n < 32 && sets[n].size() == 16; };
  if (!usable(0) || !usable(1)) return teams;
  // Members: Name,DBFaceNo,SkinCol,HairCol,... with EyeCol in column 18.
  std::istringstream tin(teamCsv);
  int row = 0;
  for (std::string line; std::getline(tin, line) && row < 14;) {
    if (line.rfind("//", 0) == 0 || line.find(',') == std::string::npos) continue;
    std::vector<std::string> f;
    std::stringstream ss(line);
    for (std::string cell; std::getline(ss, cell, ',');) f.push_back(cell);
    const int team = row / 7, member = row % 7;
    ++row;
    try {
      if (f.size() < 19) continue;
      const int face = std::stoi(f[1]), skin = std::stoi(f[2]), hair = std::stoi(f[3]), eye = std::stoi(f[18]);
      if (!usable(skin) || !usable(hair) || !usable(eye) || !usable(team)) continue;
      // The member's palette as the game makes it: outline fixed, eye, skin
      // and hair from his sets, shorts from his team's set, the rest from set 0.
      std::vector<Rgb> pal(256, Rgb{0, 0, 0});
      pal[0] = sets[0][0];
      pal[1] = {49, 48, 66};
      pal[2] = sets[eye][2];
      for (int k = 3; k <= 7; ++k) pal[k] = sets[skin][k];
      for (int k = 8; k <= 10; ++k) pal[k] = sets[hair][k];
      for (int k = 11; k <= 12; ++k) pal[k] = sets[team][k];
      for (int k = 13; k <= 15; ++k) pal[k] = sets[0][k];
      std::vector<int> name;
      for (size_t i = 0; i + 1 < f[0].size(); i += 2) {
        const int g = SjisGlyphNumber(static_cast<uint8_t>(f[0][i]), static_cast<uint8_t>(f[0][i + 1]));
        if (g >= 0) name.push_back(g);
      }
      teams[team][member] = {face & 0xFF, pal, name};
    } catch (...) {
    }
  }
  return teams;
}

plat::PngTrueColour BuildContactSheet(const std::vector<NamedPicture>& pictures,
                                      const std::vector<Pose>& poses, const std::vector<TeamLooks>& teams) {
  const int col = kScreenW * kScale + kGap;
  const int width = 3 * col + kGap;
  const int top = kGap;
  const int screensTop = top + kFontH * kScale + kGap;
  const int screenH = kScreenH * kScale + kGap;
  const int charTop = screensTop + 3 * screenH;
  const int mockTop = charTop + 2 * 512 + kGap * 2;
  const int height = mockTop + 2 * screenH + kGap;
  Page page(width, height);
  auto paste = [&](const char* name, int x, int y, int key) {
    if (const Picture* p = Find(pictures, name)) page.Paste(*p, x, y, key);
  };
  paste("font.png", kGap, top, kKey);
  paste("dbitem.png", kGap + kFontW * kScale + kGap, top, kKey);
  paste("dballface.png", 2 * col + kGap, top - 0, cTrans);
  const char* screens[9] = {"dbcourt0.png", "dbcourt1.png", "dbcourt2.png", "dbop.png", "dbmsl.png",
                            "dbtsl.png",    "dbvs.png",     "dbpsl.png",    "dbload.png"};
  for (int k = 0; k < 9; ++k) paste(screens[k], kGap + (k % 3) * col, screensTop + (k / 3) * screenH, -1);
  paste("dbbody.png", kGap, charTop, cTrans);
  TeamFrames(page, poses, teams[0], kGap + 512 * kScale + kGap, charTop);
  TeamFrames(page, poses, teams[1], kGap + 512 * kScale + kGap, charTop + 300);
  paste("dbface00.png", kGap + 512 * kScale + kGap, charTop + 600, cTrans);
  paste("dbface01.png", kGap + 512 * kScale + kGap + 340, charTop + 600, cTrans);
  paste("dballbody.png", kGap + 512 * kScale + kGap + 680, charTop + 600, cTrans);
  MockScenes(page, pictures, poses, teams, mockTop, col, screenH);
  return page.Finish();
}

}  // namespace art
