// The authoring CSV imports over arbitrary text: no row, name or cell may write
// outside its table.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "shell/DBTextImport.h"
#include "shell/zimraLib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    static DBRankData rank[DBRANK_ROWS];
    static DBShootData shots[DBSHOOT_COUNT];
    static DTCharData members[DBTEAMS][DBMEMBERS];
    static DCDDBallDt abilities[DBTEAMS][DBMEMBERS];
    ImportRankCsv(text, rank);
    ImportShootCsv(text, shots);
    // Names go through the game's own conversion into name codes.
    ImportCharCsv(text, [](std::string_view s) { return StrToDTNameArr(s); }, members, abilities);
    return 0;
}
