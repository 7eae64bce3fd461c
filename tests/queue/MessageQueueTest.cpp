#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "queue/cMessageQueue.h"

namespace lyn {
namespace {

// A pump that records every message it takes and lets a test react to one.
class RecordingDispatcher : public iMessageDispatcher {
 public:
  explicit RecordingDispatcher(cMessageQueue& queue) : mQueue(queue) {}
  std::vector<cMessage> taken;
  std::function<void(const cMessage&, cMessageQueue&)> onMessage;
  // "START" waits this many more times.
  int startsToDefer = 0;

  bool fncbDispatch(cMessage& message) override {
    taken.push_back(message);
    if (onMessage) onMessage(message, mQueue);
    if (message.fncgetMessageName() == "START" && startsToDefer > 0) {
      --startsToDefer;
      return true;
    }
    return false;
  }
  std::vector<std::string> names() const {
    std::vector<std::string> out;
    for (const auto& m : taken) out.push_back(m.fncgetMessageName());
    return out;
  }

 private:
  cMessageQueue& mQueue;
};

class CountingPromptPlayer : public iNextPromptPlayer {
 public:
  int plays = 0;
  void subPlayNextPrompt() override { ++plays; }
};

class MessageQueueTest : public ::testing::Test {
 protected:
  MessageQueueTest() { queue.subSetDispatcher(&dispatcher); }
  cMessageQueue queue;
  RecordingDispatcher dispatcher{queue};
};

TEST_F(MessageQueueTest, RepeatedPostBeforeAPumpIsCollapsed) {
  queue.subAddMessage("NEXTUNIT");
  queue.subAddMessage("NEXTUNIT");
  queue.subProcessQue();
  EXPECT_EQ(dispatcher.names(), (std::vector<std::string>{"NEXTUNIT"}));
}

TEST_F(MessageQueueTest, OnlyTheLastMessageCountsAsDuplicate) {
  queue.subAddMessage("NEXTUNIT");
  queue.subAddMessage("STOP");
  queue.subAddMessage("NEXTUNIT");
  queue.subProcessQue();
  EXPECT_EQ(dispatcher.names(), (std::vector<std::string>{"NEXTUNIT", "STOP", "NEXTUNIT"}));
}

TEST_F(MessageQueueTest, DifferingArgumentsAreKept) {
  queue.subAddMessage("KEYUP", int32_t{39}, int32_t{1});
  queue.subAddMessage("KEYUP", int32_t{39}, int32_t{2});
  queue.subProcessQue();
  ASSERT_EQ(dispatcher.taken.size(), 2u);
  EXPECT_EQ(std::get<int32_t>(dispatcher.taken[1].fncArg2()), 2);
}

TEST_F(MessageQueueTest, NamesCompareWithCase) {
  queue.subAddMessage("START");
  queue.subAddMessage("start");
  queue.subProcessQue();
  EXPECT_EQ(dispatcher.taken.size(), 2u);
}

TEST_F(MessageQueueTest, AbsentArgumentEqualsZero) {
  queue.subAddMessage("NEXTUNIT");
  queue.subAddMessage("NEXTUNIT", int32_t{0});
  queue.subProcessQue();
  EXPECT_EQ(dispatcher.taken.size(), 1u);
}

TEST_F(MessageQueueTest, ArgumentsAreCopiedAtPostingTime) {
  int32_t keyCode = 37;
  queue.subAddMessage("KEYHOLD", keyCode);
  keyCode = 39;
  queue.subProcessQue();
  EXPECT_EQ(std::get<int32_t>(dispatcher.taken[0].fncArg1()), 37);
}

TEST_F(MessageQueueTest, RepostOfADispatchedMessageInTheSamePumpIsDropped) {
  int starts = 0;
  dispatcher.onMessage = [&](const cMessage& m, cMessageQueue& q) {
    if (m.fncgetMessageName() == "START" && ++starts == 1) q.subAddMessage("START");
  };
  queue.subAddMessage("START");
  queue.subProcessQue();
  EXPECT_EQ(starts, 1);
  // Once the pump has cleared the list, the same post is taken again.
  queue.subAddMessage("START");
  queue.subProcessQue();
  EXPECT_EQ(starts, 2);
}

TEST_F(MessageQueueTest, MessagePostedDuringAPumpIsTakenAfterTheQueuedOnes) {
  dispatcher.onMessage = [&](const cMessage& m, cMessageQueue& q) {
    if (m.fncgetMessageName() == "READ") q.subAddMessage("START");
  };
  queue.subAddMessage("READ");
  queue.subAddMessage("STOP");
  queue.subProcessQue();
  EXPECT_EQ(dispatcher.names(), (std::vector<std::string>{"READ", "STOP", "START"}));
  EXPECT_FALSE(queue.hasNext());
  EXPECT_EQ(queue.fncList().fncCount(), 0);
}

TEST_F(MessageQueueTest, AWaitingStartIsPostedOnceAfterThePumpAndRetriedEveryPump) {
  dispatcher.startsToDefer = 2;
  queue.subAddMessage("START");
  queue.subAddMessage("STOP");
  queue.subProcessQue();
  // The retry is in the list for the next pump, not taken in this one.
  EXPECT_EQ(dispatcher.names(), (std::vector<std::string>{"START", "STOP"}));
  EXPECT_EQ(queue.fncList().fncCount(), 1);
  queue.subProcessQue();
  queue.subProcessQue();
  EXPECT_EQ(dispatcher.names(), (std::vector<std::string>{"START", "STOP", "START", "START"}));
  // Let through: no more retries.
  queue.subProcessQue();
  EXPECT_EQ(dispatcher.taken.size(), 4u);
}

TEST(QueueList, ExhaustedListGivesNothingAndStillTakesLaterMessages) {
  cQueue list;
  EXPECT_FALSE(list.hasNext());
  EXPECT_FALSE(list.fncgetNextMessageQueueItem().has_value());
  list.subAdd(cMessage("STOP"));
  ASSERT_TRUE(list.hasNext());
  EXPECT_EQ(list.fncgetNextMessageQueueItem()->fncgetMessageName(), "STOP");
  EXPECT_FALSE(list.fncgetNextMessageQueueItem().has_value());
  EXPECT_FALSE(list.fncgetNextMessageQueueItem().has_value());
  EXPECT_FALSE(list.hasNext());
  // Reads past the end must not push the cursor beyond a message added afterwards.
  list.subAdd(cMessage("START"));
  ASSERT_TRUE(list.hasNext());
  EXPECT_EQ(list.fncgetNextMessageQueueItem()->fncgetMessageName(), "START");
}

TEST(QueueList, EqualsLastIsFalseOnAnEmptyListAndAfterAClear) {
  cQueue list;
  EXPECT_FALSE(list.fncEqualsLast(cMessage("STOP")));
  list.subAdd(cMessage("STOP"));
  EXPECT_TRUE(list.fncEqualsLast(cMessage("STOP")));
  list.subClearQueue();
  EXPECT_FALSE(list.fncEqualsLast(cMessage("STOP")));
  EXPECT_EQ(list.fncReadIndex(), -1);
  list.subAdd(cMessage("STOP"));
  EXPECT_EQ(list.fncCount(), 1);
}

TEST(PromptOnlyPump, HonoursOnlyPlayNextPromptAndDropsTheRest) {
  cMessageQueue queue;
  RecordingDispatcher dispatcher{queue};
  CountingPromptPlayer prompts;
  queue.subSetDispatcher(&dispatcher);
  queue.subSetPromptPlayer(&prompts);

  queue.subAddMessage("BOOKSHELF");
  queue.subAddMessage("PLAYNEXTPROMPT");
  queue.subAddMessage("playnextprompt");  // the name must match exactly
  queue.subAddMessage("PLAYNEXTPROMPT");
  queue.subprocessQueueOnlyPLAYNEXTPROMPT();
  EXPECT_EQ(prompts.plays, 2);
  EXPECT_FALSE(queue.hasNext());

  // The skipped "BOOKSHELF" is gone for the main pump too.
  queue.subProcessQue();
  EXPECT_TRUE(dispatcher.taken.empty());
}

TEST(PromptOnlyPump, WithoutAPromptPlayerStillClears) {
  cMessageQueue queue;
  queue.subAddMessage("PLAYNEXTPROMPT");
  queue.subprocessQueueOnlyPLAYNEXTPROMPT();
  EXPECT_EQ(queue.fncList().fncCount(), 0);
}

TEST(MessageArguments, ArgumentsCanBeReplacedForNormalising) {
  cMessage message("START", std::string("userinvoke"));
  message.pvntArg1(true);
  EXPECT_TRUE(std::get<bool>(message.fncgetArg1()));
  EXPECT_TRUE(fncIsEmpty(message.fncgetArg2()));
}

}  // namespace
}  // namespace lyn
