// The reading mode's bookmarks and undo: inserting, deleting, renumbering, the bookmark unit,
// undo, the bookmark file of each book, and saves that the process does not survive.

#include <sys/wait.h>
#include <unistd.h>

#include "ModeTestRig.h"

namespace lyn::testing {
namespace {

// Jumps to par `par` (1-based, 6-s clips) of SMIL file `file` and `into` seconds into it, paused.
void fncGoTo(cModeRig& rig, int file, int par, double into) {
  rig.mode->subClickedOn("s" + std::to_string(file) + ".smil#p" + std::to_string(par), "");
  rig.pump();
  rig.speak();
  rig.bookPlayer.fncbPause();
  rig.bookPlayer.pdPosition(6.0 * (par - 1) + into);
}

TEST(Bookmarks, InsertDeleteAndRenumberOnReload) {
  cModeRig rig;
  ASSERT_TRUE(rig.open(rig.make()));
  rig.run(0.5);
  fncGoTo(rig, 1, 2, 3);
  rig.mode->subInsert();
  EXPECT_EQ(rig.queuedPrompts(), (std::vector<std::string>{"bookm_insbookmark", "UC_49"}));
  rig.speak();
  fncGoTo(rig, 2, 2, 3);
  rig.mode->subInsert();
  fncGoTo(rig, 3, 2, 3);
  rig.mode->subInsert();
  rig.speak();
  ASSERT_EQ(rig.mode->lNumberOfBookmarks, 3);

  rig.bookPlayer.pdPosition(6.0 + 4.5);  // 1.5 s from bookmark 3: within the stretch heard
  rig.prompts->subclearQue();
  rig.mode->subInsert();
  EXPECT_EQ(rig.queuedPrompts(), std::vector<std::string>{"sfx_indicator3"});
  EXPECT_EQ(rig.mode->lNumberOfBookmarks, 3);
  rig.controlTick();
  EXPECT_EQ(rig.window.bookmarkLabel, 3);

  fncGoTo(rig, 2, 2, 2);
  rig.mode->subDelete();
  EXPECT_EQ(rig.mode->lNumberOfBookmarks, 3);
  ASSERT_EQ(rig.mode->fncBookmarks().size(), 4u);
  EXPECT_FALSE(rig.mode->fncBookmarks()[2]);
  rig.controlTick();
  EXPECT_EQ(rig.window.bookmarkLabel, std::nullopt);
  rig.prompts->subclearQue();
  rig.mode->subDelete();
  EXPECT_EQ(rig.queuedPrompts(), std::vector<std::string>{"sfx_indicator3"}) << "none near";

  rig.mode->subUnloadCurrentBook();
  ASSERT_TRUE(rig.mode->fncLoadBook(rig.book().string()));
  EXPECT_EQ(rig.mode->lNumberOfBookmarks, 2);
  ASSERT_EQ(rig.mode->fncBookmarks().size(), 3u);
  EXPECT_EQ(rig.mode->fncBookmarks()[2]->sSmilFile, "s3.smil") << "the former third";
  rig.prompts->subclearQue();
  EXPECT_FALSE(rig.mode->fncGotoBookmark(3));
  EXPECT_FALSE(rig.mode->fncGotoBookmark(-1));
  EXPECT_TRUE(rig.queuedPrompts().empty()) << "out of range says nothing";
}

TEST(Bookmarks, TheBookmarkUnitStepsBetweenBookmarksAcrossTheBook) {
  cModeRig rig;
  ASSERT_TRUE(rig.open(rig.make()));
  rig.run(0.5);
  fncGoTo(rig, 1, 2, 3);
  rig.mode->subInsert();
  fncGoTo(rig, 3, 3, 1);
  rig.mode->subInsert();
  rig.speak();
  rig.mode->subChangeUnit(std::nullopt, kUnitBookmark);
  ASSERT_EQ(rig.mode->enNavMode, kUnitBookmark);
  fncGoTo(rig, 1, 1, 1);
  rig.mode->subBrowseUnit(1, 1);
  EXPECT_EQ(rig.queuedPrompts(), (std::vector<std::string>{"nav_bookmark", "UC_49"}));
  rig.speak();
  EXPECT_EQ(rig.place(), "s1.smil#p2");
  rig.mode->subBrowseUnit(1, 1);
  rig.speak();
  EXPECT_EQ(rig.place(), "s3.smil#p3") << "the one being heard is passed over";
  rig.prompts->subclearQue();
  rig.mode->subBrowseUnit(1, 1);
  EXPECT_TRUE(rig.queued("sfx_indicator3")) << "no bookmark after the last";
  rig.speak();
  rig.bookPlayer.fncbPause();
  rig.mode->subBrowseUnit(-1, 1);
  rig.speak();
  EXPECT_EQ(rig.place(), "s1.smil#p2");

  rig.mode->subDelete();
  rig.speak();
  rig.bookPlayer.fncbPause();
  rig.mode->subBrowseUnit(1, 1);
  rig.speak();
  ASSERT_EQ(rig.place(), "s3.smil#p3");
  rig.bookPlayer.fncbPause();
  rig.prompts->subclearQue();
  rig.mode->subDelete();
  EXPECT_EQ(rig.queuedPrompts(),
            (std::vector<std::string>{"bookm_delbookmark", "UC_50", "nav_phrase"}));
  EXPECT_EQ(rig.mode->enNavMode, kUnitPhrase) << "no bookmark left to move by";
  EXPECT_EQ(rig.mode->lNumberOfBookmarks, 0);
}

TEST(Bookmarks, UndoTwiceReturnsToWhereTheFirstUndoStarted) {
  cModeRig rig;
  ASSERT_TRUE(rig.open(rig.make()));
  rig.run(8);  // s1 p2
  rig.mode->subChangeUnit(std::nullopt, kUnitChapter);
  rig.mode->subBrowseUnit(1, 2);
  rig.pump();
  rig.speak();
  ASSERT_EQ(rig.place(), "s3.smil#p1");
  ASSERT_TRUE(rig.mode->fncUndo());
  rig.pump();
  EXPECT_EQ(rig.place(), "s1.smil#p2");
  ASSERT_TRUE(rig.mode->fncUndo());
  rig.pump();
  EXPECT_EQ(rig.place(), "s3.smil#p1");
}

TEST(Bookmarks, UndoRightAfterLoadingGoesToTheSavedPlace) {
  cModeRig rig;
  ASSERT_TRUE(rig.open(rig.make()));
  rig.run(40);  // s2 p3
  rig.mode->subUnloadCurrentBook();
  ASSERT_TRUE(rig.open(rig.book()));
  rig.mode->subSkipTitle();
  rig.pump();
  rig.mode->subChangeUnit(std::nullopt, kUnitChapter);
  rig.mode->subBrowseUnit(-1, 1);
  rig.pump();
  ASSERT_EQ(rig.place(), "s1.smil#p3");
  ASSERT_TRUE(rig.mode->fncUndo());
  rig.pump();
  EXPECT_EQ(rig.place(), "s2.smil#p3");
}

TEST(Bookmarks, ABookWithoutSavedPlaceCannotUndoAndReadingGoesOn) {
  cModeRig rig;
  ASSERT_TRUE(rig.open(rig.make()));
  rig.run(1);
  EXPECT_FALSE(rig.mode->fncUndo());
  EXPECT_TRUE(rig.playing());
}

TEST(BookmarkFiles, ADamagedFileIsSetAsideNotOverwritten) {
  cModeRig rig;
  rig.make();
  ASSERT_TRUE(rig.open(rig.book()));
  const auto path = rig.mode->fncBookmarkFilePath();
  rig.mode->subUnloadCurrentBook();
  fncWriteText(path, "not a bookmark file at all");
  ASSERT_TRUE(rig.mode->fncLoadBook(rig.book().string()));
  EXPECT_FALSE(rig.mode->bolPlayingTitle) << "starts as a new book";
  EXPECT_FALSE(std::filesystem::exists(path));
  std::ifstream kept(path.string() + ".damaged");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "not a bookmark file at all");
  rig.mode->subUnloadCurrentBook();
  EXPECT_EQ(fncReadBookmarkFile(path, 6).enState, eBookmarkFileState::Loaded);
}

TEST(BookmarkFiles, TwoBooksOfOneTitleKeepTheirOwnPlaces) {
  cModeRig rig;
  BookPlan a = fncPlainBook(), b = fncPlainBook();
  a.identifier = "book-a";
  b.identifier = "book-b";
  rig.make(a, "a");
  rig.make(b, "b");
  ASSERT_TRUE(rig.open(rig.book("a")));
  rig.run(40);
  rig.mode->subUnloadCurrentBook();
  ASSERT_TRUE(rig.mode->fncLoadBook(rig.book("b").string()));
  EXPECT_FALSE(rig.mode->bolPlayingTitle) << "b was never read";
  rig.mode->subUnloadCurrentBook();
  ASSERT_TRUE(rig.mode->fncLoadBook(rig.book("a").string()));
  EXPECT_TRUE(rig.mode->bolPlayingTitle);
  EXPECT_EQ(rig.mode->fncBookmarks()[0]->sOther, "book-a");
}

TEST(BookmarkFiles, AFileUnderTheTitleAloneIsTakenOnlyWhenItNamesNoOtherBook) {
  cModeRig rig;
  rig.make();
  const auto plain = rig.root / "user" / fncBookmarkFileName("Test book", "", false);
  cBookmark place;
  place.sSmilFile = "s2.smil";
  place.sSmilID = "p1";
  place.lTocPosition = 3;
  place.lPhraseNumber = 2;
  place.dAudioPosition = 7;
  place.sAudioFile = "s2.wav";
  ASSERT_TRUE(fncWriteBookmarkFile(plain, {place}));
  ASSERT_TRUE(rig.mode->fncLoadBook(rig.book().string()));
  EXPECT_TRUE(rig.mode->bolPlayingTitle) << "an old file of this title";
  rig.mode->subUnloadCurrentBook();
  EXPECT_NE(rig.mode->fncBookmarkFilePath(), plain);

  std::filesystem::remove_all(rig.root / "user");
  place.sOther = "some-other-book";
  ASSERT_TRUE(fncWriteBookmarkFile(plain, {place}));
  ASSERT_TRUE(rig.mode->fncLoadBook(rig.book().string()));
  EXPECT_FALSE(rig.mode->bolPlayingTitle) << "another book's file is not used";
}

// The process ends at a step of the save that follows a jump; the file reads back as the old
// version or the new one.
TEST(BookmarkFiles, AKillDuringASaveLosesNothing) {
  TempFolder shared;
  fncMakeBook(shared / "book", fncPlainBook());
  for (const auto step :
       {eAtomicWriteStep::TemporaryCreated, eAtomicWriteStep::DataWritten,
        eAtomicWriteStep::DataFlushed, eAtomicWriteStep::Renamed, eAtomicWriteStep::FolderSynced}) {
    std::filesystem::remove_all(shared / "user");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      int status = 2;
      {
        cModeRig rig;
        rig.disk.gsUserDataPath = (shared / "user").string() + "/";
        if (rig.open(shared / "book")) {
          rig.run(8);
          rig.mode->subStartStop();  // a stop is saved at the next tick
          rig.run(0.6);
          std::filesystem::copy_file(rig.mode->fncBookmarkFilePath(), shared / "old.bin",
                                     std::filesystem::copy_options::overwrite_existing);
          rig.mode->subChangeUnit(std::nullopt, kUnitPage);
          rig.mode->subBrowseUnit(1, 1);  // a jump: saved at the next tick
          rig.pump();
          rig.mode->subSetSaveObserver([step](eAtomicWriteStep reached) {
            if (reached == step) ::_exit(0);
          });
          rig.run(0.6);
          status = 3;  // the save never came
        }
      }
      ::_exit(status);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "step " << int(step);
    ASSERT_EQ(WEXITSTATUS(status), 0) << "step " << int(step);
    const auto path = shared / "user" / fncBookmarkFileName("Test book", "test-book-1", false);
    const auto read = fncReadBookmarkFile(path, 6);
    ASSERT_EQ(read.enState, eBookmarkFileState::Loaded) << "step " << int(step);
    const auto old = fncReadBookmarkFile(shared / "old.bin", 6);
    ASSERT_EQ(old.enState, eBookmarkFileState::Loaded);
    EXPECT_EQ(old.entries[0].sSmilFile, "s1.smil");
    const bool renamed =
        step == eAtomicWriteStep::Renamed || step == eAtomicWriteStep::FolderSynced;
    EXPECT_EQ(read.entries[0].sSmilFile, renamed ? "s2.smil" : "s1.smil") << "step " << int(step);
  }
}

}  // namespace
}  // namespace lyn::testing
