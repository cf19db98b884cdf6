#include "platform/SdlInput.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <cstdio>

namespace plat {

namespace {

// DirectInput scan codes (set-1 codes, extended keys at 0x80 + code) to SDL
// scan codes, which name the same physical keys.
constexpr std::array<uint16_t, 256> MakeDikTable() {
  std::array<uint16_t, 256> t{};
  t[0x01] = SDL_SCANCODE_ESCAPE;
  for (int i = 0; i < 9; ++i) t[0x02 + i] = uint16_t(SDL_SCANCODE_1 + i);
  t[0x0B] = SDL_SCANCODE_0;
  t[0x0C] = SDL_SCANCODE_MINUS;
  t[0x0D] = SDL_SCANCODE_EQUALS;
  t[0x0E] = SDL_SCANCODE_BACKSPACE;
  t[0x0F] = SDL_SCANCODE_TAB;
  const SDL_Scancode row1[10] = {SDL_SCANCODE_Q, SDL_SCANCODE_W, SDL_SCANCODE_E, SDL_SCANCODE_R,
                                 SDL_SCANCODE_T, SDL_SCANCODE_Y, SDL_SCANCODE_U, SDL_SCANCODE_I,
                                 SDL_SCANCODE_O, SDL_SCANCODE_P};
  for (int i = 0; i < 10; ++i) t[0x10 + i] = uint16_t(row1[i]);
  t[0x1A] = SDL_SCANCODE_LEFTBRACKET;
  t[0x1B] = SDL_SCANCODE_RIGHTBRACKET;
  t[0x1C] = SDL_SCANCODE_RETURN;
  t[0x1D] = SDL_SCANCODE_LCTRL;
  const SDL_Scancode row2[9] = {SDL_SCANCODE_A, SDL_SCANCODE_S, SDL_SCANCODE_D,
                                SDL_SCANCODE_F, SDL_SCANCODE_G, SDL_SCANCODE_H,
                                SDL_SCANCODE_J, SDL_SCANCODE_K, SDL_SCANCODE_L};
  for (int i = 0; i < 9; ++i) t[0x1E + i] = uint16_t(row2[i]);
  t[0x27] = SDL_SCANCODE_SEMICOLON;
  t[0x28] = SDL_SCANCODE_APOSTROPHE;
  t[0x29] = SDL_SCANCODE_GRAVE;
  t[0x2A] = SDL_SCANCODE_LSHIFT;
  t[0x2B] = SDL_SCANCODE_BACKSLASH;
  const SDL_Scancode row3[7] = {SDL_SCANCODE_Z, SDL_SCANCODE_X, SDL_SCANCODE_C, SDL_SCANCODE_V,
                                SDL_SCANCODE_B, SDL_SCANCODE_N, SDL_SCANCODE_M};
  for (int i = 0; i < 7; ++i) t[0x2C + i] = uint16_t(row3[i]);
  t[0x33] = SDL_SCANCODE_COMMA;
  t[0x34] = SDL_SCANCODE_PERIOD;
  t[0x35] = SDL_SCANCODE_SLASH;
  t[0x36] = SDL_SCANCODE_RSHIFT;
  t[0x37] = SDL_SCANCODE_KP_MULTIPLY;
  t[0x38] = SDL_SCANCODE_LALT;
  t[0x39] = SDL_SCANCODE_SPACE;
  t[0x3A] = SDL_SCANCODE_CAPSLOCK;
  for (int i = 0; i < 10; ++i) t[0x3B + i] = uint16_t(SDL_SCANCODE_F1 + i);
  t[0x45] = SDL_SCANCODE_NUMLOCKCLEAR;
  t[0x46] = SDL_SCANCODE_SCROLLLOCK;
  t[0x47] = SDL_SCANCODE_KP_7;
  t[0x48] = SDL_SCANCODE_KP_8;
  t[0x49] = SDL_SCANCODE_KP_9;
  t[0x4A] = SDL_SCANCODE_KP_MINUS;
  t[0x4B] = SDL_SCANCODE_KP_4;
  t[0x4C] = SDL_SCANCODE_KP_5;
  t[0x4D] = SDL_SCANCODE_KP_6;
  t[0x4E] = SDL_SCANCODE_KP_PLUS;
  t[0x4F] = SDL_SCANCODE_KP_1;
  t[0x50] = SDL_SCANCODE_KP_2;
  t[0x51] = SDL_SCANCODE_KP_3;
  t[0x52] = SDL_SCANCODE_KP_0;
  t[0x53] = SDL_SCANCODE_KP_PERIOD;
  t[0x56] = SDL_SCANCODE_NONUSBACKSLASH;
  t[0x57] = SDL_SCANCODE_F11;
  t[0x58] = SDL_SCANCODE_F12;
  t[0x70] = SDL_SCANCODE_INTERNATIONAL2;  // kana
  t[0x73] = SDL_SCANCODE_INTERNATIONAL1;  // backslash / underscore
  t[0x79] = SDL_SCANCODE_INTERNATIONAL4;  // convert
  t[0x7B] = SDL_SCANCODE_INTERNATIONAL5;  // no convert
  t[0x7D] = SDL_SCANCODE_INTERNATIONAL3;  // yen
  t[0x9C] = SDL_SCANCODE_KP_ENTER;
  t[0x9D] = SDL_SCANCODE_RCTRL;
  t[0xB3] = SDL_SCANCODE_KP_COMMA;
  t[0xB5] = SDL_SCANCODE_KP_DIVIDE;
  t[0xB7] = SDL_SCANCODE_PRINTSCREEN;
  t[0xB8] = SDL_SCANCODE_RALT;
  t[0xC5] = SDL_SCANCODE_PAUSE;
  t[0xC7] = SDL_SCANCODE_HOME;
  t[0xC8] = SDL_SCANCODE_UP;
  t[0xC9] = SDL_SCANCODE_PAGEUP;
  t[0xCB] = SDL_SCANCODE_LEFT;
  t[0xCD] = SDL_SCANCODE_RIGHT;
  t[0xCF] = SDL_SCANCODE_END;
  t[0xD0] = SDL_SCANCODE_DOWN;
  t[0xD1] = SDL_SCANCODE_PAGEDOWN;
  t[0xD2] = SDL_SCANCODE_INSERT;
  t[0xD3] = SDL_SCANCODE_DELETE;
  t[0xDB] = SDL_SCANCODE_LGUI;
  t[0xDC] = SDL_SCANCODE_RGUI;
  t[0xDD] = SDL_SCANCODE_APPLICATION;
  return t;
}
constexpr std::array<uint16_t, 256> kDikToSdl = MakeDikTable();

// Button order of a game controller: the face buttons, shoulders, back and
// start first, as pads usually number them.
constexpr SDL_GameControllerButton kPadButtons[] = {
    SDL_CONTROLLER_BUTTON_A,         SDL_CONTROLLER_BUTTON_B,
    SDL_CONTROLLER_BUTTON_X,         SDL_CONTROLLER_BUTTON_Y,
    SDL_CONTROLLER_BUTTON_LEFTSHOULDER, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
    SDL_CONTROLLER_BUTTON_BACK,      SDL_CONTROLLER_BUTTON_START,
    SDL_CONTROLLER_BUTTON_LEFTSTICK, SDL_CONTROLLER_BUTTON_RIGHTSTICK,
    SDL_CONTROLLER_BUTTON_GUIDE,
};

// The direction pad also moves the stick, so pads whose d-pad is a hat steer
// like their stick. Returns the hat in hundredths of a degree.
uint32_t FoldHat(bool up, bool down, bool left, bool right, int32_t& x, int32_t& y) {
  if (left && !right) x = -32768;
  if (right && !left) x = 32767;
  if (up && !down) y = -32768;
  if (down && !up) y = 32767;
  const int dx = (right ? 1 : 0) - (left ? 1 : 0);
  const int dy = (down ? 1 : 0) - (up ? 1 : 0);
  if (dx == 0 && dy == 0) return kPovCentred;
  static constexpr uint32_t kAngle[3][3] = {{31500, 0, 4500}, {27000, 0, 9000}, {22500, 18000, 13500}};
  return kAngle[dy + 1][dx + 1];
}

}  // namespace

int SdlInputDevices::SdlScancodeOf(uint8_t dik) { return kDikToSdl[dik]; }

SdlInputDevices::SdlInputDevices() = default;

SdlInputDevices::~SdlInputDevices() {
  for (auto& [id, o] : open_) Close(o);
  open_.clear();
  if (up_) {
    SDL_DelEventWatch(&SdlInputDevices::EventWatch, this);
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER | SDL_INIT_JOYSTICK);
  }
}

