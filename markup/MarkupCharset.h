#pragma once
// Finding the charset a markup file declares, and decoding the file to UTF-8 with it.
//
// The declaration is looked for in the raw bytes, which every charset a book may declare
// leaves readable as ASCII: the XML declaration's encoding at the very start, then the
// http-equiv Content-type meta's charset (or a meta charset attribute), then the "ncc:charset"
// meta; the search stops at "<body". A UTF-8 or UTF-16 byte-order mark outranks any declaration
// and is dropped. A file that declares nothing usable (no declaration, a charset iconv does not
// know, or a UTF-16/32 label on bytes that are plainly not UTF-16/32) is read as UTF-8 when
// valid, else as windows-1252.

#include <string>
#include <string_view>

namespace lyn {

// The charset named by the declarations above, as written ("iso-8859-1"); "" when none.
std::string fncDeclaredCharset(std::string_view bytes);

// The bytes of a markup file as UTF-8 (the bytes themselves, moved, when they are UTF-8
// already). `isCharsetUsed` receives what was decoded from.
std::string fncDecodeMarkupText(std::string bytes, std::string& isCharsetUsed);

}  // namespace lyn
