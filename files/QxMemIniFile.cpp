#include "files/QxMemIniFile.h"

#include <span>

#include "files/Streams.h"
#include "platform/Files.h"

namespace {

// Messages (Shift-JIS).
// "空のセクション名" (empty section name)
constexpr const char* kMsgEmptySection = "\x8B\xF3\x82\xCC\x83Z\x83N\x83V\x83\x87\x83\x93\x96\xBC";
// "値が CR を含む" (the value contains CR)
constexpr const char* kMsgValueCR = "\x92l\x82\xAA CR \x82\xF0\x8A\xDC\x82\xDE";
// "値が LF を含む" (the value contains LF)
constexpr const char* kMsgValueLF = "\x92l\x82\xAA LF \x82\xF0\x8A\xDC\x82\xDE";
// "無名セクションは削除できません" (the unnamed section cannot be erased)
constexpr const char* kMsgEraseUnnamed =
    "\x96\xB3\x96\xBC\x83Z\x83N\x83V\x83\x87\x83\x93\x82\xCD\x8D\xED\x8F\x9C\x82\xC5\x82\xAB\x82"
    "\xDC\x82\xB9\x82\xF1";
// "空の名前" (empty name)
constexpr const char* kMsgEmptyName = "\x8B\xF3\x82\xCC\x96\xBC\x91O";
// "名前が "=" を含んでいる" (the name contains "=")
constexpr const char* kMsgNameEquals =
    "\x96\xBC\x91O\x82\xAA \"=\" \x82\xF0\x8A\xDC\x82\xF1\x82\xC5\x82\xA2\x82\xE9";
// "名前の先頭が ";"" (the name starts with ";")
constexpr const char* kMsgNameSemicolon = "\x96\xBC\x91O\x82\xCC\x90\xE6\x93\xAA\x82\xAA \";\"";

void CheckKeyName(std::string_view Name) {
  std::string n = QxTrim(Name);
  if (n.empty()) throw EQxMemIniFileInvalidName(kMsgEmptyName);
  if (n.find('=') != std::string::npos) throw EQxMemIniFileInvalidName(kMsgNameEquals);
  if (n[0] == ';') throw EQxMemIniFileInvalidName(kMsgNameSemicolon);
}

// Takes the text inside leading double quotes, halving doubled ones; a value
// without them, or with nothing inside them, stays as it is.
std::string Unquote(const std::string& value) {
  if (value.empty() || value[0] != '"') return value;
  std::string inner;
  size_t i = 1;
  while (i < value.size()) {
    if (value[i] == '"') {
      if (i + 1 < value.size() && value[i + 1] == '"') {
        inner += '"';
        i += 2;
        continue;
      }
      break;
    }
    inner += value[i++];
  }
  return inner.empty() ? value : inner;
}

std::vector<std::string> NormaliseComment(const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  for (const auto& l : lines) {
    std::string t = QxTrim(l);
    out.push_back(!t.empty() && t[0] == ';' ? l : ";" + l);
  }
  return out;
}

}  // namespace

// ---- Section --------------------------------------------------------------------

TQxMemIniSection::TQxMemIniSection() { FKeys.SetUseNameAsKey(true); }

void TQxMemIniSection::WriteString(std::string_view Name, std::string_view Value) {
  CheckKeyName(Name);
  FKeys.SetValuesByName(QxTrim(Name), Value);
}

std::string TQxMemIniSection::ReadString(std::string_view Name, std::string_view Default) const {
  std::string n = QxTrim(Name);
  if (!FKeys.NameExists(n)) return std::string(Default);
  return Unquote(FKeys.GetValuesByName(n));
}

void TQxMemIniSection::DeleteKey(std::string_view Name) {
  int i = FKeys.IndexOfName(QxTrim(Name));
  if (i >= 0) FKeys.Delete(i);
}

void TQxMemIniSection::WriteComment(std::string_view Name, const std::vector<std::string>& Comment) {
  int i = FKeys.IndexOfName(QxTrim(Name));
  if (i < 0) return;
  auto* c = new TQxComment;
  c->FComment = NormaliseComment(Comment);
  FKeys.PutObject(i, c);
}

