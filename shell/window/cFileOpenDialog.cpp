#include "shell/window/cFileOpenDialog.h"

namespace lyn {

// Qt's name filters follow the file system's case on Linux, so the patterns spell out both
// cases of every letter; the details are hidden and the user sees "NCC".
QString cFileOpenDialog::fncNccFilter() {
  return QStringLiteral("NCC ([nN][cC][cC].[hH][tT][mM][lL] [nN][cC][cC].[hH][tT][mM])");
}

cFileOpenDialog::cFileOpenDialog() : mRun([](QFileDialog& dialog) { return dialog.exec(); }) {}

std::optional<std::string> cFileOpenDialog::fncShow(QWidget* parent, const std::string& isFileName) {
  QFileDialog dialog(parent);
  dialog.setObjectName(QStringLiteral("dlgFileOpen"));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setNameFilter(fncNccFilter());
  dialog.selectFile(QString::fromStdString(isFileName));
  if (mRun(dialog) != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  return chosen.front().toStdString();
}

}  // namespace lyn
