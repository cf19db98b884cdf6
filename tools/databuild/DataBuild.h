// The data build: reads the text sources under assets/, checks them with the
// validator and packs the game's data archives with the game's own archive
// writer.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "shell/DBTextImport.h"
#include "tools/databuild/DataValidator.h"

namespace databuild {

// The game's own routines the build runs (the shell's tuning-table ini loader
// and name conversion), handed in so the build can be tested without them.
struct GameHooks {
    // The 556-byte tuning table read from a commented ini file, or nullopt.
    std::function<std::optional<std::vector<uint8_t>>(const std::string& iniPath)> loadTuningIni;
    DTNameConv toNameCodes;                                     // text -> 8 codes
    std::function<std::string(const DTNameArr&)> fromNameCodes;  // 8 codes -> text
};

// The game's own routines: the tuning table's ini loader (TGlbConst) and the
// name code table (StrToDTNameArr, DTNameArrToStr).
GameHooks GameRoutines();

// The extra columns of a team-member row that only the data build reads.
enum DBCharExtraColumn { cceEyeCol = cccCount, cceMyouji, cceNamae, cceCount };

// Reads every source of `assetsDir` into `t`. Source errors (missing files,
// bad lines, names the name code table cannot hold) are appended to `errors`.
void ReadSources(const std::string& assetsDir, const GameHooks& hooks, GameTables& t,
                 Errors& errors);

// The team sources alone (used by ReadSources; the text is DBCharData.csv).
void ReadTeams(const std::string& text, const GameHooks& hooks, GameTables& t, Errors& errors);

// One archive: its file name under data/, tag, version and entries.
struct ArchiveSpec {
    std::string file;
    std::string tag;
    uint8_t ver[3];
    std::vector<std::string> names;
    std::vector<std::vector<uint8_t>> entries;
    bool compress;
};

// The three data archives built from validated tables.
std::vector<ArchiveSpec> PlanArchives(const GameTables& t);

// The character picture archive from the pictures in `pictureDir`
// (dballface.png, dballbody.png, dbbody.png, dbfaceNN.png); nullopt when the
// folder holds none of them.
std::optional<ArchiveSpec> PlanCharArchive(const std::string& pictureDir, Errors& errors);

// Packs an archive with the game's writer into dataDir/a.file; false with a
// reason in `error` ("cannot be written (create: Permission denied)", ...).
bool WriteArchive(const ArchiveSpec& a, const std::string& dataDir, std::string& error);

// The loose files the authoring build reads instead of the archives: db.ini,
// db2.ini and the four CSV sources copied byte for byte from `assetsDir`, and
// the frame and motion tables raw as DBBMPData.sai and DBMotionData.sai.
// Stops at the first failure; false with a reason in `error`.
bool WriteLooseFiles(const GameTables& t, const std::string& assetsDir, const std::string& dataDir,
                     std::string& error);

}  // namespace databuild
