// The sprite renderer TAlpha32.
//
// Once per frame a scene empties the target (Clear), queues textured quads
// (DrawTex, DrawTexLT, DrawTexEx, DrawTexLTEx) or plain ones (DrawNoTex), and
// the frame loop calls Rendering: the queue is sorted by priority (ties keep
// their queue order), every entry is drawn and the queue is emptied before the
// display presents the frame.
//
// Two paths, chosen at creation:
// - DirectDraw (the game's default): each entry is one colour-keyed blit of a
//   source rectangle onto the back buffer. Blend mode, alpha, colours,
//   rotation and up-down mirroring do nothing; left-right mirroring draws from
//   the texture's mirrored copy.
// - Direct3D: each entry is a textured fan of four vertices through the
//   display's 3D device with one of twelve blend modes, per-corner colours,
//   mirroring and rotation; pictures larger than 256 x 256 are split in tiles.
//
// The render list has a fixed capacity; draws past it are dropped and counted
// (the caption's alert says so), never written past the list.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "shell/FormParts.h"

class TDDDD;
class TDDDDGenSurface;
class TProcCounter;
// The device types are only named here, so that this header can sit beside
// the picture classes (both sides have a palette entry type of their own).
namespace plat {
struct DdRect;
class SoftSurface;
class Bitmap;
namespace d3d {
enum class RenderState;
enum class StageState;
struct TLVertex;
struct Viewport;
}  // namespace d3d
}  // namespace plat

constexpr int32_t PRIMAX = 1000;
constexpr int32_t PRIMAX2 = 1000000;  // the priority of topmost items
constexpr int32_t MAXTEXSIZE = 256;   // tile edge
constexpr float PI = 3.14159265f;
constexpr float PI2 = 6.2831853f;     // turns to radians

enum BLENDMODE : uint8_t {
  BM_NORMAL = 0,
  BM_ADD,
  BM_MODULATE,
  BM_SUB,
  BM_FLASH,
  BM_NOT,
  BM_SUBADD,
  BM_DIV,
  BM_COPY,
  BM_NONE,
  BM_16TW1,
  BM_16TW2
};
enum MirrorFlag : uint8_t { mirNone = 0, mirLR, mirUD, mirUDLR };
enum RollFlag : uint8_t { r0 = 0, r90, r180, r270, rFree, r90LT, r270LT };
enum ALPHAMASKMODE : uint8_t { AM_BINARY = 0, AM_GRAY };

// Per-corner multipliers (0..255 of the flat colour's channels).
struct TVtxColData {
  uint8_t VtxA[4] = {}, VtxR[4] = {}, VtxG[4] = {}, VtxB[4] = {};
};
using pVtxColData = const TVtxColData*;

// Corners 0 left-top, 1 right-top, 2 left-bottom, 3 right-bottom (of the
// source picture).
struct Vertex4 {
  float xx[4] = {}, yy[4] = {};
};

// One queued entry. Empty is true while the entry waits to be drawn.
struct TDRAWDATA {
  bool Empty = false;
  TDDDDGenSurface* Tex = nullptr;
  float sx[4] = {}, sy[4] = {};
  float dx[4] = {}, dy[4] = {};
  uint32_t Pri = 0;
  uint32_t Color = 0;  // ARGB
  uint32_t BM = BM_NORMAL;
  bool VtxCol_f = false;
  uint32_t VtxCol[4] = {};
  uint32_t dwDDFX = 0;
};

// ---- textures -------------------------------------------------------------
enum ALState : uint8_t { alsNil = 0, alsEmp, alsOK };
enum ColKeyType : uint8_t { ckNone = 0, ckPix00, ckPalNo0 };
enum ALTSource : uint8_t { asBmp = 0, asQDA, asEmp };

class TQDAStream;
struct TPaletteData;  // graphics/AlphaLib32Pictures.h
struct ALIndexedMemo;  // graphics/AlphaLib32Pictures.h
struct TPaletteDataDeleter {
  void operator()(TPaletteData* p) const;
};
using TPaletteDataPtr = std::unique_ptr<TPaletteData, TPaletteDataDeleter>;

