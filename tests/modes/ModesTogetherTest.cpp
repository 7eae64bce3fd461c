// The bookshelf, the information page and the help book beside the real reading mode, switched
// by a small stand-in for the dispatcher: the key presses of a user who chooses a book, looks at
// its information, reads the manual and comes back to the book.

#include <gtest/gtest.h>

#include "PagesTestRig.h"
#include "modes/GeneratedPages.h"
#include "modes/cBookBrowser.h"
#include "modes/cBookInfoBrowser.h"
#include "modes/cBookshelfBrowser.h"
#include "modes/cHelpBrowser.h"
#include "shell/cSettingsTable.h"

namespace lyn::testing {
namespace {

namespace fs = std::filesystem;

// The four modes and the mode switches, as far as these scenarios need them.
class cModes {
 public:
  explicit cModes(cPagesTestRig& r) : rig(r) {}

  iMode& mode(eModeNumber n) {
    switch (n) {
      case eModeNumber::Help: return help;
      case eModeNumber::Bookshelf: return shelf;
      case eModeNumber::Information: return info;
      default: return reading;
    }
  }
  void switchTo(eModeNumber n) {
    rig.bookPlayer.fncbPause();
    if (n == eModeNumber::Information || n == eModeNumber::Help) rig.prompts.subclearQue();
    current->subPrepareForModeChange();
    current = &mode(n);
    rig.app.currentModeNumber = n;
    if (n == eModeNumber::Bookshelf) shelf.subShowBookList();
    else if (n == eModeNumber::Information) info.subShowInfo();
    else if (n == eModeNumber::Help) help.subShowHelp();
    else rig.app.queue().subAddMessage("START");
  }
  void toggle(eModeNumber n) {
    if (current == &mode(n)) rig.app.queue().subAddMessage("READ");
    else switchTo(n);
  }
  void pump() {
    for (int round = 0; round < 50 && rig.app.queue().hasNext(); ++round) {
      std::vector<std::string> names;
      while (rig.app.queue().hasNext()) names.push_back(rig.app.queue().fncgetNextMessageQueueItem()->fncgetMessageName());
      rig.app.queue().subclearQue();
      for (const std::string& name : names) {
        rig.posted.push_back(name);
        // A mode may have made another mode current itself (the bookshelf after a choice).
        current = &mode(rig.app.currentModeNumber);
        if (name == "PLAYNEXTPROMPT") rig.prompts.subPlayNextPrompt();
        else if (name == "START") current->subPlay();
        else if (name == "STOP") rig.bookPlayer.fncbPause();
        else if (name == "READ" && current != &reading) switchTo(eModeNumber::Reading);
        else if (name == "BOOKSHELF") toggle(eModeNumber::Bookshelf);
        else if (name == "HELP") toggle(eModeNumber::Help);
        else if (name == "INFO" && current == &reading && reading.bolBookLoaded) switchTo(eModeNumber::Information);
        else if (name == "NEWBOOK") current->subInitNewBookData();
        else if (name == "NEWBOOKFROMBOOKSHELF") {
          current->subInitNewBookData();
          current->subSkipTitle();
        }
      }
    }
  }
  void press(const std::string& message) {
    rig.app.queue().subAddMessage(message);
    pump();
  }
  void run(int32_t ms) {
    for (int32_t t = 0; t < ms; t += 10) {
      pump();
      cFakeAudioControl::subAdvance(*rig.promptAudio, 10);
      cFakeAudioControl::subAdvance(*rig.bookAudio, 10);
      rig.promptPlayer.subDoYourEvents();
      rig.bookPlayer.subDoYourEvents();
    }
    pump();
  }

  cPagesTestRig& rig;
  cBookBrowser reading{rig.services};
  cBookshelfBrowser shelf{rig.services, reading};
  cBookInfoBrowser info{rig.services, reading};
  cHelpBrowser help{rig.services};
  iMode* current = &reading;
};

class ModesTogetherTest : public ::testing::Test {
 protected:
  ModesTogetherTest() { modes = std::make_unique<cModes>(rig); }
  // Starts the program again on the same data folder and settings.
  void restart() {
    modes.reset();
    rig.app.sLastBookRead = fncLoadLastBookRead(rig.app.registry());
    rig.app.currentModeNumber = eModeNumber::Reading;
    modes = std::make_unique<cModes>(rig);
  }
  std::vector<std::string> titles() const {
    std::vector<std::string> out;
    for (size_t n = 1; n < modes->shelf.fncEntries().size(); ++n) out.push_back(modes->shelf.fncEntries()[n].sTitle);
    return out;
  }
  std::string openFolder() const {
    return modes->reading.bolBookLoaded ? modes->reading.clsNccReader()->clsDTBData().sWorkPath : "";
  }

