#include "markup/cFileData.h"

#include <gtest/gtest.h>

#include <random>

#include "MarkupTestSupport.h"

namespace lyn {
namespace {

using test::fncChildNames;
using test::fncElementNames;
using test::fncTokenize;
using test::fncTokenizeAndBuild;
using Names = std::vector<std::string>;

TEST(ElementData, AttributeLookupsIgnoreCaseAndFindTheFirst) {
  cElementData e;
  EXPECT_EQ(e.fncInsertAttribute("id", "\"tcp1\""), 1);
  EXPECT_EQ(e.fncInsertAttribute("href", "x.smil#a"), 2);
  EXPECT_EQ(e.fncInsertAttribute("ID", "'second'"), 3);
  EXPECT_EQ(e.fncInsertAttribute("title", "'"), 4);
  EXPECT_EQ(e.fncAttrContent("ID"), "\"tcp1\"");
  EXPECT_EQ(e.fncAttrContentWOQ("Id"), "tcp1");
  EXPECT_EQ(e.fncAttrContentWOQ("href"), "x.smil#a");  // unquoted: unchanged
  EXPECT_EQ(e.fncAttrContentWOQ("title"), "");         // a lone quote is both ends
  EXPECT_EQ(e.fncAttrContentWOQ("missing"), "");
  EXPECT_EQ(e.fncAttrContent("missing"), "");
  EXPECT_TRUE(e.fncAttributeExists("HREF"));
  EXPECT_FALSE(e.fncAttributeExists("src"));
  EXPECT_EQ(e.pAttrName(3), "ID");
  EXPECT_EQ(e.pAttrValue(3), "'second'");
  EXPECT_EQ(e.pAttrName(5), "");
  EXPECT_EQ(e.pAttrValue(0), "");
}

TEST(ElementData, QuotesAreDroppedEachOnItsOwn) {
  cElementData e;
  e.fncInsertAttribute("a", "\"open");
  e.fncInsertAttribute("b", "close'");
  e.fncInsertAttribute("c", "'mixed\"");
  EXPECT_EQ(e.fncAttrContentWOQ("a"), "open");
  EXPECT_EQ(e.fncAttrContentWOQ("b"), "close");
  EXPECT_EQ(e.fncAttrContentWOQ("c"), "mixed");
}

TEST(ElementData, CopiesAreIndependent) {
  cElementData e;
  e.subSetElementName("par");
  e.fncInsertAttribute("id", "'a'");
  cElementData copy = e;
  copy.fncInsertAttribute("id2", "'b'");
  e = copy;
  copy.subSetElementName("seq");
  EXPECT_EQ(e.sElementName(), "par");
  EXPECT_EQ(e.lNumberOfAttributes(), 2);
  EXPECT_EQ(e.fncAttrContentWOQ("id2"), "b");
}

TEST(ElementData, NamesLongAndShortCopyAndMoveWithoutSharing) {
  cElementData e;
  e.subSetElementName("blockquote");
  cElementData copy = e;
  e.subSetElementName("p");
  EXPECT_EQ(copy.sElementName(), "blockquote");
  cElementData moved = std::move(copy);
  EXPECT_EQ(moved.sElementName(), "blockquote");
  moved.subSetElementName(moved.sElementName().substr(5));  // a piece of itself
  EXPECT_EQ(moved.sElementName(), "quote");
  EXPECT_EQ(e.sElementName().size(), 1u);
  e.subSetElementName("");
  EXPECT_TRUE(e.sElementName().empty());
}

TEST(ElementData, ATokenizedRecordGivesEveryPairAsWrittenAndItsCopyOutlivesTheDocument) {
  std::string many = "<p";
  for (int i = 0; i < 40; ++i) many += " a" + std::to_string(i) + "='" + std::to_string(i) + "'";
  many += ">";
  auto file = fncTokenize("<par endsync=\"last\" id='p1' x y = 'a\"b' bare=v/>" + many);
  const cElementData* par = file->pElementData(1);
  ASSERT_NE(par, nullptr);
  EXPECT_EQ(par->lNumberOfAttributes(), 4);
  EXPECT_EQ(par->pAttrName(3), "y");
  EXPECT_EQ(par->pAttrValue(3), "'a\"b'");
  EXPECT_EQ(par->pAttrValue(4), "v");
  EXPECT_EQ(par->pAttrName(5), "");
  EXPECT_EQ(par->fncAttrContentWOQ("ID"), "p1");
  EXPECT_TRUE(par->bolWarning);
  const cElementData* p = file->pElementData(2);
  ASSERT_EQ(p->lNumberOfAttributes(), 40);
  EXPECT_EQ(p->pAttrName(40), "a39");
  EXPECT_EQ(p->fncAttrContentWOQ("a20"), "20");

  cElementData copy = *par;
  file.reset();
  EXPECT_EQ(copy.lNumberOfAttributes(), 4);
  EXPECT_EQ(copy.fncAttrContent("endsync"), "\"last\"");
  EXPECT_EQ(copy.fncInsertAttribute("more", "1"), 5);
}

// A tokenized record reads its name from the text where it lies there as written, and keeps a
// copy where it does not ("<?XML" is named "?xml") or where it is too long to point at; either
// way the name survives copies, new names and new attributes, and outlives the document.
TEST(ElementData, ATokenizedRecordsNameComesFromTheTextOrFromItsOwnCopy) {
  const std::string longName(300, 'n');
  auto file = fncTokenize("<?XML version='1.0'?><!DOCTYPE html><!-- note --><" + longName +
                          " a='1'></" + longName + "><Par id='p'></Par>");
  std::vector<std::string> names;
  for (int32_t i = 1; i <= file->lNumElementData(); ++i)
    names.emplace_back(file->pElementData(i)->sElementName());
  EXPECT_EQ(names, (Names{"?xml", "!DOCTYPE", "", longName, "/" + longName, "Par", "/Par"}));
  EXPECT_EQ(file->pElementData(1)->fncAttrContentWOQ("version"), "1.0");
  EXPECT_EQ(file->pElementData(4)->fncAttrContentWOQ("a"), "1");

  cElementData* par = file->pElementData(6);
  const cElementData copy = *par;
  par->fncInsertAttribute("more", "2");  // the record now keeps a copy of everything
  EXPECT_EQ(par->sElementName(), "Par");
  EXPECT_EQ(par->fncAttrContentWOQ("id"), "p");
  par->subSetElementName("seq");
  EXPECT_EQ(par->fncAttrContentWOQ("more"), "2");
  par->subSetAttributes({});
  EXPECT_EQ(par->sElementName(), "seq");
  EXPECT_EQ(par->lNumberOfAttributes(), 0);
  cElementData end = *file->pElementData(7);
  file.reset();
  EXPECT_EQ(copy.sElementName(), "Par");
  EXPECT_EQ(copy.fncAttrContentWOQ("id"), "p");
  EXPECT_EQ(end.sElementName(), "/Par");
  end.fncInsertAttribute("x", "1");
  EXPECT_EQ(end.sElementName(), "/Par");
}

TEST(FileData, ElementLookupsByNumberKeepTheCursorWhenOutOfRange) {
  auto file = fncTokenize("<smil><body><par id='1'></par></body></smil>");
  ASSERT_EQ(file->lNumElementData(), 6);
  ASSERT_NE(file->fncGetElementData(3), nullptr);
  EXPECT_EQ(file->lCurrentElement, 3);
  EXPECT_EQ(file->fncGetElementData(7), nullptr);
  EXPECT_EQ(file->fncGetElementData(0), nullptr);
  EXPECT_EQ(file->lCurrentElement, 3);
  EXPECT_EQ(file->fncGetElementData("BODY")->sElementName(), "body");
  EXPECT_EQ(file->lCurrentElement, 2);
  EXPECT_EQ(file->fncGetElementData("audio"), nullptr);
  EXPECT_EQ(file->lCurrentElement, 7);  // one past the end
}

TEST(FileData, NextAndPreviousByNameSkipOtherRecords) {
  auto file = fncTokenize(
      "<seq><par id='a'><text/></par><audio/><par id='b'></par><PAR id='c'/></seq>");
  file->fncGetElementData(1);
  cElementData* par = file->fncGetNextElementData({"par"});
  ASSERT_NE(par, nullptr);
  EXPECT_EQ(par->fncAttrContentWOQ("id"), "a");
  par = file->fncGetNextElementData({"par"});  // "/par" is no "par"
  EXPECT_EQ(par->fncAttrContentWOQ("id"), "b");
  EXPECT_EQ(file->fncGetNextElementData(std::vector<std::string>{"par"})->fncAttrContentWOQ("id"),
            "c");
  const int32_t atC = file->lCurrentElement;
  EXPECT_EQ(file->fncGetNextElementData({"par"}), nullptr);
  EXPECT_EQ(file->lCurrentElement, atC);
  EXPECT_EQ(file->fncGetNextElementData({"text", "audio"}), nullptr);
  EXPECT_EQ(file->fncGetNextElementData()->sElementName(), "/seq");
  EXPECT_EQ(file->fncGetNextElementData(), nullptr);  // at the last record

  EXPECT_EQ(file->fncGetPreviousElementData({"text", "audio"})->sElementName(), "audio");
  EXPECT_EQ(file->fncGetPreviousElementData({"text", "audio"})->sElementName(), "text");
  EXPECT_EQ(file->fncGetPreviousElementData()->sElementName(), "par");
  EXPECT_EQ(file->fncGetPreviousElementData()->sElementName(), "seq");
  EXPECT_EQ(file->lCurrentElement, 1);
  EXPECT_EQ(file->fncGetPreviousElementData(), nullptr);
  // After a failed search by name the cursor is one past the end; stepping back finds the last.
  file->fncGetElementData("nothing");
  EXPECT_EQ(file->fncGetPreviousElementData()->sElementName(), "/seq");
}

TEST(FileData, RecordsCanBeInsertedAtAPlaceAndRemoved) {
  auto file = fncTokenize("<a></a><b></b>");
  cElementData extra;
  extra.subSetElementName("x");
  extra.fncInsertAttribute("k", "v");
  EXPECT_EQ(file->fncInsertElementClass(extra, 2), 2);
  EXPECT_EQ(fncElementNames(*file), (Names{"a", "x", "/a", "b", "/b"}));
  EXPECT_EQ(file->pElementData(2)->fncAttrContent("k"), "v");
  EXPECT_EQ(file->fncInsertElementClass(extra), 6);
  EXPECT_EQ(file->fncInsertElementClass(extra, 99), 7);
  cElementData* kept = file->pElementData(2);
  file->fncRemoveElement(2);
  file->fncRemoveElement(0);
  file->fncRemoveElement(42);
  EXPECT_EQ(fncElementNames(*file), (Names{"a", "/a", "b", "/b", "x", "x"}));
  EXPECT_EQ(kept->sElementName(), "x");  // a removed record stays valid
}

TEST(FileData, RecordsAndRunsKeepTheirPlacesWhileManyMoreAreAdded) {
  auto file = fncTokenize("<p id='first'>text</p>");
  cElementData* first = file->pElementData(1);
  cTextData* run = file->pTextData(1);
  cElementData extra;
  extra.subSetElementName("x");
  for (int i = 0; i < 3000; ++i) file->fncInsertElementClass(extra);
  for (int i = 0; i < 3000; ++i) file->fncInsertTextData(100 + 2 * i, 101 + 2 * i);
  EXPECT_EQ(file->lNumElementData(), 3002);
  EXPECT_EQ(file->pElementData(1), first);
  EXPECT_EQ(first->fncAttrContentWOQ("id"), "first");
  EXPECT_EQ(file->pTextData(1), run);
  EXPECT_EQ(file->fncTextDataContent(1), "text");
  EXPECT_EQ(file->pElementData(3002)->sElementName(), "x");
  EXPECT_EQ(file->pTextData(3001)->lTxtStartPos, 100 + 2 * 2999);
}

TEST(FileData, OverlappingRunsAreMergedNotDuplicated) {
  cFileData file;
  EXPECT_EQ(file.fncInsertTextData(10, 20), 1);
  EXPECT_EQ(file.fncInsertTextData(30, 40), 2);
  EXPECT_EQ(file.fncInsertTextData(5, 5), 2);  // empty: nothing recorded
  EXPECT_EQ(file.fncInsertTextData(9, 3), 2);
  EXPECT_EQ(file.fncInsertTextData(15, 25), 1);  // start inside run 1: its end is raised
  EXPECT_EQ(file.pTextData(1)->lTxtEndPos, 25);
  EXPECT_EQ(file.fncInsertTextData(28, 35), 2);  // end inside run 2: its start is lowered
  EXPECT_EQ(file.pTextData(2)->lTxtStartPos, 28);
  EXPECT_EQ(file.fncInsertTextData(12, 14), 1);  // inside: nothing grows
  EXPECT_EQ(file.pTextData(1)->lTxtStartPos, 10);
  EXPECT_EQ(file.pTextData(1)->lTxtEndPos, 25);
  EXPECT_EQ(file.fncInsertTextData(40, 45), 2);  // touching the end counts as inside
  EXPECT_EQ(file.pTextData(2)->lTxtEndPos, 45);
  EXPECT_EQ(file.fncInsertTextData(46, 50), 3);
  EXPECT_EQ(file.fncInsertTextData(1, 2), 4);    // before every run: appended
}

// The merging rule applied literally, run by run from the first.
int32_t referenceInsert(std::vector<cTextData>& runs, int32_t start, int32_t end) {
  if (start >= end) return static_cast<int32_t>(runs.size());
  for (size_t i = 0; i < runs.size(); ++i) {
    if (runs[i].lTxtStartPos <= start && start <= runs[i].lTxtEndPos) {
      runs[i].lTxtEndPos = std::max(runs[i].lTxtEndPos, end);
      return static_cast<int32_t>(i + 1);
    }
    if (runs[i].lTxtStartPos <= end && end <= runs[i].lTxtEndPos) {
      runs[i].lTxtStartPos = std::min(runs[i].lTxtStartPos, start);
      return static_cast<int32_t>(i + 1);
    }
  }
  runs.push_back({start, end});
  return static_cast<int32_t>(runs.size());
}

TEST(FileData, FastRunMergingGivesTheSameResultsAsTheLiteralRule) {
  std::mt19937 random(7);
  for (int round = 0; round < 300; ++round) {
    cFileData file;
    std::vector<cTextData> reference;
    int32_t cursor = 1;
    for (int step = 0; step < 60; ++step) {
      int32_t start, end;
      if (random() % 4 != 0) {  // mostly a forward pass, as the tokenizer makes
        start = cursor + static_cast<int32_t>(random() % 3);
        end = start + static_cast<int32_t>(random() % 6);
        cursor = end + static_cast<int32_t>(random() % 3);
      } else {
        start = static_cast<int32_t>(random() % (cursor + 5));
        end = start + static_cast<int32_t>(random() % 12) - 2;
      }
      ASSERT_EQ(file.fncInsertTextData(start, end), referenceInsert(reference, start, end))
          << "round " << round << " step " << step;
    }
    ASSERT_EQ(file.lNumTextData(), static_cast<int32_t>(reference.size()));
    for (int32_t i = 1; i <= file.lNumTextData(); ++i) {
      EXPECT_EQ(file.pTextData(i)->lTxtStartPos, reference[i - 1].lTxtStartPos);
      EXPECT_EQ(file.pTextData(i)->lTxtEndPos, reference[i - 1].lTxtEndPos);
    }
  }
}

// --- the tree ------------------------------------------------------------------------------

const char kSmil[] =
    "<?xml version='1.0'?><!DOCTYPE smil PUBLIC '-//W3C//DTD SMIL 1.0//EN' 'SMIL10.dtd'>"
    "<smil><head><meta name='dc:title' content='T'/></head><body><seq>"
    "<par id='p1'><text src='a.html#1'/><seq><audio src='a.mp3'/><audio src='b.mp3'/></seq></par>"
    "<seq><par id='p2'><text src='a.html#2'/></par><par id='p3'/></seq>"
    "<par id='p4'><text src='a.html#4'/></par>"
    "</seq></body></smil>";

TEST(DocumentTree, ASeqInsideAParIsKeptAndASeqInsideASeqIsFlattened) {
  auto file = fncTokenizeAndBuild(kSmil);
  cElementContainer* root = file->clsElementContainer();
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->sName(), "Document");
  EXPECT_EQ(root->sLevel(), "1");
  EXPECT_EQ(root->clsFileData(), file.get());
  EXPECT_EQ(root->lStartTagNumber, 0);
  EXPECT_EQ(fncChildNames(*root), (Names{"?xml", "!DOCTYPE", "smil"}));

