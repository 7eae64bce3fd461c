#pragma once
// The prompt file record ("prompts.bin"): texts and audio clips by key, with one audio file that
// holds every clip of the language.
//
// On disk, fields back to back without padding, all numbers little-endian:
//   string   16-bit signed length n (0..32767), then n bytes of UTF-8 text, no terminator
//   int32    4 bytes;  Boolean 2 bytes, 0 false, FFFF hex true;  double 8-byte IEEE 754
//   fields 1-6   six strings: audio file (relative to the program folder), language name,
//                description, file format version, prompt set version ("1.3" speaks numbers),
//                a second text field that nothing interprets
//   field 7      int32, index of the last entry that look-ups search
//   field 8      the entries: 16-bit count of dimensions (1), int32 element count, int32 lower
//                bound (0), then per entry: key (string), text (string), clip begin and clip end
//                (doubles, seconds into the audio file)
//   fields 9-11  sFont (string), bolRightToLeft (Boolean), lFontSize (int32), in this form and
//                order after field 8. A file that ends right after field 8 is complete: the three
//                take "", false and 0.
//
// Decoding never trusts the file: every length and count is checked against the bytes left
// before anything is allocated. Results of fncDecodePromptFile:
//   ok        the record is complete
//   damaged   a negative string length, a count of dimensions other than 1, a negative element
//             count or one the bytes left cannot hold, a field cut off by the end of the file,
//             or fields 9-11 begun but not finished; `header` is left untouched
// Strings that are not UTF-8 (files written in a single-byte code page) are read as Latin-1.
// Encoding cuts a string longer than 32767 bytes on a character boundary.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lyn {

struct PromptEntry {
  std::string sKey;
  std::string sText;
  double dClipBegin = 0;
  double dClipEnd = 0;
};

struct PromptFileHeader {
  std::string sAudioFile;
  std::string sLanguage;
  std::string sDescription;
  std::string sFormatVersion;
  std::string sVersion;
  std::string sSecondText;
  int32_t lLastEntry = -1;
  std::vector<PromptEntry> entries;  // index 0 is the first entry
  std::string sFont;
  bool bolRightToLeft = false;
  int32_t lFontSize = 0;
};

enum class enPromptFileResult { ok, damaged };

std::string fncEncodePromptFile(const PromptFileHeader& header);
enPromptFileResult fncDecodePromptFile(std::string_view bytes, PromptFileHeader& header);

// The record written when no prompt file exists: 43 entries whose texts are also their display
// texts, version "none", last entry 42, every clip 0.
PromptFileHeader fncDefaultPromptFileHeader();

}  // namespace lyn
