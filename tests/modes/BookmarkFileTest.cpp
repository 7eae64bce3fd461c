// The bookmark file: its records, what counts as damaged, strings cut to fit, the file name, and
// saves interrupted at every step.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>

#include "modes/cBookmarkFile.h"
#include "platform/files/TextCase.h"
#include "tests/TempFolder.h"

namespace lyn {
namespace {

cBookmark fncMark(int32_t point, double position, std::string smil = "s1.smil") {
  cBookmark b;
  b.sSmilFile = std::move(smil);
  b.sSmilID = "p" + std::to_string(point);
  b.lTocPosition = point;
  b.dAudioPosition = position;
  b.lPhraseNumber = 2;
  b.sAudioFile = "s1.wav";
  return b;
}

BookmarkList fncThreeWithAGap() {
  return {fncMark(1, -1), fncMark(2, 12.5), std::nullopt, fncMark(3, 40.25)};
}

bool fncbValidUtf8(std::string_view text) {
  for (size_t at = 0; at < text.size();) {
    char32_t c = 0;
    const size_t n = fncDecodeUtf8(text, at, c);
    if (n == 0) return false;
    at += n;
  }
  return true;
}

TEST(BookmarkFile, RecordsAreFixedAndLittleEndianAndEmptySlotsAreLeftOut) {
  const std::string bytes = fncEncodeBookmarkFile(fncThreeWithAGap());
  ASSERT_EQ(bytes.size(), (3 + 8 * 3) * kBookmarkRecordBytes);
  EXPECT_EQ(bytes.substr(0, 25), std::string("\x17\0LYN Reader bookmarkfile", 25));
  EXPECT_EQ(bytes.substr(128, 5), std::string("\x03\0"
                                              "1.0",
                                              5));
  EXPECT_EQ(bytes.substr(256, 4), std::string("\x02\0\0\0", 4)) << "two user bookmarks";
  EXPECT_EQ(bytes.substr(260, 124), std::string(124, '\0'));
  // Element 1 (file order) starts with its position, 12.5 as an IEEE double.
  const size_t second = (3 + 8) * 128;
  EXPECT_EQ(bytes.substr(second, 8), std::string("\0\0\0\0\0\0\x29\x40", 8));

  const auto back = fncDecodeBookmarkFile(bytes, 3);
  ASSERT_TRUE(back);
  ASSERT_EQ(back->size(), 3u);
  EXPECT_EQ((*back)[0], fncMark(1, -1));
  EXPECT_EQ((*back)[1], fncMark(2, 12.5));
  EXPECT_EQ((*back)[2], fncMark(3, 40.25)) << "renumbered: the third slot is now the second";
}

TEST(BookmarkFile, DamagedFilesAreRecognised) {
  const std::string good = fncEncodeBookmarkFile(fncThreeWithAGap());
  ASSERT_TRUE(fncDecodeBookmarkFile(good, 3));
  auto with = [&](size_t at, std::string_view patch) {
    std::string bytes = good;
    bytes.replace(at, patch.size(), patch);
    return bytes;
  };
  const size_t entry0 = 3 * 128;
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"foreign header", with(2, "XYN")},
      {"other version", with(130, "2.0")},
      {"negative count", with(256, std::string("\xff\xff\xff\xff", 4))},
      {"count beyond the size", with(256, std::string("\x03\0\0\0", 4))},
      {"truncated", good.substr(0, good.size() - 1)},
      {"empty", ""},
      {"string too long", with(entry0 + 3 * 128, std::string("\x7f\0", 2))},
      {"point 0", with(entry0 + 2 * 128, std::string("\0\0\0\0", 4))},
      {"point beyond the book", with(entry0 + 2 * 128, std::string("\x04\0\0\0", 4))},
      {"not a number", with(entry0, std::string("\0\0\0\0\0\0\xf8\x7f", 8))},
  };
  for (const auto& [what, bytes] : cases) EXPECT_FALSE(fncDecodeBookmarkFile(bytes, 3)) << what;
  EXPECT_FALSE(fncDecodeBookmarkFile(good, 2)) << "a point the book no longer has";
}

