// SHA-256 (FIPS 180-2). The archives store the eight state words H0..H7 after
// finalisation, each word little-endian, so the stored bytes are the usual
// digest with every group of four bytes reversed.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

class TStream;

using TSHA256Table = std::array<uint32_t, 8>;

class TSha256 {
 public:
  TSha256() { Init(); }

  // Standard initial state, zero length, empty block.
  void Init();
  // Adds bytes; any number of calls, of any size.
  void Load(const void* pBuffer, uint32_t dwSize);
  void Load(std::span<const uint8_t> bytes);
  // Pads (0x80, zeros, the 64-bit bit length big-endian) and runs the last blocks.
  void Finalize();
  TSHA256Table GetTable() const { return m_dwH; }

 private:
  void Blocks(const uint8_t* blocks, size_t count);

  TSHA256Table m_dwH{};
  uint32_t m_dwLNumBits = 0;  // message length in bits, low and high halves
  uint32_t m_dwHNumBits = 0;
  uint8_t m_aBlock[64]{};
  uint32_t m_nNumChr = 0;  // bytes waiting in m_aBlock
};

// Hashes size bytes read from the stream's position, in chunks of at most 2 MiB
// through one buffer. A stream that ends early hashes what it holds.
// InnerGetSHA256 returns the finalised hasher, _GetSHA256tbl its state words.
std::unique_ptr<TSha256> InnerGetSHA256(TStream& ss, int64_t size);
TSHA256Table _GetSHA256tbl(TStream& ss, int64_t size);
// The same over bytes in memory.
TSHA256Table GetSHA256Table(std::span<const uint8_t> bytes);
// A digest as its 64 lower-case hex digits.
std::string Sha256Hex(const TSHA256Table& digest);

// The compression function over whole 64-byte blocks. Sha256BlocksPortable
// runs everywhere; Sha256BlocksWithCpu uses the processor's SHA-256
// instructions and answers false, doing nothing, where there are none. Both
// give the same state; TSha256 takes the faster one the processor allows,
// and the portable one whenever Sha256PortableForced() says so.
void Sha256BlocksPortable(TSHA256Table& state, const uint8_t* blocks, size_t count);
bool Sha256BlocksWithCpu(TSHA256Table& state, const uint8_t* blocks, size_t count);
// True when QORV_SHA256_PORTABLE is set to anything but "" or "0", which
// count as off: the tests then run the portable code on any machine.
bool Sha256PortableForced();
