#include <gtest/gtest.h>

#include "platform/Clock.h"
#include "platform/Files.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

TEST(FakeClock, SleepAndReadsAdvanceTime) {
  plat::FakeClock clock;
  clock.SetMs(100);
  EXPECT_EQ(clock.NowMs(), 100u);
  clock.SleepMs(16);
  EXPECT_EQ(clock.NowMs(), 116u);
  clock.ReadStepMs = 1;
  EXPECT_EQ(clock.NowMs(), 116u);
  EXPECT_EQ(clock.NowMs(), 117u);
  EXPECT_EQ(clock.PerfCounter(), 118000u);
}

TEST(FakeClock, MillisecondsWrapAt32Bits) {
  plat::FakeClock clock;
  clock.SetMs(0xFFFFFFF0u);
  uint32_t st = clock.NowMs();
  clock.AdvanceMs(32);
  EXPECT_EQ(uint32_t(clock.NowMs() - st), 32u);
}

class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("qorv_files_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_ / "Data" / "BMP");
    std::ofstream(dir_ / "Data" / "BMP" / "Font.PNG") << "x";
    std::filesystem::create_directories(dir_ / "teams" / "a.dbch");  // a folder, not a file
    std::ofstream(dir_ / "teams" / "b.DBCH") << "b";
    std::ofstream(dir_ / "teams" / "A2.dbch") << "a";
    std::ofstream(dir_ / "teams" / "c.txt") << "c";
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string P(const char* rel) { return dir_.string() + "/" + rel; }
  std::filesystem::path dir_;
};

TEST_F(FilesTest, BackslashesAndCaseFallback) {
  EXPECT_TRUE(plat::FileExists(P("data\\bmp\\font.png")));
  EXPECT_EQ(plat::ResolvePath(P("data\\bmp\\font.png")), P("Data/BMP/Font.PNG"));
  EXPECT_TRUE(plat::DirectoryExists(P("DATA")));
  EXPECT_FALSE(plat::FileExists(P("data\\bmp")));
  EXPECT_FALSE(plat::FileExists(P("data\\missing.png")));
  // A missing name keeps the caller's spelling so it can be created.
  EXPECT_EQ(plat::ResolvePath(P("data\\new.txt")), P("Data/new.txt"));
}

TEST_F(FilesTest, ListFilesKeepsRegularFilesInNameOrder) {
  auto names = plat::ListFiles(P("teams"), ".dbch");
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(names[0], "A2.dbch");
  EXPECT_EQ(names[1], "b.DBCH");
}

TEST_F(FilesTest, ReadAndWriteRoundTrip) {
  const char text[] = "hello";
  ASSERT_TRUE(plat::WriteFile(P("data\\out.bin"), text, 5));
  auto back = plat::ReadFile(P("DATA\\OUT.BIN"));
  ASSERT_TRUE(back);
  EXPECT_EQ(std::string(back->begin(), back->end()), "hello");
  auto part = plat::ReadFile(P("data\\out.bin"), 3);
  ASSERT_TRUE(part);
  EXPECT_EQ(part->size(), 3u);
  EXPECT_FALSE(plat::ReadFile(P("data\\nothing.bin")));
  EXPECT_FALSE(plat::WriteFile(P("nofolder\\x\\out.bin"), text, 5));
}

}  // namespace
