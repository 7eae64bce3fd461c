#include "shell/window/WindowMain.h"

#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QSessionManager>

#include "platform/desktop/cLocalSocketInstance.h"
#include "platform/desktop/cMprisPlayer.h"
#include "platform/desktop/cSleepWatcher.h"
#include "shell/cApplication.h"
#include "shell/window/cQtFrontEnd.h"

namespace lyn {

namespace {

// The application's single-instance seam over the local socket.
class cInstanceSeam final : public iSingleInstance {
 public:
  explicit cInstanceSeam(cQtFrontEnd& frontEnd) : mFrontEnd(frontEnd) {}
  bool fncbClaim(const std::string& isBook) override {
    const eInstanceRole role = mClaim.fncClaim(isBook, [this](const std::string&) {
      // Best effort on Wayland, where a window may only ask for attention.
      fMainForm& form = mFrontEnd.form();
      if (form.isMinimized()) form.showNormal();
      form.raise();
      form.activateWindow();
    });
    return role != eInstanceRole::Second;
  }

 private:
  cQtFrontEnd& mFrontEnd;
  cLocalSocketInstance mClaim;
};

}  // namespace

int fncRunWindow(int argc, char** argv, const std::string& isBookFolder) {
  QApplication qt(argc, argv);
  QApplication::setApplicationName(QStringLiteral("lyn-reader"));
  QApplication::setApplicationDisplayName(QStringLiteral("LYN Reader"));
  QGuiApplication::setDesktopFileName(QStringLiteral("lyn-reader"));

  cQtFrontEnd frontEnd;
  cInstanceSeam instance(frontEnd);
  cApplicationOptions options;
  options.sBook = isBookFolder;
  options.singleInstance = &instance;
  cApplication app(std::move(options), frontEnd);

  // Log-off and shut-down take the path of SIGTERM: the application saves everything and ends.
  QObject::connect(&qt, &QGuiApplication::commitDataRequest, [](QSessionManager&) { ::kill(::getpid(), SIGTERM); });
  cMprisPlayer mediaKeys(
      [&app](const std::string& isMessage, std::optional<int32_t> ilArgument) {
        if (ilArgument) app.subPost(isMessage, *ilArgument);
        else app.subPost(isMessage);
      },
      [&frontEnd] {
        frontEnd.form().raise();
        frontEnd.form().activateWindow();
      });
  cSleepWatcher sleep([&app] { app.subPost("STOP"); });
  sleep.subStart();
  return app.fncRun();
}

}  // namespace lyn
