#include "tools/art/Canvas.h"

#include <algorithm>
#include <cstdlib>

namespace art {

Canvas::Canvas(int width, int height, uint8_t fill)
    : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height, fill) {}

void Canvas::Fill(int x, int y, int w, int h, uint8_t c) {
  for (int j = std::max(y, 0); j < std::min(y + h, height_); ++j)
    for (int i = std::max(x, 0); i < std::min(x + w, width_); ++i) pixels_[Index(i, j)] = c;
}

void Canvas::Frame(int x, int y, int w, int h, uint8_t c) {
  Fill(x, y, w, 1, c);
  Fill(x, y + h - 1, w, 1, c);
  Fill(x, y, 1, h, c);
  Fill(x + w - 1, y, 1, h, c);
}

void Canvas::Line(int x0, int y0, int x1, int y1, uint8_t c) { ThickLine(x0, y0, x1, y1, 1, c); }

void Canvas::ThickLine(int x0, int y0, int x1, int y1, int width, uint8_t c) {
  const int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
  const int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
  const int lo = -(width - 1) / 2;
  int err = dx + dy;
  for (;;) {
    Fill(x0 + lo, y0 + lo, width, width, c);
    if (x0 == x1 && y0 == y1) break;
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x0 += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y0 += sy;
    }
  }
}

void Canvas::Disc(int cx, int cy, int r, uint8_t c) { Ellipse(cx, cy, r, r, c); }

void Canvas::Ellipse(int cx, int cy, int rx, int ry, uint8_t c) {
  if (rx <= 0 || ry <= 0) {
    Set(cx, cy, c);
    return;
  }
  for (int j = -ry; j <= ry; ++j)
    for (int i = -rx; i <= rx; ++i) {
      const double u = static_cast<double>(i) / (rx + 0.5), v = static_cast<double>(j) / (ry + 0.5);
      if (u * u + v * v <= 1.0) Set(cx + i, cy + j, c);
    }
}

void Canvas::Polygon(const std::vector<int>& xy, uint8_t c) {
  const size_t n = xy.size() / 2;
  if (n < 3) return;
  int top = height_, bottom = -1;
  for (size_t k = 0; k < n; ++k) {
    top = std::min(top, xy[2 * k + 1]);
    bottom = std::max(bottom, xy[2 * k + 1]);
  }
  for (int y = std::max(top, 0); y <= std::min(bottom, height_ - 1); ++y) {
    const double py = y + 0.5;
    std::vector<double> cuts;
    for (size_t k = 0; k < n; ++k) {
      const double ax = xy[2 * k], ay = xy[2 * k + 1];
      const double bx = xy[2 * ((k + 1) % n)], by = xy[2 * ((k + 1) % n) + 1];
      if ((ay <= py) != (by <= py)) cuts.push_back(ax + (py - ay) * (bx - ax) / (by - ay));
    }
    std::sort(cuts.begin(), cuts.end());
    for (size_t k = 0; k + 1 < cuts.size(); k += 2)
      for (int x = static_cast<int>(cuts[k] + 0.5); x < static_cast<int>(cuts[k + 1] + 0.5); ++x)
        Set(x, y, c);
  }
}

void Canvas::Blit(const Canvas& src, int x, int y, int skip, bool mirror) {
  for (int j = 0; j < src.Height(); ++j)
    for (int i = 0; i < src.Width(); ++i) {
      const uint8_t c = src.At(mirror ? src.Width() - 1 - i : i, j);
      if (c != skip) Set(x + i, y + j, c);
    }
}

void Canvas::BlitPart(const Canvas& src, int sx, int sy, int w, int h, int dx, int dy, int skip) {
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      if (!src.Inside(sx + i, sy + j)) continue;
      const uint8_t c = src.At(sx + i, sy + j);
      if (c != skip) Set(dx + i, dy + j, c);
    }
}

void Canvas::Recolour(int x, int y, int w, int h, uint8_t from, uint8_t to) {
  for (int j = y; j < y + h; ++j)
    for (int i = x; i < x + w; ++i)
      if (Inside(i, j) && At(i, j) == from) Set(i, j, to);
}

void Canvas::Outline(int x, int y, int w, int h, uint8_t background, uint8_t outline) {
  std::vector<std::pair<int, int>> marks;
  for (int j = y; j < y + h; ++j)
    for (int i = x; i < x + w; ++i) {
      if (!Inside(i, j) || At(i, j) != background) continue;
      auto solid = [&](int a, int b) {
        return a >= x && b >= y && a < x + w && b < y + h && Inside(a, b) && At(a, b) != background &&
               At(a, b) != outline;
      };
      if (solid(i - 1, j) || solid(i + 1, j) || solid(i, j - 1) || solid(i, j + 1)) marks.push_back({i, j});
    }
  for (auto [i, j] : marks) Set(i, j, outline);
}

Canvas Canvas::Scaled(int factor) const {
  Canvas out(width_ * factor, height_ * factor);
  for (int j = 0; j < out.height_; ++j)
    for (int i = 0; i < out.width_; ++i) out.pixels_[out.Index(i, j)] = At(i / factor, j / factor);
  return out;
}

plat::PngIndexed ToIndexed(const Picture& p) {
  plat::PngIndexed out;
  out.width = p.canvas.Width();
  out.height = p.canvas.Height();
  out.pixels = p.canvas.Pixels();
  out.palette = p.palette;
  return out;
}

plat::PngTrueColour ToTrueColour(const Picture& p) {
  plat::PngTrueColour out;
  out.width = p.canvas.Width();
  out.height = p.canvas.Height();
  out.channels = 3;
  out.pixels.reserve(p.canvas.Pixels().size() * 3);
  for (uint8_t c : p.canvas.Pixels()) {
    const Rgb rgb = c < p.palette.size() ? p.palette[c] : Rgb{0, 0, 0};
    out.pixels.insert(out.pixels.end(), rgb.begin(), rgb.end());
  }
  return out;
}

}  // namespace art
