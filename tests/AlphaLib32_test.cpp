// The sprite renderer: the render list, corner tables, both draw passes
// compared pixel for pixel with frames the tests build themselves, the blend
// modes and the device state cache.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "graphics/AlphaLib32.h"
#include "graphics/dddd.h"
#include "platform/SoftD3D.h"
#include "tests/display_fixture.h"

namespace d3d = plat::d3d;

namespace {

constexpr uint32_t kKey = 0xFF00FF;  // magenta: the left-top texel, transparent

// A w x h picture whose texels all differ; texels where hole(x, y) are the key.
AL32Pixels Pattern(int w, int h, const std::function<bool(int, int)>& hole = nullptr) {
  AL32Pixels p;
  p.Width = w;
  p.Height = h;
  p.Px.resize(size_t(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint32_t c = (uint32_t(x * 8 % 256) << 16) | (uint32_t(y * 8 % 256) << 8) | 0x40;
      if ((x == 0 && y == 0) || (hole && hole(x, y))) c = kKey;
      p.Px[size_t(y) * w + x] = c;
    }
  return p;
}

// A frame the tests draw by hand: 0x00RRGGBB.
struct Frame {
  int w, h;
  std::vector<uint32_t> px;
  Frame(int W, int H, uint32_t fill = 0) : w(W), h(H), px(size_t(W) * H, fill) {}
  void Put(int x, int y, uint32_t c) {
    if (x >= 0 && y >= 0 && x < w && y < h) px[size_t(y) * w + x] = c;
  }
  // The picture at scale mag with its left-top at (x, y); keyed texels skipped.
  void Blit(const AL32Pixels& p, int x, int y, int mag, bool mirror) {
    for (int j = 0; j < p.Height * mag; ++j)
      for (int i = 0; i < p.Width * mag; ++i) {
        const int sx = mirror ? p.Width - 1 - i / mag : i / mag;
        const uint32_t c = p.At(sx, j / mag) & 0xFFFFFF;
        if (c != kKey) Put(x + i, y + j, c);
      }
  }
};

// A colour as a texture of five bits per channel holds it.
uint32_t Q5(uint32_t c) {
  auto w = [](uint32_t v) { v >>= 3; return (v << 3) | (v >> 2); };
  return w((c >> 16) & 0xFF) << 16 | w((c >> 8) & 0xFF) << 8 | w(c & 0xFF);
}

uint32_t BackPixel(TDDDD& d, int x, int y) {
  plat::SoftSurface* s = d.BackBuffer()->Surface();
  uint8_t a, r, g, b;
  plat::DecodePixel(s->Format(), s->RawPixel(uint32_t(x), uint32_t(y)), a, r, g, b);
  return uint32_t(r) << 16 | uint32_t(g) << 8 | b;
}

// The back buffer as a frame.
Frame Snapshot(TDDDD& d) {
  Frame f(d.BackBuffer()->Width(), d.BackBuffer()->Height());
  for (int y = 0; y < f.h; ++y)
    for (int x = 0; x < f.w; ++x) f.px[size_t(y) * f.w + x] = BackPixel(d, x, y);
  return f;
}

// Counts the pixels that differ from the frame and reports the first.
int Differences(TDDDD& d, const Frame& f) {
  int n = 0;
  for (int y = 0; y < f.h; ++y)
    for (int x = 0; x < f.w; ++x) {
      const uint32_t got = BackPixel(d, x, y), want = f.px[size_t(y) * f.w + x];
      if (got != want && n++ == 0)
        ADD_FAILURE() << "first difference at " << x << "," << y << ": got " << std::hex << got
                      << " want " << want;
    }
  return n;
}

// Records what reaches the 3D device.
class RecordingDevice : public AL32Device {
 public:
  struct Fan {
    uint32_t src, dst, op, diffuse;  // the blend state it was drawn with, corner 0's colour
  };
  std::vector<std::string> calls;
  std::vector<Fan> fans;
  uint32_t src = 0, dst = 0, op = 0;
  void SetViewport(const d3d::Viewport&) override { calls.push_back("Viewport"); }
  void Clear(const plat::DdRect&, uint32_t, uint32_t) override { calls.push_back("Clear"); }
  void BeginScene() override { calls.push_back("Begin"); }
  void EndScene() override { calls.push_back("End"); }
  void SetTexture(plat::SoftSurface* t) override {
    calls.push_back(t ? "Tex" : "Tex0");
  }
  void SetRenderState(d3d::RenderState s, uint32_t v) override {
    if (s == d3d::RenderState::SrcBlend) calls.push_back("Src" + std::to_string(src = v));
    else if (s == d3d::RenderState::DestBlend) calls.push_back("Dst" + std::to_string(dst = v));
  }
  void SetTextureStageState(d3d::StageState s, uint32_t v) override {
    if (s == d3d::StageState::ColorOp) calls.push_back("Op" + std::to_string(op = v));
  }
  void DrawFan(const d3d::TLVertex* v) override {
    calls.push_back("Draw");
    fans.push_back({src, dst, op, v[0].diffuse});
  }
};

class RendererTest : public DisplayTest {
 protected:
  // A display of the game's kind: blits unless use3D.
  TDDDD& Display(int mag, bool use3D) {
    disp.reset();  // one display per window
    disp = std::make_unique<TDDDD>(host);
    disp->VsyncAtWindowed = false;
    disp->Use3D = use3D;
    disp->D3DOptions = 0;
    disp->SetDebugOption(0);
    disp->DoInit([&] { disp->WindowMode(uint32_t(512 * mag), uint32_t(240 * mag)); });
    return *disp;
  }
  TAlpha32& Renderer(int mag, bool use3D, bool alphaTex = false, int count = 100) {
    Display(mag, use3D);
    al = std::make_unique<TAlpha32>(disp.get(), nullptr, !use3D, alphaTex, mag, count);
    al->POINTTEXELFIX = 0.0f;
    al->aspcX = al->aspcY = 0.0f;
    return *al;
  }
  TALTexture& Texture(const AL32Pixels& p, bool mirrorCopy = false, ColKeyType ck = ckPix00) {
    TALLoadState st = TAlpha32::InitLSt(ck, -1, mirrorCopy, false, ALRect{});
    auto t = std::make_unique<TALTexture>(al->MakeTex(p, "test", st));
    t->ALSt = alsOK;
    t->Mag = al->ALMag;
    textures.push_back(std::move(t));
    return *textures.back();
  }
  void TearDown() override {
    for (auto& t : textures) al->FreeTexture(*t);
    al.reset();
    disp.reset();
    DisplayTest::TearDown();
  }
  std::unique_ptr<TDDDD> disp;
  std::unique_ptr<TAlpha32> al;
  std::vector<std::unique_ptr<TALTexture>> textures;
};

}  // namespace

// ---- helpers and tables ---------------------------------------------------
TEST(AlphaLib32, BlendAndRoundingHelpers) {
  EXPECT_EQ(_BlendARGB(0, 0xFFFFFFFF, 300), 0xFEFEFEFEu);  // alp > 255 counts as 255
  EXPECT_EQ(_BlendARGB(0, 0x80FF0000, 0x80), 0x407F0000u);  // the ADD corner example
  EXPECT_EQ(_BlendARGB(0xFFFFFFFF, 0x00000000, 0), 0xFEFEFEFEu);
  EXPECT_EQ(RoundHalfEven(92.5f), 92);
  EXPECT_EQ(RoundHalfEven(93.5f), 94);
  EXPECT_EQ(RoundHalfEven(-0.5f), 0);
  EXPECT_EQ(RoundHalfEven(-1.5f), -2);
  EXPECT_EQ(RoundHalfEven(7.2f), 7);
}

TEST(AlphaLib32, CornerTablesMirroringAndHalfTurns) {
  Vertex4 v = SetRoll(10, 20, 4, 2, r0, true);
  EXPECT_EQ(v.xx[0], 6);
  EXPECT_EQ(v.yy[0], 18);
  EXPECT_EQ(v.xx[3], 14);
  EXPECT_EQ(v.yy[3], 22);
  // A half turn reverses the corners on the 3D path only.
  Vertex4 h3 = SetRoll(10, 20, 4, 2, r180, true), hd = SetRoll(10, 20, 4, 2, r180, false);
  EXPECT_EQ(h3.xx[0], 14);
  EXPECT_EQ(h3.yy[0], 22);
  EXPECT_EQ(hd.xx[0], 6);
  Vertex4 q = SetRoll(10, 20, 4, 2, r90, true);
  EXPECT_EQ(q.xx[0], 12);
  EXPECT_EQ(q.yy[0], 16);
  Vertex4 lt = SetRollLT(10, 20, 4, 2, r90LT, true);
  EXPECT_EQ(lt.xx[0], 12);
  EXPECT_EQ(lt.yy[1], 24);
  // mirLR swaps 0/1 and 2/3 unturned, 0/2 and 1/3 after a quarter turn.
  Vertex4 m = SetMirror(v, mirLR, r0);
  EXPECT_EQ(m.xx[0], v.xx[1]);
  EXPECT_EQ(m.xx[2], v.xx[3]);
  EXPECT_EQ(m.yy[0], v.yy[0]);
  Vertex4 mq = SetMirror(q, mirLR, r90);
  EXPECT_EQ(mq.xx[0], q.xx[2]);
  EXPECT_EQ(mq.xx[1], q.xx[3]);
  Vertex4 ud = SetMirror(v, mirUDLR, r0);
  EXPECT_EQ(ud.yy[0], v.yy[2]);
  EXPECT_EQ(ud.xx[0], v.xx[1]);
}

TEST(AlphaLib32, BlendTableMatchesTheModes) {
  using namespace plat::d3d;
  auto s = BlendStateFor(BM_MODULATE, false);
  EXPECT_EQ(s.SrcBlend, kBlendDestColor);
  EXPECT_EQ(s.DestBlend, kBlendZero);
  EXPECT_EQ(s.ColorOp, kOpAdd);
  EXPECT_EQ(s.Base, 0xFFFFFFFFu);
  EXPECT_FALSE(BlendStateFor(BM_NONE, false).Draw);
  EXPECT_TRUE(BlendStateFor(BM_16TW2, false).Draw);
  EXPECT_FALSE(BlendStateFor(BM_16TW2, true).Draw);
  EXPECT_EQ(BlendStateFor(BM_16TW1, true).SrcBlend, kBlendSrcAlpha);
  EXPECT_EQ(BlendStateFor(BM_16TW1, false).DestBlend, kBlendInvSrcColor);
  EXPECT_FALSE(BlendStateFor(BM_COPY, false).Toward);
  EXPECT_TRUE(BlendStateFor(BM_COPY, true).Toward);
}

// ---- the render list ---------------------------------------------------------
TEST(AlphaLib32, QueueGeometryZoomAndOverflow) {
  TDDDDGenSurface tile(nullptr, nullptr, 64, 64);
  TALTexture t;
  t.ALSt = alsOK;
  t.Texture = {{&tile}};
  t.Mag = 2;
  TAlpha32 al(nullptr, nullptr, true, false, 2, 3);
  al.aspcX = al.aspcY = 0;
  al.DrawTexLT(t, 0, 0, 16, 8, 10.0f, 20.0f, 0, 255, 0, BM_NORMAL, mirNone, false);
  const TDRAWDATA& e = al.Entry(0);
  EXPECT_TRUE(e.Empty);
  EXPECT_EQ(e.dx[0], 20);  // left-top (10, 20) at texture scale 2
  EXPECT_EQ(e.dy[0], 40);
  EXPECT_EQ(e.dx[3], 52);
  EXPECT_EQ(e.dy[3], 56);
  // Zoom about the centre, except for quads that ask not to be zoomed.
  al.SetAspect(2.0f, false);
  al.DrawTex(t, 0, 0, 2, 2, 5, 5, 0, 255, 0, BM_NORMAL, mirNone, false);
  al.DrawTex(t, 0, 0, 2, 2, 5, 5, 0, 255, 0, BM_NORMAL, mirNone, true);
  EXPECT_EQ(al.Entry(1).dx[0], 16);
  EXPECT_EQ(al.Entry(2).dx[0], 8);
  // Full: the next draws are dropped and counted, the caption says so once.
  al.DrawTex(t, 0, 0, 2, 2, 5, 5, 0, 255, 0, BM_NORMAL, mirNone, true);
  al.DrawTex(t, 0, 0, 2, 2, 5, 5, 0, 255, 0, BM_NORMAL, mirNone, true);
  EXPECT_EQ(al.DrawObjectCount(), 3u);
  EXPECT_EQ(al.DroppedCount(), 2u);
  al.Rendering();
  EXPECT_EQ(al.DrawObjectCount(), 0u);
  EXPECT_FALSE(al.Entry(0).Empty);
  EXPECT_NE(al.AlertMsg().find("2 draws dropped"), std::string::npos);
  al.Rendering();
  EXPECT_EQ(al.AlertMsg(), "");
  // No tiles: nothing is queued.
  TALTexture none;
  al.DrawTex(none, 0, 0, 2, 2, 5, 5, 0, 255, 0, BM_NORMAL, mirNone, true);
  EXPECT_EQ(al.DrawObjectCount(), 0u);
}

TEST(AlphaLib32, SteppedZoomBeforeAnyTargetSnaps) {
  TAlpha32 al(nullptr, nullptr, true, false, 1, 4);
  al.SetAspect(3.0f, true);  // no previous target: no step to divide by
  EXPECT_EQ(al.Aspect, 3.0f);
  al.SetAspect(1.0f, false);
  al.ZOOMSPEED = 0.25f;
  al.SetAspect(2.0f, true);
  EXPECT_FLOAT_EQ(al.Aspect, 1.25f);
  al.SetAspect(0.5f, true);  // zooming out is immediate
  EXPECT_EQ(al.Aspect, 0.5f);
}

TEST(AlphaLib32, TexelInsetOnTheThreeDPathOnly) {
  TDDDDGenSurface tile(nullptr, nullptr, 64, 64);
  TALTexture t;
  t.ALSt = alsOK;
  t.Texture = {{&tile}};
  TAlpha32 d3(nullptr, nullptr, false, false, 1, 4), dd(nullptr, nullptr, true, false, 1, 4);
  for (TAlpha32* al : {&d3, &dd}) {
    al->POINTTEXELFIX = 0.25f;
    al->DrawTex(t, 4, 4, 8, 0, 0, 0, 0, 255, 0, BM_NORMAL, mirNone, false);
  }
  EXPECT_EQ(d3.Entry(0).sx[0], 4.25f);
  EXPECT_EQ(d3.Entry(0).sx[1], 11.75f);
  EXPECT_EQ(d3.Entry(0).sy[0], 3.75f);  // zero height: both corners move the same way
  EXPECT_EQ(d3.Entry(0).sy[2], 3.75f);
  EXPECT_EQ(dd.Entry(0).sx[0], 4.0f);
}

// ---- the blit path -------------------------------------------------------------
TEST_F(RendererTest, BlitsAtBothScalesWithColourKeyAndClipping) {
  for (int mag : {1, 2}) {
    SCOPED_TRACE(mag);
    for (auto& t : textures) al->FreeTexture(*t);
    textures.clear();
    al.reset();
    TAlpha32& r = Renderer(mag, false);
    const AL32Pixels p = Pattern(10, 6, [](int x, int y) { return x == 4 && y > 1; });
    TALTexture& t = Texture(p);
    r.Clear(0x123456, true);  // the blit path clears with the display's colour
    r.DrawTex(t, 0, 0, 10, 6, 100, 50, 0, 255, 0, BM_NORMAL, mirNone, false);
    r.DrawTexLT(t, 0, 0, 10, 6, -4, 236, 0, 255, 0, BM_NONE, mirNone, false);  // left, bottom
    r.DrawTexLT(t, 2, 1, 6, 4, 509, -2, 0, 255, 0, BM_NORMAL, mirNone, false);  // right, top
    r.Rendering();
    Frame f(512 * mag, 240 * mag);
    f.Blit(p, (100 - 5) * mag, (50 - 3) * mag, mag, false);
    f.Blit(p, -4 * mag, 236 * mag, mag, false);
    AL32Pixels part = Pattern(6, 4);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 6; ++x) part.Px[size_t(y) * 6 + x] = p.At(x + 2, y + 1);
    f.Blit(part, 509 * mag, -2 * mag, mag, false);
    EXPECT_EQ(Differences(*disp, f), 0);
  }
}

