// zlib's deflate and inflate over bytes in memory, for comparing the game's
// own codec against a well-known one.
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace plat {

// Deflates at the given level (1..9); empty on failure.
std::vector<uint8_t> ZlibCompress(std::span<const uint8_t> src, int level = 6);
// Inflates a stream known to restore to exactly size bytes; nullopt otherwise.
std::optional<std::vector<uint8_t>> ZlibUncompress(std::span<const uint8_t> src, size_t size);

}  // namespace plat
