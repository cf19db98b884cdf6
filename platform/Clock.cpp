#include "platform/Clock.h"

#include <sched.h>
#include <time.h>

namespace plat {

namespace {
uint64_t MonotonicNs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return uint64_t(ts.tv_sec) * 1000000000ull + uint64_t(ts.tv_nsec);
}

SystemClock g_system;
Clock* g_current = &g_system;
}  // namespace

uint32_t SystemClock::NowMs() { return uint32_t(MonotonicNs() / 1000000ull); }

void SystemClock::SleepMs(uint32_t ms) {
  if (ms == 0) {
    sched_yield();
    return;
  }
  timespec ts{time_t(ms / 1000), long(ms % 1000) * 1000000L};
  while (nanosleep(&ts, &ts) != 0) {
  }
}

uint64_t SystemClock::PerfCounter() { return MonotonicNs(); }

uint32_t FakeClock::NowMs() {
  ++Reads;
  uint32_t now = uint32_t(us_ / 1000);
  AdvanceMs(ReadStepMs);
  return now;
}

Clock& CurrentClock() { return *g_current; }
void SetClock(Clock* clock) { g_current = clock ? clock : &g_system; }

}  // namespace plat
