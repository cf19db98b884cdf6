// Archive readers over arbitrary bytes: the index, every entry by name through
// each reader, and the checks.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "files/QDArc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  TMemoryStream ms(bytes);
  CheckFileHash(ms, 8);
  CheckFileSignVer(ms, "DBDT", 0, 0, 0);
  TQDAStream qs;
  qs.LoadFromBytes(bytes);
  if (auto index = ParseQDAIndex(bytes)) {
    for (size_t i = 0; i < index->entries.size() && i < 64; ++i) {
      std::string name = QDAEntryName(index->entries[i]);
      auto a = ExtractFromQDAStream(ms, name);
      auto b = ExtractFromQDAStream2(qs, name);
      if (bool(a) != bool(b)) __builtin_trap();
      if (a && a->Size() > int64_t(index->entries[i].RestoredLength)) __builtin_trap();
    }
  }
  ExtractFromQDAStream2(qs, "missing");
  return 0;
}
