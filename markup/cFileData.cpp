#include "markup/cFileData.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>
#include <limits>

#include "markup/MarkupCharset.h"
#include "platform/files/TextCase.h"
#include "platform/files/cPathResolver.h"
#include "platform/storage/cRegularFile.h"

namespace lyn {

namespace {

constexpr size_t kLargestText = std::numeric_limits<int32_t>::max() - 2;

bool matchesAny(std::string_view name, std::initializer_list<std::string_view> names) {
  for (std::string_view n : names)
    if (fncEqualsIgnoringCase(name, n)) return true;
  return false;
}

bool matchesAny(std::string_view name, const std::vector<std::string>& names) {
  for (const std::string& n : names)
    if (fncEqualsIgnoringCase(name, n)) return true;
  return false;
}

// The structural elements of the tree; every other tag is a leaf.
enum class eStructure { None, Seq, Other };

eStructure structureOf(std::string_view name) {
  static constexpr std::string_view kStructural[] = {"html", "head", "body", "title", "h1", "h2",
                                                     "h3",   "h4",   "h5",   "h6",    "span",
                                                     "div",  "a",    "smil", "par",   "p"};
  if (name.size() > 5 || name.empty()) return eStructure::None;
  if (fncEqualsIgnoringCase(name, "seq")) return eStructure::Seq;
  for (std::string_view s : kStructural)
    if (fncEqualsIgnoringCase(name, s)) return eStructure::Other;
  return eStructure::None;
}

}  // namespace

cFileData::cFileData(std::string isFileName, int32_t ienFileType, std::string isPath)
    : sFileName(std::move(isFileName)), sPath(std::move(isPath)), enFileType(ienFileType) {}

cFileData::~cFileData() = default;

uint64_t fncEstimateMemory(std::string_view text) {
  const auto tags = static_cast<uint64_t>(std::count(text.begin(), text.end(), '<'));
  return text.size() + tags * kBytesPerTag;
}

bool cFileData::fncLoadFile(cPathResolver* ioResolver) {
  std::filesystem::path path = std::filesystem::path(sPath) / sFileName;
  const auto resolve = [&](const std::filesystem::path& p) {
    return ioResolver ? ioResolver->fncResolve(p) : fncResolvePathIgnoringCase(p);
  };
  std::optional<std::filesystem::path> real = resolve(path);
  if (!real && sFileName.find('\\') != std::string::npos) {
    // Links written on systems whose separator is "\".
    std::string name = sFileName;
    std::replace(name.begin(), name.end(), '\\', '/');
    real = resolve(std::filesystem::path(sPath) / name);
  }
  if (!real) {
    sLoadError = path.string() + ": " + std::strerror(ENOENT);
    return false;
  }
  std::string bytes;
  if (!fncReadRegularFile(*real, bytes, kDocumentBudget, &sLoadError)) return false;
  std::string charset;
  std::string text = fncDecodeMarkupText(std::move(bytes), charset);
  if (text.size() > kLargestText) {
    sLoadError = real->string() + ": too large";
    return false;
  }
  const uint64_t estimate = fncEstimateMemory(text);
  if (estimate > kDocumentBudget) {
    sLoadError = real->string() + ": too large: it would need about " +
                 std::to_string(estimate >> 20) + " MB, more than " +
                 std::to_string(kDocumentBudget >> 20) + " MB";
    return false;
  }
  sLoadError.clear();
  // The text stays as long as the document: it keeps no room to spare from reading and decoding.
  if (text.capacity() - text.size() > text.size() / 64) text.shrink_to_fit();
  sData = std::move(text);
  sCharset = std::move(charset);
  return true;
}

// --- text runs -----------------------------------------------------------------------------

int32_t cFileData::fncInsertTextData(int32_t ilTxtStartPos, int32_t ilTxtEndPos) {
  if (ilTxtStartPos >= ilTxtEndPos) return lNumTextData();
  const auto append = [&] {
    mTexts.push_back(cTextData{ilTxtStartPos, ilTxtEndPos});
    return lNumTextData();
  };
  if (mTexts.empty()) return append();
  if (mbolTextsOrdered && ilTxtStartPos > mTexts.back().lTxtEndPos) return append();

  if (mbolTextsOrdered) {
    // Runs are sorted and apart: only the last run starting at or before a position can hold it.
    const auto holder = [&](int32_t position) -> ptrdiff_t {
      size_t low = 0, high = mTexts.size();  // the first run starting after the position
      while (low < high) {
        const size_t middle = low + (high - low) / 2;
        if (position < mTexts[middle].lTxtStartPos) {
          high = middle;
        } else {
          low = middle + 1;
        }
      }
      if (low == 0) return -1;
      return position <= mTexts[low - 1].lTxtEndPos ? static_cast<ptrdiff_t>(low - 1) : -1;
    };
    if (const ptrdiff_t i = holder(ilTxtStartPos); i >= 0) {
      cTextData& run = mTexts[static_cast<size_t>(i)];
      run.lTxtEndPos = std::max(run.lTxtEndPos, ilTxtEndPos);
      const size_t next = static_cast<size_t>(i) + 1;
      if (next < mTexts.size() && mTexts[next].lTxtStartPos <= run.lTxtEndPos)
        mbolTextsOrdered = false;
      return static_cast<int32_t>(i) + 1;
    }
    if (const ptrdiff_t i = holder(ilTxtEndPos); i >= 0) {
      cTextData& run = mTexts[static_cast<size_t>(i)];
      run.lTxtStartPos = std::min(run.lTxtStartPos, ilTxtStartPos);
      if (i > 0 && mTexts[static_cast<size_t>(i) - 1].lTxtEndPos >= run.lTxtStartPos)
        mbolTextsOrdered = false;
      return static_cast<int32_t>(i) + 1;
    }
    mbolTextsOrdered = false;  // the new run lies before the last one, or around one
    return append();
  }

  for (size_t i = 0; i < mTexts.size(); ++i) {
    cTextData& run = mTexts[i];
    if (run.lTxtStartPos <= ilTxtStartPos && ilTxtStartPos <= run.lTxtEndPos) {
      run.lTxtEndPos = std::max(run.lTxtEndPos, ilTxtEndPos);
      return static_cast<int32_t>(i) + 1;
    }
    if (run.lTxtStartPos <= ilTxtEndPos && ilTxtEndPos <= run.lTxtEndPos) {
      run.lTxtStartPos = std::min(run.lTxtStartPos, ilTxtStartPos);
      return static_cast<int32_t>(i) + 1;
    }
  }
  return append();
}

cTextData* cFileData::pTextData(int32_t n) {
  if (n < 1 || n > lNumTextData()) return nullptr;
  return &mTexts[static_cast<size_t>(n - 1)];
}

std::string_view cFileData::fncTextDataContent(int32_t n) const {
  if (n < 1 || n > lNumTextData()) return {};
  const cTextData& run = mTexts[static_cast<size_t>(n - 1)];
  const int64_t start = int64_t{run.lTxtStartPos} - 1;
  const int64_t end = int64_t{run.lTxtEndPos} - 1;
  const int64_t size = static_cast<int64_t>(sData.size());
  if (start < 0 || start >= size || end <= start) return {};
  return std::string_view(sData).substr(static_cast<size_t>(start),
                                        static_cast<size_t>(std::min(end, size) - start));
}

// --- element records -----------------------------------------------------------------------

cElementData* cFileData::fncStore(cElementData&& record) {
  if (mElementStore.empty()) {
    // Every record starts at a "<": a tokenized text needs no more room than that.
    mElementStore.subReserve(static_cast<size_t>(std::count(sData.begin(), sData.end(), '<')));
  }
  return &mElementStore.push_back(std::move(record));
}

void cFileData::subListApart() {
  if (!mbolListIsStore) return;
  mElements.reserve(mElementStore.size() + 1);
  for (size_t i = 0; i < mElementStore.size(); ++i) mElements.push_back(&mElementStore[i]);
  mbolListIsStore = false;
}

int32_t cFileData::fncPlace(cElementData* record, int32_t ilPosition) {
  // The records listed before this one (the store's last, when the list is the store).
  const int32_t before = mbolListIsStore ? static_cast<int32_t>(mElementStore.size()) - 1
                                         : lNumElementData();
  if (ilPosition >= 1 && ilPosition <= before) {
    if (mbolListIsStore) {
      subListApart();
      mElements.pop_back();  // this record, placed below
    }
    mElements.insert(mElements.begin() + (ilPosition - 1), record);
    return ilPosition;
  }
  if (!mbolListIsStore) mElements.push_back(record);  // else the store's last is the list's
  return lNumElementData();
}

int32_t cFileData::fncInsertElementClass(const cElementData& iclsElementData, int32_t ilPosition) {
  return fncPlace(fncStore(cElementData(iclsElementData)), ilPosition);
}

int32_t cFileData::fncInsertElementClass(cElementData&& iclsElementData, int32_t ilPosition) {
  return fncPlace(fncStore(std::move(iclsElementData)), ilPosition);
}

int32_t cFileData::fncInsertTokenizedElement(
    cElementData&& iclsElementData, std::string_view isName,
    std::span<const std::pair<std::string_view, std::string_view>> aAttributes,
    size_t ilAttributesFrom) {
  // Reading again costs a scan of the tag: only for tags of a few short attributes, so that a
  // lookup stays cheap whatever the input.
  constexpr size_t kMostPairs = 16;
  constexpr size_t kLongestSpan = 4096;
  const auto readable = [&] {
    if (aAttributes.empty()) return true;
    if (ilAttributesFrom > sData.size() || aAttributes.size() > kMostPairs ||
        iclsElementData.fncAttributesFrom(sData, isName.size()) != ilAttributesFrom)
      return false;
    const std::string_view last = aAttributes.back().second;
    const auto begin = reinterpret_cast<uintptr_t>(sData.data());
    const auto end = reinterpret_cast<uintptr_t>(last.data()) + last.size();
    return end >= begin + ilAttributesFrom && end - begin <= sData.size() &&
           end - begin - ilAttributesFrom <= kLongestSpan;
  };
  if (mTextBlock[1] == 0) cElementData::subMakeTextBlock(mTextBlock, sData);
  if (!readable() || !iclsElementData.fncbReadFrom(mTextBlock, isName, aAttributes))
    iclsElementData.subSetNameAndAttributes(isName, aAttributes);
  return fncPlace(fncStore(std::move(iclsElementData)), 0);
}

cElementData* cFileData::pElementData(int32_t n) const {
  if (n < 1 || n > lNumElementData()) return nullptr;
  return fncAt(static_cast<size_t>(n - 1));
}

cElementData* cFileData::fncGetElementData(int32_t ilNumber) {
  cElementData* record = pElementData(ilNumber);
  if (record) lCurrentElement = ilNumber;
  return record;
}

cElementData* cFileData::fncGetElementData(std::string_view isName) {
  for (int32_t i = 1; i <= lNumElementData(); ++i) {
    if (fncEqualsIgnoringCase(fncAt(static_cast<size_t>(i - 1))->sElementName(), isName)) {
      lCurrentElement = i;
      return fncAt(static_cast<size_t>(i - 1));
    }
  }
  lCurrentElement = lNumElementData() + 1;
  return nullptr;
}

cElementData* cFileData::fncGetNextElementData() {
  if (lCurrentElement >= lNumElementData()) return nullptr;
  lCurrentElement = std::max(lCurrentElement, int32_t{0}) + 1;
  return fncAt(static_cast<size_t>(lCurrentElement - 1));
}

template <typename Names>
cElementData* cFileData::fncNextNamed(const Names& names) {
  if (std::empty(names)) return fncGetNextElementData();
  if (lCurrentElement >= lNumElementData()) return nullptr;
  for (int32_t i = std::max(lCurrentElement, int32_t{0}) + 1; i <= lNumElementData(); ++i) {
    if (matchesAny(fncAt(static_cast<size_t>(i - 1))->sElementName(), names)) {
      lCurrentElement = i;
      return fncAt(static_cast<size_t>(i - 1));
    }
  }
  return nullptr;
}

cElementData* cFileData::fncGetNextElementData(std::initializer_list<std::string_view> names) {
  return fncNextNamed(names);
}

cElementData* cFileData::fncGetNextElementData(const std::vector<std::string>& names) {
  return fncNextNamed(names);
}

cElementData* cFileData::fncGetPreviousElementData() {
  if (lCurrentElement < 2) return nullptr;
  lCurrentElement = std::min(lCurrentElement, lNumElementData() + 1) - 1;
  return pElementData(lCurrentElement);
}

template <typename Names>
cElementData* cFileData::fncPreviousNamed(const Names& names) {
  if (std::empty(names)) return fncGetPreviousElementData();
  if (lCurrentElement < 2) return nullptr;
  for (int32_t i = std::min(lCurrentElement - 1, lNumElementData()); i >= 1; --i) {
    if (matchesAny(fncAt(static_cast<size_t>(i - 1))->sElementName(), names)) {
      lCurrentElement = i;
      return fncAt(static_cast<size_t>(i - 1));
    }
  }
  return nullptr;
}

cElementData* cFileData::fncGetPreviousElementData(std::initializer_list<std::string_view> names) {
  return fncPreviousNamed(names);
}

cElementData* cFileData::fncGetPreviousElementData(const std::vector<std::string>& names) {
  return fncPreviousNamed(names);
}

void cFileData::fncRemoveElement(int32_t ilElementNumber) {
  if (ilElementNumber < 1 || ilElementNumber > lNumElementData()) return;
  subListApart();
  mElements.erase(mElements.begin() + (ilElementNumber - 1));
}

// --- the tree ------------------------------------------------------------------------------

bool cFileData::fncParseElementHierarchy() {
  if (mRoot) return true;
  mRoot = std::make_unique<cElementContainer>("Document", this);
  mRoot->lStartTagNumber = 0;
  if (lNumElementData() == 0) return false;
  // Every start tag makes at most one node; end tags make one only when they close nothing.
  size_t startTags = 0;
  for (size_t i = 0; i < static_cast<size_t>(lNumElementData()); ++i) {
    const std::string_view name = fncAt(i)->sElementName();
    if (name.empty() || name.front() != '/') ++startTags;
  }
  mRoot->subReserveNodes(startTags);

  cElementContainer* current = mRoot.get();
  // The outer seq into which an inner one is being flattened (nothing when none is): a node
  // stands for its level, and comparing nodes costs nothing however deep the tree.
  const cElementContainer* flattenedInto = nullptr;
  // Records leave the list only at the scan point, so the list is compacted in one pass: `kept`
  // records stay, and the index a record has in the compacted list is the one the nodes keep.
  size_t kept = 0;
  const size_t count = static_cast<size_t>(lNumElementData());
  for (size_t read = 0; read < count; ++read) {
    cElementData* record = fncAt(read);
    const int32_t i = static_cast<int32_t>(kept) + 1;
    const std::string_view name = record->sElementName();
    bool keep = true;
    if (!name.empty() && name.front() == '/') {
      const std::string_view bare = name.substr(1);
      const eStructure structure = structureOf(bare);
      if (structure == eStructure::None) {
        // no node for it
      } else if (current == mRoot.get() || !fncEqualsIgnoringCase(current->sName(), bare)) {
        current->subInsertElementContainer(std::string(name), i);
      } else if (structure == eStructure::Seq && current == flattenedInto) {
        keep = false;  // the end of the flattened seq; the outer one stays open
        flattenedInto = nullptr;
      } else {
        current->lEndTagNumber = i;
        current = current->oParent();
      }
    } else {
      const eStructure structure = structureOf(name);
      if (structure == eStructure::None) {
        current->subInsertElementContainer(std::string(name), i);
      } else if (record->bolEndTag) {
        // "<a id='x'/>": an empty element encloses nothing, so it is closed where it opens.
        current->subInsertElementContainer(std::string(name), i);
        current->fncRetrieveChild()->lEndTagNumber = i;
      } else if (structure == eStructure::Seq && structureOf(current->sName()) == eStructure::Seq &&
                 current != mRoot.get()) {
        keep = false;  // a seq directly inside a seq: its children join the outer one
        flattenedInto = current;
      } else {
        current->subInsertElementContainer(std::string(name), i);
        current = current->fncRetrieveChild();
      }
    }
    if (!keep) subListApart();  // the first record to leave: up to here, nothing has moved
    if (keep && !mbolListIsStore) mElements[kept] = record;
    if (keep) ++kept;
    if (record->lTextAfter != -1) current->subInsertTextData(record->lTextAfter);
  }
  if (!mbolListIsStore) mElements.resize(kept);
  mRoot->subTrimStore();
  return true;
}

}  // namespace lyn
