// TFFT: radix-2 complex fast Fourier transform on single-precision arrays, with
// its sine and bit-reversal tables built once, a raised-cosine window and its
// inverse, and saturation to the 16-bit sample range. The equaliser runs one of
// size 256 with the left channel in re and the right channel in im.
#pragma once
#include <cstdint>
#include <vector>

class TFFT {
 public:
  // n: a power of two, at least 8 (smaller or uneven sizes are raised to the
  // next power of two from 8).
  explicit TFFT(int32_t n);

  void Init(int32_t n);
  // Forward transform of (re, im) in place, scaled by 1/n.
  void FFT();
  // Inverse transform in place, unscaled: FFT then UnFFT gives the input back.
  void UnFFT();
  void HammingWindow();
  void UnHammingWindow();
  // Clamps every value of re and im to -32767..32767.
  void SatSmallInt();

  std::vector<float> SinTbl;  // 3n/4 entries: sin(2 pi i / n)
  std::vector<int32_t> BitRev;
  std::vector<float> HammingTbl, InvHammingTbl;
  int32_t Sample = 0;
  std::vector<float> re, im;

 private:
  void SubFFT(bool decode);
};
