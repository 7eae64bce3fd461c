#include "engine/cParList.h"

#include <algorithm>
#include <iterator>

#include "platform/files/TextCase.h"

namespace lyn {

cParList::cParList(const cParList& other) {
  mBlocks.reserve(other.mBlocks.size());
  for (const auto& block : other.mBlocks) {
    mBlocks.push_back(std::make_unique<cBlock>(*block));
    mBlocksByKey[block->sKey].push_back(mBlocks.back().get());
  }
  mPars = other.mPars;
}

cParList::cBlock* cParList::fncMutableBlockOf(int32_t n) {
  // The last block that starts at or before n.
  const auto after = std::upper_bound(mBlocks.begin(), mBlocks.end(), n,
                                      [](int32_t k, const auto& block) { return k < block->lStart; });
  return after == mBlocks.begin() ? nullptr : std::prev(after)->get();
}

const cParList::cBlock* cParList::fncBlockOf(int32_t n) const {
  return const_cast<cParList*>(this)->fncMutableBlockOf(n);
}

const cParList::cBlock* cParList::fncFirstBlock(std::string_view isKey) const {
  const auto it = mBlocksByKey.find(std::string(isKey));
  if (it == mBlocksByKey.end() || it->second.empty()) return nullptr;
  return it->second.front();
}

cParList::cBlock& cParList::fncNewBlock(std::string_view isSmilFile, int32_t lStart) {
  auto block = std::make_unique<cBlock>();
  block->sSmilFile = std::string(isSmilFile);
  block->sKey = fncFoldCase(isSmilFile);
  block->lStart = lStart;
  block->lOrder = mBlocks.size();
  mBlocks.push_back(std::move(block));
  cBlock& made = *mBlocks.back();
  mBlocksByKey[made.sKey].push_back(&made);
  return made;
}

void cParList::subAppendPlaceholder(std::string_view isSmilFile) {
  fncNewBlock(isSmilFile, lCount() + 1);
  mPars.push_back(nullptr);
}

void cParList::subAppendPar(std::string_view isSmilFile, cElementContainer* iclsPar) {
  if (!iclsPar) {
    subAppendPlaceholder(isSmilFile);
    return;
  }
  cBlock* last = mBlocks.empty() ? nullptr : mBlocks.back().get();
  if (!last || !last->bolExpanded || last->sSmilFile != isSmilFile) {
    last = &fncNewBlock(isSmilFile, lCount() + 1);
    last->lCount = 0;
    last->bolExpanded = true;
  }
  ++last->lCount;
  mPars.push_back(iclsPar);
}

void cParList::subShiftBlocksAfter(size_t lOrder, int32_t lDelta) {
  for (size_t i = lOrder + 1; i < mBlocks.size(); ++i) mBlocks[i]->lStart += lDelta;
}

void cParList::subExpand(int32_t n, const std::vector<cElementContainer*>& pars) {
  if (n < 1 || n > lCount() || pars.empty()) return;
  cBlock* block = fncMutableBlockOf(n);
  mPars[static_cast<size_t>(n - 1)] = pars.front();
  // A book is expanded file by file: growing by an eighth keeps the room to spare small at the
  // cost of a few more moves than doubling.
  const size_t needed = mPars.size() + pars.size() - 1;
  if (needed > mPars.capacity()) mPars.reserve(needed + needed / 8);
  mPars.insert(mPars.begin() + n, pars.begin() + 1, pars.end());
  block->lCount = static_cast<int32_t>(pars.size());
  block->bolExpanded = true;
  subShiftBlocksAfter(block->lOrder, static_cast<int32_t>(pars.size()) - 1);
}

void cParList::subRemove(int32_t n) {
  if (n < 1 || n > lCount()) return;
  cBlock* block = fncMutableBlockOf(n);
  mPars.erase(mPars.begin() + (n - 1));
  subShiftBlocksAfter(block->lOrder, -1);
  if (--block->lCount > 0) return;
  auto& sameFile = mBlocksByKey[block->sKey];
  sameFile.erase(std::remove(sameFile.begin(), sameFile.end(), block), sameFile.end());
  if (sameFile.empty()) mBlocksByKey.erase(block->sKey);
  const size_t order = block->lOrder;
  mBlocks.erase(mBlocks.begin() + static_cast<std::ptrdiff_t>(order));
  for (size_t i = order; i < mBlocks.size(); ++i) mBlocks[i]->lOrder = i;
}

}  // namespace lyn
