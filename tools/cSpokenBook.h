#pragma once
// Makes a spoken DAISY 2.02 book from a cBookSource: every phrase is spoken with espeak-ng, the
// phrases of one SMIL file are laid end to end (with a short pause after each sentence and a
// longer one after headings and paragraphs) into one MP3 per SMIL file, and the markup is
// written with cDaisyBookWriter. The clips of a SMIL file tile its MP3 without gaps, so the book
// plays continuously.
//
// The book is built in "<folder>.tmp" and then put in the place of `folder`, so the folder holds
// either the old book or the whole new one, and no file of an older, larger book stays behind.
//
// fncbMake returns false with `error` when a phrase cannot be spoken, an MP3 cannot be encoded
// or a file or the folder cannot be written.

#include <filesystem>
#include <string>

#include "tools/cBookSource.h"
#include "tools/cMp3Encoder.h"
#include "tools/cSpeechSynthesizer.h"

namespace lyn::tools {

class cSpokenBook {
 public:
  cSpokenBook(cSpeechSynthesizer& speech, const cMp3Encoder& encoder)
      : mSpeech(speech), mEncoder(encoder) {}

  bool fncbMake(const cBookSource& source, const std::filesystem::path& folder,
                const std::string& nccName, std::string& error);

  // Of the last book made.
  long lPoints = 0;
  long lPars = 0;
  double dSeconds = 0;

 private:
  cSpeechSynthesizer& mSpeech;
  const cMp3Encoder& mEncoder;
};

}  // namespace lyn::tools
