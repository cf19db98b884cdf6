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

plat::PngTrueColour BuildContactSheet(const std::vector<NamedPicture>& pictures,
                                      const std::vector<Pose>& poses);

}  // namespace art
