#include "config/CfgIni.h"

#include <cstring>
#include <iterator>

#include "platform/Files.h"

namespace {
uint16_t Get16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
int32_t Get32(const uint8_t* p) {
  return int32_t(uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) |
                 (uint32_t(p[3]) << 24));
}
void Put16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}
void Put32(uint8_t* p, int32_t v) {
  uint32_t u = uint32_t(v);
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(u >> (8 * i));
}
}  // namespace

TCFGINI CfgIniDefaults() {
  TCFGINI c{};
  c.Device[0] = 1;
  c.Device[1] = 2;
  for (int p = 0; p < 2; ++p)
    for (int b = 0; b < 3; ++b) c.JSBtn[p][b] = uint16_t(b);
  c.Auto_f = 1;
  for (size_t i = 0; i < std::size(kCfgPlayableKeys); ++i) c.KBBtn[i] = kCfgPlayableKeys[i];
  return c;
}

TCFGINI CfgIniFromBytes(const uint8_t* data, size_t size) {
  uint8_t raw[kCfgIniSize] = {};
  if (data && size) std::memcpy(raw, data, size < kCfgIniSize ? size : kCfgIniSize);
  TCFGINI c{};
  for (int i = 0; i < 4; ++i) c.Device[i] = Get32(raw + 4 * i);
  for (int i = 0; i < 12; ++i) c.KBBtn[i] = Get16(raw + 16 + 2 * i);
  for (int p = 0; p < 4; ++p)
    for (int b = 0; b < 8; ++b) c.JSBtn[p][b] = Get16(raw + 40 + 16 * p + 2 * b);
  c.Auto_f = raw[104];
  c.Pad = raw[105];
  c.WinSize = Get16(raw + 106);
  SanitiseCfgIni(c);
  return c;
}

std::array<uint8_t, kCfgIniSize> CfgIniToBytes(const TCFGINI& c) {
  std::array<uint8_t, kCfgIniSize> raw{};
  for (int i = 0; i < 4; ++i) Put32(raw.data() + 4 * i, c.Device[i]);
  for (int i = 0; i < 12; ++i) Put16(raw.data() + 16 + 2 * i, c.KBBtn[i]);
  for (int p = 0; p < 4; ++p)
    for (int b = 0; b < 8; ++b) Put16(raw.data() + 40 + 16 * p + 2 * b, c.JSBtn[p][b]);
  raw[104] = c.Auto_f;
  raw[105] = c.Pad;
  Put16(raw.data() + 106, c.WinSize);
  return raw;
}

void SanitiseCfgIni(TCFGINI& c) {
  for (int32_t& d : c.Device)
    if (d < 0 || d > kCfgMaxDevice) d = 0;
  for (uint16_t& k : c.KBBtn)
    if (k > kCfgMaxKeyCode) k = 0;
  for (auto& row : c.JSBtn)
    for (uint16_t& b : row)
      if (b > kCfgMaxPadButton) b = 0;
}

bool CfgIniFromFile(std::span<const uint8_t> file, TCFGINI& cfg, std::string* problem) {
  cfg = TCFGINI{};
  if (file.size() == kCfgIniSize) {
    cfg = CfgIniFromBytes(file.data(), file.size());
    return true;
  }
  if (problem)
    *problem = file.size() > kCfgIniSize
                   ? std::string("wrong size (longer than 108 bytes)")
                   : "wrong size (" + std::to_string(file.size()) + " bytes, not 108)";
  return false;
}

bool LoadCfgIni(std::string_view gamePath, TCFGINI& cfg, std::string* problem) {
  cfg = TCFGINI{};
  // One byte more than the record tells a long file from a whole one.
  auto data = plat::ReadFile(gamePath, kCfgIniSize + 1, problem);
  if (!data) return false;
  return CfgIniFromFile(*data, cfg, problem);
}

bool LoadCfgIniForEditing(std::string_view gamePath, TCFGINI& cfg, std::string* problem) {
  cfg = TCFGINI{};
  if (problem) problem->clear();
  auto data = plat::ReadFile(gamePath, kCfgIniSize + 1, problem);
  if (!data) return false;
  cfg = CfgIniFromBytes(data->data(), data->size());
  if (problem && data->size() < kCfgIniSize)
    *problem = "short (" + std::to_string(data->size()) +
               " bytes, not 108); the rest of the settings read as 0";
  else if (problem && data->size() > kCfgIniSize)
    *problem = "long (more than 108 bytes); the bytes past 108 are left out";
  return true;
}

bool SaveCfgIni(std::string_view gamePath, const TCFGINI& cfg, std::string* error,
                plat::WriteStep* failed) {
  auto raw = CfgIniToBytes(cfg);
  return plat::WriteFile(gamePath, raw.data(), raw.size(), error, failed);
}
