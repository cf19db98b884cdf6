// The game's renderer: the camera offset of the match objects' draw calls.
#include <gtest/gtest.h>

#include "graphics/dddd.h"
#include "shell/GlbRecord.h"

namespace {

struct CamFixture {
  TDDDDGenSurface tile{nullptr, nullptr, 64, 64};
  TALTexture tex;
  TAlpha32SAI al;
  explicit CamFixture(int mag) : al(nullptr, nullptr, true, false, nullptr, mag, 16) {
    tex.ALSt = alsOK;
    tex.Texture = {{&tile}};
    tex.Mag = mag;
    al.SetAspectCentre(0, 0);
  }
  float CentreX(uint32_t i) const { return (al.Entry(i).dx[0] + al.Entry(i).dx[3]) / 2; }
  float CentreY(uint32_t i) const { return (al.Entry(i).dy[0] + al.Entry(i).dy[3]) / 2; }
};

}  // namespace

TEST(AlphaLib32SAI, CameraSubtractsXAndAddsY) {
  for (int mag : {1, 2}) {
    CamFixture f(mag);
    f.al.SetCam(100, 8);
    f.al.DrawTexSai(f.tex, 0, 0, 16, 16, 300, 50, 0, 255, 0, BM_NORMAL, mirNone, r0);
    EXPECT_EQ(f.CentreX(0), 200 * mag);
    EXPECT_EQ(f.CentreY(0), 58 * mag);
    // The inherited calls ignore the camera.
    f.al.DrawTex(f.tex, 0, 0, 16, 16, 300, 50, 0, 255, 0, BM_NORMAL, mirNone, false);
    EXPECT_EQ(f.CentreX(1), 300 * mag);
  }
}

TEST(AlphaLib32SAI, LeftTopCallsAgreeAndTheZoomStillApplies) {
  CamFixture f(1);
  f.al.SetCam(-20, 4);
  f.al.DrawTexSaiLT(f.tex, 2, 3, 16, 8, 40, 60, 7, 200, 0x123456, BM_ADD, mirLR, r0);
  f.al.DrawTexSaiBGLT(f.tex, 2, 3, 16, 8, 40, 60, 7, 200, 0x123456, BM_ADD, mirLR, r0);
  const TDRAWDATA &a = f.al.Entry(0), &b = f.al.Entry(1);
  EXPECT_EQ(a.dx[0], 60);  // left-top (40 + 20, 60 + 4)
  EXPECT_EQ(a.dy[0], 64);
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(a.dx[k], b.dx[k]);
    EXPECT_EQ(a.dy[k], b.dy[k]);
    EXPECT_EQ(a.sx[k], b.sx[k]);
  }
  EXPECT_EQ(a.Pri, b.Pri);
  EXPECT_EQ(a.Color, b.Color);
  f.al.SetAspect(2.0f, false);
  f.al.DrawTexSai(f.tex, 0, 0, 2, 2, 30, 10, 0, 255, 0, BM_NORMAL, mirNone, r0);
  EXPECT_EQ(f.CentreX(2), 100);  // (30 + 20) zoomed by 2
}

TEST(AlphaLib32SAI, OffsetsWrapInsteadOfOverflowing) {
  CamFixture f(1);
  f.al.SetCam(INT32_MIN, 0);
  f.al.DrawTexSai(f.tex, 0, 0, 2, 2, 0, 0, 0, 255, 0, BM_NORMAL, mirNone, r0);
  EXPECT_EQ(f.CentreX(0), float(INT32_MIN));
}
