// The program maps only the libraries a run uses: playing an MP3 book to the null sink loads
// neither SDL2 (nor the display and sound-server libraries behind it) nor libsndfile, and a book
// given by its folder needs no drive list, so libmount (with libblkid and libselinux) stays out. The
// dynamic loader's own trace (LD_DEBUG=libs) of the built program tells what it loaded.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "tests/shell/ExecProgram.h"

namespace lyn::testing {
namespace {

struct cTrace {
  int status = -1;
  std::string text;  // the loader's trace and the program's standard error
  bool fncbLoaded(const std::string& library) const {
    return text.find("library=" + library) != std::string::npos;
  }
};

cTrace fncPlayTraced(const std::filesystem::path& book, const std::filesystem::path& home) {
  const std::filesystem::path errors = home / "stderr.txt";
  const std::vector<std::string> args = {LYN_READER, "--play", book.string(), "--fast",
                                         "--audio", "null"};
  const std::vector<std::string> env = {"LD_DEBUG=libs", "HOME=" + home.string(),
                                        "XDG_CONFIG_HOME=" + (home / "config").string(),
                                        "QT_QPA_PLATFORM=offscreen", "PATH=/usr/bin:/bin"};
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int out = ::open("/dev/null", O_WRONLY);
    const int err = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out < 0 || err < 0) ::_exit(126);
    ::dup2(out, 1);
    ::dup2(err, 2);
    fncExecProgram(args, env);
  }
  cTrace trace;
  int status = 0;
  if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status))
    trace.status = WEXITSTATUS(status);
  std::ifstream in(errors);
  std::stringstream text;
  text << in.rdbuf();
  trace.text = text.str();
  return trace;
}

TEST(LoadedLibraries, AnMp3BookGivenByItsFolderLoadsNeitherSdlLibsndfileNorTheMountTable) {
  TempFolder home;
  // The sample book that the build speaks: MPEG audio throughout.
  const cTrace trace =
      fncPlayTraced(std::filesystem::path(LYN_BUILD_DATA_DIR) / "sample-book", home.path());
  ASSERT_EQ(trace.status, 0) << trace.text.substr(0, 2000);
  EXPECT_TRUE(trace.fncbLoaded("libmpg123")) << "the loader's trace is missing";
  EXPECT_FALSE(trace.fncbLoaded("libSDL2"));
  EXPECT_FALSE(trace.fncbLoaded("libsndfile"));
  EXPECT_FALSE(trace.fncbLoaded("libmount"));
  EXPECT_FALSE(trace.fncbLoaded("libblkid"));
  EXPECT_FALSE(trace.fncbLoaded("libselinux"));
}

TEST(LoadedLibraries, AWavBookLoadsLibsndfileAndStillNotSdl) {
  TempFolder home;
  const std::filesystem::path book = home.path() / "book";
  std::filesystem::create_directory(book);
  fncWriteToneWav(book / "a.wav", 0.2, 8000);
  fncWriteText(book / "a.smil", fncSmil({{"p1", "a.wav"}}));
  fncWriteText(book / "ncc.html", fncNcc({NccPoint().href("a.smil#p1").text("Tone")}));
  const cTrace trace = fncPlayTraced(book, home.path());
  ASSERT_EQ(trace.status, 0) << trace.text.substr(0, 2000);
  EXPECT_TRUE(trace.fncbLoaded("libsndfile"));
  EXPECT_FALSE(trace.fncbLoaded("libSDL2"));
}

}  // namespace
}  // namespace lyn::testing
