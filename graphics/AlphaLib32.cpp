// The sprite renderer: the render list, corner tables, both draw passes, the
// device state cache and the logs.
#include "graphics/AlphaLib32.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>

#include "files/ProcCounter.h"
#include "graphics/dddd.h"
#include "platform/DebugLog.h"
#include "platform/Files.h"
#include "platform/SoftD3D.h"

namespace d3d = plat::d3d;
namespace dd = plat::dd;

bool AL32_DebugMode = false;  // the shell switches it with its log setting
int32_t AL32_DebugCount = 0;

namespace {

// The display's own 3D device, looked up on every call: a mode change
// rebuilds it.
class DisplayDevice3D final : public AL32Device {
 public:
  explicit DisplayDevice3D(TDDDD* qd) : qd_(qd) {}
  void SetViewport(const d3d::Viewport& vp) override {
    if (auto* d = qd_->D3DDevice()) d->SetViewport(vp);
  }
  void Clear(const plat::DdRect& rect, uint32_t flags, uint32_t argb) override {
    if (auto* d = qd_->D3DDevice()) d->Clear(1, &rect, flags, argb, 1.0f, 0);
  }
  void BeginScene() override {
    if (auto* d = qd_->D3DDevice()) d->BeginScene();
  }
  void EndScene() override {
    if (auto* d = qd_->D3DDevice()) d->EndScene();
  }
  void SetTexture(plat::SoftSurface* tex) override {
    if (auto* d = qd_->D3DDevice()) d->SetTexture(0, tex);
  }
  void SetRenderState(d3d::RenderState s, uint32_t v) override {
    if (auto* d = qd_->D3DDevice()) d->SetRenderState(s, v);
  }
  void SetTextureStageState(d3d::StageState s, uint32_t v) override {
    if (auto* d = qd_->D3DDevice()) d->SetTextureStageState(0, s, v);
  }
  void DrawFan(const d3d::TLVertex* v4) override {
    if (auto* d = qd_->D3DDevice())
      d->DrawPrimitive(d3d::Primitive::TriangleFan, d3d::kFvfTLVertex, v4, 4, 0);
  }

 private:
  TDDDD* qd_;
};

void Reverse(Vertex4& v) {
  std::swap(v.xx[0], v.xx[3]);
  std::swap(v.xx[1], v.xx[2]);
  std::swap(v.yy[0], v.yy[3]);
  std::swap(v.yy[1], v.yy[2]);
}

bool HalfTurn(RollFlag r) { return r == r180 || r == r270 || r == r270LT; }

// Turns the corners by a turns (clockwise on screen) and moves them to (x, y).
void TurnAndMove(Vertex4& v, float turns, float x, float y) {
  const float a = PI2 * turns, c = std::cos(a), s = std::sin(a);
  for (int k = 0; k < 4; ++k) {
    const float px = v.xx[k], py = v.yy[k];
    v.xx[k] = c * px - s * py + x;
    v.yy[k] = s * px + c * py + y;
  }
}

}  // namespace

// ---- helpers --------------------------------------------------------------
uint32_t _ARGB(uint32_t aa, uint32_t rr, uint32_t gg, uint32_t bb) {
  return (aa << 24) | (rr << 16) | (gg << 8) | bb;
}

uint32_t _BlendARGB(uint32_t Col1, uint32_t Col2, int32_t alp) {
  const uint32_t a = uint32_t(std::clamp(alp, 0, 255));
  auto ch = [&](int shift) {
    const uint32_t c1 = (Col1 >> shift) & 0xFF, c2 = (Col2 >> shift) & 0xFF;
    return (c1 * (255 - a) + c2 * a) >> 8;
  };
  return _ARGB(ch(24), ch(16), ch(8), ch(0));
}

int32_t RoundHalfEven(float v) {
  const double x = v;
  const double f = std::floor(x);
  const double diff = x - f;
  double r;
  if (diff > 0.5) r = f + 1;
  else if (diff < 0.5) r = f;
  else r = std::fmod(f, 2.0) == 0 ? f : f + 1;
  if (!(r > -2147483648.0)) return INT32_MIN;  // also NaN
  if (r > 2147483647.0) return INT32_MAX;
  return int32_t(r);
}

