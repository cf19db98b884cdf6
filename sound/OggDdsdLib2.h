// Whole-file decoding of an Ogg Vorbis file into a static sound buffer of the
// sound component (44100 Hz, 16-bit, stereo).
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sound/ddsd.h"

class TMemoryStream;

// Null when the file does not exist. An undecodable file raises ERangeError.
std::unique_ptr<TDDSDWaveData> OggToWaveData(TDDSD* DS, const std::string& Filename);
// Null for a null stream; the caller keeps ss.
std::unique_ptr<TDDSDWaveData> OggToWaveData(TDDSD* DS, TMemoryStream* ss);

// The two halves of OggToWaveData, for decoding several files at once: the
// decoding touches nothing but its own decoder (so it may run on any thread),
// while the buffer is made on the thread that owns the sound component.
// OggToPcm raises ERangeError for data the library cannot open; *problem
// (when given) tells of a stream that gives less sound than its length says.
std::vector<uint8_t> OggToPcm(TMemoryStream& ss, std::string* problem = nullptr);
std::unique_ptr<TDDSDWaveData> PcmToWaveData(TDDSD* DS, std::vector<uint8_t> pcm);
