// databuild <assets folder> <data folder> [--char <picture folder>] [--loose] [--check]
//
// Reads the game's text sources, validates them, and writes DBData.qx2,
// pal.qx2 and defteam.qx2 (and char.qx2 when a picture folder is given) into
// the data folder. --loose also writes the loose files the authoring build
// reads in their place: the ini and CSV sources as they are and the raw frame
// and motion tables. With --check nothing is written. Any source, validation
// or write error is printed and the exit status is 1, so the build stops.
#include <cstdio>
#include <memory>
#include <string>

#include "platform/Files.h"
#include "tools/databuild/DataBuild.h"

using namespace databuild;

namespace {

int Usage() {
    std::fprintf(stderr, "usage: databuild <assets folder> <data folder> "
                         "[--char <picture folder>] [--loose] [--check]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
  plat::KeepRunningWhenOutputCloses();
    if (argc < 3) return Usage();
    const std::string assets = argv[1], data = argv[2];
    std::string pictures;
    bool checkOnly = false, loose = false;
    for (int i = 3; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--check") checkOnly = true;
        else if (a == "--loose") loose = true;
        else if (a == "--char" && i + 1 < argc) pictures = argv[++i];
        else return Usage();
    }

    auto tables = std::make_unique<GameTables>();
    Errors errors;
    ReadSources(assets, GameRoutines(), *tables, errors);
    if (errors.empty()) errors = Validate(*tables);
    std::vector<ArchiveSpec> plan;
    if (errors.empty()) plan = PlanArchives(*tables);
    if (!pictures.empty())
        if (auto c = PlanCharArchive(pictures, errors)) plan.push_back(std::move(*c));
    for (const std::string& e : errors) std::fprintf(stderr, "databuild: %s\n", e.c_str());
    if (!errors.empty()) {
        std::fprintf(stderr, "databuild: %zu problem(s); no data file written\n", errors.size());
        return 1;
    }
    if (checkOnly) return 0;
    for (const ArchiveSpec& a : plan) {
        std::string error;
        if (!WriteArchive(a, data, error)) {
            std::fprintf(stderr, "databuild: %s/%s: %s\n", data.c_str(), a.file.c_str(), error.c_str());
            return 1;
        }
    }
    std::string error;
    if (loose && !WriteLooseFiles(*tables, assets, data, error)) {
        std::fprintf(stderr, "databuild: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
