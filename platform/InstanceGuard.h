// The single-instance registry: a stand-in for the session-wide atom table and
// for finding a running copy's application window.
//
// The real one keeps one abstract Unix socket per user and program file name:
// binding the name is adding the atom (a bind refused because the name is in
// use means the atom exists), a copy listening on it is "a window exists", and
// a connection that sends "RESTORE" asks that copy to restore and raise its
// window. The kernel drops the name when the process ends, so a crashed copy
// leaves nothing behind.
#pragma once
#include <string>

namespace plat {

class InstanceRegistry {
 public:
  virtual ~InstanceRegistry() = default;
  // True when another copy holds the name. When no copy does, the name may
  // already be taken for this copy, and AddAtom then just confirms it.
  virtual bool FindAtom(const std::string& name) = 0;
  // Takes the name for this copy; false when that fails.
  virtual bool AddAtom(const std::string& name) = 0;
  // Gives the name back, if this copy holds it.
  virtual void DeleteAtom() = 0;
  // Looks for the application window of the copy holding the name last looked
  // up; when there is one, asks it to restore and raise itself. True if found.
  virtual bool RestoreRunningWindow() = 0;
  // This copy's application window exists: restore requests are taken from now.
  virtual void OpenWindowChannel() = 0;
  // True when at least one restore request arrived since the last call.
  virtual bool TakeRestoreRequest() = 0;
};

class SocketInstanceRegistry final : public InstanceRegistry {
 public:
  SocketInstanceRegistry() = default;
  ~SocketInstanceRegistry() override;
  SocketInstanceRegistry(const SocketInstanceRegistry&) = delete;
  SocketInstanceRegistry& operator=(const SocketInstanceRegistry&) = delete;

  bool FindAtom(const std::string& name) override;
  bool AddAtom(const std::string& name) override;
  void DeleteAtom() override;
  bool RestoreRunningWindow() override;
  void OpenWindowChannel() override;
  bool TakeRestoreRequest() override;

  // The socket name used for a program file name (without the leading NUL).
  static std::string KeyFor(const std::string& name);

 private:
  enum class Bind { kOwned, kInUse, kFailed };
  Bind TryBind(const std::string& name);

  int fd_ = -1;         // bound socket while this copy holds the name
  bool listening_ = false;
  std::string name_;    // the name last looked up
};

namespace detail {
// Closes this process's handle on the key a SocketInstanceRegistry holds, if
// any. Only for a forked child, where the parent keeps its own handle; safe
// to call between fork and exec (it only closes a descriptor).
void CloseInstanceKeyCopy();
}  // namespace detail

}  // namespace plat
