// The byte-pair codec of the archives. The encoder works block by block: it
// reads up to 8192 bytes (or until 200 different byte values have been seen, so
// that at least 56 codes stay free), then repeatedly replaces the most frequent
// adjacent pair by an unused code. Each block is written as its pair table, the
// packed size and the packed bytes. The output is byte-exact with the format's
// reference streams, so every detail of pair counting below matters.
#include <algorithm>
#include <bit>
#include <cstring>

#include "files/QDArc.h"

namespace {

using Lanes = uint8_t __attribute__((vector_size(16)));
constexpr int kSpan = 16;

// The first of p[0..15] at which the pair (a, b) starts, or 16 when none does
// (reads p[0..16]).
int FirstPairIn(const uint8_t* p, uint8_t a, uint8_t b) {
  static_assert(std::endian::native == std::endian::little, "lane 0 is the low byte");
  Lanes first, second;
  std::memcpy(&first, p, kSpan);
  std::memcpy(&second, p + 1, kSpan);
  const Lanes hit = Lanes((first == (Lanes{} + a)) & (second == (Lanes{} + b)));
  uint64_t half[2];
  std::memcpy(half, &hit, sizeof half);
  if (half[0]) return std::countr_zero(half[0]) / 8;
  if (half[1]) return 8 + std::countr_zero(half[1]) / 8;
  return kSpan;
}

// Greatest of n one-byte counters (n a multiple of 64), sixteen lanes at a time.
uint8_t GreatestCount(const uint8_t* counts, int n) {
  Lanes m0{}, m1{}, m2{}, m3{};
  for (int i = 0; i < n; i += 64) {
    Lanes a, b, c, d;
    std::memcpy(&a, counts + i, 16);
    std::memcpy(&b, counts + i + 16, 16);
    std::memcpy(&c, counts + i + 32, 16);
    std::memcpy(&d, counts + i + 48, 16);
    m0 = m0 > a ? m0 : a;
    m1 = m1 > b ? m1 : b;
    m2 = m2 > c ? m2 : c;
    m3 = m3 > d ? m3 : d;
  }
  m0 = m0 > m1 ? m0 : m1;
  m2 = m2 > m3 ? m2 : m3;
  m0 = m0 > m2 ? m0 : m2;
  uint8_t best = 0;
  for (int i = 0; i < 16; ++i) best = std::max(best, uint8_t(m0[i]));
  return best;
}

class BpeEncoder {
 public:
  explicit BpeEncoder(std::span<const uint8_t> src) : src_(src) {
    std::fill(std::begin(slotOf_), std::end(slotOf_), kNoSlot);
    for (int i = 0; i <= HASHSIZE; ++i) nextFree_[i] = int16_t(i);
  }

  std::vector<uint8_t> Run() {
    std::vector<uint8_t> out;
    out.reserve(src_.size() + src_.size() / 32 + 16);
    bool done;
    do {
      done = ReadBlock();
      Encode();
      WriteBlock(out);
    } while (!done);
    return out;
  }

 private:
  static constexpr int kNoSlot = -1;

  // The pair-count hash is probed linearly from a ^ (b << 5): a pair's slot is
  // the first one on its probe path that holds the pair or has a zero count.
  // Within a block a counter never drops back to zero, so a live pair (count
  // above zero) always sits in front of every free slot on its path. That
  // makes the probe equal to: the live slot of the pair if it has one, else
  // the first free slot from the start. Both are found without scanning: a
  // map from pair to live slot, and "next free slot" links with path halving.
  // The output stays exactly the probing encoder's.
  int Lookup(uint8_t a, uint8_t b) {
    int live = slotOf_[PairKey(a, b)];
    if (live != kNoSlot) return live;
    int slot = FreeSlotFrom((a ^ (b << 5)) & (HASHSIZE - 1));
    if (slot == kNoSlot) return kNoSlot;  // every slot holds another live pair
    leftcode_[slot] = a;
    rightcode_[slot] = b;
    return slot;
  }
  static int PairKey(uint8_t a, uint8_t b) { return a << 8 | b; }

