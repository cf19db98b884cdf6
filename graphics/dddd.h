// The display component and its surfaces.
//
// TDDDD sits on the main window (the host): it builds the display for a window
// or full screen (SetDisplayMode), presents the back buffer once per frame
// (Flip), restores lost display memory when the window is painted and rebuilds
// every kept surface and texture after a mode change. The sprite renderer draws
// through BackBuffer (blits) or D3DDevice (textured triangles).
//
// TDDDDGenSurface wraps one device surface with software clipping, a colour
// converter and single-pixel access; TDDDDSurface and TDDDDTexture are the
// off-screen surfaces and textures made on the component and kept by it so
// that they survive lost memory and mode changes.
//
// Failures of device calls go through TRYDD, which logs to "dddebug.txt" and,
// with halt-on-error (the game's setting), stops the program with the message.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "files/ProcCounter.h"
#include "platform/Host.h"
#include "platform/SoftD3D.h"
#include "platform/SoftDraw.h"

class TDDDD;

// ---- error checking and the debug log -----------------------------------
// Bits of the DebugOption set.
using TDDDDDebugOption = uint32_t;
constexpr TDDDDDebugOption ddoHaltOnError = 0x1;
constexpr TDDDDDebugOption ddoDebugMessage = 0x2;

extern bool DDDD_HaltOnError;
extern bool DDDD_DebugMessage;
extern int32_t debugCount;

// Writes "debug#%.5d ... mes" to fpath in the program folder while messages are
// on; the first line of a run truncates the file. A failed write is ignored.
void PutDebugMessage(const std::string& mes, const std::string& fpath);
void PutTestMessage(const std::string& mes);
// The display log, open to the renderer, start-up and sound traces.
void DDDD_Msg(const std::string& mes);
// 0 passes silently. Otherwise logs failMes + "(Error Code(%X))" and, with
// halt-on-error, halts; returns err.
int32_t TRYDD(int32_t err, const std::string& failMes);

// What a halt does. The default shows the message in the error box and exits
// with status 1; the shell routes it to its own halt path, tests throw.
using DDDDHaltHandler = std::function<void(const std::string& messageSjis)>;
void DDDD_SetHaltHandler(DDDDHaltHandler handler);  // empty: the default
// The folder the log is written to ("" = the program folder), for tests.
void DDDD_SetLogFolder(const std::string& hostFolder);
// Reads entry id of an archive file (the QDA reader unless a test replaces it).
using DDDDArchiveReader =
    std::function<std::optional<std::vector<uint8_t>>(const std::string& archive,
                                                      const std::string& id)>;
void DDDD_SetArchiveReader(DDDDArchiveReader reader);
std::optional<std::vector<uint8_t>> DDDD_ReadArchiveEntry(const std::string& archive,
                                                          const std::string& id);

// ---- surfaces -----------------------------------------------------------
enum TD3DFMT { A8R8G8B8, A1R5G5B5, R5G5B5, A4R4G4B4, R5G6B5, UnKnownFmt };
enum TDDDDSourceType { ddsBMP, ddsQDA };
enum TDDDDSurfaceMemoryType {
  smtDefault,
  smtCompatible,
  smtSystemMemory,
  smtVideoMemory,
  smtNonLocalVideoMemory
};
enum TDDDDBackBufferMemoryType { bmtDefault, bmtCompatible, bmtSystemMemory, bmtVideoMemory };

// Per channel: the mask, the right shift that cuts an 8-bit value to the
// mask's width and the left shift that moves it into place.
struct TDDDDColorShiftInfo {
  uint32_t am = 0, ar = 0, al = 0;
  uint32_t rm = 0, rr = 0, rl = 0;
  uint32_t gm = 0, gr = 0, gl = 0;
  uint32_t bm = 0, br = 0, bl = 0;
};

TD3DFMT D3DFormatOf(const plat::DdPixelFormat& pf);

