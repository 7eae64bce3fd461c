#pragma once
// Small services used across the player: clock values, text cleaning, percent escapes,
// version numbers, key timing and the program folder.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/files/TextCase.h"

namespace lyn {

// Reads a SMIL clock value ("npt=12.345s") into seconds. A value shorter than 5 characters gives
// 0 and stays as it is; otherwise `value` loses its first four characters (the "npt=" prefix)
// and the rest is read as a SMIL 1.0 clock value:
//   full clock       "1:02:03.5"  -> 3723.5
//   partial clock    "01:02.5"    -> 62.5
//   count and metric "12.345s", "5", "1.5min", "2h", "500ms"
// Text that is no clock value gives 0; trailing text after a count is ignored.
double fncParseClockValue(std::string& value);

// fncNormaliseWhiteSpace and fncTrimAsciiSpace live with the other text helpers (TextCase.h).

// Every "%" followed by two hexadecimal digits becomes that byte; anything else is copied.
// Escaped bytes that do not form UTF-8 are taken as Latin-1 characters.
std::string fncDecodePercentEscapes(std::string_view text);

// Splits `version` at `separator` into four integers (missing parts 0) and tells whether
// (major, minor, build, revision) >= `required`.
bool fncVersionAtLeast(std::string_view version, char separator,
                       const std::array<int64_t, 4>& required);

// Ticks of the main timer: how long a key must be held to count as held, and how long the
// multi-press window stays open.
struct KeyTiming {
  int32_t holdThreshold;
  int32_t multiPressWindow;
};
// Major version 4 of the operating system had a slower timer; every system here is another.
KeyTiming fncKeyTiming(int osMajorVersion);
constexpr int kOsMajorVersion = 6;

// The folder of the player's own data, always ending in "/": $LYN_PROGRAM_DIR when set; the
// build tree's data folder when the running program lives in the build tree; otherwise the
// share folder of the prefix the program is installed in (<prefix>/share/lyn-reader beside
// <prefix>/bin), else the share folder it was built for.
std::string fncProgramFolder();

// `folder` with exactly one trailing "/".
std::string fncWithTrailingSeparator(std::string folder);
// `folder` without its trailing "/" (the root stays "/").
std::string fncWithoutTrailingSeparator(std::string folder);

}  // namespace lyn
