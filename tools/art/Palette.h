// The colours of the pictures. Scenery, menus, the item sheet and the font
// share one 16-colour palette (plus the key colour of the keyed sheets);
// character pictures use the 16 slots the game recolours per member.
#pragma once
#include <vector>

#include "tools/art/Canvas.h"

namespace art {

// Scenery palette indices.
enum Colour : uint8_t {
  kKey = 0,      // magenta: the transparent key of the font and item sheets
  kInk,          // near-black
  kNight,        // dark violet
  kSlate,        // grey-violet
  kMist,         // light grey
  kWhite,
  kRed,
  kOrange,
  kYellow,
  kForest,       // dark green
  kGrass,        // green
  kNavy,         // dark blue
  kBlue,
  kSky,          // light blue
  kBrown,
  kTan,
  kPink,
  kScenePaletteSize
};

inline std::vector<Rgb> ScenePalette() {
  return {{255, 0, 255},   {20, 16, 32},    {52, 44, 80},    {92, 84, 120},  {160, 156, 180},
          {244, 240, 232}, {200, 48, 56},   {240, 136, 48},  {252, 216, 88}, {40, 112, 72},
          {88, 176, 88},   {32, 56, 120},   {64, 120, 208},  {120, 200, 232}, {120, 72, 48},
          {208, 160, 104}, {232, 120, 152}};
}

// Character palette indices, in the order the game recolours them.
enum CharColour : uint8_t {
  cTrans = 0,
  cLine = 1,
  cEye = 2,
  cSkinHi = 3,
  cSkin = 4,
  cSkinLo = 5,
  cMouth = 6,
  cWhite = 7,
  cHairHi = 8,
  cHair = 9,
  cHairLo = 10,
  cPants = 11,
  cPantsLo = 12,
  cShirtHi = 13,
  cShirt = 14,
  cShirtLo = 15,
};

// A 256-entry palette in that convention with sample colours, so the
// character pictures look right in any viewer; the game replaces it.
inline std::vector<Rgb> DefaultCharPalette() {
  std::vector<Rgb> p(256, Rgb{0, 0, 0});
  const Rgb first[16] = {{160, 160, 160}, {49, 48, 66},    {40, 64, 150},   {255, 214, 180},
                         {246, 182, 138}, {214, 138, 100}, {168, 72, 64},   {248, 248, 240},
                         {120, 88, 60},   {80, 52, 32},    {48, 28, 16},    {56, 96, 200},
                         {32, 56, 136},   {255, 255, 255}, {224, 224, 216}, {168, 168, 176}};
  for (int i = 0; i < 16; ++i) p[i] = first[i];
  return p;
}

}  // namespace art
