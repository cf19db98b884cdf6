// An ordered list of 8-bit strings, each with an optional attached object, and
// a hash index that finds an entry by its whole string or by its name part
// (the text before the first "=") without walking the list. Case-insensitive
// comparisons fold ASCII letters only and leave the second byte of a
// Shift-JIS character alone, so Japanese text passes through byte for byte.
#pragma once
#include <array>
#include <string>
#include <string_view>
#include <vector>

// Base of objects a list can own.
class TQxObject {
 public:
  virtual ~TQxObject() = default;
};

class TQxHashedStringList;

class TQxStringItem {
 public:
  TQxHashedStringList* FOwner = nullptr;
  TQxObject* FObject = nullptr;
  std::string Str;
  std::string Name;  // text before the first "=", empty when there is none

  TQxObject* Obj() const { return FObject; }
  // Frees the old object when the owning list owns its objects.
  void SetObject(TQxObject* obj);
};

// 1024 buckets; each entry refers to an item's Str or Name field, so it follows
// the item's current text.
class TQxStringHash {
 public:
  static constexpr int kBuckets = 1024;
  virtual ~TQxStringHash() = default;

  // h := ((h + c) * 9973) mod 1024 over the key's bytes, upper-cased first
  // unless case-sensitive.
  virtual int BucketFor(std::string_view key) const;
  void Add(const std::string* key, TQxStringItem* item);
  // Removes the item's entry; call before the key's text changes.
  void Remove(const std::string* key, TQxStringItem* item);
  // Earliest-added entry whose key equals key.
  TQxStringItem* Find(std::string_view key) const;
  void Clear();

  bool FCaseSensitive = false;

 private:
  struct Entry {
    const std::string* key;
    TQxStringItem* item;
  };
  std::array<std::vector<Entry>, kBuckets> FBuckets;
};

class TQxHashedStringList {
 public:
  explicit TQxHashedStringList(bool HasObjects = false);
  virtual ~TQxHashedStringList();
  TQxHashedStringList(const TQxHashedStringList&) = delete;
  TQxHashedStringList& operator=(const TQxHashedStringList&) = delete;

  int Count() const { return int(FList.size()); }
  // Index operations throw std::out_of_range for an index outside the list.
  const std::string& Get(int Index) const;
  std::string Names(int Index) const;
  TQxObject* GetObject(int Index) const;
  void Put(int Index, std::string S);
  void PutObject(int Index, TQxObject* AObject);
  void Insert(int Index, std::string S);
  void InsertObject(int Index, std::string S, TQxObject* AObject);
  int Add(std::string S);
  int AddObject(std::string S, TQxObject* AObject);
  void Append(std::string S) { Add(std::move(S)); }
  void Delete(int Index);
  void Clear();
  // Moves an entry with its string and object; the object is never freed.
  void Move(int CurIndex, int NewIndex);

  int IndexOf(std::string_view S) const;
  int IndexOfName(std::string_view Name) const;
  bool NameExists(std::string_view Name) const;
  bool StrExists(std::string_view S) const;
  TQxObject* GetObjectsByString(std::string_view S) const;
  void SetObjectsByName(std::string_view Name, TQxObject* Value);
  // The text behind "Name=" of the entry with that name; empty when none.
  std::string GetValuesByName(std::string_view Name) const;
  // Stores trim(Name) + "=" + Value, quoting Value when it holds a space or a
  // double quote; updates the entry with that name in place (keyed by name it
  // keeps its hash entry, so a lookup still finds it before a twin) or
  // appends one.
  void SetValuesByName(std::string_view Name, std::string_view Value);

  bool HasObjects() const { return FHasObjects; }
  bool CaseSensitive() const { return FCaseSensitive; }
  // Changing it empties the list.
  void SetCaseSensitive(bool Value);
  bool UseNameAsKey() const { return FUseNameAsKey; }
  // Changing it rebuilds the hash.
  void SetUseNameAsKey(bool Value);
  void RebuildHash();

  std::vector<std::string> Lines() const;
  // Replaces the contents with the lines of a file (8-bit text split at CR,
  // LF or CR LF); false if it cannot be read.
  bool LoadFromFile(std::string_view gamePath);
  // Writes every line followed by CR LF; false on failure (the old file stays).
  bool SaveToFile(std::string_view gamePath) const;

  const TQxStringHash& Hash() const { return FKeyHash; }

 private:
  friend class TQxStringItem;
  const std::string* KeyOf(const TQxStringItem& item) const;
  bool Hashed(const TQxStringItem& item) const;
  int PositionOf(const TQxStringItem* item) const;
  void CheckIndex(int Index, bool forInsert = false) const;
  bool Same(std::string_view a, std::string_view b) const;

  TQxStringHash FKeyHash;
  std::vector<TQxStringItem*> FList;  // owned
  bool FHasObjects;
  bool FCaseSensitive = false;
  bool FUseNameAsKey = false;
};

// ---- 8-bit text helpers shared with the ini file ---------------------------

// Upper-cases ASCII letters, skipping the second byte of Shift-JIS characters.
std::string QxUpperCase(std::string_view s);
// Byte comparison ignoring ASCII case as QxUpperCase folds it: <0, 0, >0.
int QxCompareText(std::string_view a, std::string_view b);
// Removes bytes up to 0x20 at both ends.
std::string QxTrim(std::string_view s);
// The name part of a "name=value" string.
std::string QxNamePart(std::string_view s);
// "..." with inner double quotes doubled.
std::string QxQuotedStr(std::string_view s);
// Splits text at CR, LF or CR LF; a final line break adds no empty line.
std::vector<std::string> QxSplitLines(std::string_view text);
// Every line followed by CR LF.
std::string QxJoinLines(const std::vector<std::string>& lines);