// Cuts the destination span [d0, d1) to the clip span [c0, c1) and the source
// span [s0, s1) in proportion: a cut keeps the source columns the kept part
// covers, counted from the uncut end and rounded down. False, with nothing
// drawn, when no destination pixel lies inside the clip span. Every blit is
// cut this way; a mirrored draw is cut with it too, so it shows what a draw
// of a stored mirrored copy would.
bool ClipSpan(int32_t& d0, int32_t& d1, int32_t& s0, int32_t& s1, int32_t c0, int32_t c1);

class TDDDDGenSurface {
 public:
  // Wraps an existing surface (not referenced) of the given clipping size.
  TDDDDGenSurface(TDDDD* AOwner, plat::SoftSurface* Surf, int32_t x, int32_t y);
  virtual ~TDDDDGenSurface() = default;
  TDDDDGenSurface(const TDDDDGenSurface&) = delete;
  TDDDDGenSurface& operator=(const TDDDDGenSurface&) = delete;

  void InitColorConverter(const plat::DdPixelFormat& ddpf, bool DbgMsg_f);
  // Packs 8-bit channels into a raw pixel; the top bits of each value survive.
  uint32_t ARGBToPhysical(uint8_t a, uint8_t r, uint8_t g, uint8_t b) const;
  // col holds red in bits 0-7, green 8-15, blue 16-23, alpha 24-31.
  uint32_t TColorToPhysical(int32_t col) const;
  void setColorKey(uint32_t ck);

  // Locks the whole surface. While locked, a second Lock hands back the same
  // description and succeeds.
  int32_t Lock(plat::DdSurfaceDesc& ddsd);
  int32_t UnLock();
  // Restores the surface when its memory was lost (content undefined).
  void Restore();
  plat::DdSurfaceDesc getDesc();
  bool getIsLost();
  // At shown coordinates. Out of range, or without a surface: logged, 0 /
  // nothing written.
  uint32_t getPixel(int32_t x, int32_t y);
  void setPixel(int32_t x, int32_t y, uint32_t p);
  // Blits SrcSurf (none: colour fill) onto this surface, clipped to ClipRect
  // (or the whole surface) unless this is the primary surface. Returns the
  // device result; nothing visible returns 0.
  int32_t Blt(TDDDDGenSurface* SrcSurf, plat::DdRect& destRect, plat::DdRect& srcRect,
              uint32_t dwFlags, plat::DdBltFx& fx);
  // Draws this surface onto the component's back buffer.
  int32_t Put(plat::DdRect& destRect, plat::DdRect& srcRect, uint32_t dwFlags, plat::DdBltFx& fx);

  virtual void LoadBMP(const std::string& fname);
  virtual void LoadFromQDA(const std::string& FName, const std::string& ID);
  // Loads a BMP image held in memory; false when it was refused.
  bool LoadFromBMPStream(const uint8_t* data, size_t size);

  bool IsLost() { return getIsLost(); }
  bool IsRestore() const { return FRestore_f; }
  void SetIsRestore(bool v) { FRestore_f = v; }
  int32_t Width() const { return FWidth; }
  int32_t Height() const { return FHeight; }
  plat::SoftSurface* Surface() const { return FSurf; }
  plat::DdSurfaceDesc Desc() { return getDesc(); }
  TDDDD* Owner() const { return FOwner; }
  uint32_t ColorKey() const { return FCk; }
  plat::DdRect ClipRect = {};
  bool Clipping = false;
  TD3DFMT D3DFormat() const { return FD3DFormat; }
  int32_t txSize() const { return FtxSize; }
  int32_t bmpWidth() const { return FbmpWidth; }
  int32_t bmpHeight() const { return FbmpHeight; }
  const TDDDDColorShiftInfo& ShiftInfo() const { return Shifter; }
  bool Locked() const { return FLocked; }
  // The description as last read, without asking the device again.
  const plat::DdSurfaceDesc& LastDesc() const { return FDesc; }

 protected:
  friend class TDDDD;
  friend class TDDDDSurfaceKeeper;
  friend class TDDDDTextureKeeper;
  // Releases the surface; checked with failMes when given, else unchecked.
  void ReleaseSurface(const char* failMes);

