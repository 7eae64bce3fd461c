// lyn-reader-window [BOOK-FOLDER]: the player in its window. `lyn-reader` hands over to this
// program when there is a display, so that the runs without a window (--play, --script, --tty)
// never load Qt and the libraries behind it.

#include <iostream>
#include <string>

#include "shell/window/WindowMain.h"

int main(int argc, char** argv) {
  std::string book;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (!arg.empty() && arg[0] == '-') {
      std::cerr << "lyn-reader: unknown option \"" << arg << "\"\nusage: lyn-reader [BOOK]\n";
      return 2;
    }
    if (book.empty()) book = arg;
  }
  return lyn::fncRunWindow(argc, argv, book);
}
