#include "platform/SharedLibrary.h"

#include <dlfcn.h>
#include <elf.h>
#include <fcntl.h>
#include <limits.h>
#include <link.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/Files.h"

namespace plat {

namespace {

using Ehdr = ElfW(Ehdr);
using Phdr = ElfW(Phdr);

bool ReadAt(int fd, uint64_t at, void* out, size_t n) {
  auto* p = static_cast<uint8_t*>(out);
  while (n > 0) {
    const ssize_t got = ::pread(fd, p, n, off_t(at));
    if (got <= 0) return false;
    p += got;
    at += uint64_t(got);
    n -= size_t(got);
  }
  return true;
}

// The running program's ELF header: a library must share its class, byte
// order and machine.
bool OwnHeader(Ehdr& h) {
  const int fd = ::open("/proc/self/exe", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ReadAt(fd, 0, &h, sizeof h);
  ::close(fd);
  return ok;
}

const char* CheckElf(int fd, uint64_t size) {
  Ehdr h{};
  if (size < sizeof h || !ReadAt(fd, 0, &h, sizeof h)) return "too short for an ELF header";
  if (std::memcmp(h.e_ident, ELFMAG, SELFMAG) != 0) return "not an ELF file";
  Ehdr own{};
  if (OwnHeader(own) && (h.e_ident[EI_CLASS] != own.e_ident[EI_CLASS] ||
                         h.e_ident[EI_DATA] != own.e_ident[EI_DATA] ||
                         h.e_machine != own.e_machine))
    return "built for another machine";
  if (h.e_type != ET_DYN) return "not a shared object";
  if (h.e_phentsize != sizeof(Phdr) || h.e_phnum == 0 || h.e_phnum == PN_XNUM)
    return "damaged program header table";
  const uint64_t tableSize = uint64_t(h.e_phnum) * sizeof(Phdr);
  if (h.e_phoff > size || tableSize > size - h.e_phoff)
    return "program headers lie past the end of the file";
  std::vector<Phdr> ph(h.e_phnum);
  if (!ReadAt(fd, h.e_phoff, ph.data(), tableSize)) return "program headers cannot be read";
  for (const Phdr& p : ph) {
    if (p.p_type != PT_LOAD && p.p_type != PT_DYNAMIC) continue;
    if (p.p_offset > size || p.p_filesz > size - p.p_offset)
      return "a loadable segment lies past the end of the file";
    if (p.p_type == PT_LOAD && p.p_filesz > p.p_memsz) return "damaged loadable segment";
  }
  return nullptr;
}

}  // namespace

bool CheckLoadableFile(const std::string& hostPath, std::string* why) {
  const int fd = ::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (why) *why = std::string("cannot be opened (") + std::strerror(errno) + ")";
    return false;
  }
  struct stat st{};
  const char* problem = ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)
                            ? "not a regular file"
                            : CheckElf(fd, uint64_t(st.st_size));
  ::close(fd);
  if (problem && why) *why = problem;
  return problem == nullptr;
}

bool SharedLibrary::Load(const std::string& hostPath) {
  Unload();
  error_.clear();
  if (!CheckLoadableFile(hostPath, &error_)) return false;
  handle_ = dlopen(hostPath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle_) {
    const char* e = dlerror();
    error_ = e ? e : "cannot load";
    return false;
  }
  path_ = hostPath;
  return true;
}

void SharedLibrary::Unload() {
  if (handle_) dlclose(handle_);
  handle_ = nullptr;
  path_.clear();
}

void* SharedLibrary::Symbol(const char* name) const {
  if (!handle_) return nullptr;
  return dlsym(handle_, name);
}

std::string SharedLibrary::ModuleFileName() const {
  if (!handle_) return "";
  char buf[PATH_MAX];
  if (!realpath(path_.c_str(), buf)) return "";
  return buf;
}

std::string AbsoluteHostPath(const std::string& gamePath) {
  std::error_code ec;
  auto p = std::filesystem::absolute(ResolvePath(gamePath), ec);
  if (ec) return ResolvePath(gamePath);
  return p.lexically_normal().string();
}

}  // namespace plat
