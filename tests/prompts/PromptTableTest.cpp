// The English prompt table in data/: every key the program's code names, the number and
// character keys the number rules and the dialogs build, and the entries of the default file.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "prompts/PromptFileHeader.h"
#include "prompts/cPromptHandler.h"
#include "tools/cPromptTable.h"

namespace lyn {
namespace {

const std::filesystem::path kSourceRoot = std::filesystem::path(LYN_TEST_SOURCE_DIR).parent_path();

tools::cPromptTable fncTable() {
  tools::cPromptTable table;
  std::string error;
  EXPECT_TRUE(table.fncbRead(kSourceRoot / "data" / "prompts-en.tsv", error)) << error;
  return table;
}

// Every string literal of the program's sources that is a whole prompt key of a known family.
std::set<std::string> fncKeysInCode() {
  static const std::regex kKey(
      R"re("((gen|nav|bok|inf|sfx|cap|menu|item|ttip|key|err|con|fnd|about|dig|uc|sysmenu|bookm)_[A-Za-z0-9_]+)")re",
      std::regex::icase);
  static const std::set<std::string> kSkip = {"tests", "tools", "build", "build-sanitize", "fuzz",
                                              "bench", "data", "docs", "scripts", ".git"};
  std::set<std::string> keys;
  for (const auto& top : std::filesystem::directory_iterator(kSourceRoot)) {
    if (!top.is_directory() || kSkip.count(top.path().filename().string())) continue;
    if (top.path().filename().string().rfind("build", 0) == 0) continue;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(top.path())) {
      const auto ext = entry.path().extension();
      if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h")) continue;
      std::ifstream in(entry.path());
      std::stringstream text;
      text << in.rdbuf();
      const std::string s = text.str();
      for (auto it = std::sregex_iterator(s.begin(), s.end(), kKey); it != std::sregex_iterator();
           ++it)
        keys.insert((*it)[1].str());
    }
  }
  return keys;
}

TEST(PromptTable, HasEveryKeyThatTheCodeNames) {
  const tools::cPromptTable table = fncTable();
  const std::set<std::string> keys = fncKeysInCode();
  EXPECT_FALSE(keys.empty());
  for (const std::string& key : keys) EXPECT_NE(table.fncFind(key), nullptr) << key;
}

TEST(PromptTable, HasTheEntriesOfTheDefaultFile) {
  const tools::cPromptTable table = fncTable();
  for (const PromptEntry& e : fncDefaultPromptFileHeader().entries)
    EXPECT_NE(table.fncFind(e.sKey), nullptr) << e.sKey;
}

TEST(PromptTable, HasEveryKeyTheNumberRulesMake) {
  const tools::cPromptTable table = fncTable();
  for (double n : {-7.0, 0.0, 9.0, 13.0, 47.0, 90.0, 305.0, 1000.0, 2347.0, 9999.0, 12345.0,
                   67890.0}) {
    std::vector<std::string> ids;
    cPromptHandler::subAppendNumber(n, ids);
    for (const std::string& id : ids) EXPECT_NE(table.fncFind(id), nullptr) << id << " of " << n;
  }
  for (int n = 0; n < 2000; ++n) {
    std::vector<std::string> ids;
    cPromptHandler::subAppendNumber(n, ids);
    for (const std::string& id : ids) ASSERT_NE(table.fncFind(id), nullptr) << id << " of " << n;
  }
}

TEST(PromptTable, NamesEveryCharacterASearchTextOrPageNumberHolds) {
  const tools::cPromptTable table = fncTable();
  // Printable ASCII in upper case (the dialogs upper-case before they look up a character).
  for (int c = 32; c < 127; ++c) {
    if (c >= 'a' && c <= 'z') continue;
    EXPECT_NE(table.fncFind("uc_" + std::to_string(c)), nullptr) << c;
  }
  for (int c : {196, 197, 201, 214, 220}) EXPECT_NE(table.fncFind("UC_" + std::to_string(c)), nullptr);
}

TEST(PromptTable, MakesTheThreeIndicatorsAndTheTwoOtherSoundsFromNames) {
  const tools::cPromptTable table = fncTable();
  std::set<std::string> sounds;
  for (const char* key : {"sfx_indicator1", "sfx_indicator2", "sfx_indicator3",
                          "sfx_newtitlefound", "sfx_waitingforbooks"}) {
    const auto* row = table.fncFind(key);
    ASSERT_NE(row, nullptr) << key;
    EXPECT_EQ(row->sSpoken[0], '@') << key;
    sounds.insert(row->sSpoken);
  }
  EXPECT_EQ(sounds.size(), 5u) << "five distinct sounds";
}

TEST(PromptTable, RejectsRepeatedKeysInAnyCaseAndLinesWithoutText) {
  tools::cPromptTable table;
  std::string error;
  EXPECT_FALSE(table.fncbParse("gen_on\tOn\nGEN_ON\tAn\n", error));
  EXPECT_NE(error.find("2"), std::string::npos);
  EXPECT_FALSE(table.fncbParse("gen_on\n", error));
  EXPECT_FALSE(table.fncbParse("!colour\tred\n", error));
  EXPECT_TRUE(table.fncbParse("# note\n\n!language\tDeutsch\ngen_on\tAn\tahn\r\n", error)) << error;
  EXPECT_EQ(table.sLanguage, "Deutsch");
  ASSERT_EQ(table.rows.size(), 1u);
  EXPECT_EQ(table.rows[0].sSpoken, "ahn");
}

}  // namespace
}  // namespace lyn
