// The software 3D device: pixel-exact quads, fill rule, colour key, blending.
#include <gtest/gtest.h>

#include "platform/SoftD3D.h"

using namespace plat;
using d3d::RenderState;
using d3d::StageState;

namespace {

class D3DTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSoftDrawSetup();
    ASSERT_EQ(SoftDraw::Create(0, &dd_), 0);
    ASSERT_EQ(dd_->QueryDirect3D(&d3d_), 0);
    target_ = Make(16, 16, fmt::XRGB8888());
    ASSERT_EQ(d3d_->CreateDevice(d3d::kRGB, target_, &dev_), 0);
    // The renderer's fixed states for colour-keyed textures.
    dev_->SetRenderState(RenderState::CullMode, d3d::kCullNone);
    dev_->SetRenderState(RenderState::AlphaBlendEnable, 1);
    dev_->SetRenderState(RenderState::ColorKeyEnable, 1);
    dev_->SetTextureStageState(0, StageState::ColorArg1, d3d::kArgTexture);
    dev_->SetTextureStageState(0, StageState::ColorArg2, d3d::kArgDiffuse);
    dev_->SetTextureStageState(0, StageState::AlphaArg1, d3d::kArgDiffuse);
    dev_->SetTextureStageState(0, StageState::AlphaArg2, d3d::kArgDiffuse);
    dev_->SetTextureStageState(0, StageState::AlphaOp, d3d::kOpSelectArg1);
    Blend(d3d::kBlendSrcAlpha, d3d::kBlendInvSrcAlpha, d3d::kOpModulate);
  }
  void TearDown() override {
    if (tex_) tex_->Release();
    dev_->Release();
    target_->Release();
    d3d_->Release();
    dd_->Release();
    EXPECT_EQ(LiveSurfaceCount(), 0);
  }
  SoftSurface* Make(uint32_t w, uint32_t h, const DdPixelFormat& pf) {
    DdSurfaceDesc d;
    d.flags = dd::kSdCaps | dd::kSdWidth | dd::kSdHeight | dd::kSdPixelFormat;
    d.caps = dd::kCapsTexture | dd::kCapsSystemMemory;
    d.width = w;
    d.height = h;
    d.pf = pf;
    SoftSurface* s = nullptr;
    EXPECT_EQ(dd_->CreateSurface(d, &s), 0);
    return s;
  }
  void Blend(uint32_t src, uint32_t dst, uint32_t op) {
    dev_->SetRenderState(RenderState::SrcBlend, src);
    dev_->SetRenderState(RenderState::DestBlend, dst);
    dev_->SetTextureStageState(0, StageState::ColorOp, op);
  }
  // A 4 x 4 texture whose texel (x, y) is 0xFF000000 | (x+1) << 16 | (y+1) << 8.
  void MakeTexture() {
    tex_ = Make(4, 4, fmt::ARGB8888());
    for (uint32_t y = 0; y < 4; ++y)
      for (uint32_t x = 0; x < 4; ++x) SetTexel(x, y, 0xFF000000u | (x + 1) << 16 | (y + 1) << 8);
    dev_->SetTexture(0, tex_);
  }
  void SetTexel(uint32_t x, uint32_t y, uint32_t v) {
    DdRect r{int32_t(x), int32_t(y), int32_t(x + 1), int32_t(y + 1)};
    DdBltFx fx;
    fx.fillColor = v;
    tex_->Blt(&r, nullptr, nullptr, dd::kBltColorFill, &fx);
  }
  void ClearTo(uint32_t rgb) { ASSERT_EQ(dev_->Clear(0, nullptr, d3d::kClearTarget, rgb, 1, 0), 0); }
  // The renderer's quad: corners 0..3 (left-top, right-top, left-bottom,
  // right-bottom) drawn as the fan 0, 1, 3, 2, every position shifted by -0.5.
  int32_t Quad(float l, float t, float r, float b, float u0, float v0, float u1, float v1,
               uint32_t color = 0xFFFFFFFF, float fix = -0.5f) {
    d3d::TLVertex v[4];
    const float xs[4] = {l, r, r, l}, ys[4] = {t, t, b, b};
    const float us[4] = {u0, u1, u1, u0}, vs[4] = {v0, v0, v1, v1};
    for (int i = 0; i < 4; ++i) {
      v[i].x = xs[i] + fix;
      v[i].y = ys[i] + fix;
      v[i].z = 0.5f;
      v[i].rhw = 0.2f;
      v[i].diffuse = color;
      v[i].u = us[i];
      v[i].v = vs[i];
    }
    dev_->BeginScene();
    int32_t res = dev_->DrawPrimitive(d3d::Primitive::TriangleFan, d3d::kFvfTLVertex, v, 4, 0);
    dev_->EndScene();
    return res;
  }
  uint32_t Px(uint32_t x, uint32_t y) const { return target_->RawPixel(x, y) & 0xFFFFFF; }

  SoftDraw* dd_ = nullptr;
  Soft3D* d3d_ = nullptr;
  Soft3DDevice* dev_ = nullptr;
  SoftSurface* target_ = nullptr;
  SoftSurface* tex_ = nullptr;
};

}  // namespace

