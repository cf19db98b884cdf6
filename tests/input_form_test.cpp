// The form's input wiring: the input component the form carries reads the
// installed devices from start-up on, and the game's own input aggregate
// drives the pause through it, from a pad or the keyboard, also when the pad
// is pulled out while paused.
#include <gtest/gtest.h>

#include "input/DILib.h"
#include "platform/InputDevices.h"
#include "shell/Main.h"
#include "tests/FormTestKit.h"

namespace {

// The counting scene, but each step scans the form's real input aggregate
// first, as the scene controller does.
class ScanningScene : public formkit::CountingScene {
 public:
  ScanningScene(formkit::Counts& c, TForm1& f) : CountingScene(c), f_(f) {}
  void OnMove() override {
    f_.ADI->Scan(true);
    CountingScene::OnMove();
  }

 private:
  TForm1& f_;
};

class InputForm : public formkit::FormFixture {
 protected:
  void SetUp() override {
    FormFixture::SetUp();
    pad = devices.Attach("pad");
    plat::SetInputDevices(&devices);
  }
  void TearDown() override {
    FormFixture::TearDown();
    plat::SetInputDevices(nullptr);
  }
  TADISAI& Begin() {
    WriteSettings();
    TForm1Parts p = formkit::CountingParts(c);
    p.MakeInput = DefaultParts().MakeInput;
    p.MakeScene = [this](TForm1& f) { return std::make_unique<ScanningScene>(c, f); };
    form = std::make_unique<TForm1>(host, p, BuildFlags{true, false});
    form->Create();
    auto* adi = dynamic_cast<TADISAI*>(form->ADI.get());
    EXPECT_NE(adi, nullptr);
    return *adi;
  }
  plat::ScriptedInputDevices devices;
  uint64_t pad = 0;
};

TEST_F(InputForm, PadAndKeyboardPauseTheMatchThroughTheFormsComponent) {
  TADISAI& adi = Begin();
  ASSERT_FALSE(form->Glb->Halt_f) << form->Glb->ErrMsg;
  EXPECT_EQ(adi.pDIDEX, &form->DDIDEX1);
  EXPECT_EQ(form->DDIDEX1.DeadZone, 50);
  EXPECT_EQ(form->DDIDEX1.JoyStickCount(), 1);
  EXPECT_EQ(form->Glb->ADI, &adi);
  // The one pad is player 1's; player 2 has the keyboard.
  EXPECT_EQ(adi.DI[0]->PadNo, DI_JOY1);
  EXPECT_EQ(adi.DI[1]->PadNo, DI_KEYB);
  c.scene = stDB;
  Loop();
  devices.SetButton(pad, 2, true);  // St: the third button
  Loop(2);
  EXPECT_EQ(form->Pause, ptPause);
  EXPECT_EQ(c.sePlay13, 1);
  // Paused, the loop still reads the pad; pulled out, it reads released.
  devices.Remove(pad);
  Loop(3);
  EXPECT_EQ(form->Pause, ptPause);
  // Player 2's pause key resumes.
  adi.DI[1]->SettingKB(0xC8, 0xD0, 0xCB, 0xCD, 0x2C, 0x2D, 0x1C, 0x2E, 0, 0, 0, 0);
  devices.SetKey(0x1C, true);
  Loop(2);  // the paused scan sees the push, the next call resumes
  EXPECT_EQ(form->Pause, ptNone);
  EXPECT_EQ(c.nomalVol, 1);
}

}  // namespace
