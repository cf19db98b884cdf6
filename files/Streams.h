// Byte streams for the game's file formats: an abstract stream with a position,
// and a growable in-memory stream. Every archive routine reads and writes
// through these, so a whole archive can live in memory (tests, the data build)
// as well as on disk. Reads never go past the end: they return fewer bytes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
 public:
  virtual ~TStream() = default;

  // Reads up to count bytes at the position and moves past them; the number
  // read is smaller than count only at the end of the stream.
  virtual size_t Read(void* buffer, size_t count) = 0;
  // Writes count bytes at the position; false if they could not all be written.
  virtual bool Write(const void* buffer, size_t count) = 0;
  // Moves the position; a result below 0 is clamped to 0. Returns the new position.
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
  virtual int64_t Size() const = 0;

  int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
  void SetPosition(int64_t pos) { Seek(pos, TSeekOrigin::soBeginning); }
  // Reads exactly count bytes or reports false (the position then stands at the end).
  bool ReadBuffer(void* buffer, size_t count) { return Read(buffer, count) == count; }
  // Copies count bytes from src's position (count 0: from position 0 to the
  // end, as the class library does). Returns the number of bytes copied.
  int64_t CopyFrom(TStream& src, int64_t count);
};

class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::vector<uint8_t> bytes) : FData(std::move(bytes)) {}
  TMemoryStream(const void* data, size_t size);

  size_t Read(void* buffer, size_t count) override;
  bool Write(const void* buffer, size_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() const override { return int64_t(FData.size()); }

  // Changes the size; new bytes are zero. The position is kept.
  void SetSize(size_t size) { FData.resize(size); }
  void Clear() { FData.clear(); FPos = 0; }
  void Reserve(size_t capacity) { FData.reserve(capacity); }

  const uint8_t* Memory() const { return FData.data(); }
  uint8_t* Memory() { return FData.data(); }
  std::span<const uint8_t> Bytes() const { return FData; }
  std::vector<uint8_t>& Data() { return FData; }
  // Hands the bytes over and leaves the stream empty.
  std::vector<uint8_t> TakeBytes();

  // Replaces the contents with a whole file (position 0); false if it cannot be
  // read, and the stream is then empty. Paths are game paths (see platform/Files.h).
  bool LoadFromFile(std::string_view gamePath);
  // Writes the whole contents to a file (through a temporary name, so a failed
  // write leaves any old file as it was); false on any failure.
  bool SaveToFile(std::string_view gamePath) const;

 private:
  std::vector<uint8_t> FData;
  size_t FPos = 0;
};

// base + offset, kept within [0, INT64_MAX]: where a seek may land.
int64_t ClampedAdd(int64_t base, int64_t offset);

// Writes bytes to a file so that the file under its final name is either the
// old one or the complete new one, synced to disk (see plat::WriteFile). False
// (and no temporary file left) on any failure.
bool ReplaceFileContents(std::string_view gamePath, std::span<const uint8_t> bytes);
