#include <gtest/gtest.h>

#include "files/QxStringList.h"

namespace {

// Counts live instances, to see which objects a list frees.
struct Tracked : TQxObject {
  explicit Tracked(int& live) : live_(live) { ++live_; }
  ~Tracked() override { --live_; }
  int& live_;
};

TEST(QxStringListTest, BucketForFoldsCaseUnlessCaseSensitive) {
  TQxStringHash hash;
  EXPECT_EQ(hash.BucketFor(""), 0);
  EXPECT_EQ(hash.BucketFor("A"), 53);
  EXPECT_EQ(hash.BucketFor("a"), 53);
  hash.FCaseSensitive = true;
  EXPECT_NE(hash.BucketFor("a"), 53);
}

TEST(QxStringListTest, WholeStringAndNameKeys) {
  TQxHashedStringList list;
  list.Add("Speed=10");
  list.Add("plain");
  list.Add("speed=99");  // a duplicate key: the earlier one wins
  EXPECT_EQ(list.IndexOf("SPEED=10"), 0);
  EXPECT_EQ(list.IndexOfName("speed"), 0);
  EXPECT_TRUE(list.StrExists("PLAIN"));
  EXPECT_EQ(list.Names(1), "");

  list.SetUseNameAsKey(true);
  EXPECT_TRUE(list.NameExists("SPEED"));
  EXPECT_FALSE(list.NameExists("plain"));  // no "=": not hashed by name
  EXPECT_EQ(list.IndexOf("plain"), 1);
  EXPECT_EQ(list.GetValuesByName("Speed"), "10");
  EXPECT_EQ(list.GetValuesByName("none"), "");
  list.Delete(0);
  EXPECT_EQ(list.GetValuesByName("speed"), "99");
}

TEST(QxStringListTest, SetValuesByNameQuotesWhenNeeded) {
  TQxHashedStringList list;
  list.SetUseNameAsKey(true);
  list.SetValuesByName(" k ", "a b");
  EXPECT_EQ(list.Get(0), "k=\"a b\"");
  list.SetValuesByName("k", "");
  EXPECT_EQ(list.Get(0), "k=");
  EXPECT_EQ(list.Count(), 1);
  list.SetValuesByName("q", "say \"hi\"");
  EXPECT_EQ(list.Get(1), "q=\"say \"\"hi\"\"\"");
  list.SetValuesByName("K", "plain");  // updated in place, still found
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.GetValuesByName("k"), "plain");
  // A name with a twin: the first entry keeps its place ahead of the twin.
  list.Add("k=twin");
  list.SetValuesByName("k", "new");
  EXPECT_EQ(list.Get(0), "k=new");
  EXPECT_EQ(list.GetValuesByName("k"), "new");
}

TEST(QxStringListTest, OwnedObjectsAreFreedOnDeleteButKeptOnMove) {
  int live = 0;
  {
    TQxHashedStringList list(true);
    list.AddObject("a", new Tracked(live));
    list.AddObject("b", new Tracked(live));
    TQxObject* c = new Tracked(live);
    list.AddObject("c", c);
    EXPECT_EQ(live, 3);
    list.Move(2, 0);
    EXPECT_EQ(live, 3);
    EXPECT_EQ(list.GetObject(0), c);
    EXPECT_EQ(list.GetObjectsByString("C"), c);
    list.Delete(1);  // "a"
    EXPECT_EQ(live, 2);
    list.PutObject(0, new Tracked(live));  // replaces c
    EXPECT_EQ(live, 2);
    list.PutObject(0, list.GetObject(0));  // the same object again is not freed
    EXPECT_EQ(live, 2);
    list.SetObjectsByName("x", nullptr);  // no such name: nothing happens
  }
  EXPECT_EQ(live, 0);
}

TEST(QxStringListTest, CaseSensitiveSwitchEmptiesTheList) {
  TQxHashedStringList list;
  list.Add("Key=1");
  list.SetCaseSensitive(true);
  EXPECT_EQ(list.Count(), 0);
  list.Add("Key=1");
  EXPECT_EQ(list.IndexOf("key=1"), -1);
  EXPECT_EQ(list.IndexOf("Key=1"), 0);
  EXPECT_THROW(list.Get(1), std::out_of_range);
  EXPECT_THROW(list.Delete(-1), std::out_of_range);
}

TEST(QxStringListTest, PutRehashesAndShiftJisTrailBytesAreNotLetters) {
  TQxHashedStringList list;
  list.Add("old");
  list.Put(0, "new");
  EXPECT_EQ(list.IndexOf("old"), -1);
  EXPECT_EQ(list.IndexOf("NEW"), 0);
  // "ア" is 83 41 and "ヂ" is 83 61: only ASCII letters fold.
  list.Add("\x83\x41");
  EXPECT_EQ(list.IndexOf("\x83\x61"), -1);
  EXPECT_EQ(QxUpperCase("a\x83\x61z"), "A\x83\x61Z");
}

TEST(QxStringListTest, LineSplittingAndTrim) {
  EXPECT_EQ(QxSplitLines("a\r\nb\rc\nd"), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(QxSplitLines("a\r\n\r\n"), (std::vector<std::string>{"a", ""}));
  EXPECT_EQ(QxSplitLines("\n\ra"), (std::vector<std::string>{"", "", "a"}));
  EXPECT_EQ(QxJoinLines({"a", "b"}), "a\r\nb\r\n");
  EXPECT_EQ(QxTrim("\t a b \x01"), "a b");
}

}  // namespace
