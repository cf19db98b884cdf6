#include "files/Streams.h"

#include <algorithm>
#include <cstring>

#include "platform/Files.h"

int64_t ClampedAdd(int64_t base, int64_t offset) {
  int64_t pos;
  if (__builtin_add_overflow(base, offset, &pos)) pos = offset > 0 ? INT64_MAX : 0;
  return std::max<int64_t>(pos, 0);
}

int64_t TStream::CopyFrom(TStream& src, int64_t count) {
  if (count == 0) {
    src.SetPosition(0);
    count = src.Size();
  }
  uint8_t buf[65536];
  int64_t copied = 0;
  while (copied < count) {
    size_t want = size_t(std::min<int64_t>(count - copied, int64_t(sizeof buf)));
    size_t got = src.Read(buf, want);
    if (got == 0 || !Write(buf, got)) break;
    copied += int64_t(got);
  }
  return copied;
}

TMemoryStream::TMemoryStream(const void* data, size_t size)
    : FData(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size) {}

size_t TMemoryStream::Read(void* buffer, size_t count) {
  if (FPos >= FData.size()) return 0;
  size_t n = std::min(count, FData.size() - FPos);
  if (n) std::memcpy(buffer, FData.data() + FPos, n);
  FPos += n;
  return n;
}

bool TMemoryStream::Write(const void* buffer, size_t count) {
  if (count == 0) return true;
  if (FPos > FData.max_size() - count) return false;
  if (FPos + count > FData.size()) FData.resize(FPos + count);  // a gap past the end reads as zeros
  std::memcpy(FData.data() + FPos, buffer, count);
  FPos += count;
  return true;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  int64_t base = origin == TSeekOrigin::soBeginning ? 0
                 : origin == TSeekOrigin::soCurrent ? int64_t(FPos)
                                                    : int64_t(FData.size());
  FPos = size_t(ClampedAdd(base, offset));
  return int64_t(FPos);
}

std::vector<uint8_t> TMemoryStream::TakeBytes() {
  std::vector<uint8_t> out;
  out.swap(FData);
  FPos = 0;
  return out;
}

bool TMemoryStream::LoadFromFile(std::string_view gamePath) {
  Clear();
  auto bytes = plat::ReadFile(gamePath);
  if (!bytes) return false;
  FData = std::move(*bytes);
  return true;
}

bool TMemoryStream::SaveToFile(std::string_view gamePath) const {
  return ReplaceFileContents(gamePath, FData);
}

bool ReplaceFileContents(std::string_view gamePath, std::span<const uint8_t> bytes) {
  if (plat::ResolvePath(gamePath).empty()) return false;
  return plat::WriteFile(gamePath, bytes.data(), bytes.size());
}
