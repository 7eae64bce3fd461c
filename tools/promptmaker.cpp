// lyn-promptmaker: makes a prompt set (prompts.bin and its MP3) from a prompt table.
//
//   lyn-promptmaker --table TABLE --out FOLDER [--voice VOICE] [--audio-name NAME]
//                   [--wpm N] [--espeak-data DIR] [--lame PATH]
//     TABLE        the source table (see tools/cPromptTable.h), e.g. data/prompts-en.tsv
//     FOLDER       where prompts.bin and the audio file go (the program folder)
//     --voice      espeak-ng voice (default "en")
//     --audio-name the audio file's name (default "prompts.mp3")
//     --wpm        speaking rate in words per minute (default 170)
//
// Exit status 0 on success; 1 with a message on stderr otherwise.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "tools/cMp3Encoder.h"
#include "tools/cPromptSetMaker.h"
#include "tools/cPromptTable.h"
#include "tools/cSpeechSynthesizer.h"

namespace {

int fncFail(const std::string& message) {
  std::fprintf(stderr, "lyn-promptmaker: %s\n", message.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::string table, out, voice = "en", audioName = "prompts.mp3", espeakData, lame = "lame";
  int wpm = 170;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (i + 1 >= argc) return fncFail("missing value after " + std::string(arg));
    const char* value = argv[++i];
    if (arg == "--table") table = value;
    else if (arg == "--out") out = value;
    else if (arg == "--voice") voice = value;
    else if (arg == "--audio-name") audioName = value;
    else if (arg == "--espeak-data") espeakData = value;
    else if (arg == "--lame") lame = value;
    else if (arg == "--wpm") wpm = std::atoi(value);
    else return fncFail("unknown option " + std::string(arg));
  }
  if (table.empty() || out.empty())
    return fncFail("usage: lyn-promptmaker --table TABLE --out FOLDER [--voice VOICE] "
                   "[--audio-name NAME] [--wpm N] [--espeak-data DIR] [--lame PATH]");
  if (wpm < 80 || wpm > 450) return fncFail("--wpm must lie between 80 and 450");

  std::string error;
  lyn::tools::cPromptTable rows;
  if (!rows.fncbRead(table, error)) return fncFail(error);
  lyn::tools::cSpeechSynthesizer speech;
  if (!speech.fncbOpen(voice, espeakData, wpm, error)) return fncFail(error);
  lyn::tools::cMp3Encoder encoder(lame);
  lyn::tools::cPromptSetMaker maker(speech, encoder);
  if (!maker.fncbMake(rows, out, audioName, voice, error)) return fncFail(error);
  std::printf("lyn-promptmaker: %zu prompts, %.1f s of audio in %s\n", rows.rows.size(),
              maker.dSeconds, out.c_str());
  return 0;
}
