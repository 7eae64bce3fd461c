#include "engine/cParList.h"

#include <algorithm>

#include "platform/files/TextCase.h"

namespace lyn {

cParList::cParList(const cParList& other) {
  mBlocks.reserve(other.mBlocks.size());
  for (const auto& block : other.mBlocks) {
    mBlocks.push_back(std::make_unique<cBlock>(*block));
    mBlocksByKey[block->sKey].push_back(mBlocks.back().get());
  }
  mEntries.reserve(other.mEntries.size());
  for (const cEntry& entry : other.mEntries)
    mEntries.push_back({mBlocks[entry.block->lOrder].get(), entry.par});
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
  cBlock& block = fncNewBlock(isSmilFile, lCount() + 1);
  mEntries.push_back({&block, nullptr});
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
  mEntries.push_back({last, iclsPar});
}

void cParList::subShiftBlocksAfter(size_t lOrder, int32_t lDelta) {
  for (size_t i = lOrder + 1; i < mBlocks.size(); ++i) mBlocks[i]->lStart += lDelta;
}

void cParList::subExpand(int32_t n, const std::vector<cElementContainer*>& pars) {
  if (n < 1 || n > lCount() || pars.empty()) return;
  cEntry& entry = mEntries[static_cast<size_t>(n - 1)];
  cBlock* block = entry.block;
  entry.par = pars.front();
  std::vector<cEntry> rest;
  rest.reserve(pars.size() - 1);
  for (size_t i = 1; i < pars.size(); ++i) rest.push_back({block, pars[i]});
  mEntries.insert(mEntries.begin() + n, rest.begin(), rest.end());
  block->lCount = static_cast<int32_t>(pars.size());
  block->bolExpanded = true;
  subShiftBlocksAfter(block->lOrder, static_cast<int32_t>(rest.size()));
}

void cParList::subRemove(int32_t n) {
  if (n < 1 || n > lCount()) return;
  cBlock* block = mEntries[static_cast<size_t>(n - 1)].block;
  mEntries.erase(mEntries.begin() + (n - 1));
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
