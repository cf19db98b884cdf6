#include "sound/OggDataLib2.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "files/Streams.h"
#include "platform/SjisText.h"
#include "sound/OggWuvorbisLib.h"

namespace OggDataLib2 {

namespace {

// "ファイルの読み込みに失敗"
const char* const kReadFailed =
    "\x83t\x83@\x83" "C\x83\x8B\x82\xCC\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x82\xC9\x8E\xB8\x94s";

constexpr char kAlphaOgg[8] = {'A', 'L', 'P', 'H', 'A', 'O', 'G', 'G'};

// The largest decoded sound kept in memory: 64 MiB, about six minutes.
constexpr int64_t kMaxDecoded = int64_t(64) << 20;

float F32(const uint8_t* p) {
  uint32_t u = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
  float f;
  std::memcpy(&f, &u, 4);
  return f;
}

int16_t S16(const uint8_t* p) {
  int16_t v;
  std::memcpy(&v, p, 2);
  return v;
}

void PutS16(uint8_t* p, int32_t v) {
  int16_t s = int16_t(v);
  std::memcpy(p, &s, 2);
}

// The Ogg page check sum: CRC-32 with the polynomial 0x04c11db7, not
// reflected, starting from 0, over the page with its check-sum field zeroed.
constexpr std::array<uint32_t, 256> kPageCrc = [] {
  std::array<uint32_t, 256> t{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t r = i << 24;
    for (int k = 0; k < 8; ++k) r = (r & 0x80000000u) ? (r << 1) ^ 0x04c11db7u : r << 1;
    t[i] = r;
  }
  return t;
}();

bool PageSumHolds(std::span<const uint8_t> page) {
  uint32_t crc = 0;
  for (size_t i = 0; i < page.size(); ++i) {
    const uint8_t byte = i >= 22 && i < 26 ? 0 : page[i];
    crc = (crc << 8) ^ kPageCrc[((crc >> 24) ^ byte) & 0xFF];
  }
  const uint8_t* s = page.data() + 22;
  return crc == (uint32_t(s[0]) | uint32_t(s[1]) << 8 | uint32_t(s[2]) << 16 | uint32_t(s[3]) << 24);
}

// What the pages of an Ogg stream say about it.
struct PageWalk {
  const char* endProblem = nullptr;  // why it does not end whole; null when it does
  int pages = 0;                     // pages found, whole or damaged
  int damaged = 0;                   // the first page (from 1) failing its check sum; 0 none
  int64_t frames = -1;               // its length in source frames by its pages; -1 unknown
};

int64_t S64(const uint8_t* p) {
  int64_t v;
  std::memcpy(&v, p, 8);
  return v;
}

// Walks the pages by their own lengths, each checked against the bytes left
// before it is read. Bytes that start no page, and a page that fails its check
// sum, are skipped to the next capture pattern, as the library resyncs there
// without a word. The stream ends whole when its last page is complete and
// carries the end-of-stream mark; only the final page counts, so chained
// streams pass. The length is the sum of each link's last granule position,
// known only when the final page is sound.
PageWalk WalkPages(std::span<const uint8_t> b) {
  constexpr uint8_t kCapture[4] = {'O', 'g', 'g', 'S'};
  constexpr size_t kPageHead = 27;  // up to and including the segment count
  PageWalk w;
  bool eos = false, lastSound = false;
  int64_t ended = 0, granule = -1;  // frames of the links ended; the current link's last position
  for (size_t pos = 0; pos < b.size();) {
    const size_t left = b.size() - pos;
    if (left < 4 || std::memcmp(b.data() + pos, kCapture, 4) != 0) {
      const auto from = b.begin() + std::ptrdiff_t(pos + 1);
      const auto next = std::search(from, b.end(), kCapture, kCapture + 4);
      if (next == b.end()) break;
      pos = size_t(next - b.begin());
      continue;
    }
    const size_t segments = left < kPageHead ? 0 : b[pos + 26];
    size_t len = kPageHead + segments;
    if (left >= len)
      for (size_t i = 0; i < segments; ++i) len += b[pos + kPageHead + i];
    if (left < len) {
      w.endProblem = "it ends inside an Ogg page";
      return w;
    }
    ++w.pages;
    lastSound = PageSumHolds(b.subspan(pos, len));
    if (!lastSound) {
      if (w.damaged == 0) w.damaged = w.pages;
      ++pos;
      continue;
    }
    eos = (b[pos + 5] & 0x04) != 0;
    if (const int64_t g = S64(b.data() + pos + 6); g >= 0) granule = g;
    if (eos) {
      ended += std::max<int64_t>(granule, 0);
      granule = -1;
    }
    pos += len;
  }
  w.endProblem = eos && lastSound ? nullptr : "its last Ogg page has no end-of-stream mark";
  if (lastSound) w.frames = ended + std::max<int64_t>(granule, 0);
  return w;
}

std::string Seconds(double s) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2f", s);
  return buf;
}

// Why a whole-file decoding plays in part or not at all; "" when it plays whole.
std::string DecodingProblem(const PageWalk& walk, const TOggData& dec, int64_t render, int32_t got) {
  if (walk.damaged > 0) {
    // What plays is what came out, or, when decoding stopped at the hole the
    // page left, the sound up to there.
    const double plays = got >= 0 ? double(got) / kBytesPerSec : std::max(0.0, dec.StoppedAt());
    std::string s = "damaged: Ogg page " + std::to_string(walk.damaged) + " of " +
                    std::to_string(walk.pages) + " fails its check sum; ";
    if (plays <= 0) return s + "it stays silent";
    s += Seconds(plays);
    if (walk.frames > 0 && dec.Rate > 0) s += " of " + Seconds(double(walk.frames) / dec.Rate);
    return s + " s plays";
  }
  if (render <= 0) return "holds no sound the decoder can read; it stays silent";
  if (got < 0) return "damaged: decoding failed part way; the rest stays silent";
  // Judged by where the library found the stream's end, not by the bytes that
  // came out: a loop record shapes those, and a loop point inside a source
  // sample leaves a few bytes unread.
  if (const double end = dec.StoppedAt(); end >= 0 && end < dec.TotalTime - 0.001)
    return "cut short: its sound ends at " + Seconds(end) + " of " + Seconds(dec.TotalTime) +
           " s; the rest stays silent";
  if (walk.endProblem) return std::string("cut short: ") + walk.endProblem + "; what is there plays";
  return "";
}

}  // namespace

