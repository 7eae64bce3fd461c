#include "engine/cEntityTable.h"

#include <utility>

#include "platform/files/TextCase.h"

namespace lyn {

namespace {

struct cPair {
  const char* name;
  char32_t character;
};

// In the order the reader compares them.
constexpr cPair kTable[] = {
    {"ARING", 0xC5},  {"AUML", 0xC4},   {"OUML", 0xD6},   {"AELIG", 0xC6},  {"OSLASH", 0xD8},
    {"IEXCL", 0xA1},  {"CENT", 0xA2},   {"POUND", 0xA3},  {"CURREN", 0xA4}, {"YEN", 0xA5},
    {"BRVBAR", 0xA6}, {"SECT", 0xA7},   {"UML", 0xA8},    {"COPY", 0xA9},   {"ORDF", 0xAA},
    {"LAQUO", 0xAB},  {"NOT", 0xAC},    {"SHY", U','},    {"REG", 0xAE},    {"MACR", 0xAF},
    {"DEG", 0xB0},    {"PLUSMN", 0xB1}, {"SUP2", 0xB2},   {"SUP3", 0xB3},   {"ACUTE", 0xB4},
    {"MICRO", 0xB5},  {"PARA", 0xB6},   {"MIDDOT", 0xB7}, {"CEDIL", 0xB8},  {"SUP1", 0xB9},
    {"ORDM", 0xBA},   {"RAQUO", 0xBB},  {"FRAC14", 0xBC}, {"FRAC12", 0xBD}, {"IQUEST", 0xBF},
    {"AGRAVE", 0xC0}, {"AACUTE", 0xC1}, {"ACIRC", 0xC2},  {"ATILDE", 0xC3}, {"CCEDIL", 0xC7},
    {"EGRAVE", 0xC8}, {"EACUTE", 0xC9}, {"ECIRC", 0xCA},  {"EUML", 0xCB},   {"IGRAVE", 0xCC},
    {"IACUTE", 0xCD}, {"ICIRC", 0xCE},  {"IUML", 0xCF},   {"ETH", 0xD0},    {"NTILDE", 0xD1},
    {"OGRAVE", 0xD2}, {"OACUTE", 0xD3}, {"OCIRC", 0xD4},  {"OTILDE", 0xD5}, {"TIMES", 0xD7},
    {"UGRAVE", 0xD9}, {"UACUTE", 0xDA}, {"UCIRC", 0xDB},  {"UUML", 0xDC},   {"YACUTE", 0xDD},
    {"THORN", 0xDE},  {"SZLIG", 0xDF},  {"DIVIDE", 0xF7}, {"YUML", 0xFF},
};
static_assert(std::size(kTable) == 64);


}  // namespace

cEntityTable::cEntityTable() {
  mEntries.reserve(std::size(kTable));
  for (const cPair& pair : kTable) {
    cEntity entity;
    entity.sReference = std::string("&") + pair.name + ";";
    subAppendUtf8(entity.sUpper, pair.character);
    subAppendUtf8(entity.sLower, fncFoldCodePoint(pair.character));
    mEntries.push_back(std::move(entity));
  }
}

std::string& cEntityTable::fncReplace(std::string& ioText) const {
  size_t at = ioText.find('&');
  while (at != std::string::npos) {
    const std::string_view rest = std::string_view(ioText).substr(at);
    for (const cEntity& entity : mEntries) {
      if (!fncStartsWithIgnoringAsciiCase(rest, entity.sReference)) continue;
      const char next = rest.size() > 1 ? rest[1] : '\0';
      const bool upper = next >= 'A' && next <= 'Z';
      ioText.replace(at, entity.sReference.size(), upper ? entity.sUpper : entity.sLower);
      break;
    }
    at = ioText.find('&', at + 1);
  }
  return ioText;
}

}  // namespace lyn
