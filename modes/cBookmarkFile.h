#pragma once
// The bookmark file of one book: a sequence of 128-byte records, each value at the start of its
// own record and the rest of the record zeros. Numbers are little-endian; a string is a 16-bit
// byte count followed by that many bytes of UTF-8, so it holds at most 126 bytes.
//
//   record 1   "LYN Reader bookmarkfile"
//   record 2   "1.0"
//   record 3   n, 32-bit signed: the user bookmarks that follow element 0
//   then, for element 0 and each of the n user bookmarks, eight records:
//              dAudioPosition (IEEE double), lPhraseNumber (32-bit), lTocPosition (32-bit),
//              sAudioFile, sOther, sSmilFile, sSmilID, sTextNote
//
// Empty slots of a list are not written, so a list read back numbers its bookmarks 1 to n.
//
// A file is damaged unless both header strings match, 0 <= n, the file holds 3 + 8 * (n + 1)
// records, every length is at most 126 and every navigation point number lies in the book.
// Strings longer than a record holds are cut on a character boundary when written, so every
// file this code writes reads back.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "modes/cBookmark.h"
#include "platform/storage/cAtomicFile.h"

namespace lyn {

// Index 0 is the automatic reading position; 1.. the user's bookmarks, an empty slot once
// deleted.
using BookmarkList = std::vector<std::optional<cBookmark>>;

inline constexpr size_t kBookmarkRecordBytes = 128;
inline constexpr size_t kBookmarkStringBytes = 126;
// About 8000 bookmarks; a larger file is taken as damaged rather than read.
inline constexpr uint64_t kBookmarkFileMaxBytes = 8u << 20;

// The first `maxBytes` bytes of `text`, cut back to the start of the character they would split.
std::string fncCutUtf8(std::string_view text, size_t maxBytes);

// The file's bytes for `list` (element 0 must be there; empty user slots are left out).
std::string fncEncodeBookmarkFile(const BookmarkList& list);
// Element 0 and the user bookmarks of a file's bytes; nothing when they are damaged (see above).
// `ilTocItems` is the number of navigation points of the book.
std::optional<std::vector<cBookmark>> fncDecodeBookmarkFile(std::string_view bytes,
                                                            int32_t ilTocItems);

enum class eBookmarkFileState {
  Loaded,   // entries hold element 0 and the user bookmarks
  Missing,  // no such file
  Damaged,  // present but unreadable, too large or not a bookmark file of this book
};
struct cBookmarkFileContent {
  eBookmarkFileState enState = eBookmarkFileState::Missing;
  std::vector<cBookmark> entries;
  std::string sError;  // why it is damaged
};
cBookmarkFileContent fncReadBookmarkFile(const std::filesystem::path& path, int32_t ilTocItems);

// Writes `list` whole or not at all. `onStep` (tests) is told of every step of the write.
bool fncWriteBookmarkFile(const std::filesystem::path& path, const BookmarkList& list,
                          std::string* error = nullptr, const AtomicWriteObserver& onStep = {});

// Where a damaged file goes: "<path>.damaged" (then ".damaged.1", ...), never replacing one.
// False when it could not be moved.
bool fncSetBookmarkFileAside(const std::filesystem::path& path, std::string* error = nullptr);

// 64-bit FNV-1a: a hash that stays the same on every machine and in every build.
uint64_t fncFnv1a64(std::string_view text);

// The file name of a book's bookmarks: the safe form of its title, plus, for a single-volume
// book with an identifier, "-" and 16 hexadecimal digits of the identifier's hash, so that two
// books of one title keep apart. The volumes of a set share the plain name on purpose.
std::string fncBookmarkFileName(std::string_view isTitle, std::string_view isIdentifier,
                                bool ibolMultivolume);

}  // namespace lyn