bool ParseAlphaOggHeader(std::span<const uint8_t> bytes, TOggLoop (&loops)[kLoopRecords]) {
  if (bytes.size() < size_t(kAlphaOggSize)) return false;
  if (std::memcmp(bytes.data(), kAlphaOgg, 8) != 0) return false;
  for (int i = 0; i < kLoopRecords; ++i) {
    const uint8_t* r = bytes.data() + 8 + 12 * i;
    TOggLoop l;
    l.BeginTime = F32(r);
    l.EndTime = F32(r + 4);
    uint32_t c = uint32_t(r[8]) | uint32_t(r[9]) << 8 | uint32_t(r[10]) << 16 | uint32_t(r[11]) << 24;
    l.Count = int32_t(c);
    // A time that is not a number never matches a play position.
    if (!std::isfinite(l.BeginTime)) l.BeginTime = 0;
    if (!std::isfinite(l.EndTime)) l.EndTime = -1;
    loops[i] = l;
  }
  return true;
}

std::vector<uint8_t> MakeAlphaOggHeader(const TOggLoop (&loops)[kLoopRecords]) {
  std::vector<uint8_t> h(kAlphaOggSize, 0);
  std::memcpy(h.data(), kAlphaOgg, 8);
  for (int i = 0; i < kLoopRecords; ++i) {
    uint8_t* r = h.data() + 8 + 12 * i;
    std::memcpy(r, &loops[i].BeginTime, 4);
    std::memcpy(r + 4, &loops[i].EndTime, 4);
    std::memcpy(r + 8, &loops[i].Count, 4);
  }
  return h;
}

// ---- life -----------------------------------------------------------------------

TOggData::TOggData(int32_t Len) : FWaveBuffer(size_t(std::max(Len, 0)), 0) {
  Init();
  for (auto& eq : FEQ) eq = TOggEQ{1, 1, 0};
  SetVolume(1.0f);
  FMasterVolume = FChannelVolume = 255;
}

