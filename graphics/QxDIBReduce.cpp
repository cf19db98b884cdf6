#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "graphics/QxDIBConvert.h"

namespace {

using qxconv::CheckRowsPresent;
using qxconv::CopyHeader;
using qxconv::PixelColour;
using qxconv::Rows;
using qxconv::TakeRows;

using Real = long double;  // sums, averages and thresholds of the cuts

uint8_t RoundToByte(Real v) {
  // Nearest integer, halves to the even neighbour (the default rounding mode).
  const long long r = std::llrint(static_cast<double>(v));
  return uint8_t(std::clamp<long long>(r, 0, 255));
}

// The weighted statistics of a range of colours.
struct Stats {
  Real N = 0, R = 0, G = 0, B = 0, RD = 0, GD = 0, BD = 0;
};

template <typename Colour, typename Weight>
Stats Measure(int32_t Low, int32_t High, Colour colour, Weight weight) {
  Real n = 0, sr = 0, sg = 0, sb = 0, qr = 0, qg = 0, qb = 0;
  for (int32_t i = Low; i < High; ++i) {
    const Real w = weight(i);
    Real r, g, b;
    colour(i, r, g, b);
    n += w;
    sr += w * r, sg += w * g, sb += w * b;
    qr += w * r * r, qg += w * g * g, qb += w * b * b;
  }
  Stats s;
  s.N = n;
  if (n <= 0) return s;
  s.R = sr / n, s.G = sg / n, s.B = sb / n;
  s.RD = qr / n - s.R * s.R;
  s.GD = qg / n - s.G * s.G;
  s.BD = qb / n - s.B * s.B;
  return s;
}

// Red when its weighted variance is at least the others, then green, then blue.
TDivideID ChooseAxis(const Stats& s) {
  const Real r = 3 * s.RD, g = 4 * s.GD, b = 2 * s.BD;
  if (r >= g && r >= b) return cidRed;
  if (g >= r && g >= b) return cidGreen;
  return cidBlue;
}

// Splits items Low .. High - 1 in place: those at or below T first. Answers
// the first item above T.
template <typename Value, typename Swap>
int32_t Partition(int32_t Low, int32_t High, Real T, Value value, Swap swap) {
  int32_t i = Low, j = High;
  do {
    while (i < j && value(i) <= T) ++i;
    while (i < j && value(j - 1) > T) --j;
    if (i != j) swap(i, j - 1);
  } while (i != j);
  return i;
}

Real Channel(const TQxTriple& t, TDivideID id) {
  return id == cidRed ? t.R : id == cidGreen ? t.G : t.B;
}

Real CubeChannel(const TColorCube& c, TDivideID id) {
  return id == cidRed ? c.R : id == cidGreen ? c.G : c.B;
}

// A result picture of the given depth with the reduced colour table.
TQxDIBInfos Reduced(const TQxDIBInfos& Old, int bits, int32_t numColors, const TQxRGBQuad* colors,
                    bool UseFMO) {
  TQxDIBInfos d = CopyHeader(Old);
  d.W3Head.biBitCount = uint16_t(bits);
  d.W3Head.biCompression = 0;
  d.W3Head.biSizeImage = 0;
  d.W3Head.biClrUsed = uint32_t(numColors);
  std::copy(colors, colors + numColors, d.Colors);
  TakeRows(d, UseFMO);
  return d;
}

// Writes index(x, row) for every pixel of Old into a picture of 4 or 8 bits.
template <typename Index>
void MapPixels(const TQxDIBInfos& Old, TQxDIBInfos& d, Index index) {
  const int64_t w = Old.W3Head.biWidth, rows = Rows(Old.W3Head);
  const int64_t inRow = DIBRowBytes(w, Old.W3Head.biBitCount);
  const int64_t outRow = DIBRowBytes(w, d.W3Head.biBitCount);
  const bool four = d.W3Head.biBitCount == 4;
  for (int64_t y = 0; y < rows; ++y) {
    const uint8_t* in = Old.Bits.data() + inRow * y;
    uint8_t* out = d.Bits.data() + outRow * y;
    for (int64_t x = 0; x < w; ++x) {
      const uint8_t v = index(in, x);
      if (!four) out[x] = v;
      else out[x >> 1] |= (x & 1) ? uint8_t(v & 0x0F) : uint8_t(v << 4);
    }
  }
}

void Need24(const TQxDIBInfos& Old, const char* who) {
  if (Old.W3Head.biBitCount != 24) throw EQxDIBBadDIBType(std::string(who) + ": Invalid Bitcount");
  CheckRowsPresent(Old, who);
}

void TrueColorLow(const TQxDIBInfos& Old, TQxDIBInfos& New, const QxProgress& Progress,
                  bool UseFMO, int32_t depth, const char* who) {
  Need24(Old, who);
  int32_t num = 0;
  TQxRGBQuad colors[256] = {};
  std::vector<uint8_t> table;
  GetReducedColorsLow(Old, num, colors, table, depth, Progress);
  TQxDIBInfos d = Reduced(Old, depth == 8 ? 8 : 4, num, colors, UseFMO);
  MapPixels(Old, d, [&table](const uint8_t* row, int64_t x) {
    const uint8_t* p = row + 3 * x;  // B, G, R
    return table[size_t(p[2] / 8) * 2048 + size_t(p[1] / 4) * 32 + size_t(p[0] / 8)];
  });
  New = std::move(d);
}

void TrueColorHigh(const TQxDIBInfos& Old, TQxDIBInfos& New, const QxProgress& Progress,
                   bool UseFMO, int32_t depth, const char* who) {
  Need24(Old, who);
  int32_t num = 0;
  TQxRGBQuad colors[256] = {};
  auto history = std::make_unique<TCutHistory>();
  GetReducedColorsHigh(Old, num, colors, *history, depth, Progress);
  TQxDIBInfos d = Reduced(Old, depth == 8 ? 8 : 4, num, colors, UseFMO);
  const TCutHistory& h = *history;
  MapPixels(Old, d, [&h](const uint8_t* row, int64_t x) {
    const uint8_t* p = row + 3 * x;
    return QxWalkCutHistory(h, TQxTriple{p[0], p[1], p[2]});
  });
  New = std::move(d);
}

// ---- halftoning ----------------------------------------------------------

int RedLevel(int v) {
  return v <= 25 ? 0 : v <= 76 ? 1 : v <= 127 ? 2 : v <= 178 ? 3 : v <= 230 ? 4 : 5;
}
int GreenLevel(int v) {
  return v <= 21 ? 0 : v <= 63 ? 1 : v <= 106 ? 2 : v <= 149 ? 3 : v <= 192 ? 4 : v <= 233 ? 5 : 6;
}
int BlueLevel(int v) { return v <= 31 ? 0 : v <= 95 ? 1 : v <= 159 ? 2 : v <= 223 ? 3 : 4; }

struct TErrorElement {
  int16_t RError = 0, GError = 0, BError = 0;
};

// Walks the picture in serpentine order with the two error rows and hands
// each pixel's corrected channel values to pick, which answers the new
// errors and writes the output.
template <typename Pick>
void Diffuse(const TQxDIBInfos& Old, Pick pick) {
  const int64_t w = Old.W3Head.biWidth, rows = Rows(Old.W3Head);
  const int64_t inRow = DIBRowBytes(w, Old.W3Head.biBitCount);
  // Elements -1 .. w, stored from index 0; the border elements stay 0.
  std::vector<TErrorElement> cur(size_t(w + 2)), prev(size_t(w + 2));
  for (int64_t y = 0; y < rows; ++y) {
    prev = cur;
    const bool odd = (y & 1) != 0;
    const uint8_t* in = Old.Bits.data() + inRow * y;
    TErrorElement running;
    for (int64_t k = 0; k < w; ++k) {
      const int64_t x = odd ? w - 1 - k : k;
      const TErrorElement& up = prev[size_t(x + 1)];
      const TErrorElement& behind = prev[size_t(odd ? x + 2 : x)];
      const TQxTriple c = PixelColour(Old, in, x);
      const int r = c.R - (12 * up.RError + 12 * running.RError + 5 * behind.RError) / 32;
      const int g = c.G - (12 * up.GError + 12 * running.GError + 5 * behind.GError) / 32;
      const int b = c.B - (12 * up.BError + 12 * running.BError + 5 * behind.BError) / 32;
      running = pick(y, x, r, g, b);
      cur[size_t(x + 1)] = running;
    }
  }
}

void CheckHalftoneSource(const TQxDIBInfos& Old, const char* who) {
  if (Old.W3Head.biCompression != 0)
    throw plat::EAssertionFailed(std::string(who) + ": Invalid DIB Format");
  switch (Old.W3Head.biBitCount) {
    case 1: case 4: case 8: case 24: break;
    default: throw plat::EAssertionFailed(std::string(who) + ": Invalid Bit Count");
  }
  CheckRowsPresent(Old, who);
}

}  // namespace

