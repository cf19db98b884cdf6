// The game's data archives are checked before anything is taken from them:
// the SHA-256 digest, the "HQDA" mark, the tag and the version the data build
// writes. A failed check stops the game with a short halt message; one line on
// stderr says which file it was and what was wrong with it.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "files/Streams.h"

// What is wrong with an archive image by those checks; "" when it passes.
// The image's position returns to 0.
std::string ArchiveProblem(TStream& image, std::string_view tag, uint8_t v0, uint8_t v1,
                           uint8_t v2);

// Writes "<program>: <path>: <problem>" to stderr, once: loaders that read
// the same archive one after another report its problem only the first time.
void ReportDataFileProblem(const std::string& path, const std::string& problem);

// Names a loose file of the authoring build that cannot be read (why, in
// plat::ReadFile's words), with what the game does without it, and says that
// `databuild --loose` writes it when it is missing; through
// ReportDataFileProblem, so a file read twice in a row is named once.
void ReportLooseFileProblem(const std::string& path, const std::string& why,
                            const std::string& without);

// A data archive read whole and checked. halt is -1 when it passed, 0 ("File
// Not Found") when it is missing and 2 ("File Ver Err") when it failed a
// check; a failure is reported on stderr. ms holds the file at position 0.
struct CheckedArchive {
  TMemoryStream ms;
  int halt = -1;
};
CheckedArchive OpenGameArchive(const std::string& path, std::string_view tag, uint8_t v0,
                               uint8_t v1, uint8_t v2);
