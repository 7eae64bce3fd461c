#pragma once
// The optional parts of inserting a file into a book file set (cDTBData::fncInsertFile).

#include <cstdint>
#include <optional>
#include <string>

#include "markup/iProgressReport.h"

namespace lyn {

struct cInsertOptions {
  std::optional<int32_t> lFileSize{};  // stored only
  std::optional<std::string> sData{};  // the text itself (UTF-8); the file is then not read
  std::optional<bool> bolParsing{};    // true: tokenize; given at all and kind 1: subCheckNcc
  iProgressReport* oReportObject = nullptr;  // passed to the tokenizer; borrowed
};

}  // namespace lyn
