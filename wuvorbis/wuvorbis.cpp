// The decoder library wuvorbis: the Ogg Vorbis file decoder with the prefix
// wu_, built on libvorbisfile.
//
// Each open stream keeps its decoder in a heap record whose address sits at the
// start of the caller's wu_OggVorbis_File storage, so the caller's storage size
// does not depend on the decoder's. The caller's data source is read through
// the caller's callbacks; positions are shown to the decoder relative to where
// the stream stood when it was opened, so data in front of the Ogg stream (a
// loop header) does not disturb seeking.
#include "wuvorbis/wuvorbis.h"

#include <vorbis/vorbisfile.h>

#include <cstring>
#include <new>
#include <vector>

#define WU_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct Stream {
  OggVorbis_File vf{};
  wu_ov_callbacks user{};
  void* source = nullptr;
  int64_t base = 0;
  bool open = false;
  wu_vorbis_info info{};
  wu_vorbis_comment comment{};
  std::vector<int32_t> lengths;
};

double g_scale = 1.0;

Stream* Get(wu_OVF* vf) {
  if (!vf) return nullptr;
  Stream* s = nullptr;
  std::memcpy(&s, vf->opaque, sizeof s);
  return s;
}

void Put(wu_OVF* vf, Stream* s) {
  std::memset(vf->opaque, 0, sizeof vf->opaque);
  std::memcpy(vf->opaque, &s, sizeof s);
}

size_t ReadCb(void* ptr, size_t size, size_t nmemb, void* ds) {
  auto* s = static_cast<Stream*>(ds);
  if (!s->user.read_func) return 0;
  return s->user.read_func(ptr, size, nmemb, s->source);
}

int SeekCb(void* ds, ogg_int64_t offset, int whence) {
  auto* s = static_cast<Stream*>(ds);
  if (!s->user.seek_func) return -1;
  if (whence == SEEK_SET) offset += s->base;
  int r = s->user.seek_func(s->source, offset, whence);
  return r < 0 ? -1 : 0;
}

int CloseCb(void* ds) {
  auto* s = static_cast<Stream*>(ds);
  if (!s->user.close_func) return 0;
  return s->user.close_func(s->source);
}

long TellCb(void* ds) {
  auto* s = static_cast<Stream*>(ds);
  if (!s->user.tell_func) return -1;
  long t = s->user.tell_func(s->source);
  return t < 0 ? t : long(t - s->base);
}

using OpenFn = int (*)(void*, OggVorbis_File*, const char*, long, ov_callbacks);

int Open(OpenFn fn, void* datasource, wu_OVF* vf, const char* initial, long ibytes,
         wu_ov_callbacks cb) {
  if (!vf) return WU_OV_EFAULT;
  auto* s = new (std::nothrow) Stream;
  if (!s) return WU_OV_EFAULT;
  s->user = cb;
  s->source = datasource;
  s->base = cb.tell_func ? cb.tell_func(datasource) : 0;
  if (s->base < 0) s->base = 0;
  ov_callbacks ours{ReadCb, cb.seek_func ? SeekCb : nullptr, CloseCb,
                    cb.tell_func ? TellCb : nullptr};
  int r = fn(s, &s->vf, initial, ibytes, ours);
  if (r < 0) {
    // The decoder has not closed the data source; the caller still owns it.
    delete s;
    Put(vf, nullptr);
    return r;
  }
  s->open = true;
  Put(vf, s);
  return r;
}

}  // namespace

WU_EXPORT void wu_SetCPUType(int) {}  // the decoder needs no processor tuning
WU_EXPORT int wu_DetectCPU() { return 0; }
WU_EXPORT void wu_ScaleOutput(double scale) { g_scale = scale < 0 ? 0 : scale; }

WU_EXPORT int wu_ov_open_callbacks(void* ds, wu_OVF* vf, const char* initial, long ibytes,
                                   wu_ov_callbacks cb) {
  return Open(ov_open_callbacks, ds, vf, initial, ibytes, cb);
}

WU_EXPORT int wu_ov_test_callbacks(void* ds, wu_OVF* vf, const char* initial, long ibytes,
                                   wu_ov_callbacks cb) {
  return Open(ov_test_callbacks, ds, vf, initial, ibytes, cb);
}

WU_EXPORT int wu_ov_test_open(wu_OVF* vf) {
  Stream* s = Get(vf);
  return s ? ov_test_open(&s->vf) : WU_OV_EINVAL;
}

WU_EXPORT int wu_ov_clear(wu_OVF* vf) {
  Stream* s = Get(vf);
  if (!s) return 0;
  ov_clear(&s->vf);  // calls the close callback
  delete s;
  Put(vf, nullptr);
  return 0;
}

WU_EXPORT wu_vorbis_info* wu_ov_info(wu_OVF* vf, int link) {
  Stream* s = Get(vf);
  if (!s) return nullptr;
  vorbis_info* vi = ov_info(&s->vf, link);
  if (!vi) return nullptr;
  s->info = wu_vorbis_info{vi->version,          vi->channels,       int32_t(vi->rate),
                           int32_t(vi->bitrate_upper), int32_t(vi->bitrate_nominal),
                           int32_t(vi->bitrate_lower), int32_t(vi->bitrate_window),
                           vi->codec_setup};
  return &s->info;
}

