#pragma once
// Writes a DaisyBook as DAISY 2.02 markup: the NCC, one SMIL file per section and the content
// file(s). The audio files the clips name are not written here; whoever built the model made
// them (see cSyntheticBook, cSpokenBook).
//
// Names and ids:
//   SMIL files   <prefix>0001.smil, <prefix>0002.smil, ... (one per section, in order)
//   content      content.html, or <prefix>0001.html ... with bolContentPerSection
//   par n        id "p<n>", its text element "x<n>", its audio element "a<n>", its sentence in
//                the content file "t<n>"; n counts the phrases of the whole book from 1
//   point n      id "n<n>" in the NCC, linking "<smil>#p<par>" of its block's first phrase
// Everything is lower case, so links survive players that lower-case what they read.
// No element carries "system-required": every par plays with a player's default settings.
//
// fncbWrite returns false and sets `error` when a file cannot be written or the model is not a
// book (no section, a section or navigable block without phrases, a heading level outside 1-6).
// Files already written stay; each file is written whole or not at all.

#include <filesystem>
#include <string>

#include "tools/DaisyBook.h"

namespace lyn::tools {

class cDaisyBookWriter {
 public:
  bool fncbWrite(const DaisyBook& book, const std::filesystem::path& folder, std::string& error);

  // Counts of the last book written, for reports.
  long lPoints = 0;
  long lPars = 0;
  double dTotalSeconds = 0;

  static std::string fncSmilName(const DaisyBook& book, size_t section);
  static std::string fncContentName(const DaisyBook& book, size_t section);
  // "h:mm:ss" rounded to the second.
  static std::string fncClockText(double seconds);
  // The value of a clip-begin / clip-end attribute in the book's clock form.
  static std::string fncClipValue(const DaisyBook& book, double seconds);
  static std::string fncEscape(const std::string& text);
};

}  // namespace lyn::tools
