#include "tools/databuild/DataValidator.h"

#include "shell/GlbConst.h"
#include "tools/art/ArtLayout.h"
#include "tools/art/Pictures.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <map>
#include <string_view>

namespace databuild {
namespace {

std::string S(long long v) { return std::to_string(v); }

// ---------------------------------------------------------------- tuning

constexpr size_t kTuningSize = sizeof(CstDB);

CstDB Tuning(const std::vector<uint8_t>& cst) {
    CstDB db{};
    std::memcpy(&db, cst.data(), std::min(cst.size(), sizeof(db)));
    return db;
}

// Fields the match divides by, or that must pull things down or move them on.
std::vector<std::pair<const char*, int32_t>> PositiveFields(const CstDB& d) {
    const DBPASSRec& p = d.DBPASS;
    return {{"DBJP.GRV", d.DBJP.GRV},           {"DBJP.BY", d.DBJP.BY},
            {"DBJP.DBY", d.DBJP.DBY},           {"DBB.BWGRV", d.DBB.BWGRV},
            {"DBDAM.FLYGRV", d.DBDAM.FLYGRV},   {"DBNAIYA.POSITV", d.DBNAIYA.IPOSITV},
            {"DBNAIYA.DSACCITV", d.DBNAIYA.DSACCITV}, {"DBGAIYA.POSITV", d.DBGAIYA.OPOSITV},
            {"DBPASS.PAGRV", p.PAGRV},          {"DBPASS.PAGRV23", p.PAGRV23},
            {"DBPASS.PAGRV14", p.PAGRV14},      {"DBPASS.PAGRV11", p.PAGRV11},
            {"DBPASS.PASPD", p.PASPD},          {"DBPASS.PASPD23", p.PASPD23},
            {"DBPASS.PASPD14", p.PASPD14},      {"DBPASS.PASPD11", p.PASPD11},
            {"DBPASS.JPAGRV", p.JPAGRV},        {"DBPASS.JPAGRV23", p.JPAGRV23},
            {"DBPASS.JPAGRV14", p.JPAGRV14},    {"DBPASS.JPAGRV11", p.JPAGRV11},
            {"DBPASS.JPASPD", p.JPASPD},        {"DBPASS.JPASPD23", p.JPASPD23},
            {"DBPASS.JPASPD14", p.JPASPD14},    {"DBPASS.JPASPD11", p.JPASPD11},
            {"DBETC.FCTOSAIMAG", d.DBETC.FCTOSAIMAG}};
}

// ---------------------------------------------------------------- motions

enum class Need { End, Stay };  // must reach its last frame / must never end

struct UsedMotion {
    int mno;
    std::initializer_list<int> starts;  // first frame per facing (or per variant)
    Need need;
    bool act;       // needs an active frame on every path
    bool levelShot; // a ground shot: checks where the ball leaves the hands
};

// Every motion the match starts, with the frame each facing starts at.
const UsedMotion kUsed[] = {
    {0, {0, 1, 2}, Need::Stay, false, false},  // standing
    {1, {0}, Need::Stay, false, false},        // walk
    {2, {0}, Need::Stay, true, false},         // dash: its steps are active frames
    {3, {0, 2, 4}, Need::End, false, false},   // jump crouch: the take-off is its end
    {4, {0, 1, 2}, Need::End, false, false},   // landing crouch
    {5, {0, 1}, Need::Stay, false, false},     // knocked back: holds until landing
    {6, {0}, Need::End, false, false},         // out of breath
    {7, {0}, Need::End, false, false},
    {8, {0}, Need::Stay, false, false},        // lying down until the guts count ends
    {9, {0, 2, 4}, Need::End, false, false},   // catch slide
    {10, {0, 2, 4}, Need::Stay, false, false}, // waiting for a pass
    {11, {0}, Need::End, false, false},        // braking
    {12, {0}, Need::End, true, true},          // shots, facing front / none / back
    {13, {0}, Need::End, true, true},
    {14, {0}, Need::End, true, true},
    {15, {0, 2, 4}, Need::End, true, false},   // pass
    {16, {0}, Need::End, true, false},         // jump shots
    {17, {0}, Need::End, true, false},
    {18, {0}, Need::End, true, false},
    {20, {0, 2, 4}, Need::End, true, false},   // catch
    {21, {0, 2, 4}, Need::End, true, false},   // jump catch
    {22, {0, 1, 2}, Need::End, false, false},  // dodge
    {23, {0, 1, 2}, Need::Stay, false, false}, // in the air
    {24, {0}, Need::End, true, false},         // jump passes
    {25, {0}, Need::End, true, false},
    {26, {0}, Need::End, true, false},
    {28, {0, 3}, Need::End, false, false},     // hit by a pass, front / back
    {29, {0}, Need::Stay, false, false},       // rolling: ends by its countdown
    {30, {0}, Need::Stay, false, false},
    {31, {0}, Need::Stay, false, false},       // defeated
    {32, {0}, Need::Stay, false, false},       // win
    {33, {0}, Need::Stay, false, false},       // lose
    {34, {0, 2, 4}, Need::End, true, false},   // over the line: the active frame drops the ball
    {35, {0, 1, 2}, Need::End, false, false},  // jump dodge
    {37, {0, 1, 2}, Need::End, false, false},  // getting up
    {38, {0}, Need::Stay, false, false},       // walk / dash while a pass comes
    {39, {0}, Need::Stay, true, false},
};

// Height band of a level shot's underside: above a ducking player's hurt box
// (10 px) and below the top of a standing one's (24 px, less a margin).
constexpr int kLevelShotLowest = 10, kLevelShotHighest = 20;

// How a frame path ends.
enum class PathEnd { Last, Hold, Loop, Broken };

struct Path {
    PathEnd end = PathEnd::Broken;
    std::vector<int> frames;  // frames visited in order
};

std::string MotionName(const GameTables& t, int mno) {
    const char* name = t.motions[mno].Name;
    return "motion " + S(mno) + " (" + std::string(name, strnlen(name, sizeof(t.motions[mno].Name))) + ")";
}

// Follows the frames from `start` the way the frame step advances them.
Path Walk(const DBBaseMotionData& m, int start, int limit, const std::string& who, Errors& errors) {
    Path p;
    int loopStart = -1, loopCount = 0;
    for (int f = start;; ++f) {
        if (f >= limit) {
            errors.push_back(who + ": frames from " + S(start) + " run past frame " + S(limit - 1) +
                             " with no last frame, hold or loop (the motion has no end)");
            return p;
        }
        p.frames.push_back(f);
        const AnimeData& a = m.Frame[f].Ani;
        if (a.LoopP == 1) {
            loopStart = f;
            loopCount = a.LoopC;
        }
        if (a.LoopP == 3 && a.LoopC == 0) {
            p.end = PathEnd::Hold;
            return p;
        }
        if (a.LoopP == 2) {
            if (loopStart < 0) {
                errors.push_back(who + ", frame " + S(f) + ": loop end with no loop start before it");
                return p;
            }
            if (loopCount == 0) {
                p.end = PathEnd::Loop;
                return p;
            }
        }
        if (a.Last_f) {
            p.end = PathEnd::Last;
            return p;
        }
    }
}

// The longest catch window any catcher can get, over both rules and difficulties.
int LongestCatchWindow(const GameTables& t) {
    int longest = 0;
    for (const auto& table : t.rank)
        for (int r = 0; r <= 6; ++r) {
            const DBCaTData& c = table[r].CaT;
            for (int v : {c.CaFrm_HS, c.CaFrm_A, c.CaFrm_B, c.CaFrm_C, c.CaFrm_D, c.CaFrm_E, c.CaFrm_F,
                          c.CaFrm_G, c.CaFrm_P, c.EZCaFrm_HS, c.EZCaFrm_A, c.EZCaFrm_B, c.EZCaFrm_C,
                          c.EZCaFrm_D, c.EZCaFrm_E, c.EZCaFrm_F, c.EZCaFrm_G, c.EZCaFrm_P})
                longest = std::max(longest, v);
        }
    return longest;
}

void CheckMotion(const GameTables& t, const UsedMotion& u, int longestCatch, Errors& errors) {
    const DBBaseMotionData& m = t.motions[u.mno];
    const std::string who = MotionName(t, u.mno);
    std::vector<int> starts(u.starts);
    for (size_t i = 0; i < starts.size(); ++i) {
        const int start = starts[i];
        const int limit = i + 1 < starts.size() ? starts[i + 1] : DBMOTION_FRAMES;
        Errors walkErrors;
        Path p = Walk(m, start, limit, who, walkErrors);
        errors.insert(errors.end(), walkErrors.begin(), walkErrors.end());
        if (!walkErrors.empty()) continue;
        if (u.need == Need::End && p.end != PathEnd::Last)
            errors.push_back(who + ": frames from " + S(start) +
                             " never reach their last frame (a hold or endless loop)");
        if (u.need == Need::Stay && p.end == PathEnd::Last)
            errors.push_back(who + ": frames from " + S(start) +
                             " end; this motion must hold or loop for ever");
        int actFrame = -1;
        for (int f : p.frames)
            if (m.Frame[f].Ani.ActP_f) {
                actFrame = f;
                break;
            }
        if (u.act && actFrame < 0)
            errors.push_back(who + ": frames from " + S(start) + " have no active frame");
        // A level shot leaves from where the ball was held in the step before
        // its release frame; there it must pass over a ducking player and
        // still meet a standing one.
        if (u.levelShot && actFrame >= 0) {
            const int held = actFrame > start ? actFrame - 1 : actFrame;
            const AnimeData& a = m.Frame[held].Ani;
            if (a.BmpNo < DBBMP_COUNT) {
                int h = HeldBallHeight(a, t.frames[a.BmpNo]);
                if (h < kLevelShotLowest || h > kLevelShotHighest)
                    errors.push_back(who + ", frame " + S(held) + ": the ball leaves " + S(h) +
                                     " px above the feet; level shots need " + S(kLevelShotLowest) +
                                     ".." + S(kLevelShotHighest));
            }
        }
        if ((u.mno == 20 || u.mno == 21) && actFrame >= 0) {
            const AnimeData& a = m.Frame[actFrame].Ani;
            if (a.LoopP == 3)
                errors.push_back(who + ", frame " + S(actFrame) +
                                 ": the catching frame must not hold (the catch check cannot end it)");
            if (a.Time <= longestCatch)
                errors.push_back(who + ", frame " + S(actFrame) + ": the catching frame lasts " +
                                 S(a.Time) + " steps, not longer than the longest catch window (" +
                                 S(longestCatch) + ")");
        }
    }
}

// Motions a ball holder is drawn in. Throws, passes and the drop over the line
// let the ball go on the first step of their active frame, so only the frames
// before it show the ball in the hands; the others keep it to their end.
struct HeldMotion {
    int mno;
    bool letsGo;
};
constexpr HeldMotion kHeld[] = {{0, false},  {1, false},  {2, false},  {3, false},  {4, false},
                                {9, false},  {11, false}, {12, true},  {13, true},  {14, true},
                                {15, true},  {16, true},  {17, true},  {18, true},  {20, false},
                                {21, false}, {23, false}, {24, true},  {25, true},  {26, true},
                                {34, true}};

// A held ball must stay in sight: a holder whose body hides it looks as if
// nobody had the ball.
constexpr int kLeastBallShowing = 25;

// Every frame row a holder is drawn in, with the first motion that shows it.
std::map<int, int> HeldFrames(const GameTables& t) {
    std::map<int, int> held;
    for (const HeldMotion& h : kHeld) {
        const UsedMotion* u = std::find_if(std::begin(kUsed), std::end(kUsed),
                                           [&](const UsedMotion& m) { return m.mno == h.mno; });
        const std::vector<int> starts(u->starts);
        for (size_t i = 0; i < starts.size(); ++i) {
            Errors ignored;  // a broken path is reported by CheckMotion
            const int limit = i + 1 < starts.size() ? starts[i + 1] : DBMOTION_FRAMES;
            for (int f : Walk(t.motions[h.mno], starts[i], limit, "", ignored).frames) {
                const AnimeData& a = t.motions[h.mno].Frame[f].Ani;
                if (h.letsGo && a.ActP_f) break;
                if (a.BmpNo < DBBMP_COUNT) held.emplace(a.BmpNo, h.mno);
            }
        }
    }
    return held;
}

void CheckHeldBallsShow(const GameTables& t, Errors& errors) {
    for (const auto& held : HeldFrames(t)) {
        const int bmp = held.first, mno = held.second;
        const auto pose = std::find_if(t.poses.begin(), t.poses.end(),
                                       [&](const art::Pose& p) { return p.cell == bmp; });
        if (pose == t.poses.end()) {
            errors.push_back("frame " + S(bmp) + " (held in " + MotionName(t, mno) +
                             "): no body picture in art/poses.txt draws it");
            continue;
        }
        const BitMapData& f = t.frames[bmp];
        const int shows = HeldBallShowing(f, *pose);
        if (shows < kLeastBallShowing)
            errors.push_back("frame " + S(bmp) + " (" + pose->name + ", held in " +
                             MotionName(t, mno) + "): only " + S(shows) +
                             "% of the held ball shows past the body and face (IX " + S(f.IX) +
                             ", IY " + S(f.IY) + ", drawn behind); at least " +
                             S(kLeastBallShowing) + "% must, over the head or beside the body");
    }
}

// The wind-up of a jump shot: steps from its start to the release frame.
int WindUp(const DBBaseMotionData& m) {
    int steps = 0;
    for (int f = 0; f < DBMOTION_FRAMES; ++f) {
        if (m.Frame[f].Ani.ActP_f) return steps;
        steps += m.Frame[f].Ani.Time;
    }
    return -1;
}

bool SameShape(const DBBaseMotionData& a, const DBBaseMotionData& b) {
    for (int f = 0; f < DBMOTION_FRAMES; ++f) {
        const AnimeData &x = a.Frame[f].Ani, &y = b.Frame[f].Ani;
        if (x.Time != y.Time || x.LoopP != y.LoopP || x.LoopC != y.LoopC || x.Last_f != y.Last_f ||
            x.ActP_f != y.ActP_f)
            return false;
    }
    return true;
}

}  // namespace

bool FontDrawsText(std::string_view s) {
    static constexpr uint8_t kSigns[] = {0x5B, 0x60, 0x49, 0x48, 0x95, 0x41, 0x42, 0x63, 0x45,
                                         0x43, 0x5E, 0x46, 0x69, 0x6A, 0x75, 0x76, 0x9A, 0x99,
                                         0x83, 0x84, 0x93, 0xAA, 0xAB, 0xA9, 0xA8};
    if (s.size() % 2 != 0) return false;
    for (size_t i = 0; i < s.size(); i += 2) {
        const uint8_t a = uint8_t(s[i]), b = uint8_t(s[i + 1]);
        bool ok = false;
        if (a == 0x82) ok = (b >= 0x4F && b <= 0x58) || (b >= 0x60 && b <= 0x79) || (b >= 0x9F && b <= 0xF1);
        else if (a == 0x83) ok = b >= 0x55 && b <= 0x94;
        else if (a == 0x81) ok = std::find(std::begin(kSigns), std::end(kSigns), b) != std::end(kSigns);
        if (!ok) return false;
    }
    return true;
}

int HeldBallHeight(const AnimeData& a, const BitMapData& f) { return 24 - f.IY - f.BY - a.Y; }

int HeldBallShowing(const BitMapData& f, const art::Pose& body) {
    if (f.IZ == 0) return 100;
    // The ball's 16 x 16 cell is centred on the hand point; the face cell sits
    // at (FX, FY) of the body cell. Mirrored frames mirror all three alike.
    art::Canvas ball(16, 16, 0);
    art::DrawBall(ball, 8, 8, 6, 0, false);
    const art::Canvas bodyCell = art::DrawBody(body);
    const bool hasFace = f.FaceNo >= 1 && f.FaceNo <= art::kExpressions;
    int least = 100;
    for (int faceNo = 0; faceNo < (hasFace ? art::kFaceCount : 1); ++faceNo) {
        const art::Canvas face = hasFace ? art::DrawExpression(faceNo, f.FaceNo) : art::Canvas();
        int all = 0, shows = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                if (ball.At(x, y) == 0) continue;
                const int bx = f.IX - 8 + x, by = f.IY - 8 + y;
                ++all;
                if (bodyCell.At(bx, by) == 0 && face.At(bx - f.FX, by - f.FY) == 0) ++shows;
            }
        least = std::min(least, shows * 100 / std::max(all, 1));
    }
    return least;
}

