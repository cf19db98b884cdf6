// The glyph sheet: 21 glyphs of 8 x 16 per row on the key colour, white ink
// with a dark shadow so texts read on light and dark backgrounds alike.
#include "tools/art/ArtLayout.h"
#include "tools/art/Palette.h"
#include "tools/art/Pictures.h"

namespace art {
namespace {

void PlaceGlyph(Canvas& c, const Glyph& g, Cell cell) {
  DrawGlyph(c, g, cell.x + 1, cell.y + kGlyphInkTop + 1, kInk);
  DrawGlyph(c, g, cell.x, cell.y + kGlyphInkTop, kWhite);
}

// A damage digit: the glyph in fill colour with a one-pixel frame all round.
void PlaceFramedGlyph(Canvas& c, const Glyph& g, Cell cell, uint8_t fill, uint8_t frame) {
  const int ox = cell.x, oy = cell.y + kGlyphInkTop;
  for (int j = -1; j <= kGlyphInkH; ++j)
    for (int i = -1; i <= kGlyphInkW; ++i) {
      bool near = false;
      for (int dj = -1; dj <= 1 && !near; ++dj)
        for (int di = -1; di <= 1 && !near; ++di) {
          const int a = i + di, b = j + dj;
          near = a >= 0 && b >= 0 && a < kGlyphInkW && b < kGlyphInkH && g.rows[b][a] == '#';
        }
      if (near && c.Inside(ox + i, oy + j) && ox + i < cell.x + cell.w && oy + j < cell.y + cell.h)
        c.Set(ox + i, oy + j, frame);
    }
  DrawGlyph(c, g, ox, oy, fill);
}

}  // namespace

Picture BuildFontSheet(const GlyphSet& glyphs) {
  Picture p{Canvas(kFontW, kFontH, kKey), ScenePalette()};
  for (const auto& [ch, g] : glyphs.All()) {
    const int n = GlyphNumber(ch);
    if (n > 0) PlaceGlyph(p.canvas, g, GlyphCell(0, n));
  }
  // The framed digits and minus of the damage numbers. The second framed set
  // lies over the first katakana row; its cells are cleared first.
  const Glyph* minus = glyphs.Find(U'ー');
  for (int set : {1, 2}) {
    for (int n = kGlyphDigit0; n <= kGlyphMinus; ++n) {
      const Cell cell = GlyphCell(set, n);
      p.canvas.Fill(cell.x, cell.y, cell.w, cell.h, kKey);
      const Glyph* g = n == kGlyphMinus ? minus : glyphs.Find(U'0' + (n - kGlyphDigit0));
      if (g == nullptr) continue;
      if (set == 1)
        PlaceFramedGlyph(p.canvas, *g, cell, kWhite, kRed);
      else
        PlaceFramedGlyph(p.canvas, *g, cell, kYellow, kInk);
    }
  }
  return p;
}

}  // namespace art
