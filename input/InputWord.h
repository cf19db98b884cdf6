// The 16-bit input word of one player device and one logic step: the eight
// logical buttons in bits 0..7, the four directions in bits 12..15; bits
// 8..11 are never set.
#pragma once
#include <array>
#include <cstdint>

enum BtnType : int { bA = 0, bB, bX, bY, bL, bR, bST, bSL };
enum CrsType : int { cU = 0, cD, cL, cR };
// The double-tap result.
enum DHType : int { dN = 0, dU, dD, dL, dR };
// Live (read the device and record), playing a recorded stream back, or the
// playback has run out.
enum ReplayState : int { rpsNone = 0, rpsLoad = 1, rpsEnd = 2 };

inline constexpr std::array<uint16_t, 8> BITBTN = {0x0001, 0x0002, 0x0004, 0x0008,
                                                   0x0010, 0x0020, 0x0040, 0x0080};
inline constexpr uint16_t BITBTNMASK = 0x0FFF;
inline constexpr std::array<uint16_t, 4> BITCRS = {0x1000, 0x2000, 0x4000, 0x8000};
inline constexpr uint16_t BITCRSMASK = 0xF000;
// The bits a word may carry.
inline constexpr uint16_t BITWORDMASK = 0xF0FF;
// For each direction d the double-tap pattern walked back in time: d, none, d.
inline constexpr std::array<std::array<uint16_t, 3>, 4> BITDH = {{{0x1000, 0, 0x1000},
                                                                  {0x2000, 0, 0x2000},
                                                                  {0x4000, 0, 0x4000},
                                                                  {0x8000, 0, 0x8000}}};

inline constexpr int BUFMAX = 127;   // last index of the history
inline constexpr int BUFHALF = 64;   // the current word's lowest index; checks reach 63 back
inline constexpr int BUFCMD = 51;    // command-buffer entries before it is cut
inline constexpr int DHMAX = 2;      // last index of a double-tap pattern
inline constexpr int DELEY = 0;      // the frame offset that position 0 stands for
inline constexpr int WHEELMAG = 120; // mouse wheel units per notch

// True when every bit of BitNum is set in Flag.
constexpr bool GetWF(uint16_t Flag, uint16_t BitNum) { return (Flag & BitNum) == BitNum; }
