// Cost of presenting a full 1024 x 480 frame and of one 32 x 32 colour-keyed
// sprite blit on the display component, in one run.
#include <benchmark/benchmark.h>

#include "graphics/dddd.h"
#include "platform/Host.h"
#include "platform/SoftDraw.h"

namespace {

// A window that takes frames and does nothing with them, so the numbers are
// the display's own work.
class NullHost : public plat::Host {
 public:
  void SetIdle(std::function<void(bool&)>) override {}
  bool HasIdle() const override { return false; }
  void ProcessMessages() override {}
  void Run() override {}
  void Terminate() override {}
  bool Terminated() const override { return false; }
  bool CreateWindow(const std::string&, int, int) override { return true; }
  void SetCaption(const std::string&) override {}
  std::string Caption() const override { return ""; }
  void SetClientSize(int, int) override {}
  void SetFullScreen(bool) override {}
  void ShowCursor(bool) override {}
  void Present(const plat::FrameView& f) override { benchmark::DoNotOptimize(f.pixels); }
  void RestoreAndRaise() override {}
};

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
