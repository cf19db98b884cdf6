// The SDL devices: the scan-code table, and a virtual pad (no hardware)
// plugged in, read through the input component and pulled out again.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>
#include <stdexcept>

#include "input/Ddidex.h"
#include "platform/InputDevices.h"
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
  const std::pair<int, SDL_Scancode> more[] = {
      {0x01, SDL_SCANCODE_ESCAPE}, {0x02, SDL_SCANCODE_1},      {0x0A, SDL_SCANCODE_9},
      {0x19, SDL_SCANCODE_P},      {0x26, SDL_SCANCODE_L},      {0x32, SDL_SCANCODE_M},
      {0x39, SDL_SCANCODE_SPACE},  {0x44, SDL_SCANCODE_F10},    {0x2A, SDL_SCANCODE_LSHIFT},
      {0x36, SDL_SCANCODE_RSHIFT}, {0x1D, SDL_SCANCODE_LCTRL},  {0x9D, SDL_SCANCODE_RCTRL},
      {0x38, SDL_SCANCODE_LALT},   {0xB8, SDL_SCANCODE_RALT},   {0x0E, SDL_SCANCODE_BACKSPACE},
      {0xCF, SDL_SCANCODE_END},    {0xD3, SDL_SCANCODE_DELETE}, {0x4E, SDL_SCANCODE_KP_PLUS}};
  for (auto [dik, sc] : more) EXPECT_EQ(SdlInputDevices::SdlScancodeOf(uint8_t(dik)), sc) << dik;
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

// Held keys read by their scan codes (SDL's own key table is set directly:
// without a display no key event reaches it).
TEST(SdlInputKeys, HeldKeysReadByTheirScanCodes) {
  SdlInputDevices devices;
  int count = 0;
  auto* state = const_cast<Uint8*>(SDL_GetKeyboardState(&count));
  ASSERT_GT(count, int(SDL_SCANCODE_UP));
  for (SDL_Scancode sc : {SDL_SCANCODE_UNKNOWN, SDL_SCANCODE_Z, SDL_SCANCODE_UP}) state[sc] = 1;
  plat::KeyboardReading keys;
  keys.fill(0x11);
  EXPECT_TRUE(devices.ReadKeyboard(keys));
  for (SDL_Scancode sc : {SDL_SCANCODE_UNKNOWN, SDL_SCANCODE_Z, SDL_SCANCODE_UP}) state[sc] = 0;
  for (int dik = 0; dik < 256; ++dik)
    EXPECT_EQ(keys[size_t(dik)], dik == 0x2C || dik == 0xC8 ? 0x80 : 0) << dik;
}

