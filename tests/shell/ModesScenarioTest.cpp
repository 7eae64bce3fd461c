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

TEST(ModesScenario, TheExtendedSearchFindsADeepBookThatDeleteRemovesForGood) {
  cScriptRig rig;
  const auto [a, b] = fncTwoDrives(rig, true);
  const auto first = rig.run("wait 2\nF2\nwait 3\nF10\nwait 6\n", a);
  ASSERT_NE(first.find("mode", "3", 2), nullptr) << first.text();
  std::string list;
  ASSERT_TRUE(fs::exists(rig.folder / "data" / "booklistcontent.html")) << first.text();
  {
    std::ifstream in(rig.folder / "data" / "booklistcontent.html");
    list.assign(std::istreambuf_iterator<char>(in), {});
  }
  EXPECT_NE(list.find("three"), std::string::npos) << list;
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
