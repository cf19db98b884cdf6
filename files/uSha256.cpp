#include "files/uSha256.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "files/Streams.h"
#include "platform/CpuFeatures.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace {

constexpr uint32_t kK[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4,
    0xab1c5ed5, 0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe,
    0x9bdc06a7, 0xc19bf174, 0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f,
    0x4a7484aa, 0x5cb0a9dc, 0x76f988da, 0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7,
    0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967, 0x27b70a85, 0x2e1b2138, 0x4d2c6dfc,
    0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85, 0xa2bfe8a1, 0xa81a664b,
    0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070, 0x19a4c116,
    0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7,
    0xc67178f2};

constexpr uint32_t Rotr(uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

constexpr size_t kHashChunk = 2097152;

}  // namespace

void TSha256::Init() {
  m_dwH = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
           0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
  m_dwLNumBits = m_dwHNumBits = 0;
  std::memset(m_aBlock, 0, sizeof m_aBlock);
  m_nNumChr = 0;
}

void Sha256BlocksPortable(TSHA256Table& state, const uint8_t* blocks, size_t count) {
  for (; count > 0; --count, blocks += 64) {
    const uint8_t* block = blocks;
    uint32_t w[64];
    for (int i = 0; i < 16; ++i)
      w[i] = uint32_t(block[4 * i]) << 24 | uint32_t(block[4 * i + 1]) << 16 |
             uint32_t(block[4 * i + 2]) << 8 | uint32_t(block[4 * i + 3]);
    for (int i = 16; i < 64; ++i) {
      uint32_t s0 = Rotr(w[i - 15], 7) ^ Rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
      uint32_t s1 = Rotr(w[i - 2], 17) ^ Rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
      w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    uint32_t e = state[4], f = state[5], g = state[6], h = state[7];
    for (int i = 0; i < 64; ++i) {
      uint32_t t1 = h + (Rotr(e, 6) ^ Rotr(e, 11) ^ Rotr(e, 25)) + ((e & f) ^ (~e & g)) + kK[i] + w[i];
      uint32_t t2 = (Rotr(a, 2) ^ Rotr(a, 13) ^ Rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
      h = g; g = f; f = e; e = d + t1;
      d = c; c = b; b = a; a = t1 + t2;
    }
    state[0] += a; state[1] += b; state[2] += c; state[3] += d;
    state[4] += e; state[5] += f; state[6] += g; state[7] += h;
  }
}

bool Sha256PortableForced() {
  const char* v = std::getenv("QORV_SHA256_PORTABLE");
  return v && *v && std::strcmp(v, "0") != 0;
}

#if defined(__x86_64__) || defined(__i386__)

namespace {

// The SHA-256 instructions keep the state as two vectors, ABEF and CDGH (A in
// the top lane), and take the message four words at a time.
__attribute__((target("sha,sse4.1,ssse3"))) void ShaExtensionBlocks(TSHA256Table& state,
                                                                     const uint8_t* blocks,
                                                                     size_t count) {
  const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
  __m128i abcd = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&state[0]));
  __m128i efgh = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&state[4]));
  abcd = _mm_shuffle_epi32(abcd, 0xB1);                  // B A D C
  efgh = _mm_shuffle_epi32(efgh, 0x1B);                  // H G F E
  __m128i abef = _mm_alignr_epi8(abcd, efgh, 8);         // F E B A
  __m128i cdgh = _mm_blend_epi16(efgh, abcd, 0xF0);      // H G D C

  for (; count > 0; --count, blocks += 64) {
    const __m128i savedAbef = abef, savedCdgh = cdgh;
    __m128i msg[4];
    for (int i = 0; i < 4; ++i)
      msg[i] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(blocks + 16 * i)),
                                byteSwap);
    for (int group = 0; group < 16; ++group) {
      __m128i& words = msg[group & 3];
      if (group >= 4) {
        // Words 16 on: this slot held the words sixteen back; the others hold
        // the twelve, eight and four back.
        const __m128i& back12 = msg[(group + 1) & 3];
        const __m128i& back8 = msg[(group + 2) & 3];
        const __m128i& back4 = msg[(group + 3) & 3];
        words = _mm_sha256msg1_epu32(words, back12);
        words = _mm_add_epi32(words, _mm_alignr_epi8(back4, back8, 4));
        words = _mm_sha256msg2_epu32(words, back4);
      }
      __m128i sum = _mm_add_epi32(words, _mm_loadu_si128(reinterpret_cast<const __m128i*>(&kK[4 * group])));
      cdgh = _mm_sha256rnds2_epu32(cdgh, abef, sum);
      sum = _mm_shuffle_epi32(sum, 0x0E);
      abef = _mm_sha256rnds2_epu32(abef, cdgh, sum);
    }
    abef = _mm_add_epi32(abef, savedAbef);
    cdgh = _mm_add_epi32(cdgh, savedCdgh);
  }

  const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);    // A B E F
  const __m128i ghcd = _mm_shuffle_epi32(cdgh, 0xB1);    // G H C D
  _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[0]), _mm_blend_epi16(feba, ghcd, 0xF0));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[4]), _mm_alignr_epi8(ghcd, feba, 8));
}

}  // namespace

