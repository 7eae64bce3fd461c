#include "engine/cParList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "markup/cElementContainer.h"

namespace lyn {
namespace {

class ParList : public ::testing::Test {
 protected:
  ParList() {
    for (int i = 1; i <= 8; ++i) root.subInsertElementContainer("par", i);
  }
  cElementContainer* par(int n) { return root.pElementContainer(n); }
  // Each entry as "file:par number", "file:-" for a placeholder.
  static std::vector<std::string> entries(const cParList& list, cElementContainer& root) {
    std::vector<std::string> out;
    for (int32_t n = 1; n <= list.lCount(); ++n) {
      const cParList::cEntry entry = list.fncEntry(n);
      std::string number = "-";
      for (int32_t k = 1; k <= root.lElementsOwned(); ++k)
        if (root.pElementContainer(k) == entry.par) number = std::to_string(k);
      out.push_back(entry.block->sSmilFile + ":" + number);
    }
    return out;
  }
  cElementContainer root{"Document"};
};

TEST_F(ParList, EntriesFindTheirFileAfterExpansionsAndRemovalsAnywhere) {
  cParList list;
  for (const char* file : {"a.smil", "B.smil", "a.smil", "c.smil"}) list.subAppendPlaceholder(file);
  list.subExpand(2, {par(1), par(2), par(3)});
  list.subExpand(1, {par(4), par(5)});
  EXPECT_EQ(entries(list, root),
            (std::vector<std::string>{"a.smil:4", "a.smil:5", "B.smil:1", "B.smil:2", "B.smil:3",
                                      "a.smil:-", "c.smil:-"}));
  ASSERT_NE(list.fncFirstBlock("b.smil"), nullptr);
  EXPECT_EQ(list.fncFirstBlock("b.smil")->lStart, 3);
  EXPECT_EQ(list.fncFirstBlock("a.smil")->lCount, 2);

  cParList copy(list);
  list.subRemove(3);  // B's first par
  list.subRemove(5);  // the second a.smil placeholder: its block goes
  list.subRemove(1);
  EXPECT_EQ(entries(list, root),
            (std::vector<std::string>{"a.smil:5", "B.smil:2", "B.smil:3", "c.smil:-"}));
  EXPECT_EQ(list.fncBlockOf(4)->lStart, 4);
  EXPECT_EQ(list.fncFirstBlock("b.smil")->lStart, 2);
  EXPECT_EQ(copy.lCount(), 7);  // the copy is its own
  EXPECT_EQ(copy.fncPar(3), par(1));
  EXPECT_EQ(copy.fncBlockOf(7)->sSmilFile, "c.smil");
}

TEST_F(ParList, PastedParsOfOneFileJoinOneBlock) {
  cParList list;
  list.subAppendPar("x.smil", par(1));
  list.subAppendPar("x.smil", par(2));
  list.subAppendPar("y.smil", nullptr);
  list.subAppendPar("x.smil", par(3));
  EXPECT_EQ(entries(list, root),
            (std::vector<std::string>{"x.smil:1", "x.smil:2", "y.smil:-", "x.smil:3"}));
  EXPECT_EQ(list.fncBlockOf(2), list.fncBlockOf(1));
  EXPECT_NE(list.fncBlockOf(4), list.fncBlockOf(1));
  EXPECT_EQ(list.fncFirstBlock("x.smil")->lCount, 2);
}

}  // namespace
}  // namespace lyn
