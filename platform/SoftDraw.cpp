#include "platform/SoftDraw.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>

namespace plat {

namespace detail {
// The 3D device forgets a texture or target that is being freed.
void ForgetSurfaceIn3D(SoftSurface* s);
}  // namespace detail

namespace {

constexpr uint32_t kMaxEdge = dd::kMaxSurfaceEdge;
constexpr uint32_t kMaxTexelScale = 16;

std::vector<SoftSurface*>& LiveSurfaces() {
  static std::vector<SoftSurface*> live;
  return live;
}

SoftDrawSetup& Setup() {
  static SoftDrawSetup setup = [] {
    SoftDrawSetup s;
    return s;
  }();
  return setup;
}

bool g_setupReady = false;
int g_modeBpp = 0;  // 0: the desktop's depth
uint32_t g_modeW = 0, g_modeH = 0;

void EnsureSetup() {
  if (!g_setupReady) ResetSoftDrawSetup();
}

void Record(const std::string& line) {
  SoftDrawSetup& s = Setup();
  if (s.recordCalls) s.calls.push_back(line);
}

std::string Hex(uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%X", v);
  return buf;
}

inline uint32_t LoadPixel(const uint8_t* p, uint32_t bytes) {
  switch (bytes) {
    case 1: return p[0];
    case 2: { uint16_t v; std::memcpy(&v, p, 2); return v; }
    case 3: return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
    default: { uint32_t v; std::memcpy(&v, p, 4); return v; }
  }
}

inline void StorePixel(uint8_t* p, uint32_t bytes, uint32_t v) {
  switch (bytes) {
    case 1: p[0] = uint8_t(v); break;
    case 2: { uint16_t w = uint16_t(v); std::memcpy(p, &w, 2); break; }
    case 3: p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); p[2] = uint8_t(v >> 16); break;
    default: std::memcpy(p, &v, 4); break;
  }
}

// The bits of a raw pixel that carry colour: the channel masks, or every bit of
// the pixel for palettised and mask-less formats.
uint32_t KeyMask(const DdPixelFormat& pf) {
  uint32_t m = pf.rMask | pf.gMask | pf.bMask | pf.aMask;
  if (m == 0 || (pf.flags & dd::kPfPaletteIndexed8)) {
    m = pf.bitCount >= 32 ? 0xFFFFFFFFu : ((1u << pf.bitCount) - 1);
  }
  return m;
}

uint32_t Expand(uint32_t v, int bits) {
  if (bits <= 0) return 0;
  if (bits >= 8) return (v >> (bits - 8)) & 0xFF;
  uint32_t r = 0;
  int filled = 0;
  while (filled < 8) {
    r = (r << bits) | v;
    filled += bits;
  }
  return (r >> (filled - 8)) & 0xFF;
}

uint8_t DecodeChannel(uint32_t raw, uint32_t mask, uint8_t missing) {
  if (mask == 0) return missing;
  int shift = std::countr_zero(mask);
  int bits = std::popcount(mask);
  return uint8_t(Expand((raw & mask) >> shift, bits));
}

uint32_t EncodeChannel(uint8_t v, uint32_t mask) {
  if (mask == 0) return 0;
  int shift = std::countr_zero(mask);
  int bits = std::popcount(mask);
  uint32_t x = bits >= 8 ? uint32_t(v) << (bits - 8) : uint32_t(v) >> (8 - bits);
  return (x << shift) & mask;
}

bool RectInside(const DdRect& r, uint32_t w, uint32_t h) {
  return r.left >= 0 && r.top >= 0 && r.left <= r.right && r.top <= r.bottom &&
         uint32_t(r.right) <= w && uint32_t(r.bottom) <= h;
}

// Nearest source index for destination step i of dw over a source extent sw.
inline int32_t MapNearest(int32_t i, int32_t dw, int32_t sw) {
  return int32_t((int64_t(2 * i + 1) * sw) / (int64_t(2) * dw));
}

// Cuts [d0,d1) to [c0,c1), moving the source edges in proportion.
bool ClipAxis(int32_t& d0, int32_t& d1, int32_t& s0, int32_t& s1, int32_t c0, int32_t c1) {
  int64_t dw = d1 - d0, sw = s1 - s0;
  if (dw <= 0) return false;
  if (d1 > c1) {
    s1 = int32_t(s0 + (int64_t(c1) - d0) * sw / dw);
    d1 = c1;
  }
  if (d0 < c0) {
    s0 = int32_t(s0 + (int64_t(c0) - d0) * sw / dw);
    d0 = c0;
  }
  return d1 > d0 && s1 > s0;
}

bool Covers(const DdRect& outer, const DdRect& inner) {
  return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
         outer.bottom >= inner.bottom;
}

// A pixel read or written in place in a surface's bytes.
template <typename T>
struct Aliased {
  typedef T __attribute__((may_alias)) type;
};
template <typename T>
using Pix = typename Aliased<T>::type;

// A texel drawn over a destination pixel: kept out where it is the key.
template <typename T, bool Keyed>
inline T Over(T dst, T texel, uint32_t mask, uint32_t key) {
  if constexpr (Keyed) return (uint32_t(texel) & mask) == key ? dst : texel;
  else return texel;
}

// The texel under shown position p of a source with texel scale m.
inline int32_t TexelAt(int32_t p, int32_t m) { return m == 1 ? p : m == 2 ? p >> 1 : p / m; }

// n destination pixels from one row of texels read in a run: pixel i shows
// the texel under shown column first + i, or first - i when Back (a mirrored
// blit). Plain loops over arrays, which the compiler turns into vector code.
template <typename T, bool Keyed, bool Back>
void RowRun(Pix<T>* __restrict d, const Pix<T>* __restrict s, int32_t first, int32_t n,
            int32_t m, uint32_t mask, uint32_t key) {
  constexpr int32_t dir = Back ? -1 : 1;
  if (m == 1) {
    s += first;
    for (int32_t i = 0; i < n; ++i) d[i] = Over<T, Keyed>(d[i], s[dir * i], mask, key);
  } else if (m == 2) {
    s += first >> 1;
    // A row that starts on the far half of a texel shows one pixel of it.
    if ((first & 1) != Back) {
      d[0] = Over<T, Keyed>(d[0], s[0], mask, key);
      ++d, --n, s += dir;
    }
    const int32_t pairs = n >> 1;
    for (int32_t k = 0; k < pairs; ++k) {
      d[2 * k] = Over<T, Keyed>(d[2 * k], s[dir * k], mask, key);
      d[2 * k + 1] = Over<T, Keyed>(d[2 * k + 1], s[dir * k], mask, key);
    }
    if (n & 1) d[n - 1] = Over<T, Keyed>(d[n - 1], s[dir * pairs], mask, key);
  } else {
    for (int32_t i = 0; i < n; ++i)
      d[i] = Over<T, Keyed>(d[i], s[(first + dir * i) / m], mask, key);
  }
}

// n destination pixels from texels a column table picks (stretched blits).
template <typename T, bool Keyed>
void RowPicked(Pix<T>* __restrict d, const Pix<T>* __restrict s, const int32_t* cols, int32_t n,
               uint32_t mask, uint32_t key) {
  for (int32_t i = 0; i < n; ++i) d[i] = Over<T, Keyed>(d[i], s[cols[i]], mask, key);
}

// How one blit reads its source, the same for every row.
struct BlitRow {
  uint32_t bytes;
  bool keyed;
  bool run, back;            // a run of texels (backward: mirrored), else by cols
  int32_t first, n, m;       // shown source column of pixel 0, pixels, texel scale
  const int32_t* cols = nullptr;
  uint32_t mask, key;
};

template <typename T, bool Keyed>
void DrawRowKeyed(const BlitRow& b, Pix<T>* d, const Pix<T>* s) {
  if (!b.run) RowPicked<T, Keyed>(d, s, b.cols, b.n, b.mask, b.key);
  else if (b.back) RowRun<T, Keyed, true>(d, s, b.first, b.n, b.m, b.mask, b.key);
  else RowRun<T, Keyed, false>(d, s, b.first, b.n, b.m, b.mask, b.key);
}

template <typename T>
void DrawRowAs(const BlitRow& b, uint8_t* drow, const uint8_t* srow) {
  auto* d = reinterpret_cast<Pix<T>*>(drow);
  const auto* s = reinterpret_cast<const Pix<T>*>(srow);
  if (b.keyed) DrawRowKeyed<T, true>(b, d, s);
  else DrawRowKeyed<T, false>(b, d, s);
}

void DrawRow(const BlitRow& b, uint8_t* drow, const uint8_t* srow) {
  if (b.bytes == 4) return DrawRowAs<uint32_t>(b, drow, srow);
  if (b.bytes == 2) return DrawRowAs<uint16_t>(b, drow, srow);
  for (int32_t i = 0; i < b.n; ++i) {  // 8- and 24-bit surfaces
    const int32_t t = b.run ? (b.first + (b.back ? -i : i)) / b.m : b.cols[i];
    const uint32_t v = LoadPixel(srow + size_t(t) * b.bytes, b.bytes);
    if (b.keyed && (v & b.mask) == b.key) continue;
    StorePixel(drow + size_t(i) * b.bytes, b.bytes, v);
  }
}

}  // namespace

