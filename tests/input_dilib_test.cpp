// The per-player input layer and the aggregate, step by step over scripted
// devices: edges, the direction re-push, history checks, double taps, the
// command buffer, recording and playback, device choice and key maps.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "config/CfgIni.h"
#include "input/DILib.h"
#include "platform/InputDevices.h"
#include "shell/GlbRecord.h"
#include "shell/clsSceneCtrl.h"

namespace {

constexpr uint8_t kUp = 0xC8, kDown = 0xD0, kLeft = 0xCB, kRight = 0xCD;
constexpr uint8_t kZ = 0x2C, kX = 0x2D, kEnter = 0x1C, kC = 0x2E;

class InputLayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dev.Initialize();
    slot.SettingKB(kUp, kDown, kLeft, kRight, kZ, kX, kEnter, kC, 0, 0, 0, 0);
  }
  // One step with exactly these keys held.
  void Step(std::initializer_list<uint8_t> held, bool rec = true) {
    in.ReleaseAll();
    for (uint8_t k : held) in.SetKey(k, true);
    slot.Scan(rec);
  }
  plat::ScriptedInputDevices in;
  TDDIDEX dev{&in};
  TDISAI slot{&dev, 0, 8};
};

TEST_F(InputLayerTest, ButtonEdgesAndHistory) {
  Step({});
  Step({kZ});
  EXPECT_TRUE(slot.CheckBtn(bA, 0));
  EXPECT_TRUE(slot.CheckBtn2(bA, 0));
  EXPECT_EQ(slot.Key2, BITBTN[bA]);
  Step({kZ});
  EXPECT_FALSE(slot.CheckBtn(bA, 0));
  EXPECT_TRUE(slot.CheckBtn(bA, 1));
  EXPECT_TRUE(slot.CheckBtn2(bA, 0));
  EXPECT_FALSE(slot.CheckBtn(bA, 64));
  EXPECT_FALSE(slot.CheckBtn2(bA, -1));
  Step({});
  EXPECT_EQ(slot.Key3, BITBTN[bA]);
  EXPECT_FALSE(slot.CheckBtn2(bA, 0));
  EXPECT_TRUE(slot.CheckBtn2(bA, 1));
  // The history slides after 64 further steps and still answers 63 back.
  for (int i = 0; i < 61; ++i) Step({});
  EXPECT_TRUE(slot.CheckBtn2(bA, 63));  // the first held step
  EXPECT_TRUE(slot.CheckBtn(bA, 63));
  EXPECT_TRUE(slot.CheckBtn2(bA, 62));
  EXPECT_FALSE(slot.CheckBtn2(bA, 61));
  Step({});
  EXPECT_TRUE(slot.CheckBtn2(bA, 63));  // the second held step
  EXPECT_FALSE(slot.CheckBtn(bA, 63));
  EXPECT_FALSE(slot.CheckBtn2(bA, 62));
  EXPECT_GE(slot.KeyBuf_c, BUFHALF);
  EXPECT_LE(slot.KeyBuf_c, BUFMAX);
  // The keys map to the eight logical buttons in order.
  Step({kX, kEnter, kC});
  EXPECT_EQ(slot.Key2, BITBTN[bB] | BITBTN[bX] | BITBTN[bY]);
}

TEST_F(InputLayerTest, DirectionRepushAndHeldAxes) {
  Step({kRight});
  EXPECT_TRUE(slot.CheckCrs(cR, 0));
  Step({kRight});
  EXPECT_FALSE(slot.CheckCrs(cR, 0));
  EXPECT_TRUE(slot.CheckCrs2X(0));
  EXPECT_FALSE(slot.CheckCrs2Y(0));
  Step({kRight, kUp});
  EXPECT_TRUE(slot.CheckCrs(cU, 0));
  EXPECT_TRUE(slot.CheckCrs(cR, 0));
  EXPECT_TRUE(slot.CheckAnyCrs());
  Step({kRight, kUp});
  EXPECT_FALSE(slot.CheckAnyCrs());
  EXPECT_TRUE(slot.CheckAnyCrs2());
  Step({kRight});  // releasing up re-pushes right
  EXPECT_TRUE(slot.CheckCrs(cR, 0));
  EXPECT_FALSE(slot.CheckCrs(cU, 0));
  // The re-push is only for step 0: the history shows plain edges.
  Step({kRight});
  EXPECT_FALSE(slot.CheckCrs(cR, 1));
  EXPECT_TRUE(slot.CheckCrs2(cR, 1));
  // Up and down together give no vertical direction.
  Step({kUp, kDown});
  EXPECT_FALSE(slot.CheckCrs2Y(0));
  EXPECT_FALSE(slot.CheckCrs2(cU, 0));
}

