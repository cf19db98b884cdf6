#include "match/clsBall.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "graphics/AlphaLib32.h"
#include "shell/GlbRecord.h"
#include "shell/clsAllTx.h"
#include "shell/zimraLib.h"
#include "sound/OggDataLib.h"
#include "match/clsBallUtil.h"
#include "input/DILib.h"

using namespace ballutil;

// ---------------------------------------------------------------- set-up

TDBBall::TDBBall(TAllObTx* aot, TGlobalSAI* glb) : TGenSAIObj(aot, glb), MySt(&aot->DBBallSt) {
    MyZahyou = aot->BallZahyou();
}

void TDBBall::OnInit() {
    TGenSAIObj::OnInit();
    MyZahyou = AOT->BallZahyou();
    MyZahyou->Init();
    *MySt = DBBallState{};
    SetMType(dbbBound);
    TZahyou& z = Zh();
    z.X = DBCOURT_W / 2;
    z.Z = 5600;
    z.Y = 0;
    ZeroXYZ();
}

void TDBBall::OnSave() { AOT->SvDt.DBBallZahyou = Zh().ZRec(); }
void TDBBall::OnLoad() { Zh().ZRec() = AOT->SvDt.DBBallZahyou; }

void TDBBall::ZeroXYZ() {
    TZahyou& z = Zh();
    z.dX = z.dY = z.dZ = 0;
}

const DBShootData* TDBBall::HSRow() const {
    int hs = MySt->ShSt.HSNo;
    if (hs < 0 || hs >= DBSHOOT_COUNT) return nullptr;
    return &AOT->ADBShootDt[hs];
}

const DBBPData& TDBBall::BPRow(int32_t lv) const {
    return AOT->ADBRankDt[std::clamp<int32_t>(lv, 0, DBRANK_ROWS - 1)].BP;
}

TDBPlayer* TDBBall::PlayerAt(int32_t side, int32_t pos) const {
    if (!AOT->AO || side < 0 || side >= DBSIDES || pos < 0 || pos >= DBPOSITIONS) return nullptr;
    return AOT->AO->DB6[side][pos].get();
}

// ---------------------------------------------------------------- state changes

void TDBBall::SetMType(DBBallMotionType tMtype) {
    DBBallMotionType prev = MySt->Motion;
    MySt->HoldTNo = -1;
    MySt->HoldPNo = -1;
    MySt->LandSet_f = 0;
    switch (tMtype) {
        case dbbFree:
            for (int i = 0; i < DBSIDES; ++i) {
                TeamSeekCtrl(AOT, i);
                TeamPosReset(AOT, i, true);
            }
            break;
        case dbbHold:
            if (prev != dbbHold)
                for (int i = 0; i < DBSIDES; ++i) TeamPosReset(AOT, i, true);
            break;
        case dbbShoot:
            MySt->ShSt = DBShootState{};
            break;
        case dbbPass:
            TeamPosReset(AOT, MySt->EnemTNo, true);
            break;
        case dbbBound:
            if (prev != dbbBound)
                for (int i = 0; i < DBSIDES; ++i) {
                    TeamSeekCtrl(AOT, i);
                    TeamPosReset(AOT, i, true);
                }
            break;
    }
    MySt->Motion = tMtype;
}

void TDBBall::SetMTypeHold(int32_t tTNo, int32_t tPNo) {
    for (int i = 0; i < DBSIDES; ++i)
        if (DBTeamState* t = TeamState(AOT, i)) t->PosMove.EnC_c = 0;
    if (MySt->Motion == dbbPass) {
        if (tTNo == MySt->EnemTNo) {
            TeamPosReset(AOT, 1 - tTNo, true);
        } else if (DBTeamState* t = TeamState(AOT, MySt->EnemTNo)) {
            t->PosMove.Inf_c = DB().DBNAIYA.IPOSITV;
            t->PosReset_f = 0;
        }
    }
    ZeroXYZ();
    SetMType(dbbHold);
    MySt->HoldTNo = MySt->PichTNo = tTNo;
    MySt->HoldPNo = MySt->PichPNo = tPNo;
    MySt->EnemTNo = 1 - tTNo;
}

