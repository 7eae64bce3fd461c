// lyn-bookmaker: makes DAISY 2.02 full-text books.
//
// Synthetic books (tone or silent WAV audio, no speech), for benchmarks and tests:
//
//   lyn-bookmaker --synthetic OUT_FOLDER [options]
//     --points N        navigation points (default 100; at least --smil-files, at most --pars)
//     --smil-files N    SMIL files, one level-1 heading starts each (default 10)
//     --pars N          pars in the whole book (default 1000)
//     --silent          silent audio instead of tones
//     --clip-ms N       length of every clip in milliseconds (default 500)
//     --rate HZ         sample rate of the WAV files (default 22050)
//     --clock FORM      clip times as "seconds" (npt=12.345s, default), "full" (npt=0:00:12.345)
//                       or "none" (no clip times: every audio element plays a whole file)
//     --shared-audio    one audio.wav for the whole book instead of one per SMIL file (or per
//                       par with --clock none); keeps very large books small on disk
//     --page-every K    every K-th point after a file's first is a page (default 4; 0: none)
//     --front-pages N   the first N pages are front pages i, ii, ... (default 0)
//     --extras-every K  every K-th such point is in turn a sidebar, a producer's note and a
//                       note reference (default 0: none)
//     --max-level L     deepest heading level, 1 to 6 (default 6)
//     --single-content  one content.html instead of one content file per SMIL file
//     --title TEXT      the book's title (default "Synthetic book")
//     --ncc-name NAME   the NCC's file name (default ncc.html)
//   Example, the engine benchmark's book (about 1 GB of audio at 22,050 Hz; --shared-audio
//   makes it 1 MB):
//     lyn-bookmaker --synthetic /tmp/big --points 10000 --smil-files 1000 --pars 100000
//       --silent --clip-ms 500 --shared-audio
//
// Spoken books, from a small structured text (see cBookSource.h for its form):
//
//   lyn-bookmaker --source TEXT_FILE OUT_FOLDER [--voice VOICE] [--ncc-name NAME] [--wpm N]
//                 [--espeak-data DIR] [--lame PATH]
//     speaks every sentence with espeak-ng (default voice "en", 165 words a minute), encodes
//     one MP3 per SMIL file with lame (22,050 Hz mono) and writes the book; OUT_FOLDER is
//     replaced as a whole.
//
// Exit status 0 on success; 1 with a message on stderr otherwise (bad options, a file that
// cannot be written, speech or encoding that fails).

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "tools/cBookSource.h"
#include "tools/cMp3Encoder.h"
#include "tools/cSpeechSynthesizer.h"
#include "tools/cSpokenBook.h"
#include "tools/cSyntheticBook.h"

