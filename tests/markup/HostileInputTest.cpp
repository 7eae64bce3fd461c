// Broken and hostile markup: the tokenizer and the tree take anything without failing,
// overrunning, recursing or using memory out of proportion.

#include <gtest/gtest.h>

#include <random>

#include "MarkupTestSupport.h"
#include "markup/cFileParser.h"

namespace lyn {
namespace {

using test::fncTokenize;
using test::fncTokenizeAndBuild;

// Every position a record or a run holds lies inside the text, in document order.
void expectPositionsInside(const cFileData& file) {
  const auto size = static_cast<int32_t>(file.sData.size());
  int32_t previous = -1;
  for (int32_t i = 1; i <= file.lNumElementData(); ++i) {
    const cElementData* e = file.pElementData(i);
    ASSERT_GT(e->lElmStartPos, previous);
    ASSERT_LT(e->lElmStartPos, size);
    ASSERT_EQ(file.sData[static_cast<size_t>(e->lElmStartPos)], '<');
    if (e->lElmEndPos != -1) {
      ASSERT_GT(e->lElmEndPos, e->lElmStartPos);
      ASSERT_LE(e->lElmEndPos, size);
      ASSERT_EQ(file.sData[static_cast<size_t>(e->lElmEndPos - 1)], '>');
    }
    ASSERT_LE(e->lTextBefore, file.lNumTextData());
    ASSERT_LE(e->lTextAfter, file.lNumTextData());
    previous = e->lElmStartPos;
  }
  int32_t lastEnd = 0;
  for (int32_t i = 1; i <= file.lNumTextData(); ++i) {
    const cTextData* t = const_cast<cFileData&>(file).pTextData(i);
    ASSERT_GT(t->lTxtStartPos, lastEnd);
    ASSERT_GT(t->lTxtEndPos, t->lTxtStartPos);
    ASSERT_LE(t->lTxtEndPos, size + 1);
    lastEnd = t->lTxtEndPos;
  }
}

// Walks the tree with every traversal, from the root and from the deepest node.
void walkEverything(cFileData& file) {
  ASSERT_TRUE(file.fncParseElementHierarchy() || file.lNumElementData() == 0);
  cElementContainer* root = file.clsElementContainer();
  root->subResetAllElements(true);
  std::vector<cElementContainer*> nodes;
  root->fncRetrieveElementContainers(nodes);
  EXPECT_EQ(root->fncRetrieveElementContainer("no-such-name"), nullptr);
  root->subResetAllElements(true);
  while (root->fncRetrieveNextElementContainer("p")) {
  }
  root->subResetAllElements(false);
  while (root->fncRetrievePreviousElementContainer("p")) {
  }
  for (cElementContainer* n = root; n; n = n->fncRetrieveChild()) {
    if (!n->fncRetrieveChild()) {
      EXPECT_FALSE(n->sLevel().empty());
      EXPECT_EQ(n->fncRetrieveNextElementContainer(), nullptr);
    }
  }
}

TEST(HostileInput, FiveMegabytesOfLessThanSigns) {
  const std::string text(5 << 20, '<');
  auto file = fncTokenize(text);
  // Every second "<" starts a record without a name; the one after it is text.
  EXPECT_EQ(file->lNumElementData(), static_cast<int32_t>(text.size() / 2));
  EXPECT_EQ(file->lNumTextData(), static_cast<int32_t>(text.size() / 2));
  EXPECT_EQ(file->pElementData(1)->sElementName(), "");
  EXPECT_EQ(file->fncTextDataContent(1), "<");
}

TEST(HostileInput, AMegabyteOfLessThanSignsMakesAWideTree) {
  auto file = fncTokenizeAndBuild(std::string(1 << 20, '<'));
  cElementContainer* root = file->clsElementContainer();
  EXPECT_EQ(root->lElementsOwned(), file->lNumElementData());
  EXPECT_EQ(root->lTextsOwned(), file->lNumTextData());
  EXPECT_EQ(root->pElementContainer(root->lElementsOwned())->sLevel(),
            "1." + std::to_string(root->lElementsOwned()));
}

TEST(HostileInput, TenThousandUnclosedLevelsDoNotOverflowTheStack) {
  for (const char* tag : {"<p>", "<div>", "<seq><par>", "<span id='x'>t"}) {
    std::string text;
    for (int i = 0; i < 10000; ++i) text += tag;
    text += "<audio src='a.mp3'/>";
    auto file = fncTokenizeAndBuild(text);
    cElementContainer* deepest = file->clsElementContainer();
    int depth = 0;
    while (deepest->fncRetrieveChild()) {
      deepest = deepest->fncRetrieveChild();
      ++depth;
    }
    EXPECT_GE(depth, 10000) << tag;
    EXPECT_EQ(deepest->sName(), "audio");
    EXPECT_EQ(file->clsElementContainer()->fncRetrieveElementContainer("audio"), deepest);
    file->clsElementContainer()->subResetAllElements(true);
    EXPECT_EQ(file->clsElementContainer()->fncRetrieveNextElementContainer("audio"), deepest);
    file->clsElementContainer()->subResetAllElements(false);
    EXPECT_EQ(file->clsElementContainer()->fncRetrievePreviousElementContainer("AUDIO"), deepest);
    walkEverything(*file);
  }
}

TEST(HostileInput, ThreeHundredThousandLevelsAreWalkedAndReleasedWithoutRecursion) {
  std::string text;
  for (int i = 0; i < 300000; ++i) text += "<a>";
  auto file = fncTokenizeAndBuild(text);
  EXPECT_EQ(file->lNumElementData(), 300000);
  std::vector<cElementContainer*> nodes;
  file->clsElementContainer()->fncRetrieveElementContainers(nodes);
  EXPECT_EQ(nodes.size(), 300000u);
  EXPECT_EQ(file->clsElementContainer()->fncRetrieveElementContainer("b"), nullptr);
  file.reset();  // a recursive release would need far more stack than a thread has
}

TEST(HostileInput, NestedSeqsAreFlattenedOneAtATime) {
  // One level is remembered: 5000 seqs nested directly all flatten into the outer one, the
  // first end tag is dropped, the second closes the outer seq and the rest are stray leaves.
  std::string text = "<smil><body>";
  for (int i = 0; i < 5000; ++i) text += "<seq>";
  text += "<par/>";
  for (int i = 0; i < 5000; ++i) text += "</seq>";
  text += "</body></smil>";
  auto file = fncTokenizeAndBuild(text);
  expectPositionsInside(*file);
  cElementContainer* body = file->clsElementContainer()->fncRetrieveElementContainer("body");
  ASSERT_NE(body, nullptr);
  ASSERT_EQ(body->lElementsOwned(), 1 + 4998);
  cElementContainer* seq = body->pElementContainer(1);
  EXPECT_EQ(test::fncChildNames(*seq), (std::vector<std::string>{"par"}));
  EXPECT_NE(seq->lEndTagNumber, -1);
  EXPECT_EQ(file->lNumElementData(), 2 + 1 + 1 + 4999 + 2);
  walkEverything(*file);
}

TEST(HostileInput, RandomMarkupNeverBreaksTheInvariants) {
  std::mt19937 random(2024);
  // Sized by hand: the NUL in the middle would end a C string there.
  static constexpr char kAlphabet[] = "<<<>>>//!!?" "?--==\"\"''  \t\nabpsqADOCTYPEml:.\0\xC3\xA9\xFF";
  const std::string alphabet(kAlphabet, sizeof kAlphabet - 1);
  ASSERT_EQ(alphabet.back(), '\xFF');
  ASSERT_NE(alphabet.find('\0'), std::string::npos);
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    const size_t length = random() % 200;
    for (size_t i = 0; i < length; ++i) text.push_back(alphabet[random() % alphabet.size()]);
    if (round % 3 == 0) text = "<!DOCTYPE html PUBLIC " + text;
    if (round % 5 == 0) text = "<?xml version='1.0' " + text;
    if (round % 7 == 0) text += "<p title=\"\xC3\xA9t\xC3\xA9\">\xC3\xA9";  // a whole "é"
    auto file = fncTokenize(text);
    SCOPED_TRACE(text);
    expectPositionsInside(*file);
    walkEverything(*file);
  }
}

}  // namespace
}  // namespace lyn
