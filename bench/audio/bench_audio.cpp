// Audio engine figures: CPU time to decode and play an hour of a 22,050 Hz mono MP3 through the
// null sink at speed steps 5 and 15, the cost of opening that file, and the time from play or
// seek to the first frame reaching the sink.
//
// The hour file is made at build time (make_speech_wav, then lame at 32 kbit/s) and named by
// LYN_BENCH_HOUR_MP3.

#include <benchmark/benchmark.h>

#include <chrono>
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
BENCHMARK(BM_OpenHourMp3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlayToFirstFrame)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_SeekToFirstFrame)->Unit(benchmark::kMillisecond)->UseManualTime();
