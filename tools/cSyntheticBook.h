#pragma once
// Large generated books for benchmarks and tests: any number of navigation points, SMIL files
// and pars, with tone or silent WAV audio and no speech.
//
// Layout of the book made by fncbMake:
//   - the pars are spread evenly over the SMIL files (one section each) and the points evenly
//     over the SMIL files, then evenly over the pars of each file;
//   - the first point of every SMIL file is a level-1 heading ("Chapter <n>"; the very first
//     has class "title"); among the other points every lPageEvery-th is a page (the first
//     lFrontPages of them front pages "i", "ii", ..., then normal pages "1", "2", ...), every
//     lExtrasEvery-th is in turn a sidebar, a producer's note and a note reference, and the rest
//     are headings whose level runs 2, 3, ... lMaxLevel, 2, 3, ... afresh in every SMIL file;
//   - pars that are no point are sentences "Phrase <n>.", grouped in paragraphs of up to five;
//   - audio: with clip times, one WAV per SMIL file ("<prefix>0001.wav", each par a clip of
//     dClipSeconds) or, with bolSharedAudio, one "audio.wav" that every SMIL file points into;
//     without clip times (bolNoClipTimes), one WAV per par ("a<n>.wav"), or with bolSharedAudio
//     one clip-long "audio.wav" that every par plays whole;
//   - tone audio: each par a sine tone (eight pitches in turn) with short fades and a short
//     silence at its end, so phrases can be told apart by ear and by analysis.
//
// Points are never fewer than SMIL files (each file needs one to be reachable) nor more than
// pars: fncbMake refuses such counts. Per file, points are capped at its pars.
// fncbMake returns false and sets `error` on bad options or when a file cannot be written.

#include <filesystem>
#include <string>

#include "tools/DaisyBook.h"

namespace lyn::tools {

struct SyntheticOptions {
  long lPoints = 100;
  long lSmilFiles = 10;
  long lPars = 1000;
  bool bolSilent = false;  // silent instead of tone audio
  double dClipSeconds = 0.5;
  int lSampleRate = 22050;
  enClockForm enClock = enClockForm::Seconds;
  bool bolNoClipTimes = false;
  bool bolSharedAudio = false;
  long lPageEvery = 4;    // 0: no pages
  int lMaxLevel = 6;      // deepest heading level, 1 to 6
  long lExtrasEvery = 0;  // 0: no sidebars, producer's notes or note references
  long lFrontPages = 0;
  bool bolContentPerSection = true;
  std::string sTitle = "Synthetic book";
  std::string sNccName = "ncc.html";
};

class cSyntheticBook {
 public:
  // Builds the model (no files written); false with `error` on bad options.
  static bool fncbBuild(const SyntheticOptions& options, DaisyBook& book, std::string& error);
  // Builds the model, writes its audio and markup into `folder`.
  static bool fncbMake(const SyntheticOptions& options, const std::filesystem::path& folder,
                       std::string& error);
};

}  // namespace lyn::tools
