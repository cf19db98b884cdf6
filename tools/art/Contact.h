// The contact sheet: every picture of the game at twice its size on one
// true-colour page, with every body frame of one team put together with its
// face, so a person can look the art over at a glance.
#pragma once
#include <string>
#include <vector>

#include "tools/art/Canvas.h"
#include "tools/art/Characters.h"

namespace art {

struct NamedPicture {
  std::string name;
  Picture picture;
};

// One team member as the game shows him: his face number and his palette,
// built the way the game builds it from the palette sets his looks name.
struct MemberLook {
  int face = 0;
  std::vector<Rgb> palette;
  std::vector<int> name;  // glyph numbers of his name; empty: a sample name is shown
};
using TeamLooks = std::vector<MemberLook>;  // seven members

// The first two default teams from the team source (CSV text) and the palette
// set source (text); what cannot be read falls back to the sample palette and
// faces 0..13, so the sheet is always made.
std::vector<TeamLooks> LoadTeamLooks(const std::string& teamCsv, const std::string& paletteText);

plat::PngTrueColour BuildContactSheet(const std::vector<NamedPicture>& pictures,
                                      const std::vector<Pose>& poses, const std::vector<TeamLooks>& teams);

}  // namespace art
