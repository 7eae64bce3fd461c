// Navigation units, the previous-phrase rule, fast forward and rewind.

#include "ModeTestRig.h"

namespace lyn::testing {
namespace {

// Plays from the start to `seconds` into the book and pauses there, the prompts spoken.
void fncPlayTo(cModeRig& rig, double seconds) {
  rig.run(seconds);
  rig.speak();
}

TEST(ReadingUnits, ChangingTheUnitPassesOverUnitsTheBookLacksAndWraps) {
  cModeRig rig;
  BookPlan plan;
  plan.files = {{Heading(1), Phrase(), Heading(2), Phrase()}};  // no pages, no bookmarks
  ASSERT_TRUE(rig.open(rig.make(plan)));
  std::vector<int32_t> up, down;
  for (int i = 0; i < 4; ++i) {
    rig.mode->subChangeUnit(1);
    up.push_back(rig.mode->enNavMode);
  }
  for (int i = 0; i < 4; ++i) {
    rig.mode->subChangeUnit(-1);
    down.push_back(rig.mode->enNavMode);
  }
  EXPECT_EQ(up, (std::vector<int32_t>{kUnitHeading, kUnitChapter, kUnitPhrase, kUnitHeading}));
  EXPECT_EQ(down, (std::vector<int32_t>{kUnitPhrase, kUnitChapter, kUnitHeading, kUnitPhrase}));
  EXPECT_EQ(rig.mode->sNavModeText, "text of nav_phrase");
  EXPECT_TRUE(rig.queued("nav_phrase"));
  rig.mode->subChangeUnit(std::nullopt, kUnitPage);
  EXPECT_EQ(rig.mode->enNavMode, kUnitPhrase) << "an unavailable unit keeps the one chosen";
}

TEST(ReadingUnits, WithBookmarksAndPagesEveryUnitIsReached) {
  cModeRig rig;
  ASSERT_TRUE(rig.open(rig.make()));
  rig.run(3);
  rig.mode->subInsert();
  rig.speak();
  std::vector<int32_t> down;
  for (int i = 0; i < 5; ++i) {
    rig.mode->subChangeUnit(-1);
    down.push_back(rig.mode->enNavMode);
  }
  EXPECT_EQ(down, (std::vector<int32_t>{5, 4, 3, 2, 1}));
}

TEST(ReadingUnits, PreviousPhraseTwoSecondsInGoesBackFourSecondsInRestarts) {
  cModeRig rig;
  ASSERT_TRUE(rig.open(rig.make()));
  fncPlayTo(rig, 8);  // p2, 2 s in
  rig.app.queue().subAddMessage("PREVIOUSUNIT");
  rig.pump();
  EXPECT_EQ(rig.place(), "s1.smil#p1");
  fncPlayTo(rig, 10);  // p2, 4 s in
  ASSERT_EQ(rig.place(), "s1.smil#p2");
  rig.app.queue().subAddMessage("PREVIOUSUNIT");
  rig.pump();
  EXPECT_EQ(rig.place(), "s1.smil#p2");
  EXPECT_NEAR(rig.position(), 6.0, 0.05);
  EXPECT_TRUE(rig.playing());
}

TEST(ReadingUnits, ThePreviousPhraseThresholdFollowsSpeedAndCompensation) {
  cModeRig rig;
  ASSERT_TRUE(rig.open(rig.make()));
  fncPlayTo(rig, 12.5);
  ASSERT_EQ(rig.place(), "s1.smil#p3");
  rig.vari.subSetSpeed(15);             // T = 2 * (15 + 10 - 5) / 5 - 1 = 7 s
  rig.bookPlayer.pdPosition(12 + 5.9);  // 5.9 s in: still within T
  rig.mode->subBrowseUnit(-1, 1);
  rig.pump();
  EXPECT_EQ(rig.place(), "s1.smil#p2");
  rig.app.startSettings.variComp = 0;  // read as 5, not a division by zero
  rig.vari.subSetSpeed(0);             // T = 1 s
  rig.bookPlayer.pdPosition(6 + 1.5);
  rig.mode->subBrowseUnit(-1, 1);
  rig.pump();
  EXPECT_EQ(rig.place(), "s1.smil#p2");
  EXPECT_NEAR(rig.position(), 6.0, 0.05);
}

TEST(ReadingUnits, ACountOfThreeMovesThreePhrases) {
  cModeRig rig;
  ASSERT_TRUE(rig.open(rig.make()));
  fncPlayTo(rig, 1);
  rig.mode->subBrowseUnit(1, 3);
  rig.pump();
  EXPECT_EQ(rig.place(), "s1.smil#p4");
  rig.mode->subBrowseUnit(1, 3);
  rig.pump();
  EXPECT_EQ(rig.place(), "s2.smil#p3");
  rig.bookPlayer.pdPosition(rig.position() + 5);  // far into the phrase: still three back
  rig.mode->subBrowseUnit(-1, 3);
  rig.pump();
  EXPECT_EQ(rig.place(), "s1.smil#p4");
}

TEST(ReadingUnits, NextPageFromTheLastPageSoundsTheIndicatorAndPlayingGoesOn) {
  cModeRig rig;
  ASSERT_TRUE(rig.open(rig.make()));
  rig.mode->subChangeUnit(std::nullopt, kUnitPage);
  rig.speak();
  rig.mode->subBrowseUnit(1, 1);
  rig.pump();
  EXPECT_EQ(rig.place(), "s2.smil#p1");
  rig.mode->subBrowseUnit(1, 1);
  rig.pump();
  EXPECT_EQ(rig.place(), "s3.smil#p3");
  rig.run(1);
  const double at = rig.position();
  rig.prompts->subclearQue();
  rig.mode->subBrowseUnit(1, 1);
  EXPECT_TRUE(rig.queued("sfx_indicator3"));
  rig.speak();
  rig.run(0.5);
  EXPECT_EQ(rig.place(), "s3.smil#p3");
  EXPECT_TRUE(rig.playing());
  EXPECT_GE(rig.position(), at - 2.05);
  EXPECT_FALSE(rig.window.fncbLogged("error 3")) << "a failed move is not shown as an error";
}

TEST(ReadingUnits, HeadingsAndChapters) {
  cModeRig rig;
  ASSERT_TRUE(rig.open(rig.make()));
  rig.mode->subChangeUnit(std::nullopt, kUnitHeading);
  rig.mode->subBrowseUnit(1, 2);
  rig.pump();
  EXPECT_EQ(rig.reader().lCurrentTocItem, 4) << "the page is no heading";
  rig.mode->subChangeUnit(std::nullopt, kUnitChapter);
  rig.mode->subBrowseUnit(-1, 1);
  rig.pump();
  EXPECT_EQ(rig.reader().lCurrentTocItem, 2);
}

// --- fast forward -------------------------------------------------------------------------------

TEST(FastForward, SkipsThroughAPhraseAndIntoTheNextAndBack) {
  cModeRig rig(true);
  rig.app.startSettings.ffwPlayTime = 0;   // edited by hand: read as 5
  rig.app.startSettings.ffwSkipTime = -1;  // read as 10
  BookPlan plan = fncPlainBook();
  plan.clipSeconds = 30;
  ASSERT_TRUE(rig.open(rig.make(plan)));
  fncPlayTo(rig, 1);
  rig.mode->subBeginFFW(1);
  EXPECT_TRUE(rig.mode->bolFFW);
  rig.run(5.1);  // 5 s played, then 10 skipped
  EXPECT_NEAR(rig.position(), 16.1, 0.3);
  rig.run(5);  // 21 + 10 + 5 > 30: the next phrase
  EXPECT_EQ(rig.place(), "s1.smil#p2");
  EXPECT_TRUE(rig.playing());
  rig.mode->subEndFFW();
  EXPECT_FALSE(rig.mode->bolFFW);
  EXPECT_TRUE(rig.reader().bolContinous);
  rig.mode->subBeginFFW(-1);
  rig.run(0.1);
  EXPECT_EQ(rig.place(), "s1.smil#p2");
  EXPECT_NEAR(rig.position(), 30.0, 0.2) << "not before the clip";
  rig.run(5.1);
  EXPECT_EQ(rig.place(), "s1.smil#p1") << "rewound into the previous phrase";
  EXPECT_NEAR(rig.position(), 20.1, 0.3);
  rig.mode->subEndFFW();
  rig.run(10);
  EXPECT_EQ(rig.place(), "s1.smil#p2") << "continuous play again";
}

TEST(FastForward, AcrossAFileBoundaryTheSkimSpeedStays) {
  cModeRig rig;
  BookPlan plan;
  plan.files = {{Heading(1), Phrase()}, {Heading(1), Phrase(), Phrase()}};
  ASSERT_TRUE(rig.open(rig.make(plan)));
  fncPlayTo(rig, 7);
  rig.mode->subBeginFFW(1);
  ASSERT_TRUE(rig.runUntil([&] { return rig.audioFile() == "s2.wav"; }, 20));
  EXPECT_TRUE(rig.mode->bolFFW);
  EXPECT_TRUE(rig.playing());
  // The skim row plays faster than the recorded speed: 2 s of clock cover more than 2 s of audio.
  const double before = rig.position();
  rig.run(2);
  EXPECT_GT(rig.position() - before, 2.5);
  rig.mode->subEndFFW();
  const double normal = rig.position();
  rig.run(2);
  EXPECT_NEAR(rig.position() - normal, 2.0, 0.2);
  rig.mode->subBeginFFW(-1);
  ASSERT_TRUE(rig.runUntil([&] { return rig.audioFile() == "s1.wav"; }, 20)) << "and back";
  EXPECT_EQ(rig.place(), "s1.smil#p2");
  EXPECT_TRUE(rig.mode->bolFFW);
  const double back = rig.position();
  rig.run(1);
  EXPECT_GT(rig.position() - back, 1.5) << "still skimming";
}

TEST(FastForward, AtTheLastPhraseItSoundsTheIndicatorAndPlaysOnNormally) {
  cModeRig rig;
  BookPlan plan;
  plan.clipSeconds = 8;
  plan.files = {{Heading(1), Phrase()}};
  ASSERT_TRUE(rig.open(rig.make(plan)));
  rig.mode->subBrowseUnit(1, 1);
  rig.pump();
  fncPlayTo(rig, 0.5);
  rig.mode->subBeginFFW(1);
  ASSERT_TRUE(rig.runUntil([&] { return !rig.mode->bolFFW; }, 20));
  EXPECT_TRUE(rig.queued("sfx_indicator3"));
  EXPECT_TRUE(rig.reader().bolContinous);
  EXPECT_EQ(rig.place(), "s1.smil#p2");
  rig.speak();
  ASSERT_TRUE(rig.runUntil([&] { return rig.queued("bok_endofbook"); }, 20));
}

TEST(FastForward, RewindAtTheFirstPhraseEndsAtItsStart) {
  cModeRig rig;
  ASSERT_TRUE(rig.open(rig.make()));
  fncPlayTo(rig, 3);
  rig.mode->subBeginFFW(-1);
  ASSERT_TRUE(rig.runUntil([&] { return !rig.mode->bolFFW; }, 20));
  EXPECT_TRUE(rig.queued("sfx_indicator3"));
  EXPECT_EQ(rig.place(), "s1.smil#p1");
}

TEST(FastForward, AModeChangeEndsIt) {
  cModeRig rig;
  ASSERT_TRUE(rig.open(rig.make()));
  fncPlayTo(rig, 1);
  rig.mode->subBeginFFW(1);
  rig.run(1);
  rig.bookPlayer.fncbPause();
  rig.mode->subPrepareForModeChange();
  EXPECT_FALSE(rig.mode->bolFFW);
  EXPECT_FALSE(rig.playing());
  EXPECT_TRUE(rig.reader().bolContinous);
}

}  // namespace
}  // namespace lyn::testing