struct ALRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// How a texture was made, kept so it can be made again.
struct TALTLoadState {
  ALTSource Source = asBmp;
  std::string FileName;
  TQDAStream* pQDAS = nullptr;
  bool DDLR_f = false;
  bool DDRoll_f = false;
  ColKeyType CK = ckNone;
  int32_t Pal = -1;
  std::string ID;
  int32_t Size = 0;
  int32_t tpgx = 0, tpgy = 0;
  ALRect SrcR;
};

// A palette colour as the texture loader keeps it.
struct TPalEntry {
  uint8_t red = 0, green = 0, blue = 0, flags = 0;
};

// Working state of one load.
struct TALLoadState {
  ColKeyType CK = ckNone;
  int32_t Pal = -1;
  bool PE_f = false;  // palette entry 0 was captured
  TPalEntry PE;
  bool DDRoll_f = false, DDLR_f = false;
  ALRect ScrR;
};

// A 32-bit picture in memory: 0xAARRGGBB, rows top to bottom.
struct AL32Pixels {
  int32_t Width = 0, Height = 0;
  std::vector<uint32_t> Px;
  uint32_t At(int32_t x, int32_t y) const { return Px[size_t(y) * size_t(Width) + size_t(x)]; }
};

// One texture as the game holds it. The tiles are made and freed by the
// renderer (load / FreeTexture); the record itself belongs to the caller and
// must stay in place while it is listed.
struct TALTexture {
  ALState ALSt = alsNil;
  std::vector<std::vector<TDDDDGenSurface*>> Texture;  // [column][row]
  uint8_t pgX = 0, pgY = 0;  // last tile column and row
  int32_t Width = 0, Height = 0;
  int32_t BmpWidth = 0, BmpHeight = 0;
  int32_t Mag = 1;
  bool DDLR_f = false;
  TDDDDGenSurface* DDLRTexture = nullptr;
  int32_t ListIndex = -1;
  TALTLoadState LoadSt;

  // True when tile [0][0] exists.
  bool HasTiles() const { return !Texture.empty() && !Texture[0].empty() && Texture[0][0]; }
  TDDDDGenSurface* Tile(int ix, int iy) const {
    if (ix < 0 || iy < 0 || size_t(ix) >= Texture.size() || size_t(iy) >= Texture[ix].size())
      return nullptr;
    return Texture[ix][iy];
  }
};

// ---- the 3D device as the renderer uses it -----------------------------
// The game's device is the display's software 3D device; tests put a
// recording one in its place to check which state changes reach it.
class AL32Device {
 public:
  virtual ~AL32Device() = default;
  virtual void SetViewport(const plat::d3d::Viewport& vp) = 0;
  virtual void Clear(const plat::DdRect& rect, uint32_t flags, uint32_t argb) = 0;
  virtual void BeginScene() = 0;
  virtual void EndScene() = 0;
  virtual void SetTexture(plat::SoftSurface* tex) = 0;
  virtual void SetRenderState(plat::d3d::RenderState s, uint32_t v) = 0;
  virtual void SetTextureStageState(plat::d3d::StageState s, uint32_t v) = 0;
  virtual void DrawFan(const plat::d3d::TLVertex* v4) = 0;
};

// Blend state of one mode (the table the Direct3D pass works from).
struct AL32BlendState {
  bool Draw = true;
  uint32_t SrcBlend = 0;  // device blend factors and colour operation
  uint32_t DestBlend = 0;
  uint32_t ColorOp = 0;
  bool Toward = false;  // corner colours are blended toward Base
  uint32_t Base = 0;
};
AL32BlendState BlendStateFor(uint32_t bm, bool alphaTexture);

uint32_t _ARGB(uint32_t aa, uint32_t rr, uint32_t gg, uint32_t bb);
// Each channel: (c1 * (255 - alp) + c2 * alp) >> 8; alp above 255 counts as 255.
uint32_t _BlendARGB(uint32_t Col1, uint32_t Col2, int32_t alp);
// Round to the nearest integer, halves to the even neighbour.
int32_t RoundHalfEven(float v);