// ---- formats ------------------------------------------------------------
namespace fmt {
DdPixelFormat XRGB8888() { return {dd::kPfRGB, 32, 0xFF0000, 0xFF00, 0xFF, 0}; }
DdPixelFormat ARGB8888() {
  return {dd::kPfRGB | dd::kPfAlphaPixels, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000};
}
DdPixelFormat RGB565() { return {dd::kPfRGB, 16, 0xF800, 0x7E0, 0x1F, 0}; }
DdPixelFormat XRGB1555() { return {dd::kPfRGB, 16, 0x7C00, 0x3E0, 0x1F, 0}; }
DdPixelFormat ARGB1555() {
  return {dd::kPfRGB | dd::kPfAlphaPixels, 16, 0x7C00, 0x3E0, 0x1F, 0x8000};
}
DdPixelFormat ARGB4444() {
  return {dd::kPfRGB | dd::kPfAlphaPixels, 16, 0xF00, 0xF0, 0xF, 0xF000};
}
DdPixelFormat Pal8() { return {dd::kPfRGB | dd::kPfPaletteIndexed8, 8, 0, 0, 0, 0}; }
DdPixelFormat Z16() {
  DdPixelFormat f;
  f.flags = dd::kPfZBuffer;
  f.bitCount = 16;
  f.zMask = 0xFFFF;
  return f;
}
DdPixelFormat Z24S8() {
  DdPixelFormat f;
  f.flags = dd::kPfZBuffer | dd::kPfStencilBuffer;
  f.bitCount = 32;
  f.stencilBits = 8;
  f.zMask = 0xFFFFFF00;
  f.stencilMask = 0xFF;
  return f;
}
}  // namespace fmt