TEST_F(RendererTest, BlitMirroringWithAndWithoutAMirroredCopy) {
  TAlpha32& r = Renderer(2, false);
  const AL32Pixels p = Pattern(12, 8, [](int x, int) { return x == 11; });
  TALTexture& withCopy = Texture(p, true);
  TALTexture& without = Texture(p, false);
  EXPECT_NE(withCopy.DDLRTexture, nullptr);
  EXPECT_EQ(without.DDLRTexture, nullptr);
  r.DrawTexLT(withCopy, 0, 0, 12, 8, 40, 40, 0, 255, 0, BM_NORMAL, mirLR, false);
  r.DrawTexLT(without, 0, 0, 12, 8, 80, 40, 0, 255, 0, BM_NORMAL, mirLR, false);
  // Up-down mirroring has no copy to draw from: unmirrored.
  r.DrawTexLT(withCopy, 0, 0, 12, 8, 120, 40, 0, 255, 0, BM_NORMAL, mirUD, false);
  // Cut by the left edge, both ways.
  r.DrawTexLT(withCopy, 0, 0, 12, 8, -5, 100, 0, 255, 0, BM_NORMAL, mirLR, false);
  r.DrawTexLT(without, 0, 0, 12, 8, -5, 140, 0, 255, 0, BM_NORMAL, mirLR, false);
  // And by the right edge.
  r.DrawTexLT(withCopy, 0, 0, 12, 8, 507, 180, 0, 255, 0, BM_NORMAL, mirLR, false);
  r.DrawTexLT(without, 0, 0, 12, 8, 507, 200, 0, 255, 0, BM_NORMAL, mirLR, false);
  r.Rendering();
  Frame f(1024, 480);
  f.Blit(p, 80, 80, 2, true);
  f.Blit(p, 160, 80, 2, true);
  f.Blit(p, 240, 80, 2, false);
  f.Blit(p, -10, 200, 2, true);
  f.Blit(p, -10, 280, 2, true);
  f.Blit(p, 1014, 360, 2, true);
  f.Blit(p, 1014, 400, 2, true);
  EXPECT_EQ(Differences(*disp, f), 0);

  // Stretched, shrunk and fractional draws cut by each edge keep the same
  // source columns and rows either way.
  struct Cut {
    float x, y, mag;
  } const cuts[] = {{-5.3f, 10, 1.5f},    {-3.6f, 50, 0.75f},  {-7.1f, 90, 2.3f},
                    {505.4f, 130, 1.5f},  {507.7f, 170, 0.7f}, {503.2f, 200, 2.3f},
                    {60, -3.3f, 1.37f},   {120, -5.6f, 2.3f},  {180, -2.2f, 0.6f},
                    {240, 235.6f, 1.37f}, {300, 233.3f, 2.3f}, {360, 237.8f, 0.6f}};
  auto draw = [&](const TALTexture& t, float shift) {
    r.Clear(0, true);
    for (const Cut& c : cuts)
      r.DrawTexLTEx(t, 0, 0, 12, 8, c.x + shift, c.y + shift, 0, 255, 0, BM_NORMAL, mirLR,
                    false, c.mag, c.mag + 0.15f, r0, 0.0f, nullptr);
    r.Rendering();
  };
  for (float shift : {0.0f, 0.25f, 0.5f, 0.8f}) {
    SCOPED_TRACE(shift);
    draw(withCopy, shift);
    const Frame copy = Snapshot(*disp);
    draw(without, shift);
    EXPECT_EQ(Differences(*disp, copy), 0);
  }
}

