// User team files are read from files the player may have edited: any bytes
// must give a member record whose table numbers stay in range, or a refusal,
// and never a crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "shell/clsSceneCtrl.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  DTCharData rec{};
  if (scenectrl::ReadTeamFile(bytes, rec)) {
    if (rec.Looks.SkinCol > 31 || rec.Looks.HairCol > 31 || rec.Looks.EyeCol > 31) std::abort();
    for (uint8_t hs : {rec.DBDt.dHS, rec.DBDt.dJHS, rec.DBDt.dSHS1, rec.DBDt.dSHS2})
      if (hs > 22) std::abort();
  }
  return 0;
}