TEST(BookmarkFile, LongStringsAreCutOnACharacterBoundaryAndReadBack) {
  std::string twoByte, threeByte;
  for (int i = 0; i < 100; ++i) twoByte += "\xc3\xa9";        // é
  for (int i = 0; i < 100; ++i) threeByte += "\xe2\x82\xac";  // €
  EXPECT_EQ(fncCutUtf8(twoByte, 126).size(), 126u);
  EXPECT_EQ(fncCutUtf8(threeByte, 126).size(), 126u);
  EXPECT_EQ(fncCutUtf8("a" + threeByte, 126).size(), 124u);
  BookmarkList list = {fncMark(1, 3)};
  list[0]->sSmilID = "a" + threeByte;
  list[0]->sOther = twoByte + "x";
  const auto back = fncDecodeBookmarkFile(fncEncodeBookmarkFile(list), 1);
  ASSERT_TRUE(back);
  EXPECT_EQ((*back)[0].sSmilID.size(), 124u);
  EXPECT_TRUE(fncbValidUtf8((*back)[0].sSmilID));
  EXPECT_TRUE(fncbValidUtf8((*back)[0].sOther));
  EXPECT_EQ((*back)[0].sAudioFile, "s1.wav");
}

TEST(BookmarkFile, NamesKeepBooksOfOneTitleApartButNotTheVolumesOfASet) {
  EXPECT_EQ(fncFnv1a64(""), 0xcbf29ce484222325ull);
  EXPECT_EQ(fncFnv1a64("a"), 0xaf63dc4c8601ec8cull);
  EXPECT_EQ(fncBookmarkFileName("My Book: 2", "", false), "MYgBOOKgg2.bin");
  EXPECT_EQ(fncBookmarkFileName("My Book: 2", "isbn-1", true), "MYgBOOKgg2.bin");
  const std::string one = fncBookmarkFileName("My Book: 2", "isbn-1", false);
  const std::string two = fncBookmarkFileName("My Book: 2", "isbn-2", false);
  EXPECT_NE(one, two);
  EXPECT_EQ(one, "MYgBOOKgg2-2e68ae378c2c78af.bin") << "the same name on every machine";
}

TEST(BookmarkFile, ReadingTellsMissingFromDamaged) {
  testing::TempFolder folder;
  EXPECT_EQ(fncReadBookmarkFile(folder / "none.bin", 3).enState, eBookmarkFileState::Missing);
  ASSERT_TRUE(fncWriteBookmarkFile(folder / "a.bin", fncThreeWithAGap()));
  const auto read = fncReadBookmarkFile(folder / "a.bin", 3);
  EXPECT_EQ(read.enState, eBookmarkFileState::Loaded);
  EXPECT_EQ(read.entries.size(), 3u);
  std::filesystem::create_directory(folder / "dir.bin");
  EXPECT_EQ(fncReadBookmarkFile(folder / "dir.bin", 3).enState, eBookmarkFileState::Damaged);
  ASSERT_TRUE(fncSetBookmarkFileAside(folder / "a.bin"));
  ASSERT_TRUE(fncWriteBookmarkFile(folder / "a.bin", fncThreeWithAGap()));
  ASSERT_TRUE(fncSetBookmarkFileAside(folder / "a.bin"));
  EXPECT_TRUE(std::filesystem::exists(folder / "a.bin.damaged"));
  EXPECT_TRUE(std::filesystem::exists(folder / "a.bin.damaged.1")) << "an older one is kept";
}

// A save that the process does not survive, at each of its steps, leaves the old file or the new
// one, each whole.
TEST(BookmarkFile, ASaveCutShortAtAnyStepLeavesTheOldFileOrTheNew) {
  const BookmarkList oldList = {fncMark(1, 5)};
  const BookmarkList newList = {fncMark(2, 30), fncMark(3, 7)};
  for (const auto step :
       {eAtomicWriteStep::TemporaryCreated, eAtomicWriteStep::DataWritten,
        eAtomicWriteStep::DataFlushed, eAtomicWriteStep::Renamed, eAtomicWriteStep::FolderSynced}) {
    testing::TempFolder folder;
    const auto path = folder / "book.bin";
    ASSERT_TRUE(fncWriteBookmarkFile(path, oldList));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      fncWriteBookmarkFile(path, newList, nullptr, [step](eAtomicWriteStep reached) {
        if (reached == step) ::_exit(0);
      });
      ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const auto read = fncReadBookmarkFile(path, 3);
    ASSERT_EQ(read.enState, eBookmarkFileState::Loaded) << "step " << int(step);
    const bool renamed =
        step == eAtomicWriteStep::Renamed || step == eAtomicWriteStep::FolderSynced;
    EXPECT_EQ(read.entries.size(), renamed ? 2u : 1u) << "step " << int(step);
    EXPECT_EQ(read.entries[0].lTocPosition, renamed ? 2 : 1) << "step " << int(step);
  }
}

}  // namespace
}  // namespace lyn