  // First free slot at or after `from`, wrapping once; kNoSlot when none.
  int FreeSlotFrom(int from) {
    int slot = Find(from);
    if (slot == HASHSIZE) slot = Find(0);
    return slot == HASHSIZE ? kNoSlot : slot;
  }
  int Find(int i) {
    while (nextFree_[i] != i) {
      nextFree_[i] = nextFree_[nextFree_[i]];
      i = nextFree_[i];
    }
    return i;
  }
  // A slot whose counter leaves zero becomes the pair's live slot for the rest
  // of the block.
  void MakeLive(int slot) {
    slotOf_[PairKey(leftcode_[slot], rightcode_[slot])] = int16_t(slot);
    nextFree_[slot] = int16_t(slot + 1);
    live_[liveCount_++] = int16_t(slot);
  }
  void Dec(int slot) {
    if (slot != kNoSlot && count_[slot] > 1) --count_[slot];
  }
  void Inc(int slot) {
    if (slot == kNoSlot || count_[slot] == 255) return;
    if (count_[slot]++ == 0) MakeLive(slot);
  }

  // Frees every slot the last block made live; the rest are free already.
  void ClearPairHash() {
    for (int i = 0; i < liveCount_; ++i) {
      const int slot = live_[i];
      slotOf_[PairKey(leftcode_[slot], rightcode_[slot])] = kNoSlot;
      nextFree_[slot] = int16_t(slot);
      count_[slot] = 0;
    }
    liveCount_ = 0;
  }

  // Reads the next block; true when the source is exhausted after it.
  bool ReadBlock() {
    ClearPairHash();
    for (int c = 0; c < 256; ++c) {
      left_[c] = uint8_t(c);
      right_[c] = 0;  // while reading: "byte occurs in this block"
    }
    size_ = 0;
    int used = 0;
    while (size_ < BLOCKSIZE && used < MAXCHARS && pos_ < src_.size()) {
      uint8_t b = src_[pos_++];
      if (size_ > 0) Inc(Lookup(buffer_[size_ - 1], b));
      buffer_[size_++] = b;
      if (!right_[b]) {
        right_[b] = 1;
        ++used;
      }
    }
    return pos_ >= src_.size();
  }

  void Encode() {
    int code = 256;
    for (;;) {
      // Next unused code: still a literal and absent from the block.
      for (--code; code >= 0; --code)
        if (left_[code] == code && !right_[code]) break;
      if (code < 0) break;

      // The best pair is the first slot holding the greatest count.
      const uint8_t best = GreatestCount(count_, HASHSIZE);
      if (best < THRESHOLD) break;
      const int first = int(static_cast<const uint8_t*>(std::memchr(count_, best, HASHSIZE)) - count_);
      const uint8_t leftch = leftcode_[first], rightch = rightcode_[first];

      const int startSize = size_;
      const int oldsize = startSize - 1;
      int w = 0, r = 0;
      while (r < oldsize) {
        // The bytes before the next occurrence move over in one piece.
        if (r + kSpan <= oldsize) {
          const int skip = FirstPairIn(buffer_ + r, leftch, rightch);
          if (w == r) {
            // Nothing replaced yet: the bytes stay where they are.
          } else if (skip == kSpan || r - w >= kSpan) {
            // A whole 16-byte move; past the skipped bytes it only writes
            // places that are read already or written again later.
            Lanes moved;
            std::memcpy(&moved, buffer_ + r, kSpan);
            std::memcpy(buffer_ + w, &moved, kSpan);
          } else {
            for (int i = 0; i < skip; ++i) buffer_[w + i] = buffer_[r + i];
          }
          w += skip;
          r += skip;
          if (skip == kSpan) continue;
        }
        if (buffer_[r] == leftch && buffer_[r + 1] == rightch) {
          if (r > 0) {
            Dec(Lookup(buffer_[w - 1], leftch));
            Inc(Lookup(buffer_[w - 1], uint8_t(code)));
          }
          if (r < oldsize - 1) {
            Dec(Lookup(rightch, buffer_[r + 2]));
            Inc(Lookup(uint8_t(code), buffer_[r + 2]));
          }
          buffer_[w++] = uint8_t(code);
          r += 2;
          --size_;
        } else {
          buffer_[w++] = buffer_[r++];
        }
      }
      // The last byte is left over unless the final pair consumed it.
      if (r < startSize) buffer_[w] = buffer_[r];
      left_[code] = leftch;
      right_[code] = rightch;
      count_[first] = 1;  // the replaced pair keeps its slot live, so probe paths through it stay intact
    }
  }

