// The frame loop rests between frames instead of polling: the rest of each
// period goes to one wait of the host, the single-instance channel is polled
// once per frame, and a paused match rests a period between its input scans.
#include "tests/FormTestKit.h"

namespace {

class FrameWait : public formkit::FormFixture {
 protected:
  void SetUp() override {
    FormFixture::SetUp();
    WriteSettings();
    Start();
  }
};

TEST_F(FrameWait, ThePeriodIsSleptAndTheInstanceIsPolledOncePerFrame) {
  int polls = 0;
  host.OnPump = [&] { ++polls; };
  host.MaxIdleCalls = 20;
  const uint64_t reads = clock.Reads;
  const uint32_t t0 = Now();
  host.Run();
  EXPECT_EQ(c.moves, 20);
  EXPECT_GE(Now() - t0, 20u * 16u);
  EXPECT_EQ(uint64_t(polls), host.IdleCalls);
  EXPECT_LE(clock.Reads - reads, 5u * host.IdleCalls) << "a spinning wait reads the clock on and on";
}

TEST_F(FrameWait, APausedMatchRestsAPeriodBetweenItsInputScans) {
  c.scene = stDB;
  c.pushXOnScan = {1};
  Loop(2);  // one step sees the push, the next call pauses
  ASSERT_EQ(form->Pause, ptPause);
  const int moves = c.moves, scans = c.scans;
  const uint32_t t0 = Now();
  host.MaxIdleCalls = 10;
  host.Run();
  EXPECT_EQ(c.moves, moves);
  EXPECT_EQ(c.scans - scans, 10);
  EXPECT_GE(Now() - t0, 10u * 16u);
}

}  // namespace
