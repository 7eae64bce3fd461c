#pragma once
// One node of a document's element tree.
//
// The tree mirrors the nesting of the structural elements (html, head, body, title, h1-h6, span,
// div, a, p, smil, seq, par); every other tag is a leaf. The document owns the root and the root
// owns every node of its tree (they live in one store, made in blocks); child, parent and sibling
// links are borrowed pointers into it. Release the tree through its owner (the document): the
// root's end releases all nodes at once, without recursion, so trees of any depth are safe.
//
// A tree keeps the child and text-run lists of its nodes in its store too, as 32-bit numbers of
// nodes and runs, so a leaf costs no list at all.
//
// Child and text-run numbers are 1-based. Every node has a cursor over its children
// (lCurrentElementContainer): 0 before the first child, lElementsOwned + 1 after the last. The
// retrieval operations move the cursors of the nodes they visit and resume from them on the next
// call; reset them (subResetAllElements) before a fresh walk. No operation recurses: depth is
// limited by memory only.
//
// Lookups never fail: numbers out of range and names not present give nothing (nullptr) or 0.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>


namespace lyn {

class cFileData;

class cElementContainer {
 public:
  // A root node. The document gives itself as `iclsFileData` and 0 as the start tag.
  explicit cElementContainer(std::string isName = "Document", cFileData* iclsFileData = nullptr);
  ~cElementContainer();
  cElementContainer(cElementContainer&&) = delete;
  cElementContainer(const cElementContainer&) = delete;
  cElementContainer& operator=(const cElementContainer&) = delete;

  // The name as written ("Document" for the root); the view lasts as long as the tree.
  std::string_view sName() const;
  int32_t lStartTagNumber = -1;       // index of the start tag in the element list (root: 0)
  int32_t lEndTagNumber = -1;         // index of the matching end tag; -1 when never closed
  int32_t lCurrentElementContainer = 0;  // the child cursor

  int32_t lCurrentTextData() const;   // the text-run index added last; 0 before any
  cFileData* clsFileData() const;  // set on the root only
  // The document of the whole tree (its root's clsFileData), from any node in one step.
  cFileData* fncTreeFileData() const;
  cElementContainer* oParent() const;
  cElementContainer* oNextSibling() const;
  cElementContainer* oPreviousSibling() const;
  int32_t lElementsOwned() const { return mLists ? fncListCount(true) : 0; }
  int32_t lTextsOwned() const { return mLists ? fncListCount(false) : 0; }

  // The node's path: "1" for the root, then the parent's level, ".", and the 1-based position
  // among the parent's children ("1.2.5"). Made when asked (cost: the depth).
  std::string sLevel() const;

  // The node after this one in pre-order (its first child, else the next sibling of it or of its
  // nearest ancestor that has one), staying inside the subtree of `top`; nothing at its end.
  cElementContainer* fncNextInPreOrder(const cElementContainer* top) const;

  // Child n, or nothing when n is not in 1..lElementsOwned.
  cElementContainer* pElementContainer(int32_t n) const;
  // The n-th text-run index of this node, 0 when n is not in 1..lTextsOwned.
  int32_t pTextData(int32_t n) const;

  // Appends a child named `isElementName` whose start tag is element `ilElementNumber`, links it
  // to the previous last child as its sibling and puts this node's cursor on it.
  void subInsertElementContainer(std::string isElementName, int32_t ilElementNumber);
  // On a root before its first child: room for about `ilCount` nodes in one block, so that a
  // tree whose size is known up front takes one allocation and wastes none.
  void subReserveNodes(size_t ilCount);
  // On a root whose tree is complete: gives back the room its lists hold beyond what they use.
  void subTrimStore();
  cElementContainer* fncRetrieveChild() const;   // the last child added, or nothing
  cElementContainer* fncRetrieveParent() const { return oParent(); }
  void subInsertTextData(int32_t ilTextNumber);  // appends a text-run index

  // Puts the cursor of this node and of every node below it before the first child (true) or
  // after the last (false).
  void subResetAllElements(bool bolFirst);

  // Appends every node below this one, in pre-order (a child, its descendants, the next child).
  void fncRetrieveElementContainers(std::vector<cElementContainer*>& aElementContainers);

  // The first node below this one, in pre-order, whose name equals `isElementName` ignoring
  // case. Each node visited has its cursor set to the child being examined.
  cElementContainer* fncRetrieveElementContainer(std::string_view isElementName);

  // Without a name: the child after the cursor, which becomes the cursor. With a name: for each
  // child after the cursor (the cursor moves to it) the child itself when its name matches
  // ignoring case, else the child's own answer to the same question from the child's cursor.
  // A cursor below 1 counts as 0. Nothing when the children are exhausted.
  cElementContainer* fncRetrieveNextElementContainer();
  cElementContainer* fncRetrieveNextElementContainer(std::string_view isElementName);
  // The mirror image: children before the cursor, last to first; a cursor below 1 counts as one
  // past the last child.
  cElementContainer* fncRetrievePreviousElementContainer();
  cElementContainer* fncRetrievePreviousElementContainer(std::string_view isElementName);

  // The child at the cursor when 1 <= cursor <= lElementsOwned, else nothing.
  cElementContainer* fncRetrieveCurrentElementContainer() const;

 private:
  class cStore;  // the nodes and lists of one tree
  static constexpr uint32_t kNoParent = UINT32_MAX;

  // A node of the tree whose name is the store's name `ilName`, below node number `ilParent` of
  // the store, at place `ilPlace` of its block, as the store makes it.
  cElementContainer(uint32_t ilName, uint32_t ilParent, uint32_t ilPlace);

  cStore& fncStore() const;

  cElementContainer* fncRetrieveNext(const std::string_view* isElementName);
  cElementContainer* fncRetrievePrevious(const std::string_view* isElementName);
  cElementContainer* fncChild(int32_t n) const;  // n in 1..lElementsOwned
  uint32_t fncNumber() const;                    // this node's number in the store
  int32_t fncPosition() const;  // 1-based place among the parent's children; 0 for the root
  int32_t fncListCount(bool bolChildren) const;  // with lists: children (true) or text runs
  cElementContainer* fncSibling(int32_t ilPosition) const;  // the parent's child there, or nothing

  uint32_t mParent = kNoParent;  // the parent's number in the store
  uint32_t mLists = 0;           // where the store keeps this node's lists; 0 for none
  // A node: [0] the store's number of its name (tags repeat few names), [1] its place in its
  // block of the store, which starts with the store's address. The root lies in no block and its
  // name is the store's first: it keeps here the address of the store it made and releases.
  uint32_t mNameAndPlace[2] = {};
};

}  // namespace lyn
