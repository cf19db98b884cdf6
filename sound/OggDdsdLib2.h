// Whole-file decoding of an Ogg Vorbis file into a static sound buffer of the
// sound component (44100 Hz, 16-bit, stereo).
#pragma once
#include <memory>
#include <string>

#include "sound/ddsd.h"

class TMemoryStream;

// Null when the file does not exist. An undecodable file raises ERangeError.
std::unique_ptr<TDDSDWaveData> OggToWaveData(TDDSD* DS, const std::string& Filename);
// Null for a null stream; the caller keeps ss.
std::unique_ptr<TDDSDWaveData> OggToWaveData(TDDSD* DS, TMemoryStream* ss);
