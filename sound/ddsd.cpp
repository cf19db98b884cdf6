#include "sound/ddsd.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "platform/DebugLog.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "sound/WaveFile.h"

bool DDSD_HaltOnError = true;
bool DDSD_DebugMessage = true;
bool DDSD_ExceptOnError = true;
int32_t DDSD_DebugCount = 0;

namespace {

// The failure path may run on a notify thread, also while the process runs
// its exit handlers: what it uses is never destroyed.
std::mutex& LogMutex() {
  static auto* m = new std::mutex;
  return *m;
}

std::function<void(const std::string&)>& HaltHandler() {
  static auto* h = new std::function<void(const std::string&)>;
  return *h;
}

std::string& LogFolder() {
  static auto* f = new std::string;
  return *f;
}


// "チャンネル番号%dは無効です、%d～%dの範囲で指定してください"
const char* const kBadChannel =
    "\x83`\x83\x83\x83\x93\x83l\x83\x8B\x94\xD4\x8D\x86%d\x82\xCD\x96\xB3\x8C\xF8\x82\xC5\x82\xB7"
    "\x81" "A%d\x81`%d\x82\xCC\x94\xCD\x88\xCD\x82\xC5\x8Ew\x92\xE8\x82\xB5\x82\xC4\x82\xAD\x82\xBE"
    "\x82\xB3\x82\xA2";
// "setWaveData サウンドバッファの複製に失敗しました"
const char* const kDuplicateFailed =
    "setWaveData \x83T\x83" "E\x83\x93\x83h\x83o\x83" "b\x83t\x83@\x82\xCC\x95\xA1\x90\xBB\x82\xC9"
    "\x8E\xB8\x94s\x82\xB5\x82\xDC\x82\xB5\x82\xBD";
// "DirectSoundBufferのロックに失敗しました"
const char* const kLockFailed =
    "DirectSoundBuffer\x82\xCC\x83\x8D\x83" "b\x83N\x82\xC9\x8E\xB8\x94s\x82\xB5\x82\xDC\x82\xB5"
    "\x82\xBD";
// "が、見つかりません"
const char* const kNotFound = "\x82\xAA\x81" "A\x8C\xA9\x82\xC2\x82\xA9\x82\xE8\x82\xDC\x82\xB9\x82\xF1";
// "は、WAVEファイルではありません"
const char* const kNotWave =
    "\x82\xCD\x81" "AWAVE\x83t\x83@\x83" "C\x83\x8B\x82\xC5\x82\xCD\x82\xA0\x82\xE8\x82\xDC\x82\xB9"
    "\x82\xF1";
// "には、fmtチャンクが有りません"
const char* const kNoFmt =
    "\x82\xC9\x82\xCD\x81" "Afmt\x83`\x83\x83\x83\x93\x83N\x82\xAA\x97L\x82\xE8\x82\xDC\x82\xB9"
    "\x82\xF1";
// "のfmtチャンクが不正です"
const char* const kBadFmt =
    "\x82\xCC" "fmt\x83`\x83\x83\x83\x93\x83N\x82\xAA\x95s\x90\xB3\x82\xC5\x82\xB7";
// "には、dataチャンクが有りません"
const char* const kNoData =
    "\x82\xC9\x82\xCD\x81" "Adata\x83`\x83\x83\x83\x93\x83N\x82\xAA\x97L\x82\xE8\x82\xDC\x82\xB9"
    "\x82\xF1";
// "サウンドバッファの作成に失敗しました"
const char* const kCreateFailed =
    "\x83T\x83" "E\x83\x93\x83h\x83o\x83" "b\x83t\x83@\x82\xCC\x8D\xEC\x90\xAC\x82\xC9\x8E\xB8\x94s"
    "\x82\xB5\x82\xDC\x82\xB5\x82\xBD";
// "LoadWAV中に、サウンドバッファのロックが失敗しました"
const char* const kLoadLockFailed =
    "LoadWAV\x92\x86\x82\xC9\x81" "A\x83T\x83" "E\x83\x93\x83h\x83o\x83" "b\x83t\x83@\x82\xCC\x83"
    "\x8D\x83" "b\x83N\x82\xAA\x8E\xB8\x94s\x82\xB5\x82\xDC\x82\xB5\x82\xBD";

}  // namespace

