#include "disk/cFindFile.h"

#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <optional>

#include "tests/platform/drives/FakeMachine.h"

namespace lyn {
namespace {

using test::makeFolder;
using test::writeFile;

// Records the listener calls in order: "enter <folder>" and "book <path>".
class cRecorder : public iSearchOwner {
 public:
  void subSearchingPath(const std::string& folder) override {
    calls.push_back("enter " + folder);
    ++entered;
    if (onEnter) onEnter(folder);
  }
  void subIncomingBook(const std::string& ncc) override {
    calls.push_back("book " + ncc);
    books.push_back(ncc);
    if (onBook) onBook(ncc);
  }
  std::vector<std::string> calls;
  std::vector<std::string> books;
  int entered = 0;
  std::function<void(const std::string&)> onEnter;
  std::function<void(const std::string&)> onBook;
};

// The finds without the empty slot 0.
std::vector<std::string> finds(const std::vector<std::string>& results) {
  EXPECT_FALSE(results.empty());
  EXPECT_EQ(results.empty() ? "x" : results[0], "");
  return results.empty() ? results : std::vector<std::string>(results.begin() + 1, results.end());
}

class FindFile : public ::testing::Test {
 protected:
  FindFile() : drive(temp.path() + "/STICK") {
    makeFolder(drive);
    search.oSearchOwner = &recorder;
    search.sDriveRoot = drive;
  }
  test::cTempFolder temp;
  std::string drive;
  cRecorder recorder;
  cFindFile search;
};

TEST_F(FindFile, FindsDepthFirstEachFolderBeforeItsSubfoldersInByteOrderWhateverTheCase) {
  writeFile(drive + "/b/NCC.HTML");
  writeFile(drive + "/b/x/Ncc.Html");
  writeFile(drive + "/a/ncc.html");
  writeFile(drive + "/B/ncc.html");
  writeFile(drive + "/ncc.html");
  writeFile(drive + "/c/notes.txt");
  makeFolder(drive + "/d/ncc.html");  // a folder of that name is no book

  auto results = search.fncavntFindNccs(drive);
  const std::vector<std::string> expected = {drive + "/ncc.html", drive + "/B/ncc.html", drive + "/a/ncc.html",
                                             drive + "/b/NCC.HTML", drive + "/b/x/Ncc.Html"};
  EXPECT_EQ(finds(results), expected);
  EXPECT_EQ(recorder.books, expected);
  const std::vector<std::string> calls = {
      "enter " + drive,          "book " + drive + "/ncc.html",  "enter " + drive + "/B",
      "book " + drive + "/B/ncc.html", "enter " + drive + "/a", "book " + drive + "/a/ncc.html",
      "enter " + drive + "/b",   "book " + drive + "/b/NCC.HTML", "enter " + drive + "/b/x",
      "book " + drive + "/b/x/Ncc.Html", "enter " + drive + "/c", "enter " + drive + "/d",
      "enter " + drive + "/d/ncc.html"};
  EXPECT_EQ(recorder.calls, calls);
}

TEST_F(FindFile, AFolderWithSeveralSpellingsOfTheNccReportsOneTheExactSpellingFirst) {
  writeFile(drive + "/a/NCC.HTML");
  writeFile(drive + "/a/ncc.html");
  writeFile(drive + "/b/Ncc.html");
  writeFile(drive + "/b/NCC.html");
  auto results = finds(search.fncavntFindNccs(drive));
  const std::vector<std::string> expected = {drive + "/a/ncc.html", drive + "/b/NCC.html"};
  EXPECT_EQ(results, expected);
}

TEST_F(FindFile, TheRecycleAndTrashFoldersAtTheDrivesRootAreNotSearched) {
  for (const char* trash : {"RECYCLED", "Recycler", "$RECYCLE.BIN", ".Trash", ".Trash-1000", ".trash-0"})
    writeFile(drive + "/" + trash + "/book/ncc.html");
  writeFile(drive + "/.Trash-me/ncc.html");
  writeFile(drive + "/books/RECYCLED/ncc.html");
  writeFile(drive + "/home/.local/share/Trash/files/book/ncc.html");
  auto results = finds(search.fncavntFindNccs(drive));
  const std::vector<std::string> expected = {drive + "/.Trash-me/ncc.html", drive + "/books/RECYCLED/ncc.html"};
  EXPECT_EQ(results, expected);
  for (const auto& call : recorder.calls) EXPECT_EQ(call.find("Trash-1000"), std::string::npos) << call;

  // Searching the recycle folder itself finds nothing either.
  EXPECT_EQ(finds(search.fncavntFindNccs(drive + "/RECYCLED")).size(), 0u);
}

TEST_F(FindFile, SymbolicLinksToFoldersAreNotFollowedSoALoopEnds) {
  writeFile(temp.path() + "/outside/book/ncc.html");
  writeFile(drive + "/in/ncc.html");
  ASSERT_EQ(::symlink((temp.path() + "/outside").c_str(), (drive + "/outside").c_str()), 0);
  ASSERT_EQ(::symlink("..", (drive + "/in/loop").c_str()), 0);
  ASSERT_EQ(::symlink(".", (drive + "/self").c_str()), 0);
  // A linked NCC file is still a book.
  writeFile(temp.path() + "/real.html");
  makeFolder(drive + "/linked");
  ASSERT_EQ(::symlink((temp.path() + "/real.html").c_str(), (drive + "/linked/ncc.html").c_str()), 0);

  auto results = finds(search.fncavntFindNccs(drive));
  const std::vector<std::string> expected = {drive + "/in/ncc.html", drive + "/linked/ncc.html"};
  EXPECT_EQ(results, expected);
  for (const auto& call : recorder.calls) EXPECT_EQ(call.find("outside"), std::string::npos) << call;
}

TEST_F(FindFile, TheStartFolderMayBeALinkAndMayEndInASeparator) {
  writeFile(drive + "/a/ncc.html");
  ASSERT_EQ(::symlink(drive.c_str(), (temp.path() + "/link").c_str()), 0);
  auto results = finds(search.fncavntFindNccs(temp.path() + "/link/"));
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0], temp.path() + "/link/a/ncc.html");