int SdlInputDevices::Start() {
  if (up_) return 0;
  // Without pads the keyboard still works: a failed pad start is only noted.
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER | SDL_INIT_JOYSTICK) != 0) {
    std::fprintf(stderr, "qorv: no game pads: %s\n", SDL_GetError());
    return 0;
  }
  up_ = true;
  SDL_AddEventWatch(&SdlInputDevices::EventWatch, this);
  Refresh();
  return 0;
}

int SdlInputDevices::EventWatch(void* self, SDL_Event* e) {
  if (e->type == SDL_MOUSEWHEEL) {
    auto* me = static_cast<SdlInputDevices*>(self);
    int32_t notches = e->wheel.y;
    if (e->wheel.direction == SDL_MOUSEWHEEL_FLIPPED) notches = -notches;
    me->wheel_ += notches * 120;
  }
  return 0;
}

void SdlInputDevices::Close(Open& o) {
  if (o.controller) SDL_GameControllerClose(o.controller);
  else if (o.joystick) SDL_JoystickClose(o.joystick);
  o = Open{};
}

// Opens pads that appeared and closes pads that went away since the last look.
void SdlInputDevices::Refresh() {
  if (!up_) return;
  const int n = SDL_NumJoysticks();
  bool changed = false;
  std::map<int32_t, bool> seen;
  for (int i = 0; i < n; ++i) {
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(i);
    if (id < 0) continue;
    seen[id] = true;
    if (open_.count(id)) continue;
    Open o;
    if (SDL_IsGameController(i)) {
      o.controller = SDL_GameControllerOpen(i);
      if (o.controller) o.joystick = SDL_GameControllerGetJoystick(o.controller);
    }
    if (!o.joystick) o.joystick = SDL_JoystickOpen(i);
    if (!o.joystick) continue;  // a pad that cannot be opened is skipped
    open_[id] = o;
    changed = true;
  }
  for (auto it = open_.begin(); it != open_.end();) {
    if (seen.count(it->first) && SDL_JoystickGetAttached(it->second.joystick)) {
      ++it;
      continue;
    }
    Close(it->second);
    it = open_.erase(it);
    changed = true;
  }
  if (changed || n != lastCount_) ++version_;
  lastCount_ = n;
}

