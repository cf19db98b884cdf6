// Pictures as the window toolkit keeps them: a bitmap with its pixel format
// and palette, the picture classes that decode ".bmp", ".png" and ".jpg" data
// into one, a canvas drawing into a bitmap, logical palettes and an
// in-process clipboard.
//
// Every decoder treats its input as untrusted: sizes, offsets, table lengths
// and bit depths are checked against the data before use, and a bad picture
// gives an error text, never a crash or a read outside the data.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/SoftDraw.h"  // PaletteEntry: red, green, blue, flags

namespace plat {

// ---------------------------------------------------------------- palettes

// A logical palette of 1 to 256 colours. Handles are shared and immutable; a
// null handle is "no palette".
struct LogicalPalette {
  std::vector<PaletteEntry> entries;
};
using HPalette = std::shared_ptr<const LogicalPalette>;

// Null when entries is empty or longer than 256.
HPalette CreatePalette(std::span<const PaletteEntry> entries);
// Copies up to count entries from start into out; answers how many it copied
// (0 for a null handle or a start past the end).
int GetPaletteEntries(const HPalette& pal, int start, int count, PaletteEntry* out);

// ---------------------------------------------------------------- errors

// A picture that cannot be decoded, or a graphic that cannot take a source.
struct PictureError : std::runtime_error {
  using std::runtime_error::runtime_error;
};
// The toolkit's error classes that picture code raises.
struct EOutOfResources : std::runtime_error {
  using std::runtime_error::runtime_error;
};
struct EOutOfMemory : std::runtime_error {
  using std::runtime_error::runtime_error;
};
struct EInvalidGraphic : std::runtime_error {
  using std::runtime_error::runtime_error;
};
// A stream that ends before the bytes asked for.
struct EReadError : std::runtime_error {
  EReadError() : std::runtime_error("Stream read error") {}
};
// A broken internal rule (the toolkit's failed assertion).
struct EAssertionFailed : std::logic_error {
  using std::logic_error::logic_error;
};

// ---------------------------------------------------------------- graphics

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool operator==(const Rect&) const = default;
};

enum class ProgressStage { Starting, Running, Ending };

class Graphic;
using ProgressEvent = std::function<void(Graphic& sender, ProgressStage stage, int percent,
                                         bool redrawNow, const Rect& r, const std::string& msg)>;

// Anything a graphic can be assigned from (graphics and the clipboard).
class Persistent {
 public:
  virtual ~Persistent() = default;
  // Copies this object into dest. The default refuses with a PictureError.
  virtual void AssignTo(Persistent& dest) const;
};

// The toolkit's picture base: size, palette, change and progress events,
// loading and saving through byte buffers and files.
class Graphic : public Persistent {
 public:
  // Takes src (null clears where the class allows it). The default asks src to
  // assign itself to this, and refuses when it cannot.
  virtual void Assign(const Persistent* src);

  virtual int GetWidth() const = 0;
  virtual int GetHeight() const = 0;
  virtual bool GetEmpty() const = 0;
  virtual HPalette GetPalette() const { return nullptr; }

  // Reads the graphic from the whole of data; throws on a bad picture and
  // leaves the graphic unchanged then.
  virtual void LoadFromBytes(std::span<const uint8_t> data) = 0;
  // Reads a file given as a game path; throws PictureError when it cannot be read.
  void LoadFromFile(std::string_view gamePath);

  bool Modified = false;
  bool PaletteModified = false;
  std::function<void(Graphic&)> OnChange;
  ProgressEvent OnProgress;

 protected:
  // Marks the graphic modified and fires OnChange.
  void Changed();
  void Progress(ProgressStage stage, int percent, bool redrawNow, const Rect& r,
                const std::string& msg);
};

