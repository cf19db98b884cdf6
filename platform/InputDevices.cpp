#include "platform/InputDevices.h"

#include <algorithm>
#include <stdexcept>

namespace plat {

namespace {
NoInputDevices g_none;
InputDevices* g_current = &g_none;
}  // namespace

InputDevices& CurrentInputDevices() { return *g_current; }
void SetInputDevices(InputDevices* devices) { g_current = devices ? devices : &g_none; }

bool NoInputDevices::ReadKeyboard(KeyboardReading& keys) {
  keys.fill(0);
  return true;
}

bool NoInputDevices::ReadMouse(MouseReading& mouse) {
  mouse = MouseReading{};
  return true;
}

bool NoInputDevices::ReadPad(uint64_t, PadReading& pad) {
  pad = PadReading{};
  return false;
}

std::vector<PadInfo> ScriptedInputDevices::Pads() {
  std::vector<PadInfo> out;
  for (const Entry& e : pads_) out.push_back(e.info);
  return out;
}

bool ScriptedInputDevices::ReadKeyboard(KeyboardReading& keys) {
  if (!KeyboardReadable) return false;
  keys = Keys;
  return true;
}

bool ScriptedInputDevices::ReadMouse(MouseReading& mouse) {
  if (!MouseReadable) return false;
  mouse = Mouse;
  // Movement and wheel count since the last read.
  Mouse.dx = Mouse.dy = Mouse.dz = 0;
  return true;
}

bool ScriptedInputDevices::ReadPad(uint64_t id, PadReading& pad) {
  Entry* e = Find(id);
  if (!e) return false;
  pad = e->state;
  return true;
}

void ScriptedInputDevices::SetKey(uint8_t dik, bool down) { Keys[dik] = down ? 0x80 : 0; }

void ScriptedInputDevices::ReleaseAll() { Keys.fill(0); }

uint64_t ScriptedInputDevices::Attach(const std::string& name, bool forceFeedback) {
  Entry e;
  e.info.id = nextId_++;
  e.info.name = name;
  e.info.forceFeedback = forceFeedback;
  pads_.push_back(e);
  ++version_;
  return e.info.id;
}

void ScriptedInputDevices::Remove(uint64_t id) {
  auto it = std::find_if(pads_.begin(), pads_.end(), [id](const Entry& e) { return e.info.id == id; });
  if (it == pads_.end()) return;
  pads_.erase(it);
  ++version_;
}

PadReading& ScriptedInputDevices::Pad(uint64_t id) {
  Entry* e = Find(id);
  if (!e) throw std::out_of_range("no such pad");
  return e->state;
}

void ScriptedInputDevices::SetButton(uint64_t id, int button, bool down) {
  Pad(id).buttons.at(size_t(button)) = down ? 0x80 : 0;
}

void ScriptedInputDevices::SetAxis(uint64_t id, int axis, int32_t value) {
  Pad(id).axes.at(size_t(axis)) = value;
}

ScriptedInputDevices::Entry* ScriptedInputDevices::Find(uint64_t id) {
  for (Entry& e : pads_)
    if (e.info.id == id) return &e;
  return nullptr;
}

}  // namespace plat
