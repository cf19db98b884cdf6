// The PNG read-back of the art build's writer: any input is refused or read,
// never a crash; an indexed picture that reads is written again and must read
// back the same.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/PngWriter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::vector<uint8_t> sample = [] {
    plat::PngIndexed p{4, 3, {0, 1, 2, 3, 3, 2, 1, 0, 0, 0, 1, 1}, {{255, 0, 255}, {1, 2, 3}, {9, 9, 9}, {200, 0, 0}}};
    std::vector<uint8_t> bytes;
    plat::EncodePngIndexed(p, bytes);
    return bytes;
  }();
  std::vector<uint8_t> in(data, data + size);
  // Odd first byte: edit the sample at a few places instead (random bytes
  // rarely pass the signature).
  if (size > 0 && (data[0] & 1)) {
    in = sample;
    for (size_t i = 1; i + 1 < size; i += 2) in[data[i] % in.size()] = data[i + 1];
  }
  plat::PngDecoded first;
  if (!plat::ReadBackPng(in, first) || !first.isIndexed) return 0;
  std::vector<uint8_t> again;
  if (!plat::EncodePngIndexed(first.indexed, again)) return 0;  // e.g. an index past a short palette
  plat::PngDecoded second;
  if (!plat::ReadBackPng(again, second) || second.indexed.pixels != first.indexed.pixels ||
      second.indexed.palette != first.indexed.palette)
    __builtin_trap();
  return 0;
}
