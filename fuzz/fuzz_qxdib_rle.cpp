// The run-length decoders of the bitmap store on hostile codes, and the
// encoders on whatever they decode: encoding a decoded picture and decoding
// it again must give the same pixels.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <exception>
#include <vector>

#include "graphics/QxDIB.h"
#include "graphics/QxDIBConvert.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  // Header bytes: depth and sign, width, height (pictures up to 128 x 128).
  const bool four = data[0] & 1;
  const bool topDown = data[0] & 2;
  TQxDIBInfos rle;
  rle.W3Head.biWidth = 1 + data[1] % 128;
  rle.W3Head.biHeight = (1 + data[2] % 128) * (topDown ? -1 : 1);
  rle.W3Head.biBitCount = four ? 4 : 8;
  rle.W3Head.biCompression = four ? 2 : 1;
  rle.W3Head.biClrUsed = four ? 16 : 256;
  for (int i = 0; i < 256; ++i) rle.Colors[i] = {uint8_t(i), uint8_t(i * 3), uint8_t(i * 7), 0};
  rle.Bits.assign(data + 3, data + size);
  rle.BitsSize = int32_t(rle.Bits.size());

  TQxDIBInfos plain;
  try {
    if (four) Convert4BitRLETo4BitRGB(rle, plain, true);
    else Convert8BitRLETo8BitRGB(rle, plain, true);
  } catch (const EQxDIBError&) {
    return 0;
  }
  // Whatever decoded must encode (or be refused as not shrinking) and come back.
  TQxDIBInfos again, back;
  try {
    if (four) Convert4BitRGBTo4BitRLE(plain, again, true);
    else Convert8BitRGBTo8BitRLE(plain, again, true);
  } catch (const EQxDIBCompressionFailed&) {
    return 0;
  }
  if (four) Convert4BitRLETo4BitRGB(again, back, true);
  else Convert8BitRLETo8BitRGB(again, back, true);
  const int64_t rows = plain.W3Head.biHeight < 0 ? -int64_t(plain.W3Head.biHeight) : plain.W3Head.biHeight;
  const int64_t rowBytes = DIBRowBytes(plain.W3Head.biWidth, plain.W3Head.biBitCount);
  const int64_t w = plain.W3Head.biWidth;
  for (int64_t y = 0; y < rows; ++y) {
    // The encoder writes bottom-up, so a top-down source comes back flipped.
    const int64_t src = plain.W3Head.biHeight > 0 ? y : rows - 1 - y;
    const uint8_t* a = plain.Bits.data() + rowBytes * src;
    const uint8_t* b = back.Bits.data() + rowBytes * y;
    for (int64_t x = 0; x < w; ++x) {
      const int pa = four ? ((x & 1) ? a[x / 2] & 15 : a[x / 2] >> 4) : a[x];
      const int pb = four ? ((x & 1) ? b[x / 2] & 15 : b[x / 2] >> 4) : b[x];
      if (pa != pb) __builtin_trap();
    }
  }
  // The decoded picture through the other conversions.
  TQxDIBInfos out;
  ConvertToHalfTone(plain, out, true);
  ConvertToHalfToneBW(plain, out, true);
  if (four) Convert4BitRGBToTrueColor(plain, out, true);
  else Convert8BitRGBTo4BitRGB(plain, out, nullptr, true);
  return 0;
}
