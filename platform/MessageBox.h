// Message boxes: modal, text only, one OK button. The text is Shift-JIS.
// Tests replace the sink to read what the game showed.
#pragma once
#include <functional>
#include <string>

namespace plat {

void MessageBox(const std::string& textSjis);

using MessageBoxSink = std::function<void(const std::string& textSjis)>;
// Replaces where message boxes go; an empty sink restores the real one.
void SetMessageBoxSink(MessageBoxSink sink);

}  // namespace plat
