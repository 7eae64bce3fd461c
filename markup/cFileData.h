#pragma once
// One loaded markup file (an NCC, a SMIL file, an HTML content file): its text, the flat list of
// its tags (element records), the flat list of its text runs, and once built, its element tree.
//
// The text is held once, in sData, as UTF-8; records and runs hold byte positions into it (see
// cElementData, cTextData). The document owns its text, records, runs and tree; the records,
// runs and nodes it hands out are borrowed pointers, valid while the document lives (a record
// taken out of the list by fncRemoveElement stays valid too; only destroying the document
// releases it). Lists are 1-based: slot 0 is never a valid entry.
//
// Loading (fncLoadFile) reads sPath + sFileName through the path layer, so the file is found
// whatever the case of its name on disk, and decodes it to UTF-8 once: from a byte-order mark,
// else from the charset the text declares (XML declaration, then the http-equiv Content-type
// meta, then the "ncc:charset" meta), else as UTF-8 when the bytes are valid UTF-8 and as
// windows-1252 otherwise. Bytes that cannot be decoded become U+FFFD; entity references stay
// as written.
//
// fncLoadFile results (false leaves sData as it was, and sLoadError names the file and why):
//   file missing, a folder, not a regular file (a FIFO, a device), unreadable -> false
//   larger than the document budget (kDocumentBudget), or its tags would make the document need
//   more than that (fncEstimateMemory)                      -> false ("... too large ...")
//   undecodable bytes, unknown charset                      -> true (U+FFFD / undeclared rule)

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "markup/cElementContainer.h"
#include "markup/cElementData.h"
#include "markup/cStableArray.h"
#include "markup/cTextData.h"

namespace lyn {

class cPathResolver;

// What one document may cost in memory, and what the documents of one book may cost together.
// Real books are far below both; a file of nothing but tags would otherwise take some 30 bytes
// of memory for each byte it has.
inline constexpr uint64_t kDocumentBudget = uint64_t{512} << 20;
inline constexpr uint64_t kBookBudget = uint64_t{1} << 30;
// What a tag costs once tokenized and placed in the tree (its record, attributes and node):
// peak memory of markup_load over a file of a million bare tags, and over one of 400,000 tags of
// real SMIL pars, less the text, came to about 100 bytes a tag; rounded up.
inline constexpr uint64_t kBytesPerTag = 128;
// The memory a document of this text takes once loaded and tokenized, estimated from its size
// and its number of tags (every "<"), in one pass over the text.
uint64_t fncEstimateMemory(std::string_view text);

// Kinds of file (enFileType).
inline constexpr int32_t kFileTypeNcc = 1;
inline constexpr int32_t kFileTypeSmil = 3;

class cFileData {
 public:
  cFileData() = default;
  cFileData(std::string isFileName, int32_t ienFileType, std::string isPath);
  cFileData(const cFileData&) = delete;
  cFileData& operator=(const cFileData&) = delete;
  ~cFileData();

  std::string sFileName;      // the name as given when inserted
  std::string sPath;          // the folder, ending in "/"
  int32_t enFileType = 0;     // kFileTypeNcc, kFileTypeSmil, ...
  int32_t lFileSize = 0;      // given at insertion; only stored
  std::string sData;          // the whole text, UTF-8
  std::string sCharset;       // what fncLoadFile decoded from ("UTF-8", "windows-1252", ...)
  std::string sLoadError;     // why the last fncLoadFile failed: "<path>: <reason>"
  int32_t lCurrentText = 0;
  int32_t lCurrentElement = 0;  // the cursor of the element-list walk

  // Reads and decodes sPath + sFileName (see above). `ioResolver`, when given, is used (and its
  // listings kept) to find the file ignoring case; otherwise a one-off resolution is made.
  bool fncLoadFile(cPathResolver* ioResolver = nullptr);

  // --- text runs -----------------------------------------------------------------------------
  // Records a run and returns its index. start >= end records nothing and returns the count. A
  // run that overlaps an existing one is merged into it: the first run (in index order) that
  // holds the new start has its end raised, else the first that holds the new end has its start
  // lowered, and that run's index is returned. Otherwise the run is appended. Runs from one
  // forward pass are found by binary search, so recording is O(log n), and O(1) when appending.
  int32_t fncInsertTextData(int32_t ilTxtStartPos, int32_t ilTxtEndPos);
  int32_t lNumTextData() const { return static_cast<int32_t>(mTexts.size()); }
  cTextData* pTextData(int32_t n);  // run n, or nothing when n is not in 1..lNumTextData
  // The characters of run n (a view into sData); "" when there is no such run.
  std::string_view fncTextDataContent(int32_t n) const;

