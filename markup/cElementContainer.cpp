#include "markup/cElementContainer.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <cstddef>
#include <memory>
#include <new>
#include <span>
#include <unordered_map>
#include <utility>

#include "platform/files/TextCase.h"

namespace lyn {

namespace {

// Room for the first nodes of a tree that was built without a size hint.
constexpr size_t kFirstBlockWithoutReserve = 16;

// The room a list of `count` entries has: powers of two, so that the room follows from the count
// and a list that fills up doubles.
size_t fncRoom(size_t count, size_t smallest) {
  return count == 0 ? 0 : std::max(smallest, std::bit_ceil(count));
}

// A node's lists, in one block of the store's words: the count of children, the count of text
// runs, the room for the children, then the room for the runs.
enum : uint32_t { kChildCount = 0, kTextCount = 1, kListsStart = 2 };
constexpr size_t kSmallestChildRoom = 1;
constexpr size_t kSmallestTextRoom = 2;

size_t fncBlockWords(size_t children, size_t texts) {
  return kListsStart + fncRoom(children, kSmallestChildRoom) + fncRoom(texts, kSmallestTextRoom);
}

}  // namespace

// The nodes of one tree, in blocks: one allocation per block instead of one per node, and all
// nodes released together, each node's end touching only its own members. Nodes are numbered (the
// root 0, the others from 1 in the order made), and the nodes' lists are kept as numbers in one
// array of 32-bit words, so a list entry costs 4 bytes; lists that grow leave their old block for
// the next lists of that size, and a finished tree packs its lists without gaps.
class cElementContainer::cStore {
 public:
  cStore(cFileData* iclsFileData, cElementContainer* iclsRoot)
      : mFileData(iclsFileData), mRoot(iclsRoot), mNextBlockSize(kFirstBlockWithoutReserve) {
    mWords.push_back(0);  // word 0 stands for "no list"
  }
  cStore(const cStore&) = delete;
  cStore& operator=(const cStore&) = delete;
  ~cStore() {
    for (const cBlock& block : mBlocks)
      for (size_t i = 0; i < block.used; ++i) std::destroy_at(block.nodes + i);
  }

  cFileData* clsFileData() const { return mFileData; }

  // The number of name `isName`, added to the table when new. Views of a name stay valid as long
  // as the store: names are never moved once written.
  uint32_t fncNameNumber(std::string_view isName) {
    if (!mNameIndex) {
      for (size_t i = 0; i < mNames.size(); ++i)
        if (mNames[i] == isName) return static_cast<uint32_t>(i);
    } else if (const auto found = mNameIndex->find(isName); found != mNameIndex->end()) {
      return found->second;
    }
    char* at = fncNameRoom(isName.size());
    if (!isName.empty()) std::memcpy(at, isName.data(), isName.size());
    const auto number = static_cast<uint32_t>(mNames.size());
    mNames.emplace_back(at, isName.size());
    if (mNameIndex) {
      mNameIndex->emplace(mNames.back(), number);
    } else if (mNames.size() > kNamesWithoutIndex) {
      // The tags of a document repeat a few dozen names; only a hostile one has many more.
      mNameIndex = std::make_unique<std::unordered_map<std::string_view, uint32_t>>();
      for (size_t i = 0; i < mNames.size(); ++i) mNameIndex->emplace(mNames[i], static_cast<uint32_t>(i));
    }
    return number;
  }
  std::string_view fncName(uint32_t ilNumber) const { return mNames[ilNumber]; }

  void subReserve(size_t ilCount) {
    if (mBlocks.empty()) mNextBlockSize = std::max<size_t>(1, ilCount);
  }

