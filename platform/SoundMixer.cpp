#include "platform/SoundMixer.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstring>

namespace plat {

// --- formats and events --------------------------------------------------------

bool PcmFormat::Playable() const {
  if (formatTag != 1) return false;
  if (channels != 1 && channels != 2) return false;
  if (bitsPerSample != 8 && bitsPerSample != 16) return false;
  if (samplesPerSec < 100 || samplesPerSec > 200000) return false;
  return blockAlign == channels * bitsPerSample / 8;
}

PcmFormat PcmFormat::Make(uint32_t rate, uint16_t bits, bool stereo) {
  PcmFormat f;
  f.channels = stereo ? 2 : 1;
  f.samplesPerSec = rate;
  f.bitsPerSample = bits;
  f.blockAlign = uint16_t(bits * f.channels / 8);
  f.avgBytesPerSec = rate * f.blockAlign;
  return f;
}

namespace {
std::mutex& EventLock() {
  static auto* m = new std::mutex;
  return *m;
}
std::condition_variable& EventCondition() {
  static auto* c = new std::condition_variable;
  return *c;
}
}  // namespace

void SoundEvent::Set() {
  {
    std::lock_guard<std::mutex> g(EventLock());
    set_ = true;
  }
  EventCondition().notify_all();
}

bool SoundEvent::IsSet() {
  std::lock_guard<std::mutex> g(EventLock());
  return set_;
}

int SoundEvent::WaitAny(SoundEvent* const* events, int count, uint32_t timeoutMs) {
  std::unique_lock<std::mutex> g(EventLock());
  int taken = -1;
  auto any = [&] {
    for (int i = 0; i < count; ++i) {
      if (events[i] && events[i]->set_) {
        events[i]->set_ = false;  // auto-reset
        taken = i;
        return true;
      }
    }
    return false;
  };
  EventCondition().wait_for(g, std::chrono::milliseconds(timeoutMs), any);
  return taken;
}

// --- buffers -------------------------------------------------------------------

SoundBuffer::SoundBuffer(std::shared_ptr<SoundMixer> mixer, PcmFormat fmt,
                         std::shared_ptr<std::vector<uint8_t>> data)
    : mixer_(std::move(mixer)), format_(fmt), data_(std::move(data)) {}

uint32_t SoundBuffer::Size() const { return uint32_t(data_->size()); }

bool SoundBuffer::Write(uint32_t offset, const void* src, uint32_t length) {
  std::lock_guard<std::recursive_mutex> g(mixer_->mu_);
  const uint32_t size = Size();
  if (offset >= size || length > size) return false;
  const uint32_t first = std::min(length, size - offset);
  std::memcpy(data_->data() + offset, src, first);
  if (first < length) std::memcpy(data_->data(), static_cast<const uint8_t*>(src) + first, length - first);
  return true;
}

std::vector<uint8_t> SoundBuffer::Bytes() const {
  std::lock_guard<std::recursive_mutex> g(mixer_->mu_);
  return *data_;
}

void SoundBuffer::Play(bool loop) {
  std::lock_guard<std::recursive_mutex> g(mixer_->mu_);
  playing_ = true;
  looping_ = loop;
}

void SoundBuffer::Stop() {
  std::lock_guard<std::recursive_mutex> g(mixer_->mu_);
  if (playing_) {
    playing_ = false;
    looping_ = false;
    FireStop();
  }
}

void SoundBuffer::SetPosition(uint32_t pos) {
  std::lock_guard<std::recursive_mutex> g(mixer_->mu_);
  const uint32_t block = format_.blockAlign;
  pos_ = std::min(pos, Size()) / block * block;
  if (pos_ >= Size()) pos_ = 0;
  frac_ = 0;
}

void SoundBuffer::GetPosition(uint32_t* play, uint32_t* write) const {
  std::lock_guard<std::recursive_mutex> g(mixer_->mu_);
  if (play) *play = pos_;
  if (write) {
    // The write cursor runs about 10 ms ahead of the play cursor.
    uint32_t lead = format_.avgBytesPerSec / 100 / format_.blockAlign * format_.blockAlign;
    *write = Size() ? (pos_ + (playing_ ? lead : 0)) % Size() : 0;
  }
}

uint32_t SoundBuffer::Status() const {
  std::lock_guard<std::recursive_mutex> g(mixer_->mu_);
  return (playing_ ? kPlaying : 0) | (playing_ && looping_ ? kLooping : 0);
}

void SoundBuffer::SetVolume(int32_t v) {
  std::lock_guard<std::recursive_mutex> g(mixer_->mu_);
  volume_ = std::clamp<int32_t>(v, -10000, 0);
}

int32_t SoundBuffer::Volume() const {
  std::lock_guard<std::recursive_mutex> g(mixer_->mu_);
  return volume_;
}

void SoundBuffer::SetFrequency(uint32_t hz) {
  std::lock_guard<std::recursive_mutex> g(mixer_->mu_);
  freq_ = hz == 0 ? 0 : std::clamp<uint32_t>(hz, 100, 200000);
}

uint32_t SoundBuffer::Frequency() const {
  std::lock_guard<std::recursive_mutex> g(mixer_->mu_);
  return freq_ ? freq_ : format_.samplesPerSec;
}

void SoundBuffer::SetPan(int32_t pan) {
  std::lock_guard<std::recursive_mutex> g(mixer_->mu_);
  pan_ = std::clamp<int32_t>(pan, -10000, 10000);
}

void SoundBuffer::SetNotify(std::vector<std::pair<uint32_t, SoundEvent*>> positions) {
  std::lock_guard<std::recursive_mutex> g(mixer_->mu_);
  notify_ = std::move(positions);
}

void SoundBuffer::FireCrossed(uint32_t from, uint32_t to) {
  // Offsets in [from, to) were passed; when the cursor wrapped, to < from.
  for (auto& [off, ev] : notify_) {
    if (off == kNotifyStop || !ev) continue;
    bool hit = from <= to ? (off >= from && off < to) : (off >= from || off < to);
    if (hit) ev->Set();
  }
}

void SoundBuffer::FireStop() {
  for (auto& [off, ev] : notify_)
    if (off == kNotifyStop && ev) ev->Set();
}

void SoundBuffer::MixInto(float* acc, size_t frames) {
  const uint32_t size = Size();
  const uint32_t block = format_.blockAlign;
  if (!playing_ || size < block) return;
  const double gain = volume_ <= -10000 ? 0.0 : std::pow(10.0, volume_ / 2000.0);
  const float left = float(gain * (pan_ > 0 ? std::pow(10.0, -pan_ / 2000.0) : 1.0));
  const float right = float(gain * (pan_ < 0 ? std::pow(10.0, pan_ / 2000.0) : 1.0));
  const double step = double(freq_ ? freq_ : format_.samplesPerSec) / SoundMixer::kRate;
  const uint8_t* d = data_->data();
  const uint32_t framesInBuf = size / block;
  uint32_t frame = pos_ / block;
  const uint32_t startPos = pos_;
  for (size_t i = 0; i < frames; ++i) {
    float l, r;
    const uint8_t* p = d + size_t(frame) * block;
    if (format_.bitsPerSample == 16) {
      int16_t s0, s1;
      std::memcpy(&s0, p, 2);
      s1 = s0;
      if (format_.channels == 2) std::memcpy(&s1, p + 2, 2);
      l = s0, r = s1;
    } else {
      l = (int(p[0]) - 128) * 256.0f;
      r = format_.channels == 2 ? (int(p[1]) - 128) * 256.0f : l;
    }
    acc[2 * i] += l * left;
    acc[2 * i + 1] += r * right;
    frac_ += step;
    while (frac_ >= 1.0) {
      frac_ -= 1.0;
      if (++frame >= framesInBuf) {
        if (!looping_) {
          playing_ = false;
          pos_ = 0;
          frac_ = 0;
          FireCrossed(startPos, size);
          FireStop();
          return;
        }
        frame = 0;
      }
    }
  }
  pos_ = frame * block;
  if (pos_ != startPos) {
    FireCrossed(startPos, pos_);
  }
}

// --- mixer ---------------------------------------------------------------------

namespace {
constexpr uint32_t kMaxBufferBytes = 64u << 20;
}  // namespace

std::shared_ptr<SoundBuffer> SoundMixer::CreateBuffer(const PcmFormat& fmt, uint32_t bytes) {
  if (!fmt.Playable() || bytes == 0 || bytes > kMaxBufferBytes) return nullptr;
  return Register(fmt, std::make_shared<std::vector<uint8_t>>(bytes / fmt.blockAlign * fmt.blockAlign,
                                                              fmt.bitsPerSample == 8 ? 0x80 : 0));
}

std::shared_ptr<SoundBuffer> SoundMixer::CreateBuffer(const PcmFormat& fmt, std::vector<uint8_t> pcm) {
  if (!fmt.Playable() || pcm.size() > kMaxBufferBytes) return nullptr;
  pcm.resize(pcm.size() / fmt.blockAlign * fmt.blockAlign);
  return Register(fmt, std::make_shared<std::vector<uint8_t>>(std::move(pcm)));
}

std::shared_ptr<SoundBuffer> SoundMixer::Duplicate(const SoundBuffer& src) {
  return Register(src.format_, src.data_);
}

std::shared_ptr<SoundBuffer> SoundMixer::Register(const PcmFormat& fmt,
                                                  std::shared_ptr<std::vector<uint8_t>> data) {
  if (data->empty()) return nullptr;
  std::shared_ptr<SoundBuffer> b(new SoundBuffer(shared_from_this(), fmt, std::move(data)));
  std::lock_guard<std::recursive_mutex> g(mu_);
  std::erase_if(buffers_, [](const std::weak_ptr<SoundBuffer>& w) { return w.expired(); });
  buffers_.push_back(b);
  return b;
}

size_t SoundMixer::BufferCount() {
  std::lock_guard<std::recursive_mutex> g(mu_);
  std::erase_if(buffers_, [](const std::weak_ptr<SoundBuffer>& w) { return w.expired(); });
  return buffers_.size();
}

void SoundMixer::Mix(int16_t* out, size_t frames) {
  std::vector<std::shared_ptr<SoundBuffer>> live;
  std::lock_guard<std::recursive_mutex> g(mu_);
  acc_.assign(frames * 2, 0.0f);
  for (auto& w : buffers_)
    if (auto b = w.lock()) live.push_back(std::move(b));
  for (auto& b : live) b->MixInto(acc_.data(), frames);
  for (size_t i = 0; i < frames * 2; ++i)
    out[i] = int16_t(std::clamp(std::lround(acc_[i]), -32768L, 32767L));
}

// --- devices -------------------------------------------------------------------

namespace {

class SdlAudioDevice final : public AudioDevice {
 public:
  ~SdlAudioDevice() override { Close(); }
  bool Start(SoundMixer& mixer) override {
    Close();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    inited_ = true;
    mixer_ = &mixer;
    SDL_AudioSpec want{}, have{};
    want.freq = int(SoundMixer::kRate);
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = &SdlAudioDevice::Pull;
    want.userdata = this;
    dev_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (dev_ == 0) {
      Close();
      return false;
    }
    SDL_PauseAudioDevice(dev_, 0);
    return true;
  }
  void Close() override {
    if (dev_ != 0) SDL_CloseAudioDevice(dev_);
    dev_ = 0;
    if (inited_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    inited_ = false;
    mixer_ = nullptr;
  }

 private:
  static void Pull(void* self, Uint8* stream, int len) {
    auto* d = static_cast<SdlAudioDevice*>(self);
    d->mixer_->Mix(reinterpret_cast<int16_t*>(stream), size_t(len) / 4);
  }
  SoundMixer* mixer_ = nullptr;
  SDL_AudioDeviceID dev_ = 0;
  bool inited_ = false;
};

class NullAudioDevice final : public AudioDevice {
 public:
  bool Start(SoundMixer&) override { return true; }
  void Close() override {}
};

class MissingAudioDevice final : public AudioDevice {
 public:
  bool Start(SoundMixer&) override { return false; }
  void Close() override {}
};

AudioDeviceFactory& Factory() {
  static AudioDeviceFactory f;
  return f;
}

}  // namespace

std::unique_ptr<AudioDevice> MakeSdlAudioDevice() { return std::make_unique<SdlAudioDevice>(); }
std::unique_ptr<AudioDevice> MakeNullAudioDevice() { return std::make_unique<NullAudioDevice>(); }
std::unique_ptr<AudioDevice> MakeMissingAudioDevice() {
  return std::make_unique<MissingAudioDevice>();
}

void SetAudioDeviceFactory(AudioDeviceFactory factory) { Factory() = std::move(factory); }

std::unique_ptr<AudioDevice> OpenAudioDevice() {
  if (Factory()) return Factory()();
  return MakeSdlAudioDevice();
}

}  // namespace plat
