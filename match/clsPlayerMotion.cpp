// A player's motions, the loading of animation frames, and the small state
// queries that the frame step, the control steps, the teams and the ball
// share.
#include <algorithm>
#include <cmath>

#include "match/MatchMath.h"
#include "match/clsObject.h"
#include "match/clsBall.h"
#include "shell/GlbRecord.h"
#include "sound/OggDataLib.h"

namespace {

enum FrameRule : uint8_t {
    frFirst,   // frame 0
    frSpan,    // 0 facing the front, span facing neither way, 2 * span facing the back
    frFixed,   // a fixed frame
};

// The frame a motion starts on: the rule and, for a span or a fixed frame,
// its number (a first-frame rule carries none).
struct StartFrame {
    FrameRule Rule;
    uint8_t Frame{};
};
constexpr StartFrame First{frFirst};
constexpr StartFrame Span(uint8_t n) { return {frSpan, n}; }
constexpr StartFrame Fixed(uint8_t n) { return {frFixed, n}; }

// One row of the motion table.
struct MotionRow {
    DBMotionType Type;
    int8_t MNo;          // base motion; -1: chosen by depth facing (three in a row)
    uint16_t Flags;
    bool KeepDs;         // the old dash flag stays
    StartFrame Start;
    DBMotionType StoreAs;
    uint8_t SE;          // sound effect played at once, 0 none
};

constexpr uint16_t F(DBMotionFlag f) { return MFBit(f); }

constexpr uint16_t Ar = F(dbmfAr), Ds = F(dbmfDs), Act = F(dbmfAct), Dam = F(dbmfDam),
                   MTK = F(dbmfMTK), JpOK = F(dbmfJpOK), Muki = F(dbmfMuki), ENG = F(dbmfENG),
                   FIX = F(dbmfFIX), ARv = F(dbmfARv), PHit = F(dbmfPHit), PW = F(dbmfPW);

// Indexed by DBMotionType. Rows whose base motion depends on more than the
// type (the crouch by hit points, throws by depth facing) are fixed up in
// SetMtype.
constexpr MotionRow kMotions[DBMOTIONTYPE_COUNT] = {
    {dbmtSt, 0, JpOK | Muki, false, Span(1), dbmtSt, 0},
    {dbmtWk, 1, JpOK | Muki, false, First, dbmtWk, 0},
    {dbmtDs, 2, Ds | JpOK, false, First, dbmtDs, 0},
    {dbmtJCr, 3, Ar | Act, true, Span(2), dbmtJCr, 0},
    {dbmtJ2, 23, Ar | Muki, true, Span(1), dbmtJ2, 0},
    {dbmtARv, 23, Ar | Muki | ARv, false, Span(1), dbmtJ2, 0},
    {dbmtCr, 4, Act, false, Span(1), dbmtCr, 0},
    {dbmtFlF, 5, Ar | Dam | MTK, false, Fixed(0), dbmtFlF, 0},
    {dbmtFlB, 5, Ar | Dam | MTK, false, Fixed(1), dbmtFlB, 0},
    {dbmtPHF, 28, PHit, false, Fixed(0), dbmtPHF, 0},
    {dbmtPHB, 28, PHit, false, Fixed(3), dbmtPHB, 0},
    {dbmtKG, 6, Dam, false, First, dbmtKG, 0},
    {dbmtDn, 8, Dam, false, First, dbmtDn, 8},
    {dbmtDRv, 37, Dam, false, Span(1), dbmtDRv, 0},
    {dbmtCM, 9, Act, false, Span(2), dbmtCM, 0},
    {dbmtPW, 10, JpOK | Muki | PW, false, Span(2), dbmtPW, 0},
    {dbmtPWWk, 38, JpOK | Muki | PW, false, First, dbmtWk, 0},
    {dbmtPWDs, 39, Ds | JpOK | PW, false, First, dbmtDs, 0},
    {dbmtSl, 11, Act | JpOK, false, First, dbmtSl, 0},
    {dbmtSh, 12, Act, true, First, dbmtSh, 0},
    {dbmtPa, 15, Act, true, Span(2), dbmtPa, 0},
    {dbmtJSh, 16, Ar | Act, true, First, dbmtJSh, 0},
    {dbmtJPa, 24, Ar | Act, true, First, dbmtJPa, 0},
    {dbmtCa, 20, Act, true, Span(2), dbmtCa, 0},
    {dbmtJCa, 21, Ar | Act, true, Span(2), dbmtJCa, 0},
    {dbmtDg, 22, Act, true, Span(1), dbmtDg, 0},
    {dbmtJDg, 35, Ar | Act, true, Span(1), dbmtJDg, 0},
    {dbmtRoF, 29, Dam, false, First, dbmtRoF, 9},
    {dbmtRoB, 30, Dam, false, First, dbmtRoB, 9},
    {dbmtENG, 31, Ar | Dam | MTK | ENG | FIX, false, First, dbmtENG, 11},
    {dbmtWIN, 32, FIX, false, First, dbmtWIN, 0},
    {dbmtLOSE, 33, FIX, false, First, dbmtLOSE, 0},
    {dbmtOvL, 34, Act, true, Span(2), dbmtOvL, 0},
};

constexpr bool TableInOrder() {
    for (int i = 0; i < DBMOTIONTYPE_COUNT; ++i)
        if (kMotions[i].Type != i) return false;
    return true;
}
static_assert(TableInOrder());

// The air and ground forms of the motions that have both.
DBMotionType AirGroundVariant(DBMotionType t, bool air) {
    if (air) {
        switch (t) {
            case dbmtSt: return dbmtJ2;
            case dbmtSh: return dbmtJSh;
            case dbmtPa: return dbmtJPa;
            case dbmtCa: return dbmtJCa;
            default: return t;
        }
    }
    switch (t) {
        case dbmtJ2: return dbmtSt;
        case dbmtJSh: return dbmtSh;
        case dbmtJPa: return dbmtPa;
        case dbmtJCa: return dbmtCa;
        default: return t;
    }
}

// 0 facing the front, 1 neither way, 2 the back.
int DepthIndex(MukiZType m) { return m == mzF ? 0 : m == mzB ? 2 : 1; }

const AnimeData& EmptyAni() {
    static const AnimeData empty{};
    return empty;
}

}  // namespace

