// The binding of the decoder library wuvorbis: it is loaded at start from the
// game's data folder, every function is looked up by its export name, and four
// stream callbacks let it read from a TMemoryStream. One global binding
// (VorbisfileDll) serves every decoder.
#pragma once
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

#include "platform/SharedLibrary.h"
#include "wuvorbis/wuvorbis.h"

class TMemoryStream;

class ERangeError : public std::range_error {
 public:
  using std::range_error::range_error;
};

// The library's file name in the data folder.
inline constexpr const char* kWuvorbisPath = "data\\wuvorbis.so";

class TVorbisFileDLL {
 public:
  explicit TVorbisFileDLL(bool ExCPUCode) : FExCPUCode(ExCPUCode) {}
  ~TVorbisFileDLL();
  TVorbisFileDLL(const TVorbisFileDLL&) = delete;
  TVorbisFileDLL& operator=(const TVorbisFileDLL&) = delete;

  // Loads the library (a game path, taken against the current directory) and
  // binds its functions. A library that is missing, damaged (its ELF file
  // cut or malformed, or differing from the size and digest the build
  // recorded beside it) or otherwise cannot be loaded raises ERangeError
  // "wuvorbis.soが存在しません。\r\n(<full path>)", after a line on stderr
  // naming the file and the reason; a missing function gives false with the
  // functions after it left unbound.
  bool LoadFromDLL(const std::string& filename);
  // Every function is bound.
  bool Complete() const { return complete_; }
  const std::string& DLLName() const { return FDLLName; }

  // Forwarders to the bound functions.
  int wu_ov_clear(wu_OggVorbis_File* vf);
  wu_vorbis_comment* wu_ov_comment(wu_OggVorbis_File* vf, int link);
  wu_vorbis_info* wu_ov_info(wu_OggVorbis_File* vf, int link);
  int64_t wu_ov_pcm_total(wu_OggVorbis_File* vf, int i);
  double wu_ov_time_total(wu_OggVorbis_File* vf, int i);
  long wu_ov_seekable(wu_OggVorbis_File* vf);
  int wu_ov_time_seek(wu_OggVorbis_File* vf, double s);
  double wu_ov_time_tell(wu_OggVorbis_File* vf);
  long wu_ov_read(wu_OggVorbis_File* vf, char* buffer, int length, int bigendianp, int word,
                  int sgned, int& bitstream);
  int wu_DetectCPU();
  void wu_SetCPUType(int t);
  // Opens vf on a memory stream, handing over the stream callbacks.
  int wu_ov_open_callbacks(TMemoryStream* datasource, wu_OggVorbis_File* vf, const char* initial,
                           long ibytes);

 private:
  plat::SharedLibrary FDLLH;
  std::string FDLLName;
  bool FExCPUCode;
  bool complete_ = false;

  Twu_SetCPUType Fwu_SetCPUType = nullptr;
  Twu_DetectCPU Fwu_DetectCPU = nullptr;
  Twu_ScaleOutput Fwu_ScaleOutput = nullptr;
  Twu_ov_info Fwu_ov_info = nullptr;
  Twu_ov_clear Fwu_ov_clear = nullptr;
  Twu_ov_open_callbacks Fwu_ov_open_callbacks = nullptr;
  Twu_ov_test_callbacks Fwu_ov_test_callbacks = nullptr;
  Twu_ov_test_open Fwu_ov_test_open = nullptr;
  Twu_ov_bitrate Fwu_ov_bitrate = nullptr;
  Twu_ov_bitrate_instant Fwu_ov_bitrate_instant = nullptr;
  Twu_ov_streams Fwu_ov_streams = nullptr;
  Twu_ov_serialnumber Fwu_ov_serialnumber = nullptr;
  Twu_ov_seekable Fwu_ov_seekable = nullptr;
  Twu_ov_raw_total Fwu_ov_raw_total = nullptr;
  Twu_ov_time_total Fwu_ov_time_total = nullptr;
  Twu_ov_pcm_total Fwu_ov_pcm_total = nullptr;
  Twu_ov_raw_seek Fwu_ov_raw_seek = nullptr;
  Twu_ov_pcm_seek Fwu_ov_pcm_seek = nullptr;
  Twu_ov_pcm_seek_page Fwu_ov_pcm_seek_page = nullptr;
  Twu_ov_time_seek Fwu_ov_time_seek = nullptr;
  Twu_ov_time_seek_page Fwu_ov_time_seek_page = nullptr;
  Twu_ov_raw_seek_lap Fwu_ov_raw_seek_lap = nullptr;
  Twu_ov_pcm_seek_lap Fwu_ov_pcm_seek_lap = nullptr;
  Twu_ov_pcm_seek_page_lap Fwu_ov_pcm_seek_page_lap = nullptr;
  Twu_ov_time_seek_lap Fwu_ov_time_seek_lap = nullptr;
  Twu_ov_time_seek_page_lap Fwu_ov_time_seek_page_lap = nullptr;
  Twu_ov_raw_tell Fwu_ov_raw_tell = nullptr;
  Twu_ov_pcm_tell Fwu_ov_pcm_tell = nullptr;
  Twu_ov_time_tell Fwu_ov_time_tell = nullptr;
  Twu_ov_comment Fwu_ov_comment = nullptr;
  Twu_ov_read_float Fwu_ov_read_float = nullptr;
  Twu_ov_read Fwu_ov_read = nullptr;
  Twu_ov_crosslap Fwu_ov_crosslap = nullptr;

  wu_ov_callbacks Fcallbacks{};
};

// The global binding; null while none is loaded. A decoder with an open
// stream shares it, so releasing it here unloads the library only once the
// last such stream has been cleared.
extern std::shared_ptr<TVorbisFileDLL> VorbisfileDll;
// Replaces the global binding with a new one (processor tuning on) loaded from
// filename; the result of LoadFromDLL. ERangeError passes out.
bool VorbisfileInitialize(const std::string& filename);
void VorbisfileFinalize();

// The stream callbacks over a TMemoryStream (the data source).
namespace wustream {
size_t read_func(void* ptr, size_t size, size_t nmemb, void* datasource);
int seek_func(void* datasource, int64_t offset, int whence);
int close_func(void* datasource);  // frees the stream
long tell_func(void* datasource);
}  // namespace wustream
