#include "shell/DisplayLink.h"

#include "shell/Main.h"
#include "shell/zimraLib.h"

DdddDisplay::DdddDisplay(plat::Host& host) : dev_(host) {
  dev_.SetDebugOption(ddoHaltOnError);
  dev_.InitialScreenWidth = 1024;
  dev_.InitialScreenHeight = 480;
  dev_.InitialBitDepth = 32;
  dev_.BackColor = 0;
  dev_.AutoDisplayModeInitialize = false;
  dev_.setDisableScreenSaver(true);
  dev_.Use3D = false;
  dev_.D3DOptions = TD3DOptions{};
  dev_.VsyncAtWindowed = false;
  dev_.Loaded();
  dev_.OnRestore = [this](TDDDD*) {
    if (OnRestore) OnRestore();
  };
  dev_.OnChangeDisplayMode = [this](TDDDD*) {
    if (OnChangeDisplayMode) OnChangeDisplayMode();
  };
  dev_.OnCleanUp = [this](TDDDD*) {
    if (OnCleanUp) OnCleanUp();
  };
  // The start-up's trace lines join the display's log (written only when its
  // messages are switched on).
  SetGameLog([](const std::string& s) { DDDD_Msg(s); });
}

DdddDisplay::~DdddDisplay() { SetGameLog(nullptr); }

void DdddDisplay::SetDebugMessages(bool on) {
  dev_.SetDebugOption(on ? (ddoHaltOnError | ddoDebugMessage) : ddoHaltOnError);
}

void DdddDisplay::RunCreate(const std::function<void()>& formCreate,
                            const std::function<void()>& onInit) {
  dev_.OnInit = [onInit](bool) { onInit(); };
  dev_.DoInit(formCreate);
}

TDDDD* DisplayDevice(TForm1& form) {
  auto* d = dynamic_cast<DdddDisplay*>(form.DDDD1.get());
  return d ? &d->Device() : nullptr;
}