AL32BlendState BlendStateFor(uint32_t bm, bool alphaTexture) {
  AL32BlendState s;
  s.SrcBlend = s.DestBlend = plat::d3d::kBlendOne;
  s.ColorOp = plat::d3d::kOpModulate;
  auto set = [&](uint32_t src, uint32_t dst, uint32_t op, bool toward, uint32_t base) {
    s.SrcBlend = src;
    s.DestBlend = dst;
    s.ColorOp = op;
    s.Toward = toward;
    s.Base = base;
  };
  using namespace plat::d3d;
  switch (bm) {
    case BM_NORMAL: set(kBlendSrcAlpha, kBlendInvSrcAlpha, kOpModulate, false, 0); break;
    case BM_ADD: set(kBlendSrcAlpha, kBlendOne, kOpModulate, true, 0x00000000); break;
    case BM_MODULATE: set(kBlendDestColor, kBlendZero, kOpAdd, true, 0xFFFFFFFF); break;
    case BM_SUB: set(kBlendZero, kBlendInvSrcColor, kOpModulate, true, 0xFF000000); break;
    case BM_FLASH: set(kBlendSrcAlpha, kBlendInvSrcAlpha, kOpAdd, false, 0); break;
    case BM_NOT: set(kBlendInvDestColor, kBlendInvSrcColor, kOpModulate, true, 0xFF000000); break;
    case BM_SUBADD: set(kBlendOne, kBlendInvSrcColor, kOpModulate, true, 0xFF000000); break;
    case BM_DIV: set(kBlendDestColor, kBlendOne, kOpModulate, true, 0xFF000000); break;
    case BM_COPY: set(kBlendOne, kBlendZero, kOpModulate, alphaTexture, 0xFF000000); break;
    case BM_16TW1:
      if (alphaTexture) set(kBlendSrcAlpha, kBlendInvSrcAlpha, kOpModulate, true, 0);
      else set(kBlendOne, kBlendInvSrcColor, kOpModulate, true, 0);
      break;
    case BM_16TW2:
      set(kBlendZero, kBlendInvSrcColor, kOpModulate, true, 0);
      s.Draw = !alphaTexture;
      break;
    default: s.Draw = false; break;  // BM_NONE and anything unknown
  }
  return s;
}

// ---- corner generators ----------------------------------------------------
// The four corners of a quad, x then y, in the device's corner order.
Vertex4 Corners(float x0, float x1, float x2, float x3, float y0, float y1, float y2, float y3) {
  return Vertex4{{x0, x1, x2, x3}, {y0, y1, y2, y3}};
}

Vertex4 SetRoll(float x, float y, float w, float h, RollFlag r, bool d3dPath) {
  Vertex4 v;
  auto put = [&v](float x0, float x1, float x2, float x3, float y0, float y1, float y2, float y3) {
    v = Corners(x0, x1, x2, x3, y0, y1, y2, y3);
  };
  switch (r) {
    case r90:
    case r270: put(x + h, x + h, x - h, x - h, y - w, y + w, y - w, y + w); break;
    case r90LT:
    case r270LT: {
      const float l = x - w, t = y - h;
      put(l + 2 * h, l + 2 * h, l, l, t, t + 2 * w, t, t + 2 * w);
      break;
    }
    case rFree: put(-w, w, -w, w, -h, -h, h, h); break;
    default: put(x - w, x + w, x - w, x + w, y - h, y - h, y + h, y + h); break;
  }
  if (d3dPath && HalfTurn(r)) Reverse(v);
  return v;
}

Vertex4 SetRollLT(float x, float y, float w, float h, RollFlag r, bool d3dPath) {
  Vertex4 v;
  auto put = [&v](float x0, float x1, float x2, float x3, float y0, float y1, float y2, float y3) {
    v = Corners(x0, x1, x2, x3, y0, y1, y2, y3);
  };
  switch (r) {
    case r90:
    case r270:
    case r90LT:
    case r270LT: put(x + h, x + h, x, x, y, y + w, y, y + w); break;
    case rFree: put(0, w, 0, w, 0, 0, h, h); break;
    default: put(x, x + w, x, x + w, y, y, y + h, y + h); break;
  }
  if (d3dPath && HalfTurn(r)) Reverse(v);
  return v;
}

