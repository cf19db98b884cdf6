// Helpers of the sound tests: a sound component on the null audio device (the
// test pulls the mix itself), a temporary game folder with sound files, and
// sample sounds made on the spot.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/OggVorbisEncode.h"
#include "platform/SoundMixer.h"
#include "sound/WaveFile.h"
#include "sound/ddsd.h"

namespace soundkit {

namespace fs = std::filesystem;

// A temporary game folder that is also the current directory (the decoder
// library is found against it); restores everything on the way out.
class GameFolder {
 public:
  GameFolder() {
    // Unique per run: several checkouts may run these tests at once.
    dir_ = fs::temp_directory_path() /
           ("qorv_sound_" + std::to_string(std::random_device{}()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "data" / "wav" / "se");
    fs::create_directories(dir_ / "data" / "wav" / "bgm");
    old_ = fs::current_path();
    fs::current_path(dir_);
    plat::SetProgramFolder(dir_.string() + "/");
    ddsd::SetLogFolder(dir_.string());
  }
  ~GameFolder() {
    plat::SetProgramFolder("");
    ddsd::SetLogFolder("");
    fs::current_path(old_);
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  fs::path Path() const { return dir_; }
  void Write(const std::string& rel, const std::vector<uint8_t>& bytes) {
    std::ofstream out(dir_ / rel, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }
  // Puts the built decoder library into data/.
  void AddDecoder() {
    fs::copy_file(fs::path(QORV_BINARY_DIR) / "game" / "data" / "wuvorbis.so",
                  dir_ / "data" / "wuvorbis.so", fs::copy_options::overwrite_existing);
  }

 private:
  fs::path dir_, old_;
};

// Debug options, halt and audio device set for a test; restored afterwards.
class SoundEnv {
 public:
  explicit SoundEnv(bool device = true) {
    plat::SetAudioDeviceFactory(device ? plat::AudioDeviceFactory(plat::MakeNullAudioDevice)
                                       : plat::AudioDeviceFactory(plat::MakeMissingAudioDevice));
    ddsd::SetHaltHandler([](const std::string& m) { throw std::runtime_error("halt: " + m); });
    DDSD_DebugCount = 0;
  }
  ~SoundEnv() {
    plat::SetAudioDeviceFactory(nullptr);
    ddsd::SetHaltHandler(nullptr);
    DDSD_HaltOnError = DDSD_DebugMessage = DDSD_ExceptOnError = true;
  }
};

// A component of n channels with the given options, initialised.
inline std::unique_ptr<TDDSD> MakeComponent(uint32_t n, TDDSDDebugOption opt = dsoExceptOnError) {
  auto d = std::make_unique<TDDSD>();
  d->ChannelCount = n;
  d->SetDebugOption(opt);
  d->Loaded();
  return d;
}

// Frames of interleaved 16-bit sine (amplitude 0..1) at hz.
inline std::vector<int16_t> Sine(size_t frames, int channels, int rate, double hz, double amp) {
  std::vector<int16_t> v(frames * size_t(channels));
  for (size_t i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c)
      v[i * size_t(channels) + size_t(c)] =
          int16_t(std::lround(amp * 32767 * std::sin(2 * 3.14159265358979 * hz * double(i) / rate)));
  return v;
}

inline std::vector<uint8_t> Ogg(const std::vector<int16_t>& pcm, int channels, int rate,
                                std::vector<std::string> comments = {}) {
  return plat::EncodeOggVorbis(pcm.data(), pcm.size() / size_t(channels), channels, rate, 0.4f,
                               comments);
}

inline std::vector<uint8_t> Wav(size_t frames, int16_t value = 1000) {
  std::vector<int16_t> pcm(frames * 2, value);
  const auto* b = reinterpret_cast<const uint8_t*>(pcm.data());
  return MakeWaveFile(plat::PcmFormat::Make(44100, 16, true),
                      std::span<const uint8_t>(b, pcm.size() * 2));
}

// Root mean square of 16-bit samples in [from, to) (sample indices).
inline double Rms(const int16_t* s, size_t from, size_t to) {
  double sum = 0;
  for (size_t i = from; i < to; ++i) sum += double(s[i]) * s[i];
  return to > from ? std::sqrt(sum / double(to - from)) : 0;
}

}  // namespace soundkit
