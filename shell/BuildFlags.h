// The game's two build flags. CMake fixes them for a build (options Eng_f and
// Debug_f); the shell also takes them as a value so one test binary can run
// both languages and the authoring keys.
#pragma once

struct BuildFlags {
  bool Eng_f = true;    // English texts (the shipped build)
  bool Debug_f = false; // authoring build: debug keys, save states, debug text
};

#ifndef QORV_ENG_F
#define QORV_ENG_F 1
#endif
#ifndef QORV_DEBUG_F
#define QORV_DEBUG_F 0
#endif

inline constexpr bool Eng_f = QORV_ENG_F != 0;
// The flags the build was made with. Only the program entries read them; they
// hand them to the main form and its global status object, and every other
// part asks that object (AuthoringBuild), never the build.
inline constexpr BuildFlags kBuildFlags{Eng_f, QORV_DEBUG_F != 0};
