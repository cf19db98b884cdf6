// The sound controller TOggDataCtrl, in the minimal form the frame loop needs
// until sound is built: every call is accepted and nothing plays (the game's
// behaviour when no sound device exists).
#pragma once
#include "shell/FormParts.h"

class TOggDataCtrl : public FormSound {
 public:
  void SEPlay(int) override {}
  void HalfVol() override {}
  void NomalVol() override {}
  void BGMStop() override {}
  void JglStop(int) override {}
  void SEStop(int) override {}
};
