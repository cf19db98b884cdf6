#include "platform/SoftD3D.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <vector>

namespace plat {

namespace {

std::vector<Soft3DDevice*>& LiveDevices() {
  static std::vector<Soft3DDevice*> live;
  return live;
}

const char* const kDeviceNames[d3d::kDeviceKinds][2] = {
    {"Soft T&L HAL", "tnlhal"}, {"Soft HAL", "hal"},  {"Soft MMX", "mmx"},
    {"Soft RGB", "rgb"},        {"Soft Ramp", "ramp"}, {"Soft Reference", "ref"},
};

inline uint32_t Mul255(uint32_t a, uint32_t b) { return (a * b + 127) / 255; }

inline uint32_t LoadRaw(const uint8_t* p, uint32_t bytes) {
  if (bytes == 4) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
  }
  if (bytes == 2) {
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
  }
  return p[0];
}

inline void StoreRaw(uint8_t* p, uint32_t bytes, uint32_t v) {
  if (bytes == 4) {
    std::memcpy(p, &v, 4);
  } else if (bytes == 2) {
    uint16_t w = uint16_t(v);
    std::memcpy(p, &w, 2);
  } else {
    p[0] = uint8_t(v);
  }
}

struct Color {
  uint32_t a, r, g, b;
};

Color FromArgb(uint32_t c) { return {c >> 24, (c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF}; }

// Edge function: twice the signed area of (a, b, p).
inline float Edge(float ax, float ay, float bx, float by, float px, float py) {
  return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
}

int WrapIndex(int i, int n, bool clamp) {
  if (clamp) return std::clamp(i, 0, n - 1);
  int m = i % n;
  return m < 0 ? m + n : m;
}

}  // namespace

namespace detail {
void ForgetSurfaceIn3D(SoftSurface* s) {
  for (Soft3DDevice* d : LiveDevices()) d->ForgetSurface(s);
}
}  // namespace detail

// ---- objects ------------------------------------------------------------
int32_t SoftDraw::QueryDirect3D(Soft3D** out) {
  if (!out) return dd::kErrInvalidParams;
  *out = new Soft3D();
  return dd::kOk;
}

int32_t Soft3D::EnumDevices(const std::function<bool(const d3d::DeviceDesc&)>& cb) {
  for (int k = 0; k < d3d::kDeviceKinds; ++k) {
    d3d::DeviceDesc d;
    d.kind = d3d::DeviceKind(k);
    d.description = kDeviceNames[k][0];
    d.name = kDeviceNames[k][1];
    if (!cb(d)) break;
  }
  return dd::kOk;
}

int32_t Soft3D::EnumZBufferFormats(d3d::DeviceKind kind,
                                   const std::function<bool(const DdPixelFormat&)>& cb) {
  (void)kind;
  std::vector<DdPixelFormat> formats = SoftDrawTestSetup().zFormats;
  for (const DdPixelFormat& f : formats) {
    if (!cb(f)) break;
  }
  return dd::kOk;
}

int32_t Soft3D::CreateDevice(d3d::DeviceKind kind, SoftSurface* target, Soft3DDevice** out) {
  if (!out || !target) return dd::kErrInvalidParams;
  *out = nullptr;
  const auto& ok = SoftDrawTestSetup().acceptedDevices;
  if (std::find(ok.begin(), ok.end(), int(kind)) == ok.end()) return dd::kErrUnsupported;
  const DdPixelFormat& pf = target->Format();
  if ((pf.bitCount != 16 && pf.bitCount != 32) || (pf.flags & dd::kPfPaletteIndexed8)) {
    return dd::kErrUnsupported;
  }
  Soft3DDevice* d = new Soft3DDevice();
  d->kind_ = kind;
  d->target_ = target;
  target->AddRef();
  d->viewport_ = {0, 0, target->Width(), target->Height(), 0.0f, 1.0f};
  using RS = d3d::RenderState;
  d->rs_[int(RS::ZWriteEnable)] = 1;
  d->rs_[int(RS::AlphaBlendEnable)] = 0;
  d->rs_[int(RS::SrcBlend)] = d3d::kBlendOne;
  d->rs_[int(RS::DestBlend)] = d3d::kBlendZero;
  d->rs_[int(RS::CullMode)] = d3d::kCullCCW;
  d->rs_[int(RS::Lighting)] = 1;
  using SS = d3d::StageState;
  d->ts_[int(SS::ColorOp)] = d3d::kOpModulate;
  d->ts_[int(SS::ColorArg1)] = d3d::kArgTexture;
  d->ts_[int(SS::ColorArg2)] = d3d::kArgCurrent;
  d->ts_[int(SS::AlphaOp)] = d3d::kOpSelectArg1;
  d->ts_[int(SS::AlphaArg1)] = d3d::kArgTexture;
  d->ts_[int(SS::AlphaArg2)] = d3d::kArgCurrent;
  d->ts_[int(SS::MinFilter)] = d3d::kFilterPoint;
  d->ts_[int(SS::MagFilter)] = d3d::kFilterPoint;
  d->ts_[int(SS::MipFilter)] = d3d::kFilterNone;
  d->ts_[int(SS::Address)] = d3d::kAddressWrap;
  LiveDevices().push_back(d);
  *out = d;
  return dd::kOk;
}

Soft3DDevice::~Soft3DDevice() {
  auto& live = LiveDevices();
  live.erase(std::remove(live.begin(), live.end(), this), live.end());
  if (target_) target_->Release();
}

void Soft3DDevice::ForgetSurface(SoftSurface* s) {
  if (texture_ == s) texture_ = nullptr;
}

int32_t Soft3DDevice::EnumTextureFormats(const std::function<bool(const DdPixelFormat&)>& cb) {
  std::vector<DdPixelFormat> formats = SoftDrawTestSetup().textureFormats;
  for (const DdPixelFormat& f : formats) {
    if (!cb(f)) break;
  }
  return dd::kOk;
}

int32_t Soft3DDevice::SetViewport(const d3d::Viewport& vp) {
  if (uint64_t(vp.x) + vp.width > target_->Width() ||
      uint64_t(vp.y) + vp.height > target_->Height()) {
    return dd::kErrInvalidParams;
  }
  viewport_ = vp;
  return dd::kOk;
}

int32_t Soft3DDevice::GetViewport(d3d::Viewport* vp) const {
  if (!vp) return dd::kErrInvalidParams;
  *vp = viewport_;
  return dd::kOk;
}

int32_t Soft3DDevice::Clear(uint32_t count, const DdRect* rects, uint32_t flags, uint32_t argb,
                            float z, uint32_t stencil) {
  (void)z;
  (void)stencil;
  if (target_->IsLost()) return dd::kErrSurfaceLost;
  if (!(flags & d3d::kClearTarget)) return dd::kOk;
  DdRect vp{int32_t(viewport_.x), int32_t(viewport_.y), int32_t(viewport_.x + viewport_.width),
            int32_t(viewport_.y + viewport_.height)};
  std::vector<DdRect> list;
  if (count == 0 || !rects) {
    list.push_back(vp);
  } else {
    list.assign(rects, rects + count);
  }
  Color c = FromArgb(argb);
  uint32_t raw = EncodePixel(target_->Format(), uint8_t(c.a), uint8_t(c.r), uint8_t(c.g),
                             uint8_t(c.b));
  DdBltFx fx;
  fx.fillColor = raw;
  for (DdRect r : list) {
    r.left = std::max(r.left, vp.left);
    r.top = std::max(r.top, vp.top);
    r.right = std::min(r.right, vp.right);
    r.bottom = std::min(r.bottom, vp.bottom);
    if (r.Empty()) continue;
    int32_t res = target_->Blt(&r, nullptr, nullptr, dd::kBltColorFill | dd::kBltWait, &fx);
    if (res != dd::kOk) return res;
  }
  return dd::kOk;
}

int32_t Soft3DDevice::BeginScene() {
  if (inScene_) return dd::kErrGeneric;
  inScene_ = true;
  return dd::kOk;
}

int32_t Soft3DDevice::EndScene() {
  if (!inScene_) return dd::kErrGeneric;
  inScene_ = false;
  return dd::kOk;
}

int32_t Soft3DDevice::SetTexture(uint32_t stage, SoftSurface* texture) {
  if (stage != 0) return dd::kErrUnsupported;
  texture_ = texture;
  return dd::kOk;
}

int32_t Soft3DDevice::SetRenderState(d3d::RenderState state, uint32_t value) {
  rs_[int(state)] = value;
  return dd::kOk;
}

uint32_t Soft3DDevice::GetRenderState(d3d::RenderState state) const { return rs_[int(state)]; }

int32_t Soft3DDevice::SetTextureStageState(uint32_t stage, d3d::StageState state,
                                           uint32_t value) {
  if (stage != 0) return dd::kErrUnsupported;
  ts_[int(state)] = value;
  return dd::kOk;
}

uint32_t Soft3DDevice::GetTextureStageState(d3d::StageState state) const {
  return ts_[int(state)];
}

int32_t Soft3DDevice::DrawPrimitive(d3d::Primitive type, uint32_t fvf,
                                    const d3d::TLVertex* v, uint32_t count, uint32_t flags) {
  (void)flags;
  if (fvf != d3d::kFvfTLVertex || !v) return dd::kErrInvalidParams;
  if (!inScene_) return dd::kErrGeneric;
  if (target_->IsLost()) return dd::kErrSurfaceLost;
  if (texture_ && texture_->IsLost()) return dd::kErrSurfaceLost;
  DdSurfaceDesc probe;
  if (target_->Lock(&probe, 0) != dd::kOk) return dd::kErrLocked;
  target_->Unlock();
  if (type == d3d::Primitive::TriangleFan) {
    for (uint32_t i = 1; i + 1 < count; ++i) DrawTriangle(v[0], v[i], v[i + 1]);
  } else {
    for (uint32_t i = 0; i + 2 < count; i += 3) DrawTriangle(v[i], v[i + 1], v[i + 2]);
  }
  return dd::kOk;
}

// ---- rasteriser ---------------------------------------------------------
namespace {

// Decodes and encodes one channel of a pixel format quickly: the value under
// the mask widened to 8 bits through a table, and back by truncation.
struct ChannelCodec {
  uint32_t mask = 0;
  int shift = 0, bits = 0;
  uint8_t missing = 0;
  uint8_t lut[256] = {};
  void Init(uint32_t m, uint8_t miss) {
    mask = m;
    missing = miss;
    if (!m) return;
    shift = std::countr_zero(m);
    bits = std::popcount(m);
    const int b = std::min(bits, 8);
    for (uint32_t v = 0; v < (1u << b); ++v) {
      uint32_t r = 0;
      int filled = 0;
      while (filled < 8) {
        r = (r << b) | v;
        filled += b;
      }
      lut[v] = uint8_t(r >> (filled - 8));
    }
  }
  uint32_t Decode(uint32_t raw) const {
    if (!mask) return missing;
    uint32_t v = (raw & mask) >> shift;
    return bits > 8 ? lut[v >> (bits - 8)] : lut[v];
  }
  uint32_t Encode(uint32_t v) const {
    if (!mask) return 0;
    uint32_t x = bits >= 8 ? v << (bits - 8) : v >> (8 - bits);
    return (x << shift) & mask;
  }
};

struct FormatCodec {
  ChannelCodec a, r, g, b;
  explicit FormatCodec(const DdPixelFormat& pf) {
    a.Init(pf.aMask, 255);
    r.Init(pf.rMask, 0);
    g.Init(pf.gMask, 0);
    b.Init(pf.bMask, 0);
  }
  Color Decode(uint32_t raw) const { return {a.Decode(raw), r.Decode(raw), g.Decode(raw), b.Decode(raw)}; }
  uint32_t Encode(const Color& c) const {
    return a.Encode(c.a) | r.Encode(c.r) | g.Encode(c.g) | b.Encode(c.b);
  }
};

inline int FloorInt(float f) {
  int i = int(f);
  return f < float(i) ? i - 1 : i;
}

uint32_t Factor(uint32_t f, uint32_t sc, uint32_t sa, uint32_t dc) {
  switch (f) {
    case d3d::kBlendZero: return 0;
    case d3d::kBlendOne: return 255;
    case d3d::kBlendSrcColor: return sc;
    case d3d::kBlendInvSrcColor: return 255 - sc;
    case d3d::kBlendSrcAlpha: return sa;
    case d3d::kBlendInvSrcAlpha: return 255 - sa;
    case d3d::kBlendDestAlpha: return 255;
    case d3d::kBlendInvDestAlpha: return 0;
    case d3d::kBlendDestColor: return dc;
    case d3d::kBlendInvDestColor: return 255 - dc;
    default: return 255;
  }
}

uint32_t Combine(uint32_t op, uint32_t x, uint32_t y, uint32_t fallback) {
  switch (op) {
    case d3d::kOpSelectArg1: return x;
    case d3d::kOpSelectArg2: return y;
    case d3d::kOpModulate: return Mul255(x, y);
    case d3d::kOpAdd: return std::min<uint32_t>(255, x + y);
    default: return fallback;
  }
}

}  // namespace

void Soft3DDevice::DrawTriangle(const d3d::TLVertex& a, const d3d::TLVertex& b0,
                                const d3d::TLVertex& c0) {
  float area = Edge(a.x, a.y, b0.x, b0.y, c0.x, c0.y);
  if (!(std::fabs(area) > 0) || !std::isfinite(area)) return;
  const uint32_t cull = rs_[int(d3d::RenderState::CullMode)];
  if ((cull == d3d::kCullCCW && area < 0) || (cull == d3d::kCullCW && area > 0)) return;
  const d3d::TLVertex& b = area > 0 ? b0 : c0;
  const d3d::TLVertex& c = area > 0 ? c0 : b0;
  area = std::fabs(area);

  // Pixels whose centres the bounding box holds, inside the viewport.
  const float minX = std::min({a.x, b.x, c.x}), maxX = std::max({a.x, b.x, c.x});
  const float minY = std::min({a.y, b.y, c.y}), maxY = std::max({a.y, b.y, c.y});
  if (!(minX < 1e7f && maxX > -1e7f && minY < 1e7f && maxY > -1e7f)) return;
  const int vx0 = int(viewport_.x), vy0 = int(viewport_.y);
  const int vx1 = int(viewport_.x + viewport_.width) - 1;
  const int vy1 = int(viewport_.y + viewport_.height) - 1;
  const int x0 = std::max(vx0, int(std::ceil(minX))), x1 = std::min(vx1, int(std::floor(maxX)));
  const int y0 = std::max(vy0, int(std::ceil(minY))), y1 = std::min(vy1, int(std::floor(maxY)));
  if (x0 > x1 || y0 > y1) return;

  // Edges b->c, c->a, a->b; a point on an edge counts only for top-left edges.
  const float ex[3] = {b.x, c.x, a.x}, ey[3] = {b.y, c.y, a.y};
  const float dx[3] = {c.x - b.x, a.x - c.x, b.x - a.x}, dy[3] = {c.y - b.y, a.y - c.y, b.y - a.y};
  bool tl[3];
  for (int k = 0; k < 3; ++k) tl[k] = (dy[k] == 0 && dx[k] > 0) || dy[k] < 0;

  using RS = d3d::RenderState;
  using SS = d3d::StageState;
  const bool blend = rs_[int(RS::AlphaBlendEnable)] != 0;
  const uint32_t srcBlend = rs_[int(RS::SrcBlend)], dstBlend = rs_[int(RS::DestBlend)];
  const uint32_t colorOp = ts_[int(SS::ColorOp)], alphaOp = ts_[int(SS::AlphaOp)];
  const bool c1Tex = ts_[int(SS::ColorArg1)] == d3d::kArgTexture;
  const bool c2Tex = ts_[int(SS::ColorArg2)] == d3d::kArgTexture;
  const bool a1Tex = ts_[int(SS::AlphaArg1)] == d3d::kArgTexture;
  const bool a2Tex = ts_[int(SS::AlphaArg2)] == d3d::kArgTexture;
  const bool linear = ts_[int(SS::MagFilter)] == d3d::kFilterLinear ||
                      ts_[int(SS::MinFilter)] == d3d::kFilterLinear;
  const bool clamp = ts_[int(SS::Address)] == d3d::kAddressClamp;

  SoftSurface* tex = texture_;
  const int tw = tex ? int(tex->Width()) : 0, th = tex ? int(tex->Height()) : 0;
  const uint32_t tbytes = tex ? tex->BytesPerPixel() : 0;
  const DdPixelFormat tpf = tex ? tex->Format() : DdPixelFormat{};
  const FormatCodec tcodec(tpf);
  uint32_t keyMask = tpf.rMask | tpf.gMask | tpf.bMask | tpf.aMask;
  if (!keyMask) keyMask = 0xFFFFFFFFu;
  const bool keyed = rs_[int(RS::ColorKeyEnable)] != 0 && tex && tex->HasColorKey();
  const uint32_t key = tex ? (tex->ColorKey() & keyMask) : 0;
  const uint8_t* tbits = tex ? tex->Bits() : nullptr;
  const int32_t tpitch = tex ? tex->Pitch() : 0;

  // Textures are square powers of two: wrapping is a mask.
  const bool pow2 = tex && !clamp && std::has_single_bit(uint32_t(tw)) &&
                    std::has_single_bit(uint32_t(th));
  auto raw = [&](int x, int y) {
    if (pow2) {
      x &= tw - 1;
      y &= th - 1;
    } else {
      x = WrapIndex(x, tw, clamp);
      y = WrapIndex(y, th, clamp);
    }
    return LoadRaw(tbits + size_t(y) * tpitch + size_t(x) * tbytes, tbytes);
  };

  const Color ca = FromArgb(a.diffuse), cb = FromArgb(b.diffuse), cc = FromArgb(c.diffuse);
  const bool flat = a.diffuse == b.diffuse && a.diffuse == c.diffuse;
  const FormatCodec dcodec(target_->Format());
  const uint32_t dbytes = target_->BytesPerPixel();
  uint8_t* dbase = target_->Bits();
  const int32_t dpitch = target_->Pitch();
  const float inv = 1.0f / area;

  for (int py = y0; py <= y1; ++py) {
    const float fy = float(py);
    const float row[3] = {dx[0] * (fy - ey[0]), dx[1] * (fy - ey[1]), dx[2] * (fy - ey[2])};
    bool entered = false;
    uint8_t* drow = dbase + size_t(py) * dpitch;
    for (int px = x0; px <= x1; ++px) {
      const float fx = float(px);
      const float w0 = row[0] - dy[0] * (fx - ex[0]);
      const float w1 = row[1] - dy[1] * (fx - ex[1]);
      const float w2 = row[2] - dy[2] * (fx - ex[2]);
      const bool in = w0 >= 0 && w1 >= 0 && w2 >= 0 && (w0 != 0 || tl[0]) &&
                      (w1 != 0 || tl[1]) && (w2 != 0 || tl[2]);
      if (!in) {
        if (entered) break;  // a triangle's row is one span
        continue;
      }
      entered = true;
      const float l0 = w0 * inv, l1 = w1 * inv, l2 = w2 * inv;
      Color diff = ca;
      if (!flat) {
        auto lerpc = [&](uint32_t p, uint32_t q, uint32_t r) {
          float f = float(p) * l0 + float(q) * l1 + float(r) * l2;
          return uint32_t(std::clamp(int(f + 0.5f), 0, 255));
        };
        diff = {lerpc(ca.a, cb.a, cc.a), lerpc(ca.r, cb.r, cc.r), lerpc(ca.g, cb.g, cc.g),
                lerpc(ca.b, cb.b, cc.b)};
      }

      Color t{255, 255, 255, 255};  // no texture reads opaque white
      if (tex) {
        const float u = (a.u * l0 + b.u * l1 + c.u * l2) * float(tw);
        const float v = (a.v * l0 + b.v * l1 + c.v * l2) * float(th);
        const int iu = FloorInt(u), iv = FloorInt(v);
        const uint32_t nearest = raw(iu, iv);
        // The key decides by the nearest texel, so keyed edges stay sharp.
        if (keyed && (nearest & keyMask) == key) continue;
        if (!linear) {
          t = tcodec.Decode(nearest);
        } else {
          const float fu = u - 0.5f, fv = v - 0.5f;
          const int ix = FloorInt(fu), iy = FloorInt(fv);
          const float ax = fu - float(ix), ay = fv - float(iy);
          const Color t00 = tcodec.Decode(raw(ix, iy)), t10 = tcodec.Decode(raw(ix + 1, iy));
          const Color t01 = tcodec.Decode(raw(ix, iy + 1)), t11 = tcodec.Decode(raw(ix + 1, iy + 1));
          auto bl = [&](uint32_t p00, uint32_t p10, uint32_t p01, uint32_t p11) {
            float top = float(p00) + (float(p10) - float(p00)) * ax;
            float bot = float(p01) + (float(p11) - float(p01)) * ax;
            return uint32_t(std::clamp(int(top + (bot - top) * ay + 0.5f), 0, 255));
          };
          t = {bl(t00.a, t10.a, t01.a, t11.a), bl(t00.r, t10.r, t01.r, t11.r),
               bl(t00.g, t10.g, t01.g, t11.g), bl(t00.b, t10.b, t01.b, t11.b)};
        }
      }

      const Color& c1 = c1Tex ? t : diff;
      const Color& c2 = c2Tex ? t : diff;
      const Color s{Combine(alphaOp, (a1Tex ? t : diff).a, (a2Tex ? t : diff).a, diff.a),
                    Combine(colorOp, c1.r, c2.r, diff.r), Combine(colorOp, c1.g, c2.g, diff.g),
                    Combine(colorOp, c1.b, c2.b, diff.b)};

      uint8_t* dp = drow + size_t(px) * dbytes;
      Color out = s;
      if (blend) {
        const Color d = dcodec.Decode(LoadRaw(dp, dbytes));  // no target alpha: DESTALPHA is 1
        auto mix = [&](uint32_t sv, uint32_t dv) {
          return std::min<uint32_t>(255, Mul255(sv, Factor(srcBlend, sv, s.a, dv)) +
                                             Mul255(dv, Factor(dstBlend, sv, s.a, dv)));
        };
        out = {255, mix(s.r, d.r), mix(s.g, d.g), mix(s.b, d.b)};
      }
      StoreRaw(dp, dbytes, dcodec.Encode(out));
    }
  }
}

// ---- retained mode ------------------------------------------------------
int32_t SoftRM::Create(SoftRM** out) {
  if (!out) return dd::kErrInvalidParams;
  *out = new SoftRM();
  return dd::kOk;
}

int32_t SoftRM::CreateDeviceFromClipper(SoftClipper* clipper, d3d::DeviceKind kind, uint32_t w,
                                        uint32_t h, SoftRMDevice** out) {
  (void)kind;
  if (!out || !clipper || w == 0 || h == 0) return dd::kErrInvalidParams;
  *out = new SoftRMDevice();
  return dd::kOk;
}

}  // namespace plat
