// The book search and the drive scan.
//
// The tree: LYN_BENCH_TREE_FOLDERS folders (default 2000; the reference size is 100000), ten
// subfolders to a folder, two small files in each, and one book (an NCC, SMIL and audio files)
// in every thousandth folder, at least one. It is generated once into
// LYN_BENCH_TREE_DIR (default: tree-<folders> beside this program's build folder) and kept.
//
//   LYN_BENCH_TREE_FOLDERS=100000 bench/disk/bench_disk
//
// BM_FindNccs and BM_FindCommand (find TREE -iname ncc.html) search the same tree, warm.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "disk/cFindFile.h"
#include "disk/mdlDiskModule.h"
#include "platform/drives/cDrives.h"
#include "platform/drives/cMountMonitor.h"

namespace {

struct Tree {
  std::string root;
  int folders = 0;
  int books = 0;
};

int envNumber(const char* name, int fallback) {
  const char* text = std::getenv(name);
  if (!text || !*text) return fallback;
  int value = std::atoi(text);
  return value > 0 ? value : fallback;
}

void touch(const std::string& path) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd >= 0) ::close(fd);
}

// Breadth-first: folder i's subfolders are 10i+1 to 10i+10, named by their place.
void generate(const Tree& tree) {
  std::filesystem::remove_all(tree.root);
  std::filesystem::create_directories(tree.root);
  std::vector<std::string> paths;
  paths.reserve(static_cast<size_t>(tree.folders) + 1);
  paths.push_back(tree.root);
  const int every = tree.folders / tree.books;
  int books = 0;
  for (int i = 1; i <= tree.folders; ++i) {
    const std::string& parent = paths[static_cast<size_t>((i - 1) / 10)];
    std::string folder = parent + "/Folder " + std::to_string((i - 1) % 10);
    ::mkdir(folder.c_str(), 0755);
    touch(folder + "/readme.txt");
    touch(folder + "/cover.jpg");
    if (i % every == 0 && books < tree.books) {
      ++books;
      touch(folder + (books % 2 ? "/ncc.html" : "/NCC.HTML"));
      for (int s = 1; s <= 5; ++s) {
        touch(folder + "/chap" + std::to_string(s) + ".smil");
        touch(folder + "/chap" + std::to_string(s) + ".mp3");
      }
    }
    paths.push_back(std::move(folder));
  }
  std::ofstream(tree.root + "/.complete") << tree.folders << " " << tree.books << "\n";
}

const Tree& benchTree() {
  static const Tree tree = [] {
    Tree t;
    t.folders = envNumber("LYN_BENCH_TREE_FOLDERS", 2000);
    t.books = std::max(1, t.folders / 1000);
    const char* dir = std::getenv("LYN_BENCH_TREE_DIR");
    t.root = dir && *dir ? dir : std::string(LYN_BENCH_WORK_DIR) + "/tree-" + std::to_string(t.folders);
    std::ifstream marker(t.root + "/.complete");
    int folders = 0, books = 0;
    if (!(marker >> folders >> books) || folders != t.folders || books != t.books) generate(t);
    return t;
  }();
  return tree;
}

void BM_FindNccs(benchmark::State& state) {
  const Tree& tree = benchTree();
  size_t found = 0;
  for (auto _ : state) {
    lyn::cFindFile search;
    auto results = search.fncavntFindNccs(tree.root);
    found = results.size() - 1;
    benchmark::DoNotOptimize(results.data());
  }
  if (found != static_cast<size_t>(tree.books)) state.SkipWithError("the search missed books");
  state.counters["folders"] = tree.folders;
  state.counters["books"] = static_cast<double>(found);
}
BENCHMARK(BM_FindNccs)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FindCommand(benchmark::State& state) {
  const Tree& tree = benchTree();
  const std::string command = "find '" + tree.root + "' -iname ncc.html > /dev/null";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) state.SkipWithError("find failed");
  }
  state.counters["folders"] = tree.folders;
}
BENCHMARK(BM_FindCommand)->Unit(benchmark::kMillisecond)->UseRealTime();

// The timer tick's check when nothing changed: one poll of the monitor and the grouping.
void BM_ScanDrivesWithoutChange(benchmark::State& state) {
  lyn::cDrives drives;
  lyn::cRegistry registry;
  lyn::mdlDiskModule module(registry, drives);
  module.fncScanDrives(true, false);
  for (auto _ : state) benchmark::DoNotOptimize(module.fncbCheckDrivesChanged());
  state.counters["drives"] = static_cast<double>(module.gsLastDrives.size());
}
BENCHMARK(BM_ScanDrivesWithoutChange)->Unit(benchmark::kMicrosecond);

// A scan after the table changed: the table read again, every drive's readiness checked.
void BM_ScanDrivesAfterChange(benchmark::State& state) {
  lyn::cDrives drives;
  lyn::cRegistry registry;
  lyn::mdlDiskModule module(registry, drives);
  for (auto _ : state) {
    drives.subReload();
    benchmark::DoNotOptimize(module.fncScanDrives(true, false));
  }
  state.counters["mounts"] = static_cast<double>(drives.fncMountPoints().size());
}
BENCHMARK(BM_ScanDrivesAfterChange)->Unit(benchmark::kMicrosecond);

void BM_MountMonitorPoll(benchmark::State& state) {
  lyn::cMountMonitor monitor("/proc/self/mountinfo");
  monitor.fncbChanged();
  for (auto _ : state) benchmark::DoNotOptimize(monitor.fncbChanged());
  state.counters["kernel"] = monitor.fncbUsesKernelMonitor() ? 1 : 0;
}
BENCHMARK(BM_MountMonitorPoll)->Unit(benchmark::kMicrosecond);

}  // namespace
