// Loads markup files the way the player does (read, decode, tokenize, build the tree) and prints
// what it found, so that a whole run can be timed beside other tools:
//   /usr/bin/time markup_load ncc.html      (compare: /usr/bin/time xmllint --noout ncc.html)

#include <cstdio>
#include <filesystem>

#include "markup/cFileData.h"
#include "markup/cFileParser.h"

int main(int argc, char** argv) {
  int failures = 0;
  lyn::cFileParser parser;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path path(argv[i]);
    const std::string folder = path.has_parent_path() ? path.parent_path().string() + "/" : "";
    lyn::cFileData file(path.filename().string(), 0, folder);
    if (!file.fncLoadFile()) {
      std::fprintf(stderr, "%s\n", file.sLoadError.c_str());
      ++failures;
      continue;
    }
    parser.fncParseFile(file);
    file.fncParseElementHierarchy();
    std::printf("%s: %zu bytes (%s), %d records, %d text runs\n", argv[i], file.sData.size(),
                file.sCharset.c_str(), file.lNumElementData(), file.lNumTextData());
  }
  return failures == 0 ? 0 : 1;
}
