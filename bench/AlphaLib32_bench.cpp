// Cost of one frame of the sprite renderer at 1024 x 480: queuing, sorting
// and drawing 1,000 and 10,000 sprites of 32 x 32 pixels on the blit path and
// on the 3D path, and the queue-and-sort part alone, in one run; and a match
// frame of 1,000 sprites over the court, presented, beside memcpy of the same
// pixels.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>

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
  // Queues n balls at places of a fixed sequence and draws them.
  void Frame(int n) {
    al->Clear(0, false);
    Balls(n, [this](int x, int y, int pri) {
      al->DrawTex(tex, 0, 0, 16, 16, x, y, pri, 255, 0xFFFFFF, BM_NORMAL, mirNone, false);
    });
    al->Rendering();
  }
  template <typename Put>
  static void Balls(int n, Put put) {
    uint32_t seed = 12345;
    for (int i = 0; i < n; ++i) {
      seed = seed * 1103515245u + 12345u;
      put(int(seed >> 8) % 512, int(seed >> 17) % 240, int32_t(seed >> 20) % 1000);
    }
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

// An opaque 512 x 240 court picture.
AL32Pixels Court() {
  AL32Pixels p;
  p.Width = 512;
  p.Height = 240;
  p.Px.resize(size_t(512) * 240);
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 512; ++x) p.Px[size_t(y) * 512 + x] = 0x203040u + uint32_t((x ^ y) & 0x3F);
  return p;
}

// memcpy of the presented frame's pixels, 1024 x 480 in 32-bit colour.
struct SamePixels {
  std::vector<uint32_t> from = std::vector<uint32_t>(size_t(1024) * 480, 0x102030u),
                        to = std::vector<uint32_t>(size_t(1024) * 480);
  void Copy() {
    std::memcpy(to.data(), from.data(), to.size() * 4);
    benchmark::DoNotOptimize(to.data());
  }
};

// One match frame of 1,000 sprites as the game draws it: the court over the
// whole screen, 1,000 keyed balls at scale 2, then the present. Timed beside
// memcpy of the same frame in the same run; ratio is frame time over memcpy
// time.
void BM_MatchFrame1000(benchmark::State& state) {
  Scene s(false);
  TALLoadState st = TAlpha32::InitLSt(ckNone, -1, false, false, ALRect{});
  TALTexture court = s.al->MakeTex(Court(), "court", st);
  court.ALSt = alsOK;
  court.Mag = 2;
  SamePixels ref;
  using Clock = std::chrono::steady_clock;
  Clock::duration frames{}, refs{};
  for (auto _ : state) {
    const auto t0 = Clock::now();
    s.al->Clear(0, false);
    s.al->DrawTexLT(court, 0, 0, 512, 240, 0, 0, 90, 255, 0xFFFFFF, BM_NORMAL, mirNone, false);
    Scene::Balls(1000, [&s](int x, int y, int pri) {
      s.al->DrawTex(s.tex, 0, 0, 16, 16, x, y, 100 + pri, 255, 0xFFFFFF, BM_NORMAL, mirNone, false);
    });
    s.al->Rendering();
    s.d->Flip();
    const auto t1 = Clock::now();
    ref.Copy();
    const auto t2 = Clock::now();
    frames += t1 - t0;
    refs += t2 - t1;
    state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
  }
  s.al->FreeTexture(court);
  const double n = double(std::max<int64_t>(state.iterations(), 1));
  state.counters["memcpy_us"] = std::chrono::duration<double, std::micro>(refs).count() / n;
  state.counters["ratio"] = refs.count() > 0 ? double(frames.count()) / double(refs.count()) : 0;
}
BENCHMARK(BM_MatchFrame1000)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_RendererFrame3D(benchmark::State& state) {
  Scene s(true);
  for (auto _ : state) s.Frame(int(state.range(0)));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RendererFrame3D)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace
