#include "tools/cSpeechSynthesizer.h"

#include <espeak-ng/speak_lib.h>

namespace lyn::tools {

namespace {

int fncCollect(short* wav, int count, espeak_EVENT* events) {
  // The samples of one synthesis go to the vector its caller handed over as user data.
  if (!events || !wav || count <= 0) return 0;
  auto* samples = static_cast<std::vector<int16_t>*>(events->user_data);
  if (samples) samples->insert(samples->end(), wav, wav + count);
  return 0;
}

}  // namespace

cSpeechSynthesizer::~cSpeechSynthesizer() {
  if (mOpen) espeak_Terminate();
}

bool cSpeechSynthesizer::fncbOpen(const std::string& voice, const std::string& dataPath,
                                  int wordsPerMinute, std::string& error) {
  if (mOpen) {
    error = "the synthesizer is already open";
    return false;
  }
  // espeakINITIALIZE_DONT_EXIT: report a missing data folder instead of ending the process.
  const int rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 500,
                                     dataPath.empty() ? nullptr : dataPath.c_str(),
                                     espeakINITIALIZE_DONT_EXIT);
  if (rate <= 0) {
    error = "espeak-ng cannot be initialised (data folder: " +
            (dataPath.empty() ? std::string("default") : dataPath) + ")";
    return false;
  }
  mOpen = true;
  mRate = rate;
  espeak_SetSynthCallback(&fncCollect);
  if (espeak_SetVoiceByName(voice.c_str()) != EE_OK) {
    error = "espeak-ng has no voice \"" + voice + "\"";
    return false;
  }
  espeak_SetParameter(espeakRATE, wordsPerMinute, 0);
  return true;
}

bool cSpeechSynthesizer::fncbSpeak(const std::string& text, std::vector<int16_t>& samples,
                                   std::string& error) {
  if (!mOpen) {
    error = "the synthesizer is not open";
    return false;
  }
  const espeak_ERROR result =
      espeak_Synth(text.c_str(), text.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr,
                   &samples);
  if (result != EE_OK || espeak_Synchronize() != EE_OK) {
    error = "espeak-ng cannot speak \"" + text.substr(0, 60) + "\"";
    return false;
  }
  return true;
}

}  // namespace lyn::tools
