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

// The renderer the game creates: positions of match objects are world
// pixels; the camera offset is subtracted from x and added to y.
class TAlpha32SAI : public TAlpha32 {
 public:
  explicit TAlpha32SAI(TGlobalSAI* tGlb = nullptr) : Glb(tGlb) {}
  void SetCam(int32_t tCX, int32_t tCY) {
    CamX = tCX;
    CamY = tCY;
  }
  TGlobalSAI* Glb;
  int32_t CamX = 0;
  int32_t CamY = 0;
};
