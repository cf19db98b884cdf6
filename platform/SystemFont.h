// The system-font seam: text drawn with an outline font into a coverage map,
// for the text texture. The game names Windows font faces that do not exist
// here; the real renderer answers every face with the installed font files of
// a fixed list, drawing each character with the first file that has it, so
// Latin, digits and Japanese all read and texts look alike everywhere.
// Tests put a renderer of fixed boxes in its place.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plat {

// One drawn line: coverage 0 (none) to 255 (full) per pixel, rows top to
// bottom. Width is the advance of the whole text, Height the font's line
// height (ascent + descent).
struct TextCoverage {
  int Width = 0, Height = 0;
  std::vector<uint8_t> Cov;
  uint8_t At(int x, int y) const {
    return x < 0 || y < 0 || x >= Width || y >= Height ? 0 : Cov[size_t(y) * size_t(Width) + size_t(x)];
  }
};

class FontRenderer {
 public:
  virtual ~FontRenderer() = default;
  // Draws a Shift-JIS text with the face at pixelSize; smooth selects grey
  // edges, otherwise every pixel is 0 or 255. letterSpacing pixels follow
  // each character. False, with out emptied, when no font can be opened.
  virtual bool Render(std::string_view face, int pixelSize, bool smooth, int letterSpacing,
                      std::string_view sjis, TextCoverage& out) = 0;
};

// FreeType over the installed font files.
class FreeTypeFontRenderer final : public FontRenderer {
 public:
  FreeTypeFontRenderer();
  ~FreeTypeFontRenderer() override;
  FreeTypeFontRenderer(const FreeTypeFontRenderer&) = delete;
  FreeTypeFontRenderer& operator=(const FreeTypeFontRenderer&) = delete;
  bool Render(std::string_view face, int pixelSize, bool smooth, int letterSpacing,
              std::string_view sjis, TextCoverage& out) override;
  // The first font file that opened ("" when none did); it sets the line
  // height and draws the missing-glyph box.
  std::string FontFile();
  // The files tried, in order (tests may replace the list).
  std::vector<std::string> Candidates;

 private:
  bool Open();
  struct Impl;
  Impl* impl_ = nullptr;
};

// A test renderer: every character is a box of pixelSize rows, pixelSize
// columns wide for a two-byte character and half that for a one-byte one,
// filled with 255; smoothing draws the box's outermost ring at 128. With
// Available false it behaves as if no font were installed.
class BoxFontRenderer final : public FontRenderer {
 public:
  bool Render(std::string_view face, int pixelSize, bool smooth, int letterSpacing,
              std::string_view sjis, TextCoverage& out) override;
  bool Available = true;
  std::vector<std::string> Faces;  // the faces asked for, in order
};

// The renderer the game uses now; SetFontRenderer(nullptr) returns to the
// FreeType one.
FontRenderer& CurrentFontRenderer();
void SetFontRenderer(FontRenderer* r);

}  // namespace plat
