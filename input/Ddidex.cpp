#include "input/Ddidex.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "platform/DebugLog.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"

bool DDID_HaltOnError = true;
bool DDID_DebugMessage = false;
bool DDID_ExceptOnError = false;
int DebugCount = 0;

namespace {

// The game's messages, Shift-JIS.
// "DirectInputの作成に失敗しました"
const char* const kMsgCreate =
    "DirectInput\x82\xCC\x8D\xEC\x90\xAC\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD";

DDIDHaltHandler& HaltHandler() {
  static DDIDHaltHandler handler;
  return handler;
}

bool Down(uint8_t b) { return (b & 0x80) != 0; }

int32_t Sign(int32_t v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

}  // namespace

void DDID_SetHaltHandler(DDIDHaltHandler handler) { HaltHandler() = std::move(handler); }

void PutDebugMessage(const std::string& mes) {
  if (DDID_DebugMessage) {
    plat::AppendDebugLine("", "ddid.debug", DebugCount, "debug#%.5d ... ", mes);
  }
  if (DDID_ExceptOnError) throw EDDID(mes);
}

int TRYDI(int err, const std::string& failMes) {
  if (err == 0) return 0;
  const std::string line = failMes + plat::ErrorCodeText(unsigned(err), false);
  PutDebugMessage(line);
  if (DDID_HaltOnError) plat::HaltWith(HaltHandler(), line);
  return err;
}

int32_t DeadZoneFilter(int32_t v, int32_t dz) {
  if (dz == 0) return v;
  if (dz >= 100 || dz < 0) return 0;
  const int64_t l = int64_t(dz) * -32768 / 100;
  const int64_t h = int64_t(dz) * 32767 / 100;
  if (v >= l && v <= h) return 0;
  if (v < l) return int32_t((int64_t(v) - l) * 100 / (100 - dz));
  return int32_t((int64_t(v) - h) * 100 / (100 - dz));
}

// ---------------------------------------------------------------- component

TDDIDEX::TDDIDEX(plat::InputDevices* devices) : devices_(devices) {}

plat::InputDevices& TDDIDEX::Devices() const {
  return devices_ ? *devices_ : plat::CurrentInputDevices();
}

void TDDIDEX::SetDebugOption(TDDIDDebugOption v) {
  FDebugOption = v;
  DDID_HaltOnError = (v & dioHaltOnError) != 0;
  DDID_DebugMessage = (v & dioDebugMessage) != 0;
  DDID_ExceptOnError = (v & dioExceptOnError) != 0;
}

void TDDIDEX::Loaded() {
  SetDebugOption(FDebugOption);
  if (AutoInitialize) Initialize();
}

void TDDIDEX::Initialize() {
  ClearKB();
  FJoyState = DIJOYSTATE{};
  FIsFFJoy.fill(false);
  FJoyStickNames.clear();
  padIds_.fill(0);
  FJoyStickCount = 0;
  started_ = false;
  if (TRYDI(Devices().Start(), kMsgCreate) != 0) return;
  started_ = true;
  // Force-feedback pads first, then every other pad; none is taken twice.
  padVersion_ = Devices().PadListVersion();
  const std::vector<plat::PadInfo> pads = Devices().Pads();
  for (const plat::PadInfo& p : pads)
    if (p.forceFeedback) TakePad(p, true);
  for (const plat::PadInfo& p : pads)
    if (!p.forceFeedback) TakePad(p, false);
}

// Puts a pad into the next joystick slot; enumeration fills sixteen at most.
void TDDIDEX::TakePad(const plat::PadInfo& pad, bool ff) {
  if (FJoyStickCount >= DI_MAXJOY) return;
  padIds_[size_t(FJoyStickCount)] = pad.id;
  FIsFFJoy[size_t(DI_JOY1 + FJoyStickCount)] = ff;
  FJoyStickNames.push_back(pad.name);
  ++FJoyStickCount;
}

// Follows pads attached or removed since the last look: removed pads leave
// their slot (which then reads as released); new pads take a free slot.
void TDDIDEX::SyncPads() {
  if (!started_) return;
  const uint32_t version = Devices().PadListVersion();
  if (version == padVersion_) return;
  padVersion_ = version;
  const std::vector<plat::PadInfo> pads = Devices().Pads();
  auto attached = [&pads](uint64_t id) {
    return std::any_of(pads.begin(), pads.end(), [id](const plat::PadInfo& p) { return p.id == id; });
  };
  for (int n = 0; n < FJoyStickCount; ++n)
    if (padIds_[size_t(n)] != 0 && !attached(padIds_[size_t(n)])) padIds_[size_t(n)] = 0;
  for (const plat::PadInfo& p : pads) {
    if (std::find(padIds_.begin(), padIds_.begin() + FJoyStickCount, p.id) !=
        padIds_.begin() + FJoyStickCount)
      continue;
    int slot = -1;
    for (int n = 0; n < FJoyStickCount && slot < 0; ++n)
      if (padIds_[size_t(n)] == 0 && FJoyStickNames[size_t(n)] == p.name) slot = n;
    for (int n = 0; n < FJoyStickCount && slot < 0; ++n)
      if (padIds_[size_t(n)] == 0) slot = n;
    if (slot < 0) {
      TakePad(p, p.forceFeedback);
      continue;
    }
    padIds_[size_t(slot)] = p.id;
    FJoyStickNames[size_t(slot)] = p.name;
    FIsFFJoy[size_t(DI_JOY1 + slot)] = p.forceFeedback;
  }
}

bool TDDIDEX::JoyStickAttached(int n) {
  SyncPads();
  return n >= 0 && n < FJoyStickCount && padIds_[size_t(n)] != 0;
}

bool TDDIDEX::IsFFJoyStick(int i) const {
  return i >= 0 && i <= DI_JOY16 && FIsFFJoy[size_t(i)];
}

void TDDIDEX::ClearKB() {
  for (auto& set : FKeyTbl) set.fill(0);
}

void TDDIDEX::setKeyAssign(unsigned iSurfix, unsigned iButton, int vkey) {
  if (iSurfix >= DI_KEYTBLSETS || iButton >= DI_KEYTBLSIZE) return;
  if (vkey < 0 || vkey > 255) return;
  FKeyTbl[iSurfix][iButton] = vkey;
}

int TDDIDEX::KeyAssign(unsigned iSurfix, unsigned iButton) const {
  if (iSurfix >= DI_KEYTBLSETS || iButton >= DI_KEYTBLSIZE) return 0;
  return FKeyTbl[iSurfix][iButton];
}

bool TDDIDEX::KBBuf(int i) const { return i >= 0 && i < 256 && Down(FKeyBuf[size_t(i)]); }

bool TDDIDEX::getButtons(int idx) const {
  return idx >= 0 && idx < 32 && Down(FJoyState.rgbButtons[idx]);
}

TDDIDStick TDDIDEX::getStick() const {
  TDDIDStick s{};
  s.X = Sign(FJoyState.lX);
  s.Y = Sign(FJoyState.lY);
  s.Z = Sign(FJoyState.lZ);
  s.RX = Sign(FJoyState.lRx);
  s.RY = Sign(FJoyState.lRy);
  s.RZ = Sign(FJoyState.lRz);
  s.Slider[0] = Sign(FJoyState.rglSlider[0]);
  s.Slider[1] = Sign(FJoyState.rglSlider[1]);
  for (int i = 0; i < 4; ++i) s.POV[i] = FJoyState.rgdwPOV[i];
  return s;
}

// ---------------------------------------------------------------- scans

bool TDDIDEX::Scan(int Target) {
  FLastScaned = Target;
  FJoyState = DIJOYSTATE{};
  if (!started_) return false;
  if (Target == DI_KEYB) return ScanKeyboard();
  if (Target == DI_MOUSE) return ScanMouse();
  if (Target >= DI_JOY1 && Target <= DI_JOY16) return ScanJoyStick(Target - DI_JOY1);
  return false;
}

bool TDDIDEX::ScanKeyboard() {
  plat::KeyboardReading keys{};
  if (!Devices().ReadKeyboard(keys) && !Devices().ReadKeyboard(keys)) {
    FKeyBuf.fill(0);
    return false;
  }
  FKeyBuf = keys;
  // A key byte by code; code 0 is no key, so nothing ever holds it.
  auto key = [&keys](int32_t code) -> uint8_t { return code > 0 ? keys[size_t(code)] : 0; };
  // Either table's key presses the entry.
  auto entry = [&](int i) { return uint8_t(key(FKeyTbl[0][size_t(i)]) | key(FKeyTbl[1][size_t(i)])); };
  for (int i = 0; i < 32; ++i) FJoyState.rgbButtons[i] = entry(i);
  auto held = [&](int i) { return Down(entry(i)); };
  const bool up = held(DI_UP), down = held(DI_DOWN), left = held(DI_LEFT), right = held(DI_RIGHT);
  const bool ul = held(DI_UPLEFT), ur = held(DI_UPRIGHT), dl = held(DI_DOWNLEFT),
             dr = held(DI_DOWNRIGHT);
  // Opposite keys cancel.
  if (up || ul || ur) FJoyState.lY = -32767;
  if (down || dl || dr) FJoyState.lY += 32767;
  if (left || ul || dl) FJoyState.lX = -32767;
  if (right || ur || dr) FJoyState.lX += 32767;
  return true;
}

bool TDDIDEX::ScanMouse() {
  plat::MouseReading m;
  if (!Devices().ReadMouse(m)) return false;
  cursorX_ = m.x;
  cursorY_ = m.y;
  FJoyState.lX = m.dx;
  FJoyState.lY = m.dy;
  FJoyState.lZ = m.dz;
  for (int i = 0; i < 8; ++i) FJoyState.rgbButtons[i] = Down(m.buttons[size_t(i)]) ? 0x80 : 0;
  return true;
}

bool TDDIDEX::ScanJoyStick(int slot) {
  SyncPads();
  if (slot < 0 || slot >= FJoyStickCount || padIds_[size_t(slot)] == 0) return false;
  plat::PadReading r;
  if (!Devices().ReadPad(padIds_[size_t(slot)], r)) return false;
  int32_t* axes[8] = {&FJoyState.lX,  &FJoyState.lY,  &FJoyState.lZ,
                      &FJoyState.lRx, &FJoyState.lRy, &FJoyState.lRz,
                      &FJoyState.rglSlider[0], &FJoyState.rglSlider[1]};
  for (int i = 0; i < 8; ++i)
    *axes[i] = DeadZoneFilter(std::clamp(r.axes[size_t(i)], -32768, 32767), DeadZone);
  for (int i = 0; i < 4; ++i) FJoyState.rgdwPOV[i] = r.pov[size_t(i)];
  std::memcpy(FJoyState.rgbButtons, r.buttons.data(), sizeof FJoyState.rgbButtons);
  return true;
}
