// Where the game reads its pictures: sizes of every picture and the cells the
// draw calls take from them. The art build draws into these cells and the
// tests check that every cell lies inside its picture.
#pragma once
#include <array>

namespace art {

struct Cell {
  int x, y, w, h;
};

// Scene and court pictures: drawn whole, 512 x 240, no colour key.
constexpr int kScreenW = 512;
constexpr int kScreenH = 240;

// Bitmap font: 21 glyphs of 8 x 16 per row; the plain set at (0,0), the
// framed damage digits of the first framed set at (168,0), of the second at
// (0,128) over the first katakana row, the third set at (128,128).
constexpr int kFontW = 336;
constexpr int kFontH = 224;
constexpr int kGlyphW = 8;
constexpr int kGlyphH = 16;
constexpr int kGlyphsPerRow = 21;
constexpr std::array<Cell, 4> kFontSetOrigin = {{{0, 0, 0, 0}, {168, 0, 0, 0}, {0, 128, 0, 0}, {128, 128, 0, 0}}};
constexpr int kGlyphDigit0 = 1;     // glyphs 1..10 are the digits 0..9
constexpr int kGlyphMinus = 11;     // the long dash, also the minus of numbers
constexpr int kGlyphCapitalA = 42;  // 42..67 A..Z
constexpr int kGlyphHiragana = 84;  // 84..166
constexpr int kGlyphKatakana = 168; // 168..252
constexpr int kGlyphKanji = 273;
constexpr Cell GlyphCell(int set, int glyph) {
  return {kFontSetOrigin[set].x + (glyph % kGlyphsPerRow) * kGlyphW,
          kFontSetOrigin[set].y + (glyph / kGlyphsPerRow) * kGlyphH, kGlyphW, kGlyphH};
}

// Item sheet: balls, bars, cursors, digits, shadows and labels.
constexpr int kItemW = 256;
constexpr int kItemH = 192;
constexpr Cell BallSpinCell(int k, bool flash) { return {16 * k, flash ? 48 : 0, 16, 16}; }
constexpr Cell BallAnimCell(int n, bool flash) { return {16 * (n - 1), flash ? 64 : 16, 16, 32}; }
constexpr Cell BigBallCell(int k, bool flash) { return {32 * k, flash ? 160 : 128, 32, 32}; }
constexpr int kBallAnimCount = 12;  // animation numbers 1..12
constexpr Cell kHpBar = {0, 96, 64, 8};
constexpr std::array<Cell, 3> kMenuCursor = {{{64, 96, 8, 8}, {72, 96, 8, 8}, {80, 96, 8, 8}}};
constexpr Cell DigitCell(int d) { return {8 * d, 104, 8, 8}; }
constexpr Cell kPlayerShadow = {80, 104, 16, 8};
constexpr Cell kBallShadow = {96, 104, 16, 8};
constexpr Cell PositionLabelCell(int p) { return {8 * p, 112, 8, 16}; }
constexpr std::array<Cell, 3> kMatchCursor = {{{88, 112, 8, 8}, {96, 112, 8, 8}, {104, 112, 8, 8}}};

// Character pictures (8-bit indexed, index 0 transparent).
constexpr int kBodySheetW = 512;
constexpr int kBodySheetH = 512;
constexpr Cell BodyCell(int bmpNo) { return {32 * ((bmpNo % 256) / 16), 32 * (bmpNo % 16), 32, 32}; }
constexpr int kAllFaceW = 256;
constexpr int kAllFaceH = 256;
constexpr Cell AllFaceCell(int faceNo) { return {16 * (faceNo / 16), 16 * (faceNo % 16), 16, 16}; }
constexpr int kFaceStripW = 160;
constexpr int kFaceStripH = 120;
constexpr int kFacesPerFile = 12;
constexpr int kFaceCount = 256;     // face numbers 0..255, files dbface00..dbface21
constexpr int kExpressions = 10;    // expression numbers 1..10 of a frame
constexpr Cell ExpressionCell(int faceNo, int expression) {
  return expression == 8 ? Cell{112, 10 * (faceNo % 12), 8, 8}
                         : Cell{16 * (expression - 1), 10 * (faceNo % 12), 16, 10};
}
constexpr int kTeamPictureW = 32;
constexpr int kTeamPictureH = 32;

// Menu layouts: where the scenes draw over the menu pictures.
constexpr std::array<int, 3> kDifficultyCursorX = {176, 240, 296};
constexpr int kModeCursorX = 176, kModeCursorY = 48;  // + 16 per mode
constexpr int kPanelOffset = 152;                     // side 1 is this far right
constexpr std::array<std::array<int, 2>, 7> kPositionXY = {
    {{192, 40}, {184, 56}, {224, 40}, {224, 56}, {288, 28}, {296, 68}, {344, 48}}};

}  // namespace art
