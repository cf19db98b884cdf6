// The sound controller on the null audio device: which files load, effects at
// once and at the end of the step, jingles, volumes for the pause, stopping.
#include <gtest/gtest.h>

#include "SoundTestKit.h"
#include "files/Streams.h"
#include "sound/OggDataLib.h"
#include "sound/OggDataLib2.h"
#include "sound/OggDdsdLib2.h"
#include "sound/OggWuvorbisLib.h"

using namespace soundkit;

namespace {

class SoundControllerTest : public ::testing::Test {
 protected:
  void SetUp() override { folder.AddDecoder(); }
  void Effects(int n) {
    for (int i = 0; i < n; ++i) folder.Write(Name("se", i, ".wav"), Wav(50, int16_t(100 + i)));
  }
  void Jingles(int n) {
    for (int i = 0; i < n; ++i) folder.Write(Name("bgm", i, ".wav"), Wav(50, 300));
  }
  static std::string Name(const char* kind, int i, const char* ext) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "data/wav/%s/%s%03d%s", kind, kind, i, ext);
    return buf;
  }
  std::unique_ptr<TOggDataCtrl> Make(bool debug = false) {
    d = MakeComponent(1000);
    return std::make_unique<TOggDataCtrl>(d.get(), 0, debug);
  }
  uint32_t Status(int ch) { return d->GetChannels(ch)->Status(); }
  int Volume(int ch) { return d->GetChannels(ch)->Volume(); }

  GameFolder folder;
  SoundEnv env;
  std::unique_ptr<TDDSD> d;
};

TEST_F(SoundControllerTest, NumberingEndsAtTheFirstGap) {
  Effects(2);
  folder.Write(Name("se", 3, ".wav"), Wav(50));
  testing::internal::CaptureStderr();
  auto oc = Make();
  // A later file shows the set was meant to go on: the missing one is named.
  EXPECT_NE(testing::internal::GetCapturedStderr().find("se002.ogg: missing; numbers 2 to 3 stay silent"),
            std::string::npos);
  EXPECT_EQ(oc->SENum, 1);
  EXPECT_EQ(oc->JglNum, -1);
  EXPECT_EQ(d->GetChannels(256 + 3)->WaveData(), nullptr);
  EXPECT_FALSE(oc->JglPlaying_f(-1));
  // A sound asked for past the set names its file once; one inside it, nothing.
  testing::internal::CaptureStderr();
  oc->SEPlay(1);
  oc->SESet(4);
  oc->SEPlay(4);
  oc->JglLoopPlay(0);
  const std::string asked = testing::internal::GetCapturedStderr();
  EXPECT_EQ(asked.find("se001"), std::string::npos);
  const size_t at = asked.find("se004.ogg: missing; sound effect 4 is silent");
  EXPECT_NE(at, std::string::npos);
  EXPECT_EQ(asked.find("se004", at + 1), std::string::npos) << "named once";
  EXPECT_NE(asked.find("bgm000.ogg: missing; jingle 0 is silent"), std::string::npos);
  // The stream players sit on channels 0 and 1, silent.
  EXPECT_TRUE(d->GetChannels(0)->IsStream());
  EXPECT_TRUE(d->GetChannels(1)->IsStream());
  EXPECT_EQ(Status(0), 0u);
  // What stands under the missing number's name is named.
  fs::create_directory(folder.Path() / "data/wav/se/se002.wav");
  oc.reset();
  testing::internal::CaptureStderr();
  oc = Make();
  EXPECT_NE(testing::internal::GetCapturedStderr().find("se002.wav: is a folder; numbers 2 to 3 stay silent"),
            std::string::npos);
}

// Every sound the game ships decodes whole: none is named on stderr.
TEST_F(SoundControllerTest, ShippedSoundsLoadWithoutAProblem) {
  fs::copy(fs::path(QORV_BINARY_DIR) / "game/data/wav", folder.Path() / "data/wav",
           fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  testing::internal::CaptureStderr();
  auto oc = Make();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_GT(oc->SENum, 0);
  EXPECT_GT(oc->JglNum, 0);
}

TEST_F(SoundControllerTest, OggIsPreferredAndDecodedWhole) {
  Effects(5);
  folder.Write(Name("se", 5, ".wav"), Wav(50, 777));
  folder.Write(Name("se", 5, ".ogg"), Ogg(Sine(2000, 2, 44100, 440, 0.5), 2, 44100));
  auto oc = Make();
  EXPECT_EQ(oc->SENum, 5);
  TDDSDGenWave* w = d->GetChannels(256 + 5)->WaveData();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->Length(), 32768u);  // decoded, at least 32768 bytes
}

