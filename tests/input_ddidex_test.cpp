// The input component over scripted devices: key tables, the merged state,
// dead zone, pad enumeration and pads that come and go.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "input/Ddidex.h"
#include "platform/Files.h"
#include "platform/InputDevices.h"

namespace {

constexpr uint8_t kUp = 0xC8, kDown = 0xD0, kLeft = 0xCB, kRight = 0xCD, kZ = 0x2C, kX = 0x2D;

class DdidexTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dev.DeadZone = 50;
    dev.SetDebugOption(dioHaltOnError);
    DDID_SetHaltHandler([this](const std::string& m) { halted = m; });
  }
  void TearDown() override {
    DDID_SetHaltHandler(nullptr);
    dev.SetDebugOption(dioHaltOnError);
  }
  plat::ScriptedInputDevices in;
  TDDIDEX dev{&in};
  std::string halted;
};

TEST_F(DdidexTest, KeyTablesDriveButtonsAndDirections) {
  dev.Initialize();
  dev.setKeyAssign(0, DI_UP, kUp);
  dev.setKeyAssign(0, DI_DOWN, kDown);
  dev.setKeyAssign(0, DI_LEFT, kLeft);
  dev.setKeyAssign(0, DI_RIGHT, kRight);
  dev.setKeyAssign(0, DI_B1, kZ);
  dev.setKeyAssign(1, DI_B1, kX);  // the second table presses the same button
  EXPECT_TRUE(dev.Scan(DI_KEYB));
  EXPECT_FALSE(dev.getButtons(0));
  in.SetKey(kX, true);
  dev.Scan(DI_KEYB);
  EXPECT_TRUE(dev.getButtons(0));
  EXPECT_TRUE(dev.KBBuf(kX));
  EXPECT_FALSE(dev.KBBuf(kZ));
  in.ReleaseAll();
  // Opposite keys cancel; a lone key gives its full direction.
  in.SetKey(kLeft, true);
  in.SetKey(kRight, true);
  in.SetKey(kUp, true);
  dev.Scan(DI_KEYB);
  EXPECT_EQ(dev.getStick().X, 0);
  EXPECT_EQ(dev.getStick().Y, -1);
  in.SetKey(kDown, true);
  dev.Scan(DI_KEYB);
  EXPECT_EQ(dev.getStick().Y, 0);
  // The diagonal entries move both axes.
  in.ReleaseAll();
  dev.setKeyAssign(0, DI_DOWNRIGHT, kZ);
  in.SetKey(kZ, true);
  dev.Scan(DI_KEYB);
  EXPECT_EQ(dev.JoyState().lX, 32767);
  EXPECT_EQ(dev.JoyState().lY, 32767);
  // Entries and codes outside the tables are ignored; ClearKB empties both.
  dev.setKeyAssign(2, 0, kZ);
  dev.setKeyAssign(0, 40, kZ);
  dev.setKeyAssign(0, 5, 300);
  EXPECT_EQ(dev.KeyAssign(0, 5), 0);
  dev.ClearKB();
  dev.Scan(DI_KEYB);
  EXPECT_FALSE(dev.getButtons(0));
  EXPECT_EQ(dev.JoyState().lX, 0);
  EXPECT_FALSE(dev.getButtons(32));
  EXPECT_FALSE(dev.getButtons(-1));
}

TEST_F(DdidexTest, UnreadableOrMissingDevicesReadAsZero) {
  dev.Initialize();
  EXPECT_EQ(dev.JoyStickCount(), 0);
  EXPECT_FALSE(dev.Scan(DI_JOY1));
  EXPECT_FALSE(dev.Scan(DI_JOY16));
  EXPECT_FALSE(dev.Scan(18));
  EXPECT_FALSE(dev.Scan(-1));
  dev.setKeyAssign(0, DI_B1, kZ);
  in.SetKey(kZ, true);
  in.KeyboardReadable = false;
  EXPECT_FALSE(dev.Scan(DI_KEYB));
  EXPECT_FALSE(dev.getButtons(0));
  EXPECT_FALSE(dev.KBBuf(kZ));
}

TEST_F(DdidexTest, DeadZoneFilter) {
  EXPECT_EQ(DeadZoneFilter(16384, 50), 2);
  EXPECT_EQ(DeadZoneFilter(16383, 50), 0);
  EXPECT_EQ(DeadZoneFilter(-16384, 50), 0);
  EXPECT_EQ(DeadZoneFilter(-16385, 50), -2);
  EXPECT_EQ(DeadZoneFilter(32767, 50), 32768);  // stretched to about the full range
  EXPECT_EQ(DeadZoneFilter(-32768, 50), -32768);
  EXPECT_EQ(DeadZoneFilter(-5, 0), -5);
  EXPECT_EQ(DeadZoneFilter(32767, 100), 0);
  // Through a scan: the axes are filtered, the sign is what the layer reads.
  uint64_t p = in.Attach("pad");
  dev.Initialize();
  in.SetAxis(p, 0, 16384);
  in.SetAxis(p, 1, 16383);
  in.SetAxis(p, 6, -32768);
  in.SetButton(p, 31, true);
  EXPECT_TRUE(dev.Scan(DI_JOY1));
  EXPECT_EQ(dev.JoyState().lX, 2);
  EXPECT_EQ(dev.getStick().X, 1);
  EXPECT_EQ(dev.getStick().Y, 0);
  EXPECT_EQ(dev.getStick().Slider[0], -1);
  EXPECT_TRUE(dev.getButtons(31));
  dev.DeadZone = 100;
  dev.Scan(DI_JOY1);
  EXPECT_EQ(dev.getStick().X, 0);
  EXPECT_EQ(dev.getStick().Slider[0], 0);
}

