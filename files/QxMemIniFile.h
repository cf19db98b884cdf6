// An ini file held in memory that keeps its comments: a comment block in front
// of a section header stays with that section, one in front of a key stays
// with that key, and comments at the end of the file stay at the end. Keys and
// values are written back in a normalised form ("name=value", one empty line
// after each header and each section, CR LF line ends). Text is 8-bit and
// passes through byte for byte; section and key names match ignoring ASCII case.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "files/QxStringList.h"

// Raised, before anything changes, for a bad key name, section name or value.
// The messages are Shift-JIS text.
class EQxMemIniFileInvalidName : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
class EQxMemIniFileInvalidSection : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
class EQxMemIniFileInvalidValue : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The comment lines written in front of one key.
class TQxComment : public TQxObject {
 public:
  std::vector<std::string> FComment;
};

class TQxMemIniSection : public TQxObject {
 public:
  TQxMemIniSection();

  // Throws EQxMemIniFileInvalidName for an empty name (after trimming), a name
  // holding "=", or a name starting with ";".
  void WriteString(std::string_view Name, std::string_view Value);
  std::string ReadString(std::string_view Name, std::string_view Default) const;
  void DeleteKey(std::string_view Name);
  // Replaces the key's comment; nothing happens for a missing key.
  void WriteComment(std::string_view Name, const std::vector<std::string>& Comment);
  // The keys with their comments, in order.
  void GetStrings(std::vector<std::string>& List) const;

  std::vector<std::string> FComment;
  TQxHashedStringList FKeys{true};  // "name=value", object = TQxComment or none
};

class TQxMemIniFile {
 public:
  // Loads the file when it exists; a missing file gives an empty ini.
  explicit TQxMemIniFile(std::string_view FileName);
  virtual ~TQxMemIniFile() = default;
  TQxMemIniFile(const TQxMemIniFile&) = delete;
  TQxMemIniFile& operator=(const TQxMemIniFile&) = delete;

  const std::string& FileName() const { return FFileName; }
  bool CaseSensitive() const { return FSections.CaseSensitive(); }

  // The value unquoted; Default when the section or key is missing.
  std::string ReadString(std::string_view Section, std::string_view Ident,
                         std::string_view Default) const;
  // Throws EQxMemIniFileInvalidSection for an empty section name,
  // EQxMemIniFileInvalidValue for a value holding CR or LF, and
  // EQxMemIniFileInvalidName for a bad key name. Adds the section if needed.
  void WriteString(std::string_view Section, std::string_view Ident, std::string_view Value);

  // Decimal with an optional sign, or hexadecimal after "$" or "0x"; Default
  // when the text is not a number or does not fit in 32 bits.
  int32_t ReadInteger(std::string_view Section, std::string_view Ident, int32_t Default) const;
  void WriteInteger(std::string_view Section, std::string_view Ident, int32_t Value);
  bool ReadBool(std::string_view Section, std::string_view Ident, bool Default) const;
  void WriteBool(std::string_view Section, std::string_view Ident, bool Value);
  bool SectionExists(std::string_view Section) const;
  bool ValueExists(std::string_view Section, std::string_view Ident) const;

  void ReadSection(std::string_view Section, std::vector<std::string>& Strings) const;
  void ReadSections(std::vector<std::string>& Strings) const;
  void ReadSectionValues(std::string_view Section, std::vector<std::string>& Strings) const;
  // Throws EQxMemIniFileInvalidSection for an empty name (the unnamed section
  // holding the trailing comments cannot be erased).
  void EraseSection(std::string_view Section);
  void DeleteKey(std::string_view Section, std::string_view Ident);

  // Comment lines are stored so that each starts, after trimming, with ";".
  void WriteSectionComment(std::string_view Section, const std::vector<std::string>& Comment);
  void WriteSectionComment(std::string_view Section, std::string_view Comment);
  void WriteComment(std::string_view Section, std::string_view Ident,
                    const std::vector<std::string>& Comment);
  void WriteComment(std::string_view Section, std::string_view Ident, std::string_view Comment);

  // The whole file as lines, and the reverse (which replaces the contents).
  void GetStrings(std::vector<std::string>& List) const;
  void SetStrings(const std::vector<std::string>& List);
  // Writes the file (CR LF line ends), replacing it only once it is complete.
  bool UpdateFile() const;

 private:
  TQxMemIniSection* FindSection(std::string_view Section) const;
  TQxMemIniSection* AddSection(std::string_view Name);
  void LoadValues();

  std::string FFileName;
  TQxHashedStringList FSections{true};  // name -> TQxMemIniSection; "" holds trailing comments
};

// Parses an integer the way the ini reads one; false when it is not one.
bool QxStrToInt(std::string_view text, int32_t& value);
