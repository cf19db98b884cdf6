#include "shell/Program.h"

#include <cstdio>

#include "config/CfgIni.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/SdlHost.h"
#include "platform/SdlInput.h"
#include "shell/Main.h"

int RunGameProgram(plat::Host& host, plat::InstanceRegistry& atoms, TForm1Parts parts,
                   BuildFlags flags) {
  // 1. The settings file beside the executable; one of the wrong size counts
  // as missing.
  std::string cfgPath = plat::ProgramFolder() + std::string(kCfgIniPath);
  TCFGINI cfg;
  std::string problem;
  if (!LoadCfgIni(cfgPath, cfg, &problem)) {
    plat::ReportFileProblem(cfgPath, problem);
    if (flags.Eng_f)
      plat::MessageBox("Please start up tumbotcfg first. And, please set it.");
    else  // "tumbotcfgを起動し、設定をおこなってください"
      plat::MessageBox("tumbotcfg\x82\xF0\x8BN\x93\xAE\x82\xB5\x81\x41\x90\xDD\x92\xE8\x82\xF0\x82"
                       "\xA8\x82\xB1\x82\xC8\x82\xC1\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2");
    return 1;
  }

  // 2. One copy per program file name: a running copy with its window comes
  // to the front instead; one still without a window does not stop us.
  std::string name = plat::ProgramFileName();
  if (atoms.FindAtom(name)) {
    if (atoms.RestoreRunningWindow()) return 0;
  } else if (!atoms.AddAtom(name)) {
    std::fprintf(stderr, "qorv: cannot register the running copy (%s)\n", plat::ShowControls(name).c_str());
    return 1;
  }

  // 3. The application and its main form.
  plat::SetMessageBoxTitle(kAppTitle);
  atoms.OpenWindowChannel();
  host.OnPump = [&host, &atoms] {
    if (atoms.TakeRestoreRequest()) host.RestoreAndRaise();
  };
  int code = 0;
  {
    TForm1 form(host, std::move(parts), flags);
    form.Create();
    host.Run();
    code = form.ErrorShown() ? 1 : 0;
  }
  host.OnPump = nullptr;

  // 4. Give the name back.
  atoms.DeleteAtom();
  return code;
}

int RunGameOnSdl(TForm1Parts parts, BuildFlags flags) {
  // Paths against the current folder and beside the executable then agree.
  plat::ChangeToProgramFolder();
  plat::SocketInstanceRegistry atoms;
  plat::SdlHost host;
  plat::SdlInputDevices devices;  // the keyboard and pads the game reads
  plat::SetInputDevices(&devices);
  int code = RunGameProgram(host, atoms, std::move(parts), flags);
  plat::SetInputDevices(nullptr);
  return code;
}
