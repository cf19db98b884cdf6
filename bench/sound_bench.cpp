// The sound path's costs: mixing the channels the game may have playing at
// once, the equaliser over a second of sound, and one FFT of the equaliser's
// size.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "platform/SoundMixer.h"
#include "sound/FFTLib.h"
#include "sound/OggDataLib2.h"

namespace {

// Mixing 1024 output frames (one audio callback) with n effects playing.
void BM_MixChannels(benchmark::State& state) {
  auto mixer = plat::SoundMixer::Make();
  std::vector<std::shared_ptr<plat::SoundBuffer>> playing;
  auto wave = mixer->CreateBuffer(plat::PcmFormat::Make(44100, 16, true), 176400);
  std::vector<int16_t> pcm(88200);
  for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = int16_t(8000 * std::sin(double(i) * 0.01));
  wave->Write(0, pcm.data(), 176400);
  for (int i = 0; i < state.range(0); ++i) {
    playing.push_back(mixer->Duplicate(*wave));
    playing.back()->SetVolume(-602);
    playing.back()->Play(true);
  }
  std::vector<int16_t> out(2 * 1024);
  for (auto _ : state) {
    mixer->Mix(out.data(), 1024);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * 1024);
}
BENCHMARK(BM_MixChannels)->Arg(1)->Arg(8)->Arg(32);

void BM_EqualiserSecond(benchmark::State& state) {
  OggDataLib2::TOggData dec(0);
  for (int i = 0; i < 256; ++i) dec.SetEQ(i, i < 32 ? 1.5f : 0.8f);
  std::vector<int16_t> pcm(2 * 44100);
  for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = int16_t(8000 * std::sin(double(i) * 0.02));
  for (auto _ : state) {
    dec.ApplyEQ(pcm.data(), int32_t(pcm.size() * 2));
    benchmark::DoNotOptimize(pcm.data());
  }
  state.SetItemsProcessed(state.iterations() * 44100);
}
BENCHMARK(BM_EqualiserSecond);

void BM_FFT256(benchmark::State& state) {
  TFFT f(256);
  for (int i = 0; i < 256; ++i) f.re[size_t(i)] = float(std::sin(i * 0.1));
  for (auto _ : state) {
    f.FFT();
    f.UnFFT();
    benchmark::DoNotOptimize(f.re.data());
  }
}
BENCHMARK(BM_FFT256);

}  // namespace
