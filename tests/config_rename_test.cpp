// The one-time move of the old data and team folders to "data" and "TEAMDATA".
#include "config/FolderRename.h"
#include "config_kit.h"
#include "platform/SjisText.h"

namespace {

namespace fs = std::filesystem;

const std::string kOldData = plat::SjisToUtf8(
    "\x82\xB5\x82\xB7\x82\xC4\x82\xDE\x82\xD3\x82\x9F\x82\xA2\x82\xE9");        // しすてむふぁいる
const std::string kOldTeams = plat::SjisToUtf8("\x82\xBF\x81[\x82\xDE\x82\xC5\x81[\x82\xBD");  // ちーむでーた
const std::string kOldTeam = plat::SjisToUtf8("\x82\xBF\x81[\x82\xDE");                      // ちーむ
const std::string kDone =  // リネーム致しました。ホントお手数かけます。
    "\x83\x8A\x83l\x81[\x83\x80\x92v\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81" "B\x83z\x83\x93\x83g"
    "\x82\xA8\x8E\xE8\x90\x94\x82\xA9\x82\xAF\x82\xDC\x82\xB7\x81" "B";

class FolderRename : public cfgtest::ProgramFolderTest {
 protected:
  tumbotcfg::RenameOutcome Run() { return tumbotcfg::RenameOldFolders(Dir().string() + "/"); }
  void Make(const fs::path& rel) { fs::create_directories(Dir() / rel); }
  bool Has(const fs::path& rel) { return fs::is_directory(Dir() / rel); }
};

TEST_F(FolderRename, OldTreeMovesToTheNewNames) {
  Make(fs::path(kOldData) / "bmp");
  for (const char* n : {"00", "05", "23"}) Make(fs::path(kOldTeams) / (kOldTeam + n));
  Make(fs::path(kOldTeams) / (kOldTeam + "24"));  // only 00..23 are team folders
  auto out = Run();
  EXPECT_TRUE(out.ran);
  EXPECT_EQ(out.failed, 0);
  EXPECT_EQ(out.renamed, 5);
  EXPECT_TRUE(Has("data/bmp"));
  EXPECT_FALSE(Has(kOldData));
  EXPECT_TRUE(Has("TEAMDATA/team00"));
  EXPECT_TRUE(Has("TEAMDATA/team05"));
  EXPECT_TRUE(Has("TEAMDATA/team23"));
  EXPECT_TRUE(Has(fs::path("TEAMDATA") / (kOldTeam + "24")));
  ASSERT_EQ(messages.size(), 2u);  // the notice, then the thanks
  EXPECT_EQ(messages[1], kDone);
}

TEST_F(FolderRename, NothingMovesOnceDataExists) {
  Make("data");
  Make(kOldData);
  Make(fs::path(kOldTeams) / (kOldTeam + "01"));
  auto out = Run();
  EXPECT_FALSE(out.ran);
  EXPECT_TRUE(Has(kOldData));
  EXPECT_TRUE(Has(fs::path(kOldTeams) / (kOldTeam + "01")));
  EXPECT_FALSE(Has("TEAMDATA"));
  EXPECT_TRUE(messages.empty());
}

TEST_F(FolderRename, NothingMovesWithoutTheOldDataFolder) {
  Make(kOldTeams);
  EXPECT_FALSE(Run().ran);
  EXPECT_TRUE(Has(kOldTeams));
  EXPECT_TRUE(messages.empty());
}

TEST_F(FolderRename, ExistingTeamFolderKeepsTheOldOneAside) {
  Make(kOldData);
  Make("teamdata/team03");  // the team folder is found whatever its case
  Make(fs::path(kOldTeams) / (kOldTeam + "03"));
  auto out = Run();
  EXPECT_EQ(out.renamed, 1);
  EXPECT_TRUE(Has("data"));
  EXPECT_TRUE(Has(fs::path(kOldTeams) / (kOldTeam + "03")));
  EXPECT_EQ(messages.back(), kDone);
}

TEST_F(FolderRename, AFailedRenameIsReportedAndNoThanksFollow) {
  Make(kOldData);
  Make(fs::path(kOldTeams) / (kOldTeam + "07"));
  Make(fs::path(kOldTeams) / "team07");  // the new name is taken: nothing is replaced
  Make(fs::path(kOldTeams) / (kOldTeam + "08"));
  testing::internal::CaptureStderr();
  auto out = Run();
  EXPECT_NE(testing::internal::GetCapturedStderr().find("team07: the new name is taken by a folder"),
            std::string::npos);
  EXPECT_EQ(out.failed, 1);
  EXPECT_TRUE(Has("TEAMDATA/team08"));
  EXPECT_TRUE(Has(fs::path("TEAMDATA") / (kOldTeam + "07")));
  ASSERT_EQ(messages.size(), 2u);  // the notice and the one failure
  const std::string& m = messages[1];
  std::string from = plat::Utf8ToSjis((Dir() / "TEAMDATA" / (kOldTeam + "07")).string());
  EXPECT_EQ(m.rfind(from, 0), 0u) << plat::SjisToUtf8(m);
  EXPECT_NE(m.find(" \x81\xA8 "), std::string::npos);  // →
  EXPECT_NE(m.find("team07 \x82\xCC\x83\x8A\x83l\x81[\x83\x80"), std::string::npos);  // のリネーム
  EXPECT_NE(messages.back(), kDone);
}

}  // namespace
