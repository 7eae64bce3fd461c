#pragma once
// One item of a prompt request: a prompt key, a number to be spoken, or a list of keys and
// numbers. A list is 1-based like every list of the program: its element 0 is never read.
//
// Built implicitly, so requests read as they are spoken:
//   handler.subAddAudioPrompts(3, true, false, false, {"con_volume", 8});
// A queue argument (Variant) becomes a key when it holds a string, a number when it holds a
// 32-bit number or a double, and nothing (the item is left out) when it is empty or a Boolean.

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "queue/Variant.h"

namespace lyn {

struct PromptItem {
  struct None {};
  std::variant<None, std::string, double, std::vector<Variant>> value;

  PromptItem(const char* key) : value(std::string(key)) {}
  PromptItem(std::string key) : value(std::move(key)) {}
  PromptItem(int32_t number) : value(double(number)) {}
  PromptItem(int64_t number) : value(double(number)) {}
  PromptItem(double number) : value(number) {}
  PromptItem(bool) = delete;  // neither a key nor a number
  // A 1-based list: element 0 is skipped.
  PromptItem(std::vector<Variant> list) : value(std::move(list)) {}
  PromptItem(const Variant& argument) {
    if (const auto* s = std::get_if<std::string>(&argument)) value = *s;
    else if (const auto* i = std::get_if<int32_t>(&argument)) value = double(*i);
    else if (const auto* d = std::get_if<double>(&argument)) value = *d;
  }
};

}  // namespace lyn
