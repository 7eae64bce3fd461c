#include "tools/cDaisyBookWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <sstream>

#include "platform/storage/cAtomicFile.h"

namespace lyn::tools {

namespace {

const char* kXhtmlHead =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
    "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">\n"
    "<html xmlns=\"http://www.w3.org/1999/xhtml\">\n<head>\n"
    "<meta http-equiv=\"Content-type\" content=\"text/html; charset=utf-8\" />\n";

bool fncIsPoint(enBlockKind kind) {
  return kind == enBlockKind::Heading || kind == enBlockKind::Page ||
         kind == enBlockKind::Sidebar || kind == enBlockKind::Prodnote ||
         kind == enBlockKind::Noteref;
}

const char* fncPageClass(enPageKind kind) {
  switch (kind) {
    case enPageKind::Front: return "page-front";
    case enPageKind::Special: return "page-special";
    case enPageKind::Normal: break;
  }
  return "page-normal";
}

std::string fncMeta(const std::string& name, const std::string& content) {
  return "<meta name=\"" + name + "\" content=\"" + cDaisyBookWriter::fncEscape(content) +
         "\" />\n";
}

double fncClipLength(const DaisyClip& clip) { return std::max(0.0, clip.dEnd - clip.dBegin); }

// The caption of a point in the NCC: its phrases joined by spaces, cut to a sensible length
// for sidebars and notes that run over several sentences.
std::string fncCaption(const DaisyBlock& block) {
  std::string caption;
  for (const DaisyPhrase& phrase : block.phrases) {
    if (!caption.empty()) caption += ' ';
    caption += phrase.sText;
    if (block.enKind != enBlockKind::Heading) break;
  }
  return caption;
}

}  // namespace

std::string cDaisyBookWriter::fncEscape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string cDaisyBookWriter::fncSmilName(const DaisyBook& book, size_t section) {
  char name[32];
  std::snprintf(name, sizeof name, "%04zu.smil", section + 1);
  return book.sFilePrefix + name;
}

std::string cDaisyBookWriter::fncContentName(const DaisyBook& book, size_t section) {
  if (!book.bolContentPerSection) return "content.html";
  char name[32];
  std::snprintf(name, sizeof name, "%04zu.html", section + 1);
  return book.sFilePrefix + name;
}

std::string cDaisyBookWriter::fncClockText(double seconds) {
  long total = std::lround(std::max(0.0, seconds));
  char text[48];
  std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", total / 3600, total / 60 % 60, total % 60);
  return text;
}

std::string cDaisyBookWriter::fncClipValue(const DaisyBook& book, double seconds) {
  char text[64];
  seconds = std::max(0.0, seconds);
  if (book.enClock == enClockForm::Full) {
    long millis = std::lround(seconds * 1000.0);
    std::snprintf(text, sizeof text, "npt=%ld:%02ld:%02ld.%03ld", millis / 3600000,
                  millis / 60000 % 60, millis / 1000 % 60, millis % 1000);
  } else {
    std::snprintf(text, sizeof text, "npt=%.3fs", seconds);
  }
  return text;
}

bool cDaisyBookWriter::fncbWrite(const DaisyBook& book, const std::filesystem::path& folder,
                                 std::string& error) {
  lPoints = 0;
  lPars = 0;
  dTotalSeconds = 0;
  if (book.sections.empty()) {
    error = "the book has no section";
    return false;
  }
  for (const DaisySection& section : book.sections) {
    if (section.blocks.empty()) {
      error = "a section has no block";
      return false;
    }
    for (const DaisyBlock& block : section.blocks) {
      if (block.phrases.empty()) {
        error = "a block has no phrase";
        return false;
      }
      if (block.enKind == enBlockKind::Heading && (block.lLevel < 1 || block.lLevel > 6)) {
        error = "a heading level is outside 1 to 6";
        return false;
      }
      for (const DaisyPhrase& phrase : block.phrases) dTotalSeconds += fncClipLength(phrase.clip);
    }
  }
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);

  std::ostringstream nccBody;
  std::map<std::string, std::ostringstream> contents;  // file name -> body
  long pageNormal = 0, pageFront = 0, pageSpecial = 0, maxPageNormal = 0;
  long sidebars = 0, prodnotes = 0, noterefs = 0;
  int depth = 0;
  long par = 0;
  double elapsed = 0;
  std::vector<std::string> audioFiles;

