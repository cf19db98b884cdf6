// The Ogg decoder through the built decoder library: whole-file decoding,
// sizes, format conversion, loop records, volume and equaliser, the library
// binding's stream callbacks, and the sound sources' reader.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "SoundTestKit.h"
#include "files/Streams.h"
#include "sound/OggDataLib2.h"
#include "sound/OggWuvorbisLib.h"
#include "tools/sound/SoundScript.h"

using namespace soundkit;
using OggDataLib2::OggToMemoryStream;
using OggDataLib2::TOggData;
using OggDataLib2::TOggLoop;

namespace {

class SoundDecoderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(VorbisfileInitialize(std::string(QORV_BINARY_DIR) + "/game/data/wuvorbis.so"));
  }
  void TearDown() override { VorbisfileFinalize(); }

  static std::unique_ptr<TMemoryStream> Decode(const std::vector<uint8_t>& file) {
    TMemoryStream in(file.data(), file.size());
    return OggToMemoryStream(&in);
  }
  static const int16_t* Samples(TMemoryStream& s) {
    return reinterpret_cast<const int16_t*>(s.Memory());
  }
  // The library's own decoding of a whole file: 16-bit samples, interleaved.
  static std::vector<int16_t> LibrarySamples(const std::vector<uint8_t>& ogg) {
    auto in = std::make_unique<TMemoryStream>(ogg.data(), ogg.size());
    wu_OggVorbis_File vf{};
    std::vector<int16_t> out;
    if (VorbisfileDll->wu_ov_open_callbacks(in.get(), &vf, nullptr, 0) < 0) return out;
    in.release();  // the library frees it when cleared
    char buf[4096];
    int bitstream = 0;
    for (long n; (n = VorbisfileDll->wu_ov_read(&vf, buf, sizeof buf, 0, 2, 1, bitstream)) > 0;) {
      const auto* p = reinterpret_cast<const int16_t*>(buf);
      out.insert(out.end(), p, p + n / 2);
    }
    VorbisfileDll->wu_ov_clear(&vf);
    return out;
  }
};

TEST_F(SoundDecoderTest, EachSourceFormatGivesTheLibrarysSamplesAtFullVolume) {
  // Source frames and how many output frames each becomes; a loop record
  // (Count -1: every time) jumps back from end to begin seconds.
  struct Case {
    int rate, channels;
    size_t frames;
    size_t repeat;
    float begin = 0, end = 0;
  };
  const Case cases[] = {{44100, 2, 1000, 1},  {44100, 1, 3000, 1},
                        {22050, 2, 3000, 2},  {22050, 1, 3000, 2},
                        {44100, 2, 88200, 1, 0.5f, 1.0f}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.rate << " Hz x " << c.channels << " loop " << c.end);
    const auto ogg = Ogg(Sine(c.frames, c.channels, c.rate, 700, 0.6), c.channels, c.rate);
    const std::vector<int16_t> src = LibrarySamples(ogg);
    std::vector<uint8_t> file;
    if (c.end > 0) {
      TOggLoop loops[16];
      loops[0] = TOggLoop{c.begin, c.end, -1};
      file = OggDataLib2::MakeAlphaOggHeader(loops);
    }
    file.insert(file.end(), ogg.begin(), ogg.end());
    auto out = Decode(file);
    const size_t frames = src.size() / size_t(c.channels) * c.repeat;
    ASSERT_EQ(out->Size(), std::max<int64_t>(32768, (int64_t(frames) * 4 + 1023) / 1024 * 1024));
    const int16_t* s = Samples(*out);
    const size_t jumpAt = size_t(c.end * c.rate), jumpTo = size_t(c.begin * c.rate);
    for (size_t f = 0; f < frames; ++f) {
      size_t from = f / c.repeat;
      if (jumpAt && from >= jumpAt) from = from - jumpAt + jumpTo;
      const int16_t* in = &src[from * size_t(c.channels)];
      // Full volume scales by 254 / 256, truncating toward zero.
      ASSERT_EQ(s[2 * f], in[0] * 254 / 256) << "frame " << f;
      ASSERT_EQ(s[2 * f + 1], in[c.channels - 1] * 254 / 256) << "frame " << f;
    }
    for (size_t i = 2 * frames; i < size_t(out->Size()) / 2; ++i) ASSERT_EQ(s[i], 0) << i;
  }
}

