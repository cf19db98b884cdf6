// Libraries the game loads: the checks a file must pass before it reaches the
// system loader (on the build's own decoder library and on copies with one
// header field damaged), then loading, symbols and unloading.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <vector>

#include "platform/SharedLibrary.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

template <class T>
T Get(const Bytes& b, size_t at) {
  T v;
  std::memcpy(&v, b.data() + at, sizeof v);
  return v;
}
template <class T>
void Put(Bytes& b, size_t at, T v) {
  std::memcpy(b.data() + at, &v, sizeof v);
}

// Offsets in a 64-bit ELF file header and in one of its program headers.
constexpr size_t kType = 16, kMachine = 18, kPhOff = 32, kPhEntSize = 54, kPhNum = 56;
constexpr size_t kPhdrSize = 56, kPOffset = 8, kPFileSz = 32, kPMemSz = 40;
constexpr uint32_t kLoad = 1, kDynamic = 2, kNote = 4;

const char* const kPastEnd = "a loadable segment lies past the end of the file";

// Places a segment's file part; its memory part is at least as large.
void Segment(Bytes& b, size_t phdr, uint64_t offset, uint64_t fileSize) {
  Put<uint64_t>(b, phdr + kPOffset, offset);
  Put<uint64_t>(b, phdr + kPFileSz, fileSize);
  Put<uint64_t>(b, phdr + kPMemSz, std::max(fileSize, Get<uint64_t>(b, phdr + kPMemSz)));
}

// Where the first program header of a type lies in the file (0: none).
size_t PhdrOf(const Bytes& b, uint32_t type) {
  const size_t table = size_t(Get<uint64_t>(b, kPhOff));
  for (size_t i = 0; i < Get<uint16_t>(b, kPhNum); ++i)
    if (Get<uint32_t>(b, table + i * kPhdrSize) == type) return table + i * kPhdrSize;
  return 0;
}

