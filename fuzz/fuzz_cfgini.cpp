// The settings file parser on any bytes: every value it returns is in range,
// and writing it back and reading again changes nothing.
#include <cstdint>
#include <cstdlib>

#include "config/CfgIni.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TCFGINI c = CfgIniFromBytes(data, size);
  for (int32_t d : c.Device)
    if (d < 0 || d > kCfgMaxDevice) std::abort();
  for (uint16_t k : c.KBBtn)
    if (k > kCfgMaxKeyCode) std::abort();
  for (auto& row : c.JSBtn)
    for (uint16_t b : row)
      if (b > kCfgMaxPadButton) std::abort();
  auto raw = CfgIniToBytes(c);
  TCFGINI again = CfgIniFromBytes(raw.data(), raw.size());
  if (CfgIniToBytes(again) != raw) std::abort();
  return 0;
}