  // A relative folder gives full paths, and the trash rule still holds.
  writeFile(drive + "/RECYCLED/ncc.html");
  const std::string startFolder = std::filesystem::current_path().string();
  ASSERT_EQ(::chdir(temp.path().c_str()), 0);
  results = finds(search.fncavntFindNccs("STICK"));
  ASSERT_EQ(::chdir(startFolder.c_str()), 0);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0], drive + "/a/ncc.html");
}

// Runs `body` in a child process that permissions bind even when the tests run as root (the
// capabilities that pass over them are dropped there). Its result is the child's exit status;
// nothing when permissions cannot be made to hold.
std::optional<int> runBoundByPermissions(const std::function<int()>& body) {
  if (::geteuid() != 0) return body();
  pid_t child = ::fork();
  if (child < 0) return std::nullopt;
  if (child == 0) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (::syscall(SYS_capget, &header, data) != 0) ::_exit(77);
    data[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
    if (::syscall(SYS_capset, &header, data) != 0) ::_exit(77);
    ::_exit(body());
  }
  int status = 0;
  if (::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) == 77) return std::nullopt;
  return WEXITSTATUS(status);
}

TEST_F(FindFile, AFolderThatCannotBeReadIsPassedAndTheSearchGoesOn) {
  writeFile(drive + "/a/locked/ncc.html");
  writeFile(drive + "/a/locked/inner/ncc.html");
  writeFile(drive + "/a/listonly/sub/ncc.html");
  writeFile(drive + "/b/ncc.html");
  ASSERT_EQ(::chmod((drive + "/a/locked").c_str(), 0), 0);
  // Listable but not enterable: its subfolders are named but cannot be opened.
  ASSERT_EQ(::chmod((drive + "/a/listonly").c_str(), 0400), 0);
  auto result = runBoundByPermissions([&] {
    auto results = finds(search.fncavntFindNccs(drive));
    const std::vector<std::string> expected = {drive + "/b/ncc.html"};
    return results == expected ? 0 : 1;
  });
  if (!result) GTEST_SKIP() << "permissions cannot be made to hold here";
  EXPECT_EQ(*result, 0);
}

