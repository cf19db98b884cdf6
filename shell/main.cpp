// Program entry of the game. It takes no command-line arguments.
#include "platform/Files.h"
#include "shell/Program.h"

int main() {
  plat::KeepRunningWhenOutputCloses();
  return RunGameOnSdl();
}