  cElementContainer* outer = root->fncRetrieveElementContainer("seq");
  ASSERT_NE(outer, nullptr);
  EXPECT_EQ(outer->sLevel(), "1.3.2.1");
  // p2 and p3 were children of the inner seq: they now hang below the outer one, whose end
  // tag is the last "/seq".
  EXPECT_EQ(fncChildNames(*outer), (Names{"par", "par", "par", "par"}));
  std::vector<std::string> ids;
  for (int32_t i = 1; i <= outer->lElementsOwned(); ++i) {
    const cElementContainer* par = outer->pElementContainer(i);
    ids.emplace_back(file->pElementData(par->lStartTagNumber)->fncAttrContentWOQ("id"));
  }
  EXPECT_EQ(ids, (Names{"p1", "p2", "p3", "p4"}));
  ASSERT_NE(outer->lEndTagNumber, -1);
  EXPECT_EQ(file->pElementData(outer->lEndTagNumber)->sElementName(), "/seq");
  EXPECT_EQ(file->pElementData(outer->lEndTagNumber + 1)->sElementName(), "/body");

  // The seq inside the first par stays, with its audio leaves.
  cElementContainer* p1 = outer->pElementContainer(1);
  EXPECT_EQ(fncChildNames(*p1), (Names{"text", "seq"}));
  EXPECT_EQ(fncChildNames(*p1->pElementContainer(2)), (Names{"audio", "audio"}));

