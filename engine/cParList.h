#pragma once
// The SMIL player's par list: one ordered list of par nodes over all SMIL files of a book.
//
// A SMIL file is registered as one placeholder entry (no par node yet) and later expanded, once,
// into all of its pars, which take the placeholder's place as one block. Each registration keeps
// its block, so that "the first entry of file F" and "the number of entries of F" are answered
// without walking the list, and a block's pars enter the list in one insertion.
//
// Entries are numbered from 1. Expanding or removing an entry renumbers the entries after it and
// costs O(entries after it + registrations), never per phrase. File names are matched ignoring
// case (the key is the folded name).
//
// Copies are cheap: the player shares one list between a player and its copies (subCopyMeTo) and
// clones it only when one of them changes it.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace lyn {

class cElementContainer;
class cFileData;

class cParList {
 public:
  struct cBlock {
    std::string sSmilFile;    // as registered
    std::string sKey;         // folded, for lookups ignoring case
    int32_t lStart = 0;       // 1-based index of its first entry
    int32_t lCount = 1;       // its entries; 1 while it is a placeholder
    bool bolExpanded = false;
    size_t lOrder = 0;        // its place among the blocks
  };
  struct cEntry {
    const cBlock* block = nullptr;
    cElementContainer* par = nullptr;  // nothing while the entry is a placeholder
  };

  cParList() = default;
  cParList(const cParList& other);
  cParList& operator=(const cParList&) = delete;

  int32_t lCount() const { return static_cast<int32_t>(mPars.size()); }
  // Entry n, 1 <= n <= lCount(): its par, its block, both.
  cElementContainer* fncPar(int32_t n) const { return mPars[static_cast<size_t>(n - 1)]; }
  const cBlock* fncBlockOf(int32_t n) const;
  cEntry fncEntry(int32_t n) const { return {fncBlockOf(n), fncPar(n)}; }
  // The first registration of the file (folded key), or nothing.
  const cBlock* fncFirstBlock(std::string_view isKey) const;

  // Appends a placeholder for the file.
  void subAppendPlaceholder(std::string_view isSmilFile);
  // Appends one expanded entry; it joins the last block when that is the same file's.
  void subAppendPar(std::string_view isSmilFile, cElementContainer* iclsPar);
  // Placeholder n becomes the block of `pars` (at least one).
  void subExpand(int32_t n, const std::vector<cElementContainer*>& pars);
  // Removes entry n (its block goes with its last entry).
  void subRemove(int32_t n);

 private:
  cBlock& fncNewBlock(std::string_view isSmilFile, int32_t lStart);
  cBlock* fncMutableBlockOf(int32_t n);
  void subShiftBlocksAfter(size_t lOrder, int32_t lDelta);

  // The par of each entry; its block is found among the blocks, which cover the list in order,
  // so an entry costs one pointer.
  std::vector<cElementContainer*> mPars;
  std::vector<std::unique_ptr<cBlock>> mBlocks;  // in list order
  std::unordered_map<std::string, std::vector<cBlock*>> mBlocksByKey;  // each in list order
};

}  // namespace lyn
