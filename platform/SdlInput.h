// The real input devices on SDL2: the keyboard state of the focused window
// by DirectInput scan code, the mouse, and every attached game pad (a known
// game controller in the common layout, else a plain joystick).
//
// The state is the one SDL's event pump keeps; the host's message pumping
// (platform/SdlHost) runs that pump several times per frame. Pads may be
// plugged in and out at any time.
#pragma once
#include <cstdint>
#include <map>

#include "platform/InputDevices.h"

struct _SDL_GameController;
struct _SDL_Joystick;
union SDL_Event;

namespace plat {

class SdlInputDevices final : public InputDevices {
 public:
  SdlInputDevices();
  ~SdlInputDevices() override;
  SdlInputDevices(const SdlInputDevices&) = delete;
  SdlInputDevices& operator=(const SdlInputDevices&) = delete;

  int Start() override;
  std::vector<PadInfo> Pads() override;
  uint32_t PadListVersion() override;
  bool ReadKeyboard(KeyboardReading& keys) override;
  bool ReadMouse(MouseReading& mouse) override;
  bool ReadPad(uint64_t id, PadReading& pad) override;

  // The SDL scan code of a DirectInput scan code; 0 for codes without a key.
  static int SdlScancodeOf(uint8_t dik);

 private:
  struct Open {
    _SDL_GameController* controller = nullptr;
    _SDL_Joystick* joystick = nullptr;
  };
  void Refresh();
  void Close(Open& o);

  bool up_ = false;
  std::map<int32_t, Open> open_;  // by SDL instance id
  uint32_t version_ = 0;
  int lastCount_ = -1;
  int32_t wheel_ = 0;  // 120ths of a notch since the last mouse read
  static int EventWatch(void* self, ::SDL_Event* e);
};

}  // namespace plat
