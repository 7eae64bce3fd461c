#include "tools/cBookSource.h"

#include <set>
#include <sstream>

#include "platform/storage/cAtomicFile.h"

namespace lyn::tools {

namespace {

std::string fncTrim(const std::string& s) {
  const size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return {};
  const size_t e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

// The first word of `s` and the rest, trimmed.
std::pair<std::string, std::string> fncSplitWord(const std::string& s) {
  const size_t space = s.find(' ');
  if (space == std::string::npos) return {s, {}};
  return {s.substr(0, space), fncTrim(s.substr(space + 1))};
}

}  // namespace

std::vector<std::string> cBookSource::fncSentences(const std::string& text) {
  std::vector<std::string> out;
  std::string current;
  for (size_t i = 0; i < text.size(); ++i) {
    current += text[i];
    const char c = text[i];
    if ((c == '.' || c == '?' || c == '!') && i + 1 < text.size() && text[i + 1] == ' ') {
      out.push_back(fncTrim(current));
      current.clear();
    }
  }
  if (!fncTrim(current).empty()) out.push_back(fncTrim(current));
  return out;
}

std::string cBookSource::fncSpoken(const std::string& text) const {
  std::string out = text;
  for (const auto& [from, to] : sayings) {
    if (from.empty()) continue;
    for (size_t at = out.find(from); at != std::string::npos; at = out.find(from, at + to.size()))
      out.replace(at, from.size(), to);
  }
  return out;
}

bool cBookSource::fncbRead(const std::filesystem::path& path, std::string& error) {
  std::string text;
  if (!fncReadWholeFile(path, text)) {
    error = path.string() + ": cannot be read";
    return false;
  }
  if (!fncbParse(text, error)) {
    error = path.string() + ":" + error;
    return false;
  }
  return true;
}

bool cBookSource::fncbParse(const std::string& text, std::string& error) {
  book = DaisyBook{};
  sayings.clear();
  std::istringstream in(text);
  std::string line, paragraph;
  int number = 0, paragraphLine = 0;
  std::set<std::string> noteIds, referenced;
  std::vector<std::pair<std::string, int>> references;
  auto fail = [&](int at, const std::string& why) {
    error = std::to_string(at) + ": " + why;
    return false;
  };
  auto add = [&](DaisyBlock block, int at) {
    if (book.sections.empty()) {
      if (block.enKind != enBlockKind::Heading || block.lLevel != 1)
        return fail(at, "the book must start with a level-1 heading");
    }
    if (block.enKind == enBlockKind::Heading && block.lLevel == 1) book.sections.emplace_back();
    book.sections.back().blocks.push_back(std::move(block));
    return true;
  };
  auto sentencesOf = [](const std::string& s) {
    std::vector<DaisyPhrase> phrases;
    for (const std::string& sentence : fncSentences(s)) phrases.push_back({sentence, {}});
    return phrases;
  };
  auto flush = [&]() {
    if (paragraph.empty()) return true;
    DaisyBlock block;
    block.enKind = enBlockKind::Paragraph;
    block.phrases = sentencesOf(paragraph);
    paragraph.clear();
    return add(std::move(block), paragraphLine);
  };

  while (std::getline(in, line)) {
    ++number;
    line = fncTrim(line);
    if (line.empty()) {
      if (!flush()) return false;
      continue;
    }
    if (line[0] == '#') continue;
    if (line[0] == '%') {
      if (!flush()) return false;
      const auto [word, rest] = fncSplitWord(line.substr(1));
      if (word == "title") book.sTitle = rest;
      else if (word == "creator") book.sCreator = rest;
      else if (word == "publisher") book.sPublisher = rest;
      else if (word == "identifier") book.sIdentifier = rest;
      else if (word == "language") book.sLanguage = rest;
      else if (word == "date") book.sDate = rest;
      else if (word == "narrator") book.sNarrator = rest;
      else if (word == "say") {
        const size_t bar = rest.find('|');
        if (bar == std::string::npos) return fail(number, "%say needs text|spoken");
        sayings.emplace_back(rest.substr(0, bar), rest.substr(bar + 1));
      } else {
        return fail(number, "unknown %" + word);
      }
      continue;
    }
    if (line[0] == '=') {
      if (!flush()) return false;
      const size_t level = line.find_first_not_of('=');
      if (level == std::string::npos || level > 6) return fail(number, "bad heading level");
      DaisyBlock block;
      block.enKind = enBlockKind::Heading;
      block.lLevel = int(level);
      std::string caption = fncTrim(line.substr(level));
      if (!caption.empty() && caption.back() == '}') {
        const size_t open = caption.rfind('{');
        if (open != std::string::npos) {
          block.sClass = caption.substr(open + 1, caption.size() - open - 2);
          caption = fncTrim(caption.substr(0, open));
        }
      }
      if (caption.empty()) return fail(number, "a heading needs text");
      block.phrases.push_back({caption, {}});
      if (!add(std::move(block), number)) return false;
      continue;
    }
    if (line[0] == '@') {
      if (!flush()) return false;
      const auto [word, rest] = fncSplitWord(line.substr(1));
      DaisyBlock block;
      if (word == "page" || word == "page-front" || word == "page-special") {
        block.enKind = enBlockKind::Page;
        block.enPage = word == "page" ? enPageKind::Normal
                       : word == "page-front" ? enPageKind::Front
                                              : enPageKind::Special;
        if (rest.empty()) return fail(number, "a page needs a number");
        block.phrases.push_back({rest, {}});
      } else if (word == "sidebar" || word == "prodnote") {
        block.enKind = word == "sidebar" ? enBlockKind::Sidebar : enBlockKind::Prodnote;
        block.phrases = sentencesOf(rest);
      } else if (word == "noteref") {
        const auto [mark, id] = fncSplitWord(rest);
        if (mark.empty() || id.empty()) return fail(number, "@noteref needs a mark and a note id");
        block.enKind = enBlockKind::Noteref;
        block.sNoteId = id;
        block.phrases.push_back({mark, {}});
        references.emplace_back(id, number);
      } else if (word == "note") {
        const auto [id, body] = fncSplitWord(rest);
        if (id.empty() || body.empty()) return fail(number, "@note needs an id and a text");
        block.enKind = enBlockKind::Note;
        block.sId = id;
        block.phrases = sentencesOf(body);
        noteIds.insert(id);
      } else {
        return fail(number, "unknown @" + word);
      }
      if (block.phrases.empty()) return fail(number, "@" + word + " needs a text");
      if (!add(std::move(block), number)) return false;
      continue;
    }
    if (paragraph.empty()) paragraphLine = number;
    else paragraph += ' ';
    paragraph += line;
  }
  if (!flush()) return false;
  for (const auto& [id, at] : references)
    if (!noteIds.count(id)) return fail(at, "no @note " + id);
  if (book.sections.empty()) return fail(number, "the book has no heading");
  return true;
}

}  // namespace lyn::tools
