#pragma once
// Makes a prompt set: speaks every row of a prompt table (or makes its sound), lays the clips
// one after another into one MP3 file and writes "prompts.bin" with every key, text and clip.
//
// Clip layout: 0.1 s of silence, then the clips in table order, each followed by at least
// 0.08 s of silence and placed so that the next clip begins no earlier than 0.5 s after this
// one began. The player stretches a clip shorter than 0.45 s to 0.45 s; the gap keeps that
// stretch inside silence instead of the next prompt.
//
// The prompt file gets version "1.3" (numbers are spoken), format version "1.1", the table's
// language, description and font settings, and the audio file's name relative to the folder.
// The audio file is written before prompts.bin, and each whole or not at all, so a failed run
// never leaves a prompt file that names missing audio.
//
// fncbMake returns false with `error` when a row cannot be spoken, names an unknown sound, or
// a file cannot be written.

#include <filesystem>
#include <string>

#include "tools/cMp3Encoder.h"
#include "tools/cPromptTable.h"
#include "tools/cSpeechSynthesizer.h"

namespace lyn::tools {

class cPromptSetMaker {
 public:
  cPromptSetMaker(cSpeechSynthesizer& speech, const cMp3Encoder& encoder)
      : mSpeech(speech), mEncoder(encoder) {}

  bool fncbMake(const cPromptTable& table, const std::filesystem::path& folder,
                const std::string& audioName, const std::string& voice, std::string& error);

  // Length of the audio written by the last run, in seconds.
  double dSeconds = 0;

 private:
  cSpeechSynthesizer& mSpeech;
  const cMp3Encoder& mEncoder;
};

}  // namespace lyn::tools
