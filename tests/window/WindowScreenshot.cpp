// Takes a picture of the window playing the sample book: its text with the current phrase
// highlighted and the status labels filled. Run by scripts/window-screenshot.
//   window-screenshot OUT.png [PROGRAM-FOLDER]

#include <QApplication>
#include <QPixmap>
#include <cstdio>
#include <filesystem>
#include <string>

#include "shell/cApplication.h"
#include "shell/window/cQtFrontEnd.h"
#include "tests/window/SampleBookOptions.h"

int main(int argc, char** argv) {
  using namespace lyn;
  if (argc < 2) {
    std::fprintf(stderr, "usage: window-screenshot OUT.png [PROGRAM-FOLDER]\n");
    return 2;
  }
  QApplication qt(argc, argv);
  const std::string output = argv[1];
  const std::string programFolder = argc > 2 ? argv[2] : LYN_BUILD_DATA_DIR;
  const auto home = std::filesystem::temp_directory_path() / ("lyn-shot-" + std::to_string(::getpid()));
  std::filesystem::create_directories(home);

  cQtFrontEnd frontEnd;
  frontEnd.form().resize(900, 640);
  bool saved = false;
  frontEnd.subSetTurnHook([&](cApplication&, int64_t turn) {
    // Twelve seconds into the book, a few phrases have been read.
    if (turn < 1200) return true;
    saved = frontEnd.form().grab().save(QString::fromStdString(output));
    return false;
  });
  cApplication app(testing::fncSampleBookOptions(home, programFolder), frontEnd);
  app.fncRun();
  std::filesystem::remove_all(home);
  if (!saved) {
    std::fprintf(stderr, "window-screenshot: could not write %s\n", output.c_str());
    return 1;
  }
  return 0;
}
