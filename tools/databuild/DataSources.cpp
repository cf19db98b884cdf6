#include "tools/databuild/DataSources.h"

#include <charconv>
#include <cstring>
#include <sstream>

namespace databuild {
namespace {

// A source line with its number (from 1), comments and blank lines left out.
struct Line {
    int number;
    std::string_view text;
};

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

std::vector<Line> SourceLines(std::string_view text) {
    std::vector<Line> lines;
    int number = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = Trim(text.substr(pos, end - pos));
        pos = end + 1;
        ++number;
        if (line.empty() || line.starts_with("//") || line.starts_with('#')) continue;
        lines.push_back({number, line});
    }
    return lines;
}

std::vector<std::string_view> Split(std::string_view s, char sep) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (true) {
        size_t at = s.find(sep, start);
        parts.push_back(Trim(s.substr(start, at == std::string_view::npos ? std::string_view::npos
                                                                          : at - start)));
        if (at == std::string_view::npos) break;
        start = at + 1;
    }
    return parts;
}

std::vector<std::string_view> Words(std::string_view s) {
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
        size_t start = i;
        while (i < s.size() && s[i] != ' ' && s[i] != '\t') ++i;
        if (i > start) words.push_back(s.substr(start, i - start));
    }
    return words;
}

bool ParseInt(std::string_view s, int& v) {
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return ec == std::errc() && p == s.data() + s.size() && !s.empty();
}

std::string Where(std::string_view file, int line) {
    std::ostringstream o;
    o << file << ":" << line << ": ";
    return o.str();
}

// A value that must fit the byte field it goes into.
bool InRange(int v, int lo, int hi) { return v >= lo && v <= hi; }

}  // namespace

void ReadFrameTable(std::string_view text, std::string_view file, FrameTable& out,
                    Errors& errors) {
    out = FrameTable{};
    bool used[DBBMP_COUNT] = {};
    for (const Line& line : SourceLines(text)) {
        auto cells = Split(line.text, ',');
        const std::string at = Where(file, line.number);
        if (cells.size() != 12) {
            errors.push_back(at + "a frame row needs 12 columns "
                                  "(BmpNo,Name,FaceNo,FX,FY,FZ,BX,BY,IX,IY,IZ,SrcSize)");
            continue;
        }
        int v[12] = {};
        bool ok = true;
        for (int c = 0; c < 12; ++c) {
            if (c == 1) continue;
            if (!ParseInt(cells[c], v[c])) {
                errors.push_back(at + "column " + std::to_string(c + 1) + " is not a number");
                ok = false;
            }
        }
        if (!ok) continue;
        const int bmp = v[0];
        if (!InRange(bmp, 0, DBBMP_COUNT - 1)) {
            errors.push_back(at + "BmpNo " + std::to_string(bmp) + " is outside the frame table (0..511)");
            continue;
        }
        if (used[bmp]) {
            errors.push_back(at + "BmpNo " + std::to_string(bmp) + " is given twice");
            continue;
        }
        std::string name(cells[1]);
        if (name.empty() || out.poses.count(name)) {
            errors.push_back(at + "pose name '" + name + "' is empty or given twice");
            continue;
        }
        // FaceNo, FZ, IZ, SrcSize are unsigned bytes; the offsets signed bytes.
        const int lo[12] = {0, 0, 0, -128, -128, -128, -128, -128, -128, -128, 0, 0};
        const int hi[12] = {0, 0, 255, 127, 127, 127, 127, 127, 127, 127, 255, 255};
        for (int c = 2; c < 12; ++c) {
            if (!InRange(v[c], lo[c], hi[c])) {
                errors.push_back(at + "column " + std::to_string(c + 1) + " value " +
                                 std::to_string(v[c]) + " does not fit its byte");
                ok = false;
            }
        }
        if (!ok) continue;
        BitMapData& r = out.rows[bmp];
        r.FaceNo = uint8_t(v[2]);
        r.FX = int8_t(v[3]);
        r.FY = int8_t(v[4]);
        r.FZ = int8_t(v[5]);
        r.BX = int8_t(v[6]);
        r.BY = int8_t(v[7]);
        r.IX = int8_t(v[8]);
        r.IY = int8_t(v[9]);
        r.IZ = uint8_t(v[10]);
        r.SrcSize = uint8_t(v[11]);
        used[bmp] = true;
        out.poses[name] = bmp;
    }
}