// Corner generators: centre and half extents, or left-top and full extents.
// d3d selects the half-turn corner reversal of r180 / r270 / r270LT.
Vertex4 SetRoll(float x, float y, float w, float h, RollFlag r, bool d3d);
Vertex4 SetRollLT(float x, float y, float w, float h, RollFlag r, bool d3d);
Vertex4 SetMirror(const Vertex4& tv, MirrorFlag m, RollFlag r);

// The renderer's debug log switch and line counter ("AL32DEBUG.TXT").
extern bool AL32_DebugMode;
extern int32_t AL32_DebugCount;

class TAlpha32 : public FormRenderer {
 public:
  // tQD may be null: entries are then queued and consumed but nothing is
  // drawn (scene tests read the queue). count is the list's capacity.
  TAlpha32(TDDDD* tQD, TProcCounter* tPC, bool UseDDraw_f, bool TrueColTex_f, int32_t tMag,
           int32_t count);
  ~TAlpha32() override;
  TAlpha32(const TAlpha32&) = delete;
  TAlpha32& operator=(const TAlpha32&) = delete;

  // ---- per frame ----
  void Clear(uint32_t col = 0, bool ZClear_f = false);
  void DrawTex(const TALTexture& src, int32_t sx1, int32_t sy1, int32_t sw, int32_t sh,
               int32_t dx1, int32_t dy1, int32_t Pri, uint8_t alp, uint32_t col, BLENDMODE BM,
               MirrorFlag Mirror_f, bool NoAsp_f);
  void DrawTexLT(const TALTexture& src, int32_t sx1, int32_t sy1, int32_t sw, int32_t sh,
                 float dx1, float dy1, int32_t Pri, uint8_t alp, uint32_t col, BLENDMODE BM,
                 MirrorFlag Mirror_f, bool NoAsp_f);
  void DrawTexEx(const TALTexture& src, int32_t sx1, int32_t sy1, int32_t sw, int32_t sh,
                 float dx1, float dy1, int32_t Pri, uint8_t alp, uint32_t col, BLENDMODE BM,
                 MirrorFlag Mirror_f, bool NoAsp_f, float MagX, float MagY, RollFlag Roll_f,
                 float r, pVtxColData pVCDt);
  void DrawTexLTEx(const TALTexture& src, int32_t sx1, int32_t sy1, int32_t sw, int32_t sh,
                   float dx1, float dy1, int32_t Pri, uint8_t alp, uint32_t col, BLENDMODE BM,
                   MirrorFlag Mirror_f, bool NoAsp_f, float MagX, float MagY, RollFlag Roll_f,
                   float r, pVtxColData pVCDt);
  void DrawNoTex(int32_t sw, int32_t sh, int32_t dx1, int32_t dy1, int32_t Pri, uint8_t alp,
                 uint32_t col, BLENDMODE BM, MirrorFlag Mirror_f, bool NoAsp_f,
                 pVtxColData pVCDt);
  void DrawPoly(TDDDDGenSurface* src, float sx1, float sy1, float sx2, float sy2, float sx3,
                float sy3, float sx4, float sy4, float dx1, float dy1, float dx2, float dy2,
                float dx3, float dy3, float dx4, float dy4, uint32_t col, BLENDMODE BM,
                uint32_t pri, pVtxColData pVCDt, bool NoAsp_f);
  bool CheckALTex(const TALTexture& src, int32_t sx1, int32_t sy1, int32_t sw, int32_t sh) const;
  void Rendering() override;
  void RenderingDD();
  void RenderingD3D();
  void SetAspect(float tMag, bool UseZS_f) override;
  void ErrOn() { Err_f = true; }

