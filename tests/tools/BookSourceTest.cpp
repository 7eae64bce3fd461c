// The structured text of spoken books, and the books made from it.

#include <gtest/gtest.h>

#include "tests/TempFolder.h"
#include "tests/tools/BookCheck.h"
#include "tools/cBookSource.h"
#include "tools/cMp3Encoder.h"
#include "tools/cSpeechSynthesizer.h"
#include "tools/cSpokenBook.h"

namespace lyn {
namespace {

using tools::enBlockKind;

TEST(BookSource, ReadsHeadingsParagraphsPagesAndNotes) {
  tools::cBookSource source;
  std::string error;
  ASSERT_TRUE(source.fncbParse("%title T\n%say LYN|Lin\n"
                               "= One {title}\nFirst line\ngoes on. Second? Third!\n\n"
                               "@page-front iv\n=== Deep\n= Two\n@page 7\n"
                               "@sidebar A side. Note.\n@prodnote A picture.\n"
                               "@noteref 1 n1\n@note n1 The note.\n",
                               error))
      << error;
  EXPECT_EQ(source.book.sTitle, "T");
  ASSERT_EQ(source.book.sections.size(), 2u);
  const auto& one = source.book.sections[0].blocks;
  ASSERT_EQ(one.size(), 4u);
  EXPECT_EQ(one[0].sClass, "title");
  EXPECT_EQ(one[0].phrases[0].sText, "One");
  ASSERT_EQ(one[1].phrases.size(), 3u);
  EXPECT_EQ(one[1].phrases[0].sText, "First line goes on.");
  EXPECT_EQ(one[1].phrases[2].sText, "Third!");
  EXPECT_EQ(one[2].enKind, enBlockKind::Page);
  EXPECT_EQ(one[2].enPage, tools::enPageKind::Front);
  EXPECT_EQ(one[3].lLevel, 3);
  const auto& two = source.book.sections[1].blocks;
  ASSERT_EQ(two.size(), 6u);
  EXPECT_EQ(two[2].enKind, enBlockKind::Sidebar);
  EXPECT_EQ(two[2].phrases.size(), 2u);
  EXPECT_EQ(two[3].enKind, enBlockKind::Prodnote);
  EXPECT_EQ(two[4].enKind, enBlockKind::Noteref);
  EXPECT_EQ(two[4].sNoteId, "n1");
  EXPECT_EQ(two[5].sId, "n1");
  EXPECT_EQ(source.fncSpoken("LYN and LYN"), "Lin and Lin");
}

TEST(BookSource, NamesTheLineOfEveryMistake) {
  tools::cBookSource source;
  std::string error;
  EXPECT_FALSE(source.fncbParse("Text before any heading\n", error));
  EXPECT_FALSE(source.fncbParse("== Starts at level two\n", error));
  EXPECT_FALSE(source.fncbParse("= A\n======= Seven\n", error));
  EXPECT_EQ(error.substr(0, 2), "2:");
  EXPECT_FALSE(source.fncbParse("= A\n@chart x\n", error));
  EXPECT_FALSE(source.fncbParse("= A\n%colour red\n", error));
  EXPECT_FALSE(source.fncbParse("= A\n%say no bar\n", error));
  EXPECT_FALSE(source.fncbParse("= A\n@noteref 1\n", error));
  EXPECT_FALSE(source.fncbParse("= A\n@noteref 1 missing\n", error));
  EXPECT_EQ(error.substr(0, 2), "2:");
  EXPECT_FALSE(source.fncbParse("", error));
}

TEST(SpokenBook, SpeaksEveryPhraseIntoClipsThatTileEachFile) {
  testing::TempFolder out;
  tools::cBookSource source;
  std::string error;
  ASSERT_TRUE(source.fncbParse("= Title {title}\nOne. Two.\n@page 1\n= Chapter\nThree.\n", error));
  tools::cSpeechSynthesizer speech;
  ASSERT_TRUE(speech.fncbOpen("en", "", 200, error)) << error;
  const tools::cMp3Encoder encoder;
  tools::cSpokenBook maker(speech, encoder);
  const auto folder = out / "book";
  std::filesystem::create_directories(folder / "stale");  // an older book's leftovers
  ASSERT_TRUE(maker.fncbMake(source, folder, "ncc.html", error)) << error;
  EXPECT_FALSE(std::filesystem::exists(folder / "stale"));
  EXPECT_FALSE(std::filesystem::exists(out / "book.tmp"));

  const auto b = testing::fncCheckBook(folder);
  EXPECT_TRUE(b.problems.empty()) << b.problems.front();
  EXPECT_EQ(b.points.size(), 3u);
  EXPECT_EQ(b.lPars, 6);
  for (const auto& [smil, pars] : b.pars) {
    EXPECT_EQ(pars.front().dBegin, 0.0);
    for (size_t i = 1; i < pars.size(); ++i) EXPECT_EQ(pars[i].dBegin, pars[i - 1].dEnd);
    const double length = testing::fncAudioSeconds(folder / pars.back().sAudio);
    EXPECT_NEAR(pars.back().dEnd, length, 0.06) << "the MP3 keeps the clip times";
    for (const auto& par : pars) EXPECT_GT(par.dEnd - par.dBegin, 0.3) << par.sId;
  }
}

}  // namespace
}  // namespace lyn
