#include "markup/cElementContainer.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <functional>
#include <iterator>
#include <memory>
#include <new>
#include <unordered_set>

#include "platform/files/TextCase.h"

namespace lyn {

namespace {

// Room for the first children of a tree that was built without a size hint.
constexpr size_t kFirstBlockWithoutReserve = 16;

// The room a list of `count` entries has: powers of two, so that the room follows from the count
// and a list that fills up doubles.
size_t fncRoom(size_t count, size_t smallest) {
  return count == 0 ? 0 : std::max(smallest, std::bit_ceil(count));
}

}  // namespace

// The nodes of one tree, in blocks: one allocation per block instead of one per node, and all
// nodes released together, each node's end touching only its own members. The store also keeps
// every distinct name once, and the nodes' child and text-run lists in chunks of 8-byte slots
// (a list that grows leaves its old room for the next list of that size).
class cElementContainer::cStore {
 public:
  explicit cStore(cFileData* iclsFileData)
      : mFileData(iclsFileData), mNextBlockSize(kFirstBlockWithoutReserve) {}
  cStore(const cStore&) = delete;
  cStore& operator=(const cStore&) = delete;
  ~cStore() {
    for (const cBlock& block : mBlocks) {
      for (size_t i = 0; i < block.used; ++i) std::destroy_at(block.nodes + i);
      mAllocator.deallocate(block.nodes, block.size);
    }
  }

  cFileData* clsFileData() const { return mFileData; }

  void subReserve(size_t ilCount) {
    if (mBlocks.empty()) mNextBlockSize = std::max<size_t>(1, ilCount);
  }

  std::string_view fncIntern(std::string_view isName) {
    if (mLastName && *mLastName == isName) return *mLastName;
    auto it = mNames.find(isName);
    if (it == mNames.end()) it = mNames.emplace(isName).first;
    mLastName = &*it;
    return *it;
  }

  cElementContainer* fncMake(std::string_view isName) {
    if (mBlocks.empty() || mBlocks.back().used == mBlocks.back().size) {
      mBlocks.push_back({mAllocator.allocate(mNextBlockSize), mNextBlockSize, 0});
      mNextBlockSize = kBlockSize;
    }
    cBlock& block = mBlocks.back();
    cElementContainer* node = ::new (static_cast<void*>(block.nodes + block.used))
        cElementContainer(*this, fncIntern(isName));
    ++block.used;
    return node;
  }

  // Room for `ilSlots` (a power of two) slots of 8 bytes, and its return.
  void* fncSlots(size_t ilSlots) {
    const size_t sizeClass = static_cast<size_t>(std::countr_zero(ilSlots));
    if (void* slots = mFree[sizeClass]) {
      std::memcpy(&mFree[sizeClass], slots, sizeof(void*));
      return slots;
    }
    if (mChunks.empty() || mChunkSize - mChunkUsed < ilSlots) {
      mChunkSize = std::max(mChunks.empty() ? kFirstChunk : std::min(mChunkSize * 2, kLargestChunk),
                            ilSlots);
      mChunks.push_back(std::make_unique_for_overwrite<uint64_t[]>(mChunkSize));
      mChunkUsed = 0;
    }
    void* slots = mChunks.back().get() + mChunkUsed;
    mChunkUsed += ilSlots;
    return slots;
  }
  void subReturnSlots(void* slots, size_t ilSlots) {
    const size_t sizeClass = static_cast<size_t>(std::countr_zero(ilSlots));
    std::memcpy(slots, &mFree[sizeClass], sizeof(void*));
    mFree[sizeClass] = slots;
  }

  // Makes room for one more entry in a list of `count` entries of type T, `smallest` entries
  // at least.
  template <typename T>
  T* fncGrow(T* list, size_t count, size_t smallest) {
    const size_t room = fncRoom(count, smallest);
    if (count < room) return list;
    const size_t grown = std::max(smallest, room * 2);
    T* bigger = static_cast<T*>(fncSlots(grown * sizeof(T) / 8));
    if (count) {
      std::memcpy(bigger, list, count * sizeof(T));
      subReturnSlots(list, room * sizeof(T) / 8);
    }
    return bigger;
  }

