#include <gtest/gtest.h>

#include "dialogs/cAboutDialog.h"
#include "dialogs/cQuitDialog.h"
#include "dialogs/cTextEntryDialog.h"
#include "engine/cTocItem.h"
#include "tests/shell/AppTestDoubles.h"

namespace lyn::testing {
namespace {

using Keys = std::vector<std::string>;

cKey fncChar(char c) { return cKey{c >= 'a' ? c - 32 : c, 0, char32_t(c)}; }

class SpokenDialogsTest : public ::testing::Test {
 protected:
  cTextEntryDialog makeSearch(bool screenReader = false) {
    return cTextEntryDialog(cTextEntryDialog::eKind::Search, *rig.prompts, rig.reading(), cTocView{}, true,
                            screenReader);
  }
  void type(cTextEntryDialog& d, char c) {
    d.subKeyDown(fncChar(c));
    d.subKeyUp(fncChar(c));
  }
  // The messages posted, by name; the list is emptied.
  Keys posted() {
    Keys names;
    while (rig.app.queue().hasNext()) names.push_back(rig.app.queue().fncgetNextMessageQueueItem()->fncgetMessageName());
    rig.app.queue().subclearQue();
    return names;
  }
  cDispatcherRig rig;
};

TEST_F(SpokenDialogsTest, EveryTypedCharacterIsEchoedAndTheTextReadBack) {
  auto d = makeSearch();
  d.subActivate();
  EXPECT_EQ(rig.queuedPrompts(), (Keys{"cap_find"}));
  rig.prompts->subclearQue();
  type(d, 'a');
  EXPECT_EQ(rig.queuedPrompts(), (Keys{"uc_65"}));
  type(d, '1');
  rig.prompts->subclearQue();
  d.subKeyDown(cKey{key::Right, 0, 0});
  EXPECT_EQ(rig.queuedPrompts(), (Keys{"fnd_searchstring", "uc_65", "uc_49"}));
  rig.prompts->subclearQue();
  d.subKeyDown(cKey{key::Backspace, 0, 0});
  EXPECT_EQ(rig.queuedPrompts(), (Keys{"gen_delete", "uc_49"}));
  EXPECT_EQ(d.fncText(), "a");
}

TEST_F(SpokenDialogsTest, BackspaceOnAnEmptyBoxSaysNothing) {
  auto d = makeSearch();
  d.subKeyDown(cKey{key::Backspace, 0, 0});
  d.subKeyUp(cKey{key::Backspace, 0, 0});
  EXPECT_TRUE(rig.queuedPrompts().empty());
}

TEST_F(SpokenDialogsTest, InScreenReaderModeNothingIsEchoed) {
  auto d = makeSearch(true);
  type(d, 'x');
  d.subKeyDown(cKey{key::Left, 0, 0});
  d.subKeyDown(cKey{key::Backspace, 0, 0});
  EXPECT_TRUE(rig.queuedPrompts().empty());
}

TEST_F(SpokenDialogsTest, TheLastSearchTextIsSelectedAndReplacedByTyping) {
  rig.reading().sSearchString = "old";
  auto d = makeSearch();
  d.subActivate();
  type(d, 'n');
  EXPECT_EQ(d.fncText(), "n");
  d.subKeyDown(cKey{key::Escape, 0, 0});
  EXPECT_TRUE(d.fncbDone());
  EXPECT_EQ(d.fnclResult(), iDialogs::kNothing);
  EXPECT_EQ(rig.reading().sSearchString, "old");
}

TEST_F(SpokenDialogsTest, EnterConfirmsTheSearch) {
  std::vector<cTocItem> items(2);
  items[0].sCaption = "Preface";
  items[1].sCaption = "Chapter";
  cTocView toc{2, 1, [&](int32_t n) { return &items[size_t(n - 1)]; }};
  cTextEntryDialog d(cTextEntryDialog::eKind::Search, *rig.prompts, rig.reading(), toc, true, false);
  for (char c : std::string("chap")) type(d, c);
  d.subKeyDown(cKey{key::Enter, 0, 0});
  EXPECT_TRUE(d.fncbDone());
  EXPECT_EQ(d.fnclResult(), 2);
  EXPECT_EQ(rig.reading().sSearchString, "chap");
}

TEST_F(SpokenDialogsTest, TheQuitDialogSpeaksItsKeysOneAfterAnother) {
  cQuitDialog d(*rig.prompts, *rig.promptPlayer, *rig.bookPlayer, rig.app.queue(),
                {"cap_exitprogram", "gen_entertoconfirm", "sfx_indicator3"});
  d.subOpen();
  const auto clipStarts = [&] { return rig.promptLog.seeks.size(); };
  EXPECT_EQ(clipStarts(), 1u);
  for (int i = 0; i < 300; ++i) {
    rig.promptFake->subAdvance(10);
    rig.promptPlayer->subDoYourEvents();
  }
  EXPECT_EQ(clipStarts(), 3u);
  EXPECT_FALSE(d.fncbClosed());
}

TEST_F(SpokenDialogsTest, EnterConfirmsOtherKeysDeclineAndResume) {
  rig.playBook();
  cQuitDialog yes(*rig.prompts, *rig.promptPlayer, *rig.bookPlayer, rig.app.queue(), {"cap_exitprogram"});
  yes.subOpen();
  EXPECT_NE(rig.bookPlayer->mlCurrentAudioState, 1);
  yes.subKeyDown(cKey{key::Tab, 0, 0});
  yes.subKeyDown(cKey{key::Shift, 0, 0});
  EXPECT_FALSE(yes.fncbClosed());
  yes.subKeyDown(cKey{key::Enter, 0, 0});
  EXPECT_TRUE(yes.fncbAnswer());
  EXPECT_TRUE(posted().empty());

  for (const cKey& k : {cKey{key::Escape, 0, 0}, fncChar('n')}) {
    cQuitDialog no(*rig.prompts, *rig.promptPlayer, *rig.bookPlayer, rig.app.queue(), {"cap_exitprogram"});
    no.subOpen();
    no.subKeyDown(k);
    EXPECT_TRUE(no.fncbClosed());
    EXPECT_FALSE(no.fncbAnswer());
    EXPECT_EQ(posted(), (Keys{"START"}));
  }
}

TEST_F(SpokenDialogsTest, TheAboutBoxPausesAPlayingBookAndResumesIt) {
  rig.playBook();
  cAboutDialog about(*rig.prompts, *rig.bookPlayer, rig.app.queue());
  about.subOpen();
  EXPECT_NE(rig.bookPlayer->mlCurrentAudioState, 1);
  const Keys spoken = rig.queuedPrompts();
  ASSERT_GE(spoken.size(), 4u);
  EXPECT_EQ(Keys(spoken.begin(), spoken.begin() + 4), (Keys{"about_version", "uc_49", "uc_46", "uc_49"}));
  about.subKeyDown(cKey{key::Enter, 0, 0});
  EXPECT_TRUE(about.fncbClosed());
  const Keys names = posted();
  EXPECT_EQ(names.front(), "PAUSE");
  EXPECT_EQ(names.back(), "START");

  cAboutDialog again(*rig.prompts, *rig.bookPlayer, rig.app.queue());
  again.subOpen();
  again.subClose();
  for (const auto& name : posted()) EXPECT_NE(name, "START");
}

}  // namespace
}  // namespace lyn::testing
