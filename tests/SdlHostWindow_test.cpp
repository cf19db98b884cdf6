// The SDL host's window seam on SDL's dummy video driver: the window and its
// renderer at start-up, frames and canvas drawing shown in it, the window's
// position, and the move and maximise events the display component answers.
#include <SDL.h>
#include <gtest/gtest.h>

#include <vector>

#include "platform/SdlHost.h"

namespace plat::detail {
SDL_Window* MessageBoxParent();
}

namespace {

void Push(uint8_t event, int32_t x = 0, int32_t y = 0) {
  SDL_Event e{};
  e.type = SDL_WINDOWEVENT;
  e.window.event = event;
  e.window.data1 = x;
  e.window.data2 = y;
  SDL_PushEvent(&e);
}

TEST(SdlHostWindow, PositionAndWindowEventsReachTheGame) {
  SDL_setenv("SDL_VIDEODRIVER", "dummy", 1);
  plat::SdlHost host;
  int x = -1, y = -1;
  EXPECT_FALSE(host.WindowPos(x, y));  // no window yet
  EXPECT_FALSE(host.Active());
  host.RestoreAndRaise();
  ASSERT_TRUE(host.CreateWindow("window", 64, 32));
  host.SetWindowPos(40, 30);
  ASSERT_TRUE(host.WindowPos(x, y));
  EXPECT_EQ(x, 40);
  EXPECT_EQ(y, 30);

  host.ProcessMessages();  // whatever the driver itself reported
  std::vector<plat::WindowEvent> got;
  host.OnWindowEvent = [&](const plat::WindowEvent& e) { got.push_back(e); };
  Push(SDL_WINDOWEVENT_MOVED, 7, 9);
  Push(SDL_WINDOWEVENT_MAXIMIZED);
  Push(SDL_WINDOWEVENT_SHOWN);  // not one the game answers
  host.ProcessMessages();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].kind, plat::WindowEvent::Kind::Moved);
  EXPECT_EQ(got[0].x, 7);
  EXPECT_EQ(got[0].y, 9);
  EXPECT_EQ(got[1].kind, plat::WindowEvent::Kind::Maximized);
}

// The game's window as the window system sees it: found by its title.
SDL_Window* WindowTitled(const char* title) {
  for (Uint32 id = 1; id < 256; ++id) {
    SDL_Window* w = SDL_GetWindowFromID(id);
    if (w && SDL_strcmp(SDL_GetWindowTitle(w), title) == 0) return w;
  }
  return nullptr;
}

// Start-up on SDL's dummy video driver: the window opens at the client size
// with a renderer, a presented frame reaches it and the canvas draws over it.
TEST(SdlHostWindow, OpensTheWindowAndItsRendererAndShowsFrames) {
  SDL_setenv("SDL_VIDEODRIVER", "dummy", 1);
  plat::SdlHost host;
  ASSERT_TRUE(host.CreateWindow("tumbo2.0t", 64, 32));
  SDL_Window* w = WindowTitled("tumbo2.0t");
  ASSERT_NE(w, nullptr);
  int cw = 0, ch = 0;
  SDL_GetWindowSize(w, &cw, &ch);
  EXPECT_EQ(cw, 64);
  EXPECT_EQ(ch, 32);
  SDL_Renderer* r = SDL_GetRenderer(w);
  ASSERT_NE(r, nullptr);

  std::vector<uint32_t> frame(32 * 16, 0x00C03010);  // half the client size: scaled up
  host.Present(plat::FrameView{frame.data(), 32, 16, 32});
  host.DrawOverFrame({{2, 2, 4, 4, 0xFFFFFF, "", "", 0, 0}});
  std::vector<uint32_t> shown(64 * 32);
  ASSERT_EQ(SDL_RenderReadPixels(r, nullptr, SDL_PIXELFORMAT_RGB888, shown.data(), 64 * 4), 0);
  EXPECT_EQ(shown[20 * 64 + 40] & 0xFFFFFF, 0xC03010u) << "the frame fills the client area";
  EXPECT_EQ(shown[3 * 64 + 3] & 0xFFFFFF, 0xFFFFFFu) << "the canvas box over it";
  EXPECT_EQ(shown[3 * 64 + 7] & 0xFFFFFF, 0xC03010u);
  // Frames without pixels, area or a whole row are not shown.
  const std::vector<uint32_t> other(32 * 16, 0x102030);
  using plat::FrameView;
  for (const FrameView& f : {FrameView{nullptr, 32, 16, 32}, FrameView{other.data(), 0, 16, 32},
                             FrameView{other.data(), 32, 0, 32}, FrameView{other.data(), 32, 16, 31}})
    host.Present(f);
  ASSERT_EQ(SDL_RenderReadPixels(r, nullptr, SDL_PIXELFORMAT_RGB888, shown.data(), 64 * 4), 0);
  EXPECT_EQ(shown[20 * 64 + 40] & 0xFFFFFF, 0xC03010u);
  // A frame of another size takes a texture of its own.
  host.Present(plat::FrameView{other.data(), 16, 8, 32});
  ASSERT_EQ(SDL_RenderReadPixels(r, nullptr, SDL_PIXELFORMAT_RGB888, shown.data(), 64 * 4), 0);
  EXPECT_EQ(shown[20 * 64 + 40] & 0xFFFFFF, 0x102030u);
  EXPECT_EQ(shown[3 * 64 + 3] & 0xFFFFFF, 0x102030u) << "a new frame covers the canvas";
}

}  // namespace

