#include "platform/view/CssActiveRule.h"

#include "platform/files/TextCase.h"

namespace lyn {

namespace {

// Lower case without any blanks: "A:Active " and "a:active" are the same selector.
std::string lowered(std::string_view text) {
  std::string out;
  for (char c : text)
    if (!fncIsAsciiSpace(c)) out += fncAsciiLower(c);
  return out;
}

std::string withoutComments(std::string_view css) {
  std::string out;
  out.reserve(css.size());
  for (size_t i = 0; i < css.size();) {
    if (css.compare(i, 2, "/*") == 0) {
      const size_t end = css.find("*/", i + 2);
      if (end == std::string_view::npos) break;
      i = end + 2;
      out += ' ';
    } else {
      out += css[i++];
    }
  }
  return out;
}

bool selectsActiveLink(std::string_view selectors) {
  size_t start = 0;
  while (start <= selectors.size()) {
    size_t comma = selectors.find(',', start);
    if (comma == std::string_view::npos) comma = selectors.size();
    if (lowered(selectors.substr(start, comma - start)) == "a:active") return true;
    start = comma + 1;
  }
  return false;
}

// The declarations of one rule into `colours`.
void readDeclarations(std::string_view block, cHighlightColours& colours) {
  std::string background;
  bool backgroundColourSeen = false;
  size_t start = 0;
  while (start < block.size()) {
    size_t semicolon = block.find(';', start);
    if (semicolon == std::string_view::npos) semicolon = block.size();
    const std::string_view declaration = block.substr(start, semicolon - start);
    start = semicolon + 1;
    const size_t colon = declaration.find(':');
    if (colon == std::string_view::npos) continue;
    const std::string name = lowered(declaration.substr(0, colon));
    std::string_view value = fncTrimAsciiSpace(declaration.substr(colon + 1));
    if (const size_t bang = value.find('!'); bang != std::string_view::npos)
      value = fncTrimAsciiSpace(value.substr(0, bang));
    if (name == "color") {
      colours.sColour = value;
    } else if (name == "background-color") {
      colours.sBackground = value;
      backgroundColourSeen = true;
    } else if (name == "background" && value.find_first_of(" \t\r\n") == std::string_view::npos) {
      background = value;
    }
  }
  if (!backgroundColourSeen && !background.empty()) colours.sBackground = background;
}

}  // namespace

std::optional<cHighlightColours> fncActiveRuleColours(std::string_view isCss) {
  const std::string css = withoutComments(isCss);
  std::optional<cHighlightColours> found;
  size_t pos = 0;
  while (pos < css.size()) {
    const size_t open = css.find('{', pos);
    if (open == std::string::npos) break;
    std::string_view selectors = std::string_view(css).substr(pos, open - pos);
    // A statement such as "@import url(x);" ends before the selectors of the next rule.
    if (const size_t semicolon = selectors.rfind(';'); semicolon != std::string_view::npos)
      selectors.remove_prefix(semicolon + 1);
    selectors = fncTrimAsciiSpace(selectors);
    // The block runs to its matching brace, so at-rules with nested blocks are skipped whole.
    size_t depth = 1;
    size_t close = open + 1;
    for (; close < css.size() && depth > 0; ++close) {
      if (css[close] == '{') ++depth;
      if (css[close] == '}') --depth;
    }
    const size_t blockEnd = depth == 0 ? close - 1 : css.size();
    if (!selectors.empty() && selectors.front() != '@' && selectsActiveLink(selectors)) {
      cHighlightColours colours;
      readDeclarations(std::string_view(css).substr(open + 1, blockEnd - open - 1), colours);
      found = colours;
    }
    pos = close;
  }
  return found;
}

}  // namespace lyn
