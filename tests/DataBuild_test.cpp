// The data build end to end over the authored sources: every archive passes the
// checks the game's loaders make, and its entries hold the authored records.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <memory>
#include <string>

#include "files/QDArc.h"
#include "shell/GlbConst.h"
#include "shell/SAIData.h"
#include "tools/databuild/DataBuild.h"

using namespace databuild;

namespace {

// Stand-ins for the shell routines: a tuning table with the unit factor set,
// and names as the bytes of their first characters.
GameHooks StubHooks() {
    GameHooks h;
    h.loadTuningIni = [](const std::string&) -> std::optional<std::vector<uint8_t>> {
        CstDB db{};
        db.DBETC.FCTOSAIMAG = 320;
        const uint8_t* p = reinterpret_cast<const uint8_t*>(&db);
        return std::vector<uint8_t>(p, p + sizeof(db));
    };
    h.toNameCodes = [](std::string_view s) {
        DTNameArr a{};
        for (size_t i = 0; i < a.size() && i < s.size(); ++i) a[i] = uint8_t(s[i]);
        return a;
    };
    return h;
}

class DataBuildTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("qorv_databuild_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
        ReadSources(std::string(QORV_SOURCE_DIR) + "/assets", StubHooks(), *tables, errors);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::unique_ptr<TMemoryStream> Load(const std::string& file) {
        auto s = std::make_unique<TMemoryStream>();
        EXPECT_TRUE(s->LoadFromFile((dir / file).string()));
        return s;
    }

    std::filesystem::path dir;
    std::unique_ptr<GameTables> tables = std::make_unique<GameTables>();
    Errors errors;
};

TEST_F(DataBuildTest, ArchivesPassTheLoadersChecksAndHoldEveryTable) {
    ASSERT_TRUE(errors.empty()) << errors.front();
    for (const ArchiveSpec& a : PlanArchives(*tables)) {
        std::string error;
        ASSERT_TRUE(WriteArchive(a, dir.string(), error)) << error;
    }
    struct Expect {
        const char* file;
        const char* tag;
        uint8_t v0, v1, v2;
    } archives[] = {{"DBData.qx2", "DBDT", 0, 0, 0}, {"pal.qx2", "PAL", 0, 1, 0},
                    {"defteam.qx2", "DEFT", 0, 0, 1}};
    for (const Expect& e : archives) {
        auto s = Load(e.file);
        EXPECT_TRUE(CheckFileHash(*s, 8)) << e.file;
        EXPECT_TRUE(CheckFileSignVer(*s, e.tag, e.v0, e.v1, e.v2)) << e.file;
    }
    const std::string db = (dir / "DBData.qx2").string();
    const std::pair<const char*, size_t> sizes[] = {
        {"dbini.sai", 556},       {"dbini2.sai", 556},     {"DBBMPData.sai", 8192},
        {"DBMotionData.sai", 36864}, {"DBRankdata.sai", 3204}, {"DBRankdata2.sai", 3204},
        {"DBShootdata.sai", 2268}};
    for (auto [name, size] : sizes) {
        auto entry = ExtractFromQDAFile(db, name);
        ASSERT_TRUE(entry) << name;
        EXPECT_EQ(size_t(entry->Size()), size) << name;
    }
    auto motions = ExtractFromQDAFile(db, "DBMotionData.sai");
    EXPECT_EQ(std::memcmp(motions->Memory(), tables->motions, sizeof(tables->motions)), 0);
    auto pal = ExtractFromQDAFile((dir / "pal.qx2").string(), "dbpal1.pal");
    ASSERT_TRUE(pal);
    EXPECT_EQ(pal->Size(), 778);

    // A default-team entry is the member record's first 232 bytes behind a header.
    const std::string teams = (dir / "defteam.qx2").string();
    for (int i : {0, 100, 167}) {
        char name[16];
        std::snprintf(name, sizeof(name), "def%03d.dbch", i);
        auto entry = ExtractFromQDAFile(teams, name);
        ASSERT_TRUE(entry) << name;
        auto record = ExtractFromQDASAIStreamDB(*entry);
        ASSERT_TRUE(record) << name;
        ASSERT_EQ(record->Size(), 232);
        EXPECT_EQ(std::memcmp(record->Memory(), &tables->members[i / 7][i % 7], 232), 0) << name;
    }
    EXPECT_FALSE(ExtractFromQDAFile(teams, "def168.dbch"));
}

TEST_F(DataBuildTest, TheTuningAndFrameLoadersReadTheArchiveBack) {
    ASSERT_TRUE(errors.empty()) << errors.front();
    for (const ArchiveSpec& a : PlanArchives(*tables)) {
        std::string error;
        ASSERT_TRUE(WriteArchive(a, dir.string(), error)) << error;
    }
    // Tuning table, both rules.
    auto db = Load("DBData.qx2");
    TGlbConst gc(false);
    ASSERT_EQ(gc.LoadFromArchive(*db, false), TGlbConst::Load::Ok);
    EXPECT_EQ(gc.DB.DBETC.FCTOSAIMAG, 320);
    db->SetPosition(0);
    ASSERT_EQ(gc.LoadFromArchive(*db, true), TGlbConst::Load::Ok);

    // Frame and motion tables: the level shot releases on its second frame
    // from the throw-release pose, whose hand is in front of the body.
    db->SetPosition(0);
    auto g = std::make_unique<TGrpData>();
    ASSERT_EQ(g->LoadFromArchive(*db), TableLoad::Ok);
    const DBBMFrameData& release = g->MotionFrame(13, 1);
    EXPECT_TRUE(release.Ani.ActP_f);
    EXPECT_EQ(release.Ani.BmpNo, 18);
    EXPECT_EQ(release.Ani.Time, 6);
    EXPECT_EQ(g->FrameRow(18).IX, 27);
    EXPECT_EQ(g->FrameRow(18).IY, 12);
    EXPECT_TRUE(g->MotionFrame(1, 3).Ani.Last_f);
    EXPECT_EQ(g->MotionFrame(1, 3).Ani.LoopP, 2);  // the walk loops for ever
    EXPECT_EQ(g->MotionFrame(8, 0).Kurai.H, 8);   // lying down is low

    // A loose file that cannot be written says why.
    std::filesystem::create_directory(dir / "db.ini");
    std::string error;
    EXPECT_FALSE(WriteLooseFiles(*tables, std::string(QORV_SOURCE_DIR) + "/assets", dir.string(), error));
    EXPECT_NE(error.find("db.ini: cannot be written (create: the name is a folder)"), std::string::npos)
        << error;
}

TEST_F(DataBuildTest, TeamRowsNeedTheirColumnsAndNamesTheGameCanHold) {
    // A row without the data build's extra columns, and a name the code table
    // would not hold, are both refused.
    GameHooks hooks = StubHooks();
    hooks.fromNameCodes = [](const DTNameArr&) { return std::string("??"); };
    Errors e;
    ReadTeams("ab,1,2,3,40,5,5,5,5,5,5,5,1,1,0,0,0,0\nab,1,2,3,40,5,5,5,5,5,5,5,1,1,0,0,0,0,4,cd,ef\n",
              hooks, *tables, e);
    EXPECT_NE(e[0].find("2 member rows"), std::string::npos) << e[0];
    EXPECT_NE(e[1].find("team 0 member 0: the row needs 21 columns"), std::string::npos) << e[1];
    EXPECT_NE(e[2].find("team 0 member 1: the name in column 1"), std::string::npos) << e[2];
}

TEST_F(DataBuildTest, CharacterPicturesArePackedWhenPresent) {
    Errors e;
    EXPECT_FALSE(PlanCharArchive(dir.string(), e));  // no pictures yet: nothing to pack
    EXPECT_TRUE(e.empty());
    for (const char* name : {"dballface.png", "dbbody.png", "dbface00.png", "dbface01.png"}) {
        std::FILE* f = std::fopen((dir / name).string().c_str(), "wb");
        std::fputs(name, f);
        std::fclose(f);
    }
    auto c = PlanCharArchive(dir.string(), e);
    ASSERT_TRUE(c);
    ASSERT_EQ(e.size(), 1u);  // dballbody.png is missing
    EXPECT_NE(e[0].find("dballbody.png"), std::string::npos);
    EXPECT_EQ(c->names, (std::vector<std::string>{"dballface.png", "dbbody.png", "dbface00.png",
                                                  "dbface01.png"}));
    std::string error;
    ASSERT_TRUE(WriteArchive(*c, dir.string(), error)) << error;
    auto body = ExtractFromQDAFile((dir / "char.qx2").string(), "dbbody.png");
    ASSERT_TRUE(body);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(body->Memory()), body->Size()), "dbbody.png");
}

}  // namespace

