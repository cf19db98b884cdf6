// The sound device stand-in: secondary PCM buffers that play, loop, stop and
// report their position, with volume in hundredths of a decibel, notification
// events at byte offsets, and a mixer that sums every playing buffer into
// 44100 Hz 16-bit stereo.
//
// The mixer does not know where its output goes. An AudioDevice pulls from it:
// the SDL device from its audio thread, the null device never (tests pull by
// calling Mix themselves, so what plays is decided by the test, not by a
// sound card's timing).
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace plat {

// A PCM format as a wave file stores it.
struct PcmFormat {
  uint16_t formatTag = 1;  // 1 = PCM, the only one played
  uint16_t channels = 2;
  uint32_t samplesPerSec = 44100;
  uint32_t avgBytesPerSec = 176400;
  uint16_t blockAlign = 4;
  uint16_t bitsPerSample = 16;

  // Whether the mixer can play it: PCM, 1 or 2 channels, 8 or 16 bits, a rate
  // of 100..200000 Hz and a block size that matches.
  bool Playable() const;
  static PcmFormat Make(uint32_t rate, uint16_t bits, bool stereo);
};

// An auto-reset event: Set wakes one wait, then clears itself. All events
// share one lock and one condition, which are never destroyed: the notify
// threads may still wait on them while the process runs its exit handlers
// (exit() may come from any thread), and destroying a condition that a thread
// waits on would hang the exit.
class SoundEvent {
 public:
  void Set();
  bool IsSet();
  // Waits for any of the events; the index of the one taken, or -1 after
  // timeoutMs milliseconds with none set.
  static int WaitAny(SoundEvent* const* events, int count, uint32_t timeoutMs);

 private:
  bool set_ = false;
};

class SoundMixer;

// One secondary buffer. Duplicates share the PCM bytes and keep their own
// position, volume and playing state.
class SoundBuffer {
 public:
  static constexpr uint32_t kPlaying = 1;
  static constexpr uint32_t kLooping = 4;
  static constexpr uint32_t kNotifyStop = 0xFFFFFFFFu;  // notify when it stops

  uint32_t Size() const;
  const PcmFormat& Format() const { return format_; }
  // Copies bytes in at offset, wrapping at the end as a ring buffer does.
  // False when offset or length lie outside the buffer.
  bool Write(uint32_t offset, const void* src, uint32_t length);
  // Copies bytes out (tests and tools read what a buffer holds).
  std::vector<uint8_t> Bytes() const;
  void Play(bool loop);
  void Stop();
  void SetPosition(uint32_t pos);  // clamped into the buffer
  // The play cursor, and the write cursor a short lead ahead of it.
  void GetPosition(uint32_t* play, uint32_t* write) const;
  uint32_t Status() const;
  void SetVolume(int32_t hundredthsDb);  // -10000..0
  int32_t Volume() const;
  void SetFrequency(uint32_t hz);  // 0 = the format's own rate
  uint32_t Frequency() const;
  void SetPan(int32_t pan);  // -10000 (left) .. 10000 (right)
  // Events fired when the play cursor reaches each offset (or kNotifyStop).
  void SetNotify(std::vector<std::pair<uint32_t, SoundEvent*>> positions);

 private:
  friend class SoundMixer;
  SoundBuffer(std::shared_ptr<SoundMixer> mixer, PcmFormat fmt,
              std::shared_ptr<std::vector<uint8_t>> data);
  // Adds this buffer's next frames into acc (stereo, float); mixer lock held.
  void MixInto(float* acc, size_t frames);
  void FireCrossed(uint32_t from, uint32_t to);
  void FireStop();

  std::shared_ptr<SoundMixer> mixer_;  // buffers keep their mixer alive
  PcmFormat format_;
  std::shared_ptr<std::vector<uint8_t>> data_;
  uint32_t pos_ = 0;        // byte position of the play cursor
  double frac_ = 0;         // fraction of a source frame already played
  bool playing_ = false, looping_ = false;
  int32_t volume_ = 0, pan_ = 0;
  uint32_t freq_ = 0;
  std::vector<std::pair<uint32_t, SoundEvent*>> notify_;
};

class SoundMixer : public std::enable_shared_from_this<SoundMixer> {
 public:
  static constexpr uint32_t kRate = 44100;
  static std::shared_ptr<SoundMixer> Make() { return std::shared_ptr<SoundMixer>(new SoundMixer); }
  SoundMixer(const SoundMixer&) = delete;
  SoundMixer& operator=(const SoundMixer&) = delete;

  // A zeroed buffer of the format; null when the format cannot be played or
  // the size is 0 or above 64 MiB.
  std::shared_ptr<SoundBuffer> CreateBuffer(const PcmFormat& fmt, uint32_t bytes);
  // A buffer that takes the PCM bytes over instead of copying them (cut to
  // whole frames); null on the same terms.
  std::shared_ptr<SoundBuffer> CreateBuffer(const PcmFormat& fmt, std::vector<uint8_t> pcm);
  // A buffer sharing src's bytes, stopped, at position 0 and full volume.
  std::shared_ptr<SoundBuffer> Duplicate(const SoundBuffer& src);
  // Sums every playing buffer into frames of interleaved stereo samples.
  void Mix(int16_t* out, size_t frames);
  // Buffers alive now (the mixer keeps weak links only).
  size_t BufferCount();

 private:
  friend class SoundBuffer;
  SoundMixer() = default;
  std::shared_ptr<SoundBuffer> Register(const PcmFormat& fmt,
                                        std::shared_ptr<std::vector<uint8_t>> data);
  std::recursive_mutex mu_;
  std::vector<std::weak_ptr<SoundBuffer>> buffers_;
  std::vector<float> acc_;
};

// Where the mixed sound goes.
class AudioDevice {
 public:
  virtual ~AudioDevice() = default;
  // Starts pulling from the mixer; false when there is no device to play on.
  virtual bool Start(SoundMixer& mixer) = 0;
  virtual void Close() = 0;
};

// Plays through SDL's default audio output.
std::unique_ptr<AudioDevice> MakeSdlAudioDevice();
// Accepts everything and plays nothing; the mixer is pulled by hand.
std::unique_ptr<AudioDevice> MakeNullAudioDevice();
// A machine without sound: Start fails.
std::unique_ptr<AudioDevice> MakeMissingAudioDevice();

// The device the game opens; a test installs its own factory, an empty one
// restores SDL.
using AudioDeviceFactory = std::function<std::unique_ptr<AudioDevice>()>;
void SetAudioDeviceFactory(AudioDeviceFactory factory);
std::unique_ptr<AudioDevice> OpenAudioDevice();

}  // namespace plat
