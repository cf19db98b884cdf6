#include "files/QxStringList.h"

#include <stdexcept>

#include "files/Streams.h"
#include "platform/Files.h"

namespace {
bool IsSjisLead(uint8_t c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
}  // namespace

std::string QxUpperCase(std::string_view s) {
  std::string out(s);
  for (size_t i = 0; i < out.size(); ++i) {
    uint8_t c = uint8_t(out[i]);
    if (IsSjisLead(c) && i + 1 < out.size()) {
      ++i;  // the trail byte may look like a letter; it is not one
    } else if (c >= 'a' && c <= 'z') {
      out[i] = char(c - 32);
    }
  }
  return out;
}

int QxCompareText(std::string_view a, std::string_view b) {
  std::string x = QxUpperCase(a), y = QxUpperCase(b);
  size_t n = std::min(x.size(), y.size());
  for (size_t i = 0; i < n; ++i)
    if (x[i] != y[i]) return uint8_t(x[i]) < uint8_t(y[i]) ? -1 : 1;
  return x.size() == y.size() ? 0 : (x.size() < y.size() ? -1 : 1);
}

std::string QxTrim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && uint8_t(s[b]) <= 0x20) ++b;
  while (e > b && uint8_t(s[e - 1]) <= 0x20) --e;
  return std::string(s.substr(b, e - b));
}

std::string QxNamePart(std::string_view s) {
  size_t eq = s.find('=');
  return eq == std::string_view::npos ? std::string() : std::string(s.substr(0, eq));
}

std::string QxQuotedStr(std::string_view s) {
  std::string out = "\"";
  for (char c : s) {
    out += c;
    if (c == '"') out += '"';
  }
  return out + "\"";
}

std::vector<std::string> QxSplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(pos));
      break;
    }
    lines.emplace_back(text.substr(pos, end - pos));
    pos = end + 1;
    if (text[end] == '\r' && pos < text.size() && text[pos] == '\n') ++pos;
  }
  return lines;
}

std::string QxJoinLines(const std::vector<std::string>& lines) {
  std::string out;
  for (const auto& l : lines) out += l + "\r\n";
  return out;
}

// ---- Hash ----------------------------------------------------------------------

int TQxStringHash::BucketFor(std::string_view key) const {
  std::string k = FCaseSensitive ? std::string(key) : QxUpperCase(key);
  unsigned h = 0;
  for (char c : k) h = ((h + uint8_t(c)) * 9973u) % kBuckets;
  return int(h);
}

void TQxStringHash::Add(const std::string* key, TQxStringItem* item) {
  FBuckets[size_t(BucketFor(*key))].push_back({key, item});
}

void TQxStringHash::Remove(const std::string* key, TQxStringItem* item) {
  auto drop = [item](std::vector<Entry>& bucket) {
    for (auto it = bucket.begin(); it != bucket.end(); ++it) {
      if (it->item == item) {
        bucket.erase(it);
        return true;
      }
    }
    return false;
  };
  if (drop(FBuckets[size_t(BucketFor(*key))])) return;
  for (auto& bucket : FBuckets)  // the key changed behind our back: look everywhere
    if (drop(bucket)) return;
}

TQxStringItem* TQxStringHash::Find(std::string_view key) const {
  for (const Entry& e : FBuckets[size_t(BucketFor(key))]) {
    if (FCaseSensitive ? *e.key == key : QxCompareText(*e.key, key) == 0) return e.item;
  }
  return nullptr;
}

void TQxStringHash::Clear() {
  for (auto& bucket : FBuckets) bucket.clear();
}

// ---- Items and list --------------------------------------------------------------

void TQxStringItem::SetObject(TQxObject* obj) {
  if (FObject != obj && FOwner && FOwner->FHasObjects) delete FObject;
  FObject = obj;
}

TQxHashedStringList::TQxHashedStringList(bool HasObjects) : FHasObjects(HasObjects) {}

TQxHashedStringList::~TQxHashedStringList() { Clear(); }

