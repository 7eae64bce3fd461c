#include "markup/cElementContainer.h"

#include <algorithm>

#include "platform/files/TextCase.h"

namespace lyn {

cElementContainer::cElementContainer(std::string isName, cFileData* iclsFileData)
    : sName(std::move(isName)), mFileData(iclsFileData) {}

cElementContainer::~cElementContainer() {
  // Release the subtree from a work list: each node is emptied before it dies, so no
  // destructor below this one has children left to recurse into.
  std::vector<std::unique_ptr<cElementContainer>> pending = std::move(mChildren);
  while (!pending.empty()) {
    std::unique_ptr<cElementContainer> node = std::move(pending.back());
    pending.pop_back();
    for (auto& child : node->mChildren) pending.push_back(std::move(child));
    node->mChildren.clear();
  }
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

cElementContainer* cElementContainer::pElementContainer(int32_t n) const {
  if (n < 1 || n > lElementsOwned()) return nullptr;
  return mChildren[static_cast<size_t>(n - 1)].get();
}

int32_t cElementContainer::pTextData(int32_t n) const {
  if (n < 1 || n > lTextsOwned()) return 0;
  return mTexts[static_cast<size_t>(n - 1)];
}

void cElementContainer::subInsertElementContainer(std::string isElementName,
                                                  int32_t ilElementNumber) {
  auto child = std::make_unique<cElementContainer>(std::move(isElementName));
  child->lStartTagNumber = ilElementNumber;
  child->mParent = this;
  child->mPosition = lElementsOwned() + 1;
  if (!mChildren.empty()) {
    cElementContainer* previous = mChildren.back().get();
    previous->mNextSibling = child.get();
    child->mPreviousSibling = previous;
  }
  mChildren.push_back(std::move(child));
  lCurrentElementContainer = lElementsOwned();
}

cElementContainer* cElementContainer::fncRetrieveChild() const {
  return mChildren.empty() ? nullptr : mChildren.back().get();
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
    for (auto& child : node->mChildren) pending.push_back(child.get());
  }
}

void cElementContainer::fncRetrieveElementContainers(
    std::vector<cElementContainer*>& aElementContainers) {
  // Pre-order: children are pushed last to first so that the first comes off the stack first.
  std::vector<cElementContainer*> pending;
  for (auto it = mChildren.rbegin(); it != mChildren.rend(); ++it) pending.push_back(it->get());
  while (!pending.empty()) {
    cElementContainer* node = pending.back();
    pending.pop_back();
    aElementContainers.push_back(node);
    for (auto it = node->mChildren.rbegin(); it != node->mChildren.rend(); ++it)
      pending.push_back(it->get());
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
    cElementContainer* child = node->mChildren[static_cast<size_t>(next - 1)].get();
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
    cElementContainer* child =
        node->mChildren[static_cast<size_t>(node->lCurrentElementContainer - 1)].get();
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
    cElementContainer* child =
        node->mChildren[static_cast<size_t>(node->lCurrentElementContainer - 1)].get();
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
