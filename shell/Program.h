// The program block of the game: refuse to start without the settings file,
// give way to a copy already running, then run the main form until the
// application ends. main() only supplies the real host and registry.
#pragma once
#include "platform/Host.h"
#include "platform/InstanceGuard.h"
#include "shell/BuildFlags.h"
#include "shell/FormParts.h"

// Returns the process exit code: 0 for a normal end (also when a running copy
// was asked to come to the front), non-zero when the settings file is
// missing, the instance name cannot be taken, or the error box was shown.
int RunGameProgram(plat::Host& host, plat::InstanceRegistry& atoms, TForm1Parts parts = {},
                   BuildFlags flags = kBuildFlags);

// The program block on the real window, keyboard and pads, run from the
// program's own folder: what the game's main() runs, and every program that
// plays the game with other parts (the match demo).
int RunGameOnSdl(TForm1Parts parts = {}, BuildFlags flags = kBuildFlags);
