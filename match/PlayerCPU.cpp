// Automatic and CPU movement decisions. Each frame the decision steps choose
// the behaviour NextAuto with a movement wish (AMuki, AMukiZ) and a dash wish
// (ADash_f); each step acts only while NextAuto is still in the states it
// names, so the first step that claims the frame wins. SetAutoMove then turns
// the behaviour into motions. CPU sides add their own shooting and catching
// decisions, drawn from the game's one random sequence.
#include "match/PlayerControlSeams.h"
#include "shell/GameRandom.h"

using namespace mcs;

namespace {

// Steers toward t with dead zone w: left (front) when above, right (back) when
// below, unchanged inside.
void SteerX(DBStAuto& a, int32_t x, int32_t t, int32_t w) {
    if (x > t + w) a.AMuki = maL;
    else if (x < t - w) a.AMuki = maR;
}
void SteerZ(DBStAuto& a, int32_t z, int32_t t, int32_t w) {
    if (z > t + w) a.AMukiZ = mzaF;
    else if (z < t - w) a.AMukiZ = mzaB;
}

bool In(DBAutoType t, std::initializer_list<DBAutoType> set) {
    for (DBAutoType s : set)
        if (s == t) return true;
    return false;
}

// Centred boxes (position and size in 1/100 pixel) overlap.
bool BoxesMeet(int32_t ax, int32_t az, int32_t aw, int32_t ad, int32_t bx, int32_t bz, int32_t bw,
               int32_t bd) {
    return std::abs(int64_t(ax) - bx) * 2 < int64_t(aw) + bw &&
           std::abs(int64_t(az) - bz) * 2 < int64_t(ad) + bd;
}

// The ball's hit box meets the box [l, r) x [f, b) (1/100 pixel).
bool BallMeets(const TZahyou& ball, int32_t l, int32_t r, int32_t f, int32_t b) {
    const DBBRec& db = DB().DBB;
    const int64_t hw = int64_t(db.ATARIW) * 100 / 2, hd = int64_t(db.ATARID) * 100 / 2;
    return ball.X - hw < r && l < ball.X + hw && ball.Z - hd < b && f < ball.Z + hd;
}

bool StWk(DBMotionType m) { return m == dbmtSt || m == dbmtWk; }

// A jump or crouch answer of the dodge check becomes the frame's dodge with
// the player's reaction lag; false for any other answer.
bool TakeDodge(DSType r, DBStAuto& next, DBPlayerState& st, const DBSelfRankData& lv) {
    if (r == dsJump) {
        next.AutoType = dbaDgJp;
        st.DdgLag_c = lv.Spd ? lv.Spd->JDgRes : 0;
        return true;
    }
    if (r == dsCrouch) {
        next.AutoType = dbaDg;
        st.DdgLag_c = lv.Spd ? lv.Spd->DgRes : 0;
        return true;
    }
    return false;
}

}  // namespace

// ------------------------------------------------------------ decisions

void TDBPlayer::InitAutoTypeMuki() {
    DBPlayerState& st = *MySt;
    const DBBallState& b = Ball(*this);
    NextAuto = DBStAuto{st.Auto.AutoType, maN, mzaN, 0};
    bool goesOn = true;
    switch (NextAuto.AutoType) {
        case dbaFree:
            st.AShCv_c = 0;
            if (HasMF(dbmfAr)) st.GaiyaOvL_f = 1;
            break;
        case dbaGet:
            goesOn = !(b.Motion == dbbFree || b.Motion == dbbHold || b.Motion == dbbBound ||
                       Ball_f());
            break;
        case dbaPassCvr:
            goesOn = b.Motion == dbbPass && !Ball_f();
            break;
        case dbaPos: {
            const bool isTarget = b.PaTgTNo == SideNo && b.PaTgPNo == PosNo;
            const bool pass = b.Motion == dbbPass;
            const bool mateHolds = b.Motion == dbbHold && b.HoldTNo == SideNo && b.HoldPNo != PosNo;
            const DBPosMove& pm = TeamSt(*this, SideNo).PosMove;
            const TZahyou& z = *MyZahyou;
            bool near;
            if (PosNo == 4 || PosNo == 5) near = std::abs(z.X - pm.EnCX) <= 500;
            else near = std::abs(z.Z - pm.EnCZ) <= 500;
            if (Infield_f) near = near && LeftCrtX() >= 24700;
            goesOn = mateHolds && !isTarget && !pass && pm.EnC_f && near;
            if ((isTarget || pass) && Infield_f) TeamSt(*this, SideNo).PosMove.Inf_f[PosNo] = 0;
            break;
        }
        case dbaReturn:
        case dbaKgReturn:
        case dbaPos2:
            goesOn = false;
            break;
        case dbaPassJp:
            goesOn = b.Motion == dbbPass;
            break;
        case dbaShCv:
            goesOn = b.Motion == dbbShoot;
            break;
        case dbaCPUSht:
            goesOn = Ball_f();
            break;
        case dbaDg:
        case dbaDgJp:
        case dbaCPUCach:
            goesOn = CheckDS(false) != dsNone;
            if (goesOn) DownTo0(st.DdgLag_c, 1);
            break;
        case dbaDgSw:
            break;
    }
    if (!goesOn) NextAuto.AutoType = dbaFree;
}

