// Loading the tuning table and the frame and motion tables from archives
// built in memory.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "files/QDArc.h"
#include "platform/Files.h"
#include "shell/GlbConst.h"
#include "shell/SAIData.h"
#include "shell/zimraLib.h"

namespace {

std::vector<uint8_t> Bytes(const CstDB& db, size_t n = sizeof(CstDB)) {
    std::vector<uint8_t> b(n);
    std::memcpy(b.data(), &db, std::min(n, sizeof db));
    return b;
}

TMemoryStream Archive(const std::vector<std::pair<std::string, std::vector<uint8_t>>>& entries,
                      std::string_view tag = "DBDT", uint8_t v0 = 0) {
    std::vector<std::span<const uint8_t>> src;
    std::vector<std::string> ids;
    for (auto& [id, data] : entries) {
        ids.push_back(id);
        src.emplace_back(data);
    }
    std::string err;
    auto img = BuildQDAArchive(tag, v0, 0, 0, src, ids, true, &err);
    EXPECT_TRUE(img) << err;
    return TMemoryStream(img ? *img : std::vector<uint8_t>{});
}

CstDB WithSwitches() {
    CstDB db = CstDefaults();
    db.DBDBG.ALLHS_F = 1;
    db.DBDBG.NODAMAGE_F = 1;
    return db;
}

TEST(TuningLoad, FullEntryLoadsWithEverySwitchOff) {
    TGlbConst gc(false);
    auto ar = Archive({{"dbini.sai", Bytes(WithSwitches())}});
    EXPECT_EQ(gc.LoadFromArchive(ar, false), TGlbConst::Load::Ok);
    EXPECT_EQ(gc.DB.DBJP.BY, 420);
    EXPECT_EQ(gc.DB.DBCPU.ACTWAITG, 10);
    EXPECT_EQ(gc.DB.DBDBG.ALLHS_F, 0);
    EXPECT_EQ(gc.DB.DBDBG.NODAMAGE_F, 0);
    EXPECT_TRUE(gc.Usable());
}

TEST(TuningLoad, ShortEntryLeavesZerosAndIsRefused) {
    TGlbConst gc(false);
    gc.DB = CstDefaults();
    auto ar = Archive({{"dbini.sai", Bytes(CstDefaults(), 100)}});
    EXPECT_EQ(gc.LoadFromArchive(ar, false), TGlbConst::Load::BadTable);
    EXPECT_EQ(gc.DB.DBJP.GRV, 18);
    EXPECT_EQ(gc.DB.DBB.BWMAXDY, 0);  // offset 112, past the entry
    EXPECT_EQ(gc.DB.DBETC.FCTOSAIMAG, 0);
}

TEST(TuningLoad, SlowRuleReplacesEveryField) {
    CstDB slow{};
    slow.DBJP.GRV = 9;
    slow.DBETC.FCTOSAIMAG = 200;  // offset 440: the entry covers it
    auto ar = Archive({{"dbini.sai", Bytes(CstDefaults())}, {"dbini2.sai", Bytes(slow, 448)}});
    TGlbConst gc(false);
    ASSERT_EQ(gc.LoadFromArchive(ar, false), TGlbConst::Load::Ok);
    EXPECT_EQ(gc.LoadFromArchive(ar, true), TGlbConst::Load::Ok);  // 448 bytes, unit factor in
    EXPECT_TRUE(gc.Slow_f);
    EXPECT_EQ(gc.DB.DBJP.GRV, 9);
    EXPECT_EQ(gc.DB.DBJP.BY, 0);
    EXPECT_EQ(gc.DB.DBETC.FCTOSAIMAG, 200);
    EXPECT_EQ(gc.DB.DBLAYOUT_1.BASEX, 0);  // past the entry
    EXPECT_EQ(gc.DB.DBCPU.PASSRATIO, 0);
}

TEST(TuningLoad, FailedChecksKeepTheTableAndItsSwitches) {
    TGlbConst gc(false);
    gc.DB = WithSwitches();
    CstDB other = CstDefaults();
    other.DBJP.GRV = 77;

    auto damaged = Archive({{"dbini.sai", Bytes(other)}});
    damaged.Memory()[damaged.Size() - 1] ^= 0x40;
    EXPECT_EQ(gc.LoadFromArchive(damaged, false), TGlbConst::Load::BadArchive);
    auto wrongTag = Archive({{"dbini.sai", Bytes(other)}}, "PAL");
    EXPECT_EQ(gc.LoadFromArchive(wrongTag, false), TGlbConst::Load::BadArchive);
    auto wrongVer = Archive({{"dbini.sai", Bytes(other)}}, "DBDT", 1);
    EXPECT_EQ(gc.LoadFromArchive(wrongVer, false), TGlbConst::Load::BadArchive);
    TMemoryStream empty;
    EXPECT_EQ(gc.LoadFromArchive(empty, false), TGlbConst::Load::BadArchive);

    EXPECT_EQ(gc.DB.DBJP.GRV, 18);
    EXPECT_EQ(gc.DB.DBDBG.ALLHS_F, 1);
}

TEST(TuningLoad, MissingEntryIsAFailureNotACrash) {
    TGlbConst gc(false);
    gc.DB = CstDefaults();
    auto ar = Archive({{"DBBMPData.sai", std::vector<uint8_t>(16, 1)}});
    EXPECT_EQ(gc.LoadFromArchive(ar, false), TGlbConst::Load::NoEntry);
    EXPECT_FALSE(gc.Usable());
    EXPECT_EQ(gc.DB.DBJP.GRV, 0);
}

TEST(TuningLoad, ZeroUnitFactorIsRefused) {
    CstDB db = CstDefaults();
    db.DBETC.FCTOSAIMAG = 0;
    auto ar = Archive({{"dbini.sai", Bytes(db)}});
    TGlbConst gc(false);
    EXPECT_EQ(gc.LoadFromArchive(ar, false), TGlbConst::Load::BadTable);
}

// The shipped way finds the archive under the program folder.
class InFolder : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("qorv_tables_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                "_" + std::to_string(std::random_device{}()));
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_ / "data");
        plat::SetProgramFolder(dir_.string() + "/");
    }
    void TearDown() override {
        plat::SetProgramFolder("");
        std::filesystem::remove_all(dir_);
    }
    void WriteArchive(TMemoryStream& ar) {
        ASSERT_TRUE(ar.SaveToFile((dir_ / "data" / "DBData.qx2").string()));
    }
    std::filesystem::path dir_;
};

