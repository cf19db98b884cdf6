// The 108-byte settings file as the game and the configuration program see it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <vector>

#include "config/CfgIni.h"

namespace {

std::vector<uint8_t> Bytes(const TCFGINI& c) {
  auto a = CfgIniToBytes(c);
  return {a.begin(), a.end()};
}

TEST(CfgIni, LayoutIsLittleEndianAtTheFixedOffsets) {
  TCFGINI c{};
  c.Device[0] = 1;
  c.Device[1] = 2;
  c.KBBtn[0] = 0xC8;
  c.KBBtn[7] = 0x2E;
  c.JSBtn[0][2] = 2;
  c.JSBtn[1][0] = 5;
  c.Auto_f = 1;
  c.WinSize = 0x0102;
  auto b = Bytes(c);
  ASSERT_EQ(b.size(), 108u);
  EXPECT_EQ(b[0], 1);
  EXPECT_EQ(b[4], 2);
  EXPECT_EQ(b[16], 0xC8);
  EXPECT_EQ(b[30], 0x2E);
  EXPECT_EQ(b[44], 2);
  EXPECT_EQ(b[56], 5);
  EXPECT_EQ(b[104], 1);
  EXPECT_EQ(b[106], 0x02);
  EXPECT_EQ(b[107], 0x01);
  TCFGINI back = CfgIniFromBytes(b.data(), b.size());
  EXPECT_EQ(Bytes(back), b);
}

// The same fresh values serve the configuration program with no file and the
// play script's first file, and they map the keyboard: a fresh file plays.
TEST(CfgIni, DefaultsAreTheConfigurationProgramsStartingValues) {
  TCFGINI c = CfgIniDefaults();
  EXPECT_EQ(c.Device[0], 1);
  EXPECT_EQ(c.Device[1], 2);
  EXPECT_EQ(c.Device[2], 0);
  for (int p = 0; p < 2; ++p) {
    EXPECT_EQ(c.JSBtn[p][0], 0);
    EXPECT_EQ(c.JSBtn[p][1], 1);
    EXPECT_EQ(c.JSBtn[p][2], 2);
    EXPECT_EQ(c.JSBtn[p][3], 0);
  }
  EXPECT_EQ(c.Auto_f, 1);
  EXPECT_EQ(c.WinSize, 0);
  const uint16_t keys[12] = {0xC8, 0xD0, 0xCB, 0xCD, 0x2C, 0x2D, 0x1C, 0x2E, 0, 0, 0, 0};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(c.KBBtn[i], keys[i]) << i;
}

TEST(CfgIni, OutOfRangeValuesReadAsUnset) {
  TCFGINI c{};
  c.Device[0] = 5;
  c.Device[1] = -1;
  c.Device[2] = 4;
  c.Device[3] = INT32_MIN + 1;  // low byte 1, top bit set: negative, not pad 1
  c.KBBtn[0] = 256;
  c.KBBtn[1] = 255;
  c.JSBtn[0][0] = 32;
  c.JSBtn[3][7] = 31;
  c.JSBtn[1][1] = 0xFFFF;
  c.Auto_f = 7;
  c.Pad = 9;
  auto b = Bytes(c);
  EXPECT_EQ(std::vector<uint8_t>(b.begin() + 4, b.begin() + 16),
            (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 4, 0, 0, 0, 1, 0, 0, 0x80}));
  CfgIniCleared cleared;
  TCFGINI r = CfgIniFromBytes(b.data(), b.size(), &cleared);
  EXPECT_EQ(cleared.Names(), "Device[0,1,3], KBBtn[0], JSBtn[0][0], JSBtn[1][1]");
  std::vector<uint8_t> ff(108, 0xFF);
  CfgIniFromBytes(ff.data(), ff.size(), &cleared);
  EXPECT_EQ(CfgIniClearedProblem(cleared),
            "out of range and cleared to 0: Device[0..3], KBBtn[0..11], JSBtn[0..3][0..7]");
  EXPECT_EQ(r.Device[0], 0);
  EXPECT_EQ(r.Device[1], 0);
  EXPECT_EQ(r.Device[2], 4);
  EXPECT_EQ(r.Device[3], 0);
  EXPECT_EQ(r.KBBtn[0], 0);
  EXPECT_EQ(r.KBBtn[1], 255);
  EXPECT_EQ(r.JSBtn[0][0], 0);
  EXPECT_EQ(r.JSBtn[3][7], 31);
  EXPECT_EQ(r.JSBtn[1][1], 0);
  EXPECT_EQ(r.Auto_f, 7) << "any non-zero byte means pads first";
  EXPECT_EQ(r.Pad, 9) << "kept as read";
  EXPECT_EQ(CfgIniFromBytes(nullptr, 0).Device[0], 0);
  r.Device[0] = 2;  // Auto_f 7: pads first, whatever Device says
  EXPECT_EQ(CfgIniPlayer1Problem(r, 0), "");
  r.Auto_f = 0;
  EXPECT_EQ(CfgIniPlayer1Problem(r, 2), "");
  EXPECT_EQ(CfgIniPlayer1Problem(r, 1),
            "player 1 uses game pad 2, which is not connected, so player 1 has no input");
}