void TDBPlayer::CheckAutoReturn() {
    if (HasMF(dbmfAr)) return;
    if (!In(NextAuto.AutoType, {dbaFree, dbaReturn, dbaKgReturn})) return;
    DBPlayerState& st = *MySt;
    NextAuto.ADash_f = 0;
    const int32_t lx = LeftCrtX(), z = MyZahyou->Z, slx = GetSLX();
    int32_t x0, x1, z0, z1;
    switch (PosNo) {
        case 4: x0 = 9000; x1 = 25200; z0 = 9900; z1 = 10100; break;
        case 5: x0 = 7400; x1 = 25200; z0 = 500; z1 = 700; break;
        case 6: x0 = slx - 1800; x1 = slx - 1400; z0 = 2200; z1 = 9200; break;
        default: x0 = slx; x1 = 25200; z0 = 2200; z1 = 9200; break;
    }
    // Wishes in own-court terms; mirrored players turn them round below.
    MukiTypeA wx = maN;
    MukiZTypeA wz = mzaN;
    bool dash = false, overMax = false;
    if (lx < x0) {
        wx = maR;
        dash = Infield_f || x0 - lx > 3200;
    } else if (lx > x1) {
        wx = maL;
        dash = Infield_f || lx - x1 > 3200;
        overMax = true;
    }
    if (z < z0) wz = mzaB;
    else if (z > z1) wz = mzaF;
    const bool inside = wx == maN && wz == mzaN;
    DBAutoType type = dbaReturn;

    // An infielder owing crouches is held near the middle of his court.
    if (Infield_f && Kagami_f() && st.KagamiRev_c > 0) {
        if (inside) --st.KagamiRev_c;
        if (wx == maN) {
            if (lx < 14900) wx = maR;
            else if (lx > 18100) wx = maL;
        }
        if (wz == mzaN) {
            if (z < 4100) wz = mzaB;
            else if (z > 7300) wz = mzaF;
        }
        if (inside && (wx != maN || wz != mzaN)) type = dbaKgReturn;
    }
    if (wx != maN || wz != mzaN) {
        const bool mirror = Infield_f ? SideNo == 1 : SideNo == 0;
        if (mirror && wx != maN) wx = wx == maL ? maR : maL;
        NextAuto.AutoType = type;
        NextAuto.AMuki = wx;
        NextAuto.AMukiZ = wz;
        NextAuto.ADash_f = dash;
    }
    if (!(overMax && NextAuto.AutoType == dbaReturn)) st.GaiyaOvL_f = 0;
}

void TDBPlayer::CheckAutoGetter(bool tCPU_f) {
    if ((Infield_f && !tCPU_f) || Kagami_f()) return;
    if (HasMF(dbmfAr)) return;
    if (!Infield_f && MySt->GaiyaOvL_f) return;
    if (!In(NextAuto.AutoType, {dbaFree, dbaGet})) return;
    const DBBallState& b = Ball(*this);
    if (b.Motion != dbbFree && b.Motion != dbbBound) return;
    if (b.CrtSide[SideNo] != SideNo || b.CrtPos[SideNo] != (Infield_f ? 0 : PosNo)) return;
    NextAuto.AutoType = dbaGet;
    const TZahyou& z = *MyZahyou;
    if (b.CrtSide[SideNo] == b.CrtSide[EnSideNo]) {
        SteerX(NextAuto, z.X, b.LandX, 500);
        SteerZ(NextAuto, z.Z, b.LandZ, 500);
        NextAuto.ADash_f = MySt->BallLandDist > 3200 && std::abs(z.Z - b.LandZ) < 1600;
    } else {
        // Along the player's own line first, then across it.
        if (PosNo == 6) {
            SteerZ(NextAuto, z.Z, b.LandZ, 500);
            if (NextAuto.AMukiZ == mzaN) SteerX(NextAuto, z.X, b.LandX, 500);
        } else {
            SteerX(NextAuto, z.X, b.LandX, 500);
            if (NextAuto.AMuki == maN) SteerZ(NextAuto, z.Z, b.LandZ, 500);
        }
        NextAuto.ADash_f = std::abs(b.LandX - z.X) > 3200;
    }
}

