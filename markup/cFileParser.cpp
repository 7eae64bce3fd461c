#include "markup/cFileParser.h"

#include <cstring>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "markup/TagScan.h"
#include "platform/files/TextCase.h"

namespace lyn {

namespace {

constexpr size_t kLongestText = std::numeric_limits<int32_t>::max() - 2;

bool isQuote(char c) { return c == '"' || c == '\''; }

// One scan over one text. Positions are 0-based here; records and runs get them as the document
// keeps them (0-based tag offsets, 1-based run positions).
class cScan {
 public:
  cScan(cFileData& file, iProgressReport* report)
      : mFile(file), mText(file.sData), mSize(mText.size()), mReport(report) {}

  void subRun();

 private:
  enum class eState { Text, TagOpen, Attributes, TagClose, DocType, Instruction };

  bool isBlank(size_t p) const { return fncIsTagBlank(mText[p]); }

  // Skips blanks; false when the text ended.
  bool fncSkipBlanks() {
    while (mPos < mSize && isBlank(mPos)) ++mPos;
    return mPos < mSize;
  }

  // Moves over name characters; true when one or more lie between the token start and here.
  bool fncScanName() {
    mPos = fncScanTagName(mText, mPos);
    return mPos > mToken;
  }

  // From the opening quote at the position to one past its closing quote (fncScanQuoted).
  void subScanQuoted() { mPos = fncScanQuoted(mText, mPos); }

  // Moves to the next character of `set`; false when the text ends first.
  bool fncFindNextOf(const char* set) {
    while (mPos < mSize) {
      if (std::strchr(set, mText[mPos]) && mText[mPos] != '\0') return true;
      ++mPos;
    }
    return false;
  }

  // Skips a construct that may hold nested "<" ">" pairs and quoted text, from a depth of 1;
  // true with the position on the ">" that brings the depth to 0.
  bool fncSkipBracketed() {
    size_t depth = 1;
    while (mPos < mSize) {
      const char c = mText[mPos];
      if (c == '<') {
        ++depth;
      } else if (c == '>') {
        if (--depth == 0) return true;
      } else if (isQuote(c)) {
        subScanQuoted();
        continue;  // already past the closing quote
      }
      ++mPos;
    }
    return false;
  }

  // One character further on: over a whole UTF-8 sequence, else over one byte.
  void subAdvanceCharacter() {
    char32_t cp;
    const size_t length = fncDecodeUtf8(mText, mPos, cp);
    mPos += length == 0 ? 1 : length;
  }

  bool fncHasNonBlank(size_t from, size_t to) const {
    for (size_t p = from; p < to; ++p)
      if (!isBlank(p)) return true;
    return false;
  }

  std::string_view fncToken() const { return std::string_view(mText).substr(mToken, mPos - mToken); }

  void subAddAttribute(std::string_view name, std::string_view value) {
    mAttributes.emplace_back(name, value);
  }

  // Hands the element, with its attributes, to the document.
  void subInsertElement() {
    mFile.fncInsertTokenizedElement(std::move(mElement), mName, mAttributes, mAttributesFrom);
    mAttributes.clear();
  }

  int32_t fncStoreText(size_t from, size_t to) {
    if (to <= from || !fncHasNonBlank(from, to)) return -1;
    return mFile.fncInsertTextData(static_cast<int32_t>(from + 1), static_cast<int32_t>(to + 1));
  }

  bool fncTextState();
  bool fncTagOpenState();
  bool fncAttributesState();
  bool fncTagCloseState();
  bool fncDocTypeState();
  bool fncInstructionState();

