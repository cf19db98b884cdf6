// The one-time move of the game's old folder names to the current ones: the
// data folder "しすてむふぁいる" becomes "data", the team folder "ちーむでーた"
// becomes "TEAMDATA" and its 24 team folders "ちーむ00".."ちーむ23" become
// "team00".."team23". It runs only while "data" is missing and the old data
// folder exists, so a folder tree already moved is never touched again.
#pragma once
#include <string>

namespace tumbotcfg {

struct RenameOutcome {
  bool ran = false;     // the old data folder was found and the move was tried
  int renamed = 0;      // folders renamed
  int failed = 0;       // renames that failed (each was reported)
};

// baseHost is the program folder as a host path (UTF-8, ending in '/').
// Tells the user what is about to happen, reports each failed rename with
// its old and new path, and ends with a thank-you when nothing failed. These
// messages exist in Japanese only.
RenameOutcome RenameOldFolders(const std::string& baseHost);

}  // namespace tumbotcfg
