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
//   [4] text capacity in bytes  [5] size of the record's name  [6 ...]  per pair the offset of
//   its name in the text, the name's length and the value's length (the value follows the name);
//   then the text: the record's name, then every name and value.
// Text block (kText), one per document, shared by the records whose name and attributes are read
// from its text (the record says where they begin): [2, 3] the address of that text (a
// std::string).
constexpr uint32_t kOwn = 1;
constexpr uint32_t kText = 2;
constexpr size_t kOwnHeader = 6;
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
  block[5] = 0;
  return block;
}

// Appends to a block with room for them the record's name (before any pair) or a pair.
void appendName(uint32_t* block, std::string_view name) {
  char* text = const_cast<char*>(blockText(block));
  if (!name.empty()) std::memcpy(text + block[3], name.data(), name.size());
  block[3] += static_cast<uint32_t>(name.size());
  block[5] = static_cast<uint32_t>(name.size());
}

void appendPair(uint32_t* block, std::string_view name, std::string_view value) {
  uint32_t* pair = block + kOwnHeader + kPairWords * block[0];
  pair[0] = block[3];
  pair[1] = static_cast<uint32_t>(name.size());
  pair[2] = static_cast<uint32_t>(value.size());
  char* text = const_cast<char*>(blockText(block)) + block[3];
  if (!name.empty()) std::memcpy(text, name.data(), name.size());
  if (!value.empty()) std::memcpy(text + name.size(), value.data(), value.size());
  block[3] += static_cast<uint32_t>(name.size() + value.size());
  ++block[0];
}

std::string_view ownName(const uint32_t* block, size_t index) {
  const uint32_t* pair = block + kOwnHeader + kPairWords * index;
  return std::string_view(blockText(block) + pair[0], pair[1]);
}

std::string_view ownValue(const uint32_t* block, size_t index) {
  const uint32_t* pair = block + kOwnHeader + kPairWords * index;
  return std::string_view(blockText(block) + pair[0] + pair[1], pair[2]);
}

// Names compared ignoring case, with the usual answer, a different first letter, found at once.
bool sameName(std::string_view a, std::string_view b) {
  if (!a.empty() && !b.empty()) {
    const auto x = static_cast<unsigned char>(a[0]);
    const auto y = static_cast<unsigned char>(b[0]);
    if (x < 0x80 && y < 0x80 && fncAsciiLower(static_cast<char>(x)) != fncAsciiLower(static_cast<char>(y)))
      return false;
  }
  return fncEqualsIgnoringCase(a, b);
}

