// The "ALPHAOGG" loop header in front of an Ogg stream: read through the
// decoder's LoadLoop from a memory stream at any position.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "files/Streams.h"
#include "sound/OggDataLib2.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static OggDataLib2::TOggData dec(0);
  TMemoryStream s(data, size);
  if (size > 0) s.SetPosition(data[0] % 4);
  const int64_t before = s.Position();
  const bool found = dec.LoadLoop(s);
  // The stream moves past a header it read and stays where it was otherwise.
  if (found != (s.Position() == before + OggDataLib2::kAlphaOggSize)) __builtin_trap();
  if (!found && s.Position() != before) __builtin_trap();
  if (!found) return 0;
  // The records read back from a header written from them are the same.
  const auto header = OggDataLib2::MakeAlphaOggHeader(dec.LoopData);
  OggDataLib2::TOggLoop again[OggDataLib2::kLoopRecords];
  if (!OggDataLib2::ParseAlphaOggHeader(header, again)) __builtin_trap();
  for (int i = 0; i < OggDataLib2::kLoopRecords; ++i)
    if (std::memcmp(&again[i], &dec.LoopData[i], sizeof again[i]) != 0) __builtin_trap();
  return 0;
}