TOggData::~TOggData() { Init(); }

void TOggData::Init() {
  Pause();
  UserComment.clear();
  Vendor.clear();
  Channels = Rate = 0;
  TotalTime = 0;
  TotalSize = 0;
  FStoppedAt = -1;
  std::lock_guard<std::recursive_mutex> g(FThreadList);
  if (FLib) {
    FLib->wu_ov_clear(&FOggVorbisFile);  // frees the stream, then the library may go
    FLib.reset();
    // Nothing is loaded once the stream is gone.
    FLoaded = false;
  }
  std::fill(FWaveBuffer.begin(), FWaveBuffer.end(), 0);
  std::memset(&FOggVorbisFile, 0, sizeof FOggVorbisFile);
}

bool TOggData::LoadLoop(TMemoryStream& ss) {
  if (ss.Size() < kAlphaOggSize) return false;
  const int64_t pos = ss.Position();
  uint8_t head[kAlphaOggSize];
  const size_t got = ss.Read(head, 8);
  ss.SetPosition(pos);
  if (got != 8 || std::memcmp(head, kAlphaOgg, 8) != 0) return false;
  if (ss.Read(head, kAlphaOggSize) != size_t(kAlphaOggSize)) {
    ss.SetPosition(pos);
    return false;
  }
  return ParseAlphaOggHeader(head, LoopData);
}

bool TOggData::LoadOgg(std::unique_ptr<TMemoryStream> ss) {
  if (!ss) return false;
  Init();
  LoadLoop(*ss);
  std::lock_guard<std::recursive_mutex> g(FThreadList);
  // A binding with functions missing decodes nothing.
  std::shared_ptr<TVorbisFileDLL> lib = VorbisfileDll;
  if (!lib || !lib->Complete()) throw ERangeError(kReadFailed);
  TMemoryStream* raw = ss.get();
  if (lib->wu_ov_open_callbacks(raw, &FOggVorbisFile, nullptr, 0) < 0) {
    std::memset(&FOggVorbisFile, 0, sizeof FOggVorbisFile);
    throw ERangeError(kReadFailed);  // ss frees the stream
  }
  ss.release();  // the library owns it until the decoder is cleared
  FLib = std::move(lib);
  GetOggInfo();
  FLoaded = true;
  return true;
}

void TOggData::GetOggInfo() {
  if (!FLib) return;
  if (wu_vorbis_comment* c = FLib->wu_ov_comment(&FOggVorbisFile, -1)) {
    Vendor = c->vendor ? c->vendor : "";
    for (int32_t i = 0; i < c->comments && c->user_comments && c->user_comments[i]; ++i)
      UserComment.push_back(plat::Utf8ToSjis(c->user_comments[i]));
  }
  if (wu_vorbis_info* vi = FLib->wu_ov_info(&FOggVorbisFile, -1)) {
    Channels = vi->channels;
    Rate = vi->rate;
  }
  TotalTime = float(FLib->wu_ov_time_total(&FOggVorbisFile, -1));
  const int64_t frames = FLib->wu_ov_pcm_total(&FOggVorbisFile, -1);
  TotalSize = frames > 0 ? frames * 4 : 0;
  if (TotalTime < 0) TotalTime = 0;
}

// ---- play state -------------------------------------------------------------------

void TOggData::Play(bool Loop) {
  FPlayFlag = true;
  FLoopFlag = Loop;
}

void TOggData::Pause() {
  FPlayFlag = false;
  FLoopFlag = false;
}

void TOggData::Stop() {
  Pause();
  TimeSeek(0);
  std::fill(std::begin(FLoopCount), std::end(FLoopCount), 0);
  std::fill(FWaveBuffer.begin(), FWaveBuffer.end(), 0);
}

float TOggData::TimeTell() {
  std::lock_guard<std::recursive_mutex> g(FThreadList);
  if (!FLib) return 0;
  return float(FLib->wu_ov_time_tell(&FOggVorbisFile));
}

