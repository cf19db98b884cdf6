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
#include "graphics/ALAddLib.h"
#include "input/DILib.h"
#include "match/clsBall.h"
#include "platform/Files.h"
#include "shell/GameRandom.h"
#include "shell/GlbConst.h"
#include "shell/GlbRecord.h"
#include "shell/clsGenScene.h"
#include "shell/clsSceneCtrl.h"
#include "sound/OggDataLib.h"
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
        saved = GC;
        table.DB = CstDefaults();
        GC = &table;
        Glb.OC = &OC;
        Glb.ADI = &ADI;
        Glb.FD = &FD;
        SC = std::make_unique<TSceneCtrl>(nullptr, nullptr, nullptr, &ADI, &OC, &Glb);
        SC->DBCharDataLoad();
        SC->DBRankDataLoad();
        SC->DBShootDataLoad();
        ASSERT_EQ(SC->GDt->LoadDtShipped(), TableLoad::Ok);
        ASSERT_FALSE(Glb.Halt_f) << Glb.ErrMsg;
    }
    void TearDown() override {
        SC.reset();
        GC = saved;
        plat::SetProgramFolder("");
        std::filesystem::remove_all(dir);
    }

    // Chooses the sides of the next match (each team's members on the positions
    // in their team order); the test starts it with the scene's OnInit.
    TDBScene* MatchSetUp(int cpuNum, DBDifficulty dif, int team0, int team1) {
        DBGameData& g = SC->SDt->DBGDt;
        g.DBCPUNum = decltype(g.DBCPUNum)(cpuNum);
        g.DBDif = dif;
        g.DBTeamNo[0] = uint8_t(team0);
        g.DBTeamNo[1] = uint8_t(team1);
        for (int s = 0; s < DBSIDES; ++s)
            for (int p = 0; p < DBPOSITIONS; ++p) g.DBCharofP[s][p] = decltype(g.DBCharofP[s][p])(p);
        return dynamic_cast<TDBScene*>(SC->SceneAt(stDB));
    }

    std::filesystem::path dir;
    std::unique_ptr<databuild::GameTables> tables = std::make_unique<databuild::GameTables>();
    TGlbConst* saved = nullptr;
    TGlbConst table{false};
    TGlobalSAI Glb{nullptr};
    TOggDataCtrl OC;
    TFontDraw FD;
    TADISAI ADI{nullptr, &Glb, false};
    std::unique_ptr<TSceneCtrl> SC;
};
