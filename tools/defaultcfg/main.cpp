// Writes a first settings file so the game can be played before the
// configuration program has been run: the same fresh settings the
// configuration program starts from (pads first, the large window, the
// playable keyboard keys). An existing file is never touched.
//
//   qorv_defaultcfg <path of dbcfg.sai>
#include <cstdio>

#include "config/CfgIni.h"
#include "platform/Files.h"

int main(int argc, char** argv) {
  plat::KeepRunningWhenOutputCloses();
  if (argc != 2) {
    std::fprintf(stderr, "usage: qorv_defaultcfg <path of dbcfg.sai>\n");
    return 2;
  }
  if (plat::FileExists(argv[1])) return 0;
  std::string why;
  if (!SaveCfgIni(argv[1], CfgIniDefaults(), &why)) {
    std::fprintf(stderr, "qorv_defaultcfg: cannot write %s (%s)\n", plat::ShowControls(argv[1]).c_str(),
                 why.c_str());
    return 1;
  }
  std::printf("wrote first settings %s\n", argv[1]);
  return 0;
}
