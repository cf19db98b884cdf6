// Numbered stopwatches on the performance counter, results in microseconds.
// Each stopwatch times one interval (Start/Stop) or collects intervals in
// windows of 64 and reports the last window's average and the current
// window's maximum (Start64/Stop64).
#pragma once
#include <cstdint>
#include <vector>

class TProcCounter {
 public:
  TProcCounter();

  uint32_t CounterNum() const { return m_cntnum; }
  // 0 is refused with a message box and changes nothing.
  void SetCounterNum(uint32_t n);
  bool Available() const { return m_freq != 0; }

  // Stopwatch numbers at or above CounterNum do nothing; queries give -1.
  void Start(uint32_t i);
  void Stop(uint32_t i);
  int64_t GetTime(uint32_t i) const;
  void Start64(uint32_t i);
  void Stop64(uint32_t i);
  int64_t GetTime64(uint32_t i) const;
  int64_t GetTime64M(uint32_t i) const;

 private:
  int64_t ToMicroseconds(uint64_t counts) const;

  uint32_t m_cntnum = 0;
  std::vector<uint64_t> m_begin, m_end;
  uint64_t m_freq = 0;
  std::vector<uint64_t> m_time, m_time2, m_timeM;
  std::vector<uint32_t> m_time_c;
};
