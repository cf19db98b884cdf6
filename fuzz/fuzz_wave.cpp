// The RIFF WAVE reader, and a sound buffer made from what it accepts.
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/SoundMixer.h"
#include "sound/WaveFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  WaveFileData w;
  if (ParseWaveFile(std::span<const uint8_t>(data, size), w) != WaveFileError::None) return 0;
  if (w.data.size() > w.dataSize) __builtin_trap();
  static auto mixer = plat::SoundMixer::Make();
  auto b = mixer->CreateBuffer(w.format, w.dataSize);
  if (!b) return 0;
  if (!w.data.empty()) b->Write(0, w.data.data(), uint32_t(std::min<size_t>(w.data.size(), b->Size())));
  b->Play(false);
  int16_t out[2 * 256];
  mixer->Mix(out, 256);
  return 0;
}
