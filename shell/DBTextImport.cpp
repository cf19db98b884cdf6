#include "shell/DBTextImport.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

// Longest line the sources may have; the rest of a longer line is dropped.
constexpr size_t kMaxLine = 511;

DBCsvRow SplitCells(std::string_view line) {
    DBCsvRow cells;
    size_t start = 0;
    while (true) {
        size_t comma = line.find(',', start);
        if (comma == std::string_view::npos) {
            cells.emplace_back(line.substr(start));
            break;
        }
        cells.emplace_back(line.substr(start, comma - start));
        start = comma + 1;
    }
    return cells;
}

uint8_t LowByte(const DBCsvRow& row, size_t col) {
    return col < row.size() ? uint8_t(CsvInt(row[col]) & 0xFF) : 0;
}

}  // namespace

std::vector<DBCsvRow> ReadCsvRows(std::string_view text) {
    std::vector<DBCsvRow> rows;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.size() > kMaxLine) line = line.substr(0, kMaxLine);
        if (line.size() >= 2 && line[1] == '/') continue;
        if (line.empty()) continue;
        rows.push_back(SplitCells(line));
    }
    return rows;
}

int32_t CsvInt(std::string_view cell) {
    size_t i = 0;
    auto blank = [&](size_t k) { return k < cell.size() && (cell[k] == ' ' || cell[k] == '\t'); };
    while (blank(i)) ++i;
    bool neg = false;
    if (i < cell.size() && (cell[i] == '-' || cell[i] == '+')) neg = cell[i++] == '-';
    size_t digits = 0;
    int64_t v = 0;
    while (i < cell.size() && cell[i] >= '0' && cell[i] <= '9') {
        v = v * 10 + (cell[i] - '0');
        if (v > int64_t(std::numeric_limits<int32_t>::max()) + 1) return 0;
        ++i;
        ++digits;
    }
    while (blank(i)) ++i;
    if (digits == 0 || i != cell.size()) return 0;
    v = neg ? -v : v;
    if (v > std::numeric_limits<int32_t>::max()) return 0;
    return int32_t(v);
}

int ImportRankCsv(std::string_view text, DBRankData (&rows)[DBRANK_ROWS]) {
    std::memset(rows, 0, sizeof(rows));
    constexpr size_t kInts = sizeof(DBRankData) / sizeof(int32_t);
    int n = 0;
    for (const DBCsvRow& row : ReadCsvRows(text)) {
        if (n >= DBRANK_ROWS) break;
        int32_t values[kInts] = {};
        for (size_t c = 0; c < kInts && c < row.size(); ++c) values[c] = CsvInt(row[c]);
        std::memcpy(&rows[n], values, sizeof(values));
        ++n;
    }
    return n;
}

int ImportShootCsv(std::string_view text, DBShootData (&rows)[DBSHOOT_COUNT]) {
    std::memset(rows, 0, sizeof(rows));
    constexpr size_t kInts = (sizeof(DBShootData) - offsetof(DBShootData, Pow)) / sizeof(int32_t);
    static_assert(kInts == 24);
    int n = 0;
    for (const DBCsvRow& row : ReadCsvRows(text)) {
        if (n >= DBSHOOT_COUNT) break;
        DBShootData& s = rows[n];
        std::memcpy(s.Name, row[0].data(), std::min(row[0].size(), sizeof(s.Name)));
        int32_t values[kInts] = {};
        for (size_t c = 1; c <= kInts && c < row.size(); ++c) values[c - 1] = CsvInt(row[c]);
        std::memcpy(reinterpret_cast<uint8_t*>(&s) + offsetof(DBShootData, Pow), values,
                    sizeof(values));
        ++n;
    }
    return n;
}

int ImportCharCsv(std::string_view text, const DTNameConv& conv,
                  DTCharData (&members)[DBTEAMS][DBMEMBERS],
                  DCDDBallDt (&abilities)[DBTEAMS][DBMEMBERS]) {
    int n = 0;
    for (const DBCsvRow& row : ReadCsvRows(text)) {
        if (n >= DBTEAMS * DBMEMBERS) break;
        DTCharData& c = members[n / DBMEMBERS][n % DBMEMBERS];
        DCDDBallDt& a = abilities[n / DBMEMBERS][n % DBMEMBERS];
        c.Name = conv(row[cccName]);
        c.Looks.DBFaceNo = LowByte(row, cccDBFaceNo);
        c.Looks.SkinCol = LowByte(row, cccSkinCol);
        c.Looks.HairCol = LowByte(row, cccHairCol);
        // dHP..dMnr are the record's first ten bytes, in column order.
        uint8_t* bytes = reinterpret_cast<uint8_t*>(&a);
        for (int k = 0; k < 10; ++k) bytes[offsetof(DCDDBallDt, dHP) + k] = LowByte(row, cccHP + k);
        a.dHS = LowByte(row, cccHS);
        a.dJHS = LowByte(row, cccJHS);
        a.dSHS1 = LowByte(row, cccSHS1);
        a.dSHS2 = LowByte(row, cccSHS2);
        ++n;
    }
    return n;
}
