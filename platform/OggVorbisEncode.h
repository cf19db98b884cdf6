// Ogg Vorbis encoding, for the tools that make the game's sounds and for tests
// that need a real stream to decode. The game itself only decodes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace plat {

// Encodes frames of interleaved 16-bit PCM (1 or 2 channels) at rate Hz with
// the encoder's quality (-0.1 .. 1.0). comments are "NAME=value" texts.
// Empty when the encoder refuses the format.
std::vector<uint8_t> EncodeOggVorbis(const int16_t* pcm, size_t frames, int channels, int rate,
                                     float quality,
                                     const std::vector<std::string>& comments = {});

}  // namespace plat