TEST_F(SoundDecoderTest, SizesRoundToWholeKilobytes) {
  EXPECT_EQ(Decode(Ogg(Sine(8192, 2, 44100, 300, 0.3), 2, 44100))->Size(), 32768);
  EXPECT_EQ(Decode(Ogg(Sine(8193, 2, 44100, 300, 0.3), 2, 44100))->Size(), 33792);
}

// A request with room for less than one source frame delivers nothing whole:
// the stream ends there cleanly, it does not fail.
TEST_F(SoundDecoderTest, RequestShorterThanAFrameEndsTheStreamCleanly) {
  for (int channels : {1, 2}) {
    SCOPED_TRACE(channels);
    const auto ogg = Ogg(Sine(4410, channels, 22050, 300, 0.3), channels, 22050);
    TOggData dec(4096);
    ASSERT_TRUE(dec.LoadOgg(std::make_unique<TMemoryStream>(ogg.data(), ogg.size())));
    dec.Play(false);
    uint8_t buf[16] = {};
    // 22050 Hz asks the library for a quarter (mono) or half (stereo) of the
    // bytes: 6 output bytes leave room for 1 or 3 source bytes.
    EXPECT_EQ(dec.RenderingToPointer(buf, 6), 0);
    EXPECT_EQ(dec.GetPlayState(), OggDataLib2::psSTOP);
  }
}

TEST_F(SoundDecoderTest, UnsupportedRateDecodesToSilence) {
  auto out = Decode(Ogg(Sine(48000, 2, 48000, 300, 0.5), 2, 48000));
  EXPECT_EQ(out->Size(), 48000 * 4 + 1024 - (48000 * 4) % 1024);
  const int16_t* s = Samples(*out);
  for (int64_t i = 0; i < out->Size() / 2; ++i) ASSERT_EQ(s[i], 0);
}

TEST_F(SoundDecoderTest, LoopRecordShapesTheDecodedDataOnce) {
  // Three seconds whose loudness tells which second it is.
  std::vector<int16_t> pcm;
  const double amp[3] = {0.1, 0.4, 0.8};
  for (int sec = 0; sec < 3; ++sec) {
    auto part = Sine(44100, 2, 44100, 400, amp[sec]);
    pcm.insert(pcm.end(), part.begin(), part.end());
  }
  TOggLoop loops[16];
  loops[0] = TOggLoop{1.0f, 2.0f, 1};
  std::vector<uint8_t> file = OggDataLib2::MakeAlphaOggHeader(loops);
  const auto ogg = Ogg(pcm, 2, 44100);
  file.insert(file.end(), ogg.begin(), ogg.end());
  auto out = Decode(file);
  ASSERT_GE(out->Size(), 3 * 176400);
  const int16_t* s = Samples(*out);
  const double full = 32767 * 254.0 / 256.0 / std::sqrt(2.0);
  auto level = [&](double from, double to) {
    return Rms(s, size_t(from * 88200), size_t(to * 88200)) / full;
  };
  EXPECT_NEAR(level(0.2, 0.8), 0.1, 0.03);
  EXPECT_NEAR(level(1.2, 1.8), 0.4, 0.05);
  EXPECT_NEAR(level(2.2, 2.8), 0.4, 0.05);  // the jump back to 1.0 s
}

TEST_F(SoundDecoderTest, HeaderNeedsAllOfItsBytes) {
  std::vector<uint8_t> file = {'A', 'L', 'P', 'H', 'A', 'O', 'G', 'G'};
  file.resize(199, 0);
  TOggData dec(4096);
  EXPECT_FALSE(dec.LoadLoop(*std::make_unique<TMemoryStream>(file.data(), file.size())));
  EXPECT_THROW(dec.LoadOgg(std::make_unique<TMemoryStream>(file.data(), file.size())),
               ERangeError);
  EXPECT_EQ(dec.GetPlayState(), OggDataLib2::psNONE);
  EXPECT_FALSE(dec.LoadOgg(nullptr));
}

