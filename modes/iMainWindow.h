#pragma once
// The main window as the modes and the dispatcher see it. The composition root implements it:
// the logic that is not about pixels (caption text, label values, the reader's error table,
// turning a text element into an address) lives there, and the window on screen (Qt, the
// terminal, the script front end) only shows what it is told.
//
// Every call arrives on the user-interface thread. Unless a contract says otherwise a call
// returns at once and may be made at any time, also while no book is loaded.

#include <cstdint>
#include <optional>
#include <string>

namespace lyn {

class cElementData;
class cNCCReader;

// Buttons and menu items whose enabled state the mode switches set.
enum class eSwitchable { cbGotoPage, cbInfo, cbBookshelf, cbHelp, mnuGotoPage, mnuBookInfo,
                         mnuExtendedSearch };

// The control's name as the window and the event lines write it ("cbGotoPage").
constexpr const char* fncSwitchableName(eSwitchable ienControl) {
  switch (ienControl) {
    case eSwitchable::cbGotoPage: return "cbGotoPage";
    case eSwitchable::cbInfo: return "cbInfo";
    case eSwitchable::cbBookshelf: return "cbBookshelf";
    case eSwitchable::cbHelp: return "cbHelp";
    case eSwitchable::mnuGotoPage: return "mnuGotoPage";
    case eSwitchable::mnuBookInfo: return "mnuBookInfo";
    case eSwitchable::mnuExtendedSearch: return "mnuExtendedSearch";
  }
  return "";
}

class iMainWindow {
 public:
  virtual ~iMainWindow() = default;

  // Shows an address in the view: "about:blank" (waits until the view is idle; the page shown
  // stays as it is), a document with an optional "#fragment" (a fragment of the document already
  // shown jumps without reloading). Then applies the style and the focus. Called by the modes on
  // every new place and by the dispatcher on "CLEARSCREEN" and mode switches.
  virtual void subDoNavigate(const std::string& isAddress) = 0;
  // Refreshes the labels, the caption and the check marks from the current mode, then the focus.
  // Called after anything the status shows may have changed ("UPDATEINTERFACE").
  virtual void fncUpdateUserInterface() = 0;
  // Applies the current style sheet (the NCC or the text sheet of the pair, as the current
  // mode's view says) to the document shown. Called on "APPLYSTYLE" and style changes.
  virtual void subApplyStyleSheetToCurrentDocument() = 0;
  // After a handled key: gives the focus back to a link when the document has none focused.
  virtual void subAfterEventHandler() = 0;
  // Highlights the element with this id (without one: the current point's element in the NCC
  // view, else the current fragment) and scrolls it to the middle of the view.
  virtual void subSetFocusInHTMLDocument(std::optional<std::string> isElementId = {}) = 0;
  // The window's caption; also kept in the settings for a second copy of the program.
  virtual void subSetCaption(const std::string& isCaption) = 0;
  // Reloads the document through "about:blank" and waits until the view is idle; then style and
  // focus. Called by the bookshelf before it shows a regenerated list.
  virtual void subRefreshWB() = 0;
  // Refreshes the document shown and waits until the view is idle; then style and focus. Called
  // after a search or a go-to-page.
  virtual void subUpdateWB() = 0;
  // Blanks the view; called once at shutdown.
  virtual void subQuitWB() = 0;
  // Refreshes the document, then the focus. Called by the bookshelf.
  virtual void subRefresh() = 0;
  // Lets pending window events (keys, clicks, timer ticks) run, once. Called by long operations
  // on the user-interface thread, such as the book search of the bookshelf, once per folder; a
  // key handled here may call the current mode (Escape aborts the search). A front end without
  // events of its own does nothing.
  virtual void subDoEvents() {}

  // The bookmark label: the number of the bookmark in the stretch being heard, or nothing.
  // Called by the reading mode on every control tick.
  virtual void subSetBookmarkLabel(std::optional<int32_t> ilBookmark) = 0;
  // The check marks of the two view menu items (NCC view checked when true, full-text view when
  // false). Called whenever the reading mode's view flag is written.
  virtual void subSetViewChecks(bool ibolNccView) = 0;
  // Enabled state of one button or menu item. Called by the mode switches.
  virtual void subSetEnabled(eSwitchable ienControl, bool ibolEnabled) = 0;
  virtual bool fncbEnabled(eSwitchable ienControl) const = 0;
  // The Start button's picture: shown (the Start icon) or removed (while blinking).
  virtual void subShowStartPicture(bool ibolShown) = 0;
  virtual bool fncbStartPictureShown() const = 0;
  // Gives the keyboard focus to the view (every mode switch).
  virtual void subFocusView() = 0;
  // Minimised or not; restoring brings a minimised window back to its normal state.
  virtual bool fncbMinimised() const = 0;
  virtual void subRestore() = 0;

  // The current mode's NCC reader's events, passed on by the mode after its own handling.
  // evNewMedia shows a new text element (other media are ignored); evError speaks the reader's
  // error by its table and stops; evTocPositionChanged posts "TOCPOSITIONCHANGED";
  // evAutomaticMovement posts "AUTOMATICMOVEMENT" and refreshes the interface; evNewPar does
  // nothing. `reader` is the reporting reader.
  // The reading mode passes evNewMedia on only in the full-text view (in the NCC view it shows
  // the current point itself with subDoNavigate), and does not pass on the errors it answers
  // itself: the end of the book ("bok_endofbook"), a move that found no further point or phrase
  // (errors 3 and 16: "sfx_indicator3"), and the failures of the probes it makes while finding
  // a saved place or a link. evNewMedia may arrive while the reader is in the middle of a step:
  // the window must not call back into the reader from it.
  virtual void clsNccReader_evNewMedia(cNCCReader& reader, const cElementData& iclsElement) = 0;
  virtual void clsNccReader_evNewPar(cNCCReader& reader) = 0;
  virtual void clsNccReader_evTocPositionChanged(cNCCReader& reader, int32_t ilPosition) = 0;
  virtual void clsNCCReader_evAutomaticMovement(cNCCReader& reader) = 0;
  virtual void clsNccReader_evError(cNCCReader& reader) = 0;
};

}  // namespace lyn
