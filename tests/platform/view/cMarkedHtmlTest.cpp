#include "platform/view/cMarkedHtml.h"

#include <gtest/gtest.h>

#include "platform/files/TextCase.h"

namespace lyn {
namespace {

std::u16string utf16(std::string_view text) {
  std::u16string out;
  for (size_t pos = 0; pos < text.size();) {
    char32_t c = 0;
    const size_t length = fncDecodeUtf8(text, pos, c);
    out += static_cast<char16_t>(length ? c : text[pos]);  // the tests use the BMP only
    pos += length ? length : 1;
  }
  return out;
}

std::string utf8(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) subAppendUtf8(out, c);
  return out;
}

// Marks `html`, then stands in for the view: finds the markers in the marked text, places the
// elements and returns the text without markers, so ranges can be read back as markup.
struct cPlaced {
  cMarkedHtml marked;
  std::string text;

  explicit cPlaced(std::string_view html, std::string_view sheet = "")
      : marked(cMarkedHtml::fncMark(html, sheet)) {
    const std::u16string wide = utf16(marked.sHtml);
    const auto markers = marked.fncFindMarkers(wide);
    std::u16string bare;
    size_t copied = 0;
    for (const auto& found : markers) {
      bare += wide.substr(copied, found.lPos - copied);
      copied = found.lPos + found.lLength;
    }
    bare += wide.substr(copied);
    marked.subPlaceElements(markers);
    text = utf8(bare);
  }

