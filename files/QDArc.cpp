#include "files/QDArc.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <filesystem>
#include <unordered_set>

#include "platform/Files.h"

static_assert(std::endian::native == std::endian::little,
              "the archive records are read as little-endian images");

namespace {

uint8_t AsciiLower(uint8_t c) { return c >= 'A' && c <= 'Z' ? uint8_t(c + 32) : c; }
uint8_t AsciiUpper(uint8_t c) { return c >= 'a' && c <= 'z' ? uint8_t(c - 32) : c; }

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(uint8_t(a[i])) != AsciiLower(uint8_t(b[i]))) return false;
  return true;
}

// The first four characters of a tag, upper-cased, zero-padded.
std::array<char, 4> TagBytes(std::string_view tag) {
  std::array<char, 4> t{};
  for (size_t i = 0; i < t.size(); ++i) t[i] = i < tag.size() ? char(AsciiUpper(uint8_t(tag[i]))) : 0;
  return t;
}

std::string LowerCopy(std::string_view s) {
  std::string out(s);
  for (auto& ch : out) ch = char(AsciiLower(uint8_t(ch)));
  return out;
}

// A read-only stream over bytes owned elsewhere.
class SpanStream : public TStream {
 public:
  explicit SpanStream(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  size_t Read(void* buffer, size_t count) override {
    if (pos_ >= bytes_.size()) return 0;
    size_t n = std::min(count, bytes_.size() - pos_);
    std::memcpy(buffer, bytes_.data() + pos_, n);
    pos_ += n;
    return n;
  }
  bool Write(const void*, size_t) override { return false; }
  int64_t Seek(int64_t offset, TSeekOrigin origin) override {
    int64_t base = origin == TSeekOrigin::soBeginning ? 0
                   : origin == TSeekOrigin::soCurrent ? int64_t(pos_)
                                                      : int64_t(bytes_.size());
    pos_ = size_t(ClampedAdd(base, offset));
    return int64_t(pos_);
  }
  int64_t Size() const override { return int64_t(bytes_.size()); }

 private:
  std::span<const uint8_t> bytes_;
  size_t pos_ = 0;
};

// The whole contents of a stream: borrowed from a memory stream, otherwise
// read into holder. The position is left unchanged.
std::span<const uint8_t> WholeStream(TStream& s, std::vector<uint8_t>& holder) {
  if (auto* ms = dynamic_cast<TMemoryStream*>(&s)) return ms->Bytes();
  int64_t keep = s.Position();
  s.SetPosition(0);
  holder.resize(size_t(std::max<int64_t>(s.Size(), 0)));
  holder.resize(s.Read(holder.data(), holder.size()));
  s.SetPosition(keep);
  return holder;
}

uint32_t LoadLE32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Checks the names a writer is given; empty string when they are acceptable.
std::string CheckNames(std::string_view tag, size_t sourceCount,
                       const std::vector<std::string>& IDs) {
  if (tag.empty()) return "empty archive tag";
  if (sourceCount < IDs.size()) return "fewer sources than entry names";
  std::unordered_set<std::string> seen;
  for (const auto& id : IDs) {
    if (id.size() >= kQDAIDSize) return "entry name longer than 243 bytes: " + id.substr(0, 40);
    if (id.find('\0') != std::string::npos) return "entry name holds a zero byte";
    if (!seen.insert(LowerCopy(id)).second) return "duplicate entry name: " + id;
  }
  return {};
}

// Builds the archive image into fs (empty at the start) from the sources.
bool BuildInto(TMemoryStream& fs, std::string_view tag, uint8_t v0, uint8_t v1, uint8_t v2,
               const std::vector<TStream*>& sources, const std::vector<std::string>& IDs,
               bool doCompress, std::string* error) {
  auto fail = [&](std::string why) {
    if (error) *error = std::move(why);
    return false;
  };
  if (auto why = CheckNames(tag, sources.size(), IDs); !why.empty()) return fail(why);
  const uint64_t dataStart = kQDAHeaderSize + uint64_t(kQDAEntrySize) * IDs.size();
  if (dataStart > UINT32_MAX) return fail("too many entries");
  uint8_t zero[kQDAHeaderSize]{};
  fs.Write(zero, sizeof zero);
  fs.SetPosition(int64_t(dataStart));
  for (size_t i = 0; i < IDs.size(); ++i) {
    if (!sources[i]) return fail("missing source for entry " + IDs[i]);
    sources[i]->SetPosition(0);
    bool ok = QDACompWrite(uint32_t(i), *sources[i], IDs, doCompress, fs);
    sources[i]->SetPosition(0);
    if (!ok) return fail("archive would pass 4 GiB");
  }
  if (fs.Size() < int64_t(dataStart)) fs.SetSize(size_t(dataStart));  // entries with no data
  WriteQFH(doCompress, uint32_t(IDs.size()), fs, tag, v0, v1, v2);
  return true;
}

}  // namespace

