// The program block: the settings file check, the single-instance branches,
// and the real socket registry between two "copies" in one process.
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "platform/InstanceGuard.h"
#include "platform/MessageBox.h"
#include "shell/Program.h"
#include "tests/FormTestKit.h"

namespace {

// A session atom table and window list in memory.
class FakeRegistry : public plat::InstanceRegistry {
 public:
  bool atomExists = false;
  bool windowExists = false;
  bool addFails = false;
  int adds = 0, deletes = 0, restoresSent = 0, channelsOpened = 0;
  bool FindAtom(const std::string& name) override {
    looked = name;
    return atomExists;
  }
  bool AddAtom(const std::string&) override {
    ++adds;
    return !addFails;
  }
  void DeleteAtom() override { ++deletes; }
  bool RestoreRunningWindow() override {
    if (windowExists) ++restoresSent;
    return windowExists;
  }
  void OpenWindowChannel() override { ++channelsOpened; }
  bool TakeRestoreRequest() override { return false; }
  std::string looked;
};

class ProgramBlock : public formkit::FormFixture {
 protected:
  int Run(FakeRegistry& reg, BuildFlags flags = BuildFlags{true, false}) {
    host.QueueKey(Now() + 40, 27);  // Esc soon after the start
    host.MaxIdleCalls = 1000;
    return RunGameProgram(host, reg, formkit::CountingParts(c), flags);
  }
};

TEST_F(ProgramBlock, MissingSettingsShowsTheMessageAndCreatesNothing) {
  FakeRegistry reg;
  EXPECT_NE(Run(reg), 0);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "Please start up tumbotcfg first. And, please set it.");
  EXPECT_FALSE(host.WindowCreated);
  EXPECT_EQ(reg.adds, 0);
  EXPECT_TRUE(reg.looked.empty()) << "the atom is not even looked up";

  boxes.clear();
  Run(reg, BuildFlags{false, false});
  ASSERT_EQ(boxes.size(), 1u);  // "tumbotcfgを起動し、設定をおこなってください"
  EXPECT_EQ(boxes[0], "tumbotcfg\x82\xF0\x8BN\x93\xAE\x82\xB5\x81\x41\x90\xDD\x92\xE8\x82\xF0"
                      "\x82\xA8\x82\xB1\x82\xC8\x82\xC1\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2");
}

// A settings file cut short, emptied or too long would start the game with
// dead keys: it is refused like a missing one, and stderr says why.
TEST_F(ProgramBlock, SettingsOfTheWrongSizeCountAsMissing) {
  WriteSettings();
  const auto cfg = dir_ / "data" / "dbcfg.sai";
  for (uintmax_t size : {0, 1, 107, 109}) {
    SCOPED_TRACE(size);
    std::filesystem::resize_file(cfg, size);
    boxes.clear();
    FakeRegistry reg;
    testing::internal::CaptureStderr();
    EXPECT_NE(Run(reg), 0);
    const std::string err = testing::internal::GetCapturedStderr();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "Please start up tumbotcfg first. And, please set it.");
    EXPECT_FALSE(host.WindowCreated);
    EXPECT_NE(err.find("dbcfg.sai: wrong size"), std::string::npos) << err;
  }
}

TEST_F(ProgramBlock, FirstCopyTakesTheNameRunsAndGivesItBack) {
  WriteSettings();
  FakeRegistry reg;
  EXPECT_EQ(Run(reg), 0);
  EXPECT_EQ(reg.looked, plat::ProgramFileName());
  EXPECT_EQ(reg.adds, 1);
  EXPECT_EQ(reg.channelsOpened, 1);
  EXPECT_EQ(reg.deletes, 1);
  EXPECT_TRUE(host.WindowCreated);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(ProgramBlock, RunningCopyWithAWindowIsRaisedAndWeLeave) {
  WriteSettings();
  FakeRegistry reg;
  reg.atomExists = reg.windowExists = true;
  EXPECT_EQ(Run(reg), 0);
  EXPECT_EQ(reg.restoresSent, 1);
  EXPECT_FALSE(host.WindowCreated);
  EXPECT_EQ(reg.adds, 0);
}

TEST_F(ProgramBlock, NameTakenButNoWindowStartsNormally) {
  WriteSettings();
  FakeRegistry reg;
  reg.atomExists = true;
  EXPECT_EQ(Run(reg), 0);
  EXPECT_TRUE(host.WindowCreated);
  EXPECT_EQ(reg.adds, 0) << "keeps the name it found";
}

TEST_F(ProgramBlock, NameThatCannotBeTakenIsAFailureNotASilentSuccess) {
  WriteSettings();
  FakeRegistry reg;
  reg.addFails = true;
  EXPECT_NE(Run(reg), 0);
  EXPECT_FALSE(host.WindowCreated);
}

TEST_F(ProgramBlock, ErrorBoxGivesAFailureExitCode) {
  WriteSettings();
  FakeRegistry reg;
  auto parts = formkit::CountingParts(c);
  parts.MakeScene = [&](TForm1& f) {
    f.Glb->HaltMsgNo(0);
    return std::make_unique<formkit::CountingScene>(c);
  };
  host.MaxIdleCalls = 1000;
  EXPECT_NE(RunGameProgram(host, reg, parts, BuildFlags{true, false}), 0);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "Error \"File Not Found\"");
  EXPECT_EQ(reg.deletes, 1);
}

