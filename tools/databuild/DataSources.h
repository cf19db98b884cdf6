// Readers of the data build's own text sources under assets/: the frame table
// (DBBMPData.csv), the motion table (DBMotionData.txt) and the character palette
// sets (dbpal.txt). The tuning, rank, shot and team sources are read with the
// game's own importers (TGlbConst, shell/DBTextImport.h).
//
// Each reader fills its table from zero and reports every line it cannot use as
// "<file>:<line>: <what is wrong>"; a table is usable only when the error list
// stayed empty.
#pragma once
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "shell/SAIData.h"

namespace databuild {

using Errors = std::vector<std::string>;

// The frame table and the pose names its rows carry (name -> BmpNo).
struct FrameTable {
    BitMapData rows[DBBMP_COUNT] = {};
    std::map<std::string, int> poses;
};

void ReadFrameTable(std::string_view text, std::string_view file, FrameTable& out, Errors& errors);

// The motion table; a motion's Name field holds the name given in the source.
struct MotionTable {
    DBBaseMotionData motions[DBMOTION_COUNT] = {};
    int frameCount[DBMOTION_COUNT] = {};  // frames given per motion (0: motion not given)
};

void ReadMotionTable(std::string_view text, std::string_view file, const FrameTable& frames,
                     MotionTable& out, Errors& errors);

// One colour as the palette files store it.
struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

// 32 palette sets of 16 colours: set s, entry e is colour 16 (s mod 16) + e of
// palette file s div 16.
constexpr int kPalSets = 32;
constexpr int kPalEntries = 16;
struct PaletteSets {
    Rgb colour[kPalSets][kPalEntries] = {};
    bool given[kPalSets] = {};
};

void ReadPaletteSets(std::string_view text, std::string_view file, PaletteSets& out,
                     Errors& errors);

// The two 778-byte palette files: a 10-byte header, then 256 RGB triples.
constexpr size_t kPalFileSize = 778;
constexpr size_t kPalHeaderSize = 10;
std::array<std::vector<uint8_t>, 2> BuildPaletteFiles(const PaletteSets& sets);

}  // namespace databuild
