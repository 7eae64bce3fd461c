#include "markup/cElementName.h"

#include <memory>

namespace lyn {

void cElementName::subSet(std::string_view isName) {
  if (isName.size() <= kLongestInPlace) {
    mWord = kInPlace | uint64_t{isName.size()} << 1;
    if (!isName.empty()) std::memcpy(reinterpret_cast<char*>(&mWord) + 1, isName.data(), isName.size());
    return;
  }
  const auto size = static_cast<uint32_t>(isName.size());
  char* block = std::allocator<char>().allocate(sizeof size + size);
  std::memcpy(block, &size, sizeof size);
  std::memcpy(block + sizeof size, isName.data(), size);
  mWord = reinterpret_cast<uintptr_t>(block);
}

void cElementName::subRelease() {
  if (mWord & kInPlace) return;
  uint32_t size = 0;
  std::memcpy(&size, fncBlock(), sizeof size);
  std::allocator<char>().deallocate(const_cast<char*>(fncBlock()), sizeof size + size);
}

cElementName& cElementName::operator=(std::string_view isName) {
  // The new name may be a piece of the old one.
  cElementName fresh(isName);
  return *this = std::move(fresh);
}

}  // namespace lyn
