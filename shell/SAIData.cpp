#include "shell/SAIData.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "files/QDArc.h"
#include "platform/Files.h"
#include "shell/GameArchive.h"
#include "shell/zimraLib.h"

TGrpData::TGrpData() : TecData2(new TTecData) {}

TGrpData::~TGrpData() { delete TecData2; }

void TGrpData::SetFrameTable(std::span<const uint8_t> bytes) {
    std::memset(DBBMPData, 0, sizeof DBBMPData);
    if (!bytes.empty()) std::memcpy(DBBMPData, bytes.data(), std::min(bytes.size(), sizeof DBBMPData));
}

void TGrpData::SetMotionTable(std::span<const uint8_t> bytes) {
    std::memset(DBBsmData, 0, sizeof DBBsmData);
    if (!bytes.empty()) std::memcpy(DBBsmData, bytes.data(), std::min(bytes.size(), sizeof DBBsmData));
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

TableLoad TGrpData::LoadDt(TGlobal* glb) {
    TableLoad result = AuthoringBuild(glb) ? LoadDtAuthoring() : LoadDtShipped();
    // Both tables are required: an archive that passed its checks but lacks
    // one stops the game rather than playing with an empty table.
    if (result == TableLoad::NoEntry && glb) glb->HaltMsgNo(2);
    return result;
}

namespace {

// Reads a loose table file beside the program into a table. A file that is
// missing or cannot be read leaves the table, and stderr names it: the match
// then plays without that table. A short one fills what it has and zeroes the
// rest.
TableLoad LoadLoose(const char* name, const char* table, size_t size,
                    void (TGrpData::*set)(std::span<const uint8_t>), TGrpData& g) {
    std::string path = plat::ProgramFolder() + name;
    std::string why;
    auto bytes = plat::ReadFile(path, size, &why);
    if (!bytes) {
        ReportLooseFileProblem(path, why, std::string("the match plays without its ") + table);
        return TableLoad::NoFile;
    }
    (g.*set)(*bytes);
    return bytes->size() < size ? TableLoad::Short : TableLoad::Ok;
}

TableLoad Worse(TableLoad a, TableLoad b) { return a != TableLoad::Ok ? a : b; }

}  // namespace

TableLoad TGrpData::LoadDtAuthoring() {
    TableLoad a = LoadLoose("data\\DBBMPData.sai", "frame table", DBBMP_BYTES,
                            &TGrpData::SetFrameTable, *this);
    TableLoad b = LoadLoose("data\\DBMotionData.sai", "motion table", DBMOTION_BYTES,
                            &TGrpData::SetMotionTable, *this);
    return Worse(a, b);
}

TableLoad TGrpData::LoadDtShipped() {
    const std::string path = plat::ProgramFolder() + "data\\DBData.qx2";
    TMemoryStream archive;
    if (!plat::FileExists(path) || !archive.LoadFromFile(path)) return TableLoad::NoFile;
    const TableLoad result = LoadFromArchive(archive);
    // A missing or failing archive is reported by the loaders that stop the game for it.
    if (result == TableLoad::NoEntry)
        ReportDataFileProblem(path, "damaged (no frame or motion table)");
    return result;
}

TableLoad TGrpData::LoadFromArchive(TStream& archive) {
    if (!CheckFileHash(archive, 8) || !CheckFileSignVer(archive, "DBDT", 0, 0, 0))
        return TableLoad::BadArchive;
    auto frames = ExtractFromQDAStream(archive, "DBBMPData.sai");
    SetFrameTable(frames ? frames->Bytes() : std::span<const uint8_t>{});
    auto motions = ExtractFromQDAStream(archive, "DBMotionData.sai");
    SetMotionTable(motions ? motions->Bytes() : std::span<const uint8_t>{});
    return frames && motions ? TableLoad::Ok : TableLoad::NoEntry;
}

namespace {

bool ClampTo0(uint8_t& v, uint8_t max) {
    if (v <= max) return false;
    v = 0;
    return true;
}

}  // namespace

bool SanitizeBallDt(DCDDBallDt& dt) {
    bool changed = false;
    for (uint8_t* shot : {&dt.dJHS, &dt.dHS, &dt.dSHS1, &dt.dSHS2})
        changed |= ClampTo0(*shot, DBSHOT_BYTE_MAX);
    return changed;
}

bool SanitizeCharData(DTCharData& cd) {
    bool changed = false;
    for (uint8_t* col : {&cd.Looks.SkinCol, &cd.Looks.HairCol, &cd.Looks.EyeCol})
        changed |= ClampTo0(*col, DBLOOKS_COLOURS - 1);
    changed |= SanitizeBallDt(cd.DBDt);
    return changed;
}