namespace {

void PushKey(SDL_Keycode sym, uint16_t mod = KMOD_NONE) {
  SDL_Event e{};
  e.type = SDL_KEYDOWN;
  e.key.keysym.sym = sym;
  e.key.keysym.mod = mod;
  SDL_PushEvent(&e);
}

void PushType(uint32_t type) {
  SDL_Event e{};
  e.type = type;
  SDL_PushEvent(&e);
}

// Keys, paints and close requests reach the game's handlers; without a close
// handler a close request ends the loop. The window keeps its caption and
// client size, and message boxes sit over it while it lives.
TEST(SdlHostWindow, MessagesReachTheHandlersAndTheWindowFollowsTheGame) {
  SDL_setenv("SDL_VIDEODRIVER", "dummy", 1);
  {
    plat::SdlHost host;
    ASSERT_TRUE(host.CreateWindow("first", 64, 32));
    SDL_Window* w = plat::detail::MessageBoxParent();
    ASSERT_NE(w, nullptr);
    EXPECT_STREQ(SDL_GetWindowTitle(w), "first");
    // Asked again, the open window takes the new caption and size.
    ASSERT_TRUE(host.CreateWindow("\x83\x51\x81\x5B\x83\x80", 80, 48));  // ゲーム
    EXPECT_EQ(plat::detail::MessageBoxParent(), w);
    EXPECT_STREQ(SDL_GetWindowTitle(w), "\xE3\x82\xB2\xE3\x83\xBC\xE3\x83\xA0");
    EXPECT_EQ(host.Caption(), "\x83\x51\x81\x5B\x83\x80");
    int cw = 0, ch = 0;
    SDL_GetWindowSize(w, &cw, &ch);
    EXPECT_EQ(cw, 80);
    EXPECT_EQ(ch, 48);
    host.SetCaption("next");
    EXPECT_STREQ(SDL_GetWindowTitle(w), "next");
    host.SetClientSize(96, 40);
    SDL_GetWindowSize(w, &cw, &ch);
    EXPECT_EQ(cw, 96);
    EXPECT_EQ(ch, 40);
    // Full screen keeps the client size asked for meanwhile for the window.
    host.SetFullScreen(true);
    EXPECT_NE(SDL_GetWindowFlags(w) & SDL_WINDOW_FULLSCREEN_DESKTOP, 0u);
    host.SetClientSize(50, 30);
    host.SetFullScreen(false);
    EXPECT_EQ(SDL_GetWindowFlags(w) & SDL_WINDOW_FULLSCREEN_DESKTOP, 0u);
    SDL_GetWindowSize(w, &cw, &ch);
    EXPECT_EQ(cw, 50);
    EXPECT_EQ(ch, 30);
    host.ShowCursor(false);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    host.ShowCursor(true);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);

    host.ProcessMessages();
    std::vector<std::string> got;
    host.OnKeyDown = [&](const plat::KeyEvent& k) {
      got.push_back("key " + std::to_string(k.vk) + (k.shift ? " shift" : ""));
    };
    host.OnPaint = [&] { got.push_back("paint"); };
    host.OnClose = [&] { got.push_back("close"); };
    int pumps = 0;
    host.OnPump = [&] { ++pumps; };
    PushKey(SDLK_a, KMOD_LSHIFT);
    PushKey(SDLK_CAPSLOCK);  // no game key: not passed on
    PushKey(SDLK_ESCAPE);
    Push(SDL_WINDOWEVENT_EXPOSED);
    PushType(SDL_RENDER_TARGETS_RESET);
    PushType(SDL_RENDER_DEVICE_RESET);
    Push(SDL_WINDOWEVENT_CLOSE);
    PushType(SDL_QUIT);
    host.ProcessMessages();
    EXPECT_EQ(pumps, 1);
    EXPECT_EQ(got, (std::vector<std::string>{"key 65 shift", "key 27", "paint", "paint", "paint",
                                             "close", "close"}));
    EXPECT_FALSE(host.Terminated()) << "the close handler decides";
    host.OnClose = nullptr;
    Push(SDL_WINDOWEVENT_CLOSE);
    host.WaitMessages(1000);
    EXPECT_TRUE(host.Terminated());
  }
  EXPECT_EQ(plat::detail::MessageBoxParent(), nullptr) << "no box over a closed window";

  // The loop: an idle handler that is not done is called again at once, a
  // delay asked for is waited out, and a quit request ends the loop before
  // the next idle call.
  plat::SdlHost host;
  ASSERT_TRUE(host.CreateWindow("loop", 32, 16));
  int calls = 0;
  host.SetIdle([&](bool& done) {
    ++calls;
    done = calls > 1;
    if (calls == 2) host.DelayIdle(5);
    if (calls == 3) PushType(SDL_QUIT);
  });
  host.Run();
  EXPECT_EQ(calls, 3);
  EXPECT_TRUE(host.Terminated());
}

}  // namespace
