// Software 2D display device: the surface, blitter, clipper and palette layer
// the display component draws through. Surfaces live in memory in the formats
// the game meets (8-bit palettised, 16-bit 5-6-5 / 5-5-5 / 1-5-5-5 / 4-4-4-4,
// 32-bit), and the primary surface shows its pixels through a Presenter: the
// SDL window in the game, an OffscreenPresenter in tests.
//
// Calls return 32-bit result codes: 0 is success, failures are negative, so the
// display's checking routine prints them as eight hex digits. Objects are
// reference counted: Release returns the count left and frees at 0.
//
// Conventions this device fixes:
// - A windowed primary surface is the window's client area; its coordinates
//   are client coordinates and its size follows the rectangles presented to it.
// - Stretching is nearest neighbour: destination pixel i of an extent dw reads
//   source pixel s0 + ((2i + 1) * sw) / (2 * dw), so 1:1 and 2:1 are exact.
// - A colour-keyed blit skips source pixels whose raw value, masked by the
//   format's channel masks, equals the key's.
// - A mirrored blit's source rectangle addresses the mirrored source surface.
// - A surface made with a texel scale m stores one texel for each m x m block
//   it shows: Lock, RawPixel and its description address the stored texels,
//   while as a blit source its rectangles address the shown size (m times the
//   stored one). It is only ever a blit source.
// - A colour fill of a surface other than the primary may be applied late: it
//   is applied before anything reads or draws over part of it, and dropped
//   when a blit covers all of it with pixels that are all drawn. What anyone
//   can read is always as if it had been applied at once.
// - Empty rectangles draw nothing and succeed; rectangles reaching outside a
//   surface fail with kErrInvalidRect and draw nothing, except on a surface
//   with a clipper, which clips the destination to its bounds.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Host.h"

namespace plat {

// ---- result codes -------------------------------------------------------
namespace dd {
constexpr int32_t kOk = 0;
constexpr int32_t kErrGeneric = int32_t(0xC5D00001);
constexpr int32_t kErrInvalidParams = int32_t(0xC5D00002);
constexpr int32_t kErrInvalidRect = int32_t(0xC5D00003);
constexpr int32_t kErrSurfaceLost = int32_t(0xC5D00004);
constexpr int32_t kErrLocked = int32_t(0xC5D00005);
constexpr int32_t kErrNotLocked = int32_t(0xC5D00006);
constexpr int32_t kErrOutOfMemory = int32_t(0xC5D00007);
constexpr int32_t kErrUnsupported = int32_t(0xC5D00008);
constexpr int32_t kErrNotFound = int32_t(0xC5D00009);
constexpr int32_t kErrNoFlipChain = int32_t(0xC5D0000A);
constexpr int32_t kErrInjected = int32_t(0xC5D000FF);

// Surface description flags: which fields of a DdSurfaceDesc are given.
constexpr uint32_t kSdCaps = 0x1;
constexpr uint32_t kSdHeight = 0x2;
constexpr uint32_t kSdWidth = 0x4;
constexpr uint32_t kSdBackBufferCount = 0x8;
constexpr uint32_t kSdPixelFormat = 0x10;
constexpr uint32_t kSdTextureStage = 0x20;
constexpr uint32_t kSdTexelScale = 0x40;

// Surface capabilities.
constexpr uint32_t kCapsBackBuffer = 0x1;
constexpr uint32_t kCapsComplex = 0x2;
constexpr uint32_t kCapsFlip = 0x4;
constexpr uint32_t kCapsOffscreenPlain = 0x8;
constexpr uint32_t kCapsPrimarySurface = 0x10;
constexpr uint32_t kCapsSystemMemory = 0x20;
constexpr uint32_t kCapsTexture = 0x40;
constexpr uint32_t kCaps3DDevice = 0x80;
constexpr uint32_t kCapsVideoMemory = 0x100;
constexpr uint32_t kCapsZBuffer = 0x200;
constexpr uint32_t kCapsNonLocalVidMem = 0x400;

// Pixel format flags.
constexpr uint32_t kPfAlphaPixels = 0x1;
constexpr uint32_t kPfAlpha = 0x2;
constexpr uint32_t kPfFourCC = 0x4;
constexpr uint32_t kPfPaletteIndexed4 = 0x8;
constexpr uint32_t kPfPaletteIndexed8 = 0x10;
constexpr uint32_t kPfRGB = 0x20;
constexpr uint32_t kPfZBuffer = 0x40;
constexpr uint32_t kPfStencilBuffer = 0x80;
constexpr uint32_t kPfLuminance = 0x100;
constexpr uint32_t kPfBumpLuminance = 0x200;
constexpr uint32_t kPfBumpDuDv = 0x400;

// Device capability bit (DdCaps::caps).
constexpr uint32_t kCaps3D = 0x1;

// Blit flags and effects.
constexpr uint32_t kBltColorFill = 0x1;
constexpr uint32_t kBltDDFX = 0x2;
constexpr uint32_t kBltKeySrc = 0x4;
constexpr uint32_t kBltWait = 0x8;
constexpr uint32_t kFxMirrorLeftRight = 0x1;
constexpr uint32_t kFxMirrorUpDown = 0x2;

constexpr uint32_t kLockWait = 0x1;
constexpr uint32_t kLockReadOnly = 0x2;
constexpr uint32_t kFlipWait = 0x1;
constexpr uint32_t kColorKeySrcBlt = 0x1;
constexpr uint32_t kWaitVbBlockBegin = 0x1;

// Cooperative levels.
constexpr uint32_t kSclNormal = 0x1;
constexpr uint32_t kSclFullScreenExclusive = 0x2;

constexpr uint32_t kPalCaps8Bit = 0x1;

// The longest side of a surface, in shown pixels (a surface with a texel
// scale counts its texels times the scale).
constexpr uint32_t kMaxSurfaceEdge = 16384;
}  // namespace dd

// ---- value types --------------------------------------------------------
struct DdRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
  bool Empty() const { return right <= left || bottom <= top; }
  bool operator==(const DdRect&) const = default;
};