// ---------------------------------------------------------------- per step

void TDBBall::OnMove() {
    if (InResult(AOT)) return;
    MCCount();
    Moving();
    CrtPosition();
}

void TDBBall::SetNmlBall(bool KeepHS_f) {
    MySt->AniNo = 0;
    if (!KeepHS_f) MySt->ShSt.HSNo = dbhNML;
    MySt->Invs_f = 0;
}

void TDBBall::Spining() {
    DBShootState& sh = MySt->ShSt;
    if (UpToR(sh.Spin_c, SPINMAX, sh.Spin)) sh.Spin_c %= SPINMAX;
}

void TDBBall::MCCount() {
    DBShootState& sh = MySt->ShSt;
    switch (MySt->Motion) {
        case dbbFree:
        case dbbHold:
            SetNmlBall(false);
            break;
        case dbbShoot: {
            Spining();
            sh.HS_c = Sat(int64_t(sh.HS_c) + 1);
            DownTo0(MySt->NoHit_c, 1);
            if (sh.HSNo == dbhNML) {
                SetNmlBall(true);
                break;
            }
            const DBShootData* row = HSRow();
            int32_t a = row ? row->Ani : -1;
            if (a < 0 || a > 8) {
                MySt->AniNo = 0;
                break;
            }
            if (sh.HS_c >= HSANICYCLE && HSANIARREND_F[a])
                MySt->AniNo = HSANIARR[a][7];
            else
                MySt->AniNo = HSANIARR[a][Mod(sh.HS_c, HSANICYCLE) / ANIFRM];
            if (MySt->AniNo == 4 && Zh().dY < 0) MySt->AniNo = 1;
            MySt->Invs_f = MySt->AniNo == 255;
            break;
        }
        case dbbPass:
            SetNmlBall(false);
            Spining();
            DownTo0(MySt->NoHit_c, 1);
            if (MySt->PaETA_c != -1) MySt->PaETA_c = Sat(int64_t(MySt->PaETA_c) - 1);
            break;
        case dbbBound:
            SetNmlBall(false);
            Spining();
            break;
    }
}

void TDBBall::Moving() {
    TZahyou& z = Zh();
    const CstDB& db = DB();
    MySt->CrvX = MySt->CrvY = MySt->CrvZ = 0;
    bool stop = false;
    switch (MySt->Motion) {
        case dbbFree:
            ZeroXYZ();
            break;
        case dbbShoot: {
            stop = HSMoving();
            const DBShootData* row = HSRow();
            if (MySt->ShSt.HSNo == dbhNML || (row && row->Crv_f)) Curving();
            break;
        }
        case dbbPass:
            z.dY = Sat(int64_t(z.dY) - MySt->PaGrv);
            break;
        case dbbBound:
            z.dY = Sat(int64_t(z.dY) - FCDIV(db.DBB.BWGRV));
            break;
        case dbbHold:
            break;
    }
    z.dY = std::max(z.dY, BALLMINDY);
    if (!stop) {
        z.X = Sat(int64_t(z.X) + z.dX + MySt->CrvX);
        z.Y = Sat(int64_t(z.Y) + z.dY + MySt->CrvY);
        z.Z = Sat(int64_t(z.Z) + z.dZ + MySt->CrvZ);
    }
    if (MySt->Motion != dbbHold) Bounds();
    switch (MySt->Motion) {
        case dbbShoot:
            GetShootLandPos();
            break;
        case dbbPass:
            GetBoundLandPos(MySt->PaGrv);
            break;
        case dbbBound:
            GetBoundLandPos(FCDIV(db.DBB.BWGRV));
            break;
        case dbbFree:
        case dbbHold:
            MySt->Land_f = 1;
            MySt->LandX = z.X;
            MySt->LandZ = z.Z;
            break;
    }
    SetZanzouPos();
}

