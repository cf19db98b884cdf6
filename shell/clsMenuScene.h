// The five menu scenes: title, mode select, team select, versus screen and
// player select. Each runs its OnInit once when it is built.
//
// The title and mode select scenes are complete. The other three are their
// entries only (what a scene sets up when it is entered, with the random draws
// that entry takes); their own steps and drawing are still the scene base's
// fade.
#pragma once
#include "shell/clsGenScene.h"

class TDBOPScene : public TBaseScene {
 public:
  TDBOPScene(TAlpha32SAI* tAL, TAllObTx* tAOT, TGlobalSAI* tGlb, SceneType id);
  // Clears the match settings except difficulty and rule; no member placed.
  void OnInit() override;
  // Waits for button A on any device, then leaves for mode select a step later.
  void OnMove() override;
  void OnDraw() override;
};

// Player 1 picks the mode (up and down) and the difficulty (left and right);
// the mode decides how many sides the computer drives.
class TDBMSLScene : public TBaseScene {
 public:
  static constexpr int DFCX[3] = {0, 64, 120};  // difficulty cursor offsets
  TDBMSLScene(TAlpha32SAI* tAL, TAllObTx* tAOT, TGlobalSAI* tGlb, SceneType id);
  void OnMove() override;
  void OnDraw() override;

 private:
  void MoveCursors();
};

class TDBTSLScene : public TBaseScene {
 public:
  TDBTSLScene(TAlpha32SAI* tAL, TAllObTx* tAOT, TGlobalSAI* tGlb, SceneType id);
  // Draws the two teams the computer will pick; both sides start at team 0.
  void OnInit() override;
  bool OK_f[2] = {false, false};
  int32_t CPUTEAM[2] = {0, 0};
};

class TDBVSScene : public TBaseScene {
 public:
  TDBVSScene(TAlpha32SAI* tAL, TAllObTx* tAOT, TGlobalSAI* tGlb, SceneType id);
  // No member placed yet.
  void OnInit() override;
};

struct TDBPSLSceneDt {
  bool OK_f = false;
  int32_t PosNo = 0;
  int32_t CslNo = 0;
  bool OKChar_f[7] = {};
};

class TDBPSLScene : public TBaseScene {
 public:
  TDBPSLScene(TAlpha32SAI* tAL, TAllObTx* tAOT, TGlobalSAI* tGlb, SceneType id);
  // Clears both sides' placing and draws the computer sides' patterns.
  void OnInit() override;
  TDBPSLSceneDt Dt[2];
  int32_t CPUAuto[2] = {0, 0};
  int32_t CPUAuto_c = 0;
};
