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

// The set bits of a mask as indices, a run of three or more as "a..b":
// "0..11", "1", "0,2", "3,5..7".
std::string IndexRuns(uint32_t mask, int bits) {
  std::string out;
  for (int i = 0; i < bits;) {
    if (!(mask >> i & 1)) {
      ++i;
      continue;
    }
    int end = i;
    while (end + 1 < bits && (mask >> (end + 1) & 1)) ++end;
    if (!out.empty()) out += ',';
    out += std::to_string(i);
    if (end - i >= 2) out += ".." + std::to_string(end);
    else if (end > i) out += "," + std::to_string(end);
    i = end + 1;
  }
  return out;
}
}  // namespace

bool CfgIniCleared::Any() const {
  return Device || KBBtn || JSBtn[0] || JSBtn[1] || JSBtn[2] || JSBtn[3];
}

std::string CfgIniCleared::Names() const {
  std::string out;
  auto add = [&out](const std::string& name) { out += (out.empty() ? "" : ", ") + name; };
  if (Device) add("Device[" + IndexRuns(Device, 4) + "]");
  if (KBBtn) add("KBBtn[" + IndexRuns(KBBtn, 12) + "]");
  // Neighbouring pads with the same buttons cleared share one name.
  for (int p = 0; p < 4;) {
    int last = p;
    while (last + 1 < 4 && JSBtn[last + 1] == JSBtn[p]) ++last;
    if (JSBtn[p]) {
      uint32_t pads = ((1u << (last + 1)) - 1) & ~((1u << p) - 1);
      add("JSBtn[" + IndexRuns(pads, 4) + "][" + IndexRuns(JSBtn[p], 8) + "]");
    }
    p = last + 1;
  }
  return out;
}

std::string CfgIniClearedProblem(const CfgIniCleared& cleared) {
  return cleared.Any() ? "out of range and cleared to 0: " + cleared.Names() : std::string();
}

std::string CfgIniPlayer1Problem(const TCFGINI& cfg, int padsConnected) {
  const int32_t pad = cfg.Device[0];
  if (cfg.Auto_f || pad < 1 || pad <= padsConnected) return "";
  return "player 1 uses game pad " + std::to_string(pad) +
         ", which is not connected, so player 1 has no input";
}

void ReportCfgIniDeadKeys(std::string_view gamePath, const TCFGINI& cfg,
                          const CfgIniCleared& cleared, int padsConnected) {
  for (const std::string& problem :
       {CfgIniClearedProblem(cleared), CfgIniPlayer1Problem(cfg, padsConnected)})
    if (!problem.empty()) plat::ReportFileProblem(gamePath, problem);
}

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

TCFGINI CfgIniFromBytes(const uint8_t* data, size_t size, CfgIniCleared* cleared) {
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
  const CfgIniCleared found = SanitiseCfgIni(c);
  if (cleared) *cleared = found;
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

CfgIniCleared SanitiseCfgIni(TCFGINI& c) {
  CfgIniCleared cleared;
  for (int i = 0; i < 4; ++i)
    if (c.Device[i] < 0 || c.Device[i] > kCfgMaxDevice) {
      c.Device[i] = 0;
      cleared.Device |= uint8_t(1u << i);
    }
  for (int i = 0; i < 12; ++i)
    if (c.KBBtn[i] > kCfgMaxKeyCode) {
      c.KBBtn[i] = 0;
      cleared.KBBtn |= uint16_t(1u << i);
    }
  for (int p = 0; p < 4; ++p)
    for (int b = 0; b < 8; ++b)
      if (c.JSBtn[p][b] > kCfgMaxPadButton) {
        c.JSBtn[p][b] = 0;
        cleared.JSBtn[p] |= uint8_t(1u << b);
      }
  return cleared;
}

bool CfgIniFromFile(std::span<const uint8_t> file, TCFGINI& cfg, std::string* problem,
                    CfgIniCleared* cleared) {
  cfg = TCFGINI{};
  if (cleared) *cleared = CfgIniCleared{};
  if (file.size() == kCfgIniSize) {
    cfg = CfgIniFromBytes(file.data(), file.size(), cleared);
    return true;
  }
  if (problem)
    *problem = file.size() > kCfgIniSize
                   ? std::string("wrong size (longer than 108 bytes)")
                   : "wrong size (" + std::to_string(file.size()) + " bytes, not 108)";
  return false;
}

bool LoadCfgIni(std::string_view gamePath, TCFGINI& cfg, std::string* problem,
                CfgIniCleared* cleared) {
  cfg = TCFGINI{};
  if (cleared) *cleared = CfgIniCleared{};
  // One byte more than the record tells a long file from a whole one.
  auto data = plat::ReadFile(gamePath, kCfgIniSize + 1, problem);
  if (!data) return false;
  return CfgIniFromFile(*data, cfg, problem, cleared);
}

bool LoadCfgIniForEditing(std::string_view gamePath, TCFGINI& cfg, std::string* problem,
                          CfgIniCleared* cleared) {
  cfg = TCFGINI{};
  if (problem) problem->clear();
  if (cleared) *cleared = CfgIniCleared{};
  auto data = plat::ReadFile(gamePath, kCfgIniSize + 1, problem);
  if (!data) return false;
  cfg = CfgIniFromBytes(data->data(), data->size(), cleared);
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
