// Device-independent bitmaps: the shared pixel store TQxInternalDIB with the
// BMP file and packed-DIB formats, the picture class TQxDIB over it (shared
// stores, copy on write) and TQxDIBCanvas, a canvas whose drawing lands in a
// TQxDIB's pixels.
//
// The stores hold their pixels on the heap; UseFMO is kept as the flag the
// canvas checks, since every store made through TQxDIB has it set.
//
// Changing the pixel format (depth conversions, run-length coding, colour
// reduction and halftoning) lives in graphics/QxDIBConvert.h.
#pragma once
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "graphics/QxGraph.h"
#include "platform/Pictures.h"

// ------------------------------------------------------------------ errors

struct EQxDIBError : std::runtime_error {
  using std::runtime_error::runtime_error;
};
struct EQxDIBInvalidDIB : EQxDIBError { using EQxDIBError::EQxDIBError; };
struct EQxDIBInvalidDIBFile : EQxDIBError { using EQxDIBError::EQxDIBError; };
struct EQxDIBInvalidDIBPara : EQxDIBError { using EQxDIBError::EQxDIBError; };
struct EQxDIBBadDIBType : EQxDIBError { using EQxDIBError::EQxDIBError; };
struct EQxDIBInvalidPalette : EQxDIBError { using EQxDIBError::EQxDIBError; };
struct EQxDIBCompressionFailed : EQxDIBError { using EQxDIBError::EQxDIBError; };
struct EQxDIBCanvasFailed : EQxDIBError { using EQxDIBError::EQxDIBError; };

// ------------------------------------------------------------------ records

// The 40-byte Windows info header of a BMP file, field for field.
struct TQxBitmapInfoHeader {
  uint32_t biSize = 40;
  int32_t biWidth = 0;
  int32_t biHeight = 0;  // > 0 bottom-up, < 0 top-down
  uint16_t biPlanes = 1;
  uint16_t biBitCount = 0;
  uint32_t biCompression = 0;  // 0 none, 1 RLE8, 2 RLE4, 3 bit fields
  uint32_t biSizeImage = 0;
  int32_t biXPelsPerMeter = 3780;
  int32_t biYPelsPerMeter = 3780;
  uint32_t biClrUsed = 0;
  uint32_t biClrImportant = 0;
};

struct TQxRGBQuad {
  uint8_t rgbBlue = 0, rgbGreen = 0, rgbRed = 0, rgbReserved = 0;
  bool operator==(const TQxRGBQuad&) const = default;
};

// One 24-bit pixel as it lies in memory.
struct TQxTriple {
  uint8_t B, G, R;
};

// The largest header kept: info header, three bit-field masks, 256 colours.
constexpr int QxBitmapInfoSize = 1076;
constexpr int32_t QxDefaultPelsPerMeter = 3780;  // 96 dots per inch

// The description of one bitmap. Bits holds BitsSize bytes of pixel data
// (compressed size for run-length data). Colors is the colour-table area;
// while a bit-field file is read its first three entries hold the masks.
struct TQxDIBInfos {
  int32_t BitsSize = 0;
  std::vector<uint8_t> Bits;
  TQxBitmapInfoHeader W3Head;
  TQxRGBQuad Colors[259] = {};
  uint8_t* pBits() { return Bits.empty() ? nullptr : Bits.data(); }
};

enum TQxPixelFormat {
  qxPf1Bit = 0,
  qxPf4Bit = 1,
  qxPf4BitRLE = 2,
  qxPf8Bit = 3,
  qxPf8BitRLE = 4,
  qxPf24Bit = 5,
  qxPfHalftone = 6,
  qxPfHalftoneBW = 7,
};
enum TQxConvertMode { qxCmNormal = 0, qxCmFine = 1 };
enum TQxHalftoneMode { qxHtNoHalftone = 0, qxHtHalftone = 1, qxHtHalftoneBW = 2 };

// Every store made through TQxDIB keeps its pixels where a canvas can use them.
inline constexpr bool DefaultUseFMO = true;

