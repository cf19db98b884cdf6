#include "match/recordUnit.h"

#include <cstring>
#include <memory>

void TZahyou::SetMuki(int m) {
    if (m == mL || m == mR) FMuki = MukiType(m);
}

void TZahyou::SetMukiZ(int m) {
    FMukiZ = (m == mzF) ? mzF : (m == mzB) ? mzB : mzN;
}

void TZahyou::SetDashMuki(int m) {
    if (m == mL || m == mR) FDsMuki = MukiType(m);
    SetMuki(m);
    FMukiZ = mzN;
}

void TZahyou::Init() {
    ZRec() = ZahyouRec{};
    SetDashMuki(mL);
}

namespace {

// The stored form of a boolean is 0 or 1, of padding and memory references 0.
template <typename... B>
void Bool01(B&... flags) {
    ((flags = flags ? 1 : 0), ...);
}
template <size_t N>
void Bools01(uint8_t (&flags)[N]) {
    for (uint8_t& f : flags) Bool01(f);
}
template <typename... P>
void Zero(P&... pads) {
    (std::memset(&pads, 0, sizeof pads), ...);
}

void StoreAnime(StAnime& a) {
    Zero(a._pad17, a.pEfcDt);
    Bool01(a.Tame_f, a.RevX_f, a.RevY_f, a.ActP_f);
}

void StorePlayer(DBPlayerState& st) {
    StoreAnime(st.Anime);
    Bool01(st.Auto.ADash_f, st.CPUSt.Pa_f, st.Dead_f, st.AirCatch_f, st.AirAct_f, st.Round_f,
           st.MHP_f, st.PosReset_f, st.Stick_f, st.GaiyaOvL_f, st.LandSet_f);
    Zero(st.Motion._pad3, st.CPUSt._pad1, st.CPUSt._pad13, st._pad125, st._pad182, st._pad189,
         st._pad201, st._pad209, st._pad237, st._pad255, st.Zahyou);
}

void StoreBall(DBBallState& b) {
    StoreAnime(b.Anime);
    DBShootState& sh = b.ShSt;
    Bool01(sh.NmlSh_f, sh.Roll_f, b.Invs_f, b.PaJC_f, b.PaJPa_f, b.LandLine_f, b.Land_f,
           b.LandSet_f);
    Zero(sh._pad29, sh._pad61, sh._pad69, b._pad1, b._pad81, b._pad193, b._pad201, b._pad218,
         b._pad287, b.Zahyou);
}

void StoreTeam(DBTeamState& t) {
    Bool01(t.PosMove.EnC_f, t.PosReset_f);
    Bools01(t.PosMove.Inf_f);
    Zero(t.PosMove._pad1, t.PosMove._pad21, t._pad73);
}

}  // namespace

std::vector<uint8_t> QuickSaveToBytes(const QuickSaveData& sv) {
    auto img = std::make_unique<QuickSaveData>(sv);
    Bool01(img->DBGDt.DBSlow_f);
    Bools01(img->DBGDt.DBDefTeam_f);
    Zero(img->DBGDt._pad125, img->DBBallZahyou._pad3);
    for (auto& side : img->ADBPSt)
        for (auto& st : side) StorePlayer(st);
    StoreBall(img->DBBallSt);
    for (auto& side : img->ADBZahyou)
        for (auto& z : side) Zero(z._pad3);
    for (auto& t : img->DBTSt) StoreTeam(t);
    std::vector<uint8_t> out(sizeof(QuickSaveData));
    std::memcpy(out.data(), img.get(), sizeof(QuickSaveData));
    return out;
}