void TOggData::TimeSeek(float t) {
  if (!FLoaded) return;
  t = std::clamp(t, 0.0f, TotalTime);
  std::lock_guard<std::recursive_mutex> g(FThreadList);
  if (FLib && FLib->wu_ov_seekable(&FOggVorbisFile))
    FLib->wu_ov_time_seek(&FOggVorbisFile, t);  // a failed seek is ignored
}

bool TOggData::SeekAble() {
  std::lock_guard<std::recursive_mutex> g(FThreadList);
  return FLoaded && FLib && FLib->wu_ov_seekable(&FOggVorbisFile) != 0;
}

TPLAYSTATE TOggData::GetPlayState() const {
  if (!FLoaded) return psNONE;
  if (!FPlayFlag) return psSTOP;
  return FLoopFlag ? psLOOP : psPLAY;
}

// ---- volumes and equaliser settings -------------------------------------------------

void TOggData::SetVolume(float v, float t) {
  v = std::clamp(v, 0.0f, 2.0f);
  FVolume.iSet = int32_t(std::trunc(double(v) * kGainOne));
  if (t < 0.01f) {
    FVolume.iNow = FVolume.iSet;
    FVolume.iAdd = 0;
  } else {
    FVolume.iAdd = int32_t(std::trunc((double(FVolume.iSet) - FVolume.iNow) / (double(t) * 44100)));
  }
}

void TOggData::SetMasterVolume(float v) {
  FMasterVolume = int32_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255));
}

void TOggData::SetChannelVolume(float v) {
  FChannelVolume = int32_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255));
}

void TOggData::SetEQ(int32_t h, float v, float t) {
  if (h < 0 || h >= 256) return;
  TOggEQ& e = FEQ[h];
  e.sSet = v;
  if (t < 0.001f) {
    e.sNow = v;
    e.sAdd = 0;
  } else {
    e.sAdd = (v - e.sNow) / (t * 44100);
  }
}

float TOggData::GetNowEQ(int32_t h) const { return h >= 0 && h < 256 ? FEQ[h].sNow : 0; }
float TOggData::GetSetEQ(int32_t h) const { return h >= 0 && h < 256 ? FEQ[h].sSet : 0; }

bool TOggData::GetEQ() const {
  for (const auto& e : FEQ)
    if (std::fabs(e.sNow - 1) + std::fabs(e.sSet - 1) > 0.01f) return true;
  return false;
}

void TOggData::ApplyEQ(void* d, int32_t Len) {
  if (!GetEQ() || !d || Len < 4) return;
  auto* bytes = static_cast<uint8_t*>(d);
  int32_t left = Len / 4, p = 0;
  float gain[256];
  while (left > 0) {
    const int32_t b = std::min(left, 192);
    const int32_t keep = b < 192 ? b : 128;
    for (int i = 0; i < 256; ++i) {
      TOggEQ& e = FEQ[i];
      if (std::fabs(e.sNow - e.sSet) >= std::fabs(b * e.sAdd)) {
        e.sNow += b * e.sAdd;
      } else {
        e.sNow = e.sSet;
        e.sAdd = 0;
      }
      gain[i % 2 == 0 ? i / 2 : 255 - (i - 1) / 2] = e.sNow;
    }
    auto& re = FFT1.re;
    auto& im = FFT1.im;
    for (int i = 0; i < 64; ++i) {
      re[size_t(i)] = PreLWave[i];
      im[size_t(i)] = PreRWave[i];
    }
    for (int i = 0; i < 192; ++i) {
      const int32_t f = p + std::min(i, b - 1);
      re[size_t(64 + i)] = S16(bytes + 4 * f);
      im[size_t(64 + i)] = S16(bytes + 4 * f + 2);
    }
    for (int i = 0; i < 64; ++i) {
      PreLWave[i] = re[size_t(keep + i)];
      PreRWave[i] = im[size_t(keep + i)];
    }
    FFT1.HammingWindow();
    FFT1.FFT();
    for (int i = 0; i < 256; ++i) {
      re[size_t(i)] *= gain[i];
      im[size_t(i)] *= gain[i];
    }
    FFT1.UnFFT();
    FFT1.UnHammingWindow();
    FFT1.SatSmallInt();
    const int32_t done = b < 192 ? b : 128;
    for (int32_t i = 0; i < done; ++i) {
      PutS16(bytes + 4 * (p + i), int32_t(std::lround(re[size_t(64 + i)])));
      PutS16(bytes + 4 * (p + i) + 2, int32_t(std::lround(im[size_t(64 + i)])));
    }
    p += done;
    left -= done;
  }
}

