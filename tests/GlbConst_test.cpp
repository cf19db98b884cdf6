// The tuning-constant table and the unit conversions.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <set>
#include <string>

#include "match/clsObject.h"
#include "shell/GlbConst.h"

namespace {

TEST(CstTable, DescriptorsCoverTheRecordExactly) {
    // Every byte of the record except the five reserved words belongs to
    // exactly one key, and keys follow record order.
    std::vector<int> owner(sizeof(CstDB), -1);
    uint32_t last = 0;
    for (size_t i = 0; i < CstFields().size(); ++i) {
        const auto& f = CstFields()[i];
        const auto& sec = CstSections()[f.Section];
        uint32_t size = f.Type == CstFieldDesc::kBool ? 1 : 4;
        ASSERT_GE(f.Offset, sec.Offset) << f.Key;
        ASSERT_LE(f.Offset + size, sec.Offset + sec.Size) << f.Key;
        ASSERT_GE(f.Offset, last) << f.Key;
        last = f.Offset;
        for (uint32_t b = f.Offset; b < f.Offset + size; ++b) {
            ASSERT_EQ(owner[b], -1) << f.Key;
            owner[b] = int(i);
        }
    }
    for (size_t b = 0; b < owner.size(); ++b) {
        bool reserved = b >= 492 && b < 512;
        EXPECT_EQ(owner[b] == -1, reserved) << "byte " << b;
    }
    // The sections tile the record end to end.
    uint32_t at = 0;
    for (const auto& sec : CstSections()) {
        EXPECT_EQ(sec.Offset, at) << sec.Name;
        at = sec.Offset + sec.Size;
    }
    EXPECT_EQ(at, 556u);
}

TEST(CstTable, IntervalKeyIsSharedByTwoSections) {
    int positv = 0;
    std::set<std::string> sections;
    for (const auto& f : CstFields())
        if (std::string(f.Key) == "POSITV") {
            ++positv;
            sections.insert(CstSections()[f.Section].Name);
        }
    EXPECT_EQ(positv, 2);
    EXPECT_EQ(sections, (std::set<std::string>{"DBNAIYA", "DBGAIYA"}));
}

TEST(CstTable, DefaultsAndCommentsAsAuthored) {
    // The authoring default of every key, in record order.
    const int32_t want[] = {
        18, 420, 460, 32, 28, 120, 18, 16, 9, 8, 24, 8, 16, 16, 8, 16,
        8, 16, 16, 16, 50, 40, 50, 40, 30, 60, 20, 100, 400, 100, 10, -8,
        0, 16, 24, 16, 50, 40, 50, 40, 32, 200, 100, 60, 40, 32, 40, 32,
        32, 32, 40, 32, 48, 16, 30, 60, 1, 60, 30, 3, 24, 3, 25, 1,
        7, 2, 3, 64, 32, 3, 24, 24, 25, 50, 75, 100, 2, 3, 10, 60,
        30, 60, 100, 8, 100, 64, 40, 40, 40, 40, 64, 48, 48, 48, 40, 40,
        40, 40, 64, 48, 48, 48, 24, 40, 0, 16, 8, 100, 3, 3, 320, 1,
        96, 4, 80, 20, 160, 16, 0, 0, 0, 16, 8, 0, 0, 0, 0, 10,
        30, 30, 30, 30, 22, 18, 15, 10, 10,
    };
    ASSERT_EQ(CstFields().size(), std::size(want));
    const CstDB db = CstDefaults();
    for (size_t i = 0; i < std::size(want); ++i)
        EXPECT_EQ(CstGet(db, CstFields()[i]), want[i]) << CstFields()[i].Key;
    EXPECT_EQ(db.DBCPU.ACTWAITG, 10);  // the last key lands in its own field
    EXPECT_EQ(db.DBLAYOUT_1.Reserved[4], 0);
    // "ドッジCPU定数" in Shift-JIS.
    EXPECT_STREQ(CstSections()[11].Comment, "\x83h\x83" "b\x83W" "CPU" "\x92\xE8\x90\x94");
    // "重力（通常）"
    EXPECT_STREQ(CstFields()[0].Comment, "\x8F" "d\x97\xCD\x81i\x92\xCA\x8F\xED\x81j");
}

TEST(CstTable, BooleansReadAsZeroOrOne) {
    CstDB db{};
    const CstFieldDesc* sw = nullptr;
    for (const auto& f : CstFields())
        if (std::string(f.Key) == "CPUALLCATCH_F") sw = &f;
    ASSERT_NE(sw, nullptr);
    CstSet(db, *sw, 7);
    EXPECT_EQ(db.DBDBG.CPUALLCATCH_F, 1);
    db.DBDBG.CPUALLCATCH_F = 2;  // as a file could hold it
    EXPECT_EQ(CstGet(db, *sw), 1);
}

TEST(CstTable, ShortRecordLeavesTheRestZero) {
    TGlbConst gc(false);
    gc.DB = CstDefaults();
    std::vector<uint8_t> bytes(100, 0x01);
    gc.SetRecord(bytes);
    EXPECT_EQ(gc.DB.DBB.BWGRV, 0x01010101);          // offset 40
    EXPECT_EQ(gc.DB.DBDAM.FLYGRV, 0);                // offset 120
    EXPECT_EQ(gc.DB.DBETC.FCTOSAIMAG, 0);
    EXPECT_FALSE(gc.Usable());
}

class UnitConversions : public ::testing::Test {
protected:
    void SetUp() override {
        table_.DB = CstDefaults();
        saved_ = GC;
        GC = &table_;
    }
    void TearDown() override { GC = saved_; }
    TGlbConst table_{false};
    TGlbConst* saved_ = nullptr;
};

TEST_F(UnitConversions, WorkedValues) {
    EXPECT_EQ(FCMAG(32), 102);
    EXPECT_EQ(FCDIV(102), 31);
    EXPECT_EQ(FCDIV(FCMAG(32)), 31);
    EXPECT_EQ(PASPMAG(32), 102);
    EXPECT_EQ(PASPDIV(102), 31);
    EXPECT_EQ(SPMAG(32), 102);
    table_.DB.DBSHOOT.SHOOTMAG = 150;  // factor 320 * 150 div 100 = 480
    EXPECT_EQ(SPMAG(32), 153);
    table_.DB.DBSHOOT.SHOOTMAG = 33;   // factor 105 (truncated)
    EXPECT_EQ(SPMAG(100), 105);
    table_.DB.DBPASS.PASSMAG = 10;     // never applied to passes
    EXPECT_EQ(PASPMAG(32), 102);
}

TEST_F(UnitConversions, NegativeValuesTruncateTowardZero) {
    EXPECT_EQ(FCMAG(-32), -102);
    EXPECT_EQ(FCMAG(-1), -3);
    EXPECT_EQ(FCDIV(-102), -31);
    EXPECT_EQ(FCDIV(-1), 0);
    EXPECT_EQ(PercentageW(-7, 50), -3);
}

TEST_F(UnitConversions, NoOverflowAndNoDivisionByZero) {
    // 10^7 * 320 overflows 32 bits; the 64-bit product gives the exact result.
    EXPECT_EQ(FCMAG(10000000), 32000000);
    EXPECT_EQ(FCMAG(INT_MIN), int32_t(int64_t(INT_MIN) * 320 / 100));
    table_.DB.DBETC.FCTOSAIMAG = 1;
    EXPECT_EQ(FCDIV(INT_MAX), INT_MAX);  // held inside int32
    EXPECT_EQ(FCDIV(INT_MIN), INT_MIN);
    table_.DB.DBETC.FCTOSAIMAG = 0;
    EXPECT_EQ(FCDIV(500), 0);
    EXPECT_EQ(PASPDIV(-500), 0);
    EXPECT_EQ(FCMAG(500), 0);
    GC = nullptr;
    EXPECT_EQ(FCDIV(500), 0);
    EXPECT_EQ(SPMAG(500), 0);
}

}  // namespace