Vertex4 SetMirror(const Vertex4& tv, MirrorFlag m, RollFlag r) {
  Vertex4 v = tv;
  const bool quarter = r == r90 || r == r270 || r == r90LT || r == r270LT;
  if (m == mirLR || m == mirUDLR) {
    if (quarter) {
      v.xx[0] = tv.xx[2], v.xx[1] = tv.xx[3], v.xx[2] = tv.xx[0], v.xx[3] = tv.xx[1];
    } else {
      v.xx[0] = tv.xx[1], v.xx[1] = tv.xx[0], v.xx[2] = tv.xx[3], v.xx[3] = tv.xx[2];
    }
  }
  if (m == mirUD || m == mirUDLR) {
    if (quarter) {
      v.yy[0] = tv.yy[1], v.yy[1] = tv.yy[0], v.yy[2] = tv.yy[3], v.yy[3] = tv.yy[2];
    } else {
      v.yy[0] = tv.yy[2], v.yy[1] = tv.yy[3], v.yy[2] = tv.yy[0], v.yy[3] = tv.yy[1];
    }
  }
  return v;
}

// ---- creation and teardown ------------------------------------------------
TAlpha32::TAlpha32(TDDDD* tQD, TProcCounter* tPC, bool UseDDraw_f, bool TrueColTex_f,
                   int32_t tMag, int32_t count)
    : QD(tQD),
      PC(tPC),
      ALMag(tMag < 1 ? 1 : tMag),
      ALPHATEXTURE(TrueColTex_f),
      MaxCount(count < 0 ? 0 : uint32_t(count)),
      FDDraw_f(UseDDraw_f) {
  AL32_DebugMessage("\x81\xA5\x81@Create" /* ▼　Create */);
  AL32_DebugMessage("\x81" "EAlpha32\x82\xF0\x90\xB6\x90\xAC\x82\xB5\x82\xDC\x82\xB7" /* ・Alpha32を生成します */);
  DD.resize(MaxCount);
  SS.resize(MaxCount);
  SortKeys.resize(MaxCount);
  SortSpare.resize(MaxCount);
  if (!FDDraw_f && QD) {
    FOwnDevice = std::make_unique<DisplayDevice3D>(QD);
    FDevice = FOwnDevice.get();
    // The viewport covers the back buffer.
    if (TDDDDGenSurface* bb = QD->BackBuffer()) {
      d3d::Viewport vp;
      vp.width = uint32_t(bb->Width());
      vp.height = uint32_t(bb->Height());
      vp.minZ = 1.0e-7f;
      vp.maxZ = 1.0f;
      FDevice->SetViewport(vp);
    }
    Clear(0, true);
  }
  DrawOrder = 0;
  D3DSetTexture(nullptr, true);
  D3DSetScene(false, true);
  D3DSetSrcBlend(d3d::kBlendOne, true);
  D3DSetDestBlend(d3d::kBlendOne, true);
  D3DSetTextureOP(d3d::kOpModulate, true);
  AL32_DebugMessage("\x81@\x81" "E\x96\xB3\x8E\x96\x90\xB6\x90\xAC" /* 　・無事生成 */);
}

TAlpha32::~TAlpha32() {
  AL32_DebugMessage("\x81\xA5\x81@Destroy" /* ▼　Destroy */);
  AL32_DebugMessage("\x81" "EAlpha32\x82\xF0\x89\xF0\x95\xFA\x82\xB5\x82\xDC\x82\xB7" /* ・Alpha32を解放します */);
  for (uint32_t i = 0; i < DrawOrder; ++i) DD[i].Empty = false;
  DrawOrder = 0;
  TextureListFree();
  PalListClear();
  AL32_DebugMessage("\x81@\x81@\x81" "E\x96\xB3\x8E\x96\x89\xF0\x95\xFA" /* 　　・無事解放 */);
  AL32_DebugMessage("\xC9\xBC" /* ﾉｼ */);
}

void TAlpha32::SetDevice(AL32Device* dev) {
  if (dev) {
    FDevice = dev;
  } else {
    FDevice = FOwnDevice.get();
  }
}

// ---- per frame -------------------------------------------------------------
void TAlpha32::Clear(uint32_t col, bool ZClear_f) {
  if (FDDraw_f) {
    if (QD) QD->Clear();  // the display's own background colour
    return;
  }
  if (!FDevice || !QD || !QD->BackBuffer()) return;
  plat::DdRect r{0, 0, QD->BackBuffer()->Width(), QD->BackBuffer()->Height()};
  FDevice->Clear(r, d3d::kClearTarget | (ZClear_f ? d3d::kClearZBuffer : 0), col);
}

bool TAlpha32::CheckALTex(const TALTexture&, int32_t, int32_t, int32_t, int32_t) const {
  return false;
}

