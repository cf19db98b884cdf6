// Pixel-format conversions of the device-independent bitmap store: depth
// changes between 1, 4, 8 and 24 bits, the run-length codecs (RLE4, RLE8),
// colour reduction to 16 or 256 colours and the two halftone conversions.
//
// Every conversion reads Old and fills New: New is Old's header and colour
// table with fresh pixel memory (GetMemory) and the fields the conversion
// changes. Old is never touched, so a failing conversion leaves the picture
// as it was. Rows are handled in storage order; the height used is |biHeight|.
//
// The run-length decoders treat their data as untrusted: every code is checked
// against the picture and against the end of the data before anything is read
// or written.
#pragma once
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "graphics/QxDIB.h"

// Called once per leaf of a colour cut (16 or 256 times per reduction); may
// be empty.
using QxProgress = std::function<void()>;

// ---- depth changes and run-length codecs ---------------------------------

void Convert8BitRGBTo8BitRLE(const TQxDIBInfos& Old, TQxDIBInfos& New, bool UseFMO);
void Convert4BitRGBTo4BitRLE(const TQxDIBInfos& Old, TQxDIBInfos& New, bool UseFMO);
void Convert8BitRLETo8BitRGB(const TQxDIBInfos& Old, TQxDIBInfos& New, bool UseFMO);
void Convert4BitRLETo4BitRGB(const TQxDIBInfos& Old, TQxDIBInfos& New, bool UseFMO);
void Convert1BitRGBTo4BitRGB(const TQxDIBInfos& Old, TQxDIBInfos& New, bool UseFMO);
void Convert1BitRGBTo8BitRGB(const TQxDIBInfos& Old, TQxDIBInfos& New, bool UseFMO);
void Convert4BitRGBTo8BitRGB(const TQxDIBInfos& Old, TQxDIBInfos& New, bool UseFMO);
void Convert1BitRGBToTrueColor(const TQxDIBInfos& Old, TQxDIBInfos& New, bool UseFMO);
void Convert4BitRGBToTrueColor(const TQxDIBInfos& Old, TQxDIBInfos& New, bool UseFMO);
void Convert8BitRGBToTrueColor(const TQxDIBInfos& Old, TQxDIBInfos& New, bool UseFMO);
// A pixel whose colour equals BGColor (0x00BBGGRR) becomes 1, every other 0;
// colour 0 is black and colour 1 white.
void ConvertTrueColorTo1BitRGB(const TQxDIBInfos& Old, TQxDIBInfos& New, uint32_t BGColor,
                               bool UseFMO);
void Convert8BitRGBTo1BitRGB(const TQxDIBInfos& Old, TQxDIBInfos& New, uint32_t BGColor,
                             bool UseFMO);
void Convert4BitRGBTo1BitRGB(const TQxDIBInfos& Old, TQxDIBInfos& New, uint32_t BGColor,
                             bool UseFMO);

// The run machines of the encoders on one row, without the end-of-line code
// and without a size limit (the encoders above refuse output that does not
// get smaller). RLE4 rows are given as their packed bytes and pixel width.
std::vector<uint8_t> QxEncodeRLE8Row(std::span<const uint8_t> row);
std::vector<uint8_t> QxEncodeRLE4Row(std::span<const uint8_t> row, int32_t width);

// ---- colour reduction and halftoning ---------------------------------------

// One colour cube of the reduction: its colour, its weight (after the cut,
// its colour-table index) and its place in the 5-6-5 grid.
struct TColorCube {
  int32_t R = 0, G = 0, B = 0, n = 0, Index = 0;
};

enum TDivideID : uint8_t { cidRed = 0, cidGreen = 1, cidBlue = 2, cidTerminal = 3 };

struct TCutHistoryNode {
  TDivideID DivideID = cidRed;
  long double ThreshHold = 0;
  uint8_t ColorIndex = 0;
  int32_t NextNodeIndexLow = 0, NextNodeIndexHigh = 0;
};

// The cuts of a fine reduction as a decision tree; node 0 is the root.
struct TCutHistory {
  int32_t nNodes = 0;
  TCutHistoryNode Nodes[512];
};

// The cut over items Low .. High - 1, recursing to MaxDepth; each leaf adds
// one colour and calls Progress (empty ranges call it too, so a cut always
// calls it 2^MaxDepth times). The upper half of each split gets the lower
// colour indices.
void CutCubes(int32_t Low, int32_t High, int32_t Depth, int32_t MaxDepth,
              std::vector<TColorCube>& Cubes, TQxRGBQuad* Colors, int32_t& NumColors,
              const QxProgress& Progress);
