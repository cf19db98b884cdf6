// Scene base classes and the match scene.
//
// Every scene carries its own id, the id of the scene it wants to switch to
// (equal to its own while it stays) and a fade from black. TBaseScene adds the
// counters the menu scenes share and the start of a scene's music. TDBScene is
// the match: it runs the match objects in a fixed order each step, detects the
// end of the match, plays the result and picks the scene that follows.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "match/recordUnit.h"

class TAlpha32SAI;
class TAllObTx;
class TGlobalSAI;
class TOggDataCtrl;

class TGenScene {
 public:
  TGenScene(TAlpha32SAI* tAL, TAllObTx* tAOT, TGlobalSAI* tGlb, SceneType id);
  virtual ~TGenScene() = default;
  TGenScene(const TGenScene&) = delete;
  TGenScene& operator=(const TGenScene&) = delete;

  // Black, fading in at full speed, staying in this scene.
  virtual void OnInit();
  // One fade step; a fully lit scene takes one random draw every step.
  virtual void OnMove();
  // The fade cover (drawn only while not fully lit, and only by a 3D renderer).
  virtual void OnDraw();
  virtual void OnLoad() {}
  virtual void OnReset() {}

  // Level steps: nothing at the end value, else by n and clamped.
  static void IncLight(uint8_t& level, int n);
  static void DecLight(uint8_t& level, int n);
  // Always a fade-in at |n| per step.
  void ChangeLight(int n);

  TAlpha32SAI* AL;
  TAllObTx* AOT;
  TGlobalSAI* Glb;
  uint8_t Light = 0;
  int32_t dL = 0;
  int32_t BLPat = 0;
  SceneType NowScene;
  SceneType NextScene;
  GameModeType GameMode = gmtEtc;

 protected:
  // The sound controller of the game, or null when there is none.
  TOggDataCtrl* OC() const;
  // The match settings chosen by the menus.
  DBGameData& GDt() const;
};

class TBaseScene : public TGenScene {
 public:
  using TGenScene::TGenScene;
  void OnInit() override;
  // Starts music n once per scene entry unless that jingle already plays.
  void SceneBGM(int n);

  int32_t Ani_c = 0;
  bool BGM_f = false;
  bool Next_f = false;
  int32_t Next_c = 0;
};

// Panel layout values of the match's side panels (tuning table, layout section).
struct HPPanelLayout {
  int BASEX = 0, BASEY = 0, DISTX = 0, DISTY = 0, DISTX2 = 0;
  int NAME_BX = 0, NAME_BY = 0, FACE_BX = 0, FACE_BY = 0, HPBAR_BX = 0, HPBAR_BY = 0;
};

// Everything the match scene drives besides the sound: the match objects, the
// camera, the damage numbers and the court, each as the one call the scene
// makes. The game's implementation forwards to the objects the data hub links;
// tests put a recorder here and read the order of a step.
class MatchObjects {
 public:
  virtual ~MatchObjects() = default;
  // Match start.
  virtual void CameraInit() = 0;       // map width 432, Y 0, slow, centred, Y type 0, speed 2
  virtual void BallOnInit() = 0;
  virtual void PlayerOnInit(int side, int pos) = 0;
  virtual void TeamOnInit(int side) = 0;
  virtual void KickOff() = 0;          // first player of side 0 takes the ball; both teams regroup
  virtual void ClearDam() = 0;
  virtual void CameraReset() = 0;
  // One step.
  virtual void TeamOnMove(int side) = 0;
  virtual void BallOnMove() = 0;
  virtual void TeamOnReMove(int side) = 0;
  virtual void TeamOnSetOS(int side) = 0;
  virtual void BallOnSetOS() = 0;
  virtual void BallOnJudge() = 0;
  virtual void FDamMove() = 0;
  virtual bool AllDead(int side) = 0;
  // Drawing.
  virtual void CameraFollowBall() = 0; // camera to the ball's X; renderer offset stays 0
  virtual void CourtDraw(int crtNo) = 0;
  virtual void TeamOnDraw(int side) = 0;
  virtual void BallOnDraw() = 0;
  virtual HPPanelLayout PanelLayout() = 0;
  virtual void PanelFace(int team, int member, int x, int y, bool mirror) = 0;
  virtual void PanelName(const std::string& sjis, int x, int y) = 0;
  virtual void PanelBar(int x, int y, int width) = 0;
  virtual void FDamDraw() = 0;
  // The state save: each object copies its own part to or from the hub's image.
  virtual void TeamOnSave(int side) = 0;
  virtual void TeamOnLoad(int side) = 0;
  virtual void PlayerOnSave(int side, int pos) = 0;
  virtual void PlayerOnLoad(int side, int pos) = 0;
  virtual void BallOnSave() = 0;
  virtual void BallOnLoad() = 0;
};

// The match objects of the data hub, reached through the links the hub holds.
std::unique_ptr<MatchObjects> MakeHubMatchObjects(TAlpha32SAI* AL, TAllObTx* AOT, TGlobalSAI* Glb);

class TDBScene : public TBaseScene {
 public:
  TDBScene(TAlpha32SAI* tAL, TAllObTx* tAOT, TGlobalSAI* tGlb, SceneType id);
  ~TDBScene() override;

  void OnInit() override;
  void OnMove() override;
  void OnDraw() override;
  void OnLoad() override;

  // Steps from the intro to the court's music, and the end-of-match marks.
  static constexpr int JGLWAIT = 220;
  static constexpr int RESULTTIME = 90;
  static constexpr int NEXTTIME = 450;
  static constexpr int STAGENUM = 24;

  int32_t Jgl_c = 0;
  int32_t Winner = -1;
  int32_t Win_c = 0;

  // Replaces the match objects (tests); null returns to the data hub's.
  void SetObjects(MatchObjects* obj);
  MatchObjects& Objects() { return *Obj; }

 private:
  void Intro();
  void StepObjects();
  void CheckEnd();
  void AfterEnd();
  void HPDraw();

  std::unique_ptr<MatchObjects> HubObj;
  MatchObjects* Obj = nullptr;
};
