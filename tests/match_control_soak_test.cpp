// Whole matches between two computer sides on the authored data: the CPU keeps
// throwing, and the aim, the targets and the behaviours stay in range.
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

class ControlSoak : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / "qorv_control_soak";
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

TEST_F(ControlSoak, ComputerSidesKeepThrowingWithTargetsAndAimsInRange) {
    auto* scene = dynamic_cast<TDBScene*>(SC->SceneAt(stDB));
    ASSERT_NE(scene, nullptr);
    for (int seed = 1; seed <= 3; ++seed) {
        SetRandSeed(seed);
        DBGameData& g = SC->SDt->DBGDt;
        g.DBCPUNum = 2;
        g.DBDif = DBDifficulty(seed % 3);
        g.DBTeamNo[0] = uint8_t(seed);
        g.DBTeamNo[1] = uint8_t(seed + 5);
        for (int s = 0; s < DBSIDES; ++s)
            for (int p = 0; p < DBPOSITIONS; ++p) g.DBCharofP[s][p] = p;
        scene->OnInit();
        TAllObTx& aot = *SC->AOT;
        int throws = 0;
        int crouch[DBSIDES][DBPOSITIONS] = {};
        DBBallMotionType last = aot.DBBallSt.Motion;
        for (int step = 0; step < 4000; ++step) {
            scene->OnMove();
            const DBBallState& b = aot.DBBallSt;
            if (b.Motion != last && (b.Motion == dbbShoot || b.Motion == dbbPass)) ++throws;
            last = b.Motion;
            if (b.Motion == dbbHold || b.Motion == dbbShoot) {
                ASSERT_GE(b.ShTgPNo, -1) << step;
                ASSERT_LE(b.ShTgPNo, 3) << step;
            }
            if (b.Motion == dbbHold && b.PaTgTNo != -1) {
                ASSERT_EQ(b.PaTgTNo, b.HoldTNo) << step;
                ASSERT_GE(b.PaTgPNo, 0) << step;
                ASSERT_LE(b.PaTgPNo, 6) << step;
            }
            for (int s = 0; s < DBSIDES; ++s)
                for (int p = 0; p < DBPOSITIONS; ++p) {
                    const DBPlayerState& st = aot.ADBPSt[s][p];
                    ASSERT_GE(st.MukiAgl, -1) << step;
                    ASSERT_LE(st.MukiAgl, 7) << step;
                    ASSERT_LE(int(st.Auto.AutoType), int(dbaCPUSht)) << step;
                    // Nobody stays crouched for a jump: it takes off.
                    crouch[s][p] = st.Motion.Mtype == dbmtJCr ? crouch[s][p] + 1 : 0;
                    ASSERT_LT(crouch[s][p], 120) << "seed " << seed << " step " << step;
                }
        }
        EXPECT_GE(throws, 10) << "seed " << seed;
    }
}

}  // namespace
