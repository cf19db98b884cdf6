// The bitmap font TFontDraw with the match's damage numbers, and the text
// texture TAnti_DelX (text drawn with a system font, turned into a grey mask
// texture).
//
// The font is one picture of 8 x 16 glyph cells, 21 to a row, holding four
// variants of the glyph set at different places (FP). Texts are Shift-JIS and
// are read two bytes at a time; every recognised character is one glyph and
// one render-list entry. Damage numbers live in 32 fixed slots: set where a hit
// landed, they stay in place for 52 logic steps.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "graphics/AlphaLib32.h"
#include "shell/FormParts.h"

namespace plat {
class Bitmap;
}

// ---- text texture ----------------------------------------------------------

enum TQuality : uint8_t { QNoAA = 1, QLow = 4, QNormal = 5, QHigh = 6 };  // text smoothing
enum TGradationDir : uint8_t { gdVertical = 0, gdHorizontal = 1 };

// How text is written: a colour (or a gradation from SCol to ECol) and alpha.
struct TTxWriteSt {
  int32_t SCol = 0, ECol = 0;
  uint8_t Alp = 0;
  TGradationDir GDir = gdVertical;
  bool Grd_f = false;
};
using PTxWriteSt = TTxWriteSt*;

// How the text texture is drawn.
struct TTxDrawSt {
  int32_t Col = 0;
  uint8_t Alp = 0;
  int32_t sCol = 0;  // shadow
  uint8_t sAlp = 0;
  bool WordMod_f = false;  // modulate mode
};

constexpr int32_t MAXSENTENCE = 7;

// The font set up on the work bitmap's canvas.
struct TAnti_DelXFont {
  std::string Name;  // Shift-JIS face name
  int32_t Color = 0;
};

// One tile's surface description as the texture writer keeps it.
struct TAnti_DelXTileDesc {
  uint32_t dwSize = 0;
};

// Text drawn with a system font on a 32-bit work bitmap (white on black),
// copied into an empty texture of the same size as a grey mask: every texel's
// four channels are the pixel's blue byte. The texture is listed with the
// renderer, so it is made anew (blank) after display memory is lost.
class TAnti_DelX : public FormPart {
 public:
  // tUse names the texture; the texture is (tTXPGX + 1) x (tTXPGY + 1) tiles
  // of 256 x 256. tAL is not owned and must outlive this object.
  TAnti_DelX(TAlpha32* tAL, const std::string& tUse, int32_t tNUM1LINE, int32_t tENDLINE,
             int32_t tTXPGX, int32_t tTXPGY);
  ~TAnti_DelX() override;
  TAnti_DelX(const TAnti_DelX&) = delete;
  TAnti_DelX& operator=(const TAnti_DelX&) = delete;

  void SetPram(int32_t Size, int32_t RbSize, int32_t SpLetter, int32_t SpLine, bool Default_f);
  // Sets the style pWSt points to, or the default one when it is null.
  void SetWSt(int32_t Col, uint8_t Alp, PTxWriteSt pWSt);
  void SetDSt(bool Mod_f, int32_t Col, uint8_t Alp, int32_t sCol, uint8_t sAlp);

  const std::string& Face() const { return fFace; }
  void SetFace(const std::string& f) { fFace = f; }
  TQuality Quality() const { return fQuality; }
  void SetQuality(TQuality q) { fQuality = q; }

  // Sets text line i (0 .. MAXSENTENCE, Shift-JIS); other lines are ignored.
  void SetSentence(int32_t i, std::string_view sjis);
  // Draws the text lines with the default write style, one cell height
  // apart, into the work bitmap and copies it into the texture. False when no
  // system font could be opened: the texture is then left blank and the
  // renderer's log says so.
  bool UpdateTexture();