TEST_F(D3DTest, OneToOneQuadReproducesTheTexture) {
  MakeTexture();
  ClearTo(0x000000);
  ASSERT_EQ(Quad(5, 6, 9, 10, 0, 0, 1, 1), 0);
  for (uint32_t y = 0; y < 16; ++y) {
    for (uint32_t x = 0; x < 16; ++x) {
      uint32_t want = 0;
      if (x >= 5 && x < 9 && y >= 6 && y < 10) want = (x - 5 + 1) << 16 | (y - 6 + 1) << 8;
      ASSERT_EQ(Px(x, y), want) << x << "," << y;
    }
  }
  // A sub-rectangle of the texture, scaled 2:1.
  ClearTo(0);
  ASSERT_EQ(Quad(0, 0, 4, 4, 0.5f, 0.5f, 1.0f, 1.0f), 0);
  EXPECT_EQ(Px(0, 0), 0x030300u);
  EXPECT_EQ(Px(1, 1), 0x030300u);
  EXPECT_EQ(Px(3, 3), 0x040400u);
}

TEST_F(D3DTest, NeighbouringQuadsNeitherOverlapNorLeaveGaps) {
  tex_ = nullptr;
  dev_->SetTexture(0, nullptr);
  Blend(d3d::kBlendOne, d3d::kBlendOne, d3d::kOpModulate);
  ClearTo(0);
  // Edges between pixel centres and right on them, in both directions.
  const float cuts[] = {2.0f, 5.3f, 7.5f, 8.0f, 11.7f, 14.0f};
  for (int i = 0; i + 1 < 6; ++i) {
    for (int j = 0; j + 1 < 6; ++j) {
      Quad(cuts[i], cuts[j], cuts[i + 1], cuts[j + 1], 0, 0, 1, 1, 0xFF010101, 0.0f);
    }
  }
  for (uint32_t y = 0; y < 16; ++y) {
    for (uint32_t x = 0; x < 16; ++x) {
      const bool inside = x >= 2 && x < 14 && y >= 2 && y < 14;
      ASSERT_EQ(Px(x, y), inside ? 0x010101u : 0u) << x << "," << y;
    }
  }
}

TEST_F(D3DTest, ColourKeyDiscardsOnlyKeyTexels) {
  MakeTexture();
  SetTexel(1, 1, 0);  // the key: black with no alpha
  tex_->SetColorKey(dd::kColorKeySrcBlt, 0, 0);
  ClearTo(0x505050);
  Quad(0, 0, 4, 4, 0, 0, 1, 1);
  EXPECT_EQ(Px(1, 1), 0x505050u);
  EXPECT_EQ(Px(2, 1), 0x030200u);
  // With keying off the texel is drawn.
  dev_->SetRenderState(RenderState::ColorKeyEnable, 0);
  Quad(0, 0, 4, 4, 0, 0, 1, 1);
  EXPECT_EQ(Px(1, 1), 0x000000u);
}

