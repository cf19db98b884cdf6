#include "input/DILib.h"

#include <algorithm>

TDISAI::TDISAI(TDDIDEX* /*tDIDEX*/, int tPNo, int tDT) : PNo(tPNo), DHTIME(tDT) { Init(true); }

void TDISAI::Init(bool /*msc_f*/) {
  for (size_t i = 0; i < CfgBtn.size(); ++i) CfgBtn[i] = uint16_t(i);
}

void TDISAI::Scan(bool /*WrtBuf_f*/) {}
bool TDISAI::CheckBtn(BtnType, int) { return false; }
bool TDISAI::CheckBtn2(BtnType, int) { return false; }
bool TDISAI::CheckCrs(CrsType, int) { return false; }
bool TDISAI::CheckCrs2(CrsType, int) { return false; }
bool TDISAI::CheckAnyCrs() { return false; }

int TDISAI::SettingAutoDevice(int tDev) {
  PadNo = tDev < PadCount ? tDev + 2 : 0;
  return PadNo;
}

void TDISAI::SettingDevice(int tDev) {
  if (tDev == 0) {
    PadNo = 0;
  } else if (tDev >= 1 && tDev <= 4) {
    PadNo = tDev + 1;
  }
}

void TDISAI::SettingKB(uint16_t U, uint16_t D, uint16_t L, uint16_t R, uint16_t Ab, uint16_t Bb,
                       uint16_t Cb, uint16_t Db, uint16_t Lb, uint16_t Rb, uint16_t ST,
                       uint16_t SL) {
  KBMap = {U, D, L, R, Ab, Bb, Cb, Db, Lb, Rb, ST, SL};
}

void TDISAI::SettingBtn(uint16_t A, uint16_t B, uint16_t C, uint16_t D, uint16_t L, uint16_t R,
                        uint16_t ST, uint16_t SL) {
  CfgBtn = {A, B, C, D, L, R, ST, SL};
}

TADISAI::TADISAI(TDDIDEX* tDIDEX, TGlobalSAI* tGlb, bool /*tFScr_f*/) : Glb(tGlb) {
  SetCPUNUM(3);
  SetCPUNUM(2);
  for (int i = 0; i < SLOTS; ++i) DI[i] = std::make_unique<TDISAI>(tDIDEX, i, 8);
}

void TADISAI::Init(bool msc_f) {
  for (auto& d : DI) d->Init(msc_f);
}

void TADISAI::Scan(bool WrtBuf_f) {
  DI[0]->Scan(WrtBuf_f);
  DI[1]->Scan(WrtBuf_f);
}

bool TADISAI::CheckBtn(BtnType b) const {
  for (auto& d : DI)
    if (d->CheckBtn(b, 0)) return true;
  return false;
}

void TADISAI::SetCPUNUM(int n) {
  CPUNUM_ = std::clamp(n, 0, 4);
  SCANNUM = 3 - CPUNUM_;
}
