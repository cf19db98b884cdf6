#include "platform/MessageBox.h"

#include <SDL.h>
#include <pthread.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "platform/InstanceGuard.h"
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

// The window system's dialog runs in a child forked from the thread that
// shows it. That child must not outlive the game nor keep what the game
// holds: it dies with the thread that forked it (and at once if the game is
// already gone), and it gives up its copy of the single-instance key, so a
// killed game never leaves a box behind that locks the next start out.
std::atomic<bool> g_boxUp{false};
std::atomic<pid_t> g_boxOwner{0};

void InBoxChild() {
  if (!g_boxUp.load()) return;
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (::getppid() != g_boxOwner.load()) ::_exit(1);
  detail::CloseInstanceKeyCopy();
}

// While a box is up the game's loop cannot see a quit request, so SIGTERM and
// SIGINT end the process at once (and the box with it).
void EndOnSignal(int sig) {
  ::signal(sig, SIG_DFL);
  ::raise(sig);  // delivered when this handler returns
}

}  // namespace

namespace detail {
void ShowGuarded(const std::function<void()>& show) {
  static std::once_flag once;
  std::call_once(once, [] { ::pthread_atfork(nullptr, nullptr, InBoxChild); });
  struct sigaction end = {}, oldTerm = {}, oldInt = {};
  end.sa_handler = EndOnSignal;
  sigemptyset(&end.sa_mask);
  ::sigaction(SIGTERM, &end, &oldTerm);
  ::sigaction(SIGINT, &end, &oldInt);
  g_boxOwner = ::getpid();
  g_boxUp = true;
  show();
  g_boxUp = false;
  ::sigaction(SIGTERM, &oldTerm, nullptr);
  ::sigaction(SIGINT, &oldInt, nullptr);
}
}  // namespace detail

namespace {

// The real box; without a display (or when the dialog cannot be shown) the
// text goes to standard error.
void ShowRealMessageBox(const std::string& textSjis) {
  std::string text = SjisToUtf8(textSjis);
  if (HasDisplay()) {
    std::string title = SjisToUtf8(g_title);
    int shown = -1;
    detail::ShowGuarded([&] {
      shown = SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, title.c_str(), text.c_str(),
                                       g_parent);
    });
    if (shown == 0) return;
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
SDL_Window* MessageBoxParent() { return g_parent; }
}  // namespace detail

}  // namespace plat
