// Audio engine figures: CPU time to decode and play an hour of a 22,050 Hz mono MP3 through the
// null sink at speed steps 5 and 15 and the skim row, the cost of opening that file, the time
// from play or seek to the first frame reaching the sink (on the virtual clock, and in real
// time), and the context switches of real-time playback. bench/audio/compare-tools.sh sets
// these beside mpg123 and sox.
//
// The hour file is made at build time (make_speech_wav, then lame at 32 kbit/s) and named by
// LYN_BENCH_HOUR_MP3.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <string>

#include "platform/audio/cAudioEngine.h"
#include "platform/audio/cNullSink.h"
#include "platform/audio/cVirtualClock.h"

namespace {

const std::string kHour = LYN_BENCH_HOUR_MP3;

void subPlayThrough(benchmark::State& state, const lyn::SpeedSettings& speed) {
  for (auto _ : state) {
    lyn::cVirtualClock clock;
    auto sink = std::make_unique<lyn::cNullSink>(&clock);
    auto* heard = sink.get();
    lyn::cAudioEngine engine(std::move(sink), true);
    std::string error;
    if (!engine.fncbOpen(kHour, error)) {
      state.SkipWithError(error.c_str());
      return;
    }
    engine.subSetSpeed(speed);
    engine.fncbPlay();
    // Long steps of the clock: the sink takes each second of audio at once.
    while (engine.fncState() == lyn::cAudioEngine::eState::Running) clock.subAdvance(1000);
    state.counters["audio_s"] = double(engine.fncLength()) / 22050;
    state.counters["heard_s"] = double(heard->fncFramesHeard()) / 22050;
  }
}

void BM_PlayHourAtStep5(benchmark::State& state) { subPlayThrough(state, {}); }

void BM_PlayHourAtStep15(benchmark::State& state) {
  lyn::SpeedSettings speed;  // "200, 3000, 100, 30, 500, 500"
  speed.tempo = 2.0;
  speed.pauses = {3000, 100, 30, 500, 500};
  subPlayThrough(state, speed);
}

void BM_PlayHourAtSkimRow(benchmark::State& state) {
  lyn::SpeedSettings speed;  // "250, 1500, 100, 30, 500, 500"
  speed.tempo = 2.5;
  speed.pauses = {1500, 100, 30, 500, 500};
  subPlayThrough(state, speed);
}

// Voluntary context switches of the threads other than this one (the engine's audio thread; the
// null sink takes its frames in this thread's polls) while it polls every 10 ms as the window's
// timer does, in real time, as a rate per hour of listening. The timer's own wake-ups are not counted: they
// are the window's, with or without sound.
int64_t fncOtherThreadsSwitches() {
  int64_t total = 0;
  const std::string self = std::to_string(gettid());
  for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
    if (task.path().filename() == self) continue;
    std::ifstream status(task.path() / "status");
    for (std::string line; std::getline(status, line);)
      if (line.rfind("voluntary_ctxt_switches:", 0) == 0) total += std::stoll(line.substr(24));
  }
  return total;
}

void BM_RealTimeSwitches(benchmark::State& state) {
  for (auto _ : state) {
    lyn::cAudioEngine engine(std::make_unique<lyn::cNullSink>(nullptr), true);
    std::string error;
    if (!engine.fncbOpen(kHour, error)) {
      state.SkipWithError(error.c_str());
      return;
    }
    const int64_t before = fncOtherThreadsSwitches();
    engine.fncbPlay();
    for (int tick = 0; tick < 1000; ++tick) {  // 10 s
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      (void)engine.fncSnapshot();
    }
    state.counters["switches_per_hour"] = double(fncOtherThreadsSwitches() - before) * 360;
  }
}

// Wall time from fncbPlay to the first frame taken by the null sink in real time: how much later
// than a key press the book is heard.
void BM_RealTimePlayToFirstSample(benchmark::State& state) {
  auto sink = std::make_unique<lyn::cNullSink>(nullptr);
  auto* heard = sink.get();
  lyn::cAudioEngine engine(std::move(sink), true);
  std::string error;
  if (!engine.fncbOpen(kHour, error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  int64_t target = 0;
  for (auto _ : state) {
    state.PauseTiming();
    engine.fncbPause();
    target = (target + 22050 * 617) % (22050 * 3500);
    engine.fncbSeek(target);
    while (engine.fncFramesReady() == 0) std::this_thread::yield();
    const int64_t before = heard->fncFramesHeard();
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    engine.fncbPlay();
    // The null sink takes what is due when the position is looked at, as the poll does.
    while ((void)engine.fncPosition(), heard->fncFramesHeard() == before) std::this_thread::yield();
    const auto end = std::chrono::steady_clock::now();
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
  }
}

void BM_OpenHourMp3(benchmark::State& state) {
  lyn::cVirtualClock clock;
  lyn::cAudioEngine engine(std::make_unique<lyn::cNullSink>(&clock), true);
  std::string error;
  for (auto _ : state) {
    if (!engine.fncbOpen(kHour, error)) {
      state.SkipWithError(error.c_str());
      return;
    }
  }
}

// Wall time from the call to the first 1 ms of the new audio having reached the sink.
void subLatency(benchmark::State& state, bool seek) {
  lyn::cVirtualClock clock;
  lyn::cAudioEngine engine(std::make_unique<lyn::cNullSink>(&clock), true);
  std::string error;
  if (!engine.fncbOpen(kHour, error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  int64_t target = 0;
  for (auto _ : state) {
    state.PauseTiming();
    target = (target + 22050 * 617) % (22050 * 3500);
    if (!seek) {
      engine.fncbPause();
      engine.fncbSeek(target);
      while (engine.fncFramesReady() == 0) std::this_thread::yield();
    } else {
      engine.fncbPlay();
      clock.subAdvance(1);
    }
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    if (seek) engine.fncbSeek(target); else engine.fncbPlay();
    clock.subAdvance(1);  // waits until the audio thread has supplied the new position
    const auto end = std::chrono::steady_clock::now();
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
  }
}

void BM_PlayToFirstFrame(benchmark::State& state) { subLatency(state, false); }
void BM_SeekToFirstFrame(benchmark::State& state) { subLatency(state, true); }

}  // namespace

BENCHMARK(BM_PlayHourAtStep5)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Iterations(1);
BENCHMARK(BM_PlayHourAtStep15)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Iterations(1);
BENCHMARK(BM_PlayHourAtSkimRow)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Iterations(1);
BENCHMARK(BM_RealTimeSwitches)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_RealTimePlayToFirstSample)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(50);
BENCHMARK(BM_OpenHourMp3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlayToFirstFrame)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_SeekToFirstFrame)->Unit(benchmark::kMillisecond)->UseManualTime();
