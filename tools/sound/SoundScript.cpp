#include "tools/sound/SoundScript.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace soundtool {

namespace {

std::string Trim(const std::string& s) {
  size_t a = s.find_first_not_of(" \t\r");
  if (a == std::string::npos) return "";
  size_t b = s.find_last_not_of(" \t\r");
  return s.substr(a, b - a + 1);
}

bool ParseNumber(const std::string& v, double& out) {
  char* end = nullptr;
  out = std::strtod(v.c_str(), &end);
  return !v.empty() && end && *end == '\0' && std::isfinite(out);
}

bool SetParam(Voice& vo, const std::string& key, double v) {
  if (key == "vol") vo.vol = std::clamp(v, 0.0, 1.0);
  else if (key == "duty") vo.duty = std::clamp(v, 0.05, 0.95);
  else if (key == "a") vo.attackMs = std::max(0.0, v);
  else if (key == "d") vo.decayMs = std::max(0.0, v);
  else if (key == "s") vo.sustain = std::clamp(v, 0.0, 1.0);
  else if (key == "r") vo.releaseMs = std::max(0.0, v);
  else if (key == "sweep") vo.sweep = std::clamp(v, -96.0, 96.0);
  else if (key == "pan") vo.pan = std::clamp(v, -1.0, 1.0);
  else if (key == "vib") vo.vibrato = std::clamp(v, 0.0, 12.0);
  else return false;
  return true;
}

}  // namespace