  for (size_t s = 0; s < book.sections.size(); ++s) {
    const DaisySection& section = book.sections[s];
    const std::string smilName = fncSmilName(book, s);
    const std::string contentName = fncContentName(book, s);
    std::ostringstream& content = contents[contentName];
    std::ostringstream pars;
    double sectionSeconds = 0;

    for (const DaisyBlock& block : section.blocks) {
      const long firstPar = par + 1;
      // The content markup of each phrase of this block.
      std::vector<std::string> sentences;
      for (const DaisyPhrase& phrase : block.phrases) {
        ++par;
        const std::string n = std::to_string(par);
        const DaisyClip& clip = phrase.clip;
        pars << "<par endsync=\"last\" id=\"p" << n << "\">\n"
             << "  <text src=\"" << contentName << "#t" << n << "\" id=\"x" << n << "\" />\n"
             << "  <audio src=\"" << fncEscape(clip.sAudioFile) << "\"";
        if (!clip.bolWhole) {
          pars << " clip-begin=\"" << fncClipValue(book, clip.dBegin) << "\" clip-end=\""
               << fncClipValue(book, clip.dEnd) << "\"";
        }
        pars << " id=\"a" << n << "\" />\n</par>\n";
        sectionSeconds += fncClipLength(clip);
        if (std::find(audioFiles.begin(), audioFiles.end(), clip.sAudioFile) == audioFiles.end())
          audioFiles.push_back(clip.sAudioFile);
        sentences.push_back("<a href=\"" + smilName + "#p" + n + "\">" + fncEscape(phrase.sText) +
                            "</a>");
      }
      const std::string first = std::to_string(firstPar);
      auto spans = [&](const char* spanClass) {
        std::string out;
        for (size_t i = 0; i < sentences.size(); ++i) {
          if (i) out += ' ';
          out += "<span class=\"" + std::string(spanClass) + "\" id=\"t" +
                 std::to_string(firstPar + long(i)) + "\">" + sentences[i] + "</span>";
        }
        return out;
      };

      switch (block.enKind) {
        case enBlockKind::Heading: {
          const std::string h = "h" + std::to_string(block.lLevel);
          const std::string cls = block.sClass.empty() ? "" : " class=\"" + block.sClass + "\"";
          if (sentences.size() == 1)
            content << "<" << h << cls << " id=\"t" << first << "\">" << sentences[0] << "</"
                    << h << ">\n";
          else
            content << "<" << h << cls << ">" << spans("sentence") << "</" << h << ">\n";
          depth = std::max(depth, block.lLevel);
          break;
        }
        case enBlockKind::Paragraph:
          content << "<p>" << spans("sentence") << "</p>\n";
          break;
        case enBlockKind::Page:
          content << "<p>" << spans(fncPageClass(block.enPage)) << "</p>\n";
          if (block.enPage == enPageKind::Front) ++pageFront;
          if (block.enPage == enPageKind::Special) ++pageSpecial;
          if (block.enPage == enPageKind::Normal) {
            ++pageNormal;
            maxPageNormal = std::max(maxPageNormal, std::atol(block.phrases[0].sText.c_str()));
          }
          break;
        case enBlockKind::Sidebar:
          content << "<div class=\"sidebar\"><p>" << spans("sentence") << "</p></div>\n";
          ++sidebars;
          break;
        case enBlockKind::Prodnote:
          content << "<div class=\"optional-prodnote\"><p>" << spans("sentence")
                  << "</p></div>\n";
          ++prodnotes;
          break;
        case enBlockKind::Noteref: {
          // The reference mark links to its note in the content; the note's own text plays
          // where the Note block stands.
          content << "<p><span class=\"noteref\" id=\"t" << first << "\">";
          if (block.sNoteId.empty())
            content << sentences[0];
          else
            content << "<a href=\"#" << block.sNoteId << "\">" << fncEscape(block.phrases[0].sText)
                    << "</a>";
          content << "</span>";
          for (size_t i = 1; i < sentences.size(); ++i)
            content << " <span class=\"sentence\" id=\"t" << (firstPar + long(i)) << "\">"
                    << sentences[i] << "</span>";
          content << "</p>\n";
          ++noterefs;
          break;
        }
        case enBlockKind::Note:
          content << "<div class=\"footnote\" id=\"" << block.sId << "\"><p>" << spans("sentence")
                  << "</p></div>\n";
          break;
      }

      if (fncIsPoint(block.enKind)) {
        ++lPoints;
        const std::string link = "<a href=\"" + smilName + "#p" + first + "\">" +
                                 fncEscape(fncCaption(block)) + "</a>";
        const std::string id = " id=\"n" + std::to_string(lPoints) + "\"";
        switch (block.enKind) {
          case enBlockKind::Heading: {
            const std::string h = "h" + std::to_string(block.lLevel);
            const std::string cls = block.sClass.empty() ? "" : " class=\"" + block.sClass + "\"";
            nccBody << "<" << h << cls << id << ">" << link << "</" << h << ">\n";
            break;
          }
          case enBlockKind::Page:
            nccBody << "<span class=\"" << fncPageClass(block.enPage) << "\"" << id << ">" << link
                    << "</span>\n";
            break;
          case enBlockKind::Sidebar:
            nccBody << "<span class=\"sidebar\"" << id << ">" << link << "</span>\n";
            break;
          case enBlockKind::Prodnote:
            nccBody << "<span class=\"optional-prodnote\"" << id << ">" << link << "</span>\n";
            break;
          default:
            nccBody << "<span class=\"noteref\"" << id << ">" << link << "</span>\n";
        }
      }
    }

    std::ostringstream smil;
    smil << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
         << "<!DOCTYPE smil PUBLIC \"-//W3C//DTD SMIL 1.0//EN\" "
            "\"http://www.w3.org/TR/REC-smil/SMIL10.dtd\">\n"
         << "<smil>\n<head>\n"
         << fncMeta("dc:format", "Daisy 2.02") << fncMeta("dc:title", book.sTitle)
         << fncMeta("dc:identifier", book.sIdentifier)
         << fncMeta("ncc:generator", book.sGenerator)
         << fncMeta("ncc:totalElapsedTime", fncClockText(elapsed))
         << fncMeta("ncc:timeInThisSmil", fncClockText(sectionSeconds))
         << "<layout>\n<region id=\"txtView\" />\n</layout>\n</head>\n<body>\n";
    char dur[48];
    std::snprintf(dur, sizeof dur, "%.3fs", sectionSeconds);
    smil << "<seq dur=\"" << dur << "\">\n" << pars.str() << "</seq>\n</body>\n</smil>\n";
    elapsed += sectionSeconds;
    if (!fncWriteFileAtomically(folder / smilName, smil.str(), &error)) return false;
  }
  lPars = par;

