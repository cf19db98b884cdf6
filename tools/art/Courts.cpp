// The three courts, 512 x 240: a dark band at the top for the side panels,
// the back wall, and the floor with the court lines. Depth runs up the
// screen: a floor point at depth z (1/100 px) lies at y = 240 - z / 100.
#include <cmath>

#include "tools/art/ArtLayout.h"
#include "tools/art/Palette.h"
#include "tools/art/Pictures.h"

namespace art {
namespace {

constexpr int kPanelBand = 48;  // rows kept calm for faces, names and bars
constexpr int kFloorTop = 128;  // the back wall meets the floor (depth 11200)
constexpr int kFrontLine = 218; // depth 2200
constexpr int kBackLine = 148;  // depth 9200

// The end line of the left court: x at a given screen row (a slanted line).
int EndLineX(int y) {
  const double z = (240 - y) * 100.0;
  return static_cast<int>(std::lround(((10 * z - 22000) / 33 + 7400) / 100));
}

// A fixed scatter of dots without visible rows or stripes.
uint32_t Scatter(int x, int y) {
  uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return h ^ (h >> 16);
}

struct Look {
  uint8_t band, bandEdge, wallHigh, wallLow, floor, floorDetail, infield, infieldDetail, line;
};

void PanelBand(Canvas& c, const Look& look) {
  c.Fill(0, 0, kScreenW, kPanelBand, look.band);
  c.Fill(0, 1, kScreenW, 1, look.bandEdge);
  c.Fill(0, kPanelBand - 2, kScreenW, 1, look.bandEdge);
  c.Fill(0, kPanelBand - 1, kScreenW, 1, kInk);
}

void Floor(Canvas& c, const Look& look, int pattern) {
  for (int y = kFloorTop; y < kScreenH; ++y)
    for (int x = 0; x < kScreenW; ++x) {
      const bool in = y > kBackLine && y < kFrontLine && x > EndLineX(y) && x < kScreenW - EndLineX(y);
      uint8_t col = in ? look.infield : look.floor;
      const uint8_t detail = in ? look.infieldDetail : look.floorDetail;
      const int row = y - kFloorTop;
      bool mark = false;
      if (pattern == 0) {  // boards: a seam every 6 rows, joints staggered
        mark = row % 6 == 5 || (x + (row / 6) * 37) % 64 == 0;
      } else if (pattern == 1) {  // packed earth: scattered pebbles
        mark = Scatter(x, y) % 19 == 0;
      } else {  // asphalt: fine grit and a crack here and there
        mark = Scatter(x, y) % 11 == 0 || (Scatter(x / 9, y / 3) % 61 == 0 && Scatter(x, y) % 3 == 0);
      }
      if (mark) col = detail;
      c.Set(x, y, col);
    }
}

void CourtLines(Canvas& c, uint8_t line) {
  // Front and back lines across the whole floor, the end lines, the centre line.
  c.Fill(0, kFrontLine, kScreenW, 1, line);
  c.Fill(0, kBackLine, kScreenW, 1, line);
  for (int y = kFloorTop; y < kScreenH; ++y) {
    c.Set(EndLineX(y), y, line);
    c.Set(kScreenW - 1 - EndLineX(y), y, line);
  }
  c.Fill(255, kFloorTop, 2, kScreenH - kFloorTop, line);
  // A centre mark where the ball starts.
  c.Ellipse(256, 240 - 56, 14, 4, line);
  c.Ellipse(256, 240 - 56, 12, 3, 255);
}

void RestoreFloorInside(Canvas& c, const Canvas& floor) {
  for (int y = 0; y < kScreenH; ++y)
    for (int x = 0; x < kScreenW; ++x)
      if (c.At(x, y) == 255) c.Set(x, y, floor.At(x, y));
}

void GymWall(Canvas& c) {
  c.Fill(0, kPanelBand, kScreenW, kFloorTop - kPanelBand, kNavy);
  // Tall windows with light falling in.
  for (int x = 120; x <= 360; x += 80) {  // windows between the two boards
    c.Fill(x, 56, 32, 36, kInk);
    c.Fill(x + 2, 58, 28, 32, kSky);
    c.Fill(x + 15, 58, 2, 32, kInk);
    c.Fill(x + 2, 73, 28, 2, kInk);
    c.Fill(x + 4, 60, 4, 2, kWhite);
  }
  // Padded lower wall with a stripe, and the skirting board.
  c.Fill(0, 100, kScreenW, 24, kSlate);
  c.Fill(0, 104, kScreenW, 3, kRed);
  for (int x = 0; x < kScreenW; x += 32) c.Fill(x, 100, 1, 24, kNight);
  c.Fill(0, 124, kScreenW, 4, kBrown);
  // A basketball board at each end.
  for (int x : {40, 440}) {
    c.Fill(x, 60, 32, 22, kWhite);
    c.Frame(x, 60, 32, 22, kInk);
    c.Frame(x + 10, 68, 12, 10, kRed);
    c.Fill(x + 10, 82, 12, 2, kOrange);
  }
}

void YardWall(Canvas& c) {
  c.Fill(0, kPanelBand, kScreenW, kFloorTop - kPanelBand, kSky);
  for (int k = 0; k < 5; ++k) {  // clouds
    const int x = 30 + k * 103, y = 56 + (k % 2) * 8;
    c.Ellipse(x, y, 14, 4, kWhite);
    c.Ellipse(x + 10, y - 3, 9, 4, kWhite);
  }
  // The school building far behind, then a row of trees and a fence.
  c.Fill(150, 70, 212, 40, kMist);
  for (int x = 160; x < 352; x += 24) c.Fill(x, 78, 12, 10, kBlue);
  for (int x = 160; x < 352; x += 24) c.Fill(x, 94, 12, 10, kBlue);
  c.Fill(240, 60, 32, 12, kMist);
  c.Disc(256, 64, 5, kWhite);
  for (int x = -8; x < kScreenW + 16; x += 22) {
    c.Ellipse(x, 104, 12, 10, kForest);
    c.Ellipse(x - 3, 101, 5, 4, kGrass);
  }
  c.Fill(0, 112, kScreenW, 16, kGrass);
  for (int x = 0; x < kScreenW; x += 8) c.Fill(x, 108, 1, 18, kMist);
  c.Fill(0, 110, kScreenW, 1, kMist);
  c.Fill(0, 118, kScreenW, 1, kMist);
}

void StreetWall(Canvas& c) {
  c.Fill(0, kPanelBand, kScreenW, kFloorTop - kPanelBand, kNight);
  for (int k = 0; k < 40; ++k) c.Set((k * 97) % kScreenW, kPanelBand + 3 + (k * 37) % 30, k % 3 ? kMist : kWhite);
  c.Disc(420, 62, 7, kYellow);
  c.Disc(424, 60, 6, kNight);
  // City blocks with lit windows.
  int x = 0, k = 0;
  while (x < kScreenW) {
    const int w = 28 + (k * 13) % 30, top = 64 + (k * 23) % 34;
    c.Fill(x, top, w - 2, kFloorTop - top, k % 2 ? kSlate : kNavy);
    for (int wy = top + 4; wy < 116; wy += 8)
      for (int wx = x + 4; wx < x + w - 6; wx += 6)
        if ((wx * 5 + wy * 3 + k) % 7 < 3) c.Fill(wx, wy, 3, 4, kYellow);
    x += w;
    ++k;
  }
  // A wire fence in front of the city.
  c.Fill(0, 112, kScreenW, 16, kInk);
  for (int fx = 0; fx < kScreenW; fx += 6) {
    c.Line(fx, 112, fx + 6, 127, kSlate);
    c.Line(fx + 6, 112, fx, 127, kSlate);
  }
  c.Fill(0, 111, kScreenW, 1, kMist);
}

}  // namespace

Picture BuildCourt(int look) {
  static const Look kLooks[3] = {
      {kNight, kSlate, kNavy, kSlate, kBrown, kNight, kTan, kBrown, kWhite},
      {kForest, kGrass, kSky, kGrass, kBrown, kTan, kTan, kOrange, kWhite},
      {kInk, kNavy, kNight, kNavy, kNight, kSlate, kSlate, kMist, kYellow},
  };
  const Look& l = kLooks[look];
  Picture p{Canvas(kScreenW, kScreenH, kInk), ScenePalette()};
  Canvas& c = p.canvas;
  if (look == 0) GymWall(c);
  if (look == 1) YardWall(c);
  if (look == 2) StreetWall(c);
  PanelBand(c, l);
  Floor(c, l, look);
  const Canvas floor = c;
  CourtLines(c, l.line);
  RestoreFloorInside(c, floor);
  return p;
}

}  // namespace art
