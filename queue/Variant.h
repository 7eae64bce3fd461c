#pragma once
// A message argument: empty, a Boolean, a 32-bit number, a double or a string.

#include <cstdint>
#include <string>
#include <variant>

namespace lyn {

using Variant = std::variant<std::monostate, bool, int32_t, double, std::string>;

// Equality of two arguments:
//   empty == empty; numbers (32-bit or double) by value, so 39 == 39.0; strings by exact text;
//   Booleans with Booleans.
//   An empty argument counts as 0, false or "" against a number, a Boolean or a string.
//   A Boolean against a number compares as 0 (false) or -1 (true), the values a Boolean has as
//   a number in the settings and key codes the program came from.
//   A string never equals a number or a Boolean.
bool fncVariantEquals(const Variant& a, const Variant& b);

inline bool fncIsEmpty(const Variant& v) { return std::holds_alternative<std::monostate>(v); }

// The argument as a 32-bit number: empty and false give 0, true -1, a double is rounded to the
// nearest integer (clamped), a string is read as a decimal number or gives `fallback`.
int32_t fncVariantToInt32(const Variant& v, int32_t fallback = 0);

}  // namespace lyn
