#include "platform/InstanceGuard.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace plat {

namespace {
// Fills an abstract-namespace address (first byte NUL); returns its length.
socklen_t MakeAddress(const std::string& key, sockaddr_un& addr) {
  std::memset(&addr, 0, sizeof addr);
  addr.sun_family = AF_UNIX;
  size_t n = std::min(key.size(), sizeof addr.sun_path - 1);
  std::memcpy(addr.sun_path + 1, key.data(), n);
  return socklen_t(offsetof(sockaddr_un, sun_path) + 1 + n);
}
// The descriptor holding the key, for a forked child to drop its copy.
std::atomic<int> g_heldKey{-1};
}  // namespace

namespace detail {
void CloseInstanceKeyCopy() {
  int fd = g_heldKey.load();
  if (fd >= 0) ::close(fd);
}
}  // namespace detail

SocketInstanceRegistry::~SocketInstanceRegistry() { DeleteAtom(); }

std::string SocketInstanceRegistry::KeyFor(const std::string& name) {
  return "qorv-instance-" + std::to_string(::getuid()) + "-" + name;
}

SocketInstanceRegistry::Bind SocketInstanceRegistry::TryBind(const std::string& name) {
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return Bind::kFailed;
  sockaddr_un addr;
  socklen_t len = MakeAddress(KeyFor(name), addr);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), len) == 0) {
    fd_ = fd;
    g_heldKey = fd;
    return Bind::kOwned;
  }
  int err = errno;
  ::close(fd);
  return err == EADDRINUSE ? Bind::kInUse : Bind::kFailed;
}

bool SocketInstanceRegistry::FindAtom(const std::string& name) {
  name_ = name;
  if (fd_ >= 0) return false;  // this copy already holds it
  return TryBind(name) == Bind::kInUse;
}

bool SocketInstanceRegistry::AddAtom(const std::string& name) {
  name_ = name;
  if (fd_ >= 0) return true;
  return TryBind(name) == Bind::kOwned;
}

void SocketInstanceRegistry::DeleteAtom() {
  int held = fd_;
  g_heldKey.compare_exchange_strong(held, -1);
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  listening_ = false;
}

bool SocketInstanceRegistry::RestoreRunningWindow() {
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_un addr;
  socklen_t len = MakeAddress(KeyFor(name_), addr);
  bool found = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), len) == 0;
  if (found) {
    static const char kMsg[] = "RESTORE\n";
    ssize_t w = ::send(fd, kMsg, sizeof kMsg - 1, MSG_NOSIGNAL);
    (void)w;  // the running copy is found either way
  }
  ::close(fd);
  return found;
}

void SocketInstanceRegistry::OpenWindowChannel() {
  if (fd_ >= 0 && !listening_) listening_ = ::listen(fd_, 8) == 0;
}

bool SocketInstanceRegistry::TakeRestoreRequest() {
  if (!listening_) return false;
  bool restore = false;
  for (;;) {
    int c = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (c < 0) break;
    // The sender writes its request before closing; give it a moment to land.
    char buf[16] = {};
    ssize_t got = 0;
    for (int tries = 0; tries < 50 && got <= 0; ++tries) {
      got = ::recv(c, buf, sizeof buf - 1, 0);
      if (got < 0 && errno == EAGAIN) ::usleep(1000);
      else if (got <= 0) break;
    }
    if (got >= 7 && std::memcmp(buf, "RESTORE", 7) == 0) restore = true;
    ::close(c);
  }
  return restore;
}

}  // namespace plat
