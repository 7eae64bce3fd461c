#include "platform/audio/AudioSinks.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "platform/audio/cNullSink.h"
#include "platform/audio/cSdlSink.h"
#include "platform/audio/cWavSink.h"

namespace lyn {

AudioChoice fncParseAudioChoice(std::string_view value) {
  AudioChoice choice;
  if (value.empty() || value == "sdl") return choice;
  if (value == "null") {
    choice.kind = AudioChoice::eKind::Null;
    return choice;
  }
  if (value.substr(0, 4) == "wav:" && value.size() > 4) {
    choice.kind = AudioChoice::eKind::Wav;
    choice.path = std::string(value.substr(4));
    return choice;
  }
  std::cerr << "LYN Reader: LYN_AUDIO=\"" << value
            << "\" is not one of sdl, null, wav:PATH; using the sound card\n";
  return choice;
}

AudioChoice fncAudioChoiceFromEnvironment() {
  const char* value = std::getenv("LYN_AUDIO");
  return fncParseAudioChoice(value == nullptr ? std::string_view() : std::string_view(value));
}

std::unique_ptr<iAudioSink> fncMakeAudioSink(const AudioChoice& choice, std::string_view wavSuffix,
                                             cVirtualClock* clock) {
  switch (choice.kind) {
    case AudioChoice::eKind::Null:
      return std::make_unique<cNullSink>(clock);
    case AudioChoice::eKind::Wav: {
      // Standard output takes one stream; a second player stays silent.
      if (choice.path == "-" && !wavSuffix.empty()) return std::make_unique<cNullSink>(clock);
      std::filesystem::path path(choice.path);
      if (!wavSuffix.empty()) {
        std::filesystem::path named = path.parent_path() / path.stem();
        named += std::string(wavSuffix);
        named += path.extension();
        path = named;
      }
      return std::make_unique<cWavSink>(path, clock);
    }
    case AudioChoice::eKind::Sdl:
      break;
  }
  return std::make_unique<cSdlSink>();
}

}  // namespace lyn