void TDBPlayer::CheckPassCover() {
    if (Kagami_f() || HasMF(dbmfAr)) return;
    if (!In(NextAuto.AutoType, {dbaFree, dbaPos, dbaPos2, dbaPassCvr})) return;
    const DBBallState& b = Ball(*this);
    if (b.Motion != dbbPass) return;
    const bool toCtrl = b.PaTgTNo == SideNo && b.PaTgPNo == TeamSt(*this, SideNo).CtrlNo;
    const int32_t wx = b.LandLine_f ? 300 : toCtrl ? 500 : 3200;
    const int32_t wz = b.LandLine_f ? 300 : toCtrl ? 500 : 1600;
    const TZahyou& z = *MyZahyou;
    NextAuto.AutoType = dbaPassCvr;
    NextAuto.AMuki = maN;
    NextAuto.AMukiZ = mzaN;
    SteerX(NextAuto, z.X, b.LandXLine, wx);
    SteerZ(NextAuto, z.Z, b.LandZLine, wz);
    NextAuto.ADash_f = MySt->BallLandLineDist > 3200 && std::abs(z.Z - b.LandZLine) < 1600;
    const bool arrived = NextAuto.AMuki == maN && NextAuto.AMukiZ == mzaN;
    if (arrived && toCtrl && b.LandLine_f && BallZ(*this).Y > 4800 && CheckShCvJp())
        NextAuto.AutoType = dbaPassJp;
}

bool TDBPlayer::CheckShCvJp() {
    const DBBallState& b = Ball(*this);
    const TZahyou& bz = BallZ(*this);
    const bool shotAtEnemy = b.Motion == dbbShoot && b.ShTgTNo == EnSideNo;
    if (!shotAtEnemy && b.Motion != dbbPass) return false;
    if (bz.Y <= DB().DBDAM.DEFKURAIH * 100) return false;
    const DBBRec& bb = DB().DBB;
    const DBNAIYARec& n = DB().DBNAIYA;
    return BoxesMeet(bz.X, bz.Z, bb.ATARIW * 100, bb.ATARID * 100, MyZahyou->X, MyZahyou->Z,
                     n.SHCOVERJPW * 100, n.SHCOVERJPD * 100);
}

void TDBPlayer::CheckShootCover() {
    const DBBallState& b = Ball(*this);
    if (b.Motion != dbbShoot || b.PichTNo != SideNo || b.PichPNo == PosNo) return;
    if (b.ShSt.HSNo == dbhBMR || HasMF(dbmfAr)) return;
    if (!In(NextAuto.AutoType, {dbaFree, dbaShCv})) return;
    if (Infield_f && (GetInfPaTg(*this, SideNo) != PosNo || b.PichPNo < 4)) return;
    NextAuto.AutoType = dbaShCv;
    const TZahyou& bz = BallZ(*this);
    const TZahyou& z = *MyZahyou;
    const bool enemyHalf = SideNo == 0 ? bz.X >= 25600 : bz.X <= 25600;
    const int32_t ddz = std::abs(bz.Z - z.Z), ddx = std::abs(bz.X - z.X);
    switch (PosNo) {
        case 4:
        case 5: {
            const MukiZType heading = PosNo == 4 ? mzB : mzF;
            if (enemyHalf && ((ddz <= 8000 && bz.FMukiZ == heading) || ddz <= 800))
                SteerX(NextAuto, z.X, bz.X, 400);
            break;
        }
        case 6: {
            const bool away = SideNo == 0 ? bz.dX > 0 : bz.dX < 0;
            if (ddx <= 8000 && enemyHalf && away) SteerZ(NextAuto, z.Z, bz.Z, 400);
            break;
        }
        default: {
            const bool towardOwn = SideNo == 0 ? bz.dX < 0 : bz.dX > 0;
            if (ddx <= 8000 && towardOwn) SteerZ(NextAuto, z.Z, bz.Z, 400);
            break;
        }
    }
    if (CheckShCvJp()) NextAuto.AutoType = dbaPassJp;
}

