// Coordinates and the save-state image.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <type_traits>

#include "match/recordUnit.h"

namespace {

int32_t ReadI32(const std::vector<uint8_t>& b, size_t at) {
    int32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

TEST(Zahyou, DepthAndDrawKey) {
    TZahyou z;
    z.Z = -150;
    EXPECT_EQ(z.Zpc(), -1);
    z.Z = 150;
    EXPECT_EQ(z.Zpc(), 1);
    z.Z = 5600;
    z.Pri = 30;
    EXPECT_EQ(z.NowPri(), 543774);
    z.Z = 5700;  // further back draws first
    EXPECT_LT(z.NowPri(), 543774);
}

TEST(Zahyou, FacingSettersKeepValidValues) {
    TZahyou z;
    z.SetMuki(mR);
    z.SetMuki(2);
    EXPECT_EQ(z.Muki(), mR);
    EXPECT_EQ(z.MukiSign(), 1);
    EXPECT_EQ(z.RevMuki(), mL);
    z.SetMukiZ(mzB);
    EXPECT_EQ(z.MukiZ(), mzB);
    z.SetMukiZ(7);
    EXPECT_EQ(z.MukiZ(), mzN);
    z.SetMukiZ(mzF);
    z.SetDashMuki(mR);
    EXPECT_EQ(z.DsMuki(), mR);
    EXPECT_EQ(z.Muki(), mR);
    EXPECT_EQ(z.MukiZ(), mzN);
    // An invalid dash direction changes neither direction but still clears depth.
    z.SetMukiZ(mzB);
    z.SetDashMuki(5);
    EXPECT_EQ(z.DsMuki(), mR);
    EXPECT_EQ(z.Muki(), mR);
    EXPECT_EQ(z.MukiZ(), mzN);
    // The dash sign reads the facing.
    z.FDsMuki = mL;
    EXPECT_EQ(z.DsMukiSign(), 1);
}

TEST(Zahyou, InitClearsEverything) {
    TZahyou z;
    z.X = 5;
    z.dY = -3;
    z.Fric_c = 9;
    z.Pri = 60;
    z.SetDashMuki(mR);
    z.SetMukiZ(mzB);
    z.Init();
    const ZahyouRec& r = z.ZRec();
    EXPECT_EQ(r.X, 0);
    EXPECT_EQ(r.dY, 0);
    EXPECT_EQ(r.Fric_c, 0);
    EXPECT_EQ(r.Pri, 0);
    EXPECT_EQ(r._pad3, 0);
    EXPECT_EQ(z.Muki(), mL);
    EXPECT_EQ(z.DsMuki(), mL);
    EXPECT_EQ(z.MukiZ(), mzN);
}

TEST(MotionFlags, SixteenBitSetAtOddOffset) {
    DBStMotion m{};
    m.MF = uint16_t(MFBit(dbmfAr) | MFBit(dbmfPW));
    const auto* raw = reinterpret_cast<const uint8_t*>(&m);
    EXPECT_EQ(raw[1], 0x01);
    EXPECT_EQ(raw[2], 0x08);  // bit 11
    EXPECT_TRUE(m.MF.Has(dbmfPW));
    EXPECT_FALSE(m.MF.Has(dbmfDs));
    EXPECT_EQ(uint16_t(m.MF), 0x0801);
}

// A save image built from marker values puts every block where the file
// format says, with references written as 0.
TEST(QuickSave, MarkersLandAtTheirOffsets) {
    auto sv = std::make_unique<QuickSaveData>();
    *sv = QuickSaveData{};
    sv->RSeed = 0x11223344;
    sv->DBGDt.DBStage = 77;
    sv->ADTCDt[0][0].Name[0] = 0xA1;
    sv->ADTCDt[23][6].DBDt.dSHS2 = 0xA2;
    sv->ADBPDt[0][0].dHP = 0xA3;
    sv->ADBPSt[0][0].Motion.MNo = 12;
    sv->ADBPSt[1][6].LandZ = 4242;
    sv->ADBPSt[1][6].Zahyou = 0xDEADBEEF;
    sv->ADBPSt[0][3].Anime.pEfcDt = 0xCAFEBABE;
    sv->DBBallSt.HoldTNo = 1;
    sv->DBBallSt.Zahyou = 0x12345678;
    sv->DBBallSt.Anime.pEfcDt = 0x9;
    sv->ADBZahyou[1][6].X = 7200;
    sv->DBBallZahyou.Z = 3100;
    sv->DBTSt[1].CtrlNo = 3;

    auto b = QuickSaveToBytes(*sv);
    ASSERT_EQ(b.size(), 57732u);
    EXPECT_EQ(ReadI32(b, 0), 0x11223344);
    EXPECT_EQ(ReadI32(b, 4 + 4), 77);
    EXPECT_EQ(b[140], 0xA1);
    EXPECT_EQ(b[140 + (23 * 7 + 6) * 256 + 213], 0xA2);
    EXPECT_EQ(b[43148], 0xA3);
    EXPECT_EQ(ReadI32(b, 52556 + 8), 12);
    size_t p16 = 52556 + 13 * 268;
    EXPECT_EQ(ReadI32(b, p16 + 260), 4242);
    EXPECT_EQ(ReadI32(b, p16 + 264), 0);               // player reference
    EXPECT_EQ(ReadI32(b, 52556 + 3 * 268 + 12 + 32), 0);  // effect reference
    EXPECT_EQ(ReadI32(b, 56308 + 84), 1);
    EXPECT_EQ(ReadI32(b, 56308 + 368), 0);             // ball reference
    EXPECT_EQ(ReadI32(b, 56308 + 4 + 32), 0);
    EXPECT_EQ(ReadI32(b, 57460 + 4), 7200);            // side 1, position 6
    EXPECT_EQ(ReadI32(b, 57520 + 12), 3100);
    EXPECT_EQ(ReadI32(b, 57656), 3);                   // second team state
    // The live record keeps its references; only the stored form drops them.
    EXPECT_EQ(sv->ADBPSt[1][6].Zahyou, 0xDEADBEEFu);
}

TEST(QuickSave, RoundTripsAndRefusesBadFiles) {
    auto sv = std::make_unique<QuickSaveData>();
    *sv = QuickSaveData{};
    sv->RSeed = -5;
    sv->DBGDt.DBTeamNo[1] = 23;
    sv->DBGDt.DBCharofP[0][2] = 6;
    sv->ADBPSt[0][1].Motion.MNo = 127;
    sv->ADBPSt[0][1].Anime.FrameNo = 6;
    sv->DBBallSt.ShSt.HSNo = dbhNML;
    sv->DBBallSt.PaTgPNo = -1;
    auto bytes = QuickSaveToBytes(*sv);

    auto back = std::make_unique<QuickSaveData>();
    *back = QuickSaveData{};
    std::string why;
    ASSERT_TRUE(QuickSaveFromBytes(bytes, *back, &why)) << why;
    EXPECT_EQ(std::memcmp(back.get(), sv.get(), sizeof(QuickSaveData)), 0);

    back->RSeed = 99;
    auto shortFile = bytes;
    shortFile.pop_back();
    EXPECT_FALSE(QuickSaveFromBytes(shortFile, *back, &why));
    EXPECT_NE(why.find("57731"), std::string::npos);
    auto longFile = bytes;
    longFile.push_back(0);
    EXPECT_FALSE(QuickSaveFromBytes(longFile, *back));
    EXPECT_EQ(back->RSeed, 99);  // a refused file changes nothing

    struct Bad {
        size_t at;
        uint8_t value;
    };
    const Bad bads[] = {
        {4 + 8, 24},                       // team number
        {4 + 68, 7},                       // member at a position
        {52556 + 8, 128},                  // motion row
        {52556 + 0, DBMOTIONTYPE_COUNT},   // motion type
        {52556 + 12, 7},                   // frame number
        {56308 + 112 + 28, 21},            // special shot
        {56308 + 84, 2},                   // holder side
        {56680 + 0, 2},                    // facing
        {57580 + 28, 4},                   // formation line
    };
    for (const Bad& bad : bads) {
        auto broken = bytes;
        broken[bad.at] = bad.value;
        EXPECT_FALSE(QuickSaveFromBytes(broken, *back, &why)) << "offset " << bad.at;
    }
}

// Every checked range of a save image at both ends: its first and last good
// values load, the values just outside are refused.
TEST(QuickSave, EveryRangeIsCheckedAtBothEnds) {
#define FIELD(f) [](QuickSaveData& d, int32_t v) { d.f = std::remove_reference_t<decltype(d.f)>(v); }
    struct Range {
        std::function<void(QuickSaveData&, int32_t)> set;
        int32_t lo, hi;
    };
    constexpr int32_t pos = 1 << 24, val = 1 << 22, count = 1 << 28;
    const Range ranges[] = {
        {FIELD(DBGDt.DBGM), 0, dbgmKansen}, {FIELD(DBGDt.DBDif), 0, dbdfHard},
        {FIELD(DBGDt.DBSSt), 0, dbssResult}, {FIELD(DBGDt.DBTeamNo[1]), 0, DBTEAMS - 1},
        {FIELD(DBGDt.DBCharofP[1][6]), -1, DBMEMBERS - 1},
        {FIELD(DBGDt.DBPosofC[0][3]), -1, DBPOSITIONS - 1}, {FIELD(DBGDt.DBCrtNo), 0, 2},
        {FIELD(ADBPSt[1][6].Motion.Mtype), 0, DBMOTIONTYPE_COUNT - 1},
        {FIELD(ADBPSt[0][0].Motion.MNo), 0, DBMOTION_COUNT - 1},
        {FIELD(ADBPSt[0][0].Anime.FrameNo), 0, DBMOTION_FRAMES - 1},
        {FIELD(ADBPSt[0][0].Anime.LoopStNo), 0, DBMOTION_FRAMES - 1},
        {FIELD(ADBPSt[0][0].Anime.RO_Muki), 0, mR},
        {FIELD(ADBPSt[0][0].Auto.AutoType), 0, dbaCPUSht}, {FIELD(ADBPSt[0][0].Auto.AMuki), 0, maR},
        {FIELD(ADBPSt[0][0].Auto.AMukiZ), 0, mzaB}, {FIELD(ADBPSt[0][0].CPUSt.AtType), 0, dbcaJPa},
        {FIELD(ADBPSt[0][0].LastLRKey), 0, maR},
        {FIELD(ADBPSt[0][0].CPUSt.PaNo), -1, DBPOSITIONS - 1}, {FIELD(ADBPSt[0][0].MukiAgl), -1, 7},
        {FIELD(ADBPSt[0][0].Motion.M_c), -count, count}, {FIELD(ADBPSt[1][6].LandZ), -count, count},
        {FIELD(DBBallSt.Motion), 0, dbbBound}, {FIELD(DBBallSt.PaNMuki), 0, mzB},
        {FIELD(DBBallSt.PaLine), 0, dbplKyo},
        {FIELD(DBBallSt.Anime.FrameNo), 0, DBMOTION_FRAMES - 1},
        {FIELD(DBBallSt.HoldTNo), -1, DBSIDES - 1}, {FIELD(DBBallSt.CrtSide[1]), -1, DBSIDES - 1},
        {FIELD(DBBallSt.HoldPNo), -1, DBPOSITIONS - 1},
        {FIELD(DBBallSt.CrtPos[1]), -1, DBPOSITIONS - 1},
        {FIELD(DBBallSt.ShSt.HSNo), dbhNML, dbhWID}, {FIELD(ADBZahyou[1][6].FMuki), 0, mR},
        {FIELD(ADBZahyou[1][6].FMukiZ), 0, mzB}, {FIELD(ADBZahyou[1][6].FDsMuki), 0, mR},
        {FIELD(ADBZahyou[1][6].X), -pos, pos}, {FIELD(ADBZahyou[0][0].RideX), -pos, pos},
        {FIELD(ADBZahyou[0][0].dX), -val, val}, {FIELD(ADBZahyou[0][0].Pri), -val, val},
        {FIELD(DBBallZahyou.FMuki), 0, mR}, {FIELD(DBBallZahyou.FMukiZ), 0, mzB},
        {FIELD(DBBallZahyou.Z), -pos, pos}, {FIELD(DBBallZahyou.dZ), -val, val},
        {FIELD(DBTSt[1].CtrlNo), -1, DBPOSITIONS - 1}, {FIELD(DBTSt[0].CvrNo), -1, DBPOSITIONS - 1},
        {FIELD(DBTSt[1].PosMove.InfLine), 0, iltO4},
        {FIELD(DBTSt[1].PosMove.InfPos[1][3]), -count, count},
    };
#undef FIELD
    auto img = std::make_unique<QuickSaveData>();
    auto back = std::make_unique<QuickSaveData>();
    auto loads = [&](const Range& r, int32_t v) {
        *img = QuickSaveData{};
        r.set(*img, v);
        return QuickSaveFromBytes(QuickSaveToBytes(*img), *back);
    };
    for (const Range& r : ranges) {
        const int n = int(&r - ranges);
        EXPECT_TRUE(loads(r, r.lo) && loads(r, r.hi)) << n;
        EXPECT_FALSE(loads(r, r.lo - 1)) << n;
        EXPECT_FALSE(loads(r, r.hi + 1)) << n;
    }
}

}  // namespace
