// The sound component TDDSD: a fixed array of playback channels over the sound
// device, sound data in buffers (TDDSDGenWave / TDDSDWaveData: static buffers
// loaded from RIFF WAVE files or filled by the caller, and streaming buffers
// refilled half by half from a notify thread), and one failure path with the
// log "ddsd.debug".
//
// When the device cannot be opened the component is not initialised: channels
// still exist and can be looked up, but no buffer is ever made and every
// channel, buffer and copy operation does nothing. Sound is then silently off.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/SoundMixer.h"

class TDDSD;
class TDDSDChannel;
class TDDSDGenWave;

// ---- failure reporting --------------------------------------------------------
using TDDSDDebugOption = uint32_t;
constexpr TDDSDDebugOption dsoHaltOnError = 0x1;
constexpr TDDSDDebugOption dsoDebugMessage = 0x2;
constexpr TDDSDDebugOption dsoExceptOnError = 0x4;
constexpr TDDSDDebugOption dsoAll = dsoHaltOnError | dsoDebugMessage | dsoExceptOnError;

extern bool DDSD_HaltOnError;
extern bool DDSD_DebugMessage;
extern bool DDSD_ExceptOnError;
extern int32_t DDSD_DebugCount;

constexpr int32_t VOLZERO = -4000;

// Error codes the device stand-in reports.
constexpr int32_t DSERR_INVALIDPARAM = int32_t(0x80070057u);
constexpr int32_t DSERR_BADFORMAT = int32_t(0x88780064u);

class EDDSD : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

namespace ddsd {
// The failure path: with the log option, "debug#%.5d ... mes" to "ddsd.debug"
// (rewritten at the first line of a run); then, with the exception option,
// EDDSD is raised with the text.
void PutDebugMessage(const std::string& mes);
// 0 passes. Otherwise mes + "(Error Code(%X))" goes to the failure path, then
// the program halts when halt-on-error is set; returns err.
int32_t TRYDS(int32_t err, const std::string& failMes);
// What a halt does: by default the error box and exit status 1; tests throw.
void SetHaltHandler(std::function<void(const std::string&)> handler);
// The folder of "ddsd.debug" ("" = the program folder).
void SetLogFolder(const std::string& hostFolder);
}  // namespace ddsd

// Percent to hundredths of a decibel: <= 0 gives VOLZERO, >= 100 gives 0,
// otherwise trunc(2000 * log10(v / 100)).
int32_t VolP100_to_dB(int32_t VolP100);

// ---- 3D parameters (kept, never applied: no buffer of this game is 3D) -------
struct TDDSDParams3D {
  struct Vec {
    float x, y, z;
  };
  Vec Position{0, 0, 0}, Velocity{0, 0, 0};
  uint32_t InsideConeAngle = 360, OutsideConeAngle = 360;
  Vec ConeOrientation{0, 0, 1.0f};
  int32_t ConeOutsideVolume = 0;
  float MinDistance = 5.0f, MaxDistance = 100.0f;
  uint32_t Mode = 0;
  void Assign(const TDDSDParams3D& v) { *this = v; }
};

struct TDDSDListener {
  TDDSDParams3D::Vec Position{0, 0, 0}, Velocity{0, 0, 0};
  TDDSDParams3D::Vec Front{0, 0, 1.0f}, Top{0, 1.0f, 0};
  float DistanceFactor = 1.0f, RolloffFactor = 1.0f, DopplerFactor = 1.0f;
};

// ---- waves --------------------------------------------------------------------
class TDDSDGenWave {
 public:
  // Refill callback of a streaming wave: (wave, playing channel, offset, length).
  using TUpdateEvent = std::function<void(TDDSDGenWave*, TDDSDChannel*, uint32_t, uint32_t)>;

