#pragma once
// Opening an audio file with the decoder its content calls for (not its name): a RIFF/WAVE,
// AIFF, FLAC or Ogg header goes to libsndfile, an ID3 tag or an MPEG frame header to libmpg123.
// A WAV that holds MPEG audio, which libsndfile may refuse, is tried with libmpg123.
//
// Errors (nullptr, the reason in `error`):
//   the file is missing or unreadable    "cannot open ..."
//   the file is empty                    "the file is empty"
//   neither decoder recognises it        "not an audio file"
//   no frame decodes                     the decoder's reason

#include <memory>
#include <string>

#include "platform/audio/iAudioDecoder.h"

namespace lyn {

std::unique_ptr<iAudioDecoder> fncOpenAudioDecoder(const std::string& path, std::string& error);

// Opens the file and decodes its first frames; true when that works.
bool fncbAudioFileDecodes(const std::string& path, std::string& error);

}  // namespace lyn
