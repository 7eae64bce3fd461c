#include "markup/cElementData.h"

#include <algorithm>
#include <cstring>

#include "platform/files/TextCase.h"

namespace lyn {

namespace {

// The attribute block, in 32-bit words:
//   [0] count  [1] capacity of the table  [2] text bytes used  [3] text capacity in bytes
//   [4 ...]    the table: per pair the offset of its name in the text, the name's length and the
//              value's length (the value follows the name)
//   then       the text of every name and value
constexpr size_t kHeader = 4;
constexpr size_t kPairWords = 3;

size_t blockWords(size_t pairs, size_t textBytes) {
  return kHeader + kPairWords * pairs + (textBytes + 3) / 4;
}

const char* blockText(const uint32_t* block) {
  return reinterpret_cast<const char*>(block + kHeader + kPairWords * block[1]);
}

std::unique_ptr<uint32_t[]> makeBlock(size_t pairs, size_t textBytes) {
  auto block = std::make_unique_for_overwrite<uint32_t[]>(blockWords(pairs, textBytes));
  block[0] = 0;
  block[1] = static_cast<uint32_t>(pairs);
  block[2] = 0;
  block[3] = static_cast<uint32_t>(textBytes);
  return block;
}

std::string_view pairName(const uint32_t* block, size_t index) {
  const uint32_t* pair = block + kHeader + kPairWords * index;
  return std::string_view(blockText(block) + pair[0], pair[1]);
}

std::string_view pairValue(const uint32_t* block, size_t index) {
  const uint32_t* pair = block + kHeader + kPairWords * index;
  return std::string_view(blockText(block) + pair[0] + pair[1], pair[2]);
}

}  // namespace

cElementData::cElementData(const cElementData& other)
    : sElementName(other.sElementName),
      bolStartTag(other.bolStartTag),
      bolEndTag(other.bolEndTag),
      bolWarning(other.bolWarning),
      lElmStartPos(other.lElmStartPos),
      lElmEndPos(other.lElmEndPos),
      lTextBefore(other.lTextBefore),
      lTextAfter(other.lTextAfter) {
  if (other.mAttributes) {
    const size_t words = blockWords(other.mAttributes[1], other.mAttributes[3]);
    mAttributes = std::make_unique_for_overwrite<uint32_t[]>(words);
    std::memcpy(mAttributes.get(), other.mAttributes.get(), words * sizeof(uint32_t));
  }
}

cElementData& cElementData::operator=(const cElementData& other) {
  if (this != &other) {
    cElementData copy(other);
    *this = std::move(copy);
  }
  return *this;
}

std::string_view cElementData::pAttrName(int32_t n) const {
  if (n < 1 || n > lNumberOfAttributes()) return {};
  return pairName(mAttributes.get(), static_cast<size_t>(n - 1));
}

std::string_view cElementData::pAttrValue(int32_t n) const {
  if (n < 1 || n > lNumberOfAttributes()) return {};
  return pairValue(mAttributes.get(), static_cast<size_t>(n - 1));
}

std::string_view cElementData::fncAttrContent(std::string_view isAttrName) const {
  const int32_t count = lNumberOfAttributes();
  for (int32_t i = 0; i < count; ++i)
    if (fncEqualsIgnoringCase(pairName(mAttributes.get(), static_cast<size_t>(i)), isAttrName))
      return pairValue(mAttributes.get(), static_cast<size_t>(i));
  return {};
}

std::string_view cElementData::fncAttrContentWOQ(std::string_view isAttrName) const {
  std::string_view value = fncAttrContent(isAttrName);
  const auto isQuote = [](char c) { return c == '"' || c == '\''; };
  if (!value.empty() && isQuote(value.front())) value.remove_prefix(1);
  if (!value.empty() && isQuote(value.back())) value.remove_suffix(1);
  return value;
}

bool cElementData::fncAttributeExists(std::string_view isAttrName) const {
  const int32_t count = lNumberOfAttributes();
  for (int32_t i = 0; i < count; ++i)
    if (fncEqualsIgnoringCase(pairName(mAttributes.get(), static_cast<size_t>(i)), isAttrName))
      return true;
  return false;
}

int32_t cElementData::fncInsertAttribute(std::string_view isAttrName, std::string_view isAttrValue) {
  const size_t bytes = isAttrName.size() + isAttrValue.size();
  if (!mAttributes) {
    // Room for the usual few attributes of a tag, so that adding them reallocates nothing.
    mAttributes = makeBlock(4, std::max<size_t>(48, bytes));
  } else if (mAttributes[0] == mAttributes[1] || mAttributes[2] + bytes > mAttributes[3]) {
    const uint32_t* old = mAttributes.get();
    const size_t pairs = old[0] == old[1] ? size_t{old[1]} * 2 : old[1];
    const size_t text = std::max<size_t>(size_t{old[3]} * 2, old[2] + bytes);
    auto grown = makeBlock(pairs, text);
    grown[0] = old[0];
    grown[2] = old[2];
    std::memcpy(grown.get() + kHeader, old + kHeader, kPairWords * old[0] * sizeof(uint32_t));
    std::memcpy(const_cast<char*>(blockText(grown.get())), blockText(old), old[2]);
    mAttributes = std::move(grown);
  }
  uint32_t* block = mAttributes.get();
  uint32_t* pair = block + kHeader + kPairWords * block[0];
  pair[0] = block[2];
  pair[1] = static_cast<uint32_t>(isAttrName.size());
  pair[2] = static_cast<uint32_t>(isAttrValue.size());
  char* text = const_cast<char*>(blockText(block)) + block[2];
  if (!isAttrName.empty()) std::memcpy(text, isAttrName.data(), isAttrName.size());
  if (!isAttrValue.empty()) std::memcpy(text + isAttrName.size(), isAttrValue.data(), isAttrValue.size());
  block[2] += static_cast<uint32_t>(bytes);
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
  mAttributes = makeBlock(aPairs.size(), bytes);
  for (const auto& [name, value] : aPairs) fncInsertAttribute(name, value);
}

}  // namespace lyn
