// qorv_matchsim: plays computer-against-computer matches headless, one per
// seed from consecutive seeds, and checks that every one of them ends.
//
// Each match is a watch match with every member on the position of his own
// number. Its two teams and its level come from the seed (or from --teams and
// --level); the game's random sequence is seeded with the seed just before
// the match scene starts, so a seed replays its match step for step. One line
// per match gives the seed, the teams, the level, the steps and the winner;
// the last line gives the median and longest match and the pace. A match
// still running at the step cap fails the run, naming its seed.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "match/HeadlessMatch.h"
#include "platform/Files.h"
#include "shell/GameRandom.h"

namespace {

const char* const kUsage =
    "usage: qorv_matchsim [options]\n"
    "  --seed N       first seed (default 1)\n"
    "  --count N      matches to play, one per seed from the first (default 100)\n"
    "  --cap N        steps after which a match counts as never ending (default 216000,\n"
    "                 one hour of game time)\n"
    "  --teams A B    play teams A and B (0..23) instead of the seed's\n"
    "  --level L      play level L (0 easy, 1 normal, 2 hard) instead of the seed's\n"
    "  --data DIR     game folder holding data/ (default: the one this build lays out)\n"
    "  --help         this text\n"
    "Exits with 1 when a match passes the cap, 2 on a bad option or missing data.\n";

const char* const kLevelName[] = {"easy", "normal", "hard"};

struct Options {
    uint32_t seed = 1;
    int64_t count = 100;
    int64_t cap = 216000;
    int team[2] = {-1, -1};
    int level = -1;
    std::string data = QORV_GAME_FOLDER;
};

// A whole decimal number within lo..hi, or false.
bool Number(const char* s, int64_t lo, int64_t hi, int64_t& out) {
    char* end = nullptr;
    const long long v = std::strtoll(s, &end, 10);
    if (!*s || *end || v < lo || v > hi) return false;
    out = v;
    return true;
}

// Reads the options; false (with the reason printed) on anything unknown,
// missing or out of range. help is set for --help.
bool ParseOptions(int argc, char** argv, Options& o, bool& help) {
    help = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const int left = argc - 1 - i;
        int64_t v = 0, w = 0;
        if (a == "--help") {
            help = true;
        } else if (a == "--seed" && left >= 1 && Number(argv[i + 1], 0, UINT32_MAX, v)) {
            o.seed = uint32_t(v), ++i;
        } else if (a == "--count" && left >= 1 && Number(argv[i + 1], 1, INT32_MAX, v)) {
            o.count = v, ++i;
        } else if (a == "--cap" && left >= 1 && Number(argv[i + 1], 1, INT64_MAX / 2, v)) {
            o.cap = v, ++i;
        } else if (a == "--teams" && left >= 2 && Number(argv[i + 1], 0, DBTEAMS - 1, v) &&
                   Number(argv[i + 2], 0, DBTEAMS - 1, w)) {
            o.team[0] = int(v), o.team[1] = int(w), i += 2;
        } else if (a == "--level" && left >= 1 && Number(argv[i + 1], 0, 2, v)) {
            o.level = int(v), ++i;
        } else if (a == "--data" && left >= 1) {
            o.data = argv[++i];
            if (!o.data.empty() && o.data.back() != '/') o.data += '/';
        } else {
            std::fprintf(stderr, "qorv_matchsim: bad option %s\n%s", a.c_str(), kUsage);
            return false;
        }
    }
    return true;
}

// The teams and level of a seed: a mix of its bits, apart from the game's
// own random sequence (which the match itself draws from).
void DrawMatch(uint32_t seed, const Options& o, int team[2], int& level) {
    uint64_t h = seed + 0x9E3779B97F4A7C15ull;
    h = (h ^ (h >> 30)) * 0xBF58476D1CE4E5B9ull;
    h = (h ^ (h >> 27)) * 0x94D049BB133111EBull;
    h ^= h >> 31;
    team[0] = o.team[0] >= 0 ? o.team[0] : int(h % DBTEAMS);
    team[1] = o.team[1] >= 0 ? o.team[1] : int((h >> 16) % DBTEAMS);
    level = o.level >= 0 ? o.level : int((h >> 32) % 3);
}

}  // namespace

int main(int argc, char** argv) {
  plat::KeepRunningWhenOutputCloses();
    Options o;
    bool help = false;
    if (!ParseOptions(argc, argv, o, help)) return 2;
    if (help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    HeadlessGame game;
    std::string why;
    if (!game.Load(o.data, why)) {
        std::fprintf(stderr, "qorv_matchsim: cannot load the game data of %s: %s\n",
                     o.data.c_str(), why.c_str());
        return 2;
    }

    std::vector<int64_t> steps;
    std::vector<uint32_t> stuck;
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t startCpu = std::clock();
    for (int64_t k = 0; k < o.count; ++k) {
        const uint32_t seed = uint32_t(o.seed + uint64_t(k));
        int team[2], level;
        DrawMatch(seed, o, team, level);
        game.SetUpMatch(2, DBDifficulty(level), team[0], team[1]);
        SetRandSeed(int32_t(seed));
        const MatchOutcome m = game.Play(o.cap);
        steps.push_back(m.Steps);
        std::printf("seed %u  teams %d %d  level %s  steps %lld  ", seed, team[0], team[1],
                    kLevelName[level], static_cast<long long>(m.Steps));
        if (m.Winner < 0) {
            stuck.push_back(seed);
            std::printf("no end\n");
        } else {
            std::printf("winner %d\n", m.Winner);
        }
        std::fflush(stdout);
    }
    // The pace by the wall clock, and by the processor time this program had
    // (the pace on one core of its own when the machine is shared).
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpuSeconds = double(std::clock() - startCpu) / CLOCKS_PER_SEC;
    auto perMinute = [&](double s) { return s > 0 ? o.count * 60.0 / s : 0.0; };

    std::sort(steps.begin(), steps.end());
    std::printf("%lld matches, %s; steps median %lld, longest %lld; %.0f matches a minute "
                "(%.0f a minute of processor time)\n",
                static_cast<long long>(o.count), stuck.empty() ? "all ended" : "NOT all ended",
                static_cast<long long>(steps[steps.size() / 2]),
                static_cast<long long>(steps.back()), perMinute(seconds), perMinute(cpuSeconds));
    for (uint32_t s : stuck)
        std::fprintf(stderr, "qorv_matchsim: seed %u passed the cap of %lld steps\n", s,
                     static_cast<long long>(o.cap));
    return stuck.empty() ? 0 : 1;
}
