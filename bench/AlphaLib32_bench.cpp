// Cost of one frame of the sprite renderer at 1024 x 480: queuing, sorting
// and drawing 1,000 and 10,000 sprites of 32 x 32 pixels on the blit path and
// on the 3D path, and the queue-and-sort part alone, in one run.
#include <benchmark/benchmark.h>

#include "graphics/AlphaLib32.h"
#include "graphics/dddd.h"
#include "bench/NullHost.h"
#include "platform/SoftDraw.h"

namespace {


// A 16 x 16 ball (drawn at scale 2) with a keyed outside.
AL32Pixels Ball() {
  AL32Pixels p;
  p.Width = p.Height = 16;
  p.Px.assign(256, 0xFF00FF);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const int dx = 2 * x - 15, dy = 2 * y - 15;
      if (dx * dx + dy * dy < 196) p.Px[size_t(y) * 16 + x] = 0xC06020 + uint32_t(x * 4);
    }
  return p;
}

struct Scene {
  explicit Scene(bool use3D, bool withDisplay = true) {
    plat::ResetSoftDrawSetup();
    if (withDisplay) {
      d = std::make_unique<TDDDD>(host);
      d->VsyncAtWindowed = false;
      d->Use3D = use3D;
      d->D3DOptions = 0;
      d->SetDebugOption(0);
      d->DoInit([this] { d->WindowMode(1024, 480); });
    }
    al = std::make_unique<TAlpha32>(d.get(), nullptr, !use3D, false, 2, 10000);
    al->aspcX = al->aspcY = 0;
    if (d) {
      TALLoadState st = TAlpha32::InitLSt(ckPix00, -1, false, false, ALRect{});
      tex = al->MakeTex(Ball(), "ball", st);
    } else {
      tex.Texture = {{nullptr}};
      fake = std::make_unique<TDDDDGenSurface>(nullptr, nullptr, 32, 32);
      tex.Texture[0][0] = fake.get();
    }
    tex.ALSt = alsOK;
    tex.Mag = 2;
  }
  ~Scene() {
    if (d) al->FreeTexture(tex);
  }
  void Frame(int n) {
    al->Clear(0, false);
    uint32_t seed = 12345;
    for (int i = 0; i < n; ++i) {
      seed = seed * 1103515245u + 12345u;
      const int x = int(seed >> 8) % 512, y = int(seed >> 17) % 240;
      al->DrawTex(tex, 0, 0, 16, 16, x, y, int32_t(seed >> 20) % 1000, 255, 0xFFFFFF, BM_NORMAL,
                  mirNone, false);
    }
    al->Rendering();
  }
  NullHost host;
  std::unique_ptr<TDDDD> d;
  std::unique_ptr<TAlpha32> al;
  std::unique_ptr<TDDDDGenSurface> fake;
  TALTexture tex;
};

void BM_RendererQueueAndSort(benchmark::State& state) {
  Scene s(false, false);  // no display: entries are sorted and consumed
  for (auto _ : state) s.Frame(int(state.range(0)));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RendererQueueAndSort)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

void BM_RendererFrameBlit(benchmark::State& state) {
  Scene s(false);
  for (auto _ : state) s.Frame(int(state.range(0)));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RendererFrameBlit)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

void BM_RendererFrame3D(benchmark::State& state) {
  Scene s(true);
  for (auto _ : state) s.Frame(int(state.range(0)));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RendererFrame3D)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace
