// What the main form asks of the objects it owns: the display component, the
// renderer, the sound controller, the input aggregate and the scene controller
// (plus the tuning table, the text texture and the bitmap font, which it only
// creates and frees). The form reaches them only through these interfaces and
// makes them through factories, so the frame loop runs with counting doubles
// in tests, and each real class plugs in by deriving from its interface.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "input/InputWord.h"    // BtnType: the logical buttons
#include "match/recordUnit.h"  // SceneType: stDB the match, stDBOP the title

class TForm1;
class TProcCounter;

// Something the form owns and only frees.
class FormPart {
 public:
  virtual ~FormPart() = default;
};

// The display component: modes, present, cursor, log.
class FormDisplay {
 public:
  virtual ~FormDisplay() = default;
  virtual void SetTimer(TProcCounter* pc) = 0;          // stopwatch 0 times the present
  virtual void SetUse3D(bool on) = 0;
  virtual void SetSystemMemorySurfaces(bool on) = 0;
  virtual void SetDebugMessages(bool on) { (void)on; }
  virtual void WindowMode(int width, int height) = 0;
  virtual void FullScreenMode2(int mag, bool trueCol, bool delMCursor) = 0;
  virtual void Flip() = 0;
  virtual void MouseCursorSwitch() = 0;
  // The window's create event: the display makes its first mode, runs the
  // form's create handler, then its own OnInit (the form's second stage).
  virtual void RunCreate(const std::function<void()>& formCreate,
                         const std::function<void()>& onInit) {
    formCreate();
    onInit();
  }

  // Events the form answers: restore and mode change reload textures.
  std::function<void()> OnRestore;
  std::function<void()> OnChangeDisplayMode;
  std::function<void()> OnCleanUp;
};

// The renderer: draws the queued sprites, and may have a caption alert.
class FormRenderer {
 public:
  virtual ~FormRenderer() = default;
  virtual void Rendering() = 0;
  virtual std::string AlertMsg() const = 0;
  virtual void SetTexelFix(float fix) = 0;              // POINTTEXELFIX
  virtual void SetAspect(float aspect, bool on) = 0;
  virtual void SetAspectCentre(float x, float y) { (void)x; (void)y; }
  virtual void SetDebugMessages(bool on) { (void)on; }
};

// The sound controller, as far as pause, reset and the pause sound need it.
class FormSound {
 public:
  virtual ~FormSound() = default;
  virtual void SEPlay(int n) = 0;
  virtual void HalfVol() = 0;
  virtual void NomalVol() = 0;
  virtual void BGMStop() = 0;
  virtual void JglStop(int n) = 0;   // -1: every jingle
  virtual void SEStop(int n) = 0;    // -1: every sound effect
  virtual void SetDebugMessages(bool on) { (void)on; }
};

// The input aggregate.
class FormInput {
 public:
  virtual ~FormInput() = default;
  virtual void Scan(bool WrtBuf_f) = 0;
  virtual bool CheckBtn(BtnType btn) const = 0;  // newly pushed on any slot
  virtual void Init(bool msc_f) = 0;
  virtual void SetCPUNUM(int n) = 0;
  virtual int CPUNUM() const = 0;
  virtual void SetSlotNo(int n) = 0;
  virtual void SetDebugMessages(bool on) { (void)on; }
};

// The scene controller.
class FormScene {
 public:
  virtual ~FormScene() = default;
  virtual void OnMove() = 0;
  virtual void OnDraw() = 0;
  virtual void OnJump() = 0;
  virtual void SceneJump(int tScene) = 0;
  virtual void SceneOnReset() = 0;
  virtual void CfgBtn() = 0;
  virtual void DataLoad() = 0;
  virtual void OnRestore() = 0;
  virtual bool OnSave() = 0;
  virtual bool OnLoad() = 0;
  virtual int NowScene() const = 0;
  virtual void SetSvSlt(int slot) = 0;
};

// A scene controller that does nothing and stays on the title, for programs
// that run the form without the game's scenes (benchmarks, demos). Override
// what the program needs.
class IdleScene : public FormScene {
 public:
  void OnMove() override {}
  void OnDraw() override {}
  void OnJump() override {}
  void SceneJump(int) override {}
  void SceneOnReset() override {}
  void CfgBtn() override {}
  void DataLoad() override {}
  void OnRestore() override {}
  bool OnSave() override { return false; }
  bool OnLoad() override { return false; }
  int NowScene() const override { return stDBOP; }
  void SetSvSlt(int) override {}
};

// How the form makes each object. An empty factory takes the game's own
// (DefaultParts). Factories run in the start-up order and may link what they
// make into the form's global status object.
struct TForm1Parts {
  std::function<std::unique_ptr<FormDisplay>(TForm1&)> MakeDisplay;
  std::function<std::unique_ptr<FormPart>(TForm1&)> MakeTuningTable;
  std::function<std::unique_ptr<FormSound>(TForm1&)> MakeSound;
  std::function<std::unique_ptr<FormRenderer>(TForm1&)> MakeRenderer;
  std::function<std::unique_ptr<FormPart>(TForm1&)> MakeTextTexture;
  std::function<std::unique_ptr<FormInput>(TForm1&)> MakeInput;
  std::function<std::unique_ptr<FormPart>(TForm1&)> MakeFont;
  std::function<std::unique_ptr<FormScene>(TForm1&)> MakeScene;
};

// The game's own objects.
TForm1Parts DefaultParts();