std::vector<PadInfo> SdlInputDevices::Pads() {
  Refresh();
  std::vector<PadInfo> out;
  // In the system's order of device indices.
  const int n = SDL_NumJoysticks();
  for (int i = 0; i < n; ++i) {
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(i);
    auto it = open_.find(id);
    if (it == open_.end()) continue;
    PadInfo p;
    p.id = uint64_t(uint32_t(id)) + 1;  // ids start at 1: 0 means none
    const char* name = it->second.controller ? SDL_GameControllerName(it->second.controller)
                                             : SDL_JoystickName(it->second.joystick);
    p.name = name ? name : "";
    p.forceFeedback = SDL_JoystickHasRumble(it->second.joystick) == SDL_TRUE;
    out.push_back(p);
  }
  return out;
}

uint32_t SdlInputDevices::PadListVersion() {
  Refresh();
  return version_;
}

bool SdlInputDevices::ReadKeyboard(KeyboardReading& keys) {
  keys.fill(0);
  int count = 0;
  const Uint8* state = SDL_GetKeyboardState(&count);
  if (!state) return false;
  for (int dik = 1; dik < 256; ++dik) {
    const int sc = kDikToSdl[size_t(dik)];
    if (sc > 0 && sc < count && state[sc]) keys[size_t(dik)] = 0x80;
  }
  return true;
}