TEST_F(InputLayerTest, DoubleTap) {
  Step({});
  Step({kLeft});
  Step({});
  Step({kLeft});
  EXPECT_EQ(slot.DHKey, dN);  // found one step later
  Step({kLeft});
  EXPECT_EQ(slot.DHKey, dL);
  // Holding on keeps it while the first press is within the 9 steps examined.
  int kept = 0;
  for (int i = 0; i < 10 && (Step({kLeft}), slot.DHKey == dL); ++i) ++kept;
  EXPECT_EQ(kept, 6);
  // Another direction in between spoils it.
  Step({});
  Step({kRight});
  Step({kUp});
  Step({kRight});
  Step({kRight});
  EXPECT_EQ(slot.DHKey, dN);
  // Too slow: the first tap lies outside the window.
  Step({});
  Step({kDown});
  for (int i = 0; i < 8; ++i) Step({});
  Step({kDown});
  Step({kDown});
  EXPECT_EQ(slot.DHKey, dN);
}

TEST_F(InputLayerTest, CommandBufferKeepsPushesAndStartsOverAfterIdling) {
  EXPECT_EQ(slot.Cmd_c(), 0);
  EXPECT_EQ(slot.CmdBuf[0], 0xFFFF);
  Step({kZ});
  Step({kZ});  // held: idle
  Step({kDown});
  EXPECT_EQ(slot.Cmd_c(), 2);  // the push of A, then down
  EXPECT_EQ(slot.CmdBuf[0], BITBTN[bA]);
  EXPECT_EQ(slot.CmdBuf[1], BITCRS[cD]);
  EXPECT_EQ(slot.CmdBuf[slot.Cmd_c()], 0xFFFF);
  for (int i = 0; i < 70; ++i) Step({kDown});
  EXPECT_EQ(slot.CmdTime, 60);
  Step({kDown, kZ});
  EXPECT_EQ(slot.Cmd_c(), 1);
}

// The 51st push cuts the buffer to its newest 25 entries, pushes 27 to 51.
TEST_F(InputLayerTest, CommandBufferCutKeepsTheNewest25Pushes) {
  const uint8_t buttons[4] = {kZ, kX, kEnter, kC};
  std::vector<uint16_t> pushed;
  for (int i = 0; i < BUFCMD; ++i) {
    std::vector<uint8_t> held;  // one of the 15 button sets, so pushes differ
    for (int b = 0; b < 4; ++b)
      if ((i % 15 + 1) >> b & 1) held.push_back(buttons[b]);
    in.ReleaseAll();
    for (uint8_t k : held) in.SetKey(k, true);
    slot.Scan(true);
    pushed.push_back(slot.Key);
    Step({});
  }
  ASSERT_EQ(slot.Cmd_c(), 25);
  for (int k = 0; k < 25; ++k) EXPECT_EQ(slot.CmdBuf[size_t(k)], pushed[size_t(26 + k)]) << k;
  for (int k = 25; k <= BUFCMD; ++k) EXPECT_EQ(slot.CmdBuf[size_t(k)], 0xFFFF) << k;
}

TEST_F(InputLayerTest, RecordingAndPlayback) {
  Step({kZ, kRight});
  Step({kLeft}, false);  // not recorded
  Step({});
  const std::vector<uint8_t> rec = slot.Recording().Data;
  ASSERT_EQ(rec.size(), 4u);
  EXPECT_EQ(rec[0], 0x01);
  EXPECT_EQ(rec[1], 0x80);
  // Played back past its end, a recording reads as nothing held.
  TDISAI other{&dev, 1, 8};
  other.StartPlayback(rec);
  other.Scan(true);
  EXPECT_EQ(other.RpSt, rpsLoad);
  other.Scan(true);
  EXPECT_EQ(other.RpSt, rpsEnd);
  other.Scan(true);
  EXPECT_EQ(other.Key2, 0);
  // A stray byte and reserved bits in a stream read as nothing.
  TDISAI odd{&dev, 1, 8};
  odd.StartPlayback({0xFF, 0x0F, 0x01});
  odd.Scan(true);
  EXPECT_EQ(odd.Key2, 0x00FF);
  odd.Scan(true);
  EXPECT_EQ(odd.Key2, 0);
  EXPECT_EQ(odd.RpSt, rpsEnd);
  // Init(true) starts a new recording and goes live; Init(false) keeps it.
  slot.Init(false);
  EXPECT_EQ(slot.Recording().Data.size(), 4u);
  slot.Init(true);
  EXPECT_TRUE(slot.Recording().Data.empty());
}

