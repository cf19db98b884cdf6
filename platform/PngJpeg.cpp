// PNG pictures through libpng and JPEG pictures through libjpeg, both read
// from memory. Both libraries report errors by jumping out of the decoder, so
// each decoder keeps the objects that need freeing outside the jump and does
// nothing between setjmp and the library calls that needs unwinding.
#include <png.h>
#include <jpeglib.h>
#include <jerror.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "platform/Pictures.h"

namespace plat {

namespace {

DecodedPicture Fail(const char* kind, std::string why) {
  DecodedPicture d;
  d.error = std::string(kind) + ": " + std::move(why);
  return d;
}

bool SizeAllowed(uint64_t w, uint64_t h) {
  return w > 0 && h > 0 && w <= 32767 && h <= 32767 && w * h <= PictureSizeLimit();
}

// ---------------------------------------------------------------- PNG

struct PngSource {
  std::span<const uint8_t> data;
  size_t pos = 0;
};

struct PngErrorState {
  char message[200] = "";
};

void PngRead(png_structp png, png_bytep out, png_size_t n) {
  auto* src = static_cast<PngSource*>(png_get_io_ptr(png));
  if (n > src->data.size() - src->pos) png_error(png, "file is cut off");
  std::memcpy(out, src->data.data() + src->pos, n);
  src->pos += n;
}

void PngOnError(png_structp png, png_const_charp msg) {
  auto* st = static_cast<PngErrorState*>(png_get_error_ptr(png));
  std::snprintf(st->message, sizeof st->message, "%s", msg ? msg : "error");
  png_longjmp(png, 1);
}

void PngOnWarning(png_structp, png_const_charp) {}

// The part of a PNG decode that runs under setjmp: it touches only plain
// memory owned by the caller, so a jump out of it leaks nothing.
struct PngPlain {
  png_uint_32 width = 0, height = 0;
  int colourType = 0, bitDepth = 0;
  int paletteCount = 0;
  png_color palette[256] = {};
  bool indexed = false;
  size_t rowBytes = 0;
};

bool PngHeader(png_structp png, png_infop info, bool keepIndices, PngPlain& p) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_user_limits(png, 32767, 32767);
  png_read_info(png, info);
  int interlace = 0;
  png_get_IHDR(png, info, &p.width, &p.height, &p.bitDepth, &p.colourType, &interlace,
               nullptr, nullptr);
  if (!SizeAllowed(p.width, p.height)) png_error(png, "picture is too large");
  p.indexed = p.colourType == PNG_COLOR_TYPE_PALETTE && keepIndices;
  if (p.colourType == PNG_COLOR_TYPE_PALETTE) {
    png_colorp pal = nullptr;
    int n = 0;
    if (png_get_PLTE(png, info, &pal, &n) && pal) {
      p.paletteCount = std::min(n, 256);
      std::memcpy(p.palette, pal, sizeof(png_color) * p.paletteCount);
    }
  }
  if (p.indexed) {
    png_set_packing(png);  // 1, 2 and 4-bit indices become one byte each
  } else {
    if (p.colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (p.colourType == PNG_COLOR_TYPE_GRAY && p.bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (p.colourType == PNG_COLOR_TYPE_GRAY || p.colourType == PNG_COLOR_TYPE_GRAY_ALPHA)
      png_set_gray_to_rgb(png);
    png_set_strip_16(png);
    png_set_strip_alpha(png);
  }
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  p.rowBytes = png_get_rowbytes(png, info);
  size_t want = p.indexed ? p.width : size_t(p.width) * 3;
  if (p.rowBytes != want) png_error(png, "unexpected row layout");
  return true;
}

bool PngRows(png_structp png, png_bytepp rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_image(png, rows);
  return true;
}

// ---------------------------------------------------------------- JPEG

struct JpegError {
  jpeg_error_mgr mgr;
  jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
  bool cutOff = false;
};

void JpegOnError(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<JpegError*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  longjmp(err->jump, 1);
}

void JpegOnMessage(j_common_ptr) {}

// The memory source pads a file that ends early with an end marker and only
// warns; such a file is refused rather than shown half grey.
void JpegOnEmit(j_common_ptr cinfo, int level) {
  if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF)
    reinterpret_cast<JpegError*>(cinfo->err)->cutOff = true;
}

}  // namespace

DecodedPicture DecodePng(std::span<const uint8_t> data, bool keepIndices) {
  if (data.size() < 8 || png_sig_cmp(data.data(), 0, 8) != 0) return Fail("PNG", "not a PNG file");
  PngErrorState errState;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &errState, PngOnError, PngOnWarning);
  if (!png) return Fail("PNG", "out of memory");
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return Fail("PNG", "out of memory");
  }
  PngSource src{data, 0};
  png_set_read_fn(png, &src, PngRead);

  PngPlain p;
  std::vector<uint8_t> buffer;
  std::vector<png_bytep> rows;
  bool ok = PngHeader(png, info, keepIndices, p);
  if (ok) {
    buffer.assign(p.rowBytes * p.height, 0);
    rows.resize(p.height);
    for (png_uint_32 y = 0; y < p.height; ++y) rows[y] = buffer.data() + p.rowBytes * y;
    ok = PngRows(png, rows.data());
  }
  png_destroy_read_struct(&png, &info, nullptr);
  if (!ok) return Fail("PNG", errState.message[0] ? errState.message : "cannot decode");

  auto bmp = std::make_unique<Bitmap>();
  const int w = int(p.width), h = int(p.height);
  if (p.indexed) {
    bmp->SetPixelFormat(PixelFormat::pf8bit);
    std::vector<PaletteEntry> pal;
    for (int i = 0; i < p.paletteCount; ++i)
      pal.push_back({p.palette[i].red, p.palette[i].green, p.palette[i].blue, 0});
    bmp->SetPalette(CreatePalette(pal));
    bmp->SetSize(w, h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) bmp->Index(x, y) = buffer[p.rowBytes * y + x];
  } else {
    bmp->SetPixelFormat(PixelFormat::pf32bit);
    bmp->SetSize(w, h);
    for (int y = 0; y < h; ++y) {
      const uint8_t* s = buffer.data() + p.rowBytes * y;
      for (int x = 0; x < w; ++x)
        bmp->Pixel(x, y) = uint32_t(s[3 * x]) << 16 | uint32_t(s[3 * x + 1]) << 8 | s[3 * x + 2];
    }
  }
  bmp->Modified = false;
  bmp->PaletteModified = false;
  DecodedPicture out;
  out.bitmap = std::move(bmp);
  return out;
}