WU_EXPORT wu_vorbis_comment* wu_ov_comment(wu_OVF* vf, int link) {
  Stream* s = Get(vf);
  if (!s) return nullptr;
  vorbis_comment* vc = ov_comment(&s->vf, link);
  if (!vc) return nullptr;
  s->lengths.assign(size_t(vc->comments > 0 ? vc->comments : 0), 0);
  for (size_t i = 0; i < s->lengths.size(); ++i) s->lengths[i] = vc->comment_lengths[i];
  s->comment = wu_vorbis_comment{vc->user_comments, s->lengths.data(), vc->comments, vc->vendor};
  return &s->comment;
}

#define WU_FORWARD(ret, name, bad, params, args) \
  WU_EXPORT ret wu_##name params {               \
    Stream* s = Get(vf);                         \
    if (!s) return bad;                          \
    return name args;                            \
  }

WU_FORWARD(long, ov_bitrate, WU_OV_EINVAL, (wu_OVF* vf, int i), (&s->vf, i))
WU_FORWARD(long, ov_bitrate_instant, WU_OV_EINVAL, (wu_OVF* vf), (&s->vf))
WU_FORWARD(long, ov_streams, 0, (wu_OVF* vf), (&s->vf))
WU_FORWARD(long, ov_serialnumber, -1, (wu_OVF* vf, int i), (&s->vf, i))
WU_FORWARD(long, ov_seekable, 0, (wu_OVF* vf), (&s->vf))
WU_FORWARD(int64_t, ov_raw_total, WU_OV_EINVAL, (wu_OVF* vf, int i), (&s->vf, i))
WU_FORWARD(double, ov_time_total, WU_OV_EINVAL, (wu_OVF* vf, int i), (&s->vf, i))
WU_FORWARD(int64_t, ov_pcm_total, WU_OV_EINVAL, (wu_OVF* vf, int i), (&s->vf, i))
WU_FORWARD(int, ov_raw_seek, WU_OV_EINVAL, (wu_OVF* vf, int64_t p), (&s->vf, p))
WU_FORWARD(int, ov_pcm_seek, WU_OV_EINVAL, (wu_OVF* vf, int64_t p), (&s->vf, p))
WU_FORWARD(int, ov_pcm_seek_page, WU_OV_EINVAL, (wu_OVF* vf, int64_t p), (&s->vf, p))
WU_FORWARD(int, ov_time_seek, WU_OV_EINVAL, (wu_OVF* vf, double t), (&s->vf, t))
WU_FORWARD(int, ov_time_seek_page, WU_OV_EINVAL, (wu_OVF* vf, double t), (&s->vf, t))
WU_FORWARD(int, ov_raw_seek_lap, WU_OV_EINVAL, (wu_OVF* vf, int64_t p), (&s->vf, p))
WU_FORWARD(int, ov_pcm_seek_lap, WU_OV_EINVAL, (wu_OVF* vf, int64_t p), (&s->vf, p))
WU_FORWARD(int, ov_pcm_seek_page_lap, WU_OV_EINVAL, (wu_OVF* vf, int64_t p), (&s->vf, p))
WU_FORWARD(int, ov_time_seek_lap, WU_OV_EINVAL, (wu_OVF* vf, double t), (&s->vf, t))
WU_FORWARD(int, ov_time_seek_page_lap, WU_OV_EINVAL, (wu_OVF* vf, double t), (&s->vf, t))
WU_FORWARD(int64_t, ov_raw_tell, WU_OV_EINVAL, (wu_OVF* vf), (&s->vf))
WU_FORWARD(int64_t, ov_pcm_tell, WU_OV_EINVAL, (wu_OVF* vf), (&s->vf))
WU_FORWARD(double, ov_time_tell, WU_OV_EINVAL, (wu_OVF* vf), (&s->vf))
WU_FORWARD(long, ov_read_float, WU_OV_EINVAL,
           (wu_OVF* vf, float*** pcm, int samples, int* bitstream),
           (&s->vf, pcm, samples, bitstream))

WU_EXPORT long wu_ov_read(wu_OVF* vf, char* buffer, int length, int bigendianp, int word,
                          int sgned, int* bitstream) {
  Stream* s = Get(vf);
  if (!s || !buffer || length < 0) return WU_OV_EINVAL;
  // Room for less than one sample frame: nothing whole can be delivered, which
  // reads as the end of the stream rather than as a failed read.
  const vorbis_info* vi = ov_info(&s->vf, -1);
  if (vi && (word == 1 || word == 2) && length < vi->channels * word) return 0;
  long r = ov_read(&s->vf, buffer, length, bigendianp, word, sgned, bitstream);
  if (r > 0 && g_scale != 1.0 && word == 2 && sgned && !bigendianp) {
    for (long i = 0; i + 1 < r; i += 2) {
      int16_t v;
      std::memcpy(&v, buffer + i, 2);
      double x = v * g_scale;
      v = int16_t(x > 32767 ? 32767 : x < -32768 ? -32768 : x);
      std::memcpy(buffer + i, &v, 2);
    }
  }
  return r;
}

// The tests build a copy without this export to see an incomplete library refused.
#ifndef WU_WITHOUT_CROSSLAP
WU_EXPORT int wu_ov_crosslap(wu_OVF* vf1, wu_OVF* vf2) {
  Stream* a = Get(vf1);
  Stream* b = Get(vf2);
  if (!a || !b) return WU_OV_EINVAL;
  return ov_crosslap(&a->vf, &b->vf);
}
#endif