TEST_F(SoundDecoderTest, InformationCommentsAndPlayStates) {
  const auto ogg = Ogg(Sine(44100, 2, 44100, 300, 0.3), 2, 44100,
                       {"TITLE=court", "ARTIST=\xE3\x81\x82"});  // "あ" in UTF-8
  TOggData dec(4096);
  ASSERT_TRUE(dec.LoadOgg(std::make_unique<TMemoryStream>(ogg.data(), ogg.size())));
  EXPECT_EQ(dec.Channels, 2);
  EXPECT_EQ(dec.Rate, 44100);
  EXPECT_EQ(dec.TotalSize, 44100 * 4);
  EXPECT_NEAR(dec.TotalTime, 1.0f, 1e-3);
  ASSERT_EQ(dec.UserComment.size(), 2u);
  EXPECT_EQ(dec.UserComment[0], "TITLE=court");
  EXPECT_EQ(dec.UserComment[1], "ARTIST=\x82\xA0");  // Shift-JIS "あ"
  EXPECT_FALSE(dec.Vendor.empty());
  EXPECT_TRUE(dec.SeekAble());
  EXPECT_EQ(dec.GetPlayState(), OggDataLib2::psSTOP);
  dec.Play(true);
  EXPECT_EQ(dec.GetPlayState(), OggDataLib2::psLOOP);
  // Looping runs past the end of the stream without a gap.
  std::vector<uint8_t> buf(44100 * 4 + 4000);
  EXPECT_EQ(dec.RenderingToPointer(buf.data(), int32_t(buf.size())), int32_t(buf.size()));
  EXPECT_EQ(dec.GetPlayState(), OggDataLib2::psLOOP);
  dec.TimeSeek(0.5f);
  EXPECT_NEAR(dec.TimeTell(), 0.5f, 0.01f);
  dec.Stop();
  EXPECT_EQ(dec.GetPlayState(), OggDataLib2::psSTOP);
  EXPECT_NEAR(dec.TimeTell(), 0.0f, 0.01f);
  EXPECT_EQ(dec.RenderingToPointer(buf.data(), 64), 0);
}

TEST_F(SoundDecoderTest, VolumeSettingsAndRamps) {
  TOggData dec(4096);
  EXPECT_FALSE(dec.GetEQ());
  EXPECT_FLOAT_EQ(dec.GetNowVolume(), 1.0f);
  dec.SetVolume(3.0f);
  EXPECT_FLOAT_EQ(dec.GetSetVolume(), 2.0f);
  dec.SetVolume(0.5f, 0.005f);
  EXPECT_FLOAT_EQ(dec.GetNowVolume(), 0.5f);
  // A ramp to 1.0 over 0.1 s reaches it within 4410 frames.
  const auto ogg = Ogg(std::vector<int16_t>(2 * 20000, 8000), 2, 44100);
  ASSERT_TRUE(dec.LoadOgg(std::make_unique<TMemoryStream>(ogg.data(), ogg.size())));
  dec.Play(false);
  dec.SetVolume(1.0f, 0.1f);
  std::vector<int16_t> buf(2 * 8000);
  dec.RenderingToPointer(buf.data(), int32_t(buf.size() * 2));
  EXPECT_FLOAT_EQ(dec.GetNowVolume(), 1.0f);
  EXPECT_LT(std::abs(buf[2 * 1000]), std::abs(buf[2 * 6000]));
  // Both volumes below 0.01 pause the decoder.
  dec.SetVolume(0.0f);
  dec.RenderingToPointer(buf.data(), 64);
  EXPECT_EQ(dec.GetPlayState(), OggDataLib2::psSTOP);
}

