// Program entry of the game. It takes no command-line arguments.
#include "shell/Program.h"

int main() { return RunGameOnSdl(); }
