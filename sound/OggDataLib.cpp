#include "sound/OggDataLib.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <exception>
#include <system_error>
#include <thread>
#include <utility>

#include "files/Streams.h"
#include "platform/Files.h"
#include "platform/SjisText.h"
#include "sound/OggDataLib2.h"
#include "sound/OggDdsdLib2.h"
#include "sound/OggWuvorbisLib.h"

// ---- stream player ----------------------------------------------------------------

namespace OggDataLib {

namespace {
void WaitRendering(const std::atomic<bool>& busy) {
  while (busy.load()) std::this_thread::yield();
}
}  // namespace

TOggData::TOggData(TDDSD* tDDSD, int32_t tCh, int32_t BufSize)
    : DDSD(tDDSD),
      FDSCh(tCh),
      FDSWavLen(uint32_t(BufSize > 0 ? BufSize : 1) * DEFLEN),
      FWaveBuffer(FDSWavLen, 0),
      FSource(std::make_unique<OggDataLib2::TOggData>(int32_t(DEFLEN))) {
  Init();
  FDSWav = TDDSDWaveData::CreateStream(DDSD, 44100, 16, true, FDSWavLen);
  FDSWav->SetOnUpdate([this](TDDSDGenWave* s, TDDSDChannel* p, uint32_t ofs, uint32_t len) {
    UpdateWav(s, p, ofs, len);
  });
  if (TDDSDChannel* ch = DDSD ? DDSD->GetChannels(FDSCh) : nullptr) {
    ch->setWaveData(FDSWav.get());
    ch->setPlayPosition(0);
  }
}

TOggData::~TOggData() {
  Init();
  WaitRendering(FRendering_f);
  if (TDDSDChannel* ch = DDSD ? DDSD->GetChannels(FDSCh) : nullptr) {
    ch->Stop();
    ch->setWaveData(nullptr);
  }
  FDSWav.reset();  // ends the notify thread, then releases the buffer
}

void TOggData::Init() {
  FLoaded_f = false;
  FIntro_f = false;
  FIntroPlayed_f = false;
  FFirstRender_f = false;
  FLoadFormat = lfWav;
  WaitRendering(FRendering_f);
  Pause();
  UserComment.clear();
  std::fill(FWaveBuffer.begin(), FWaveBuffer.end(), 0);
}

void TOggData::UpdateWav(TDDSDGenWave* /*Sender*/, TDDSDChannel* /*Player*/, uint32_t ofs,
                         uint32_t len) {
  Rendering(false);
  len = std::min(len, FDSWavLen - FWaveBufferPos);
  if (FDSWav) FDSWav->BlockCopy(ofs, FWaveBuffer.data() + FWaveBufferPos, len);
}

int32_t TOggData::Rendering(bool First_f) {
  if (!First_f && !FPlay_f) return 0;
  FRendering_f = true;
  const uint32_t half = FDSWavLen / 2;
  FWaveBufferPos = FWaveBufferPos == 0 ? half : 0;
  const int32_t r = FSource->RenderingToPointer(FWaveBuffer.data() + FWaveBufferPos, int32_t(half));
  FRendering_f = false;
  return r;
}

void TOggData::Stop() {
  if (!FLoaded_f) return;
  FPlay_f = false;
  if (TDDSDChannel* ch = DDSD ? DDSD->GetChannels(FDSCh) : nullptr) ch->Stop();
}

void TOggData::Pause() {
  if (!FLoaded_f) return;
  FPlay_f = false;
  if (TDDSDChannel* ch = DDSD ? DDSD->GetChannels(FDSCh) : nullptr) ch->Stop();
}

void TOggData::SetVolume(int32_t tVol) {
  if (!FLoaded_f) return;
  if (TDDSDChannel* ch = DDSD ? DDSD->GetChannels(FDSCh) : nullptr) ch->setVolume(tVol);
}

}  // namespace OggDataLib

// ---- controller -------------------------------------------------------------------

TOggDataCtrl::TOggDataCtrl(TDDSD* tDDSD, int /*BufSize*/, bool Debug)
    : DDSD(tDDSD), Debug_f_(Debug) {
  JglVol = DEFJGLVOL;
  SEVol = DEFSEVOL;
  if (!DDSD) return;
  VorbisfileInitialize(kWuvorbisPath);  // an incomplete binding makes Ogg files undecodable
  OggDt[0] = std::make_unique<OggDataLib::TOggData>(DDSD, 0, 100);
  OggDt[1] = std::make_unique<OggDataLib::TOggData>(DDSD, 1, 100);
  Load(true, true);
}

