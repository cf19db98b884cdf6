// The configuration program's entry: one copy at a time, the application
// titled "tumbotcfg", its one window shown until it is closed or saved.
#pragma once
#include "config/Unit1.h"
#include "platform/InputDevices.h"
#include "platform/InstanceGuard.h"
#include "platform/Toolkit.h"

namespace tumbotcfg {

constexpr char kApplicationTitle[] = "tumbotcfg";

// Returns the process exit code. A second copy leaves at once, without a
// window; so does a copy that cannot register itself.
// The input component reads the given devices (the current ones when null).
int RunConfigProgram(plat::InstanceRegistry& atoms, plat::TkApplication& app,
                     plat::InputDevices* devices, bool eng);

}  // namespace tumbotcfg