// A recording played back gives the same steps as the live play it came
// from: pushed, held and released words, the direction re-push, the double
// tap and the command buffer; the keys held meanwhile are not read.
TEST_F(InputLayerTest, PlaybackRepeatsLivePlayStepByStep) {
  using Look = std::tuple<uint16_t, uint16_t, uint16_t, DHType, int32_t, int32_t,
                          std::vector<uint16_t>>;
  auto look = [](const TDISAI& s) {
    return Look{s.Key, s.Key2, s.Key3, s.DHKey, s.Cmd_c(), s.CmdTime,
                std::vector<uint16_t>(s.CmdBuf.begin(), s.CmdBuf.end())};
  };
  const std::vector<std::vector<uint8_t>> script = {
      {kLeft}, {kLeft}, {kLeft, kUp}, {kLeft, kUp}, {kLeft}, {}, {kLeft}, {kLeft}, {kZ, kLeft}, {}};
  std::vector<Look> live;
  for (const auto& keys : script) {
    in.ReleaseAll();
    for (uint8_t k : keys) in.SetKey(k, true);
    slot.Scan(true);
    live.push_back(look(slot));
  }
  ASSERT_EQ(std::get<0>(live[2]), BITCRS[cL] | BITCRS[cU]);  // left pushed again with up
  ASSERT_EQ(std::get<3>(live[7]), dL);
  TDISAI replay{&dev, 1, 8};
  replay.StartPlayback(slot.Recording().Data);
  in.ReleaseAll();
  in.SetKey(kRight, true);
  for (size_t i = 0; i < script.size(); ++i) {
    replay.Scan(true);
    EXPECT_EQ(look(replay), live[i]) << "step " << i;
  }
  EXPECT_EQ(replay.RpSt, rpsEnd);
}

TEST_F(InputLayerTest, JumpCombinations) {
  Step({kZ});
  Step({kZ, kX});
  EXPECT_TRUE(slot.CheckJump());
  Step({});
  Step({kZ, kX});  // both at once
  EXPECT_TRUE(slot.CheckJump());
  Step({kZ});
  Step({kZ});
  EXPECT_FALSE(slot.CheckJump());
  Step({kC});  // the A+B key, keyboard only
  EXPECT_TRUE(slot.CheckJump());
  slot.PadNo = DI_JOY1;
  EXPECT_FALSE(slot.CheckJump());
}

TEST_F(InputLayerTest, PadSlotUsesItsButtonMapAndStick) {
  uint64_t p = in.Attach("pad");
  dev.Initialize();
  dev.DeadZone = 50;
  slot.SettingDevice(1);
  EXPECT_EQ(slot.PadNo, DI_JOY1);
  slot.SettingBtn(3, 9, 2, 0, 4, 5, 6, 7);
  in.SetButton(p, 9, true);
  in.SetAxis(p, 1, -30000);
  slot.Scan(true);
  EXPECT_EQ(slot.Key2, BITBTN[bB] | BITCRS[cU]);
  // A pad chosen but missing reads as nothing, every step.
  slot.SettingDevice(4);
  EXPECT_EQ(slot.PadNo, 5);
  for (int i = 0; i < 3; ++i) {
    slot.Scan(true);
    EXPECT_EQ(slot.Key2, 0);
  }
  // Out-of-range device numbers leave the device as it was.
  slot.SettingDevice(7);
  slot.SettingDevice(-1);
  EXPECT_EQ(slot.PadNo, 5);
  // A button map entry beyond the 32 buttons never presses.
  slot.SettingDevice(1);
  slot.SettingBtn(40, 9, 2, 0, 4, 5, 6, 7);
  slot.Scan(true);
  EXPECT_EQ(slot.Key2 & BITBTN[bA], 0);
  // Removing the pad mid-game: released, no crash.
  in.Remove(p);
  slot.Scan(true);
  EXPECT_EQ(slot.Key2, 0);
}

