// Start-up to the first line of a program: wall time (CLOCK_MONOTONIC) from just before the
// program is spawned with its standard output on a pipe to the arrival of its first line. The
// rest of its output is drained and the program waited for; a run whose program fails counts as
// an error. A floor program that prints one line (/bin/echo by default) is timed in the same
// runs, taking turns with the program, so the cost of the method itself (spawn, exec, the C
// library's start, the pipe) shows beside the figure on a machine in the same state.
//
//   first_sample [--runs N] [--floor PROGRAM] PROGRAM [ARGS...]
//
// The programs run with XDG_CONFIG_HOME set to a folder of their own, empty at the start, so
// lyn-reader plays on its built-in settings whatever the user's are. Each program runs once
// untimed first (lyn-reader writes its settings file then, as on any first start).
// bench/audio/first-sample.sh runs this on `lyn-reader --play SAMPLE-BOOK --fast --audio null`.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

extern char** environ;

namespace {

double fncNowMs() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// Milliseconds from the spawn of `argv` to its first line; nothing (and a message on stderr)
// when it cannot be started, prints no line or fails.
std::optional<double> fncTimeFirstLine(const std::vector<std::string>& argv,
                                       const std::vector<std::string>& env) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) {
    std::perror("first_sample: pipe");
    return std::nullopt;
  }
  std::vector<char*> args, envp;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  for (const auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawn_file_actions_adddup2(&actions, fds[1], 1);  // dup2 clears close-on-exec

  pid_t pid = 0;
  const double start = fncNowMs();
  const int failure = ::posix_spawn(&pid, args[0], &actions, nullptr, args.data(), envp.data());
  ::posix_spawn_file_actions_destroy(&actions);
  ::close(fds[1]);
  if (failure != 0) {
    std::fprintf(stderr, "first_sample: cannot start %s: %s\n", args[0], std::strerror(failure));
    ::close(fds[0]);
    return std::nullopt;
  }
  std::optional<double> first;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    if (!first && std::memchr(buffer, '\n', size_t(n)) != nullptr) first = fncNowMs() - start;
  }
  ::close(fds[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "first_sample: %s failed (status %d)\n", args[0], status);
    return std::nullopt;
  }
  if (!first) std::fprintf(stderr, "first_sample: %s printed no line\n", args[0]);
  return first;
}

void subPrint(const char* what, std::vector<double> times) {
  std::sort(times.begin(), times.end());
  const size_t n = times.size();
  const double median = n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
  const double mean = std::accumulate(times.begin(), times.end(), 0.0) / double(n);
  std::printf("%-14s median %6.2f ms  mean %6.2f ms  min %6.2f ms  (%zu runs)\n", what, median,
              mean, times.front(), n);
}

int fncUsage() {
  std::fprintf(stderr, "usage: first_sample [--runs N] [--floor PROGRAM] PROGRAM [ARGS...]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 20;
  std::string floorProgram = "/bin/echo";
  int i = 1;
  for (; i < argc && argv[i][0] == '-'; ++i) {
    const std::string option = argv[i];
    if (option == "--runs" && i + 1 < argc) {
      runs = std::atoi(argv[++i]);
      if (runs < 1) return fncUsage();
    } else if (option == "--floor" && i + 1 < argc) {
      floorProgram = argv[++i];
    } else {
      return fncUsage();
    }
  }
  if (i == argc) return fncUsage();
  const std::vector<std::string> program(argv + i, argv + argc);
  const std::vector<std::string> floorArgs{floorProgram, "first line"};

  std::error_code ec;
  char folder[] = "/tmp/first-sample-XXXXXX";
  if (::mkdtemp(folder) == nullptr) {
    std::perror("first_sample: mkdtemp");
    return 1;
  }
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e)
    if (std::strncmp(*e, "XDG_CONFIG_HOME=", 16) != 0) env.emplace_back(*e);
  env.push_back(std::string("XDG_CONFIG_HOME=") + folder);

  std::vector<double> times, floorTimes;
  bool ok = fncTimeFirstLine(program, env) && fncTimeFirstLine(floorArgs, env);
  for (int run = 0; ok && run < runs; ++run) {
    const auto time = fncTimeFirstLine(program, env);
    const auto floorTime = fncTimeFirstLine(floorArgs, env);
    ok = time && floorTime;
    if (ok) {
      times.push_back(*time);
      floorTimes.push_back(*floorTime);
    }
  }
  std::filesystem::remove_all(folder, ec);
  if (!ok) return 1;
  std::printf("wall time from spawn to the first line:\n");
  subPrint(std::filesystem::path(program[0]).filename().c_str(), times);
  subPrint((std::filesystem::path(floorProgram).filename().string() + " (floor)").c_str(),
           floorTimes);
  return 0;
}
