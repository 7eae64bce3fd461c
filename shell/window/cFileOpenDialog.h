#pragma once
// The bookshelf's file-open dialog: a QFileDialog that starts with the name given ("ncc.html")
// and shows only NCC files, "ncc.html" and "ncc.htm" in any case. Tests replace the modal run
// with their own, which sees the dialog as it would be shown.

#include <QFileDialog>
#include <functional>
#include <optional>
#include <string>

namespace lyn {

class cFileOpenDialog {
 public:
  // Runs the dialog and answers as QDialog::exec does (QDialog::Accepted when a file was chosen).
  using tRun = std::function<int(QFileDialog& dialog)>;

  // The name filter: the patterns match either spelling of the NCC in any case.
  static QString fncNccFilter();

  cFileOpenDialog();

  void subSetRun(tRun iRun) { mRun = std::move(iRun); }

  // The path chosen; nothing when cancelled.
  std::optional<std::string> fncShow(QWidget* parent, const std::string& isFileName);

 private:
  tRun mRun;
};

}  // namespace lyn
