#include "MarkupTestSupport.h"

#include <stdlib.h>

#include <fstream>
#include <stdexcept>

#include "markup/cFileParser.h"

namespace lyn::test {

std::unique_ptr<cFileData> fncTokenize(std::string_view text) {
  auto file = std::make_unique<cFileData>("test.html", kFileTypeNcc, "/");
  file->sData = std::string(text);
  cFileParser parser;
  parser.fncParseFile(*file);
  return file;
}

std::unique_ptr<cFileData> fncTokenizeAndBuild(std::string_view text) {
  auto file = fncTokenize(text);
  file->fncParseElementHierarchy();
  return file;
}

std::vector<std::string> fncElementNames(const cFileData& file) {
  std::vector<std::string> names;
  for (int32_t i = 1; i <= file.lNumElementData(); ++i)
    names.emplace_back(file.pElementData(i)->sElementName());
  return names;
}

std::vector<std::string> fncTextRuns(const cFileData& file) {
  std::vector<std::string> runs;
  for (int32_t i = 1; i <= file.lNumTextData(); ++i)
    runs.emplace_back(file.fncTextDataContent(i));
  return runs;
}

std::vector<std::string> fncChildNames(const cElementContainer& node) {
  std::vector<std::string> names;
  for (int32_t i = 1; i <= node.lElementsOwned(); ++i)
    names.emplace_back(node.pElementContainer(i)->sName());
  return names;
}

cTemporaryFolder::cTemporaryFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "lyn-markup-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
  mPath = pattern;
}

cTemporaryFolder::~cTemporaryFolder() {
  std::error_code ec;
  std::filesystem::remove_all(mPath, ec);
}

std::filesystem::path cTemporaryFolder::fncWrite(const std::string& name,
                                                 std::string_view bytes) const {
  const auto path = mPath / name;
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

}  // namespace lyn::test