void CutPixels(int32_t Low, int32_t High, int32_t Depth, int32_t MaxDepth,
               std::vector<TQxTriple>& Bits, TQxRGBQuad* Colors, int32_t& NumColors,
               TCutHistory& History, int32_t HistoryNodeIndex, const QxProgress& Progress);

// The reduced colour table (NumColors entries) and the way pixels map to it.
void GetReducedColorsLow(const TQxDIBInfos& DIBInfos, int32_t& NumColors, TQxRGBQuad* Colors,
                         std::vector<uint8_t>& ColorTransTable, int32_t MaxDepth,
                         const QxProgress& Progress);
void GetReducedColorsHigh(const TQxDIBInfos& DIBInfos, int32_t& NumColors, TQxRGBQuad* Colors,
                          TCutHistory& History, int32_t MaxDepth, const QxProgress& Progress);
void GetReducedColorsFrom256(const TQxDIBInfos& DIBInfos, int32_t& NumColors,
                             TQxRGBQuad* Colors, uint8_t* ColorTransTable,
                             const QxProgress& Progress);
// The colour index a fine reduction's tree gives one pixel.
uint8_t QxWalkCutHistory(const TCutHistory& History, const TQxTriple& px);

// Normal quality cuts a 5-6-5 histogram, fine quality the pixels themselves.
void ConvertTrueColorTo8BitRGBLow(const TQxDIBInfos& Old, TQxDIBInfos& New,
                                  const QxProgress& Progress, bool UseFMO);
void ConvertTrueColorTo4BitRGBLow(const TQxDIBInfos& Old, TQxDIBInfos& New,
                                  const QxProgress& Progress, bool UseFMO);
void ConvertTrueColorTo8BitRGBHigh(const TQxDIBInfos& Old, TQxDIBInfos& New,
                                   const QxProgress& Progress, bool UseFMO);
void ConvertTrueColorTo4BitRGBHigh(const TQxDIBInfos& Old, TQxDIBInfos& New,
                                   const QxProgress& Progress, bool UseFMO);
// Cuts the colour-table entries an 8-bit picture uses down to 16.
void Convert8BitRGBTo4BitRGB(const TQxDIBInfos& Old, TQxDIBInfos& New,
                             const QxProgress& Progress, bool UseFMO);

// Serpentine error diffusion to the fixed 215-colour palette, or to black and
// white. Sources: uncompressed 1, 4, 8 or 24 bits.
void ConvertToHalfTone(const TQxDIBInfos& Old, TQxDIBInfos& New, bool UseFMO);
void ConvertToHalfToneBW(const TQxDIBInfos& Old, TQxDIBInfos& New, bool UseFMO);

// The halftone levels and the five reserved colours (red, green, blue).
inline constexpr uint8_t QxRedColors[6] = {0, 51, 102, 153, 204, 255};
inline constexpr uint8_t QxGreenColors[7] = {0, 43, 85, 128, 171, 214, 255};
inline constexpr uint8_t QxBlueColors[5] = {0, 64, 128, 192, 255};
inline constexpr uint8_t QxReservedColors[5][3] = {
    {128, 0, 0}, {128, 128, 0}, {128, 0, 128}, {192, 192, 192}, {128, 128, 128}};

// ---- shared by the conversion units ----------------------------------------

namespace qxconv {
// Old's header and colour table, no pixels.
TQxDIBInfos CopyHeader(const TQxDIBInfos& Old);
// |biHeight| of a header.
int64_t Rows(const TQxBitmapInfoHeader& h);
// rowBytes x rows, or -1 when that is more than a picture may take.
int64_t SizeOf(int64_t rowBytes, int64_t rows);
// Raises EQxDIBInvalidDIB (named after who) when an uncompressed source
// holds fewer bytes than its rows need.
void CheckRowsPresent(const TQxDIBInfos& Old, const char* who);
// Gives New zeroed pixel memory for its header's size and depth.
void TakeRows(TQxDIBInfos& New, bool UseFMO);
// The colour of pixel x of an uncompressed row of 1, 4, 8 or 24 bits.
TQxTriple PixelColour(const TQxDIBInfos& d, const uint8_t* row, int64_t x);
}  // namespace qxconv
