#include "platform/DisplayLoss.h"

#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
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

}  // namespace plat