TEST_F(SoundControllerTest, OggFilesDecodedSideBySideLandInTheirOwnSlots) {
  // Every file has its own length and pitch, so a mix-up shows in the bytes.
  for (int i = 0; i < 6; ++i)
    folder.Write(Name("se", i, ".ogg"), Ogg(Sine(9000 + 3000 * i, 2, 44100, 200 + 100 * i, 0.5), 2, 44100));
  folder.Write(Name("se", 6, ".wav"), Wav(50, 321));
  for (int i = 0; i < 3; ++i)
    folder.Write(Name("bgm", i, ".ogg"), Ogg(Sine(20000 + 5000 * i, 1, 22050, 300 + 50 * i, 0.4), 1, 22050));
  auto oc = Make();
  ASSERT_EQ(oc->SENum, 6);
  ASSERT_EQ(oc->JglNum, 2);
  auto decoded = [&](const std::string& name) {
    TMemoryStream s;
    EXPECT_TRUE(s.LoadFromFile((folder.Path() / name).string()));
    return OggToPcm(s);
  };
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(d->GetChannels(256 + i)->Buffer()->Bytes(), decoded(Name("se", i, ".ogg"))) << i;
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(d->GetChannels(512 + i)->Buffer()->Bytes(), decoded(Name("bgm", i, ".ogg"))) << i;
  EXPECT_EQ(d->GetChannels(256 + 6)->WaveData()->Length(), 200u);
}

TEST_F(SoundControllerTest, DeferredEffectsPlayOnceAtTheEndOfTheStep) {
  Effects(8);
  auto oc = Make();
  oc->SESet(7);
  oc->SESet(7);
  oc->SESet(7);
  oc->SESet(300);
  EXPECT_EQ(Status(256 + 7), 0u);  // not before the step ends
  oc->IdleEvent();
  EXPECT_EQ(Status(256 + 7), 1u);
  EXPECT_TRUE(oc->SERsv.none());
  // One request, one voice: the mix holds effect 7 once.
  std::vector<int16_t> out(2);
  d->Mixer()->Mix(out.data(), 1);
  EXPECT_EQ(out[0], 107);
  // A number above the loaded ones is dropped with the set.
  oc->SESet(9);
  oc->IdleEvent();
  EXPECT_TRUE(oc->SERsv.none());
}

TEST_F(SoundControllerTest, PauseHalvesAndRestoresVolumes) {
  Effects(3);
  Jingles(2);
  auto oc = Make();
  oc->JglLoopPlay(1);
  EXPECT_EQ(Status(512 + 1), 5u);
  EXPECT_TRUE(oc->JglPlaying_f(1));
  EXPECT_TRUE(oc->JglPlaying_f(-1));
  EXPECT_FALSE(oc->JglPlaying_f(0));
  EXPECT_EQ(Volume(512 + 1), 30);
  oc->SEPlay(2);
  EXPECT_EQ(Volume(256 + 2), 100);
  oc->HalfVol();
  EXPECT_EQ(Volume(512 + 0), 15);
  EXPECT_EQ(Volume(256 + 2), 50);
  // Deferred effects keep the halved volume; SEPlay plays at full volume.
  oc->SESet(1);
  oc->IdleEvent();
  EXPECT_EQ(Volume(256 + 1), 50);
  oc->SEPlay(0);
  EXPECT_EQ(Volume(256 + 0), 100);
  oc->NomalVol();
  EXPECT_EQ(Volume(512 + 1), 30);
  EXPECT_EQ(Volume(256 + 1), 100);
}

TEST_F(SoundControllerTest, StoppingEffectsStopsJinglesToo) {
  Effects(3);
  Jingles(2);
  auto oc = Make();
  oc->JglLoopPlay(0);
  oc->SEPlay(1);
  oc->SEStop(2);
  EXPECT_EQ(Status(256 + 1), 1u);
  oc->SEStop(-1);
  EXPECT_EQ(Status(256 + 1), 0u);
  EXPECT_FALSE(oc->JglPlaying_f(-1));
  oc->JglLoopPlay(0);
  oc->SEPlay(0);
  oc->JglStop(-1);
  EXPECT_FALSE(oc->JglPlaying_f(-1));
  EXPECT_EQ(Status(256 + 0), 1u);
  oc->JglLoopPlay(1);
  oc->AllSoundStop();
  EXPECT_EQ(Status(256 + 0), 0u);
  EXPECT_FALSE(oc->JglPlaying_f(-1));
  oc->BGMStop();  // the stream players never play; nothing to hear
}

TEST_F(SoundControllerTest, AuthoringBuildPlaysNoMusic) {
  Jingles(1);
  auto oc = Make(true);
  oc->JglLoopPlay(0);
  EXPECT_FALSE(oc->JglPlaying_f(0));
}

TEST_F(SoundControllerTest, EffectNumbersOutsideTheChannelsAreReported) {
  Effects(1);
  auto oc = Make();
  EXPECT_THROW(oc->SEPlay(-300), EDDSD);
  EXPECT_THROW(oc->SEPlay(744), EDDSD);  // channel 1000
  oc->SEPlay(743);                        // channel 999 exists, holds nothing
}