void DecodePixel(const DdPixelFormat& pf, uint32_t raw, uint8_t& a, uint8_t& r, uint8_t& g,
                 uint8_t& b) {
  a = DecodeChannel(raw, pf.aMask, 255);
  r = DecodeChannel(raw, pf.rMask, 0);
  g = DecodeChannel(raw, pf.gMask, 0);
  b = DecodeChannel(raw, pf.bMask, 0);
}

uint32_t EncodePixel(const DdPixelFormat& pf, uint8_t a, uint8_t r, uint8_t g, uint8_t b) {
  return EncodeChannel(a, pf.aMask) | EncodeChannel(r, pf.rMask) | EncodeChannel(g, pf.gMask) |
         EncodeChannel(b, pf.bMask);
}

// ---- desktop and setup --------------------------------------------------
SoftDrawSetup& SoftDrawTestSetup() {
  EnsureSetup();
  return Setup();
}

void ResetSoftDrawSetup() {
  g_setupReady = true;
  SoftDrawSetup& s = Setup();
  s = SoftDrawSetup{};
  DriverInfo primary;
  primary.id = 0;
  primary.description = "Primary Display Driver";
  primary.name = "display";
  primary.caps = {dd::kCaps3D, dd::kCapsTexture};
  s.drivers.push_back(primary);
  s.acceptedDevices = {0, 1, 2, 3, 4, 5};
  s.textureFormats = {fmt::ARGB1555(), fmt::RGB565(),   fmt::ARGB4444(),
                      fmt::XRGB1555(), fmt::ARGB8888(), fmt::XRGB8888()};
  s.zFormats = {fmt::Z16(), fmt::Z24S8()};
  g_modeBpp = 0;
  g_modeW = g_modeH = 0;
}

int DesktopBitDepth() {
  EnsureSetup();
  return Setup().desktopBpp;
}

DdPixelFormat ScreenFormat() {
  int bpp = g_modeBpp ? g_modeBpp : DesktopBitDepth();
  if (bpp == 16) return fmt::RGB565();
  if (bpp == 8) return fmt::Pal8();
  return fmt::XRGB8888();
}

void SimulateSurfaceLoss() {
  for (SoftSurface* s : LiveSurfaces()) {
    // Lost memory holds whatever the next owner left there.
    std::fill(s->mem_.begin(), s->mem_.end(), uint8_t(0xA5));
    s->fillLate_ = false;
    s->Changed();
    s->lost_ = true;
  }
}

int LiveSurfaceCount() { return int(LiveSurfaces().size()); }

// ---- presenters ---------------------------------------------------------
void OffscreenPresenter::Present(const FrameView& frame) {
  ++frames_;
  width_ = frame.width;
  height_ = frame.height;
  pixels_.assign(size_t(width_) * height_, 0);
  for (int y = 0; y < height_; ++y) {
    std::memcpy(&pixels_[size_t(y) * width_], frame.pixels + size_t(y) * frame.pitch,
                size_t(width_) * 4);
  }
}

uint32_t OffscreenPresenter::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return pixels_[size_t(y) * width_ + x] & 0xFFFFFF;
}