  // Packs every node's lists into words of exactly the size they take.
  void subTrim() {
    mNames.shrink_to_fit();
    std::vector<uint32_t> packed;
    packed.reserve(mWords.size() - mFreeWords);
    packed.push_back(0);
    const auto pack = [&](cElementContainer& node) {
      if (!node.mLists) return;
      const size_t words = fncBlockWords(mWords[node.mLists + kChildCount], mWords[node.mLists + kTextCount]);
      const auto at = static_cast<uint32_t>(packed.size());
      packed.insert(packed.end(), mWords.begin() + node.mLists, mWords.begin() + node.mLists + words);
      node.mLists = at;
    };
    pack(*mRoot);
    for (const cBlock& block : mBlocks)
      for (size_t i = 0; i < block.used; ++i) pack(block.nodes[i]);
    packed.shrink_to_fit();
    mWords = std::move(packed);
    std::vector<uint32_t>().swap(mFree);
    mFreeWords = 0;
  }

  cElementContainer* fncNode(uint32_t ilNumber) const {
    size_t k = ilNumber - size_t{1};  // the root's 0 becomes the largest
    if (k < mFirstBlockSize) return mFirstBlock + k;
    if (ilNumber == 0) return mRoot;
    k -= mFirstBlockSize;
    return mBlocks[1 + k / kBlockSize].nodes + k % kBlockSize;
  }

  // A new node below node `ilParent`, and its number.
  std::pair<cElementContainer*, uint32_t> fncMake(std::string_view isName, uint32_t ilParent) {
    const uint32_t name = fncNameNumber(isName);
    if (mBlocks.empty() || mBlocks.back().used == mBlocks.back().size) {
      auto memory = std::make_unique_for_overwrite<std::byte[]>(kHeadBytes +
                                                                mNextBlockSize * sizeof(cElementContainer));
      ::new (static_cast<void*>(memory.get())) cBlockHead{this, static_cast<uint32_t>(mMade + 1)};
      auto* nodes = reinterpret_cast<cElementContainer*>(memory.get() + kHeadBytes);
      mBlocks.push_back({std::move(memory), nodes, mNextBlockSize, 0});
      if (mBlocks.size() == 1) {
        mFirstBlock = nodes;
        mFirstBlockSize = mNextBlockSize;
      }
      mNextBlockSize = kBlockSize;
    }
    cBlock& block = mBlocks.back();
    cElementContainer* node = ::new (static_cast<void*>(block.nodes + block.used))
        cElementContainer(name, ilParent, static_cast<uint32_t>(block.used));
    ++block.used;
    return {node, static_cast<uint32_t>(++mMade)};
  }

  // What starts each block of nodes: the store, and the number of the block's first node.
  struct cBlockHead {
    cStore* store;
    uint32_t first;
  };
  static constexpr size_t kHeadBytes = 16;
  static_assert(sizeof(cBlockHead) <= kHeadBytes && alignof(cElementContainer) <= kHeadBytes);
  // The head of the block of a node that is not the root.
  static const cBlockHead& fncHead(const cElementContainer& node) {
    const cElementContainer* first = &node - node.mNameAndPlace[1];
    return *std::launder(
        reinterpret_cast<const cBlockHead*>(reinterpret_cast<const std::byte*>(first) - kHeadBytes));
  }
  // The number of a node of this store, from where it lies.
  static uint32_t fncNumberOf(const cElementContainer& node) {
    if (node.mParent == kNoParent) return 0;
    return fncHead(node).first + node.mNameAndPlace[1];
  }

  // A node's children and its text runs, as numbers; nothing for a node without lists.
  std::span<const uint32_t> fncChildren(uint32_t ilLists) const {
    if (!ilLists) return {};
    return {mWords.data() + ilLists + kListsStart, mWords[ilLists + kChildCount]};
  }
  std::span<const uint32_t> fncTexts(uint32_t ilLists) const {
    if (!ilLists) return {};
    const size_t childRoom = fncRoom(mWords[ilLists + kChildCount], kSmallestChildRoom);
    return {mWords.data() + ilLists + kListsStart + childRoom, mWords[ilLists + kTextCount]};
  }

