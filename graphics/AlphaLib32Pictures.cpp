#include "graphics/AlphaLib32Pictures.h"

#include <algorithm>
#include <exception>

#include "platform/Files.h"

std::unique_ptr<TPaletteData> LoadEDGEPaletteFile(std::string_view gamePath) {
  if (!plat::FileExists(gamePath)) return nullptr;
  auto bytes = plat::ReadFile(gamePath, EDGEPalFileSize);
  if (!bytes) return nullptr;
  return ReadEDGEPalette(*bytes);
}

std::unique_ptr<TPaletteData> ReadEDGEPalette(std::span<const uint8_t> bytes) {
  uint8_t file[EDGEPalFileSize] = {};
  std::copy_n(bytes.begin(), std::min(bytes.size(), EDGEPalFileSize), file);
  auto p = std::make_unique<TPaletteData>();
  plat::PaletteEntry entries[256];
  for (int i = 0; i < 256; ++i) {
    const uint8_t* rgb = file + 10 + 3 * i;
    p->RGBQUAD256[i] = {rgb[2], rgb[1], rgb[0], 0};
    entries[i] = {rgb[0], rgb[1], rgb[2], 0};
  }
  p->HPal = plat::CreatePalette(entries);
  return p;
}

namespace {

plat::HPalette PaletteOf(const TPaletteData& pal) {
  if (pal.HPal) return plat::CreatePalette(pal.HPal->entries);
  plat::PaletteEntry e[256];
  for (int i = 0; i < 256; ++i)
    e[i] = {pal.RGBQUAD256[i].rgbRed, pal.RGBQUAD256[i].rgbGreen, pal.RGBQUAD256[i].rgbBlue, 0};
  return plat::CreatePalette(e);
}

// Takes the palette's colours when the DIB is 8-bit, and hands the picture
// back as a toolkit bitmap.
std::unique_ptr<plat::Bitmap> Recolour(TQxDIB& dib, const TPaletteData& pal, bool anyEightBit) {
  const bool eight = anyEightBit ? dib.GetBitCount() == 8 : dib.GetPixelFormat() == qxPf8Bit;
  if (eight) dib.SetPalette(PaletteOf(pal));
  auto out = std::make_unique<plat::Bitmap>();
  dib.AssignTo(*out);
  return out;
}

std::unique_ptr<plat::Bitmap> DecodeBmpWithPalette(std::span<const uint8_t> data,
                                                   const TPaletteData* pal, bool fromArchive) {
  if (!pal) {
    auto b = std::make_unique<plat::Bitmap>();
    b->LoadFromBytes(data);
    return b;
  }
  // The whole picture goes through the DIB class, which reads the colour
  // table where the header puts it; an archive entry's table is replaced only
  // through it, never by writing into the entry's bytes.
  TQxDIB dib;
  dib.LoadFromBytes(data);
  return Recolour(dib, *pal, fromArchive);
}

std::unique_ptr<plat::Bitmap> DecodePngWithPalette(std::span<const uint8_t> data,
                                                   const TPaletteData* pal) {
  plat::PngImage png;
  png.LoadFromBytes(data);
  if (!pal) {
    auto b = std::make_unique<plat::Bitmap>();
    b->Assign(&png);
    return b;
  }
  TQxDIB dib;
  dib.Assign(&png);
  return Recolour(dib, *pal, false);
}

// Palette entry 0 of an 8-bit result, for the colour key.
void CapturePE0(ALDecodedPicture& out) {
  if (out.Bmp->GetPixelFormat() != plat::PixelFormat::pf8bit) return;
  out.PE_f = true;
  plat::PaletteEntry e;
  if (plat::GetPaletteEntries(out.Bmp->GetPalette(), 0, 1, &e) == 1) out.PE = {e.red, e.green, e.blue, 0};
}

}  // namespace

