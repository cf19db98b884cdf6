// The clock seam: every read of time and every sleep of the game goes through
// the current Clock, so tests can run the frame loop on a fake clock.
#pragma once
#include <cstdint>

namespace plat {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds, monotonic, wrapping at 2^32 (callers use unsigned differences).
  virtual uint32_t NowMs() = 0;
  // Sleeps at least ms milliseconds; 0 yields.
  virtual void SleepMs(uint32_t ms) = 0;
  // High-resolution counter and its ticks per second.
  virtual uint64_t PerfCounter() = 0;
  virtual uint64_t PerfFrequency() = 0;
};

// Real time from the monotonic system clock.
class SystemClock final : public Clock {
 public:
  uint32_t NowMs() override;
  void SleepMs(uint32_t ms) override;
  uint64_t PerfCounter() override;
  uint64_t PerfFrequency() override { return 1000000000ull; }
};

// Manual time for tests. Each NowMs() read advances by ReadStepMs so busy waits
// end; SleepMs advances by the time slept. The counter runs at 1 MHz.
class FakeClock final : public Clock {
 public:
  uint32_t NowMs() override;
  void SleepMs(uint32_t ms) override { AdvanceUs(uint64_t(ms) * 1000); }
  uint64_t PerfCounter() override { return us_; }
  uint64_t PerfFrequency() override { return 1000000ull; }

  void AdvanceMs(uint32_t ms) { AdvanceUs(uint64_t(ms) * 1000); }
  void AdvanceUs(uint64_t us) { us_ += us; }
  void SetMs(uint32_t ms) { us_ = uint64_t(ms) * 1000; }
  uint32_t ReadStepMs = 0;
  uint64_t Reads = 0;

 private:
  uint64_t us_ = 0;
};

// The clock the game uses now; SetClock(nullptr) returns to the system clock.
Clock& CurrentClock();
void SetClock(Clock* clock);

}  // namespace plat