  // A block of `ilWords` words, as the place of its first.
  uint32_t fncBlockOf(size_t ilWords) {
    if (ilWords < mFree.size()) {  // no list has been freed since the tree was packed
      if (const uint32_t at = mFree[ilWords]) {
        mFree[ilWords] = mWords[at];
        mFreeWords -= ilWords;
        return at;
      }
    }
    const auto at = static_cast<uint32_t>(mWords.size());
    mWords.resize(mWords.size() + ilWords);
    return at;
  }
  // Gives a block back for the next lists of its size (a large one waits for subTrim).
  void subFreeBlock(uint32_t at, size_t ilWords) {
    mFreeWords += ilWords;
    if (ilWords >= kFreeSizes) return;
    if (mFree.empty()) mFree.resize(kFreeSizes);
    mWords[at] = mFree[ilWords];
    mFree[ilWords] = at;
  }

  // Appends `value` to the children (bolChild) or text runs of `node`, moving its lists to a
  // larger block when that list has no room left.
  void subAppend(cElementContainer& node, bool bolChild, uint32_t value) {
    const size_t children = node.mLists ? mWords[node.mLists + kChildCount] : 0;
    const size_t texts = node.mLists ? mWords[node.mLists + kTextCount] : 0;
    const size_t count = bolChild ? children : texts;
    const size_t smallest = bolChild ? kSmallestChildRoom : kSmallestTextRoom;
    if (count == fncRoom(count, smallest)) {
      const size_t childRoom = fncRoom(children + (bolChild ? 1 : 0), kSmallestChildRoom);
      const size_t textRoom = fncRoom(texts + (bolChild ? 0 : 1), kSmallestTextRoom);
      const uint32_t bigger = fncBlockOf(kListsStart + childRoom + textRoom);
      mWords[bigger + kChildCount] = static_cast<uint32_t>(children);
      mWords[bigger + kTextCount] = static_cast<uint32_t>(texts);
      if (node.mLists) {
        const uint32_t old = node.mLists;
        const size_t oldChildRoom = fncRoom(children, kSmallestChildRoom);
        std::copy_n(mWords.begin() + old + kListsStart, children, mWords.begin() + bigger + kListsStart);
        std::copy_n(mWords.begin() + old + kListsStart + oldChildRoom, texts,
                    mWords.begin() + bigger + kListsStart + childRoom);
        subFreeBlock(old, fncBlockWords(children, texts));
      }
      node.mLists = bigger;
    }
    const uint32_t lists = node.mLists;
    const size_t start = kListsStart + (bolChild ? 0 : fncRoom(children, kSmallestChildRoom));
    mWords[lists + start + count] = value;
    ++mWords[lists + (bolChild ? kChildCount : kTextCount)];
  }

 private:
  struct cBlock {
    std::unique_ptr<std::byte[]> memory;  // a cBlockHead, then room for `size` nodes
    cElementContainer* nodes;
    size_t size;
    size_t used;
  };
  static constexpr size_t kBlockSize = 256;

  cFileData* mFileData;
  cElementContainer* mRoot;
  std::vector<cBlock> mBlocks;
  size_t mNextBlockSize;
  cElementContainer* mFirstBlock = nullptr;  // most trees have all their nodes here
  size_t mFirstBlockSize = 0;
  size_t mMade = 0;
  std::vector<uint32_t> mWords;
  // Per size, a list threaded through the free blocks; kept only while a tree is being built.
  static constexpr size_t kFreeSizes = 64;
  std::vector<uint32_t> mFree;
  size_t mFreeWords = 0;

