#include "shell/cTerminalFrontEnd.h"

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "shell/cApplication.h"

namespace lyn {

namespace {

// What the signal handlers need to put the terminal back: nothing else is safe to reach there.
int gTerminal = -1;
struct termios gSaved;
struct termios gRaw;
volatile sig_atomic_t gRawOn = 0;
constexpr int kCrashSignals[] = {SIGQUIT, SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL};
const char kKittyOn[] = "\x1b[>3u\x1b[?u";
const char kKittyOff[] = "\x1b[<u";
bool gKitty = false;

void subRestoreTerminal() {
  if (gTerminal < 0 || !gRawOn) return;
  if (gKitty) [[maybe_unused]] auto n = ::write(gTerminal, kKittyOff, sizeof kKittyOff - 1);
  ::tcsetattr(gTerminal, TCSANOW, &gSaved);
  gRawOn = 0;
}

void subRawAgain() {
  if (gTerminal < 0 || gRawOn) return;
  ::tcsetattr(gTerminal, TCSANOW, &gRaw);
  if (gKitty) [[maybe_unused]] auto n = ::write(gTerminal, kKittyOn, sizeof kKittyOn - 1);
  gRawOn = 1;
}

extern "C" void fncOnCrash(int number) {
  const int saved = errno;
  subRestoreTerminal();
  ::signal(number, SIG_DFL);
  ::raise(number);
  errno = saved;
}

extern "C" void fncOnStop(int) {
  const int saved = errno;
  subRestoreTerminal();
  ::signal(SIGTSTP, SIG_DFL);
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGTSTP);
  ::sigprocmask(SIG_UNBLOCK, &stop, nullptr);
  ::raise(SIGTSTP);
  // Continued.
  ::signal(SIGTSTP, fncOnStop);
  subRawAgain();
  errno = saved;
}

extern "C" void fncOnContinue(int) {
  const int saved = errno;
  subRawAgain();
  errno = saved;
}

int64_t fncNowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

cTerminalFrontEnd::cTerminalFrontEnd(int inFd, int outFd, int64_t firstWaitMs, int64_t repeatGapMs)
    : mIn(inFd), mOut(outFd), mDecoder(firstWaitMs, repeatGapMs) {
  if (::isatty(inFd) && ::tcgetattr(inFd, &gSaved) == 0) {
    gTerminal = inFd;
    gRaw = gSaved;
    // Raw keys; signals (ISIG) and the output's line ends stay as they were.
    gRaw.c_lflag &= ~tcflag_t(ICANON | ECHO | IEXTEN);
    gRaw.c_iflag &= ~tcflag_t(IXON | ICRNL | INLCR | ISTRIP | BRKINT);
    gRaw.c_cc[VMIN] = 0;
    gRaw.c_cc[VTIME] = 0;
    const char* term = std::getenv("TERM");
    gKitty = term && std::strcmp(term, "linux") != 0 && std::strcmp(term, "dumb") != 0;
    subRawAgain();
    for (int s : kCrashSignals) ::signal(s, fncOnCrash);
    ::signal(SIGTSTP, fncOnStop);
    ::signal(SIGCONT, fncOnContinue);
    std::atexit(subRestoreTerminal);
  }
}

cTerminalFrontEnd::~cTerminalFrontEnd() {
  if (gTerminal != mIn) return;
  subRestoreTerminal();
  for (int s : kCrashSignals) ::signal(s, SIG_DFL);
  ::signal(SIGTSTP, SIG_DFL);
  ::signal(SIGCONT, SIG_DFL);
  gTerminal = -1;
}

void cTerminalFrontEnd::subWrite(const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(mOut, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += size_t(n);
  }
}

void cTerminalFrontEnd::subLine(const std::string& text) {
  // A line printed while a dialog's prompt is open goes above it; the prompt follows.
  if (!msPrompt.empty()) subWrite("\r\x1b[K");
  subWrite(text + "\r\n");
  if (!msPrompt.empty()) subWrite(msPrompt);
}

bool cTerminalFrontEnd::fncbTurn(cApplication& app) {
  mApp = &app;
  const int64_t now = fncNowMs();
  pollfd fd{mIn, POLLIN, 0};
  while (!mbEnded && ::poll(&fd, 1, 0) > 0) {
    char chunk[256];
    const ssize_t n = ::read(mIn, chunk, sizeof chunk);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) break;
    if (n <= 0) {
      mbEnded = true;  // the terminal has gone: end as on a confirmed quit
      break;
    }
    mDecoder.subFeed(std::string_view(chunk, size_t(n)), now);
  }
  mDecoder.subTick(now);
  for (const cKeyEvent& e : mDecoder.fncTake()) {
    if (e.bolDown) app.subKeyDown(e.key);
    else app.subKeyUp(e.key);
  }
  subStatus();
  return !mbEnded;
}