void TAlpha32::DrawTex(const TALTexture& src, int32_t sx1, int32_t sy1, int32_t sw, int32_t sh,
                       int32_t dx1, int32_t dy1, int32_t Pri, uint8_t alp, uint32_t col,
                       BLENDMODE BM, MirrorFlag Mirror_f, bool NoAsp_f) {
  DrawTexEx(src, sx1, sy1, sw, sh, float(dx1), float(dy1), Pri, alp, col, BM, Mirror_f, NoAsp_f,
            1.0f, 1.0f, r0, 0.0f, nullptr);
}

void TAlpha32::DrawTexLT(const TALTexture& src, int32_t sx1, int32_t sy1, int32_t sw, int32_t sh,
                         float dx1, float dy1, int32_t Pri, uint8_t alp, uint32_t col,
                         BLENDMODE BM, MirrorFlag Mirror_f, bool NoAsp_f) {
  DrawTexEx(src, sx1, sy1, sw, sh, dx1 + float(sw) / 2.0f, dy1 + float(sh) / 2.0f, Pri, alp, col,
            BM, Mirror_f, NoAsp_f, 1.0f, 1.0f, r0, 0.0f, nullptr);
}

void TAlpha32::DrawTexLTEx(const TALTexture& src, int32_t sx1, int32_t sy1, int32_t sw,
                           int32_t sh, float dx1, float dy1, int32_t Pri, uint8_t alp,
                           uint32_t col, BLENDMODE BM, MirrorFlag Mirror_f, bool NoAsp_f,
                           float MagX, float MagY, RollFlag Roll_f, float r, pVtxColData pVCDt) {
  DrawTexEx(src, sx1, sy1, sw, sh, dx1 + float(sw) * MagX / 2.0f, dy1 + float(sh) * MagY / 2.0f,
            Pri, alp, col, BM, Mirror_f, NoAsp_f, MagX, MagY, Roll_f, r, pVCDt);
}

void TAlpha32::DrawTexEx(const TALTexture& src, int32_t sx1, int32_t sy1, int32_t sw, int32_t sh,
                         float dx1, float dy1, int32_t Pri, uint8_t alp, uint32_t col,
                         BLENDMODE BM, MirrorFlag Mirror_f, bool NoAsp_f, float MagX,
                         float MagY, RollFlag Roll_f, float r, pVtxColData pVCDt) {
  if (CheckALTex(src, sx1, sy1, sw, sh)) return;
  // A texture without tiles (never loaded, freed, or failed) draws nothing.
  if (src.ALSt == alsNil || !src.HasTiles()) return;
  const bool d3dPath = !FDDraw_f;
  const uint32_t argb = (uint32_t(alp) << 24) | col;
  const float m = float(src.Mag);
  const float X = m * dx1, Y = m * dy1;
  const float w = float(sw) / 2.0f * m * MagX, h = float(sh) / 2.0f * m * MagY;
  const int32_t sx2 = sx1 + sw, sy2 = sy1 + sh;

  if (src.pgX == 0 && src.pgY == 0) {
    Vertex4 V = SetRoll(X, Y, w, h, Roll_f, d3dPath);
    TDDDDGenSurface* surf = src.Texture[0][0];
    float l = float(sx1), t = float(sy1), rr = float(sx2), b = float(sy2);
    uint32_t fx = 0;
    if (!d3dPath) {
      const float M = float(ALMag);
      l *= M, t *= M, rr *= M, b *= M;
      if (Mirror_f == mirLR) {
        if (src.DDLRTexture) {
          surf = src.DDLRTexture;
          const float W = float(surf->Width());
          const float nl = W - rr, nr = W - l;
          l = nl, rr = nr;
        } else {
          // No mirrored copy was made: the blit mirrors tile [0][0] itself.
          fx = dd::kFxMirrorLeftRight;
        }
      }
    } else {
      if (Roll_f == rFree) TurnAndMove(V, r, X, Y);
      V = SetMirror(V, Mirror_f, Roll_f);
    }
    if (TDRAWDATA* e = Queue(surf, l, t, rr, t, l, b, rr, b, V, argb, BM, uint32_t(Pri), pVCDt,
                             NoAsp_f))
      e->dwDDFX = fx;
    return;
  }

  // Several tiles: one entry per covered tile, placed edge to edge.
  const int32_t tx1 = sx1 / MAXTEXSIZE, tx2 = (sx2 - 1) / MAXTEXSIZE;
  const int32_t ty1 = sy1 / MAXTEXSIZE, ty2 = (sy2 - 1) / MAXTEXSIZE;
  const float L = std::trunc(X - w), T = std::trunc(Y - h);
  float x = L;
  for (int32_t ix = tx1; ix <= tx2; ++ix) {
    float y = T, width = 0;
    for (int32_t iy = ty1; iy <= ty2; ++iy) {
      const int32_t left = ix == tx1 ? sx1 % MAXTEXSIZE : 0;
      const int32_t right = ix == tx2 ? (sx2 - 1) % MAXTEXSIZE + 1 : MAXTEXSIZE;
      const int32_t top = iy == ty1 ? sy1 % MAXTEXSIZE : 0;
      const int32_t bottom = iy == ty2 ? (sy2 - 1) % MAXTEXSIZE + 1 : MAXTEXSIZE;
      width = float(right - left) * m * MagX;
      const float height = float(bottom - top) * m * MagY;
      Vertex4 V = SetRollLT(x, y, width, height, Roll_f, d3dPath);
      if (d3dPath) {
        if (Roll_f == rFree) TurnAndMove(V, r, x, y);
        V = SetMirror(V, Mirror_f, Roll_f);
      }
      if (TDDDDGenSurface* tile = src.Tile(ix, iy)) {
        Queue(tile, float(left), float(top), float(right), float(top), float(left), float(bottom),
              float(right), float(bottom), V, argb, BM, uint32_t(Pri), pVCDt, NoAsp_f);
      }
      y += height;
    }
    x += width;
  }
}

