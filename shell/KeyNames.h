#pragma once
// Keys by name, as scripts and the terminal's help write them: "Space", "Enter", "Escape",
// "Backspace", "Tab", "Shift+Tab", "Insert", "Delete", "Home", "End", "PageUp", "PageDown",
// "Up", "Down", "Left", "Right", "F1" .. "F12", "Alt+F4", a single letter or digit.

#include <optional>
#include <string_view>

#include "shell/KeyCodes.h"

namespace lyn {

std::optional<cKey> fncKeyByName(std::string_view name);

}  // namespace lyn