TEST_F(RendererTest, LowerPriorityFirstTiesInQueueOrder) {
  TAlpha32& r = Renderer(1, false);
  auto solid = [](uint32_t c) {
    AL32Pixels p = Pattern(8, 8);
    for (auto& px : p.Px) px = c;
    return p;
  };
  // ckNone: solid squares with no transparent texel.
  TALTexture& red = Texture(solid(0xFF0000), false, ckNone);
  TALTexture& green = Texture(solid(0x00FF00), false, ckNone);
  TALTexture& blue = Texture(solid(0x0000FF), false, ckNone);
  r.DrawTexLT(red, 0, 0, 8, 8, 10, 10, 5, 255, 0, BM_NORMAL, mirNone, false);
  r.DrawTexLT(green, 0, 0, 8, 8, 14, 10, 3, 255, 0, BM_NORMAL, mirNone, false);
  r.DrawTexLT(blue, 0, 0, 8, 8, 12, 10, 5, 255, 0, BM_NORMAL, mirNone, false);
  r.DrawTexLT(green, 0, 0, 8, 8, 30, 10, -1, 255, 0, BM_NORMAL, mirNone, false);  // last
  r.DrawTexLT(red, 0, 0, 8, 8, 30, 10, PRIMAX2, 255, 0, BM_NORMAL, mirNone, false);
  r.Rendering();
  EXPECT_EQ(BackPixel(*disp, 10, 12), 0xFF0000u);
  EXPECT_EQ(BackPixel(*disp, 13, 12), 0x0000FFu);  // blue after red at the same priority
  EXPECT_EQ(BackPixel(*disp, 19, 12), 0x0000FFu);  // green (3) is under both
  EXPECT_EQ(BackPixel(*disp, 21, 12), 0x00FF00u);
  EXPECT_EQ(BackPixel(*disp, 32, 12), 0x00FF00u);  // priority -1 is the largest
}

