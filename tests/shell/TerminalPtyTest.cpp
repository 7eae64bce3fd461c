// The terminal front end through a pseudo-terminal: keys in, lines out, the terminal's modes
// put back when the program ends. No timing is asserted: every wait is for output.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/TempFolder.h"
#include "tests/shell/ExecProgram.h"

namespace lyn::testing {
namespace {

class cPtyChild {
 public:
  explicit cPtyChild(const TempFolder& root) {
    std::filesystem::create_directories(root / "home");
    mEnv = {"HOME=" + (root / "home").string(), "XDG_CONFIG_HOME=" + (root / "cfg").string(),
            "XDG_DATA_HOME=" + (root / "data").string(), "LYN_PROGRAM_DIR=" LYN_BUILD_DATA_DIR,
            "LYN_AUDIO=null", "TERM=linux"};
    mPid = ::forkpty(&mMaster, nullptr, nullptr, nullptr);
    if (mPid == 0) {
      fncExecProgram({LYN_READER, "--tty", LYN_BUILD_DATA_DIR "/sample-book"}, mEnv);
    }
  }
  ~cPtyChild() {
    if (mPid > 0 && !mbReaped) {
      ::kill(mPid, SIGKILL);
      ::waitpid(mPid, nullptr, 0);
    }
    ::close(mMaster);
  }
  // Reads until the output holds `text` (or it ends, or 60 s pass).
  bool waitFor(const std::string& text) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (output.find(text, mSearchFrom) == std::string::npos) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      pollfd fd{mMaster, POLLIN, 0};
      if (::poll(&fd, 1, 500) <= 0) continue;
      char chunk[4096];
      const ssize_t n = ::read(mMaster, chunk, sizeof chunk);
      if (n <= 0) return false;
      output.append(chunk, size_t(n));
    }
    mSearchFrom = output.find(text, mSearchFrom) + text.size();
    return true;
  }
  void type(const std::string& bytes) { ASSERT_EQ(::write(mMaster, bytes.data(), bytes.size()), ssize_t(bytes.size())); }
  int wait() {
    int status = 0;
    ::waitpid(mPid, &status, 0);
    mbReaped = true;
    return status;
  }
  // The terminal's modes as the program left them.
  termios modes() const {
    termios t{};
    const int slave = ::open(::ptsname(mMaster), O_RDWR | O_NOCTTY);
    ::tcgetattr(slave, &t);
    ::close(slave);
    return t;
  }
  void signal(int number) { ::kill(mPid, number); }

  std::string output;

 private:
  std::vector<std::string> mEnv;
  pid_t mPid = -1;
  int mMaster = -1;
  bool mbReaped = false;
  size_t mSearchFrom = 0;
};

TEST(TerminalFrontEnd, KeysInLinesOutAndTheTerminalPutBack) {
  TempFolder root;
  cPtyChild child(root);
  ASSERT_TRUE(child.waitFor("LYN Reader 1.1  ---  Reading")) << child.output;
  ASSERT_TRUE(child.waitFor("The Lighthouse at Gull Point")) << child.output;
  ASSERT_TRUE(child.waitFor("playing]")) << child.output;
  child.type(" ");  // Space stops
  ASSERT_TRUE(child.waitFor("stopped]")) << child.output;
  child.type("\x1b[24~");  // F12 asks
  ASSERT_TRUE(child.waitFor("Exit")) << child.output;
  child.type("\r");  // Enter confirms
  ASSERT_TRUE(child.waitFor("LYN Reader has ended.")) << child.output;
  const int status = child.wait();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  // Nothing is redrawn: no cursor addressing, no clearing of the screen.
  EXPECT_EQ(child.output.find("\x1b[2J"), std::string::npos) << child.output;
  EXPECT_EQ(child.output.find("\x1b[H"), std::string::npos);
  const termios t = child.modes();
  EXPECT_TRUE(t.c_lflag & ICANON);
  EXPECT_TRUE(t.c_lflag & ECHO);
}

TEST(TerminalFrontEnd, ASignalPutsTheTerminalBackToo) {
  TempFolder root;
  cPtyChild child(root);
  ASSERT_TRUE(child.waitFor("playing]")) << child.output;
  const termios raw = child.modes();
  EXPECT_FALSE(raw.c_lflag & ICANON);
  EXPECT_TRUE(raw.c_lflag & ISIG);
  child.signal(SIGHUP);
  ASSERT_TRUE(child.waitFor("LYN Reader has ended.")) << child.output;
  child.wait();
  EXPECT_TRUE(child.modes().c_lflag & ICANON);
}

}  // namespace
}  // namespace lyn::testing
