// PNG files for the data build: writing 8-bit indexed pictures with their
// palette and 24/32-bit true-colour pictures, and reading a PNG's header to
// check what was written (the game's decoder reads the pixels back).
// Failures are return values carrying a message, never exceptions.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace plat {

using PngRgb = std::array<uint8_t, 3>;

// An 8-bit indexed picture: one byte per pixel, rows top to bottom, and a
// palette of 1..256 colours. Every index must name a palette entry.
struct PngIndexed {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;
  std::vector<PngRgb> palette;
};

// A true-colour picture: 3 (RGB) or 4 (RGBA) bytes per pixel, rows top to bottom.
struct PngTrueColour {
  int width = 0;
  int height = 0;
  int channels = 3;
  std::vector<uint8_t> pixels;
};

// What a PNG file says about itself in its header.
struct PngHeader {
  int width = 0;
  int height = 0;
  int bitDepth = 0;
  int colourType = 0;  // 0 grey, 2 RGB, 3 indexed, 4 grey+alpha, 6 RGBA
};

// Encodes into memory; false (with a reason in *error) when the picture is
// inconsistent (sizes, pixel count, palette size, an index past the palette).
bool EncodePngIndexed(const PngIndexed& picture, std::vector<uint8_t>& out,
                      std::string* error = nullptr);
bool EncodePngTrueColour(const PngTrueColour& picture, std::vector<uint8_t>& out,
                         std::string* error = nullptr);

// Encodes and writes a file at a host path (written under a temporary name and
// renamed, so a failed write never leaves half a file under the final name).
bool WritePngIndexed(const std::string& hostPath, const PngIndexed& picture,
                     std::string* error = nullptr);
bool WritePngTrueColour(const std::string& hostPath, const PngTrueColour& picture,
                        std::string* error = nullptr);

// Reads the header fields of PNG data without decoding pixels.
bool ReadPngHeader(const std::vector<uint8_t>& data, PngHeader& header);

}  // namespace plat