namespace {

// The whole build over the sources with the game's own routines: what the
// build runs before it writes anything.
class DataBuildProgramTest : public DataBuildTest {
protected:
    void SetUp() override {
        DataBuildTest::SetUp();
        std::filesystem::copy(std::string(QORV_SOURCE_DIR) + "/assets", dir / "assets",
                              std::filesystem::copy_options::recursive);
    }
    Errors Build() {
        auto t = std::make_unique<GameTables>();
        Errors e;
        ReadSources((dir / "assets").string(), GameRoutines(), *t, e);
        if (e.empty()) e = Validate(*t);
        built = std::move(t);
        return e;
    }
    void Replace(const char* file, const std::string& from, const std::string& to) {
        const auto path = dir / "assets" / file;
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        std::string text = s.str();
        size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        text.replace(at, from.size(), to);
        std::ofstream(path, std::ios::binary) << text;
    }
    std::unique_ptr<GameTables> built;
};

TEST_F(DataBuildProgramTest, AuthoredSourcesPassAndTheTuningTableHoldsTheDefaults) {
    Errors e = Build();
    ASSERT_TRUE(e.empty()) << e.front();
    const CstDB defaults = CstDefaults();
    ASSERT_EQ(built->tuning[0].size(), sizeof(defaults));
    EXPECT_EQ(std::memcmp(built->tuning[0].data(), &defaults, sizeof(defaults)), 0);
    CstDB slow{};
    std::memcpy(&slow, built->tuning[1].data(), sizeof(slow));
    EXPECT_EQ(slow.DBJP.GRV, 12);
    EXPECT_EQ(slow.DBETC.FCTOSAIMAG, 320);
}

TEST_F(DataBuildProgramTest, BrokenSourcesAreRefusedWithTheirPlace) {
    Replace("DBMotionData.txt", "throw-follow t=8 last", "throw-follow t=8");
    Replace("DBCharData.csv", "tier 0)\n", "tier 0)\n//");  // the first member row becomes a comment
    Errors e = Build();
    ASSERT_FALSE(e.empty());
    EXPECT_NE(e[0].find("167 member rows"), std::string::npos) << e[0];

    Replace("DBCharData.csv", "tier 0)\n//", "tier 0)\n");
    e = Build();
    ASSERT_FALSE(e.empty());
    EXPECT_NE(e[0].find("motion 13 (Sh): frames from 0 run past frame 6"), std::string::npos) << e[0];

    Replace("DBMotionData.txt", "throw-follow t=8", "throw-follow t=8 last");
    Replace("db.ini", "FCTOSAIMAG=320", "FCTOSAIMAG=0");
    e = Build();
    ASSERT_FALSE(e.empty());
    EXPECT_NE(e[0].find("db.ini: the tuning table could not be read"), std::string::npos) << e[0];
}

}  // namespace
