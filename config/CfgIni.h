// The settings file "data\dbcfg.sai": the raw 108-byte little-endian image of
// TCFGINI, with no header, version or checksum. The configuration program
// writes it; the game reads it once at start.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/Files.h"

#pragma pack(push, 1)
struct TCFGINI {
  int32_t Device[4];      // player device: 0 keyboard, n >= 1 game pad n
  uint16_t KBBtn[12];     // keyboard scan codes: up, down, left, right, A, B, St, A+B, ...
  uint16_t JSBtn[4][8];   // pad button numbers per pad: A, B, St, ...
  uint8_t Auto_f;         // 1: pads go to the players first
  uint8_t Pad;            // kept as read
  uint16_t WinSize;       // 0: 1024 x 480 (scale 2); any other value: 512 x 240
};
#pragma pack(pop)
static_assert(sizeof(TCFGINI) == 108, "the settings file is 108 bytes");
static_assert(offsetof(TCFGINI, KBBtn) == 16 && offsetof(TCFGINI, JSBtn) == 40 &&
                  offsetof(TCFGINI, Auto_f) == 104 && offsetof(TCFGINI, WinSize) == 106,
              "settings file layout");

constexpr size_t kCfgIniSize = 108;
// The settings file, relative to the program folder.
constexpr std::string_view kCfgIniPath = "data\\dbcfg.sai";

// Values read from the file are only trusted inside these bounds; anything
// else counts as unset (0), so later table lookups stay in range.
constexpr int32_t kCfgMaxDevice = 4;       // keyboard or pads 1..4
constexpr uint16_t kCfgMaxKeyCode = 255;   // keyboard scan codes
constexpr uint16_t kCfgMaxPadButton = 31;  // pad buttons

// The keyboard keys a fresh settings file offers, as scan codes in record
// order: the arrows up, down, left, right, then A = Z, B = X, St = Enter and
// A+B = C, so a player without a pad can play at once.
inline constexpr uint16_t kCfgPlayableKeys[8] = {0xC8, 0xD0, 0xCB, 0xCD, 0x2C, 0x2D, 0x1C, 0x2E};

// A fresh settings file, the same for the configuration program with no file
// and for the first file the play script writes: devices pad 1 and pad 2, pad
// buttons 0, 1, 2 for A, B, St, pads first, the large window, and the
// playable keyboard keys above.
TCFGINI CfgIniDefaults();

// The fields SanitiseCfgIni cleared, one bit per entry.
struct CfgIniCleared {
  uint8_t Device = 0;      // bit i: Device[i]
  uint16_t KBBtn = 0;      // bit i: KBBtn[i]
  uint8_t JSBtn[4] = {};   // bit b of [p]: JSBtn[p][b]

  bool Any() const;
  // The fields by their record names, each run of indices as one range, so a
  // file of all 0xFF reads "Device[0..3], KBBtn[0..11], JSBtn[0..3][0..7]".
  std::string Names() const;
};

// Zeroes the record, takes up to 108 bytes (a shorter file leaves the rest 0)
// and clears every out-of-range value; *cleared (when given) says which.
TCFGINI CfgIniFromBytes(const uint8_t* data, size_t size, CfgIniCleared* cleared = nullptr);
// The record as exactly 108 little-endian bytes.
std::array<uint8_t, kCfgIniSize> CfgIniToBytes(const TCFGINI& cfg);
// Clears device numbers outside 0..4, key codes above 255 and pad buttons
// above 31, and returns which fields it cleared.
CfgIniCleared SanitiseCfgIni(TCFGINI& cfg);
// The stderr text for cleared fields: "out of range and cleared to 0: " and
// their names; "" when none was cleared.
std::string CfgIniClearedProblem(const CfgIniCleared& cleared);
// With the pads picked by Device (Auto_f clear), player 1 on a pad beyond the
// number connected reads nothing: the text that says so, "" otherwise.
std::string CfgIniPlayer1Problem(const TCFGINI& cfg, int padsConnected);
// Both programs at start: names on stderr, against the settings file, the
// fields that were cleared and a player 1 left without input.
void ReportCfgIniDeadKeys(std::string_view gamePath, const TCFGINI& cfg,
                          const CfgIniCleared& cleared, int padsConnected);

// Reads the file at a game path. A file that is not exactly 108 bytes long
// counts as missing: an empty or cut file would otherwise leave every key
// unset. False when it cannot be read or has the wrong size; cfg is then all
// zero and *problem (when given) says which ("missing", "is a folder", ...).
// *cleared (when given) says which values of a read file were out of range.
bool LoadCfgIni(std::string_view gamePath, TCFGINI& cfg, std::string* problem = nullptr,
                CfgIniCleared* cleared = nullptr);
// The configuration program's reading: zeroes the record and takes up to 108
// bytes, so the user sees what a short file held and saves a whole one. False
// only when the file cannot be read (cfg all zero); a file of another length
// loads, with *problem (when given) saying it was short or long, and "" for a
// whole one. When it cannot be read, *problem says why ("missing", "cannot be
// read: Permission denied", ...).
bool LoadCfgIniForEditing(std::string_view gamePath, TCFGINI& cfg, std::string* problem = nullptr,
                          CfgIniCleared* cleared = nullptr);
// The game's reading over a whole file's bytes.
bool CfgIniFromFile(std::span<const uint8_t> file, TCFGINI& cfg, std::string* problem = nullptr,
                    CfgIniCleared* cleared = nullptr);
// Replaces the file with exactly 108 bytes (see plat::WriteFile: a failed
// save leaves the old file whole); false, with the reason in *error and the
// step in *failed, on an I/O error.
bool SaveCfgIni(std::string_view gamePath, const TCFGINI& cfg, std::string* error = nullptr,
                plat::WriteStep* failed = nullptr);