TEST_F(FindFile, AFolderThatVanishesDuringTheSearchIsPassed) {
  writeFile(drive + "/a/ncc.html");
  writeFile(drive + "/b/ncc.html");
  writeFile(drive + "/c/ncc.html");
  recorder.onEnter = [&](const std::string& folder) {
    if (folder == drive + "/a") std::filesystem::remove_all(drive + "/b");
  };
  auto results = finds(search.fncavntFindNccs(drive));
  const std::vector<std::string> expected = {drive + "/a/ncc.html", drive + "/c/ncc.html"};
  EXPECT_EQ(results, expected);
  EXPECT_EQ(finds(search.fncavntFindNccs(temp.path() + "/no-such-folder")).size(), 0u);
  EXPECT_EQ(finds(search.fncavntFindNccs("")).size(), 0u);
}

TEST_F(FindFile, NamesThatAreNotUtf8AndPathsOfFourThousandCharactersAreFound) {
  const std::string odd = drive + "/caf\xE9 \xFF\xFE";
  writeFile(odd + "/ncc.html");
  std::string deep = drive + "/deep";
  while (deep.size() < 3980) deep += "/" + std::string(60, 'd');
  writeFile(deep + "/ncc.html");
  ASSERT_GE((deep + "/ncc.html").size(), 4000u);

  auto results = finds(search.fncavntFindNccs(drive));
  const std::vector<std::string> expected = {odd + "/ncc.html", deep + "/ncc.html"};
  EXPECT_EQ(results, expected);
}

TEST_F(FindFile, AFolderBeyondTheLongestPathIsPassed) {
  // Made through relative steps, as no full path of that length can be opened.
  std::string deep = drive + "/deep";
  makeFolder(deep);
  const std::string startFolder = std::filesystem::current_path().string();
  ASSERT_EQ(::chdir(deep.c_str()), 0);
  const std::string part(200, 'p');
  int levels = 0;
  for (; levels < 25; ++levels) {
    if (::mkdir(part.c_str(), 0700) != 0 || ::chdir(part.c_str()) != 0) break;
  }
  std::ofstream("ncc.html") << "";
  ASSERT_EQ(::chdir(startFolder.c_str()), 0);
  ASSERT_EQ(levels, 25);
  writeFile(drive + "/z/ncc.html");

  auto results = finds(search.fncavntFindNccs(drive));
  const std::vector<std::string> expected = {drive + "/z/ncc.html"};
  EXPECT_EQ(results, expected);

  // Take it apart the same way.
  ASSERT_EQ(::chdir(deep.c_str()), 0);
  for (int i = 0; i < levels; ++i) ASSERT_EQ(::chdir(part.c_str()), 0);
  ::unlink("ncc.html");
  for (int i = 0; i < levels; ++i) {
    ASSERT_EQ(::chdir(".."), 0);
    ::rmdir(part.c_str());
  }
  ASSERT_EQ(::chdir(startFolder.c_str()), 0);
}

// A tree of `folders` folders, ten to a level, with a book in every `every`-th.
void makeTree(const std::string& root, int folders, int every) {
  std::vector<std::string> queue = {root};
  int made = 0;
  for (size_t i = 0; made < folders; ++i) {
    for (int child = 0; child < 10 && made < folders; ++child, ++made) {
      std::string folder = queue[i] + "/f" + std::to_string(child);
      makeFolder(folder);
      queue.push_back(folder);
      if (made % every == 0) writeFile(folder + "/ncc.html");
    }
  }
}

TEST_F(FindFile, AnAbortEntersNoFurtherFolderAndReturnsTheBooksFoundSoFar) {
  makeTree(drive, 1000, 10);
  int enteredAtAbort = 0;
  recorder.onEnter = [&](const std::string&) {
    if (recorder.entered == 300) {
      search.subAbortSearch();
      enteredAtAbort = recorder.entered;
    }
  };
  auto results = finds(search.fncavntFindNccs(drive));
  EXPECT_EQ(recorder.entered, enteredAtAbort);
  EXPECT_EQ(results, recorder.books);
  EXPECT_FALSE(results.empty());
  EXPECT_LT(results.size(), 100u);
  // The flag stays set: the same root starts nothing until it is cleared.
  EXPECT_EQ(finds(search.fncavntFindNccs(drive)).size(), 0u);
  search.mbAbort = false;
  recorder.onEnter = nullptr;
  EXPECT_EQ(finds(search.fncavntFindNccs(drive)).size(), 100u);
}

