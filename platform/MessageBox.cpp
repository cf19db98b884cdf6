#include "platform/MessageBox.h"

#include <SDL.h>
#include <pthread.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "platform/Files.h"
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

// One character of a Shift-JIS text: where it starts, its bytes and columns.
struct BoxGlyph {
  size_t at;
  size_t size;
  int columns;
};

// A lead byte followed by a valid second byte is one double-byte character;
// a lead byte without one stands alone, as the conversion to UTF-8 takes it.
std::vector<BoxGlyph> BoxGlyphs(std::string_view s) {
  auto lead = [](unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); };
  auto trail = [](unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; };
  std::vector<BoxGlyph> g;
  for (size_t i = 0; i < s.size();) {
    const bool pair = lead(uint8_t(s[i])) && i + 1 < s.size() && trail(uint8_t(s[i + 1]));
    g.push_back({i, pair ? 2u : 1u, pair ? 2 : 1});
    i += g.back().size;
  }
  return g;
}

// Appends one paragraph (no '\n') filled greedily into lines of columns.
void WrapParagraph(std::string_view s, int columns, std::string& out) {
  const std::vector<BoxGlyph> g = BoxGlyphs(s);
  auto space = [&](size_t i) { return s[g[i].at] == ' '; };
  size_t start = 0;
  while (true) {
    // Fill the line; cut and slash are the last places it may end before.
    size_t i = start, cut = start, slash = start;
    auto mark = [&](size_t at) {
      if (space(at) || space(at - 1) || g[at].columns == 2 || g[at - 1].columns == 2) cut = at;
      if (s[g[at - 1].at] == '/') slash = at;
    };
    for (int used = 0; i < g.size() && used + g[i].columns <= columns; used += g[i++].columns)
      if (i > start) mark(i);
    size_t end = i;
    if (i < g.size()) {
      if (i > start) mark(i);
      end = cut > start ? cut : slash > start ? slash : std::max(i, start + 1);
    }
    size_t last = end;
    while (last > start && space(last - 1)) --last;
    const size_t from = g.empty() ? 0 : g[start].at;
    const size_t to = last == start ? from : g[last - 1].at + g[last - 1].size;
    out.append(s.substr(from, to - from));
    while (end < g.size() && space(end)) ++end;
    if (end >= g.size()) return;
    out += '\n';
    start = end;
  }
}

}  // namespace

std::string WrapBoxText(std::string_view textSjis, int columns) {
  std::string out;
  for (size_t pos = 0;;) {
    const size_t nl = std::min(textSjis.find('\n', pos), textSjis.size());
    WrapParagraph(textSjis.substr(pos, nl - pos), columns, out);
    if (nl == textSjis.size()) return out;
    out += '\n';
    pos = nl + 1;
  }
}

namespace {

// The real box, its text in lines a screen can show; without a display (or
// when the dialog cannot be shown) the text goes to standard error whole.
void ShowRealMessageBox(const std::string& textSjis) {
  std::string text = SjisToUtf8(textSjis);
  if (HasDisplay()) {
    std::string title = SjisToUtf8(g_title);
    std::string lines = SjisToUtf8(WrapBoxText(textSjis));
    int shown = -1;
    detail::ShowGuarded([&] {
      shown = SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, title.c_str(), lines.c_str(),
                                       g_parent);
    });
    if (shown == 0) return;
  }
  std::fprintf(stderr, "%s\n", ShowControls(text).c_str());
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
