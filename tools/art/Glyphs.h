// The glyphs of the bitmap font, read from their text source: blocks headed
// by "= " and the glyph names (one UTF-8 character each), then up to ten rows
// in which each glyph is seven columns ('#' ink, '.' empty) followed by one
// space. Lines starting with "//" are comments.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tools/art/Canvas.h"

namespace art {

constexpr int kGlyphInkW = 7;
constexpr int kGlyphInkH = 10;
constexpr int kGlyphInkTop = 6;  // first cell row the ink may use

struct Glyph {
  std::vector<std::string> rows;  // kGlyphInkH rows of kGlyphInkW '#'/'.'
};

class GlyphSet {
 public:
  // Reads the source; false with a message naming the line on a bad block.
  bool Load(const std::string& text, std::string& error);
  const Glyph* Find(char32_t ch) const;
  const std::map<char32_t, Glyph>& All() const { return glyphs_; }
  // Adds the voiced and half-voiced kana that have no glyph of their own,
  // drawn from their base kana with the marks at the top right.
  void DeriveVoicedKana();

 private:
  std::map<char32_t, Glyph> glyphs_;
};

std::u32string DecodeUtf8(const std::string& s);

// The font-sheet glyph number of a character, or -1 when the font has none.
int GlyphNumber(char32_t ch);
// The glyph the game's text drawing takes for one two-byte Shift-JIS
// character, or -1 when it draws nothing for it (0 is the blank cell).
int SjisGlyphNumber(uint8_t lead, uint8_t trail);

// Draws one glyph with its ink at (x, y) (the ink box's top-left).
void DrawGlyph(Canvas& c, const Glyph& g, int x, int y, uint8_t ink, int scale = 1);
// Draws a text with 8-pixel advance times scale; unknown characters advance
// without ink. Returns the width drawn.
int DrawText(Canvas& c, const GlyphSet& set, const std::string& utf8, int x, int y, uint8_t ink,
             int scale = 1, int shadow = -1);
int TextWidth(const std::string& utf8, int scale = 1);

}  // namespace art
