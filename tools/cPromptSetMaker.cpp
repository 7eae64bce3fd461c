#include "tools/cPromptSetMaker.h"

#include <algorithm>

#include "platform/storage/cAtomicFile.h"
#include "prompts/PromptFileHeader.h"
#include "tools/AudioClips.h"

namespace lyn::tools {

namespace {

constexpr double kLeadIn = 0.1;
constexpr double kGap = 0.08;
constexpr double kMinSpacing = 0.5;

}  // namespace

bool cPromptSetMaker::fncbMake(const cPromptTable& table, const std::filesystem::path& folder,
                               const std::string& audioName, const std::string& voice,
                               std::string& error) {
  const int rate = mSpeech.fncSampleRate();
  if (rate <= 0) {
    error = "the synthesizer is not open";
    return false;
  }
  PromptFileHeader header;
  header.sAudioFile = audioName;
  header.sLanguage = table.sLanguage;
  header.sDescription =
      table.sDescription.empty() ? "Prompts of LYN Reader 1.1 (" + table.sLanguage + ")"
                                 : table.sDescription;
  header.sFormatVersion = "1.1";
  header.sVersion = "1.3";
  header.sSecondText = "espeak-ng voice " + voice;
  header.sFont = table.sFont;
  header.lFontSize = table.lFontSize;
  header.bolRightToLeft = table.bolRightToLeft;

  std::vector<int16_t> audio = fncSilence(kLeadIn, rate);
  for (const PromptTableRow& row : table.rows) {
    std::vector<int16_t> clip;
    if (row.sSpoken[0] == '@') {
      clip = fncSoundEffect(std::string_view(row.sSpoken).substr(1), rate);
      if (clip.empty()) {
        error = "line " + std::to_string(row.lLine) + ": unknown sound " + row.sSpoken;
        return false;
      }
    } else {
      std::vector<int16_t> spoken;
      if (!mSpeech.fncbSpeak(row.sSpoken, spoken, error)) {
        error = "line " + std::to_string(row.lLine) + ": " + error;
        return false;
      }
      clip = fncTrimSilence(spoken, rate);
      if (clip.empty()) {
        error = "line " + std::to_string(row.lLine) + ": the voice said nothing for " + row.sKey;
        return false;
      }
    }
    const size_t begin = audio.size();
    audio.insert(audio.end(), clip.begin(), clip.end());
    const size_t end = audio.size();
    const size_t next = std::max(end + size_t(kGap * rate), begin + size_t(kMinSpacing * rate));
    audio.resize(next, 0);
    header.entries.push_back({row.sKey, row.sText, double(begin) / rate, double(end) / rate});
  }
  header.lLastEntry = int32_t(header.entries.size()) - 1;
  dSeconds = double(audio.size()) / rate;

  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (!mEncoder.fncbEncode(audio, rate, folder / audioName, error)) return false;
  return fncWriteFileAtomically(folder / "prompts.bin", fncEncodePromptFile(header), &error);
}

}  // namespace lyn::tools
