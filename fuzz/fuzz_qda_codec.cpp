// The byte-pair decoder over arbitrary bytes, the encoder's round trip, and
// their stream forms.
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
  // The stream forms the archive readers and writer use, from a position
  // inside the input.
  TMemoryStream src(data, size);
  src.SetPosition(size ? data[0] % (size + 1) : 0);
  auto expanded = Expand(src, 1u << 20);
  src.SetPosition(0);
  auto compressed = Compress(size & 1, src);
  if (!compressed || compressed->Position() != 0) __builtin_trap();
  return 0;
}
