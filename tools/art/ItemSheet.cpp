// The item sheet: ball frames (spin, special-shot animations, the big ball,
// each with its flashing twin), the hit-point bar, cursors, small digits,
// shadows and the position labels, on the key colour.
#include <cmath>

#include "tools/art/ArtLayout.h"
#include "tools/art/Palette.h"
#include "tools/art/Pictures.h"

namespace art {
namespace {

constexpr double kPi = 3.14159265358979;

struct BallColours {
  uint8_t base, shade, seam, light;
};

// A match cursor: a small solid triangle pointing down, with a dark rim that
// stands out on the bright floor.
void DownArrow(Canvas& c, Cell cell, uint8_t fill) {
  std::vector<int> tri{0, 1, 8, 1, 4, 7};
  for (size_t i = 0; i < tri.size(); i += 2) {
    tri[i] += cell.x;
    tri[i + 1] += cell.y;
  }
  c.Polygon(tri, kInk);
  std::vector<int> inner{1, 2, 7, 2, 4, 5};
  for (size_t i = 0; i < inner.size(); i += 2) {
    inner[i] += cell.x;
    inner[i + 1] += cell.y;
  }
  c.Polygon(inner, fill);
}

// A menu cursor: an arrow pointing right that fills its 8 x 8 cell, rimmed in
// white so it stands out on the menus' near-black boxes and panels.
void MenuArrow(Canvas& c, Cell cell, uint8_t fill) {
  static const char* const kRows[8] = {"WW......", "WRWW....", "WRRRWW..", "WRRRRRW.",
                                       "WRRRRRW.", "WRRRWW..", "WRWW....", "WW......"};
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      const char p = kRows[y][x];
      if (p != '.') c.Set(cell.x + x, cell.y + y, p == 'W' ? uint8_t{kWhite} : fill);
    }
}

void SmallDigit(Canvas& c, const GlyphSet& glyphs, int d, Cell cell) {
  const Glyph* g = glyphs.Find(U'0' + d);
  if (g == nullptr) return;
  Glyph part;
  part.rows.assign(kGlyphInkH, std::string(kGlyphInkW, '.'));
  for (int j = 0; j < 7; ++j) part.rows[j] = g->rows[j + 2];
  DrawGlyph(c, part, cell.x + 1, cell.y + 1, kInk);
  DrawGlyph(c, part, cell.x, cell.y, kWhite);
}

void Badge(Canvas& c, const GlyphSet& glyphs, Cell cell, int label, uint8_t colour) {
  c.Fill(cell.x, cell.y + 2, 8, 12, kInk);
  c.Fill(cell.x + 1, cell.y + 3, 6, 10, colour);
  const Glyph* g = glyphs.Find(U'0' + label);
  if (g == nullptr) return;
  // The digit's 6 x 7 ink, one pixel in from the badge's edge.
  for (int j = 0; j < 7; ++j)
    for (int i = 0; i < 6; ++i)
      if (g->rows[j + 2][i] == '#') c.Set(cell.x + 1 + i, cell.y + 5 + j, kWhite);
}

void ShadowCell(Canvas& c, Cell cell, int rx, int ry) {
  c.Ellipse(cell.x + 8, cell.y + 4, rx, ry, kNight);
}

void HpBar(Canvas& c, Cell bar) {
  for (int x = 0; x < bar.w; ++x) {
    const uint8_t fill = x < 16 ? kRed : x < 32 ? kYellow : kGrass;
    const bool gap = x % 4 == 3;
    c.Fill(bar.x + x, bar.y, 1, bar.h, kInk);
    if (!gap) {
      c.Fill(bar.x + x, bar.y + 1, 1, bar.h - 2, fill);
      c.Set(bar.x + x, bar.y + 1, kWhite);
    }
  }
}

// The special-shot animation frames: the ball at the middle of a 16 x 32 cell
// with the shot's effect around it.
void AnimationFrame(Canvas& c, Cell cell, int n, bool flash) {
  const int cx = cell.x + 8, cy = cell.y + 16;
  const uint8_t glow = flash ? kWhite : kYellow, heat = flash ? kYellow : kOrange;
  switch (n) {
    case 1:
    case 2: {  // flame above the ball, two flickers
      const int sway = n == 1 ? -1 : 1;
      c.Polygon({cx - 6, cy - 2, cx + 6, cy - 2, cx + 2 + sway, cy - 14, cx - 1 + sway, cy - 8, cx - 3 - sway, cy - 12}, heat);
      c.Polygon({cx - 3, cy - 3, cx + 3, cy - 3, cx + sway, cy - 10}, glow);
      DrawBall(c, cx, cy, 6, n * 3, flash);
      break;
    }
    case 3:  // squashed ball
      c.Ellipse(cx, cy + 2, 6, 4, kInk);
      c.Ellipse(cx, cy + 2, 5, 3, flash ? kYellow : kRed);
      c.Fill(cx - 4, cy, 3, 1, kPink);
      break;
    case 4:  // streak below a rising ball
      for (int k = 0; k < 3; ++k) c.Line(cx - 3 + 3 * k, cy + 7, cx - 3 + 3 * k, cy + 14 - 2 * (k % 2), glow);
      DrawBall(c, cx, cy, 6, 0, flash);
      break;
    case 5:
    case 6:
    case 7:
    case 8: {  // a spark circling the ball
      DrawBall(c, cx, cy, 6, n, flash);
      const double a = (n - 5) * kPi / 2;
      const int sx = cx + static_cast<int>(std::lround(std::cos(a) * 5));
      const int sy = cy + static_cast<int>(std::lround(std::sin(a) * 12));
      c.Fill(sx - 1, sy, 3, 1, glow);
      c.Fill(sx, sy - 1, 1, 3, glow);
      break;
    }
    default: {  // 9..12: the ball leaves more and more ghosts above and below
      const int ghosts = n - 8;
      for (int k = ghosts; k >= 1; --k) {
        const uint8_t col = k % 2 ? kSky : kMist;
        const int r = 4 - k / 2;
        c.Disc(cx, cy - 3 * k, r, col);
        c.Disc(cx, cy + 3 * k, r, col);
      }
      DrawBall(c, cx, cy, 6, n, flash);
      break;
    }
  }
}

}  // namespace

