#include "platform/DisplayLoss.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <dlfcn.h>
#include <unistd.h>

#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/Files.h"

namespace plat {

namespace {

// The line is made when the handler is installed: when the connection breaks
// nothing may allocate or take a lock another thread may hold.
char g_line[512];
size_t g_lineLength = 0;

int OnDisplayLost(void* /*display*/) {
  ssize_t ignored = ::write(STDERR_FILENO, g_line, g_lineLength);
  (void)ignored;
  ::_exit(1);
}

}  // namespace

bool StartVideoWithDisplay(const char* program) {
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "%s: no display: %s\n", program, SDL_GetError());
    return false;
  }
  InstallDisplayLossHandler();
  const char* driver = SDL_GetCurrentVideoDriver();
  const char* wanted = ::getenv("SDL_VIDEODRIVER");
  if (driver && (!wanted || !*wanted) &&
      (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0)) {
    std::fprintf(stderr, "%s: no display (only the %s video driver is available)\n", program, driver);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return false;
  }
  return true;
}

void InstallDisplayLossHandler() {
  // Only a library already loaded by the video subsystem is looked at.
  void* x11 = ::dlopen("libX11.so.6", RTLD_NOW | RTLD_NOLOAD);
  if (!x11) return;
  using Handler = int (*)(void*);
  using SetHandler = Handler (*)(Handler);
  auto set = reinterpret_cast<SetHandler>(::dlsym(x11, "XSetIOErrorHandler"));
  if (set) {
    const std::string line = ProgramFileName() + ": the connection to the display was lost\n";
    g_lineLength = std::min(line.size(), sizeof g_line);
    std::memcpy(g_line, line.data(), g_lineLength);
    set(&OnDisplayLost);
  }
  ::dlclose(x11);  // the video subsystem keeps it loaded
}

void ConfirmDisplayBeforeExit(SDL_Window* window) {
  if (!window || g_lineLength == 0) return;  // no X11 connection was ever watched
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
  void* x11 = ::dlopen("libX11.so.6", RTLD_NOW | RTLD_NOLOAD);
  if (!x11) return;
  using Handler = int (*)(void*);
  using SetHandler = Handler (*)(Handler);
  using Sync = int (*)(void*, int);
  auto set = reinterpret_cast<SetHandler>(::dlsym(x11, "XSetIOErrorHandler"));
  auto sync = reinterpret_cast<Sync>(::dlsym(x11, "XSync"));
  if (set && sync) {
    set(&OnDisplayLost);
    sync(info.info.x11.display, 0);  // a broken connection ends the program here
  }
  ::dlclose(x11);
}

}  // namespace plat
