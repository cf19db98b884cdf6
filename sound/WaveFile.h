// Reading a RIFF WAVE file held in memory: the form type WAVE, its "fmt "
// chunk (read into a PCM format record, at most the record's size) and its
// "data" chunk after it. Chunks are walked by their sizes with every offset
// checked, so a damaged file gives an error code, never a read outside it.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "platform/SoundMixer.h"

enum class WaveFileError {
  None,
  NotWave,  // no RIFF chunk of form type WAVE
  NoFmt,    // no "fmt " chunk in it
  BadFmt,   // a "fmt " chunk too short for the format record
  NoData,   // no "data" chunk after the format
};

struct WaveFileData {
  plat::PcmFormat format;
  // The sound bytes; a data chunk that claims more than the file holds keeps
  // what is there.
  std::vector<uint8_t> data;
  uint32_t dataSize = 0;  // the size the data chunk claims, within the file
};

WaveFileError ParseWaveFile(std::span<const uint8_t> bytes, WaveFileData& out);

// A RIFF WAVE file of 16-bit or 8-bit PCM (tools and tests write them).
std::vector<uint8_t> MakeWaveFile(const plat::PcmFormat& fmt, std::span<const uint8_t> data);
