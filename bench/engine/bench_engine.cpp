// The engine on a large generated book: 10,000 navigation points, 1,000 SMIL files and
// 100,000 pars (silent audio, one shared WAV), made once per run by the book maker in a
// temporary folder.
//
//   bench_engine --benchmark_counters_tabular=true
//
// Steps are measured at the start, the middle and the end of the book (argument 0, 1, 2), so
// that a cost that grows with the position shows. Memory is the resident size after every SMIL
// file has been expanded (BM_ExpandWholeBook): book_mb is the heap the loaded and expanded book
// takes (reader, file set, every document and tree), load_mb the part taken before any SMIL file
// is expanded (the NCC and the reader's points), par_bytes what expanding costs per par
// ((book_mb - load_mb) / pars), rss_mb and peak_mb the process's resident and peak size. The
// book is written by a child process before main, so that the maker's memory is not counted.

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "audio/cAudioPlaybackSystem.h"
#include "audio/cPhraseAudioHandler.h"
#include "engine/cNCCReader.h"
#include "platform/audio/cNullSink.h"
#include "platform/audio/cVirtualClock.h"
#include "queue/cMessageQueue.h"
#include "tools/cSyntheticBook.h"

namespace {

using namespace lyn;

constexpr long kPoints = 10000;
constexpr long kSmilFiles = 1000;
constexpr long kPars = 100000;

class cBigBook {
 public:
  cBigBook() {
    std::string pattern = (std::filesystem::temp_directory_path() / "lyn-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) std::abort();
    mFolder = pattern;
    tools::SyntheticOptions options;
    options.lPoints = kPoints;
    options.lSmilFiles = kSmilFiles;
    options.lPars = kPars;
    options.bolSilent = true;
    options.bolSharedAudio = true;
    options.dClipSeconds = 0.5;
    options.lExtrasEvery = 10;
    const pid_t child = ::fork();
    if (child == 0) {
      std::string error;
      const bool made = tools::cSyntheticBook::fncbMake(options, mFolder, error);
      if (!made) std::fprintf(stderr, "bench_engine: %s\n", error.c_str());
      ::_exit(made ? 0 : 1);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
      std::abort();
  }
  ~cBigBook() {
    std::error_code ec;
    std::filesystem::remove_all(mFolder, ec);
  }
  std::string folder() const { return mFolder.string(); }

 private:
  std::filesystem::path mFolder;
};

const cBigBook& fncBook() {
  static const cBigBook book;
  return book;
}
// Made before main, while the process has one thread.
const bool kBookMade = (fncBook(), true);

// A reader with its playback object (null sink on a clock that never moves: nothing plays).
struct cLoadedReader {
  cLoadedReader()
      : player(std::make_unique<cPhraseAudioHandler>(eAudioRole::Book,
                                                     std::make_unique<cNullSink>(&clock))),
        reader(queue) {
    reader.ctlDXM(&player);
    if (!reader.fncbLoadBook(fncBook().folder(), "ncc.html")) std::abort();
  }
  cVirtualClock clock;
  cMessageQueue queue;
  cAudioPlaybackSystem player;
  cNCCReader reader;
};

// The point to start from: the first point of the second, the middle or the second-to-last
// chapter (one SMIL file each), so that the places differ only in where they lie in the book.
int32_t fncPlace(cNCCReader& reader, int64_t which) {
  std::vector<int32_t> chapters;
  for (int32_t n = 1; n <= reader.lNumberOfTocItems(); ++n)
    if (reader.pToc(n)->sClass == "heading1") chapters.push_back(n);
  const size_t count = chapters.size();
  return chapters[which == 0 ? 1 : which == 1 ? count / 2 : count - 2];
}

double fncHeapMegabytes() {
  const struct mallinfo2 info = ::mallinfo2();
  return double(info.uordblks + info.hblkhd) / (1024.0 * 1024.0);
}

double fncMegabytes(const char* field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(field, 0) == 0) return std::atof(line.c_str() + std::string(field).size()) / 1024.0;
  }
  return 0;
}

void BM_LoadBook(benchmark::State& state) {
  for (auto _ : state) {
    cLoadedReader loaded;
    benchmark::DoNotOptimize(loaded.reader.lNumberOfTocItems());
  }
}
BENCHMARK(BM_LoadBook)->Unit(benchmark::kMillisecond);

// The last point, first time (its SMIL file is expanded) and again.
void BM_PlayLastPointCold(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto loaded = std::make_unique<cLoadedReader>();
    state.ResumeTiming();
    benchmark::DoNotOptimize(loaded->reader.fncbPlayTocItem(loaded->reader.lNumberOfTocItems()));
    state.PauseTiming();
    loaded.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_PlayLastPointCold)->Unit(benchmark::kMicrosecond);

void BM_PlayLastPointWarm(benchmark::State& state) {
  cLoadedReader loaded;
  for (auto _ : state) {
    benchmark::DoNotOptimize(loaded.reader.fncbPlayTocItem(loaded.reader.lNumberOfTocItems()));
    loaded.queue.subclearQue();
  }
}
BENCHMARK(BM_PlayLastPointWarm)->Unit(benchmark::kMicrosecond);

// One navigation step from the place given by the argument; the place is taken again before
// each step, outside the timing.
void fncStep(benchmark::State& state, int32_t direction, const std::vector<std::string>& units) {
  cLoadedReader loaded;
  const int32_t place = fncPlace(loaded.reader, state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    loaded.reader.fncbPlayTocItem(place);
    loaded.queue.subclearQue();
    state.ResumeTiming();
    benchmark::DoNotOptimize(loaded.reader.fncNavigate(direction, 1, units));
  }
}

const std::vector<std::string> kHeadings = {"heading1", "heading2", "heading3",
                                            "heading4", "heading5", "heading6"};

void BM_NextHeading(benchmark::State& state) { fncStep(state, 1, kHeadings); }
void BM_PreviousHeading(benchmark::State& state) { fncStep(state, -1, kHeadings); }
void BM_NextPage(benchmark::State& state) { fncStep(state, 1, {"page"}); }
void BM_PreviousPage(benchmark::State& state) { fncStep(state, -1, {"page"}); }
void BM_NextPhrase(benchmark::State& state) { fncStep(state, 1, {"audio"}); }
void BM_PreviousPhrase(benchmark::State& state) { fncStep(state, -1, {"audio"}); }
BENCHMARK(BM_NextHeading)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PreviousHeading)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_NextPage)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PreviousPage)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_NextPhrase)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PreviousPhrase)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

