#pragma once
// The small structured text the book maker turns into a spoken book (UTF-8, one item a line):
//
//   # a comment
//   %title LYN Reader Help              book data: %title %creator %publisher %identifier
//   %language en                        %language %date %narrator
//   %say LYN Reader|Lin Reader          speak the first text as the second (every occurrence)
//   = Heading                           a heading; the number of "=" is its level (1 to 6);
//   == Sub-heading {title}              a level-1 heading starts a new SMIL file; "{class}" at
//                                       the end gives the heading element a class
//   @page 12                            a page number (@page-front iv, @page-special A)
//   @sidebar Text ...                   a sidebar (one paragraph)
//   @prodnote Text ...                  a producer's note (one paragraph)
//   @noteref 1 note-one                 a note reference "1" to the note with id "note-one"
//   @note note-one Text ...             the note itself
//   Any other text                      a paragraph; lines that follow it join it until a blank
//                                       line or another item
// Paragraph texts are cut into sentences (after ".", "?" or "!" followed by a space), one SMIL
// par each. The first item must be a level-1 heading.
//
// fncbParse fails, naming the line, on an unknown "%" or "@" word, a heading level outside 1-6,
// a "%say" without "|", a note reference without a note id, a note reference whose note never
// comes, or a book that does not start with a level-1 heading.

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "tools/DaisyBook.h"

namespace lyn::tools {

class cBookSource {
 public:
  bool fncbRead(const std::filesystem::path& path, std::string& error);
  bool fncbParse(const std::string& text, std::string& error);

  // The book without audio: every phrase's clip is empty.
  DaisyBook book;
  // "%say" pairs, in file order.
  std::vector<std::pair<std::string, std::string>> sayings;

  // The text to speak for `text`: the "%say" replacements applied.
  std::string fncSpoken(const std::string& text) const;

  // Cuts a paragraph into sentences.
  static std::vector<std::string> fncSentences(const std::string& text);
};

}  // namespace lyn::tools
