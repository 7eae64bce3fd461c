// Tokenizer and tree on book-sized files: a generated NCC of 50,000 navigation points (about
// 5 MB) and a SMIL file of 20,000 pars.
//
//   bench_markup                        MB/s of the tokenizer alone and of tokenizer + tree,
//                                       peak heap per MB of input (counter peak_per_MB)
//   LYN_MARKUP_SAMPLES=DIR bench_markup also writes the two files to DIR (for comparisons)
//
// The heap is kept between runs (as in the running player, which keeps its documents), so the
// runs measure the work and not the kernel handing the same pages back each time.

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>

#include "markup/cDTBData.h"
#include "markup/cFileData.h"
#include "markup/cFileParser.h"
#include "platform/files/cPathResolver.h"

// --- heap accounting: live and peak bytes of this process ------------------------------------
namespace {
std::atomic<size_t> gLive{0};
std::atomic<size_t> gPeak{0};

void* counted(size_t size) {
  void* p = std::malloc(size ? size : 1);
  if (!p) throw std::bad_alloc();
  const size_t live = gLive.fetch_add(malloc_usable_size(p)) + malloc_usable_size(p);
  size_t peak = gPeak.load();
  while (live > peak && !gPeak.compare_exchange_weak(peak, live)) {
  }
  return p;
}
void uncounted(void* p) {
  if (!p) return;
  gLive.fetch_sub(malloc_usable_size(p));
  std::free(p);
}
}  // namespace

void* operator new(size_t size) { return counted(size); }
void* operator new[](size_t size) { return counted(size); }
void operator delete(void* p) noexcept { uncounted(p); }
void operator delete[](void* p) noexcept { uncounted(p); }
void operator delete(void* p, size_t) noexcept { uncounted(p); }
void operator delete[](void* p, size_t) noexcept { uncounted(p); }

namespace lyn {
namespace {

std::string makeNcc(int points) {
  std::string text =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
      "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
      "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">\n"
      "<html xmlns=\"http://www.w3.org/1999/xhtml\">\n<head>\n"
      "<meta http-equiv=\"Content-type\" content=\"text/html; charset=utf-8\"/>\n"
      "<title>Generated book</title>\n"
      "<meta name=\"dc:title\" content=\"Generated book\"/>\n"
      "<meta name=\"dc:format\" content=\"Daisy 2.02\"/>\n"
      "<meta name=\"ncc:setInfo\" content=\"1 of 1\"/>\n</head>\n<body>\n";
  char line[256];
  for (int i = 1; i <= points; ++i) {
    if (i % 5 == 0) {
      std::snprintf(line, sizeof line,
                    "<span class=\"page-normal\" id=\"pg%06d\"><a href=\"s%04d.smil#p%06d\">%d"
                    "</a></span>\n",
                    i, i / 50, i, i / 5);
    } else {
      const int level = 1 + i % 3;
      std::snprintf(line, sizeof line,
                    "<h%d id=\"nav%06d\"><a href=\"s%04d.smil#p%06d\">Section %d, a heading of "
                    "usual length</a></h%d>\n",
                    level, i, i / 50, i, i, level);
    }
    text += line;
  }
  text += "</body>\n</html>\n";
  return text;
}

std::string makeSmil(int pars) {
  std::string text =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
      "<!DOCTYPE smil PUBLIC \"-//W3C//DTD SMIL 1.0//EN\" "
      "\"http://www.w3.org/TR/REC-smil/SMIL10.dtd\">\n"
      "<smil>\n<head>\n<meta name=\"dc:format\" content=\"Daisy 2.02\"/>\n"
      "<layout><region id=\"txtView\"/></layout>\n</head>\n<body>\n<seq dur=\"9999.0s\">\n";
  char line[400];
  for (int i = 1; i <= pars; ++i) {
    std::snprintf(line, sizeof line,
                  "<par endsync=\"last\" id=\"p%06d\">\n"
                  "  <text src=\"content.html#t%06d\" id=\"t%06d\"/>\n"
                  "  <audio src=\"part0001.mp3\" clip-begin=\"npt=%d.000s\" "
                  "clip-end=\"npt=%d.500s\" id=\"a%06d\"/>\n</par>\n",
                  i, i, i, i, i, i);
    text += line;
  }
  text += "</seq>\n</body>\n</smil>\n";
  return text;
}

const std::string& nccText() {
  static const std::string text = makeNcc(50000);
  return text;
}
const std::string& smilText() {
  static const std::string text = makeSmil(20000);
  return text;
}

void writeSamples() {
  const char* dir = std::getenv("LYN_MARKUP_SAMPLES");
  if (!dir) return;
  std::filesystem::create_directories(dir);
  std::ofstream(std::filesystem::path(dir) / "ncc.html") << nccText();
  std::ofstream(std::filesystem::path(dir) / "s0001.smil") << smilText();
}

void tokenize(benchmark::State& state, const std::string& text, bool buildTree) {
  cFileParser parser;
  for (auto _ : state) {
    state.PauseTiming();
    auto file = std::make_unique<cFileData>("x", 1, "/");
    file->sData = text;
    state.ResumeTiming();
    parser.fncParseFile(*file);
    if (buildTree) file->fncParseElementHierarchy();
    benchmark::DoNotOptimize(file->lNumElementData());
    state.PauseTiming();
    file.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));