  for (auto& [name, body] : contents) {
    std::string html = kXhtmlHead;
    html += "<title>" + fncEscape(book.sTitle) + "</title>\n</head>\n<body>\n";
    html += body.str();
    html += "</body>\n</html>\n";
    if (!fncWriteFileAtomically(folder / name, html, &error)) return false;
  }

  std::ostringstream ncc;
  ncc << kXhtmlHead << "<title>" << fncEscape(book.sTitle) << "</title>\n"
      << fncMeta("dc:creator", book.sCreator) << fncMeta("dc:date", book.sDate)
      << fncMeta("dc:format", "Daisy 2.02") << fncMeta("dc:identifier", book.sIdentifier)
      << fncMeta("dc:language", book.sLanguage) << fncMeta("dc:publisher", book.sPublisher)
      << fncMeta("dc:title", book.sTitle) << fncMeta("ncc:charset", "utf-8")
      << fncMeta("ncc:depth", std::to_string(std::max(depth, 1)))
      << fncMeta("ncc:files", std::to_string(1 + book.sections.size() + contents.size() +
                                              audioFiles.size()))
      << fncMeta("ncc:footnotes", std::to_string(noterefs))
      << fncMeta("ncc:generator", book.sGenerator)
      << fncMeta("ncc:maxPageNormal", std::to_string(maxPageNormal))
      << fncMeta("ncc:multimediaType", "audioFullText")
      << fncMeta("ncc:narrator", book.sNarrator)
      << fncMeta("ncc:pageFront", std::to_string(pageFront))
      << fncMeta("ncc:pageNormal", std::to_string(pageNormal))
      << fncMeta("ncc:pageSpecial", std::to_string(pageSpecial))
      << fncMeta("ncc:prodNotes", std::to_string(prodnotes))
      << fncMeta("ncc:setInfo", "1 of 1") << fncMeta("ncc:sidebars", std::to_string(sidebars))
      << fncMeta("ncc:tocItems", std::to_string(lPoints))
      << fncMeta("ncc:totalTime", fncClockText(dTotalSeconds)) << "</head>\n<body>\n"
      << nccBody.str() << "</body>\n</html>\n";
  return fncWriteFileAtomically(folder / book.sNccName, ncc.str(), &error);
}

}  // namespace lyn::tools
