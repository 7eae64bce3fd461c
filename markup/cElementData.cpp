#include "markup/cElementData.h"

#include "platform/files/TextCase.h"

namespace lyn {

cElementData::cElementData(const cElementData& other)
    : sElementName(other.sElementName),
      bolStartTag(other.bolStartTag),
      bolEndTag(other.bolEndTag),
      bolWarning(other.bolWarning),
      lElmStartPos(other.lElmStartPos),
      lElmEndPos(other.lElmEndPos),
      lTextBefore(other.lTextBefore),
      lTextAfter(other.lTextAfter),
      mAttributes(other.mAttributes ? std::make_unique<cAttributes>(*other.mAttributes) : nullptr) {}

cElementData& cElementData::operator=(const cElementData& other) {
  if (this != &other) {
    cElementData copy(other);
    *this = std::move(copy);
  }
  return *this;
}

std::string_view cElementData::fncName(const cAttribute& a) const {
  return std::string_view(mAttributes->sText).substr(a.lNameOffset, a.lNameLength);
}

std::string_view cElementData::fncValue(const cAttribute& a) const {
  return std::string_view(mAttributes->sText).substr(a.lNameOffset + a.lNameLength, a.lValueLength);
}

std::string_view cElementData::pAttrName(int32_t n) const {
  if (n < 1 || n > lNumberOfAttributes()) return {};
  return fncName(mAttributes->aSpans[static_cast<size_t>(n - 1)]);
}

std::string_view cElementData::pAttrValue(int32_t n) const {
  if (n < 1 || n > lNumberOfAttributes()) return {};
  return fncValue(mAttributes->aSpans[static_cast<size_t>(n - 1)]);
}

const cElementData::cAttribute* cElementData::fncFind(std::string_view isAttrName) const {
  if (!mAttributes) return nullptr;
  for (const cAttribute& a : mAttributes->aSpans)
    if (fncEqualsIgnoringCase(fncName(a), isAttrName)) return &a;
  return nullptr;
}

std::string_view cElementData::fncAttrContent(std::string_view isAttrName) const {
  const cAttribute* a = fncFind(isAttrName);
  return a ? fncValue(*a) : std::string_view();
}

std::string_view cElementData::fncAttrContentWOQ(std::string_view isAttrName) const {
  std::string_view value = fncAttrContent(isAttrName);
  const auto isQuote = [](char c) { return c == '"' || c == '\''; };
  if (!value.empty() && isQuote(value.front())) value.remove_prefix(1);
  if (!value.empty() && isQuote(value.back())) value.remove_suffix(1);
  return value;
}

bool cElementData::fncAttributeExists(std::string_view isAttrName) const {
  return fncFind(isAttrName) != nullptr;
}

int32_t cElementData::fncInsertAttribute(std::string_view isAttrName, std::string_view isAttrValue) {
  if (!mAttributes) mAttributes = std::make_unique<cAttributes>();
  cAttribute a;
  a.lNameOffset = static_cast<uint32_t>(mAttributes->sText.size());
  a.lNameLength = static_cast<uint32_t>(isAttrName.size());
  a.lValueLength = static_cast<uint32_t>(isAttrValue.size());
  mAttributes->sText.append(isAttrName);
  mAttributes->sText.append(isAttrValue);
  mAttributes->aSpans.push_back(a);
  return lNumberOfAttributes();
}

}  // namespace lyn