namespace {

bool InRange(int32_t v, int32_t lo, int32_t hi) { return v >= lo && v <= hi; }

// A side and position pair that names a player, or -1 for none in either.
bool SideOk(int32_t side) { return InRange(side, -1, DBSIDES - 1); }
bool PosOk(int32_t pos) { return InRange(pos, -1, DBPOSITIONS - 1); }

bool AnimeOk(const StAnime& a) {
    return InRange(a.FrameNo, 0, DBMOTION_FRAMES - 1) && InRange(a.LoopStNo, 0, DBMOTION_FRAMES - 1) &&
           a.RO_Muki <= mR;
}

// Coordinates and counters of a taken image stay far from the ends of int32,
// so the arithmetic of a match step cannot overflow on them.
constexpr int32_t kPosLimit = 1 << 24;    // positions: 167772 pixels either way
constexpr int32_t kValueLimit = 1 << 22;  // speeds and slide counters
constexpr int32_t kCountLimit = 1 << 28;  // frame counters, distances, hit points

bool ZahyouOk(const ZahyouRec& z) {
    for (int32_t v : {z.X, z.Y, z.Z, z.lX, z.lY, z.lZ, z.ShadowY, z.RideX})
        if (!InRange(v, -kPosLimit, kPosLimit)) return false;
    for (int32_t v : {z.dX, z.dY, z.dZ, z.Fric_c, z.Fric, z.Pri})
        if (!InRange(v, -kValueLimit, kValueLimit)) return false;
    return true;
}

bool PlayerCountersOk(const DBPlayerState& st) {
    for (int32_t v : {st.Motion.M_c, st.Anime.Ani_c, st.Anime.Loop_c, st.Anime.Tame_c,
                      st.BallDist, st.BallLandDist, st.BallLandLineDist, st.CPUSt.Ds_c,
                      st.CPUSt.Jp_c, st.CPUSt.Wait_c, st.AirRev_c, st.AirFric_c, st.JpCr_c,
                      st.Down_c, st.Catch_c, st.CatchW_c, st.StTg_c, st.Step_c, st.Air_c,
                      st.DdgLag_c, st.Roll_c, st.HP, st.Holy_c, st.AShCv_c, st.FricX, st.FricZ,
                      st.Kagami_c, st.KagamiRev_c, st.ECDdg_c, st.NoInput_c, st.DsAcc_c, st.LandX,
                      st.LandZ})
        if (!InRange(v, -kCountLimit, kCountLimit)) return false;
    return true;
}

bool TeamValuesOk(const DBTeamState& t) {
    const DBPosMove& m = t.PosMove;
    for (int32_t v : {m.EnCX, m.EnCZ, m.EnC_c, m.InfXZ, m.Inf_c, m.InfPos[0][0], m.InfPos[0][1],
                      m.InfPos[0][2], m.InfPos[0][3], m.InfPos[1][0], m.InfPos[1][1],
                      m.InfPos[1][2], m.InfPos[1][3]})
        if (!InRange(v, -kCountLimit, kCountLimit)) return false;
    return true;
}

const char* CheckImage(const QuickSaveData& sv) {
    const DBGameData& g = sv.DBGDt;
    if (g.DBGM > dbgmKansen || g.DBDif > dbdfHard || g.DBSSt > dbssResult) return "match settings";
    for (int s = 0; s < DBSIDES; ++s) {
        if (g.DBTeamNo[s] >= DBTEAMS) return "team number";
        for (int i = 0; i < DBPOSITIONS; ++i)
            if (!InRange(g.DBCharofP[s][i], -1, DBMEMBERS - 1) ||
                !InRange(g.DBPosofC[s][i], -1, DBPOSITIONS - 1))
                return "member or position number";
    }
    if (!InRange(g.DBCrtNo, 0, 2)) return "court number";
    for (auto& side : sv.ADBPSt)
        for (auto& st : side) {
            if (st.Motion.Mtype >= DBMOTIONTYPE_COUNT || !InRange(st.Motion.MNo, 0, DBMOTION_COUNT - 1))
                return "player motion";
            if (!AnimeOk(st.Anime)) return "player animation";
            if (st.Auto.AutoType > dbaCPUSht || st.Auto.AMuki > maR || st.Auto.AMukiZ > mzaB ||
                st.CPUSt.AtType > dbcaJPa || st.LastLRKey > maR)
                return "player control state";
            if (!InRange(st.CPUSt.PaNo, -1, DBPOSITIONS - 1)) return "pass target";
            if (!InRange(st.MukiAgl, -1, 7)) return "aim";
            if (!PlayerCountersOk(st)) return "player counter";
        }
    const DBBallState& b = sv.DBBallSt;
    if (b.Motion > dbbBound || b.PaNMuki > mzB || b.PaLine > dbplKyo) return "ball state";
    if (!AnimeOk(b.Anime)) return "ball animation";
    const int32_t sides[] = {b.HoldTNo, b.PichTNo, b.EnemTNo, b.ShTgTNo, b.PaTgTNo, b.PaCtTNo,
                             b.HitTNo,  b.CrtSide[0], b.CrtSide[1]};
    const int32_t poss[] = {b.HoldPNo, b.PichPNo, b.ShTgPNo, b.PaTgPNo, b.PaCtPNo, b.HitPNo,
                            b.CrtPos[0], b.CrtPos[1]};
    for (int32_t s : sides)
        if (!SideOk(s)) return "ball side number";
    for (int32_t p : poss)
        if (!PosOk(p)) return "ball position number";
    if (!InRange(b.ShSt.HSNo, dbhNML, dbhWID)) return "special shot";
    for (auto& side : sv.ADBZahyou)
        for (auto& z : side)
            if (z.FMuki > mR || z.FMukiZ > mzB || z.FDsMuki > mR) return "player facing";
            else if (!ZahyouOk(z)) return "player coordinates";
    if (sv.DBBallZahyou.FMuki > mR || sv.DBBallZahyou.FMukiZ > mzB) return "ball facing";
    if (!ZahyouOk(sv.DBBallZahyou)) return "ball coordinates";
    for (auto& t : sv.DBTSt) {
        if (!PosOk(t.CtrlNo) || !PosOk(t.CvrNo)) return "team control";
        if (t.PosMove.InfLine > iltO4 || !TeamValuesOk(t)) return "team formation";
    }
    return nullptr;
}

}  // namespace

bool QuickSaveFromBytes(std::span<const uint8_t> bytes, QuickSaveData& out, std::string* why) {
    auto fail = [&](std::string msg) {
        if (why) *why = std::move(msg);
        return false;
    };
    if (bytes.size() != sizeof(QuickSaveData))
        return fail("save state of " + std::to_string(bytes.size()) + " bytes, expected " +
                    std::to_string(sizeof(QuickSaveData)));
    auto img = std::make_unique<QuickSaveData>();
    std::memcpy(img.get(), bytes.data(), sizeof(QuickSaveData));
    if (const char* bad = CheckImage(*img)) return fail(std::string("save state has a bad ") + bad);
    out = *img;
    return true;
}
