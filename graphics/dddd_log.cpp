// The display's checking routine and its numbered debug log.
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "files/QDArc.h"
#include "graphics/dddd.h"
#include "platform/DebugLog.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"

bool DDDD_HaltOnError = false;
bool DDDD_DebugMessage = false;
int32_t debugCount = 0;

namespace {

DDDDHaltHandler& HaltHandler() {
  static DDDDHaltHandler handler;
  return handler;
}

std::string& LogFolder() {
  static std::string folder;
  return folder;
}

DDDDArchiveReader& ArchiveReader() {
  static DDDDArchiveReader reader;
  return reader;
}

}  // namespace

void DDDD_SetHaltHandler(DDDDHaltHandler handler) { HaltHandler() = std::move(handler); }

void DDDD_SetLogFolder(const std::string& hostFolder) { LogFolder() = hostFolder; }

void DDDD_SetArchiveReader(DDDDArchiveReader reader) { ArchiveReader() = std::move(reader); }

std::optional<std::vector<uint8_t>> DDDD_ReadArchiveEntry(const std::string& archive,
                                                          const std::string& id) {
  if (ArchiveReader()) return ArchiveReader()(archive, id);
  std::unique_ptr<TMemoryStream> entry = ExtractFromQDAFile(archive, id);
  if (!entry) return std::nullopt;
  return entry->TakeBytes();
}

void PutDebugMessage(const std::string& mes, const std::string& fpath) {
  if (!DDDD_DebugMessage) return;
  plat::AppendDebugLine(LogFolder(), fpath, debugCount, "debug#%.5d ... ", mes);
}

void PutTestMessage(const std::string& mes) {
  if (DDDD_DebugMessage) PutDebugMessage(mes, "dddebug.txt");
}

void DDDD_Msg(const std::string& mes) { PutTestMessage(mes); }

int32_t TRYDD(int32_t err, const std::string& failMes) {
  if (err == 0) return 0;
  const std::string line = failMes + plat::ErrorCodeText(uint32_t(err), true);
  PutDebugMessage(line, "dddebug.txt");
  // A failed display call ends the game with its message and a failure status.
  if (DDDD_HaltOnError) plat::HaltWith(HaltHandler(), line);
  return err;
}