// ------------------------------------------------------------------ helpers

// Zeroed pixel memory of Size bytes; sizes below 0 or beyond what a picture
// may take raise EOutOfResources (UseFMO) or EOutOfMemory.
std::vector<uint8_t> GetMemory(int64_t Size, bool UseFMO);
void ReleaseMemory(std::vector<uint8_t>& Bits);
inline uint8_t* AddOffset(uint8_t* p, int64_t Offset) { return p + Offset; }
// 2 for 1, 16 for 4, 256 for 8, else 0.
int GetNumColors(int BitCount);
// The shift that brings the highest set bit of Mask to bit 7 (positive: right).
// Mask must not be 0.
int GetMaskShift(uint32_t Mask);
// One channel of a bit-field pixel: the bits under Mask, scaled so that the
// mask's largest value gives 255. An empty mask gives 0 for every pixel.
struct QxMaskChannel {
  explicit QxMaskChannel(uint32_t mask);
  uint8_t Of(uint32_t pixel) const;
  uint32_t Mask;
  int Shift = 0;
  uint32_t Max = 0;  // the mask brought to bits 0-7 (128 to 255); 0 when empty
};
// A palette of the biClrUsed colours, or null when there are none.
plat::HPalette GetPaletteFromDIBInfos(const TQxDIBInfos& DIBInfos);
// Fills Infos' header and colour table from an OS/2 core header and its
// three-byte colour entries (pmHeadInfo holds 12 + 3 x entries bytes).
void ConvertBitmapHeaderPMToW3(TQxDIBInfos& Infos, std::span<const uint8_t> pmHeadInfo);
// The row length of an uncompressed bitmap, in bytes.
int64_t DIBRowBytes(int64_t width, int bitCount);

// ------------------------------------------------------------------ store

// One bitmap shared by RefCount TQxDIB objects. Only a store with RefCount 1
// may be changed.
class TQxInternalDIB {
 public:
  explicit TQxInternalDIB(bool AnUseFMO);
  ~TQxInternalDIB();
  TQxInternalDIB(const TQxInternalDIB&) = delete;
  TQxInternalDIB& operator=(const TQxInternalDIB&) = delete;

  int32_t RefCount = 1;
  int32_t Width = 0;
  int32_t Height = 0;  // always positive
  plat::HPalette Palette;
  TQxDIBInfos DIBInfos;
  bool PaletteModified = false;
  const bool UseFMO;

  void CreateDIB(int32_t AWidth, int32_t AHeight, int BitCount, int NumColors);
  void FreeDIB();
  plat::HPalette MakePalette() const { return GetPaletteFromDIBInfos(DIBInfos); }
  void UpdatePalette();

  // A BMP file from the reader's position. The store changes only when the
  // whole file was read.
  void LoadFromStream(QxByteReader& Stream);
  // A BMP file, always with a Windows header, appended to out.
  void SaveToStream(std::vector<uint8_t>& out) const;
  // A packed DIB: info header, colour table, pixels.
  void LoadFromClipboardFormat(const plat::GlobalBlock& AData);
  plat::GlobalBlock SaveToClipboardFormat() const;
  TQxPixelFormat GetPixelFormat() const;
  // Converts to Value through the chain of conversions it needs; the store
  // changes only when every step worked. Value must differ from the current
  // format.
  void SetPixelFormat(TQxPixelFormat Value, TQxConvertMode Mode, uint32_t BGColor,
                      const std::function<void()>& ProgressHandler);

 private:
  void Commit(TQxDIBInfos&& infos);
};

// ------------------------------------------------------------------ graphic

class TQxDIBCanvas;

class TQxDIB : public TQxGraphic {
 public:
  TQxDIB();
  ~TQxDIB() override;
  TQxDIB(const TQxDIB&) = delete;
  TQxDIB& operator=(const TQxDIB&) = delete;

