#include "shell/SAIData.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/Files.h"

TGrpData::TGrpData() : TecData2(new TTecData) {}

TGrpData::~TGrpData() { delete TecData2; }

void TGrpData::SetFrameTable(std::span<const uint8_t> bytes) {
    std::memset(DBBMPData, 0, sizeof DBBMPData);
    std::memcpy(DBBMPData, bytes.data(), std::min(bytes.size(), sizeof DBBMPData));
}

void TGrpData::SetMotionTable(std::span<const uint8_t> bytes) {
    std::memset(DBBsmData, 0, sizeof DBBsmData);
    std::memcpy(DBBsmData, bytes.data(), std::min(bytes.size(), sizeof DBBsmData));
}

const DBBMFrameData& TGrpData::MotionFrame(int32_t mno, int32_t frameNo) const {
    if (mno < 0 || mno >= DBMOTION_COUNT) mno = 0;
    frameNo = std::clamp(frameNo, 0, DBMOTION_FRAMES - 1);
    return DBBsmData[mno].Frame[frameNo];
}

const BitMapData& TGrpData::FrameRow(int32_t bmpNo) const {
    static const BitMapData empty{};
    if (bmpNo < 0 || bmpNo >= DBBMP_COUNT) return empty;
    return DBBMPData[bmpNo];
}

TableLoad TGrpData::LoadDt() {
#if QORV_DEBUG_F
    return LoadDtAuthoring();
#else
    return LoadDtShipped();
#endif
}

namespace {

// Reads a loose table file beside the program into a table. A missing file
// leaves the table; a short one fills what it has and zeroes the rest.
TableLoad LoadLoose(const char* name, size_t size, void (TGrpData::*set)(std::span<const uint8_t>),
                    TGrpData& g) {
    std::string path = plat::ProgramFolder() + name;
    if (!plat::FileExists(path)) return TableLoad::NoFile;
    auto bytes = plat::ReadFile(path, size);
    if (!bytes) return TableLoad::NoFile;
    (g.*set)(*bytes);
    return bytes->size() < size ? TableLoad::Short : TableLoad::Ok;
}

TableLoad Worse(TableLoad a, TableLoad b) { return a != TableLoad::Ok ? a : b; }

}  // namespace

TableLoad TGrpData::LoadDtAuthoring() {
    TableLoad a = LoadLoose("data\\DBBMPData.sai", DBBMP_BYTES, &TGrpData::SetFrameTable, *this);
    TableLoad b = LoadLoose("data\\DBMotionData.sai", DBMOTION_BYTES, &TGrpData::SetMotionTable, *this);
    return Worse(a, b);
}

// Until the archive reader is in place the shipped tables are read as missing.
TableLoad TGrpData::LoadDtShipped() { return TableLoad::NoFile; }
