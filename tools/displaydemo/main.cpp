// qorv_displaydemo [scale 1|2] [seconds] [full]
// Opens the game's window, builds the display at 512 x 240 times the scale and
// presents a test pattern every frame: colour bars, a grey ramp, colour-keyed
// balls at 1:1 and 2:1 (some cut by the screen's edges). With "full" it
// switches to full screen for the middle third of the run and back.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "graphics/dddd.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/SdlHost.h"

namespace {

using plat::DdRect;
namespace dd = plat::dd;

void Fill(TDDDDGenSurface& s, DdRect r, uint32_t raw) {
  DdRect none{};
  plat::DdBltFx fx;
  fx.fillColor = raw;
  s.Blt(nullptr, r, none, dd::kBltWait | dd::kBltColorFill, fx);
}

// The logical screen: eight colour bars over a grey ramp.
void DrawPattern(TDDDDSurface& p) {
  const uint32_t bars[8] = {0xFFFFFF, 0xFFFF00, 0x00FFFF, 0x00FF00,
                            0xFF00FF, 0xFF0000, 0x0000FF, 0x000000};
  for (int i = 0; i < 8; ++i) {
    const uint32_t c = bars[i];
    Fill(p, {i * 64, 0, i * 64 + 64, 160}, p.ARGBToPhysical(255, c >> 16, c >> 8, c));
  }
  for (int x = 0; x < 512; ++x) {
    const uint8_t g = uint8_t(x / 2);
    Fill(p, {x, 160, x + 1, 240}, p.ARGBToPhysical(255, g, g, g));
  }
}

// A 32 x 32 ball on black, black being the colour key.
void DrawBall(TDDDDSurface& b) {
  plat::DdSurfaceDesc d;
  if (b.Lock(d) != 0) return;
  b.UnLock();
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      const int dx = x - 16, dy = y - 16;
      uint32_t c = 0;
      if (dx * dx + dy * dy < 15 * 15) {
        const int shade = 255 - (dx + dy + 32) * 2;
        c = b.ARGBToPhysical(255, uint8_t(std::max(0, std::min(255, shade))), 96, 32);
      }
      b.setPixel(x, y, c);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  plat::KeepRunningWhenOutputCloses();
  const int mag = argc > 1 && std::atoi(argv[1]) == 2 ? 2 : 1;
  const int seconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  const bool full = argc > 3 && std::strcmp(argv[3], "full") == 0;

  plat::SdlHost host;
  if (!host.CreateWindow("qorv display", DDDD_WIDTH * mag, DDDD_HEIGHT * mag)) {
    std::fprintf(stderr, "no window\n");
    return 1;
  }
  host.OnClose = [&] { host.Terminate(); };
  TDDDD disp(host);
  disp.InitialScreenWidth = 1024;
  disp.InitialScreenHeight = 480;
  disp.InitialBitDepth = 32;
  disp.VsyncAtWindowed = false;
  disp.Loaded();
  std::unique_ptr<TDDDDSurface> pattern, ball;
  auto build = [&] {
    pattern = std::make_unique<TDDDDSurface>(&disp, DDDD_WIDTH, DDDD_HEIGHT, 0, "");
    ball = std::make_unique<TDDDDSurface>(&disp, 32, 32, 0, "");
  };
  auto refill = [&] {
    DrawPattern(*pattern);
    DrawBall(*ball);
  };
  disp.OnRestore = [&](TDDDD*) { refill(); };
  disp.OnChangeDisplayMode = [&](TDDDD*) { refill(); };
  disp.DoInit([&] { disp.WindowMode(uint32_t(DDDD_WIDTH * mag), uint32_t(DDDD_HEIGHT * mag)); });
  build();
  refill();

  const int frames = seconds * 60;
  for (int f = 0; f < frames && !host.Terminated(); ++f) {
    if (full && f == frames / 3) disp.FullScreenMode2(mag, true, true);
    if (full && f == 2 * frames / 3) {
      disp.MouseCursorSwitch();
      disp.WindowMode(uint32_t(DDDD_WIDTH * mag), uint32_t(DDDD_HEIGHT * mag));
    }
    const int w = disp.ScreenWidth(), h = disp.ScreenHeight();
    disp.Clear();
    DdRect src{0, 0, DDDD_WIDTH, DDDD_HEIGHT}, dst{0, 0, w, h};
    plat::DdBltFx fx;
    const uint32_t keyed = dd::kBltWait | dd::kBltKeySrc | dd::kBltDDFX;
    pattern->Put(dst, src, dd::kBltWait, fx);
    DdRect bs{0, 0, 32, 32};
    for (int i = 0; i < 6; ++i) {
      const int x = ((f * (i + 1)) % (w + 64)) - 32;
      const int y = 20 + i * 30 * mag;
      DdRect d1{x, y, x + 32 * mag, y + 32 * mag};
      ball->Put(d1, bs, keyed, fx);
    }
    DdRect corner{w - 40, h - 40, w + 24, h + 24};  // cut by two edges
    ball->Put(corner, bs, keyed, fx);
    disp.Flip();
    host.ProcessMessages();
    plat::CurrentClock().SleepMs(16);
  }
  std::printf("presented %d frames at %d x %d\n", frames, disp.ScreenWidth(), disp.ScreenHeight());
  pattern.reset();
  ball.reset();
  return 0;
}
