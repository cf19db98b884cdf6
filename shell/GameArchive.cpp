#include "shell/GameArchive.h"

#include <cctype>
#include <cstring>

#include "files/QDArc.h"
#include "platform/Files.h"

namespace {
constexpr int HALT_NOFILE = 0;
constexpr int HALT_BADFILE = 2;
}  // namespace

std::string ArchiveProblem(TStream& image, std::string_view tag, uint8_t v0, uint8_t v1,
                           uint8_t v2) {
  std::string problem;
  if (image.Size() < int64_t(kQDAHeaderSize)) {
    problem = "damaged (" + std::to_string(image.Size()) + " bytes, too short for an archive)";
  } else if (!CheckFileHash(image, 8)) {
    problem = "damaged (its digest does not match its contents)";
  } else if (!CheckFileSignVer(image, tag, v0, v1, v2)) {
    // The header is whole (the digest covers it): find which field differs.
    TQDAFileHeader h;
    image.SetPosition(0);
    image.Read(&h, sizeof h);
    std::string wanted(tag.substr(0, 4));
    for (char& c : wanted) c = char(std::toupper(static_cast<unsigned char>(c)));
    if (std::memcmp(h.Signature, HQDSIGN, 4) != 0)
      problem = "not a data archive";
    else if (!CheckFileSignVer(image, tag, h.Version[0], h.Version[1], h.Version[2]))
      problem = "wrong archive (tag " + wanted + " expected)";
    else
      problem = "wrong version (" + std::to_string(v0) + "." + std::to_string(v1) + "." +
                std::to_string(v2) + " expected)";
  }
  image.SetPosition(0);
  return problem;
}

void ReportDataFileProblem(const std::string& path, const std::string& problem) {
  static std::string last;  // main thread only
  const std::string line = path + '\n' + problem;
  if (line == last) return;
  last = line;
  plat::ReportFileProblem(path, problem);
}

void ReportLooseFileProblem(const std::string& path, const std::string& why,
                            const std::string& without) {
  ReportDataFileProblem(path, why + "; " + without +
                                  (why == "missing" ? " (databuild --loose writes it)" : ""));
}

CheckedArchive OpenGameArchive(const std::string& path, std::string_view tag, uint8_t v0,
                               uint8_t v1, uint8_t v2) {
  CheckedArchive a;
  std::string unread;
  auto bytes = plat::ReadFile(path, SIZE_MAX, &unread);
  if (!bytes) {
    ReportDataFileProblem(path, unread);
    a.halt = HALT_NOFILE;
    return a;
  }
  a.ms = TMemoryStream(std::move(*bytes));
  const std::string problem = ArchiveProblem(a.ms, tag, v0, v1, v2);
  if (!problem.empty()) {
    ReportDataFileProblem(path, problem);
    a.halt = HALT_BADFILE;
  }
  return a;
}
