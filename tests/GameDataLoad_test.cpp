// The data the build writes, read by the game's own shipped loaders in the
// scene controller: authored names, abilities, rank and shot rows and motion
// frames arrive unchanged and nothing halts.
#include <gtest/gtest.h>

#include <random>

#include <filesystem>
#include <memory>
#include <string>

#include "input/DILib.h"
#include "match/clsObject.h"
#include "platform/Files.h"
#include "shell/GameRandom.h"
#include "shell/GlbRecord.h"
#include "shell/clsSceneCtrl.h"
#include "shell/zimraLib.h"
#include "sound/OggDataLib.h"
#include "tests/MatchSoakKit.h"
#include "tools/databuild/DataBuild.h"

namespace fs = std::filesystem;
using namespace databuild;

namespace {

class GameDataLoadTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteAuthoredGameData(dir, *tables);
        ASSERT_FALSE(HasFatalFailure());
        SetRandSeed(5);
        Glb.OC = &OC;
        Glb.ADI = &ADI;
    }
    void TearDown() override {
        SC.reset();
        plat::SetProgramFolder("");
        fs::remove_all(dir);
    }

    fs::path dir;
    std::unique_ptr<GameTables> tables = std::make_unique<GameTables>();
    TGlobalSAI Glb{nullptr};
    TOggDataCtrl OC;
    TADISAI ADI{nullptr, &Glb, false};
    std::unique_ptr<TSceneCtrl> SC;
};

TEST_F(GameDataLoadTest, AuthoredValuesArriveThroughTheShippedLoaders) {
    SC = std::make_unique<TSceneCtrl>(nullptr, nullptr, nullptr, &ADI, &OC, &Glb);
    SC->DBCharDataLoad();
    SC->DBRankDataLoad();
    SC->DBShootDataLoad();
    ASSERT_FALSE(Glb.Halt_f) << Glb.ErrMsg;
    TAllObTx& aot = *SC->AOT;

    // Team 3, member 4: the name as codes of the name code table, looks and abilities.
    const auto rows = ReadCsvRows([] {
        auto bytes = plat::ReadFile(std::string(QORV_SOURCE_DIR) + "/assets/DBCharData.csv");
        return std::string(bytes->begin(), bytes->end());
    }());
    const DBCsvRow& row = rows[3 * 7 + 4];
    EXPECT_EQ(aot.ADTCDt[3][4].Name, StrToDTNameArr(row[cccName]));
    EXPECT_EQ(aot.ADTCDt[3][4].Myouji, StrToDTNameArr(row[cceMyouji]));
    EXPECT_EQ(aot.ADTCDt[3][4].Looks.DBFaceNo, CsvInt(row[cccDBFaceNo]));
    EXPECT_EQ(aot.ADTCDt[3][4].Looks.EyeCol, CsvInt(row[cceEyeCol]));
    EXPECT_EQ(aot.ADBPDt[3][4].dHP, CsvInt(row[cccHP]));
    EXPECT_EQ(aot.ADBPDt[3][4].dCaT, CsvInt(row[cccCaT]));
    EXPECT_EQ(aot.ADBPDt[3][4].dSHS2, CsvInt(row[cccSHS2]));
    EXPECT_EQ(aot.ADBPDt[0][0].dHS, tables->members[0][0].DBDt.dHS);

    // Rank row 6 (the top shot level) and the boomerang's shot row.
    EXPECT_EQ(aot.ADBRankDt[6].BP.Lv, 18);
    EXPECT_EQ(aot.ADBRankDt[6].CaT.CaFrm_P, 22);
    EXPECT_EQ(aot.ADBRankDt[0].Gut.RevFrm, 90);
    EXPECT_EQ(aot.ADBShootDt[10].Etc[0], 12);
    EXPECT_EQ(aot.ADBShootDt[10].Spd, 280);

    // The motion table through the frame-data loader: the catch opens its
    // window on the first frame facing neither way (frame 2) and holds long.
    ASSERT_EQ(SC->GDt->LoadDtShipped(), TableLoad::Ok);
    const DBBMFrameData& catching = SC->GDt->MotionFrame(20, 2);
    EXPECT_TRUE(catching.Ani.ActP_f);
    EXPECT_EQ(catching.Ani.Time, 40);
    EXPECT_EQ(SC->GDt->FrameRow(catching.Ani.BmpNo).FaceNo, 2);
}

}  // namespace
