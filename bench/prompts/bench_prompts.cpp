// The prompt handler's costs that the user interface pays: loading the prompt file at start,
// text look-ups (every label, tooltip and menu item), and turning numbers into keys.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "platform/storage/cAtomicFile.h"
#include "prompts/PromptFileHeader.h"
#include "prompts/cPromptHandler.h"

namespace {

// A prompt file of 400 entries, the size of a full language, in a folder of its own.
class cPromptFolder {
 public:
  cPromptFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "lyn-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) std::abort();
    mPath = pattern;
    lyn::PromptFileHeader h;
    h.sAudioFile = "prompts.mp3";
    h.sVersion = "1.3";
    for (int i = 0; i < 400; ++i)
      h.entries.push_back({"key_number_" + std::to_string(i), "Text number " + std::to_string(i),
                           i * 0.5, i * 0.5 + 0.4});
    h.lLastEntry = 399;
    lyn::fncWriteFileAtomically(mPath / "prompts.bin", lyn::fncEncodePromptFile(h));
  }
  ~cPromptFolder() {
    std::error_code ec;
    std::filesystem::remove_all(mPath, ec);
  }
  const std::filesystem::path& path() const { return mPath; }

 private:
  std::filesystem::path mPath;
};

void BM_LoadPromptFile(benchmark::State& state) {
  cPromptFolder folder;
  lyn::cMessageQueue messages;
  for (auto _ : state) {
    lyn::cPromptHandler handler(messages, folder.path().string());
    benchmark::DoNotOptimize(handler.fncbLoadPromptFile("prompts.bin"));
  }
}
BENCHMARK(BM_LoadPromptFile)->Unit(benchmark::kMicrosecond);

void BM_TextLookUp(benchmark::State& state) {
  cPromptFolder folder;
  lyn::cMessageQueue messages;
  lyn::cPromptHandler handler(messages, folder.path().string());
  handler.fncbLoadPromptFile("prompts.bin");
  int i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(handler.Text("KEY_Number_" + std::to_string(i++ % 400)));
  }
}
BENCHMARK(BM_TextLookUp);

void BM_NumberToKeys(benchmark::State& state) {
  std::vector<std::string> ids;
  double n = 0;
  for (auto _ : state) {
    ids.clear();
    lyn::cPromptHandler::subAppendNumber(n, ids);
    n = n > 1e6 ? 0 : n * 1.7 + 13;
    benchmark::DoNotOptimize(ids.data());
  }
}
BENCHMARK(BM_NumberToKeys);

}  // namespace
