// The menu pictures, 512 x 240. Each leaves calm, dark room where its scene
// draws cursors, digits, faces and names, and labels what the scene shows.
#include <string>

#include "tools/art/ArtLayout.h"
#include "tools/art/Palette.h"
#include "tools/art/Pictures.h"

namespace art {
namespace {

// Capitals stand on glyph rows 2..8: drawing a text at y puts its ink at y+2.
constexpr int kCapTop = 2;

void Stripes(Canvas& c, uint8_t a, uint8_t b) {
  for (int y = 0; y < kScreenH; ++y)
    for (int x = 0; x < kScreenW; ++x) c.Set(x, y, ((x + y) / 12) % 2 ? a : b);
}

void Panel(Canvas& c, int x, int y, int w, int h, uint8_t fill, uint8_t edge) {
  c.Fill(x - 2, y - 2, w + 4, h + 4, kInk);
  c.Fill(x - 1, y - 1, w + 2, h + 2, edge);
  c.Fill(x, y, w, h, fill);
}

// Texts are placed by the top of their capitals.
void Text(Canvas& c, const GlyphSet& g, const std::string& s, int x, int capTop, uint8_t ink = kWhite,
          int scale = 1) {
  DrawText(c, g, s, x, capTop - kCapTop * scale, ink, scale, kInk);
}

void CentredText(Canvas& c, const GlyphSet& g, const std::string& s, int capTop, uint8_t ink, int scale) {
  Text(c, g, s, (kScreenW - TextWidth(s, scale)) / 2, capTop, ink, scale);
}

// The member list is wide enough for a face and a four-character name; the
// rating labels stand clear of it and of two-digit ratings at x 232.
constexpr int kListW = 88;
constexpr int kRatingLabelX = 203;

// The team panel of team select and versus for one side: team number, the
// captain's portrait box, the member list and the eight average ratings.
void TeamPanel(Canvas& c, const GlyphSet& g, int side, const char* const labels[8]) {
  const int o = kPanelOffset * side;
  const uint8_t tint = side == 0 ? kRed : kBlue;
  Panel(c, 106 + o, 36, 144, 192, kNight, tint);
  Text(c, g, "TEAM", 128 + o, 56, kMist);
  c.Fill(167 + o, 55, 18, 10, kInk);                 // the two team digits
  Panel(c, 186 + o, 42, 30, 34, kInk, kSlate);       // captain's face and team picture, right of the digits
  c.Fill(110 + o, 90, kListW, 116, kInk);             // faces and names
  for (int m = 0; m < 7; ++m) c.Fill(110 + o, 91 + 16 * m, kListW, 1, m % 2 ? kNight : kInk);
  for (int r = 0; r < 8; ++r) {
    Text(c, g, labels[r], kRatingLabelX + o, 96 + 16 * r, kSky);
    c.Fill(231 + o, 95 + 16 * r, 18, 10, kInk);       // the rating digits
  }
}

constexpr const char* kRatingsJapaneseOrder[8] = {"POW", "TEC", "CRV", "SPD", "CAT", "TUF", "GUT", "HP"};
constexpr const char* kRatingsEnglishOrder[8] = {"POW", "TUF", "CAT", "SPD", "CRV", "TEC", "GUT", "HP"};

void SideDecoration(Canvas& c) {
  // Balls in the margins left and right of the panels.
  for (int k = 0; k < 4; ++k) {
    DrawBall(c, 52, 52 + 50 * k, 14, k * 2, false);
    DrawBall(c, 460, 52 + 50 * k, 14, 7 - k * 2, false);
  }
}

}  // namespace

Picture BuildTitleScreen(const GlyphSet& g) {
  Picture p{Canvas(kScreenW, kScreenH, kInk), ScenePalette()};
  Canvas& c = p.canvas;
  // Evening sky in bands, a floor in perspective below the horizon.
  const uint8_t sky[] = {kNight, kNavy, kBlue, kSlate, kPink, kOrange};
  for (int k = 0; k < 6; ++k) c.Fill(0, k * 24, kScreenW, 24, sky[k]);
  c.Fill(0, 144, kScreenW, 96, kBrown);
  for (int y = 146, step = 2; y < kScreenH; y += step, ++step) c.Fill(0, y, kScreenW, 1, kTan);
  for (int k = -12; k <= 12; ++k) c.Line(256 + k * 6, 144, 256 + k * 60, 240, kTan);
  c.Fill(0, 144, kScreenW, 1, kWhite);
  // A ball flying in from the right with speed lines behind it.
  for (int k = 0; k < 5; ++k) c.Fill(436 + 6 * k, 150 + 8 * k - 16, 60 - 8 * k, 2, kWhite);
  DrawBall(c, 420, 150, 30, 3, false);
  DrawBall(c, 86, 196, 14, 6, false);
  // The name, framed in dark, yellow turning orange toward its foot.
  for (int dy = -2; dy <= 3; ++dy)
    for (int dx = -2; dx <= 3; ++dx) Text(c, g, "QORV", 128 + dx, 60 + dy, kInk, 8);
  Text(c, g, "QORV", 128, 60, kYellow, 8);
  c.Recolour(0, 60 + 8 * 4, kScreenW, 28, kYellow, kOrange);
  c.Fill(128, 140, 256, 16, kInk);
  CentredText(c, g, "DODGE BALL", 144, kWhite, 1);
  CentredText(c, g, "PUSH BUTTON", 196, kWhite, 2);
  CentredText(c, g, "2.0", 226, kMist, 1);
  return p;
}

Picture BuildModeSelectScreen(const GlyphSet& g) {
  Picture p{Canvas(kScreenW, kScreenH, kInk), ScenePalette()};
  Canvas& c = p.canvas;
  Stripes(c, kNight, kNavy);
  CentredText(c, g, "GAME SELECT", 10, kYellow, 2);
  Panel(c, 164, 38, 220, 60, kNight, kSlate);
  const char* modes[3] = {"KNOCK-OUT", "VERSUS", "WATCH"};
  const char* sides[3] = {"1P VS COM", "1P VS 2P", "COM VS COM"};
  for (int m = 0; m < 3; ++m) {
    const int y = kModeCursorY + 16 * m;
    c.Fill(kModeCursorX, y, 8, 8, kInk);  // where the mode cursor blinks
    Text(c, g, modes[m], 188, y, kWhite);
    Text(c, g, sides[m], 292, y, kSky);
  }
  // The level names stand over their cursors; "NORMAL" is too long to sit
  // between the second and third cursor.
  Text(c, g, "LEVEL", 104, 208, kYellow);
  Panel(c, 156, 188, 176, 32, kNight, kSlate);
  const char* levels[3] = {"EASY", "NORMAL", "HARD"};
  for (int d = 0; d < 3; ++d) {
    c.Fill(kDifficultyCursorX[d], 208, 8, 8, kInk);
    Text(c, g, levels[d], kDifficultyCursorX[d] + 4 - TextWidth(levels[d]) / 2, 194, kWhite);
  }
  DrawBall(c, 100, 150, 30, 2, false);
  DrawBall(c, 440, 120, 18, 5, false);
  return p;
}

Picture BuildTeamSelectScreen(const GlyphSet& g) {
  Picture p{Canvas(kScreenW, kScreenH, kInk), ScenePalette()};
  Canvas& c = p.canvas;
  Stripes(c, kNight, kNavy);
  CentredText(c, g, "TEAM SELECT", 10, kYellow, 2);
  SideDecoration(c);
  for (int side = 0; side < 2; ++side) TeamPanel(c, g, side, kRatingsJapaneseOrder);
  return p;
}

Picture BuildVersusScreen(const GlyphSet& g) {
  Picture p{Canvas(kScreenW, kScreenH, kInk), ScenePalette()};
  Canvas& c = p.canvas;
  Stripes(c, kNight, kInk);
  c.Fill(168, 6, 176, 22, kInk);  // the mode caption goes here
  SideDecoration(c);
  for (int side = 0; side < 2; ++side) TeamPanel(c, g, side, kRatingsEnglishOrder);
  // "VS" over the seam between the panels, clear of the portraits.
  for (int dy = -2; dy <= 2; ++dy)
    for (int dx = -2; dx <= 2; ++dx) Text(c, g, "VS", 232 + dx, 52 + dy, kInk, 3);
  Text(c, g, "VS", 232, 52, kOrange, 3);
  return p;
}

Picture BuildPlayerSelectScreen(const GlyphSet& g) {
  Picture p{Canvas(kScreenW, kScreenH, kInk), ScenePalette()};
  Canvas& c = p.canvas;
  Stripes(c, kNight, kNavy);
  Text(c, g, "ORDER", 16, 8, kYellow, 2);
  // The court diagram where placed members' faces and position labels go.
  Panel(c, 140, 22, 232, 68, kBrown, kTan);
  c.Fill(140, 22, 232, 68, kTan);
  c.Fill(172, 36, 169, 41, kOrange);
  c.Fill(140, 36, 232, 1, kWhite);
  c.Fill(140, 76, 232, 1, kWhite);
  c.Fill(172, 22, 1, 68, kWhite);
  c.Fill(340, 22, 1, 68, kWhite);
  c.Fill(255, 22, 2, 68, kWhite);
  for (int side = 0; side < 2; ++side) {
    const int o = kPanelOffset * side;
    const uint8_t tint = side == 0 ? kRed : kBlue;
    // One panel holds the member list, the ratings down to HP and, below
    // them, the special shots of the member under the cursor.
    Panel(c, 102 + o, 92, 148, 145, kNight, tint);
    c.Fill(110 + o, 90, kListW, 116, kInk);
    for (int m = 0; m < 7; ++m) c.Fill(110 + o, 91 + 16 * m, kListW, 1, m % 2 ? kNight : kInk);
    for (int r = 0; r < 8; ++r) {
      Text(c, g, kRatingsJapaneseOrder[r], kRatingLabelX + o, 96 + 16 * r, kSky);
      c.Fill(231 + o, 95 + 16 * r, 18, 10, kInk);
    }
    // "SP" stands level with the shot names' capitals.
    Text(c, g, "SP", 108 + o, 218, kYellow);
  }
  return p;
}

Picture BuildLoadingScreen(const GlyphSet& g) {
  Picture p{Canvas(kScreenW, kScreenH, kInk), ScenePalette()};
  Canvas& c = p.canvas;
  Stripes(c, kInk, kNight);
  for (int k = 0; k < 8; ++k) DrawBall(c, 160 + 27 * k, 96, 9, k, k == 3);
  CentredText(c, g, "NOW LOADING", 128, kWhite, 2);
  return p;
}

}  // namespace art