TEST_F(D3DTest, EachBlendRowOfTheRendererGivesItsColour) {
  tex_ = Make(1, 1, fmt::ARGB8888());
  SetTexel(0, 0, 0xFFC86432);  // texel (200, 100, 50)
  dev_->SetTexture(0, tex_);
  const uint32_t diffuse = 0x80285078;  // alpha 128, (40, 80, 120)
  struct Row {
    const char* name;
    uint32_t src, dst, op, want;
  } rows[] = {
      {"normal", d3d::kBlendSrcAlpha, d3d::kBlendInvSrcAlpha, d3d::kOpModulate, 0x425B70},
      {"add", d3d::kBlendSrcAlpha, d3d::kBlendOne, d3d::kOpModulate, 0x74A6D4},
      {"modulate", d3d::kBlendDestColor, d3d::kBlendZero, d3d::kOpAdd, 0x5E6A85},
      {"sub", d3d::kBlendZero, d3d::kBlendInvSrcColor, d3d::kOpModulate, 0x5884B5},
      {"flash", d3d::kBlendSrcAlpha, d3d::kBlendInvSrcAlpha, d3d::kOpAdd, 0xAAA5B9},
      {"not", d3d::kBlendInvDestColor, d3d::kBlendInvSrcColor, d3d::kOpModulate, 0x6B91BA},
      {"subadd", d3d::kBlendOne, d3d::kBlendInvSrcColor, d3d::kOpModulate, 0x77A3CD},
      {"div", d3d::kBlendDestColor, d3d::kBlendOne, d3d::kOpModulate, 0x70A8DB},
      {"copy", d3d::kBlendOne, d3d::kBlendZero, d3d::kOpModulate, 0x1F1F18},
      {"squared", d3d::kBlendSrcColor, d3d::kBlendZero, d3d::kOpModulate, 0x040402},
      // No target alpha: the destination's alpha reads as full.
      {"dest alpha", d3d::kBlendDestAlpha, d3d::kBlendInvDestAlpha, d3d::kOpModulate, 0x1F1F18},
      {"unknown factor", 99, d3d::kBlendZero, d3d::kOpModulate, 0x1F1F18},
      {"diffuse", d3d::kBlendOne, d3d::kBlendZero, d3d::kOpSelectArg2, 0x285078},
      {"no op", d3d::kBlendOne, d3d::kBlendZero, d3d::kOpDisable, 0x285078},
  };
  for (const Row& r : rows) {
    ClearTo(0x6496C8);  // (100, 150, 200)
    Blend(r.src, r.dst, r.op);
    Quad(3, 3, 5, 5, 0, 0, 1, 1, diffuse);
    EXPECT_EQ(Px(3, 3), r.want) << r.name;
    EXPECT_EQ(Px(4, 4), r.want) << r.name;
    EXPECT_EQ(Px(5, 5), 0x6496C8u) << r.name;
  }
}

TEST_F(D3DTest, WithoutATextureTheFadeCoverBlendsItsFlatColour) {
  dev_->SetTexture(0, nullptr);
  ClearTo(0xC8C8C8);
  Quad(0, 0, 16, 16, 0, 0, 256, 256, 0x80000000);  // black at half alpha
  EXPECT_EQ(Px(8, 8), 0x646464u);
  // The alpha-texture states take alpha from texture times diffuse: the same.
  dev_->SetTextureStageState(0, StageState::AlphaArg1, d3d::kArgTexture);
  dev_->SetTextureStageState(0, StageState::AlphaOp, d3d::kOpModulate);
  ClearTo(0xC8C8C8);
  Quad(0, 0, 16, 16, 0, 0, 256, 256, 0x80000000);
  EXPECT_EQ(Px(0, 15), 0x646464u);
}

TEST_F(D3DTest, ViewportClipsAndFarAwayVerticesAreSafe) {
  MakeTexture();
  d3d::Viewport vp{4, 4, 8, 8, 0.0f, 1.0f};
  ASSERT_EQ(dev_->SetViewport(vp), 0);
  ClearTo(0x111111);  // clears the viewport only
  d3d::Viewport whole{0, 0, 16, 16, 0.0f, 1.0f};
  EXPECT_EQ(Px(3, 3), 0u);
  EXPECT_EQ(Px(4, 4), 0x111111u);
  Quad(-100, -100, 100, 100, 0, 0, 1, 1);
  EXPECT_EQ(Px(3, 3), 0u);
  EXPECT_NE(Px(11, 11), 0x111111u);
  EXPECT_EQ(Px(12, 12), 0u);
  Quad(-1e30f, -1e30f, 1e30f, 1e30f, 0, 0, 1, 1);
  d3d::Viewport tooBig{8, 8, 16, 16, 0.0f, 1.0f};
  EXPECT_NE(dev_->SetViewport(tooBig), 0);
  ASSERT_EQ(dev_->SetViewport(whole), 0);
}

