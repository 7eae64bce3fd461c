#pragma once
// The error an audio control raises when a call fails (see PhraseAudioHandler.h).

#include <stdexcept>
#include <string>

namespace lyn {

class cAudioControlError : public std::runtime_error {
 public:
  explicit cAudioControlError(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace lyn
