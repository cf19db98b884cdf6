#include "files/ProcCounter.h"

#include <cmath>

#include "platform/Clock.h"
#include "platform/MessageBox.h"

TProcCounter::TProcCounter() {
  m_freq = plat::CurrentClock().PerfFrequency();
  m_cntnum = 1;
  m_begin.assign(1, 0);
  m_end.assign(1, 0);
  m_time.assign(1, 0);
  m_time2.assign(1, 0);
  m_timeM.assign(1, 0);
  m_time_c.assign(1, 0);
}

void TProcCounter::SetCounterNum(uint32_t n) {
  if (n == 0) {
    plat::MessageBox("0\x82\xCD\x8E\x77\x92\xE8\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x81\x42");
    return;
  }
  m_begin.resize(n, 0);
  m_end.resize(n, 0);
  m_time.resize(n, 0);
  m_timeM.resize(n, 0);
  m_time2.assign(n, 0);
  m_time_c.assign(n, 0);
  m_cntnum = n;
}

void TProcCounter::Start(uint32_t i) {
  if (i >= m_cntnum) return;
  m_time[i] = 0;
  m_time_c[i] = 0;
  m_timeM[i] = 0;
  m_begin[i] = plat::CurrentClock().PerfCounter();
}

void TProcCounter::Stop(uint32_t i) {
  if (i >= m_cntnum) return;
  m_end[i] = plat::CurrentClock().PerfCounter();
  m_time[i] = m_end[i] - m_begin[i];
}

int64_t TProcCounter::GetTime(uint32_t i) const {
  return i < m_cntnum ? ToMicroseconds(m_time[i]) : -1;
}

void TProcCounter::Start64(uint32_t i) {
  if (i >= m_cntnum) return;
  m_begin[i] = plat::CurrentClock().PerfCounter();
}

void TProcCounter::Stop64(uint32_t i) {
  if (i >= m_cntnum) return;
  m_end[i] = plat::CurrentClock().PerfCounter();
  uint64_t d = m_end[i] - m_begin[i];
  if (d > m_timeM[i]) m_timeM[i] = d;
  m_time[i] += d;
  if (++m_time_c[i] >= 64) {
    m_time2[i] = m_time[i] >> 6;
    m_time[i] = 0;
    m_time_c[i] = 0;
    m_timeM[i] = 0;
  }
}

int64_t TProcCounter::GetTime64(uint32_t i) const {
  return i < m_cntnum ? ToMicroseconds(m_time2[i]) : -1;
}

int64_t TProcCounter::GetTime64M(uint32_t i) const {
  return i < m_cntnum ? ToMicroseconds(m_timeM[i]) : -1;
}

// Without a performance counter every time reads 0 rather than dividing by 0.
int64_t TProcCounter::ToMicroseconds(uint64_t counts) const {
  if (m_freq == 0) return 0;
  long double us = (long double)counts / (long double)m_freq * 1000000.0L;
  return (int64_t)std::nearbyintl(us);  // default rounding: nearest, ties to even
}