TEST_F(SoundDecoderTest, EqualiserAtUniformGainScalesTheSignal) {
  TOggData dec(4096);
  for (int i = 0; i < 256; ++i) dec.SetEQ(i, 0.5f);
  EXPECT_TRUE(dec.GetEQ());
  auto pcm = Sine(1000, 2, 44100, 1000, 0.5);
  auto orig = pcm;
  dec.ApplyEQ(pcm.data(), int32_t(pcm.size() * 2));
  for (size_t i = 0; i < pcm.size(); ++i) ASSERT_NEAR(pcm[i], orig[i] * 0.5, 2.0) << i;
  dec.SetEQ(3, 1.0f, 0.5f);  // a ramp over half a second
  EXPECT_FLOAT_EQ(dec.GetNowEQ(3), 0.5f);
  EXPECT_FLOAT_EQ(dec.GetSetEQ(3), 1.0f);
  // 192 frames go in two passes (128 frames, then 64), each ramping by its
  // window of new frames (192, then 64).
  dec.ApplyEQ(pcm.data(), 192 * 4);
  EXPECT_NEAR(dec.GetNowEQ(3), 0.5f + 256 * 0.5f / 22050, 1e-4);
}

TEST(SoundBinding, StreamCallbacks) {
  TMemoryStream s;
  const uint8_t data[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  s.Write(data, 10);
  s.SetPosition(2);
  uint8_t buf[8] = {};
  EXPECT_EQ(wustream::read_func(buf, 0, 4, &s), 0u);
  EXPECT_EQ(s.Position(), 2);
  EXPECT_EQ(wustream::read_func(buf, 2, 2, &s), 4u);
  EXPECT_EQ(buf[0], 3);
  EXPECT_EQ(wustream::seek_func(&s, -3, 2), 7);
  EXPECT_EQ(wustream::tell_func(&s), 7);
  EXPECT_EQ(wustream::seek_func(&s, 1, 1), 8);
  EXPECT_EQ(wustream::seek_func(&s, 0x100000004ll, 0), 4);  // the low 32 bits
}

// The library owns an open stream until the decoder clears it; the decoder
// keeps the library loaded until then, also when the global binding is
// released first, so the stream is always freed.
TEST(SoundBinding, ClearingFreesTheStreamWhicheverGoesFirst) {
  static bool freed;
  struct Watched : TMemoryStream {
    using TMemoryStream::TMemoryStream;
    ~Watched() override { freed = true; }
  };
  const auto ogg = Ogg(Sine(5000, 2, 44100, 300, 0.3), 2, 44100);
  for (bool bindingFirst : {false, true}) {
    SCOPED_TRACE(bindingFirst);
    ASSERT_TRUE(VorbisfileInitialize(std::string(QORV_BINARY_DIR) + "/game/data/wuvorbis.so"));
    freed = false;
    {
      TOggData dec(4096);
      ASSERT_TRUE(dec.LoadOgg(std::make_unique<Watched>(ogg.data(), ogg.size())));
      if (bindingFirst) VorbisfileFinalize();
      EXPECT_FALSE(freed);
    }
    EXPECT_TRUE(freed);
    VorbisfileFinalize();
  }
}

TEST(SoundBinding, LibraryMissingAFunctionIsIncompleteAndDecodesNothing) {
  EXPECT_FALSE(VorbisfileInitialize(std::string(QORV_BINARY_DIR) + "/testlib/wuvorbis_incomplete.so"));
  ASSERT_NE(VorbisfileDll, nullptr);
  EXPECT_FALSE(VorbisfileDll->Complete());
  const auto ogg = Ogg(Sine(5000, 2, 44100, 300, 0.3), 2, 44100);
  TMemoryStream in(ogg.data(), ogg.size());
  EXPECT_THROW(OggToMemoryStream(&in), ERangeError);
  VorbisfileFinalize();
}

// A damaged library never reaches the system loader, which would kill the
// program on a cut one: missing, emptied, cut short, or changed since the
// build recorded its digest, it is refused with a line naming the file and
// the reason.
TEST(SoundBinding, DamagedLibraryIsRefusedWithItsReason) {
  GameFolder folder;
  const fs::path built = fs::path(QORV_BINARY_DIR) / "game" / "data" / "wuvorbis.so";
  auto read = [](const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
  };
  const std::vector<uint8_t> good = read(built), record = read(built.string() + ".sha256");
  ASSERT_FALSE(record.empty()) << "the build records the library's digest";
  std::vector<uint8_t> flipped = good;
  flipped[good.size() / 2] ^= 0x40;
  struct Case {
    const char* name;
    std::vector<uint8_t> lib;
    bool recorded;
    const char* reason;
  } cases[] = {
      {"missing", {}, false, "cannot be opened"},
      {"empty", {}, false, "too short for an ELF header"},
      // Cut inside its first loadable segment, past its headers.
      {"cut", std::vector<uint8_t>(good.begin(), good.begin() + 1024), false,
       "a loadable segment lies past the end of the file"},
      {"changed", flipped, true, "digest differs from the build's record"},
      {"cut, recorded", std::vector<uint8_t>(good.begin(), good.begin() + 1024), true,
       "size differs from the build's record"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(folder.Path() / "data" / "wuvorbis.so.sha256");
    fs::remove(folder.Path() / "data" / "wuvorbis.so");
    if (std::string(c.name) != "missing") folder.Write("data/wuvorbis.so", c.lib);
    if (c.recorded) folder.Write("data/wuvorbis.so.sha256", record);
    testing::internal::CaptureStderr();
    EXPECT_THROW(VorbisfileInitialize("data\\wuvorbis.so"), ERangeError);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find((folder.Path() / "data" / "wuvorbis.so").string()), std::string::npos) << err;
    EXPECT_NE(err.find(c.reason), std::string::npos) << err;
    VorbisfileFinalize();
  }
}

// ---- the sound sources ------------------------------------------------------------

TEST(SoundScript, ReadsNotesAndNamesItsMistakes) {
  EXPECT_EQ(soundtool::NoteNumber("C4"), 60);
  EXPECT_EQ(soundtool::NoteNumber("A4"), 69);
  EXPECT_EQ(soundtool::NoteNumber("F#5"), 78);
  EXPECT_EQ(soundtool::NoteNumber("Bb3"), 58);
  EXPECT_EQ(soundtool::NoteNumber("H2"), -100);

  std::vector<soundtool::Sound> out;
  std::string err;
  ASSERT_TRUE(soundtool::ParseSounds("# c\nsound se 4 blip\nvoice square vol=0.2\nC5 - . E5\n",
                                     "t.txt", out, err))
      << err;
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].voices[0].steps, (std::vector<int>{72, -2, -1, 76}));

  const std::pair<const char*, const char*> bad[] = {
      {"voice square\n", "t.txt:1:"},
      {"sound se 1 a\nvoice organ\n", "unknown wave"},
      {"sound se 1 a\nvoice square\nC5 X9\n", "t.txt:3:"},
      {"sound se 1 a\nvoice square vol=x\n", "bad voice setting"},
      {"sound bgm 1 a\nloop\nvoice square\nC5 - -\n", "multiple of 4"},
      {"sound se 1 a\nvoice square\nC5\nsound se 1 b\nvoice square\nC5\n", "already defined"},
      {"sound se 300 a\n", "0..255"},
  };
  for (auto [text, what] : bad) {
    out.clear();
    EXPECT_FALSE(soundtool::ParseSounds(text, "t.txt", out, err)) << text;
    EXPECT_NE(err.find(what), std::string::npos) << err;
  }
}

TEST(SoundScript, LoopsAreWholeBlocksAndRingIntoTheirStart) {
  std::vector<soundtool::Sound> out;
  std::string err;
  ASSERT_TRUE(soundtool::ParseSounds(
      "sound bgm 0 a\ntempo 140 4\nloop\nvoice square r=200\n. . . C5\nvoice noise\nC2 .\n", "t",
      out, err))
      << err;
  const int sf = soundtool::StepFrames(out[0]);
  EXPECT_EQ(sf % 64, 0);
  const auto pcm = soundtool::Render(out[0]);
  ASSERT_EQ(pcm.size(), size_t(4 * sf * 2));
  EXPECT_EQ(pcm.size() / 2 % 256, 0u);
  // The last note's release comes back in at the start, beside the noise.
  EXPECT_NE(pcm[2 * 5], 0);
}

}  // namespace
