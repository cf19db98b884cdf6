// Single-stream file readers over arbitrary bytes.
#include <cstddef>
#include <cstdint>

#include "files/QDArc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TMemoryStream ms(data, size);
  CheckFileHashSAI(ms);
  ms.SetPosition(0);
  ExtractFromQDASAIStream(ms);
  ExtractFromQDASAIStreamDB(ms);
  return 0;
}