bool OffscreenPresenter::SavePPM(const std::string& hostPath) const {
  FILE* f = std::fopen(hostPath.c_str(), "wb");
  if (!f) return false;
  std::fprintf(f, "P6\n%d %d\n255\n", width_, height_);
  std::vector<uint8_t> row(size_t(width_) * 3);
  bool ok = true;
  for (int y = 0; y < height_ && ok; ++y) {
    for (int x = 0; x < width_; ++x) {
      uint32_t p = pixels_[size_t(y) * width_ + x];
      row[x * 3] = uint8_t(p >> 16);
      row[x * 3 + 1] = uint8_t(p >> 8);
      row[x * 3 + 2] = uint8_t(p);
    }
    ok = std::fwrite(row.data(), 1, row.size(), f) == row.size();
  }
  return std::fclose(f) == 0 && ok;
}

// ---- objects ------------------------------------------------------------
uint32_t SoftObject::Release() {
  if (refs_ == 0) return 0;
  uint32_t left = --refs_;
  if (left == 0) delete this;
  return left;
}

int32_t SoftPalette::SetEntries(uint32_t first, uint32_t count, const PaletteEntry* entries) {
  if (first > 256 || count > 256 - first || (!entries && count)) return dd::kErrInvalidParams;
  std::copy(entries, entries + count, entries_ + first);
  return dd::kOk;
}

int32_t SoftPalette::GetEntries(uint32_t first, uint32_t count, PaletteEntry* entries) const {
  if (first > 256 || count > 256 - first || (!entries && count)) return dd::kErrInvalidParams;
  std::copy(entries_ + first, entries_ + first + count, entries);
  return dd::kOk;
}

int32_t SoftClipper::SetWindow(Presenter* window) {
  window_ = window;
  return dd::kOk;
}

// ---- surfaces -----------------------------------------------------------
SoftSurface::~SoftSurface() {
  auto& live = LiveSurfaces();
  live.erase(std::remove(live.begin(), live.end(), this), live.end());
  detail::ForgetSurfaceIn3D(this);
  if (clipper_) clipper_->Release();
  if (palette_) palette_->Release();
  if (back_) back_->Release();
  for (SoftSurface* a : attached_) a->Release();
}

void SoftSurface::Allocate(uint32_t w, uint32_t h, const DdPixelFormat& pf) {
  width_ = w;
  height_ = h;
  pf_ = pf;
  uint32_t bytes = std::max<uint32_t>(1, pf.bitCount / 8);
  pitch_ = int32_t((w * bytes + 3) & ~3u);
  mem_.assign(size_t(pitch_) * h, 0);
  fillLate_ = false;
  Changed();
}

uint32_t SoftSurface::RawPixel(uint32_t x, uint32_t y) const {
  if (x >= width_ || y >= height_) return 0;
  ApplyFill();
  return LoadPixel(&mem_[size_t(y) * pitch_ + size_t(x) * BytesPerPixel()], BytesPerPixel());
}

uint8_t* SoftSurface::Bits() {
  ApplyFill();
  Changed();
  return mem_.data();
}

const uint8_t* SoftSurface::Bits() const {
  ApplyFill();
  return mem_.data();
}

bool SoftSurface::HasKeyTexels() const {
  if (!hasKey_) return false;
  if (keyTexels_ == kUnknown) {
    ApplyFill();
    const uint32_t mask = KeyMask(pf_), key = keyLow_ & mask, bytes = BytesPerPixel();
    bool some = false;
    for (uint32_t y = 0; y < height_ && !some; ++y) {
      const uint8_t* row = &mem_[size_t(y) * pitch_];
      for (uint32_t x = 0; x < width_ && !some; ++x)
        some = (LoadPixel(row + size_t(x) * bytes, bytes) & mask) == key;
    }
    keyTexels_ = some ? kSome : kNone;
  }
  return keyTexels_ == kSome;
}

void SoftSurface::ApplyFill() const {
  if (!fillLate_) return;
  fillLate_ = false;
  const DdRect& d = lateRect_;
  const uint32_t bytes = BytesPerPixel();
  for (int32_t y = d.top; y < d.bottom; ++y) {
    uint8_t* row = &mem_[size_t(y) * pitch_ + size_t(d.left) * bytes];
    if (bytes == 4) {
      std::fill_n(reinterpret_cast<Pix<uint32_t>*>(row), d.Width(), lateColour_);
    } else {
      for (int32_t x = 0; x < d.Width(); ++x) StorePixel(row + x * bytes, bytes, lateColour_);
    }
  }
}

