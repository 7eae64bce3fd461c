#pragma once
// Speech from text through the espeak-ng library: 16-bit mono samples at the library's rate
// (22,050 Hz for its own voices).
//
// The library keeps process-wide state, so at most one synthesizer may be open in a process at a
// time; the tools open one and keep it.
//
// fncbOpen     false when the library or the voice cannot be loaded (`error` says which).
// fncbSpeak    speaks UTF-8 text and appends the samples; false when the library refuses the
//              text. Leading and trailing silence is left as the voice makes it (see
//              fncTrimSilence in AudioClips.h).

#include <cstdint>
#include <string>
#include <vector>

namespace lyn::tools {

class cSpeechSynthesizer {
 public:
  cSpeechSynthesizer() = default;
  cSpeechSynthesizer(const cSpeechSynthesizer&) = delete;
  cSpeechSynthesizer& operator=(const cSpeechSynthesizer&) = delete;
  ~cSpeechSynthesizer();

  // `dataPath` empty: the library's own data folder. `wordsPerMinute` 80..450.
  bool fncbOpen(const std::string& voice, const std::string& dataPath, int wordsPerMinute,
                std::string& error);
  bool fncbSpeak(const std::string& text, std::vector<int16_t>& samples, std::string& error);
  int fncSampleRate() const { return mRate; }

 private:
  bool mOpen = false;
  int mRate = 0;
};

}  // namespace lyn::tools