  bool IsPair(int c) const { return left_[c] != c; }

  void PutEntry(std::vector<uint8_t>& out, int c) const {
    out.push_back(left_[c]);
    if (IsPair(c)) out.push_back(right_[c]);
  }

  void WriteBlock(std::vector<uint8_t>& out) const {
    for (int c = 0; c < 256;) {
      if (!IsPair(c)) {
        int len = 1;
        ++c;
        while (len < 127 && c < 256 && !IsPair(c)) {
          ++len;
          ++c;
        }
        out.push_back(uint8_t(len + 127));
        if (c < 256) PutEntry(out, c++);
      } else {
        // A run of pair codes; a single literal between two of them rides along.
        int len = 0;
        ++c;
        while ((len < 127 && c < 256 && IsPair(c)) || (len < 125 && c < 254 && IsPair(c + 1))) {
          ++len;
          ++c;
        }
        out.push_back(uint8_t(len));
        c -= len + 1;
        for (int i = 0; i <= len; ++i) PutEntry(out, c++);
      }
    }
    uint32_t p = uint32_t(size_);
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(p >> (8 * i)));
    out.insert(out.end(), buffer_, buffer_ + size_);
  }

  std::span<const uint8_t> src_;
  size_t pos_ = 0;
  uint8_t buffer_[BLOCKSIZE];
  alignas(16) uint8_t count_[HASHSIZE]{};
  uint8_t leftcode_[HASHSIZE]{};
  uint8_t rightcode_[HASHSIZE]{};
  int16_t slotOf_[65536];              // live slot of each pair, or kNoSlot
  int16_t nextFree_[HASHSIZE + 1];     // links toward the next free slot; HASHSIZE ends the path
  int16_t live_[HASHSIZE];             // the slots made live in this block
  int liveCount_ = 0;
  uint8_t left_[256]{};
  uint8_t right_[256]{};
  int size_ = 0;
};

// Most bytes a stream of n coded bytes can legitimately decode to: the
// shortest block (a 3-byte table and the 4-byte size) stands for 8192 bytes.
uint64_t DecodeBound(size_t n) { return (uint64_t(n) / 7 + 1) * BLOCKSIZE; }

// One block's pair table, resolved before its packed bytes are expanded: each
// code's expanded length, and for codes of up to 16 bytes the bytes
// themselves, so that most codes expand with one 16-byte copy.
//
// A cyclic code never ends, so it reads as unusable: its length is kUnusable,
// which no block bound admits, and a stream refuses exactly where a decoder
// that expands byte by byte would run out of room. An acyclic table nests at
// most 255 codes deep, which such a decoder's stack of 256 codes always holds.
class BlockTable {
 public:
  static constexpr uint32_t kUnusable = 0x40000000;
  static constexpr int kShort = 16;

  // Reads the pair table at src[pos]; false when it is damaged.
  bool Read(std::span<const uint8_t> src, size_t& pos) {
    for (int c = 0; c < 256; ++c) left_[c] = uint8_t(c), right_[c] = 0;
    for (int c = 0; c < 256;) {
      if (pos >= src.size()) return false;
      int n = src[pos++];
      if (n > 127) {
        c += n - 127;
        if (c > 256) return false;
        if (c == 256) break;
        n = 0;
      }
      if (c + n > 255) return false;  // entries past code 255
      for (int i = 0; i <= n; ++i, ++c) {
        if (pos >= src.size()) return false;
        left_[c] = src[pos++];
        if (left_[c] != c) {
          if (pos >= src.size()) return false;
          right_[c] = src[pos++];
        }
      }
    }
    Resolve();
    return true;
  }

  uint32_t Length(uint8_t code) const { return len_[code]; }

  // Writes the expansion of a usable code at dst. Up to 16 bytes past the
  // code's own length may be overwritten (the caller keeps that much room).
  void Put(uint8_t code, uint8_t* dst) const {
    if (len_[code] <= kShort) {
      std::memcpy(dst, short_[code], kShort);
    } else {
      Put(left_[code], dst);
      Put(right_[code], dst + len_[left_[code]]);
    }
  }

