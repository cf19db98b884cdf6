// A corpus of deliberately broken archives and single-stream files, generated
// from good ones: truncations, impossible counts, offsets and sizes, damaged
// coded streams, some with a digest that matches the damaged contents.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct QDACorpusCase {
  enum Kind { kArchive, kSAI };
  std::string name;
  Kind kind = kArchive;
  std::vector<uint8_t> bytes;
  std::vector<std::string> ids;  // names no reader may return data for
  bool hashBroken = false;       // the digest no longer matches
};

std::vector<QDACorpusCase> MakeBrokenQDACorpus();
