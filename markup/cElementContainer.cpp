#include "markup/cElementContainer.h"

#include <algorithm>
#include <memory>

#include "platform/files/TextCase.h"

namespace lyn {

// Room for the first children of a tree that was built without a size hint.
constexpr size_t kFirstBlockWithoutReserve = 16;

// The nodes of one tree, in blocks: one allocation per block instead of one per node, and all
// nodes released together, each node's end touching only its own members.
class cElementContainer::cStore {
 public:
  explicit cStore(size_t firstBlockSize) : mNextBlockSize(std::max<size_t>(1, firstBlockSize)) {}
  cStore(const cStore&) = delete;
  cStore& operator=(const cStore&) = delete;
  ~cStore() {
    for (const cBlock& block : mBlocks) {
      for (size_t i = 0; i < block.used; ++i) std::destroy_at(block.nodes + i);
      mAllocator.deallocate(block.nodes, block.size);
    }
  }

  cElementContainer* fncMake(std::string isName) {
    if (mBlocks.empty() || mBlocks.back().used == mBlocks.back().size) {
      mBlocks.push_back({mAllocator.allocate(mNextBlockSize), mNextBlockSize, 0});
      mNextBlockSize = kBlockSize;
    }
    cBlock& block = mBlocks.back();
    cElementContainer* node = std::construct_at(block.nodes + block.used, std::move(isName));
    ++block.used;
    return node;
  }

