#include "shell/window/WindowMain.h"

#include <QApplication>
#include <filesystem>
#include <QSessionManager>

#include "platform/desktop/cMprisPlayer.h"
#include "platform/desktop/cSleepWatcher.h"
#include "shell/cApplication.h"
#include "shell/window/cQtFrontEnd.h"
#include "shell/window/cWindowInstance.h"

namespace lyn {

int fncRunWindow(int argc, char** argv, const std::string& isBookFolder) {
  QApplication qt(argc, argv);
  QApplication::setApplicationName(QStringLiteral("lyn-reader"));
  QApplication::setApplicationDisplayName(QStringLiteral("LYN Reader"));
  QGuiApplication::setDesktopFileName(QStringLiteral("lyn-reader"));

  // Before any window: a later copy hands its book over and ends without showing one. The
  // running copy has a current folder of its own, so it gets the book as a whole path.
  cWindowInstance instance;
  std::error_code ec;
  const auto book = isBookFolder.empty() ? std::filesystem::path()
                                         : std::filesystem::absolute(isBookFolder, ec).lexically_normal();
  if (!instance.fncbClaim(ec ? isBookFolder : book.string())) return 0;

  cQtFrontEnd frontEnd;
  instance.subSetWindow(&frontEnd);
  cApplicationOptions options;
  options.sBook = isBookFolder;
  options.singleInstance = &instance;
  cApplication app(std::move(options), frontEnd);
  instance.subSetApplication(&app);

  // Log-off and shut-down: everything is saved at once, since the session may end before the
  // application's loop turns again; then the program ends.
  QObject::connect(&qt, &QGuiApplication::commitDataRequest, [&app](QSessionManager&) { app.subEndSession(); });
  QObject::connect(&qt, &QCoreApplication::aboutToQuit, [&app] { app.subEndSession(); });
  cMprisPlayer mediaKeys(
      [&app](const std::string& isMessage, std::optional<int32_t> ilArgument) {
        if (ilArgument) app.subPost(isMessage, *ilArgument);
        else app.subPost(isMessage);
      },
      [&frontEnd] {
        frontEnd.form().raise();
        frontEnd.form().activateWindow();
      });
  // Sleep pauses and saves but keeps the book: a closed lid must not end the program.
  cSleepWatcher sleep([&app] { app.subSaveForSleep(); });
  sleep.subStart();
  return app.fncRun();
}

}  // namespace lyn
