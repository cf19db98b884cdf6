// Message boxes: modal, text only, one OK button. The text is Shift-JIS.
// With a display the box is a real dialog; without one the text goes to
// standard error. Tests replace the sink to read what the game showed.
#pragma once
#include <functional>
#include <string>

namespace plat {

void MessageBox(const std::string& textSjis);

using MessageBoxSink = std::function<void(const std::string& textSjis)>;
// Replaces where message boxes go; an empty sink restores the real one.
void SetMessageBoxSink(MessageBoxSink sink);

// The box's title (the application title once it is set), Shift-JIS.
void SetMessageBoxTitle(const std::string& titleSjis);

namespace detail {
// Runs show (which puts a box up and waits for it) so that a child process
// forked meanwhile dies with the game and drops its copy of the
// single-instance key, and SIGTERM or SIGINT end the game while it waits.
void ShowGuarded(const std::function<void()>& show);
}  // namespace detail

}  // namespace plat
