#pragma once
// Writing a file whole or not at all.
//
// fncWriteFileAtomically(path, bytes):
//   writes bytes to "<path>.tmp" in the same folder, flushes it to the disk, and renames it over
//   path. A crash or power loss at any point leaves either the old file or the new one, never a
//   mix. Missing parent folders are created.
//
// Returns true on success. On failure (folder not writable, disk full, rename refused) the old
// file is untouched, the temporary file is removed, and `error` (when given) says why.
//
// `beforeRename`, when given, is called after the temporary file is complete and flushed; when it
// returns false the write stops there, exactly as a crash before the rename would, and the
// function returns false. Tests use it to simulate an interrupted save.
//
// The overload with an AtomicWriteObserver tells the observer of every step as it completes;
// tests end the process there to check that a crash at any step leaves the old file or the new.

#include <filesystem>
#include <functional>
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

// Reads a whole file into `bytes`; false when it cannot be opened or read.
bool fncReadWholeFile(const std::filesystem::path& path, std::string& bytes);

}  // namespace lyn
