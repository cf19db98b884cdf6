// Losing the window system (the X server killed, a logout, a dropped remote
// session) ends the program at once with one line on stderr. The window
// system's own handler would call exit(), running every exit handler while
// other threads still work; this one ends the process directly, which also
// gives back the single-instance name so the next start is not blocked.
#pragma once

struct SDL_Window;

namespace plat {

// Starts the video subsystem for a program that must show a window, then
// installs the handler below. False, with one line on stderr after the
// program's name, when there is no display to show it on: the subsystem fails
// to start, or only an invisible driver (offscreen, dummy) is left and none
// was asked for by name, where a window would run unseen for ever.
bool StartVideoWithDisplay(const char* program);

// Installs the handler for the connection the video subsystem opened; does
// nothing when the window system is not X11. Safe to call more than once.
void InstallDisplayLossHandler();

// Called when a window's loop ends normally (a quit request, the window
// closed): puts the handler back in place should anything have replaced it and
// makes one round trip to the display. A quit request that came in the same
// moment the display went (the window system and a signal handler may see the
// loss in either order) then still ends with the line and a failure code, never
// as a success. window is the video subsystem's window; null does nothing.
void ConfirmDisplayBeforeExit(SDL_Window* window);

}  // namespace plat
