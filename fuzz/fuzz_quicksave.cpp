// Save-state files are read back by the game: any bytes must be refused or
// taken whole, and a taken image must store back to a file that reads again.
// Short inputs are also laid over an empty image at an offset they choose, so
// the checks of every field are reached without full-size inputs.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "match/recordUnit.h"

namespace {

void Check(std::span<const uint8_t> in) {
    auto sv = std::make_unique<QuickSaveData>();
    *sv = QuickSaveData{};
    std::string why;
    if (!QuickSaveFromBytes(in, *sv, &why)) {
        if (why.empty()) __builtin_trap();  // a refusal always says why
        return;
    }
    auto back = QuickSaveToBytes(*sv);
    if (back.size() != in.size()) __builtin_trap();
    auto again = std::make_unique<QuickSaveData>();
    if (!QuickSaveFromBytes(back, *again)) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Check({data, size});
    if (size < 4 || size >= QUICKSAVE_BYTES) return 0;
    std::vector<uint8_t> image(QUICKSAVE_BYTES, 0);
    size_t at = (size_t(data[0]) | size_t(data[1]) << 8 | size_t(data[2]) << 16) % QUICKSAVE_BYTES;
    size_t n = std::min(size - 3, QUICKSAVE_BYTES - at);
    std::memcpy(image.data() + at, data + 3, n);
    Check(image);
    return 0;
}