// A pixel format. RGB formats use bitCount and the four masks; depth formats
// use bitCount as the depth bits plus the stencil fields.
struct DdPixelFormat {
  uint32_t flags = 0;
  uint32_t bitCount = 0;
  uint32_t rMask = 0, gMask = 0, bMask = 0, aMask = 0;
  uint32_t stencilBits = 0, zMask = 0, stencilMask = 0;
  bool operator==(const DdPixelFormat&) const = default;
};

namespace fmt {
DdPixelFormat XRGB8888();
DdPixelFormat ARGB8888();
DdPixelFormat RGB565();
DdPixelFormat XRGB1555();  // 5-5-5 without alpha
DdPixelFormat ARGB1555();
DdPixelFormat ARGB4444();
DdPixelFormat Pal8();
DdPixelFormat Z16();
DdPixelFormat Z24S8();
}  // namespace fmt

struct DdSurfaceDesc {
  uint32_t flags = 0;
  uint32_t width = 0, height = 0;
  int32_t pitch = 0;  // bytes per row
  uint32_t backBufferCount = 0;
  uint32_t caps = 0;
  uint32_t textureStage = 0;
  DdPixelFormat pf;
  uint8_t* surface = nullptr;  // first pixel, while locked
  uint32_t texelScale = 0;     // with kSdTexelScale: shown pixels per stored texel, each way
};

struct DdBltFx {
  uint32_t ddfx = 0;
  uint32_t fillColor = 0;  // raw pixel value for kBltColorFill
};

struct DdCaps {
  uint32_t caps = 0;         // kCaps3D
  uint32_t surfaceCaps = 0;  // kCapsTexture when textures can be made
};

struct PaletteEntry {
  uint8_t red = 0, green = 0, blue = 0, flags = 0;
};

// A display driver as the enumeration reports it. id 0 is the primary display
// driver, which has no identifier of its own.
struct DriverInfo {
  int id = 0;
  std::string description, name;
  DdCaps caps;
};

// Where a primary surface's pixels go.
class Presenter {
 public:
  virtual ~Presenter() = default;
  virtual void Present(const FrameView& frame) = 0;
};

// Presents into the host's window.
class HostPresenter final : public Presenter {
 public:
  explicit HostPresenter(Host& host) : host_(host) {}
  void Present(const FrameView& frame) override { host_.Present(frame); }

 private:
  Host& host_;
};

