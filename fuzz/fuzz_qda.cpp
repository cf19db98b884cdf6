// Archive readers over arbitrary bytes: the index, every entry by name through
// each reader, and the checks. An input whose first byte is odd is instead
// made into a well-formed archive (its entries cut from the input, coded or
// stored) and then damaged at the places the rest of the input names, so the
// readers also meet entries that pass every range check.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "files/QDArc.h"
#include "shell/GameArchive.h"

namespace {

void ReadAll(const std::vector<uint8_t>& bytes) {
  TMemoryStream ms(bytes);
  // The checks every data archive passes before use, and what they report.
  if (ArchiveProblem(ms, "DBDT", 0, 0, 0).empty() !=
      (CheckFileHash(ms, 8) && CheckFileSignVer(ms, "DBDT", 0, 0, 0)))
    __builtin_trap();
  TQDAStream qs;
  qs.LoadFromBytes(bytes);
  if (auto index = ParseQDAIndex(bytes)) {
    for (size_t i = 0; i < index->entries.size() && i < 64; ++i) {
      std::string name = QDAEntryName(index->entries[i]);
      auto a = ExtractFromQDAStream(ms, name);
      auto b = ExtractFromQDAStream2(qs, name);
      if (bool(a) != bool(b)) __builtin_trap();
      // A damaged index may hold one name twice: lookups find the first.
      const auto& e = index->entries[size_t(FindQDAEntry(*index, name))];
      if (a && a->Size() != int64_t(e.RestoredLength)) __builtin_trap();
    }
  }
  ExtractFromQDAStream2(qs, "missing");
}

std::vector<uint8_t> DamagedArchive(std::span<const uint8_t> in) {
  const bool coded = in[0] & 2;
  in = in.subspan(1);
  size_t cut = in.size() / 2;
  std::span<const uint8_t> body = in.subspan(0, cut), patches = in.subspan(cut);
  std::vector<std::span<const uint8_t>> parts = {body.subspan(0, body.size() / 3),
                                                 body.subspan(body.size() / 3)};
  auto arc = BuildQDAArchive("DBDT", 0, 0, 0, parts, {"a.bin", "b.bin"}, coded);
  if (!arc) __builtin_trap();
  for (size_t i = 0; i + 3 <= patches.size(); i += 3) {
    size_t at = (size_t(patches[i]) | size_t(patches[i + 1]) << 8) % arc->size();
    (*arc)[at] ^= patches[i + 2];
  }
  return *arc;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0 && (data[0] & 1)) {
    ReadAll(DamagedArchive(std::span<const uint8_t>(data, size)));
  } else {
    ReadAll(std::vector<uint8_t>(data, data + size));
  }
  return 0;
}
