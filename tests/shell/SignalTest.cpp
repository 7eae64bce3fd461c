// The program as users run it, in a process of its own: a signal during playback ends it the
// normal way, and the place is kept for the next start.

#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/TempFolder.h"
#include "tests/shell/ExecProgram.h"

namespace lyn::testing {
namespace {

class cChild {
 public:
  cChild(const std::vector<std::string>& args, const std::vector<std::string>& env) {
    int in[2], out[2];
    if (::pipe(in) != 0 || ::pipe(out) != 0) std::abort();
    mPid = ::fork();
    if (mPid == 0) {
      ::dup2(in[0], 0);
      ::dup2(out[1], 1);
      ::close(in[1]);
      ::close(out[0]);
      fncExecProgram(args, env);
    }
    ::close(in[0]);
    ::close(out[1]);
    mIn = in[1];
    mOut = out[0];
  }
  ~cChild() {
    if (mIn >= 0) ::close(mIn);
    ::close(mOut);
    if (mPid > 0 && !mbReaped) {
      ::kill(mPid, SIGKILL);
      ::waitpid(mPid, nullptr, 0);
    }
  }
  void write(const std::string& text) { ASSERT_EQ(::write(mIn, text.data(), text.size()), ssize_t(text.size())); }
  void closeInput() {
    ::close(mIn);
    mIn = -1;
  }
  // Reads output until a line satisfies `done` or the output ends (or 60 s pass).
  bool readUntil(const std::function<bool(const std::string&)>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
      for (size_t end; (end = mBuffer.find('\n')) != std::string::npos;) {
        lines.push_back(mBuffer.substr(0, end));
        mBuffer.erase(0, end + 1);
        if (done && done(lines.back())) return true;
      }
      pollfd fd{mOut, POLLIN, 0};
      if (::poll(&fd, 1, 1000) <= 0) continue;
      char chunk[4096];
      const ssize_t n = ::read(mOut, chunk, sizeof chunk);
      if (n <= 0) return !done;
      mBuffer.append(chunk, size_t(n));
    }
    return false;
  }
  int wait() {
    int status = 0;
    ::waitpid(mPid, &status, 0);
    mbReaped = true;
    return status;
  }
  void signal(int number) { ::kill(mPid, number); }

  std::vector<std::string> lines;

 private:
  pid_t mPid = -1;
  int mIn = -1;
  int mOut = -1;
  bool mbReaped = false;
  std::string mBuffer;
};

double fncTime(const std::string& line) { return std::stod(line.substr(0, line.find(' '))); }

std::vector<std::string> fncWords(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

TEST(SignalScenario, SigtermDuringPlaybackSavesThePlaceForTheNextStart) {
  TempFolder root;
  std::filesystem::create_directories(root / "home");
  const std::vector<std::string> env = {
      "HOME=" + (root / "home").string(), "XDG_CONFIG_HOME=" + (root / "cfg").string(),
      "XDG_DATA_HOME=" + (root / "data").string(), "LYN_PROGRAM_DIR=" LYN_BUILD_DATA_DIR,
      "LYN_AUDIO=null"};
  {
    cChild first({LYN_READER, "--script", "-", LYN_BUILD_DATA_DIR "/sample-book"}, env);
    first.write("wait 12\n");
    ASSERT_TRUE(first.readUntil([](const std::string& l) { return fncTime(l) >= 11.99; }));
    first.signal(SIGTERM);
    first.readUntil({});
    const int status = first.wait();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    ASSERT_FALSE(first.lines.empty());
    EXPECT_EQ(fncWords(first.lines.back()).at(1), "exit");
  }
  bool bookmarks = false;
  for (const auto& e : std::filesystem::directory_iterator(root / "data" / "lyn-reader"))
    bookmarks |= e.path().extension() == ".bin";
  EXPECT_TRUE(bookmarks);

  // The next start resumes near the twelfth second, not at the beginning.
  cChild second({LYN_READER, "--script", "-"}, env);
  second.write("wait 6\n");
  second.closeInput();
  second.readUntil({});
  EXPECT_EQ(second.wait(), 0);
  std::vector<double> starts;
  for (const auto& line : second.lines) {
    const auto w = fncWords(line);
    if (w.size() >= 4 && w[1] == "play") starts.push_back(std::stod(w[3]));
  }
  ASSERT_GE(starts.size(), 2u);
  EXPECT_GT(starts[1], 5.0);
}

}  // namespace
}  // namespace lyn::testing