 private:
  enum : uint8_t { kNew, kOpen, kDone };

  void Resolve() {
    for (int c = 0; c < 256; ++c) {
      state_[c] = kNew;
      if (left_[c] == c) {
        len_[c] = 1;
        short_[c][0] = uint8_t(c);
        state_[c] = kDone;
      }
    }
    for (int c = 0; c < 256; ++c)
      if (state_[c] == kNew) ResolvePair(uint8_t(c));
  }

  void ResolvePair(uint8_t c) {
    state_[c] = kOpen;
    const uint8_t l = left_[c], r = right_[c];
    if (state_[l] == kNew) ResolvePair(l);
    if (state_[r] == kNew) ResolvePair(r);
    const bool cyclic = state_[l] == kOpen || state_[r] == kOpen;
    state_[c] = kDone;
    const uint32_t len = cyclic ? kUnusable : std::min(len_[l] + len_[r], kUnusable);
    len_[c] = len > uint32_t(BLOCKSIZE) ? kUnusable : len;  // no block can hold more
    if (len <= kShort) {
      std::memcpy(short_[c], short_[l], len_[l]);
      std::memcpy(short_[c] + len_[l], short_[r], len_[r]);
    }
  }

  uint8_t left_[256], right_[256], state_[256];
  uint32_t len_[256];
  uint8_t short_[256][kShort];
};

}  // namespace

std::vector<uint8_t> BPECompress(std::span<const uint8_t> src) {
  auto encoder = std::make_unique<BpeEncoder>(src);  // ~180 KB of tables: keep off the stack
  return encoder->Run();
}

std::optional<std::vector<uint8_t>> BPEExpand(std::span<const uint8_t> src, uint32_t maxLength) {
  std::vector<uint8_t> out;
  out.reserve(size_t(std::min<uint64_t>({maxLength, DecodeBound(src.size()), 1u << 26})) +
              BlockTable::kShort);
  auto table = std::make_unique<BlockTable>();
  size_t pos = 0;
  while (pos < src.size()) {
    if (!table->Read(src, pos)) return std::nullopt;

    // Packed size and bytes.
    if (src.size() - pos < 4) return std::nullopt;
    uint32_t packed = uint32_t(src[pos]) | uint32_t(src[pos + 1]) << 8 |
                      uint32_t(src[pos + 2]) << 16 | uint32_t(src[pos + 3]) << 24;
    pos += 4;
    if (packed > src.size() - pos) return std::nullopt;
    const uint8_t* p = src.data() + pos;
    const uint8_t* end = p + packed;
    pos += packed;

    // A block decodes to at most 8192 bytes and the whole stream to at most
    // maxLength; a code that would pass either bound refuses the stream.
    const size_t start = out.size();
    const uint64_t room = std::min<uint64_t>(BLOCKSIZE, uint64_t(maxLength) - start);
    out.resize(start + size_t(room) + BlockTable::kShort);
    uint8_t* dst = out.data() + start;
    uint64_t at = 0;
    for (; p < end; ++p) {
      const uint32_t n = table->Length(*p);
      if (at + n > room) return std::nullopt;
      table->Put(*p, dst + at);
      at += n;
    }
    out.resize(start + size_t(at));
  }
  return out;
}

std::unique_ptr<TMemoryStream> Compress(bool comp, TStream& src) {
  std::vector<uint8_t> bytes;
  int64_t rest = src.Size() - src.Position();
  if (rest > 0) {
    bytes.resize(size_t(rest));
    bytes.resize(src.Read(bytes.data(), bytes.size()));
  }
  auto out = std::make_unique<TMemoryStream>(comp ? BPECompress(bytes) : std::move(bytes));
  return out;
}

std::unique_ptr<TMemoryStream> Expand(TStream& src, uint32_t restoredLength) {
  std::vector<uint8_t> bytes;
  int64_t rest = src.Size() - src.Position();
  if (rest > 0) {
    bytes.resize(size_t(rest));
    bytes.resize(src.Read(bytes.data(), bytes.size()));
  }
  auto decoded = BPEExpand(bytes, restoredLength);
  if (!decoded) return nullptr;
  return std::make_unique<TMemoryStream>(std::move(*decoded));
}