// Keeps the last presented frame for tests and screenshots.
class OffscreenPresenter final : public Presenter {
 public:
  void Present(const FrameView& frame) override;
  int Frames() const { return frames_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // 0x00RRGGBB; 0 outside the frame.
  uint32_t Pixel(int x, int y) const;
  const std::vector<uint32_t>& Pixels() const { return pixels_; }
  bool SavePPM(const std::string& hostPath) const;

 private:
  int frames_ = 0, width_ = 0, height_ = 0;
  std::vector<uint32_t> pixels_;
};

// ---- objects ------------------------------------------------------------
class SoftObject {
 public:
  SoftObject(const SoftObject&) = delete;
  SoftObject& operator=(const SoftObject&) = delete;
  uint32_t AddRef() { return ++refs_; }
  // Returns the references left; the object is freed when none are.
  uint32_t Release();

 protected:
  SoftObject() = default;
  virtual ~SoftObject() = default;

 private:
  uint32_t refs_ = 1;
};

class SoftPalette final : public SoftObject {
 public:
  int32_t SetEntries(uint32_t first, uint32_t count, const PaletteEntry* entries);
  int32_t GetEntries(uint32_t first, uint32_t count, PaletteEntry* entries) const;
  const PaletteEntry* Entries() const { return entries_; }

 private:
  friend class SoftDraw;
  PaletteEntry entries_[256] = {};
};

class SoftClipper final : public SoftObject {
 public:
  // Binds the window the clipped surface shows in.
  int32_t SetWindow(Presenter* window);
  Presenter* Window() const { return window_; }

 private:
  friend class SoftDraw;
  Presenter* window_ = nullptr;
};

class SoftSurface final : public SoftObject {
 public:
  // Locks the whole surface. A lost surface fails with kErrSurfaceLost; a
  // surface already locked fails with kErrLocked.
  int32_t Lock(DdSurfaceDesc* desc, uint32_t flags);
  int32_t Unlock();
  int32_t GetSurfaceDesc(DdSurfaceDesc* desc) const;
  int32_t Blt(const DdRect* dst, SoftSurface* src, const DdRect* srcRect, uint32_t flags,
              const DdBltFx* fx);
  // Flip chain only: exchanges the front and back buffer and presents.
  int32_t Flip(uint32_t flags);
  int32_t SetColorKey(uint32_t which, uint32_t low, uint32_t high);
  bool HasColorKey() const { return hasKey_; }
  uint32_t ColorKey() const { return keyLow_; }
  int32_t IsLost() const { return lost_ ? dd::kErrSurfaceLost : dd::kOk; }
  int32_t Restore();
  int32_t SetClipper(SoftClipper* clipper);
  int32_t SetPalette(SoftPalette* palette);
  int32_t GetAttachedSurface(uint32_t caps, SoftSurface** out);
  int32_t AddAttachedSurface(SoftSurface* surface);
  int32_t DeleteAttachedSurface(SoftSurface* surface);

  // Direct access for the software 3D device and tests (stored texels).
  uint32_t Width() const { return width_; }
  uint32_t Height() const { return height_; }
  uint32_t TexelScale() const { return scale_; }
  int32_t Pitch() const { return pitch_; }
  const DdPixelFormat& Format() const { return pf_; }
  uint32_t Caps() const { return caps_; }
  // Writable access: the pixels may change, so what the blitter knows of
  // them is forgotten.
  uint8_t* Bits();
  const uint8_t* Bits() const;
  uint32_t BytesPerPixel() const { return pf_.bitCount / 8; }
  uint32_t RawPixel(uint32_t x, uint32_t y) const;  // 0 outside
  bool IsPrimary() const { return (caps_ & dd::kCapsPrimarySurface) != 0; }
  // True when some texel equals the colour key (masked by the format's
  // channels); false without a key. Worked out once after each change.
  bool HasKeyTexels() const;

 private:
  friend class SoftDraw;
  friend void SimulateSurfaceLoss();
  SoftSurface() = default;
  ~SoftSurface() override;
  void Allocate(uint32_t w, uint32_t h, const DdPixelFormat& pf);
  void PresentToWindow();
  // The pixels are about to change.
  void Changed() { keyTexels_ = kUnknown; }
  // Applies a colour fill that was left for later.
  void ApplyFill() const;
  void Fill(const DdRect& d, uint32_t colour);
  void Copy(const DdRect& d, const SoftSurface& src, const DdRect& s, bool keyed,
            uint32_t flags, const DdBltFx* fx);
  uint32_t ShownWidth() const { return width_ * scale_; }
  uint32_t ShownHeight() const { return height_ * scale_; }

