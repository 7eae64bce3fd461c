#include "markup/cDTBData.h"

#include <algorithm>
#include <limits>

#include "platform/files/TextCase.h"

namespace lyn {

namespace {

// The leading number of `text` after blanks, as the set information writes it; 0 when none.
int32_t leadingNumber(std::string_view text) {
  size_t pos = 0;
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
  int64_t value = 0;
  while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
    value = value * 10 + (text[pos] - '0');
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    ++pos;
  }
  return static_cast<int32_t>(value);
}

}  // namespace

bool cDTBData::fncInsertFile(std::string_view isFileName, int32_t ienFileType,
                             cInsertOptions options) {
  for (const auto& file : mFiles) {
    if (fncEqualsIgnoringCase(file->sFileName, isFileName)) return false;
    if ((ienFileType == 1 || ienFileType == 2) && file->enFileType == ienFileType) return false;
  }
  if (sWorkPath.empty()) return false;
  mFiles.push_back(std::make_unique<cFileData>(std::string(isFileName), ienFileType, sWorkPath));
  cFileData& file = *mFiles.back();
  if (options.lFileSize) file.lFileSize = *options.lFileSize;
  sLoadError.clear();
  if (options.sData) {
    file.sData = std::move(*options.sData);
  } else if (!file.fncLoadFile(&mResolver)) {
    sLoadError = file.sLoadError;
    return false;
  }
  const uint64_t estimate = fncEstimateMemory(file.sData);
  if (estimate > kDocumentBudget || mBookMemory + estimate > kBookBudget) {
    sLoadError = sWorkPath + file.sFileName + ": too large: " +
                 (estimate > kDocumentBudget ? "it" : "with the files already open, the book") +
                 " would need more than " +
                 std::to_string((estimate > kDocumentBudget ? kDocumentBudget : kBookBudget) >> 20) +
                 " MB";
    std::string().swap(file.sData);
    return false;
  }
  mBookMemory += estimate;
  if (options.bolParsing && *options.bolParsing) {
    if (!mParser) mParser = std::make_unique<cFileParser>();
    if (!mParser->fncParseFile(file, options.oReportObject)) return false;
  }
  if (options.bolParsing && ienFileType == 1) subCheckNcc();
  return true;
}

cFileData* cDTBData::fncGetFileData(const cFileChoice& choice) {
  if (choice.lNumber) {
    const int32_t n = *choice.lNumber;
    if (n < 1 || n > lNumFiles()) return nullptr;
    lCurrentFile = n;
    return mFiles[static_cast<size_t>(n - 1)].get();
  }
  if (!choice.enFileType && !choice.sFileName) return nullptr;
  for (int32_t i = 1; i <= lNumFiles(); ++i) {
    cFileData* file = mFiles[static_cast<size_t>(i - 1)].get();
    const bool match = choice.enFileType ? file->enFileType == *choice.enFileType
                                         : file->sFileName == *choice.sFileName;
    if (match) {
      lCurrentFile = i;
      return file;
    }
  }
  lCurrentFile = lNumFiles() + 1;
  return nullptr;
}

cFileData* cDTBData::fncGetNextFileData(int32_t ienFileType) {
  for (int32_t i = std::max(lCurrentFile, int32_t{0}) + 1; i <= lNumFiles(); ++i) {
    cFileData* file = mFiles[static_cast<size_t>(i - 1)].get();
    if (file->enFileType == ienFileType) {
      lCurrentFile = i;
      return file;
    }
  }
  return nullptr;
}

bool cDTBData::fncParseExisting(const cFileChoice& choice, iProgressReport* ioReportObject) {
  cFileData* file = fncGetFileData(choice);
  if (!file) return false;
  if (file->lNumElementData() > 0 || file->lNumTextData() > 0) return true;
  if (!mParser) mParser = std::make_unique<cFileParser>();
  return mParser->fncParseFile(*file, ioReportObject);
}

void cDTBData::fncRemoveFileData(const cFileChoice& choice) {
  const cFileData* file = fncGetFileData(choice);
  if (!file) return;
  mBookMemory -= std::min(mBookMemory, fncEstimateMemory(file->sData));
  mFiles.erase(mFiles.begin() + (lCurrentFile - 1));
  --lCurrentFile;
}

void cDTBData::subCheckNcc() {
  cFileData* ncc = nullptr;
  for (const auto& file : mFiles) {
    if (file->enFileType == 1) {
      ncc = file.get();
      break;
    }
  }
  if (!ncc) return;
  const auto settle = [&] {
    if (lDiscNumber == 0 && lNumberOfDiscs == 0) {
      lDiscNumber = 1;
      lNumberOfDiscs = 1;
      bolMultivolume = false;
    }
  };
  for (int32_t i = 1; i <= ncc->lNumElementData(); ++i) {
    const cElementData* meta = ncc->pElementData(i);
    if (!fncEqualsIgnoringCase(meta->sElementName(), "meta")) continue;
    const std::string name = fncAsciiLower(meta->fncAttrContentWOQ("name"));
    const std::string_view content = meta->fncAttrContentWOQ("content");
    if (name == "ncc:setinfo") {
      const size_t of = content.find("of");
      if (of == 0 || of == std::string_view::npos) {
        lDiscNumber = 1;
        lNumberOfDiscs = 1;
      } else {
        lDiscNumber = leadingNumber(content.substr(0, of));
        lNumberOfDiscs = leadingNumber(content.substr(of + 2));
      }
      bolMultivolume = lNumberOfDiscs > 1;
    } else if (name == "dc:title") {
      sTitle = std::string(content);
    }
    settle();
  }
  settle();
}

}  // namespace lyn
