// The character palette archive reader: raw bytes as the archive, and the
// bytes split into two palette files of any length inside a valid archive.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "files/QDArc.h"
#include "shell/GameArchive.h"
#include "shell/clsAllTx.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TALLtxChar* ac = new TALLtxChar(nullptr, nullptr, nullptr);
  std::span<const uint8_t> in(data, size);
  // As the game opens the archive: its checks, then the palettes.
  TMemoryStream ms(data, size);
  const bool passed = ArchiveProblem(ms, "PAL", 0, 1, 0).empty();
  if (ac->ReadDBPalDt(in) != 2 && !passed) __builtin_trap();  // a failed check is never read
  size_t cut = size ? data[0] * size / 256 : 0;
  std::vector<std::span<const uint8_t>> files = {in.subspan(0, cut), in.subspan(cut)};
  if (auto a = BuildQDAArchive("PAL", 0, 1, 0, files, {"dbpal0.pal", "dbpal1.pal"}, size & 1))
    ac->ReadDBPalDt(*a);
  return 0;
}
