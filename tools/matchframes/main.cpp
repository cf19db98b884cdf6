// qorv_matchframes: plays the game headless from the title through the menus
// into watch matches and prints one line per presented frame: the frame-loop
// call, the scene and a 64-bit hash of the frame's pixels. Two builds that
// draw the same pictures print the same lines, so `diff` compares them frame
// for frame.
//
//   qorv_matchframes <game folder> [frame-loop calls, 3000 when not given]
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/Files.h"
#include "tools/matchframes/HeadlessGame.h"

namespace {

const char* const kUsage =
    "usage: qorv_matchframes <game folder> [frame-loop calls]\n"
    "  Plays from the title into watch matches for the given frame-loop calls\n"
    "  (3000 when not given) and prints the call, the scene and the frame's hash\n"
    "  for every presented frame.\n"
    "  --help  this text\n"
    "Exits with 1 when the game cannot start or stops with an error, 2 when no\n"
    "game folder is given.\n";

uint64_t FrameHash(const std::vector<uint32_t>& px) {
  uint64_t h = 1469598103934665603ull;  // FNV-1a over the colour bytes
  for (uint32_t p : px)
    for (int i = 0; i < 3; ++i) h = (h ^ ((p >> (8 * i)) & 0xFF)) * 1099511628211ull;
  return h;
}

}  // namespace

int main(int argc, char** argv) {
  plat::KeepRunningWhenOutputCloses();
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--help") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
  if (argc < 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const int calls = argc > 2 ? std::atoi(argv[2]) : 3000;
  HeadlessGame game(argv[1]);
  if (!game.Ok()) {
    std::fprintf(stderr, "qorv_matchframes: %s\n", game.Error().c_str());
    return 1;
  }
  uint64_t presents = game.Host().Presents;
  for (int i = 0; i < calls && game.Ok(); ++i) {
    const int scene = game.Scene();
    game.Frame();
    if (game.Host().Presents == presents) continue;
    presents = game.Host().Presents;
    std::printf("%6d %2d %016llx\n", i, scene,
                static_cast<unsigned long long>(FrameHash(game.Host().LastFrame)));
  }
  if (!game.Ok()) {
    std::fprintf(stderr, "qorv_matchframes: %s\n", game.Error().c_str());
    return 1;
  }
  return 0;
}