  plat::SoftSurface* FSurf = nullptr;
  int32_t FWidth = 0, FHeight = 0;
  TD3DFMT FD3DFormat = UnKnownFmt;
  plat::DdSurfaceDesc FDesc;
  TDDDD* FOwner = nullptr;
  uint32_t FCk = 0;
  plat::DdSurfaceDesc FLockedDesc;
  bool FLocked = false;
  bool FRestore_f = false;
  TDDDDColorShiftInfo Shifter;
  int32_t FtxSize = 0, FbmpWidth = 0, FbmpHeight = 0;
  std::string FPixelFormatStr;
};

// An off-screen surface in the display's format, kept by the component.
// With a texel scale m it stores one texel per m x m block of its width x
// height: Lock addresses the stored texels, getPixel and setPixel the texel
// under a shown coordinate, and blits the shown size.
class TDDDDSurface : public TDDDDGenSurface {
 public:
  TDDDDSurface(TDDDD* AOwner, int32_t width, int32_t height, uint32_t colorKey,
               const std::string& pixFmt, const std::string& tPath = "",
               uint32_t texelScale = 1);
  ~TDDDDSurface() override;
  void LoadBMP(const std::string& fname) override;
  void LoadFromQDA(const std::string& FName, const std::string& ID) override;

  TDDDDSourceType FSourceType = ddsBMP;
  std::string FBMPName, FQDAName, FQDAID;

 private:
  void CreateSurface(int32_t width, int32_t height, uint32_t colorKey,
                     TDDDDSurfaceMemoryType where, const std::string& tPath, uint32_t texelScale);
};

// A square texture (edge 16, 32, 64, 128 or 256) in the format chosen once per
// component, kept by the component.
class TDDDDTexture : public TDDDDGenSurface {
 public:
  TDDDDTexture(TDDDD* AOwner, int32_t width, int32_t height, uint32_t colorKey,
               const std::string& pixFmt, const std::string& tPath = "");
  ~TDDDDTexture() override;
  void LoadBMP(const std::string& fname) override;
  void LoadFromQDA(const std::string& FName, const std::string& ID) override;
  // The edge length for a picture of w x h.
  static int32_t EdgeFor(int32_t w, int32_t h);

  TDDDDSourceType FSourceType = ddsBMP;
  std::string FBMPName, FQDAName, FQDAID;

 private:
  friend class TDDDDTextureKeeper;
  bool CreateSurface(int32_t width, int32_t height, uint32_t colorKey, const std::string& pixFmt,
                     const std::string& tPath);
};

// ---- keepers ------------------------------------------------------------
class TDDDDSurfaceKeeper {
 public:
  TDDDDSurfaceKeeper(TDDDD* owner, TDDDDSurface* target, int32_t id);
  // True when the target had been lost and was restored.
  bool Restore();
  void Recover();
  void Release();
  TDDDDSurface* FTarget;
  int32_t FWidth, FHeight, FDepth, FID;

 private:
  TDDDD* FOwner;
  void Reload();
};

class TDDDDTextureKeeper {
 public:
  TDDDDTextureKeeper(TDDDD* owner, TDDDDTexture* target, int32_t id);
  bool Restore();
  void Recover();
  void Release();
  TDDDDTexture* FTarget;
  int32_t FID;

 private:
  TDDDD* FOwner;
  void Reload();
};

// ---- the component ------------------------------------------------------
enum TD3DDeviceType { dtTnLHAL, dtHAL, dtMMX, dtRGB, dtRamp, dtRef };
using TD3DDeviceTypeSet = uint32_t;  // bit (1 << type)

// D3DOptions bits.
using TD3DOptions = uint32_t;
constexpr TD3DOptions DontUseTnLHAL = 0x1;
constexpr TD3DOptions DontUseHAL = 0x2;
constexpr TD3DOptions DontUseMMX = 0x4;
constexpr TD3DOptions DontUseRGBEmulation = 0x8;
constexpr TD3DOptions MakeZBuffer = 0x10;
constexpr TD3DOptions MakeStencilBuffer = 0x20;

