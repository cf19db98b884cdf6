// Whole numbers from reals, and distances, for every unit of the match.
//
// A real reaches an integer of the match only through Trunc: truncated
// toward zero like every conversion of the match, held inside int32 so that
// a huge or infinite value cannot make the conversion undefined, and 0 for
// NaN. Distances on the court are taken by Dist alone.
#pragma once
#include <cmath>
#include <cstdint>
#include <limits>

namespace matchmath {

// A 64-bit whole number held inside int32 instead of wrapping.
inline int32_t Sat(int64_t v) {
    if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return int32_t(v);
}

// A real truncated toward zero and held inside int32 (NaN gives 0).
inline int32_t Trunc(double v) {
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0) return std::numeric_limits<int32_t>::max();
    if (v <= -2147483648.0) return std::numeric_limits<int32_t>::min();
    return int32_t(v);
}

// The length of the offset (dx, dz), truncated.
inline int32_t Dist(int64_t dx, int64_t dz) {
    return Trunc(std::sqrt(double(dx) * double(dx) + double(dz) * double(dz)));
}

}  // namespace matchmath
