#include "sound/OggDataLib.h"

TOggDataCtrl::TOggDataCtrl(TDDSD* /*tDDSD*/, int /*BufSize*/) {}

void TOggDataCtrl::SEPlay(int /*No*/) {}

void TOggDataCtrl::SESet(int No) {
  if (No >= 0 && No < SLOTS) SERsv.set(size_t(No));
}

void TOggDataCtrl::IdleEvent() {
  if (SERsv.none()) return;
  for (int i = 0; i <= SENum && i < SLOTS; ++i)
    if (SERsv.test(size_t(i))) SEPlay(i);
  SERsv.reset();
}

void TOggDataCtrl::SEStop(int No) {
  if (No == -1) JglOn.reset();
}

void TOggDataCtrl::JglLoopPlay(int No) {
  // Only loaded jingles play.
  if (No >= 0 && No <= JglNum && No < SLOTS) JglOn.set(size_t(No));
}

void TOggDataCtrl::JglStop(int No) {
  if (No == -1) {
    JglOn.reset();
  } else if (No >= 0 && No < SLOTS) {
    JglOn.reset(size_t(No));
  }
}

bool TOggDataCtrl::JglPlaying_f(int No) {
  if (No == -1) return JglOn.any();
  return No >= 0 && No < SLOTS && JglOn.test(size_t(No));
}

void TOggDataCtrl::BGMStop() {}

void TOggDataCtrl::AllSoundStop() {
  BGMStop();
  JglStop(-1);
  SEStop(-1);
}

void TOggDataCtrl::HalfVol() {}
void TOggDataCtrl::NomalVol() {}
