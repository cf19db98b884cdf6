#include "platform/MessageBox.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

#include "platform/SjisText.h"

namespace plat {

namespace {
MessageBoxSink g_sink;
std::string g_title = "qorv";
SDL_Window* g_parent = nullptr;

bool HasDisplay() {
  const char* d = std::getenv("DISPLAY");
  const char* w = std::getenv("WAYLAND_DISPLAY");
  const char* drv = std::getenv("SDL_VIDEODRIVER");
  if (drv && std::string(drv) == "dummy") return false;
  return (d && *d) || (w && *w);
}

// The real box; without a display (or when the dialog cannot be shown) the
// text goes to standard error.
void ShowRealMessageBox(const std::string& textSjis) {
  std::string text = SjisToUtf8(textSjis);
  if (HasDisplay()) {
    std::string title = SjisToUtf8(g_title);
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, title.c_str(), text.c_str(),
                                 g_parent) == 0)
      return;
  }
  std::fprintf(stderr, "%s\n", text.c_str());
}
}  // namespace

void MessageBox(const std::string& textSjis) {
  if (g_sink) {
    g_sink(textSjis);
    return;
  }
  ShowRealMessageBox(textSjis);
}

void SetMessageBoxSink(MessageBoxSink sink) { g_sink = std::move(sink); }

void SetMessageBoxTitle(const std::string& titleSjis) { g_title = titleSjis; }

namespace detail {
// The SDL host names its window here so the box sits over it.
void SetMessageBoxParent(SDL_Window* window) { g_parent = window; }
}  // namespace detail

}  // namespace plat
