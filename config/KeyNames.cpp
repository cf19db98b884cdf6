#include "config/KeyNames.h"

#include <array>

namespace tumbotcfg {

namespace {

struct NameTable {
  std::array<const char*, 256> names{};

  void Run(uint16_t first, std::initializer_list<const char*> list) {
    for (const char* n : list) names[first++] = n;
  }

  NameTable() {
    Run(2, {"1", "2", "3", "4", "5", "6", "7", "8", "9", "0"});
    Run(12, {"-", "^", "Back Space", "Tab"});
    Run(16, {"Q", "W", "E", "R", "T", "Y", "U", "I", "O", "P"});
    Run(26, {"[", "]", "Enter", "Ctrl (Left)"});
    Run(30, {"A", "S", "D", "F", "G", "H", "J", "K", "L"});
    Run(39, {";", "'", "`", "Shift (Left)", "\\"});
    Run(44, {"Z", "X", "C", "V", "B", "N", "M"});
    Run(51, {",", ".", "/", "Shift (Right)", "* (Numpad)", "Alt (Left)", "Space", "Caps Lock"});
    Run(69, {"Num Lock", "Scroll Lock"});
    Run(71, {"7 (Numpad)", "8 (Numpad)", "9 (Numpad)", "- (Numpad)", "4 (Numpad)",
             "5 (Numpad)", "6 (Numpad)", "+ (Numpad)", "1 (Numpad)", "2 (Numpad)",
             "3 (Numpad)", "0 (Numpad)", ". (Numpad)"});
    names[125] = "\\";
    Run(144, {"^", "@", ":", "_"});
    Run(156, {"Enter (Numpad)", "Ctrl (Right)"});
    names[179] = ", (Numpad)";
    names[181] = "/ (Numpad)";
    names[183] = "Sys Rq";
    names[184] = "Alt (Right)";
    names[197] = "Pause";
    names[199] = "Home";
    names[201] = "Page Up";
    names[207] = "End";
    names[209] = "Page Down";
    names[210] = "Insert";
    names[211] = "Delete";
  }
};

const NameTable& Names() {
  static const NameTable table;
  return table;
}

}  // namespace

const char* ScanCodeName(uint16_t code, bool eng) {
  switch (code) {
    case 200: return eng ? "Up" : "\x81\xAA";     // ↑
    case 203: return eng ? "Left" : "\x81\xA9";   // ←
    case 205: return eng ? "Right" : "\x81\xA8";  // →
    case 208: return eng ? "Down" : "\x81\xAB";   // ↓
    default: break;
  }
  return code < 256 ? Names().names[code] : nullptr;
}

std::string KeyName(uint16_t& code, bool unknownFlag, bool eng) {
  if (const char* name = ScanCodeName(code, eng)) return std::string("Key : ") + name;
  code = 0;
  if (unknownFlag)
    return eng ? "Needless to me!"
               : "\x8Eg\x82\xED\x82\xC8\x82\xAD\x82\xC4\x82\xE0\x8F\x9F\x82\xC4\x82\xE9";  // 使わなくても勝てる
  return eng ? "other key please" : "\x8Eg\x97p\x95s\x89\xC2";  // 使用不可
}

}  // namespace tumbotcfg
