#pragma once
// The markup tokenizer: turns a document's text into its flat lists of element records and text
// runs, in one forward pass.
//
// Tolerant by design: written for HTML 4 / XHTML 1.0 NCC files and SMIL 1.0 files, it never
// validates and never fails on malformed input. Every malformed construct is absorbed: an
// attribute without "=" is dropped, a tag without ">" keeps lElmEndPos -1, an unquoted value
// sets bolWarning, an unterminated quoted value or comment consumes the rest of the text. It
// never reads past the end of the text, never recurses, and its work is linear in the text.
//
// Characters are judged by code point: a UTF-8 sequence is one character; letters are A-Z,
// a-z, U+00C0-U+00FF except U+00D7 and U+00F7, and every code point above U+00FF. Name
// characters are letters, digits, "-", ".", "_" and ":". Positions are byte offsets.
//
// Text runs hold only non-blank text; comments and complete XML declarations contribute none.
// Elements enter the document when the next "<" is reached, so always in document order. The
// last tag of the text (usually "</html>" or "</smil>") is added too when it is complete (closed
// by its ">"), with the non-blank text after it, if any, as its lTextAfter run (that run then
// ends one past the end of the text). A tag cut off by the end of the text adds nothing.
//
// A "<" followed by a blank is no tag: the "<" and the blanks after it are dropped, and the
// text from the next character on belongs to the following run.

#include "markup/cFileData.h"
#include "markup/iProgressReport.h"

namespace lyn {

class cFileParser {
 public:
  bool bolHasErrors = false;   // set false at the start of every parse; never changed by it
  bool bolCanContinue = true;  // set true at the start of every parse; never changed by it

  // Tokenizes iclsFileData.sData, appending to its lists; the document should be fresh (the
  // tokenizer does not clear it). `ioReportObject`, when given, hears of every tag closed by ">".
  // True when the scan has run to the end of the text; false only for a text too long for
  // 32-bit positions (2 GiB - 2 bytes and over), which is left untouched.
  bool fncParseFile(cFileData& iclsFileData, iProgressReport* ioReportObject = nullptr);
};

}  // namespace lyn
