// The SDL devices: the scan-code table, and a virtual pad (no hardware)
// plugged in, read through the input component and pulled out again.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "input/Ddidex.h"
#include "platform/SdlInput.h"

namespace {

using plat::SdlInputDevices;

TEST(SdlInputKeys, ScanCodesNameTheSamePhysicalKeys) {
  EXPECT_EQ(SdlInputDevices::SdlScancodeOf(0xC8), SDL_SCANCODE_UP);
  EXPECT_EQ(SdlInputDevices::SdlScancodeOf(0xD0), SDL_SCANCODE_DOWN);
  EXPECT_EQ(SdlInputDevices::SdlScancodeOf(0xCB), SDL_SCANCODE_LEFT);
  EXPECT_EQ(SdlInputDevices::SdlScancodeOf(0xCD), SDL_SCANCODE_RIGHT);
  EXPECT_EQ(SdlInputDevices::SdlScancodeOf(0x2C), SDL_SCANCODE_Z);
  EXPECT_EQ(SdlInputDevices::SdlScancodeOf(0x2D), SDL_SCANCODE_X);
  EXPECT_EQ(SdlInputDevices::SdlScancodeOf(0x2E), SDL_SCANCODE_C);
  EXPECT_EQ(SdlInputDevices::SdlScancodeOf(0x1C), SDL_SCANCODE_RETURN);
  EXPECT_EQ(SdlInputDevices::SdlScancodeOf(0x10), SDL_SCANCODE_Q);
  EXPECT_EQ(SdlInputDevices::SdlScancodeOf(0x1E), SDL_SCANCODE_A);
  EXPECT_EQ(SdlInputDevices::SdlScancodeOf(0x0B), SDL_SCANCODE_0);
  EXPECT_EQ(SdlInputDevices::SdlScancodeOf(0x3B), SDL_SCANCODE_F1);
  EXPECT_EQ(SdlInputDevices::SdlScancodeOf(0x57), SDL_SCANCODE_F11);
  EXPECT_EQ(SdlInputDevices::SdlScancodeOf(0x58), SDL_SCANCODE_F12);
  EXPECT_EQ(SdlInputDevices::SdlScancodeOf(0x9C), SDL_SCANCODE_KP_ENTER);
  // The Japanese keyboard's own keys: kana, convert, no convert, yen.
  EXPECT_EQ(SdlInputDevices::SdlScancodeOf(0x70), SDL_SCANCODE_INTERNATIONAL2);
  EXPECT_EQ(SdlInputDevices::SdlScancodeOf(0x79), SDL_SCANCODE_INTERNATIONAL4);
  EXPECT_EQ(SdlInputDevices::SdlScancodeOf(0x7B), SDL_SCANCODE_INTERNATIONAL5);
  EXPECT_EQ(SdlInputDevices::SdlScancodeOf(0x7D), SDL_SCANCODE_INTERNATIONAL3);
  EXPECT_EQ(SdlInputDevices::SdlScancodeOf(0x00), 0);
  // Every key the configuration program can name has a key, and no two
  // codes share one.
  std::set<int> seen;
  const int named[] = {2, 11, 12, 15, 16, 25, 26, 29, 30, 38, 39, 43, 44, 50, 51, 58, 69, 70,
                       71, 83, 125, 156, 157, 179, 181, 183, 184, 197, 199, 200, 201, 203,
                       205, 207, 208, 209, 210, 211};
  for (int code : named) EXPECT_NE(SdlInputDevices::SdlScancodeOf(uint8_t(code)), 0) << code;
  for (int code = 1; code < 256; ++code) {
    const int sc = SdlInputDevices::SdlScancodeOf(uint8_t(code));
    if (sc == 0) continue;
    EXPECT_TRUE(seen.insert(sc).second) << code;
  }
}

// A virtual game controller: present to SDL like a real one, driven from here.
class VirtualPad {
 public:
  explicit VirtualPad(const char* name) {
    SDL_InitSubSystem(SDL_INIT_JOYSTICK);
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.name = name;
    index_ = SDL_JoystickAttachVirtualEx(&desc);
    if (index_ >= 0) joy_ = SDL_JoystickOpen(index_);
  }
  ~VirtualPad() {
    Detach();
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
  }
  bool Ok() const { return joy_ != nullptr; }
  SDL_JoystickID Id() const { return joy_ ? SDL_JoystickInstanceID(joy_) : -1; }
  void Detach() {
    if (!joy_) return;
    const SDL_JoystickID id = SDL_JoystickInstanceID(joy_);
    SDL_JoystickClose(joy_);
    joy_ = nullptr;
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
      if (SDL_JoystickGetDeviceInstanceID(i) == id) SDL_JoystickDetachVirtual(i);
  }
  void Button(SDL_GameControllerButton b, bool down) {
    SDL_JoystickSetVirtualButton(joy_, b, down ? 1 : 0);
    SDL_JoystickUpdate();
  }
  void Axis(SDL_GameControllerAxis a, int16_t v) {
    SDL_JoystickSetVirtualAxis(joy_, a, v);
    SDL_JoystickUpdate();
  }