  TAlpha32* AL;
  int32_t fSize = 0, fRSize = 0;
  std::string fFace;
  int32_t fWidth = 0, fHeight = 0;
  TQuality fQuality = QNormal;
  TALTexture txt;
  std::unique_ptr<plat::Bitmap> FBmp;
  TAnti_DelXFont FBmpFont;
  std::array<std::string, MAXSENTENCE + 1> Sentence;
  std::array<int32_t, MAXSENTENCE + 1> fSentence_c{};
  int32_t MaxLine = 0;
  TTxWriteSt DefWSt;
  TTxDrawSt DefDSt;
  int32_t NUM1LINE = 0, ENDLINE = 0;
  int32_t TXPGX = 0, TXPGY = 0;
  int32_t TX_W = 0, TX_H = 0;
  std::vector<std::vector<TAnti_DelXTileDesc>> tddsd;  // [column][row]
  std::vector<uint32_t*> P1;  // row pointers of a locked tile column
  std::vector<uint16_t*> P16;
  int32_t fSizeDf = 0;
  int32_t fSpLetter = 0, fSpLine = 0;

 private:
  void ClearBitmap();
};

// The texture's name for a use: "ﾃｷｽﾄ描画用(" + tUse + ")" in Shift-JIS.
std::string TextTextureName(const std::string& tUse);

enum FontType : uint8_t { ftNML = 0, ftFrame1, ftFrame2, ftFrameDB };

constexpr int32_t FLINE = 21;       // glyphs per row of the font picture
constexpr int32_t FW = 8;           // glyph cell
constexpr int32_t FH = 16;
constexpr int32_t UNTILNUM = 1;     // first digit glyph (0)
constexpr int32_t UNTILSIGN = 11;   // first sign glyph (the long dash, also the minus)
constexpr int32_t UNTILKANJI = 273; // the one kanji
constexpr int32_t DAMDRAWNUM = 32;  // damage-number slots

// Per variant: source left, source top, vertical offset, extra spacing, advance.
constexpr int32_t FP[4][5] = {
    {0, 0, 8, 0, 8},       // ftNML
    {168, 0, 8, 0, 8},     // ftFrame1
    {0, 128, 8, 0, 8},     // ftFrame2
    {128, 128, 1, 1, 8},   // ftFrameDB
};

// Left-top of glyph g's cell of variant ft in the font picture.
struct FontCell {
  int32_t left, top;
};
FontCell FontGlyphCell(FontType ft, int32_t g);
// Distance from one glyph to the next.
inline int32_t FontStep(FontType ft) { return FP[ft][3] + FP[ft][4]; }

// The glyph of one two-byte Shift-JIS character, or -1 when the font has none.
// The full-width space and the full-width low line are the blank glyph 0.
int32_t SjisGlyph(uint8_t b1, uint8_t b2);

// Texts are read from at most this many bytes; at most FONTMAXGLYPHS glyphs.
constexpr size_t FONTMAXBYTES = 255;
constexpr int32_t FONTMAXGLYPHS = 128;

// The glyphs of a text in order (unknown characters take no place).
struct FontGlyphs {
  std::array<int16_t, FONTMAXGLYPHS> g{};
  int32_t count = 0;
};
FontGlyphs TextGlyphs(std::string_view sjis);

// One damage number.
struct DamDrawData {
  int32_t Count = 0;  // steps since it was set; 0 = free slot
  int32_t Dam = 0;    // value shown
  int32_t X = 0, Y = 0;  // screen position in pixels
  int32_t dY = 0;     // upward drift in 1/16 pixel
  bool DB_f = false;  // drawn in the yellow framed digits without fading
};

// What the font asks of the renderer: its glyph picture loaded as a colour-
// keyed texture, and glyph cells of it queued at scale 1 with the normal
// blend, unmirrored and unturned, under the renderer's zoom. The game's own
// target draws through TAlpha32; tests record the calls.
class FontTarget {
 public:
  virtual ~FontTarget() = default;
  // False when the picture could not be loaded (the renderer's error flag is
  // then set and later draws queue nothing).
  virtual bool LoadFont(const std::string& FileName) = 0;
  virtual void FreeFont() = 0;
  // A cell placed by its left-top corner.
  virtual void GlyphLT(int32_t sx, int32_t sy, float dx, float dy, int32_t Pri, uint8_t alp,
                       uint32_t col) = 0;
  // A cell placed by its centre.
  virtual void GlyphC(int32_t sx, int32_t sy, float dx, float dy, int32_t Pri, uint8_t alp,
                      uint32_t col) = 0;
};

