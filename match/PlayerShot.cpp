// The shot step, run at the release frame of a shot: the kind of shot from
// the thrower's state and timing, special shots, power, level and speed, the
// aim, and the ball's shot state.
#include <cmath>

#include "match/PlayerControlSeams.h"

using namespace mcs;

namespace {

constexpr double kDeg = 3.14159265358979323846 / 180.0;

bool IsNice(STYPE t) { return t == stJNS || t == stJNNS || t == stDNS || t == stDJNS; }

// Distances (absolute) and signs of a throw's aim, all 0 until set. There is
// no sign along X: every shot flies along the thrower's facing.
struct Aim {
    int32_t dx, dy, dz;
    int32_t ys, zs;
};

}  // namespace

bool TDBPlayer::CheckTiming(int St, int Itv) {
    const int32_t c = MySt->Air_c;
    return St <= c && c <= St + Itv - 1;
}

int TDBPlayer::GetShPow(int BP, int SHPer) { return (BP * SHPer + 55) / 100; }

int TDBPlayer::GetShLv(int sp) {
    for (int i = 6; i >= 1; --i)
        if (sp >= AOT->ADBRankDt[i].BP.Lv) return i;
    return 1;
}

bool TDBPlayer::GetShootType() {
    const DBSHOOTRec& s = DB().DBSHOOT;
    const DCDDBallDt& d = *MyDt;
    const DBPlayerState& st = *MySt;
    tNmlSh_f = false;
    tNiceLv = 1;
    tRCrv = 0;
    tHSNo = -1;
    // The easy difficulty gives a human side wider special-shot windows.
    const bool easy = !CPU_f() && GameData().DBDif == dbdfEasy;
    const int djhs = easy ? s.EZDJHSFRM : s.DJHSFRM, djhs2 = easy ? s.EZDJHSFRM2 : s.DJHSFRM2;
    const int dhs = easy ? s.EZDHSSTP : s.DHSSTP, dhs2 = easy ? s.EZDHSSTP2 : s.DHSSTP2;
    const bool dash = HasMF(dbmfDs);
    auto normal = [&](STYPE t) {
        tShType = t;
        tNmlSh_f = true;
        return false;
    };
    auto nice = [&](STYPE t) {
        tShType = t;
        return false;
    };
    auto special = [&](STYPE t) {
        tShType = t;
        return true;
    };
    if (DB().DBDBG.ALLHS_F) return special(tJSh_f ? stJHS : stHS);

    DbgTxt(*this, "MySt.Air_c", st.Air_c);
    DbgTxt(*this, "MySt.Step_c", st.Step_c);
    if (tJSh_f && dash) {
        if (CheckTiming(djhs, djhs2)) return d.dJHS >= 2 ? special(stJHS) : normal(stDJS);
        if (st.AirCatch_f && d.dShT > 14 && CheckTiming(s.JNNSFRM, s.JNNSFRM2)) return nice(stJNNS);
        if (d.dShT < 12) return normal(stDJS);
        if (CheckTiming(s.DJNSFRM, s.DJNSFRM2)) return nice(stDJNS);
        return normal(stDJS);
    }
    if (tJSh_f && st.AirCatch_f) {
        if (CheckTiming(s.JNNSFRM, s.JNNSFRM2) && d.dShT > 14) return nice(stJNNS);
        if (d.dShT > 6 && CheckTiming(s.JNSFRM, s.JNSFRM2)) return nice(stJNS);
        if (CheckTiming(s.JNSFRM, s.JNSFRM2)) return d.dSHS1 >= 2 ? special(stSHS1J) : normal(stJS);
        return normal(stJS);
    }
    if (tJSh_f) {
        if (CheckTiming(s.JNNSFRM, s.JNNSFRM2) && d.dShT > 14) return nice(stJNNS);
        if (CheckTiming(s.JNSFRM, s.JNSFRM2)) {
            if (d.dSHS1 >= 2) return special(stSHS1J);
            const bool moving = MyZahyou->dX != 0 || MyZahyou->dZ != 0;
            if ((moving && d.dShT > 4) || (!moving && d.dShT >= 3)) return nice(stJNS);
            return normal(stJS);
        }
        return normal(stJS);
    }
    if (dash) {
        const int32_t step = st.Step_c;
        if (step >= dhs && step <= dhs + dhs2 - 1) return d.dHS >= 2 ? special(stHS) : normal(stDS);
        if (step >= 1 && step <= 3) return d.dSHS2 >= 2 ? special(stSHS2) : normal(stDS);
        if (step == 11 && d.dShT >= 10) return nice(stDNS);
        return normal(stDS);
    }
    return normal(stS);
}