  // ---- the frame loop's view ----
  std::string AlertMsg() const override { return FAlertMsg; }
  void SetTexelFix(float fix) override { POINTTEXELFIX = fix; }
  void SetAspectCentre(float x, float y) override {
    aspcX = x;
    aspcY = y;
  }
  void SetDebugMessages(bool on) override { AL32_DebugMode = on; }

  // ---- cached device setters (Direct3D path only) ----
  void D3DSetTexture(plat::SoftSurface* x, bool change);
  void D3DSetSrcBlend(uint32_t x, bool change);
  void D3DSetDestBlend(uint32_t x, bool change);
  void D3DSetTextureOP(uint32_t x, bool change);
  void D3DSetScene(bool x, bool change);

  // ---- logs ----
  void AL32_DebugMessage(const std::string& mes);
  void PutPC(const std::string& Prc, int32_t PCNo);
  // Load timing on the shared stopwatches: start one, or stop it and log its
  // time under Prc.
  void StartPC(int32_t PCNo);
  void StopPC(const std::string& Prc, int32_t PCNo);

  // ---- textures ----
  // Loads a picture file (".bmp", ".jpg", ".png", extension as written, with
  // an optional "_a" alpha companion whose blue byte becomes the alpha) into
  // tx. A record that already holds the same file answers false unless
  // Reload_f or its display memory was lost. The four short forms set Err_f
  // when they answer false; the Rect and archive-Rect forms do not.
  bool LoadTexture(TALTexture& tx, const std::string& FileName);
  bool LoadTextureLR(TALTexture& tx, const std::string& FileName);  // with a mirrored copy
  bool LoadTextureEx(TALTexture& tx, const std::string& FileName, bool Reload_f, bool DDLR_f,
                     bool DDRoll_f, ColKeyType CK, int32_t Pal);
  bool LoadTextureExRect(TALTexture& tx, const std::string& FileName, bool Reload_f, bool DDLR_f,
                         bool DDRoll_f, ColKeyType CK, int32_t Pal, const ALRect& SrcR);
  // The same from an archive entry (never with an alpha companion). The
  // archive must stay open while the texture is listed: it is read again
  // after display memory was lost.
  bool LoadTextureExQDA(TALTexture& tx, const std::string& ID, TQDAStream* QDAMS, bool Reload_f,
                        bool DDLR_f, bool DDRoll_f, ColKeyType CK, int32_t Pal);
  bool LoadTextureExQDARect(TALTexture& tx, const std::string& ID, TQDAStream* QDAMS,
                            bool Reload_f, bool DDLR_f, bool DDRoll_f, ColKeyType CK, int32_t Pal,
                            const ALRect& SrcR);
  // Rebuilds every listed texture after display memory was lost: pictures
  // whose memory was lost are loaded again (to a new list position), empty
  // textures are made anew. A texture that cannot be rebuilt sets Err_f and
  // the pass goes on with the next.
  void RestoreFromList();
  // Reads a 778-byte palette file (only read; missing gives an empty slot)
  // and appends it; returns its number.
  int32_t PalLoad(const std::string& FileName);
  // Appends a palette made by the caller; returns its number.
  int32_t PalSet(TPaletteDataPtr ppal);
  // The palette numbered n; null for -1, an empty slot or a number past the list.
  const TPaletteData* PalAt(int32_t n) const;
  int32_t PalCount() const { return int32_t(PalList.size()); }
  void PalListClear();
  // The last indexed archive picture, kept so loading it again with another
  // palette does not decode it again.
  ALIndexedMemo& EntryMemo();
  static TALLoadState InitLSt(ColKeyType CK, int32_t Pal, bool DDLR_f, bool DDRoll_f,
                              const ALRect& SrcR);
  // Tiles for a picture (one surface at display scale on the blit path,
  // 256 x 256 tiles on the 3D path); no tiles when one could not be made.
  TALTexture MakeTex(const AL32Pixels& bmp, const std::string& filename, TALLoadState& LSt);
  TALTexture MakeTex(const plat::Bitmap* bmp, const std::string& filename, TALLoadState& LSt);
  // Copies the picture's rrr (all 0: the whole picture) into the tiles and
  // sets the colour key the CK rule finds. TXW_f writes grey masks.
  void BitmapToTexture(TALTexture& dest, const AL32Pixels& src, const ALRect& rrr, ColKeyType CK,
                       const TPalEntry* pPE, bool TXW_f);
  // Only 32-bit bitmaps are copied.
  void BitmapToTexture(TALTexture& dest, const plat::Bitmap* src, const ALRect& rrr,
                       ColKeyType CK, const TPalEntry* pPE, bool TXW_f);
  bool MakeEmptyTexture(TALTexture& tx, const std::string& tUse, int32_t Size, int32_t tpgx,
                        int32_t tpgy);
  // False (and a log line) when tx holds nothing.
  bool FreeTexture(TALTexture& tx);
  // Appends tx's address to the texture list and records its position.
  void ListTexture(TALTexture& tx);
  void TextureListFree();
  const std::vector<TALTexture*>& TextureList() const { return TexList2; }

