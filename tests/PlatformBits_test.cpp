// Small platform services: the debug log files, error code texts, halting,
// zlib blocks, Ogg Vorbis encoding and the screen saver switch.
#include <SDL.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "platform/DebugLog.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/OggVorbisEncode.h"
#include "platform/ScreenSaver.h"
#include "platform/Zlib.h"

namespace fs = std::filesystem;

namespace {

std::string Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The first line of a log starts the file afresh; later ones are appended,
// each headed with its number. No folder means the program's folder.
TEST(DebugLog, LinesAreNumberedAndTheFirstStartsTheFile) {
  const fs::path dir = fs::temp_directory_path() / ("qorv_log_" + std::to_string(std::random_device{}()));
  fs::create_directories(dir);
  std::ofstream(dir / "log.txt") << "old run\n";
  int32_t count = 0;
  plat::AppendDebugLine(dir.string(), "log.txt", count, "[%d] ", "one");
  plat::AppendDebugLine(dir.string() + "/", "log.txt", count, "[%d] ", "two");
  EXPECT_EQ(count, 2);
  EXPECT_EQ(Slurp(dir / "log.txt"), "[1] one\n[2] two\n");
  plat::SetProgramFolder(dir.string() + "/");
  int32_t other = 0;
  plat::AppendDebugLine("", "log.txt", other, "#%d:", "again");
  plat::SetProgramFolder("");
  EXPECT_EQ(Slurp(dir / "log.txt"), "#1:again\n");
  fs::remove_all(dir);

  EXPECT_EQ(plat::ErrorCodeText(0x8876017C, true), "(Error Code(8876017C))");
  EXPECT_EQ(plat::ErrorCodeText(0xab, false), "(Error Code(ab))");
}

TEST(DebugLog, HaltGoesToItsHandlerOrShowsTheMessageAndEnds) {
  std::string got;
  plat::HaltWith([&](const std::string& m) { got = m; }, "stop");
  EXPECT_EQ(got, "stop");
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        plat::SetMessageBoxSink([](const std::string& m) { std::fprintf(stderr, "box: %s\n", m.c_str()); });
        plat::HaltWith({}, "bye");
      },
      ::testing::ExitedWithCode(1), "qorv_tests: bye\nbox: bye");
}

// The signal a child forked now gets when its parent dies (0: none).
int ForkedChildsDeathSignal() {
  const pid_t pid = ::fork();
  if (pid == 0) {
    int sig = -1;
    ::prctl(PR_GET_PDEATHSIG, &sig);
    ::_exit(sig);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// While a box is up, a child forked for it dies with the game and SIGTERM
// or SIGINT end the game; once the box is gone both are as before.
TEST(MessageBoxGuard, OnlyWhileABoxIsUp) {
  struct sigaction termBefore {}, intBefore {}, termDuring {}, intDuring {}, now {};
  ::sigaction(SIGTERM, nullptr, &termBefore);
  ::sigaction(SIGINT, nullptr, &intBefore);
  int during = -1;
  plat::detail::ShowGuarded([&] {
    during = ForkedChildsDeathSignal();
    ::sigaction(SIGTERM, nullptr, &termDuring);
    ::sigaction(SIGINT, nullptr, &intDuring);
  });
  EXPECT_EQ(during, SIGKILL);
  EXPECT_NE(termDuring.sa_handler, termBefore.sa_handler);
  EXPECT_EQ(intDuring.sa_handler, termDuring.sa_handler);
  EXPECT_EQ(ForkedChildsDeathSignal(), 0) << "no box is up";
  ::sigaction(SIGTERM, nullptr, &now);
  EXPECT_EQ(now.sa_handler, termBefore.sa_handler);
  ::sigaction(SIGINT, nullptr, &now);
  EXPECT_EQ(now.sa_handler, intBefore.sa_handler);
  // A box's lines: a path breaks after a '/', a long word where the line is
  // full, and a double-byte character ("あ") moves down whole.
  EXPECT_EQ(plat::WrapBoxText("/usr/lib/x abcdefghijk\x82\xA0\x82\xA2", 6),
            "/usr/\nlib/x\nabcdef\nghijk\n\x82\xA0\x82\xA2");
}

TEST(Zlib, BlocksRoundTripAndDamageIsRefused) {
  std::vector<uint8_t> data(1000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i % 7);
  const auto packed = plat::ZlibCompress(data, 9);
  ASSERT_FALSE(packed.empty());
  EXPECT_LT(packed.size(), data.size());
  EXPECT_EQ(plat::ZlibUncompress(packed, data.size()), data);
  EXPECT_EQ(plat::ZlibUncompress(packed, data.size() + 1), std::nullopt) << "shorter than told";
  EXPECT_EQ(plat::ZlibUncompress(packed, data.size() - 1), std::nullopt) << "longer than told";
  std::vector<uint8_t> cut(packed.begin(), packed.end() - 4);
  EXPECT_EQ(plat::ZlibUncompress(cut, data.size()), std::nullopt);
  EXPECT_TRUE(plat::ZlibCompress(data, 12).empty()) << "no such level";
  EXPECT_EQ(plat::ZlibUncompress(plat::ZlibCompress({}), 0), std::vector<uint8_t>{});
}

// A stream starts with its headers (the comments among them), ends with an
// end-of-stream page, and is the same for the same sound; a format the
// encoder cannot take gives nothing.
TEST(OggVorbisEncode, StreamsAreWholeAndReproducible) {
  std::vector<int16_t> pcm(2 * 3000);
  for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = int16_t((i * 523) % 20000 - 10000);
  const auto a = plat::EncodeOggVorbis(pcm.data(), 3000, 2, 22050, 0.3f, {"TITLE=qorv"});
  const std::string bytes(a.begin(), a.end());
  ASSERT_GT(bytes.size(), 200u);
  EXPECT_EQ(bytes.rfind("OggS", 0), 0u);
  EXPECT_NE(bytes.find("TITLE=qorv"), std::string::npos);
  EXPECT_EQ(bytes[bytes.rfind("OggS") + 5] & 4, 4) << "the last page ends the stream";
  EXPECT_EQ(plat::EncodeOggVorbis(pcm.data(), 3000, 2, 22050, 0.3f, {"TITLE=qorv"}), a);
  EXPECT_NE(plat::EncodeOggVorbis(pcm.data(), 3000, 1, 22050, 0.3f), a);
  EXPECT_FALSE(plat::EncodeOggVorbis(nullptr, 0, 1, 22050, 0.3f).empty()) << "no sound is still a stream";
  EXPECT_TRUE(plat::EncodeOggVorbis(nullptr, 10, 1, 22050, 0.3f).empty());
  EXPECT_TRUE(plat::EncodeOggVorbis(pcm.data(), 10, 3, 22050, 0.3f).empty());
  EXPECT_TRUE(plat::EncodeOggVorbis(pcm.data(), 10, 0, 22050, 0.3f).empty());
  EXPECT_TRUE(plat::EncodeOggVorbis(pcm.data(), 10, 1, 20000000, 0.3f).empty()) << "no such rate";
}

TEST(ScreenSaver, TheSwitchIsKept) {
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
  for (bool on : {false, true, false}) {
    plat::SetScreenSaverActive(on);
    EXPECT_EQ(plat::ScreenSaverActive(), on);
  }
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

}  // namespace
