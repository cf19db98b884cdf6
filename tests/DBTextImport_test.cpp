// The authoring CSV imports: comment and line rules, table bounds, column mapping.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "shell/DBTextImport.h"

namespace {

TEST(DBTextImport, RowsSkipCommentsBlankLinesAndCutLongLines) {
    std::string longLine(600, '7');
    std::string text = "// comment\r\n1,2,3\r\n\r\nx/ also a comment\na/\n" + longLine + "\n4,,5";
    auto rows = ReadCsvRows(text);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (DBCsvRow{"1", "2", "3"}));
    EXPECT_EQ(rows[1][0].size(), 511u);  // the rest of a long line is dropped
    EXPECT_EQ(rows[2], (DBCsvRow{"4", "", "5"}));
}

TEST(DBTextImport, CellsThatAreNotIntegersReadAsZero) {
    EXPECT_EQ(CsvInt(" -12 "), -12);
    EXPECT_EQ(CsvInt("+7"), 7);
    EXPECT_EQ(CsvInt("2147483647"), 2147483647);
    EXPECT_EQ(CsvInt("-2147483648"), INT32_MIN);
    EXPECT_EQ(CsvInt("2147483648"), 0);
    EXPECT_EQ(CsvInt("99999999999999999999"), 0);
    EXPECT_EQ(CsvInt("-2147483649"), 0);
    EXPECT_EQ(CsvInt("\t5\t"), 5);
    EXPECT_EQ(CsvInt("12a"), 0);
    EXPECT_EQ(CsvInt(""), 0);
    EXPECT_EQ(CsvInt("-"), 0);
}

TEST(DBTextImport, RankRowsFillInOrderAndExtraRowsAreIgnored) {
    std::string text;
    for (int r = 0; r < 12; ++r) text += std::to_string(r + 1) + ",2,3\n";
    text += "";
    DBRankData rows[DBRANK_ROWS];
    std::memset(rows, 0xAB, sizeof(rows));
    EXPECT_EQ(ImportRankCsv(text, rows), 9);
    EXPECT_EQ(rows[0].BP.Lv, 1);
    EXPECT_EQ(rows[0].BP.Sp, 2);
    EXPECT_EQ(rows[0].BP.FlySp, 3);
    EXPECT_EQ(rows[0].Mnr.STEAL_D, 0);  // a short row leaves the rest zero
    EXPECT_EQ(rows[8].BP.Lv, 9);

    // The 89th integer is the last field of the row; a 90th is not read.
    std::string full;
    for (int c = 0; c < 90; ++c) full += (c ? "," : "") + std::to_string(c + 1);
    ImportRankCsv(full, rows);
    EXPECT_EQ(rows[0].Mnr.STEAL_D, 89);
    EXPECT_EQ(rows[1].BP.Lv, 0);  // rows not given are cleared
}

TEST(DBTextImport, ShotNamesAreCutAtTenBytes) {
    DBShootData rows[DBSHOOT_COUNT];
    EXPECT_EQ(ImportShootCsv("ABCDEFGHIJKLM,5,6,x,,,,,,,,,,,,,,,,,,,,,99\nB,1\n", rows), 2);
    EXPECT_EQ(std::string(rows[0].Name, 10), "ABCDEFGHIJ");
    EXPECT_EQ(rows[0]._pad10[0], 0);
    EXPECT_EQ(rows[0].Pow, 5);
    EXPECT_EQ(rows[0].Spd, 6);
    EXPECT_EQ(rows[0].SlpSp, 0);   // not numeric
    EXPECT_EQ(rows[0].Etc[7], 99); // the 24th integer
    EXPECT_EQ(rows[1].Name[1], 0);
    EXPECT_EQ(rows[2].Pow, 0);
    // Rows past the table are left out.
    std::string many;
    for (int r = 0; r <= DBSHOOT_COUNT; ++r) many += "S," + std::to_string(r) + "\n";
    EXPECT_EQ(ImportShootCsv(many, rows), DBSHOOT_COUNT);
    EXPECT_EQ(rows[DBSHOOT_COUNT - 1].Pow, DBSHOOT_COUNT - 1);
}

TEST(DBTextImport, MemberColumnsGoToNameLooksAndAbilities) {
    static DTCharData members[DBTEAMS][DBMEMBERS];
    static DCDDBallDt abilities[DBTEAMS][DBMEMBERS];
    std::memset(members, 0, sizeof(members));
    std::memset(abilities, 0, sizeof(abilities));
    auto conv = [](std::string_view s) {
        DTNameArr a{};
        a[0] = uint8_t(s.size());
        return a;
    };
    std::string text = "// header\n";
    for (int i = 0; i < 8; ++i)
        text += "nm" + std::to_string(i) + ",3,4,5,40,11,12,13,14,15,16,17,18,19,20,21,22,300\n";
    EXPECT_EQ(ImportCharCsv(text, conv, members, abilities), 8);
    const DTCharData& c = members[1][0];  // row 7 is member 0 of team 1
    EXPECT_EQ(c.Name[0], 3);
    EXPECT_EQ(c.Looks.DBFaceNo, 3);
    EXPECT_EQ(c.Looks.SkinCol, 4);
    EXPECT_EQ(c.Looks.HairCol, 5);
    EXPECT_EQ(c.Looks.EyeCol, 0);  // not a column of the authoring source
    const DCDDBallDt& a = abilities[1][0];
    EXPECT_EQ(a.dHP, 40);
    EXPECT_EQ(a.dMnr, 19);
    EXPECT_EQ(a.dHS, 20);
    EXPECT_EQ(a.dJHS, 21);
    EXPECT_EQ(a.dSHS1, 22);
    EXPECT_EQ(a.dSHS2, 300 & 0xFF);  // byte fields take the low 8 bits
    EXPECT_EQ(members[1][1].Name[0], 0);
    // One row per member of the 24 teams; the rest are left out.
    std::string all;
    for (int i = 0; i <= DBTEAMS * DBMEMBERS; ++i) all += "n," + std::to_string(i % 200) + "\n";
    EXPECT_EQ(ImportCharCsv(all, conv, members, abilities), DBTEAMS * DBMEMBERS);
    EXPECT_EQ(members[DBTEAMS - 1][DBMEMBERS - 1].Looks.DBFaceNo, (DBTEAMS * DBMEMBERS - 1) % 200);
}

}  // namespace
