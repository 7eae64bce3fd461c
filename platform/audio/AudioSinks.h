#pragma once
// Choosing the sink: the value of LYN_AUDIO (or a command-line option) says where the sound goes.
//   "sdl" or empty  the sound card (the default)
//   "null"          no device
//   "wav:PATH"      a WAV file at PATH; "wav:-" standard output (see cWavSink.h)
// Anything else is taken as "sdl", with a warning.

#include <memory>
#include <string>
#include <string_view>

#include "platform/audio/iAudioSink.h"

namespace lyn {

class cVirtualClock;

struct AudioChoice {
  enum class eKind { Sdl, Null, Wav } kind = eKind::Sdl;
  std::string path;  // for Wav
};

AudioChoice fncParseAudioChoice(std::string_view value);
// The choice made by LYN_AUDIO.
AudioChoice fncAudioChoiceFromEnvironment();
// A sink for `choice`. `wavSuffix` goes before the extension of a WAV path, so that two players
// never write one file; with "wav:-" a player with a suffix gets the null sink. `clock` paces
// the null and WAV sinks (may be null: the wall clock).
std::unique_ptr<iAudioSink> fncMakeAudioSink(const AudioChoice& choice, std::string_view wavSuffix,
                                             cVirtualClock* clock);

}  // namespace lyn
