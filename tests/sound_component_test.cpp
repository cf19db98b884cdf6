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
  uint8_t ramp[16];
  for (uint8_t i = 0; i < 16; ++i) ramp[i] = uint8_t(i + 1);
  EXPECT_TRUE(b->Write(12, ramp, 8));  // wraps round to the start
  EXPECT_EQ(b->Bytes(), (std::vector<uint8_t>{5, 6, 7, 8, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4}));
  EXPECT_TRUE(b->Write(15, ramp, 16));  // the whole buffer, from its last byte on
  EXPECT_EQ(b->Bytes()[14], 16);

  // Only plain PCM of 1 or 2 channels, 8 or 16 bits, 100 to 200000 Hz, with
  // a matching block size, is played.
  struct Row {
    uint16_t tag, channels;
    uint32_t rate;
    uint16_t bits, block;
    bool playable;
  } rows[] = {{1, 2, 44100, 16, 4, true}, {1, 1, 8000, 8, 1, true},   {2, 2, 44100, 16, 4, false},
              {1, 3, 44100, 16, 6, false}, {1, 0, 44100, 16, 0, false}, {1, 2, 100, 16, 4, true},
              {1, 2, 99, 16, 4, false},   {1, 2, 200000, 16, 4, true}, {1, 2, 200001, 16, 4, false},
              {1, 2, 44100, 16, 2, false}};
  for (const Row& r : rows) {
    plat::PcmFormat f;
    f.formatTag = r.tag, f.channels = r.channels, f.samplesPerSec = r.rate, f.bitsPerSample = r.bits;
    f.blockAlign = r.block;
    EXPECT_EQ(f.Playable(), r.playable) << r.channels << " " << r.rate << " " << r.bits;
    EXPECT_EQ(m->CreateBuffer(f, 64) != nullptr, r.playable) << r.rate;
  }
  const plat::PcmFormat eight = plat::PcmFormat::Make(22050, 8, true);
  EXPECT_EQ(eight.channels * 100 + eight.blockAlign, 202);
  EXPECT_EQ(eight.avgBytesPerSec, 44100u);
  // Sizes are whole frames; no frame or more than 64 MB makes no buffer.
  const plat::PcmFormat stereo = plat::PcmFormat::Make(44100, 16, true);
  EXPECT_EQ(m->CreateBuffer(stereo, 7)->Size(), 4u);
  EXPECT_EQ(m->CreateBuffer(stereo, std::vector<uint8_t>(7))->Size(), 4u);
  EXPECT_EQ(m->CreateBuffer(stereo, std::vector<uint8_t>(3)), nullptr);
  EXPECT_EQ(m->CreateBuffer(stereo, 3), nullptr);
  EXPECT_NE(m->CreateBuffer(stereo, 64u << 20), nullptr);
  EXPECT_EQ(m->CreateBuffer(stereo, (64u << 20) + 1), nullptr);
  EXPECT_EQ(m->BufferCount(), 1u) << "only b is still held";
}

// The cursor, volume, pan and rate of a buffer, 8-bit samples, and the sum
// of several buffers held to the 16-bit range.
TEST(SoundMixer, CursorVolumePanRateAndSampleKinds) {
  auto m = plat::SoundMixer::Make();
  const plat::PcmFormat stereo = plat::PcmFormat::Make(44100, 16, true);
  std::vector<int16_t> ramp(200);
  for (int i = 0; i < 100; ++i) ramp[size_t(2 * i)] = ramp[size_t(2 * i + 1)] = int16_t(100 * i);
  auto b = m->CreateBuffer(stereo, 400);
  ASSERT_TRUE(b->Write(0, ramp.data(), 400));
  auto cursors = [&](uint32_t pos) {
    uint32_t play = 1, write = 1;
    b->SetPosition(pos);
    b->GetPosition(&play, &write);
    return std::pair{play, write};
  };
  EXPECT_EQ(cursors(6), std::pair(4u, 4u)) << "whole frames; stopped, no lead";
  EXPECT_EQ(cursors(399).first, 396u);
  EXPECT_EQ(cursors(400).first, 0u);
  b->Play(true);
  EXPECT_EQ(cursors(396), std::pair(396u, (396u + 1764u) % 400u)) << "10 ms ahead, round the loop";
  b->GetPosition(nullptr, nullptr);

  std::vector<int16_t> out(8);
  auto mixAt40 = [&] {
    b->SetPosition(40);
    m->Mix(out.data(), 4);
    return std::pair{out[0], out[1]};
  };
  b->SetFrequency(88200);  // twice the rate: every other frame
  mixAt40();
  EXPECT_EQ(out, (std::vector<int16_t>{1000, 1000, 1200, 1200, 1400, 1400, 1600, 1600}));
  for (auto [hz, want] : {std::pair{0u, 44100u}, {50u, 100u}, {300000u, 200000u}, {88200u, 88200u}}) {
    b->SetFrequency(hz);
    EXPECT_EQ(b->Frequency(), want) << hz;
  }
  b->SetFrequency(0);
  const std::pair<int32_t, std::pair<int16_t, int16_t>> pans[] = {
      {10000, {0, 1000}}, {-20000, {1000, 0}}, {602, {500, 1000}}, {0, {1000, 1000}}};
  for (auto [pan, want] : pans) {
    b->SetPan(pan);
    const auto got = mixAt40();
    EXPECT_NEAR(got.first, want.first, 1) << pan;
    EXPECT_NEAR(got.second, want.second, 1) << pan;
  }
  b->SetVolume(-20000);
  EXPECT_EQ(b->Volume(), -10000);
  EXPECT_EQ(mixAt40(), std::pair(int16_t(0), int16_t(0))) << "silent";
  b->SetVolume(100);
  EXPECT_EQ(b->Volume(), 0);
  b->Stop();

  // 8-bit samples are unsigned around 128; a new 8-bit buffer is silent.
  auto mono8 = m->CreateBuffer(plat::PcmFormat::Make(44100, 8, false), 4);
  auto stereo8 =
      m->CreateBuffer(plat::PcmFormat::Make(44100, 8, true), std::vector<uint8_t>{0, 255, 128, 129});
  mono8->Play(true);
  stereo8->Play(true);
  m->Mix(out.data(), 2);
  EXPECT_EQ(std::vector<int16_t>(out.begin(), out.begin() + 4), (std::vector<int16_t>{-32768, 32512, 0, 256}));
  stereo8->Stop();
  const uint8_t loud[4] = {255, 255, 255, 255};
  mono8->Write(0, loud, 4);
  auto high = m->CreateBuffer(stereo, std::vector<uint8_t>{0x00, 0x7F, 0x00, 0x80});  // 32512, -32768
  high->Play(true);
  m->Mix(out.data(), 1);
  EXPECT_EQ(out[0], 32767) << "held at the top";
  EXPECT_EQ(out[1], -256);
  EXPECT_EQ(m->BufferCount(), 4u);
  high.reset();
  EXPECT_EQ(m->BufferCount(), 3u);
}

