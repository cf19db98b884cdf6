// The game's one random sequence. Every draw of the game (scene fades, team
// moves, CPU decisions, courts) comes from here, so a run is reproduced by its
// seed; the number and order of draws are part of the game's behaviour.
//
// A 32-bit linear congruential generator: each draw sets
// seed := seed * 134775813 + 1 and Random(n) is the high 32 bits of seed * n.
#pragma once
#include <cstdint>

// A number in 0..n-1; 0 when n <= 0. Every call advances the sequence.
int32_t Random(int32_t n);
// The whole state, to save and restore (save states keep it).
int32_t RandSeed();
void SetRandSeed(int32_t seed);
// Seeds from the clock (the current clock, so a fake clock gives a fixed seed).
void Randomize();
// How many draws were taken since the last reset (for tests of draw counts).
uint64_t RandomDraws();
void ResetRandomDraws();