constexpr int32_t DDDD_WIDTH = 512;
constexpr int32_t DDDD_HEIGHT = 240;

struct TLogPal {
  uint16_t Version = 0x300;
  uint16_t NumberOfEntries = 256;
  plat::PaletteEntry aEntries[256] = {};
};

class TDDDD {
 public:
  // Sits on the host's window. The host's OnPaint in place at construction is
  // the form's own paint handler: the component calls it and then restores.
  explicit TDDDD(plat::Host& owner);
  ~TDDDD();
  TDDDD(const TDDDD&) = delete;
  TDDDD& operator=(const TDDDD&) = delete;
  // Applies DisableScreenSaver and DebugOption (after the settings are set).
  void Loaded();
  // The form's create: makes the first window mode, runs formCreate (where
  // the game sets its real mode) and fires OnInit, the first time only.
  void DoInit(const std::function<void()>& formCreate);
  // The form's paint: restores lost display memory while the form is active.
  void DoRestore();

  // Settings.
  TDDDDDebugOption DebugOption() const { return FDebugOption; }
  void SetDebugOption(TDDDDDebugOption v);
  int32_t InitialScreenWidth = 640;
  int32_t InitialScreenHeight = 480;
  int32_t InitialBitDepth = 0;
  bool InitializeFullScreen = false;
  uint32_t BackColor = 0;
  bool AutoDisplayModeInitialize = true;
  bool DisableScreenSaver() const { return FDisableScreenSaver; }
  void setDisableScreenSaver(bool v);
  bool Use3D = false;
  TD3DOptions D3DOptions = MakeZBuffer;
  bool VsyncAtWindowed = true;
  TDDDDSurfaceMemoryType SurfaceLocation = smtDefault;
  TDDDDBackBufferMemoryType BackBufferLocationAtWindowed = bmtDefault;
  TProcCounter* PC = nullptr;  // not owned; timer 0 times the present
  // Whether the owner window has the input focus (paints restore only then).
  bool OwnerActive() const { return FOwner.Active(); }

  // Events.
  std::function<void(bool fNeedChange)> OnInit;
  std::function<void(TDDDD*)> OnRestore, OnCleanUp, OnChangeDisplayMode, OnDestroy;

  // Operations.
  void FullScreenMode2(int32_t Mag, bool TrueCol_f, bool DelMCursor_f);
  void WindowMode(uint32_t width, uint32_t height);
  void Flip();
  int32_t Clear();
  // Restores the primary, back and depth buffers and every kept surface and
  // texture that was lost; true when anything had been lost.
  bool Restore();
  void UpdatePalette();
  void MouseCursorSwitch();
  // The owner window's events, from the first mode on: in full screen a moved
  // window goes back to the desktop's origin and a maximised one back to the
  // mode's size. Each event then goes on to the handler that was there before.
  void WndProc(const plat::WindowEvent& e);

  // State.
  TDDDDGenSurface* FrontBuffer() const { return FFrontBuffer.get(); }
  TDDDDGenSurface* BackBuffer() const { return FBackBuffer.get(); }
  TDDDDGenSurface* ZBuffer() const { return FZBuffer.get(); }
  int32_t ScreenWidth() const { return FScrWidth; }
  int32_t ScreenHeight() const { return FScrHeight; }
  bool FullScreen() const { return FFullScreen; }
  int32_t BitDepth() const { return getBitDepth(); }
  int32_t getBitDepth() const;
  const std::vector<std::string>& DDDriverList() const { return FDDDriverList; }
  plat::SoftDraw* DDraw() const { return FDDraw; }
  plat::Soft3D* D3D() const { return FD3D; }
  plat::Soft3DDevice* D3DDevice() const { return FD3DDevice; }
  plat::SoftRM* D3DRM() const { return FD3DRM; }
  plat::SoftRMDevice* D3DRMDevice() const { return FD3DRMDevice; }
  TD3DDeviceType D3DDeviceType() const { return FD3DDeviceType; }
  TD3DDeviceTypeSet ValidD3DDeviceType() const { return FValidD3DDeviceType; }
  bool HALEnabled() const { return FHALEnabled; }
  plat::SoftClipper* Clipper() const { return FClipper; }
  plat::Host& Owner() const { return FOwner; }
  bool CursorHidden() const { return DelMouseCursor_f; }
  // The window's client size as last set by a mode.
  int32_t ClientWidth() const { return FClientWidth; }
  int32_t ClientHeight() const { return FClientHeight; }

