#include "modes/GeneratedPages.h"

#include <charconv>
#include <cstdio>

#include "engine/cNCCReader.h"
#include "engine/cSmilPlayer.h"
#include "markup/cElementData.h"
#include "markup/cFileData.h"
#include "platform/files/TextCase.h"

namespace lyn::pages {

namespace {

constexpr std::string_view kContentTypeHtml =
    "    <meta http-equiv='Content-type' content='text/html; charset=UTF-8'/>\r\n";

bool fncbIsUnreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~' || c == '/';
}

int fncHexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The audio element at or after the player's cursor; nothing when the media run out.
cElementData* fncAudioFromHere(cSmilPlayer& player, bool takeCurrent) {
  cElementData* media = takeCurrent ? player.fncRetrieveCurrentMedia() : nullptr;
  if (!media) media = player.fncRetrieveNextMedia();
  while (media && !fncEqualsIgnoringCase(media->sElementName(), "audio"))
    media = player.fncRetrieveNextMedia();
  return media;
}

AudioPiece fncPieceOf(cNCCReader& reader, const cElementData& audio) {
  AudioPiece piece;
  piece.sSrc = std::string(audio.fncAttrContentWOQ("src"));
  piece.sPath = reader.fncConvertPath(piece.sSrc);
  const std::string_view begin = audio.fncAttrContentWOQ("clip-begin");
  const std::string_view end = audio.fncAttrContentWOQ("clip-end");
  piece.dBegin = begin.empty() ? 0.0 : reader.fncConvertTime(begin);
  piece.dEnd = end.empty() ? -1.0 : reader.fncConvertTime(end);
  return piece;
}

}  // namespace

std::string fncEscapeMarkup(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string fncUnescapeMarkup(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const size_t semicolon = text[i] == '&' ? text.find(';', i) : std::string_view::npos;
    if (semicolon == std::string_view::npos || semicolon - i > 10) {
      out += text[i++];
      continue;
    }
    const std::string_view name = text.substr(i + 1, semicolon - i - 1);
    bool known = true;
    if (name == "amp") out += '&';
    else if (name == "lt") out += '<';
    else if (name == "gt") out += '>';
    else if (name == "quot") out += '"';
    else if (name == "apos") out += '\'';
    else if (name.size() > 1 && name[0] == '#') {
      const bool hex = name[1] == 'x' || name[1] == 'X';
      const std::string_view digits = name.substr(hex ? 2 : 1);
      uint32_t code = 0;
      const auto [end, error] =
          std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
      known = error == std::errc() && end == digits.data() + digits.size() && !digits.empty() &&
              code > 0 && code <= 0x10FFFF;
      if (known) subAppendUtf8(out, static_cast<char32_t>(code));
    } else {
      known = false;
    }
    if (known) {
      i = semicolon + 1;
    } else {
      out += text[i++];
    }
  }
  return out;
}

std::string fncEncodeFolderLink(std::string_view folder) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(folder.size());
  for (const char c : folder) {
    const auto byte = static_cast<unsigned char>(c);
    if (fncbIsUnreserved(byte)) {
      out += c;
    } else {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    }
  }
  return out;
}

std::string fncDecodeFolderLink(std::string_view link) {
  std::string out;
  out.reserve(link.size());
  for (size_t i = 0; i < link.size(); ++i) {
    if (link[i] == '%' && i + 2 < link.size() && fncHexValue(link[i + 1]) >= 0 &&
        fncHexValue(link[i + 2]) >= 0) {
      out += static_cast<char>(fncHexValue(link[i + 1]) * 16 + fncHexValue(link[i + 2]));
      i += 2;
    } else {
      out += link[i];
    }
  }
  return out;
}

std::string fncAudioSrc(std::string_view path) { return fncEncodeFolderLink(path); }

std::string fncAudioPathOfSrc(std::string_view src) { return fncDecodeFolderLink(src); }

std::string fncNumberText(double seconds) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, seconds);
  return std::string(buffer, result.ptr);
}

