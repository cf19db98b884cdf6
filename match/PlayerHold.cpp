// A player taking the ball, keeping it in his hands, and his hurt box.
#include <algorithm>

#include "match/clsBall.h"
#include "match/clsBallUtil.h"
#include "shell/GlbRecord.h"

using namespace ballutil;

void TDBPlayer::BallGet(bool NoSE_f) {
    if (!MySt || !DBall) return;
    MySt->AirAct_f = 0;
    MySt->LastLRKey = maN;
    if (MySt->Motion.MF.Has(dbmfAr)) PlayerSetMtype(this, dbmtJ2, false);
    if (!NoSE_f) SEPlay(Glb, 12);
    SetCtrlMe();
    DBall->SetMTypeHold(SideNo, PosNo);
    DBBallState& b = *DBall->MySt;
    b.ShTgTNo = b.ShTgPNo = -1;
    b.PaTgTNo = b.PaTgPNo = -1;
    SetMukiAglFromMuki();
    PaTagSet();
    if (TeamAllDead(AOT, EnSideNo)) return;
    int32_t t = GetTag(false);
    if (t != -1) {
        TeamSetCtrl(AOT, EnSideNo, t);
        b.ShTgTNo = EnSideNo;
        b.ShTgPNo = t;
        return;
    }
    TeamSetCtrl(AOT, EnSideNo, GetTag(true));
    if (PlayerCPU_f(this)) {
        b.ShTgTNo = EnSideNo;
        b.ShTgPNo = TeamCtrlNo(AOT, EnSideNo);
    } else {
        b.ShTgTNo = b.ShTgPNo = -1;
    }
}

void TDBPlayer::OnReMove(bool, bool) {
    if (!MySt || !DBall || !PlayerBall_f(this)) return;
    static const BitMapData noRow{};
    const AnimeData& a = PlayerFrameAni(this);
    const BitMapData& f = AOT->GDt ? AOT->GDt->FrameRow(a.BmpNo) : noRow;
    const TZahyou& z = *MyZahyou;
    TZahyou& bz = DBall->Zh();
    int32_t tx = z.MukiSign() * (f.BX + a.X) - 16;
    int32_t ty = f.BY + a.Y + 8;
    int32_t tlx = f.IX;
    int32_t tly = f.IY + ty;
    bz.SetMuki(z.Muki());
    bz.SetMukiZ(z.MukiZ());
    int32_t hx = z.Muki() == mR ? tlx + tx : 32 - tlx + tx;
    bz.X = Sat(z.X + int64_t(hx) * 100);
    bz.Y = Sat(z.Y + int64_t(32 - tly) * 100);
    bz.Z = z.Z;
    bz.Pri = f.IZ == 0 ? Sat(int64_t(z.Pri) + 1) : Sat(int64_t(z.Pri) - 1);
    DBall->MySt->Anime.RevX_f = a.RevX_f;
    DBall->MySt->Anime.RevY_f = a.RevY_f;
}

void TDBPlayer::OnSetOS() {
    if (!MySt) return;
    const CstDB& db = DB();
    SquareData box{};
    int32_t mno = MySt->Motion.MNo, fno = MySt->Anime.FrameNo;
    SquareData* entry = nullptr;
    if (AOT->GDt && mno >= 0 && mno < DBMOTION_COUNT && fno >= 0 && fno < DBMOTION_FRAMES)
        entry = &AOT->GDt->DBBsmData[mno].Frame[fno].Kurai;
    if (entry) box = *entry;
    if (box.W == 0 || box.H == 0) {
        // The frame has no box: the defaults stand in, and stay in the table.
        box.X = int8_t(std::clamp(db.DBDAM.DEFKURAIX, -128, 127));
        box.Y = int8_t(std::clamp(db.DBDAM.DEFKURAIY, -128, 127));
        box.W = uint8_t(std::clamp(db.DBDAM.DEFKURAIW, 0, 255));
        box.H = uint8_t(std::clamp(db.DBDAM.DEFKURAIH, 0, 255));
        if (entry) *entry = box;
    }
    const TZahyou& z = *MyZahyou;
    int32_t left = z.X / 100 + z.MukiSign() * box.X - (z.Muki() == mL ? box.W : 0);
    int32_t top = z.Y / 100 + box.Y;
    MySt->Kurai = DBRect{left, top, left + box.W, top + box.H};
}