void TQxMemIniSection::GetStrings(std::vector<std::string>& List) const {
  for (int i = 0; i < FKeys.Count(); ++i) {
    if (auto* c = dynamic_cast<TQxComment*>(FKeys.GetObject(i)))
      List.insert(List.end(), c->FComment.begin(), c->FComment.end());
    List.push_back(FKeys.Get(i));
  }
}

// ---- File -----------------------------------------------------------------------

TQxMemIniFile::TQxMemIniFile(std::string_view FileName) : FFileName(FileName) {
  AddSection("");
  LoadValues();
}

void TQxMemIniFile::LoadValues() {
  if (FFileName.empty() || !plat::FileExists(FFileName)) return;
  auto bytes = plat::ReadFile(FFileName);
  if (!bytes) return;
  SetStrings(QxSplitLines(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size())));
}

TQxMemIniSection* TQxMemIniFile::FindSection(std::string_view Section) const {
  return static_cast<TQxMemIniSection*>(FSections.GetObjectsByString(QxTrim(Section)));
}

TQxMemIniSection* TQxMemIniFile::AddSection(std::string_view Name) {
  auto* s = new TQxMemIniSection;
  FSections.AddObject(std::string(Name), s);
  return s;
}

std::string TQxMemIniFile::ReadString(std::string_view Section, std::string_view Ident,
                                      std::string_view Default) const {
  const TQxMemIniSection* s = FindSection(Section);
  return s ? s->ReadString(Ident, Default) : std::string(Default);
}

void TQxMemIniFile::WriteString(std::string_view Section, std::string_view Ident,
                                std::string_view Value) {
  std::string name = QxTrim(Section);
  if (name.empty()) throw EQxMemIniFileInvalidSection(kMsgEmptySection);
  if (Value.find('\r') != std::string_view::npos) throw EQxMemIniFileInvalidValue(kMsgValueCR);
  if (Value.find('\n') != std::string_view::npos) throw EQxMemIniFileInvalidValue(kMsgValueLF);
  CheckKeyName(Ident);  // before the section is added, so a refused write changes nothing
  TQxMemIniSection* s = FindSection(name);
  if (!s) s = AddSection(name);
  s->WriteString(Ident, Value);
}

bool QxStrToInt(std::string_view text, int32_t& value) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  int base = 10;
  if (i < text.size() && text[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= text.size()) return false;
  uint64_t v = 0;
  for (; i < text.size(); ++i) {
    char c = text[i];
    int d = c >= '0' && c <= '9'   ? c - '0'
            : c >= 'a' && c <= 'f' ? c - 'a' + 10
            : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                   : 99;
    if (d >= base) return false;
    v = v * uint64_t(base) + uint64_t(d);
    if (v > 0xFFFFFFFFull) return false;
  }
  if (base == 10) {
    if (v > (negative ? 0x80000000ull : 0x7FFFFFFFull)) return false;
    value = negative ? int32_t(-int64_t(v)) : int32_t(v);
  } else {
    value = int32_t(uint32_t(v));  // hexadecimal is a 32-bit pattern
    if (negative) value = int32_t(0u - uint32_t(value));
  }
  return true;
}

int32_t TQxMemIniFile::ReadInteger(std::string_view Section, std::string_view Ident,
                                   int32_t Default) const {
  int32_t v;
  return QxStrToInt(ReadString(Section, Ident, ""), v) ? v : Default;
}

void TQxMemIniFile::WriteInteger(std::string_view Section, std::string_view Ident, int32_t Value) {
  WriteString(Section, Ident, std::to_string(Value));
}

