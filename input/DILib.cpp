#include "input/DILib.h"

#include <algorithm>

#include "shell/zimraLib.h"

namespace {
constexpr int kCheckReach = BUFHALF - 1;  // Pos 0..63 answer
constexpr int32_t kCmdIdleMax = 60;       // idle steps that end a command
}  // namespace

// ---------------------------------------------------------------- TGenDI

TGenDI::TGenDI(TDDIDEX* tDIDEX, int tPNo) : PNo(tPNo), pDIDEX(tDIDEX) {
  PadNo = (pDIDEX && tPNo < pDIDEX->JoyStickCount()) ? tPNo + DI_JOY1 : DI_KEYB;
  Scanned_f = tPNo >= 3;
  Init(true);
  RpSt = rpsNone;
}

void TGenDI::Init(bool msc_f) {
  for (size_t i = 0; i < CfgBtn.size(); ++i) CfgBtn[i] = uint16_t(i);
  if (msc_f) {
    msRep = InputStream{};
    RpSt = rpsNone;
  }
  KeyBuf.fill(0);
  KeyBuf_c = BUFHALF;
  Key = 0;
  Key2 = 0;
  CmdBufInit();
}

void TGenDI::StartPlayback(std::vector<uint8_t> words) {
  msRep.Data = std::move(words);
  msRep.Pos = 0;
  RpSt = msRep.Data.empty() ? rpsEnd : rpsLoad;
}

void TGenDI::Scan(bool WrtBuf_f) {
  const uint16_t prev = Key2;
  Key2 = 0;
  uint16_t dirs = 0;
  if (RpSt == rpsNone) {
    if (pDIDEX) {
      pDIDEX->Scan(PadNo);
      for (int i = 0; i < 8; ++i)
        if (pDIDEX->getButtons(CfgBtn[size_t(i)])) Key2 |= BITBTN[size_t(i)];
      const TDDIDStick st = pDIDEX->getStick();
      if (st.Y < 0) dirs |= BITCRS[cU];
      if (st.Y > 0) dirs |= BITCRS[cD];
      if (st.X < 0) dirs |= BITCRS[cL];
      if (st.X > 0) dirs |= BITCRS[cR];
      Key2 |= dirs;
    }
    if (WrtBuf_f) {
      msRep.Data.push_back(uint8_t(Key2 & 0xFF));
      msRep.Data.push_back(uint8_t(Key2 >> 8));
    }
  } else if (RpSt == rpsLoad && WrtBuf_f) {
    // A recorded word is read whole or not at all; stray bits 8..11 are dropped.
    if (msRep.Pos + 2 <= msRep.Data.size()) {
      Key2 = uint16_t((msRep.Data[msRep.Pos] | (msRep.Data[msRep.Pos + 1] << 8)) & BITWORDMASK);
      msRep.Pos += 2;
    } else {
      msRep.Pos = msRep.Data.size();
    }
    dirs = Key2 & BITCRSMASK;
    if (msRep.Pos >= msRep.Data.size()) RpSt = rpsEnd;
  }
  SetBuf();
  Key3 = prev & ~Key2;
  Key = Key2 & ~prev;
  // When the set of held directions changes, every direction still held
  // counts as pushed in this step.
  if (((Key | Key3) & BITCRSMASK) && (Key & BITCRSMASK) != dirs) Key |= dirs;
  CmdStep(prev, dirs);
}

void TGenDI::SetBuf() {
  if (++KeyBuf_c > BUFMAX) {
    std::copy(KeyBuf.begin() + BUFHALF, KeyBuf.end(), KeyBuf.begin());
    KeyBuf_c = BUFHALF;
  }
  KeyBuf[size_t(KeyBuf_c)] = Key2;
}

void TGenDI::CmdBufInit() {
  CmdTime = 0;
  fCmd_c = 0;
  CmdBuf.fill(0);
  CmdBuf[0] = 0xFFFF;
}

void TGenDI::CmdStep(uint16_t prev, uint16_t dirs) {
  const bool idle = (dirs == (prev & BITCRSMASK)) && (Key & BITBTNMASK) == 0;
  if (idle) {
    if (fCmd_c > 0) CmdTime = std::min(CmdTime + 1, kCmdIdleMax);
    return;
  }
  if (CmdTime >= kCmdIdleMax) CmdBufInit();
  CmdBuf[size_t(fCmd_c)] = Key;
  CmdBuf[size_t(fCmd_c) + 1] = 0xFFFF;
  ++fCmd_c;
  CmdTime = 0;
  if (fCmd_c >= BUFCMD) CmdBufTrunHalf();
}