// ---- Index and extraction -------------------------------------------------------

std::optional<QDAIndex> ParseQDAIndex(std::span<const uint8_t> archive) {
  if (archive.size() < kQDAHeaderSize) return std::nullopt;
  QDAIndex index;
  std::memcpy(&index.header, archive.data(), kQDAHeaderSize);
  const uint64_t size = archive.size();
  const uint64_t count = index.header.DataCount;
  if (count > (size - kQDAHeaderSize) / kQDAEntrySize) return std::nullopt;
  const uint64_t dataStart = kQDAHeaderSize + count * kQDAEntrySize;
  const bool coded = index.header.Compress == 1;
  index.entries.resize(size_t(count));
  for (size_t i = 0; i < count; ++i) {
    TQDADataHeader& e = index.entries[i];
    std::memcpy(&e, archive.data() + kQDAHeaderSize + i * kQDAEntrySize, kQDAEntrySize);
    if (e.Offset < dataStart || uint64_t(e.Offset) + e.Length > size) return std::nullopt;
    if (!coded && e.Length != e.RestoredLength) return std::nullopt;
  }
  return index;
}

std::string QDAEntryName(const TQDADataHeader& entry) {
  const char* end = static_cast<const char*>(std::memchr(entry.ID, 0, kQDAIDSize));
  return std::string(entry.ID, end ? size_t(end - entry.ID) : kQDAIDSize);
}

int FindQDAEntry(const QDAIndex& index, std::string_view id) {
  for (size_t i = 0; i < index.entries.size(); ++i)
    if (EqualIgnoringCase(QDAEntryName(index.entries[i]), id)) return int(i);
  return -1;
}

std::optional<std::vector<uint8_t>> ReadQDAEntry(std::span<const uint8_t> archive,
                                                 const QDAIndex& index, size_t entry) {
  if (entry >= index.entries.size()) return std::nullopt;
  const TQDADataHeader& e = index.entries[entry];
  if (uint64_t(e.Offset) + e.Length > archive.size()) return std::nullopt;
  auto stored = archive.subspan(e.Offset, e.Length);
  if (index.header.Compress != 1) return std::vector<uint8_t>(stored.begin(), stored.end());
  auto decoded = BPEExpand(stored, e.RestoredLength);
  if (!decoded || decoded->size() != e.RestoredLength) return std::nullopt;
  return decoded;
}

std::optional<std::vector<uint8_t>> ExtractFromQDABytes(std::span<const uint8_t> archive,
                                                        std::string_view id) {
  auto index = ParseQDAIndex(archive);
  if (!index) return std::nullopt;
  int i = FindQDAEntry(*index, id);
  if (i < 0) return std::nullopt;
  return ReadQDAEntry(archive, *index, size_t(i));
}

std::unique_ptr<TMemoryStream> ExtractFromQDAFile(std::string_view FileName, std::string_view ID) {
  auto bytes = plat::ReadFile(FileName);
  if (!bytes) return nullptr;
  auto data = ExtractFromQDABytes(*bytes, ID);
  if (!data) return nullptr;
  return std::make_unique<TMemoryStream>(std::move(*data));
}

std::unique_ptr<TMemoryStream> ExtractFromQDAStream(TStream& Source, std::string_view ID) {
  std::vector<uint8_t> holder;
  auto bytes = WholeStream(Source, holder);
  Source.SetPosition(0);
  auto index = ParseQDAIndex(bytes);
  if (!index) return nullptr;
  int i = FindQDAEntry(*index, ID);
  if (i < 0) return nullptr;
  auto data = ReadQDAEntry(bytes, *index, size_t(i));
  if (!data) return nullptr;
  const TQDADataHeader& e = index->entries[size_t(i)];
  Source.SetPosition(int64_t(e.Offset) + e.Length);
  return std::make_unique<TMemoryStream>(std::move(*data));
}

void TQDAStream::Reset() {
  fIndex = {};
  fValid = false;
  qdStream.Clear();
}

void TQDAStream::LoadFromFile(std::string_view FileName) {
  Reset();
  fFileName = std::string(FileName);
  std::error_code ec;
  auto full = std::filesystem::absolute(plat::ResolvePath(FileName), ec);
  fFullPathName = ec ? plat::ResolvePath(FileName) : full.lexically_normal().string();
  if (!plat::FileExists(FileName)) return;  // an empty archive, not an error
  qdStream.LoadFromFile(FileName);
  auto index = ParseQDAIndex(qdStream.Bytes());
  if (index) {
    fIndex = std::move(*index);
    fValid = true;
  }
  qdStream.SetPosition(0);
}

