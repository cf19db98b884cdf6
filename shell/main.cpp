// Program entry of the game. It takes no command-line arguments.
#include "platform/Files.h"
#include "platform/InstanceGuard.h"
#include "platform/SdlHost.h"
#include "platform/SdlInput.h"
#include "shell/Program.h"

int main() {
  // Paths against the current folder and beside the executable then agree.
  plat::ChangeToProgramFolder();
  plat::SocketInstanceRegistry atoms;
  plat::SdlHost host;
  plat::SdlInputDevices devices;  // the keyboard and pads the game reads
  plat::SetInputDevices(&devices);
  int code = RunGameProgram(host, atoms);
  plat::SetInputDevices(nullptr);
  return code;
}