namespace ddsd {

void PutDebugMessage(const std::string& mes) {
  if (DDSD_DebugMessage) {
    std::lock_guard<std::mutex> g(LogMutex());
    plat::AppendDebugLine(LogFolder(), "ddsd.debug", DDSD_DebugCount, "debug#%.5d ... ", mes);
  }
  if (DDSD_ExceptOnError) throw EDDSD(mes);
}

int32_t TRYDS(int32_t err, const std::string& failMes) {
  if (err == 0) return 0;
  const std::string line = failMes + plat::ErrorCodeText(uint32_t(err), true);
  PutDebugMessage(line);
  if (DDSD_HaltOnError) plat::HaltWith(HaltHandler(), line);
  return err;
}

void SetHaltHandler(std::function<void(const std::string&)> handler) {
  HaltHandler() = std::move(handler);
}

void SetLogFolder(const std::string& hostFolder) { LogFolder() = hostFolder; }

}  // namespace ddsd

int32_t VolP100_to_dB(int32_t VolP100) {
  if (VolP100 <= 0) return VOLZERO;
  if (VolP100 >= 100) return 0;
  // log10(v) - 2 keeps whole powers of ten exact (1 % is -4000 exactly).
  return int32_t(std::trunc((std::log10(double(VolP100)) - 2.0) * 2000.0));
}

// ---- waves ----------------------------------------------------------------------

TDDSDGenWave::TDDSDGenWave(TDDSD* Owner, const std::string& fname, bool /*is3D*/)
    : FOwner(Owner) {
  if (!FOwner || !FOwner->Initialized()) return;
  std::string unread;
  auto bytes = plat::ReadFile(fname, SIZE_MAX, &unread);
  if (!bytes) {
    plat::ReportFileProblem(fname, unread + "; it stays silent");
    ddsd::PutDebugMessage(fname + kNotFound);
    return;
  }
  WaveFileData wav;
  switch (ParseWaveFile(*bytes, wav)) {
    case WaveFileError::None:
      break;
    case WaveFileError::NotWave:
      ddsd::PutDebugMessage(fname + kNotWave);
      return;
    case WaveFileError::NoFmt:
      ddsd::PutDebugMessage(fname + kNoFmt);
      return;
    case WaveFileError::BadFmt:
      ddsd::PutDebugMessage(fname + kBadFmt);
      return;
    case WaveFileError::NoData:
      ddsd::PutDebugMessage(fname + kNoData);
      return;
  }
  FWaveFormat = wav.format;
  auto buf = FOwner->Mixer()->CreateBuffer(wav.format, wav.dataSize);
  if (!buf) {
    ddsd::TRYDS(DSERR_BADFORMAT, kCreateFailed);
    return;
  }
  FSoundBuffer = std::move(buf);
  FLength = FSoundBuffer->Size();
  if (!wav.data.empty() &&
      !FSoundBuffer->Write(0, wav.data.data(), uint32_t(std::min<size_t>(wav.data.size(), FLength))))
    ddsd::TRYDS(DSERR_INVALIDPARAM, kLoadLockFailed);
  FSoundBuffer->SetFrequency(wav.format.samplesPerSec);
}

TDDSDGenWave::TDDSDGenWave(TDDSD* Owner, uint32_t freq, uint32_t bps, bool isStereo,
                           uint32_t length, bool isStream)
    : FOwner(Owner) {
  CreateEmptyBuffer(freq, bps, isStereo, length, isStream);
}

TDDSDGenWave::TDDSDGenWave(TDDSD* Owner, uint32_t freq, uint32_t bps, bool isStereo,
                           std::vector<uint8_t> pcm)
    : FWaveFormat(plat::PcmFormat::Make(freq, uint16_t(bps), isStereo)), FOwner(Owner) {
  if (!FOwner || !FOwner->Initialized()) return;
  auto buf = FOwner->Mixer()->CreateBuffer(FWaveFormat, std::move(pcm));
  if (!buf) {
    ddsd::TRYDS(DSERR_INVALIDPARAM, kCreateFailed);
    return;
  }
  FSoundBuffer = std::move(buf);
  FLength = FSoundBuffer->Size();
}

void TDDSDGenWave::CreateEmptyBuffer(uint32_t freq, uint32_t bps, bool isStereo, uint32_t length,
                                     bool isStream) {
  FWaveFormat = plat::PcmFormat::Make(freq, uint16_t(bps), isStereo);
  FIsStream = isStream;
  if (!FOwner || !FOwner->Initialized()) return;
  auto buf = FOwner->Mixer()->CreateBuffer(FWaveFormat, length);
  if (!buf) {
    ddsd::TRYDS(DSERR_INVALIDPARAM, kCreateFailed);
    return;
  }
  FSoundBuffer = std::move(buf);
  FLength = FSoundBuffer->Size();
  if (isStream) {
    FHalfPos = FLength / 2;
    FSoundBuffer->SetNotify({{0, &FEvent[0]},
                             {FHalfPos, &FEvent[1]},
                             {plat::SoundBuffer::kNotifyStop, &FEvent[2]}});
    FNotifyThread = std::make_unique<TDDSDNotifyThread>(this);
  }
}

