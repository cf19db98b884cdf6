// Message boxes: modal, text only, one OK button. The text is Shift-JIS.
// With a display the box is a real dialog; without one the text goes to
// standard error. Tests replace the sink to read what the game showed.
#pragma once
#include <functional>
#include <string>
#include <string_view>

namespace plat {

void MessageBox(const std::string& textSjis);

using MessageBoxSink = std::function<void(const std::string& textSjis)>;
// Replaces where message boxes go; an empty sink restores the real one.
void SetMessageBoxSink(MessageBoxSink sink);

// The box's title (the application title once it is set), Shift-JIS.
void SetMessageBoxTitle(const std::string& titleSjis);

// A box line holds at most this many columns, a double-byte character taking
// two. The window system's box draws with a core font about 7 px a column,
// so a full line is some 560 px and the box stays well inside a 1,024-px
// screen even where its font is half as wide again.
constexpr int kBoxColumns = 80;

// The text broken into box lines of at most columns columns. A line ends at
// a run of spaces (dropped there) or beside a double-byte character; a word
// longer than a line ends it after its last '/' that fits, else where the
// line is full. A double-byte character is never split, and line breaks in
// the text stay. Boxes show this; the sink and standard error get the text
// as it was.
std::string WrapBoxText(std::string_view textSjis, int columns = kBoxColumns);

namespace detail {
// Runs show (which puts a box up and waits for it) so that a child process
// forked meanwhile dies with the game and drops its copy of the
// single-instance key, and SIGTERM or SIGINT end the game while it waits.
void ShowGuarded(const std::function<void()>& show);
}  // namespace detail

}  // namespace plat