namespace {

int fncUsage(const char* message) {
  std::fprintf(stderr, "lyn-bookmaker: %s\n", message);
  std::fprintf(stderr,
               "usage: lyn-bookmaker --synthetic OUT_FOLDER [--points N] [--smil-files N] "
               "[--pars N] [--silent] [--clip-ms N] [--rate HZ] [--clock seconds|full|none] "
               "[--shared-audio] [--page-every K] [--front-pages N] [--extras-every K] "
               "[--max-level L] [--single-content] [--title TEXT] [--ncc-name NAME]\n"
               "       lyn-bookmaker --source TEXT_FILE OUT_FOLDER [--voice VOICE] "
               "[--ncc-name NAME] [--wpm N] [--espeak-data DIR] [--lame PATH]\n");
  return 1;
}

bool fncbNumber(const char* text, long& value) {
  char* end = nullptr;
  errno = 0;
  const long n = std::strtol(text, &end, 10);
  if (errno || end == text || *end) return false;
  value = n;
  return true;
}

int fncSynthetic(int argc, char** argv) {
  if (argc < 3) return fncUsage("--synthetic needs an output folder");
  lyn::tools::SyntheticOptions o;
  const std::string folder = argv[2];
  for (int i = 3; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const bool hasValue = i + 1 < argc;
    long n = 0;
    auto number = [&](long& target) {
      if (!hasValue || !fncbNumber(argv[++i], n)) return false;
      target = n;
      return true;
    };
    bool ok = true;
    if (arg == "--points") ok = number(o.lPoints);
    else if (arg == "--smil-files") ok = number(o.lSmilFiles);
    else if (arg == "--pars") ok = number(o.lPars);
    else if (arg == "--silent") o.bolSilent = true;
    else if (arg == "--shared-audio") o.bolSharedAudio = true;
    else if (arg == "--single-content") o.bolContentPerSection = false;
    else if (arg == "--page-every") ok = number(o.lPageEvery);
    else if (arg == "--front-pages") ok = number(o.lFrontPages);
    else if (arg == "--extras-every") ok = number(o.lExtrasEvery);
    else if (arg == "--clip-ms") {
      long ms = 0;
      ok = number(ms);
      o.dClipSeconds = double(ms) / 1000.0;
    } else if (arg == "--rate") {
      long rate = 0;
      ok = number(rate) && rate <= 192000;
      o.lSampleRate = int(rate);
    } else if (arg == "--max-level") {
      long level = 0;
      ok = number(level) && level <= 6;
      o.lMaxLevel = int(level);
    } else if (arg == "--clock" && hasValue) {
      const std::string_view form = argv[++i];
      if (form == "seconds") o.enClock = lyn::tools::enClockForm::Seconds;
      else if (form == "full") o.enClock = lyn::tools::enClockForm::Full;
      else if (form == "none") o.bolNoClipTimes = true;
      else ok = false;
    } else if (arg == "--title" && hasValue) o.sTitle = argv[++i];
    else if (arg == "--ncc-name" && hasValue) o.sNccName = argv[++i];
    else ok = false;
    if (!ok) return fncUsage(("bad option or value: " + std::string(arg)).c_str());
  }
  std::string error;
  if (!lyn::tools::cSyntheticBook::fncbMake(o, folder, error)) {
    std::fprintf(stderr, "lyn-bookmaker: %s\n", error.c_str());
    return 1;
  }
  return 0;
}

int fncSpoken(int argc, char** argv) {
  if (argc < 4) return fncUsage("--source needs a text file and an output folder");
  const std::string source = argv[2], folder = argv[3];
  std::string voice = "en", nccName = "ncc.html", espeakData, lame = "lame";
  long wpm = 165;
  for (int i = 4; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (i + 1 >= argc) return fncUsage(("missing value after " + std::string(arg)).c_str());
    const char* value = argv[++i];
    if (arg == "--voice") voice = value;
    else if (arg == "--ncc-name") nccName = value;
    else if (arg == "--espeak-data") espeakData = value;
    else if (arg == "--lame") lame = value;
    else if (arg == "--wpm") {
      if (!fncbNumber(value, wpm) || wpm < 80 || wpm > 450) return fncUsage("bad --wpm");
    } else return fncUsage(("unknown option " + std::string(arg)).c_str());
  }
  std::string error;
  lyn::tools::cBookSource text;
  if (!text.fncbRead(source, error)) {
    std::fprintf(stderr, "lyn-bookmaker: %s\n", error.c_str());
    return 1;
  }
  lyn::tools::cSpeechSynthesizer speech;
  if (!speech.fncbOpen(voice, espeakData, int(wpm), error)) {
    std::fprintf(stderr, "lyn-bookmaker: %s\n", error.c_str());
    return 1;
  }
  const lyn::tools::cMp3Encoder encoder(lame);
  lyn::tools::cSpokenBook maker(speech, encoder);
  if (!maker.fncbMake(text, folder, nccName, error)) {
    std::fprintf(stderr, "lyn-bookmaker: %s\n", error.c_str());
    return 1;
  }
  std::printf("lyn-bookmaker: %s: %ld points, %ld phrases, %.0f s\n", folder.c_str(),
              maker.lPoints, maker.lPars, maker.dSeconds);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return fncUsage("nothing to do");
  const std::string_view mode = argv[1];
  if (mode == "--synthetic") return fncSynthetic(argc, argv);
  if (mode == "--source") return fncSpoken(argc, argv);
  return fncUsage("unknown mode");
}