int NoteNumber(const std::string& t) {
  static const int base[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  if (t.size() < 2) return -100;
  char c = char(t[0] & ~0x20);
  if (c < 'A' || c > 'G') return -100;
  int n = base[c - 'A'];
  size_t i = 1;
  if (t[i] == '#') ++n, ++i;
  else if (t[i] == 'b') --n, ++i;
  if (i + 1 != t.size() || t[i] < '0' || t[i] > '8') return -100;
  return n + 12 * (t[i] - '0' + 1);
}

bool ParseSounds(const std::string& text, const std::string& fileName, std::vector<Sound>& out,
                 std::string& error) {
  std::istringstream in(text);
  std::string raw;
  int lineNo = 0;
  Sound* cur = nullptr;
  auto fail = [&](const std::string& what) {
    error = fileName + ":" + std::to_string(lineNo) + ": " + what;
    return false;
  };
  while (std::getline(in, raw)) {
    ++lineNo;
    std::string line = Trim(raw);
    if (line.empty() || line[0] == '#') continue;
    std::istringstream ws(line);
    std::string word;
    ws >> word;
    if (word == "sound") {
      Sound s;
      s.line = lineNo;
      std::string num;
      ws >> s.kind >> num >> s.name;
      if (s.kind != "se" && s.kind != "bgm") return fail("sound kind must be se or bgm");
      double n;
      if (!ParseNumber(num, n) || n < 0 || n > 255 || n != std::floor(n))
        return fail("sound number must be 0..255");
      s.number = int(n);
      if (s.kind == "bgm") {
        s.rate = 44100;
        s.stereo = true;
      }
      for (const Sound& o : out)
        if (o.kind == s.kind && o.number == s.number)
          return fail(s.kind + " " + num + " is already defined at line " + std::to_string(o.line));
      out.push_back(s);
      cur = &out.back();
      continue;
    }
    if (!cur) return fail("\"" + word + "\" before the first sound line");
    if (word == "rate") {
      double r;
      std::string v;
      ws >> v;
      if (!ParseNumber(v, r) || (r != 22050 && r != 44100)) return fail("rate must be 22050 or 44100");
      cur->rate = int(r);
    } else if (word == "tempo") {
      std::string a, b;
      ws >> a >> b;
      double bpm, per = 4;
      if (!ParseNumber(a, bpm) || bpm < 20 || bpm > 2000) return fail("tempo needs 20..2000 beats");
      if (!b.empty() && (!ParseNumber(b, per) || per < 1 || per > 16))
        return fail("steps per beat must be 1..16");
      cur->bpm = bpm;
      cur->perBeat = per;
    } else if (word == "loop") {
      cur->loop = true;
    } else if (word == "voice") {
      Voice v;
      std::string w;
      ws >> w;
      if (w == "square") v.wave = Wave::Square;
      else if (w == "triangle") v.wave = Wave::Triangle;
      else if (w == "saw") v.wave = Wave::Saw;
      else if (w == "sine") v.wave = Wave::Sine;
      else if (w == "noise") v.wave = Wave::Noise;
      else return fail("unknown wave \"" + w + "\"");
      std::string kv;
      while (ws >> kv) {
        size_t eq = kv.find('=');
        double val;
        if (eq == std::string::npos || !ParseNumber(kv.substr(eq + 1), val) ||
            !SetParam(v, kv.substr(0, eq), val))
          return fail("bad voice setting \"" + kv + "\"");
      }
      cur->voices.push_back(v);
    } else {
      if (cur->voices.empty()) return fail("steps before the first voice line");
      Voice& v = cur->voices.back();
      std::istringstream ts(line);
      std::string tok;
      while (ts >> tok) {
        if (tok == "|") continue;
        if (tok == ".") v.steps.push_back(-1);
        else if (tok == "-") v.steps.push_back(-2);
        else {
          int n = NoteNumber(tok);
          if (n < 12 || n > 120) return fail("\"" + tok + "\" is not a note, - or .");
          v.steps.push_back(n);
        }
        if (v.steps.size() > 4096) return fail("more than 4096 steps in one voice");
      }
    }
  }
  for (const Sound& s : out) {
    lineNo = s.line;
    if (s.voices.empty()) return fail("sound has no voice");
    for (const Voice& v : s.voices)
      if (v.steps.empty()) return fail("a voice has no steps");
    if (s.loop) {
      size_t longest = 0;
      for (const Voice& v : s.voices) longest = std::max(longest, v.steps.size());
      if (longest % 4 != 0) return fail("a looping sound needs a multiple of 4 steps");
    }
  }
  return true;
}

int StepFrames(const Sound& s) {
  double f = s.rate * 60.0 / (s.bpm * s.perBeat);
  int r = int(std::lround(f / 64)) * 64;
  return std::max(r, 64);
}

namespace {

struct Note {
  int start = 0;   // frame
  int length = 0;  // frames held
  int midi = 0;
};

// A looping sound repeats its shorter voices to the longest one's end; a
// one-shot sound lets them fall silent.
std::vector<Note> NotesOf(const Voice& v, size_t totalSteps, int stepFrames, bool repeat) {
  std::vector<Note> notes;
  if (!repeat) totalSteps = v.steps.size();
  for (size_t i = 0; i < totalSteps; ++i) {
    int st = v.steps[i % v.steps.size()];
    if (st >= 0) {
      notes.push_back(Note{int(i) * stepFrames, stepFrames, st});
    } else if (st == -2 && !notes.empty() && i > 0) {
      // Holds only lengthen a note that reaches this step.
      Note& last = notes.back();
      if (last.start + last.length == int(i) * stepFrames) last.length += stepFrames;
    }
  }
  return notes;
}

// One oscillator sample at phase p (0..1).
double Osc(const Voice& v, double p, double held) {
  switch (v.wave) {
    case Wave::Square:
      return p < v.duty ? 1.0 : -1.0;
    case Wave::Triangle:
      return p < 0.5 ? 4 * p - 1 : 3 - 4 * p;
    case Wave::Saw:
      return 2 * p - 1;
    case Wave::Sine:
      return std::sin(2 * 3.14159265358979 * p);
    case Wave::Noise:
      return held;
  }
  return 0;
}

}  // namespace

std::vector<int16_t> Render(const Sound& s) {
  const int sf = StepFrames(s);
  size_t steps = 0;
  for (const Voice& v : s.voices) steps = std::max(steps, v.steps.size());
  const int body = int(steps) * sf;
  double maxRelease = 0;
  for (const Voice& v : s.voices) maxRelease = std::max(maxRelease, v.releaseMs);
  const int tail = s.loop ? 0 : int(maxRelease * s.rate / 1000) + 1;
  const int total = body + tail;
  const int ch = s.stereo ? 2 : 1;
  std::vector<double> mix(size_t(total) * size_t(ch), 0.0);

  uint32_t noise = 0x1234567u;
  for (const Voice& v : s.voices) {
    const double a = v.attackMs * s.rate / 1000, d = v.decayMs * s.rate / 1000;
    const double r = v.releaseMs * s.rate / 1000;
    const double gl = v.vol * (s.stereo ? std::min(1.0, 1 - v.pan) : 1.0);
    const double gr = v.vol * (s.stereo ? std::min(1.0, 1 + v.pan) : 1.0);
    for (const Note& n : NotesOf(v, steps, sf, s.loop)) {
      double phase = 0, held = 0;
      const int len = n.length + int(r);
      for (int i = 0; i < len; ++i) {
        // Envelope: attack, decay to the sustain level, release after the hold.
        double env;
        if (i < a) env = i / std::max(a, 1.0);
        else if (i < a + d) env = 1 - (1 - v.sustain) * (i - a) / std::max(d, 1.0);
        else env = v.sustain;
        if (i >= n.length) {
          double atRelease = n.length < a ? n.length / std::max(a, 1.0)
                             : n.length < a + d ? 1 - (1 - v.sustain) * (n.length - a) / std::max(d, 1.0)
                                                : v.sustain;
          env = atRelease * (1 - (i - n.length) / std::max(r, 1.0));
        }
        double semis = n.midi + v.sweep * i / std::max(n.length, 1) +
                       v.vibrato * std::sin(2 * 3.14159265358979 * 6 * i / s.rate);
        double freq = 440.0 * std::pow(2.0, (semis - 69) / 12.0);
        phase += freq / s.rate;
        if (v.wave == Wave::Noise && (phase >= 1 || i == 0)) {
          // A 31-bit shift register gives the noise its hiss.
          noise = (noise >> 1) | (((noise ^ (noise >> 3)) & 1u) << 30);
          held = (noise & 1u) ? 1.0 : -1.0;
        }
        phase -= std::floor(phase);
        double x = Osc(v, phase, held) * env;
        int at = n.start + i;
        if (at >= total) {
          if (!s.loop) break;
          at %= body;  // ringing notes of a loop come back in at its start
        }
        mix[size_t(at) * size_t(ch)] += x * gl;
        if (ch == 2) mix[size_t(at) * 2 + 1] += x * gr;
      }
    }
  }
  std::vector<int16_t> pcm(mix.size());
  for (size_t i = 0; i < mix.size(); ++i) {
    // A soft limit keeps chords from clipping harshly.
    double y = std::tanh(mix[i] * 1.1) * 0.9;
    pcm[i] = int16_t(std::lround(std::clamp(y, -1.0, 1.0) * 32000));
  }
  return pcm;
}

}  // namespace soundtool
