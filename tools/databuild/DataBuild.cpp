#include "tools/databuild/DataBuild.h"

#include <algorithm>
#include <cstring>

#include "files/QDArc.h"
#include "platform/Files.h"
#include "shell/GlbConst.h"
#include "shell/zimraLib.h"

namespace databuild {
namespace {

std::optional<std::string> ReadText(const std::string& path) {
    auto bytes = plat::ReadFile(path);
    if (!bytes) return std::nullopt;
    return std::string(bytes->begin(), bytes->end());
}

template <class T>
std::vector<uint8_t> Bytes(const T& v) {
    const uint8_t* p = reinterpret_cast<const uint8_t*>(&v);
    return std::vector<uint8_t>(p, p + sizeof(T));
}

std::string Num(int v, int digits) {
    std::string s = std::to_string(v);
    return std::string(digits > int(s.size()) ? digits - s.size() : 0, '0') + s;
}

}  // namespace

GameHooks GameRoutines() {
    GameHooks h;
    h.loadTuningIni = [](const std::string& iniPath) -> std::optional<std::vector<uint8_t>> {
        TGlbConst gc(false);
        if (!gc.LoadIniFile(iniPath)) return std::nullopt;
        const uint8_t* p = reinterpret_cast<const uint8_t*>(&gc.DB);
        return std::vector<uint8_t>(p, p + sizeof(gc.DB));
    };
    h.toNameCodes = [](std::string_view s) { return StrToDTNameArr(s); };
    h.fromNameCodes = [](const DTNameArr& a) { return DTNameArrToStr(a); };
    return h;
}

void ReadTeams(const std::string& text, const GameHooks& hooks, GameTables& t, Errors& errors) {
    DTCharData members[DBTEAMS][DBMEMBERS] = {};
    DCDDBallDt abilities[DBTEAMS][DBMEMBERS] = {};
    const int n = ImportCharCsv(text, hooks.toNameCodes, members, abilities);
    if (n != DBTEAMS * DBMEMBERS)
        errors.push_back("DBCharData.csv: " + std::to_string(n) + " member rows, the game needs " +
                         std::to_string(DBTEAMS * DBMEMBERS));
    const auto rows = ReadCsvRows(text);
    for (int i = 0; i < n; ++i) {
        const int team = i / DBMEMBERS, m = i % DBMEMBERS;
        const DBCsvRow& row = rows[i];
        DTCharData& c = members[team][m];
        const std::string who = "team " + std::to_string(team) + " member " + std::to_string(m);
        if (row.size() != cceCount) {
            errors.push_back(who + ": the row needs " + std::to_string(int(cceCount)) + " columns");
            continue;
        }
        // Every name must survive the name code table unchanged.
        const std::pair<int, DTNameArr*> names[] = {
            {cccName, &c.Name}, {cceMyouji, &c.Myouji}, {cceNamae, &c.Namae}};
        for (auto [col, field] : names) {
            *field = hooks.toNameCodes(row[col]);
            const std::string& text = row[col];
            if (!FontDrawsText(text))
                errors.push_back(who + ": the name in column " + std::to_string(col + 1) +
                                 " has characters the bitmap font cannot show");
            if (hooks.fromNameCodes &&
                (text.size() > 16 || hooks.fromNameCodes(*field).compare(0, text.size(), text) != 0))
                errors.push_back(who + ": the name in column " + std::to_string(col + 1) +
                                 " has characters the name code table lacks, or more than 8");
        }
        const int eye = CsvInt(row[cceEyeCol]);
        if (eye < 0 || eye > 255) errors.push_back(who + ": eye colour is not a byte");
        c.Looks.EyeCol = uint8_t(eye);
        c.Looks.FaceNo = c.Looks.DBFaceNo;
        c.DBDt = abilities[team][m];
    }
    std::memcpy(t.members, members, sizeof(members));
}

void ReadSources(const std::string& assetsDir, const GameHooks& hooks, GameTables& t,
                 Errors& errors) {
    auto source = [&](const char* name) -> std::optional<std::string> {
        auto text = ReadText(assetsDir + "/" + name);
        if (!text) errors.push_back(std::string(name) + ": cannot be read");
        return text;
    };
    const char* inis[2] = {"db.ini", "db2.ini"};
    for (int i = 0; i < 2; ++i) {
        auto cst = hooks.loadTuningIni(assetsDir + "/" + inis[i]);
        if (!cst) errors.push_back(std::string(inis[i]) + ": the tuning table could not be read");
        else t.tuning[i] = *cst;
    }
    const char* ranks[2] = {"DBRankData.csv", "DBRankData2.csv"};
    for (int i = 0; i < 2; ++i)
        if (auto text = source(ranks[i]))
            if (int n = ImportRankCsv(*text, t.rank[i]); n != DBRANK_ROWS)
                errors.push_back(std::string(ranks[i]) + ": " + std::to_string(n) + " rows, not 9");
    if (auto text = source("DBShootData.csv"))
        if (int n = ImportShootCsv(*text, t.shots); n != DBSHOOT_COUNT)
            errors.push_back("DBShootData.csv: " + std::to_string(n) + " rows, not 21");
    if (auto text = source("DBCharData.csv")) ReadTeams(*text, hooks, t, errors);
    FrameTable frames;
    if (auto text = source("DBBMPData.csv")) ReadFrameTable(*text, "DBBMPData.csv", frames, errors);
    std::memcpy(t.frames, frames.rows, sizeof(t.frames));
    MotionTable motions;
    if (auto text = source("DBMotionData.txt"))
        ReadMotionTable(*text, "DBMotionData.txt", frames, motions, errors);
    std::memcpy(t.motions, motions.motions, sizeof(t.motions));
    if (auto text = source("dbpal.txt")) ReadPaletteSets(*text, "dbpal.txt", t.palettes, errors);
    std::string poseError;
    if (auto text = source("art/poses.txt"); text && !art::LoadPoses(*text, t.poses, poseError))
        errors.push_back("art/poses.txt: " + poseError);
}

std::vector<ArchiveSpec> PlanArchives(const GameTables& t) {
    std::vector<ArchiveSpec> plan;
    ArchiveSpec db{"DBData.qx2", "DBDT", {0, 0, 0}, {}, {}, true};
    db.names = {"dbini.sai",   "dbini2.sai",     "DBBMPData.sai",  "DBMotionData.sai",
                "DBRankdata.sai", "DBRankdata2.sai", "DBShootdata.sai"};
    db.entries = {t.tuning[0], t.tuning[1], Bytes(t.frames), Bytes(t.motions),
                  Bytes(t.rank[0]), Bytes(t.rank[1]), Bytes(t.shots)};
    plan.push_back(std::move(db));

    ArchiveSpec pal{"pal.qx2", "PAL", {0, 1, 0}, {"dbpal0.pal", "dbpal1.pal"}, {}, true};
    auto files = BuildPaletteFiles(t.palettes);
    pal.entries = {files[0], files[1]};
    plan.push_back(std::move(pal));

    // Each member is one single-stream record of the record's first 232 bytes.
    ArchiveSpec team{"defteam.qx2", "DEFT", {0, 0, 1}, {}, {}, true};
    for (int i = 0; i < DBTEAMS * DBMEMBERS; ++i) {
        const uint8_t* rec = reinterpret_cast<const uint8_t*>(&t.members[i / DBMEMBERS][i % DBMEMBERS]);
        team.names.push_back("def" + Num(i, 3) + ".dbch");
        team.entries.push_back(BuildSAIFileDB(std::span<const uint8_t>(rec, kSAIRecordSize)));
    }
    plan.push_back(std::move(team));
    return plan;
}

std::optional<ArchiveSpec> PlanCharArchive(const std::string& pictureDir, Errors& errors) {
    ArchiveSpec c{"char.qx2", "CHAR", {0, 0, 1}, {}, {}, false};
    const std::vector<std::string> sheets = {"dballface.png", "dballbody.png", "dbbody.png"};
    std::vector<std::string> names = sheets;
    for (const std::string& f : plat::ListFiles(pictureDir, ".png"))
        if (f.size() == 12 && f.starts_with("dbface")) names.push_back(f);
    if (names.size() == sheets.size() &&
        std::none_of(sheets.begin(), sheets.end(),
                     [&](const std::string& s) { return plat::FileExists(pictureDir + "/" + s); }))
        return std::nullopt;  // no character pictures yet
    for (const std::string& name : names) {
        auto bytes = plat::ReadFile(pictureDir + "/" + name);
        if (!bytes) {
            errors.push_back("char pictures: " + pictureDir + "/" + name + " is missing");
            continue;
        }
        c.names.push_back(name);
        c.entries.push_back(std::move(*bytes));
    }
    return c;
}

bool WriteArchive(const ArchiveSpec& a, const std::string& dataDir, std::string& error) {
    std::vector<std::span<const uint8_t>> sources;
    for (const auto& e : a.entries) sources.emplace_back(e);
    auto bytes = BuildQDAArchive(a.tag, a.ver[0], a.ver[1], a.ver[2], sources, a.names, a.compress,
                                 &error);
    if (!bytes) return false;
    const std::string path = dataDir + "/" + a.file;
    std::string why;
    if (!plat::WriteFile(path, bytes->data(), bytes->size(), &why)) {
        error = "cannot be written (" + why + ")";
        return false;
    }
    return true;
}

bool WriteLooseFiles(const GameTables& t, const std::string& assetsDir, const std::string& dataDir,
                     std::string& error) {
    auto write = [&](const std::string& name, std::span<const uint8_t> bytes) {
        const std::string path = dataDir + "/" + name;
        std::string why;
        if (plat::WriteFile(path, bytes.data(), bytes.size(), &why)) return true;
        error = path + ": cannot be written (" + why + ")";
        return false;
    };
    for (const char* name : {"db.ini", "db2.ini", "DBCharData.csv", "DBRankData.csv",
                             "DBRankData2.csv", "DBShootData.csv"}) {
        std::string why;
        auto bytes = plat::ReadFile(assetsDir + "/" + name, SIZE_MAX, &why);
        if (!bytes) {
            error = assetsDir + "/" + name + ": " + why;
            return false;
        }
        if (!write(name, *bytes)) return false;
    }
    return write("DBBMPData.sai", Bytes(t.frames)) && write("DBMotionData.sai", Bytes(t.motions));
}

}  // namespace databuild
