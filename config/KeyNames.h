// Names of keyboard scan codes as the configuration program shows them in its
// key fields ("Key : Enter"). Only keys with a name here are offered for play.
#pragma once
#include <cstdint>
#include <string>

namespace tumbotcfg {

// The name of a scan code without the "Key : " prefix, or nullptr when the
// code has none. The arrow keys are named by words with English texts and by
// arrows with Japanese texts (Shift-JIS).
const char* ScanCodeName(uint16_t code, bool eng);

// The text of a key field for a scan code: "Key : " + its name. A code without
// a name is set to 0 and shows "Needless to me!" when unknownFlag is set (the
// key was read from the settings file), "other key please" when it is clear
// (the key was just pressed); Japanese texts have their own words.
std::string KeyName(uint16_t& code, bool unknownFlag, bool eng);

}  // namespace tumbotcfg
