// The SDL host: its key numbering, which the form's key handler depends on,
// and its window start-up on the dummy video driver.
#include <SDL.h>
#include <gtest/gtest.h>

#include <vector>

#include "platform/SdlHost.h"

namespace {

TEST(SdlHostKeys, GameKeysMapToTheirVirtualKeyNumbers) {
  using plat::SdlHost;
  EXPECT_EQ(SdlHost::VirtualKeyOf(SDLK_ESCAPE), 27);
  EXPECT_EQ(SdlHost::VirtualKeyOf(SDLK_F1), 112);
  EXPECT_EQ(SdlHost::VirtualKeyOf(SDLK_F11), 122);
  EXPECT_EQ(SdlHost::VirtualKeyOf(SDLK_0), 48);
  EXPECT_EQ(SdlHost::VirtualKeyOf(SDLK_9), 57);
  EXPECT_EQ(SdlHost::VirtualKeyOf(SDLK_a), 'A');
  EXPECT_EQ(SdlHost::VirtualKeyOf(SDLK_KP_0), 0) << "only the main row gives digits";
  EXPECT_EQ(SdlHost::VirtualKeyOf(SDLK_CAPSLOCK), 0);
}

}  // namespace

namespace {

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
}

}  // namespace