void TQDAStream::LoadFromBytes(std::vector<uint8_t> bytes, std::string_view FileName) {
  Reset();
  fFileName = std::string(FileName);
  fFullPathName = fFileName;
  qdStream = TMemoryStream(std::move(bytes));
  auto index = ParseQDAIndex(qdStream.Bytes());
  if (index) {
    fIndex = std::move(*index);
    fValid = true;
  }
}

std::unique_ptr<TMemoryStream> ExtractFromQDAStream2(TQDAStream& Source, std::string_view ID) {
  if (!Source.fValid) return nullptr;
  int i = FindQDAEntry(Source.fIndex, ID);
  if (i < 0) return nullptr;
  auto data = ReadQDAEntry(Source.qdStream.Bytes(), Source.fIndex, size_t(i));
  if (!data) return nullptr;
  const TQDADataHeader& e = Source.fIndex.entries[size_t(i)];
  Source.qdStream.SetPosition(int64_t(e.Offset) + e.Length);
  return std::make_unique<TMemoryStream>(std::move(*data));
}

// ---- Writer -----------------------------------------------------------------------

bool QDACompWrite(uint32_t NowNo, TStream& datas, const std::vector<std::string>& IDs,
                  bool doCompress, TStream& fs) {
  if (NowNo >= IDs.size() || IDs[NowNo].size() >= kQDAIDSize) return false;
  datas.SetPosition(0);
  const int64_t restored = datas.Size();
  auto coded = Compress(doCompress, datas);
  const int64_t at = fs.Position();
  const int64_t end = at + coded->Size();
  if (restored > int64_t(UINT32_MAX) || end > int64_t(UINT32_MAX)) return false;
  if (!fs.Write(coded->Memory(), size_t(coded->Size()))) return false;
  TQDADataHeader rec{};
  rec.Offset = uint32_t(at);
  rec.Length = uint32_t(coded->Size());
  rec.RestoredLength = uint32_t(restored);
  std::memcpy(rec.ID, IDs[NowNo].data(), IDs[NowNo].size());
  fs.SetPosition(int64_t(kQDAHeaderSize + uint64_t(kQDAEntrySize) * NowNo));
  bool ok = fs.Write(&rec, sizeof rec);
  fs.SetPosition(end);
  return ok;
}

void WriteQFH(bool doCompress, uint32_t tDataCount, TStream& fs, std::string_view tSignUNQ,
              uint8_t tVer0, uint8_t tVer1, uint8_t tVer2) {
  TQDAFileHeader h{};
  std::memcpy(h.Signature, HQDSIGN, 4);
  std::memcpy(h.SignUNQ, TagBytes(tSignUNQ).data(), 4);
  h.Version[0] = tVer0;
  h.Version[1] = tVer1;
  h.Version[2] = tVer2;
  h.Compress = doCompress ? 1 : 0;
  h.DataCount = tDataCount;
  fs.SetPosition(0);
  fs.Write(&h, sizeof h);
  fs.SetPosition(32);
  TSHA256Table sha = _GetSHA256tbl(fs, fs.Size() - 32);
  fs.SetPosition(0);
  fs.Write(sha.data(), sizeof sha);
}

std::optional<std::vector<uint8_t>> BuildQDAArchive(
    std::string_view tSignUNQ, uint8_t tVer0, uint8_t tVer1, uint8_t tVer2,
    const std::vector<std::span<const uint8_t>>& sources, const std::vector<std::string>& IDs,
    bool doCompress, std::string* error) {
  std::vector<SpanStream> streams(sources.begin(), sources.end());
  std::vector<TStream*> ptrs;
  for (auto& s : streams) ptrs.push_back(&s);
  TMemoryStream fs;
  if (!BuildInto(fs, tSignUNQ, tVer0, tVer1, tVer2, ptrs, IDs, doCompress, error))
    return std::nullopt;
  return fs.TakeBytes();
}

bool CreateQDAFile(std::string_view FileName, std::string_view tSignUNQ, uint8_t tVer0,
                   uint8_t tVer1, uint8_t tVer2, const std::vector<TStream*>& SourceMS,
                   const std::vector<std::string>& IDs, bool doCompress, std::string* error) {
  TMemoryStream fs;
  if (!BuildInto(fs, tSignUNQ, tVer0, tVer1, tVer2, SourceMS, IDs, doCompress, error))
    return false;
  if (!ReplaceFileContents(FileName, fs.Bytes())) {
    if (error) *error = "cannot write " + std::string(FileName);
    return false;
  }
  return true;
}