bool TQxMemIniFile::ReadBool(std::string_view Section, std::string_view Ident, bool Default) const {
  return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TQxMemIniFile::WriteBool(std::string_view Section, std::string_view Ident, bool Value) {
  WriteString(Section, Ident, Value ? "1" : "0");
}

bool TQxMemIniFile::SectionExists(std::string_view Section) const {
  return FindSection(Section) != nullptr && !QxTrim(Section).empty();
}

bool TQxMemIniFile::ValueExists(std::string_view Section, std::string_view Ident) const {
  const TQxMemIniSection* s = FindSection(Section);
  return s && s->FKeys.NameExists(QxTrim(Ident));
}

void TQxMemIniFile::ReadSection(std::string_view Section, std::vector<std::string>& Strings) const {
  Strings.clear();
  if (const TQxMemIniSection* s = FindSection(Section))
    for (int i = 0; i < s->FKeys.Count(); ++i) Strings.push_back(s->FKeys.Names(i));
}

void TQxMemIniFile::ReadSections(std::vector<std::string>& Strings) const {
  Strings.clear();
  for (int i = 0; i < FSections.Count(); ++i)
    if (!FSections.Get(i).empty()) Strings.push_back(FSections.Get(i));
}

void TQxMemIniFile::ReadSectionValues(std::string_view Section,
                                      std::vector<std::string>& Strings) const {
  Strings.clear();
  if (const TQxMemIniSection* s = FindSection(Section)) Strings = s->FKeys.Lines();
}

void TQxMemIniFile::EraseSection(std::string_view Section) {
  std::string name = QxTrim(Section);
  if (name.empty()) throw EQxMemIniFileInvalidSection(kMsgEraseUnnamed);
  int i = FSections.IndexOf(name);
  if (i >= 0) FSections.Delete(i);
}

void TQxMemIniFile::DeleteKey(std::string_view Section, std::string_view Ident) {
  if (TQxMemIniSection* s = FindSection(Section)) s->DeleteKey(Ident);
}

void TQxMemIniFile::WriteSectionComment(std::string_view Section,
                                        const std::vector<std::string>& Comment) {
  if (TQxMemIniSection* s = FindSection(Section)) s->FComment = NormaliseComment(Comment);
}

void TQxMemIniFile::WriteSectionComment(std::string_view Section, std::string_view Comment) {
  WriteSectionComment(Section, QxSplitLines(Comment));
}

void TQxMemIniFile::WriteComment(std::string_view Section, std::string_view Ident,
                                 const std::vector<std::string>& Comment) {
  if (TQxMemIniSection* s = FindSection(Section)) s->WriteComment(Ident, Comment);
}

void TQxMemIniFile::WriteComment(std::string_view Section, std::string_view Ident,
                                 std::string_view Comment) {
  WriteComment(Section, Ident, QxSplitLines(Comment));
}

void TQxMemIniFile::GetStrings(std::vector<std::string>& List) const {
  List.clear();
  const TQxMemIniSection* unnamed = nullptr;
  for (int i = 0; i < FSections.Count(); ++i) {
    auto* s = static_cast<const TQxMemIniSection*>(FSections.GetObject(i));
    if (FSections.Get(i).empty()) {
      unnamed = s;
      continue;
    }
    List.insert(List.end(), s->FComment.begin(), s->FComment.end());
    List.push_back("[" + FSections.Get(i) + "]");
    List.emplace_back();
    s->GetStrings(List);
    List.emplace_back();
  }
  if (unnamed) List.insert(List.end(), unnamed->FComment.begin(), unnamed->FComment.end());
}

void TQxMemIniFile::SetStrings(const std::vector<std::string>& List) {
  FSections.Clear();
  AddSection("");
  std::vector<std::string> pending;
  TQxMemIniSection* current = nullptr;
  for (const std::string& line : List) {
    std::string t = QxTrim(line);
    if (t.empty()) continue;
    if (t[0] == ';') {
      pending.push_back(line);
    } else if (t.size() >= 2 && t.front() == '[' && t.back() == ']') {
      std::string name = QxTrim(std::string_view(t).substr(1, t.size() - 2));
      if (name.empty()) continue;
      current = FindSection(name);
      if (!current) current = AddSection(name);
      if (!pending.empty()) current->FComment = std::move(pending), pending.clear();
    } else if (current) {
      size_t eq = t.find('=');
      std::string name = eq == std::string::npos ? t : QxTrim(std::string_view(t).substr(0, eq));
      if (name.empty()) continue;
      std::string value = eq == std::string::npos ? std::string() : Unquote(QxTrim(std::string_view(t).substr(eq + 1)));
      current->WriteString(name, value);
      if (!pending.empty()) {
        current->WriteComment(name, pending);
        pending.clear();
      }
    }
  }
  if (auto* unnamed = FindSection("")) unnamed->FComment = std::move(pending);
}

bool TQxMemIniFile::UpdateFile() const {
  std::vector<std::string> lines;
  GetStrings(lines);
  std::string text = QxJoinLines(lines);
  return ReplaceFileContents(
      FFileName, std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}