void TDBPlayer::CheckPassCatchJp() {
    if (NextAuto.AutoType != dbaFree) return;
    const DBBallState& b = Ball(*this);
    if (b.Motion == dbbPass && b.PaTgTNo == SideNo && b.PaTgPNo == PosNo && b.PaJC_f &&
        HasMF(dbmfJpOK) && b.PaETA_c <= DB().DBPASS.PACAJPTIME)
        NextAuto.AutoType = dbaPassJp;
}

void TDBPlayer::CheckPassCatchMotion() {
    if (!In(NextAuto.AutoType, {dbaFree, dbaPassJp})) return;
    const DBMotionType m = Mtype(*this);
    if (m != dbmtSt && m != dbmtJ2) return;
    DBBallState& b = Ball(*this);
    if (b.Motion != dbbPass || b.PaTgTNo != SideNo || b.PaTgPNo != PosNo) return;
    if (b.PaETA_c < 0 || b.PaETA_c > 8) return;
    if (b.PaJC_f) {
        if (m == dbmtJ2) SetMtype(dbmtJCa, false);
    } else {
        SetMtype(dbmtCa, false);
    }
    b.PaETA_c = -1;
}

DSType TDBPlayer::CheckDS(bool Ca_f) {
    const DBBallState& b = Ball(*this);
    if (b.Motion != dbbShoot || b.ShTgTNo != SideNo || !Infield_f) return dsNone;
    const TZahyou& bz = BallZ(*this);
    const TZahyou& z = *MyZahyou;
    const DBNAIYARec& n = DB().DBNAIYA;
    if (bz.Y <= n.JUMPDGY * 100 && NextAuto.AutoType == dbaFree && !Ca_f) {
        // The half of the jump box on the side the ball comes from.
        const int32_t hw = n.JPYOKEW * 100 / 2, hd = n.JPYOKED * 100 / 2;
        int32_t l = z.X - hw, r = z.X + hw, f = z.Z - hd, bk = z.Z + hd;
        if (std::abs(bz.dZ) < std::abs(bz.dX)) {
            if (bz.X >= z.X) l = z.X;
            else r = z.X;
        } else {
            if (bz.Z < z.Z) bk = z.Z;
            else f = z.Z;
        }
        if (!BallMeets(bz, l, r, f, bk)) return dsNone;
        // A ball that comes down short of the player needs no jump.
        bool shortX = false, shortZ = false;
        if (b.Land_f) {
            const int32_t lx = n.JPYOKELANDX * 100, lz = n.JPYOKELANDZ * 100;
            shortX = bz.dX <= 0 ? b.LandX > z.X + lx : b.LandX < z.X - lx;
            shortZ = bz.dZ <= 0 ? b.LandZ > z.Z + lz : b.LandZ < z.Z - lz;
        }
        return shortX || shortZ ? dsNone : dsJump;
    }
    if (bz.Y <= n.NONEDGY * 100) {
        const int32_t hw = n.YOKEW * 100 / 2, hd = n.YOKED * 100 / 2;
        if (!BallMeets(bz, z.X - hw, z.X + hw, z.Z - hd, z.Z + hd)) return dsNone;
        if (Ca_f && CPU_f() && NextAuto.AutoType == dbaFree && bz.FMuki != z.FMuki)
            return dsCatch;
        return dsCrouch;
    }
    return dsNone;
}

void TDBPlayer::CheckDodge() {
    if (!CheckFreeMotion(false) || NextAuto.AutoType != dbaFree) return;
    TakeDodge(CheckDS(false), NextAuto, *MySt, MyLv);
}

void TDBPlayer::CheckDodgeCPU() {
    if (Ball_f() || DB().DBDBG.CPUNOCATCH_F || !CheckFreeMotion(false)) return;
    if (!In(NextAuto.AutoType, {dbaFree, dbaReturn})) return;
    const DSType r = CheckDS(true);
    if (!TakeDodge(r, NextAuto, *MySt, MyLv) && r == dsCatch) {
        NextAuto.AutoType = dbaCPUCach;
        const DBCPURec& c = DB().DBCPU;
        if (DB().DBDBG.CPUALLCATCH_F) {
            MySt->DdgLag_c = 4;
        } else {
            switch (GameData().DBDif) {
                case dbdfEasy: MySt->DdgLag_c = Random(c.EASY_CATCH); break;
                case dbdfNomal: MySt->DdgLag_c = Random(c.NML_CATCH); break;
                default: MySt->DdgLag_c = Random(c.HARD_CATCH); break;
            }
        }
    }
}

