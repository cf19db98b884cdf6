#include "shell/GameRandom.h"

#include "platform/Clock.h"

namespace {
uint32_t g_seed = 0;
uint64_t g_draws = 0;
}  // namespace

int32_t Random(int32_t n) {
  g_seed = g_seed * 134775813u + 1u;
  ++g_draws;
  if (n <= 0) return 0;
  return int32_t((uint64_t(g_seed) * uint64_t(uint32_t(n))) >> 32);
}

int32_t RandSeed() { return int32_t(g_seed); }
void SetRandSeed(int32_t seed) { g_seed = uint32_t(seed); }

void Randomize() {
  uint64_t c = plat::CurrentClock().PerfCounter();
  g_seed = uint32_t(c ^ (c >> 32));
}

uint64_t RandomDraws() { return g_draws; }
void ResetRandomDraws() { g_draws = 0; }
