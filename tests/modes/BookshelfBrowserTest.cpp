// The bookshelf: finding books, the three files it writes and reads back, playing and choosing
// entries, deleting, adding and searching all drives.

#include <gtest/gtest.h>

#include "PagesTestRig.h"
#include "modes/GeneratedPages.h"
#include "modes/cBookshelfBrowser.h"
#include "shell/ModuleServices.h"

namespace lyn::testing {
namespace {

namespace fs = std::filesystem;

std::string number(double seconds) { return pages::fncNumberText(seconds); }

class BookshelfTest : public ::testing::Test {
 protected:
  BookshelfTest() { rig.app.currentModeNumber = eModeNumber::Bookshelf; }

  std::unique_ptr<cBookshelfBrowser> newShelf() {
    return std::make_unique<cBookshelfBrowser>(rig.services, rig.reading, rig.reading);
  }
  std::vector<std::string> titles(const cBookshelfBrowser& shelf) const {
    std::vector<std::string> out;
    for (size_t n = 1; n < shelf.fncEntries().size(); ++n) out.push_back(shelf.fncEntries()[n].sTitle);
    return out;
  }

  cPagesTestRig rig;
};

TEST_F(BookshelfTest, BooksAtTheRootsOfTwoDrivesAreListedAndTheFirstIsSpokenWithItsNumber) {
  cPagesTestRig::writeBook(rig.addDrive("A"), "Alpha");
  cPagesTestRig::writeBook(rig.addDrive("B"), "Beta");
  auto shelf = newShelf();
  shelf->subShowBookList();

  EXPECT_EQ(titles(*shelf), (std::vector<std::string>{"Alpha", "Beta"}));
  EXPECT_EQ(shelf->sPhraseCount, "1/2");
  const auto keys = rig.queuedKeys();
  EXPECT_EQ(keys, (std::vector<std::string>{"cap_bookshelf", "gen_esctoreturn", "bok_booksinlist", "UC_50"}));

  // The entry speaks "book number", "1", then the book's own title clip, and stops there.
  rig.run(shelf.get(), 8000);
  ASSERT_GE(rig.bookAudio->opened.size(), 2u);
  EXPECT_EQ(fs::path(rig.bookAudio->opened[0]).filename(), "prompts.wav");
  EXPECT_EQ(rig.bookAudio->opened.back(), rig.drivesRoot / "A" / "a.wav");
  EXPECT_EQ(rig.keyAt(rig.bookAudio->seeks.at(0) / 1000.0), "bok_booknumber");
  EXPECT_EQ(rig.keyAt(rig.bookAudio->seeks.at(1) / 1000.0), "uc_49");
  EXPECT_EQ(shelf->clsNccReader()->lCurrentTocItem, 1);
  EXPECT_NE(rig.bookPlayer.mlCurrentAudioState, 1);

  shelf->subBrowseUnit(1, 1);
  EXPECT_EQ(shelf->sPhraseCount, "2/2");
  EXPECT_EQ(shelf->clsNccReader()->lCurrentTocItem, 2);
  shelf->subBrowseUnit(-1, 1);
  EXPECT_EQ(shelf->clsNccReader()->lCurrentTocItem, 1);
  rig.prompts.subclearQue();
  shelf->subBrowseUnit(-1, 1);  // nothing before the first
  EXPECT_EQ(shelf->clsNccReader()->lCurrentTocItem, 1);
  EXPECT_EQ(rig.queuedKeys(), std::vector<std::string>{"sfx_indicator3"});
}

TEST_F(BookshelfTest, TheSameBookFoundTwiceInAnyCaseIsOneEntry) {
  const std::string a = rig.addDrive("A");
  cPagesTestRig::writeBook(a, "Alpha");
  auto shelf = newShelf();
  shelf->subAddEntry({a + "/", "Alpha", "a.wav", 0, 1});
  shelf->subAddEntry({a, "ALPHA", "a.wav", 0, 1});
  EXPECT_EQ(shelf->lBookCount(), 1);
  shelf->subAddEntry({a, "Alpha 2", "a.wav", 0, 1});
  EXPECT_EQ(shelf->lBookCount(), 2);
}

TEST_F(BookshelfTest, TheLastBookReadAndTheBooksOfADiscInfoPageAreFound) {
  const std::string d = rig.addDrive("D", eDriveType::CdRom);
  cPagesTestRig::writeBook(fs::path(d) / "one", "One");
  cPagesTestRig::writeBook(fs::path(d) / "sub" / "Two", "Two");
  fncWriteText(fs::path(d) / "DISCINFO.HTML",
               "<html><body><a href=\"one/ncc.html\">1</a> <a href=\"sub/two/NCC.HTML\">2</a>"
               "<a href=\"http://example.org/ncc.html\">web</a><a href=\"gone/ncc.html\">x</a>"
               "</body></html>");
  const fs::path home = rig.drivesRoot / "elsewhere" / "Three";
  cPagesTestRig::writeBook(home, "Three");
  rig.app.sLastBookRead = home.string();

  auto shelf = newShelf();
  shelf->subShowBookList();
  EXPECT_EQ(titles(*shelf), (std::vector<std::string>{"Three", "One", "Two"}));
}

TEST_F(BookshelfTest, TheGeneratedFilesAreWrittenExactly) {
  const std::string a = rig.addDrive("A");
  cPagesTestRig::writeBook(a, "Alpha");
  auto shelf = newShelf();
  shelf->subShowBookList();

  const std::string head =
      "<?xml version='1.0' encoding='utf-8' ?>\r\n"
      "<!DOCTYPE html PUBLIC '-//W3C//DTD XHTML 1.0 Transitional//EN' "
      "'http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd'>\r\n"
      "<html xmlns='http://www.w3.org/1999/xhtml'>\r\n  <head>\r\n"
      "    <meta http-equiv='Content-type' content='text/html; charset=UTF-8'/>\r\n"
      "    <title>LYN Reader booklist</title>\r\n"
      "    <meta name='dc:format' content='Daisy 2.0'/>\r\n  </head>\r\n  <body>\r\n";
  const std::string tail = "  </body>\r\n</html>\r\n";
  EXPECT_EQ(rig.readData("booklist.html"),
            head + "    <h1 class=\"BookshelfItem\" id=\"book1\"><a href=\"booklist.smil#book1\">Alpha</a></h1>\r\n" + tail);
  EXPECT_EQ(rig.readData("booklistcontent.html"),
            head + "    <h1 class=\"BookshelfItem\" id=\"book1\"><a href=\"" + pages::fncEncodeFolderLink(a + "/") +
                "\">Alpha</a></h1>\r\n" + tail);
  const std::string program = rig.programFolder() + "prompts.wav";
  EXPECT_EQ(rig.readData("booklist.smil"),
            "<?xml version='1.0' encoding='utf-8' ?>\r\n"
            "<!DOCTYPE smil PUBLIC '-//W3C//DTD SMIL 1.0//EN' 'http://www.w3.org/TR/REC-smil/SMIL10.dtd' >\r\n"
            "<smil>\r\n  <head>\r\n"
            "    <meta http-equiv='Content-type' content='text/html; charset=UTF-8'/>\r\n"
            "    <meta name='format' content='Daisy 2.0' />\r\n"
            "    <meta name='title' content='LYN Reader booklist' />\r\n"
            "  </head>\r\n  <body>\r\n  <seq>\r\n"
            "      <par endsync=\"last\" id=\"book1\">\r\n"
            "        <text src=\"booklistcontent.html#book1\" id=\"text1\"/>\r\n"
            "        <seq>\r\n"
            "          <audio src=\"" + program + "\" clip-begin=\"npt=1\" clip-end=\"npt=1.5\" id=\"tp1\"/>\r\n"
            "          <audio src=\"" + program + "\" clip-begin=\"npt=" + number(rig.beginOf("uc_49")) + "\" clip-end=\"npt=" + number(rig.beginOf("uc_49") + 0.5) + "\" id=\"tp2\"/>\r\n"
            "          <audio src=\"" + a + "/a.wav\" clip-begin=\"npt=0\" clip-end=\"npt=2\" id=\"booktitle1\"/>\r\n"
            "        </seq>\r\n      </par>\r\n"
            "    </seq>\r\n  </body>\r\n</smil>\r\n");
  for (const auto& entry : fs::directory_iterator(rig.data.path()))
    EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
}

TEST_F(BookshelfTest, BookTwelveOfTwelveSpeaksItsNumberThenItsTitle) {
  const std::string a = rig.addDrive("A");
  auto shelf = newShelf();
  for (int n = 1; n <= 12; ++n) {
    cPagesTestRig::writeBook(fs::path(a) / ("b" + std::to_string(n)), "Book " + std::to_string(n));
    ASSERT_TRUE(shelf->fncbAddBookFromFolder(a + "/b" + std::to_string(n)));
  }
  shelf->subRebuildAndShow();
  const std::string smil = rig.readData("booklist.smil");
  const size_t at = smil.find("id=\"book12\"");
  ASSERT_NE(at, std::string::npos);
  const std::string par = smil.substr(at);
  EXPECT_NE(par.find("clip-begin=\"npt=1\" clip-end=\"npt=1.5\" id=\"tp1\""), std::string::npos);
  const double twelve = rig.beginOf("dig_12");
  EXPECT_NE(par.find("clip-begin=\"npt=" + number(twelve) + "\" clip-end=\"npt=" + number(twelve + 0.5) +
                     "\" id=\"tp2\""),
            std::string::npos);
  EXPECT_NE(par.find("b12/a.wav\" clip-begin=\"npt=0\" clip-end=\"npt=2\" id=\"booktitle12\""),
            std::string::npos);
  EXPECT_EQ(par.find("id=\"tp3\""), std::string::npos);
}

TEST(BookshelfWithoutPromptAudioTest, OnlyTheTitleClipIsWritten) {
  cPagesTestRig rig(false);
  ASSERT_FALSE(rig.prompts.IsAudio);
  cPagesTestRig::writeBook(rig.addDrive("A"), "Alpha");
  cBookshelfBrowser shelf(rig.services, rig.reading, rig.reading);
  shelf.subShowBookList();
  const std::string smil = rig.readData("booklist.smil");
  EXPECT_EQ(smil.find("id=\"tp"), std::string::npos);
  EXPECT_NE(smil.find("id=\"booktitle1\""), std::string::npos);
  EXPECT_EQ(shelf.clsNccReader()->lNumberOfTocItems(), 1);

  // A title clip that went missing since: the list still loads and shows the book.
  fs::remove(rig.drivesRoot / "A" / "a.wav");
  cBookshelfBrowser again(rig.services, rig.reading, rig.reading);
  rig.pump(nullptr);
  rig.posted.clear();
  again.subShowBookList();
  rig.pump(nullptr);
  EXPECT_EQ(again.lBookCount(), 1);
  EXPECT_EQ(rig.count("WAITINGFORBOOKS"), 0u);
  EXPECT_EQ(rig.count("UPDATEINTERFACE"), 1u);
}

// A title with markup characters, in folders whose names hold an apostrophe, spaces, "#", "%",
// a literal "%20", non-ASCII letters and bytes that are no UTF-8: listed, written so the pages
// stay intact, and read back exactly after a restart.
TEST_F(BookshelfTest, HostileTitlesAndFolderNamesSurviveTheFilesAndARestart) {
  const std::string a = rig.addDrive("A");
  const std::vector<std::string> folders = {a + "/Tom's Books/", a + "/A #1 100% x%20y/",
                                            a + "/Gr\xC3\xBC\xC3\x9F" "e/", a + "/raw\xFF\xFE name/"};
  for (size_t n = 0; n < folders.size(); ++n)
    cPagesTestRig::writeBook(folders[n], "Tom &amp; &lt;Jerry&gt; &quot;" + std::to_string(n) + "&quot; &#39;s");
  auto shelf = newShelf();
  for (const std::string& folder : folders) ASSERT_TRUE(shelf->fncbAddBookFromFolder(folder));
  shelf->subRebuildAndShow();
  ASSERT_EQ(shelf->lBookCount(), 4);
  EXPECT_EQ(shelf->fncEntries()[1].sTitle, "Tom & <Jerry> \"0\" 's");
  EXPECT_EQ(shelf->clsNccReader()->lNumberOfTocItems(), 4);  // the list page is intact
  const std::string content = rig.readData("booklistcontent.html");
  EXPECT_EQ(content.find("<Jerry>"), std::string::npos);
  EXPECT_NE(content.find("Tom &amp; &lt;Jerry&gt; &quot;0&quot; &#39;s"), std::string::npos);

  // A restart: the books are not at a drive's root, so only the saved list brings them back.
  auto again = newShelf();
  again->subShowBookList();
  ASSERT_EQ(again->lBookCount(), 4);
  for (size_t n = 1; n <= 4; ++n) {
    EXPECT_EQ(again->fncEntries()[n].sFolder, shelf->fncEntries()[n].sFolder);
    EXPECT_EQ(again->fncEntries()[n].sTitle, shelf->fncEntries()[n].sTitle);
    EXPECT_EQ(again->fncEntries()[n].sTitleAudioFile, "a.wav");
    EXPECT_DOUBLE_EQ(again->fncEntries()[n].dClipEnd, 2);
  }

  // Enter on entry 1: the view hands the link decoded once; the book opens from its own folder.
  again->subClickedOn(pages::fncDecodeFolderLink(pages::fncEncodeFolderLink(folders[0])), "book1");
  ASSERT_EQ(rig.reading.loads.size(), 1u);
  EXPECT_EQ(rig.reading.loads[0], folders[0]);
  EXPECT_TRUE(rig.reading.fncbBookLoaded());

  // A folder that is no UTF-8 reaches the mode in the view's decoding (its bytes as Latin-1).
  rig.app.currentModeNumber = eModeNumber::Bookshelf;
  again->subClickedOn(fncDecodePercentEscapes(pages::fncEncodeFolderLink(folders[3])), "");
  ASSERT_EQ(rig.reading.loads.size(), 2u);
  EXPECT_EQ(rig.reading.loads[1], folders[3]);
  EXPECT_TRUE(rig.reading.fncbBookLoaded());
}

TEST_F(BookshelfTest, AFolderNamedWithEscapesIsDecodedOnceWhenChosen) {
  const std::string a = rig.addDrive("A");
  const std::string literal = a + "/x%20y/";
  const std::string spaced = a + "/x y/";
  cPagesTestRig::writeBook(literal, "Literal");
  cPagesTestRig::writeBook(spaced, "Spaced");
  auto shelf = newShelf();
  ASSERT_TRUE(shelf->fncbAddBookFromFolder(literal));
  ASSERT_TRUE(shelf->fncbAddBookFromFolder(spaced));
  shelf->subRebuildAndShow();
  shelf->subClickedOn(literal, "");
  ASSERT_EQ(rig.reading.loads.size(), 1u);
  EXPECT_EQ(rig.reading.loads[0], literal);
}

TEST_F(BookshelfTest, ChoosingAnEntryOpensItInTheReadingMode) {
  cPagesTestRig::writeBook(rig.addDrive("A"), "Alpha");
  const std::string b = rig.addDrive("B");
  cPagesTestRig::writeBook(b, "Beta");
  auto shelf = newShelf();
  rig.speed.subSetSpeed(7);
  shelf->subShowBookList();
  EXPECT_EQ(rig.speed.Speed(), 5);
  rig.posted.clear();
  shelf->subClickedOn(b + "/", "book2");
  EXPECT_EQ(rig.reading.loads, std::vector<std::string>{b + "/"});
  EXPECT_EQ(rig.app.currentModeNumber, eModeNumber::Reading);
  EXPECT_EQ(rig.speed.Speed(), 7);
  EXPECT_EQ(rig.prompts.fncQueueCount(), 0);
  rig.pump(nullptr);
  EXPECT_EQ(rig.posted, (std::vector<std::string>{"READ", "NEWBOOKFROMBOOKSHELF"}));
  EXPECT_EQ(rig.app.sLastBookRead, b + "/");

  // Back to the list: the open book is the current entry.
  rig.app.currentModeNumber = eModeNumber::Bookshelf;
  shelf->subShowBookList();
  EXPECT_EQ(shelf->clsNccReader()->lCurrentTocItem, 2);
  EXPECT_EQ(shelf->sPhraseCount, "2/2");
}

TEST_F(BookshelfTest, ALinkOfTheListsOwnPagesNamesItsEntry) {
  const std::string a = rig.addDrive("A"), b = rig.addDrive("B");
  cPagesTestRig::writeBook(a, "Alpha");
  cPagesTestRig::writeBook(b, "Beta");
  auto shelf = newShelf();
  shelf->subShowBookList();
  shelf->subClickedOn("booklist.smil#book2", "");
  shelf->subClickedOn(rig.dataFolder() + "booklist.html#BOOK1", "");
  EXPECT_EQ(rig.reading.loads, (std::vector<std::string>{b + "/", a + "/"}));
}

TEST_F(BookshelfTest, ABookThatFailsToOpenSaysSoAndTheListPlaysOn) {
  const std::string a = rig.addDrive("A");
  cPagesTestRig::writeBook(a, "Alpha");
  auto shelf = newShelf();
  shelf->subShowBookList();
  fs::remove(fs::path(a) / "ncc.html");
  rig.prompts.subclearQue();
  rig.pump(nullptr);
  rig.posted.clear();
  shelf->subClickedOn(a + "/", "book1");
  EXPECT_EQ(rig.queuedKeys(), std::vector<std::string>{"err_nccerr"});
  EXPECT_EQ(rig.app.currentModeNumber, eModeNumber::Bookshelf);
  rig.pump(nullptr);
  EXPECT_EQ(rig.count("START"), 1u);

  shelf->subClickedOn("http://example.org/ncc.html", "");  // a web link is ignored
  EXPECT_EQ(rig.reading.loads.size(), 1u);
}

TEST_F(BookshelfTest, ABookWhoseFolderWentLeavesTheListAndTheListSurvivesARestart) {
  const std::string a = rig.addDrive("A");
  cPagesTestRig::writeBook(fs::path(a) / "x", "X");
  cPagesTestRig::writeBook(fs::path(a) / "y", "Y");
  auto shelf = newShelf();
  ASSERT_TRUE(shelf->fncbAddBookFromFolder(a + "/x"));
  ASSERT_TRUE(shelf->fncbAddBookFromFolder(a + "/y"));
  shelf->subRebuildAndShow();
  fs::remove_all(fs::path(a) / "x");
  auto again = newShelf();
  again->subShowBookList();
  EXPECT_EQ(titles(*again), std::vector<std::string>{"Y"});
}

TEST_F(BookshelfTest, DeletingAsksFirstAndTheDeletedBookStaysGoneAfterARestart) {
  const std::string a = rig.addDrive("A");
  cPagesTestRig::writeBook(fs::path(a) / "x", "X");
  cPagesTestRig::writeBook(fs::path(a) / "y", "Y");
  auto shelf = newShelf();
  ASSERT_TRUE(shelf->fncbAddBookFromFolder(a + "/x"));
  ASSERT_TRUE(shelf->fncbAddBookFromFolder(a + "/y"));
  shelf->subRebuildAndShow();
  shelf->subBrowseUnit(1, 1);

  rig.dialogs.answer = false;
  shelf->subDelete();
  EXPECT_EQ(shelf->lBookCount(), 2);
  EXPECT_EQ(rig.dialogs.spokenKeys,
            (std::vector<std::string>{"gen_delete", "bok_booknumber", "gen_entertoconfirm"}));
  EXPECT_EQ(rig.dialogs.questions.back(), "Delete Book number|Delete Book number?\nPress enter to confirm");

  rig.dialogs.answer = true;
  shelf->subDelete();
  EXPECT_EQ(titles(*shelf), std::vector<std::string>{"X"});
  auto again = newShelf();
  again->subShowBookList();
  EXPECT_EQ(titles(*again), std::vector<std::string>{"X"});

  // The last one: an empty list, said so, and it stays empty after a restart.
  again->subDelete();
  EXPECT_EQ(again->lBookCount(), 0);
  const auto keys = rig.queuedKeys();
  EXPECT_NE(std::find(keys.begin(), keys.end(), "bok_nobooksinlist"), keys.end());
  auto third = newShelf();
  third->subShowBookList();
  EXPECT_EQ(third->lBookCount(), 0);
}

TEST_F(BookshelfTest, ABookChosenInTheFileDialogIsAdded) {
  const std::string a = rig.addDrive("A");
  cPagesTestRig::writeBook(fs::path(a) / "deep" / "er", "Chosen");
  auto shelf = newShelf();
  shelf->subShowBookList();
  EXPECT_EQ(shelf->lBookCount(), 0);
  rig.dialogs.fileChosen = a + "/deep/er/ncc.html";
  shelf->subInsert();
  EXPECT_EQ(titles(*shelf), std::vector<std::string>{"Chosen"});

  rig.prompts.subclearQue();
  rig.dialogs.fileChosen = a + "/nothing/ncc.html";
  shelf->subInsert();
  const auto keys = rig.queuedKeys();
  EXPECT_NE(std::find(keys.begin(), keys.end(), "err_nccerr"), keys.end());
}

TEST_F(BookshelfTest, TheExtendedSearchFindsABookThreeFoldersDeepAndAnnouncesIt) {
  const std::string a = rig.addDrive("A");
  cPagesTestRig::writeBook(fs::path(a) / "one" / "two" / "three", "Deep");
  fs::create_directories(fs::path(a) / "zzz");
  auto shelf = newShelf();
  shelf->subShowBookList();
  EXPECT_EQ(shelf->lBookCount(), 0);
  rig.prompts.subclearQue();
  int calls = 0;
  std::vector<std::string> heard;
  rig.window.onEvents = [&] {
    ++calls;
    EXPECT_TRUE(shelf->bolSearching());
    for (const std::string& k : rig.queuedKeys()) heard.push_back(k);
  };
  shelf->subExtendedSearch();
  EXPECT_FALSE(shelf->bolSearching());
  EXPECT_EQ(titles(*shelf), std::vector<std::string>{"Deep"});
  EXPECT_EQ(calls, 5);  // the drive and its four folders, the last one after the find
  EXPECT_NE(std::find(heard.begin(), heard.end(), "sfx_newtitlefound"), heard.end());
  // The caption grows by a dot per folder and is the mode's own again afterwards.
  ASSERT_EQ(rig.window.captions.size(), 6u);
  EXPECT_EQ(rig.window.captions[0], "LYN Reader 1.1  ---  Bookshelf.");
  EXPECT_EQ(rig.window.captions[4], "LYN Reader 1.1  ---  Bookshelf.....");
  EXPECT_EQ(rig.window.captions[5], "LYN Reader 1.1  ---  Bookshelf");
}

TEST_F(BookshelfTest, TheSearchCaptionStartsAgainAtItsLimit) {
  const std::string a = rig.addDrive("A");
  for (int n = 0; n < 120; ++n) fs::create_directories(fs::path(a) / ("f" + std::to_string(n)));
  auto shelf = newShelf();
  shelf->subExtendedSearch();
  const auto& captions = rig.window.captions;
  ASSERT_EQ(captions.size(), 122u);
  for (const std::string& caption : captions) EXPECT_LE(caption.size(), 120u);
  EXPECT_NE(std::find(captions.begin(), captions.end(),
                      "LYN Reader 1.1  ---  Bookshelf: Searching for books"),
            captions.end());
}

TEST_F(BookshelfTest, ABookWhoseFirstClipDoesNotPlayIsNotListed) {
  const std::string a = rig.addDrive("A");
  cPagesTestRig::writeBook(fs::path(a) / "broken", "Broken");
  fncWriteText(fs::path(a) / "broken" / "a.wav", "not a wav");
  auto shelf = newShelf();
  EXPECT_FALSE(shelf->fncbAddBookFromFolder(a + "/broken"));
  EXPECT_FALSE(shelf->fncbAddBookFromFolder(a + "/nothing"));
  EXPECT_EQ(shelf->lBookCount(), 0);
}

TEST_F(BookshelfTest, TheSearchSkipsNetworkDrivesWithoutChangingTheTimersDriveList) {
  const std::string a = rig.addDrive("A");
  const std::string net = rig.addDrive("Net", eDriveType::Network);
  cPagesTestRig::writeBook(fs::path(net) / "x", "Remote");
  cPagesTestRig::writeBook(fs::path(a) / "x", "Local");
  rig.disk.fncScanDrives(true, false);
  const auto before = rig.disk.gsLastDrives;
  auto shelf = newShelf();
  shelf->subExtendedSearch();
  EXPECT_EQ(titles(*shelf), std::vector<std::string>{"Local"});
  EXPECT_EQ(rig.disk.gsLastDrives, before);
  EXPECT_FALSE(rig.disk.fncbCheckDrivesChanged());
}

TEST_F(BookshelfTest, EscapeDuringTheSearchKeepsWhatWasFound) {
  const std::string a = rig.addDrive("A");
  cPagesTestRig::writeBook(fs::path(a) / "a", "First");
  cPagesTestRig::writeBook(fs::path(a) / "b" / "x", "Second");
  cPagesTestRig::writeBook(fs::path(a) / "c", "Third");
  auto shelf = newShelf();
  int folders = 0;
  rig.window.onEvents = [&] {
    if (++folders == 3) shelf->subEscape();  // entering "b"
  };
  shelf->subExtendedSearch();
  EXPECT_EQ(titles(*shelf), std::vector<std::string>{"First"});
  EXPECT_EQ(rig.count("READ"), 0u);
  EXPECT_EQ(shelf->clsNccReader()->lNumberOfTocItems(), 1);
}

TEST_F(BookshelfTest, ADriveThatComesOrGoesRebuildsTheList) {
  cPagesTestRig::writeBook(rig.addDrive("A"), "Alpha");
  auto shelf = newShelf();
  shelf->subShowBookList();
  EXPECT_EQ(shelf->lBookCount(), 1);
  const std::string b = rig.addDrive("B");
  cPagesTestRig::writeBook(b, "Beta");
  shelf->subDrivesChanged();
  EXPECT_EQ(titles(*shelf), (std::vector<std::string>{"Alpha", "Beta"}));
  rig.drives.remove(b);
  fs::remove_all(b);
  shelf->subDrivesChanged();
  EXPECT_EQ(titles(*shelf), std::vector<std::string>{"Alpha"});
}

TEST_F(BookshelfTest, AnEmptyShelfSaysSoAndWaitsForBooks) {
  auto shelf = newShelf();
  shelf->subShowBookList();
  EXPECT_EQ(rig.queuedKeys(), (std::vector<std::string>{"cap_bookshelf", "gen_esctoreturn", "bok_nobooksinlist",
                                                        "bok_insertdisc", "gen_f1forhelp"}));
  rig.pump(nullptr);
  rig.posted.clear();
  for (int tick = 0; tick < 12; ++tick) {
    shelf->subControlTimer();
    rig.pump(nullptr);
  }
  EXPECT_EQ(rig.count("WAITINGFORBOOKS"), 2u);
  for (auto command : {&cBookshelfBrowser::subStartStop, &cBookshelfBrowser::subSearch}) {
    rig.prompts.subclearQue();
    (shelf.get()->*command)();
    EXPECT_EQ(rig.queuedKeys(), std::vector<std::string>{"sfx_indicator3"});
  }
}

// The per-user data folder on another drive than the books and the program: the title clips are
// written with absolute paths and play from there.
TEST_F(BookshelfTest, TitleClipsPlayWhenTheDataFolderIsOnAnotherDrive) {
  const std::string a = rig.addDrive("A");
  rig.addDrive("Home", eDriveType::Fixed);
  fs::create_directories(rig.drivesRoot / "Home" / "data");
  rig.disk.gsUserDataPath = (rig.drivesRoot / "Home" / "data").string() + "/";
  cPagesTestRig::writeBook(fs::path(a) / "book", "Alpha");
  auto shelf = newShelf();
  ASSERT_TRUE(shelf->fncbAddBookFromFolder(a + "/book"));
  shelf->subRebuildAndShow();
  rig.run(shelf.get(), 5000);
  EXPECT_EQ(rig.bookAudio->opened.back(), fs::path(a) / "book" / "a.wav");
  EXPECT_TRUE(rig.window.errors.empty());
}

}  // namespace
}  // namespace lyn::testing
