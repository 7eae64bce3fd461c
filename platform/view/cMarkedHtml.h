#pragma once
// A document prepared for the view: its HTML with invisible markers around the text of every
// element that has an id and of every link, and the list of those elements.
//
// The view's document keeps no element tree, so the player's own markup parser finds where each
// element's text begins and ends, and a marker (a short run of private-use characters that
// carries the element's number) is written there into the HTML. Once the view has laid the
// document out, the markers are found in its text (fncFindMarkers), their positions become the
// elements' ranges, and the view deletes them. Markers sit next to the first and after the last
// non-blank character of the element's text, so white space folds exactly as without them. An
// element without text gets no markers. Text in "style", "script", "title" and "textarea"
// elements is never marked.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lyn {

struct cMarkedElement {
  std::string sId;        // "id" (for a link without one, its "name"); "" for a link without
  std::string sHref;      // links: "href" as written; "" for other elements
  std::string sParentId;  // links: the id of the element that holds the link, "" when none
  int32_t lStart = -1;    // where its text begins and ends in the view's text; -1 until the
  int32_t lEnd = -1;      // markers have been found (and for an element without text)
};

// One marker found in the view's text.
struct cFoundMarker {
  size_t lElement;  // the element's place in cMarkedHtml::aElements
  bool bolEnd;      // false: the element's text begins here; true: it ends here
  size_t lPos;      // where the marker starts in the text searched, and its length
  size_t lLength;
};

class cMarkedHtml {
 public:
  // Marks `isHtml` (UTF-8). `isStyleSheet`, when not empty, is written into the document as its
  // first style element, so that it is in force over the document's own sheets.
  static cMarkedHtml fncMark(std::string_view isHtml, std::string_view isStyleSheet);

  // The markers of the view's text `isText` (UTF-16, as the view holds it) in order. Runs of
  // private-use characters that are no well-formed marker of an element of this list (a book
  // may use those characters itself) are not markers.
  std::vector<cFoundMarker> fncFindMarkers(std::u16string_view isText) const;
  // Sets lStart and lEnd of the elements from `iaMarkers`, as positions in the text that is
  // left once every marker is deleted.
  void subPlaceElements(const std::vector<cFoundMarker>& iaMarkers);

  std::string sHtml;
  std::vector<cMarkedElement> aElements;
};

}  // namespace lyn
