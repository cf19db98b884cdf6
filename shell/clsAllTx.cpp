#include "shell/clsAllTx.h"

TAllTx::TAllTx(TAlpha32SAI* tAL, TGlobalSAI* tGlb) : AL(tAL), Glb(tGlb) {}

TALLtxChar::TALLtxChar(TAlpha32SAI* tAL, TGlobalSAI* tGlb, TGrpData* tGDt)
    : AL(tAL), GDt(tGDt), Glb(tGlb) {}

void TALLtxChar::LoadBMP(int i, int n) {
  if (i >= 0 && i < 5) ColNo[i] = n;
}

void TALLtxChar::LoadAllFace(int TNo, int CNo, int /*FaceNo*/, int /*Black*/, int Eye, int Skin,
                             int Hair, int /*Pants*/, int /*Shirt*/) {
  if (TNo < 0 || TNo >= 24 || CNo < 0 || CNo >= 7) return;
  AllCharPalDt[TNo][CNo] = DBBodyCol{TNo, Eye, Skin, Hair};
}

void TALLtxChar::LoadAllBody(int /*TNo*/) {}

TBGCtrlSAI::TBGCtrlSAI(TAlpha32SAI* tAL, TAllTx* tAT, TGlobalSAI* tGlb)
    : AL(tAL), Glb(tGlb), AT(tAT) {}

void TBGCtrlSAI::OnDrawDB(int court) { LastCourt = (court == 1 || court == 2) ? court : 0; }
