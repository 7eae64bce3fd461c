#include "tools/cMp3Encoder.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>

#include "tools/cWavWriter.h"

extern char** environ;

namespace lyn::tools {

bool cMp3Encoder::fncbEncode(const std::vector<int16_t>& samples, int rate,
                             const std::filesystem::path& path, std::string& error) const {
  std::filesystem::path wav = path;
  wav += ".wav";
  std::filesystem::path mp3 = path;
  mp3 += ".tmp";
  std::error_code ec;
  auto cleanUp = [&] {
    std::filesystem::remove(wav, ec);
    std::filesystem::remove(mp3, ec);
  };

  cWavWriter writer;
  if (!writer.fncbOpen(wav, rate, error)) return false;
  writer.subWrite(samples.data(), samples.size());
  if (!writer.fncbClose(error)) return false;

  const std::string wavName = wav.string(), mp3Name = mp3.string();
  // Variable bit rate: this lame writes its delay tag (needed for gapless decoding) only then.
  std::vector<std::string> args = {mLame, "--quiet", "--nohist", "-m", "m", "-V", "6",
                                   "--resample", "22.05", wavName, mp3Name};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, mLame.c_str(), nullptr, nullptr, argv.data(), environ);
  if (spawned != 0) {
    error = "cannot start " + mLame + ": " + std::strerror(spawned);
    cleanUp();
    return false;
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) {
      status = -1;
      break;
    }
  }
  if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    error = mLame + " failed on " + wavName;
    cleanUp();
    return false;
  }
  std::filesystem::rename(mp3, path, ec);
  if (ec) {
    error = path.string() + ": " + ec.message();
    cleanUp();
    return false;
  }
  std::filesystem::remove(wav, ec);
  return true;
}

}  // namespace lyn::tools
