#pragma once
// The book file set: every markup file of the open book (the NCC and the SMIL files), each a
// document read from the one book folder, with the facts the NCC's meta elements carry: the
// title ("dc:title") and the volume of a multi-volume set ("ncc:setinfo", "2 of 3").
//
// Files are never reloaded: a second insertion of a name already held (ignoring case) is
// refused, and the caller fetches the held document instead. Documents are numbered from 1 in
// insertion order; the pointers handed out stay valid until that document is removed or the set
// is destroyed. The set keeps the folder listings of the book (cPathResolver), so files named in
// any case are found at the cost of one listing per folder.
//
// fncInsertFile returns false (no report; the callers report) when:
//   a file of that name, ignoring case, is held            -> nothing added
//   the kind is 1 or 2 and a file of that kind is held     -> nothing added
//   sWorkPath is empty                                     -> nothing added
//   the file cannot be read (cFileData::fncLoadFile)       -> the document stays in the set
//   the document, or the book's documents together, would need more memory than
//   kDocumentBudget / kBookBudget                         -> the document stays in the set, empty
// After a false, sLoadError names the file and the reason where one is known.
//   tokenizing fails (text too long for 32-bit positions)  -> the document stays in the set

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "markup/cFileChoice.h"
#include "markup/cFileData.h"
#include "markup/cFileParser.h"
#include "markup/cInsertOptions.h"
#include "markup/iProgressReport.h"
#include "platform/files/cPathResolver.h"

namespace lyn {

class cDTBData {
 public:
  std::string sWorkPath;       // the book folder, ending in "/"; nothing is inserted while empty
  int32_t lCurrentFile = 1;    // the cursor of the lookups
  int32_t lDiscNumber = 1;     // this volume's number
  int32_t lNumberOfDiscs = 1;  // volumes in the set
  std::string sTitle;          // "dc:title" of the NCC, entities as written
  bool bolMultivolume = false; // lNumberOfDiscs > 1
  std::string sLoadError;      // why the last fncInsertFile failed to load: "<path>: <reason>"

  int32_t lNumFiles() const { return static_cast<int32_t>(mFiles.size()); }

  // Adds a file of kind `ienFileType` (see the table above): appends a document with sPath =
  // sWorkPath, loads it (or takes options.sData), tokenizes it when options.bolParsing is true,
  // and for kind 1 reads the set information when options.bolParsing is given.
  bool fncInsertFile(std::string_view isFileName, int32_t ienFileType, cInsertOptions options = {});

  // The chosen document, which becomes lCurrentFile; nothing when out of range (cursor kept) or,
  // by kind or name, when none matches (cursor one past the last file).
  cFileData* fncGetFileData(const cFileChoice& choice);
  // The next document of that kind after lCurrentFile, which becomes the cursor; nothing (cursor
  // kept) when there is none.
  cFileData* fncGetNextFileData(int32_t ienFileType);

  // Tokenizes a held document chosen as in fncGetFileData. A document that already has records
  // or runs is not tokenized twice (its lists would be doubled): true without work. False when
  // nothing is chosen or tokenizing fails.
  bool fncParseExisting(const cFileChoice& choice, iProgressReport* ioReportObject = nullptr);

  // Removes the chosen document (its pointers become invalid); the later ones move down one
  // place and lCurrentFile decreases by one.
  void fncRemoveFileData(const cFileChoice& choice);

  // Reads "ncc:setinfo" ("2 of 3") and "dc:title" from the meta elements of the first kind-1
  // document. Without a usable set information the book is disc 1 of 1.
  void subCheckNcc();

  // The listings of the book folder, shared with whoever resolves paths in the same book.
  cPathResolver& fncPathResolver() { return mResolver; }

 private:
  std::vector<std::unique_ptr<cFileData>> mFiles;
  std::unique_ptr<cFileParser> mParser;  // made on first use
  cPathResolver mResolver;
  uint64_t mBookMemory = 0;  // fncEstimateMemory of the documents held
};

}  // namespace lyn