void ValidateTuning(const std::vector<uint8_t>& cst, const char* name, Errors& errors) {
    if (cst.size() != kTuningSize) {
        errors.push_back(std::string(name) + ": the tuning table is " + S(cst.size()) +
                         " bytes, not 556");
        return;
    }
    for (auto [key, v] : PositiveFields(Tuning(cst)))
        if (v <= 0) errors.push_back(std::string(name) + ": " + key + " is " + S(v) + "; it must be above 0");
}

void ValidateMotions(const GameTables& t, Errors& errors) {
    // Every frame of every motion names a row of the frame table.
    for (int m = 0; m < DBMOTION_COUNT; ++m)
        for (int f = 0; f < DBMOTION_FRAMES; ++f) {
            int bmp = t.motions[m].Frame[f].Ani.BmpNo;
            if (bmp >= DBBMP_COUNT)
                errors.push_back(MotionName(t, m) + ", frame " + S(f) + ": BmpNo " + S(bmp) +
                                 " is outside the frame table (0..511)");
        }
    const int longestCatch = LongestCatchWindow(t);
    for (const UsedMotion& u : kUsed) CheckMotion(t, u, longestCatch, errors);
    // The pass-wait walk and dash keep the walk's and dash's frame counters.
    if (!SameShape(t.motions[38], t.motions[1]))
        errors.push_back(MotionName(t, 38) + ": its frames must match motion 1 frame for frame");
    if (!SameShape(t.motions[39], t.motions[2]))
        errors.push_back(MotionName(t, 39) + ": its frames must match motion 2 frame for frame");
    // The computer throws its jump specials 23 steps into the jump; the wind-up
    // must bring the release into the air special window.
    if (t.tuning[0].size() == kTuningSize) {
        const CstDB db = Tuning(t.tuning[0]);
        const int from = db.DBSHOOT.DJHSFRM;
        const int to = from + db.DBSHOOT.DJHSFRM2 - 1;
        for (int m : {16, 17, 18}) {
            int w = WindUp(t.motions[m]);
            if (w >= 0 && (23 + w < from || 23 + w > to))
                errors.push_back(MotionName(t, m) + ": a wind-up of " + S(w) +
                                 " steps releases at air step " + S(23 + w) +
                                 ", outside the air special window " + S(from) + ".." + S(to));
        }
    }
    // Frame rows the motions show.
    for (const UsedMotion& u : kUsed)
        for (int f = 0; f < DBMOTION_FRAMES; ++f) {
            int bmp = t.motions[u.mno].Frame[f].Ani.BmpNo;
            if (bmp >= DBBMP_COUNT) continue;
            const BitMapData& r = t.frames[bmp];
            if (r.FaceNo > 10 || r.FZ < 0 || r.FZ > 3 || r.SrcSize > 3)
                errors.push_back("frame " + S(bmp) + " (used by " + MotionName(t, u.mno) +
                                 "): FaceNo must be 0..10, FZ and SrcSize 0..3");
        }
    CheckHeldBallsShow(t, errors);
}

