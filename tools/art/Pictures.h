// The pictures of the game, each built in memory from the text sources.
#pragma once
#include <string>
#include <vector>

#include "tools/art/Canvas.h"
#include "tools/art/Glyphs.h"

namespace art {

Picture BuildFontSheet(const GlyphSet& glyphs);
Picture BuildItemSheet(const GlyphSet& glyphs);
Picture BuildCourt(int look);
Picture BuildTitleScreen(const GlyphSet& glyphs);
Picture BuildModeSelectScreen(const GlyphSet& glyphs);
Picture BuildTeamSelectScreen(const GlyphSet& glyphs);
Picture BuildVersusScreen(const GlyphSet& glyphs);
Picture BuildPlayerSelectScreen(const GlyphSet& glyphs);
Picture BuildLoadingScreen(const GlyphSet& glyphs);

// Draws a ball of radius r centred at (cx, cy), its seam turned by spin
// (0..7); flash draws it in its bright special-shot colours.
void DrawBall(Canvas& c, int cx, int cy, int r, int spin, bool flash);

}  // namespace art
