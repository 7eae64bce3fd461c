#pragma once
// Comparing paths without regard to case. Books come from systems whose file names ignore case,
// so the player compares the paths it keeps that way; only ASCII letters fold (names are compared
// with the helpers of platform/files/TextCase.h).

#include <string_view>

namespace lyn {

// Whether the folder `folder` (no trailing "/", the root is "/") is `path` or holds it.
// Both are taken as written: no "." or ".." resolution, repeated "/" count as one.
bool fncbPathHolds(std::string_view folder, std::string_view path, bool ignoreCase);

}  // namespace lyn
