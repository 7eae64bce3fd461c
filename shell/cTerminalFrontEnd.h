#pragma once
// `lyn-reader --tty`: the player in a text terminal, in real time with real sound, for a text
// console with a braille display or a screen reader, over SSH, or without a desktop.
//
// Input: the keyboard in raw mode (ISIG stays on, so Ctrl+C ends the program the normal way),
// decoded by cTerminalKeyDecoder. Output: one line per change (the caption, the text being
// read, the status), never a full-screen redraw, nothing while nothing changes; an open dialog
// is one prompt line that follows what is typed.
//
// The terminal is put back as it was on every exit: the normal end, SIGTERM, SIGHUP and SIGINT
// (through the application's normal end), SIGQUIT, a crash of the program (SIGSEGV, SIGABRT,
// SIGBUS, SIGFPE, SIGILL); SIGTSTP puts it back before the program stops and SIGCONT makes it
// raw again.

#include <cstdint>
#include <map>
#include <string>

#include "shell/cTerminalKeyDecoder.h"
#include "shell/iFrontEnd.h"

namespace lyn {

class cTerminalFrontEnd final : public iFrontEnd {
 public:
  // `inFd` is the terminal (it is made raw when it is one); `outFd` gets the lines.
  cTerminalFrontEnd(int inFd, int outFd, int64_t firstWaitMs = 700, int64_t repeatGapMs = 100);
  ~cTerminalFrontEnd() override;
  cTerminalFrontEnd(const cTerminalFrontEnd&) = delete;
  cTerminalFrontEnd& operator=(const cTerminalFrontEnd&) = delete;

  bool fncbTurn(cApplication& app) override;
  void subIdle(std::chrono::milliseconds timeout) override;

  void subShowHighlight(const std::string& isId, const std::string& isText) override;
  void subShowFocus(int32_t ilLink, const std::string& isText) override;
  void subShowCaption(const std::string& isCaption) override;
  void subShowLabel(const std::string& isName, const std::string& isText) override;
  void subShowPlayerState(const std::string& isState) override;
  void subShowError(int32_t ilNumber, const std::string& isLocation) override;
  void subDialogOpened(const std::string& isName, const std::string& isCaption,
                       const std::string& isText) override;
  void subDialogText(const std::string& isText) override;
  void subDialogClosed(const std::string& isName, const std::string& isValue) override;
  void subExit() override;

 private:
  void subWrite(const std::string& text);
  void subLine(const std::string& text);
  void subStatus();

  int mIn;
  int mOut;
  cTerminalKeyDecoder mDecoder;
  cApplication* mApp = nullptr;
  bool mbEnded = false;
  std::map<std::string, std::string> mLabels;
  std::string msState;
  std::string msStatusShown;
  std::string msPrompt;  // the open dialog's prompt line, "" for none
};

}  // namespace lyn