  cPagesTestRig rig;
  std::unique_ptr<cModes> modes;
};

TEST_F(ModesTogetherTest, TheBookshelfListsTwoDrivesBooksAndOpensTheSecond) {
  const std::string a = rig.addDrive("A"), b = rig.addDrive("B");
  cPagesTestRig::writeBook(a, "Alpha");
  cPagesTestRig::writeBook(b, "Beta");
  modes->press("BOOKSHELF");
  EXPECT_EQ(modes->current, &modes->shelf);
  EXPECT_EQ(titles(), (std::vector<std::string>{"Alpha", "Beta"}));
  const auto keys = rig.queuedKeys();
  EXPECT_EQ(std::vector<std::string>(keys.end() - 2, keys.end()), (std::vector<std::string>{"bok_booksinlist", "UC_50"}));
  modes->run(6000);
  EXPECT_EQ(rig.bookAudio->opened.back(), fs::path(a) / "a.wav");  // entry 1's title

  modes->shelf.subBrowseUnit(1, 1);
  modes->run(6000);
  EXPECT_EQ(rig.bookAudio->opened.back(), fs::path(b) / "a.wav");
  modes->shelf.subBrowseUnit(-1, 1);
  modes->run(6000);
  EXPECT_EQ(rig.bookAudio->opened.back(), fs::path(a) / "a.wav");
  modes->shelf.subBrowseUnit(1, 1);
  modes->pump();

  // Enter on the highlighted entry: the link inside it, decoded once by the view.
  modes->shelf.subClickedOn(pages::fncDecodeFolderLink(pages::fncEncodeFolderLink(b + "/")), "book2");
  modes->pump();
  EXPECT_EQ(modes->current, &modes->reading);
  EXPECT_EQ(openFolder(), b + "/");
  modes->run(3000);
  EXPECT_EQ(rig.bookAudio->opened.back(), fs::path(b) / "a.wav");
  EXPECT_EQ(rig.bookPlayer.mlCurrentAudioState, 1);

  modes->press("BOOKSHELF");
  EXPECT_EQ(modes->shelf.clsNccReader()->lCurrentTocItem, 2);
  EXPECT_EQ(modes->shelf.sPhraseCount, "2/2");
}

TEST_F(ModesTogetherTest, ABookOnlyTheSearchFoundIsDeletedForGood) {
  const std::string a = rig.addDrive("A");
  cPagesTestRig::writeBook(a, "Alpha");
  cPagesTestRig::writeBook(fs::path(a) / "x" / "y" / "z", "Deep");
  modes->press("BOOKSHELF");
  EXPECT_EQ(titles(), std::vector<std::string>{"Alpha"});
  modes->shelf.subExtendedSearch();
  modes->pump();
  EXPECT_EQ(titles(), (std::vector<std::string>{"Alpha", "Deep"}));

  restart();
  modes->press("BOOKSHELF");
  ASSERT_EQ(titles(), (std::vector<std::string>{"Alpha", "Deep"}));
  modes->shelf.subBrowseUnit(1, 1);
  modes->pump();
  modes->shelf.subDelete();  // the dialog is confirmed with Enter
  modes->pump();
  EXPECT_EQ(titles(), std::vector<std::string>{"Alpha"});

  restart();
  modes->press("BOOKSHELF");
  EXPECT_EQ(titles(), std::vector<std::string>{"Alpha"});
}

TEST_F(ModesTogetherTest, TheInformationPageSpeaksTheOpenBookAndEscapeReturns) {
  const std::string a = rig.addDrive("A");
  cPagesTestRig::writeBook(a, "Alpha", 4);
  ASSERT_TRUE(modes->reading.fncLoadBook(a));
  modes->press("NEWBOOK");
  modes->run(5000);
  const int32_t point = modes->reading.clsNccReader()->lCurrentTocItem;

  const size_t opened = rig.bookAudio->opened.size();
  modes->press("INFO");
  EXPECT_EQ(modes->current, &modes->info);
  const std::string html = rig.readData("info.html");
  EXPECT_NE(html.find(">Point 1</a></h1>"), std::string::npos);
  EXPECT_NE(html.find("Number of chapters 4"), std::string::npos);
  modes->run(2000);
  ASSERT_GT(rig.bookAudio->opened.size(), opened);
  EXPECT_EQ(fs::path(rig.bookAudio->opened[opened]).filename(), "prompts.wav");  // "Book information"
  EXPECT_TRUE(rig.window.errors.empty()) << rig.window.errors.front();

  modes->info.subEscape();
  modes->pump();
  EXPECT_EQ(modes->current, &modes->reading);
  modes->run(500);
  EXPECT_EQ(rig.bookAudio->opened.back(), fs::path(a) / "a.wav");
  EXPECT_EQ(modes->reading.clsNccReader()->lCurrentTocItem, point);
}

TEST_F(ModesTogetherTest, TheHelpBookPlaysFromItsStartAndEscapeReturnsToTheBook) {
  const std::string a = rig.addDrive("A");
  cPagesTestRig::writeBook(a, "Alpha", 4, 3.0);
  const fs::path helpFolder = rig.program.path() / "help";
  cPagesTestRig::writeBook(helpFolder, "Manual", 3, 1.0);
  fs::rename(helpFolder / "ncc.html", helpFolder / "helpncc.html");

  ASSERT_TRUE(modes->reading.fncLoadBook(a));
  modes->press("NEWBOOK");
  modes->run(7500);  // into point 3
  const int32_t point = modes->reading.clsNccReader()->lCurrentTocItem;
  ASSERT_GE(point, 2);
  const double position = rig.bookPlayer.pdPosition();

  modes->press("HELP");
  EXPECT_EQ(modes->current, &modes->help);
  EXPECT_TRUE(modes->help.bolLoaded());
  EXPECT_EQ(modes->help.fncClassCaption(), "Help");
  modes->run(300);
  EXPECT_EQ(rig.bookAudio->opened.back(), helpFolder / "a.wav");
  EXPECT_EQ(modes->help.clsNccReader()->lCurrentTocItem, 1);
  modes->help.subBrowseUnit(1, 1);  // one phrase on
  modes->run(300);
  EXPECT_EQ(modes->help.clsNccReader()->lCurrentTocItem, 2);

  modes->help.subEscape();
  modes->pump();
  EXPECT_EQ(modes->current, &modes->reading);
  modes->run(200);
  EXPECT_EQ(rig.bookAudio->opened.back(), fs::path(a) / "a.wav");
  EXPECT_EQ(modes->reading.clsNccReader()->lCurrentTocItem, point);
  EXPECT_NEAR(rig.bookPlayer.pdPosition(), position, 2.5);
  modes->run(2000);  // the book plays on; the manual does not hear its clips end
  EXPECT_EQ(modes->help.clsNccReader()->lCurrentTocItem, 2);

  // The manual never becomes the last book read, so it is neither resumed nor listed.
  EXPECT_EQ(rig.app.sLastBookRead, a);
  EXPECT_EQ(fncLoadLastBookRead(rig.app.registry()), a);

  // A second entry starts the manual at its beginning again, without loading it again.
  modes->press("HELP");
  EXPECT_EQ(modes->help.clsNccReader()->lCurrentTocItem, 1);
  modes->press("HELP");  // F1 again toggles back to reading
  EXPECT_EQ(modes->current, &modes->reading);

  restart();
  modes->reading.subControlTimer();
  modes->pump();
  EXPECT_EQ(openFolder(), a + "/");
}

TEST_F(ModesTogetherTest, WithoutTheHelpBookTheErrorIsSpokenAndReadingGoesOn) {
  const std::string a = rig.addDrive("A");
  cPagesTestRig::writeBook(a, "Alpha");
  ASSERT_TRUE(modes->reading.fncLoadBook(a));
  modes->press("NEWBOOK");
  modes->run(500);
  rig.prompts.subclearQue();
  modes->press("HELP");
  EXPECT_EQ(modes->current, &modes->reading);
  const auto keys = rig.queuedKeys();
  ASSERT_FALSE(keys.empty());
  EXPECT_EQ(keys.front(), "err_nohelpfile");
  EXPECT_FALSE(modes->help.bolLoaded());
  modes->run(500);
  EXPECT_EQ(rig.bookAudio->opened.back(), fs::path(a) / "a.wav");
}

TEST_F(ModesTogetherTest, AHostileTitleInAnApostropheFolderIsListedSpokenOpenedAndKept) {
  const std::string a = rig.addDrive("A");
  const std::string folder = a + "/Tom's Books/";
  cPagesTestRig::writeBook(folder, "Tom &amp; &lt;Jerry&gt; &quot;Live&quot;");
  modes->press("BOOKSHELF");
  modes->shelf.subExtendedSearch();
  modes->pump();
  ASSERT_EQ(titles(), std::vector<std::string>{"Tom & <Jerry> \"Live\""});
  modes->run(6000);
  EXPECT_EQ(rig.bookAudio->opened.back(), fs::path(folder) / "a.wav");  // its title is spoken
  EXPECT_TRUE(rig.window.errors.empty()) << rig.window.errors.front();

  restart();
  modes->press("BOOKSHELF");
  ASSERT_EQ(titles(), std::vector<std::string>{"Tom & <Jerry> \"Live\""});
  modes->shelf.subClickedOn(folder, "book1");
  modes->pump();
  EXPECT_EQ(openFolder(), folder);
}

}  // namespace
}  // namespace lyn::testing