namespace {

// Applies one word of a frame line; false (with an error) when it is unknown.
bool ApplyFrameWord(std::string_view word, DBBMFrameData& f, const std::string& at, Errors& errors) {
    AnimeData& a = f.Ani;
    if (word == "start") { a.LoopP = 1; return true; }
    if (word == "end") { a.LoopP = 2; return true; }
    if (word == "hold") { a.LoopP = 3; return true; }
    if (word == "last") { a.Last_f = 1; return true; }
    if (word == "act") { a.ActP_f = 1; return true; }
    if (word == "revx") { a.RevX_f = 1; return true; }
    if (word == "revy") { a.RevY_f = 1; return true; }
    if (word == "loopse") { a.LoopSE_f = 1; return true; }
    if (word == "tame") { a.TameLoop_f = 1; return true; }
    size_t eq = word.find('=');
    if (eq == std::string_view::npos) {
        errors.push_back(at + "unknown word '" + std::string(word) + "'");
        return false;
    }
    std::string_view key = word.substr(0, eq), value = word.substr(eq + 1);
    if (key == "box") {
        auto parts = Split(value, ',');
        int b[4] = {};
        if (parts.size() != 4 || !ParseInt(parts[0], b[0]) || !ParseInt(parts[1], b[1]) ||
            !ParseInt(parts[2], b[2]) || !ParseInt(parts[3], b[3]) || !InRange(b[0], -128, 127) ||
            !InRange(b[1], -128, 127) || !InRange(b[2], 0, 255) || !InRange(b[3], 0, 255)) {
            errors.push_back(at + "box needs X,Y,W,H (X,Y -128..127, W,H 0..255)");
            return false;
        }
        f.Kurai = {int8_t(b[0]), int8_t(b[1]), uint8_t(b[2]), uint8_t(b[3])};
        return true;
    }
    int v = 0;
    if (!ParseInt(value, v)) {
        errors.push_back(at + "'" + std::string(word) + "' needs a number");
        return false;
    }
    auto set = [&](auto& field, int lo, int hi) {
        if (!InRange(v, lo, hi)) {
            errors.push_back(at + std::string(key) + " " + std::to_string(v) + " is outside " +
                             std::to_string(lo) + ".." + std::to_string(hi));
            return false;
        }
        field = static_cast<std::remove_reference_t<decltype(field)>>(v);
        return true;
    };
    if (key == "t") return set(a.Time, 0, 255);
    if (key == "n") return set(a.LoopC, 0, 255);
    if (key == "x") return set(a.X, -128, 127);
    if (key == "y") return set(a.Y, -128, 127);
    if (key == "se") return set(a.SE, 0, 255);
    errors.push_back(at + "unknown word '" + std::string(word) + "'");
    return false;
}

}  // namespace

