// The input-device seam: the keyboard, the mouse and the attached game pads,
// read as raw states. The game's input component (input/Ddidex) turns them
// into its merged joystick-shaped state; it never talks to the system itself.
//
// The real devices are SDL2's (platform/SdlInput); tests script them with
// ScriptedInputDevices. Until a program installs real devices the current
// ones are "nothing attached": no key down, no mouse, no pad.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace plat {

// One attached pad as the system lists it.
struct PadInfo {
  uint64_t id = 0;            // unique while attached; a pad plugged in again gets a new one
  std::string name;           // product name
  bool forceFeedback = false;
};

constexpr uint32_t kPovCentred = 0xFFFFFFFFu;

// A pad in the merged joystick shape: eight axes (X, Y, Z, RX, RY, RZ, slider
// 0, slider 1) from -32768 to 32767, four hats in hundredths of a degree
// clockwise from up (kPovCentred when centred), 32 buttons (bit 7 set = down).
struct PadReading {
  std::array<int32_t, 8> axes{};
  std::array<uint32_t, 4> pov{kPovCentred, kPovCentred, kPovCentred, kPovCentred};
  std::array<uint8_t, 32> buttons{};
};

// The mouse: the cursor in window client coordinates, the movement and wheel
// since the last read (wheel in 120ths of a notch), eight buttons (bit 7 = down).
struct MouseReading {
  int32_t x = 0, y = 0;
  int32_t dx = 0, dy = 0, dz = 0;
  std::array<uint8_t, 8> buttons{};
};

// The keyboard by DirectInput scan code (0..255, extended keys at 0x80 +
// their set-1 code); bit 7 set = down.
using KeyboardReading = std::array<uint8_t, 256>;

class InputDevices {
 public:
  virtual ~InputDevices() = default;
  // Makes the devices ready to read; 0 when they are, else an error code.
  virtual int Start() { return 0; }
  // The pads attached now, in the system's order.
  virtual std::vector<PadInfo> Pads() = 0;
  // Changes whenever a pad is attached or removed.
  virtual uint32_t PadListVersion() = 0;
  // False when the device cannot be read now (no window focus counts as
  // readable with nothing down).
  virtual bool ReadKeyboard(KeyboardReading& keys) = 0;
  virtual bool ReadMouse(MouseReading& mouse) = 0;
  // False when no pad with that id is attached.
  virtual bool ReadPad(uint64_t id, PadReading& pad) = 0;
};

// Nothing attached: the keyboard and mouse read as released, no pads.
class NoInputDevices final : public InputDevices {
 public:
  std::vector<PadInfo> Pads() override { return {}; }
  uint32_t PadListVersion() override { return 0; }
  bool ReadKeyboard(KeyboardReading& keys) override;
  bool ReadMouse(MouseReading& mouse) override;
  bool ReadPad(uint64_t, PadReading& pad) override;
};

// Devices for tests: keys, mouse and pads are set by hand; pads can be
// attached and removed at any time.
class ScriptedInputDevices final : public InputDevices {
 public:
  int Start() override { return StartError; }
  std::vector<PadInfo> Pads() override;
  uint32_t PadListVersion() override { return version_; }
  bool ReadKeyboard(KeyboardReading& keys) override;
  bool ReadMouse(MouseReading& mouse) override;
  bool ReadPad(uint64_t id, PadReading& pad) override;

  // Holds or releases the key with this DirectInput scan code.
  void SetKey(uint8_t dik, bool down);
  void ReleaseAll();
  // Attaches a pad at the end of the system's list; returns its id.
  uint64_t Attach(const std::string& name, bool forceFeedback = false);
  void Remove(uint64_t id);
  // The state a pad reads as; the id must be attached.
  PadReading& Pad(uint64_t id);
  void SetButton(uint64_t id, int button, bool down);
  void SetAxis(uint64_t id, int axis, int32_t value);

  int StartError = 0;
  bool KeyboardReadable = true;
  bool MouseReadable = true;
  KeyboardReading Keys{};
  MouseReading Mouse;

 private:
  struct Entry {
    PadInfo info;
    PadReading state;
  };
  Entry* Find(uint64_t id);
  std::vector<Entry> pads_;
  uint64_t nextId_ = 1;
  uint32_t version_ = 0;
};

// The devices the game reads now; SetInputDevices(nullptr) returns to
// "nothing attached". The caller keeps what it installs alive.
InputDevices& CurrentInputDevices();
void SetInputDevices(InputDevices* devices);

}  // namespace plat