void TDBPlayer::ResetSh() {
    switch (tShType) {
        case stJHS: tShType = stDJS; break;
        case stHS: case stSHS2: tShType = stDS; break;
        case stSHS1J: tShType = stJS; break;
        default: break;
    }
    tNmlSh_f = true;
}

void TDBPlayer::GetShSpeed() {
    const DBSHOOTRec& s = DB().DBSHOOT;
    int32_t rate;
    switch (tShType) {
        case stS: rate = s.SRATE; break;
        case stDS: case stDNS: rate = s.DSRATE; break;
        case stDJS: case stDJNS: rate = s.DJSRATE; break;
        default: rate = s.JSRATE; break;
    }
    tShPow = GetShPow(MyDt->dBP, rate);
    int32_t lvBase = tShPow;
    if (IsNice(tShType)) {
        tNiceLv = tShType == stJNNS ? s.NNSRATE : s.NSRATE;
        lvBase = tShPow * tNiceLv;
        SEPlay(*this, 2);
    } else {
        SEPlay(*this, 1);
    }
    tShLv = GetShLv(lvBase);
    tShSp = SPMAG(AOT->ADBRankDt[tShLv].BP.Sp);
    tHSNo = -1;
}

void TDBPlayer::GetHShSpeed() {
    const DCDDBallDt& d = *MyDt;
    switch (tShType) {
        case stHS: tHSNo = d.dHS; break;
        case stJHS: tHSNo = d.dJHS; break;
        case stSHS1J: tHSNo = d.dSHS1; break;
        default: tHSNo = d.dSHS2; break;
    }
    // A byte naming no row of the shot table is treated like no special shot.
    if (tHSNo < 2 || tHSNo - 2 >= DBSHOOT_COUNT) {
        ResetSh();
        GetShSpeed();
        return;
    }
    SEPlay(*this, 27);
    if (Ball(*this).ShTgPNo == -1) {
        ResetSh();
        GetShSpeed();
        return;
    }
    tHSNo -= 2;
    const DBShootData& row = AOT->ADBShootDt[tHSNo];
    tShPow = row.Pow;
    tShLv = GetShLv(row.Pow);
    tShSp = SPMAG(row.Spd);
    tRCrv = row.RCrv;
}

void TDBPlayer::SAngle(int32_t& mX, int32_t& mY, int32_t& mZ, int32_t spd) {
    const DBSHOOTRec& s = DB().DBSHOOT;
    if (MyZahyou->FMukiZ == mzN) {
        if (mX <= 100) {
            mX = 100;
            mZ = 0;
        }
    } else if (mZ <= 100) {
        mZ = 100;
        mX = 0;
    }
    // A shot may not climb or dive more steeply than the limit angles allow:
    // a steeper one has its forward distances stretched, mX first and then
    // mZ by the sum that holds the new mX. When l is negative (a throw down
    // at no target) or a sum is not positive, that would turn a distance
    // round, so both take the one factor |l| / |sum| and keep their
    // directions (a shot thrown facing the front still flies to the front).
    // A sum of zero leaves l without a value: nothing is limited.
    const double sum = double(mX) + double(mZ);
    if (sum != 0) {
        const double h = std::sqrt(double(mX) * mX + double(mZ) * mZ);
        const double l = double(mY) / sum * (double(mX) * s.LIMITAGLX + double(mZ) * s.LIMITAGLZ);
        if (100.0 * h < std::abs(l)) {
            const double x = double(mX) * l / sum / 100.0;
            const double sum2 = double(Trunc(x)) + double(mZ);
            if (l >= 0 && sum > 0 && sum2 > 0) {
                mX = Trunc(x);
                mZ = Trunc(double(mZ) * l / sum2 / 100.0);
            } else {
                const double k = std::abs(l) / std::abs(sum) / 100.0;
                mX = Trunc(mX * k);
                mZ = Trunc(mZ * k);
            }
        }
    }
    // A length of 0 cannot come from the facing rule above; it still gives a
    // straight shot rather than a division by zero.
    const double n = std::sqrt(double(mX) * mX + double(mY) * mY + double(mZ) * mZ);
    if (n != 0) {
        mX = Trunc(double(spd) * mX / n);
        mY = Trunc(double(spd) * mY / n);
        mZ = Trunc(double(spd) * mZ / n);
    } else {
        mX = spd;
        mY = 0;
        mZ = 0;
    }
}

