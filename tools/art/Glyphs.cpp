#include "tools/art/Glyphs.h"

#include <sstream>

namespace art {
namespace {

// The signs of the font in glyph order 11..35.
const std::u32string kSigns = U"ー～！？＆、。…・，／：（）「」★☆＜＞％↑↓←→";

std::vector<std::string> SplitSpaces(const std::string& s) {
  std::vector<std::string> out;
  std::istringstream in(s);
  std::string word;
  while (in >> word) out.push_back(word);
  return out;
}

bool IsVoicable(char32_t base) {
  const std::u32string kana = U"かきくけこさしすせそたちつてとはひふへほカキクケコサシスセソタチツテトハヒフヘホ";
  return kana.find(base) != std::u32string::npos;
}

bool IsHalfVoicable(char32_t base) {
  const std::u32string kana = U"はひふへほハヒフヘホ";
  return kana.find(base) != std::u32string::npos;
}

}  // namespace

std::u32string DecodeUtf8(const std::string& s) {
  std::u32string out;
  for (size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    int len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : 4;
    char32_t cp = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
    for (int k = 1; k < len && i + k < s.size(); ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    out.push_back(cp);
    i += len;
  }
  return out;
}

int GlyphNumber(char32_t ch) {
  if (ch >= U'0' && ch <= U'9') return 1 + static_cast<int>(ch - U'0');
  if (ch >= U'０' && ch <= U'９') return 1 + static_cast<int>(ch - U'０');
  if (ch >= U'A' && ch <= U'Z') return 42 + static_cast<int>(ch - U'A');
  if (ch >= U'Ａ' && ch <= U'Ｚ') return 42 + static_cast<int>(ch - U'Ａ');
  const size_t sign = kSigns.find(ch);
  if (sign != std::u32string::npos) return 11 + static_cast<int>(sign);
  if (ch >= 0x3041 && ch <= 0x3093) return 84 + static_cast<int>(ch - 0x3041);
  if (ch >= 0x30A1 && ch <= 0x30DF) return 168 + static_cast<int>(ch - 0x30A1);
  if (ch >= 0x30E0 && ch <= 0x30F4) return 232 + static_cast<int>(ch - 0x30E0);
  if (ch == U'再') return 273;
  return -1;
}

int SjisGlyphNumber(uint8_t lead, uint8_t trail) {
  // The second bytes of the signs after 0x81, in glyph order 11..35.
  static const uint8_t kSignBytes[25] = {0x5B, 0x60, 0x49, 0x48, 0x95, 0x41, 0x42, 0x63, 0x45, 0x43, 0x5E, 0x46, 0x69,
                                         0x6A, 0x75, 0x76, 0x9A, 0x99, 0x83, 0x84, 0x93, 0xAA, 0xAB, 0xA9, 0xA8};
  if (lead == 0x81) {
    if (trail == 0x51 || trail == 0x40) return 0;
    for (int k = 0; k < 25; ++k)
      if (kSignBytes[k] == trail) return 11 + k;
    return -1;
  }
  if (lead == 0x82) {
    if (trail >= 0x4F && trail <= 0x58) return trail - 0x4F + 1;
    if (trail >= 0x60 && trail <= 0x79) return trail - 0x60 + 42;
    if (trail >= 0x9F && trail <= 0xF1) return trail - 0x9F + 84;
    return -1;
  }
  if (lead == 0x83) return trail >= 0x40 && trail <= 0x94 ? trail - 0x40 + 168 : -1;
  return lead == 0x8D && trail == 0xC4 ? 273 : -1;
}

bool GlyphSet::Load(const std::string& text, std::string& error) {
  std::istringstream in(text);
  std::string line;
  int lineNo = 0;
  std::u32string names;
  int row = 0;
  auto fail = [&](const std::string& why) {
    error = "font source line " + std::to_string(lineNo) + ": " + why;
    return false;
  };
  while (std::getline(in, line)) {
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind("//", 0) == 0) continue;
    if (line.rfind("= ", 0) == 0) {
      names.clear();
      for (const std::string& w : SplitSpaces(line.substr(2))) {
        const std::u32string ch = DecodeUtf8(w);
        if (ch.size() != 1) return fail("glyph name '" + w + "' is not one character");
        if (glyphs_.count(ch[0])) return fail("glyph '" + w + "' defined twice");
        names.push_back(ch[0]);
        glyphs_[ch[0]].rows.assign(kGlyphInkH, std::string(kGlyphInkW, '.'));
      }
      row = 0;
      continue;
    }
    if (line.find_first_not_of(' ') == std::string::npos) {
      names.clear();
      continue;
    }
    if (names.empty()) return fail("glyph rows without a '= ' header");
    if (row >= kGlyphInkH) return fail("more than " + std::to_string(kGlyphInkH) + " rows");
    const std::vector<std::string> parts = SplitSpaces(line);
    if (parts.size() != names.size()) return fail("row has " + std::to_string(parts.size()) + " glyphs, header names " + std::to_string(names.size()));
    for (size_t k = 0; k < parts.size(); ++k) {
      if (parts[k].size() != kGlyphInkW || parts[k].find_first_not_of("#.") != std::string::npos)
        return fail("glyph row '" + parts[k] + "' must be 7 of '#' and '.'");
      glyphs_[names[k]].rows[row] = parts[k];
    }
    ++row;
  }
  return true;
}

const Glyph* GlyphSet::Find(char32_t ch) const {
  auto it = glyphs_.find(ch);
  return it == glyphs_.end() ? nullptr : &it->second;
}

void GlyphSet::DeriveVoicedKana() {
  std::map<char32_t, Glyph> added;
  for (const auto& entry : glyphs_) {
    const char32_t base = entry.first;
    const Glyph& g = entry.second;
    auto mark = [&](char32_t voiced, bool round) {
      if (glyphs_.count(voiced)) return;
      Glyph v = g;
      // Keep a gap around the marks so they read apart from the kana.
      for (int y = 0; y <= 3; ++y)
        for (int x = 4; x < kGlyphInkW; ++x) v.rows[y][x] = '.';
      if (round) {
        v.rows[0].replace(4, 3, ".#.");
        v.rows[1].replace(4, 3, "#.#");
        v.rows[2].replace(4, 3, ".#.");
      } else {
        v.rows[0].replace(4, 3, "#.#");
        v.rows[1].replace(4, 3, "#.#");
      }
      added[voiced] = v;
    };
    if (IsVoicable(base)) mark(base + 1, false);
    if (IsHalfVoicable(base)) mark(base + 2, true);
    if (base == U'ウ') mark(U'ヴ', false);
  }
  glyphs_.insert(added.begin(), added.end());
}

void DrawGlyph(Canvas& c, const Glyph& g, int x, int y, uint8_t ink, int scale) {
  for (int j = 0; j < kGlyphInkH; ++j)
    for (int i = 0; i < kGlyphInkW; ++i)
      if (g.rows[j][i] == '#') c.Fill(x + i * scale, y + j * scale, scale, scale, ink);
}

int TextWidth(const std::string& utf8, int scale) {
  return static_cast<int>(DecodeUtf8(utf8).size()) * 8 * scale;
}

int DrawText(Canvas& c, const GlyphSet& set, const std::string& utf8, int x, int y, uint8_t ink,
             int scale, int shadow) {
  int pen = x;
  for (char32_t ch : DecodeUtf8(utf8)) {
    if (const Glyph* g = set.Find(ch)) {
      if (shadow >= 0) DrawGlyph(c, *g, pen + scale, y + scale, static_cast<uint8_t>(shadow), scale);
      DrawGlyph(c, *g, pen, y, ink, scale);
    }
    pen += 8 * scale;
  }
  return pen - x;
}

}  // namespace art
