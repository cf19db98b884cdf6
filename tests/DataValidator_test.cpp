// The data build's text readers and the validator: the authored sources pass,
// and each kind of broken data is refused with a message naming what is wrong.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "shell/DBTextImport.h"
#include "shell/GlbConst.h"
#include "tools/databuild/DataSources.h"
#include "tools/databuild/DataValidator.h"

using namespace databuild;

namespace {

std::string Asset(const std::string& name) {
    std::ifstream f(std::string(QORV_SOURCE_DIR) + "/assets/" + name, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

bool Mentions(const Errors& errors, const std::string& a, const std::string& b = "") {
    return std::any_of(errors.begin(), errors.end(), [&](const std::string& e) {
        return e.find(a) != std::string::npos && e.find(b) != std::string::npos;
    });
}

std::string Joined(const Errors& errors) {
    std::string s;
    for (const auto& e : errors) s += e + "\n";
    return s;
}

// The authored tables, read as the data build reads them (teams with their
// looks and abilities; names are checked where the name code table is).
std::unique_ptr<GameTables> AuthoredTables(Errors& errors) {
    auto t = std::make_unique<GameTables>();
    FrameTable frames;
    ReadFrameTable(Asset("DBBMPData.csv"), "DBBMPData.csv", frames, errors);
    std::memcpy(t->frames, frames.rows, sizeof(t->frames));
    MotionTable motions;
    ReadMotionTable(Asset("DBMotionData.txt"), "DBMotionData.txt", frames, motions, errors);
    std::memcpy(t->motions, motions.motions, sizeof(t->motions));
    EXPECT_EQ(ImportRankCsv(Asset("DBRankData.csv"), t->rank[0]), 9);
    EXPECT_EQ(ImportRankCsv(Asset("DBRankData2.csv"), t->rank[1]), 9);
    EXPECT_EQ(ImportShootCsv(Asset("DBShootData.csv"), t->shots), 21);
    static DTCharData members[DBTEAMS][DBMEMBERS];
    static DCDDBallDt abilities[DBTEAMS][DBMEMBERS];
    auto conv = [](std::string_view s) {
        DTNameArr a{};
        a[0] = s.empty() ? 0 : 1;
        return a;
    };
    EXPECT_EQ(ImportCharCsv(Asset("DBCharData.csv"), conv, members, abilities), 168);
    const auto rows = ReadCsvRows(Asset("DBCharData.csv"));
    for (int i = 0; i < 168; ++i) {
        members[i / 7][i % 7].DBDt = abilities[i / 7][i % 7];
        members[i / 7][i % 7].Looks.EyeCol = uint8_t(CsvInt(rows[i][18]));
    }
    std::memcpy(t->members, members, sizeof(members));
    ReadPaletteSets(Asset("dbpal.txt"), "dbpal.txt", t->palettes, errors);
    std::string poseError;
    EXPECT_TRUE(art::LoadPoses(Asset("art/poses.txt"), t->poses, poseError)) << poseError;
    return t;
}

TEST(DataValidator, AMotionWithNoEndIsRefused) {
    Errors read;
    auto t = AuthoredTables(read);
    // The level shot's follow-through no longer ends the motion: its frames run on.
    t->motions[13].Frame[2].Ani.Last_f = 0;
    Errors errors;
    ValidateMotions(*t, errors);
    EXPECT_TRUE(Mentions(errors, "motion 13 (Sh)", "no end")) << Joined(errors);

    // A walk that ends would drop the walker back to standing every cycle.
    t = AuthoredTables(read);
    t->motions[1].Frame[3].Ani.LoopP = 0;
    errors.clear();
    ValidateMotions(*t, errors);
    EXPECT_TRUE(Mentions(errors, "motion 1 (Wk)", "must hold or loop")) << Joined(errors);
}

TEST(DataValidator, AFrameNumberPastTheFrameTableIsRefused) {
    Errors read;
    auto t = AuthoredTables(read);
    t->motions[20].Frame[3].Ani.BmpNo = 600;
    Errors errors;
    ValidateMotions(*t, errors);
    EXPECT_TRUE(Mentions(errors, "motion 20 (Ca), frame 3: BmpNo 600")) << Joined(errors);
}

TEST(DataValidator, CatchAndThrowFramesFollowTheMatchRules) {
    Errors read;
    auto t = AuthoredTables(read);
    t->motions[20].Frame[2].Ani.ActP_f = 0;  // no catch window facing neither way
    t->motions[21].Frame[0].Ani.Time = 10;   // shorter than the catch windows
    t->frames[17].IY = 2;                    // the level shot's ball leaves at 22 px and flies over
    t->motions[38].Frame[1].Ani.Time = 9;    // the pass-wait walk no longer matches the walk
    t->frames[2].IY = 17;                    // a back-facing holder covers the ball behind him
    Errors errors;
    ValidateMotions(*t, errors);
    EXPECT_TRUE(Mentions(errors, "motion 20 (Ca): frames from 2 have no active frame")) << Joined(errors);
    EXPECT_TRUE(Mentions(errors, "motion 21 (JCa), frame 0", "catch window")) << Joined(errors);
    EXPECT_TRUE(Mentions(errors, "motion 13 (Sh), frame 0: the ball leaves 22 px")) << Joined(errors);
    EXPECT_TRUE(Mentions(errors, "motion 38", "motion 1 frame for frame")) << Joined(errors);
    EXPECT_TRUE(Mentions(errors, "frame 2 (stand-back, held in motion 0", "only 1%")) << Joined(errors);
}

TEST(DataValidator, JumpShotWindUpMustMeetTheAirSpecialWindow) {
    Errors read;
    auto t = AuthoredTables(read);
    CstDB db{};
    db.DBSHOOT.DJHSFRM = 32;
    db.DBSHOOT.DJHSFRM2 = 3;
    t->tuning[0].resize(sizeof(db));
    std::memcpy(t->tuning[0].data(), &db, sizeof(db));
    Errors errors;
    ValidateMotions(*t, errors);
    EXPECT_FALSE(Mentions(errors, "air special window")) << Joined(errors);
    t->motions[17].Frame[0].Ani.Time = 4;
    ValidateMotions(*t, errors);
    EXPECT_TRUE(Mentions(errors, "motion 17 (JSh): a wind-up of 4 steps")) << Joined(errors);
}

TEST(DataValidator, ColoursFacesHitPointsAndShotNumbersOfMembersAreChecked) {
    Errors read;
    auto t = AuthoredTables(read);
    t->members[0][0].Looks.SkinCol = 40;
    t->members[2][3].DBDt.dHS = 32;  // row 30 of a 21-row table
    t->members[7][1].DBDt.dHP = 0;
    Errors errors;
    ValidateTeams(t->members, errors);
    EXPECT_TRUE(Mentions(errors, "team 0 member 0: skin colour 40")) << Joined(errors);
    EXPECT_TRUE(Mentions(errors, "team 2 member 3: dHS 32 names shot row 30")) << Joined(errors);
    EXPECT_TRUE(Mentions(errors, "team 7 member 1: dHP 0")) << Joined(errors);
    EXPECT_EQ(errors.size(), 3u);
}

TEST(DataValidator, RankShotTuningAndPaletteRulesNameTheirRow) {
    Errors read;
    auto t = AuthoredTables(read);
    t->rank[0][3].Spd.DSACC = 0;
    t->rank[0][2].CaT.CaFrm_P = 0;
    t->shots[10].Etc[0] = 0;  // the boomerang's period
    t->shots[4].Ani = 9;
    std::memcpy(t->shots[5].Name, "\x83\x41\x83\x43", 5);  // katakana that draw as framed digits
    t->palettes.colour[6][9] = t->palettes.colour[0][0];
    t->palettes.colour[6][9].b ^= 1;  // still the key after reduction to 16 bits
    Errors errors;
    ValidateRank(t->rank[0], "DBRankdata.sai", errors);
    ValidateShots(t->shots, errors);
    ValidatePalettes(t->palettes, errors);
    EXPECT_TRUE(Mentions(errors, "DBRankdata.sai row 3: Spd.DSACC")) << Joined(errors);
    EXPECT_TRUE(Mentions(errors, "DBRankdata.sai row 2", "catch window")) << Joined(errors);
    EXPECT_TRUE(Mentions(errors, "shot row 10: Etc0")) << Joined(errors);
    EXPECT_TRUE(Mentions(errors, "shot row 4: Ani 9")) << Joined(errors);
    EXPECT_TRUE(Mentions(errors, "shot row 5: the name has characters")) << Joined(errors);
    EXPECT_TRUE(Mentions(errors, "palette set 6, entry 9")) << Joined(errors);

    std::vector<uint8_t> cst(sizeof(CstDB), 0);
    errors.clear();
    ValidateTuning(cst, "dbini.sai", errors);
    EXPECT_TRUE(Mentions(errors, "dbini.sai: DBETC.FCTOSAIMAG is 0")) << Joined(errors);
    cst.resize(100);
    errors.clear();
    ValidateTuning(cst, "dbini2.sai", errors);
    EXPECT_TRUE(Mentions(errors, "dbini2.sai", "100 bytes")) << Joined(errors);
}

TEST(DataValidator, FontDrawsTheNameCharactersOutsideTheFramedDigits) {
    EXPECT_TRUE(FontDrawsText("\x82\xA0\x82\xF1\x82\x4F\x82\x79"));  // あ ん ０ Ｚ
    EXPECT_TRUE(FontDrawsText("\x83\x75\x81\x5B\x83\x94"));          // ブ ー ヴ
    EXPECT_FALSE(FontDrawsText("\x83\x4A"));  // カ: its cell holds a framed digit
    EXPECT_FALSE(FontDrawsText("\x82\xF2"));  // past ん
    EXPECT_FALSE(FontDrawsText("A"));           // single-byte text shifts the pairs
    EXPECT_FALSE(FontDrawsText("\x81\x40"));  // the full-width space swallows the next character
}

TEST(DataSources, MotionSourceErrorsNameFileAndLine) {
    FrameTable frames;
    Errors errors;
    ReadFrameTable("0,stand,1,8,4,0,0,0,24,12,0,0\n0,again,1,8,4,0,0,0,24,12,0,0\n"
                   "600,far,1,8,4,0,0,0,24,12,0,0\n1,big,1,200,4,0,0,0,24,12,0,0\n",
                   "f.csv", frames, errors);
    EXPECT_TRUE(Mentions(errors, "f.csv:2:", "given twice"));
    EXPECT_TRUE(Mentions(errors, "f.csv:3:", "outside the frame table"));
    EXPECT_TRUE(Mentions(errors, "f.csv:4:", "does not fit its byte"));
    ASSERT_EQ(frames.poses.count("stand"), 1u);

    MotionTable motions;
    errors.clear();
    ReadMotionTable("stand t=1\nmotion 3 X\nstand t=1 wobble\nsit t=2\nstand last\n"
                    "motion 4 Y\nstand t=1\nstand t=1\nstand t=1\nstand t=1\nstand t=1\nstand t=1\n"
                    "stand t=1\nstand t=1\nmotion 200 Z\n",
                    "m.txt", frames, motions, errors);
    EXPECT_TRUE(Mentions(errors, "m.txt:1:", "outside a motion"));
    EXPECT_TRUE(Mentions(errors, "m.txt:3:", "unknown word 'wobble'"));
    EXPECT_TRUE(Mentions(errors, "m.txt:4:", "unknown pose 'sit'"));
    EXPECT_TRUE(Mentions(errors, "m.txt:5:", "needs its time"));
    EXPECT_TRUE(Mentions(errors, "m.txt:14:", "more than 7 frames"));
    EXPECT_TRUE(Mentions(errors, "m.txt:15:", "motion <0..127>"));
}

TEST(DataSources, MotionWordsSetTheirFields) {
    FrameTable frames;
    Errors errors;
    ReadFrameTable("7,crouch,1,8,9,0,0,0,24,14,0,0\n", "f", frames, errors);
    MotionTable motions;
    ReadMotionTable("motion 9 Test\ncrouch t=12 start n=3 x=-2 y=5 se=4 act revx revy loopse tame\n"
                    "crouch t=1 end last box=-3,1,20,9\ncrouch t=2 hold\n",
                    "m", frames, motions, errors);
    ASSERT_TRUE(errors.empty()) << Joined(errors);
    const DBBaseMotionData& m = motions.motions[9];
    EXPECT_STREQ(m.Name, "Test");
    EXPECT_EQ(motions.frameCount[9], 3);
    const AnimeData& a = m.Frame[0].Ani;
    EXPECT_EQ(a.BmpNo, 7);
    EXPECT_EQ(a.Time, 12);
    EXPECT_EQ(a.LoopP, 1);
    EXPECT_EQ(a.LoopC, 3);
    EXPECT_EQ(a.X, -2);
    EXPECT_EQ(a.Y, 5);
    EXPECT_EQ(a.SE, 4);
    EXPECT_TRUE(a.ActP_f && a.RevX_f && a.RevY_f && a.LoopSE_f && a.TameLoop_f);
    EXPECT_EQ(m.Frame[1].Ani.LoopP, 2);
    EXPECT_TRUE(m.Frame[1].Ani.Last_f);
    EXPECT_EQ(m.Frame[1].Kurai.X, -3);
    EXPECT_EQ(m.Frame[1].Kurai.W, 20);
    EXPECT_EQ(m.Frame[2].Ani.LoopP, 3);
    EXPECT_EQ(m.Frame[3].Ani.Time, 0);
}

TEST(DataSources, PaletteFilesHoldSixteenSetsEach) {
    PaletteSets sets;
    Errors errors;
    ReadPaletteSets(Asset("dbpal.txt"), "dbpal.txt", sets, errors);
    ASSERT_TRUE(errors.empty()) << Joined(errors);
    auto files = BuildPaletteFiles(sets);
    ASSERT_EQ(files[0].size(), kPalFileSize);
    ASSERT_EQ(files[1].size(), kPalFileSize);
    // Colour k of file n is entry k mod 16 of set 16n + k div 16.
    const Rgb& c = sets.colour[16 + 5][11];  // set 21's first pants colour
    const size_t at = kPalHeaderSize + 3 * (5 * 16 + 11);
    EXPECT_EQ(files[1][at], c.r);
    EXPECT_EQ(files[1][at + 1], c.g);
    EXPECT_EQ(files[1][at + 2], c.b);

    errors.clear();
    ReadPaletteSets("0: FF00FF\n1: zz0000 000000 000000 000000 000000 000000 000000 000000 "
                    "000000 000000 000000 000000 000000 000000 000000 000000\n",
                    "p", sets, errors);
    EXPECT_TRUE(Mentions(errors, "p:1:", "needs 16 colours"));
    EXPECT_TRUE(Mentions(errors, "p:2:", "colour 0 of set 1"));
    EXPECT_TRUE(Mentions(errors, "palette set 31 is missing"));
}

}  // namespace