// How a bitmap keeps its pixels. Indexed formats keep one palette index per
// pixel whatever their depth; 24- and 32-bit formats keep one 32-bit value per
// pixel, 0xAARRGGBB (bytes B, G, R, A in memory).
enum class PixelFormat { pf1bit, pf4bit, pf8bit, pf24bit, pf32bit };
inline bool IsIndexed(PixelFormat pf) { return pf <= PixelFormat::pf8bit; }
int BitsOf(PixelFormat pf);

class Canvas;

// The toolkit's bitmap. Rows run top to bottom. Indexed pixels may hold
// indices past the palette's end; they read as black.
class Bitmap : public Graphic {
 public:
  Bitmap();
  ~Bitmap() override;
  Bitmap(const Bitmap& o);
  Bitmap& operator=(const Bitmap& o);

  int GetWidth() const override { return width_; }
  int GetHeight() const override { return height_; }
  bool GetEmpty() const override { return width_ == 0 || height_ == 0; }
  HPalette GetPalette() const override { return palette_; }
  void SetPalette(HPalette pal);

  PixelFormat GetPixelFormat() const { return format_; }
  // Changing the format of a non-empty bitmap converts its pixels: indexed to
  // colour resolves the palette, colour to indexed picks the nearest entry.
  void SetPixelFormat(PixelFormat pf);
  // New sizes keep the pixels that still fit; new pixels are zero.
  void SetSize(int w, int h);
  void SetWidth(int w) { SetSize(w, height_); }
  void SetHeight(int h) { SetSize(width_, h); }

  // Pixel access; (x, y) must lie inside the bitmap.
  uint8_t& Index(int x, int y) { return indices_[size_t(y) * width_ + x]; }
  uint8_t Index(int x, int y) const { return indices_[size_t(y) * width_ + x]; }
  uint32_t& Pixel(int x, int y) { return pixels_[size_t(y) * width_ + x]; }
  uint32_t Pixel(int x, int y) const { return pixels_[size_t(y) * width_ + x]; }
  // The colour at (x, y) as 0xAARRGGBB: an indexed pixel gives its palette
  // colour with alpha 0. Outside the bitmap gives 0.
  uint32_t ColourAt(int x, int y) const;
  // One row of 32-bit pixels (24/32-bit formats only).
  uint32_t* ScanLine32(int y) { return pixels_.data() + size_t(y) * width_; }

  Canvas& GetCanvas();

  void Assign(const Persistent* src) override;
  // Decodes BMP data (every header and depth in common use).
  void LoadFromBytes(std::span<const uint8_t> data) override;

 private:
  int width_ = 0, height_ = 0;
  PixelFormat format_ = PixelFormat::pf24bit;
  HPalette palette_;
  std::vector<uint8_t> indices_;
  std::vector<uint32_t> pixels_;
  std::unique_ptr<Canvas> canvas_;
};

// A canvas drawing into a bitmap (nearest colour on indexed bitmaps).
class Canvas {
 public:
  explicit Canvas(Bitmap* target = nullptr) : target_(target) {}
  virtual ~Canvas() = default;
  Bitmap* Target() const { return target_; }
  void SetTarget(Bitmap* b) { target_ = b; }

  uint32_t BrushColor = 0xFFFFFF;  // 0x00BBGGRR, as the toolkit writes colours
  // Fills r (clipped) with BrushColor.
  void FillRect(const Rect& r);
  // Stretches src (whole) into dst by nearest neighbour, clipped to the target.
  // Negative sizes mirror. Colours go through ColourAt, so alpha becomes 0.
  void StretchDraw(const Rect& dst, const Bitmap& src);
  // Writes one colour (0xAARRGGBB) at (x, y) if it is inside the target.
  void PutColour(int x, int y, uint32_t argb);

 private:
  Bitmap* target_;
};

