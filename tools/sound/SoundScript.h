// The game's sounds as text: each sound is a few voices (square, triangle,
// saw, sine or noise), each a row of steps holding notes, and the tool renders
// them to 16-bit PCM. Music loops: its length is exactly its steps, and notes
// that ring past the end come back in at the start.
//
//   sound se 12 catch        starts sound se012 (or "sound bgm 2 court-a")
//   rate 22050               samples per second (se 22050 mono, bgm 44100 stereo)
//   tempo 150 4              beats per minute and steps per beat
//   loop                     the sound loops (music)
//   voice square duty=0.25 vol=0.3 a=2 d=60 s=0.5 r=40 sweep=-12 pan=-0.3 vib=0.2
//   C5 - E5 - G5 . . .       the voice's steps: a note starts, "-" holds it,
//                            "." is silence, "|" only separates bars
//
// In music, shorter voices repeat until the longest one ends; in effects
// they fall silent. Lines starting with '#'
// are comments.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace soundtool {

enum class Wave { Square, Triangle, Saw, Sine, Noise };

struct Voice {
  Wave wave = Wave::Square;
  double duty = 0.5, vol = 0.3;
  double attackMs = 2, decayMs = 80, sustain = 0.6, releaseMs = 40;
  double sweep = 0;    // semitones over each note
  double pan = 0;      // -1 left .. 1 right
  double vibrato = 0;  // semitones, at 6 Hz
  // Per step: -1 silence, -2 hold, otherwise a MIDI note number.
  std::vector<int> steps;
};

struct Sound {
  std::string kind;  // "se" or "bgm"
  int number = -1;
  std::string name;
  int rate = 22050;
  bool stereo = false;
  double bpm = 120, perBeat = 4;
  bool loop = false;
  std::vector<Voice> voices;
  int line = 0;  // where it starts in its file
};

// Parses a sound file; on a mistake returns false with error naming the line.
bool ParseSounds(const std::string& text, const std::string& fileName, std::vector<Sound>& out,
                 std::string& error);
// Frames of one step: the tempo's step length rounded to 64 frames, so a loop
// of a multiple of four steps is a whole number of 256-frame blocks.
int StepFrames(const Sound& s);
// Interleaved 16-bit PCM (1 or 2 channels).
std::vector<int16_t> Render(const Sound& s);
// "C4" = 60; -100 when the text is no note.
int NoteNumber(const std::string& text);

}  // namespace soundtool
