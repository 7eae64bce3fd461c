#include "platform/view/cTextBrowserView.h"

#include <QAbstractTextDocumentLayout>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QUrl>
#include <filesystem>

#include "markup/cFileData.h"
#include "platform/files/TextCase.h"
#include "platform/files/cPathResolver.h"
#include "platform/storage/cRegularFile.h"
#include "platform/view/ViewGeometry.h"

namespace lyn {

namespace {

// Images and sheets a document links to; anything larger is no picture a book needs.
constexpr uint64_t kMaxResourceBytes = 64u << 20;

// Reads a text file through the markup layer (name found ignoring case, charset decoded).
std::optional<std::string> fncReadText(const std::filesystem::path& path) {
  std::string folder = path.parent_path().string();
  if (folder.empty() || folder.back() != '/') folder += '/';
  cFileData file(path.filename().string(), 0, folder);
  if (!file.fncLoadFile()) return std::nullopt;
  return std::move(file.sData);
}

QColor fncColour(const std::string& isCss, const QColor& iFallback) {
  const QColor colour = QColor::fromString(QString::fromStdString(isCss));
  return colour.isValid() ? colour : iFallback;
}

}  // namespace

int32_t fncVirtualKeyCode(int iQtKey) {
  if (iQtKey >= Qt::Key_A && iQtKey <= Qt::Key_Z) return 65 + (iQtKey - Qt::Key_A);
  if (iQtKey >= Qt::Key_0 && iQtKey <= Qt::Key_9) return 48 + (iQtKey - Qt::Key_0);
  if (iQtKey >= Qt::Key_F1 && iQtKey <= Qt::Key_F24) return 112 + (iQtKey - Qt::Key_F1);
  switch (iQtKey) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Pause: return 19;
    case Qt::Key_CapsLock: return 20;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    case Qt::Key_Meta:
    case Qt::Key_Super_L: return 91;
    case Qt::Key_Super_R: return 92;
    case Qt::Key_Menu: return 93;
    default: return 0;
  }
}

cTextBrowserView::cTextBrowserView(QWidget* parent) : QTextBrowser(parent) {
  // The player decides what a link does; the browser only shows.
  setOpenLinks(false);
  setOpenExternalLinks(false);
  setUndoRedoEnabled(false);
  setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::LinksAccessibleByKeyboard);
}

cTextBrowserView::~cTextBrowserView() = default;

bool cTextBrowserView::fncbShow(const std::string& isAddress) {
  const std::string address(fncTrimAsciiSpace(isAddress));
  if (fncEqualsIgnoringCase(address, "about:blank")) {
    msDocumentPath.clear();
    msFragment.clear();
    msSource.clear();
    mMarked = {};
    msHighlightedId.clear();
    setExtraSelections({});
    clear();
    return true;
  }
  std::string path;
  std::string fragment;
  if (fncStartsWithIgnoringAsciiCase(address, "file:")) {
    const QUrl url(QString::fromStdString(address));
    path = url.toLocalFile().toStdString();
    fragment = url.fragment(QUrl::FullyDecoded).toStdString();
  } else {
    const size_t hash = address.find('#');
    path = address.substr(0, hash);
    if (hash != std::string::npos) fragment = address.substr(hash + 1);
  }
  if (path.empty()) return false;
  path = std::filesystem::path(path).lexically_normal().string();
  if (!msDocumentPath.empty() && fncEqualsIgnoringCase(path, msDocumentPath)) {
    msFragment = fragment;
    return true;
  }
  if (!fncbLoad(path)) return false;
  msFragment = fragment;
  return true;
}

bool cTextBrowserView::fncbLoad(const std::string& isPath) {
  auto text = fncReadText(isPath);
  if (!text) return false;
  const auto real = fncResolvePathIgnoringCase(isPath);
  msDocumentPath = real ? real->lexically_normal().string() : isPath;
  msSource = std::move(*text);
  msHighlightedId.clear();
  subLayOut();
  return true;
}

