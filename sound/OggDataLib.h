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

class TDDSD;

class TOggDataCtrl {
 public:
  static constexpr int SLOTS = 256;
  static constexpr int DEFJGLVOL = 30;
  static constexpr int DEFSEVOL = 100;

  explicit TOggDataCtrl(TDDSD* tDDSD = nullptr, int BufSize = 0);
  virtual ~TOggDataCtrl() = default;
  TOggDataCtrl(const TOggDataCtrl&) = delete;
  TOggDataCtrl& operator=(const TOggDataCtrl&) = delete;

  // Effect No once from its start.
  virtual void SEPlay(int No);
  // Effect No at the end of the step (0..255; other numbers are ignored).
  virtual void SESet(int No);
  // Plays the effects requested during the step and forgets the requests.
  virtual void IdleEvent();
  // -1 stops every effect and jingle; otherwise effect No.
  virtual void SEStop(int No);
  virtual void JglLoopPlay(int No);
  // -1 stops every jingle; otherwise jingle No.
  virtual void JglStop(int No);
  // -1: any jingle playing; otherwise jingle No.
  virtual bool JglPlaying_f(int No);
  virtual void BGMStop();
  virtual void AllSoundStop();
  virtual void HalfVol();
  virtual void NomalVol();

  int32_t SENum = -1;   // highest effect number found
  int32_t JglNum = -1;  // highest jingle number found
  int32_t JglVol = DEFJGLVOL;
  int32_t SEVol = DEFSEVOL;
  std::bitset<SLOTS> SERsv;

 protected:
  std::bitset<SLOTS> JglOn;
};
