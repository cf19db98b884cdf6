// The SDL host's key numbering, which the form's key handler depends on.
#include <SDL.h>
#include <gtest/gtest.h>

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
