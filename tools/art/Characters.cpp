#include "tools/art/Characters.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <sstream>

#include "tools/art/ArtLayout.h"
#include "tools/art/Palette.h"

namespace art {
namespace {

constexpr double kPi = 3.14159265358979;
const char* const kJointNames[] = {"n", "h", "e1", "w1", "e2", "w2", "k1", "f1", "k2", "f2"};

bool ParsePoint(const std::string& s, Point& p) {
  const size_t comma = s.find(',');
  if (comma == std::string::npos) return false;
  try {
    size_t used = 0;
    p.x = std::stoi(s.substr(0, comma), &used);
    if (used != comma) return false;
    const std::string rest = s.substr(comma + 1);
    p.y = std::stoi(rest, &used);
    return used == rest.size();
  } catch (...) {
    return false;
  }
}

Point Turn(Point p, int degrees) {
  if (degrees == 0) return p;
  const double a = degrees * kPi / 180, dx = p.x - 16, dy = p.y - 22;
  return {static_cast<int>(std::lround(16 + dx * std::cos(a) - dy * std::sin(a))),
          static_cast<int>(std::lround(22 + dx * std::sin(a) + dy * std::cos(a)))};
}

// ---- bodies ----------------------------------------------------------------

struct Shades {
  uint8_t base, hi, lo;
};

// Draws one part of the body: the mask is drawn by the callback, then shaded
// (light from the upper right) and laid over the body. With an inner outline
// the part is also rimmed where it lies over parts drawn before it.
void Part(Canvas& body, const std::function<void(Canvas&)>& draw, Shades s, bool innerOutline) {
  Canvas mask(body.Width(), body.Height(), 0);
  draw(mask);
  auto on = [&](int x, int y) { return mask.At(x, y) != 0; };
  if (innerOutline) {
    std::vector<std::pair<int, int>> rim;
    for (int y = 0; y < body.Height(); ++y)
      for (int x = 0; x < body.Width(); ++x)
        if (!on(x, y) && body.At(x, y) != cTrans && (on(x - 1, y) || on(x + 1, y) || on(x, y - 1) || on(x, y + 1)))
          rim.push_back({x, y});
    for (auto [x, y] : rim) body.Set(x, y, cLine);
  }
  for (int y = 0; y < body.Height(); ++y)
    for (int x = 0; x < body.Width(); ++x) {
      if (!on(x, y)) continue;
      uint8_t c = s.base;
      if (!on(x - 1, y + 1) || !on(x, y + 1)) c = s.lo;
      if (!on(x + 1, y - 1) && on(x, y + 1)) c = s.hi;
      body.Set(x, y, c);
    }
}

Point Lerp(Point a, Point b, double t) {
  return {static_cast<int>(std::lround(a.x + (b.x - a.x) * t)), static_cast<int>(std::lround(a.y + (b.y - a.y) * t))};
}

void Arm(Canvas& body, Point shoulder, Point elbow, Point hand, bool far) {
  const Shades shirt = far ? Shades{cShirtLo, cShirtLo, cShirtLo} : Shades{cShirt, cShirtHi, cShirtLo};
  const Shades skin = far ? Shades{cSkinLo, cSkin, cSkinLo} : Shades{cSkin, cSkinHi, cSkinLo};
  const Point cuff = Lerp(shoulder, elbow, 0.7);
  Part(body, [&](Canvas& m) { m.ThickLine(cuff.x, cuff.y, elbow.x, elbow.y, 2, 1); m.ThickLine(elbow.x, elbow.y, hand.x, hand.y, 2, 1); m.Fill(hand.x - 1, hand.y - 1, 3, 3, 1); }, skin, !far);
  Part(body, [&](Canvas& m) { m.ThickLine(shoulder.x, shoulder.y, cuff.x, cuff.y, 3, 1); }, shirt, !far);
}

void Leg(Canvas& body, Point hip, Point knee, Point foot, bool far, char view) {
  const Shades pants = far ? Shades{cPantsLo, cPantsLo, cPantsLo} : Shades{cPants, cPants, cPantsLo};
  const Shades skin = far ? Shades{cSkinLo, cSkin, cSkinLo} : Shades{cSkin, cSkinHi, cSkinLo};
  const Point hem = Lerp(hip, knee, 0.6);
  const Point ankle = Lerp(knee, foot, 0.75);
  Part(body, [&](Canvas& m) {
    m.ThickLine(hem.x, hem.y, knee.x, knee.y, 3, 1);
    m.ThickLine(knee.x, knee.y, ankle.x, ankle.y, 3, 1);
  }, skin, !far);
  Part(body, [&](Canvas& m) { m.ThickLine(ankle.x, ankle.y, foot.x, foot.y, 3, 1); }, Shades{cWhite, cWhite, cWhite}, false);
  Part(body, [&](Canvas& m) {
    if (view == 'S') m.Fill(foot.x - 1, foot.y - 1, 5, 2, 1);
    else m.Fill(foot.x - 2, foot.y - 1, 4, 2, 1);
  }, Shades{cPantsLo, cPants, cLine}, !far);
  Part(body, [&](Canvas& m) { m.ThickLine(hip.x, hip.y, hem.x, hem.y, 4, 1); }, pants, !far);
}

void Torso(Canvas& body, Point neck, Point hip, char view) {
  // The torso is a slab from neck to hip, as wide across its own axis as the
  // view shows it, so lying and leaning poses keep their shape.
  const double dx = hip.x - neck.x, dy = hip.y - neck.y, len = std::max(1.0, std::sqrt(dx * dx + dy * dy));
  const double ux = dx / len, uy = dy / len, px = -uy, py = ux;
  const double half = view == 'S' ? 3.0 : 4.0;
  auto at = [&](Point o, double along, double across) {
    return std::vector<int>{static_cast<int>(std::lround(o.x + ux * along + px * across)),
                            static_cast<int>(std::lround(o.y + uy * along + py * across))};
  };
  auto quad = [&](Point a, double a0, Point b, double b0) {
    std::vector<int> xy;
    for (const auto& v : {at(a, a0, -half), at(a, a0, half), at(b, b0, half), at(b, b0, -half)}) xy.insert(xy.end(), v.begin(), v.end());
    return xy;
  };
  Part(body, [&](Canvas& m) { m.Fill(neck.x - 1, neck.y - 1, 3, 3, 1); }, Shades{cSkinLo, cSkin, cSkinLo}, false);
  Part(body, [&](Canvas& m) { m.Polygon(quad(neck, 1, hip, 0), 1); }, Shades{cShirt, cShirtHi, cShirtLo}, false);
  Part(body, [&](Canvas& m) { m.Polygon(quad(hip, -2, hip, 2), 1); }, Shades{cPants, cPants, cPantsLo}, false);
  if (view == 'F') {  // a collar and a stripe across the chest
    body.Set(neck.x - 1, neck.y + 1, cShirtLo);
    body.Set(neck.x, neck.y + 2, cShirtLo);
    body.Set(neck.x + 1, neck.y + 1, cShirtLo);
    const Point mid = Lerp(neck, hip, 0.45);
    for (int x = mid.x - 4; x < mid.x + 4; ++x)
      if (body.At(x, mid.y) == cShirt || body.At(x, mid.y) == cShirtHi) body.Set(x, mid.y, cPants);
  }
}

// ---- heads -----------------------------------------------------------------

enum class View { Front, Side, Back };

struct HeadShape {
  double cx, cy, rx, ry;
};

// 0 no hair, 1 hair, 2 the cap or band, for a point of the head in skull
// units (u across, v down; the skull is the unit circle).
int HairAt(int style, View view, double u, double v) {
  const double r2 = u * u + v * v;
  const bool skull = r2 <= 1.0;
  if (view == View::Back) {
    switch (style) {
      case 5: return skull && v < 0.3 ? 1 : 0;
      case 6: return (std::fabs(u) < 0.3 && v < 0.6 && v > -1.5) ? 1 : 0;
      case 3: return (skull && v < 0.9) || (std::fabs(u) < 1.25 && v > -0.3 && v < 1.2 && std::fabs(u) > 0.8) ? 1 : 0;
      case 4: return (skull && v < 0.5) || ((u * u) / 0.09 + (v - 1.0) * (v - 1.0) / 0.3 <= 1) ? 1 : 0;
      case 8: return r2 <= 1.55 && v < 0.5 ? 1 : 0;
      case 9: return skull && v < -0.3 ? 2 : (skull && v < 0.4 ? 1 : 0);
      case 10: return skull && v > -0.5 && v < -0.3 ? 2 : (skull && v < 0.5 ? 1 : 0);
      case 11: {
        const double a = (u - 0.8) * (u - 0.8) + (v + 0.9) * (v + 0.9), b = (u + 0.8) * (u + 0.8) + (v + 0.9) * (v + 0.9);
        return (skull && v < 0.5) || a < 0.13 || b < 0.13 ? 1 : 0;
      }
      default: return skull && v < 0.5 ? 1 : 0;
    }
  }
  if (view == View::Side) {
    // The back of the head is hair; the front follows the style's fringe.
    const bool back = skull && u < -0.05 && v < 0.35;
    switch (style) {
      case 5: return skull && v < -0.45 && u < 0.5 ? 1 : 0;
      case 6: return (v < -0.5 && u > -0.8 && u < 0.55 && v > -1.45 + 0.3 * std::fabs(u)) ? 1 : 0;
      case 3: return back || (skull && v < -0.35) || (u < -0.6 && u > -1.3 && v > -0.4 && v < 1.1) ? 1 : 0;
      case 4: return back || (skull && v < -0.35) || ((u + 1.2) * (u + 1.2) / 0.12 + (v - 0.1) * (v - 0.1) / 0.35 <= 1) ? 1 : 0;
      case 8: return (r2 <= 1.55 && (u < 0.2 || v < -0.3)) ? 1 : 0;
      case 9:
        if (skull && v < -0.3) return 2;
        if (v >= -0.45 && v < -0.25 && u > 0 && u < 1.5) return 2;
        return skull && u < -0.2 && v < 0.2 ? 1 : 0;
      case 10: return skull && v > -0.5 && v < -0.3 ? 2 : (back || (skull && v < -0.3) ? 1 : 0);
      case 11: return back || (skull && v < -0.35) || ((u + 0.3) * (u + 0.3) + (v + 1.05) * (v + 1.05) < 0.14) ? 1 : 0;
      case 1:
        if (back || (skull && v < -0.3)) return 1;
        return (!skull && v < -0.3 && u < 0.6 && u > -1.0 && v > -1.0 - 0.45 * (1 - std::fabs(std::fmod(u * 2.5 + 10.0, 1.0) * 2 - 1))) ? 1 : 0;
      default: return back || (skull && v < -0.3 - (style == 2 ? -0.25 : 0.0)) ? 1 : 0;
    }
  }
  switch (style) {
    case 0: return skull && (v < -0.3 || (std::fabs(u) > 0.75 && v < 0.15)) ? 1 : 0;
    case 1:
      if (skull && (v < -0.25 || (std::fabs(u) > 0.8 && v < 0.0))) return 1;
      return (!skull && v < -0.3 && std::fabs(u) < 0.95 && v > -1.0 - 0.45 * (1 - std::fabs(std::fmod(u * 2.5 + 10.0, 1.0) * 2 - 1))) ? 1 : 0;
    case 2: return skull && (v < -0.05 || (std::fabs(u) > 0.8 && v < 0.35)) ? 1 : 0;
    case 3: return (skull && (v < -0.35 || std::fabs(u) > 0.72)) || (std::fabs(u) > 0.8 && std::fabs(u) < 1.3 && v > -0.5 && v < 1.1) ? 1 : 0;
    case 4: return (skull && (v < -0.3 || (std::fabs(u) > 0.75 && v < 0.15))) || ((u - 1.15) * (u - 1.15) / 0.1 + (v + 0.1) * (v + 0.1) / 0.3 <= 1) ? 1 : 0;
    case 5: return skull && v < -0.6 ? 1 : 0;
    case 6: return std::fabs(u) < 0.28 && v < -0.15 && v > -1.5 ? 1 : 0;
    case 7: return skull && (v < -0.15 - 0.3 * (u + 1) || (std::fabs(u) > 0.8 && v < 0.1)) ? 1 : 0;
    case 8: return r2 <= 1.55 && (v < -0.25 || std::fabs(u) > 0.85) ? 1 : 0;
    case 9:
      if (skull && v < -0.35) return 2;
      if (v >= -0.45 && v < -0.25 && std::fabs(u) < 1.2) return 2;
      return skull && std::fabs(u) > 0.8 && v < 0.1 ? 1 : 0;
    case 10:
      if (skull && v > -0.5 && v < -0.3) return 2;
      return skull && (v < -0.3 || (std::fabs(u) > 0.75 && v < 0.15)) ? 1 : 0;
    default: {
      const double a = (u - 0.85) * (u - 0.85) + (v + 0.95) * (v + 0.95), b = (u + 0.85) * (u + 0.85) + (v + 0.95) * (v + 0.95);
      return (skull && (v < -0.3 || (std::fabs(u) > 0.75 && v < 0.15))) || a < 0.12 || b < 0.12 ? 1 : 0;
    }
  }
}

struct FaceLook {
  int hair, eyes, detail;
};

FaceLook LookOf(int faceNo) { return {faceNo % 12, (faceNo / 12) % 4, (faceNo / 48) % 5}; }

enum class Mood { Normal, Effort, Hurt, Happy, Sad, Closed };

// Paints skull, hair and shading into a canvas of the head's cell size.
void HeadBase(Canvas& c, const HeadShape& s, View view, int hairStyle) {
  for (int y = 0; y < c.Height(); ++y)
    for (int x = 0; x < c.Width(); ++x) {
      const double u = (x + 0.5 - s.cx) / s.rx, v = (y + 0.5 - s.cy) / s.ry;
      const int hair = HairAt(hairStyle, view, u, v);
      if (hair == 1) c.Set(x, y, cHair);
      else if (hair == 2) c.Set(x, y, cShirt);
      else if (u * u + v * v <= 1.0) c.Set(x, y, (view == View::Front ? u > 0.55 : u < -0.45) || v > 0.6 ? cSkinLo : cSkin);
    }
  // Hair shading: a light streak on top, a dark edge where hair meets skin.
  for (int y = 0; y < c.Height(); ++y)
    for (int x = 0; x < c.Width(); ++x) {
      const uint8_t p = c.At(x, y);
      if (p == cHair && (c.At(x, y + 1) == cSkin || c.At(x, y + 1) == cSkinLo || y + 1 >= c.Height() || c.At(x, y + 1) == cTrans))
        c.Set(x, y, cHairLo);
      else if (p == cHair && c.At(x - 1, y - 1) == cTrans && c.At(x, y - 1) == cTrans)
        c.Set(x, y, cHairHi);
      else if (p == cShirt && c.At(x, y + 1) != cShirt)
        c.Set(x, y, cShirtLo);
    }
  // Ears on the sides of the skull, in front of any hair but the long styles.
  if (view == View::Front && hairStyle != 3 && hairStyle != 8) {
    const int ey = static_cast<int>(s.cy + 0.15 * s.ry);
    c.Set(static_cast<int>(s.cx - s.rx) - 0, ey, cSkinLo);
    c.Set(static_cast<int>(s.cx + s.rx) - 1, ey, cSkinLo);
  }
  if (view == View::Side && hairStyle != 3 && hairStyle != 8) {
    const int ex = static_cast<int>(s.cx - 0.1 * s.rx), ey = static_cast<int>(s.cy + 0.1 * s.ry);
    c.Set(ex, ey, cSkinLo);
    c.Set(ex, ey + 1, cSkinLo);
  }
}

// Eyes, mouth and the face's detail for the front or side view. The eye row
// and the spots are given in pixels of the cell being drawn.
void FrontFeatures(Canvas& c, int lx, int rx, int ey, int my, const FaceLook& look, Mood mood) {
  for (int x : {lx, rx}) {
    switch (mood) {
      case Mood::Happy:
        c.Set(x, ey + 1, cLine);
        c.Set(x + 1, ey, cLine);
        c.Set(x + 2, ey + 1, cLine);
        break;
      case Mood::Hurt:
        c.Set(x, ey, cLine);
        c.Set(x + 1, ey + 1, cLine);
        c.Set(x == lx ? x + 1 : x, ey + (x == lx ? 1 : 1), cLine);
        break;
      case Mood::Closed:
      case Mood::Sad:
        c.Fill(x, ey + 1, 2, 1, cLine);
        if (mood == Mood::Sad) c.Set(x == lx ? x : x + 1, ey, cLine);
        break;
      case Mood::Effort:  // eyes narrowed under lowered brows
        c.Fill(x, ey + 1, 2, 1, cEye);
        c.Set(x == lx ? x : x + 1, ey, cLine);
        c.Set(x == lx ? x + 1 : x, ey - 1, cLine);
        break;
      default:
        if (look.eyes == 1) {
          c.Fill(x, ey + 1, 2, 1, cEye);
          c.Fill(x, ey, 2, 1, cLine);
        } else if (look.eyes == 3) {
          c.Fill(x, ey, 2, 1, cLine);
          c.Fill(x, ey + 1, 2, 1, cEye);
        } else {
          c.Set(x, ey, cWhite);
          c.Set(x + 1, ey, cEye);
          c.Set(x, ey + 1, cEye);
          c.Set(x + 1, ey + 1, cLine);
          if (look.eyes == 2) c.Set(x, ey - 1, cLine), c.Set(x + 1, ey - 1, cLine);
        }
        break;
    }
  }
  const int mx = (lx + rx) / 2 + 1;
  switch (mood) {
    case Mood::Happy: c.Fill(mx - 1, my, 3, 1, cMouth); c.Set(mx, my + 1, cMouth); break;
    case Mood::Hurt: c.Fill(mx - 1, my, 2, 2, cMouth); break;
    case Mood::Effort: c.Fill(mx - 1, my, 3, 1, cWhite); c.Fill(mx - 1, my + 1, 3, 1, cMouth); break;
    case Mood::Sad: c.Set(mx - 1, my + 1, cMouth); c.Set(mx, my, cMouth); c.Set(mx + 1, my + 1, cMouth); break;
    default: c.Fill(mx - 1, my, 2, 1, cMouth); break;
  }
  if (look.detail == 1) {  // heavy brows
    c.Fill(lx, ey - 2, 2, 1, cHairLo);
    c.Fill(rx, ey - 2, 2, 1, cHairLo);
  } else if (look.detail == 2) {  // rosy cheeks
    c.Set(lx - 1, ey + 2, cMouth);
    c.Set(rx + 2, ey + 2, cMouth);
  } else if (look.detail == 3) {  // a plaster on the cheek
    c.Fill(rx + 1, ey + 2, 2, 1, cWhite);
  } else if (look.detail == 4 && mood == Mood::Normal) {  // round glasses
    c.Set(lx - 1, ey, cLine);
    c.Set(rx + 2, ey, cLine);
    c.Fill(lx + 2, ey, rx - lx - 2, 1, cLine);
  }
}

void SideFeatures(Canvas& c, int ex, int ey, int my, int nose, const FaceLook& look, Mood mood) {
  switch (mood) {
    case Mood::Effort:
      c.Set(ex, ey, cLine);
      c.Set(ex + 1, ey, cLine);
      c.Set(ex + 1, ey + 1, cEye);
      c.Fill(ex, my, 2, 2, cMouth);
      break;
    case Mood::Hurt:
      c.Set(ex, ey, cLine);
      c.Set(ex + 1, ey + 1, cLine);
      c.Set(ex, ey + 2 > c.Height() - 2 ? ey + 1 : ey + 1, cLine);
      c.Set(ex + 1, my, cMouth);
      c.Set(ex, my + 1, cMouth);
      break;
    case Mood::Closed:
      c.Fill(ex, ey + 1, 2, 1, cLine);
      c.Set(ex + 1, my, cMouth);
      break;
    default:
      c.Set(ex, ey, cWhite);
      c.Set(ex + 1, ey, cEye);
      c.Set(ex + 1, ey + 1, look.eyes == 1 ? cSkin : cEye);
      c.Set(ex, ey + 1, look.eyes == 1 ? cSkin : cLine);
      c.Fill(ex, my, 2, 1, cMouth);
      break;
  }
  c.Set(nose, ey + 1, cSkin);  // the nose sticks out of the outline
  if (look.detail == 1) c.Fill(ex, ey - 1, 3, 1, cHairLo);
  if (look.detail == 2) c.Set(ex - 1, ey + 2, cMouth);
  if (look.detail == 3) c.Fill(ex - 1, ey + 2, 2, 1, cWhite);
}

void Rim(Canvas& c) { c.Outline(0, 0, c.Width(), c.Height(), cTrans, cLine); }

constexpr HeadShape kFrontHead{8.0, 4.6, 5.0, 4.0};
constexpr HeadShape kSideHead{7.5, 4.6, 5.0, 4.0};



}  // namespace

bool LoadPoses(const std::string& text, std::vector<Pose>& poses, std::string& error) {
  std::istringstream in(text);
  std::string line;
  int lineNo = 0;
  while (std::getline(in, line)) {
    ++lineNo;
    if (line.empty() || line[0] == '#' || line.find_first_not_of(" \t\r") == std::string::npos) continue;
    std::istringstream words(line);
    Pose p;
    std::string view;
    auto fail = [&](const std::string& why) {
      error = "pose list line " + std::to_string(lineNo) + ": " + why;
      return false;
    };
    if (!(words >> p.cell >> p.name >> view >> p.expression)) return fail("needs cell, name, view and expression");
    if (p.cell < 0 || p.cell >= 256) return fail("cell must be 0..255");
    if (view != "S" && view != "F" && view != "B") return fail("view must be S, F or B");
    if (p.expression < 0 || p.expression > 10) return fail("expression must be 0..10");
    p.view = view[0];
    p.head = p.expression == 8 ? Point{-4, -7} : Point{-8, -9};
    std::string word;
    while (words >> word) {
      const size_t eq = word.find('=');
      if (eq == std::string::npos) return fail("'" + word + "' is not key=value");
      const std::string key = word.substr(0, eq), value = word.substr(eq + 1);
      Point pt;
      if (key == "fz" || key == "rot") {
        try {
          (key == "fz" ? p.faceOrder : p.turn) = std::stoi(value);
        } catch (...) {
          return fail("bad number in '" + word + "'");
        }
        continue;
      }
      if (!ParsePoint(value, pt)) return fail("'" + word + "' needs x,y");
      if (key == "b") {
        p.holdsBall = true;
        p.ball = pt;
      } else if (key == "head") {
        p.head = pt;
      } else {
        bool known = false;
        for (const char* j : kJointNames) known = known || key == j;
        if (!known) return fail("unknown joint '" + key + "'");
        p.joints[key] = pt;
      }
    }
    for (const char* j : kJointNames)
      if (!p.joints.count(j)) return fail(std::string("joint '") + j + "' missing");
    for (const Pose& other : poses)
      if (other.cell == p.cell) return fail("cell " + std::to_string(p.cell) + " used twice");
    poses.push_back(p);
  }
  return true;
}

PosePlacement PlacementOf(const Pose& pose) {
  const Point neck = Turn(pose.joints.at("n"), pose.turn);
  const Point hand = Turn(pose.holdsBall ? pose.ball : pose.joints.at("w1"), pose.turn);
  if (pose.turn != 0) {
    // Turn the head's middle with the body and keep the cell upright.
    const int half = pose.expression == 8 ? 4 : 8, halfH = pose.expression == 8 ? 4 : 5;  // cell middle
    const Point orig = pose.joints.at("n");
    const Point mid = Turn({orig.x + pose.head.x + half, orig.y + pose.head.y + halfH}, pose.turn);
    return {mid.x - half, mid.y - halfH, hand.x, hand.y};
  }
  return {neck.x + pose.head.x, neck.y + pose.head.y, hand.x, hand.y};
}

Canvas DrawBody(const Pose& pose) {
  Canvas body(32, 32, cTrans);
  auto j = [&](const char* name) { return Turn(pose.joints.at(name), pose.turn); };
  const Point n = j("n"), h = j("h");
  const Point shoulder1 = pose.view == 'S' ? Point{n.x, n.y + 2} : Point{n.x - 4, n.y + 2};
  const Point shoulder2 = pose.view == 'S' ? Point{n.x - 1, n.y + 2} : Point{n.x + 4, n.y + 2};
  const Point hip1 = pose.view == 'S' ? h : Point{h.x - 2, h.y};
  const Point hip2 = pose.view == 'S' ? h : Point{h.x + 2, h.y};
  const bool side = pose.view == 'S';
  // Far limbs first (in the side view), the torso, then the near limbs.
  Leg(body, hip2, j("k2"), j("f2"), side, pose.view);
  if (side) Arm(body, shoulder2, j("e2"), j("w2"), true);
  Leg(body, hip1, j("k1"), j("f1"), false, pose.view);
  Torso(body, n, h, pose.view);
  if (!side) Arm(body, shoulder2, j("e2"), j("w2"), false);
  Arm(body, shoulder1, j("e1"), j("w1"), false);
  Rim(body);
  return body;
}

Canvas DrawExpression(int faceNo, int expression) {
  const FaceLook look = LookOf(faceNo);
  if (expression == 8) {  // the small head of lying and rolling frames
    Canvas c(8, 8, cTrans);
    HeadBase(c, {4.0, 4.0, 3.0, 3.0}, View::Front, look.hair);
    c.Set(2, 4, cLine);
    c.Set(5, 4, cLine);
    Rim(c);
    return c;
  }
  Canvas c(16, 10, cTrans);
  auto front = [&](Mood mood) {
    HeadBase(c, kFrontHead, View::Front, look.hair);
    FrontFeatures(c, 5, 9, 5, 7, look, mood);
  };
  auto side = [&](Mood mood) {
    HeadBase(c, kSideHead, View::Side, look.hair);
    SideFeatures(c, 10, 4, 7, 13, look, mood);
  };
  switch (expression) {
    case 1: front(Mood::Normal); break;
    case 3: HeadBase(c, kFrontHead, View::Back, look.hair); break;
    case 4: side(Mood::Effort); break;
    case 5: side(Mood::Hurt); break;
    case 6: front(Mood::Hurt); break;
    case 7: front(Mood::Happy); break;
    case 9: front(Mood::Sad); break;
    case 10: side(Mood::Closed); break;
    default: side(Mood::Normal); break;
  }
  Rim(c);
  return c;
}

Canvas DrawPortrait(int faceNo) {
  const FaceLook look = LookOf(faceNo);
  Canvas c(16, 16, cTrans);
  // Shoulders and collar under the head.
  c.Fill(2, 14, 12, 2, cShirt);
  c.Fill(6, 14, 4, 1, cShirtLo);
  c.Fill(7, 13, 2, 1, cSkinLo);
  HeadBase(c, {8.0, 7.5, 5.6, 5.8}, View::Front, look.hair);
  FrontFeatures(c, 4, 10, 8, 11, look, Mood::Normal);
  Rim(c);
  // The rim must not spill below the picture's last row.
  return c;
}

Picture BuildBodySheet(const std::vector<Pose>& poses) {
  Picture p{Canvas(kBodySheetW, kBodySheetH, cTrans), DefaultCharPalette()};
  for (const Pose& pose : poses) {
    const Cell cell = BodyCell(pose.cell);
    p.canvas.Blit(DrawBody(pose), cell.x, cell.y);
  }
  return p;
}

Picture BuildAllFaceSheet() {
  Picture p{Canvas(kAllFaceW, kAllFaceH, cTrans), DefaultCharPalette()};
  for (int f = 0; f < 256; ++f) {
    const Cell cell = AllFaceCell(f);
    p.canvas.Blit(DrawPortrait(f), cell.x, cell.y);
  }
  return p;
}

Picture BuildFaceStrips(int file) {
  Picture p{Canvas(kFaceStripW, kFaceStripH, cTrans), DefaultCharPalette()};
  for (int k = 0; k < kFacesPerFile; ++k) {
    const int f = file * kFacesPerFile + k;
    if (f >= kFaceCount) break;
    for (int e = 1; e <= kExpressions; ++e) {
      const Cell cell = ExpressionCell(f, e);
      p.canvas.Blit(DrawExpression(f, e), cell.x, cell.y);
    }
  }
  return p;
}

Picture BuildTeamPicture(const std::vector<Pose>& poses) {
  Picture p{Canvas(kTeamPictureW, kTeamPictureH, cTrans), DefaultCharPalette()};
  for (const Pose& pose : poses) {
    if (pose.name != "win-1") continue;
    p.canvas.Blit(DrawBody(pose), 0, 0);
    const PosePlacement at = PlacementOf(pose);
    p.canvas.Blit(DrawExpression(0, pose.expression), at.faceX, at.faceY, cTrans);
  }
  return p;
}

std::string PoseTable(const std::vector<Pose>& poses) {
  std::ostringstream out;
  out << "cell name          view FaceNo FX  FY  FZ  IX  IY\n";
  for (const Pose& pose : poses) {
    const PosePlacement at = PlacementOf(pose);
    char line[128];
    std::snprintf(line, sizeof line, "%-4d %-13s %c    %-6d %-3d %-3d %-3d %-3d %-3d\n", pose.cell, pose.name.c_str(),
                  pose.view, pose.expression, at.faceX, at.faceY, pose.faceOrder, at.handX, at.handY);
    out << line;
  }
  return out.str();
}

}  // namespace art