 private:
  struct cBlock {
    cElementContainer* nodes;
    size_t size;
    size_t used;
  };
  static constexpr size_t kBlockSize = 256;
  std::allocator<cElementContainer> mAllocator;
  std::vector<cBlock> mBlocks;
  size_t mNextBlockSize;
};

cElementContainer::cElementContainer(std::string isName, cFileData* iclsFileData)
    : sName(std::move(isName)), mFileData(iclsFileData) {}

cElementContainer::~cElementContainer() = default;

std::string cElementContainer::sLevel() const {
  std::vector<int32_t> positions;
  for (const cElementContainer* node = this; node->mParent; node = node->mParent)
    positions.push_back(node->mPosition);
  std::string level = "1";
  for (auto it = positions.rbegin(); it != positions.rend(); ++it) {
    level.push_back('.');
    level += std::to_string(*it);
  }
  return level;
}

cElementContainer* cElementContainer::oNextSibling() const {
  return mParent ? mParent->pElementContainer(mPosition + 1) : nullptr;
}

cElementContainer* cElementContainer::oPreviousSibling() const {
  return mParent ? mParent->pElementContainer(mPosition - 1) : nullptr;
}

cElementContainer* cElementContainer::pElementContainer(int32_t n) const {
  if (n < 1 || n > lElementsOwned()) return nullptr;
  return fncChild(n);
}

int32_t cElementContainer::pTextData(int32_t n) const {
  if (n < 1 || n > lTextsOwned()) return 0;
  return mTexts[static_cast<size_t>(n - 1)];
}

void cElementContainer::subInsertElementContainer(std::string isElementName,
                                                  int32_t ilElementNumber) {
  if (!mStore) subReserveNodes(kFirstBlockWithoutReserve);
  cElementContainer* child = mStore->fncMake(std::move(isElementName));
  child->lStartTagNumber = ilElementNumber;
  child->mParent = this;
  child->mPosition = lElementsOwned() + 1;
  child->mStore = mStore;
  mChildren.push_back(child);
  lCurrentElementContainer = lElementsOwned();
}

void cElementContainer::subReserveNodes(size_t ilCount) {
  if (mStore) return;
  mOwnedStore = std::make_unique<cStore>(ilCount);
  mStore = mOwnedStore.get();
}

cElementContainer* cElementContainer::fncRetrieveChild() const {
  return mChildren.empty() ? nullptr : mChildren.back();
}

void cElementContainer::subInsertTextData(int32_t ilTextNumber) {
  mTexts.push_back(ilTextNumber);
  lCurrentTextData = ilTextNumber;
}

void cElementContainer::subResetAllElements(bool bolFirst) {
  std::vector<cElementContainer*> pending{this};
  while (!pending.empty()) {
    cElementContainer* node = pending.back();
    pending.pop_back();
    node->lCurrentElementContainer = bolFirst ? 0 : node->lElementsOwned() + 1;
    for (cElementContainer* child : node->mChildren) pending.push_back(child);
  }
}

void cElementContainer::fncRetrieveElementContainers(
    std::vector<cElementContainer*>& aElementContainers) {
  // Pre-order: children are pushed last to first so that the first comes off the stack first.
  std::vector<cElementContainer*> pending;
  pending.assign(mChildren.rbegin(), mChildren.rend());
  while (!pending.empty()) {
    cElementContainer* node = pending.back();
    pending.pop_back();
    aElementContainers.push_back(node);
    pending.insert(pending.end(), node->mChildren.rbegin(), node->mChildren.rend());
  }
}

cElementContainer* cElementContainer::fncRetrieveElementContainer(std::string_view isElementName) {
  // A depth-first walk with an explicit stack of (node, next child to examine).
  std::vector<std::pair<cElementContainer*, int32_t>> stack{{this, 1}};
  while (!stack.empty()) {
    auto& [node, next] = stack.back();
    if (next > node->lElementsOwned()) {
      stack.pop_back();
      continue;
    }
    node->lCurrentElementContainer = next;
    cElementContainer* child = node->fncChild(next);
    ++next;
    if (fncEqualsIgnoringCase(child->sName, isElementName)) return child;
    if (!child->mChildren.empty()) stack.emplace_back(child, 1);
  }
  return nullptr;
}

cElementContainer* cElementContainer::fncRetrieveNext(const std::string_view* isElementName) {
  // Each node's cursor is its own loop variable, so the walk needs only a stack of nodes.
  std::vector<cElementContainer*> stack{this};
  if (lCurrentElementContainer < 1) lCurrentElementContainer = 0;
  while (!stack.empty()) {
    cElementContainer* node = stack.back();
    if (node->lCurrentElementContainer >= node->lElementsOwned()) {
      stack.pop_back();
      continue;
    }
    ++node->lCurrentElementContainer;
    cElementContainer* child = node->fncChild(node->lCurrentElementContainer);
    if (!isElementName || fncEqualsIgnoringCase(child->sName, *isElementName)) return child;
    if (child->lCurrentElementContainer < 1) child->lCurrentElementContainer = 0;
    stack.push_back(child);
  }
  return nullptr;
}

cElementContainer* cElementContainer::fncRetrievePrevious(const std::string_view* isElementName) {
  const auto normalise = [](cElementContainer* node) {
    const int32_t pastLast = node->lElementsOwned() + 1;
    if (node->lCurrentElementContainer < 1 || node->lCurrentElementContainer > pastLast)
      node->lCurrentElementContainer = pastLast;
  };
  std::vector<cElementContainer*> stack{this};
  normalise(this);
  while (!stack.empty()) {
    cElementContainer* node = stack.back();
    if (node->lCurrentElementContainer <= 1) {
      stack.pop_back();
      continue;
    }
    --node->lCurrentElementContainer;
    cElementContainer* child = node->fncChild(node->lCurrentElementContainer);
    if (!isElementName || fncEqualsIgnoringCase(child->sName, *isElementName)) return child;
    normalise(child);
    stack.push_back(child);
  }
  return nullptr;
}

cElementContainer* cElementContainer::fncRetrieveNextElementContainer() {
  return fncRetrieveNext(nullptr);
}

cElementContainer* cElementContainer::fncRetrieveNextElementContainer(
    std::string_view isElementName) {
  return fncRetrieveNext(&isElementName);
}

cElementContainer* cElementContainer::fncRetrievePreviousElementContainer() {
  return fncRetrievePrevious(nullptr);
}

cElementContainer* cElementContainer::fncRetrievePreviousElementContainer(
    std::string_view isElementName) {
  return fncRetrievePrevious(&isElementName);
}

cElementContainer* cElementContainer::fncRetrieveCurrentElementContainer() const {
  return pElementContainer(lCurrentElementContainer);
}

}  // namespace lyn
