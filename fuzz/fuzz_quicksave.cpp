// Save-state files are read back by the game: any bytes must be refused or
// taken whole, and a taken image must store back to the same bytes apart
// from its reference placeholders.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "match/recordUnit.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto sv = std::make_unique<QuickSaveData>();
    *sv = QuickSaveData{};
    std::span<const uint8_t> in(data, size);
    if (!QuickSaveFromBytes(in, *sv)) return 0;
    auto back = QuickSaveToBytes(*sv);
    if (back.size() != size) __builtin_trap();
    auto again = std::make_unique<QuickSaveData>();
    if (!QuickSaveFromBytes(back, *again)) __builtin_trap();
    return 0;
}