// Floor, ceiling and the four walls of the hall.
void TDBBall::Bounds() {
    TZahyou& z = Zh();
    const DBBRec& b = DB().DBB;
    if (z.Y < 0) {
        z.Y = 0;
        MySt->LandSet_f = 0;
        z.dY = std::max(z.dY, Sat(-int64_t(b.BWMAXDY)));
        if (MySt->Motion == dbbShoot) {
            SetShootBound();
            SetMType(dbbBound);
        } else if (z.dY < -b.BWENDDY) {
            z.dY = Sat(-int64_t(z.dY) - b.BWABSDY);
            z.dX = Percentage(z.dX, b.BWABSDX);
            z.dZ = Percentage(z.dZ, b.BWABSDZ);
            if (MySt->Motion != dbbBound) SetMType(dbbBound);
        } else {
            ZeroXYZ();
            if (MySt->Motion != dbbFree) SetMType(dbbFree);
        }
        SESet(Glb, 14);
    }
    if (z.Y > BALLCEILING - 1) {
        z.Y = BALLCEILING;
        bool moz = MySt->Motion == dbbShoot && MySt->ShSt.HSNo == dbhMOZ;
        if (!moz && MySt->Motion != dbbBound) {
            ZeroXYZ();
            SetMType(dbbBound);
        }
    }
    if (z.X > DBCOURT_W || z.X < 0) {
        z.X = std::clamp(z.X, 0, DBCOURT_W);
        WallAbs(false);
        SetMType(dbbBound);
    }
    if (z.Z > DBCOURT_D || z.Z < 0) {
        z.Z = std::clamp(z.Z, 0, DBCOURT_D);
        WallAbs(true);
        SetMType(dbbBound);
    }
}

void TDBBall::WallAbs(bool ZWall_f) {
    TZahyou& z = Zh();
    const DBBRec& b = DB().DBB;
    if (ZWall_f) {
        z.dX = Percentage(z.dX, b.ZWALLABSDX);
        z.dZ = Sat(-int64_t(Percentage(z.dZ, b.ZWALLABSDZ)));
    } else {
        z.dX = Sat(-int64_t(Percentage(z.dX, b.XWALLABSDX)));
        z.dZ = Percentage(z.dZ, b.XWALLABSDZ);
    }
}

void TDBBall::SetShootBound() {
    TZahyou& z = Zh();
    const CstDB& db = DB();
    double h = std::hypot(double(z.dX), double(z.dZ));
    if (h == 0) {
        z.dY = Sat(-int64_t(z.dY));
        return;
    }
    double c = std::fabs(double(z.dY));
    if (int64_t(Trunc(c / h)) * 100 < db.DBB.BWMINDYPERDX)
        c = Percentage(Trunc(h), db.DBB.BWMINDYPERDX);
    double l = std::hypot(h, c);
    const DBShootData* row = HSRow();
    int32_t bw = (MySt->ShSt.HSNo == dbhNML || !row) ? BPRow(MySt->ShSt.ShLv).BwSp : row->BwSp;
    double u = FCMAG(bw);
    const int32_t v = l > 0 ? Trunc(h * u / l) : 0;
    z.dY = l > 0 ? Trunc(c * u / l) : 0;
    z.dX = Trunc(double(v) * z.dX / h);
    z.dZ = Trunc(double(v) * z.dZ / h);
}

// ---------------------------------------------------------------- landing

void TDBBall::GetShootLandPos() {
    const TZahyou& z = Zh();
    MySt->LandX = z.X;
    MySt->LandZ = z.Z;
    const DBShootData* row = HSRow();
    int64_t vx, vy, vz;
    if (MySt->ShSt.HSNo == dbhNML || (row && row->Crv_f)) {
        vx = int64_t(z.dX) + MySt->CrvX;
        vy = int64_t(z.dY) + MySt->CrvY;
        vz = int64_t(z.dZ) + MySt->CrvZ;
    } else {
        vx = MySt->ShSt.fdX;
        vy = MySt->ShSt.fdY;
        vz = MySt->ShSt.fdZ;
    }
    if (vy < 0) {
        MySt->Land_f = 1;
        int64_t t = z.Y / -vy;
        MySt->LandX = Sat(z.X + vx * t);
        MySt->LandZ = Sat(z.Z + vz * t);
    } else {
        MySt->Land_f = 0;
    }
}