  // Exactly the two records of the flattened seq left the list, and indexes stayed right.
  int seqs = 0;
  for (int32_t i = 1; i <= file->lNumElementData(); ++i)
    if (file->pElementData(i)->sElementName() == "seq") ++seqs;
  EXPECT_EQ(seqs, 2);
  std::vector<cElementContainer*> all;
  root->fncRetrieveElementContainers(all);
  for (const cElementContainer* node : all) {
    const cElementData* start = file->pElementData(node->lStartTagNumber);
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(start->sElementName(), node->sName());
  }
}

TEST(DocumentTree, AnUnclosedParagraphKeepsTheBodyOpen) {
  auto file = fncTokenizeAndBuild("<html><body><p>one</body></html>");
  cElementContainer* body = file->clsElementContainer()->fncRetrieveElementContainer("body");
  ASSERT_NE(body, nullptr);
  cElementContainer* p = body->pElementContainer(1);
  EXPECT_EQ(fncChildNames(*p), (Names{"/body", "/html"}));
  EXPECT_EQ(body->lEndTagNumber, -1);
  EXPECT_EQ(p->lEndTagNumber, -1);
  ASSERT_EQ(p->lTextsOwned(), 1);
  EXPECT_EQ(file->fncTextDataContent(p->pTextData(1)), "one");
}

TEST(DocumentTree, StrayEndTagsBecomeLeaves) {
  auto file = fncTokenizeAndBuild("</p><div></span></div></b>");
  cElementContainer* root = file->clsElementContainer();
  EXPECT_EQ(fncChildNames(*root), (Names{"/p", "div"}));  // "/b" is not structural: no node
  cElementContainer* div = root->pElementContainer(2);
  EXPECT_EQ(fncChildNames(*div), (Names{"/span"}));
  EXPECT_EQ(div->lEndTagNumber, 4);
}

TEST(DocumentTree, TextBelongsToTheNodeThatEnclosesIt) {
  auto file = fncTokenizeAndBuild(
      "<body><h1 id='x'><a href='s.smil#1'>Title</a> tail</h1>after<br/>more</body>");
  cElementContainer* root = file->clsElementContainer();
  cElementContainer* a = root->fncRetrieveElementContainer("a");
  cElementContainer* h1 = root->fncRetrieveElementContainer("h1");
  cElementContainer* body = root->fncRetrieveElementContainer("body");
  ASSERT_EQ(a->lTextsOwned(), 1);
  EXPECT_EQ(file->fncTextDataContent(a->pTextData(1)), "Title");
  ASSERT_EQ(h1->lTextsOwned(), 1);
  EXPECT_EQ(file->fncTextDataContent(h1->pTextData(1)), " tail");
  ASSERT_EQ(body->lTextsOwned(), 2);
  EXPECT_EQ(file->fncTextDataContent(body->pTextData(1)), "after");
  EXPECT_EQ(body->lCurrentTextData(), body->pTextData(2));
  EXPECT_EQ(a->pTextData(2), 0);
}

TEST(DocumentTree, EmptyStructuralElementsEncloseNothing) {
  auto file = fncTokenizeAndBuild(
      "<body><p><a id='anchor'/>text</p><seq><seq/><par/></seq><h2>x</h2></body>");
  cElementContainer* body = file->clsElementContainer()->fncRetrieveElementContainer("body");
  EXPECT_EQ(fncChildNames(*body), (Names{"p", "seq", "h2"}));
  cElementContainer* p = body->pElementContainer(1);
  EXPECT_EQ(fncChildNames(*p), (Names{"a"}));
  EXPECT_EQ(p->pElementContainer(1)->lEndTagNumber, p->pElementContainer(1)->lStartTagNumber);
  ASSERT_EQ(p->lTextsOwned(), 1);
  EXPECT_EQ(file->fncTextDataContent(p->pTextData(1)), "text");
  EXPECT_EQ(fncChildNames(*body->pElementContainer(2)), (Names{"seq", "par"}));
  EXPECT_EQ(body->lEndTagNumber, file->lNumElementData());
}

TEST(DocumentTree, LevelsAndSiblingLinks) {
  auto file = fncTokenizeAndBuild("<div><p></p><p></p><p><span></span></p></div>");
  cElementContainer* root = file->clsElementContainer();
  cElementContainer* div = root->pElementContainer(1);
  cElementContainer* third = div->pElementContainer(3);
  EXPECT_EQ(third->sLevel(), "1.1.3");
  EXPECT_EQ(third->pElementContainer(1)->sLevel(), "1.1.3.1");
  cElementContainer* first = div->pElementContainer(1);
  EXPECT_EQ(first->oPreviousSibling(), nullptr);
  EXPECT_EQ(first->oNextSibling(), div->pElementContainer(2));
  EXPECT_EQ(third->oPreviousSibling(), div->pElementContainer(2));
  EXPECT_EQ(third->oNextSibling(), nullptr);
  EXPECT_EQ(third->fncRetrieveParent(), div);
  EXPECT_EQ(div->fncRetrieveChild(), third);
  EXPECT_EQ(root->oParent(), nullptr);
}

TEST(DocumentTree, IsBuiltOnceAndNotWithoutRecords) {
  auto file = fncTokenize("<p>a</p>");
  EXPECT_TRUE(file->fncParseElementHierarchy());
  cElementContainer* root = file->clsElementContainer();
  EXPECT_TRUE(file->fncParseElementHierarchy());
  EXPECT_EQ(file->clsElementContainer(), root);

  cFileData empty;
  EXPECT_FALSE(empty.fncParseElementHierarchy());
  ASSERT_NE(empty.clsElementContainer(), nullptr);
  EXPECT_EQ(empty.clsElementContainer()->lElementsOwned(), 0);
}

}  // namespace
}  // namespace lyn
