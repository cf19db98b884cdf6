#include "graphics/ALAddLib.h"

#include <algorithm>
#include <cstring>

namespace {

// Signs after the lead byte 0x81, in glyph order from UNTILSIGN on:
// ー ～ ！ ？ ＆ 、 。 … ・ ， ／ ： （ ） 「 」 ★ ☆ ＜ ＞ ％ ↑ ↓ ← →
constexpr uint8_t kSignBytes[] = {0x5B, 0x60, 0x49, 0x48, 0x95, 0x41, 0x42, 0x63, 0x45,
                                  0x43, 0x5E, 0x46, 0x69, 0x6A, 0x75, 0x76, 0x9A, 0x99,
                                  0x83, 0x84, 0x93, 0xAA, 0xAB, 0xA9, 0xA8};

constexpr int32_t kDamLife = 52;       // steps a damage number stays
constexpr int32_t kDamSolidSteps = 20; // steps before it starts to fade
constexpr int32_t kDamPri = 1000000;   // over everything of the match
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr int32_t kDamBaseY = 240 - FH;  // ground level on the screen, one glyph up

}  // namespace

FontCell FontGlyphCell(FontType ft, int32_t g) {
  return {FP[ft][0] + (g % FLINE) * FW, FP[ft][1] + (g / FLINE) * FH};
}

int32_t SjisGlyph(uint8_t b1, uint8_t b2) {
  switch (b1) {
    case 0x81:
      if (b2 == 0x40 || b2 == 0x51) return 0;  // full-width space, low line
      for (size_t i = 0; i < sizeof kSignBytes; ++i)
        if (kSignBytes[i] == b2) return UNTILSIGN + int32_t(i);
      return -1;
    case 0x82:
      if (b2 >= 0x4F && b2 <= 0x58) return b2 - 0x4F + UNTILNUM;  // ０..９
      if (b2 >= 0x60 && b2 <= 0x79) return b2 - 0x60 + 42;        // Ａ..Ｚ
      if (b2 >= 0x9F && b2 <= 0xF1) return b2 - 0x9F + 84;        // ぁ..ん
      return -1;
    case 0x83:
      if (b2 >= 0x40 && b2 <= 0x94) return b2 - 0x40 + 168;  // ァ..ヴ
      return -1;
    case 0x8D:
      return b2 == 0xC4 ? UNTILKANJI : -1;
    default:
      return -1;
  }
}

// The text is read in byte pairs from its start: single-byte characters are
// not part of the font and shift the pairing, so an ASCII text draws nothing
// sensible. Each pair advances two bytes, the full-width space included.
FontGlyphs TextGlyphs(std::string_view sjis) {
  uint8_t buf[FONTMAXBYTES + 1] = {};
  const size_t n = std::min(sjis.size(), FONTMAXBYTES);
  std::memcpy(buf, sjis.data(), n);
  FontGlyphs out;
  for (size_t i = 0; i + 1 < sizeof buf && out.count < FONTMAXGLYPHS; i += 2) {
    const int32_t g = SjisGlyph(buf[i], buf[i + 1]);
    if (g >= 0) out.g[size_t(out.count++)] = int16_t(g);
  }
  return out;
}

TFontDraw::TFontDraw(FontTarget* target, const std::string& tBASEPATH) : AL(target) {
  LoadFontBmp(tBASEPATH);
  NowDDDt_c = 0;
}

TFontDraw::TFontDraw(TAlpha32* tAL, const std::string& tBASEPATH)
    : own_(tAL ? std::make_unique<AL32FontTarget>(tAL) : nullptr) {
  AL = own_.get();
  LoadFontBmp(tBASEPATH);
  NowDDDt_c = 0;
}

TFontDraw::~TFontDraw() {
  if (AL && loaded_) AL->FreeFont();
}

void TFontDraw::LoadFontBmp(const std::string& tBASEPATH) {
  if (AL) loaded_ = AL->LoadFont(tBASEPATH + "bmp\\font.png");
}

void TFontDraw::PutGlyphLT(int32_t g, FontType ft, int32_t x, int32_t y, int32_t z, uint8_t alp,
                           uint32_t col) {
  if (!AL) return;
  const FontCell c = FontGlyphCell(ft, g);
  AL->GlyphLT(c.left, c.top, float(x), float(y), z, alp, col);
}

void TFontDraw::PutGlyphC(int32_t g, FontType ft, int32_t x, int32_t y, int32_t z, uint8_t alp,
                          uint32_t col) {
  if (!AL) return;
  const FontCell c = FontGlyphCell(ft, g);
  AL->GlyphC(c.left, c.top, float(x - CamX), float(y + CamY), z, alp, col);
}

void TFontDraw::FDraw(int32_t x, int32_t y, int32_t z, std::string_view tStr, int32_t Mag,
                      uint8_t alp, uint32_t col, FontType ft) {
  (void)Mag;
  const FontGlyphs gl = TextGlyphs(tStr);
  const int32_t top = y - FH + FP[ft][2];
  for (int32_t i = 0; i < gl.count; ++i)
    PutGlyphLT(gl.g[size_t(i)], ft, x + i * FontStep(ft), top, z, alp, col);
}

