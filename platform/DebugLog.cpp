#include "platform/DebugLog.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/SjisText.h"

namespace plat {

void AppendDebugLine(const std::string& folder, const std::string& file, int32_t& count,
                     const char* headFormat, const std::string& mes) {
  std::string dir = folder.empty() ? ProgramFolder() : folder;
  if (!dir.empty() && dir.back() != '/') dir += '/';
  const bool first = count == 0;
  ++count;
  char head[48];
  std::snprintf(head, sizeof head, headFormat, int(count));
  std::ofstream out(dir + file,
                    first ? std::ios::binary | std::ios::trunc : std::ios::binary | std::ios::app);
  if (out) out << head << mes << "\n";
}

std::string ErrorCodeText(uint32_t err, bool upperHex) {
  char code[40];
  std::snprintf(code, sizeof code, upperHex ? "(Error Code(%X))" : "(Error Code(%x))", err);
  return code;
}

void HaltWith(const HaltHandler& handler, const std::string& messageSjis) {
  if (handler) {
    handler(messageSjis);
    return;
  }
  // The box's text alone may not say which program stopped; stderr keeps it.
  std::fprintf(stderr, "%s\n", ShowControls(ProgramFileName() + ": " + SjisToUtf8(messageSjis)).c_str());
  MessageBox(messageSjis);
  std::exit(1);
}

}  // namespace plat