int32_t BallFallTime(int32_t v, int32_t h, int32_t g) {
    if (g <= 0) return 0;
    double H;
    if (v >= 1)
        H = double(int64_t(v) * v / (2 * int64_t(g))) + h;
    else {
        int64_t q = v / g;
        H = double(g * q * q / 2) + h;
    }
    double r = std::sqrt(std::max(0.0, 2 * H / g));
    return Sat(int64_t(Trunc(r)) + v / g);
}

namespace {
// The coordinate of the point on the line from a to b at percent p.
int32_t AlongPath(int32_t from, int32_t to, int64_t num, int64_t den) {
    int64_t p = den == 0 ? 100 : num * 100 / den;
    return Sat(from + PercentageW(int64_t(to) - from, p));
}
}  // namespace

void TDBBall::GetBoundLandPos(int32_t tGrv) {
    if (MySt->LandSet_f) return;
    const TZahyou& z = Zh();
    int64_t t = BallFallTime(z.dY, z.Y, tGrv);
    int32_t lx = std::clamp<int64_t>(z.X + int64_t(z.dX) * t, 0, DBCOURT_W);
    int32_t lz = std::clamp<int64_t>(z.Z + int64_t(z.dZ) * t, 0, DBCOURT_D);
    MySt->LandX = lx;
    MySt->LandZ = lz;
    MySt->LandXLine = lx;
    MySt->LandZLine = lz;
    MySt->LandLine_f = 0;
    constexpr int32_t lineL = 7400 + LLDIST, lineR = 43800 - LLDIST;
    constexpr int32_t lineB = 9200 - LLDISTZ, lineF = 2200 + LLDISTZ;
    if (lx < lineL || lx > lineR) {
        MySt->LandXLine = lx < lineL ? lineL : lineR;
        MySt->LandZLine = AlongPath(z.Z, lz, std::abs(int64_t(z.X) - MySt->LandXLine),
                                    std::abs(int64_t(lx) - z.X));
        MySt->LandLine_f = 1;
    }
    if (lz > lineB || lz < lineF) {
        MySt->LandZLine = lz > lineB ? lineB : lineF;
        MySt->LandXLine = AlongPath(z.X, lx, std::abs(int64_t(z.Z) - MySt->LandZLine),
                                    std::abs(int64_t(lz) - z.Z));
        MySt->LandLine_f = 1;
    }
    MySt->Land_f = 1;
    MySt->LandSet_f = 1;
}

// ---------------------------------------------------------------- whose ball

void TDBBall::CrtPosition() {
    int32_t a = MySt->LandX;
    bool right = a > DBCOURT_W / 2;
    MySt->CrtSide[0] = MySt->CrtSide[1] = right ? 1 : 0;
    if (right) a = DBCOURT_W - a;
    // The outfield around the half the ball lies in belongs to the other team.
    int stealer = right ? 0 : 1;
    for (int i = 0; i < DBSIDES; ++i) {
        int64_t f = MySt->LandZ;
        int64_t c = 0, d = 0, e = 0;
        if (MySt->Motion == dbbFree && i == stealer) {
            c = int64_t(MnrOf(PlayerAt(i, 5)).STEAL_D) * 100;
            e = int64_t(MnrOf(PlayerAt(i, 4)).STEAL_D) * 100;
            d = int64_t(MnrOf(PlayerAt(i, 6)).STEAL_W) * 100;
        }
        int32_t& side = MySt->CrtSide[i];
        if (f <= 2200 + c) {
            MySt->CrtPos[i] = 5;
            side = 1 - side;
        } else if (f >= 9200 - e) {
            MySt->CrtPos[i] = 4;
            side = 1 - side;
        } else if (a < (10 * f - 22000) / 33 + d + 7400) {
            MySt->CrtPos[i] = 6;
            side = 1 - side;
        } else {
            MySt->CrtPos[i] = 0;
        }
    }
}

// ---------------------------------------------------------------- after-images

