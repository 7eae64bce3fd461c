#pragma once
// What the window-less front ends know of the document shown: its elements with their ids,
// their text and their links, read with the player's own markup parser. It stands in for the
// HTML view's document object model: the highlighted element's text, the link that Enter
// follows and the links that Tab walks.
//
// A document that cannot be read is an empty model: no elements, no links; nothing fails.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lyn {

class cFileData;

class cDocumentModel {
 public:
  cDocumentModel();
  ~cDocumentModel();

  // Loads the document at `path` (a file path; "" or "about:blank" empties the model).
  void subLoad(const std::string& path);
  const std::string& fncPath() const { return msPath; }

  // The element (start tag) whose "id" equals `id` ignoring case.
  std::optional<int32_t> fncElementById(const std::string& id) const;
  // The element's text as shown: character references decoded, white space normalised.
  std::string fncText(int32_t element) const;
  std::string fncId(int32_t element) const;
  // The link ("a" with an href) that is the element or lies inside it, the first in document
  // order; otherwise the nearest link that encloses it.
  std::optional<int32_t> fncLinkFor(int32_t element) const;
  // Every link in document order.
  const std::vector<int32_t>& fncLinks() const { return mvLinks; }
  // The link's href, percent escapes decoded, and the id of its parent element.
  std::string fncHref(int32_t link) const;
  std::string fncParentId(int32_t link) const;

 private:
  int32_t fncEnd(int32_t element) const;

  std::string msPath;
  std::unique_ptr<cFileData> mDocument;
  std::vector<int32_t> mvParent;  // per record (1-based): the enclosing start tag, 0 for none
  std::vector<int32_t> mvEnd;     // per start tag: its end tag, or the record itself
  std::vector<int32_t> mvLinks;
};

}  // namespace lyn