  TQxInternalDIB* InternalDIB = nullptr;  // never null while the object lives
  TQxConvertMode ConvertMode = qxCmNormal;
  int32_t BGColor = 0xFFFFFF;  // 0x00BBGGRR or a system colour (high bit set)
  int32_t NumberOfProgresses = 0;
  int32_t MaxNumberOfProgresses = 0;
  std::string ProgressString;

  void ReleaseInternalDIB();
  void UniqueDIB();
  void UpdatePaletteModified();
  bool GetUseFMO() const { return InternalDIB->UseFMO; }
  TQxHalftoneMode GetHalftoneMode() const { return FHalftoneMode; }

  void LoadFromStream(QxByteReader& Stream);
  void SaveToStream(std::vector<uint8_t>& out) const;
  void LoadFromBytes(std::span<const uint8_t> data) override;
  // Writes a BMP file; false when it cannot be written.
  bool SaveToFile(std::string_view gamePath) const;

  unsigned GetClipboardFormat() const override { return plat::Clipboard::CF_DIB; }
  void LoadFromClipboardFormat(unsigned AFormat, const plat::GlobalBlock& AData,
                               const plat::HPalette& APalette) override;
  void SaveToClipboardFormat(unsigned& Format, plat::GlobalBlock& Data,
                             plat::HPalette& APalette) const override;

  int GetWidth() const override { return InternalDIB->Width; }
  int GetHeight() const override { return InternalDIB->Height; }
  bool GetEmpty() const override { return false; }
  void SetWidth(int32_t Value);
  void SetHeight(int32_t Value);
  int GetBitCount() const { return InternalDIB->DIBInfos.W3Head.biBitCount; }
  void SetBitCount(int Value);

  // The store's palette (made on first use), or the shared halftone or
  // black-and-white palette in those modes. Null for a true-colour picture
  // without a colour table.
  plat::HPalette GetPalette() const override;
  // Replaces the first n colour entries by the palette's n colours and keeps
  // every pixel index; null clears the colour count.
  void SetPalette(plat::HPalette Value);

  TQxPixelFormat GetPixelFormat() const { return InternalDIB->GetPixelFormat(); }
  void SetPixelFormat(TQxPixelFormat Value);

  // Stretches the picture into r on the canvas.
  void Draw(plat::Canvas& ACanvas, const plat::Rect& r);
  void Assign(const plat::Persistent* Source) override;
  void AssignTo(plat::Persistent& Dest) const override;

  // The progress run of a colour-reducing conversion.
  void InitializeProgressHandler(int32_t AMax, const std::string& AText);
  void StartProgress();
  void ProgressHandler();
  void EndProgress();

 protected:
  // How Draw draws and which palette GetPalette reports; only ever copied
  // from another picture by Assign.
  TQxHalftoneMode FHalftoneMode = qxHtNoHalftone;

 private:
  friend class TQxDIBCanvas;
  void TakeStore(TQxInternalDIB* store);
  void LoadNewStore(const std::function<void(TQxInternalDIB&)>& read);
  plat::HPalette OwnPaletteCopy() const;
};

// A canvas over a TQxDIB: drawing goes into a bitmap of the DIB's size, depth
// and palette, and lands in the DIB's pixels on Flush and on destruction.
class TQxDIBCanvas : public plat::Canvas {
 public:
  explicit TQxDIBCanvas(TQxDIB* ADIB);
  ~TQxDIBCanvas() override;
  TQxDIBCanvas(const TQxDIBCanvas&) = delete;
  TQxDIBCanvas& operator=(const TQxDIBCanvas&) = delete;
  void Flush();

 private:
  TQxDIB* DIB;
  plat::Bitmap section_;
};

// The shared palettes of the halftone drawing modes (215 and 2 colours).
plat::HPalette QxHalftonePalette();
plat::HPalette QxBlackWhitePalette();
// A colour value as red, green and blue (0x00BBGGRR); system colours (high bit
// set) take the classic scheme's values.
uint32_t QxColorToRGB(int32_t c);
