// The sound build: renders the sound sources (assets/sound/*.txt) and writes
// each as Ogg Vorbis into the game's data/wav/se and data/wav/bgm folders.
//
//   qorv_sound_build <source folder> <game data folder>
//
// The game loads effects and music by number until the first missing one, so
// a gap in the numbering is an error here.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "platform/Files.h"
#include "platform/OggVorbisEncode.h"
#include "tools/sound/SoundScript.h"

namespace fs = std::filesystem;

namespace {

bool WriteBytes(const fs::path& p, const std::vector<uint8_t>& b) {
  return plat::WriteFile(p.string(), b.data(), b.size());
}

}  // namespace

int main(int argc, char** argv) {
  plat::KeepRunningWhenOutputCloses();
  if (argc != 3) {
    std::fprintf(stderr, "usage: qorv_sound_build <source folder> <game data folder>\n");
    return 2;
  }
  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator(argv[1]))
    if (e.is_regular_file() && e.path().extension() == ".txt") files.push_back(e.path());
  std::sort(files.begin(), files.end());

  std::vector<soundtool::Sound> sounds;
  for (const auto& f : files) {
    std::ifstream in(f, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    std::string error;
    std::vector<soundtool::Sound> some;
    if (!soundtool::ParseSounds(ss.str(), f.filename().string(), some, error)) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return 1;
    }
    for (auto& s : some) {
      for (const auto& o : sounds)
        if (o.kind == s.kind && o.number == s.number) {
          std::fprintf(stderr, "%s: %s %d is defined twice\n", f.filename().string().c_str(),
                       s.kind.c_str(), s.number);
          return 1;
        }
      sounds.push_back(std::move(s));
    }
  }
  for (const char* kind : {"se", "bgm"}) {
    std::map<int, bool> have;
    for (const auto& s : sounds)
      if (s.kind == kind) have[s.number] = true;
    int expect = 0;
    for (const auto& [n, _] : have) {
      if (n != expect) {
        std::fprintf(stderr, "%s %d is missing: the game would never load %s %d and after\n", kind,
                     expect, kind, n);
        return 1;
      }
      ++expect;
    }
  }

  const fs::path data(argv[2]);
  fs::create_directories(data / "wav" / "se");
  fs::create_directories(data / "wav" / "bgm");
  for (const auto& s : sounds) {
    const std::vector<int16_t> pcm = soundtool::Render(s);
    const int ch = s.stereo ? 2 : 1;
    const float quality = s.kind == "bgm" ? 0.3f : 0.2f;
    std::vector<uint8_t> ogg = plat::EncodeOggVorbis(pcm.data(), pcm.size() / size_t(ch), ch,
                                                     s.rate, quality, {"TITLE=" + s.name});
    if (ogg.empty()) {
      std::fprintf(stderr, "%s %d (%s): the encoder refused it\n", s.kind.c_str(), s.number,
                   s.name.c_str());
      return 1;
    }
    char name[32];
    std::snprintf(name, sizeof name, "%s%03d.ogg", s.kind.c_str(), s.number);
    if (!WriteBytes(data / "wav" / s.kind / name, ogg)) {
      std::fprintf(stderr, "cannot write %s\n", name);
      return 1;
    }
  }
  return 0;
}
