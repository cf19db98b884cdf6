// Shift-JIS (code page 932) text, the game's own encoding, converted at the
// edge where it leaves for the window system (captions, message boxes) or
// comes back from it. Bytes that do not convert become '?', so a damaged text
// never stops the caller.
#pragma once
#include <string>
#include <string_view>

namespace plat {

std::string SjisToUtf8(std::string_view sjis);
std::string Utf8ToSjis(std::string_view utf8);

}  // namespace plat
