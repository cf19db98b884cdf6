#include "files/uSha256.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "files/Streams.h"

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

void TSha256::Transform(const uint8_t* block) {
  uint32_t w[64];
  for (int i = 0; i < 16; ++i)
    w[i] = uint32_t(block[4 * i]) << 24 | uint32_t(block[4 * i + 1]) << 16 |
           uint32_t(block[4 * i + 2]) << 8 | uint32_t(block[4 * i + 3]);
  for (int i = 16; i < 64; ++i) {
    uint32_t s0 = Rotr(w[i - 15], 7) ^ Rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
    uint32_t s1 = Rotr(w[i - 2], 17) ^ Rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
    w[i] = w[i - 16] + s0 + w[i - 7] + s1;
  }
  uint32_t a = m_dwH[0], b = m_dwH[1], c = m_dwH[2], d = m_dwH[3];
  uint32_t e = m_dwH[4], f = m_dwH[5], g = m_dwH[6], h = m_dwH[7];
  for (int i = 0; i < 64; ++i) {
    uint32_t t1 = h + (Rotr(e, 6) ^ Rotr(e, 11) ^ Rotr(e, 25)) + ((e & f) ^ (~e & g)) + kK[i] + w[i];
    uint32_t t2 = (Rotr(a, 2) ^ Rotr(a, 13) ^ Rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
    h = g; g = f; f = e; e = d + t1;
    d = c; c = b; b = a; a = t1 + t2;
  }
  m_dwH[0] += a; m_dwH[1] += b; m_dwH[2] += c; m_dwH[3] += d;
  m_dwH[4] += e; m_dwH[5] += f; m_dwH[6] += g; m_dwH[7] += h;
}

void TSha256::Load(const void* pBuffer, uint32_t dwSize) {
  const uint8_t* p = static_cast<const uint8_t*>(pBuffer);
  uint32_t bitsLow = dwSize << 3;
  uint32_t before = m_dwLNumBits;
  m_dwLNumBits += bitsLow;
  m_dwHNumBits += (dwSize >> 29) + (m_dwLNumBits < before ? 1u : 0u);
  while (dwSize > 0) {
    uint32_t take = std::min<uint32_t>(dwSize, 64 - m_nNumChr);
    std::memcpy(m_aBlock + m_nNumChr, p, take);
    m_nNumChr += take;
    p += take;
    dwSize -= take;
    if (m_nNumChr == 64) {
      Transform(m_aBlock);
      m_nNumChr = 0;
    }
  }
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
    Transform(m_aBlock);
    m_nNumChr = 0;
  }
  std::memset(m_aBlock + m_nNumChr, 0, 56 - m_nNumChr);
  std::memcpy(m_aBlock + 56, tail, 8);
  Transform(m_aBlock);
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