void TDBPlayer::CheckShootCPU() {
    DBPlayerState& st = *MySt;
    if (Mtype(*this) == dbmtSt && Ball_f() && NextAuto.AutoType == dbaFree) {
        const DBCPURec& c = DB().DBCPU;
        NextAuto.AutoType = dbaCPUSht;
        DBCPUSt& cpu = st.CPUSt;
        cpu.Ds_c = 1 + Random(10);
        if (Per100(c.PASSRATIO)) cpu.AtType = Per100(c.JPRATIO) ? dbcaJPa : dbcaPa;
        else cpu.AtType = Per100(c.JPRATIO) ? dbcaJSh : dbcaDSh;
        if (Per100(c.JSH_HSTIMING)) {
            cpu.Jp_c = 23;
        } else {
            cpu.Jp_c = Per100(c.JSH_QCTIMING) ? 10 : Per100(c.JSH_SLTIMING) ? 33 : 20;
            // The easy CPU throws without the random delay, and takes no
            // draw for it: the last draw exists only to make the delay, so
            // an easy attack decision draws one number fewer than the others.
            if (GameData().DBDif != dbdfEasy) cpu.Jp_c += Random(10);
        }
        st.Step_c = 0;
        st.Air_c = 0;
        cpu.Wait_c = Infield_f ? c.ACTWAIT : c.ACTWAITG;
    }
    if (NextAuto.AutoType == dbaCPUSht) {
        NextAuto.AMukiZ = mzaN;
        NextAuto.ADash_f = 1;
        const bool right = Infield_f ? SideNo == 0 : SideNo == 1;
        NextAuto.AMuki = right ? maR : maL;
    }
}

// The formation point of an infielder in real court X and depth.
static void InfFormationPoint(const TDBPlayer& p, int32_t& fx, int32_t& fz) {
    const DBPosMove& pm = TeamSt(p, p.SideNo).PosMove;
    static const DBPosData none{};
    const DBPosData& pos = p.MyLv.Pos ? *p.MyLv.Pos : none;
    const int32_t i0 = pm.InfPos[0][p.PosNo], i1 = pm.InfPos[1][p.PosNo];
    int32_t f, e;
    switch (pm.InfLine) {
        case iltO2:
            f = i1 * pos.ZLX2 + pm.InfXZ;
            e = 9200 - (i0 * pos.ZLZ2 + pos.ZLZ * 100);
            break;
        case iltO3:
            f = i1 * pos.ZLX2 + pm.InfXZ;
            e = i0 * pos.ZLZ2 + pos.ZLZ * 100 + 2200;
            break;
        case iltO4:
            f = i0 * pos.XLX2 + pos.XLX * 100 + 7400;
            e = i1 * pos.XLZ2 + pm.InfXZ;
            break;
        default:
            f = 25600 - (i0 * pos.XLX2 + pos.XLX * 100);
            e = i1 * pos.XLZ2 + pm.InfXZ;
            break;
    }
    f = Between(f, p.GetSLX() + 300, 24900);
    e = Between(e, 2500, 8900);
    if (p.SideNo == 1) f = DBCOURT_W - f;
    fx = f;
    fz = e;
}

