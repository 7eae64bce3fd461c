#pragma once
// Helpers shared by the markup tests: tokenizing a text, names of the records, temporary folders.

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "markup/cFileData.h"

namespace lyn::test {

// A document holding `text`, tokenized.
std::unique_ptr<cFileData> fncTokenize(std::string_view text);
// The same, with its tree built.
std::unique_ptr<cFileData> fncTokenizeAndBuild(std::string_view text);

// The names of the records, in list order.
std::vector<std::string> fncElementNames(const cFileData& file);
// The texts of the runs, in index order.
std::vector<std::string> fncTextRuns(const cFileData& file);
// The names of the children of a node.
std::vector<std::string> fncChildNames(const cElementContainer& node);

// A folder that is removed with everything in it when the object goes.
class cTemporaryFolder {
 public:
  cTemporaryFolder();
  ~cTemporaryFolder();
  cTemporaryFolder(const cTemporaryFolder&) = delete;
  cTemporaryFolder& operator=(const cTemporaryFolder&) = delete;
  const std::filesystem::path& fncPath() const { return mPath; }
  // Writes `bytes` to the file `name` in the folder; returns its path.
  std::filesystem::path fncWrite(const std::string& name, std::string_view bytes) const;

 private:
  std::filesystem::path mPath;
};

}  // namespace lyn::test
