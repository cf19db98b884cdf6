// A whole match between two computer sides on the authored data: the ball and
// the judgement hold their guarantees step after step.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

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

namespace fs = std::filesystem;
using namespace databuild;

namespace {

class BallSoak : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / "qorv_ball_soak";
        fs::remove_all(dir);
        fs::create_directories(dir / "data");
        Errors errors;
        ReadSources(std::string(QORV_SOURCE_DIR) + "/assets", GameRoutines(), *tables, errors);
        ASSERT_TRUE(errors.empty()) << errors.front();
        for (const ArchiveSpec& a : PlanArchives(*tables)) {
            std::string error;
            ASSERT_TRUE(WriteArchive(a, (dir / "data").string(), error)) << error;
        }
        plat::SetProgramFolder(dir.string() + "/");
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
        fs::remove_all(dir);
    }

    fs::path dir;
    std::unique_ptr<GameTables> tables = std::make_unique<GameTables>();
    TGlbConst* saved = nullptr;
    TGlbConst table{false};
    TGlobalSAI Glb{nullptr};
    TOggDataCtrl OC;
    TFontDraw FD;
    TADISAI ADI{nullptr, &Glb, false};
    std::unique_ptr<TSceneCtrl> SC;
};

TEST_F(BallSoak, ComputerMatchKeepsTheBallInTheHallAndHitPointsOnlyFall) {
    DBGameData& g = SC->SDt->DBGDt;
    g.DBCPUNum = 2;
    g.DBDif = dbdfNomal;
    g.DBTeamNo[0] = 0;
    g.DBTeamNo[1] = 1;
    for (int s = 0; s < DBSIDES; ++s)
        for (int p = 0; p < DBPOSITIONS; ++p) g.DBCharofP[s][p] = p;
    auto* scene = dynamic_cast<TDBScene*>(SC->SceneAt(stDB));
    ASSERT_NE(scene, nullptr);
    scene->OnInit();
    TAllObTx& aot = *SC->AOT;
    const TZahyou& b = *aot.BallZahyou();
    int32_t hp[DBSIDES][DBPOSITIONS];
    for (int s = 0; s < DBSIDES; ++s)
        for (int p = 0; p < DBPOSITIONS; ++p) hp[s][p] = aot.ADBPSt[s][p].HP;
    bool thrown = false;
    for (int step = 0; step < 6000; ++step) {
        scene->OnMove();
        ASSERT_GE(b.X, 0) << step;
        ASSERT_LE(b.X, DBCOURT_W) << step;
        ASSERT_GE(b.Z, 0) << step;
        ASSERT_LE(b.Z, DBCOURT_D) << step;
        // A held ball sits where the holder's frame puts his hands.
        if (aot.DBBallSt.Motion != dbbHold) {
            ASSERT_GE(b.Y, 0) << step;
        }
        ASSERT_LE(b.Y, BALLCEILING) << step;
        thrown |= aot.DBBallSt.Motion == dbbShoot;
        for (int s = 0; s < DBSIDES; ++s)
            for (int p = 0; p < DBPOSITIONS; ++p) {
                ASSERT_LE(aot.ADBPSt[s][p].HP, hp[s][p]) << step;
                hp[s][p] = aot.ADBPSt[s][p].HP;
            }
        const DBBallState& bs = aot.DBBallSt;
        if (bs.Motion == dbbHold) {
            ASSERT_GE(bs.HoldTNo, 0);
            ASSERT_LE(bs.HoldTNo, 1);
            ASSERT_GE(bs.HoldPNo, 0);
            ASSERT_LE(bs.HoldPNo, 6);
        }
    }
    EXPECT_TRUE(thrown);
}

// The computer sides keep the ball moving: many throws in a long match (a
// holder once got caught in an endless jump crouch and never threw).
TEST_F(BallSoak, CPUMatchKeepsThrowing) {
    DBGameData& g = SC->SDt->DBGDt;
    g.DBCPUNum = 2;
    g.DBDif = dbdfNomal;
    g.DBTeamNo[0] = 0;
    g.DBTeamNo[1] = 1;
    for (int s = 0; s < DBSIDES; ++s)
        for (int p = 0; p < DBPOSITIONS; ++p) g.DBCharofP[s][p] = p;
    auto* scene = dynamic_cast<TDBScene*>(SC->SceneAt(stDB));
    ASSERT_NE(scene, nullptr);
    scene->OnInit();
    int throws = 0;
    DBBallMotionType last = SC->AOT->DBBallSt.Motion;
    for (int step = 0; step < 6000; ++step) {
        scene->OnMove();
        DBBallMotionType m = SC->AOT->DBBallSt.Motion;
        if (m != last && (m == dbbShoot || m == dbbPass)) ++throws;
        last = m;
    }
    EXPECT_GE(throws, 10);
}

}  // namespace