bool SdlInputDevices::ReadMouse(MouseReading& mouse) {
  mouse = MouseReading{};
  int x = 0, y = 0;
  const Uint32 buttons = SDL_GetMouseState(&x, &y);
  mouse.x = x;
  mouse.y = y;
  int dx = 0, dy = 0;
  SDL_GetRelativeMouseState(&dx, &dy);
  mouse.dx = dx;
  mouse.dy = dy;
  mouse.dz = wheel_;
  wheel_ = 0;
  const Uint32 masks[5] = {SDL_BUTTON_LMASK, SDL_BUTTON_RMASK, SDL_BUTTON_MMASK, SDL_BUTTON_X1MASK,
                           SDL_BUTTON_X2MASK};
  for (int i = 0; i < 5; ++i) mouse.buttons[size_t(i)] = (buttons & masks[i]) ? 0x80 : 0;
  return true;
}

bool SdlInputDevices::ReadPad(uint64_t id, PadReading& pad) {
  pad = PadReading{};
  if (!up_ || id == 0) return false;
  auto it = open_.find(SDL_JoystickID(id - 1));
  if (it == open_.end() || !SDL_JoystickGetAttached(it->second.joystick)) return false;
  if (SDL_GameController* c = it->second.controller) {
    const SDL_GameControllerAxis axes[6] = {SDL_CONTROLLER_AXIS_LEFTX,       SDL_CONTROLLER_AXIS_LEFTY,
                                            SDL_CONTROLLER_AXIS_TRIGGERLEFT, SDL_CONTROLLER_AXIS_RIGHTX,
                                            SDL_CONTROLLER_AXIS_RIGHTY,      SDL_CONTROLLER_AXIS_TRIGGERRIGHT};
    for (int i = 0; i < 6; ++i) pad.axes[size_t(i)] = SDL_GameControllerGetAxis(c, axes[i]);
    int b = 0;
    for (SDL_GameControllerButton btn : kPadButtons)
      pad.buttons[size_t(b++)] = SDL_GameControllerGetButton(c, btn) ? 0x80 : 0;
    pad.pov[0] = FoldHat(SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_UP),
                         SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_DOWN),
                         SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_LEFT),
                         SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_RIGHT),
                         pad.axes[0], pad.axes[1]);
    return true;
  }
  SDL_Joystick* j = it->second.joystick;
  const int nAxes = std::min(SDL_JoystickNumAxes(j), 8);
  for (int i = 0; i < nAxes; ++i) pad.axes[size_t(i)] = SDL_JoystickGetAxis(j, i);
  const int nButtons = std::min(SDL_JoystickNumButtons(j), 32);
  for (int i = 0; i < nButtons; ++i) pad.buttons[size_t(i)] = SDL_JoystickGetButton(j, i) ? 0x80 : 0;
  const int nHats = std::min(SDL_JoystickNumHats(j), 4);
  for (int i = 0; i < nHats; ++i) {
    const Uint8 h = SDL_JoystickGetHat(j, i);
    int32_t ignoreX = 0, ignoreY = 0;
    int32_t& x = i == 0 ? pad.axes[0] : ignoreX;
    int32_t& y = i == 0 ? pad.axes[1] : ignoreY;
    pad.pov[size_t(i)] = FoldHat(h & SDL_HAT_UP, h & SDL_HAT_DOWN, h & SDL_HAT_LEFT, h & SDL_HAT_RIGHT, x, y);
  }
  return true;
}

}  // namespace plat
