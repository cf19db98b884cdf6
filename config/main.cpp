// tumbotcfg: the configuration program. Chooses the players' devices, takes
// the keys and pad buttons, the pad priority and the window size, and writes
// the settings file the game needs to start.
#include "config/CfgProgram.h"
#include "platform/Files.h"
#include "platform/InstanceGuard.h"
#include "platform/SdlInput.h"
#include "platform/SdlToolkit.h"
#include "shell/BuildFlags.h"

int main() {
  plat::KeepRunningWhenOutputCloses();
  plat::SocketInstanceRegistry atoms;
  plat::SdlToolkit app;
  plat::SdlInputDevices devices;  // the keyboard and pads the capture reads
  plat::SetInputDevices(&devices);
  int code = tumbotcfg::RunConfigProgram(atoms, app, &devices, Eng_f);
  plat::SetInputDevices(nullptr);
  return code;
}