// ---- the cuts ---------------------------------------------------------------

void CutCubes(int32_t Low, int32_t High, int32_t Depth, int32_t MaxDepth,
              std::vector<TColorCube>& Cubes, TQxRGBQuad* Colors, int32_t& NumColors,
              const QxProgress& Progress) {
  if (Low == High) {
    if (Depth == MaxDepth) {
      if (Progress) Progress();
      return;
    }
    CutCubes(Low, High, Depth + 1, MaxDepth, Cubes, Colors, NumColors, Progress);
    CutCubes(Low, High, Depth + 1, MaxDepth, Cubes, Colors, NumColors, Progress);
    return;
  }
  const Stats s = Measure(
      Low, High,
      [&](int32_t i, Real& r, Real& g, Real& b) {
        r = Cubes[size_t(i)].R, g = Cubes[size_t(i)].G, b = Cubes[size_t(i)].B;
      },
      [&](int32_t i) { return Real(Cubes[size_t(i)].n); });
  if (Depth == MaxDepth) {
    Colors[NumColors] = {RoundToByte(s.B), RoundToByte(s.G), RoundToByte(s.R), 0};
    for (int32_t i = Low; i < High; ++i) Cubes[size_t(i)].n = NumColors;
    ++NumColors;
    if (Progress) Progress();
    return;
  }
  const TDivideID axis = ChooseAxis(s);
  const Real T = axis == cidRed ? s.R : axis == cidGreen ? s.G : s.B;
  const int32_t split = Partition(
      Low, High, T, [&](int32_t i) { return CubeChannel(Cubes[size_t(i)], axis); },
      [&](int32_t a, int32_t b) { std::swap(Cubes[size_t(a)], Cubes[size_t(b)]); });
  CutCubes(split, High, Depth + 1, MaxDepth, Cubes, Colors, NumColors, Progress);
  CutCubes(Low, split, Depth + 1, MaxDepth, Cubes, Colors, NumColors, Progress);
}

