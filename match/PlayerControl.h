// Types shared by the player's control, decision, action, shot and target
// steps (the operations themselves are members of TDBPlayer, declared in
// their own block in match/clsObject.h).
#pragma once
#include <cstdint>

// Kinds of shot, in the order the shot table and the speed rates use them.
enum STYPE : uint8_t {
    stS,      // standing
    stJS,     // jump
    stDS,     // dash
    stDJS,    // dash jump
    stJNS,    // jump nice
    stJNNS,   // jump double nice
    stDNS,    // dash nice
    stDJNS,   // dash jump nice
    stHS,     // dash special
    stJHS,    // dash jump special
    stSHS1J,  // jump special of the second kind
    stSHS2    // dash special of the third kind
};

// What a shot flying at a player calls for (CheckDS).
enum DSType : uint8_t { dsNone, dsJump, dsCrouch, dsCatch };

// The kind of the action step by who has the ball: the player himself
// (attack), somebody else or a ball in flight (defence), or nobody (free).
enum ATType : uint8_t { ATA = 0, ATD = 1, ATF = 2 };