TDDSDGenWave::~TDDSDGenWave() {
  // The thread ends before the buffer it refills goes away, and a channel
  // that still holds the buffer no longer reaches this wave's events.
  FNotifyThread.reset();
  if (TDDSDChannel* p = FPlayer.exchange(nullptr)) p->DetachStream(this);
  if (FSoundBuffer && FIsStream) {
    FSoundBuffer->SetNotify({});
    FSoundBuffer->Stop();
  }
  FSoundBuffer.reset();
}

void TDDSDGenWave::BlockCopy(uint32_t offset, const void* src, uint32_t length) {
  if (!FOwner || !FOwner->Initialized() || !FSoundBuffer) return;
  if (length == 0) return;
  if (!FSoundBuffer->Write(offset, src, length)) ddsd::TRYDS(DSERR_INVALIDPARAM, kLockFailed);
}

void TDDSDGenWave::SetOnUpdate(TUpdateEvent ev) {
  std::lock_guard<std::mutex> g(updateMu_);
  FOnUpdate = std::move(ev);
}

void TDDSDGenWave::Sync(bool IsTop) {
  std::lock_guard<std::mutex> g(updateMu_);
  ++refills_;
  if (!FOnUpdate) return;
  if (IsTop) FOnUpdate(this, FPlayer.load(), FHalfPos, FLength - FHalfPos);
  else FOnUpdate(this, FPlayer.load(), 0, FHalfPos);
}

std::unique_ptr<TDDSDWaveData> TDDSDWaveData::CreateBuffer(TDDSD* Owner, uint32_t freq,
                                                           uint32_t bps, bool isStereo,
                                                           uint32_t length) {
  return std::unique_ptr<TDDSDWaveData>(new TDDSDWaveData(Owner, freq, bps, isStereo, length, false));
}

std::unique_ptr<TDDSDWaveData> TDDSDWaveData::CreateBuffer(TDDSD* Owner, uint32_t freq,
                                                           uint32_t bps, bool isStereo,
                                                           std::vector<uint8_t> pcm) {
  return std::unique_ptr<TDDSDWaveData>(new TDDSDWaveData(Owner, freq, bps, isStereo, std::move(pcm)));
}

std::unique_ptr<TDDSDWaveData> TDDSDWaveData::CreateStream(TDDSD* Owner, uint32_t freq,
                                                           uint32_t bps, bool isStereo,
                                                           uint32_t length) {
  return std::unique_ptr<TDDSDWaveData>(new TDDSDWaveData(Owner, freq, bps, isStereo, length, true));
}

// ---- notify thread ------------------------------------------------------------

TDDSDNotifyThread::TDDSDNotifyThread(TDDSDGenWave* owner) : FOwner(owner) {
  thread_ = std::thread([this] { Execute(); });
}

TDDSDNotifyThread::~TDDSDNotifyThread() {
  terminated_ = true;
  if (thread_.joinable()) thread_.join();
}

void TDDSDNotifyThread::Execute() {
  plat::SoundEvent* ev[3] = {&FOwner->FEvent[0], &FOwner->FEvent[1], &FOwner->FEvent[2]};
  while (!terminated_) {
    const int i = plat::SoundEvent::WaitAny(ev, 3, 100);
    if (i >= 0 && !terminated_) Handle(i);
  }
}

void TDDSDNotifyThread::Handle(int event) {
  plat::SoundBuffer* b = FOwner->Buffer();
  if (!b) return;
  uint32_t play = 0, write = 0;
  switch (event) {
    case 0:  // the first half is playing: refill the second
      b->GetPosition(&play, &write);
      if (write > FOwner->FHalfPos) return;
      if (flg) {
        FOwner->Sync(true);
        flg = false;
      }
      break;
    case 1:  // the second half is playing: refill the first
      b->GetPosition(&play, &write);
      if (write < FOwner->FHalfPos) return;
      if (!flg) {
        FOwner->Sync(false);
        flg = true;
      }
      break;
    case 2:  // stopped: the next start expects the top notification
      flg = true;
      break;
    default:
      break;
  }
}

// ---- channels -------------------------------------------------------------------

TDDSDChannel::TDDSDChannel(TDDSD* Owner) : FOwner(Owner) {}

TDDSDChannel::~TDDSDChannel() {
  if (FSoundBuffer) FSoundBuffer->Stop();
  if (FIsStream && FWaveData && FWaveData->FPlayer.load() == this) FWaveData->FPlayer = nullptr;
}