  // A static buffer from a RIFF WAVE file (a game path). Nothing is loaded
  // while the component is not initialised.
  TDDSDGenWave(TDDSD* Owner, const std::string& fname, bool is3D = false);
  virtual ~TDDSDGenWave();
  TDDSDGenWave(const TDDSDGenWave&) = delete;
  TDDSDGenWave& operator=(const TDDSDGenWave&) = delete;

  // Copies length bytes of src into the buffer at offset, wrapping at its end.
  void BlockCopy(uint32_t offset, const void* src, uint32_t length);

  plat::SoundBuffer* Buffer() const { return FSoundBuffer.get(); }
  const std::shared_ptr<plat::SoundBuffer>& SharedBuffer() const { return FSoundBuffer; }
  bool IsStream() const { return FIsStream; }
  const plat::PcmFormat& WaveFormat() const { return FWaveFormat; }
  uint32_t Length() const { return FLength; }
  void SetOnUpdate(TUpdateEvent ev);
  // The notify thread's refill: the half that is not playing.
  void Sync(bool IsTop);
  // Which notifications have run their refill (tests).
  uint32_t RefillCount() const { return refills_; }

 protected:
  TDDSDGenWave(TDDSD* Owner, uint32_t freq, uint32_t bps, bool isStereo, uint32_t length,
               bool isStream);
  // A static buffer holding pcm, taken over without a copy.
  TDDSDGenWave(TDDSD* Owner, uint32_t freq, uint32_t bps, bool isStereo, std::vector<uint8_t> pcm);

 private:
  friend class TDDSDChannel;
  friend class TDDSDNotifyThread;
  void CreateEmptyBuffer(uint32_t freq, uint32_t bps, bool isStereo, uint32_t length,
                         bool isStream);

  std::shared_ptr<plat::SoundBuffer> FSoundBuffer;
  plat::PcmFormat FWaveFormat;
  uint32_t FLength = 0;
  TDDSD* FOwner;
  bool FIsStream = false;
  uint32_t FHalfPos = 0;
  plat::SoundEvent FEvent[3];
  std::unique_ptr<class TDDSDNotifyThread> FNotifyThread;
  std::mutex updateMu_;
  TUpdateEvent FOnUpdate;
  std::atomic<TDDSDChannel*> FPlayer{nullptr};
  std::atomic<uint32_t> refills_{0};
};

class TDDSDWaveData : public TDDSDGenWave {
 public:
  TDDSDWaveData(TDDSD* Owner, const std::string& fname) : TDDSDGenWave(Owner, fname, false) {}
  // An empty static PCM buffer.
  static std::unique_ptr<TDDSDWaveData> CreateBuffer(TDDSD* Owner, uint32_t freq, uint32_t bps,
                                                     bool isStereo, uint32_t length);
  // A static PCM buffer that takes pcm over (the decoded sounds: no second
  // copy is made); like an empty buffer of pcm's size otherwise.
  static std::unique_ptr<TDDSDWaveData> CreateBuffer(TDDSD* Owner, uint32_t freq, uint32_t bps,
                                                     bool isStereo, std::vector<uint8_t> pcm);
  // An empty streaming PCM buffer with its notify thread.
  static std::unique_ptr<TDDSDWaveData> CreateStream(TDDSD* Owner, uint32_t freq, uint32_t bps,
                                                     bool isStereo, uint32_t length);

 private:
  TDDSDWaveData(TDDSD* Owner, uint32_t freq, uint32_t bps, bool isStereo, uint32_t length,
                bool isStream)
      : TDDSDGenWave(Owner, freq, bps, isStereo, length, isStream) {}
  TDDSDWaveData(TDDSD* Owner, uint32_t freq, uint32_t bps, bool isStereo, std::vector<uint8_t> pcm)
      : TDDSDGenWave(Owner, freq, bps, isStereo, std::move(pcm)) {}
};

// The double-buffer protocol of a streaming wave: waits on the three
// notifications (start of buffer, middle, stopped) with a 100 ms time-out and
// refills the half that is not playing, skipping notifications out of turn.
class TDDSDNotifyThread {
 public:
  explicit TDDSDNotifyThread(TDDSDGenWave* owner);
  ~TDDSDNotifyThread();  // sets the terminate flag and waits for the thread
  // One notification handled as the thread does (tests drive it directly).
  void Handle(int event);

