#include "tools/cSpokenBook.h"

#include <cstdio>

#include "tools/AudioClips.h"
#include "tools/cDaisyBookWriter.h"

namespace lyn::tools {

namespace {

constexpr double kLeadIn = 0.2;
constexpr double kSentencePause = 0.35;
constexpr double kBlockPause = 0.7;

}  // namespace

bool cSpokenBook::fncbMake(const cBookSource& source, const std::filesystem::path& folder,
                           const std::string& nccName, std::string& error) {
  const int rate = mSpeech.fncSampleRate();
  if (rate <= 0) {
    error = "the synthesizer is not open";
    return false;
  }
  DaisyBook book = source.book;
  book.sNccName = nccName;
  book.sNarrator = "espeak-ng";

  std::filesystem::path work = folder;
  work += ".tmp";
  std::error_code ec;
  std::filesystem::remove_all(work, ec);
  std::filesystem::create_directories(work, ec);
  if (ec) {
    error = work.string() + ": " + ec.message();
    return false;
  }

  for (size_t s = 0; s < book.sections.size(); ++s) {
    char name[32];
    std::snprintf(name, sizeof name, "%04zu.mp3", s + 1);
    const std::string audioName = book.sFilePrefix + name;
    std::vector<int16_t> audio = fncSilence(kLeadIn, rate);
    DaisyClip* previous = nullptr;
    for (DaisyBlock& block : book.sections[s].blocks) {
      for (size_t p = 0; p < block.phrases.size(); ++p) {
        DaisyPhrase& phrase = block.phrases[p];
        std::vector<int16_t> spoken;
        if (!mSpeech.fncbSpeak(source.fncSpoken(phrase.sText), spoken, error)) return false;
        spoken = fncTrimSilence(spoken, rate);
        const bool last = p + 1 == block.phrases.size();
        const double pause = last || block.enKind == enBlockKind::Heading ? kBlockPause
                                                                            : kSentencePause;
        phrase.clip.sAudioFile = audioName;
        phrase.clip.dBegin = previous ? previous->dEnd : 0.0;
        audio.insert(audio.end(), spoken.begin(), spoken.end());
        audio.resize(audio.size() + size_t(pause * rate), 0);
        phrase.clip.dEnd = double(audio.size()) / rate;
        previous = &phrase.clip;
      }
    }
    if (!mEncoder.fncbEncode(audio, rate, work / audioName, error)) return false;
  }

  cDaisyBookWriter writer;
  if (!writer.fncbWrite(book, work, error)) return false;
  lPoints = writer.lPoints;
  lPars = writer.lPars;
  dSeconds = writer.dTotalSeconds;

  // Swap the new book in: the old one is set aside first and removed last.
  std::filesystem::path old = folder;
  old += ".old";
  std::filesystem::remove_all(old, ec);
  if (std::filesystem::exists(folder, ec)) {
    std::filesystem::rename(folder, old, ec);
    if (ec) {
      error = folder.string() + ": " + ec.message();
      return false;
    }
  }
  std::filesystem::rename(work, folder, ec);
  if (ec) {
    error = folder.string() + ": " + ec.message();
    std::error_code back;
    std::filesystem::rename(old, folder, back);
    return false;
  }
  std::filesystem::remove_all(old, ec);
  return true;
}

}  // namespace lyn::tools