// ---- Checks -------------------------------------------------------------------------

bool CheckFileHash(TStream& Source, uint8_t HashSize) {
  if (HashSize < 1 || HashSize > 8) return false;
  const int64_t stored = int64_t(HashSize) * 4;
  Source.SetPosition(0);
  if (Source.Size() < stored) return false;
  uint8_t digest[32]{};
  Source.Read(digest, size_t(stored));
  TSHA256Table sha = _GetSHA256tbl(Source, Source.Size() - stored);
  Source.SetPosition(0);
  return LoadLE32(digest) == sha[0];
}

bool CheckFileHashSAI(TStream& Source) { return CheckFileHash(Source, 1); }

bool CheckFileSignVer(TStream& Source, std::string_view tSg, uint8_t Ver0, uint8_t Ver1,
                      uint8_t Ver2) {
  Source.SetPosition(0);
  TQDAFileHeader h{};
  if (!Source.ReadBuffer(&h, sizeof h)) return false;
  if (std::memcmp(h.Signature, HQDSIGN, 4) != 0) return false;
  if (h.Version[0] != Ver0 || h.Version[1] != Ver1 || h.Version[2] != Ver2) return false;
  const std::array<char, 4> want = TagBytes(tSg);
  const size_t n = std::min<size_t>(tSg.size(), 3) + 1;
  return std::memcmp(h.SignUNQ, want.data(), n) == 0;
}

// ---- Single-stream files -------------------------------------------------------------

std::unique_ptr<TMemoryStream> ExtractFromQDASAIStream(TStream& Source) {
  TQDASAIFileHeader h{};
  if (!Source.ReadBuffer(&h, sizeof h)) return nullptr;
  if (Source.Size() < int64_t(kSAIHeaderSize) ||
      h.Length > uint64_t(Source.Size()) - kSAIHeaderSize)
    return nullptr;
  std::vector<uint8_t> coded(h.Length);
  Source.SetPosition(kSAIHeaderSize);
  if (!Source.ReadBuffer(coded.data(), coded.size())) return nullptr;
  auto decoded = BPEExpand(coded, h.RestoredLength);
  if (!decoded || decoded->size() != h.RestoredLength) return nullptr;
  return std::make_unique<TMemoryStream>(std::move(*decoded));
}

std::unique_ptr<TMemoryStream> ExtractFromQDASAIStream(TStream* Source) {
  return Source ? ExtractFromQDASAIStream(*Source) : nullptr;
}

std::unique_ptr<TMemoryStream> ExtractFromQDASAIStreamDB(TStream& Source) {
  if (Source.Size() < int64_t(kSAIHeaderSize + kSAIRecordSize)) return nullptr;
  Source.SetPosition(kSAIHeaderSize);
  auto out = std::make_unique<TMemoryStream>();
  out->SetSize(kSAIRecordSize);
  if (!Source.ReadBuffer(out->Memory(), kSAIRecordSize)) return nullptr;
  return out;
}

std::unique_ptr<TMemoryStream> ExtractFromQDASAIStreamDB(TStream* Source) {
  return Source ? ExtractFromQDASAIStreamDB(*Source) : nullptr;
}

namespace {
std::vector<uint8_t> SAIImage(std::span<const uint8_t> payload, uint32_t restored) {
  std::vector<uint8_t> out(kSAIHeaderSize + payload.size());
  TQDASAIFileHeader h{};
  std::memcpy(h.Signature, "DBCH", 4);
  h.Length = uint32_t(payload.size());
  h.RestoredLength = restored;
  std::memcpy(out.data(), &h, sizeof h);
  if (!payload.empty()) std::memcpy(out.data() + kSAIHeaderSize, payload.data(), payload.size());
  uint32_t h0 = GetSHA256Table(std::span<const uint8_t>(out).subspan(4))[0];
  std::memcpy(out.data(), &h0, 4);
  return out;
}
}  // namespace

std::vector<uint8_t> BuildSAIFile(std::span<const uint8_t> data) {
  return SAIImage(BPECompress(data), uint32_t(data.size()));
}

std::vector<uint8_t> BuildSAIFileDB(std::span<const uint8_t> record) {
  return SAIImage(record, uint32_t(record.size()));
}

bool CreateSAIFile(std::string_view FileName, std::span<const uint8_t> data) {
  return ReplaceFileContents(FileName, BuildSAIFile(data));
}