 private:
  int index_ = -1;
  SDL_Joystick* joy_ = nullptr;
};

int SlotOf(TDDIDEX& dev, const std::string& name) {
  const auto& names = dev.JoyStickNames();
  auto it = std::find(names.begin(), names.end(), name);
  return it == names.end() ? -1 : int(it - names.begin());
}

TEST(SdlInputPads, AVirtualPadIsReadAndMayBePulledOut) {
  SdlInputDevices devices;
  TDDIDEX dev{&devices};
  dev.SetDebugOption(0);
  dev.DeadZone = 50;
  VirtualPad pad("qorv test pad");
  if (!pad.Ok()) GTEST_SKIP() << "no virtual joysticks: " << SDL_GetError();
  dev.Initialize();
  const int slot = SlotOf(dev, "qorv test pad");
  ASSERT_GE(slot, 0);
  const uint32_t listed = devices.PadListVersion();
  EXPECT_EQ(devices.PadListVersion(), listed);  // nothing plugged or pulled: the same list
  pad.Button(SDL_CONTROLLER_BUTTON_B, true);
  pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, -30000);
  ASSERT_TRUE(dev.Scan(DI_JOY1 + slot));
  EXPECT_TRUE(dev.getButtons(1));
  EXPECT_FALSE(dev.getButtons(0));
  EXPECT_EQ(dev.getStick().X, -1);
  EXPECT_EQ(dev.getStick().Y, 0);
  // The d-pad steers like the stick.
  pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, 0);
  pad.Button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
  dev.Scan(DI_JOY1 + slot);
  EXPECT_EQ(dev.getStick().X, 0);
  EXPECT_EQ(dev.getStick().Y, 1);
  EXPECT_EQ(dev.JoyState().rgdwPOV[0], 18000u);
  // Pulled out: the slot reads as released, and the pad is closed (SDL
  // keeps an open pad's handle until it is closed); nothing else changes.
  const SDL_JoystickID id = pad.Id();
  ASSERT_NE(SDL_GameControllerFromInstanceID(id), nullptr);
  pad.Detach();
  SDL_JoystickUpdate();
  EXPECT_FALSE(dev.Scan(DI_JOY1 + slot));
  EXPECT_FALSE(dev.getButtons(1));
  EXPECT_FALSE(dev.JoyStickAttached(slot));
  EXPECT_EQ(SDL_GameControllerFromInstanceID(id), nullptr);
  EXPECT_EQ(SDL_JoystickFromInstanceID(id), nullptr);
  // Plugged in again, it takes its old slot.
  VirtualPad again("qorv test pad");
  ASSERT_TRUE(again.Ok());
  again.Button(SDL_CONTROLLER_BUTTON_A, true);
  EXPECT_TRUE(dev.Scan(DI_JOY1 + slot));
  EXPECT_TRUE(dev.getButtons(0));
}

}  // namespace