void TAlpha32::DrawNoTex(int32_t sw, int32_t sh, int32_t dx1, int32_t dy1, int32_t Pri,
                         uint8_t alp, uint32_t col, BLENDMODE BM, MirrorFlag, bool NoAsp_f,
                         pVtxColData) {
  if (FDDraw_f) return;  // blits cannot draw a plain quad
  const float M = float(ALMag);
  const float w = float(sw) * M / 2.0f, h = float(sh) * M / 2.0f;
  const float X = float(dx1) * M, Y = float(dy1) * M;
  const uint32_t argb = (uint32_t(alp) << 24) | col;
  DrawPoly(nullptr, 0, 0, 0, 0, 0, 0, 0, 0, X - w, Y - h, X + w, Y - h, X - w, Y + h, X + w, Y + h,
           argb, BM, uint32_t(Pri), nullptr, NoAsp_f);
}

void TAlpha32::DrawPoly(TDDDDGenSurface* src, float sx1, float sy1, float sx2, float sy2,
                        float sx3, float sy3, float sx4, float sy4, float dx1, float dy1,
                        float dx2, float dy2, float dx3, float dy3, float dx4, float dy4,
                        uint32_t col, BLENDMODE BM, uint32_t pri, pVtxColData pVCDt,
                        bool NoAsp_f) {
  Vertex4 V;
  V.xx[0] = dx1, V.xx[1] = dx2, V.xx[2] = dx3, V.xx[3] = dx4;
  V.yy[0] = dy1, V.yy[1] = dy2, V.yy[2] = dy3, V.yy[3] = dy4;
  Queue(src, sx1, sy1, sx2, sy2, sx3, sy3, sx4, sy4, V, col, BM, pri, pVCDt, NoAsp_f);
}

