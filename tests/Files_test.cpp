// Game paths on a case-sensitive file system: components matched ignoring
// case, folders made and renamed, listings, long reads, and what a save
// keeps of the file it replaces and of the saves killed before it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include "platform/Files.h"

namespace fs = std::filesystem;

namespace {

class FilePaths : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("qorv_paths_" + std::to_string(std::random_device{}()));
    fs::create_directories(dir_ / "Data");
    std::ofstream(dir_ / "Data" / "font.png") << "lower";
    std::ofstream(dir_ / "Data" / "FONT.png") << "upper";
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string P(const std::string& rel) const { return dir_.string() + "/" + rel; }
  fs::path dir_;
};

TEST_F(FilePaths, ComponentsMatchIgnoringCaseTheSameWayEverywhere) {
  // Two names that differ only in case: the same one is chosen every time.
  EXPECT_EQ(plat::ResolvePath(P("data/Font.PNG")), P("Data/FONT.png"));
  EXPECT_EQ(plat::ResolvePath(P("DATA//.\\Font.png")), P("Data/./FONT.png")) << "a dot part stays";
  EXPECT_EQ(plat::ResolvePath(P("data/../DATA/x/")), P("Data/../Data/x/"));
  EXPECT_EQ(plat::ResolvePath(P("data/")), P("Data/"));
  EXPECT_EQ(plat::ResolvePath(""), "");
  EXPECT_EQ(plat::ResolvePath("/"), "/");
  {
    const fs::path old = fs::current_path();
    fs::current_path(dir_);
    EXPECT_EQ(plat::ResolvePath("data\\font.PNG"), "Data/FONT.png") << "relative to the current folder";
    EXPECT_EQ(plat::ListFiles("", ".none"), std::vector<std::string>{});
    fs::current_path(dir_ / "Data");
    EXPECT_EQ(plat::ListFiles("", ".PNG").size(), 2u);
    fs::current_path(old);
  }

  // Listings: regular files whose names end in the suffix, in name order
  // ignoring case, a shorter name before a longer one it begins.
  for (const char* n : {"b.dat", "B2.DAT", "a.dat", "a.dat2", "ab.dat", ".dat", "a.dat.dat"})
    std::ofstream(dir_ / n) << n;
  EXPECT_EQ(plat::ListFiles(dir_.string() + "/", ".Dat"),
            (std::vector<std::string>{".dat", "a.dat", "a.dat.dat", "ab.dat", "b.dat", "B2.DAT"}));
  EXPECT_EQ(plat::ListFiles(P("nowhere"), ".dat"), std::vector<std::string>{});
  EXPECT_EQ(plat::ListFiles(P("data"), "a_very_long_suffix.png"), std::vector<std::string>{});

  // Folders: made once, found ignoring case; a rename never replaces.
  EXPECT_TRUE(plat::CreateDir(P("DATA")));
  EXPECT_TRUE(plat::CreateDir(P("data\\Save")));
  EXPECT_TRUE(plat::DirectoryExists(P("data\\save")));
  EXPECT_FALSE(plat::CreateDir(P("none\\deeper")));
  EXPECT_FALSE(plat::DirectoryExists(P("data\\font.png")));
  EXPECT_TRUE(plat::RenamePath(P("data\\save\\"), P("data\\Kept/")));
  EXPECT_TRUE(fs::is_directory(dir_ / "Data" / "Kept"));
  EXPECT_FALSE(plat::RenamePath(P("data\\save"), P("data\\other"))) << "gone already";
  EXPECT_FALSE(plat::RenamePath(P("a.dat"), P("b.dat"))) << "b.dat is there";
  EXPECT_EQ(std::ifstream(dir_ / "b.dat").get(), 'b');
  EXPECT_TRUE(plat::RenamePath(P("a.dat"), P("c.dat")));
  EXPECT_TRUE(plat::FileExists(P("C.DAT")));
}

