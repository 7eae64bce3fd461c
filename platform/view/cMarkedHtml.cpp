#include "platform/view/cMarkedHtml.h"

#include <algorithm>
#include <array>

#include "markup/cFileData.h"
#include "markup/cFileParser.h"
#include "platform/files/TextCase.h"

namespace lyn {

namespace {

// Marker characters: a start or end sign, the element's number in hexadecimal digits (one
// private-use character each) and a terminator.
constexpr char32_t kStartSign = 0xE001;
constexpr char32_t kEndSign = 0xE002;
constexpr char32_t kTerminator = 0xE003;
constexpr char32_t kDigitZero = 0xE010;
// How far up the open elements an end tag looks for its start tag; a deeper mismatch in broken
// markup is ignored, which keeps hostile nesting from costing quadratic time.
constexpr size_t kEndTagReach = 256;

std::string marker(bool end, size_t element) {
  std::string out;
  subAppendUtf8(out, end ? kEndSign : kStartSign);
  char hex[2 * sizeof(size_t) + 1];
  int digits = 0;
  do {
    hex[digits++] = static_cast<char>(element % 16);
    element /= 16;
  } while (element != 0);
  while (digits > 0) subAppendUtf8(out, kDigitZero + static_cast<char32_t>(hex[--digits]));
  subAppendUtf8(out, kTerminator);
  return out;
}

bool isNamed(const cElementData& record, std::string_view name) {
  return fncEqualsIgnoringCase(record.sElementName(), name);
}

bool isVoid(const cElementData& record) {
  static constexpr std::array<std::string_view, 14> kVoid{
      "area", "base", "br", "col", "embed", "hr", "img", "input", "link", "meta", "param",
      "source", "wbr", "basefont"};
  if (record.bolEndTag) return true;  // "<br/>" and every end tag
  return std::any_of(kVoid.begin(), kVoid.end(), [&](auto n) { return isNamed(record, n); });
}

// Elements whose text the view does not show as text.
bool isHidden(const cElementData& record) {
  return isNamed(record, "style") || isNamed(record, "script") || isNamed(record, "title") ||
         isNamed(record, "textarea");
}

// A start tag of one of these closes an open element of the same name (HTML leaves their end
// tags out).
bool closesItsOwnKind(const cElementData& record) {
  return isNamed(record, "p") || isNamed(record, "li") || isNamed(record, "dt") ||
         isNamed(record, "dd") || isNamed(record, "option") || isNamed(record, "tr") ||
         isNamed(record, "td") || isNamed(record, "th");
}

struct cInsertion {
  size_t pos;
  std::string text;
};

}  // namespace

cMarkedHtml cMarkedHtml::fncMark(std::string_view isHtml, std::string_view isStyleSheet) {
  cMarkedHtml result;
  cFileData doc;
  doc.sData = std::string(isHtml);
  cFileParser().fncParseFile(doc);
  const int32_t count = doc.lNumElementData();

  // For each record (1-based), the record that ends it: the matching end tag, or the record
  // that closes it implicitly; count + 1 when it stays open to the end.
  std::vector<int32_t> endOf(static_cast<size_t>(count) + 2, count + 1);
  std::vector<int32_t> parentOf(static_cast<size_t>(count) + 2, 0);
  std::vector<int32_t> open;
  for (int32_t i = 1; i <= count; ++i) {
    const cElementData& record = *doc.pElementData(i);
    const std::string_view name = record.sElementName();
    if (record.bolStartTag && !name.empty() && name[0] != '!' && name[0] != '?') {
      if (closesItsOwnKind(record) && !open.empty() &&
          isNamed(*doc.pElementData(open.back()), name)) {
        endOf[static_cast<size_t>(open.back())] = i;
        open.pop_back();
      }
      parentOf[static_cast<size_t>(i)] = open.empty() ? 0 : open.back();
      if (!isVoid(record)) open.push_back(i);
    } else if (!record.bolStartTag && name.size() > 1 && name[0] == '/') {
      const std::string_view wanted = name.substr(1);
      const size_t reach = std::min(open.size(), kEndTagReach);
      for (size_t back = 1; back <= reach; ++back) {
        if (!isNamed(*doc.pElementData(open[open.size() - back]), wanted)) continue;
        for (size_t k = 0; k < back; ++k) {
          endOf[static_cast<size_t>(open.back())] = i;
          open.pop_back();
        }
        break;
      }
    }
  }

  // The text runs the view shows: the run after each record, unless it is inside an element
  // whose text is not shown. firstRun[k]: the first record at or after k with a shown run;
  // lastRun[k]: the last record before k with one.
  std::vector<int32_t> shownRun(static_cast<size_t>(count) + 2, -1);
  {
    int32_t hiddenUntil = 0;
    for (int32_t i = 1; i <= count; ++i) {
      const cElementData& record = *doc.pElementData(i);
      if (record.bolStartTag && !record.bolEndTag && isHidden(record))
        hiddenUntil = std::max(hiddenUntil, endOf[static_cast<size_t>(i)]);
      if (i >= hiddenUntil) shownRun[static_cast<size_t>(i)] = record.lTextAfter;
    }
  }
  std::vector<int32_t> firstRun(static_cast<size_t>(count) + 2, count + 1);
  for (int32_t i = count; i >= 1; --i)
    firstRun[static_cast<size_t>(i)] =
        shownRun[static_cast<size_t>(i)] != -1 ? i : firstRun[static_cast<size_t>(i) + 1];
  std::vector<int32_t> lastRun(static_cast<size_t>(count) + 2, 0);
  for (int32_t i = 1; i <= count + 1; ++i)
    lastRun[static_cast<size_t>(i)] =
        shownRun[static_cast<size_t>(i) - 1] != -1 ? i - 1 : lastRun[static_cast<size_t>(i) - 1];

  std::vector<cInsertion> insertions;
  for (int32_t i = 1; i <= count; ++i) {
    const cElementData& record = *doc.pElementData(i);
    if (!record.bolStartTag || isHidden(record) || isNamed(record, "html") ||
        isNamed(record, "head"))
      continue;
    const bool link = isNamed(record, "a") && record.fncAttributeExists("href");
    std::string id(record.fncAttrContentWOQ("id"));
    if (id.empty() && isNamed(record, "a")) id = record.fncAttrContentWOQ("name");
    if (id.empty() && !link) continue;

    cMarkedElement element;
    element.sId = id;
    if (link) {
      element.sHref = record.fncAttrContentWOQ("href");
      if (const int32_t parent = parentOf[static_cast<size_t>(i)]; parent > 0)
        element.sParentId = doc.pElementData(parent)->fncAttrContentWOQ("id");
    }
    // A void element ("<img/>", "<br>") holds no text.
    const int32_t end = isVoid(record) ? i + 1 : endOf[static_cast<size_t>(i)];
    const int32_t first = firstRun[static_cast<size_t>(i)];
    const int32_t last = lastRun[static_cast<size_t>(end)];
    if (first < end && last >= i) {
      const cTextData* firstText = doc.pTextData(shownRun[static_cast<size_t>(first)]);
      const cTextData* lastText = doc.pTextData(shownRun[static_cast<size_t>(last)]);
      if (firstText && lastText) {
        size_t from = static_cast<size_t>(firstText->lTxtStartPos - 1);
        size_t to = std::min(static_cast<size_t>(lastText->lTxtEndPos - 1), isHtml.size());
        while (from < to && fncIsAsciiSpace(isHtml[from])) ++from;
        while (to > from && fncIsAsciiSpace(isHtml[to - 1])) --to;
        const size_t number = result.aElements.size();
        insertions.push_back({from, marker(false, number)});
        insertions.push_back({to, marker(true, number)});
      }
    }
    result.aElements.push_back(std::move(element));
  }

  if (!isStyleSheet.empty()) {
    // Of several style elements the view gives the first precedence, so the chosen sheet goes
    // first: right after the head's start tag, else right after the html start tag, else at the
    // very beginning.
    size_t at = 0;
    for (std::string_view after : {"head", "html"}) {
      doc.lCurrentElement = 0;
      const cElementData* tag = doc.fncGetElementData(after);
      if (tag && tag->lElmEndPos > 0) {
        at = static_cast<size_t>(tag->lElmEndPos);
        break;
      }
    }
    std::string sheet(isStyleSheet);
    // Text of the sheet that would end the style element early is escaped ("<\/" is "</").
    for (size_t pos = sheet.find("</"); pos != std::string::npos; pos = sheet.find("</", pos + 3))
      sheet.insert(pos + 1, "\\");
    insertions.push_back({at, "<style type=\"text/css\">\n" + sheet + "\n</style>"});
  }

  std::stable_sort(insertions.begin(), insertions.end(),
                   [](const cInsertion& a, const cInsertion& b) { return a.pos < b.pos; });
  size_t extra = 0;
  for (const auto& insertion : insertions) extra += insertion.text.size();
  result.sHtml.reserve(isHtml.size() + extra);
  size_t copied = 0;
  for (const auto& insertion : insertions) {
    result.sHtml.append(isHtml.substr(copied, insertion.pos - copied));
    result.sHtml += insertion.text;
    copied = insertion.pos;
  }
  result.sHtml.append(isHtml.substr(copied));
  return result;
}

std::vector<cFoundMarker> cMarkedHtml::fncFindMarkers(std::u16string_view isText) const {
  std::vector<cFoundMarker> found;
  for (size_t pos = 0; pos < isText.size(); ++pos) {
    const char16_t sign = isText[pos];
    if (sign != kStartSign && sign != kEndSign) continue;
    size_t number = 0;
    size_t next = pos + 1;
    bool digits = false;
    bool tooLarge = false;
    for (; next < isText.size() && isText[next] >= kDigitZero && isText[next] < kDigitZero + 16;
         ++next) {
      digits = true;
      if (number > aElements.size()) tooLarge = true;
      else number = number * 16 + (isText[next] - kDigitZero);
    }
    if (!digits || tooLarge || next >= isText.size() || isText[next] != kTerminator ||
        number >= aElements.size())
      continue;
    found.push_back({number, sign == kEndSign, pos, next + 1 - pos});
    pos = next;
  }
  return found;
}

void cMarkedHtml::subPlaceElements(const std::vector<cFoundMarker>& iaMarkers) {
  size_t removed = 0;
  for (const auto& found : iaMarkers) {
    cMarkedElement& element = aElements[found.lElement];
    const auto pos = static_cast<int32_t>(found.lPos - removed);
    (found.bolEnd ? element.lEnd : element.lStart) = pos;
    removed += found.lLength;
  }
  // A half-found pair (the view dropped one marker) counts as not found.
  for (auto& element : aElements) {
    if (element.lStart < 0 || element.lEnd < element.lStart) element.lStart = element.lEnd = -1;
  }
}

}  // namespace lyn
