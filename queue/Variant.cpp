#include "queue/Variant.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace lyn {

namespace {

// The value of an argument that takes part in numeric comparisons.
bool numericValue(const Variant& v, double& out) {
  if (std::holds_alternative<std::monostate>(v)) out = 0;
  else if (auto b = std::get_if<bool>(&v)) out = *b ? -1 : 0;
  else if (auto i = std::get_if<int32_t>(&v)) out = *i;
  else if (auto d = std::get_if<double>(&v)) out = *d;
  else return false;
  return true;
}

}  // namespace

bool fncVariantEquals(const Variant& a, const Variant& b) {
  const auto* sa = std::get_if<std::string>(&a);
  const auto* sb = std::get_if<std::string>(&b);
  if (sa && sb) return *sa == *sb;
  if (sa) return fncIsEmpty(b) && sa->empty();
  if (sb) return fncIsEmpty(a) && sb->empty();
  double na = 0, nb = 0;
  numericValue(a, na);
  numericValue(b, nb);
  return na == nb;
}

int32_t fncVariantToInt32(const Variant& v, int32_t fallback) {
  if (const auto* s = std::get_if<std::string>(&v)) {
    int32_t value = 0;
    auto [end, ec] = std::from_chars(s->data(), s->data() + s->size(), value);
    return (ec == std::errc() && end == s->data() + s->size() && !s->empty()) ? value : fallback;
  }
  double d = 0;
  numericValue(v, d);
  if (std::isnan(d)) return fallback;
  d = std::nearbyint(d);
  if (d <= std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  if (d >= std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(d);
}

}  // namespace lyn
