// The per-player input layer and the game's input aggregate.
//
// TGenDI turns one device of the input component into one 16-bit input word
// per logic step (input/InputWord.h), keeps a 128-word history, derives the
// pushed and released edges (a change of the held directions re-pushes every
// direction still held), answers button and direction questions up to 63
// steps back, finds a double tap of one direction, keeps a small command
// buffer and records every word of the run into an in-memory stream, which can
// also be played back in place of the device.
//
// TDISAI is the game's player slot (double-tap result after every scan, the
// jump test); TADISAI the aggregate of four slots, of which the first two are
// scanned each step. The checks are virtual so tests can script a slot.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "input/Ddidex.h"
#include "input/InputWord.h"
#include "shell/FormParts.h"

class TGlobalSAI;

struct MouseState {
  int32_t X = 0, Y = 0;        // cursor, client coordinates
  int32_t dX = 0, dY = 0;      // movement this step
  int32_t dZ = 0;              // wheel notches this step
  bool ClL = false, ClR = false, ClC = false, Cl4 = false, Cl5 = false;       // went down now
  bool ClL2 = false, ClR2 = false, ClC2 = false, Cl42 = false, Cl52 = false;  // held
};

// The recording of one slot: 2-byte little-endian words, one per recorded
// step, read back from Pos during playback.
struct InputStream {
  std::vector<uint8_t> Data;
  size_t Pos = 0;
};

class TGenDI {
 public:
  TGenDI(TDDIDEX* tDIDEX, int tPNo);
  virtual ~TGenDI() = default;
  TGenDI(const TGenDI&) = delete;
  TGenDI& operator=(const TGenDI&) = delete;

  // Identity button map; with msc_f a new empty recording and live mode.
  // Clears the history, the edges and the command buffer (Key3 stays).
  void Init(bool msc_f);
  // One logic step; WrtBuf_f records the word (live) or reads the next one
  // (playback).
  virtual void Scan(bool WrtBuf_f);

  // Pos: steps ago, 0..63; anything else is false.
  virtual bool CheckBtn(BtnType tBtn, int Pos);    // newly pushed
  virtual bool CheckBtn2(BtnType tBtn, int Pos);   // held
  virtual bool CheckCrs(CrsType tCrs, int Pos);    // direction newly pushed
  virtual bool CheckCrs2(CrsType tCrs, int Pos);   // direction held
  virtual bool CheckCrs2X(int Pos);                // left or right held
  virtual bool CheckCrs2Y(int Pos);                // up or down held
  virtual bool CheckAnyCrs();                      // any direction pushed now
  virtual bool CheckAnyCrs2();                     // any direction held now
  // A double tap of one direction ending one step ago (see DILib.cpp).
  DHType DHit() const;

  void SetBuf();
  void CmdBufInit();
  int Cmd_c() const { return fCmd_c; }

  void SettingBtn(uint16_t A, uint16_t B, uint16_t C, uint16_t D, uint16_t L, uint16_t R,
                  uint16_t ST, uint16_t SL);
  // Writes the keys into the component's key table 0: the directions to its
  // direction entries, the eight buttons to its entries 0..7.
  void SettingKB(uint16_t U, uint16_t D, uint16_t L, uint16_t R, uint16_t Ab, uint16_t Bb,
                 uint16_t Cb, uint16_t Db, uint16_t Lb, uint16_t Rb, uint16_t ST, uint16_t SL);
  // 0 keyboard, 1..4 pads 0..3 (a missing pad reads as released); other
  // values leave the device as it is.
  void SettingDevice(int tDev);
  // Pad tDev when the component has more than tDev pads, else the keyboard;
  // returns the device index read (0 or tDev + 2).
  int SettingAutoDevice(int tDev);
  void MScan(MouseState& tMst, bool FScr_f);

  // Playback (our own entry point): the slot plays these recorded words from
  // the start instead of reading its device.
  void StartPlayback(std::vector<uint8_t> words);
  const InputStream& Recording() const { return msRep; }

  int32_t PNo;
  int32_t PadNo = 0;        // device index read: 0 keyboard, 2 + n pad n
  bool Scanned_f = false;
  std::array<uint16_t, BUFMAX + 1> KeyBuf{};
  int32_t KeyBuf_c = BUFHALF;
  ReplayState RpSt = rpsNone;
  std::array<uint16_t, BUFCMD + 1> CmdBuf{};
  int32_t fCmd_c = 0;
  int32_t CmdTime = 0;
  std::array<uint16_t, 8> CfgBtn{};
  TDDIDEX* pDIDEX;
  DHType DHKey = dN;
  int32_t DHTIME = 0;
  InputStream msRep;
  uint16_t Key = 0;   // pushed this step
  uint16_t Key2 = 0;  // held this step
  uint16_t Key3 = 0;  // released this step

 private:
  bool Held(uint16_t bit, int Pos) const;
  bool Pushed(uint16_t bit, int Pos) const;
  void CmdStep(uint16_t prev, uint16_t dirs);
  void CmdBufTrunHalf();
};

class TGenADI {
 public:
  TGenADI(TDDIDEX* tDIDEX, bool tFScr_f);
  virtual ~TGenADI() = default;
  void InitMouse() { MSt = MouseState{}; }

  TDDIDEX* pDIDEX;
  bool FScr_f;
  MouseState MSt;
};

class TDISAI : public TGenDI {
 public:
  TDISAI(TDDIDEX* tDIDEX, int tPNo, int tDT);
  // The base step, then the double-tap result into DHKey.
  void Scan(bool WrtBuf_f) override;
  // A held and B newly pushed, or B held and A newly pushed, or, on the
  // keyboard, the A+B key (bY) newly pushed.
  virtual bool CheckJump();
};

class TADISAI : public TGenADI, public FormInput {
 public:
  static constexpr int SLOTS = 4;
  // A null component: the aggregate makes its own over the current devices.
  TADISAI(TDDIDEX* tDIDEX, TGlobalSAI* tGlb, bool tFScr_f);
  explicit TADISAI(TGlobalSAI* tGlb = nullptr) : TADISAI(nullptr, tGlb, false) {}

  // Clears the component's key tables, then Init(msc_f) on all four slots.
  void Init(bool msc_f) override;
  // The mouse on slot 0, then slots 0 and 1 (slots 2 and 3 are never scanned).
  void Scan(bool WrtBuf_f) override;
  // Any of the four slots has the button newly pushed this step.
  bool CheckBtn(BtnType tBtn) const override;
  void SetCPUNUM(int n) override;
  int CPUNUM() const override { return CPUNUM_; }
  void SetSlotNo(int n) override { SlotNo = n; }

  int32_t SlotNo = 0;
  TGlobalSAI* Glb;
  ReplayState RpSt = rpsNone;
  int32_t SCANNUM = 3;
  std::unique_ptr<TDISAI> DI[SLOTS];

 private:
  std::unique_ptr<TDDIDEX> ownDIDEX_;
  int32_t CPUNUM_ = 0;
};
