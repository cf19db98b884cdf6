#include "platform/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <utility>

namespace plat {

namespace {
std::string g_folderOverride;

bool IEquals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x += 32;
    if (y >= 'A' && y <= 'Z') y += 32;
    if (x != y) return false;
  }
  return true;
}

bool ILess(const std::string& a, const std::string& b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x += 32;
    if (y >= 'A' && y <= 'Z') y += 32;
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

bool Exists(const std::string& p) {
  struct stat st{};
  return ::stat(p.c_str(), &st) == 0;
}

// Finds an entry of dir whose name equals name ignoring case.
std::optional<std::string> FindIgnoringCase(const std::string& dir, std::string_view name) {
  std::unique_ptr<DIR, int (*)(DIR*)> d(opendir(dir.empty() ? "." : dir.c_str()), closedir);
  if (!d) return std::nullopt;
  std::vector<std::string> hits;
  while (dirent* e = readdir(d.get())) {
    if (IEquals(e->d_name, name)) hits.emplace_back(e->d_name);
  }
  if (hits.empty()) return std::nullopt;
  std::sort(hits.begin(), hits.end());  // the same choice on every machine
  return hits.front();
}
}  // namespace

std::string ProgramFolder() {
  if (!g_folderOverride.empty()) return g_folderOverride;
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return "./";
  std::string path(buf, size_t(n));
  return path.substr(0, path.rfind('/') + 1);
}

void SetProgramFolder(const std::string& folder) {
  g_folderOverride = folder;
  if (!g_folderOverride.empty() && g_folderOverride.back() != '/') g_folderOverride += '/';
}

std::string ProgramFileName() {
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return "qorv";
  std::string path(buf, size_t(n));
  return path.substr(path.rfind('/') + 1);
}

bool ChangeToProgramFolder() { return ::chdir(ProgramFolder().c_str()) == 0; }

namespace {
// How much of a path is a host folder that is there as it is written: the
// longest part up to a '/' that holds a backslash and names a folder. Game
// paths are joined to host folders (the program folder, a tool's argument),
// and a backslash in such a folder's own name is part of that name.
size_t HostFolderPart(std::string_view path) {
  const size_t backslash = path.find('\\');
  if (backslash == std::string_view::npos) return 0;
  size_t keep = 0;
  struct stat st{};
  for (size_t slash = path.find('/', backslash); slash != std::string_view::npos;
       slash = path.find('/', slash + 1))
    if (::stat(std::string(path.substr(0, slash + 1)).c_str(), &st) == 0 && S_ISDIR(st.st_mode))
      keep = slash + 1;
  return keep;
}
}  // namespace

std::string ResolvePath(std::string_view gamePath) {
  std::string out(gamePath.substr(0, HostFolderPart(gamePath)));
  std::string path(gamePath.substr(out.size()));
  std::replace(path.begin(), path.end(), '\\', '/');
  if (path.empty() || Exists(out + path)) return out + path;

  // Walk the components, replacing each missing one by a case-insensitive match.
  size_t pos = 0;
  if (out.empty() && path[0] == '/') out = "/", pos = 1;
  while (pos <= path.size()) {
    size_t end = path.find('/', pos);
    if (end == std::string::npos) end = path.size();
    std::string part = path.substr(pos, end - pos);
    if (!part.empty()) {
      std::string candidate = out + part;
      if (!Exists(candidate) && part != "." && part != "..") {
        if (auto hit = FindIgnoringCase(out, part)) {
          candidate = out + *hit;
        } else {
          return out + path.substr(pos);  // nothing matches: keep the caller's spelling
        }
      }
      out = candidate;
      if (end < path.size()) out += '/';
    }
    pos = end + 1;
  }
  return out;
}

