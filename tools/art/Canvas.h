// An 8-bit indexed picture with the few drawing operations the art build
// needs. Every write is clipped to the picture, so drawing code may reach past
// the edges freely; reads outside give index 0.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/PngWriter.h"

namespace art {

using Rgb = plat::PngRgb;

class Canvas {
 public:
  Canvas() = default;
  Canvas(int width, int height, uint8_t fill = 0);

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
  uint8_t At(int x, int y) const { return Inside(x, y) ? pixels_[Index(x, y)] : 0; }
  void Set(int x, int y, uint8_t c) {
    if (Inside(x, y)) pixels_[Index(x, y)] = c;
  }
  const std::vector<uint8_t>& Pixels() const { return pixels_; }

  void Fill(int x, int y, int w, int h, uint8_t c);
  void Frame(int x, int y, int w, int h, uint8_t c);  // one-pixel border
  void Line(int x0, int y0, int x1, int y1, uint8_t c);
  // A line drawn with a square pen of the given width.
  void ThickLine(int x0, int y0, int x1, int y1, int width, uint8_t c);
  void Disc(int cx, int cy, int r, uint8_t c);
  void Ellipse(int cx, int cy, int rx, int ry, uint8_t c);  // filled
  // Fills a polygon given as x,y pairs (even-odd rule, pixel centres).
  void Polygon(const std::vector<int>& xy, uint8_t c);
  // Copies src at (x, y); pixels equal to skip are left out (skip < 0: none).
  void Blit(const Canvas& src, int x, int y, int skip = -1, bool mirror = false);
  void BlitPart(const Canvas& src, int sx, int sy, int w, int h, int dx, int dy, int skip = -1);
  // Replaces colour a by b inside a rectangle.
  void Recolour(int x, int y, int w, int h, uint8_t from, uint8_t to);
  // Paints the outline colour on every background pixel that touches a
  // non-background pixel (4-neighbourhood) inside the rectangle.
  void Outline(int x, int y, int w, int h, uint8_t background, uint8_t outline);
  // Pixel-doubles the picture.
  Canvas Scaled(int factor) const;

 private:
  size_t Index(int x, int y) const { return static_cast<size_t>(y) * width_ + x; }
  int width_ = 0;
  int height_ = 0;
  std::vector<uint8_t> pixels_;
};

// A picture with its palette, ready to be written.
struct Picture {
  Canvas canvas;
  std::vector<Rgb> palette;
};

plat::PngIndexed ToIndexed(const Picture& p);
plat::PngTrueColour ToTrueColour(const Picture& p);

}  // namespace art
