// A player's sprite: the body and face cells placed by the frame table and
// mirrored by the facing, the blink of a shot's target, the controlled
// player's cursor, and the shadow.
#include "match/clsObject.h"
#include "shell/GlbRecord.h"
#include "shell/clsAllTx.h"

namespace {

// Screen placement of the body cell for a frame's source size class.
struct CellSize {
    int32_t W, H, ShiftX, ShiftY;
};
CellSize BodySize(uint8_t srcSize) {
    switch (srcSize) {
        case 1: return {32, 64, 0, -32};
        case 2: return {64, 32, -16, 0};
        case 3: return {64, 64, -16, -32};
        default: return {32, 32, 0, 0};
    }
}

// The face cell of a face number within a face strip; w 0 means no face.
struct FaceCell {
    int32_t X, W, H;
};
FaceCell FaceOf(uint8_t faceNo) {
    if (faceNo == 8) return {112, 8, 8};
    if ((faceNo >= 1 && faceNo <= 7) || faceNo == 9 || faceNo == 10)
        return {(faceNo - 1) * 16, 16, 10};
    return {0, 0, 0};
}

MirrorFlag Mirror(bool lr, bool ud) {
    if (lr && ud) return mirUDLR;
    if (lr) return mirLR;
    if (ud) return mirUD;
    return mirNone;
}

const BitMapData& FrameRowOf(const TAllObTx* aot, int32_t bmpNo) {
    static const BitMapData empty{};
    return aot->GDt ? aot->GDt->FrameRow(bmpNo) : empty;
}

}  // namespace

void TGenCharDraw::OnDrawSetDB(bool ctrl, bool revX, bool revY, int32_t M_c, int32_t mukiSign,
                               int32_t TNo, int32_t CNo, int32_t FNo, int32_t Pri, int32_t X,
                               int32_t Y, int32_t Z, int32_t shTg, MukiType muki,
                               const AnimeData* pAni) {
    DDt = DrawData{};
    DDt.Set_f = true;
    DDt.DB_f = true;
    DDt.DBCtrl_f = ctrl;
    DDt.RevX_f = revX;
    DDt.RevY_f = revY;
    DDt.M_c = M_c;
    DDt.ExpBmpNo = -1;
    DDt.MukiSign = mukiSign;
    DDt.TNo = TNo;
    DDt.CNo = CNo;
    DDt.FNo = FNo;
    DDt.SkinNo = 0;
    DDt.Pri = Pri;
    DDt.X = X;
    DDt.Y = Y;
    DDt.Z = Z;
    DDt.DBShTg_fc = shTg;
    DDt.Muki = muki;
    DDt.RO_Muki = muki;
    DDt.pAni = pAni;
}

void TGenCharDraw::OnSadowDraw(int32_t X, int32_t, int32_t Z, int32_t SdwY, int32_t Pri) {
    if (!AL || !AOT->AT) return;
    AL->DrawTexSai(AOT->AT->DBItemtx, 80, 104, 16, 8, X / 100, 240 - Z / 100 - (SdwY + 1) / 100,
                   Pri, 255, 0, BM_NORMAL, mirNone, r0);
}

