#include "markup/cElementContainer.h"

#include <gtest/gtest.h>

#include "MarkupTestSupport.h"

namespace lyn {
namespace {

using test::fncTokenizeAndBuild;
using Names = std::vector<std::string>;

// body: seq A (pars a1, a2 with text and audio), seq B (par b1)
const char kTwoSeqs[] =
    "<smil><body>"
    "<seq id='A'><par id='a1'><text id='t1'/><audio id='u1'/></par>"
    "<par id='a2'><text id='t2'/><audio id='u2'/></par></seq>"
    "<seq id='B'><par id='b1'><text id='t3'/></par></seq>"
    "</body></smil>";

class ElementContainer : public ::testing::Test {
 protected:
  void SetUp() override {
    mFile = fncTokenizeAndBuild(kTwoSeqs);
    mRoot = mFile->clsElementContainer();
    mBody = mRoot->fncRetrieveElementContainer("body");
    ASSERT_NE(mBody, nullptr);
    mSeqA = mBody->pElementContainer(1);
    mSeqB = mBody->pElementContainer(2);
    mRoot->subResetAllElements(true);
  }
  std::string id(const cElementContainer* node) const {
    if (!node) return "nothing";
    return std::string(mFile->pElementData(node->lStartTagNumber)->fncAttrContentWOQ("id"));
  }
  std::unique_ptr<cFileData> mFile;
  cElementContainer* mRoot = nullptr;
  cElementContainer* mBody = nullptr;
  cElementContainer* mSeqA = nullptr;
  cElementContainer* mSeqB = nullptr;
};

TEST_F(ElementContainer, NextByNameReturnsTheChildrenOneByOne) {
  EXPECT_EQ(id(mSeqA->fncRetrieveNextElementContainer("PAR")), "a1");
  EXPECT_EQ(mSeqA->lCurrentElementContainer, 1);
  EXPECT_EQ(id(mSeqA->fncRetrieveCurrentElementContainer()), "a1");
  EXPECT_EQ(id(mSeqA->fncRetrieveNextElementContainer("par")), "a2");
  EXPECT_EQ(mSeqA->fncRetrieveNextElementContainer("par"), nullptr);
  EXPECT_EQ(mSeqA->fncRetrieveCurrentElementContainer(), mSeqA->pElementContainer(2));
}

TEST_F(ElementContainer, NextByNameFromAnAncestorResumesAfterTheChildOfTheLastMatch) {
  EXPECT_EQ(id(mBody->fncRetrieveNextElementContainer("par")), "a1");  // descends into A
  // The next call goes on after seq A, the child in which a1 was found: a2 is passed over.
  EXPECT_EQ(id(mBody->fncRetrieveNextElementContainer("par")), "b1");
  EXPECT_EQ(mBody->fncRetrieveNextElementContainer("par"), nullptr);
  // Below the root, "audio" is found in a par of seq A from the cursors left there.
  mRoot->subResetAllElements(true);
  EXPECT_EQ(id(mRoot->fncRetrieveNextElementContainer("audio")), "u1");
  EXPECT_EQ(mRoot->fncRetrieveNextElementContainer("audio"), nullptr);
}

TEST_F(ElementContainer, NextWithoutANameWalksTheChildren) {
  EXPECT_EQ(mBody->fncRetrieveNextElementContainer(), mSeqA);
  EXPECT_EQ(mBody->fncRetrieveNextElementContainer(), mSeqB);
  EXPECT_EQ(mBody->fncRetrieveNextElementContainer(), nullptr);
  mBody->lCurrentElementContainer = -4;  // below 1 counts as 0
  EXPECT_EQ(mBody->fncRetrieveNextElementContainer(), mSeqA);
}

TEST_F(ElementContainer, PreviousIsTheMirrorImage) {
  EXPECT_EQ(id(mSeqA->fncRetrievePreviousElementContainer("par")), "a2");
  EXPECT_EQ(id(mSeqA->fncRetrievePreviousElementContainer("par")), "a1");
  EXPECT_EQ(mSeqA->fncRetrievePreviousElementContainer("par"), nullptr);
  EXPECT_EQ(id(mBody->fncRetrievePreviousElementContainer("par")), "b1");
  // Seq A's cursor was left on its first child: nothing lies before it.
  EXPECT_EQ(mBody->fncRetrievePreviousElementContainer("par"), nullptr);
  mRoot->subResetAllElements(false);
  EXPECT_EQ(mBody->fncRetrievePreviousElementContainer(), mSeqB);
  EXPECT_EQ(mBody->fncRetrievePreviousElementContainer(), mSeqA);
  EXPECT_EQ(mBody->fncRetrievePreviousElementContainer(), nullptr);
  mRoot->subResetAllElements(true);
  EXPECT_EQ(id(mBody->fncRetrievePreviousElementContainer("text")), "t3");
}

TEST_F(ElementContainer, ResetReachesEveryNodeBelow) {
  mBody->fncRetrieveNextElementContainer("audio");
  mRoot->subResetAllElements(false);
  EXPECT_EQ(mBody->lCurrentElementContainer, 3);
  EXPECT_EQ(mSeqA->lCurrentElementContainer, 3);
  EXPECT_EQ(mSeqA->pElementContainer(1)->lCurrentElementContainer, 3);
  EXPECT_EQ(mSeqA->fncRetrieveCurrentElementContainer(), nullptr);
  mRoot->subResetAllElements(true);
  EXPECT_EQ(mSeqB->lCurrentElementContainer, 0);
  EXPECT_EQ(mSeqB->fncRetrieveNextElementContainer("text"), mSeqB->pElementContainer(1)->pElementContainer(1));
}

TEST_F(ElementContainer, FindByNameSearchesInPreOrderAndLeavesTheCursorsOnThePath) {
  cElementContainer* audio = mRoot->fncRetrieveElementContainer("AUDIO");
  EXPECT_EQ(id(audio), "u1");
  EXPECT_EQ(mBody->lCurrentElementContainer, 1);
  EXPECT_EQ(mSeqA->lCurrentElementContainer, 1);
  EXPECT_EQ(mSeqA->pElementContainer(1)->lCurrentElementContainer, 2);
  EXPECT_EQ(id(mBody->fncRetrieveElementContainer("par")), "a1");
  EXPECT_EQ(mBody->fncRetrieveElementContainer("img"), nullptr);
  EXPECT_EQ(mBody->lCurrentElementContainer, 2);  // every child examined
}

TEST_F(ElementContainer, AllNodesBelowComeInPreOrder) {
  std::vector<cElementContainer*> nodes(1, nullptr);  // slot 0 stays, as the caller had it
  mBody->fncRetrieveElementContainers(nodes);
  Names order;
  for (size_t i = 1; i < nodes.size(); ++i)
    order.push_back(std::string(nodes[i]->sName()) + ":" + id(nodes[i]));
  EXPECT_EQ(order, (Names{"seq:A", "par:a1", "text:t1", "audio:u1", "par:a2", "text:t2",
                          "audio:u2", "seq:B", "par:b1", "text:t3"}));
  EXPECT_EQ(nodes[0], nullptr);
}

TEST_F(ElementContainer, OutOfRangeLookupsGiveNothing) {
  EXPECT_EQ(mBody->pElementContainer(0), nullptr);
  EXPECT_EQ(mBody->pElementContainer(3), nullptr);
  EXPECT_EQ(mBody->pTextData(1), 0);
  cElementContainer leaf("text");
  EXPECT_EQ(leaf.fncRetrieveChild(), nullptr);
  EXPECT_EQ(leaf.fncRetrieveNextElementContainer(), nullptr);
  EXPECT_EQ(leaf.fncRetrievePreviousElementContainer("x"), nullptr);
  EXPECT_EQ(leaf.fncRetrieveElementContainer("x"), nullptr);
}

// Children and text runs that arrive in turn, on many nodes, before and after the store is
// packed: every list keeps every entry in order.
TEST(ElementContainerStore, ListsGrowingInTurnKeepEveryEntryBeforeAndAfterPacking) {
  cElementContainer root("Document");
  for (int i = 1; i <= 5; ++i) root.subInsertElementContainer("div", i);
  const auto fill = [&](int from, int to) {
    for (int k = from; k < to; ++k) {
      for (int n = 1; n <= 5; ++n) {
        cElementContainer* node = root.pElementContainer(n);
        if (k % n == 0) node->subInsertElementContainer("p", 1000 * n + k);
        if (k % (n + 1) != 0) node->subInsertTextData(1000 * n + k);
      }
    }
  };
  const auto check = [&](int to) {
    for (int n = 1; n <= 5; ++n) {
      const cElementContainer* node = root.pElementContainer(n);
      int32_t child = 0, text = 0;
      for (int k = 0; k < to; ++k) {
        if (k % n == 0) {
          ASSERT_LE(++child, node->lElementsOwned());
          ASSERT_EQ(node->pElementContainer(child)->lStartTagNumber, 1000 * n + k);
          ASSERT_EQ(node->pElementContainer(child)->oParent(), node);
        }
        if (k % (n + 1) != 0) {
          ASSERT_EQ(node->pTextData(++text), 1000 * n + k);
        }
      }
      ASSERT_EQ(node->lElementsOwned(), child);
      ASSERT_EQ(node->lTextsOwned(), text);
      ASSERT_EQ(node->lCurrentTextData(), node->pTextData(text));
      ASSERT_EQ(node->pTextData(text + 1), 0);
    }
  };
  fill(0, 300);
  check(300);
  root.subTrimStore();
  check(300);
  fill(300, 700);
  check(700);
}

// Stray end tags of structural names become nodes of their own, so a tree can hold more nodes
// than its document has start tags; every one of them stays reachable and whole.
TEST(ElementContainerStore, HoldsMoreNodesThanTheDocumentHasStartTags) {
  std::string text = "<body>";
  for (int i = 0; i < 600; ++i) text += "</par>";
  text += "<par id='last'/></body>";
  auto file = fncTokenizeAndBuild(text);
  cElementContainer* body = file->clsElementContainer()->fncRetrieveElementContainer("body");
  ASSERT_NE(body, nullptr);
  ASSERT_EQ(body->lElementsOwned(), 601);
  EXPECT_EQ(body->pElementContainer(600)->sName(), "/par");
  EXPECT_EQ(body->pElementContainer(601)->sName(), "par");
  EXPECT_EQ(body->pElementContainer(601)->oParent(), body);
  EXPECT_EQ(body->pElementContainer(601)->sLevel(), "1.1.601");

  for (int i = 0; i < 300; ++i) body->pElementContainer(601)->subInsertElementContainer("x", 0);
  EXPECT_EQ(body->pElementContainer(601)->lElementsOwned(), 300);
  std::vector<cElementContainer*> all;
  file->clsElementContainer()->fncRetrieveElementContainers(all);
  EXPECT_EQ(all.size(), 1u + 601u + 300u);
}

// A tree built without a size hint spreads over many blocks, with children of one node made
// between those of others; every node knows its name, its place and its neighbours, whatever the
// number of different names (a hostile document may use a new one in every tag) or their length.
TEST(ElementContainerStore, NamesAndPlacesHoldAcrossBlocksAndManyDifferentNames) {
  cElementContainer root("Document");
  const auto nameOf = [](int k) -> std::string {
    if (k % 7 == 0) return "p";
    if (k % 11 == 0) return std::string(100 + k % 50, 'n') + std::to_string(k);  // long
    return "e" + std::to_string(k % 90);
  };
  for (int n = 1; n <= 3; ++n) root.subInsertElementContainer("div", n);
  for (int k = 0; k < 2000; ++k) root.pElementContainer(1 + k % 3)->subInsertElementContainer(nameOf(k), k);
  EXPECT_EQ(root.sName(), "Document");
  for (int n = 1; n <= 3; ++n) {
    const cElementContainer* div = root.pElementContainer(n);
    ASSERT_EQ(div->sName(), "div");
    const int32_t count = div->lElementsOwned();
    for (int32_t i = 1; i <= count; ++i) {
      const cElementContainer* child = div->pElementContainer(i);
      const int k = child->lStartTagNumber;
      ASSERT_EQ(k % 3, n - 1);
      ASSERT_EQ(child->sName(), nameOf(k));
      ASSERT_EQ(child->sLevel(), "1." + std::to_string(n) + "." + std::to_string(i));
      ASSERT_EQ(child->oPreviousSibling(), i > 1 ? div->pElementContainer(i - 1) : nullptr);
      ASSERT_EQ(child->oNextSibling(), i < count ? div->pElementContainer(i + 1) : nullptr);
      const cElementContainer* next = child->fncNextInPreOrder(&root);
      ASSERT_EQ(next, i < count ? div->pElementContainer(i + 1)
                               : n < 3 ? root.pElementContainer(n + 1) : nullptr);
    }
  }
}

}  // namespace
}  // namespace lyn
