#include "platform/MessageBox.h"

#include <cstdio>

namespace plat {

namespace {
MessageBoxSink g_sink;
}

// The real box; without a display the text goes to standard error.
void ShowRealMessageBox(const std::string& textSjis);

void MessageBox(const std::string& textSjis) {
  if (g_sink) {
    g_sink(textSjis);
    return;
  }
  ShowRealMessageBox(textSjis);
}

void SetMessageBoxSink(MessageBoxSink sink) { g_sink = std::move(sink); }

// Stand-in until the SDL host lands: standard error only.
void ShowRealMessageBox(const std::string& textSjis) {
  std::fprintf(stderr, "%s\n", textSjis.c_str());
}

}  // namespace plat
