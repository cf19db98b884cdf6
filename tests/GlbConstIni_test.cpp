// The authoring build's tuning table: the round trip through the commented
// ini file and the record file it writes.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "platform/Files.h"
#include "shell/GlbConst.h"
#include "shell/zimraLib.h"

namespace {

class AuthoringIni : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               (std::string("qorv_ini_") + ::testing::UnitTest::GetInstance()->current_test_info()->name() +
                "_" + std::to_string(std::random_device{}()));
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_ / "data");
        plat::SetProgramFolder(dir_.string() + "/");
    }
    void TearDown() override {
        plat::SetProgramFolder("");
        std::filesystem::remove_all(dir_);
    }
    std::string Read(const char* name) {
        auto b = plat::ReadFile((dir_ / name).string());
        return b ? std::string(b->begin(), b->end()) : std::string();
    }
    static size_t Count(const std::string& text, const std::string& what) {
        size_t n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
        return n;
    }
    TGlobal glb{nullptr, BuildFlags{true, true}};
    std::filesystem::path dir_;
};

TEST_F(AuthoringIni, MissingIniGivesTheAuthoringDefaults) {
    TGlbConst gc(&glb);
    EXPECT_EQ(gc.LastLoad, TGlbConst::Load::Ok);
    EXPECT_FALSE(glb.Halt_f);
    CstDB defaults = CstDefaults();
    EXPECT_EQ(std::memcmp(&gc.DB, &defaults, sizeof defaults), 0);
    EXPECT_NE(gc.DBIni, nullptr);
}

TEST_F(AuthoringIni, StoreWritesCommentedIniAndRecordThatReadBack) {
    {
        TGlbConst gc(&glb);
        gc.DB.DBNAIYA.IPOSITV = 11;
        gc.DB.DBGAIYA.OPOSITV = 22;
        gc.DB.DBDAM.XWALLABSDX = -7;
        gc.DB.DBDBG.CPUNOCATCH_F = 1;
    }  // freeing stores the table
    std::string ini = Read("data/db.ini");
    ASSERT_FALSE(ini.empty());
    size_t naiya = ini.find("[DBNAIYA]"), gaiya = ini.find("[DBGAIYA]"), shoot = ini.find("[DBSHOOT]");
    ASSERT_NE(naiya, std::string::npos);
    ASSERT_NE(gaiya, std::string::npos);
    EXPECT_EQ(ini.find("POSITV=11"), ini.find("POSITV=", naiya));
    EXPECT_LT(ini.find("POSITV=11"), gaiya);
    size_t outer = ini.find("POSITV=22");
    EXPECT_TRUE(outer > gaiya && outer < shoot);
    // Section comment "◆ ドッジCPU定数 ◆" in Shift-JIS, in front of its section.
    const std::string cpu = "\x81\x9F \x83h\x83" "b\x83W" "CPU" "\x92\xE8\x90\x94 \x81\x9F";
    size_t cpuComment = ini.find(cpu);
    ASSERT_NE(cpuComment, std::string::npos);
    EXPECT_LT(cpuComment, ini.find("[DBCPU]"));
    // Key comment of GRV, "重力（通常）", written once.
    EXPECT_EQ(Count(ini, "\x8F" "d\x97\xCD\x81i\x92\xCA\x8F\xED\x81j"), 1u);

    auto record = plat::ReadFile((dir_ / "dbini.sai").string());
    ASSERT_TRUE(record);
    ASSERT_EQ(record->size(), 556u);

    TGlbConst back(&glb);
    EXPECT_EQ(back.DB.DBNAIYA.IPOSITV, 11);
    EXPECT_EQ(back.DB.DBGAIYA.OPOSITV, 22);
    EXPECT_EQ(back.DB.DBDAM.XWALLABSDX, -7);
    EXPECT_EQ(back.DB.DBB.XWALLABSDX, 50);
    EXPECT_EQ(back.DB.DBDBG.CPUNOCATCH_F, 1);  // the authoring build keeps its switches
    EXPECT_EQ(std::memcmp(record->data(), &back.DB, 556), 0);
}

TEST_F(AuthoringIni, SlowRuleUsesItsOwnFilesAndCommentsAreWrittenOnce) {
    {
        TGlbConst gc(&glb);
        gc.IOIni(true, true);
        EXPECT_TRUE(gc.Slow_f);
        gc.DB.DBJP.GRV = 5;
    }
    EXPECT_TRUE(std::filesystem::exists(dir_ / "data" / "db2.ini"));
    EXPECT_TRUE(std::filesystem::exists(dir_ / "dbini2.sai"));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "data" / "db.ini"));
    {
        TGlbConst gc(&glb, false);
        gc.IOIni(true, true);
        EXPECT_EQ(gc.DB.DBJP.GRV, 5);
        gc.IOIni(false, true);
        gc.IOIni(false, true);
    }
    std::string ini = Read("data/db2.ini");
    EXPECT_EQ(Count(ini, "[DBJP]"), 1u);
    EXPECT_EQ(Count(ini, "\x8F" "d\x97\xCD\x81i\x92\xCA\x8F\xED\x81j"), 1u);
    EXPECT_EQ(Count(ini, "\x81\x9F \x83h\x83" "b\x83W" "CPU"), 1u);
}

TEST_F(AuthoringIni, HandWrittenValuesAndSwitches) {
    std::string text =
        "[DBETC]\r\nFCTOSAIMAG=250\r\n[DBDBG]\r\nALLHS_F=5\r\nNODAMAGE_F=0\r\n[DBJP]\r\nGRV=abc\r\n";
    ASSERT_TRUE(plat::WriteFile((dir_ / "data" / "db.ini").string(), text.data(), text.size()));
    TGlbConst gc(&glb, false);
    ASSERT_TRUE(gc.LoadIniFile((dir_ / "data" / "db.ini").string()));
    EXPECT_EQ(gc.DB.DBETC.FCTOSAIMAG, 250);
    EXPECT_EQ(gc.DB.DBDBG.ALLHS_F, 1);
    EXPECT_EQ(gc.DB.DBJP.GRV, 18);  // not a number: the default
    EXPECT_EQ(gc.DB.DBJP.BY, 420);
    EXPECT_FALSE(gc.LoadIniFile((dir_ / "data" / "none.ini").string()));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "dbini.sai"));  // reading writes nothing

    std::string zero = "[DBETC]\r\nFCTOSAIMAG=0\r\n";
    ASSERT_TRUE(plat::WriteFile((dir_ / "data" / "db.ini").string(), zero.data(), zero.size()));
    EXPECT_FALSE(gc.LoadIniFile((dir_ / "data" / "db.ini").string()));
    TGlbConst halted(&glb);
    EXPECT_TRUE(glb.Halt_f);
}

}  // namespace