// The primary shows every change at once; other surfaces keep the fill for
// later, and a later fill of a larger rectangle replaces it.
void SoftSurface::Fill(const DdRect& d, uint32_t colour) {
  if (fillLate_ && !Covers(d, lateRect_)) ApplyFill();
  fillLate_ = true;
  lateRect_ = d;
  lateColour_ = colour;
  if (IsPrimary()) ApplyFill();
}

int32_t SoftSurface::Lock(DdSurfaceDesc* desc, uint32_t flags) {
  if (!desc) return dd::kErrInvalidParams;
  if (lost_) return dd::kErrSurfaceLost;
  if (locked_) return dd::kErrLocked;
  if (mem_.empty()) return dd::kErrGeneric;
  ApplyFill();
  if (!(flags & dd::kLockReadOnly)) Changed();
  GetSurfaceDesc(desc);
  desc->surface = mem_.data();
  locked_ = true;
  return dd::kOk;
}

int32_t SoftSurface::Unlock() {
  if (!locked_) return dd::kErrNotLocked;
  locked_ = false;
  return dd::kOk;
}

int32_t SoftSurface::GetSurfaceDesc(DdSurfaceDesc* desc) const {
  if (!desc) return dd::kErrInvalidParams;
  *desc = DdSurfaceDesc{};
  desc->flags = dd::kSdCaps | dd::kSdWidth | dd::kSdHeight | dd::kSdPixelFormat;
  desc->width = width_;
  desc->height = height_;
  desc->pitch = pitch_;
  desc->caps = caps_;
  desc->pf = pf_;
  desc->backBufferCount = back_ ? 1 : 0;
  if (scale_ > 1) {
    desc->flags |= dd::kSdTexelScale;
    desc->texelScale = scale_;
  }
  return dd::kOk;
}

int32_t SoftSurface::SetColorKey(uint32_t which, uint32_t low, uint32_t high) {
  if (which != dd::kColorKeySrcBlt) return which == 0 ? dd::kOk : dd::kErrUnsupported;
  hasKey_ = true;
  keyLow_ = low;
  keyHigh_ = high;
  Changed();
  return dd::kOk;
}

int32_t SoftSurface::Restore() {
  lost_ = false;
  if (back_) back_->lost_ = false;
  return dd::kOk;
}

int32_t SoftSurface::SetClipper(SoftClipper* clipper) {
  if (clipper) clipper->AddRef();
  if (clipper_) clipper_->Release();
  clipper_ = clipper;
  return dd::kOk;
}

int32_t SoftSurface::SetPalette(SoftPalette* palette) {
  if (palette && pf_.bitCount != 8) return dd::kErrUnsupported;
  if (palette) palette->AddRef();
  if (palette_) palette_->Release();
  palette_ = palette;
  return dd::kOk;
}

int32_t SoftSurface::GetAttachedSurface(uint32_t caps, SoftSurface** out) {
  if (!out) return dd::kErrInvalidParams;
  *out = nullptr;
  if ((caps & dd::kCapsBackBuffer) && back_) {
    back_->AddRef();
    *out = back_;
    return dd::kOk;
  }
  if (caps & dd::kCapsZBuffer) {
    for (SoftSurface* a : attached_) {
      if (a->caps_ & dd::kCapsZBuffer) {
        a->AddRef();
        *out = a;
        return dd::kOk;
      }
    }
  }
  return dd::kErrNotFound;
}

int32_t SoftSurface::AddAttachedSurface(SoftSurface* surface) {
  if (!surface || surface == this) return dd::kErrInvalidParams;
  if (std::find(attached_.begin(), attached_.end(), surface) != attached_.end()) {
    return dd::kErrInvalidParams;
  }
  if (surface->width_ != width_ || surface->height_ != height_) return dd::kErrInvalidParams;
  surface->AddRef();
  attached_.push_back(surface);
  Record("AddAttachedSurface");
  return dd::kOk;
}

int32_t SoftSurface::DeleteAttachedSurface(SoftSurface* surface) {
  auto it = std::find(attached_.begin(), attached_.end(), surface);
  if (it == attached_.end()) return dd::kErrNotFound;
  attached_.erase(it);
  surface->Release();
  Record("DeleteAttachedSurface");
  return dd::kOk;
}

int32_t SoftSurface::Flip(uint32_t flags) {
  (void)flags;
  if (!back_) return dd::kErrNoFlipChain;
  if (Setup().failFlip) return dd::kErrInjected;
  if (lost_ || back_->lost_) return dd::kErrSurfaceLost;
  if (locked_ || back_->locked_) return dd::kErrLocked;
  ApplyFill();
  back_->ApplyFill();
  mem_.swap(back_->mem_);
  Changed();
  back_->Changed();
  PresentToWindow();
  return dd::kOk;
}

