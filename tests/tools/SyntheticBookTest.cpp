// Generated books for benchmarks and tests: counts, classes, links, clip times and audio.

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/TempFolder.h"
#include "tests/tools/BookCheck.h"
#include "tools/cDaisyBookWriter.h"
#include "tools/cSyntheticBook.h"

namespace lyn {
namespace {

using tools::SyntheticOptions;

size_t fncCount(const testing::CheckedBook& b, const std::string& tag, const std::string& cls) {
  return size_t(std::count_if(b.points.begin(), b.points.end(), [&](const auto& p) {
    return p.sTag == tag && (cls == "*" || p.sClass == cls);
  }));
}

TEST(SyntheticBook, HasTheAskedPointsFilesAndParsAndEveryLinkLeadsSomewhere) {
  testing::TempFolder out;
  SyntheticOptions o;
  o.lPoints = 100;
  o.lSmilFiles = 10;
  o.lPars = 1000;
  o.lExtrasEvery = 3;
  o.lFrontPages = 2;
  o.dClipSeconds = 0.1;
  o.lSampleRate = 8000;
  std::string error;
  ASSERT_TRUE(tools::cSyntheticBook::fncbMake(o, out.path(), error)) << error;
  const auto b = testing::fncCheckBook(out.path());
  EXPECT_TRUE(b.problems.empty()) << b.problems.front();
  EXPECT_EQ(b.points.size(), 100u);
  EXPECT_EQ(b.smilOrder.size(), 10u);
  EXPECT_EQ(b.lPars, 1000);
  EXPECT_NEAR(b.dClipSeconds, 100.0, 1e-6);
  EXPECT_EQ(b.metas.at("ncc:totalTime"), "0:01:40");
  EXPECT_EQ(fncCount(b, "h1", "*"), 10u) << "one chapter per SMIL file";
  EXPECT_EQ(b.points.front().sClass, "title");
  for (const char* h : {"h2", "h3", "h4", "h5", "h6"}) EXPECT_GT(fncCount(b, h, "*"), 0u) << h;
  EXPECT_EQ(fncCount(b, "span", "page-front"), 2u);
  EXPECT_GT(fncCount(b, "span", "page-normal"), 10u);
  EXPECT_GT(fncCount(b, "span", "sidebar"), 0u);
  EXPECT_GT(fncCount(b, "span", "optional-prodnote"), 0u);
  EXPECT_GT(fncCount(b, "span", "noteref"), 0u);
  EXPECT_EQ(b.metas.at("ncc:pageNormal"), std::to_string(fncCount(b, "span", "page-normal")));
  // Every SMIL file begins with its chapter.
  for (const std::string& smil : b.smilOrder) EXPECT_EQ(b.pars.at(smil).front().sId.substr(0, 1), "p");
  for (const auto& p : b.points) {
    if (p.sTag == "h1") {
      EXPECT_EQ(p.sPar, b.pars.at(p.sSmil).front().sId);
    }
  }
}

TEST(SyntheticBook, HeadingLevelsNeverSkipALevelWithinAChapter) {
  testing::TempFolder out;
  SyntheticOptions o;
  o.lPoints = 60;
  o.lSmilFiles = 3;
  o.lPars = 120;
  o.lSampleRate = 8000;
  o.dClipSeconds = 0.05;
  o.bolSilent = true;
  std::string error;
  ASSERT_TRUE(tools::cSyntheticBook::fncbMake(o, out.path(), error)) << error;
  const auto b = testing::fncCheckBook(out.path());
  int level = 0;
  for (const auto& p : b.points) {
    if (p.sTag[0] != 'h') continue;
    const int next = p.sTag[1] - '0';
    EXPECT_LE(next, level + 1) << p.sCaption;
    level = next;
  }
}

TEST(SyntheticBook, WritesEachClipInTheAskedClockForm) {
  testing::TempFolder seconds, full, none;
  SyntheticOptions o;
  o.lPoints = 4;
  o.lSmilFiles = 2;
  o.lPars = 8;
  o.dClipSeconds = 0.75;
  o.lSampleRate = 8000;
  std::string error;
  ASSERT_TRUE(tools::cSyntheticBook::fncbMake(o, seconds.path(), error)) << error;
  o.enClock = tools::enClockForm::Full;
  ASSERT_TRUE(tools::cSyntheticBook::fncbMake(o, full.path(), error)) << error;
  o.bolNoClipTimes = true;
  ASSERT_TRUE(tools::cSyntheticBook::fncbMake(o, none.path(), error)) << error;

  const auto s = testing::fncCheckBook(seconds.path());
  const auto& second = s.pars.at("s0001.smil")[1];
  EXPECT_EQ(second.sBegin, "npt=0.750s");
  EXPECT_EQ(second.sEnd, "npt=1.500s");
  const auto f = testing::fncCheckBook(full.path());
  EXPECT_EQ(f.pars.at("s0001.smil")[1].sBegin, "npt=0:00:00.750");
  EXPECT_EQ(f.pars.at("s0001.smil")[1].sEnd, "npt=0:00:01.500");
  const auto n = testing::fncCheckBook(none.path());
  EXPECT_TRUE(n.problems.empty()) << n.problems.front();
  for (const auto& [smil, pars] : n.pars)
    for (const auto& par : pars) EXPECT_FALSE(par.bolClipTimes);
  EXPECT_NEAR(n.dClipSeconds, 6.0, 0.01) << "every par plays one whole file of one clip";
  for (const auto* b : {&s, &f}) {
    EXPECT_TRUE(b->problems.empty()) << b->problems.front();
    EXPECT_NEAR(b->dClipSeconds, 6.0, 1e-9);
  }
}

TEST(SyntheticBook, SharedAudioKeepsALargeBookSmall) {
  testing::TempFolder out;
  SyntheticOptions o;
  o.lPoints = 500;
  o.lSmilFiles = 100;
  o.lPars = 5000;
  o.bolSilent = true;
  o.bolSharedAudio = true;
  o.lSampleRate = 8000;
  o.dClipSeconds = 0.5;
  std::string error;
  ASSERT_TRUE(tools::cSyntheticBook::fncbMake(o, out.path(), error)) << error;
  // One file of the longest SMIL file's 50 clips: 25 s.
  EXPECT_NEAR(testing::fncAudioSeconds(out.path() / "audio.wav"), 25.0, 1e-3);
  EXPECT_FALSE(std::filesystem::exists(out.path() / "s0001.wav"));
}

TEST(SyntheticBook, ToneClipsCanBeToldApartFromSilence) {
  testing::TempFolder tone, silent;
  SyntheticOptions o;
  o.lPoints = 1;
  o.lSmilFiles = 1;
  o.lPars = 2;
  o.lSampleRate = 8000;
  std::string error;
  ASSERT_TRUE(tools::cSyntheticBook::fncbMake(o, tone.path(), error));
  o.bolSilent = true;
  ASSERT_TRUE(tools::cSyntheticBook::fncbMake(o, silent.path(), error));
  std::string t, s;
  ASSERT_TRUE(fncReadWholeFile(tone.path() / "s0001.wav", t));
  ASSERT_TRUE(fncReadWholeFile(silent.path() / "s0001.wav", s));
  ASSERT_EQ(t.size(), 44u + 2 * 8000);
  EXPECT_EQ(s.find_first_not_of('\0', 44), std::string::npos);
  EXPECT_NE(t.find_first_not_of('\0', 44), std::string::npos);
}

TEST(SyntheticBook, RefusesCountsThatMakeNoBook) {
  testing::TempFolder out;
  std::string error;
  SyntheticOptions o;
  o.lSmilFiles = 10;
  o.lPoints = 5;  // fewer points than SMIL files: some files unreachable
  EXPECT_FALSE(tools::cSyntheticBook::fncbMake(o, out.path(), error));
  o.lPoints = 2000;  // more points than pars
  EXPECT_FALSE(tools::cSyntheticBook::fncbMake(o, out.path(), error));
  o.lPoints = 10;
  o.lPars = 5;
  EXPECT_FALSE(tools::cSyntheticBook::fncbMake(o, out.path(), error));
  o.lPars = 100;
  o.lMaxLevel = 7;
  EXPECT_FALSE(tools::cSyntheticBook::fncbMake(o, out.path(), error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(std::filesystem::exists(out.path() / "ncc.html"));
}

TEST(DaisyBookWriter, EscapesTextsAndRefusesAModelThatIsNoBook) {
  testing::TempFolder out;
  tools::DaisyBook book;
  book.sTitle = "Tom & \"Jerry\" <1>";
  tools::DaisySection section;
  tools::DaisyBlock heading;
  heading.enKind = tools::enBlockKind::Heading;
  heading.phrases.push_back({"A & B <c>", {"a.wav", 0, 1, false}});
  section.blocks.push_back(heading);
  book.sections.push_back(section);
  tools::cDaisyBookWriter writer;
  std::string error;
  ASSERT_TRUE(writer.fncbWrite(book, out.path(), error)) << error;
  std::string ncc;
  ASSERT_TRUE(fncReadWholeFile(out.path() / "ncc.html", ncc));
  EXPECT_NE(ncc.find("Tom &amp; &quot;Jerry&quot; &lt;1&gt;"), std::string::npos);
  EXPECT_NE(ncc.find(">A &amp; B &lt;c&gt;</a>"), std::string::npos);

  book.sections[0].blocks[0].lLevel = 7;
  EXPECT_FALSE(writer.fncbWrite(book, out.path(), error));
  book.sections[0].blocks[0].lLevel = 1;
  book.sections[0].blocks[0].phrases.clear();
  EXPECT_FALSE(writer.fncbWrite(book, out.path(), error));
  book.sections.clear();
  EXPECT_FALSE(writer.fncbWrite(book, out.path(), error));
}

}  // namespace
}  // namespace lyn
