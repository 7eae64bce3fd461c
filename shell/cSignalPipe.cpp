#include "shell/cSignalPipe.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace lyn {

namespace {

// The only state a signal handler may touch.
int gPipe[2] = {-1, -1};
int gUsers = 0;
struct sigaction gPrevious[3];
struct sigaction gPreviousPipe;
constexpr int kSignals[3] = {SIGTERM, SIGHUP, SIGINT};

extern "C" void fncOnSignal(int number) {
  const int saved = errno;
  const char byte = static_cast<char>(number);
  if (gPipe[1] >= 0) [[maybe_unused]] auto written = ::write(gPipe[1], &byte, 1);
  errno = saved;
}

}  // namespace

cSignalPipe::cSignalPipe() {
  if (gUsers++ > 0) return;
  if (::pipe2(gPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    gPipe[0] = gPipe[1] = -1;
    return;
  }
  struct sigaction action {};
  action.sa_handler = fncOnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int i = 0; i < 3; ++i) ::sigaction(kSignals[i], &action, &gPrevious[i]);
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  ::sigaction(SIGPIPE, &ignore, &gPreviousPipe);
}

cSignalPipe::~cSignalPipe() {
  if (--gUsers > 0 || gPipe[0] < 0) return;
  for (int i = 0; i < 3; ++i) ::sigaction(kSignals[i], &gPrevious[i], nullptr);
  ::sigaction(SIGPIPE, &gPreviousPipe, nullptr);
  ::close(gPipe[0]);
  ::close(gPipe[1]);
  gPipe[0] = gPipe[1] = -1;
}

int cSignalPipe::fnciReadFd() const { return gPipe[0]; }

std::optional<int> cSignalPipe::fncTakeSignal() {
  if (gPipe[0] < 0) return std::nullopt;
  char byte = 0;
  if (::read(gPipe[0], &byte, 1) != 1) return std::nullopt;
  mbSignalled = true;
  return static_cast<int>(static_cast<unsigned char>(byte));
}

}  // namespace lyn
