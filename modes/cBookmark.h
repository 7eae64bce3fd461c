#pragma once
// One position in a book: a bookmark, the automatic reading position (element 0 of a book's
// bookmark list) or the undo position.

#include <cstdint>
#include <string>

namespace lyn {

class cBookmark {
 public:
  std::string sSmilFile;       // SMIL file of the navigation point, lower case
  std::string sSmilID;         // fragment id of the point in that file, lower case
  int32_t lTocPosition = 1;    // the point's number, 1-based
  double dAudioPosition = -1;  // seconds into the audio file; -1 is the start of the clip
  std::string sTextNote;       // written empty
  std::string sOther;          // element 0: the book's identifier (single-volume books)
  int32_t lPhraseNumber = 1;   // the phrase within the point, 1-based
  std::string sAudioFile;      // file name (no folder) of the audio playing, lower case

  bool operator==(const cBookmark&) const = default;
};

}  // namespace lyn