void SoftSurface::PresentToWindow() {
  Presenter* window = clipper_ ? clipper_->Window() : nullptr;
  if (!window || width_ == 0 || height_ == 0) return;
  ApplyFill();
  FrameView f;
  f.width = int(width_);
  f.height = int(height_);
  if (pf_.bitCount == 32 && pf_.rMask == 0xFF0000 && pf_.gMask == 0xFF00 && pf_.bMask == 0xFF) {
    f.pixels = reinterpret_cast<const uint32_t*>(mem_.data());
    f.pitch = pitch_ / 4;
    window->Present(f);
    return;
  }
  frame_.resize(size_t(width_) * height_);
  uint32_t bytes = BytesPerPixel();
  for (uint32_t y = 0; y < height_; ++y) {
    const uint8_t* row = &mem_[size_t(y) * pitch_];
    uint32_t* out = &frame_[size_t(y) * width_];
    for (uint32_t x = 0; x < width_; ++x) {
      uint32_t raw = LoadPixel(row + size_t(x) * bytes, bytes);
      uint8_t a, r, g, b;
      if (pf_.flags & dd::kPfPaletteIndexed8) {
        PaletteEntry e = palette_ ? palette_->Entries()[raw & 0xFF] : PaletteEntry{};
        r = e.red, g = e.green, b = e.blue;
      } else {
        DecodePixel(pf_, raw, a, r, g, b);
      }
      out[x] = uint32_t(r) << 16 | uint32_t(g) << 8 | b;
    }
  }
  f.pixels = frame_.data();
  f.pitch = int(width_);
  window->Present(f);
}

int32_t SoftSurface::Blt(const DdRect* dstRect, SoftSurface* src, const DdRect* srcRect,
                         uint32_t flags, const DdBltFx* fx) {
  const bool fill = (flags & dd::kBltColorFill) != 0;
  if (!fill && !src) return dd::kErrInvalidParams;
  if (fill && !fx) return dd::kErrInvalidParams;
  if (lost_ || (!fill && src->lost_)) return dd::kErrSurfaceLost;
  if (locked_ || (!fill && src->locked_)) return dd::kErrLocked;
  if (scale_ > 1) return dd::kErrUnsupported;  // a scaled surface is only ever a source

  DdRect d = dstRect ? *dstRect : DdRect{0, 0, int32_t(width_), int32_t(height_)};
  DdRect s;
  if (!fill) {
    s = srcRect ? *srcRect : DdRect{0, 0, int32_t(src->ShownWidth()), int32_t(src->ShownHeight())};
  }
  if (d.Empty() || (!fill && s.Empty())) return dd::kOk;
  if (!fill && !RectInside(s, src->ShownWidth(), src->ShownHeight())) return dd::kErrInvalidRect;
  if (!fill && src->pf_.bitCount != pf_.bitCount) return dd::kErrUnsupported;

  // A windowed primary surface is the client area: a rectangle from the
  // origin gives it its size, others stretch it to cover them.
  if (windowed_ && d.left >= 0 && d.top >= 0) {
    uint32_t w = d.left == 0 && d.top == 0 ? uint32_t(d.right) : std::max(width_, uint32_t(d.right));
    uint32_t h = d.left == 0 && d.top == 0 ? uint32_t(d.bottom) : std::max(height_, uint32_t(d.bottom));
    if (w != width_ || h != height_) {
      if (w > kMaxEdge || h > kMaxEdge) return dd::kErrInvalidRect;
      Allocate(w, h, pf_);
    }
  }
  if (clipper_) {
    if (fill) s = d;
    int32_t dl = d.left, dr = d.right, dt = d.top, db = d.bottom;
    int32_t sl = s.left, sr = s.right, st = s.top, sb = s.bottom;
    if (!ClipAxis(dl, dr, sl, sr, 0, int32_t(width_)) ||
        !ClipAxis(dt, db, st, sb, 0, int32_t(height_))) {
      return dd::kOk;
    }
    d = {dl, dt, dr, db};
    if (!fill) s = {sl, st, sr, sb};
  } else if (!RectInside(d, width_, height_)) {
    return dd::kErrInvalidRect;
  }

  if (fill) {
    Fill(d, fx->fillColor);
  } else {
    src->ApplyFill();
    const bool keyed = (flags & dd::kBltKeySrc) && src->HasKeyTexels();
    // A late fill that this blit paints over completely is never needed.
    if (fillLate_ && !keyed && Covers(d, lateRect_)) fillLate_ = false;
    ApplyFill();
    Copy(d, *src, s, keyed, flags, fx);
  }
  Changed();
  if (IsPrimary()) PresentToWindow();
  return dd::kOk;
}

