// The sound component (channels, buffers, notifications, failure path), the
// mixer behind it and the FFT, all on the null audio device.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "SoundTestKit.h"
#include "sound/FFTLib.h"
#include "sound/ddsd.h"

using namespace soundkit;

namespace {

std::string ReadText(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// ---- FFT ----------------------------------------------------------------------

TEST(SoundFFT, TablesOfSize256) {
  TFFT f(256);
  ASSERT_EQ(f.SinTbl.size(), 192u);
  EXPECT_NEAR(f.SinTbl[32], std::sqrt(0.5f), 1e-6);
  EXPECT_FLOAT_EQ(f.SinTbl[64], 1.0f);
  EXPECT_FLOAT_EQ(f.SinTbl[128], 0.0f);
  for (int i = 0; i < 192; ++i) EXPECT_NEAR(f.SinTbl[i], std::sin(2 * M_PI * i / 256), 1e-4) << i;
  EXPECT_EQ(f.BitRev[1], 128);
  EXPECT_EQ(f.BitRev[3], 192);
  EXPECT_FLOAT_EQ(f.HammingTbl[128], 1.0f);
  EXPECT_NEAR(f.HammingTbl[0], 0.5f, 1e-6);
}

TEST(SoundFFT, ConstantAndSineGoToTheirBins) {
  TFFT f(256);
  std::fill(f.re.begin(), f.re.end(), 1.0f);
  f.FFT();
  EXPECT_NEAR(f.re[0], 1.0f, 1e-5);
  for (int i = 1; i < 256; ++i) {
    EXPECT_NEAR(f.re[i], 0, 1e-5) << i;
    EXPECT_NEAR(f.im[i], 0, 1e-5) << i;
  }
  // cos at bin 8 splits evenly into bins 8 and 248.
  for (int i = 0; i < 256; ++i) {
    f.re[i] = float(std::cos(2 * M_PI * 8 * i / 256));
    f.im[i] = 0;
  }
  f.FFT();
  EXPECT_NEAR(f.re[8], 0.5f, 1e-4);
  EXPECT_NEAR(f.re[248], 0.5f, 1e-4);
  EXPECT_NEAR(f.re[9], 0, 1e-4);
}

TEST(SoundFFT, RoundTripWindowAndSaturation) {
  TFFT f(256);
  std::vector<float> re(256), im(256);
  for (int i = 0; i < 256; ++i) {
    re[i] = f.re[i] = float(std::sin(i * 0.3) * 1000 + i);
    im[i] = f.im[i] = float(std::cos(i * 0.17) * 500);
  }
  f.HammingWindow();
  f.FFT();
  f.UnFFT();
  f.UnHammingWindow();
  for (int i = 0; i < 256; ++i) {
    EXPECT_NEAR(f.re[i], re[i], 0.05) << i;
    EXPECT_NEAR(f.im[i], im[i], 0.05) << i;
  }
  f.re[0] = 40000;
  f.im[1] = -40000;
  f.SatSmallInt();
  EXPECT_EQ(f.re[0], 32767);
  EXPECT_EQ(f.im[1], -32767);
}

// ---- volume and mixer -----------------------------------------------------------

TEST(SoundComponent, PercentToDecibels) {
  const std::pair<int, int> cases[] = {{-5, -4000}, {0, -4000}, {1, -4000}, {15, -1647},
                                       {30, -1045}, {50, -602}, {99, -8},   {100, 0},
                                       {150, 0}};
  for (auto [p, db] : cases) EXPECT_EQ(VolP100_to_dB(p), db) << p;
}

TEST(SoundMixer, PlaysLoopsStopsAndAttenuates) {
  auto m = plat::SoundMixer::Make();
  auto b = m->CreateBuffer(plat::PcmFormat::Make(44100, 16, true), 400);  // 100 frames
  std::vector<int16_t> pcm(200, 10000);
  ASSERT_TRUE(b->Write(0, pcm.data(), 400));
  std::vector<int16_t> out(2 * 150);
  b->Play(false);
  EXPECT_EQ(b->Status(), plat::SoundBuffer::kPlaying);
  m->Mix(out.data(), 150);
  EXPECT_EQ(out[0], 10000);
  EXPECT_EQ(out[2 * 99 + 1], 10000);
  EXPECT_EQ(out[2 * 100], 0);  // a one-shot ends with its data
  EXPECT_EQ(b->Status(), 0u);

  b->SetVolume(-602);  // half
  b->Play(true);
  EXPECT_EQ(b->Status(), plat::SoundBuffer::kPlaying | plat::SoundBuffer::kLooping);
  m->Mix(out.data(), 150);
  EXPECT_NEAR(out[2 * 120], 5000, 10);  // looped round
  b->Stop();
  m->Mix(out.data(), 10);
  EXPECT_EQ(out[0], 0);

  // A duplicate shares the data and plays on its own.
  auto d = m->Duplicate(*b);
  d->Play(false);
  m->Mix(out.data(), 1);
  EXPECT_EQ(out[0], 10000);
  EXPECT_EQ(b->Status(), 0u);
}

TEST(SoundMixer, ResamplesMonoAndFiresNotifications) {
  auto m = plat::SoundMixer::Make();
  auto b = m->CreateBuffer(plat::PcmFormat::Make(22050, 16, false), 2 * 100);
  std::vector<int16_t> pcm(100);
  for (int i = 0; i < 100; ++i) pcm[i] = int16_t(i * 100);
  b->Write(0, pcm.data(), 200);
  plat::SoundEvent half, stop;
  b->SetNotify({{100, &half}, {plat::SoundBuffer::kNotifyStop, &stop}});
  b->Play(false);
  std::vector<int16_t> out(2 * 60);
  m->Mix(out.data(), 60);  // 30 source frames
  EXPECT_EQ(out[2 * 10], out[2 * 11]);  // each source frame twice
  EXPECT_EQ(out[2 * 10], out[2 * 10 + 1]);  // mono on both sides
  EXPECT_EQ(out[2 * 10], 500);
  EXPECT_FALSE(half.IsSet());
  m->Mix(out.data(), 60);  // passes byte 100
  EXPECT_TRUE(half.IsSet());
  plat::SoundEvent* evs[2] = {&half, &stop};
  EXPECT_EQ(plat::SoundEvent::WaitAny(evs, 2, 0), 0);  // auto-reset
  EXPECT_FALSE(half.IsSet());
  b->Stop();
  EXPECT_EQ(plat::SoundEvent::WaitAny(evs, 2, 0), 1);
}

TEST(SoundMixer, RefusesBadFormatsAndWrites) {
  auto m = plat::SoundMixer::Make();
  plat::PcmFormat f = plat::PcmFormat::Make(44100, 24, true);
  EXPECT_EQ(m->CreateBuffer(f, 600), nullptr);
  EXPECT_EQ(m->CreateBuffer(plat::PcmFormat::Make(44100, 16, true), 0), nullptr);
  auto b = m->CreateBuffer(plat::PcmFormat::Make(44100, 16, true), 16);
  uint8_t x[20] = {};
  EXPECT_FALSE(b->Write(16, x, 1));
  EXPECT_FALSE(b->Write(0, x, 20));
  EXPECT_TRUE(b->Write(12, x, 8));  // wraps
}

// ---- component -------------------------------------------------------------------

TEST(SoundComponent, ChannelRangeIsChecked) {
  SoundEnv env;
  auto d = MakeComponent(8);
  EXPECT_TRUE(d->Initialized());
  EXPECT_NE(d->GetChannels(0), nullptr);
  EXPECT_NE(d->GetChannels(7), nullptr);
  try {
    d->GetChannels(8);
    FAIL() << "no exception";
  } catch (const EDDSD& e) {
    // "チャンネル番号8は無効です、0～7の範囲で指定してください"
    EXPECT_NE(std::string(e.what()).find("\x94\xD4\x8D\x86" "8\x82\xCD"), std::string::npos);
    EXPECT_NE(std::string(e.what()).find("0\x81`7"), std::string::npos);
  }
  EXPECT_THROW(d->GetChannels(-1), EDDSD);
  d->SetDebugOption(0);
  EXPECT_EQ(d->GetChannels(-1), nullptr);
  d->SetDebugOption(dsoHaltOnError);
  EXPECT_THROW(d->GetChannels(8), std::runtime_error);  // the test's halt
}

TEST(SoundComponent, LogStartsFreshAndCounts) {
  GameFolder folder;
  SoundEnv env;
  std::ofstream(folder.Path() / "ddsd.debug") << "old run\n";
  auto d = MakeComponent(4, dsoDebugMessage);
  d->GetChannels(9);
  d->GetChannels(-2);
  const std::string log = ReadText(folder.Path() / "ddsd.debug");
  EXPECT_EQ(log.find("old run"), std::string::npos);
  EXPECT_EQ(log.rfind("debug#00001 ... ", 0), 0u);
  EXPECT_NE(log.find("debug#00002 ... "), std::string::npos);
}

TEST(SoundComponent, WaveFilesLoadOrReportWhatIsWrong) {
  GameFolder folder;
  SoundEnv env;
  auto d = MakeComponent(4);
  folder.Write("good.wav", Wav(100, 1234));
  TDDSDWaveData good(d.get(), "good.wav");
  ASSERT_NE(good.Buffer(), nullptr);
  EXPECT_EQ(good.Length(), 400u);
  EXPECT_EQ(good.WaveFormat().samplesPerSec, 44100u);

  // A file without a data chunk: the name and the reason, raised.
  std::vector<uint8_t> nodata = Wav(0);
  nodata.resize(nodata.size() - 8);
  nodata[4] = uint8_t(nodata.size() - 8);
  folder.Write("nodata.wav", nodata);
  try {
    TDDSDWaveData bad(d.get(), "nodata.wav");
    FAIL() << "no exception";
  } catch (const EDDSD& e) {
    EXPECT_EQ(std::string(e.what()),
              std::string("nodata.wav\x82\xC9\x82\xCD\x81" "Adata\x83`\x83\x83\x83\x93\x83N\x82\xAA"
                          "\x97L\x82\xE8\x82\xDC\x82\xB9\x82\xF1"));
  }
  EXPECT_THROW(TDDSDWaveData(d.get(), "missing.wav"), EDDSD);

  // Samples the mixer cannot take (24 bits) and an empty data chunk: no
  // buffer can be made ("サウンドバッファの作成に失敗しました" and the
  // code), rather than a wave that plays as silence.
  folder.Write("deep.wav", MakeWaveFile(plat::PcmFormat::Make(44100, 24, true),
                                        std::vector<uint8_t>(600, 7)));
  folder.Write("empty.wav", Wav(0));
  for (const char* name : {"deep.wav", "empty.wav"}) {
    SCOPED_TRACE(name);
    try {
      TDDSDWaveData bad(d.get(), name);
      ADD_FAILURE() << "no exception";
    } catch (const EDDSD& e) {
      EXPECT_EQ(std::string(e.what()),
                "\x83T\x83" "E\x83\x93\x83h\x83o\x83" "b\x83t\x83@\x82\xCC\x8D\xEC\x90\xAC"
                "\x82\xC9\x8E\xB8\x94s\x82\xB5\x82\xDC\x82\xB5\x82\xBD(Error Code(88780064))");
    }
  }
  d->SetDebugOption(0);
  for (const char* name : {"nodata.wav", "deep.wav", "empty.wav"}) {
    TDDSDWaveData quiet(d.get(), name);
    EXPECT_EQ(quiet.Buffer(), nullptr) << name;
    EXPECT_EQ(quiet.Length(), 0u) << name;
  }
}

TEST(SoundComponent, ChannelsDuplicateAndKeepVolume) {
  GameFolder folder;
  SoundEnv env;
  auto d = MakeComponent(4);
  TDDSDChannel* ch = d->GetChannels(1);
  ch->setVolume(40);
  EXPECT_EQ(ch->Volume(), 100);  // no buffer: the value is not kept
  EXPECT_EQ(ch->Status(), 0u);
  ch->Play(true);                // nothing to play
  folder.Write("a.wav", Wav(100, 2000));
  {
    TDDSDWaveData w(d.get(), "a.wav");
    ch->setWaveData(&w);
    d->GetChannels(2)->setWaveData(&w);
  }  // the wave goes; the channels keep their duplicates
  ch->setVolume(150);
  EXPECT_EQ(ch->Volume(), 100);
  ch->setVolume(-3);
  EXPECT_EQ(ch->Volume(), 0);
  ch->setVolume(50);
  ch->Play(true);
  d->GetChannels(2)->LoopPlay(true);
  EXPECT_EQ(ch->Status(), 1u);
  EXPECT_EQ(d->GetChannels(2)->Status(), 5u);
  std::vector<int16_t> out(2 * 10);
  d->Mixer()->Mix(out.data(), 10);
  EXPECT_NEAR(out[0], 2000 + 1000, 5);  // full plus half
  ch->Stop();
  EXPECT_EQ(ch->Status(), 0u);
}

TEST(SoundComponent, WithoutDeviceEverythingIsSilent) {
  GameFolder folder;
  SoundEnv env(false);
  auto d = MakeComponent(4);
  EXPECT_FALSE(d->Initialized());
  EXPECT_EQ(d->Mixer(), nullptr);
  folder.Write("a.wav", Wav(10));
  TDDSDWaveData w(d.get(), "a.wav");
  EXPECT_EQ(w.Buffer(), nullptr);
  TDDSDChannel* ch = d->GetChannels(3);
  ASSERT_NE(ch, nullptr);
  ch->setWaveData(&w);
  ch->LoopPlay(true);
  EXPECT_EQ(ch->Status(), 0u);
  auto s = TDDSDWaveData::CreateStream(d.get(), 44100, 16, true, 4096);
  uint8_t x[16] = {};
  s->BlockCopy(0, x, 16);
}

TEST(SoundComponent, StreamingRefillsTheHalfNotPlaying) {
  SoundEnv env;
  auto d = MakeComponent(2);
  // The protocol, driven by hand on a wave that never plays.
  auto s = TDDSDWaveData::CreateStream(d.get(), 44100, 16, true, 8192);
  ASSERT_TRUE(s->IsStream());
  std::vector<std::pair<uint32_t, uint32_t>> calls;
  s->SetOnUpdate([&](TDDSDGenWave*, TDDSDChannel*, uint32_t ofs, uint32_t len) {
    calls.push_back({ofs, len});
  });
  TDDSDNotifyThread t(s.get());
  t.Handle(0);
  t.Handle(0);  // the same notification again: no second refill
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0], std::make_pair(4096u, 4096u));
  t.Handle(1);  // the write cursor is still in the first half: out of turn
  EXPECT_EQ(calls.size(), 1u);
  s->Buffer()->SetPosition(5000);
  t.Handle(1);
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[1], std::make_pair(0u, 4096u));
  t.Handle(2);
  s->Buffer()->SetPosition(0);
  t.Handle(0);  // after a stop the top notification refills again
  EXPECT_EQ(calls.size(), 3u);
}