const std::string* TQxHashedStringList::KeyOf(const TQxStringItem& item) const {
  return FUseNameAsKey ? &item.Name : &item.Str;
}

bool TQxHashedStringList::Hashed(const TQxStringItem& item) const {
  return !FUseNameAsKey || !item.Name.empty();
}

int TQxHashedStringList::PositionOf(const TQxStringItem* item) const {
  if (!item) return -1;
  for (size_t i = 0; i < FList.size(); ++i)
    if (FList[i] == item) return int(i);
  return -1;
}

void TQxHashedStringList::CheckIndex(int Index, bool forInsert) const {
  if (Index < 0 || Index > Count() || (!forInsert && Index == Count()))
    throw std::out_of_range("List index out of bounds (" + std::to_string(Index) + ")");
}

bool TQxHashedStringList::Same(std::string_view a, std::string_view b) const {
  return FCaseSensitive ? a == b : QxCompareText(a, b) == 0;
}

const std::string& TQxHashedStringList::Get(int Index) const {
  CheckIndex(Index);
  return FList[size_t(Index)]->Str;
}

std::string TQxHashedStringList::Names(int Index) const {
  CheckIndex(Index);
  return FList[size_t(Index)]->Name;
}

TQxObject* TQxHashedStringList::GetObject(int Index) const {
  CheckIndex(Index);
  return FList[size_t(Index)]->FObject;
}

void TQxHashedStringList::Put(int Index, std::string S) {
  CheckIndex(Index);
  TQxStringItem* item = FList[size_t(Index)];
  if (Hashed(*item)) FKeyHash.Remove(KeyOf(*item), item);
  item->Str = std::move(S);
  item->Name = QxNamePart(item->Str);
  if (Hashed(*item)) FKeyHash.Add(KeyOf(*item), item);
}

void TQxHashedStringList::PutObject(int Index, TQxObject* AObject) {
  CheckIndex(Index);
  FList[size_t(Index)]->SetObject(AObject);
}

void TQxHashedStringList::Insert(int Index, std::string S) { InsertObject(Index, std::move(S), nullptr); }

void TQxHashedStringList::InsertObject(int Index, std::string S, TQxObject* AObject) {
  CheckIndex(Index, true);
  auto* item = new TQxStringItem;
  item->FOwner = this;
  item->FObject = AObject;
  item->Str = std::move(S);
  item->Name = QxNamePart(item->Str);
  FList.insert(FList.begin() + Index, item);
  if (Hashed(*item)) FKeyHash.Add(KeyOf(*item), item);
}

int TQxHashedStringList::Add(std::string S) { return AddObject(std::move(S), nullptr); }

int TQxHashedStringList::AddObject(std::string S, TQxObject* AObject) {
  InsertObject(Count(), std::move(S), AObject);
  return Count() - 1;
}

void TQxHashedStringList::Delete(int Index) {
  CheckIndex(Index);
  TQxStringItem* item = FList[size_t(Index)];
  if (Hashed(*item)) FKeyHash.Remove(KeyOf(*item), item);
  FList.erase(FList.begin() + Index);
  if (FHasObjects) delete item->FObject;
  delete item;
}

void TQxHashedStringList::Clear() {
  FKeyHash.Clear();
  for (TQxStringItem* item : FList) {
    if (FHasObjects) delete item->FObject;
    delete item;
  }
  FList.clear();
}

void TQxHashedStringList::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  CheckIndex(CurIndex);
  CheckIndex(NewIndex);
  TQxStringItem* item = FList[size_t(CurIndex)];
  // Taken out and put back as a new entry: it hashes after its equals.
  if (Hashed(*item)) FKeyHash.Remove(KeyOf(*item), item);
  FList.erase(FList.begin() + CurIndex);
  FList.insert(FList.begin() + NewIndex, item);
  if (Hashed(*item)) FKeyHash.Add(KeyOf(*item), item);
}

