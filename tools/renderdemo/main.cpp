// qorv_renderdemo: the game's window, display, renderer and frame loop, with a
// demo scene in place of the game's scenes. Every frame the scene clears the
// screen and queues sprites: a tiled floor, balls of every priority crossing
// each other, mirrored and unmirrored figures, sprites cut by the screen's
// edges, and a row drawn through the camera offset while the camera pans.
// It needs the settings file data/dbcfg.sai beside it (qorv_defaultcfg
// writes one); Esc quits.
#include <cmath>
#include <memory>

#include "platform/Files.h"
#include "platform/InstanceGuard.h"
#include "platform/SdlHost.h"
#include "shell/FormParts.h"
#include "shell/GlbRecord.h"
#include "shell/Main.h"
#include "shell/Program.h"
#include "sound/OggDataLib.h"

namespace {

AL32Pixels Ball(uint32_t colour) {
  AL32Pixels p;
  p.Width = p.Height = 16;
  p.Px.assign(256, 0xFF00FF);  // the left-top texel's colour is the key
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const int dx = 2 * x - 15, dy = 2 * y - 15;
      if (dx * dx + dy * dy < 14 * 14) {
        const int shade = 255 - (dx + dy + 30) * 3;
        const uint32_t s = uint32_t(std::max(64, std::min(255, shade)));
        p.Px[size_t(y) * 16 + x] = ((colour >> 16 & 0xFF) * s / 255) << 16 |
                                   ((colour >> 8 & 0xFF) * s / 255) << 8 | (colour & 0xFF) * s / 255;
      }
    }
  return p;
}

// An arrow-shaped figure pointing right, so mirroring shows.
AL32Pixels Figure() {
  AL32Pixels p;
  p.Width = 24;
  p.Height = 32;
  p.Px.assign(size_t(24) * 32, 0xFF00FF);
  for (int y = 2; y < 30; ++y)
    for (int x = 2; x < 22; ++x) {
      const int cy = y < 16 ? y - 2 : 29 - y;
      if (x - 2 <= cy * 20 / 14) p.Px[size_t(y) * 24 + x] = x < 8 ? 0x2040FF : 0xFFD040;
    }
  return p;
}

AL32Pixels Floor() {
  AL32Pixels p;
  p.Width = p.Height = 32;
  p.Px.resize(32 * 32);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x)
      p.Px[size_t(y) * 32 + x] = ((x / 8 + y / 8) % 2) ? 0x306030 : 0x408040;
  return p;
}

class DemoScene final : public IdleScene {
 public:
  explicit DemoScene(TAlpha32SAI* al) : AL(al) {
    Make(ball[0], Ball(0xFF4040), false);
    Make(ball[1], Ball(0x40FF40), false);
    Make(ball[2], Ball(0x4080FF), false);
    Make(figure, Figure(), true);
    Make(floor, Floor(), false, ckNone);
  }
  ~DemoScene() override {
    for (auto& b : ball) AL->FreeTexture(b);
    AL->FreeTexture(figure);
    AL->FreeTexture(floor);
  }
  void OnMove() override { ++step; }
  void OnDraw() override {
    AL->Clear(0, false);
    for (int y = 0; y < 240; y += 32)
      for (int x = 0; x < 512; x += 32)
        AL->DrawTexLT(floor, 0, 0, 32, 32, float(x), float(y), 0, 255, 0xFFFFFF, BM_NORMAL,
                      mirNone, false);
    // Three balls circling one point, each in front in turn.
    for (int i = 0; i < 3; ++i) {
      const double a = step * 0.03 + i * 2.0944;
      const int x = 120 + int(40 * std::cos(a)), y = 90 + int(20 * std::sin(a));
      AL->DrawTex(ball[i], 0, 0, 16, 16, x, y, 100 + y, 255, 0xFFFFFF, BM_NORMAL, mirNone, false);
    }
    // Figures facing right and left.
    AL->DrawTexLT(figure, 0, 0, 24, 32, 240, 70, 50, 255, 0xFFFFFF, BM_NORMAL, mirNone, false);
    AL->DrawTexLT(figure, 0, 0, 24, 32, 280, 70, 50, 255, 0xFFFFFF, BM_NORMAL, mirLR, false);
    // Cut by the edges.
    AL->DrawTex(ball[0], 0, 0, 16, 16, 2, 120, 50, 255, 0xFFFFFF, BM_NORMAL, mirNone, false);
    AL->DrawTex(ball[1], 0, 0, 16, 16, 510, 120, 50, 255, 0xFFFFFF, BM_NORMAL, mirNone, false);
    AL->DrawTex(ball[2], 0, 0, 16, 16, 256, 238, 50, 255, 0xFFFFFF, BM_NORMAL, mirNone, false);
    // A row of world positions under a panning camera.
    AL->SetCam(int32_t(40 * std::sin(step * 0.02)), 0);
    for (int i = 0; i < 8; ++i)
      AL->DrawTexSaiLT(figure, 0, 0, 24, 32, 40 + i * 56, 170, 60, 255, 0xFFFFFF, BM_NORMAL,
                       i % 2 ? mirLR : mirNone, r0);
  }

 private:
  void Make(TALTexture& t, const AL32Pixels& p, bool mirrorCopy, ColKeyType ck = ckPix00) {
    TALLoadState st = TAlpha32::InitLSt(ck, -1, mirrorCopy, false, ALRect{});
    t = AL->MakeTex(p, "demo", st);
    t.ALSt = alsOK;
    t.Mag = AL->ALMag;
  }
  TAlpha32SAI* AL;
  TALTexture ball[3], figure, floor;
  int step = 0;
};

}  // namespace

int main() {
  plat::KeepRunningWhenOutputCloses();
  plat::ChangeToProgramFolder();
  plat::SocketInstanceRegistry atoms;
  plat::SdlHost host;
  TForm1Parts parts = DefaultParts();
  // No game data: the tuning table is not loaded.
  parts.MakeTuningTable = [](TForm1&) { return std::make_unique<FormPart>(); };
  // No sound files or decoder library beside the demo: a silent controller.
  parts.MakeSound = [](TForm1&) { return std::make_unique<TOggDataCtrl>(); };
  parts.MakeScene = [](TForm1& f) {
    return std::unique_ptr<FormScene>(
        std::make_unique<DemoScene>(dynamic_cast<TAlpha32SAI*>(f.AL.get())));
  };
  return RunGameProgram(host, atoms, parts);
}