void SoftSurface::Copy(const DdRect& d, const SoftSurface& src, const DdRect& s, bool keyed,
                       uint32_t flags, const DdBltFx* fx) {
  const uint32_t fxBits = (flags & dd::kBltDDFX) && fx ? fx->ddfx : 0;
  const bool mirrorX = fxBits & dd::kFxMirrorLeftRight;
  const bool mirrorY = fxBits & dd::kFxMirrorUpDown;
  const int32_t dw = d.Width(), dh = d.Height(), sw = s.Width(), sh = s.Height();
  BlitRow row;
  row.bytes = BytesPerPixel();
  row.keyed = keyed;
  row.run = dw == sw;
  row.back = mirrorX;
  row.first = mirrorX ? int32_t(src.ShownWidth()) - 1 - s.left : s.left;
  row.n = dw;
  row.m = int32_t(src.scale_);
  row.mask = KeyMask(src.pf_);
  row.key = src.keyLow_ & row.mask;
  // Stored columns read for each destination column of a stretched blit.
  static thread_local std::vector<int32_t> cols;
  if (!row.run) {
    cols.resize(size_t(dw));
    for (int32_t i = 0; i < dw; ++i) {
      const int32_t sx = s.left + MapNearest(i, dw, sw);
      cols[i] = TexelAt(mirrorX ? int32_t(src.ShownWidth()) - 1 - sx : sx, row.m);
    }
    row.cols = cols.data();
  }
  // Copy through a buffer when both are the same surface.
  std::vector<uint8_t> tmp;
  const bool same = &src == this;
  if (same) tmp = mem_;  // rare: a surface drawn onto itself
  const uint8_t* sbase = same ? tmp.data() : src.mem_.data();
  const size_t rowBytes = size_t(dw) * row.bytes;
  int32_t lastRow = -1;
  for (int32_t j = 0; j < dh; ++j) {
    int32_t sy = s.top + (dh == sh ? j : MapNearest(j, dh, sh));
    if (mirrorY) sy = int32_t(src.ShownHeight()) - 1 - sy;
    const int32_t stored = TexelAt(sy, row.m);
    uint8_t* drow = &mem_[size_t(d.top + j) * pitch_ + size_t(d.left) * row.bytes];
    if (!keyed && stored == lastRow) {
      std::memcpy(drow, drow - pitch_, rowBytes);  // the row above shows the same texels
      continue;
    }
    lastRow = stored;
    const uint8_t* srow = sbase + size_t(stored) * src.pitch_;
    if (!keyed && row.run && !row.back && row.m == 1)
      std::memcpy(drow, srow + size_t(s.left) * row.bytes, rowBytes);
    else DrawRow(row, drow, srow);
  }
}

// ---- the device object --------------------------------------------------
void SoftDraw::EnumerateDrivers(const std::function<bool(const DriverInfo&)>& cb) {
  EnsureSetup();
  std::vector<DriverInfo> drivers = Setup().drivers;
  for (const DriverInfo& d : drivers) {
    if (!cb(d)) break;
  }
}

int32_t SoftDraw::Create(int driverId, SoftDraw** out) {
  EnsureSetup();
  if (!out) return dd::kErrInvalidParams;
  *out = nullptr;
  for (const DriverInfo& d : Setup().drivers) {
    if (d.id == driverId) {
      SoftDraw* o = new SoftDraw();
      o->driverId_ = driverId;
      *out = o;
      Record("CreateDraw " + std::to_string(driverId));
      return dd::kOk;
    }
  }
  return dd::kErrNotFound;
}

SoftDraw::~SoftDraw() { Record("ReleaseDraw " + std::to_string(driverId_)); }

int32_t SoftDraw::GetCaps(DdCaps* driver, DdCaps* emulation) const {
  for (const DriverInfo& d : Setup().drivers) {
    if (d.id == driverId_) {
      if (driver) *driver = d.caps;
      if (emulation) *emulation = DdCaps{};
      return dd::kOk;
    }
  }
  return dd::kErrNotFound;
}

int32_t SoftDraw::SetCooperativeLevel(Presenter* window, uint32_t flags) {
  (void)window;
  coop_ = flags;
  Record("SetCooperativeLevel " + Hex(flags));
  return dd::kOk;
}

int32_t SoftDraw::SetDisplayMode(uint32_t w, uint32_t h, uint32_t bpp, uint32_t refresh,
                                 uint32_t flags) {
  (void)refresh;
  (void)flags;
  if (coop_ != dd::kSclFullScreenExclusive) return dd::kErrUnsupported;
  if ((bpp != 8 && bpp != 16 && bpp != 32) || w == 0 || h == 0 || w > kMaxEdge || h > kMaxEdge) {
    return dd::kErrUnsupported;
  }
  g_modeBpp = int(bpp);
  g_modeW = w;
  g_modeH = h;
  modeSet_ = true;
  Record("SetDisplayMode " + std::to_string(w) + "x" + std::to_string(h) + "x" +
         std::to_string(bpp));
  return dd::kOk;
}