TEST_F(DdidexTest, ForceFeedbackPadsComeFirstAndNoneIsTakenTwice) {
  in.Attach("plain");
  in.Attach("rumble", true);
  in.Attach("plain");
  in.Attach("rumble", true);
  dev.Initialize();
  ASSERT_EQ(dev.JoyStickCount(), 4);
  EXPECT_EQ(dev.JoyStickNames(), (std::vector<std::string>{"rumble", "rumble", "plain", "plain"}));
  EXPECT_TRUE(dev.IsFFJoyStick(DI_JOY1));
  EXPECT_TRUE(dev.IsFFJoyStick(DI_JOY1 + 1));
  EXPECT_FALSE(dev.IsFFJoyStick(DI_JOY1 + 2));
  EXPECT_FALSE(dev.IsFFJoyStick(99));
}

TEST_F(DdidexTest, SixteenPadsAtMost) {
  for (int i = 0; i < 20; ++i) in.Attach("pad" + std::to_string(i));
  dev.Initialize();
  EXPECT_EQ(dev.JoyStickCount(), 16);
  EXPECT_TRUE(dev.Scan(DI_JOY16));
  EXPECT_EQ(dev.JoyStickNames().back(), "pad15");
}

TEST_F(DdidexTest, PadsRemovedAndAttachedWhileRunning) {
  uint64_t a = in.Attach("alpha");
  uint64_t b = in.Attach("beta");
  dev.Initialize();
  in.SetButton(b, 1, true);
  EXPECT_TRUE(dev.Scan(DI_JOY1 + 1));
  EXPECT_TRUE(dev.getButtons(1));
  // Removing the first pad keeps the second in its slot.
  in.Remove(a);
  EXPECT_FALSE(dev.Scan(DI_JOY1));
  EXPECT_FALSE(dev.JoyStickAttached(0));
  EXPECT_TRUE(dev.Scan(DI_JOY1 + 1));
  EXPECT_TRUE(dev.getButtons(1));
  EXPECT_EQ(dev.JoyStickCount(), 2);
  // A new pad takes the free slot; a third one gets a new slot.
  uint64_t c = in.Attach("gamma");
  in.SetButton(c, 4, true);
  EXPECT_TRUE(dev.Scan(DI_JOY1));
  EXPECT_TRUE(dev.getButtons(4));
  EXPECT_EQ(dev.JoyStickNames()[0], "gamma");
  in.Attach("delta");
  EXPECT_TRUE(dev.Scan(DI_JOY1 + 2));
  EXPECT_EQ(dev.JoyStickCount(), 3);
  // A pad plugged back in goes to the slot its name left.
  in.Remove(b);
  in.Remove(c);
  uint64_t b2 = in.Attach("beta");
  in.SetButton(b2, 7, true);
  EXPECT_TRUE(dev.Scan(DI_JOY1 + 1));
  EXPECT_TRUE(dev.getButtons(7));
  EXPECT_FALSE(dev.Scan(DI_JOY1));
  // Initialize starts over with what is attached now.
  dev.Initialize();
  EXPECT_EQ(dev.JoyStickCount(), 2);
}

TEST_F(DdidexTest, FailuresAreLoggedRaisedOrHalted) {
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / ("ddid_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
  fs::create_directories(dir);
  plat::SetProgramFolder(dir.string() + "/");
  in.StartError = 0x80004005;
  DebugCount = 0;
  dev.SetDebugOption(dioHaltOnError);
  dev.Initialize();
  EXPECT_NE(halted.find("(Error Code(80004005))"), std::string::npos);
  EXPECT_FALSE(dev.Scan(DI_KEYB));
  EXPECT_FALSE(fs::exists(dir / "ddid.debug"));
  // With every option the line is logged and the exception comes before the halt.
  halted.clear();
  dev.SetDebugOption(dioHaltOnError | dioDebugMessage | dioExceptOnError);
  EXPECT_THROW(dev.Initialize(), EDDID);
  EXPECT_TRUE(halted.empty());
  EXPECT_THROW(dev.Initialize(), EDDID);
  std::ifstream log(dir / "ddid.debug");
  std::string l1, l2;
  std::getline(log, l1);
  std::getline(log, l2);
  EXPECT_EQ(l1.rfind("debug#00001 ... DirectInput", 0), 0u);
  EXPECT_EQ(l2.rfind("debug#00002 ... ", 0), 0u);
  EXPECT_EQ(TRYDI(0, "x"), 0);
  plat::SetProgramFolder("");
  fs::remove_all(dir);
}

}  // namespace