void ValidateRank(const DBRankData (&rank)[DBRANK_ROWS], const char* name, Errors& errors) {
    auto need = [&](int row, const char* field, int v, int least) {
        if (v < least)
            errors.push_back(std::string(name) + " row " + S(row) + ": " + field + " is " + S(v) +
                             "; it must be at least " + S(least));
    };
    for (int r = 0; r < DBRANK_ROWS; ++r) {
        const DBRankData& d = rank[r];
        if (r >= 1) need(r, "BP.Sp", d.BP.Sp, 1);
        const DBSpdData& s = d.Spd;
        need(r, "Spd.WkX", s.WkX, 1);
        need(r, "Spd.WkZ", s.WkZ, 1);
        need(r, "Spd.WkNX", s.WkNX, 1);
        need(r, "Spd.WkNZ", s.WkNZ, 1);
        need(r, "Spd.DSX", s.DSX, 1);
        need(r, "Spd.DSNX", s.DSNX, 1);
        need(r, "Spd.DSNZ", s.DSNZ, 1);
        need(r, "Spd.DSACC", s.DSACC, 1);
        need(r, "Spd.DSMAXACC", s.DSMAXACC, 0);
        need(r, "Spd.DSFric", s.DSFric, 1);
        need(r, "Spd.JPCrFrm", s.JPCrFrm, 1);
        const DBCaTData& c = d.CaT;
        const int windows[] = {c.CaFrm_HS, c.CaFrm_A, c.CaFrm_B, c.CaFrm_C, c.CaFrm_D, c.CaFrm_E,
                               c.CaFrm_F, c.CaFrm_G, c.CaFrm_P, c.MinCaFrm, c.EZCaFrm_HS, c.EZCaFrm_A,
                               c.EZCaFrm_B, c.EZCaFrm_C, c.EZCaFrm_D, c.EZCaFrm_E, c.EZCaFrm_F,
                               c.EZCaFrm_G, c.EZCaFrm_P, c.EZMinCaFrm};
        for (int w : windows) need(r, "a CaT catch window", w, 1);
        need(r, "Taf.DamPer", d.Taf.DamPer, 1);
        need(r, "Gut.RevFrm", d.Gut.RevFrm, 1);
        need(r, "Pos.XLX", d.Pos.XLX, 1);
        need(r, "Pos.ZLZ", d.Pos.ZLZ, 1);
    }
    // Shot levels: the power a shot needs rises with the level.
    for (int r = 2; r <= 6; ++r)
        if (rank[r].BP.Lv < rank[r - 1].BP.Lv)
            errors.push_back(std::string(name) + " row " + S(r) + ": BP.Lv " + S(rank[r].BP.Lv) +
                             " is below row " + S(r - 1) + "'s " + S(rank[r - 1].BP.Lv));
    // A better ability row is never slower.
    for (int r = 1; r <= 6; ++r)
        if (rank[r].Spd.WkX < rank[r - 1].Spd.WkX || rank[r].Spd.DSX < rank[r - 1].Spd.DSX)
            errors.push_back(std::string(name) + " row " + S(r) + ": walk or dash speed below row " +
                             S(r - 1) + "'s");
}

