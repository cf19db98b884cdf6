// The authored game data written by the data build for tests, and a scene
// controller that has loaded it (teams, rank, shot, frame and motion tables)
// for whole-match tests.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "files/QDArc.h"
#include "match/HeadlessMatch.h"
#include "match/clsBall.h"
#include "platform/Files.h"
#include "shell/GameRandom.h"
#include "tools/databuild/DataBuild.h"

// Writes the archives the data build makes from assets/ into a data folder
// under a new folder of its own (unique per run, so tests running side by side
// never share it) and makes that the program folder.
inline void WriteAuthoredGameData(std::filesystem::path& dir, databuild::GameTables& tables) {
    namespace fs = std::filesystem;
    using namespace databuild;
    dir = fs::temp_directory_path() / ("qorv_game_" + std::to_string(std::random_device{}()));
    fs::remove_all(dir);
    fs::create_directories(dir / "data");
    Errors errors;
    ReadSources(std::string(QORV_SOURCE_DIR) + "/assets", GameRoutines(), tables, errors);
    ASSERT_TRUE(errors.empty()) << errors.front();
    for (const ArchiveSpec& a : PlanArchives(tables)) {
        std::string error;
        ASSERT_TRUE(WriteArchive(a, (dir / "data").string(), error)) << error;
    }
    // The character pictures' archive is checked at start; these tests draw none.
    const auto chars = BuildQDAArchive("CHAR", 0, 0, 1, {}, {}, true);
    ASSERT_TRUE(plat::WriteFile((dir / "data" / "char.qx2").string(), chars->data(), chars->size()));
    plat::SetProgramFolder(dir.string() + "/");
}

class WholeMatchFixture : public ::testing::Test {
protected:
    void SetUp() override {
        WriteAuthoredGameData(dir, *tables);
        ASSERT_FALSE(HasFatalFailure());
        SetRandSeed(5);
        std::string why;
        ASSERT_TRUE(game.Load(dir.string() + "/", why)) << why;
    }
    void TearDown() override {
        plat::SetProgramFolder("");
        std::filesystem::remove_all(dir);
    }

    // Chooses the sides of the next match (each team's members on the positions
    // in their team order); the test starts it with the scene's OnInit.
    TDBScene* MatchSetUp(int cpuNum, DBDifficulty dif, int team0, int team1) {
        return &game.SetUpMatch(cpuNum, dif, team0, team1);
    }

    std::filesystem::path dir;
    std::unique_ptr<databuild::GameTables> tables = std::make_unique<databuild::GameTables>();
    HeadlessGame game{true};
    TADISAI& ADI = *game.ADI;
    std::unique_ptr<TSceneCtrl>& SC = game.SC;
};