void TDBPlayer::CheckMovePos() {
    if (NextAuto.AutoType != dbaFree || !HasMF(dbmfJpOK)) return;
    const DBBallState& b = Ball(*this);
    if (b.Motion == dbbPass && b.PaTgTNo == SideNo) return;
    const DBPosMove& pm = TeamSt(*this, SideNo).PosMove;
    if (!pm.EnC_f) return;
    const TZahyou& z = *MyZahyou;
    const bool mateHolds = b.Motion == dbbHold && b.HoldTNo == SideNo && b.HoldPNo != PosNo;
    const bool offLine = (PosNo == 4 || PosNo == 5) ? std::abs(z.X - pm.EnCX) > 500
                         : PosNo == 6              ? std::abs(z.Z - pm.EnCZ) > 500
                                                   : false;
    const int32_t dash = 3200;
    // The moves back to the formation points ("otherwise" below) are for a
    // side without the ball: while a team-mate holds it, only the receivers
    // of his pass line up, and everyone else stays free to be passed to,
    // even with a repositioning pending.
    if (mateHolds) {
        if (!Infield_f && offLine) {
            NextAuto.AutoType = dbaPos;
        } else if (Infield_f && b.HoldPNo >= 4 && GetInfPaTg(*this, SideNo) == PosNo) {
            NextAuto.AutoType = dbaPos;
            // Depth toward the enemy centre, X toward the pass-wait line.
            const int32_t waitX = LCrtOf(25200 - (MyLv.Spd ? MyLv.Spd->PaWaitPos : 0) * 100);
            SteerZ(NextAuto, z.Z, pm.EnCZ, 300);
            SteerX(NextAuto, z.X, waitX, 300);
            NextAuto.ADash_f = std::abs(z.X - waitX) > dash;
            return;
        }
    } else if (!Infield_f && offLine) {
        NextAuto.AutoType = dbaPos2;
    } else if (Infield_f && pm.Inf_f[PosNo]) {
        int32_t fx, fz;
        InfFormationPoint(*this, fx, fz);
        if (std::abs(z.X - fx) > 300 || std::abs(z.Z - fz) > 300) {
            NextAuto.AutoType = dbaPos2;
            SteerX(NextAuto, z.X, fx, 300);
            SteerZ(NextAuto, z.Z, fz, 300);
            NextAuto.ADash_f = std::abs(z.X - fx) > dash;
        }
        return;
    }
    if (NextAuto.AutoType == dbaFree || Infield_f) return;
    if (PosNo == 6) {
        SteerZ(NextAuto, z.Z, pm.EnCZ, 500);
    } else {
        SteerX(NextAuto, z.X, pm.EnCX, 500);
        NextAuto.ADash_f = std::abs(z.X - pm.EnCX) > dash && !PaTag_f();
    }
}

// ------------------------------------------------------------ the mover

namespace {

// The wish that faces a player toward the ball, by position.
void FaceBallWish(const TDBPlayer& p, DBStAuto& a, int32_t w) {
    const TZahyou& bz = BallZ(p);
    const TZahyou& z = *p.MyZahyou;
    switch (p.PosNo) {
        case 4:
            a.AMukiZ = mzaF;
            SteerX(a, z.X, bz.X, w);
            break;
        case 5:
            a.AMukiZ = mzaB;
            SteerX(a, z.X, bz.X, w);
            break;
        case 6:
            a.AMuki = p.SideNo == 0 ? maL : maR;
            SteerZ(a, z.Z, bz.Z, w);
            break;
        default:
            SteerX(a, z.X, bz.X, w);
            SteerZ(a, z.Z, bz.Z, w);
            break;
    }
}

}  // namespace

void TDBPlayer::GoToBall() {
    const DBMotionType m = Mtype(*this);
    if (NextAuto.AMuki != maN) {
        if (NextAuto.ADash_f) {
            AutoDashSet();
        } else if (m == dbmtDs) {
            SetMtype(dbmtSl, false);
        } else if (m == dbmtSt) {
            SetMtype(dbmtWk, false);
        }
    } else if (NextAuto.AMukiZ != mzaN && m == dbmtSt) {
        SetMtype(dbmtWk, false);
    }
}

