// The data validator: the rules the match relies on, checked over the built
// tables before any data file is written. Each broken rule gives one message
// naming the table and the motion, frame, team member or row it found wrong.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "match/recordUnit.h"
#include "shell/SAIData.h"
#include "tools/art/Characters.h"
#include "tools/databuild/DataSources.h"

namespace databuild {

// Everything the data build writes, in the game's record form.
struct GameTables {
    std::array<std::vector<uint8_t>, 2> tuning;  // dbini.sai, dbini2.sai (556 bytes each)
    BitMapData frames[DBBMP_COUNT] = {};
    DBBaseMotionData motions[DBMOTION_COUNT] = {};
    DBRankData rank[2][DBRANK_ROWS] = {};  // normal rule, slow rule
    DBShootData shots[DBSHOOT_COUNT] = {};
    DTCharData members[DBTEAMS][DBMEMBERS] = {};  // abilities in DBDt
    PaletteSets palettes;
    std::vector<art::Pose> poses;  // the body pictures (art/poses.txt), to check held balls against
};

Errors Validate(const GameTables& t);

// The parts, each usable on its own (the tests break one table at a time).
void ValidateTuning(const std::vector<uint8_t>& cst, const char* name, Errors& errors);
void ValidateMotions(const GameTables& t, Errors& errors);
void ValidateRank(const DBRankData (&rank)[DBRANK_ROWS], const char* name, Errors& errors);
void ValidateShots(const DBShootData (&shots)[DBSHOOT_COUNT], Errors& errors);
void ValidateTeams(const DTCharData (&members)[DBTEAMS][DBMEMBERS], Errors& errors);
void ValidatePalettes(const PaletteSets& pal, Errors& errors);

// True when every character of a Shift-JIS text is a glyph of the bitmap font
// that is not covered by its framed digits (the katakana ァ..サ share their
// cells with the damage numbers' digits).
bool FontDrawsText(std::string_view sjis);

// The height of a held ball above the holder's feet in pixels for a frame.
int HeldBallHeight(const AnimeData& a, const BitMapData& f);

// The share of a held ball, in whole percent, that shows in a frame drawn with
// this body: all of it when it is drawn in front, else the pixels the body and
// the face leave uncovered, for the face that covers most of it.
int HeldBallShowing(const BitMapData& f, const art::Pose& body);

}  // namespace databuild