// The variable is read once, with the processor's answer.
bool Sha256BlocksWithCpu(TSHA256Table& state, const uint8_t* blocks, size_t count) {
  static const bool available = plat::CpuHasSha256Instructions() && !Sha256PortableForced();
  if (!available) return false;
  ShaExtensionBlocks(state, blocks, count);
  return true;
}

#else

bool Sha256BlocksWithCpu(TSHA256Table&, const uint8_t*, size_t) { return false; }

#endif

void TSha256::Blocks(const uint8_t* blocks, size_t count) {
  if (!Sha256BlocksWithCpu(m_dwH, blocks, count)) Sha256BlocksPortable(m_dwH, blocks, count);
}

void TSha256::Load(const void* pBuffer, uint32_t dwSize) {
  const uint8_t* p = static_cast<const uint8_t*>(pBuffer);
  uint32_t bitsLow = dwSize << 3;
  uint32_t before = m_dwLNumBits;
  m_dwLNumBits += bitsLow;
  m_dwHNumBits += (dwSize >> 29) + (m_dwLNumBits < before ? 1u : 0u);
  if (m_nNumChr > 0) {  // top up the waiting block first
    uint32_t take = std::min<uint32_t>(dwSize, 64 - m_nNumChr);
    std::memcpy(m_aBlock + m_nNumChr, p, take);
    m_nNumChr += take;
    p += take;
    dwSize -= take;
    if (m_nNumChr < 64) return;
    Blocks(m_aBlock, 1);
    m_nNumChr = 0;
  }
  const uint32_t whole = dwSize / 64;
  if (whole > 0) {
    Blocks(p, whole);  // whole blocks straight from the caller's bytes
    p += size_t(whole) * 64;
    dwSize -= whole * 64;
  }
  if (dwSize > 0) std::memcpy(m_aBlock, p, dwSize);
  m_nNumChr = dwSize;
}

void TSha256::Load(std::span<const uint8_t> bytes) {
  while (!bytes.empty()) {
    size_t take = std::min<size_t>(bytes.size(), 0x40000000);
    Load(bytes.data(), uint32_t(take));
    bytes = bytes.subspan(take);
  }
}

void TSha256::Finalize() {
  uint8_t tail[8];
  for (int i = 0; i < 4; ++i) {
    tail[i] = uint8_t(m_dwHNumBits >> (24 - 8 * i));
    tail[4 + i] = uint8_t(m_dwLNumBits >> (24 - 8 * i));
  }
  m_aBlock[m_nNumChr++] = 0x80;
  if (m_nNumChr > 56) {
    std::memset(m_aBlock + m_nNumChr, 0, 64 - m_nNumChr);
    Blocks(m_aBlock, 1);
    m_nNumChr = 0;
  }
  std::memset(m_aBlock + m_nNumChr, 0, 56 - m_nNumChr);
  std::memcpy(m_aBlock + 56, tail, 8);
  Blocks(m_aBlock, 1);
  m_nNumChr = 0;
}

std::unique_ptr<TSha256> InnerGetSHA256(TStream& ss, int64_t size) {
  auto sha = std::make_unique<TSha256>();
  std::vector<uint8_t> buf(size_t(std::clamp<int64_t>(size, 0, kHashChunk)));
  while (size > 0) {
    size_t want = size_t(std::min<int64_t>(size, kHashChunk));
    size_t got = ss.Read(buf.data(), want);
    if (got == 0) break;
    sha->Load(buf.data(), uint32_t(got));
    size -= int64_t(got);
  }
  sha->Finalize();
  return sha;
}

TSHA256Table _GetSHA256tbl(TStream& ss, int64_t size) { return InnerGetSHA256(ss, size)->GetTable(); }

TSHA256Table GetSHA256Table(std::span<const uint8_t> bytes) {
  TSha256 sha;
  sha.Load(bytes);
  sha.Finalize();
  return sha.GetTable();
}

std::string Sha256Hex(const TSHA256Table& digest) {
  char hex[65] = {};
  for (size_t i = 0; i < digest.size(); ++i) std::snprintf(hex + 8 * i, 9, "%08x", unsigned(digest[i]));
  return hex;
}
