// The scene controller TSceneCtrl, in the minimal form the frame loop needs
// until the scenes are built: no scene data, nothing moves or draws, and the
// current scene is the title. Scene jumps are remembered.
#pragma once
#include "shell/FormParts.h"

class TSceneCtrl : public FormScene {
 public:
  void OnMove() override {}
  void OnDraw() override {}
  void OnJump() override {}
  void SceneJump(int tScene) override { NowScene_ = tScene; }
  void SceneOnReset() override {}
  void CfgBtn() override {}
  void DataLoad() override {}
  void OnRestore() override {}
  bool OnSave() override { return false; }
  bool OnLoad() override { return false; }
  int NowScene() const override { return NowScene_; }
  void SetSvSlt(int slot) override { SvSlt = slot; }

  int SvSlt = 0;

 private:
  int NowScene_ = stDBOP;
};