TEST(SharedLibrary, OnlyAWholeLibraryOfThisMachineReachesTheLoader) {
  const fs::path built = fs::path(QORV_BINARY_DIR) / "game" / "data" / "wuvorbis.so";
  std::ifstream in(built, std::ios::binary);
  const Bytes good((std::istreambuf_iterator<char>(in)), {});
  ASSERT_GT(good.size(), 4096u);
  if (good[4] != 2 || good[5] != 1) GTEST_SKIP() << "not a 64-bit little-endian build";
  const size_t load = PhdrOf(good, kLoad), dyn = PhdrOf(good, kDynamic), note = PhdrOf(good, kNote);
  ASSERT_NE(load, 0u);
  ASSERT_NE(dyn, 0u);
  ASSERT_NE(note, 0u);
  const uint64_t size = good.size();
  const uint64_t loadAt = Get<uint64_t>(good, load + kPOffset);
  const fs::path dir = fs::temp_directory_path() / ("qorv_solib_" + std::to_string(std::random_device{}()));
  fs::create_directories(dir);

  struct Case {
    const char* name;
    std::function<void(Bytes&)> damage;
    const char* reason;  // "" when the file passes
  };
  const Case cases[] = {
      {"whole", [](Bytes&) {}, ""},
      {"63 bytes", [](Bytes& b) { b.resize(63); }, "too short for an ELF header"},
      {"header alone", [](Bytes& b) { b.resize(64), Put<uint16_t>(b, kPhNum, 0); },
       "damaged program header table"},
      {"no magic", [](Bytes& b) { b[1] = 'e'; }, "not an ELF file"},
      {"32-bit", [](Bytes& b) { b[4] = 1; }, "built for another machine"},
      {"big-endian", [](Bytes& b) { b[5] = 2; }, "built for another machine"},
      {"other machine", [](Bytes& b) { Put<uint16_t>(b, kMachine, Get<uint16_t>(b, kMachine) + 1); },
       "built for another machine"},
      {"a program", [](Bytes& b) { Put<uint16_t>(b, kType, 2); }, "not a shared object"},
      {"entry size", [](Bytes& b) { Put<uint16_t>(b, kPhEntSize, kPhdrSize - 1); },
       "damaged program header table"},
      {"extended count", [](Bytes& b) { Put<uint16_t>(b, kPhNum, 0xFFFF); },
       "damaged program header table"},
      {"table past the end", [=](Bytes& b) { Put<uint64_t>(b, kPhOff, size + 1); },
       "program headers lie past the end of the file"},
      {"table over the end", [=](Bytes& b) { Put<uint64_t>(b, kPhOff, size - kPhdrSize); },
       "program headers lie past the end of the file"},
      {"segment past the end", [=](Bytes& b) { Segment(b, load, size + 1, 0); }, kPastEnd},
      {"segment over the end", [=](Bytes& b) { Segment(b, load, loadAt, size - loadAt + 1); }, kPastEnd},
      {"segment up to the end", [=](Bytes& b) { Segment(b, load, loadAt, size - loadAt); }, ""},
      {"empty segment at the end", [=](Bytes& b) { Segment(b, load, size, 0); }, ""},
      {"file part over its memory",
       [=](Bytes& b) { Put<uint64_t>(b, load + kPMemSz, Get<uint64_t>(b, load + kPFileSz) - 1); },
       "damaged loadable segment"},
      {"dynamic over the end", [=](Bytes& b) { Put<uint64_t>(b, dyn + kPFileSz, size); }, kPastEnd},
      {"dynamic over its memory", [=](Bytes& b) { Put<uint64_t>(b, dyn + kPMemSz, 0); }, ""},
      {"note past the end", [=](Bytes& b) { Put<uint64_t>(b, note + kPOffset, size + 1); }, ""},
  };
  for (const Case& c : cases) {
    Bytes b = good;
    c.damage(b);
    const fs::path p = dir / "lib.so";
    std::ofstream(p, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(b.data()),
                                                              std::streamsize(b.size()));
    std::string why = "-";
    EXPECT_EQ(plat::CheckLoadableFile(p.string(), &why), !*c.reason) << c.name;
    EXPECT_EQ(why, *c.reason ? c.reason : "-") << c.name;
  }
  std::string why;
  EXPECT_FALSE(plat::CheckLoadableFile(dir.string(), &why));
  EXPECT_EQ(why, "not a regular file");
  EXPECT_FALSE(plat::CheckLoadableFile((dir / "none.so").string(), &why));
  EXPECT_EQ(why.rfind("cannot be opened (", 0), 0u) << why;
  EXPECT_FALSE(plat::CheckLoadableFile((dir / "none.so").string(), nullptr));

  // The whole library loads and gives its symbols; a refused file leaves
  // nothing loaded, not even the library loaded before.
  plat::SharedLibrary lib;
  ASSERT_TRUE(lib.Load(built.string())) << lib.Error();
  EXPECT_TRUE(lib.Loaded());
  EXPECT_NE(lib.Symbol("wu_ov_info"), nullptr);
  EXPECT_EQ(lib.Symbol("no_such_symbol"), nullptr);
  EXPECT_EQ(lib.ModuleFileName(), fs::canonical(built).string());
  lib.Unload();
  EXPECT_FALSE(lib.Loaded());
  EXPECT_EQ(lib.Symbol("wu_ov_info"), nullptr);
  EXPECT_EQ(lib.ModuleFileName(), "");
  // A file that passes the checks but that the system loader refuses (its
  // first segment is not page-aligned): the loader's reason is kept.
  if (size % 4096 != 0) {
    Bytes odd = good;
    Segment(odd, load, size, 0);
    std::ofstream(dir / "odd.so", std::ios::binary)
        .write(reinterpret_cast<const char*>(odd.data()), std::streamsize(odd.size()));
    EXPECT_FALSE(lib.Load((dir / "odd.so").string()));
    EXPECT_FALSE(lib.Error().empty());
    EXPECT_FALSE(lib.Loaded());
  }
  std::ofstream(dir / "short.so") << "ELF";
  ASSERT_TRUE(lib.Load(built.string()));
  EXPECT_FALSE(lib.Load((dir / "short.so").string()));
  EXPECT_EQ(lib.Error(), "too short for an ELF header");
  EXPECT_FALSE(lib.Loaded());
  EXPECT_EQ(lib.Symbol("wu_ov_info"), nullptr);
  EXPECT_EQ(lib.ModuleFileName(), "");
  fs::remove_all(dir);
  // Game paths become absolute host paths, taken against the current folder.
  EXPECT_EQ(plat::AbsoluteHostPath("qorv_nowhere\\..\\lib.so"), (fs::current_path() / "lib.so").string());
  EXPECT_EQ(plat::AbsoluteHostPath("/qorv_nowhere/./x/../lib.so"), "/qorv_nowhere/lib.so");
}

}  // namespace
