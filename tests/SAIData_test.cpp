// The frame and motion tables.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "shell/SAIData.h"

namespace {

TEST(GrpData, ShortFrameEntryFillsTheFirstFrames) {
    auto g = std::make_unique<TGrpData>();
    g->DBBMPData[400].FaceNo = 9;  // from an earlier load
    std::vector<uint8_t> bytes(4096);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8_t(i % 251 + 1);
    g->SetFrameTable(bytes);
    EXPECT_EQ(g->DBBMPData[0].FaceNo, 1);
    EXPECT_EQ(g->DBBMPData[255].Yobi[0], bytes[4095]);
    EXPECT_EQ(g->DBBMPData[256].FaceNo, 0);
    EXPECT_EQ(g->DBBMPData[400].FaceNo, 0);
    EXPECT_EQ(g->DBBMPData[511].SrcSize, 0);
}

TEST(GrpData, MotionFramesAtTheirFileOffsets) {
    auto g = std::make_unique<TGrpData>();
    std::vector<uint8_t> bytes(DBMOTION_BYTES);
    auto put16 = [&](size_t at, uint16_t v) {
        bytes[at] = uint8_t(v);
        bytes[at + 1] = uint8_t(v >> 8);
    };
    for (int m = 0; m < DBMOTION_COUNT; ++m)
        for (int f = 0; f < DBMOTION_FRAMES; ++f) {
            size_t at = 288 * m + 32 + 36 * f;
            put16(at, uint16_t(m * 10 + f));
            bytes[at + 11] = f == 3;      // Last_f
            bytes[at + 32 + 2] = uint8_t(16 + f);  // hurt box width
        }
    bytes[288 * 5] = 'W';
    g->SetMotionTable(bytes);
    EXPECT_EQ(g->DBBsmData[5].Name[0], 'W');
    EXPECT_EQ(g->DBBsmData[127].Frame[6].Ani.BmpNo, 1276);
    EXPECT_EQ(g->DBBsmData[12].Frame[3].Ani.Last_f, 1);
    EXPECT_EQ(g->DBBsmData[12].Frame[4].Kurai.W, 20);
    EXPECT_EQ(&g->MotionFrame(12, 2), &g->DBBsmData[12].Frame[2]);
}

TEST(GrpData, LookupsStayInsideTheTables) {
    auto g = std::make_unique<TGrpData>();
    // A motion without a last frame still ends at frame 6.
    EXPECT_EQ(&g->MotionFrame(3, 7), &g->DBBsmData[3].Frame[6]);
    EXPECT_EQ(&g->MotionFrame(3, -1), &g->DBBsmData[3].Frame[0]);
    EXPECT_EQ(&g->MotionFrame(128, 0), &g->DBBsmData[0].Frame[0]);
    g->DBBMPData[511].FaceNo = 4;
    EXPECT_EQ(g->FrameRow(511).FaceNo, 4);
    EXPECT_EQ(g->FrameRow(512).FaceNo, 0);
    EXPECT_EQ(g->FrameRow(65535).SrcSize, 0);
    ASSERT_NE(g->TecData2, nullptr);
}

}  // namespace

namespace {

TEST(CharData, SanitiserKeepsValidRecordsAndClearsOutOfRangeBytes) {
    DTCharData cd{};
    cd.Looks.SkinCol = 31;
    cd.Looks.HairCol = 5;
    cd.Looks.EyeCol = 0;
    cd.DBDt.dHS = 22;  // the last shot row
    cd.DBDt.dJHS = 1;
    cd.DBDt.dHP = 250;
    DTCharData before = cd;
    EXPECT_FALSE(SanitizeCharData(cd));
    EXPECT_EQ(std::memcmp(&cd, &before, sizeof cd), 0);

    cd.Looks.HairCol = 32;
    cd.Looks.EyeCol = 255;
    cd.DBDt.dSHS1 = 23;
    cd.DBDt.dSHS2 = 200;
    EXPECT_TRUE(SanitizeCharData(cd));
    EXPECT_EQ(cd.Looks.SkinCol, 31);
    EXPECT_EQ(cd.Looks.HairCol, 0);
    EXPECT_EQ(cd.Looks.EyeCol, 0);
    EXPECT_EQ(cd.DBDt.dHS, 22);
    EXPECT_EQ(cd.DBDt.dSHS1, 0);
    EXPECT_EQ(cd.DBDt.dSHS2, 0);
    EXPECT_EQ(cd.DBDt.dHP, 250);
}

}  // namespace
