// The SDL toolkit shows the configuration window and runs its timers until
// terminated, under SDL's display-less video driver, in both languages.
#include <SDL.h>
#include <gtest/gtest.h>

#include "config_kit.h"
#include "platform/SdlToolkit.h"

namespace {

class ConfigSdlToolkit : public cfgtest::ProgramFolderTest,
                         public ::testing::WithParamInterface<bool> {};

TEST_P(ConfigSdlToolkit, ShowsTheWholeFormAndStopsWhenTerminated) {
  const bool eng = GetParam();
  clock.ReadStepMs = 1;  // every clock read moves time on, so timers come due
  MakeData();
  ASSERT_TRUE(SaveCfgIni(tumbotcfg::TForm1::CfgPath(), CfgIniDefaults()));
  plat::SdlToolkit app;
  cfgtest::ScriptedDevices devices;
  devices.pads = 1;
  tumbotcfg::TForm1 form(app, &devices, eng);
  form.FormCreate();
  plat::TkForm& w = form.Form();
  w.Click(form.Edit[6]);  // a focused field and a status caption are drawn too
  form.SetStatus(eng ? "Save OK!" : "\x90\xDD\x92\xE8");  // 設定
  int ticks = 0;
  int stop = w.AddTimer(20, [&] {
    if (++ticks == 3) app.Terminate();
  });
  w.SetTimerEnabled(stop, true);
  if (!app.Run(w)) GTEST_SKIP() << "no video driver available";
  EXPECT_EQ(ticks, 3);
  EXPECT_TRUE(app.Terminated());
}

// A left click as the window system delivers it.
void PushClick(int x, int y, bool release = true) {
  SDL_Event e{};
  e.type = SDL_MOUSEBUTTONDOWN;
  e.button.button = SDL_BUTTON_LEFT;
  e.button.state = SDL_PRESSED;
  e.button.x = x;
  e.button.y = y;
  SDL_PushEvent(&e);
  if (!release) return;
  e.type = SDL_MOUSEBUTTONUP;
  e.button.state = SDL_RELEASED;
  SDL_PushEvent(&e);
}

TEST_P(ConfigSdlToolkit, MouseClicksReachTheControlsUnderThem) {
  clock.ReadStepMs = 1;
  MakeData();
  ASSERT_TRUE(SaveCfgIni(tumbotcfg::TForm1::CfgPath(), CfgIniDefaults()));
  plat::SdlToolkit app;
  cfgtest::ScriptedDevices devices;
  tumbotcfg::TForm1 form(app, &devices, GetParam());
  form.FormCreate();
  plat::TkForm& w = form.Form();
  const plat::TkRect box = w[form.CheckBox1].bounds;
  const plat::TkRect small = w.ItemRect(form.RadioGroup2, 1);
  const plat::TkRect up = w[form.Edit[6]].bounds;
  int ticks = 0;
  int driver = w.AddTimer(20, [&] {
    switch (++ticks) {
      case 1:
        PushClick(box.x + 6, box.y + box.h / 2);       // pads first: off
        PushClick(small.x + 30, small.y + small.h / 2);  // the small window
        PushClick(up.x + 10, up.y + 10, false);        // a field takes the focus on the way down
        break;
      case 2:
        app.Terminate();
        break;
    }
  });
  w.SetTimerEnabled(driver, true);
  if (!app.Run(w)) GTEST_SKIP() << "no video driver available";
  EXPECT_FALSE(w[form.CheckBox1].checked);
  EXPECT_EQ(form.cfg.Auto_f, 0);
  EXPECT_TRUE(w.IsUsable(form.RadioGroup1));
  EXPECT_EQ(form.cfg.WinSize, 1);
  EXPECT_EQ(w.Focused(), form.Edit[6]);
}

INSTANTIATE_TEST_SUITE_P(Languages, ConfigSdlToolkit, ::testing::Values(true, false));

}  // namespace
