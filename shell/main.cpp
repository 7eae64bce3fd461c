// lyn-reader: the player's entry point.

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "shell/cApplicationState.h"

int main(int argc, char** argv) {
  using namespace lyn;
  std::string bookFolder;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::cout << "usage: lyn-reader [BOOK-FOLDER]\n";
      return 0;
    }
    bookFolder = arg;
  }

  cApplicationState app(std::make_unique<cRegistry>(cRegistry::fncDefaultFile()), fncProgramFolder());
  app.subLoadSettingsAtStart();
  if (!bookFolder.empty()) app.sLastBookRead = std::filesystem::absolute(bookFolder).string();

  std::cout << kProgramVersion << "\n"
            << "program folder: " << app.programFolder() << "\n"
            << "settings: " << app.registry().fncFile().string() << "\n"
            << "style sheets: " << app.styleSheets().fncStyleCount() << "\n"
            << "book: " << (bookFolder.empty() ? std::string("(none)") : app.sLastBookRead) << "\n";

  // The main loop: pump the queue until a quit is confirmed.
  app.queue().subAddMessage("QUIT");
  app.queue().subProcessQue();
  app.bolQuit = true;

  const auto& s = app.startSettings;
  app.fncSaveSettingsAtShutdown(s.volume, s.tempo, fncLoadNccMode(app.registry()),
                                fncLoadWindowPlacement(app.registry()));
  return 0;
}