std::string fncHtmlHead() {
  return std::string(
             "<?xml version='1.0' encoding='utf-8' ?>\r\n"
             "<!DOCTYPE html PUBLIC '-//W3C//DTD XHTML 1.0 Transitional//EN' "
             "'http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd'>\r\n"
             "<html xmlns='http://www.w3.org/1999/xhtml'>\r\n  <head>\r\n") +
         std::string(kContentTypeHtml) +
         "    <title>LYN Reader booklist</title>\r\n"
         "    <meta name='dc:format' content='Daisy 2.0'/>\r\n  </head>\r\n  <body>\r\n";
}

std::string fncHtmlTail() { return "  </body>\r\n</html>\r\n"; }

std::string fncSmilHead() {
  return std::string(
             "<?xml version='1.0' encoding='utf-8' ?>\r\n"
             "<!DOCTYPE smil PUBLIC '-//W3C//DTD SMIL 1.0//EN' "
             "'http://www.w3.org/TR/REC-smil/SMIL10.dtd' >\r\n"
             "<smil>\r\n  <head>\r\n") +
         std::string(kContentTypeHtml) +
         "    <meta name='format' content='Daisy 2.0' />\r\n"
         "    <meta name='title' content='LYN Reader booklist' />\r\n"
         "  </head>\r\n  <body>\r\n  <seq>\r\n";
}

std::string fncSmilTail() { return "    </seq>\r\n  </body>\r\n</smil>\r\n"; }

std::string fncAudioElement(std::string_view path, double begin, double end, std::string_view id) {
  std::string line = "          <audio src=\"" + fncAudioSrc(path) + "\" clip-begin=\"npt=" +
                     fncNumberText(begin) + "\" clip-end=\"npt=" + fncNumberText(end) + "\"";
  if (!id.empty()) line += " id=\"" + std::string(id) + "\"";
  return line + "/>\r\n";
}

std::optional<std::string> fncMetaContent(const cFileData& doc, std::string_view name) {
  for (int32_t n = 1; n <= doc.lNumElementData(); ++n) {
    const cElementData* record = doc.pElementData(n);
    if (!record || !record->bolStartTag || !fncEqualsIgnoringCase(record->sElementName(), "meta"))
      continue;
    if (fncEqualsIgnoringCase(record->fncAttrContentWOQ("name"), name))
      return std::string(record->fncAttrContentWOQ("content"));
  }
  return std::nullopt;
}

std::optional<AudioPiece> fncFirstAudioOfPoint(cNCCReader& reader, int32_t point) {
  if (point < 1 || point > reader.lNumberOfTocItems()) return std::nullopt;
  const cTocItem* item = reader.pToc(point);
  if (!item) return std::nullopt;
  cSmilPlayer probe;
  reader.clsSmilPlayer().subCopyMeTo(probe);
  if (!probe.fncGotoElementContainerByFileAndID(item->sSmilFile, item->sSmilID)) return std::nullopt;
  const cElementData* audio = fncAudioFromHere(probe, true);
  if (!audio) return std::nullopt;
  return fncPieceOf(reader, *audio);
}

std::optional<AudioPiece> fncAudioPieceOfPoint(cNCCReader& reader, int32_t point, double minSeconds,
                                               double maxSeconds) {
  if (point < 1 || point > reader.lNumberOfTocItems()) return std::nullopt;
  const cTocItem* item = reader.pToc(point);
  if (!item) return std::nullopt;
  cSmilPlayer probe;
  reader.clsSmilPlayer().subCopyMeTo(probe);
  if (!probe.fncGotoElementContainerByFileAndID(item->sSmilFile, item->sSmilID)) return std::nullopt;
  const cElementData* audio = fncAudioFromHere(probe, true);
  if (!audio) return std::nullopt;
  AudioPiece piece = fncPieceOf(reader, *audio);
  // A clip without an end runs to the end of its file: the cut below bounds it.
  if (piece.dEnd < 0) piece.dEnd = piece.dBegin + maxSeconds;
  while (piece.dEnd - piece.dBegin < minSeconds) {
    const cElementData* next = fncAudioFromHere(probe, false);
    if (!next) break;
    const AudioPiece more = fncPieceOf(reader, *next);
    if (more.sPath != piece.sPath || more.dEnd < piece.dEnd) break;
    piece.dEnd = more.dEnd;
  }
  if (piece.dEnd - piece.dBegin > maxSeconds) piece.dEnd = piece.dBegin + maxSeconds;
  return piece;
}

}  // namespace lyn::pages