// Keeps the newest 25 entries.
void TGenDI::CmdBufTrunHalf() {
  constexpr int kKeep = BUFCMD / 2;
  std::copy(CmdBuf.begin() + (fCmd_c - kKeep), CmdBuf.begin() + fCmd_c, CmdBuf.begin());
  std::fill(CmdBuf.begin() + kKeep, CmdBuf.end(), uint16_t(0xFFFF));
  fCmd_c = kKeep;
}

bool TGenDI::Held(uint16_t bit, int Pos) const {
  if (Pos < 0 || Pos > kCheckReach) return false;
  if (Pos == 0) return (Key2 & bit) != 0;
  return (KeyBuf[size_t(KeyBuf_c - Pos)] & bit) != 0;
}

bool TGenDI::Pushed(uint16_t bit, int Pos) const {
  if (Pos < 0 || Pos > kCheckReach) return false;
  if (Pos == 0) return (Key & bit) != 0;
  const int k = KeyBuf_c - Pos;
  return (KeyBuf[size_t(k)] & bit) != 0 && (KeyBuf[size_t(k - 1)] & bit) == 0;
}

bool TGenDI::CheckBtn(BtnType tBtn, int Pos) {
  return tBtn >= bA && tBtn <= bSL && Pushed(BITBTN[size_t(tBtn)], Pos);
}
bool TGenDI::CheckBtn2(BtnType tBtn, int Pos) {
  return tBtn >= bA && tBtn <= bSL && Held(BITBTN[size_t(tBtn)], Pos);
}
bool TGenDI::CheckCrs(CrsType tCrs, int Pos) {
  return tCrs >= cU && tCrs <= cR && Pushed(BITCRS[size_t(tCrs)], Pos);
}
bool TGenDI::CheckCrs2(CrsType tCrs, int Pos) {
  return tCrs >= cU && tCrs <= cR && Held(BITCRS[size_t(tCrs)], Pos);
}
bool TGenDI::CheckCrs2X(int Pos) { return Held(BITCRS[cL] | BITCRS[cR], Pos); }
bool TGenDI::CheckCrs2Y(int Pos) { return Held(BITCRS[cU] | BITCRS[cD], Pos); }
bool TGenDI::CheckAnyCrs() { return (Key & BITCRSMASK) != 0; }
bool TGenDI::CheckAnyCrs2() { return (Key2 & BITCRSMASK) != 0; }

// Direction d alone one step ago, before it no direction, before that d
// alone again, all within DHTIME + 1 steps and with no other direction in
// between. Up, down, left and right are tried in that order.
DHType TGenDI::DHit() const {
  const int reach = std::clamp(DHTIME, 0, KeyBuf_c - 1);
  for (int d = 0; d < 4; ++d) {
    const uint16_t bit = BITCRS[size_t(d)];
    int count = 0;
    for (int i = 0; i <= reach; ++i) {
      const uint16_t w = KeyBuf[size_t(KeyBuf_c - 1 - i)] & BITCRSMASK;
      if (i == 0) {
        if (w != bit) break;
        count = 1;
        continue;
      }
      if (w != bit && w != 0) break;
      if (w == BITDH[size_t(d)][size_t(count)]) ++count;
      if (count > DHMAX) return DHType(dU + d);
    }
  }
  return dN;
}

void TGenDI::SettingBtn(uint16_t A, uint16_t B, uint16_t C, uint16_t D, uint16_t L, uint16_t R,
                        uint16_t ST, uint16_t SL) {
  CfgBtn = {A, B, C, D, L, R, ST, SL};
}

void TGenDI::SettingKB(uint16_t U, uint16_t D, uint16_t L, uint16_t R, uint16_t Ab, uint16_t Bb,
                       uint16_t Cb, uint16_t Db, uint16_t Lb, uint16_t Rb, uint16_t ST,
                       uint16_t SL) {
  if (!pDIDEX) return;
  pDIDEX->setKeyAssign(0, DI_UP, U);
  pDIDEX->setKeyAssign(0, DI_DOWN, D);
  pDIDEX->setKeyAssign(0, DI_LEFT, L);
  pDIDEX->setKeyAssign(0, DI_RIGHT, R);
  const uint16_t btn[8] = {Ab, Bb, Cb, Db, Lb, Rb, ST, SL};
  for (unsigned i = 0; i < 8; ++i) pDIDEX->setKeyAssign(0, DI_B1 + i, btn[i]);
}

