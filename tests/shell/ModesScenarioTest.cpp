// The bookshelf, the information page and the help book through the script front end, with books
// on the drives of a fake machine.

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/shell/ScriptRig.h"

namespace lyn::testing {
namespace {

namespace fs = std::filesystem;

// Copies the sample book to `folder`.
void subCopySampleBook(const std::string& folder) {
  fs::create_directories(folder);
  fs::copy(cScriptRig::sampleBook(), folder, fs::copy_options::recursive);
}

// The rig's machine with two removable drives, /media/me/A and /media/me/B, each holding the
// sample book at its root (or, for B, three folders deep when `deep`).
std::pair<std::string, std::string> fncTwoDrives(cScriptRig& rig, bool deep = false) {
  auto& m = rig.machine;
  m.blockDevice("sda", false, "sda1");
  m.blockDevice("sdb", true, "sdb1");
  m.blockDevice("sdc", true, "sdc1");
  m.writeTable({m.mount(20, "8:1", "/", "ext4", "/dev/sda1"),
                m.mount(30, "8:17", "/media/me/A", "vfat", "/dev/sdb1"),
                m.mount(31, "8:33", "/media/me/B", "vfat", "/dev/sdc1")});
  const std::string a = m.at("/media/me/A"), b = m.at("/media/me/B");
  subCopySampleBook(a);
  subCopySampleBook(deep ? b + "/one/two/three" : b);
  return {a, b};
}

bool fncShows(const cScriptRun& run, const std::string& folder, double from) {
  return run.find("show", from, [&](const std::string& r) { return r.find(folder) != std::string::npos; }) !=
         nullptr;
}

TEST(ModesScenario, TheBookshelfListsTheDrivesBooksAndOpensTheSecond) {
  cScriptRig rig;
  const auto [a, b] = fncTwoDrives(rig);
  const auto run = rig.run("wait 2\nF2\nwait 6\nRight\nwait 6\nLeft\nwait 6\nRight\nwait 2\nEnter\nwait 7\nF2\nwait 2\n",
                           a);
  const auto* shelf = run.find("mode", "3", 2);
  ASSERT_NE(shelf, nullptr) << run.text();
  // The count ("2"), then entry 1: its number from the prompts, then the book's recorded title.
  const auto* count = run.find("say", "bok_booksinlist", 2);
  ASSERT_NE(count, nullptr) << run.text();
  EXPECT_NE(run.find("say", "UC_50", count->t), nullptr) << run.text();
  const auto entry = [&](double from, const std::string& folder) {
    struct cSpoken {
      std::string number;
      bool title = false;
    } spoken;
    const auto* title = run.find("clip", from, [&](const std::string& r) { return r.rfind(folder + "/s0001.mp3 0.000 2.407", 0) == 0; });
    const auto clips = run.all("clip", from, title ? title->t : 1e9);
    if (title != nullptr && clips.size() >= 2) spoken = {clips[clips.size() - 2].rest, true};
    return spoken;
  };
  const auto first = entry(count->t, a);
  ASSERT_TRUE(first.title) << run.text();
  // Right speaks entry 2 with another number and B's title; Left entry 1 again, as first spoken.
  const auto* right = run.find("highlight", count->t, [](const std::string& r) { return r.rfind("book2 ", 0) == 0; });
  ASSERT_NE(right, nullptr) << run.text();
  const auto second = entry(right->t, b);
  ASSERT_TRUE(second.title) << run.text();
  EXPECT_NE(second.number, first.number);
  const auto* left = run.find("highlight", right->t + 0.5, [](const std::string& r) { return r.rfind("book1 ", 0) == 0; });
  ASSERT_NE(left, nullptr) << run.text();
  const auto again = entry(left->t, a);
  ASSERT_TRUE(again.title) << run.text();
  EXPECT_EQ(again.number, first.number);
  // Enter on the second entry opens the book of drive B in the reading mode.
  const auto* reading = run.find("mode", "1", 20);
  ASSERT_NE(reading, nullptr) << run.text();
  EXPECT_TRUE(fncShows(run, "/media/me/B", reading->t)) << run.text();
  // The list was playing this book's title from the same file when Enter was pressed: the book's
  // clips of that file are heard whole, each after the one before.
  const auto* third = run.find("clip", reading->t, [](const std::string& r) { return r.rfind("s0001.mp3 5.161", 0) == 0; });
  ASSERT_NE(third, nullptr) << run.text();
  EXPECT_GE(third->t - reading->t, 5.1) << run.text();
  // F2 comes back to the list.
  EXPECT_NE(run.find("mode", "3", reading->t + 1), nullptr) << run.text();
  EXPECT_EQ(run.lines.back().word, "exit");
}

std::string fncSavedList(const cScriptRig& rig) {
  std::ifstream in(rig.folder / "data" / "booklistcontent.html");
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST(ModesScenario, TheExtendedSearchFindsADeepBookThatDeleteRemovesForGood) {
  cScriptRig rig;
  const auto [a, b] = fncTwoDrives(rig, true);
  // Only A's book is at a drive's root; F10 finds B's three folders deep, and it is entry 2.
  const auto found = rig.run("wait 2\nF2\nwait 3\nF10\nwait 5\n", a);
  const auto* search = found.find("say", "sfx_newtitlefound", 2);
  ASSERT_NE(search, nullptr) << found.text();
  const auto* count = found.find("say", "bok_booksinlist", search->t);
  ASSERT_NE(count, nullptr) << found.text();
  EXPECT_NE(found.find("say", "UC_50", count->t), nullptr) << found.text();
  ASSERT_NE(fncSavedList(rig).find("one/two/three"), std::string::npos);

  // After a restart the saved list still has it; Delete asks, Enter confirms.
  const auto deleted = rig.run("wait 2\nF2\nwait 3\nRight\nwait 1\nDelete\nwait 4\nEnter\nwait 3\n", a);
  const auto* asked = deleted.find("say", "gen_delete", 2);
  ASSERT_NE(asked, nullptr) << deleted.text();
  const auto* yes = deleted.find("dialog-result", asked->t, [](const std::string& r) { return r.find(" yes") != std::string::npos; });
  ASSERT_NE(yes, nullptr) << deleted.text();
  const auto* one = deleted.find("say", "bok_booksinlist", yes->t);
  ASSERT_NE(one, nullptr) << deleted.text();
  EXPECT_NE(deleted.find("say", "UC_49", one->t), nullptr) << deleted.text();

  // Gone for good: a restart lists one book, A's.
  const auto after = rig.run("wait 2\nF2\nwait 3\n", a);
  const auto* listed = after.find("say", "bok_booksinlist", 2);
  ASSERT_NE(listed, nullptr) << after.text();
  EXPECT_NE(after.find("say", "UC_49", listed->t), nullptr) << after.text();
  const std::string list = fncSavedList(rig);
  EXPECT_EQ(list.find("one/two/three"), std::string::npos) << list;
  EXPECT_NE(list.find("/media/me/A"), std::string::npos) << list;
}

TEST(ModesScenario, AHostileTitleInAFolderWithAnApostropheIsListedSpokenOpenedAndKept) {
  cScriptRig rig;
  const auto [a, b] = fncTwoDrives(rig);
  const std::string folder = a + "/Tom's Books";
  subCopySampleBook(folder);
  {
    std::ifstream in(folder + "/ncc.html");
    std::string ncc{std::istreambuf_iterator<char>(in), {}};
    const std::string from = "The Lighthouse at Gull Point";
    for (size_t at; (at = ncc.find(from)) != std::string::npos;)
      ncc.replace(at, from.size(), "Tom &amp; &lt;Jerry&gt; &quot;x&quot;");
    std::ofstream(folder + "/ncc.html", std::ios::trunc) << ncc;
  }
  const std::string title = "Tom & <Jerry> \"x\"";
  const auto isTitle = [&](const std::string& r) { return r.size() > title.size() && r.ends_with(" " + title); };
  const auto titleClip = [&](const std::string& r) { return r.rfind(folder + "/s0001.mp3 0.000 2.407", 0) == 0; };

  // The book is the last one read, so the list has it: shown with its title, which is spoken.
  const auto first = rig.run("wait 2\nF2\nwait 6\nEnter\nwait 2\n", folder);
  const auto* listed = first.find("highlight", 2, isTitle);
  ASSERT_NE(listed, nullptr) << first.text();
  EXPECT_NE(first.find("clip", listed->t, titleClip), nullptr) << first.text();
  const auto* opened = first.find("mode", "1", listed->t);
  ASSERT_NE(opened, nullptr) << first.text();
  EXPECT_TRUE(fncShows(first, folder + "/ncc.html", opened->t)) << first.text();
  const std::string list = fncSavedList(rig);
  EXPECT_EQ(list.find("<Jerry>"), std::string::npos) << list;

  // After a restart with another book, only the saved list brings it back (it is at no drive's
  // root): entry 3 of 3, spoken and opened.
  const auto second = rig.run("wait 2\nF2\nwait 5\nRight\nwait 5\nRight\nwait 5\nEnter\nwait 2\n", a);
  const auto* count = second.find("say", "bok_booksinlist", 2);
  ASSERT_NE(count, nullptr) << second.text();
  EXPECT_NE(second.find("say", "UC_51", count->t), nullptr) << second.text();
  const auto* again = second.find("highlight", count->t, isTitle);
  ASSERT_NE(again, nullptr) << second.text();
  EXPECT_EQ(again->rest.rfind("book3 ", 0), 0u) << second.text();
  EXPECT_NE(second.find("clip", again->t, titleClip), nullptr) << second.text();
  const auto* reopened = second.find("mode", "1", again->t);
  ASSERT_NE(reopened, nullptr) << second.text();
  EXPECT_TRUE(fncShows(second, folder + "/ncc.html", reopened->t)) << second.text();
}

TEST(ModesScenario, F9SpeaksTheInformationAndEscapeReturns) {
  cScriptRig rig;
  const auto run = rig.run("wait 3\nF9\nwait 4\nEscape\nwait 2\n", cScriptRig::sampleBook());
  const auto* info = run.find("mode", "4", 3);
  ASSERT_NE(info, nullptr) << run.text();
  // The page is a small talking book: its title item is shown and the book's own title clip plays.
  const auto* title = run.find("highlight", info->t, [](const std::string& r) {
    return r.rfind("title The Lighthouse", 0) == 0;
  });
  ASSERT_NE(title, nullptr) << run.text();
  EXPECT_NE(run.find("clip", title->t, [](const std::string& r) { return r.find("sample-book/s0001") != std::string::npos; }),
            nullptr)
      << run.text();
  const auto* back = run.find("mode", "1", info->t);
  ASSERT_NE(back, nullptr) << run.text();
  EXPECT_GT(back->t, 6.9);
}

TEST(ModesScenario, F1PlaysTheHelpBookAndEscapeReturnsToTheBook) {
  cScriptRig rig;
  const auto run = rig.run("wait 3\nF1\nwait 3\nRight\nwait 2\nEscape\nwait 2\n", cScriptRig::sampleBook());
  const auto* help = run.find("mode", "2", 3);
  ASSERT_NE(help, nullptr) << run.text();
  EXPECT_NE(run.find("clip", help->t, [](const std::string& r) { return !r.empty(); }), nullptr) << run.text();
  const auto* back = run.find("mode", "1", help->t);
  ASSERT_NE(back, nullptr) << run.text();
  EXPECT_TRUE(fncShows(run, "sample-book", back->t)) << run.text();
}

}  // namespace
}  // namespace lyn::testing