void CutPixels(int32_t Low, int32_t High, int32_t Depth, int32_t MaxDepth,
               std::vector<TQxTriple>& Bits, TQxRGBQuad* Colors, int32_t& NumColors,
               TCutHistory& History, int32_t HistoryNodeIndex, const QxProgress& Progress) {
  if (Low == High) {
    if (Depth == MaxDepth) {
      if (Progress) Progress();
      return;
    }
    // Nothing reaches an empty range, so its nodes are never written.
    CutPixels(Low, High, Depth + 1, MaxDepth, Bits, Colors, NumColors, History, 0, Progress);
    CutPixels(Low, High, Depth + 1, MaxDepth, Bits, Colors, NumColors, History, 0, Progress);
    return;
  }
  const Stats s = Measure(
      Low, High,
      [&](int32_t i, Real& r, Real& g, Real& b) {
        r = Bits[size_t(i)].R, g = Bits[size_t(i)].G, b = Bits[size_t(i)].B;
      },
      [](int32_t) { return Real(1); });
  TCutHistoryNode& node = History.Nodes[HistoryNodeIndex];
  if (Depth == MaxDepth) {
    Colors[NumColors] = {RoundToByte(s.B), RoundToByte(s.G), RoundToByte(s.R), 0};
    node = {cidTerminal, 0, uint8_t(NumColors), 0, 0};
    ++NumColors;
    if (Progress) Progress();
    return;
  }
  const TDivideID axis = ChooseAxis(s);
  const Real T = axis == cidRed ? s.R : axis == cidGreen ? s.G : s.B;
  node.DivideID = axis;
  node.ThreshHold = T;
  node.ColorIndex = 0;
  const int32_t split = Partition(
      Low, High, T, [&](int32_t i) { return Channel(Bits[size_t(i)], axis); },
      [&](int32_t a, int32_t b) { std::swap(Bits[size_t(a)], Bits[size_t(b)]); });
  const int32_t high = History.nNodes++;
  History.Nodes[HistoryNodeIndex].NextNodeIndexHigh = high;
  CutPixels(split, High, Depth + 1, MaxDepth, Bits, Colors, NumColors, History, high, Progress);
  const int32_t low = History.nNodes++;
  History.Nodes[HistoryNodeIndex].NextNodeIndexLow = low;
  CutPixels(Low, split, Depth + 1, MaxDepth, Bits, Colors, NumColors, History, low, Progress);
}

uint8_t QxWalkCutHistory(const TCutHistory& History, const TQxTriple& px) {
  int32_t i = 0;
  // A tree of depth d has d levels of decisions; a walk never needs more.
  for (int step = 0; step < 16; ++step) {
    const TCutHistoryNode& n = History.Nodes[i];
    if (n.DivideID == cidTerminal) return n.ColorIndex;
    const int32_t next = n.ThreshHold >= Channel(px, n.DivideID) ? n.NextNodeIndexLow : n.NextNodeIndexHigh;
    if (next <= 0 || next >= History.nNodes) return 0;
    i = next;
  }
  return 0;
}