TEST(InputAggregate, CreationCountsAndAnySlotButton) {
  plat::ScriptedInputDevices in;
  uint64_t p = in.Attach("pad");
  TDDIDEX dev{&in};
  dev.Initialize();
  TADISAI adi{&dev, nullptr, false};
  EXPECT_EQ(adi.CPUNUM(), 2);
  EXPECT_EQ(adi.SCANNUM, 1);
  adi.SetCPUNUM(7);
  EXPECT_EQ(adi.CPUNUM(), 4);
  EXPECT_EQ(adi.SCANNUM, -1);
  adi.SetCPUNUM(-2);
  EXPECT_EQ(adi.CPUNUM(), 0);
  // One pad: slot 0 reads it from the start, the others the keyboard.
  EXPECT_EQ(adi.DI[0]->PadNo, DI_JOY1);
  EXPECT_EQ(adi.DI[1]->PadNo, DI_KEYB);
  EXPECT_FALSE(adi.DI[2]->Scanned_f);
  EXPECT_TRUE(adi.DI[3]->Scanned_f);
  EXPECT_EQ(adi.DI[0]->DHTIME, 8);
  // Player 2's keyboard push counts for the aggregate like player 1's.
  adi.DI[1]->SettingKB(kUp, kDown, kLeft, kRight, kZ, kX, kEnter, kC, 0, 0, 0, 0);
  in.SetKey(kEnter, true);
  adi.Scan(true);
  EXPECT_TRUE(adi.CheckBtn(bX));
  EXPECT_FALSE(adi.CheckBtn(bA));
  adi.Scan(true);
  EXPECT_FALSE(adi.CheckBtn(bX));  // held, not pushed
  in.SetButton(p, 0, true);
  adi.Scan(false);
  EXPECT_TRUE(adi.CheckBtn(bA));
  EXPECT_EQ(adi.DI[0]->Recording().Data.size(), 4u);  // the unrecorded scan added nothing
  // Slots 2 and 3 are never scanned.
  EXPECT_EQ(adi.DI[2]->KeyBuf_c, BUFHALF);
  // Init clears the key tables and the history.
  adi.Init(false);
  EXPECT_EQ(dev.KeyAssign(0, DI_B1), 0);
  EXPECT_EQ(adi.DI[1]->Key2, 0);
  EXPECT_EQ(adi.DI[0]->Recording().Data.size(), 4u);
}

TEST(InputAggregate, MouseClicksAndWheel) {
  plat::ScriptedInputDevices in;
  TDDIDEX dev{&in};
  dev.Initialize();
  TADISAI adi{&dev, nullptr, false};
  in.Mouse.x = 100;
  in.Mouse.y = 40;
  in.Mouse.dx = 3;
  in.Mouse.dz = 240;
  in.Mouse.buttons[0] = 0x80;
  adi.Scan(true);
  EXPECT_EQ(adi.MSt.X, 100);
  EXPECT_EQ(adi.MSt.dX, 3);
  EXPECT_EQ(adi.MSt.dZ, 2);
  EXPECT_TRUE(adi.MSt.ClL);
  EXPECT_TRUE(adi.MSt.ClL2);
  adi.Scan(true);
  EXPECT_FALSE(adi.MSt.ClL);
  EXPECT_TRUE(adi.MSt.ClL2);
  EXPECT_EQ(adi.MSt.dX, 0);
}

// The settings the first-run tool writes drive the game's keys as they are:
// arrows, Z/X for A/B, Enter for St, C for the jump.
TEST(InputAggregate, DefaultSettingsGiveArrowKeysAndZX) {
  plat::ScriptedInputDevices in;
  TDDIDEX dev{&in};
  dev.Initialize();
  TADISAI adi{&dev, nullptr, false};
  const TCFGINI cfg = CfgIniDefaults();
  ASSERT_TRUE(cfg.Auto_f);
  // As the scene controller applies them with no pad attached.
  adi.Init(false);
  for (int i = 0; i < 2; ++i) {
    TDISAI& di = *adi.DI[i];
    EXPECT_EQ(di.SettingAutoDevice(i), 0);
    const auto& k = cfg.KBBtn;
    di.SettingKB(k[0], k[1], k[2], k[3], k[4], k[5], k[6], k[7], k[8], k[9], k[10], k[11]);
  }
  const struct {
    uint8_t key;
    int crs, btn;  // -1: not that kind
  } rows[] = {{kUp, cU, -1},  {kDown, cD, -1}, {kLeft, cL, -1}, {kRight, cR, -1},
              {kZ, -1, bA},   {kX, -1, bB},    {kEnter, -1, bX}, {kC, -1, bY}};
  for (const auto& r : rows) {
    SCOPED_TRACE(int(r.key));
    in.ReleaseAll();
    adi.Scan(true);
    in.SetKey(r.key, true);
    adi.Scan(true);
    for (int i = 0; i < 2; ++i)
      EXPECT_TRUE(r.crs >= 0 ? adi.DI[i]->CheckCrs(CrsType(r.crs), 0)
                             : adi.DI[i]->CheckBtn(BtnType(r.btn), 0))
          << i;
  }
}

// Without a component of its own the aggregate reads the current devices.
TEST(InputAggregate, OwnComponentReadsCurrentDevices) {
  plat::ScriptedInputDevices in;
  plat::SetInputDevices(&in);
  {
    TADISAI adi;
    adi.DI[0]->SettingKB(kUp, kDown, kLeft, kRight, kZ, kX, kEnter, kC, 0, 0, 0, 0);
    in.SetKey(kX, true);
    adi.Scan(true);
    EXPECT_TRUE(adi.CheckBtn(bB));
  }
  plat::SetInputDevices(nullptr);
}

}  // namespace
