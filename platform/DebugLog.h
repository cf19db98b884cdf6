// The device components' shared failure plumbing: the per-run log file each
// component keeps beside the program, the "(Error Code(..))" suffix of a failed
// platform call, and the default halt (message box, then exit with status 1).
#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace plat {

// Writes head + mes as one line to folder/file, where head is headFormat
// printed with the message number. count is the component's message counter:
// it is incremented, and the first message of a run (count was 0) rewrites
// the file, later ones append. An empty folder means the program folder. A
// file that cannot be written is skipped: logging never stops the game.
void AppendDebugLine(const std::string& folder, const std::string& file, int32_t& count,
                     const char* headFormat, const std::string& mes);

// "(Error Code(1a))" with lower-case hex, or "(Error Code(1A))".
std::string ErrorCodeText(uint32_t err, bool upperHex);

using HaltHandler = std::function<void(const std::string& messageSjis)>;

// Hands the message to the handler when there is one (tests, the game's own
// halt path); otherwise writes it on stderr after the program's name, shows
// it in a message box and ends the program with status 1.
void HaltWith(const HaltHandler& handler, const std::string& messageSjis);

}  // namespace plat
