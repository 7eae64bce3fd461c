#include <gtest/gtest.h>

#include "shell/cTerminalKeyDecoder.h"

namespace lyn {
namespace {

using Events = std::vector<cKeyEvent>;

cKeyEvent down(int32_t code, int32_t shift = 0, char32_t c = 0) { return {true, {code, shift, c}}; }
cKeyEvent up(int32_t code, int32_t shift = 0, char32_t c = 0) { return {false, {code, shift, c}}; }

TEST(TerminalKeyDecoder, ConsoleAndXtermSequencesGiveTheirKeys) {
  cTerminalKeyDecoder d;
  d.subFeed("\x1b[5~\x1b[6~\x1b[2~\x1b[3~\x1b[1~\x1b[4~\x1bOH\x1b[F", 0);
  d.subFeed("\x1bOP\x1b[[A\x1b[[E\x1b[21~\x1b[24~\x1b[Z\x1b[1;3S", 0);
  const Events expected = {
      down(key::PageUp), up(key::PageUp), down(key::PageDown), up(key::PageDown), down(key::Insert), up(key::Insert),
      down(key::Delete), up(key::Delete), down(key::Home), up(key::Home), down(key::End), up(key::End),
      down(key::Home), up(key::Home), down(key::End), up(key::End), down(key::F1), up(key::F1),
      down(key::F1), up(key::F1), down(key::F1 + 4), up(key::F1 + 4), down(key::F1 + 9), up(key::F1 + 9),
      down(key::F12), up(key::F12), down(key::Tab, shift::Shift), up(key::Tab, shift::Shift),
      down(key::F4, shift::Alt), up(key::F4, shift::Alt)};
  EXPECT_EQ(d.fncTake(), expected);
}

TEST(TerminalKeyDecoder, PlainBytesAndTheFunctionKeyAlternatives) {
  cTerminalKeyDecoder d;
  d.subFeed("a\r\x7f \x1b" "1\x1b" "0\x1b-\x1b=", 0);
  const Events expected = {down('A', 0, U'a'), up('A', 0, U'a'), down(key::Enter), up(key::Enter),
                           down(key::Backspace), up(key::Backspace), down(key::Space, 0, U' '), up(key::Space, 0, U' '),
                           down(key::F1), up(key::F1), down(key::F1 + 9), up(key::F1 + 9),
                           down(key::F1 + 10), up(key::F1 + 10), down(key::F12), up(key::F12)};
  EXPECT_EQ(d.fncTake(), expected);
}

TEST(TerminalKeyDecoder, ALoneEscapeIsEscapeAfterFiftyMilliseconds) {
  cTerminalKeyDecoder d;
  d.subFeed("\x1b", 1000);
  d.subTick(1049);
  EXPECT_TRUE(d.fncTake().empty());
  EXPECT_EQ(d.fncNextDeadline(), 1050);
  d.subTick(1050);
  EXPECT_EQ(d.fncTake(), (Events{down(key::Escape), up(key::Escape)}));
  // A sequence split over two reads within the time is one key.
  d.subFeed("\x1b[", 2000);
  d.subFeed("C", 2030);
  EXPECT_EQ(d.fncTake(), (Events{down(key::Right)}));
}

TEST(TerminalKeyDecoder, AnArrowIsReleasedWhenTheRepeatsStop) {
  cTerminalKeyDecoder d(700, 100);
  d.subFeed("\x1b[C", 0);
  d.subTick(699);
  EXPECT_EQ(d.fncTake(), (Events{down(key::Right)}));
  d.subTick(700);
  EXPECT_EQ(d.fncTake(), (Events{up(key::Right)}));

  // Held: the terminal repeats after its delay, then every 33 ms.
  d.subFeed("\x1b[C", 1000);
  int64_t last = 0;
  for (int64_t t = 1500; t <= 3000; t += 33) {
    d.subFeed("\x1b[C", t);
    d.subTick(t + 32);
    last = t;
  }
  EXPECT_EQ(d.fncTake(), (Events{down(key::Right)}));
  d.subTick(last + 99);
  EXPECT_TRUE(d.fncTake().empty());
  d.subTick(last + 100);
  EXPECT_EQ(d.fncTake(), (Events{up(key::Right)}));
}

TEST(TerminalKeyDecoder, AnotherKeyReleasesAHeldArrowFirst) {
  cTerminalKeyDecoder d;
  d.subFeed("\x1b[D", 0);
  d.subFeed(" ", 100);
  EXPECT_EQ(d.fncTake(), (Events{down(key::Left), up(key::Left), down(key::Space, 0, U' '), up(key::Space, 0, U' ')}));
}

TEST(TerminalKeyDecoder, KittyReleaseEventsAreTakenFromTheTerminal) {
  cTerminalKeyDecoder d;
  d.subFeed("\x1b[?3u", 0);  // the reply to the query: releases are reported
  EXPECT_TRUE(d.fncbTerminalReleases());
  d.subFeed("\x1b[1;1C", 10);
  d.subFeed("\x1b[1;1:2C", 600);
  d.subTick(5000);
  EXPECT_EQ(d.fncTake(), (Events{down(key::Right)}));
  d.subFeed("\x1b[1;1:3C\x1b[13u", 5100);
  EXPECT_EQ(d.fncTake(), (Events{up(key::Right), down(key::Enter), up(key::Enter)}));
}

TEST(TerminalKeyDecoder, BrokenSequencesDoNotStallTheInput) {
  cTerminalKeyDecoder d;
  d.subFeed("\x1b[99999999999999999999~x", 0);
  d.subFeed(std::string("\x1b[") + std::string(40, '1'), 0);
  d.subTick(100);
  const auto events = d.fncTake();
  ASSERT_GE(events.size(), 2u);
  EXPECT_EQ(events[0], down('X', 0, U'x'));
}

}  // namespace
}  // namespace lyn