// ---- the 3D path -----------------------------------------------------------------
TEST_F(RendererTest, EachBlendModeSendsItsRowOfTheBlendTable) {
  using namespace d3d;
  // Corner colours of alpha 0x80, red 0xFF: as queued, or blended toward a
  // base by their own alpha (toward 0 gives 0x407F0000).
  constexpr uint32_t kQueued = 0x80FF0000, kToBlack = 0x407F0000, kToWhite = 0xBEFE7E7E,
                     kToOpaqueBlack = 0xBE7F0000, kNotDrawn = 0;
  struct Row {
    BLENDMODE bm;
    bool alphaTexture;
    uint32_t src, dst, op, corner;
  };
  const Row table[] = {
      {BM_NORMAL, false, kBlendSrcAlpha, kBlendInvSrcAlpha, kOpModulate, kQueued},
      {BM_ADD, false, kBlendSrcAlpha, kBlendOne, kOpModulate, kToBlack},
      {BM_MODULATE, false, kBlendDestColor, kBlendZero, kOpAdd, kToWhite},
      {BM_SUB, false, kBlendZero, kBlendInvSrcColor, kOpModulate, kToOpaqueBlack},
      {BM_FLASH, false, kBlendSrcAlpha, kBlendInvSrcAlpha, kOpAdd, kQueued},
      {BM_NOT, false, kBlendInvDestColor, kBlendInvSrcColor, kOpModulate, kToOpaqueBlack},
      {BM_SUBADD, false, kBlendOne, kBlendInvSrcColor, kOpModulate, kToOpaqueBlack},
      {BM_DIV, false, kBlendDestColor, kBlendOne, kOpModulate, kToOpaqueBlack},
      {BM_COPY, false, kBlendOne, kBlendZero, kOpModulate, kQueued},
      {BM_COPY, true, kBlendOne, kBlendZero, kOpModulate, kToOpaqueBlack},
      {BM_NONE, false, 0, 0, 0, kNotDrawn},
      {BM_16TW1, false, kBlendOne, kBlendInvSrcColor, kOpModulate, kToBlack},
      {BM_16TW1, true, kBlendSrcAlpha, kBlendInvSrcAlpha, kOpModulate, kToBlack},
      {BM_16TW2, false, kBlendZero, kBlendInvSrcColor, kOpModulate, kToBlack},
      {BM_16TW2, true, 0, 0, 0, kNotDrawn},
  };
  for (bool alphaTexture : {false, true}) {
    for (auto& t : textures) al->FreeTexture(*t);
    textures.clear();
    al.reset();
    TAlpha32& r = Renderer(1, true, alphaTexture);
    TALTexture& t = Texture(Pattern(8, 8));
    RecordingDevice rec;
    r.SetDevice(&rec);
    for (int bm = BM_NORMAL; bm <= BM_16TW2; ++bm) {
      // The mode's row, or its own row for alpha textures where it has one.
      const Row* row = nullptr;
      for (const Row& w : table)
        if (w.bm == bm && (!row || w.alphaTexture == alphaTexture)) row = &w;
      SCOPED_TRACE(testing::Message() << "mode " << bm << (alphaTexture ? " alpha" : ""));
      rec.fans.clear();
      r.DrawTex(t, 0, 0, 8, 8, 20, 20, 0, 0x80, 0xFF0000, BLENDMODE(bm), mirNone, false);
      r.Rendering();
      if (row->corner == kNotDrawn) {
        EXPECT_TRUE(rec.fans.empty());
        continue;
      }
      ASSERT_EQ(rec.fans.size(), 1u);
      EXPECT_EQ(rec.fans[0].src, row->src);
      EXPECT_EQ(rec.fans[0].dst, row->dst);
      EXPECT_EQ(rec.fans[0].op, row->op);
      EXPECT_EQ(rec.fans[0].diffuse, row->corner);
    }
    r.SetDevice(nullptr);
  }
}

