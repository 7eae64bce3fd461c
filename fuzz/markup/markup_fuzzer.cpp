// Arbitrary bytes through the markup layer: charset decoding, the tokenizer, the tree build and
// every traversal, with the positions the records and runs hold checked against the text.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "markup/MarkupCharset.h"
#include "markup/cDTBData.h"
#include "markup/cFileData.h"
#include "markup/cFileParser.h"
#include "platform/files/Charsets.h"

namespace {

using namespace lyn;

void check(bool condition) {
  if (!condition) std::abort();
}

class cCheckingReport : public iProgressReport {
 public:
  explicit cCheckingReport(size_t size) : mSize(size) {}
  void subCurrentTestProgress(std::string_view stage, int32_t length, int32_t position) override {
    check(stage == "Parser");
    check(static_cast<size_t>(length) == mSize);
    check(position >= 1 && static_cast<size_t>(position) <= mSize + 1);
  }

 private:
  size_t mSize;
};

void checkPositions(cFileData& file) {
  const int64_t size = static_cast<int64_t>(file.sData.size());
  int64_t previous = -1;
  for (int32_t i = 1; i <= file.lNumElementData(); ++i) {
    const cElementData* e = file.pElementData(i);
    check(e->lElmStartPos > previous && e->lElmStartPos < size);
    check(file.sData[static_cast<size_t>(e->lElmStartPos)] == '<');
    check(e->lElmEndPos == -1 || (e->lElmEndPos > e->lElmStartPos && e->lElmEndPos <= size));
    check(e->lTextBefore >= -1 && e->lTextBefore <= file.lNumTextData());
    check(e->lTextAfter >= -1 && e->lTextAfter <= file.lNumTextData());
    previous = e->lElmStartPos;
    for (int32_t a = 0; a <= e->lNumberOfAttributes() + 1; ++a) {
      const std::string_view name = e->pAttrName(a);
      (void)e->pAttrValue(a);
      if (!name.empty()) {
        check(e->fncAttributeExists(name));
        (void)e->fncAttrContentWOQ(name);
      }
    }
  }
  int64_t lastEnd = 0;
  for (int32_t i = 1; i <= file.lNumTextData(); ++i) {
    const cTextData* t = file.pTextData(i);
    check(t->lTxtStartPos > lastEnd && t->lTxtEndPos > t->lTxtStartPos && t->lTxtEndPos <= size + 1);
    lastEnd = t->lTxtEndPos;
    (void)file.fncTextDataContent(i);
  }
}

void walkRecords(cFileData& file) {
  file.fncGetElementData(1);
  while (file.fncGetNextElementData()) {
  }
  while (file.fncGetPreviousElementData({"par", "/a", ""})) {
  }
  file.fncGetElementData("meta");
  while (file.fncGetNextElementData({"meta", "h1", "span"})) {
  }
  while (file.fncGetPreviousElementData()) {
  }
  (void)file.fncGetElementData(file.lNumElementData() + 1);
}

void walkTree(cFileData& file) {
  const bool built = file.fncParseElementHierarchy();
  check(built || file.lNumElementData() == 0);
  cElementContainer* root = file.clsElementContainer();
  check(root != nullptr);
  std::vector<cElementContainer*> nodes;
  root->fncRetrieveElementContainers(nodes);
  size_t levels = 0;
  for (cElementContainer* node : nodes) {
    check(node->lStartTagNumber >= 1 && node->lStartTagNumber <= file.lNumElementData());
    check(node->lEndTagNumber == -1 ||
          (node->lEndTagNumber >= node->lStartTagNumber && node->lEndTagNumber <= file.lNumElementData()));
    check(node->oParent() != nullptr);
    if (node->oNextSibling()) check(node->oNextSibling()->oPreviousSibling() == node);
    for (int32_t t = 1; t <= node->lTextsOwned(); ++t)
      check(node->pTextData(t) >= 1 && node->pTextData(t) <= file.lNumTextData());
    if (levels++ < 32) check(!node->sLevel().empty());  // a few: the cost is the depth
  }
  for (std::string_view name : {"par", "seq", "p", "a", "", "/p"}) {
    root->subResetAllElements(true);
    while (root->fncRetrieveNextElementContainer(name)) {
    }
    root->subResetAllElements(false);
    while (root->fncRetrievePreviousElementContainer(name)) {
    }
    (void)root->fncRetrieveElementContainer(name);
    (void)root->fncRetrieveCurrentElementContainer();
  }
  root->subResetAllElements(true);
  while (root->fncRetrieveNextElementContainer()) {
  }
  if (!nodes.empty()) {
    cElementContainer* middle = nodes[nodes.size() / 2];
    middle->subResetAllElements(true);
    while (middle->fncRetrieveNextElementContainer("text")) {
    }
    while (middle->fncRetrievePreviousElementContainer()) {
    }
  }
}

void exercise(std::string text) {
  cFileData file("f.html", kFileTypeNcc, "/");
  file.sData = std::move(text);
  cCheckingReport report(file.sData.size());
  cFileParser parser;
  check(parser.fncParseFile(file, &report));
  checkPositions(file);
  walkRecords(file);
  walkTree(file);
  checkPositions(file);  // the build removes records; what stays must still hold
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  exercise(std::string(bytes));

  std::string charset;
  std::string decoded = fncDecodeMarkupText(std::string(bytes), charset);
  check(fncIsValidUtf8(decoded));
  if (decoded != bytes) exercise(decoded);

  cDTBData set;
  set.sWorkPath = "/nonexistent/";
  check(set.fncInsertFile("ncc.html", kFileTypeNcc, {.sData = decoded, .bolParsing = true}));
  check(set.lDiscNumber >= 0 && set.lNumberOfDiscs >= 0);
  check(!set.fncInsertFile("NCC.HTML", kFileTypeSmil, {.sData = ""}));
  return 0;
}
