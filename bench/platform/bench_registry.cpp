// Parsing a large settings file: the time must grow with the file, not with its square (a file
// of many keys and values, as a hand-edited or damaged one can be).
#include <benchmark/benchmark.h>

#include <string>

#include "platform/registry/cRegistry.h"

namespace {

// About `bytes` of settings: sections of 16 values each, every name distinct.
std::string settingsText(size_t bytes) {
  std::string text = "; generated\n";
  for (size_t i = 0; text.size() < bytes; ++i) {
    if (i % 16 == 0) text += "\n[software\\lyn_reader\\section" + std::to_string(i / 16) + "]\n";
    text += "\"value " + std::to_string(i) + "\"=dword:0000002a\n";
  }
  return text;
}

void BM_ParseSettings(benchmark::State& state) {
  const std::string text = settingsText(static_cast<size_t>(state.range(0)) << 20);
  for (auto _ : state) {
    lyn::cRegistry registry;
    if (!registry.fncParse(text)) state.SkipWithError("the generated file did not parse");
    benchmark::DoNotOptimize(registry);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ParseSettings)->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond);

}  // namespace