int TQxHashedStringList::IndexOf(std::string_view S) const {
  if (!FUseNameAsKey) return PositionOf(FKeyHash.Find(S));
  for (size_t i = 0; i < FList.size(); ++i)
    if (Same(FList[i]->Str, S)) return int(i);
  return -1;
}

int TQxHashedStringList::IndexOfName(std::string_view Name) const {
  if (FUseNameAsKey) return PositionOf(FKeyHash.Find(Name));
  for (size_t i = 0; i < FList.size(); ++i)
    if (Same(FList[i]->Name, Name)) return int(i);
  return -1;
}

bool TQxHashedStringList::NameExists(std::string_view Name) const {
  return FUseNameAsKey ? FKeyHash.Find(Name) != nullptr : IndexOfName(Name) >= 0;
}

bool TQxHashedStringList::StrExists(std::string_view S) const {
  return !FUseNameAsKey ? FKeyHash.Find(S) != nullptr : IndexOf(S) >= 0;
}

TQxObject* TQxHashedStringList::GetObjectsByString(std::string_view S) const {
  int i = IndexOf(S);
  return i >= 0 ? FList[size_t(i)]->FObject : nullptr;
}

void TQxHashedStringList::SetObjectsByName(std::string_view Name, TQxObject* Value) {
  int i = IndexOfName(Name);
  if (i >= 0) FList[size_t(i)]->SetObject(Value);
}

std::string TQxHashedStringList::GetValuesByName(std::string_view Name) const {
  int i = IndexOfName(Name);
  if (i < 0) return {};
  const std::string& s = FList[size_t(i)]->Str;
  return s.size() > Name.size() + 1 ? s.substr(Name.size() + 1) : std::string();
}

void TQxHashedStringList::SetValuesByName(std::string_view Name, std::string_view Value) {
  bool quote = !Value.empty() && Value.find_first_of(" \"") != std::string_view::npos;
  std::string line = QxTrim(Name) + "=" + (quote ? QxQuotedStr(Value) : std::string(Value));
  int i = IndexOfName(Name);
  if (i < 0) {
    Add(std::move(line));
    return;
  }
  TQxStringItem* item = FList[size_t(i)];
  std::string name = QxNamePart(line);
  // Keyed by name, an entry whose key stays in its bucket keeps its hash
  // entry, so it stays ahead of a later twin of its name.
  if (FUseNameAsKey && Hashed(*item) && !name.empty() &&
      FKeyHash.BucketFor(name) == FKeyHash.BucketFor(item->Name)) {
    item->Str = std::move(line);
    item->Name = std::move(name);
  } else {
    Put(i, std::move(line));
  }
}

void TQxHashedStringList::SetCaseSensitive(bool Value) {
  if (Value == FCaseSensitive) return;
  FCaseSensitive = Value;
  Clear();
  FKeyHash.FCaseSensitive = Value;
}

void TQxHashedStringList::SetUseNameAsKey(bool Value) {
  if (Value == FUseNameAsKey) return;
  FUseNameAsKey = Value;
  RebuildHash();
}

void TQxHashedStringList::RebuildHash() {
  FKeyHash.Clear();
  FKeyHash.FCaseSensitive = FCaseSensitive;
  for (TQxStringItem* item : FList)
    if (Hashed(*item)) FKeyHash.Add(KeyOf(*item), item);
}

std::vector<std::string> TQxHashedStringList::Lines() const {
  std::vector<std::string> out;
  out.reserve(FList.size());
  for (const TQxStringItem* item : FList) out.push_back(item->Str);
  return out;
}

bool TQxHashedStringList::LoadFromFile(std::string_view gamePath) {
  auto bytes = plat::ReadFile(gamePath);
  if (!bytes) return false;
  Clear();
  for (auto& line : QxSplitLines(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size())))
    Add(std::move(line));
  return true;
}

bool TQxHashedStringList::SaveToFile(std::string_view gamePath) const {
  std::string text = QxJoinLines(Lines());
  return ReplaceFileContents(
      gamePath, std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}