void TDBBall::SetZanzouPos() {
    if (MySt->Motion != dbbShoot) {
        for (int i = 0; i < 4; ++i) MySt->ZnX[i] = MySt->ZnY[i] = MySt->ZnZ[i] = -1;
        return;
    }
    if (!DownTo0(MySt->Zn_c, 1)) return;
    MySt->Zn_c = 4;
    for (int i = 0; i < 3; ++i) {
        MySt->ZnX[i] = MySt->ZnX[i + 1];
        MySt->ZnY[i] = MySt->ZnY[i + 1];
        MySt->ZnZ[i] = MySt->ZnZ[i + 1];
    }
    const TZahyou& z = Zh();
    MySt->ZnX[3] = z.X;
    MySt->ZnY[3] = z.Y;
    MySt->ZnZ[3] = z.Z;
    MySt->ZnSp[3] = MySt->ShSt.Spin_c;
}

// ---------------------------------------------------------------- hit box

void TDBBall::OnSetOS() {
    if (InResult(AOT)) return;
    const DBBRec& b = DB().DBB;
    int32_t w = b.ATARIW, h = b.ATARIH, d = b.ATARID;
    if (MySt->Motion == dbbFree) {
        w = b.FREEATARIW;
        h = b.FREEATARIH;
        d = b.FREEATARID;
    } else if (MySt->Motion == dbbShoot && (MySt->PichPNo == 4 || MySt->PichPNo == 5)) {
        w = b.ZATARIW;
        h = b.ZATARIH;
        d = b.ZATARID;
    }
    const TZahyou& z = Zh();
    int32_t left = z.X / 100 - b.ATARIW / 2;
    int32_t top = z.Y / 100;
    MySt->Atari = DBRect{left, top, Sat(int64_t(left) + w), Sat(int64_t(top) + h)};
    MySt->AtariD = d;
    MySt->HitTNo = MySt->HitPNo = -1;
}

// ---------------------------------------------------------------- drawing

void TDBBall::OnDraw() {
    TGenDBDraw* d = AOT->AO ? AOT->AO->DBD.get() : nullptr;
    if (!d) return;
    d->OnSadowDraw();
    const TZahyou& z = Zh();
    d->OnDraw(z.X, z.Y, z.Z, MySt->ShSt.Spin_c);
}

namespace {
constexpr int32_t BSIZE = 16, BSIZEBIG = 32;
constexpr int32_t HSFLS = 4, HSFLS2 = 8, HSFLSBMP = 48;
}  // namespace

void TGenDBDraw::OnDraw(int32_t xx, int32_t yy, int32_t zz, int32_t sp_c) {
    if (BallSt->Invs_f || !AL || !AOT->AT) return;
    const TZahyou* z = AOT->BallZahyou();
    int32_t col = Mod(sp_c / 100, 8);  // eight spin frames
    int32_t n = BallSt->AniNo;
    int32_t sx, sy, w, h;
    bool big = false;
    if (n == 13) {
        sx = col * BSIZEBIG, sy = 128, w = h = BSIZEBIG;
        big = true;
    } else if (n >= 1 && n <= 12) {
        sx = (n - 1) * BSIZE, sy = 16, w = BSIZE, h = 32;
    } else {
        sx = col * BSIZE, sy = 0, w = h = BSIZE;
    }
    if (BallSt->ShSt.HSNo != dbhNML && Mod(BallSt->ShSt.HS_c, HSFLS2) > HSFLS)
        sy += big ? BSIZEBIG : HSFLSBMP;
    AL->DrawTexSai(AOT->AT->DBItemtx, sx, sy, w, h, xx / 100, 232 - yy / 100 - zz / 100,
                   z->NowPri(), 255, 0xFFFFFF, BM_NORMAL, z->Muki() == mL ? mirLR : mirNone, r0);
}

void TGenDBDraw::OnSadowDraw() {
    if ((BallSt->Invs_f && !AuthoringBuild(Glb)) || !AL || !AOT->AT) return;
    const TZahyou* z = AOT->BallZahyou();
    AL->DrawTexSai(AOT->AT->DBItemtx, 96, 104, 16, 8, z->X / 100,
                   240 - z->Z / 100 - (z->ShadowY + 1) / 100, z->NowPri(), 255, 0, BM_NORMAL,
                   mirNone, r0);
}

