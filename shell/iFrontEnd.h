#pragma once
// A front end of the player (the script runner, the terminal, later the Qt window): it shows
// what the application tells it and brings the user's input. The application owns every piece
// of logic; a front end holds none beyond turning input into calls and showing state.
//
// All calls arrive on the one user-interface thread, from inside the application's loop.
// Every "show" call reports a change: nothing is called while nothing changes.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "modes/iMainWindow.h"

namespace lyn {

class cApplication;

class iFrontEnd {
 public:
  virtual ~iFrontEnd() = default;

  // --- input -----------------------------------------------------------------------------------
  // Once per loop turn (also inside the dialogs' loops): delivers the input that is due now by
  // calling the application (keys, typed text, posted messages). May block until input comes
  // when the program's time waits for nothing else. False when the input has ended: the
  // program then shuts down as on a confirmed quit.
  virtual bool fncbTurn(cApplication& app) = 0;
  // Real time only: waits up to `timeout` for input (or a signal) before the next turn.
  virtual void subIdle(std::chrono::milliseconds timeout);

  // --- the window --------------------------------------------------------------------------------
  virtual void subShowAddress(const std::string& isAddress) { (void)isAddress; }
  // A text element is highlighted: its id and its text (white space normalised, at most 100
  // characters).
  virtual void subShowHighlight(const std::string& isId, const std::string& isText) {
    (void)isId, (void)isText;
  }
  // The keyboard focus moved to a link (Tab): its place among the document's links (links are
  // the "a" elements with an href, in document order, from 0) and its text.
  virtual void subShowFocus(int32_t ilLink, const std::string& isText) { (void)ilLink, (void)isText; }
  virtual void subShowCaption(const std::string& isCaption) { (void)isCaption; }
  // A status label changed: laNavigationText, laPhraseCount, laBookmarkCount, laCurrRate,
  // laCurrVolume.
  virtual void subShowLabel(const std::string& isName, const std::string& isText) {
    (void)isName, (void)isText;
  }
  virtual void subShowEnabled(eSwitchable ienControl, bool ibolEnabled) {
    (void)ienControl, (void)ibolEnabled;
  }
  virtual void subShowStartPicture(bool ibolShown) { (void)ibolShown; }
  virtual void subShowChecks(bool ibolScreenReader, bool ibolNccView) {
    (void)ibolScreenReader, (void)ibolNccView;
  }

  // --- the program -------------------------------------------------------------------------------
  virtual void subShowMode(int32_t ilMode) { (void)ilMode; }
  // The book player's state: "playing", "stopped", "fastforward", "rewind".
  virtual void subShowPlayerState(const std::string& isState) { (void)isState; }
  // A prompt clip starts (numbers as their digit keys).
  virtual void subShowPrompt(const std::string& isKey) { (void)isKey; }
  // A book clip starts: its file relative to the book folder and its times in seconds.
  virtual void subShowClip(const std::string& isFile, double idBegin, double idEnd) {
    (void)isFile, (void)idBegin, (void)idEnd;
  }
  // The book player starts: file, position and the mark (-1 for none).
  virtual void subShowPlay(const std::string& isFile, double idFrom, double idMark) {
    (void)isFile, (void)idFrom, (void)idMark;
  }
  virtual void subShowError(int32_t ilNumber, const std::string& isLocation) {
    (void)ilNumber, (void)isLocation;
  }

  // --- dialogs: "search", "gotopage", "quit", "about" ------------------------------------------
  virtual void subDialogOpened(const std::string& isName, const std::string& isCaption,
                               const std::string& isText) {
    (void)isName, (void)isCaption, (void)isText;
  }
  // The text box of an open dialog changed.
  virtual void subDialogText(const std::string& isText) { (void)isText; }
  virtual void subDialogClosed(const std::string& isName, const std::string& isValue) {
    (void)isName, (void)isValue;
  }

  // The bookshelf's file-open dialog, starting with the name `isFileName` and showing only NCC
  // files: the path chosen, nothing when cancelled. Front ends without one choose nothing.
  virtual std::optional<std::string> fncShowFileOpen(const std::string& isFileName) {
    (void)isFileName;
    return std::nullopt;
  }

  // The program is about to end (after shutdown has saved everything).
  virtual void subExit() {}
};

}  // namespace lyn