void TDBPlayer::SetShoot(bool JSh_f) {
    tJSh_f = JSh_f;
    DBBallState& b = Ball(*this);
    TZahyou& bz = BallZ(*this);
    const TZahyou& me = *MyZahyou;
    DBall->SetMType(dbbShoot);

    if (GetShootType()) GetHShSpeed();
    else GetShSpeed();

    const DBSHOOTRec& s = DB().DBSHOOT;
    TDBPlayer* tag = b.ShTgPNo >= 0 ? Enemy(*this, b.ShTgPNo) : nullptr;
    const int32_t sign = me.MukiSign();
    if (!tag) {
        Aim a{};
        if (me.FMukiZ == mzN) {
            // Straight along X, no depth.
            a.dx = 200;
            a.dy = JSh_f ? -150 : 0;
        } else {
            a.dx = Trunc(std::cos(s.NOTAGAGL * kDeg) * 1000);
            a.dz = Trunc(std::sin(s.NOTAGAGL * kDeg) * 1000);
            a.zs = me.FMukiZ == mzF ? -1 : 1;
            const double reach = std::sqrt(double(a.dx) * a.dx + double(a.dz) * a.dz);
            a.dy = JSh_f ? Trunc(-std::tan(s.NOTAGJSAGLY * kDeg) * reach) : 0;
        }
        SAngle(a.dx, a.dy, a.dz, tShSp);
        bz.dX = sign * std::abs(a.dx);
        bz.dY = a.dy;
        bz.dZ = a.zs * a.dz;
    } else if (tHSNo == dbhKYO) {
        // Flies like a pass: an arc that comes down on the target.
        bz.Y = me.Y + 1600;
        // The arc sets the height, so the distances are taken level.
        GetTagDist(true, true, false, true);
        PAngle(tdx, tdy, tdz, false, JSh_f);
        bz.dX = sign * std::abs(tdx);
        bz.dY = tdy > 0 ? tdy : 0;
        bz.dZ = tdzs * tdz;
    } else {
        Aim a{};
        if (tHSNo == dbhENR) {
            // Aims at the middle of the enemy court.
            a.dx = SideNo == 0 ? std::abs(34700 - me.X) : std::abs(16500 - me.X);
            a.dz = std::abs(5700 - me.Z);
            a.zs = me.Z > 5700 ? -1 : 1;
        } else {
            const TZahyou& tz = *tag->MyZahyou;
            const bool level = !(JSh_f || tag->MySt->Motion.Mtype == dbmtDn);
            GetTagDist(true, level, tHSNo == dbhKAK, false);
            a.dx = tdx, a.dy = tdy, a.dz = tdz;
            a.ys = tdys, a.zs = tdzs;
            // Facing neither way, a target behind the ball is thrown at level.
            const bool behind = me.FMuki == mR ? tz.X < bz.X : tz.X > bz.X;
            if (me.FMukiZ == mzN && behind) a.dz = 0;
        }
        SAngle(a.dx, a.dy, a.dz, tShSp);
        bz.dY = a.ys * a.dy;
        // A shot never climbs.
        if (bz.dY > 0) bz.dY = -Dist(a.dx, a.dz);
        bz.dX = sign * std::abs(a.dx);
        bz.dZ = a.zs * a.dz;
    }

    bz.SetMuki(me.FMuki);
    bz.SetMukiZ(me.FMukiZ);

    DBShootState& sh = b.ShSt;
    sh = DBShootState{};
    sh.Spin = 15;
    sh.ShLv = tShLv;
    sh.ShPow = tShPow;
    sh.CrvLv = Between(GetStLv(MyDt->dCrv) + tRCrv, 0, 6);
    sh.HSNo = DBHSType(tHSNo);
    sh.fdX = bz.dX;
    sh.fdY = bz.dY;
    sh.fdZ = bz.dZ;
    sh.NmlSh_f = tNmlSh_f;
    sh.NiceLv = tNiceLv;
    sh.Roll_f = int64_t(tShPow) * tNiceLv >= 8;
    b.NoHit_c = JSh_f ? 0 : s.THROUGHTIME;
    SetCtrl(*this, EnSideNo, b.ShTgPNo);
}
