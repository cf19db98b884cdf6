// The system screen saver, switched off while the display component lives.
#pragma once

namespace plat {

bool ScreenSaverActive();
void SetScreenSaverActive(bool on);

}  // namespace plat
