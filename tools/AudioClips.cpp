#include "tools/AudioClips.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

namespace lyn::tools {

namespace {

void subAppend(std::vector<int16_t>& to, const std::vector<int16_t>& from) {
  to.insert(to.end(), from.begin(), from.end());
}

// A bell-like note: a sine with its octave, sharp attack, exponential decay.
std::vector<int16_t> fncBell(double frequency, double seconds, int rate, double gain) {
  const size_t n = size_t(seconds * rate);
  std::vector<int16_t> out(n);
  const size_t attack = size_t(rate / 500);
  for (size_t i = 0; i < n; ++i) {
    const double t = double(i) / rate;
    double env = std::exp(-t * 6.0);
    if (i < attack) env *= double(i) / double(attack);
    const double v = std::sin(2 * std::numbers::pi * frequency * t) +
                     0.3 * std::sin(4 * std::numbers::pi * frequency * t);
    out[i] = int16_t(std::lround(std::clamp(v * env * gain / 1.3, -1.0, 1.0) * 32767.0));
  }
  return out;
}

}  // namespace

std::vector<int16_t> fncTrimSilence(const std::vector<int16_t>& samples, int rate, int threshold,
                                    double keepSeconds) {
  auto loud = [threshold](int16_t s) { return std::abs(int(s)) >= threshold; };
  const auto first = std::find_if(samples.begin(), samples.end(), loud);
  if (first == samples.end()) return {};
  const auto last = std::find_if(samples.rbegin(), samples.rend(), loud).base();
  const long keep = long(keepSeconds * rate);
  const long begin = std::max(0L, long(first - samples.begin()) - keep);
  const long end = std::min(long(samples.size()), long(last - samples.begin()) + keep);
  return {samples.begin() + begin, samples.begin() + end};
}

std::vector<int16_t> fncTone(double frequency, double seconds, int rate, double gain) {
  const size_t n = size_t(std::max(0.0, seconds) * rate);
  std::vector<int16_t> out(n);
  const size_t fade = std::min(n / 2, size_t(rate / 200));
  for (size_t i = 0; i < n; ++i) {
    double g = gain;
    if (fade && i < fade) g *= double(i) / double(fade);
    if (fade && n - i < fade) g *= double(n - i) / double(fade);
    out[i] = int16_t(std::lround(32767.0 * g *
                                 std::sin(2 * std::numbers::pi * frequency * double(i) / rate)));
  }
  return out;
}

std::vector<int16_t> fncSilence(double seconds, int rate) {
  return std::vector<int16_t>(size_t(std::max(0.0, seconds) * rate), 0);
}

std::vector<int16_t> fncSoundEffect(std::string_view name, int rate) {
  std::vector<int16_t> out;
  if (name == "indicator1") {
    subAppend(out, fncTone(1320, 0.12, rate));
  } else if (name == "indicator2") {
    subAppend(out, fncTone(880, 0.08, rate));
    subAppend(out, fncSilence(0.05, rate));
    subAppend(out, fncTone(880, 0.08, rate));
  } else if (name == "indicator3") {
    subAppend(out, fncTone(440, 0.12, rate));
    subAppend(out, fncTone(311, 0.2, rate));
  } else if (name == "chime") {
    subAppend(out, fncBell(784, 0.16, rate, 0.35));
    subAppend(out, fncBell(988, 0.16, rate, 0.35));
    subAppend(out, fncBell(1175, 0.5, rate, 0.35));
  } else if (name == "tick") {
    // A few milliseconds of a decaying high tone, then quiet: audible, never insistent.
    const size_t n = size_t(0.012 * rate);
    for (size_t i = 0; i < n; ++i) {
      const double t = double(i) / rate;
      out.push_back(int16_t(std::lround(32767.0 * 0.25 * std::exp(-t * 400.0) *
                                        std::sin(2 * std::numbers::pi * 2000.0 * t))));
    }
    subAppend(out, fncSilence(0.05, rate));
  }
  return out;
}

double fncRms(const int16_t* samples, size_t count) {
  if (count == 0) return 0;
  double sum = 0;
  for (size_t i = 0; i < count; ++i) sum += double(samples[i]) * double(samples[i]);
  return std::sqrt(sum / double(count));
}

}  // namespace lyn::tools
