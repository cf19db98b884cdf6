#include "platform/SystemFont.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>

#include "platform/SjisText.h"

namespace plat {

namespace {

// Code points of a UTF-8 text; broken sequences become '?'.
std::vector<uint32_t> CodePoints(std::string_view s) {
  std::vector<uint32_t> out;
  for (size_t i = 0; i < s.size();) {
    const uint8_t c = uint8_t(s[i]);
    const int n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + size_t(n) > s.size()) {
      out.push_back('?');
      ++i;
      continue;
    }
    uint32_t cp = n == 1 ? c : c & (0x7F >> n);
    for (int k = 1; k < n; ++k) cp = cp << 6 | (uint8_t(s[i + size_t(k)]) & 0x3F);
    out.push_back(cp);
    i += size_t(n);
  }
  return out;
}

bool IsLeadByte(uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

constexpr int kMaxPixelSize = 512;
constexpr int kMaxWidth = 8192;

}  // namespace

// ---- FreeType ---------------------------------------------------------------

struct FreeTypeFontRenderer::Impl {
  FT_Library lib = nullptr;
  std::vector<FT_Face> faces;  // every candidate that opened, in list order
  std::vector<std::string> files;
  bool tried = false;

  // The first face with a glyph for cp; the first face (whose missing-glyph
  // box is drawn) when none has one.
  FT_Face FaceFor(uint32_t cp) const {
    for (FT_Face f : faces)
      if (FT_Get_Char_Index(f, cp) != 0) return f;
    return faces.front();
  }
};

FreeTypeFontRenderer::FreeTypeFontRenderer()
    : Candidates{"/usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf",
                 "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc",
                 "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"},
      impl_(new Impl) {}

FreeTypeFontRenderer::~FreeTypeFontRenderer() {
  for (FT_Face f : impl_->faces) FT_Done_Face(f);
  if (impl_->lib) FT_Done_FreeType(impl_->lib);
  delete impl_;
}

bool FreeTypeFontRenderer::Open() {
  if (impl_->tried) return !impl_->faces.empty();
  impl_->tried = true;
  if (FT_Init_FreeType(&impl_->lib) != 0) {
    impl_->lib = nullptr;
    return false;
  }
  for (const std::string& path : Candidates) {
    FT_Face face = nullptr;
    if (FT_New_Face(impl_->lib, path.c_str(), 0, &face) != 0) continue;
    impl_->faces.push_back(face);
    impl_->files.push_back(path);
  }
  return !impl_->faces.empty();
}

std::string FreeTypeFontRenderer::FontFile() {
  Open();
  return impl_->files.empty() ? std::string() : impl_->files.front();
}

bool FreeTypeFontRenderer::Render(std::string_view, int pixelSize, bool smooth,
                                  int letterSpacing, std::string_view sjis, TextCoverage& out) {
  out = TextCoverage();
  if (!Open()) return false;
  pixelSize = std::clamp(pixelSize, 1, kMaxPixelSize);
  for (FT_Face f : impl_->faces)
    if (FT_Set_Pixel_Sizes(f, 0, FT_UInt(pixelSize)) != 0) return false;
  // The line takes the first font's height, so a text looks the same
  // whichever fonts its characters come from.
  const FT_Size_Metrics& m = impl_->faces.front()->size->metrics;
  const int ascent = int((m.ascender + 63) >> 6);
  const int descent = int((-m.descender + 63) >> 6);
  out.Height = std::max(ascent + descent, 1);

  // Each glyph is rendered once and kept with its place on the line.
  struct Placed {
    int x, y, w, h;
    std::vector<uint8_t> cov;
  };
  std::vector<Placed> glyphs;
  int pen = 0;
  const FT_Int32 flags = FT_LOAD_RENDER | (smooth ? FT_LOAD_TARGET_NORMAL
                                                  : (FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME));
  for (uint32_t cp : CodePoints(SjisToUtf8(sjis))) {
    if (pen > kMaxWidth) break;
    FT_Face face = impl_->FaceFor(cp);
    if (FT_Load_Char(face, cp, flags) != 0) continue;
    const FT_GlyphSlot g = face->glyph;
    const FT_Bitmap& b = g->bitmap;
    Placed p{pen + g->bitmap_left, ascent - g->bitmap_top, int(b.width), int(b.rows), {}};
    p.cov.resize(size_t(p.w) * size_t(p.h));
    for (int y = 0; y < p.h; ++y) {
      const uint8_t* row = b.buffer + ptrdiff_t(y) * b.pitch;
      for (int x = 0; x < p.w; ++x) {
        uint8_t v;
        if (b.pixel_mode == FT_PIXEL_MODE_MONO) v = (row[x >> 3] >> (7 - (x & 7)) & 1) ? 255 : 0;
        else v = row[x];
        p.cov[size_t(y) * size_t(p.w) + size_t(x)] = v;
      }
    }
    glyphs.push_back(std::move(p));
    pen += int(g->advance.x >> 6) + letterSpacing;
  }
  out.Width = std::clamp(pen, 0, kMaxWidth);
  out.Cov.assign(size_t(out.Width) * size_t(out.Height), 0);
  for (const Placed& p : glyphs)
    for (int y = 0; y < p.h; ++y)
      for (int x = 0; x < p.w; ++x) {
        const int tx = p.x + x, ty = p.y + y;
        if (tx < 0 || ty < 0 || tx >= out.Width || ty >= out.Height) continue;
        uint8_t& c = out.Cov[size_t(ty) * size_t(out.Width) + size_t(tx)];
        c = std::max(c, p.cov[size_t(y) * size_t(p.w) + size_t(x)]);
      }
  return true;
}

// ---- the boxes of the tests -------------------------------------------------

bool BoxFontRenderer::Render(std::string_view face, int pixelSize, bool smooth, int letterSpacing,
                             std::string_view sjis, TextCoverage& out) {
  Faces.emplace_back(face);
  out = TextCoverage();
  if (!Available) return false;
  pixelSize = std::clamp(pixelSize, 1, kMaxPixelSize);
  std::vector<int> widths;
  for (size_t i = 0; i < sjis.size(); ++i) {
    const bool two = IsLeadByte(uint8_t(sjis[i])) && i + 1 < sjis.size();
    widths.push_back(two ? pixelSize : pixelSize / 2);
    if (two) ++i;
  }
  int w = 0;
  for (int cw : widths) w += cw + letterSpacing;
  out.Width = std::clamp(w, 0, kMaxWidth);
  out.Height = pixelSize;
  out.Cov.assign(size_t(out.Width) * size_t(out.Height), 0);
  int x0 = 0;
  for (int cw : widths) {
    for (int y = 0; y < pixelSize; ++y)
      for (int x = 0; x < cw; ++x) {
        if (x0 + x >= out.Width) break;
        const bool edge = x == 0 || y == 0 || x == cw - 1 || y == pixelSize - 1;
        out.Cov[size_t(y) * size_t(out.Width) + size_t(x0 + x)] = smooth && edge ? 128 : 255;
      }
    x0 += cw + letterSpacing;
  }
  return true;
}

// ---- the current renderer ---------------------------------------------------

namespace {
FontRenderer* g_renderer = nullptr;
}

FontRenderer& CurrentFontRenderer() {
  if (g_renderer) return *g_renderer;
  static FreeTypeFontRenderer freetype;
  return freetype;
}

void SetFontRenderer(FontRenderer* r) { g_renderer = r; }

}  // namespace plat
