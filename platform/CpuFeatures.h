// What the processor offers beyond the baseline the game is built for.
#pragma once

namespace plat {

// True when the processor has the SHA-256 instructions and the SSSE3 and
// SSE4.1 shuffles that go with them.
bool CpuHasSha256Instructions();

}  // namespace plat
