// lyn-reader: the player's entry point.

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "shell/cApplicationState.h"
#include "shell/cHeadlessPlayer.h"

int main(int argc, char** argv) {
  using namespace lyn;
  // `--play BOOK_FOLDER ...` plays a whole book without a window.
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) != "--play") continue;
    std::vector<std::string> args;
    for (int j = 1; j < argc; ++j)
      if (j != i) args.emplace_back(argv[j]);
    std::string error;
    const auto options = cHeadlessPlayer::fncParseArguments(args, error);
    if (!options) {
      std::cerr << "lyn-reader: " << error << "\nusage: " << cHeadlessPlayer::fncUsage() << "\n";
      return 2;
    }
    cHeadlessPlayer player(std::cout, std::cerr);
    return player.fncRun(*options);
  }

  std::string bookFolder;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::cout << "usage: lyn-reader [BOOK-FOLDER]\n       " << cHeadlessPlayer::fncUsage() << "\n";
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
