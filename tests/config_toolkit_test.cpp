// The toolkit's own rules that the configuration window relies on: focus,
// clicks on disabled or hidden controls, radio items, hit testing and timers;
// and the key names of the key fields.
#include <gtest/gtest.h>

#include "config/KeyNames.h"
#include "platform/Clock.h"
#include "platform/Toolkit.h"

namespace {

using plat::TkControl;
using plat::TkForm;
using plat::TkKind;

TkControl Ctl(TkKind k, plat::TkRect r, int parent = -1) {
  TkControl c;
  c.kind = k;
  c.bounds = r;
  c.parent = parent;
  return c;
}

TEST(ConfigToolkit, DisabledOrHiddenGroupsStopTheirControls) {
  TkForm f("t", 200, 200);
  int group = f.Add(Ctl(TkKind::kGroupBox, {0, 0, 100, 100}));
  int edit = f.Add(Ctl(TkKind::kEdit, {10, 20, 50, 20}, group));
  int clicks = 0;
  TkControl radio = Ctl(TkKind::kRadioGroup, {0, 100, 100, 60}, group);
  radio.items = {"a", "b"};
  radio.onClick = [&] { ++clicks; };
  int rg = f.Add(radio);

  f.Click(edit);
  EXPECT_EQ(f.Focused(), edit);
  f[group].enabled = false;
  EXPECT_EQ(f.Focused(), -1);  // the focus went with the group
  f.Click(edit);
  f.ClickItem(rg, 1);
  EXPECT_EQ(f.Focused(), -1);
  EXPECT_EQ(clicks, 0);

  f[group].enabled = true;
  f[group].visible = false;
  EXPECT_FALSE(f.IsShowing(edit));
  EXPECT_EQ(f.HitTest(20, 25), -1);
  f[group].visible = true;

  f.ClickItem(rg, 1);
  f.ClickItem(rg, 1);  // the same item again changes nothing
  f.ClickItem(rg, 5);  // no such item
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(f[rg].itemIndex, 1);
  EXPECT_EQ(f.Focused(), rg);
}

TEST(ConfigToolkit, HitTestFindsControlsThroughFramesAndRadioItems) {
  TkForm f("t", 200, 200);
  int group = f.Add(Ctl(TkKind::kGroupBox, {0, 0, 200, 200}));
  int label = f.Add(Ctl(TkKind::kLabel, {10, 10, 50, 20}, group));
  TkControl radio = Ctl(TkKind::kRadioGroup, {0, 100, 200, 60}, group);
  radio.items = {"a", "b"};
  radio.columns = 2;
  int rg = f.Add(radio);
  EXPECT_EQ(f.HitTest(150, 50), -1);  // only the frame is there
  EXPECT_EQ(f.HitTest(20, 15), label);
  int item = -1;
  plat::TkRect second = f.ItemRect(rg, 1);
  EXPECT_EQ(f.HitTest(second.x + 2, second.y + 2, &item), rg);
  EXPECT_EQ(item, 1);
  EXPECT_GT(second.x, f.ItemRect(rg, 0).x);  // two columns side by side
  EXPECT_FALSE(f.SetFocus(label));
}

TEST(ConfigToolkit, TimersFireOncePerIntervalAndNoFasterThanTheFloor) {
  plat::FakeClock clock;
  plat::SetClock(&clock);
  TkForm f("t", 10, 10);
  int fast = 0, slow = 0;
  int t1 = f.AddTimer(1, [&] { ++fast; });
  int t2 = f.AddTimer(2000, [&] { ++slow; });
  EXPECT_EQ(f.RunDueTimers(), 0);  // nothing enabled
  f.SetTimerEnabled(t1, true);
  f.SetTimerEnabled(t2, true);
  clock.AdvanceMs(TkForm::kMinTimerMs - 1);
  f.RunDueTimers();
  EXPECT_EQ(fast, 0);
  EXPECT_EQ(f.MsToNextTimer(), 1u);
  clock.AdvanceMs(1);
  f.RunDueTimers();
  EXPECT_EQ(fast, 1);
  clock.AdvanceMs(5000);  // a long stall fires each timer once
  f.RunDueTimers();
  EXPECT_EQ(fast, 2);
  EXPECT_EQ(slow, 1);
  // Re-enabling starts the interval anew.
  clock.AdvanceMs(1500);
  f.SetTimerEnabled(t2, true);
  clock.AdvanceMs(1500);
  f.RunDueTimers();
  EXPECT_EQ(slow, 1);
  plat::SetClock(nullptr);
}

TEST(ConfigKeyNames, NamedRangesAndUnnamedCodes) {
  struct Case {
    uint16_t code;
    const char* eng;
  } cases[] = {{2, "Key : 1"},        {11, "Key : 0"},         {14, "Key : Back Space"},
               {28, "Key : Enter"},   {43, "Key : \\"},        {57, "Key : Space"},
               {58, "Key : Caps Lock"}, {83, "Key : . (Numpad)"}, {125, "Key : \\"},
               {147, "Key : _"},      {156, "Key : Enter (Numpad)"}, {184, "Key : Alt (Right)"},
               {200, "Key : Up"},     {208, "Key : Down"},     {211, "Key : Delete"},
               {179, "Key : , (Numpad)"}, {181, "Key : / (Numpad)"}, {183, "Key : Sys Rq"},
               {197, "Key : Pause"},  {199, "Key : Home"},     {201, "Key : Page Up"},
               {207, "Key : End"},    {209, "Key : Page Down"}, {210, "Key : Insert"}};
  for (const Case& c : cases) {
    uint16_t code = c.code;
    EXPECT_EQ(tumbotcfg::KeyName(code, false, true), c.eng) << c.code;
    EXPECT_EQ(code, c.code);
  }
  uint16_t up = 200;
  EXPECT_EQ(tumbotcfg::KeyName(up, false, false), "Key : \x81\xAA");  // Key : ↑
  for (uint16_t unnamed : {0, 1, 59, 84, 180, 198, 255, 256, 0xFFFF}) {
    uint16_t code = unnamed;
    EXPECT_EQ(tumbotcfg::KeyName(code, true, true), "Needless to me!") << unnamed;
    EXPECT_EQ(code, 0);
    code = unnamed;
    EXPECT_EQ(tumbotcfg::KeyName(code, false, true), "other key please");
    code = unnamed;
    EXPECT_EQ(tumbotcfg::KeyName(code, false, false), "\x8Eg\x97p\x95s\x89\xC2");  // 使用不可
  }
}

}  // namespace