TOggDataCtrl::~TOggDataCtrl() {
  OggDt[0].reset();
  OggDt[1].reset();
  for (auto& w : SEDt) w.reset();
  for (auto& w : JglDt) w.reset();
  if (DDSD) VorbisfileFinalize();
}

namespace {

// One numbered sound file: an Ogg file is read, then decoded by DecodeOggFiles;
// a WAVE file is loaded by the sound component when it is attached.
struct SoundFile {
  std::string path;
  bool ogg = false;
  TMemoryStream bytes;
  std::vector<uint8_t> pcm;
  std::exception_ptr failure;  // what decoding raised
  std::string problem;         // why the sound is silent in part or whole
};

std::string NumberedName(const char* prefix, int i) {
  char num[16];
  std::snprintf(num, sizeof num, "%0*d", TOggDataCtrl::DEFKETA, i);
  return prefix + std::string(num);
}

// The highest number of a file prefixNNN.ogg or .wav in the folder; -1 if none.
int HighestNumberIn(const std::string& folder, const std::string& prefix) {
  int highest = -1;
  const size_t digits = size_t(TOggDataCtrl::DEFKETA);
  for (const char* ext : {".ogg", ".wav"})
    for (std::string name : plat::ListFiles(folder, ext)) {
      for (char& c : name) c = char(std::tolower(static_cast<unsigned char>(c)));
      if (name.size() != prefix.size() + digits + 4 || name.compare(0, prefix.size(), prefix) != 0)
        continue;
      const std::string num = name.substr(prefix.size(), digits);
      if (std::all_of(num.begin(), num.end(), [](char c) { return c >= '0' && c <= '9'; }))
        highest = std::max(highest, std::stoi(num));
    }
  return std::min(highest, TOggDataCtrl::SLOTS - 1);
}

// Why the number with this file stem has no sound, naming what stands under
// its name when that cannot be read (a folder, say): the ".ogg" unless it is
// simply missing, then the ".wav". Otherwise the ".ogg" is named as missing.
std::pair<std::string, std::string> WhyNoSoundFile(const std::string& stem) {
  const std::string ogg = stem + ".ogg", wav = stem + ".wav";
  for (const std::string& path : {ogg, wav}) {
    std::string why = plat::ReadProblem(path);
    if (why.empty()) break;  // a file is there, left out past a gap
    if (why != "missing") return {path, why};
  }
  return {ogg, "missing"};
}

// The files se000, se001, ... (or bgm000, ...) of a folder, ending at the first
// number with neither a ".wav" nor an ".ogg" file; ".ogg" wins. When files of
// higher numbers are there, the set was meant to go on: the missing one is
// named, since every sound from it on stays silent.
std::vector<SoundFile> FindSoundFiles(const char* folder, const char* prefix) {
  const std::string base = plat::ProgramFolder() + folder;
  std::vector<SoundFile> files;
  for (int i = 0; i < TOggDataCtrl::SLOTS; ++i) {
    const std::string stem = base + NumberedName(prefix, i);
    SoundFile f;
    f.ogg = plat::FileExists(stem + ".ogg");
    if (!f.ogg && !plat::FileExists(stem + ".wav")) {
      if (const int later = HighestNumberIn(base, prefix); later > i) {
        const auto [path, why] = WhyNoSoundFile(stem);
        plat::ReportFileProblem(path, why + "; numbers " + std::to_string(i) + " to " +
                                          std::to_string(later) + " stay silent");
      }
      break;
    }
    f.path = stem + (f.ogg ? ".ogg" : ".wav");
    files.push_back(std::move(f));
  }
  return files;
}

void Decode(SoundFile& f) {
  try {
    f.pcm = OggToPcm(f.bytes, &f.problem);
  } catch (...) {
    f.failure = std::current_exception();
  }
  f.bytes.Clear();
}

// Decodes every Ogg file of the lists, spread over the processor's cores. Each
// decoding has its own decoder and stream, and the library keeps no state
// between streams, so they run side by side. The largest go first, and no
// more threads start than keep the largest file the longest road: more would
// only contend for memory without ending sooner. A file that cannot be read
// stays without sound, as a missing one does.
void DecodeOggFiles(std::initializer_list<std::vector<SoundFile>*> lists) {
  std::vector<SoundFile*> work;
  for (auto* list : lists)
    for (SoundFile& f : *list) {
      if (!f.ogg) continue;
      std::string unread;
      if (auto bytes = plat::ReadFile(f.path, SIZE_MAX, &unread)) {
        f.bytes = TMemoryStream(std::move(*bytes));
        work.push_back(&f);
      } else {
        f.problem = unread + "; it stays silent";
      }
    }
  std::sort(work.begin(), work.end(),
            [](const SoundFile* a, const SoundFile* b) { return a->bytes.Size() > b->bytes.Size(); });
  std::atomic<size_t> next{0};
  auto worker = [&] {
    for (size_t i; (i = next++) < work.size();) Decode(*work[i]);
  };
  size_t total = 0;
  for (const SoundFile* f : work) total += size_t(f->bytes.Size());
  const size_t largest = work.empty() ? 1 : std::max<size_t>(1, size_t(work.front()->bytes.Size()));
  const size_t threads = std::min<size_t>({work.size(), std::max(1u, std::thread::hardware_concurrency()),
                                           (total + largest - 1) / largest});
  std::vector<std::thread> helpers;
  for (size_t k = 1; k < threads; ++k) {
    try {
      helpers.emplace_back(worker);
    } catch (const std::system_error&) {
      break;  // fewer threads only take longer
    }
  }
  worker();
  for (auto& t : helpers) t.join();
}

// The text of a failure the sound code raised (its messages are Shift-JIS).
std::string FailureText(const std::exception_ptr& failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const std::exception& e) {
    return plat::SjisToUtf8(e.what());
  } catch (...) {
    return "unknown failure";
  }
}

