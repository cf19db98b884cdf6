// Loading a shared object by path and looking up its exported functions.
#pragma once
#include <string>

namespace plat {

class SharedLibrary {
 public:
  SharedLibrary() = default;
  ~SharedLibrary() { Unload(); }
  SharedLibrary(const SharedLibrary&) = delete;
  SharedLibrary& operator=(const SharedLibrary&) = delete;

  // Loads the library at a host path; false (with Error() set) when it cannot.
  // The file is checked first (see CheckLoadableFile): the system loader maps
  // a cut file's segments past its end and the program dies on the first
  // access, so a damaged library must never reach it.
  bool Load(const std::string& hostPath);
  void Unload();
  bool Loaded() const { return handle_ != nullptr; }
  // The exported symbol's address, or null when the library lacks it.
  void* Symbol(const char* name) const;
  // The full file name of the loaded module ("" when it cannot be read).
  std::string ModuleFileName() const;
  const std::string& Error() const { return error_; }

 private:
  void* handle_ = nullptr;
  std::string path_;
  std::string error_;
};

// Whether a file is a shared object this program can load: an ELF file of
// this machine's class, byte order and architecture, whose program headers
// lie inside the file and whose loadable and dynamic segments' file parts do
// too. False, with the reason in *why, otherwise.
bool CheckLoadableFile(const std::string& hostPath, std::string* why);

// An absolute host path for a game path ("data\wuvorbis.so"), taken against the
// current directory.
std::string AbsoluteHostPath(const std::string& gamePath);

}  // namespace plat
