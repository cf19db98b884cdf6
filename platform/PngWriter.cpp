// libpng stays inside this file. libpng reports errors by longjmp, so the
// function that calls it keeps its C++ objects alive in the caller and only
// plain pointers cross the setjmp point.
#include "platform/PngWriter.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "platform/Files.h"

namespace plat {
namespace {

constexpr int kMaxSide = 16384;

struct ErrorSink {
  char message[256] = {};
};

void OnPngError(png_structp png, png_const_charp msg) {
  auto* sink = static_cast<ErrorSink*>(png_get_error_ptr(png));
  if (sink != nullptr) std::snprintf(sink->message, sizeof sink->message, "%s", msg);
  png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

void AppendBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void NoFlush(png_structp) {}

void SetError(std::string* error, const std::string& text) {
  if (error != nullptr) *error = text;
}

bool CheckSize(int w, int h, std::string* error) {
  if (w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide) {
    SetError(error, "picture size out of range");
    return false;
  }
  return true;
}

// The libpng half of encoding: rows point into the caller's pixels.
bool EncodeRows(int w, int h, int colourType, const png_color* palette, int paletteCount,
                png_bytep* rows, std::vector<uint8_t>* out, ErrorSink* sink) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, sink, OnPngError, OnPngWarning);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, out, AppendBytes, NoFlush);
  png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), 8, colourType,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (palette != nullptr) png_set_PLTE(png, info, palette, paletteCount);
  png_set_compression_level(png, 9);
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}

bool WriteWhole(const std::string& hostPath, const std::vector<uint8_t>& bytes,
                std::string* error) {
  std::string why;
  if (WriteFile(hostPath, bytes.data(), bytes.size(), &why)) return true;
  SetError(error, "cannot write " + hostPath + " (" + why + ")");
  return false;
}

}  // namespace

bool EncodePngIndexed(const PngIndexed& picture, std::vector<uint8_t>& out, std::string* error) {
  if (!CheckSize(picture.width, picture.height, error)) return false;
  const size_t count = static_cast<size_t>(picture.width) * picture.height;
  if (picture.pixels.size() != count) {
    SetError(error, "pixel count does not match the size");
    return false;
  }
  if (picture.palette.empty() || picture.palette.size() > 256) {
    SetError(error, "palette must hold 1 to 256 colours");
    return false;
  }
  for (uint8_t index : picture.pixels) {
    if (index >= picture.palette.size()) {
      SetError(error, "pixel index " + std::to_string(index) + " is past the palette");
      return false;
    }
  }
  std::vector<png_color> plte;
  for (const PngRgb& c : picture.palette) plte.push_back({c[0], c[1], c[2]});
  std::vector<png_bytep> rows(picture.height);
  for (int y = 0; y < picture.height; ++y)
    rows[y] = const_cast<png_bytep>(picture.pixels.data() + static_cast<size_t>(y) * picture.width);
  out.clear();
  ErrorSink sink;
  if (!EncodeRows(picture.width, picture.height, PNG_COLOR_TYPE_PALETTE, plte.data(),
                  static_cast<int>(plte.size()), rows.data(), &out, &sink)) {
    SetError(error, std::string("PNG encoder: ") + sink.message);
    return false;
  }
  return true;
}

bool EncodePngTrueColour(const PngTrueColour& picture, std::vector<uint8_t>& out,
                         std::string* error) {
  if (!CheckSize(picture.width, picture.height, error)) return false;
  if (picture.channels != 3 && picture.channels != 4) {
    SetError(error, "true-colour pictures have 3 or 4 channels");
    return false;
  }
  const size_t stride = static_cast<size_t>(picture.width) * picture.channels;
  if (picture.pixels.size() != stride * picture.height) {
    SetError(error, "pixel count does not match the size");
    return false;
  }
  std::vector<png_bytep> rows(picture.height);
  for (int y = 0; y < picture.height; ++y)
    rows[y] = const_cast<png_bytep>(picture.pixels.data() + y * stride);
  out.clear();
  ErrorSink sink;
  const int type = picture.channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
  if (!EncodeRows(picture.width, picture.height, type, nullptr, 0, rows.data(), &out, &sink)) {
    SetError(error, std::string("PNG encoder: ") + sink.message);
    return false;
  }
  return true;
}

bool WritePngIndexed(const std::string& hostPath, const PngIndexed& picture, std::string* error) {
  std::vector<uint8_t> bytes;
  return EncodePngIndexed(picture, bytes, error) && WriteWhole(hostPath, bytes, error);
}

bool WritePngTrueColour(const std::string& hostPath, const PngTrueColour& picture,
                        std::string* error) {
  std::vector<uint8_t> bytes;
  return EncodePngTrueColour(picture, bytes, error) && WriteWhole(hostPath, bytes, error);
}

bool ReadPngHeader(const std::vector<uint8_t>& data, PngHeader& header) {
  static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  // Signature, then the IHDR chunk: length 13, "IHDR", width, height, depth, type.
  if (data.size() < 33 || std::memcmp(data.data(), kSignature, 8) != 0 ||
      std::memcmp(data.data() + 12, "IHDR", 4) != 0)
    return false;
  auto be32 = [&](size_t at) {
    return (uint32_t{data[at]} << 24) | (uint32_t{data[at + 1]} << 16) |
           (uint32_t{data[at + 2]} << 8) | uint32_t{data[at + 3]};
  };
  const uint32_t w = be32(16), h = be32(20);
  if (w == 0 || h == 0 || w > kMaxSide || h > kMaxSide) return false;
  header = {static_cast<int>(w), static_cast<int>(h), data[24], data[25]};
  return true;
}

}  // namespace plat