TEST_F(FindFile, AnAbortWhenABookComesInStopsThereAndOnlyTheRootsFlagCounts) {
  makeTree(drive, 200, 10);
  recorder.onBook = [&](const std::string&) {
    if (recorder.books.size() == 3) search.subAbortSearch();
  };
  EXPECT_EQ(finds(search.fncavntFindNccs(drive)).size(), 3u);

  // A searcher that belongs to another root consults that root's flag, and aborts it.
  cFindFile root;
  cFindFile child;
  child.oSearchRoot = &root;
  child.mbAbort = true;
  EXPECT_EQ(finds(child.fncavntFindNccs(drive)).size(), 20u);
  child.subAbortSearch();
  EXPECT_TRUE(root.mbAbort);
  EXPECT_EQ(finds(child.fncavntFindNccs(drive)).size(), 0u);
}

TEST_F(FindFile, ASecondSearchOnTheSameRootFromTheListenerFindsNothingAndLeavesTheFirstAlone) {
  writeFile(drive + "/a/ncc.html");
  writeFile(drive + "/b/ncc.html");
  size_t nested = 99;
  recorder.onEnter = [&](const std::string& folder) {
    if (folder == drive + "/a") nested = finds(search.fncavntFindNccs(drive)).size();
  };
  EXPECT_EQ(finds(search.fncavntFindNccs(drive)).size(), 2u);
  EXPECT_EQ(nested, 0u);
}

TEST(FindFileOnThisMachine, TheSearchStaysOnTheFileSystemItStartedOn) {
  // /dev usually holds other mounts (/dev/shm, /dev/pts): none of them may be entered.
  struct stat dev {};
  ASSERT_EQ(::stat("/dev", &dev), 0);
  cRecorder recorder;
  cFindFile search;
  search.oSearchOwner = &recorder;
  search.fncavntFindNccs("/dev");
  ASSERT_GT(recorder.entered, 0);
  for (const auto& call : recorder.calls) {
    struct stat st {};
    std::string folder = call.substr(6);
    if (::stat(folder.c_str(), &st) == 0) {
      EXPECT_EQ(st.st_dev, dev.st_dev) << folder;
    }
  }
}

TEST_F(FindFile, FileExistsMatchesWildcardsAndNamesWithoutRegardToCase) {
  writeFile(drive + "/Books/Moby/NCC.HTML");
  writeFile(drive + "/Books/Moby/chapter01.smil");
  makeFolder(drive + "/Empty");
  EXPECT_TRUE(search.fncbFileExists(drive + "/Books/Moby/NCC.HTML"));
  EXPECT_TRUE(search.fncbFileExists(drive + "/books/moby/ncc.html"));
  EXPECT_TRUE(search.fncbFileExists(drive + "/BOOKS/Moby/*.smil"));
  EXPECT_TRUE(search.fncbFileExists(drive + "/Books/Moby/CHAPTER??.SMIL"));
  EXPECT_TRUE(search.fncbFileExists(drive + "/Books/Moby/*.*"));
  EXPECT_TRUE(search.fncbFileExists(drive + "/Books"));
  EXPECT_FALSE(search.fncbFileExists(drive + "/Books/Moby/*.mp3"));
  EXPECT_FALSE(search.fncbFileExists(drive + "/Books/Moby/chapter?.smil"));
  EXPECT_FALSE(search.fncbFileExists(drive + "/Empty/*.*"));
  EXPECT_FALSE(search.fncbFileExists(drive + "/Missing/*.*"));
  EXPECT_FALSE(search.fncbFileExists(drive + "/Books/Moby/ncc.htm"));
  EXPECT_FALSE(search.fncbFileExists(""));
}

}  // namespace
}  // namespace lyn