TEST(CfgIni, WriteIsAlways108BytesWhateverWasThere) {
  auto dir = std::filesystem::temp_directory_path() / "qorv_cfgini_write";
  std::filesystem::create_directories(dir / "data");
  std::string path = (dir / "data" / "dbcfg.sai").string();
  {
    std::ofstream f(path, std::ios::binary);
    f << std::string(300, 'x');
  }
  TCFGINI c = CfgIniDefaults();
  c.WinSize = 7;
  ASSERT_TRUE(SaveCfgIni(path, c));
  EXPECT_EQ(std::filesystem::file_size(path), 108u);
  TCFGINI r{};
  ASSERT_TRUE(LoadCfgIni(path, r));
  EXPECT_EQ(r.WinSize, 7);
  EXPECT_EQ(r.Device[1], 2);
  std::filesystem::remove_all(dir);
  EXPECT_FALSE(LoadCfgIni(path, r));
  EXPECT_EQ(r.Device[0], 0);
  EXPECT_FALSE(SaveCfgIni(path, c)) << "no data folder";
}

// Each reading says what was wrong with the file; a whole file says nothing,
// even to a caller whose text still holds an earlier problem.
TEST(CfgIni, ProblemsNameWhatIsWrongWithTheFile) {
  auto dir = std::filesystem::temp_directory_path() /
             ("qorv_cfgini_problem_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "dbcfg.sai").string();
  const auto whole = CfgIniToBytes(CfgIniDefaults());
  struct Case {
    int size;  // -1: no file
    const char* game;     // the game's reading refuses every file but a whole one
    const char* editing;  // the configuration program loads what is there
  } cases[] = {
      {-1, "missing", "missing"},
      {0, "wrong size (0 bytes, not 108)", "short (0 bytes, not 108); the rest of the settings read as 0"},
      {107, "wrong size (107 bytes, not 108)",
       "short (107 bytes, not 108); the rest of the settings read as 0"},
      {108, nullptr, ""},
      {109, "wrong size (longer than 108 bytes)",
       "long (more than 108 bytes); the bytes past 108 are left out"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    std::filesystem::remove(path);
    if (c.size >= 0) {
      std::vector<uint8_t> file(whole.begin(), whole.end());
      file.resize(size_t(c.size), 0x33);
      std::ofstream(path, std::ios::binary)
          .write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
    }
    TCFGINI cfg = CfgIniDefaults();
    std::string problem = "stale";
    const bool gameOk = LoadCfgIni(path, cfg, &problem);
    EXPECT_EQ(gameOk, c.size == 108);
    if (!gameOk) {
      EXPECT_EQ(problem, c.game);
    }
    EXPECT_EQ(cfg.Device[1], gameOk ? 2 : 0) << "a refused file leaves the record zero";
    cfg = CfgIniDefaults();
    problem = "stale";
    EXPECT_EQ(LoadCfgIniForEditing(path, cfg, &problem), c.size >= 0);
    EXPECT_EQ(problem, c.editing);
    EXPECT_EQ(cfg.Device[1], c.size >= 8 ? 2 : 0);
    EXPECT_EQ(cfg.Auto_f, c.size >= 105 ? 1 : 0);
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
