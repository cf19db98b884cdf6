// The Ogg decoder: renders an Ogg Vorbis stream (through the wuvorbis binding)
// as 44100 Hz 16-bit stereo into the caller's memory, with an optional
// 200-byte "ALPHAOGG" loop header in front of the stream, a volume with ramps,
// master and channel volumes, and a 256-band equaliser over the FFT.
//
// Decoder calls are serialised by a re-entrant lock, so a refill thread and
// the main thread may share one decoder.
#pragma once
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "sound/FFTLib.h"
#include "wuvorbis/wuvorbis.h"

class TVorbisFileDLL;

class TMemoryStream;
class TStream;

namespace OggDataLib2 {

constexpr int32_t OGG_FFTSAMPLE = 256;
constexpr int32_t kLoopRecords = 16;
constexpr int32_t kAlphaOggSize = 200;
constexpr int32_t kBytesPerSec = 176400;  // 44100 frames of 4 bytes
constexpr int32_t kGainOne = 722534400;   // 2822400 x 256: a gain of 1.0

enum TPLAYSTATE { psNONE = 0, psSTOP = 1, psPLAY = 2, psLOOP = 3 };

struct TOggVolume {
  int32_t iNow = 0, iSet = 0, iAdd = 0;
};
struct TOggEQ {
  float sNow = 1, sSet = 1, sAdd = 0;
};
// Jump to BeginTime when playback reaches EndTime, Count times (-1: always).
struct TOggLoop {
  float BeginTime = 0, EndTime = 0;
  int32_t Count = 0;
};

// Reads the 16 loop records of an "ALPHAOGG" header at the start of bytes;
// false when bytes are shorter than the header or do not start with ALPHAOGG.
bool ParseAlphaOggHeader(std::span<const uint8_t> bytes, TOggLoop (&loops)[kLoopRecords]);
// Writes a header with the given records (tools and tests).
std::vector<uint8_t> MakeAlphaOggHeader(const TOggLoop (&loops)[kLoopRecords]);

class TOggData {
 public:
  explicit TOggData(int32_t Len);
  ~TOggData();
  TOggData(const TOggData&) = delete;
  TOggData& operator=(const TOggData&) = delete;

  void Init();
  // Takes the stream over. A stream the library cannot open is freed and
  // raises ERangeError "ファイルの読み込みに失敗". Null gives false.
  bool LoadOgg(std::unique_ptr<TMemoryStream> ss);
  bool LoadLoop(TMemoryStream& ss);
  void GetOggInfo();
  // Fills Len bytes at d; the bytes rendered from the stream (0 when not
  // playing, negative on a decoding failure).
  int32_t RenderingToPointer(void* d, int32_t Len);
  void Play(bool Loop);
  void Pause();
  void Stop();
  float TimeTell();
  void TimeSeek(float t);
  bool SeekAble();
  TPLAYSTATE GetPlayState() const;
  void SetVolume(float v, float t = 0);
  float GetNowVolume() const { return float(FVolume.iNow) / kGainOne; }
  float GetSetVolume() const { return float(FVolume.iSet) / kGainOne; }
  void SetMasterVolume(float v);
  void SetChannelVolume(float v);
  void SetEQ(int32_t h, float v, float t = 0);
  float GetNowEQ(int32_t h) const;
  float GetSetEQ(int32_t h) const;
  bool GetEQ() const;
  void ApplyEQ(void* d, int32_t Len);
  // Where in the stream, in seconds, the library last reported its end or
  // failed to decode; -1 while it has done neither.
  double StoppedAt() const { return FStoppedAt; }

  int32_t Channels = 0, Rate = 0;
  std::string Vendor;
  std::vector<std::string> UserComment;  // local 8-bit code page (Shift-JIS)
  float TotalTime = 0;
  int64_t TotalSize = 0;
  TOggLoop LoopData[kLoopRecords];

 private:
  int32_t _RenderingToPointer(uint8_t* ptr, int32_t llen);
  int32_t _ReadWaveFormat(uint8_t* dptr, int32_t ReadLen);
  long Read(void* buf, int32_t len);
  void ApplyVolume(uint8_t* d, int32_t Len);

  std::recursive_mutex FThreadList;
  bool FLoaded = false;
  // The binding that opened the current stream; null while none is open. The
  // decoder keeps it, so the library stays loaded until the stream it holds
  // has been cleared, even when the global binding is released first.
  std::shared_ptr<TVorbisFileDLL> FLib;
  wu_OggVorbis_File FOggVorbisFile{};
  bool FLoopFlag = false, FPlayFlag = false;
  double FStoppedAt = -1;
  std::vector<uint8_t> FWaveBuffer;
  int32_t FLoopCount[kLoopRecords] = {};
  int16_t FTempBuf[2048] = {};
  TOggVolume FVolume;
  int32_t FMasterVolume = 255, FChannelVolume = 255;
  float PreRWave[256] = {}, PreLWave[256] = {};
  TOggEQ FEQ[256];
  TFFT FFT1{OGG_FFTSAMPLE};
};

// Decodes a whole stream into 44100 Hz 16-bit stereo PCM: at least 32768 bytes,
// rounded up to a whole kilobyte, the rest silence. Null for a null stream.
// When a page fails its check sum, the stream ends before its length says or
// fails to decode part way, or its pages stop before the end-of-stream mark,
// *problem (when given) says so and how much still plays; the result is kept.
std::unique_ptr<TMemoryStream> OggToMemoryStream(TStream* ss, std::string* problem = nullptr);

}  // namespace OggDataLib2
