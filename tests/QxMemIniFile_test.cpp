#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "files/QxMemIniFile.h"

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

Lines Out(const TQxMemIniFile& ini) {
  Lines l;
  ini.GetStrings(l);
  return l;
}

// An ini parsed from text, with no file behind it.
struct IniText : TQxMemIniFile {
  explicit IniText(std::string_view text) : TQxMemIniFile("") { SetStrings(QxSplitLines(text)); }
};

std::string ReadAll(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

// A file in the normalised form the ini writes; one with comments in every
// place they can stand and Shift-JIS bytes in them ("速さ" = speed).
constexpr const char* kNormal =
    "; tuning table\r\n"
    ";\x91\xAC\x82\xB3\r\n"
    "[DBJP]\r\n"
    "\r\n"
    "  ; indented comment\r\n"
    "JPSPD=350\r\n"
    "NAME=\"a b\"\r\n"
    "\r\n"
    "[DBB]\r\n"
    "\r\n"
    "BSPD=-12\r\n"
    "\r\n"
    "; the end\r\n";

TEST(QxMemIniFileTest, NormalisedFileRoundTripsByteForByte) {
  IniText ini(kNormal);
  EXPECT_EQ(QxJoinLines(Out(ini)), kNormal);
  EXPECT_EQ(ini.ReadString("dbjp", "name", "?"), "a b");
  EXPECT_EQ(ini.ReadInteger("DBB", "bspd", 0), -12);
}

TEST(QxMemIniFileTest, OddFileIsReadEditedAndWrittenWithCommentsInPlace) {
  IniText ini(
      "stray=1\n"           // before any header: dropped
      "; about DBJP\n"
      "\n"
      "  [ DBJP ]  \n"
      "JPSPD   =   350   \n"
      "; between keys\n"
      "JPY=7\n"
      "=5\n"                // no name: dropped
      "; moves to the next header\n"
      "[DBB]\n"
      "KEY\n"               // no "=": empty value
      "; second DBJP header\n"
      "[dbjp]\n"
      "EXTRA = \"q\"\"x\"tail\n"
      "; trailing\r\n");
  ini.WriteInteger("DBJP", "JPY", 8);
  ini.WriteString("NEW", "K", "v");
  EXPECT_EQ(Out(ini), (Lines{"; second DBJP header", "[DBJP]", "",
                             "JPSPD=350", "; between keys", "JPY=8", "EXTRA=\"q\"\"x\"", "",
                             "; moves to the next header", "[DBB]", "", "KEY=", "",
                             "[NEW]", "", "K=v", "",
                             "; trailing"}));
  EXPECT_EQ(ini.ReadString("dbjp", "extra", ""), "q\"x");  // the tail behind the quotes is dropped
  EXPECT_EQ(ini.ReadString("DBB", "KEY", "?"), "");
}

TEST(QxMemIniFileTest, QuotingQuirksAreStable) {
  IniText ini("[S]\nA=\"\"\nB=\"open\nC=\"x\" y\n");
  EXPECT_EQ(ini.ReadString("S", "A", "?"), "\"\"");
  EXPECT_EQ(ini.ReadString("S", "B", "?"), "open");
  EXPECT_EQ(ini.ReadString("S", "C", "?"), "x");
  Lines once = Out(ini);
  IniText again(QxJoinLines(once));
  EXPECT_EQ(Out(again), once);
  EXPECT_EQ(again.ReadString("S", "A", "?"), "\"\"");
}

TEST(QxMemIniFileTest, TypedValues) {
  IniText ini("[S]\nH=$1F\nX=0x10\nBig=2147483648\nMin=-2147483648\nT=abc\nF=$FFFFFFFF\n");
  EXPECT_EQ(ini.ReadInteger("S", "H", 0), 31);
  EXPECT_EQ(ini.ReadInteger("S", "X", 0), 16);
  EXPECT_EQ(ini.ReadInteger("S", "Big", 5), 5);
  EXPECT_EQ(ini.ReadInteger("S", "Min", 5), INT32_MIN);
  EXPECT_EQ(ini.ReadInteger("S", "T", 5), 5);
  EXPECT_EQ(ini.ReadInteger("S", "F", 5), -1);
  EXPECT_EQ(ini.ReadInteger("S", "missing", 9), 9);
  EXPECT_TRUE(ini.ReadBool("S", "H", false));
  ini.WriteBool("S", "B", true);
  EXPECT_EQ(ini.ReadString("S", "B", ""), "1");
  EXPECT_TRUE(ini.ValueExists("s", "b"));
  EXPECT_TRUE(ini.SectionExists("s"));
  EXPECT_FALSE(ini.SectionExists(""));
}

TEST(QxMemIniFileTest, RefusedWritesChangeNothing) {
  IniText ini("[S]\nA=1\n");
  const Lines before = Out(ini);
  EXPECT_THROW(ini.WriteString("  ", "A", "1"), EQxMemIniFileInvalidSection);
  EXPECT_THROW(ini.WriteString("S", "A", "x\ry"), EQxMemIniFileInvalidValue);
  EXPECT_THROW(ini.WriteString("S", "A", "x\ny"), EQxMemIniFileInvalidValue);
  EXPECT_THROW(ini.WriteString("T", " ", "1"), EQxMemIniFileInvalidName);
  EXPECT_THROW(ini.WriteString("T", "a=b", "1"), EQxMemIniFileInvalidName);
  EXPECT_THROW(ini.WriteString("T", ";a", "1"), EQxMemIniFileInvalidName);
  EXPECT_THROW(ini.EraseSection(" "), EQxMemIniFileInvalidSection);
  EXPECT_EQ(Out(ini), before);  // no section T was added
  try {
    ini.WriteString("T", "", "1");
  } catch (const EQxMemIniFileInvalidName& e) {
    EXPECT_STREQ(e.what(), "\x8B\xF3\x82\xCC\x96\xBC\x91O");  // "空の名前"
  }
}

TEST(QxMemIniFileTest, SectionAndKeyOperations) {
  IniText ini("; top\n[A]\nx=1\ny=2\n[B]\nz=3\n; tail\n");
  Lines l;
  ini.ReadSections(l);
  EXPECT_EQ(l, (Lines{"A", "B"}));
  ini.ReadSection("a", l);
  EXPECT_EQ(l, (Lines{"x", "y"}));
  ini.ReadSectionValues("A", l);
  EXPECT_EQ(l, (Lines{"x=1", "y=2"}));
  ini.WriteComment("A", "y", "first\n; second");
  ini.WriteComment("A", "nokey", "ignored");
  ini.WriteSectionComment("B", Lines{"about B"});
  ini.DeleteKey("A", "X");
  ini.EraseSection("nothing");
  EXPECT_EQ(Out(ini), (Lines{"; top", "[A]", "", ";first", "; second", "y=2", "",
                             ";about B", "[B]", "", "z=3", "", "; tail"}));
  ini.EraseSection("a");
  ini.ReadSections(l);
  EXPECT_EQ(l, (Lines{"B"}));
  EXPECT_EQ(Out(ini).back(), "; tail");
}

TEST(QxMemIniFileTest, FileIsLoadedAndReplacedWhole) {
  fs::path dir = fs::temp_directory_path() / ("qorv_ini_" + std::to_string(std::random_device{}()));
  fs::create_directories(dir);
  const std::string path = (dir / "db.ini").string();
  {
    std::ofstream(path, std::ios::binary) << kNormal;
  }
  TQxMemIniFile ini(path);
  ini.WriteInteger("DBJP", "JPSPD", 400);
  ASSERT_TRUE(ini.UpdateFile());
  std::string expected = kNormal;
  expected.replace(expected.find("350"), 3, "400");
  EXPECT_EQ(ReadAll(path), expected);

  TQxMemIniFile missing((dir / "none.ini").string());
  EXPECT_EQ(missing.ReadString("A", "B", "def"), "def");
  fs::create_directory(dir / "taken.ini");
  TQxMemIniFile blocked((dir / "taken.ini").string());
  blocked.WriteString("A", "B", "C");
  EXPECT_FALSE(blocked.UpdateFile());
  fs::remove_all(dir);
}

}  // namespace
