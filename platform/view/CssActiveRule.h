#pragma once
// The highlight colours a style sheet asks for: those of its "a:active" rule.

#include <optional>
#include <string>
#include <string_view>

namespace lyn {

struct cHighlightColours {
  std::string sColour;      // CSS colour text as written ("yellow", "#000"); "" when not given
  std::string sBackground;  // "" when not given
};

// Walks the rules of `isCss` in order; for every rule with "a:active" among its selectors
// (ignoring case and blanks) takes its "color" and "background-color" (or a one-word
// "background"), a later such rule replacing an earlier one. Nothing when no rule matches.
// Comments, at-rules and broken text are skipped; nothing here can fail.
std::optional<cHighlightColours> fncActiveRuleColours(std::string_view isCss);

}  // namespace lyn
