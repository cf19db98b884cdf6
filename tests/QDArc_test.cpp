#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>

#include "files/QDArc.h"
#include "tests/QDACorpus.h"

namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

Bytes Str(std::string_view s) { return Bytes(s.begin(), s.end()); }
Bytes ToBytes(const TMemoryStream& ms) { return Bytes(ms.Bytes().begin(), ms.Bytes().end()); }

// A scratch folder of its own for each test.
class TempDir {
 public:
  TempDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = fs::temp_directory_path() /
            ("qorv_qda_" + std::string(info->name()) + "_" + std::to_string(std::random_device{}()));
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~TempDir() { fs::remove_all(path_); }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

struct Sample {
  std::vector<std::string> ids;
  std::vector<Bytes> data;
  std::vector<std::span<const uint8_t>> spans() const {
    return std::vector<std::span<const uint8_t>>(data.begin(), data.end());
  }
};

Sample MakeSample(size_t n) {
  Sample s;
  std::mt19937 rng{unsigned(n)};
  for (size_t i = 0; i < n; ++i) {
    s.ids.push_back("entry" + std::to_string(i) + ".bin");
    Bytes d(i * 997 % 20000);
    for (size_t j = 0; j < d.size(); ++j) d[j] = i % 2 ? uint8_t(rng()) : uint8_t("qorv"[j % 4]);
    s.data.push_back(std::move(d));
  }
  return s;
}

TEST(QDArchiveTest, RoundTripsZeroOneAndManyEntriesCodedAndStored) {
  for (bool coded : {true, false}) {
    for (size_t n : {0u, 1u, 40u}) {
      Sample s = MakeSample(n);
      auto arc = BuildQDAArchive("DBDT", 0, 1, 2, s.spans(), s.ids, coded);
      ASSERT_TRUE(arc);
      TMemoryStream ms(*arc);
      EXPECT_TRUE(CheckFileHash(ms, 8));
      EXPECT_TRUE(CheckFileSignVer(ms, "DBDT", 0, 1, 2));
      EXPECT_FALSE(CheckFileSignVer(ms, "DBDT", 0, 1, 3));
      EXPECT_FALSE(CheckFileSignVer(ms, "DEFT", 0, 1, 2));
      auto index = ParseQDAIndex(*arc);
      ASSERT_TRUE(index);
      EXPECT_EQ(index->header.DataCount, n);
      EXPECT_EQ(index->header.Compress, coded ? 1 : 0);
      TQDAStream qs;
      qs.LoadFromBytes(*arc);
      for (size_t i = 0; i < n; ++i) {
        auto a = ExtractFromQDAStream(ms, s.ids[i]);
        ASSERT_TRUE(a) << s.ids[i];
        EXPECT_EQ(ToBytes(*a), s.data[i]);
        auto b = ExtractFromQDAStream2(qs, s.ids[i]);
        ASSERT_TRUE(b);
        EXPECT_EQ(ToBytes(*b), s.data[i]);
      }
      EXPECT_FALSE(ExtractFromQDAStream(ms, "nothing"));
    }
  }
}

TEST(QDArchiveTest, DigestDecidesOnFirstWordOnly) {
  Sample s = MakeSample(3);
  auto arc = *BuildQDAArchive("PAL", 1, 0, 0, s.spans(), s.ids, true);
  for (size_t at : {size_t(0), size_t(3), size_t(32), size_t(44), size_t(300), arc.size() - 1}) {
    Bytes bad = arc;
    bad[at] ^= 0x10;
    TMemoryStream ms(bad);
    EXPECT_FALSE(CheckFileHash(ms, 8)) << "flipped byte " << at;
  }
  for (size_t at = 4; at < 32; at += 5) {  // H1..H7 are written but never compared
    Bytes odd = arc;
    odd[at] ^= 0xFF;
    TMemoryStream ms(odd);
    EXPECT_TRUE(CheckFileHash(ms, 8)) << "stored word byte " << at;
  }
  TMemoryStream tiny(Bytes(31, 0));
  EXPECT_FALSE(CheckFileHash(tiny, 8));
  TMemoryStream ms(arc);
  EXPECT_FALSE(CheckFileHash(ms, 0));
  EXPECT_FALSE(CheckFileHash(ms, 9));
}

TEST(QDArchiveTest, TagAndNamesIgnoreCase) {
  Sample s = MakeSample(2);
  s.ids = {"dbini.sai", "Other.Bin"};
  auto arc = *BuildQDAArchive("pal", 0, 0, 0, s.spans(), s.ids, true);
  EXPECT_EQ(std::memcmp(arc.data() + 36, "PAL\0", 4), 0);
  TMemoryStream ms(arc);
  EXPECT_TRUE(CheckFileSignVer(ms, "pal", 0, 0, 0));
  EXPECT_EQ(ms.Position(), 256);
  EXPECT_FALSE(CheckFileSignVer(ms, "PA", 0, 0, 0));
  EXPECT_FALSE(CheckFileSignVer(ms, "PALX", 0, 0, 0));
  EXPECT_TRUE(ExtractFromQDAStream(ms, "DBINI.SAI"));
  EXPECT_TRUE(ExtractFromQDAStream(ms, "other.bin"));
  // A name that fills all 244 bytes with no zero byte is read as those bytes.
  Bytes full = arc;
  std::memset(full.data() + 256 + 12, 'A', kQDAIDSize);
  EXPECT_TRUE(ExtractFromQDABytes(full, std::string(kQDAIDSize, 'a')));
  EXPECT_FALSE(ExtractFromQDABytes(full, std::string(kQDAIDSize - 1, 'a')));
  // Long tags keep four letters and are checked over four.
  auto long_tag = *BuildQDAArchive("defteam", 0, 0, 1, {}, {}, true);
  TMemoryStream lt(long_tag);
  EXPECT_TRUE(CheckFileSignVer(lt, "DEFTxyz", 0, 0, 1));
}

TEST(QDArchiveTest, CompressByteOtherThanOneReadsAsStored) {
  Sample s = MakeSample(2);
  auto arc = *BuildQDAArchive("DBDT", 0, 0, 0, s.spans(), s.ids, false);
  arc[43] = 2;
  auto got = ExtractFromQDABytes(arc, s.ids[1]);
  ASSERT_TRUE(got);
  EXPECT_EQ(*got, s.data[1]);
}

TEST(QDArchiveTest, MissingEntryIsNoneEvenAfterAnEarlierExtraction) {
  Sample s = MakeSample(3);
  TQDAStream qs;
  qs.LoadFromBytes(*BuildQDAArchive("CHAR", 0, 0, 0, s.spans(), s.ids, true));
  auto first = ExtractFromQDAStream2(qs, s.ids[2]);
  ASSERT_TRUE(first);
  EXPECT_GT(qs.qdStream.Position(), 0);  // left after the entry, as the renderer expects
  EXPECT_FALSE(ExtractFromQDAStream2(qs, "missing.png"));
  auto again = ExtractFromQDAStream2(qs, s.ids[1]);  // no rewind needed
  ASSERT_TRUE(again);
  EXPECT_EQ(ToBytes(*again), s.data[1]);
}

TEST(QDArchiveTest, WriterRefusesBadNameSets) {
  Bytes d = Str("x");
  std::vector<std::span<const uint8_t>> one = {d}, two = {d, d};
  std::string why;
  EXPECT_FALSE(BuildQDAArchive("", 0, 0, 0, one, {"a"}, true, &why));
  EXPECT_FALSE(BuildQDAArchive("DBDT", 0, 0, 0, one, {"a", "b"}, true, &why));
  EXPECT_FALSE(BuildQDAArchive("DBDT", 0, 0, 0, two, {"a.png", "A.PNG"}, true, &why));
  EXPECT_NE(why.find("duplicate"), std::string::npos);
  EXPECT_FALSE(BuildQDAArchive("DBDT", 0, 0, 0, one, {std::string(244, 'n')}, true));
  EXPECT_FALSE(BuildQDAArchive("DBDT", 0, 0, 0, one, {std::string("a\0b", 3)}, true));
  auto longest = BuildQDAArchive("DBDT", 0, 0, 0, one, {std::string(243, 'n')}, true);
  ASSERT_TRUE(longest);
  EXPECT_TRUE(ExtractFromQDABytes(*longest, std::string(243, 'N')));
}

TEST(QDArchiveTest, FilesAreWrittenWholeOrNotAtAll) {
  TempDir dir;
  Sample s = MakeSample(4);
  std::vector<TMemoryStream> streams;
  for (auto& d : s.data) streams.emplace_back(d);
  std::vector<TStream*> ptrs;
  for (auto& m : streams) ptrs.push_back(&m), m.SetPosition(5);
  const std::string path = dir / "DBData.qx2";
  ASSERT_TRUE(CreateQDAFile(path, "DBDT", 0, 0, 0, ptrs, s.ids, true));
  for (auto& m : streams) EXPECT_EQ(m.Position(), 0);
  auto got = ExtractFromQDAFile(path, s.ids[3]);
  ASSERT_TRUE(got);
  EXPECT_EQ(ToBytes(*got), s.data[3]);
  TQDAStream qs(path);
  EXPECT_TRUE(qs.Valid());
  EXPECT_TRUE(fs::path(qs.FullPathName()).is_absolute());
  EXPECT_TRUE(ExtractFromQDAStream2(qs, s.ids[0]));

  // An unwritable target fails, leaves no temporary file and keeps the old one.
  fs::create_directory(dir / "taken.qx2");
  EXPECT_FALSE(CreateQDAFile(dir / "taken.qx2", "DBDT", 0, 0, 0, ptrs, s.ids, true));
  EXPECT_FALSE(CreateQDAFile(dir / "nofolder/x.qx2", "DBDT", 0, 0, 0, ptrs, s.ids, true));
  std::string why;
  EXPECT_FALSE(CreateQDAFile(path, "DBDT", 0, 0, 0, {ptrs[0]}, s.ids, true, &why));
  EXPECT_FALSE(why.empty());
  size_t files = 0;
  for (auto& e : fs::directory_iterator(dir.path())) files += e.is_regular_file();
  EXPECT_EQ(files, 1u);
  EXPECT_TRUE(ExtractFromQDAFile(path, s.ids[3]));

  TQDAStream missing(dir / "none.qx2");
  EXPECT_FALSE(missing.Valid());
  EXPECT_FALSE(ExtractFromQDAStream2(missing, s.ids[0]));
  EXPECT_FALSE(ExtractFromQDAFile(dir / "none.qx2", s.ids[0]));
}

TEST(SAIFileTest, CodedAndDefaultTeamForms) {
  Bytes rec(256);
  for (size_t i = 0; i < rec.size(); ++i) rec[i] = uint8_t(i * 7);
  Bytes file = BuildSAIFile(rec);
  TMemoryStream ms(file);
  EXPECT_TRUE(CheckFileHashSAI(ms));
  auto got = ExtractFromQDASAIStream(ms);
  ASSERT_TRUE(got);
  EXPECT_EQ(ToBytes(*got), rec);
  Bytes bad = file;
  bad[30] ^= 1;
  TMemoryStream bs(bad);
  EXPECT_FALSE(CheckFileHashSAI(bs));

  Bytes member(kSAIRecordSize, 0x5A);
  TMemoryStream db(BuildSAIFileDB(member));
  EXPECT_TRUE(CheckFileHashSAI(db));
  auto m = ExtractFromQDASAIStreamDB(db);
  ASSERT_TRUE(m);
  EXPECT_EQ(ToBytes(*m), member);
  TMemoryStream shortDb(BuildSAIFileDB(Bytes(100, 1)));
  EXPECT_FALSE(ExtractFromQDASAIStreamDB(shortDb));
  EXPECT_FALSE(ExtractFromQDASAIStreamDB(nullptr));
  EXPECT_FALSE(ExtractFromQDASAIStream(nullptr));

  TempDir dir;
  ASSERT_TRUE(CreateSAIFile(dir / "team.dbch", rec));
  TMemoryStream fromFile;
  ASSERT_TRUE(fromFile.LoadFromFile(dir / "team.dbch"));
  EXPECT_TRUE(CheckFileHashSAI(fromFile));
  EXPECT_TRUE(ExtractFromQDASAIStream(fromFile));
}

// Every broken archive and stream of the generated corpus is refused, entry by
// entry, through every reader.
TEST(QDACorpusTest, BrokenInputsAreRefused) {
  for (const auto& c : MakeBrokenQDACorpus()) {
    SCOPED_TRACE(c.name);
    TMemoryStream ms(c.bytes);
    if (c.kind == QDACorpusCase::kSAI) {
      EXPECT_FALSE(ExtractFromQDASAIStream(ms));
      continue;
    }
    TQDAStream qs;
    qs.LoadFromBytes(c.bytes);
    for (const auto& id : c.ids) {
      EXPECT_FALSE(ExtractFromQDABytes(c.bytes, id));
      EXPECT_FALSE(ExtractFromQDAStream(ms, id));
      EXPECT_FALSE(ExtractFromQDAStream2(qs, id));
    }
    if (c.hashBroken) {
      EXPECT_FALSE(CheckFileHash(ms, 8));
    }
  }
}

}  // namespace

namespace {

TEST(MemoryStreamTest, SeeksClampAndWritesPastTheEndFillWithZeros) {
  TMemoryStream ms(Bytes{1, 2, 3});
  EXPECT_EQ(ms.Seek(-10, TSeekOrigin::soCurrent), 0);
  ms.Seek(2, TSeekOrigin::soBeginning);
  EXPECT_EQ(ms.Seek(INT64_MAX, TSeekOrigin::soCurrent), INT64_MAX);
  uint8_t b = 0;
  EXPECT_EQ(ms.Read(&b, 1), 0u);
  EXPECT_FALSE(ms.Write(&b, 1));
  ms.SetPosition(5);
  uint8_t nine = 9;
  ASSERT_TRUE(ms.Write(&nine, 1));
  EXPECT_EQ(ToBytes(ms), (Bytes{1, 2, 3, 0, 0, 9}));
}

}  // namespace
