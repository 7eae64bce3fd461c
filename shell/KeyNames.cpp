#include "shell/KeyNames.h"

#include "platform/files/TextCase.h"

namespace lyn {

std::optional<cKey> fncKeyByName(std::string_view name) {
  struct Named {
    std::string_view name;
    int32_t code;
    int32_t shift;
  };
  static constexpr Named kNames[] = {
      {"Space", key::Space, 0},       {"Enter", key::Enter, 0},         {"Escape", key::Escape, 0},
      {"Backspace", key::Backspace, 0}, {"Tab", key::Tab, 0},          {"Shift+Tab", key::Tab, shift::Shift},
      {"Insert", key::Insert, 0},     {"Delete", key::Delete, 0},       {"Home", key::Home, 0},
      {"End", key::End, 0},           {"PageUp", key::PageUp, 0},       {"PageDown", key::PageDown, 0},
      {"Up", key::Up, 0},             {"Down", key::Down, 0},           {"Left", key::Left, 0},
      {"Right", key::Right, 0},       {"Alt+F4", key::F4, shift::Alt},
  };
  for (const auto& n : kNames)
    if (fncEqualsIgnoringCase(n.name, name)) return cKey{n.code, n.shift, 0};
  if (name.size() >= 2 && (name[0] == 'F' || name[0] == 'f')) {
    int32_t n = 0;
    for (char c : name.substr(1)) {
      if (c < '0' || c > '9') return std::nullopt;
      n = n * 10 + (c - '0');
    }
    if (n >= 1 && n <= 12) return cKey{key::F1 + n - 1, 0, 0};
    return std::nullopt;
  }
  if (name.size() == 1) {
    const char c = name[0];
    if (c >= 'a' && c <= 'z') return cKey{c - 32, 0, char32_t(c)};
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return cKey{c, 0, char32_t(c)};
  }
  return std::nullopt;
}

}  // namespace lyn
