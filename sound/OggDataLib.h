// The game's sound interface: sound effects by number, played at once or at
// the end of the logic step, and music as looped jingles.
//
// This build has no audio output yet: the controller keeps the state the game
// can ask about (which effects are requested for the step, which jingles are
// playing, the volumes) and makes no sound. Its operations are virtual so
// tests can watch what the game asks for.
#pragma once
#include <bitset>
#include <cstdint>

#include "shell/FormParts.h"

class TDDSD;

class TOggDataCtrl : public FormSound {
 public:
  static constexpr int SLOTS = 256;
  static constexpr int DEFJGLVOL = 30;
  static constexpr int DEFSEVOL = 100;

  explicit TOggDataCtrl(TDDSD* tDDSD = nullptr, int BufSize = 0);
  ~TOggDataCtrl() override = default;
  TOggDataCtrl(const TOggDataCtrl&) = delete;
  TOggDataCtrl& operator=(const TOggDataCtrl&) = delete;

  // Effect No once from its start.
  void SEPlay(int No) override;
  // Effect No at the end of the step (0..255; other numbers are ignored).
  virtual void SESet(int No);
  // Plays the effects requested during the step and forgets the requests.
  virtual void IdleEvent();
  // -1 stops every effect and jingle; otherwise effect No.
  void SEStop(int No) override;
  virtual void JglLoopPlay(int No);
  // -1 stops every jingle; otherwise jingle No.
  void JglStop(int No) override;
  // -1: any jingle playing; otherwise jingle No.
  virtual bool JglPlaying_f(int No);
  void BGMStop() override;
  virtual void AllSoundStop();
  void HalfVol() override;
  void NomalVol() override;

  int32_t SENum = -1;   // highest effect number found
  int32_t JglNum = -1;  // highest jingle number found
  int32_t JglVol = DEFJGLVOL;
  int32_t SEVol = DEFSEVOL;
  std::bitset<SLOTS> SERsv;

 protected:
  std::bitset<SLOTS> JglOn;
};