  // Names live in chunks that never move; the table holds a view of each.
  static constexpr size_t kNameChunk = 128;
  static constexpr size_t kNamesWithoutIndex = 32;
  char* fncNameRoom(size_t ilSize) {
    if (ilSize > kNameChunk / 2) {
      // A long name gets a chunk of its own, so the current one keeps its room.
      mNameChunks.push_back(std::make_unique_for_overwrite<char[]>(ilSize));
      return mNameChunks.back().get();
    }
    if (mNameRoomLeft < ilSize) {
      mNameChunks.push_back(std::make_unique_for_overwrite<char[]>(kNameChunk));
      mNameRoom = mNameChunks.back().get();
      mNameRoomLeft = kNameChunk;
    }
    char* at = mNameRoom;
    mNameRoom += ilSize;
    mNameRoomLeft -= ilSize;
    return at;
  }
  std::vector<std::string_view> mNames;
  std::vector<std::unique_ptr<char[]>> mNameChunks;
  char* mNameRoom = nullptr;
  size_t mNameRoomLeft = 0;
  std::unique_ptr<std::unordered_map<std::string_view, uint32_t>> mNameIndex;  // with many names
};

cElementContainer::cElementContainer(std::string isName, cFileData* iclsFileData) {
  auto store = std::make_unique<cStore>(iclsFileData, this);
  store->fncNameNumber(isName);  // the first name is the root's
  cStore* owned = store.release();
  static_assert(sizeof mNameAndPlace == sizeof owned);
  std::memcpy(mNameAndPlace, &owned, sizeof owned);
}

cElementContainer::cElementContainer(uint32_t ilName, uint32_t ilParent, uint32_t ilPlace)
    : mParent(ilParent), mNameAndPlace{ilName, ilPlace} {}

cElementContainer::~cElementContainer() {
  if (mParent == kNoParent) std::unique_ptr<cStore> release(&fncStore());
}

cElementContainer::cStore& cElementContainer::fncStore() const {
  if (mParent == kNoParent) {
    cStore* owned = nullptr;
    std::memcpy(&owned, mNameAndPlace, sizeof owned);
    return *owned;
  }
  return *cStore::fncHead(*this).store;
}

std::string_view cElementContainer::sName() const {
  return fncStore().fncName(mParent == kNoParent ? 0 : mNameAndPlace[0]);
}

cFileData* cElementContainer::clsFileData() const {
  return mParent == kNoParent ? fncStore().clsFileData() : nullptr;
}

cFileData* cElementContainer::fncTreeFileData() const { return fncStore().clsFileData(); }

cElementContainer* cElementContainer::oParent() const {
  return mParent == kNoParent ? nullptr : fncStore().fncNode(mParent);
}

int32_t cElementContainer::fncListCount(bool bolChildren) const {
  const cStore& store = fncStore();
  return static_cast<int32_t>(bolChildren ? store.fncChildren(mLists).size() : store.fncTexts(mLists).size());
}

int32_t cElementContainer::lCurrentTextData() const {
  const int32_t count = lTextsOwned();
  return count ? pTextData(count) : 0;
}

cElementContainer* cElementContainer::fncChild(int32_t n) const {
  const cStore& store = fncStore();
  return store.fncNode(store.fncChildren(mLists)[static_cast<size_t>(n - 1)]);
}

uint32_t cElementContainer::fncNumber() const { return cStore::fncNumberOf(*this); }

int32_t cElementContainer::fncPosition() const {
  if (mParent == kNoParent) return 0;
  const cStore& store = fncStore();
  // A parent's children were made in order, so their numbers ascend.
  const std::span<const uint32_t> siblings = store.fncChildren(store.fncNode(mParent)->mLists);
  return static_cast<int32_t>(std::lower_bound(siblings.begin(), siblings.end(), fncNumber()) -
                              siblings.begin()) + 1;
}

std::string cElementContainer::sLevel() const {
  std::vector<int32_t> positions;
  for (const cElementContainer* node = this; node->mParent != kNoParent; node = node->oParent())
    positions.push_back(node->fncPosition());
  std::string level = "1";
  for (auto it = positions.rbegin(); it != positions.rend(); ++it) {
    level.push_back('.');
    level += std::to_string(*it);
  }
  return level;
}

cElementContainer* cElementContainer::fncSibling(int32_t ilPosition) const {
  if (mParent == kNoParent || ilPosition < 1) return nullptr;
  const cStore& store = fncStore();
  const std::span<const uint32_t> siblings = store.fncChildren(store.fncNode(mParent)->mLists);
  if (static_cast<size_t>(ilPosition) > siblings.size()) return nullptr;
  return store.fncNode(siblings[static_cast<size_t>(ilPosition - 1)]);
}

cElementContainer* cElementContainer::oNextSibling() const { return fncSibling(fncPosition() + 1); }

cElementContainer* cElementContainer::fncNextInPreOrder(const cElementContainer* top) const {
  const cStore& store = fncStore();
  if (const std::span<const uint32_t> children = store.fncChildren(mLists); !children.empty())
    return store.fncNode(children.front());
  for (const cElementContainer* node = this; node != top && node->mParent != kNoParent;) {
    const cElementContainer* parent = store.fncNode(node->mParent);
    const std::span<const uint32_t> siblings = store.fncChildren(parent->mLists);
    const auto next = static_cast<size_t>(node->fncPosition());  // the next sibling's index
    if (next < siblings.size()) return store.fncNode(siblings[next]);
    node = parent;
  }
  return nullptr;
}

cElementContainer* cElementContainer::oPreviousSibling() const { return fncSibling(fncPosition() - 1); }

cElementContainer* cElementContainer::pElementContainer(int32_t n) const {
  if (n < 1 || n > lElementsOwned()) return nullptr;
  return fncChild(n);
}

int32_t cElementContainer::pTextData(int32_t n) const {
  if (n < 1 || n > lTextsOwned()) return 0;
  return static_cast<int32_t>(fncStore().fncTexts(mLists)[static_cast<size_t>(n - 1)]);
}

void cElementContainer::subInsertElementContainer(std::string isElementName,
                                                  int32_t ilElementNumber) {
  cStore& store = fncStore();
  const auto [child, number] = store.fncMake(isElementName, fncNumber());
  child->lStartTagNumber = ilElementNumber;
  store.subAppend(*this, true, number);
  lCurrentElementContainer = lElementsOwned();
}

void cElementContainer::subReserveNodes(size_t ilCount) { fncStore().subReserve(ilCount); }

void cElementContainer::subTrimStore() { fncStore().subTrim(); }

cElementContainer* cElementContainer::fncRetrieveChild() const {
  const int32_t count = lElementsOwned();
  return count == 0 ? nullptr : fncChild(count);
}

void cElementContainer::subInsertTextData(int32_t ilTextNumber) {
  fncStore().subAppend(*this, false, static_cast<uint32_t>(ilTextNumber));
}

void cElementContainer::subResetAllElements(bool bolFirst) {
  std::vector<cElementContainer*> pending{this};
  while (!pending.empty()) {
    cElementContainer* node = pending.back();
    pending.pop_back();
    const int32_t count = node->lElementsOwned();
    node->lCurrentElementContainer = bolFirst ? 0 : count + 1;
    for (int32_t i = 1; i <= count; ++i) pending.push_back(node->fncChild(i));
  }
}

void cElementContainer::fncRetrieveElementContainers(
    std::vector<cElementContainer*>& aElementContainers) {
  // Pre-order: children are pushed last to first so that the first comes off the stack first.
  std::vector<cElementContainer*> pending;
  for (int32_t i = lElementsOwned(); i >= 1; --i) pending.push_back(fncChild(i));
  while (!pending.empty()) {
    cElementContainer* node = pending.back();
    pending.pop_back();
    aElementContainers.push_back(node);
    for (int32_t i = node->lElementsOwned(); i >= 1; --i) pending.push_back(node->fncChild(i));
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
    if (fncEqualsIgnoringCase(child->sName(), isElementName)) return child;
    if (child->lElementsOwned()) stack.emplace_back(child, 1);
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
    if (!isElementName || fncEqualsIgnoringCase(child->sName(), *isElementName)) return child;
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
    if (!isElementName || fncEqualsIgnoringCase(child->sName(), *isElementName)) return child;
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

static_assert(sizeof(lyn::cElementContainer) == 28, "nodes are a large part of what a loaded book costs");
