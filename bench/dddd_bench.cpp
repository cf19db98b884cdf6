// Cost of presenting a full 1024 x 480 frame and of one 32 x 32 colour-keyed
// sprite blit on the display component, in one run.
#include <benchmark/benchmark.h>

#include "graphics/dddd.h"
#include "bench/NullHost.h"
#include "platform/SoftDraw.h"

namespace {


struct Display {
  Display() {
    plat::ResetSoftDrawSetup();
    d = std::make_unique<TDDDD>(host);
    d->VsyncAtWindowed = false;
    d->SetDebugOption(0);
    d->DoInit([this] { d->WindowMode(1024, 480); });
  }
  NullHost host;
  std::unique_ptr<TDDDD> d;
};

void BM_Present1024x480(benchmark::State& state) {
  Display disp;
  for (auto _ : state) disp.d->Flip();
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Present1024x480);

void BM_KeyedBlit32x32(benchmark::State& state) {
  Display disp;
  TDDDDSurface spr(disp.d.get(), 32, 32, 0, "");
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) spr.setPixel(x, y, (x + y) % 3 == 0 ? 0 : 0x00FF8040);
  plat::DdBltFx fx;
  int i = 0;
  for (auto _ : state) {
    const int32_t x = (i * 37) % 990, y = (i * 13) % 446;
    plat::DdRect dst{x, y, x + 32, y + 32}, src{0, 0, 32, 32};
    spr.Put(dst, src, plat::dd::kBltWait | plat::dd::kBltKeySrc | plat::dd::kBltDDFX, fx);
    ++i;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_KeyedBlit32x32);

}  // namespace

namespace {

// One 256 x 256 textured, alpha-blended quad through the software 3D device.
void BM_D3DQuad256(benchmark::State& state) {
  plat::ResetSoftDrawSetup();
  NullHost host;
  TDDDD d(host);
  d.Use3D = true;
  d.D3DOptions = 0;
  d.SetDebugOption(0);
  d.DoInit([&] { d.WindowMode(1024, 480); });
  TDDDDTexture tex(&d, 256, 256, 0, "ARGB1555");
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) tex.setPixel(x, y, tex.ARGBToPhysical(255, uint8_t(x), uint8_t(y), 64));
  plat::Soft3DDevice* dev = d.D3DDevice();
  using plat::d3d::RenderState;
  using plat::d3d::StageState;
  dev->SetRenderState(RenderState::CullMode, plat::d3d::kCullNone);
  dev->SetRenderState(RenderState::AlphaBlendEnable, 1);
  dev->SetRenderState(RenderState::ColorKeyEnable, 1);
  dev->SetRenderState(RenderState::SrcBlend, plat::d3d::kBlendSrcAlpha);
  dev->SetRenderState(RenderState::DestBlend, plat::d3d::kBlendInvSrcAlpha);
  dev->SetTextureStageState(0, StageState::AlphaArg1, plat::d3d::kArgDiffuse);
  dev->SetTexture(0, tex.Surface());
  plat::d3d::TLVertex v[4];
  const float xs[4] = {100, 356, 356, 100}, ys[4] = {100, 100, 356, 356};
  const float us[4] = {0, 1, 1, 0}, vs[4] = {0, 0, 1, 1};
  for (int i = 0; i < 4; ++i) {
    v[i].x = xs[i] - 0.5f;
    v[i].y = ys[i] - 0.5f;
    v[i].u = us[i];
    v[i].v = vs[i];
    v[i].diffuse = 0xC0FFFFFF;
  }
  for (auto _ : state) {
    dev->BeginScene();
    dev->DrawPrimitive(plat::d3d::Primitive::TriangleFan, plat::d3d::kFvfTLVertex, v, 4, 0);
    dev->EndScene();
  }
  state.SetItemsProcessed(state.iterations() * 256 * 256);
}
BENCHMARK(BM_D3DQuad256);

}  // namespace
