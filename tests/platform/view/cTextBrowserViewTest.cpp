#include "platform/view/cTextBrowserView.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <fstream>
#include <memory>
#include <vector>

#include "tests/TempFolder.h"

namespace lyn {
namespace {

class cRecordingListener : public iHtmlViewListener {
 public:
  bool fncbViewKeyDown(const cViewKey& iKey) override {
    aDown.push_back(iKey.lKeyCode);
    return iKey.lKeyCode == 9;  // only Tab reaches the view, as the window does it
  }
  bool fncbViewKeyUp(const cViewKey& iKey) override {
    aUp.push_back(iKey.lKeyCode);
    return false;
  }
  void subViewMouseDown(const std::optional<cLinkHit>& iLink) override { aMouse.push_back(iLink); }

  std::vector<int32_t> aDown;
  std::vector<int32_t> aUp;
  std::vector<std::optional<cLinkHit>> aMouse;
};

void fncWrite(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// A content file with a heading, two sentences and, far below, a paragraph that needs scrolling.
std::string fncContentFile() {
  std::string html =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<html><head><title>Book</title>"
      "<style>p { color: red }</style></head><body>\n"
      "<h1 id=\"h1\"><a href=\"chap.smil#t1\">The Title</a></h1>\n"
      "<p><span id=\"s1\"><a href=\"chap.smil#t2\">First sentence.</a></span>\n"
      "<span id=\"s2\"><a href=\"chap.smil#t3\">Second sentence.</a></span></p>\n";
  for (int i = 0; i < 120; ++i) html += "<p>Filler paragraph " + std::to_string(i) + ".</p>\n";
  html += "<p id=\"far\">Far down.</p>\n";
  for (int i = 0; i < 120; ++i) html += "<p>More filler " + std::to_string(i) + ".</p>\n";
  return html + "</body></html>\n";
}

class TextBrowserView : public ::testing::Test {
 protected:
  void SetUp() override {
    fncWrite(folder / "chap.html", fncContentFile());
    fncWrite(folder / "other.html", "<html><body><p id=\"o1\">Other file.</p></body></html>");
    view = std::make_unique<cTextBrowserView>();
    view->resize(400, 600);
    view->show();
    view->subSetListener(&listener);
  }
  std::string path(const std::string& name) const { return (folder / name).string(); }
  std::string highlightedText() const {
    const auto selections = view->extraSelections();
    return selections.size() == 1 ? selections[0].cursor.selectedText().toStdString() : "(none)";
  }
  QPoint pointOf(const std::string& id) const {
    QTextCursor cursor(view->document());
    cursor.setPosition(view->fncElementRange(id)->first + 1);
    return view->cursorRect(cursor).center();
  }

  testing::TempFolder folder;
  cRecordingListener listener;
  std::unique_ptr<cTextBrowserView> view;
};

TEST_F(TextBrowserView, HighlightsTheWholeTextOfAnElementAndPutsTheCaretAtItsStart) {
  ASSERT_TRUE(view->fncbShow(path("chap.html") + "#s1"));
  ASSERT_TRUE(view->fncbHighlight("S1"));  // ids match ignoring case
  EXPECT_EQ(highlightedText(), "First sentence.");
  EXPECT_EQ(view->textCursor().position(), view->fncElementRange("s1")->first);
  EXPECT_FALSE(view->textCursor().hasSelection());
  EXPECT_EQ(view->toPlainText().indexOf(QChar(0xE001)), -1);  // no marker is left behind

  ASSERT_TRUE(view->fncbHighlight("s2"));
  EXPECT_EQ(highlightedText(), "Second sentence.");  // the first one has its colours back
  EXPECT_EQ(view->fncHighlightedId(), "s2");
  EXPECT_FALSE(view->fncbHighlight("nothere"));
  EXPECT_EQ(highlightedText(), "Second sentence.");
}

TEST_F(TextBrowserView, AFragmentOfTheShownDocumentIsNoReload) {
  ASSERT_TRUE(view->fncbShow(path("chap.html") + "#s1"));
  EXPECT_EQ(view->fncLoadCount(), 1);
  ASSERT_TRUE(view->fncbShow(path("CHAP.HTML") + "#s2"));
  ASSERT_TRUE(view->fncbShow("file://" + path("chap.html") + "#far"));
  EXPECT_EQ(view->fncLoadCount(), 1);
  EXPECT_EQ(view->fncAddress(), "file://" + path("chap.html") + "#far");

  ASSERT_TRUE(view->fncbShow(path("other.html") + "#o1"));
  EXPECT_EQ(view->fncLoadCount(), 2);
  EXPECT_TRUE(view->fncbHighlight("o1"));
  EXPECT_FALSE(view->fncbHasElement("s1"));
}

TEST_F(TextBrowserView, FindsFilesWhateverTheCaseOfTheirNames) {
  ASSERT_TRUE(view->fncbShow(path("Chap.Html")));
  EXPECT_EQ(view->fncAddress(), "file://" + path("chap.html"));
}

TEST_F(TextBrowserView, AnUnreadableDocumentLeavesTheViewAsItWas) {
  ASSERT_TRUE(view->fncbShow(path("chap.html")));
  EXPECT_FALSE(view->fncbShow(path("missing.html")));
  EXPECT_FALSE(view->fncbShow(folder.path().string()));  // a folder
  EXPECT_TRUE(view->fncbHasElement("s1"));
  EXPECT_EQ(view->fncAddress(), "file://" + path("chap.html"));
  EXPECT_TRUE(view->fncbShow(" About:Blank "));
  EXPECT_TRUE(view->fncbBlank());
  EXPECT_EQ(view->fncAddress(), "about:blank");
}

TEST_F(TextBrowserView, ScrollsTheElementToTheMiddleOfTheView) {
  ASSERT_TRUE(view->fncbShow(path("chap.html")));
  ASSERT_TRUE(view->fncbHighlight("far"));
  const int middle = view->viewport()->height() / 2;
  EXPECT_GT(view->verticalScrollBar()->value(), 0);
  EXPECT_NEAR(view->cursorRect().top(), middle, 2);

  ASSERT_TRUE(view->fncbHighlight("s1"));  // near the top: the view stays at the top
  EXPECT_EQ(view->verticalScrollBar()->value(), 0);
}

TEST_F(TextBrowserView, TheSheetInForceStylesTheDocumentAndGivesTheHighlightColours) {
  ASSERT_TRUE(view->fncbShow(path("chap.html")));
  QTextCursor own(view->document());
  own.setPosition(view->fncElementRange("far")->first + 1);
  EXPECT_EQ(own.charFormat().foreground().color(), QColor(Qt::red));  // the book's own style
  ASSERT_TRUE(view->fncbShow("about:blank"));

  fncWrite(folder / "sttxt001.css", "p { color: #00ff00 } a:active { color: black; background-color: yellow }");
  fncWrite(folder / "sttxt002.css", "p { color: #00ff00 } a:active { color: black; background-color: yellow }");
  fncWrite(folder / "sttxt003.css", "p { color: white }");
  ASSERT_TRUE(view->fncbShow(path("chap.html")));
  ASSERT_TRUE(view->fncbHighlight("s2"));
  EXPECT_EQ(view->extraSelections()[0].format.background().color(), view->palette().color(QPalette::Highlight));

  view->subSetStyleSheet(path("sttxt001.css"));
  EXPECT_EQ(view->fncLoadCount(), 3);
  EXPECT_EQ(highlightedText(), "Second sentence.");  // the highlight survives the reload
  EXPECT_EQ(view->extraSelections()[0].format.background().color(), QColor(Qt::yellow));
  EXPECT_EQ(view->extraSelections()[0].format.foreground().color(), QColor(Qt::black));
  // The chosen sheet is in force over the book's own.
  QTextCursor far(view->document());
  far.setPosition(view->fncElementRange("far")->first + 1);
  EXPECT_EQ(far.charFormat().foreground().color(), QColor(0, 255, 0));

  view->subSetStyleSheet(path("sttxt002.css"));  // another file, the same text: no reload
  EXPECT_EQ(view->fncLoadCount(), 3);
  ASSERT_TRUE(view->fncbShow(path("chap.html") + "#s1"));
  EXPECT_EQ(view->fncLoadCount(), 3);

  view->subSetStyleSheet(path("sttxt003.css"));  // no a:active rule: the palette's colours
  EXPECT_EQ(view->fncLoadCount(), 4);
  EXPECT_EQ(view->extraSelections()[0].format.background().color(), view->palette().color(QPalette::Highlight));
  view->subSetStyleSheet("");
  EXPECT_EQ(view->fncLoadCount(), 5);
}

TEST_F(TextBrowserView, AMouseDownOnALinkIsReportedAndNeverFollowed) {
  ASSERT_TRUE(view->fncbShow(path("chap.html")));
  const QPoint link = pointOf("s2");
  QTest::mousePress(view->viewport(), Qt::LeftButton, {}, link);
  QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, link);
  ASSERT_EQ(listener.aMouse.size(), 1u);
  ASSERT_TRUE(listener.aMouse[0]);
  EXPECT_EQ(listener.aMouse[0]->sHref, "chap.smil#t3");
  EXPECT_EQ(listener.aMouse[0]->sParentId, "s2");
  EXPECT_EQ(view->fncAddress(), "file://" + path("chap.html"));
  EXPECT_EQ(view->fncLoadCount(), 1);

  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(390, 590));
  ASSERT_EQ(listener.aMouse.size(), 2u);
  EXPECT_FALSE(listener.aMouse[1]);
}

TEST_F(TextBrowserView, KeysReachTheListenerFirstAndOnlyTheOnesItLetsThroughAct) {
  ASSERT_TRUE(view->fncbShow(path("chap.html")));
  QTest::keyClick(view.get(), Qt::Key_PageDown);
  QTest::keyClick(view.get(), Qt::Key_F5);
  QTest::keyClick(view.get(), Qt::Key_Right);
  EXPECT_EQ(listener.aDown, (std::vector<int32_t>{34, 116, 39}));
  EXPECT_EQ(listener.aUp, (std::vector<int32_t>{34, 116, 39}));
  EXPECT_EQ(view->verticalScrollBar()->value(), 0);
  EXPECT_EQ(view->fncLoadCount(), 1);

  // A held key repeats; its repeated releases are no releases.
  QKeyEvent repeated(QEvent::KeyRelease, Qt::Key_Right, Qt::NoModifier, QString(), true);
  QApplication::sendEvent(view.get(), &repeated);
  EXPECT_EQ(listener.aUp.size(), 3u);
}

TEST_F(TextBrowserView, TabMovesAmongTheLinksAndWrapsAtBothEnds) {
  ASSERT_TRUE(view->fncbShow(path("chap.html")));
  ASSERT_TRUE(view->fncbHasFocusLink());
  EXPECT_FALSE(view->fncbHasActiveElement());
  QTest::keyClick(view.get(), Qt::Key_Tab);
  EXPECT_EQ(view->textCursor().selectedText().toStdString(), "The Title");
  EXPECT_TRUE(view->fncbHasActiveElement());
  ASSERT_TRUE(view->fncFocusedLink());
  EXPECT_EQ(view->fncFocusedLink()->sHref, "chap.smil#t1");
  EXPECT_EQ(view->fncFocusedLink()->sParentId, "h1");

  QTest::keyClick(view.get(), Qt::Key_Backtab);  // Shift+Tab from the first link: the last
  EXPECT_EQ(view->textCursor().selectedText().toStdString(), "Second sentence.");
  QTest::keyClick(view.get(), Qt::Key_Tab);  // and on from the last: the first
  EXPECT_EQ(view->textCursor().selectedText().toStdString(), "The Title");
  EXPECT_TRUE(view->hasFocus() || !view->isActiveWindow());
}

TEST_F(TextBrowserView, TheLinkTheApplicationChoseIsShownByItsPlaceAmongTheLinks) {
  fncWrite(folder / "links.html",
           "<html><body><p><a href=\"a.smil#1\">One</a> <a href=\"\">no address</a> "
           "<a href=\"b.smil#2\"><img src=\"pic.png\"/></a> <a name=\"anchor\">anchor</a> "
           "<a href=\"c.smil#3\">Three</a></p></body></html>");
  ASSERT_TRUE(view->fncbShow(path("links.html")));
  // Links are the anchors with an address, pictures included: "Three" is the third.
  ASSERT_TRUE(view->fncbFocusLink(2));
  EXPECT_EQ(view->textCursor().selectedText().toStdString(), "Three");
  ASSERT_TRUE(view->fncFocusedLink());
  EXPECT_EQ(view->fncFocusedLink()->sHref, "c.smil#3");
  ASSERT_TRUE(view->fncbFocusLink(0));
  EXPECT_EQ(view->textCursor().selectedText().toStdString(), "One");
  // A picture link has no text to select; the old selection goes.
  ASSERT_TRUE(view->fncbFocusLink(1));
  EXPECT_FALSE(view->textCursor().hasSelection());
  EXPECT_FALSE(view->fncbFocusLink(3));
  EXPECT_FALSE(view->fncbFocusLink(-1));
}

TEST_F(TextBrowserView, TheHighlightedLinkIsTheOneEnterActsOn) {
  ASSERT_TRUE(view->fncbShow(path("chap.html")));
  ASSERT_TRUE(view->fncbHighlight("s1"));
  ASSERT_TRUE(view->fncFocusedLink());
  EXPECT_EQ(view->fncFocusedLink()->sHref, "chap.smil#t2");
  ASSERT_TRUE(view->fncbHighlight("far"));
  EXPECT_FALSE(view->fncFocusedLink());
}

}  // namespace
}  // namespace lyn

namespace lyn {
namespace {

TEST(TextBrowserViewOnABook, HighlightsTheSentencesOfARealFullTextBook) {
  const std::filesystem::path book = std::filesystem::path(LYN_SHARED_DIR) / "books/user-guide-fulltext";
  ASSERT_TRUE(std::filesystem::exists(book / "amishelp.html")) << "the shared books are missing: " << book;
  cTextBrowserView view;
  view.resize(500, 400);
  view.show();
  ASSERT_TRUE(view.fncbShow((book / "amishelp.html").string() + "#dtb7"));
  ASSERT_TRUE(view.fncbHighlight("dtb7"));
  const auto selections = view.extraSelections();
  ASSERT_EQ(selections.size(), 1u);
  EXPECT_EQ(selections[0].cursor.selectedText().toStdString(),
            "AMIS stands for Adaptive Multimedia Information System.");
  ASSERT_TRUE(view.fncbShow((book / "AMISHELP.HTML").string() + "#dtb8"));
  EXPECT_EQ(view.fncLoadCount(), 1);
  EXPECT_TRUE(view.fncbHighlight("dtb8"));
}

}  // namespace
}  // namespace lyn
