#include <gtest/gtest.h>

#include <fstream>

#include "shell/cDocumentModel.h"
#include "tests/TempFolder.h"

namespace lyn::testing {
namespace {

class DocumentModelTest : public ::testing::Test {
 protected:
  void load(const std::string& html) {
    const auto path = folder / "page.html";
    std::ofstream(path) << html;
    model.subLoad(path.string());
  }
  TempFolder folder;
  cDocumentModel model;
};

TEST_F(DocumentModelTest, EnterOnAListEntryFindsTheLinkInsideIt) {
  load("<html><body><h1 id='e1' class='title'><a href='book%20one/ncc.html'>Book <b>one</b></a></h1>"
       "<h1 id='e2'><a href='two/ncc.html'>Two</a></h1></body></html>");
  const auto entry = model.fncElementById("E1");
  ASSERT_TRUE(entry);
  EXPECT_EQ(model.fncText(*entry), "Book one");
  const auto link = model.fncLinkFor(*entry);
  ASSERT_TRUE(link);
  EXPECT_EQ(model.fncHref(*link), "book one/ncc.html");
  EXPECT_EQ(model.fncParentId(*link), "e1");
  EXPECT_EQ(model.fncLinks().size(), 2u);
}

TEST_F(DocumentModelTest, AnElementInsideALinkTakesTheLinkAroundIt) {
  load("<p><a href='x.smil#p1'><span id='s1'>Phrase</span></a> <span id='s2'>plain\n   text</span></p>");
  EXPECT_EQ(model.fncHref(*model.fncLinkFor(*model.fncElementById("s1"))), "x.smil#p1");
  const auto plain = model.fncElementById("s2");
  EXPECT_FALSE(model.fncLinkFor(*plain));
  EXPECT_EQ(model.fncText(*plain), "plain text");
}

TEST_F(DocumentModelTest, TextIsShownWithItsCharacterReferencesDecodedOnce) {
  load("<h1 id='t'>Tom &amp; &lt;Jerry&gt; &quot;x&quot; &amp;lt; &#233;</h1>");
  EXPECT_EQ(model.fncText(*model.fncElementById("t")), "Tom & <Jerry> \"x\" &lt; \xC3\xA9");
}

TEST_F(DocumentModelTest, UnclosedAndVoidElementsDoNotSwallowTheirNeighbours) {
  load("<div id='d'><p id='p'>one<br>two<img src='i.png'><p id='q'>three</div><a href='z'>z</a>");
  EXPECT_EQ(model.fncText(*model.fncElementById("p")), "one two");
  EXPECT_EQ(model.fncText(*model.fncElementById("d")), "one two three");
  EXPECT_FALSE(model.fncLinkFor(*model.fncElementById("q")));
}

TEST_F(DocumentModelTest, AMissingDocumentIsAnEmptyModel) {
  model.subLoad((folder / "gone.html").string());
  EXPECT_FALSE(model.fncElementById("x"));
  EXPECT_TRUE(model.fncLinks().empty());
}

}  // namespace
}  // namespace lyn::testing
