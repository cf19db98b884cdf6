#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "files/QDArc.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes B(std::initializer_list<int> v) {
  Bytes out;
  for (int x : v) out.push_back(uint8_t(x));
  return out;
}
Bytes Str(std::string_view s) { return Bytes(s.begin(), s.end()); }


void ExpectRoundTrip(const Bytes& src) {
  Bytes coded = BPECompress(src);
  auto back = BPEExpand(coded, uint32_t(src.size()));
  ASSERT_TRUE(back.has_value()) << "size " << src.size();
  EXPECT_EQ(*back, src) << "size " << src.size();
}

TEST(Sha256Test, StandardVectors) {
  EXPECT_EQ(Sha256Hex(GetSHA256Table(Str("abc"))),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(Sha256Hex(GetSHA256Table({})),
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256Hex(GetSHA256Table(Str("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"))),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(Sha256Hex(GetSHA256Table(Bytes(1000000, 'a'))),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(Sha256Test, ChunkedFeedingMatchesOnePieceOverTwoMiB) {
  Bytes data(2 * 1024 * 1024 + 12345);
  std::mt19937 rng(7);
  for (auto& b : data) b = uint8_t(rng());
  TSHA256Table whole = GetSHA256Table(data);

  TSha256 sha;
  size_t pos = 0, step = 1;
  while (pos < data.size()) {
    size_t n = std::min(step, data.size() - pos);
    sha.Load(data.data() + pos, uint32_t(n));
    pos += n;
    step = step * 3 % 1000 + 1;  // odd sizes across block edges
  }
  sha.Finalize();
  EXPECT_EQ(sha.GetTable(), whole);

  TMemoryStream ms(data);
  ms.SetPosition(0);
  EXPECT_EQ(_GetSHA256tbl(ms, ms.Size()), whole);  // through the 2 MiB chunk buffer
}

TEST(Sha256Test, PortableAndProcessorBlocksGiveTheSameState) {
  // The padded one-block message "abc" through the portable code alone.
  uint8_t abc[64] = {0x61, 0x62, 0x63, 0x80};
  abc[63] = 24;
  TSHA256Table h = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                    0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
  Sha256BlocksPortable(h, abc, 1);
  EXPECT_EQ(Sha256Hex(h), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");

  std::mt19937 rng(11);
  Bytes blocks(64 * 9);
  // The second run of the digest and archive tests keeps to the portable code.
  if (Sha256PortableForced()) {
    EXPECT_FALSE(Sha256BlocksWithCpu(h, blocks.data(), 1));
    return;
  }
  for (int round = 0; round < 50; ++round) {
    for (auto& b : blocks) b = uint8_t(rng());
    TSHA256Table start;
    for (auto& w : start) w = uint32_t(rng());
    const size_t count = 1 + size_t(round) % 9;
    TSHA256Table portable = start, cpu = start;
    Sha256BlocksPortable(portable, blocks.data(), count);
    if (!Sha256BlocksWithCpu(cpu, blocks.data(), count)) GTEST_SKIP() << "no SHA-256 instructions here";
    ASSERT_EQ(cpu, portable) << count << " blocks";
  }
}

TEST(BytePairCodecTest, ReferenceStreams) {
  EXPECT_EQ(BPECompress({}), B({0xFE, 0x7F, 0xFE, 0xFF, 0, 0, 0, 0}));
  EXPECT_EQ(BPECompress(Str("abc")), B({0xFE, 0x7F, 0xFE, 0xFF, 3, 0, 0, 0, 0x61, 0x62, 0x63}));
  EXPECT_EQ(BPECompress(Str("abababab")),
            B({0xFE, 0x7F, 0xFD, 0xFF, 0xFF, 0x00, 0x61, 0x62, 0x02, 0, 0, 0, 0xFE, 0xFE}));
  EXPECT_EQ(BPEExpand(B({0xFE, 0x7F, 0xFE, 0xFF, 0, 0, 0, 0}), 0), Bytes{});
  EXPECT_EQ(BPEExpand(BPECompress(Str("abababab")), 8), Str("abababab"));
}

// "baabaabbaa": (a, a) and (b, a) both occur three times, and (a, a) wins on
// its lower slot (0x61 ^ 0x61 << 5 = 0xC41 against 0xC42): code FF, leaving
// b FF b FF b b FF. Now (b, FF) occurs three times, the last one ending the
// block: code FE gives FE FE b FE. (FE, b) occurs once, so coding stops. The
// last replacement has no right neighbour; counting one from the stale byte
// behind the block (b) would make (FE, b) a third pair.
TEST(BytePairCodecTest, LastPairOfTheBlockHasNoRightNeighbour) {
  EXPECT_EQ(BPECompress(Str("baabaabbaa")),
            B({0xFE, 0x7F, 0xFD, 0x62, 0xFF, 0x00, 0x61, 0x61, 4, 0, 0, 0, 0xFE, 0xFE, 0x62, 0xFE}));
}

// Every block starts with fresh counts and tables: two full blocks code to
// the two blocks' own streams joined. The first block holds 199 byte values,
// so it runs out of codes while many of its pairs still count 41.
TEST(BytePairCodecTest, FullBlocksAreCodedIndependently) {
  Bytes first(BLOCKSIZE), second(BLOCKSIZE);
  for (size_t i = 0; i < BLOCKSIZE; ++i) {
    first[i] = uint8_t(i % 199);
    second[i] = uint8_t("a catch at the line, "[i % 21]);
  }
  Bytes both = first;
  both.insert(both.end(), second.begin(), second.end());
  Bytes joined = BPECompress(first);
  const Bytes tail = BPECompress(second);
  joined.insert(joined.end(), tail.begin(), tail.end());
  EXPECT_EQ(BPECompress(both), joined);
  EXPECT_EQ(BPEExpand(joined, uint32_t(both.size())), both);
}

TEST(BytePairCodecTest, RoundTripsAcrossBlockEdgesAndDataShapes) {
  std::mt19937 rng(42);
  for (size_t n : {0u, 1u, 2u, 8191u, 8192u, 8193u, 100000u}) {
    Bytes text(n);
    for (size_t i = 0; i < n; ++i) text[i] = "the ball flies "[i % 15];
    ExpectRoundTrip(text);
    Bytes noise(n);
    for (auto& b : noise) b = uint8_t(rng());
    ExpectRoundTrip(noise);
  }
  Bytes all(256 * 3);  // every byte value: the block splits at 200 distinct values
  for (size_t i = 0; i < all.size(); ++i) all[i] = uint8_t(i);
  ExpectRoundTrip(all);
  ExpectRoundTrip(Bytes(50000, 0x41));  // deep pair nesting
  Bytes bits(8192 * 3);                 // few literals: long runs of pair codes
  for (auto& b : bits) b = uint8_t(rng() & 1);
  ExpectRoundTrip(bits);
}

TEST(BytePairCodecTest, ExactMultipleOfBlockSizeGetsNoTrailingEmptyBlock) {
  // One more byte costs a whole 9-byte block (8-byte table and size, 1 byte);
  // an empty trailing block would have made the difference 1.
  EXPECT_EQ(BPECompress(Bytes(8193, 'x')).size() - BPECompress(Bytes(8192, 'x')).size(), 9u);
}

TEST(BytePairCodecTest, EncoderEndsWhenThePairHashFills) {
  // A block of 8192 bytes with about 8160 different pairs and one pair that
  // repeats with varied neighbours: replacing it creates more pairs than the
  // hash has slots.
  Bytes block;
  const int k = 90;
  for (int i = 0; i < k; ++i) {
    block.push_back(uint8_t(i));
    for (int j = i + 1; j < k; ++j) block.push_back(uint8_t(i)), block.push_back(uint8_t(j));
  }
  for (int t = 0; block.size() + 3 <= 8192; ++t) {
    block.push_back(198);
    block.push_back(199);
    block.push_back(uint8_t(100 + t % 60));
  }
  ExpectRoundTrip(block);
  Bytes twice = block;
  twice.insert(twice.end(), block.begin(), block.end());
  ExpectRoundTrip(twice);
}

TEST(BytePairCodecTest, DecoderAcceptsPairRunOf128Entries) {
  Bytes s = {0x7F};  // codes 0..127 are all the pair (C8, C9)
  for (int i = 0; i < 128; ++i) s.push_back(0xC8), s.push_back(0xC9);
  Bytes tail = {0xFE, 0xFF, 1, 0, 0, 0, 0x05};  // literals to 254, entry 255, one packed code
  s.insert(s.end(), tail.begin(), tail.end());
  EXPECT_EQ(BPEExpand(s, 2), B({0xC8, 0xC9}));
}

TEST(BytePairCodecTest, DecoderTakesTheDeepestTableAndPassesUnusedCycles) {
  // Code 1 = (0, 0) and code k = (k - 1, 0) up to 255: nested 255 deep.
  Bytes deep = {0x80, 0x00, 0x00, 0x7F};
  for (int k = 2; k <= 129; ++k) deep.insert(deep.end(), {uint8_t(k - 1), 0x00});
  deep.push_back(0x7D);
  for (int k = 130; k <= 255; ++k) deep.insert(deep.end(), {uint8_t(k - 1), 0x00});
  deep.insert(deep.end(), {1, 0, 0, 0, 0xFF});
  EXPECT_EQ(BPEExpand(deep, 256), Bytes(256, 0));
  // Code 0 = (1, 0) never ends, but only the literal 'a' is packed.
  EXPECT_EQ(BPEExpand(B({0x00, 0x01, 0x00, 0xFE, 0x80, 0xFE, 1, 0, 0, 0, 0x61}), 1), Str("a"));
}

TEST(BytePairCodecTest, DecoderRefusesDamagedStreams) {
  const Bytes good = BPECompress(Str("abababab and more abababab"));
  // Every truncation inside the first block is refused.
  for (size_t n = 1; n < good.size(); ++n)
    EXPECT_FALSE(BPEExpand(Bytes(good.begin(), good.begin() + n), 1000)) << n;
  // More output than declared.
  EXPECT_FALSE(BPEExpand(BPECompress(Str("abc")), 2));
  // A count byte that carries the code index past 255.
  EXPECT_FALSE(BPEExpand(B({0xFF, 0x00, 0x01, 0xFF, 0, 0, 0, 0}), 100));
  // A pair run whose entries pass code 255.
  EXPECT_FALSE(BPEExpand(B({0xFE, 0x7F, 0xFD, 0xFE, 0x05, 1, 2, 3, 4, 5, 6}), 100));
  // Code 0 = (1, 0): repeats itself for ever.
  EXPECT_FALSE(BPEExpand(B({0x00, 0x01, 0x00, 0xFE, 0x80, 0xFE, 1, 0, 0, 0, 0x00}), 1u << 30));
  // Codes 0 = (1, 2) and 1 = (0, 2): nest without end.
  EXPECT_FALSE(BPEExpand(B({0x01, 0x01, 0x02, 0x00, 0x02, 0xFE, 0x81, 0xFD, 1, 0, 0, 0, 0x00}),
                         1u << 30));
  // A packed size past the end of the data.
  EXPECT_FALSE(BPEExpand(B({0xFE, 0x7F, 0xFE, 0xFF, 9, 0, 0, 0, 0x61}), 100));
}

TEST(BytePairCodecTest, StreamFormsCodeFromThePosition) {
  TMemoryStream src(Str("xxabababab"));
  src.SetPosition(2);
  auto coded = Compress(true, src);
  EXPECT_EQ(coded->Position(), 0);
  EXPECT_EQ(Bytes(coded->Bytes().begin(), coded->Bytes().end()), BPECompress(Str("abababab")));
  auto plain = Expand(*coded, 8);
  ASSERT_TRUE(plain);
  EXPECT_EQ(Bytes(plain->Bytes().begin(), plain->Bytes().end()), Str("abababab"));
  src.SetPosition(0);
  auto copy = Compress(false, src);
  EXPECT_EQ(copy->Size(), 10);
}

}  // namespace
