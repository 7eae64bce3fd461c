#pragma once
// The model of a DAISY 2.02 book as the book maker builds it, before it is written out.
//
// A book is a list of sections; each section becomes one SMIL file (and, with per-section
// content, one content file). A section is a list of blocks (a heading, a paragraph, a page
// number, a sidebar, ...); each block holds phrases, and each phrase is one SMIL par that pairs
// a sentence of the content file with an audio clip. Blocks of the navigable kinds (headings,
// pages, sidebars, producer's notes, note references) become navigation points in the NCC,
// linked to their first phrase.

#include <string>
#include <vector>

namespace lyn::tools {

enum class enBlockKind {
  Heading,    // h1..h6, a navigation point
  Paragraph,  // plain text, no point
  Page,       // a page number, a navigation point
  Sidebar,    // a navigation point ("sidebar")
  Prodnote,   // a producer's note, a navigation point ("optional-prodnote")
  Noteref,    // a note reference, a navigation point; its note is sNoteId
  Note,       // the text of a note, no point
};

enum class enPageKind { Normal, Front, Special };

// Where a phrase's audio lies. With bolWhole the audio element carries no clip times and the
// whole file is the clip; dEnd - dBegin still holds its length, for the book's total time.
struct DaisyClip {
  std::string sAudioFile;  // relative to the book folder
  double dBegin = 0;
  double dEnd = 0;
  bool bolWhole = false;
};

struct DaisyPhrase {
  std::string sText;  // plain UTF-8 text, escaped when written
  DaisyClip clip;
};

struct DaisyBlock {
  enBlockKind enKind = enBlockKind::Paragraph;
  int lLevel = 1;                          // headings: 1 to 6
  std::string sClass;                      // headings: optional class ("title")
  enPageKind enPage = enPageKind::Normal;  // pages
  std::string sNoteId;                     // note references: the id of their Note block
  std::string sId;                         // notes: the id others refer to
  std::vector<DaisyPhrase> phrases;
};

struct DaisySection {
  std::vector<DaisyBlock> blocks;
};

// How clip times are written into the SMIL files.
enum class enClockForm {
  Seconds,  // npt=12.345s
  Full,     // npt=0:00:12.345
};

struct DaisyBook {
  std::string sTitle = "Untitled";
  std::string sCreator = "Unknown";
  std::string sPublisher = "LYN Reader";
  std::string sIdentifier = "lyn-book";
  std::string sLanguage = "en";
  std::string sDate = "2024-01-01";
  std::string sNarrator = "espeak-ng";
  std::string sGenerator = "lyn-bookmaker";
  std::string sNccName = "ncc.html";
  std::string sFilePrefix = "s";     // s0001.smil, s0001.html, ...
  bool bolContentPerSection = false;  // one content file per section, else one "content.html"
  enClockForm enClock = enClockForm::Seconds;
  std::vector<DaisySection> sections;
};

}  // namespace lyn::tools
