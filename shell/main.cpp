// lyn-reader: the player's entry point.
//   lyn-reader [BOOK]                                   the window (with a display), else --tty
//   lyn-reader --play BOOK_FOLDER [...]                 a whole book, no window (cHeadlessPlayer)
//   lyn-reader --script FILE|- [--audio null|wav:PATH] [BOOK]   commands in, events out
//   lyn-reader --tty [BOOK]                             the player in a text terminal

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "shell/cApplication.h"
#include "shell/cHeadlessPlayer.h"
#include "shell/cScriptFrontEnd.h"
#include "shell/cTerminalFrontEnd.h"

namespace {

const char* kUsage =
    "usage: lyn-reader [BOOK]\n"
    "       lyn-reader --script FILE|- [--audio null|wav:PATH] [BOOK]\n"
    "       lyn-reader --tty [--release-wait MS] [--repeat-gap MS] [BOOK]\n";

int fncRunScript(const std::vector<std::string>& args) {
  using namespace lyn;
  std::string script, audio = "null", book;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--script" && i + 1 < args.size()) script = args[++i];
    else if (args[i] == "--audio" && i + 1 < args.size()) audio = args[++i];
    else if (book.empty() && !args[i].empty() && args[i][0] != '-') book = args[i];
    else {
      std::cerr << "lyn-reader: unknown or incomplete option \"" << args[i] << "\"\n" << kUsage;
      return 2;
    }
  }
  if (audio != "null" && audio.rfind("wav:", 0) != 0) {
    std::cerr << "lyn-reader: --script plays to null or wav:PATH, not \"" << audio << "\"\n";
    return 2;
  }
  int fd = 0;
  if (script != "-") {
    fd = ::open(script.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      std::cerr << "lyn-reader: cannot read the script \"" << script << "\"\n";
      return 2;
    }
  }
  cScriptFrontEnd frontEnd(fd, std::cout, std::cerr);
  cApplicationOptions options;
  options.sAudio = audio;
  options.bolVirtualClock = true;
  options.sBook = book;
  cApplication app(std::move(options), frontEnd);
  const int status = app.fncRun();
  if (fd != 0) ::close(fd);
  return status;
}

int fncRunTerminal(const std::vector<std::string>& args) {
  using namespace lyn;
  std::string book;
  int64_t firstWait = 700, repeatGap = 100;
  const auto number = [](const std::string& text, int64_t& target) {
    try {
      size_t used = 0;
      const long long n = std::stoll(text, &used);
      if (used != text.size() || n < 1 || n > 10000) return false;
      target = n;
      return true;
    } catch (const std::exception&) {
      return false;
    }
  };
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--tty") continue;
    if (args[i] == "--release-wait" && i + 1 < args.size() && number(args[i + 1], firstWait)) ++i;
    else if (args[i] == "--repeat-gap" && i + 1 < args.size() && number(args[i + 1], repeatGap)) ++i;
    else if (book.empty() && !args[i].empty() && args[i][0] != '-') book = args[i];
    else {
      std::cerr << "lyn-reader: unknown or incomplete option \"" << args[i] << "\"\n" << kUsage;
      return 2;
    }
  }
  cTerminalFrontEnd frontEnd(0, 1, firstWait, repeatGap);
  cApplicationOptions options;
  options.sBook = book;
  cApplication app(std::move(options), frontEnd);
  return app.fncRun();
}

}  // namespace

int main(int argc, char** argv) {
  using namespace lyn;
  std::vector<std::string> all(argv + 1, argv + argc);
  for (size_t i = 0; i < all.size(); ++i) {
    if (all[i] == "--play") {
      std::vector<std::string> args;
      for (size_t j = 0; j < all.size(); ++j)
        if (j != i) args.push_back(all[j]);
      std::string error;
      const auto options = cHeadlessPlayer::fncParseArguments(args, error);
      if (!options) {
        std::cerr << "lyn-reader: " << error << "\nusage: " << cHeadlessPlayer::fncUsage() << "\n";
        return 2;
      }
      cHeadlessPlayer player(std::cout, std::cerr);
      return player.fncRun(*options);
    }
    if (all[i] == "--script") return fncRunScript(all);
    if (all[i] == "--tty") return fncRunTerminal(all);
    if (all[i] == "--help" || all[i] == "-h") {
      std::cout << kUsage << "       " << cHeadlessPlayer::fncUsage() << "\n";
      return 0;
    }
  }
#ifdef LYN_HAS_WINDOW
  // With a display, the window (`lyn-reader [BOOK-FOLDER]`): a program of its own beside this
  // one, so that the runs above never load Qt. It checks the arguments itself.
  if (std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY")) {
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    const std::string window =
        ((ec ? std::filesystem::path(argv[0]) : self).parent_path() / "lyn-reader-window").string();
    std::vector<char*> args(argv, argv + argc + 1);
    args[0] = const_cast<char*>(window.c_str());
    ::execv(window.c_str(), args.data());
    std::cerr << "lyn-reader: cannot start the window \"" << window << "\" (" << std::strerror(errno)
              << "); the player runs in the terminal\n";
  }
#endif
  // Without a display (or a window in this build) the terminal is the player's window.
  if (::isatty(0)) return fncRunTerminal(all);
  std::cerr << "lyn-reader: standard input is no terminal; use --script or --play\n" << kUsage;
  return 2;
}
