#include "sound/OggWuvorbisLib.h"

#include <cstdio>
#include <cstring>

#include "files/Streams.h"
#include "files/uSha256.h"
#include "platform/Files.h"

std::shared_ptr<TVorbisFileDLL> VorbisfileDll;

namespace {
// "wuvorbis.soが存在しません。\r\n(%s)"
const char* const kNoLibrary =
    "wuvorbis.so\x82\xAA\x91\xB6\x8D\xDD\x82\xB5\x82\xDC\x82\xB9\x82\xF1\x81" "B\r\n(%s)";

// The size and SHA-256 the build recorded beside the library, in the file
// "<library>.sha256" as "<size> <hex digest>". A library without a record is
// taken on the loader's own file check alone. False, with the reason in *why,
// when the record is damaged or unreadable, or the library cannot be read or
// no longer matches it.
bool MatchesBuildRecord(const std::string& libPath, std::string* why) {
  std::string unread;
  auto record = plat::ReadFile(libPath + ".sha256", 256, &unread);
  if (!record && unread == "missing") return true;
  if (!record) {
    *why = "its digest record " + libPath + ".sha256 " + unread;
    return false;
  }
  const std::string text(record->begin(), record->end());
  unsigned long long size = 0;
  char hex[65] = {};
  if (std::sscanf(text.c_str(), "%llu %64[0-9a-f]", &size, hex) != 2 || std::strlen(hex) != 64) {
    *why = "its digest record " + libPath + ".sha256 is damaged";
    return false;
  }
  auto bytes = plat::ReadFile(libPath, size_t(size) + 1, &unread);
  if (!bytes) {
    *why = unread;
    return false;
  }
  if (bytes->size() != size) {
    *why = "its size differs from the build's record";
    return false;
  }
  if (Sha256Hex(GetSHA256Table(*bytes)) != hex) {
    *why = "its digest differs from the build's record";
    return false;
  }
  return true;
}

template <typename F>
bool Bind(const plat::SharedLibrary& lib, F& slot, const char* name) {
  slot = reinterpret_cast<F>(lib.Symbol(name));
  return slot != nullptr;
}
}  // namespace

TVorbisFileDLL::~TVorbisFileDLL() { FDLLH.Unload(); }

