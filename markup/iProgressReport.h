#pragma once
// Listener for the progress of a long tokenizer run. Optional: nothing in the player supplies one
// today; the book file set passes it through to the tokenizer.

#include <cstdint>
#include <string_view>

namespace lyn {

class iProgressReport {
 public:
  virtual ~iProgressReport() = default;
  // Called by cFileParser after every tag closed by ">": stage "Parser", the length of the text in
  // bytes and the current 1-based scan position. Called on the parsing thread, during the parse;
  // it must not touch the document being parsed.
  virtual void subCurrentTestProgress(std::string_view isStage, int32_t ilLength,
                                      int32_t ilPosition) = 0;
};

}  // namespace lyn