// ---------------------------------------------------------------- key curve

// One curve counter: runs toward +lag while the plus key is held and toward
// -lag while the minus key is (restarting from 0 when it had the other sign),
// and drops to 0 when neither is held. Gives +1 or -1 once it stands at the
// bound, else 0.
static int32_t CurveCounter(int32_t& c, bool plus, bool minus, int32_t lag) {
    lag = std::max(lag, 0);
    if (plus) {
        if (c < 0) c = 0;
        if (c < lag) ++c;
        return c >= lag ? 1 : 0;
    }
    if (minus) {
        if (c > 0) c = 0;
        if (c > -lag) --c;
        return c <= -lag ? -1 : 0;
    }
    c = 0;
    return 0;
}

void TDBBall::Curving() {
    TDBPlayer* thrower = PlayerAt(MySt->PichTNo, MySt->PichPNo);
    if (!thrower || !thrower->DI || IsCPUSide(AOT, thrower->SideNo)) return;
    TDISAI* di = thrower->DI;
    const TZahyou& z = Zh();
    DBShootState& sh = MySt->ShSt;
    const DBCrvData& row = AOT->ADBRankDt[std::clamp<int32_t>(sh.CrvLv, 0, DBRANK_ROWS - 1)].Crv;
    int32_t lag = DB().DBSHOOT.CRVLAG;
    bool alongX = std::abs(int64_t(z.dZ)) < std::abs(int64_t(z.dX));
    bool up = di->CheckCrs2(cU, 0), down = di->CheckCrs2(cD, 0);
    bool left = di->CheckCrs2(cL, 0), right = di->CheckCrs2(cR, 0);

    // Vertical: the key against the flight lifts the ball, the one along it
    // drops it. Up on the device points toward growing depth.
    bool against, along;
    if (alongX) {
        against = z.dX >= 0 ? left : right;
        along = z.dX >= 0 ? right : left;
    } else {
        against = z.dZ >= 0 ? down : up;
        along = z.dZ >= 0 ? up : down;
    }
    int32_t vy = CurveCounter(sh.CrvY_c, against, along, lag);
    if (vy != 0) MySt->CrvY = vy * row.CrvY;

    // Sideways: s = +1 for the key toward growing depth (flying along X) or
    // growing X (flying along depth).
    int32_t s = alongX ? CurveCounter(sh.Crv_c, up, down, lag)
                       : CurveCounter(sh.Crv_c, right, left, lag);
    if (s == 0) return;
    int32_t b = row.Crv;
    if (vy != 0) {
        b = row.NCrv;
        MySt->CrvY = vy * row.NCrvY;
    }
    double h = std::hypot(double(z.dX), double(z.dZ));
    if (h == 0) return;
    // A perpendicular of the flight, turned so that it points the key's way.
    double px = z.dZ / h, pz = -z.dX / h;
    double toward = alongX ? pz : px;
    if (toward * s < 0) px = -px, pz = -pz;
    MySt->CrvX = Trunc(b * px * h / 100);
    MySt->CrvZ = Trunc(b * pz * h / 100);
}

// ---------------------------------------------------------------- aiming

void TDBBall::SAngle(int32_t& mX, int32_t& mY, int32_t& mZ, int32_t speed) const {
    if (Zh().MukiZ() == mzN)
        mX = Sat(std::max<int64_t>({int64_t(mX), 100, std::abs(int64_t(mY))}));
    else
        mZ = std::max(mZ, 100);
    double n = std::sqrt(double(mX) * mX + double(mY) * mY + double(mZ) * mZ);
    if (n == 0) {
        mX = speed, mY = 0, mZ = 0;
        return;
    }
    mX = Trunc(speed * (mX / n));
    mY = Trunc(speed * (mY / n));
    mZ = Trunc(speed * (mZ / n));
}