  cFileData& mFile;
  const std::string& mText;
  const size_t mSize;
  iProgressReport* mReport;
  size_t mPos = 0;
  size_t mToken = 0;
  eState mState = eState::Text;
  cElementData mElement;
  std::string_view mName;  // the element's name: a piece of the text, or a constant
  bool mbolHasElement = false;
  size_t mAttributesFrom = cFileData::kNotInText;  // where an ordinary tag's attributes begin
  // The attributes of the element under construction, as views into the text (or into
  // mPublicValue, the one value that is not a piece of the text).
  std::vector<std::pair<std::string_view, std::string_view>> mAttributes;
  std::string mPublicValue;
};

// Each state returns false when the text ended inside it (the scan then stops).

bool cScan::fncTextState() {
  const void* found = std::memchr(mText.data() + mPos, '<', mSize - mPos);
  if (!found) {
    mPos = mSize;
    return false;
  }
  const size_t open = static_cast<size_t>(static_cast<const char*>(found) - mText.data());
  const int32_t run = fncStoreText(mToken, open);
  if (mbolHasElement) {
    if (run != -1) mElement.lTextAfter = run;
    subInsertElement();
  }
  mElement = cElementData();
  mName = {};
  mAttributesFrom = cFileData::kNotInText;
  mbolHasElement = true;
  if (run != -1) mElement.lTextBefore = run;
  mElement.lElmStartPos = static_cast<int32_t>(open);
  mPos = open + 1;
  mToken = mPos;
  mState = eState::TagOpen;
  return true;
}

bool cScan::fncTagOpenState() {
  // "a < b" is text: a "<" followed by a blank opens no tag, and the blanks go with the "<".
  const bool blankFirst = isBlank(mPos);
  if (!fncSkipBlanks()) return false;
  mToken = mPos;
  if (!blankFirst) {
    const char c = mText[mPos];
    if (c == '/') {
      mElement.bolEndTag = true;
      mElement.bolStartTag = false;
      ++mPos;  // the token start stays on the slash: the name keeps it
    } else if (c == '!') {
      if (mText.compare(mPos, 8, "!DOCTYPE") == 0) {
        mState = eState::DocType;
        return true;
      }
      if (mText.compare(mPos, 3, "!--") == 0) {
        if (!fncSkipBracketed()) return false;
        ++mPos;
        mToken = mPos;
        mState = eState::Text;
        return true;
      }
    } else if (c == '?') {
      mState = eState::Instruction;
      return true;
    }
    if (fncScanName()) {
      mName = fncToken();
      mToken = mPos;
      mState = eState::Attributes;
      return true;
    }
  }
  // No name: back to the text, one character on; the token start stays, so what follows the
  // "<" belongs to the next run.
  subAdvanceCharacter();
  mState = eState::Text;
  return true;
}

bool cScan::fncAttributesState() {
  cAttributeScan scan(mText, mPos);
  std::string_view name, value;
  while (scan.fncbNext(name, value)) subAddAttribute(name, value);
  if (scan.bolUnquoted) mElement.bolWarning = true;
  if (scan.bolTextEnded) return false;
  mAttributesFrom = mPos;
  mPos = scan.lPosition();
  mToken = mPos;
  mState = eState::TagClose;
  return true;
}

bool cScan::fncTagCloseState() {
  if (mText[mPos] == '/') {
    mElement.bolEndTag = true;
    ++mPos;
    if (mPos >= mSize) return false;
  }
  if (mText[mPos] == '>') {
    mElement.lElmEndPos = static_cast<int32_t>(mPos + 1);
    ++mPos;
    mToken = mPos;
    if (mReport)
      mReport->subCurrentTestProgress("Parser", static_cast<int32_t>(mSize),
                                      static_cast<int32_t>(mPos + 1));
  } else {
    subAdvanceCharacter();  // malformed: no end position
    mToken = mPos;
  }
  mState = eState::Text;
  return true;
}

bool cScan::fncDocTypeState() {
  mName = "!DOCTYPE";
  mPos += 8;
  if (!fncSkipBlanks()) return false;
  mToken = mPos;
  if (!fncScanName()) {
    mState = eState::Text;
    return true;
  }
  subAddAttribute(fncToken(), "");
  if (!fncSkipBlanks()) return false;
  const bool system = mText.compare(mPos, 6, "SYSTEM") == 0;
  const bool isPublic = mText.compare(mPos, 6, "PUBLIC") == 0;
  if (system || isPublic) {
    if (!fncFindNextOf(" \t\r\n>/")) return false;
    if (!fncSkipBlanks()) return false;
    mToken = mPos;
    subScanQuoted();
    if (system) {
      subAddAttribute("SYSTEM", fncToken());
    } else {
      const std::string_view identifier = fncToken();
      if (!fncSkipBlanks()) return false;
      if (!isQuote(mText[mPos])) {
        mElement.bolWarning = true;
        subAddAttribute("PUBLIC", identifier);
      } else {
        mToken = mPos;
        subScanQuoted();
        mPublicValue.assign(identifier).append(" ").append(fncToken());
        subAddAttribute("PUBLIC", mPublicValue);
      }
    }
  }
  if (!fncSkipBlanks()) return false;
  if (!fncSkipBracketed()) return false;  // passes over an internal subset "[...]"
  mElement.lElmEndPos = static_cast<int32_t>(mPos + 1);
  ++mPos;
  mToken = mPos;
  mState = eState::Text;
  return true;
}

bool cScan::fncInstructionState() {
  const auto lowerAt = [&](size_t p) {
    const char c = mText[p];
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
  };
  if (mSize - mPos >= 4 && lowerAt(mPos + 1) == 'x' && lowerAt(mPos + 2) == 'm' &&
      lowerAt(mPos + 3) == 'l') {
    mPos += 4;
    mName = "?xml";
    for (;;) {
      if (!fncSkipBlanks()) return false;
      mToken = mPos;
      if (!fncScanName()) break;
      const std::string_view name = fncToken();
      if (mPos >= mSize) return false;
      if (mText[mPos] != '=') break;
      ++mPos;
      mToken = mPos;
      if (mPos >= mSize) return false;
      subScanQuoted();  // no blank may follow "=": whatever comes is the opening quote
      subAddAttribute(name, fncToken());
    }
    if (mSize - mPos >= 2 && mText[mPos] == '?' && mText[mPos + 1] == '>') {
      mElement.lElmEndPos = static_cast<int32_t>(mPos + 2);
      mPos += 2;
      mToken = mPos;
    }
  }
  mState = eState::Text;
  return true;
}

void cScan::subRun() {
  bool inside = true;  // false once the text ended inside a state
  while (mPos < mSize && inside) {
    switch (mState) {
      case eState::Text: inside = fncTextState(); break;
      case eState::TagOpen: inside = fncTagOpenState(); break;
      case eState::Attributes: inside = fncAttributesState(); break;
      case eState::TagClose: inside = fncTagCloseState(); break;
      case eState::DocType: inside = fncDocTypeState(); break;
      case eState::Instruction: inside = fncInstructionState(); break;
    }
  }
  // The last tag, complete but with no "<" after it, and the text after it.
  if (mState != eState::Text) return;
  const int32_t run = fncStoreText(mToken, mSize);
  if (mbolHasElement) {
    if (run != -1) mElement.lTextAfter = run;
    subInsertElement();
    mbolHasElement = false;
  }
}

}  // namespace

bool cFileParser::fncParseFile(cFileData& iclsFileData, iProgressReport* ioReportObject) {
  bolHasErrors = false;
  bolCanContinue = true;
  if (iclsFileData.sData.size() > kLongestText) return false;
  cScan scan(iclsFileData, ioReportObject);
  scan.subRun();
  return true;
}

}  // namespace lyn
