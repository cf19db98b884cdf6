// The game's input aggregate TADISAI, in the minimal form the frame loop needs
// until the input layer is built: no device is read, so no button is ever
// pushed. The computer-player count keeps its rules (0..4, SCANNUM = 3 - CPUNUM).
#pragma once
#include <algorithm>

#include "shell/FormParts.h"

class TGlobalSAI;

class TADISAI : public FormInput {
 public:
  explicit TADISAI(TGlobalSAI* tGlb = nullptr) : Glb(tGlb) {
    SetCPUNUM(3);
    SetCPUNUM(2);
  }
  void Scan(bool) override {}
  bool CheckBtn(BtnType) const override { return false; }
  void Init(bool) override {}
  void SetCPUNUM(int n) override {
    CPUNUM_ = std::clamp(n, 0, 4);
    SCANNUM = 3 - CPUNUM_;
  }
  int CPUNUM() const override { return CPUNUM_; }
  void SetSlotNo(int n) override { SlotNo = n; }

  int SlotNo = 0;
  TGlobalSAI* Glb;
  int SCANNUM = 1;

 private:
  int CPUNUM_ = 2;
};
