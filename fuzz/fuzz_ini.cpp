// The commented ini parser over arbitrary text: parse, read every key back,
// write, parse the written form again.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "files/QxMemIniFile.h"

namespace {
struct IniText : TQxMemIniFile {
  explicit IniText(std::string_view text) : TQxMemIniFile("") { SetStrings(QxSplitLines(text)); }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  IniText ini(text);
  std::vector<std::string> sections, keys;
  ini.ReadSections(sections);
  for (const auto& s : sections) {
    ini.ReadSection(s, keys);
    for (const auto& k : keys) {
      ini.ReadString(s, k, "");
      ini.ReadInteger(s, k, 0);
    }
  }
  std::vector<std::string> lines;
  ini.GetStrings(lines);
  IniText again(QxJoinLines(lines));
  std::vector<std::string> sections2;
  again.ReadSections(sections2);
  if (sections2.size() < sections.size()) __builtin_trap();  // written sections read back
  return 0;
}