// ---- rendering ------------------------------------------------------------------

long TOggData::Read(void* buf, int32_t len) {
  int bitstream = 0;
  return FLib->wu_ov_read(&FOggVorbisFile, static_cast<char*>(buf), len, 0, 2, 1, bitstream);
}

int32_t TOggData::_ReadWaveFormat(uint8_t* dptr, int32_t ReadLen) {
  if (!FLib) return -1;
  const int32_t temp = int32_t(sizeof FTempBuf);
  // Keyed by rate x 10 + channels (441002 is 44100 Hz stereo).
  switch (Rate * 10 + Channels) {
    case 441002: {
      long r = Read(dptr, ReadLen);
      return int32_t(r);
    }
    case 441001: {
      long r = Read(FTempBuf, std::min(ReadLen / 2, temp));
      if (r <= 0) return int32_t(r);
      for (long i = 0; i < r / 2; ++i) {
        std::memcpy(dptr + 4 * i, &FTempBuf[i], 2);
        std::memcpy(dptr + 4 * i + 2, &FTempBuf[i], 2);
      }
      return int32_t(r / 2 * 4);
    }
    case 220502: {
      long r = Read(FTempBuf, std::min(ReadLen / 2, temp));
      if (r <= 0) return int32_t(r);
      for (long i = 0; i < r / 4; ++i) {
        std::memcpy(dptr + 8 * i, &FTempBuf[2 * i], 4);
        std::memcpy(dptr + 8 * i + 4, &FTempBuf[2 * i], 4);
      }
      return int32_t(r / 4 * 8);
    }
    case 220501: {
      long r = Read(FTempBuf, std::min(ReadLen / 4, temp));
      if (r <= 0) return int32_t(r);
      for (long i = 0; i < r / 2; ++i)
        for (int k = 0; k < 4; ++k) std::memcpy(dptr + 8 * i + 2 * k, &FTempBuf[i], 2);
      return int32_t(r / 2 * 8);
    }
    default:
      return -1;
  }
}

int32_t TOggData::_RenderingToPointer(uint8_t* ptr, int32_t llen) {
  int32_t result = 0;
  bool emptyAfterSeek = false;
  while (llen > 0) {
    const int32_t r = _ReadWaveFormat(ptr, llen);
    // A request with room for less than one source frame reads nothing; that
    // end is the request's, not the stream's.
    if (r < 0 || (r == 0 && llen >= 4 * 44100 / std::max(Rate, 1)))
      FStoppedAt = FLib->wu_ov_time_tell(&FOggVorbisFile);
    if (r < 0) {
      Stop();
      return r;
    }
    if (r == 0) {
      // The end of the stream. Looping starts again from 0 s, unless the
      // stream gives nothing even from its start (then it ends like a stream
      // without loop instead of spinning).
      if (FLoopFlag && !emptyAfterSeek) {
        FLib->wu_ov_time_seek(&FOggVorbisFile, 0);
        emptyAfterSeek = true;
        continue;
      }
      FPlayFlag = false;
      FLoopFlag = false;
      FLib->wu_ov_time_seek(&FOggVorbisFile, 0);
      std::memset(ptr, 0, size_t(llen));
      break;
    }
    emptyAfterSeek = false;
    ptr += r;
    llen -= r;
    result += r;
  }
  return result;
}

void TOggData::ApplyVolume(uint8_t* d, int32_t Len) {
  const int32_t extra = (FMasterVolume * FChannelVolume) / 256;
  for (int32_t f = 0; f < Len / 4; ++f) {
    TOggVolume& v = FVolume;
    if (v.iAdd != 0 && std::llabs(int64_t(v.iSet) - v.iNow) < std::llabs(int64_t(v.iAdd))) {
      v.iNow = v.iSet;
      v.iAdd = 0;
    }
    v.iNow += v.iAdd;
    const int32_t k = ((v.iNow / 2822400) * extra) / 256;
    for (int c = 0; c < 2; ++c) {
      uint8_t* p = d + 4 * f + 2 * c;
      int32_t s = (int32_t(S16(p)) * k) / 256;
      if (k > 255) s = std::clamp(s, -32766, 32766);
      PutS16(p, s);
    }
  }
}