void ValidateShots(const DBShootData (&shots)[DBSHOOT_COUNT], Errors& errors) {
    // Path parameters that are periods, divisors or speeds of each special path.
    struct EtcNeed {
        int row;
        std::initializer_list<int> etc;
    };
    const EtcNeed kEtc[] = {{1, {1, 2, 3}}, {3, {0, 1}}, {4, {2, 3}}, {6, {0}},  {9, {4, 5}},
                            {10, {0}},     {11, {0}},    {13, {0}},   {14, {0}}, {16, {0}},
                            {17, {0, 1}},  {19, {2}}};
    for (int r = 0; r < DBSHOOT_COUNT; ++r) {
        const DBShootData& s = shots[r];
        const std::string who = "shot row " + S(r);
        if (s.Name[0] == 0) errors.push_back(who + ": no name");
        else if (!FontDrawsText(std::string_view(s.Name, strnlen(s.Name, sizeof(s.Name)))))
            errors.push_back(who + ": the name has characters the bitmap font cannot show");
        if (s.Pow <= 0) errors.push_back(who + ": Pow must be above 0");
        if (s.Spd <= 0) errors.push_back(who + ": Spd must be above 0");
        if (s.Ani < 0 || s.Ani > 8) errors.push_back(who + ": Ani " + S(s.Ani) + " is not 0..8");
    }
    for (const EtcNeed& n : kEtc)
        for (int e : n.etc)
            if (shots[n.row].Etc[e] <= 0)
                errors.push_back("shot row " + S(n.row) + ": Etc" + S(e) + " is " +
                                 S(shots[n.row].Etc[e]) + "; its path needs it above 0");
}