  // --- element records -----------------------------------------------------------------------
  int32_t lNumElementData() const {
    return static_cast<int32_t>(mbolListIsStore ? mElementStore.size() : mElements.size());
  }

  // Appends a copy of the record (all fields and attributes) and returns its index. With a
  // position in 1..lNumElementData, the records from there on move up one place and the copy
  // takes that place; 0 (or any other position) appends.
  int32_t fncInsertElementClass(const cElementData& iclsElementData, int32_t ilPosition = 0);
  int32_t fncInsertElementClass(cElementData&& iclsElementData, int32_t ilPosition = 0);
  // Appends a record made from this document's text, with its name and its attributes (name,
  // value). When the name lies in sData just past the tag's "<" and the tokenizer read the
  // attributes from sData by the tag rules (cAttributeScan) starting at `ilAttributesFrom`, the
  // record reads them again from there when asked instead of keeping a copy (a tag with many or
  // very long attributes keeps its copy still): its views follow sData, so sData must not change
  // while they are used. Otherwise the record stores its own copy, as fncInsertElementClass does.
  static constexpr size_t kNotInText = static_cast<size_t>(-1);
  int32_t fncInsertTokenizedElement(
      cElementData&& iclsElementData, std::string_view isName,
      std::span<const std::pair<std::string_view, std::string_view>> aAttributes,
      size_t ilAttributesFrom = kNotInText);

  // Record n, made the cursor; nothing (cursor kept) when n is not in 1..lNumElementData.
  cElementData* fncGetElementData(int32_t ilNumber);
  // The first record whose name equals `isName` ignoring case, made the cursor; nothing, and the
  // cursor one past the end, when none does.
  cElementData* fncGetElementData(std::string_view isName);
  // The record after the cursor (without names) or the first after it named any of `names`
  // (ignoring case), made the cursor. Nothing when the cursor is at or past the last record, or
  // when no record matches (cursor kept). An empty list counts as no names.
  cElementData* fncGetNextElementData();
  cElementData* fncGetNextElementData(std::initializer_list<std::string_view> names);
  cElementData* fncGetNextElementData(const std::vector<std::string>& names);
  // The mirror image: nothing when the cursor is below 2; scans back from the record before it.
  cElementData* fncGetPreviousElementData();
  cElementData* fncGetPreviousElementData(std::initializer_list<std::string_view> names);
  cElementData* fncGetPreviousElementData(const std::vector<std::string>& names);

  // Record n without moving the cursor; nothing when out of range.
  cElementData* pElementData(int32_t n) const;

  // Takes record n out of the list; the later ones move down one place. Out of range: nothing.
  void fncRemoveElement(int32_t ilElementNumber);

  // --- the tree ------------------------------------------------------------------------------
  // Builds the tree once from the records: a node for each start tag of a structural element,
  // a leaf for every other tag, each text run attached to the node that encloses it, and a seq
  // directly inside a seq flattened into it (its two records leave the list). True when the tree
  // exists (built now or before); false when there are no records (an empty root is left).
  bool fncParseElementHierarchy();
  cElementContainer* clsElementContainer() const { return mRoot.get(); }

 private:
  template <typename Names>
  cElementData* fncNextNamed(const Names& names);
  template <typename Names>
  cElementData* fncPreviousNamed(const Names& names);
  cElementData* fncStore(cElementData&& record);
  cElementData* fncAt(size_t index) const {
    return mbolListIsStore ? const_cast<cElementData*>(&mElementStore[index]) : mElements[index];
  }
  void subListApart();
  int32_t fncPlace(cElementData* record, int32_t ilPosition);

  // Names sData for the records that read their attributes from it; declared before the
  // records, which look at it when they end.
  uint32_t mTextBlock[4] = {};
  cStableArray<cElementData> mElementStore;  // every record ever inserted; addresses stay put
  // The list, in order (index 0 = record 1). While records have only been appended the list is
  // the store itself and this stays empty: a tokenized document needs no second list.
  std::vector<cElementData*> mElements;
  bool mbolListIsStore = true;
  cStableArray<cTextData> mTexts;           // addresses stay put as runs are added
  bool mbolTextsOrdered = true;             // runs sorted by start, apart, in index order
  std::unique_ptr<cElementContainer> mRoot;
};

}  // namespace lyn