TDRAWDATA* TAlpha32::Queue(TDDDDGenSurface* src, float sx1, float sy1, float sx2, float sy2,
                           float sx3, float sy3, float sx4, float sy4, const Vertex4& V,
                           uint32_t col, uint32_t BM, uint32_t pri, pVtxColData pVCDt,
                           bool NoAsp_f) {
  if (DrawOrder >= MaxCount) {  // the list is full: the draw is dropped
    ++FDropped;
    return nullptr;
  }
  // The sort key: priority first, then the queue position.
  SortKeys[DrawOrder] = uint64_t(pri) << 32 | DrawOrder;
  TDRAWDATA& e = DD[DrawOrder++];
  e.Empty = true;
  e.Tex = src;
  e.Color = col;
  e.BM = BM;
  e.Pri = pri;
  e.dwDDFX = 0;
  e.sx[0] = sx1, e.sx[1] = sx2, e.sx[2] = sx3, e.sx[3] = sx4;
  e.sy[0] = sy1, e.sy[1] = sy2, e.sy[2] = sy3, e.sy[3] = sy4;
  e.VtxCol_f = false;
  if (!FDDraw_f) {
    if (pVCDt) {
      e.VtxCol_f = true;
      const uint32_t A = col >> 24, R = (col >> 16) & 0xFF, G = (col >> 8) & 0xFF, B = col & 0xFF;
      for (int k = 0; k < 4; ++k) {
        e.VtxCol[k] = _ARGB((A * pVCDt->VtxA[k]) >> 8, (R * pVCDt->VtxR[k]) >> 8,
                            (G * pVCDt->VtxG[k]) >> 8, (B * pVCDt->VtxB[k]) >> 8);
      }
    } else {
      for (uint32_t& c : e.VtxCol) c = col;
    }
    // Texel inset toward the centroid keeps point sampling off tile edges.
    const float cx = (e.sx[0] + e.sx[1] + e.sx[2] + e.sx[3]) / 4.0f;
    const float cy = (e.sy[0] + e.sy[1] + e.sy[2] + e.sy[3]) / 4.0f;
    const float fix = LINEARFILTER ? LINEARTEXELFIX : POINTTEXELFIX;
    for (int k = 0; k < 4; ++k) {
      e.sx[k] += cx > e.sx[k] ? fix : -fix;
      e.sy[k] += cy > e.sy[k] ? fix : -fix;
    }
  } else {
    for (uint32_t& c : e.VtxCol) c = col;
  }
  const float s = NoAsp_f ? 1.0f : Aspect;
  for (int k = 0; k < 4; ++k) {
    e.dx[k] = (V.xx[k] - aspcX) * s + aspcX;
    e.dy[k] = (V.yy[k] - aspcY) * s + aspcY;
  }
  return &e;
}

// The keys written when the entries were queued, sorted by priority (their top
// 32 bits) a byte at a time: each pass is stable, so ties keep their queue
// order, and the sort moves 8-byte keys, never whole entries.
void TAlpha32::SortList() {
  const uint32_t n = DrawOrder;
  if (n == 0) return;
  uint64_t* from = SortKeys.data();
  uint64_t* to = SortSpare.data();
  for (int shift = 32; shift < 64; shift += 8) {
    uint32_t start[257] = {};
    for (uint32_t i = 0; i < n; ++i) ++start[((from[i] >> shift) & 0xFF) + 1];
    if (start[((from[0] >> shift) & 0xFF) + 1] == n) continue;  // one byte value: no move
    for (int d = 0; d < 256; ++d) start[d + 1] += start[d];
    for (uint32_t i = 0; i < n; ++i) to[start[(from[i] >> shift) & 0xFF]++] = from[i];
    std::swap(from, to);
  }
  for (uint32_t i = 0; i < n; ++i) SS[i] = int32_t(uint32_t(from[i]));
}

void TAlpha32::Rendering() {
  if (FDDraw_f) RenderingDD();
  else RenderingD3D();
  // The caption's alert tells about draws dropped this frame.
  if (FDropped > 0) {
    FAlertMsg = "Render list full: " + std::to_string(FDropped) + " draws dropped";
    AL32_DebugMessage("\x95`\x89\xE6\x83\x8A\x83X\x83g\x82\xAA\x88\xEA\x94t\x82\xC5\x82\xB7" /* 描画リストが一杯です */ +
                      std::string(" (") + std::to_string(FDropped) + ")");
    FDroppedAlert = true;
    FDropped = 0;
  } else if (FDroppedAlert) {
    FAlertMsg.clear();
    FDroppedAlert = false;
  }
}

// A left-right mirrored blit cut by the left edge loses the right end of its
// source, and the other way round: cut here, so the blit gets rectangles that
// lie inside the back buffer's clip. The source is cut as a stored mirrored
// copy's would be by the blit's own clipping, so both draws keep the same
// columns. False when nothing is left to draw.
bool TAlpha32::ClipMirrored(plat::DdRect& dr, plat::DdRect& sr) const {
  TDDDDGenSurface* bb = QD ? QD->BackBuffer() : nullptr;
  if (!bb) return false;
  if (dr.left > dr.right) std::swap(dr.left, dr.right);
  if (dr.top > dr.bottom) std::swap(dr.top, dr.bottom);
  if (sr.left > sr.right) std::swap(sr.left, sr.right);
  if (sr.top > sr.bottom) std::swap(sr.top, sr.bottom);
  plat::DdRect cr = bb->Clipping ? bb->ClipRect : plat::DdRect{0, 0, bb->Width(), bb->Height()};
  if (cr.left > cr.right) std::swap(cr.left, cr.right);
  if (cr.top > cr.bottom) std::swap(cr.top, cr.bottom);
  const int64_t sw = int64_t(sr.right) - sr.left;
  if (sw <= 0 || sw > INT32_MAX || sr.top >= sr.bottom) return false;
  // In the copy, column m counts from the source's right end.
  int32_t m0 = 0, m1 = int32_t(sw);
  if (!ClipSpan(dr.left, dr.right, m0, m1, cr.left, cr.right) ||
      !ClipSpan(dr.top, dr.bottom, sr.top, sr.bottom, cr.top, cr.bottom))
    return false;
  sr.left = sr.right - m1;
  sr.right -= m0;
  return sr.left < sr.right && sr.top < sr.bottom;
}