int32_t SoftDraw::RestoreDisplayMode() {
  g_modeBpp = 0;
  g_modeW = g_modeH = 0;
  modeSet_ = false;
  Record("RestoreDisplayMode");
  return dd::kOk;
}

int32_t SoftDraw::CreateSurface(const DdSurfaceDesc& desc, SoftSurface** out) {
  if (!out) return dd::kErrInvalidParams;
  *out = nullptr;
  SoftDrawSetup& setup = Setup();
  Record("CreateSurface caps=" + Hex(desc.caps));
  if (setup.failCreateSurfaceAfter >= 0) {
    if (setup.failCreateSurfaceAfter-- == 0) return dd::kErrInjected;
  }
  uint32_t caps = (desc.flags & dd::kSdCaps) ? desc.caps : 0;
  if (setup.failVideoMemory && (caps & dd::kCapsVideoMemory)) return dd::kErrOutOfMemory;

  const bool primary = caps & dd::kCapsPrimarySurface;
  const bool chain = primary && (caps & dd::kCapsFlip) && (caps & dd::kCapsComplex);
  DdPixelFormat pf = (desc.flags & dd::kSdPixelFormat) ? desc.pf : ScreenFormat();
  if (caps & dd::kCapsZBuffer) {
    if (!(desc.flags & dd::kSdPixelFormat) || !(pf.flags & dd::kPfZBuffer)) {
      return dd::kErrInvalidParams;
    }
  } else if (pf.bitCount != 8 && pf.bitCount != 16 && pf.bitCount != 24 && pf.bitCount != 32) {
    return dd::kErrUnsupported;
  }
  uint32_t w = 0, h = 0;
  if (primary) {
    if (chain) {
      if (!modeSet_ || !(desc.flags & dd::kSdBackBufferCount) || desc.backBufferCount != 1) {
        return dd::kErrInvalidParams;
      }
      w = g_modeW;
      h = g_modeH;
    }
  } else {
    if (!(desc.flags & dd::kSdWidth) || !(desc.flags & dd::kSdHeight)) return dd::kErrInvalidParams;
    w = desc.width;
    h = desc.height;
    if (w == 0 || h == 0 || w > kMaxEdge || h > kMaxEdge) return dd::kErrInvalidParams;
  }
  uint32_t scale = 1;
  if ((desc.flags & dd::kSdTexelScale) && desc.texelScale > 1) {
    if (primary || (caps & dd::kCapsZBuffer) || desc.texelScale > kMaxTexelScale ||
        w * desc.texelScale > kMaxEdge || h * desc.texelScale > kMaxEdge) {
      return dd::kErrInvalidParams;
    }
    scale = desc.texelScale;
  }
  SoftSurface* s = new SoftSurface();
  s->scale_ = scale;
  // Left to the driver, a surface goes to video memory while there is room.
  if (!(caps & (dd::kCapsSystemMemory | dd::kCapsVideoMemory))) {
    caps |= setup.failVideoMemory ? dd::kCapsSystemMemory : dd::kCapsVideoMemory;
  }
  s->caps_ = caps;
  s->Allocate(w, h, pf);
  s->windowed_ = primary && !chain;
  LiveSurfaces().push_back(s);
  if (chain) {
    SoftSurface* b = new SoftSurface();
    b->caps_ = (caps & ~(dd::kCapsPrimarySurface | dd::kCapsFlip | dd::kCapsComplex)) |
               dd::kCapsBackBuffer;
    b->Allocate(w, h, pf);
    LiveSurfaces().push_back(b);
    s->back_ = b;
  }
  *out = s;
  return dd::kOk;
}

int32_t SoftDraw::CreateClipper(uint32_t flags, SoftClipper** out) {
  (void)flags;
  if (!out) return dd::kErrInvalidParams;
  *out = new SoftClipper();
  Record("CreateClipper");
  return dd::kOk;
}

int32_t SoftDraw::CreatePalette(uint32_t flags, const PaletteEntry* entries, SoftPalette** out) {
  if (!out) return dd::kErrInvalidParams;
  *out = nullptr;
  if (!(flags & dd::kPalCaps8Bit)) return dd::kErrUnsupported;
  SoftPalette* p = new SoftPalette();
  if (entries) p->SetEntries(0, 256, entries);
  *out = p;
  Record("CreatePalette");
  return dd::kOk;
}

int32_t SoftDraw::WaitForVerticalBlank(uint32_t flags) {
  (void)flags;
  return dd::kOk;
}

int32_t SoftDraw::FlipToGDISurface() { return dd::kOk; }

}  // namespace plat
