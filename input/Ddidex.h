// TDDIDEX, the input-device component: the keyboard, the mouse and up to
// sixteen joysticks, each read on request into one merged joystick-shaped
// state (six axes, two sliders, four hats, 32 buttons), so the layers above
// read every device through the same buttons and stick. Keyboard keys reach
// the buttons and directions through two key tables; joystick axes pass a
// percentage dead zone.
//
// Devices come from the input seam (platform/InputDevices.h). Pads may come
// and go while the program runs: a pad that is removed keeps its joystick
// slot and reads as released; a pad that is attached takes a free slot (the
// one a pad of the same name left, else any left, else a new one at the end).
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/InputDevices.h"

// Device index of Scan.
enum : int {
  DI_KEYB = 0,
  DI_MOUSE = 1,
  DI_JOY1 = 2,   // joysticks 0..15 are 2..17
  DI_JOY16 = 17,
};
constexpr int DI_MAXJOY = 16;

// Key-table entry index: 0..31 the buttons, then the eight directions.
enum : int {
  DI_B1 = 0,
  DI_B32 = 31,
  DI_UP = 32,
  DI_DOWN = 33,
  DI_LEFT = 34,
  DI_RIGHT = 35,
  DI_UPLEFT = 36,
  DI_UPRIGHT = 37,
  DI_DOWNLEFT = 38,
  DI_DOWNRIGHT = 39,
};
constexpr int DI_KEYTBLSETS = 2;
constexpr int DI_KEYTBLSIZE = 40;

// The merged state of one scan (80 bytes, the joystick data layout).
struct DIJOYSTATE {
  int32_t lX, lY, lZ;
  int32_t lRx, lRy, lRz;
  int32_t rglSlider[2];
  uint32_t rgdwPOV[4];
  uint8_t rgbButtons[32];
};
static_assert(sizeof(DIJOYSTATE) == 80, "merged state layout");

// Signs (-1, 0, +1) of the eight axis values and the four hats unchanged.
struct TDDIDStick {
  int32_t X, Y, Z, RX, RY, RZ;
  int32_t Slider[2];
  uint32_t POV[4];
};

// What a failure does: log it, raise EDDID, halt the program.
using TDDIDDebugOption = uint8_t;
constexpr TDDIDDebugOption dioHaltOnError = 0x1;
constexpr TDDIDDebugOption dioDebugMessage = 0x2;
constexpr TDDIDDebugOption dioExceptOnError = 0x4;

class EDDID : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The options as the checking routine sees them: one set for the whole
// program, written by the last component that set its DebugOption.
extern bool DDID_HaltOnError, DDID_DebugMessage, DDID_ExceptOnError;
extern int DebugCount;  // messages written this run

// The checking routine: 0 passes; anything else appends "(Error Code(%x))"
// to the message, reports it through PutDebugMessage and, with
// halt-on-error, halts. Returns err.
int TRYDI(int err, const std::string& failMesSjis);
// Writes "debug#%.5d ... message" to "ddid.debug" beside the program when
// debug messages are on (the first message of a run starts the file anew),
// then raises EDDID when exceptions are on.
void PutDebugMessage(const std::string& mesSjis);
// What a halt does. The default shows the message in the error box and ends
// the program with status 1; tests route it elsewhere.
using DDIDHaltHandler = std::function<void(const std::string& messageSjis)>;
void DDID_SetHaltHandler(DDIDHaltHandler handler);  // empty: the default

// A joystick axis value through a dead zone of dz percent: 0 inside the zone
// (or with dz >= 100), the rest stretched back to about the full range.
int32_t DeadZoneFilter(int32_t v, int32_t dz);

class TDDIDEX {
 public:
  // Reads the given devices, or the current ones (platform seam) when null.
  // Nothing is read until Loaded or Initialize.
  explicit TDDIDEX(plat::InputDevices* devices = nullptr);
  TDDIDEX(const TDDIDEX&) = delete;
  TDDIDEX& operator=(const TDDIDEX&) = delete;

  // Applies DebugOption to the program-wide flags, then Initialize when
  // AutoInitialize is on.
  void Loaded();
  // Rebuilds everything: clears the key tables and finds the attached pads,
  // force-feedback pads first.
  void Initialize();

  // Reads one device (Target: DI_KEYB, DI_MOUSE, DI_JOY1..DI_JOY16) into the
  // merged state. False, with an all-zero state, when the device is missing
  // or cannot be read.
  bool Scan(int Target);

  TDDIDStick getStick() const;
  // Bit 7 of merged button byte idx (0..31); false for any other idx.
  bool getButtons(int idx) const;
  // Key code of key table iSurfix (0, 1), entry iButton (0..39); 0 = no key.
  // Codes outside 0..255 and entries outside the tables are ignored.
  void setKeyAssign(unsigned iSurfix, unsigned iButton, int vkey);
  int KeyAssign(unsigned iSurfix, unsigned iButton) const;
  void ClearKB();
  // The raw state of DirectInput key code i (0..255) at the last keyboard scan.
  bool KBBuf(int i) const;

  int JoyStickCount() const { return FJoyStickCount; }
  const std::vector<std::string>& JoyStickNames() const { return FJoyStickNames; }
  // Device index i (2..17) came from the force-feedback pass.
  bool IsFFJoyStick(int i) const;
  // Whether the pad in joystick slot n (0..15) is attached now.
  bool JoyStickAttached(int n);
  const DIJOYSTATE& JoyState() const { return FJoyState; }
  int LastScaned() const { return FLastScaned; }

  TDDIDDebugOption DebugOption() const { return FDebugOption; }
  void SetDebugOption(TDDIDDebugOption v);

  // The mouse cursor in client coordinates at the last mouse scan.
  int32_t CursorX() const { return cursorX_; }
  int32_t CursorY() const { return cursorY_; }

  bool AutoInitialize = true;
  bool BackGround = false;   // the system decides; kept for the settings
  int32_t DeadZone = 5;      // percent

 private:
  plat::InputDevices& Devices() const;
  bool ScanKeyboard();
  bool ScanMouse();
  bool ScanJoyStick(int slot);
  void SyncPads();
  void TakePad(const plat::PadInfo& pad, bool ff);

  plat::InputDevices* devices_;
  std::vector<std::string> FJoyStickNames;
  std::array<uint64_t, DI_MAXJOY> padIds_{};         // 0: slot empty or pad removed
  std::array<bool, DI_JOY16 + 1> FIsFFJoy{};
  DIJOYSTATE FJoyState{};
  std::array<std::array<int32_t, DI_KEYTBLSIZE>, DI_KEYTBLSETS> FKeyTbl{};
  int32_t FJoyStickCount = 0;
  int32_t FLastScaned = 0;
  TDDIDDebugOption FDebugOption = dioHaltOnError;
  plat::KeyboardReading FKeyBuf{};
  uint32_t padVersion_ = 0;
  bool started_ = false;
  int32_t cursorX_ = 0, cursorY_ = 0;
};
