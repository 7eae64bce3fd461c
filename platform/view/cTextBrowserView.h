#pragma once
// The HTML view on Qt: a QTextBrowser that shows one document at a time and never navigates by
// itself. Documents are read with the player's own file layer (names found ignoring case,
// charsets decoded), marked (cMarkedHtml) and handed to the browser as HTML; images and linked
// sheets are read the same way, from the document's folder.

#include <QTextBrowser>
#include <memory>
#include <optional>
#include <string>

#include "platform/view/CssActiveRule.h"
#include "platform/view/cMarkedHtml.h"
#include "platform/view/iHtmlView.h"

namespace lyn {

// The player's virtual key code of a Qt key (0 for keys the player has no code for).
int32_t fncVirtualKeyCode(int iQtKey);

class cTextBrowserView : public QTextBrowser, public iHtmlView {
 public:
  explicit cTextBrowserView(QWidget* parent = nullptr);
  ~cTextBrowserView() override;

  void subSetListener(iHtmlViewListener* ioListener) override { mListener = ioListener; }
  bool fncbShow(const std::string& isAddress) override;
  void subReload() override;
  std::string fncAddress() const override;
  bool fncbBlank() const override { return msDocumentPath.empty(); }
  void subSetStyleSheet(const std::string& isSheetPath) override;
  bool fncbHighlight(const std::string& isElementId) override;
  bool fncbHasElement(const std::string& isElementId) const override;
  std::string fncHighlightedId() const override { return msHighlightedId; }
  bool fncbHasFocusLink() const override;
  bool fncbHasActiveElement() const override;
  std::optional<cLinkHit> fncFocusedLink() const override;
  void subTabRound(bool ibolForward) override;
  bool fncbFocusLink(int32_t ilLink) override;
  void subFocus() override;

  // For tests and the window: how many times a document was read and laid out, the range of an
  // element in the view's text, and the colours the highlight uses now.
  int32_t fncLoadCount() const { return mlLoadCount; }
  std::optional<std::pair<int32_t, int32_t>> fncElementRange(const std::string& isElementId) const;
  std::optional<cHighlightColours> fncSheetColours() const { return mSheetColours; }

  QVariant loadResource(int type, const QUrl& name) override;

 protected:
  bool event(QEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;
  bool focusNextPrevChild(bool next) override;

 private:
  bool fncbLoad(const std::string& isPath);
  // Marks msSource with the sheet in force, hands it to the browser and takes the markers out.
  void subLayOut();
  // The links with a place in the text, in document order.
  std::vector<const cMarkedElement*> fncLinks() const;
  void subSelect(const cMarkedElement& iLink);
  const cMarkedElement* fncFindElement(const std::string& isElementId) const;
  void subScrollTo(int32_t ilPosition);

  iHtmlViewListener* mListener = nullptr;
  std::string msDocumentPath;  // the file shown (real case); "" while blank
  std::string msFragment;      // the fragment of the address shown, without "#"
  std::string msSource;        // the shown document's text, kept for reloads with a new sheet
  std::string msSheetText;     // the text of the sheet in force
  std::optional<cHighlightColours> mSheetColours;
  cMarkedHtml mMarked;
  std::string msHighlightedId;
  int32_t mlLoadCount = 0;
};

}  // namespace lyn