void TDBPlayer::SetAutoMove() {
    if (HasMF(dbmfAct)) return;
    DBPlayerState& st = *MySt;
    const DBBallState& b = Ball(*this);
    const DBMotionType m = Mtype(*this);
    const DBAutoType type = NextAuto.AutoType;
    const bool wishX = NextAuto.AMuki != maN, wishZ = NextAuto.AMukiZ != mzaN;
    bool turn = true;
    switch (type) {
        case dbaFree: {
            const bool myPass = !Infield_f && b.Motion == dbbPass &&
                                ((b.PaTgTNo == SideNo && b.PaTgPNo == PosNo) ||
                                 (b.PichTNo == SideNo && b.PichPNo == PosNo));
            if (!myPass) FaceBallWish(*this, NextAuto, Infield_f ? 800 : 1600);
            if (StWk(m)) {
                st.Auto = NextAuto;
                MukiSetAuto();
                SetMtype(dbmtSt, true);
                return;
            }
            if (m == dbmtDs) SetMtype(dbmtSl, false);
            break;
        }
        case dbaReturn:
        case dbaKgReturn:
            if (Ball_f() && (Infield_f || st.GaiyaOvL_f)) {
                if (StWk(m)) SetMtype(dbmtOvL, false);
                else if (m == dbmtDs) SetMtype(dbmtSl, false);
            } else if (m != dbmtOvL) {
                if (!wishX) {
                    SetMtype(wishZ ? dbmtWk : dbmtSt, false);
                } else {
                    const MukiType ds = MyZahyou->FDsMuki;
                    const bool against = m == dbmtDs && ((ds == mL && NextAuto.AMuki == maR) ||
                                                         (ds == mR && NextAuto.AMuki == maL));
                    if (against) SetMtype(dbmtSl, false);
                    else if (NextAuto.ADash_f) AutoDashSet();
                    else if (m == dbmtSt) SetMtype(dbmtWk, false);
                }
            }
            break;
        case dbaGet:
        case dbaPassCvr:
        case dbaShCv:
            if (!wishX && !wishZ) {
                if (m == dbmtDs) SetMtype(dbmtSl, false);
                else SetMtype(dbmtSt, false);
                FaceBallWish(*this, NextAuto, 0);
                if (type == dbaShCv) st.AShCv_c = 8;
            } else if (type == dbaShCv && st.AShCv_c > 0) {
                --st.AShCv_c;
                turn = false;
            } else {
                GoToBall();
            }
            if (type == dbaShCv && StWk(Mtype(*this))) {
                const TZahyou& bz = BallZ(*this);
                if (std::abs(bz.X - MyZahyou->X) <= 1600 && std::abs(bz.Z - MyZahyou->Z) <= 1600 &&
                    bz.Y < 3200) {
                    SetMtype(dbmtCa, false);
                    SEPlay(*this, 30);
                }
            }
            break;
        case dbaPos:
        case dbaPos2:
            if (!wishX && !wishZ) {
                FaceBallWish(*this, NextAuto, 0);
                st.Auto = NextAuto;
                MukiSetAuto();
                SetMtype(CheckPW() ? dbmtPW : dbmtSt, false);
                return;
            }
            if (!NextAuto.ADash_f) {
                // Walks to the point; a far ball is watched on the way.
                const TZahyou& bz = BallZ(*this);
                if (std::abs(bz.X - MyZahyou->X) > 1600) {
                    MyZahyou->SetMuki(bz.X < MyZahyou->X ? mL : mR);
                    turn = false;
                }
                if (m == dbmtSt) SetMtype(dbmtWk, false);
            } else {
                GoToBall();
            }
            break;
        case dbaPassJp:
        case dbaDgJp:
            JumpSet(true);
            break;
        case dbaCPUSht:
            DownTo0(st.CPUSt.Wait_c, 1);
            if (st.CPUSt.Wait_c < 1 && Infield_f) GoToBall();
            break;
        default:
            break;
    }
    const TZahyou& z = *MyZahyou;
    if (Mtype(*this) == dbmtDs && z.FDsMuki != z.FMuki) SetMtype(dbmtSl, false);
    st.Auto = NextAuto;
    const bool wanted = NextAuto.AMuki != maN || NextAuto.AMukiZ != mzaN;
    if (turn && wanted) {
        const bool posRules = In(type, {dbaFree, dbaReturn, dbaKgReturn});
        if (MukiSet(posRules, false, false) && HasMF(dbmfMuki))
            SetMtype(Mtype(*this), true);
    }
}

// ------------------------------------------------------------ pipelines

void TDBPlayer::AutoMove() {
    InitAutoTypeMuki();
    if (CheckPaCoverMan()) CheckPassCover();
    else CheckAutoGetter(false);
    CheckAutoReturn();
    if (!Kagami_f()) {
        CheckShootCover();
        CheckPassCatchJp();
        CheckPassCatchMotion();
        CheckDodge();
        CheckMovePos();
    }
    SetAutoMove();
}

void TDBPlayer::AutoMoveCPU() {
    InitAutoTypeMuki();
    CheckAutoReturn();
    if (!Kagami_f()) {
        CheckShootCover();
        CheckPassCatchJp();
        CheckPassCatchMotion();
        CheckShootCPU();
        CheckDodgeCPU();
        if (CheckPaCoverMan()) CheckPassCover();
        else CheckAutoGetter(true);
        CheckMovePos();
    }
    SetAutoMove();
}