// Makes the buffers in number order on this thread and attaches each to its
// channel; the first file that failed to decode raises its failure here. Every
// file that fails, or stays silent in part, is named on stderr.
int Attach(TDDSD* ds, std::vector<SoundFile>& files, int firstCh,
           std::unique_ptr<TDDSDWaveData> (&slots)[TOggDataCtrl::SLOTS]) {
  for (size_t i = 0; i < files.size(); ++i) {
    SoundFile& f = files[i];
    if (!f.failure && !f.ogg) {
      try {
        slots[i] = std::make_unique<TDDSDWaveData>(ds, f.path);
      } catch (...) {
        f.failure = std::current_exception();
      }
    }
    if (f.failure) {
      plat::ReportFileProblem(f.path, "cannot be decoded: " + FailureText(f.failure));
      std::rethrow_exception(f.failure);
    }
    if (!f.problem.empty()) plat::ReportFileProblem(f.path, f.problem);
    if (f.ogg && !f.pcm.empty()) slots[i] = PcmToWaveData(ds, std::move(f.pcm));
    if (TDDSDChannel* ch = ds->GetChannels(firstCh + int(i))) ch->setWaveData(slots[i].get());
  }
  return int(files.size()) - 1;
}

}  // namespace

// The Ogg files of the effects and of the jingles decode together.
void TOggDataCtrl::Load(bool se, bool jgl) {
  std::vector<SoundFile> seFiles, jglFiles;
  if (se) seFiles = FindSoundFiles("data\\wav\\se\\", "se");
  if (jgl) jglFiles = FindSoundFiles("data\\wav\\bgm\\", "bgm");
  DecodeOggFiles({&seFiles, &jglFiles});
  if (se) SENum = Attach(DDSD, seFiles, SECHNO, SEDt);
  if (jgl) JglNum = Attach(DDSD, jglFiles, JGLCHNO, JglDt);
}

int TOggDataCtrl::LoadSE() {
  SENum = -1;
  if (DDSD) Load(true, false);
  return SENum;
}

int TOggDataCtrl::LoadJGL() {
  JglNum = -1;
  if (DDSD) Load(false, true);
  return JglNum;
}

TDDSDChannel* TOggDataCtrl::Ch(int i) { return DDSD ? DDSD->GetChannels(i) : nullptr; }

