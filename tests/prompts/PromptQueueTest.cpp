// The prompt queue: priorities, pausing and resuming the book, cutting, and keys that cannot
// be played.

#include <gtest/gtest.h>

#include "tests/prompts/PromptTestRig.h"

namespace lyn {
namespace {

using testing::cPromptTestRig;

class PromptQueue : public ::testing::Test {
 protected:
  void SetUp() override {
    rig.subWritePromptFile(cPromptTestRig::fncStandardEntries());
    ASSERT_TRUE(rig.handler->fncbLoadPromptFile("prompts.bin"));
    rig.promptLog = {};
  }
  cPromptTestRig rig;
};

TEST_F(PromptQueue, PlaysTheClipsOfARequestInOrderAfterPlayNextPrompt) {
  rig.handler->subAddAudioPrompts(8, true, false, false, {"con_volume", 8});
  EXPECT_TRUE(rig.fncStartedClips().empty()) << "nothing plays inside subAddAudioPrompts";
  EXPECT_EQ(rig.messages.fncList().hasNext(), true);
  rig.subRun();
  EXPECT_EQ(rig.fncStartedClips(), (std::vector<int32_t>{1000, 2000}));
  EXPECT_EQ(rig.fncCount("PLAYNEXTPROMPT"), 1u);
  EXPECT_EQ(rig.fncCount("START"), 0u) << "the book was not playing";
  EXPECT_EQ(rig.handler->fncQueueCount(), 0);
}

TEST_F(PromptQueue, AClipShorterThanFortyFiveHundredthsPlaysFortyFiveHundredths) {
  rig.handler->subAddAudioPrompts(8, true, false, false, {"uc_56", "gen_on"});
  rig.subRun();
  // uc_56 lasts 0.2 s from 2.0 s; gen_on lasts 0.5 s.
  EXPECT_EQ(rig.promptLog.stopPoints, (std::vector<int32_t>{2450, 3500}));
}

TEST_F(PromptQueue, ALowPriorityRequestIsDroppedWhileTheBookPlays) {
  rig.subStartBook();
  rig.handler->subAddAudioPrompts(3, true, false, false, {"con_volume", 5});
  EXPECT_EQ(rig.handler->fncQueueCount(), 0);
  EXPECT_FALSE(rig.messages.hasNext());
  EXPECT_EQ(rig.bookPlayer->mlCurrentAudioState, 1) << "the book keeps playing";
}

TEST_F(PromptQueue, AHighPriorityRequestPausesTheBookAndStartsItAfterItsLastClip) {
  rig.subStartBook();
  rig.handler->subAddAudioPrompts(8, true, false, false, {"gen_on", "gen_off"});
  EXPECT_EQ(rig.bookPlayer->mlCurrentAudioState, 2) << "paused";
  rig.subPump();
  EXPECT_EQ(rig.fncCount("START"), 0u);
  rig.subRun();
  EXPECT_EQ(rig.fncStartedClips(), (std::vector<int32_t>{3000, 4000}));
  EXPECT_EQ(rig.fncCount("START"), 1u);
  EXPECT_EQ(rig.posted.back(), "START");
}

TEST_F(PromptQueue, AnEqualPriorityCutsTheQueueAndStopsTheClipNowSpeaking) {
  rig.handler->subAddAudioPrompts(10, true, false, false, {"bok_endofbook", "cap_help"});
  rig.subPump();
  ASSERT_EQ(rig.fncStartedClips(), (std::vector<int32_t>{8000}));
  const size_t pausesBefore = size_t(std::count(rig.promptLog.calls.begin(),
                                                rig.promptLog.calls.end(), "pause"));
  rig.handler->subAddAudioPrompts(10, true, false, false, {"gen_on"});
  EXPECT_GT(size_t(std::count(rig.promptLog.calls.begin(), rig.promptLog.calls.end(), "pause")),
            pausesBefore);
  EXPECT_EQ(rig.handler->fncQueueCount(), 1);
  rig.subRun();
  EXPECT_EQ(rig.fncStartedClips(), (std::vector<int32_t>{8000, 3000}))
      << "cap_help of the cut request never plays";
}

TEST_F(PromptQueue, AnEqualPriorityWaitsBehindAFirstBatchWithItsThirdFlag) {
  rig.handler->subAddAudioPrompts(10, true, false, true, {"bok_endofbook", "cap_help"});
  rig.subPump();
  rig.handler->subAddAudioPrompts(10, true, false, false, {"gen_on"});
  EXPECT_EQ(rig.handler->fncQueueCount(), 2);
  rig.subRun();
  EXPECT_EQ(rig.fncStartedClips(), (std::vector<int32_t>{8000, 6000, 3000}));
}

TEST_F(PromptQueue, AHigherPriorityQueueKeepsSpeakingAndTakesALowerRequestOnlyWithItsThirdFlag) {
  rig.handler->subAddAudioPrompts(10, true, false, false, {"bok_endofbook"});
  rig.subPump();
  rig.handler->subAddAudioPrompts(8, true, false, false, {"gen_on"});
  EXPECT_EQ(rig.handler->fncQueueCount(), 1) << "dropped";
  rig.handler->subAddAudioPrompts(8, true, false, true, {"gen_off"});
  EXPECT_EQ(rig.handler->fncQueueCount(), 2) << "appended";
  rig.subRun();
  EXPECT_EQ(rig.fncStartedClips(), (std::vector<int32_t>{8000, 4000}));
}

TEST_F(PromptQueue, AHigherPriorityRequestReplacesALowerQueue) {
  rig.handler->subAddAudioPrompts(5, true, false, true, {"bok_endofbook", "cap_help"});
  rig.subPump();
  rig.handler->subAddAudioPrompts(15, true, false, false, {"gen_on"});
  EXPECT_EQ(rig.handler->fncQueueCount(), 1);
  rig.subRun();
  EXPECT_EQ(rig.fncStartedClips(), (std::vector<int32_t>{8000, 3000}));
}

TEST_F(PromptQueue, AKeyThePromptFileLacksIsPassedOverAndTheBookStillResumes) {
  rig.subStartBook();
  rig.handler->subAddAudioPrompts(8, true, false, false, {"gen_on", "no_such_key", "gen_off"});
  rig.subRun();
  EXPECT_EQ(rig.fncStartedClips(), (std::vector<int32_t>{3000, 4000}));
  EXPECT_EQ(rig.fncCount("START"), 1u);

  rig.posted.clear();
  rig.subStartBook();
  rig.handler->subAddAudioPrompts(8, true, false, false, {"no_such_key"});
  rig.subRun(1);
  EXPECT_EQ(rig.handler->fncQueueCount(), 0);
  EXPECT_EQ(rig.fncCount("START"), 1u);
}

TEST_F(PromptQueue, ARequestOfNothingEndsAtOnce) {
  rig.subStartBook();
  rig.handler->Version = "1.1";  // numbers are not spoken
  rig.handler->subAddAudioPrompts(8, true, false, false, {12});
  rig.subRun(1);
  EXPECT_EQ(rig.handler->fncQueueCount(), 0);
  EXPECT_EQ(rig.fncCount("START"), 1u);
  EXPECT_TRUE(rig.fncStartedClips().empty());
}

TEST_F(PromptQueue, WithoutAudioTheQueueStillEndsAndResumesTheBook) {
  cPromptTestRig silent;  // no prompt file at all: the default record, no audio
  silent.handler->fncbLoadPromptFile("prompts.bin");
  silent.subStartBook();
  silent.handler->subAddAudioPrompts(8, true, false, false, {"title", 3});
  silent.subRun(1);
  EXPECT_EQ(silent.handler->fncQueueCount(), 0);
  EXPECT_EQ(silent.fncCount("START"), 1u);
}

TEST_F(PromptQueue, MutePromptsLetsAUserStartCutABatchWithItsFirstFlag) {
  EXPECT_TRUE(rig.handler->fncMutePrompts(false)) << "empty queue";
  rig.handler->subAddAudioPrompts(8, true, false, false, {"gen_on"});
  EXPECT_FALSE(rig.handler->fncMutePrompts(true)) << "queued, not yet speaking";
  rig.subPump();
  EXPECT_TRUE(rig.handler->fncMutePrompts(true));
  EXPECT_FALSE(rig.handler->fncMutePrompts(false)) << "an automatic start waits";
  rig.handler->subclearQue();
  rig.handler->subAddAudioPrompts(8, false, false, false, {"gen_on"});
  rig.subPump();
  EXPECT_FALSE(rig.handler->fncMutePrompts(true)) << "first flag clear: may not be cut";
}

TEST_F(PromptQueue, ClearingTheQueueSilencesItAndHandsTheBookBackToTheCaller) {
  rig.subStartBook();
  rig.handler->subAddAudioPrompts(8, true, false, false, {"bok_endofbook"});
  rig.subPump();
  rig.handler->subclearQue();
  EXPECT_EQ(rig.handler->fncQueueCount(), 0);
  EXPECT_EQ(rig.handler->fncCurrentBatch(), 0);
  EXPECT_EQ(rig.promptPlayer->mlCurrentAudioState, 2);
  // A later prompt while the book stands still ends without starting the book by itself.
  rig.handler->subAddAudioPrompts(8, true, false, false, {"gen_on"});
  rig.subRun();
  EXPECT_EQ(rig.fncCount("START"), 0u);
}

TEST_F(PromptQueue, PlayIdPlaysOneClipOutsideTheQueue) {
  rig.handler->subPlayID("GEN_OFF");
  EXPECT_EQ(rig.fncStartedClips(), (std::vector<int32_t>{4000}));
  EXPECT_EQ(rig.promptLog.stopPoints, (std::vector<int32_t>{4500}));
  EXPECT_EQ(rig.promptPlayer->mlCurrentAudioState, 1);
  rig.handler->subPlayID("no_such_key");
  EXPECT_EQ(rig.fncStartedClips().size(), 1u);
  EXPECT_EQ(rig.handler->fncQueueCount(), 0);
}

}  // namespace
}  // namespace lyn
