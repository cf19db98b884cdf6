#include "sound/FFTLib.h"

#include <cmath>
#include <utility>

TFFT::TFFT(int32_t n) { Init(n); }

void TFFT::Init(int32_t n) {
  int32_t size = 8;
  while (size < n && size < (1 << 24)) size *= 2;
  n = size;
  Sample = n;
  re.assign(size_t(n), 0.0f);
  im.assign(size_t(n), 0.0f);

  // Sine table by the recurrence, one quarter wave mirrored into 3n/4 entries.
  SinTbl.assign(size_t(n) * 3 / 4, 0.0f);
  float t = std::sin(3.141592f / float(n));
  float dc = 2 * t * t;
  float ds = std::sqrt(dc * (2 - dc));
  const float t2 = 2 * dc;
  const int32_t n4 = n / 4, n8 = n / 8;
  SinTbl[0] = 0;
  SinTbl[size_t(n4)] = 1;
  float c = 1, s = 0;
  for (int32_t i = 1; i < n8; ++i) {
    s += ds;
    SinTbl[size_t(i)] = s;
    c -= dc;
    SinTbl[size_t(n4 - i)] = c;
    ds -= t2 * s;
    dc += t2 * c;
  }
  SinTbl[size_t(n8)] = std::sqrt(0.5f);
  for (int32_t i = 0; i < n4; ++i) {
    SinTbl[size_t(n / 2 - i)] = SinTbl[size_t(i)];
    SinTbl[size_t(n / 2 + i)] = -SinTbl[size_t(i)];
  }

  BitRev.assign(size_t(n), 0);
  int32_t j = 0;
  for (int32_t i = 0;; ++i) {
    BitRev[size_t(i)] = j;
    if (i == n - 1) break;
    int32_t k = n / 2;
    while (k <= j) {
      j -= k;
      k /= 2;
    }
    j += k;
  }

  HammingTbl.assign(size_t(n), 0.0f);
  InvHammingTbl.assign(size_t(n), 0.0f);
  for (int32_t i = 0; i < n; ++i) {
    HammingTbl[size_t(i)] = float(0.5 + 0.5 * std::cos((i - n / 2) * 3.14159265 / n));
    InvHammingTbl[size_t(i)] = 1.0f / HammingTbl[size_t(i)];
  }
}

void TFFT::SubFFT(bool decode) {
  const int32_t n = Sample;
  for (int32_t i = 0; i < n; ++i) {
    const int32_t b = BitRev[size_t(i)];
    if (i < b) {
      std::swap(re[size_t(i)], re[size_t(b)]);
      std::swap(im[size_t(i)], im[size_t(b)]);
    }
  }
  for (int32_t k = 1; k < n; k *= 2) {
    const int32_t k2 = 2 * k, d = n / k2;
    int32_t h = 0;
    for (int32_t j = 0; j < k; ++j) {
      const float c = SinTbl[size_t(h + n / 4)];
      const float s = decode ? -SinTbl[size_t(h)] : SinTbl[size_t(h)];
      for (int32_t i = j; i < n; i += k2) {
        const size_t a = size_t(i), ik = size_t(i + k);
        const float dx = s * im[ik] + c * re[ik];
        const float dy = c * im[ik] - s * re[ik];
        re[ik] = re[a] - dx;
        re[a] += dx;
        im[ik] = im[a] - dy;
        im[a] += dy;
      }
      h += d;
    }
  }
  if (decode) {
    const float inv = 1.0f / float(n);
    for (int32_t i = 0; i < n; ++i) {
      re[size_t(i)] *= inv;
      im[size_t(i)] *= inv;
    }
  }
}

void TFFT::FFT() { SubFFT(true); }
void TFFT::UnFFT() { SubFFT(false); }

void TFFT::HammingWindow() {
  for (size_t i = 0; i < size_t(Sample); ++i) {
    re[i] *= HammingTbl[i];
    im[i] *= HammingTbl[i];
  }
}

void TFFT::UnHammingWindow() {
  for (size_t i = 0; i < size_t(Sample); ++i) {
    re[i] *= InvHammingTbl[i];
    im[i] *= InvHammingTbl[i];
  }
}

void TFFT::SatSmallInt() {
  for (size_t i = 0; i < size_t(Sample); ++i) {
    if (re[i] > 32767) re[i] = 32767;
    if (re[i] < -32767) re[i] = -32767;
    if (im[i] > 32767) im[i] = 32767;
    if (im[i] < -32767) im[i] = -32767;
  }
}
