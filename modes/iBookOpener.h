#pragma once
// Opening a book in the reading mode, for the modes that choose books (the bookshelf). The
// composition root hands the reading mode in through this, so a chooser needs nothing else of it.

#include <string>

namespace lyn {

class iBookOpener {
 public:
  virtual ~iBookOpener() = default;
  // Loads the book in `folder` (ending in "/") into the reading mode, which remembers it as the
  // last book read; `nccFile` empty tries "ncc.html", then "ncc.htm". True when it loaded.
  virtual bool fncLoadBook(const std::string& folder, const std::string& nccFile = {}) = 0;
};

}  // namespace lyn
