#pragma once
// The source table of a prompt set: one line per prompt key, in UTF-8.
//
//   # a comment (also blank lines)
//   !language<TAB>English          set data: !language, !description, !font, !fontsize, !rtl
//   key<TAB>display text           the text is also what is spoken
//   key<TAB>display text<TAB>spoken text
//   key<TAB>display text<TAB>@name a generated sound instead of speech (see fncSoundEffect)
//
// A second language is one more table of the same keys. Keys are compared without regard to
// case; the file's order is the order of the entries in the prompt file.
//
// fncbRead fails, naming the line, on a line without a tab, an empty key, a key that repeats
// (in any case), an unknown "!" setting, or a file that cannot be read.

#include <filesystem>
#include <string>
#include <vector>

namespace lyn::tools {

struct PromptTableRow {
  std::string sKey;
  std::string sText;
  std::string sSpoken;  // never empty: the text when the line gives none
  int lLine = 0;
};

class cPromptTable {
 public:
  bool fncbRead(const std::filesystem::path& path, std::string& error);
  bool fncbParse(const std::string& contents, std::string& error);

  std::vector<PromptTableRow> rows;
  std::string sLanguage = "English";
  std::string sDescription;
  std::string sFont;
  int lFontSize = 0;
  bool bolRightToLeft = false;

  // The row of `key` ignoring case, or nullptr.
  const PromptTableRow* fncFind(const std::string& key) const;
};

}  // namespace lyn::tools
