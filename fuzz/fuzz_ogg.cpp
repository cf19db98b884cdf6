// Whole-file decoding of an Ogg Vorbis file (optionally behind a loop header)
// through the decoder library built beside the fuzzers, as the game decodes
// every sound file at start: damaged files raise, never crash.
//
// A random byte string is rarely an Ogg stream, so the input edits a real one:
// its first byte picks the stream's format and whether a loop header goes in
// front (records taken from the input), and every following three bytes flip
// one byte of the stream (position, then the bits to flip).
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <exception>
#include <vector>

#include "files/Streams.h"
#include "platform/Files.h"
#include "platform/OggVorbisEncode.h"
#include "sound/OggDataLib2.h"
#include "sound/OggWuvorbisLib.h"

namespace {

std::vector<uint8_t> Sample(int channels, int rate) {
  std::vector<int16_t> pcm(size_t(3000 * channels));
  for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = int16_t(8000 * std::sin(double(i) * 0.05));
  return plat::EncodeOggVorbis(pcm.data(), 3000, channels, rate, 0.1f);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool bound = [] {
    try {
      return VorbisfileInitialize(plat::ProgramFolder() + "../game/data/wuvorbis.so");
    } catch (const std::exception&) {
      return false;
    }
  }();
  if (!bound) __builtin_trap();
  static const std::vector<uint8_t> samples[4] = {Sample(2, 44100), Sample(1, 44100),
                                                  Sample(1, 22050), Sample(2, 48000)};
  if (size == 0) return 0;
  std::vector<uint8_t> file;
  if (data[0] & 4) {
    OggDataLib2::TOggLoop loops[16];
    for (int i = 0; i < 16 && 1 + 12 * size_t(i + 1) <= size; ++i)
      std::memcpy(&loops[i], data + 1 + 12 * i, 12);
    file = OggDataLib2::MakeAlphaOggHeader(loops);
  }
  const std::vector<uint8_t>& base = samples[data[0] & 3];
  const size_t start = file.size();
  file.insert(file.end(), base.begin(), base.end());
  for (size_t i = 1; i + 3 <= size; i += 3) {
    const size_t pos = start + (data[i] | data[i + 1] << 8) % base.size();
    file[pos] ^= data[i + 2];
  }
  TMemoryStream in(file.data(), file.size());
  try {
    auto out = OggDataLib2::OggToMemoryStream(&in);
    if (!out || out->Size() < 32768 || out->Size() % 1024 != 0) __builtin_trap();
  } catch (const ERangeError&) {
  }
  return 0;
}
