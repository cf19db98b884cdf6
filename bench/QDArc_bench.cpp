// Throughput of the archive codec and digest against zlib on the same data:
// a few MB mixing text, structured records, runs and noise, as game data is.
#include <benchmark/benchmark.h>

#include <random>

#include "files/QDArc.h"
#include "platform/Zlib.h"

namespace {

const std::vector<uint8_t>& MixedData() {
  static const std::vector<uint8_t> data = [] {
    std::vector<uint8_t> d;
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

void SetBytes(benchmark::State& state) {
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(MixedData().size()));
}

void BM_BytePairCompress(benchmark::State& state) {
  size_t coded = 0;
  for (auto _ : state) coded = BPECompress(MixedData()).size();
  SetBytes(state);
  state.counters["ratio%"] = 100.0 * double(coded) / double(MixedData().size());
}

void BM_BytePairExpand(benchmark::State& state) {
  const auto coded = BPECompress(MixedData());
  for (auto _ : state) benchmark::DoNotOptimize(BPEExpand(coded, uint32_t(MixedData().size())));
  SetBytes(state);
}

void BM_Sha256(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(GetSHA256Table(MixedData()));
  SetBytes(state);
}

void BM_ZlibDeflate(benchmark::State& state) {
  size_t coded = 0;
  for (auto _ : state) coded = plat::ZlibCompress(MixedData()).size();
  SetBytes(state);
  state.counters["ratio%"] = 100.0 * double(coded) / double(MixedData().size());
}

void BM_ZlibInflate(benchmark::State& state) {
  const auto coded = plat::ZlibCompress(MixedData());
  for (auto _ : state) benchmark::DoNotOptimize(plat::ZlibUncompress(coded, MixedData().size()));
  SetBytes(state);
}

}  // namespace

BENCHMARK(BM_BytePairCompress)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BytePairExpand)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sha256)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZlibDeflate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZlibInflate)->Unit(benchmark::kMillisecond);