// ---- the colour tables ------------------------------------------------------

void GetReducedColorsLow(const TQxDIBInfos& DIBInfos, int32_t& NumColors, TQxRGBQuad* Colors,
                         std::vector<uint8_t>& ColorTransTable, int32_t MaxDepth,
                         const QxProgress& Progress) {
  // Sums in 64 bits: a large picture overflows 32-bit sums of low bits.
  struct Acc {
    int64_t R = 0, G = 0, B = 0, n = 0;
  };
  std::vector<Acc> acc(65536);
  const int64_t w = DIBInfos.W3Head.biWidth, rows = Rows(DIBInfos.W3Head);
  const int64_t rowBytes = DIBRowBytes(w, 24);
  for (int64_t y = 0; y < rows; ++y) {
    const uint8_t* p = DIBInfos.Bits.data() + rowBytes * y;
    for (int64_t x = 0; x < w; ++x, p += 3) {
      Acc& a = acc[size_t(p[2] / 8) * 2048 + size_t(p[1] / 4) * 32 + size_t(p[0] / 8)];
      a.R += p[2] % 8, a.G += p[1] % 4, a.B += p[0] % 8;
      ++a.n;
    }
  }
  std::vector<TColorCube> cubes;
  for (int32_t i = 0; i < 65536; ++i) {
    const Acc& a = acc[size_t(i)];
    if (a.n == 0) continue;
    const int32_t r = i / 2048, g = i / 32 % 64, b = i % 32;
    cubes.push_back({int32_t(a.R / a.n) + 8 * r, int32_t(a.G / a.n) + 4 * g,
                     int32_t(a.B / a.n) + 8 * b, int32_t(std::min<int64_t>(a.n, INT32_MAX)), i});
  }
  NumColors = 0;
  CutCubes(0, int32_t(cubes.size()), 0, MaxDepth, cubes, Colors, NumColors, Progress);
  ColorTransTable.assign(65536, 0);
  for (const TColorCube& c : cubes) ColorTransTable[size_t(c.Index)] = uint8_t(c.n);
}

void GetReducedColorsHigh(const TQxDIBInfos& DIBInfos, int32_t& NumColors, TQxRGBQuad* Colors,
                          TCutHistory& History, int32_t MaxDepth, const QxProgress& Progress) {
  History.nNodes = 1;
  NumColors = 0;
  const int64_t w = DIBInfos.W3Head.biWidth, rows = Rows(DIBInfos.W3Head);
  const int64_t rowBytes = DIBRowBytes(w, 24);
  std::vector<TQxTriple> px;
  px.reserve(size_t(w * rows));
  for (int64_t y = 0; y < rows; ++y) {
    const uint8_t* p = DIBInfos.Bits.data() + rowBytes * y;
    for (int64_t x = 0; x < w; ++x, p += 3) px.push_back({p[0], p[1], p[2]});
  }
  if (px.size() > size_t(INT32_MAX)) throw plat::EOutOfMemory("GetReducedColorsHigh: Too Many Pixels");
  CutPixels(0, int32_t(px.size()), 0, MaxDepth, px, Colors, NumColors, History, 0, Progress);
}

void GetReducedColorsFrom256(const TQxDIBInfos& DIBInfos, int32_t& NumColors,
                             TQxRGBQuad* Colors, uint8_t* ColorTransTable,
                             const QxProgress& Progress) {
  int64_t uses[256] = {};
  const int64_t w = DIBInfos.W3Head.biWidth, rows = Rows(DIBInfos.W3Head);
  const int64_t rowBytes = DIBRowBytes(w, 8);
  for (int64_t y = 0; y < rows; ++y) {
    const uint8_t* p = DIBInfos.Bits.data() + rowBytes * y;
    for (int64_t x = 0; x < w; ++x) ++uses[p[x]];
  }
  std::vector<TColorCube> cubes;
  for (int32_t i = 0; i < 256; ++i) {
    if (uses[i] == 0) continue;
    const TQxRGBQuad& q = DIBInfos.Colors[i];
    cubes.push_back({q.rgbRed, q.rgbGreen, q.rgbBlue, int32_t(std::min<int64_t>(uses[i], INT32_MAX)), i});
  }
  NumColors = 0;
  CutCubes(0, int32_t(cubes.size()), 0, 4, cubes, Colors, NumColors, Progress);
  std::fill(ColorTransTable, ColorTransTable + 256, uint8_t(0));
  for (const TColorCube& c : cubes) ColorTransTable[c.Index] = uint8_t(c.n);
}

