// The SDL host's window seam on SDL's dummy video driver: the window's
// position, and the move and maximise events the display component answers.
#include <SDL.h>
#include <gtest/gtest.h>

#include <vector>

#include "platform/SdlHost.h"

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

}  // namespace
