// Program entry of the game. It takes no command-line arguments.
#include "platform/Files.h"
#include "platform/InstanceGuard.h"
#include "platform/SdlHost.h"
#include "shell/Program.h"

int main() {
  // Paths against the current folder and beside the executable then agree.
  plat::ChangeToProgramFolder();
  plat::SocketInstanceRegistry atoms;
  plat::SdlHost host;
  return RunGameProgram(host, atoms);
}