// The PNG picture class. Indexed PNGs stay indexed (8-bit with their palette)
// unless KeepIndices is false; everything else becomes 32-bit. The PNG's own
// alpha and its transparency chunk are ignored: colours are kept as stored and
// every alpha byte is 0.
class PngImage : public Graphic {
 public:
  bool KeepIndices = true;
  int GetWidth() const override { return bitmap_.GetWidth(); }
  int GetHeight() const override { return bitmap_.GetHeight(); }
  bool GetEmpty() const override { return bitmap_.GetEmpty(); }
  HPalette GetPalette() const override { return bitmap_.GetPalette(); }
  void LoadFromBytes(std::span<const uint8_t> data) override;
  // Assigning to a bitmap (or anything that takes a bitmap) hands over the
  // decoded picture.
  void AssignTo(Persistent& dest) const override;
  const Bitmap& GetBitmap() const { return bitmap_; }

 private:
  Bitmap bitmap_;
};

// The JPEG picture class: always 32-bit with alpha 0.
class JpegImage : public Graphic {
 public:
  int GetWidth() const override { return bitmap_.GetWidth(); }
  int GetHeight() const override { return bitmap_.GetHeight(); }
  bool GetEmpty() const override { return bitmap_.GetEmpty(); }
  void LoadFromBytes(std::span<const uint8_t> data) override;
  void AssignTo(Persistent& dest) const override;
  const Bitmap& GetBitmap() const { return bitmap_; }

 private:
  Bitmap bitmap_;
};

// ---------------------------------------------------------------- decoders

// The outcome of one decode: a bitmap, or an error text saying what was wrong.
struct DecodedPicture {
  std::unique_ptr<Bitmap> bitmap;
  std::string error;
  explicit operator bool() const { return bitmap != nullptr; }
};

// A BMP file (file header first). Accepts the 12-byte OS/2 header and the
// 40/52/56/108/124-byte Windows headers; 1, 4, 8 (plain or run-length coded),
// 16, 24 and 32 bits, with or without bit-field masks. Indexed files stay
// indexed; 16-bit files become 24-bit; 32-bit files keep their fourth byte.
DecodedPicture DecodeBmp(std::span<const uint8_t> data);
// A packed device-independent bitmap: the info header, its colour table and
// the pixels, with no file header in front.
DecodedPicture DecodePackedDib(std::span<const uint8_t> data);
DecodedPicture DecodePng(std::span<const uint8_t> data, bool keepIndices = true);
DecodedPicture DecodeJpeg(std::span<const uint8_t> data);
// Decodes a file by its extension (".bmp", ".png", ".jpg", compared exactly).
DecodedPicture DecodePictureFile(std::string_view gamePath);

// Encodes a 24/32-bit bitmap as a baseline JPEG (quality 1..100). Used to make
// test pictures; the game itself writes no JPEG.
std::vector<uint8_t> EncodeJpeg(const Bitmap& bmp, int quality);

// Pictures with more pixels than this (or a side above 32767) are refused
// before any pixel memory is taken. Fuzzing lowers it.
void SetPictureSizeLimit(uint64_t maxPixels);
uint64_t PictureSizeLimit();

// ---------------------------------------------------------------- clipboard

// A block of global memory handed through the clipboard.
using GlobalBlock = std::shared_ptr<std::vector<uint8_t>>;

// The system clipboard, kept inside the process: one data block per format.
class Clipboard : public Persistent {
 public:
  static constexpr unsigned CF_DIB = 8;
  static constexpr unsigned CF_PALETTE = 9;
  void Open() { ++openCount_; }
  void Close() { if (openCount_ > 0) --openCount_; }
  bool IsOpen() const { return openCount_ > 0; }
  void Clear() { blocks_.clear(); palette_.reset(); }
  GlobalBlock GetData(unsigned format) const;
  void SetData(unsigned format, GlobalBlock block) { blocks_[format] = std::move(block); }
  HPalette GetPaletteData() const { return palette_; }
  void SetPaletteData(HPalette p) { palette_ = std::move(p); }

 private:
  int openCount_ = 0;
  std::map<unsigned, GlobalBlock> blocks_;
  HPalette palette_;
};

// The one clipboard of the process.
Clipboard& TheClipboard();

}  // namespace plat