  // ---- state ----
  uint32_t DrawObjectCount() const { return DrawOrder; }
  uint32_t Capacity() const { return MaxCount; }
  // Draws dropped because the list was full, since the last Rendering.
  uint32_t DroppedCount() const { return FDropped; }
  // The queued entry i (0 .. DrawObjectCount-1), in queue order.
  const TDRAWDATA& Entry(uint32_t i) const { return DD[i]; }
  bool DDraw_f() const { return FDDraw_f; }
  TDDDD* QD;
  TProcCounter* PC;
  int32_t ALMag;
  float ZOOMSPEED = 1.0f;
  bool Err_f = false;
  float Aspect = 1.0f;
  float AspInverse = 0.0f;
  float aspcX = 256.0f, aspcY = 120.0f;
  std::string RGBPIXELFORMAT = "ARGB1555;RGB565;ARGB4444;RGB555";
  std::string ARGBPIXELFORMAT = "ARGB8888";
  float LINEARTEXELFIX = 0.25f;
  float POINTTEXELFIX = 0.01f;
  float PIXELFIX = -0.5f;
  bool ALPHATEXTURE;
  bool LINEARFILTER = false;
  bool AUTOALPHAMASK = true;
  ALPHAMASKMODE AUTOALPHAMASKMODE = AM_BINARY;

  // Replaces the 3D device (tests); null returns to the display's own.
  void SetDevice(AL32Device* dev);

 private:
  void SortList();
  // Appends one entry; null when the list is full (the draw is counted).
  TDRAWDATA* Queue(TDDDDGenSurface* src, float sx1, float sy1, float sx2, float sy2, float sx3,
                   float sy3, float sx4, float sy4, const Vertex4& V, uint32_t col, uint32_t BM,
                   uint32_t pri, pVtxColData pVCDt, bool NoAsp_f);

  static void FreeTiles(TALTexture& t);
  static bool TileRestored(const TALTexture& t);
  void ReloadLog(const std::string& name, int reason);
  TALTexture LoadFileToTexture(const std::string& FileName, TALLoadState& LSt);
  TALTexture LoadFileToTextureQDA(const std::string& ID, TQDAStream* QDAMS, TALLoadState& LSt);
  std::vector<TPaletteDataPtr> PalList;
  std::shared_ptr<ALIndexedMemo> entryMemo_;
  bool ClipMirrored(plat::DdRect& dr, plat::DdRect& sr) const;

  std::vector<TALTexture*> TexList2;
  std::vector<TDRAWDATA> DD;
  std::vector<int32_t> SS;
  uint32_t DrawOrder = 0;
  uint32_t MaxCount;
  uint32_t FDropped = 0;
  bool FDroppedAlert = false;
  std::string FAlertMsg;

  plat::SoftSurface* FTexture = nullptr;
  uint32_t FSrcBlend = 0, FDestBlend = 0, FTextureOP = 0;
  bool FScene = false;
  bool FDDraw_f;

  std::unique_ptr<AL32Device> FOwnDevice;
  AL32Device* FDevice = nullptr;
};
