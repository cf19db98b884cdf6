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
  std::unique_ptr<TMemoryStream> pcm = OggDataLib2::OggToMemoryStream(ss);
  const uint32_t size = uint32_t(pcm->Size());
  auto wave = TDDSDWaveData::CreateBuffer(DS, 44100, 16, true, size);
  wave->BlockCopy(0, pcm->Memory(), size);
  return wave;
}
