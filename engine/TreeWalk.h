#pragma once
// Walks over a document tree in pre-order, shared by the SMIL player and the NCC reader.

#include <string_view>

#include "markup/cElementContainer.h"
#include "platform/files/TextCase.h"

namespace lyn {

// The node after `node` in pre-order, staying inside the subtree of `top`.
inline cElementContainer* fncNextInSubtree(cElementContainer* node, const cElementContainer* top) {
  return node->fncNextInPreOrder(top);
}

// The first node below `top` (pre-order, `top` itself not included) named `name`, ignoring case.
inline cElementContainer* fncFindBelow(cElementContainer* top, std::string_view name) {
  if (top->lElementsOwned() == 0) return nullptr;
  for (cElementContainer* node = top->pElementContainer(1); node;
       node = fncNextInSubtree(node, top)) {
    if (fncEqualsIgnoringCase(node->sName(), name)) return node;
  }
  return nullptr;
}

}  // namespace lyn
