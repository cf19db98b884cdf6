// The QDA archive: a 256-byte header carrying a SHA-256 digest, a table of
// 256-byte named entries, and each entry's bytes, stored or byte-pair coded.
// Also the single-stream ("SAI") file: a 24-byte header and one coded stream,
// used for user team files and the entries of the default-team archive.
//
// Every reader treats its input as untrusted. A header, entry or coded stream
// that does not fit the data it came with reads as missing (a null result or
// false), never as a partial or stale result. Writers report failure as false
// and never leave a half-written file under the final name.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "files/Streams.h"
#include "files/uSha256.h"

inline constexpr char HQDSIGN[] = "HQDA";

// Byte-pair codec constants: block size, pair-count hash size, distinct byte
// values per block, and the least count a pair needs to be replaced.
inline constexpr int BLOCKSIZE = 8192;
inline constexpr int HASHSIZE = 8192;
inline constexpr int MAXCHARS = 200;
inline constexpr int THRESHOLD = 3;

inline constexpr size_t kQDAHeaderSize = 256;
inline constexpr size_t kQDAEntrySize = 256;
inline constexpr size_t kQDAIDSize = 244;  // a name holds at most 243 characters
inline constexpr size_t kSAIHeaderSize = 24;
inline constexpr size_t kSAIRecordSize = 232;  // raw payload of a default-team entry

// File images, all integers little-endian.
struct TQDAFileHeader {
  TSHA256Table SHA{};       // state words H0..H7 of the digest of bytes [32, EOF)
  char Signature[4]{};      // "HQDA"
  char SignUNQ[4]{};        // archive tag, upper-case, zero-padded
  uint8_t Version[3]{};
  uint8_t Compress = 0;     // 1: every entry is byte-pair coded; anything else: stored
  uint32_t DataCount = 0;
  uint8_t Reserved[208]{};
};
struct TQDADataHeader {
  uint32_t Offset = 0;          // absolute offset of the stored bytes
  uint32_t Length = 0;          // stored size
  uint32_t RestoredLength = 0;  // size after decoding
  char ID[kQDAIDSize]{};        // zero-terminated name
};
struct TQDASAIFileHeader {
  uint32_t Hash = 0;        // H0 of the digest of bytes [4, EOF)
  char Signature[4]{};
  uint8_t FileVer[2]{};
  uint8_t YOBI[6]{};
  uint32_t Length = 0;
  uint32_t RestoredLength = 0;
};
static_assert(sizeof(TQDAFileHeader) == kQDAHeaderSize);
static_assert(sizeof(TQDADataHeader) == kQDAEntrySize);
static_assert(sizeof(TQDASAIFileHeader) == kSAIHeaderSize);

// Declared for callers that want to raise archive errors; the routines here
// report through their results instead.
class EQDAError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// ---- Byte-pair codec -------------------------------------------------------

// Codes bytes into a sequence of blocks (an empty source gives one 8-byte block).
std::vector<uint8_t> BPECompress(std::span<const uint8_t> src);
// Decodes a whole coded stream. nullopt when the stream is damaged (truncated,
// a table that runs past code 255, a cyclic or too deep pair table, a block
// decoding to more than 8192 bytes) or when it decodes to more than maxLength.
std::optional<std::vector<uint8_t>> BPEExpand(std::span<const uint8_t> src, uint32_t maxLength);

// Stream forms. Compress codes src from its position to its end (comp false:
// a plain copy); the result stands at position 0. Expand decodes src from its
// position to its end; restoredLength is the most it may produce. nullptr when
// the stream is damaged.
std::unique_ptr<TMemoryStream> Compress(bool comp, TStream& src);
std::unique_ptr<TMemoryStream> Expand(TStream& src, uint32_t restoredLength);

// ---- Archive index -----------------------------------------------------------

// The header and entry table of an archive, every range checked against the
// data: the table fits, every entry lies inside the data area (32-bit
// wrap-around included) and a stored entry's two lengths agree.
struct QDAIndex {
  TQDAFileHeader header;
  std::vector<TQDADataHeader> entries;
};
// nullopt when the bytes are not a well-formed archive; such an archive has no
// entries for every reader.
std::optional<QDAIndex> ParseQDAIndex(std::span<const uint8_t> archive);
// The entry's name: up to its zero byte, or all 244 bytes when it has none.
std::string QDAEntryName(const TQDADataHeader& entry);
// Index of the first entry whose name equals id ignoring ASCII case; -1 if none.
int FindQDAEntry(const QDAIndex& index, std::string_view id);
// The entry's restored bytes; nullopt when its data are damaged.
std::optional<std::vector<uint8_t>> ReadQDAEntry(std::span<const uint8_t> archive,
                                                 const QDAIndex& index, size_t entry);
// Index lookup and read in one step; nullopt for a missing or damaged entry.
std::optional<std::vector<uint8_t>> ExtractFromQDABytes(std::span<const uint8_t> archive,
                                                        std::string_view id);

// ---- Writer --------------------------------------------------------------------

