#include "platform/ScreenSaver.h"

#include <SDL.h>

namespace plat {

// SDL keeps the setting for this process only, so a crash cannot leave the
// desktop without its screen saver.
bool ScreenSaverActive() { return SDL_IsScreenSaverEnabled() == SDL_TRUE; }

void SetScreenSaverActive(bool on) {
  if (on) {
    SDL_EnableScreenSaver();
  } else {
    SDL_DisableScreenSaver();
  }
}

}  // namespace plat
