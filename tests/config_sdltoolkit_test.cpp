// The SDL toolkit shows the configuration window and runs its timers until
// terminated, under SDL's display-less video driver, in both languages.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "config_kit.h"
#include "platform/SdlToolkit.h"

namespace plat::detail {
SDL_Window* MessageBoxParent();
}

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

// What the window shows: a button's caption centred on it, the button
// pressed while the mouse holds it down over it and its focus frame once
// clicked, the check mark of a checked box only, the dot of the chosen radio
// item only, and a caption the form changes. Closing the window (or the
// system asking the program to quit) ends the loop without a Terminate call.
TEST(SdlToolkitWindow, DrawsTheControlsAndEndsWhenTheWindowCloses) {
  for (const bool viaQuit : {true, false}) {
    plat::SdlToolkit app;
    EXPECT_FALSE(app.AskOkCancel("Save?", "tumbotcfg")) << "no display: cancelled";
    plat::TkForm form("form", 200, 100);
    auto control = [](plat::TkKind kind, plat::TkRect bounds) {
      plat::TkControl c;
      c.kind = kind;
      c.bounds = bounds;
      return c;
    };
    plat::TkControl wide = control(plat::TkKind::kButton, {10, 10, 120, 30});
    wide.text = "Wide text";
    const int button = form.Add(wide);
    plat::TkControl box = control(plat::TkKind::kCheckBox, {10, 50, 100, 20});
    box.checked = true;
    const int checked = form.Add(box);
    box.bounds.y = 75;
    box.checked = false;
    const int unchecked = form.Add(box);
    plat::TkControl radio = control(plat::TkKind::kRadioGroup, {130, 40, 60, 55});
    radio.items = {"a", "b"};
    radio.itemIndex = 1;
    const int group = form.Add(radio);
    const plat::TkRect b = form[button].bounds;
    std::vector<uint32_t> down(200 * 100), up(200 * 100), focused(200 * 100);
    std::string title;
    auto read = [](std::vector<uint32_t>& into) {
      SDL_Renderer* r = SDL_GetRenderer(plat::detail::MessageBoxParent());
      ASSERT_NE(r, nullptr);
      ASSERT_EQ(SDL_RenderReadPixels(r, nullptr, SDL_PIXELFORMAT_RGB888, into.data(), 200 * 4), 0);
    };
    auto push = [](uint32_t type, int x, int y) {
      SDL_Event e{};
      e.type = type;
      e.button.button = SDL_BUTTON_LEFT;
      e.button.x = x;
      e.button.y = y;
      if (type == SDL_MOUSEMOTION) e.motion.x = x, e.motion.y = y;
      if (type == SDL_WINDOWEVENT) e.window.event = SDL_WINDOWEVENT_CLOSE;
      SDL_PushEvent(&e);
    };
    // An event pushed on one tick is dispatched and drawn by the loop's next
    // pass at the latest, so each step reads the window two ticks later: a
    // slow machine may fire the very next tick before that pass draws.
    int ticks = 0;
    const int t = form.AddTimer(20, [&] {
      switch (++ticks) {
        case 1:
          push(SDL_MOUSEBUTTONDOWN, b.x + 60, b.y + 15);
          form.caption = "renamed";
          break;
        case 3:
          read(down);
          title = SDL_GetWindowTitle(plat::detail::MessageBoxParent());
          push(SDL_MOUSEMOTION, 1, 1);  // still held, but away from the button
          break;
        case 5:
          read(up);
          push(SDL_MOUSEBUTTONUP, b.x + 60, b.y + 15);  // back over it: a click
          break;
        case 7:
          read(focused);
          push(viaQuit ? SDL_QUIT : SDL_WINDOWEVENT, 0, 0);
          break;
        case 20:
          app.Terminate();  // the close was not seen
          break;
      }
    });
    form.SetTimerEnabled(t, true);
    ASSERT_TRUE(app.Run(form));
    EXPECT_LE(ticks, 8) << viaQuit;
    EXPECT_FALSE(app.Terminated());
    EXPECT_EQ(form.Focused(), button);
    if (!viaQuit) continue;

    EXPECT_EQ(title, "renamed");
    auto px = [](const std::vector<uint32_t>& shown, int x, int y) {
      return shown[size_t(y * 200 + x)] & 0xFFFFFF;
    };
    EXPECT_EQ(px(down, b.x, b.y), 0x404040u) << "pressed: dark all round";
    EXPECT_EQ(px(up, b.x, b.y), 0xFFFFFFu) << "raised: light top left";
    EXPECT_EQ(px(up, b.x + 4, b.y + 4), 0xD4D0C8u);
    EXPECT_EQ(px(focused, b.x + 4, b.y + 4), 0x808080u) << "the focus frame";
    auto markAt = [&](int id) {
      const plat::TkRect c = form[id].bounds;
      return px(up, c.x + 5, c.y + (c.h - 13) / 2 + 8);
    };
    EXPECT_EQ(markAt(checked), 0x000000u);
    EXPECT_EQ(markAt(unchecked), 0xFFFFFFu);
    auto dotAt = [&](int item) {
      const plat::TkRect ir = form.ItemRect(group, item);
      return px(up, ir.x + 6, ir.y + (ir.h - 13) / 2 + 6);
    };
    EXPECT_EQ(dotAt(0), 0xFFFFFFu);
    EXPECT_EQ(dotAt(1), 0x000000u);
    if (!std::filesystem::exists("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf")) continue;
    int left = b.x + b.w, right = -1;
    for (int y = b.y + 5; y < b.y + b.h - 5; ++y)
      for (int x = b.x + 5; x < b.x + b.w - 5; ++x)
        if (px(up, x, y) == 0) left = std::min(left, x), right = std::max(right, x);
    ASSERT_GE(right, left) << "the caption is drawn";
    EXPECT_GT(right - left, 30);
    EXPECT_NEAR(left - b.x, b.x + b.w - 1 - right, 3) << "and centred";
  }
}

}  // namespace
