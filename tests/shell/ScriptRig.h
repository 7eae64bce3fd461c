#pragma once
// Runs the whole program on a script, in this process: the script front end, the null sink and
// the virtual clock, the build's data folder (prompts, sample book), a fake machine (mount table,
// /sys, home folder) and settings and data folders of its own. Two runs of one rig share the
// settings and the bookmarks, as two starts of the program by one user do.

#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/drives/cDrives.h"
#include "shell/cApplication.h"
#include "shell/cScriptFrontEnd.h"
#include "tests/TempFolder.h"
#include "tests/platform/drives/FakeMachine.h"

namespace lyn::testing {

struct cEventLine {
  double t = 0;
  std::string word;
  std::string rest;
};

struct cScriptRun {
  std::vector<cEventLine> lines;
  std::string err;
  int status = -1;

  // The first line with this word (and, when given, a rest that satisfies `pred`) at or after `from`.
  const cEventLine* find(const std::string& word, double from = 0,
                         std::function<bool(const std::string&)> pred = {}) const {
    for (const auto& l : lines)
      if (l.t >= from - 1e-9 && l.word == word && (!pred || pred(l.rest))) return &l;
    return nullptr;
  }
  const cEventLine* find(const std::string& word, const std::string& rest, double from = 0) const {
    return find(word, from, [&](const std::string& r) { return r == rest; });
  }
  std::vector<cEventLine> all(const std::string& word, double from = 0, double to = 1e9) const {
    std::vector<cEventLine> out;
    for (const auto& l : lines)
      if (l.word == word && l.t >= from - 1e-9 && l.t <= to + 1e-9) out.push_back(l);
    return out;
  }
  std::string text() const {
    std::string s;
    for (const auto& l : lines) s += std::to_string(l.t) + " " + l.word + " " + l.rest + "\n";
    return s + err;
  }
};

// A "clip" or "play" line's file and beginning.
struct cClip {
  std::string file;
  double begin = 0;
};

inline cClip fncClip(const std::string& rest) {
  std::istringstream words(rest);
  cClip c;
  words >> c.file >> c.begin;
  return c;
}

// The same clip, as far as the three decimals of the lines go.
inline bool operator==(const cClip& a, const cClip& b) {
  return a.file == b.file && std::fabs(a.begin - b.begin) < 0.0005;
}

class cScriptRig {
 public:
  cScriptRig() { machine.writeTable({}); }

  cScriptRun run(const std::string& script, const std::string& book = {},
                 std::string programFolder = LYN_BUILD_DATA_DIR) {
    const auto scriptFile = folder / "script.txt";
    std::ofstream(scriptFile) << script;
    const int fd = ::open(scriptFile.c_str(), O_RDONLY | O_CLOEXEC);
    std::ostringstream out, err;
    cScriptRun result;
    {
      cScriptFrontEnd frontEnd(fd, out, err);
      cApplication app(options(book, std::move(programFolder)), frontEnd);
      result.status = app.fncRun();
    }
    ::close(fd);
    result.err = err.str();
    std::istringstream lines(out.str());
    for (std::string line; std::getline(lines, line);) {
      cEventLine l;
      std::istringstream words(line);
      words >> l.t >> l.word;
      std::getline(words, l.rest);
      if (!l.rest.empty() && l.rest[0] == ' ') l.rest.erase(0, 1);
      result.lines.push_back(l);
    }
    return result;
  }

  cApplicationOptions options(const std::string& book, std::string programFolder) {
    cApplicationOptions o;
    o.sProgramFolder = std::move(programFolder);
    o.registryFile = folder / "registry.ini";
    o.sUserDataFolder = (folder / "data").string();
    o.sAudio = "null";
    o.bolVirtualClock = true;
    o.drives = std::make_unique<cDrives>(machine.paths());
    o.sBook = book;
    o.bolCheckPrerequisites = false;
    return o;
  }

  static std::string sampleBook() { return std::string(LYN_BUILD_DATA_DIR) + "/sample-book"; }

  TempFolder folder;
  lyn::test::cFakeMachine machine;
};

}  // namespace lyn::testing