TEST_F(InFolder, MissingArchiveKeepsTheTableButNotItsSwitches) {
    TGlbConst gc(false);
    gc.DB = WithSwitches();
    EXPECT_EQ(gc.IOIniShipped(true, false), TGlbConst::Load::NoFile);
    EXPECT_EQ(gc.DB.DBJP.GRV, 18);
    EXPECT_EQ(gc.DB.DBDBG.ALLHS_F, 0);
    // Storing does nothing in the shipped game.
    EXPECT_EQ(gc.IOIniShipped(false, false), TGlbConst::Load::Ok);
    EXPECT_TRUE(gc.CommentRead_f);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "dbini.sai"));
}

TEST_F(InFolder, FirstLoadWithoutAnArchiveHalts) {
    TGlobal glb(nullptr, BuildFlags{true, false});
    TGlbConst gc(&glb);
    EXPECT_EQ(gc.LastLoad, TGlbConst::Load::NoFile);
    EXPECT_FALSE(gc.Usable());
    EXPECT_TRUE(glb.Halt_f);
    EXPECT_EQ(glb.ErrMsg, "File Not Found");
}

TEST_F(InFolder, ShortEntryWithItsUnitFactorPlaysOn) {
    auto ar = Archive({{"dbini.sai", Bytes(CstDefaults(), 448)}});
    WriteArchive(ar);
    TGlobal glb(nullptr, BuildFlags{true, false});
    TGlbConst gc(&glb);
    EXPECT_EQ(gc.LastLoad, TGlbConst::Load::Ok);
    EXPECT_FALSE(glb.Halt_f);
    EXPECT_EQ(gc.DB.DBCPU.PASSRATIO, 0);
}

TEST_F(InFolder, ReloadWithoutAnArchiveKeepsAUsableTable) {
    TGlobal glb(nullptr, BuildFlags{true, false});
    TGlbConst gc(&glb, false);
    gc.DB = CstDefaults();
    EXPECT_EQ(gc.IOIni(true, true), TGlbConst::Load::NoFile);
    EXPECT_FALSE(glb.Halt_f);
    EXPECT_EQ(gc.DB.DBJP.GRV, 18);
}

TEST_F(InFolder, MissingEntryHalts) {
    auto ar = Archive({{"DBBMPData.sai", std::vector<uint8_t>(16, 1)}});
    WriteArchive(ar);
    TGlobal glb(nullptr, BuildFlags{true, false});
    TGlbConst gc(&glb);
    EXPECT_EQ(gc.LastLoad, TGlbConst::Load::NoEntry);
    EXPECT_EQ(glb.ErrMsg, "File Ver Err");
}

TEST_F(InFolder, CreatingTheTableLoadsTheNormalRule) {
    auto ar = Archive({{"dbini.sai", Bytes(WithSwitches())}});
    WriteArchive(ar);
    TGlobal glb(nullptr, BuildFlags{true, false});
    TGlbConst gc(&glb);
    EXPECT_EQ(gc.LastLoad, TGlbConst::Load::Ok);
    EXPECT_FALSE(glb.Halt_f);
    EXPECT_FALSE(gc.Slow_f);
    EXPECT_EQ(gc.DB.DBETC.FCTOSAIMAG, 320);
    EXPECT_EQ(gc.DB.DBDBG.ALLHS_F, 0);
}