void TAlpha32::RenderingDD() {
  if (DrawOrder == 0) return;
  SortList();
  for (uint32_t i = 0; i < DrawOrder; ++i) {
    TDRAWDATA& e = DD[SS[i]];
    if (!e.Empty) continue;
    e.Empty = false;
    if (!QD || !e.Tex) continue;
    plat::DdRect sr{RoundHalfEven(e.sx[0]), RoundHalfEven(e.sy[0]), RoundHalfEven(e.sx[3]),
                    RoundHalfEven(e.sy[3])};
    plat::DdRect dr{RoundHalfEven(e.dx[0]), RoundHalfEven(e.dy[0]), RoundHalfEven(e.dx[3]),
                    RoundHalfEven(e.dy[3])};
    plat::DdBltFx fx;
    fx.ddfx = e.dwDDFX;
    if ((fx.ddfx & dd::kFxMirrorLeftRight) && !ClipMirrored(dr, sr)) continue;
    e.Tex->Put(dr, sr, dd::kBltWait | dd::kBltKeySrc | dd::kBltDDFX, fx);
  }
  DrawOrder = 0;
}

void TAlpha32::RenderingD3D() {
  if (DrawOrder == 0) {
    D3DSetScene(false, true);
    return;
  }
  using RS = d3d::RenderState;
  using TS = d3d::StageState;
  if (AL32Device* dev = FDevice) {
    dev->SetRenderState(RS::SpecularEnable, 0);
    dev->SetRenderState(RS::ZWriteEnable, 0);
    dev->SetRenderState(RS::CullMode, d3d::kCullNone);
    dev->SetRenderState(RS::Lighting, 0);
    const uint32_t filter = LINEARFILTER ? d3d::kFilterLinear : d3d::kFilterPoint;
    dev->SetTextureStageState(TS::MinFilter, filter);
    dev->SetTextureStageState(TS::MagFilter, filter);
    dev->SetTextureStageState(TS::MipFilter, d3d::kFilterNone);
    dev->SetRenderState(RS::DitherEnable, 0);
    dev->SetRenderState(RS::AlphaBlendEnable, 1);
    dev->SetTextureStageState(TS::Address, d3d::kAddressWrap);
    dev->SetTextureStageState(TS::ColorArg1, d3d::kArgTexture);
    dev->SetTextureStageState(TS::ColorArg2, d3d::kArgDiffuse);
    dev->SetTextureStageState(TS::ColorOp, d3d::kOpModulate);
    if (ALPHATEXTURE) {
      dev->SetRenderState(RS::ColorKeyEnable, 0);
      dev->SetTextureStageState(TS::AlphaArg1, d3d::kArgTexture);
      dev->SetTextureStageState(TS::AlphaArg2, d3d::kArgDiffuse);
      dev->SetTextureStageState(TS::AlphaOp, d3d::kOpModulate);
    } else {
      dev->SetRenderState(RS::ColorKeyEnable, 1);
      dev->SetTextureStageState(TS::AlphaArg1, d3d::kArgDiffuse);
      dev->SetTextureStageState(TS::AlphaArg2, d3d::kArgDiffuse);
      dev->SetTextureStageState(TS::AlphaOp, d3d::kOpSelectArg1);
    }
  }
  SortList();
  D3DSetSrcBlend(d3d::kBlendOne, true);
  D3DSetDestBlend(d3d::kBlendOne, true);
  D3DSetTextureOP(d3d::kOpModulate, true);
  D3DSetTexture(nullptr, true);

  for (uint32_t i = 0; i < DrawOrder; ++i) {
    TDRAWDATA& e = DD[SS[i]];
    if (!e.Empty) continue;
    e.Empty = false;
    const AL32BlendState bs = BlendStateFor(e.BM, ALPHATEXTURE);
    if (!bs.Draw) continue;
    d3d::TLVertex v[4];
    const float tw = e.Tex ? float(e.Tex->Width()) : 256.0f;
    const float th = e.Tex ? float(e.Tex->Height()) : 256.0f;
    static constexpr int kFan[4] = {0, 1, 3, 2};
    for (int j = 0; j < 4; ++j) {
      const int k = kFan[j];
      v[j].x = e.dx[k] + PIXELFIX;
      v[j].y = e.dy[k] + PIXELFIX;
      v[j].z = 0.5f;
      v[j].rhw = 0.2f;
      v[j].diffuse = bs.Toward ? _BlendARGB(bs.Base, e.VtxCol[k], int32_t(e.VtxCol[k] >> 24))
                               : e.VtxCol[k];
      v[j].specular = 0;
      v[j].u = e.sx[k] / tw;
      v[j].v = e.sy[k] / th;
    }
    D3DSetScene(true, false);
    D3DSetTexture(e.Tex ? e.Tex->Surface() : nullptr, false);
    D3DSetSrcBlend(bs.SrcBlend, false);
    D3DSetDestBlend(bs.DestBlend, false);
    D3DSetTextureOP(bs.ColorOp, false);
    if (FDevice) FDevice->DrawFan(v);
  }
  D3DSetScene(false, true);
  DrawOrder = 0;
}