void DrawBall(Canvas& c, int cx, int cy, int r, int spin, bool flash) {
  // The ball is centred on the corner between pixels cx-1 and cx, so a ball
  // of radius r covers 2r pixels and its rim one more on each side.
  const BallColours col = flash ? BallColours{kYellow, kOrange, kWhite, kWhite}
                                : BallColours{kRed, kBrown, kWhite, kPink};
  // The seams are a cross turned in the picture plane, an eighth of a
  // quarter turn per frame: eight frames make the cross come round again.
  const double turn = spin * kPi / 16, cs = std::cos(turn), sn = std::sin(turn);
  const double cs2 = std::cos(turn + kPi / 4), sn2 = std::sin(turn + kPi / 4);
  const double seam = r > 8 ? 0.09 : 0.13;
  auto unit = [&](int px, int py) {
    return std::pair<double, double>{(px + 0.5 - cx) / r, (py + 0.5 - cy) / r};
  };
  for (int py = cy - r - 1; py <= cy + r; ++py)
    for (int px = cx - r - 1; px <= cx + r; ++px) {
      const auto [x, y] = unit(px, py);
      const double d = x * x + y * y;
      if (d <= 1.0) {
        uint8_t p = col.base;
        if (x * 0.6 + y * 0.8 > 0.45 && d > 0.35) p = col.shade;
        if (r > 8) {
          const double rx = x * cs + y * sn, ry = -x * sn + y * cs;
          if (std::fabs(rx) < seam || std::fabs(ry) < seam) p = col.seam;
        } else {
          // Small balls read better as a globe turning about its upright
          // axis: two seams round it at right angles and one round its middle.
          const double z = std::sqrt(1.0 - d);
          const double a = x * cs2 + z * sn2, b = -x * sn2 + z * cs2;
          if ((std::fabs(a) < 0.17 && b > 0) || (std::fabs(b) < 0.17 && a > -2) || std::fabs(y) < 0.12) p = col.seam;
        }
        if ((x + 0.42) * (x + 0.42) + (y + 0.42) * (y + 0.42) < (r > 8 ? 0.03 : 0.05)) p = col.light;
        c.Set(px, py, p);
        continue;
      }
      // Dark rim: outside pixels next to the ball.
      bool touches = false;
      for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
        const auto [a, b] = unit(px + dx, py + dy);
        touches = touches || a * a + b * b <= 1.0;
      }
      if (touches) c.Set(px, py, kInk);
    }
}

Picture BuildItemSheet(const GlyphSet& glyphs) {
  Picture p{Canvas(kItemW, kItemH, kKey), ScenePalette()};
  Canvas& c = p.canvas;
  for (bool flash : {false, true}) {
    for (int k = 0; k < 8; ++k) {
      const Cell s = BallSpinCell(k, flash);
      DrawBall(c, s.x + 8, s.y + 8, 6, k, flash);
      const Cell b = BigBallCell(k, flash);
      DrawBall(c, b.x + 16, b.y + 16, 14, k, flash);
    }
    for (int n = 1; n <= kBallAnimCount; ++n) AnimationFrame(c, BallAnimCell(n, flash), n, flash);
  }
  HpBar(c, kHpBar);
  const uint8_t sideColour[3] = {kRed, kBlue, kMist};
  for (int i = 0; i < 3; ++i) {
    MenuArrow(c, kMenuCursor[i], sideColour[i]);
    DownArrow(c, kMatchCursor[i], sideColour[i]);
  }
  for (int d = 0; d < 10; ++d) SmallDigit(c, glyphs, d, DigitCell(d));
  ShadowCell(c, kPlayerShadow, 7, 2);
  ShadowCell(c, kBallShadow, 5, 2);
  // Both sides show the same labels, so they keep clear of the sides' red and
  // blue: green for the infield, grey-violet for the outfield.
  for (int pos = 0; pos < 7; ++pos) Badge(c, glyphs, PositionLabelCell(pos), pos + 1, pos < 4 ? kForest : kSlate);
  return p;
}

}  // namespace art
