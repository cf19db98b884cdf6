#include "tools/art/Contact.h"

#include <algorithm>

#include "tools/art/ArtLayout.h"
#include "tools/art/Palette.h"

namespace art {
namespace {

constexpr int kScale = 2;
constexpr int kGap = 16;

class Page {
 public:
  Page(int w, int h) : w_(w), h_(h), rgb_(static_cast<size_t>(w) * h * 3, 0) {
    for (size_t i = 0; i < rgb_.size(); i += 3) {
      rgb_[i] = 56;
      rgb_[i + 1] = 60;
      rgb_[i + 2] = 64;
    }
  }
  // Pastes a picture scaled up; transparent marks the palette index drawn as
  // a checker so keyed areas show as such.
  void Paste(const Picture& p, int x, int y, int transparent = -1) {
    for (int j = 0; j < p.canvas.Height() * kScale; ++j)
      for (int i = 0; i < p.canvas.Width() * kScale; ++i) {
        const uint8_t c = p.canvas.At(i / kScale, j / kScale);
        Rgb rgb = c < p.palette.size() ? p.palette[c] : Rgb{0, 0, 0};
        if (c == transparent) rgb = ((i / 8 + j / 8) % 2) ? Rgb{96, 100, 104} : Rgb{80, 84, 88};
        Put(x + i, y + j, rgb);
      }
  }
  void Put(int x, int y, Rgb c) {
    if (x < 0 || y < 0 || x >= w_ || y >= h_) return;
    const size_t at = (static_cast<size_t>(y) * w_ + x) * 3;
    rgb_[at] = c[0];
    rgb_[at + 1] = c[1];
    rgb_[at + 2] = c[2];
  }
  plat::PngTrueColour Finish() { return {w_, h_, 3, std::move(rgb_)}; }

 private:
  int w_, h_;
  std::vector<uint8_t> rgb_;
};

const Picture* Find(const std::vector<NamedPicture>& pictures, const std::string& name) {
  for (const NamedPicture& p : pictures)
    if (p.name == name) return &p.picture;
  return nullptr;
}

// A team: every body frame with the face of the member it is shown with.
Picture TeamFrames(const std::vector<Pose>& poses, int firstFace) {
  const int perRow = 16;
  const int rows = (static_cast<int>(poses.size()) + perRow - 1) / perRow;
  Picture p{Canvas(perRow * 34, rows * 34, cTrans), DefaultCharPalette()};
  for (size_t k = 0; k < poses.size(); ++k) {
    const Pose& pose = poses[k];
    const int x = static_cast<int>(k % perRow) * 34 + 1, y = static_cast<int>(k / perRow) * 34 + 1;
    Canvas cell(32, 32, cTrans);
    const Canvas body = DrawBody(pose);
    const int face = firstFace + static_cast<int>(k % 7);
    if (pose.expression != 0) {
      const PosePlacement at = PlacementOf(pose);
      const Canvas head = DrawExpression(face, pose.expression);
      if (pose.faceOrder == 1) {
        cell.Blit(head, at.faceX, at.faceY, cTrans);
        cell.Blit(body, 0, 0, cTrans);
      } else {
        cell.Blit(body, 0, 0, cTrans);
        cell.Blit(head, at.faceX, at.faceY, cTrans);
      }
    } else {
      cell.Blit(body, 0, 0, cTrans);
    }
    p.canvas.Blit(cell, x, y);
  }
  return p;
}

}  // namespace

plat::PngTrueColour BuildContactSheet(const std::vector<NamedPicture>& pictures,
                                      const std::vector<Pose>& poses) {
  const int col = kScreenW * kScale + kGap;
  const int width = 3 * col + kGap;
  const int top = kGap;
  const int screensTop = top + kFontH * kScale + kGap;
  const int screenH = kScreenH * kScale + kGap;
  const int charTop = screensTop + 3 * screenH;
  const int height = charTop + 2 * 512 + kGap * 4;
  Page page(width, height);
  auto paste = [&](const char* name, int x, int y, int key) {
    if (const Picture* p = Find(pictures, name)) page.Paste(*p, x, y, key);
  };
  paste("font.png", kGap, top, kKey);
  paste("dbitem.png", kGap + kFontW * kScale + kGap, top, kKey);
  paste("dballface.png", 2 * col + kGap, top - 0, cTrans);
  const char* screens[9] = {"dbcourt0.png", "dbcourt1.png", "dbcourt2.png", "dbop.png", "dbmsl.png",
                            "dbtsl.png",    "dbvs.png",     "dbpsl.png",    "dbload.png"};
  for (int k = 0; k < 9; ++k) paste(screens[k], kGap + (k % 3) * col, screensTop + (k / 3) * screenH, -1);
  paste("dbbody.png", kGap, charTop, cTrans);
  page.Paste(TeamFrames(poses, 0), kGap + 512 * kScale + kGap, charTop, cTrans);
  page.Paste(TeamFrames(poses, 7), kGap + 512 * kScale + kGap, charTop + 300, cTrans);
  paste("dbface00.png", kGap + 512 * kScale + kGap, charTop + 600, cTrans);
  paste("dbface01.png", kGap + 512 * kScale + kGap + 340, charTop + 600, cTrans);
  paste("dballbody.png", kGap + 512 * kScale + kGap + 680, charTop + 600, cTrans);
  return page.Finish();
}

}  // namespace art
