#include "tests/QDACorpus.h"

#include <cstring>
#include <span>

#include "files/QDArc.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Put32(Bytes& b, size_t at, uint32_t v) { std::memcpy(b.data() + at, &v, 4); }
uint32_t Get32(const Bytes& b, size_t at) {
  uint32_t v;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}

// Makes the stored digest match the (damaged) contents again.
void Rehash(Bytes& arc) {
  TSHA256Table t = GetSHA256Table(std::span<const uint8_t>(arc).subspan(32));
  std::memcpy(arc.data(), t.data(), 32);
}

size_t EntryAt(size_t i) { return kQDAHeaderSize + kQDAEntrySize * i; }

// A cyclic pair table: code 0 = (1, 2), code 1 = (0, 2).
const Bytes kCyclic = {0x01, 0x01, 0x02, 0x00, 0x02, 0xFE, 0x81, 0xFD, 1, 0, 0, 0, 0x00};
// A count byte that runs the code index past 255.
const Bytes kOverrun = {0xFF, 0x00, 0x01, 0xFF, 0, 0, 0, 0};
// Code 0 = (1, 0), which repeats itself without end.
const Bytes kSelfLoop = {0x00, 0x01, 0x00, 0xFE, 0x80, 0xFE, 1, 0, 0, 0, 0x00};

}  // namespace

std::vector<QDACorpusCase> MakeBrokenQDACorpus() {
  std::vector<QDACorpusCase> out;
  const std::vector<std::string> ids = {"dbini.sai", "rank.bin", "face.png"};
  std::vector<Bytes> data = {Bytes(556, 7), Bytes(3000), Bytes(9000)};
  for (size_t i = 0; i < data[1].size(); ++i) data[1][i] = uint8_t(i * 31 % 251);
  for (size_t i = 0; i < data[2].size(); ++i) data[2][i] = uint8_t(i % 3 ? i : i / 7);
  const std::vector<std::span<const uint8_t>> spans(data.begin(), data.end());
  const Bytes coded = *BuildQDAArchive("DBDT", 0, 0, 0, spans, ids, true);
  const Bytes stored = *BuildQDAArchive("DBDT", 0, 0, 0, spans, ids, false);

  auto add = [&](std::string name, Bytes b, bool hashBroken) {
    out.push_back({std::move(name), QDACorpusCase::kArchive, std::move(b), ids, hashBroken});
  };
  // Truncated at many points: the last entry always loses data.
  for (const Bytes* base : {&coded, &stored}) {
    const char* kind = base == &coded ? "coded" : "stored";
    for (size_t n = 0; n < base->size(); n += (n < 1024 ? 13 : 997))
      add(std::string(kind) + " cut at " + std::to_string(n), Bytes(base->begin(), base->begin() + n), true);
    add(std::string(kind) + " cut by one", Bytes(base->begin(), base->end() - 1), true);
  }
  // Impossible counts, with a digest that matches.
  for (uint32_t count : {4u, 0x00FFFFFFu, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
    Bytes b = coded;
    Put32(b, 44, count);
    Rehash(b);
    add("count " + std::to_string(count), b, false);
  }
  // Entry ranges outside the data (each makes the whole archive unreadable).
  struct Patch { const char* what; size_t field; uint32_t value; };
  const uint32_t size = uint32_t(coded.size());
  for (Patch p : {Patch{"offset past end", 0, size + 10}, Patch{"offset at 0", 0, 0},
                  Patch{"offset in table", 0, 300}, Patch{"length past end", 4, size},
                  Patch{"offset wraps", 0, 0xFFFFFF00u}, Patch{"length wraps", 4, 0xFFFFFFF0u}}) {
    Bytes b = coded;
    Put32(b, EntryAt(1) + p.field, p.value);
    Rehash(b);
    add(p.what, b, false);
  }
  // Declared sizes that disagree with the data.
  {
    Bytes b = coded;
    for (size_t i = 0; i < ids.size(); ++i)
      Put32(b, EntryAt(i) + 8, Get32(b, EntryAt(i) + 8) - 1);
    Rehash(b);
    add("restored length one short", b, false);
    Bytes c = coded;
    for (size_t i = 0; i < ids.size(); ++i)
      Put32(c, EntryAt(i) + 8, Get32(c, EntryAt(i) + 8) + 1000);
    Rehash(c);
    add("restored length too long", c, false);
    Bytes d = stored;
    for (size_t i = 0; i < ids.size(); ++i) Put32(d, EntryAt(i) + 8, 0x7FFFFFFF);
    Rehash(d);
    add("stored lengths disagree", d, false);
  }
  // Damaged coded streams behind a good digest: the stored archive's bytes
  // are replaced by broken streams and the archive claims to be coded.
  for (const auto& [what, stream] :
       {std::pair{"cyclic table", kCyclic}, {"table overrun", kOverrun}, {"self loop", kSelfLoop}}) {
    std::vector<Bytes> broken(ids.size(), stream);
    std::vector<std::span<const uint8_t>> bs(broken.begin(), broken.end());
    Bytes b = *BuildQDAArchive("DBDT", 0, 0, 0, bs, ids, false);
    b[43] = 1;
    for (size_t i = 0; i < ids.size(); ++i) Put32(b, EntryAt(i) + 8, 1u << 20);
    Rehash(b);
    add(what, b, false);
  }
  {
    Bytes b = coded;  // every entry loses its last coded byte
    for (size_t i = 0; i < ids.size(); ++i) Put32(b, EntryAt(i) + 4, Get32(b, EntryAt(i) + 4) - 1);
    Rehash(b);
    add("coded stream cut short", b, false);
  }

  // Single-stream files.
  Bytes rec(256);
  for (size_t i = 0; i < rec.size(); ++i) rec[i] = uint8_t(i / 3);
  const Bytes sai = BuildSAIFile(rec);
  auto addSai = [&](std::string name, Bytes b) {
    out.push_back({std::move(name), QDACorpusCase::kSAI, std::move(b), {}, false});
  };
  for (size_t n = 0; n < sai.size(); n += 5) addSai("sai cut at " + std::to_string(n), Bytes(sai.begin(), sai.begin() + n));
  for (uint32_t len : {0xFFFFFFFFu, 0x80000000u, uint32_t(sai.size())}) {
    Bytes b = sai;
    Put32(b, 16, len);
    addSai("sai length " + std::to_string(len), b);
  }
  {
    Bytes b = sai;
    Put32(b, 20, Get32(b, 20) + 1);
    addSai("sai restored length off", b);
    Bytes c = BuildSAIFileDB(kCyclic);  // uncoded header over a broken stream
    Put32(c, 20, 4096);
    addSai("sai cyclic", c);
  }
  return out;
}