void ValidateTeams(const DTCharData (&members)[DBTEAMS][DBMEMBERS], Errors& errors) {
    for (int t = 0; t < DBTEAMS; ++t)
        for (int m = 0; m < DBMEMBERS; ++m) {
            const DTCharData& c = members[t][m];
            const std::string who = "team " + S(t) + " member " + S(m);
            if (c.Name[0] == 0) errors.push_back(who + ": no name");
            const std::pair<const char*, int> colours[] = {
                {"skin", c.Looks.SkinCol}, {"hair", c.Looks.HairCol}, {"eye", c.Looks.EyeCol}};
            for (auto [what, v] : colours)
                if (v >= kPalSets)
                    errors.push_back(who + ": " + what + " colour " + S(v) + " is not a palette set (0..31)");
            const DCDDBallDt& d = c.DBDt;
            if (d.dHP < 1 || d.dHP > 64)
                errors.push_back(who + ": dHP " + S(d.dHP) + " is not 1..64");
            const std::pair<const char*, int> specials[] = {
                {"dJHS", d.dJHS}, {"dHS", d.dHS}, {"dSHS1", d.dSHS1}, {"dSHS2", d.dSHS2}};
            for (auto [what, v] : specials)
                if (v >= DBSHOOT_COUNT + 2)
                    errors.push_back(who + ": " + what + " " + S(v) + " names shot row " + S(v - 2) +
                                     ", past the table (0..20)");
        }
}

