#pragma once
// Opening an audio file with the decoder its content calls for (not its name): a RIFF/WAVE,
// AIFF, FLAC or Ogg header goes to libsndfile, an ID3 tag or an MPEG frame header to libmpg123.
// A WAV that holds MPEG audio, which libsndfile may refuse, is tried with libmpg123.
//
// The file is opened without blocking and must be a regular file; the decoder reads it through
// that descriptor, so a FIFO, a device or a folder never hangs or feeds the player.
//
// Errors (nullptr; `error` is "<path>: " and the reason):
//   missing, unreadable, not a regular file  the system's reason, "is a folder",
//                                            "not a regular file"
//   the file is empty                        "the file is empty"
//   neither decoder recognises it            "not an audio file"
//   no frame decodes                         the decoder's reason

#include <memory>
#include <string>

#include "platform/audio/iAudioDecoder.h"

namespace lyn {

std::unique_ptr<iAudioDecoder> fncOpenAudioDecoder(const std::string& path, std::string& error);

// Opens the file and decodes its first frames; true when that works.
bool fncbAudioFileDecodes(const std::string& path, std::string& error);

}  // namespace lyn
