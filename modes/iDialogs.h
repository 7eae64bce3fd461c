#pragma once
// The spoken dialogs as the modes and the dispatcher see them. Each front end (Qt, terminal,
// script) shows them its own way over the same logic; every call is modal: it returns when the
// dialog has closed, and the prompts keep playing while it is open.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lyn {

class iMode;

class iDialogs {
 public:
  virtual ~iDialogs() = default;

  // Results of the search and go-to-page dialogs besides a navigation point number (1-based).
  static constexpr int32_t kEmpty = 0;          // OK on an empty text
  static constexpr int32_t kNothing = -1;       // nothing found, or cancelled
  static constexpr int32_t kBookmarkTaken = -2; // "#n" went to bookmark n already

  // Searches the captions of `mode`'s navigation points (its sSearchString is the starting
  // text, and receives the text confirmed). Returns a point number or one of the codes above.
  virtual int32_t fncShowSearch(iMode& mode) = 0;
  // Finds a page of `mode`'s book by its number; a point number or one of the codes above.
  virtual int32_t fncShowGotoPage(iMode& mode) = 0;
  // The yes/no confirmation: shows the caption and the text, speaks the prompt keys one after
  // another on the prompt player; true when the user confirmed. Declining posts "START".
  virtual bool fncShowDialog(const std::string& isCaption, const std::string& isText,
                             const std::vector<std::string>& isPromptKeys) = 0;
  // The about box: pauses a playing book, speaks the version, resumes on closing.
  virtual void subShowAbout() = 0;
  // Chooses an NCC file by hand; nothing when cancelled.
  virtual std::optional<std::string> fncShowFileOpen() = 0;
};

}  // namespace lyn
