// The program folder and file access. Game paths are written the way the game's
// files were named: "data\bmp\font.png", relative to the program folder (the
// game changes to it at start) and matched without regard to case when the
// exact name is missing. Failures are return values, never exceptions.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plat {

// The folder of the running program, with a trailing '/'. Tests replace it
// with a temporary folder through SetProgramFolder; "" returns to the real one.
std::string ProgramFolder();
void SetProgramFolder(const std::string& folder);
// The running program's file name, extension included ("qorv").
std::string ProgramFileName();
// Makes the program folder the current directory, so that paths resolved
// against either agree.
bool ChangeToProgramFolder();

// Turns a game path into a host path: '\' becomes '/', a relative path is taken
// against the current directory, and each missing component is looked up again
// ignoring ASCII case. A host folder the game path is joined to keeps its
// name as it stands: the longest part up to a '/' that names a folder as
// written is taken whole, so a '\' in the program folder's own name is part
// of that name. From the first component that matches nothing on, the
// caller's spelling is kept, so that creating a new file works.
std::string ResolvePath(std::string_view gamePath);

bool FileExists(std::string_view gamePath);       // a regular file
bool DirectoryExists(std::string_view gamePath);
bool CreateDir(std::string_view gamePath);         // one level; true if it exists after
// Why a folder cannot be used whole: "missing", "is not a folder", "cannot be
// checked: ..." or "cannot be entered: ..." with the system's reason; "" for
// a folder that can be listed and entered.
std::string FolderProblem(std::string_view gamePath);
// Renames a file or folder. False when the source is missing, when something
// already has the new name (nothing is ever replaced) or the system refuses;
// *why (when given) then says which ("missing", "the new name is taken by a
// folder", "... by a file", or the system's reason).
bool RenamePath(std::string_view fromGamePath, std::string_view toGamePath,
                std::string* why = nullptr);
// Regular files in a folder whose names end in suffix (ASCII case ignored),
// sorted by name ignoring case, so every machine sees the same order; with
// AnyEntry, every entry of such a name (folders, pipes, links that lead
// nowhere), for a caller that names what it cannot use. A folder that cannot
// be opened lists nothing; *problem (when given) then says why, unless the
// folder is simply missing.
enum class ListKinds { PlainFiles, AnyEntry };
std::vector<std::string> ListFiles(std::string_view gameDir, std::string_view suffix,
                                   std::string* problem = nullptr,
                                   ListKinds kinds = ListKinds::PlainFiles);

// Reads up to maxBytes of a plain file; nullopt when it cannot, and then
// *problem (when given) says why: "missing", "is a folder", "is not a plain
// file" (a device or pipe is never opened for reading), "cannot be read: ..."
// with the system's reason, or "too large to read" when memory runs out.
std::optional<std::vector<uint8_t>> ReadFile(std::string_view gamePath,
                                             size_t maxBytes = SIZE_MAX,
                                             std::string* problem = nullptr);
// Why a file cannot be read, in ReadFile's words; "" when it can.
std::string ReadProblem(std::string_view gamePath);
// Replaces the file's contents so that it holds either its old bytes or the
// new ones, never a mix or nothing, whenever the program is stopped: the bytes
// go to a new temporary file in the same folder, which is flushed, synced to
// disk and closed, then renamed over the old name, and the folder is synced
// so the new name survives a crash. A symbolic link is never replaced: it is
// written through to the file it leads to, which is made when it is missing
// and its folder exists; a link that loops, or leads into a missing folder,
// is refused.
// Any failure before the rename removes the temporary file and leaves the old
// file untouched, and so does a name that holds anything but a plain file (a
// folder, a device, a pipe), which is never replaced. The new file keeps the
// old one's permissions, but its owner may always read and write it. A
// failure of the folder sync leaves the new contents in
// place but still returns false, since they may not survive a crash. On
// failure *error (when given) says which step failed and why, and *failed
// (when given) is that step. A file-size limit is an ordinary write failure
// (the process ignores the signal such a limit raises). Temporary files of
// the same target left by saves whose process is gone are removed first.
enum class WriteStep { Create, Write, Flush, Sync, Close, Rename, SyncFolder };
bool WriteFile(std::string_view gamePath, const void* data, size_t size,
               std::string* error = nullptr, WriteStep* failed = nullptr);
// Test seam: called at each step of every WriteFile; returning false makes
// that step fail as if the system had refused it. An empty hook removes it.
using WriteStepHook = std::function<bool(WriteStep)>;
void SetWriteStepHook(WriteStepHook hook);

// Makes a write to a closed pipe or terminal fail with an error instead of
// ending the process: every program reports on stderr, and a reader that has
// gone away must not take it down. Each program's main calls it first.
void KeepRunningWhenOutputCloses();

// Writes one line to stderr naming a file and what is wrong with it:
// "<program>: <host path>: <what>". Message boxes keep their short texts; this
// line says which file they meant.
// Control characters in either are shown escaped, so a name cannot move the
// cursor, recolour the terminal or fake a line of its own.
void ReportFileProblem(std::string_view gamePath, std::string_view what);
// text with its control characters (ASCII and the UTF-8 C1 range) written as
// "\n", "\t" or "\x1b", for a line on a terminal.
std::string ShowControls(std::string_view text);

}  // namespace plat
