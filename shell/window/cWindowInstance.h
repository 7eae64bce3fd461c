#pragma once
// The application's single-instance check for the window, over the per-user local socket: a
// later copy hands its book folder to the first and ends; the first brings its window to the
// front (best effort on Wayland, where a window may only ask for attention) and opens the
// folder through the application, as if it had been chosen on the bookshelf.
//
// The place is claimed once: the window program claims it before its window exists, so that a
// later copy never shows one, and the application's own check then hears the same answer.

#include <optional>
#include <string>

#include "platform/desktop/cLocalSocketInstance.h"
#include "shell/cApplication.h"

namespace lyn {

class cQtFrontEnd;

class cWindowInstance final : public iSingleInstance {
 public:
  // `isRuntimeFolder`: where the socket's folder goes; "" takes the user's runtime folder.
  explicit cWindowInstance(std::string isRuntimeFolder = {});

  // The window brought to the front and the application that opens the folders handed over
  // (both borrowed); set before the application runs.
  void subSetWindow(cQtFrontEnd* frontEnd) { mFrontEnd = frontEnd; }
  void subSetApplication(cApplication* app) { mApp = app; }

  bool fncbClaim(const std::string& isBook) override;

 private:
  void subActivate(const std::string& isBook);

  cLocalSocketInstance mClaim;
  std::optional<bool> mbClaimed;
  cQtFrontEnd* mFrontEnd = nullptr;
  cApplication* mApp = nullptr;
};

}  // namespace lyn