// Aims the ball's horizontal velocity at the target player with the given
// speed; false without a target.
bool TDBBall::AimAt(int32_t speed, bool Height_f) {
    TDBPlayer* tg = PlayerAt(MySt->ShTgTNo, MySt->ShTgPNo);
    if (!tg || !tg->MyZahyou) return false;
    TZahyou& z = Zh();
    int64_t dx = int64_t(tg->MyZahyou->X) - z.X, dz = int64_t(tg->MyZahyou->Z) - z.Z;
    int32_t mX = Sat(std::abs(dx)), mZ = Sat(std::abs(dz));
    int32_t mY = Height_f ? Sat(std::abs(int64_t(tg->MyZahyou->Y) - z.Y)) : 0;
    SAngle(mX, mY, mZ, speed);
    z.dX = dx < 0 ? -mX : mX;
    z.dZ = dz < 0 ? -mZ : mZ;
    return true;
}

// ---------------------------------------------------------------- special paths

namespace {
// The triangle wave of the paths: c mod a while c mod 2a < a, else a - c mod a.
int64_t Tri(int64_t c, int64_t a) {
    int64_t m = ModL(c, a);
    return ModL(c, 2 * a) < a ? m : a - m;
}
// The phase angle of a path with period 4a at step c.
double Phase(int64_t c, int64_t a) {
    return double(ModL(c, 4 * a)) / double(4 * a) * 2 * std::numbers::pi;
}
}  // namespace

