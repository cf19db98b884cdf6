// The byte-pair codec of the archives. The encoder works block by block: it
// reads up to 8192 bytes (or until 200 different byte values have been seen, so
// that at least 56 codes stay free), then repeatedly replaces the most frequent
// adjacent pair by an unused code. Each block is written as its pair table, the
// packed size and the packed bytes. The output is byte-exact with the format's
// reference streams, so every detail of pair counting below matters.
#include <algorithm>
#include <cstring>

#include "files/QDArc.h"

namespace {

class BpeEncoder {
 public:
  explicit BpeEncoder(std::span<const uint8_t> src) : src_(src) {}

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

  // Finds the slot of pair (a, b), claiming a free one for a new pair. When
  // every slot holds another live pair there is none: the pair goes uncounted,
  // which only costs compression (the decoder never sees counts).
  int Lookup(uint8_t a, uint8_t b) {
    int index = (a ^ (b << 5)) & (HASHSIZE - 1);
    for (int probes = 0; probes < HASHSIZE; ++probes) {
      if ((leftcode_[index] == a && rightcode_[index] == b) || count_[index] == 0) {
        leftcode_[index] = a;
        rightcode_[index] = b;
        return index;
      }
      index = (index + 1) & (HASHSIZE - 1);
    }
    return kNoSlot;
  }
  void Dec(int slot) {
    if (slot != kNoSlot && count_[slot] > 1) --count_[slot];
  }
  void Inc(int slot) {
    if (slot != kNoSlot && count_[slot] < 255) ++count_[slot];
  }

  // Reads the next block; true when the source is exhausted after it.
  bool ReadBlock() {
    std::memset(count_, 0, sizeof count_);
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
      uint8_t best = 0;
      for (int i = 0; i < HASHSIZE; ++i) best = std::max(best, count_[i]);
      if (best < THRESHOLD) break;
      const int first = int(static_cast<const uint8_t*>(std::memchr(count_, best, HASHSIZE)) - count_);
      const uint8_t leftch = leftcode_[first], rightch = rightcode_[first];

      const int startSize = size_;
      const int oldsize = startSize - 1;
      int w = 0, r = 0;
      for (; r < oldsize; ++r) {
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
          ++r;
          --size_;
        } else {
          buffer_[w++] = buffer_[r];
        }
      }
      // The last byte is left over unless the final pair consumed it.
      if (r < startSize) buffer_[w] = buffer_[r];
      left_[code] = leftch;
      right_[code] = rightch;
      int slot = Lookup(leftch, rightch);
      if (slot != kNoSlot) count_[slot] = 1;  // keeps probe chains through it intact
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
  uint8_t leftcode_[HASHSIZE]{};
  uint8_t rightcode_[HASHSIZE]{};
  uint8_t count_[HASHSIZE]{};
  uint8_t left_[256]{};
  uint8_t right_[256]{};
  int size_ = 0;
};

// Most bytes a stream of n coded bytes can legitimately decode to: the
// shortest block (a 3-byte table and the 4-byte size) stands for 8192 bytes.
uint64_t DecodeBound(size_t n) { return (uint64_t(n) / 7 + 1) * BLOCKSIZE; }

}  // namespace

std::vector<uint8_t> BPECompress(std::span<const uint8_t> src) {
  auto encoder = std::make_unique<BpeEncoder>(src);  // ~33 KB of tables: keep off the stack
  return encoder->Run();
}

std::optional<std::vector<uint8_t>> BPEExpand(std::span<const uint8_t> src, uint32_t maxLength) {
  std::vector<uint8_t> out;
  out.reserve(size_t(std::min<uint64_t>({maxLength, DecodeBound(src.size()), 1u << 26})));
  size_t pos = 0;
  uint8_t left[256], right[256], stack[256];
  while (pos < src.size()) {
    for (int c = 0; c < 256; ++c) left[c] = uint8_t(c), right[c] = 0;

    // Pair table.
    for (int c = 0; c < 256;) {
      if (pos >= src.size()) return std::nullopt;
      int n = src[pos++];
      if (n > 127) {
        c += n - 127;
        if (c > 256) return std::nullopt;
        if (c == 256) break;
        n = 0;
      }
      if (c + n > 255) return std::nullopt;  // entries past code 255
      for (int i = 0; i <= n; ++i, ++c) {
        if (pos >= src.size()) return std::nullopt;
        left[c] = src[pos++];
        if (left[c] != c) {
          if (pos >= src.size()) return std::nullopt;
          right[c] = src[pos++];
        }
      }
    }

    // Packed size and bytes.
    if (src.size() - pos < 4) return std::nullopt;
    uint32_t packed = uint32_t(src[pos]) | uint32_t(src[pos + 1]) << 8 |
                      uint32_t(src[pos + 2]) << 16 | uint32_t(src[pos + 3]) << 24;
    pos += 4;
    if (packed > src.size() - pos) return std::nullopt;
    const uint8_t* p = src.data() + pos;
    const uint8_t* end = p + packed;
    pos += packed;

    // Expansion. The stack bound stops cyclic tables that nest; the block
    // bound stops cycles that only repeat (a pair whose right half is itself).
    size_t blockOut = 0;
    int sp = 0;
    for (;;) {
      uint8_t code;
      if (sp > 0) {
        code = stack[--sp];
      } else if (p < end) {
        code = *p++;
      } else {
        break;
      }
      if (left[code] == code) {
        if (++blockOut > size_t(BLOCKSIZE) || out.size() >= maxLength) return std::nullopt;
        out.push_back(code);
      } else {
        if (sp > 254) return std::nullopt;
        stack[sp++] = right[code];
        stack[sp++] = left[code];
      }
    }
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