ALDecodedPicture ALDecodePicture(std::string_view ext, std::span<const uint8_t> data,
                                 const TPaletteData* pal, bool capturePE0, bool fromArchive) {
  ALDecodedPicture out;
  try {
    if (ext == ".bmp") {
      out.Bmp = DecodeBmpWithPalette(data, pal, fromArchive);
    } else if (ext == ".png") {
      out.Bmp = DecodePngWithPalette(data, pal);
    } else if (ext == ".jpg") {
      plat::JpegImage jpg;
      jpg.LoadFromBytes(data);
      out.Bmp = std::make_unique<plat::Bitmap>(jpg.GetBitmap());
      return out;
    } else {
      out.Error = "unknown picture extension \"" + std::string(ext) + "\"";
      return out;
    }
  } catch (const std::exception& e) {
    out.Bmp.reset();
    out.Error = e.what();
    return out;
  }
  if (capturePE0) CapturePE0(out);
  return out;
}

ALDecodedPicture ALDecodeEntryPicture(ALIndexedMemo& memo, std::string_view ext,
                                      std::span<const uint8_t> data, const TPaletteData* pal,
                                      bool capturePE0) {
  const bool memoable = ext == ".png" && pal;
  if (memoable && memo.Bmp && std::ranges::equal(memo.Bytes, data)) {
    ALDecodedPicture out;
    out.Bmp = std::make_unique<plat::Bitmap>(*memo.Bmp);
    out.Bmp->SetPalette(PaletteOf(*pal));
    if (capturePE0) CapturePE0(out);
    return out;
  }
  ALDecodedPicture out = ALDecodePicture(ext, data, pal, capturePE0, true);
  // Only a picture that kept its indices can take other colours later.
  if (memoable && out.Bmp && out.Bmp->GetPixelFormat() == plat::PixelFormat::pf8bit) {
    memo.Bytes.assign(data.begin(), data.end());
    memo.Bmp = std::make_unique<plat::Bitmap>(*out.Bmp);
  }
  return out;
}

std::string_view ALExtension(std::string_view fileName) {
  size_t dot = fileName.rfind('.');
  size_t sep = fileName.find_last_of("\\/");
  if (dot == std::string_view::npos || (sep != std::string_view::npos && dot < sep)) return {};
  return fileName.substr(dot);
}

std::string ALCompanionName(std::string_view fileName) {
  std::string_view ext = ALExtension(fileName);
  std::string base(fileName.substr(0, fileName.size() - ext.size()));
  return base + "_a" + std::string(ext);
}

plat::Bitmap SetColBmp(const plat::Bitmap& src, const plat::Rect& r, int aspect) {
  const bool whole = r.right == 0 || r.bottom == 0;
  const int left = whole ? 0 : r.left, top = whole ? 0 : r.top;
  const int w = whole ? src.GetWidth() : r.Width(), h = whole ? src.GetHeight() : r.Height();
  aspect = std::max(aspect, 1);
  plat::Bitmap out;
  out.SetPixelFormat(plat::PixelFormat::pf32bit);
  out.SetSize(std::max(w, 0) * aspect, std::max(h, 0) * aspect);
  for (int y = 0; y < std::max(h, 0); ++y)
    for (int x = 0; x < std::max(w, 0); ++x)
      out.Pixel(x, y) = src.ColourAt(left + x, top + y) & 0xFFFFFF;  // outside gives 0
  return out;
}

void MergeAlphaCompanion(plat::Bitmap& colour, const plat::Bitmap& companion) {
  if (colour.GetPixelFormat() != plat::PixelFormat::pf32bit &&
      colour.GetPixelFormat() != plat::PixelFormat::pf24bit)
    return;
  for (int y = 0; y < colour.GetHeight(); ++y)
    for (int x = 0; x < colour.GetWidth(); ++x) {
      uint32_t a = companion.ColourAt(x, y) & 0xFF;  // blue byte; 0 outside
      colour.Pixel(x, y) = (colour.Pixel(x, y) & 0xFFFFFF) | a << 24;
    }
}