void ValidatePalettes(const PaletteSets& pal, Errors& errors) {
    // The colour key is palette entry 0 of set 0; the display may keep colours
    // at 5-6-5 bits, so the key must stay apart from every painted colour there.
    auto r565 = [](const Rgb& c) { return (c.r >> 3) << 11 | (c.g >> 2) << 5 | (c.b >> 3); };
    const Rgb key = pal.colour[0][0];
    const Rgb fixedBlack{49, 48, 66};
    if (r565(fixedBlack) == r565(key))
        errors.push_back("palette set 0: the colour key equals the fixed outline colour at 16 bits");
    for (int s = 0; s < kPalSets; ++s)
        for (int e = 2; e < kPalEntries; ++e)
            if (r565(pal.colour[s][e]) == r565(key))
                errors.push_back("palette set " + S(s) + ", entry " + S(e) +
                                 ": equals the colour key at 16 bits (it would be transparent)");
}

Errors Validate(const GameTables& t) {
    Errors errors;
    ValidateTuning(t.tuning[0], "dbini.sai", errors);
    ValidateTuning(t.tuning[1], "dbini2.sai", errors);
    ValidateMotions(t, errors);
    ValidateRank(t.rank[0], "DBRankdata.sai", errors);
    ValidateRank(t.rank[1], "DBRankdata2.sai", errors);
    ValidateShots(t.shots, errors);
    ValidateTeams(t.members, errors);
    ValidatePalettes(t.palettes, errors);
    return errors;
}

}  // namespace databuild
