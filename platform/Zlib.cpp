#include "platform/Zlib.h"

#include <zlib.h>

namespace plat {

std::vector<uint8_t> ZlibCompress(std::span<const uint8_t> src, int level) {
  uLongf bound = compressBound(uLong(src.size()));
  std::vector<uint8_t> out(bound);
  if (compress2(out.data(), &bound, src.data(), uLong(src.size()), level) != Z_OK) return {};
  out.resize(bound);
  return out;
}

std::optional<std::vector<uint8_t>> ZlibUncompress(std::span<const uint8_t> src, size_t size) {
  std::vector<uint8_t> out(size);
  uLongf len = uLongf(size);
  if (uncompress(out.data(), &len, src.data(), uLong(src.size())) != Z_OK || len != size)
    return std::nullopt;
  return out;
}

}  // namespace plat
