// The five menu scenes: title, mode select, team select, versus screen and
// player select. Each runs its OnInit once when it is built.
//
// They read player 1's device slot (player 2's where a side is his), ask for
// sound effects by number and draw through the renderer: the scene picture
// first at priority 12, then cursors, digits, faces and names over it.
#pragma once
#include <memory>

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

// Team select: two teams out of 24, by the players in versus mode, by player
// 1 against the series' next opponent in knock-out mode, and by the computer
// (counting up to a random team) in watch mode.
class TDBTSLScene : public TBaseScene {
 public:
  static constexpr int TEAMS = 24;
  TDBTSLScene(TAlpha32SAI* tAL, TAllObTx* tAOT, TGlobalSAI* tGlb, SceneType id);
  // Draws the two teams the computer will pick; both sides start at team 0.
  void OnInit() override;
  void OnMove() override;
  void OnDraw() override;

  bool OK_f[2] = {false, false};
  int32_t CPUTEAM[2] = {0, 0};

 private:
  // One side's turn; false ends the turns of this step.
  bool SideStep(int i);
  // Watch mode: player 1's B returns to mode select. True when it did.
  bool WatchCancel();
};

// The versus screen: both teams under a caption for the mode, a fanfare, and
// player 1's A to go on.
class TDBVSScene : public TBaseScene {
 public:
  TDBVSScene(TAlpha32SAI* tAL, TAllObTx* tAOT, TGlobalSAI* tGlb, SceneType id);
  // No member placed yet.
  void OnInit() override;
  void OnMove() override;
  void OnDraw() override;
};

struct TDBPSLSceneDt {
  bool OK_f = false;
  int32_t PosNo = 0;
  int32_t CslNo = 0;
  bool OKChar_f[7] = {};
};

class MatchObjects;

// Player and position select: each side puts its seven members on the seven
// court positions in order. A human side places the member under its cursor;
// a computer side follows a small random pattern. When both sides are done
// the match is prepared and the match scene follows.
class TDBPSLScene : public TBaseScene {
 public:
  // Court diagram place of each position, side 0; side 1 is mirrored.
  static constexpr int POSXY[7][2] = {{192, 40}, {184, 56}, {224, 40}, {224, 56},
                                      {288, 28}, {296, 68}, {344, 48}};
  static int GetPOSX(int side, int pos);

  TDBPSLScene(TAlpha32SAI* tAL, TAllObTx* tAOT, TGlobalSAI* tGlb, SceneType id);
  ~TDBPSLScene() override;
  // Clears both sides' placing and draws the computer sides' patterns.
  void OnInit() override;
  void OnMove() override;
  void OnDraw() override;

  // Cursor one member back or forward, skipping placed members while the
  // side is not complete.
  void MoveCL(int side);
  void MoveCR(int side);
  // Places the member under the cursor on the next position.
  void PosSet(int side);
  // Takes back the last placement.
  void PosUndo(int side);

  // Replaces the match objects the scene sets up (tests); null returns to
  // the data hub's.
  void SetObjects(MatchObjects* obj);

  TDBPSLSceneDt Dt[2];
  int32_t CPUAuto[2] = {0, 0};
  int32_t CPUAuto_c = 0;

 protected:
  // Loads the body and face pictures of the player at (side, pos), member
  // `member` of team `team`.
  virtual void LoadPlayerImage(int side, int pos, int team, int member);

 private:
  bool Human(int side) const;
  void HumanStep(int side);
  void CPUStep(int side);
  void PrepareMatch();
  void DrawSide(int side);

  std::unique_ptr<MatchObjects> HubObj;
  MatchObjects* Obj = nullptr;
};
