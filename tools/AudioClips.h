#pragma once
// Small sample-level helpers of the generators: silence trimming and the sounds the prompt set
// uses instead of speech. All samples are 16-bit mono at the rate given.

#include <cstdint>
#include <string_view>
#include <vector>

namespace lyn::tools {

// Drops leading and trailing samples quieter than `threshold`, keeping `keepSeconds` of the quiet
// at either end. A clip that is silent throughout becomes empty.
std::vector<int16_t> fncTrimSilence(const std::vector<int16_t>& samples, int rate,
                                    int threshold = 200, double keepSeconds = 0.015);

// A sine tone with 5 ms fades; `gain` 0..1 of full scale.
std::vector<int16_t> fncTone(double frequency, double seconds, int rate, double gain = 0.35);
std::vector<int16_t> fncSilence(double seconds, int rate);

// The generated sounds, by name:
//   "indicator1"  one short high beep (a notice)
//   "indicator2"  two quick middle beeps (a command that does not apply here)
//   "indicator3"  a low falling two-tone (not possible)
//   "chime"       three rising bell notes (a new title was found)
//   "tick"        one soft click (waiting)
// Unknown names give an empty clip.
std::vector<int16_t> fncSoundEffect(std::string_view name, int rate);

// Root mean square of the samples, 0 for none; used to tell speech from silence.
double fncRms(const int16_t* samples, size_t count);

}  // namespace lyn::tools
