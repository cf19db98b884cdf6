// Player device slots and their aggregate, as far as the scenes and the scene
// controller use them: the device choice, the key and pad-button maps, one scan
// per logic step and the button and direction questions.
//
// This build reads no device yet: every slot reports nothing pushed or held.
// The device choice and the maps are kept as set, so the configuration can be
// checked. Operations are virtual so tests can script input.
#pragma once
#include <array>
#include <cstdint>
#include <memory>

#include "shell/FormParts.h"

class TDDIDEX;
class TGlobalSAI;

enum CrsType : uint8_t { cU, cD, cL, cR };

class TDISAI {
 public:
  TDISAI(TDDIDEX* tDIDEX, int tPNo, int tDT);
  virtual ~TDISAI() = default;

  virtual void Init(bool msc_f);
  virtual void Scan(bool WrtBuf_f);
  virtual bool CheckBtn(BtnType b, int Pos);
  virtual bool CheckBtn2(BtnType b, int Pos);
  virtual bool CheckCrs(CrsType c, int Pos);
  virtual bool CheckCrs2(CrsType c, int Pos);
  virtual bool CheckAnyCrs();

  // Pad i when at least i + 1 pads are attached, else the keyboard; returns
  // the device number (0 keyboard, i + 2 pad i).
  virtual int SettingAutoDevice(int tDev);
  // 0 keyboard, 1..4 pads 0..3; anything else leaves the device as it is.
  virtual void SettingDevice(int tDev);
  virtual void SettingKB(uint16_t U, uint16_t D, uint16_t L, uint16_t R, uint16_t Ab, uint16_t Bb,
                         uint16_t Cb, uint16_t Db, uint16_t Lb, uint16_t Rb, uint16_t ST,
                         uint16_t SL);
  virtual void SettingBtn(uint16_t A, uint16_t B, uint16_t C, uint16_t D, uint16_t L, uint16_t R,
                          uint16_t ST, uint16_t SL);

  int PNo;
  int PadNo = 0;          // 0 keyboard, 2..5 pads 0..3
  int DHTIME;
  int PadCount = 0;       // pads attached
  std::array<uint16_t, 12> KBMap{};
  std::array<uint16_t, 8> CfgBtn{0, 1, 2, 3, 4, 5, 6, 7};
};

class TADISAI : public FormInput {
 public:
  static constexpr int SLOTS = 4;
  TADISAI(TDDIDEX* tDIDEX, TGlobalSAI* tGlb, bool tFScr_f);
  explicit TADISAI(TGlobalSAI* tGlb = nullptr) : TADISAI(nullptr, tGlb, false) {}

  void Init(bool msc_f) override;
  // Slots 0 and 1 only.
  void Scan(bool WrtBuf_f) override;
  // Any slot pushed the button in this step.
  bool CheckBtn(BtnType b) const override;
  void SetCPUNUM(int n) override;
  int CPUNUM() const override { return CPUNUM_; }
  void SetSlotNo(int n) override { SlotNo = n; }

  int32_t SlotNo = 0;
  TGlobalSAI* Glb;
  int32_t SCANNUM = 3;
  std::unique_ptr<TDISAI> DI[SLOTS];

 private:
  int32_t CPUNUM_ = 0;
};
