#include "shell/cDocumentModel.h"

#include "engine/CharacterReferences.h"
#include "markup/cFileData.h"
#include "markup/cFileParser.h"
#include "platform/files/TextCase.h"
#include "shell/ModuleServices.h"

#include <filesystem>

namespace lyn {

namespace {

// Elements that never enclose anything in HTML, whether or not they are written closed.
bool fncbVoidElement(std::string_view name) {
  static const char* const kVoid[] = {"br", "img", "meta", "link", "hr", "input", "area", "base",
                                      "col", "param", "embed", "source", "wbr"};
  for (const char* v : kVoid)
    if (fncEqualsIgnoringCase(name, v)) return true;
  return false;
}

bool fncbClosedBySibling(std::string_view name) {
  for (const char* n : {"p", "li", "dt", "dd", "option", "tr", "td", "th"})
    if (fncEqualsIgnoringCase(name, n)) return true;
  return false;
}

}  // namespace

cDocumentModel::cDocumentModel() = default;
cDocumentModel::~cDocumentModel() = default;

void cDocumentModel::subLoad(const std::string& path) {
  msPath = path;
  mDocument.reset();
  mvParent.clear();
  mvEnd.clear();
  mvLinks.clear();
  if (path.empty() || fncEqualsIgnoringCase(path, "about:blank")) return;
  const std::filesystem::path p(path);
  auto document = std::make_unique<cFileData>(p.filename().string(), 0,
                                              fncWithTrailingSeparator(p.parent_path().string()));
  if (!document->fncLoadFile()) return;
  cFileParser().fncParseFile(*document);
  const int32_t n = document->lNumElementData();
  mvParent.assign(size_t(n) + 1, 0);
  mvEnd.assign(size_t(n) + 1, 0);
  // One pass with a stack of open elements; an end tag closes the nearest open element of its
  // name, and whatever was left open inside it with it.
  std::vector<int32_t> open;
  for (int32_t i = 1; i <= n; ++i) {
    const cElementData& e = *document->pElementData(i);
    mvParent[size_t(i)] = open.empty() ? 0 : open.back();
    mvEnd[size_t(i)] = i;
    if (e.sElementName().empty() || e.sElementName()[0] == '!' || e.sElementName()[0] == '?') continue;
    if (e.bolStartTag) {
      if (fncEqualsIgnoringCase(e.sElementName(), "a") && !e.fncAttrContentWOQ("href").empty())
        mvLinks.push_back(i);
      // A paragraph or list item ends where the next one of its kind begins.
      if (!open.empty() && fncbClosedBySibling(e.sElementName()) &&
          fncEqualsIgnoringCase(document->pElementData(open.back())->sElementName(), e.sElementName())) {
        mvEnd[size_t(open.back())] = i - 1;
        open.pop_back();
        mvParent[size_t(i)] = open.empty() ? 0 : open.back();
      }
      if (!e.bolEndTag && !fncbVoidElement(e.sElementName())) open.push_back(i);
    } else if (e.bolEndTag) {
      const std::string_view name = std::string_view(e.sElementName()).substr(1);
      for (size_t k = open.size(); k-- > 0;) {
        if (!fncEqualsIgnoringCase(document->pElementData(open[k])->sElementName(), name)) continue;
        for (size_t j = k; j < open.size(); ++j) mvEnd[size_t(open[j])] = i;
        open.resize(k);
        break;
      }
    }
  }
  for (int32_t left : open) mvEnd[size_t(left)] = n;
  mDocument = std::move(document);
}

int32_t cDocumentModel::fncEnd(int32_t element) const { return mvEnd[size_t(element)]; }

std::optional<int32_t> cDocumentModel::fncElementById(const std::string& id) const {
  if (!mDocument || id.empty()) return std::nullopt;
  for (int32_t i = 1; i <= mDocument->lNumElementData(); ++i) {
    const cElementData& e = *mDocument->pElementData(i);
    if (e.bolStartTag && fncEqualsIgnoringCase(e.fncAttrContentWOQ("id"), id)) return i;
  }
  return std::nullopt;
}

std::string cDocumentModel::fncText(int32_t element) const {
  if (!mDocument) return {};
  std::string text;
  int32_t lastRun = -1;
  // The runs between the element's start tag and its end tag.
  for (int32_t i = element; i < fncEnd(element); ++i) {
    const int32_t run = mDocument->pElementData(i)->lTextAfter;
    if (run < 1 || run == lastRun) continue;
    text += ' ';
    text += mDocument->fncTextDataContent(run);
    lastRun = run;
  }
  // As a reader sees it: "Tom &amp; Jerry" is shown as "Tom & Jerry".
  return fncNormaliseWhiteSpace(fncDecodeCharacterReferences(text));
}

std::string cDocumentModel::fncId(int32_t element) const {
  if (!mDocument || element < 1) return {};
  return std::string(mDocument->pElementData(element)->fncAttrContentWOQ("id"));
}

std::optional<int32_t> cDocumentModel::fncLinkFor(int32_t element) const {
  if (!mDocument) return std::nullopt;
  for (int32_t link : mvLinks)
    if (link >= element && link <= fncEnd(element)) return link;
  for (int32_t up = mvParent[size_t(element)]; up > 0; up = mvParent[size_t(up)]) {
    for (int32_t link : mvLinks)
      if (link == up) return link;
  }
  return std::nullopt;
}

std::string cDocumentModel::fncHref(int32_t link) const {
  if (!mDocument) return {};
  return fncDecodePercentEscapes(mDocument->pElementData(link)->fncAttrContentWOQ("href"));
}

std::string cDocumentModel::fncParentId(int32_t link) const {
  if (!mDocument) return {};
  return fncId(mvParent[size_t(link)]);
}

}  // namespace lyn