TEST_F(SoundControllerTest, MissingDecoderLibraryStopsTheStart) {
  fs::remove(folder.Path() / "data" / "wuvorbis.so");
  d = MakeComponent(1000);
  try {
    TOggDataCtrl oc(d.get(), 0, false);
    FAIL() << "no exception";
  } catch (const ERangeError& e) {
    const std::string m = e.what();
    EXPECT_EQ(m.rfind("wuvorbis.so\x82\xAA", 0), 0u);
    EXPECT_NE(m.find((folder.Path() / "data" / "wuvorbis.so").string()), std::string::npos);
  }
}

// A file that cannot be used is named on stderr: one that cannot be opened
// stops the start, one cut short or damaged inside stays silent in its slot,
// in part or whole.
TEST_F(SoundControllerTest, SoundFilesThatCannotBeUsedAreNamed) {
  const auto good = Ogg(Sine(88200, 2, 44100, 440, 0.5), 2, 44100);
  auto cut = good, scrambled = good;
  cut.resize(good.size() / 2);
  for (size_t i = good.size() / 2; i < good.size() / 2 + 300; ++i) scrambled[i] ^= 0x5A;
  // Whole pages without the final one: only the missing end-of-stream mark tells.
  auto paged = good;
  paged.resize(std::string(good.begin(), good.end()).rfind("OggS"));
  // A byte of the first audio page (the third) changed: the library passes over the page.
  auto flipped = Ogg(Sine(176400, 2, 44100, 440, 0.5), 2, 44100);
  const std::string text(flipped.begin(), flipped.end());
  flipped[text.find("OggS", text.find("OggS", 4) + 4) + 500] ^= 0x10;
  // A loop point inside a source sample of a whole file is no problem.
  OggDataLib2::TOggLoop loops[16] = {{0, 0.05f, 1}};
  auto looped = OggDataLib2::MakeAlphaOggHeader(loops);
  const auto low = Ogg(Sine(22050, 1, 22050, 440, 0.5), 1, 22050);
  looped.insert(looped.end(), low.begin(), low.end());
  const struct {
    const char* file;
    std::vector<uint8_t> bytes;
    bool stopsTheStart;
    const char* says = "";  // null: nothing is said
  } rows[] = {
      {"se000.ogg", std::vector<uint8_t>(500, 7), true},
      {"se000.wav", std::vector<uint8_t>(500, 7), true},
      {"se000.ogg", cut, false},
      {"se000.ogg", scrambled, false},
      {"se000.ogg", paged, false},
      {"se000.ogg", flipped, false, "damaged: Ogg page 3 of 5 fails its check sum; 2.32 of 4.00 s plays"},
      {"se000.ogg", looped, false, nullptr},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.file) + (row.stopsTheStart ? " unusable" : " damaged"));
    for (const char* name : {"se000.ogg", "se000.wav"}) fs::remove(folder.Path() / "data/wav/se" / name);
    folder.Write(std::string("data/wav/se/") + row.file, row.bytes);
    d = MakeComponent(1000);
    testing::internal::CaptureStderr();
    bool stopped = false;
    try {
      TOggDataCtrl oc(d.get(), 0, false);
      EXPECT_EQ(oc.SENum, 0);
    } catch (const std::exception&) {
      stopped = true;
    }
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(stopped, row.stopsTheStart);
    const std::string named = std::string(row.file) + ": " + (row.says ? row.says : "");
    EXPECT_EQ(err.find(named) != std::string::npos, row.says != nullptr) << err;
  }
}

TEST_F(SoundControllerTest, NoSoundDeviceStillFindsFilesAndStaysSilent) {
  SoundEnv quiet(false);
  Effects(3);
  folder.Write(Name("se", 3, ".ogg"), Ogg(Sine(500, 1, 22050, 440, 0.5), 1, 22050));
  auto oc = Make();
  EXPECT_FALSE(d->Initialized());
  EXPECT_EQ(oc->SENum, 3);
  oc->SEPlay(1);
  oc->JglLoopPlay(0);
  oc->HalfVol();
  EXPECT_EQ(Status(256 + 1), 0u);
  EXPECT_FALSE(oc->JglPlaying_f(-1));
}

TEST(SoundController, WithoutComponentOnlyKeepsRequests) {
  TOggDataCtrl oc;
  EXPECT_EQ(oc.SENum, -1);
  oc.SESet(3);
  EXPECT_TRUE(oc.SERsv.test(3));
  oc.IdleEvent();
  EXPECT_TRUE(oc.SERsv.none());
  oc.SEPlay(0);
  oc.JglLoopPlay(0);
  EXPECT_FALSE(oc.JglPlaying_f(-1));
  oc.AllSoundStop();
}

}  // namespace