int32_t TOggData::RenderingToPointer(void* dv, int32_t Len) {
  auto* d = static_cast<uint8_t*>(dv);
  if (!d || Len <= 0) return 0;
  const int32_t quiet = int32_t(0.01 * kGainOne);
  if (FVolume.iNow < quiet && FVolume.iSet < quiet) Pause();
  if (!FLoaded || !FPlayFlag || !FLib) {
    std::memset(d, 0, size_t(Len));
    return 0;
  }
  std::lock_guard<std::recursive_mutex> g(FThreadList);
  int32_t result = 0;
  try {
    const float now = TimeTell();
    const float span = float(Len) / kBytesPerSec;
    bool jumped = false;
    for (int i = 0; i < kLoopRecords; ++i) {
      const TOggLoop& l = LoopData[i];
      const bool inWindow = now <= l.EndTime && l.EndTime <= now + span;
      const bool counted = FLoopCount[i] < l.Count || l.Count == -1;
      // One jump per call keeps the output inside the Len bytes at d.
      if (!jumped && inWindow && counted) {
        if (l.Count != -1) ++FLoopCount[i];
        int64_t h = std::llround(double(l.EndTime - now) * kBytesPerSec) & ~int64_t(3);
        h = std::clamp<int64_t>(h, 0, Len & ~3);
        int32_t r1 = h > 0 ? _RenderingToPointer(d, int32_t(h)) : 0;
        FLib->wu_ov_time_seek(&FOggVorbisFile, std::max(0.0f, l.BeginTime));
        int32_t r2 = _RenderingToPointer(d + h, Len - int32_t(h));
        result = r1 < 0 ? r1 : r2 < 0 ? r2 : r1 + r2;
        jumped = true;
      }
      if (l.EndTime < now) FLoopCount[i] = 0;
    }
    if (!jumped) result = _RenderingToPointer(d, Len);
    ApplyEQ(d, Len);
    ApplyVolume(d, Len);
  } catch (...) {
    // A failure inside rendering leaves what was rendered so far.
  }
  return result;
}

// ---- whole-file decoding ------------------------------------------------------------

std::unique_ptr<TMemoryStream> OggToMemoryStream(TStream* ss, std::string* problem) {
  if (!ss) return nullptr;
  auto copy = std::make_unique<TMemoryStream>();
  ss->SetPosition(0);
  copy->CopyFrom(*ss, 0);
  copy->SetPosition(0);
  // The library takes a stream that stops after a whole page for a whole one,
  // and passes over a page that fails its check sum without a word, so the
  // pages (behind any loop header) are looked at here.
  std::span<const uint8_t> pages = copy->Bytes();
  if (pages.size() >= size_t(kAlphaOggSize) && std::memcmp(pages.data(), kAlphaOgg, 8) == 0)
    pages = pages.subspan(size_t(kAlphaOggSize));
  const PageWalk walk = WalkPages(pages);

  TOggData dec(44100);
  dec.LoadOgg(std::move(copy));
  dec.SetVolume(1.0f);
  dec.Play(false);
  // 22050 Hz sources come out twice as long as their own frame count says.
  int64_t render = dec.TotalSize * (dec.Rate == 22050 ? 2 : 1);
  render = std::clamp<int64_t>(render, 0, kMaxDecoded);
  int64_t size = std::max<int64_t>(render & 0xFFFFFFFF, 32768);
  size = (size + 1023) / 1024 * 1024;
  auto out = std::make_unique<TMemoryStream>();
  out->SetSize(size_t(size));  // zero-filled
  // One render call, so a loop record shapes the decoded data once.
  const int32_t got = render > 0 ? dec.RenderingToPointer(out->Memory(), int32_t(render)) : 0;
  if (problem) *problem = DecodingProblem(walk, dec, render, got);
  out->SetPosition(0);
  return out;
}

}  // namespace OggDataLib2
