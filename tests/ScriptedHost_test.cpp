// The scripted host the game's tests run on: events replayed by the fake
// clock in time order, the loop, and what it records of the window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/ScriptedHost.h"

namespace {

TEST(ScriptedHost, EventsComeInTimeOrderAsTheClockPasses) {
  plat::FakeClock clock;
  plat::ScriptedHost host(&clock);
  std::vector<std::string> got;
  auto now = [&] { return std::to_string(clock.PerfCounter() / 1000); };
  host.OnKeyDown = [&](const plat::KeyEvent& k) {
    got.push_back("key " + std::to_string(k.vk) + (k.shift ? " shift" : "") + " @" + now());
  };
  host.OnPaint = [&] { got.push_back("paint @" + now()); };
  host.OnClose = [&] { got.push_back("close @" + now()); };
  host.QueueKey(5, 65, true);
  host.QueuePaint(3);
  host.QueueKey(5, 66);  // the same time: after the first
  host.QueueClose(20);
  host.QueueClose(30);
  EXPECT_EQ(host.PendingEvents(), 5u);
  host.ProcessMessages();  // at 1: nothing due
  EXPECT_TRUE(got.empty());
  host.WaitMessages(6);  // 2 to 7, a step at a time
  EXPECT_EQ(got, (std::vector<std::string>{"paint @3", "key 65 shift @5", "key 66 @5"}));
  EXPECT_EQ(clock.PerfCounter(), 7000u);
  EXPECT_EQ(host.Pumps, 7u);
  // With nothing to do the loop jumps to the next event and ends when none is
  // left; a close with its handler does not end it, one without does.
  host.Run();
  EXPECT_EQ(got.size(), 5u);
  EXPECT_EQ(got[3], "close @21");
  EXPECT_EQ(got[4], "close @31");
  EXPECT_FALSE(host.Terminated());
  host.OnClose = nullptr;
  host.QueueClose(40);
  host.QueueKey(50, 27);
  host.Run();
  EXPECT_TRUE(host.Terminated());
  EXPECT_EQ(host.PendingEvents(), 1u) << "the key after the close never came";
  EXPECT_EQ(clock.PerfCounter(), 41000u);
  EXPECT_EQ(got.size(), 5u);

  // The idle handler runs up to the limit, after any delay it asked for.
  plat::ScriptedHost idle(&clock);
  int calls = 0;
  idle.SetIdle([&](bool&) {
    if (++calls == 1) idle.DelayIdle(50);
  });
  idle.MaxIdleCalls = 3;
  idle.Run();
  EXPECT_EQ(calls, 3);
  EXPECT_EQ(idle.IdleCalls, 3u);
  EXPECT_EQ(clock.PerfCounter(), 41000u + (1 + 50 + 1 + 1) * 1000u) << "a pump a call, and the delay";

  // Without a clock, queued events go out on the next look.
  plat::ScriptedHost clockless;
  int keys = 0;
  clockless.OnKeyDown = [&](const plat::KeyEvent&) { ++keys; };
  clockless.QueueKey(100000, 27);
  clockless.WaitMessages(5);
  EXPECT_EQ(keys, 1);
  EXPECT_EQ(clockless.Pumps, 1u);
}

TEST(ScriptedHost, RecordsCaptionsAndFrames) {
  plat::ScriptedHost host;
  host.SetCaption("");
  EXPECT_EQ(host.Captions, std::vector<std::string>{""}) << "the first caption is recorded, even empty";
  ASSERT_TRUE(host.CreateWindow("game", 4, 2));
  host.SetCaption("game");
  host.SetCaption("next");
  EXPECT_EQ(host.Captions, (std::vector<std::string>{"", "game", "next"}));
  EXPECT_EQ(host.Caption(), "next");
  EXPECT_TRUE(host.WindowCreated);
  // Nothing presented yet: the canvas paints a black client area.
  host.DrawOverFrame({{1, 0, 2, 1, 0xFF, "", "", 0, 0}});
  EXPECT_EQ(host.LastFrameW, 4);
  EXPECT_EQ(host.LastFrame, (std::vector<uint32_t>{0, 0xFF, 0xFF, 0, 0, 0, 0, 0}));
  const uint32_t px[8] = {1, 2, 3, 9, 4, 5, 6, 9};
  host.Present(plat::FrameView{px, 3, 2, 4});
  EXPECT_EQ(host.LastFrame, (std::vector<uint32_t>{1, 2, 3, 4, 5, 6})) << "packed rows";
  EXPECT_EQ(host.LastFrameW, 3);
  EXPECT_EQ(host.LastFrameH, 2);
  host.Present(plat::FrameView{px, 3, 2, 2});  // a pitch shorter than a row
  host.Present(plat::FrameView{nullptr, 3, 2, 4});
  host.Present(plat::FrameView{px, 0, 2, 4});
  host.Present(plat::FrameView{px, 3, 0, 4});
  EXPECT_EQ(host.Presents, 5u);
  EXPECT_EQ(host.LastFrame.size(), 6u) << "bad frames are counted, not kept";
  host.DrawOverFrame({{0, 0, 1, 1, 0x7, "", "", 0, 0}});
  EXPECT_EQ(host.LastFrame[0], 7u) << "over the presented frame";
  EXPECT_EQ(host.LastFrame[1], 2u);
}

}  // namespace
