// The text texture TAnti_DelX.
#include <algorithm>

#include "graphics/ALAddLib.h"
#include "graphics/dddd.h"
#include "platform/Pictures.h"
#include "platform/SystemFont.h"

namespace {

constexpr int32_t kTile = 256;
constexpr uint32_t kSurfaceDescSize = 124;
// "ＭＳ Ｐゴシック" and "ＭＳ ゴシック"
const char* const kCanvasFont = "\x82l\x82r \x82o\x83S\x83V\x83" "b\x83N";
const char* const kTextFace = "\x82l\x82r \x83S\x83V\x83" "b\x83N";

// One channel of a 0x00BBGGRR colour.
uint32_t Channel(int32_t c, int shift) { return uint32_t(c) >> shift & 0xFF; }

// The write colour at a place of the line: the start colour, or with a
// gradation the mix from start to end along the line's cell.
int32_t WriteColour(const TTxWriteSt& st, int32_t along, int32_t length) {
  if (!st.Grd_f || length <= 1) return st.SCol;
  const int32_t t = std::clamp(along, 0, length - 1);
  int32_t out = 0;
  for (int s = 0; s < 24; s += 8) {
    const int32_t a = int32_t(Channel(st.SCol, s)), b = int32_t(Channel(st.ECol, s));
    out |= (a + (b - a) * t / (length - 1)) << s;
  }
  return out;
}

}  // namespace

std::string TextTextureName(const std::string& tUse) {
  // ﾃｷｽﾄ描画用(
  return std::string("\xC3\xB7\xBD\xC4\x95`\x89\xE6\x97p(") + tUse + ")";
}

TAnti_DelX::TAnti_DelX(TAlpha32* tAL, const std::string& tUse, int32_t tNUM1LINE,
                       int32_t tENDLINE, int32_t tTXPGX, int32_t tTXPGY)
    : AL(tAL) {
  TXPGX = std::max(tTXPGX, 0);
  TXPGY = std::max(tTXPGY, 0);
  TX_W = (TXPGX + 1) * kTile;
  TX_H = (TXPGY + 1) * kTile;
  tddsd.assign(size_t(TXPGX + 1), std::vector<TAnti_DelXTileDesc>(size_t(TXPGY + 1)));
  P1.assign(size_t(TXPGX + 1), nullptr);
  P16.assign(size_t(TXPGX + 1), nullptr);

  if (AL) {
    AL->MakeEmptyTexture(txt, TextTextureName(tUse), kTile, TXPGX, TXPGY);
    txt.Mag = 1;  // text is not scaled by the display scale
  }
  NUM1LINE = tNUM1LINE;
  ENDLINE = tENDLINE;

  FBmp = std::make_unique<plat::Bitmap>();
  FBmp->SetPixelFormat(plat::PixelFormat::pf32bit);
  FBmp->SetSize(TX_W, TX_H);
  FBmp->GetCanvas().BrushColor = 0;
  FBmpFont = {kCanvasFont, 0xFFFFFF};

  fQuality = QNormal;
  SetPram(22, 10, 1, 10, true);
  fFace = kTextFace;

  ClearBitmap();
  if (AL) {
    AL->BitmapToTexture(txt, FBmp.get(), ALRect{0, 0, TX_W, TX_H}, ckNone, nullptr, true);
    for (size_t c = 0; c < txt.Texture.size(); ++c)
      for (size_t r = 0; r < txt.Texture[c].size(); ++r)
        if (TDDDDGenSurface* t = txt.Texture[c][r]; t && t->D3DFormat() != A8R8G8B8)
          t->setColorKey(0);
  }
  for (auto& column : tddsd)
    for (TAnti_DelXTileDesc& d : column) d.dwSize = kSurfaceDescSize;

  SetDSt(false, 0xFFFFFF, 255, 0xFFFFFF, 255);
  SetWSt(0xFFFFFF, 255, nullptr);
}

TAnti_DelX::~TAnti_DelX() {
  FBmp.reset();
  if (AL) AL->FreeTexture(txt);
}

void TAnti_DelX::SetPram(int32_t Size, int32_t RbSize, int32_t SpLetter, int32_t SpLine,
                         bool Default_f) {
  fSize = Size;
  fRSize = RbSize;
  fSpLetter = SpLetter;
  fSpLine = SpLine;
  fWidth = Size + SpLetter;
  fHeight = Size + SpLine;
  if (Default_f) fSizeDf = Size;
}

void TAnti_DelX::SetWSt(int32_t Col, uint8_t Alp, PTxWriteSt pWSt) {
  TTxWriteSt& st = pWSt ? *pWSt : DefWSt;
  st.SCol = st.ECol = Col;
  st.Alp = Alp;
  st.GDir = gdVertical;
  st.Grd_f = false;
}

void TAnti_DelX::SetDSt(bool Mod_f, int32_t Col, uint8_t Alp, int32_t sCol, uint8_t sAlp) {
  DefDSt = {Col, Alp, sCol, sAlp, Mod_f};
}

void TAnti_DelX::SetSentence(int32_t i, std::string_view sjis) {
  if (i < 0 || i > MAXSENTENCE) return;
  Sentence[size_t(i)] = std::string(sjis);
  fSentence_c[size_t(i)] = 0;
  MaxLine = std::max(MaxLine, i + 1);
}

void TAnti_DelX::ClearBitmap() { FBmp->GetCanvas().FillRect({0, 0, TX_W, TX_H}); }

bool TAnti_DelX::UpdateTexture() {
  ClearBitmap();
  plat::FontRenderer& font = plat::CurrentFontRenderer();
  bool drawn = true;
  for (int32_t i = 0; i < MaxLine && drawn; ++i) {
    if (Sentence[size_t(i)].empty()) continue;
    plat::TextCoverage cov;
    if (!font.Render(fFace, fSize, fQuality != QNoAA, fSpLetter, Sentence[size_t(i)], cov)) {
      drawn = false;
      break;
    }
    const int32_t top = i * fHeight;
    const bool across = DefWSt.GDir == gdHorizontal;
    for (int32_t y = 0; y < cov.Height && top + y < TX_H; ++y)
      for (int32_t x = 0; x < cov.Width && x < TX_W; ++x) {
        const uint32_t c = cov.At(x, y);
        if (c == 0) continue;
        const int32_t col = across ? WriteColour(DefWSt, x, cov.Width) : WriteColour(DefWSt, y, cov.Height);
        const uint32_t k = c * DefWSt.Alp;  // up to 255 x 255
        const uint32_t r = Channel(col, 0) * k / 65025, g = Channel(col, 8) * k / 65025,
                       b = Channel(col, 16) * k / 65025;
        uint32_t& px = FBmp->Pixel(x, top + y);
        px = std::max(px >> 16 & 0xFF, r) << 16 | std::max(px >> 8 & 0xFF, g) << 8 |
             std::max(px & 0xFF, b);
      }
  }
  if (!drawn) {
    ClearBitmap();
    if (AL) AL->AL32_DebugMessage("TAnti_DelX: No System Font");
  }
  if (!AL || !txt.HasTiles()) return false;
  AL->BitmapToTexture(txt, FBmp.get(), ALRect{0, 0, TX_W, TX_H}, ckNone, nullptr, true);
  return drawn;
}
