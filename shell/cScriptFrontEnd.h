#pragma once
// `lyn-reader --script FILE|-`: the whole program without a window, driven by commands, one per
// line ("#" starts a comment), writing one line per event. The format is described in the
// README; scripts and tests rely on it, so it stays as it is.
//
// Commands run when the program's time reaches them: the commands up to the next "wait" or
// "hold" run in one turn (one pump, one 10-ms tick follow). With standard input ("-") the
// program waits for the next line when it has nothing else to do; a signal ends that wait.
//
// A line that is not understood is reported on `err` with its number and skipped.

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

#include "shell/KeyCodes.h"
#include "shell/iFrontEnd.h"

namespace lyn {

class cScriptFrontEnd final : public iFrontEnd {
 public:
  // `inputFd` is read (and not closed); `out` gets the event lines.
  cScriptFrontEnd(int inputFd, std::ostream& out, std::ostream& err);

  bool fncbTurn(cApplication& app) override;

  void subShowAddress(const std::string& isAddress) override;
  void subShowHighlight(const std::string& isId, const std::string& isText) override;
  void subShowFocus(int32_t ilLink, const std::string& isText) override;
  void subShowCaption(const std::string& isCaption) override;
  void subShowLabel(const std::string& isName, const std::string& isText) override;
  void subShowEnabled(eSwitchable ienControl, bool ibolEnabled) override;
  void subShowStartPicture(bool ibolShown) override;
  void subShowMode(int32_t ilMode) override;
  void subShowPlayerState(const std::string& isState) override;
  void subShowPrompt(const std::string& isKey) override;
  void subShowClip(const std::string& isFile, double idBegin, double idEnd) override;
  void subShowPlay(const std::string& isFile, double idFrom, double idMark) override;
  void subShowError(int32_t ilNumber, const std::string& isLocation) override;
  void subDialogOpened(const std::string& isName, const std::string& isCaption,
                       const std::string& isText) override;
  void subDialogClosed(const std::string& isName, const std::string& isValue) override;
  void subExit() override;

 private:
  // The next line; nothing at the end of the input or when a signal came while waiting.
  std::optional<std::string> fncReadLine(int signalFd, bool& ended);
  // Runs one command; false when it makes the script wait.
  bool fncbRun(cApplication& app, const std::string& line);
  void subLine(const std::string& text);

  int mInput;
  std::ostream& mOut;
  std::ostream& mErr;
  cApplication* mApp = nullptr;
  std::string msBuffer;
  bool mbEof = false;
  int32_t mlLine = 0;
  int64_t mlDueTick = 0;
  std::optional<cKey> mHeld;
};

}  // namespace lyn