// ---------------------------------------------------------------- motions

void TDBPlayer::SetMtype(DBMotionType t, bool Reset_f) {
    DBPlayerState& st = *MySt;
    if (st.Motion.MF.Has(dbmfFIX)) return;
    if (!Reset_f && t == st.Motion.Mtype) return;

    if (t != dbmtPWWk && t != dbmtPWDs) {
        st.Motion.M_c = 0;
        st.Anime.FrameNo = 0;
        st.Anime.LoopStNo = 0;
        st.Catch_c = -1;
        st.ECDdg_c = 0;
        st.DsAcc_c = 0;
        MyZahyou->Fric_c = 0;
        st.CatchW_c = 0;
        if (t != dbmtFlF && t != dbmtFlB) st.Down_c = 0;
        st.LandSet_f = 0;
    }
    t = AirGroundVariant(t, st.Motion.MF.Has(dbmfAr));
    if (t >= DBMOTIONTYPE_COUNT) {
        // "Unexpected tMtype (SetMType)"
        if (Glb)
            Glb->AlertMsg = "\x97" "\\" "\x8A\xFA\x82\xB9\x82\xCA" "tMtype(SetMType)";
        return;
    }

    const MotionRow& row = kMotions[t];
    uint16_t flags = row.Flags;
    if (row.KeepDs) flags |= uint16_t(st.Motion.MF & Ds);
    int32_t mno = row.MNo;
    int depth = DepthIndex(MyZahyou->MukiZ());
    switch (t) {
        case dbmtKG: mno = st.HP > 8 ? 6 : 7; break;
        case dbmtSh:
        case dbmtJSh:
        case dbmtJPa: mno = row.MNo + depth; break;
        default: break;
    }
    st.Motion.MF = flags;
    st.Motion.MNo = mno;
    if (row.Start.Rule == frSpan) st.Anime.FrameNo = depth * row.Start.Frame;
    if (row.Start.Rule == frFixed) st.Anime.FrameNo = row.Start.Frame;

    switch (t) {
        case dbmtJSh:
        case dbmtJPa: st.AirAct_f = 1; break;
        case dbmtJCa:
        case dbmtJDg:
            st.AirAct_f = 1;
            st.AirCatch_f = 1;
            break;
        case dbmtENG: st.Dead_f = 1; break;
        default: break;
    }
    if (row.SE) PlaySE(row.SE);

    if (!(flags & Ar)) {
        st.Air_c = 0;
        st.AirCatch_f = 0;
        st.AirAct_f = 0;
    }
    st.Motion.Mtype = row.StoreAs;
    SetFrameData(false);
}