void TDDSDChannel::DetachStream(TDDSDGenWave* wav) {
  if (!FIsStream || FWaveData != wav) return;
  if (FSoundBuffer) FSoundBuffer->Stop();
  FSoundBuffer.reset();
  FWaveData = nullptr;
  FIsStream = false;
}

void TDDSDChannel::setWaveData(TDDSDGenWave* wav) {
  if (!FOwner || !FOwner->Initialized()) return;
  if (FIsStream) {
    if (wav == FWaveData) return;
    // The streaming wave owns its buffer; the channel only lets go of it.
    if (FSoundBuffer) FSoundBuffer->Stop();
    if (FWaveData && FWaveData->FPlayer.load() == this) FWaveData->FPlayer = nullptr;
    FSoundBuffer.reset();
  } else if (FSoundBuffer) {
    FSoundBuffer->Stop();
    FSoundBuffer.reset();
  }
  FIsStream = false;
  if (!wav) {
    FWaveData = nullptr;
    return;
  }
  if (wav->IsStream()) {
    FSoundBuffer = wav->FSoundBuffer;
    wav->FPlayer = this;
  } else if (wav->FSoundBuffer) {
    FSoundBuffer = FOwner->Mixer()->Duplicate(*wav->FSoundBuffer);
    if (FSoundBuffer) FSoundBuffer->SetFrequency(wav->FSoundBuffer->Frequency());
  }
  if (!FSoundBuffer && !wav->IsStream()) {
    FWaveData = wav;
    ddsd::TRYDS(DSERR_INVALIDPARAM, kDuplicateFailed);
    return;
  }
  FIsStream = wav->IsStream();
  FSrcFreq = wav->WaveFormat().samplesPerSec;
  FWaveData = wav;
}

void TDDSDChannel::StartPlay(bool Zero_f, bool loop) {
  if (!FSoundBuffer) return;
  FSoundBuffer->Stop();
  if (Zero_f) FSoundBuffer->SetPosition(0);
  FSoundBuffer->Play(loop);
}

void TDDSDChannel::Play(bool Zero_f) { StartPlay(Zero_f, false); }
void TDDSDChannel::LoopPlay(bool Zero_f) { StartPlay(Zero_f, true); }

void TDDSDChannel::Stop() {
  if (FSoundBuffer) FSoundBuffer->Stop();
}

void TDDSDChannel::setVolume(int32_t v) {
  if (!FSoundBuffer) return;
  FVolume = std::clamp<int32_t>(v, 0, 100);
  FSoundBuffer->SetVolume(VolP100_to_dB(FVolume));
}

uint32_t TDDSDChannel::Status() const { return FSoundBuffer ? FSoundBuffer->Status() : 0; }

void TDDSDChannel::setPlayPosition(uint32_t pos) {
  if (FSoundBuffer) FSoundBuffer->SetPosition(pos);
}

// ---- component ------------------------------------------------------------------

TDDSD::TDDSD() = default;

TDDSD::~TDDSD() {
  FreeChannels();
  FListener.reset();
  if (device_) device_->Close();
  device_.reset();
  mixer_.reset();
}

void TDDSD::FreeChannels() { FChannels.clear(); }

void TDDSD::Loaded() {
  SetDebugOption(FDebugOption);
  forceInitialize();
}

bool TDDSD::forceInitialize() {
  FreeChannels();
  if (device_) device_->Close();
  device_.reset();
  const uint32_t n = ChannelCount < 1 ? 1 : ChannelCount;
  FChannels.reserve(n);
  for (uint32_t i = 0; i < n; ++i) FChannels.push_back(std::make_unique<TDDSDChannel>(this));
  mixer_ = plat::SoundMixer::Make();
  device_ = plat::OpenAudioDevice();
  if (!device_ || !device_->Start(*mixer_)) {
    device_.reset();
    FInitialized = false;
    return false;
  }
  FInitialized = true;
  if (Use3D) FListener = std::make_unique<TDDSDListener>();
  return true;
}

TDDSDChannel* TDDSD::GetChannels(int32_t iCh) {
  if (iCh >= 0 && size_t(iCh) < FChannels.size()) return FChannels[size_t(iCh)].get();
  char text[256];
  std::snprintf(text, sizeof text, kBadChannel, int(iCh), 0, int(FChannels.size()) - 1);
  ddsd::PutDebugMessage(text);
  if (DDSD_HaltOnError) plat::HaltWith(HaltHandler(), text);
  return nullptr;
}

void TDDSD::SetDebugOption(TDDSDDebugOption v) {
  FDebugOption = v;
  DDSD_HaltOnError = (v & dsoHaltOnError) != 0;
  DDSD_DebugMessage = (v & dsoDebugMessage) != 0;
  DDSD_ExceptOnError = (v & dsoExceptOnError) != 0;
}