bool TDBBall::HSMoving() {
    const DBShootData* row = HSRow();
    if (!row) return false;
    TZahyou& z = Zh();
    DBShootState& sh = MySt->ShSt;
    auto E = [row](int n) { return int64_t(row->Etc[n]); };
    int64_t c = sh.HS_c;
    TDBPlayer* tg = PlayerAt(MySt->ShTgTNo, MySt->ShTgPNo);
    const TZahyou* tz = tg ? tg->MyZahyou : nullptr;
    switch (sh.HSNo) {
        case dbhMOZ: {
            if (!tz) break;
            int64_t dx = int64_t(tz->X) - z.X, dz = int64_t(tz->Z) - z.Z;
            int64_t d = Dist(dx, dz);
            int32_t climb = Sat(std::min<int64_t>(PercentageW(d, E(0)), 1600));
            // The aim counts the height to the target; only its horizontal
            // part is taken.
            if (sh.LockLv == 0) {
                z.dY = climb;
                AimAt(FCMAG(Sat(E(1))), true);
                if (d < 2400) {
                    sh.LockLv = 1;
                    z.dY = 0;
                }
            } else if (sh.LockLv == 1) {
                z.dY = climb;
                if (d <= 400) {
                    AimAt(FCMAG(Sat(E(2))), true);
                    sh.LockLv = 2;
                } else {
                    AimAt(FCMAG(Sat(E(1))), true);
                }
            } else {
                z.dY = Sat(int64_t(z.dY) - FCMAG(Sat(E(3))));
                int32_t s = FCMAG(Sat(E(2)));
                if (d <= 400 && d < s) s = int32_t(d);
                AimAt(s, true);
            }
            break;
        }
        case dbhOBU: {
            if (!tz || ModL(c, 2) != 0) break;
            if ((z.X < tz->X && z.dX <= 0) || (z.X > tz->X && z.dX > 0)) break;
            int64_t dx = std::abs(int64_t(tz->X) - z.X), dz = std::abs(int64_t(tz->Z) - z.Z);
            if ((dx <= 400 && dz <= 400) || dx <= 100 || dz <= 100) break;
            AimAt(FCMAG(row->Spd));
            z.dY = 0;
            break;
        }
        case dbhUPR:
            if (sh.Hit_c > 0) {
                z.dY = Sat(E(2) * (c - sh.HitTime));
            } else if (c < E(0)) {
                z.dY = Sat(-std::min<int64_t>(E(3), int64_t(z.Y) - 200));
                if (z.Y <= 200) z.Y = 200;
            } else {
                z.dY = Sat(E(1) * (c - E(0)));
            }
            break;
        case dbhKAK:
            if (!tz) break;
            if (c >= E(1) && c <= E(1) + E(2)) return true;
            if (c == E(1) + E(2) + 1) {
                AimAt(SPMAG(Sat(E(3))));
                z.dY = 0;
            }
            break;
        case dbhWRP:
            if (c == E(0)) {
                z.dX = Percentage(z.dX, Sat(E(1)));
                z.dY = Percentage(z.dY, Sat(E(1)));
            }
            if (c >= E(0) && !AuthoringBuild(Glb)) MySt->Invs_f = 1;
            break;
        case dbhKSK: {
            int64_t per = FCMAG(Sat(E(5)));
            int64_t steps = per != 0 ? c / per : 0;
            int64_t dy = std::min<int64_t>(int64_t(FCMAG(Sat(E(3)))) * steps - FCMAG(Sat(E(2))),
                                           -int64_t(FCMAG(Sat(E(4)))));
            z.dY = Sat(dy);
            if (int64_t(z.Y) + z.dY < E(6) * 100) {
                z.dY = 0;
                z.Y = Sat(E(6) * 100);
            }
            int64_t a = E(0) * std::min<int64_t>(c, E(1));
            z.dX = Sat(sh.fdX + PercentageW(sh.fdX, a));
            z.dZ = Sat(sh.fdZ + PercentageW(sh.fdZ, a));
            break;
        }
        case dbhBMR: {
            int64_t a = E(0);
            if (a <= 0) break;
            if (c >= 3 * a || z.Y < 1800) {
                z.dX = Sat(-int64_t(sh.fdX));
                z.dZ = Sat(-int64_t(sh.fdZ));
                z.dY = 0;
                z.Y = std::max(z.Y, 1800);
                break;
            }
            double th = Phase(c, a);
            z.dX = Trunc(sh.fdX * std::cos(th));
            z.dZ = Trunc(sh.fdZ * std::cos(th));
            int32_t dy = Trunc(FCMAG(row->Spd) * std::sin(th));
            if (dy < 0) dy /= 2;
            if ((z.dX < 0) != (sh.fdX < 0) && z.dX != 0) dy = 0;
            z.dY = dy;
            break;
        }
        case dbhINZ: {
            int64_t a = E(0);
            if (a <= 0) break;
            int64_t b = FCMAG(Sat(E(1)));
            z.dY = Sat(ModL(c, 4 * a) < 2 * a ? sh.fdY + b : sh.fdY - b);
            if (ModL(c, 2 * a) >= a) return true;
            break;
        }
        case dbhSCR: {
            int64_t a = E(0);
            if (a <= 0) break;
            int64_t k = E(2) + c;
            int64_t v = int64_t(FCMAG(Sat(E(1)))) * Tri(k, a);
            z.dY = Sat(ModL(k, 4 * a) > 2 * a ? -v : v);
            break;
        }
        case dbhSNE: {
            int64_t a = E(0);
            if (a <= 0) break;
            int64_t k = a + c;
            int64_t v = int64_t(FCMAG(Sat(E(1)))) * Tri(k, a);
            z.dZ = Sat((ModL(k, 4 * a) > 2 * a ? -v : v) + sh.fdZ);
            break;
        }
        case dbhENR: {
            int64_t a = E(0);
            if (a <= 0) break;
            double th = Phase(c, a);
            double r = FCMAG(Sat(E(1)));
            int64_t sx = Trunc(r * std::sin(th));
            z.dX = Sat(sh.fdX + (z.Muki() == mL ? -sx : sx));
            z.dZ = Sat(sh.fdZ + int64_t(Trunc(r * std::cos(th))));
            break;
        }
        case dbhKYO: {
            bool slow = AOT->SDt && AOT->SDt->DBGDt.DBSlow_f;
            z.dY = Sat(int64_t(z.dY) - FCDIV(Sat(slow ? E(1) : E(0))));
            break;
        }
        case dbhRET: {
            int64_t a = E(2);
            if (a <= 0) break;
            int64_t v = int64_t(FCMAG(Sat(E(3)))) * Tri(c, a);
            z.dZ = Sat(ModL(c, 4 * a) < 2 * a ? -v : v);
            break;
        }
        default:
            break;
    }
    return false;
}
