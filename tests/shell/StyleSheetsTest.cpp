#include <gtest/gtest.h>

#include "platform/storage/cAtomicFile.h"
#include "shell/cStyleSheets.h"
#include "../TempFolder.h"

namespace lyn {
namespace {

class StyleSheetsTest : public ::testing::Test {
 protected:
  void touch(const std::string& name) { ASSERT_TRUE(fncWriteFileAtomically(dir / name, "body{}")); }
  std::string folder() const { return dir.path().string() + "/"; }
  testing::TempFolder dir;
  cStyleSheets sheets;
};

TEST_F(StyleSheetsTest, NoSheetsGiveNoStyle) {
  sheets.subDiscover(folder(), "");
  EXPECT_EQ(sheets.fncStyleCount(), 0);
  EXPECT_EQ(sheets.fncCurrentStyle(), 0);
  EXPECT_EQ(sheets.fncCurrentTextSheet(), "");
}

TEST_F(StyleSheetsTest, PairsInNameOrderAndTheSavedOneIsCurrent) {
  touch("sttxt002.css");
  touch("stncc002.css");
  touch("sttxt001.css");
  touch("stncc001.css");
  touch("sttxt003.css");  // no NCC sheet: ignored
  touch("sttxt04.css");   // id not three characters: ignored
  touch("stncc04.css");
  sheets.subDiscover(folder(), folder() + "sttxt002.css");
  ASSERT_EQ(sheets.fncStyleCount(), 2);
  EXPECT_EQ(sheets.fncTextSheet(1), folder() + "sttxt001.css");
  EXPECT_EQ(sheets.fncNccSheet(1), folder() + "stncc001.css");
  EXPECT_EQ(sheets.fncTextSheet(2), folder() + "sttxt002.css");
  EXPECT_EQ(sheets.fncCurrentStyle(), 2);
  EXPECT_EQ(sheets.fncTextSheet(0), "");
  EXPECT_EQ(sheets.fncTextSheet(3), "");
}

TEST_F(StyleSheetsTest, NccSheetIsFoundInAnyCase) {
  touch("sttxt001.css");
  touch("STNCC001.CSS");
  sheets.subDiscover(folder(), "");
  ASSERT_EQ(sheets.fncStyleCount(), 1);
  EXPECT_EQ(sheets.fncNccSheet(1), folder() + "STNCC001.CSS");
  EXPECT_EQ(sheets.fncCurrentStyle(), 0);
}

TEST_F(StyleSheetsTest, MissingFolderGivesNoStyle) {
  sheets.subDiscover(folder() + "nowhere/", "x");
  EXPECT_EQ(sheets.fncStyleCount(), 0);
}

}  // namespace
}  // namespace lyn
