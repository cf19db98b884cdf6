#include "shell/FormParts.h"

#include "graphics/ALAddLib.h"
#include "input/DILib.h"
#include "platform/Files.h"
#include "shell/DisplayLink.h"
#include "shell/GlbConst.h"
#include "shell/GlbRecord.h"
#include "shell/Main.h"
#include "shell/clsSceneCtrl.h"
#include "sound/OggDataLib.h"

namespace {
// The tuning table, created and loaded at start-up and reachable as GC until
// the form frees it.
class TuningTable : public FormPart {
 public:
  explicit TuningTable(TGlobal* glb) : table_(std::make_unique<TGlbConst>(glb)) { GC = table_.get(); }
  ~TuningTable() override {
    table_.reset();
    GC = nullptr;
  }

 private:
  std::unique_ptr<TGlbConst> table_;
};
}  // namespace

// The game's own objects, each linked into the global status object the way
// the rest of the game finds it.
TForm1Parts DefaultParts() {
  TForm1Parts p;
  p.MakeDisplay = [](TForm1& f) { return std::make_unique<DdddDisplay>(f.Host()); };
  p.MakeTuningTable = [](TForm1& f) {
    return std::unique_ptr<FormPart>(std::make_unique<TuningTable>(f.Glb.get()));
  };
  p.MakeSound = [](TForm1& f) {
    // The sound component and the controller on it; without an audio device
    // the game runs silently.
    auto oc = std::make_unique<GameSound>(f.Glb ? f.Glb->DXINI.DSBufSize : 0, f.Flags().Debug_f);
    if (f.Glb) f.Glb->OC = oc.get();
    return std::unique_ptr<FormSound>(std::move(oc));
  };
  p.MakeRenderer = [](TForm1& f) {
    // Blits unless the display made a 3D device; 10000 entries.
    TDDDD* dev = DisplayDevice(f);
    const bool ddraw = !dev || !dev->D3DDevice();
    return std::unique_ptr<FormRenderer>(std::make_unique<TAlpha32SAI>(
        dev, &f.PC1, ddraw, f.TCol_f, f.Glb.get(), f.MAG, 10000));
  };
  p.MakeTextTexture = [](TForm1& f) {
    // One general-purpose text texture of 256 x 256 ("汎用").
    auto tw = std::make_unique<TAnti_DelX>(dynamic_cast<TAlpha32*>(f.AL.get()), "\x94\xC4\x97p",
                                           0, 0, 0, 0);
    if (f.Glb) f.Glb->TW = tw.get();
    return std::unique_ptr<FormPart>(std::move(tw));
  };
  p.MakeInput = [](TForm1& f) {
    auto adi = std::make_unique<TADISAI>(&f.DDIDEX1, f.Glb.get(), f.FScr_f);
    if (f.Glb) f.Glb->ADI = adi.get();
    return std::unique_ptr<FormInput>(std::move(adi));
  };
  p.MakeFont = [](TForm1& f) {
    auto fd = std::make_unique<TFontDraw>(dynamic_cast<TAlpha32*>(f.AL.get()),
                                          plat::ProgramFolder() + "data\\");
    if (f.Glb) f.Glb->FD = fd.get();
    return std::unique_ptr<FormPart>(std::move(fd));
  };
  p.MakeScene = [](TForm1& f) {
    return std::unique_ptr<FormScene>(std::make_unique<TSceneCtrl>(
        DisplayDevice(f), dynamic_cast<TAlpha32SAI*>(f.AL.get()),
        dynamic_cast<TAnti_DelX*>(f.TW.get()), dynamic_cast<TADISAI*>(f.ADI.get()),
        dynamic_cast<TOggDataCtrl*>(f.OC.get()), f.Glb.get(), &f));
  };
  return p;
}
