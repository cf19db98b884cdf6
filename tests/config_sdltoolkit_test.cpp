// The SDL toolkit shows the configuration window and runs its timers until
// terminated, under SDL's display-less video driver, in both languages.
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

INSTANTIATE_TEST_SUITE_P(Languages, ConfigSdlToolkit, ::testing::Values(true, false));

}  // namespace
