// The shared helpers, the global status object and the random sequence.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <filesystem>
#include <fstream>
#include <set>
#include <unistd.h>

#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/SjisText.h"
#include "shell/GameRandom.h"
#include "shell/zimraLib.h"

namespace {

TEST(Counters, DownTo0FromBothSides) {
  int32_t x = 5;
  EXPECT_FALSE(DownTo0(x, 2));
  EXPECT_EQ(x, 3);
  EXPECT_TRUE(DownTo0(x, -4));  // the step's sign does not matter
  EXPECT_EQ(x, 0);
  x = -3;
  EXPECT_TRUE(DownTo0(x, 10));
  EXPECT_EQ(x, 0);
  EXPECT_TRUE(DownTo0(x, 1));
  x = INT32_MIN + 5;
  EXPECT_TRUE(DownTo0(x, INT32_MIN)) << "a huge step stops at 0";
  EXPECT_EQ(x, 0);
}

TEST(Counters, DownToRAndUpToRInEveryDirection) {
  int32_t x = 10;
  EXPECT_FALSE(DownToR(x, 4, 3));
  EXPECT_EQ(x, 7);
  EXPECT_TRUE(DownToR(x, 4, 5));
  EXPECT_EQ(x, 4);
  x = 1;
  EXPECT_TRUE(DownToR(x, 4, -9));  // upward toward R
  EXPECT_EQ(x, 4);
  x = 1;
  EXPECT_FALSE(DownToR(x, 4, 2));  // wrong side: unchanged
  EXPECT_EQ(x, 1);
  x = 4;
  EXPECT_TRUE(DownToR(x, 4, 0));

  x = 0;
  EXPECT_FALSE(UpToR(x, 3, 1));
  EXPECT_EQ(x, 1);
  EXPECT_TRUE(UpToR(x, 3, 5));
  EXPECT_EQ(x, 3);
  x = 9;
  EXPECT_TRUE(UpToR(x, 3, -10));
  EXPECT_EQ(x, 3);
  x = 9;
  EXPECT_FALSE(UpToR(x, 3, 1));
  EXPECT_EQ(x, 9);
  x = INT32_MAX - 1;
  EXPECT_TRUE(UpToR(x, INT32_MAX, INT32_MAX));
  EXPECT_EQ(x, INT32_MAX);

  // The cyclic counter the game builds from it runs 0..R-1.
  int32_t c = 0;
  std::set<int32_t> seen;
  for (int i = 0; i < 20; ++i) {
    if (UpToR(c, 4, 1)) c = 0;
    seen.insert(c);
  }
  EXPECT_EQ(seen, (std::set<int32_t>{0, 1, 2, 3}));
}

TEST(Counters, BetweenPercentageAndNumToStr) {
  EXPECT_EQ(Between(5, 10, 0), 5);
  EXPECT_EQ(Between(-5, 10, 0), 0);
  EXPECT_EQ(Between(50, 10, 0), 10);
  EXPECT_EQ(Percentage(250, 40), 100);
  EXPECT_EQ(Percentage(-7, 50), -3);
  EXPECT_EQ(Percentage(INT32_MAX, 100), INT32_MAX) << "computed wide";
  EXPECT_EQ(NumToStr(7, 3), "007");
  EXPECT_EQ(NumToStr(12345, 3), "345");
  EXPECT_EQ(NumToStr(INT32_MAX, 10), "2147483647");
  EXPECT_EQ(NumToStr(-42, 4), "0042");
  EXPECT_EQ(NumToStr(-42, 11), "-42");
  EXPECT_EQ(NumToStr(5, 0), "");
}

TEST(TextHelpers, SpTimeAndNameCodes) {
  EXPECT_EQ(SpTime(1234567), "( 1.234\x95\x62 )");
  EXPECT_EQ(SpTime(5007), "( 0.5\x95\x62 )");
  // "タロキ" plus an unknown character (the kanji for "big") and a trailing half.
  std::string name = "\x83^\x83\x8D\x83\x4C\x91\xE5" "A";
  DTNameArr dna = StrToDTNameArr(name);
  EXPECT_NE(dna[0], 0);
  EXPECT_NE(dna[2], 0);
  EXPECT_EQ(dna[3], 0) << "not in the table";
  EXPECT_EQ(dna[4], 0);
  std::string back = DTNameArrToStr(dna);
  EXPECT_EQ(back.substr(0, 6), name.substr(0, 6));
  EXPECT_EQ(back.size(), 16u);
  // Every code decodes to one two-byte character, and the first of each
  // character's codes round-trips.
  for (int i = 0; i < 256; ++i) {
    std::string ch = DTMOJICODE[size_t(i)];
    ASSERT_EQ(ch.size(), 2u) << i;
    DTNameArr one = StrToDTNameArr(ch);
    EXPECT_EQ(DTMOJICODE[one[0]], ch);
  }
  EXPECT_EQ(StrToDTNameArr("\x82\x4F")[0], 1) << "full-width 0";
}

TEST(GlobalStatus, InformationTextLives59Calls) {
  TGlobal g(nullptr, BuildFlags{true, false});
  g.SetInf("hello", 60);
  int live = 0;
  while (g.IdleInf()) ++live;
  EXPECT_EQ(live, 59);
  EXPECT_TRUE(g.InfMsg().empty());
  EXPECT_FALSE(g.IdleInf());
}

TEST(GlobalStatus, HaltTextsAndTheLastOneWins) {
  TGlobal g(nullptr);
  const char* want[] = {"File Not Found", "Init Failed", "File Ver Err", "ALib Err", "Err", "Err"};
  for (int n = 0; n < 6; ++n) {
    g.HaltMsgNo(n == 5 ? -1 : n);
    EXPECT_TRUE(g.Halt_f);
    EXPECT_EQ(g.ErrMsg, want[n]);
  }
}

TEST(GlobalStatus, DebugLinesOnlyInTheAuthoringBuild) {
  TGlobal shipped(nullptr, BuildFlags{true, false});
  shipped.SetDbgTxt("a", 1);
  EXPECT_TRUE(shipped.DbgTxtSt[0].empty());
  TGlobal authoring(nullptr, BuildFlags{true, true});
  authoring.SetDbgTxt("a", 1);
  authoring.SetDbgTxt("b", -2);
  authoring.SetDbgTxt("a", 3);
  EXPECT_EQ(authoring.DbgTxt[0], "a = 3");
  EXPECT_EQ(authoring.DbgTxt[1], "b = -2");
  for (int i = 0; i < 30; ++i) authoring.SetDbgTxt("k" + std::to_string(i), i);
  EXPECT_EQ(authoring.DbgTxtSt[20], "k18") << "21 lines, the rest are dropped";
}

TEST(GameRandom, SeededSequenceIsReproducibleAndInRange) {
  SetRandSeed(12345);
  std::vector<int32_t> a;
  for (int i = 0; i < 100; ++i) a.push_back(Random(6));
  SetRandSeed(12345);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(Random(6), a[size_t(i)]);
  for (int32_t v : a) {
    EXPECT_GE(v, 0);
    EXPECT_LT(v, 6);
  }
  // One step of the generator, spelled out.
  SetRandSeed(1);
  EXPECT_EQ(Random(1000), int32_t((uint64_t(134775814u) * 1000u) >> 32));
  EXPECT_EQ(RandSeed(), 134775814);
  // Random(1) and Random(0) still advance the state.
  int32_t s = RandSeed();
  EXPECT_EQ(Random(1), 0);
  EXPECT_EQ(Random(0), 0);
  EXPECT_NE(RandSeed(), s);
  ResetRandomDraws();
  Per100(50);
  EXPECT_EQ(RandomDraws(), 1u);
  // Per100(b) is true for b of the hundred equal draws 0..99.
  SetRandSeed(4242);
  const int32_t v = Random(100);
  for (int32_t border : {v, v + 1, 0, 100}) {
    SetRandSeed(4242);
    EXPECT_EQ(Per100(border), border > v) << border;
  }
}

TEST(GameRandom, RandomizeTakesTheCurrentClock) {
  plat::FakeClock clock;
  plat::SetClock(&clock);
  clock.SetMs(777);
  Randomize();
  const int32_t at777 = RandSeed();
  clock.AdvanceMs(1);
  Randomize();
  EXPECT_NE(RandSeed(), at777) << "a later start gives another seed";
  clock.SetMs(777);
  SetRandSeed(0);
  Randomize();
  EXPECT_EQ(RandSeed(), at777) << "the same moment gives the same seed";
  plat::SetClock(nullptr);
}

TEST(SjisText, ConvertsBothWaysAndSurvivesBrokenBytes) {
  EXPECT_EQ(plat::SjisToUtf8("\x82\xA0"), "\xE3\x81\x82");  // "あ"
  EXPECT_EQ(plat::SjisToUtf8("Error \"x\""), "Error \"x\"");
  EXPECT_EQ(plat::Utf8ToSjis("\xE3\x81\x82"), "\x82\xA0");
  // A lone lead byte at the end and an invalid pair do not stop the text.
  std::string broken = plat::SjisToUtf8("ab\x82");
  EXPECT_EQ(broken.substr(0, 2), "ab");
  std::string bad = plat::SjisToUtf8("\xFF\xFFz");
  EXPECT_EQ(bad.back(), 'z');
  // The backslash-like second byte of "表" stays inside the character.
  EXPECT_EQ(plat::SjisToUtf8("\x95\x5C"), "\xE8\xA1\xA8");
}

// A data file beside the program fills the front of the buffer, at most its
// size; a shorter file leaves the rest as it was, a missing one changes nothing.
TEST(DataFiles, DtLoadingReadsUpToTheBufferAndKeepsTheRest) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("qorv_dtload_" + std::to_string(::getpid()));
  fs::create_directories(dir / "data");
  plat::SetProgramFolder(dir.string() + "/");
  std::ofstream(dir / "data" / "dbcfg.sai", std::ios::binary) << "ABCDEF";
  std::array<char, 4> buf{'w', 'x', 'y', 'z'};
  EXPECT_TRUE(DtLoading("data\\dbcfg.sai", buf.data(), 3));
  EXPECT_EQ(std::string(buf.data(), 4), "ABCz");
  std::ofstream(dir / "data" / "dbcfg.sai", std::ios::binary) << "Q";
  EXPECT_TRUE(DtLoading("data\\dbcfg.sai", buf.data(), 4));
  EXPECT_EQ(std::string(buf.data(), 4), "QBCz");
  EXPECT_FALSE(DtLoading("data\\none.sai", buf.data(), 4));
  EXPECT_EQ(std::string(buf.data(), 4), "QBCz");
  plat::SetProgramFolder("");
  fs::remove_all(dir);
}

}  // namespace
