// The game's one window, TForm1: it creates every long-lived object of the
// game in a fixed order, runs the game as a frame loop on the application's
// idle event (MainLoop), pauses the match, writes the caption, turns a
// recorded failure into an error box and an orderly stop, and handles the
// keys that act on the whole program.
//
// Time is read only through the current clock (platform/Clock.h) and the
// toolkit only through the host, so the loop runs on a fake clock in tests.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "files/ProcCounter.h"
#include "input/Ddidex.h"
#include "platform/Host.h"
#include "shell/BuildFlags.h"
#include "shell/FormParts.h"
#include "shell/GlbRecord.h"

enum PauseType : int { ptNone = 0, ptPause = 1, ptSbS = 2 };

constexpr uint32_t DEFFPS = 16;  // base frame period in ms
constexpr int32_t MAXGSP = 3;    // authoring speed range -3..3
constexpr int kMaxCatchUp = 64;  // catch-up steps per loop call at most

// The application title, which a second copy of the game looks for.
inline constexpr const char* kAppTitle = "tumbo2.0t";

class TForm1 {
 public:
  // Makes the components: the timers (16 stopwatches) and the display, which
  // takes over the window's paint event.
  TForm1(plat::Host& host, TForm1Parts parts = {}, BuildFlags flags = kBuildFlags);
  // Shutdown: the display side first (DDDD1Destroy), then the sound
  // controller, the tuning table and last the global status object (FormDestroy).
  ~TForm1();
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  // The window's create event as the display runs it: FormCreate, then the
  // display's OnInit (DDDD1Init).
  void Create();

  void FormCreate();
  void DDDD1Init();
  void MainLoop(bool& Done);
  void FormKeyDown(uint16_t& Key, bool Shift);
  void F5Reset(bool Item_f, bool Replay_f, bool GoToOP_f, int tScene);
  void DXINILoad();
  void CaptionMsg();
  void DrawDbgTxt();
  void DDDD1Restore();
  void DDDD1ChangeDisplayMode();
  void DDDD1Destroy();
  void FormDestroy();

  // The form's caption (loading progress, information texts, frame rate).
  void SetCaption(const std::string& sjis) { host_.SetCaption(sjis); }
  plat::Host& Host() { return host_; }
  const BuildFlags& Flags() const { return flags_; }
  // True once the error box was shown: the program then ends with a failure.
  bool ErrorShown() const { return errorShown_; }

  // Components.
  std::unique_ptr<FormDisplay> DDDD1;
  TProcCounter PC1;
  TDDIDEX DDIDEX1;  // the input devices (dead zone 50)

  // Owned objects, in declaration order.
  std::unique_ptr<FormRenderer> AL;
  std::unique_ptr<FormPart> TW;
  std::unique_ptr<FormInput> ADI;
  std::unique_ptr<FormSound> OC;
  std::unique_ptr<FormScene> SC;
  std::unique_ptr<FormPart> FD;
  std::unique_ptr<TGlobalSAI> Glb;
  std::unique_ptr<FormPart> GC;  // the tuning table

  // The form's canvas (debug text lines are drawn over the frame with it):
  // brush colour and font size in points.
  uint32_t CanvasBrushColor = 0;
  int FontSize = 12;
  int ClientWidth = 1024, ClientHeight = 480;

  // Timing, in milliseconds of the clock; all differences are unsigned.
  uint32_t st = 0, et = 0, ov = 0;
  uint32_t st1000 = 0, et1000 = 0;
  int32_t FPS_c = 0;
  int32_t Skip_c = 0;

  // Loop state.
  PauseType Pause = ptNone;
  uint32_t FPSWaitB = DEFFPS;
  int32_t GameSpeed = 0;
  int32_t FPSDIV = 1;
  int32_t FPS30_c = 0;
  uint16_t MAG = 2;
  bool DebugTxt_f = true;
  bool TCol_f = false;
  bool FScr_f = false;
  bool F5_f = false;
  std::string FileVer;

 private:
  void InstallLoop();
  void ReportHalt();
  void LeavePause();
  void RunLoopCall();
  void DebugKey(uint16_t key, bool shift);
  void SpeedChanged();
  void SaveState();
  void LoadState();
  std::string SlotText() const;

  plat::Host& host_;
  TForm1Parts parts_;
  BuildFlags flags_;
  bool errorShown_ = false;
  bool displayDestroyed_ = false;
  bool formDestroyed_ = false;
  int slot_ = 0;
};
