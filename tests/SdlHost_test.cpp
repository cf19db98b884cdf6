// The SDL host's key numbering, which the form's key handler depends on.
#include <SDL.h>
#include <gtest/gtest.h>

#include <utility>

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
  EXPECT_EQ(SdlHost::VirtualKeyOf(SDLK_z), 'Z');
  EXPECT_EQ(SdlHost::VirtualKeyOf(SDLK_F12), 123);
  EXPECT_EQ(SdlHost::VirtualKeyOf(SDLK_F13), 0);
  const std::pair<SDL_Keycode, int> named[] = {
      {SDLK_RETURN, 13}, {SDLK_SPACE, 32}, {SDLK_TAB, 9},    {SDLK_BACKSPACE, 8},
      {SDLK_LEFT, 37},   {SDLK_UP, 38},    {SDLK_RIGHT, 39}, {SDLK_DOWN, 40},
      {SDLK_LSHIFT, 16}, {SDLK_RSHIFT, 16}, {SDLK_LCTRL, 17}, {SDLK_RCTRL, 17},
      {SDLK_LALT, 18},   {SDLK_RALT, 18},  {SDLK_DELETE, 0}, {SDLK_BACKQUOTE, 0}};
  for (auto [sym, vk] : named) EXPECT_EQ(SdlHost::VirtualKeyOf(sym), vk) << sym;
}

}  // namespace