TEST_F(D3DTest, SixteenBitTargetAndSceneRules) {
  SoftSurface* t16 = Make(8, 8, fmt::RGB565());
  Soft3DDevice* dev16 = nullptr;
  ASSERT_EQ(d3d_->CreateDevice(d3d::kHal, t16, &dev16), 0);
  // A new device: writes depth, draws opaque, culls counter-clockwise,
  // modulates texture and current colour, takes the texture's alpha, and
  // samples the nearest texel with wrapping, over the whole target.
  const std::pair<RenderState, uint32_t> rs[] = {
      {RenderState::ZWriteEnable, 1},          {RenderState::AlphaBlendEnable, 0},
      {RenderState::SrcBlend, d3d::kBlendOne}, {RenderState::DestBlend, d3d::kBlendZero},
      {RenderState::CullMode, d3d::kCullCCW},  {RenderState::Lighting, 1}};
  for (auto [state, value] : rs) EXPECT_EQ(dev16->GetRenderState(state), value) << int(state);
  const std::pair<StageState, uint32_t> ts[] = {
      {StageState::ColorOp, d3d::kOpModulate},     {StageState::ColorArg1, d3d::kArgTexture},
      {StageState::ColorArg2, d3d::kArgCurrent},   {StageState::AlphaOp, d3d::kOpSelectArg1},
      {StageState::AlphaArg1, d3d::kArgTexture},   {StageState::AlphaArg2, d3d::kArgCurrent},
      {StageState::MinFilter, d3d::kFilterPoint},  {StageState::MagFilter, d3d::kFilterPoint},
      {StageState::MipFilter, d3d::kFilterNone},   {StageState::Address, d3d::kAddressWrap}};
  for (auto [state, value] : ts) EXPECT_EQ(dev16->GetTextureStageState(state), value) << int(state);
  d3d::Viewport vp;
  ASSERT_EQ(dev16->GetViewport(&vp), 0);
  EXPECT_EQ(vp.width, 8u);
  EXPECT_EQ(vp.height, 8u);
  EXPECT_EQ(vp.x + vp.y, 0u);
  EXPECT_EQ(dev16->Clear(0, nullptr, d3d::kClearTarget | d3d::kClearZBuffer, 0xFFFF0000, 1, 0), 0);
  EXPECT_EQ(t16->RawPixel(7, 7), 0xF800u);
  d3d::TLVertex v[4];
  EXPECT_NE(dev16->DrawPrimitive(d3d::Primitive::TriangleFan, d3d::kFvfTLVertex, v, 4, 0), 0);
  EXPECT_NE(dev16->EndScene(), 0);  // harmless without a scene
  EXPECT_EQ(dev16->BeginScene(), 0);
  EXPECT_NE(dev16->DrawPrimitive(d3d::Primitive::TriangleFan, 0x142, v, 4, 0), 0);
  EXPECT_EQ(dev16->EndScene(), 0);
  dev16->Release();
  t16->Release();
  // Only accepted kinds and 16/32-bit RGB targets make devices.
  SoftDrawTestSetup().acceptedDevices = {d3d::kRGB};
  Soft3DDevice* none = nullptr;
  EXPECT_NE(d3d_->CreateDevice(d3d::kHal, target_, &none), 0);
  SoftSurface* pal = Make(4, 4, fmt::Pal8());
  EXPECT_NE(d3d_->CreateDevice(d3d::kRGB, pal, &none), 0);
  pal->Release();
}

TEST_F(D3DTest, AFreedTextureIsUnbound) {
  MakeTexture();
  tex_->Release();
  tex_ = nullptr;
  EXPECT_EQ(dev_->Texture(), nullptr);
  ClearTo(0);
  EXPECT_EQ(Quad(0, 0, 2, 2, 0, 0, 1, 1), 0);
  EXPECT_EQ(Px(0, 0), 0xFFFFFFu & 0xFFFFFF);  // opaque white, not freed memory
}

// Texels of 16-bit formats widen to 8 bits by repeating their bits, so a full
// channel reads 255 and a half one 0x84 or 0x88; a 1-bit alpha is all or
// nothing.
TEST_F(D3DTest, SixteenBitTexelsWidenToWholeChannels) {
  struct Row {
    DdPixelFormat pf;
    uint32_t texel, want;
  };
  const Row rows[] = {
      {fmt::ARGB4444(), 0xF8C3, 0x88CC33}, {fmt::ARGB4444(), 0xF000, 0x000000},
      {fmt::RGB565(), 0x8410, 0x848284},   {fmt::RGB565(), 0xFFFF, 0xFFFFFF},
      {fmt::RGB565(), 0x0821, 0x080408},   {fmt::XRGB1555(), 0x7FFF, 0xFFFFFF},
      {fmt::ARGB1555(), 0xC210, 0x848484}, {fmt::ARGB1555(), 0x7FFF, 0x102030},
  };
  dev_->SetTextureStageState(0, StageState::AlphaArg1, d3d::kArgTexture);
  for (const Row& r : rows) {
    tex_ = Make(4, 4, r.pf);
    for (uint32_t y = 0; y < 4; ++y)
      for (uint32_t x = 0; x < 4; ++x) SetTexel(x, y, r.texel);
    dev_->SetTexture(0, tex_);
    ClearTo(0x102030);
    ASSERT_EQ(Quad(0, 0, 4, 4, 0, 0, 1, 1), 0);
    EXPECT_EQ(Px(1, 2), r.want) << std::hex << r.texel;
    EXPECT_EQ(Px(5, 2), 0x102030u);
    tex_->Release();
    tex_ = nullptr;
  }
}