void TAlpha32::SetAspect(float tMag, bool UseZS_f) {
  if (!UseZS_f || AspInverse == 0.0f) {
    // Without a previous target there is no step to take: snap.
    Aspect = tMag;
  } else {
    const float step = ZOOMSPEED / AspInverse;
    if (Aspect + step < tMag) Aspect += step;
    else Aspect = tMag;
  }
  AspInverse = tMag != 0.0f ? 1.0f / tMag : 0.0f;
}

// ---- the device state cache ------------------------------------------------
void TAlpha32::D3DSetTexture(plat::SoftSurface* x, bool change) {
  if (FDDraw_f) return;
  if ((x != FTexture || change) && FDevice) FDevice->SetTexture(x);
  FTexture = x;
}

void TAlpha32::D3DSetSrcBlend(uint32_t x, bool change) {
  if (FDDraw_f) return;
  if ((x != FSrcBlend || change) && FDevice) FDevice->SetRenderState(d3d::RenderState::SrcBlend, x);
  FSrcBlend = x;
}

void TAlpha32::D3DSetDestBlend(uint32_t x, bool change) {
  if (FDDraw_f) return;
  if ((x != FDestBlend || change) && FDevice)
    FDevice->SetRenderState(d3d::RenderState::DestBlend, x);
  FDestBlend = x;
}

void TAlpha32::D3DSetTextureOP(uint32_t x, bool change) {
  if (FDDraw_f) return;
  if ((x != FTextureOP || change) && FDevice)
    FDevice->SetTextureStageState(d3d::StageState::ColorOp, x);
  FTextureOP = x;
}

void TAlpha32::D3DSetScene(bool x, bool change) {
  if (FDDraw_f) return;
  if ((x != FScene || change) && FDevice) {
    if (x) FDevice->BeginScene();
    else FDevice->EndScene();
  }
  FScene = x;
  if (!x) {
    // The next scene sends every state again.
    D3DSetTexture(nullptr, false);
    D3DSetDestBlend(0, false);
    D3DSetSrcBlend(0, false);
    D3DSetTextureOP(0, false);
  }
}

// ---- logs -------------------------------------------------------------------
void TAlpha32::AL32_DebugMessage(const std::string& mes) {
  if (!AL32_DebugMode) return;
  plat::AppendDebugLine("", "AL32DEBUG.TXT", AL32_DebugCount, "#%03d...", mes);
}

void TAlpha32::StartPC(int32_t PCNo) {
  if (PC) PC->Start(uint32_t(PCNo));
}

void TAlpha32::StopPC(const std::string& Prc, int32_t PCNo) {
  if (PC) PC->Stop(uint32_t(PCNo));
  PutPC(Prc, PCNo);
}

void TAlpha32::PutPC(const std::string& Prc, int32_t PCNo) {
  const int64_t us = PC ? PC->GetTime(uint32_t(PCNo)) : 0;
  DDDD_Msg("\x81\xA5" /* ▼ */ + Prc + " = " + std::to_string(us / 1000) + "ms");
}
