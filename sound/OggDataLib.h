// The game's sound interface TOggDataCtrl: at start it binds the decoder
// library, finds every sound effect (data\wav\se\seNNN) and music file
// (data\wav\bgm\bgmNNN) of the game folder, decodes or loads each one whole
// into a static buffer and attaches it to a fixed channel of the sound
// component. After that the game plays sound only by number: effects at once
// (SEPlay) or at the end of the logic step (SESet, IdleEvent), music as looped
// jingles. Channel plan: 0 and 1 the stream players, 256 + i effect i,
// 512 + i jingle i.
//
// Made without a component, the controller loads nothing and stays silent
// (tests that only watch requests use it so). Its operations are virtual so
// tests can record what the game asks for.
#pragma once
#include <atomic>
#include <bitset>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "shell/FormParts.h"
#include "sound/ddsd.h"

namespace OggDataLib2 {
class TOggData;
}

namespace OggDataLib {

enum TLoadFormat { lfWav = 0, lfOgg = 1, lfMP3 = 2 };
constexpr uint32_t DEFLEN = 4096;

// The stream player: a streaming buffer on a fixed channel, refilled half by
// half from its render buffer by the buffer's notify thread. The game never
// loads a source into one, so its channel stays silent.
class TOggData {
 public:
  TOggData(TDDSD* tDDSD, int32_t tCh, int32_t BufSize);
  ~TOggData();
  TOggData(const TOggData&) = delete;
  TOggData& operator=(const TOggData&) = delete;

  void Init();
  // The refill callback (on the notify thread).
  void UpdateWav(TDDSDGenWave* Sender, TDDSDChannel* Player, uint32_t ofs, uint32_t len);
  int32_t Rendering(bool First_f);
  void Stop();
  void Pause();
  void SetVolume(int32_t tVol);
  TDDSDWaveData* Wave() const { return FDSWav.get(); }
  uint32_t BufferLength() const { return FDSWavLen; }

 private:
  TDDSD* DDSD;
  std::unique_ptr<TDDSDWaveData> FDSWav;
  int32_t FDSCh;
  uint32_t FDSWavLen;
  bool FLoaded_f = false;
  TLoadFormat FLoadFormat = lfWav;
  bool FIntro_f = false;
  std::vector<std::string> UserComment;
  bool FPlay_f = false, FFirstRender_f = false, FIntroPlayed_f = false;
  std::vector<uint8_t> FWaveBuffer;
  uint32_t FWaveBufferPos = 0;
  std::atomic<bool> FRendering_f{false};
  std::unique_ptr<OggDataLib2::TOggData> FSource;  // renders silence: nothing is loaded
};

}  // namespace OggDataLib

class TOggDataCtrl : public FormSound {
 public:
  static constexpr int SLOTS = 256;
  static constexpr int SECHNO = 256;
  static constexpr int JGLCHNO = 512;
  static constexpr int SEMAX = 255;
  static constexpr int JGLMAX = 255;
  static constexpr int DEFKETA = 3;
  static constexpr int DEFJGLVOL = 30;
  static constexpr int DEFSEVOL = 100;

  // With a component: binds the decoder library "data\wuvorbis.so" (a library
  // that cannot be loaded raises ERangeError), makes the two stream players
  // and loads every effect and jingle. BufSize is not used.
  explicit TOggDataCtrl(TDDSD* tDDSD = nullptr, int BufSize = 0, bool Debug = false);
  ~TOggDataCtrl() override;
  TOggDataCtrl(const TOggDataCtrl&) = delete;
  TOggDataCtrl& operator=(const TOggDataCtrl&) = delete;

  int LoadSE();
  int LoadJGL();
  // Effect No once from its start at SEVol.
  void SEPlay(int No) override;
  // Effect No at the end of the step (0..255; other numbers are ignored).
  virtual void SESet(int No);
  // Plays the effects requested during the step and forgets the requests.
  virtual void IdleEvent();
  // -1 stops every channel from 256 up (jingles too); otherwise effect No.
  void SEStop(int No) override;
  // Jingle No looping from its start at JglVol (nothing in the authoring build).
  virtual void JglLoopPlay(int No);
  // -1 stops every jingle; otherwise jingle No.
  void JglStop(int No) override;
  // -1: any jingle playing; otherwise jingle No.
  virtual bool JglPlaying_f(int No);
  void BGMStop() override;
  virtual void AllSoundStop();
  // Pause: jingles and effects at half volume; NomalVol restores them.
  void HalfVol() override;
  void NomalVol() override;
  void SetDebugMessages(bool on) override;

  TDDSD* DDSD = nullptr;
  int32_t SENum = -1;   // highest effect number found
  int32_t JglNum = -1;  // highest jingle number found
  int32_t JglVol = DEFJGLVOL;
  int32_t SEVol = DEFSEVOL;
  std::bitset<SLOTS> SERsv;

 private:
  // Finds, decodes and attaches the effects and/or the jingles.
  void Load(bool se, bool jgl);
  TDDSDChannel* Ch(int i);
  void StopFrom(int first);
  // Names on stderr, once per number, the file of an effect or jingle asked
  // for past the end of its loaded set.
  void NameUnloaded(bool jingle, int No);

  bool Debug_f_;
  std::unique_ptr<OggDataLib::TOggData> OggDt[2];
  std::unique_ptr<TDDSDWaveData> SEDt[SLOTS];
  std::unique_ptr<TDDSDWaveData> JglDt[SLOTS];
  std::bitset<SLOTS> SENamed_, JglNamed_;  // numbers already named as missing
};

// The game's sound: the sound component (1000 channels, every debug option,
// the default audio device) and the controller on it. The component is made
// first and goes last.
class GameSoundComponent {
 protected:
  GameSoundComponent();
  std::unique_ptr<TDDSD> component_;
};

class GameSound : private GameSoundComponent, public TOggDataCtrl {
 public:
  explicit GameSound(int BufSize, bool Debug = false);
};