TEST_F(RendererTest, QuarterTurnsFreeAnglesAndTheColourKey) {
  TAlpha32& r = Renderer(1, true);
  const AL32Pixels p = Pattern(8, 4, [](int x, int y) { return x == 5 && y == 2; });
  TALTexture& t = Texture(p);
  // Centres (40, 40), (80, 40), (120, 40), (160, 40): r90, r180, r270, rFree 1/4.
  r.DrawTex(t, 0, 0, 8, 4, 40, 40, 0, 255, 0xFFFFFF, BM_NORMAL, mirNone, false);
  r.DrawTexEx(t, 0, 0, 8, 4, 80, 40, 0, 255, 0xFFFFFF, BM_NORMAL, mirNone, false, 1, 1, r90, 0,
              nullptr);
  r.DrawTexEx(t, 0, 0, 8, 4, 120, 40, 0, 255, 0xFFFFFF, BM_NORMAL, mirNone, false, 1, 1, r180, 0,
              nullptr);
  r.DrawTexEx(t, 0, 0, 8, 4, 160, 40, 0, 255, 0xFFFFFF, BM_NORMAL, mirNone, false, 1, 1, r270, 0,
              nullptr);
  r.DrawTexEx(t, 0, 0, 8, 4, 200, 40, 0, 255, 0xFFFFFF, BM_NORMAL, mirNone, false, 1, 1, rFree,
              0.25f, nullptr);
  r.Rendering();
  Frame f(512, 240);
  auto put = [&](int x, int y, int sx, int sy) {
    const uint32_t c = p.At(sx, sy) & 0xFFFFFF;
    if (c != kKey) f.Put(x, y, Q5(c));
  };
  for (int sy = 0; sy < 4; ++sy)
    for (int sx = 0; sx < 8; ++sx) {
      put(36 + sx, 38 + sy, sx, sy);                  // unturned
      put(78 + (3 - sy), 36 + sx, sx, sy);            // clockwise quarter turn
      put(116 + (7 - sx), 38 + (3 - sy), sx, sy);     // half turn
      put(158 + sy, 36 + (7 - sx), sx, sy);           // counter-clockwise
      put(198 + (3 - sy), 36 + sx, sx, sy);           // a quarter turn given as an angle
    }
  EXPECT_EQ(Differences(*disp, f), 0);
}

