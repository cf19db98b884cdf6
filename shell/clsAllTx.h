// The game's texture sets: the general set (scene, court and item pictures),
// the character set (palettes, faces and bodies of every team member) and the
// court background drawer.
//
// The pictures are not loaded in this build yet: the sets keep the choices the
// scene controller makes (colour numbers, each member's palette colours) and
// draw nothing.
#pragma once
#include <cstdint>

class TAlpha32SAI;
class TGlobalSAI;
class TGrpData;

class TAllTx {
 public:
  TAllTx(TAlpha32SAI* tAL, TGlobalSAI* tGlb);
  TAlpha32SAI* AL;
  TGlobalSAI* Glb;
};

// The colours a member's palette is built from.
struct DBBodyCol {
  int32_t TNo = 0, Eye = 0, Skin = 0, Hair = 0;
};

class TALLtxChar {
 public:
  TALLtxChar(TAlpha32SAI* tAL, TGlobalSAI* tGlb, TGrpData* tGDt);
  void LoadBMP(int i, int n);
  void LoadAllFace(int TNo, int CNo, int FaceNo, int Black, int Eye, int Skin, int Hair, int Pants,
                   int Shirt);
  void LoadAllBody(int TNo);

  TAlpha32SAI* AL;
  TGrpData* GDt;
  TGlobalSAI* Glb;
  int32_t ColNo[5] = {-1, -1, -1, -1, 0};
  DBBodyCol AllCharPalDt[24][7];
};

class TBGCtrlSAI {
 public:
  TBGCtrlSAI(TAlpha32SAI* tAL, TAllTx* tAT, TGlobalSAI* tGlb);
  // Draws court 1 or 2 as asked, any other number as court 0.
  void OnDrawDB(int court);

  TAlpha32SAI* AL;
  TGlobalSAI* Glb;
  TAllTx* AT;
  int32_t MapYPos = 0;
  int32_t LastCourt = -1;  // the court of the last draw
};