bool FileExists(std::string_view gamePath) {
  struct stat st{};
  return ::stat(ResolvePath(gamePath).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(std::string_view gamePath) {
  struct stat st{};
  return ::stat(ResolvePath(gamePath).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateDir(std::string_view gamePath) {
  if (DirectoryExists(gamePath)) return true;
  std::string p = ResolvePath(gamePath);
  return ::mkdir(p.c_str(), 0777) == 0 || DirectoryExists(gamePath);
}

std::string FolderProblem(std::string_view gamePath) {
  struct stat st{};
  const std::string p = ResolvePath(gamePath);
  if (::stat(p.c_str(), &st) != 0)
    return errno == ENOENT || errno == ENOTDIR ? "missing"
                                               : std::string("cannot be checked: ") + std::strerror(errno);
  if (!S_ISDIR(st.st_mode)) return "is not a folder";
  if (::access(p.c_str(), R_OK | X_OK) != 0) return std::string("cannot be entered: ") + std::strerror(errno);
  return "";
}

bool RenamePath(std::string_view fromGamePath, std::string_view toGamePath, std::string* why) {
  std::string from = ResolvePath(fromGamePath);
  std::string to = ResolvePath(toGamePath);
  while (from.size() > 1 && from.back() == '/') from.pop_back();
  while (to.size() > 1 && to.back() == '/') to.pop_back();
  auto fail = [why](std::string reason) {
    if (why) *why = std::move(reason);
    return false;
  };
  struct stat st{};
  if (::lstat(from.c_str(), &st) != 0)
    return fail(errno == ENOENT ? std::string("missing") : std::string(std::strerror(errno)));
  // rename() would silently replace an empty folder or a file of the new name.
  if (::lstat(to.c_str(), &st) == 0)
    return fail(S_ISDIR(st.st_mode) ? "the new name is taken by a folder"
                                    : "the new name is taken by a file");
  if (::rename(from.c_str(), to.c_str()) != 0) return fail(std::strerror(errno));
  return true;
}

std::vector<std::string> ListFiles(std::string_view gameDir, std::string_view suffix,
                                   std::string* problem, ListKinds kinds) {
  std::vector<std::string> names;
  std::string dir = ResolvePath(gameDir);
  std::unique_ptr<DIR, int (*)(DIR*)> d(opendir(dir.empty() ? "." : dir.c_str()), closedir);
  if (!d) {
    if (problem && errno != ENOENT) *problem = std::string("cannot be read: ") + std::strerror(errno);
    return names;
  }
  while (dirent* e = readdir(d.get())) {
    std::string name = e->d_name;
    if (name.size() < suffix.size() ||
        !IEquals(std::string_view(name).substr(name.size() - suffix.size()), suffix))
      continue;
    if (name == "." || name == "..") continue;
    struct stat st{};
    std::string full = dir + (dir.empty() || dir.back() == '/' ? "" : "/") + name;
    if (kinds == ListKinds::AnyEntry || (::stat(full.c_str(), &st) == 0 && S_ISREG(st.st_mode)))
      names.push_back(name);
  }
  std::sort(names.begin(), names.end(), ILess);
  return names;
}

namespace {

std::string SystemReason(int e) { return std::string("cannot be read: ") + std::strerror(e); }

// What stands at a path instead of a readable plain file; "" for a plain file.
std::string NotPlainFile(const struct stat& st) {
  if (S_ISDIR(st.st_mode)) return "is a folder";
  if (!S_ISREG(st.st_mode)) return "is not a plain file";
  return "";
}

std::optional<std::vector<uint8_t>> ReadHostFile(const std::string& p, size_t maxBytes,
                                                 std::string& problem) {
  struct stat st{};
  if (::stat(p.c_str(), &st) != 0) {
    problem = errno == ENOENT || errno == ENOTDIR ? "missing" : SystemReason(errno);
    return std::nullopt;
  }
  if (problem = NotPlainFile(st); !problem.empty()) return std::nullopt;
  // Not blocking, and checked again once open: a pipe put in its place
  // between the two looks must not hold the program.
  const int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    problem = SystemReason(errno);
    return std::nullopt;
  }
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  if (::fstat(fd, &st) != 0 || !(problem = NotPlainFile(st)).empty()) {
    if (problem.empty()) problem = SystemReason(errno);
    return std::nullopt;
  }
  std::vector<uint8_t> data;
  try {
    data.reserve(std::min<size_t>(maxBytes, size_t(std::max<off_t>(st.st_size, 0))));
    while (data.size() < maxBytes) {
      const size_t want = std::min<size_t>(65536, maxBytes - data.size());
      const size_t at = data.size();
      data.resize(at + want);
      const ssize_t got = ::read(fd, data.data() + at, want);
      if (got < 0 && errno == EINTR) {
        data.resize(at);
        continue;
      }
      if (got < 0) {
        problem = SystemReason(errno);
        return std::nullopt;
      }
      data.resize(at + size_t(got));
      if (got == 0) break;
    }
  } catch (const std::bad_alloc&) {
    problem = "too large to read (" + std::to_string(st.st_size) + " bytes; out of memory)";
    return std::nullopt;
  }
  return data;
}

}  // namespace

std::optional<std::vector<uint8_t>> ReadFile(std::string_view gamePath, size_t maxBytes,
                                             std::string* problem) {
  std::string why;
  auto data = ReadHostFile(ResolvePath(gamePath), maxBytes, why);
  if (!data && problem) *problem = why;
  return data;
}

std::string ReadProblem(std::string_view gamePath) {
  std::string why;
  ReadFile(gamePath, 1, &why);
  return why;
}

namespace {

WriteStepHook& StepHook() {
  static WriteStepHook hook;
  return hook;
}

const char* StepName(WriteStep step) {
  switch (step) {
    case WriteStep::Create: return "create";
    case WriteStep::Write: return "write";
    case WriteStep::Flush: return "flush";
    case WriteStep::Sync: return "sync";
    case WriteStep::Close: return "close";
    case WriteStep::Rename: return "rename";
    case WriteStep::SyncFolder: return "sync folder";
  }
  return "?";
}

// One step of an atomic write: the hook may refuse it, else its work decides.
// A failure records the step and the system's reason.
class StepRunner {
 public:
  StepRunner(std::string* error, WriteStep* failed) : error_(error), failed_(failed) {}
  template <typename F>
  bool Run(WriteStep step, F&& work) {
    if (StepHook() && !StepHook()(step)) return Fail(step, EIO);
    errno = 0;
    if (work()) return true;
    return Fail(step, errno ? errno : EIO);
  }
  // Fails a step for a reason of our own rather than the system's.
  bool Refuse(WriteStep step, const std::string& reason) {
    if (error_) *error_ = std::string(StepName(step)) + ": " + reason;
    if (failed_) *failed_ = step;
    return false;
  }

 private:
  bool Fail(WriteStep step, int e) { return Refuse(step, std::strerror(e)); }
  std::string* error_;
  WriteStep* failed_;
};

// The folder part of a host path with its trailing '/' ("" for a bare name),
// and the name after it.
std::pair<std::string, std::string> SplitFolder(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {"", path};
  return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

// The file a save of gamePath writes: the path itself, or the end of the
// chain of symbolic links it starts, so that replacing the file keeps every
// link. "" when no file can be made there, with the reason in why: the links
// loop, or the last one leads into a folder that is not there (a drive that
// is not mounted, say), where writing its own name instead would replace the
// link with a plain file.
std::string WriteTarget(std::string_view gamePath, std::string& why) {
  std::string p = ResolvePath(gamePath);
  constexpr int kMaxLinks = 40;  // as many as the system follows
  for (int links = 0; links <= kMaxLinks; ++links) {
    struct stat st{};
    const bool there = ::lstat(p.c_str(), &st) == 0;
    const int lookErr = errno;
    if (!there || !S_ISLNK(st.st_mode)) {
      if (links == 0) return p;
      char real[PATH_MAX];
      if (there) return ::realpath(p.c_str(), real) ? std::string(real) : p;
      if (lookErr != ENOENT) {
        why = "the name is a symbolic link to " + p + ", which cannot be reached: " +
              std::strerror(lookErr);
        return "";
      }
      const std::string dir = SplitFolder(p).first;
      struct stat folder{};
      if (::stat(dir.empty() ? "." : dir.c_str(), &folder) == 0 && S_ISDIR(folder.st_mode)) return p;
      why = "the name is a symbolic link to " + p + ", whose folder is not there";
      return "";
    }
    char to[PATH_MAX];
    const ssize_t n = ::readlink(p.c_str(), to, sizeof to - 1);
    if (n < 0) {
      why = std::string("the name is a symbolic link that cannot be read: ") + std::strerror(errno);
      return "";
    }
    const std::string next(to, size_t(n));
    p = next.starts_with('/') ? next : SplitFolder(p).first + next;
  }
  why = "the name is a symbolic link that loops";
  return "";
}

// A new, empty file beside target that no other writer holds, open for
// writing with the permissions of the file it will replace (and always
// readable and writable by its owner, or a file the program could not read
// would come back unreadable); null on failure, leaving nothing behind.
FILE* CreateTemp(const std::string& target, std::string& temp) {
  const auto [dir, name] = SplitFolder(target);
  static std::atomic<unsigned> counter{0};
  int fd = -1;
  for (int tries = 0; tries < 100 && fd < 0; ++tries) {
    temp = dir + "." + name + "." + std::to_string(::getpid()) + "." +
           std::to_string(counter++) + ".tmp";
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return nullptr;
  }
  if (fd < 0) return nullptr;
  struct stat old{};
  if (::stat(target.c_str(), &old) == 0) ::fchmod(fd, (old.st_mode & 07777) | S_IRUSR | S_IWUSR);
  FILE* f = ::fdopen(fd, "wb");
  if (!f) {
    const int e = errno;
    ::close(fd);
    ::unlink(temp.c_str());
    errno = e;
  }
  return f;
}

// True for a name made only of 1 to 9 decimal digits.
bool SmallNumber(std::string_view s) {
  return !s.empty() && s.size() <= 9 &&
         std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Removes the temporary files CreateTemp made for target in processes that no
// longer run: a save killed between its write and its rename leaves one, and
// nothing else would ever remove it. A file of a process that may still be
// saving (this one, or one that still exists) is left alone.
void RemoveStaleTemps(const std::string& target) {
  const auto [dir, name] = SplitFolder(target);
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return;
  const std::string head = "." + name + ".";
  while (const dirent* e = ::readdir(d)) {
    const std::string_view n = e->d_name;
    if (n.size() <= head.size() + 4 || n.substr(0, head.size()) != head ||
        n.substr(n.size() - 4) != ".tmp")
      continue;
    const std::string_view mid = n.substr(head.size(), n.size() - head.size() - 4);
    const size_t dot = mid.find('.');
    if (dot == std::string_view::npos || !SmallNumber(mid.substr(0, dot)) ||
        !SmallNumber(mid.substr(dot + 1)))
      continue;
    const pid_t pid = pid_t(std::stol(std::string(mid.substr(0, dot))));
    if (pid == ::getpid() || ::kill(pid, 0) == 0 || errno != ESRCH) continue;
    ::unlink((dir + std::string(n)).c_str());
  }
  ::closedir(d);
}

bool SyncFolderOf(const std::string& target) {
  const std::string dir = SplitFolder(target).first;
  int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0;
  ::close(fd);
  return ok;
}

}  // namespace

void SetWriteStepHook(WriteStepHook hook) { StepHook() = std::move(hook); }

bool WriteFile(std::string_view gamePath, const void* data, size_t size, std::string* error,
               WriteStep* failed) {
  // Past a file-size limit a write then fails with EFBIG instead of ending the process.
  static std::once_flag ignoreSizeSignal;
  std::call_once(ignoreSizeSignal, [] { ::signal(SIGXFSZ, SIG_IGN); });
  StepRunner step(error, failed);
  std::string unwritable;
  const std::string target = WriteTarget(gamePath, unwritable);
  if (target.empty()) return step.Refuse(WriteStep::Create, unwritable);
  struct stat old{};
  if (::stat(target.c_str(), &old) == 0 && !NotPlainFile(old).empty())
    return step.Refuse(WriteStep::Create, "the name " + NotPlainFile(old));
  RemoveStaleTemps(target);
  std::string temp;
  FILE* f = nullptr;
  if (!step.Run(WriteStep::Create, [&] { return (f = CreateTemp(target, temp)) != nullptr; }))
    return false;
  auto put = [&] { return size == 0 || std::fwrite(data, 1, size, f) == size; };
  bool ok = step.Run(WriteStep::Write, put) &&
            step.Run(WriteStep::Flush, [&] { return std::fflush(f) == 0; }) &&
            step.Run(WriteStep::Sync, [&] { return ::fsync(fileno(f)) == 0; });
  // The stream is closed whatever happened before; its result counts only
  // after a good write.
  errno = 0;
  const bool closed = std::fclose(f) == 0;
  const int closeErr = errno;
  ok = ok && step.Run(WriteStep::Close, [&] {
         errno = closeErr;
         return closed;
       });
  ok = ok &&
       step.Run(WriteStep::Rename, [&] { return ::rename(temp.c_str(), target.c_str()) == 0; });
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  return step.Run(WriteStep::SyncFolder, [&] { return SyncFolderOf(target); });
}

void KeepRunningWhenOutputCloses() { ::signal(SIGPIPE, SIG_IGN); }

void ReportFileProblem(std::string_view gamePath, std::string_view what) {
  std::string host = ResolvePath(gamePath);
  // A path the game took against its own folder is shown whole.
  char cwd[PATH_MAX];
  if (!host.empty() && host[0] != '/' && ::getcwd(cwd, sizeof cwd)) host = std::string(cwd) + "/" + host;
  const std::string line = ProgramFileName() + ": " + host + ": " + std::string(what);
  std::fputs((ShowControls(line) + "\n").c_str(), stderr);
}

std::string ShowControls(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  auto hex = [&out](unsigned char c) {
    const char digits[] = "0123456789abcdef";
    out += "\\x";
    out += digits[c >> 4];
    out += digits[c & 15];
  };
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    // The C1 controls U+0080..U+009F are two bytes in UTF-8, 0xC2 then 0x80..0x9F.
    const bool c1 = c == 0xC2 && i + 1 < text.size() &&
                    (static_cast<unsigned char>(text[i + 1]) & 0xE0) == 0x80;
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20 || c == 0x7F) {
      hex(c);
    } else if (c1) {
      hex(c);
      hex(static_cast<unsigned char>(text[++i]));
    } else {
      out += char(c);
    }
  }
  return out;
}

}  // namespace plat