  // Peak heap of one run, text included, per MB of input.
  gPeak.store(gLive.load());
  const size_t before = gLive.load();
  {
    auto file = std::make_unique<cFileData>("x", 1, "/");
    file->sData = text;
    parser.fncParseFile(*file);
    if (buildTree) file->fncParseElementHierarchy();
    state.counters["records"] = file->lNumElementData();
  }
  const double megabytes = static_cast<double>(text.size()) / (1 << 20);
  state.counters["input_MB"] = megabytes;
  state.counters["peak_per_MB"] =
      static_cast<double>(gPeak.load() - before) / (1 << 20) / megabytes;
}

void BM_TokenizeNcc(benchmark::State& state) { tokenize(state, nccText(), false); }
void BM_TokenizeAndTreeNcc(benchmark::State& state) { tokenize(state, nccText(), true); }
void BM_TokenizeSmil(benchmark::State& state) { tokenize(state, smilText(), false); }
void BM_TokenizeAndTreeSmil(benchmark::State& state) { tokenize(state, smilText(), true); }

// Reading through the book file set: disk, UTF-8 check, tokenizer, set information.
void BM_InsertNccFromDisk(benchmark::State& state) {
  const auto folder = std::filesystem::temp_directory_path() / "lyn-bench-markup";
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "NCC.HTML") << nccText();
  for (auto _ : state) {
    cDTBData set;
    set.sWorkPath = folder.string() + "/";
    benchmark::DoNotOptimize(set.fncInsertFile("ncc.html", kFileTypeNcc, {.bolParsing = true}));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * nccText().size()));
  std::filesystem::remove_all(folder);
}

// Resolving a path of the wrong case again, with the kept listing: no listing per call.
void BM_ResolveKnownPathIgnoringCase(benchmark::State& state) {
  const auto folder = std::filesystem::temp_directory_path() / "lyn-bench-paths";
  std::filesystem::create_directories(folder);
  for (int i = 0; i < 500; ++i)
    std::ofstream(folder / ("CHAP" + std::to_string(i) + ".SMIL")) << "x";
  cPathResolver resolver;
  const auto wanted = folder / "chap250.smil";
  for (auto _ : state) benchmark::DoNotOptimize(resolver.fncResolve(wanted));
  state.counters["listings"] = static_cast<double>(resolver.fncListingsRead());
  std::filesystem::remove_all(folder);
}

BENCHMARK(BM_TokenizeNcc)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TokenizeAndTreeNcc)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TokenizeSmil)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TokenizeAndTreeSmil)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InsertNccFromDisk)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResolveKnownPathIgnoringCase)->Unit(benchmark::kMicrosecond);

const bool gSetUp = [] {
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  mallopt(M_MMAP_THRESHOLD, 1 << 30);
  writeSamples();
  return true;
}();

}  // namespace
}  // namespace lyn
