// The tuning, frame and motion tables are read from archive entries of any
// size and content: raw bytes are tried as an archive, and also packed as the
// three entries of a well-formed archive so every copy into a table is
// reached with every entry length.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "files/QDArc.h"
#include "shell/GameArchive.h"
#include "shell/GlbConst.h"
#include "shell/SAIData.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static auto tables = std::make_unique<TGrpData>();
    static TGlbConst gc(false);

    TMemoryStream raw(data, size);
    const bool refused = gc.LoadFromArchive(raw, false) == TGlbConst::Load::BadArchive;
    tables->LoadFromArchive(raw);
    // A refused archive is reported by what its checks found.
    if (refused && ArchiveProblem(raw, "DBDT", 0, 0, 0).empty()) __builtin_trap();

    if (size < 2) return 0;
    // The first two bytes split the rest into the three entries.
    std::span<const uint8_t> rest(data + 2, size - 2);
    size_t a = std::min<size_t>(data[0] * 8, rest.size());
    size_t b = std::min<size_t>(a + data[1] * 64, rest.size());
    std::vector<std::span<const uint8_t>> src{rest.subspan(0, a), rest.subspan(a, b - a), rest.subspan(b)};
    std::vector<std::string> ids{"dbini.sai", "DBBMPData.sai", "DBMotionData.sai"};
    auto image = BuildQDAArchive("DBDT", 0, 0, 0, src, ids, (data[0] & 1) != 0);
    if (!image) return 0;
    TMemoryStream ar(std::move(*image));
    auto r = gc.LoadFromArchive(ar, false);
    if (r == TGlbConst::Load::BadArchive || r == TGlbConst::Load::NoEntry) __builtin_trap();
    if (gc.DB.DBDBG.ALLHS_F || gc.DB.DBDBG.NODAMAGE_F) __builtin_trap();
    if (tables->LoadFromArchive(ar) != TableLoad::Ok) __builtin_trap();
    // Lookups stay inside the tables whatever the entries held.
    for (const auto& m : tables->DBBsmData)
        for (const auto& f : m.Frame) (void)tables->FrameRow(f.Ani.BmpNo).FaceNo;
    return 0;
}