// Phrase after phrase, the way continuous play walks the book (each step arms its clip).
void BM_PhraseWalk(benchmark::State& state) {
  cLoadedReader loaded;
  const int32_t place = fncPlace(loaded.reader, state.range(0));
  loaded.reader.fncbPlayTocItem(place);
  int steps = 0;
  for (auto _ : state) {
    if (++steps == 200) {
      state.PauseTiming();
      loaded.reader.fncbPlayTocItem(place);
      steps = 0;
      state.ResumeTiming();
    }
    benchmark::DoNotOptimize(loaded.reader.fncNavigate(1, 1, {"audio"}));
    loaded.queue.subclearQue();
  }
}
BENCHMARK(BM_PhraseWalk)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

void BM_CalculatePosition(benchmark::State& state) {
  cLoadedReader loaded;
  loaded.reader.fncbPlayTocItem(fncPlace(loaded.reader, state.range(0)));
  loaded.reader.fncNavigate(1, 2, {"audio"});
  int32_t current = 0, total = 0;
  for (auto _ : state) {
    loaded.reader.subCalculatePosition("phrase", current, total);
    benchmark::DoNotOptimize(current + total);
  }
}
BENCHMARK(BM_CalculatePosition)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

void BM_CountTocPosition(benchmark::State& state) {
  cLoadedReader loaded;
  loaded.reader.fncbPlayTocItem(fncPlace(loaded.reader, state.range(0)));
  loaded.reader.fncNavigate(1, 3, {"audio"});
  for (auto _ : state) {
    loaded.reader.subCountTocPosition();
    benchmark::DoNotOptimize(loaded.reader.lCurrentTocItem);
  }
}
BENCHMARK(BM_CountTocPosition)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

// Every SMIL file expanded, and the memory that takes.
void BM_ExpandWholeBook(benchmark::State& state) {
  for (auto _ : state) {
    ::malloc_trim(0);
    const double before = fncHeapMegabytes();
    cLoadedReader loaded;
    const double load = fncHeapMegabytes() - before;
    state.counters["load_mb"] = load;
    cSmilPlayer& smil = loaded.reader.clsSmilPlayer();
    for (int32_t n = 1; n <= smil.lParListCount(); ++n) smil.fncGotoParByNumber(n);
    state.counters["pars"] = smil.lParListCount();
    const double book = fncHeapMegabytes() - before;
    state.counters["book_mb"] = book;
    state.counters["par_bytes"] = (book - load) * 1024.0 * 1024.0 / smil.lParListCount();
    state.counters["rss_mb"] = fncMegabytes("VmRSS:");
    state.counters["peak_mb"] = fncMegabytes("VmHWM:");
  }
}
BENCHMARK(BM_ExpandWholeBook)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
