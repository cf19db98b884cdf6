#include "platform/Pictures.h"

#include <algorithm>
#include <cstdlib>

#include "platform/Files.h"

namespace plat {

// ---------------------------------------------------------------- palettes

HPalette CreatePalette(std::span<const PaletteEntry> entries) {
  if (entries.empty() || entries.size() > 256) return nullptr;
  auto p = std::make_shared<LogicalPalette>();
  p->entries.assign(entries.begin(), entries.end());
  return p;
}

int GetPaletteEntries(const HPalette& pal, int start, int count, PaletteEntry* out) {
  if (!pal || start < 0 || count <= 0) return 0;
  int n = int(pal->entries.size());
  if (start >= n) return 0;
  int m = std::min(count, n - start);
  std::copy_n(pal->entries.begin() + start, m, out);
  return m;
}

// ---------------------------------------------------------------- graphics

void Persistent::AssignTo(Persistent&) const {
  throw PictureError("Cannot assign this picture to that object");
}

void Graphic::Assign(const Persistent* src) {
  if (!src) throw PictureError("Cannot assign nothing to a picture");
  src->AssignTo(*this);
}

void Graphic::LoadFromFile(std::string_view gamePath) {
  auto bytes = ReadFile(gamePath);
  if (!bytes) throw PictureError("Cannot open file \"" + std::string(gamePath) + "\"");
  LoadFromBytes(*bytes);
}

void Graphic::Changed() {
  Modified = true;
  if (OnChange) OnChange(*this);
}

void Graphic::Progress(ProgressStage stage, int percent, bool redrawNow, const Rect& r,
                       const std::string& msg) {
  if (OnProgress) OnProgress(*this, stage, percent, redrawNow, r, msg);
}

int BitsOf(PixelFormat pf) {
  switch (pf) {
    case PixelFormat::pf1bit: return 1;
    case PixelFormat::pf4bit: return 4;
    case PixelFormat::pf8bit: return 8;
    case PixelFormat::pf24bit: return 24;
    case PixelFormat::pf32bit: return 32;
  }
  return 0;
}

Bitmap::Bitmap() = default;
Bitmap::~Bitmap() = default;

Bitmap::Bitmap(const Bitmap& o)
    : Graphic(o),
      width_(o.width_),
      height_(o.height_),
      format_(o.format_),
      palette_(o.palette_),
      indices_(o.indices_),
      pixels_(o.pixels_) {}

Bitmap& Bitmap::operator=(const Bitmap& o) {
  if (this != &o) {
    width_ = o.width_;
    height_ = o.height_;
    format_ = o.format_;
    palette_ = o.palette_;
    indices_ = o.indices_;
    pixels_ = o.pixels_;
  }
  return *this;
}

void Bitmap::SetPalette(HPalette pal) {
  palette_ = std::move(pal);
  PaletteModified = true;
  Changed();
}

namespace {
uint32_t EntryColour(const HPalette& pal, uint8_t i) {
  if (!pal || i >= pal->entries.size()) return 0;
  const PaletteEntry& e = pal->entries[i];
  return uint32_t(e.red) << 16 | uint32_t(e.green) << 8 | e.blue;
}

uint8_t NearestEntry(const HPalette& pal, uint32_t argb) {
  if (!pal) return 0;
  int r = (argb >> 16) & 255, g = (argb >> 8) & 255, b = argb & 255;
  int best = 0, bestD = 1 << 30;
  for (size_t i = 0; i < pal->entries.size(); ++i) {
    const PaletteEntry& e = pal->entries[i];
    int d = (e.red - r) * (e.red - r) + (e.green - g) * (e.green - g) + (e.blue - b) * (e.blue - b);
    if (d < bestD) bestD = d, best = int(i);
  }
  return uint8_t(best);
}
}  // namespace

uint32_t Bitmap::ColourAt(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  if (IsIndexed(format_)) return EntryColour(palette_, Index(x, y));
  return Pixel(x, y);
}

void Bitmap::SetPixelFormat(PixelFormat pf) {
  if (pf == format_) return;
  size_t n = size_t(width_) * height_;
  if (IsIndexed(pf) && !IsIndexed(format_)) {
    indices_.assign(n, 0);
    for (size_t i = 0; i < n; ++i) indices_[i] = NearestEntry(palette_, pixels_[i]);
    pixels_.clear();
  } else if (!IsIndexed(pf) && IsIndexed(format_)) {
    pixels_.assign(n, 0);
    for (size_t i = 0; i < n; ++i) pixels_[i] = EntryColour(palette_, indices_[i]);
    indices_.clear();
  } else if (IsIndexed(pf)) {
    // A smaller index range: indices that no longer fit become 0.
    int top = (1 << BitsOf(pf)) - 1;
    for (auto& v : indices_) if (v > top) v = 0;
  }
  format_ = pf;
  Changed();
}

void Bitmap::SetSize(int w, int h) {
  w = std::max(w, 0);
  h = std::max(h, 0);
  if (w == width_ && h == height_) return;
  uint64_t n = uint64_t(w) * uint64_t(h);
  if (w > 32767 || h > 32767 || n > PictureSizeLimit())
    throw PictureError("Bitmap size is too large");
  bool indexed = IsIndexed(format_);
  std::vector<uint8_t> ni(indexed ? n : 0, 0);
  std::vector<uint32_t> np(indexed ? 0 : n, 0);
  int cw = std::min(w, width_), ch = std::min(h, height_);
  for (int y = 0; y < ch; ++y)
    for (int x = 0; x < cw; ++x) {
      if (indexed) ni[size_t(y) * w + x] = Index(x, y);
      else np[size_t(y) * w + x] = Pixel(x, y);
    }
  indices_ = std::move(ni);
  pixels_ = std::move(np);
  width_ = w;
  height_ = h;
  Changed();
}

Canvas& Bitmap::GetCanvas() {
  if (!canvas_) canvas_ = std::make_unique<Canvas>(this);
  return *canvas_;
}

void Bitmap::Assign(const Persistent* src) {
  if (auto b = dynamic_cast<const Bitmap*>(src)) {
    if (b != this) *this = *b;
    Changed();
    return;
  }
  if (!src) {
    *this = Bitmap();
    Changed();
    return;
  }
  Graphic::Assign(src);
}

void Bitmap::LoadFromBytes(std::span<const uint8_t> data) {
  DecodedPicture d = DecodeBmp(data);
  if (!d) throw PictureError(d.error);
  *this = *d.bitmap;
  PaletteModified = true;
  Changed();
}

// ---------------------------------------------------------------- canvas

void Canvas::PutColour(int x, int y, uint32_t argb) {
  Bitmap* t = target_;
  if (!t || x < 0 || y < 0 || x >= t->GetWidth() || y >= t->GetHeight()) return;
  if (IsIndexed(t->GetPixelFormat())) t->Index(x, y) = NearestEntry(t->GetPalette(), argb);
  else t->Pixel(x, y) = argb;
}

void Canvas::FillRect(const Rect& r) {
  if (!target_) return;
  // BrushColor is 0x00BBGGRR; pixels are 0xAARRGGBB.
  uint32_t argb = (BrushColor & 0xFF) << 16 | (BrushColor & 0xFF00) | (BrushColor >> 16 & 0xFF);
  int l = std::max(std::min(r.left, r.right), 0), rr = std::min(std::max(r.left, r.right), target_->GetWidth());
  int t = std::max(std::min(r.top, r.bottom), 0), b = std::min(std::max(r.top, r.bottom), target_->GetHeight());
  for (int y = t; y < b; ++y)
    for (int x = l; x < rr; ++x) PutColour(x, y, argb);
}

void Canvas::StretchDraw(const Rect& dst, const Bitmap& src) {
  if (!target_) return;
  int dw = dst.Width(), dh = dst.Height();
  int sw = src.GetWidth(), sh = src.GetHeight();
  if (dw == 0 || dh == 0 || sw == 0 || sh == 0) return;
  int adw = std::abs(dw), adh = std::abs(dh);
  int x0 = std::min(dst.left, dst.right), y0 = std::min(dst.top, dst.bottom);
  // Only the part of the destination inside the target is walked.
  int cx0 = std::max(x0, 0), cx1 = std::min(x0 + adw, target_->GetWidth());
  int cy0 = std::max(y0, 0), cy1 = std::min(y0 + adh, target_->GetHeight());
  bool sameIndices = IsIndexed(src.GetPixelFormat()) && IsIndexed(target_->GetPixelFormat()) &&
                     src.GetPalette() && src.GetPalette() == target_->GetPalette();
  for (int y = cy0; y < cy1; ++y) {
    int dy = y - y0;
    int sy = int(int64_t(dh < 0 ? adh - 1 - dy : dy) * sh / adh);
    for (int x = cx0; x < cx1; ++x) {
      int dx = x - x0;
      int sx = int(int64_t(dw < 0 ? adw - 1 - dx : dx) * sw / adw);
      if (sameIndices) target_->Index(x, y) = src.Index(sx, sy);
      else PutColour(x, y, src.ColourAt(sx, sy) & 0xFFFFFF);
    }
  }
  target_->Modified = true;
}

// ---------------------------------------------------------------- picture classes

void PngImage::LoadFromBytes(std::span<const uint8_t> data) {
  DecodedPicture d = DecodePng(data, KeepIndices);
  if (!d) throw PictureError(d.error);
  bitmap_ = *d.bitmap;
  PaletteModified = true;
  Changed();
}

void PngImage::AssignTo(Persistent& dest) const {
  if (auto g = dynamic_cast<Graphic*>(&dest)) {
    g->Assign(&bitmap_);
    return;
  }
  Persistent::AssignTo(dest);
}

void JpegImage::LoadFromBytes(std::span<const uint8_t> data) {
  DecodedPicture d = DecodeJpeg(data);
  if (!d) throw PictureError(d.error);
  bitmap_ = *d.bitmap;
  Changed();
}

void JpegImage::AssignTo(Persistent& dest) const {
  if (auto g = dynamic_cast<Graphic*>(&dest)) {
    g->Assign(&bitmap_);
    return;
  }
  Persistent::AssignTo(dest);
}

// ---------------------------------------------------------------- decoders

namespace {
uint64_t g_sizeLimit = uint64_t(1) << 26;  // 64M pixels, 256 MB at 32 bits
}

void SetPictureSizeLimit(uint64_t maxPixels) { g_sizeLimit = maxPixels; }
uint64_t PictureSizeLimit() { return g_sizeLimit; }

DecodedPicture DecodePictureFile(std::string_view gamePath) {
  DecodedPicture out;
  std::string_view ext;
  if (size_t dot = gamePath.rfind('.'); dot != std::string_view::npos) ext = gamePath.substr(dot);
  if (ext != ".bmp" && ext != ".png" && ext != ".jpg") {
    out.error = "Unknown picture extension \"" + std::string(ext) + "\"";
    return out;
  }
  auto bytes = ReadFile(gamePath);
  if (!bytes) {
    out.error = "Cannot open file \"" + std::string(gamePath) + "\"";
    return out;
  }
  if (ext == ".bmp") return DecodeBmp(*bytes);
  if (ext == ".png") return DecodePng(*bytes);
  return DecodeJpeg(*bytes);
}

// ---------------------------------------------------------------- clipboard

GlobalBlock Clipboard::GetData(unsigned format) const {
  auto it = blocks_.find(format);
  return it == blocks_.end() ? nullptr : it->second;
}

Clipboard& TheClipboard() {
  static Clipboard c;
  return c;
}

}  // namespace plat
