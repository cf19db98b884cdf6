// The settings file reader on any bytes: only a file of exactly 108 bytes is
// taken, every value it gives is in range and has a name or reads as unset in
// the configuration program, and writing it back and reading again changes
// nothing.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "config/CfgIni.h"
#include "config/KeyNames.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TCFGINI c;
  if (CfgIniFromFile(std::span<const uint8_t>(data, size), c) != (size == kCfgIniSize)) std::abort();
  c = CfgIniFromBytes(data, size);
  for (int32_t d : c.Device)
    if (d < 0 || d > kCfgMaxDevice) std::abort();
  for (uint16_t k : c.KBBtn) {
    if (k > kCfgMaxKeyCode) std::abort();
    for (bool eng : {true, false}) {
      uint16_t shown = k;
      tumbotcfg::KeyName(shown, true, eng);
      if (shown != k && shown != 0) std::abort();
    }
  }
  for (auto& row : c.JSBtn)
    for (uint16_t b : row)
      if (b > kCfgMaxPadButton) std::abort();
  auto raw = CfgIniToBytes(c);
  TCFGINI again = CfgIniFromBytes(raw.data(), raw.size());
  if (CfgIniToBytes(again) != raw) std::abort();
  return 0;
}
