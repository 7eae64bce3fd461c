#pragma once
// The pieces shared by the small talking books the player writes for itself (the bookshelf list
// and the book information page): the fixed heads and tails, the audio elements, the escaping of
// the texts written into them, and taking a clip of a book's own audio for a navigation point.
//
// The pages are UTF-8 and say so (the XML declaration and the Content-type meta element as the
// first child of the head), so they read back as they were written, through the player's own
// markup parser.
//
// Text rules, which keep a written page and its reading back in step:
//   - every text and attribute value written (titles, captions, labels) is escaped
//     (fncEscapeMarkup) and unescaped once when read (fncUnescapeMarkup);
//   - book folders are written as links in which every byte but the unreserved ASCII characters
//     and "/" is percent-escaped (fncEncodeFolderLink), so that any folder name (spaces, "#",
//     "%", quotes, names that are not UTF-8) survives the page's charset and decodes exactly once
//     to the same bytes (fncDecodeFolderLink);
//   - audio paths are percent-escaped the same way (fncAudioSrc): the engine opens a src as
//     written, else decoded once, so every UTF-8 path plays; one with bytes that are no UTF-8
//     reads back exactly but its clip does not play (the title is then shown, not spoken).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lyn {

class cElementData;
class cFileData;
class cNCCReader;

namespace pages {

// "&" "<" ">" '"' "'" as references: safe in text and in either kind of quoted value.
std::string fncEscapeMarkup(std::string_view text);
// The five references above, "&apos;" and numeric ones ("&#39;", "&#x27;") to their characters;
// anything else is copied as written.
std::string fncUnescapeMarkup(std::string_view text);

// A folder as a link: bytes outside A-Z a-z 0-9 "-" "." "_" "~" "/" become "%XX".
std::string fncEncodeFolderLink(std::string_view folder);
// Every "%XX" back to its byte, exactly once; any other character is copied.
std::string fncDecodeFolderLink(std::string_view link);

// An audio path as written in a src value (fncEncodeFolderLink), and back.
std::string fncAudioSrc(std::string_view path);
std::string fncAudioPathOfSrc(std::string_view src);

// Seconds in their shortest text form ("1.5", "12", "0.25").
std::string fncNumberText(double seconds);

// The head of an HTML page up to and including "<body>\r\n", titled "LYN Reader booklist" (both
// generated pages use that title), and its tail.
std::string fncHtmlHead();
std::string fncHtmlTail();
// The head of a SMIL file up to and including the outer "<seq>\r\n", and its tail.
std::string fncSmilHead();
std::string fncSmilTail();

// One audio element line (ten spaces of indentation); the id is left out when empty.
std::string fncAudioElement(std::string_view path, double begin, double end, std::string_view id = {});

// The first meta element of the document named `name` (ignoring case); its content, as written.
std::optional<std::string> fncMetaContent(const cFileData& doc, std::string_view name);

// A piece of a book's own audio: the file's full path and the clip.
struct AudioPiece {
  std::string sPath;
  double dBegin = 0;
  double dEnd = 0;
  std::string sSrc;  // the src as the SMIL file writes it
};

// The first audio clip of navigation point `point` of a loaded book, found on a copy of the
// reader's SMIL player (the reader's own position is left alone). Nothing when the point, its
// par or an audio element after it cannot be reached. A missing clip-end is left at -1.
std::optional<AudioPiece> fncFirstAudioOfPoint(cNCCReader& reader, int32_t point);
// The same, joined with the clips that follow in the same file until it lasts at least
// `minSeconds`, then cut to `maxSeconds`.
std::optional<AudioPiece> fncAudioPieceOfPoint(cNCCReader& reader, int32_t point, double minSeconds,
                                               double maxSeconds);

}  // namespace pages
}  // namespace lyn