  const cMarkedElement* element(std::string_view id) const {
    for (const auto& e : marked.aElements)
      if (e.sId == id) return &e;
    return nullptr;
  }
  std::string range(std::string_view id) const {
    const cMarkedElement* e = element(id);
    if (!e || e->lStart < 0) return "(none)";
    return text.substr(static_cast<size_t>(e->lStart), static_cast<size_t>(e->lEnd - e->lStart));
  }
};

TEST(MarkedHtml, AnElementRangeRunsFromItsFirstToItsLastCharacter) {
  const cPlaced placed("<html><body><p id=\"a\">\n  Hello <em>big</em> world \n</p></body></html>");
  EXPECT_EQ(placed.range("a"), "Hello <em>big</em> world");
  // Without its markers the document is the one given.
  EXPECT_EQ(placed.text, "<html><body><p id=\"a\">\n  Hello <em>big</em> world \n</p></body></html>");
}

TEST(MarkedHtml, NestedElementsEachGetTheirOwnRange) {
  const cPlaced placed(
      "<body><div id=\"outer\"><h1 id=\"h\"><a href=\"s.smil#t1\">Title</a></h1>"
      "<p><span id=\"s1\">One.</span> <span id=\"s2\">Two.</span></p></div><p>After</p></body>");
  EXPECT_EQ(placed.range("h"), "Title");
  EXPECT_EQ(placed.range("s1"), "One.");
  EXPECT_EQ(placed.range("s2"), "Two.");
  EXPECT_EQ(placed.range("outer"),
            "Title</a></h1><p><span id=\"s1\">One.</span> <span id=\"s2\">Two.");
}

TEST(MarkedHtml, LinksKnowTheirAddressAndTheIdOfTheElementHoldingThem) {
  const cPlaced placed(
      "<body><h1 id=\"d4e13\"><a href=\"chap%201.smil#tcp1\">Start</a></h1>"
      "<p><a href=\"x.smil#t\" id=\"own\">Bare</a></p></body>");
  ASSERT_EQ(placed.marked.aElements.size(), 3u);
  const cMarkedElement& first = placed.marked.aElements[1];
  EXPECT_EQ(first.sHref, "chap%201.smil#tcp1");
  EXPECT_EQ(first.sParentId, "d4e13");
  EXPECT_EQ(first.sId, "");
  const cMarkedElement* own = placed.element("own");
  ASSERT_TRUE(own);
  EXPECT_EQ(own->sHref, "x.smil#t");
  EXPECT_EQ(own->sParentId, "");  // its paragraph has no id
  EXPECT_EQ(placed.range("own"), "Bare");
}

TEST(MarkedHtml, ANamedAnchorCountsAsAnId) {
  const cPlaced placed("<body><p><a name=\"p12\">Page twelve</a></p></body>");
  EXPECT_EQ(placed.range("p12"), "Page twelve");
}

TEST(MarkedHtml, TextThatIsNotShownIsNeverMarked) {
  const cPlaced placed(
      "<html id=\"h\"><head><title id=\"t\">Book</title><style id=\"st\">p { color: red }</style>"
      "</head><body><div id=\"d\"><script>var x = 1;</script><p>Shown</p></div></body></html>");
  EXPECT_EQ(placed.range("d"), "Shown");
  EXPECT_EQ(placed.element("t"), nullptr);
  EXPECT_EQ(placed.element("st"), nullptr);
  EXPECT_EQ(placed.element("h"), nullptr);
  EXPECT_NE(placed.text.find("p { color: red }"), std::string::npos);
}

TEST(MarkedHtml, AnUnclosedParagraphEndsAtTheNextOne) {
  const cPlaced placed("<body><p id=\"a\">One<p id=\"b\">Two</body>");
  EXPECT_EQ(placed.range("a"), "One");
  EXPECT_EQ(placed.range("b"), "Two");
}

TEST(MarkedHtml, AStrayEndTagDoesNotCloseTheElement) {
  const cPlaced placed("<body><span id=\"a\">One</em> two</span> three</body>");
  EXPECT_EQ(placed.range("a"), "One</em> two");
}

TEST(MarkedHtml, AnElementWithoutTextHasNoRange) {
  const cPlaced placed("<body><p><img id=\"pic\" src=\"a.jpg\"/></p><p id=\"e\"> </p></body>");
  ASSERT_TRUE(placed.element("pic"));
  EXPECT_EQ(placed.element("pic")->lStart, -1);
  EXPECT_EQ(placed.range("e"), "(none)");
}

TEST(MarkedHtml, TheChosenSheetComesFirstAmongTheDocumentsSheets) {
  const cPlaced placed(
      "<html><head><link rel=\"stylesheet\" href=\"default.css\"/></head><body>x</body></html>",
      "p { font-size: 24pt }");
  const size_t sheet = placed.text.find("<style type=\"text/css\">\np { font-size: 24pt }\n</style>");
  ASSERT_NE(sheet, std::string::npos);
  EXPECT_EQ(sheet, placed.text.find("<head>") + 6);
  EXPECT_LT(sheet, placed.text.find("<link"));
}

TEST(MarkedHtml, ASheetCannotEndItsStyleElementEarly) {
  const cPlaced placed("<body>x</body>", "p{}</style><script>bad()</script>");
  EXPECT_EQ(placed.text.find("</style><script>"), std::string::npos);
  EXPECT_EQ(placed.text.find("<style"), 0u);
}

TEST(MarkedHtml, PrivateUseTextOfTheBookIsNoMarker) {
  const cMarkedHtml marked = cMarkedHtml::fncMark("<body><p id=\"a\">x</p></body>", "");
  // A start sign without digits, one without terminator, and a number past the list.
  const std::u16string text = u"\uE001\uE003 \uE001\uE010 \uE002\uE011\uE003 \uE001\uE01F\uE01F\uE01F\uE01F\uE01F\uE01F\uE01F\uE01F\uE01F\uE01F\uE01F\uE01F\uE01F\uE01F\uE01F\uE01F\uE01F\uE003";
  EXPECT_TRUE(marked.fncFindMarkers(text).empty());
  const auto found = marked.fncFindMarkers(u"ab\uE001\uE010\uE003cd\uE002\uE010\uE003");
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].lPos, 2u);
  EXPECT_FALSE(found[0].bolEnd);
  EXPECT_EQ(found[1].lPos, 7u);
  EXPECT_TRUE(found[1].bolEnd);
}

TEST(MarkedHtml, AMarkerTheViewDroppedLeavesTheElementWithoutRange) {
  cMarkedHtml marked = cMarkedHtml::fncMark("<body><p id=\"a\">x</p><p id=\"b\">y</p></body>", "");
  const auto found = marked.fncFindMarkers(u"\uE001\uE010\uE003x \uE001\uE011\uE003y\uE002\uE011\uE003");
  marked.subPlaceElements(found);
  EXPECT_EQ(marked.aElements[0].lStart, -1);
  EXPECT_EQ(marked.aElements[1].lStart, 2);
  EXPECT_EQ(marked.aElements[1].lEnd, 3);
}

TEST(MarkedHtml, DeepBrokenNestingIsMarkedWithoutTrouble) {
  std::string html = "<body>";
  for (int i = 0; i < 20000; ++i) html += "<div id=\"d" + std::to_string(i) + "\">w";
  for (int i = 0; i < 20000; ++i) html += "</span>";
  const cPlaced placed(html);
  EXPECT_EQ(placed.marked.aElements.size(), 20000u);
  EXPECT_EQ(placed.range("d19999"), "w");
  EXPECT_EQ(placed.range("d0").substr(0, 5), "w<div");
}

}  // namespace
}  // namespace lyn