bool TVorbisFileDLL::LoadFromDLL(const std::string& filename) {
  const std::string path = plat::AbsoluteHostPath(filename);
  std::string refused;
  if (!MatchesBuildRecord(path, &refused) || !FDLLH.Load(path)) {
    plat::ReportFileProblem(path, "decoder library not loaded: " +
                                      (refused.empty() ? FDLLH.Error() : refused));
    std::string text(path.size() + 64, '\0');
    int n = std::snprintf(text.data(), text.size(), kNoLibrary, path.c_str());
    text.resize(n > 0 ? size_t(n) : 0);
    throw ERangeError(text);
  }
  FDLLName = FDLLH.ModuleFileName();
  if (FDLLName.empty()) FDLLName = "vorbisfile.dll";
  complete_ = false;
#define WU_BIND(name) \
  if (!Bind(FDLLH, F##name, #name)) return false;
  WU_BIND(wu_SetCPUType)
  WU_BIND(wu_DetectCPU)
  WU_BIND(wu_ScaleOutput)
  WU_BIND(wu_ov_info)
  WU_BIND(wu_ov_clear)
  WU_BIND(wu_ov_open_callbacks)
  WU_BIND(wu_ov_test_callbacks)
  WU_BIND(wu_ov_test_open)
  WU_BIND(wu_ov_bitrate)
  WU_BIND(wu_ov_bitrate_instant)
  WU_BIND(wu_ov_streams)
  WU_BIND(wu_ov_serialnumber)
  WU_BIND(wu_ov_seekable)
  WU_BIND(wu_ov_raw_total)
  WU_BIND(wu_ov_time_total)
  WU_BIND(wu_ov_pcm_total)
  WU_BIND(wu_ov_raw_seek)
  WU_BIND(wu_ov_pcm_seek)
  WU_BIND(wu_ov_pcm_seek_page)
  WU_BIND(wu_ov_time_seek)
  WU_BIND(wu_ov_time_seek_page)
  WU_BIND(wu_ov_raw_seek_lap)
  WU_BIND(wu_ov_pcm_seek_lap)
  WU_BIND(wu_ov_pcm_seek_page_lap)
  WU_BIND(wu_ov_time_seek_lap)
  WU_BIND(wu_ov_time_seek_page_lap)
  WU_BIND(wu_ov_raw_tell)
  WU_BIND(wu_ov_pcm_tell)
  WU_BIND(wu_ov_time_tell)
  WU_BIND(wu_ov_comment)
  WU_BIND(wu_ov_read_float)
  WU_BIND(wu_ov_read)
  WU_BIND(wu_ov_crosslap)
#undef WU_BIND
  Fcallbacks = wu_ov_callbacks{wustream::read_func, wustream::seek_func, wustream::close_func,
                               wustream::tell_func};
  complete_ = true;
  if (FExCPUCode) wu_SetCPUType(wu_DetectCPU());
  return true;
}

int TVorbisFileDLL::wu_ov_clear(wu_OggVorbis_File* vf) {
  return Fwu_ov_clear ? Fwu_ov_clear(vf) : int(WU_OV_EFAULT);
}
wu_vorbis_comment* TVorbisFileDLL::wu_ov_comment(wu_OggVorbis_File* vf, int link) {
  return Fwu_ov_comment ? Fwu_ov_comment(vf, link) : nullptr;
}
wu_vorbis_info* TVorbisFileDLL::wu_ov_info(wu_OggVorbis_File* vf, int link) {
  return Fwu_ov_info ? Fwu_ov_info(vf, link) : nullptr;
}
int64_t TVorbisFileDLL::wu_ov_pcm_total(wu_OggVorbis_File* vf, int i) {
  return Fwu_ov_pcm_total ? Fwu_ov_pcm_total(vf, i) : int64_t(WU_OV_EFAULT);
}
double TVorbisFileDLL::wu_ov_time_total(wu_OggVorbis_File* vf, int i) {
  return Fwu_ov_time_total ? Fwu_ov_time_total(vf, i) : double(WU_OV_EFAULT);
}
long TVorbisFileDLL::wu_ov_seekable(wu_OggVorbis_File* vf) {
  return Fwu_ov_seekable ? Fwu_ov_seekable(vf) : 0;
}
int TVorbisFileDLL::wu_ov_time_seek(wu_OggVorbis_File* vf, double s) {
  return Fwu_ov_time_seek ? Fwu_ov_time_seek(vf, s) : int(WU_OV_EFAULT);
}
double TVorbisFileDLL::wu_ov_time_tell(wu_OggVorbis_File* vf) {
  return Fwu_ov_time_tell ? Fwu_ov_time_tell(vf) : 0.0;
}
long TVorbisFileDLL::wu_ov_read(wu_OggVorbis_File* vf, char* buffer, int length, int bigendianp,
                                int word, int sgned, int& bitstream) {
  return Fwu_ov_read ? Fwu_ov_read(vf, buffer, length, bigendianp, word, sgned, &bitstream)
                     : long(WU_OV_EFAULT);
}
int TVorbisFileDLL::wu_DetectCPU() { return Fwu_DetectCPU ? Fwu_DetectCPU() : 0; }
void TVorbisFileDLL::wu_SetCPUType(int t) {
  if (Fwu_SetCPUType) Fwu_SetCPUType(t);
}
int TVorbisFileDLL::wu_ov_open_callbacks(TMemoryStream* datasource, wu_OggVorbis_File* vf,
                                         const char* initial, long ibytes) {
  if (!Fwu_ov_open_callbacks) return WU_OV_EFAULT;
  return Fwu_ov_open_callbacks(datasource, vf, initial, ibytes, Fcallbacks);
}

bool VorbisfileInitialize(const std::string& filename) {
  VorbisfileFinalize();
  VorbisfileDll = std::make_shared<TVorbisFileDLL>(true);
  return VorbisfileDll->LoadFromDLL(filename);
}

void VorbisfileFinalize() { VorbisfileDll.reset(); }

namespace wustream {

size_t read_func(void* ptr, size_t size, size_t nmemb, void* datasource) {
  if (size == 0 || nmemb == 0 || !datasource) return 0;
  if (nmemb > SIZE_MAX / size) return 0;
  return static_cast<TMemoryStream*>(datasource)->Read(ptr, size * nmemb);
}

int seek_func(void* datasource, int64_t offset, int whence) {
  if (!datasource) return -1;
  auto* s = static_cast<TMemoryStream*>(datasource);
  const int32_t off = int32_t(uint32_t(uint64_t(offset)));  // the low 32 bits
  TSeekOrigin o = whence == 1 ? TSeekOrigin::soCurrent
                  : whence == 2 ? TSeekOrigin::soEnd
                                : TSeekOrigin::soBeginning;
  int64_t pos = s->Seek(off, o);
  return pos > INT32_MAX ? INT32_MAX : int(pos);
}

int close_func(void* datasource) {
  delete static_cast<TMemoryStream*>(datasource);
  return 0;
}

long tell_func(void* datasource) {
  if (!datasource) return -1;
  return long(static_cast<TMemoryStream*>(datasource)->Position());
}

}  // namespace wustream