TEST_F(RendererTest, FreeAngleTurnsAboutTheCentre) {
  TAlpha32& r = Renderer(1, true);
  AL32Pixels p = Pattern(16, 16);
  for (auto& px : p.Px) px = 0x00FF00;
  TALTexture& t = Texture(p, false, ckNone);
  r.DrawTexEx(t, 0, 0, 16, 16, 100, 100, 0, 255, 0xFFFFFF, BM_NORMAL, mirNone, false, 1, 1, rFree,
              0.125f, nullptr);
  r.Rendering();
  int covered = 0;
  for (int y = 80; y < 120; ++y)
    for (int x = 80; x < 120; ++x) covered += BackPixel(*disp, x, y) == 0x00FF00u;
  EXPECT_NEAR(covered, 256, 24);  // the same area, turned by 45 degrees
  EXPECT_EQ(BackPixel(*disp, 100, 89), 0x00FF00u);  // the tips stand out on the axes
  EXPECT_EQ(BackPixel(*disp, 93, 93), 0u);          // the square's corner is gone
}

TEST_F(RendererTest, LargePicturesSplitIntoSeamlessTiles) {
  TAlpha32& r = Renderer(1, true);
  AL32Pixels p = Pattern(300, 40);
  p.Px[0] = 0x102030;  // no transparent texel
  TALTexture& t = Texture(p, false, ckNone);
  EXPECT_EQ(t.pgX, 1);
  EXPECT_EQ(t.pgY, 0);
  r.DrawTexLT(t, 100, 0, 200, 16, 10, 100, 0, 255, 0xFFFFFF, BM_NORMAL, mirNone, false);
  ASSERT_EQ(r.DrawObjectCount(), 2u);
  EXPECT_EQ(r.Entry(0).Tex, t.Texture[0][0]);
  EXPECT_EQ(r.Entry(0).sx[0], 100);
  EXPECT_EQ(r.Entry(0).sx[3], 256);
  EXPECT_EQ(r.Entry(1).Tex, t.Texture[1][0]);
  EXPECT_EQ(r.Entry(1).sx[3], 44);
  EXPECT_EQ(r.Entry(1).dx[0], r.Entry(0).dx[3]);  // placed right after the first
  r.Rendering();
  r.DrawTexLT(t, 0, 0, 300, 40, 200, 150, 0, 255, 0xFFFFFF, BM_NORMAL, mirNone, false);
  r.Rendering();
  Frame f(512, 240);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 200; ++x) f.Put(10 + x, 100 + y, Q5(p.At(100 + x, y)));
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 300; ++x) f.Put(200 + x, 150 + y, Q5(p.At(x, y)));
  EXPECT_EQ(Differences(*disp, f), 0);
}

