#pragma once
// Writing a file whole or not at all.
//
// fncWriteFileAtomically(path, bytes):
//   writes bytes to a new temporary file in the target's folder, flushes it to the disk, and
//   renames it over the target. A crash or power loss at any point leaves either the old file or
//   the new one, never a mix. Missing parent folders are created.
//
//   - The temporary file ("<name>.tmp", or "<name>.tmp<n>" when that name is taken) is created
//     exclusively (O_CREAT | O_EXCL | O_NOFOLLOW): whatever already has that name, a link above
//     all, is never opened, followed or replaced.
//   - A target that is a symbolic link is written through: the link stays and the file it
//     leads to is replaced, as editors do.
//   - A target that exists but is not a regular file (a folder, a FIFO, a device) is refused and
//     left as it is.
//   - The new file keeps the old file's permission bits (a private 0600 file stays private);
//     a new file gets 0644 less the umask.
//
// Returns true on success. On failure (folder not writable, disk full, rename refused) the old
// file is untouched, the temporary file is removed, and `error` (when given) names the file and
// says why.
//
// `beforeRename`, when given, is called after the temporary file is complete and flushed; when it
// returns false the write stops there, exactly as a crash before the rename would, and the
// function returns false. Tests use it to simulate an interrupted save.
//
// The overload with an AtomicWriteObserver tells the observer of every step as it completes;
// tests end the process there to check that a crash at any step leaves the old file or the new.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace lyn {

bool fncWriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                            std::string* error = nullptr,
                            const std::function<bool()>& beforeRename = {});

enum class eAtomicWriteStep { TemporaryCreated, DataWritten, DataFlushed, Renamed, FolderSynced };
using AtomicWriteObserver = std::function<void(eAtomicWriteStep)>;
bool fncWriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                            std::string* error, const AtomicWriteObserver& onStep);

// The file a write to `path` lands on: `path` itself, or the end of its chain of symbolic links
// (relative links taken from the link's folder). Gives `path` unchanged when it is no link;
// fails (nothing) on a loop or a chain longer than 40 links.
std::optional<std::filesystem::path> fncWriteTarget(const std::filesystem::path& path,
                                                    std::string* error = nullptr);

// Moves `from` to the first free name of "<from><suffix>", "<from><suffix>.1", ".2", ...;
// an existing file of such a name is never replaced. Gives the name used, or nothing (and
// `error`) when it could not be moved.
std::optional<std::filesystem::path> fncSetAside(const std::filesystem::path& from,
                                                 std::string_view suffix,
                                                 std::string* error = nullptr);

// Reads a whole regular file of at most 1 GiB into `bytes`; false when it cannot be opened or
// read, or is no regular file. For the player's own files, which have tighter limits, use
// fncReadRegularFile.
bool fncReadWholeFile(const std::filesystem::path& path, std::string& bytes);

}  // namespace lyn