namespace {
// Runs the decode under setjmp; fills buffer with RGB rows. Only plain memory
// is touched between the jump point and the library calls.
bool JpegDecodeInto(jpeg_decompress_struct& cinfo, JpegError& err, std::span<const uint8_t> data,
                    std::vector<uint8_t>& buffer, unsigned& w, unsigned& h) {
  if (setjmp(err.jump)) return false;
  jpeg_mem_src(&cinfo, data.data(), static_cast<unsigned long>(data.size()));
  jpeg_read_header(&cinfo, TRUE);
  if (!SizeAllowed(cinfo.image_width, cinfo.image_height)) {
    std::snprintf(err.message, sizeof err.message, "picture is too large");
    return false;
  }
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  w = cinfo.output_width;
  h = cinfo.output_height;
  if (cinfo.output_components != 3 || !SizeAllowed(w, h)) {
    std::snprintf(err.message, sizeof err.message, "unexpected output layout");
    return false;
  }
  // Reserved before the jump-prone loop; resize cannot throw past a longjmp.
  buffer.resize(size_t(w) * h * 3);
  while (cinfo.output_scanline < h) {
    JSAMPROW row = buffer.data() + size_t(cinfo.output_scanline) * w * 3;
    if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) {
      std::snprintf(err.message, sizeof err.message, "file is cut off");
      return false;
    }
  }
  jpeg_finish_decompress(&cinfo);
  if (err.cutOff) {
    std::snprintf(err.message, sizeof err.message, "file is cut off");
    return false;
  }
  return true;
}
}  // namespace

DecodedPicture DecodeJpeg(std::span<const uint8_t> data) {
  if (data.size() < 4 || data[0] != 0xFF || data[1] != 0xD8) return Fail("JPEG", "not a JPEG file");
  jpeg_decompress_struct cinfo;
  JpegError err;
  err.message[0] = 0;
  cinfo.err = jpeg_std_error(&err.mgr);
  err.mgr.error_exit = JpegOnError;
  err.mgr.output_message = JpegOnMessage;
  err.mgr.emit_message = JpegOnEmit;
  jpeg_create_decompress(&cinfo);
  std::vector<uint8_t> buffer;
  unsigned w = 0, h = 0;
  bool ok = JpegDecodeInto(cinfo, err, data, buffer, w, h);
  jpeg_destroy_decompress(&cinfo);
  if (!ok) return Fail("JPEG", err.message[0] ? err.message : "cannot decode");

  auto bmp = std::make_unique<Bitmap>();
  bmp->SetPixelFormat(PixelFormat::pf32bit);
  bmp->SetSize(int(w), int(h));
  for (unsigned y = 0; y < h; ++y)
    for (unsigned x = 0; x < w; ++x) {
      const uint8_t* s = buffer.data() + (size_t(y) * w + x) * 3;
      bmp->Pixel(int(x), int(y)) = uint32_t(s[0]) << 16 | uint32_t(s[1]) << 8 | s[2];
    }
  bmp->Modified = false;
  DecodedPicture out;
  out.bitmap = std::move(bmp);
  return out;
}

namespace {
bool JpegEncodeInto(jpeg_compress_struct& cinfo, JpegError& err, const Bitmap& bmp, int quality,
                    unsigned char** out, unsigned long* outSize, std::vector<uint8_t>& row) {
  if (setjmp(err.jump)) return false;
  jpeg_mem_dest(&cinfo, out, outSize);
  cinfo.image_width = JDIMENSION(bmp.GetWidth());
  cinfo.image_height = JDIMENSION(bmp.GetHeight());
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    int y = int(cinfo.next_scanline);
    for (int x = 0; x < bmp.GetWidth(); ++x) {
      uint32_t c = bmp.ColourAt(x, y);
      row[3 * x] = uint8_t(c >> 16), row[3 * x + 1] = uint8_t(c >> 8), row[3 * x + 2] = uint8_t(c);
    }
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&cinfo, &r, 1);
  }
  jpeg_finish_compress(&cinfo);
  return true;
}
}  // namespace

std::vector<uint8_t> EncodeJpeg(const Bitmap& bmp, int quality) {
  if (bmp.GetEmpty()) return {};
  jpeg_compress_struct cinfo;
  JpegError err;
  cinfo.err = jpeg_std_error(&err.mgr);
  err.mgr.error_exit = JpegOnError;
  err.mgr.output_message = JpegOnMessage;
  jpeg_create_compress(&cinfo);
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  std::vector<uint8_t> row(size_t(bmp.GetWidth()) * 3);
  bool ok = JpegEncodeInto(cinfo, err, bmp, std::clamp(quality, 1, 100), &out, &outSize, row);
  jpeg_destroy_compress(&cinfo);
  std::vector<uint8_t> result;
  if (ok && out) result.assign(out, out + outSize);
  std::free(out);
  return result;
}

}  // namespace plat
