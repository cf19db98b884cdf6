// Pixel-format conversions on a picture of the game's screen size (512 x 240):
// colour reduction in both qualities, halftoning and the RLE8 codec.
#include <benchmark/benchmark.h>

#include <random>

#include "graphics/QxDIB.h"
#include "graphics/QxDIBConvert.h"

namespace {

// A 24-bit screen picture: smooth gradients with a little noise, as a photo
// or a court background would have.
const TQxDIBInfos& Screen24() {
  static const TQxDIBInfos d = [] {
    TQxDIBInfos s;
    s.W3Head.biWidth = 512;
    s.W3Head.biHeight = 240;
    s.W3Head.biBitCount = 24;
    qxconv::TakeRows(s, true);
    std::mt19937 rng(7);
    const int64_t row = DIBRowBytes(512, 24);
    for (int y = 0; y < 240; ++y)
      for (int x = 0; x < 512; ++x) {
        uint8_t* p = s.Bits.data() + row * y + 3 * x;
        p[0] = uint8_t(x / 2 + rng() % 8);
        p[1] = uint8_t(y + rng() % 8);
        p[2] = uint8_t((x + y) / 3);
      }
    return s;
  }();
  return d;
}

// An 8-bit screen picture with flat areas, as the game's sprites have.
const TQxDIBInfos& Screen8() {
  static const TQxDIBInfos d = [] {
    TQxDIBInfos s;
    s.W3Head.biWidth = 512;
    s.W3Head.biHeight = 240;
    s.W3Head.biBitCount = 8;
    s.W3Head.biClrUsed = 256;
    qxconv::TakeRows(s, true);
    for (int y = 0; y < 240; ++y)
      for (int x = 0; x < 512; ++x) s.Bits[size_t(y * 512 + x)] = uint8_t((x / 24 + y / 16) % 16);
    return s;
  }();
  return d;
}

void BM_ReduceTo8BitNormal(benchmark::State& state) {
  for (auto _ : state) {
    TQxDIBInfos out;
    ConvertTrueColorTo8BitRGBLow(Screen24(), out, nullptr, true);
    benchmark::DoNotOptimize(out.Bits.data());
  }
}
BENCHMARK(BM_ReduceTo8BitNormal);

void BM_ReduceTo8BitFine(benchmark::State& state) {
  for (auto _ : state) {
    TQxDIBInfos out;
    ConvertTrueColorTo8BitRGBHigh(Screen24(), out, nullptr, true);
    benchmark::DoNotOptimize(out.Bits.data());
  }
}
BENCHMARK(BM_ReduceTo8BitFine);

void BM_Halftone(benchmark::State& state) {
  for (auto _ : state) {
    TQxDIBInfos out;
    ConvertToHalfTone(Screen24(), out, true);
    benchmark::DoNotOptimize(out.Bits.data());
  }
}
BENCHMARK(BM_Halftone);

void BM_RLE8RoundTrip(benchmark::State& state) {
  for (auto _ : state) {
    TQxDIBInfos rle, back;
    Convert8BitRGBTo8BitRLE(Screen8(), rle, true);
    Convert8BitRLETo8BitRGB(rle, back, true);
    benchmark::DoNotOptimize(back.Bits.data());
  }
}
BENCHMARK(BM_RLE8RoundTrip);

}  // namespace