void ReadMotionTable(std::string_view text, std::string_view file, const FrameTable& frames,
                     MotionTable& out, Errors& errors) {
    out = MotionTable{};
    int current = -1;
    for (const Line& line : SourceLines(text)) {
        const std::string at = Where(file, line.number);
        auto words = Words(line.text);
        if (words[0] == "motion") {
            int mno = -1;
            if (words.size() != 3 || !ParseInt(words[1], mno) || !InRange(mno, 0, DBMOTION_COUNT - 1)) {
                errors.push_back(at + "expected 'motion <0..127> <name>'");
                current = -1;
                continue;
            }
            if (out.frameCount[mno] != 0) {
                errors.push_back(at + "motion " + std::to_string(mno) + " is given twice");
                current = -1;
                continue;
            }
            current = mno;
            DBBaseMotionData& m = out.motions[mno];
            std::string_view name = words[2];
            std::memcpy(m.Name, name.data(), std::min(name.size(), sizeof(m.Name) - 1));
            continue;
        }
        if (current < 0) {
            errors.push_back(at + "a frame line outside a motion");
            continue;
        }
        int& count = out.frameCount[current];
        if (count >= DBMOTION_FRAMES) {
            errors.push_back(at + "motion " + std::to_string(current) + " has more than 7 frames");
            continue;
        }
        auto pose = frames.poses.find(std::string(words[0]));
        if (pose == frames.poses.end()) {
            errors.push_back(at + "unknown pose '" + std::string(words[0]) + "'");
            continue;
        }
        DBBMFrameData& f = out.motions[current].Frame[count];
        f.Ani.BmpNo = uint16_t(pose->second);
        bool timed = false;
        for (size_t i = 1; i < words.size(); ++i) {
            ApplyFrameWord(words[i], f, at, errors);
            timed = timed || words[i].starts_with("t=");
        }
        if (!timed) errors.push_back(at + "a frame needs its time (t=<steps>)");
        ++count;
    }
    for (int m = 0; m < DBMOTION_COUNT; ++m)
        if (out.frameCount[m] == 0 && out.motions[m].Name[0] == 0) std::strcpy(out.motions[m].Name, "-");
}

void ReadPaletteSets(std::string_view text, std::string_view file, PaletteSets& out,
                     Errors& errors) {
    out = PaletteSets{};
    for (const Line& line : SourceLines(text)) {
        const std::string at = Where(file, line.number);
        size_t colon = line.text.find(':');
        int set = -1;
        if (colon == std::string_view::npos || !ParseInt(Trim(line.text.substr(0, colon)), set) ||
            !InRange(set, 0, kPalSets - 1)) {
            errors.push_back(at + "expected '<set 0..31>: <16 colours RRGGBB>'");
            continue;
        }
        auto colours = Words(line.text.substr(colon + 1));
        if (colours.size() != kPalEntries) {
            errors.push_back(at + "set " + std::to_string(set) + " needs 16 colours");
            continue;
        }
        if (out.given[set]) {
            errors.push_back(at + "set " + std::to_string(set) + " is given twice");
            continue;
        }
        bool ok = true;
        for (int e = 0; e < kPalEntries; ++e) {
            std::string_view c = colours[e];
            unsigned v = 0;
            auto [p, ec] = std::from_chars(c.data(), c.data() + c.size(), v, 16);
            if (c.size() != 6 || ec != std::errc() || p != c.data() + c.size()) {
                errors.push_back(at + "colour " + std::to_string(e) + " of set " +
                                 std::to_string(set) + " is not RRGGBB");
                ok = false;
                continue;
            }
            out.colour[set][e] = {uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
        }
        out.given[set] = ok;
    }
    for (int s = 0; s < kPalSets; ++s)
        if (!out.given[s]) errors.push_back(std::string(file) + ": palette set " + std::to_string(s) + " is missing");
}

std::array<std::vector<uint8_t>, 2> BuildPaletteFiles(const PaletteSets& sets) {
    std::array<std::vector<uint8_t>, 2> files;
    static constexpr char kHeader[kPalHeaderSize] = {'Q', 'O', 'R', 'V', 'P', 'A', 'L', '0', '1', 0};
    for (int n = 0; n < 2; ++n) {
        std::vector<uint8_t>& f = files[n];
        f.assign(kPalFileSize, 0);
        std::memcpy(f.data(), kHeader, kPalHeaderSize);
        for (int k = 0; k < 256; ++k) {
            const Rgb& c = sets.colour[16 * n + k / 16][k % 16];
            f[kPalHeaderSize + 3 * k] = c.r;
            f[kPalHeaderSize + 3 * k + 1] = c.g;
            f[kPalHeaderSize + 3 * k + 2] = c.b;
        }
    }
    return files;
}

}  // namespace databuild