// A set ends at its first missing number, so a sound past it stays silent.
// The first time the game asks for such a number, the file it would have come
// from is named (the last file of a set has no later one to give it away at
// loading). Without a sound device nothing was loaded and nothing is missing.
void TOggDataCtrl::NameUnloaded(bool jingle, int No) {
  if (!DDSD || No < 0 || No >= SLOTS || No <= (jingle ? JglNum : SENum)) return;
  auto& named = jingle ? JglNamed_ : SENamed_;
  if (named.test(size_t(No))) return;
  named.set(size_t(No));
  const char* folder = jingle ? "data\\wav\\bgm\\" : "data\\wav\\se\\";
  const auto [path, why] =
      WhyNoSoundFile(plat::ProgramFolder() + folder + NumberedName(jingle ? "bgm" : "se", No));
  plat::ReportFileProblem(path, why + "; " + (jingle ? "jingle " : "sound effect ") +
                                    std::to_string(No) + " is silent");
}

void TOggDataCtrl::SEPlay(int No) {
  NameUnloaded(false, No);
  if (TDDSDChannel* ch = Ch(SECHNO + No)) {
    ch->setVolume(SEVol);
    ch->Play(true);
  }
}

void TOggDataCtrl::SESet(int No) {
  NameUnloaded(false, No);
  if (No >= 0 && No < SLOTS) SERsv.set(size_t(No));
}

void TOggDataCtrl::IdleEvent() {
  if (SERsv.none()) return;
  for (int i = 0; i <= SENum && i < SLOTS; ++i) {
    if (!SERsv.test(size_t(i))) continue;
    if (TDDSDChannel* ch = Ch(SECHNO + i)) ch->Play(true);
  }
  SERsv.reset();
}

void TOggDataCtrl::StopFrom(int first) {
  if (!DDSD) return;
  for (int i = first; i < int(DDSD->Channels()); ++i)
    if (TDDSDChannel* ch = Ch(i)) ch->Stop();
}

void TOggDataCtrl::SEStop(int No) {
  if (No == -1) StopFrom(SECHNO);
  else if (TDDSDChannel* ch = Ch(SECHNO + No)) ch->Stop();
}

void TOggDataCtrl::JglLoopPlay(int No) {
  if (Debug_f_) return;  // the authoring build plays no music
  NameUnloaded(true, No);
  if (TDDSDChannel* ch = Ch(JGLCHNO + No)) {
    ch->setVolume(JglVol);
    ch->LoopPlay(true);
  }
}

void TOggDataCtrl::JglStop(int No) {
  if (No == -1) StopFrom(JGLCHNO);
  else if (TDDSDChannel* ch = Ch(JGLCHNO + No)) ch->Stop();
}

bool TOggDataCtrl::JglPlaying_f(int No) {
  if (!DDSD) return false;
  if (No != -1) {
    TDDSDChannel* ch = Ch(JGLCHNO + No);
    return ch && (ch->Status() & 1) != 0;
  }
  for (int i = JGLCHNO; i < int(DDSD->Channels()); ++i)
    if (TDDSDChannel* ch = Ch(i); ch && (ch->Status() & 1) != 0) return true;
  return false;
}

void TOggDataCtrl::BGMStop() {
  for (auto& p : OggDt)
    if (p) p->Stop();
}

void TOggDataCtrl::AllSoundStop() {
  BGMStop();
  JglStop(-1);
  SEStop(-1);
}

void TOggDataCtrl::HalfVol() {
  for (int i = 0; i <= JglNum; ++i)
    if (TDDSDChannel* ch = Ch(JGLCHNO + i)) ch->setVolume(JglVol / 2);
  for (int i = 0; i <= SENum; ++i)
    if (TDDSDChannel* ch = Ch(SECHNO + i)) ch->setVolume(SEVol / 2);
}

void TOggDataCtrl::NomalVol() {
  for (int i = 0; i <= JglNum; ++i)
    if (TDDSDChannel* ch = Ch(JGLCHNO + i)) ch->setVolume(JglVol);
  for (int i = 0; i <= SENum; ++i)
    if (TDDSDChannel* ch = Ch(SECHNO + i)) ch->setVolume(SEVol);
}

void TOggDataCtrl::SetDebugMessages(bool on) {
  if (!DDSD) return;
  TDDSDDebugOption o = DDSD->DebugOption();
  DDSD->SetDebugOption(on ? (o | dsoDebugMessage) : (o & ~dsoDebugMessage));
}

// ---- the game's sound ----------------------------------------------------------------

GameSoundComponent::GameSoundComponent() : component_(std::make_unique<TDDSD>()) {
  component_->ChannelCount = 1000;
  component_->SetDebugOption(dsoAll);
  component_->Loaded();
}

GameSound::GameSound(int BufSize, bool Debug)
    : GameSoundComponent(), TOggDataCtrl(component_.get(), BufSize, Debug) {}
