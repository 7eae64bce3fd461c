#pragma once
// One tag of a document: its name, its kind, where it lies in the text, the text runs beside it
// and its attributes.
//
// Attribute names keep their case and values are kept as written, quotes included when the
// source had them; lookups by name ignore case and find the first attribute of that name.
// Attribute numbers are 1-based. The views returned (the name's too) point into this record's
// block, or for a record that a document reads from its text (cFileData::fncInsertTokenizedElement)
// into that document's text; they stay valid while the record lives, gets no new attributes or
// name and, for the latter, the document's text is not changed. Such a record finds its name at
// lElmStartPos + 1 and its attributes just past it, so lElmStartPos is not to be changed on it.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>


namespace lyn {

class cFileData;

class cElementData {
 public:
  cElementData() = default;
  cElementData(const cElementData& other);
  cElementData& operator=(const cElementData& other);
  cElementData(cElementData&&) noexcept = default;
  cElementData& operator=(cElementData&&) noexcept = default;
  ~cElementData() = default;

  // The name as written: "/h1" for an end tag, "!DOCTYPE", "?xml", "" for a comment or a
  // construct whose name could not be read.
  std::string_view sElementName() const;
  void subSetElementName(std::string_view isName);

  bool bolStartTag : 1 = true;  // start tag: true/false; end tag: false/true; "<br/>": true/true
  bool bolEndTag : 1 = false;
  bool bolWarning : 1 = false;  // a value or a DOCTYPE literal was written without its quotes

 private:
  // For a record that reads its name and attributes from the text: the size of its name there,
  // how many pairs there are and where the name of each begins, counted from the end of the tag's
  // name, so that a lookup passes over the values it does not want without reading them
  // (kUnindexed: too many, or too far apart; they are then read one after the other).
  static constexpr uint8_t kUnindexed = 0xFF;
  static constexpr size_t kIndexedPairs = 4;
  uint8_t mNameSize = 0;
  uint8_t mPairCount = 0;
  uint8_t mPairAt[kIndexedPairs] = {};

 public:
  int32_t lElmStartPos = -1;  // 0-based offset of the tag's "<"
  int32_t lElmEndPos = -1;    // 0-based offset just past its ">"; -1 when the tag had no ">"
  int32_t lTextBefore = -1;   // index of the text run right before / after the tag, -1 for none
  int32_t lTextAfter = -1;

  int32_t lNumberOfAttributes() const;

  // The n-th name / value as stored; "" when n is not in 1..lNumberOfAttributes.
  std::string_view pAttrName(int32_t ilAttrNumber) const;
  std::string_view pAttrValue(int32_t ilAttrNumber) const;

  // The value (with its quotes) of the first attribute named `isAttrName` ignoring case; "".
  std::string_view fncAttrContent(std::string_view isAttrName) const;
  // The same value without one leading and one trailing quote (" or '), each dropped on its own.
  // This is the form every consumer uses.
  std::string_view fncAttrContentWOQ(std::string_view isAttrName) const;
  bool fncAttributeExists(std::string_view isAttrName) const;

  // Appends a pair (a repeated name is stored again) and returns the new count.
  int32_t fncInsertAttribute(std::string_view isAttrName, std::string_view isAttrValue);

  // Replaces every attribute with `aPairs` (name, value), in a block of exactly their size: the
  // tokenizer knows all attributes of a tag before it stores the tag.
  void subSetAttributes(std::span<const std::pair<std::string_view, std::string_view>> aPairs);

 private:
  friend class cFileData;

  // Releases a block the record owns; a block kept by a document is the document's to release.
  struct cBlockRelease {
    void operator()(uint32_t* block) const;
  };

  // Fills a document's block that names its text, for the records that read their names and
  // attributes from that text.
  static void subMakeTextBlock(uint32_t (&oTextBlock)[4], const std::string& isText);
  // Makes the record read its name `isName` and its attributes `aPairs`, pieces of the text that
  // `iTextBlock` names, from there when asked: nothing is copied. The name must lie at
  // lElmStartPos + 1 and the pairs be what cAttributeScan reads from just past it; false, and
  // nothing changed, when they do not. The document keeps the block and the text as long as the
  // record.
  bool fncbReadFrom(uint32_t* iTextBlock, std::string_view isName,
                    std::span<const std::pair<std::string_view, std::string_view>> aPairs);
  // Where the attributes of a record that reads them from `isText` begin, past its name of
  // `ilNameSize` bytes; past the text's end when the record lies nowhere in it.
  size_t fncAttributesFrom(std::string_view isText, size_t ilNameSize) const;
  template <typename Visit>
  int32_t fncForEachPair(Visit&& visit) const;
  const std::string_view* fncFindValue(std::string_view isAttrName, std::string_view& oValue) const;

  // Makes the record's name `isName` and attributes a block of its own, a copy of the present
  // pairs with room for more (the record then no longer depends on a document's text); no block
  // when there is nothing to keep. `isName` may be a piece of the present block.
  void subOwn(std::string_view isName, size_t ilExtraPairs, size_t ilExtraBytes);
  // Makes the record's name `isName` and its attributes exactly `aPairs`, in a block of their
  // size with room for `ilExtraPairs` more pairs of `ilExtraBytes` in all; no block when there is
  // nothing to keep. Either may be a piece of the present block.
  void subSetNameAndAttributes(std::string_view isName,
                               std::span<const std::pair<std::string_view, std::string_view>> aPairs,
                               size_t ilExtraPairs = 0, size_t ilExtraBytes = 0);
  // The n-th pair, or two empty views.
  std::pair<std::string_view, std::string_view> fncPair(int32_t n) const;

  // The record's name and every name and value of its attributes in one block (a record without
  // either costs nothing): a header, a table of the pairs and their text; or the document's
  // block that names the text they are read from. Layouts in cElementData.cpp.
  std::unique_ptr<uint32_t[], cBlockRelease> mAttributes;
};

}  // namespace lyn
