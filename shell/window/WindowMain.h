#pragma once
// `lyn-reader [BOOK-FOLDER]` with a display: the player in its window.

#include <string>

namespace lyn {

// Runs the whole program in the window and returns its exit status. A second copy hands
// `isBookFolder` to the first and returns 0 at once.
int fncRunWindow(int argc, char** argv, const std::string& isBookFolder);

}  // namespace lyn