void TGenDI::SettingDevice(int tDev) {
  if (tDev == 0) PadNo = DI_KEYB;
  else if (tDev >= 1 && tDev <= 4) PadNo = tDev + 1;
}

int TGenDI::SettingAutoDevice(int tDev) {
  PadNo = (pDIDEX && tDev >= 0 && tDev < pDIDEX->JoyStickCount()) ? tDev + DI_JOY1 : DI_KEYB;
  return PadNo;
}

void TGenDI::MScan(MouseState& tMst, bool /*FScr_f*/) {
  // The cursor comes in client coordinates whether windowed or not.
  if (!pDIDEX) return;
  pDIDEX->Scan(DI_MOUSE);
  tMst.X = pDIDEX->CursorX();
  tMst.Y = pDIDEX->CursorY();
  const DIJOYSTATE& js = pDIDEX->JoyState();
  tMst.dX = js.lX;
  tMst.dY = js.lY;
  tMst.dZ = js.lZ / WHEELMAG;
  bool* click[5] = {&tMst.ClL, &tMst.ClR, &tMst.ClC, &tMst.Cl4, &tMst.Cl5};
  bool* held[5] = {&tMst.ClL2, &tMst.ClR2, &tMst.ClC2, &tMst.Cl42, &tMst.Cl52};
  for (int i = 0; i < 5; ++i) {
    const bool now = (js.rgbButtons[i] & 0x80) != 0;
    *click[i] = now && !*held[i];
    *held[i] = now;
  }
}

// ---------------------------------------------------------------- TGenADI

TGenADI::TGenADI(TDDIDEX* tDIDEX, bool tFScr_f) : pDIDEX(tDIDEX), FScr_f(tFScr_f) { InitMouse(); }

// ---------------------------------------------------------------- TDISAI

TDISAI::TDISAI(TDDIDEX* tDIDEX, int tPNo, int tDT) : TGenDI(tDIDEX, tPNo) { DHTIME = tDT; }

void TDISAI::Scan(bool WrtBuf_f) {
  TGenDI::Scan(WrtBuf_f);
  DHKey = DHit();
}

bool TDISAI::CheckJump() {
  const bool aHeld = (Key2 & BITBTN[bA]) != 0, bHeld = (Key2 & BITBTN[bB]) != 0;
  const bool aPush = (Key & BITBTN[bA]) != 0, bPush = (Key & BITBTN[bB]) != 0;
  return (aHeld && bPush) || (bHeld && aPush) || ((Key & BITBTN[bY]) != 0 && PadNo == DI_KEYB);
}

// ---------------------------------------------------------------- TADISAI

TADISAI::TADISAI(TDDIDEX* tDIDEX, TGlobalSAI* tGlb, bool tFScr_f)
    : TGenADI(tDIDEX, tFScr_f), Glb(tGlb) {
  if (!pDIDEX) {
    ownDIDEX_ = std::make_unique<TDDIDEX>();
    ownDIDEX_->Initialize();
    pDIDEX = ownDIDEX_.get();
  }
  SlotNo = 0;
  SetCPUNUM(3);
  SetCPUNUM(2);
  for (int i = 0; i < SLOTS; ++i) DI[i] = std::make_unique<TDISAI>(pDIDEX, i, DEFDHTIME);
}

void TADISAI::Init(bool msc_f) {
  pDIDEX->ClearKB();
  if (msc_f) RpSt = rpsNone;
  for (auto& d : DI)
    if (d) d->Init(msc_f);
}

void TADISAI::Scan(bool WrtBuf_f) {
  if (DI[0]) DI[0]->MScan(MSt, FScr_f);
  if (DI[0]) DI[0]->Scan(WrtBuf_f);
  if (DI[1]) DI[1]->Scan(WrtBuf_f);
}

bool TADISAI::CheckBtn(BtnType tBtn) const {
  for (const auto& d : DI)
    if (d && d->CheckBtn(tBtn, 0)) return true;
  return false;
}

void TADISAI::SetCPUNUM(int n) {
  CPUNUM_ = Between(n, 0, 4);
  SCANNUM = 3 - CPUNUM_;
}
