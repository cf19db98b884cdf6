// Software 3D device on the SoftDraw surfaces: enough of an immediate-mode 3D
// device for a 2D sprite renderer. It draws pre-transformed, Gouraud-shaded,
// textured triangles (fans and lists) into a 16- or 32-bit render target with
// point or bilinear sampling, a source colour key, the two texture operations
// the renderer uses and the usual blend factors. There is no depth test.
//
// Rasterisation rules this device fixes:
// - Pixel centres lie at integer coordinates: pixel (x, y) is covered when the
//   point (x, y) is inside the triangle, with the top-left fill rule, so quads
//   sharing an edge neither overlap nor leave a gap. A renderer that shifts its
//   vertices by -0.5 maps texel (u*W, v*H) 1:1 onto pixels.
// - Point sampling reads texel (floor(u*W), floor(v*H)), wrapped or clamped.
// - With no texture bound, the texture reads opaque white.
// - Colour and alpha values are 0..255; products round (a*b + 127) / 255.
// - The render target has no alpha: DESTALPHA reads 255.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "platform/SoftDraw.h"

namespace plat {

namespace d3d {
// Device kinds, fastest first.
enum DeviceKind : int { kTnLHal = 0, kHal = 1, kMMX = 2, kRGB = 3, kRamp = 4, kRef = 5 };
constexpr int kDeviceKinds = 6;

constexpr uint32_t kClearTarget = 0x1;
constexpr uint32_t kClearZBuffer = 0x2;
constexpr uint32_t kClearStencil = 0x4;

enum class RenderState {
  ZWriteEnable,
  AlphaBlendEnable,
  SrcBlend,
  DestBlend,
  CullMode,
  DitherEnable,
  SpecularEnable,
  ColorKeyEnable,
  Lighting,
};
enum Blend : uint32_t {
  kBlendZero = 1,
  kBlendOne,
  kBlendSrcColor,
  kBlendInvSrcColor,
  kBlendSrcAlpha,
  kBlendInvSrcAlpha,
  kBlendDestAlpha,
  kBlendInvDestAlpha,
  kBlendDestColor,
  kBlendInvDestColor,
};
enum Cull : uint32_t { kCullNone = 1, kCullCW, kCullCCW };

enum class StageState {
  ColorOp,
  ColorArg1,
  ColorArg2,
  AlphaOp,
  AlphaArg1,
  AlphaArg2,
  MinFilter,
  MagFilter,
  MipFilter,
  Address,
};
enum TextureOp : uint32_t { kOpDisable = 1, kOpSelectArg1, kOpSelectArg2, kOpModulate, kOpAdd };
enum TextureArg : uint32_t { kArgDiffuse = 0, kArgCurrent = 1, kArgTexture = 2 };
enum Filter : uint32_t { kFilterNone = 1, kFilterPoint, kFilterLinear };
enum Address : uint32_t { kAddressWrap = 1, kAddressClamp = 3 };

enum class Primitive { TriangleFan, TriangleList };
// Vertex layout flags of TLVertex: screen position with rhw, diffuse,
// specular, one texture coordinate pair.
constexpr uint32_t kFvfTLVertex = 0x1;

struct TLVertex {
  float x = 0, y = 0, z = 0, rhw = 1;
  uint32_t diffuse = 0xFFFFFFFF;  // ARGB
  uint32_t specular = 0;
  float u = 0, v = 0;
};

struct Viewport {
  uint32_t x = 0, y = 0, width = 0, height = 0;
  float minZ = 0, maxZ = 1;
};

struct DeviceDesc {
  DeviceKind kind = kRGB;
  std::string description, name;
};
}  // namespace d3d

class Soft3DDevice;

// The 3D object of a SoftDraw device (SoftDraw::QueryDirect3D).
class Soft3D final : public SoftObject {
 public:
  // Calls cb for every device kind; stops when it returns false.
  int32_t EnumDevices(const std::function<bool(const d3d::DeviceDesc&)>& cb);
  // Depth formats for a device, in the setup's order; stops when cb returns false.
  int32_t EnumZBufferFormats(d3d::DeviceKind kind,
                             const std::function<bool(const DdPixelFormat&)>& cb);
  // Fails for kinds the setup does not accept and for targets that are not
  // 16- or 32-bit RGB.
  int32_t CreateDevice(d3d::DeviceKind kind, SoftSurface* target, Soft3DDevice** out);

 private:
  friend class SoftDraw;
  Soft3D() = default;
};

class Soft3DDevice final : public SoftObject {
 public:
  int32_t EnumTextureFormats(const std::function<bool(const DdPixelFormat&)>& cb);
  int32_t SetViewport(const d3d::Viewport& vp);
  int32_t GetViewport(d3d::Viewport* vp) const;
  // Fills the rectangles (or the viewport) of the target with an ARGB colour.
  // Depth and stencil flags are accepted and ignored: there is no depth test.
  int32_t Clear(uint32_t count, const DdRect* rects, uint32_t flags, uint32_t argb, float z,
                uint32_t stencil);
  int32_t BeginScene();
  int32_t EndScene();  // fails harmlessly outside a scene
  int32_t SetTexture(uint32_t stage, SoftSurface* texture);
  int32_t SetRenderState(d3d::RenderState state, uint32_t value);
  uint32_t GetRenderState(d3d::RenderState state) const;
  int32_t SetTextureStageState(uint32_t stage, d3d::StageState state, uint32_t value);
  uint32_t GetTextureStageState(d3d::StageState state) const;
  int32_t DrawPrimitive(d3d::Primitive type, uint32_t fvf, const d3d::TLVertex* vertices,
                        uint32_t count, uint32_t flags);

  d3d::DeviceKind Kind() const { return kind_; }
  SoftSurface* Target() const { return target_; }
  SoftSurface* Texture() const { return texture_; }
  bool InScene() const { return inScene_; }

 private:
  friend class Soft3D;
  Soft3DDevice() = default;
  ~Soft3DDevice() override;
  void DrawTriangle(const d3d::TLVertex& a, const d3d::TLVertex& b, const d3d::TLVertex& c);

  d3d::DeviceKind kind_ = d3d::kRGB;
  SoftSurface* target_ = nullptr;   // held reference
  SoftSurface* texture_ = nullptr;  // not held; cleared when the surface goes
  bool inScene_ = false;
  d3d::Viewport viewport_;
  uint32_t rs_[9] = {};
  uint32_t ts_[10] = {};

 public:
  void ForgetSurface(SoftSurface* s);  // internal: a surface is being freed
};

// Retained-mode stand-ins: a device made from a clipper, never drawn through.
class SoftRMDevice final : public SoftObject {
 private:
  friend class SoftRM;
  SoftRMDevice() = default;
};

class SoftRM final : public SoftObject {
 public:
  static int32_t Create(SoftRM** out);
  int32_t CreateDeviceFromClipper(SoftClipper* clipper, d3d::DeviceKind kind, uint32_t w,
                                  uint32_t h, SoftRMDevice** out);

 private:
  SoftRM() = default;
};

}  // namespace plat
