// The "ALPHAOGG" loop header in front of an Ogg stream: read through the
// decoder's LoadLoop from a memory stream at any position.
#include <cstddef>
#include <cstdint>

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
  return 0;
}
