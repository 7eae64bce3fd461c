#pragma once
// Character references as books write them in captions and links. Markup is loaded with its
// references as written, so the engine decodes the ones it needs itself.

#include <string>
#include <string_view>

namespace lyn {

// "&amp;", "&lt;", "&gt;", "&quot;", "&apos;" (names in any case) and numeric references
// ("&#233;", "&#xE9;") become their characters, in one pass: what a reference gives is never
// read again. Anything else after an "&" (an unknown name, a reference without its ";", a number
// that is no character) stays as written.
std::string fncDecodeCharacterReferences(std::string_view text);

// A link's file name with its percent escapes ("my%20book.mp3") and its character references
// decoded, in one pass, so "%2541" gives "%41" and "&amp;#65;" gives "&#65;". Escaped bytes that
// do not form UTF-8 are taken as Latin-1 characters, as fncDecodePercentEscapes does.
std::string fncDecodeLinkEscapes(std::string_view text);

}  // namespace lyn
