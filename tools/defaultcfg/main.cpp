// Writes a first settings file so the game can be played before the
// configuration program has been run: the configuration program's own
// starting values (pads first, the large window), plus keyboard keys so a
// player without a pad can play at once. An existing file is never touched.
//
//   qorv_defaultcfg <path of dbcfg.sai>
#include <cstdio>

#include "config/CfgIni.h"
#include "platform/Files.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: qorv_defaultcfg <path of dbcfg.sai>\n");
    return 2;
  }
  if (plat::FileExists(argv[1])) return 0;
  TCFGINI cfg = CfgIniDefaults();
  // Keyboard scan codes: arrows, then A = Z, B = X, St = Enter, A+B = C.
  const uint16_t keys[8] = {0xC8, 0xD0, 0xCB, 0xCD, 0x2C, 0x2D, 0x1C, 0x2E};
  for (int i = 0; i < 8; ++i) cfg.KBBtn[i] = keys[i];
  if (!SaveCfgIni(argv[1], cfg)) {
    std::fprintf(stderr, "qorv_defaultcfg: cannot write %s\n", argv[1]);
    return 1;
  }
  std::printf("wrote first settings %s\n", argv[1]);
  return 0;
}
