// Losing the window system (the X server killed, a logout, a dropped remote
// session) ends the program at once with one line on stderr. The window
// system's own handler would call exit(), running every exit handler while
// other threads still work; this one ends the process directly, which also
// gives back the single-instance name so the next start is not blocked.
#pragma once

namespace plat {

// Installs the handler for the connection the video subsystem opened; does
// nothing when the window system is not X11. Safe to call more than once.
void InstallDisplayLossHandler();

}  // namespace plat