void cTerminalFrontEnd::subIdle(std::chrono::milliseconds timeout) {
  int wait = static_cast<int>(timeout.count());
  if (const auto deadline = mDecoder.fncNextDeadline()) {
    wait = std::max(0, std::min<int>(wait, static_cast<int>(*deadline - fncNowMs())));
  }
  pollfd fds[2] = {{mIn, POLLIN, 0}, {mApp ? mApp->fnciSignalFd() : -1, POLLIN, 0}};
  ::poll(fds, fds[1].fd >= 0 ? 2 : 1, wait);
}

void cTerminalFrontEnd::subShowHighlight(const std::string&, const std::string& text) { subLine(text); }
void cTerminalFrontEnd::subShowFocus(int32_t, const std::string& text) { subLine("Link: " + text); }
void cTerminalFrontEnd::subShowCaption(const std::string& caption) { subLine(caption); }
void cTerminalFrontEnd::subShowLabel(const std::string& name, const std::string& text) { mLabels[name] = text; }
void cTerminalFrontEnd::subShowPlayerState(const std::string& state) { msState = state; }
void cTerminalFrontEnd::subShowError(int32_t number, const std::string& location) {
  subLine("Error " + std::to_string(number) + " (" + location + ")");
}

void cTerminalFrontEnd::subStatus() {
  const auto label = [&](const char* name) {
    const auto it = mLabels.find(name);
    return it == mLabels.end() ? std::string() : it->second;
  };
  std::string status = "[" + label("laNavigationText");
  if (!label("laPhraseCount").empty()) status += " " + label("laPhraseCount");
  if (!label("laBookmarkCount").empty()) status += ", bookmark " + label("laBookmarkCount");
  status += ", speed " + label("laCurrRate") + ", volume " + label("laCurrVolume");
  if (!msState.empty()) status += ", " + msState;
  status += "]";
  if (status == msStatusShown) return;
  msStatusShown = status;
  subLine(status);
}

void cTerminalFrontEnd::subDialogOpened(const std::string& name, const std::string& caption,
                                        const std::string& text) {
  if (name == "search" || name == "gotopage") {
    msPrompt = caption + ": " + text;
    subWrite("\r\x1b[K" + msPrompt);
  } else {
    std::string flat = text;
    for (auto& c : flat)
      if (c == '\n') c = ' ';
    std::erase(flat, '\r');
    // The quit dialog's text begins with its caption; the about box's does not.
    subLine(name == "quit" ? flat : caption + ": " + flat);
  }
}

void cTerminalFrontEnd::subDialogText(const std::string& text) {
  if (msPrompt.empty()) return;
  msPrompt = msPrompt.substr(0, msPrompt.find(": ") + 2) + text;
  subWrite("\r\x1b[K" + msPrompt);
}

void cTerminalFrontEnd::subDialogClosed(const std::string&, const std::string&) {
  if (msPrompt.empty()) return;
  msPrompt.clear();
  subWrite("\r\n");
}

void cTerminalFrontEnd::subExit() {
  subStatus();
  subWrite("LYN Reader has ended.\r\n");
}

}  // namespace lyn