TEST_F(FilePaths, LongReadsAndSavesKeepWhatTheyReplace) {
  std::vector<uint8_t> big(65536 * 2 + 7);
  for (size_t i = 0; i < big.size(); ++i) big[i] = uint8_t(i * 7);
  ASSERT_TRUE(plat::WriteFile(P("big.bin"), big.data(), big.size()));
  EXPECT_EQ(plat::ReadFile(P("BIG.bin")), big);
  EXPECT_EQ(plat::ReadFile(P("big.bin"), 65537)->size(), 65537u);
  std::string why;
  EXPECT_EQ(plat::ReadFile(P("data"), SIZE_MAX, &why), std::nullopt);
  EXPECT_EQ(why, "is a folder");
  ASSERT_TRUE(plat::WriteFile(P("empty.bin"), nullptr, 0));
  EXPECT_EQ(plat::ReadFile(P("empty.bin")), std::vector<uint8_t>{});

  // A save keeps the permissions of the file it replaces, but its owner may
  // always read and write it, and writes through a symbolic link.
  fs::permissions(dir_ / "big.bin", fs::perms::none);
  ASSERT_TRUE(plat::WriteFile(P("big.bin"), "x", 1));
  EXPECT_EQ(fs::status(dir_ / "big.bin").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink(dir_ / "Data" / "font.png", dir_ / "link.png");
  ASSERT_TRUE(plat::WriteFile(P("link.png"), "new", 3));
  EXPECT_TRUE(fs::is_symlink(dir_ / "link.png"));
  EXPECT_EQ(plat::ReadFile(P("data/font.png")), (std::vector<uint8_t>{'n', 'e', 'w'}));
  // A link to a file not there yet makes it; no save replaces a folder, pipe,
  // device or link, nor writes where a link loops or leads into no folder.
  fs::create_symlink(dir_ / "Data" / "made.bin", dir_ / "ahead.lnk");
  ASSERT_TRUE(plat::WriteFile(P("ahead.lnk"), "m", 1));
  EXPECT_TRUE(fs::is_symlink(dir_ / "ahead.lnk") && fs::file_size(dir_ / "Data" / "made.bin") == 1);
  ASSERT_EQ(::mkfifo(P("fifo").c_str(), 0600), 0);
  // A device node of the test's own (a pipe where it may not make one), never
  // a real device: a slip would replace it.
  if (::mknod(P("dev").c_str(), S_IFCHR | 0600, makedev(1, 3)) != 0)
    ASSERT_EQ(::mkfifo(P("dev").c_str(), 0600), 0);
  fs::create_symlink(dir_ / "dev", dir_ / "dev.lnk");
  fs::create_symlink(dir_ / "loop.lnk", dir_ / "loop.lnk");
  fs::create_symlink(dir_ / "gone" / "x.bin", dir_ / "gone.lnk");
  for (const char* name : {"Data", "fifo", "dev", "dev.lnk", "loop.lnk", "gone.lnk"}) {
    const auto kind = fs::symlink_status(dir_ / name).type();
    EXPECT_FALSE(plat::WriteFile(P(name), "x", 1, &why)) << name;
    EXPECT_TRUE(why.starts_with("create: the name ")) << why;
    EXPECT_EQ(fs::symlink_status(dir_ / name).type(), kind) << name;
  }

  // Temporary files of saves whose process is gone are removed by the next
  // save of that file; files that only look alike stay.
  const std::vector<std::string> stale = {".big.bin.999999999.3.tmp"};
  const std::vector<std::string> kept = {".big.bin.1.0.tmp",         ".big.bin.999999999.tmp",
                                         ".big.bin.9999999999.0.tmp", ".big.bin.99x.0.tmp",
                                         ".big.bin..0.tmp",           ".big.bin.999999999.0.tmpx",
                                         ".other.999999999.0.tmp",    ".big.bin.999999999.0a.tmp"};
  for (const auto& n : stale) std::ofstream(dir_ / n) << n;
  for (const auto& n : kept) std::ofstream(dir_ / n) << n;
  ASSERT_TRUE(plat::WriteFile(P("big.bin"), "y", 1));
  for (const auto& n : stale) EXPECT_FALSE(fs::exists(dir_ / n)) << n;
  for (const auto& n : kept) EXPECT_TRUE(fs::exists(dir_ / n)) << n;

  // Problems name the file as the system spells it, after the program's name.
  testing::internal::CaptureStderr();
  plat::ReportFileProblem(P("data\\FONT.PNG"), "cut off");
  plat::ReportFileProblem(P("a\x1b[2Jb\nc"), "\xc2\x9b");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            plat::ProgramFileName() + ": " + P("Data/FONT.png") + ": cut off\n" +
                plat::ProgramFileName() + ": " + P("a\\x1b[2Jb\\nc") + ": \\xc2\\x9b\n");
  EXPECT_EQ(plat::ProgramFileName(), "qorv_tests");
}

TEST(ProgramFolder, IsTheProgramsOwnUnlessSet) {
  const std::string own = plat::ProgramFolder();
  ASSERT_FALSE(own.empty());
  EXPECT_EQ(own.back(), '/');
  EXPECT_TRUE(fs::exists(own + plat::ProgramFileName()));
  plat::SetProgramFolder("/tmp");
  EXPECT_EQ(plat::ProgramFolder(), "/tmp/");
  plat::SetProgramFolder("/var/");
  EXPECT_EQ(plat::ProgramFolder(), "/var/");
  const fs::path old = fs::current_path();
  EXPECT_TRUE(plat::ChangeToProgramFolder());
  EXPECT_EQ(fs::current_path(), fs::path("/var"));
  plat::SetProgramFolder("/qorv_nowhere");
  EXPECT_FALSE(plat::ChangeToProgramFolder());
  // A backslash in the program folder's own name is part of that name.
  const fs::path odd = fs::temp_directory_path() / ("qorv_bs\\" + std::to_string(std::random_device{}()));
  fs::create_directories(odd / "data");
  plat::SetProgramFolder(odd.string());
  EXPECT_EQ(plat::ResolvePath(plat::ProgramFolder() + "DATA\\x.bin"), odd.string() + "/data/x.bin");
  fs::remove_all(odd);
  plat::SetProgramFolder("");
  EXPECT_EQ(plat::ProgramFolder(), own);
  fs::current_path(old);
}

}  // namespace