  uint32_t width_ = 0, height_ = 0;
  uint32_t scale_ = 1;
  int32_t pitch_ = 0;
  DdPixelFormat pf_;
  uint32_t caps_ = 0;
  // Changed only by ApplyFill when a read meets a fill left for later.
  mutable std::vector<uint8_t> mem_;
  mutable bool fillLate_ = false;
  DdRect lateRect_;
  uint32_t lateColour_ = 0;
  enum KeyTexels : uint8_t { kUnknown, kNone, kSome };
  mutable KeyTexels keyTexels_ = kUnknown;
  bool lost_ = false, locked_ = false, hasKey_ = false;
  uint32_t keyLow_ = 0, keyHigh_ = 0;
  bool windowed_ = false;                 // a windowed primary surface
  SoftClipper* clipper_ = nullptr;        // held reference
  SoftPalette* palette_ = nullptr;        // held reference
  SoftSurface* back_ = nullptr;           // flip chain back buffer, owned
  std::vector<SoftSurface*> attached_;    // held references (depth buffers)
  std::vector<uint32_t> frame_;           // conversion buffer for presenting
};

class Soft3D;

class SoftDraw final : public SoftObject {
 public:
  // Calls cb once per display driver, the primary first, until it returns false.
  static void EnumerateDrivers(const std::function<bool(const DriverInfo&)>& cb);
  // Creates the object on a driver (0: the default, the primary display).
  static int32_t Create(int driverId, SoftDraw** out);

  int32_t GetCaps(DdCaps* driver, DdCaps* emulation) const;
  int32_t SetCooperativeLevel(Presenter* window, uint32_t flags);
  // Full screen only: the screen takes this size and depth (16, 32 or 8).
  int32_t SetDisplayMode(uint32_t w, uint32_t h, uint32_t bpp, uint32_t refresh, uint32_t flags);
  int32_t RestoreDisplayMode();
  int32_t CreateSurface(const DdSurfaceDesc& desc, SoftSurface** out);
  int32_t CreateClipper(uint32_t flags, SoftClipper** out);
  int32_t CreatePalette(uint32_t flags, const PaletteEntry* entries, SoftPalette** out);
  // The software 3D object that draws on this device's surfaces.
  int32_t QueryDirect3D(Soft3D** out);
  int32_t WaitForVerticalBlank(uint32_t flags);
  int32_t FlipToGDISurface();
  int DriverId() const { return driverId_; }

 private:
  SoftDraw() = default;
  ~SoftDraw() override;
  int driverId_ = 0;
  uint32_t coop_ = 0;
  bool modeSet_ = false;
};

// ---- the desktop and test hooks -----------------------------------------
// The screen's pixel format: the desktop's depth, or the full-screen mode's.
DdPixelFormat ScreenFormat();
// The desktop's colour depth (32 unless a test sets another).
int DesktopBitDepth();

// Settings and failure injection for tests; ResetSoftDrawSetup returns to the
// defaults (a 32-bit desktop, one primary driver with 3D, every device type).
struct SoftDrawSetup {
  int desktopBpp = 32;
  std::vector<DriverInfo> drivers;           // the first is the primary (id 0)
  int failCreateSurfaceAfter = -1;           // N: the Nth call from now fails (0 = next)
  bool failVideoMemory = false;              // surfaces asking video memory fail
  bool failFlip = false;
  std::vector<int> acceptedDevices;          // 3D device kinds CreateDevice accepts
  std::vector<DdPixelFormat> textureFormats; // in enumeration order
  std::vector<DdPixelFormat> zFormats;
  bool recordCalls = false;
  std::vector<std::string> calls;            // "CreateSurface caps=...", "Release ..." and so on
};
SoftDrawSetup& SoftDrawTestSetup();
void ResetSoftDrawSetup();
// Marks every live surface lost and fills it with a garbage pattern.
void SimulateSurfaceLoss();
// Number of live surfaces (leak checks in tests).
int LiveSurfaceCount();

// Channel helpers shared with the 3D device: decode a raw pixel to 8-bit
// channels and encode them back by the format's masks (missing alpha reads 255).
void DecodePixel(const DdPixelFormat& pf, uint32_t raw, uint8_t& a, uint8_t& r, uint8_t& g,
                 uint8_t& b);
uint32_t EncodePixel(const DdPixelFormat& pf, uint8_t a, uint8_t r, uint8_t g, uint8_t b);

}  // namespace plat