void TGenCharDraw::OnDraw() {
    if (!DDt.Set_f) return;
    DDt.Set_f = false;
    if (!AL) return;
    static const DBGameData noGame{};
    const DBGameData& g = AOT->SDt ? AOT->SDt->DBGDt : noGame;

    // Highlight. Plain blits cannot tint, so there a shot's target blinks
    // and the controlled player gets a cursor; a 3D renderer tints instead.
    BLENDMODE bm = BM_NORMAL;
    uint32_t col = 0xFFFFFF;
    bool hidden = false, cursor = false;
    const bool targeted = DDt.DBShTg_fc != -1;
    const bool firstHalf = targeted && DDt.DBShTg_fc % 24 < 12;
    if (AL->DDraw_f()) {
        if (g.DBSSt == dbssShiai) {
            hidden = firstHalf;
            cursor = DDt.DBCtrl_f;
        }
    } else if (targeted) {
        bm = BM_FLASH;
        col = firstHalf ? 0x606020 : 0x202040;
    } else if (DDt.DBCtrl_f) {
        bm = BM_FLASH;
        col = 0x404040;
    }
    if (DDt.Invs_f) return;

    static const AnimeData noFrame{};
    const AnimeData& a = DDt.pAni ? *DDt.pAni : noFrame;
    const int32_t bmpNo = a.BmpNo;
    const bool mirX = (DDt.Muki == mL) != (a.RevX_f != 0);
    const bool mirY = a.RevY_f != 0;
    const MirrorFlag mir = Mirror(mirX, mirY);
    const BitMapData& f = FrameRowOf(AOT, bmpNo);

    const int32_t dX = DDt.X / 100 + (a.X + f.BX) * DDt.MukiSign - 16;
    int32_t dY = -(DDt.Y / 100) - DDt.Z / 100 + f.BY + 208;
    dY += mirY ? -a.Y : a.Y;
    const CellSize body = BodySize(f.SrcSize);

    const TALTexture* bodyTx = nullptr;
    const TALTexture* faceTx = nullptr;
    if (TALLtxChar* ac = AOT->AC; ac && DDt.TNo >= 0 && DDt.TNo < 2 && DDt.CNo >= 0 &&
                                  DDt.CNo < TALLtxChar::MEMBERS) {
        bodyTx = ac->txCharDBp[DDt.TNo][DDt.CNo];
        faceTx = &ac->txFaceDB[DDt.TNo][DDt.CNo];
    }

    if (!hidden) {
        const FaceCell fc = FaceOf(f.FaceNo);
        const int32_t fX = (mirX ? dX + 32 - fc.W - f.FX : dX + f.FX) + body.ShiftX;
        const int32_t fY = (mirY ? dY + 32 - fc.H - f.FY : dY + f.FY) + body.ShiftY;
        const int32_t half = fc.W / 2;
        auto faceCols = [&](int32_t from, int32_t w, int32_t x) {
            if (faceTx && fc.W > 0)
                AL->DrawTexSaiLT(*faceTx, fc.X + from, 0, w, fc.H, x, fY, DDt.Pri, 255, col, bm,
                                 mir, r0);
        };
        auto wholeFace = [&] { faceCols(0, fc.W, fX); };
        auto leftHalf = [&] { faceCols(0, half, mirX ? fX + half : fX); };
        auto rightHalf = [&] { faceCols(half, fc.W - half, mirX ? fX : fX + half); };
        auto drawBody = [&] {
            if (!bodyTx) return;
            const int32_t bmx = (bmpNo % 256) / 16, bmy = bmpNo % 16;
            AL->DrawTexSaiLT(*bodyTx, bmx * 32, bmy * 32, body.W, body.H, dX + body.ShiftX,
                             dY + body.ShiftY, DDt.Pri, 255, col, bm, mir, r0);
        };
        switch (f.FZ) {
            case 1: wholeFace(); drawBody(); break;
            case 2: leftHalf(); drawBody(); rightHalf(); break;
            case 3: rightHalf(); drawBody(); leftHalf(); break;
            default: drawBody(); wholeFace(); break;
        }
    }

    if (cursor && g.DBSSt != dbssResult && g.DBCsl_c < 15 && AOT->AT) {
        const bool own = g.DBCPUNum == 0 || (g.DBCPUNum == 1 && DDt.TNo == 0);
        const int32_t sx = own ? 88 + 8 * DDt.TNo : 104;
        AL->DrawTexSaiLT(AOT->AT->DBItemtx, sx, 112, 8, 8, dX + 12, dY - 10, DDt.Pri, 255,
                         0xFFFFFF, BM_NORMAL, mirNone, r0);
    }
}