// Two registries in one process behave like two copies of the program.
TEST(SocketInstanceRegistry, SecondCopyFindsTheFirstAndAsksItToRestore) {
  std::string name = "qorv_test_" + std::to_string(::getpid()) + ".exe";
  plat::SocketInstanceRegistry first, second;
  EXPECT_FALSE(first.FindAtom(name));
  EXPECT_TRUE(first.AddAtom(name));

  // Before the first copy's window exists there is nobody to raise.
  EXPECT_TRUE(second.FindAtom(name));
  EXPECT_FALSE(second.RestoreRunningWindow());

  first.OpenWindowChannel();
  EXPECT_FALSE(first.TakeRestoreRequest());
  EXPECT_TRUE(second.FindAtom(name));
  EXPECT_TRUE(second.RestoreRunningWindow());
  EXPECT_TRUE(first.TakeRestoreRequest());
  EXPECT_FALSE(first.TakeRestoreRequest()) << "one request, one restore";

  // Another program file name is another copy altogether.
  plat::SocketInstanceRegistry other;
  EXPECT_FALSE(other.FindAtom(name + "2"));
  EXPECT_TRUE(other.AddAtom(name + "2"));

  first.DeleteAtom();
  plat::SocketInstanceRegistry third;
  EXPECT_FALSE(third.FindAtom(name)) << "the name is free once given back";
}

TEST(SocketInstanceRegistry, HostRaisesItsWindowWhenARequestArrives) {
  std::string name = "qorv_test_raise_" + std::to_string(::getpid());
  plat::SocketInstanceRegistry first, second;
  ASSERT_TRUE(first.AddAtom(name));
  first.OpenWindowChannel();
  plat::ScriptedHost host;
  host.OnPump = [&] {
    if (first.TakeRestoreRequest()) host.RestoreAndRaise();
  };
  ASSERT_TRUE(second.FindAtom(name));
  ASSERT_TRUE(second.RestoreRunningWindow());
  host.ProcessMessages();
  EXPECT_EQ(host.Restores, 1);
}

// Waits up to five seconds for a child to end; kills it when it does not.
bool EndsSoon(pid_t pid, int& status) {
  for (int i = 0; i < 500; ++i) {
    if (::waitpid(pid, &status, WNOHANG) == pid) return true;
    ::usleep(10000);
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, &status, 0);
  return false;
}

// A game shows a box that lives in a process forked meanwhile, as the window
// system's dialog does, and gives the name back itself: the box must not be
// holding it. Killed, or asked to end while it waits, the game goes and takes
// the box with it, even though the game's own handler only records SIGTERM.
TEST(SocketInstanceRegistry, ABoxNeverHoldsTheNameAndEndsWithItsGame) {
  ::prctl(PR_SET_CHILD_SUBREAPER, 1);  // an orphaned box comes back here to be waited for
  for (int sig : {SIGKILL, SIGTERM, SIGINT}) {
    SCOPED_TRACE(strsignal(sig));
    const std::string name = "qorv_test_box_" + std::to_string(::getpid()) + "_" + std::to_string(sig);
    int up[2], link[2];  // box to game, game to test
    ASSERT_EQ(::pipe(up), 0);
    ASSERT_EQ(::pipe(link), 0);
    const pid_t game = ::fork();
    if (game == 0) {
      ::signal(SIGTERM, [](int) {});
      ::signal(SIGINT, [](int) {});
      plat::SocketInstanceRegistry atoms;
      if (!atoms.AddAtom(name)) ::_exit(2);
      plat::detail::ShowGuarded([&] {
        const pid_t box = ::fork();
        if (box == 0) {  // the box says it is up, then waits to be closed
          if (::write(up[1], "u", 1) != 1) ::_exit(3);
          for (;;) ::pause();
        }
        char c;
        if (::read(up[0], &c, 1) != 1) ::_exit(4);
        atoms.DeleteAtom();
        if (::write(link[1], &box, sizeof box) != sizeof box) ::_exit(5);
        while (::waitpid(box, nullptr, 0) < 0 && errno == EINTR) {}
      });
      ::_exit(0);
    }
    for (int fd : {up[0], up[1], link[1]}) ::close(fd);
    pid_t box = 0;
    ASSERT_EQ(::read(link[0], &box, sizeof box), ssize_t(sizeof box));
    ::close(link[0]);
    plat::SocketInstanceRegistry next;
    EXPECT_FALSE(next.FindAtom(name)) << "the box holds the name";

    ::kill(game, sig);
    int status = 0;
    EXPECT_TRUE(EndsSoon(game, status)) << "the game outlived the signal";
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig);
    EXPECT_TRUE(EndsSoon(box, status)) << "the box outlived its game";
  }
  ::prctl(PR_SET_CHILD_SUBREAPER, 0);
}

}  // namespace
