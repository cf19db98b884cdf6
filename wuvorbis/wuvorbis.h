// The interface of the decoder library wuvorbis: the Ogg Vorbis file decoder
// with the prefix wu_. The game loads the library at run time and looks every
// function up by name, so this header only describes the records and the
// function types; nothing here is linked.
//
// The decoder state wu_OggVorbis_File is storage the caller provides and the
// library owns while the stream is open. Information and comment records keep
// 32-bit fields on every platform.
#pragma once
#include <cstddef>
#include <cstdint>

extern "C" {

struct wu_OggVorbis_File {
  alignas(8) uint8_t opaque[960];
};

struct wu_vorbis_info {
  int32_t version;
  int32_t channels;
  int32_t rate;
  int32_t bitrate_upper;
  int32_t bitrate_nominal;
  int32_t bitrate_lower;
  int32_t bitrate_window;
  void* codec_setup;
};

struct wu_vorbis_comment {
  char** user_comments;      // null-terminated list of UTF-8 texts
  int32_t* comment_lengths;
  int32_t comments;
  char* vendor;
};

// The stream the library reads: the caller's data source behind four calls.
// seek_func takes whence 0 (start), 1 (current) or 2 (end); close_func is called
// once, when an open stream is cleared.
struct wu_ov_callbacks {
  size_t (*read_func)(void* ptr, size_t size, size_t nmemb, void* datasource);
  int (*seek_func)(void* datasource, int64_t offset, int whence);
  int (*close_func)(void* datasource);
  long (*tell_func)(void* datasource);
};

enum : int {
  WU_OV_FALSE = -1,
  WU_OV_EOF = -2,
  WU_OV_HOLE = -3,
  WU_OV_EREAD = -128,
  WU_OV_EFAULT = -129,
  WU_OV_EIMPL = -130,
  WU_OV_EINVAL = -131,
  WU_OV_ENOTVORBIS = -132,
  WU_OV_EBADHEADER = -133,
  WU_OV_EVERSION = -134,
  WU_OV_ENOTAUDIO = -135,
  WU_OV_EBADPACKET = -136,
  WU_OV_EBADLINK = -137,
  WU_OV_ENOSEEK = -138,
};

using wu_OVF = wu_OggVorbis_File;

// Function types of the exports, in the order the game binds them.
using Twu_SetCPUType = void (*)(int cpu);
using Twu_DetectCPU = int (*)();
using Twu_ScaleOutput = void (*)(double scale);
using Twu_ov_info = wu_vorbis_info* (*)(wu_OVF* vf, int link);
using Twu_ov_clear = int (*)(wu_OVF* vf);
using Twu_ov_open_callbacks = int (*)(void* datasource, wu_OVF* vf, const char* initial,
                                      long ibytes, wu_ov_callbacks callbacks);
using Twu_ov_test_callbacks = int (*)(void* datasource, wu_OVF* vf, const char* initial,
                                      long ibytes, wu_ov_callbacks callbacks);
using Twu_ov_test_open = int (*)(wu_OVF* vf);
using Twu_ov_bitrate = long (*)(wu_OVF* vf, int link);
using Twu_ov_bitrate_instant = long (*)(wu_OVF* vf);
using Twu_ov_streams = long (*)(wu_OVF* vf);
using Twu_ov_serialnumber = long (*)(wu_OVF* vf, int link);
using Twu_ov_seekable = long (*)(wu_OVF* vf);
using Twu_ov_raw_total = int64_t (*)(wu_OVF* vf, int link);
using Twu_ov_time_total = double (*)(wu_OVF* vf, int link);
using Twu_ov_pcm_total = int64_t (*)(wu_OVF* vf, int link);
using Twu_ov_raw_seek = int (*)(wu_OVF* vf, int64_t pos);
using Twu_ov_pcm_seek = int (*)(wu_OVF* vf, int64_t pos);
using Twu_ov_pcm_seek_page = int (*)(wu_OVF* vf, int64_t pos);
using Twu_ov_time_seek = int (*)(wu_OVF* vf, double s);
using Twu_ov_time_seek_page = int (*)(wu_OVF* vf, double s);
using Twu_ov_raw_seek_lap = int (*)(wu_OVF* vf, int64_t pos);
using Twu_ov_pcm_seek_lap = int (*)(wu_OVF* vf, int64_t pos);
using Twu_ov_pcm_seek_page_lap = int (*)(wu_OVF* vf, int64_t pos);
using Twu_ov_time_seek_lap = int (*)(wu_OVF* vf, double s);
using Twu_ov_time_seek_page_lap = int (*)(wu_OVF* vf, double s);
using Twu_ov_raw_tell = int64_t (*)(wu_OVF* vf);
using Twu_ov_pcm_tell = int64_t (*)(wu_OVF* vf);
using Twu_ov_time_tell = double (*)(wu_OVF* vf);
using Twu_ov_comment = wu_vorbis_comment* (*)(wu_OVF* vf, int link);
using Twu_ov_read_float = long (*)(wu_OVF* vf, float*** pcm_channels, int samples,
                                   int* bitstream);
using Twu_ov_read = long (*)(wu_OVF* vf, char* buffer, int length, int bigendianp, int word,
                             int sgned, int* bitstream);
using Twu_ov_crosslap = int (*)(wu_OVF* vf1, wu_OVF* vf2);

}  // extern "C"
