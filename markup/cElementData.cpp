#include "markup/cElementData.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/files/TextCase.h"

namespace lyn {

namespace {

// An attribute block, in 32-bit words. Word 0 is the count of pairs, word 1 the kind.
//
// Own block (kOwn): [2] capacity of the table  [3] text bytes used  [4] text capacity in bytes
//   [5 ...]  per pair the offset of its name in the text, the name's length and the value's
//            length (the value follows the name); then the text of every name and value.
// Kept block (kKept), made by a document for a tag whose names and values are pieces of its
// text, so that nothing is copied: [2, 3] the address of that text (a std::string)
//   [4 ...]  per pair the name's offset in the text, the value's length, and the name's length
//            (low 16 bits) with the distance from the name's start to the value's (high 16 bits).
constexpr uint32_t kOwn = 1;
constexpr uint32_t kKept = 2;
constexpr size_t kOwnHeader = 5;
constexpr size_t kKeptHeader = 4;
constexpr size_t kPairWords = 3;
constexpr size_t kLargestPacked = 0xFFFF;

size_t blockWords(size_t pairs, size_t textBytes) {
  return kOwnHeader + kPairWords * pairs + (textBytes + 3) / 4;
}

const char* blockText(const uint32_t* block) {
  return reinterpret_cast<const char*>(block + kOwnHeader + kPairWords * block[2]);
}

const std::string& keptText(const uint32_t* block) {
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

// A piece of the kept text; nothing when the text has since become shorter.
std::string_view keptPiece(const uint32_t* block, size_t offset, size_t length) {
  const std::string& text = keptText(block);
  if (offset > text.size()) return {};
  return std::string_view(text).substr(offset, length);
}

std::string_view pairName(const uint32_t* block, size_t index) {
  if (block[1] == kKept) {
    const uint32_t* pair = block + kKeptHeader + kPairWords * index;
    return keptPiece(block, pair[0], pair[2] & kLargestPacked);
  }
  const uint32_t* pair = block + kOwnHeader + kPairWords * index;
  return std::string_view(blockText(block) + pair[0], pair[1]);
}

std::string_view pairValue(const uint32_t* block, size_t index) {
  if (block[1] == kKept) {
    const uint32_t* pair = block + kKeptHeader + kPairWords * index;
    return keptPiece(block, size_t{pair[0]} + (pair[2] >> 16), pair[1]);
  }
  const uint32_t* pair = block + kOwnHeader + kPairWords * index;
  return std::string_view(blockText(block) + pair[0] + pair[1], pair[2]);
}

}  // namespace

void cElementData::cBlockRelease::operator()(uint32_t* block) const {
  if (block[1] == kOwn) std::default_delete<uint32_t[]>()(block);
}

size_t cElementData::fncKeptBlockWords(size_t ilPairs) { return kKeptHeader + kPairWords * ilPairs; }

bool cElementData::fncbKeepable(
    const std::string& isText,
    std::span<const std::pair<std::string_view, std::string_view>> aPairs) {
  const auto inside = [&](std::string_view piece) {
    const auto begin = reinterpret_cast<uintptr_t>(isText.data());
    const auto at = reinterpret_cast<uintptr_t>(piece.data());
    return at >= begin && at - begin <= isText.size() && piece.size() <= isText.size() - (at - begin);
  };
  for (const auto& [name, value] : aPairs) {
    if (!inside(name) || !inside(value) || value.data() < name.data()) return false;
    if (name.size() > kLargestPacked ||
        static_cast<size_t>(value.data() - name.data()) > kLargestPacked)
      return false;
  }
  return !aPairs.empty();
}

void cElementData::subKeepAttributes(
    uint32_t* oBlock, const std::string& isText,
    std::span<const std::pair<std::string_view, std::string_view>> aPairs) {
  oBlock[0] = static_cast<uint32_t>(aPairs.size());
  oBlock[1] = kKept;
  const std::string* text = &isText;
  std::memcpy(oBlock + 2, &text, sizeof text);
  uint32_t* pair = oBlock + kKeptHeader;
  for (const auto& [name, value] : aPairs) {
    pair[0] = static_cast<uint32_t>(name.data() - isText.data());
    pair[1] = static_cast<uint32_t>(value.size());
    pair[2] = static_cast<uint32_t>(name.size()) |
              static_cast<uint32_t>(value.data() - name.data()) << 16;
    pair += kPairWords;
  }
  mAttributes.reset(oBlock);
}

void cElementData::subOwnAttributes(const uint32_t* kept, size_t ilExtraPairs,
                                    size_t ilExtraBytes) {
  const size_t count = kept[0];
  size_t bytes = ilExtraBytes;
  for (size_t i = 0; i < count; ++i) bytes += pairName(kept, i).size() + pairValue(kept, i).size();
  std::unique_ptr<uint32_t[], cBlockRelease> own(makeBlock(count + ilExtraPairs, bytes).release());
  uint32_t* block = own.get();
  char* text = const_cast<char*>(blockText(block));
  for (size_t i = 0; i < count; ++i) {
    const std::string_view name = pairName(kept, i);
    const std::string_view value = pairValue(kept, i);
    uint32_t* pair = block + kOwnHeader + kPairWords * i;
    pair[0] = block[3];
    pair[1] = static_cast<uint32_t>(name.size());
    pair[2] = static_cast<uint32_t>(value.size());
    if (!name.empty()) std::memcpy(text + block[3], name.data(), name.size());
    if (!value.empty()) std::memcpy(text + block[3] + name.size(), value.data(), value.size());
    block[3] += static_cast<uint32_t>(name.size() + value.size());
  }
  block[0] = static_cast<uint32_t>(count);
  mAttributes = std::move(own);
}

cElementData::cElementData(const cElementData& other)
    : sElementName(other.sElementName),
      bolStartTag(other.bolStartTag),
      bolEndTag(other.bolEndTag),
      bolWarning(other.bolWarning),
      lElmStartPos(other.lElmStartPos),
      lElmEndPos(other.lElmEndPos),
      lTextBefore(other.lTextBefore),
      lTextAfter(other.lTextAfter) {
  if (!other.mAttributes) return;
  if (other.mAttributes[1] == kKept) {
    // A copy may outlive the document whose text the original points into.
    subOwnAttributes(other.mAttributes.get(), 0, 0);
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
  if (mAttributes && mAttributes[1] == kKept) subOwnAttributes(mAttributes.get(), 1, bytes);
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
