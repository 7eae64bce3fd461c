#pragma once
// The single-instance check on a local socket of the user's own: "lyn-reader/instance" in
// $XDG_RUNTIME_DIR (a folder only the user can enter; without one, a folder of the user's own
// under the temporary folder), the folder kept at mode 0700. A second copy connects, writes the
// book folder (UTF-8, at most 64 KiB) and closes; the first hears it when the connection ends.
// A socket left behind by a copy that crashed is replaced. A lock file keeps two copies that
// start at the same moment from both claiming the place.

#include <QLocalServer>
#include <memory>
#include <string>

#include "platform/desktop/iInstanceClaim.h"

namespace lyn {

class cLocalSocketInstance : public QObject, public iInstanceClaim {
 public:
  // `isRuntimeFolder`: where the socket's folder goes; "" takes the user's runtime folder.
  explicit cLocalSocketInstance(std::string isRuntimeFolder = {});
  ~cLocalSocketInstance() override;

  eInstanceRole fncClaim(const std::string& isBookFolder, tActivation iOnActivation) override;

  // The socket's path ("" until a place has been found).
  const std::string& fncSocketPath() const { return msSocketPath; }

  // $XDG_RUNTIME_DIR when it is an absolute folder; otherwise "" (the caller's own fallback).
  static std::string fncUserRuntimeFolder();

 private:
  bool fncbPrepareFolder();
  void subAccept();

  std::string msRuntimeFolder;
  std::string msFolder;
  std::string msSocketPath;
  std::unique_ptr<QLocalServer> mServer;
  tActivation mOnActivation;
};

}  // namespace lyn
