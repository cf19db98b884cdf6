#include "platform/WindowCanvas.h"

#include <algorithm>

#include "platform/SystemFont.h"

namespace plat {

namespace {

void FillBox(uint32_t* pixels, int w, int h, int pitch, int x, int y, int bw, int bh,
             uint32_t colour) {
  const int x0 = std::max(x, 0), y0 = std::max(y, 0);
  const int x1 = std::min(x + bw, w), y1 = std::min(y + bh, h);
  for (int yy = y0; yy < y1; ++yy)
    std::fill(pixels + size_t(yy) * size_t(pitch) + size_t(x0),
              pixels + size_t(yy) * size_t(pitch) + size_t(std::max(x0, x1)), colour);
}

}  // namespace

void PaintCanvas(uint32_t* pixels, int w, int h, int pitch, const std::vector<CanvasItem>& items,
                 uint32_t opaque) {
  if (!pixels || w <= 0 || h <= 0 || pitch < w) return;
  for (const CanvasItem& it : items) {
    if (it.Text.empty()) {
      FillBox(pixels, w, h, pitch, it.X, it.Y, it.W, it.H, it.Fill | opaque);
      continue;
    }
    TextCoverage cov;
    if (!CurrentFontRenderer().Render(it.Face, it.FontPx, false, 0, it.Text, cov)) continue;
    FillBox(pixels, w, h, pitch, it.X, it.Y, cov.Width, cov.Height, it.Fill | opaque);
    for (int j = 0; j < cov.Height; ++j)
      for (int i = 0; i < cov.Width; ++i) {
        const int x = it.X + i, y = it.Y + j;
        if (x >= 0 && y >= 0 && x < w && y < h && cov.At(i, j) >= 128)
          pixels[size_t(y) * size_t(pitch) + size_t(x)] = it.Ink | opaque;
      }
  }
}

}  // namespace plat
