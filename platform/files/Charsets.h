#pragma once
// Decoding text files to UTF-8.
//
// Everything the player keeps in memory is UTF-8. Files are decoded once, when they are read,
// from the charset they declare; the conversions go through iconv. Finding the declaration is
// the reader's business (markup files declare theirs in markup).
//
// Results, none of which stops a load:
//   byte that cannot be decoded   -> U+FFFD in its place, decoding goes on after it
//   sequence cut off by the end   -> U+FFFD
//   charset unknown to iconv      -> fncConvertToUtf8 returns nothing; callers then use
//                                    fncDecodeUndeclared

#include <optional>
#include <string>
#include <string_view>

namespace lyn {

// True when `bytes` are well-formed UTF-8 throughout.
bool fncIsValidUtf8(std::string_view bytes);

// `bytes` as UTF-8 with every malformed sequence replaced by U+FFFD (one per maximal bad part,
// as the Unicode standard recommends).
std::string fncRepairUtf8(std::string_view bytes);

// Converts `bytes` from `charset` (a name iconv knows: "ISO-8859-1", "windows-1252", "UTF-16LE",
// ...) to UTF-8. Labels for UTF-8 take the fast path of fncRepairUtf8. "ISO-8859-1", "latin1" and
// "US-ASCII" are read as windows-1252, their superset, as browsers do: books labelled Latin-1
// routinely hold windows-1252 quotes and dashes, never C1 control codes.
// Nothing when iconv cannot convert from `charset`.
std::optional<std::string> fncConvertToUtf8(std::string_view bytes, std::string_view charset);

// True for the names of UTF-8 ("UTF-8", "utf8", ...), compared as fncConvertToUtf8 does.
bool fncIsUtf8Charset(std::string_view charset);

// For a file that declares nothing: UTF-8 when its bytes are valid UTF-8, windows-1252 otherwise.
std::string fncDecodeUndeclared(std::string_view bytes);

// The charset that a byte-order mark at the start of `bytes` names ("UTF-8", "UTF-16LE",
// "UTF-16BE"), with the length of the mark; an empty name and 0 when there is none.
std::string_view fncByteOrderMark(std::string_view bytes, size_t& markLength);

}  // namespace lyn
