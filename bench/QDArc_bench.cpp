// The archive codec and digest against well-known libraries on the same data,
// each timed side by side with its reference in the same loop, so that a busy
// machine slows both alike: the ratio (x_ref, above 1 is faster than the
// reference) is the figure to read.
//   decode:  byte-pair decode vs zlib inflate of a few MB that mix text,
//            structured records, runs and noise, as game data does;
//   encode:  byte-pair encode of inputs that cost the encoder most (no
//            reference: the figure is MB/s);
//   digest:  SHA-256 vs OpenSSL's libcrypto, and the portable code alone.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <chrono>
#include <random>

#include "files/QDArc.h"
#include "platform/Zlib.h"

namespace {

using Bytes = std::vector<uint8_t>;

const Bytes& MixedData() {
  static const Bytes data = [] {
    Bytes d;
    std::mt19937 rng(1);
    const std::string words[] = {"JPSPD=", "dodge", "ball ", "catch", "\r\n", "[DBB]", "350", "-12"};
    while (d.size() < 4u << 20) {
      switch (rng() % 4) {
        case 0:  // text
          for (int i = 0; i < 400; ++i) {
            const auto& w = words[rng() % 8];
            d.insert(d.end(), w.begin(), w.end());
          }
          break;
        case 1:  // 232-byte records with small numbers
          for (int i = 0; i < 232 * 8; ++i) d.push_back(uint8_t(rng() % 16 * (i % 7 == 0)));
          break;
        case 2:  // runs, as in flat picture areas
          for (int i = 0; i < 64; ++i) d.insert(d.end(), 16 + rng() % 48, uint8_t(rng() % 8));
          break;
        default:  // noise, as in compressed pictures
          for (int i = 0; i < 4096; ++i) d.push_back(uint8_t(rng()));
      }
    }
    return d;
  }();
  return data;
}

// Wall time of one call, in seconds.
template <class F>
double Timed(F&& f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Throughput of ours and of the reference, and their ratio.
void Report(benchmark::State& state, size_t bytes, double ours, double reference) {
  const double total = double(bytes) * double(state.iterations());
  state.counters["MB/s"] = total / ours / 1e6;
  if (reference > 0) {
    state.counters["ref_MB/s"] = total / reference / 1e6;
    state.counters["x_ref"] = reference / ours;
  }
}

void BM_BytePairDecodeVsZlibInflate(benchmark::State& state) {
  const Bytes& data = MixedData();
  const Bytes coded = BPECompress(data);
  const Bytes deflated = plat::ZlibCompress(data);
  if (BPEExpand(coded, uint32_t(data.size())) != data || plat::ZlibUncompress(deflated, data.size()) != data)
    return state.SkipWithError("a codec does not give the data back");
  double ours = 0, reference = 0;
  for (auto _ : state) {
    ours += Timed([&] { benchmark::DoNotOptimize(BPEExpand(coded, uint32_t(data.size()))); });
    reference += Timed([&] { benchmark::DoNotOptimize(plat::ZlibUncompress(deflated, data.size())); });
  }
  Report(state, data.size(), ours, reference);
  state.counters["ratio%"] = 100.0 * double(coded.size()) / double(data.size());
}

// Inputs that make the encoder work hardest: a pair table filled with
// distinct pairs, few byte values (every block runs through all its free
// codes), and many byte values with no repeats worth a code.
Bytes EncoderLoad(int kind) {
  std::mt19937 rng(3);
  Bytes d;
  if (kind == 0) {
    Bytes block;
    for (int i = 0; i < 90; ++i) {
      block.push_back(uint8_t(i));
      for (int j = i + 1; j < 90; ++j) block.push_back(uint8_t(i)), block.push_back(uint8_t(j));
    }
    for (int t = 0; block.size() + 3 <= 8192; ++t)
      block.insert(block.end(), {198, 199, uint8_t(100 + t % 60)});
    while (d.size() < 2u << 20) d.insert(d.end(), block.begin(), block.end());
  } else {
    const int values[] = {0, 2, 4, 16, 180, 256};
    d.resize(2u << 20);
    for (auto& b : d) b = uint8_t(rng() % unsigned(values[kind]));
  }
  return d;
}

void BM_BytePairEncode(benchmark::State& state) {
  const Bytes data = EncoderLoad(int(state.range(0)));
  if (BPEExpand(BPECompress(data), uint32_t(data.size())) != data)
    return state.SkipWithError("the encoder does not round-trip");
  double ours = 0;
  for (auto _ : state) ours += Timed([&] { benchmark::DoNotOptimize(BPECompress(data)); });
  Report(state, data.size(), ours, 0);
}

TSHA256Table OpenSslSha256(const Bytes& data) {
  uint8_t md[32];
  unsigned len = 0;
  EVP_Digest(data.data(), data.size(), md, &len, EVP_sha256(), nullptr);
  TSHA256Table words{};
  for (int i = 0; i < 8; ++i)
    words[i] = uint32_t(md[4 * i]) << 24 | uint32_t(md[4 * i + 1]) << 16 | uint32_t(md[4 * i + 2]) << 8 | md[4 * i + 3];
  return words;
}

void BM_Sha256VsOpenSsl(benchmark::State& state) {
  const Bytes& data = MixedData();
  if (GetSHA256Table(data) != OpenSslSha256(data)) return state.SkipWithError("digests differ");
  double ours = 0, reference = 0;
  for (auto _ : state) {
    ours += Timed([&] { benchmark::DoNotOptimize(GetSHA256Table(data)); });
    reference += Timed([&] { benchmark::DoNotOptimize(OpenSslSha256(data)); });
  }
  Report(state, data.size(), ours, reference);
}

void BM_Sha256PortableVsOpenSsl(benchmark::State& state) {
  const Bytes& data = MixedData();
  const size_t blocks = data.size() / 64;
  double ours = 0, reference = 0;
  for (auto _ : state) {
    TSHA256Table h{};
    ours += Timed([&] { Sha256BlocksPortable(h, data.data(), blocks); });
    benchmark::DoNotOptimize(h);
    reference += Timed([&] { benchmark::DoNotOptimize(OpenSslSha256(data)); });
  }
  Report(state, blocks * 64, ours, reference);
}

void BM_ZlibDeflate(benchmark::State& state) {
  size_t coded = 0;
  for (auto _ : state) coded = plat::ZlibCompress(MixedData()).size();
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(MixedData().size()));
  state.counters["ratio%"] = 100.0 * double(coded) / double(MixedData().size());
}

void BM_BytePairEncodeMixed(benchmark::State& state) {
  size_t coded = 0;
  for (auto _ : state) coded = BPECompress(MixedData()).size();
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(MixedData().size()));
  state.counters["ratio%"] = 100.0 * double(coded) / double(MixedData().size());
}

}  // namespace

BENCHMARK(BM_BytePairDecodeVsZlibInflate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BytePairEncode)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BytePairEncodeMixed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZlibDeflate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sha256VsOpenSsl)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sha256PortableVsOpenSsl)->Unit(benchmark::kMillisecond);