// Builds an archive in memory: one entry per name, taking source i for name i.
// Refused (nullopt, with a reason in *error): an empty tag, fewer sources than
// names, a name over 243 bytes or holding a zero byte, two names equal
// ignoring case (only the first could be found), or an archive past 4 GiB.
std::optional<std::vector<uint8_t>> BuildQDAArchive(
    std::string_view tSignUNQ, uint8_t tVer0, uint8_t tVer1, uint8_t tVer2,
    const std::vector<std::span<const uint8_t>>& sources, const std::vector<std::string>& IDs,
    bool doCompress, std::string* error = nullptr);
// Writes an archive file (replacing any old one only once it is complete).
// Each source is read from position 0 and left at position 0.
bool CreateQDAFile(std::string_view FileName, std::string_view tSignUNQ, uint8_t tVer0,
                   uint8_t tVer1, uint8_t tVer2, const std::vector<TStream*>& SourceMS,
                   const std::vector<std::string>& IDs, bool doCompress,
                   std::string* error = nullptr);
// The writer's two steps over an archive being built in fs. QDACompWrite
// appends entry NowNo's bytes at fs's position and fills its table record;
// WriteQFH writes the header and then the digest over bytes [32, end).
bool QDACompWrite(uint32_t NowNo, TStream& datas, const std::vector<std::string>& IDs,
                  bool doCompress, TStream& fs);
void WriteQFH(bool doCompress, uint32_t tDataCount, TStream& fs, std::string_view tSignUNQ,
              uint8_t tVer0, uint8_t tVer1, uint8_t tVer2);

// ---- Readers -------------------------------------------------------------------

// Loads the archive file and extracts the entry; nullptr when the file cannot
// be read, the archive is malformed, or the entry is missing or damaged.
std::unique_ptr<TMemoryStream> ExtractFromQDAFile(std::string_view FileName, std::string_view ID);
// The same over an archive in a stream. A found entry leaves Source after its
// data; otherwise Source stands at 0.
std::unique_ptr<TMemoryStream> ExtractFromQDAStream(TStream& Source, std::string_view ID);

// An archive held in memory for repeated extraction. No checks are made on
// loading: a missing or malformed file simply has no entries.
class TQDAStream {
 public:
  TQDAStream() = default;
  explicit TQDAStream(std::string_view FileName) : fFileName(FileName) { LoadFromFile(FileName); }

  void LoadFromFile(std::string_view FileName);
  // Takes an archive image directly (tests, archives built in memory).
  void LoadFromBytes(std::vector<uint8_t> bytes, std::string_view FileName = {});

  const std::string& FileName() const { return fFileName; }
  const std::string& FullPathName() const { return fFullPathName; }
  // The header and entry table, empty when the archive did not parse.
  const TQDAFileHeader& Header() const { return fIndex.header; }
  const std::vector<TQDADataHeader>& Entries() const { return fIndex.entries; }
  bool Valid() const { return fValid; }

  // The whole file. Extraction does not depend on its position; it leaves the
  // position after the extracted entry's data.
  TMemoryStream qdStream;

 private:
  friend std::unique_ptr<TMemoryStream> ExtractFromQDAStream2(TQDAStream& Source,
                                                              std::string_view ID);
  void Reset();

  std::string fFullPathName;
  std::string fFileName;
  QDAIndex fIndex{};  // header and entry table
  bool fValid = false;
};
std::unique_ptr<TMemoryStream> ExtractFromQDAStream2(TQDAStream& Source, std::string_view ID);

// ---- Checks --------------------------------------------------------------------

// Reads the stored digest (HashSize words, 1..8) at the start, hashes the rest
// of the stream and compares the first word, which alone decides. False for a
// stream shorter than the stored digest. The position returns to 0.
bool CheckFileHash(TStream& Source, uint8_t HashSize);
bool CheckFileHashSAI(TStream& Source);
// Magic "HQDA", the three version bytes, and the tag: the upper-cased tSg over
// min(L, 3) + 1 bytes. The stream is left after the header.
bool CheckFileSignVer(TStream& Source, std::string_view tSg, uint8_t Ver0, uint8_t Ver1,
                      uint8_t Ver2);

// ---- Single-stream files -------------------------------------------------------

// Decodes the stream behind the 24-byte header (the header is read at the
// position, the data from offset 24). nullptr when the lengths do not fit the
// stream or the coded data are damaged or decode to another size.
std::unique_ptr<TMemoryStream> ExtractFromQDASAIStream(TStream& Source);
std::unique_ptr<TMemoryStream> ExtractFromQDASAIStream(TStream* Source);
// The default-team form: the 232 raw bytes after the 24-byte header; nullptr
// when the stream is shorter than that (or Source is null).
std::unique_ptr<TMemoryStream> ExtractFromQDASAIStreamDB(TStream& Source);
std::unique_ptr<TMemoryStream> ExtractFromQDASAIStreamDB(TStream* Source);

// Builds a single-stream file image: signature "DBCH", file version 0, the
// data byte-pair coded, the digest word over bytes [4, end).
std::vector<uint8_t> BuildSAIFile(std::span<const uint8_t> data);
// The default-team entry form: the same header over the raw record bytes
// (Length = RestoredLength = the record's size), uncoded.
std::vector<uint8_t> BuildSAIFileDB(std::span<const uint8_t> record);
// Writes BuildSAIFile(data) to a file (temporary name, then replace).
bool CreateSAIFile(std::string_view FileName, std::span<const uint8_t> data);
