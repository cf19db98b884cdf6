// The picture side of the renderer's texture loading: turning picture files
// and archive entries into 32-bit working bitmaps, recolouring 8-bit pictures
// with one of the game's palettes, cutting a part out, merging an "_a" alpha
// companion, and reading the 778-byte palette files.
#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "graphics/QxDIB.h"
#include "platform/Pictures.h"

// One of the game's 256-colour palettes: the colour quads (blue, green, red,
// 0) and a logical palette of the same colours.
struct TPaletteData {
  TQxRGBQuad RGBQUAD256[256] = {};
  plat::HPalette HPal;
};

// The size of a palette file: a 10-byte header (not checked) and 256 x (R, G, B).
constexpr size_t EDGEPalFileSize = 778;

// Reads a palette file. Missing or unreadable files give null; a short file
// leaves the colours it lacks black. The file is only read.
std::unique_ptr<TPaletteData> LoadEDGEPaletteFile(std::string_view gamePath);
// The same over a palette file's bytes (only the first 778 are read).
std::unique_ptr<TPaletteData> ReadEDGEPalette(std::span<const uint8_t> bytes);

// A decoded picture, before cutting, and palette entry 0 when it was asked for
// and the picture is 8-bit.
struct ALPalEntry {
  uint8_t r = 0, g = 0, b = 0, flags = 0;
  bool operator==(const ALPalEntry&) const = default;
};
struct ALDecodedPicture {
  std::unique_ptr<plat::Bitmap> Bmp;
  bool PE_f = false;
  ALPalEntry PE;
  std::string Error;  // why Bmp is null
};

// Decodes picture bytes by their extension, compared exactly with ".bmp",
// ".jpg" and ".png". With a palette, an 8-bit BMP or PNG keeps its pixel
// indices and takes the palette's colours (for archive entries any 8-bit BMP,
// run-length coded ones included). With capturePE0, an 8-bit result reports
// its palette entry 0. Nothing here throws.
ALDecodedPicture ALDecodePicture(std::string_view ext, std::span<const uint8_t> data,
                                 const TPaletteData* pal, bool capturePE0, bool fromArchive);

// The last 8-bit PNG archive entry decoded with a palette: its bytes and the
// decoded picture. The same entry coming again with another palette (the
// 168 faces and 24 bodies cut from one character sheet each) takes that
// palette's colours on the kept pixel indices instead of being decoded again.
struct ALIndexedMemo {
  std::vector<uint8_t> Bytes;
  std::unique_ptr<plat::Bitmap> Bmp;
};
// ALDecodePicture for an archive entry, through the memo.
ALDecodedPicture ALDecodeEntryPicture(ALIndexedMemo& memo, std::string_view ext,
                                      std::span<const uint8_t> data, const TPaletteData* pal,
                                      bool capturePE0);

// The extension of a file name (from the last '.', "" when there is none) and
// the name of its alpha companion: base + "_a" + the same extension.
std::string_view ALExtension(std::string_view fileName);
std::string ALCompanionName(std::string_view fileName);

// A new 32-bit bitmap with the part r of src copied 1:1, every alpha 0. A
// rectangle whose right or bottom is 0 means the whole picture. The size is
// multiplied by aspect; pixels with no source (outside src) are 0.
plat::Bitmap SetColBmp(const plat::Bitmap& src, const plat::Rect& r, int aspect = 1);

// Gives every pixel of colour (32-bit) the blue byte of the companion's pixel
// at the same place as its alpha; pixels the companion does not cover get 0.
void MergeAlphaCompanion(plat::Bitmap& colour, const plat::Bitmap& companion);
