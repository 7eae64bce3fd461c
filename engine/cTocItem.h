#pragma once
// One navigation point of a book, as the NCC reader derives it from one heading, span or div of
// the NCC's body.

#include <string>

namespace lyn {

class cElementContainer;

class cTocItem {
 public:
  std::string sCaption;   // the link text, entities replaced and white space cleaned
  std::string sClass;     // "heading1".."heading6", "page", "sidebar", "prodnote", "noteref";
                          // "" for a group
  std::string sSubClass;  // headings: the lower-cased class attribute; pages: "pagenormal",
                          // "pagespecial", "pagefront"; groups: "group"
  std::string sID;        // id of the NCC element, trimmed
  std::string sSmilFile;  // lower-cased file part of the link (before the first "#"), trimmed
  std::string sSmilID;    // lower-cased fragment (after the last "#"), trimmed; "" without "#"
  std::string sRel;       // rel of the link, trimmed: the volume of a multi-volume set
  cElementContainer* clsElementContainer = nullptr;  // the NCC node; borrowed from the NCC
  bool bolNavigable = true;  // false once the point is known to lead nowhere
};

}  // namespace lyn