// Whether the name that begins at `at` in `text` is `want`, ignoring case, read only as far as
// needed: 1 yes, -1 no, 0 when it takes more than ASCII to tell.
int quickNameMatch(std::string_view text, size_t at, std::string_view want) {
  if (want.size() > text.size() - at) return 0;
  for (size_t i = 0; i < want.size(); ++i) {
    const auto x = static_cast<unsigned char>(text[at + i]);
    const auto y = static_cast<unsigned char>(want[i]);
    if ((x | y) & 0x80) return 0;
    if (x != y && fncAsciiLower(static_cast<char>(x)) != fncAsciiLower(static_cast<char>(y)))
      return -1;
  }
  const size_t end = at + want.size();
  if (end == text.size()) return 1;
  if (static_cast<unsigned char>(text[end]) & 0x80) return 0;
  return fncScanTagNameQuickly(text, end) == end ? 1 : -1;  // else the name goes on
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

size_t cElementData::fncAttributesFrom(std::string_view isText, size_t ilNameSize) const {
  if (lElmStartPos < 0) return isText.size() + 1;
  return static_cast<size_t>(lElmStartPos) + 1 + ilNameSize;
}

bool cElementData::fncbReadFrom(uint32_t* iTextBlock, std::string_view isName,
                                std::span<const std::pair<std::string_view, std::string_view>> aPairs) {
  const std::string_view text = textOf(iTextBlock);
  const size_t from = fncAttributesFrom(text, isName.size());
  if (isName.size() > 0xFF || from > text.size() ||
      text.substr(from - isName.size(), isName.size()) != isName)
    return false;
  const auto start = reinterpret_cast<uintptr_t>(text.data() + from);
  const auto offset = [&](std::string_view piece) {
    return static_cast<size_t>(reinterpret_cast<uintptr_t>(piece.data()) - start);
  };
  if (!aPairs.empty() && reinterpret_cast<uintptr_t>(aPairs.front().first.data()) < start) return false;
  mPairCount = kUnindexed;
  if (aPairs.size() <= kIndexedPairs && (aPairs.empty() || offset(aPairs.back().first) <= 0xFF)) {
    mPairCount = static_cast<uint8_t>(aPairs.size());
    for (size_t i = 0; i < aPairs.size(); ++i)
      mPairAt[i] = static_cast<uint8_t>(offset(aPairs[i].first));
  }
  mNameSize = static_cast<uint8_t>(isName.size());
  mAttributes.reset(iTextBlock);
  return true;
}

std::string_view cElementData::sElementName() const {
  const uint32_t* block = mAttributes.get();
  if (!block) return {};
  if (block[1] == kOwn) return {blockText(block), block[5]};
  const std::string_view text = textOf(block);
  const size_t from = fncAttributesFrom(text, mNameSize);
  if (from > text.size()) return {};  // the text has been changed since
  return text.substr(from - mNameSize, mNameSize);
}

void cElementData::subSetElementName(std::string_view isName) { subOwn(isName, 0, 0); }

// Calls `visit(name, value)` for each pair in order until it returns true; the number of pairs
// visited.
template <typename Visit>
int32_t cElementData::fncForEachPair(Visit&& visit) const {
  const uint32_t* block = mAttributes.get();
  if (!block) return 0;
  if (block[1] == kOwn) {
    for (uint32_t i = 0; i < block[0]; ++i)
      if (visit(ownName(block, i), ownValue(block, i))) return static_cast<int32_t>(i) + 1;
    return static_cast<int32_t>(block[0]);
  }
  const std::string_view text = textOf(block);
  const size_t from = fncAttributesFrom(text, mNameSize);
  if (from > text.size()) return 0;  // the text has been changed since
  std::string_view name, value;
  if (mPairCount != kUnindexed) {
    for (size_t i = 0; i < mPairCount; ++i) {
      cAttributeScan scan(text, std::min(from + mPairAt[i], text.size()));
      if (!scan.fncbNext(name, value)) return static_cast<int32_t>(i);
      if (visit(name, value)) return static_cast<int32_t>(i) + 1;
    }
    return mPairCount;
  }
  cAttributeScan scan(text, from);
  int32_t count = 0;
  while (scan.fncbNext(name, value)) {
    ++count;
    if (visit(name, value)) break;
  }
  return count;
}

// The value of the first pair named `isAttrName` ignoring case, or nothing. With the pairs
// indexed, only the names are read until one matches.
const std::string_view* cElementData::fncFindValue(std::string_view isAttrName,
                                                   std::string_view& oValue) const {
  const uint32_t* block = mAttributes.get();
  if (block && block[1] != kOwn && mPairCount != kUnindexed) {
    const std::string_view text = textOf(block);
    const size_t from = fncAttributesFrom(text, mNameSize);
    if (from > text.size()) return nullptr;
    for (size_t i = 0; i < mPairCount; ++i) {
      const size_t at = std::min(from + mPairAt[i], text.size());
      const int quick = quickNameMatch(text, at, isAttrName);
      if (quick < 0) continue;
      const size_t nameEnd = quick > 0 ? at + isAttrName.size() : fncScanTagNameQuickly(text, at);
      if (quick == 0 && !sameName(text.substr(at, nameEnd - at), isAttrName)) continue;
      cAttributeScan scan(text, nameEnd);
      return scan.fncbValue(oValue) ? &oValue : nullptr;
    }
    return nullptr;
  }
  bool found = false;
  fncForEachPair([&](std::string_view name, std::string_view value) {
    if (!sameName(name, isAttrName)) return false;
    oValue = value;
    return found = true;
  });
  return found ? &oValue : nullptr;
}

void cElementData::subOwn(std::string_view isName, size_t ilExtraPairs, size_t ilExtraBytes) {
  std::vector<std::pair<std::string_view, std::string_view>> pairs;
  fncForEachPair([&](std::string_view name, std::string_view value) {
    pairs.emplace_back(name, value);
    return false;
  });
  subSetNameAndAttributes(isName, pairs, ilExtraPairs, ilExtraBytes);
}

void cElementData::subSetNameAndAttributes(
    std::string_view isName, std::span<const std::pair<std::string_view, std::string_view>> aPairs,
    size_t ilExtraPairs, size_t ilExtraBytes) {
  size_t bytes = isName.size() + ilExtraBytes;
  for (const auto& [name, value] : aPairs) bytes += name.size() + value.size();
  std::unique_ptr<uint32_t[], cBlockRelease> own;
  if (bytes != 0 || !aPairs.empty() || ilExtraPairs != 0) {
    own.reset(makeBlock(aPairs.size() + ilExtraPairs, bytes).release());
    appendName(own.get(), isName);
    for (const auto& [name, value] : aPairs) appendPair(own.get(), name, value);
  }
  mAttributes = std::move(own);
  mNameSize = 0;
  mPairCount = 0;
}

cElementData::cElementData(const cElementData& other)
    : bolStartTag(other.bolStartTag),
      bolEndTag(other.bolEndTag),
      bolWarning(other.bolWarning),
      lElmStartPos(other.lElmStartPos),
      lElmEndPos(other.lElmEndPos),
      lTextBefore(other.lTextBefore),
      lTextAfter(other.lTextAfter) {
  if (!other.mAttributes) return;
  if (other.mAttributes[1] != kOwn) {
    // A copy may outlive the document whose text the original reads.
    mNameSize = other.mNameSize;
    mPairCount = other.mPairCount;
    std::copy_n(other.mPairAt, kIndexedPairs, mPairAt);
    mAttributes.reset(other.mAttributes.get());
    subOwn(other.sElementName(), 0, 0);
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
  if (mAttributes && mPairCount != kUnindexed) return mPairCount;
  return fncForEachPair([](std::string_view, std::string_view) { return false; });
}

std::pair<std::string_view, std::string_view> cElementData::fncPair(int32_t n) const {
  std::pair<std::string_view, std::string_view> found;
  if (n < 1 || !mAttributes) return found;
  if (mAttributes[1] == kOwn) {
    if (n > lNumberOfAttributes()) return found;
    const auto index = static_cast<size_t>(n - 1);
    return {ownName(mAttributes.get(), index), ownValue(mAttributes.get(), index)};
  }
  int32_t i = 0;
  fncForEachPair([&](std::string_view name, std::string_view value) {
    if (++i < n) return false;
    found = {name, value};
    return true;
  });
  return found;
}

std::string_view cElementData::pAttrName(int32_t n) const { return fncPair(n).first; }

std::string_view cElementData::pAttrValue(int32_t n) const { return fncPair(n).second; }

std::string_view cElementData::fncAttrContent(std::string_view isAttrName) const {
  std::string_view value;
  return fncFindValue(isAttrName, value) ? value : std::string_view{};
}

std::string_view cElementData::fncAttrContentWOQ(std::string_view isAttrName) const {
  std::string_view value = fncAttrContent(isAttrName);
  const auto isQuote = [](char c) { return c == '"' || c == '\''; };
  if (!value.empty() && isQuote(value.front())) value.remove_prefix(1);
  if (!value.empty() && isQuote(value.back())) value.remove_suffix(1);
  return value;
}

bool cElementData::fncAttributeExists(std::string_view isAttrName) const {
  std::string_view value;
  return fncFindValue(isAttrName, value) != nullptr;
}

int32_t cElementData::fncInsertAttribute(std::string_view isAttrName, std::string_view isAttrValue) {
  const size_t bytes = isAttrName.size() + isAttrValue.size();
  if (mAttributes && mAttributes[1] != kOwn) subOwn(sElementName(), 1, bytes);
  if (!mAttributes) {
    // Room for the usual few attributes of a tag, so that adding them reallocates nothing.
    mAttributes.reset(makeBlock(4, std::max<size_t>(48, bytes)).release());
  } else if (mAttributes[0] == mAttributes[2] || mAttributes[3] + bytes > mAttributes[4]) {
    const uint32_t* old = mAttributes.get();
    const size_t pairs = old[0] == old[2] ? std::max<size_t>(4, size_t{old[2]} * 2) : old[2];
    const size_t text = std::max<size_t>(size_t{old[4]} * 2, old[3] + bytes);
    auto grown = makeBlock(pairs, text);
    grown[0] = old[0];
    grown[3] = old[3];
    grown[5] = old[5];
    std::memcpy(grown.get() + kOwnHeader, old + kOwnHeader, kPairWords * old[0] * sizeof(uint32_t));
    std::memcpy(const_cast<char*>(blockText(grown.get())), blockText(old), old[3]);
    mAttributes.reset(grown.release());
  }
  appendPair(mAttributes.get(), isAttrName, isAttrValue);
  return lNumberOfAttributes();
}

void cElementData::subSetAttributes(
    std::span<const std::pair<std::string_view, std::string_view>> aPairs) {
  subSetNameAndAttributes(sElementName(), aPairs);  // the name is copied before its block goes
}

}  // namespace lyn

static_assert(sizeof(lyn::cElementData) == 32, "records are a large part of what a loaded book costs");