  // Keep lists.
  void KeepSurface(TDDDDSurface* S);
  void SurfaceDestroyed(TDDDDSurface* S);
  void KeepTexture(TDDDDTexture* T);
  void TextureDestroyed(TDDDDTexture* T);
  // True when at least one kept surface or texture had been lost.
  bool RestoreSurfaces();
  void CleanUpSurfaces();
  void RecoverSurfaces();
  int SurfaceKeepCount() const { return int(SurfaceKeepList.size()); }
  int TextureKeepCount() const { return int(TextureKeepList.size()); }
  const std::vector<std::unique_ptr<TDDDDSurfaceKeeper>>& SurfaceKeepers() const {
    return SurfaceKeepList;
  }
  const std::vector<std::unique_ptr<TDDDDTextureKeeper>>& TextureKeepers() const {
    return TextureKeepList;
  }

  // Texture format choice (once per component).
  bool Findddpf_f = false;
  plat::DdPixelFormat Useddpf;
  bool ChooseTextureFormat(const std::string& pixFmt, plat::DdPixelFormat& out);

  plat::PaletteEntry Palette[256] = {};
  plat::SoftPalette* DDPalette = nullptr;

 private:
  void SetDisplayMode(bool fFull, int32_t width, int32_t height, int32_t depth, uint32_t freq,
                      const std::string& DDDriverName);
  void ReleaseAll();
  bool CreateDirectDrawByName(const std::string& name);
  bool SearchDriverFor3D();
  bool isSuport3D(plat::SoftDraw* dd);
  void Create3DSide(int32_t width, int32_t height);
  bool CreateZBuffer(plat::d3d::DeviceKind kind, bool fVideo, int32_t width, int32_t height);
  void ReleaseZBuffer();

  plat::Host& FOwner;
  std::unique_ptr<plat::HostPresenter> FWindow;
  TDDDDDebugOption FDebugOption = ddoHaltOnError;
  bool FDisableScreenSaver = true;
  int32_t FBitDepth = 0;
  bool FFullScreen = false;
  int32_t FScrWidth = 0, FScrHeight = 0;
  int32_t FClientWidth = 0, FClientHeight = 0;
  uint32_t FFreq = 0;
  std::function<void()> FOwnerOnPaint;
  std::function<void(const plat::WindowEvent&)> FOwnerWndProc;
  // Where the window stood before full screen, to return to when it ends.
  int32_t WinLeft = 0, WinTop = 0;
  bool FWinPosKnown = false;
  bool FAtFirst = true, FAtLast = false, FAfterInit = false, FSuppressRestore = false;
  bool FScreenSaverWasActive = false;
  std::unique_ptr<TDDDDGenSurface> FFrontBuffer, FBackBuffer, FZBuffer;
  plat::SoftDraw* FDDraw = nullptr;
  plat::SoftClipper* FClipper = nullptr;
  std::vector<std::string> FDDDriverList;
  plat::SoftRM* FD3DRM = nullptr;
  plat::SoftRMDevice* FD3DRMDevice = nullptr;
  plat::Soft3D* FD3D = nullptr;
  plat::Soft3DDevice* FD3DDevice = nullptr;
  TD3DDeviceType FD3DDeviceType = dtRGB;
  TD3DDeviceTypeSet FValidD3DDeviceType = 0;
  bool FCanUseHAL = false, FHALEnabled = false;
  std::vector<std::unique_ptr<TDDDDSurfaceKeeper>> SurfaceKeepList;
  std::vector<std::unique_ptr<TDDDDTextureKeeper>> TextureKeepList;
  int32_t NSurfaceCreated = 0, NTextureCreated = 0;
  bool DelMouseCursor_f = false, FScr_f = false;
};
