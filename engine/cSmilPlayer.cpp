#include "engine/cSmilPlayer.h"

#include <algorithm>
#include <array>

#include "engine/CharacterReferences.h"
#include "engine/TreeWalk.h"
#include "markup/cDTBData.h"
#include "markup/cElementContainer.h"
#include "markup/cElementData.h"
#include "markup/cFileData.h"
#include "markup/cFileParser.h"
#include "platform/files/TextCase.h"

namespace lyn {

namespace {

constexpr std::array<const char*, 9> kErrorMessages = {
    "",
    "File not found or data error",
    "ID not found",
    "System-Required value not set",
    "Last parlistitem",
    "First parlistitem",
    "Internal datahandling error",
    "Data not initialized",
    "Smil file not valid",
};

cElementContainer* fncFirstChild(cElementContainer* node, bool forward) {
  return node->pElementContainer(forward ? 1 : node->lElementsOwned());
}

cElementContainer* fncSibling(cElementContainer* node, bool forward) {
  return forward ? node->oNextSibling() : node->oPreviousSibling();
}

std::string_view fncIdOf(const cFileData* doc, const cElementContainer* node) {
  if (!doc) return {};
  const cElementData* record = doc->pElementData(node->lStartTagNumber);
  return record ? record->fncAttrContentWOQ("id") : std::string_view{};
}

}  // namespace

cSmilPlayer::cSmilPlayer() : mList(std::make_shared<cParList>()) {}
cSmilPlayer::~cSmilPlayer() = default;

bool cSmilPlayer::fncbIsMediaName(std::string_view name) {
  static constexpr std::array<std::string_view, 6> kMedia = {"text",      "audio", "img",
                                                             "animation", "video", "textstream"};
  for (std::string_view media : kMedia)
    if (fncEqualsIgnoringCase(name, media)) return true;
  return false;
}

cFileData* cSmilPlayer::fncDocumentOf(const cElementContainer* node) {
  return node ? node->fncTreeFileData() : nullptr;
}

cElementData* cSmilPlayer::fncRecordOf(const cElementContainer* node) {
  cFileData* doc = fncDocumentOf(node);
  return doc ? doc->pElementData(node->lStartTagNumber) : nullptr;
}

void cSmilPlayer::subReportError(int32_t ilErrorNumber,
                                 std::optional<std::string_view> isErrorLocation) {
  lErrorNumber = ilErrorNumber;
  if (isErrorLocation) sErrorLocation = std::string(*isErrorLocation);
  if (ilErrorNumber >= 1 && ilErrorNumber <= 8)
    sErrorMsg = kErrorMessages[static_cast<size_t>(ilErrorNumber)];
  if (mListener) mListener->evError();
  sErrorFile.clear();
}

cParList& cSmilPlayer::fncMutableList() {
  if (mList.use_count() > 1) mList = std::make_shared<cParList>(*mList);
  return *mList;
}

// --- the list -------------------------------------------------------------------------------

bool cSmilPlayer::fncInsertFile(std::string_view isSmilFile, bool ibolParse) {
  fncMutableList().subAppendPlaceholder(isSmilFile);
  if (ibolParse) fncbExpand(lParListCount());
  return true;
}

std::optional<cParItem> cSmilPlayer::fncRetrieveParItem(int32_t ilParListItem) const {
  if (ilParListItem < 1 || ilParListItem > lParListCount()) return std::nullopt;
  const cParList::cEntry entry = mList->fncEntry(ilParListItem);
  return cParItem{entry.block->sSmilFile, entry.par};
}

std::string cSmilPlayer::fncGetParSmilFile(int32_t ilParListItem) const {
  if (ilParListItem < 1 || ilParListItem > lParListCount()) return {};
  return mList->fncBlockOf(ilParListItem)->sSmilFile;
}

bool cSmilPlayer::fncbHasParsOf(std::string_view isSmilFile) const {
  return mList->fncFirstBlock(fncFoldCase(isSmilFile)) != nullptr;
}

void cSmilPlayer::subPasteParlistItem(std::string_view isSmilFile, cElementContainer* iclsPar) {
  fncMutableList().subAppendPar(isSmilFile, iclsPar);
}

void cSmilPlayer::subCopyMeTo(cSmilPlayer& iclsCopy) const {
  iclsCopy.clsDTBData = clsDTBData;
  iclsCopy.mList = mList;
  iclsCopy.lCurrentParListItem = lCurrentParListItem;
  iclsCopy.clsCurrentElementContainer = clsCurrentElementContainer;
  iclsCopy.clsCurrentPar = clsCurrentPar;
  iclsCopy.bolSysReq_Sidebar = bolSysReq_Sidebar;
  iclsCopy.bolSysReq_ProdNote = bolSysReq_ProdNote;
  iclsCopy.bolSysReq_FootNote = bolSysReq_FootNote;
  iclsCopy.bolSysReq_PgNum = bolSysReq_PgNum;
  iclsCopy.sErrorMsg = sErrorMsg;
  iclsCopy.lErrorNumber = lErrorNumber;
  iclsCopy.sErrorLocation = sErrorLocation;
}

cSmilPlayer::cCursor cSmilPlayer::fncCursor() const {
  return {clsCurrentPar, clsCurrentElementContainer, lCurrentParListItem};
}

void cSmilPlayer::subRestoreCursor(const cCursor& iCursor) {
  clsCurrentPar = iCursor.clsPar;
  clsCurrentElementContainer = iCursor.clsNode;
  lCurrentParListItem = std::clamp(iCursor.lEntry, 0, lParListCount());
  // Entries may have moved when files were expanded or dropped since.
  if (clsCurrentPar) subSyncEntryWithPar();
}

// --- expansion ("Par parser") ---------------------------------------------------------------

cFileData* cSmilPlayer::fncFindDocument(std::string_view isSmilFile) const {
  if (!clsDTBData) return nullptr;
  if (cFileData* doc = clsDTBData->fncGetFileData({.sFileName = std::string(isSmilFile)}))
    return doc;
  for (int32_t i = 1; i <= clsDTBData->lNumFiles(); ++i) {
    cFileData* doc = clsDTBData->fncGetFileData({.lNumber = i});
    if (doc && fncEqualsIgnoringCase(doc->sFileName, isSmilFile)) return doc;
  }
  return nullptr;
}

std::string cSmilPlayer::fncFileNameOnDisk(const std::string& isSmilFile) const {
  if (isSmilFile.find_first_of("%&") == std::string::npos) return isSmilFile;
  cPathResolver& resolver = clsDTBData->fncPathResolver();
  const std::string folder = clsDTBData->sWorkPath;
  if (resolver.fncResolve(folder + isSmilFile)) return isSmilFile;
  // Links as books write them: escaped in the attribute. Decoded once, never twice.
  std::string decoded = fncDecodeLinkEscapes(isSmilFile);
  return resolver.fncResolve(folder + decoded) ? decoded : isSmilFile;
}

bool cSmilPlayer::fncbCollectPars(cFileData& doc, std::vector<cElementContainer*>& pars,
                                  bool& bolHasSeq) {
  pars.clear();
  bolHasSeq = false;
  cElementContainer* root = doc.clsElementContainer();
  cElementContainer* seq = root ? fncFindBelow(root, "seq") : nullptr;
  if (!seq) return false;
  bolHasSeq = true;
  seq->subResetAllElements(true);
  // Pre-order below the seq; a par's own subtree is not searched for further pars.
  cElementContainer* node = seq->pElementContainer(1);
  while (node) {
    if (fncEqualsIgnoringCase(node->sName(), "par")) {
      pars.push_back(node);
      cElementContainer* next = nullptr;
      for (cElementContainer* up = node; up && up != seq; up = up->oParent()) {
        if ((next = up->oNextSibling())) break;
      }
      node = next;
    } else {
      node = fncNextInSubtree(node, seq);
    }
  }
  return !pars.empty();
}

bool cSmilPlayer::fncbRewriteSeqAsPar(cFileData*& doc, cElementContainer* seq) {
  const cElementData* open = doc->pElementData(seq->lStartTagNumber);
  if (!open || open->lElmStartPos < 0) return false;
  const std::string& text = doc->sData;
  const size_t size = text.size();
  const size_t begin = std::min(static_cast<size_t>(open->lElmStartPos), size);
  size_t end = size;
  if (const cElementData* close = doc->pElementData(seq->lEndTagNumber);
      close && close->lElmEndPos >= 0) {
    end = std::clamp(static_cast<size_t>(close->lElmEndPos), begin, size);
  }
  std::string rewritten;
  rewritten.reserve(size + 40);
  rewritten.append(text, 0, begin);
  rewritten += "<seq>\r\n<par>\r\n";
  rewritten.append(text, begin, end - begin);
  rewritten += "\r\n</par>\r\n</seq>\r\n";
  rewritten.append(text, end, std::string::npos);

  // The document is made again from the new text: a fresh record list and tree. Nothing points
  // into the old tree, because a file without pars never had entries or a current node.
  const std::string name = doc->sFileName;
  for (int32_t i = 1; i <= clsDTBData->lNumFiles(); ++i) {
    if (clsDTBData->fncGetFileData({.lNumber = i}) == doc) {
      clsDTBData->fncRemoveFileData({.lNumber = i});
      break;
    }
  }
  doc = nullptr;
  clsDTBData->fncInsertFile(name, kFileTypeSmil,
                            {.sData = std::move(rewritten), .bolParsing = true});
  doc = fncFindDocument(name);
  return doc && doc->fncParseElementHierarchy();
}

bool cSmilPlayer::fncbExpand(int32_t n) {
  if (n < 1 || n > lParListCount()) return false;
  if (mList->fncPar(n)) return true;
  const std::string file = mList->fncBlockOf(n)->sSmilFile;
  const auto fail = [&] {
    fncMutableList().subRemove(n);
    if (n < lCurrentParListItem) --lCurrentParListItem;
    lCurrentParListItem = std::min(lCurrentParListItem, lParListCount());
    sErrorFile = file;
    subReportError(eSmilError::FileOrData, "Par parser");
    return false;
  };
  if (!clsDTBData) {
    subReportError(eSmilError::InternalData, "Par parser");
    return false;
  }
  const std::string name = fncFileNameOnDisk(file);
  clsDTBData->fncInsertFile(name, kFileTypeSmil, {.bolParsing = true});
  cFileData* doc = fncFindDocument(name);
  if (!doc) {
    subReportError(eSmilError::InternalData, "Par parser");
    return false;
  }
  // A link to the NCC (or any other held file that is no SMIL file) has no pars for us, and
  // its document must not be rewritten: the navigation points live in its tree.
  if (doc->enFileType != kFileTypeSmil) return fail();
  if (doc->lNumElementData() == 0 && !doc->sData.empty()) {
    cFileParser parser;  // held but never tokenized
    parser.fncParseFile(*doc);
  }
  if (!doc->fncParseElementHierarchy()) return fail();
  std::vector<cElementContainer*> pars;
  bool bolHasSeq = false;
  if (!fncbCollectPars(*doc, pars, bolHasSeq)) {
    if (!bolHasSeq) return fail();
    // A seq without pars plays as one par around the whole seq.
    cElementContainer* seq = fncFindBelow(doc->clsElementContainer(), "seq");
    if (!fncbRewriteSeqAsPar(doc, seq) || !fncbCollectPars(*doc, pars, bolHasSeq)) return fail();
  }
  fncMutableList().subExpand(n, pars);
  if (n < lCurrentParListItem) lCurrentParListItem += static_cast<int32_t>(pars.size()) - 1;
  return true;
}

// --- the cursor -----------------------------------------------------------------------------

bool cSmilPlayer::fncbAllowed(cElementContainer* par) {
  const cElementData* record = fncRecordOf(par);
  if (!record) {
    subReportError(eSmilError::InternalData, "System-required test");
    return false;
  }
  // One lookup: a missing value and an empty one both name no switch.
  const std::string_view written = record->fncAttrContentWOQ("system-required");
  if (written.empty()) return true;
  const std::string value = fncFoldCase(written);
  if (value == "sidebar-on") return bolSysReq_Sidebar;
  if (value == "prodnote-on") return bolSysReq_ProdNote;
  if (value == "footnote-on") return bolSysReq_FootNote;
  if (value == "pagenumber-on") return bolSysReq_PgNum;
  return true;
}

void cSmilPlayer::subAnnounce(cElementContainer* node) {
  const cElementData* record = fncRecordOf(node);
  if (!record) {
    subReportError(eSmilError::InternalData, "Check for id");
    return;
  }
  if (mListener) mListener->evNewMedia(*record);
}

void cSmilPlayer::subMakeCurrent(int32_t n) {
  lCurrentParListItem = n;
  clsCurrentPar = mList->fncPar(n);
  clsCurrentElementContainer = clsCurrentPar;
  subAnnounce(clsCurrentPar);
}

bool cSmilPlayer::fncGotoParByNumber(int32_t ilParNumber) {
  if (ilParNumber > lParListCount()) {
    subReportError(eSmilError::LastPar, "Goto par");
    return false;
  }
  if (ilParNumber < 1) {
    subReportError(eSmilError::FirstPar, "Goto par");
    return false;
  }
  if (!fncbExpand(ilParNumber)) return false;
  subMakeCurrent(ilParNumber);
  if (!fncbAllowed(clsCurrentPar)) {
    subReportError(eSmilError::SystemRequired, "Goto par");
    return false;
  }
  return true;
}

bool cSmilPlayer::fncGotoElementContainerByFileAndID(std::string_view isFile,
                                                     std::string_view isID) {
  static constexpr std::string_view kLocation = "Goto by file and id";
  const std::string key = fncFoldCase(isFile);
  const cParList::cBlock* block = mList->fncFirstBlock(key);
  if (!block) {
    subReportError(eSmilError::FileOrData, kLocation);
    return false;
  }
  // Every registration of a file holds the same pars, so the first one answers for all.
  if (!block->bolExpanded) {
    if (!fncbExpand(block->lStart)) return false;
    block = mList->fncFirstBlock(key);
    if (!block) {
      subReportError(eSmilError::FileOrData, kLocation);
      return false;
    }
  }
  const int32_t start = block->lStart;
  const int32_t count = block->lCount;
  const cFileData* doc = fncDocumentOf(mList->fncPar(start));
  for (int32_t i = 0; i < count; ++i) {
    cElementContainer* par = mList->fncPar(start + i);
    for (cElementContainer* node = par; node; node = fncNextInSubtree(node, par)) {
      if (!fncEqualsIgnoringCase(fncIdOf(doc, node), isID)) continue;
      lCurrentParListItem = start + i;
      clsCurrentPar = par;
      clsCurrentElementContainer = node;
      if (!fncbAllowed(par)) {
        subReportError(eSmilError::SystemRequired, kLocation);
        return false;
      }
      node->subResetAllElements(true);
      return true;
    }
  }
  subReportError(eSmilError::FileOrData, kLocation);
  return false;
}

bool cSmilPlayer::fncSetParToFirst() {
  const int32_t n = lCurrentParListItem;
  if (n < 1 || n > lParListCount()) {
    subReportError(eSmilError::NotInitialized, "Set par");
    return false;
  }
  if (!fncbExpand(n)) return false;
  clsCurrentPar = mList->fncPar(lCurrentParListItem);
  clsCurrentElementContainer = clsCurrentPar;
  clsCurrentPar->subResetAllElements(true);
  return true;
}

bool cSmilPlayer::fncSetParToLast() {
  if (!fncSetParToFirst()) return false;
  clsCurrentPar->subResetAllElements(false);
  return true;
}

cElementData* cSmilPlayer::fncRetrieveCurrentMedia() {
  if (!clsCurrentElementContainer) {
    subReportError(eSmilError::NotInitialized, "Retrieve current");
    return nullptr;
  }
  if (!fncbIsMediaName(clsCurrentElementContainer->sName())) return nullptr;
  return fncRecordOf(clsCurrentElementContainer);
}

bool cSmilPlayer::fncbStepPar(eDirection direction) {
  const bool forward = direction == eDirection::Forward;
  const char* location = forward ? "Next par" : "Previous par";
  for (;;) {
    const int32_t current = std::clamp(lCurrentParListItem, 0, lParListCount());
    if (forward ? current >= lParListCount() : current <= 1) {
      subReportError(forward ? eSmilError::LastPar : eSmilError::FirstPar, location);
      return false;
    }
    int32_t k = forward ? current + 1 : current - 1;
    lCurrentParListItem = current;
    if (!mList->fncPar(k)) {
      const int32_t before = lParListCount();
      // A file that fails loses its entry: step on to the one that took its place.
      if (!fncbExpand(k)) {
        if (lParListCount() < before) continue;
        return false;
      }
      if (!forward) k = lCurrentParListItem - 1;
    }
    subMakeCurrent(k);
    if (fncbAllowed(clsCurrentPar)) return true;
    subReportError(eSmilError::SystemRequired, location);
  }
}

void cSmilPlayer::subSyncEntryWithPar() {
  const int32_t count = lParListCount();
  const int32_t current = lCurrentParListItem;
  if (current >= 1 && current <= count && mList->fncPar(current) == clsCurrentPar) return;
  for (int32_t d = 1; d <= count; ++d) {
    for (int32_t n : {current + d, current - d}) {
      if (n >= 1 && n <= count && mList->fncPar(n) == clsCurrentPar) {
        lCurrentParListItem = n;
        return;
      }
    }
  }
}

cElementData* cSmilPlayer::fncStepMedia(eDirection direction, const char* location) {
  if (!clsCurrentElementContainer) {
    subReportError(eSmilError::NotInitialized, location);
    return nullptr;
  }
  const bool forward = direction == eDirection::Forward;
  cElementContainer* examined = clsCurrentElementContainer;
  cElementContainer* child = fncFirstChild(examined, forward);
  cElementContainer* answer = nullptr;
  while (!answer) {
    if (child) {
      if (fncbIsMediaName(child->sName())) {
        answer = child;
      } else if (child->lElementsOwned() > 0) {  // a nested container: walk into it
        examined = child;
        child = fncFirstChild(examined, forward);
      } else {
        child = fncSibling(child, forward);
      }
      continue;
    }
    if (examined == clsCurrentPar || !examined->oParent()) {
      if (mListener) mListener->evNewPar();
      if (!fncbStepPar(direction)) return nullptr;
      subAnnounce(clsCurrentPar);
      examined = clsCurrentPar;
      child = fncFirstChild(examined, forward);
      continue;
    }
    cElementContainer* parent = examined->oParent();
    subAnnounce(parent);
    child = fncSibling(examined, forward);
    examined = parent;
  }
  clsCurrentElementContainer = answer;
  subAnnounce(answer);
  if (clsCurrentPar) {
    for (int32_t i = 1; i <= clsCurrentPar->lElementsOwned(); ++i) {
      cElementContainer* media = clsCurrentPar->pElementContainer(i);
      if (fncbIsMediaName(media->sName())) subAnnounce(media);
    }
  }
  subSyncEntryWithPar();
  return fncRecordOf(answer);
}

cElementData* cSmilPlayer::fncRetrieveNextMedia() {
  return fncStepMedia(eDirection::Forward, "Retrieve next");
}

cElementData* cSmilPlayer::fncRetrievePreviousMedia() {
  return fncStepMedia(eDirection::Backward, "Retrieve Previous");
}

// --- counting -------------------------------------------------------------------------------

void cSmilPlayer::subCountTextAndAudio(int32_t& ilTextCount, int32_t& ilAudioCount,
                                       int32_t& ilCurrentText, int32_t& ilCurrentAudio,
                                       std::string_view isFromID, std::string_view isFromFile,
                                       const std::vector<std::string>& isToID,
                                       std::string_view isToFile) {
  ilTextCount = ilAudioCount = ilCurrentText = ilCurrentAudio = 0;
  if (!clsDTBData) {
    subReportError(eSmilError::NotInitialized, "Count text and audio");
    return;
  }
  const std::string fromKey = fncFoldCase(isFromFile);
  const std::string toKey = fncFoldCase(isToFile);
  const cParList::cBlock* block = mList->fncFirstBlock(fromKey);
  if (!block) return;
  if (!block->bolExpanded) {
    if (!fncbExpand(block->lStart)) return;
    block = mList->fncFirstBlock(fromKey);
    if (!block) return;
  }
  const int32_t blockStart = block->lStart;
  const int32_t blockCount = block->lCount;
  cFileData* doc = fncDocumentOf(mList->fncPar(blockStart));
  cElementContainer* root = doc ? doc->clsElementContainer() : nullptr;
  if (!root || root->lElementsOwned() == 0) return;

  cElementContainer* from = nullptr;
  for (cElementContainer* node = root->pElementContainer(1); node;
       node = fncNextInSubtree(node, root)) {
    if (fncEqualsIgnoringCase(fncIdOf(doc, node), isFromID)) {
      from = node;
      break;
    }
  }
  if (!from) return;

  // The entry whose par holds the starting node; a node outside every par starts the count at
  // the file's first par.
  std::vector<const cElementContainer*> ancestors;
  for (const cElementContainer* up = from; up; up = up->oParent()) ancestors.push_back(up);
  int32_t entry = 0;
  for (int32_t i = 0; i < blockCount && !entry; ++i) {
    const cElementContainer* par = mList->fncPar(blockStart + i);
    if (std::find(ancestors.begin(), ancestors.end(), par) != ancestors.end())
      entry = blockStart + i;
  }
  if (!entry) {
    entry = blockStart;
    from = mList->fncPar(entry);
  }

  const std::string_view toID = isToID.empty() ? std::string_view{} : std::string_view(isToID[0]);
  const bool hasToID = !isToID.empty();
  // The next entry with pars, expanding placeholders; a file that fails leaves the list and the
  // entry after it takes its place.
  const auto fncbNextEntry = [&]() -> bool {
    for (;;) {
      if (++entry > lParListCount()) return false;
      if (mList->fncPar(entry)) return true;
      const int32_t before = lParListCount();
      if (fncbExpand(entry)) return true;
      if (lParListCount() >= before) return false;
      --entry;
    }
  };
  cElementContainer* par = mList->fncPar(entry);
  std::string entryKey = mList->fncBlockOf(entry)->sKey;
  cElementContainer* node = from;
  bool bolFirst = true;
  bool bolBeenInside = false;
  // Only what can be heard counts: a par refused by its system-required test is walked (the end
  // of the stretch may lie in it) but not counted, as the media steps pass it by.
  bool bolCounting = fncbAllowed(par);
  while (node) {
    if (!bolFirst) {
      if (entryKey == toKey) {
        bolBeenInside = true;
        if (hasToID && fncEqualsIgnoringCase(fncIdOf(doc, node), toID)) return;
      } else if (bolBeenInside) {
        return;
      }
    }
    bolFirst = false;
    if (!bolCounting) {
    } else if (fncEqualsIgnoringCase(node->sName(), "audio")) {
      ++ilAudioCount;
    } else if (fncEqualsIgnoringCase(node->sName(), "text")) {
      ++ilTextCount;
    }
    if (node == clsCurrentElementContainer) {
      ilCurrentAudio = ilAudioCount;
      ilCurrentText = ilTextCount;
    }
    node = fncNextInSubtree(node, par);
    if (node) continue;
    if (!fncbNextEntry()) return;
    par = mList->fncPar(entry);
    entryKey = mList->fncBlockOf(entry)->sKey;
    doc = fncDocumentOf(par);
    node = par;
    bolCounting = fncbAllowed(par);
  }
}

}  // namespace lyn
