#include "platform/SharedLibrary.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>

#include <filesystem>

#include "platform/Files.h"

namespace plat {

bool SharedLibrary::Load(const std::string& hostPath) {
  Unload();
  error_.clear();
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