void TDBPlayer::SetFrameData(bool InLoop_f) {
    DBPlayerState& st = *MySt;
    const AnimeData& a = NowFrameAni();
    if (!InLoop_f) {
        if (a.LoopP == 1) {
            st.Anime.Loop_c = a.LoopC;
            st.Anime.LoopStNo = st.Anime.FrameNo;
        } else if (a.LoopP == 3) {
            st.Anime.Loop_c = a.LoopC;
        }
        SettingSE();
    } else if (a.LoopSE_f) {
        SettingSE();
    }
    st.Anime.Tame_f = a.TameLoop_f ? 1 : 0;
    st.Anime.Ani_c = 0;
    st.Anime.Tame_c = 0;
    st.Anime.ActP_f = a.ActP_f ? 1 : 0;

    if (NowActP_f()) FrameAction();
}

// What the frame that carries an action does, by motion: a dash counts its
// steps, throws are released, catches open their window, and an outfielder
// who stepped over his line drops the ball. Only the ball's holder releases
// or drops it: a throwing motion whose player no longer holds the ball (it
// was knocked from him on the way) lets nothing go.
void TDBPlayer::FrameAction() {
    const DBMotionType m = MySt->Motion.Mtype;
    switch (m) {
        case dbmtDs:
            if (Infield_f) ++MySt->Step_c;
            break;
        case dbmtSh:
        case dbmtJSh:
            if (Ball_f()) SetShoot(m == dbmtJSh);
            break;
        case dbmtPa:
        case dbmtJPa:
            if (Ball_f()) SetPass(m == dbmtJPa);
            break;
        case dbmtCa:
        case dbmtJCa: MySt->Catch_c = 0; break;
        case dbmtOvL:
            if (Ball_f()) DropBall();
            break;
        default: break;
    }
}

// The held ball drops where it is as a bouncing ball.
void TDBPlayer::DropBall() {
    if (!DBall) return;
    DBall->SetMType(dbbBound);
    DBall->ZeroXYZ();
}

const AnimeData& TDBPlayer::NowFrameAni() const {
    if (!AOT->GDt) return EmptyAni();
    return AOT->GDt->MotionFrame(MySt->Motion.MNo, MySt->Anime.FrameNo).Ani;
}

const BitMapData& TDBPlayer::NowBmpData() const {
    static const BitMapData empty{};
    if (!AOT->GDt) return empty;
    return AOT->GDt->FrameRow(NowFrameAni().BmpNo);
}

void TDBPlayer::PlaySE(int no) const {
    if (Glb && Glb->OC) Glb->OC->SEPlay(no);
}

// ---------------------------------------------------------------- queries

DBTeamState& TDBPlayer::MyTSt() const { return MyDBT->TSt; }
DBBallState& TDBPlayer::BallSt() const { return AOT->DBBallSt; }

const DBGameData& TDBPlayer::GameData() const {
    static const DBGameData none{};
    return AOT->SDt ? AOT->SDt->DBGDt : none;
}

bool TDBPlayer::Ctrl_f() const { return MyDBT && MyDBT->TSt.CtrlNo == PosNo; }

bool TDBPlayer::Ball_f() const {
    const DBBallState& b = BallSt();
    return b.HoldTNo == SideNo && b.HoldPNo == PosNo;
}

bool TDBPlayer::PaTag_f() const {
    const DBBallState& b = BallSt();
    return b.Motion == dbbHold && b.PaTgTNo == SideNo && b.PaTgPNo == PosNo;
}

bool TDBPlayer::ShTag_f() const {
    const DBBallState& b = BallSt();
    return (b.Motion == dbbHold || b.Motion == dbbShoot) && b.ShTgTNo == SideNo &&
           b.ShTgPNo == PosNo;
}

bool TDBPlayer::NowActP_f() const { return MySt->Anime.Ani_c == 0 && MySt->Anime.ActP_f; }

bool TDBPlayer::Kagami_f() const { return MySt->Kagami_c > 0; }

