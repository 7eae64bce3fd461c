#include "markup/cElementData.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "markup/TagScan.h"
#include "platform/files/TextCase.h"

namespace lyn {

namespace {

// An attribute block, in 32-bit words. Word 1 is the kind.
//
// Own block (kOwn): [0] count of pairs  [2] capacity of the table  [3] text bytes used
//   [4] text capacity in bytes  [5 ...]  per pair the offset of its name in the text, the name's
//   length and the value's length (the value follows the name); then the text of every name and
//   value.
// Text block (kText), one per document, shared by the records whose attributes are read from its
// text (the record says where they begin): [2, 3] the address of that text (a std::string).
constexpr uint32_t kOwn = 1;
constexpr uint32_t kText = 2;
constexpr size_t kOwnHeader = 5;
constexpr size_t kPairWords = 3;

size_t blockWords(size_t pairs, size_t textBytes) {
  return kOwnHeader + kPairWords * pairs + (textBytes + 3) / 4;
}

const char* blockText(const uint32_t* block) {
  return reinterpret_cast<const char*>(block + kOwnHeader + kPairWords * block[2]);
}

std::string_view textOf(const uint32_t* block) {
  const std::string* text = nullptr;
  std::memcpy(&text, block + 2, sizeof text);
  return *text;
}

std::unique_ptr<uint32_t[]> makeBlock(size_t pairs, size_t textBytes) {
  auto block = std::make_unique_for_overwrite<uint32_t[]>(blockWords(pairs, textBytes));
  block[0] = 0;
  block[1] = kOwn;
  block[2] = static_cast<uint32_t>(pairs);
  block[3] = 0;
  block[4] = static_cast<uint32_t>(textBytes);
  return block;
}

std::string_view ownName(const uint32_t* block, size_t index) {
  const uint32_t* pair = block + kOwnHeader + kPairWords * index;
  return std::string_view(blockText(block) + pair[0], pair[1]);
}

std::string_view ownValue(const uint32_t* block, size_t index) {
  const uint32_t* pair = block + kOwnHeader + kPairWords * index;
  return std::string_view(blockText(block) + pair[0] + pair[1], pair[2]);
}

}  // namespace

void cElementData::cBlockRelease::operator()(uint32_t* block) const {
  if (block[1] == kOwn) std::default_delete<uint32_t[]>()(block);
}

void cElementData::subMakeTextBlock(uint32_t (&oTextBlock)[4], const std::string& isText) {
  oTextBlock[0] = 0;
  oTextBlock[1] = kText;
  const std::string* text = &isText;
  std::memcpy(oTextBlock + 2, &text, sizeof text);
}

void cElementData::subReadAttributesFrom(uint32_t* iTextBlock, size_t ilFrom) {
  mAttributesFrom = static_cast<uint32_t>(ilFrom);
  mAttributes.reset(iTextBlock);
}

// Calls `visit(name, value)` for each pair in order until it returns true; the number of pairs
// visited.
template <typename Visit>
static int32_t forEachPair(const uint32_t* block, uint32_t from, Visit&& visit) {
  if (!block) return 0;
  if (block[1] == kOwn) {
    for (uint32_t i = 0; i < block[0]; ++i)
      if (visit(ownName(block, i), ownValue(block, i))) return static_cast<int32_t>(i) + 1;
    return static_cast<int32_t>(block[0]);
  }
  const std::string_view text = textOf(block);
  if (from > text.size()) return 0;  // the text has been changed since
  cAttributeScan scan(text, from);
  std::string_view name, value;
  int32_t count = 0;
  while (scan.fncbNext(name, value)) {
    ++count;
    if (visit(name, value)) break;
  }
  return count;
}

void cElementData::subOwnAttributes(size_t ilExtraPairs, size_t ilExtraBytes) {
  std::vector<std::pair<std::string_view, std::string_view>> pairs;
  size_t bytes = ilExtraBytes;
  forEachPair(mAttributes.get(), mAttributesFrom, [&](std::string_view name, std::string_view value) {
    pairs.emplace_back(name, value);
    bytes += name.size() + value.size();
    return false;
  });
  std::unique_ptr<uint32_t[], cBlockRelease> own(makeBlock(pairs.size() + ilExtraPairs, bytes).release());
  uint32_t* block = own.get();
  char* text = const_cast<char*>(blockText(block));
  for (size_t i = 0; i < pairs.size(); ++i) {
    const auto& [name, value] = pairs[i];
    uint32_t* pair = block + kOwnHeader + kPairWords * i;
    pair[0] = block[3];
    pair[1] = static_cast<uint32_t>(name.size());
    pair[2] = static_cast<uint32_t>(value.size());
    if (!name.empty()) std::memcpy(text + block[3], name.data(), name.size());
    if (!value.empty()) std::memcpy(text + block[3] + name.size(), value.data(), value.size());
    block[3] += static_cast<uint32_t>(name.size() + value.size());
  }
  block[0] = static_cast<uint32_t>(pairs.size());
  mAttributes = std::move(own);
  mAttributesFrom = 0;
}

cElementData::cElementData(const cElementData& other)
    : sElementName(other.sElementName),
      bolStartTag(other.bolStartTag),
      bolEndTag(other.bolEndTag),
      bolWarning(other.bolWarning),
      mAttributesFrom(other.mAttributesFrom),
      lElmStartPos(other.lElmStartPos),
      lElmEndPos(other.lElmEndPos),
      lTextBefore(other.lTextBefore),
      lTextAfter(other.lTextAfter) {
  if (!other.mAttributes) return;
  if (other.mAttributes[1] != kOwn) {
    // A copy may outlive the document whose text the original reads.
    mAttributes.reset(other.mAttributes.get());
    subOwnAttributes(0, 0);
    return;
  }
  const size_t words = blockWords(other.mAttributes[2], other.mAttributes[4]);
  mAttributes.reset(std::make_unique_for_overwrite<uint32_t[]>(words).release());
  std::memcpy(mAttributes.get(), other.mAttributes.get(), words * sizeof(uint32_t));
}

cElementData& cElementData::operator=(const cElementData& other) {
  if (this != &other) {
    cElementData copy(other);
    *this = std::move(copy);
  }
  return *this;
}

int32_t cElementData::lNumberOfAttributes() const {
  if (mAttributes && mAttributes[1] == kOwn) return static_cast<int32_t>(mAttributes[0]);
  return forEachPair(mAttributes.get(), mAttributesFrom,
                     [](std::string_view, std::string_view) { return false; });
}

std::string_view cElementData::pAttrName(int32_t n) const {
  std::string_view found;
  if (n < 1 || !mAttributes) return found;
  if (mAttributes[1] == kOwn)
    return n <= lNumberOfAttributes() ? ownName(mAttributes.get(), static_cast<size_t>(n - 1)) : found;
  int32_t i = 0;
  forEachPair(mAttributes.get(), mAttributesFrom, [&](std::string_view name, std::string_view) {
    if (++i < n) return false;
    found = name;
    return true;
  });
  return found;
}

std::string_view cElementData::pAttrValue(int32_t n) const {
  std::string_view found;
  if (n < 1 || !mAttributes) return found;
  if (mAttributes[1] == kOwn)
    return n <= lNumberOfAttributes() ? ownValue(mAttributes.get(), static_cast<size_t>(n - 1)) : found;
  int32_t i = 0;
  forEachPair(mAttributes.get(), mAttributesFrom, [&](std::string_view, std::string_view value) {
    if (++i < n) return false;
    found = value;
    return true;
  });
  return found;
}

std::string_view cElementData::fncAttrContent(std::string_view isAttrName) const {
  std::string_view found;
  forEachPair(mAttributes.get(), mAttributesFrom, [&](std::string_view name, std::string_view value) {
    if (!fncEqualsIgnoringCase(name, isAttrName)) return false;
    found = value;
    return true;
  });
  return found;
}

std::string_view cElementData::fncAttrContentWOQ(std::string_view isAttrName) const {
  std::string_view value = fncAttrContent(isAttrName);
  const auto isQuote = [](char c) { return c == '"' || c == '\''; };
  if (!value.empty() && isQuote(value.front())) value.remove_prefix(1);
  if (!value.empty() && isQuote(value.back())) value.remove_suffix(1);
  return value;
}

bool cElementData::fncAttributeExists(std::string_view isAttrName) const {
  bool found = false;
  forEachPair(mAttributes.get(), mAttributesFrom, [&](std::string_view name, std::string_view) {
    return found = fncEqualsIgnoringCase(name, isAttrName);
  });
  return found;
}

int32_t cElementData::fncInsertAttribute(std::string_view isAttrName, std::string_view isAttrValue) {
  const size_t bytes = isAttrName.size() + isAttrValue.size();
  if (mAttributes && mAttributes[1] != kOwn) subOwnAttributes(1, bytes);
  if (!mAttributes) {
    // Room for the usual few attributes of a tag, so that adding them reallocates nothing.
    mAttributes.reset(makeBlock(4, std::max<size_t>(48, bytes)).release());
  } else if (mAttributes[0] == mAttributes[2] || mAttributes[3] + bytes > mAttributes[4]) {
    const uint32_t* old = mAttributes.get();
    const size_t pairs = old[0] == old[2] ? size_t{old[2]} * 2 : old[2];
    const size_t text = std::max<size_t>(size_t{old[4]} * 2, old[3] + bytes);
    auto grown = makeBlock(pairs, text);
    grown[0] = old[0];
    grown[3] = old[3];
    std::memcpy(grown.get() + kOwnHeader, old + kOwnHeader, kPairWords * old[0] * sizeof(uint32_t));
    std::memcpy(const_cast<char*>(blockText(grown.get())), blockText(old), old[3]);
    mAttributes.reset(grown.release());
  }
  uint32_t* block = mAttributes.get();
  uint32_t* pair = block + kOwnHeader + kPairWords * block[0];
  pair[0] = block[3];
  pair[1] = static_cast<uint32_t>(isAttrName.size());
  pair[2] = static_cast<uint32_t>(isAttrValue.size());
  char* text = const_cast<char*>(blockText(block)) + block[3];
  if (!isAttrName.empty()) std::memcpy(text, isAttrName.data(), isAttrName.size());
  if (!isAttrValue.empty()) std::memcpy(text + isAttrName.size(), isAttrValue.data(), isAttrValue.size());
  block[3] += static_cast<uint32_t>(bytes);
  ++block[0];
  return lNumberOfAttributes();
}

void cElementData::subSetAttributes(
    std::span<const std::pair<std::string_view, std::string_view>> aPairs) {
  if (aPairs.empty()) {
    mAttributes.reset();
    return;
  }
  size_t bytes = 0;
  for (const auto& [name, value] : aPairs) bytes += name.size() + value.size();
  mAttributes.reset(makeBlock(aPairs.size(), bytes).release());
  for (const auto& [name, value] : aPairs) fncInsertAttribute(name, value);
}

}  // namespace lyn