void TFontDraw::FNumDraw(int32_t x, int32_t y, int32_t z, int32_t n, uint8_t alp, uint32_t col,
                         FontType ft) {
  const int32_t step = FontStep(ft);
  const int32_t cy = y - FH + FP[ft][2];
  if (n == 0) {
    PutGlyphC(UNTILNUM, ft, x + FP[ft][3], cy, z, alp, col);
    return;
  }
  // The magnitude in 64 bits, so the most negative value has its digits too.
  uint64_t m = n < 0 ? uint64_t(-int64_t(n)) : uint64_t(n);
  int32_t digits[10];
  int32_t nd = 0;
  while (m > 0 && nd < 10) {
    digits[nd++] = int32_t(m % 10);
    m /= 10;
  }
  for (int32_t i = 0; i < nd; ++i)
    PutGlyphC(digits[nd - 1 - i] + UNTILNUM, ft, x + i * step, cy, z, alp, col);
  if (n < 0) PutGlyphC(UNTILSIGN, ft, x - step, cy, z, alp, col);
}

void TFontDraw::FDrawTex(const TALTexture& src, int32_t sx1, int32_t sy1, int32_t sw, int32_t sh,
                         int32_t dx1, int32_t dy1, int32_t Pri, uint8_t alp, uint32_t col,
                         BLENDMODE BM, MirrorFlag Mirror_f, bool NoAsp_f, float MagX, float MagY,
                         RollFlag Roll_f, float r, pVtxColData pVCDt) {
  if (!own_) return;
  own_->AL->DrawTexEx(src, sx1, sy1, sw, sh, float(dx1 - CamX), float(dy1 + CamY), Pri, alp, col,
                      BM, Mirror_f, NoAsp_f, MagX, MagY, Roll_f, r, pVCDt);
}

void TFontDraw::FDamSet(int32_t tx, int32_t ty, int32_t tz, int32_t tDam, bool DB_f) {
  if (tDam <= 0) return;
  const int32_t shift = tDam >= 100 ? -8 : tDam >= 10 ? -4 : 0;
  DamDrawData& d = DDDt[size_t(NowDDDt_c)];
  d.X = tx / 100 + shift;
  d.Y = kDamBaseY - ty / 100 - tz / 100;
  d.dY = 0;
  d.Dam = tDam;
  d.Count = 1;
  d.DB_f = DB_f;
  NowDDDt_c = (NowDDDt_c + 1) % DAMDRAWNUM;
}

void TFontDraw::FDamMove() {
  for (DamDrawData& d : DDDt) {
    if (d.Count == 0) continue;
    if (++d.Count > kDamLife) d.Count = 0;
  }
  FComboDamMove();
}

void TFontDraw::FComboDamMove() {
  for (DamDrawData& d : CDDDt) ++d.dY;
}

void TFontDraw::FDamDraw(int32_t tCamX, int32_t tCamY) {
  CamX = tCamX;
  CamY = tCamY;
  for (const DamDrawData& d : DDDt) {
    if (d.Count == 0) continue;
    const int32_t fade =
        d.Count <= kDamSolidSteps ? 255 : 256 - (d.Count - kDamSolidSteps) * 8;
    const uint8_t alp = uint8_t(std::clamp(fade, 0, 255));
    const int32_t pri = kDamPri - d.Count;
    const int32_t y = d.Y - d.dY / 16;
    if (d.DB_f)
      FNumDraw(d.X, y, pri, d.Dam, 255, kWhite, ftFrame2);
    else
      FNumDraw(d.X, y, pri, d.Dam, alp, kWhite, ftFrame1);
  }
}

void TFontDraw::ClearDam() {
  NowDDDt_c = 0;
  DDDt.fill(DamDrawData{});
  CDDDt.fill(DamDrawData{});
}

// ---- drawing through the renderer ------------------------------------------

// Keyed on the sheet's left-top pixel, no mirrored copy; a missing or damaged
// picture raises the renderer's error flag.
bool AL32FontTarget::LoadFont(const std::string& FileName) {
  return AL->LoadTexture(txfont, FileName);
}

void AL32FontTarget::FreeFont() { AL->FreeTexture(txfont); }

void AL32FontTarget::GlyphLT(int32_t sx, int32_t sy, float dx, float dy, int32_t Pri,
                             uint8_t alp, uint32_t col) {
  AL->DrawTexLTEx(txfont, sx, sy, FW, FH, dx, dy, Pri, alp, col, BM_NORMAL, mirNone, false, 1.0f,
                  1.0f, r0, 0.0f, nullptr);
}

void AL32FontTarget::GlyphC(int32_t sx, int32_t sy, float dx, float dy, int32_t Pri, uint8_t alp,
                            uint32_t col) {
  AL->DrawTexEx(txfont, sx, sy, FW, FH, dx, dy, Pri, alp, col, BM_NORMAL, mirNone, false, 1.0f,
                1.0f, r0, 0.0f, nullptr);
}