// ---- the reducing conversions -----------------------------------------------

void ConvertTrueColorTo8BitRGBLow(const TQxDIBInfos& Old, TQxDIBInfos& New,
                                  const QxProgress& Progress, bool UseFMO) {
  TrueColorLow(Old, New, Progress, UseFMO, 8, "ConvertTrueColorTo8BitRGBLow");
}

void ConvertTrueColorTo4BitRGBLow(const TQxDIBInfos& Old, TQxDIBInfos& New,
                                  const QxProgress& Progress, bool UseFMO) {
  TrueColorLow(Old, New, Progress, UseFMO, 4, "ConvertTrueColorTo4BitRGBLow");
}

void ConvertTrueColorTo8BitRGBHigh(const TQxDIBInfos& Old, TQxDIBInfos& New,
                                   const QxProgress& Progress, bool UseFMO) {
  TrueColorHigh(Old, New, Progress, UseFMO, 8, "ConvertTrueColorTo8BitRGBHigh");
}

void ConvertTrueColorTo4BitRGBHigh(const TQxDIBInfos& Old, TQxDIBInfos& New,
                                   const QxProgress& Progress, bool UseFMO) {
  TrueColorHigh(Old, New, Progress, UseFMO, 4, "ConvertTrueColorTo4BitRGBHigh");
}

void Convert8BitRGBTo4BitRGB(const TQxDIBInfos& Old, TQxDIBInfos& New,
                             const QxProgress& Progress, bool UseFMO) {
  if (Old.W3Head.biBitCount != 8 || Old.W3Head.biCompression != 0)
    throw EQxDIBBadDIBType("Convert8BitRGBTo4BitRGB: Invalid Bitcount or Compression");
  CheckRowsPresent(Old, "Convert8BitRGBTo4BitRGB");
  int32_t num = 0;
  TQxRGBQuad colors[256] = {};
  uint8_t table[256];
  GetReducedColorsFrom256(Old, num, colors, table, Progress);
  TQxDIBInfos d = Reduced(Old, 4, num, colors, UseFMO);
  MapPixels(Old, d, [&table](const uint8_t* row, int64_t x) { return table[row[x]]; });
  New = std::move(d);
}

// ---- halftoning -------------------------------------------------------------

void ConvertToHalfTone(const TQxDIBInfos& Old, TQxDIBInfos& New, bool UseFMO) {
  CheckHalftoneSource(Old, "ConvertToHalfTone");
  TQxRGBQuad colors[215];
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 7; ++g)
      for (int b = 0; b < 5; ++b)
        colors[r * 35 + g * 5 + b] = {QxBlueColors[b], QxGreenColors[g], QxRedColors[r], 0};
  for (int i = 0; i < 5; ++i)
    colors[210 + i] = {QxReservedColors[i][2], QxReservedColors[i][1], QxReservedColors[i][0], 0};
  TQxDIBInfos d = Reduced(Old, 8, 215, colors, UseFMO);
  const int64_t outRow = DIBRowBytes(Old.W3Head.biWidth, 8);
  Diffuse(Old, [&](int64_t y, int64_t x, int r, int g, int b) {
    const int ri = RedLevel(r), gi = GreenLevel(g), bi = BlueLevel(b);
    d.Bits[size_t(outRow * y + x)] = uint8_t(ri * 35 + gi * 5 + bi);
    return TErrorElement{int16_t(QxRedColors[ri] - r), int16_t(QxGreenColors[gi] - g),
                         int16_t(QxBlueColors[bi] - b)};
  });
  New = std::move(d);
}

void ConvertToHalfToneBW(const TQxDIBInfos& Old, TQxDIBInfos& New, bool UseFMO) {
  CheckHalftoneSource(Old, "ConvertToHalfToneBW");
  const TQxRGBQuad colors[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
  TQxDIBInfos d = Reduced(Old, 1, 2, colors, UseFMO);
  const int64_t outRow = DIBRowBytes(Old.W3Head.biWidth, 1);
  Diffuse(Old, [&](int64_t y, int64_t x, int r, int g, int b) {
    if (r + g + b >= 384) {
      d.Bits[size_t(outRow * y + (x >> 3))] |= uint8_t(0x80 >> (x & 7));
      return TErrorElement{int16_t(255 - r), int16_t(255 - g), int16_t(255 - b)};
    }
    return TErrorElement{int16_t(-r), int16_t(-g), int16_t(-b)};
  });
  New = std::move(d);
}
