#include "config/CfgProgram.h"

#include "platform/Files.h"

namespace tumbotcfg {

int RunConfigProgram(plat::InstanceRegistry& atoms, plat::TkApplication& app,
                     plat::InputDevices* devices, bool eng) {
  // The single-instance name is the program's file name.
  const std::string name = plat::ProgramFileName();
  if (atoms.FindAtom(name)) return 0;
  if (!atoms.AddAtom(name)) return 0;
  app.SetTitle(kApplicationTitle);
  int code = 0;
  {
    TForm1 form(app, devices, eng);
    form.FormCreate();
    if (!app.Run(form.Form())) code = 1;
  }
  atoms.DeleteAtom();
  return code;
}

}  // namespace tumbotcfg