bool TDBPlayer::CheckCtrlalbe() const { return !MySt->Dead_f && !HasMF(dbmfDam); }

bool TDBPlayer::CheckPaCoverMan() const {
    const DBBallState& b = BallSt();
    return MyDBT && MyDBT->TSt.CvrNo == PosNo && b.Motion == dbbPass && b.PaTgTNo == SideNo &&
           b.PaTgPNo >= 0 && b.PaTgPNo <= 3 && b.PaTgPNo != PosNo;
}

bool TDBPlayer::CheckFreeMotion(bool CheckAutoType_f) const {
    if (!Live_f || MySt->Dead_f || Kagami_f() || HasMF(dbmfDam) || HasMF(dbmfENG)) return false;
    if (!CheckAutoType_f) return true;
    DBAutoType a = MySt->Auto.AutoType;
    return a == dbaFree || a == dbaPos || a == dbaPos2 || a == dbaShCv;
}

bool TDBPlayer::CheckLandEnPos() const { return Infield_f && GetLCrtLandX() > DBCRT_INFMAX; }

bool TDBPlayer::CPU_f() const {
    const DBGameData& g = GameData();
    return g.DBCPUNum == 2 || (g.DBCPUNum == 1 && SideNo == 1);
}

int32_t TDBPlayer::LCrtOf(int32_t x) const {
    bool mirrored = Infield_f ? SideNo == 1 : SideNo == 0;
    return mirrored ? DBCOURT_W - x : x;
}

int32_t TDBPlayer::GetLCrtX() const { return LCrtOf(MyZahyou->X); }
void TDBPlayer::SetLCrtX(int32_t x) { MyZahyou->X = LCrtOf(x); }
int32_t TDBPlayer::GetLCrtLandX() const { return LCrtOf(MySt->LandX); }

void TDBPlayer::ZeroXYZ() {
    MyZahyou->dX = 0;
    MyZahyou->dY = 0;
    MyZahyou->dZ = 0;
    MyZahyou->Fric_c = 0;
    MySt->AirFric_c = 0;
}

using matchmath::Dist;

void TDBPlayer::GetBallDist() {
    DBPlayerState& st = *MySt;
    const DBBallState& b = BallSt();
    const TZahyou* bz = AOT->BallZahyou();
    const bool ctrl = CheckCtrlalbe();
    const bool landing = b.Motion == dbbPass || b.Motion == dbbBound;
    if (ctrl) {
        st.BallDist = Dist(int64_t(MyZahyou->Z) - bz->Z, int64_t(MyZahyou->X) - bz->X);
        st.BallLandDist = landing ? Dist(int64_t(MyZahyou->Z) - b.LandZ,
                                         int64_t(MyZahyou->X) - b.LandX)
                                  : st.BallDist;
    } else {
        st.BallDist = -1;
        st.BallLandDist = -1;
    }
    if (!b.LandLine_f) {
        st.BallLandLineDist = st.BallLandDist;
    } else if (!ctrl) {
        st.BallLandLineDist = -1;
    } else if (landing) {
        st.BallLandLineDist =
            Dist(int64_t(MyZahyou->Z) - b.LandZLine, int64_t(MyZahyou->X) - b.LandXLine);
    } else {
        st.BallLandLineDist = st.BallDist;
    }
}

void TDBPlayer::GetLandPos(int32_t g) {
    DBPlayerState& st = *MySt;
    if (st.LandSet_f) return;
    const TZahyou& z = *MyZahyou;
    int64_t t = 0;
    if (g > 0) {
        int64_t h;
        if (z.dY >= 1) {
            h = int64_t(z.dY) * z.dY / (2 * int64_t(g)) + z.Y;
        } else {
            int64_t q = z.dY / g;
            h = int64_t(g) * q * q / 2 + z.Y;
        }
        double fall = h > 0 ? std::sqrt(2.0 * double(h) / double(g)) : 0.0;
        t = int64_t(matchmath::Trunc(fall)) + z.dY / g;
    }
    int64_t lx = z.X + int64_t(z.dX) * t;
    int64_t lz = z.Z + int64_t(z.dZ) * t;
    st.LandX = int32_t(std::clamp<int64_t>(lx, 0, DBCOURT_W));
    st.LandZ = int32_t(std::clamp<int64_t>(lz, 0, DBCRT_BACKWALL));
    st.LandSet_f = 1;
}
