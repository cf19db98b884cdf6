// The game's specialisations: the global status object TGlobalSAI (the one
// every game object receives as Glb) and the renderer with its camera offset.
#pragma once
#include <cstdint>

#include "graphics/AlphaLib32.h"
#include "shell/zimraLib.h"

class TADISAI;
class TBtlMsg;

class TGlobalSAI : public TGlobal {
 public:
  using TGlobal::TGlobal;
  TADISAI* ADI = nullptr;  // the input aggregate
  TBtlMsg* BM = nullptr;   // never created
};

// The renderer the game creates. Match objects draw in world pixels through
// the three camera-aware calls, which subtract CamX from x and add CamY to y
// before queuing; everything else uses the inherited calls.
class TAlpha32SAI : public TAlpha32 {
 public:
  TAlpha32SAI(TDDDD* tQD, TProcCounter* tPC, bool UseDDraw_f, bool TrueColTex_f,
              TGlobalSAI* tGlb, int32_t tMag, int32_t count)
      : TAlpha32(tQD, tPC, UseDDraw_f, TrueColTex_f, tMag, count), Glb(tGlb) {}
  // A renderer without a display (scale 1, 10000 entries): draws are queued
  // and consumed, nothing is drawn. Scene tests read its queue.
  explicit TAlpha32SAI(TGlobalSAI* tGlb = nullptr)
      : TAlpha32SAI(nullptr, nullptr, true, false, tGlb, 1, 10000) {}

  void SetCam(int32_t tCX, int32_t tCY) {
    CamX = tCX;
    CamY = tCY;
  }
  // Centred at the world point (ball, shadows).
  void DrawTexSai(const TALTexture& src, int32_t sx1, int32_t sy1, int32_t sw, int32_t sh,
                  int32_t dx1, int32_t dy1, int32_t Pri, uint8_t alp, uint32_t col, BLENDMODE BM,
                  MirrorFlag Mirror_f, RollFlag Roll_f) {
    DrawTexEx(src, sx1, sy1, sw, sh, float(OffX(dx1)), float(OffY(dy1)), Pri, alp, col, BM,
              Mirror_f, false, 1.0f, 1.0f, Roll_f, 0.0f, nullptr);
  }
  // (dx1, dy1) is the left-top corner (player sprites).
  void DrawTexSaiLT(const TALTexture& src, int32_t sx1, int32_t sy1, int32_t sw, int32_t sh,
                    int32_t dx1, int32_t dy1, int32_t Pri, uint8_t alp, uint32_t col,
                    BLENDMODE BM, MirrorFlag Mirror_f, RollFlag Roll_f) {
    DrawTexLTEx(src, sx1, sy1, sw, sh, float(OffX(dx1)), float(OffY(dy1)), Pri, alp, col, BM,
                Mirror_f, false, 1.0f, 1.0f, Roll_f, 0.0f, nullptr);
  }
  // The court background; the same as DrawTexSaiLT.
  void DrawTexSaiBGLT(const TALTexture& src, int32_t sx1, int32_t sy1, int32_t sw, int32_t sh,
                      int32_t dx1, int32_t dy1, int32_t Pri, uint8_t alp, uint32_t col,
                      BLENDMODE BM, MirrorFlag Mirror_f, RollFlag Roll_f) {
    DrawTexSaiLT(src, sx1, sy1, sw, sh, dx1, dy1, Pri, alp, col, BM, Mirror_f, Roll_f);
  }

  TGlobalSAI* Glb;
  int32_t CamX = 0;
  int32_t CamY = 0;

 private:
  // 32-bit integer arithmetic that wraps instead of overflowing.
  int32_t OffX(int32_t x) const { return int32_t(uint32_t(x) - uint32_t(CamX)); }
  int32_t OffY(int32_t y) const { return int32_t(uint32_t(y) + uint32_t(CamY)); }
};