TEST_F(RendererTest, StateCacheSendsOnlyChanges) {
  TAlpha32& r = Renderer(1, true);
  AL32Pixels p = Pattern(8, 8);
  TALTexture& a = Texture(p);
  RecordingDevice rec;
  r.SetDevice(&rec);
  r.Rendering();  // nothing queued: the scene is ended all the same
  // Ending sends none / 0 where the cache held something else.
  EXPECT_EQ(rec.calls, (std::vector<std::string>{"End", "Dst0", "Src0", "Op0"}));
  rec.calls.clear();
  r.DrawTex(a, 0, 0, 8, 8, 10, 10, 0, 255, 1, BM_NORMAL, mirNone, false);
  r.DrawTex(a, 0, 0, 8, 8, 20, 10, 0, 255, 2, BM_NORMAL, mirNone, false);
  r.DrawTex(a, 0, 0, 8, 8, 30, 10, 0, 255, 3, BM_ADD, mirNone, false);
  r.DrawTex(a, 0, 0, 8, 8, 40, 10, 0, 255, 4, BM_NONE, mirNone, false);
  r.Rendering();
  const std::vector<std::string> want = {
      "Op4",                                               // the pass's stage state
      "Src2", "Dst2", "Op4", "Tex0",                      // forced at the start of a pass
      "Begin", "Tex", "Src5", "Dst6", "Draw", "Draw",     // same texture and mode: no change
      "Dst2", "Draw",                                      // BM_ADD changes the destination only
      "End", "Tex0", "Dst0", "Src0", "Op0"};               // none / 0 for the next scene
  EXPECT_EQ(rec.calls, want);
  EXPECT_EQ(rec.fans.size(), 3u);
  EXPECT_FALSE(r.Entry(3).Empty);  // BM_NONE consumed without drawing
  r.SetDevice(nullptr);
}

TEST_F(RendererTest, SortOrderOnTheThreeDPath) {
  TAlpha32& r = Renderer(1, true);
  TALTexture& a = Texture(Pattern(8, 8));
  RecordingDevice rec;
  r.SetDevice(&rec);
  const int32_t pri[] = {5, 3, 5, -1, PRIMAX2, 576000};
  for (uint32_t i = 0; i < 6; ++i)
    r.DrawTex(a, 0, 0, 8, 8, 10, 10, pri[i], 255, i, BM_NORMAL, mirNone, false);
  r.Rendering();
  std::vector<uint32_t> order;
  for (const auto& f : rec.fans) order.push_back(f.diffuse & 0xFF);
  EXPECT_EQ(order, (std::vector<uint32_t>{1, 0, 2, 5, 4, 3}));
  r.SetDevice(nullptr);
}