 private:
  void Execute();
  TDDSDGenWave* FOwner;
  bool flg = true;
  std::atomic<bool> terminated_{false};
  std::thread thread_;
};

// ---- channels -----------------------------------------------------------------
class TDDSDChannel {
 public:
  explicit TDDSDChannel(TDDSD* Owner);
  ~TDDSDChannel();

  void setWaveData(TDDSDGenWave* wav);
  TDDSDGenWave* WaveData() const { return FWaveData; }
  // Stop, rewind when Zero_f, play once / looping; nothing without a buffer.
  void Play(bool Zero_f);
  void LoopPlay(bool Zero_f);
  void Stop();
  // Clamped to 0..100 and applied; without a buffer the value is not kept.
  void setVolume(int32_t v);
  int32_t Volume() const { return FVolume; }
  // 0 without a buffer, else bit 0 playing, bit 2 looping.
  uint32_t Status() const;
  void setPlayPosition(uint32_t pos);
  void setParams3D(const TDDSDParams3D& v) { FParams3D.Assign(v); }
  const TDDSDParams3D& Params3D() const { return FParams3D; }
  bool IsStream() const { return FIsStream; }
  bool Is3D() const { return false; }
  // A streaming wave going away takes its buffer from the channel.
  void DetachStream(TDDSDGenWave* wav);
  uint32_t SrcFreq() const { return FSrcFreq; }
  int32_t Pan() const { return FPan; }
  double FreqRate() const { return FFreqRate; }
  plat::SoundBuffer* Buffer() const { return FSoundBuffer.get(); }

 private:
  void StartPlay(bool Zero_f, bool loop);
  std::shared_ptr<plat::SoundBuffer> FSoundBuffer;
  TDDSD* FOwner;
  int32_t FPan = 0;
  uint32_t FSrcFreq = 0;
  double FFreqRate = 1.0;
  int32_t FVolume = 100;
  TDDSDGenWave* FWaveData = nullptr;
  TDDSDParams3D FParams3D;
  bool FIsStream = false;
};

// ---- the component --------------------------------------------------------------
class TDDSD {
 public:
  // ChannelCount 8, StickyFocus on, Use3D off, every debug option on.
  TDDSD();
  ~TDDSD();
  TDDSD(const TDDSD&) = delete;
  TDDSD& operator=(const TDDSD&) = delete;

  // After the properties are set: applies the debug options, then initialises.
  void Loaded();
  // Makes the channels and opens the device (through plat::OpenAudioDevice);
  // false, with no message, when there is no device.
  bool forceInitialize();
  // The channel 0..ChannelCount-1; any other index is reported and gives null.
  TDDSDChannel* GetChannels(int32_t iCh);
  TDDSDChannel* operator[](int32_t iCh) { return GetChannels(iCh); }
  void SetDebugOption(TDDSDDebugOption v);
  TDDSDDebugOption DebugOption() const { return FDebugOption; }
  bool Initialized() const { return FInitialized; }
  plat::SoundMixer* Mixer() { return FInitialized ? mixer_.get() : nullptr; }
  TDDSDListener* Listener() { return FListener.get(); }
  uint32_t Channels() const { return uint32_t(FChannels.size()); }

  uint32_t ChannelCount = 8;
  bool StickyFocus = true;
  bool Use3D = false;

 private:
  void FreeChannels();
  std::shared_ptr<plat::SoundMixer> mixer_;
  std::unique_ptr<plat::AudioDevice> device_;
  std::vector<std::unique_ptr<TDDSDChannel>> FChannels;
  bool FInitialized = false;
  std::unique_ptr<TDDSDListener> FListener;
  TDDSDDebugOption FDebugOption = dsoAll;
};