// Triangle lists take their vertices three at a time; colours blend across
// a triangle; a texture whose size is no power of two wraps or clamps by
// index, and a linear filter mixes the four nearest texels.
TEST_F(D3DTest, ListsShadingWrappingAndFiltering) {
  dev_->SetTexture(0, nullptr);
  ClearTo(0);
  auto vertex = [](float x, float y, uint32_t colour, float u = 0, float v = 0) {
    d3d::TLVertex t;
    t.x = x - 0.5f, t.y = y - 0.5f, t.z = 0.5f, t.rhw = 1;
    t.diffuse = colour, t.u = u, t.v = v;
    return t;
  };
  const uint32_t black = 0xFF000000, blue = 0xFF0000FF;
  const d3d::TLVertex list[7] = {vertex(0, 0, black), vertex(8, 0, blue),  vertex(8, 2, blue),
                                 vertex(0, 0, black), vertex(8, 2, blue),  vertex(0, 2, black),
                                 vertex(0, 2, blue)};  // the seventh makes no triangle
  dev_->BeginScene();
  ASSERT_EQ(dev_->DrawPrimitive(d3d::Primitive::TriangleList, d3d::kFvfTLVertex, list, 7, 0), 0);
  dev_->EndScene();
  EXPECT_EQ(Px(0, 1), 16u);
  EXPECT_EQ(Px(3, 0), 112u);
  EXPECT_EQ(Px(7, 1), 239u);
  EXPECT_EQ(Px(0, 2), 0u);

  // A 3 x 3 texture, texel (x, y) = x + 1 in red: u from -1 to 1 over six
  // pixels reads texels 0 1 2 0 1 2 when wrapping, 0 0 0 0 1 2 when clamped.
  tex_ = Make(3, 3, fmt::XRGB8888());
  for (uint32_t y = 0; y < 3; ++y)
    for (uint32_t x = 0; x < 3; ++x) SetTexel(x, y, (x + 1) << 16);
  dev_->SetTexture(0, tex_);
  for (const bool clamp : {false, true}) {
    dev_->SetTextureStageState(0, StageState::Address, clamp ? d3d::kAddressClamp : d3d::kAddressWrap);
    EXPECT_EQ(dev_->GetTextureStageState(StageState::Address), clamp ? d3d::kAddressClamp : d3d::kAddressWrap);
    ClearTo(0);
    ASSERT_EQ(Quad(0, 0, 6, 1, -1, 0, 1, 1), 0);
    const uint32_t want[2][6] = {{1, 2, 3, 1, 2, 3}, {1, 1, 1, 1, 2, 3}};
    for (uint32_t x = 0; x < 6; ++x)
      EXPECT_EQ(Px(x, 0), want[clamp][x] << 16) << x << (clamp ? " clamped" : "");
  }
  dev_->SetTextureStageState(0, StageState::Address, d3d::kAddressWrap);
  tex_->Release();

  // A 2 x 2 texture, black then red 200, magnified four times and filtered.
  tex_ = Make(2, 2, fmt::XRGB8888());
  for (uint32_t y = 0; y < 2; ++y) SetTexel(1, y, 200u << 16), SetTexel(0, y, 0);
  dev_->SetTexture(0, tex_);
  dev_->SetTextureStageState(0, StageState::MagFilter, d3d::kFilterLinear);
  ClearTo(0);
  ASSERT_EQ(Quad(0, 0, 8, 2, 0, 0, 1, 1), 0);
  const uint32_t red[8] = {75, 25, 25, 75, 125, 175, 175, 125};
  for (uint32_t x = 0; x < 8; ++x) EXPECT_EQ(Px(x, 1), red[x] << 16) << x;

  d3d::Viewport vp{1, 2, 3, 4, 0.0f, 1.0f}, got{};
  ASSERT_EQ(dev_->SetViewport(vp), 0);
  ASSERT_EQ(dev_->GetViewport(&got), 0);
  EXPECT_EQ(got.x + got.y + got.width + got.height, 10u);
  EXPECT_NE(dev_->GetViewport(nullptr), 0);
}
