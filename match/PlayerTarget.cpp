// Shot and pass targets of the ball holder. The choices live in the ball's
// state, so the ball, the hit judgement, the CPU and the teams all read the
// same targets.
#include <algorithm>
#include <vector>

#include "match/PlayerControlSeams.h"

using namespace mcs;

int TDBPlayer::GetTagAgl(int32_t tX, int32_t tZ) {
    if (tX == 0) return tZ <= 0 ? 4 : 0;
    if (tZ == 0) return tX < 0 ? 6 : 2;
    const bool steep = std::abs(int64_t(tZ)) >= std::abs(int64_t(tX));
    if (tX > 0 && tZ > 0) return steep ? 0 : 1;
    if (tX > 0 && tZ < 0) return steep ? 3 : 2;
    if (tX < 0 && tZ < 0) return steep ? 4 : 5;
    return steep ? 7 : 6;  // tX < 0, tZ > 0
}

bool TDBPlayer::CheckTgOKMotion() {
    if (!Live_f || !MySt || MySt->Dead_f || HasMF(dbmfENG)) return false;
    if (HasMF(dbmfAr) && HasMF(dbmfDam))
        return MyZahyou->Y <= DB().DBSHOOT.FLYTAGY * 100;
    return true;
}

void TDBPlayer::ShTagSet(bool NoRefMuki_f) {
    DBBallState& b = Ball(*this);
    b.ShTgTNo = -1;
    b.ShTgPNo = -1;
    b.ShTgPNo = GetTag(NoRefMuki_f);
    b.ShTgTNo = EnSideNo;
}

namespace {

// Sectors a thrower's facing lets him reach besides his aim: two per diagonal
// facing, none while he faces neither front nor back.
bool LooseSector(MukiType m, MukiZType mz, int s) {
    if (mz == mzB) return m == mR ? (s == 1 || s == 7) : (s == 6 || s == 0);
    if (mz == mzF) return m == mR ? (s == 2 || s == 4) : (s == 3 || s == 5);
    return false;
}

}  // namespace

int TDBPlayer::GetTag(bool NoRefMuki_f) {
    if (MySt->MukiAgl == -1) SetMukiAglFromMuki();
    const int agl = MySt->MukiAgl;
    const TZahyou& me = *MyZahyou;
    int strictPos = -1, loosePos = -1;
    int32_t strictDist = 0, looseDist = 0;
    for (int i = 0; i < 4; ++i) {
        TDBPlayer* en = Enemy(*this, i);
        if (!en || !en->MySt || !en->CheckTgOKMotion()) continue;
        const int32_t dx = en->MyZahyou->X - me.X;
        const int32_t dz = en->MyZahyou->Z - me.Z;
        const int32_t dist = Dist(dx, dz);
        const int s = GetTagAgl(dx, dz);
        bool strict = NoRefMuki_f || s == agl || s == (agl + 7) % 8;
        bool loose = strict || LooseSector(me.FMuki, me.FMukiZ, s);
        if (PosNo == 6) strict = loose;
        if (strict && (strictPos < 0 || dist < strictDist)) {
            strictPos = i;
            strictDist = dist;
        }
        if (loose && (loosePos < 0 || dist < looseDist)) {
            loosePos = i;
            looseDist = dist;
        }
    }
    return strictPos >= 0 ? strictPos : loosePos;
}

void TDBPlayer::PaTagSet() {
    const TZahyou& me = *MyZahyou;
    // Toward the own court: left for side 0, right for side 1.
    const bool towardOwn = me.FMuki == (SideNo == 0 ? mL : mR);
    const MukiTypeA lastLR = MySt->LastLRKey;
    int choice;
    switch (PosNo) {
        case 4:
            if (lastLR == maN && me.FMukiZ == mzF) choice = 5;
            else choice = towardOwn ? GetInfPaTg(*this, SideNo) : 6;
            break;
        case 5:
            if (lastLR == maN && me.FMukiZ == mzB) choice = 4;
            else choice = towardOwn ? GetInfPaTg(*this, SideNo) : 6;
            break;
        case 6:
            choice = me.FMukiZ == mzF ? 5 : me.FMukiZ == mzB ? 4 : GetInfPaTg(*this, SideNo);
            break;
        default:
            if (towardOwn) {
                choice = GetNaiyaTag();
            } else if (!HasMF(dbmfDs)) {
                choice = me.FMukiZ == mzF ? 5 : me.FMukiZ == mzB ? 4 : 6;
            } else if (CPU_f()) {
                const MukiZTypeA w = MySt->Auto.AMukiZ;
                choice = w == mzaF ? 5 : w == mzaB ? 4 : 6;
            } else {
                choice = Crs2(*this, cU) ? 4 : Crs2(*this, cD) ? 5 : 6;
            }
            break;
    }
    DBPosMove& pm = TeamSt(*this, SideNo).PosMove;
    for (auto& f : pm.Inf_f) f = 1;
    DBBallState& b = Ball(*this);
    b.PaTgTNo = SideNo;
    b.PaTgPNo = choice < 0 ? 6 : choice;
    if (choice >= 0 && choice <= 3) pm.Inf_f[choice] = 0;
    PaCutSet();
}