 private:
  struct cBlock {
    cElementContainer* nodes;
    size_t size;
    size_t used;
  };
  struct cNameHash {
    using is_transparent = void;
    size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
  };
  static constexpr size_t kBlockSize = 256;
  static constexpr size_t kFirstChunk = 64;
  static constexpr size_t kLargestChunk = size_t{1} << 13;

  cFileData* mFileData;
  std::allocator<cElementContainer> mAllocator;
  std::vector<cBlock> mBlocks;
  size_t mNextBlockSize;
  std::unordered_set<std::string, cNameHash, std::equal_to<>> mNames;
  const std::string* mLastName = nullptr;
  std::vector<std::unique_ptr<uint64_t[]>> mChunks;
  size_t mChunkSize = 0;
  size_t mChunkUsed = 0;
  std::array<void*, 64> mFree{};  // per power of two, a list threaded through the free rooms
};

cElementContainer::cElementContainer(std::string isName, cFileData* iclsFileData)
    : mOwnedStore(std::make_unique<cStore>(iclsFileData)) {
  mStore = mOwnedStore.get();
  sName = mStore->fncIntern(isName);
}

cElementContainer::cElementContainer(cStore& iclsStore, std::string_view isName)
    : sName(isName), mStore(&iclsStore) {}

cElementContainer::~cElementContainer() = default;

cFileData* cElementContainer::clsFileData() const {
  return mOwnedStore ? mOwnedStore->clsFileData() : nullptr;
}

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
  cElementContainer* child = mStore->fncMake(isElementName);
  child->lStartTagNumber = ilElementNumber;
  child->mParent = this;
  child->mPosition = mChildCount + 1;
  mChildren = mStore->fncGrow(mChildren, static_cast<size_t>(mChildCount), 1);
  mChildren[mChildCount++] = child;
  lCurrentElementContainer = mChildCount;
}

void cElementContainer::subReserveNodes(size_t ilCount) { mStore->subReserve(ilCount); }

cElementContainer* cElementContainer::fncRetrieveChild() const {
  return mChildCount == 0 ? nullptr : mChildren[mChildCount - 1];
}

void cElementContainer::subInsertTextData(int32_t ilTextNumber) {
  mTexts = mStore->fncGrow(mTexts, static_cast<size_t>(mTextCount), 2);
  mTexts[mTextCount++] = ilTextNumber;
  lCurrentTextData = ilTextNumber;
}

void cElementContainer::subResetAllElements(bool bolFirst) {
  std::vector<cElementContainer*> pending{this};
  while (!pending.empty()) {
    cElementContainer* node = pending.back();
    pending.pop_back();
    node->lCurrentElementContainer = bolFirst ? 0 : node->lElementsOwned() + 1;
    pending.insert(pending.end(), node->mChildren, node->mChildren + node->mChildCount);
  }
}

void cElementContainer::fncRetrieveElementContainers(
    std::vector<cElementContainer*>& aElementContainers) {
  // Pre-order: children are pushed last to first so that the first comes off the stack first.
  const auto reversed = [](const cElementContainer* node) {
    return std::pair(std::make_reverse_iterator(node->mChildren + node->mChildCount),
                     std::make_reverse_iterator(node->mChildren));
  };
  std::vector<cElementContainer*> pending;
  if (mChildCount) {
    const auto [first, last] = reversed(this);
    pending.assign(first, last);
  }
  while (!pending.empty()) {
    cElementContainer* node = pending.back();
    pending.pop_back();
    aElementContainers.push_back(node);
    if (node->mChildCount) {
      const auto [first, last] = reversed(node);
      pending.insert(pending.end(), first, last);
    }
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
    if (child->mChildCount) stack.emplace_back(child, 1);
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
