#include "sound/OggDdsdLib2.h"

#include "files/Streams.h"
#include "platform/Files.h"
#include "sound/OggDataLib2.h"

std::unique_ptr<TDDSDWaveData> OggToWaveData(TDDSD* DS, const std::string& Filename) {
  if (!plat::FileExists(Filename)) return nullptr;
  TMemoryStream ss;
  if (!ss.LoadFromFile(Filename)) return nullptr;
  return OggToWaveData(DS, &ss);
}

std::unique_ptr<TDDSDWaveData> OggToWaveData(TDDSD* DS, TMemoryStream* ss) {
  if (!ss) return nullptr;
  return PcmToWaveData(DS, OggToPcm(*ss));
}

std::vector<uint8_t> OggToPcm(TMemoryStream& ss, std::string* problem) {
  return OggDataLib2::OggToMemoryStream(&ss, problem)->TakeBytes();
}

std::unique_ptr<TDDSDWaveData> PcmToWaveData(TDDSD* DS, std::vector<uint8_t> pcm) {
  return TDDSDWaveData::CreateBuffer(DS, 44100, 16, true, std::move(pcm));
}
