#include <gtest/gtest.h>

#include "platform/Clock.h"
#include "platform/Files.h"

#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

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

// A save replaces the whole file or nothing. Each step of it fails in turn (a
// full disk, a refused sync or rename) and is killed in turn (a child process
// that dies there): the old file stays byte for byte until the rename, the new
// one is whole after it, and a failed save leaves no temporary file behind.
TEST_F(FilesTest, SaveFailedOrKilledAtAnyStepLeavesAWholeFile) {
  using plat::WriteStep;
  std::filesystem::create_directories(dir_ / "save");
  const std::string path = P("save/dbcfg.sai");
  const std::string oldBytes(108, 'o'), newBytes(108, 'n');
  auto contents = [&] {
    std::ifstream in(dir_ / "save" / "dbcfg.sai", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  auto entries = [&] {
    return std::distance(std::filesystem::directory_iterator(dir_ / "save"), {});
  };
  for (WriteStep step : {WriteStep::Create, WriteStep::Write, WriteStep::Flush, WriteStep::Sync,
                         WriteStep::Close, WriteStep::Rename, WriteStep::SyncFolder}) {
    SCOPED_TRACE(int(step));
    const std::string after = step == WriteStep::SyncFolder ? newBytes : oldBytes;
    ASSERT_TRUE(plat::WriteFile(path, oldBytes.data(), oldBytes.size()));
    const auto before = entries();  // a killed save below leaves its temporary file
    plat::SetWriteStepHook([step](WriteStep s) { return s != step; });
    std::string why;
    WriteStep failed = WriteStep::Create;
    EXPECT_FALSE(plat::WriteFile(path, newBytes.data(), newBytes.size(), &why, &failed));
    plat::SetWriteStepHook(nullptr);
    EXPECT_FALSE(why.empty());
    EXPECT_EQ(failed, step);
    EXPECT_EQ(contents(), after);
    EXPECT_EQ(entries(), before);

    ASSERT_TRUE(plat::WriteFile(path, oldBytes.data(), oldBytes.size()));
    EXPECT_EXIT(
        {
          plat::SetWriteStepHook([step](WriteStep s) {
            if (s == step) std::_Exit(0);
            return true;
          });
          plat::WriteFile(path, newBytes.data(), newBytes.size());
          std::_Exit(1);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(contents(), after);
  }
  // The next save removes what killed saves left; a live writer's file stays.
  std::ofstream(dir_ / "save" / ".dbcfg.sai.1.0.tmp") << "pid 1 is alive";
  ASSERT_TRUE(plat::WriteFile(path, oldBytes.data(), oldBytes.size()));
  EXPECT_EQ(entries(), 2);

  // Past a file-size limit the save fails as a write error and the old file stays.
  EXPECT_EXIT(
      {
        rlimit small;
        small.rlim_cur = small.rlim_max = 50;
        ::setrlimit(RLIMIT_FSIZE, &small);
        std::string why;
        const bool ok = plat::WriteFile(path, newBytes.data(), newBytes.size(), &why);
        std::_Exit(!ok && why.find("File too large") != std::string::npos ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(contents(), oldBytes);
}

}  // namespace
