#pragma once
// The HTML view as the main window uses it: shows one document, highlights the phrase being
// heard and reports what the reader does with keys and the mouse. The view never acts on its
// own: links are not followed, keys reach the listener first and only the ones it lets through
// move anything.
//
// Addresses are "about:blank", an absolute file path or a "file://" URL, each document address
// with an optional "#fragment". Every call arrives on the user-interface thread and returns once
// the view is done: loading is synchronous, so the view is never busy between calls.

#include <cstdint>
#include <optional>
#include <string>

namespace lyn {

// A key as the player's key handling knows it: the virtual key code (37 left arrow, 112 F1...)
// and the modifiers held with it.
struct cViewKey {
  int32_t lKeyCode = 0;
  bool bolShift = false;
  bool bolCtrl = false;
  bool bolAlt = false;
};

// A link under the mouse: its "href" as written and the id of the element that holds it ("" when
// that element has no id).
struct cLinkHit {
  std::string sHref;
  std::string sParentId;
};

class iHtmlViewListener {
 public:
  virtual ~iHtmlViewListener() = default;
  // A key went down or up while the view had the focus. True lets the view act on it (Tab moves
  // among the links); false swallows it.
  virtual bool fncbViewKeyDown(const cViewKey& iKey) = 0;
  virtual bool fncbViewKeyUp(const cViewKey& iKey) = 0;
  // A mouse button went down over the view; `iLink` when it went down on a link. Neither the
  // press nor the click that follows is acted on by the view.
  virtual void subViewMouseDown(const std::optional<cLinkHit>& iLink) = 0;
};

class iHtmlView {
 public:
  virtual ~iHtmlView() = default;

  // Borrowed; nothing (the default) silences the events.
  virtual void subSetListener(iHtmlViewListener* ioListener) = 0;

  // Shows an address. A document part equal (ignoring case) to the one shown only changes the
  // remembered fragment: nothing is reloaded. False when the document cannot be read; the view
  // then stays as it was.
  virtual bool fncbShow(const std::string& isAddress) = 0;
  // Reads the shown document again from its file (the highlight is put back).
  virtual void subReload() = 0;
  // The address shown: "about:blank", or "file://" + path (percent escapes where a URL needs
  // them) + "#" + fragment when there is one.
  virtual std::string fncAddress() const = 0;
  // True while no document is shown ("about:blank" or nothing yet).
  virtual bool fncbBlank() const = 0;

  // The sheet that styles every document from now on: a CSS file, "" for none (each document
  // then shows with its own styles only). The shown document is loaded again only when the text
  // of the sheet in force changes.
  virtual void subSetStyleSheet(const std::string& isSheetPath) = 0;

  // Highlights the whole text of the element with this id (compared ignoring case) in the
  // highlight colours, puts the text caret at its start and scrolls its top to the middle of the
  // view. The element highlighted before gets its own colours back. False, and nothing changed,
  // when the document has no such element.
  virtual bool fncbHighlight(const std::string& isElementId) = 0;
  virtual bool fncbHasElement(const std::string& isElementId) const = 0;
  // The id given to the last successful fncbHighlight in this document; "" when none.
  virtual std::string fncHighlightedId() const = 0;

  // Links: whether the document has one that can take the focus; whether an element has it now
  // (a link Tab moved to, or the highlighted element); putting it on the first (forward) or the
  // last link, so Tab wraps around. Tab itself moves among the links and wraps at either end.
  virtual bool fncbHasFocusLink() const = 0;
  virtual bool fncbHasActiveElement() const = 0;
  // The link Enter acts on: the one Tab moved to, else the one at the caret; nothing when the
  // caret is on no link.
  virtual std::optional<cLinkHit> fncFocusedLink() const = 0;
  virtual void subTabRound(bool ibolForward) = 0;
  // Puts the focus on the link at this place among the document's links ("a" elements with a
  // non-empty href, in document order, from 0), as the application's model of the document
  // counts them. False, and nothing changed, when there is no such link.
  virtual bool fncbFocusLink(int32_t ilLink) = 0;

  // Gives the keyboard focus to the view.
  virtual void subFocus() = 0;
};

}  // namespace lyn