int TDBPlayer::GetNaiyaTag() {
    if (LastOne_f(*this, SideNo)) return -1;
    DBBallState& b = Ball(*this);
    const MukiZType mz = MyZahyou->FMukiZ;
    const bool targetInfield = b.PaTgTNo == SideNo && b.PaTgPNo >= 0 && b.PaTgPNo <= 3;
    // The direction the thrower faces, pushed this frame, asks for another
    // receiver; a human side only.
    bool pushed = false;
    if (!CPU_f()) {
        if (mz == mzF) pushed = Crs(*this, cD);
        else if (mz == mzB) pushed = Crs(*this, cU);
        else pushed = Crs(*this, cL) || Crs(*this, cR);
    }
    const bool sameFacing = mz == b.PaNMuki;
    if (targetInfield && !pushed) return b.PaTgPNo;

    b.PaNMuki = mz;
    struct Cand {
        int pos;
        int32_t key;
        bool inAngle;
    };
    std::vector<Cand> mates;
    bool anyInAngle = false;
    const int32_t myZ = MyZahyou->Z;
    for (int i = 0; i < 4; ++i) {
        if (i == PosNo) continue;
        TDBPlayer* m = Mate(*this, i);
        if (!m || !m->MySt || !m->CheckFreeMotion(true) || m->MySt->Auto.AutoType != dbaFree ||
            m->CheckLandEnPos())
            continue;
        const int32_t z = m->MyZahyou->Z;
        bool in;
        if (mz == mzF) in = z <= myZ;
        else if (mz == mzB) in = z >= myZ;
        else in = std::abs(z - myZ) <= 2400;
        anyInAngle = anyInAngle || in;
        mates.push_back({i, 0, in});
    }
    std::vector<Cand> cands;
    for (Cand c : mates) {
        if (anyInAngle && !c.inAngle) continue;
        const TDBPlayer& m = *Mate(*this, c.pos);
        const int32_t lx = m.LeftCrtX();
        if (!anyInAngle) c.key = mz == mzN ? -lx : lx;
        else c.key = mz == mzF ? -m.MyZahyou->Z : mz == mzN ? -lx : m.MyZahyou->Z;
        cands.push_back(c);
    }
    std::stable_sort(cands.begin(), cands.end(),
                     [](const Cand& a, const Cand& c) { return a.key < c.key; });
    if (cands.empty()) return -1;

    auto next = [&]() {
        for (size_t k = 0; k < 2 && k < cands.size(); ++k)
            if (cands[k].pos == b.PaTgPNo && k + 1 < cands.size()) return cands[k + 1].pos;
        return cands[0].pos;
    };
    if (!anyInAngle) return cands[0].pos;
    if (pushed && sameFacing) return next();
    if (cands[0].pos == b.PaTgPNo) return next();
    return cands[0].pos;
}

void TDBPlayer::PaCutSet() {
    DBBallState& b = Ball(*this);
    b.PaCtTNo = EnSideNo;
    TDBPlayer* recv = Mate(*this, b.PaTgPNo);
    int best = -1;
    int32_t bestDist = 0;
    for (int i = 0; recv && i < 4; ++i) {
        // A player who is out cuts no pass.
        TDBPlayer* en = Enemy(*this, i);
        if (!en || !en->MySt || !en->MyZahyou || !en->Live_f || en->MySt->Dead_f) continue;
        const int32_t dx = en->MyZahyou->X - recv->MyZahyou->X;
        const int32_t dz = Percentage(en->MyZahyou->Z - recv->MyZahyou->Z, 150);
        const int32_t d = Dist(dx, dz);
        if (best < 0 || d < bestDist) {
            best = i;
            bestDist = d;
        }
    }
    b.PaCtPNo = best;
}