TEST_F(InFolder, FrameAndMotionTablesFromTheArchive) {
    std::vector<uint8_t> frames(4096, 0x11);
    std::vector<uint8_t> motions(DBMOTION_BYTES, 0);
    motions[288 * 3 + 32 + 36 * 2] = 0x34;  // motion 3, frame 2, BmpNo low byte
    motions[288 * 3 + 32 + 36 * 2 + 1] = 0x01;
    auto ar = Archive({{"DBBMPData.sai", frames}, {"DBMotionData.sai", motions}});
    WriteArchive(ar);
    auto g = std::make_unique<TGrpData>();
    g->DBBMPData[300].FaceNo = 5;
    EXPECT_EQ(g->LoadDtShipped(), TableLoad::Ok);
    EXPECT_EQ(g->DBBMPData[255].FaceNo, 0x11);
    EXPECT_EQ(g->DBBMPData[256].FaceNo, 0);
    EXPECT_EQ(g->DBBMPData[300].FaceNo, 0);
    EXPECT_EQ(g->DBBsmData[3].Frame[2].Ani.BmpNo, 0x134);
}

TEST(FrameLoad, FailuresKeepOrClearAsStated) {
    auto g = std::make_unique<TGrpData>();
    g->DBBMPData[7].FaceNo = 3;
    g->DBBsmData[7].Name[0] = 'K';
    auto bad = Archive({{"DBBMPData.sai", std::vector<uint8_t>(16, 9)}}, "DBDX");
    EXPECT_EQ(g->LoadFromArchive(bad), TableLoad::BadArchive);
    EXPECT_EQ(g->DBBMPData[7].FaceNo, 3);
    // The motion entry is missing: its table is cleared, never read from nothing.
    auto partial = Archive({{"DBBMPData.sai", std::vector<uint8_t>(16, 9)}});
    EXPECT_EQ(g->LoadFromArchive(partial), TableLoad::NoEntry);
    EXPECT_EQ(g->DBBMPData[0].FaceNo, 9);
    EXPECT_EQ(g->DBBMPData[7].FaceNo, 0);
    EXPECT_EQ(g->DBBsmData[7].Name[0], 0);
}

}  // namespace

namespace {

TEST_F(InFolder, TablesLackingAnEntryHaltTheGame) {
    auto ar = Archive({{"DBMotionData.sai", std::vector<uint8_t>(288, 1)}});
    WriteArchive(ar);
    TGlobal glb(nullptr, BuildFlags{true, false});
    auto g = std::make_unique<TGrpData>();
    EXPECT_EQ(g->LoadDt(&glb), TableLoad::NoEntry);
    EXPECT_TRUE(glb.Halt_f);
    EXPECT_EQ(glb.ErrMsg, "File Ver Err");
    EXPECT_EQ(g->DBBsmData[0].Name[0], 1);
}

TEST_F(InFolder, AuthoringTablesFromLooseFiles) {
    std::vector<uint8_t> frames(DBBMP_BYTES, 3);
    ASSERT_TRUE(plat::WriteFile(plat::ProgramFolder() + "data/DBBMPData.sai", frames.data(), frames.size()));
    std::vector<uint8_t> motions(1000, 4);  // short: the rest reads as zero
    ASSERT_TRUE(plat::WriteFile(plat::ProgramFolder() + "data/DBMotionData.sai", motions.data(), motions.size()));
    TGlobal glb(nullptr, BuildFlags{true, true});
    auto g = std::make_unique<TGrpData>();
    g->DBBsmData[100].Name[0] = 'x';
    EXPECT_EQ(g->LoadDt(&glb), TableLoad::Short);
    EXPECT_FALSE(glb.Halt_f);
    EXPECT_EQ(g->DBBMPData[511].SrcSize, 3);
    EXPECT_EQ(g->DBBsmData[0].Name[0], 4);
    EXPECT_EQ(g->DBBsmData[100].Name[0], 0);
    // A missing loose file leaves its table as it was.
    std::filesystem::remove(dir_ / "data" / "DBBMPData.sai");
    g->DBBMPData[5].FaceNo = 42;
    testing::internal::CaptureStderr();
    EXPECT_EQ(g->LoadDtAuthoring(), TableLoad::NoFile);
    EXPECT_NE(testing::internal::GetCapturedStderr().find(
                  "DBBMPData.sai: missing; the match plays without its frame table (databuild --loose writes it)"),
              std::string::npos);
    EXPECT_EQ(g->DBBMPData[5].FaceNo, 42);
}

}  // namespace