// A looping buffer passing its end notifies the offsets it passed on both
// sides of the wrap; the stop notice comes only with a stop.
TEST(SoundMixer, NotificationsAcrossTheLoop) {
  auto m = plat::SoundMixer::Make();
  auto b = m->CreateBuffer(plat::PcmFormat::Make(44100, 16, true), 400);
  plat::SoundEvent atStart, atMiddle, atEnd, stop;
  b->SetNotify({{0, &atStart}, {200, &atMiddle}, {396, &atEnd}, {100, nullptr},
                {plat::SoundBuffer::kNotifyStop, &stop}});
  b->SetPosition(300);
  b->Play(true);
  std::vector<int16_t> out(2 * 50);
  m->Mix(out.data(), 50);  // frame 75 round to frame 25
  uint32_t play = 0;
  b->GetPosition(&play, nullptr);
  EXPECT_EQ(play, 100u);
  EXPECT_TRUE(atStart.IsSet() && atEnd.IsSet());
  plat::SoundEvent* evs[3] = {nullptr, &atMiddle, &stop};
  EXPECT_EQ(plat::SoundEvent::WaitAny(evs, 3, 0), -1);
  m->Mix(out.data(), 25);  // frames 25 to 50: up to byte 200, not past it
  EXPECT_FALSE(atMiddle.IsSet());
  m->Mix(out.data(), 1);
  b->Stop();
  b->Stop();  // stopped already: no second notice
  EXPECT_EQ(plat::SoundEvent::WaitAny(evs, 3, 0), 1);
  EXPECT_EQ(plat::SoundEvent::WaitAny(evs, 3, 0), 2);
  EXPECT_EQ(plat::SoundEvent::WaitAny(evs, 3, 0), -1);
}

// The audio devices: the factory's choice, else SDL's device, which pulls
// the mixer's sound (SDL's silent dummy driver in the tests).
TEST(SoundMixer, AudioDevicesPullTheMix) {
  auto m = plat::SoundMixer::Make();
  plat::SetAudioDeviceFactory(plat::MakeMissingAudioDevice);
  EXPECT_FALSE(plat::OpenAudioDevice()->Start(*m));
  plat::SetAudioDeviceFactory(plat::MakeNullAudioDevice);
  EXPECT_TRUE(plat::OpenAudioDevice()->Start(*m));
  plat::SetAudioDeviceFactory({});
  ::setenv("SDL_AUDIODRIVER", "dummy", 1);  // silent, and there with no sound card
  auto dev = plat::OpenAudioDevice();
  ASSERT_TRUE(dev->Start(*m));
  auto b = m->CreateBuffer(plat::PcmFormat::Make(44100, 16, true), 400);
  b->Play(false);
  for (int i = 0; i < 200 && b->Status() != 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(b->Status(), 0u) << "played to its end";
  dev->Close();
  b->Play(false);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(b->Status(), plat::SoundBuffer::kPlaying) << "closed: nothing pulls";
  EXPECT_TRUE(dev->Start(*m)) << "started again";
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