// A virtual game controller: present to SDL like a real one, driven from here.
class VirtualPad {
 public:
  // A game controller by default; a plain joystick with the given axes,
  // buttons and hats otherwise.
  explicit VirtualPad(const char* name, int axes = 0, int buttons = 0, int hats = 0) {
    SDL_InitSubSystem(SDL_INIT_JOYSTICK);
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    const bool plain = axes + buttons + hats > 0;
    desc.type = plain ? SDL_JOYSTICK_TYPE_ARCADE_STICK : SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = uint16_t(plain ? axes : SDL_CONTROLLER_AXIS_MAX);
    desc.nbuttons = uint16_t(plain ? buttons : SDL_CONTROLLER_BUTTON_MAX);
    desc.nhats = uint16_t(hats);
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
  void Hat(int hat, Uint8 v) {
    SDL_JoystickSetVirtualHat(joy_, hat, v);
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

// A plain joystick (no controller mapping) is read axis by axis, button by
// button, each of its first four hats a direction; the first hat also steers
// the stick. Pulled out, it is closed.
TEST(SdlInputPads, APlainJoystickReadsItsHatsAndIsClosedWhenPulledOut) {
  const Uint32 padSystems = SDL_INIT_GAMECONTROLLER | SDL_INIT_JOYSTICK;
  const Uint32 before = SDL_WasInit(padSystems);
  {
    SdlInputDevices once;
    ASSERT_EQ(once.Start(), 0);
    EXPECT_EQ(once.Start(), 0) << "started already";
  }
  EXPECT_EQ(SDL_WasInit(padSystems), before) << "shut down, the pad systems are quit";
  SdlInputDevices devices;
  ASSERT_EQ(devices.Start(), 0);
  VirtualPad stick("qorv test stick", 2, 12, 5);
  if (!stick.Ok()) GTEST_SKIP() << "no virtual joysticks: " << SDL_GetError();
  for (int i = 0; i < SDL_NumJoysticks(); ++i)
    if (SDL_JoystickGetDeviceInstanceID(i) == stick.Id() && SDL_IsGameController(i))
      GTEST_SKIP() << "the virtual stick has a controller mapping";
  const auto pads = devices.Pads();
  ASSERT_EQ(pads.size(), 1u);
  EXPECT_EQ(pads[0].name, "qorv test stick");
  EXPECT_EQ(pads[0].id, uint64_t(stick.Id()) + 1);
  stick.Axis(SDL_GameControllerAxis(0), 1000);
  stick.Axis(SDL_GameControllerAxis(1), -7);
  stick.Button(SDL_GameControllerButton(11), true);
  stick.Hat(0, SDL_HAT_LEFTUP);
  stick.Hat(1, SDL_HAT_RIGHT);
  stick.Hat(2, SDL_HAT_DOWN);
  stick.Hat(3, SDL_HAT_RIGHTDOWN);
  stick.Hat(4, SDL_HAT_LEFT);  // past the fourth: not read
  plat::PadReading r;
  ASSERT_TRUE(devices.ReadPad(pads[0].id, r));
  EXPECT_EQ(r.axes[0], -32768);
  EXPECT_EQ(r.axes[1], -32768);
  EXPECT_EQ(r.axes[2], 0);
  EXPECT_EQ(r.pov, (std::array<uint32_t, 4>{31500, 9000, 18000, 13500}));
  EXPECT_EQ(r.buttons[11], 0x80);
  EXPECT_EQ(r.buttons[0], 0);
  // Only the first hat moves the stick; centred, the stick reads its axes.
  stick.Hat(0, SDL_HAT_CENTERED);
  ASSERT_TRUE(devices.ReadPad(pads[0].id, r));
  EXPECT_EQ(r.axes[0], 1000);
  EXPECT_EQ(r.axes[1], -7);
  EXPECT_EQ(r.pov[0], plat::kPovCentred);
  EXPECT_FALSE(devices.ReadPad(0, r)) << "id 0 is no pad";
  EXPECT_FALSE(devices.ReadPad(pads[0].id + 1, r));

  const SDL_JoystickID id = stick.Id();
  const uint32_t listed = devices.PadListVersion();
  stick.Detach();
  SDL_JoystickUpdate();
  EXPECT_TRUE(devices.Pads().empty());
  EXPECT_NE(devices.PadListVersion(), listed);
  EXPECT_FALSE(devices.ReadPad(uint64_t(id) + 1, r));
  EXPECT_EQ(SDL_JoystickFromInstanceID(id), nullptr) << "closed, not left open";
}

// The mouse wheel counts 120 per notch, against the direction of a flipped
// wheel, and a read takes what turned since the last one.
TEST(SdlInputMouse, WheelNotchesAddUpUntilRead) {
  SdlInputDevices devices;
  ASSERT_EQ(devices.Start(), 0);
  auto wheel = [](int y, bool flipped) {
    SDL_Event e{};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.y = y;
    e.wheel.direction = flipped ? SDL_MOUSEWHEEL_FLIPPED : SDL_MOUSEWHEEL_NORMAL;
    SDL_PushEvent(&e);
  };
  wheel(2, false);
  wheel(1, true);
  SDL_Event motion{};
  motion.type = SDL_MOUSEMOTION;  // other events leave the wheel alone
  SDL_PushEvent(&motion);
  plat::MouseReading m;
  ASSERT_TRUE(devices.ReadMouse(m));
  EXPECT_EQ(m.dz, 120);
  ASSERT_TRUE(devices.ReadMouse(m));
  EXPECT_EQ(m.dz, 0);
  wheel(-3, false);
  ASSERT_TRUE(devices.ReadMouse(m));
  EXPECT_EQ(m.dz, -360);
  EXPECT_EQ(m.buttons[0], 0);

  // The cursor in the window (a warp moves it without any relative motion).
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
  SDL_Window* w = SDL_CreateWindow("mouse", 0, 0, 64, 64, 0);
  ASSERT_NE(w, nullptr);
  SDL_WarpMouseInWindow(w, 13, 27);
  ASSERT_TRUE(devices.ReadMouse(m));
  EXPECT_EQ(m.x, 13);
  EXPECT_EQ(m.y, 27);
  SDL_DestroyWindow(w);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

// The stand-ins: with nothing attached everything reads released and no pad
// reads; the scripted devices read what a test set, movement once.
TEST(InputStandIns, NothingAttachedAndScriptedDevices) {
  plat::NoInputDevices none;
  plat::KeyboardReading keys;
  keys.fill(0x80);
  plat::MouseReading mouse;
  mouse.dz = 120;
  plat::PadReading pad;
  pad.axes[0] = 5;
  EXPECT_TRUE(none.ReadKeyboard(keys) && none.ReadMouse(mouse));
  EXPECT_FALSE(none.ReadPad(1, pad));
  EXPECT_EQ(keys, plat::KeyboardReading{});
  EXPECT_EQ(mouse.dz + pad.axes[0], 0);

  plat::ScriptedInputDevices dev;
  plat::SetInputDevices(&dev);
  EXPECT_EQ(&plat::CurrentInputDevices(), &dev);
  plat::SetInputDevices(nullptr);
  EXPECT_NE(&plat::CurrentInputDevices(), &dev);
  dev.SetKey(0x2C, true);
  EXPECT_TRUE(dev.ReadKeyboard(keys));
  EXPECT_EQ(keys[0x2C], 0x80);
  dev.ReleaseAll();
  dev.ReadKeyboard(keys);
  EXPECT_EQ(keys[0x2C], 0);
  dev.Mouse.x = 7, dev.Mouse.dx = 3, dev.Mouse.dy = 4, dev.Mouse.dz = 120;
  EXPECT_TRUE(dev.ReadMouse(mouse) && mouse.dz == 120);
  EXPECT_TRUE(dev.ReadMouse(mouse));
  EXPECT_EQ(mouse.x, 7);
  EXPECT_EQ(mouse.dx + mouse.dy + mouse.dz, 0) << "movement counts once";
  dev.KeyboardReadable = dev.MouseReadable = false;
  EXPECT_FALSE(dev.ReadKeyboard(keys) || dev.ReadMouse(mouse));

  const uint64_t a = dev.Attach("a", true), b = dev.Attach("b");
  EXPECT_EQ(dev.PadListVersion(), 2u);
  EXPECT_TRUE(dev.Pads().at(0).forceFeedback);
  dev.SetButton(b, 31, true);
  dev.SetAxis(b, 7, -9);
  EXPECT_TRUE(dev.ReadPad(b, pad));
  EXPECT_EQ(pad.buttons[31] + pad.axes[7], 0x80 - 9);
  EXPECT_THROW(dev.SetButton(b, 32, true), std::out_of_range);
  dev.Remove(a);
  dev.Remove(a);  // gone already: the list is unchanged
  EXPECT_EQ(dev.PadListVersion(), 3u);
  EXPECT_FALSE(dev.ReadPad(a, pad));
  EXPECT_THROW(dev.Pad(a), std::out_of_range);
  ASSERT_EQ(dev.Pads().size(), 1u);
  EXPECT_EQ(dev.Pads()[0].id, b);
  EXPECT_EQ(dev.Pads()[0].name, "b");
  EXPECT_FALSE(dev.Pads()[0].forceFeedback);
  EXPECT_NE(dev.Attach("c"), a) << "ids are not used again";
}

}  // namespace
