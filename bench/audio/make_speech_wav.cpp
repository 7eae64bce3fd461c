// Writes a WAV of speech-like sound (voiced syllables with a moving pitch and formants, and
// pauses of 0.2 to 2 seconds), 22,050 Hz mono, for the audio benchmarks.
//   make_speech_wav OUT.wav SECONDS

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  const int rate = 22050;
  const long total = std::atol(argv[2]) * rate;
  std::FILE* out = std::fopen(argv[1], "wb");
  if (out == nullptr) return 1;
  auto put32 = [&](uint32_t v) { std::fwrite(&v, 4, 1, out); };
  auto put16 = [&](uint16_t v) { std::fwrite(&v, 2, 1, out); };
  std::fwrite("RIFF", 1, 4, out);
  put32(static_cast<uint32_t>(36 + total * 2));
  std::fwrite("WAVEfmt ", 1, 8, out);
  put32(16);
  put16(1);
  put16(1);
  put32(rate);
  put32(rate * 2);
  put16(2);
  put16(16);
  std::fwrite("data", 1, 4, out);
  put32(static_cast<uint32_t>(total * 2));
  uint32_t seed = 1;
  auto random = [&] { return (seed = seed * 1664525u + 1013904223u) / 4294967296.0; };
  std::vector<int16_t> block;
  long written = 0;
  double phase = 0;
  while (written < total) {
    // A phrase of 3 to 8 syllables, then a pause.
    const int syllables = 3 + int(random() * 6);
    for (int s = 0; s < syllables && written < total; ++s) {
      const long length = long((0.12 + random() * 0.2) * rate);
      const double pitch = 100 + random() * 80;
      const double f1 = 400 + random() * 500;
      const double f2 = 1000 + random() * 1200;
      for (long i = 0; i < length && written < total; ++i, ++written) {
        const double t = double(i) / length;
        const double envelope = std::sin(M_PI * t);
        phase += 2 * M_PI * pitch * (1 + 0.1 * t) / rate;
        const double v = 0.5 * std::sin(phase) + 0.3 * std::sin(phase * f1 / pitch) +
                         0.2 * std::sin(phase * f2 / pitch) + 0.02 * (random() - 0.5);
        const auto sample = static_cast<int16_t>(9000 * envelope * v);
        std::fwrite(&sample, 2, 1, out);
      }
    }
    const long pause = long((0.2 + random() * 1.8) * rate);
    for (long i = 0; i < pause && written < total; ++i, ++written) {
      const auto sample = static_cast<int16_t>(30 * (random() - 0.5));
      std::fwrite(&sample, 2, 1, out);
    }
  }
  return std::fclose(out) == 0 ? 0 : 1;
}
