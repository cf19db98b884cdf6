#include <gtest/gtest.h>

#include "files/ProcCounter.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"

namespace {

class ProcCounterTest : public ::testing::Test {
 protected:
  void SetUp() override { plat::SetClock(&clock_); }
  void TearDown() override {
    plat::SetClock(nullptr);
    plat::SetMessageBoxSink({});
  }
  plat::FakeClock clock_;
};

TEST_F(ProcCounterTest, SingleIntervalInMicroseconds) {
  TProcCounter pc;
  pc.SetCounterNum(16);
  pc.Start(1);
  clock_.AdvanceUs(1234);
  pc.Stop(1);
  EXPECT_EQ(pc.GetTime(1), 1234);
}

TEST_F(ProcCounterTest, WindowAverageAppearsAfter64AndMaximumRestarts) {
  TProcCounter pc;
  pc.SetCounterNum(16);
  for (int n = 0; n < 63; ++n) {
    pc.Start64(0);
    clock_.AdvanceUs(n == 10 ? 500 : 100);
    pc.Stop64(0);
  }
  EXPECT_EQ(pc.GetTime64(0), 0);
  EXPECT_EQ(pc.GetTime64M(0), 500);
  pc.Start64(0);
  clock_.AdvanceUs(100);
  pc.Stop64(0);
  EXPECT_EQ(pc.GetTime64(0), (62 * 100 + 500 + 100) / 64);
  EXPECT_EQ(pc.GetTime64M(0), 0);
}

TEST_F(ProcCounterTest, OutOfRangeNumbersDoNothing) {
  TProcCounter pc;
  pc.SetCounterNum(16);
  pc.Start(16);
  pc.Stop64(99);
  EXPECT_EQ(pc.GetTime(16), -1);
  EXPECT_EQ(pc.GetTime64(16), -1);
  EXPECT_EQ(pc.GetTime64M(1000), -1);
}

TEST_F(ProcCounterTest, ZeroCountIsRefusedWithAMessage) {
  std::string shown;
  plat::SetMessageBoxSink([&](const std::string& s) { shown = s; });
  TProcCounter pc;
  pc.SetCounterNum(4);
  pc.SetCounterNum(0);
  EXPECT_EQ(pc.CounterNum(), 4u);
  EXPECT_FALSE(shown.empty());
}

}  // namespace
