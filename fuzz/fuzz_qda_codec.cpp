// The byte-pair decoder over arbitrary bytes, and the encoder's round trip.
#include <cstddef>
#include <cstdint>
#include <span>

#include "files/QDArc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::span<const uint8_t> in(data, size);
  auto decoded = BPEExpand(in, 1u << 20);
  if (decoded && decoded->size() > (1u << 20)) __builtin_trap();
  auto coded = BPECompress(in);
  auto back = BPEExpand(coded, uint32_t(size));
  if (!back || !std::equal(back->begin(), back->end(), in.begin(), in.end())) __builtin_trap();
  return 0;
}