// The game's target: the glyph picture as a colour-keyed texture of the
// renderer (keyed on its left-top pixel, no mirrored copy).
class AL32FontTarget : public FontTarget {
 public:
  explicit AL32FontTarget(TAlpha32* tAL) : AL(tAL) {}
  bool LoadFont(const std::string& FileName) override;
  void FreeFont() override;
  void GlyphLT(int32_t sx, int32_t sy, float dx, float dy, int32_t Pri, uint8_t alp,
               uint32_t col) override;
  void GlyphC(int32_t sx, int32_t sy, float dx, float dy, int32_t Pri, uint8_t alp,
              uint32_t col) override;

  TAlpha32* AL;
  TALTexture txfont;  // listed by the renderer, so it never moves
};

class TFontDraw : public FormPart {
 public:
  // A font with nothing to draw on: every call is kept track of, nothing is
  // queued.
  TFontDraw() = default;
  // Loads tBASEPATH + "bmp\font.png" through the target (not owned).
  TFontDraw(FontTarget* target, const std::string& tBASEPATH);
  // The game's font: draws through the renderer (not owned).
  TFontDraw(TAlpha32* tAL, const std::string& tBASEPATH);
  ~TFontDraw() override;
  TFontDraw(const TFontDraw&) = delete;
  TFontDraw& operator=(const TFontDraw&) = delete;

  void LoadFontBmp(const std::string& tBASEPATH);

  // Draws a text with its first glyph's cell at left x, its baseline row at
  // y (cells stand on y - 16 + the variant's vertical offset), priority z.
  // Mag has no effect: glyphs are always drawn at scale 1. No camera offset.
  void FDraw(int32_t x, int32_t y, int32_t z, std::string_view tStr, int32_t Mag, uint8_t alp,
             uint32_t col, FontType ft);
  // Draws a number with glyph centres from (x, y) on, shifted by the camera
  // of the last FDamDraw; a minus sign stands one step left of x.
  void FNumDraw(int32_t x, int32_t y, int32_t z, int32_t n, uint8_t alp, uint32_t col,
                FontType ft);

  // DrawTexEx of the renderer with the centre shifted by the camera of the
  // last FDamDraw (dx1 - CamX, dy1 + CamY); nothing without a renderer.
  void FDrawTex(const TALTexture& src, int32_t sx1, int32_t sy1, int32_t sw, int32_t sh,
                int32_t dx1, int32_t dy1, int32_t Pri, uint8_t alp, uint32_t col, BLENDMODE BM,
                MirrorFlag Mirror_f, bool NoAsp_f, float MagX, float MagY, RollFlag Roll_f,
                float r, pVtxColData pVCDt);

  // Adds a damage number for a world position in 1/100 pixel; nothing for
  // tDam <= 0. The 33rd number takes the oldest slot.
  void FDamSet(int32_t tx, int32_t ty, int32_t tz, int32_t tDam, bool DB_f);
  // One logic step: numbers older than 52 steps go.
  void FDamMove();
  void FComboDamMove();
  // Queues every live number with the given camera offset.
  void FDamDraw(int32_t tCamX, int32_t tCamY);
  void ClearDam();

  // The font texture when drawing through the renderer, else null.
  TALTexture* FontTexture() { return own_ ? &own_->txfont : nullptr; }

  FontTarget* AL = nullptr;
  int32_t NowDDDt_c = 0;
  std::array<DamDrawData, DAMDRAWNUM> DDDt{};
  std::array<DamDrawData, 4> CDDDt{};  // combo numbers: advanced, never set
  int32_t CamX = 0, CamY = 0;

 private:
  void PutGlyphLT(int32_t g, FontType ft, int32_t x, int32_t y, int32_t z, uint8_t alp,
                  uint32_t col);
  void PutGlyphC(int32_t g, FontType ft, int32_t x, int32_t y, int32_t z, uint8_t alp,
                 uint32_t col);
  std::unique_ptr<AL32FontTarget> own_;  // the renderer target, when made here
  bool loaded_ = false;
};
