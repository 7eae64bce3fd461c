#include "shell/window/cWindowInstance.h"

#include "shell/window/cQtFrontEnd.h"

namespace lyn {

cWindowInstance::cWindowInstance(std::string isRuntimeFolder) : mClaim(std::move(isRuntimeFolder)) {}

bool cWindowInstance::fncbClaim(const std::string& isBook) {
  if (!mbClaimed) {
    const eInstanceRole role = mClaim.fncClaim(isBook, [this](const std::string& book) { subActivate(book); });
    mbClaimed = role != eInstanceRole::Second;
  }
  return *mbClaimed;
}

void cWindowInstance::subActivate(const std::string& isBook) {
  if (mFrontEnd) {
    fMainForm& form = mFrontEnd->form();
    if (form.isMinimized()) form.showNormal();
    form.raise();
    form.activateWindow();
  }
  if (mApp && !isBook.empty()) mApp->subOpenBook(isBook);
}

}  // namespace lyn