TEST(SoundComponent, StreamingWaveRefillsFromItsThreadWhilePlaying) {
  SoundEnv env;
  auto d = MakeComponent(2);
  auto s = TDDSDWaveData::CreateStream(d.get(), 44100, 16, true, 8192);
  std::mutex mu;
  std::vector<uint32_t> offsets;
  TDDSDChannel* seen = nullptr;
  s->SetOnUpdate([&](TDDSDGenWave*, TDDSDChannel* p, uint32_t ofs, uint32_t) {
    std::lock_guard<std::mutex> g(mu);
    offsets.push_back(ofs);
    seen = p;
  });
  TDDSDChannel* ch = d->GetChannels(0);
  ch->setWaveData(s.get());
  EXPECT_TRUE(ch->IsStream());
  ch->LoopPlay(true);
  auto waitFor = [&](size_t n) {
    for (int i = 0; i < 400; ++i) {
      {
        std::lock_guard<std::mutex> g(mu);
        if (offsets.size() >= n) return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
  };
  std::vector<int16_t> out(2 * 1024);
  d->Mixer()->Mix(out.data(), 16);    // passes the start
  ASSERT_TRUE(waitFor(1));
  d->Mixer()->Mix(out.data(), 1010);  // passes the middle
  ASSERT_TRUE(waitFor(2));
  std::lock_guard<std::mutex> g(mu);
  EXPECT_EQ(offsets[0], 4096u);
  EXPECT_EQ(offsets[1], 0u);
  EXPECT_EQ(seen, ch);
  ch->setWaveData(nullptr);
}

// exit() may come from any thread (the window system's handler calls it when
// the display goes away) while the notify threads wait for their events: the
// process must still end at once, not hang in its exit handlers. The limit
// leaves room for the leak checker's own scan at exit on a busy machine; the
// program's part takes milliseconds.
TEST(SoundComponent, ExitFromAnotherThreadWithNotifyThreadsRunningEndsPromptly) {
  EXPECT_EXIT(
      {
        SoundEnv env;
        auto d = MakeComponent(2);
        auto a = TDDSDWaveData::CreateStream(d.get(), 44100, 16, true, 8192);
        auto b = TDDSDWaveData::CreateStream(d.get(), 44100, 16, true, 8192);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));  // both threads wait
        std::thread([] { std::exit(0); }).detach();
        std::this_thread::sleep_for(std::chrono::seconds(5));
        std::_Exit(2);  // exit() hangs
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