void cTextBrowserView::subReload() {
  if (msDocumentPath.empty()) return;
  if (auto text = fncReadText(msDocumentPath)) msSource = std::move(*text);
  const std::string highlighted = msHighlightedId;
  subLayOut();
  if (!highlighted.empty()) fncbHighlight(highlighted);
}

void cTextBrowserView::subLayOut() {
  mMarked = cMarkedHtml::fncMark(msSource, msSheetText);
  setExtraSelections({});
  setHtml(QString::fromStdString(mMarked.sHtml));
  QTextDocument* doc = document();
  const QString raw = doc->toRawText();
  const auto markers = mMarked.fncFindMarkers(
      std::u16string_view(reinterpret_cast<const char16_t*>(raw.utf16()), static_cast<size_t>(raw.size())));
  QTextCursor cursor(doc);
  cursor.beginEditBlock();
  for (auto it = markers.rbegin(); it != markers.rend(); ++it) {
    cursor.setPosition(static_cast<int>(it->lPos));
    cursor.setPosition(static_cast<int>(it->lPos + it->lLength), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
  }
  cursor.endEditBlock();
  mMarked.subPlaceElements(markers);
  setTextCursor(QTextCursor(doc));
  ++mlLoadCount;
}

std::string cTextBrowserView::fncAddress() const {
  if (msDocumentPath.empty()) return "about:blank";
  QUrl url = QUrl::fromLocalFile(QString::fromStdString(msDocumentPath));
  if (!msFragment.empty()) url.setFragment(QString::fromStdString(msFragment));
  return url.toString(QUrl::FullyEncoded).toStdString();
}

void cTextBrowserView::subSetStyleSheet(const std::string& isSheetPath) {
  std::string text;
  if (!isSheetPath.empty()) text = fncReadText(isSheetPath).value_or(std::string());
  if (text == msSheetText) return;
  msSheetText = std::move(text);
  mSheetColours = fncActiveRuleColours(msSheetText);
  if (!msDocumentPath.empty()) {
    const std::string highlighted = msHighlightedId;
    subLayOut();
    if (!highlighted.empty()) fncbHighlight(highlighted);
  }
}

const cMarkedElement* cTextBrowserView::fncFindElement(const std::string& isElementId) const {
  if (isElementId.empty()) return nullptr;
  for (const auto& element : mMarked.aElements)
    if (fncEqualsIgnoringCase(element.sId, isElementId)) return &element;
  return nullptr;
}

bool cTextBrowserView::fncbHasElement(const std::string& isElementId) const {
  return fncFindElement(isElementId) != nullptr;
}

std::optional<std::pair<int32_t, int32_t>> cTextBrowserView::fncElementRange(
    const std::string& isElementId) const {
  const cMarkedElement* element = fncFindElement(isElementId);
  if (!element || element->lStart < 0) return std::nullopt;
  return std::make_pair(element->lStart, element->lEnd);
}

bool cTextBrowserView::fncbHighlight(const std::string& isElementId) {
  const cMarkedElement* element = fncFindElement(isElementId);
  if (!element) return false;
  msHighlightedId = isElementId;
  if (element->lStart < 0) {
    // An element without text (a picture, an empty anchor) has no range to colour.
    setExtraSelections({});
    return true;
  }
  QTextEdit::ExtraSelection selection;
  selection.cursor = QTextCursor(document());
  selection.cursor.setPosition(element->lStart);
  selection.cursor.setPosition(element->lEnd, QTextCursor::KeepAnchor);
  const QPalette& colours = palette();
  QColor foreground = colours.color(QPalette::HighlightedText);
  QColor background = colours.color(QPalette::Highlight);
  if (mSheetColours) {
    foreground = fncColour(mSheetColours->sColour, foreground);
    background = fncColour(mSheetColours->sBackground, background);
  }
  selection.format.setForeground(foreground);
  selection.format.setBackground(background);
  setExtraSelections({selection});
  // The caret at the element's start is what a screen reader follows.
  QTextCursor caret(document());
  caret.setPosition(element->lStart);
  setTextCursor(caret);
  subScrollTo(element->lStart);
  return true;
}

void cTextBrowserView::subScrollTo(int32_t ilPosition) {
  QTextDocument* doc = document();
  QAbstractTextDocumentLayout* layout = doc->documentLayout();
  layout->documentSize();  // lays the whole document out, so the scroll range is final
  const QTextBlock block = doc->findBlock(ilPosition);
  if (!block.isValid()) return;
  const QRectF blockRect = layout->blockBoundingRect(block);
  double top = blockRect.top();
  double left = blockRect.left();
  if (const QTextLayout* lines = block.layout(); lines && lines->lineCount() > 0) {
    const QTextLine line = lines->lineForTextPosition(ilPosition - block.position());
    if (line.isValid()) {
      top += line.y();
      left += line.cursorToX(ilPosition - block.position());
    }
  }
  QScrollBar* vertical = verticalScrollBar();
  vertical->setValue(fncScrollTarget(static_cast<int32_t>(top), viewport()->height(), vertical->maximum()));
  horizontalScrollBar()->setValue(static_cast<int>(left));
}

std::vector<const cMarkedElement*> cTextBrowserView::fncLinks() const {
  std::vector<const cMarkedElement*> links;
  for (const auto& element : mMarked.aElements)
    if (!element.sHref.empty() && element.lStart >= 0 && element.lEnd > element.lStart)
      links.push_back(&element);
  return links;
}

bool cTextBrowserView::fncbHasFocusLink() const { return !fncLinks().empty(); }

bool cTextBrowserView::fncbHasActiveElement() const {
  return textCursor().hasSelection() || !msHighlightedId.empty();
}

std::optional<cLinkHit> cTextBrowserView::fncFocusedLink() const {
  const QTextCursor cursor = textCursor();
  const int32_t from = cursor.selectionStart();
  const int32_t to = cursor.selectionEnd();
  const cMarkedElement* found = nullptr;
  for (const cMarkedElement* link : fncLinks()) {
    if (cursor.hasSelection() ? (link->lStart == from && link->lEnd == to)
                              : (link->lStart <= from && from < link->lEnd))
      found = link;  // the innermost: links come in document order
  }
  if (!found) return std::nullopt;
  return cLinkHit{found->sHref, found->sParentId};
}

void cTextBrowserView::subSelect(const cMarkedElement& iLink) {
  QTextCursor selection(document());
  selection.setPosition(iLink.lStart);
  selection.setPosition(iLink.lEnd, QTextCursor::KeepAnchor);
  setTextCursor(selection);
  ensureCursorVisible();
}

void cTextBrowserView::subTabRound(bool ibolForward) {
  const auto links = fncLinks();
  if (links.empty()) return;
  subSelect(ibolForward ? *links.front() : *links.back());
}

bool cTextBrowserView::fncbFocusLink(int32_t ilLink) {
  if (ilLink < 0) return false;
  int32_t seen = 0;
  for (const auto& element : mMarked.aElements) {
    if (element.sHref.empty() || seen++ != ilLink) continue;
    if (element.lStart >= 0 && element.lEnd > element.lStart) {
      subSelect(element);
    } else {
      // A link without text (a picture) has no range to select; the old selection goes.
      QTextCursor caret = textCursor();
      caret.clearSelection();
      setTextCursor(caret);
    }
    return true;
  }
  return false;
}

bool cTextBrowserView::focusNextPrevChild(bool next) {
  // Tab never leaves the view: it moves among the links and wraps at either end.
  const auto links = fncLinks();
  if (links.empty()) return true;
  const QTextCursor cursor = textCursor();
  const int32_t start = cursor.selectionStart();
  const int32_t end = cursor.selectionEnd();
  const cMarkedElement* target = nullptr;
  if (next) {
    for (const cMarkedElement* link : links)
      if (cursor.hasSelection() ? link->lStart > start : link->lStart >= start) {
        target = link;
        break;
      }
  } else {
    for (auto it = links.rbegin(); it != links.rend(); ++it)
      if (cursor.hasSelection() ? (*it)->lStart < start : (*it)->lEnd <= end) {
        target = *it;
        break;
      }
  }
  if (!target) target = next ? links.front() : links.back();
  subSelect(*target);
  return true;
}

void cTextBrowserView::subFocus() { setFocus(Qt::OtherFocusReason); }

bool cTextBrowserView::event(QEvent* e) {
  // Keys reach the listener before the browser (and before Tab moves the focus).
  if (e->type() == QEvent::KeyPress && mListener) {
    auto* key = static_cast<QKeyEvent*>(e);
    const Qt::KeyboardModifiers held = key->modifiers();
    const cViewKey viewKey{fncVirtualKeyCode(key->key()), (held & Qt::ShiftModifier) != 0,
                           (held & Qt::ControlModifier) != 0, (held & Qt::AltModifier) != 0};
    if (!mListener->fncbViewKeyDown(viewKey)) {
      e->accept();
      return true;
    }
  }
  return QTextBrowser::event(e);
}

void cTextBrowserView::keyReleaseEvent(QKeyEvent* e) {
  // A held key repeats as press and release pairs on some systems; only the real release counts,
  // or holding an arrow would never be seen as a hold.
  if (e->isAutoRepeat()) {
    e->accept();
    return;
  }
  if (mListener) {
    const Qt::KeyboardModifiers held = e->modifiers();
    const cViewKey viewKey{fncVirtualKeyCode(e->key()), (held & Qt::ShiftModifier) != 0,
                           (held & Qt::ControlModifier) != 0, (held & Qt::AltModifier) != 0};
    if (!mListener->fncbViewKeyUp(viewKey)) {
      e->accept();
      return;
    }
  }
  QTextBrowser::keyReleaseEvent(e);
}

void cTextBrowserView::mousePressEvent(QMouseEvent* e) {
  e->accept();
  setFocus(Qt::MouseFocusReason);
  std::optional<cLinkHit> hit;
  const QString href = anchorAt(e->position().toPoint());
  if (!href.isEmpty()) {
    hit = cLinkHit{href.toStdString(), {}};
    const int32_t pos = cursorForPosition(e->position().toPoint()).position();
    const cMarkedElement* best = nullptr;
    for (const cMarkedElement* link : fncLinks()) {
      if (link->sHref != hit->sHref) continue;
      if (!best || (link->lStart <= pos && pos <= link->lEnd)) best = link;
      if (link->lStart <= pos && pos <= link->lEnd) break;
    }
    if (best) hit->sParentId = best->sParentId;
  }
  if (mListener) mListener->subViewMouseDown(hit);
}

void cTextBrowserView::mouseReleaseEvent(QMouseEvent* e) { e->accept(); }
void cTextBrowserView::mouseDoubleClickEvent(QMouseEvent* e) { e->accept(); }
void cTextBrowserView::contextMenuEvent(QContextMenuEvent* e) { e->accept(); }

QVariant cTextBrowserView::loadResource(int type, const QUrl& name) {
  // Never a document: the view does not navigate. Pictures and sheets come from the folder of
  // the document shown.
  if (type == QTextDocument::HtmlResource || msDocumentPath.empty()) return {};
  std::filesystem::path path;
  if (name.isLocalFile()) path = name.toLocalFile().toStdString();
  else if (name.isRelative() && !name.path().isEmpty())
    path = std::filesystem::path(msDocumentPath).parent_path() / name.path().toStdString();
  else return {};
  if (type == QTextDocument::StyleSheetResource) {
    auto text = fncReadText(path.lexically_normal());
    return text ? QVariant(QString::fromStdString(*text)) : QVariant();
  }
  const auto real = fncResolvePathIgnoringCase(path.lexically_normal());
  std::string bytes;
  if (!real || !fncReadRegularFile(*real, bytes, kMaxResourceBytes)) return {};
  return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

}  // namespace lyn
